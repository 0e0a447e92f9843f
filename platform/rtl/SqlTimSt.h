// TSQLTimeStamp: a date and time as separate 16-bit fields, the 16-byte form in which the record
// store keeps SQL time stamps. Fractions counts milliseconds. A record of all zeros is the blank
// (null) time stamp.
#pragma once

#include <cstdint>

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

struct TSQLTimeStamp {
  int16_t Year;
  uint16_t Month;
  uint16_t Day;
  uint16_t Hour;
  uint16_t Minute;
  uint16_t Second;
  uint32_t Fractions;  // milliseconds, 0 to 999
};
static_assert(sizeof(TSQLTimeStamp) == 16, "TSQLTimeStamp is stored in record buffers as 16 bytes");

constexpr TSQLTimeStamp NullSQLTimeStamp = {0, 0, 0, 0, 0, 0, 0};

bool IsSQLTimeStampBlank(const TSQLTimeStamp& ts);
// Whether the fields form a real date and time (years 1 to 9999, a day that the month has, a time
// of day, fractions below 1000) or the blank time stamp.
bool IsValidSQLTimeStamp(const TSQLTimeStamp& ts);
// Raises EConvertError "Invalid SQL date/time values" unless IsValidSQLTimeStamp.
void CheckSqlTimeStamp(const TSQLTimeStamp& ts);
// -1, 0 or 1 by year, month, day, hour, minute, second and fractions in that order.
int CompareSQLTimeStamp(const TSQLTimeStamp& a, const TSQLTimeStamp& b);

// The time is rounded to the millisecond. A value outside 0001-01-01 to 9999-12-31 (or NaN)
// raises EConvertError "Invalid SQL date/time values".
TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime dt);
// The blank time stamp gives 0; an invalid one raises as CheckSqlTimeStamp does.
TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& ts);

// FormatDateTime's text of the value; an empty format gives the short date and the long time
// when the time is not midnight.
String SQLTimeStampToStr(const String& format, const TSQLTimeStamp& ts,
                         const TFormatSettings& settings = FormatSettings());
// The locale's date and time (as StrToDateTime reads it) or the SQL form
// "yyyy-mm-dd[ hh:nn[:ss[.zzz]]]". StrToSQLTimeStamp raises EConvertError
// "Could not parse SQL TimeStamp string" for anything else.
TSQLTimeStamp StrToSQLTimeStamp(const String& s, const TFormatSettings& settings = FormatSettings());
bool TryStrToSQLTimeStamp(const String& s, TSQLTimeStamp& ts,
                          const TFormatSettings& settings = FormatSettings());
