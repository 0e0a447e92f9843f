#include "app/frmPaymentOUT_u.h"

#include "app/frmAddEditPaymentOUT_u.h"

TfrmPaymentOUT* frmPaymentOUT = nullptr;

TfrmPaymentOUT::TfrmPaymentOUT(TComponent* owner)
    : TPaymentListForm(owner, u"Листа на ИЗЛЕЗНИ донации", u"Донирано на", 2) {}

TEditForm* TfrmPaymentOUT::EditForm() const { return frmAddEditPaymentOUT; }
