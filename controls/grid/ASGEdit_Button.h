// The button window the grid's edits carry at their right edge, and its painted face.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/ui/Buttons.h"

class TAsgEditButton;

// The face of the button, painted in its owner's colours.
class TAdvSpeedButton : public TSpeedButton {
 public:
  explicit TAdvSpeedButton(TAsgEditButton* owner);
  bool IsWinXP() const { return FIsWinXP; }
  void SetIsWinXP(bool value);
  bool Hot() const { return FHot; }
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;

 private:
  TAsgEditButton* FOwner;
  bool FIsWinXP = false;
  bool FHot = false;
};

// The window at the edit's right edge that holds the face. A release of the left mouse button
// on the face raises OnClick (Sender: this window) and moves the focus to FocusControl.
class TAsgEditButton : public TWinControl {
 public:
  explicit TAsgEditButton(TComponent* owner);

  TAdvSpeedButton* SpeedButton() const { return FButton; }
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* value);
  TBitmap* Glyph() const { return FButton->Glyph(); }
  void SetGlyph(TBitmap* value);
  TNumGlyphs NumGlyphs() const { return FButton->NumGlyphs(); }
  void SetNumGlyphs(TNumGlyphs value) { FButton->SetNumGlyphs(value); }
  String ButtonCaption() { return FButton->Caption(); }
  void SetButtonCaption(const String& value) { FButton->SetCaption(value); }
  bool Flat() const { return FButton->Flat(); }
  void SetFlat(bool value) { FButton->SetFlat(value); }
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value);

  // The fill of the face in its normal, hot and pressed state; clNone in ButtonColor keeps the
  // classic look. The text and border colours are kept for colour schemes only.
  TColor ButtonColor = clNone;
  TColor ButtonColorHot = clNone;
  TColor ButtonColorDown = clNone;
  TColor ButtonTextColor = clNone;
  TColor ButtonTextColorHot = clNone;
  TColor ButtonTextColorDown = clNone;
  TColor ButtonBorderColor = clNone;

  void SetBounds(int left, int top, int width, int height) override;
  void Dispatch(TMessage& message) override;

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void FaceReleased(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);

  TAdvSpeedButton* FButton;
  TWinControl* FFocusControl = nullptr;
  bool FCtl3D = true;
};
