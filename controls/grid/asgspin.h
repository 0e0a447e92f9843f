// The grid's spin editor: a masked edit with an up/down button pair that edits an integer, a
// floating-point number, a date or a time. The text is the only store of the value: each value
// property parses it when read and formats it when written. Stepping (buttons, arrow and page
// keys) works on the field of a date or time under the caret.
#pragma once

#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/rtl/DateTime.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Mask.h"
#include "platform/ui/Timer.h"

namespace asgspin {

enum TAsgSpinType { sptNormal, sptFloat, sptDate, sptTime };
enum TSpinDirection { spVertical, spHorizontal };
enum TEditAlign { eaLeft, eaRight, eaCenter };

}  // namespace asgspin

class TAsgSpinButton;

// One half of the pair: a speed button that repeats its click while held (first after 400 ms,
// then every 100 ms) and paints in the pair's colours.
class TAdvTimerSpeedButton : public TSpeedButton {
 public:
  enum TArrow { taLeft, taRight, taUp, taDown };
  TAdvTimerSpeedButton(TAsgSpinButton* pair, TArrow arrow);
  TArrow Arrow() const { return FArrow; }
  void SetArrow(TArrow value);
  bool RepeatAllowed() const { return FRepeat; }
  void SetRepeatAllowed(bool value) { FRepeat = value; }
  bool IsWinXP() const { return FIsWinXP; }
  void SetIsWinXP(bool value);
  bool FocusShown() const { return FFocusShown; }
  void SetFocusShown(bool value);
  bool Hot() const { return FHot; }
  // The repeat timer (nullptr until the first press).
  TTimer* RepeatTimer() const { return FTimer.get(); }
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  void TimerExpired(TObject* sender);
  void InvalidateParentWindow();
  bool Horizontal() const { return FArrow == taLeft || FArrow == taRight; }

  TAsgSpinButton* FPair;
  TArrow FArrow;
  bool FRepeat = true;
  bool FIsWinXP = false;
  bool FFocusShown = false;
  bool FHot = false;
  std::unique_ptr<TTimer> FTimer;
};

// The button pair: vertical (up above down) or horizontal (down left, up right).
class TAsgSpinButton : public TWinControl {
 public:
  explicit TAsgSpinButton(TComponent* owner);

  TAdvTimerSpeedButton* UpButton() const { return FUpButton; }
  TAdvTimerSpeedButton* DownButton() const { return FDownButton; }
  TAdvTimerSpeedButton* FocusedButton() const { return FFocusedButton; }
  asgspin::TSpinDirection Direction() const { return FDirection; }
  void SetDirection(asgspin::TSpinDirection value);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* value);
  bool IsWinXP() const { return FIsWinXP; }
  void SetIsWinXP(bool value);
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value);

  // The fill of a half in its normal, hot and pressed state; clNone in ButtonColor keeps the
  // classic look. The text and border colours are kept for colour schemes only.
  TColor ButtonColor = clNone;
  TColor ButtonColorHot = clNone;
  TColor ButtonColorDown = clNone;
  TColor ButtonTextColor = clNone;
  TColor ButtonTextColorHot = clNone;
  TColor ButtonTextColorDown = clNone;
  TColor ButtonBorderColor = clNone;

  // nullptr loads the program's default arrow.
  TBitmap* UpGlyph() const { return FUpButton->Glyph(); }
  void SetUpGlyph(TBitmap* value);
  TBitmap* DownGlyph() const { return FDownButton->Glyph(); }
  void SetDownGlyph(TBitmap* value);
  TNumGlyphs UpNumGlyphs() const { return FUpButton->NumGlyphs(); }
  void SetUpNumGlyphs(TNumGlyphs value) { FUpButton->SetNumGlyphs(value); }
  TNumGlyphs DownNumGlyphs() const { return FDownButton->NumGlyphs(); }
  void SetDownNumGlyphs(TNumGlyphs value) { FDownButton->SetNumGlyphs(value); }

  TNotifyEvent OnUpClick;
  TNotifyEvent OnDownClick;

  void SetBounds(int left, int top, int width, int height) override;
  void Dispatch(TMessage& message) override;

 protected:
  void KeyDown(WORD& key, TShiftState shift) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void AdjustSize(int& width, int& height);
  void HalfClicked(TObject* sender);
  void HalfPressed(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void SetFocusBtn(TAdvTimerSpeedButton* button);
  void SetGlyph(TAdvTimerSpeedButton* button, TBitmap* value, const char16_t* resource);

  TAdvTimerSpeedButton* FUpButton = nullptr;
  TAdvTimerSpeedButton* FDownButton = nullptr;
  TAdvTimerSpeedButton* FFocusedButton = nullptr;
  asgspin::TSpinDirection FDirection = asgspin::spVertical;
  TWinControl* FFocusControl = nullptr;
  bool FIsWinXP = false;
  bool FCtl3D = true;
};

