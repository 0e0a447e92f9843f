// Helpers of the smooth controls' tests: the text calls a drawing made, and the size GDI+
// measures for a text in a font, as the controls measure it.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "controls/graphics/SmoothCaptionText.h"
#include "tests/controls/graphics/GraphicsTestSupport.h"

namespace smoothtest {

// The GdipDrawString calls of a log, in order.
inline std::vector<TGPCall> Texts(const TGPCallLog& log) { return log.Named("GdipDrawString"); }

// The box GDI+ gives a text in a font within a layout (no wrapping unless asked).
inline TGPFloatRect Measure(const String& text, TFont* font, TGPFloatRect layout = {0, 0, 10000,
                                                                                    10000},
                            bool wrap = false) {
  TGPBitmap scratch(1, 1);
  TGPGraphics graphics(&scratch);
  SmoothCaptionText::TFontPtr gpFont = SmoothCaptionText::NewFont(&graphics, font);
  TGPStringFormat format(wrap ? 0 : StringFormatFlagsNoWrap);
  TGPFloatRect box;
  graphics.MeasureString(text, static_cast<int>(text.size()), gpFont.get(), layout, &format, box);
  return box;
}

}  // namespace smoothtest
