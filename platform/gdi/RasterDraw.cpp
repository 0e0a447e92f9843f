#include "platform/gdi/RasterDraw.h"

#include <cairo.h>

#include "platform/gdi/DeviceContext.h"

cairo_surface_t* RasterToSurface(const TRasterImage& image) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(0, image.Width),
                                                        std::max(0, image.Height));
  cairo_surface_flush(surface);
  uint8_t* bytes = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < image.Height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(bytes + static_cast<size_t>(y) * stride);
    for (int x = 0; x < image.Width; ++x) {
      uint32_t p = image.At(x, y), a = p >> 24;
      if (a == 255) {
        row[x] = p;
        continue;
      }
      auto multiply = [&](int shift) { return (((p >> shift) & 0xFF) * a + 127) / 255; };
      row[x] = (a << 24) | (multiply(16) << 16) | (multiply(8) << 8) | multiply(0);
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

TRasterImage SurfaceToRaster(cairo_surface_t* surface) {
  TRasterImage image;
  if (surface == nullptr || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return image;
  cairo_surface_flush(surface);
  int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
  int stride = cairo_image_surface_get_stride(surface);
  bool alpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
  const uint8_t* bytes = cairo_image_surface_get_data(surface);
  image.Resize(width, height);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(bytes + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      uint32_t p = row[x], a = alpha ? p >> 24 : 255;
      if (a == 255 || a == 0) {
        image.At(x, y) = a == 0 ? 0 : (p | 0xFF000000u);
        continue;
      }
      auto unmultiply = [&](int shift) { return std::min<uint32_t>(255, (((p >> shift) & 0xFF) * 255 + a / 2) / a); };
      image.At(x, y) = (a << 24) | (unmultiply(16) << 16) | (unmultiply(8) << 8) | unmultiply(0);
    }
  }
  return image;
}

void DrawRasterImage(HDC dc, const TRect& dest, const TRasterImage& image, int opacity, const TRect* source) {
  if (dc == nullptr || image.Empty() || IsRectEmpty(dest) || opacity <= 0) return;
  TRect src = source != nullptr ? *source : TRect{0, 0, image.Width, image.Height};
  if (IsRectEmpty(src)) return;
  dc->Log("DrawImage", {dest.Left, dest.Top, dest.Right, dest.Bottom, src.Left, src.Top, src.Width(), src.Height()},
          static_cast<uint32_t>(opacity));
  cairo_surface_t* surface = RasterToSurface(image);
  cairo_t* cr = dc->Begin();
  cairo_rectangle(cr, dest.Left, dest.Top, dest.Width(), dest.Height());
  cairo_clip(cr);
  cairo_translate(cr, dest.Left, dest.Top);
  cairo_scale(cr, static_cast<double>(dest.Width()) / src.Width(), static_cast<double>(dest.Height()) / src.Height());
  cairo_set_source_surface(cr, surface, -src.Left, -src.Top);
  bool scaled = dest.Width() != src.Width() || dest.Height() != src.Height();
  cairo_pattern_set_filter(cairo_get_source(cr), !scaled || dc->State().StretchMode == COLORONCOLOR
                                                     ? CAIRO_FILTER_NEAREST
                                                     : CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_rectangle(cr, 0, 0, src.Width(), src.Height());
  cairo_clip(cr);
  cairo_paint_with_alpha(cr, std::min(opacity, 255) / 255.0);
  dc->End();
  cairo_surface_destroy(surface);
}
