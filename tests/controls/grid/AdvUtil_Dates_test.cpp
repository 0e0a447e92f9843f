// Date parsers and series-fill steps.
#include <gtest/gtest.h>

#include "controls/grid/AdvUtil.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"

using namespace AdvUtil;

namespace {

TEST(AdvUtilDates, FixedOrderParsers) {
  const struct {
    const char16_t* text;
    bool monthFirst;
    TDateTime expected;
  } cases[] = {
      {u"02/03/2024", true, EncodeDate(2024, 2, 3)},
      {u"02/03/2024", false, EncodeDate(2024, 3, 2)},
      {u"2.3.25", false, EncodeDate(2025, 3, 2)},
      {u"2.3.26", false, EncodeDate(1926, 3, 2)},
      {u"2-3-99", true, EncodeDate(1999, 2, 3)},
      {u"2-3-5", true, EncodeDate(2005, 2, 3)},
      {u"2/3/1875", true, EncodeDate(1875, 2, 3)},  // written years stay
      {u"2/3/202", true, EncodeDate(202, 2, 3)},
      {u"", true, 0},
      {u"2/3", true, 0},
      {u"a/3/2024", true, 0},
      {u"2//2024", true, 0},
      {u"2/3/2024x", true, 0},
  };
  for (const auto& c : cases) {
    TDateTime got = c.monthFirst ? ParseDateMDY(c.text) : ParseDateDMY(c.text);
    EXPECT_EQ(got, c.expected) << std::string(c.text, c.text + 3);
  }
  EXPECT_THROW(ParseDateMDY(u"13/01/2024"), EConvertError);
  EXPECT_THROW(ParseDateDMY(u"31.02.2024"), EConvertError);
  EXPECT_THROW(ParseDateDMY(u"1.1.99999999"), EConvertError);
}

TEST(AdvUtilDates, LocaleParserFollowsTheShortDateFormat) {
  TFormatSettingsGuard guard;
  FormatSettings() = MacedonianSettings();
  TDateTime v = -1;
  EXPECT_TRUE(ParseLocaleDateTime(u"29.02.2024", v));
  EXPECT_EQ(v, EncodeDate(2024, 2, 29));
  EXPECT_TRUE(ParseLocaleDateTime(u"01.02.24 10:30", v));
  EXPECT_DOUBLE_EQ(v, EncodeDate(2024, 2, 1) + EncodeTime(10, 30, 0, 0));
  EXPECT_TRUE(ParseLocaleDateTime(u"01.02.2024 23:59:59", v));
  EXPECT_DOUBLE_EQ(v, EncodeDate(2024, 2, 1) + EncodeTime(23, 59, 59, 0));
  for (const char16_t* bad : {u"29.02.2023", u"32.01.2024", u"01.13.2024", u"01.02.2024 24:00",
                              u"01.02.2024 10", u"01.02.2024 10:60", u"1.2", u"", u"a.b.c",
                              u"01/02/2024"})
    EXPECT_FALSE(ParseLocaleDateTime(bad, v)) << std::string(bad, bad + 2);
  EXPECT_TRUE(IsDateText(u"1.2.2024"));
  EXPECT_FALSE(IsDateText(u".2.2024x") && IsDateText(u"12.5"));
  EXPECT_FALSE(IsDateText(u"12.5"));

  FormatSettings() = TFormatSettings::Invariant();  // month first
  EXPECT_TRUE(ParseLocaleDateTime(u"02/01/2024", v));
  EXPECT_EQ(v, EncodeDate(2024, 2, 1));
  EXPECT_FALSE(ParseLocaleDateTime(u"13/01/2024", v));
}

TEST(AdvUtilDates, IncDateByStepsSafely) {
  const TDateTime jan31 = EncodeDate(2024, 1, 31) + 0.25;
  const struct {
    TDateTime date;
    TDateStep step;
    TDateTime expected;
  } cases[] = {
      {jan31, {0, 1, 0, 0}, EncodeDate(2024, 2, 29) + 0.25},   // clamped to the month's end
      {jan31, {0, 13, 0, 0}, EncodeDate(2025, 2, 28) + 0.25},  // more than a year of months
      {jan31, {0, -2, 0, 0}, EncodeDate(2023, 11, 30) + 0.25},
      {jan31, {0, -25, 0, 0}, EncodeDate(2021, 12, 31) + 0.25},
      {EncodeDate(2024, 2, 29), {1, 0, 0, 0}, EncodeDate(2025, 2, 28)},
      {EncodeDate(2024, 2, 29), {4, 0, 0, 0}, EncodeDate(2028, 2, 29)},
      {EncodeDate(2024, 3, 1), {0, 0, -1, 0}, EncodeDate(2024, 2, 29)},  // days are signed
      {EncodeDate(2024, 3, 1), {0, 0, 0, 7}, EncodeDate(2024, 3, 8)},
      {EncodeDate(2024, 3, 1), {1, 1, 0, 2}, EncodeDate(2024, 3, 3)},  // two fields: the step
      {EncodeDate(9999, 12, 1), {0, 1, 0, 0}, EncodeDate(9999, 12, 1)},  // beyond the calendar
      {EncodeDate(1, 1, 1), {-1, 0, 0, 0}, EncodeDate(1, 1, 1)},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(IncDateBy(c.date, c.step), c.expected);
}

}  // namespace
