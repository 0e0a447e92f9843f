// The lookup popup of the enhanced edit: a hint window holding an owner-drawn list of the
// entries that match what has been typed.
#pragma once

#include "controls/edit/AdvEdit.h"
#include "platform/ui/HintWindow.h"

// The list inside the popup; each item carries, as its object, its entry's index in
// DisplayList. Enter (and Tab when the edit's lookup accepts on Tab) and a click take the entry.
class TListBoxTab : public TListBox {
 public:
  TListBoxTab(TComponent* owner, TAdvEdit* edit);
  bool HandleTab = false;
  void Dispatch(TMessage& message) override;

 protected:
  void DrawItem(int index, TRect rect, TOwnerDrawState state) override;
  void KeyPress(char16_t& key) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  TAdvEdit* FEdit;
};

class TListHintWindow : public THintWindow {
 public:
  explicit TListHintWindow(TComponent* owner) : THintWindow(owner) {}
  TListBoxTab* List = nullptr;

 protected:
  void Paint() override;
};
