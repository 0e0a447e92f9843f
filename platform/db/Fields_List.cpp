// TFields, TFieldList and TLookupList.
#include <algorithm>
#include <cstring>

#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/db/FieldsObject.h"
#include "platform/rtl/TextCompare.h"

namespace {

// Variants as keys: arrays (several key fields) compare element by element; Null matches nothing.
bool SameKey(const Variant& a, const Variant& b) {
  if (a.IsArray() || b.IsArray()) {
    if (!a.IsArray() || !b.IsArray()) return false;
    int low = a.LowBound(1), high = a.HighBound(1);
    if (b.LowBound(1) != low || b.HighBound(1) != high) return false;
    for (int i = low; i <= high; ++i) {
      if (!SameKey(a[i], b[i])) return false;
    }
    return true;
  }
  if (a.IsNull() || b.IsNull()) return false;
  return VarSameValue(a, b);
}

}  // namespace

void TLookupList::Add(const Variant& key, const Variant& value) {
  FItems.emplace_back(key, value);
}

Variant TLookupList::ValueOfKey(const Variant& key) const {
  if (key.IsNull() || key.IsEmpty()) return Variant::Null();
  for (const auto& [itemKey, value] : FItems) {
    if (SameKey(itemKey, key)) return value;
  }
  return Variant::Null();
}

// ---- TFields.

TFields::~TFields() {
  for (TField* field : FList) {
    field->FDataSet = nullptr;
    field->FParentField = nullptr;
  }
}

TField* TFields::Fields(int index) const {
  if (index < 0 || index >= Count()) DatabaseError(SFieldIndexError, FDataSet);
  return FList[index];
}

TField* TFields::FindField(std::u16string_view fieldName) const {
  // Names are nearly always asked for as they are spelt: the exact pass spares the locale's
  // caseless comparison, which costs far more, on every field of the list. Its length and first
  // unit turn away most other names before their texts are compared.
  const size_t length = fieldName.size();
  const char16_t first = length > 0 ? fieldName[0] : u'\0';
  for (TField* field : FList) {
    const String& name = field->FieldName();
    if (name.size() == length && (length == 0 || name[0] == first) &&
        std::memcmp(name.data(), fieldName.data(), length * sizeof(char16_t)) == 0)
      return field;
  }
  for (TField* field : FList) {
    if (AnsiSameText(field->FieldName(), fieldName)) return field;
  }
  return nullptr;
}

TField* TFields::FieldByName(std::u16string_view fieldName) const {
  TField* field = FindField(fieldName);
  if (!field) DatabaseErrorFmt(SFieldNotFound, {String(fieldName)}, FDataSet);
  return field;
}

TField* TFields::FieldByNumber(int fieldNo) const {
  for (TField* field : FList) {
    if (field->FieldNo() == fieldNo) return field;
  }
  return nullptr;
}

int TFields::IndexOf(const TField* field) const {
  auto it = std::find(FList.begin(), FList.end(), field);
  return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void TFields::CheckFieldName(const String& fieldName) const {
  if (fieldName.empty()) DatabaseError(SFieldNameMissing, FDataSet);
  if (FindField(fieldName)) DatabaseErrorFmt(SDuplicateFieldName, {fieldName}, FDataSet);
}

void TFields::Add(TField* field) {
  FList.push_back(field);
  field->FDataSet = FDataSet;
  if (OnChange) OnChange();
}

void TFields::Remove(TField* field) {
  auto it = std::find(FList.begin(), FList.end(), field);
  if (it == FList.end()) return;
  FList.erase(it);
  field->FDataSet = nullptr;
  field->FParentField = nullptr;
  if (OnChange) OnChange();
}

void TFields::Clear() {
  while (!FList.empty()) {
    TField* field = FList.back();
    FList.pop_back();
    // Detached first, so that the field's destructor neither closes nor searches the dataset.
    field->FDataSet = nullptr;
    field->FParentField = nullptr;
    field->Free();
  }
  if (OnChange) OnChange();
}

void TFields::SetDataSet(TDataSet* dataSet) {
  FDataSet = dataSet;
  for (TField* field : FList) {
    field->FDataSet = dataSet;
    if (auto* object = dynamic_cast<TObjectField*>(field)) object->Fields()->SetDataSet(dataSet);
  }
}

void TFields::SetFieldIndex(TField* field, int value) {
  int current = IndexOf(field);
  if (current < 0) return;
  value = std::clamp(value, 0, Count() - 1);
  if (value == current) return;
  FList.erase(FList.begin() + current);
  FList.insert(FList.begin() + value, field);
  if (OnChange) OnChange();
}

// ---- TFieldList.

void TFieldList::Update() {
  FList.clear();
  auto add = [this](auto& self, const TFields* fields) -> void {
    for (TField* field : *fields) {
      FList.push_back(field);
      if (auto* object = dynamic_cast<TObjectField*>(field)) self(self, object->Fields());
    }
  };
  add(add, FDataSet->Fields());
  FUpdated = true;
}

int TFieldList::Count() {
  if (!FUpdated) Update();
  return static_cast<int>(FList.size());
}

TField* TFieldList::Fields(int index) {
  if (!FUpdated) Update();
  if (index < 0 || index >= static_cast<int>(FList.size()))
    DatabaseError(SFieldIndexError, FDataSet);
  return FList[index];
}

TField* TFieldList::Find(const String& fullName) {
  if (!FUpdated) Update();
  for (TField* field : FList) {
    if (AnsiSameText(field->FullName(), fullName)) return field;
  }
  return nullptr;
}

TField* TFieldList::FieldByName(const String& fullName) {
  TField* field = Find(fullName);
  if (!field) DatabaseErrorFmt(SFieldNotFound, {fullName}, FDataSet);
  return field;
}
