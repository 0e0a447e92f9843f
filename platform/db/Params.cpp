// TParam and TParams.
#include "platform/db/Params.h"

#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"
#include "platform/db/FieldDefs.h"
#include "platform/db/Fields.h"
#include "platform/db/FieldsText.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

TParam::TParam(TCollection* collection) : TCollectionItem(collection) {}

TParam::TParam(TParams* params, TParamType paramType) : TCollectionItem(params) {
  FParamType = paramType;
}

TParams* TParam::Params() const { return static_cast<TParams*>(Collection()); }

void TParam::Assign(TPersistent* source) {
  if (auto* param = dynamic_cast<TParam*>(source)) {
    AssignParam(param);
  } else if (auto* field = dynamic_cast<TField*>(source)) {
    AssignField(field);
  } else if (auto* strings = dynamic_cast<TStrings*>(source)) {
    SetAsMemo(strings->Text());
  } else {
    TCollectionItem::Assign(source);
  }
}

void TParam::AssignParam(TParam* param) {
  if (!param) return;
  FDataType = param->DataType();
  if (param->IsNull())
    Clear();
  else
    FData = param->Value();
  FBound = param->Bound();
  FName = param->Name();
  if (FParamType == ptUnknown) FParamType = param->ParamType();
  FSize = param->Size();
  FPrecision = param->Precision();
  FNumericScale = param->NumericScale();
}

void TParam::AssignField(TField* field) {
  if (!field) return;
  AssignFieldValue(field, field->Value());
  FName = field->FieldName();
}

void TParam::AssignFieldValue(TField* field, const Variant& value) {
  if (!field) return;
  TFieldType type = field->DataType();
  if (type == ftString && static_cast<TStringField*>(field)->FixedChar()) type = ftFixedChar;
  if (type == ftAutoInc) type = ftInteger;
  FDataType = type;
  FSize = field->DataSize();
  if (value.IsNull() || value.IsEmpty())
    Clear();
  else
    FData = value;
  FBound = true;
}

void TParam::AssignTo(TPersistent* dest) {
  if (auto* field = dynamic_cast<TField*>(dest)) {
    if (IsNull())
      field->Clear();
    else
      field->SetValue(GetAsVariant());
    return;
  }
  TCollectionItem::AssignTo(dest);
}

void TParam::Clear() {
  FData = Variant::Null();
  ValueChanged();
}

bool TParam::GetIsNull() { return FData.IsNull() || FData.IsEmpty(); }

void TParam::SetTypedValue(TFieldType type, const Variant& value) {
  FDataType = type;
  FData = value;
  FBound = true;
  ValueChanged();
}

Variant TParam::GetAsVariant() { return FData; }

void TParam::SetAsVariant(const Variant& value) {
  FBound = !value.IsEmpty();
  if (FDataType == ftUnknown) {
    switch (value.VarType()) {
      case varSmallint:
      case varShortInt:
      case varByte:
        FDataType = ftSmallint;
        break;
      case varWord:
      case varInteger:
        FDataType = ftInteger;
        break;
      case varCurrency:
        FDataType = ftBCD;
        break;
      case varLongWord:
      case varSingle:
      case varDouble:
        FDataType = ftFloat;
        break;
      case varDate:
        FDataType = ftDateTime;
        break;
      case varBoolean:
        FDataType = ftBoolean;
        break;
      case varString:
        FDataType = ftString;
        break;
      case varUString:
      case varOleStr:
        FDataType = ftWideString;
        break;
      case varInt64:
      case varUInt64:
        FDataType = ftLargeint;
        break;
      case varSQLTimeStamp:
        FDataType = ftTimeStamp;
        break;
      case varFMTBcd:
        FDataType = ftFMTBcd;
        break;
      default:
        if (value.VarType() == (varArray | varByte)) FDataType = ftVarBytes;
        break;
    }
  }
  FData = value.IsEmpty() ? Variant::Null() : value;
  ValueChanged();
}

String TParam::GetAsString() {
  if (GetIsNull()) return String();
  if (FDataType == ftBoolean) return FData.AsBoolean() ? STextTrue : STextFalse;
  return FData.AsString();
}

void TParam::SetAsString(const String& value) {
  SetTypedValue(FDataType == ftFixedChar ? ftFixedChar : ftString, Variant(value));
}

String TParam::GetAsWideString() { return GetAsString(); }

void TParam::SetAsWideString(const String& value) {
  SetTypedValue(FDataType == ftFixedWideChar ? ftFixedWideChar : ftWideString, Variant(value));
}

