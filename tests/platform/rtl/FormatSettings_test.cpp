#include "platform/rtl/FormatSettings.h"

#include <gtest/gtest.h>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumberText.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"

namespace {

TEST(FormatSettings, InvariantIsCultureNeutral) {
  TFormatSettings s = TFormatSettings::Invariant();
  EXPECT_EQ(s.DecimalSeparator, u'.');
  EXPECT_EQ(s.ThousandSeparator, u',');
  EXPECT_EQ(s.DateSeparator, u'/');
  EXPECT_EQ(s.TimeSeparator, u':');
  EXPECT_EQ(s.ShortDateFormat, u"MM/dd/yyyy");
  EXPECT_EQ(s.LongTimeFormat, u"hh:nn:ss");
  EXPECT_EQ(s.LongMonthNames[0], u"January");
  EXPECT_EQ(s.ShortMonthNames[11], u"Dec");
  EXPECT_EQ(s.LongDayNames[0], u"Sunday");
  EXPECT_EQ(s.ShortDayNames[6], u"Sat");
  for (const String& name : s.LongMonthNames) EXPECT_FALSE(name.empty());
}

TEST(FormatSettings, ProcessWideSettingsAreTheDefaultOfEveryConversion) {
  TFormatSettingsGuard guard;
  FormatSettings() = MacedonianSettings();
  TDateTime dt = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0);
  EXPECT_EQ(FloatToStr(1234.5), u"1234,5");
  EXPECT_EQ(FormatFloat(u"#,##0.00", 1234.5), u"1.234,50");
  EXPECT_DOUBLE_EQ(StrToFloat(u"1,25"), 1.25);
  EXPECT_EQ(DateTimeToStr(dt), u"05.03.2024 14:07:09");
  EXPECT_DOUBLE_EQ(StrToDate(u"05.03.2024"), EncodeDate(2024, 3, 5));

  FormatSettings() = TFormatSettings::Invariant();
  EXPECT_EQ(FloatToStr(1234.5), u"1234.5");
  EXPECT_EQ(DateTimeToStr(dt), u"03/05/2024 14:07:09");
}

TEST(FormatSettings, ExplicitSettingsLeaveTheProcessWideOnesAlone) {
  TFormatSettingsGuard guard;
  FormatSettings() = TFormatSettings::Invariant();
  EXPECT_EQ(FloatToStr(0.5, MacedonianSettings()), u"0,5");
  EXPECT_EQ(FloatToStr(0.5), u"0.5");
  EXPECT_EQ(FormatSettings().DecimalSeparator, u'.');
}

}  // namespace
