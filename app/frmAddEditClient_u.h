// The edit form of one person: name, status, address and contacts, registration number and bank
// account.
#pragma once

#include "app/FormPattern.h"

class TfrmAddEditClient : public TEditForm {
 public:
  explicit TfrmAddEditClient(TComponent* owner);

  TDataEdit* DBAdvEdit1;  // full_name
  TDataValueCombo* AdvDBComboBox1;
  TCaptionLabel* Label1;
  TDataEdit* DBAdvEdit2;  // address
  TDataEdit* DBAdvEdit3;  // city
  TDataEdit* DBAdvEdit5;  // email
  TDataEdit* DBAdvEdit6;  // phone
  TDataEdit* DBAdvEdit7;  // unique_private_no
  TDataEdit* DBAdvEdit4;  // bank_name
  TDataEdit* DBAdvEdit8;  // bank_account_no
  TDataEdit* DBAdvEdit9;  // bank_account_name

 protected:
  TWinControl* FirstControl() const override { return DBAdvEdit1; }
};

extern TfrmAddEditClient* frmAddEditClient;
