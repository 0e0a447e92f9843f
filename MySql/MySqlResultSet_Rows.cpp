#include "MySql/MySqlResultSet_Rows.h"

#include "MySql/MySqlErrors.h"
#include "MySql/MySqlNetCodec.h"

using mysqlcodec::TMySqlReader;

namespace mysqlrows {

namespace {

// The 4.1 EOF packet: marker, warning count (2 bytes), server status (2 bytes).
constexpr size_t kEofWithStatus = 5;
constexpr int kColumns41 = 7;
constexpr int kColumns40 = 5;

// Where a located value's bytes are, as a reader of their own.
TMySqlReader ValueReader(const uint8_t* row, const TMySqlBind& bind) {
  return TMySqlReader(bind.IsNull ? nullptr : row + bind.Offset,
                      bind.IsNull ? 0 : static_cast<size_t>(bind.Length));
}

AnsiString ValueText(const uint8_t* row, const TMySqlBind& bind) {
  if (bind.IsNull || bind.Length == 0) return AnsiString();
  return AnsiString(reinterpret_cast<const char*>(row + bind.Offset),
                    static_cast<size_t>(bind.Length));
}

void SetValue(TMySqlBind& bind, size_t start, size_t length) {
  bind.IsNull = false;
  bind.Offset = static_cast<int32_t>(start);
  bind.Length = static_cast<int32_t>(length);
}

void SetNull(TMySqlBind& bind) {
  bind.IsNull = true;
  bind.Offset = 0;
  bind.Length = 0;
}

}  // namespace

TEofInfo DecodeEofPacket(const uint8_t* payload, size_t length) {
  TEofInfo eof;
  if (length <= 1) return eof;
  if (length < kEofWithStatus) throw EMySqlException(CR_MALFORMED_PACKET);
  TMySqlReader r(payload, length, 1);
  eof.HasStatus = true;
  eof.WarningCount = r.ReadUInt16();
  eof.ServerStatus = r.ReadUInt16();
  return eof;
}

void LocateTextRow(const uint8_t* row, size_t length, TMySqlBinds& binds) {
  TMySqlReader r(row, length);
  for (TMySqlBind& bind : binds.Binds) {
    size_t start, n;
    if (r.LocateLengthCoded(start, n))
      SetValue(bind, start, n);
    else
      SetNull(bind);
  }
}

size_t BinaryFixedSize(TMySqlFieldType type) {
  switch (type) {
    case 1:  // TINY
      return 1;
    case 2:   // SHORT
    case 13:  // YEAR
      return 2;
    case 3:  // LONG
    case 4:  // FLOAT
    case 9:  // INT24
      return 4;
    case 5:  // DOUBLE
    case 8:  // LONGLONG
      return 8;
    default:
      return 0;
  }
}

void LocateBinaryRow(const uint8_t* row, size_t length, const TMySqlFieldInfos& columns,
                     TMySqlBinds& binds) {
  RTL_ASSERT(binds.Binds.size() >= columns.size(), u"LocateBinaryRow: fewer binds than columns");
  const size_t bitmapSize = BinaryNullBitmapSize(columns.size());
  TMySqlReader r(row, length);
  r.ReadByte();  // the header byte
  // The bitmap must be there whole before a bit of it is read.
  if (r.Remaining() < bitmapSize) throw EMySqlException(CR_MALFORMED_PACKET);
  const uint8_t* bitmap = r.Current();
  r.SkipUpTo(bitmapSize);
  for (size_t i = 0; i < columns.size(); ++i) {
    TMySqlBind& bind = binds.Binds[i];
    bind.Type = columns[i].Type;
    const size_t bit = i + 2;
    if (bitmap[bit / 8] & (1u << (bit % 8))) {
      bind.IsNull = true;
      continue;
    }
    size_t fixed = BinaryFixedSize(bind.Type);
    if (fixed > 0) {
      if (r.Remaining() < fixed) throw EMySqlException(CR_MALFORMED_PACKET);
      SetValue(bind, r.Position(), fixed);
      r.SkipUpTo(fixed);
      continue;
    }
    size_t start, n;
    if (!r.LocateLengthCoded(start, n)) {
      SetNull(bind);
      continue;
    }
    // Dates and times have a few fixed forms; any other length cannot be taken apart.
    if (!BinaryTemporalLengthValid(bind.Type, n)) throw EMySqlException(CR_MALFORMED_PACKET);
    SetValue(bind, start, n);
  }
}

bool BinaryTemporalLengthValid(TMySqlFieldType type, size_t length) {
  switch (type) {
    case 7:   // TIMESTAMP
    case 10:  // DATE
    case 12:  // DATETIME
      return length == 0 || length == 4 || length == 7 || length == 11;
    case 11:  // TIME
      return length == 0 || length == 8 || length == 12;
    default:
      return true;
  }
}

TMySqlFieldInfo DecodeColumn41(const uint8_t* payload, size_t length) {
  TMySqlBinds b(kColumns41);
  LocateTextRow(payload, length, b);
  const auto& v = b.Binds;
  TMySqlReader fixed = ValueReader(payload, v[6]);
  uint32_t charset = fixed.ReadUInt16();
  uint32_t columnLength = fixed.ReadUInt32();
  TMySqlFieldType type = fixed.ReadByte();
  uint32_t flags = fixed.ReadUInt16();
  // The decimals byte and the zero filler after it.
  uint32_t decimals = fixed.ReadUInt16();
  TMySqlFieldInfo info;
  InitFieldInfo(ValueText(payload, v[4]), ValueText(payload, v[5]), ValueText(payload, v[2]), info,
                type, charset, flags, 0, decimals, columnLength, AnsiString(),
                ValueText(payload, v[1]), ValueText(payload, v[3]));
  return info;
}

TMySqlFieldInfo DecodeColumn40(const uint8_t* payload, size_t length, bool longFlag) {
  TMySqlBinds b(kColumns40);
  LocateTextRow(payload, length, b);
  const auto& v = b.Binds;
  uint32_t columnLength = ValueReader(payload, v[2]).ReadUInt24();
  TMySqlFieldType type = ValueReader(payload, v[3]).ReadByte();
  TMySqlReader last = ValueReader(payload, v[4]);
  uint32_t flags = longFlag ? last.ReadUInt16() : last.ReadByte();
  uint32_t decimals = last.ReadByte();
  AnsiString table = ValueText(payload, v[0]);
  TMySqlFieldInfo info;
  InitFieldInfo(ValueText(payload, v[1]), AnsiString(), table, info, type, 0, flags, 0, decimals,
                columnLength, AnsiString(), AnsiString(), table);
  return info;
}

}  // namespace mysqlrows
