#include "app/frmTaskMembers_u.h"

TfrmTaskMembers* frmTaskMembers = nullptr;

TfrmTaskMembers::TfrmTaskMembers(TComponent* owner)
    : TMembersForm(owner, {u"Членови доделени на задачата", u"task_member", u"task_id", false}) {}
