#include "platform/rtl/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"

namespace {

const TFormatSettings kInvariant = TFormatSettings::Invariant();
const TFormatSettings kMacedonian = MacedonianSettings();

TDateTime At(uint16_t y, uint16_t m, uint16_t d, uint16_t h = 0, uint16_t n = 0, uint16_t s = 0,
             uint16_t ms = 0) {
  TDateTime date = EncodeDate(y, m, d);
  TDateTime time = EncodeTime(h, n, s, ms);
  return date >= 0 ? date + time : date - time;
}

struct TParts {
  uint16_t y, m, d, h, n, s, ms;
};

TParts Decode(TDateTime dt) {
  TParts p;
  DecodeDateTime(dt, p.y, p.m, p.d, p.h, p.n, p.s, p.ms);
  return p;
}

// Known values of the calendar, before and after 1899-12-30 and at both ends of it.
const struct KnownDate {
  TParts parts;
  double value;
} kKnown[] = {
    {{1899, 12, 30, 0, 0, 0, 0}, 0},
    {{1899, 12, 31, 0, 0, 0, 0}, 1},
    {{1899, 12, 30, 12, 0, 0, 0}, 0.5},
    {{1899, 12, 29, 6, 0, 0, 0}, -1.25},  // the fraction is the time even below zero
    {{1899, 12, 29, 18, 0, 0, 0}, -1.75},
    {{1900, 1, 1, 0, 0, 0, 0}, 2},
    {{1800, 1, 1, 12, 0, 0, 0}, -36522.5},
    {{1970, 1, 1, 0, 0, 0, 0}, 25569},
    {{2000, 2, 29, 0, 0, 0, 0}, 36585},
    {{2024, 2, 29, 23, 59, 59, 999}, 45351 + 86399999 / 86400000.0},
    {{1, 1, 1, 0, 0, 0, 0}, -693593},
    {{1, 1, 1, 23, 59, 59, 999}, -693593 - 86399999 / 86400000.0},
    {{9999, 12, 31, 23, 59, 59, 999}, 2958465 + 86399999 / 86400000.0},
};

TEST(DateTime, EncodeAndDecodeRoundTrip) {
  for (const auto& k : kKnown) {
    const TParts& p = k.parts;
    SCOPED_TRACE(testing::Message() << p.y << "-" << p.m << "-" << p.d << " " << p.h << ":" << p.n
                                    << ":" << p.s << "." << p.ms);
    TDateTime dt = At(p.y, p.m, p.d, p.h, p.n, p.s, p.ms);
    EXPECT_DOUBLE_EQ(dt, k.value);
    TParts back = Decode(k.value);
    EXPECT_EQ(back.y, p.y);
    EXPECT_EQ(back.m, p.m);
    EXPECT_EQ(back.d, p.d);
    EXPECT_EQ(back.h, p.h);
    EXPECT_EQ(back.n, p.n);
    EXPECT_EQ(back.s, p.s);
    EXPECT_EQ(back.ms, p.ms);
    // Through a time stamp and its milliseconds and back.
    TTimeStamp ts = DateTimeToTimeStamp(k.value);
    EXPECT_DOUBLE_EQ(TimeStampToDateTime(ts), k.value);
    TTimeStamp again = MSecsToTimeStamp(TimeStampToMSecs(ts));
    EXPECT_EQ(again.Date, ts.Date);
    EXPECT_EQ(again.Time, ts.Time);
  }
}

TEST(DateTime, EveryDayOfFourHundredYearsRoundTrips) {
  // 1800-01-01 to 2199-12-31 spans every leap-year rule, and crosses day zero.
  TDateTime first = EncodeDate(1800, 1, 1);
  TDateTime last = EncodeDate(2199, 12, 31);
  uint16_t y, m, d, prevDay = 31;
  for (TDateTime dt = first; dt <= last; dt += 1) {
    DecodeDate(dt, y, m, d);
    ASSERT_EQ(EncodeDate(y, m, d), dt) << dt;
    ASSERT_TRUE(d == prevDay + 1 || d == 1) << dt;
    prevDay = d;
  }
}

TEST(DateTime, DayBoundaries) {
  // A value within half a millisecond of midnight belongs to the next day.
  TParts p = Decode(1.0 - 1e-10);
  EXPECT_EQ(p.y, 1899);
  EXPECT_EQ(p.m, 12);
  EXPECT_EQ(p.d, 31);
  EXPECT_EQ(p.h, 0);
  EXPECT_EQ(p.ms, 0);
  p = Decode(At(2024, 12, 31, 23, 59, 59, 999));
  EXPECT_EQ(p.d, 31);
  EXPECT_EQ(p.ms, 999);
  // Midnight of a negative day is its whole number.
  EXPECT_DOUBLE_EQ(At(1899, 12, 29), -1);
  p = Decode(-1.0);
  EXPECT_EQ(p.d, 29);
  EXPECT_EQ(p.h, 0);
  // -0.5 and 0.5 are both noon of day zero.
  p = Decode(-0.5);
  EXPECT_EQ(p.d, 30);
  EXPECT_EQ(p.h, 12);
}

TEST(DateTime, ValidDatesAndTimes) {
  struct DateCase {
    uint16_t y, m, d;
    bool valid;
  } dates[] = {
      {1900, 2, 29, false}, {2000, 2, 29, true},  {2024, 2, 29, true}, {2023, 2, 29, false},
      {2100, 2, 29, false}, {10000, 1, 1, false}, {0, 1, 1, false},    {9999, 12, 31, true},
      {1, 1, 1, true},      {2024, 13, 1, false}, {2024, 0, 1, false}, {2024, 4, 31, false},
      {2024, 1, 0, false},  {2024, 12, 31, true},
  };
  for (const auto& c : dates) {
    TDateTime dt = -99;
    EXPECT_EQ(TryEncodeDate(c.y, c.m, c.d, dt), c.valid) << c.y << "-" << c.m << "-" << c.d;
    if (!c.valid) {
      EXPECT_EQ(dt, -99);
      try {
        EncodeDate(c.y, c.m, c.d);
        ADD_FAILURE() << "no exception";
      } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), u"Invalid argument to date encode");
      }
    }
  }
  struct TimeCase {
    uint16_t h, n, s, ms;
    bool valid;
  } times[] = {
      {23, 59, 59, 999, true}, {24, 0, 0, 0, false},   {0, 60, 0, 0, false},
      {0, 0, 60, 0, false},    {0, 0, 0, 1000, false}, {0, 0, 0, 0, true},
  };
  for (const auto& c : times) {
    TDateTime t = -99;
    EXPECT_EQ(TryEncodeTime(c.h, c.n, c.s, c.ms, t), c.valid) << c.h << ":" << c.n << ":" << c.s;
    if (!c.valid) {
      try {
        EncodeTime(c.h, c.n, c.s, c.ms);
        ADD_FAILURE() << "no exception";
      } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), u"Invalid argument to time encode");
      }
    }
  }
  EXPECT_DOUBLE_EQ(EncodeTime(23, 59, 59, 999), 86399999 / 86400000.0);
}

