// Typing, the keys around prefix and suffix, Escape and pasting into the enhanced edit, each
// table run under both locales.
#include "tests/controls/edit/AdvEditTestSupport.h"

namespace {

using namespace advedit_test;

// Keys of a typing script: these stand for the named keys, every other character is typed.
constexpr char16_t kLeft = u'←', kRight = u'→', kHome = u'⇱', kEnd = u'⇲', kBack = u'⌫',
                   kDelete = u'⌦';

void TypeScript(const String& keys) {
  for (char16_t c : keys) {
    switch (c) {
      case kLeft: uitest::TUiTest::Key(VK_LEFT); break;
      case kRight: uitest::TUiTest::Key(VK_RIGHT); break;
      case kHome: uitest::TUiTest::Key(VK_HOME); break;
      case kEnd: uitest::TUiTest::Key(VK_END); break;
      case kBack: uitest::TUiTest::Key(VK_BACK); break;
      case kDelete: uitest::TUiTest::Key(VK_DELETE); break;
      default: uitest::TUiTest::Type(String(1, c)); break;
    }
  }
}

struct TTypingCase {
  const char* Name;
  TAdvEditType Type;
  int16_t Precision;
  bool Signed;
  const char16_t* Initial;  // nullptr: the keys overtype what the edit shows when it gets the focus
  const char16_t* Keys;     // "." and "," as under the dot-decimal locale
  const char16_t* Value;
  int Caret;                // in the value
};

const TTypingCase kTypingCases[] = {
    {"FloatStopsAtItsPrecision", TAdvEditType::etFloat, 2, false, nullptr, u"12.345", u"12.34", 5},
    {"FloatDigitOverwritesAFullFraction", TAdvEditType::etFloat, 2, false, nullptr, u"12.34←←9",
     u"12.94", 4},
    {"FloatWithoutDecimalsRefusesTheSeparator", TAdvEditType::etFloat, 0, false, nullptr, u"1.5",
     u"15", 2},
    {"FloatRefusesTheOtherSeparator", TAdvEditType::etFloat, 2, false, nullptr, u"1,5", u"15", 2},
    {"DecimalSeparatorIntoAnEmptyFloat", TAdvEditType::etFloat, 2, false, u"", u".5", u"0.5", 3},
    {"SecondSeparatorMovesBehindTheFirst", TAdvEditType::etFloat, 2, false, nullptr, u"1.2←←.",
     u"1.2", 2},
    {"UnsignedNumericRefusesMinus", TAdvEditType::etNumeric, 0, false, nullptr, u"-5", u"5", 1},
    {"SignedMinusToggles", TAdvEditType::etNumeric, 0, true, nullptr, u"5-", u"-5", 2},
    {"SignedMinusTogglesBack", TAdvEditType::etNumeric, 0, true, nullptr, u"5--", u"5", 1},
    {"NumericTakesOnlyDigits", TAdvEditType::etNumeric, 0, false, nullptr, u"1a2.3Ж", u"123", 3},
    {"MoneyGroupsWhileTyping", TAdvEditType::etMoney, 2, false, nullptr, u"1234.5", u"1,234.5", 7},
    {"MoneyDigitBeforeTheGroupsKeepsThemInPlace", TAdvEditType::etMoney, 2, false, nullptr,
     u"1234⇱9", u"91,234", 1},
    {"MoneyBackspaceRegroups", TAdvEditType::etMoney, 2, false, nullptr, u"1234⌫", u"123", 3},
    {"MixedCaseWhileTyping", TAdvEditType::etMixedCase, 0, false, nullptr, u"o'neil-smith",
     u"O'Neil-Smith", 12},
    {"RangeRefusesDoubledAndLeadingSeparators", TAdvEditType::etRange, 0, false, nullptr,
     u",1--5;;7", u"1-5;7", 5},
    {"HexTakesHexDigits", TAdvEditType::etHex, 0, false, nullptr, u"fgz09", u"f09", 3},
    {"CyrillicIntoAString", TAdvEditType::etString, 0, false, nullptr, u"Здраво свете",
     u"Здраво свете", 12},
    {"CyrillicRefusedByNumeric", TAdvEditType::etNumeric, 0, false, nullptr, u"Ж1", u"1", 1},
    {"CyrillicRefusedByAlphaNumeric", TAdvEditType::etAlphaNumeric, 0, false, nullptr, u"aЖb1",
     u"ab1", 3},
    {"UppercaseTurnsCyrillicToCapitals", TAdvEditType::etUppercase, 0, false, nullptr,
     u"здраво z", u"ЗДРАВО Z", 8},
    {"LowercaseTurnsCapitalsSmall", TAdvEditType::etLowerCase, 0, false, nullptr, u"ЉУБОВ",
     u"љубов", 5},
};

class TypingTest : public TAdvEditLocaleTest {};

TEST_P(TypingTest, KeysGiveTheValueAndCaretOfTheType) {
  for (const TTypingCase& c : kTypingCases) {
    SCOPED_TRACE(c.Name);
    TAdvEdit* edit = Add(u"", Bounds(160, 160, 200, 24));
    edit->SetEditType(c.Type);
    edit->SetPrecision(c.Precision);
    edit->SetSigned(c.Signed);
    edit->SetAllowNumericNullValue(c.Initial && !*c.Initial);
    if (c.Initial) edit->SetText(L(c.Initial));
    Focus(edit);
    if (c.Initial) Select(edit, EndOf(edit), EndOf(edit));
    String keys = L(c.Keys);
    Script().Then([keys] { TypeScript(keys); });
    RunScript();
    EXPECT_EQ(UTF8Encode(edit->Text()), UTF8Encode(L(c.Value)));
    EXPECT_EQ(edit->CaretPos() - static_cast<int>(edit->Prefix().size()), c.Caret);
    delete edit;
  }
}

TEST_P(TypingTest, NeitherKeysNorClicksEnterThePrefixOrTheSuffix) {
  Edit->SetPrefix(u"$ ");
  Edit->SetSuffix(u" kg");
  Edit->SetText(u"5");
  Focus(Edit);
  Script().Then([] { TypeScript(String(1, kHome) + kLeft + kLeft + kBack); });
  RunScript();
  EXPECT_EQ(Edit->TControl::Text(), u"$ 5 kg");
  EXPECT_EQ(Edit->CaretPos(), 2);
  Script().Then([] { TypeScript(String(1, kEnd) + kRight + kRight + kDelete + u"7"); });
  RunScript();
  EXPECT_EQ(Edit->TControl::Text(), u"$ 57 kg");
  EXPECT_EQ(Edit->CaretPos(), 4);
  // Clicks inside the prefix and far into the suffix land in the value.
  Script().Then([this] { ClickAt(Edit->ClientToScreen({Edit->PosFromChar(1).X, 12})); });
  RunScript();
  EXPECT_GE(Edit->SelStart(), 2);
  Script().Then([this] { ClickAt(Edit->ClientToScreen({Edit->PosFromChar(6).X + 2, 12})); });
  RunScript();
  EXPECT_EQ(Edit->CaretPos(), 4);
  EXPECT_EQ(Edit->SelLength(), 0);
  // Ctrl+A and Shift+Home select the value only.
  PressCtrl('A');
  EXPECT_EQ(Edit->SelText(), u"57");
  PressKey(VK_END);
  PressKey(VK_HOME, true);
  EXPECT_EQ(Edit->SelText(), u"57");
}

TEST_P(TypingTest, EscapeRestoresTheValueTheEditHadWhenItGotTheFocus) {
  Edit->SetText(u"Петар");
  Focus(Edit);
  TypeKeys(u"xyz");
  ASSERT_NE(Edit->Text(), u"Петар");
  EXPECT_TRUE(Edit->Modified());
  PressKey(VK_ESCAPE);
  EXPECT_EQ(Edit->Text(), u"Петар");
  EXPECT_EQ(Edit->SelText(), u"Петар");
  EXPECT_FALSE(Edit->Modified());
  // Without CanUndo, Escape leaves the typing alone.
  Edit->SetCanUndo(false);
  Focus(Edit);
  Select(Edit, 5, 5);
  TypeKeys(u"a");
  PressKey(VK_ESCAPE);
  EXPECT_EQ(Edit->Text(), u"Петарa");
}

TEST_P(TypingTest, OvertypingTheWholeValueAnnouncesOneChangeLess) {
  int changes = 0;
  Edit->OnChange = [&](TObject*) { ++changes; };
  Edit->SetText(u"abc");
  changes = 0;
  Focus(Edit);
  ASSERT_EQ(Edit->SelText(), u"abc");
  TypeKeys(u"xy");
  EXPECT_EQ(Edit->Text(), u"xy");
  EXPECT_EQ(changes, 1);
  // A refused character leaves nothing behind that could swallow a later change.
  Edit->SetEditType(TAdvEditType::etNumeric);
  Edit->SetText(u"12");
  Edit->SelectValue();
  changes = 0;
  TypeKeys(u"x");
  Select(Edit, 2, 2);
  TypeKeys(u"3");
  EXPECT_EQ(Edit->Text(), u"123");
  EXPECT_EQ(changes, 1);
}

TEST_P(TypingTest, AFullLengthMovesTheFocusOn) {
  Edit->LengthLimit = 3;
  Edit->TabOnFullLength = true;
  Focus(Edit);
  TypeKeys(u"abc");
  EXPECT_EQ(Edit->Text(), u"abc");
  EXPECT_TRUE(Other->Focused());
  // Without the move, the fourth character is refused.
  Edit->TabOnFullLength = false;
  Focus(Edit);
  Select(Edit, 3, 3);
  TypeKeys(u"d");
  EXPECT_EQ(Edit->Text(), u"abc");
}

TEST_P(TypingTest, EnterWithReturnIsTabMovesTheFocus) {
  Edit->ReturnIsTab = true;
  Focus(Edit);
  PressKey(VK_RETURN);
  EXPECT_TRUE(Other->Focused());
}

// --- Paste ---------------------------------------------------------------------------------------

struct TPasteCase {
  const char* Name;
  TAdvEditType Type;
  const char16_t* Initial;
  bool SelectAll;
  const char16_t* Clip;
  const char16_t* Value;
};

const TPasteCase kPasteCases[] = {
    {"NumericRefusesLetters", TAdvEditType::etNumeric, u"5", false, u"12a", u"5"},
    {"NumericReplacesTheSelection", TAdvEditType::etNumeric, u"123", true, u"7", u"7"},
    {"NumericRefusesMinusUnsigned", TAdvEditType::etNumeric, u"5", true, u"-3", u"5"},
    {"OnlyTheFirstLine", TAdvEditType::etString, u"", false, u"Здраво\r\nсвет", u"Здраво"},
    {"FloatIsFormatted", TAdvEditType::etFloat, u"", true, u"2.5", u"2.50"},
    {"FloatRefusesTwoSeparators", TAdvEditType::etFloat, u"1.00", true, u"1.2.3", u"1.00"},
    {"UppercaseTurnsThePaste", TAdvEditType::etUppercase, u"", false, u"ж-z", u"Ж-Z"},
    {"MixedCaseRewritesTheValue", TAdvEditType::etMixedCase, u"", false, u"mcdonald", u"McDonald"},
    {"AlphaNumericRefusesCyrillic", TAdvEditType::etAlphaNumeric, u"a", false, u"bЖ", u"a"},
    {"HexTakesHexOnly", TAdvEditType::etHex, u"", true, u"ff", u"FF"},
    {"RangeTakesWhatCouldBeTyped", TAdvEditType::etRange, u"", false, u"1-5;7;9", u"1-5;7;9"},
    {"RangeRefusesDoubledSeparators", TAdvEditType::etRange, u"", false, u"1--5", u""},
};

TEST_P(TypingTest, PastedTextIsTestedByTheEditType) {
  for (const TPasteCase& c : kPasteCases) {
    SCOPED_TRACE(c.Name);
    TAdvEdit* edit = Add(u"", Bounds(160, 160, 200, 24));
    edit->SetEditType(c.Type);
    if (c.Type == TAdvEditType::etFloat) edit->SetPrecision(2);
    edit->SetText(L(c.Initial));
    Focus(edit);
    if (c.SelectAll)
      edit->SelectValue();
    else
      Select(edit, EndOf(edit), EndOf(edit));
    Paste(edit, L(c.Clip));
    EXPECT_EQ(UTF8Encode(edit->Text()), UTF8Encode(L(c.Value)));
    delete edit;
  }
}

TEST_P(TypingTest, APasteCanBeRefusedByLengthReadOnlyAndTheEvent) {
  Edit->SetMaxLength(5);
  Edit->SetText(u"abc");
  Focus(Edit);
  Select(Edit, 3, 3);
  Paste(Edit, u"def");
  EXPECT_EQ(Edit->Text(), u"abc");
  Paste(Edit, u"de");
  EXPECT_EQ(Edit->Text(), u"abcde");
  EXPECT_TRUE(Edit->Modified());

  Edit->SetReadOnly(true);
  Edit->SelectValue();
  Paste(Edit, u"x");
  EXPECT_EQ(Edit->Text(), u"abcde");
  Edit->SetReadOnly(false);

  String offered;
  Edit->OnClipboardPaste = [&](TObject*, String value, bool& allow) {
    offered = value;
    allow = false;
  };
  Select(Edit, 0, 1);
  Paste(Edit, u"Z");
  EXPECT_EQ(offered, u"Zbcde") << "the event sees the value the paste would give";
  EXPECT_EQ(Edit->Text(), u"abcde");
}

TEST_P(TypingTest, CopyAndCutCanBeRefusedByTheirEvents) {
  Edit->SetText(u"Скопје");
  Focus(Edit);
  Clipboard()->SetAsText(u"-");
  Edit->OnClipboardCopy = [](TObject*, String, bool& allow) { allow = false; };
  Edit->SelectValue();
  Edit->CopyToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), u"-");
  Edit->OnClipboardCopy = nullptr;
  Edit->OnClipboardCut = [](TObject*, String value, bool& allow) { allow = value != u"Скопје"; };
  Edit->CutToClipboard();
  EXPECT_EQ(Edit->Text(), u"Скопје");
  Select(Edit, 0, 2);
  Edit->CutToClipboard();
  EXPECT_EQ(Edit->Text(), u"опје");
  EXPECT_EQ(Clipboard()->AsText(), u"Ск");
}

INSTANTIATE_TEST_SUITE_P(Locales, TypingTest, ::testing::Values(kDotDecimal, kCommaDecimal),
                         LocaleName);

}  // namespace
