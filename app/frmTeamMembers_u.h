// The members of one team: the assignable users, searched, beside the team's members, under a
// heading that names the team.
#pragma once

#include "app/MembersForm.h"

class TfrmTeamMembers : public TMembersForm {
 public:
  explicit TfrmTeamMembers(TComponent* owner);

  // The team's id, set by the teams list before it shows the form, with the heading.
  int& TeamId = OwnerId;
  TMyQuery*& TeamMembers = Assigned;
  TMyDataSource*& dsTeamMembers = dsAssigned;
};

extern TfrmTeamMembers* frmTeamMembers;
