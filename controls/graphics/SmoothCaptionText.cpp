#include "controls/graphics/SmoothCaptionText.h"

#include "platform/rtl/Streams.h"

namespace SmoothCaptionText {

TFontPtr NewFont(TGPGraphics* graphics, TFont* font) {
  // Strike-out is not part of a caption's look: the font goes over without it.
  TFont plain;
  plain.Assign(font);
  plain.SetStyle(font->Style() - TFontStyles{fsStrikeOut});
  return TFontPtr(graphics->MakeFont(&plain));
}

TCaptionBrush NewCaptionBrush(const TCaptionInk& ink, float x, float y, float w, float h,
                              bool solidFallback) {
  ARGB start = MakeColorAlpha(ink.OpacityStart, ink.ColorStart);
  ARGB end = ink.ColorEnd == clNone ? start : MakeColorAlpha(ink.OpacityEnd, ink.ColorEnd);
  TCaptionBrush out;
  switch (ink.GradientType) {
    case gtSolid: out.Brush.reset(new TGPSolidBrush(start)); break;
    case gtVertical:
      out.Brush.reset(new TGPLinearGradientBrush(MakePointF(x, y), MakePointF(x, y + h), start,
                                                 end));
      break;
    case gtHorizontal:
      out.Brush.reset(new TGPLinearGradientBrush(MakePointF(x, y), MakePointF(x + w, y), start,
                                                 end));
      break;
    case gtForwardDiagonal:
      out.Brush.reset(new TGPLinearGradientBrush(MakePointF(x, y), MakePointF(x + w, y + h), start,
                                                 end));
      break;
    case gtBackwardDiagonal:
      out.Brush.reset(new TGPLinearGradientBrush(MakePointF(x, y + h), MakePointF(x + w, y), end,
                                                 start));
      break;
    case gtHatch: out.Brush.reset(new TGPHatchBrush(ink.Hatch, start, end)); break;
    case gtTexture:
      if (ink.Picture != nullptr && !ink.Picture->Empty()) {
        out.Texture = std::make_unique<TDecodedImage>(ink.Picture->Bytes());
        out.Brush.reset(new TGPTextureBrush(&out.Texture->Image(), WrapModeTile));
      }
      break;
    default:
      if (solidFallback) out.Brush.reset(new TGPSolidBrush(start));
      break;
  }
  return out;
}

}  // namespace SmoothCaptionText
