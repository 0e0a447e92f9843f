// Parameters whose blob and memo values live in shared record-store blobs.
#include "Common/DBAccess_Params.h"

#include "Common/DBAccess_HotCast.h"
#include "platform/db/Fields.h"
#include "platform/db/FieldsText.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/UnicodeText.h"

TDAParam::TDAParam(TCollection* collection) : TParam(collection) { SetBound(true); }

TDAParam::~TDAParam() { FreeParamObject(); }

TBlob* TDAParam::Blob() const {
  auto* blob = HotCast<TBlob>(FParamObject);
  RTL_ASSERT(blob != nullptr, u"DBAccess: parameter object is not a blob");
  return blob;
}

void TDAParam::CreateParamObject() {
  RTL_ASSERT(FParamObject == nullptr, u"DBAccess: parameter object exists");
  if (IsBlobDataType(DataType())) FParamObject = new TBlob(false);
}

void TDAParam::FreeParamObject() {
  TSharedObject::Release(FParamObject);
  FParamObject = nullptr;
}

void TDAParam::SetParamObject(TSharedObject* object) {
  if (object) object->AddRef();
  FreeParamObject();
  FParamObject = object;
  // Marks the platform value as set so that the parameter is not taken for an empty one.
  if (object) TParam::SetTypedValue(DataType(), Variant(u"Object"));
}

void TDAParam::SetDataType(TFieldType value) {
  if (value == DataType()) return;
  if (IsSharedObject()) FreeParamObject();
  TParam::SetDataType(value);
  FSubDataType = 0;
  if (IsSharedObject()) CreateParamObject();
}

Variant TDAParam::GetAsVariant() {
  if (IsSharedObject() && FParamObject) return Variant(Blob()->GetAsAnsiString());
  return TParam::GetAsVariant();
}

void TDAParam::SetAsVariant(const Variant& value) {
  if (IsSharedObject() && FParamObject) {
    if (value.VarType() == (varArray | varByte))
      Blob()->SetAsBytes(value.AsBytes());
    else
      Blob()->SetAsAnsiString(UTF8Encode(VarToStr(value)));
    ValueChanged();
  } else if (DataType() != ftUnknown && !value.IsEmpty()) {
    // The type is known and the value is one: it is kept as it comes, with a single copy
    // (the general path infers a type and maps Empty to Null first).
    SetTypedValue(DataType(), value);
  } else {
    TParam::SetAsVariant(value);
  }
  SetBound(true);
}

void TDAParam::ValueChanged() { Changed(false); }

bool TDAParam::GetIsNull() {
  if (IsSharedObject() && FParamObject) return Blob()->GetSize() == 0;
  return TParam::GetIsNull();
}

void TDAParam::Clear() {
  if (IsSharedObject() && FParamObject) {
    Blob()->Clear();
    ValueChanged();
    return;
  }
  TParam::Clear();
}

// A date or date-time reads as the date alone, in the short date format.
String TDAParam::GetAsString() {
  if (GetIsNull()) return String();
  if (IsSharedObject() && FParamObject) return UTF8ToString(Blob()->GetAsAnsiString());
  if (DataType() == ftDate || DataType() == ftDateTime) return DateToStr(GetAsDateTime());
  return TParam::GetAsString();
}

void TDAParam::SetAsString(const String& value) {
  if (IsSharedObject() && FParamObject) {
    if (Blob()->IsUnicode())
      Blob()->SetAsWideString(value);
    else
      Blob()->SetAsAnsiString(UTF8Encode(value));
    SetBound(true);
    ValueChanged();
    return;
  }
  if (DataType() == ftWideString || DataType() == ftFixedWideChar) {
    SetAsWideString(value);
    return;
  }
  TParam::SetAsString(value);
}

String TDAParam::GetAsWideString() {
  if (GetIsNull()) return String();
  if (IsSharedObject() && FParamObject) return Blob()->GetAsWideString();
  return TParam::GetAsWideString();
}

void TDAParam::SetAsWideString(const String& value) {
  if (IsSharedObject() && FParamObject) {
    Blob()->SetAsWideString(value);
    SetBound(true);
    ValueChanged();
    return;
  }
  TParam::SetAsWideString(value);
}

int64_t TDAParam::GetAsLargeInt() {
  if (GetIsNull()) return 0;
  return TParam::GetAsLargeInt();
}

void TDAParam::SetAsLargeInt(int64_t value) {
  SetDataType(ftLargeint);
  TParam::SetAsLargeInt(value);
}

