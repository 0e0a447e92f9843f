// Graphics that keep their file's bytes and the decoded picture: icons, PNG and GIF images (and,
// in Jpeg.h, JPEG images). They draw with their alpha, scaled to the rectangle, and save the bytes
// they were loaded from unchanged.
#pragma once

#include "platform/gdi/Graphic.h"

class TRasterGraphic : public TGraphic {
 public:
  // From a graphic of the same class its bytes; from any other graphic its pixels.
  void Assign(TPersistent* source) override;
  void Draw(TCanvas* canvas, const TRect& rect) override;
  bool Empty() const override { return FImage.Empty(); }
  int Width() const override { return FImage.Width; }
  int Height() const override { return FImage.Height; }
  // Pictures of these kinds keep their size.
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  TRasterImage ToRaster() override { return FImage; }
  const TRasterImage& Image() const { return FImage; }
  // Replaces the picture; the bytes are made anew when saved.
  void SetImage(const TRasterImage& image);
  const TBytes& Data() const { return FData; }

 protected:
  // Decodes file bytes; false when they are not a picture of this kind.
  virtual bool Decode(const TBytes& data, TRasterImage& image) = 0;
  virtual TBytes Encode(const TRasterImage& image) = 0;
  // The message of EInvalidGraphic for bytes that do not decode.
  virtual String InvalidMessage() const = 0;
  [[noreturn]] virtual void RaiseInvalid() const { throw EInvalidGraphic(InvalidMessage()); }
  void Load(TBytes data);

  TBytes FData;
  TRasterImage FImage;
};

class TIcon : public TRasterGraphic {
 public:
  TIcon() { FTransparent = true; }
  TGraphic* NewInstance() const override { return new TIcon; }

 protected:
  bool Decode(const TBytes& data, TRasterImage& image) override;
  TBytes Encode(const TRasterImage& image) override;
  String InvalidMessage() const override { return u"Icon image is not valid"; }
};

class TPngImage : public TRasterGraphic {
 public:
  TPngImage() { FTransparent = true; }
  TGraphic* NewInstance() const override { return new TPngImage; }

 protected:
  bool Decode(const TBytes& data, TRasterImage& image) override;
  TBytes Encode(const TRasterImage& image) override;
  String InvalidMessage() const override { return u"PNG image is not valid"; }
};

// A GIF image; an animated one shows the frame chosen (the first to begin with).
class TGIFImage : public TRasterGraphic {
 public:
  TGIFImage() { FTransparent = true; }
  TGraphic* NewInstance() const override { return new TGIFImage; }
  int FrameCount() const { return FFrameCount; }
  int Frame() const { return FFrame; }
  // Shows frame index (from 0); an index past the last frame is refused.
  void SetFrame(int index);

 protected:
  bool Decode(const TBytes& data, TRasterImage& image) override;
  TBytes Encode(const TRasterImage& image) override;
  String InvalidMessage() const override { return u"GIF image is not valid"; }

 private:
  int FFrame = 0;
  int FFrameCount = 0;
};
