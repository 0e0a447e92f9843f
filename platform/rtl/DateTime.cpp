// Encoding and decoding dates and times, time stamps and the clock.
#include "platform/rtl/DateTime.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/RtlMath.h"

namespace {

const uint16_t kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

constexpr int32_t kDaysPer400Years = 146097;
constexpr int32_t kDaysPer100Years = 36524;
constexpr int32_t kDaysPer4Years = 1461;

// The time-stamp day number of the first day of a year.
int32_t FirstDayOfYear(int32_t year) {
  int32_t y = year - 1;
  return y * 365 + y / 4 - y / 100 + y / 400 + 1;
}

void CheckDayRange(int64_t day) {
  if (day < std::numeric_limits<int32_t>::min() || day > std::numeric_limits<int32_t>::max())
    throw ERangeError(u"Range check error");
}

}  // namespace

bool IsLeapYear(uint16_t y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

uint16_t DaysInAMonth(uint16_t y, uint16_t m) {
  if (m < 1 || m > 12) return 0;
  return kMonthDays[IsLeapYear(y)][m - 1];
}

bool TryEncodeDate(uint16_t y, uint16_t m, uint16_t d, TDateTime& dt) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInAMonth(y, m)) return false;
  int32_t day = FirstDayOfYear(y) + d - 1;
  for (int i = 0; i < m - 1; ++i) day += kMonthDays[IsLeapYear(y)][i];
  dt = day - DateDelta;
  return true;
}

bool TryEncodeTime(uint16_t h, uint16_t n, uint16_t s, uint16_t ms, TDateTime& t) {
  if (h >= HoursPerDay || n >= 60 || s >= 60 || ms >= 1000) return false;
  t = (h * 3600000 + n * 60000 + s * 1000 + ms) / static_cast<double>(MSecsPerDay);
  return true;
}

TDateTime EncodeDate(uint16_t y, uint16_t m, uint16_t d) {
  TDateTime dt;
  if (!TryEncodeDate(y, m, d, dt)) throw EConvertError(u"Invalid argument to date encode");
  return dt;
}

TDateTime EncodeTime(uint16_t h, uint16_t n, uint16_t s, uint16_t ms) {
  TDateTime t;
  if (!TryEncodeTime(h, n, s, ms, t)) throw EConvertError(u"Invalid argument to time encode");
  return t;
}

TTimeStamp DateTimeToTimeStamp(TDateTime dt) {
  // Rounding the whole value to the millisecond first lets 23:59:59.9999 become the next midnight.
  int64_t total = Round(dt * MSecsPerDay);
  int64_t days = total / MSecsPerDay;
  CheckDayRange(days + DateDelta);
  TTimeStamp ts;
  ts.Date = static_cast<int32_t>(days + DateDelta);
  ts.Time = static_cast<int32_t>(std::llabs(total % MSecsPerDay));
  return ts;
}

TDateTime TimeStampToDateTime(const TTimeStamp& ts) {
  if (ts.Time < 0 || ts.Date <= 0)
    throw EConvertError(u"'" + IntToStr(ts.Date) + u"." + IntToStr(ts.Time) +
                        u"' is not a valid timestamp");
  double days = static_cast<double>(ts.Date) - DateDelta;
  double fraction = ts.Time / static_cast<double>(MSecsPerDay);
  return days >= 0 ? days + fraction : days - fraction;
}

double TimeStampToMSecs(const TTimeStamp& ts) {
  return static_cast<double>(ts.Date) * MSecsPerDay + ts.Time;
}

TTimeStamp MSecsToTimeStamp(double ms) {
  int64_t days = Trunc(ms / MSecsPerDay);
  CheckDayRange(days + 1);
  int64_t time = Round(ms - static_cast<double>(days) * MSecsPerDay);
  if (time == MSecsPerDay) {
    ++days;
    time = 0;
  }
  return TTimeStamp{static_cast<int32_t>(time), static_cast<int32_t>(days)};
}

void DecodeDate(TDateTime dt, uint16_t& y, uint16_t& m, uint16_t& d) {
  int32_t day = DateTimeToTimeStamp(dt).Date;
  if (day <= 0) {
    y = m = d = 0;
    return;
  }
  int32_t rest = day - 1;  // days since 0001-01-01
  int32_t year = 1 + 400 * (rest / kDaysPer400Years);
  rest %= kDaysPer400Years;
  int32_t centuries = std::min(rest / kDaysPer100Years, 3);  // the 400th year's last day
  year += 100 * centuries;
  rest -= centuries * kDaysPer100Years;
  year += 4 * (rest / kDaysPer4Years);
  rest %= kDaysPer4Years;
  int32_t years = std::min(rest / 365, 3);  // the leap year's last day
  year += years;
  rest -= years * 365;
  y = static_cast<uint16_t>(year);
  const uint16_t* lengths = kMonthDays[year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)];
  int month = 0;
  while (rest >= lengths[month]) rest -= lengths[month++];
  m = static_cast<uint16_t>(month + 1);
  d = static_cast<uint16_t>(rest + 1);
}

void DecodeTime(TDateTime dt, uint16_t& h, uint16_t& n, uint16_t& s, uint16_t& ms) {
  int32_t time = DateTimeToTimeStamp(dt).Time;
  h = static_cast<uint16_t>(time / 3600000);
  n = static_cast<uint16_t>(time / 60000 % 60);
  s = static_cast<uint16_t>(time / 1000 % 60);
  ms = static_cast<uint16_t>(time % 1000);
}

void DecodeDateTime(TDateTime dt, uint16_t& y, uint16_t& m, uint16_t& d, uint16_t& h, uint16_t& n,
                    uint16_t& s, uint16_t& ms) {
  DecodeDate(dt, y, m, d);
  DecodeTime(dt, h, n, s, ms);
}

int DayOfWeek(TDateTime dt) {
  int32_t day = DateTimeToTimeStamp(dt).Date;
  return (day % 7 + 7) % 7 + 1;  // day 1, 0001-01-01, was a Monday
}

TDateTime Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  int second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second stays in its minute
  TDateTime date =
      EncodeDate(static_cast<uint16_t>(local.tm_year + 1900),
                 static_cast<uint16_t>(local.tm_mon + 1), static_cast<uint16_t>(local.tm_mday));
  TDateTime time =
      EncodeTime(static_cast<uint16_t>(local.tm_hour), static_cast<uint16_t>(local.tm_min),
                 static_cast<uint16_t>(second), static_cast<uint16_t>(now.tv_nsec / 1000000));
  return date + time;
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() { return Frac(Now()); }
