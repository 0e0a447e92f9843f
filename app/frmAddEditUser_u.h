// The edit form of one member: names, login, contact data, status and dates. The user name must
// not be another user's; the type is shown and cannot be changed.
#pragma once

#include "app/FormPattern.h"
#include "app/MemberFields.h"

class TfrmAddEditUser : public TEditForm, public TMemberFields {
 public:
  explicit TfrmAddEditUser(TComponent* owner);

 protected:
  TWinControl* FirstControl() const override { return DBAdvEdit1; }
  // "Веќе постои корисничко име - <name>!" when another user has the name, in any letter case.
  String FailedCheck() override;
};

extern TfrmAddEditUser* frmAddEditUser;
