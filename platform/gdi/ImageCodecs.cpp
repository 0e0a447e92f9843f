// Format detection, and the BMP and icon readers and writers.
#include "platform/gdi/ImageCodecs.h"

#include <cstring>

#include "platform/gdi/Dib.h"

namespace {

void Put16(TBytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(TBytes& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// The DIB header and the rows (bottom row first) of an image, as BMP files and icons hold them.
void PutDib(TBytes& out, const TRasterImage& image, int bitCount, int headerHeight) {
  size_t rowBytes = static_cast<size_t>((image.Width * bitCount + 31) / 32) * 4;
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(image.Width));
  Put32(out, static_cast<uint32_t>(headerHeight));
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(bitCount));
  Put32(out, 0);  // BI_RGB
  Put32(out, static_cast<uint32_t>(rowBytes * image.Height));
  Put32(out, 3780);  // 96 pixels per inch
  Put32(out, 3780);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = image.Height - 1; y >= 0; --y) {
    size_t start = out.size();
    for (int x = 0; x < image.Width; ++x) {
      uint32_t p = image.At(x, y);
      out.push_back(static_cast<uint8_t>(p));
      out.push_back(static_cast<uint8_t>(p >> 8));
      out.push_back(static_cast<uint8_t>(p >> 16));
      if (bitCount == 32) out.push_back(static_cast<uint8_t>(p >> 24));
    }
    out.resize(start + rowBytes, 0);
  }
}

bool IsPng(const uint8_t* data, size_t size) {
  static const uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return size >= 8 && std::memcmp(data, kSignature, 8) == 0;
}

}  // namespace

TImageFormat DetectImageFormat(const uint8_t* data, size_t size) {
  if (data == nullptr || size < 4) return TImageFormat::Unknown;
  if (IsPng(data, size)) return TImageFormat::Png;
  if (data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return TImageFormat::Jpeg;
  if (size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0)) {
    return TImageFormat::Gif;
  }
  if (data[0] == 'B' && data[1] == 'M') return TImageFormat::Bmp;
  if (size >= 6 && Le16(data) == 0 && (Le16(data + 2) == 1 || Le16(data + 2) == 2) && Le16(data + 4) > 0) {
    return TImageFormat::Ico;
  }
  if ((data[0] == 'I' && data[1] == 'I' && data[2] == 42 && data[3] == 0) ||
      (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 42)) {
    return TImageFormat::Tiff;
  }
  return TImageFormat::Unknown;
}

