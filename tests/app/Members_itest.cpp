// The members list and the own data: user names stay unique in any letter case, Cyrillic too, and
// a member keeps his own; the user named exactly "demo" cannot be changed; a new member is an
// active regular user, and a change takes over the stamps; the own-data form shows the user's own
// row with the fields he may not change locked, and leaves the row as it was however it closes.
#include <gtest/gtest.h>

#include "tests/app/MemberTestSupport.h"

namespace {

using namespace apptest;

class Members : public TMemberFormTest {};

// --- User names --------------------------------------------------------------------------------

struct TNameCase {
  const char* Name;
  const char16_t* UserName;
  const char16_t* Refusal;  // nullptr: stored
};
void PrintTo(const TNameCase& c, std::ostream* out) { *out << c.Name; }

class NewMemberNames : public Members, public ::testing::WithParamInterface<TNameCase> {};

TEST_P(NewMemberNames, ATakenUserNameInAnyCaseIsRefusedAndAFreeOneMakesAnActiveRegularUser) {
  const TNameCase& c = GetParam();
  Db.Exec(u"INSERT INTO users (id, name, surname, username, user_type) VALUES "
          u"(10, 'Љупчо', 'Ѓорѓиевски', 'љупчо', 2)");
  OpenList(Admin, UsersList());
  Press(frmUsers->AdvGlowButton1);
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveControl(), frmAddEditUser->DBAdvEdit1);
    EXPECT_EQ(TextOf(frmAddEditUser->AdvDBComboBox1), "Active");
    EXPECT_EQ(TextOf(frmAddEditUser->AdvDBComboBox2), "Регуларен корисник");
    EXPECT_FALSE(frmAddEditUser->AdvDBComboBox2->Enabled());
  });
  TypeInto(frmAddEditUser->DBAdvEdit1, u"Нов");
  TypeInto(frmAddEditUser->DBAdvEdit2, u"Член");
  TypeInto(frmAddEditUser->DBAdvEdit3, c.UserName);
  TypeInto(frmAddEditUser->DBAdvEdit4, u"лозинка");
  if (c.Refusal) {
    PressAndAnswer(frmAddEditUser->AdvGlowButton1, mrOk);
    Script().Then([&] {
      EXPECT_EQ(Screen->ActiveCustomForm(), frmAddEditUser) << "the form stays for a correction";
      EXPECT_EQ(frmUsers->Users->State(), dsInsert);
    });
    Press(frmAddEditUser->AdvGlowButton2);
  } else {
    Press(frmAddEditUser->AdvGlowButton1);
  }
  Script().Then([&] { EXPECT_EQ(Screen->ActiveCustomForm(), frmUsers); });
  CloseProgram();
  Application->Run();

  const String added = u" FROM users WHERE id > 10";
  if (c.Refusal) {
    ASSERT_EQ(Dialogs.size(), 1u);
    EXPECT_EQ(Dialogs[0].Message, c.Refusal);
    EXPECT_EQ(Db.One(u"SELECT COUNT(*) FROM users"), u"6");
    return;
  }
  EXPECT_TRUE(Dialogs.empty());
  EXPECT_EQ(Db.One(u"SELECT CONCAT_WS('/', name, surname, username, password, user_type, active, "
                   u"created_by)" + added),
            u"Нов/Член/" + String(c.UserName) + u"/лозинка/2/1/1");
  for (const char16_t* column : {u"created_on", u"member_from", u"date_of_birth"}) {
    const int ago = SecondsFromNow(String(u"SELECT ") + column + added);
    EXPECT_TRUE(ago >= 0 && ago < 60) << UTF8Encode(column) << " " << ago;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, NewMemberNames,
    ::testing::Values(TNameCase{"admin", u"admin", u"Веќе постои корисничко име - admin!"},
                      TNameCase{"ADMIN", u"ADMIN", u"Веќе постои корисничко име - ADMIN!"},
                      TNameCase{"cyrillic_other_case", u"ЉУПЧО",
                                u"Веќе постои корисничко име - ЉУПЧО!"},
                      TNameCase{"free_cyrillic", u"љупка", nullptr},
                      TNameCase{"quote_and_backslash", u"o'ne\\il", nullptr}),
    [](const ::testing::TestParamInfo<TNameCase>& info) { return std::string(info.param.Name); });

