#include <gtest/gtest.h>

#include "platform/ui/Clipbrd.h"
#include "platform/ui/Mask.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

// --- The mask language ---------------------------------------------------------------------------

struct TMaskCase {
  const char* Name;
  String Mask;
  String Value;     // given as Text
  String EditText;  // what the edit shows
  String Text;      // what Text gives back
};

const TMaskCase kMaskCases[] = {
    {"literals saved", u"000-0000;1;_", u"555-1234", u"555-1234", u"555-1234"},
    {"saved, value without literals", u"000-0000;1;_", u"5551234", u"555-1234", u"555-1234"},
    {"literals not saved", u"000-0000;0;_", u"5551234", u"555-1234", u"5551234"},
    {"short value leaves blanks", u"(999)000-0000;0;_", u"555123", u"(555)123-____", u"555123    "},
    {"fields follow the literals", u"00/00/0000;1;_", u"12/5/2021", u"12/5_/2021", u"12/5 /2021"},
    {"leading blanks", u"!90:00:00;1; ", u"1:30:05", u" 1:30:05", u" 1:30:05"},
    {"trailing blanks without !", u"90:00;1;_", u"1:30", u"1_:30", u"1 :30"},
    {"upper case", u">LL-00;0;_", u"ab12", u"AB-12", u"AB12"},
    {"Cyrillic letters, lower case", u"<llll;1;*", u"ЖИВО", u"живо", u"живо"},
    {"case switched off again", u">L<>L;1;_", u"ab", u"Ab", u"Ab"},
    {"escaped mask characters", u"\\(000\\);0;_", u"12", u"(12_)", u"12 "},
    {"literal blank", u"00_00;1;_", u"12 34", u"12 34", u"12 34"},
    {"sign position", u"#999;1;_", u"-12", u"-12_", u"-12 "},
    {"blank character as set", u"0000;1;*", u"", u"****", u"    "},
    {"default blank and saving", u"AA-AA", u"x1y2", u"x1-y2", u"x1-y2"},
};

class MaskFormatTest : public ::testing::TestWithParam<TMaskCase> {};

TEST_P(MaskFormatTest, ValueBecomesEditTextAndBack) {
  const TMaskCase& c = GetParam();
  TEditMaskFormat mask(c.Mask);
  String editText = mask.EditTextFromText(c.Value);
  EXPECT_EQ(editText, c.EditText);
  EXPECT_EQ(mask.TextFromEditText(editText), c.Text);
  EXPECT_EQ(FormatMaskText(c.Mask, c.Value), c.EditText);
  // Text read back and set again gives the same edit text.
  EXPECT_EQ(mask.EditTextFromText(c.Text), c.EditText);
}

INSTANTIATE_TEST_SUITE_P(Masks, MaskFormatTest, ::testing::ValuesIn(kMaskCases),
                         [](const ::testing::TestParamInfo<TMaskCase>& info) {
                           std::string name;
                           for (const char* p = info.param.Name; *p; ++p)
                             name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return name;
                         });

TEST(MaskFormat, FieldsAndValidation) {
  EXPECT_TRUE(MaskGetMaskSave(u"000"));
  EXPECT_FALSE(MaskGetMaskSave(u"000;0"));
  EXPECT_EQ(MaskGetMaskBlank(u"000;1"), u'_');
  EXPECT_EQ(MaskGetMaskBlank(u"000;1;#"), u'#');
  EXPECT_TRUE(TEditMaskFormat(u";1;_").Empty());
  EXPECT_EQ(FormatMaskText(u"", u"as is"), u"as is");
  // An escaped ";" belongs to the mask.
  EXPECT_EQ(TEditMaskFormat(u"0\\;0;0;_").EmptyEditText(), u"_;_");

  TEditMaskFormat date(u"00/00/0000;1;_");
  int fault = -1;
  EXPECT_TRUE(date.Validate(u"01/02/2024", fault));
  EXPECT_FALSE(date.Validate(u"01/02/20__", fault));
  EXPECT_EQ(fault, 8);
  EXPECT_FALSE(date.Validate(u"0x/02/2024", fault));  // an unfit character set by the program
  EXPECT_EQ(fault, 1);
  EXPECT_TRUE(date.Validate(u"__/__/____", fault));  // no value at all is not an incomplete one
  TEditMaskFormat optional(u"0099;1;_");
  EXPECT_TRUE(optional.Validate(u"12__", fault));
  EXPECT_FALSE(optional.Validate(u"1___", fault));
}

