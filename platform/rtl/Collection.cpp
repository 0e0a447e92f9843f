#include "platform/rtl/Collection.h"

#include <algorithm>

#include "platform/rtl/List.h"

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* value) {
  if (value == FCollection) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (value) value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  auto& items = FCollection->FItems;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int value) {
  int current = Index();
  if (current < 0 || current == value) return;
  auto& items = FCollection->FItems;
  if (value < 0 || value >= static_cast<int>(items.size())) TList::Error(value);
  items.erase(items.begin() + current);
  items.insert(items.begin() + value, this);
  Changed(true);
}

String TCollectionItem::DisplayName() const { return ClassName(); }

void TCollectionItem::SetDisplayName(const String&) { Changed(false); }

void TCollectionItem::Changed(bool allItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(allItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() { return FCollection; }

TCollection::TCollection(TCollectionItemClass itemClass) : FItemClass(std::move(itemClass)) {}

TCollection::~TCollection() {
  FUpdateCount = 1;
  Clear();
}

TCollectionItem* TCollection::Add() {
  TCollectionItem* item = FItemClass.Create(this);
  if (item->FCollection != this) item->SetCollection(this);
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  if (index < 0 || index > Count()) TList::Error(index);
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) {
  TCollectionItem* item = Items(index);
  Notify(item, cnDeleting);
  // Taken out before its destructor runs, so Notify(cnExtracting) still sees the whole item.
  RemoveItem(item);
  item->Free();
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  while (!FItems.empty()) {
    TCollectionItem* item = FItems.back();
    RemoveItem(item);
    item->Free();
  }
  EndUpdate();
}

void TCollection::ClearAndResetID() {
  Clear();
  FNextID = 0;
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) TList::Error(index);
  return FItems[index];
}

void TCollection::SetItems(int index, TCollectionItem* value) { Items(index)->Assign(value); }

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == id) return item;
  return nullptr;
}

void TCollection::EndUpdate() {
  if (FUpdateCount == 0) return;
  --FUpdateCount;
  Changed();
}

void TCollection::Assign(TPersistent* source) {
  auto* collection = dynamic_cast<TCollection*>(source);
  if (!collection) {
    TPersistent::Assign(source);
    return;
  }
  if (collection == this) return;
  BeginUpdate();
  try {
    Clear();
    for (int i = 0; i < collection->Count(); ++i) Add()->Assign(collection->Items(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item) {
  FItems.push_back(item);
  item->FCollection = this;
  item->FID = FNextID++;
  Notify(item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  Notify(item, cnExtracting);
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it != FItems.end()) FItems.erase(it);
  item->FCollection = nullptr;
  Changed();
}
