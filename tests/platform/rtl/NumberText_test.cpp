#include "platform/rtl/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"

namespace {

const TFormatSettings kInvariant = TFormatSettings::Invariant();
const TFormatSettings kMacedonian = MacedonianSettings();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(IntegerText, ToText) {
  EXPECT_EQ(IntToStr(0), u"0");
  EXPECT_EQ(IntToStr(-123), u"-123");
  EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::min()), u"-9223372036854775808");
  EXPECT_EQ(UIntToStr(std::numeric_limits<uint64_t>::max()), u"18446744073709551615");
  EXPECT_EQ(IntToHex(255, 4), u"00FF");
  EXPECT_EQ(IntToHex(0, 0), u"0");
  EXPECT_EQ(IntToHex(0xABCDEFu, 2), u"ABCDEF");
  EXPECT_EQ(IntToHex(-1, 1), u"FFFFFFFF");                   // a 32-bit value's own width
  EXPECT_EQ(IntToHex(int64_t{-1}, 0), u"FFFFFFFFFFFFFFFF");  // a 64-bit one
  EXPECT_EQ(IntToHex(uint64_t{0x1F}, 8), u"0000001F");
}

TEST(IntegerText, ParsesDecimalAndHex) {
  struct Case {
    const char16_t* text;
    int32_t expected;
  } cases[] = {
      {u"0", 0},
      {u"123", 123},
      {u"-123", -123},
      {u"+7", 7},
      {u"  42", 42},
      {u"$FF", 255},
      {u"0x1F", 31},
      {u"0X1f", 31},
      {u"x10", 16},
      {u"-$10", -16},
      {u"2147483647", 2147483647},
      {u"-2147483648", std::numeric_limits<int32_t>::min()},
      {u"$FFFFFFFF", -1},  // hex may fill the sign bit
      {u"$80000000", std::numeric_limits<int32_t>::min()},
      {u"007", 7},
  };
  for (const auto& c : cases) {
    int32_t v = 0;
    EXPECT_TRUE(TryStrToInt(c.text, v)) << UTF8Encode(c.text);
    EXPECT_EQ(v, c.expected) << UTF8Encode(c.text);
    EXPECT_EQ(StrToInt(c.text), c.expected) << UTF8Encode(c.text);
  }
  EXPECT_EQ(StrToInt64(u"9223372036854775807"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(StrToInt64(u"-9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(StrToInt64(u"$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64(u"4294967296"), int64_t{4294967296});
}

TEST(IntegerText, RejectsBadTextWithTheMessage) {
  const String bad[] = {
      u"",
      u" ",
      u"12 ",
      u"1.5",
      u"2147483648",
      u"-2147483649",
      u"$",
      u"0x",
      u"$100000000",
      u"abc",
      u"1e3",
      u"--1",
      u"+",
      u"\u0661\u0662",
      String(u"\xD800"),
      String(u"12\0", 3),
      u"1,000",
      u"$G",
  };
  for (const String& text : bad) {
    int32_t v = 99;
    EXPECT_FALSE(TryStrToInt(text, v)) << UTF8Encode(text);
    EXPECT_EQ(v, 99) << "a failed parse leaves the variable alone";
    EXPECT_EQ(StrToIntDef(text, -7), -7);
    try {
      StrToInt(text);
      ADD_FAILURE() << "no exception for " << UTF8Encode(text);
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), u"'" + text + u"' is not a valid integer value");
    }
  }
  int64_t v64;
  EXPECT_FALSE(TryStrToInt64(u"9223372036854775808", v64));
  EXPECT_FALSE(TryStrToInt64(u"$10000000000000000", v64));
  EXPECT_EQ(StrToInt64Def(u"", 5), 5);
  EXPECT_THROW(StrToInt64(u"x"), EConvertError);
}

TEST(FloatText, FloatToStrUsesFifteenSignificantDigits) {
  struct Case {
    double value;
    const char16_t* expected;
  } cases[] = {
      {0, u"0"},
      {-0.0, u"0"},
      {1, u"1"},
      {-1.5, u"-1.5"},
      {100, u"100"},
      {1234.5678, u"1234.5678"},
      {0.1, u"0.1"},
      {0.1 + 0.2, u"0.3"},
      {1.0 / 3, u"0.333333333333333"},
      {2.0 / 3, u"0.666666666666667"},
      {123456789012345.0, u"123456789012345"},
      {1e15, u"1E15"},  // sixteen integer digits
      {1e20, u"1E20"},
      {-2.5e100, u"-2.5E100"},
      {0.0001, u"0.0001"},
      {0.00001, u"1E-5"},
      {1.5e-7, u"1.5E-7"},
      {std::numeric_limits<double>::max(), u"1.79769313486232E308"},
      {std::numeric_limits<double>::denorm_min(), u"4.94065645841247E-324"},
      {kNaN, u"NAN"},
      {kInf, u"INF"},
      {-kInf, u"-INF"},
  };
  for (const auto& c : cases) EXPECT_EQ(FloatToStr(c.value, kInvariant), c.expected) << c.value;
  EXPECT_EQ(FloatToStr(-1234.5, kMacedonian), u"-1234,5");  // no grouping in the general layout
  EXPECT_EQ(FloatToStr(1.5e-7, kMacedonian), u"1,5E-7");
}

TEST(FloatText, FloatToStrFLayouts) {
  struct Case {
    double value;
    TFloatFormat format;
    int precision, digits;
    const char16_t* invariant;
    const char16_t* macedonian;
  } cases[] = {
      {1234.5678, ffFixed, 15, 2, u"1234.57", u"1234,57"},
      {1234.5678, ffNumber, 15, 2, u"1,234.57", u"1.234,57"},
      {-1234567.891, ffNumber, 15, 1, u"-1,234,567.9", u"-1.234.567,9"},
      {999.5, ffNumber, 15, 0, u"1,000", u"1.000"},
      {0.125, ffFixed, 15, 2, u"0.13", u"0,13"},  // an exact half goes away from zero
      {-0.125, ffFixed, 15, 2, u"-0.13", u"-0,13"},
      {2.5, ffFixed, 15, 0, u"3", u"3"},
      {-0.001, ffFixed, 15, 2, u"0.00", u"0,00"},  // rounded to zero: no sign
      {5, ffFixed, 15, 3, u"5.000", u"5,000"},
      {1e20, ffFixed, 15, 2, u"1E20", u"1E20"},  // more integer digits than the precision
      {1234.5, ffExponent, 4, 2, u"1.235E+03", u"1,235E+03"},
      {-0.00012345, ffExponent, 3, 0, u"-1.23E-4", u"-1,23E-4"},
      {0, ffExponent, 3, 2, u"0.00E+00", u"0,00E+00"},
      {1234.5, ffGeneral, 3, 0, u"1.23E3", u"1,23E3"},
      {99.99, ffGeneral, 3, 0, u"100", u"100"},  // rounding carries into a new digit
      {1e-10, ffGeneral, 15, 3, u"1E-010", u"1E-010"},
      {1234.5, ffCurrency, 15, 2, u"\u00A41,234.50", u"1.234,50 ден."},
      {-1234.5, ffCurrency, 15, 2, u"(\u00A41,234.50)", u"-1.234,50 ден."},
      {kNaN, ffFixed, 15, 2, u"NAN", u"NAN"},
      {-kInf, ffNumber, 15, 2, u"-INF", u"-INF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits, kInvariant), c.invariant)
        << c.value << " format " << c.format;
    EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits, kMacedonian), c.macedonian)
        << c.value << " format " << c.format;
  }
}

