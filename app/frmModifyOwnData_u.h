// The logged-in user's own row, shown in edit state with its confirm button disabled: the user
// sees his data and may type, but nothing is ever stored from here. The user name, status,
// membership date and type cannot be edited at all.
#pragma once

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "app/MemberFields.h"
#include "platform/ui/Forms.h"

class TfrmModifyOwnData : public TForm, public TMemberFields {
 public:
  explicit TfrmModifyOwnData(TComponent* owner);

  // The user's row: "select * from users where id = :p_id".
  TMyQuery* Users;
  TMyDataSource* dsUsers;
  TActionButton* AdvGlowButton1;  // "ПОТВРДИ", disabled for good
  TActionButton* AdvGlowButton2;  // "ОТКАЖИ"

  void FormActivate(TObject* sender);
  void AdvGlowButton2Click(TObject* sender);
};

extern TfrmModifyOwnData* frmModifyOwnData;
