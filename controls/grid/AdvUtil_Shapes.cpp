// Cell shapes (rectangles, circles, triangles, arrows, stars for ratings) and the error
// underline.
#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "controls/grid/AdvUtil.h"
#include "controls/grid/AdvUtilPaint.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/StdCtrls.h"

namespace AdvUtil {

using paint::Line;
using paint::RoundPixels;

namespace {

// The corners of the five-pointed star at the given multiples of 36 degrees from the top,
// clockwise; even multiples lie on the outer radius, odd ones on the inner third of it.
std::vector<TPoint> StarCorners(int cx, int cy, int width, int height,
                                std::initializer_list<int> steps) {
  const double rx = width / 2, ry = height / 2;
  std::vector<TPoint> corners;
  corners.reserve(steps.size());
  for (int step : steps) {
    const double angle = step * 36 * std::numbers::pi / 180;
    const double scale = step % 2 == 0 ? 1.0 : 1.0 / 3;
    corners.push_back({cx + RoundPixels(std::sin(angle) * rx * scale),
                       cy - RoundPixels(std::cos(angle) * ry * scale)});
  }
  return corners;
}

}  // namespace

void DrawCellShape(TCanvas* canvas, int x, int y, int width, int height, int shape,
                   TColor brushColor, TColor penColor) {
  if (shape < 0 || shape > shpLast) return;
  if (shape == 1 || shape == 11 || shape == 12) width = height = std::min(width, height);
  const int w = width, h = height;
  const int cx = x + w / 2, cy = y + h / 2;
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(brushColor);
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetColor(penColor);
  const int evenW = w - w % 2, evenH = h - h % 2;
  switch (shape) {
    case 0:
    case 11: canvas->Rectangle(x + 1, y + 1, x + w - 1, y + h - 1); break;
    case 1:
    case 10: canvas->Ellipse(x, y, x + w, y + h); break;
    case 2: canvas->Polygon({{x + w, y}, {x + w, y + h}, {x, cy}}); break;
    case 3: canvas->Polygon({{x, y}, {x, y + h}, {x + w, cy}}); break;
    case 4: canvas->Polygon({{x, y + h}, {x + w, y + h}, {cx, y}}); break;
    case 5: canvas->Polygon({{x, y}, {x + w, y}, {cx, y + h}}); break;
    case 6:
      canvas->Polygon({{x, cy}, {cx, y}, {x + 2 * (w / 2), cy}, {cx, y + 2 * (h / 2)}});
      break;
    case 7: Line(canvas, cx, y, cx, y + h); break;
    case 8: Line(canvas, x, cy, x + w, cy); break;
    case 9:
    case 12: canvas->RoundRect(x, y, x + w, y + h, 10, 10); break;
    case 13:
      canvas->Polygon(StarCorners(cx, cy, w, h, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
      break;
    case 14:
    case 15: {
      // Up, or mirrored top to bottom for down.
      const int right = x + evenW, q1 = x + evenW / 4, q3 = x + 3 * evenW / 4;
      const int tip = shape == 14 ? y : y + h, tail = shape == 14 ? y + h : y;
      canvas->Polygon({{x, cy}, {cx, tip}, {right, cy}, {q3, cy}, {q3, tail}, {q1, tail},
                       {q1, cy}});
      break;
    }
    case 16:
    case 17: {
      // Left, or mirrored left to right for right.
      const int tip = shape == 16 ? x : x + w, tail = shape == 16 ? x + w : x;
      const int q1 = y + evenH / 4, q3 = y + 3 * evenH / 4;
      canvas->Polygon({{tip, y + evenH / 2}, {cx, y}, {cx, q1}, {tail, q1}, {tail, q3}, {cx, q3},
                       {cx, y + evenH}});
      break;
    }
    case 18: canvas->Polygon(StarCorners(cx, cy, w, h, {0, 5, 6, 7, 8, 9})); break;
    default: break;
  }
}

void DrawErrorUnderline(TWinControl* parent, TCanvas* canvas, const String& text,
                        const TRect& rect, int offset, int start, int length) {
  (void)parent;  // the layout needs no window of its own, so none is made on the parent
  if (length <= 0 || start < 0 || start >= static_cast<int>(text.size())) return;
  // An edit of the rectangle's size lays the text out exactly as an edit would show it. It
  // measures on a context of its own instead of a window: painting must not create or destroy
  // windows.
  TPoint from, to;
  HDC measure = CreateCompatibleDC(canvas->Handle());
  {
    TEdit edit(nullptr);
    edit.SetBounds(0, 0, rect.Width(), rect.Height());
    edit.Font()->Assign(canvas->Font());
    edit.SetText(text);
    edit.Canvas()->SetHandle(measure);
    from = edit.PosFromChar(start);
    // The underline ends where the character after the range starts (the text's end at most).
    to = edit.PosFromChar(std::min(start + length, static_cast<int>(text.size())));
    edit.Canvas()->SetHandle(nullptr);
  }
  DeleteDC(measure);
  const int x0 = rect.Left + from.X, x1 = rect.Left + to.X;
  const int y = rect.Top + from.Y + offset + 3;
  std::vector<TPoint> points{{x0, y}};
  bool low = true;
  for (int x = x0; x < x1; low = !low) {
    x = std::min(x + 3, x1);
    points.push_back({x, low ? y + 3 : y});
  }
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetColor(clRed);
  canvas->Pen()->SetWidth(2);
  canvas->Polyline(points);
}

}  // namespace AdvUtil
