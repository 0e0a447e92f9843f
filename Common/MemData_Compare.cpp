// Field values in the form that sorting and locating compare.
#include <cstdlib>
#include <cstring>
#include <new>

#include "Common/MemData.h"
#include "platform/rtl/Exceptions.h"

namespace {

void* CopyOf(const void* data, size_t size) {
  void* copy = std::malloc(size == 0 ? 1 : size);
  if (!copy) throw std::bad_alloc();
  std::memcpy(copy, data, size);
  return copy;
}

const char16_t EmptyText[1] = {0};

}  // namespace

const void* TData::GetComparableValue(uint8_t* recBuf, TFieldDesc* field, bool& inPlace,
                                      bool& isNull, TDataTypeCode& valueType) {
  isNull = GetNull(field->FieldNo(), recBuf);
  inPlace = true;
  valueType = field->DataType();
  const uint8_t* data = FieldData(field, recBuf);
  switch (field->DataType()) {
    case dtExtString: case dtExtVarBytes: case dtExtWideString: {
      // The referenced text or bytes; nil reads as empty.
      const void* buf;
      std::memcpy(&buf, data, sizeof buf);
      if (field->DataType() == dtExtString) valueType = dtString;
      if (field->DataType() == dtExtWideString) valueType = dtWideString;
      return buf ? buf : EmptyText;
    }
    case dtBytes: {
      // With a 16-bit length in front, as the variable-length forms have it.
      inPlace = false;
      const uint16_t length = field->Length();
      auto* copy = static_cast<uint8_t*>(std::malloc(2u + length));
      if (!copy) throw std::bad_alloc();
      std::memcpy(copy, &length, 2);
      std::memcpy(copy + 2, data, length);
      return copy;
    }
    case dtBCD: {
      int64_t raw;
      std::memcpy(&raw, data, sizeof raw);
      const double value = static_cast<double>(raw) / 10000.0;
      inPlace = false;
      return CopyOf(&value, sizeof value);
    }
    case dtBlob: case dtMemo: case dtWideMemo: {
      inPlace = false;
      valueType = dtString;
      const AnsiString text = isNull ? AnsiString() : GetBlob(field->FieldNo(), recBuf)->GetAsAnsiString();
      return CopyOf(text.c_str(), text.size() + 1);
    }
    default:
      // Dates and times are stored as the date-time double they compare as.
      return data;
  }
}

void TData::FreeComparableValue(const void* value) { std::free(const_cast<void*>(value)); }
