// Dates and times. A TDateTime counts days since 1899-12-30 with the time of day as the fraction;
// before that day the value is negative and the fraction is still the time of day, taken as its
// absolute value (-1.25 is 1899-12-29 06:00). Text conversions follow the given settings.
#pragma once

#include <cmath>
#include <cstdint>

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

// A date and time as whole numbers: milliseconds since midnight, and days counted from
// 0001-01-01, that day being day 1.
struct TTimeStamp {
  int32_t Time;
  int32_t Date;
};

constexpr int32_t HoursPerDay = 24;
constexpr int32_t MinsPerDay = 24 * 60;
constexpr int32_t SecsPerDay = MinsPerDay * 60;
constexpr int32_t MSecsPerDay = SecsPerDay * 1000;
// The time-stamp day number of 1899-12-30, day 0 of TDateTime.
constexpr int32_t DateDelta = 693594;
// 0001-01-01 00:00 and 9999-12-31 23:59:59.999.
constexpr TDateTime MinDateTime = -693593.0;
constexpr TDateTime MaxDateTime = 2958465.99999999;

// EConvertError "Invalid argument to date encode" / "Invalid argument to time encode".
TDateTime EncodeDate(uint16_t y, uint16_t m, uint16_t d);
TDateTime EncodeTime(uint16_t h, uint16_t n, uint16_t s, uint16_t ms);
// Years 1 to 9999; hours 0 to 23, minutes and seconds 0 to 59, milliseconds 0 to 999.
bool TryEncodeDate(uint16_t y, uint16_t m, uint16_t d, TDateTime& dt);
bool TryEncodeTime(uint16_t h, uint16_t n, uint16_t s, uint16_t ms, TDateTime& t);
// The parts of a value, the time rounded to the millisecond. A date before 0001-01-01 decodes as
// year, month and day 0.
void DecodeDate(TDateTime dt, uint16_t& y, uint16_t& m, uint16_t& d);
void DecodeTime(TDateTime dt, uint16_t& h, uint16_t& n, uint16_t& s, uint16_t& ms);
void DecodeDateTime(TDateTime dt, uint16_t& y, uint16_t& m, uint16_t& d, uint16_t& h, uint16_t& n,
                    uint16_t& s, uint16_t& ms);
bool IsLeapYear(uint16_t y);
uint16_t DaysInAMonth(uint16_t y, uint16_t m);  // 0 for a month outside 1 to 12
int DayOfWeek(TDateTime dt);                    // 1 = Sunday .. 7 = Saturday

// The local date and time from the system clock.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// Conversions between TDateTime and time stamps. DateTimeToTimeStamp raises ERangeError for NaN
// and for values far outside the calendar. TimeStampToDateTime raises EConvertError
// "'%d.%d' is not a valid timestamp" (day, milliseconds) for negative milliseconds or a day
// below 1.
TTimeStamp DateTimeToTimeStamp(TDateTime dt);
TDateTime TimeStampToDateTime(const TTimeStamp& ts);
double TimeStampToMSecs(const TTimeStamp& ts);
TTimeStamp MSecsToTimeStamp(double ms);  // ERangeError for NaN or beyond the day counter

// ShortDateFormat; LongTimeFormat; the short date and, when the time is not midnight, a blank and
// the long time.
String DateToStr(TDateTime dt, const TFormatSettings& settings = FormatSettings());
String TimeToStr(TDateTime dt, const TFormatSettings& settings = FormatSettings());
String DateTimeToStr(TDateTime dt, const TFormatSettings& settings = FormatSettings());
// Format letters, case-insensitive: d dd ddd dddd ddddd dddddd, m mm mmm mmmm (m and mm right
// after h or hh are minutes), yy yyyy, h hh, n nn, s ss, z zzz, am/pm a/p ampm (12-hour clock for
// the hours before them), c, t tt, "/" the date separator, ":" the time separator, and text in
// single or double quotes. Any other character is copied. An empty format means "c".
String FormatDateTime(const String& format, TDateTime dt,
                      const TFormatSettings& settings = FormatSettings());

// Dates are read in the order of d, m and y in ShortDateFormat, separated by DateSeparator; a
// missing year is the current one and a year of one or two digits goes through
// TwoDigitYearCenturyWindow. Times are h[:n[:s[.z]]] with an optional AM/PM marker.
// EConvertError "'%s' is not a valid date" / "... valid time" / "... valid date and time".
TDateTime StrToDate(const String& s, const TFormatSettings& settings = FormatSettings());
TDateTime StrToTime(const String& s, const TFormatSettings& settings = FormatSettings());
// A date with an optional time after it, or a time alone (on day 0).
TDateTime StrToDateTime(const String& s, const TFormatSettings& settings = FormatSettings());
bool TryStrToDate(const String& s, TDateTime& v,
                  const TFormatSettings& settings = FormatSettings());
bool TryStrToTime(const String& s, TDateTime& v,
                  const TFormatSettings& settings = FormatSettings());
bool TryStrToDateTime(const String& s, TDateTime& v,
                      const TFormatSettings& settings = FormatSettings());

// The day of a date and time, without its time of day (midnight before it, also before 1899).
inline TDateTime WholeDay(TDateTime value) { return std::floor(value); }
