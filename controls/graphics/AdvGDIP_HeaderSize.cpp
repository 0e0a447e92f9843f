// The size an image file announces in its header, read before the picture is ever decoded. The
// bytes come from outside: every offset is checked against them, every step moves forward, and
// anything that does not add up gives 0 x 0.
#include <cstdlib>

#include "controls/graphics/AdvGDIP.h"
#include "platform/rtl/TextCompare.h"

namespace {

// Decoding refuses a side beyond this, so the header should not promise one.
constexpr int64_t kMaxSide = 32768;

class THeader {
 public:
  THeader(const uint8_t* data, size_t size) : FData(data), FSize(data != nullptr ? size : 0) {}
  bool Has(size_t at, size_t count) const { return at <= FSize && count <= FSize - at; }
  uint8_t At(size_t at) const { return FData[at]; }
  size_t Size() const { return FSize; }
  uint32_t Be16(size_t at) const { return (uint32_t(FData[at]) << 8) | FData[at + 1]; }
  uint32_t Le16(size_t at) const { return (uint32_t(FData[at + 1]) << 8) | FData[at]; }
  uint32_t Be32(size_t at) const { return (Be16(at) << 16) | Be16(at + 2); }
  uint32_t Le32(size_t at) const { return (Le16(at + 2) << 16) | Le16(at); }

 private:
  const uint8_t* FData;
  size_t FSize;
};

TImageHeaderSize Sized(int64_t width, int64_t height) {
  if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide) return {};
  return {static_cast<uint16_t>(width), static_cast<uint16_t>(height)};
}

// Markers up to the first start of frame (baseline, extended or progressive); a segment length
// below 2 would step back, so it ends the scan.
TImageHeaderSize JpegSize(const THeader& h) {
  if (!h.Has(0, 2) || h.At(0) != 0xFF || h.At(1) != 0xD8) return {};
  size_t at = 2;
  for (;;) {
    if (!h.Has(at, 1) || h.At(at) != 0xFF) return {};
    while (h.Has(at, 1) && h.At(at) == 0xFF) ++at;  // the marker's FF and fill bytes
    if (!h.Has(at, 1)) return {};
    uint8_t marker = h.At(at++);
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (marker >= 0xC0 && marker <= 0xC2) {
      // Length, precision, then height and width.
      if (!h.Has(at, 7)) return {};
      return Sized(h.Be16(at + 5), h.Be16(at + 3));
    }
    if (!h.Has(at, 2)) return {};
    uint32_t length = h.Be16(at);
    if (length < 2) return {};
    at += length;
  }
}

TImageHeaderSize PngSize(const THeader& h) {
  static const uint8_t kSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (!h.Has(0, 24)) return {};
  for (size_t i = 0; i < sizeof kSignature; ++i) {
    if (h.At(i) != kSignature[i]) return {};
  }
  if (h.At(12) != 'I' || h.At(13) != 'H' || h.At(14) != 'D' || h.At(15) != 'R') return {};
  return Sized(h.Be32(16), h.Be32(20));
}

// A bottom-up file has a positive height, a top-down one a negative height of the same size.
TImageHeaderSize BmpSize(const THeader& h) {
  if (!h.Has(0, 26) || h.At(0) != 'B' || h.At(1) != 'M') return {};
  int64_t width = static_cast<int32_t>(h.Le32(18));
  int64_t height = static_cast<int32_t>(h.Le32(22));
  return Sized(width, std::llabs(height));
}

// The first image file directory, in the byte order the header names; a width or height may be
// stored as a 16- or a 32-bit number.
TImageHeaderSize TiffSize(const THeader& h) {
  if (!h.Has(0, 8)) return {};
  bool intel = h.At(0) == 'I' && h.At(1) == 'I';
  bool motorola = h.At(0) == 'M' && h.At(1) == 'M';
  if (!intel && !motorola) return {};
  auto u16 = [&](size_t at) { return intel ? h.Le16(at) : h.Be16(at); };
  auto u32 = [&](size_t at) { return intel ? h.Le32(at) : h.Be32(at); };
  if (u16(2) != 42) return {};
  size_t directory = u32(4);
  if (!h.Has(directory, 2)) return {};
  size_t count = u16(directory);
  if (!h.Has(directory + 2, count * 12)) return {};
  int64_t width = -1, height = -1;
  for (size_t i = 0; i < count && (width < 0 || height < 0); ++i) {
    size_t entry = directory + 2 + i * 12;
    uint32_t tag = u16(entry);
    if (tag != 256 && tag != 257) continue;
    int64_t value = u16(entry + 2) == 3 ? int64_t(u16(entry + 8))
                                        : std::llabs(int64_t(int32_t(u32(entry + 8))));
    (tag == 256 ? width : height) = value;
  }
  if (width < 0 || height < 0) return {};
  return Sized(width, height);
}

// Past the header and the global colour table, the first image separator's descriptor.
TImageHeaderSize GifSize(const THeader& h) {
  if (!h.Has(0, 13) || h.At(0) != 'G' || h.At(1) != 'I' || h.At(2) != 'F') return {};
  size_t at = 13;
  uint8_t packed = h.At(10);
  if (packed & 0x80) at += 3 * (size_t(1) << ((packed & 7) + 1));
  while (h.Has(at, 1) && h.At(at) != 0x2C) ++at;
  if (!h.Has(at, 9)) return {};
  return Sized(h.Le16(at + 5), h.Le16(at + 7));
}

}  // namespace

TImageHeaderSize ReadImageHeaderSize(const uint8_t* data, size_t size, const String& extension) {
  THeader header(data, size);
  String ext = UpperCase(extension);
  if (!ext.empty() && ext[0] == u'.') ext.erase(0, 1);
  if (ext == u"JPG" || ext == u"JPEG") return JpegSize(header);
  if (ext == u"PNG") return PngSize(header);
  if (ext == u"BMP") return BmpSize(header);
  if (ext == u"TIF" || ext == u"TIFF") return TiffSize(header);
  if (ext == u"GIF") return GifSize(header);
  return {};
}
