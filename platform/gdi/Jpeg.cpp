#include "platform/gdi/Jpeg.h"

bool TJPEGImage::Decode(const TBytes& data, TRasterImage& image) {
  return DecodeJpegFile(data.data(), data.size(), image);
}

TBytes TJPEGImage::Encode(const TRasterImage& image) { return EncodeJpegFile(image, FQuality, FGrayscale); }

void TJPEGImage::SetGrayscale(bool value) {
  if (value == FGrayscale) return;
  FGrayscale = value;
  if (value && !FImage.Empty()) {
    for (uint32_t& p : FImage.Argb) {
      uint32_t grey = (((p >> 16) & 0xFF) * 299 + ((p >> 8) & 0xFF) * 587 + (p & 0xFF) * 114 + 500) / 1000;
      p = (p & 0xFF000000u) | (grey << 16) | (grey << 8) | grey;
    }
    FData.clear();
  }
  Changed();
}

void TJPEGImage::Compress() {
  if (FImage.Empty()) return;
  FData = Encode(FImage);
  Changed();
}

void TJPEGImage::JPEGNeeded() {
  if (FData.empty() && !FImage.Empty()) FData = Encode(FImage);
}
