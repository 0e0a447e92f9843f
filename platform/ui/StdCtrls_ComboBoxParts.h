// The child windows of a combo box: its list (dropped below the box, or shown under the edit in
// the simple style) and its edit. Private to the combo box's sources.
#pragma once

#include "platform/ui/StdCtrls.h"

// The width of the drop-down button at the box's right edge.
inline constexpr int kComboButtonWidth = 17;

// The combo box's list. Dropped, it is a popup window holding the mouse capture: a release on an
// item chooses it, a press outside closes it. In the simple style it is a child of the combo box
// and a press on an item chooses it. The focus stays in the combo box either way.
class TComboDropList : public TCustomListBox {
 public:
  TComboDropList(TCustomComboBox* combo, bool popup);
  bool Shown() const { return !FPopup || FShown; }
  void ShowBelow(const TRect& screen);
  void Close();
  void Hover(int index) { SetItemIndex(index); }
  // Copies the combo box's items, font and style.
  void TakeItems();

 protected:
  void CreateParams(TCreateParams& params) override;
  void DrawItem(int index, TRect rect, TOwnerDrawState state) override;
  void MeasureItem(int index, int& height) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  TCustomComboBox* FCombo;
  bool FPopup;
  bool FShown = false;
};

// The edit of the drop-down and simple styles: the combo box sees its keys first (its key events
// fire and it takes the keys that move the choice), and hears of every change the user makes.
class TComboEdit : public TEdit {
 public:
  explicit TComboEdit(TCustomComboBox* combo);
  void Dispatch(TMessage& message) override;

 protected:
  void Change() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void KeyUp(WORD& key, TShiftState shift) override;

 private:
  TCustomComboBox* FCombo;
  bool FTyping = false;
};
