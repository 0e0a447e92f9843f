#include "platform/rtl/FMTBcd.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "platform/rtl/UnicodeText.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"

namespace {

const TFormatSettings Dot = TFormatSettings::Invariant();

TFormatSettings Comma() {
  TFormatSettings fs = TFormatSettings::Invariant();
  fs.DecimalSeparator = u',';
  fs.ThousandSeparator = u'.';
  return fs;
}

bool TryParseBcd(const String& text, char16_t separator, TBcd& bcd) {
  return TryStrToBcd(text, bcd, separator == u',' ? Comma() : Dot);
}

TBcd B(const char* text) {
  TBcd bcd;
  EXPECT_TRUE(TryParseBcd(S(text), u'.', bcd)) << text;
  return bcd;
}

std::string T(const TBcd& bcd) { return UTF8Encode(BcdToStr(bcd, Dot)); }

TEST(FMTBcd, LayoutIsPackedNibblesWithSignAndPlaces) {
  TBcd bcd = B("-12.345");
  EXPECT_EQ(bcd.Precision, 5);
  EXPECT_EQ(bcd.SignSpecialPlaces, 0x80 | 3);
  EXPECT_EQ(bcd.Fraction[0], 0x12);
  EXPECT_EQ(bcd.Fraction[1], 0x34);
  EXPECT_EQ(bcd.Fraction[2], 0x50);
  for (int i = 3; i < 32; ++i) EXPECT_EQ(bcd.Fraction[i], 0) << i;

  TBcd half = B("0.5");
  EXPECT_EQ(half.Precision, 1);
  EXPECT_EQ(half.SignSpecialPlaces, 1);
  EXPECT_EQ(half.Fraction[0], 0x50);
}

TEST(FMTBcd, TextRoundTrips) {
  struct Case {
    const char* in;
    const char* out;
    int precision;  // BcdPrecision: integer digits
    int scale;
  } cases[] = {
      {"0", "0", 0, 0},
      {"-0", "0", 0, 0},
      {"0.00", "0", 0, 2},
      {"12.34", "12.34", 2, 2},
      {"-12.34", "-12.34", 2, 2},
      {"1.50", "1.5", 1, 2},
      {"007.5", "7.5", 1, 1},
      {"-0.001", "-0.001", 0, 3},
      {".5", "0.5", 0, 1},
      {"5.", "5", 1, 0},
      {"  +42  ", "42", 2, 0},
      {"1.5e3", "1500", 4, 0},
      {"1.5E-3", "0.0015", 0, 4},
      {"12345678901234567890123456789012.12345678901234567890123456789012",
       "12345678901234567890123456789012.12345678901234567890123456789012", 32, 32},
      {"9999999999999999999999999999999999999999999999999999999999999999",
       "9999999999999999999999999999999999999999999999999999999999999999", 64, 0},
      {"1e-70", "0", 0, 0},
  };
  for (const auto& c : cases) {
    TBcd bcd = B(c.in);
    EXPECT_EQ(T(bcd), c.out) << c.in;
    EXPECT_EQ(BcdPrecision(bcd), c.precision) << c.in;
    EXPECT_EQ(BcdScale(bcd), c.scale) << c.in;
  }
}

TEST(FMTBcd, DigitsBeyondSixtyFourAreRoundedOffHalfAwayFromZero) {
  // 62 nines and three places: rounding to two places carries into a 63rd integer digit, so
  // one place is left.
  TBcd carried = B((std::string(62, '9') + ".995").c_str());
  EXPECT_EQ(T(carried), "1" + std::string(62, '0'));
  EXPECT_EQ(carried.Precision, 64);
  EXPECT_EQ(BcdScale(carried), 1);
  // At most 63 places: the 64th rounds.
  TBcd places = B(("1." + std::string(62, '0') + "05").c_str());
  EXPECT_EQ(T(places), "1." + std::string(62, '0') + "1");
  EXPECT_EQ(BcdScale(places), 63);
  TBcd negative = B(("-0." + std::string(63, '0') + "5").c_str());
  EXPECT_EQ(T(negative), "-0." + std::string(62, '0') + "1");
  // 65 integer digits cannot be held.
  TBcd bcd;
  EXPECT_FALSE(TryParseBcd(S(std::string(65, '9')), u'.', bcd));
  EXPECT_FALSE(TryParseBcd(u"1e64", u'.', bcd));
  EXPECT_TRUE(TryParseBcd(u"1e63", u'.', bcd));
}

TEST(FMTBcd, BadTextIsRejected) {
  const char* bad[] = {"", " ", "-", ".", "1.2.3", "12a", "1,5", "e5", "1e", "1e+", "--1",
                       "1 2", "NaN", "١٢"};
  for (const char* text : bad) {
    TBcd bcd = IntegerToBcd(7);
    EXPECT_FALSE(TryParseBcd(S(text), u'.', bcd)) << text;
    EXPECT_EQ(BcdToInt64(bcd), 7) << "unchanged on failure: " << text;
  }
  TBcd bcd;
  EXPECT_TRUE(TryParseBcd(u"-1,5", u',', bcd));
  EXPECT_EQ(BcdToStr(bcd, Comma()), u"-1,5");
  EXPECT_FALSE(TryParseBcd(u"1.5", u',', bcd)) << "the point is no separator under a comma locale";
}

TEST(FMTBcd, StrToBcdRaisesWithTheTextOrOverflow) {
  try {
    StrToBcd(u"12x", Dot);
    FAIL() << "no exception";
  } catch (const EBcdOverflowException&) {
    FAIL() << "bad text is no overflow";
  } catch (const EBcdException& e) {
    EXPECT_EQ(e.Message(), u"12x is not a valid BCD value");
  }
  try {
    StrToBcd(S(std::string(65, '1')), Dot);
    FAIL() << "no exception";
  } catch (const EBcdOverflowException& e) {
    EXPECT_EQ(e.Message(), u"BCD overflow");
  }
  EXPECT_EQ(T(StrToBcd(u" 7.25 ", Dot)), "7.25");
}

TEST(FMTBcd, DefaultSettingsAreTheProcessWideOnes) {
  TBcd bcd;
  {
    TFormatSettingsGuard guard;
    FormatSettings() = MacedonianSettings();
    bcd = StrToBcd(u"3,75");
    EXPECT_EQ(BcdToStr(bcd), u"3,75");
  }
  EXPECT_EQ(BcdToStr(bcd), u"3.75");
}

TEST(FMTBcd, DoubleConversions) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {0.0, "0"},      {-0.0, "0"},        {0.1, "0.1"},         {-2.5, "-2.5"},
      {1e20, "100000000000000000000"},     {1.0 / 3, "0.333333333333333"},
      {123456.789, "123456.789"},          {1e-10, "0.0000000001"},
      {-987654321.125, "-987654321.125"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(T(DoubleToBcd(c.value)), c.text) << c.value;
    EXPECT_EQ(BcdToDouble(B(c.text)), std::stod(c.text)) << c.text;
  }
  EXPECT_EQ(BcdToDouble(B("-12345678901234567890.5")), -12345678901234567890.5);
  EXPECT_THROW(DoubleToBcd(std::numeric_limits<double>::quiet_NaN()), EBcdException);
  EXPECT_THROW(DoubleToBcd(std::numeric_limits<double>::infinity()), EBcdException);
  EXPECT_EQ(BcdToDouble(NullBcd), 0.0);
}

