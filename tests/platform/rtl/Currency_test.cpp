#include "platform/rtl/Currency.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"

namespace {

TEST(Currency, HoldsTheValueTimesTenThousand) {
  EXPECT_EQ(Currency().Raw(), 0);
  EXPECT_EQ(Currency(12).Raw(), 120000);
  EXPECT_EQ(Currency(-3).Raw(), -30000);
  EXPECT_EQ(Currency::FromRaw(12345).ToDouble(), 1.2345);
  EXPECT_EQ(Currency(922337203685477).Raw(), 9223372036854770000);
  EXPECT_THROW(Currency(922337203685478), EOverflow);
  EXPECT_THROW(Currency(INT64_MIN), EOverflow);
}

TEST(Currency, FromDoubleRoundsHalfToEvenAtTheFourthDecimal) {
  struct Case {
    double value;
    int64_t raw;
  } cases[] = {
      {0, 0},
      {1.5, 15000},
      {-1.5, -15000},
      {0.1, 1000},  // 0.1 is not exact in binary but rounds back to 1000 units
      {12.34565, 123456},  // just below the half in binary
      {0.00005, 1},        // just above the half in binary
      {0.03125, 312},       // exactly 312.5 units: to even
      {0.09375, 938},       // exactly 937.5 units: to even
      {-0.03125, -312},
      {-0.09375, -938},
      {0.00004, 0},
      {-0.00004, 0},
      {922337203685477.0, 9223372036854770000},
      {-922337203685477.0, -9223372036854770000},
  };
  for (const auto& c : cases) EXPECT_EQ(Currency::FromDouble(c.value).Raw(), c.raw) << c.value;
}

TEST(Currency, FromDoubleRejectsWhatDoesNotFit) {
  const double bad[] = {1e15, -1e15, 922337203685477.6, std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN()};
  for (double v : bad) {
    EXPECT_THROW(Currency::FromDouble(v), EOverflow) << v;
    Currency c = Currency(7);
    EXPECT_FALSE(TryFloatToCurr(v, c)) << v;
    EXPECT_EQ(c, Currency(7)) << "unchanged on failure";
  }
}

TEST(Currency, ArithmeticRoundsHalfToEven) {
  auto C = [](int64_t raw) { return Currency::FromRaw(raw); };
  struct Case {
    const char* name;
    Currency result;
    int64_t raw;
  } cases[] = {
      {"sum", C(10001) + C(20002), 30003},
      {"difference", C(10001) - C(20002), -10001},
      {"negation", -C(12345), -12345},
      {"whole times fraction", Currency(3) * C(3333), 9999},
      {"product half down to even", C(5) * C(5000), 2},    // 0.0005 * 0.5 = 0.00025
      {"product half up to even", C(15) * C(5000), 8},     // 0.0015 * 0.5 = 0.00075
      {"negative product half", C(-5) * C(5000), -2},
      {"product above half", C(7) * C(7000), 5},           // 0.0007 * 0.7 = 0.00049
      {"one third", Currency(1) / Currency(3), 3333},
      {"two thirds", Currency(2) / Currency(3), 6667},
      {"quotient half to even", C(1) / Currency(2), 0},    // 0.00005 -> 0
      {"quotient half up to even", C(3) / Currency(2), 2}, // 0.00015 -> 0.0002
      {"negative quotient", Currency(-2) / Currency(3), -6667},
      {"large exact product", Currency(30000000) * Currency(30000000), 9000000000000000000},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result.Raw(), c.raw) << c.name;
}

TEST(Currency, ArithmeticOverflowAndDivisionByZeroRaise) {
  EXPECT_THROW(Currency::MaxValue() + Currency::FromRaw(1), EOverflow);
  EXPECT_THROW(Currency::MinValue() - Currency::FromRaw(1), EOverflow);
  EXPECT_THROW(-Currency::MinValue(), EOverflow);
  EXPECT_THROW(Currency(100000000) * Currency(100000000), EOverflow);
  EXPECT_THROW(Currency(1) / Currency(), EZeroDivide);
  Currency c = Currency(5);
  EXPECT_THROW(c /= Currency(), EZeroDivide);
  EXPECT_EQ(c, Currency(5));
}

TEST(Currency, ComparesByValue) {
  EXPECT_LT(Currency::FromRaw(-1), Currency());
  EXPECT_EQ(Currency(2), Currency::FromRaw(20000));
  EXPECT_GT(Currency::FromRaw(10001), Currency(1));
  EXPECT_NE(Currency(1), Currency(-1));
}

TEST(Currency, ToDoubleIsTheNearestDouble) {
  EXPECT_EQ(Currency::FromRaw(1).ToDouble(), 0.0001);
  EXPECT_EQ(Currency::FromRaw(1000).ToDouble(), 0.1);
  EXPECT_EQ(Currency::FromRaw(3000).ToDouble(), 0.3);
  EXPECT_EQ(Currency::FromRaw(70000000000001).ToDouble(), 7000000000.0001);
  EXPECT_EQ(Currency::FromRaw(-123456789).ToDouble(), -12345.6789);
  EXPECT_EQ(Currency::MaxValue().ToDouble(), 922337203685477.5807);
}

TEST(Currency, TextAtTheFourthDecimal) {
  const TFormatSettings dot = TFormatSettings::Invariant();
  const TFormatSettings comma = MacedonianSettings();
  struct Case {
    int64_t raw;
    const char* dotText;
    const char* commaText;
  } cases[] = {
      {0, "0", "0"},
      {10000, "1", "1"},
      {15000, "1.5", "1,5"},
      {1, "0.0001", "0,0001"},
      {-1, "-0.0001", "-0,0001"},
      {-12345678, "-1234.5678", "-1234,5678"},
      {12345000000, "1234500", "1234500"},
      {INT64_MAX, "922337203685477.5807", "922337203685477,5807"},
      {INT64_MIN, "-922337203685477.5808", "-922337203685477,5808"},
  };
  for (const auto& c : cases) {
    Currency v = Currency::FromRaw(c.raw);
    EXPECT_EQ(UTF8Encode(CurrToStr(v, dot)), c.dotText);
    EXPECT_EQ(UTF8Encode(CurrToStr(v, comma)), c.commaText);
    EXPECT_EQ(StrToCurr(S(c.dotText), dot), v) << c.dotText;
    EXPECT_EQ(StrToCurr(S(c.commaText), comma), v) << c.commaText;
  }
}

TEST(Currency, TextRoundsHalfToEvenAtTheFourthDecimal) {
  const TFormatSettings dot = TFormatSettings::Invariant();
  struct Case {
    const char* text;
    int64_t raw;
  } cases[] = {
      {"0.00005", 0},          {"0.00015", 2},      {"0.000051", 1},    {"-0.00005", 0},
      {"-0.00015", -2},        {"1.23456", 12346},  {"  12.5  ", 125000}, {"+3", 30000},
      {"1.5e2", 1500000},      {"25E-4", 25},       {".5", 5000},       {"5.", 50000},
      {"922337203685477.58074", INT64_MAX},
  };
  for (const auto& c : cases) EXPECT_EQ(StrToCurr(S(c.text), dot).Raw(), c.raw) << c.text;
}

TEST(Currency, BadTextRaisesConvertError) {
  const TFormatSettings dot = TFormatSettings::Invariant();
  const char* bad[] = {"", "abc", "1,5", "1.2.3", "--1", "1e", "$5", "1 000",
                       "922337203685477.58075", "1e15"};
  for (const char* text : bad) {
    Currency c = Currency(3);
    EXPECT_FALSE(TryStrToCurr(S(text), c, dot)) << text;
    EXPECT_EQ(c, Currency(3)) << "unchanged on failure: " << text;
    try {
      StrToCurr(S(text), dot);
      ADD_FAILURE() << "no exception for " << text;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), u"'" + S(text) + u"' is not a valid floating point value");
    }
  }
}

TEST(Currency, TextDefaultsToTheProcessWideSettings) {
  TFormatSettingsGuard guard;
  FormatSettings() = MacedonianSettings();
  EXPECT_EQ(CurrToStr(Currency::FromRaw(25000)), u"2,5");
  EXPECT_EQ(StrToCurr(u"2,5").Raw(), 25000);
  Currency c;
  EXPECT_FALSE(TryStrToCurr(u"2.5", c));
}

}  // namespace
