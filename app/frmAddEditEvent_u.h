// The edit form of one event: its title, status, date and description.
#pragma once

#include "app/FormPattern.h"

class TfrmAddEditEvent : public TEditForm {
 public:
  explicit TfrmAddEditEvent(TComponent* owner);

  TDataEdit* DBAdvEdit1;
  TDataValueCombo* AdvDBComboBox1;
  TDataDatePicker* AdvDBDateTimePicker1;
  TDataMemo* DBAdvMemo1;
  TCaptionLabel* Label1;
  TCaptionLabel* Label2;
  TCaptionLabel* Label3;

 protected:
  TWinControl* FirstControl() const override { return DBAdvEdit1; }
};

extern TfrmAddEditEvent* frmAddEditEvent;
