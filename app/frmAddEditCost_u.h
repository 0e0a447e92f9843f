// The edit form of one invoice: its amount, number and date, the invoicing party chosen from the
// persons, and a note. An invoice is stored only with its invoicing party.
#pragma once

#include "app/FormPattern.h"

class TfrmAddEditCost : public TEditForm {
 public:
  explicit TfrmAddEditCost(TComponent* owner);

  TDataEdit* DBAdvEdit1;
  TDataEdit* DBAdvEdit2;
  TDataDatePicker* AdvDBDateTimePicker1;
  TDataMemo* DBAdvMemo1;
  TDataLookupCombo* AdvDBLookupComboBox1;
  TCaptionLabel* Label1;  // the person picker's caption
  TCaptionLabel* Label2;
  TCaptionLabel* Label3;

 protected:
  TWinControl* FirstControl() const override { return DBAdvEdit1; }
  String FailedCheck() override;
};

extern TfrmAddEditCost* frmAddEditCost;
