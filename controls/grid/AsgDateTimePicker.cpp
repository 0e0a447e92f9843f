// TAsgDateTimePicker: the flat border, the border rules and the tones button.
#include "controls/grid/AsgDateTimePicker.h"

#include "controls/graphics/AdvXPVS.h"
#include "controls/grid/AsgCombo.h"
#include "controls/grid/AsgCtl3D.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/Screen.h"
#include "platform/win/PlatformInfo.h"

using namespace AsgCombo;

namespace {

constexpr bool kThemed = PlatformInfo::ComCtlMajorVersion > 5;
constexpr TColor kThemedFrame = 0xB99D7F;
constexpr TPoint kArrow[3] = {{5, 7}, {11, 7}, {8, 10}};

bool ThemeActive() { return kThemed && AdvXPVS::ThemeBinder().IsThemeActive(); }

}  // namespace

TAsgDateTimePicker::TAsgDateTimePicker(TComponent* owner) : TDateTimePicker(owner) {
  ButtonWidth = GetSystemMetrics(SM_CXVSCROLL) + 2;
  IsWinXP = PlatformInfo::WindowsMajorVersion > 5 ||
            (PlatformInfo::WindowsMajorVersion == 5 && PlatformInfo::WindowsMinorVersion >= 1);
  SetDoubleBuffered(true);
  SetBorderStyle(1);
  FBorderStyle = 0;
}

void TAsgDateTimePicker::SetBorderStyle(uint8_t value) {
  if (FBorderStyle == value) return;
  FBorderStyle = value;
  Invalidate();
}

void TAsgDateTimePicker::SetBorderColor(TColor value) {
  if (FBorderColor == value) return;
  FBorderColor = value;
  Invalidate();
}

void TAsgDateTimePicker::SetTonesStyle(bool value) {
  if (FTones == value) return;
  FTones = value;
  Invalidate();
}

void TAsgDateTimePicker::SetCtl3D(bool value) { AsgCtl3D::Change(this, FCtl3D, value); }

bool TAsgDateTimePicker::TonesCount() const {
  return FTones && !ComponentState().Contains(csDesigning);
}

bool TAsgDateTimePicker::Active() {
  if (ComponentState().Contains(csDesigning)) return Enabled();
  return FMouseInControl || (Screen && Screen->ActiveControl() == this);
}

// --- Painting ------------------------------------------------------------------------------------

TRect TAsgDateTimePicker::ErasedButtonRect() {
  const int right = ClientRect().Right;
  if (ThemeActive()) return {right - ButtonWidth - 15, 1, right, Height()};
  // The platform's button reaches to its 2-pixel edge, so that much is cleared.
  return {right - ButtonWidth - 2, 2, right - 2, Height() - 2};
}

void TAsgDateTimePicker::Paint() {
  TDateTimePicker::Paint();
  TCanvas* canvas = Canvas();
  DrawFlatBorder(canvas);
  if (!((!FCtl3D || TonesCount()) && PlatformInfo::IsVistaOrLater)) return;
  HDC dc = canvas->Handle();
  // The button keeps itself out of later drawing of the text part only; the frames go over all.
  const int saved = SaveDC(dc);
  if (TonesCount() && Kind() != dtkTime) PaintTonesButton(canvas);
  RestoreDC(dc, saved);
  const int framing = SaveDC(dc);
  DrawBorders(canvas);
  RestoreDC(dc, framing);
}

