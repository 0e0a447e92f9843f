// Inside the glow button's painter: the content half of DrawGlowButton (glyph, caption, notes,
// drop-down separator and arrow) and the content size it measures.
#pragma once

#include "controls/graphics/AdvGlowButton.h"

namespace AdvGlowButton {

// Draws (or, in measure-only mode, measures) the content of a button whose body is painted.
TSize DrawGlowContent(TControl* control, TCanvas* canvas, TGPGraphics* graphics, const TRect& r,
                      const TGlowDrawParams& p);

}  // namespace AdvGlowButton
