// The glow button as a control: mouse, keyboard and dialog keys, toggling and groups, the fade
// and repeat timers, the drop-down menu, automatic sizing and the link to an action.
#include "controls/graphics/AdvGlowButton.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/win/VirtualKeys.h"

using namespace AdvGlowButton;

namespace {

constexpr int kFadeStep = 20;

bool InClient(TControl* control, int x, int y) {
  return x >= 0 && x < control->ClientWidth() && y >= 0 && y <= control->ClientHeight();
}

}  // namespace

void TAdvCustomGlowButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_MOUSEENTER: CMMouseEnter(message); return;
    case CM_MOUSELEAVE: CMMouseLeave(message); return;
    case CM_TEXTCHANGED: Invalidate(); return;
    case CM_FONTCHANGED: return;
    case CM_ENABLEDCHANGED:
      TCustomControl::Dispatch(message);
      Invalidate();
      return;
    case CM_FOCUSCHANGED: {
      auto* focused = reinterpret_cast<TControl*>(message.LParam);
      // Enter belongs to a focused glow button, else to the default one.
      FDefaultNow = dynamic_cast<TAdvCustomGlowButton*>(focused) != nullptr
                        ? focused == static_cast<TControl*>(this)
                        : FDefault;
      TCustomControl::Dispatch(message);
      return;
    }
    case CM_DIALOGKEY: CMDialogKey(message); return;
    case CM_DIALOGCHAR: CMDialogChar(message); return;
    case CM_BUTTONPRESSED: CMButtonPressed(message); return;
    case CN_COMMAND:
      if (HIWORD(message.WParam) == 0) Click();
      return;
    case WM_SETTEXT:
      TCustomControl::Dispatch(message);
      if (FAutoSize) UpdateAutoSize();
      return;
    case WM_ERASEBKGND: message.Result = 1; return;
    case WM_SETFOCUS:
      TCustomControl::Dispatch(message);
      FFocused = true;
      return;
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(message);
      FFocused = false;
      Invalidate();
      return;
    case WM_LBUTTONDOWN:
      FLButtonDownSeen = true;
      TCustomControl::Dispatch(message);
      return;
    case WM_LBUTTONUP: WMLButtonUp(message); return;
    default: TCustomControl::Dispatch(message);
  }
}

void TAdvCustomGlowButton::Click() {
  TakeModalResult();
  TCustomControl::Click();
}

void TAdvCustomGlowButton::TakeModalResult() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
}

// --- Hover and fades -----------------------------------------------------------------------------

void TAdvCustomGlowButton::CMMouseEnter(TMessage& message) {
  TCustomControl::Dispatch(message);
  if (ComponentState().Contains(csDesigning) || FHot) return;
  FHotColors = true;
  if (FRePressOnReturn) FPressed = true;
  StartFadeTimer();
  if (!FPressed && FFadeKind != TFadeKind::Down) {
    FFadeStep = kFadeStep;
    FFadeKind = TFadeKind::Hot;
  }
  Invalidate();
  FMouseInside = true;
  FHot = true;
}

void TAdvCustomGlowButton::CMMouseLeave(TMessage& message) {
  TCustomControl::Dispatch(message);
  if (ComponentState().Contains(csDesigning) || !FHot) return;
  FHot = FMouseInside = FHotColors = FOverDropDown = false;
  if (FPressed && FHeld) {
    // Back over the button while still held, it shows pressed again.
    FPressed = false;
    FRePressOnReturn = true;
  } else {
    FPressed = false;
    FHotFade = 100;
  }
  FFadeStep = -kFadeStep;
  FFadeKind = TFadeKind::Hot;
  Invalidate();
  StartFadeTimer();
}

void TAdvCustomGlowButton::StartFadeTimer() {
  if (FFadeTimer != nullptr || FadeInterval() <= 0) return;
  TTimer* timer = FSpareFadeTimer != nullptr ? FSpareFadeTimer : new TTimer(this);
  FSpareFadeTimer = nullptr;
  timer->SetEnabled(false);
  timer->SetInterval(static_cast<uint32_t>(FadeInterval()));
  timer->SetOnTimer([this](TObject*) { FadeTimerTick(); });
  timer->SetEnabled(true);
  FFadeTimer = timer;
}

