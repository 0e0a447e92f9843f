// Rectangle fills and frames, inversion, the focus frame, single pixels and flood fills.
#include <cairo.h>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiPaint.h"

namespace {

// A brush argument may also be a system colour index plus one, as the window class brushes are.
TGdiBrush* BrushOf(HBRUSH brush) {
  auto value = reinterpret_cast<uintptr_t>(brush);
  if (value > 0 && value <= 32) return GetSysColorBrush(static_cast<int>(value) - 1);
  return brush;
}

// Fills with the brush as a pattern copy: the binary raster operation does not apply.
void FillCopy(HDC dc, TGdiBrush* brush, const std::function<void(cairo_t*)>& path) {
  TDcState& s = dc->State();
  int rop2 = s.Rop2;
  s.Rop2 = R2_COPYPEN;
  dc->PaintWithBrush(brush, path);
  s.Rop2 = rop2;
}

}  // namespace

int FillRect(HDC dc, const TRect& rect, HBRUSH brush) {
  TGdiBrush* b = BrushOf(brush);
  if (dc == nullptr || b == nullptr) return 0;
  dc->Log("FillRect", {rect.Left, rect.Top, rect.Right, rect.Bottom}, 0);
  if (IsRectEmpty(rect)) return 1;
  FillCopy(dc, b, [&](cairo_t* cr) { cairo_rectangle(cr, rect.Left, rect.Top, rect.Width(), rect.Height()); });
  return 1;
}

int FrameRect(HDC dc, const TRect& rect, HBRUSH brush) {
  TGdiBrush* b = BrushOf(brush);
  if (dc == nullptr || b == nullptr) return 0;
  dc->Log("FrameRect", {rect.Left, rect.Top, rect.Right, rect.Bottom});
  if (IsRectEmpty(rect)) return 1;
  FillCopy(dc, b, [&](cairo_t* cr) {
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, rect.Left, rect.Top, rect.Width(), rect.Height());
    if (rect.Width() > 2 && rect.Height() > 2) {
      cairo_rectangle(cr, rect.Left + 1, rect.Top + 1, rect.Width() - 2, rect.Height() - 2);
    }
  });
  return 1;
}

bool InvertRect(HDC dc, const TRect& rect) {
  if (dc == nullptr) return false;
  dc->Log("InvertRect", {rect.Left, rect.Top, rect.Right, rect.Bottom});
  if (IsRectEmpty(rect)) return true;
  dc->PaintShape(0xFFFFFF, R2_XORPEN, [&](cairo_t* cr) {
    cairo_rectangle(cr, rect.Left, rect.Top, rect.Width(), rect.Height());
    cairo_fill(cr);
  });
  return true;
}

bool DrawFocusRect(HDC dc, const TRect& rect) {
  if (dc == nullptr) return false;
  dc->Log("DrawFocusRect", {rect.Left, rect.Top, rect.Right, rect.Bottom});
  if (IsRectEmpty(rect)) return true;
  // Every other pixel of the one-pixel frame, counted in device space, is inverted.
  std::vector<TRect> dots;
  TPoint shift = dc->ToDevice(TPoint{0, 0});
  auto dot = [&](int x, int y) {
    if (((x + shift.X + y + shift.Y) & 1) == 0) dots.push_back({x, y, x + 1, y + 1});
  };
  for (int x = rect.Left; x < rect.Right; ++x) {
    dot(x, rect.Top);
    if (rect.Height() > 1) dot(x, rect.Bottom - 1);
  }
  for (int y = rect.Top + 1; y < rect.Bottom - 1; ++y) {
    dot(rect.Left, y);
    if (rect.Width() > 1) dot(rect.Right - 1, y);
  }
  PaintRuns(dc, dots, 0xFFFFFF, R2_XORPEN);
  return true;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  if (dc == nullptr) return CLR_INVALID;
  dc->Log("SetPixel", {x, y}, color);
  if (!PtVisible(dc, x, y)) return CLR_INVALID;
  PaintRuns(dc, {{x, y, x + 1, y + 1}}, color, R2_COPYPEN);
  return color & 0xFFFFFF;
}

