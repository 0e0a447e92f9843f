// The edit form of one article: its title, code, status and description. The stock has no
// control here: it changes only through movements.
#pragma once

#include "app/FormPattern.h"

class TfrmAddEditArticle : public TEditForm {
 public:
  explicit TfrmAddEditArticle(TComponent* owner);

  TDataEdit* DBAdvEdit1;
  TDataEdit* DBAdvEdit2;
  TDataValueCombo* AdvDBComboBox1;
  TDataMemo* DBAdvMemo1;
  TCaptionLabel* Label1;
  TCaptionLabel* Label2;

 protected:
  TWinControl* FirstControl() const override { return DBAdvEdit1; }
};

extern TfrmAddEditArticle* frmAddEditArticle;
