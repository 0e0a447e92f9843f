#include "platform/gdi/Region.h"

#include <cmath>

#include "platform/gdi/GdiConst.h"

namespace {

using TSpan = TRegionData::TSpan;

bool Apply(TRegionData::TOp op, bool a, bool b) {
  switch (op) {
    case TRegionData::TOp::And: return a && b;
    case TRegionData::TOp::Or: return a || b;
    case TRegionData::TOp::Xor: return a != b;
    case TRegionData::TOp::Diff: return a && !b;
  }
  return false;
}

bool Covers(const std::vector<TSpan>& spans, int32_t x) {
  for (const TSpan& s : spans) {
    if (x < s.Left) return false;
    if (x < s.Right) return true;
  }
  return false;
}

// One-dimensional set operation on two sorted lists of disjoint spans.
std::vector<TSpan> CombineSpans(const std::vector<TSpan>& a, const std::vector<TSpan>& b,
                                TRegionData::TOp op) {
  std::vector<int32_t> edges;
  edges.reserve(2 * (a.size() + b.size()));
  for (const TSpan& s : a) edges.insert(edges.end(), {s.Left, s.Right});
  for (const TSpan& s : b) edges.insert(edges.end(), {s.Left, s.Right});
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  std::vector<TSpan> out;
  for (size_t i = 0; i + 1 < edges.size(); ++i) {
    int32_t x = edges[i];
    if (!Apply(op, Covers(a, x), Covers(b, x))) continue;
    if (!out.empty() && out.back().Right == x) {
      out.back().Right = edges[i + 1];
    } else {
      out.push_back({x, edges[i + 1]});
    }
  }
  return out;
}

const std::vector<TSpan>* SpansAt(const std::vector<TRegionData::TBand>& bands, int32_t y) {
  static const std::vector<TSpan> kNone;
  for (const auto& band : bands) {
    if (y < band.Top) break;
    if (y < band.Bottom) return &band.Spans;
  }
  return &kNone;
}

// Spans of pixels whose centres fall inside [left, right) (floating-point coordinates).
void AddCentreSpan(std::vector<TSpan>& spans, double left, double right) {
  constexpr double kLimit = double(1 << 16);
  left = std::clamp(left, -kLimit, kLimit);
  right = std::clamp(right, -kLimit, kLimit);
  auto from = static_cast<int32_t>(std::ceil(left - 0.5));
  auto to = static_cast<int32_t>(std::ceil(right - 0.5));
  if (to > from) spans.push_back({from, to});
}

}  // namespace

void TRegionData::AppendBand(int32_t top, int32_t bottom, std::vector<TSpan> spans) {
  if (spans.empty() || bottom <= top) return;
  if (!FBands.empty() && FBands.back().Bottom == top && FBands.back().Spans == spans) {
    FBands.back().Bottom = bottom;
    return;
  }
  FBands.push_back({top, bottom, std::move(spans)});
}

TRegionData TRegionData::FromRect(const TRect& r) {
  TRegionData region;
  if (!IsRectEmpty(r)) region.FBands.push_back({r.Top, r.Bottom, {{r.Left, r.Right}}});
  return region;
}

TRegionData TRegionData::FromPolygon(const TPoint* points, int count, int fillMode) {
  if (points == nullptr || count < 3) return {};
  std::vector<TPointD> polygon;
  for (int i = 0; i < count; ++i) polygon.push_back({double(points[i].X), double(points[i].Y)});
  return FromPolygons({polygon}, fillMode);
}

TRegionData TRegionData::FromPolygons(const std::vector<std::vector<TPointD>>& polygons, int fillMode) {
  TRegionData region;
  double minY = 0, maxY = 0;
  bool any = false;
  for (const auto& polygon : polygons) {
    if (polygon.size() < 3) continue;
    for (const TPointD& p : polygon) {
      if (!std::isfinite(p.X) || !std::isfinite(p.Y)) return region;
      minY = any ? std::min(minY, p.Y) : p.Y;
      maxY = any ? std::max(maxY, p.Y) : p.Y;
      any = true;
    }
  }
  if (!any) return region;
  // Rows whose centres can be inside, within the reach of any surface (absurd coordinates must not
  // loop for ever).
  auto first = static_cast<int64_t>(std::floor(minY - 0.5)), last = static_cast<int64_t>(std::ceil(maxY));
  first = std::max<int64_t>(first, -(int64_t(1) << 16));
  last = std::min<int64_t>(last, int64_t(1) << 16);
  struct TCrossing {
    double X;
    int Dir;
  };
  std::vector<TCrossing> crossings;
  for (int64_t row = first; row <= last; ++row) {
    double yc = row + 0.5;
    crossings.clear();
    for (const auto& polygon : polygons) {
      if (polygon.size() < 3) continue;
      for (size_t i = 0; i < polygon.size(); ++i) {
        TPointD p = polygon[i], q = polygon[(i + 1) % polygon.size()];
        if (p.Y == q.Y) continue;
        bool down = q.Y > p.Y;
        double y0 = down ? p.Y : q.Y, y1 = down ? q.Y : p.Y;
        if (yc < y0 || yc >= y1) continue;
        double t = (yc - p.Y) / (q.Y - p.Y);
        crossings.push_back({p.X + t * (q.X - p.X), down ? 1 : -1});
      }
    }
    std::sort(crossings.begin(), crossings.end(),
              [](const TCrossing& a, const TCrossing& b) { return a.X < b.X; });
    std::vector<TSpan> spans;
    int winding = 0;
    for (size_t k = 0; k + 1 < crossings.size(); ++k) {
      winding += crossings[k].Dir;
      bool inside = fillMode == WINDING ? winding != 0 : (k % 2) == 0;
      if (inside) AddCentreSpan(spans, crossings[k].X, crossings[k + 1].X);
    }
    // Neighbouring pieces of one row may touch or overlap: normalise them.
    std::sort(spans.begin(), spans.end(), [](const TSpan& a, const TSpan& b) { return a.Left < b.Left; });
    std::vector<TSpan> merged;
    for (const TSpan& sp : spans) {
      if (!merged.empty() && sp.Left <= merged.back().Right) {
        merged.back().Right = std::max(merged.back().Right, sp.Right);
      } else {
        merged.push_back(sp);
      }
    }
    region.AppendBand(static_cast<int32_t>(row), static_cast<int32_t>(row + 1), std::move(merged));
  }
  return region;
}

