// The tooltip window: its tools, delays and notifications, and its painting.
#include "platform/ui/ToolTips.h"

#include <algorithm>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kPopTimer = 2;
const char16_t* const kStateProp = u"ToolTipState";
const char16_t* const kOldProcProp = u"ToolTipOldProc";
const char16_t* const kOwnerProp = u"ToolTipWindow";

struct TTool {
  UINT Flags = 0;
  HWND Window = nullptr;
  UINT_PTR Id = 0;
  TRect Rect;
  bool Callback = false;
  String Text;
  LPARAM Param = 0;
};

struct TToolTipState {
  HWND Window = nullptr;
  std::vector<TTool> Tools;
  TToolTipView View;
  bool Active = true;
  int Initial = 500;
  int Reshow = 100;
  int AutoPop = 5000;
  int Current = -1;       // the tool the pointer is over
  bool RecentlyShown = false;
  TPoint LastPos{-1, -1};
  HFONT Font = nullptr;
  HFONT TitleFont = nullptr;
};

TToolTipState* StateOf(HWND window) { return static_cast<TToolTipState*>(GetProp(window, kStateProp)); }

LRESULT ToolSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The area of a tool in its window's client coordinates.
TRect ToolArea(const TTool& tool) {
  if (tool.Flags & TTF_IDISHWND) {
    TRect r;
    GetClientRect(reinterpret_cast<HWND>(tool.Id), &r);
    return r;
  }
  return tool.Rect;
}

HWND ToolWindow(const TTool& tool) {
  return (tool.Flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(tool.Id) : tool.Window;
}

void Subclass(HWND toolTip, HWND window) {
  if (!IsWindow(window) || GetProp(window, kOldProcProp)) return;
  SetProp(window, kOldProcProp, reinterpret_cast<void*>(GetWindowLongPtr(window, GWLP_WNDPROC)));
  SetProp(window, kOwnerProp, toolTip);
  SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ToolSubclassProc));
}

void Unsubclass(HWND window) {
  if (!IsWindow(window)) return;
  void* old = GetProp(window, kOldProcProp);
  if (!old) return;
  if (GetWindowLongPtr(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ToolSubclassProc))
    SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
  RemoveProp(window, kOldProcProp);
  RemoveProp(window, kOwnerProp);
}

void Notify(TToolTipState* state, const TTool& tool, UINT code, NMTTDISPINFO* info) {
  NMTTDISPINFO local;
  NMTTDISPINFO* data = info ? info : &local;
  data->hdr.hwndFrom = state->Window;
  data->hdr.idFrom = tool.Id;
  data->hdr.code = code;
  data->lParam = tool.Param;
  SendMessage(tool.Window, WM_NOTIFY, tool.Id, reinterpret_cast<LPARAM>(data));
}

void Hide(TToolTipState* state) {
  KillTimer(state->Window, kPopTimer);
  if (!state->View.Shown) return;
  state->View.Shown = false;
  ShowWindow(state->Window, SW_HIDE);
  state->RecentlyShown = true;
  if (state->Current >= 0 && state->Current < static_cast<int>(state->Tools.size()))
    Notify(state, state->Tools[static_cast<size_t>(state->Current)], TTN_POP, nullptr);
}

