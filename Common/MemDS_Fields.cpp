// TMemDataSet: field values in the record buffers, descriptors of fields, calculated and lookup
// fields kept in the store's record, and blobs of the active record.
#include <algorithm>
#include <cstring>

#include "Common/MemDS.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/TextCompare.h"

namespace {

constexpr char16_t SFieldIsNotBlob[] = u"Field is not BLOB";

bool IsCalcOrLookup(const TField* field) {
  return field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup;
}

bool IsWideText(TDataTypeCode code) { return code == dtWideString || code == dtExtWideString; }

// Values up to this size in their record form are converted in a buffer on the stack.
constexpr int SmallValueSize = 64;

}  // namespace

TRecordBuffer TMemDataSet::GetActiveRecBuf() {
  switch (State()) {
    case dsBrowse:
      if (FInCacheProcessing) return FNewCacheRecBuf;
      return IsEmpty() ? nullptr : ActiveBuffer();
    case dsBlockRead:
      return IsEmpty() ? nullptr : ActiveBuffer();
    case dsEdit:
    case dsInsert:
      return ActiveBuffer();
    case dsCalcFields:
    case dsInternalCalc:
      return CalcBuffer();
    case dsFilter:
      return FFilterBuffer;
    case dsNewValue:
      return FInCacheProcessing ? FNewCacheRecBuf : ActiveBuffer();
    case dsOldValue:
      if (FInCacheProcessing) return FOldCacheRecBuf;
      if (!FOldRecBuf) return nullptr;
      // The store gives the record as it was before the current change.
      UpdateCursorPos();
      FData->GetOldRecord(FOldRecBuf);
      return FOldRecBuf;
    default:
      return nullptr;
  }
}

TRecordBuffer TMemDataSet::GetStateRecBuf(TDataSetState state) {
  const TDataSetState saved = SetTempState(state);
  TRecordBuffer buffer = nullptr;
  try {
    buffer = GetActiveRecBuf();
  } catch (...) {
    RestoreState(saved);
    throw;
  }
  RestoreState(saved);
  return buffer;
}

// ---- Descriptors of fields.

TFieldDesc* TMemDataSet::FindFieldDesc(TField* field) {
  RTL_ASSERT(FData != nullptr, u"FIRecordSet must be setted to this time");
  RTL_ASSERT(field != nullptr, u"Field cannot be nil");
  RTL_ASSERT(field->DataSet() == this, u"Wrong DataSet");
  const TFieldDescs& descs = FData->Fields();
  if (field->FieldNo() > 0) {
    return field->FieldNo() <= descs.Count() ? descs[field->FieldNo() - 1] : nullptr;
  }
  if (IsCalcOrLookup(field)) {
    for (TFieldDesc* desc : descs) {
      if (desc->CalcKind() != 0 && (AnsiSameText(desc->Name(), field->FieldName()) ||
                                    AnsiSameText(desc->SourceName(), field->FieldName())))
        return desc;
    }
    return nullptr;
  }
  if (DefaultFields() && FieldCount() == descs.Count()) {
    const int index = field->Index();
    return index >= 0 && index < descs.Count() ? descs[index] : nullptr;
  }
  for (TFieldDesc* desc : descs)
    if (AnsiSameText(desc->Name(), field->FieldName())) return desc;
  return nullptr;
}

TFieldDesc* TMemDataSet::CalcFieldDesc(TField* field) {
  for (const auto& [calcField, desc] : FCalcFieldsMapping)
    if (calcField == field) return desc;
  TFieldDesc* desc = GetFieldDesc(field);
  if (!desc) throw Exception(Format(SFieldNotFoundGeneral, {field->FieldName()}));
  return desc;
}

