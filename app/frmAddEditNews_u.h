// The edit form of one news item: its title, status and text.
#pragma once

#include "app/FormPattern.h"

class TfrmAddEditNews : public TEditForm {
 public:
  explicit TfrmAddEditNews(TComponent* owner);

  TDataEdit* DBAdvEdit1;
  TDataValueCombo* AdvDBComboBox1;
  TDataMemo* DBAdvMemo1;
  TCaptionLabel* Label1;
  TCaptionLabel* Label2;

 protected:
  TWinControl* FirstControl() const override { return DBAdvEdit1; }
};

extern TfrmAddEditNews* frmAddEditNews;
