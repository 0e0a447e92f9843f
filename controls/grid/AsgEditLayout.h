// How the grid's edit editors lay out a button window at their right edge and the text beside it.
//
// The rules are written in the coordinates of a system edit whose client area lies inside its
// border. The platform's edit draws its sunken edge (2 pixels) inside its own client area, so
// everything here is moved in by that edge.
#pragma once

#include "platform/ui/StdCtrls.h"

namespace AsgEditLayout {

// Where the system edit's client area starts inside ours.
int EdgeOffset(TCustomEdit* edit);
// The system edit's client size.
int InnerWidth(TCustomEdit* edit);
int InnerHeight(TCustomEdit* edit);

// The font's height plus a quarter of the smaller of the system font's and the font's height.
int MinHeight(TCustomEdit* edit);

// Puts the button window at the edit's right edge: with the three-dimensional look at
// (width - button width - d, 0) and height - d tall, d being 1 without a border and 5 with one;
// else at (width - button width, 1), height - 3 tall.
void PlaceButton(TCustomEdit* edit, TWinControl* button, bool ctl3D);

// Sets the formatting rectangle, given in the system edit's client coordinates.
void SetFormattingRect(TCustomEdit* edit, int left, int top, int right, int bottom);

}  // namespace AsgEditLayout
