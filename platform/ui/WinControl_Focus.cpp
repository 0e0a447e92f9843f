// TWinControl: tab order, the focus, and the keyboard (previewing forms, dialog keys, the key
// events).
#include <algorithm>

#include "platform/rtl/Format.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

// --- Tab order ---------------------------------------------------------------------------------

void TWinControl::SetTabStop(bool value) {
  if (FTabStop == value) return;
  FTabStop = value;
  if (FHandle) {
    LONG_PTR style = GetWindowLongPtr(FHandle, GWL_STYLE);
    SetWindowLongPtr(FHandle, GWL_STYLE, value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
  }
  Perform(CM_TABSTOPCHANGED);
}

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  const auto& list = Parent()->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (!Parent()) return;
  auto& list = Parent()->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  value = std::clamp(value, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
  for (TWinControl* control : FTabList) {
    list.push_back(control);
    control->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int count = static_cast<int>(list.size());
  auto found = std::find(list.begin(), list.end(), current);
  int start = found == list.end() ? (goForward ? count - 1 : 0)
                                  : static_cast<int>(found - list.begin());
  int i = start;
  do {
    i = goForward ? (i + 1) % count : (i - 1 + count) % count;
    TWinControl* candidate = list[static_cast<size_t>(i)];
    if (candidate != current && candidate->CanFocus() &&
        (!checkTabStop || candidate->TabStop()) && (!checkParent || candidate->Parent() == this))
      return candidate;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop))
    next->SetFocus();
}

// --- Focus -------------------------------------------------------------------------------------

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  if (form && (!form->Enabled() || !form->Visible())) return false;
  for (TControl* control = this; control && control != form; control = control->Parent())
    if (!control->Visible() || !control->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm(this))
    form->FocusControl(this);
  else if (FParentWindow)
    ::SetFocus(Handle());
  else
    ValidParentForm(this);
}

void TWinControl::WMSetFocus(TMessage& message) {
  DefaultHandler(message);
  if (ComponentState().Contains(csDestroying)) return;
  if (TCustomForm* form = GetParentForm(this)) form->SetFocusedControl(this);
}

void TWinControl::WMKillFocus(TMessage& message) { DefaultHandler(message); }

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// --- Keys --------------------------------------------------------------------------------------

bool TWinControl::DoKeyDown(TMessage& message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyDown(message)) return true;
  if (ControlStyle().Contains(csNoStdEvents)) return false;
  WORD key = message.CharCode();
  KeyDown(key, KeyDataToShiftState(message.KeyData()));
  message.SetCharCode(key);
  return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyUp(message)) return true;
  if (ControlStyle().Contains(csNoStdEvents)) return false;
  WORD key = message.CharCode();
  KeyUp(key, KeyDataToShiftState(message.KeyData()));
  message.SetCharCode(key);
  return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyPress(message)) return true;
  if (ControlStyle().Contains(csNoStdEvents)) return false;
  char16_t ch = static_cast<char16_t>(message.CharCode());
  KeyPress(ch);
  message.SetCharCode(ch);
  return ch == 0;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char16_t& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

// The key arrives here before it is translated and dispatched: short cuts first, then the keys a
// dialog moves with (Tab, arrows, Enter, Esc) unless the control asks for them.
void TWinControl::CNKeyDown(TMessage& message) {
  message.Result = 1;
  TCustomForm* form = GetParentForm(this);
  if (form && form->IsShortCut(message)) return;
  if (message.Msg == CN_KEYDOWN) {
    LRESULT mask = 0;
    switch (message.CharCode()) {
      case VK_TAB: mask = DLGC_WANTTAB; break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN: mask = DLGC_WANTARROWS; break;
      case VK_RETURN:
      case VK_EXECUTE:
      case VK_ESCAPE:
      case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
      default: break;
    }
    if (mask && Perform(CM_WANTSPECIALKEY, message.CharCode(), message.KeyData()) == 0 &&
        (Perform(WM_GETDLGCODE) & mask) == 0 && form &&
        form->Perform(CM_DIALOGKEY, message.CharCode(), message.KeyData()) != 0)
      return;
  }
  message.Result = 0;
}

// Characters a control does not take are the dialog's: accelerators of buttons and labels.
void TWinControl::CNChar(TMessage& message) {
  message.Result = 0;
  if (message.Msg == CN_SYSCHAR && message.CharCode() == VK_SPACE) return;
  if (message.Msg == CN_CHAR && (Perform(WM_GETDLGCODE) & DLGC_WANTCHARS)) return;
  if (TCustomForm* form = GetParentForm(this))
    if (form->Perform(CM_DIALOGCHAR, message.CharCode(), message.KeyData()) != 0)
      message.Result = 1;
}

// --- Forms of controls ---------------------------------------------------------------------------

TCustomForm* GetParentForm(TControl* control) {
  if (!control) return nullptr;
  while (control->Parent()) control = control->Parent();
  return dynamic_cast<TCustomForm*>(control);
}

TCustomForm* ValidParentForm(TControl* control) {
  TCustomForm* form = GetParentForm(control);
  if (!form) throw EInvalidOperation(Format(u"Control '%s' has no parent window", {control->Name()}));
  return form;
}
