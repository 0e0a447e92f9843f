// Lines: pixel-exact one-pixel lines with dash styles, and wide pens through cairo.
#include <cairo.h>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiPaint.h"

namespace {

// On and off run lengths of the dash styles of thin pens, in pixels.
std::vector<int> DashPattern(const TGdiPen* pen) {
  switch (pen->Kind()) {
    case PS_DASH: return {18, 6};
    case PS_DOT: return {3, 3};
    case PS_DASHDOT: return {9, 6, 3, 6};
    case PS_DASHDOTDOT: return {9, 3, 3, 3, 3, 3};
    case PS_ALTERNATE: return {1, 1};
    case PS_USERSTYLE: {
      std::vector<int> runs;
      for (uint32_t run : pen->UserStyle) runs.push_back(std::max<int>(1, static_cast<int>(run)));
      return runs;
    }
  }
  return {};
}

// The pixels of a segment without its last one (Bresenham).
template <class Visit>
void SegmentPixels(TPoint a, TPoint b, Visit visit) {
  int dx = std::abs(b.X - a.X), dy = -std::abs(b.Y - a.Y);
  int sx = a.X < b.X ? 1 : -1, sy = a.Y < b.Y ? 1 : -1;
  int err = dx + dy;
  int x = a.X, y = a.Y;
  while (x != b.X || y != b.Y) {
    visit(x, y);
    int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

// Appends a pixel, merging it into the last run when it continues it.
void AddPixel(std::vector<TRect>& runs, int x, int y) {
  if (!runs.empty()) {
    TRect& last = runs.back();
    if (last.Top == y && last.Bottom == y + 1 && last.Right == x) {
      ++last.Right;
      return;
    }
    if (last.Left == x && last.Right == x + 1 && last.Bottom == y) {
      ++last.Bottom;
      return;
    }
  }
  runs.push_back({x, y, x + 1, y + 1});
}

}  // namespace

bool PenIsNull(TDeviceContext* dc) { return dc->State().Pen->Kind() == PS_NULL; }

bool PenIsThin(TDeviceContext* dc) {
  const TGdiPen* pen = dc->State().Pen.get();
  return pen->Width <= 1 && (pen->Style & PS_GEOMETRIC) == 0;
}

void PaintRuns(TDeviceContext* dc, const std::vector<TRect>& runs, COLORREF color, int rop2) {
  if (runs.empty()) return;
  dc->PaintShape(color, rop2, [&](cairo_t* cr) {
    for (const TRect& r : runs) cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
    cairo_fill(cr);
  });
}

void StrokeThin(TDeviceContext* dc, const std::vector<TPoint>& points, bool closed) {
  const TGdiPen* pen = dc->State().Pen.get();
  if (pen->Kind() == PS_NULL || points.empty()) return;
  std::vector<int> pattern = DashPattern(pen);
  std::vector<TRect> on, off;
  size_t phase = 0;
  int left = pattern.empty() ? 0 : pattern[0];
  auto visit = [&](int x, int y) {
    if (pattern.empty()) {
      AddPixel(on, x, y);
      return;
    }
    AddPixel(phase % 2 == 0 ? on : off, x, y);
    if (--left == 0) {
      phase = (phase + 1) % pattern.size();
      left = pattern[phase];
    }
  };
  size_t segments = closed ? points.size() : points.size() - 1;
  for (size_t i = 0; i < segments; ++i) {
    SegmentPixels(points[i], points[(i + 1) % points.size()], visit);
  }
  const TDcState& s = dc->State();
  if (s.BkMode == OPAQUE) PaintRuns(dc, off, s.BkColor, s.Rop2);
  PaintRuns(dc, on, pen->Color, s.Rop2);
}

void StrokePath(TDeviceContext* dc, const std::function<void(cairo_t*)>& path) {
  const TGdiPen* pen = dc->State().Pen.get();
  if (pen->Kind() == PS_NULL) return;
  bool geometric = (pen->Style & PS_GEOMETRIC) != 0;
  double width = std::max(1, pen->Width);
  std::vector<double> dashes;
  if (!geometric || pen->Kind() == PS_USERSTYLE) {
    for (int run : DashPattern(pen)) dashes.push_back(run);
  }
  cairo_line_cap_t cap = CAIRO_LINE_CAP_ROUND;
  cairo_line_join_t join = CAIRO_LINE_JOIN_ROUND;
  if (geometric) {
    uint32_t capBits = pen->Style & PS_ENDCAP_MASK, joinBits = pen->Style & PS_JOIN_MASK;
    cap = capBits == PS_ENDCAP_SQUARE ? CAIRO_LINE_CAP_SQUARE
          : capBits == PS_ENDCAP_FLAT ? CAIRO_LINE_CAP_BUTT
                                      : CAIRO_LINE_CAP_ROUND;
    join = joinBits == PS_JOIN_BEVEL ? CAIRO_LINE_JOIN_BEVEL
           : joinBits == PS_JOIN_MITER ? CAIRO_LINE_JOIN_MITER
                                       : CAIRO_LINE_JOIN_ROUND;
  }
  if (width <= 1) cap = CAIRO_LINE_CAP_BUTT;
  auto stroke = [&](const std::vector<double>& pattern, double offset) {
    return [&, pattern, offset](cairo_t* cr) {
      path(cr);
      cairo_set_line_width(cr, width);
      cairo_set_line_cap(cr, cap);
      cairo_set_line_join(cr, join);
      if (!pattern.empty()) cairo_set_dash(cr, pattern.data(), static_cast<int>(pattern.size()), offset);
      cairo_stroke(cr);
    };
  };
  const TDcState& s = dc->State();
  if (!dashes.empty() && s.BkMode == OPAQUE) {
    // The gaps: the same dashes shifted by the first run.
    dc->PaintShape(s.BkColor, s.Rop2, stroke(dashes, dashes[0]));
  }
  dc->PaintShape(pen->Color, s.Rop2, stroke(dashes, 0));
}

bool MoveToEx(HDC dc, int x, int y, TPoint* old) {
  if (dc == nullptr) return false;
  if (old != nullptr) *old = dc->State().CurrentPos;
  dc->State().CurrentPos = {x, y};
  return true;
}

bool GetCurrentPositionEx(HDC dc, TPoint* position) {
  if (dc == nullptr || position == nullptr) return false;
  *position = dc->State().CurrentPos;
  return true;
}

bool LineTo(HDC dc, int x, int y) {
  if (dc == nullptr) return false;
  TPoint from = dc->State().CurrentPos;
  dc->Log("LineTo", {from.X, from.Y, x, y});
  if (PenIsThin(dc)) {
    StrokeThin(dc, {from, {x, y}}, false);
  } else {
    StrokePath(dc, [&](cairo_t* cr) {
      cairo_move_to(cr, from.X + 0.5, from.Y + 0.5);
      cairo_line_to(cr, x + 0.5, y + 0.5);
    });
  }
  dc->State().CurrentPos = {x, y};
  return true;
}

bool Polyline(HDC dc, const TPoint* points, int count) {
  if (dc == nullptr || points == nullptr || count < 2) return false;
  std::vector<TPoint> list(points, points + count);
  if (dc->Logging()) {
    std::vector<int32_t> args;
    for (const TPoint& p : list) args.insert(args.end(), {p.X, p.Y});
    dc->Log("Polyline", args);
  }
  if (PenIsThin(dc)) {
    StrokeThin(dc, list, false);
  } else {
    StrokePath(dc, [&](cairo_t* cr) {
      cairo_move_to(cr, list[0].X + 0.5, list[0].Y + 0.5);
      for (size_t i = 1; i < list.size(); ++i) cairo_line_to(cr, list[i].X + 0.5, list[i].Y + 0.5);
    });
  }
  return true;
}