void TAdvCustomGlowButton::StopFadeTimer() {
  if (FFadeTimer == nullptr) return;
  // Kept for the next fade: a fade ends from inside its own timer's tick.
  FFadeTimer->SetEnabled(false);
  FSpareFadeTimer = FFadeTimer;
  FFadeTimer = nullptr;
}

void TAdvCustomGlowButton::FadeTimerTick() {
  if (FFadeKind == TFadeKind::Idle) return;
  int& value = FFadeKind == TFadeKind::Hot ? FHotFade : FDownFade;
  value += FFadeStep;
  bool passed = (FFadeStep > 0 && value > 100) || (FFadeStep < 0 && value < 0);
  if (!passed) {
    Invalidate();
    return;
  }
  value = FFadeStep > 0 ? 100 : 0;
  if (FFadeKind == TFadeKind::Down && FFadeStep < 0) FPressed = FRePressOnReturn = false;
  FFadeKind = TFadeKind::Idle;
  StopFadeTimer();
}

// --- Mouse ----------------------------------------------------------------------------------------

void TAdvCustomGlowButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  if (FRepeatClick) {
    if (FRepeatTimer == nullptr) FRepeatTimer = new TTimer(this);
    FRepeatTimer->SetEnabled(false);
    FRepeatTimer->SetOnTimer([this](TObject*) { RepeatTimerTick(); });
    FRepeatTimer->SetInterval(static_cast<uint32_t>(FInitRepeatPause));
    FRepeatTimer->SetEnabled(true);
  }
  FPressed = FHeld = true;
  if (TabStop() && CanFocus()) SetFocus();
  StartFadeTimer();
  FFadeStep = kFadeStep;
  FFadeKind = TFadeKind::Down;
  bool inStrip = FDropDownPosition == dpRight ? x > Width() - kDropDownWidth
                                              : y > Height() - kDropDownWidth;
  bool dropDown = (!FDropDownButton && HasDropDownPart()) ||
                  (FDropDownButton && FDropDownSplit && inStrip) ||
                  (FDropDownButton && !FDropDownSplit && FStyle == bsButton && FGroupIndex <= 0);
  if (dropDown) {
    DropDownAction();
    Invalidate();
    return;
  }
  if (FStyle == bsCheck) SetDown(!FDown);
  if (!FDown) {
    FState = 2;
    Invalidate();
  }
  if (FStyle == bsCheck) {
    FState = 2;
    Repaint();
  }
  FTracking = true;
}

void TAdvCustomGlowButton::DropDownAction() {
  FMouseInside = false;
  if (OnDropDown) OnDropDown(this);
  if (FDropDownMenu == nullptr) return;
  FDropDownMenu->SetPopupComponent(this);
  FPressed = !FDropDownSplit;
  FMenuShowing = true;
  FHot = false;
  Repaint();
  PopupDropDownMenu();
  FPressed = false;
  FMenuShowing = false;
  // The menu took the press: its release went to the menu, so the button is not held any more.
  FHeld = false;
  FLButtonDownSeen = false;
  SetControlState(ControlState() >> csClicked);
  TPoint cursor;
  GetCursorPos(&cursor);
  if (!PtInRect(ClientRect(), ScreenToClient(cursor)))
    FHot = FMouseInside = FHotColors = FOverDropDown = false;
  Repaint();
}

void TAdvCustomGlowButton::PopupDropDownMenu() {
  TPoint at = FDropDownDirection == ddDown ? TPoint{Left(), Top() + Height()}
                                           : TPoint{Left() + Width(), Top()};
  if (Parent() != nullptr) at = Parent()->ClientToScreen(at);
  TPopupMenu* menu = FDropDownMenu;
  if (menu->Alignment() == paRight) at.X += Width();
  if (menu->Alignment() == paCenter) at.X += Width() / 2;
  menu->Popup(at.X, at.Y);
  // The call returns when the menu closes, as a modal menu would.
  while (menu == FDropDownMenu && menu->IsShowing() && Application != nullptr &&
         !Application->Terminated())
    Application->HandleMessage();
}

