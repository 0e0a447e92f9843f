// The warehouse: the articles by title with their stock, and from the grid's popup menu an
// article's movements, a new entry and a new exit.
//
// The stock is the sum of the article's movements. A movement and the stock it changes are
// written in one transaction: the stock is read again from the server and locked before it is
// checked and the new value computed, so that a list shown minutes ago cannot lose another user's
// movement, and a failed write leaves neither the movement nor the stock written.
#pragma once

#include <cstdint>

#include "app/FormPattern.h"

class TfrmArticles : public TListForm {
 public:
  explicit TfrmArticles(TComponent* owner);

  TCaptionLabel* Label2;
  TMyQuery* Articles;
  TMyDataSource* dsArticles;
  // The movement being entered, open only while the movement dialog shows.
  TMyQuery* ArticlesInOut;
  TMyDataSource* dsArticlesInOut;
  TGridPopupMenu* PopupMenu1;
  TMenuItem* N1;  // "Преглед Влез/Излез"
  TMenuItem* N2;  // "Нов Влез"
  TMenuItem* N3;  // "Нов Излез"

  void PopupMenu1Popup(TObject* sender);
  void N1Click(TObject* sender);
  void N2Click(TObject* sender);
  void N3Click(TObject* sender);

  // One stock change, as the movement dialog and the movement list write it:
  //   BeginStockWrite    starts the transaction and answers the article's stock as the server
  //                      holds it (0 when empty), locked against other writers until the end;
  //   PostStock          finds the article in the list by its id and posts its new stock;
  //   CommitStockWrite   ends the transaction, keeping both writes;
  //   AbandonStockWrite  after a failure: rolls back, drops the article row's pending edit and
  //                      reads the row again from the server. It never raises, so the failure
  //                      that led here is the one shown.
  double BeginStockWrite(int64_t articleId);
  void PostStock(int64_t articleId, double stock);
  void CommitStockWrite();
  void AbandonStockWrite(int64_t articleId);

 protected:
  TEditForm* EditForm() const override;
  // A new article is active and has no stock yet.
  void SetPresets(TDataSet* row) override;

 private:
  // Opens the movement dialog on a new movement of the current article.
  void NewMovement(const String& movementType);
  // The article's stock on the server, read under a row lock.
  TMyQuery* FStockLock;
};

extern TfrmArticles* frmArticles;
