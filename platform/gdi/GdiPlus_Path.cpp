// Paths and regions of the GDI+ flat API.
#include <cairo.h>

#include <cmath>

#include "platform/gdi/GdiConst.h"
#include "platform/gdi/GdiPlusObjects.h"

namespace {

// Appends the Bézier points of an elliptical arc (parametric angles in radians) to the path; the
// first point joins the current figure.
void AddEllipticArc(GpPath& path, double cx, double cy, double rx, double ry, double t0, double sweep) {
  path.LineTo(static_cast<REAL>(cx + rx * std::cos(t0)), static_cast<REAL>(cy + ry * std::sin(t0)));
  int pieces = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (kPi / 2) - 1e-9)));
  double step = sweep / pieces;
  double k = 4.0 / 3.0 * std::tan(step / 4);
  for (int i = 0; i < pieces; ++i) {
    double a = t0 + i * step, b = a + step;
    double ax = std::cos(a), ay = std::sin(a), bx = std::cos(b), by = std::sin(b);
    path.Add(static_cast<REAL>(cx + rx * (ax - k * ay)), static_cast<REAL>(cy + ry * (ay + k * ax)), kPathBezier);
    path.Add(static_cast<REAL>(cx + rx * (bx + k * by)), static_cast<REAL>(cy + ry * (by - k * bx)), kPathBezier);
    path.Add(static_cast<REAL>(cx + rx * bx), static_cast<REAL>(cy + ry * by), kPathBezier);
  }
}

// The parametric angle of the point of the ellipse seen at a geometric angle from its centre.
double ParametricAngle(double degrees, double rx, double ry) {
  double a = degrees * kPi / 180;
  return std::atan2(std::sin(a) * rx, std::cos(a) * ry);
}

}  // namespace

void GpPath::Add(REAL x, REAL y, uint8_t type) {
  if (StartFigure) {
    type = kPathStart;
    StartFigure = false;
  }
  Points.push_back({x, y, type});
}

void GpPath::LineTo(REAL x, REAL y) {
  if (!StartFigure && !Points.empty() && Points.back().X == x && Points.back().Y == y) return;
  Add(x, y, kPathLine);
}

void GpPath::CloseFigure() {
  if (!Points.empty() && !StartFigure) Points.back().Type |= kPathClose;
  StartFigure = true;
}

void GpPath::Trace(cairo_t* cr) const {
  for (size_t i = 0; i < Points.size(); ++i) {
    const GpPathPoint& p = Points[i];
    uint8_t type = p.Type & 0x7F;
    if (type == kPathStart) {
      cairo_move_to(cr, p.X, p.Y);
    } else if (type == kPathBezier && i + 2 < Points.size()) {
      const GpPathPoint& q = Points[i + 1];
      const GpPathPoint& r = Points[i + 2];
      cairo_curve_to(cr, p.X, p.Y, q.X, q.Y, r.X, r.Y);
      i += 2;
      if (r.Type & kPathClose) cairo_close_path(cr);
      continue;
    } else {
      cairo_line_to(cr, p.X, p.Y);
    }
    if (p.Type & kPathClose) cairo_close_path(cr);
  }
}

std::vector<std::vector<GpPath::TVertex>> GpPath::Flatten() const {
  std::vector<std::vector<TVertex>> figures;
  for (size_t i = 0; i < Points.size(); ++i) {
    const GpPathPoint& p = Points[i];
    uint8_t type = p.Type & 0x7F;
    if (type == kPathStart || figures.empty()) figures.emplace_back();
    auto& figure = figures.back();
    int index = static_cast<int>(i);
    if (type == kPathBezier && i + 2 < Points.size() && !figure.empty()) {
      const GpPathPoint& a = Points[i - 1];
      const GpPathPoint& b = p;
      const GpPathPoint& c = Points[i + 1];
      const GpPathPoint& d = Points[i + 2];
      constexpr int kSteps = 16;
      for (int s = 1; s <= kSteps; ++s) {
        double t = double(s) / kSteps, u = 1 - t;
        double x = u * u * u * a.X + 3 * u * u * t * b.X + 3 * u * t * t * c.X + t * t * t * d.X;
        double y = u * u * u * a.Y + 3 * u * u * t * b.Y + 3 * u * t * t * c.Y + t * t * t * d.Y;
        // Vertices along the curve lie between the anchors before and after it.
        if (s == kSteps) {
          figure.push_back({static_cast<REAL>(x), static_cast<REAL>(y), index + 2, index + 2, 0});
        } else {
          figure.push_back({static_cast<REAL>(x), static_cast<REAL>(y), index - 1, index + 2, static_cast<REAL>(t)});
        }
      }
      i += 2;
      continue;
    }
    figure.push_back({p.X, p.Y, index, index, 0});
  }
  return figures;
}

GpStatus GdipCreatePath(GpFillMode fillMode, GpPath** path) {
  if (path == nullptr) return InvalidParameter;
  *path = new GpPath;
  (*path)->FillMode = fillMode == FillModeWinding ? FillModeWinding : FillModeAlternate;
  return Ok;
}

GpStatus GdipDeletePath(GpPath* path) {
  if (path == nullptr) return InvalidParameter;
  delete path;
  return Ok;
}