// --- The masked edit -----------------------------------------------------------------------------

class MaskEditTest : public TUiTest {
 public:
  MaskEditTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Edit = new TMaskEdit(Form);
    Edit->SetBounds(10, 10, 200, 24);
    Edit->SetParent(Form);
    Edit->OnChange = [this](TObject*) { ++Changes; };
    Other = new TEdit(Form);
    Other->SetBounds(10, 50, 200, 24);
    Other->SetParent(Form);
    Application->OnException = [this](TObject*, const Exception& e) {
      Errors.push_back(UTF8Encode(e.Message()));
      ErrorWasEditError.push_back(dynamic_cast<const EDBEditError*>(&e) != nullptr);
    };
    Form->Show();
  }
  // Focuses the edit by a click, puts the caret at the start and runs the steps.
  void FocusThen(std::function<void()> steps) {
    Script().Then([this] { ClickAt(Edit->ClientToScreen({4, 12})); });
    Script().Then([] { Key(VK_HOME); });
    Script().Then(std::move(steps));
    RunScript();
  }
  static void Ctrl(uint16_t key) {
    InjectKey(VK_CONTROL, true);
    Key(key);
    InjectKey(VK_CONTROL, false);
  }

  TForm* Form = nullptr;
  TMaskEdit* Edit = nullptr;
  TEdit* Other = nullptr;
  int Changes = 0;
  std::vector<std::string> Errors;
  std::vector<bool> ErrorWasEditError;
};

struct TTypingCase {
  const char* Name;
  String Mask;
  String Typed;
  String EditText;
  String Text;
  int Beeps;
};

TEST_F(MaskEditTest, TypingFillsPositionsAndRefusesWhatNoneTakes) {
  const TTypingCase cases[] = {
      {"a wrong character is refused", u"000-0000;1;_", u"555x1234", u"555-1234", u"555-1234", 1},
      {"letters go upper case", u">LL-00;0;_", u"аб12", u"АБ-12", u"АБ12", 0},
      {"a letter where a digit goes", u"0000;1;_", u"12ab34", u"1234", u"1234", 2},
      {"a separator moves to the next field", u"90:00;1;_", u"1:30", u"1_:30", u"1 :30", 0},
      {"typing past the end", u"00;1;_", u"123", u"12", u"12", 1},
      {"any character", u"cc;0;_", u"ж!", u"ж!", u"ж!", 0},
  };
  for (const TTypingCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Edit->SetEditMask(c.Mask);
    Edit->SetText(u"");
    int beeps = BeepCount();
    FocusThen([&c] { Type(c.Typed); });
    EXPECT_EQ(Edit->EditText(), c.EditText);
    EXPECT_EQ(Edit->Text(), c.Text);
    EXPECT_EQ(BeepCount() - beeps, c.Beeps);
    // Leave without a validation error: reset what was typed.
    Edit->SetText(u"");
    Edit->SetModified(false);
  }
}

TEST_F(MaskEditTest, LeavingAnIncompleteValueRaisesAndKeepsTheFocus) {
  Edit->SetEditMask(u"00/00/0000;1;_");
  Edit->SetText(u"01/01/2000");
  EXPECT_EQ(Edit->EditText(), u"01/01/2000");
  FocusThen([] {
    Type(u"1205");
    Key(VK_DELETE);  // blanks the year's first digit
  });
  EXPECT_EQ(Edit->EditText(), u"12/05/_000");
  EXPECT_TRUE(Edit->Modified());
  Script().Then([this] { Click(Other); });
  RunScript();
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_TRUE(ErrorWasEditError[0]);
  EXPECT_TRUE(Edit->Focused());
  EXPECT_EQ(Edit->CaretPos(), 6);  // at the position that is missing
  EXPECT_THROW(Edit->ValidateEdit(), EDBEditError);

  // Esc gives the value back; then the focus may leave.
  Script().Then([] { Key(VK_ESCAPE); });
  RunScript();
  EXPECT_EQ(Edit->EditText(), u"01/01/2000");
  EXPECT_FALSE(Edit->Modified());
  Script().Then([this] { Click(Other); });
  RunScript();
  EXPECT_TRUE(Other->Focused());
  EXPECT_EQ(Errors.size(), 1u);

  // A complete value, and a value emptied altogether, leave without an error.
  FocusThen([] { Type(u"31122024"); });
  Script().Then([this] { Click(Other); });
  RunScript();
  EXPECT_EQ(Edit->Text(), u"31/12/2024");
  EXPECT_TRUE(Other->Focused());
  Script().Then([this] { Click(Edit); });
  Script().Then([] { Ctrl('A'); Key(VK_DELETE); });
  Script().Then([this] { Click(Other); });
  RunScript();
  EXPECT_EQ(Edit->EditText(), u"__/__/____");
  EXPECT_TRUE(Other->Focused());
  EXPECT_EQ(Errors.size(), 1u);
  // An incomplete value set by the program is not the user's to complete.
  Edit->SetText(u"12");
  Edit->SetModified(false);
  EXPECT_NO_THROW(Edit->ValidateEdit());
}

