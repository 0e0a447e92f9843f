// TAsgSpinButton and its halves: layout, focus, auto-repeat and painting.
#include <algorithm>

#include "controls/graphics/AdvXPVS.h"
#include "controls/grid/AsgCtl3D.h"
#include "controls/grid/asgspin.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/VirtualKeys.h"

using namespace asgspin;

namespace {

constexpr uint32_t kFirstRepeat = 400;
constexpr uint32_t kNextRepeat = 100;

// The arrow of a coloured half, relative to the half's top-left corner.
std::vector<TPoint> ArrowPoints(TAdvTimerSpeedButton::TArrow arrow, TPoint origin) {
  static const TPoint kPoints[4][3] = {
      {{5, 5}, {3, 7}, {5, 9}},  // left
      {{3, 5}, {5, 7}, {3, 9}},  // right
      {{4, 4}, {8, 4}, {6, 2}},  // up
      {{4, 2}, {8, 2}, {6, 4}},  // down
  };
  std::vector<TPoint> points;
  for (const TPoint& p : kPoints[arrow]) points.push_back({origin.X + p.X, origin.Y + p.Y});
  return points;
}

}  // namespace

// --- A half --------------------------------------------------------------------------------------

TAdvTimerSpeedButton::TAdvTimerSpeedButton(TAsgSpinButton* pair, TArrow arrow)
    : TSpeedButton(pair), FPair(pair), FArrow(arrow) {}

void TAdvTimerSpeedButton::SetArrow(TArrow value) {
  FArrow = value;
  Invalidate();
}

void TAdvTimerSpeedButton::SetIsWinXP(bool value) {
  FIsWinXP = value;
  Invalidate();
}

void TAdvTimerSpeedButton::SetFocusShown(bool value) {
  if (FFocusShown == value) return;
  FFocusShown = value;
  Invalidate();
}

void TAdvTimerSpeedButton::InvalidateParentWindow() {
  if (Parent() && Parent()->HandleAllocated()) InvalidateRect(Parent()->Handle(), nullptr, true);
}

void TAdvTimerSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TSpeedButton::MouseDown(button, shift, x, y);
  if (button == mbLeft && Enabled() && FRepeat) {
    if (!FTimer) FTimer = std::make_unique<TTimer>(nullptr);
    FTimer->SetEnabled(false);
    FTimer->SetInterval(kFirstRepeat);
    FTimer->SetOnTimer([this](TObject* sender) { TimerExpired(sender); });
    FTimer->SetEnabled(true);
  }
  InvalidateParentWindow();
}

void TAdvTimerSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TSpeedButton::MouseUp(button, shift, x, y);
  if (FTimer) FTimer->SetEnabled(false);
  InvalidateParentWindow();
}

void TAdvTimerSpeedButton::TimerExpired(TObject*) {
  FTimer->SetInterval(kNextRepeat);
  if (State() != bsDown || !MouseCapture()) return;
  try {
    Click();
  } catch (...) {
    FTimer->SetEnabled(false);
    throw;
  }
}

void TAdvTimerSpeedButton::Dispatch(TMessage& message) {
  if ((message.Msg == CM_MOUSEENTER || message.Msg == CM_MOUSELEAVE) && message.LParam == 0) {
    FHot = message.Msg == CM_MOUSEENTER;
    Invalidate();
  }
  TSpeedButton::Dispatch(message);
}

void TAdvTimerSpeedButton::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  const bool pressed = State() == bsDown;
  if (FPair->ButtonColor != clNone) {
    TColor fill = pressed ? FPair->ButtonColorDown : FHot ? FPair->ButtonColorHot
                                                          : FPair->ButtonColor;
    if (fill == clNone) fill = FPair->ButtonColor;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(fill);
    canvas->Pen()->SetColor(fill);
    canvas->Rectangle(r);
    canvas->Brush()->SetColor(clBlack);
    canvas->Pen()->SetColor(clBlack);
    canvas->Polygon(ArrowPoints(FArrow, r.TopLeft()));
  } else {
    bool themed = false;
    const AdvXPVS::TThemeBinder& theme = AdvXPVS::ThemeBinder();
    if (FIsWinXP && FPair->HandleAllocated()) {
      if (HTHEME handle = theme.OpenThemeData(FPair->Handle(), u"spin")) {
        int part = FArrow == taUp ? 1 : FArrow == taDown ? 2 : FArrow == taRight ? 3 : 4;
        int state = pressed ? 3 : FHot ? 2 : 1;
        themed = theme.DrawThemeBackground(handle, canvas->Handle(), part, state, &r, nullptr) >= 0;
        theme.CloseThemeData(handle);
      }
    }
    if (!themed) {
      if (Horizontal()) {
        uint32_t state = FArrow == taLeft ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT;
        if (pressed) state |= DFCS_PUSHED;
        if (Flat()) state |= DFCS_FLAT;
        DrawFrameControl(canvas->Handle(), r, DFC_SCROLL, state);
      } else {
        TSpeedButton::Paint();
      }
    }
  }
  if (FFocusShown) {
    TRect focus = ClientRect();
    InflateRect(focus, -2, -2);
    canvas->DrawFocusRect(focus);
  }
}

// --- The pair ------------------------------------------------------------------------------------

