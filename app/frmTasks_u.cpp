#include "app/frmTasks_u.h"

#include "app/frmAddEditTask_u.h"
#include "app/frmTaskMembers_u.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/ui/Dialogs.h"

TfrmTasks* frmTasks = nullptr;

TfrmTasks::TfrmTasks(TComponent* owner)
    : TListForm(owner, {u"Задачи",
                        u"Листа на задачи",
                        u"Нова задача",
                        u"Промени задача",
                        u"Одберете задача за промена!",
                        {{u"created_on", u"Креирано на", 100, taLeftJustify},
                         {u"title", u"Краток опис", 289, taLeftJustify},
                         {u"full_name", u"Креирано од", 200, taLeftJustify},
                         {u"status", u"Статус", 132, taLeftJustify}}}) {
  Tasks = NewQuery(
      u"select t.*, concat(u.name, ' ', u.surname) as full_name from task t,users u "
      u"where t.created_by = u.id order by created_on desc");
  dsTasks = new TMyDataSource(this);
  SetList(Tasks, dsTasks);
  const TListPopup popup =
      AddMembersPopup(this, u"Десен клик на задача за менаџирање на одговорни членови",
                      [this](TObject* sender) { N1Click(sender); });
  Label2 = popup.Hint;
  PopupMenu1 = popup.Menu;
  N1 = popup.Item;
}

TEditForm* TfrmTasks::EditForm() const { return frmAddEditTask; }

void TfrmTasks::SetPresets(TDataSet* row) {
  row->FieldByName(u"created_on")->SetAsDateTime(Date() + Time());
  row->FieldByName(u"status")->SetAsString(u"Active");
}

void TfrmTasks::N1Click(TObject*) {
  const int id = Tasks->FieldByName(u"id")->AsInteger();
  if (id <= 0) {
    MessageDlg(u"Одберете задача!", mtWarning, TMsgDlgButtons{mbOK});
    return;
  }
  frmTaskMembers->TaskId = id;
  frmTaskMembers->ShowModal();
}
