// TDataSet: its fields and field definitions, calculated fields, and the field data forms.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"
#include "platform/db/FieldDefs.h"
#include "platform/db/Fields.h"
#include "platform/db/FieldsObject.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/StringList.h"

TFieldDefList* TDataSet::FieldDefList() { return FFieldDefList.get(); }

TFieldList* TDataSet::FieldList() { return FFieldList.get(); }

int TDataSet::FieldCount() const { return FFields->Count(); }

TField* TDataSet::FindField(std::u16string_view fieldName) {
  if (TField* field = FFields->FindField(fieldName)) return field;
  // Child fields of object fields go by their full names.
  return FFieldList->Find(String(fieldName));
}

TField* TDataSet::FieldByName(std::u16string_view fieldName) {
  TField* field = FindField(fieldName);
  if (!field) DatabaseErrorFmt(SFieldNotFound, {String(fieldName)}, this);
  return field;
}

TField* TDataSet::FieldByNumber(int fieldNo) { return FFields->FieldByNumber(fieldNo); }

void TDataSet::GetFieldNames(TStrings* list) {
  list->BeginUpdate();
  try {
    list->Clear();
    if (FFields->Count() > 0) {
      for (TField* field : *FFields) list->Add(field->FieldName());
    } else {
      FFieldDefs->Update();
      for (int i = 0; i < FFieldDefs->Count(); ++i) list->Add(FFieldDefs->Items(i)->Name());
    }
  } catch (...) {
    list->EndUpdate();
    throw;
  }
  list->EndUpdate();
}

void TDataSet::GetFieldList(std::vector<TField*>& list, const String& fieldNames) {
  for (const String& name : SplitFieldNames(fieldNames)) list.push_back(FieldByName(name));
}

Variant TDataSet::FieldValues(const String& fieldNames) {
  std::vector<TField*> fields;
  GetFieldList(fields, fieldNames);
  if (fields.size() == 1) return fields[0]->Value();
  Variant values = VarArrayCreate({0, static_cast<int>(fields.size()) - 1}, varVariant);
  for (size_t i = 0; i < fields.size(); ++i)
    values.PutElement({static_cast<int>(i)}, fields[i]->Value());
  return values;
}

void TDataSet::SetFieldValues(const String& fieldNames, const Variant& value) {
  std::vector<TField*> fields;
  GetFieldList(fields, fieldNames);
  if (fields.size() == 1 && !value.IsArray()) {
    fields[0]->SetValue(value);
    return;
  }
  int low = value.LowBound(1);
  for (size_t i = 0; i < fields.size(); ++i)
    fields[i]->SetValue(value[low + static_cast<int>(i)]);
}

// ---- Creating and binding fields.

void TDataSet::CreateFields() {
  if (FObjectView) {
    for (int i = 0; i < FFieldDefs->Count(); ++i) {
      TFieldDef* def = FFieldDefs->Items(i);
      if (def->DataType() != ftUnknown &&
          !(def->Attributes().Contains(faHiddenCol) && !FFieldDefs->HiddenFields()))
        def->CreateField(this);
    }
    return;
  }
  // Without the object view every column, child columns included, is a top-level field.
  for (int i = 0; i < FFieldDefList->Count(); ++i) {
    TFieldDef* def = FFieldDefList->FieldDefs(i);
    if (def->DataType() == ftUnknown || IsObjectType(def->DataType())) continue;
    if (def->Attributes().Contains(faHiddenCol) && !FFieldDefs->HiddenFields()) continue;
    def->CreateField(this, nullptr, def->FullName(), false);
  }
}

void TDataSet::DestroyFields() { FFields->Clear(); }

void TDataSet::BindFields(bool binding) {
  FCalcFieldsSize = 0;
  FInternalCalcFields = false;
  auto bind = [this, binding](auto& self, TFields* fields) -> void {
    for (TField* field : *fields) {
      if (binding) {
        if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup) {
          // A calculated value takes a presence byte and its data in the calculated area.
          field->FFieldNo = -1;
          field->FOffset = FCalcFieldsSize;
          FCalcFieldsSize += field->DataSize() + 1;
        } else {
          TFieldDef* def = FFieldDefList->Find(field->FullName());
          if (!def) DatabaseErrorFmt(SFieldNotFound, {field->DisplayName()}, this);
          field->FFieldNo = def->FieldNo();
          CheckFieldCompatibility(field, def);
          if (def->InternalCalcField() || field->FieldKind() == fkInternalCalc)
            FInternalCalcFields = true;
        }
      }
      field->Bind(binding);
      if (!binding) field->FFieldNo = 0;
      if (auto* object = dynamic_cast<TObjectField*>(field)) self(self, object->Fields());
    }
  };
  bind(bind, FFields.get());
}

