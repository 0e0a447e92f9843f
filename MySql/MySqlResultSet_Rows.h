// The byte formats of a result as pure functions over received packets: text and binary rows, the
// EOF packet, and column definitions in the 4.1 and the older form. Nothing here reads the wire.
//
// Values are located in place: a bind says where a column's bytes start in the row and how many
// there are. Every length is checked against the packet it came in: one that would pass the end
// is a malformed packet (EMySqlException 2027), so a bind never points outside its row.
#pragma once

#include <cstddef>
#include <cstdint>

#include "MySql/MyCall.h"
#include "MySql/MySqlBind.h"

namespace mysqlrows {

constexpr uint8_t kEofMarker = 254;
// An EOF packet is 254 and at most 8 bytes in all; a row that begins with 254 (an 8-byte length
// prefix) is always longer.
constexpr size_t kMaxEofLength = 8;

inline bool IsEofPacket(const uint8_t* payload, size_t length) {
  return length > 0 && length <= kMaxEofLength && payload[0] == kEofMarker;
}

struct TEofInfo {
  bool HasStatus = false;  // only the 4.1 form carries them
  uint16_t WarningCount = 0;
  uint16_t ServerStatus = 0;
};
// An EOF packet longer than 1 byte carries the warning count and the server status; one of 2 to
// 4 bytes is malformed (2027).
TEofInfo DecodeEofPacket(const uint8_t* payload, size_t length);

// A text row: one length-coded string per bind, in order. NULL (251) gives IsNull with offset and
// length 0. A prefix of 255 raises ArgumentException; a row too short for its columns 2027.
void LocateTextRow(const uint8_t* row, size_t length, TMySqlBinds& binds);

// The bytes of a binary row's NULL bitmap for the field count (two reserved bits come first).
inline size_t BinaryNullBitmapSize(size_t fieldCount) { return (fieldCount + 9) / 8; }
// The fixed size of a binary value of the type; 0 for the types sent as length-coded strings.
size_t BinaryFixedSize(TMySqlFieldType type);
// A binary row: header byte, NULL bitmap, then the non-NULL values in column order. Every column
// gets its Type; a NULL one only IsNull. The binds must be at least as many as the columns.
void LocateBinaryRow(const uint8_t* row, size_t length, const TMySqlFieldInfos& columns,
                     TMySqlBinds& binds);

// Whether a binary value of a date or time type has one of the lengths its type is sent with
// (0, 4, 7 or 11 bytes for dates, 0, 8 or 12 for TIME); true for every other type. A binary row
// holding another length is malformed.
bool BinaryTemporalLengthValid(TMySqlFieldType type, size_t length);

// A column definition of the 4.1 form: catalog, database, table, underlying table, name,
// underlying name, then the fixed part (character set, length, type, flags, decimals).
TMySqlFieldInfo DecodeColumn41(const uint8_t* payload, size_t length);
// A column definition of the older form: table, name, length, type, and flags with decimals
// (2-byte flags when the server has LONG_FLAG, else 1 byte).
TMySqlFieldInfo DecodeColumn40(const uint8_t* payload, size_t length, bool longFlag);

}  // namespace mysqlrows
