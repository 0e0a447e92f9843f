// The dialog that enters one stock movement of an article, an entry ("IN") or an exit ("OUT"),
// on the row the articles list appended, and writes it with the article's new stock.
//
// Confirm refuses a quantity of 0 or less, and an exit of more than the stock the server holds;
// both leave the movement as typed. An exit is stored negative. The movement and the stock are
// written in one transaction (TfrmArticles): when the movement cannot be written the dialog stays
// with the row as typed; when the stock cannot, both are rolled back, the article row is read
// again, the dialog closes and the error shows.
#pragma once

#include "app/FormControls.h"
#include "platform/ui/Forms.h"

class TfrmArticleInOut : public TForm {
 public:
  explicit TfrmArticleInOut(TComponent* owner);

  // "IN" or "OUT", written by the articles list before it shows the dialog.
  String MovementType;

  TCaptionLabel* Label1;  // the heading, "ВЛЕЗ" or "ИЗЛЕЗ"
  TDataEdit* DBAdvEdit2;  // quantity
  TDataEdit* DBAdvEdit1;  // price
  TCaptionLabel* Label3;
  TDataMemo* DBAdvMemo1;
  TActionButton* AdvGlowButton1;  // "ПОТВРДИ"
  TActionButton* AdvGlowButton2;  // "ОТКАЖИ"

  void AdvGlowButton1Click(TObject* sender);
  void AdvGlowButton2Click(TObject* sender);

  // Binds the controls to the articles list's movement, once every form exists.
  void BindTo(TDataSource* movements);
};

extern TfrmArticleInOut* frmArticleInOut;
