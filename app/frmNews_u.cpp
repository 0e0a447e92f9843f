#include "app/frmNews_u.h"

#include "app/frmAddEditNews_u.h"
#include "platform/db/Fields.h"

TfrmNews* frmNews = nullptr;

TfrmNews::TfrmNews(TComponent* owner)
    : TListForm(owner, {u"Новости",
                        u"Листа на новости",
                        u"Нова вест",
                        u"Промени вест",
                        u"Одберете новост за промена!",
                        {{u"title", u"Краток опис", 440, taLeftJustify},
                         {u"full_name", u"Креирано од", 170, taLeftJustify},
                         {u"status", u"Статус", 115, taLeftJustify}}}) {
  News = NewQuery(
      u"select n.*, concat(u.name, ' ', u.surname) as full_name from news n,users u "
      u"where n.created_by = u.id order by id desc");
  dsNews = new TMyDataSource(this);
  SetList(News, dsNews);
}

TEditForm* TfrmNews::EditForm() const { return frmAddEditNews; }

void TfrmNews::SetPresets(TDataSet* row) { row->FieldByName(u"status")->SetAsString(u"Active"); }
