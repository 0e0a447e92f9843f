#include "app/frmAddEditPayment_u.h"

#include "app/PersistentFields.h"
#include "app/frmPayment_u.h"
#include "platform/db/Fields.h"

TfrmAddEditPayment* frmAddEditPayment = nullptr;

bool PersonChosen(TEditForm* form) {
  return form->List()->ListQuery()->FieldByName(u"client_id")->AsInteger() >= 1;
}

TPaymentEditForm::TPaymentEditForm(TComponent* owner, const String& personCaption,
                                   const String& noPerson, std::function<TDataSource*()> persons)
    : TEditForm(owner, u"Нова/Промена Донација", 520, 372, AddedStamps), FNoPerson(noPerson) {
  DBAdvEdit1 = NewEdit(u"amount", u"Дониран Износ", TDataEditLabelPosition::lpTopCenter,
                       {20, 32, 240, 56});
  AmountInput(DBAdvEdit1);
  Label2 = NewCaption(u"Датум на донација", {300, 10, 500, 28});
  AdvDBDateTimePicker1 = NewDatePicker(u"payment_date", {300, 32, 500, 56});
  Label1 = NewCaption(personCaption, {20, 72, 500, 90});
  Label1->SetAlignment(taCenter);
  AdvDBLookupComboBox1 =
      NewLookup(u"client_id", std::move(persons), PersonListFields, {20, 92, 500, 116});
  Label3 = NewCaption(u"Забелешка", {20, 132, 500, 150});
  DBAdvMemo1 = NewMemo(u"note", {20, 152, 500, 312});
}

String TPaymentEditForm::FailedCheck() { return PersonChosen(this) ? String() : FNoPerson; }

TfrmAddEditPayment::TfrmAddEditPayment(TComponent* owner)
    : TPaymentEditForm(owner, u"Донатор", u"Одберете донатор!",
                       [] { return frmPayment->dsUsers; }) {}