void TAdvCustomGlowButton::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (ComponentState().Contains(csDesigning)) return;
  UpdateTracking();
  bool over = FDropDownButton && (FDropDownPosition == dpRight ? x >= Width() - kDropDownHotWidth
                                                               : y >= Height() - kDropDownHotWidth);
  if (over != FOverDropDown) {
    FOverDropDown = over;
    Invalidate();
  }
  if (FTracking) {
    int want = InClient(this, x, y) && !FDown ? 2 : FDown ? 4 : 0;
    if (FStyle == bsCheck && FDown) want = 2;
    if (want != FState) {
      FState = want;
      Invalidate();
    }
  } else if (!FMouseInside) {
    UpdateTracking();
  }
}

void TAdvCustomGlowButton::UpdateTracking() {
  if (!Enabled()) return;
  TPoint cursor;
  GetCursorPos(&cursor);
  bool inside = FindDragTarget(cursor, true) == static_cast<TControl*>(this);
  if (inside == FMouseInside) return;
  FMouseInside = inside;
  Perform(inside ? CM_MOUSEENTER : CM_MOUSELEAVE);
}

void TAdvCustomGlowButton::WMLButtonUp(TMessage& message) {
  FFadeStep = -kFadeStep;
  FFadeKind = TFadeKind::Down;
  FHeld = false;
  FRePressOnReturn = false;
  StartFadeTimer();
  bool released = false;  // the platform's release handling already ran
  if ((FDropDownButton || !HasDropDownPart()) && FTracking) {
    FTracking = false;
    bool inside = InClient(this, message.XPos(), message.YPos());
    auto* link = dynamic_cast<TAdvGlowButtonActionLink*>(ActionLink());
    bool linked = link != nullptr && link->Action() != nullptr &&
                  (link->IsCheckedLinked() || link->IsGroupIndexLinked());
    if (FGroupIndex != 0) {
      if (linked) {
        TCustomControl::Dispatch(message);
        return;
      }
      if (inside) {
        SetDown(!FDown);
        if (FDown) Repaint();
      } else {
        if (FDown) FState = 4;
        Repaint();
      }
    } else {
      FState = 0;
      FMouseInside = false;
      if (FStyle == bsCheck) {
        if (link != nullptr && link->Action() != nullptr) {
          TCustomControl::Dispatch(message);
          released = true;
          auto* action = dynamic_cast<TCustomAction*>(link->Action());
          if (linked || (action != nullptr && action->AutoCheck())) return;
        }
        if (!inside && FDown) SetDown(false);
        FMouseInside = true;
        Repaint();
      }
      if (inside) Invalidate();
    }
    UpdateTracking();
  }
  if (FLButtonDownSeen) SetControlState(ControlState() << csClicked);
  FLButtonDownSeen = false;
  if (!released && !FMenuShowing) TCustomControl::Dispatch(message);
  if (FStyle == bsCheck || FGroupIndex > 0) Repaint();
  Invalidate();
}

void TAdvCustomGlowButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (FRepeatTimer != nullptr) FRepeatTimer->SetEnabled(false);
}

void TAdvCustomGlowButton::RepeatTimerTick() {
  FRepeatTimer->SetInterval(static_cast<uint32_t>(FRepeatPause));
  if (!FPressed || !MouseCapture()) return;
  try {
    Click();
  } catch (...) {
    // A failing click does not repeat.
    FRepeatTimer->SetEnabled(false);
    throw;
  }
}

// --- Down and groups -------------------------------------------------------------------------------

void TAdvCustomGlowButton::SetDown(bool value) {
  if (ComponentState().Contains(csLoading) || !HandleAllocated()) {
    FPendingDown = value;
    FHasPendingDown = true;
  }
  if (FStyle == bsButton && FGroupIndex == 0) value = false;
  if (FStyle == bsCheck) {
    FDown = value;
    FState = value ? 2 : 0;
    Repaint();
    return;
  }
  // A down button of a group rises only when another one goes down, unless all may be up.
  if (value == FDown || (FDown && !FAllowAllUp)) return;
  FDown = value;
  if (value) {
    if (FState == 0) Invalidate();
    FState = 4;
    BroadcastGroup();
  } else {
    FState = 0;
    Repaint();
  }
}

