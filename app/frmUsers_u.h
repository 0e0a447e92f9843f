// The list of the association's members, who are also the program's users, by id. The user named
// "demo" may not be changed from here.
#pragma once

#include "app/FormPattern.h"

class TfrmUsers : public TListForm {
 public:
  explicit TfrmUsers(TComponent* owner);

  TMyQuery* Users;
  TMyDataSource* dsUsers;
  // Whether a user name is taken by another user than p_id; asked by the edit form.
  TMyQuery* CheckUsername;

  // Change, as every list has it, but never for the user named exactly "demo".
  void AdvGlowButton2Click(TObject* sender);

 protected:
  TEditForm* EditForm() const override;
  // A new member is an active regular user who was born, joined and was made today.
  void SetPresets(TDataSet* row) override;
};

extern TfrmUsers* frmUsers;
