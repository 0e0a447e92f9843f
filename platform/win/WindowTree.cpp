// The window tree: showing, moving, sizing and stacking windows, parents and owners, and the
// coordinate mappings between windows and the screen.
#include <algorithm>

#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

// The first position in a top-level list below the topmost windows.
size_t FirstNonTopmost(const std::vector<TWindow*>& list) {
  size_t i = 0;
  while (i < list.size() && (list[i]->ExStyle & WS_EX_TOPMOST)) ++i;
  return i;
}

void CollectOwned(TWindow* owner, std::vector<TWindow*>& out) {
  for (TWindow* top : owner->Parent->Children)
    if (top->Owner == owner && std::find(out.begin(), out.end(), top) == out.end()) {
      out.push_back(top);
      CollectOwned(top, out);
    }
}

// Moves a window within its siblings; answers whether its place changed.
bool Reorder(TWindow* window, HWND insertAfter) {
  auto& siblings = window->Parent->Children;
  auto oldIt = std::find(siblings.begin(), siblings.end(), window);
  size_t oldIndex = static_cast<size_t>(oldIt - siblings.begin());
  siblings.erase(oldIt);
  bool topLevel = window->IsTopLevel();
  size_t index = 0;
  if (insertAfter == HWND_TOPMOST) {
    if (topLevel) window->ExStyle |= WS_EX_TOPMOST;
  } else if (insertAfter == HWND_NOTOPMOST) {
    window->ExStyle &= ~WS_EX_TOPMOST;
    index = FirstNonTopmost(siblings);
  } else if (insertAfter == HWND_BOTTOM) {
    window->ExStyle &= ~WS_EX_TOPMOST;
    index = siblings.size();
  } else if (insertAfter == HWND_TOP) {
    index = topLevel && !(window->ExStyle & WS_EX_TOPMOST) ? FirstNonTopmost(siblings) : 0;
  } else {
    auto after = std::find_if(siblings.begin(), siblings.end(),
                              [&](TWindow* w) { return w->Handle == insertAfter; });
    index = after == siblings.end() ? 0 : static_cast<size_t>(after - siblings.begin()) + 1;
  }
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(index), window);
  if (topLevel && insertAfter != HWND_BOTTOM) RaiseTopLevel(window);
  auto newIt = std::find(siblings.begin(), siblings.end(), window);
  return static_cast<size_t>(newIt - siblings.begin()) != oldIndex;
}

TWindow* ChildAt(TWindow* parent, TPoint screen) {
  if (!PtInRect(ScreenClientOf(parent), screen)) return parent;
  for (TWindow* child : parent->Children) {
    if (!(child->Style & WS_VISIBLE) || !PtInRect(ScreenRectOf(child), screen)) continue;
    if (child->Style & WS_DISABLED) return parent;
    return ChildAt(child, screen);
  }
  return parent;
}

bool ShowOrHide(HWND handle, bool show, bool activate) {
  TWindowSystem& system = WindowSystem();
  TWindow* window = system.Find(handle);
  bool wasVisible = (window->Style & WS_VISIBLE) != 0;
  if (show == wasVisible) {
    if (show && activate && window->IsTopLevel()) SetActiveWindow(handle);
    return wasVisible;
  }
  SendMessage(handle, WM_SHOWWINDOW, show ? 1 : 0, 0);
  if (!system.Find(handle)) return wasVisible;
  UINT flags = SWP_NOMOVE | SWP_NOSIZE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
  if (!show || !activate || !window->IsTopLevel()) flags |= SWP_NOACTIVATE | SWP_NOZORDER;
  SetWindowPos(handle, HWND_TOP, 0, 0, 0, 0, flags);
  return wasVisible;
}

void SetPlacementState(TWindow* window, DWORD state) {
  bool wasNormal = !(window->Style & (WS_MINIMIZE | WS_MAXIMIZE));
  if (wasNormal) window->NormalRect = window->Rect;
  window->Style = (window->Style & ~(WS_MINIMIZE | WS_MAXIMIZE)) | state;
}

}  // namespace

void RaiseTopLevel(TWindow* window) {
  auto& tops = window->Parent->Children;
  std::vector<TWindow*> owned;
  CollectOwned(window, owned);
  tops.erase(std::remove(tops.begin(), tops.end(), window), tops.end());
  size_t index = (window->ExStyle & WS_EX_TOPMOST) ? 0 : FirstNonTopmost(tops);
  tops.insert(tops.begin() + static_cast<std::ptrdiff_t>(index), window);
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
    TWindow* o = *it;
    tops.erase(std::remove(tops.begin(), tops.end(), o), tops.end());
    auto at = std::find(tops.begin(), tops.end(), window);
    // A topmost owned window stays in the topmost band.
    if (o->ExStyle & WS_EX_TOPMOST) at = tops.begin();
    tops.insert(at, o);
  }
}

