// TField: binding to a dataset, presentation properties, the typed accessors' defaults, text,
// validation and lookup.
#include "platform/db/Fields.h"

#include <cstring>

#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"
#include "platform/db/FieldDefs.h"
#include "platform/db/FieldsObject.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::~TField() {
  // A field that goes while its dataset is open takes the dataset's records with it.
  if (FDataSet && FDataSet->Active()) FDataSet->Close();
  if (FParentField)
    FParentField->Fields()->Remove(this);
  else if (FDataSet)
    FDataSet->Fields()->Remove(this);
}

void TField::BeforeDestruction() { TComponent::BeforeDestruction(); }

void TField::Assign(TPersistent* source) {
  if (!source) {
    Clear();
    return;
  }
  if (auto* field = dynamic_cast<TField*>(source)) {
    if (field->IsNull())
      Clear();
    else
      SetAsVariant(field->Value());
    return;
  }
  TComponent::Assign(source);
}

// ---- Binding.

void TField::SetDataSet(TDataSet* value) {
  if (value == FDataSet && !FParentField) return;
  if (FDataSet) FDataSet->CheckInactive();
  if (value) {
    value->CheckInactive();
    value->Fields()->CheckFieldName(FFieldName);
  }
  if (FParentField) {
    FParentField->Fields()->Remove(this);
    FParentField = nullptr;
  } else if (FDataSet) {
    FDataSet->Fields()->Remove(this);
  }
  if (value) value->Fields()->Add(this);
}

void TField::SetParentField(TObjectField* value) {
  if (value == FParentField) return;
  if (FDataSet) FDataSet->CheckInactive();
  if (value) {
    if (value->DataSet()) value->DataSet()->CheckInactive();
    value->Fields()->CheckFieldName(FFieldName);
  }
  if (FParentField)
    FParentField->Fields()->Remove(this);
  else if (FDataSet)
    FDataSet->Fields()->Remove(this);
  if (value) {
    value->Fields()->Add(this);
    FParentField = value;
  }
}

void TField::SetFieldName(const String& value) {
  if (value == FFieldName) return;
  if (!AnsiSameText(value, FFieldName)) {
    if (FParentField)
      FParentField->Fields()->CheckFieldName(value);
    else if (FDataSet)
      FDataSet->Fields()->CheckFieldName(value);
  }
  FFieldName = value;
  if (FDataSet) FDataSet->DataEvent(deFieldListChange, 0);
}

String TField::FullName() const {
  if (!FParentField) return FFieldName;
  return FParentField->FullName() + u"." + FFieldName;
}

void TField::SetFieldKind(TFieldKind value) {
  if (value == FFieldKind) return;
  CheckInactive();
  FFieldKind = value;
}

int TField::Index() const {
  if (FParentField) return FParentField->Fields()->IndexOf(this);
  if (FDataSet) return FDataSet->Fields()->IndexOf(this);
  return -1;
}

void TField::SetIndex(int value) {
  TFields* list = FParentField ? FParentField->Fields() : (FDataSet ? FDataSet->Fields() : nullptr);
  if (!list) return;
  list->SetFieldIndex(this, value);
  PropertyChanged(true);
}

void TField::SetSize(int value) {
  CheckInactive();
  CheckTypeSize(value);
  FSize = value;
}

void TField::SetPrecision(int value) { FPrecision = value; }

void TField::CheckTypeSize(int value) {
  if (value != 0) DatabaseError(SInvalidFieldSize);
}

void TField::CheckInactive() {
  if (FDataSet) FDataSet->CheckInactive();
}

void TField::SetDataType(TFieldType value) { FDataType = value; }

void TField::SetFieldType(TFieldType) {}

void TField::Bind(bool binding) {
  if (FFieldKind != fkLookup || !binding) return;
  if (!FLookupDataSet || FKeyFields.empty() || FLookupKeyFields.empty() ||
      FLookupResultField.empty())
    DatabaseErrorFmt(SLookupInfoError, {DisplayName()}, FDataSet);
  // The names must exist on both sides: a mistyped name fails at open, not on the first row.
  std::vector<TField*> fields;
  FDataSet->GetFieldList(fields, FKeyFields);
  FLookupDataSet->FieldByName(FLookupResultField);
  if (FLookupDataSet->Active()) FLookupDataSet->GetFieldList(fields, FLookupKeyFields);
  if (FLookupCache) RefreshLookupList();
}

void TField::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FLookupDataSet) FLookupDataSet = nullptr;
}

// ---- Presentation.

void TField::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  PropertyChanged(false);
}

void TField::SetDisplayLabel(const String& value) {
  String label = value == FFieldName ? String() : value;
  if (label == FDisplayLabel) return;
  FDisplayLabel = label;
  PropertyChanged(true);
}

void TField::SetDisplayWidth(int value) {
  if (value == FDisplayWidth) return;
  FDisplayWidth = value;
  PropertyChanged(true);
}

