// Text rows of the MySQL record set into records.
#include "MySql/MyClasses_RecordSetRow.h"

#include <algorithm>
#include <cstring>

#include "MySql/MyCall.h"
#include "MySql/MyClasses_RecordSetConvert.h"
#include "MySql/MyClasses_RecordSetFields.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "MySql/MySqlResultSet_Rows.h"
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

bool IsBlobType(TDataTypeCode dt) { return dt == dtBlob || dt == dtMemo || dt == dtWideMemo; }

constexpr uint32_t MyTypeFloat = 4;
constexpr uint32_t MyTypeDouble = 5;
constexpr uint32_t MyTypeTimestamp = 7;
constexpr uint32_t MyTypeNewDate = 14;
constexpr uint32_t MyTypeBit = 16;

}  // namespace

// Integer columns travel in binary rows as little-endian values; a DECIMAL column mapped to an
// integer type still comes as text.
bool TMyRowConverter::FixedBinary(const TColumnPlan& column) {
  return mysqlrows::BinaryFixedSize(static_cast<TMySqlFieldType>(column.MySQLType)) > 0;
}

TMyRowConverter::~TMyRowConverter() {
  if (FDeferringItems && FDeferringItems->DeferredValues() == this)
    FDeferringItems->SetDeferredValues(nullptr);
}

void TMyRowConverter::DeferNullBlobs(TBlockManager* items) {
  if (FDeferringItems && FDeferringItems != items &&
      FDeferringItems->DeferredValues() == this)
    FDeferringItems->SetDeferredValues(nullptr);
  FDeferringItems = items;
  if (items) items->SetDeferredValues(this);
}

void TMyRowConverter::MakeDeferredValues(uint8_t* record) {
  if (FColumns.size() != static_cast<size_t>(FStore.Fields().Count())) Plan();
  for (size_t i : FBlobColumns) {
    const TColumnPlan& column = FColumns[i];
    TBlob* blob;
    std::memcpy(&blob, record + column.Offset, sizeof blob);
    if (!blob) StoreAt<TBlob*>(record + column.Offset, CreateBlob(column.DataType));
  }
}

void TMyRowConverter::Plan() {
  TFieldDescs& fields = FStore.Fields();
  FColumns.clear();
  FBlobColumns.clear();
  FColumns.reserve(static_cast<size_t>(fields.Count()));
  for (int i = 0; i < fields.Count(); ++i) {
    auto* field = static_cast<TMySQLFieldDesc*>(fields[i]);
    TColumnPlan plan{};
    plan.Field = field;
    plan.Offset = field->Offset();
    plan.Size = field->Size();
    plan.FieldNo = i + 1;
    plan.Column = field->ColumnIndex();
    plan.DataType = field->DataType();
    plan.MySQLType = field->MySQLType();
    plan.Length = field->Length();
    plan.Calculated = field->CalcKind() != 0;
    plan.IsBit = field->MySQLType() == MyTypeBit;
    if (plan.MySQLType == kFieldTypeTimestamp) {
      auto* table = dynamic_cast<TMyTableInfo*>(field->TableInfo());
      if (table && table->TimestampField() == field) plan.TimestampTable = table;
    }
    FColumns.push_back(plan);
    if (IsBlobType(plan.DataType) && !plan.Calculated)
      FBlobColumns.push_back(FColumns.size() - 1);
  }
}

TBlob* TMyRowConverter::CreateBlob(TDataTypeCode dataType) const {
  const bool unicode = UseUnicode && (dataType == dtMemo || dataType == dtWideMemo);
  TValuePool* pool = FStore.ValuePool();
  TBlob* blob =
      CompressBlobMode != 0 ? new (pool) TCompressedBlob(unicode) : new (pool) TBlob(unicode);
  blob->SetRollbackEnabled(true);
  return blob;
}

void TMyRowConverter::ConvertTextRow(uint8_t* record, PMYSQL_RES result, PMYSQL_ROW row) {
  ConvertRow<false>(record, result, row);
}

void TMyRowConverter::ConvertStmtRow(uint8_t* record, PMYSQL_STMT stmt, PMYSQL_ROW row) {
  ConvertRow<true>(record, stmt, row);
}

void TMyRowConverter::ConvertTextValue(uint8_t* record, int index, const char* text,
                                       uint32_t length) {
  if (FColumns.size() != static_cast<size_t>(FStore.Fields().Count())) Plan();
  ConvertValue<false>(FColumns[static_cast<size_t>(index)], record, text, length);
}

