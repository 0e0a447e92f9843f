// Hidden windows whose messages go to a method: the timers and the application's own work run on
// them. The method receives every message; what it does not handle it passes to DefWindowProc.
#pragma once

#include "platform/ui/ControlTypes.h"
#include "platform/win/WinDefs.h"

HWND AllocateHWnd(TWndMethod method);
void DeallocateHWnd(HWND window);
