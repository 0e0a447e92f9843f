// The grid's edits with a button: TAsgEditBtn, a masked edit with a push button at its right edge
// (a click or F4 raises OnClickBtn), and TAsgUnitEditBtn, which also offers a list of units in a
// menu behind the button and draws the chosen unit between the text and the button.
#pragma once

#include <functional>
#include <memory>

#include "controls/grid/ASGEdit_Button.h"
#include "controls/grid/ASGEdit_ButtonEdit.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Mask.h"

class TAsgEditBtn : public TAsgButtonEdit<TCustomMaskEdit> {
 public:
  explicit TAsgEditBtn(TComponent* owner);

 protected:
  // F4 clicks unless Ctrl or an Alt key is held.
  bool F4Clicks() const override;
  void SetEditRect() override;
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
