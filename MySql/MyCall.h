// Records and helpers shared by the MySQL call table and its back ends: the transport choice, the
// column description the engine fills from field packets, the client interface's time record, the
// numeric-column test and the version-text parser.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/rtl/Types.h"

// How a session reaches its server.
enum TMyProtocol : uint8_t { mpDefault, mpTCP, mpSocket, mpPipe, mpMemory, mpSSL, mpHttp };

// A MySQL column type code as the server sends it (0 DECIMAL ... 255 GEOMETRY).
using TMySqlFieldType = uint8_t;
constexpr TMySqlFieldType kFieldTypeTimestamp = 7;
constexpr TMySqlFieldType kFieldTypeYear = 13;

// Added to a column's flags when the column is numeric.
constexpr uint32_t kNumFlag = 0x8000;

struct TMySqlFieldInfo {
  AnsiString Name;          // column name or alias
  AnsiString OrgName;       // underlying column name (empty before 4.1)
  AnsiString Table;         // table name or alias
  AnsiString OrgTable;      // underlying table name
  AnsiString Database;      // database name (empty before 4.1)
  AnsiString DefaultValue;  // always empty here
  uint32_t Length = 0;      // display length as the server sent it
  uint32_t Decimals = 0;
  uint32_t MaxLength = 0;   // always 0 here
  uint32_t Flags = 0;       // as sent, plus kNumFlag for numeric columns
  uint32_t CharsetNr = 0;   // 0 before 4.1
  TMySqlFieldType Type = 0;
};
using TMySqlFieldInfos = std::vector<TMySqlFieldInfo>;

// Fills every field and returns whether the column is numeric (then kNumFlag is in Flags).
bool InitFieldInfo(const AnsiString& name, const AnsiString& orgName, const AnsiString& table,
                   TMySqlFieldInfo& info, TMySqlFieldType type, uint32_t charsetNr, uint32_t flags,
                   uint32_t maxLength, uint32_t decimals, uint32_t length,
                   const AnsiString& defaultValue, const AnsiString& database,
                   const AnsiString& orgTable);

// DECIMAL, TINY, SHORT, LONG, FLOAT, DOUBLE, NULL, LONGLONG, INT24 and YEAR; TIMESTAMP only with a
// display length of 14 or 8 (the old numeric forms).
bool IsNumericField(const TMySqlFieldInfo& info);

// "5.0.45-log" gives 5, 0, 45. Raises the platform's conversion error when a part is not a number.
void ParseVersion(const AnsiString& version, int32_t& major, int32_t& minor, int32_t& release);

// The client interface's time structure.
struct TMYSQL_TIME {
  uint32_t year, month, day, hour, minute, second;
  uint32_t second_part;  // microseconds
  uint8_t neg;
  uint8_t padding[3];
  uint32_t time_type;  // 0 date, 1 date and time, 2 time
};
static_assert(sizeof(TMYSQL_TIME) == 36, "nine 32-bit slots");

// A date and time, milliseconds included, as time type 1.
void DateTimeToMySqlTime(TMYSQL_TIME& time, TDateTime value);
