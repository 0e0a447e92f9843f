// The donation and cost lists: rows that each refer to a person of the persons table and carry an
// amount, shown in the grid's last column and summed under it.
//
// The sum stands in for the grid's floating footer: a label under the amount column, recalculated
// on every activation and again when the new and change actions' edit forms return.
#pragma once

#include "app/FormPattern.h"

class TAmountListForm : public TListForm {
 public:
  // The persons to pick from, all of them by name.
  TMyQuery* Users;
  TMyDataSource* dsUsers;
  // The sum of the listed amounts.
  TCaptionLabel* lblFooter;

  // Writes the sum of the amount column over the listed rows into the footer, "%.2f". It reads
  // the rows only while the list browses; the cursor stays where it was.
  void FooterSum();

 protected:
  // The amount is the last of the list's columns. The persons lookup opens before the list.
  TAmountListForm(TComponent* owner, const TListFormPlan& plan);

  void Activated() override { FooterSum(); }

 private:
  String FAmountField;
};
