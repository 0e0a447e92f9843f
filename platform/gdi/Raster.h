// A decoded picture: what every image reader produces and every picture class draws from.
#pragma once

#include <cstdint>
#include <vector>

// Largest picture a reader accepts, in pixels: a guard against sizes a corrupt header claims.
constexpr int64_t kMaxImagePixels = 64 * 1024 * 1024;
constexpr int kMaxImageSide = 32768;

struct TRasterImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Argb;  // top row first, 0xAARRGGBB with straight (not premultiplied) alpha

  bool Empty() const { return Width <= 0 || Height <= 0; }
  void Resize(int width, int height, uint32_t fill = 0) {
    Width = width;
    Height = height;
    Argb.assign(static_cast<size_t>(width) * height, fill);
  }
  uint32_t At(int x, int y) const { return Argb[static_cast<size_t>(y) * Width + x]; }
  uint32_t& At(int x, int y) { return Argb[static_cast<size_t>(y) * Width + x]; }
  bool HasTransparency() const {
    for (uint32_t p : Argb) {
      if ((p >> 24) != 0xFF) return true;
    }
    return false;
  }
};

inline bool ImageSizeAcceptable(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

// Whether a compressed file of `bytes` bytes can hold that many pixels at all, given the most
// pixels one byte of its coding can stand for: a small damaged file claiming a huge picture is
// refused before memory is set aside for it.
inline bool ImageSizePlausible(int64_t width, int64_t height, size_t bytes, int64_t pixelsPerByte) {
  return ImageSizeAcceptable(width, height) && width * height <= static_cast<int64_t>(bytes) * pixelsPerByte + 4096;
}
