// Binary rows of a prepared statement: read through the own-protocol back end's row locators, or
// written by a client library into the record (fixed-size values) and into one bind buffer (values
// held by reference, dates and decimals), which a second pass turns into the record's forms.
#include <cstring>

#include "MySql/MyClasses_Connection.h"
#include "MySql/MyClasses_RecordSet.h"
#include "MySql/MyClasses_RecordSetConvert.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"

namespace {

constexpr uint32_t kTypeDecimal = 0;
constexpr uint32_t kTypeNewDecimal = 246;
constexpr uint32_t kTypeTinyBlob = 249;
constexpr uint32_t kTypeShort = 2;
// The start capacity of a blob's pieces: the most of a blob a client library hands over at once.
constexpr uint32_t kBlobPieceSize = 65514;
constexpr size_t kLengthSlot = 4;

bool ByReference(TDataTypeCode dt) {
  switch (dt) {
    case dtDate: case dtTime: case dtDateTime: case dtBlob: case dtMemo: case dtExtString:
    case dtVarBytes: case dtExtVarBytes: case dtWideString: case dtExtWideString: case dtBCD:
    case dtFMTBCD: case dtWideMemo:
      return true;
    default:
      return false;
  }
}

bool IsBlob(TDataTypeCode dt) { return dt == dtBlob || dt == dtMemo || dt == dtWideMemo; }

[[noreturn]] void InvalidType(const String& what) {
  AssertErrorHandler(what, __FILE__, __LINE__);
}

}  // namespace

// ---- the own-protocol back end ----

bool TMySQLRecordset::ReadBinaryRowDirect(TItemBlock* block, int index) {
  TMySQLAPI& api = FConverter->Api();
  PMYSQL_STMT stmt = FMyCommand->StatementHandle();
  Connection()->CheckStmtResult(stmt, api.StmtBindResults(stmt, FResultBinds), GetComponent());
  PMYSQL_ROW row = nullptr;
  const int status = api.StmtFetchRow(stmt, row);
  if (status == MYSTMT_NO_DATA || status == MYSTMT_DATA_TRUNCATED) {
    FBindState = 2;
    CloseResult(false, true);
    return false;
  }
  FMyCommand->CheckStmtResult(status);
  uint8_t* data = RowRecord(block, index);
  try {
    FConverter->ConvertStmtRow(data, stmt, row);
  } catch (...) {
    if (HasComplexFields()) FreeComplexFields(data, true);
    throw;
  }
  return true;
}

void TMySQLRecordset::DrainStatementRows() {
  TMySQLAPI* api = Connection()->API();
  PMYSQL_STMT stmt = FMyCommand->StatementHandle();
  const bool direct = api->ClientStructVer() == 0;
  // The own engine reads rows through binds of its own; without them it could not read on.
  if (direct) api->StmtBindResults(stmt, FResultBinds);
  int status = api->mysql_stmt_errno(stmt);
  while (status != MYSTMT_NO_DATA && status != MYSTMT_DATA_TRUNCATED) {
    FMyCommand->CheckStmtResult(status);
    PMYSQL_ROW row = nullptr;
    status = direct ? api->StmtFetchRow(stmt, row) : api->mysql_stmt_fetch(stmt);
  }
  FBindState = 2;
}

// ---- a client library ----

void TMySQLRecordset::FreeBindBuffer() {
  std::vector<uint8_t>().swap(FBindBuffer);
  FBindLengths.clear();
}

