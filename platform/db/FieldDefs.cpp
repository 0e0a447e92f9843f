// Field definitions and index definitions.
#include "platform/db/FieldDefs.h"

#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"
#include "platform/db/FieldsNumeric.h"
#include "platform/db/FieldsObject.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"

std::vector<String> SplitFieldNames(const String& names) {
  std::vector<String> result;
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(u';', start);
    if (end == String::npos) end = names.size();
    String name = Trim(names.substr(start, end - start));
    if (!name.empty()) result.push_back(std::move(name));
    start = end + 1;
  }
  return result;
}

// ---- TNamedItem.

void TNamedItem::SetName(const String& value) {
  if (value == FName) return;
  if (!value.empty() && Collection()) {
    for (int i = 0; i < Collection()->Count(); ++i) {
      auto* item = static_cast<TNamedItem*>(Collection()->Items(i));
      if (item != this && AnsiSameText(item->FName, value))
        DatabaseErrorFmt(SDuplicateName, {value, Collection()->ClassName()});
    }
  }
  FName = value;
  Changed(false);
}

// ---- TFieldDef.

TFieldDef::TFieldDef(TCollection* collection) : TNamedItem(collection) {}

TFieldDef::TFieldDef(TFieldDefs* owner, const String& name, TFieldType dataType, int size,
                     bool required, int fieldNo)
    : TNamedItem(owner) {
  SetName(name);
  FDataType = dataType;
  FSize = size;
  FFieldNo = fieldNo;
  if (required) FAttributes.Include(faRequired);
}

TFieldDef::~TFieldDef() = default;

void TFieldDef::Assign(TPersistent* source) {
  auto* def = dynamic_cast<TFieldDef*>(source);
  if (!def) {
    TNamedItem::Assign(source);
    return;
  }
  if (Collection()) Collection()->BeginUpdate();
  SetName(def->Name());
  FDataType = def->FDataType;
  FSize = def->FSize;
  FPrecision = def->FPrecision;
  FAttributes = def->FAttributes;
  FInternalCalcField = def->FInternalCalcField;
  if (def->HasChildDefs())
    ChildDefs()->Assign(def->ChildDefs());
  else if (FChildDefs)
    FChildDefs->Clear();
  if (Collection()) Collection()->EndUpdate();
}

void TFieldDef::SetDataType(TFieldType value) {
  FDataType = value;
  Changed(false);
}

void TFieldDef::SetSize(int value) {
  FSize = value;
  Changed(false);
}

void TFieldDef::SetPrecision(int value) {
  FPrecision = value;
  Changed(false);
}

void TFieldDef::SetAttributes(TFieldAttributes value) {
  FAttributes = value;
  Changed(false);
}

void TFieldDef::SetRequired(bool value) {
  if (value)
    FAttributes.Include(faRequired);
  else
    FAttributes.Exclude(faRequired);
  Changed(false);
}

int TFieldDef::FieldNo() const { return FFieldNo > 0 ? FFieldNo : Index() + 1; }

TFieldDefs* TFieldDef::ChildDefs() {
  if (!FChildDefs) FChildDefs = std::make_unique<TFieldDefs>(this);
  return FChildDefs.get();
}

bool TFieldDef::HasChildDefs() const { return FChildDefs && FChildDefs->Count() > 0; }

TFieldDefs* TFieldDef::Owner() const { return static_cast<TFieldDefs*>(Collection()); }

TFieldDef* TFieldDef::ParentDef() const { return Owner() ? Owner()->ParentDef() : nullptr; }

TDataSet* TFieldDef::DataSet() const { return Owner() ? Owner()->DataSet() : nullptr; }

String TFieldDef::FullName() const {
  TFieldDef* parent = ParentDef();
  return parent ? parent->FullName() + u"." + Name() : Name();
}

TFieldClass TFieldDef::FieldClass() const {
  TDataSet* dataSet = DataSet();
  return dataSet ? dataSet->GetFieldClass(FDataType) : DefaultFieldClass(FDataType);
}

TField* TFieldDef::CreateField(TComponent* owner, TObjectField* parentField,
                               const String& fieldName, bool createChildren) {
  TFieldClass fieldClass = FieldClass();
  if (!fieldClass) DatabaseErrorFmt(SUnknownFieldType, {Name()});
  TField* field = fieldClass(owner);
  try {
    field->SetSize(FSize);
    field->SetFieldName(fieldName.empty() ? Name() : fieldName);
    field->SetRequired(FAttributes.Contains(faRequired));
    // A class that is read-only by nature (auto-increment) stays so.
    field->SetReadOnly(field->ReadOnly() || FAttributes.Contains(faReadonly));
    field->SetFieldType(FDataType);
    if (FDataType == ftBCD || FDataType == ftFMTBcd) field->SetPrecisionValue(FPrecision);
    if (FInternalCalcField) field->SetFieldKind(fkInternalCalc);
    if (parentField)
      field->SetParentField(parentField);
    else
      field->SetDataSet(DataSet());
    if (auto* object = dynamic_cast<TObjectField*>(field); object && createChildren &&
                                                            HasChildDefs()) {
      for (int i = 0; i < FChildDefs->Count(); ++i)
        FChildDefs->Items(i)->CreateField(owner, object, String(), true);
    }
  } catch (...) {
    field->Free();
    throw;
  }
  return field;
}

// ---- TFieldDefs.

TFieldDefs::TFieldDefs(TDataSet* dataSet)
    : TOwnedCollection(dataSet, TCollectionItemClass::Of<TFieldDef>()), FDataSet(dataSet) {}

TFieldDefs::TFieldDefs(TFieldDef* parentDef)
    : TOwnedCollection(parentDef, TCollectionItemClass::Of<TFieldDef>()),
      FDataSet(parentDef->DataSet()),
      FParentDef(parentDef) {}

