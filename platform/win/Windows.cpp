// Window classes, creating and destroying windows, and the window's own data (styles, text,
// properties, window longs).
#include <algorithm>

#include "platform/rtl/TextCompare.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

std::shared_ptr<TWindowClass> FindClass(const String& name) {
  for (auto& windowClass : WindowSystem().Classes)
    if (SameText(windowClass->Name, name)) return windowClass;
  return nullptr;
}

// Where a top-level window created with CW_USEDEFAULT goes, and how large it is.
constexpr TPoint DefaultPosition{120, 90};
constexpr TSize DefaultSize{640, 480};

void SendParentNotify(TWindow* window, UINT event) {
  if (!window->IsChild() || (window->ExStyle & WS_EX_NOPARENTNOTIFY) || !window->Parent) return;
  SendMessage(window->Parent->Handle, WM_PARENTNOTIFY,
              MAKEWPARAM(event, static_cast<uint32_t>(window->Id)), ToLParam(window->Handle));
}

// The windows of a subtree, parents before children.
void CollectSubtree(TWindow* window, std::vector<HWND>& out) {
  out.push_back(window->Handle);
  for (TWindow* child : window->Children) CollectSubtree(child, out);
}

void SendDestroyMessages(HWND handle) {
  TWindowSystem& system = WindowSystem();
  std::shared_ptr<TWindow> window = system.Hold(handle);
  if (!window) return;
  if (system.Caret.Owner == handle) DestroyCaret();
  SendMessage(handle, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  for (TWindow* child : window->Children) children.push_back(child->Handle);
  for (HWND child : children) SendDestroyMessages(child);
}

// Takes a subtree out, children first, each with WM_NCDESTROY.
void FreeSubtree(HWND handle) {
  TWindowSystem& system = WindowSystem();
  std::shared_ptr<TWindow> window = system.Hold(handle);
  if (!window) return;
  std::vector<HWND> children;
  for (TWindow* child : window->Children) children.push_back(child->Handle);
  for (HWND child : children) FreeSubtree(child);
  KillWindowTimers(handle);
  RevokeDropTarget(handle);
  SendMessage(handle, WM_NCDESTROY, 0, 0);
  if (system.Focus == handle) system.Focus = nullptr;
  if (system.Active == handle) system.Active = nullptr;
  if (system.Capture == handle) system.Capture = nullptr;
  if (system.MouseTracked == handle) system.MouseTracked = nullptr;
  if (system.LastMouseWindow == handle) system.LastMouseWindow = nullptr;
  {
    std::lock_guard<std::mutex> lock(system.QueueLock);
    auto& posted = system.Posted;
    posted.erase(std::remove_if(posted.begin(), posted.end(),
                                [handle](const MSG& m) { return m.hwnd == handle; }),
                 posted.end());
  }
  system.Forget(window.get());
}

}  // namespace

// --- Window classes ---------------------------------------------------------------------------

ATOM RegisterClass(const WNDCLASS& windowClass) {
  TWindowSystem& system = WindowSystem();
  if (windowClass.lpszClassName.empty() || FindClass(windowClass.lpszClassName)) return 0;
  auto entry = std::make_shared<TWindowClass>();
  entry->Name = windowClass.lpszClassName;
  entry->Style = windowClass.style;
  entry->Proc = windowClass.lpfnWndProc;
  entry->Instance = windowClass.hInstance;
  entry->Icon = windowClass.hIcon;
  entry->Cursor = windowClass.hCursor;
  entry->Background = windowClass.hbrBackground;
  system.Classes.push_back(entry);
  return static_cast<ATOM>(0xC000 + system.Classes.size());
}

bool UnregisterClass(const String& className, HINSTANCE) {
  TWindowSystem& system = WindowSystem();
  auto it = std::find_if(system.Classes.begin(), system.Classes.end(),
                         [&](const auto& c) { return SameText(c->Name, className); });
  if (it == system.Classes.end()) return false;
  // The class table holds one reference; any more belong to windows of the class.
  if (it->use_count() > 1) return false;
  system.Classes.erase(it);
  return true;
}

bool GetClassInfo(HINSTANCE, const String& className, WNDCLASS* out) {
  auto windowClass = FindClass(className);
  if (!windowClass) return false;
  if (out) {
    out->style = windowClass->Style;
    out->lpfnWndProc = windowClass->Proc;
    out->hInstance = windowClass->Instance;
    out->hIcon = windowClass->Icon;
    out->hCursor = windowClass->Cursor;
    out->hbrBackground = windowClass->Background;
    out->lpszClassName = windowClass->Name;
  }
  return true;
}

String GetClassName(HWND handle) {
  TWindow* window = WindowSystem().Find(handle);
  return window ? window->Class->Name : String();
}

// --- Creating and destroying ------------------------------------------------------------------

