// The component library's object layer over the GDI+ flat API: one small class per GDI+ object
// kind, colour helpers that turn class-library colours into ARGB values, the bridge from the
// class library's fonts to GDI+ text, and TAdvGDIPPicture, a picture that keeps its encoded image
// file and decodes it on each use.
//
// Wrappers are RAII objects that never throw on a GDI+ failure: each holds its native handle (null
// when creation failed) and the last status that was not Ok, and returns every call's status.
// GDI+ starts on demand: the first wrapper made while no start-up is live starts it for the
// process.
#pragma once

#include <cstdint>
#include <memory>

#include "controls/graphics/EncodedPicture.h"
#include "controls/graphics/GDIPCallLog.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Colors.h"
#include "platform/gdi/ComStream.h"
#include "platform/gdi/GdiPlusFlat.h"
#include "platform/gdi/Graphic.h"
#include "platform/gdi/GraphicsObjects.h"

using TGPFloatRect = GpRectF;
using TGPFloatPoint = GpPointF;
using TGPIntPoint = GpPoint;

enum TAntiAlias { aaNone, aaClearType, aaAntiAlias };

// The kinds of a fill's body (the fill painter uses them).
enum TAdvGradientType {
  gtSolid,
  gtRadial,
  gtVertical,
  gtHorizontal,
  gtForwardDiagonal,
  gtBackwardDiagonal,
  gtAngle,
  gtHatch,
  gtPath,
  gtTexture,
  gtNone
};

// The raw format of an image, one for each GDI+ image-format GUID; anything else is ifUndefined.
enum class TGPImageFormat {
  ifUndefined,
  ifMemoryBMP,
  ifBMP,
  ifEMF,
  ifWMF,
  ifJPEG,
  ifPNG,
  ifGIF,
  ifTIFF,
  ifEXIF,
  ifIcon
};

// --- Colours and value constructors ------------------------------------------------------------

// Each argument taken modulo 256.
ARGB MakeARGB(int alpha, int red, int green, int blue);
ARGB MakeRGBColor(int red, int green, int blue);
// System colours resolve to their current value; clNone is taken as it stands (white), so callers
// test for clNone before they build a colour.
ARGB MakeColorAlpha(int alpha, TColor color);
ARGB ColorToARGB(TColor color);
uint8_t GetRed(ARGB color);
uint8_t GetGreen(ARGB color);
uint8_t GetBlue(ARGB color);
TGPFloatRect MakeRectF(float x, float y, float width, float height);
TGPIntPoint MakePoint(int x, int y);
TGPFloatPoint MakePointF(float x, float y);

// Two switches nothing in the system sets; the glow button's painter consults them.
bool GDIPAlternativeTextRendering();
bool GDIPAlternativeImageDrawing();

// --- Wrappers ----------------------------------------------------------------------------------

// The base of every wrapper: makes sure GDI+ is running and keeps the last status that was not Ok.
class TGdiplusBase : public TObject {
 public:
  GpStatus GetLastStatus() const { return FLastStatus; }

 protected:
  TGdiplusBase();
  // Records a status that is not Ok; returns it.
  GpStatus SetStatus(GpStatus status);

 private:
  GpStatus FLastStatus = Ok;
};

class TGPGraphicsPath;
class TGPImage;

class TGPRegion : public TGdiplusBase {
 public:
  explicit TGPRegion(const TGPFloatRect& rect);
  explicit TGPRegion(TGPGraphicsPath* path);
  ~TGPRegion() override;
  GpRegion* NativeHandle() const { return FNative; }
  // The bounds of the rectangle or path it was made from (what the call log reports as clip).
  const TGPFloatRect& Bounds() const { return FBounds; }

 private:
  GpRegion* FNative = nullptr;
  TGPFloatRect FBounds;
};

