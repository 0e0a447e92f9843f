#include "platform/rtl/TextCompare.h"

#include <gtest/gtest.h>

#include "platform/rtl/UnicodeText.h"

namespace {

class TextCompareTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCollationLocale("mk_MK"); }
};

TEST_F(TextCompareTest, OrdinalFunctionsFoldOnlyAscii) {
  EXPECT_EQ(CompareText(u"ABC", u"abc"), 0);
  EXPECT_LT(CompareText(u"abc", u"abd"), 0);
  EXPECT_LT(CompareText(u"ab", u"abc"), 0);
  EXPECT_NE(CompareText(u"ЖАБА", u"жаба"), 0);  // Cyrillic is not folded by the plain functions
  EXPECT_TRUE(SameText(u"Hello", u"hELLO"));
  EXPECT_EQ(UpperCase(u"abc-жаба"), u"ABC-жаба");
  EXPECT_LT(CompareStr(u"B", u"a"), 0);  // code units: upper case first
}

TEST_F(TextCompareTest, LocaleFunctionsHandleCyrillic) {
  EXPECT_EQ(AnsiCompareText(u"ЖАБА", u"жаба"), 0);
  EXPECT_TRUE(AnsiSameText(u"Ѓорѓи Ќосе", u"ѓорѓи ќосе"));
  EXPECT_NE(AnsiCompareStr(u"ЖАБА", u"жаба"), 0);
  EXPECT_LT(AnsiCompareText(u"азбука", u"Буква"), 0);  // а before б whatever the case
  EXPECT_LT(AnsiCompareStr(u"а", u"б"), 0);
  EXPECT_EQ(AnsiUpperCase(u"ѓорѓи ќосе ѕвезда"), u"ЃОРЃИ ЌОСЕ ЅВЕЗДА");
  EXPECT_EQ(AnsiLowerCase(u"ЉУБОВ"), u"љубов");
  EXPECT_EQ(AnsiUpperCase(u"straße"), u"STRASSE");
  EXPECT_EQ(AnsiCompareTextA("ШКОЛА", "школа"), 0);
  EXPECT_EQ(AnsiUpperCaseA("школа"), "ШКОЛА");
}

TEST_F(TextCompareTest, LocaleCaselessStillTellsAccentsApart) {
  EXPECT_NE(AnsiCompareText(u"resume", u"résumé"), 0);
  EXPECT_EQ(AnsiCompareText(u"RÉSUMÉ", u"résumé"), 0);
}

TEST_F(TextCompareTest, EmptyTextsAndPunctuation) {
  EXPECT_EQ(AnsiCompareStr(u"", u""), 0);
  EXPECT_LT(AnsiCompareStr(u"", u"a"), 0);
  EXPECT_NE(AnsiCompareText(u"a-b", u"ab"), 0);  // punctuation is significant
}

// One rule for the accelerators of buttons, labels, message boxes and menus.
TEST(IsAccel, TheCharacterAfterASingleAmpersandInAnyCase) {
  struct Case {
    const char16_t* caption;
    char16_t ch;
    bool accel;
  } cases[] = {
      {u"&Yes", u'y', true},       {u"&Yes", u'Y', true},     {u"&Yes", u'e', false},
      {u"Save &As", u'a', true},   {u"A&&B", u'b', false},    {u"A&&&B", u'b', true},
      {u"&&x&Go", u'g', true},     {u"Stop&", u'p', false},   {u"", u'a', false},
      {u"&Сачувај", u'с', true},   {u"Нов&о", u'О', true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsAccel(c.ch, c.caption), c.accel) << UTF8Encode(c.caption);
}

}  // namespace
