// Bitmaps and the device-independent bitmap calls.
#include <cstring>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Dib.h"
#include "platform/gdi/Gdi.h"

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (width < 0 || height < 0 || !ImageSizeAcceptable(std::max(width, 1), std::max(height, 1))) {
    return nullptr;
  }
  // Compatible with a memory context means compatible with its bitmap, monochrome included.
  int bits = dc != nullptr && dc->IsMonochrome() ? 1 : 32;
  return new TGdiBitmap(width, height, bits);
}

HBITMAP CreateBitmap(int width, int height, uint32_t planes, uint32_t bitsPixel, const void* bits) {
  if (width < 0 || height < 0 || planes != 1 ||
      !ImageSizeAcceptable(std::max(width, 1), std::max(height, 1))) {
    return nullptr;
  }
  int depth = bitsPixel == 1 ? 1 : bitsPixel == 24 ? 24 : 32;
  auto* bitmap = new TGdiBitmap(width, height, depth);
  if (bits == nullptr || width == 0 || height == 0) return bitmap;
  // Rows of the given depth padded to 16 bits.
  const auto* src = static_cast<const uint8_t*>(bits);
  size_t rowBytes = ((static_cast<size_t>(width) * bitsPixel + 15) / 16) * 2;
  uint32_t* pixels = bitmap->Pixels();
  int stride = bitmap->PixelStride();
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = src + rowBytes * y;
    for (int x = 0; x < width; ++x) {
      uint32_t p = 0;
      switch (bitsPixel) {
        case 1: p = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 0xFFFFFF : 0; break;
        case 24: p = (uint32_t(row[3 * x + 2]) << 16) | (uint32_t(row[3 * x + 1]) << 8) | row[3 * x]; break;
        case 32: p = (uint32_t(row[4 * x + 2]) << 16) | (uint32_t(row[4 * x + 1]) << 8) | row[4 * x]; break;
        default: break;
      }
      pixels[y * stride + x] = p;
    }
  }
  bitmap->PixelsChanged();
  return bitmap;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, uint32_t, void** bits, void*, uint32_t) {
  if (info == nullptr) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  if ((h.biBitCount != 24 && h.biBitCount != 32) || h.biHeight == INT32_MIN ||
      !ImageSizeAcceptable(h.biWidth, height)) {
    return nullptr;
  }
  auto* bitmap = new TGdiBitmap(h.biWidth, height, h.biBitCount, h.biHeight > 0);
  if (bits != nullptr) *bits = bitmap->Bits();
  return bitmap;
}

int GetDIBits(HDC, HBITMAP bitmap, uint32_t start, uint32_t lines, void* bits, BITMAPINFO* info,
              uint32_t) {
  if (bitmap == nullptr || info == nullptr) return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (bits == nullptr) {
    h.biWidth = bitmap->Width;
    h.biHeight = bitmap->Height;
    h.biPlanes = 1;
    if (h.biBitCount == 0) h.biBitCount = 32;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<uint32_t>(((bitmap->Width * h.biBitCount + 31) / 32) * 4 * bitmap->Height);
    return 1;
  }
  if ((h.biBitCount != 24 && h.biBitCount != 32) || h.biCompression != BI_RGB) return 0;
  bool topDown = h.biHeight < 0;
  size_t rowBytes = static_cast<size_t>((bitmap->Width * h.biBitCount + 31) / 32) * 4;
  const uint32_t* pixels = bitmap->Pixels();
  int stride = bitmap->PixelStride();
  auto* out = static_cast<uint8_t*>(bits);
  int copied = 0;
  for (uint32_t i = 0; i < lines && start + i < static_cast<uint32_t>(bitmap->Height); ++i, ++copied) {
    int scan = static_cast<int>(start + i);
    int y = topDown ? scan : bitmap->Height - 1 - scan;
    uint8_t* row = out + rowBytes * i;
    std::memset(row, 0, rowBytes);
    for (int x = 0; x < bitmap->Width; ++x) {
      uint32_t p = pixels[y * stride + x];
      uint8_t* d = row + x * (h.biBitCount / 8);
      d[0] = static_cast<uint8_t>(p);
      d[1] = static_cast<uint8_t>(p >> 8);
      d[2] = static_cast<uint8_t>(p >> 16);
    }
  }
  return copied;
}

int SetDIBits(HDC, HBITMAP bitmap, uint32_t start, uint32_t lines, const void* bits,
              const BITMAPINFO* info, uint32_t) {
  if (bitmap == nullptr || info == nullptr || bits == nullptr || lines == 0) return 0;
  const auto* header = reinterpret_cast<const uint8_t*>(info);
  size_t headerBytes = DibHeaderBytes(header);
  if (headerBytes == 0) return 0;
  TRasterImage image;
  TDibInfo dib;
  size_t rowBytes = static_cast<size_t>((info->bmiHeader.biWidth * int64_t(info->bmiHeader.biBitCount) + 31) / 32) * 4;
  if (!DecodeDib(header, headerBytes, static_cast<const uint8_t*>(bits), rowBytes * lines, image, dib,
                 static_cast<int>(lines))) {
    return 0;
  }
  uint32_t* pixels = bitmap->Pixels();
  int stride = bitmap->PixelStride();
  int rows = 0;
  for (int r = 0; r < image.Height; ++r) {
    int scan = static_cast<int>(start) + (dib.TopDown ? r : image.Height - 1 - r);
    int y = dib.TopDown ? scan : bitmap->Height - 1 - scan;
    if (y < 0 || y >= bitmap->Height) continue;
    for (int x = 0; x < std::min(image.Width, bitmap->Width); ++x) {
      pixels[y * stride + x] = image.At(x, r) & 0xFFFFFF;
    }
    ++rows;
  }
  bitmap->PixelsChanged();
  return rows;
}
