// The default handling of window messages.
#include <algorithm>

#include "platform/win/NonClient.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

bool IsChildWindow(TWindow* window) {
  return window->IsChild() && window->Parent && !window->Parent->IsDesktop();
}

// A class brush may be a system colour index plus one, as the system allows.
HBRUSH ResolveBrush(HBRUSH brush) {
  auto value = reinterpret_cast<uintptr_t>(brush);
  if (value > 0 && value <= 31) return GetSysColorBrush(static_cast<int>(value) - 1);
  return brush;
}

void SetText(TWindow* window, const char16_t* text) {
  window->Text = text ? String(text) : String();
  if (window->Native) window->Native->SetTitle(window->Text);
  if ((window->Style & WS_CAPTION) == WS_CAPTION)
    RedrawWindow(window->Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
}

LRESULT CopyText(TWindow* window, WPARAM size, LPARAM buffer) {
  auto* out = reinterpret_cast<char16_t*>(buffer);
  if (!out || size == 0) return 0;
  size_t count = std::min<size_t>(window->Text.size(), size - 1);
  std::copy_n(window->Text.data(), count, out);
  out[count] = u'\0';
  return static_cast<LRESULT>(count);
}

LRESULT SetCursorFor(TWindow* window, WPARAM wParam, LPARAM lParam) {
  if (IsChildWindow(window) &&
      SendMessage(window->Parent->Handle, WM_SETCURSOR, wParam, lParam))
    return 1;
  auto hit = static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(lParam)));
  int id = IDC_ARROW;
  switch (hit) {
    case HTCLIENT:
      if (window->Class->Cursor) {
        SetCursor(window->Class->Cursor);
        return 1;
      }
      return 0;
    case HTLEFT:
    case HTRIGHT: id = IDC_SIZEWE; break;
    case HTTOP:
    case HTBOTTOM: id = IDC_SIZENS; break;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
    case HTGROWBOX: id = IDC_SIZENWSE; break;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: id = IDC_SIZENESW; break;
    default: break;
  }
  SetCursor(LoadCursor(nullptr, id));
  return 1;
}

void UpdateUiState(TWindow* window, UINT action, LRESULT flags) {
  if (action == UIS_SET)
    window->UiState |= flags;
  else if (action == UIS_CLEAR)
    window->UiState &= ~flags;
  else if (action == UIS_INITIALIZE)
    window->UiState = 0;
  for (TWindow* child : window->Children) UpdateUiState(child, action, flags);
}

LRESULT WindowPosChanged(TWindow* window, const WINDOWPOS* pos) {
  if (!pos) return 0;
  HWND handle = window->Handle;
  if (!(pos->flags & SWP_NOMOVE))
    SendMessage(handle, WM_MOVE, 0,
                MAKELPARAM(static_cast<uint16_t>(window->Rect.Left + window->Client.Left),
                           static_cast<uint16_t>(window->Rect.Top + window->Client.Top)));
  if (!(pos->flags & SWP_NOSIZE) && !window->Destroyed) {
    WPARAM kind = (window->Style & WS_MINIMIZE)   ? SIZE_MINIMIZED
                  : (window->Style & WS_MAXIMIZE) ? SIZE_MAXIMIZED
                                                  : SIZE_RESTORED;
    SendMessage(handle, WM_SIZE, kind,
                MAKELPARAM(window->Client.Width(), window->Client.Height()));
  }
  return 0;
}

LRESULT CtlColor(UINT message, WPARAM wParam) {
  auto dc = reinterpret_cast<HDC>(wParam);
  bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  int background = message == WM_CTLCOLORSCROLLBAR ? COLOR_SCROLLBAR
                   : field                         ? COLOR_WINDOW
                                                   : COLOR_BTNFACE;
  if (dc) {
    SetTextColor(dc, GetSysColor(field ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(background));
  }
  return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
}

}  // namespace

