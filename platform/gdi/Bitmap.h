// TBitmap: a bitmap with a canvas of its own, scan lines of 24 or 32 bits a pixel, and an optional
// transparent colour (the bottom-left pixel's, or a fixed one) or per-pixel alpha.
#pragma once

#include "platform/gdi/Graphic.h"

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };
enum TBitmapHandleType { bmDIB, bmDDB };
enum TAlphaFormat { afIgnored, afDefined, afPremultiplied };

class TBitmap;

// The canvas of a bitmap: a memory context with the bitmap selected, made on first use.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
  ~TBitmapCanvas() override;
  // Gives the context back; the next drawing makes a new one.
  void FreeContext();

 protected:
  void CreateHandle() override;

 private:
  TBitmap* FBitmap;
  HDC FContext = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
};

class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;

  // From another bitmap a copy; from any other graphic, the graphic drawn on a bitmap its size.
  void Assign(TPersistent* source) override;
  void Draw(TCanvas* canvas, const TRect& rect) override;
  bool Empty() const override { return FWidth == 0 || FHeight == 0; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void SetWidth(int value) override { SetSize(value, FHeight); }
  void SetHeight(int value) override { SetSize(FWidth, value); }
  // Keeps the top-left part of the picture; new pixels are white.
  void SetSize(int width, int height) override;
  // BMP data; raises EInvalidGraphic "Bitmap image is not valid" otherwise.
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  TRasterImage ToRaster() override;
  TGraphic* NewInstance() const override { return new TBitmap; }
  // Replaces the picture (32 bits a pixel, alpha kept when the picture has any).
  void LoadFromRaster(const TRasterImage& image);
  // A bitmap resource of the program (ProgramResources.h); the instance is the module, of which
  // there is one. Raises EResNotFound for a name the program does not carry.
  void LoadFromResourceName(const void* instance, const String& name);

  TCanvas* Canvas();
  // The bitmap's handle, which the bitmap owns.
  HBITMAP Handle();
  // Takes ownership of a bitmap handle (deleting the one it had).
  void SetHandle(HBITMAP value);
  // Gives up the handle: the caller owns it, the bitmap is left empty.
  HBITMAP ReleaseHandle();
  TBitmapHandleType HandleType() const { return bmDIB; }

  TPixelFormat PixelFormat() const { return FPixelFormat; }
  // pf1bit, pf24bit and pf32bit change the storage; other formats are kept in 32 bits.
  void SetPixelFormat(TPixelFormat value);
  bool Monochrome() const { return FPixelFormat == pf1bit; }
  void SetMonochrome(bool value) { SetPixelFormat(value ? pf1bit : pf32bit); }
  // The pixels of a row, top row 0: 3 bytes a pixel (blue, green, red) at pf24bit, 4 (with alpha
  // or unused) at pf32bit. Valid until the bitmap is next drawn on or resized. Raises
  // EInvalidGraphicOperation "Scan line index out of range" for a row outside the bitmap.
  void* ScanLine(int row);

  // tmAuto: the bottom-left pixel's colour; tmFixed: the colour set.
  TColor TransparentColor();
  void SetTransparentColor(TColor value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode value);
  // With afDefined or afPremultiplied a 32-bit bitmap draws with its alpha channel.
  TAlphaFormat AlphaFormat() const { return FAlphaFormat; }
  void SetAlphaFormat(TAlphaFormat value);
  // The class library's memory management; nothing to do here.
  void Dormant() {}
  void FreeImage() {}

 private:
  friend class TBitmapCanvas;
  int StorageBits() const;
  void Recreate(int width, int height, int bits);
  void ChangedImage();

  HBITMAP FHandle = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
  TAlphaFormat FAlphaFormat = afIgnored;
  std::unique_ptr<TBitmapCanvas, TObjectFree> FCanvas;
};
