// The edit form of one donation received: the amount, the date, the donor chosen from the
// persons, and a note. A donation is stored only with its donor.
#pragma once

#include "app/FormPattern.h"

// What the forms of received and given donations share.
class TPaymentEditForm : public TEditForm {
 public:
  TDataEdit* DBAdvEdit1;
  TDataDatePicker* AdvDBDateTimePicker1;
  TDataMemo* DBAdvMemo1;
  TDataLookupCombo* AdvDBLookupComboBox1;
  TCaptionLabel* Label1;  // the person picker's caption
  TCaptionLabel* Label2;
  TCaptionLabel* Label3;

 protected:
  // persons gives the list form's persons once the forms are bound.
  TPaymentEditForm(TComponent* owner, const String& personCaption, const String& noPerson,
                   std::function<TDataSource*()> persons);
  TWinControl* FirstControl() const override { return DBAdvEdit1; }
  String FailedCheck() override;

 private:
  String FNoPerson;
};

class TfrmAddEditPayment : public TPaymentEditForm {
 public:
  explicit TfrmAddEditPayment(TComponent* owner);
};

extern TfrmAddEditPayment* frmAddEditPayment;

// The persons a donation or cost may name: by name, with the address beside it.
inline constexpr const char16_t* PersonListFields = u"full_name;address";
// Whether the current row of the edit form's list names a person.
bool PersonChosen(TEditForm* form);