TEST(FloatText, EveryNegativeCurrencyLayout) {
  const char16_t* expected[16] = {u"($1)", u"-$1",  u"$-1",   u"$1-",  u"(1$)", u"-1$",
                                  u"1-$",  u"1$-",  u"-1 $",  u"-$ 1", u"1 $-", u"$ 1-",
                                  u"$ -1", u"1- $", u"($ 1)", u"(1 $)"};
  TFormatSettings s = kInvariant;
  s.CurrencyString = u"$";
  for (int layout = 0; layout < 16; ++layout) {
    s.NegCurrFormat = static_cast<uint8_t>(layout);
    EXPECT_EQ(FloatToStrF(-1, ffCurrency, 15, 0, s), expected[layout]) << "layout " << layout;
  }
  const char16_t* positive[4] = {u"$1", u"1$", u"$ 1", u"1 $"};
  for (int layout = 0; layout < 4; ++layout) {
    s.CurrencyFormat = static_cast<uint8_t>(layout);
    EXPECT_EQ(FloatToStrF(1, ffCurrency, 15, 0, s), positive[layout]) << "layout " << layout;
  }
}

TEST(FloatText, StrToFloatAcceptsTheSettingsDecimalSeparator) {
  struct Case {
    const char16_t* text;
    double expected;
  } invariant[] =
      {
          {u"1.5", 1.5},
          {u" -1.5e3 ", -1500},
          {u"+.5", 0.5},
          {u"5.", 5},
          {u"1E-2", 0.01},
          {u"0", 0},
          {u"123456789012345678901234567890", 1.2345678901234568e29},
          {u"1e-400", 0},  // too small to hold is zero
          {u"4.9406564584124654e-324", std::numeric_limits<double>::denorm_min()},
          {u"1.7976931348623157e308", std::numeric_limits<double>::max()},
      },
    macedonian[] = {
        {u"1,5", 1.5},
        {u"-1,5E3", -1500},
        {u" ,25", 0.25},
    };
  for (const auto& c : invariant) {
    double v = -1;
    EXPECT_TRUE(TryStrToFloat(c.text, v, kInvariant)) << UTF8Encode(c.text);
    EXPECT_EQ(v, c.expected) << UTF8Encode(c.text);
  }
  for (const auto& c : macedonian) EXPECT_EQ(StrToFloat(c.text, kMacedonian), c.expected);
}

