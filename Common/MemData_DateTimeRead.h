// Reading a stored date-time value out in the external forms, without a call for the common case.
// Part of unit MemData.
#pragma once

#include <cstdint>

#include "platform/rtl/DateTime.h"

namespace memdata {

// DateTimeToTimeStamp, worked out in line for the values every real date has: not negative and
// far below the range where a double stops holding whole milliseconds. The rounding is the
// platform's (half to even), so every value comes out as the general routine gives it. False for
// the other values, which only that routine decides.
// The value in whole milliseconds since 1899-12-30, as DateTimeToTimeStamp rounds it.
inline bool InlineMSecsSinceDayZero(TDateTime value, int64_t& total) {
  constexpr double InlineLimit = 4.0e15;  // milliseconds, below 2^52
  const double msecs = value * MSecsPerDay;
  if (!(msecs >= 0 && msecs < InlineLimit)) return false;
  total = static_cast<int64_t>(msecs);
  const double rest = msecs - static_cast<double>(total);
  if (rest > 0.5 || (rest == 0.5 && (total & 1) != 0)) ++total;
  return true;
}

inline bool InlineTimeStamp(TDateTime value, TTimeStamp& stamp) {
  int64_t total;
  if (!InlineMSecsSinceDayZero(value, total)) return false;
  stamp = TTimeStamp{static_cast<int32_t>(total % MSecsPerDay),
                     static_cast<int32_t>(total / MSecsPerDay + DateDelta)};
  return true;
}

// TimeStampToMSecs of the time stamp, which for these values is the milliseconds since day zero
// plus those of the days before it.
inline bool InlineMSecs(TDateTime value, double& msecs) {
  int64_t total;
  if (!InlineMSecsSinceDayZero(value, total)) return false;
  msecs = static_cast<double>(total + static_cast<int64_t>(DateDelta) * MSecsPerDay);
  return true;
}

inline TTimeStamp TimeStampOfDateTime(TDateTime value) {
  TTimeStamp stamp;
  return InlineTimeStamp(value, stamp) ? stamp : DateTimeToTimeStamp(value);
}

inline double MSecsOfTimeStamp(const TTimeStamp& stamp) {
  return static_cast<double>(stamp.Date) * MSecsPerDay + stamp.Time;
}

// TimeStampToMSecs(DateTimeToTimeStamp(value)), the form a date-time field hands out.
inline double MSecsOfDateTime(TDateTime value) {
  double msecs;
  return InlineMSecs(value, msecs) ? msecs : MSecsOfTimeStamp(DateTimeToTimeStamp(value));
}

}  // namespace memdata
