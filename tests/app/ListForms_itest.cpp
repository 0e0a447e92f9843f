// The list and edit form pattern on every list form, each step checked on the screen and in the
// table through a second connection: the rights of each type of user, again after every return
// from an edit form and a message box; the change button on an empty list; new, change and cancel
// as a person does them; the close box on a half-typed row; a post that fails on a killed
// session; and the auto-refresh, which never runs while an edit form is open.
#include <gtest/gtest.h>

#include "tests/app/FormTestSupport.h"

namespace {

using namespace apptest;

// Every list form of the pattern.
std::vector<TListDoor> AllDoors() {
  return {EventsList(),     NewsList(),   PersonsList(), PaymentsList(1), PaymentsList(2),
          CostsList(),      ArticlesList(), TasksList(),  TeamsList(),     UsersList()};
}

// --- Rights ------------------------------------------------------------------------------------

struct RightsCase {
  TListDoor Door;
  TSeedUser User;
};
void PrintTo(const RightsCase& c, std::ostream* out) {
  *out << c.Door.Name << " as type " << c.User.Type;
}

class ListRights : public TFormTest, public ::testing::WithParamInterface<RightsCase> {
 protected:
  // Records whether the new and change buttons are enabled, as "new change" digits.
  void NoteButtons(std::vector<std::string>& states, TListForm* list) {
    Script().Then([&states, list] {
      states.push_back(std::string(list->AdvGlowButton1->Enabled() ? "1" : "0") +
                       (list->AdvGlowButton2->Enabled() ? "1" : "0"));
    });
  }
};

TEST_P(ListRights, OnlyAnAdministratorMayCreateAndChangeAfterEveryReturnToTheList) {
  const RightsCase& c = GetParam();
  TListForm* list = c.Door.Form();
  std::vector<std::string> states;
  OpenList(c.User, c.Door);
  NoteButtons(states, list);
  // A message box over the list hands the activation back when it closes.
  Script().Then([] { MessageDlg(u"Проба", mtInformation, TMsgDlgButtons{mbOK}); });
  AnswerDialog(mrOk);
  NoteButtons(states, list);
  if (c.User.Type == 1) {
    Press(list->AdvGlowButton1);  // the edit form, cancelled
    Press(c.Door.Editor()->AdvGlowButton2);
    NoteButtons(states, list);
    if (c.Door.SeedRows == 0) {
      PressAndAnswer(list->AdvGlowButton2, mrOk);  // the empty list's warning
    } else {
      Press(list->AdvGlowButton2);  // the first row's edit form, cancelled
      Press(c.Door.Editor()->AdvGlowButton2);
    }
    NoteButtons(states, list);
  } else {
    // A disabled button takes no click.
    Press(list->AdvGlowButton1);
    Script().Then([&] { EXPECT_EQ(Screen->ActiveCustomForm(), list); });
  }
  CloseProgram();
  Application->Run();

  const std::string expected = c.User.Type == 1 ? "11" : "00";
  for (const std::string& state : states) EXPECT_EQ(state, expected);
  EXPECT_EQ(states.size(), c.User.Type == 1 ? 4u : 2u);
  EXPECT_EQ(Db.One(String(u"SELECT COUNT(*) FROM ") + c.Door.Table), IntToStr(c.Door.SeedRows));
}

std::vector<RightsCase> AllRights() {
  std::vector<RightsCase> cases;
  for (const TListDoor& door : AllDoors())
    for (const TSeedUser& user : {Admin, Regular, Member})
      if (user.Type <= door.MaxUserType) cases.push_back({door, user});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Lists, ListRights, ::testing::ValuesIn(AllRights()),
                         [](const ::testing::TestParamInfo<RightsCase>& info) {
                           return std::string(info.param.Door.Name) + "_type" +
                                  std::to_string(info.param.User.Type);
                         });

// --- The road of every list form ----------------------------------------------------------------

class ListRoad : public TFormTest, public ::testing::WithParamInterface<TListDoor> {
 protected:
  // The rows the test made, after those of the seed.
  static String NewRows(const TListDoor& door) {
    return String(u" FROM ") + door.Table + u" WHERE id > " + IntToStr(door.SeedRows);
  }
  // The values of the door's text column over the rows the test made, by id.
  String TableTexts(const TListDoor& door) {
    return Db.One(String(u"SELECT GROUP_CONCAT(") + door.TextField +
                  u" ORDER BY id SEPARATOR '|')" + NewRows(door));
  }
  static std::string GridTexts(const TListDoor& door) {
    return AfterSeed(GridColumn(door.Form()->DBAdvGrid1, door.TextGridColumn), door.SeedRows);
  }
  void SetUp() override {
    if (GetParam().Prepare) GetParam().Prepare(Db);
  }
};

TEST_P(ListRoad, TheChangeButtonOnAnEmptyListWarnsAndOpensNothing) {
  const TListDoor& door = GetParam();
  if (door.SeedRows > 0) GTEST_SKIP() << "the list always holds the logged-in user";
  int editShown = 0;
  door.Editor()->OnShow = [&](TObject*) { ++editShown; };
  OpenList(Admin, door);
  PressAndAnswer(door.Form()->AdvGlowButton2, mrOk);
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), door.Form());
    EXPECT_EQ(door.Form()->ListQuery()->State(), dsBrowse);
  });
  CloseProgram();
  Application->Run();
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Message, door.ChangeWarning);
  EXPECT_EQ(Dialogs[0].Type, mtWarning);
  EXPECT_EQ(editShown, 0);
  EXPECT_EQ(Db.One(String(u"SELECT COUNT(*) FROM ") + door.Table), u"0");
}

