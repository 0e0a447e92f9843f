#include "app/frmTeamMembers_u.h"

TfrmTeamMembers* frmTeamMembers = nullptr;

TfrmTeamMembers::TfrmTeamMembers(TComponent* owner)
    : TMembersForm(owner, {u"Членови тимот", u"team_member", u"team_id", true}) {}
