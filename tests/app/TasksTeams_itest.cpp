// Tasks and teams with their members, as a person reaches them through the lists' popups: the
// assigned members shown, a duplicate refused, another user added and removed again with only the
// assignment row touched; the warning of a popup on an empty list; a regular user who searches but
// cannot change; the search as a table of texts through the form's edit, and a reopened form that
// starts with the full list; a new task's creation time listed at once and stamped again, and a new
// team's presets.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/app/MemberTestSupport.h"

namespace {

using namespace apptest;

// A list with a members popup, and the member form it opens.
struct TMembersDoor {
  const char* Name;
  TListDoor List;
  std::function<TDataGrid*()> Grid;
  std::function<TPopupMenu*()> Popup;
  std::function<TMenuItem*()> Item;
  std::function<TMembersForm*()> Form;
  const char16_t* Owner;        // the table of the task or team
  const char16_t* Assignments;  // the assignment table
  const char16_t* OwnerColumn;
  const char16_t* NoRowWarning;
};
void PrintTo(const TMembersDoor& door, std::ostream* out) { *out << door.Name; }

TMembersDoor TaskMembersDoor() {
  return {"task",
          TasksList(),
          [] { return frmTasks->DBAdvGrid1; },
          [] { return frmTasks->PopupMenu1; },
          [] { return frmTasks->N1; },
          [] { return frmTaskMembers; },
          u"task",
          u"task_member",
          u"task_id",
          u"Одберете задача!"};
}
TMembersDoor TeamMembersDoor() {
  return {"team",
          TeamsList(),
          [] { return frmTeams->DBAdvGrid1; },
          [] { return frmTeams->PopupMenu1; },
          [] { return frmTeams->N1; },
          [] { return frmTeamMembers; },
          u"team",
          u"team_member",
          u"team_id",
          u"Одберете тим!"};
}

class MemberRoad : public TMemberFormTest, public ::testing::WithParamInterface<TMembersDoor> {
 protected:
  // The task or team 7, "Собирање облека", with the regular user Бојан assigned.
  void AddOwnerWithOneMember(const TMembersDoor& door) {
    Db.Exec(String(u"INSERT INTO ") + door.Owner +
            u" (id, title, status, created_by, created_on) VALUES "
            u"(7, 'Собирање облека', 'Active', 1, '2024-02-01 10:00:00')");
    Db.Exec(String(u"INSERT INTO ") + door.Assignments + u" (" + door.OwnerColumn +
            u", user_id) VALUES (7, 2)");
  }
  String Assigned(const TMembersDoor& door) {
    return Db.One(String(u"SELECT GROUP_CONCAT(CONCAT(") + door.OwnerColumn +
                  u", ':', user_id) ORDER BY user_id SEPARATOR '|') FROM " + door.Assignments);
  }
  void OpenMembers(const TSeedUser& user, const TMembersDoor& door) {
    OpenList(user, door.List);
    ChooseFromPopup(door.Grid(), door.Popup(), door.Item());
  }
};

TEST_P(MemberRoad, AnAdministratorAddsAndRemovesMembersAndADuplicateIsRefused) {
  const TMembersDoor& door = GetParam();
  AddOwnerWithOneMember(door);
  TMembersForm* form = door.Form();
  OpenMembers(Admin, door);
  Script().Then([&] {
    ASSERT_EQ(Screen->ActiveCustomForm(), form);
    EXPECT_EQ(ListedUserNames(form->DBAdvGrid1), "admin|bojan");
    EXPECT_EQ(ListedUserNames(form->DBAdvGrid2), "bojan");
    EXPECT_TRUE(form->AdvGlowButton1->Enabled());
    EXPECT_TRUE(form->AdvGlowButton2->Enabled());
    if (form->Label4) {
      EXPECT_EQ(UTF8Encode(form->Label4->Caption()), "ТИМ ЗА : Собирање облека");
    }
  });
  // Бојан again: refused, nothing stored.
  ClickRecord(form->DBAdvGrid1, 1);
  PressAndAnswer(form->AdvGlowButton1, mrOk);
  Script().Then([&] {
    EXPECT_EQ(Assigned(door), u"7:2");
    EXPECT_EQ(ListedUserNames(form->DBAdvGrid2), "bojan");
  });
  // Ана: stored and shown at once.
  ClickRecord(form->DBAdvGrid1, 0);
  Press(form->AdvGlowButton1);
  Script().Then([&] {
    EXPECT_EQ(Assigned(door), u"7:1|7:2");
    EXPECT_EQ(ListedUserNames(form->DBAdvGrid2), "admin|bojan");
  });
  // Бојан removed from the right list, with no question asked.
  ClickRecord(form->DBAdvGrid2, 1);
  Press(form->AdvGlowButton2);
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), form);
    EXPECT_EQ(Assigned(door), u"7:1");
    EXPECT_EQ(ListedUserNames(form->DBAdvGrid2), "admin");
  });
  CloseProgram();
  Application->Run();
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Message, u"Членот е веќе додаден!");
  EXPECT_EQ(Dialogs[0].Type, mtWarning);
  EXPECT_EQ(Db.One(u"SELECT COUNT(*) FROM users"), u"5");
  EXPECT_EQ(Db.One(String(u"SELECT title FROM ") + door.Owner), u"Собирање облека");
}

