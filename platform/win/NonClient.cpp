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

namespace {

void PaintScrollBar(HDC dc, const TRect& area, const TScrollBarState& state, bool vertical) {
  if (IsRectEmpty(area)) return;
  int size = GetSystemMetrics(SM_CXVSCROLL);
  UINT disabled = state.Enabled ? 0 : DFCS_INACTIVE;
  TRect first = vertical ? TRect{area.Left, area.Top, area.Right, area.Top + size}
                         : TRect{area.Left, area.Top, area.Left + size, area.Bottom};
  TRect last = vertical ? TRect{area.Left, area.Bottom - size, area.Right, area.Bottom}
                        : TRect{area.Right - size, area.Top, area.Right, area.Bottom};
  TRect track = vertical ? TRect{area.Left, first.Bottom, area.Right, last.Top}
                         : TRect{first.Right, area.Top, last.Left, area.Bottom};
  FillRect(dc, track, GetSysColorBrush(COLOR_SCROLLBAR));
  DrawFrameControl(dc, first, DFC_SCROLL, (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | disabled);
  DrawFrameControl(dc, last, DFC_SCROLL,
                   (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | disabled);
  int length = vertical ? track.Height() : track.Width();
  int range = state.Max - state.Min + 1;
  if (!state.Enabled || range <= 0 || length < size) return;
  int page = state.Page ? static_cast<int>(state.Page) : 1;
  int thumb = std::max(size / 2, static_cast<int>(static_cast<long long>(length) * page / range));
  int movable = range - page;
  int offset = movable > 0 ? static_cast<int>(static_cast<long long>(length - thumb) *
                                              (state.Pos - state.Min) / movable)
                           : 0;
  TRect thumbRect = vertical ? TRect{track.Left, track.Top + offset, track.Right,
                                     track.Top + offset + thumb}
                             : TRect{track.Left + offset, track.Top, track.Left + offset + thumb,
                                     track.Bottom};
  DrawEdge(dc, thumbRect, EDGE_RAISED, BF_RECT | BF_MIDDLE);
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
  PaintScrollBar(dc, layout.VScroll, window->Scroll[SB_VERT], true);
  PaintScrollBar(dc, layout.HScroll, window->Scroll[SB_HORZ], false);
  if (!IsRectEmpty(layout.SizeGrip)) FillRect(dc, layout.SizeGrip, GetSysColorBrush(COLOR_BTNFACE));
  ReleaseDC(handle, dc);
}
