#include "app/frmAddEditTask_u.h"

#include "app/StatusChoices.h"

TfrmAddEditTask* frmAddEditTask = nullptr;

// The caption is the one the events form has: the association's own wording for this form.
TfrmAddEditTask::TfrmAddEditTask(TComponent* owner)
    : TEditForm(owner, u"Нов/Промена Настан", 520, 420) {
  DBAdvEdit1 =
      NewEdit(u"title", u"Краток опис", TDataEditLabelPosition::lpTopCenter, {20, 32, 500, 56});
  Label1 = NewCaption(u"Статус", {20, 72, 220, 92});
  AdvDBComboBox1 = NewValueCombo(u"status", RecordStatuses, {20, 94, 220, 118});
  Label2 = NewCaption(u"Опис на задача", {20, 134, 500, 154});
  DBAdvMemo1 = NewMemo(u"description", {20, 156, 500, 354});
}
