// The movements of one article, the latest first, with who entered each. An entry can be deleted
// again, which lowers the stock by its quantity (below 0 when exits followed it); an exit cannot.
#pragma once

#include <cstdint>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "app/FormControls.h"
#include "platform/ui/Forms.h"

class TfrmPreviewArticleInOut : public TForm {
 public:
  explicit TfrmPreviewArticleInOut(TComponent* owner);

  // The article whose movements show, written by the articles list before it shows the form.
  int64_t ArticleId = 0;

  TCaptionLabel* Label1;  // "Преглед за артикал - (code) title"
  TDataGrid* DBAdvGrid1;
  TActionButton* AdvGlowButton2;  // "Избриши трансакција"
  TActionButton* AdvGlowButton3;  // "ИЗЛЕЗ"
  TMyQuery* ArticlesInOut;
  TMyDataSource* dsArticlesInOut;

  void FormActivate(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void AdvGlowButton2Click(TObject* sender);
  void AdvGlowButton3Click(TObject* sender);

 private:
  // Fits the rows to their content with 4 pixels to spare.
  void FitRows();
};

extern TfrmPreviewArticleInOut* frmPreviewArticleInOut;
