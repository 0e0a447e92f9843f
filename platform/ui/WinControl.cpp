// TWinControl: its window (made when needed, destroyed and remade), its children and its place.
#include <algorithm>

#include "platform/rtl/Format.h"
#include "platform/ui/Application.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/win/NonClient.h"

namespace {

// The control whose window CreateWindowEx is making: its window procedure adopts the window on
// the first message, before CreateWindowEx returns.
TWinControl* GCreationControl = nullptr;

constexpr const char16_t* ControlProp = u"TWinControl";

}  // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
  FBrush = std::make_unique<TBrush>();
  FBrush->SetColor(Color());
}

TWinControl::~TWinControl() {
  Destroying();
  if (Parent()) {
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, true);
  }
  if (FHandle) DestroyWindowHandle();
  while (!FControls.empty()) {
    TControl* child = FControls.back();
    Remove(child);
    child->Free();
  }
}

// --- The window ---------------------------------------------------------------------------------

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (Parent()) Parent()->HandleNeeded();
  CreateHandle();
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  CreateWnd();
  if (Parent())
    SetWindowPos(FHandle, Parent()->PrecedingWindow(this), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (TControl* child : FControls) child->UpdateAnchorRules();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params = TCreateParams{};
  params.Caption = FText;
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (ControlStyle().Contains(csAcceptsControls)) {
    params.Style |= WS_CLIPCHILDREN;
    params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (!Enabled()) params.Style |= WS_DISABLED;
  if (FTabStop) params.Style |= WS_TABSTOP;
  params.X = Left();
  params.Y = Top();
  params.Width = Width();
  params.Height = Height();
  params.WndParent = Parent() ? Parent()->FHandle : FParentWindow;
  params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  params.WindowClass.lpfnWndProc = DefWindowProc;
  params.WindowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  params.WindowClass.hInstance = HInstance;
  params.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (!params.WndParent && (params.Style & WS_CHILD))
    throw EInvalidOperation(Format(u"Control '%s' has no parent window", {Name()}));
  FDefWndProc = params.WindowClass.lpfnWndProc;
  WNDCLASS registered;
  bool known = GetClassInfo(HInstance, params.WinClassName, &registered);
  if (!known || registered.lpfnWndProc != InitWndProc) {
    if (known) UnregisterClass(params.WinClassName, HInstance);
    WNDCLASS windowClass = params.WindowClass;
    windowClass.lpfnWndProc = InitWndProc;
    windowClass.lpszClassName = params.WinClassName;
    if (!RegisterClass(windowClass))
      throw EOutOfResources(u"Cannot register the window class " + params.WinClassName);
  }
  GCreationControl = this;
  try {
    CreateWindowHandle(params);
  } catch (...) {
    GCreationControl = nullptr;
    throw;
  }
  GCreationControl = nullptr;
  if (!FHandle) throw EOutOfResources(u"Error creating window");
  if ((params.Style & WS_CHILD) && GetWindowLongPtr(FHandle, GWL_ID) == 0)
    SetWindowLongPtr(FHandle, GWL_ID, reinterpret_cast<LONG_PTR>(FHandle));
  FText.clear();
  UpdateBounds();
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 1);
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
  HWND handle = CreateWindowEx(params.ExStyle, params.WinClassName, params.Caption, params.Style,
                               params.X, params.Y, params.Width, params.Height, params.WndParent,
                               nullptr, HInstance, params.Param);
  FHandle = handle;
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TControl* child : FControls)
    if (auto* windowed = dynamic_cast<TWinControl*>(child)) windowed->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  FText = Text();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  SetControlState(ControlState() << csDestroyingHandle);
  HWND handle = FHandle;
  DestroyWindow(handle);
  SetControlState(ControlState() >> csDestroyingHandle);
  FHandle = nullptr;
  FShowing = false;
}

void TWinControl::RecreateWnd() {
  if (FHandle) Perform(CM_RECREATEWND);
}

LRESULT TWinControl::InitWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = GCreationControl;
  if (!control) return DefWindowProc(window, message, wParam, lParam);
  GCreationControl = nullptr;
  control->FHandle = window;
  SetProp(window, ControlProp, control);
  SetWindowLongPtr(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(ObjectWndProc));
  return ObjectWndProc(window, message, wParam, lParam);
}

LRESULT TWinControl::ObjectWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* control = static_cast<TWinControl*>(GetProp(window, ControlProp));
  if (!control) return DefWindowProc(window, message, wParam, lParam);
  TMessage m{message, wParam, lParam, 0};
  control->MainWndProc(m);
  return m.Result;
}

void TWinControl::MainWndProc(TMessage& message) {
  try {
    if (WindowProc())
      WindowProc()(message);
    else
      WndProc(message);
  } catch (...) {
    FreeDeviceContexts();
    // An error of an event handler is shown, and the message loop goes on.
    if (!Application) throw;
    Application->HandleException(this);
    return;
  }
  FreeDeviceContexts();
}

TWinControl* TWinControl::FindControl(HWND window) {
  if (!window || !IsWindow(window)) return nullptr;
  return static_cast<TWinControl*>(GetProp(window, ControlProp));
}

void TWinControl::SetParentWindow(HWND value) {
  if (Parent() || FParentWindow == value) return;
  if (FHandle && FParentWindow && value) {
    ::SetParent(FHandle, value);
    FParentWindow = value;
    return;
  }
  DestroyHandle();
  FParentWindow = value;
  UpdateControlState();
}

