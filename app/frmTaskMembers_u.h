// The users responsible for one task: the assignable users, searched, beside those assigned.
#pragma once

#include "app/MembersForm.h"

class TfrmTaskMembers : public TMembersForm {
 public:
  explicit TfrmTaskMembers(TComponent* owner);

  // The task's id, set by the tasks list before it shows the form.
  int& TaskId = OwnerId;
  TMyQuery*& TaskMembers = Assigned;
  TMyDataSource*& dsTaskMembers = dsAssigned;
};

extern TfrmTaskMembers* frmTaskMembers;
