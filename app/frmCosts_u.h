// The association's costs: its suppliers' invoices, each naming the invoicing party, the latest
// invoice date first.
#pragma once

#include "app/AmountList.h"

class TfrmCosts : public TAmountListForm {
 public:
  explicit TfrmCosts(TComponent* owner);

  TMyQuery* Costs;
  TMyDataSource* dsCosts;

 protected:
  TEditForm* EditForm() const override;
  // A new invoice is dated now and names nobody yet.
  void SetPresets(TDataSet* row) override;
};

extern TfrmCosts* frmCosts;
