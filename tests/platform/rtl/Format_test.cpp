#include "platform/rtl/Format.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"

namespace {

const TFormatSettings kInvariant = TFormatSettings::Invariant();
const TFormatSettings kMacedonian = MacedonianSettings();

TEST(Format, Integers) {
  const String text = u"abc";
  EXPECT_EQ(Format(u"%d", {42}, kInvariant), u"42");
  EXPECT_EQ(Format(u"%d", {-42}, kInvariant), u"-42");
  EXPECT_EQ(Format(u"[%5d]", {42}, kInvariant), u"[   42]");
  EXPECT_EQ(Format(u"[%-5d]", {42}, kInvariant), u"[42   ]");
  EXPECT_EQ(Format(u"%.5d", {-42}, kInvariant), u"-00042");  // precision pads the digits
  EXPECT_EQ(Format(u"[%8.5d]", {42}, kInvariant), u"[   00042]");
  EXPECT_EQ(Format(u"%d", {std::numeric_limits<int64_t>::min()}, kInvariant),
            u"-9223372036854775808");
  EXPECT_EQ(Format(u"%d", {std::numeric_limits<uint64_t>::max()}, kInvariant),
            u"18446744073709551615");
  EXPECT_EQ(Format(u"%d", {uint32_t{4000000000u}}, kInvariant), u"4000000000");
  EXPECT_EQ(Format(u"%u", {-1}, kInvariant), u"4294967295");  // the 32-bit pattern
  EXPECT_EQ(Format(u"%u", {int64_t{-1}}, kInvariant), u"18446744073709551615");
  EXPECT_EQ(Format(u"%x", {255}, kInvariant), u"FF");
  EXPECT_EQ(Format(u"%.4x", {255}, kInvariant), u"00FF");
  EXPECT_EQ(Format(u"%x", {-1}, kInvariant), u"FFFFFFFF");
  EXPECT_EQ(Format(u"%X", {int64_t{-1}}, kInvariant), u"FFFFFFFFFFFFFFFF");
  EXPECT_EQ(Format(u"%p", {reinterpret_cast<const void*>(0x1234)}, kInvariant),
            u"0000000000001234");
}

TEST(Format, TextArguments) {
  const String wide = u"Скопје";
  const AnsiString ansi = "Охрид";
  EXPECT_EQ(Format(u"%s|%s|%s|%s|%s", {wide, u"lit", ansi, "plain", u'x'}, kInvariant),
            u"Скопје|lit|Охрид|plain|x");
  EXPECT_EQ(Format(u"%s%s", {'a', '\xD0'}, kInvariant), u"a\uFFFD");
  EXPECT_EQ(Format(u"%.3s", {u"abcdef"}, kInvariant), u"abc");
  EXPECT_EQ(Format(u"[%8s]", {u"abc"}, kInvariant), u"[     abc]");
  EXPECT_EQ(Format(u"[%-8s]", {u"abc"}, kInvariant), u"[abc     ]");
  EXPECT_EQ(Format(u"[%2s]", {u"abcdef"}, kInvariant), u"[abcdef]");  // width never truncates
  EXPECT_EQ(Format(u"%s", {static_cast<const char16_t*>(nullptr)}, kInvariant), u"");
  EXPECT_EQ(Format(u"", {}, kInvariant), u"");
  EXPECT_EQ(Format(u"100%% of %s", {u"it"}, kInvariant), u"100% of it");
}

TEST(Format, IndexesAndStars) {
  EXPECT_EQ(Format(u"%1:s %0:s", {u"a", u"b"}, kInvariant), u"b a");
  EXPECT_EQ(Format(u"%1:s %s", {u"a", u"b", u"c"}, kInvariant), u"b c");  // continues after
  EXPECT_EQ(Format(u"%0:s-%0:s", {u"x"}, kInvariant), u"x-x");
  EXPECT_EQ(Format(u"[%*d]", {5, 42}, kInvariant), u"[   42]");
  EXPECT_EQ(Format(u"[%-*.*f]", {8, 1, 3.14159}, kInvariant), u"[3.1     ]");
  EXPECT_EQ(Format(u"[%0:-6s]", {u"ab"}, kInvariant), u"[ab    ]");
}

TEST(Format, FloatsUnderBothLocales) {
  struct Case {
    const char16_t* format;
    double value;
    const char16_t* invariant;
    const char16_t* macedonian;
  } cases[] = {
      {u"%f", 1.0, u"1.00", u"1,00"},
      {u"%.3f", 2.0 / 3, u"0.667", u"0,667"},
      {u"%.0f", 2.5, u"3", u"3"},
      {u"%.2f", 0.125, u"0.13", u"0,13"},
      {u"%.2f", -1234.5, u"-1234.50", u"-1234,50"},
      {u"%e", 1234.5, u"1.23450000000000E+003", u"1,23450000000000E+003"},
      {u"%.3e", -0.00012345, u"-1.23E-004", u"-1,23E-004"},
      {u"%g", 1234.5, u"1234.5", u"1234,5"},
      {u"%g", 1e20, u"1E20", u"1E20"},
      {u"%.3g", 1234.5, u"1.23E3", u"1,23E3"},
      {u"%g", 0.00001, u"1E-5", u"1E-5"},
      {u"%n", 1234567.891, u"1,234,567.89", u"1.234.567,89"},
      {u"%.0n", 1234567.5, u"1,234,568", u"1.234.568"},
      {u"%m", 1234.5, u"\u00A41,234.50", u"1.234,50 ден."},
      {u"%m", -1234.5, u"(\u00A41,234.50)", u"-1.234,50 ден."},
      {u"%.0m", 7, u"\u00A47", u"7 ден."},
      {u"[%10.2f]", 3.14159, u"[      3.14]", u"[      3,14]"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Format(c.format, {c.value}, kInvariant), c.invariant) << UTF8Encode(c.format);
    EXPECT_EQ(Format(c.format, {c.value}, kMacedonian), c.macedonian) << UTF8Encode(c.format);
  }
}

TEST(Format, LongDoubleKeepsEighteenDigits) {
  EXPECT_EQ(Format(u"%.18g", {1.0L / 3}, kInvariant), u"0.333333333333333333");
  EXPECT_EQ(Format(u"%.18g", {1.0 / 3}, kInvariant), u"0.333333333333333315");
}

TEST(Format, BadSpecifierOrArgumentRaises) {
  struct Case {
    const char16_t* format;
    std::initializer_list<TVarRec> args;
  };
  const Case invalid[] = {
      {u"%d", {1.5}}, {u"%f", {1}},    {u"%s", {42}},   {u"%d", {u"x"}},     {u"%y", {1}},
      {u"abc%", {}},  {u"%s", {true}}, {u"%d", {true}}, {u"%*d", {u"x", 1}}, {u"%x", {2.0}},
      {u"%p", {1}},   {u"%d", {u'c'}}, {u"%5.", {1}},   {u"%d", {'c'}},
  };
  for (const auto& c : invalid) {
    try {
      Format(c.format, c.args, kInvariant);
      ADD_FAILURE() << "no exception for " << UTF8Encode(c.format);
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(),
                u"Format '" + String(c.format) + u"' invalid or incompatible with argument");
    }
  }
  const char16_t* missing[] = {u"%d %d", u"%5:s", u"%*d"};
  for (const char16_t* format : missing) {
    try {
      Format(format, {1}, kInvariant);
      ADD_FAILURE() << "no exception for " << UTF8Encode(format);
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), u"No argument for format '" + String(format) + u"'");
    }
  }
}

