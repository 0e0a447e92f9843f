// The parts of a window outside its client area: frame, caption, close box and scroll bars, in
// window coordinates, as the styles lay them out.
#pragma once

#include "platform/win/WinApi.h"

class TWindow;
struct TScrollBarState;

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

// The parts of a scroll bar lying in `area`: the two arrows, the track between them and the thumb
// on the track where `pos` puts it. The thumb is empty when the bar has nothing to scroll or is
// too short to show one.
struct TScrollBarParts {
  TRect First;
  TRect Last;
  TRect Track;
  TRect Thumb;
};
TScrollBarParts ScrollBarParts(const TRect& area, const TScrollBarState& state, bool vertical,
                               int pos);
// The request a press at `p` makes of a bar: SB_LINEUP, SB_PAGEUP, SB_THUMBTRACK, SB_PAGEDOWN or
// SB_LINEDOWN (the horizontal codes have the same values); -1 outside the bar.
int ScrollBarPartAt(const TScrollBarParts& parts, TPoint p, bool vertical);
// Whether the mouse can use a bar: it is enabled and its range has something to scroll.
bool ScrollBarUsable(const TScrollBarState& state);

// A held arrow or track repeats its request after the first delay, then at every interval.
constexpr UINT ScrollRepeatDelay = 250;
constexpr UINT ScrollRepeatInterval = 50;
// Follows a left-button press on a window's scroll bar (`bar` is SB_HORZ or SB_VERT) until the
// button is released, sending WM_HSCROLL or WM_VSCROLL to the window.
void TrackScrollBar(HWND window, int bar, TPoint screen);
// Follows a left-button press on a child window's caption area until the button is released:
// the window moves with the pointer inside its parent's client area, then gets WM_EXITSIZEMOVE.
void TrackChildMove(HWND window, TPoint screen);
// The part of a window's bar under a held button, drawn pressed; -1 when none is.
int PressedScrollBarPart(HWND window, int bar);