TEST_P(MemberRoad, APopupOnAnEmptyListWarnsAndOpensNoMemberForm) {
  const TMembersDoor& door = GetParam();
  int shown = 0;
  door.Form()->OnShow = [&](TObject*) { ++shown; };
  OpenList(Admin, door.List);
  ChooseFromPopup(door.Grid(), door.Popup(), door.Item());
  AnswerDialog(mrOk);
  Script().Then([&] { EXPECT_EQ(Screen->ActiveCustomForm(), door.List.Form()); });
  CloseProgram();
  Application->Run();
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Message, door.NoRowWarning);
  EXPECT_EQ(shown, 0);
}

TEST_P(MemberRoad, ARegularUserSearchesBothListsButCannotAddOrRemove) {
  const TMembersDoor& door = GetParam();
  AddOwnerWithOneMember(door);
  TMembersForm* form = door.Form();
  OpenMembers(Regular, door);
  Script().Then([&] {
    EXPECT_FALSE(form->AdvGlowButton1->Enabled());
    EXPECT_FALSE(form->AdvGlowButton2->Enabled());
    EXPECT_EQ(ListedUserNames(form->DBAdvGrid2), "bojan");
  });
  Search(form, u"адм");
  Script().Then([&] { EXPECT_EQ(ListedUserNames(form->DBAdvGrid1), "admin"); });
  Press(form->AdvGlowButton1);
  Press(form->AdvGlowButton2);
  Script().Then([&] { EXPECT_EQ(Screen->ActiveCustomForm(), form); });
  CloseProgram();
  Application->Run();
  EXPECT_EQ(Assigned(door), u"7:2");
  EXPECT_TRUE(Dialogs.empty());
}

TEST_P(MemberRoad, TheSearchListsOnlyMatchingUsersAndAReopenedFormStartsWithTheFullList) {
  const TMembersDoor& door = GetParam();
  Db.Exec(SearchUsers);
  AddOwnerWithOneMember(door);
  TMembersForm* form = door.Form();
  std::vector<std::string> listed;
  OpenMembers(Admin, door);
  for (const TSearchCase& c : SearchCases) {
    Search(form, c.Text);
    Script().Then([&] { listed.push_back(ListedUserNames(form->DBAdvGrid1)); });
  }
  // Leave with a search in place, and come back.
  Search(form, u"регул");
  Press(form->AdvGlowButton3);
  Script().Then([&] { EXPECT_FALSE(form->Users->Active()); });
  ChooseFromPopup(door.Grid(), door.Popup(), door.Item());
  Script().Then([&] {
    EXPECT_EQ(TextOf(form->Edit1), "");
    listed.push_back(ListedUserNames(form->DBAdvGrid1));
  });
  CloseProgram();
  Application->Run();

  ASSERT_EQ(listed.size(), std::size(SearchCases) + 1);
  for (size_t i = 0; i < std::size(SearchCases); ++i)
    EXPECT_EQ(listed[i], SearchCases[i].UserNames) << UTF8Encode(SearchCases[i].Text);
  EXPECT_EQ(listed.back(), "back|admin|bojan|petar|under_score|100%real|oneil");
  EXPECT_TRUE(Dialogs.empty()) << UTF8Encode(Dialogs[0].Message);
}

