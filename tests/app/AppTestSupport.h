// What the program's tests share: a fresh database per test on the private server, made from the
// program's own schema and a small seed; the program's forms made as the program makes them, on
// the headless back end, with the main window's connection pointed at that database; and a few
// helpers to drive the login dialog and to end the program's session from outside.
#pragma once

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "MySql/MyAccess.h"
#include "app/Program.h"
#include "app/frmAbout_u.h"
#include "app/frmAddEditArticle_u.h"
#include "app/frmAddEditClient_u.h"
#include "app/frmAddEditCost_u.h"
#include "app/frmAddEditEvent_u.h"
#include "app/frmAddEditNews_u.h"
#include "app/frmAddEditTask_u.h"
#include "app/frmAddEditTeam_u.h"
#include "app/frmAddEditUser_u.h"
#include "app/frmAddEditPaymentOUT_u.h"
#include "app/frmAddEditPayment_u.h"
#include "app/frmArticleInOut_u.h"
#include "app/frmArticles_u.h"
#include "app/frmClients_u.h"
#include "app/frmCosts_u.h"
#include "app/frmEvents_u.h"
#include "app/frmLogin_u.h"
#include "app/frmMain_u.h"
#include "app/frmModifyOwnData_u.h"
#include "app/frmNews_u.h"
#include "app/frmTaskMembers_u.h"
#include "app/frmTasks_u.h"
#include "app/frmTeamMembers_u.h"
#include "app/frmTeams_u.h"
#include "app/frmUsers_u.h"
#include "app/frmPaymentOUT_u.h"
#include "app/frmPayment_u.h"
#include "app/frmPreviewArticleInOut_u.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/UiTestSupport.h"

namespace apptest {

// The statements of the program's schema file, comments left out.
inline std::vector<String> SchemaStatements() {
  std::ifstream in(ASSOC_SOURCE_DIR "/app/schema.sql");
  std::vector<String> statements;
  std::string line, current;
  while (std::getline(in, line)) {
    if (line.rfind("--", 0) == 0) continue;
    current += line + "\n";
    if (!line.empty() && line.back() == ';') {
      statements.push_back(UTF8ToString(current));
      current.clear();
    }
  }
  return statements;
}

// The users every test finds: an administrator, a regular user, a member, a user of a type the
// program does not know and one without a type.
inline const char16_t* const SeedUsers =
    u"INSERT INTO users (id, name, surname, username, password, user_type) VALUES "
    u"(1, 'Ана', 'Админовска', 'admin', 'Тајна-1', 1), "
    u"(2, 'Бојан', 'Редовски', 'bojan', 'redoven', 2), "
    u"(3, 'Вера', 'Членовска', 'vera', 'clen', 3), "
    u"(4, 'Гоце', 'Седмовски', 'goce', 'sedum', 7), "
    u"(5, 'Дарко', 'Безтипов', 'darko', 'nisto', NULL)";

// A database of its own, dropped again when the test ends.
class TAppDatabase {
 public:
  TAppDatabase() {
    static std::atomic<int> counter{0};
    Name = u"app_" + UTF8ToString(std::to_string(getpid())) + u"_" +
           UTF8ToString(std::to_string(++counter));
    FAdmin.Exec(u"DROP DATABASE IF EXISTS " + Name);
    FAdmin.Exec(u"CREATE DATABASE " + Name + u" CHARACTER SET utf8mb4");
    FAdmin.Exec(u"USE " + Name);
    for (const String& statement : SchemaStatements()) FAdmin.Exec(statement);
    FAdmin.Exec(SeedUsers);
  }
  ~TAppDatabase() {
    try {
      FAdmin.Exec(u"DROP DATABASE IF EXISTS " + Name);
    } catch (...) {
    }
  }
  void Exec(const String& sql) { FAdmin.Exec(sql); }
  // The first column of the first row: "<none>" without a row, "<null>" for NULL.
  String One(const String& sql) { return FAdmin.One(sql); }
  // Points a connection component at this database as the test user.
  void Apply(TMyConnection* connection) const {
    ApplyTestSettings(*connection);
    connection->SetDatabase(Name);
  }