void RecalcClient(TWindow* window) {
  NCCALCSIZE_PARAMS params;
  params.rgrc[0] = window->Rect;
  params.rgrc[1] = window->Rect;
  params.rgrc[2] = window->Client;
  OffsetRect(params.rgrc[2], window->Rect.Left, window->Rect.Top);
  SendMessage(window->Handle, WM_NCCALCSIZE, 1, ToLParam(&params));
  if (window->Destroyed) return;
  TRect client = params.rgrc[0];
  OffsetRect(client, -window->Rect.Left, -window->Rect.Top);
  client.Left = std::clamp(client.Left, 0, window->Width());
  client.Top = std::clamp(client.Top, 0, window->Height());
  client.Right = std::clamp(client.Right, client.Left, window->Width());
  client.Bottom = std::clamp(client.Bottom, client.Top, window->Height());
  window->Client = client;
}

bool SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  TWindowSystem& system = WindowSystem();
  std::shared_ptr<TWindow> window = system.Hold(handle);
  if (!window || window->IsDesktop()) return false;
  if (window->Style & WS_VISIBLE)
    flags &= ~SWP_SHOWWINDOW;
  else
    flags &= ~SWP_HIDEWINDOW;

  WINDOWPOS pos{handle, insertAfter, x, y, width, height, flags};
  if (flags & SWP_NOMOVE) pos.x = window->Rect.Left, pos.y = window->Rect.Top;
  if (flags & SWP_NOSIZE) pos.cx = window->Width(), pos.cy = window->Height();
  if (!(flags & SWP_NOSENDCHANGING)) {
    SendMessage(handle, WM_WINDOWPOSCHANGING, 0, ToLParam(&pos));
    if (window->Destroyed) return false;
  }
  flags = pos.flags;
  TRect oldRect = window->Rect;
  TRect newRect = Bounds(pos.x, pos.y, std::max(pos.cx, 0), std::max(pos.cy, 0));
  bool moved = newRect.TopLeft() != oldRect.TopLeft();
  bool sized = newRect.Width() != oldRect.Width() || newRect.Height() != oldRect.Height();
  if (!moved) flags |= SWP_NOMOVE;
  if (!sized) flags |= SWP_NOSIZE;
  window->Rect = newRect;
  bool reordered = !(flags & SWP_NOZORDER) && Reorder(window.get(), pos.hwndInsertAfter);
  bool frameChanged = (flags & SWP_FRAMECHANGED) != 0;
  if (sized || frameChanged) RecalcClient(window.get());
  if (window->Destroyed) return false;
  bool show = (flags & SWP_SHOWWINDOW) != 0;
  bool hide = (flags & SWP_HIDEWINDOW) != 0;
  if (show) window->Style |= WS_VISIBLE;
  if (hide) window->Style &= ~WS_VISIBLE;

  if (window->Native) {
    if (moved || sized) window->Native->SetBounds(newRect);
    if (show || hide) window->Native->SetVisible(show);
  }
  if (!(flags & SWP_NOREDRAW)) {
    bool childLike = !window->IsTopLevel();
    if (hide) {
      if (childLike) InvalidateInParent(window.get(), oldRect);
    } else if (IsShowing(window.get()) &&
               (show || sized || frameChanged || (childLike && (moved || reordered)))) {
      if (childLike && (moved || sized)) InvalidateInParent(window.get(), oldRect);
      InvalidateWhole(window.get());
    }
  }
  if (show && window->IsTopLevel() && !(flags & SWP_NOACTIVATE)) {
    SetActiveWindow(handle);
    if (window->Destroyed) return false;
  } else if (!show && !hide && window->IsTopLevel() && !(flags & SWP_NOACTIVATE) &&
             IsShowing(window.get())) {
    SetActiveWindow(handle);
    if (window->Destroyed) return false;
  }
  if (moved || sized || show || hide || reordered || frameChanged) {
    pos.x = newRect.Left;
    pos.y = newRect.Top;
    pos.cx = newRect.Width();
    pos.cy = newRect.Height();
    pos.flags = flags;
    SendMessage(handle, WM_WINDOWPOSCHANGED, 0, ToLParam(&pos));
    if (window->Destroyed) return true;
  }
  if (hide) ReleaseWindowState(window.get(), false);
  return true;
}

