#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/LocaleSettings.h"
#include "platform/rtl/UnicodeText.h"

namespace {

struct LayoutCase {
  const char* Layout;
  bool IsDate;
  const char16_t* Expected;
  char16_t Separator;
};

TEST(LocaleSettings, TheCLibraryLayoutsBecomeFormatsWithTheSeparatorTakenOut) {
  const LayoutCase cases[] = {
      {"%m/%d/%y", true, u"mm/dd/yy", u'/'},
      {"%d.%m.%Y", true, u"dd/mm/yyyy", u'.'},
      {"%Y-%m-%d", true, u"yyyy/mm/dd", u'-'},
      {"%F", true, u"yyyy/mm/dd", u'-'},
      {"%D", true, u"mm/dd/yy", u'/'},
      {"%e.%m.%Y г.", true, u"d/mm/yyyy\" г.\"", u'.'},
      {"%H:%M:%S", false, u"hh:nn:ss", u':'},
      {"%T", false, u"hh:nn:ss", u':'},
      {"%r", false, u"hh:nn:ss\" \"ampm", u':'},
      {"%H.%M.%S %Z", false, u"hh:nn:ss\" \"", u'.'},
  };
  for (const LayoutCase& c : cases) {
    char16_t separator = 0;
    EXPECT_EQ(LayoutFromStrftime(c.Layout, c.IsDate, &separator), String(c.Expected)) << c.Layout;
    EXPECT_EQ(separator, c.Separator) << c.Layout;
  }
}

TEST(LocaleSettings, TheCLocaleGivesItsOwnLayoutsNamesAndSeparators) {
  const TFormatSettings s = LocaleFormatSettings("C");
  EXPECT_EQ(s.DecimalSeparator, u'.');
  EXPECT_EQ(s.ThousandSeparator, u',');  // the C locale names none: the invariant one stays
  EXPECT_EQ(s.DateSeparator, u'/');
  EXPECT_EQ(s.TimeSeparator, u':');
  EXPECT_EQ(s.ShortDateFormat, u"mm/dd/yy");
  EXPECT_EQ(s.LongTimeFormat, u"hh:nn:ss");
  EXPECT_EQ(s.ShortTimeFormat, u"hh:nn");
  EXPECT_EQ(s.TimeAMString, u"AM");
  EXPECT_EQ(s.LongMonthNames[0], u"January");
  EXPECT_EQ(s.ShortDayNames[0], u"Sun");
  // A date written with them reads as the locale writes it.
  EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 7) + EncodeTime(9, 5, 30, 0), s),
            u"03/07/24 09:05:30");
}

TEST(LocaleSettings, AnUnknownLocaleLeavesTheInvariantSettings) {
  const TFormatSettings s = LocaleFormatSettings("xx_NOWHERE.UTF-8");
  const TFormatSettings invariant = TFormatSettings::Invariant();
  EXPECT_EQ(s.ShortDateFormat, invariant.ShortDateFormat);
  EXPECT_EQ(s.DecimalSeparator, invariant.DecimalSeparator);
}

TEST(LocaleSettings, AnEmptyNameReadsTheEnvironment) {
  const char* saved = std::getenv("LC_ALL");
  const std::string before = saved ? saved : "";
  setenv("LC_ALL", "C", 1);
  const TFormatSettings s = LocaleFormatSettings();
  if (saved)
    setenv("LC_ALL", before.c_str(), 1);
  else
    unsetenv("LC_ALL");
  EXPECT_EQ(s.ShortDateFormat, u"mm/dd/yy");
}

}  // namespace
