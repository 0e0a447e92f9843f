// Layered windows: a top-level window with WS_EX_LAYERED keeps the image UpdateLayeredWindow
// gave it, or the attributes SetLayeredWindowAttributes set, and tells its native window.
#include <cairo.h>

#include <algorithm>

#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

TWindow* LayeredWindow(HWND handle) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window || window->IsDesktop() || !window->IsTopLevel()) return nullptr;
  return (window->ExStyle & WS_EX_LAYERED) ? window : nullptr;
}

void Tell(TWindow* window) {
  if (window->Native) window->Native->SetLayeredLook(window->Layered);
}

// A straight (not premultiplied) ARGB word from a surface word; withAlpha takes the top byte as
// the premultiplied alpha the caller wrote, else the pixel is opaque.
uint32_t Straight(uint32_t word, bool withAlpha) {
  if (!withAlpha) return 0xFF000000u | (word & 0xFFFFFF);
  const uint32_t a = word >> 24;
  if (a == 0) return 0;
  auto channel = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
  return (a << 24) | (channel((word >> 16) & 0xFF) << 16) | (channel((word >> 8) & 0xFF) << 8) |
         channel(word & 0xFF);
}

// Copies width x height pixels of a context from a logical point; what lies outside its surface
// is transparent.
void CopyImage(HDC src, TPoint from, int width, int height, bool withAlpha, TLayeredLook& look) {
  look.ImageWidth = width;
  look.ImageHeight = height;
  look.Image.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  cairo_surface_t* surface = GetDCSurface(src);
  if (!surface) return;
  cairo_surface_flush(surface);
  TPoint origin;
  GetDCOrgEx(src, &origin);
  LPtoDP(src, &from, 1);
  const int sw = cairo_image_surface_get_width(surface);
  const int sh = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  if (!data) return;
  for (int y = 0; y < height; ++y) {
    const int sy = origin.Y + from.Y + y;
    if (sy < 0 || sy >= sh) continue;
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(sy) * stride);
    for (int x = 0; x < width; ++x) {
      const int sx = origin.X + from.X + x;
      if (sx < 0 || sx >= sw) continue;
      look.Image[static_cast<size_t>(y) * width + x] = Straight(row[sx], withAlpha);
    }
  }
}

}  // namespace

void ApplyLayeredStyle(TWindow* window) {
  const bool layered = (window->ExStyle & WS_EX_LAYERED) != 0;
  if (!layered && window->Layered.Kind != TLayeredLook::lkNone) {
    window->Layered = TLayeredLook();
  } else if (layered && window->Layered.Kind == TLayeredLook::lkNone) {
    window->Layered = TLayeredLook();
    window->Layered.Kind = TLayeredLook::lkUnset;
  } else {
    return;
  }
  Tell(window);
}

bool UpdateLayeredWindow(HWND handle, HDC, const TPoint* dstPos, const TSize* size, HDC src,
                         const TPoint* srcPos, COLORREF key, const BLENDFUNCTION* blend,
                         DWORD flags) {
  TWindow* window = LayeredWindow(handle);
  if (!window || window->Layered.Kind == TLayeredLook::lkAttributes) return false;
  if ((flags & ~(ULW_COLORKEY | ULW_ALPHA | ULW_OPAQUE)) != 0) return false;
  if ((flags & ULW_ALPHA) && !blend) return false;
  if (size && (size->cx <= 0 || size->cy <= 0)) return false;

  if (dstPos || size) {
    UINT how = SWP_NOZORDER | SWP_NOACTIVATE;
    if (!dstPos) how |= SWP_NOMOVE;
    if (!size) how |= SWP_NOSIZE;
    SetWindowPos(handle, nullptr, dstPos ? dstPos->X : 0, dstPos ? dstPos->Y : 0,
                 size ? size->cx : 0, size ? size->cy : 0, how);
    window = LayeredWindow(handle);  // a handler of the move may have destroyed it
    if (!window) return false;
  }
  TLayeredLook& look = window->Layered;
  const bool perPixel = (flags & ULW_ALPHA) && (blend->AlphaFormat & AC_SRC_ALPHA);
  if (src) {
    CopyImage(src, srcPos ? *srcPos : TPoint{0, 0}, window->Width(), window->Height(), perPixel,
              look);
  } else if (look.Kind != TLayeredLook::lkImage) {
    return true;  // moved or sized only: still nothing to show
  }
  look.Kind = TLayeredLook::lkImage;
  look.PerPixelAlpha = perPixel;
  look.UseAlpha = (flags & ULW_ALPHA) != 0;
  look.Alpha = look.UseAlpha ? blend->SourceConstantAlpha : 255;
  look.UseKey = (flags & ULW_COLORKEY) != 0;
  look.Key = key & 0xFFFFFF;
  look.Opaque = (flags & ULW_OPAQUE) != 0;
  Tell(window);
  return true;
}

bool SetLayeredWindowAttributes(HWND handle, COLORREF key, BYTE alpha, DWORD flags) {
  TWindow* window = LayeredWindow(handle);
  if (!window || (flags & ~(LWA_COLORKEY | LWA_ALPHA)) != 0) return false;
  TLayeredLook look;
  look.Kind = TLayeredLook::lkAttributes;
  look.UseAlpha = (flags & LWA_ALPHA) != 0;
  look.Alpha = alpha;
  look.UseKey = (flags & LWA_COLORKEY) != 0;
  look.Key = key & 0xFFFFFF;
  window->Layered = std::move(look);
  Tell(window);
  return true;
}

bool GetLayeredWindowAttributes(HWND handle, COLORREF* key, BYTE* alpha, DWORD* flags) {
  TWindow* window = LayeredWindow(handle);
  if (!window || window->Layered.Kind != TLayeredLook::lkAttributes) return false;
  const TLayeredLook& look = window->Layered;
  if (key) *key = look.Key;
  if (alpha) *alpha = look.Alpha;
  if (flags) *flags = (look.UseKey ? LWA_COLORKEY : 0) | (look.UseAlpha ? LWA_ALPHA : 0);
  return true;
}
