// Graphics and pictures: TGraphic, the base of every picture kind (bitmaps, icons, JPEG, PNG and
// GIF images), and TPicture, which holds one graphic of whatever kind a file or stream brings.
#pragma once

#include <functional>
#include <memory>

#include "platform/gdi/Canvas.h"
#include "platform/gdi/ImageCodecs.h"
#include "platform/rtl/Streams.h"

// Raised for picture data that cannot be read, or an operation a graphic does not allow.
DECLARE_EXCEPTION(EInvalidGraphic, Exception)

class TGraphic : public TPersistent {
 public:
  // Draws the graphic scaled into the rectangle (with its transparency).
  virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int value) = 0;
  virtual void SetHeight(int value) = 0;
  virtual void SetSize(int width, int height);
  // Reads the graphic from the stream's position to its end; raises EInvalidGraphic for data
  // that is not a picture of this kind, leaving the graphic as it was.
  virtual void LoadFromStream(TStream* stream) = 0;
  virtual void SaveToStream(TStream* stream) = 0;
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName);
  // The pixels, straight ARGB, for those who draw them elsewhere (image lists, GDI+).
  virtual TRasterImage ToRaster() = 0;
  // An empty graphic of the same kind.
  virtual TGraphic* NewInstance() const = 0;

  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool value);
  bool Modified() const { return FModified; }
  void SetModified(bool value) { FModified = value; }
  TNotifyEvent OnChange;

 protected:
  // Marks the graphic modified and fires OnChange.
  virtual void Changed();
  bool FTransparent = false;

 private:
  bool FModified = false;
};

// The bytes from the stream's position to its end (at most kMaxPictureBytes; more raises
// EInvalidGraphic).
constexpr int64_t kMaxPictureBytes = 256 * 1024 * 1024;
TBytes ReadPictureBytes(TStream* stream);
void WritePictureBytes(TStream* stream, const TBytes& bytes);

// The graphic kinds known by file extension ("bmp", "ico", "jpg", "jpeg", "png", "gif").
using TGraphicFactory = std::function<TGraphic*()>;
void RegisterFileFormat(const String& extension, const String& description, TGraphicFactory factory);
// A new graphic for the extension (with or without the dot, any case), or null.
TGraphic* NewGraphicForExtension(const String& extension);
// A new graphic for the format data announces, or null.
TGraphic* NewGraphicForData(const uint8_t* data, size_t size);

class TBitmap;
class TIcon;

class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;

  // Copies a picture or a graphic (a copy of the graphic's own kind); null clears.
  void Assign(TPersistent* source) override;
  TGraphic* Graphic() const { return FGraphic.get(); }
  // Holds a copy of the graphic (null clears).
  void SetGraphic(TGraphic* value);
  // The graphic as a bitmap: a graphic of another kind is replaced by an empty bitmap.
  TBitmap* Bitmap();
  TIcon* Icon();
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }

  // The kind follows the file's extension; raises EInvalidGraphic for an unknown extension.
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName);
  // The kind follows the data's first bytes; raises EInvalidGraphic for data of no known kind.
  void LoadFromStream(TStream* stream);
  void SaveToStream(TStream* stream);
  TNotifyEvent OnChange;

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  void Replace(TGraphic* graphic);
  void Changed(TObject* sender);
  std::unique_ptr<TGraphic, TObjectFree> FGraphic;
};
