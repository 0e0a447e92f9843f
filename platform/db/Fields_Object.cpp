// TVariantField and the object fields.
#include <algorithm>

#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"
#include "platform/db/FieldsObject.h"

// ---- TVariantField.

TVariantField::TVariantField(TComponent* owner) : TField(owner) { SetDataType(ftVariant); }

int TVariantField::GetDataSize() const { return static_cast<int>(sizeof(Variant)); }

Variant TVariantField::GetAsVariant() {
  Variant value;
  return GetData(&value) ? value : Variant::Null();
}

void TVariantField::SetVarValue(const Variant& value) { SetData(&value); }

String TVariantField::GetAsString() { return VarToStr(GetAsVariant()); }

int32_t TVariantField::GetAsInteger() {
  Variant value = GetAsVariant();
  return value.IsNull() ? 0 : value.AsInteger();
}

int64_t TVariantField::GetAsLargeInt() {
  Variant value = GetAsVariant();
  return value.IsNull() ? 0 : value.AsInt64();
}

double TVariantField::GetAsFloat() {
  Variant value = GetAsVariant();
  return value.IsNull() ? 0.0 : value.AsDouble();
}

bool TVariantField::GetAsBoolean() {
  Variant value = GetAsVariant();
  return !value.IsNull() && value.AsBoolean();
}

TDateTime TVariantField::GetAsDateTime() {
  Variant value = GetAsVariant();
  return value.IsNull() ? 0.0 : value.AsDateTime();
}

Currency TVariantField::GetAsCurrency() {
  Variant value = GetAsVariant();
  return value.IsNull() ? Currency() : value.AsCurrency();
}

void TVariantField::SetAsString(const String& value) { SetAsVariant(Variant(value)); }
void TVariantField::SetAsInteger(int32_t value) { SetAsVariant(Variant(value)); }
void TVariantField::SetAsLargeInt(int64_t value) { SetAsVariant(Variant(value)); }
void TVariantField::SetAsFloat(double value) { SetAsVariant(Variant(value)); }
void TVariantField::SetAsBoolean(bool value) { SetAsVariant(Variant(value)); }
void TVariantField::SetAsDateTime(TDateTime value) { SetAsVariant(Variant::FromDate(value)); }
void TVariantField::SetAsCurrency(Currency value) { SetAsVariant(Variant(value)); }

// ---- TObjectField.

TObjectField::TObjectField(TComponent* owner)
    : TField(owner), FFields(std::make_unique<TFields>(nullptr)) {
  SetDataType(ftADT);
  // The dataset's list of every field by full name includes the children.
  FFields->OnChange = [this] {
    if (DataSet()) DataSet()->FieldList()->Invalidate();
  };
}

TObjectField::~TObjectField() {
  // The child fields go with their parent.
  FFields->Clear();
}

void TObjectField::SetDataSet(TDataSet* value) {
  TField::SetDataSet(value);
  FFields->SetDataSet(value);
}

bool TObjectField::GetIsNull() {
  for (TField* field : *FFields) {
    if (!field->IsNull()) return false;
  }
  return true;
}

Variant TObjectField::GetAsVariant() {
  if (IsNull()) return Variant::Null();
  int count = FFields->Count();
  Variant values = VarArrayCreate({0, count - 1}, varVariant);
  for (int i = 0; i < count; ++i) values.PutElement({i}, FFields->Fields(i)->Value());
  return values;
}

void TObjectField::SetVarValue(const Variant& value) {
  if (!value.IsArray()) DatabaseErrorFmt(SFieldValueError, {DisplayName()});
  int low = value.LowBound(1);
  int count = std::min(FFields->Count(), value.HighBound(1) - low + 1);
  for (int i = 0; i < count; ++i) FFields->Fields(i)->SetValue(value[low + i]);
}

String TObjectField::GetAsString() { return GetClassDesc(); }

TADTField::TADTField(TComponent* owner) : TObjectField(owner) { SetDataType(ftADT); }

TArrayField::TArrayField(TComponent* owner) : TObjectField(owner) { SetDataType(ftArray); }

TReferenceField::TReferenceField(TComponent* owner) : TObjectField(owner) {
  SetDataType(ftReference);
  SetSizeValue(8);
}

// ---- TDataSetField.

TDataSetField::TDataSetField(TComponent* owner) : TObjectField(owner) { SetDataType(ftDataSet); }

TDataSetField::~TDataSetField() {
  if (FNestedDataSet) FNestedDataSet->SetDataSetField(nullptr);
}

Variant TDataSetField::GetAsVariant() { return Variant::Null(); }

String TDataSetField::GetAsString() { return GetClassDesc(); }
