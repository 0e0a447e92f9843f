#include "app/frmAddEditPaymentOUT_u.h"

#include "app/frmPaymentOUT_u.h"

TfrmAddEditPaymentOUT* frmAddEditPaymentOUT = nullptr;

TfrmAddEditPaymentOUT::TfrmAddEditPaymentOUT(TComponent* owner)
    : TPaymentEditForm(owner, u"Донирано на:", u"Одберете за кого е донацијата!",
                       [] { return frmPaymentOUT->dsUsers; }) {}
