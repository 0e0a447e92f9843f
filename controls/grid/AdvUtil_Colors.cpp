// Integer limits and colour computations.
#include <algorithm>
#include <cmath>

#include "controls/grid/AdvUtil.h"

namespace AdvUtil {
namespace {

uint8_t Channel(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

int Max(int a, int b) { return a > b ? a : b; }
int Min(int a, int b) { return a < b ? a : b; }

int LimitValue(int value, int low, int high) {
  if (low == high) return value;
  if (low > 0 && value < low) value = low;
  if (high > 0 && value > high) value = high;
  return value;
}

bool PointInGridRect(const TGridRect& rect, int col, int row) { return rect.Contains(col, row); }

TColor DarkenColorHalf(TColor color) {
  COLORREF c = ColorToRGB(color);
  return static_cast<TColor>(RGB(GetRValue(c) / 2, GetGValue(c) / 2, GetBValue(c) / 2));
}

TColor AdjustColorPercent(TColor color, int percent) {
  COLORREF c = ColorToRGB(color);
  auto adjust = [percent](uint8_t v) { return Channel(v + v * percent / 100.0); };
  return static_cast<TColor>(RGB(adjust(GetRValue(c)), adjust(GetGValue(c)), adjust(GetBValue(c))));
}

TColor InterpolateColor(TColor color1, TColor color2, int a, int b, int p) {
  if (color2 == clNone || a == b) return color1;  // no second colour or no range: the first
  COLORREF c1 = ColorToRGB(color1), c2 = ColorToRGB(color2);
  auto mix = [&](uint8_t x, uint8_t y) { return Channel(x + (y - x) / double(b - a) * p); };
  return static_cast<TColor>(RGB(mix(GetRValue(c1), GetRValue(c2)),
                                 mix(GetGValue(c1), GetGValue(c2)),
                                 mix(GetBValue(c1), GetBValue(c2))));
}

}  // namespace AdvUtil
