// Where an attached label goes beside its control: one rule for every control that carries a
// caption label. Each control unit keeps its own position type; the first thirteen positions
// are the same in all of them, and the enhanced edit adds two.
#pragma once

#include "platform/gdi/WinTypes.h"
#include "platform/rtl/Types.h"

class TFont;

namespace AdvEdit {

enum class TLabelPosition {
  lpLeftTop, lpLeftCenter, lpLeftBottom, lpTopLeft, lpBottomLeft, lpLeftTopLeft,
  lpLeftCenterLeft, lpLeftBottomLeft, lpTopCenter, lpBottomCenter, lpRightTop, lpRightCenter,
  lpRighBottom, lpTopRight, lpBottomRight
};

enum class TEditAlign { eaLeft, eaRight, eaDefault, eaCenter };

// The label's top-left corner. control is the control's bounds on the parent, label the
// label's size, textWidth the caption's measured width and margin the gap between the two.
TPoint LabelOrigin(TLabelPosition position, const TRect& control, TSize label, int textWidth,
                   int margin);

// The width of a caption in a font, measured on one line with accelerator marks hidden.
int CaptionWidth(TFont* font, const String& caption);

}  // namespace AdvEdit