TEST(FMTBcd, IntegerConversions) {
  EXPECT_EQ(T(IntegerToBcd(0)), "0");
  EXPECT_EQ(T(IntegerToBcd(-2147483647 - 1)), "-2147483648");
  EXPECT_EQ(T(Int64ToBcd(INT64_MIN)), "-9223372036854775808");
  struct Case {
    const char* text;
    int64_t rounded;
    int64_t truncated;
  } cases[] = {
      {"2.5", 2, 2},     {"3.5", 4, 3},     {"-2.5", -2, -2},  {"-3.5", -4, -3},
      {"2.51", 3, 2},    {"-0.4", 0, 0},    {"9223372036854775807", INT64_MAX, INT64_MAX},
      {"-9223372036854775808", INT64_MIN, INT64_MIN},
      {"9223372036854775807.4", INT64_MAX, INT64_MAX},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BcdToInt64(B(c.text)), c.rounded) << c.text;
    EXPECT_EQ(BcdToInt64(B(c.text), true), c.truncated) << c.text;
  }
  EXPECT_THROW(BcdToInt64(B("9223372036854775808")), EBcdOverflowException);
  EXPECT_THROW(BcdToInt64(B("9223372036854775807.5")), EBcdOverflowException);
  EXPECT_THROW(BcdToInt64(B("-9223372036854775809")), EBcdOverflowException);
}