TAsgSpinButton::TAsgSpinButton(TComponent* owner) : TWinControl(owner) {
  TControlStyle style = ControlStyle();
  style >> csAcceptsControls >> csSetCaption;
  style << csOpaque;
  SetControlStyle(style);
  auto make = [this](TAdvTimerSpeedButton::TArrow arrow) {
    auto* half = new TAdvTimerSpeedButton(this, arrow);
    half->SetParent(this);
    half->OnClick = [this](TObject* sender) { HalfClicked(sender); };
    half->OnMouseDown = [this](TObject* sender, TMouseButton button, TShiftState shift, int x,
                               int y) { HalfPressed(sender, button, shift, x, y); };
    return half;
  };
  FUpButton = make(TAdvTimerSpeedButton::taUp);
  FDownButton = make(TAdvTimerSpeedButton::taDown);
  SetUpGlyph(nullptr);
  SetDownGlyph(nullptr);
  FFocusedButton = FUpButton;
  SetBounds(0, 0, 15, 25);
}

void TAsgSpinButton::SetGlyph(TAdvTimerSpeedButton* button, TBitmap* value,
                              const char16_t* resource) {
  if (value) {
    button->SetGlyph(value);
    return;
  }
  TBitmap arrow;
  arrow.LoadFromResourceName(HInstance, resource);
  button->SetGlyph(&arrow);
  button->SetNumGlyphs(1);
}

void TAsgSpinButton::SetUpGlyph(TBitmap* value) { SetGlyph(FUpButton, value, u"AsgSpinUp"); }

void TAsgSpinButton::SetDownGlyph(TBitmap* value) {
  SetGlyph(FDownButton, value, u"AsgSpinDown");
}

void TAsgSpinButton::SetDirection(TSpinDirection value) {
  if (FDirection == value) return;
  FDirection = value;
  bool vertical = value == spVertical;
  FUpButton->SetArrow(vertical ? TAdvTimerSpeedButton::taUp : TAdvTimerSpeedButton::taRight);
  FDownButton->SetArrow(vertical ? TAdvTimerSpeedButton::taDown : TAdvTimerSpeedButton::taLeft);
  SetWidth(vertical ? 15 : 20);
  if (HandleAllocated()) RecreateWnd();
}

void TAsgSpinButton::SetFocusControl(TWinControl* value) {
  FFocusControl = value;
  if (value) value->FreeNotification(this);
}

void TAsgSpinButton::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == FFocusControl) FFocusControl = nullptr;
}

void TAsgSpinButton::SetIsWinXP(bool value) {
  FIsWinXP = value;
  FUpButton->SetIsWinXP(value);
  FDownButton->SetIsWinXP(value);
}

void TAsgSpinButton::SetCtl3D(bool value) { AsgCtl3D::Change(this, FCtl3D, value); }

void TAsgSpinButton::AdjustSize(int& width, int& height) {
  if (!FUpButton || !FDownButton || ComponentState().Contains(csLoading)) return;
  if (FDirection == spVertical) {
    width = std::max(width, 15);
    int upHeight = height / 2;
    FUpButton->SetBounds(0, 0, width, upHeight);
    // The halves overlap by one pixel.
    FDownButton->SetBounds(0, upHeight - 1, width, height - upHeight + 1);
  } else {
    width = std::max(width, 20);
    FDownButton->SetBounds(0, 0, width / 2, height);
    FUpButton->SetBounds(width / 2 + 1, 0, width / 2, height);
  }
}

void TAsgSpinButton::SetBounds(int left, int top, int width, int height) {
  AdjustSize(width, height);
  TWinControl::SetBounds(left, top, width, height);
}

void TAsgSpinButton::Loaded() {
  TWinControl::Loaded();
  int width = Width(), height = Height();
  AdjustSize(width, height);
  if (width != Width() || height != Height()) TWinControl::SetBounds(Left(), Top(), width, height);
}

void TAsgSpinButton::HalfClicked(TObject* sender) {
  if (sender == FUpButton) {
    if (OnUpClick) OnUpClick(this);
  } else if (OnDownClick) {
    OnDownClick(this);
  }
}

void TAsgSpinButton::SetFocusBtn(TAdvTimerSpeedButton* button) {
  if (!TabStop() || !CanFocus() || button == FFocusedButton) return;
  FFocusedButton->SetFocusShown(false);
  FFocusedButton = button;
  if (Focused()) {
    FFocusedButton->SetFocusShown(true);
    Invalidate();
  }
}

void TAsgSpinButton::HalfPressed(TObject* sender, TMouseButton button, TShiftState, int, int) {
  if (button != mbLeft) return;
  SetFocusBtn(static_cast<TAdvTimerSpeedButton*>(sender));
  if (FFocusControl && FFocusControl->TabStop() && FFocusControl->CanFocus() &&
      !FFocusControl->Focused()) {
    FFocusControl->SetFocus();
  } else if (TabStop() && !Focused() && CanFocus()) {
    SetFocus();
  }
}

void TAsgSpinButton::KeyDown(WORD& key, TShiftState shift) {
  switch (key) {
    case VK_SPACE: FFocusedButton->Click(); break;
    case VK_UP:
      SetFocusBtn(FUpButton);
      FUpButton->Click();
      break;
    case VK_DOWN:
      SetFocusBtn(FDownButton);
      FDownButton->Click();
      break;
    default: break;
  }
  TWinControl::KeyDown(key, shift);
}

void TAsgSpinButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS; return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TWinControl::Dispatch(message);
      FFocusedButton->SetFocusShown(message.Msg == WM_SETFOCUS);
      return;
    case WM_SIZE: {
      TWinControl::Dispatch(message);
      int width = Width(), height = Height();
      AdjustSize(width, height);
      return;
    }
    default: TWinControl::Dispatch(message); return;
  }
}
