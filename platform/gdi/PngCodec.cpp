// PNG through cairo's reader and writer. The header is checked here first, so a size no picture
// should have is refused before anything is allocated for it.
#include <cairo.h>

#include <cstring>

#include "platform/gdi/ImageCodecs.h"

namespace {

uint32_t Be32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

struct TReader {
  const uint8_t* Data;
  size_t Size;
  size_t Position;
};

cairo_status_t ReadChunk(void* closure, unsigned char* data, unsigned int length) {
  auto* reader = static_cast<TReader*>(closure);
  if (length > reader->Size - reader->Position) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, reader->Data + reader->Position, length);
  reader->Position += length;
  return CAIRO_STATUS_SUCCESS;
}

cairo_status_t WriteChunk(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<TBytes*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

bool DecodePngFile(const uint8_t* data, size_t size, TRasterImage& out) {
  static const uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (data == nullptr || size < 33 || std::memcmp(data, kSignature, 8) != 0) return false;
  // The first chunk is IHDR of 13 bytes: width, height, depth, colour type, ...
  if (Be32(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0) return false;
  // Deflate makes at most about a thousand bytes of one, and a pixel takes at least one bit.
  if (!ImageSizePlausible(Be32(data + 16), Be32(data + 20), size, 8 * 1032)) return false;
  TReader reader{data, size, 0};
  cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(ReadChunk, &reader);
  bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
  if (ok) {
    cairo_surface_flush(surface);
    int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    bool alpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
    ok = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32 ||
         cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24;
    if (ok) {
      out.Resize(width, height);
      const uint8_t* bytes = cairo_image_surface_get_data(surface);
      for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(bytes + static_cast<size_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
          uint32_t p = row[x];
          uint32_t a = alpha ? p >> 24 : 255;
          if (a == 0) {
            out.At(x, y) = 0;
          } else if (a == 255) {
            out.At(x, y) = p | 0xFF000000u;
          } else {
            // Cairo keeps colours premultiplied; pictures keep them straight.
            auto unmultiply = [&](int shift) { return std::min<uint32_t>(255, (((p >> shift) & 0xFF) * 255 + a / 2) / a); };
            out.At(x, y) = (a << 24) | (unmultiply(16) << 16) | (unmultiply(8) << 8) | unmultiply(0);
          }
        }
      }
    }
  }
  cairo_surface_destroy(surface);
  return ok;
}

TBytes EncodePngFile(const TRasterImage& image) {
  TBytes out;
  if (image.Empty()) return out;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.Width, image.Height);
  cairo_surface_flush(surface);
  uint8_t* bytes = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < image.Height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(bytes + static_cast<size_t>(y) * stride);
    for (int x = 0; x < image.Width; ++x) {
      uint32_t p = image.At(x, y), a = p >> 24;
      auto multiply = [&](int shift) { return (((p >> shift) & 0xFF) * a + 127) / 255; };
      row[x] = (a << 24) | (multiply(16) << 16) | (multiply(8) << 8) | multiply(0);
    }
  }
  cairo_surface_mark_dirty(surface);
  cairo_surface_write_to_png_stream(surface, WriteChunk, &out);
  cairo_surface_destroy(surface);
  return out;
}
