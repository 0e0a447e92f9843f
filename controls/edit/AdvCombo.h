// The flat combo box: a combo box drawn flat or with an etched button, with focus and border
// colours and an attached caption label placed as the enhanced edit places its own.
#pragma once

#include <memory>

#include "controls/edit/LabelPlacement.h"
#include "platform/ui/StdCtrls.h"

namespace AdvCombo {

// The first thirteen positions of the enhanced edit's label, in the same order.
enum class TLabelPosition {
  lpLeftTop, lpLeftCenter, lpLeftBottom, lpTopLeft, lpBottomLeft, lpLeftTopLeft,
  lpLeftCenterLeft, lpLeftBottomLeft, lpTopCenter, lpBottomCenter, lpRightTop, lpRightCenter,
  lpRighBottom
};

}  // namespace AdvCombo

class TAdvCustomCombo : public TCustomComboBox {
 public:
  explicit TAdvCustomCombo(TComponent* owner);
  ~TAdvCustomCombo() override;

  int ButtonWidth() const { return FButtonWidth; }
  // Only widths from 14 to 32 are taken; the width changes only what is painted.
  void SetButtonWidth(int value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  TColor FlatLineColor() const { return FFlatLineColor; }
  void SetFlatLineColor(TColor value);
  bool FlatParentColor() const { return FFlatParentColor; }
  void SetFlatParentColor(bool value);
  bool Etched() const { return FEtched; }
  void SetEtched(bool value);
  bool FocusBorder = false;
  TColor FocusBorderColor = clNone;
  TColor FocusColor = clNone;
  bool DisabledBorder() const { return FDisabledBorder; }
  void SetDisabledBorder(bool value);
  bool AutoFocus = false;
  int DropWidth() const { return FDropWidth; }
  void SetDropWidth(int value);
  // Writing the colour also sets the colour the focus returns to.
  void SetColor(TColor value);
  virtual String Version() const { return u"1.4.3.1"; }
  virtual uint32_t GetVersionNr() const { return 0x01040301; }
  // Selects the item whose text is the given one; a change fires the change event.
  virtual void SelectItem(const String& text);

  // --- The attached label ---
  String LabelCaption() const;
  void SetLabelCaption(const String& value);
  AdvCombo::TLabelPosition LabelPosition() const { return FLabelPosition; }
  void SetLabelPosition(AdvCombo::TLabelPosition value);
  int LabelMargin() const { return FLabelMargin; }
  void SetLabelMargin(int value);
  bool LabelTransparent() const { return FLabelTransparent; }
  void SetLabelTransparent(bool value);
  bool LabelAlwaysEnabled() const { return FLabelAlwaysEnabled; }
  void SetLabelAlwaysEnabled(bool value);
  TFont* LabelFont() const { return FLabelFont.get(); }
  void SetLabelFont(TFont* value);
  TLabel* ComboLabel() const { return FLabel; }

  TNotifyEvent OnDropUp;

  void Dispatch(TMessage& message) override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetParent(TWinControl* value) override;

 protected:
  // The item list is made by the descendant (a list that keeps more beside each item).
  TAdvCustomCombo(TComponent* owner, std::unique_ptr<TListControlStrings> items);
  void Paint() override;
  void CloseUp() override;
  void DropDown() override;
  void DoEnter() override;
  void DoExit() override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  // Whether the combo paints its own button and frames (otherwise the platform's look stays).
  bool PaintsItself();
  void DrawBorder(TCanvas* canvas);

 private:
  void Init();
  void UpdateLabel();
  void PlaceLabel();
  void CMEnabledChanged();

  int FButtonWidth;
  bool FFlat = false;
  TColor FFlatLineColor = clBlack;
  bool FFlatParentColor = true;
  bool FEtched = false;
  bool FDisabledBorder = true;
  int FDropWidth = 0;
  TColor FLoadedColor = clWindow;
  TColor FColorBeforeFocus = clNone;
  bool FSavedParentColor = false;
  TColor FSavedColor = clWindow;
  bool FHot = false;
  bool FButtonHot = false;
  bool FFocused = false;
  bool FFontFollows = true;

  TLabel* FLabel = nullptr;
  AdvCombo::TLabelPosition FLabelPosition = AdvCombo::TLabelPosition::lpLeftTop;
  int FLabelMargin = 4;
  bool FLabelTransparent = false;
  bool FLabelAlwaysEnabled = false;
  std::unique_ptr<TFont> FLabelFont;
};
