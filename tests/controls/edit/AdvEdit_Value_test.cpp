// The enhanced edit's value: prefix and suffix, formatting by edit type, the numeric views, the
// text rules, and what bad text reads as.
#include <cmath>

#include "controls/edit/AdvEditText.h"
#include "tests/controls/edit/AdvEditTestSupport.h"

namespace {

using namespace advedit_test;

struct TValueCase {
  const char* Name;
  TAdvEditType Type;
  int16_t Precision;
  const char16_t* Input;  // "." and "," as under the dot-decimal locale
  const char16_t* Shown;  // nullptr: not checked
  double Float;
  int32_t Int;
};

const TValueCase kValueCases[] = {
    {"MoneyGetsGroupsAndDecimals", TAdvEditType::etMoney, 2, u"1234.5", u"1,234.50", 1234.5, 1234},
    {"FloatGetsItsDecimals", TAdvEditType::etFloat, 2, u"3", u"3.00", 3, 3},
    {"HexIsUpperCase", TAdvEditType::etHex, 0, u"ff", u"FF", 255, 255},
    {"EmptyNumericIsZero", TAdvEditType::etNumeric, 0, u"", u"0", 0, 0},
    {"StringReadsItsLeadingNumber", TAdvEditType::etString, 0, u"12kg", u"12kg", 12, 0},
    // Bad input: each reads as a defined value.
    {"GroupsInTheWrongPlaces", TAdvEditType::etNumeric, 0, u"1,2,3", u"1,2,3", 123, 1},
    {"TwoMinusSigns", TAdvEditType::etNumeric, 0, u"--5", u"--5", 0, 0},
    {"TwentyFiveDigits", TAdvEditType::etNumeric, 0, u"1234567890123456789012345",
     u"1234567890123456789012345", 1.2345678901234568e24, 0},
    // Beyond eighteen digits the money format writes an exponent; it reads back the same.
    {"TwentyFiveDigitsOfMoney", TAdvEditType::etMoney, 2, u"1234567890123456789012345",
     u"1.23456789012345682E24", 1.2345678901234568e24, 1},
    {"TwelveHexDigitsWrap", TAdvEditType::etHex, 0, u"abcdef123456", u"ABCDEF123456",
     4010947670.0, static_cast<int32_t>(0xEF123456u)},
    {"FloatBeyondRangeIsZero", TAdvEditType::etFloat, 2, u"1e400", u"0.00", 0, 0},
    {"MinusAloneIsZero", TAdvEditType::etMoney, 2, u"-", nullptr, 0, 0},
};

class ValueTest : public TAdvEditLocaleTest {};

TEST_P(ValueTest, AssignedValuesAreFormattedByTypeAndReadBack) {
  for (const TValueCase& c : kValueCases) {
    SCOPED_TRACE(c.Name);
    Edit->SetEditType(c.Type);
    Edit->SetPrecision(c.Precision);
    Edit->SetText(L(c.Input));
    if (c.Shown) {
      EXPECT_EQ(UTF8Encode(Edit->Text()), UTF8Encode(L(c.Shown)));
    }
    EXPECT_DOUBLE_EQ(Edit->FloatValue(), c.Float);
    EXPECT_EQ(Edit->IntValue(), c.Int);
    EXPECT_FALSE(Edit->Modified()) << "a value set by the program is no change by the user";
    Edit->SetEditType(TAdvEditType::etString);
    Edit->SetPrecision(0);
  }
}

TEST_P(ValueTest, PrefixAndSuffixFrameTheValue) {
  Edit->SetPrefix(u"$ ");
  Edit->SetSuffix(u" kg");
  Edit->SetText(u"5");
  EXPECT_EQ(Edit->TControl::Text(), u"$ 5 kg");
  EXPECT_EQ(Edit->Text(), u"5");
  // A changed prefix re-assigns the value; a window text that lost its suffix keeps its end.
  Edit->SetPrefix(u"€");
  EXPECT_EQ(Edit->TControl::Text(), u"€5 kg");
  Edit->TControl::SetText(u"€57");
  EXPECT_EQ(Edit->Text(), u"57");
}

TEST_P(ValueTest, NumericViewsWriteByType) {
  Edit->SetEditType(TAdvEditType::etFloat);
  Edit->SetPrecision(2);
  Edit->SetFloatValue(3);
  EXPECT_EQ(Edit->Text(), L(u"3.00"));
  EXPECT_TRUE(Edit->Modified());
  Edit->SetPrecision(-1);
  Edit->SetFloatValue(3);
  EXPECT_EQ(Edit->Text(), u"3");
  // A numeric edit takes no thousand separators, so its text reads back as it was written.
  Edit->SetEditType(TAdvEditType::etNumeric);
  Edit->SetFloatValue(1234567);
  EXPECT_EQ(Edit->Text(), u"1234567");
  EXPECT_EQ(Edit->IntValue(), 1234567);
  Edit->SetPrecision(3);
  EXPECT_EQ(Edit->Text(), u"1234567") << "a numeric edit has no decimals to set";
  Edit->SetEditType(TAdvEditType::etMoney);
  Edit->SetPrecision(2);
  Edit->SetIntValue(-9876543);
  EXPECT_EQ(Edit->Text(), L(u"-9,876,543.00"));
  EXPECT_EQ(Edit->IntValue(), -9876543);
  Edit->SetEditType(TAdvEditType::etHex);
  Edit->SetIntValue(48879);
  EXPECT_EQ(Edit->Text(), u"BEEF");
  Edit->SetFloatValue(-1);
  EXPECT_EQ(Edit->Text(), u"FFFFFFFF");
}

TEST_P(ValueTest, SwitchingTheTypeKeepsOnlyWhatTheTypeCanHold) {
  Edit->SetText(u"abc");
  Edit->SetEditType(TAdvEditType::etNumeric);
  EXPECT_EQ(Edit->Text(), u"0");
  Edit->SetText(u"");
  EXPECT_EQ(Edit->Text(), u"0");
  Edit->SetAllowNumericNullValue(true);
  Edit->SetText(u"");
  EXPECT_EQ(Edit->Text(), u"");
  Edit->SetAllowNumericNullValue(false);
  Edit->SetText(L(u"12.5"));
  Edit->SetEditType(TAdvEditType::etFloat);
  EXPECT_EQ(Edit->Text(), L(u"12.5")) << "a number stays";
  Edit->SetText(u"zz");
  Edit->SetEditType(TAdvEditType::etHex);
  EXPECT_EQ(Edit->Text(), u"0");
  // A password hides every character and gives up undo; leaving the type shows the text again.
  Edit->SetText(u"тајна");
  Edit->SetEditType(TAdvEditType::etPassword);
  EXPECT_EQ(Edit->PasswordChar(), u'*');
  EXPECT_FALSE(Edit->CanUndo());
  Edit->SetCanUndo(true);
  EXPECT_FALSE(Edit->CanUndo());
  Edit->SetEditType(TAdvEditType::etString);
  EXPECT_EQ(Edit->PasswordChar(), 0);
}

TEST_P(ValueTest, APasswordIsNeverCopiedOrCut) {
  Edit->SetEditType(TAdvEditType::etPassword);
  Edit->SetText(u"тајна");
  Clipboard()->SetAsText(u"before");
  Focus(Edit);
  Edit->SelectAll();
  Edit->CopyToClipboard();
  Edit->CutToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), u"before");
  EXPECT_EQ(Edit->Text(), u"тајна");
}