TEST(DateTime, CalendarFacts) {
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_EQ(DaysInAMonth(2024, 2), 29);
  EXPECT_EQ(DaysInAMonth(1900, 2), 28);
  EXPECT_EQ(DaysInAMonth(2024, 4), 30);
  EXPECT_EQ(DaysInAMonth(2024, 13), 0);
  EXPECT_EQ(DayOfWeek(0), 7);                       // 1899-12-30 was a Saturday
  EXPECT_EQ(DayOfWeek(-1.25), 6);                   // the Friday before
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 1)), 2);  // a Monday
  EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 10)), 1);  // a Sunday
}

TEST(DateTime, TimeStamps) {
  TTimeStamp ts = DateTimeToTimeStamp(-1.25);
  EXPECT_EQ(ts.Date, DateDelta - 1);
  EXPECT_EQ(ts.Time, 6 * 3600000);
  ts = DateTimeToTimeStamp(0);
  EXPECT_EQ(ts.Date, 693594);
  EXPECT_EQ(ts.Time, 0);
  EXPECT_EQ(TimeStampToMSecs(TTimeStamp{500, 1}), 86400500.0);
  ts = MSecsToTimeStamp(86400500.0);
  EXPECT_EQ(ts.Date, 1);
  EXPECT_EQ(ts.Time, 500);

  struct Bad {
    TTimeStamp ts;
    const char16_t* message;
  } bad[] = {
      {{-1, 5}, u"'5.-1' is not a valid timestamp"},
      {{0, 0}, u"'0.0' is not a valid timestamp"},
      {{0, -3}, u"'-3.0' is not a valid timestamp"},
  };
  for (const auto& b : bad) {
    try {
      TimeStampToDateTime(b.ts);
      ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), b.message);
    }
  }
  EXPECT_THROW(DateTimeToTimeStamp(std::numeric_limits<double>::quiet_NaN()), ERangeError);
  EXPECT_THROW(DateTimeToTimeStamp(1e300), ERangeError);
  EXPECT_THROW(DateTimeToTimeStamp(1e12), ERangeError);  // past the 32-bit day counter
  EXPECT_THROW(MSecsToTimeStamp(std::numeric_limits<double>::infinity()), ERangeError);
}

