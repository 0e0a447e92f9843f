// The edit form of one team: its title, status and the team's duties.
#pragma once

#include "app/FormPattern.h"

class TfrmAddEditTeam : public TEditForm {
 public:
  explicit TfrmAddEditTeam(TComponent* owner);

  TDataEdit* DBAdvEdit1;
  TDataValueCombo* AdvDBComboBox1;
  TDataMemo* DBAdvMemo1;
  TCaptionLabel* Label1;
  TCaptionLabel* Label2;

 protected:
  TWinControl* FirstControl() const override { return DBAdvEdit1; }
};

extern TfrmAddEditTeam* frmAddEditTeam;