void TMemDataSet::DoAddCalcFieldDescs() {
  FCalcFieldsMapping.clear();
  const TDataTypesMap& map = GetDataTypesMapClass();
  for (TField* field : *Fields()) {
    if (!IsCalcOrLookup(field)) continue;
    TFieldDesc* desc = FData->GetFieldDescClass()();
    desc->SetName(field->FullName());
    desc->SetSourceName(field->FullName());
    desc->SetFieldNo(static_cast<uint16_t>(FData->Fields().Count() + 1));
    desc->SetDataType(map.GetDataType(field->DataType()));
    int size = field->DataSize();
    if (field->DataType() == ftDate || field->DataType() == ftTime ||
        field->DataType() == ftDateTime)
      size = field->DataSize() * 2;  // the store keeps a date-time double
    else if (field->DataType() == ftWideString)
      size = field->Size() * 2 + 2;
    desc->SetSize(size);
    desc->SetLength(static_cast<uint16_t>(field->Size()));
    desc->SetCalcKind(FCacheCalcFields ? 1 : 2);
    FData->Fields().Add(desc);
    FCalcFieldsMapping.emplace_back(field, desc);
  }
}

void TMemDataSet::DoGetCalcFields(uint8_t* target, uint8_t* source) {
  if (CalcFieldsSize() == 0 || FRecBufSize == 0) return;
  // The platform computes into a whole dataset buffer; the store's record is shorter.
  std::vector<uint8_t> scratch(static_cast<size_t>(FRecBufSize), 0);
  const size_t recordSize = static_cast<size_t>(FData->RecordSize());
  std::memcpy(scratch.data(), source ? source : target, recordSize);
  GetCalcFields(scratch.data());
  std::memcpy(target, scratch.data(), recordSize + static_cast<size_t>(FData->CalcRecordSize()));
}

// ---- Reading values.

bool TMemDataSet::GetFieldData(TField* field, void* buffer) {
  TRecordBuffer recBuf = GetActiveRecBuf();
  if (!recBuf) return false;
  int fieldNo = field->FieldNo();
  if (fieldNo <= 0) {
    if (!IsCalcOrLookup(field)) return false;
    switch (State()) {
      case dsBrowse: case dsEdit: case dsInsert: case dsCalcFields: case dsFilter:
      case dsBlockRead:
        fieldNo = CalcFieldDesc(field)->FieldNo();
        break;
      default:
        return false;
    }
  }
  TFieldDesc* desc = FData->Fields()[fieldNo - 1];
  bool isBlank = true;
  if (buffer && desc->DataType() == dtInt8 && desc->Size() == 1) {
    // A one-byte integer reaches the field as the 16-bit value the field reads, sign and all.
    uint8_t raw[8] = {};
    FData->GetField(fieldNo, recBuf, raw, isBlank);
    if (!isBlank) {
      const int16_t value = static_cast<int8_t>(raw[0]);
      std::memcpy(buffer, &value, sizeof value);
    }
    return !isBlank;
  }
  FData->GetField(fieldNo, recBuf, buffer, isBlank);
  return !isBlank;
}

bool TMemDataSet::GetFieldData(int fieldNo, void* buffer) {
  TRecordBuffer recBuf = GetActiveRecBuf();
  if (!recBuf || fieldNo <= 0 || fieldNo > FData->FieldCount()) return false;
  bool isBlank = true;
  FData->GetField(fieldNo, recBuf, buffer, isBlank);
  return !isBlank;
}

bool TMemDataSet::GetFieldData(TField* field, void* buffer, bool nativeFormat) {
  if (nativeFormat || !buffer || field->DataType() == ftVariant)
    return GetFieldData(field, buffer);
  if (field->DataType() != ftWideString) {
    const int size = field->DataSize();
    if (size > SmallValueSize) return TDataSet::GetFieldData(field, buffer, nativeFormat);
    alignas(8) uint8_t native[SmallValueSize] = {};
    if (!GetFieldData(field, native)) return false;
    DataConvert(field, native, buffer, false);
    return true;
  }
  // The text is read in the column's own length, whatever the field's size says.
  TFieldDesc* desc = IsCalcOrLookup(field) ? nullptr : GetFieldDesc(field);
  const int units = std::max(field->Size(), desc ? static_cast<int>(desc->Length()) : 0) + 9;
  std::vector<char16_t> text(static_cast<size_t>(units) + 1, u'\0');
  const bool present = GetFieldData(field, text.data());
  static_cast<String*>(buffer)->assign(present ? text.data() : u"");
  return present;
}

