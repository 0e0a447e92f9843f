#include "platform/gdi/Dib.h"

#include <climits>

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

// One colour channel described by a bit mask.
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  uint32_t Max = 0;
  explicit TChannel(uint32_t mask = 0) : Mask(mask) {
    if (mask == 0) return;
    while (((mask >> Shift) & 1) == 0) ++Shift;
    Max = mask >> Shift;
  }
  uint8_t Get(uint32_t pixel, uint8_t missing) const {
    if (Mask == 0) return missing;
    return static_cast<uint8_t>(((pixel & Mask) >> Shift) * 255 / Max);
  }
};

struct THeader {
  int64_t Width = 0, Height = 0;
  int BitCount = 0;
  uint32_t Compression = 0, ColorsUsed = 0;
  size_t Size = 0, MaskBytes = 0, EntrySize = 4, Colors = 0;
  uint32_t Masks[4] = {};
  bool HasMasks = false;
};

bool ReadHeader(const uint8_t* p, size_t size, THeader& h) {
  if (p == nullptr || size < 4) return false;
  h.Size = Le32(p);
  if (h.Size == 12) {
    if (size < 12) return false;
    h.Width = Le16(p + 4);
    h.Height = static_cast<int16_t>(Le16(p + 6));
    h.BitCount = Le16(p + 10);
    h.EntrySize = 3;
  } else if (h.Size >= 40 && h.Size <= 1024) {
    if (size < h.Size) return false;
    h.Width = static_cast<int32_t>(Le32(p + 4));
    h.Height = static_cast<int32_t>(Le32(p + 8));
    h.BitCount = Le16(p + 14);
    h.Compression = Le32(p + 16);
    h.ColorsUsed = Le32(p + 32);
  } else {
    return false;
  }
  if (h.Compression == kBiBitfields || h.Compression == kBiAlphaBitfields) {
    int count = h.Compression == kBiAlphaBitfields ? 4 : 3;
    const uint8_t* masks = p + 40;
    if (h.Size < 40 + 4u * count) {
      h.MaskBytes = 4u * count;
      if (size < h.Size + h.MaskBytes) return false;
      masks = p + h.Size;
    }
    for (int i = 0; i < count; ++i) h.Masks[i] = Le32(masks + 4 * i);
    // Version 4 and 5 headers carry an alpha mask too.
    if (count == 3 && h.Size >= 56) h.Masks[3] = Le32(p + 52);
    h.HasMasks = true;
  }
  if (h.BitCount <= 8 && h.BitCount > 0) {
    h.Colors = h.ColorsUsed != 0 ? h.ColorsUsed : (1u << h.BitCount);
    if (h.Colors > 256) return false;
  }
  return true;
}

}  // namespace

size_t DibHeaderBytes(const uint8_t* header) {
  THeader h;
  if (header == nullptr || !ReadHeader(header, SIZE_MAX, h)) return 0;
  return h.Size + h.MaskBytes + h.Colors * h.EntrySize;
}

bool DecodeDib(const uint8_t* header, size_t headerSize, const uint8_t* bits, size_t bitsSize,
               TRasterImage& out, TDibInfo& info, int heightOverride) {
  THeader h;
  if (!ReadHeader(header, headerSize, h)) return false;
  size_t headerBytes = h.Size + h.MaskBytes + h.Colors * h.EntrySize;
  if (headerBytes > headerSize) return false;
  if (bits == nullptr) {
    bits = header + headerBytes;
    bitsSize = headerSize - headerBytes;
  }
  if (heightOverride > 0) h.Height = h.Height < 0 ? -heightOverride : heightOverride;
  bool topDown = h.Height < 0;
  int64_t height = topDown ? -h.Height : h.Height;
  if (!ImageSizeAcceptable(h.Width, height)) return false;
  switch (h.BitCount) {
    case 1: case 4: case 8: case 24:
      if (h.Compression != kBiRgb) return false;
      break;
    case 16: case 32:
      if (h.Compression != kBiRgb && !h.HasMasks) return false;
      break;
    default: return false;
  }
  size_t rowBytes = static_cast<size_t>((h.Width * h.BitCount + 31) / 32) * 4;
  if (rowBytes * static_cast<size_t>(height) > bitsSize) return false;

  const uint8_t* palette = header + h.Size + h.MaskBytes;
  auto paletteColor = [&](uint32_t index) -> uint32_t {
    if (index >= h.Colors) return 0xFF000000;
    const uint8_t* e = palette + index * h.EntrySize;
    return 0xFF000000u | (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
  };
  if (!h.HasMasks) {
    if (h.BitCount == 16) h.Masks[0] = 0x7C00, h.Masks[1] = 0x03E0, h.Masks[2] = 0x001F;
    if (h.BitCount == 32) {
      h.Masks[0] = 0xFF0000, h.Masks[1] = 0xFF00, h.Masks[2] = 0xFF, h.Masks[3] = 0xFF000000;
    }
  }
  TChannel red(h.Masks[0]), green(h.Masks[1]), blue(h.Masks[2]), alpha(h.Masks[3]);

  int width = static_cast<int>(h.Width);
  out.Resize(width, static_cast<int>(height));
  bool alphaUsed = false;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = bits + rowBytes * static_cast<size_t>(topDown ? y : height - 1 - y);
    uint32_t* dst = &out.At(0, y);
    for (int x = 0; x < width; ++x) {
      switch (h.BitCount) {
        case 1: dst[x] = paletteColor((row[x >> 3] >> (7 - (x & 7))) & 1); break;
        case 4: dst[x] = paletteColor((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF); break;
        case 8: dst[x] = paletteColor(row[x]); break;
        case 24: {
          const uint8_t* p = row + 3 * x;
          dst[x] = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
          break;
        }
        case 16:
        case 32: {
          uint32_t v = h.BitCount == 16 ? Le16(row + 2 * x) : Le32(row + 4 * x);
          uint8_t a = alpha.Get(v, 0xFF);
          if (h.BitCount == 32 && alpha.Mask != 0 && a != 0) alphaUsed = true;
          dst[x] = (uint32_t(a) << 24) | (uint32_t(red.Get(v, 0)) << 16) |
                   (uint32_t(green.Get(v, 0)) << 8) | blue.Get(v, 0);
          break;
        }
      }
    }
  }
  // A 32-bit image whose alpha bytes are all zero is opaque: the bytes are merely unused.
  if (h.BitCount == 32 && !alphaUsed) {
    for (uint32_t& p : out.Argb) p |= 0xFF000000u;
  }
  info.Width = width;
  info.Height = static_cast<int>(height);
  info.TopDown = topDown;
  info.BitCount = h.BitCount;
  info.Compression = h.Compression;
  info.HeaderBytes = headerBytes;
  info.RowBytes = rowBytes;
  info.AlphaUsed = alphaUsed;
  return true;
}
