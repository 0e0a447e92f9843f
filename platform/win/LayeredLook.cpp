// What a layered window shows, pixel by pixel: the same rule for every back end.
#include <cairo.h>

#include "platform/win/BackEnd.h"

uint32_t LayeredShownPixel(const TLayeredLook& look, cairo_surface_t* surface, int x, int y) {
  if (!surface || x < 0 || y < 0 || x >= cairo_image_surface_get_width(surface) ||
      y >= cairo_image_surface_get_height(surface))
    return 0;
  uint32_t argb;
  if (look.Kind == TLayeredLook::lkUnset) return 0;
  if (look.Kind == TLayeredLook::lkImage) {
    if (x >= look.ImageWidth || y >= look.ImageHeight) return 0;
    argb = look.Image[static_cast<size_t>(y) * look.ImageWidth + x];
    if (!look.PerPixelAlpha) argb |= 0xFF000000u;
  } else {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    argb = 0xFF000000u |
           (reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride)[x] &
            0xFFFFFF);
  }
  if (look.Kind == TLayeredLook::lkNone) return argb;
  uint32_t alpha = argb >> 24;
  if (look.UseAlpha) alpha = (alpha * look.Alpha + 127) / 255;
  // The key is a COLORREF (0x00BBGGRR).
  const uint32_t rgb = argb & 0xFFFFFF;
  const uint32_t key =
      ((look.Key & 0xFF) << 16) | (look.Key & 0xFF00) | ((look.Key >> 16) & 0xFF);
  if (look.Opaque) alpha = 255;
  if (look.UseKey && rgb == key) alpha = 0;
  return (alpha << 24) | rgb;
}
