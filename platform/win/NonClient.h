// The parts of a window outside its client area: frame, caption, close box and scroll bars, in
// window coordinates, as the styles lay them out.
#pragma once

#include "platform/win/WinApi.h"

class TWindow;

struct TNonClientLayout {
  TRect Caption;    // empty without a caption
  TRect CloseBox;   // empty without WS_SYSMENU
  TRect VScroll;    // empty without WS_VSCROLL
  TRect HScroll;
  TRect SizeGrip;   // the corner between two scroll bars
  TRect Client;
};

TNonClientLayout NonClientLayout(DWORD style, DWORD exStyle, int width, int height);
// Where a window's close box lies on the screen; empty when it has none.
TRect GetCloseBoxRect(HWND window);
// The default answer to WM_NCHITTEST for a screen point.
LRESULT NonClientHitTest(TWindow* window, TPoint screen);
// Paints the frame, caption, close box and scroll bars of a window (WM_NCPAINT).
void PaintNonClient(HWND window);
