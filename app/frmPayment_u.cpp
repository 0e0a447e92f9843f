#include "app/frmPayment_u.h"

#include "app/PersistentFields.h"
#include "app/frmAddEditPayment_u.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumberText.h"

TfrmPayment* frmPayment = nullptr;

TPaymentListForm::TPaymentListForm(TComponent* owner, const String& title,
                                   const String& personHeader, int paymentType)
    : TAmountListForm(owner, {u"Донации",
                              title,
                              u"Внеси Донација",
                              u"Промени донација",
                              u"Одберете донација за промена!",
                              {{u"payment_date", u"Датум на донација", 145, taLeftJustify},
                               {u"full_name", personHeader, 291, taLeftJustify},
                               {u"amount", u"Дониран Износ", 155, taRightJustify}}}),
      PaymentType(paymentType) {
  Payments = NewQuery(u"select p.*, c.full_name from payment p,clients c "
                      u"where p.client_id = c.id and p.type = " +
                      IntToStr(paymentType) + u" order by payment_date desc");
  using F = TFieldDecl;
  DeclareFields(Payments, {{F::Largeint, u"id", u"p.id", 0, false, true},
                           {F::Integer, u"client_id"},
                           {F::DateTime, u"payment_date", u"p.payment_date"},
                           {F::Amount, u"amount", u"p.amount"},
                           {F::Integer, u"added_by", u"p.added_by"},
                           {F::Memo, u"note", u"p.note"},
                           {F::WideString, u"full_name", u"full_name", 201},
                           {F::DateTime, u"added_on"},
                           {F::Smallint, u"type"}});
  dsPayments = new TMyDataSource(this);
  SetList(Payments, dsPayments);
}

void TPaymentListForm::SetPresets(TDataSet* row) {
  row->FieldByName(u"payment_date")->SetAsDateTime(Date() + Time());
  row->FieldByName(u"client_id")->SetAsInteger(0);
  row->FieldByName(u"type")->SetAsInteger(PaymentType);
}

TfrmPayment::TfrmPayment(TComponent* owner)
    : TPaymentListForm(owner, u"Листа на ВЛЕЗНИ донации", u"Донатор", 1) {}

TEditForm* TfrmPayment::EditForm() const { return frmAddEditPayment; }