INSTANTIATE_TEST_SUITE_P(Locales, ValueTest, ::testing::Values(kDotDecimal, kCommaDecimal),
                         LocaleName);

TEST(AdvEditText, NumberKindClassifiesUnderBothLocales) {
  TFormatSettingsGuard guard;
  struct TCase {
    const char16_t* Text;
    int Dot;    // "." decimals, "," thousands
    int Comma;  // "," decimals, "." thousands
  } cases[] = {
      {u"", 2, 2},           {u"123", 0, 0},        {u"-12", 0, 0},       {u"1,234.5", 1, 1},
      {u"1,2,3", 2, 2},      {u"1.2.3", 2, 2},      {u",5", 2, 1},        {u"ff", 5, 5},
      {u"--5", 2, 2},        {u"12a", 5, 5},        {u"1e5", 5, 5},       {u"абв", 2, 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.Text));
    FormatSettings().DecimalSeparator = u'.';
    FormatSettings().ThousandSeparator = u',';
    EXPECT_EQ(AdvEdit::NumberKind(c.Text), c.Dot);
    FormatSettings().DecimalSeparator = u',';
    FormatSettings().ThousandSeparator = u'.';
    EXPECT_EQ(AdvEdit::NumberKind(c.Text), c.Comma);
  }
}

TEST(AdvEditText, MixedCaseCapitalisesNamesAndLeavesOtherLettersAlone) {
  struct TCase {
    const char16_t* In;
    const char16_t* Out;
  } cases[] = {
      {u"mcdonald", u"McDonald"},
      {u"john mcdonald ii", u"John McDonald II"},
      {u"o'neil-smith", u"O'Neil-Smith"},
      {u"macleod", u"MacLeod"},
      {u"PETER (JR.)", u"Peter (Jr.)"},
      {u"henry i", u"Henry I"},
      {u"ана петрова", u"ана петрова"},  // only ASCII letters change case
      {u"", u""},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(UTF8Encode(AdvEdit::MixedCaseText(c.In)), UTF8Encode(c.Out));
}

TEST(AdvEditText, HexWrapsAndParseFloatIsDefinedForAnyText) {
  EXPECT_EQ(AdvEdit::HexToInt(u"FFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(AdvEdit::HexToInt(u"100000000"), 0u);
  EXPECT_EQ(AdvEdit::HexToInt(u"1g"), 16u) << "a character that is no digit counts as 0";
  EXPECT_EQ(AdvEdit::ParseFloatText(u"1e400"), 0);
  EXPECT_EQ(AdvEdit::ParseFloatText(u"nan"), 0);
  EXPECT_EQ(AdvEdit::ParseFloatText(u"x"), 0);
}

}  // namespace