LRESULT DefWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  TWindowSystem& system = WindowSystem();
  std::shared_ptr<TWindow> held = system.Hold(handle);
  TWindow* window = held.get();
  if (!window) return 0;
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<const CREATESTRUCT*>(lParam);
      if (create) window->Text = create->lpszName;
      return 1;
    }
    case WM_NCCALCSIZE: {
      auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
      if (!params) return 0;
      TRect& r = params->rgrc[0];
      TNonClientLayout layout =
          NonClientLayout(window->Style, window->ExStyle, r.Width(), r.Height());
      OffsetRect(layout.Client, r.Left, r.Top);
      r = layout.Client;
      return 0;
    }
    case WM_NCHITTEST: return NonClientHitTest(window, LParamToPoint(lParam));
    case WM_NCPAINT: PaintNonClient(handle); return 0;
    case WM_NCACTIVATE:
      window->NcActive = wParam != 0;
      RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
      return 1;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) SetFocus(handle);
      return 0;
    case WM_MOUSEACTIVATE:
      if (IsChildWindow(window)) {
        LRESULT answer = SendMessage(window->Parent->Handle, WM_MOUSEACTIVATE, wParam, lParam);
        if (answer) return answer;
      }
      return MA_ACTIVATE;
    case WM_SETCURSOR: return SetCursorFor(window, wParam, lParam);
    case WM_ERASEBKGND: {
      HBRUSH brush = ResolveBrush(window->Class->Background);
      auto dc = reinterpret_cast<HDC>(wParam);
      if (!brush || !dc) return 0;
      FillRect(dc, {0, 0, window->Client.Width(), window->Client.Height()}, brush);
      return 1;
    }
    case WM_PAINT: {
      if (wParam) return 0;  // painting on a given context: nothing to validate
      PAINTSTRUCT paint;
      BeginPaint(handle, &paint);
      EndPaint(handle, &paint);
      return 0;
    }
    case WM_CLOSE: DestroyWindow(handle); return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE: SendMessage(handle, WM_CLOSE, 0, 0); break;
        case SC_MINIMIZE: ShowWindow(handle, SW_MINIMIZE); break;
        case SC_MAXIMIZE: ShowWindow(handle, SW_MAXIMIZE); break;
        case SC_RESTORE: ShowWindow(handle, SW_RESTORE); break;
        default: break;
      }
      return 0;
    case WM_NCLBUTTONDOWN:
      if (wParam == static_cast<WPARAM>(HTVSCROLL) || wParam == static_cast<WPARAM>(HTHSCROLL)) {
        TrackScrollBar(handle, wParam == static_cast<WPARAM>(HTVSCROLL) ? SB_VERT : SB_HORZ,
                       LParamToPoint(lParam));
        return 0;
      }
      if (wParam == static_cast<WPARAM>(HTCAPTION) && IsChildWindow(window)) {
        TrackChildMove(handle, LParamToPoint(lParam));
        return 0;
      }
      window->PressedHit = static_cast<LRESULT>(wParam);
      if (wParam == static_cast<WPARAM>(HTCLOSE))
        RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
      return 0;
    case WM_NCLBUTTONUP: {
      bool closeClicked = window->PressedHit == HTCLOSE && wParam == static_cast<WPARAM>(HTCLOSE);
      window->PressedHit = HTNOWHERE;
      if (closeClicked) SendMessage(handle, WM_SYSCOMMAND, SC_CLOSE, lParam);
      return 0;
    }
    case WM_LBUTTONUP: window->PressedHit = HTNOWHERE; return 0;
    case WM_RBUTTONUP: {
      TPoint screen = LParamToPoint(lParam);
      ClientToScreen(handle, &screen);
      SendMessage(handle, WM_CONTEXTMENU, ToWParam(handle), PointToLParam(screen));
      return 0;
    }
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & KF_ALTDOWN_BIT))
        SendMessage(TopLevelOf(window)->Handle, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_GETTEXT: return CopyText(window, wParam, lParam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(window->Text.size());
    case WM_SETTEXT: SetText(window, reinterpret_cast<const char16_t*>(lParam)); return 1;
    case WM_WINDOWPOSCHANGED:
      return WindowPosChanged(window, reinterpret_cast<const WINDOWPOS*>(lParam));
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      if (IsChildWindow(window))
        return SendMessage(window->Parent->Handle, message, wParam, lParam);
      return 0;
    case WM_QUERYUISTATE: return window->UiState;
    case WM_CHANGEUISTATE:
      UpdateUiState(TopLevelOf(window), LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_UPDATEUISTATE: UpdateUiState(window, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CANCELMODE:
      if (system.Capture == handle) ReleaseCapture();
      return 0;
    case WM_SETREDRAW: window->Redraw = wParam != 0; return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: return CtlColor(message, wParam);
    default: return 0;
  }
}
