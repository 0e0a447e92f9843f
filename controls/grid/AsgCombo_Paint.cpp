// The coloured drop-down button and the frames the combo editor and the date picker share.
#include "controls/grid/AsgCombo.h"
#include "controls/graphics/AdvXPVS.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/PlatformInfo.h"

namespace AsgCombo {

namespace {

// The frame of a disabled control without its own disabled border: red 7F, green 9D, blue B9.
constexpr TColor kDisabledFrame = 0xB99D7F;

void Frame(TCanvas* canvas, const TRect& r, TColor color) {
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(color);
  canvas->FrameRect(r);
}

}  // namespace

bool MouseButtonDown() {
  return GetAsyncKeyState(VK_LBUTTON) < 0 || GetAsyncKeyState(VK_RBUTTON) < 0;
}

bool PaintThemedDropButton(HWND window, HDC dc, const TRect& r, bool enabled, bool mouseDown,
                           bool dropped, bool hot) {
  const AdvXPVS::TThemeBinder& theme = AdvXPVS::ThemeBinder();
  if (!theme.IsThemeActive()) return false;
  HTHEME handle = theme.OpenThemeData(window, u"combobox");
  if (!handle) return false;
  const int state = !enabled                       ? 4
                    : mouseDown && dropped         ? 3
                    : !mouseDown && hot && !dropped ? 2
                                                    : 1;
  const bool painted = theme.DrawThemeBackground(handle, dc, 1, state, &r, nullptr) >= 0;
  theme.CloseThemeData(handle);
  return painted;
}

TColor ButtonFill(const TButtonColors& colors, bool overButton, bool mouseDown) {
  TColor fill = colors.Normal;
  if (overButton && colors.Hot != clNone) fill = colors.Hot;
  if (overButton && mouseDown && colors.Down != clNone) fill = colors.Down;
  return fill;
}

void PaintColoredButton(TCanvas* canvas, const TRect& r, const TButtonColors& colors,
                        bool overButton, bool mouseDown, const TPoint (&arrow)[3]) {
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(ButtonFill(colors, overButton, mouseDown));
  canvas->FillRect(r);
  canvas->Pen()->SetColor(colors.Border);
  canvas->MoveTo(r.Left, r.Top);
  canvas->LineTo(r.Left, r.Bottom);
  TColor ink = mouseDown && colors.TextDown != clNone ? colors.TextDown : colors.Text;
  if (ink == clNone) ink = clBlack;
  canvas->Brush()->SetColor(ink);
  canvas->Pen()->SetColor(ink);
  std::vector<TPoint> points;
  for (const TPoint& p : arrow) points.push_back({r.Left + p.X, r.Top + p.Y});
  canvas->Polygon(points);
}

TRect DrawControlBorder(TCanvas* canvas, TRect r, const TBorderLook& look) {
  const bool focusFrame = look.Focused && look.FocusBorderColor != clNone;
  if (!look.Enabled && PlatformInfo::ComCtlMajorVersion > 5 && !look.DisabledBorder) {
    Frame(canvas, r, kDisabledFrame);
    return r;
  }
  if (look.BorderColor != clNone && !focusFrame) {
    Frame(canvas, r, look.BorderColor);
    return r;
  }
  if (look.FocusBorderColor != clNone) {
    if (look.Focused) Frame(canvas, r, look.FocusBorderColor);
    return r;
  }
  const TColor outer = look.FocusBorderShows ? clBtnFace : look.ParentColor;
  if (look.FocusBorderShows) {
    DrawEdge(canvas->Handle(), r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    Frame(canvas, r, outer);
    InflateRect(r, -1, -1);
    Frame(canvas, r, look.Color);
  } else {
    Frame(canvas, r, outer);
    InflateRect(r, -1, -1);
    r.Right -= look.ButtonWidth;
    Frame(canvas, r, outer);
    InflateRect(r, -1, -1);
    Frame(canvas, r, look.Color);
    r.Right += look.ButtonWidth;
  }
  return r;
}

void DrawButtonBorder(TCanvas* canvas, int clientWidth, int clientHeight, int buttonWidth,
                      bool active, uint32_t activeEdge, uint32_t activeFlags) {
  HDC dc = canvas->Handle();
  ExcludeClipRect(dc, clientWidth - buttonWidth + 4, 4, clientWidth - 4, clientHeight - 4);
  TRect r{clientWidth - buttonWidth - 2, 0, clientWidth, clientHeight};
  InflateRect(r, -2, -2);
  if (active) {
    if (activeEdge) DrawEdge(dc, r, activeEdge, BF_RECT | activeFlags);
  } else {
    r.Top += 1;
    r.Bottom -= 1;
    r.Right -= 1;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(r);
  }
  ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
}

}  // namespace AsgCombo