void TDAParam::SetAsBlob(const TBytes& value) {
  SetDataType(ftBlob);
  Blob()->SetAsBytes(value);
  SetBound(true);
  ValueChanged();
}

void TDAParam::SetAsMemo(const String& value) {
  SetDataType(ftMemo);
  RTL_ASSERT(FParamObject != nullptr, u"DBAccess: memo parameter without object");
  SetAsString(value);
}

void TDAParam::SetText(const String& value) {
  if (IsSharedObject() && FParamObject) {
    SetAsString(value);
    return;
  }
  TParam::SetText(value);
}

TBlob* TDAParam::AsBlobRef() {
  if (DataType() == ftUnknown) SetDataType(ftBlob);
  return IsSharedObject() ? Blob() : nullptr;
}

TBlob* TDAParam::AsMemoRef() {
  if (DataType() == ftUnknown) SetDataType(ftMemo);
  return IsSharedObject() ? Blob() : nullptr;
}

// The type is set on the platform part directly so that no blob of our own is made first.
void TDAParam::SetAsBlobRef(TBlob* blob) {
  FreeParamObject();
  TParam::SetDataType(ftBlob);
  SetParamObject(blob);
}

void TDAParam::SetAsMemoRef(TBlob* blob) {
  FreeParamObject();
  TParam::SetDataType(ftMemo);
  SetParamObject(blob);
}

void TDAParam::AssignFieldValue(TField* field, const Variant& value) {
  TFieldType type = field->DataType();
  // A fixed-length text goes to the server as one: its trailing blanks belong to the value.
  if (auto* text = dynamic_cast<TStringField*>(field); text && text->FixedChar())
    type = ftFixedChar;
  if (auto* wide = dynamic_cast<TWideStringField*>(field); wide && wide->FixedChar())
    type = ftFixedWideChar;
  if (type == ftMemo && field->Size() > 255) type = ftString;
  SetDataType(type);
  if (VarIsNull(value))
    Clear();
  else
    SetAsVariant(value);
}

void TDAParam::LoadFromStream(TStream* stream, TFieldType blobType) {
  if (!IsBlobDataType(blobType)) throw Exception(SDataTypeNotSupported);
  SetDataType(blobType);
  stream->SetPosition(0);
  TBytes bytes(static_cast<size_t>(stream->Size()));
  if (!bytes.empty()) stream->ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  Blob()->SetAsBytes(bytes);
  SetBound(true);
  ValueChanged();
}

void TDAParam::Assign(TPersistent* source) {
  auto* param = dynamic_cast<TParam*>(source);
  if (!param) {
    if (auto* field = dynamic_cast<TField*>(source)) {
      AssignFieldValue(field, field->Value());
      SetName(field->FieldName());
      return;
    }
    if (auto* lines = dynamic_cast<TStrings*>(source)) {
      SetAsMemo(lines->Text());
      return;
    }
    if (auto* persist = dynamic_cast<IStreamPersist*>(source)) {
      if (!IsBlobDataType(DataType())) throw Exception(SDataTypeNotSupported);
      TMemoryStream stream;
      persist->SaveToStream(&stream);
      LoadFromStream(&stream, DataType());
      return;
    }
    TParam::Assign(source);
    return;
  }
  auto* daParam = dynamic_cast<TDAParam*>(param);
  SetDataType(param->DataType());
  if (daParam && daParam->IsSharedObject()) {
    // Both parameters share one blob afterwards.
    SetParamObject(daParam->FParamObject);
  } else if (param->IsNull()) {
    Clear();
  } else {
    SetAsVariant(param->Value());
  }
  SetName(param->Name());
  if (ParamType() == ptUnknown) SetParamType(param->ParamType());
  if (daParam) {
    FSize = daParam->FSize;
    FNational = daParam->FNational;
  }
}

TDAParams::TDAParams(TPersistent* owner)
    : TParams(owner, TCollectionItemClass::Of<TDAParam>()) {}

void TDAParams::Update(TCollectionItem* item) {
  if (BindMode == 2) BindMode = 1;
  if (NeedsUpdateItem) TParams::Update(item);
}

TDAParam* TDAParams::CreateParam(TFieldType type, const String& name, TParamType paramType) {
  auto* param = static_cast<TDAParam*>(TParams::CreateParam(ftUnknown, name, paramType));
  param->SetDataType(type);
  return param;
}