// ---- Writing values.

void TMemDataSet::SetFieldData(TField* field, const void* buffer) {
  const TDataSetState state = State();
  if (!dsWriteModes.Contains(state)) DatabaseError(SNotEditing, this);
  TRecordBuffer recBuf = GetActiveRecBuf();
  if (!recBuf) DatabaseError(SNotEditing, this);
  int fieldNo = field->FieldNo();
  if (fieldNo > 0) {
    if (state == dsCalcFields) DatabaseError(SNotEditing, this);
    if (field->ReadOnly() && state != dsSetKey && state != dsFilter && !FFillingDefaults)
      DatabaseErrorFmt(SFieldReadOnly, {field->DisplayName()});
  } else if (IsCalcOrLookup(field)) {
    fieldNo = CalcFieldDesc(field)->FieldNo();
  }
  field->Validate(buffer);
  if (fieldNo > 0 && field->FieldKind() != fkInternalCalc) {
    if (buffer && IsWideText(FData->Fields()[fieldNo - 1]->DataType())) {
      // The store takes wide text by a pointer to it.
      const auto* text = static_cast<const char16_t*>(buffer);
      FData->PutField(fieldNo, recBuf, false, &text);
    } else {
      FData->PutField(fieldNo, recBuf, false, buffer);
    }
  }
  if (state != dsCalcFields && state != dsFilter && state != dsNewValue)
    DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
}

void TMemDataSet::SetFieldData(TField* field, const void* buffer, bool nativeFormat) {
  if (!nativeFormat && buffer && field->DataType() == ftWideString) {
    // The native form of wide text is the text itself, which the string holds.
    SetFieldData(field, static_cast<const String*>(buffer)->c_str());
    return;
  }
  if (nativeFormat || !buffer || field->DataType() == ftVariant) {
    SetFieldData(field, buffer);
    return;
  }
  if (field->DataSize() > SmallValueSize) {
    TDataSet::SetFieldData(field, buffer, nativeFormat);
    return;
  }
  // The common values convert on the stack; the bytes past the value stay zero as the store
  // may read a calculated date in a wider slot.
  alignas(8) uint8_t native[SmallValueSize] = {};
  DataConvert(field, buffer, native, true);
  SetFieldData(field, native);
}

Variant TMemDataSet::GetStateFieldValue(TDataSetState state, TField* field) {
  if (state == dsOldValue && State() == dsInsert) return Variant::Null();
  return TDataSet::GetStateFieldValue(state, field);
}

void TMemDataSet::DataConvert(TField* field, const void* source, void* dest, bool toNative) {
  // The record keeps an exact decimal as a currency integer, which is also the field's form.
  if (field->DataType() == ftBCD) {
    std::memcpy(dest, source, 8);
    return;
  }
  TDataSet::DataConvert(field, source, dest, toNative);
}

TFieldClass TMemDataSet::GetFieldClass(TFieldType fieldType) {
  return DataSetService()->GetFieldClass(fieldType);
}

// ---- Blobs of the active record.

TBlob* TMemDataSet::GetBlobOfDesc(TFieldDesc* fieldDesc) {
  if (!FData->IsBlobFieldType(fieldDesc->DataType())) DatabaseError(SFieldIsNotBlob);
  TRecordBuffer recBuf = GetActiveRecBuf();
  if (!recBuf) return nullptr;
  return FData->GetBlob(fieldDesc->FieldNo(), recBuf);
}

TBlob* TMemDataSet::GetBlobByName(const String& fieldName) {
  return GetBlobOfDesc(FData->FieldByName(fieldName));
}

TBlob* TMemDataSet::GetBlob(TField* field) {
  if (!field || !Active()) return nullptr;
  TFieldDesc* desc = GetFieldDesc(field);
  if (!desc) return nullptr;
  return GetBlobOfDesc(desc);
}
