// Helpers of the drawing tests: pixel snapshots and counts on raster contexts.
#pragma once

#include <cairo.h>

#include <memory>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace gditest {

// Deletes a device context at the end of a scope.
struct TDcDeleter {
  void operator()(TDeviceContext* dc) const { DeleteDC(dc); }
};
using TDcPtr = std::unique_ptr<TDeviceContext, TDcDeleter>;

// Deletes a drawing object at the end of a scope.
template <class T>
struct TObject {
  T Handle;
  explicit TObject(T handle) : Handle(handle) {}
  ~TObject() { DeleteObject(Handle); }
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  operator T() const { return Handle; }
};

// Every pixel of a context's surface as colour references, row by row.
struct TSnapshot {
  int Width = 0;
  int Height = 0;
  std::vector<COLORREF> Pixels;
  COLORREF At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
  friend bool operator==(const TSnapshot&, const TSnapshot&) = default;
};

inline TSnapshot Snapshot(HDC dc) {
  cairo_surface_t* surface = GetDCSurface(dc);
  cairo_surface_flush(surface);
  TSnapshot shot;
  shot.Width = cairo_image_surface_get_width(surface);
  shot.Height = cairo_image_surface_get_height(surface);
  int stride = cairo_image_surface_get_stride(surface) / 4;
  const auto* data = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface));
  for (int y = 0; y < shot.Height; ++y) {
    for (int x = 0; x < shot.Width; ++x) {
      uint32_t p = data[y * stride + x];
      shot.Pixels.push_back(RGB(static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                                static_cast<uint8_t>(p)));
    }
  }
  return shot;
}

// How many pixels of the rectangle have the colour.
inline int CountColor(const TSnapshot& shot, const TRect& r, COLORREF color) {
  int count = 0;
  for (int y = std::max(0, r.Top); y < std::min(shot.Height, r.Bottom); ++y) {
    for (int x = std::max(0, r.Left); x < std::min(shot.Width, r.Right); ++x) {
      if (shot.At(x, y) == color) ++count;
    }
  }
  return count;
}

// How many pixels of the rectangle differ from the colour.
inline int CountOther(const TSnapshot& shot, const TRect& r, COLORREF color) {
  int all = std::max(0, std::min(shot.Width, r.Right) - std::max(0, r.Left)) *
            std::max(0, std::min(shot.Height, r.Bottom) - std::max(0, r.Top));
  return all - CountColor(shot, r, color);
}

// The smallest rectangle holding every pixel that is not the background colour.
inline TRect InkBounds(const TSnapshot& shot, COLORREF background) {
  TRect r{shot.Width, shot.Height, 0, 0};
  for (int y = 0; y < shot.Height; ++y) {
    for (int x = 0; x < shot.Width; ++x) {
      if (shot.At(x, y) == background) continue;
      r.Left = std::min(r.Left, x);
      r.Top = std::min(r.Top, y);
      r.Right = std::max(r.Right, x + 1);
      r.Bottom = std::max(r.Bottom, y + 1);
    }
  }
  return IsRectEmpty(r) ? TRect{} : r;
}

}  // namespace gditest