void TDataSet::CheckFieldCompatibility(TField* field, TFieldDef* fieldDef) {
  auto base = [](TFieldType type) {
    switch (type) {
      case ftFixedChar:
        return ftString;
      case ftFixedWideChar:
        return ftWideString;
      case ftAutoInc:
        return ftInteger;
      case ftGraphic:
      case ftTypedBinary:
      case ftParadoxOle:
      case ftDBaseOle:
      case ftOraBlob:
        return ftBlob;
      case ftFmtMemo:
      case ftOraClob:
        return ftMemo;
      default:
        return type;
    }
  };
  if (base(field->DataType()) != base(fieldDef->DataType()))
    DatabaseErrorFmt(SFieldTypeMismatch,
                     {field->DisplayName(), FieldTypeName(field->DataType()),
                      FieldTypeName(fieldDef->DataType())},
                     this);
  const TFieldType type = field->DataType();
  if ((type == ftBytes || type == ftVarBytes || type == ftBCD || type == ftReference) &&
      field->Size() != fieldDef->Size())
    DatabaseErrorFmt(SFieldSizeMismatch, {field->DisplayName(), field->Size(), fieldDef->Size()},
                     this);
}

void TDataSet::InitFieldDefs() {
  if (IsCursorOpen()) {
    InternalInitFieldDefs();
    return;
  }
  try {
    OpenCursor(true);
  } catch (...) {
    CloseCursor();
    throw;
  }
  CloseCursor();
}

void TDataSet::InitFieldDefsFromFields() {
  if (FFieldDefs->Count() > 0) return;
  FFieldDefs->BeginUpdate();
  try {
    for (TField* field : *FFields) {
      if (field->FieldKind() != fkData && field->FieldKind() != fkInternalCalc) continue;
      TFieldDef* def = FFieldDefs->AddFieldDef();
      def->SetName(field->FieldName());
      def->SetDataType(field->DataType());
      def->SetSize(field->Size());
      def->SetPrecision(field->Precision());
      def->SetRequired(field->Required());
      if (field->ReadOnly()) def->SetAttributes(def->Attributes() + TFieldAttributes{faReadonly});
      def->SetInternalCalcField(field->FieldKind() == fkInternalCalc);
    }
  } catch (...) {
    FFieldDefs->EndUpdate();
    throw;
  }
  FFieldDefs->EndUpdate();
}

// ---- Calculated fields.

void TDataSet::GetCalcFields(TRecordBuffer buffer) {
  if (FCalcFieldsSize == 0 && !FInternalCalcFields) return;
  TDataSetState saved = SetTempState(dsCalcFields);
  try {
    CalculateFields(buffer);
  } catch (...) {
    RestoreState(saved);
    throw;
  }
  RestoreState(saved);
}

void TDataSet::CalculateFields(TRecordBuffer buffer) {
  FCalcBuffer = buffer;
  if (FState != dsInternalCalc) {
    ClearCalcFields(buffer);
    CalcLookupValues();
  }
  DoOnCalcFields();
}

void TDataSet::CalcLookupValues() {
  for (TField* field : *FFields) {
    if (field->FieldKind() == fkLookup) field->CalcLookupValue();
  }
}

void TDataSet::UpdateCalcFields() {
  if (FState == dsSetKey || FState == dsCalcFields || !FAutoCalcFields) return;
  if (FCalcFieldsSize > 0 || FInternalCalcFields) GetCalcFields(ActiveBuffer());
}

// ---- Field data in its two forms.

namespace {

// A scratch buffer for one value in native form; the common sizes stay on the stack.
class TValueBuffer {
 public:
  // The vector zero-fills a large value; the small one is cleared in a fixed size, which the
  // compiler does with a few stores instead of a call.
  explicit TValueBuffer(int size) {
    std::memset(FSmall, 0, sizeof FSmall);
    if (size > static_cast<int>(sizeof(FSmall))) FLarge.resize(size);
  }
  uint8_t* Data() { return FLarge.empty() ? FSmall : FLarge.data(); }

 private:
  alignas(8) uint8_t FSmall[64];
  std::vector<uint8_t> FLarge;
};

}  // namespace

bool TDataSet::GetFieldData(int fieldNo, void* buffer) {
  TField* field = FFields->FieldByNumber(fieldNo);
  return field ? GetFieldData(field, buffer) : false;
}

bool TDataSet::GetFieldData(TField* field, void* buffer, bool nativeFormat) {
  if (nativeFormat || !buffer || field->DataType() == ftVariant)
    return GetFieldData(field, buffer);
  TValueBuffer native(field->DataSize());
  if (!GetFieldData(field, native.Data())) return false;
  DataConvert(field, native.Data(), buffer, false);
  return true;
}

void TDataSet::SetFieldData(TField* field, const void*) {
  DatabaseErrorFmt(SFieldReadOnly, {field->DisplayName()}, this);
}

