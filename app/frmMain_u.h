// The main window: the program's one connection with the login and keep-alive queries, the
// logged-in user, the menu whose items follow the user's rights, and the panel that shows who is
// logged in.
#pragma once

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "app/FormControls.h"
#include "platform/rtl/DateTime.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Timer.h"

class TfrmMain : public TForm {
 public:
  explicit TfrmMain(TComponent* owner);

  // The logged-in user, read by the login form and by the list forms.
  int FirstActivation = 1;
  int UserId = 0;
  int UserType = -1;
  TDateTime LoggedAt = 0;
  String UserFullName;
  String UserName;

  TImage* Image1;
  TBannerLabel* AdvSmoothLabel1;
  TBannerLabel* AdvSmoothLabel2;
  TBannerLabel* AdvSmoothLabel3;
  TItemMenu* AdvSmoothMenu1;
  TUserPanel* AdvSmoothExpanderButtonPanel1;
  TLabel* Label1;
  TLabel* lblLogged;
  TLabel* Label3;
  TLabel* lblLogged_at;
  TActionButton* AdvGlowButton1;
  TActionButton* AdvGlowButton2;
  TActionButton* AdvGlowButton3;
  TMyConnection* myConnection;
  TMyQuery* Login;
  TMyQuery* Ping;
  TTimer* Timer1;

  void FormCreate(TObject* sender);
  void FormActivate(TObject* sender);
  void Timer1Timer(TObject* sender);
  void AdvSmoothMenu1ItemClick(TObject* sender, int itemIndex);
  void AdvGlowButton1Click(TObject* sender);
  void AdvGlowButton2Click(TObject* sender);
  void AdvGlowButton3Click(TObject* sender);

 private:
  void ApplyRights();
  // While the box of a failed keep-alive is open, further ticks wait for it.
  bool FKeepAliveErrorShown = false;
};

extern TfrmMain* frmMain;

// The menu items each type of user may choose, besides the exit item: type 1 items 0 to 9, type 2
// items 0 to 8, type 3 items 0 and 1, any other type none.
bool MenuItemAllowed(int userType, int itemIndex);

// Where the database server is: ASSOC_DB_HOST and ASSOC_DB_PORT, else 127.0.0.1 and 3306.
void ApplyServerFromEnvironment(TMyConnection* connection);