void TWinControl::UpdateShowing() {
  bool show = Visible();
  if (show) {
    if (!FHandle) CreateHandle();
    for (TControl* child : std::vector<TControl*>(FControls))
      if (auto* windowed = dynamic_cast<TWinControl*>(child)) windowed->UpdateShowing();
  }
  if (FHandle && FShowing != show) {
    FShowing = show;
    try {
      Perform(CM_SHOWINGCHANGED);
    } catch (...) {
      FShowing = !show;
      throw;
    }
  }
}

void TWinControl::UpdateControlState() {
  TWinControl* control = this;
  while (control->Parent()) {
    control = control->Parent();
    if (!control->Showing()) return;
  }
  if (dynamic_cast<TCustomForm*>(control) || control->FParentWindow) UpdateShowing();
}

void TWinControl::UpdateBounds() {
  if (!FHandle || IsIconic(FHandle)) return;
  TRect r;
  GetWindowRect(FHandle, &r);
  if (GetWindowLongPtr(FHandle, GWL_STYLE) & WS_CHILD) {
    HWND parentWindow = GetParent(FHandle);
    if (parentWindow) {
      TPoint topLeft = r.TopLeft(), bottomRight = r.BottomRight();
      ::ScreenToClient(parentWindow, &topLeft);
      ::ScreenToClient(parentWindow, &bottomRight);
      r = {topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y};
    }
  }
  if (r.Left == Left() && r.Top == Top() && r.Width() == Width() && r.Height() == Height()) return;
  FLeft = r.Left;
  FTop = r.Top;
  FWidth = r.Width();
  FHeight = r.Height();
  UpdateAnchorRules();
}

TRect TWinControl::ComputedClientRect() {
  TCreateParams params;
  CreateParams(params);
  TNonClientLayout layout = NonClientLayout(params.Style, params.ExStyle, Width(), Height());
  return {0, 0, layout.Client.Width(), layout.Client.Height()};
}

TRect TWinControl::ClientRect() {
  if (!FHandle) return ComputedClientRect();
  TRect r;
  GetClientRect(FHandle, &r);
  return r;
}

TPoint TWinControl::ClientOrigin() {
  if (FHandle) {
    TPoint p{0, 0};
    ::ClientToScreen(FHandle, &p);
    return p;
  }
  TCreateParams params;
  CreateParams(params);
  TNonClientLayout layout = NonClientLayout(params.Style, params.ExStyle, Width(), Height());
  TPoint outer = Parent() ? Parent()->ClientOrigin() : TPoint{};
  return {outer.X + Left() + layout.Client.Left, outer.Y + Top() + layout.Client.Top};
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == Left() && top == Top() && width == Width() && height == Height()) return;
  if (FHandle && !IsIconic(FHandle)) {
    SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
  }
  UpdateAnchorRules();
  RequestAlign();
}

void TWinControl::SetParent(TWinControl* value) {
  if (Parent() == value) return;
  if (!Parent() && value && FParentWindow) {
    // A control inside a foreign window moves into a control of this library.
    FParentWindow = nullptr;
    DestroyHandle();
  }
  TControl::SetParent(value);
}

// --- Children ----------------------------------------------------------------------------------

void TWinControl::Insert(TControl* control) {
  FControls.push_back(control);
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) FTabList.push_back(windowed);
  control->FParent = this;
}

void TWinControl::Remove(TControl* control) {
  FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
  FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), control), FTabList.end());
  control->FParent = nullptr;
}

void TWinControl::InsertControl(TControl* control) {
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 1);
  Insert(control);
  if (!control->ComponentState().Contains(csReading)) {
    control->Perform(CM_PARENTCOLORCHANGED);
    control->Perform(CM_PARENTFONTCHANGED);
    control->Perform(CM_PARENTSHOWHINTCHANGED);
    control->UpdateAnchorRules();
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
      windowed->UpdateControlState();
    } else if (FHandle) {
      control->Invalidate();
    }
    AlignControl(control);
  }
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 1);
}

void TWinControl::RemoveControl(TControl* control) {
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 0);
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(windowed, true);
    windowed->DestroyHandle();
  } else if (FHandle) {
    control->InvalidateControl(control->Visible(), false);
  }
  Remove(control);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 0);
  Realign();
}

bool TWinControl::ContainsControl(TControl* control) const {
  for (; control; control = control->Parent())
    if (control == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls) {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* control = *it;
    if (!allowWinControls && dynamic_cast<TWinControl*>(control)) continue;
    if (!control->Visible() || (!allowDisabled && !control->Enabled())) continue;
    TPoint p{pos.X - control->Left(), pos.Y - control->Top()};
    if (!PtInRect(TRect{0, 0, control->Width(), control->Height()}, p)) continue;
    if (control->Perform(CM_HITTEST, 0, PointToLParam(p)) != 0) return control;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& message) {
  for (TControl* control : std::vector<TControl*>(FControls)) {
    if (!ContainsControl(control)) continue;  // a handler removed it
    LRESULT answer = control->Perform(message.Msg, message.WParam, message.LParam);
    if (answer != 0) {
      message.Result = answer;
      return;
    }
  }
}

void TWinControl::NotifyControls(UINT message) {
  for (TControl* control : std::vector<TControl*>(FControls))
    if (ContainsControl(control)) control->Perform(message);
}

HWND TWinControl::PrecedingWindow(TControl* control) {
  auto it = std::find(FControls.begin(), FControls.end(), control);
  if (it == FControls.end()) return HWND_TOP;
  for (++it; it != FControls.end(); ++it)
    if (auto* windowed = dynamic_cast<TWinControl*>(*it); windowed && windowed->FHandle)
      return windowed->FHandle;
  return HWND_TOP;
}

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
}
