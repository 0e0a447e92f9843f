#include "platform/rtl/SqlTimSt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"

bool operator==(const TSQLTimeStamp& a, const TSQLTimeStamp& b) {
  return CompareSQLTimeStamp(a, b) == 0;
}

std::ostream& operator<<(std::ostream& os, const TSQLTimeStamp& ts) {
  return os << ts.Year << '-' << ts.Month << '-' << ts.Day << ' ' << ts.Hour << ':' << ts.Minute
            << ':' << ts.Second << '.' << ts.Fractions;
}

namespace {

TSQLTimeStamp TS(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0) {
  return {static_cast<int16_t>(y), static_cast<uint16_t>(m), static_cast<uint16_t>(d),
          static_cast<uint16_t>(h), static_cast<uint16_t>(n), static_cast<uint16_t>(s),
          static_cast<uint32_t>(ms)};
}

TEST(SqlTimSt, DateTimeRoundTrips) {
  struct Case {
    TSQLTimeStamp ts;
    double dateTime;  // NaN: only the round trip is checked
  } cases[] = {
      {TS(1899, 12, 30), 0.0},
      {TS(1899, 12, 30, 12), 0.5},
      {TS(1899, 12, 29, 6), -1.25},  // before day 0 the time is still a positive fraction
      {TS(1900, 1, 1), 2.0},
      {TS(1, 1, 1), -693593.0},
      {TS(9999, 12, 31, 23, 59, 59, 999), NAN},
      {TS(2024, 2, 29, 12, 34, 56, 789), NAN},
      {TS(1600, 3, 1, 0, 0, 0, 1), NAN},
      {TS(1850, 6, 15, 23, 59, 59, 999), NAN},
  };
  for (const auto& c : cases) {
    TDateTime dt = SQLTimeStampToDateTime(c.ts);
    if (!std::isnan(c.dateTime)) {
      EXPECT_DOUBLE_EQ(dt, c.dateTime) << c.ts;
    }
    EXPECT_EQ(DateTimeToSQLTimeStamp(dt), c.ts) << dt;
  }
  EXPECT_EQ(SQLTimeStampToDateTime(NullSQLTimeStamp), 0.0);
  EXPECT_TRUE(IsSQLTimeStampBlank(NullSQLTimeStamp));
  EXPECT_FALSE(IsSQLTimeStampBlank(TS(1899, 12, 30)));
}

TEST(SqlTimSt, InvalidTimeStampsAreRejected) {
  const TSQLTimeStamp bad[] = {
      TS(2024, 13, 1),  TS(2024, 0, 1),         TS(2024, 2, 30),         TS(2023, 2, 29),
      TS(1900, 2, 29),  TS(2024, 4, 31),        TS(2024, 1, 0),          TS(0, 1, 1),
      TS(-5, 1, 1),     TS(10000, 1, 1),        TS(2024, 1, 1, 24),      TS(2024, 1, 1, 0, 60),
      TS(2024, 1, 1, 0, 0, 60), TS(2024, 1, 1, 0, 0, 0, 1000), TS(0, 0, 0, 0, 0, 0, 5),
  };
  for (const auto& ts : bad) {
    EXPECT_FALSE(IsValidSQLTimeStamp(ts)) << ts;
    try {
      SQLTimeStampToDateTime(ts);
      ADD_FAILURE() << "no exception for " << ts;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), u"Invalid SQL date/time values") << ts;
    }
    EXPECT_THROW(CheckSqlTimeStamp(ts), EConvertError) << ts;
  }
  EXPECT_TRUE(IsValidSQLTimeStamp(TS(2000, 2, 29)));
  EXPECT_NO_THROW(CheckSqlTimeStamp(NullSQLTimeStamp));

  const double outside[] = {std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity(), -693594.0, 2958466.0};
  for (double dt : outside) EXPECT_THROW(DateTimeToSQLTimeStamp(dt), EConvertError) << dt;
}

