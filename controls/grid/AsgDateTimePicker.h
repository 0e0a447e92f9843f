// The grid's date-time picker: the platform's picker with border and focus-border colours and a
// tones mode in which it paints its own drop-down button in the grid's colour tones. A new
// picker paints exactly as the platform's.
#pragma once

#include <cstdint>

#include "platform/ui/ComCtrls.h"

class TAsgDateTimePicker : public TDateTimePicker {
 public:
  explicit TAsgDateTimePicker(TComponent* owner);

  int ButtonWidth = 0;
  TColor FocusBorderColor = clNone;
  bool FocusBorder = false;
  bool DisabledBorder = false;
  TColor ButtonColor = clNone;
  TColor ButtonColorHot = clNone;
  TColor ButtonColorDown = clNone;
  TColor ButtonTextColor = clNone;
  TColor ButtonTextColorHot = clNone;
  TColor ButtonTextColorDown = clNone;
  TColor ButtonBorderColor = clNone;
  bool IsWinXP;

  // 0 and 1 draw the flat outline with an inner line; 2 or more without it.
  uint8_t BorderStyle() const { return FBorderStyle; }
  virtual void SetBorderStyle(uint8_t value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  bool TonesStyle() const { return FTones; }
  void SetTonesStyle(bool value);
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value);
  String Version() const { return u"1.0.0.0"; }
  void SetVersion(const String&) {}
  bool ButtonHot() const { return FButtonHot; }
  // The area cleared of the platform's own button before the tones button is painted.
  TRect ErasedButtonRect();

  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  bool TonesCount() const;
  bool Active();
  void PaintTonesButton(TCanvas* canvas);
  void DrawFlatBorder(TCanvas* canvas);
  void DrawBorders(TCanvas* canvas);

  uint8_t FBorderStyle = 0;
  TColor FBorderColor = clNone;
  bool FTones = false;
  bool FCtl3D = true;
  bool FMouseInControl = false;
  bool FButtonHot = false;
  bool FHasFocus = false;
};
