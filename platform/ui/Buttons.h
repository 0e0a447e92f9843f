// The speed button: a tool-bar button that never takes the focus, shows a glyph and a caption, and
// can stay down, alone or as one of a group.
#pragma once

#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/ui/Controls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
// What the button shows: raised, disabled, pressed, or held down (a grouped button that is Down).
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
using TNumGlyphs = int;  // 1 to 4

// The glyph holds NumGlyphs images side by side, for the up, disabled, pressed and held-down looks;
// a look without its own image shows the up image. The colour of the glyph's bottom-left pixel is
// transparent.
//
// A button with GroupIndex 0 springs back up after a click. Buttons of the same parent with the
// same GroupIndex > 0 are a group: pressing one holds it Down and raises the others; a Down button
// of a group rises on its own only when AllowAllUp. Flat buttons show their frame only while the
// mouse is over them (or they are down); Transparent flat buttons leave the parent's background.
class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* owner);
  ~TSpeedButton() override;
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* value);
  TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(TNumGlyphs value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);
  bool Down() const { return FDown; }
  void SetDown(bool value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  // Pixels between the edge and the glyph (-1: centred) and between the glyph and the caption.
  int Margin() const { return FMargin; }
  void SetMargin(int value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int value);
  // The look the button shows now, and whether the mouse is over it.
  TButtonState State() const { return FState; }
  bool MouseInControl() const { return FMouseInControl; }
  // Which of the glyph's images a look shows (0 to NumGlyphs - 1).
  int GlyphIndexFor(TButtonState state) const;
  void Click() override;
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  // Raises the other buttons of the group when this one goes down.
  void UpdateExclusive();
  void UpdateState();
  void PaintGlyphAndCaption(TCanvas* canvas, TRect area, TPoint offset);

  std::unique_ptr<TBitmap> FGlyph;
  TNumGlyphs FNumGlyphs = 1;
  int FGroupIndex = 0;
  bool FAllowAllUp = false;
  bool FDown = false;
  bool FFlat = false;
  bool FTransparent = true;
  bool FDragging = false;
  bool FMouseInControl = false;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
  TButtonState FState = bsUp;
};
