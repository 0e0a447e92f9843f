#include "platform/rtl/List.h"

#include <algorithm>
#include <utility>

#include "platform/rtl/Format.h"

void TList::Error(const String& message, int64_t data) {
  throw EListError(Format(message, {data}));
}

void TList::Error(int64_t index) { Error(u"List index out of bounds (%d)", index); }

void TList::Notify(void*, TListNotification) {}

int TList::Add(void* item) {
  FList.push_back(item);
  if (item) Notify(item, lnAdded);
  return Count() - 1;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > Count()) Error(index);
  FList.insert(FList.begin() + index, item);
  if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
  void* item = Get(index);
  FList.erase(FList.begin() + index);
  if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  int index = IndexOf(item);
  if (index < 0) return nullptr;
  FList.erase(FList.begin() + index);
  Notify(item, lnExtracted);
  return item;
}

int TList::IndexOf(void* item) const {
  auto it = std::find(FList.begin(), FList.end(), item);
  return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void TList::Exchange(int index1, int index2) {
  if (index1 < 0 || index1 >= Count()) Error(index1);
  if (index2 < 0 || index2 >= Count()) Error(index2);
  std::swap(FList[index1], FList[index2]);
}

void TList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  if (newIndex < 0 || newIndex >= Count()) Error(newIndex);
  void* item = Get(curIndex);
  FList.erase(FList.begin() + curIndex);
  FList.insert(FList.begin() + newIndex, item);
}

void TList::Pack() { std::erase(FList, nullptr); }

void TList::Sort(const TListSortCompare& compare) {
  // stable_sort stays within bounds even when a comparer is not a strict order.
  std::stable_sort(FList.begin(), FList.end(), [&](void* a, void* b) { return compare(a, b) < 0; });
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

void TList::SetCount(int newCount) {
  if (newCount < 0) Error(u"List count out of bounds (%d)", newCount);
  if (newCount >= Count()) {
    FList.resize(newCount, nullptr);
    return;
  }
  for (int i = Count() - 1; i >= newCount; --i) Delete(i);
}

void TList::SetCapacity(int newCapacity) {
  if (newCapacity < Count()) Error(u"List capacity out of bounds (%d)", newCapacity);
  if (newCapacity > Capacity()) {
    FList.reserve(newCapacity);
  } else if (newCapacity < Capacity()) {
    std::vector<void*> smaller;
    smaller.reserve(newCapacity);
    smaller.assign(FList.begin(), FList.end());
    FList.swap(smaller);
  }
}

void* TList::Get(int index) const {
  if (index < 0 || index >= Count()) Error(index);
  return FList[index];
}

void TList::Put(int index, void* item) {
  void* old = Get(index);
  if (old == item) return;
  FList[index] = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

TObjectList::~TObjectList() { Clear(); }

void TObjectList::Notify(void* item, TListNotification action) {
  if (FOwnsObjects && action == lnDeleted) static_cast<TObject*>(item)->Free();
}