class TGPGraphicsPath : public TGdiplusBase {
 public:
  explicit TGPGraphicsPath(GpFillMode fillMode = FillModeAlternate);
  ~TGPGraphicsPath() override;
  GpPath* NativeHandle() const { return FNative; }
  GpStatus Reset();
  GpStatus CloseFigure();
  GpStatus AddLine(float x1, float y1, float x2, float y2);
  GpStatus AddArc(float x, float y, float width, float height, float startAngle, float sweepAngle);
  GpStatus AddArc(const TGPFloatRect& rect, float startAngle, float sweepAngle);
  GpStatus AddEllipse(float x, float y, float width, float height);
  GpStatus AddEllipse(const TGPFloatRect& rect);
  GpStatus AddRectangle(const TGPFloatRect& rect);
  GpStatus AddPolygon(const TGPIntPoint* points, int count);
  // The number of points (0 for a failed path) and the bounds of the points.
  int GetPointCount() const;
  TGPFloatRect GetBounds() const;

 private:
  GpStatus Log(const char* name, GpStatus status, std::initializer_list<float> args);
  GpPath* FNative = nullptr;
};

class TGPPen : public TGdiplusBase {
 public:
  TGPPen(ARGB color, float width = 1);
  ~TGPPen() override;
  GpPen* NativeHandle() const { return FNative; }
  GpStatus SetDashStyle(GpDashStyle dashStyle);
  const TGPPenInfo& Info() const { return FInfo; }

 private:
  GpPen* FNative = nullptr;
  TGPPenInfo FInfo;
};

class TGPBrush : public TGdiplusBase {
 public:
  ~TGPBrush() override;
  GpBrush* NativeHandle() const { return FNative; }
  const TGPBrushInfo& Info() const { return FInfo; }

 protected:
  TGPBrush() = default;
  GpStatus Log(const char* name, GpStatus status, std::initializer_list<float> args = {});
  GpBrush* FNative = nullptr;
  TGPBrushInfo FInfo;
};

class TGPSolidBrush : public TGPBrush {
 public:
  explicit TGPSolidBrush(ARGB color);
};

class TGPHatchBrush : public TGPBrush {
 public:
  TGPHatchBrush(HatchStyle style, ARGB foreColor, ARGB backColor = 0xFF000000);
};

class TGPTextureBrush : public TGPBrush {
 public:
  TGPTextureBrush(TGPImage* image, GpWrapMode wrapMode = WrapModeTile);
};

class TGPLinearGradientBrush : public TGPBrush {
 public:
  TGPLinearGradientBrush(const TGPFloatPoint& point1, const TGPFloatPoint& point2, ARGB color1,
                         ARGB color2);
  TGPLinearGradientBrush(const TGPFloatRect& rect, ARGB color1, ARGB color2,
                         GpLinearGradientMode mode);
  TGPLinearGradientBrush(const TGPFloatRect& rect, ARGB color1, ARGB color2, float angle,
                         bool isAngleScalable = false);
  GpStatus SetGammaCorrection(bool useGammaCorrection);
  // A count of 0 or less (or no arrays) is InvalidParameter without a call.
  GpStatus SetInterpolationColors(const ARGB* colors, const float* positions, int count);

 private:
  GpLineGradient* Line() const { return reinterpret_cast<GpLineGradient*>(FNative); }
};

class TGPPathGradientBrush : public TGPBrush {
 public:
  explicit TGPPathGradientBrush(TGPGraphicsPath* path);
  GpStatus SetCenterColor(ARGB color);
  GpStatus SetCenterPoint(const TGPIntPoint& point);
  GpStatus SetCenterPointF(const TGPFloatPoint& point);
  // The path's point count, 0 when the call fails.
  int GetPointCount();
  // InvalidParameter without a call for no colours, a path without points or with fewer points
  // than colours (count then unchanged); on success count is the number GDI+ used.
  GpStatus SetSurroundColors(const ARGB* colors, int& count);
  // InvalidParameter without a call when the count is 0 or less or the arrays are missing.
  GpStatus SetInterpolationColors(const ARGB* colors, const float* positions, int count);
  GpStatus SetWrapMode(GpWrapMode wrapMode);