TEST(Format, InvalidUtf16PassesThrough) {
  const String lone(u"\xDC00");
  EXPECT_EQ(Format(String(u"\xD800%s"), {lone}, kInvariant), String(u"\xD800\xDC00"));
  EXPECT_EQ(Format(u"%.1s", {String(u"\xD834\xDD1E")}, kInvariant), String(u"\xD834"));
}

TEST(Format, RuntimeArgumentArray) {
  std::vector<TVarRec> args{7, u"x"};
  EXPECT_EQ(Format(u"%d%s", args.data(), args.size(), kInvariant), u"7x");
}

TEST(FormatFloat, PicturesUnderBothLocales) {
  struct Case {
    const char16_t* format;
    double value;
    const char16_t* invariant;
    const char16_t* macedonian;
  } cases[] = {
      {u"0.00", 1234.567, u"1234.57", u"1234,57"},
      {u"#,##0.00", 1234567.891, u"1,234,567.89", u"1.234.567,89"},
      {u"#,##0.00", -1234567.891, u"-1,234,567.89", u"-1.234.567,89"},
      {u"#,##0.00", 0, u"0.00", u"0,00"},
      {u"#,##0.00", 0.5, u"0.50", u"0,50"},
      {u"#,##0", 1000, u"1,000", u"1.000"},
      {u"#,###", 999, u"999", u"999"},
      {u"0.00", 0.125, u"0.13", u"0,13"},  // exact halves go away from zero
      {u"0.00", -0.125, u"-0.13", u"-0,13"},
      {u"0", 2.5, u"3", u"3"},
      {u"0", 0.5, u"1", u"1"},
      {u"0", -2.5, u"-3", u"-3"},
      {u"0.00", 1.005, u"1.00", u"1,00"},  // 1.005 is 1.00499999999999989... in binary
      {u"#.##", 0.5, u".5", u",5"},
      {u"#.##", 1, u"1", u"1"},
      {u"0.##", 1.5, u"1.5", u"1,5"},
      {u"#", 0, u"", u""},
      {u"000", 7, u"007", u"007"},
      {u"0", 1234, u"1234", u"1234"},  // more digits than places
      {u"0.00E+00", 1234.5, u"1.23E+03", u"1,23E+03"},
      {u"0.000E+00", 1234.5, u"1.235E+03", u"1,235E+03"},
      {u"0.00E-00", 1234.5, u"1.23E03", u"1,23E03"},
      {u"0.00e-0", 0.00012, u"1.20e-4", u"1,20e-4"},
      {u"00.0E+0", 1234.5, u"12.3E+2", u"12,3E+2"},
      {u"0.0E+0", 0, u"0.0E+0", u"0,0E+0"},
      {u"0.00;(0.00)", -5, u"(5.00)", u"(5,00)"},
      {u"0.00;(0.00);'zero'", 0, u"zero", u"zero"},
      {u"0.00;;'zero'", -5, u"-5.00", u"-5,00"},    // empty negative section
      {u"0.0;(0.0);'nil'", -0.01, u"nil", u"nil"},  // rounds to zero
      {u"0.0", -0.01, u"0.0", u"0,0"},
      {u"'$'#,##0.00", 12.5, u"$12.50", u"$12,50"},
      {u"0.00 \"kg\"", 3, u"3.00 kg", u"3,00 kg"},
      {u"'a;b' 0", 5, u"a;b 5", u"a;b 5"},  // a quoted ';' does not split sections
      {u"", 1.5, u"1.5", u"1,5"},
      {u"0.00", 1e20, u"1E20", u"1E20"},  // beyond 18 integer digits
      {u"0.00", std::numeric_limits<double>::quiet_NaN(), u"NAN", u"NAN"},
      {u"0.00", -std::numeric_limits<double>::infinity(), u"-INF", u"-INF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatFloat(c.format, c.value, kInvariant), c.invariant)
        << UTF8Encode(c.format) << " " << c.value;
    EXPECT_EQ(FormatFloat(c.format, c.value, kMacedonian), c.macedonian)
        << UTF8Encode(c.format) << " " << c.value;
  }
}

TEST(FormatFloat, InvalidUtf16AndOddPicturesNeverFail) {
  EXPECT_EQ(FormatFloat(String(u"\xD800 0.0"), 1.5, kInvariant), String(u"\xD800 1.5"));
  EXPECT_EQ(FormatFloat(u"'unclosed 0", 1.5, kInvariant), u"unclosed 0");
  EXPECT_EQ(FormatFloat(u";;", 2, kInvariant), u"2");
  EXPECT_EQ(FormatFloat(u"text", 2, kInvariant), u"text");
}

}  // namespace