TEST_P(ListRoad, NewChangeAndCancelShowInTheGridAndTheTableAndACancelLeavesNoTrace) {
  const TListDoor& door = GetParam();
  TListForm* list = door.Form();
  TEditForm* edit = door.Editor();
  std::string afterNew, afterChange, afterCancel;
  OpenList(Admin, door);

  const TRoadTexts& texts = door.Texts;
  Press(list->AdvGlowButton1);
  TypeInto(door.TextEdit(), texts.Typed);
  if (door.Complete) Script().Then(door.Complete);
  Press(edit->AdvGlowButton1);
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), list) << "the edit form closed";
    afterNew = GridTexts(door);
    EXPECT_EQ(TableTexts(door), texts.Stored);
    EXPECT_EQ(Db.One(String(u"SELECT ") + door.StampField + NewRows(door)), u"1");
  });

  Press(list->AdvGlowButton2);
  Script().Then([&] { EXPECT_EQ(TextOf(door.TextEdit()), texts.Edited); });
  TypeInto(door.TextEdit(), texts.Added);  // the caret is at the end after the focus
  Press(edit->AdvGlowButton1);
  Script().Then([&] {
    afterChange = GridTexts(door);
    EXPECT_EQ(TableTexts(door), texts.StoredChanged);
  });

  Press(list->AdvGlowButton1);
  TypeInto(door.TextEdit(), texts.Cancelled);
  Press(edit->AdvGlowButton2);
  Script().Then([&] {
    EXPECT_EQ(list->ListQuery()->State(), dsBrowse);
    afterCancel = GridTexts(door);
    EXPECT_EQ(TableTexts(door), texts.StoredChanged);
    EXPECT_EQ(Db.One(u"SELECT COUNT(*)" + NewRows(door)), u"1");
  });
  CloseProgram();
  Application->Run();

  EXPECT_EQ(afterNew, texts.Shown);
  EXPECT_EQ(afterChange, texts.ShownChanged);
  EXPECT_EQ(afterCancel, texts.ShownChanged);
  EXPECT_TRUE(Dialogs.empty());
}

TEST_P(ListRoad, ExitClosesTheListAndItsQueryAndTheListOpensAgain) {
  const TListDoor& door = GetParam();
  TListForm* list = door.Form();
  Db.Exec(door.ListedRow ? String(door.ListedRow)
                         : String(u"INSERT INTO ") + door.Table + u" (" + door.TextField + u", " +
                               door.StampField + u") VALUES ('Постои', 1)");
  OpenList(Admin, door);
  Press(list->AdvGlowButton3);
  Script().Then([&] {
    EXPECT_FALSE(list->Visible());
    EXPECT_FALSE(list->ListQuery()->Active());
    Click(door.Opener());
  });
  Script().Then([&] {
    EXPECT_EQ(GridTexts(door), door.ListedText);
    list->Close();
  });
  Script().Then([&] { EXPECT_FALSE(list->ListQuery()->Active()) << "the close box too"; });
  CloseProgram();
  Application->Run();
}

INSTANTIATE_TEST_SUITE_P(Lists, ListRoad, ::testing::ValuesIn(AllDoors()), DoorName);

// --- The close box, a failed post and the auto-refresh, on the events list ---------------------

class EditFormEdges : public TFormTest {};

