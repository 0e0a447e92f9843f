// The client-library call table's prepared statements: the table's bind and time records
// translated into the library's layout on the way in, and what the library wrote copied back
// after each fetch.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "Common/LxAccess_Command.h"
#include "MySql/MyCall.h"
#include "MySql/MySqlApiClient.h"
#include "MySql/MySqlApiClient_EntryPoints.h"
#include "MySql/MySqlNetCodec.h"
#include "MySql/MySqlStmt_Codec.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"

namespace {

constexpr uint8_t kResultParam = 4;  // a function's result: not a marker of the statement
constexpr uint32_t kTypeDate = 10, kTypeTime = 11, kTypeDateTime = 12, kTypeTimestamp = 7;
constexpr uint32_t kTypeVarString = 253, kTypeBit = 16;
constexpr uint32_t kTypeTiny = 1, kTypeShort = 2, kTypeLong = 3, kTypeLongLong = 8;
constexpr TDateTime kZeroDate = -693593.0;  // 0001-01-01, how the zero date reaches a parameter
constexpr int64_t kMsPerDay = 86400000;
// The time kinds of the time record.
constexpr uint32_t kTimeDate = 0, kTimeDateTime = 1, kTimeTime = 2;

bool IsTimeType(uint32_t type) {
  return type == kTypeDate || type == kTypeTime || type == kTypeDateTime ||
         type == kTypeTimestamp;
}

TMYSQL_LIBBIND ToLibrary(const TMYSQL_BIND& from) {
  TMYSQL_LIBBIND to{};
  to.is_null = from.is_null;
  to.buffer = from.buffer;
  to.buffer_type = from.buffer_type;
  to.buffer_length = from.buffer_length;
  to.is_unsigned = from.is_unsigned;
  return to;
}

// A BIT value's big-endian bytes, which the library leaves at the start of the number's place,
// as the number in the place's own width.
void BitsToNumber(const TMYSQL_LIBBIND& bind, unsigned long length) {
  size_t width = 0;
  switch (bind.buffer_type) {
    case kTypeTiny: width = 1; break;
    case kTypeShort: width = 2; break;
    case kTypeLong: width = 4; break;
    case kTypeLongLong: width = 8; break;
    default: return;  // bound as bytes: kept as they are
  }
  auto* place = static_cast<uint8_t*>(bind.buffer);
  const size_t n = std::min<size_t>(length, width);
  uint64_t value = 0;
  for (size_t i = 0; i < n; ++i) value = value << 8 | place[i];
  std::memcpy(place, &value, width);  // little-endian: the low bytes of the number
}

// The table's length slots sit wherever the record set's areas put them, aligned or not.
void StoreLength(uint32_t* slot, unsigned long length) {
  const uint32_t value = static_cast<uint32_t>(length);
  std::memcpy(slot, &value, sizeof value);
}

// The library's time record as the table's.
void ToTableTime(const TMYSQL_LIBTIME& from, void* to) {
  TMYSQL_TIME t{};
  t.year = from.year;
  t.month = from.month;
  t.day = from.day;
  t.hour = from.hour;
  t.minute = from.minute;
  t.second = from.second;
  t.second_part = static_cast<uint32_t>(from.second_part);
  t.neg = from.neg;
  t.time_type = from.time_type;
  std::memcpy(to, &t, sizeof t);
}

// A parameter's date, time or date and time as the library's time record; a time keeps its sign
// and its whole days as hours.
TMYSQL_LIBTIME ToLibraryTime(uint32_t type, TDateTime value) {
  TMYSQL_LIBTIME t{};
  if (type == kTypeTime) {
    t.time_type = kTimeTime;
    if (value == kZeroDate) return t;
    const int64_t total = static_cast<int64_t>(std::llround(std::fabs(value) * kMsPerDay));
    const int64_t ofDay = total % kMsPerDay;
    t.neg = value < 0 ? 1 : 0;
    t.hour = static_cast<uint32_t>(total / kMsPerDay * 24 + ofDay / 3600000);
    t.minute = static_cast<uint32_t>(ofDay / 60000 % 60);
    t.second = static_cast<uint32_t>(ofDay / 1000 % 60);
    t.second_part = static_cast<unsigned long>(ofDay % 1000) * 1000u;
    return t;
  }
  t.time_type = type == kTypeDate ? kTimeDate : kTimeDateTime;
  if (value == kZeroDate) return t;
  uint16_t y, m, d, h, n, s, ms;
  DecodeDateTime(value, y, m, d, h, n, s, ms);
  t.year = y;
  t.month = m;
  t.day = d;
  if (type != kTypeDate) {
    t.hour = h;
    t.minute = n;
    t.second = s;
    t.second_part = static_cast<unsigned long>(ms) * 1000u;
  }
  return t;
}

// The bytes of a length-coded string without their length.
TBytes WithoutLength(const TBytes& coded) {
  mysqlcodec::TMySqlReader reader(coded.data(), coded.size());
  size_t start = 0, length = 0;
  reader.LocateLengthCoded(start, length);
  return TBytes(coded.begin() + static_cast<std::ptrdiff_t>(start),
                coded.begin() + static_cast<std::ptrdiff_t>(start + length));
}

}  // namespace

