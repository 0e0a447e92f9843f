// Small helpers the drawing routines of AdvUtil share; not for callers outside the unit.
#pragma once

#include <algorithm>
#include <cmath>

#include "platform/gdi/Canvas.h"
#include "platform/rtl/RtlMath.h"

namespace AdvUtil::paint {

// A real rounded half to even, as a pixel count: NaN counts 0 and huge values are held far
// inside int so that painting arithmetic cannot overflow.
inline int RoundPixels(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(Round(std::clamp(v, -1e9, 1e9)));
}

// Pen and brush in one solid colour: shapes drawn with them fill up to their outline.
inline void UseColor(TCanvas* canvas, TColor color) {
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetColor(color);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(color);
}

inline void Line(TCanvas* canvas, int x1, int y1, int x2, int y2) {
  canvas->MoveTo(x1, y1);
  canvas->LineTo(x2, y2);
}

}  // namespace AdvUtil::paint