HWND CreateWindowEx(DWORD exStyle, const String& className, const String& windowName, DWORD style,
                    int x, int y, int width, int height, HWND parentHandle, HMENU menu,
                    HINSTANCE instance, void* param) {
  TWindowSystem& system = WindowSystem();
  auto windowClass = FindClass(className);
  if (!windowClass) return nullptr;
  TWindow* parent = nullptr;
  TWindow* owner = nullptr;
  if (style & WS_CHILD) {
    parent = system.Find(parentHandle);
    if (!parent) return nullptr;
  } else {
    parent = system.Desktop();
    if (parentHandle) {
      TWindow* given = system.Find(parentHandle);
      if (!given) return nullptr;
      owner = given->IsDesktop() ? nullptr : TopLevelOf(given);
    }
    // An overlapped window always has a caption and clips its siblings.
    if (!(style & WS_POPUP)) style |= WS_CAPTION | WS_CLIPSIBLINGS;
    if (x == CW_USEDEFAULT) x = DefaultPosition.X, y = DefaultPosition.Y;
    if (width == CW_USEDEFAULT) width = DefaultSize.cx, height = DefaultSize.cy;
  }
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) width = height = 0;

  std::shared_ptr<TWindow> window = system.NewWindow();
  HWND handle = window->Handle;
  window->Class = windowClass;
  window->Style = style & ~WS_VISIBLE;
  window->ExStyle = exStyle;
  window->Parent = parent;
  window->Owner = owner;
  window->Rect = Bounds(x, y, std::max(width, 0), std::max(height, 0));
  window->Client = {0, 0, window->Rect.Width(), window->Rect.Height()};
  window->Proc = windowClass->Proc;
  window->Instance = instance;
  if (style & WS_CHILD) window->Id = reinterpret_cast<LONG_PTR>(menu);
  // Children go below their older siblings, so creation order is the z-order and the tab order;
  // a new top-level window goes on top of the windows that are not topmost.
  if (style & WS_CHILD) {
    parent->Children.push_back(window.get());
  } else {
    auto& tops = parent->Children;
    auto at = tops.begin();
    if (!(exStyle & WS_EX_TOPMOST))
      while (at != tops.end() && ((*at)->ExStyle & WS_EX_TOPMOST)) ++at;
    tops.insert(at, window.get());
    window->Native = system.BackEnd().CreateNativeWindow(handle, window->Rect);
    window->Native->SetTitle(windowName);
    ApplyLayeredStyle(window.get());
  }

  CREATESTRUCT create;
  create.lpCreateParams = param;
  create.hInstance = instance;
  create.hMenu = menu;
  create.hwndParent = parentHandle;
  create.x = x;
  create.y = y;
  create.cx = width;
  create.cy = height;
  create.style = style;
  create.lpszName = windowName;
  create.lpszClass = className;
  create.dwExStyle = exStyle;

  if (!SendMessage(handle, WM_NCCREATE, 0, ToLParam(&create))) {
    FreeSubtree(handle);
    return nullptr;
  }
  if (window->Destroyed) return nullptr;
  RecalcClient(window.get());
  if (SendMessage(handle, WM_CREATE, 0, ToLParam(&create)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if (window->Destroyed) return nullptr;
  SendMessage(handle, WM_SIZE, SIZE_RESTORED,
              MAKELPARAM(window->Client.Width(), window->Client.Height()));
  SendMessage(handle, WM_MOVE, 0,
              MAKELPARAM(window->Rect.Left + window->Client.Left,
                         window->Rect.Top + window->Client.Top));
  SendParentNotify(window.get(), WM_CREATE);
  if (window->Destroyed) return nullptr;
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return window->Destroyed ? nullptr : handle;
}

bool DestroyWindow(HWND handle) {
  TWindowSystem& system = WindowSystem();
  std::shared_ptr<TWindow> window = system.Hold(handle);
  if (!window || window->IsDesktop()) return false;

  SendParentNotify(window.get(), WM_DESTROY);
  if (window->Style & WS_VISIBLE)
    SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (window->Destroyed) return true;
  ReleaseWindowState(window.get(), true);

  // Owned windows go first.
  if (window->IsTopLevel()) {
    std::vector<HWND> owned;
    for (TWindow* top : system.Desktop()->Children)
      if (top->Owner == window.get()) owned.push_back(top->Handle);
    for (HWND o : owned) DestroyWindow(o);
  }
  SendDestroyMessages(handle);
  if (window->Destroyed) return true;
  // Nothing of the subtree may keep the focus, the capture or the activation.
  std::vector<HWND> subtree;
  CollectSubtree(window.get(), subtree);
  for (HWND h : subtree) {
    if (system.Focus == h) system.Focus = nullptr;
    if (system.Capture == h) system.Capture = nullptr;
  }
  for (TWindow* top : system.Desktop()->Children)
    if (top->Owner == window.get()) top->Owner = nullptr;
  FreeSubtree(handle);
  return true;
}

bool IsWindow(HWND handle) {
  TWindow* window = HasWindowSystem() ? WindowSystem().Find(handle) : nullptr;
  return window && !window->IsDesktop();
}

bool IsWindowVisible(HWND handle) {
  TWindow* window = WindowSystem().Find(handle);
  return window && IsShowing(window);
}

bool IsWindowEnabled(HWND handle) {
  TWindow* window = WindowSystem().Find(handle);
  return window && !(window->Style & WS_DISABLED);
}

bool EnableWindow(HWND handle, bool enable) {
  TWindowSystem& system = WindowSystem();
  std::shared_ptr<TWindow> window = system.Hold(handle);
  if (!window) return false;
  bool wasDisabled = (window->Style & WS_DISABLED) != 0;
  if (enable && wasDisabled) {
    window->Style &= ~WS_DISABLED;
    SendMessage(handle, WM_ENABLE, 1, 0);
  } else if (!enable && !wasDisabled) {
    SendMessage(handle, WM_CANCELMODE, 0, 0);
    window->Style |= WS_DISABLED;
    if (system.Focus == handle) SetFocus(nullptr);
    if (system.Capture == handle) ReleaseCapture();
    SendMessage(handle, WM_ENABLE, 0, 0);
  }
  return wasDisabled;
}

// --- The window's data ------------------------------------------------------------------------

LONG_PTR GetWindowLongPtr(HWND handle, int index) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window) return 0;
  switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(window->Proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(window->Instance);
    case GWL_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(window->IsChild() ? window->Parent->Handle
                                        : window->Owner  ? window->Owner->Handle
                                                         : nullptr);
    case GWL_ID: return window->Id;
    case GWL_STYLE: return static_cast<LONG_PTR>(window->Style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(window->ExStyle);
    case GWL_USERDATA: return window->UserData;
    default: return 0;
  }
}