int TMySQLAPIClient::StmtExecuteParams(PMYSQL_STMT stmt, TParamDescs& params, bool) {
  const int first =
      params.Count() > 0 && params.GetItem(0)->GetParamType() == kResultParam ? 1 : 0;
  const size_t count = static_cast<size_t>(params.Count() - first);
  RTL_ASSERT(static_cast<size_t>(mysql_stmt_param_count(stmt)) == count,
             u"The statement's parameter count differs from its descriptors'");
  if (count == 0) return mysql_stmt_execute(stmt);
  std::vector<TMYSQL_LIBBIND> binds(count);
  std::vector<TBytes> values(count);
  std::vector<TMYSQL_LIBTIME> times(count);
  std::vector<unsigned long> lengths(count, 0);
  std::vector<uint8_t> nulls(count, 0);
  for (size_t i = 0; i < count; ++i) {
    TParamDesc* desc = params.GetItem(first + static_cast<int>(i));
    TMYSQL_LIBBIND& bind = binds[i];
    const TMySqlParamType type = mysqlstmt::ParamTypeOf(desc->GetDataType());
    bind.buffer_type = type & 0xFFu;
    bind.is_unsigned = (type & kParamUnsigned) != 0 ? 1 : 0;
    bind.is_null = &nulls[i];
    const Variant value = desc->GetValue();
    if (desc->GetNull() || value.IsNull() || value.IsEmpty()) {
      nulls[i] = 1;
      continue;
    }
    if (IsTimeType(bind.buffer_type)) {
      times[i] = ToLibraryTime(bind.buffer_type, value.AsDateTime());
      bind.buffer = &times[i];
      bind.buffer_length = sizeof(TMYSQL_LIBTIME);
      continue;
    }
    TBytes wire;
    mysqlstmt::AppendParamValue(wire, desc->GetDataType(), value);
    values[i] = bind.buffer_type == kTypeVarString ? WithoutLength(wire) : std::move(wire);
    bind.buffer = values[i].data();
    bind.buffer_length = static_cast<unsigned long>(values[i].size());
    lengths[i] = bind.buffer_length;
    bind.length = &lengths[i];
  }
  if (Need(FEntry->mysql_stmt_bind_param)(stmt, binds.data()) != 0) return 1;
  return mysql_stmt_execute(stmt);
}

uint8_t TMySQLAPIClient::StmtBindResults(PMYSQL_STMT stmt, TMYSQL_BINDS& binds) {
  const size_t count = binds.size();
  // Rows are bound before every fetch: the columns are looked at once per statement.
  bool described = false;
  {
    std::lock_guard<std::mutex> hold(FBindsLock);
    auto found = FResultBinds.find(stmt);
    described = found != FResultBinds.end() && found->second.Bits.size() == count;
  }
  std::vector<bool> bits;
  if (!described) {
    bits.assign(count, false);
    if (PMYSQL_RES meta = mysql_stmt_result_metadata(stmt)) {
      for (size_t i = 0; i < count && static_cast<int>(i) < mysql_num_fields(meta); ++i) {
        TMYSQL_FIELD field;
        GetFieldInfo(meta, static_cast<int>(i), field, false);
        bits[i] = field.Type == kTypeBit;
      }
    }
  }
  std::lock_guard<std::mutex> hold(FBindsLock);
  TClientResultBinds& held = FResultBinds[stmt];
  if (!described) held.Bits = std::move(bits);
  held.Binds.assign(count, TMYSQL_LIBBIND{});
  held.Lengths.assign(count, 0);
  held.Times.assign(count, TMYSQL_LIBTIME{});
  held.LengthTargets.assign(count, nullptr);
  held.TimeTargets.assign(count, nullptr);
  for (size_t i = 0; i < count; ++i) {
    const TMYSQL_BIND& from = binds[i];
    TMYSQL_LIBBIND& to = held.Binds[i];
    to = ToLibrary(from);
    to.length = &held.Lengths[i];
    held.LengthTargets[i] = from.length;
    if (IsTimeType(from.buffer_type)) {
      // The library's time record is longer than the table's: it is read into the shadow.
      held.TimeTargets[i] = from.buffer;
      to.buffer = &held.Times[i];
      to.buffer_length = sizeof(TMYSQL_LIBTIME);
    }
  }
  return static_cast<uint8_t>(Need(FEntry->mysql_stmt_bind_result)(stmt, held.Binds.data()));
}

void TMySQLAPIClient::DeliverFetched(PMYSQL_STMT stmt) {
  std::lock_guard<std::mutex> hold(FBindsLock);
  auto found = FResultBinds.find(stmt);
  if (found == FResultBinds.end()) return;
  TClientResultBinds& held = found->second;
  for (size_t i = 0; i < held.Binds.size(); ++i) {
    if (held.LengthTargets[i]) StoreLength(held.LengthTargets[i], held.Lengths[i]);
    const bool isNull = held.Binds[i].is_null && *held.Binds[i].is_null;
    if (held.TimeTargets[i] && !isNull) {
      // A zero TIME comes with no bytes, and the library then leaves the record's kind unset.
      if (held.Binds[i].buffer_type == kTypeTime) held.Times[i].time_type = kTimeTime;
      ToTableTime(held.Times[i], held.TimeTargets[i]);
    }
    if (held.Bits[i] && !isNull) BitsToNumber(held.Binds[i], held.Lengths[i]);
  }
}

int TMySQLAPIClient::StmtFetchColumn(PMYSQL_STMT stmt, TMYSQL_BINDS& binds, int column,
                                     int offset) {
  RTL_ASSERT(column >= 0 && static_cast<size_t>(column) < binds.size(), u"Column out of range");
  const TMYSQL_BIND& from = binds[static_cast<size_t>(column)];
  TMYSQL_LIBBIND bind = ToLibrary(from);
  unsigned long length = 0;
  bind.length = &length;
  const int status = Need(FEntry->mysql_stmt_fetch_column)(
      stmt, &bind, static_cast<unsigned>(column), static_cast<unsigned long>(offset));
  if (from.length) StoreLength(from.length, length);
  return status;
}
