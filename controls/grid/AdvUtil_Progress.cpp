// Progress bars (classic and styled), the progress pie and the range indicator.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "controls/grid/AdvUtil.h"
#include "controls/grid/AdvUtilPaint.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/NumberText.h"

namespace AdvUtil {

using paint::Line;
using paint::RoundPixels;
using paint::UseColor;

namespace {

String PercentText(int percent) { return IntToStr(percent) + u"%"; }

// The bar's text for a format: the value as an integer for %d and %u, else as a real; a format
// that does not suit one number shows the share in per cent instead.
String FormattedValue(const String& format, double value, int percent) {
  try {
    if (format.find_first_of(u"du") != String::npos) return Format(format, {RoundPixels(value)});
    return Format(format, {value});
  } catch (const Exception&) {
    return PercentText(percent);
  }
}

}  // namespace

void DrawProgress(TCanvas* canvas, TRect rect, TColor barColor, TColor filledTextColor,
                  TColor backColor, TColor backTextColor, double value, int marginX, int marginY,
                  double minimum, double maximum, const String& format, TColor borderColor,
                  bool upsideDown) {
  const TColor oldBrush = canvas->Brush()->Color();
  UseColor(canvas, barColor);
  canvas->Font()->SetColor(filledTextColor);

  int percent;
  String text;
  if (format.empty()) {
    percent = RoundPixels(value);
    text = PercentText(percent);
  } else {
    // Equal bounds leave no share to show: the bar stays empty.
    const double span = maximum - minimum;
    percent = span == 0 ? 0 : RoundPixels((value - minimum) * 100 / span);
    text = FormattedValue(format, value, std::clamp(percent, 0, 100));
  }
  percent = std::clamp(percent, 0, 100);

  InflateRect(rect, -marginX, -marginY);
  const int split = rect.Left + RoundPixels(rect.Width() * percent / 100.0);
  const TSize extent = canvas->TextExtent(text);
  const int textHeight = upsideDown ? -extent.cy : extent.cy;
  const int x = rect.Left + (rect.Width() - extent.cx) / 2;
  const int y = rect.Top + (rect.Height() - textHeight) / 2;

  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(barColor);
  canvas->Font()->SetColor(filledTextColor);
  canvas->TextRect({rect.Left, rect.Top, split, rect.Bottom}, x, y, text);
  canvas->Brush()->SetColor(backColor);
  canvas->Font()->SetColor(backTextColor);
  canvas->TextRect({split, rect.Top, rect.Right, rect.Bottom}, x, y, text);

  InflateRect(rect, 1, 1);
  if (borderColor != clNone) {
    canvas->Brush()->SetColor(borderColor);
    canvas->FrameRect(rect);
  }
  InflateRect(rect, 1, 1);
  canvas->Brush()->SetColor(oldBrush);
  canvas->FrameRect(rect);
}

namespace {

struct TLevel {
  TColor Color;
  TColor ColorTo;
};

TLevel Level(const TProgressSettings& s, int index) {
  switch (index) {
    case 0: return {s.Level0Color, s.Level0ColorTo};
    case 1: return {s.Level1Color, s.Level1ColorTo};
    case 2: return {s.Level2Color, s.Level2ColorTo};
    default: return {s.Level3Color, s.Level3ColorTo};
  }
}

// Maps a stretch [from, to) along the bar (pixels from its start) to a rectangle of the given
// thickness; vertical bars grow from the bottom.
TRect Along(const TRect& rect, int inset, bool vertical, int from, int to) {
  if (vertical)
    return {rect.Left + inset, rect.Bottom - inset - to, rect.Right - inset,
            rect.Bottom - inset - from};
  return {rect.Left + inset + from, rect.Top + inset, rect.Left + inset + to, rect.Bottom - inset};
}

// A part or block of the bar: two gradients across its thickness meeting in the middle, or a
// solid fill.
void FillPart(TCanvas* canvas, const TRect& part, const TLevel& level,
              const TProgressSettings& s) {
  if (IsRectEmpty(part)) return;
  if (!s.ShowGradient) {
    FillRectColor(canvas, part, level.Color);
    return;
  }
  TRect first = part, second = part;
  if (s.Vertical)
    first.Right = second.Left = part.Left + part.Width() / 2;
  else
    first.Bottom = second.Top = part.Top + part.Height() / 2;
  DrawGradient(canvas, level.ColorTo, level.Color, s.Steps, first, s.Vertical);
  DrawGradient(canvas, level.Color, level.ColorTo, s.Steps, second, s.Vertical);
}

void DrawStacked(TCanvas* canvas, const TRect& rect, int length, int percentage,
                 const TProgressSettings& s) {
  // Level0 up to Level1Perc, Level1 up to Level2Perc, Level3 beyond; Level2 is not used here.
  const int ends[3] = {std::min(percentage, s.Level1Perc), std::min(percentage, s.Level2Perc),
                       percentage};
  const int levels[3] = {0, 1, 3};
  int from = 0, fromPercent = 0;
  for (int i = 0; i < 3; ++i) {
    const int partPercent = ends[i] - fromPercent;
    if (partPercent <= 0) continue;
    int to = from + RoundPixels(partPercent / 100.0 * length);
    if (i == 2 && percentage >= 100) to = length;
    to = std::min(to, length);
    FillPart(canvas, Along(rect, 1, s.Vertical, from, to), Level(s, levels[i]), s);
    from = to;
    fromPercent = ends[i];
  }
}

void DrawBlocks(TCanvas* canvas, const TRect& rect, int barLength, int room, const TLevel& level,
                const TProgressSettings& s) {
  constexpr int kBlock = 7, kPitch = 9;
  auto block = [&](int from, int size) {
    const int to = std::min(from + size, room);
    if (to > from) FillPart(canvas, Along(rect, 2, s.Vertical, from, to), level, s);
  };
  if (barLength < kPitch + 1) {
    if (barLength > 1) block(0, barLength);
    return;
  }
  block(0, kBlock);
  int at = kPitch;
  for (; at + kPitch <= barLength; at += kPitch) block(at, kBlock);
  const int rest = barLength - at;
  if (rest > 2) block(at, std::min(rest, kBlock));
}

void DrawPercentage(TCanvas* canvas, const TRect& rect, int percentage,
                    const TProgressSettings& s) {
  if (s.Font) canvas->Font()->Assign(s.Font);
  canvas->Font()->SetColor(s.CompleteFontColor);
  canvas->Brush()->SetStyle(bsClear);
  const String text = PercentText(percentage);
  const TSize extent = canvas->TextExtent(text);
  const int cx = rect.Left + rect.Width() / 2, cy = rect.Top + rect.Height() / 2;
  if (!s.Vertical) {
    canvas->TextOut(cx - extent.cx / 2, cy - extent.cy / 2, text);
    return;
  }
  // Turned a quarter anticlockwise the text runs upwards from its start point. The canvas gets
  // its own font back, so the text painted after this bar is not turned as well.
  TFont kept;
  kept.Assign(canvas->Font());
  canvas->Font()->SetOrientation(900);
  canvas->TextOut(cx - extent.cy / 2, cy + extent.cx / 2, text);
  canvas->Font()->Assign(&kept);
}

}  // namespace

void DrawStyledProgress(TCanvas* canvas, const TRect& rect, int percentage,
                        const TProgressSettings& s) {
  const TColor background = s.UnCompleteColor;
  FillRectColor(canvas, rect, background);
  const int length = (s.Vertical ? rect.Height() : rect.Width()) - 2;
  const int clamped = std::clamp(percentage, 0, 100);

  if (s.Stacked) {
    DrawStacked(canvas, rect, length, clamped, s);
  } else {
    const int index = percentage < s.Level1Perc   ? 0
                      : percentage < s.Level2Perc ? 1
                      : percentage >= 100         ? 3
                                                  : 2;
    const int barLength = RoundPixels(clamped / 100.0 * length);
    if (s.CompletionSmooth)
      FillPart(canvas, Along(rect, 1, s.Vertical, 0, barLength), Level(s, index), s);
    else
      DrawBlocks(canvas, rect, barLength, length - 2, Level(s, index), s);
  }

  if (s.ShowPercentage) DrawPercentage(canvas, rect, percentage, s);

  canvas->Brush()->SetStyle(bsClear);
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetColor(s.ShowBorder ? s.BorderColor : background);
  canvas->Rectangle(rect);
}

void DrawProgressPie(TCanvas* canvas, const TRect& rect, TColor fillColor, int percentage,
                     bool seedAbove) {
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetColor(clGray);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clWhite);
  canvas->Ellipse(rect);
  const int cx = (rect.Left + rect.Right) / 2, cy = (rect.Top + rect.Bottom) / 2;
  const double rx = (rect.Width() + 1) / 2.0, ry = (rect.Height() + 1) / 2.0;
  const double angle = percentage / 100.0 * 2 * std::numbers::pi;
  Line(canvas, cx, cy, cx, rect.Top);
  Line(canvas, cx, cy, cx + RoundPixels(rx * std::sin(angle)),
       cy - RoundPixels(ry * std::cos(angle)));
  if (percentage == 0) return;

