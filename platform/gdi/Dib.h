// Device-independent bitmaps: the header, colour table and pixel rows of BMP files, of icon images
// and of the DIB calls, decoded with every size and offset checked against the bytes at hand.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gdi/Raster.h"

struct TDibInfo {
  int Width = 0;
  int Height = 0;        // always positive
  bool TopDown = false;
  int BitCount = 0;
  uint32_t Compression = 0;
  size_t HeaderBytes = 0;  // header, masks and colour table
  size_t RowBytes = 0;
  bool AlphaUsed = false;  // a 32-bit image whose alpha bytes are not all zero
};

// Reads the header (and, when bits is null, expects the pixel rows right after the colour table in
// header). heightOverride, when above 0, replaces the header's height (icons store twice their
// height). Uncompressed 1, 4, 8, 16, 24 and 32 bits a pixel and bit-field masks are supported;
// anything else, or bytes that run short, gives false.
bool DecodeDib(const uint8_t* header, size_t headerSize, const uint8_t* bits, size_t bitsSize,
               TRasterImage& out, TDibInfo& info, int heightOverride = 0);
// The size of the header of an in-memory BITMAPINFO (header, masks, colour table), or 0 when the
// header is not understood.
size_t DibHeaderBytes(const uint8_t* header);

// Little-endian numbers of the file formats.
inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