TEST(FloatText, StrToFloatRejectsBadTextWithTheMessage) {
  const String invariantBad[] = {
      u"",
      u" ",
      u".",
      u"1,5",
      u"1.5.2",
      u"1e",
      u"1e+",
      u"e5",
      u"1 5",
      u"1,000.5",
      u"inf",
      u"nan",
      u"1e400",
      u"--1",
      u"0x10",
      String(u"\xD800"),
      u"\u0661\u066B\u0665",
      String(u"1\0", 2),
  };
  for (const String& text : invariantBad) {
    double v = 42;
    EXPECT_FALSE(TryStrToFloat(text, v, kInvariant)) << UTF8Encode(text);
    EXPECT_EQ(v, 42);
    EXPECT_EQ(StrToFloatDef(text, -1, kInvariant), -1);
    try {
      StrToFloat(text, kInvariant);
      ADD_FAILURE() << "no exception for " << UTF8Encode(text);
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), u"'" + text + u"' is not a valid floating point value");
    }
  }
  double v;
  EXPECT_FALSE(TryStrToFloat(u"1.5", v, kMacedonian));      // '.' groups thousands there
  EXPECT_FALSE(TryStrToFloat(u"1.234,5", v, kMacedonian));  // and grouping is not accepted
}

TEST(FloatText, FloatToStrRoundTripsThroughStrToFloat) {
  const double values[] = {0.1, 1234.5678, -2.5e-7, 1e300, 123456789012345.0, -0.5, 1e-5};
  for (const TFormatSettings* s : {&kInvariant, &kMacedonian})
    for (double v : values) EXPECT_EQ(StrToFloat(FloatToStr(v, *s), *s), v) << v;
}

}  // namespace

namespace {

struct TValCase {
  const char16_t* Text;
  double Float;
  int FloatCode;
  int32_t Int;
  int IntCode;
};

// The leading number and where reading stopped, for whole, partial, empty and out-of-range text.
TEST(ValText, ReadsTheLeadingNumberAndWhereReadingStopped) {
  const TValCase cases[] = {
      {u"42", 42, 0, 42, 0},
      {u"  -7.5", -7.5, 0, -7, 5},
      {u"12abc", 12, 3, 12, 3},
      {u"1,5", 1, 2, 1, 2},
      {u"3.25e2x", 325, 7, 3, 2},
      {u"", 0, 1, 0, 1},
      {u"  ", 0, 3, 0, 3},
      {u"-", 0, 2, 0, 2},
      {u".5", 0.5, 0, 0, 1},
      {u"2147483647", 2147483647.0, 0, 2147483647, 0},
      {u"-2147483648", -2147483648.0, 0, -2147483647 - 1, 0},
      {u"2147483648", 2147483648.0, 0, 0, 1},
      {u"9999999999999999999999999", 1e25, 0, 0, 1},
      {u"1e400", 0, 1, 1, 2},
      {u"1e", 1, 2, 1, 2},
  };
  for (const TValCase& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.Text));
    double f = -1;
    int32_t i = -1;
    int code = -1;
    Val(c.Text, f, code);
    EXPECT_DOUBLE_EQ(f, c.Float);
    EXPECT_EQ(code, c.FloatCode);
    Val(c.Text, i, code);
    EXPECT_EQ(i, c.Int);
    EXPECT_EQ(code, c.IntCode);
  }
}

}  // namespace
