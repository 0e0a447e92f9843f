#include "platform/win/NonClient.h"

#include <algorithm>

#include "platform/win/WindowSystem.h"

TNonClientLayout NonClientLayout(DWORD style, DWORD exStyle, int width, int height) {
  TNonClientLayout layout;
  TRect insets = FrameInsets(style, exStyle);
  bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
  int captionHeight = (style & WS_CAPTION) == WS_CAPTION
                          ? GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION)
                          : 0;
  if (captionHeight) {
    int border = insets.Left;
    layout.Caption = {border, border, width - border, border + captionHeight};
    if (style & WS_SYSMENU) {
      int boxWidth = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE) - 2;
      layout.CloseBox = {layout.Caption.Right - 2 - boxWidth, layout.Caption.Top + 2,
                         layout.Caption.Right - 2, layout.Caption.Bottom - 2};
    }
  }
  TRect client{insets.Left, insets.Top, width - insets.Right, height - insets.Bottom};
  int bar = GetSystemMetrics(SM_CXVSCROLL);
  bool vertical = (style & WS_VSCROLL) != 0;
  bool horizontal = (style & WS_HSCROLL) != 0;
  if (vertical) client.Right -= bar;
  if (horizontal) client.Bottom -= bar;
  client.Right = std::max(client.Right, client.Left);
  client.Bottom = std::max(client.Bottom, client.Top);
  if (vertical) layout.VScroll = {client.Right, client.Top, client.Right + bar, client.Bottom};
  if (horizontal) layout.HScroll = {client.Left, client.Bottom, client.Right, client.Bottom + bar};
  if (vertical && horizontal)
    layout.SizeGrip = {client.Right, client.Bottom, client.Right + bar, client.Bottom + bar};
  layout.Client = client;
  return layout;
}

TRect GetCloseBoxRect(HWND handle) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window) return {};
  TNonClientLayout layout =
      NonClientLayout(window->Style, window->ExStyle, window->Width(), window->Height());
  if (IsRectEmpty(layout.CloseBox)) return {};
  TRect screen = ScreenRectOf(window);
  OffsetRect(layout.CloseBox, screen.Left, screen.Top);
  return layout.CloseBox;
}

LRESULT NonClientHitTest(TWindow* window, TPoint screen) {
  TRect outer = ScreenRectOf(window);
  if (!PtInRect(outer, screen)) return HTNOWHERE;
  TPoint p{screen.X - outer.Left, screen.Y - outer.Top};
  if (PtInRect(window->Client, p)) return HTCLIENT;
  TNonClientLayout layout =
      NonClientLayout(window->Style, window->ExStyle, window->Width(), window->Height());
  if (PtInRect(layout.VScroll, p)) return HTVSCROLL;
  if (PtInRect(layout.HScroll, p)) return HTHSCROLL;
  if (PtInRect(layout.SizeGrip, p)) return HTGROWBOX;
  if (PtInRect(layout.CloseBox, p)) return HTCLOSE;
  if (PtInRect(layout.Caption, p)) return HTCAPTION;
  if (!(window->Style & WS_THICKFRAME)) return HTBORDER;
  int corner = GetSystemMetrics(SM_CYCAPTION);
  bool left = p.X < window->Client.Left, right = p.X >= window->Width() - window->Client.Left;
  bool top = p.Y < window->Client.Left, bottom = p.Y >= window->Height() - window->Client.Left;
  bool nearLeft = p.X < corner, nearRight = p.X >= window->Width() - corner;
  bool nearTop = p.Y < corner, nearBottom = p.Y >= window->Height() - corner;
  if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
  if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
  if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
  if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
  if (left) return HTLEFT;
  if (right) return HTRIGHT;
  if (top) return HTTOP;
  if (bottom) return HTBOTTOM;
  return HTBORDER;
}

TScrollBarParts ScrollBarParts(const TRect& area, const TScrollBarState& state, bool vertical,
                               int pos) {
  TScrollBarParts parts;
  if (IsRectEmpty(area)) return parts;
  int size = GetSystemMetrics(SM_CXVSCROLL);
  // A bar shorter than two arrows shares its length between them.
  int arrow = std::min(size, (vertical ? area.Height() : area.Width()) / 2);
  parts.First = vertical ? TRect{area.Left, area.Top, area.Right, area.Top + arrow}
                         : TRect{area.Left, area.Top, area.Left + arrow, area.Bottom};
  parts.Last = vertical ? TRect{area.Left, area.Bottom - arrow, area.Right, area.Bottom}
                        : TRect{area.Right - arrow, area.Top, area.Right, area.Bottom};
  parts.Track = vertical ? TRect{area.Left, parts.First.Bottom, area.Right, parts.Last.Top}
                         : TRect{parts.First.Right, area.Top, parts.Last.Left, area.Bottom};
  int length = vertical ? parts.Track.Height() : parts.Track.Width();
  long long range = static_cast<long long>(state.Max) - state.Min + 1;
  if (!ScrollBarUsable(state) || length < size) return parts;
  long long page = state.Page ? state.Page : 1;
  int thumb = std::max(size / 2, static_cast<int>(length * page / range));
  thumb = std::min(thumb, length);
  long long movable = range - page;
  long long along = std::clamp<long long>(static_cast<long long>(pos) - state.Min, 0, movable);
  int offset = static_cast<int>((length - thumb) * along / movable);
  parts.Thumb = vertical ? TRect{parts.Track.Left, parts.Track.Top + offset, parts.Track.Right,
                                 parts.Track.Top + offset + thumb}
                         : TRect{parts.Track.Left + offset, parts.Track.Top,
                                 parts.Track.Left + offset + thumb, parts.Track.Bottom};
  return parts;
}