void TAdvCustomGlowButton::BroadcastGroup() {
  if (FGroupIndex == 0 || Parent() == nullptr) return;
  TMessage message{};
  message.Msg = CM_BUTTONPRESSED;
  message.WParam = static_cast<WPARAM>(FGroupIndex);
  message.LParam = reinterpret_cast<LPARAM>(static_cast<TControl*>(this));
  Parent()->Broadcast(message);
}

void TAdvCustomGlowButton::CMButtonPressed(TMessage& message) {
  if (static_cast<int>(message.WParam) != FGroupIndex) return;
  // Only another glow button releases this one; other controls' groups are not ours.
  auto* sender = dynamic_cast<TAdvCustomGlowButton*>(reinterpret_cast<TControl*>(message.LParam));
  if (sender == nullptr || sender == this || !sender->Down() || !FDown) return;
  FDown = false;
  FState = 0;
  Invalidate();
}

// --- Keyboard ----------------------------------------------------------------------------------

void TAdvCustomGlowButton::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_RETURN || key == VK_SPACE) {
    FPressed = true;
    FState = 2;
    Repaint();
  } else if (key == VK_F4) {
    DoDropDown();
  }
}

void TAdvCustomGlowButton::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  if (key == u' ' || key == 13) {
    TakeModalResult();
    if (OnClick) OnClick(this);
  }
}

void TAdvCustomGlowButton::KeyUp(WORD& key, TShiftState shift) {
  TCustomControl::KeyUp(key, shift);
  if (key == VK_RETURN || key == VK_SPACE) {
    if (FGroupIndex != 0) {
      FPressed = !FPressed;
      FDown = !FDown;
      if (FPressed) FState = 4;
      BroadcastGroup();
    } else {
      FPressed = false;
      FState = 0;
    }
  }
  Repaint();
}

void TAdvCustomGlowButton::CMDialogKey(TMessage& message) {
  WORD key = message.CharCode();
  TShiftState shift = KeyDataToShiftState(message.KeyData());
  bool plain = !shift.Contains(ssShift) && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
  bool ours = (key == VK_RETURN && FDefaultNow) || (key == VK_ESCAPE && FCancel);
  if (ours && plain && CanFocus()) {
    KeyboardClick();
    if (FGroupIndex == 0) FState = 0;
    message.Result = 1;
    return;
  }
  TCustomControl::Dispatch(message);
}

void TAdvCustomGlowButton::CMDialogChar(TMessage& message) {
  bool alt = KeyDataToShiftState(message.KeyData()).Contains(ssAlt);
  if (alt && IsAccel(static_cast<char16_t>(message.CharCode()), Caption()) && CanFocus()) {
    if (HasDropDownPart() || FDropDownMenu != nullptr)
      DoDropDown();
    else
      Click();
    message.Result = 1;
    return;
  }
  TCustomControl::Dispatch(message);
}

void TAdvCustomGlowButton::KeyboardClick() {
  if ((!FDropDownButton && HasDropDownPart()) ||
      (FDropDownButton && FStyle == bsButton && FGroupIndex <= 0 && !FDropDownSplit)) {
    if (FDropDownMenu != nullptr)
      DoDropDown();
    else
      Click();
    return;
  }
  if (FStyle == bsCheck) {
    SetDown(!FDown);
    FState = 2;
    Repaint();
  }
  Click();
}

void TAdvCustomGlowButton::DoDropDown() {
  if (FDropDownMenu != nullptr) {
    FDropDownMenu->SetPopupComponent(this);
    FState = 2;
    if (OnDropDown) OnDropDown(this);
    Invalidate();
    PopupDropDownMenu();
    FState = 0;
    Repaint();
  }
  Invalidate();
}

// --- Focus ------------------------------------------------------------------------------------------

void TAdvCustomGlowButton::DoEnter() {
  TCustomControl::DoEnter();
  Invalidate();
  FFocused = true;
}

void TAdvCustomGlowButton::DoExit() {
  TCustomControl::DoExit();
  if (FGroupIndex == 0) {
    FPressed = false;
    FState = 0;
  }
  FFocused = false;
  Invalidate();
}

// --- Window, loading, sizes -----------------------------------------------------------------------