TEST_F(MaskEditTest, DeletingPastingCuttingAndUndoKeepTheLiterals) {
  Edit->SetEditMask(u"000-0000;0;_");
  Edit->SetText(u"5551234");
  FocusThen([] {
    Key(VK_END);
    Key(VK_LEFT);
    Key(VK_LEFT);
    Key(VK_LEFT);
    Key(VK_LEFT);  // before "1"
    Key(VK_BACK);  // steps over "-" and blanks the "5" before it
  });
  EXPECT_EQ(Edit->EditText(), u"55_-1234");
  EXPECT_EQ(Edit->CaretPos(), 2);
  // Pasting types the clipboard's characters, stepping over the literals.
  Clipboard()->SetAsText(u"9-87");
  Script().Then([] { Ctrl('V'); });
  RunScript();
  EXPECT_EQ(Edit->EditText(), u"559-8734");
  EXPECT_EQ(Edit->Text(), u"5598734");
  // A character no position takes refuses the whole paste.
  Clipboard()->SetAsText(u"1x");
  int beeps = BeepCount();
  Script().Then([] { Key(VK_HOME); Ctrl('V'); });
  RunScript();
  EXPECT_EQ(Edit->EditText(), u"559-8734");
  EXPECT_EQ(BeepCount() - beeps, 1);
  // Cut copies the selection and blanks its positions; undo brings them back.
  Script().Then([] {
    Key(VK_HOME);
    Key(VK_RIGHT, true);
    Key(VK_RIGHT, true);
    Key(VK_RIGHT, true);
    Key(VK_RIGHT, true);
    Ctrl('X');
  });
  RunScript();
  EXPECT_EQ(Clipboard()->AsText(), u"559-");
  EXPECT_EQ(Edit->EditText(), u"___-8734");
  Script().Then([] { Ctrl('Z'); });
  RunScript();
  EXPECT_EQ(Edit->EditText(), u"559-8734");
  // Read-only: nothing changes.
  Edit->SetReadOnly(true);
  Script().Then([] { Key(VK_HOME); Type(u"1"); Key(VK_DELETE); Ctrl('V'); });
  RunScript();
  EXPECT_EQ(Edit->EditText(), u"559-8734");
}

TEST_F(MaskEditTest, ChangingTheMaskCarriesTheValueAndNoMaskIsAPlainEdit) {
  Edit->SetText(u"any text: ок");
  EXPECT_FALSE(Edit->IsMasked());
  EXPECT_EQ(Edit->Text(), u"any text: ок");
  Edit->SetText(u"1234");
  Edit->SetEditMask(u"00-00;1;_");
  EXPECT_EQ(Edit->EditText(), u"12-34");
  Edit->SetEditMask(u"00-00;0;_");
  EXPECT_EQ(Edit->Text(), u"1234");
  Edit->SetEditMask(u"");
  EXPECT_EQ(Edit->Text(), u"1234");
  // The window's text is the edit text: literals go back in whatever it is given.
  Edit->SetEditMask(u"00:00;1;_");
  Edit->SetEditText(u"1x?2");
  EXPECT_EQ(Edit->EditText(), u"1x:2_");
  TControl* asControl = Edit;
  asControl->SetText(u"12345");
  EXPECT_EQ(Edit->EditText(), u"12:45");
}

}  // namespace
