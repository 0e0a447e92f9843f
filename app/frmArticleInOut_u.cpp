#include "app/frmArticleInOut_u.h"

#include "app/FormPattern.h"
#include "app/PersistentFields.h"
#include "app/frmArticles_u.h"
#include "platform/db/Fields.h"
#include "platform/ui/Dialogs.h"

TfrmArticleInOut* frmArticleInOut = nullptr;

namespace {
TDataEdit* NewAmountEdit(TForm* form, const String& field, const String& caption, int left) {
  auto* edit = new TDataEdit(form);
  edit->SetParent(form);
  edit->SetBounds(left, 76, 170, 24);
  edit->SetDataField(field);
  edit->SetLabelCaption(caption);
  edit->SetLabelPosition(TDataEditLabelPosition::lpTopCenter);
  AmountInput(edit);
  return edit;
}
}  // namespace

TfrmArticleInOut::TfrmArticleInOut(TComponent* owner) : TForm(owner) {
  SetCaption(u"Влез/Излез на количина");
  SetBorderStyle(bsSingle);
  SetPosition(poDesktopCenter);
  SetClientWidth(420);
  SetClientHeight(318);

  Label1 = new TCaptionLabel(this);
  Label1->SetParent(this);
  Label1->SetAutoSize(false);
  Label1->SetAlignment(taCenter);
  Label1->SetBounds(20, 12, 380, 28);
  Label1->Font()->SetSize(14);
  Label1->Font()->SetStyle(TFontStyles{fsBold});
  DBAdvEdit2 = NewAmountEdit(this, u"quantity", u"Количина", 20);
  DBAdvEdit1 = NewAmountEdit(this, u"price", u"Цена на артикал", 230);
  Label3 = new TCaptionLabel(this);
  Label3->SetParent(this);
  Label3->SetBounds(20, 112, 380, 18);
  Label3->SetCaption(u"Забелешка");
  DBAdvMemo1 = new TDataMemo(this);
  DBAdvMemo1->SetParent(this);
  DBAdvMemo1->SetBounds(20, 132, 380, 124);
  DBAdvMemo1->SetDataField(u"note");
  DBAdvMemo1->SetWordWrap(true);
  DBAdvMemo1->SetWantReturns(true);
  DBAdvMemo1->SetScrollBars(ssVertical);

  AdvGlowButton1 = NewFormButton(this, u"ПОТВРДИ", 84, 272, 120);
  AdvGlowButton1->OnClick = [this](TObject* sender) { AdvGlowButton1Click(sender); };
  AdvGlowButton2 = NewFormButton(this, u"ОТКАЖИ", 216, 272, 120);
  AdvGlowButton2->OnClick = [this](TObject* sender) { AdvGlowButton2Click(sender); };
}

void TfrmArticleInOut::BindTo(TDataSource* movements) {
  DBAdvEdit2->SetDataSource(movements);
  DBAdvEdit1->SetDataSource(movements);
  DBAdvMemo1->SetDataSource(movements);
}

void TfrmArticleInOut::AdvGlowButton1Click(TObject*) {
  TMyQuery* movement = frmArticles->ArticlesInOut;
  // What is still being typed counts.
  movement->UpdateRecord();
  TField* quantity = movement->FieldByName(u"quantity");
  const double typed = quantity->AsFloat();
  if (typed <= 0) {
    MessageDlg(u"Количината мора да е поголема од 0!!", mtWarning, TMsgDlgButtons{mbOK});
    return;
  }
  const int64_t article = movement->FieldByName(u"article_id")->AsLargeInt();
  const bool exit = MovementType == u"OUT";
  const double stock = frmArticles->BeginStockWrite(article);
  if (exit && typed > stock) {
    frmArticles->AbandonStockWrite(article);
    MessageDlg(u"Количината е поголема од залихата!!", mtWarning, TMsgDlgButtons{mbOK});
    return;
  }
  const double moved = exit ? -typed : typed;
  quantity->SetAsFloat(moved);
  try {
    movement->Post();
  } catch (...) {
    // The dialog stays with the quantity as it was typed, so that confirming again works.
    if (movement->State() == dsInsert) quantity->SetAsFloat(typed);
    frmArticles->AbandonStockWrite(article);
    throw;
  }
  try {
    frmArticles->PostStock(article, stock + moved);
    frmArticles->CommitStockWrite();
  } catch (...) {
    frmArticles->AbandonStockWrite(article);
    Close();
    throw;
  }
  Close();
}

void TfrmArticleInOut::AdvGlowButton2Click(TObject*) {
  frmArticles->ArticlesInOut->Cancel();
  Close();
}