class TAsgSpinEdit : public TCustomMaskEdit {
 public:
  explicit TAsgSpinEdit(TComponent* owner);
  ~TAsgSpinEdit() override;

  TAsgSpinButton* Button() const { return FButton; }

  asgspin::TAsgSpinType SpinType() const { return FSpinType; }
  void SetSpinType(asgspin::TAsgSpinType value);
  int Value();
  void SetValue(int value);
  double FloatValue();
  void SetFloatValue(double value);
  TDateTime DateValue();
  void SetDateValue(TDateTime value);
  TDateTime TimeValue();
  void SetTimeValue(TDateTime value);

  int Increment = 1;
  double IncrementFloat = 0.1;
  double IncrementFloatPage = 1.0;
  int IncrementHours = 1;
  int IncrementMinutes = 1;
  int IncrementSeconds = 1;
  int MinValue = 0;
  int MaxValue = 100;
  double MinFloatValue = 0.0;
  double MaxFloatValue = 100.0;
  TDateTime MinDateValue = 0;
  TDateTime MaxDateValue = 0;
  bool ShowSeconds = true;
  bool EditorEnabled = true;
  bool ExcelStyleDecimalSeparator = false;
  bool ReturnIsTab = false;
  // Kept for the owner: the grid stores an empty cell when the trimmed text is empty.
  bool AllowEmptyValue = false;

  int Precision() const { return FPrecision; }
  void SetPrecision(int value);
  asgspin::TSpinDirection Direction() const { return FDirection; }
  void SetDirection(asgspin::TSpinDirection value);
  asgspin::TEditAlign EditAlign() const { return FEditAlign; }
  void SetEditAlign(asgspin::TEditAlign value);
  bool SpinFlat() const { return FSpinFlat; }
  void SetSpinFlat(bool value);
  bool SpinTransparent() const { return FSpinTransparent; }
  void SetSpinTransparent(bool value);
  bool IsWinXP() const { return FIsWinXP; }
  void SetIsWinXP(bool value);
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value);

  virtual void StepUp(bool page);
  virtual void StepDown(bool page);
  virtual bool IsValidChar(char16_t& key);
  virtual void UpClick(TObject* sender);
  virtual void DownClick(TObject* sender);

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Resize() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void DoEnter() override;
  void DoExit() override;
  void Loaded() override;

 private:
  void Step(int sign, bool page);
  void StepDate(int sign);
  void StepTime(int sign);
  void SetEditRect();
  int MinHeight();
  void PlaceButton();
  void NudgeWidth();
  bool Loading() const { return ComponentState().Contains(csLoading); }
  // Rewrites the value of the current type from the text (parse, clamp, format).
  void Reformat();

  TAsgSpinButton* FButton;
  asgspin::TAsgSpinType FSpinType = asgspin::sptNormal;
  int FPrecision = 0;
  asgspin::TSpinDirection FDirection = asgspin::spVertical;
  asgspin::TEditAlign FEditAlign = asgspin::eaLeft;
  bool FSpinFlat = false;
  bool FSpinTransparent = false;
  bool FIsWinXP = false;
  bool FCtl3D = true;
  TDateTime FDateValue = 0;
  TDateTime FTimeValue = 0;
};
