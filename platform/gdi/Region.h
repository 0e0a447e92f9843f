// A pixel region: a set of pixels kept as horizontal bands of disjoint spans, the shape clipping
// regions and window regions are made of. Shapes (polygons, ellipses, rounded rectangles) are
// rasterised on creation by pixel centres, so every operation afterwards is exact integer work.
#pragma once

#include <vector>

#include "platform/gdi/WinTypes.h"

class TRegionData {
 public:
  struct TSpan {
    int32_t Left, Right;  // right exclusive
    friend bool operator==(const TSpan&, const TSpan&) = default;
  };
  struct TBand {
    int32_t Top, Bottom;  // bottom exclusive
    std::vector<TSpan> Spans;
    friend bool operator==(const TBand&, const TBand&) = default;
  };
  enum class TOp { And, Or, Xor, Diff };

  TRegionData() = default;
  static TRegionData FromRect(const TRect& r);
  // Polygon by the alternate (even-odd) or winding fill rule (ALTERNATE, WINDING).
  static TRegionData FromPolygon(const TPoint* points, int count, int fillMode);
  // Several polygons of real coordinates filled together: the pixels whose centres (x + 0.5,
  // y + 0.5) lie inside.
  struct TPointD {
    double X, Y;
  };
  static TRegionData FromPolygons(const std::vector<std::vector<TPointD>>& polygons, int fillMode);
  static TRegionData FromEllipse(const TRect& bounds);
  // Rectangle whose corners are quarter ellipses of the given full width and height.
  static TRegionData FromRoundRect(const TRect& bounds, int cornerWidth, int cornerHeight);

  static TRegionData Combine(const TRegionData& a, const TRegionData& b, TOp op);

  bool IsEmpty() const { return FBands.empty(); }
  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int Complexity() const;
  TRect Bounds() const;
  bool Contains(TPoint p) const;
  bool IntersectsRect(const TRect& r) const;
  void Offset(int32_t dx, int32_t dy);
  // The region as disjoint rectangles, top to bottom, left to right.
  std::vector<TRect> Rects() const;
  const std::vector<TBand>& Bands() const { return FBands; }
  friend bool operator==(const TRegionData&, const TRegionData&) = default;

 private:
  // Appends a band below the last one, merging it into the last when they touch and match.
  void AppendBand(int32_t top, int32_t bottom, std::vector<TSpan> spans);
  std::vector<TBand> FBands;
};
