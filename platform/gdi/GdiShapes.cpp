// Closed figures: the interior is filled with the brush, then the outline drawn with the pen. A
// figure's box (left, top, right, bottom) covers right - left pixels; the outline runs through the
// centres of its edge pixels.
#include <cairo.h>

#include <cmath>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiPaint.h"

namespace {

void Order(int& a, int& b) {
  if (a > b) std::swap(a, b);
}

// With an inside-frame pen the figure shrinks so that the whole pen stays within the box.
double InsideInset(TDeviceContext* dc) {
  const TGdiPen* pen = dc->State().Pen.get();
  if (pen->Kind() != PS_INSIDEFRAME || pen->Width <= 1) return 0;
  return (pen->Width - 1) / 2.0;
}

void EllipsePath(cairo_t* cr, double cx, double cy, double rx, double ry) {
  if (rx <= 0 || ry <= 0) {
    cairo_rectangle(cr, cx - rx, cy - ry, 2 * rx, 2 * ry);
    return;
  }
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  cairo_close_path(cr);
}

void RoundRectPath(cairo_t* cr, double l, double t, double r, double b, double rx, double ry) {
  rx = std::min(rx, (r - l) / 2);
  ry = std::min(ry, (b - t) / 2);
  if (rx <= 0 || ry <= 0) {
    cairo_rectangle(cr, l, t, r - l, b - t);
    return;
  }
  auto corner = [&](double cx, double cy, double from) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, from, from + M_PI / 2);
    cairo_restore(cr);
  };
  cairo_new_sub_path(cr);
  corner(r - rx, t + ry, -M_PI / 2);
  corner(r - rx, b - ry, 0);
  corner(l + rx, b - ry, M_PI / 2);
  corner(l + rx, t + ry, M_PI);
  cairo_close_path(cr);
}

// Fills the path with the brush, then strokes it with the pen.
void FillAndStroke(TDeviceContext* dc, const std::function<void(cairo_t*)>& path) {
  dc->PaintWithBrush(dc->State().Brush.get(), path);
  StrokePath(dc, path);
}

// Figures with a solid one-pixel outline are rasterised as regions, so they come out symmetric and
// the same as the matching region calls: the outline is the shape less the shape one pixel smaller.
bool SolidThinOutline(TDeviceContext* dc) {
  uint32_t kind = dc->State().Pen->Kind();
  return PenIsThin(dc) && (kind == PS_SOLID || kind == PS_INSIDEFRAME);
}

void RegionPath(cairo_t* cr, const TRegionData& region) {
  for (const TRect& r : region.Rects()) cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
}

void PaintRegionFigure(TDeviceContext* dc, const TRegionData& outer, const TRegionData& inner) {
  dc->PaintWithBrush(dc->State().Brush.get(), [&](cairo_t* cr) { RegionPath(cr, inner); });
  TRegionData ring = TRegionData::Combine(outer, inner, TRegionData::TOp::Diff);
  dc->PaintShape(dc->State().Pen->Color, dc->State().Rop2, [&](cairo_t* cr) {
    RegionPath(cr, ring);
    cairo_fill(cr);
  });
}

enum class TArcKind { Arc, Pie, Chord };

bool DrawArc(HDC dc, TArcKind kind, int left, int top, int right, int bottom, int xs, int ys, int xe,
             int ye, const char* name) {
  if (dc == nullptr) return false;
  Order(left, right);
  Order(top, bottom);
  dc->Log(name, {left, top, right, bottom, xs, ys, xe, ye});
  double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
  double rx = (right - left - 1) / 2.0, ry = (bottom - top - 1) / 2.0;
  if (rx <= 0 || ry <= 0) return true;
  // Angles of the radials, in the ellipse's own (unit circle) space; the arc runs
  // counter-clockwise on screen, which is decreasing angles with y growing downwards.
  double a0 = std::atan2((ys + 0.5 - cy) / ry, (xs + 0.5 - cx) / rx);
  double a1 = std::atan2((ye + 0.5 - cy) / ry, (xe + 0.5 - cx) / rx);
  auto arc = [&](cairo_t* cr) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc_negative(cr, 0, 0, 1, a0, a1 >= a0 ? a1 - 2 * M_PI : a1);
    cairo_restore(cr);
  };
  if (kind == TArcKind::Arc) {
    StrokePath(dc, arc);
    return true;
  }
  FillAndStroke(dc, [&](cairo_t* cr) {
    if (kind == TArcKind::Pie) cairo_move_to(cr, cx, cy);
    arc(cr);
    cairo_close_path(cr);
  });
  return true;
}

}  // namespace