void TDataSet::SetFieldData(TField* field, const void* buffer, bool nativeFormat) {
  if (nativeFormat || !buffer || field->DataType() == ftVariant) {
    SetFieldData(field, buffer);
    return;
  }
  TValueBuffer native(field->DataSize());
  DataConvert(field, buffer, native.Data(), true);
  SetFieldData(field, native.Data());
}

void TDataSet::DataConvert(TField* field, const void* source, void* dest, bool toNative) {
  switch (field->DataType()) {
    case ftDate:
    case ftTime:
    case ftDateTime: {
      if (toNative) {
        TDateTime value;
        std::memcpy(&value, source, sizeof value);
        TTimeStamp stamp = DateTimeToTimeStamp(value);
        if (field->DataType() == ftDate) {
          std::memcpy(dest, &stamp.Date, 4);
        } else if (field->DataType() == ftTime) {
          std::memcpy(dest, &stamp.Time, 4);
        } else {
          double ms = TimeStampToMSecs(stamp);
          std::memcpy(dest, &ms, 8);
        }
      } else {
        TTimeStamp stamp;
        if (field->DataType() == ftDate) {
          std::memcpy(&stamp.Date, source, 4);
          stamp.Time = 0;
        } else if (field->DataType() == ftTime) {
          std::memcpy(&stamp.Time, source, 4);
          stamp.Date = DateDelta;
        } else {
          double ms;
          std::memcpy(&ms, source, 8);
          stamp = MSecsToTimeStamp(ms);
        }
        TDateTime value = TimeStampToDateTime(stamp);
        std::memcpy(dest, &value, sizeof value);
      }
      break;
    }
    case ftBCD: {
      if (toNative) {
        int64_t raw;
        std::memcpy(&raw, source, 8);
        TBcd bcd;
        if (!CurrToBCD(Currency::FromRaw(raw), bcd, 32, field->Size()))
          DatabaseErrorFmt(SFieldOutOfRange, {field->DisplayName()});
        std::memcpy(dest, &bcd, sizeof bcd);
      } else {
        TBcd bcd;
        std::memcpy(&bcd, source, sizeof bcd);
        Currency value;
        if (!BCDToCurr(bcd, value)) DatabaseErrorFmt(SFieldOutOfRange, {field->DisplayName()});
        int64_t raw = value.Raw();
        std::memcpy(dest, &raw, 8);
      }
      break;
    }
    case ftWideString:
    case ftFixedWideChar: {
      if (toNative) {
        const String& text = *static_cast<const String*>(source);
        size_t length = std::min(text.size(), static_cast<size_t>(std::max(field->Size(), 0)));
        // Never keep half of a surrogate pair.
        if (length > 0 && length < text.size() && text[length - 1] >= 0xD800 &&
            text[length - 1] <= 0xDBFF)
          --length;
        std::memcpy(dest, text.data(), length * 2);
        std::memset(static_cast<char16_t*>(dest) + length, 0, 2);
      } else {
        const auto* text = static_cast<const char16_t*>(source);
        size_t length = 0;
        const size_t limit = static_cast<size_t>(std::max(field->Size(), 0));
        while (length < limit && text[length] != 0) ++length;
        static_cast<String*>(dest)->assign(text, length);
      }
      break;
    }
    default:
      std::memcpy(dest, source, field->DataSize());
      break;
  }
}

// ---- Values of other record versions.

Variant TDataSet::GetStateFieldValue(TDataSetState state, TField* field) {
  if (field->FieldKind() != fkData && field->FieldKind() != fkInternalCalc)
    return Variant::Null();
  TDataSetState saved = SetTempState(state);
  Variant value;
  try {
    value = field->Value();
  } catch (...) {
    RestoreState(saved);
    throw;
  }
  RestoreState(saved);
  return value;
}

void TDataSet::SetStateFieldValue(TDataSetState state, TField* field, const Variant& value) {
  TDataSetState saved = SetTempState(state);
  try {
    field->SetValue(value);
  } catch (...) {
    RestoreState(saved);
    throw;
  }
  RestoreState(saved);
  DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
}

TFieldClass TDataSet::GetFieldClass(TFieldType fieldType) { return DefaultFieldClass(fieldType); }

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField*, TBlobStreamMode) { return nullptr; }

// ---- Nested datasets.

void TDataSet::SetDataSetField(TDataSetField* value) {
  if (value == FDataSetField) return;
  if (value && value->FNestedDataSet && value->FNestedDataSet != this)
    DatabaseError(SDataSetOpen, this);
  if (FDataSetField) {
    FDataSetField->FNestedDataSet = nullptr;
    if (FParentDataSet) {
      auto& nested = FParentDataSet->FNestedDataSets;
      nested.erase(std::remove(nested.begin(), nested.end(), this), nested.end());
    }
  }
  FDataSetField = value;
  FParentDataSet = value ? value->DataSet() : nullptr;
  if (value) {
    value->FNestedDataSet = this;
    if (FParentDataSet) FParentDataSet->FNestedDataSets.push_back(this);
  }
}
