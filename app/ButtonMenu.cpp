#include "app/ButtonMenu.h"

namespace {
constexpr int ItemGap = 4;
}

TButtonMenu::TButtonMenu(TComponent* owner) : TPanel(owner) {
  SetBevelOuter(bvNone);
  SetShowHint(true);
}

TButton* TButtonMenu::AddItem(const String& caption, const String& notes) {
  auto* item = new TButton(this);
  item->SetParent(this);
  item->SetCaption(caption);
  item->SetHint(notes);
  item->SetShowHint(true);
  const int index = ItemCount();
  item->OnClick = [this, index](TObject*) {
    FSelected = index;
    if (OnItemClick) OnItemClick(this, index);
  };
  FItems.push_back(item);
  Layout();
  return item;
}

void TButtonMenu::Resize() {
  TPanel::Resize();
  Layout();
}

void TButtonMenu::Layout() {
  const int count = ItemCount();
  if (count == 0) return;
  const int height = (Height() - ItemGap * (count - 1)) / count;
  for (int i = 0; i < count; ++i)
    FItems[static_cast<size_t>(i)]->SetBounds(0, i * (height + ItemGap), Width(), height);
}