int ScrollBarPartAt(const TScrollBarParts& parts, TPoint p, bool vertical) {
  if (PtInRect(parts.First, p)) return SB_LINEUP;
  if (PtInRect(parts.Last, p)) return SB_LINEDOWN;
  if (!PtInRect(parts.Track, p) || IsRectEmpty(parts.Thumb)) return -1;
  if (PtInRect(parts.Thumb, p)) return SB_THUMBTRACK;
  bool before = vertical ? p.Y < parts.Thumb.Top : p.X < parts.Thumb.Left;
  return before ? SB_PAGEUP : SB_PAGEDOWN;
}

bool ScrollBarUsable(const TScrollBarState& state) {
  return state.Enabled && state.Max > state.Min &&
         (state.Page == 0 || state.Page <= static_cast<UINT>(state.Max - state.Min));
}

namespace {

void PaintScrollBar(HDC dc, HWND handle, const TRect& area, const TScrollBarState& state,
                    int bar) {
  if (IsRectEmpty(area)) return;
  bool vertical = bar == SB_VERT;
  int pressed = PressedScrollBarPart(handle, bar);
  int pos = pressed == SB_THUMBTRACK ? state.TrackPos : state.Pos;
  TScrollBarParts parts = ScrollBarParts(area, state, vertical, pos);
  UINT disabled = state.Enabled ? 0 : DFCS_INACTIVE;
  FillRect(dc, parts.Track, GetSysColorBrush(COLOR_SCROLLBAR));
  if (!IsRectEmpty(parts.Thumb) && (pressed == SB_PAGEUP || pressed == SB_PAGEDOWN)) {
    // The pressed side of the track, between its arrow and the thumb, shows dark.
    TRect side = parts.Track;
    if (pressed == SB_PAGEUP)
      (vertical ? side.Bottom : side.Right) = vertical ? parts.Thumb.Top : parts.Thumb.Left;
    else
      (vertical ? side.Top : side.Left) = vertical ? parts.Thumb.Bottom : parts.Thumb.Right;
    FillRect(dc, side, GetSysColorBrush(COLOR_BTNSHADOW));
  }
  UINT firstPushed = pressed == SB_LINEUP ? DFCS_PUSHED : 0;
  UINT lastPushed = pressed == SB_LINEDOWN ? DFCS_PUSHED : 0;
  DrawFrameControl(dc, parts.First, DFC_SCROLL,
                   (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | disabled | firstPushed);
  DrawFrameControl(dc, parts.Last, DFC_SCROLL,
                   (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | disabled | lastPushed);
  if (!state.Enabled || IsRectEmpty(parts.Thumb)) return;
  TRect thumb = parts.Thumb;
  DrawEdge(dc, thumb, pressed == SB_THUMBTRACK ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

}  // namespace

void PaintNonClient(HWND handle) {
  TWindow* window = WindowSystem().Find(handle);
  if (!window) return;
  TRect whole{0, 0, window->Width(), window->Height()};
  if (EqualRect(window->Client, whole)) return;
  TNonClientLayout layout =
      NonClientLayout(window->Style, window->ExStyle, window->Width(), window->Height());
  HDC dc = GetWindowDC(handle);
  ExcludeClipRect(dc, window->Client.Left, window->Client.Top, window->Client.Right,
                  window->Client.Bottom);
  TRect insets = FrameInsets(window->Style, window->ExStyle);
  TRect frame = whole;
  if (insets.Left >= 2 && (window->Style & (WS_DLGFRAME | WS_THICKFRAME))) {
    FillRect(dc, whole, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, frame, EDGE_RAISED, BF_RECT);
  } else if (window->Style & WS_BORDER) {
    FrameRect(dc, whole, GetSysColorBrush(COLOR_WINDOWFRAME));
  }
  if (window->ExStyle & WS_EX_CLIENTEDGE) {
    TRect edge = window->Client;
    edge.Right = std::max(edge.Right, layout.VScroll.Right);
    edge.Bottom = std::max(edge.Bottom, layout.HScroll.Bottom);
    InflateRect(edge, 2, 2);
    DrawEdge(dc, edge, EDGE_SUNKEN, BF_RECT);
  }
  if (!IsRectEmpty(layout.Caption)) {
    FillRect(dc, layout.Caption,
             GetSysColorBrush(window->NcActive ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(window->NcActive ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TRect text = layout.Caption;
    text.Left += 4;
    if (!IsRectEmpty(layout.CloseBox)) text.Right = layout.CloseBox.Left - 2;
    DrawText(dc, window->Text, text, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
    if (!IsRectEmpty(layout.CloseBox)) {
      TRect box = layout.CloseBox;
      DrawFrameControl(dc, box, DFC_CAPTION,
                       DFCS_CAPTIONCLOSE | (window->PressedHit == HTCLOSE ? DFCS_PUSHED : 0));
    }
  }
  PaintScrollBar(dc, handle, layout.VScroll, window->Scroll[SB_VERT], SB_VERT);
  PaintScrollBar(dc, handle, layout.HScroll, window->Scroll[SB_HORZ], SB_HORZ);
  if (!IsRectEmpty(layout.SizeGrip)) FillRect(dc, layout.SizeGrip, GetSysColorBrush(COLOR_BTNFACE));
  ReleaseDC(handle, dc);
}
