// What the tests of the list and edit forms share: the seed users by type, the ways a person
// opens each list from the main window, script steps that log in and open a list, press a button
// and answer the message box it shows, and readers of a grid's cells and a control's text as
// UTF-8 (so that a failing comparison prints readable Cyrillic).
//
// A test schedules script steps and then runs the program's loop; a step that opens a modal form
// (a list, an edit form, a message box) returns only when that form closes, so the steps after
// it run inside the form:
//
//   OpenList(Admin, EventsList());
//   Press(frmEvents->AdvGlowButton1);                 // the edit form is now open
//   Script().Then([&] { ... fill it, check it ... });
//   PressAndAnswer(frmEvents->AdvGlowButton2, mrOk);  // a warning box, answered
//   CloseProgram();
//   Application->Run();
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "app/FormPattern.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumberText.h"
#include "tests/app/AppTestSupport.h"

namespace apptest {

// A user of the seed, by the rights the type gives.
struct TSeedUser {
  int Id;
  int Type;
  const char16_t* UserName;
  const char16_t* Password;
  const char* FullName;  // as the lists show who confirmed a row
};
inline const TSeedUser Admin{1, 1, u"admin", u"Тајна-1", "Ана Админовска"};
inline const TSeedUser Regular{2, 2, u"bojan", u"redoven", "Бојан Редовски"};
inline const TSeedUser Member{3, 3, u"vera", u"clen", "Вера Членовска"};
// A second administrator, added by the tests that need one (AddSecondAdmin).
inline const TSeedUser SecondAdmin{6, 1, u"goran", u"vtor", "Горан Второски"};

// What the road of a list types into its text field and how it comes back: a new row's text,
// what a change adds after it, a cancelled row's text; the column's value in the table after the
// new row and after the change; the grid's text after both; the edit's text when the change
// opens. The defaults suit a titled record.
struct TRoadTexts {
  const char16_t* Typed = u"Прв запис";
  const char16_t* Added = u" (изменет)";
  const char16_t* Cancelled = u"Откажан";
  const char16_t* Stored = u"Прв запис";
  const char16_t* StoredChanged = u"Прв запис (изменет)";
  const char* Shown = "Прв запис";
  const char* ShownChanged = "Прв запис (изменет)";
  const char* Edited = "Прв запис";
};

// A list form as a person reaches it, and where the roads of the tests type and look: the form,
// the main window's menu item or button that opens it, its edit form, a one-line text field of
// the edit form with its table column and the grid column that shows it, and the change
// button's warning. The members are called when the test runs, after the forms exist.
// The members after those say where a family differs from a titled record, with the defaults
// for one.
struct TListDoor {
  const char* Name;
  std::function<TListForm*()> Form;
  std::function<TClickTarget()> Opener;
  std::function<TEditForm*()> Editor;
  std::function<TDataEdit*()> TextEdit;
  const char16_t* Table;
  const char16_t* TextField;
  int TextGridColumn;
  const char16_t* ChangeWarning;
  // The column of the who-stamp.
  const char16_t* StampField = u"created_by";
  TRoadTexts Texts = {};
  // Rows the road needs first (the persons a donation names), run before the program starts.
  std::function<void(TAppDatabase&)> Prepare = nullptr;
  // A script step in the edit form of a new row, before it is confirmed: what the form checks
  // besides the text (a chosen person).
  std::function<void()> Complete = nullptr;
  // One row the list shows, and its text in the grid's text column; by default the text field
  // "Постои" stamped by user 1.
  const char16_t* ListedRow = nullptr;
  const char* ListedText = "Постои";
  // The highest user type whose menu lets the list open (a member opens only events, news and
  // persons).
  int MaxUserType = 3;
  // A list over a table the seed fills (the members) names how many rows the seed puts
  // there, ids 1 and up; they are listed first.
  int SeedRows = 0;
};
inline TListDoor EventsList() {
  return {"events",
          [] { return frmEvents; },
          [] { return MenuItem(0); },
          [] { return frmAddEditEvent; },
          [] { return frmAddEditEvent->DBAdvEdit1; },
          u"event",
          u"title",
          1,
          u"Одберете настан за промена!"};
}
inline TListDoor NewsList() {
  return {"news",
          [] { return frmNews; },
          [] { return MenuItem(1); },
          [] { return frmAddEditNews; },
          [] { return frmAddEditNews->DBAdvEdit1; },
          u"news",
          u"title",
          0,
          u"Одберете новост за промена!"};
}
inline TListDoor PersonsList() {
  return {"persons",
          [] { return frmClients; },
          [] { return frmMain->AdvGlowButton2; },
          [] { return frmAddEditClient; },
          [] { return frmAddEditClient->DBAdvEdit1; },
          u"clients",
          u"full_name",
          1,
          u"Одберете лице за промена!"};
}
// The donation and cost lists name a person, and their edit forms refuse a row without one.
inline void AddPerson(TAppDatabase& db) {
  db.Exec(u"INSERT INTO clients (id, full_name, address) VALUES (1, 'Лице', 'Скопје')");
}
// A script step: the first person of the picker is chosen with the keyboard.
inline void ChoosePerson(TDataLookupCombo* picker) {
  picker->SetFocus();
  uitest::TUiTest::Key(VK_DOWN);
}
// An amount typed into a numeric edit, as it is stored and shown.
inline const TRoadTexts AmountTexts{u"12",   u"34",    u"99",       u"12",
                                    u"1234", "12.00", "1,234.00", "12"};
inline TListDoor PaymentsList(int type) {
  TListDoor door{type == 1 ? "payments_in" : "payments_out",
                 [type]() -> TListForm* {
                   if (type == 1) return frmPayment;
                   return frmPaymentOUT;
                 },
                 [type] { return MenuItem(type == 1 ? 6 : 7); },
                 [type]() -> TEditForm* {
                   if (type == 1) return frmAddEditPayment;
                   return frmAddEditPaymentOUT;
                 },
                 [type]() -> TDataEdit* {
                   if (type == 1) return frmAddEditPayment->DBAdvEdit1;
                   return frmAddEditPaymentOUT->DBAdvEdit1;
                 },
                 u"payment",
                 u"amount",
                 2,
                 u"Одберете донација за промена!"};
  door.StampField = u"added_by";
  door.Texts = AmountTexts;
  door.Prepare = AddPerson;
  door.Complete = [type] {
    ChoosePerson(type == 1 ? frmAddEditPayment->AdvDBLookupComboBox1
                           : frmAddEditPaymentOUT->AdvDBLookupComboBox1);
  };
  door.ListedRow = type == 1 ? u"INSERT INTO payment (client_id, amount, type, added_by) "
                               u"VALUES (1, 7, 1, 1)"
                             : u"INSERT INTO payment (client_id, amount, type, added_by) "
                               u"VALUES (1, 7, 2, 1)";
  door.ListedText = "7.00";
  door.MaxUserType = 2;
  return door;
}
inline TListDoor CostsList() {
  TListDoor door{"costs",
                 [] { return frmCosts; },
                 [] { return MenuItem(8); },
                 [] { return frmAddEditCost; },
                 [] { return frmAddEditCost->DBAdvEdit2; },
                 u"cost",
                 u"invoice_no",
                 1,
                 u"Одберете донација за промена!"};
  door.StampField = u"added_by";
  door.Prepare = AddPerson;
  door.Complete = [] { ChoosePerson(frmAddEditCost->AdvDBLookupComboBox1); };
  door.ListedRow =
      u"INSERT INTO cost (client_id, invoice_no, added_by) VALUES (1, 'Постои', 1)";
  door.MaxUserType = 2;
  return door;
}
inline TListDoor ArticlesList() {
  TListDoor door{"articles",
                 [] { return frmArticles; },
                 [] { return MenuItem(3); },
                 [] { return frmAddEditArticle; },
                 [] { return frmAddEditArticle->DBAdvEdit1; },
                 u"article",
                 u"title",
                 1,
                 u"Одберете артикал за промена!"};
  door.StampField = u"added_by";
  door.MaxUserType = 2;
  return door;
}
// A member's menu offers neither tasks, teams nor the members list.
inline TListDoor TasksList() {
  TListDoor door{"tasks",
                 [] { return frmTasks; },
                 [] { return MenuItem(2); },
                 [] { return frmAddEditTask; },
                 [] { return frmAddEditTask->DBAdvEdit1; },
                 u"task",
                 u"title",
                 1,
                 u"Одберете задача за промена!"};
  door.MaxUserType = 2;
  return door;
}
inline TListDoor TeamsList() {
  TListDoor door{"teams",
                 [] { return frmTeams; },
                 [] { return MenuItem(5); },
                 [] { return frmAddEditTeam; },
                 [] { return frmAddEditTeam->DBAdvEdit1; },
                 u"team",
                 u"title",
                 0,
                 u"Одберете тим за промена!"};
  door.MaxUserType = 2;
  return door;
}
inline TListDoor UsersList() {
  TListDoor door{"members",
                 [] { return frmUsers; },
                 [] { return MenuItem(4); },
                 [] { return frmAddEditUser; },
                 [] { return frmAddEditUser->DBAdvEdit1; },
                 u"users",
                 u"name",
                 1,
                 u"Одберете корисник за промена!"};
  door.MaxUserType = 2;
  door.SeedRows = 5;
  return door;
}
// gtest prints a door by its name.
inline void PrintTo(const TListDoor& door, std::ostream* out) { *out << door.Name; }
// gtest's name of a door's case.
inline std::string DoorName(const ::testing::TestParamInfo<TListDoor>& info) {
  return info.param.Name;
}

// The texts a grid shows in one column (0 is the first after the fixed column), row by row,
// joined by "|".
inline std::string GridColumn(TDataGrid* grid, int column) {
  std::string out;
  const int rows = grid->RowCount() - 1;
  for (int record = 0; record < rows; ++record) {
    if (record > 0) out += "|";
    out += UTF8Encode(grid->CellText(column, record));
  }
  return out;
}
// A grid column's texts without the rows of the seed, which the list shows first.
inline std::string AfterSeed(const std::string& column, int seedRows) {
  size_t at = 0;
  for (int i = 0; i < seedRows && at != std::string::npos; ++i) {
    at = column.find('|', at);
    if (at != std::string::npos) ++at;
  }
  return at == std::string::npos ? std::string() : column.substr(at);
}
inline std::string TextOf(TControl* control) { return UTF8Encode(control->Text()); }

// The local date and time as the server writes a date-time column: "yyyy-mm-dd hh:nn:ss".
inline String SqlNow() { return FormatDateTime(u"yyyy-mm-dd hh:nn:ss", Now()); }

class TFormTest : public TAppTest {
 public:
  // Script steps: log in as the user, then open the list as a person does.
  void OpenList(const TSeedUser& user, const TListDoor& door) {
    LogIn(user.UserName, user.Password);
    Script().Then([door] { Click(door.Opener()); });
  }
  // A script step: the focus goes to the control and the text is typed at the end of its line.
  void TypeInto(TWinControl* control, const String& text) {
    Script().Then([control, text] {
      control->SetFocus();
      Key(VK_END);
      Type(text);
    });
  }
  // A script step: a click on the control (it may open a modal form).
  void Press(TClickTarget target) {
    Script().Then([target] { Click(target); });
  }
  // Script steps: a click on the control, then an answer to the message box it shows. The box
  // is recorded in Dialogs.
  void PressAndAnswer(TClickTarget target, TModalResult answer) {
    Press(target);
    AnswerDialog(answer);
  }
  // Script steps: the active modal form closes with its close box, as a window manager asks.
  void CloseBox() {
    Script().Then([] { Screen->ActiveCustomForm()->Close(); });
  }
  // A script step that ends the program wherever the script is: every modal form and the main
  // window close.
  void CloseProgram() {
    Script().Then([] { Application->Terminate(); });
  }

  // A second administrator for the tests where two of them confirm rows.
  void AddSecondAdmin() {
    Db.Exec(u"INSERT INTO users (id, name, surname, username, password, user_type) VALUES "
            u"(6, 'Горан', 'Второски', 'goran', 'vtor', 1)");
  }

  // The seconds between a date-time the query selects and the local time now; -1 for none.
  int SecondsFromNow(const String& sql) {
    const String seconds =
        Db.One(u"SELECT ABS(TIMESTAMPDIFF(SECOND, (" + sql + u"), '" + SqlNow() + u"'))");
    return seconds.empty() || seconds[0] == u'<' ? -1 : std::stoi(UTF8Encode(seconds));
  }
};

}  // namespace apptest