bool SetPixelV(HDC dc, int x, int y, COLORREF color) { return SetPixel(dc, x, y, color) != CLR_INVALID; }

COLORREF GetPixel(HDC dc, int x, int y) {
  if (dc == nullptr || !PtVisible(dc, x, y)) return CLR_INVALID;
  TPoint d = dc->ToDevice(TPoint{x, y});
  TPoint origin = dc->SurfaceOrigin();
  int stride, width, height;
  const uint32_t* pixels = dc->Pixels(stride, width, height);
  int sx = d.X + origin.X, sy = d.Y + origin.Y;
  if (sx < 0 || sy < 0 || sx >= width || sy >= height) return CLR_INVALID;
  return ColorOfPixel(pixels[sy * stride + sx]);
}

bool ExtFloodFill(HDC dc, int x, int y, COLORREF color, uint32_t type) {
  if (dc == nullptr) return false;
  dc->Log("ExtFloodFill", {x, y}, type);
  TRegionData visible = dc->VisibleRegion();
  TPoint start = dc->ToDevice(TPoint{x, y});
  if (!visible.Contains(start)) return false;
  TPoint origin = dc->SurfaceOrigin();
  int stride, width, height;
  const uint32_t* pixels = dc->Pixels(stride, width, height);
  uint32_t target = PixelOf(color);
  auto colorAt = [&](int dx, int dy) { return pixels[(dy + origin.Y) * stride + dx + origin.X] & 0xFFFFFF; };
  TRect box = visible.Bounds();
  auto fillable = [&](int dx, int dy) {
    if (!visible.Contains({dx, dy})) return false;
    int sx = dx + origin.X, sy = dy + origin.Y;
    if (sx < 0 || sy < 0 || sx >= width || sy >= height) return false;
    bool same = colorAt(dx, dy) == target;
    return type == FLOODFILLSURFACE ? same : !same;
  };
  if (!fillable(start.X, start.Y)) return false;
  // Scanline fill over device pixels; the runs found are then painted with the brush.
  std::vector<uint8_t> seen(static_cast<size_t>(box.Width()) * box.Height(), 0);
  auto mark = [&](int dx, int dy) -> uint8_t& {
    return seen[static_cast<size_t>(dy - box.Top) * box.Width() + (dx - box.Left)];
  };
  std::vector<TPoint> stack{start};
  std::vector<TRect> runs;
  while (!stack.empty()) {
    TPoint p = stack.back();
    stack.pop_back();
    if (mark(p.X, p.Y) || !fillable(p.X, p.Y)) continue;
    int l = p.X, r = p.X;
    while (l - 1 >= box.Left && !mark(l - 1, p.Y) && fillable(l - 1, p.Y)) --l;
    while (r + 1 < box.Right && !mark(r + 1, p.Y) && fillable(r + 1, p.Y)) ++r;
    for (int i = l; i <= r; ++i) mark(i, p.Y) = 1;
    runs.push_back(dc->ToLogical(TRect{l, p.Y, r + 1, p.Y + 1}));
    for (int ny : {p.Y - 1, p.Y + 1}) {
      if (ny < box.Top || ny >= box.Bottom) continue;
      for (int i = l; i <= r; ++i) {
        if (!mark(i, ny) && fillable(i, ny)) stack.push_back({i, ny});
      }
    }
  }
  dc->PaintWithBrush(dc->State().Brush.get(), [&](cairo_t* cr) {
    for (const TRect& r : runs) cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
  });
  return true;
}

bool FloodFill(HDC dc, int x, int y, COLORREF border) {
  return ExtFloodFill(dc, x, y, border, FLOODFILLBORDER);
}
