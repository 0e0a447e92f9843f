// Text rows of the MySQL record set into records.
#include "MySql/MyClasses_RecordSetRow.h"

#include <algorithm>
#include <cstring>

#include "MySql/MyClasses_RecordSetConvert.h"
#include "MySql/MyClasses_RecordSetFields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"

namespace {

template <class T>
void StoreAt(uint8_t* data, T value) {
  std::memcpy(data, &value, sizeof(T));
}

bool IsPointerType(TDataTypeCode dt) {
  return dt == dtExtString || dt == dtExtVarBytes || dt == dtExtWideString;
}

}  // namespace

void TMyRowConverter::ConvertTextRow(uint8_t* record, PMYSQL_RES result, PMYSQL_ROW row) {
  FApi.FetchLengths(result, FLengths);
  TFieldDescs& fields = FStore.Fields();
  for (int i = 0; i < fields.Count(); ++i) {
    TFieldDesc* field = fields[i];
    const int fieldNo = i + 1;
    uint8_t* data = record + field->Offset();
    const TDataTypeCode dt = field->DataType();
    const int column = field->ColumnIndex();
    const bool isNull = field->CalcKind() != 0 || FApi.FieldIsNull(row, column);
    if (isNull) {
      if (FStore.IsBlobFieldType(dt) && field->CalcKind() == 0) {
        StoreAt<TBlob*>(data, nullptr);
        PutBlob(fieldNo, record, nullptr, 0);
      } else if (IsPointerType(dt)) {
        StoreAt<void*>(data, nullptr);
      }
      record[FStore.DataSize() + i] = 1;
      continue;
    }
    record[FStore.DataSize() + i] = 0;
    int offset = 0;
    const char* base = static_cast<const char*>(FApi.GetFieldBuffer(row, column, offset));
    ConvertValue(fieldNo, record, base + offset, FLengths[static_cast<size_t>(column)]);
  }
}

void TMyRowConverter::ConvertValue(int fieldNo, uint8_t* record, const char* text,
                                   uint32_t length) {
  auto* field = static_cast<TMySQLFieldDesc*>(FStore.Fields()[fieldNo - 1]);
  uint8_t* data = record + field->Offset();
  const TDataTypeCode dt = field->DataType();
  // A value longer than its slot is cut to the slot; with Unicode the slot counts characters.
  const uint32_t clamped =
      (field->Length() != 0 && !UseUnicode) ? std::min<uint32_t>(length, field->Length()) : length;
  auto setNull = [&] { record[FStore.DataSize() + fieldNo - 1] = 1; };

  switch (dt) {
    case dtString:
    case dtBytes: {
      const uint32_t n = std::min<uint32_t>(clamped, static_cast<uint32_t>(field->Size() - 1));
      std::memcpy(data, text, n);
      data[n] = 0;
      break;
    }
    case dtInt8:
    case dtSmallint:
    case dtInteger:
    case dtWord:
    case dtBoolean:
    case dtLargeint:
    case dtUInt32:
      if (field->MySQLType() == 16)
        ReadBit(reinterpret_cast<const uint8_t*>(text), length, dt, data);
      else
        ReadTextInt(text, length, dt, data);
      break;
    case dtFloat:
      StoreAt<double>(data, ParseFloatText(text, length));
      break;
    case dtDate:
    case dtTime:
    case dtDateTime: {
      TDateTime value = 0;
      const bool ok =
          ParseDateTimeText(field->MySQLType(), field->Length(), text, length, field->Name(), value);
      // A TIME has no zero date: 00:00:00 is a time like any other.
      if (ok && value == 0.0 && NullForZeroTesmarDate && dt != dtTime) {
        setNull();
      } else if (!ok && NullForZeroDate) {
        setNull();
      } else {
        StoreAt<double>(data, ok ? value : MyZeroDateValue);
      }
      break;
    }
    case dtExtString: {
      uint8_t* buf = FStore.StringHeap().NewBuf(static_cast<int32_t>(length) + 1);
      std::memcpy(buf, text, length);
      buf[length] = 0;
      StoreAt<uint8_t*>(data, buf);
      break;
    }
    case dtVarBytes: {
      const uint32_t n = std::min<uint32_t>(clamped, static_cast<uint32_t>(field->Size() - 2));
      StoreAt<uint16_t>(data, static_cast<uint16_t>(n));
      std::memcpy(data + 2, text, n);
      break;
    }
    case dtExtVarBytes: {
      const uint32_t n = std::min<uint32_t>(length, 65535);
      uint8_t* buf = FStore.StringHeap().NewBuf(static_cast<int32_t>(n) + 2);
      StoreAt<uint16_t>(buf, static_cast<uint16_t>(n));
      std::memcpy(buf + 2, text, n);
      StoreAt<uint8_t*>(data, buf);
      break;
    }
    case dtWideString:
      DecodeUtf8(reinterpret_cast<char16_t*>(data), static_cast<size_t>(field->Size()), true,
                 reinterpret_cast<const uint8_t*>(text), clamped);
      break;
    case dtExtWideString: {
      const size_t capacity = 2 * static_cast<size_t>(length) + 2;
      uint8_t* buf = FStore.StringHeap().NewBuf(static_cast<int32_t>(capacity));
      DecodeUtf8(reinterpret_cast<char16_t*>(buf), capacity, true,
                 reinterpret_cast<const uint8_t*>(text), length);
      StoreAt<uint8_t*>(data, buf);
      break;
    }
    case dtBlob:
    case dtMemo:
    case dtWideMemo:
      PutBlob(fieldNo, record, text, length);
      break;
    default:
      RTL_ASSERT(false, u"Invalid internal field type " + IntToStr(dt) + u" for field " +
                            field->Name());
  }
}

void TMyRowConverter::PutBlob(int fieldNo, uint8_t* record, const char* text, uint32_t length) {
  TFieldDesc* field = FStore.Fields()[fieldNo - 1];
  const bool unicode =
      UseUnicode && (field->DataType() == dtMemo || field->DataType() == dtWideMemo);
  auto* blob = new TBlob(unicode);
  FStore.SetBlob(fieldNo, record, blob);
  if (length == 0) return;
  blob->SetRollbackEnabled(false);
  if (unicode) {
    FWide.resize(static_cast<size_t>(length) + 1);
    const size_t bytes = DecodeUtf8(FWide.data(), FWide.size() * 2, false,
                                    reinterpret_cast<const uint8_t*>(text), length);
    blob->Write(0, static_cast<uint32_t>(bytes), FWide.data());
  } else {
    blob->Write(0, length, text);
  }
  blob->SetRollbackEnabled(true);
}
