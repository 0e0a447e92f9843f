// Points, sizes, rectangles, colour references and the handle types of the drawing layer, with the
// small rectangle routines every painting routine uses.
#pragma once

#include <algorithm>
#include <cstdint>

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int32_t cx = 0;
  int32_t cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// Right and bottom are exclusive: the rectangle (0, 0, 2, 2) covers four pixels.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  TPoint TopLeft() const { return {Left, Top}; }
  TPoint BottomRight() const { return {Right, Bottom}; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int32_t x, int32_t y) { return {x, y}; }
inline TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return {left, top, right, bottom};
}
inline TRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  return {left, top, left + width, top + height};
}

inline void SetRect(TRect& r, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  r = {left, top, right, bottom};
}
inline void SetRectEmpty(TRect& r) { r = {}; }
inline bool IsRectEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }
inline void InflateRect(TRect& r, int32_t dx, int32_t dy) {
  r.Left -= dx, r.Top -= dy, r.Right += dx, r.Bottom += dy;
}
inline void OffsetRect(TRect& r, int32_t dx, int32_t dy) {
  r.Left += dx, r.Top += dy, r.Right += dx, r.Bottom += dy;
}
inline bool PtInRect(const TRect& r, TPoint p) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
inline bool EqualRect(const TRect& a, const TRect& b) { return a == b; }
// The overlap of two rectangles; false (and an empty result) when they do not overlap.
inline bool IntersectRect(TRect& out, const TRect& a, const TRect& b) {
  out = {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
         std::min(a.Bottom, b.Bottom)};
  if (IsRectEmpty(out)) {
    out = {};
    return false;
  }
  return true;
}
// The smallest rectangle holding both; an empty rectangle does not count.
inline bool UnionRect(TRect& out, const TRect& a, const TRect& b) {
  if (IsRectEmpty(a)) {
    out = IsRectEmpty(b) ? TRect{} : b;
  } else if (IsRectEmpty(b)) {
    out = a;
  } else {
    out = {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
           std::max(a.Bottom, b.Bottom)};
  }
  return !IsRectEmpty(out);
}

// A colour reference: 0x00BBGGRR.
using COLORREF = uint32_t;
constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
         (static_cast<COLORREF>(b) << 16);
}
constexpr uint8_t GetRValue(COLORREF c) { return static_cast<uint8_t>(c); }
constexpr uint8_t GetGValue(COLORREF c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t GetBValue(COLORREF c) { return static_cast<uint8_t>(c >> 16); }
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Handles are opaque pointers to the drawing layer's own objects.
class TDeviceContext;
struct TGdiObject;
struct TGdiPen;
struct TGdiBrush;
struct TGdiFont;
struct TGdiBitmap;
struct TGdiRegion;
using HDC = TDeviceContext*;
using HGDIOBJ = TGdiObject*;
using HPEN = TGdiPen*;
using HBRUSH = TGdiBrush*;
using HFONT = TGdiFont*;
using HBITMAP = TGdiBitmap*;
using HRGN = TGdiRegion*;