TEST_F(Members, AChangeKeepsTheOwnUserNameTakesOverTheStampsAndCannotTakeAnotherOne) {
  Db.Exec(u"UPDATE users SET created_by = 3, created_on = '2020-01-01 00:00:00' WHERE id = 2");
  OpenList(Admin, UsersList());
  ClickRecord(frmUsers->DBAdvGrid1, 1);  // Бојан
  Press(frmUsers->AdvGlowButton2);
  Script().Then([&] { EXPECT_EQ(TextOf(frmAddEditUser->DBAdvEdit3), "bojan"); });
  TypeInto(frmAddEditUser->DBAdvEdit2, u"-Нов");
  Press(frmAddEditUser->AdvGlowButton1);
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmUsers);
    EXPECT_EQ(Db.One(u"SELECT surname FROM users WHERE id = 2"), u"Редовски-Нов");
  });
  // Another user's name, in another case, is refused on a change too.
  Press(frmUsers->AdvGlowButton2);
  Script().Then([&] {
    frmAddEditUser->DBAdvEdit3->SetFocus();
    frmAddEditUser->DBAdvEdit3->SetText(u"");
    Type(u"Vera");
  });
  PressAndAnswer(frmAddEditUser->AdvGlowButton1, mrOk);
  Press(frmAddEditUser->AdvGlowButton2);
  CloseProgram();
  Application->Run();
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Message, u"Веќе постои корисничко име - Vera!");
  EXPECT_EQ(Db.One(u"SELECT CONCAT_WS('/', username, user_type, created_by) FROM users "
                   u"WHERE id = 2"),
            u"bojan/2/1");
  const int ago = SecondsFromNow(u"SELECT created_on FROM users WHERE id = 2");
  EXPECT_TRUE(ago >= 0 && ago < 60) << ago;
}

// --- The demonstration user --------------------------------------------------------------------

struct TDemoCase {
  const char16_t* UserName;
  bool Protected;
};
void PrintTo(const TDemoCase& c, std::ostream* out) { *out << UTF8Encode(c.UserName); }

class DemoUser : public Members, public ::testing::WithParamInterface<TDemoCase> {};

TEST_P(DemoUser, OnlyTheNameDemoExactlyIsProtectedFromChange) {
  const TDemoCase& c = GetParam();
  Db.Exec(String(u"INSERT INTO users (id, name, surname, username, user_type) VALUES "
                 u"(10, 'Демо', 'Корисник', '") +
          c.UserName + u"', 2)");
  int editShown = 0;
  frmAddEditUser->OnShow = [&](TObject*) { ++editShown; };
  OpenList(Admin, UsersList());
  ClickRecord(frmUsers->DBAdvGrid1, 5);
  if (c.Protected) {
    PressAndAnswer(frmUsers->AdvGlowButton2, mrOk);
  } else {
    Press(frmUsers->AdvGlowButton2);
    TypeInto(frmAddEditUser->DBAdvEdit1, u"2");
    Press(frmAddEditUser->AdvGlowButton1);
  }
  CloseProgram();
  Application->Run();
  if (c.Protected) {
    ASSERT_EQ(Dialogs.size(), 1u);
    EXPECT_EQ(Dialogs[0].Message, u"Забранета промена на информации за корисникот demo !");
    EXPECT_EQ(Dialogs[0].Type, mtWarning);
    EXPECT_EQ(editShown, 0);
    EXPECT_EQ(Db.One(u"SELECT name FROM users WHERE id = 10"), u"Демо");
  } else {
    EXPECT_TRUE(Dialogs.empty());
    EXPECT_EQ(Db.One(u"SELECT name FROM users WHERE id = 10"), u"Демо2");
  }
}

