// TApplication: hints. After the pointer rests HintPause milliseconds on a control that shows a
// hint, the hint window shows it (CM_HINTSHOW lets the control change or refuse it) for
// HintHidePause milliseconds; moving to another control starts over.
#include "platform/ui/Application.h"
#include "platform/ui/HintWindow.h"
#include "platform/ui/Screen.h"

namespace {

constexpr UINT_PTR ShowTimer = 1;
constexpr UINT_PTR HideTimer = 2;

TControl* ControlWithHint(TControl* control) {
  while (control && (!control->ShowHint() || control->Hint().empty())) control = control->Parent();
  return control;
}

}  // namespace

void TApplication::SetShowHint(bool value) {
  FShowHint = value;
  if (!value) CancelHint();
}

void TApplication::HintMouseMessage(TControl* control, TMessage&) {
  if (!FShowHint) return;
  TControl* hintControl = ControlWithHint(control);
  if (hintControl == FHintControl) return;
  bool wasShowing = FHintShowing;
  CancelHint();
  FHintControl = hintControl;
  if (hintControl)
    SetTimer(FUtilityWindow, ShowTimer, static_cast<UINT>(wasShowing ? HintShortPause : HintPause),
             nullptr);
}

void TApplication::HintTimerExpired() {
  KillTimer(FUtilityWindow, ShowTimer);
  TPoint p;
  GetCursorPos(&p);
  ActivateHint(p);
}

void TApplication::ActivateHint(TPoint cursorPos) {
  TControl* control = ControlWithHint(FindDragTarget(cursorPos, false));
  if (!control) {
    CancelHint();
    return;
  }
  FHintControl = control;
  THintInfo info;
  info.HintControl = control;
  info.HintPos = {cursorPos.X, cursorPos.Y + 20};
  info.HintMaxWidth = Screen ? Screen->Width() : 1920;
  info.HintColor = HintColor;
  info.CursorPos = control->ScreenToClient(cursorPos);
  info.CursorRect = control->ClientRect();
  info.HideTimeout = HintHidePause;
  info.HintStr = GetShortHint(control->Hint());
  if (control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0 || info.HintStr.empty())
    return;
  if (!FHintWindow) FHintWindow = HintWindowClass(this);
  FHintWindow->SetColor(info.HintColor);
  TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  OffsetRect(r, info.HintPos.X, info.HintPos.Y);
  FHintWindow->ActivateHint(r, info.HintStr);
  FHintShowing = true;
  KillTimer(FUtilityWindow, HideTimer);
  if (info.HideTimeout > 0) SetTimer(FUtilityWindow, HideTimer, static_cast<UINT>(info.HideTimeout), nullptr);
}

void TApplication::HideTimerExpired() {
  KillTimer(FUtilityWindow, HideTimer);
  if (FHintWindow) FHintWindow->ReleaseHandle();
  FHintShowing = false;
}

void TApplication::CancelHint() {
  if (WindowSessionRunning() && FUtilityWindow) {
    KillTimer(FUtilityWindow, ShowTimer);
    KillTimer(FUtilityWindow, HideTimer);
    if (FHintWindow) FHintWindow->ReleaseHandle();
  }
  FHintShowing = false;
  FHintControl = nullptr;
}
