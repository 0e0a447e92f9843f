// The login dialog: a user name and a password looked up in the users table through the main
// window's login query; a match hands the user to the main window.
#pragma once

#include "app/FormControls.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"

class TfrmLogin : public TForm {
 public:
  explicit TfrmLogin(TComponent* owner);

  TDataCaptionLabel* DBAdvSmoothLabel1;
  TCaptionedEdit* AdvEdit1;
  TCaptionedEdit* AdvEdit2;
  TActionButton* AdvGlowButton1;
  TActionButton* AdvGlowButton2;
  TActionList* ActionList1;
  TAction* Esc;

  void AdvGlowButton1Click(TObject* sender);
  void AdvGlowButton2Click(TObject* sender);
  void EscExecute(TObject* sender);
  void AdvEdit1KeyDown(TObject* sender, WORD& key, TShiftState shift);
  void AdvEdit2KeyDown(TObject* sender, WORD& key, TShiftState shift);
};

extern TfrmLogin* frmLogin;