INSTANTIATE_TEST_SUITE_P(Names, DemoUser,
                         ::testing::Values(TDemoCase{u"demo", true}, TDemoCase{u"Demo", false}),
                         [](const ::testing::TestParamInfo<TDemoCase>& info) {
                           return UTF8Encode(info.param.UserName);
                         });

// --- Own data ----------------------------------------------------------------------------------

class OwnData : public Members, public ::testing::WithParamInterface<TSeedUser> {
 protected:
  // Every column of the user's row, NULLs marked.
  String Row(int id) {
    String columns;
    for (const char16_t* column :
         {u"id", u"name", u"surname", u"username", u"password", u"email", u"phone", u"address",
          u"date_of_birth", u"member_from", u"active", u"user_type", u"created_by",
          u"created_on"})
      columns += (columns.empty() ? u"" : u", '|', ") + String(u"COALESCE(") + column +
                 u", '<null>')";
    return Db.One(u"SELECT CONCAT(" + columns + u") FROM users WHERE id = " + IntToStr(id));
  }
};

TEST_P(OwnData, TheUserSeesHisOwnRowLockedWhereHeMayNotChangeItAndNothingIsStored) {
  const TSeedUser& user = GetParam();
  Db.Exec(u"UPDATE users SET email = 'ja@primer.mk', phone = '070 111 222', address = 'Скопје', "
          u"date_of_birth = '1990-05-06 00:00:00', member_from = '2015-03-01 00:00:00', "
          u"active = 1, created_by = 1, created_on = '2020-01-01 12:00:00'");
  const String before = Row(user.Id);
  TfrmModifyOwnData* form = frmModifyOwnData;
  LogIn(user.UserName, user.Password);
  Press(frmMain->AdvGlowButton1);
  Script().Then([&] {
    ASSERT_EQ(Screen->ActiveCustomForm(), form);
    EXPECT_EQ(Screen->ActiveControl(), form->DBAdvEdit1);
    EXPECT_EQ(TextOf(form->DBAdvEdit1) + " " + TextOf(form->DBAdvEdit2), user.FullName);
    EXPECT_EQ(TextOf(form->DBAdvEdit3), UTF8Encode(user.UserName));
    EXPECT_EQ(TextOf(form->DBAdvEdit6), "070 111 222");
    EXPECT_EQ(form->Users->State(), dsEdit);
    EXPECT_FALSE(form->AdvDBComboBox1->Enabled());
    EXPECT_FALSE(form->AdvDBDateTimePicker1->Enabled());
    EXPECT_FALSE(form->AdvDBComboBox2->Enabled());
    EXPECT_FALSE(form->AdvGlowButton1->Enabled());
    EXPECT_TRUE(form->AdvDBDateTimePicker2->Enabled());
  });
  // The user name takes no typing; the name does, until ОТКАЖИ.
  TypeInto(form->DBAdvEdit3, u"x");
  Script().Then([&] { EXPECT_EQ(TextOf(form->DBAdvEdit3), UTF8Encode(user.UserName)); });
  TypeInto(form->DBAdvEdit1, u" Изменет");
  Press(form->AdvGlowButton1);  // disabled: nothing happens
  Press(form->AdvGlowButton2);
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmMain);
    EXPECT_FALSE(form->Users->Active());
    EXPECT_EQ(Row(user.Id), before);
  });
  // Again, left by the close box.
  Press(frmMain->AdvGlowButton1);
  Script().Then([&] {
    const std::string fullName = user.FullName;
    EXPECT_EQ(TextOf(form->DBAdvEdit1), fullName.substr(0, fullName.find(' '))) << "as stored";
  });
  TypeInto(form->DBAdvEdit1, u" Изменет");
  CloseBox();
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmMain);
    EXPECT_FALSE(form->Users->Active());
  });
  CloseProgram();
  Application->Run();
  EXPECT_EQ(Row(user.Id), before);
  EXPECT_TRUE(Dialogs.empty());
}

INSTANTIATE_TEST_SUITE_P(Types, OwnData, ::testing::Values(Admin, Regular, Member),
                         [](const ::testing::TestParamInfo<TSeedUser>& info) {
                           return "type" + std::to_string(info.param.Type);
                         });

}  // namespace
