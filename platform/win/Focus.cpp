// Keyboard focus, activation of top-level windows and the mouse capture, in the order of messages
// the class library relies on:
//   activation: old WM_NCACTIVATE(0), old WM_ACTIVATE(WA_INACTIVE), new WM_NCACTIVATE(1),
//               new WM_ACTIVATE(WA_ACTIVE) -- whose default handling focuses the new window;
//   focus:      old WM_KILLFOCUS(new), new WM_SETFOCUS(old); GetFocus already answers the new
//               window while the old one handles WM_KILLFOCUS.
#include <algorithm>

#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

bool InSubtree(TWindow* root, HWND handle) {
  TWindow* window = WindowSystem().Find(handle);
  for (; window; window = window->Parent)
    if (window == root) return true;
  return false;
}

HWND MoveFocus(HWND handle) {
  TWindowSystem& system = WindowSystem();
  HWND previous = system.Focus;
  if (previous == handle) return previous;
  system.Focus = handle;
  if (previous && system.Find(previous)) {
    SendMessage(previous, WM_KILLFOCUS, ToWParam(handle), 0);
    if (system.Focus != handle) return previous;  // the handler moved it elsewhere
  }
  if (handle && system.Find(handle)) SendMessage(handle, WM_SETFOCUS, ToWParam(previous), 0);
  return previous;
}

bool CanActivate(TWindow* window) {
  return window && window->IsTopLevel() && (window->Style & WS_VISIBLE) &&
         !(window->Style & WS_DISABLED) && !(window->ExStyle & WS_EX_NOACTIVATE);
}

HWND Activate(HWND handle, bool byClick, bool moveFocus) {
  TWindowSystem& system = WindowSystem();
  HWND previous = system.Active;
  if (previous == handle) return previous;
  if (previous && system.Find(previous)) {
    SendMessage(previous, WM_NCACTIVATE, 0, ToLParam(handle));
    SendMessage(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(previous) ? 1 : 0),
                ToLParam(handle));
  }
  system.Active = handle;
  if (handle) {
    if (TWindow* window = system.Find(handle)) RaiseTopLevel(window);
    SendMessage(handle, WM_NCACTIVATE, 1, ToLParam(previous));
    if (system.Active != handle) return previous;
    SendMessage(handle, WM_ACTIVATE,
                MAKEWPARAM(byClick ? WA_CLICKACTIVE : WA_ACTIVE, IsIconic(handle) ? 1 : 0),
                ToLParam(previous));
  }
  // A window that handles WM_ACTIVATE itself still gets the focus.
  if (moveFocus && system.Active == handle) {
    TWindow* active = system.Find(handle);
    if (!active || !InSubtree(active, system.Focus)) MoveFocus(handle);
  }
  return previous;
}

}  // namespace

HWND SetFocus(HWND handle) {
  TWindowSystem& system = WindowSystem();
  if (!handle) return MoveFocus(nullptr);
  TWindow* window = system.Find(handle);
  if (!window || window->IsDesktop()) return nullptr;
  if (handle == system.Focus) return handle;
  // A disabled or minimized window, or one inside such a window, cannot take the focus.
  for (TWindow* w = window; w && !w->IsDesktop(); w = w->Parent)
    if (w->Style & (WS_DISABLED | WS_MINIMIZE)) return nullptr;
  HWND top = TopLevelOf(window)->Handle;
  if (top != system.Active) {
    Activate(top, false, false);
    if (!system.Find(handle) || system.Active != top) return nullptr;
  }
  return MoveFocus(handle);
}

HWND GetFocus() { return WindowSystem().Focus; }

HWND SetActiveWindow(HWND handle) {
  TWindowSystem& system = WindowSystem();
  if (handle) {
    TWindow* window = system.Find(handle);
    if (!window || window->IsDesktop()) return nullptr;
    handle = TopLevelOf(window)->Handle;
  }
  return Activate(handle, false, true);
}

HWND ActivateByClick(HWND handle) { return Activate(handle, true, true); }

HWND GetActiveWindow() { return WindowSystem().Active; }

bool SetForegroundWindow(HWND handle) {
  if (!IsWindow(handle)) return false;
  SetActiveWindow(handle);
  return true;
}

HWND GetForegroundWindow() { return WindowSystem().Active; }

void ActivateOtherWindow(TWindow* leaving) {
  TWindowSystem& system = WindowSystem();
  TWindow* next = nullptr;
  if ((leaving->Style & WS_POPUP) && leaving->Owner && CanActivate(leaving->Owner))
    next = leaving->Owner;
  if (!next) {
    const auto& tops = system.Desktop()->Children;
    auto it = std::find(tops.begin(), tops.end(), leaving);
    if (it != tops.end())
      for (auto below = it + 1; below != tops.end() && !next; ++below)
        if (CanActivate(*below)) next = *below;
    for (auto any = tops.begin(); any != tops.end() && !next; ++any)
      if (*any != leaving && CanActivate(*any)) next = *any;
  }
  Activate(next ? next->Handle : nullptr, false, true);
}

void ReleaseWindowState(TWindow* window, bool destroying) {
  TWindowSystem& system = WindowSystem();
  HWND handle = window->Handle;
  if (system.Active == handle) ActivateOtherWindow(window);
  if (system.Focus && InSubtree(window, system.Focus)) {
    HWND parent = window->IsTopLevel() || !window->Parent ? nullptr : window->Parent->Handle;
    if (!parent || !SetFocus(parent)) MoveFocus(nullptr);
  }
  if (system.Capture && InSubtree(window, system.Capture)) ReleaseCapture();
  if (destroying && system.Caret.Owner && InSubtree(window, system.Caret.Owner)) DestroyCaret();
}

// --- Capture ----------------------------------------------------------------------------------

HWND SetCapture(HWND handle) {
  TWindowSystem& system = WindowSystem();
  if (handle && !system.Find(handle)) return nullptr;
  HWND previous = system.Capture;
  system.Capture = handle;
  if (previous && previous != handle && system.Find(previous))
    SendMessage(previous, WM_CAPTURECHANGED, 0, ToLParam(handle));
  return previous;
}

bool ReleaseCapture() {
  TWindowSystem& system = WindowSystem();
  HWND previous = system.Capture;
  system.Capture = nullptr;
  if (previous && system.Find(previous)) SendMessage(previous, WM_CAPTURECHANGED, 0, 0);
  return true;
}

HWND GetCapture() { return WindowSystem().Capture; }

bool TrackMouseEvent(TRACKMOUSEEVENT* track) {
  if (!track) return false;
  TWindowSystem& system = WindowSystem();
  if (track->dwFlags & TME_CANCEL) {
    if (system.MouseTracked == track->hwndTrack) system.MouseTracked = nullptr;
    return true;
  }
  if (!(track->dwFlags & TME_LEAVE) || !system.Find(track->hwndTrack)) return false;
  // Asking while the pointer is already outside reports the leave at once.
  if (WindowFromPoint(system.CursorPos) != track->hwndTrack) {
    PostMessage(track->hwndTrack, WM_MOUSELEAVE, 0, 0);
    return true;
  }
  system.MouseTracked = track->hwndTrack;
  return true;
}