void TMySQLRecordset::PrepareResultBinds() {
  FBindState = 1;
  TMySQLAPI* api = Connection()->API();
  if (api->ClientStructVer() == 0 || Fields().Count() == 0) return;
  const int count = Fields().Count();
  FResultBinds.assign(static_cast<size_t>(count), TMYSQL_BIND{});
  FBindLengths.assign(static_cast<size_t>(count), 0);
  std::vector<size_t> areas(static_cast<size_t>(count), 0);
  const bool decimalsAsText = ServerMajor() >= 5;
  size_t total = 0;
  for (int i = 0; i < count; ++i) {
    auto* field = static_cast<TMySQLFieldDesc*>(Fields()[i]);
    TMYSQL_BIND& bind = FResultBinds[static_cast<size_t>(i)];
    TDataTypeCode dt = field->DataType();
    const uint32_t myType = field->MySQLType();
    if (dt == dtFloat && decimalsAsText && (myType == kTypeDecimal || myType == kTypeNewDecimal))
      dt = dtBCD;
    bind.is_unsigned = field->IsUnsigned() ? 1 : 0;
    // A 16-bit unsigned value is bound as what it is: a LONG would not fit its record slot.
    bind.buffer_type = dt == dtWord ? kTypeShort : DataTypeToMySqlType(dt);
    if (dt == dtWord) bind.is_unsigned = 1;
    if (ByReference(dt)) {
      size_t area = 0;
      switch (dt) {
        case dtBCD: case dtFMTBCD: area = field->Length() + field->Scale() + 9u; break;
        case dtDate: case dtTime: case dtDateTime: area = 40; break;
        case dtBlob: case dtMemo: case dtWideMemo:
          area = myType == kTypeTinyBlob ? 259 : kLengthSlot + kBlobPieceSize;
          break;
        case dtExtString: case dtVarBytes: case dtExtVarBytes: area = field->Length() + 6u; break;
        default: area = 3u * field->Length() + 7u; break;  // wide strings: 3 bytes a character
      }
      if (area <= kLengthSlot)
        InvalidType(u"Invalid bind area for MySQL type " + IntToStr(static_cast<int64_t>(myType)) +
                    u", data type " + IntToStr(static_cast<int64_t>(dt)));
      areas[static_cast<size_t>(i)] = area;
      bind.buffer_length = static_cast<uint32_t>(area - kLengthSlot);
      total += area;
      continue;
    }
    switch (dt) {
      case dtString: case dtBytes: bind.buffer_length = static_cast<uint32_t>(field->Size()); break;
      case dtInt8: case dtBoolean: bind.buffer_length = 1; break;
      case dtSmallint: case dtWord: bind.buffer_length = 2; break;
      case dtInteger: case dtUInt32: bind.buffer_length = 4; break;
      case dtFloat: case dtLargeint: bind.buffer_length = 8; break;
      default:
        InvalidType(u"Invalid internal field type $" + IntToHex(static_cast<uint64_t>(dt), 1) +
                    u" (" + IntToStr(static_cast<int64_t>(dt)) + u") for field " + field->Name());
    }
  }
  FBindBuffer.assign(total, 0);
  size_t at = 0;
  for (int i = 0; i < count; ++i) {
    const size_t area = areas[static_cast<size_t>(i)];
    if (area == 0) continue;
    TMYSQL_BIND& bind = FResultBinds[static_cast<size_t>(i)];
    bind.length = reinterpret_cast<uint32_t*>(FBindBuffer.data() + at);
    bind.buffer = FBindBuffer.data() + at + kLengthSlot;
    at += area;
  }
}

bool TMySQLRecordset::ReadBinaryRowClient(TItemBlock* block, int index) {
  TMySQLAPI& api = FConverter->Api();
  PMYSQL_STMT stmt = FMyCommand->StatementHandle();
  uint8_t* data = RowRecord(block, index);
  // The library writes null flags into the record's null bytes and fixed-size values into their
  // places; values held by reference go to the bind buffer, where PrepareResultBinds pointed them.
  for (int i = 0; i < Fields().Count(); ++i) {
    TMYSQL_BIND& bind = FResultBinds[static_cast<size_t>(i)];
    bind.is_null = data + DataSize() + i;
    if (bind.length == nullptr) bind.buffer = data + Fields()[i]->Offset();
  }
  Connection()->CheckStmtResult(stmt, api.StmtBindResults(stmt, FResultBinds), GetComponent());
  const int status = api.mysql_stmt_fetch(stmt);
  if (status == MYSTMT_NO_DATA) {
    FBindState = 2;
    CloseResult(false, true);
    return false;
  }
  if (status != MYSTMT_DATA_TRUNCATED) FMyCommand->CheckStmtResult(status);
  try {
    ConvertBinaryRow(data);
  } catch (...) {
    if (HasComplexFields()) FreeComplexFields(data, true);
    throw;
  }
  return true;
}

