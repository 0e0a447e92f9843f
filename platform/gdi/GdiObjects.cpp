#include "platform/gdi/GdiObjects.h"

#include <cairo.h>

#include <cstring>

#include "platform/gdi/FontFace.h"

void GdiAddRef(TGdiObject* object) {
  if (object != nullptr && !object->Stock) ++object->Refs;
}

void GdiRelease(TGdiObject* object) {
  if (object == nullptr || object->Stock) return;
  if (--object->Refs == 0) delete object;
}

uint32_t TGdiPen::Kind() const { return Style & PS_STYLE_MASK; }

TGdiBrush::TGdiBrush() : TGdiObject(OBJ_BRUSH) {}

TGdiBrush::~TGdiBrush() { GdiRelease(Pattern); }

TGdiFont::TGdiFont(const LOGFONTW& log) : TGdiObject(OBJ_FONT), Log(log) {}

TFontFace& TGdiFont::Face() {
  if (!FFace) FFace = AcquireFontFace(Log);
  return *FFace;
}

TGdiBitmap::TGdiBitmap(int width, int height, int bitsPixel, bool bottomUp)
    : TGdiObject(OBJ_BITMAP), Width(std::max(width, 0)), Height(std::max(height, 0)),
      BitsPixel(bitsPixel), BottomUp(bottomUp) {
  FSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, Width, Height);
}

TGdiBitmap::~TGdiBitmap() { cairo_surface_destroy(FSurface); }

int TGdiBitmap::RowBytes() const {
  if (BitsPixel == 24) return (Width * 3 + 3) & ~3;
  if (BitsPixel == 1) return ((Width + 15) / 16) * 2;
  return Width * 4;
}

cairo_surface_t* TGdiBitmap::Surface() {
  if (!FBitsNewer) return FSurface;
  if (OwnRows() && Width > 0 && Height > 0) {
    cairo_surface_flush(FSurface);
    auto* data = cairo_image_surface_get_data(FSurface);
    int stride = cairo_image_surface_get_stride(FSurface);
    int step = BitsPixel == 24 ? 3 : 4;
    for (int y = 0; y < Height; ++y) {
      int row = BottomUp ? Height - 1 - y : y;
      const uint8_t* src = FRows.data() + static_cast<size_t>(row) * RowBytes();
      auto* dst = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
      if (BitsPixel == 1) {
        // A set bit is white.
        for (int x = 0; x < Width; ++x) dst[x] = ((src[x >> 3] >> (7 - (x & 7))) & 1) ? 0xFFFFFF : 0;
        continue;
      }
      for (int x = 0; x < Width; ++x, src += step) {
        dst[x] = (uint32_t(src[2]) << 16) | (uint32_t(src[1]) << 8) | src[0];
      }
    }
  }
  cairo_surface_mark_dirty(FSurface);
  FBitsNewer = false;
  return FSurface;
}

uint8_t* TGdiBitmap::Bits() {
  cairo_surface_flush(FSurface);
  if (!OwnRows()) {
    FBitsNewer = true;
    return cairo_image_surface_get_data(FSurface);
  }
  if (!FBitsNewer) {
    FRows.assign(static_cast<size_t>(RowBytes()) * Height, 0);
    auto* data = cairo_image_surface_get_data(FSurface);
    int stride = cairo_image_surface_get_stride(FSurface);
    int step = BitsPixel == 24 ? 3 : 4;
    for (int y = 0; y < Height; ++y) {
      int row = BottomUp ? Height - 1 - y : y;
      const auto* src = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
      uint8_t* dst = FRows.data() + static_cast<size_t>(row) * RowBytes();
      if (BitsPixel == 1) {
        for (int x = 0; x < Width; ++x) {
          if ((src[x] & 0xFFFFFF) == 0xFFFFFF) dst[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
        continue;
      }
      for (int x = 0; x < Width; ++x, dst += step) {
        dst[0] = static_cast<uint8_t>(src[x]);
        dst[1] = static_cast<uint8_t>(src[x] >> 8);
        dst[2] = static_cast<uint8_t>(src[x] >> 16);
      }
    }
    FBitsNewer = true;
  }
  return FRows.data();
}

uint32_t* TGdiBitmap::Pixels() {
  cairo_surface_t* surface = Surface();
  cairo_surface_flush(surface);
  return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
}

int TGdiBitmap::PixelStride() const { return cairo_image_surface_get_stride(FSurface) / 4; }

void TGdiBitmap::PixelsChanged() { cairo_surface_mark_dirty(FSurface); }
