#include "app/frmCosts_u.h"

#include "app/PersistentFields.h"
#include "app/frmAddEditCost_u.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"

TfrmCosts* frmCosts = nullptr;

TfrmCosts::TfrmCosts(TComponent* owner)
    : TAmountListForm(owner, {u"Трошоци",
                              u"Листа на трошоци",
                              u"Внеси Трошок",
                              u"Промени трошок",
                              u"Одберете донација за промена!",
                              {{u"invoice_date", u"Датум на донација", 125, taLeftJustify},
                               {u"invoice_no", u"Бр. на фактура", 115, taLeftJustify},
                               {u"full_name", u"Платено на", 238, taLeftJustify},
                               {u"amount", u"Платен износ", 135, taRightJustify}}}) {
  Costs = NewQuery(u"select c.*, u.full_name from cost c, clients u where c.client_id = u.id "
                   u"order by invoice_date desc");
  using F = TFieldDecl;
  DeclareFields(Costs, {{F::Largeint, u"id"},
                        {F::Integer, u"client_id"},
                        {F::WideString, u"invoice_no", u"", 25},
                        {F::DateTime, u"invoice_date"},
                        {F::Amount, u"amount"},
                        {F::Integer, u"added_by"},
                        {F::DateTime, u"added_on"},
                        {F::Memo, u"note"},
                        {F::WideString, u"full_name", u"", 201}});
  dsCosts = new TMyDataSource(this);
  SetList(Costs, dsCosts);
}

TEditForm* TfrmCosts::EditForm() const { return frmAddEditCost; }

void TfrmCosts::SetPresets(TDataSet* row) {
  row->FieldByName(u"invoice_date")->SetAsDateTime(Date() + Time());
  row->FieldByName(u"client_id")->SetAsInteger(0);
}
