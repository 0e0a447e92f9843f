// The scroll bars of a window (WS_HSCROLL, WS_VSCROLL): range, page, position and visibility. As
// the system does, setting the range shows a bar that has something to scroll and hides one that
// has not (or disables it, with SIF_DISABLENOSCROLL).
#include <algorithm>

#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

TScrollBarState* StateOf(HWND handle, int bar) {
  if (bar != SB_HORZ && bar != SB_VERT) return nullptr;
  TWindow* window = WindowSystem().Find(handle);
  return window ? &window->Scroll[bar] : nullptr;
}

DWORD StyleBit(int bar) { return bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL; }

int MaxPos(const TScrollBarState& s) {
  int page = static_cast<int>(std::min<UINT>(s.Page, 0x7FFFFFFF));
  return std::max(s.Min, s.Max - std::max(page - 1, 0));
}

bool Needed(const TScrollBarState& s) {
  return s.Max > s.Min && (s.Page == 0 || s.Page <= static_cast<UINT>(s.Max - s.Min));
}

void FrameChanged(HWND handle) {
  RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
}

}  // namespace

int SetScrollInfo(HWND handle, int bar, const SCROLLINFO* info, bool redraw) {
  TScrollBarState* s = StateOf(handle, bar);
  if (!s || !info) return 0;
  if (info->fMask & SIF_RANGE) {
    s->Min = info->nMin;
    s->Max = std::max(info->nMin, info->nMax);
  }
  if (info->fMask & SIF_PAGE)
    s->Page = std::min<UINT>(info->nPage, static_cast<UINT>(s->Max - s->Min + 1));
  if (info->fMask & SIF_POS) s->Pos = info->nPos;
  s->Pos = std::clamp(s->Pos, s->Min, MaxPos(*s));
  if (info->fMask & (SIF_RANGE | SIF_PAGE)) {
    bool needed = Needed(*s);
    bool shown = (GetWindowLongPtr(handle, GWL_STYLE) & StyleBit(bar)) != 0;
    if (info->fMask & SIF_DISABLENOSCROLL) {
      s->Enabled = needed;
      if (!shown) ShowScrollBar(handle, bar, true);
    } else if (needed != shown) {
      ShowScrollBar(handle, bar, needed);
    }
  }
  if (redraw) FrameChanged(handle);
  return s->Pos;
}

bool GetScrollInfo(HWND handle, int bar, SCROLLINFO* info) {
  TScrollBarState* s = StateOf(handle, bar);
  if (!s || !info) return false;
  if (info->fMask & SIF_RANGE) info->nMin = s->Min, info->nMax = s->Max;
  if (info->fMask & SIF_PAGE) info->nPage = s->Page;
  if (info->fMask & SIF_POS) info->nPos = s->Pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = s->TrackPos;
  return true;
}

int SetScrollPos(HWND handle, int bar, int pos, bool redraw) {
  TScrollBarState* s = StateOf(handle, bar);
  if (!s) return 0;
  int previous = s->Pos;
  SCROLLINFO info;
  info.fMask = SIF_POS;
  info.nPos = pos;
  SetScrollInfo(handle, bar, &info, redraw);
  return previous;
}

int GetScrollPos(HWND handle, int bar) {
  TScrollBarState* s = StateOf(handle, bar);
  return s ? s->Pos : 0;
}

bool SetScrollRange(HWND handle, int bar, int min, int max, bool redraw) {
  if (!StateOf(handle, bar)) return false;
  SCROLLINFO info;
  info.fMask = SIF_RANGE;
  info.nMin = min;
  info.nMax = max;
  SetScrollInfo(handle, bar, &info, redraw);
  return true;
}

bool GetScrollRange(HWND handle, int bar, int* min, int* max) {
  TScrollBarState* s = StateOf(handle, bar);
  if (!s) return false;
  if (min) *min = s->Min;
  if (max) *max = s->Max;
  return true;
}

bool ShowScrollBar(HWND handle, int bar, bool show) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window || bar == SB_CTL) return false;
  DWORD bits = bar == SB_BOTH ? (WS_HSCROLL | WS_VSCROLL) : StyleBit(bar);
  DWORD style = show ? (window->Style | bits) : (window->Style & ~bits);
  if (style == window->Style) return true;
  window->Style = style;
  SetWindowPos(handle, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return true;
}

bool EnableScrollBar(HWND handle, UINT bar, UINT arrows) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window) return false;
  bool enable = arrows != ESB_DISABLE_BOTH;
  if (bar == SB_HORZ || bar == SB_BOTH) window->Scroll[SB_HORZ].Enabled = enable;
  if (bar == SB_VERT || bar == SB_BOTH) window->Scroll[SB_VERT].Enabled = enable;
  FrameChanged(handle);
  return true;
}