 private:
  GpPathGradient* Path() const { return reinterpret_cast<GpPathGradient*>(FNative); }
};

class TGPFontFamily : public TGdiplusBase {
 public:
  explicit TGPFontFamily(const String& name, GpFontCollection* collection = nullptr);
  ~TGPFontFamily() override;
  GpFontFamily* NativeHandle() const { return FNative; }
  const String& Name() const { return FName; }

 private:
  GpFontFamily* FNative = nullptr;
  String FName;
};

class TGPFont : public TGdiplusBase {
 public:
  // A null family passes a null handle (and fails as GDI+ does).
  TGPFont(TGPFontFamily* family, float emSize, int style = FontStyleRegular,
          GpUnit unit = UnitPoint);
  ~TGPFont() override;
  GpFont* NativeHandle() const { return FNative; }

 private:
  GpFont* FNative = nullptr;
};

class TGPStringFormat : public TGdiplusBase {
 public:
  explicit TGPStringFormat(int32_t formatFlags = 0, uint16_t language = 0);
  ~TGPStringFormat() override;
  GpStringFormat* NativeHandle() const { return FNative; }
  GpStatus SetAlignment(GpStringAlignment align);
  GpStatus SetLineAlignment(GpStringAlignment align);
  GpStatus SetTrimming(GpStringTrimming trimming);
  GpStatus SetHotkeyPrefix(GpHotkeyPrefix prefix);

 private:
  GpStringFormat* FNative = nullptr;
};

class TGPImage : public TGdiplusBase {
 public:
  // Loads the image from the stream; the wrapper holds a reference on it only during the call.
  explicit TGPImage(IStream* stream, bool useEmbeddedColorManagement = false);
  ~TGPImage() override;
  GpImage* NativeHandle() const { return FNative; }
  // 0 when the call fails.
  uint32_t GetWidth();
  uint32_t GetHeight();
  TGPImageFormat GetFormat();
  GpPixelFormat GetPixelFormat();
  int GetPixelDepth() { return (GetPixelFormat() >> 8) & 0xFF; }
  bool HasAlpha() { return (GetPixelFormat() & PixelFormatAlpha) != 0; }
  bool IsIndexed() { return (GetPixelFormat() & PixelFormatIndexed) != 0; }

 protected:
  TGPImage() = default;
  GpImage* FNative = nullptr;
};

class TGPBitmap : public TGPImage {
 public:
  explicit TGPBitmap(IStream* stream, bool useEmbeddedColorManagement = false);
  TGPBitmap(int width, int height, GpPixelFormat format = PixelFormat32bppARGB);
  GpBitmap* Bitmap() const { return reinterpret_cast<GpBitmap*>(FNative); }
  GpStatus GetPixel(int x, int y, ARGB& color);
};

class TGPImageAttributes : public TGdiplusBase {
 public:
  TGPImageAttributes();
  ~TGPImageAttributes() override;
  GpImageAttributes* NativeHandle() const { return FNative; }
  // Enables the key: pixels whose channels lie between low's and high's are left out.
  GpStatus SetColorKey(ARGB low, ARGB high, GpColorAdjustType type = ColorAdjustTypeDefault);

 private:
  GpImageAttributes* FNative = nullptr;
};

class TGPGraphics : public TGdiplusBase {
 public:
  explicit TGPGraphics(HDC dc);
  // Drawing into an image; a null image leaves the handle null.
  explicit TGPGraphics(TGPImage* image);
  ~TGPGraphics() override;
  GpGraphics* NativeHandle() const { return FNative; }

