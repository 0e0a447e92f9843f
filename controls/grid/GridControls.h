// Small controls and graphics the string grid makes for itself: the glyph button and the check box
// of its search panel, the arrow windows that mark where a moved column or row lands, the popup
// that glows around the cell being edited, the 32-bit alpha bitmap of that glow and the blur that
// softens it.
#pragma once

#include <memory>

#include "controls/grid/BaseGridTypes.h"
#include "platform/gdi/Bitmap.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

// The themed look: Windows XP or later, and themes active with common controls 6. No theme is
// active on this platform, so the classic look is drawn.
bool OsIsXPOrLater();
bool ThemesUsable();

// --- Alpha mask and blur -----------------------------------------------------------------------------

// A 32-bit bitmap with premultiplied alpha, shown by the string grid in a layered window with the
// constant Opacity.
class TGridAlphaMask : public TBitmap {
 public:
  TGridAlphaMask();
  // Takes the image's size; a pixel's alpha is the mask's red channel there (0 where the mask is
  // smaller) and its colours are the image's, premultiplied. Nothing unless the image is 24-bit;
  // a mask that is not 24-bit gives alpha 0.
  void LoadFromBitmaps(TBitmap* mask, TBitmap* image);
  // From another mask its opacity and pixels; else the bitmap's own assignment. 32-bit after.
  void Assign(TPersistent* source) override;
  int Opacity() const { return FOpacity; }
  void SetOpacity(int value) { FOpacity = value < 0 ? 0 : value > 255 ? 255 : value; }

 private:
  int FOpacity = 255;
};

// Blurs a 24-bit bitmap with a Gaussian of the radius (kernel at most 21 wide). Raises
// EInvalidGraphicOperation "Blur only works for 24-bit bitmaps" for any other bitmap.
void GaussianBlur(TBitmap* bitmap, double radius);
// A white rounded rectangle (a ring of the pen width, or filled for 0) on black, blurred.
void MakeBlurredRoundRect(TBitmap* bitmap, int width, int height, int penWidth, int corner,
                          double radius);

// The focus glow's ring: pen width, corner and blur radius.
constexpr int kGlowPenWidth = 4;
constexpr int kGlowCorner = 5;
constexpr double kGlowRadius = 3.0;
// The glow bitmap is this much wider and higher than the cell, in this colour and opacity.
constexpr int kGlowMargin = 9;
constexpr TColor kGlowColor = 0x00FDD397;
constexpr int kGlowOpacity = 230;
