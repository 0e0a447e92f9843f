// TStringList: the stored list, its sorting and its change events.
#include <algorithm>
#include <numeric>

#include "platform/rtl/StringList.h"
#include "platform/rtl/TextCompare.h"

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (!FOwnsObjects) return;
  std::vector<TStringItem> items;
  items.swap(FList);
  for (TStringItem& item : items)
    if (item.FObject) item.FObject->Free();
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount()) Error(u"List index out of bounds (%d)", index);
}

void TStringList::SortedListError() const {
  throw EStringListError(u"Operation not allowed on sorted list");
}

int TStringList::Add(const String& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const String& s, TObject* object) {
  int index = GetCount();
  if (FSorted && Find(s, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) throw EStringListError(u"String list does not allow duplicates");
  }
  InsertItem(index, s, object);
  return index;
}

void TStringList::Assign(TPersistent* source) {
  auto* list = dynamic_cast<TStringList*>(source);
  if (!list || list == this) {
    TStrings::Assign(source);
    return;
  }
  // An exact copy: the strings keep the source's order, then the source's rules apply.
  WithinUpdate([&] {
    FSorted = false;
    TStrings::Assign(source);
    FSorted = list->FSorted;
    FDuplicates = list->FDuplicates;
    FCaseSensitive = list->FCaseSensitive;
  });
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  std::vector<TStringItem> items;
  items.swap(FList);
  if (FOwnsObjects)
    for (TStringItem& item : items)
      if (item.FObject) item.FObject->Free();
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  TObject* object = FList[index].FObject;
  FList.erase(FList.begin() + index);
  if (FOwnsObjects && object) object->Free();
  Changed();
}

void TStringList::Insert(int index, const String& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const String& s, TObject* object) {
  if (FSorted) SortedListError();
  if (index < 0 || index > GetCount()) Error(u"List index out of bounds (%d)", index);
  InsertItem(index, s, object);
}

void TStringList::InsertItem(int index, const String& s, TObject* object) {
  Changing();
  FList.insert(FList.begin() + index, TStringItem{s, object});
  Changed();
}

void TStringList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(FList[index1], FList[index2]);
  Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  // Refused before anything moves, so a sorted list never loses the string.
  if (FSorted) SortedListError();
  Changing();
  TStringItem item = std::move(FList[curIndex]);
  FList.erase(FList.begin() + curIndex);
  FList.insert(FList.begin() + newIndex, std::move(item));
  Changed();
}

int TStringList::IndexOf(const String& s) const {
  if (!FSorted) return TStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

bool TStringList::Find(const String& s, int& index) const {
  bool found = false;
  int low = 0, high = GetCount() - 1;
  while (low <= high) {
    int middle = (low + high) / 2;
    int c = CompareStrings(FList[middle].FString, s);
    if (c < 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
      if (c == 0) {
        found = true;
        if (FDuplicates != dupAccept) low = middle;
      }
    }
  }
  index = low;
  return found;
}

void TStringList::Sort() {
  CustomSort([](TStringList* list, int index1, int index2) {
    return list->CompareStrings(list->FList[index1].FString, list->FList[index2].FString);
  });
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (FSorted || GetCount() < 2) return;
  Changing();
  SortItems(compare);
  Changed();
}

void TStringList::SortItems(const TStringListSortCompare& compare) {
  // The comparer sees the list as it was, by the original indexes; the order is applied after.
  std::vector<int> order(FList.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return compare(this, a, b) < 0; });
  std::vector<TStringItem> sorted;
  sorted.reserve(FList.size());
  for (int i : order) sorted.push_back(std::move(FList[i]));
  FList.swap(sorted);
}

void TStringList::SetSorted(bool value) {
  if (value == FSorted) return;
  if (value) Sort();
  FSorted = value;
}

void TStringList::SetCaseSensitive(bool value) {
  if (value == FCaseSensitive) return;
  FCaseSensitive = value;
  if (FSorted) {
    FSorted = false;
    Sort();
    FSorted = true;
  }
}

void TStringList::SetCapacity(int value) {
  if (value < GetCount()) Error(u"List capacity out of bounds (%d)", value);
  FList.reserve(value);
}

String TStringList::Get(int index) const {
  CheckIndex(index);
  return FList[index].FString;
}

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return FList[index].FObject;
}

void TStringList::Put(int index, const String& s) {
  if (FSorted) SortedListError();
  CheckIndex(index);
  Changing();
  FList[index].FString = s;
  Changed();
}

void TStringList::PutObject(int index, TObject* object) {
  CheckIndex(index);
  Changing();
  FList[index].FObject = object;
  Changed();
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

int TStringList::CompareStrings(const String& s1, const String& s2) const {
  return FCaseSensitive ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}
