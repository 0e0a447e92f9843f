// TCustomForm: its window, looks, showing, activation and focus.
#include <algorithm>

#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Screen.h"

TCustomForm::TCustomForm(TComponent* owner) : TScrollingWinControl(owner) {
  FFormState << fsCreating;
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  FVisible = false;
  SetColor(clBtnFace);
  SetBounds(0, 0, 320, 240);
  FCanvas = std::make_unique<TControlCanvas>();
  FCanvas->SetControl(this);
  if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  Destroying();
  if (Screen) Screen->RemoveForm(this);
  // The components (controls and the rest) go while the form is still whole.
  DestroyComponents();
  FCanvas->SetControl(nullptr);
}

void TCustomForm::AfterConstruction() {
  if (FCreated) return;
  FCreated = true;
  FFormState >> fsCreating;
  DoCreate();
  if (FFormState.Contains(fsVisible)) {
    FFormState >> fsVisible;
    SetVisible(true);
  }
}

void TCustomForm::BeforeDestruction() {
  if (FCreated && !ComponentState().Contains(csDestroying)) DoDestroy();
  TScrollingWinControl::BeforeDestruction();
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

// --- Looks --------------------------------------------------------------------------------------

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (FBorderStyle == value) return;
  FBorderStyle = value;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
  if (FBorderIcons == value) return;
  FBorderIcons = value;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle value) {
  if (FFormStyle == value) return;
  FFormStyle = value;
  if (HandleAllocated())
    SetWindowPos(Handle(), value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetWindowState(TWindowState value) {
  if (FWindowState == value) return;
  FWindowState = value;
  if (HandleAllocated() && Showing())
    ShowWindow(Handle(), value == wsMaximized   ? SW_SHOWMAXIMIZED
                         : value == wsMinimized ? SW_SHOWMINIMIZED
                                                : SW_SHOWNORMAL);
}

void TCustomForm::CreateParams(TCreateParams& params) {
  TScrollingWinControl::CreateParams(params);
  if (Parent()) return;  // a form inside another control is a plain child window
  params.Style &= ~(WS_CHILD | WS_GROUP | WS_TABSTOP);
  params.ExStyle &= ~WS_EX_CONTROLPARENT;
  params.WndParent = nullptr;
  if (Application && Application->MainForm() && Application->MainForm() != this &&
      Application->MainForm()->HandleAllocated())
    params.WndParent = Application->MainForm()->Handle();
  bool caption = true;
  switch (FBorderStyle) {
    case bsNone:
      params.Style |= WS_POPUP;
      caption = false;
      break;
    case bsSingle: params.Style |= WS_CAPTION; break;
    case bsSizeable: params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      params.Style |= WS_POPUP | WS_CAPTION;
      params.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsToolWindow:
      params.Style |= WS_CAPTION;
      params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      params.Style |= WS_CAPTION | WS_THICKFRAME;
      params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (caption && FBorderIcons.Contains(biSystemMenu)) {
    params.Style |= WS_SYSMENU;
    if (FBorderStyle == bsSingle || FBorderStyle == bsSizeable) {
      if (FBorderIcons.Contains(biMinimize)) params.Style |= WS_MINIMIZEBOX;
      if (FBorderIcons.Contains(biMaximize)) params.Style |= WS_MAXIMIZEBOX;
    }
  }
  if (FFormStyle == fsStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
  params.WindowClass.style = CS_DBLCLKS;
}

void TCustomForm::PaintWindow(HDC dc) {
  FCanvas->FreeHandle();
  FCanvas->Lock();
  FCanvas->SetHandle(dc);
  try {
    Paint();
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
    throw;
  }
  FCanvas->SetHandle(nullptr);
  FCanvas->Unlock();
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

// --- Showing ------------------------------------------------------------------------------------

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
  if (HandleAllocated()) BringWindowToTop(Handle());
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::PlaceForm() {
  if (Parent()) return;
  TRect area{Screen->DesktopLeft(), Screen->DesktopTop(),
             Screen->DesktopLeft() + Screen->DesktopWidth(),
             Screen->DesktopTop() + Screen->DesktopHeight()};
  TCustomForm* over = nullptr;
  switch (FPosition) {
    case poScreenCenter: area = {0, 0, Screen->Width(), Screen->Height()}; break;
    case poDesktopCenter: break;
    case poMainFormCenter:
      if (Application && Application->MainForm() != this) over = Application->MainForm();
      break;
    case poOwnerFormCenter:
      over = dynamic_cast<TCustomForm*>(Owner());
      if (!over && Application && Application->MainForm() != this) over = Application->MainForm();
      break;
    default: return;
  }
  if (over && over->Visible()) area = over->BoundsRect();
  int left = area.Left + (area.Width() - Width()) / 2;
  int top = area.Top + (area.Height() - Height()) / 2;
  TRect desktop = Screen->DesktopRect();
  left = std::max(left, desktop.Left);
  top = std::max(top, desktop.Top);
  SetBounds(left, top, Width(), Height());
}

void TCustomForm::CMShowingChanged(TMessage&) {
  if (FFormState.Contains(fsShowing))
    throw EInvalidOperation(u"Cannot change Visible in OnShow or OnHide");
  FFormState << fsShowing;
  try {
    if (Showing()) {
      DoShow();
      PlaceForm();
      int command = FWindowState == wsMaximized   ? SW_SHOWMAXIMIZED
                    : FWindowState == wsMinimized ? SW_SHOWMINIMIZED
                                                  : SW_SHOWNORMAL;
      if (Parent()) command = SW_SHOWNOACTIVATE;
      ShowWindow(Handle(), command);
    } else {
      DoHide();
      ShowWindow(Handle(), SW_HIDE);
      // The last form to hide leaves no form with the focus; it is deactivated all the same.
      if (Screen && Screen->FocusedForm() == this) {
        Screen->SetFocusedForm(nullptr);
        Perform(CM_DEACTIVATE);
      }
    }
  } catch (...) {
    FFormState >> fsShowing;
    throw;
  }
  FFormState >> fsShowing;
}

// --- Activation and focus -----------------------------------------------------------------------

void TCustomForm::Activate() {
  FFormState << fsActivated;
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::SetActive(bool value) {
  FActive = value;
  if (!value) return;
  if (!FActiveControl) FActiveControl = FindNextControl(nullptr, true, true, false);
  SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
  if (FActiveControl && FActiveControl->CanFocus() && ::SetFocus(FActiveControl->Handle())) return;
  if (HandleAllocated()) ::SetFocus(Handle());
}

void TCustomForm::SetFocus() {
  if (FActive) return;
  if (!Visible() || !Enabled())
    throw EInvalidOperation(u"Cannot focus a disabled or invisible window");
  SetWindowFocus();
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (FActiveControl == control) return;
  if (control && !(control != this && GetParentForm(control) == this &&
                   (ComponentState().Contains(csLoading) || control->CanFocus())))
    throw EInvalidOperation(u"Cannot focus a disabled or invisible window");
  FActiveControl = control;
  if (!ComponentState().Contains(csLoading) && FActive) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* control) {
  bool wasActive = FActive;
  SetActiveControl(control);
  if (!wasActive) SetFocus();
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing) {
  if (removing && control->ContainsControl(FFocusedControl)) FFocusedControl = control->Parent();
  if (control->ContainsControl(FActiveControl)) SetActiveControl(nullptr);
}

namespace {
// Counts focus changes, so a focus message can tell that its handler moved the focus on.
int GFocusCount = 0;
}  // namespace

bool TCustomForm::SendFocusMessage(TWinControl* target, UINT message) {
  int count = GFocusCount;
  if (target->HandleAllocated())
    SendMessage(target->Handle(), message, 0, 0);
  else
    target->Perform(message);
  return GFocusCount == count;
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
  ++GFocusCount;
  FActiveControl = control != this ? control : nullptr;
  if (Screen) Screen->SetActive(control, this);
  // The activation comes first and is not held back by a focus change in progress: a modal form
  // that an OnActivate handler shows hands the focus back while that handler still runs, and the
  // form is activated again then.
  if (Screen && Screen->FocusedForm() != this) {
    if (TCustomForm* previous = Screen->FocusedForm()) {
      Screen->SetFocusedForm(nullptr);
      if (!SendFocusMessage(previous, CM_DEACTIVATE)) return false;
    }
    Screen->SetFocusedForm(this);
    if (!SendFocusMessage(this, CM_ACTIVATE)) return false;
  }
  if (control->ControlState().Contains(csFocusing)) return false;
  control->SetControlState(control->ControlState() << csFocusing);
  struct TClearFocusing {
    TWinControl* Control;
    ~TClearFocusing() { Control->SetControlState(Control->ControlState() >> csFocusing); }
  } clear{control};

  if (!FFocusedControl) FFocusedControl = this;
  if (FFocusedControl == control) return true;
  while (FFocusedControl && !FFocusedControl->ContainsControl(control)) {
    TWinControl* leaving = FFocusedControl;
    FFocusedControl = leaving->Parent();
    if (!SendFocusMessage(leaving, CM_EXIT)) return false;
  }
  while (FFocusedControl != control) {
    TWinControl* next = control;
    while (next->Parent() != FFocusedControl) next = next->Parent();
    FFocusedControl = next;
    if (!SendFocusMessage(next, CM_ENTER)) return false;
  }
  for (TWinControl* p = control->Parent(); p; p = p->Parent())
    if (auto* scrolling = dynamic_cast<TScrollingWinControl*>(p)) scrolling->AutoScrollInView(control);
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
  return true;
}

bool TCustomForm::IsShortCut(TMessage& message) {
  bool handled = false;
  if (OnShortCut) OnShortCut(message, handled);
  if (handled) return true;
  TShortCut shortCut = ShortCutFromMessage(message);
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* handler = dynamic_cast<IShortCutHandler*>(Components(i)))
      if (handler->IsShortCut(shortCut)) return true;
  return false;
}

void TCustomForm::CMDialogKey(TMessage& message) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (message.CharCode()) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
          message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (FActiveControl && FActiveControl->Parent()) {
          FActiveControl->Parent()->SelectNext(
              FActiveControl, message.CharCode() == VK_RIGHT || message.CharCode() == VK_DOWN, false);
          message.Result = 1;
        }
        return;
      default: break;
    }
  }
  TScrollingWinControl::Dispatch(message);
}

// --- Messages -----------------------------------------------------------------------------------

void TCustomForm::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_ACTIVATE: SetActive(LOWORD(message.WParam) != WA_INACTIVE); return;
    case WM_SETFOCUS:
      if (FActiveControl && FActiveControl != this && FActiveControl->CanFocus()) {
        SetWindowFocus();
        return;
      }
      TScrollingWinControl::Dispatch(message);
      return;
    case WM_CLOSE: Close(); return;
    case WM_PAINT:
      SetControlState(ControlState() << csCustomPaint);
      try {
        TScrollingWinControl::Dispatch(message);
      } catch (...) {
        SetControlState(ControlState() >> csCustomPaint);
        throw;
      }
      SetControlState(ControlState() >> csCustomPaint);
      return;
    case CM_ACTIVATE: Activate(); return;
    case CM_DEACTIVATE: Deactivate(); return;
    case CM_SHOWINGCHANGED: CMShowingChanged(message); return;
    case CM_DIALOGKEY: CMDialogKey(message); return;
    case WM_NEXTDLGCTL: NextDialogControl(message); return;
    case CM_RELEASE: Free(); return;
    case CM_VISIBLECHANGED:
      // Made visible while it is being made: it shows once it is complete.
      if (FFormState.Contains(fsCreating)) {
        if (FVisible) FFormState << fsVisible;
        FVisible = false;
        return;
      }
      TScrollingWinControl::Dispatch(message);
      return;
    default: TScrollingWinControl::Dispatch(message);
  }
}

// A control asks the form to move the focus on: with lParam set, to the control whose window
// wParam names; otherwise to the next tab stop (wParam 0) or the previous one.
void TCustomForm::NextDialogControl(TMessage& message) {
  message.Result = 0;
  if (LOWORD(message.LParam) != 0) {
    TWinControl* control = FindControl(reinterpret_cast<HWND>(message.WParam));
    if (control && GetParentForm(control) == this && control->CanFocus()) control->SetFocus();
    return;
  }
  SelectNext(FActiveControl, message.WParam == 0, true);
}

// --- Task windows -------------------------------------------------------------------------------

std::vector<HWND> DisableTaskWindows(HWND activeWindow) {
  std::vector<HWND> disabled;
  EnumWindows([&](HWND window) {
    if (window != activeWindow && GetWindow(window, GW_OWNER) != activeWindow &&
        IsWindowVisible(window) && IsWindowEnabled(window))
      disabled.push_back(window);
    return true;
  });
  for (HWND window : disabled) EnableWindow(window, false);
  return disabled;
}

void EnableTaskWindows(const std::vector<HWND>& windows) {
  for (HWND window : windows)
    if (IsWindow(window)) EnableWindow(window, true);
}