void TField::SetEditMask(const String& value) {
  FEditMask = value;
  PropertyChanged(false);
}

void TField::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  PropertyChanged(true);
}

void TField::SetReadOnly(bool value) {
  if (value == FReadOnly) return;
  FReadOnly = value;
  PropertyChanged(true);
}

bool TField::HasConstraints() const {
  return !FCustomConstraint.empty() || !FImportedConstraint.empty();
}

bool TField::IsValidChar(char16_t) { return true; }

void TField::PropertyChanged(bool layoutAffected) {
  if (FDataSet && FDataSet->Active())
    FDataSet->DataEvent(layoutAffected ? deLayoutChange : deDataSetChange, 0);
}

String TField::DisplayText() {
  String text;
  if (OnGetText)
    OnGetText(this, text, true);
  else
    GetText(text, true);
  return text;
}

String TField::Text() {
  String text;
  if (OnGetText)
    OnGetText(this, text, false);
  else
    GetText(text, false);
  return text;
}

void TField::SetText(const String& value) {
  if (OnSetText)
    OnSetText(this, value);
  else
    SetTextValue(value);
}

void TField::GetText(String& text, bool) { text = GetAsString(); }

void TField::SetTextValue(const String& value) { SetAsString(value); }

String TField::GetClassDesc() {
  String name = ClassName();
  size_t start = !name.empty() && name[0] == u'T' ? 1 : 0;
  size_t end = name.size();
  if (end - start >= 5 && SameText(std::u16string_view(name).substr(end - 5), u"FIELD")) end -= 5;
  String desc(1, u'(');
  desc.append(name, start, end - start);
  desc += u')';
  return IsNull() ? desc : AnsiUpperCase(desc);
}

// ---- Values.

bool TField::GetData(void* buffer, bool nativeFormat) {
  if (!FDataSet) DatabaseErrorFmt(SDataSetMissing, {DisplayName()});
  if (FValidating) {
    // Inside OnValidate the field reads the value being validated.
    if (!FValueBuffer) return false;
    if (buffer) {
      if (FDataType == ftVariant)
        *static_cast<Variant*>(buffer) = *static_cast<const Variant*>(FValueBuffer);
      else if (nativeFormat)
        std::memcpy(buffer, FValueBuffer, GetDataSize());
      else
        FDataSet->DataConvert(this, FValueBuffer, buffer, false);
    }
    return true;
  }
  return FDataSet->GetFieldData(this, buffer, nativeFormat);
}

void TField::SetData(const void* buffer, bool nativeFormat) {
  if (!FDataSet) DatabaseErrorFmt(SDataSetMissing, {DisplayName()});
  FDataSet->SetFieldData(this, buffer, nativeFormat);
}

void TField::Validate(const void* buffer) {
  if (!OnValidate) return;
  FValueBuffer = buffer;
  FValidating = true;
  try {
    OnValidate(this);
  } catch (...) {
    FValidating = false;
    FValueBuffer = nullptr;
    throw;
  }
  FValidating = false;
  FValueBuffer = nullptr;
}

bool TField::GetIsNull() { return !GetData(nullptr); }

bool TField::GetCanModify() {
  if (!FDataSet || FFieldNo <= 0) return false;
  if (FDataSet->State() == dsSetKey) return FIsIndexField;
  return !FReadOnly && FDataSet->CanModify();
}

void TField::Clear() { SetData(nullptr); }

void TField::Change() {
  if (OnChange) OnChange(this);
}

void TField::DataChanged() { FDataSet->DataEvent(deFieldChange, reinterpret_cast<intptr_t>(this)); }

void TField::FocusControl() {
  if (!FDataSet || !FDataSet->Active()) return;
  TField* field = this;
  FDataSet->DataEvent(deFocusControl, reinterpret_cast<intptr_t>(&field));
}

void TField::AccessError(const String& typeName) {
  DatabaseErrorFmt(SFieldAccessError, {DisplayName(), typeName});
}

void TField::RangeError(double value, double minValue, double maxValue) {
  DatabaseErrorFmt(SFieldRangeError, {value, DisplayName(), minValue, maxValue});
}

// The typed accessors a class does not support.
String TField::GetAsString() { return GetClassDesc(); }
String TField::GetAsWideString() { return GetAsString(); }
AnsiString TField::GetAsAnsiString() { return UTF8Encode(GetAsString()); }
int32_t TField::GetAsInteger() { AccessError(u"Integer"); }
int64_t TField::GetAsLargeInt() { AccessError(u"LargeInt"); }
double TField::GetAsFloat() { AccessError(u"Float"); }
Currency TField::GetAsCurrency() { return Currency::FromDouble(GetAsFloat()); }
TBcd TField::GetAsBCD() { AccessError(u"BCD"); }
TDateTime TField::GetAsDateTime() { AccessError(u"DateTime"); }
bool TField::GetAsBoolean() { AccessError(u"Boolean"); }
TBytes TField::GetAsBytes() { AccessError(u"Bytes"); }
Variant TField::GetAsVariant() { AccessError(u"Variant"); }

