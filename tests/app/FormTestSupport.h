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

// A list form as a person reaches it, and where the roads of the tests type and look: the form,
// the main window's menu item or button that opens it, its edit form, a one-line text field of
// the edit form with its table column and the grid column that shows it, and the change
// button's warning. The members are called when the test runs, after the forms exist.
struct TListDoor {
  const char* Name;
  std::function<TListForm*()> Form;
  std::function<TControl*()> Opener;
  std::function<TEditForm*()> Editor;
  std::function<TDataEdit*()> TextEdit;
  const char16_t* Table;
  const char16_t* TextField;
  int TextGridColumn;
  const char16_t* ChangeWarning;
};
inline TControl* MenuItem(int index) { return frmMain->AdvSmoothMenu1->Items(index); }
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
  void Press(TControl* control) {
    Script().Then([control] { Click(control); });
  }
  // Script steps: a click on the control, then an answer to the message box it shows. The box
  // is recorded in Dialogs.
  void PressAndAnswer(TControl* control, TModalResult answer) {
    Press(control);
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
