// Record layout: offsets from the descriptors, unique field names, null bytes and buffers.
#include <algorithm>
#include <cstring>
#include <string>

#include "Common/MemData.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

bool IsComplexCode(TDataTypeCode code) {
  switch (code) {
    case dtBlob: case dtMemo: case dtWideMemo: case dtVariant:
    case dtExtString: case dtExtVarBytes: case dtExtWideString:
      return true;
    default:
      return false;
  }
}

// A wide string in the record starts at an even offset.
int32_t PlaceField(TFieldDesc* field, int32_t offset) {
  if (field->DataType() == dtWideString && offset % 2 != 0) ++offset;
  field->SetOffset(offset);
  return offset + field->Size();
}

}  // namespace

bool TData::IsSharedObjectType(TDataTypeCode dataType) {
  return IsBlobFieldType(dataType) || dataType == dtVariant || dataType == dtExtString ||
         dataType == dtExtVarBytes || dataType == dtExtWideString;
}

TFieldDesc* TData::CheckedFieldOf(int fieldNo) const {
  RTL_ASSERT(fieldNo >= 1 && fieldNo <= FFields.Count(),
             u"Invalid field number " + S(std::to_string(fieldNo)));
  return FFields[fieldNo - 1];
}

void TData::ClearFields() {
  FFields.Clear();
  if (!FSuppressFieldsChanged && OnFieldsChanged) OnFieldsChanged();
}

void TData::InitFields() {
  if (FRebuildFieldsOnInit) {
    FSuppressFieldsChanged = true;
    try {
      ClearFields();
    } catch (...) {
      FSuppressFieldsChanged = false;
      throw;
    }
    FSuppressFieldsChanged = false;
    DetectCommandType();
    if (OnAddCalcFieldDescs) OnAddCalcFieldDescs();
    RenameDuplicates();
  }

  FDataSize = 0;
  FCalcDataSize = 0;
  FHasComplexFields = false;
  for (int i = 0; i < FFields.Count(); ++i) {
    TFieldDesc* field = FFields[i];
    field->SetFieldNo(static_cast<uint16_t>(i + 1));
    // Slots that hold a pointer take the machine's pointer size, whatever the provider said.
    if (IsComplexCode(field->DataType())) {
      field->SetSize(sizeof(void*));
      FHasComplexFields = true;
    }
    if (!field->HasParent() && field->CalcKind() != 2) FDataSize = PlaceField(field, FDataSize);
  }
  FRecordSize = FieldCount() + FDataSize;
  if (FRecordSize % 2 == 0) ++FRecordSize;

  for (TFieldDesc* field : FFields) {
    if (field->HasParent() || field->CalcKind() != 2) continue;
    FCalcDataSize = PlaceField(field, FRecordSize + FCalcDataSize) - FRecordSize;
  }
  FCalcRecordSize = FCalcDataSize;
  if (FCalcRecordSize > 0 && FCalcRecordSize % 2 == 0) ++FCalcRecordSize;

  if (OnFieldsChanged) OnFieldsChanged();
}

namespace {

// "_" and the number, as renamed names end.
String NumberSuffix(int n) {
  String suffix(1, u'_');
  suffix += S(std::to_string(n));
  return suffix;
}

// Renames the descriptors after index in sorted order whose names equal its new name, and their
// new names in turn.
void RenameCollisions(std::vector<TFieldDesc*>& sorted, size_t index) {
  const String newName = sorted[index]->Name();
  int k = 0;
  for (size_t j = index + 1; j < sorted.size(); ++j) {
    if (AnsiCompareText(sorted[j]->Name(), newName) > 0) break;
    if (AnsiSameText(sorted[j]->Name(), newName)) {
      sorted[j]->SetName(sorted[j]->Name() + NumberSuffix(++k));
      RenameCollisions(sorted, j);
    }
  }
}

}  // namespace

void TData::RenameDuplicates() {
  std::vector<TFieldDesc*> sorted;
  for (TFieldDesc* field : FFields) {
    if (field->HasParent()) continue;
    field->SetNameClash(0);
    sorted.push_back(field);
  }
  std::stable_sort(sorted.begin(), sorted.end(), [](TFieldDesc* a, TFieldDesc* b) {
    const int c = AnsiCompareText(a->Name(), b->Name());
    return c != 0 ? c < 0 : a->FieldNo() < b->FieldNo();
  });
  for (size_t i = 1; i < sorted.size(); ++i) {
    if (AnsiSameText(sorted[i - 1]->Name(), sorted[i]->Name())) {
      sorted[i - 1]->SetNameClash(1);
      sorted[i]->SetNameClash(1);
    }
  }

  int n = 0;
  for (size_t i = 0; i < sorted.size(); ++i) {
    TFieldDesc* field = sorted[i];
    if (!field->NameClash() && !field->Name().empty()) {
      n = 0;
      continue;
    }
    if (n > 1) {
      // Still the same group when the previous new name is this name plus "_" and n - 1.
      String base = sorted[i - 1]->Name();
      const String suffix = NumberSuffix(n - 1);
      if (base.size() >= suffix.size() && base.compare(base.size() - suffix.size(), suffix.size(),
                                                       suffix) == 0)
        base.resize(base.size() - suffix.size());
      if (!AnsiSameText(base, field->Name())) n = 0;
    }
    if (n > 0 || field->Name().empty()) {
      field->SetName(field->Name() + NumberSuffix(n));
      RenameCollisions(sorted, i);
    }
    ++n;
  }
}

uint8_t* TData::AllocRecBuf(bool withCalc) {
  return new uint8_t[static_cast<size_t>(FRecordSize + (withCalc ? FCalcRecordSize : 0))];
}

void TData::FreeRecBuf(uint8_t* recBuf) { delete[] recBuf; }

void TData::InitRecord(uint8_t* recBuf) {
  if (FHasComplexFields) std::memset(recBuf, 0, static_cast<size_t>(FRecordSize));
  std::memset(recBuf + FDataSize, 1, FFields.Count());
}

bool TData::HasBlobFields() {
  for (TFieldDesc* field : FFields)
    if (IsBlobFieldType(field->DataType())) return true;
  return false;
}

bool TData::GetNull(int fieldNo, uint8_t* recBuf) {
  TFieldDesc* field = FieldOf(fieldNo);
  uint8_t& nullByte = recBuf[FDataSize + fieldNo - 1];
  if (nullByte != 1) return false;
  // A blob that holds data makes its field not null whatever the byte said.
  if (IsBlobFieldType(field->DataType()) && !field->HasParent() && field->CalcKind() != 2) {
    TBlob* blob;
    std::memcpy(&blob, FieldData(field, recBuf), sizeof blob);
    if (blob && !blob->IsEmpty()) {
      nullByte = 0;
      return false;
    }
  }
  return true;
}

void TData::SetNull(int fieldNo, uint8_t* recBuf, bool value) {
  TFieldDesc* field = FieldOf(fieldNo);
  recBuf[FDataSize + fieldNo - 1] = value ? 1 : 0;
  if (value && IsBlobFieldType(field->DataType()) && !field->HasParent() &&
      field->CalcKind() != 2) {
    TBlob* blob;
    std::memcpy(&blob, FieldData(field, recBuf), sizeof blob);
    if (blob) blob->Clear();
  }
}
