// TJPEGImage: a JPEG picture decoded with libjpeg. It keeps the file's bytes and saves them
// unchanged; a picture assigned from another graphic is compressed at CompressionQuality.
#pragma once

#include <algorithm>

#include "platform/gdi/RasterGraphics.h"

DECLARE_EXCEPTION(EJPEG, EInvalidGraphic)

enum TJPEGPerformance { jpBestQuality, jpBestSpeed };
enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };
enum TJPEGPixelFormat { jf24Bit, jf8Bit };

class TJPEGImage : public TRasterGraphic {
 public:
  TJPEGImage() = default;
  TGraphic* NewInstance() const override { return new TJPEGImage; }

  int CompressionQuality() const { return FQuality; }
  void SetCompressionQuality(int value) { FQuality = std::clamp(value, 1, 100); }
  // A greyscale picture is compressed with one channel.
  bool Grayscale() const { return FGrayscale; }
  void SetGrayscale(bool value);
  TJPEGPerformance Performance() const { return FPerformance; }
  void SetPerformance(TJPEGPerformance value) { FPerformance = value; }
  TJPEGScale Scale() const { return FScale; }
  void SetScale(TJPEGScale value) { FScale = value; }
  bool Smoothing() const { return FSmoothing; }
  void SetSmoothing(bool value) { FSmoothing = value; }
  TJPEGPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TJPEGPixelFormat value) { FPixelFormat = value; }
  bool ProgressiveDisplay() const { return FProgressiveDisplay; }
  void SetProgressiveDisplay(bool value) { FProgressiveDisplay = value; }

  // Compresses the picture anew from its pixels.
  void Compress();
  // The pixels and the bytes are always both at hand here.
  void DIBNeeded() {}
  void JPEGNeeded();

 protected:
  bool Decode(const TBytes& data, TRasterImage& image) override;
  TBytes Encode(const TRasterImage& image) override;
  String InvalidMessage() const override { return u"JPEG image is not valid"; }
  [[noreturn]] void RaiseInvalid() const override { throw EJPEG(InvalidMessage()); }

 private:
  int FQuality = 90;
  bool FGrayscale = false;
  TJPEGPerformance FPerformance = jpBestQuality;
  TJPEGScale FScale = jsFullSize;
  bool FSmoothing = true;
  TJPEGPixelFormat FPixelFormat = jf24Bit;
  bool FProgressiveDisplay = false;
};