TEST_F(EditFormEdges, TheCloseBoxDropsAHalfTypedRowAndTheNextNewRowStartsEmpty) {
  OpenList(Admin, EventsList());
  Press(frmEvents->AdvGlowButton1);
  TypeInto(frmAddEditEvent->DBAdvEdit1, u"Недовршен");
  CloseBox();
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmEvents);
    EXPECT_EQ(frmEvents->Events->State(), dsBrowse);
    EXPECT_EQ(GridColumn(frmEvents->DBAdvGrid1, 1), "");
    EXPECT_EQ(Db.One(u"SELECT COUNT(*) FROM event"), u"0");
  });
  Press(frmEvents->AdvGlowButton1);
  Script().Then([&] { EXPECT_EQ(TextOf(frmAddEditEvent->DBAdvEdit1), ""); });
  TypeInto(frmAddEditEvent->DBAdvEdit1, u"Вистински");
  Press(frmAddEditEvent->AdvGlowButton1);
  CloseProgram();
  Application->Run();
  EXPECT_EQ(Db.One(u"SELECT GROUP_CONCAT(title SEPARATOR '|') FROM event"), u"Вистински");
  EXPECT_TRUE(Dialogs.empty());
}

TEST_F(EditFormEdges, APostOnAKilledSessionShowsItsErrorKeepsTheRowAndTheNextConfirmStoresIt) {
  OpenList(Admin, EventsList());
  Press(frmEvents->AdvGlowButton1);
  TypeInto(frmAddEditEvent->DBAdvEdit1, u"По прекин");
  Script().Then([&] { KillProgramSession(); });
  PressAndAnswer(frmAddEditEvent->AdvGlowButton1, mrOk);
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmAddEditEvent) << "the edit form stays open";
    EXPECT_EQ(frmEvents->Events->State(), dsInsert);
    EXPECT_EQ(TextOf(frmAddEditEvent->DBAdvEdit1), "По прекин");
    EXPECT_EQ(frmEvents->Events->FieldByName(u"created_by")->AsInteger(), 1) << "stamps stay";
    EXPECT_EQ(Db.One(u"SELECT COUNT(*) FROM event"), u"0");
  });
  Press(frmAddEditEvent->AdvGlowButton1);
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmEvents);
    EXPECT_EQ(GridColumn(frmEvents->DBAdvGrid1, 1), "По прекин");
  });
  CloseProgram();
  Application->Run();
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Type, mtError);
  EXPECT_EQ(Db.One(u"SELECT COUNT(*) FROM event WHERE title = 'По прекин'"), u"1");
  EXPECT_EQ(Db.One(u"SELECT COUNT(*) FROM event"), u"1");
}

TEST_F(EditFormEdges, AnOpenListShowsOtherSessionsRowsWithinAMinuteButNeverWhileEditing) {
  int refreshes = 0;
  frmEvents->Events->AfterRefresh = [&](TDataSet*) { ++refreshes; };
  OpenList(Regular, EventsList());
  Script().Then([&] {
    Db.Exec(u"INSERT INTO event (title, event_date, created_by) "
            u"VALUES ('Од друг', '2024-05-01 10:00:00', 2)");
  });
  Script().AdvanceBy(60000);
  Script().Then([&] { EXPECT_EQ(GridColumn(frmEvents->DBAdvGrid1, 1), "Од друг"); });
  CloseProgram();
  Application->Run();
  EXPECT_GE(refreshes, 1);
}

TEST_F(EditFormEdges, NoRefreshRunsWhileTheEditFormIsOpenAndTheTypedValuesStay) {
  int refreshes = 0;
  frmEvents->Events->AfterRefresh = [&](TDataSet*) { ++refreshes; };
  OpenList(Admin, EventsList());
  Press(frmEvents->AdvGlowButton1);
  TypeInto(frmAddEditEvent->DBAdvEdit1, u"Се пишува");
  Script().Then([&] {
    refreshes = 0;
    Db.Exec(u"INSERT INTO event (title, event_date, created_by) "
            u"VALUES ('Од друг', '2024-05-01 10:00:00', 2)");
  });
  Script().AdvanceBy(180000);
  Script().Then([&] {
    EXPECT_EQ(refreshes, 0);
    EXPECT_EQ(frmEvents->Events->State(), dsInsert);
    EXPECT_EQ(TextOf(frmAddEditEvent->DBAdvEdit1), "Се пишува");
  });
  Press(frmAddEditEvent->AdvGlowButton1);
  Script().Then([&] {
    EXPECT_EQ(GridColumn(frmEvents->DBAdvGrid1, 1).find("Се пишува") != std::string::npos, true);
  });
  CloseProgram();
  Application->Run();
  EXPECT_EQ(Db.One(u"SELECT GROUP_CONCAT(title ORDER BY id SEPARATOR '|') FROM event"),
            u"Од друг|Се пишува");
}

}  // namespace
