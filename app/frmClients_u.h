// The list of natural and legal persons (donors, recipients of donations, invoicing parties), in
// the order they were entered.
#pragma once

#include "app/FormPattern.h"

class TfrmClients : public TListForm {
 public:
  explicit TfrmClients(TComponent* owner);

  TMyQuery* Users;
  TMyDataSource* dsUsers;

 protected:
  TEditForm* EditForm() const override;
  // A new person is active, of user type 2, and born and a member from now: columns no form
  // shows, kept as the association's records expect them.
  void SetPresets(TDataSet* row) override;
};

extern TfrmClients* frmClients;
