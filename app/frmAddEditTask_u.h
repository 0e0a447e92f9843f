// The edit form of one task: its title, status and description.
#pragma once

#include "app/FormPattern.h"

class TfrmAddEditTask : public TEditForm {
 public:
  explicit TfrmAddEditTask(TComponent* owner);

  TDataEdit* DBAdvEdit1;
  TDataValueCombo* AdvDBComboBox1;
  TDataMemo* DBAdvMemo1;
  TCaptionLabel* Label1;
  TCaptionLabel* Label2;

 protected:
  TWinControl* FirstControl() const override { return DBAdvEdit1; }
};

extern TfrmAddEditTask* frmAddEditTask;