TEST(SqlTimSt, TextInTheSqlFormAndTheLocaleForm) {
  const TFormatSettings invariant = TFormatSettings::Invariant();
  const TFormatSettings mk = MacedonianSettings();
  struct Case {
    const char* text;
    const TFormatSettings& settings;
    TSQLTimeStamp ts;
  } cases[] = {
      {"2024-02-29 12:34:56.789", invariant, TS(2024, 2, 29, 12, 34, 56, 789)},
      {"2024-02-29 12:34:56.7895", invariant, TS(2024, 2, 29, 12, 34, 56, 790)},
      {"2024-02-29 12:34:56.5", invariant, TS(2024, 2, 29, 12, 34, 56, 500)},
      {"2024-02-29 23:59:59.9999", invariant, TS(2024, 2, 29, 23, 59, 59, 999)},
      {"2024-02-29T08:05", invariant, TS(2024, 2, 29, 8, 5)},
      {" 0001-01-01 ", invariant, TS(1, 1, 1)},
      {"1899-12-30", mk, TS(1899, 12, 30)},
      {"02/29/2024 12:34:56", invariant, TS(2024, 2, 29, 12, 34, 56)},
      {"29.02.2024 12:34:56", mk, TS(2024, 2, 29, 12, 34, 56)},
      {"29.02.2024", mk, TS(2024, 2, 29)},
  };
  for (const auto& c : cases) {
    TSQLTimeStamp ts = NullSQLTimeStamp;
    EXPECT_TRUE(TryStrToSQLTimeStamp(S(c.text), ts, c.settings)) << c.text;
    EXPECT_EQ(ts, c.ts) << c.text;
    EXPECT_EQ(StrToSQLTimeStamp(S(c.text), c.settings), c.ts) << c.text;
  }
}

TEST(SqlTimSt, BadTextIsRejected) {
  const TFormatSettings invariant = TFormatSettings::Invariant();
  const char* bad[] = {"",           "abc",        "2023-02-29",          "2024-13-01",
                       "2024-02-29 25:00", "2024-02-29 12:60", "2024-2-29", "2024-02-29 12",
                       "2024-02-29 12:00:00.", "2024-02-29 12:00:00x", "0000-00-00",
                       "29.02.2024"};
  for (const char* text : bad) {
    TSQLTimeStamp ts = TS(2000, 1, 1);
    EXPECT_FALSE(TryStrToSQLTimeStamp(S(text), ts, invariant)) << text;
    EXPECT_EQ(ts, TS(2000, 1, 1)) << "unchanged on failure: " << text;
    try {
      StrToSQLTimeStamp(S(text), invariant);
      ADD_FAILURE() << "no exception for " << text;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), u"Could not parse SQL TimeStamp string");
    }
  }
}

TEST(SqlTimSt, ToText) {
  const TFormatSettings invariant = TFormatSettings::Invariant();
  TSQLTimeStamp ts = TS(2024, 2, 29, 12, 34, 56, 789);
  EXPECT_EQ(SQLTimeStampToStr(u"yyyy-mm-dd hh:nn:ss.zzz", ts, invariant), u"2024-02-29 12:34:56.789");
  EXPECT_EQ(SQLTimeStampToStr(u"", ts, invariant), u"02/29/2024 12:34:56");
  EXPECT_EQ(SQLTimeStampToStr(u"", TS(1850, 6, 15), MacedonianSettings()), u"15.06.1850");
  EXPECT_THROW(SQLTimeStampToStr(u"", TS(2024, 2, 30), invariant), EConvertError);
}

TEST(SqlTimSt, CompareFieldByField) {
  struct Case {
    TSQLTimeStamp a, b;
    int result;
  } cases[] = {
      {TS(2024, 1, 1), TS(2024, 1, 1), 0},
      {TS(2023, 12, 31, 23, 59, 59, 999), TS(2024, 1, 1), -1},
      {TS(2024, 1, 1, 0, 0, 0, 2), TS(2024, 1, 1, 0, 0, 0, 1), 1},
      {TS(2024, 2, 1), TS(2024, 1, 31), 1},
      {TS(-1, 1, 1), TS(1, 1, 1), -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompareSQLTimeStamp(c.a, c.b), c.result) << c.a << " vs " << c.b;
    EXPECT_EQ(CompareSQLTimeStamp(c.b, c.a), -c.result) << c.b << " vs " << c.a;
  }
}

}  // namespace