TEST(DateTime, ClockReadsTheLocalDateAndTime) {
  TDateTime now = Now();
  TDateTime today = Date();
  TDateTime time = Time();
  EXPECT_EQ(today, std::trunc(today));
  EXPECT_GE(time, 0);
  EXPECT_LT(time, 1);
  EXPECT_GE(now, EncodeDate(2024, 1, 1));
  time_t raw = std::time(nullptr);
  tm local{};
  localtime_r(&raw, &local);
  uint16_t y, m, d;
  DecodeDate(now, y, m, d);
  EXPECT_EQ(y, local.tm_year + 1900);  // the same year unless the test runs across New Year
}

// 2024-03-05 (a Tuesday) 14:07:09.045.
const TDateTime kSample = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);

TEST(FormatDateTime, Specifiers) {
  struct Case {
    const char16_t* format;
    const char16_t* expected;
  } cases[] = {
      {u"yyyy-mm-dd hh:nn:ss.zzz", u"2024-03-05 14:07:09.045"},
      {u"d/m/yy", u"5/3/24"},
      {u"dd.mm.yyyy", u"05.03.2024"},
      {u"ddd dddd", u"Tue Tuesday"},
      {u"mmm mmmm", u"Mar March"},
      {u"MMMM", u"March"},
      {u"h:m", u"14:7"},  // m right after h is minutes
      {u"hh:mm", u"14:07"},
      {u"mm/dd hh:mm", u"03/05 14:07"},
      {u"hh 'h' mm", u"14 h 07"},
      {u"hh:mm mm", u"14:07 03"},  // a second m is the month again
      {u"h:nn am/pm", u"2:07 pm"},
      {u"h:nn AM/PM", u"2:07 PM"},
      {u"h:nn a/p", u"2:07 p"},
      {u"h:nn ampm", u"2:07 PM"},
      {u"z|zzz|s|ss|n", u"45|045|9|09|7"},
      {u"c", u"03/05/2024 14:07:09"},
      {u"", u"03/05/2024 14:07:09"},
      {u"ddddd", u"03/05/2024"},
      {u"dddddd", u"Tuesday, 05 March 2024"},
      {u"t|tt", u"14:07|14:07:09"},
      {u"yyyy/mm/dd", u"2024/03/05"},
      {u"\"at\" hh", u"at 14"},
      {u"'unclosed", u"unclosed"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatDateTime(c.format, kSample, kInvariant), c.expected) << UTF8Encode(c.format);
}

TEST(FormatDateTime, TwelveHourClockAtMidnightAndNoon) {
  EXPECT_EQ(FormatDateTime(u"h:nn am/pm", EncodeTime(0, 30, 0, 0), kInvariant), u"12:30 am");
  EXPECT_EQ(FormatDateTime(u"h:nn am/pm", EncodeTime(12, 0, 0, 0), kInvariant), u"12:00 pm");
  EXPECT_EQ(FormatDateTime(u"hh:nn ampm", EncodeTime(9, 5, 0, 0), kMacedonian), u"09:05 претпл.");
}

TEST(FormatDateTime, StandardLayoutsUnderBothLocales) {
  TDateTime midnight = EncodeDate(2024, 3, 5);
  EXPECT_EQ(DateToStr(kSample, kInvariant), u"03/05/2024");
  EXPECT_EQ(TimeToStr(kSample, kInvariant), u"14:07:09");
  EXPECT_EQ(DateTimeToStr(kSample, kInvariant), u"03/05/2024 14:07:09");
  EXPECT_EQ(DateTimeToStr(midnight, kInvariant), u"03/05/2024");  // no time at midnight
  EXPECT_EQ(DateToStr(kSample, kMacedonian), u"05.03.2024");
  EXPECT_EQ(DateTimeToStr(kSample, kMacedonian), u"05.03.2024 14:07:09");
  EXPECT_EQ(FormatDateTime(u"dddddd", kSample, kMacedonian), u"вторник, 5 март 2024");
  EXPECT_EQ(FormatDateTime(u"yyyy/mm/dd", kSample, kMacedonian), u"2024.03.05");
  EXPECT_EQ(DateTimeToStr(-1.25, kInvariant), u"12/29/1899 06:00:00");
}

TEST(FormatDateTime, OddValuesAndFormatsNeverFail) {
  // Before 0001-01-01 the date decodes as zeros and names are left out.
  EXPECT_EQ(FormatDateTime(u"yyyy-mm-dd|dddd|mmmm|", -700000, kInvariant),
            u"0000-00-00|Saturday||");
  EXPECT_EQ(FormatDateTime(String(u"\xDC00yyyy"), kSample, kInvariant), String(u"\xDC00"
                                                                               u"2024"));
  TFormatSettings selfish = kInvariant;
  selfish.ShortDateFormat = u"ddddd";  // names itself: expansion stops
  EXPECT_EQ(FormatDateTime(u"c", EncodeDate(2024, 3, 5), selfish), u"");
  EXPECT_THROW(FormatDateTime(u"c", std::numeric_limits<double>::quiet_NaN(), kInvariant),
               ERangeError);
}

TEST(StrToDateTime, DatesInTheOrderOfTheShortFormat) {
  struct Case {
    const char16_t* text;
    const TFormatSettings* settings;
    TDateTime expected;
  } cases[] = {
      {u"03/05/2024", &kInvariant, EncodeDate(2024, 3, 5)},
      {u"3/5/2024", &kInvariant, EncodeDate(2024, 3, 5)},
      {u" 3 / 5 / 2024 ", &kInvariant, EncodeDate(2024, 3, 5)},
      {u"12/31/99", &kInvariant, EncodeDate(1999, 12, 31)},  // window of 50 years
      {u"1/2/30", &kInvariant, EncodeDate(2030, 1, 2)},
      {u"12/29/1899", &kInvariant, -1},
      {u"05.03.2024", &kMacedonian, EncodeDate(2024, 3, 5)},
      {u"5.3.2024.", &kMacedonian, EncodeDate(2024, 3, 5)},
      {u"29.02.2000", &kMacedonian, EncodeDate(2000, 2, 29)},
  };
  for (const auto& c : cases) {
    TDateTime v = -99;
    EXPECT_TRUE(TryStrToDate(c.text, v, *c.settings)) << UTF8Encode(c.text);
    EXPECT_EQ(v, c.expected) << UTF8Encode(c.text);
  }
  TFormatSettings iso = kInvariant;
  iso.ShortDateFormat = u"yyyy-MM-dd";
  iso.DateSeparator = u'-';
  EXPECT_EQ(StrToDate(u"2024-03-05", iso), EncodeDate(2024, 3, 5));
  TFormatSettings window0 = kInvariant;
  window0.TwoDigitYearCenturyWindow = 0;
  uint16_t y, m, d;
  DecodeDate(StrToDate(u"1/2/99", window0), y, m, d);
  EXPECT_EQ(y % 100, 99);
  EXPECT_GE(y, 2000);          // the current century
  DecodeDate(Now(), y, m, d);  // a date without a year is in the current one
  EXPECT_EQ(StrToDate(u"1/2", kInvariant), EncodeDate(y, 1, 2));
  EXPECT_EQ(StrToDate(u"2.1", kMacedonian), EncodeDate(y, 1, 2));
}

TEST(StrToDateTime, Times) {
  struct Case {
    const char16_t* text;
    TDateTime expected;
  } cases[] = {
      {u"14:07", EncodeTime(14, 7, 0, 0)},
      {u"14:07:09", EncodeTime(14, 7, 9, 0)},
      {u"14:07:09.045", EncodeTime(14, 7, 9, 45)},
      {u"2:07 PM", EncodeTime(14, 7, 0, 0)},
      {u"2:07 pm", EncodeTime(14, 7, 0, 0)},
      {u"PM 2:07", EncodeTime(14, 7, 0, 0)},
      {u"12:00 AM", 0},
      {u"12 PM", EncodeTime(12, 0, 0, 0)},
      {u"9", EncodeTime(9, 0, 0, 0)},
      {u" 23:59:59.999 ", EncodeTime(23, 59, 59, 999)},
  };
  for (const auto& c : cases) {
    TDateTime v = -99;
    EXPECT_TRUE(TryStrToTime(c.text, v, kInvariant)) << UTF8Encode(c.text);
    EXPECT_EQ(v, c.expected) << UTF8Encode(c.text);
  }
  EXPECT_EQ(StrToTime(u"14:07:09,045", kMacedonian), EncodeTime(14, 7, 9, 45));
  EXPECT_EQ(StrToTime(u"2:07 попл.", kMacedonian), EncodeTime(14, 7, 0, 0));
}

TEST(StrToDateTime, DateAndTimeTogether) {
  EXPECT_EQ(StrToDateTime(u"03/05/2024 14:07:09", kInvariant), At(2024, 3, 5, 14, 7, 9));
  EXPECT_EQ(StrToDateTime(u"03/05/2024", kInvariant), EncodeDate(2024, 3, 5));
  EXPECT_EQ(StrToDateTime(u"14:07", kInvariant), EncodeTime(14, 7, 0, 0));
  EXPECT_EQ(StrToDateTime(u"12/29/1899 06:00", kInvariant), -1.25);
  EXPECT_EQ(StrToDateTime(u"31.12.2024 23:59:59", kMacedonian), At(2024, 12, 31, 23, 59, 59));
}

TEST(StrToDateTime, RoundTripsThroughDateTimeToStr) {
  const TDateTime values[] = {
      At(2024, 3, 5, 14, 7, 9),  At(2024, 3, 5),          At(1899, 12, 29, 6),
      At(1800, 1, 1, 12),        At(1, 1, 1, 23, 59, 59), At(9999, 12, 31, 23, 59, 59),
      At(1899, 12, 30, 0, 0, 1),
  };
  for (const TFormatSettings* s : {&kInvariant, &kMacedonian}) {
    for (TDateTime v : values) {
      String text = DateTimeToStr(v, *s);
      EXPECT_EQ(StrToDateTime(text, *s), v) << UTF8Encode(text);
    }
  }
}

TEST(StrToDateTime, BadTextRaisesWithTheMessage) {
  const String badDates[] = {
      u"",
      u"abc",
      u"2/29/2023",
      u"13/1/2024",
      u"1/2/2024x",
      u"1/32/2024",
      u"1/2/",
      u"1/2/0000",
      u"1//2024",
      u"05.03.2024",
      String(u"\xD800"),
      u"1/2/99999",
      u"99999999999/1/1",
  };
  for (const String& text : badDates) {
    TDateTime v = -99;
    EXPECT_FALSE(TryStrToDate(text, v, kInvariant)) << UTF8Encode(text);
    EXPECT_EQ(v, -99);
    try {
      StrToDate(text, kInvariant);
      ADD_FAILURE() << "no exception for " << UTF8Encode(text);
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), u"'" + text + u"' is not a valid date");
    }
  }
  const String badTimes[] = {u"",    u"24:00",         u"13:00 PM", u"0:30 AM", u"14:60",
                             u"14:", u"14:07:09.1000", u"x",        u"14:07 x", String(u"\xDC00")};
  for (const String& text : badTimes) {
    try {
      StrToTime(text, kInvariant);
      ADD_FAILURE() << "no exception for " << UTF8Encode(text);
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), u"'" + text + u"' is not a valid time");
    }
  }
  const String badDateTimes[] = {u"", u"03/05/2024 25:00", u"03/05/2024 x", u"now",
                                 u"03/05/2024 14:07 14:08"};
  for (const String& text : badDateTimes) {
    try {
      StrToDateTime(text, kInvariant);
      ADD_FAILURE() << "no exception for " << UTF8Encode(text);
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), u"'" + text + u"' is not a valid date and time");
    }
  }
  EXPECT_THROW(StrToDate(u"05/03/2024", kMacedonian), EConvertError);
}

}  // namespace