TRegionData TRegionData::FromEllipse(const TRect& bounds) {
  return FromRoundRect(bounds, bounds.Width(), bounds.Height());
}

TRegionData TRegionData::FromRoundRect(const TRect& bounds, int cornerWidth, int cornerHeight) {
  TRegionData region;
  if (IsRectEmpty(bounds)) return region;
  double rx = std::clamp(cornerWidth, 0, bounds.Width()) / 2.0;
  double ry = std::clamp(cornerHeight, 0, bounds.Height()) / 2.0;
  if (rx <= 0 || ry <= 0) return FromRect(bounds);
  for (int32_t y = bounds.Top; y < bounds.Bottom; ++y) {
    double yc = y + 0.5;
    double dy = 0;
    if (yc < bounds.Top + ry) {
      dy = bounds.Top + ry - yc;
    } else if (yc > bounds.Bottom - ry) {
      dy = yc - (bounds.Bottom - ry);
    }
    double inset = rx - rx * std::sqrt(std::max(0.0, 1.0 - (dy / ry) * (dy / ry)));
    std::vector<TSpan> spans;
    AddCentreSpan(spans, bounds.Left + inset, bounds.Right - inset);
    region.AppendBand(y, y + 1, std::move(spans));
  }
  return region;
}

TRegionData TRegionData::Combine(const TRegionData& a, const TRegionData& b, TOp op) {
  std::vector<int32_t> edges;
  for (const auto& band : a.FBands) edges.insert(edges.end(), {band.Top, band.Bottom});
  for (const auto& band : b.FBands) edges.insert(edges.end(), {band.Top, band.Bottom});
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  TRegionData out;
  for (size_t i = 0; i + 1 < edges.size(); ++i) {
    int32_t y = edges[i];
    out.AppendBand(y, edges[i + 1], CombineSpans(*SpansAt(a.FBands, y), *SpansAt(b.FBands, y), op));
  }
  return out;
}

int TRegionData::Complexity() const {
  if (FBands.empty()) return NULLREGION;
  return FBands.size() == 1 && FBands[0].Spans.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

TRect TRegionData::Bounds() const {
  if (FBands.empty()) return {};
  TRect r{FBands.front().Spans.front().Left, FBands.front().Top,
          FBands.front().Spans.back().Right, FBands.back().Bottom};
  for (const auto& band : FBands) {
    r.Left = std::min(r.Left, band.Spans.front().Left);
    r.Right = std::max(r.Right, band.Spans.back().Right);
  }
  return r;
}

bool TRegionData::Contains(TPoint p) const { return Covers(*SpansAt(FBands, p.Y), p.X); }

bool TRegionData::IntersectsRect(const TRect& r) const {
  if (IsRectEmpty(r)) return false;
  for (const auto& band : FBands) {
    if (band.Bottom <= r.Top || band.Top >= r.Bottom) continue;
    for (const TSpan& s : band.Spans) {
      if (s.Right > r.Left && s.Left < r.Right) return true;
    }
  }
  return false;
}

void TRegionData::Offset(int32_t dx, int32_t dy) {
  for (auto& band : FBands) {
    band.Top += dy;
    band.Bottom += dy;
    for (TSpan& s : band.Spans) {
      s.Left += dx;
      s.Right += dx;
    }
  }
}

std::vector<TRect> TRegionData::Rects() const {
  std::vector<TRect> out;
  for (const auto& band : FBands) {
    for (const TSpan& s : band.Spans) out.push_back({s.Left, band.Top, s.Right, band.Bottom});
  }
  return out;
}