  GpStatus Clear(ARGB color);
  GpStatus GetHDC(HDC& dc);
  GpStatus ReleaseHDC(HDC dc);
  GpStatus SetTextRenderingHint(GpTextRenderingHint hint);
  // -1 when the call fails.
  int GetSmoothingMode();
  GpStatus SetSmoothingMode(GpSmoothingMode mode);
  // A null pen or path passes a null handle.
  GpStatus DrawPath(TGPPen* pen, TGPGraphicsPath* path);
  GpStatus FillPath(TGPBrush* brush, TGPGraphicsPath* path);
  GpStatus FillRectangle(TGPBrush* brush, float x, float y, float width, float height);
  GpStatus FillRectangle(TGPBrush* brush, const TGPFloatRect& rect);
  GpStatus DrawRectangle(TGPPen* pen, float x, float y, float width, float height);
  GpStatus DrawRectangle(TGPPen* pen, const TGPFloatRect& rect);
  GpStatus DrawLine(TGPPen* pen, float x1, float y1, float x2, float y2);
  GpStatus DrawEllipse(TGPPen* pen, float x, float y, float width, float height);
  GpStatus FillEllipse(TGPBrush* brush, float x, float y, float width, float height);
  GpStatus FillEllipseI(TGPBrush* brush, int x, int y, int width, int height);
  GpStatus DrawImage(TGPImage* image, int x, int y);
  GpStatus DrawImageStretched(TGPImage* image, int x, int y, int width, int height);
  GpStatus DrawImageRect(TGPImage* image, const TGPFloatRect& dest, float srcX, float srcY,
                         float srcWidth, float srcHeight, GpUnit srcUnit,
                         TGPImageAttributes* attributes = nullptr);
  GpStatus SetClip(TGPRegion* region, GpCombineMode mode = CombineModeReplace);
  GpStatus ResetClip();

  GpStatus MeasureString(const String& text, int length, TGPFont* font, const TGPFloatRect& layout,
                         TGPStringFormat* format, TGPFloatRect& bounds,
                         int* codepointsFitted = nullptr, int* linesFilled = nullptr);
  GpStatus MeasureString(const String& text, int length, TGPFont* font, const TGPFloatRect& layout,
                         TGPFloatRect& bounds);
  // The 8-bit form: the text is in the ANSI code page (UTF-8). Both forms draw the whole text
  // whatever the length says.
  GpStatus DrawString(const AnsiString& text, int length, TGPFont* font, const TGPFloatRect& layout,
                      TGPStringFormat* format, TGPBrush* brush);
  GpStatus DrawWideString(const String& text, int length, TGPFont* font, const TGPFloatRect& layout,
                          TGPStringFormat* format, TGPBrush* brush);
  GpStatus DrawWideString(const String& text, int length, TGPFont* font,
                          const TGPFloatPoint& origin, TGPBrush* brush);
  GpStatus DrawWideString(const String& text, int length, TGPFont* font,
                          const TGPFloatPoint& origin, TGPStringFormat* format, TGPBrush* brush);

  // A new font from a class-library font: its name as family ("Arial" when GDI+ knows neither the
  // family nor the style), bold, italic, underline and strike-out bits, its size in points.
  TGPFont* MakeFont(TFont* font);
  // The rounded height of the text laid out in a 10000 x 10000 rectangle.
  int TextHeight(const String& text, TFont* font);
  // The class library's DrawText through GDI+ (see the source for the measuring rule); returns
  // the height and, when measuring, sets the rectangle's right and bottom.
  int DrawText(const String& text, int length, TRect& rect, TFont* font, uint32_t flags,
               TColor background = clNone);

 private:
  TGPCall NewCall(const char* name, GpStatus status, std::initializer_list<float> args,
                  const TGPBrush* brush = nullptr, const TGPPen* pen = nullptr,
                  const TGPGraphicsPath* path = nullptr);
  GpStatus Log(const char* name, GpStatus status, std::initializer_list<float> args,
               const TGPBrush* brush = nullptr, const TGPPen* pen = nullptr,
               const TGPGraphicsPath* path = nullptr);
  GpStatus LogText(const char* name, GpStatus status, const String& text, TGPFont* font,
                   const TGPFloatRect& layout, const TGPBrush* brush);
  GpStatus DrawStringAt(const char* name, const String& text, TGPFont* font,
                        const TGPFloatRect& layout, TGPStringFormat* format, TGPBrush* brush);
  GpGraphics* FNative = nullptr;
  bool FClipped = false;
  TGPFloatRect FClipBounds;
};