  String Name;

 private:
  TOtherSession FAdmin;
};

// What a person clicks in the program: a control, or an item of the main window's menu, whose
// place is taken when the click happens.
struct TClickTarget {
  TClickTarget(TControl* control) : Control(control) {}
  TControl* Control = nullptr;
  int MenuItem = -1;
};
inline TClickTarget MenuItem(int index) {
  TClickTarget target(nullptr);
  target.MenuItem = index;
  return target;
}

// The program on the headless back end: its forms made as the program makes them, the
// connection pointed at the test's database before the main window first activates.
class TAppTest : public uitest::TUiTest {
 public:
  using TUiTest::Click;
  static void Click(const TClickTarget& target) {
    if (target.Control != nullptr) {
      Click(target.Control);
      return;
    }
    TItemMenu* menu = frmMain->AdvSmoothMenu1;
    const TGPFloatRect& cell = menu->Items()->Items(target.MenuItem)->ItemRect();
    ClickAt(menu->ClientToScreen({static_cast<int>(cell.X + cell.Width / 2),
                                  static_cast<int>(cell.Y + cell.Height / 2)}));
  }

  TAppTest() {
    Application->SetTitle(u"V.O. Zavel Tremavolt");
    CreateForms();
    BindForms();
    Db.Apply(frmMain->myConnection);
    frmLogin->OnShow = [this](TObject*) { ++LoginShown; };
  }
  ~TAppTest() override {
    // The session frees the forms; nothing may reach them through the program's names after.
    frmMain = nullptr;
    frmLogin = nullptr;
    frmEvents = nullptr;
    frmAddEditEvent = nullptr;
    frmAddEditNews = nullptr;
    frmNews = nullptr;
    frmAddEditUser = nullptr;
    frmUsers = nullptr;
    frmAddEditTask = nullptr;
    frmTasks = nullptr;
    frmTaskMembers = nullptr;
    frmTeams = nullptr;
    frmAddEditTeam = nullptr;
    frmTeamMembers = nullptr;
    frmModifyOwnData = nullptr;
    frmAddEditPayment = nullptr;
    frmPayment = nullptr;
    frmAddEditArticle = nullptr;
    frmArticles = nullptr;
    frmArticleInOut = nullptr;
    frmPreviewArticleInOut = nullptr;
    frmAddEditPaymentOUT = nullptr;
    frmPaymentOUT = nullptr;
    frmAddEditCost = nullptr;
    frmCosts = nullptr;
    frmAddEditClient = nullptr;
    frmClients = nullptr;
    frmAbout = nullptr;
  }

  // Script steps: type into the login dialog's edits and press its confirm button.
  void Attempt(const String& userName, const String& password) {
    Script().Then([=] {
      frmLogin->AdvEdit1->SetText(userName);
      frmLogin->AdvEdit2->SetText(password);
      Click(frmLogin->AdvGlowButton1);
    });
  }
  // A successful login as this user (the password of the seed).
  void LogIn(const String& userName, const String& password) { Attempt(userName, password); }

  // Ends the program's session on the server from the test's own connection, as a server
  // restart or a dropped line would.
  void KillProgramSession() {
    TMyQuery id(nullptr);
    id.SetConnection(frmMain->myConnection);
    id.SetSQLText(u"select connection_id() as cid");
    id.Open();
    Db.Exec(u"KILL CONNECTION " + id.FieldByName(u"cid")->AsString());
  }

  // Which of the menu's items are enabled, as a digit per item ("1" enabled).
  static std::string MenuState() {
    std::string state;
    for (int i = 0; i < frmMain->AdvSmoothMenu1->Items()->Count(); ++i)
      state += frmMain->AdvSmoothMenu1->Items()->Items(i)->Enabled() ? '1' : '0';
    return state;
  }

  TAppDatabase Db;
  int LoginShown = 0;
};

}  // namespace apptest
