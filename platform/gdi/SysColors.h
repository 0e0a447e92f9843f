// The system colours. The platform runs with no visual-style theme, so the table holds the
// standard desktop colours and never changes.
#pragma once

#include "platform/gdi/WinTypes.h"

// The colour of a COLOR_* index; black for an index out of range.
COLORREF GetSysColor(int index);
// A shared brush of a system colour; never deleted.
HBRUSH GetSysColorBrush(int index);