int32_t TParam::GetAsInteger() { return GetIsNull() ? 0 : FData.AsInteger(); }
void TParam::SetAsInteger(int32_t value) { SetTypedValue(ftInteger, Variant(value)); }
void TParam::SetAsSmallInt(int32_t value) {
  SetTypedValue(ftSmallint, Variant(static_cast<int16_t>(value)));
}
void TParam::SetAsWord(int32_t value) {
  SetTypedValue(ftWord, Variant(static_cast<uint16_t>(value)));
}
int64_t TParam::GetAsLargeInt() { return GetIsNull() ? 0 : FData.AsInt64(); }
void TParam::SetAsLargeInt(int64_t value) { SetTypedValue(ftLargeint, Variant(value)); }
double TParam::GetAsFloat() { return GetIsNull() ? 0.0 : FData.AsDouble(); }
void TParam::SetAsFloat(double value) { SetTypedValue(ftFloat, Variant(value)); }
Currency TParam::GetAsCurrency() { return GetIsNull() ? Currency() : FData.AsCurrency(); }
void TParam::SetAsCurrency(Currency value) { SetTypedValue(ftCurrency, Variant(value)); }
void TParam::SetAsBCD(Currency value) { SetTypedValue(ftBCD, Variant(value)); }
TBcd TParam::GetAsFMTBCD() { return GetIsNull() ? NullBcd : FData.AsBcd(); }
void TParam::SetAsFMTBCD(const TBcd& value) { SetTypedValue(ftFMTBcd, VarFMTBcdCreate(value)); }
bool TParam::GetAsBoolean() { return !GetIsNull() && FData.AsBoolean(); }
void TParam::SetAsBoolean(bool value) { SetTypedValue(ftBoolean, Variant(value)); }
TDateTime TParam::GetAsDateTime() { return GetIsNull() ? 0.0 : FData.AsDateTime(); }
void TParam::SetAsDateTime(TDateTime value) { SetTypedValue(ftDateTime, Variant::FromDate(value)); }
void TParam::SetAsDate(TDateTime value) { SetTypedValue(ftDate, Variant::FromDate(value)); }
void TParam::SetAsTime(TDateTime value) { SetTypedValue(ftTime, Variant::FromDate(value)); }
TSQLTimeStamp TParam::GetAsSQLTimeStamp() {
  return GetIsNull() ? TSQLTimeStamp{} : FData.AsSQLTimeStamp();
}
void TParam::SetAsSQLTimeStamp(const TSQLTimeStamp& value) {
  SetTypedValue(ftTimeStamp, VarSQLTimeStampCreate(value));
}
TBytes TParam::GetAsBytes() {
  if (GetIsNull()) return TBytes();
  if (FData.IsArray()) return FData.AsBytes();
  AnsiString text = UTF8Encode(FData.AsString());
  return TBytes(text.begin(), text.end());
}
void TParam::SetAsBytes(const TBytes& value) { SetTypedValue(ftVarBytes, Variant(value)); }
void TParam::SetAsBlob(const TBytes& value) { SetTypedValue(ftBlob, Variant(value)); }
void TParam::SetAsMemo(const String& value) { SetTypedValue(ftMemo, Variant(value)); }

void TParam::SetText(const String& value) {
  FData = Variant(value);
  FBound = true;
  ValueChanged();
}

void TParam::LoadFromStream(TStream* stream, TFieldType blobType) {
  TBytes bytes(static_cast<size_t>(stream->Size()));
  stream->SetPosition(0);
  if (!bytes.empty()) stream->ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  if (blobType == ftMemo || blobType == ftFmtMemo)
    SetAsMemo(UTF8ToString(std::string(bytes.begin(), bytes.end())));
  else
    SetTypedValue(blobType, Variant(bytes));
}

// ---- TParams.

TParams::TParams(TPersistent* owner)
    : TCollection(TCollectionItemClass::Of<TParam>()), FOwner(owner) {}

TParams::TParams(TPersistent* owner, TCollectionItemClass itemClass)
    : TCollection(std::move(itemClass)), FOwner(owner) {}

TParam* TParams::CreateParam(TFieldType fieldType, const String& paramName,
                             TParamType paramType) {
  TParam* param = AddParameter();
  param->SetName(paramName);
  param->SetDataType(fieldType);
  param->SetParamType(paramType);
  return param;
}

TParam* TParams::FindParam(const String& value) const {
  // The exact pass first, as for fields: the caseless comparison of the locale is the slow one.
  for (int i = 0; i < Count(); ++i) {
    if (Items(i)->Name() == value) return Items(i);
  }
  for (int i = 0; i < Count(); ++i) {
    if (AnsiSameText(Items(i)->Name(), value)) return Items(i);
  }
  return nullptr;
}

TParam* TParams::ParamByName(const String& value) const {
  TParam* param = FindParam(value);
  if (!param) DatabaseErrorFmt(SParameterNotFound, {value}, dynamic_cast<TComponent*>(FOwner));
  return param;
}

void TParams::GetParamList(std::vector<TParam*>& list, const String& paramNames) const {
  for (const String& name : SplitFieldNames(paramNames)) list.push_back(ParamByName(name));
}

Variant TParams::ParamValues(const String& paramNames) const {
  std::vector<TParam*> params;
  GetParamList(params, paramNames);
  if (params.size() == 1) return params[0]->Value();
  Variant values = VarArrayCreate({0, static_cast<int>(params.size()) - 1}, varVariant);
  for (size_t i = 0; i < params.size(); ++i)
    values.PutElement({static_cast<int>(i)}, params[i]->Value());
  return values;
}

void TParams::SetParamValues(const String& paramNames, const Variant& value) {
  std::vector<TParam*> params;
  GetParamList(params, paramNames);
  if (params.size() == 1 && !value.IsArray()) {
    params[0]->SetValue(value);
    return;
  }
  int low = value.LowBound(1);
  for (size_t i = 0; i < params.size(); ++i) params[i]->SetValue(value[low + static_cast<int>(i)]);
}

void TParams::AssignValues(TParams* value) {
  for (int i = 0; i < value->Count(); ++i) {
    if (TParam* param = FindParam(value->Items(i)->Name())) param->Assign(value->Items(i));
  }
}

bool TParams::IsEqual(TParams* value) const {
  if (Count() != value->Count()) return false;
  for (int i = 0; i < Count(); ++i) {
    TParam* a = Items(i);
    TParam* b = value->Items(i);
    if (a->Name() != b->Name() || a->DataType() != b->DataType() ||
        a->ParamType() != b->ParamType() || a->Bound() != b->Bound() ||
        !VarSameValue(a->Value(), b->Value()))
      return false;
  }
  return true;
}