template <bool Binary>
void TMyRowConverter::ConvertRow(uint8_t* record, void* handle, PMYSQL_ROW row) {
  if (FColumns.size() != static_cast<size_t>(FStore.Fields().Count())) Plan();
  if constexpr (Binary)
    FApi.StmtFetchLengths(row, FLengths);
  else
    FApi.FetchLengths(handle, FLengths);
  uint8_t* nulls = record + FStore.DataSize();
  for (size_t i = 0; i < FColumns.size(); ++i) {
    const TColumnPlan& column = FColumns[i];
    uint8_t* data = record + column.Offset;
    // One call answers both questions: where the value is, and whether there is one.
    const char* value = nullptr;
    if (!column.Calculated) {
      if constexpr (Binary)
        value = static_cast<const char*>(FApi.StmtGetFieldPtr(handle, column.Column));
      else
        value = static_cast<const char*>(FApi.GetFieldPtr(handle, row, column.Column));
    }
    if (value == nullptr) {
      if (IsBlobType(column.DataType) && !column.Calculated) {
        StoreAt<TBlob*>(data, nullptr);
        // A store that makes the blob on the record's first read-out saves it for every record
        // whose value stays NULL.
        if (!FDeferringItems) PutBlob(column, record, nullptr, 0);
      } else if (IsPointerType(column.DataType)) {
        StoreAt<void*>(data, nullptr);
      }
      nulls[i] = 1;
      continue;
    }
    nulls[i] = 0;
    ConvertValue<Binary>(column, record, value, FLengths[static_cast<size_t>(column.Column)]);
  }
}

