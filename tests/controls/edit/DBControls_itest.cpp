// The data-aware edit and combo box over a MySQL query on the test server, connected as the
// program connects (Unicode on): what they show of a users row, what a post writes, and how a
// value the column refuses is reported.
#include "controls/edit/AdvDBComboBox.h"
#include "controls/edit/DBAdvEd.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/controls/edit/AdvEditTestSupport.h"

namespace {

using namespace advedit_test;

class DBControlsServer : public TAdvEditTest {
 public:
  DBControlsServer() {
    ApplyTestSettings(Conn);
    Conn.SetConnected(true);
    Other.Exec(u"INSERT INTO users (name, active, user_type) VALUES ('Ана', 2, 1)");
    Id = Other.One(u"SELECT LAST_INSERT_ID()");
    Query.SetConnection(&Conn);
    Query.SetSQLText(u"SELECT id, name, active, user_type FROM users WHERE id = " + Id);
    Source.SetDataSet(&Query);
    Query.Open();
    Name = new TDBAdvEdit(Form);
    Name->SetBounds(160, 20, 200, 24);
    Name->SetParent(Form);
    Name->SetDataSource(&Source);
    Name->SetDataField(u"name");
    Active = Combo(u"active", {u"Active", u"Not Active", u"Close"}, Bounds(160, 60, 200, 24));
    Form->Show();
  }
  ~DBControlsServer() override {
    Query.Close();
    Other.Exec(u"DELETE FROM users WHERE id = " + Id);
  }
  TAdvDBComboBox* Combo(const String& field, std::vector<String> items, TRect bounds) {
    auto* combo = new TAdvDBComboBox(Form);
    combo->SetBoundsRect(bounds);
    combo->SetParent(Form);
    combo->SetStyle(csDropDownList);
    for (size_t i = 0; i < items.size(); ++i) {
      combo->Items()->Add(items[i]);
      combo->ComboItems()->AddStored(IntToStr(static_cast<int64_t>(i + 1)));
    }
    combo->SetDataSource(&Source);
    combo->SetDataField(field);
    return combo;
  }
  String Row(const String& columns) {
    return Other.One(u"SELECT CONCAT_WS('|', " + columns + u") FROM users WHERE id = " + Id);
  }