void TMySQLRecordset::ConvertBinaryRow(uint8_t* record) {
  TMySQLAPI& api = FConverter->Api();
  const int count = Fields().Count();
  uint8_t* nulls = record + DataSize();
  std::vector<char> pieces;
  for (int i = 0; i < count; ++i) {
    auto* field = static_cast<TMySQLFieldDesc*>(Fields()[i]);
    if (field->CalcKind() != 0) continue;
    const TMYSQL_BIND& bind = FResultBinds[static_cast<size_t>(i)];
    uint8_t* place = record + field->Offset();
    const TDataTypeCode dt = field->DataType();
    const bool isNull = nulls[i] != 0;
    if (bind.length == nullptr) {
      // Written straight into the record; only the 8-bit forms need widening.
      if (isNull) continue;
      if (dt == dtInt8) {
        const int16_t v = static_cast<int8_t>(place[0]);
        std::memcpy(place, &v, sizeof v);
      } else if (dt == dtBoolean) {
        const int16_t v = place[0] != 0 ? -1 : 0;
        std::memcpy(place, &v, sizeof v);
      }
      continue;
    }
    const auto* value = static_cast<const char*>(bind.buffer);
    uint32_t length;  // the length slots follow the areas, aligned or not
    std::memcpy(&length, bind.length, sizeof length);
    if (isNull) {
      if (IsBlob(dt)) {
        FConverter->ConvertTextValue(record, i, nullptr, 0);
        nulls[i] = 1;
      } else if (dt == dtExtString || dt == dtExtVarBytes || dt == dtExtWideString) {
        std::memset(place, 0, sizeof(void*));
      } else if (dt == dtVarBytes || dt == dtWideString) {
        std::memset(place, 0, dt == dtVarBytes ? 2 : 4);
      }
      continue;
    }
    if (dt == dtDate || dt == dtTime || dt == dtDateTime) {
      TMYSQL_TIME t;
      std::memcpy(&t, value, sizeof t);
      TDateTime v = 0;
      bool ok = false;
      const uint16_t ms = static_cast<uint16_t>(t.second_part / 1000);
      if (t.time_type == 0) {
        ok = TryEncodeDate(static_cast<uint16_t>(t.year), static_cast<uint16_t>(t.month),
                           static_cast<uint16_t>(t.day), v);
      } else if (t.time_type == 1) {
        TDateTime time = 0;
        ok = TryEncodeDate(static_cast<uint16_t>(t.year), static_cast<uint16_t>(t.month),
                           static_cast<uint16_t>(t.day), v) &&
             TryEncodeTime(static_cast<uint16_t>(t.hour), static_cast<uint16_t>(t.minute),
                           static_cast<uint16_t>(t.second), ms, time);
        if (ok) v = v < 0 ? v - time : v + time;
      } else if (t.time_type == 2) {
        v = t.hour / 24.0 + (t.minute * 60.0 + t.second) / 86400.0 + ms / 86400000.0;
        if (t.neg) v = -v;
        ok = true;
      }
      if (ok && v == 0.0 && t.time_type != 2 && NullForZeroTesmarDate()) {
        nulls[i] = 1;
      } else if (!ok && FNullForZeroDate) {
        nulls[i] = 1;
      } else {
        const double stored = ok ? v : MyZeroDateValue;
        std::memcpy(place, &stored, sizeof stored);
      }
      continue;
    }
    if (IsBlob(dt) && length > bind.buffer_length) {
      // The rest of a long value is asked for piece by piece.
      pieces.assign(value, value + bind.buffer_length);
      TMYSQL_BINDS& binds = FResultBinds;
      while (pieces.size() < length) {
        api.StmtFetchColumn(FMyCommand->StatementHandle(), binds, i,
                            static_cast<int>(pieces.size()));
        const size_t n = std::min<size_t>(bind.buffer_length, length - pieces.size());
        pieces.insert(pieces.end(), value, value + n);
      }
      FConverter->ConvertTextValue(record, i, pieces.data(), length);
      continue;
    }
    FConverter->ConvertTextValue(record, i, value, std::min(length, bind.buffer_length));
  }
}
