#include "app/frmEvents_u.h"

#include "app/frmAddEditEvent_u.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"

TfrmEvents* frmEvents = nullptr;

TfrmEvents::TfrmEvents(TComponent* owner)
    : TListForm(owner, {u"Настани",
                        u"Листа на настани",
                        u"Нов настан",
                        u"Промени настан",
                        u"Одберете настан за промена!",
                        {{u"event_date", u"Датум на настан", 100, taLeftJustify},
                         {u"title", u"Краток опис", 289, taLeftJustify},
                         {u"full_name", u"Креирано од", 200, taLeftJustify},
                         {u"status", u"Статус", 132, taLeftJustify}}}) {
  Events = NewQuery(
      u"select e.*, concat(u.name, ' ', u.surname) as full_name from event e,users u "
      u"where e.created_by = u.id order by event_date desc");
  dsEvents = new TMyDataSource(this);
  SetList(Events, dsEvents);
}

TEditForm* TfrmEvents::EditForm() const { return frmAddEditEvent; }

void TfrmEvents::SetPresets(TDataSet* row) {
  row->FieldByName(u"event_date")->SetAsDateTime(Date() + Time());
  row->FieldByName(u"status")->SetAsString(u"Active");
}
