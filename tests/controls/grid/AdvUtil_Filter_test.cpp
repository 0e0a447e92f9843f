// The grid's filter conditions, and what they do with hostile input.
#include <gtest/gtest.h>

#include "controls/grid/AdvUtil.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"

using namespace AdvUtil;

namespace {

struct FilterCase {
  const char16_t* condition;
  const char16_t* text;
  bool caseSensitive;
  bool match;
};

void RunTable(const FilterCase* begin, const FilterCase* end) {
  for (const FilterCase* c = begin; c != end; ++c) {
    std::string label;
    for (const char16_t* p = c->condition; *p; ++p) label += *p < 128 ? char(*p) : '#';
    label += " / ";
    for (const char16_t* p = c->text; *p; ++p) label += *p < 128 ? char(*p) : '#';
    EXPECT_EQ(MatchFilterExpression(c->condition, c->text, c->caseSensitive), c->match) << label;
  }
}

TEST(AdvUtilFilter, ConditionsUnderEnglishSeparators) {
  TFormatSettingsGuard guard;
  FormatSettings() = TFormatSettings::Invariant();
  const FilterCase cases[] = {
      {u">10", u"11", true, true},
      {u">10", u"9", true, false},
      {u">10", u"100", true, true},  // numbers, not text order
      {u">=10", u"10", true, true},
      {u">10", u"10", true, false},
      {u"<=2.5", u"2.5", true, true},
      {u"<1,000", u"999", true, true},
      {u"a*", u"abc", true, true},
      {u"a*", u"bac", true, false},
      {u"!a*", u"xyz", true, true},
      {u"!a*", u"abc", true, false},
      {u"a*|b*", u"bcd", true, true},
      {u"a*|b*", u"cde", true, false},
      {u"a*;b*", u"bcd", true, true},
      {u">1&<5", u"3", true, true},
      {u">1&<5", u"7", true, false},
      {u"=abc", u"abc", true, true},
      {u"=abc", u"abcd", true, false},
      {u"ABC", u"abc", false, true},
      {u"ABC", u"abc", true, false},
      {u"a?c", u"abc", true, true},
      {u"a?c", u"ac", true, false},
      {u"*b*", u"abc", true, true},
      {u"  a * ", u"abc", true, true},  // blanks outside quotes go
      // Nested parentheses, both sides of the operator.
      {u"x*&(a*|*z)", u"xyz", true, true},
      {u"(a*|x*)&*z", u"xyz", true, true},
      {u"((a*|b*)|(c*&*q))", u"cq", true, true},
      {u"((a*|b*)|(c*&*q))", u"cz", true, false},
      {u"(a*|b*)&(*1|*2)", u"b2", true, true},
      {u"(a*|b*)&(*1|*2)", u"b3", true, false},
      // Quoted operands with blanks.
      {u"\"New York\"", u"New York", true, true},
      {u"\"a|b\"", u"a|b", true, true},
      {u">\"m n\"", u"z", true, true},
      {u">\"m n\"", u"a", true, false},
      // Whole strings compared, not only their first 255 characters.
      {u"<zzz", u"zz", true, true},
      // Cyrillic without case.
      {u"пет*", u"ПЕТАР", false, true},
      {u"ПЕТАР", u"петар", false, true},
      {u"пет*", u"ПЕТАР", true, false},
      {u">б", u"В", false, true},
  };
  RunTable(std::begin(cases), std::end(cases));
}

TEST(AdvUtilFilter, ConditionsUnderMacedonianSeparatorsAndDates) {
  TFormatSettingsGuard guard;
  FormatSettings() = MacedonianSettings();
  const FilterCase cases[] = {
      {u">2,5", u"3", true, true},
      {u">2,5", u"2,4", true, false},
      {u"<1.000,5", u"999,9", true, true},
      // Dates in the locale's order, not as text.
      {u">01.02.2024", u"15.03.2023", true, false},
      {u">01.02.2024", u"02.02.2024", true, true},
      {u"<01.02.2024", u"31.01.2024", true, true},
      // Hours and minutes count.
      {u">\"01.02.2024 10:30\"", u"01.02.2024 10:31", true, true},
      {u">\"01.02.2024 10:30\"", u"01.02.2024 10:29", true, false},
      {u">=\"01.02.2024 10:30\"", u"01.02.2024 10:30", true, true},
      {u">01.02.2024&<01.03.2024", u"15.02.2024", true, true},
      {u">01.02.2024&<01.03.2024", u"15.03.2024", true, false},
  };
  RunTable(std::begin(cases), std::end(cases));
}

TEST(AdvUtilFilter, HostileConditionsAnswerWithoutHanging) {
  const String bigText(100 * 1024, u'a');
  String stars;
  for (int i = 0; i < 40; ++i) stars += u"*a";
  EXPECT_TRUE(MatchFilterExpression(stars, bigText, true));
  EXPECT_FALSE(MatchFilterExpression(stars + u"b", bigText, true));
  EXPECT_FALSE(MatchFilterExpression(String(40, u'*') + u"b", bigText, true));
  EXPECT_TRUE(MatchFilterExpression(String(40, u'*'), bigText, false));

  const String opens(200, u'(');
  EXPECT_FALSE(MatchFilterExpression(opens, u"x", true));
  EXPECT_TRUE(MatchFilterExpression(opens + u"x*", u"xy", true));
  EXPECT_TRUE(MatchFilterExpression(String(300, u'(') + u"x" + String(300, u')'), u"x", true));
  EXPECT_FALSE(MatchFilterExpression(u"a)))|(", u"b", true));
  EXPECT_TRUE(MatchFilterExpression(u"\"abc", u"abc", true));  // unclosed quote
  EXPECT_FALSE(MatchFilterExpression(u">\"abc", u"abb", true));
  EXPECT_FALSE(MatchFilterExpression(u"\"a|(b", u"zzz", true));
  EXPECT_TRUE(MatchFilterExpression(u"", u"", true));
  EXPECT_FALSE(MatchFilterExpression(u"<", u"x", true));
}

}  // namespace