template <bool Binary>
void TMyRowConverter::ConvertValue(const TColumnPlan& column, uint8_t* record, const char* text,
                                   uint32_t length) {
  uint8_t* data = record + column.Offset;
  const TDataTypeCode dt = column.DataType;
  // A value longer than its slot is cut to the slot; with Unicode the slot counts characters.
  const uint32_t clamped =
      (column.Length != 0 && !UseUnicode) ? std::min<uint32_t>(length, column.Length) : length;
  auto setNull = [&] { record[FStore.DataSize() + column.FieldNo - 1] = 1; };

  switch (dt) {
    case dtString:
    case dtBytes: {
      const uint32_t n = std::min<uint32_t>(clamped, static_cast<uint32_t>(column.Size - 1));
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
      if (column.IsBit)
        ReadBit(reinterpret_cast<const uint8_t*>(text), length, dt, data);
      else if (Binary && FixedBinary(column))
        ReadBinaryInt(reinterpret_cast<const uint8_t*>(text), length, dt, data);
      else
        ReadTextInt(text, length, dt, data);
      break;
    case dtFloat:
      if (Binary && (column.MySQLType == MyTypeFloat || column.MySQLType == MyTypeDouble))
        StoreAt<double>(data, ReadBinaryFloat(reinterpret_cast<const uint8_t*>(text), length));
      else
        StoreAt<double>(data, ParseFloatText(text, length));
      break;
    case dtBCD:
      StoreAt<int64_t>(data, ReadCurrencyText(text, length));
      break;
    case dtFMTBCD: {
      const TBcd bcd = ReadFmtBcdText(text, length, static_cast<int>(column.Length),
                                      static_cast<int>(column.Field->Scale()));
      std::memcpy(data, &bcd, sizeof bcd);
      break;
    }
    case dtDate:
    case dtTime:
    case dtDateTime: {
      TDateTime value = 0;
      const bool ok =
          Binary && column.MySQLType != MyTypeNewDate
              ? ReadBinaryDateTime(column.MySQLType, reinterpret_cast<const uint8_t*>(text),
                                   length, value)
              : ParseDateTimeText(column.MySQLType, column.Length, text, length,
                                  column.Field->Name(), value);
      // A TIME has no zero date: 00:00:00 is a time like any other.
      if (ok && value == 0.0 && NullForZeroTesmarDate && dt != dtTime) {
        setNull();
      } else if (!ok && NullForZeroDate) {
        setNull();
      } else {
        StoreAt<double>(data, ok ? value : MyZeroDateValue);
      }
      // The newest time stamp of a table tells a later refresh which rows changed since.
      if (ok && column.TimestampTable && value > column.TimestampTable->MaxTimestamp())
        column.TimestampTable->SetMaxTimestamp(value);
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
      const uint32_t n = std::min<uint32_t>(clamped, static_cast<uint32_t>(column.Size - 2));
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
      DecodeUtf8(reinterpret_cast<char16_t*>(data), static_cast<size_t>(column.Size), true,
                 reinterpret_cast<const uint8_t*>(text), clamped);
      break;
    case dtExtWideString: {
      // Decoded first, so that the heap buffer takes only the units the text needs: most
      // non-Latin text is half as long in UTF-16 units as in UTF-8 bytes.
      FWide.resize(static_cast<size_t>(length) + 1);
      const size_t bytes = DecodeUtf8(FWide.data(), FWide.size() * 2, true,
                                      reinterpret_cast<const uint8_t*>(text), length);
      uint8_t* buf = FStore.StringHeap().NewBuf(static_cast<int32_t>(bytes));
      std::memcpy(buf, FWide.data(), bytes);
      StoreAt<uint8_t*>(data, buf);
      break;
    }
    case dtBlob:
    case dtMemo:
    case dtWideMemo:
      PutBlob(column, record, text, length);
      break;
    default:
      RTL_ASSERT(false, u"Invalid internal field type " + IntToStr(dt) + u" for field " +
                            column.Field->Name());
  }
}

void TMyRowConverter::PutBlob(const TColumnPlan& column, uint8_t* record, const char* text,
                              uint32_t length) {
  const bool unicode = UseUnicode && (column.DataType == dtMemo || column.DataType == dtWideMemo);
  // A UTF-8 byte never gives more than one UTF-16 unit.
  const uint64_t room = unicode ? uint64_t{length} * 2 : length;
  TBlob* blob;
  if (length == 0 || room > TLxBlobData::DefaultPieceCapacity) {
    blob = CreateBlob(column.DataType);
    FStore.SetBlob(column.FieldNo, record, blob);
    if (length == 0) return;
    WriteLongBlob(*blob, text, length);
  } else {
    // The usual value: the blob, its store and its one piece in one block, the text decoded
    // straight into the piece.
    blob = TBlob::CreateCarved(FStore.ValuePool(), CompressBlobMode != 0, unicode,
                               static_cast<uint32_t>(room));
    FStore.SetBlob(column.FieldNo, record, blob);
    uint8_t* bytes = blob->GetFirstPiece()->Data();
    size_t used = length;
    if (unicode)
      used = DecodeUtf8(reinterpret_cast<char16_t*>(bytes), static_cast<size_t>(room), false,
                        reinterpret_cast<const uint8_t*>(text), length);
    else
      std::memcpy(bytes, text, length);
    blob->FinishCarved(static_cast<uint32_t>(used));
    blob->SetRollbackEnabled(true);
  }
  if (CompressBlobMode != 0) SettleCompression(column, record, *blob);
}

void TMyRowConverter::WriteLongBlob(TBlob& blob, const char* text, uint32_t length) {
  blob.SetRollbackEnabled(false);
  if (blob.IsUnicode()) {
    FWide.resize(static_cast<size_t>(length) + 1);
    const size_t bytes = DecodeUtf8(FWide.data(), FWide.size() * 2, false,
                                    reinterpret_cast<const uint8_t*>(text), length);
    blob.Write(0, static_cast<uint32_t>(bytes), FWide.data());
  } else {
    blob.Write(0, length, text);
  }
  blob.SetRollbackEnabled(true);
}

void TMyRowConverter::SettleCompression(const TColumnPlan& column, uint8_t* record, TBlob& blob) {
  auto* compressed = dynamic_cast<TCompressedBlob*>(&blob);
  if (!compressed) return;
  // Server-side modes fetch content the server keeps compressed; client-side modes keep the
  // content compressed in memory, the others keep it plain.
  const bool serverCompressed = CompressBlobMode == 2 || CompressBlobMode == 3;
  const bool compress = CompressBlobMode == 1 || CompressBlobMode == 3;
  blob.SetRollbackEnabled(false);
  try {
    if (serverCompressed)
      if (auto* store = dynamic_cast<TCompressedBlobData*>(compressed->Store()))
        store->AdoptCompressedContent();
    compressed->SetCompressed(compress);
  } catch (const std::exception&) {
    blob.Clear();
    record[FStore.DataSize() + column.FieldNo - 1] = 1;
  }
  blob.SetRollbackEnabled(true);
}
