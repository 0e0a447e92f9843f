// The main window's menu: a column of buttons, one per item, each with its caption and its note as
// a hint. A click on an enabled item reports the item's index; a disabled item cannot be chosen.
#pragma once

#include <functional>
#include <vector>

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

using TMenuItemClickEvent = std::function<void(TObject* sender, int itemIndex)>;

class TButtonMenu : public TPanel {
 public:
  explicit TButtonMenu(TComponent* owner);
  // Adds an item at the end; its index is the number of items before it.
  TButton* AddItem(const String& caption, const String& notes);
  int ItemCount() const { return static_cast<int>(FItems.size()); }
  TButton* Items(int index) const { return FItems.at(static_cast<size_t>(index)); }
  int SelectedItemIndex() const { return FSelected; }
  void SetSelectedItemIndex(int value) { FSelected = value; }
  TMenuItemClickEvent OnItemClick;

 protected:
  void Resize() override;

 private:
  void Layout();

  std::vector<TButton*> FItems;
  int FSelected = 0;
};