  TMyConnection Conn{nullptr};
  TOtherSession Other;
  String Id;
  TMyQuery Query{nullptr};
  TDataSource Source{nullptr};
  TDBAdvEdit* Name = nullptr;
  TAdvDBComboBox* Active = nullptr;
};

TEST_F(DBControlsServer, TheRowShowsAndAChoiceAndTypingArePosted) {
  EXPECT_EQ(Active->GetComboText(), u"Not Active");
  EXPECT_EQ(Name->Text(), u"Ана");
  // The field's size, in UTF-16 units: a utf8mb4 VARCHAR(100) is sized for 100 characters of
  // two units each.
  EXPECT_EQ(Name->MaxLength(), Query.FieldByName(u"name")->Size());
  EXPECT_GE(Name->MaxLength(), 100);
  Focus(Active);
  PressKey(VK_UP);
  EXPECT_EQ(Query.State(), dsEdit);
  Focus(Name);
  PressKey(VK_END);
  TypeKeys(u" Петровска");
  Query.Post();
  EXPECT_EQ(Row(u"active, name"), u"1|Ана Петровска");
}

TEST_F(DBControlsServer, EscapeBringsTheFieldBackAndAPostChangesNothing) {
  Focus(Name);
  PressKey(VK_END);
  TypeKeys(u"ххх");
  PressKey(VK_ESCAPE);
  EXPECT_EQ(Name->Text(), u"Ана");
  if (Query.State() == dsEdit) Query.Post();
  EXPECT_EQ(Row(u"active, name"), u"2|Ана");
}

TEST_F(DBControlsServer, AClosedQueryEmptiesTheControls) {
  auto* numeric = new TDBAdvEdit(Form);
  numeric->SetParent(Form);
  numeric->SetEditType(TAdvEditType::etNumeric);
  numeric->SetDataSource(&Source);
  numeric->SetDataField(u"user_type");
  EXPECT_EQ(numeric->Text(), u"1");
  Query.Close();
  EXPECT_EQ(Name->Text(), u"");
  EXPECT_EQ(Active->GetComboText(), u"");
  EXPECT_EQ(numeric->Text(), u"0");
}

TEST_F(DBControlsServer, AValueNoItemStoresSelectsNothingAndADisabledComboStillShows) {
  TAdvDBComboBox* type = Combo(u"user_type",
                               {u"Регуларен корисник", u"Администратор", u"Гостин"},
                               Bounds(160, 100, 200, 24));
  type->SetEnabled(false);
  EXPECT_EQ(type->GetComboText(), u"Регуларен корисник");
  Other.Exec(u"UPDATE users SET active = 9 WHERE id = " + Id);
  Query.Refresh();
  EXPECT_EQ(Active->ItemIndex(), -1);
}

TEST_F(DBControlsServer, AnAmountKeepsItsCentsThroughANumericEdit) {
  // A table of its own with payment's columns: the data-access tests, which run beside these,
  // empty the payment table itself.
  Other.Exec(u"CREATE TABLE IF NOT EXISTS edit_amounts LIKE payment");
  for (const TLocale& locale : {kDotDecimal, kCommaDecimal}) {
    SCOPED_TRACE(locale.Name);
    UseLocale(locale);
    Other.Exec(u"INSERT INTO edit_amounts (client_id, amount, type) VALUES (1, 12.5, 1)");
    String payment = Other.One(u"SELECT LAST_INSERT_ID()");
    TMyQuery query{nullptr};
    query.SetConnection(&Conn);
    query.SetSQLText(u"SELECT id, amount, type FROM edit_amounts WHERE id = " + payment);
    TDataSource source{nullptr};
    source.SetDataSet(&query);
    query.Open();
    auto* amount = new TDBAdvEdit(Form);
    amount->SetParent(Form);
    amount->SetEditType(TAdvEditType::etNumeric);
    amount->SetDataSource(&source);
    amount->SetDataField(u"amount");
    auto* type = new TDBAdvEdit(Form);
    type->SetParent(Form);
    type->SetEditType(TAdvEditType::etNumeric);
    type->SetDataSource(&source);
    type->SetDataField(u"type");
    EXPECT_EQ(amount->Text(), InLocale(u"12.5", locale));
    Focus(type);
    type->SelectValue();
    TypeKeys(u"2");
    Focus(amount);
    query.Post();
    EXPECT_EQ(Other.One(u"SELECT CONCAT(amount, '|', type) FROM edit_amounts WHERE id = " +
                        payment),
              u"12.5|2");
    amount->SelectValue();
    TypeKeys(InLocale(u"7.25", locale));
    query.Post();
    EXPECT_EQ(Other.One(u"SELECT CONCAT(amount, '') FROM edit_amounts WHERE id = " + payment),
              u"7.25");
    delete amount;
    delete type;
    query.Close();
    Other.Exec(u"DELETE FROM edit_amounts WHERE id = " + payment);
  }
}

TEST_F(DBControlsServer, TextTheColumnRefusesIsReportedAndTheFocusStays) {
  auto* active = new TDBAdvEdit(Form);
  active->SetBounds(160, 140, 200, 24);
  active->SetParent(Form);
  active->SetDataSource(&Source);
  active->SetDataField(u"active");
  Focus(active);
  active->SelectValue();
  Clipboard()->SetAsText(u"abc");
  active->PasteFromClipboard();
  Script().Then([] { Key(VK_TAB); });
  AnswerDialog(mrOk);
  RunScript();
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_NE(UTF8Encode(Dialogs[0].Message).find("abc"), std::string::npos);
  EXPECT_TRUE(active->Focused());
  Query.Cancel();
  EXPECT_EQ(Row(u"active, name"), u"2|Ана");
}

}  // namespace