bool MoveWindow(HWND handle, int x, int y, int width, int height, bool repaint) {
  return SetWindowPos(handle, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

bool BringWindowToTop(HWND handle) {
  return SetWindowPos(handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool ShowWindow(HWND handle, int command) {
  TWindowSystem& system = WindowSystem();
  std::shared_ptr<TWindow> window = system.Hold(handle);
  if (!window || window->IsDesktop()) return false;
  bool wasVisible = (window->Style & WS_VISIBLE) != 0;
  switch (command) {
    case SW_HIDE: return ShowOrHide(handle, false, false);
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE: return ShowOrHide(handle, true, false);
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE: {
      if (!(window->Style & WS_MINIMIZE)) {
        SetPlacementState(window.get(), WS_MINIMIZE);
        SendMessage(handle, WM_SIZE, SIZE_MINIMIZED, 0);
        if (system.Active == handle) ActivateOtherWindow(window.get());
      }
      ShowOrHide(handle, true, false);
      return wasVisible;
    }
    case SW_MAXIMIZE: {
      if (!(window->Style & WS_MAXIMIZE)) {
        SetPlacementState(window.get(), WS_MAXIMIZE);
        MONITORINFO info;
        GetMonitorInfo(MonitorFromWindow(handle, MONITOR_DEFAULTTOPRIMARY), &info);
        SetWindowPos(handle, nullptr, info.rcWork.Left, info.rcWork.Top, info.rcWork.Width(),
                     info.rcWork.Height(), SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
      }
      ShowOrHide(handle, true, true);
      return wasVisible;
    }
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
      if (window->Style & (WS_MINIMIZE | WS_MAXIMIZE)) {
        bool wasMaximized = (window->Style & WS_MAXIMIZE) != 0;
        window->Style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
        const TRect& r = window->NormalRect;
        if (wasMaximized)
          SetWindowPos(handle, nullptr, r.Left, r.Top, r.Width(), r.Height(),
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        else
          SendMessage(handle, WM_SIZE, SIZE_RESTORED,
                      MAKELPARAM(window->Client.Width(), window->Client.Height()));
      }
      return ShowOrHide(handle, true, true);
    default: return ShowOrHide(handle, true, true);
  }
}

bool IsIconic(HWND handle) {
  TWindow* window = WindowSystem().Find(handle);
  return window && (window->Style & WS_MINIMIZE);
}

bool IsZoomed(HWND handle) {
  TWindow* window = WindowSystem().Find(handle);
  return window && (window->Style & WS_MAXIMIZE);
}

// --- Coordinates -------------------------------------------------------------------------------

bool GetWindowRect(HWND handle, TRect* rect) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window || !rect) return false;
  *rect = window->IsDesktop() ? window->Rect : ScreenRectOf(window);
  return true;
}

bool GetClientRect(HWND handle, TRect* rect) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window || !rect) return false;
  *rect = {0, 0, window->Client.Width(), window->Client.Height()};
  return true;
}

bool ClientToScreen(HWND handle, TPoint* point) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window || !point) return false;
  if (window->IsDesktop()) return true;
  TRect client = ScreenClientOf(window);
  point->X += client.Left;
  point->Y += client.Top;
  return true;
}

bool ScreenToClient(HWND handle, TPoint* point) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window || !point) return false;
  if (window->IsDesktop()) return true;
  TRect client = ScreenClientOf(window);
  point->X -= client.Left;
  point->Y -= client.Top;
  return true;
}

int MapWindowPoints(HWND from, HWND to, TPoint* points, int count) {
  TPoint origin;
  ClientToScreen(from, &origin);
  TPoint target;
  ClientToScreen(to, &target);
  int dx = origin.X - target.X;
  int dy = origin.Y - target.Y;
  for (int i = 0; i < count; ++i) points[i].X += dx, points[i].Y += dy;
  return MAKELONG(static_cast<uint32_t>(dx), static_cast<uint32_t>(dy));
}

HWND WindowFromPoint(TPoint point) {
  TWindowSystem& system = WindowSystem();
  for (TWindow* top : system.Desktop()->Children) {
    if (!(top->Style & WS_VISIBLE) || !PtInRect(top->Rect, point)) continue;
    // A disabled top-level window is still what lies under the point (the input that reaches
    // it is refused later); a disabled child hands the point to its parent.
    return ChildAt(top, point)->Handle;
  }
  return nullptr;
}

HWND ChildWindowFromPoint(HWND parentHandle, TPoint point) {
  TWindow* parent = WindowSystem().Find(parentHandle);
  if (!parent) return nullptr;
  if (!PtInRect(TRect{0, 0, parent->Client.Width(), parent->Client.Height()}, point))
    return nullptr;
  for (TWindow* child : parent->Children)
    if ((child->Style & WS_VISIBLE) && !(child->Style & WS_DISABLED) &&
        PtInRect(child->Rect, point))
      return child->Handle;
  return parentHandle;
}

