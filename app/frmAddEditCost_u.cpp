#include "app/frmAddEditCost_u.h"

#include "app/PersistentFields.h"
#include "app/frmAddEditPayment_u.h"
#include "app/frmCosts_u.h"

TfrmAddEditCost* frmAddEditCost = nullptr;

TfrmAddEditCost::TfrmAddEditCost(TComponent* owner)
    : TEditForm(owner, u"Нов/Промена Трошок", 520, 424, AddedStamps) {
  using Pos = TDataEditLabelPosition;
  DBAdvEdit1 = NewEdit(u"amount", u"Износ на фактура", Pos::lpTopCenter, {20, 32, 240, 56});
  AmountInput(DBAdvEdit1);
  DBAdvEdit2 = NewEdit(u"invoice_no", u"Број на фактура", Pos::lpTopCenter, {280, 32, 500, 56});
  DBAdvEdit2->SetEditAlign(AdvEdit::TEditAlign::eaRight);
  Label2 = NewCaption(u"Датум на фактура", {20, 72, 240, 90});
  AdvDBDateTimePicker1 = NewDatePicker(u"invoice_date", {20, 92, 240, 116});
  Label1 = NewCaption(u"Фактурирал", {20, 126, 500, 144});
  Label1->SetAlignment(taCenter);
  AdvDBLookupComboBox1 = NewLookup(u"client_id", [] { return frmCosts->dsUsers; },
                                   PersonListFields, {20, 146, 500, 170});
  Label3 = NewCaption(u"Забелешка", {20, 184, 500, 202});
  DBAdvMemo1 = NewMemo(u"note", {20, 204, 500, 364});
}

String TfrmAddEditCost::FailedCheck() {
  return PersonChosen(this) ? String() : String(u"Одберете издавач на фактура!");
}
