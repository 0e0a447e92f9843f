// The combo, push and spin buttons of in-cell editors: themed, classic, flat or in the grid's
// colour tones.
#include "controls/graphics/AdvXPVS.h"
#include "controls/grid/AdvUtil.h"
#include "controls/grid/AdvUtilPaint.h"
#include "platform/gdi/Gdi.h"

namespace AdvUtil {

using paint::Line;
using paint::UseColor;

namespace {

const TColorTone& ToneOf(const TColorTones& tones, int state) {
  switch (state) {
    case btsHot: return tones.Hot;
    case btsPressed: return tones.Down;
    case btsDisabled: return tones.Disabled;
    default: return tones.Normal;
  }
}

// Draws one part through the theme of the class; false when no theme opens (then the caller
// draws the classic button).
bool DrawThemed(TCanvas* canvas, HWND window, const String& themeClass, int part, int state,
                const TRect& rect) {
  const AdvXPVS::TThemeBinder& binder = AdvXPVS::ThemeBinder();
  HTHEME theme = binder.OpenThemeData(window, themeClass);
  if (!theme) return false;
  binder.DrawThemeBackground(theme, canvas->Handle(), part, state, &rect, nullptr);
  binder.CloseThemeData(theme);
  return true;
}

void FrameControl(TCanvas* canvas, TRect rect, uint32_t type, uint32_t state, int kind) {
  if (kind == btkFlat) state |= DFCS_FLAT;
  DrawFrameControl(canvas->Handle(), rect, type, state);
}

// The state of the scroll-type frame controls: only the disabled state shows.
uint32_t ScrollState(uint32_t shape, int state) {
  return shape | (state == btsDisabled ? DFCS_INACTIVE : 0);
}

void FillTone(TCanvas* canvas, const TRect& rect, const TColorTone& tone, bool border) {
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(tone.Color);
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetColor(border ? tone.BorderColor : tone.Color);
  canvas->Rectangle(rect);
}

void Triangle(TCanvas* canvas, TColor color, TPoint a, TPoint b, TPoint c) {
  UseColor(canvas, color);
  canvas->Polygon({a, b, c});
}

}  // namespace

void DrawComboButton(TCanvas* canvas, HWND window, const TRect& rect, int kind, int state,
                     const TColorTones& tones) {
  constexpr int kWidth = 17;
  TRect button{rect.Right - kWidth - 2, rect.Top + 1, rect.Right - 2, rect.Bottom - 1};
  switch (kind) {
    case btkThemed:
      if (DrawThemed(canvas, window, u"combobox", 1, state == btsDisabled ? 4 : 1, button)) return;
      [[fallthrough]];
    case btkClassic:
    case btkFlat:
      FrameControl(canvas, button, DFC_SCROLL, ScrollState(DFCS_SCROLLCOMBOBOX, state), kind);
      return;
    case btkTones: {
      button.Left += 3;
      FillTone(canvas, button, ToneOf(tones, state), false);
      canvas->Pen()->SetColor(tones.Normal.BorderColor);
      Line(canvas, button.Left + 1, button.Top, button.Left + 1, button.Bottom);
      const int l = button.Left, t = button.Top;
      Triangle(canvas, tones.Normal.TextColor, {l + 5, t + 8}, {l + 11, t + 8}, {l + 8, t + 11});
      return;
    }
    default: return;
  }
}

void DrawCellButton(TCanvas* canvas, HWND window, const TRect& rect, int kind, int state,
                    const TColorTones& tones, const String& caption) {
  bool drawn = false;
  if (kind == btkThemed) {
    const int themeState = state == btsHot ? 2 : state == btsPressed ? 3
                           : state == btsDisabled ? 4 : 1;
    drawn = DrawThemed(canvas, window, u"button", 1, themeState, rect);
  }
  if (!drawn && (kind == btkThemed || kind == btkClassic || kind == btkFlat)) {
    uint32_t flags = DFCS_BUTTONPUSH;
    if (state == btsHot) flags |= DFCS_HOT;
    if (state == btsPressed) flags |= DFCS_PUSHED;
    if (state == btsDisabled) flags |= DFCS_INACTIVE;
    FrameControl(canvas, rect, DFC_BUTTON, flags, kind);
  } else if (kind == btkTones) {
    FillTone(canvas, rect, ToneOf(tones, state), true);
  } else if (!drawn) {
    return;
  }
  if (caption.empty()) return;
  canvas->Brush()->SetStyle(bsClear);
  const int width = canvas->TextWidth(caption);
  canvas->TextOut(rect.Left + (rect.Width() - width) / 2, rect.Top + 4, caption);
}

void DrawSpinButtons(TCanvas* canvas, HWND window, const TRect& rect, int kind, int state,
                     const TColorTones& tones) {
  constexpr int kWidth = 15;
  const TRect pair{rect.Right - kWidth - 1, rect.Top - 1, rect.Right - 1, rect.Bottom - 1};
  const int middle = pair.Top + pair.Height() / 2;
  const TRect up{pair.Left, pair.Top, pair.Right, middle};
  const TRect down{pair.Left, middle + 1, pair.Right, pair.Bottom};
  switch (kind) {
    case btkThemed: {
      const int themeState = state == btsDisabled ? 4 : 1;
      if (DrawThemed(canvas, window, u"spin", 1, themeState, up)) {
        DrawThemed(canvas, window, u"spin", 2, themeState, down);
        return;
      }
      [[fallthrough]];
    }
    case btkClassic:
    case btkFlat:
      FrameControl(canvas, up, DFC_SCROLL, ScrollState(DFCS_SCROLLUP, state), kind);
      FrameControl(canvas, down, DFC_SCROLL, ScrollState(DFCS_SCROLLDOWN, state), kind);
      return;
    case btkTones: {
      const TColorTone& tone = ToneOf(tones, state);
      FillTone(canvas, up, tone, false);
      FillTone(canvas, down, tone, false);
      const int l = pair.Left, t = up.Top, t2 = down.Top;
      Triangle(canvas, clBlack, {l + 5, t + 5}, {l + 9, t + 5}, {l + 7, t + 3});
      Triangle(canvas, clBlack, {l + 5, t2 + 1}, {l + 9, t2 + 1}, {l + 7, t2 + 3});
      return;
    }
    default: return;
  }
}

}  // namespace AdvUtil
