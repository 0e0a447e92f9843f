// The grid's edits with a button: TAsgEditBtn, a masked edit with a push button at its right edge
// (a click or F4 raises OnClickBtn), and TAsgUnitEditBtn, which also offers a list of units in a
// menu behind the button and draws the chosen unit between the text and the button.
#pragma once

#include <functional>
#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Mask.h"

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

class TAsgEditBtn : public TCustomMaskEdit {
 public:
  explicit TAsgEditBtn(TComponent* owner);
  ~TAsgEditBtn() override;

  TAsgEditButton* Button() const { return FButton; }
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int value);
  String ButtonCaption() { return FButton->ButtonCaption(); }
  void SetButtonCaption(const String& value) { FButton->SetButtonCaption(value); }
  TBitmap* Glyph() const { return FButton->Glyph(); }
  void SetGlyph(TBitmap* value) { FButton->SetGlyph(value); }
  bool RightAlign() const { return FRightAlign; }
  void SetRightAlign(bool value);
  bool IsWinXP() const { return FIsWinXP; }
  void SetIsWinXP(bool value);
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value);
  bool EditorEnabled = true;
  TNotifyEvent OnClickBtn;

  // Raises OnClickBtn: Sender is the button window for a click, the edit for F4.
  virtual void ClickButton(TObject* sender);
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Resize() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void DoEnter() override;
  void SetEditRect();

  // Pixels kept for the unit text left of the button.
  int FUnitSpace = 0;

 private:
  void Layout();

  TAsgEditButton* FButton;
  int FButtonWidth = 0;
  bool FRightAlign = false;
  bool FIsWinXP = false;
  bool FCtl3D = true;
};

using TUnitChangeEvent = std::function<void(TObject* sender, const String& newUnit)>;

class TAsgUnitEditBtn : public TAsgEditBtn {
 public:
  explicit TAsgUnitEditBtn(TComponent* owner);

  TStringList* Units() const { return FUnits.get(); }
  void SetUnits(TStrings* value);
  const String& UnitID() const { return FUnitID; }
  void SetUnitID(const String& value);
  int UnitSpace() const { return FUnitSpace; }
  void SetUnitSpace(int value);
  TUnitChangeEvent OnUnitChanged;

  // The text followed directly by the unit.
  String GetTextWithUnit();
  // Splits off the longest unit the text ends with; without one nothing changes.
  void SetTextWithUnit(const String& s);
  // Raises OnClickBtn, then offers the units in a menu below the button.
  void ClickButton(TObject* sender) override;
  // Where the unit is drawn, in client coordinates.
  TRect UnitRect();
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TStringList> FUnits;
  String FUnitID;
};
