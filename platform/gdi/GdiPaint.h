// Pen strokes shared by the line and shape calls.
#pragma once

#include <functional>
#include <vector>

#include "platform/gdi/DeviceContext.h"

// Whether the selected pen draws nothing.
bool PenIsNull(TDeviceContext* dc);
// Whether the selected pen draws one-pixel lines pixel by pixel (cosmetic, width 0 or 1).
bool PenIsThin(TDeviceContext* dc);
// Draws the segments between the points with a thin pen, each segment without its last pixel;
// closed adds the segment back to the first point. Styled pens keep their dash phase across
// segments, and paint the gaps in the background colour when the background mode is opaque.
void StrokeThin(TDeviceContext* dc, const std::vector<TPoint>& points, bool closed);
// Strokes the path that `path` builds (in logical coordinates through pixel centres) with the
// selected pen, whatever its width and style.
void StrokePath(TDeviceContext* dc, const std::function<void(cairo_t*)>& path);
// Fills the 1 x 1 pixel runs (logical rectangles) in a colour under the context's ROP2.
void PaintRuns(TDeviceContext* dc, const std::vector<TRect>& runs, COLORREF color, int rop2);