void TAdvCustomGlowButton::CreateWnd() {
  TCustomControl::CreateWnd();
  FDefaultNow = FDefault;
  FFadeKind = TFadeKind::Idle;
  FRePressOnReturn = FMouseInside = FHot = FHeld = FHotColors = false;
  if (!FHasPendingDown) {
    FState = 0;
    FPressed = false;
  }
  FTracking = false;
  FMeasureOnNextPaint = true;
  FHotFade = 0;
  if (MouseCapture()) SetMouseCapture(false);
  StopFadeTimer();
}

void TAdvCustomGlowButton::Loaded() {
  TCustomControl::Loaded();
  if (FHasPendingDown && FPendingDown != FDown) SetDown(FPendingDown);
  FHasPendingDown = false;
  if (FAutoSize) UpdateAutoSize();
}

void TAdvCustomGlowButton::UpdateAutoSize() {
  if (!FAutoSize) {
    Invalidate();
    return;
  }
  FMeasureRequested = true;
  if (HandleAllocated()) {
    Repaint();
    if (Parent() != nullptr && !ComponentState().Contains(csLoading) &&
        !ComponentState().Contains(csDesigning))
      Paint();
  }
  FMeasureRequested = false;
}

void TAdvCustomGlowButton::SetSizeState(TButtonSizeState value) {
  if (value == FSizeState) return;
  if (FSizeState == bsLarge) {
    FLargeLayout = FLayout;
    FLargeDropDownPosition = FDropDownPosition;
  }
  FSizeState = value;
  if (FAutoSize) {
    FLayout = value == bsLarge ? FLargeLayout : blGlyphLeft;
    FDropDownPosition = value == bsLarge ? FLargeDropDownPosition : dpRight;
  }
  FMeasureOnNextPaint = true;
  if (HandleAllocated()) Paint();
}

// --- Actions ---------------------------------------------------------------------------------------

TControlActionLink* TAdvCustomGlowButton::CreateActionLink() {
  return new TAdvGlowButtonActionLink(this);
}

void TAdvCustomGlowButton::ActionChange(TObject* sender, bool checkDefaults) {
  TCustomControl::ActionChange(sender, checkDefaults);
  if (auto* action = dynamic_cast<TCustomAction*>(sender))
    if (!checkDefaults || FGroupIndex == 0) SetGroupIndex(action->GroupIndex());
  if (FAutoSize && Parent() != nullptr && HandleAllocated()) {
    FMeasureRequested = true;
    Paint();
    FMeasureRequested = false;
  }
}

TAdvGlowButtonActionLink::TAdvGlowButtonActionLink(TAdvCustomGlowButton* client)
    : TControlActionLink(client), FButton(client) {}

bool TAdvGlowButtonActionLink::IsCheckedLinked() {
  auto* action = dynamic_cast<TCustomAction*>(FAction);
  bool linked = TControlActionLink::IsCheckedLinked() && action->Checked() == FButton->Down();
  FButton->FCheckedLinked = linked;
  return linked;
}

bool TAdvGlowButtonActionLink::IsGroupIndexLinked() {
  auto* action = dynamic_cast<TCustomAction*>(FAction);
  bool linked = action != nullptr && action->GroupIndex() == FButton->GroupIndex();
  FButton->FGroupLinked = linked;
  return linked;
}

bool TAdvGlowButtonActionLink::IsImageIndexLinked() {
  auto* action = dynamic_cast<TCustomAction*>(FAction);
  return TControlActionLink::IsImageIndexLinked() && action->ImageIndex() == FImageIndex;
}

void TAdvGlowButtonActionLink::SetChecked(bool value) {
  // The action has already taken the new value: the button followed it while it held the old.
  if (TControlActionLink::IsCheckedLinked() && FButton->Down() == !value) FButton->SetDown(value);
}

void TAdvGlowButtonActionLink::SetGroupIndex(int value) {
  if (IsGroupIndexLinked()) FButton->SetGroupIndex(value);
}

void TAdvGlowButtonActionLink::SetImageIndex(int value) {
  if (!TControlActionLink::IsImageIndexLinked()) return;
  FImageIndex = value;
  FButton->Invalidate();
}
