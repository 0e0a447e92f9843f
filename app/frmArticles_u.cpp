#include "app/frmArticles_u.h"

#include "app/PersistentFields.h"
#include "app/frmAddEditArticle_u.h"
#include "app/frmArticleInOut_u.h"
#include "app/frmMain_u.h"
#include "app/frmPreviewArticleInOut_u.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"

TfrmArticles* frmArticles = nullptr;

namespace {
constexpr int HintHeight = 22;

TMenuItem* NewItem(TfrmArticles* form, TGridPopupMenu* menu, const String& caption) {
  auto* item = new TMenuItem(form);
  item->SetCaption(caption);
  menu->Items()->Add(item);
  return item;
}
}  // namespace

TfrmArticles::TfrmArticles(TComponent* owner)
    : TListForm(owner, {u"Артикли",
                        u"Листа на артикли",
                        u"Нов артикал",
                        u"Промени артикал",
                        u"Одберете артикал за промена!",
                        {{u"code", u"Кратка шифра", 120, taLeftJustify},
                         {u"title", u"Краток опис", 320, taLeftJustify},
                         {u"quantity", u"На Залиха", 170, taRightJustify},
                         {u"status", u"Статус", 110, taLeftJustify}}}) {
  Articles = NewQuery(u"select * from article order by title");
  using F = TFieldDecl;
  DeclareFields(Articles, {{F::Largeint, u"id", u"article.id", 0, false, true},
                           {F::WideString, u"title", u"article.title", 255},
                           {F::Memo, u"description", u"article.description"},
                           {F::WideString, u"code", u"article.code"},
                           {F::Amount, u"quantity", u"article.quantity"},
                           {F::Integer, u"added_by", u"article.added_by"},
                           {F::DateTime, u"added_on", u"article.added_on"},
                           {F::WideString, u"status", u"article.status", 6, true}});
  dsArticles = new TMyDataSource(this);
  SetList(Articles, dsArticles);

  ArticlesInOut = NewQuery(
      u"select * from article_in_out where article_id = :p_article_id order by added_on desc");
  ArticlesInOut->ParamByName(u"p_article_id")->SetDataType(ftInteger);
  ArticlesInOut->ParamByName(u"p_article_id")->SetAsInteger(0);
  dsArticlesInOut = new TMyDataSource(this);
  dsArticlesInOut->SetDataSet(ArticlesInOut);
  FStockLock = NewQuery(u"select quantity from article where id = :p_article_id for update",
                        false);

  PopupMenu1 = new TGridPopupMenu(this);
  PopupMenu1->OnPopup = [this](TObject* sender) { PopupMenu1Popup(sender); };
  N1 = NewItem(this, PopupMenu1, u"Преглед Влез/Излез");
  N1->OnClick = [this](TObject* sender) { N1Click(sender); };
  N2 = NewItem(this, PopupMenu1, u"Нов Влез");
  N2->OnClick = [this](TObject* sender) { N2Click(sender); };
  N3 = NewItem(this, PopupMenu1, u"Нов Излез");
  N3->OnClick = [this](TObject* sender) { N3Click(sender); };
  DBAdvGrid1->SetPopupMenu(PopupMenu1);

  // The hint takes a line under the grid; the buttons move down by as much.
  SetClientHeight(ClientHeight() + HintHeight);
  for (TActionButton* button : {AdvGlowButton1, AdvGlowButton2, AdvGlowButton3})
    button->SetTop(button->Top() + HintHeight);
  const TRect grid = DBAdvGrid1->BoundsRect();
  Label2 = new TCaptionLabel(this);
  Label2->SetParent(this);
  Label2->SetBounds(grid.Left, grid.Bottom + 4, grid.Width(), HintHeight - 6);
  Label2->Font()->SetStyle(TFontStyles{fsItalic});
  Label2->SetCaption(u"Десен клик на артикал за повеќе опции");
}

TEditForm* TfrmArticles::EditForm() const { return frmAddEditArticle; }

void TfrmArticles::SetPresets(TDataSet* row) {
  row->FieldByName(u"added_on")->SetAsDateTime(Date() + Time());
  row->FieldByName(u"status")->SetAsString(u"Active");
}