bool DecodeBmpFile(const uint8_t* data, size_t size, TRasterImage& out, int* bitCount) {
  if (data == nullptr || size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return false;
  uint32_t offset = Le32(data + 10);
  size_t header = size - 14;
  const uint8_t* bits = nullptr;
  size_t bitsSize = 0;
  // An offset of zero or one inside the headers means the rows follow the colour table.
  if (offset >= 14 + 12 && offset < size) {
    bits = data + offset;
    bitsSize = size - offset;
  }
  TDibInfo info;
  if (!DecodeDib(data + 14, header, bits, bitsSize, out, info)) return false;
  if (bitCount != nullptr) *bitCount = info.BitCount;
  return true;
}

bool DecodeIcoFile(const uint8_t* data, size_t size, TRasterImage& out, int wantedSize) {
  if (data == nullptr || size < 6 || Le16(data) != 0) return false;
  int type = Le16(data + 2), count = Le16(data + 4);
  if ((type != 1 && type != 2) || count == 0 || size < 6 + 16u * count) return false;
  // The entry nearest the wanted size, the largest without one; more colours break ties.
  int best = -1;
  int64_t bestScore = 0;
  for (int i = 0; i < count; ++i) {
    const uint8_t* e = data + 6 + 16 * i;
    int w = e[0] == 0 ? 256 : e[0];
    int bits = type == 1 ? Le16(e + 6) : 32;
    int64_t score = wantedSize > 0 ? -int64_t(std::abs(w - wantedSize)) * 1000 + bits : int64_t(w) * 1000 + bits;
    if (best < 0 || score > bestScore) best = i, bestScore = score;
  }
  const uint8_t* e = data + 6 + 16 * best;
  uint32_t length = Le32(e + 8), offset = Le32(e + 12);
  if (offset >= size || length > size - offset || length < 12) return false;
  const uint8_t* image = data + offset;
  if (IsPng(image, length)) return DecodePngFile(image, length, out);
  // A DIB whose header counts the colour rows and the mask rows together.
  uint32_t headerSize = Le32(image);
  if (headerSize < 12 || headerSize > length) return false;
  int32_t doubled = headerSize == 12 ? static_cast<int16_t>(Le16(image + 6)) : static_cast<int32_t>(Le32(image + 8));
  if (doubled <= 1 || doubled % 2 != 0) return false;
  int height = doubled / 2;
  TDibInfo info;
  if (!DecodeDib(image, length, nullptr, 0, out, info, height)) return false;
  size_t maskRow = static_cast<size_t>((out.Width + 31) / 32) * 4;
  size_t maskStart = info.HeaderBytes + info.RowBytes * static_cast<size_t>(out.Height);
  // Every DIB icon carries its AND mask; one that ends before it is cut short.
  if (maskStart + maskRow * out.Height > length) return false;
  if (info.BitCount == 32 && info.AlphaUsed) return true;  // alpha says it all
  for (int y = 0; y < out.Height; ++y) {
    const uint8_t* row = image + maskStart + maskRow * static_cast<size_t>(out.Height - 1 - y);
    for (int x = 0; x < out.Width; ++x) {
      if ((row[x >> 3] >> (7 - (x & 7))) & 1) out.At(x, y) &= 0x00FFFFFF;
    }
  }
  return true;
}

bool DecodeImageFile(const uint8_t* data, size_t size, TRasterImage& out, TImageFormat* format) {
  TImageFormat kind = DetectImageFormat(data, size);
  if (format != nullptr) *format = kind;
  switch (kind) {
    case TImageFormat::Bmp: return DecodeBmpFile(data, size, out);
    case TImageFormat::Png: return DecodePngFile(data, size, out);
    case TImageFormat::Jpeg: return DecodeJpegFile(data, size, out);
    case TImageFormat::Gif: return DecodeGifFile(data, size, 0, out);
    case TImageFormat::Ico: return DecodeIcoFile(data, size, out);
    default: return false;
  }
}

TBytes EncodeBmpFile(const TRasterImage& image, int bitCount) {
  if (bitCount != 24) bitCount = 32;
  TBytes out{'B', 'M'};
  size_t rowBytes = static_cast<size_t>((image.Width * bitCount + 31) / 32) * 4;
  Put32(out, static_cast<uint32_t>(14 + 40 + rowBytes * image.Height));
  Put32(out, 0);
  Put32(out, 14 + 40);
  PutDib(out, image, bitCount, image.Height);
  return out;
}

TBytes EncodeIcoFile(const std::vector<TRasterImage>& images) {
  TBytes out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(images.size()));
  std::vector<TBytes> bodies;
  for (const TRasterImage& image : images) {
    TBytes body;
    PutDib(body, image, 32, image.Height * 2);
    size_t maskRow = static_cast<size_t>((image.Width + 31) / 32) * 4;
    for (int y = image.Height - 1; y >= 0; --y) {
      TBytes row(maskRow, 0);
      for (int x = 0; x < image.Width; ++x) {
        if ((image.At(x, y) >> 24) == 0) row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
      }
      body.insert(body.end(), row.begin(), row.end());
    }
    bodies.push_back(std::move(body));
  }
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<uint8_t>(images[i].Width >= 256 ? 0 : images[i].Width));
    out.push_back(static_cast<uint8_t>(images[i].Height >= 256 ? 0 : images[i].Height));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, static_cast<uint32_t>(bodies[i].size()));
    Put32(out, offset);
    offset += static_cast<uint32_t>(bodies[i].size());
  }
  for (const TBytes& body : bodies) out.insert(out.end(), body.begin(), body.end());
  return out;
}
