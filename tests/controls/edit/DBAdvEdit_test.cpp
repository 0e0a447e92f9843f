// The data-aware edit over a scripted dataset: what it shows of the field, how typing puts the
// dataset into edit state, and what it writes back.
#include "controls/edit/DBAdvEd.h"
#include "tests/controls/edit/AdvEditTestSupport.h"
#include "tests/support/ScriptedDataSet.h"

namespace {

using namespace advedit_test;
using TData = TScriptedDataSet;

class DBEditTest : public TAdvEditTest {
 public:
  DBEditTest() {
    Data.AddRow({TData::WideText(u"Ана"), TData::Cell(int32_t{2}), TData::Cell(12.5)});
    Data.AddRow({TData::WideText(u"Марко"), TData::Null(), TData::Null()});
    Source.SetDataSet(&Data);
    Data.Open();
  }
  TDBAdvEdit* Bind(const String& field, TAdvEditType type = TAdvEditType::etString) {
    auto* edit = new TDBAdvEdit(Form);
    edit->SetBounds(160, 160, 200, 24);
    edit->SetParent(Form);
    edit->SetEditType(type);
    edit->SetDataSource(&Source);
    edit->SetDataField(field);
    return edit;
  }
  String Stored(const String& field) { return Data.FieldByName(field)->AsString(); }

  TData Data{nullptr, {{u"NAME", ftWideString, 50}, {u"ACTIVE", ftInteger}, {u"AMOUNT", ftFloat}}};
  TDataSource Source{nullptr};
};

TEST_F(DBEditTest, ShowsTheFieldAndTakesItsSizeAndAlignment) {
  TDBAdvEdit* name = Bind(u"NAME");
  EXPECT_EQ(name->Text(), u"Ана");
  EXPECT_EQ(name->MaxLength(), 50);
  EXPECT_FALSE(name->Modified());
  TDBAdvEdit* active = Bind(u"ACTIVE", TAdvEditType::etNumeric);
  EXPECT_EQ(active->Text(), u"2");
  EXPECT_EQ(active->EditAlign(), AdvEdit::TEditAlign::eaRight) << "a number field is right-aligned";
  EXPECT_EQ(reinterpret_cast<TFieldDataLink*>(active->Perform(CM_GETDATALINK)), active->DataLink());
  Data.Next();
  EXPECT_EQ(name->Text(), u"Марко");
  EXPECT_EQ(active->Text(), u"0") << "an empty number field shows 0";
  Data.Close();
  EXPECT_EQ(name->Text(), u"");
  EXPECT_EQ(active->Text(), u"0");
}

TEST_F(DBEditTest, TypingEditsTheRecordAndPostingWritesTheField) {
  TDBAdvEdit* name = Bind(u"NAME");
  Focus(name);
  EXPECT_EQ(Data.State(), dsBrowse);
  PressKey(VK_END);
  TypeKeys(u" Петрова");
  EXPECT_EQ(Data.State(), dsEdit);
  EXPECT_EQ(name->Text(), u"Ана Петрова");
  Data.Post();
  EXPECT_EQ(Stored(u"NAME"), u"Ана Петрова");
  // Escape after typing shows the field again, all selected; posting keeps the old value.
  TypeKeys(u"x");
  PressKey(VK_ESCAPE);
  EXPECT_EQ(name->Text(), u"Ана Петрова");
  EXPECT_EQ(name->SelText(), u"Ана Петрова");
  Data.Post();
  EXPECT_EQ(Stored(u"NAME"), u"Ана Петрова");
}

TEST_F(DBEditTest, AReadOnlyLinkRefusesKeysWithABeep) {
  TDBAdvEdit* name = Bind(u"NAME");
  name->SetReadOnly(true);
  Focus(name);
  int beeps = Script().Beeps();
  PressKey(VK_END);
  TypeKeys(u"xy");
  PressKey(VK_BACK);
  PressKey(VK_HOME);
  PressKey(VK_DELETE);
  EXPECT_EQ(name->Text(), u"Ана");
  EXPECT_EQ(Data.State(), dsBrowse);
  EXPECT_EQ(Script().Beeps(), beeps + 2) << "a beep for each printable character";
  // A numeric field refuses letters before anything else happens.
  TDBAdvEdit* active = Bind(u"ACTIVE", TAdvEditType::etString);
  Focus(active);
  TypeKeys(u"aЖ");
  EXPECT_EQ(Data.State(), dsBrowse);
  EXPECT_EQ(active->Text(), u"2");
}

TEST_F(DBEditTest, ANumericEditOnAFloatFieldKeepsItsDecimals) {
  for (const TLocale& locale : {kDotDecimal, kCommaDecimal}) {
    SCOPED_TRACE(locale.Name);
    UseLocale(locale);
    Data.First();
    TDBAdvEdit* amount = Bind(u"AMOUNT", TAdvEditType::etNumeric);
    TDBAdvEdit* name = Bind(u"NAME");
    EXPECT_EQ(amount->Text(), InLocale(u"12.5", locale));
    // Posting another column leaves the amount as it was.
    Focus(name);
    TypeKeys(u"Б");
    Data.Post();
    EXPECT_DOUBLE_EQ(Data.FieldByName(u"AMOUNT")->AsFloat(), 12.5);
    // Typed cents reach the field.
    Focus(amount);
    amount->SelectValue();
    TypeKeys(InLocale(u"7.25", locale));
    EXPECT_EQ(amount->Text(), InLocale(u"7.25", locale));
    Data.Post();
    EXPECT_DOUBLE_EQ(Data.FieldByName(u"AMOUNT")->AsFloat(), 7.25);
    Data.Edit();
    Data.FieldByName(u"AMOUNT")->SetAsFloat(12.5);
    Data.Post();
    delete amount;
    delete name;
  }
}

TEST_F(DBEditTest, ClearOnInsertEmptiesANewRecordAndStillWritesWhatIsTyped) {
  TDBAdvEdit* name = Bind(u"NAME");
  TDBAdvEdit* active = Bind(u"ACTIVE", TAdvEditType::etNumeric);
  name->ClearOnInsert = true;
  active->ClearOnInsert = true;
  Data.Append();
  EXPECT_EQ(name->Text(), u"");
  EXPECT_EQ(active->Text(), u"0");
  Focus(name);
  TypeKeys(u"Нов");
  Focus(active);
  active->SelectValue();
  TypeKeys(u"3");
  Data.Post();
  EXPECT_EQ(Stored(u"NAME"), u"Нов");
  EXPECT_EQ(Stored(u"ACTIVE"), u"3");
}

TEST_F(DBEditTest, AValueTheFieldRefusesKeepsTheFocusAndShowsTheError) {
  TDBAdvEdit* active = Bind(u"ACTIVE", TAdvEditType::etString);
  Form->Show();
  Focus(active);
  Clipboard()->SetAsText(u"abc");
  active->SelectValue();
  active->PasteFromClipboard();
  EXPECT_EQ(active->Text(), u"abc");
  Script().Then([] { Key(VK_TAB); });
  AnswerDialog(mrOk);
  RunScript();
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_NE(UTF8Encode(Dialogs[0].Message).find("abc"), std::string::npos)
      << UTF8Encode(Dialogs[0].Message);
  EXPECT_TRUE(active->Focused());
  Data.Cancel();
  EXPECT_EQ(Stored(u"ACTIVE"), u"2");
}

}  // namespace
