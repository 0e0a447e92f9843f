// The donations the association gives: payment rows of type 2, each naming its recipient.
#pragma once

#include "app/frmPayment_u.h"

class TfrmPaymentOUT : public TPaymentListForm {
 public:
  explicit TfrmPaymentOUT(TComponent* owner);

 protected:
  TEditForm* EditForm() const override;
};

extern TfrmPaymentOUT* frmPaymentOUT;
