#include "app/frmClients_u.h"

#include "app/frmAddEditClient_u.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"

TfrmClients* frmClients = nullptr;

TfrmClients::TfrmClients(TComponent* owner)
    : TListForm(owner, {u"Ф/П Лица",
                        u"Листа на Физички/Правни лица",
                        u"Нов член",
                        u"Промени член",
                        u"Одберете лице за промена!",
                        {{u"id", u"Број", 70, taRightJustify},
                         {u"full_name", u"Назив", 130, taLeftJustify},
                         {u"address", u"Адреса", 130, taLeftJustify},
                         {u"city", u"Град", 120, taLeftJustify},
                         {u"phone", u"Телефон", 130, taLeftJustify},
                         {u"email", u"Email", 140, taLeftJustify},
                         {u"active", u"Активен", 130, taRightJustify}}}) {
  Users = NewQuery(u"select * from clients order by id,full_name");
  dsUsers = new TMyDataSource(this);
  SetList(Users, dsUsers);
}

TEditForm* TfrmClients::EditForm() const { return frmAddEditClient; }

void TfrmClients::SetPresets(TDataSet* row) {
  const TDateTime now = Date() + Time();
  row->FieldByName(u"date_of_birth")->SetAsDateTime(now);
  row->FieldByName(u"member_from")->SetAsDateTime(now);
  row->FieldByName(u"created_on")->SetAsDateTime(now);
  row->FieldByName(u"active")->SetAsInteger(1);
  row->FieldByName(u"user_type")->SetAsInteger(2);
}
