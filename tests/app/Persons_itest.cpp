// Natural and legal persons as a person keeps them: a new person's presets in the stored row, the
// status stored as its digit, every field's text kept exactly, and the list in the order the
// persons were entered.
#include <gtest/gtest.h>

#include "tests/app/FormTestSupport.h"

namespace {

using namespace apptest;

class Persons : public TFormTest {};

TEST_F(Persons, ANewPersonGetsItsPresetsTheStatusStoresItsDigitAndIsListedLast) {
  Db.Exec(u"INSERT INTO clients (id, full_name, active) VALUES (5, 'Шеста', 1), (9, 'Алфа', 2)");
  std::string before, names, actives;
  OpenList(Admin, PersonsList());
  Script().Then([&] { before = GridColumn(frmClients->DBAdvGrid1, 1); });
  Press(frmClients->AdvGlowButton1);
  Script().Then([&] { EXPECT_EQ(TextOf(frmAddEditClient->AdvDBComboBox1), "Active"); });
  TypeInto(frmAddEditClient->DBAdvEdit1, u"Активна");
  Press(frmAddEditClient->AdvGlowButton1);
  Press(frmClients->AdvGlowButton1);
  TypeInto(frmAddEditClient->DBAdvEdit1, u"Неактивна");
  Script().Then([&] {
    frmAddEditClient->AdvDBComboBox1->SetFocus();
    Key(VK_DOWN);
  });
  Script().Then([&] { EXPECT_EQ(TextOf(frmAddEditClient->AdvDBComboBox1), "Not Active"); });
  Press(frmAddEditClient->AdvGlowButton1);
  Script().Then([&] {
    names = GridColumn(frmClients->DBAdvGrid1, 1);
    actives = GridColumn(frmClients->DBAdvGrid1, 6);
  });
  CloseProgram();
  Application->Run();

  EXPECT_EQ(before, "Шеста|Алфа");
  EXPECT_EQ(names, "Шеста|Алфа|Активна|Неактивна");
  EXPECT_EQ(actives, "1|2|1|2") << "the stored digit shows";
  for (const char16_t* name : {u"Активна", u"Неактивна"}) {
    const String row = String(u" FROM clients WHERE full_name = '") + name + u"'";
    EXPECT_EQ(Db.One(u"SELECT CONCAT(user_type, ' ', created_by)" + row), u"2 1");
    for (const char16_t* column : {u"date_of_birth", u"member_from", u"created_on"}) {
      const int ago = SecondsFromNow(String(u"SELECT ") + column + row);
      EXPECT_TRUE(ago >= 0 && ago < 60) << UTF8Encode(column) << " " << ago;
    }
  }
  EXPECT_EQ(Db.One(u"SELECT active FROM clients WHERE full_name = 'Активна'"), u"1");
  EXPECT_EQ(Db.One(u"SELECT active FROM clients WHERE full_name = 'Неактивна'"), u"2");
}

TEST_F(Persons, EveryFieldKeepsCyrillicQuotesAndBackslashesBothWays) {
  struct FieldCase {
    TDataEdit* Edit;
    const char16_t* Column;
    const char16_t* Text;
  };
  const std::vector<FieldCase> fields{
      {frmAddEditClient->DBAdvEdit1, u"full_name", u"Фондација \"Ѓорѓи\" 'Ќ'"},
      {frmAddEditClient->DBAdvEdit2, u"address", u"ул. Гоце Делчев \\ бр. 5"},
      {frmAddEditClient->DBAdvEdit3, u"city", u"Охрид\\Струга"},
      {frmAddEditClient->DBAdvEdit5, u"email", u"ana\\\"x\"@primer.mk"},
      {frmAddEditClient->DBAdvEdit6, u"phone", u"070/123-456 'дом'"},
      {frmAddEditClient->DBAdvEdit7, u"unique_private_no", u"ЕДБ\\4030'\"9"},
      {frmAddEditClient->DBAdvEdit4, u"bank_name", u"Стопанска \"банка\""},
      {frmAddEditClient->DBAdvEdit8, u"bank_account_no", u"300-\\000'01"},
      {frmAddEditClient->DBAdvEdit9, u"bank_account_name", u"Љубица Њ. \\\\ \"Џ\""},
  };
  std::vector<std::string> shown;
  std::string status;
  OpenList(Admin, PersonsList());
  Press(frmClients->AdvGlowButton1);
  for (const FieldCase& field : fields) TypeInto(field.Edit, field.Text);
  Script().Then([&] {
    frmAddEditClient->AdvDBComboBox1->SetFocus();
    Key(VK_DOWN);
  });
  Press(frmAddEditClient->AdvGlowButton1);
  Press(frmClients->AdvGlowButton2);  // the stored person read back into the edit form
  Script().Then([&] {
    for (const FieldCase& field : fields) shown.push_back(TextOf(field.Edit));
    status = TextOf(frmAddEditClient->AdvDBComboBox1);
  });
  Press(frmAddEditClient->AdvGlowButton2);
  CloseProgram();
  Application->Run();

  ASSERT_EQ(Db.One(u"SELECT COUNT(*) FROM clients"), u"1");
  ASSERT_EQ(shown.size(), fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    EXPECT_EQ(Db.One(String(u"SELECT ") + fields[i].Column + u" FROM clients"), fields[i].Text)
        << UTF8Encode(fields[i].Column);
    EXPECT_EQ(shown[i], UTF8Encode(fields[i].Text)) << UTF8Encode(fields[i].Column);
  }
  EXPECT_EQ(Db.One(u"SELECT active FROM clients"), u"2");
  EXPECT_EQ(status, "Not Active");
}

}  // namespace
