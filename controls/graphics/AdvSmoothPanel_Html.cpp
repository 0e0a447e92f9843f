// The smooth panel's HTML caption: where it is laid out and drawn, and the anchor under a point.
#include "controls/graphics/AdvSmoothPanel.h"

// No mini-HTML renderer is linked into the panel yet: the HTML caption is not drawn, its
// rectangle stays empty and no point is on an anchor.
void TAdvSmoothPanel::DrawHTMLCaption(TGPGraphics*, TGPFloatRect, float) { FHTMLRect = TRect(); }

String TAdvSmoothPanel::GetAnchorAt(int, int) { return String(); }