void TfrmArticles::PopupMenu1Popup(TObject*) {
  const bool saved = Articles->FieldByName(u"id")->AsLargeInt() >= 1;
  N1->SetEnabled(saved);
  N2->SetEnabled(saved);
  N3->SetEnabled(saved);
  // An exit needs stock.
  N3->SetEnabled(Articles->FieldByName(u"quantity")->AsFloat() > 0);
  if (frmMain->UserType > 1) {
    N1->SetEnabled(false);
    N2->SetEnabled(false);
    N3->SetEnabled(false);
  }
  // A closed article takes no new movements.
  if (Articles->FieldByName(u"status")->AsString() == u"Closed") {
    N2->SetEnabled(false);
    N3->SetEnabled(false);
  }
}

void TfrmArticles::N1Click(TObject*) {
  frmPreviewArticleInOut->ArticleId = Articles->FieldByName(u"id")->AsLargeInt();
  frmPreviewArticleInOut->Label1->SetCaption(
      u"Преглед за артикал - (" + Articles->FieldByName(u"code")->AsString() + u") " +
      Articles->FieldByName(u"title")->AsString());
  frmPreviewArticleInOut->ShowModal();
}

void TfrmArticles::N2Click(TObject*) { NewMovement(u"IN"); }

void TfrmArticles::N3Click(TObject*) { NewMovement(u"OUT"); }

void TfrmArticles::NewMovement(const String& movementType) {
  frmArticleInOut->MovementType = movementType;
  frmArticleInOut->Label1->SetCaption(movementType == u"IN" ? u"ВЛЕЗ" : u"ИЗЛЕЗ");
  const int64_t article = Articles->FieldByName(u"id")->AsLargeInt();
  ArticlesInOut->ParamByName(u"p_article_id")->SetAsInteger(static_cast<int32_t>(article));
  ArticlesInOut->Open();
  try {
    ArticlesInOut->Append();
    ArticlesInOut->FieldByName(u"article_id")->SetAsLargeInt(article);
    ArticlesInOut->FieldByName(u"added_by")->SetAsInteger(UserId);
    ArticlesInOut->FieldByName(u"added_on")->SetAsDateTime(Date() + Time());
    ArticlesInOut->FieldByName(u"type")->SetAsString(movementType);
    frmArticleInOut->ShowModal();
  } catch (...) {
    ArticlesInOut->Close();
    throw;
  }
  // A movement not confirmed is dropped with the query.
  ArticlesInOut->Close();
}

double TfrmArticles::BeginStockWrite(int64_t articleId) {
  TMyConnection* connection = frmMain->myConnection;
  connection->StartTransaction();
  try {
    FStockLock->ParamByName(u"p_article_id")->SetAsInteger(static_cast<int32_t>(articleId));
    FStockLock->Open();
    const double stock = FStockLock->FieldByName(u"quantity")->AsFloat();
    FStockLock->Close();
    return stock;
  } catch (...) {
    FStockLock->Close();
    try {
      connection->Rollback();
    } catch (...) {
      // The connection is gone; the failure that led here is the one to show.
    }
    throw;
  }
}

void TfrmArticles::PostStock(int64_t articleId, double stock) {
  // The cursor may have moved since the movement began (an auto-refresh, a click): the article
  // is found by its id.
  if (Articles->FieldByName(u"id")->AsLargeInt() != articleId &&
      !Articles->Locate(u"id", Variant(articleId), {})) {
    DatabaseError(u"Артиклот не е пронајден во листата!");
  }
  Articles->Edit();
  Articles->FieldByName(u"quantity")->SetAsFloat(stock);
  Articles->Post();
}

void TfrmArticles::CommitStockWrite() { frmMain->myConnection->Commit(); }

void TfrmArticles::AbandonStockWrite(int64_t articleId) {
  try {
    if (frmMain->myConnection->InTransaction()) frmMain->myConnection->Rollback();
  } catch (...) {
    // A lost connection ends the transaction on the server by itself.
  }
  try {
    if (Articles->State() == dsEdit || Articles->State() == dsInsert) Articles->Cancel();
    // The row may hold a stock that was posted and then rolled back.
    if (Articles->FieldByName(u"id")->AsLargeInt() == articleId ||
        Articles->Locate(u"id", Variant(articleId), {}))
      Articles->RefreshRecord();
  } catch (...) {
    // Without the server the row cannot be read; the list's refresh reads it later.
  }
}
