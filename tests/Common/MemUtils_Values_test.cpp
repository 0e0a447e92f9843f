#include <gtest/gtest.h>

#include "Common/MemUtils.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/rtl/Variant.h"

namespace {

TEST(MemUtilsDates, EncodeDateRules) {
  struct Case {
    uint16_t y, m, d;
    bool valid;
  } cases[] = {
      {1900, 2, 29, false}, {2000, 2, 29, true},  {2024, 2, 29, true},  {2023, 2, 29, false},
      {10000, 1, 1, false}, {0, 1, 1, false},     {9999, 12, 31, true}, {1, 1, 1, true},
      {2020, 0, 1, false},  {2020, 13, 1, false}, {2020, 4, 31, false}, {2020, 1, 0, false},
  };
  for (const auto& c : cases) {
    TDateTime value = 0;
    EXPECT_EQ(TryEncodeDate(c.y, c.m, c.d, value), c.valid) << c.y << "-" << c.m << "-" << c.d;
  }
  TDateTime value = 0;
  ASSERT_TRUE(TryEncodeDate(1899, 12, 30, value));
  EXPECT_EQ(value, 0.0);
}

TEST(MemUtilsDates, EncodeTimeRules) {
  struct Case {
    uint16_t h, n, s, ms;
    bool valid;
  } cases[] = {
      {23, 59, 59, 999, true}, {24, 0, 0, 0, false}, {0, 60, 0, 0, false},
      {0, 0, 60, 0, false},    {0, 0, 0, 1000, false}, {0, 0, 0, 0, true},
  };
  for (const auto& c : cases) {
    TDateTime value = 0;
    EXPECT_EQ(TryEncodeTime(c.h, c.n, c.s, c.ms, value), c.valid)
        << c.h << ":" << c.n << ":" << c.s << "." << c.ms;
  }
}

TEST(MemUtilsDates, EncodeDateTimeKeepsTheTimeOfDayBeforeDayZero) {
  struct Case {
    uint16_t y, m, d, h;
    TDateTime expected;
  } cases[] = {
      {1899, 12, 30, 6, 0.25},
      {1899, 12, 29, 6, -1.25},  // one day before day zero, 06:00
      {1899, 12, 28, 18, -2.75},
      {2000, 1, 1, 12, 36526.5},
  };
  for (const auto& c : cases) {
    TDateTime value = 0;
    ASSERT_TRUE(TryEncodeDateTime(c.y, c.m, c.d, c.h, 0, 0, 0, value));
    EXPECT_DOUBLE_EQ(value, c.expected) << c.y << "-" << c.m << "-" << c.d;
    uint16_t h, n, s, ms;
    DecodeTime(value, h, n, s, ms);
    EXPECT_EQ(h, c.h);
  }
  TDateTime value = 0;
  EXPECT_FALSE(TryEncodeDateTime(2000, 2, 30, 0, 0, 0, 0, value));
  EXPECT_FALSE(TryEncodeDateTime(2000, 2, 1, 24, 0, 0, 0, value));
}

TEST(MemUtilsDates, TimeStamps) {
  struct Case {
    TTimeStamp ts;
    const char16_t* message;  // nullptr for a valid time stamp
  } cases[] = {
      {{0, 1}, nullptr},
      {{86399999, 693594}, nullptr},
      {{-1, 5}, u"'5.-1' is not a valid timestamp"},
      {{0, 0}, u"'0.0' is not a valid timestamp"},
      {{100, -3}, u"'-3.100' is not a valid timestamp"},
  };
  for (const auto& c : cases) {
    if (c.message == nullptr) {
      EXPECT_NO_THROW(ValidateTimeStamp(c.ts));
      continue;
    }
    try {
      ValidateTimeStamp(c.ts);
      ADD_FAILURE() << "no error for " << c.ts.Date << "." << c.ts.Time;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_THROW(TimeStampToDateTime(c.ts), EConvertError);
  }
  EXPECT_EQ(TimeStampToDateTime({0, 693594}), 0.0);
  EXPECT_EQ(TimeStampToDateTime({43200000, 693593}), -1.5);  // the fraction is subtracted
  EXPECT_EQ(TimeStampToDateTime({21600000, 693595}), 1.25);
}

TEST(MemUtilsVariants, VarEqualRules) {
  const Variant bytes = TBytes{1, 2, 3};
  struct Case {
    const char* name;
    Variant a, b;
    bool equal;
  } cases[] = {
      {"wide and equal 8-bit text", Variant(u"Жаба"), Variant(AnsiString("Жаба")), true},
      {"8-bit and equal wide text", Variant(AnsiString("abc")), Variant(u"abc"), true},
      {"OLE and Unicode wide texts", Variant::FromOleStr(u"x"), Variant(u"x"), true},
      {"wide texts differ in case", Variant(u"abc"), Variant(u"ABC"), false},
      {"wide against 8-bit, different", Variant(u"abc"), Variant(AnsiString("abd")), false},
      {"two Nulls", Variant::Null(), Variant::Null(), true},
      {"Null and 0", Variant::Null(), Variant(0), false},
      {"Null and empty text", Variant(u""), Variant::Null(), false},
      {"Null and Empty", Variant::Null(), Variant(), false},
      {"empty text and 0", Variant(u""), Variant(0), false},
      {"0 and empty 8-bit text", Variant(0), Variant(AnsiString()), false},
      {"empty text and Empty", Variant(AnsiString()), Variant(), false},
      {"two empty 8-bit texts", Variant(AnsiString()), Variant(AnsiString()), true},
      {"empty wide and 8-bit texts", Variant(u""), Variant(AnsiString()), true},
      {"numbers across types", Variant(1), Variant(1.0), true},
      {"different numbers", Variant(1), Variant(int64_t{2}), false},
      {"8-bit texts", Variant(AnsiString("abc")), Variant(AnsiString("abc")), true},
      {"two Empty", Variant(), Variant(), true},
      {"byte arrays with the same bytes", bytes, Variant(TBytes{1, 2, 3}), true},
      {"byte arrays of different length", bytes, Variant(TBytes{1, 2}), false},
      {"byte arrays with different bytes", bytes, Variant(TBytes{1, 2, 4}), false},
      {"two empty byte arrays", Variant(TBytes{}), Variant(TBytes{}), true},
      {"byte array and Empty", Variant(TBytes{}), Variant(), false},
      {"byte array and text", Variant(TBytes{'a'}), Variant(AnsiString("a")), false},
      {"byte array and number", Variant(TBytes{1}), Variant(1), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VarEqual(c.a, c.b), c.equal) << c.name;
    EXPECT_EQ(VarEqual(c.b, c.a), c.equal) << c.name << " (swapped)";
  }
}

TEST(MemUtilsVariants, VarToStringAndFormatStr) {
  EXPECT_EQ(VarToString(Variant::Null()), u"");
  EXPECT_EQ(VarToString(Variant(42)), u"42");
  EXPECT_EQ(VarToString(Variant(AnsiString("Жаба"))), u"Жаба");
  EXPECT_EQ(FormatStr(u"%s has %d rows", {String(u"donors"), 12}), u"donors has 12 rows");
}

}  // namespace