// --- Parents, owners and relations -------------------------------------------------------------

HWND GetParent(HWND handle) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window || window->IsDesktop()) return nullptr;
  if (window->IsChild()) return window->Parent->IsDesktop() ? nullptr : window->Parent->Handle;
  if ((window->Style & WS_POPUP) && window->Owner) return window->Owner->Handle;
  return nullptr;
}

HWND SetParent(HWND handle, HWND newParentHandle) {
  TWindowSystem& system = WindowSystem();
  std::shared_ptr<TWindow> window = system.Hold(handle);
  if (!window || window->IsDesktop()) return nullptr;
  TWindow* newParent = newParentHandle ? system.Find(newParentHandle) : system.Desktop();
  if (!newParent) return nullptr;
  for (TWindow* p = newParent; p; p = p->Parent)
    if (p == window.get()) return nullptr;
  TWindow* oldParent = window->Parent;
  HWND oldHandle = oldParent->Handle;
  if (oldParent == newParent) return oldHandle;
  bool showing = IsShowing(window.get());
  if (showing && !window->IsTopLevel()) InvalidateInParent(window.get(), window->Rect);
  auto& oldSiblings = oldParent->Children;
  oldSiblings.erase(std::remove(oldSiblings.begin(), oldSiblings.end(), window.get()),
                    oldSiblings.end());
  window->Parent = newParent;
  if (newParent->IsDesktop()) {
    newParent->Children.insert(newParent->Children.begin() +
                                   static_cast<std::ptrdiff_t>(FirstNonTopmost(newParent->Children)),
                               window.get());
    if (!window->Native) {
      window->Native = system.BackEnd().CreateNativeWindow(handle, window->Rect);
      window->Native->SetTitle(window->Text);
      window->Native->SetVisible((window->Style & WS_VISIBLE) != 0);
      ApplyLayeredStyle(window.get());
    }
  } else {
    newParent->Children.insert(newParent->Children.begin(), window.get());
    window->Native.reset();
    if (system.Active == handle) system.Active = nullptr;
  }
  if (IsShowing(window.get())) InvalidateWhole(window.get());
  if (!IsShowing(window.get())) ReleaseWindowState(window.get(), false);
  return oldHandle;
}

HWND GetAncestor(HWND handle, UINT kind) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window || window->IsDesktop()) return nullptr;
  switch (kind) {
    case GA_PARENT: return window->Parent->Handle;
    case GA_ROOT: return TopLevelOf(window)->Handle;
    case GA_ROOTOWNER: {
      TWindow* root = TopLevelOf(window);
      while (root->Owner) root = root->Owner;
      return root->Handle;
    }
    default: return nullptr;
  }
}

HWND GetWindow(HWND handle, UINT relation) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window) return nullptr;
  if (relation == GW_CHILD) return window->Children.empty() ? nullptr : window->Children[0]->Handle;
  if (relation == GW_OWNER) return window->Owner ? window->Owner->Handle : nullptr;
  if (relation == GW_ENABLEDPOPUP) return nullptr;
  if (window->IsDesktop()) return nullptr;
  const auto& siblings = window->Parent->Children;
  auto it = std::find(siblings.begin(), siblings.end(), window);
  switch (relation) {
    case GW_HWNDFIRST: return siblings.front()->Handle;
    case GW_HWNDLAST: return siblings.back()->Handle;
    case GW_HWNDNEXT: return it + 1 == siblings.end() ? nullptr : (*(it + 1))->Handle;
    case GW_HWNDPREV: return it == siblings.begin() ? nullptr : (*(it - 1))->Handle;
    default: return nullptr;
  }
}

HWND GetTopWindow(HWND handle) {
  TWindow* window = handle ? WindowSystem().Find(handle) : WindowSystem().Desktop();
  if (!window || window->Children.empty()) return nullptr;
  return window->Children[0]->Handle;
}

bool IsChild(HWND parentHandle, HWND handle) {
  TWindowSystem& system = WindowSystem();
  TWindow* parent = system.Find(parentHandle);
  TWindow* window = system.Find(handle);
  if (!parent || !window) return false;
  for (TWindow* p = window->Parent; p && !p->IsDesktop(); p = p->Parent)
    if (p == parent) return true;
  return false;
}

HWND GetDesktopWindow() { return WindowSystem().Desktop()->Handle; }

bool EnumWindows(const std::function<bool(HWND window)>& callback) {
  std::vector<HWND> tops;
  for (TWindow* top : WindowSystem().Desktop()->Children) tops.push_back(top->Handle);
  for (HWND top : tops)
    if (IsWindow(top) && !callback(top)) return false;
  return true;
}