INSTANTIATE_TEST_SUITE_P(Forms, MemberRoad, ::testing::Values(TaskMembersDoor(), TeamMembersDoor()),
                         [](const ::testing::TestParamInfo<TMembersDoor>& info) {
                           return std::string(info.param.Name);
                         });

// --- Tasks and teams ---------------------------------------------------------------------------

class TasksTeams : public TMemberFormTest {};

TEST_F(TasksTeams, ANewTaskShowsItsCreationTimeAtOnceInOrderAndTheConfirmStampsItAgain) {
  Db.Exec(u"INSERT INTO task (title, status, created_by, created_on) VALUES "
          u"('Стара', 'Active', 2, '2024-01-10 10:00:00'), "
          u"('Идна', 'Active', 2, '2099-01-01 10:00:00')");
  double preset = 0;
  std::string titles, times;
  OpenList(Admin, TasksList());
  Press(frmTasks->AdvGlowButton1);
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmAddEditTask);
    EXPECT_EQ(TextOf(frmAddEditTask->AdvDBComboBox1), "Active");
    preset = frmTasks->Tasks->FieldByName(u"created_on")->AsDateTime();
    EXPECT_LT(std::abs(preset - Now()) * 86400, 60) << "created now";
  });
  TypeInto(frmAddEditTask->DBAdvEdit1, u"Нова");
  Press(frmAddEditTask->AdvGlowButton1);
  Script().Then([&] {
    titles = GridColumn(frmTasks->DBAdvGrid1, 1);
    times = GridColumn(frmTasks->DBAdvGrid1, 0);
  });
  CloseProgram();
  Application->Run();
  EXPECT_EQ(titles, "Идна|Нова|Стара");
  const size_t first = times.find('|'), second = times.find('|', first + 1);
  EXPECT_GT(second, first + 1) << "the new task's time is listed: " << times;
  const String row = u" FROM task WHERE title = 'Нова'";
  EXPECT_EQ(Db.One(u"SELECT created_by" + row), u"1");
  const int ago = SecondsFromNow(u"SELECT created_on" + row);
  EXPECT_TRUE(ago >= 0 && ago < 60) << ago;
  EXPECT_TRUE(Dialogs.empty());
}

TEST_F(TasksTeams, ANewTeamHasOnlyItsStatusPresetAndStoresTheChosenOne) {
  OpenList(Admin, TeamsList());
  Press(frmTeams->AdvGlowButton1);
  Script().Then([&] {
    TDataSet* team = frmTeams->Teams;
    for (int i = 0; i < team->FieldCount(); ++i) {
      TField* field = team->Fields()->Fields(i);
      if (field->FieldName() == u"status")
        EXPECT_EQ(field->AsString(), u"Active");
      else
        EXPECT_TRUE(field->IsNull()) << UTF8Encode(field->FieldName());
    }
  });
  TypeInto(frmAddEditTeam->DBAdvEdit1, u"Логистика");
  Script().Then([&] {
    frmAddEditTeam->AdvDBComboBox1->SetFocus();
    Key(VK_DOWN);
  });
  Press(frmAddEditTeam->AdvGlowButton1);
  std::string statuses;
  Script().Then([&] { statuses = GridColumn(frmTeams->DBAdvGrid1, 2); });
  CloseProgram();
  Application->Run();
  EXPECT_EQ(statuses, "Closed");
  EXPECT_EQ(Db.One(u"SELECT CONCAT(title, '/', status, '/', created_by) FROM team"),
            u"Логистика/Closed/1");
}

}  // namespace