void TAsgDateTimePicker::PaintTonesButton(TCanvas* canvas) {
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(ErasedButtonRect());
  const int width = ClientWidth(), height = ClientHeight();
  TRect r{width - ButtonWidth + 2, 0, Width(), Height()};
  InflateRect(r, -1, -1);
  const bool mouseDown = MouseButtonDown();
  bool painted = false;
  if (ButtonColor != clNone) {
    TButtonColors colors{ButtonColor,    ButtonColorHot,      ButtonColorDown,
                         ButtonTextColor, ButtonTextColorDown, ButtonBorderColor};
    PaintColoredButton(canvas, {r.Left + 2, r.Top, r.Right, r.Bottom}, colors, FButtonHot,
                       mouseDown, kArrow);
    painted = true;
  } else if (kThemed && HandleAllocated()) {
    painted = PaintThemedDropButton(Handle(), canvas->Handle(), r, Enabled(), mouseDown,
                                    DroppedDown(), FButtonHot);
  }
  if (!painted)
    DrawFrameControl(canvas->Handle(), r, DFC_SCROLL,
                     DFCS_SCROLLCOMBOBOX | (Enabled() ? DFCS_FLAT : DFCS_INACTIVE));
  ExcludeClipRect(canvas->Handle(), width - ButtonWidth - 4, 0, width + 2, height);
}

void TAsgDateTimePicker::DrawFlatBorder(TCanvas* canvas) {
  if (FCtl3D || FBorderColor == clNone) return;
  const TColor parent = Parent() ? Parent()->Brush()->Color() : clNone;
  TColor pen = FBorderStyle == 0 && Parent() ? parent : kThemed ? kThemedFrame : FBorderColor;
  const int w = Width(), h = Height();
  canvas->Pen()->SetColor(pen);
  canvas->MoveTo(0, h);
  canvas->LineTo(0, 0);
  canvas->LineTo(w - 1, 0);
  canvas->LineTo(w - 1, h - 1);
  canvas->LineTo(0, h - 1);
  if (FBorderStyle <= 1 && Parent()) {
    // The inner line hides the platform's inner edge.
    canvas->Pen()->SetColor(parent);
    canvas->MoveTo(1, h - 2);
    canvas->LineTo(1, 1);
    canvas->LineTo(w - 1, 1);
  }
}

void TAsgDateTimePicker::DrawBorders(TCanvas* canvas) {
  if (!TonesCount()) return;
  if (Enabled() && FBorderColor == clNone && FocusBorderColor == clNone) return;
  TBorderLook look;
  look.Enabled = Enabled();
  look.DisabledBorder = DisabledBorder;
  look.Focused = FHasFocus;
  look.FocusBorderShows = FocusBorder && Active();
  look.BorderColor = FBorderColor;
  look.FocusBorderColor = FocusBorderColor;
  look.ParentColor = Parent() ? Parent()->Brush()->Color() : clBtnFace;
  look.Color = Color();
  look.ButtonWidth = ButtonWidth;
  DrawControlBorder(canvas, {0, 0, Width(), Height()}, look);
  if (!IsWinXP || !ThemeActive())
    DrawButtonBorder(canvas, ClientWidth(), ClientHeight(), ButtonWidth, Active(), EDGE_RAISED,
                     DroppedDown() ? BF_FLAT : 0);
}

// --- Focus and mouse -----------------------------------------------------------------------------

void TAsgDateTimePicker::DoEnter() {
  if (!ComponentState().Contains(csDesigning)) {
    FHasFocus = true;
    Invalidate();
  }
  TDateTimePicker::DoEnter();
}

void TAsgDateTimePicker::DoExit() {
  TDateTimePicker::DoExit();
  if (ComponentState().Contains(csDesigning)) return;
  FHasFocus = false;
  Invalidate();
}

void TAsgDateTimePicker::MouseMove(TShiftState shift, int x, int y) {
  TDateTimePicker::MouseMove(shift, x, y);
  const bool over = Width() - ButtonWidth < x && x < Width();
  if (over != FButtonHot) {
    FButtonHot = over;
    Invalidate();
  }
}

void TAsgDateTimePicker::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      TDateTimePicker::Dispatch(message);
      if (ComponentState().Contains(csDesigning)) return;
      if (Enabled()) FMouseInControl = message.Msg == CM_MOUSEENTER;
      if (message.Msg == CM_MOUSELEAVE) FButtonHot = false;
      Invalidate();
      return;
    case CM_CTL3DCHANGED:
      TDateTimePicker::Dispatch(message);
      Invalidate();
      return;
    default: TDateTimePicker::Dispatch(message); return;
  }
}
