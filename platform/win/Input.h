// Input as a back end (or a test through the headless back end) feeds it to the window layer.
// Injected input waits in the input queue; the message loop turns it into messages when it
// retrieves it, finding the receiving window as the focus, capture and pointer stand then:
// keys go to the focus window, pointer events to the capture window or to the window under the
// pointer (after WM_NCHITTEST, WM_MOUSEACTIVATE and WM_SETCURSOR).
#pragma once

#include <cstdint>

#include "platform/win/WinDefs.h"

enum class TMouseButtonId { Left, Right, Middle };

// A key goes down or up. Going down again while down is an auto-repeat.
void InjectKey(uint16_t virtualKey, bool down);
// A character that arrives without a key of the layout (any Unicode text): WM_CHAR only.
void InjectChar(char16_t ch);
// The pointer moves to a screen point.
void InjectMouseMove(TPoint screen);
// A button goes down or up at a screen point.
void InjectMouseButton(TMouseButtonId button, bool down, TPoint screen);
// The wheel turns by delta (WHEEL_DELTA a notch; positive away from the user).
void InjectMouseWheel(int delta, TPoint screen);
// Whether input waits to be retrieved.
bool InputPending();
