// The edit form of one donation given: as a received one, naming its recipient.
#pragma once

#include "app/frmAddEditPayment_u.h"

class TfrmAddEditPaymentOUT : public TPaymentEditForm {
 public:
  explicit TfrmAddEditPaymentOUT(TComponent* owner);
};

extern TfrmAddEditPaymentOUT* frmAddEditPaymentOUT;