// A TStreamAdapter that leaves the name of its Stat answer empty; what GDI+ is handed where an
// IStream over a class-library stream is needed.
class TFixedStreamAdapter : public TStreamAdapter {
 public:
  TFixedStreamAdapter(TStream* stream, TStreamOwnership ownership = soReference)
      : TStreamAdapter(stream, ownership) {}
  HRESULT Stat(STATSTG* stat, uint32_t flags) override;
};

// --- Pictures ----------------------------------------------------------------------------------

// An image decoded for one use from encoded bytes: the stream that holds a copy of the bytes and
// the GDI+ image over it, both released with this object.
class TDecodedImage {
 public:
  explicit TDecodedImage(const TBytes& bytes);
  ~TDecodedImage();
  TDecodedImage(const TDecodedImage&) = delete;
  TDecodedImage& operator=(const TDecodedImage&) = delete;
  TGPImage& Image() { return *FImage; }
  // A bitmap over the same bytes (for reading pixels).
  std::unique_ptr<TGPBitmap, TObjectFree> NewBitmap() const;
  bool Valid() { return FImage->NativeHandle() != nullptr; }

 private:
  IStream* FStream;
  std::unique_ptr<TGPImage, TObjectFree> FImage;
};

// The size an image file's header announces, by the file name's extension (.jpg, .jpeg, .png,
// .bmp, .tif, .tiff, .gif, any case); 0 x 0 for another extension or content that does not match
// its reader. Every offset is checked against the bytes at hand.
struct TImageHeaderSize {
  uint16_t Width = 0;
  uint16_t Height = 0;
};
TImageHeaderSize ReadImageHeaderSize(const uint8_t* data, size_t size, const String& extension);

enum TColorKeyMode { ckAuto, ckFixed };

class TAdvGDIPPicture : public TEncodedPicture {
 public:
  TAdvGDIPPicture();
  ~TAdvGDIPPicture() override;

  // Takes another TAdvGDIPPicture, or any other graphic (a TPicture's graphic) as it saves itself.
  void Assign(TPersistent* source) override;
  // A BMP at its own size with its automatic transparency; anything else scaled into the rectangle.
  void Draw(TCanvas* canvas, const TRect& rect) override;
  // Nothing for a null or empty stream; else the whole stream from its start.
  void LoadFromStream(TStream* stream) override;
  TGraphic* NewInstance() const override { return new TAdvGDIPPicture; }
  // The file's bytes, its size from the header by the extension; read errors leave it empty.
  void LoadFromFile(const String& fileName);
  // The "Data" property: a non-empty stream's bytes, decoded for their size.
  void ReadData(TStream* stream);

  // Decodes the image and takes its size; true when it did.
  bool GetImageSizes() { return TakeDecodedSize(); }
  // Draws into the rectangle of a GDI+ graphics: a transparent BMP at its own size through a
  // colour key, anything else scaled to the rectangle.
  void GDIPDraw(TGPGraphics* graphics, const TRect& rect);

  TColorKeyMode ColorKeyMode() const { return FColorKeyMode; }
  void SetColorKeyMode(TColorKeyMode value) { FColorKeyMode = value; }
  TColor ColorKey() const { return FColorKey; }
  void SetColorKey(TColor value) { FColorKey = value; }

 private:
  TColorKeyMode FColorKeyMode = ckAuto;
  TColor FColorKey = clWhite;
};

// Fill with a texture brush (wrap mode Tile) of the picture's decoded image; nothing for an empty
// picture.
void FillTexturePath(TAdvGDIPPicture* picture, TGPGraphics* graphics, TGPGraphicsPath* path);
void FillTextureRect(TAdvGDIPPicture* picture, TGPGraphics* graphics, const TGPFloatRect& rect);

// Test seams: shuts down the start-up this unit made (as the program's end does), so the next
// wrapper has to start GDI+ again.
namespace AdvGDIPTesting {
void ShutdownGdiplus();
}