TSize MeasureTip(TToolTipState* state) {
  HDC dc = CreateImageDC(1, 1);
  int maxWidth = state->View.MaxWidth > 0 ? state->View.MaxWidth : 10000;
  TRect text{0, 0, maxWidth, 0};
  SelectObject(dc, state->Font);
  DrawText(dc, state->View.Text, text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  int width = text.Width(), height = text.Height();
  if (!state->View.Title.empty()) {
    TSize title;
    SelectObject(dc, state->TitleFont);
    GetTextExtentPoint32(dc, state->View.Title, &title);
    width = std::max(width, title.cx + (state->View.Icon != TTI_NONE ? 20 : 0));
    height += title.cy + 4;
  }
  DeleteDC(dc);
  return {width + 12, height + 8};
}

void Show(TToolTipState* state) {
  KillTimer(state->Window, kShowTimer);
  if (state->Current < 0 || !state->Active) return;
  TTool& tool = state->Tools[static_cast<size_t>(state->Current)];
  String text = tool.Text;
  if (tool.Callback) {
    NMTTDISPINFO info;
    Notify(state, tool, TTN_GETDISPINFO, &info);
    if (info.lpszText && info.lpszText != LPSTR_TEXTCALLBACK)
      text = info.lpszText;
    else
      text = info.szText;
  }
  // Nothing to show is no tip (a tool without text stays silent).
  if (text.empty()) return;
  state->View.Text = text;
  TSize size = MeasureTip(state);
  TPoint cursor;
  GetCursorPos(&cursor);
  int x = cursor.X, y = cursor.Y + 20;
  MONITORINFO monitor;
  if (GetMonitorInfo(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor)) {
    x = std::clamp(x, monitor.rcWork.Left, std::max(monitor.rcWork.Left, monitor.rcWork.Right - static_cast<int>(size.cx)));
    if (y + size.cy > monitor.rcWork.Bottom) y = cursor.Y - 4 - size.cy;
  }
  SetWindowText(state->Window, text);
  SetWindowPos(state->Window, HWND_TOPMOST, x, y, size.cx, size.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(state->Window, nullptr, true);
  state->View.Shown = true;
  Notify(state, tool, TTN_SHOW, nullptr);
  if (state->AutoPop > 0) SetTimer(state->Window, kPopTimer, static_cast<UINT>(state->AutoPop), nullptr);
}

// A mouse message of a tool window: start, restart or end the wait for the tip.
void Relay(TToolTipState* state, const MSG& msg) {
  if (msg.message != WM_MOUSEMOVE && msg.message != WM_MOUSELEAVE && msg.message != WM_LBUTTONDOWN &&
      msg.message != WM_RBUTTONDOWN && msg.message != WM_MOUSEWHEEL)
    return;
  if (msg.message != WM_MOUSEMOVE) {
    // A press or the pointer leaving ends the tip at once.
    Hide(state);
    KillTimer(state->Window, kShowTimer);
    state->Current = -1;
    if (msg.message == WM_MOUSELEAVE) state->RecentlyShown = false;
    return;
  }
  TPoint pos{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
  int found = -1;
  for (size_t i = 0; i < state->Tools.size(); ++i)
    if (ToolWindow(state->Tools[i]) == msg.hwnd && PtInRect(ToolArea(state->Tools[i]), pos)) {
      found = static_cast<int>(i);
      break;
    }
  if (found != state->Current) {
    Hide(state);
    KillTimer(state->Window, kShowTimer);
    state->Current = found;
  } else if (state->View.Shown || pos == state->LastPos) {
    return;  // the tip stays where it is while the pointer moves within its tool
  }
  state->LastPos = pos;
  if (found < 0 || !state->Active) return;
  int delay = state->RecentlyShown ? state->Reshow : state->Initial;
  SetTimer(state->Window, kShowTimer, static_cast<UINT>(std::max(delay, 1)), nullptr);
}

void PaintTip(HWND window, TToolTipState* state) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  TRect client;
  GetClientRect(window, &client);
  HBRUSH back = CreateSolidBrush(state->View.BkColor);
  HPEN frame = CreatePen(PS_SOLID, 1, state->View.TextColor);
  HGDIOBJ oldBrush = SelectObject(dc, back);
  HGDIOBJ oldPen = SelectObject(dc, frame);
  if (state->View.Balloon)
    RoundRect(dc, client.Left, client.Top, client.Right, client.Bottom, 10, 10);
  else
    Rectangle(dc, client.Left, client.Top, client.Right, client.Bottom);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, state->View.TextColor);
  TRect text = client;
  InflateRect(text, -6, -4);
  if (!state->View.Title.empty()) {
    SelectObject(dc, state->TitleFont);
    TRect title = text;
    if (state->View.Icon != TTI_NONE) {
      // The icon: a small mark in the colour of its kind.
      static const COLORREF kIconColors[] = {0, RGB(0, 90, 200), RGB(230, 170, 0), RGB(200, 0, 0)};
      HBRUSH icon = CreateSolidBrush(kIconColors[std::clamp(state->View.Icon, 0, 3)]);
      TRect mark{title.Left, title.Top + 1, title.Left + 14, title.Top + 15};
      FillRect(dc, mark, icon);
      DeleteObject(icon);
      title.Left += 20;
    }
    int height = DrawText(dc, state->View.Title, title, DT_SINGLELINE | DT_NOPREFIX);
    text.Top += height + 4;
  }
  SelectObject(dc, state->Font);
  DrawText(dc, state->View.Text, text, DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(back);
  DeleteObject(frame);
  EndPaint(window, &paint);
}

int ToolIndex(TToolTipState* state, const TOOLINFO* info) {
  if (!info) return -1;
  for (size_t i = 0; i < state->Tools.size(); ++i)
    if (state->Tools[i].Window == info->hwnd && state->Tools[i].Id == info->uId) return static_cast<int>(i);
  return -1;
}

void RemoveTool(TToolTipState* state, int index) {
  if (index < 0) return;
  if (index == state->Current) {
    Hide(state);
    KillTimer(state->Window, kShowTimer);
    state->Current = -1;
  } else if (index < state->Current) {
    --state->Current;
  }
  HWND window = ToolWindow(state->Tools[static_cast<size_t>(index)]);
  state->Tools.erase(state->Tools.begin() + index);
  bool stillUsed = std::any_of(state->Tools.begin(), state->Tools.end(),
                               [&](const TTool& t) { return ToolWindow(t) == window && (t.Flags & TTF_SUBCLASS); });
  if (!stillUsed) Unsubclass(window);
}

LRESULT ToolTipProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TToolTipState* state = StateOf(window);
  switch (message) {
    case WM_NCCREATE: {
      state = new TToolTipState;
      state->Window = window;
      auto* create = reinterpret_cast<CREATESTRUCT*>(lParam);
      state->View.Balloon = create && (create->style & TTS_BALLOON);
      state->View.BkColor = GetSysColor(COLOR_INFOBK);
      state->View.TextColor = GetSysColor(COLOR_INFOTEXT);
      state->Font = CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
      state->TitleFont = CreateFont(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
      SetProp(window, kStateProp, state);
      return DefWindowProc(window, message, wParam, lParam);
    }
    case WM_NCDESTROY: {
      if (state) {
        for (const TTool& tool : state->Tools)
          if (tool.Flags & TTF_SUBCLASS) Unsubclass(ToolWindow(tool));
        DeleteObject(state->Font);
        DeleteObject(state->TitleFont);
        RemoveProp(window, kStateProp);
        delete state;
      }
      return DefWindowProc(window, message, wParam, lParam);
    }
    default: break;
  }
  if (!state) return DefWindowProc(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: PaintTip(window, state); return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_TIMER:
      if (wParam == kShowTimer) Show(state);
      if (wParam == kPopTimer) Hide(state);
      return 0;
    case TTM_ADDTOOL: {
      auto* info = reinterpret_cast<const TOOLINFO*>(lParam);
      if (!info || ToolIndex(state, info) >= 0) return 0;
      TTool tool;
      tool.Flags = info->uFlags;
      tool.Window = info->hwnd;
      tool.Id = info->uId;
      tool.Rect = info->rect;
      tool.Param = info->lParam;
      tool.Callback = info->lpszText == LPSTR_TEXTCALLBACK;
      if (info->lpszText && !tool.Callback) tool.Text = info->lpszText;
      if ((tool.Flags & TTF_IDISHWND) && !IsWindow(reinterpret_cast<HWND>(tool.Id))) return 0;
      state->Tools.push_back(tool);
      if (tool.Flags & TTF_SUBCLASS) Subclass(window, ToolWindow(tool));
      return 1;
    }
    case TTM_DELTOOL: RemoveTool(state, ToolIndex(state, reinterpret_cast<const TOOLINFO*>(lParam))); return 0;
    case TTM_NEWTOOLRECT: {
      auto* info = reinterpret_cast<const TOOLINFO*>(lParam);
      int index = ToolIndex(state, info);
      if (index >= 0) state->Tools[static_cast<size_t>(index)].Rect = info->rect;
      return 0;
    }
    case TTM_UPDATETIPTEXT: {
      auto* info = reinterpret_cast<const TOOLINFO*>(lParam);
      int index = ToolIndex(state, info);
      if (index < 0) return 0;
      TTool& tool = state->Tools[static_cast<size_t>(index)];
      tool.Callback = info->lpszText == LPSTR_TEXTCALLBACK;
      tool.Text = info->lpszText && !tool.Callback ? String(info->lpszText) : String();
      return 0;
    }
    case TTM_GETTOOLCOUNT: return static_cast<LRESULT>(state->Tools.size());
    case TTM_SETTITLE: {
      auto* title = reinterpret_cast<const char16_t*>(lParam);
      state->View.Title = title ? String(title) : String();
      state->View.Icon = wParam <= 3 ? static_cast<int>(wParam) : TTI_NONE;
      return 1;
    }
    case TTM_SETDELAYTIME: {
      int value = LoSmallInt(static_cast<uintptr_t>(lParam));
      switch (wParam) {
        case TTDT_INITIAL: state->Initial = value < 0 ? 500 : value; break;
        case TTDT_RESHOW: state->Reshow = value < 0 ? 100 : value; break;
        case TTDT_AUTOPOP: state->AutoPop = value < 0 ? 5000 : value; break;
        default:
          // Automatic: the others follow the initial delay.
          state->Initial = value < 0 ? 500 : value;
          state->Reshow = state->Initial / 5;
          state->AutoPop = state->Initial * 10;
          break;
      }
      return 0;
    }
    case TTM_GETDELAYTIME:
      return wParam == TTDT_RESHOW ? state->Reshow : wParam == TTDT_AUTOPOP ? state->AutoPop : state->Initial;
    case TTM_SETMAXTIPWIDTH: {
      int old = state->View.MaxWidth;
      state->View.MaxWidth = static_cast<int>(lParam);
      return old;
    }
    case TTM_GETMAXTIPWIDTH: return state->View.MaxWidth;
    case TTM_SETTIPBKCOLOR: state->View.BkColor = static_cast<COLORREF>(wParam); return 0;
    case TTM_SETTIPTEXTCOLOR: state->View.TextColor = static_cast<COLORREF>(wParam); return 0;
    case TTM_ACTIVATE:
      state->Active = wParam != 0;
      if (!state->Active) {
        Hide(state);
        KillTimer(window, kShowTimer);
      }
      return 0;
    case TTM_TRACKACTIVATE:
      // Only the hiding half is used: a tracked tip is taken down.
      if (!wParam) Hide(state);
      return 0;
    case TTM_POP:
      Hide(state);
      KillTimer(window, kShowTimer);
      return 0;
    case TTM_UPDATE:
      if (state->View.Shown) Show(state);
      return 0;
    case TTM_RELAYEVENT:
      if (auto* msg = reinterpret_cast<const MSG*>(lParam)) Relay(state, *msg);
      return 0;
    default: return DefWindowProc(window, message, wParam, lParam);
  }
}

LRESULT ToolSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto old = reinterpret_cast<WNDPROC>(GetProp(window, kOldProcProp));
  auto toolTip = static_cast<HWND>(GetProp(window, kOwnerProp));
  if (toolTip && IsWindow(toolTip)) {
    if ((message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_MOUSELEAVE) {
      MSG msg;
      msg.hwnd = window;
      msg.message = message;
      msg.wParam = wParam;
      msg.lParam = lParam;
      SendMessage(toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
      if (message == WM_MOUSEMOVE) {
        // Told when the pointer leaves, so the tip goes with it.
        TRACKMOUSEEVENT track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = window;
        TrackMouseEvent(&track);
      }
    } else if (message == WM_NCDESTROY) {
      // The tool window goes first: its tools go with it.
      if (TToolTipState* state = StateOf(toolTip))
        for (int i = static_cast<int>(state->Tools.size()) - 1; i >= 0; --i)
          if (ToolWindow(state->Tools[static_cast<size_t>(i)]) == window ||
              state->Tools[static_cast<size_t>(i)].Window == window)
            RemoveTool(state, i);
      RemoveProp(window, kOldProcProp);
      RemoveProp(window, kOwnerProp);
      SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    }
  }
  return old ? CallWindowProc(old, window, message, wParam, lParam) : DefWindowProc(window, message, wParam, lParam);
}

}  // namespace

bool InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  if (init && init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return false;
  WNDCLASS existing;
  if (GetClassInfo(HInstance, TOOLTIPS_CLASS, &existing)) return true;
  WNDCLASS windowClass;
  windowClass.style = CS_SAVEBITS;
  windowClass.lpfnWndProc = ToolTipProc;
  windowClass.hInstance = HInstance;
  windowClass.lpszClassName = TOOLTIPS_CLASS;
  return RegisterClass(windowClass) != 0;
}

void InitCommonControls() {
  INITCOMMONCONTROLSEX init;
  init.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&init);
}

const TToolTipView* ToolTipView(HWND toolTip) {
  TToolTipState* state = IsWindow(toolTip) ? StateOf(toolTip) : nullptr;
  return state ? &state->View : nullptr;
}