LONG_PTR SetWindowLongPtr(HWND handle, int index, LONG_PTR value) {
  TWindowSystem& system = WindowSystem();
  std::shared_ptr<TWindow> window = system.Hold(handle);
  if (!window) return 0;
  LONG_PTR old = GetWindowLongPtr(handle, index);
  switch (index) {
    case GWL_WNDPROC: window->Proc = reinterpret_cast<WNDPROC>(value); break;
    case GWL_HINSTANCE: window->Instance = reinterpret_cast<HINSTANCE>(value); break;
    case GWL_HWNDPARENT:
      if (!window->IsChild()) {
        TWindow* owner = system.Find(reinterpret_cast<HWND>(value));
        window->Owner = owner && !owner->IsDesktop() ? TopLevelOf(owner) : nullptr;
      }
      break;
    case GWL_ID: window->Id = value; break;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
      // The frame is not measured again until SetWindowPos with SWP_FRAMECHANGED, as the
      // system does.
      SendMessage(handle, WM_STYLECHANGING, static_cast<WPARAM>(index), 0);
      if (index == GWL_STYLE)
        window->Style = static_cast<DWORD>(value);
      else
        window->ExStyle = static_cast<DWORD>(value);
      if (index == GWL_EXSTYLE) ApplyLayeredStyle(window.get());
      SendMessage(handle, WM_STYLECHANGED, static_cast<WPARAM>(index), 0);
      break;
    }
    case GWL_USERDATA: window->UserData = value; break;
    default: return 0;
  }
  return old;
}

String GetWindowText(HWND handle) {
  int length = static_cast<int>(SendMessage(handle, WM_GETTEXTLENGTH, 0, 0));
  if (length <= 0) return {};
  String buffer(static_cast<size_t>(length) + 1, u'\0');
  LRESULT copied = SendMessage(handle, WM_GETTEXT, buffer.size(), ToLParam(buffer.data()));
  buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return buffer;
}

int GetWindowTextLength(HWND handle) {
  return static_cast<int>(SendMessage(handle, WM_GETTEXTLENGTH, 0, 0));
}

bool SetWindowText(HWND handle, const String& text) {
  if (!IsWindow(handle)) return false;
  String copy = text;  // zero-terminated for the message
  return SendMessage(handle, WM_SETTEXT, 0, ToLParam(copy.c_str())) != 0;
}

bool SetProp(HWND handle, const String& name, void* data) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window) return false;
  for (auto& [key, value] : window->Props)
    if (SameText(key, name)) {
      value = data;
      return true;
    }
  window->Props.emplace_back(name, data);
  return true;
}

void* GetProp(HWND handle, const String& name) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window) return nullptr;
  for (auto& [key, value] : window->Props)
    if (SameText(key, name)) return value;
  return nullptr;
}

void* RemoveProp(HWND handle, const String& name) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window) return nullptr;
  auto& props = window->Props;
  for (auto it = props.begin(); it != props.end(); ++it)
    if (SameText(it->first, name)) {
      void* data = it->second;
      props.erase(it);
      return data;
    }
  return nullptr;
}