bool Rectangle(HDC dc, int left, int top, int right, int bottom) {
  if (dc == nullptr) return false;
  Order(left, right);
  Order(top, bottom);
  dc->Log("Rectangle", {left, top, right, bottom});
  TGdiBrush* brush = dc->State().Brush.get();
  if (PenIsNull(dc)) {
    // Without an outline the filled area is one pixel smaller at the right and bottom.
    dc->PaintWithBrush(brush, [&](cairo_t* cr) {
      cairo_rectangle(cr, left, top, right - left - 1, bottom - top - 1);
    });
    return true;
  }
  if (PenIsThin(dc)) {
    dc->PaintWithBrush(brush, [&](cairo_t* cr) {
      cairo_rectangle(cr, left + 1, top + 1, right - left - 2, bottom - top - 2);
    });
    if (right - left >= 1 && bottom - top >= 1) {
      StrokeThin(dc, {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}}, true);
    }
    return true;
  }
  double inset = InsideInset(dc);
  FillAndStroke(dc, [&](cairo_t* cr) {
    cairo_rectangle(cr, left + 0.5 + inset, top + 0.5 + inset, right - left - 1 - 2 * inset,
                    bottom - top - 1 - 2 * inset);
  });
  return true;
}

bool RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height) {
  if (dc == nullptr) return false;
  Order(left, right);
  Order(top, bottom);
  dc->Log("RoundRect", {left, top, right, bottom, width, height});
  width = std::abs(width);
  height = std::abs(height);
  if (PenIsNull(dc)) {
    dc->PaintWithBrush(dc->State().Brush.get(), [&](cairo_t* cr) {
      RegionPath(cr, TRegionData::FromRoundRect({left, top, right - 1, bottom - 1}, width, height));
    });
    return true;
  }
  if (SolidThinOutline(dc)) {
    PaintRegionFigure(dc, TRegionData::FromRoundRect({left, top, right, bottom}, width, height),
                      TRegionData::FromRoundRect({left + 1, top + 1, right - 1, bottom - 1},
                                                 std::max(0, width - 2), std::max(0, height - 2)));
    return true;
  }
  double inset = InsideInset(dc);
  FillAndStroke(dc, [&](cairo_t* cr) {
    RoundRectPath(cr, left + 0.5 + inset, top + 0.5 + inset, right - 0.5 - inset,
                  bottom - 0.5 - inset, width / 2.0, height / 2.0);
  });
  return true;
}

bool Ellipse(HDC dc, int left, int top, int right, int bottom) {
  if (dc == nullptr) return false;
  Order(left, right);
  Order(top, bottom);
  dc->Log("Ellipse", {left, top, right, bottom});
  if (PenIsNull(dc)) {
    dc->PaintWithBrush(dc->State().Brush.get(), [&](cairo_t* cr) {
      RegionPath(cr, TRegionData::FromEllipse({left, top, right - 1, bottom - 1}));
    });
    return true;
  }
  if (SolidThinOutline(dc)) {
    PaintRegionFigure(dc, TRegionData::FromEllipse({left, top, right, bottom}),
                      TRegionData::FromEllipse({left + 1, top + 1, right - 1, bottom - 1}));
    return true;
  }
  double inset = InsideInset(dc);
  FillAndStroke(dc, [&](cairo_t* cr) {
    EllipsePath(cr, (left + right) / 2.0, (top + bottom) / 2.0, (right - left - 1) / 2.0 - inset,
                (bottom - top - 1) / 2.0 - inset);
  });
  return true;
}

bool Polygon(HDC dc, const TPoint* points, int count) {
  if (dc == nullptr || points == nullptr || count < 2) return false;
  std::vector<TPoint> list(points, points + count);
  if (dc->Logging()) {
    std::vector<int32_t> args;
    for (const TPoint& p : list) args.insert(args.end(), {p.X, p.Y});
    dc->Log("Polygon", args);
  }
  auto path = [&](cairo_t* cr) {
    cairo_set_fill_rule(cr, dc->State().PolyFillMode == WINDING ? CAIRO_FILL_RULE_WINDING
                                                                : CAIRO_FILL_RULE_EVEN_ODD);
    cairo_move_to(cr, list[0].X + 0.5, list[0].Y + 0.5);
    for (size_t i = 1; i < list.size(); ++i) cairo_line_to(cr, list[i].X + 0.5, list[i].Y + 0.5);
    cairo_close_path(cr);
  };
  dc->PaintWithBrush(dc->State().Brush.get(), path);
  if (PenIsThin(dc)) {
    StrokeThin(dc, list, true);
  } else {
    StrokePath(dc, path);
  }
  return true;
}

bool PolyPolygon(HDC dc, const TPoint* points, const int* counts, int polygons) {
  if (dc == nullptr || points == nullptr || counts == nullptr || polygons <= 0) return false;
  for (int i = 0; i < polygons; ++i) {
    Polygon(dc, points, counts[i]);
    points += counts[i];
  }
  return true;
}

bool Arc(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
  return DrawArc(dc, TArcKind::Arc, left, top, right, bottom, xs, ys, xe, ye, "Arc");
}

bool Pie(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
  return DrawArc(dc, TArcKind::Pie, left, top, right, bottom, xs, ys, xe, ye, "Pie");
}

bool Chord(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
  return DrawArc(dc, TArcKind::Chord, left, top, right, bottom, xs, ys, xe, ye, "Chord");
}
