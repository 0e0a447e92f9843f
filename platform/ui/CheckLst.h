// A list box with a check box in front of each item.
#pragma once

#include "platform/ui/StdCtrls.h"

// Each item carries a mark (State: unchecked, checked, or grayed when AllowGrayed) and may be
// disabled (ItemEnabled). A click on an item's box, or Space on the selected item, moves its mark
// on and fires OnClickCheck; a disabled item keeps its mark. The marks travel with their items
// when items are inserted, deleted or moved. The owner-draw styles draw the part right of the box.
class TCheckListBox : public TCustomListBox {
 public:
  explicit TCheckListBox(TComponent* owner);
  bool Checked(int index) const { return State(index) == cbChecked; }
  void SetChecked(int index, bool value) { SetState(index, value ? cbChecked : cbUnchecked); }
  TCheckBoxState State(int index) const;
  void SetState(int index, TCheckBoxState value);
  bool ItemEnabled(int index) const;
  void SetItemEnabled(int index, bool value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool value) { FAllowGrayed = value; }
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  // Sets every item's mark (the disabled ones too when told).
  void CheckAll(TCheckBoxState state, bool allowGrayed = true, bool includeDisabled = true);
  // The box of an item, in client coordinates.
  TRect CheckRect(int index) const;

  TNotifyEvent OnClickCheck;

 protected:
  void DrawItem(int index, TRect rect, TOwnerDrawState state) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyPress(char16_t& key) override;
  // The user moved an item's mark on (a click on its box, or Space).
  virtual void ToggleClickCheck(int index);
  virtual void ClickCheck();

 private:
  bool FAllowGrayed = false;
  bool FFlat = true;
};
