// What the smooth label and the smooth panel share to draw a caption: the GDI+ font made from a
// class-library font (no strike-out) and the brush that fills the caption's text, a gradient, a
// hatch or a texture laid over the text's box.
#pragma once

#include <memory>

#include "controls/graphics/AdvGDIP.h"

namespace SmoothCaptionText {

using TFontPtr = std::unique_ptr<TGPFont, TObjectFree>;
using TBrushPtr = std::unique_ptr<TGPBrush, TObjectFree>;

// The font's name as family ("Arial" when GDI+ knows neither family nor style), bold 1, italic 2,
// underline 4, the size in points.
TFontPtr NewFont(TGPGraphics* graphics, TFont* font);

// The smooth controls' locations run left, centre, right along the top row, then the middle and
// the bottom row (9 values), then a custom place: the column and the row of one of the nine
// (0 left or top, 1 centre, 2 right or bottom).
inline int LocationColumn(int location) { return location % 3; }
inline int LocationRow(int location) { return location / 3; }

// How a caption's text is filled.
struct TCaptionInk {
  TAdvGradientType GradientType = gtVertical;
  TColor ColorStart = clBlack;
  TColor ColorEnd = clNone;  // clNone: the start colour throughout
  uint8_t OpacityStart = 255;
  uint8_t OpacityEnd = 255;
  ::HatchStyle Hatch = HatchStyleHorizontal;
  TAdvGDIPPicture* Picture = nullptr;  // the texture of gtTexture
};

// The ink of a caption object (the label's and the panel's have the same members).
template <class TCaption>
TCaptionInk InkOf(const TCaption* caption) {
  TCaptionInk ink;
  ink.GradientType = caption->GradientType();
  ink.ColorStart = caption->ColorStart();
  ink.ColorEnd = caption->ColorEnd();
  ink.OpacityStart = caption->OpacityStart();
  ink.OpacityEnd = caption->OpacityEnd();
  ink.Hatch = caption->HatchStyle();
  ink.Picture = caption->Picture();
  return ink;
}

// A brush and what it lives on (the decoded texture image), freed together after drawing.
struct TCaptionBrush {
  std::unique_ptr<TDecodedImage> Texture;
  TBrushPtr Brush;
};

// The brush for a text box at (x, y) of size w x h; none for a gradient kind without a brush
// (gtRadial, gtAngle, gtPath, gtNone) unless solidFallback asks for the start colour then, and
// none for gtTexture without a picture.
TCaptionBrush NewCaptionBrush(const TCaptionInk& ink, float x, float y, float w, float h,
                              bool solidFallback);

}  // namespace SmoothCaptionText