GpStatus GdipResetPath(GpPath* path) {
  if (path == nullptr) return InvalidParameter;
  path->Points.clear();
  path->StartFigure = true;
  path->FillMode = FillModeAlternate;
  return Ok;
}

GpStatus GdipClosePathFigure(GpPath* path) {
  if (path == nullptr) return InvalidParameter;
  path->CloseFigure();
  return Ok;
}

GpStatus GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2) {
  if (path == nullptr || !Finite({x1, y1, x2, y2})) return InvalidParameter;
  path->LineTo(x1, y1);
  path->Add(x2, y2, kPathLine);
  return Ok;
}

GpStatus GdipAddPathArc(GpPath* path, REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle) {
  if (path == nullptr || !Finite({x, y, width, height, startAngle, sweepAngle}) || width <= 0 || height <= 0) {
    return InvalidParameter;
  }
  double rx = width / 2.0, ry = height / 2.0;
  double t0 = ParametricAngle(startAngle, rx, ry);
  double sweep;
  if (std::abs(sweepAngle) >= 360) {
    sweep = sweepAngle > 0 ? 2 * kPi : -2 * kPi;
  } else {
    // The parametric end, on the same side of the start as the sweep and less than a turn away.
    sweep = ParametricAngle(startAngle + sweepAngle, rx, ry) - t0;
    if (sweepAngle > 0 && sweep < 0) sweep += 2 * kPi;
    if (sweepAngle < 0 && sweep > 0) sweep -= 2 * kPi;
  }
  if (sweepAngle == 0) sweep = 0;
  AddEllipticArc(*path, x + rx, y + ry, rx, ry, t0, sweep);
  return Ok;
}

GpStatus GdipAddPathEllipse(GpPath* path, REAL x, REAL y, REAL width, REAL height) {
  if (path == nullptr || !Finite({x, y, width, height})) return InvalidParameter;
  path->StartFigure = true;
  AddEllipticArc(*path, x + width / 2.0, y + height / 2.0, width / 2.0, height / 2.0, 0, 2 * kPi);
  path->CloseFigure();
  return Ok;
}

GpStatus GdipAddPathRectangle(GpPath* path, REAL x, REAL y, REAL width, REAL height) {
  if (path == nullptr || !Finite({x, y, width, height})) return InvalidParameter;
  if (width <= 0 || height <= 0) return Ok;
  path->StartFigure = true;
  path->Add(x, y, kPathStart);
  path->Add(x + width, y, kPathLine);
  path->Add(x + width, y + height, kPathLine);
  path->Add(x, y + height, kPathLine);
  path->CloseFigure();
  return Ok;
}

GpStatus GdipAddPathPolygon(GpPath* path, const GpPointF* points, int32_t count) {
  if (path == nullptr || points == nullptr || count < 3) return InvalidParameter;
  for (int32_t i = 0; i < count; ++i) {
    if (!Finite({points[i].X, points[i].Y})) return InvalidParameter;
  }
  path->StartFigure = true;
  for (int32_t i = 0; i < count; ++i) path->Add(points[i].X, points[i].Y, kPathLine);
  path->CloseFigure();
  return Ok;
}

GpStatus GdipAddPathPolygonI(GpPath* path, const GpPoint* points, int32_t count) {
  if (path == nullptr || points == nullptr || count < 3) return InvalidParameter;
  std::vector<GpPointF> converted;
  for (int32_t i = 0; i < count; ++i) converted.push_back({REAL(points[i].X), REAL(points[i].Y)});
  return GdipAddPathPolygon(path, converted.data(), count);
}

GpStatus GdipGetPointCount(GpPath* path, int32_t* count) {
  if (path == nullptr || count == nullptr) return InvalidParameter;
  *count = static_cast<int32_t>(path->Points.size());
  return Ok;
}

GpStatus GdipSetPathFillMode(GpPath* path, GpFillMode fillMode) {
  if (path == nullptr) return InvalidParameter;
  path->FillMode = fillMode == FillModeWinding ? FillModeWinding : FillModeAlternate;
  return Ok;
}

GpStatus GdipCreateRegionRect(const GpRectF* rect, GpRegion** region) {
  if (rect == nullptr || region == nullptr || !Finite({rect->X, rect->Y, rect->Width, rect->Height})) {
    return InvalidParameter;
  }
  GpPath path;
  GdipAddPathRectangle(&path, rect->X, rect->Y, rect->Width, rect->Height);
  return GdipCreateRegionPath(&path, region);
}

GpStatus GdipCreateRegionPath(GpPath* path, GpRegion** region) {
  if (path == nullptr || region == nullptr) return InvalidParameter;
  // Pixels are inside when their centres (whole world coordinates) are: the shape is sampled
  // half a pixel further on.
  std::vector<std::vector<TRegionData::TPointD>> polygons;
  for (const auto& figure : path->Flatten()) {
    auto& polygon = polygons.emplace_back();
    for (const auto& v : figure) polygon.push_back({v.X + 0.5, v.Y + 0.5});
  }
  *region = new GpRegion;
  (*region)->Data = TRegionData::FromPolygons(polygons, path->FillMode == FillModeWinding ? WINDING : ALTERNATE);
  return Ok;
}

GpStatus GdipDeleteRegion(GpRegion* region) {
  if (region == nullptr) return InvalidParameter;
  delete region;
  return Ok;
}
