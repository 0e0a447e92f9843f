// TStrings: everything built on a descendant's storage.
#include "platform/rtl/StringList.h"

#include "platform/rtl/Format.h"
#include "platform/rtl/TextCompare.h"

void TStrings::Error(const String& message, int64_t data) const {
  throw EStringListError(Format(message, {data}));
}

int TStrings::Add(const String& s) {
  int index = GetCount();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const String& s, TObject* object) {
  int index = Add(s);
  PutObject(index, object);
  return index;
}

void TStrings::InsertObject(int index, const String& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

void TStrings::AddStrings(TStrings* strings) {
  if (!strings) return;
  // A list added to itself: take the snapshot first, it grows while we add.
  std::vector<std::pair<String, TObject*>> items;
  items.reserve(strings->Count());
  for (int i = 0; i < strings->Count(); ++i)
    items.emplace_back(strings->Get(i), strings->GetObject(i));
  WithinUpdate([&] {
    for (auto& [s, object] : items) AddObject(s, object);
  });
}

void TStrings::Assign(TPersistent* source) {
  auto* strings = dynamic_cast<TStrings*>(source);
  if (!strings) {
    TPersistent::Assign(source);
    return;
  }
  if (strings == this) return;
  WithinUpdate([&] {
    Clear();
    FDelimiter = strings->FDelimiter;
    FQuoteChar = strings->FQuoteChar;
    FNameValueSeparator = strings->FNameValueSeparator;
    FStrictDelimiter = strings->FStrictDelimiter;
    FLineBreak = strings->FLineBreak;
    AddStrings(strings);
  });
}

void TStrings::Exchange(int index1, int index2) {
  WithinUpdate([&] {
    String s1 = Get(index1);
    TObject* o1 = GetObject(index1);
    Put(index1, Get(index2));
    PutObject(index1, GetObject(index2));
    Put(index2, s1);
    PutObject(index2, o1);
  });
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  if (newIndex < 0 || newIndex >= GetCount()) Error(u"List index out of bounds (%d)", newIndex);
  WithinUpdate([&] {
    String s = Get(curIndex);
    TObject* object = GetObject(curIndex);
    // Detached first, so a list that owns its objects does not free it on the way.
    PutObject(curIndex, nullptr);
    Delete(curIndex);
    InsertObject(newIndex, s, object);
  });
}

int TStrings::IndexOf(const String& s) const {
  for (int i = 0; i < GetCount(); ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const String& name) const {
  for (int i = 0; i < GetCount(); ++i) {
    String s = Get(i);
    size_t at = s.find(FNameValueSeparator);
    if (at != String::npos && CompareStrings(s.substr(0, at), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(TObject* object) const {
  for (int i = 0; i < GetCount(); ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

bool TStrings::Equals(const TStrings* strings) const {
  if (!strings || strings->GetCount() != GetCount()) return false;
  for (int i = 0; i < GetCount(); ++i)
    if (Get(i) != strings->Get(i)) return false;
  return true;
}

void TStrings::WithinUpdate(const std::function<void()>& change) {
  BeginUpdate();
  try {
    change();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::BeginUpdate() {
  // The state changes while the count is still 0, so the list can still announce it.
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

String TStrings::Names(int index) const {
  String s = Get(index);
  size_t at = s.find(FNameValueSeparator);
  return at == String::npos ? String() : s.substr(0, at);
}

String TStrings::Values(const String& name) const { return ValueFromIndex(IndexOfName(name)); }

void TStrings::SetValues(const String& name, const String& value) {
  int index = IndexOfName(name);
  if (!value.empty()) {
    if (index < 0) index = Add(String());
    Put(index, name + FNameValueSeparator + value);
  } else if (index >= 0) {
    Delete(index);
  }
}

String TStrings::ValueFromIndex(int index) const {
  if (index < 0) return String();
  String s = Get(index);
  size_t at = s.find(FNameValueSeparator);
  return at == String::npos ? String() : s.substr(at + 1);
}

void TStrings::SetValueFromIndex(int index, const String& value) {
  if (!value.empty()) {
    if (index < 0) index = Add(String());
    Put(index, Names(index) + FNameValueSeparator + value);
  } else if (index >= 0) {
    Delete(index);
  }
}

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::Put(int index, const String& s) {
  TObject* object = GetObject(index);
  WithinUpdate([&] {
    PutObject(index, nullptr);
    Delete(index);
    InsertObject(index, s, object);
  });
}

void TStrings::PutObject(int, TObject*) {}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const String& s1, const String& s2) const {
  return AnsiCompareText(s1, s2);
}