  // The seed must lie inside the pie's slice, or the fill runs over the rest of the disc (a
  // slice thinner than the seed's offset) or out of the ellipse altogether.
  auto inSlice = [&](int x, int y) {
    const double dx = (x - cx) / rx, dy = (cy - y) / ry;
    if (dx * dx + dy * dy >= 1) return false;
    double at = std::atan2(dx, dy);
    if (at < 0) at += 2 * std::numbers::pi;
    return at <= angle && canvas->Pixels(x, y) != clGray;
  };
  int seedX = cx + 1, seedY = seedAbove ? rect.Top - 2 : rect.Top + 2;
  if (percentage < 100 && !inSlice(seedX, seedY)) {
    const double half = std::min(angle, 2 * std::numbers::pi) / 2;
    seedX = cx + RoundPixels(rx / 2 * std::sin(half));
    seedY = cy - RoundPixels(ry / 2 * std::cos(half));
    if (!inSlice(seedX, seedY)) return;  // too thin a slice to have an inside
  }
  canvas->Brush()->SetColor(fillColor);
  canvas->FloodFill(seedX, seedY, clGray, fsBorder);
}

void DrawRangeIndicator(TCanvas* canvas, const TRect& rect, int value, int range,
                        bool showNumber, TColor negativeColor, TColor positiveColor) {
  TRect r = rect;
  InflateRect(r, -2, -2);
  int shown = value;
  if (range > 0) {
    shown = std::clamp(value, -range, range);
    const int half = r.Width() / 2;
    const int centre = r.Left + half;
    const int bar = RoundPixels(static_cast<double>(half) * shown / range);
    if (bar > 0)
      FillRectColor(canvas, {centre, r.Top, centre + bar, r.Bottom}, positiveColor);
    else if (bar < 0)
      FillRectColor(canvas, {centre + bar, r.Top, centre, r.Bottom}, negativeColor);
  }
  if (!showNumber) return;
  const String text = IntToStr(shown);
  const TSize extent = canvas->TextExtent(text);
  canvas->Brush()->SetStyle(bsClear);
  canvas->TextOut(r.Left + (r.Width() - extent.cx) / 2, r.Top + (r.Height() - extent.cy) / 2,
                  text);
}

}  // namespace AdvUtil