void TFieldDefs::Add(const String& name, TFieldType dataType, int size, bool required) {
  if (name.empty()) DatabaseError(SFieldNameMissing, FDataSet);
  BeginUpdate();
  try {
    TFieldDef* def = AddFieldDef();
    def->SetName(name);
    def->SetDataType(dataType);
    def->SetSize(size);
    def->SetRequired(required);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TFieldDef* TFieldDefs::Find(const String& name) const {
  int index = IndexOf(name);
  return index < 0 ? nullptr : Items(index);
}

int TFieldDefs::IndexOf(const String& name) const {
  for (int i = 0; i < Count(); ++i) {
    if (AnsiSameText(Items(i)->Name(), name)) return i;
  }
  return -1;
}

void TFieldDefs::Update() {
  if (FDataSet && !FUpdated) FDataSet->InitFieldDefs();
}

void TFieldDefs::Update(TCollectionItem* item) {
  TOwnedCollection::Update(item);
  if (FDataSet) FDataSet->FFieldDefList->Invalidate();
}

void TFieldDefs::Notify(TCollectionItem* item, TCollectionNotification action) {
  TOwnedCollection::Notify(item, action);
  if (FDataSet) FDataSet->FFieldDefList->Invalidate();
}

// ---- TFieldDefList.

void TFieldDefList::Update() {
  FList.clear();
  auto add = [this](auto& self, TFieldDefs* defs, const String& prefix) -> void {
    for (int i = 0; i < defs->Count(); ++i) {
      TFieldDef* def = defs->Items(i);
      String name = prefix.empty() ? def->Name() : prefix + u"." + def->Name();
      FList.emplace_back(name, def);
      if (def->HasChildDefs()) self(self, def->ChildDefs(), name);
    }
  };
  add(add, FDataSet->FieldDefs(), String());
  FUpdated = true;
}

int TFieldDefList::Count() {
  if (!FUpdated) Update();
  return static_cast<int>(FList.size());
}

TFieldDef* TFieldDefList::FieldDefs(int index) {
  if (!FUpdated) Update();
  if (index < 0 || index >= static_cast<int>(FList.size()))
    DatabaseError(SFieldIndexError, FDataSet);
  return FList[index].second;
}

TFieldDef* TFieldDefList::Find(const String& fullName) {
  if (!FUpdated) Update();
  for (const auto& [name, def] : FList) {
    if (AnsiSameText(name, fullName)) return def;
  }
  return nullptr;
}

TFieldDef* TFieldDefList::FieldByName(const String& fullName) {
  TFieldDef* def = Find(fullName);
  if (!def) DatabaseErrorFmt(SFieldNotFound, {fullName}, FDataSet);
  return def;
}

// ---- Index definitions.

TIndexDef::TIndexDef(TIndexDefs* owner, const String& name, const String& fields,
                     TIndexOptions options)
    : TNamedItem(owner), FFields(fields), FOptions(options) {
  SetName(name);
}

void TIndexDef::Assign(TPersistent* source) {
  auto* def = dynamic_cast<TIndexDef*>(source);
  if (!def) {
    TNamedItem::Assign(source);
    return;
  }
  SetName(def->Name());
  FFields = def->FFields;
  FDescFields = def->FDescFields;
  FCaseInsFields = def->FCaseInsFields;
  FExpression = def->FExpression;
  FSource = def->FSource;
  FOptions = def->FOptions;
  FGroupingLevel = def->FGroupingLevel;
}

TIndexDefs::TIndexDefs(TDataSet* dataSet)
    : TOwnedCollection(dataSet, TCollectionItemClass::Of<TIndexDef>()), FDataSet(dataSet) {}

void TIndexDefs::Add(const String& name, const String& fields, TIndexOptions options) {
  TIndexDef* def = AddIndexDef();
  try {
    def->SetName(name);
  } catch (...) {
    delete def;
    throw;
  }
  def->SetFields(fields);
  def->SetOptions(options);
}

TIndexDef* TIndexDefs::Find(const String& name) const {
  int index = IndexOf(name);
  if (index < 0) DatabaseErrorFmt(SIndexNotFound, {name}, FDataSet);
  return Items(index);
}

int TIndexDefs::IndexOf(const String& name) const {
  for (int i = 0; i < Count(); ++i) {
    if (AnsiSameText(Items(i)->Name(), name)) return i;
  }
  return -1;
}

namespace {

// Whether the index's key starts with the given fields.
bool KeyStartsWith(const TIndexDef* def, const std::vector<String>& fields) {
  std::vector<String> key = SplitFieldNames(def->Fields());
  if (fields.empty() || key.size() < fields.size()) return false;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (!AnsiSameText(key[i], fields[i])) return false;
  }
  return true;
}

}  // namespace

TIndexDef* TIndexDefs::FindIndexForFields(const String& fields) const {
  std::vector<String> wanted = SplitFieldNames(fields);
  for (int i = 0; i < Count(); ++i) {
    if (!Items(i)->Options().Contains(ixExpression) && KeyStartsWith(Items(i), wanted))
      return Items(i);
  }
  return nullptr;
}

TIndexDef* TIndexDefs::GetIndexForFields(const String& fields, bool caseInsensitive) const {
  std::vector<String> wanted = SplitFieldNames(fields);
  for (int i = 0; i < Count(); ++i) {
    TIndexDef* def = Items(i);
    if (def->Options().Contains(ixExpression)) continue;
    if (def->Options().Contains(ixCaseInsensitive) != caseInsensitive) continue;
    if (KeyStartsWith(def, wanted)) return def;
  }
  DatabaseErrorFmt(SNoIndexForFields, {fields}, FDataSet);
}
