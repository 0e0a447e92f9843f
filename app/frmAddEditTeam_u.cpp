#include "app/frmAddEditTeam_u.h"

TfrmAddEditTeam* frmAddEditTeam = nullptr;

namespace {

// A team is active or closed; each status is stored as its own word.
const std::vector<TValueChoice> TeamStatuses{{u"Active", u"Active"}, {u"Closed", u"Closed"}};

}  // namespace

TfrmAddEditTeam::TfrmAddEditTeam(TComponent* owner)
    : TEditForm(owner, u"Нов/Промена Тим", 520, 420) {
  DBAdvEdit1 = NewEdit(u"title", u"Краток опис за тимот", TDataEditLabelPosition::lpTopCenter,
                       {20, 32, 500, 56});
  Label1 = NewCaption(u"Статус", {20, 72, 220, 92});
  AdvDBComboBox1 = NewValueCombo(u"status", TeamStatuses, {20, 94, 220, 118});
  Label2 = NewCaption(u"Опис на тимски должности", {20, 134, 500, 154});
  DBAdvMemo1 = NewMemo(u"description", {20, 156, 500, 354});
}