void TField::SetAsString(const String&) { AccessError(u"String"); }
void TField::SetAsWideString(const String& value) { SetAsString(value); }
void TField::SetAsAnsiString(const AnsiString& value) { SetAsString(UTF8ToString(value)); }
void TField::SetAsInteger(int32_t) { AccessError(u"Integer"); }
void TField::SetAsLargeInt(int64_t) { AccessError(u"LargeInt"); }
void TField::SetAsFloat(double) { AccessError(u"Float"); }
void TField::SetAsCurrency(Currency value) { SetAsFloat(value.ToDouble()); }
void TField::SetAsBCD(const TBcd&) { AccessError(u"BCD"); }
void TField::SetAsDateTime(TDateTime) { AccessError(u"DateTime"); }
void TField::SetAsBoolean(bool) { AccessError(u"Boolean"); }
void TField::SetAsBytes(const TBytes&) { AccessError(u"Bytes"); }

void TField::SetAsVariant(const Variant& value) {
  if (value.IsNull() || value.IsEmpty())
    Clear();
  else
    SetVarValue(value);
}

void TField::SetVarValue(const Variant&) { AccessError(u"Variant"); }

void TField::AssignValue(const Variant& value) {
  switch (value.VarType()) {
    case varEmpty:
    case varNull:
      Clear();
      break;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
      SetAsInteger(value.AsInteger());
      break;
    case varLongWord:
    case varInt64:
    case varUInt64:
      SetAsLargeInt(value.AsInt64());
      break;
    case varSingle:
    case varDouble:
      SetAsFloat(value.AsDouble());
      break;
    case varCurrency:
      SetAsCurrency(value.AsCurrency());
      break;
    case varDate:
      SetAsDateTime(value.AsDateTime());
      break;
    case varBoolean:
      SetAsBoolean(value.AsBoolean());
      break;
    case varString:
    case varUString:
    case varOleStr:
      SetAsString(value.AsString());
      break;
    case varFMTBcd:
      SetAsBCD(value.AsBcd());
      break;
    default:
      if (value.VarType() == (varArray | varByte))
        SetAsBytes(value.AsBytes());
      else
        SetAsVariant(value);
      break;
  }
}

Variant TField::OldValue() { return FDataSet->GetStateFieldValue(dsOldValue, this); }
Variant TField::NewValue() { return FDataSet->GetStateFieldValue(dsNewValue, this); }
Variant TField::CurValue() { return FDataSet->GetStateFieldValue(dsCurValue, this); }
void TField::SetNewValue(const Variant& value) {
  FDataSet->SetStateFieldValue(dsNewValue, this, value);
}

// ---- Lookup.

void TField::SetKeyFields(const String& value) {
  CheckInactive();
  FKeyFields = value;
}

void TField::SetLookupDataSet(TDataSet* value) {
  CheckInactive();
  if (value == FLookupDataSet) return;
  if (value == FDataSet && value) DatabaseError(SCircularDataLink, this);
  if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
  FLookupDataSet = value;
  if (value) value->FreeNotification(this);
}

void TField::SetLookupKeyFields(const String& value) {
  CheckInactive();
  FLookupKeyFields = value;
}

void TField::SetLookupResultField(const String& value) {
  CheckInactive();
  FLookupResultField = value;
}

void TField::SetLookupCache(bool value) {
  if (value == FLookupCache) return;
  FLookupCache = value;
  if (value) {
    if (!FLookupList) FLookupList = std::make_unique<TLookupList>();
    if (FDataSet && FDataSet->Active()) RefreshLookupList();
  } else {
    FLookupList.reset();
  }
}

void TField::RefreshLookupList() {
  if (!FLookupList) FLookupList = std::make_unique<TLookupList>();
  FLookupList->Clear();
  if (!FLookupDataSet || !FLookupDataSet->Active()) return;
  TDataSet* lookup = FLookupDataSet;
  lookup->DisableControls();
  TBookmark position;
  try {
    position = lookup->GetBookmark();
    lookup->First();
    while (!lookup->Eof()) {
      FLookupList->Add(lookup->FieldValues(FLookupKeyFields),
                       lookup->FieldValues(FLookupResultField));
      lookup->Next();
    }
    lookup->GotoBookmark(position);
  } catch (...) {
    lookup->EnableControls();
    throw;
  }
  lookup->EnableControls();
}

void TField::CalcLookupValue() {
  if (FLookupCache && FLookupList) {
    SetAsVariant(FLookupList->ValueOfKey(FDataSet->FieldValues(FKeyFields)));
  } else if (FLookupDataSet && FLookupDataSet->Active()) {
    SetAsVariant(FLookupDataSet->Lookup(FLookupKeyFields, FDataSet->FieldValues(FKeyFields),
                                        FLookupResultField));
  }
}
