// The smooth panel's mini-HTML: the grid's markup engine in the panel's dialect, drawn through a
// GDI+ graphics, with named pictures from a GDI+ picture container.
#pragma once

#include "controls/graphics/AdvGDIP.h"
#include "controls/graphics/GDIPPictureContainer.h"
#include "controls/html/AsgHTMLE.h"

// What the panel always passes: its dialect (line spacing 2), word wrap, no focused or hovered
// anchor, and its caption's anchor and shadow colours.
THtmlRenderOptions PanelHtmlOptions(TCustomImageList* images, TColor urlColor, TColor shadowColor,
                                    int shadowOffset);

// Measures, draws or hit-tests the markup in the rectangle with the base font, as the options
// say. True when the point is on an anchor.
bool RenderHtmlTextPanel(TGPGraphics* graphics, TFont* font, const String& html, const TRect& rect,
                         const THtmlRenderOptions& options, TGDIPPictureContainer* pictures,
                         THtmlRenderResult& result);
