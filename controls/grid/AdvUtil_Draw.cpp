// Gradients, solid fills, the rounded selection box, the drop arrow and transparent bitmaps.
#include <algorithm>
#include <utility>

#include "controls/grid/AdvUtil.h"
#include "controls/grid/AdvUtilPaint.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/ProgramResources.h"

namespace AdvUtil {

using paint::Line;
using paint::RoundPixels;
using paint::UseColor;

void DrawGradient(TCanvas* canvas, TColor fromColor, TColor toColor, int bands, TRect rect,
                  bool horizontal) {
  if (rect.Top == rect.Bottom) return;
  if (rect.Top > rect.Bottom) std::swap(rect.Top, rect.Bottom);
  if (fromColor == clNone && toColor == clNone) return;  // no colour at all: nothing to paint
  if (fromColor == clNone || toColor == clNone) {
    FillRectColor(canvas, rect, fromColor == clNone ? toColor : fromColor);
    return;
  }
  const int size = (horizontal ? rect.Width() : rect.Height()) - 1;
  const int count = std::max(std::min(bands, size), 1);
  const double bandSize = static_cast<double>(size) / count;
  const COLORREF from = ColorToRGB(fromColor), to = ColorToRGB(toColor);
  auto channel = [count](int i, int a, int b) {
    return static_cast<uint8_t>(std::clamp(a + RoundPixels(i * (b - a) / double(count)), 0, 255));
  };
  const int length = static_cast<int>(bandSize + 1);
  for (int i = 0; i <= count; ++i) {
    TColor color = static_cast<TColor>(RGB(channel(i, GetRValue(from), GetRValue(to)),
                                           channel(i, GetGValue(from), GetGValue(to)),
                                           channel(i, GetBValue(from), GetBValue(to))));
    const int start = static_cast<int>(i * bandSize);
    TRect band = rect;
    if (horizontal) {
      band.Left = rect.Left + start;
      band.Right = std::min(band.Left + length, rect.Right);
    } else {
      band.Top = rect.Top + start;
      band.Bottom = std::min(band.Top + length, rect.Bottom);
    }
    if (IsRectEmpty(band)) continue;
    UseColor(canvas, color);
    canvas->Rectangle(band);
  }
}

void FillRectColor(TCanvas* canvas, const TRect& rect, TColor color) {
  if (color == clNone) return;
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(color);
  canvas->FillRect(rect);
}

void DrawGradientWithMirror(TCanvas* canvas, const TRect& rect, TColor color, TColor colorTo,
                            TColor mirrorColor, TColor mirrorColorTo, bool vertical,
                            TColor borderColor, bool sidesOnly, bool fill) {
  constexpr int kBands = 128;
  if (fill && color != clNone) {
    if (mirrorColor == clNone) {
      if (colorTo == clNone)
        FillRectColor(canvas, {rect.Left, rect.Top, rect.Right, rect.Bottom + 1}, color);
      else
        DrawGradient(canvas, color, colorTo, kBands, rect, !vertical);
    } else {
      TRect first = rect, second = rect;
      if (vertical)
        first.Bottom = second.Top = rect.Top + rect.Height() / 2;
      else
        first.Right = second.Left = rect.Left + rect.Width() / 2;
      DrawGradient(canvas, color, colorTo, kBands, first, !vertical);
      DrawGradient(canvas, mirrorColor, mirrorColorTo, kBands, second, !vertical);
    }
  }
  if (borderColor == clNone) return;
  if (sidesOnly) {
    canvas->Pen()->SetColor(borderColor);
    Line(canvas, rect.Left, rect.Top, rect.Left, rect.Bottom);
    Line(canvas, rect.Right - 1, rect.Top, rect.Right - 1, rect.Bottom);
  } else {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(borderColor);
    canvas->FrameRect(rect);
  }
}

namespace {

void SetPixel(TCanvas* canvas, int x, int y, TColor color) {
  if (color != clNone) canvas->SetPixels(x, y, color);
}

void PenLine(TCanvas* canvas, TColor color, int x1, int y1, int x2, int y2) {
  if (color == clNone) return;
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetColor(color);
  Line(canvas, x1, y1, x2, y2);
}

// The three pixels next to a corner in one colour and the corner itself in another; dx and dy
// point from the corner into the box.
void Corner(TCanvas* canvas, const TRoundedSelectionColors& c, int x, int y, int dx, int dy) {
  SetPixel(canvas, x + dx, y, c.Corner);
  SetPixel(canvas, x, y + dy, c.Corner);
  SetPixel(canvas, x + dx, y + dy, c.Corner);
  SetPixel(canvas, x, y, c.OuterCorner);
}

}  // namespace

void DrawRoundedSelection(TCanvas* canvas, const TRoundedSelectionColors& c, const TRect& rect,
                          int sideMode) {
  const int left = rect.Left, top = rect.Top;
  const int bottom = rect.Bottom - 2, right = rect.Right - 1;
  const int mid = top + (bottom - top) / 2;
  const bool leftEnd = sideMode == smBothEnds || sideMode == smLeftEnd;
  const bool rightEnd = sideMode == smBothEnds || sideMode == smRightEnd;
  // Side modes past the named ones draw no ends but keep both insets.
  const int leftInset = leftEnd || sideMode > smNoEnds ? 2 : 0;
  const int rightInset = rightEnd || sideMode > smNoEnds ? 2 : 0;

  PenLine(canvas, c.InnerTop, left, top + 1, right, top + 1);
  if (leftEnd) PenLine(canvas, c.InnerTop, left + 1, top + 1, left + 1, mid);
  if (rightEnd) PenLine(canvas, c.InnerTop, right - 2, top + 1, right - 2, mid);

  PenLine(canvas, c.InnerBottom, left, bottom - 1, right, bottom - 1);
  if (leftEnd) PenLine(canvas, c.InnerBottom, left + 1, mid, left + 1, bottom - 1);
  if (rightEnd) PenLine(canvas, c.InnerBottom, right - 2, mid, right - 2, bottom - 1);

  PenLine(canvas, c.Border, left + leftInset, top, right - rightInset, top);
  PenLine(canvas, c.Border, left + leftInset, bottom, right - rightInset, bottom);
  if (rightEnd) PenLine(canvas, c.Border, right - 1, top + 2, right - 1, bottom - 1);
  if (leftEnd) PenLine(canvas, c.Border, left, top + 2, left, bottom - 1);

  if (leftEnd) {
    Corner(canvas, c, left, top, 1, 1);
    Corner(canvas, c, left, bottom, 1, -1);
  }
  if (rightEnd) {
    Corner(canvas, c, right - 1, top, -1, 1);
    Corner(canvas, c, right - 1, bottom, -1, -1);
  }

  constexpr int kBands = 16;
  TRect body{left + leftInset, top + 2, right - rightInset, bottom - 1};
  if (c.GradientTo == clNone) {
    FillRectColor(canvas, body, c.GradientFrom);
  } else if (c.MirrorFrom == clNone) {
    DrawGradient(canvas, c.GradientFrom, c.GradientTo, kBands, body, false);
  } else {
    TRect upper = body, lower = body;
    upper.Bottom = lower.Top = body.Top + body.Height() / 2;
    DrawGradient(canvas, c.GradientFrom, c.GradientTo, kBands, upper, false);
    DrawGradient(canvas, c.MirrorFrom, c.MirrorTo, kBands, lower, false);
  }
}

void DrawDropArrow(TCanvas* canvas, int x, int y, TColor color) {
  UseColor(canvas, color);
  canvas->Polygon({{x - 3, y}, {x + 3, y}, {x, y + 3}});
}

void DrawTransparentBitmap(TCanvas* canvas, TBitmap* bitmap, TColor backColor, const TRect& rect) {
  if (!bitmap || bitmap->Empty()) return;
  const int width = bitmap->Width(), height = bitmap->Height();
  const TRect whole{0, 0, width, height};
  // The copy is made on a bitmap of its own, so the caller's bitmap keeps its pixels and the
  // canvas gets the result in one transfer.
  TBitmap copy(width, height);
  copy.Canvas()->Brush()->SetColor(backColor);
  copy.Canvas()->BrushCopy(whole, bitmap, whole, bitmap->Canvas()->Pixels(0, 0));
  canvas->Draw(rect.Left, rect.Top, &copy);
}

void DrawResourceBitmap(TCanvas* canvas, TColor backColor, const TRect& rect, const String& name) {
  TRasterImage image;
  if (!FindResourceImage(name, image)) return;
  TBitmap bitmap;
  bitmap.LoadFromRaster(image);
  DrawTransparentBitmap(canvas, &bitmap, backColor, rect);
}

}  // namespace AdvUtil