TEST(FMTBcd, CurrencyConversions) {
  struct Case {
    int64_t raw;
    const char* text;
  } cases[] = {
      {0, "0"}, {12345, "1.2345"}, {-5, "-0.0005"}, {INT64_MAX, "922337203685477.5807"},
      {INT64_MIN, "-922337203685477.5808"},
  };
  for (const auto& c : cases) {
    TBcd bcd;
    ASSERT_TRUE(CurrToBCD(Currency::FromRaw(c.raw), bcd)) << c.text;
    EXPECT_EQ(bcd.Precision, 32) << c.text;
    EXPECT_EQ(BcdScale(bcd), 4) << c.text;
    EXPECT_EQ(T(bcd), c.text);
    Currency back;
    ASSERT_TRUE(BCDToCurr(B(c.text), back)) << c.text;
    EXPECT_EQ(back.Raw(), c.raw) << c.text;
  }
  // Fewer decimals round half away from zero; a value that does not fit is refused.
  TBcd bcd;
  ASSERT_TRUE(CurrToBCD(Currency::FromRaw(12550), bcd, 10, 2));
  EXPECT_EQ(T(bcd), "1.26");
  EXPECT_EQ(bcd.Precision, 10);
  EXPECT_FALSE(CurrToBCD(Currency(1000), bcd, 4, 2));
  EXPECT_FALSE(CurrToBCD(Currency(1), bcd, 4, 5));
  EXPECT_FALSE(CurrToBCD(Currency(1), bcd, 0, 0));
  // To currency rounds half to even at the fourth decimal.
  Currency c = Currency(9);
  ASSERT_TRUE(BCDToCurr(B("0.00005"), c));
  EXPECT_EQ(c.Raw(), 0);
  ASSERT_TRUE(BCDToCurr(B("-0.00015"), c));
  EXPECT_EQ(c.Raw(), -2);
  ASSERT_TRUE(BCDToCurr(B("0.000051"), c));
  EXPECT_EQ(c.Raw(), 1);
  c = Currency(9);
  EXPECT_FALSE(BCDToCurr(B("922337203685477.58075"), c));
  EXPECT_FALSE(BCDToCurr(B("1e20"), c));
  EXPECT_EQ(c, Currency(9));
}

TEST(FMTBcd, CompareByValue) {
  struct Case {
    const char* a;
    const char* b;
    int result;
  } cases[] = {
      {"0", "-0", 0},          {"1.50", "1.5", 0},     {"007", "7", 0},
      {"1", "2", -1},          {"-1", "-2", 1},        {"-1", "1", -1},
      {"10", "9.999", 1},      {"0.001", "0.0009", 1}, {"-0.5", "0", -1},
      {"123456789012345678901234567890", "123456789012345678901234567891", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BcdCompare(B(c.a), B(c.b)), c.result) << c.a << " vs " << c.b;
    EXPECT_EQ(BcdCompare(B(c.b), B(c.a)), -c.result) << c.b << " vs " << c.a;
  }
  EXPECT_EQ(BcdCompare(NullBcd, B("0.000")), 0);
  TBcd padded;
  ASSERT_TRUE(NormalizeBcd(B("-3.1"), padded, 20, 6));
  EXPECT_EQ(BcdCompare(padded, B("-3.1")), 0);
}

TEST(FMTBcd, NormalizeRoundsAndDetectsOverflow) {
  struct Case {
    const char* in;
    int precision, places;
    bool ok;
    const char* out;
  } cases[] = {
      {"12.345", 10, 2, true, "12.35"},   {"-12.345", 10, 2, true, "-12.35"},
      {"12.344", 10, 2, true, "12.34"},   {"99.995", 5, 2, true, "100"},
      {"99.995", 4, 2, false, ""},         {"1234", 4, 0, true, "1234"},
      {"12345", 4, 0, false, ""},          {"0.5", 1, 1, true, "0.5"},
      {"0.04", 3, 1, true, "0"},           {"1", 3, 3, false, ""},
      {"5", 0, 0, false, ""},              {"5", 3, 4, false, ""},
      {"1", 64, 64, false, ""},            {"0.5", 64, 64, false, ""},
  };
  for (const auto& c : cases) {
    TBcd out = NullBcd;
    EXPECT_EQ(NormalizeBcd(B(c.in), out, c.precision, c.places), c.ok) << c.in;
    if (!c.ok) continue;
    EXPECT_EQ(T(out), c.out) << c.in;
    EXPECT_EQ(out.Precision, c.precision) << c.in;
    EXPECT_EQ(BcdScale(out), c.places) << c.in;
  }
  TBcd out;
  // A precision beyond what the record holds is the most it holds.
  ASSERT_TRUE(NormalizeBcd(B("-12.5"), out, 65, 30));
  EXPECT_EQ(out.Precision, 64);
  EXPECT_EQ(BcdScale(out), 30);
  EXPECT_EQ(T(out), "-12.5");
  EXPECT_FALSE(NormalizeBcd(B(std::string(35, '9').c_str()), out, 65, 30));
  ASSERT_TRUE(NormalizeBcd(B("-0.004"), out, 5, 2));
  EXPECT_FALSE(IsBcdNegative(out)) << "a rounded-away negative value is plain zero";
  EXPECT_EQ(out.SignSpecialPlaces, 2);
}

TEST(FMTBcd, CorruptRecordsRaise) {
  TBcd bcd = B("12");
  bcd.Fraction[0] = 0x1A;
  EXPECT_THROW(BcdToDouble(bcd), EBcdException);
  bcd = B("12");
  bcd.Precision = 65;
  EXPECT_THROW(BcdCompare(bcd, NullBcd), EBcdException);
}

}  // namespace
