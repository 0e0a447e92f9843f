// The donations: rows of the payment table told apart by their type, 1 received (this list) and
// 2 given (frmPaymentOUT_u), each naming its donor or recipient, newest donation first.
#pragma once

#include "app/AmountList.h"

// What the two donation lists share; each shows only the donations of its type.
class TPaymentListForm : public TAmountListForm {
 public:
  // The type of the donations the list shows and creates, written by the main window.
  int PaymentType;

  TMyQuery* Payments;
  TMyDataSource* dsPayments;

 protected:
  TPaymentListForm(TComponent* owner, const String& title, const String& personHeader,
                   int paymentType);
  // A new donation is given now, by nobody yet, and has the list's type.
  void SetPresets(TDataSet* row) override;
};

class TfrmPayment : public TPaymentListForm {
 public:
  explicit TfrmPayment(TComponent* owner);

 protected:
  TEditForm* EditForm() const override;
};

extern TfrmPayment* frmPayment;
