#include "app/frmPreviewArticleInOut_u.h"

#include "app/FormPattern.h"
#include "app/PersistentFields.h"
#include "app/frmArticles_u.h"
#include "app/frmMain_u.h"
#include "platform/db/Fields.h"
#include "platform/ui/Dialogs.h"

TfrmPreviewArticleInOut* frmPreviewArticleInOut = nullptr;

namespace {
constexpr int Margin = 12;
constexpr int GridTop = 44;
constexpr int GridHeight = 360;
constexpr int RowPadding = 4;
}  // namespace

TfrmPreviewArticleInOut::TfrmPreviewArticleInOut(TComponent* owner) : TForm(owner) {
  SetCaption(u"Листа на Влез/Излез за артикал");
  SetBorderStyle(bsSingle);
  SetPosition(poDesktopCenter);
  OnActivate = [this](TObject* sender) { FormActivate(sender); };
  OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };

  ArticlesInOut = new TMyQuery(this);
  ArticlesInOut->SetConnection(frmMain->myConnection);
  ArticlesInOut->SetSQLText(
      u"select a.*, concat(u.name, ' ', u.surname) as full_name from article_in_out a, users u "
      u"where article_id = :p_article_id and a.added_by = u.id order by added_on desc");
  ArticlesInOut->ParamByName(u"p_article_id")->SetDataType(ftInteger);
  ArticlesInOut->ParamByName(u"p_article_id")->SetAsInteger(0);
  ArticlesInOut->Options()->SetAutoRefresh(true);
  using F = TFieldDecl;
  DeclareFields(ArticlesInOut, {{F::Largeint, u"id"},
                                {F::Largeint, u"article_id"},
                                {F::Amount, u"quantity"},
                                {F::Amount, u"price"},
                                {F::Integer, u"added_by"},
                                {F::DateTime, u"added_on"},
                                {F::Memo, u"note"},
                                {F::WideString, u"type", u"", 3, true},
                                {F::WideString, u"full_name", u"", 201}});
  dsArticlesInOut = new TMyDataSource(this);
  dsArticlesInOut->SetDataSet(ArticlesInOut);

  const std::vector<TDataGridColumn> columns{{u"added_on", u"Датум", 93, taLeftJustify},
                                             {u"quantity", u"Количина", 130, taRightJustify},
                                             {u"price", u"Цена на артикал", 225, taRightJustify},
                                             {u"note", u"Забелешка", 160, taRightJustify},
                                             {u"full_name", u"Внел", 145, taLeftJustify},
                                             {u"type", u"Трансакција", 75, taLeftJustify}};
  int gridWidth = TDataGrid::IndicatorWidth + 1 + 4;
  for (const TDataGridColumn& column : columns) gridWidth += column.Width + 1;
  SetClientWidth(gridWidth + 2 * Margin);
  const int buttonsTop = GridTop + GridHeight + Margin;
  SetClientHeight(buttonsTop + 34 + Margin);

  Label1 = new TCaptionLabel(this);
  Label1->SetParent(this);
  Label1->SetBounds(Margin, Margin, gridWidth, 24);
  Label1->Font()->SetSize(12);
  Label1->Font()->SetStyle(TFontStyles{fsBold});
  Label1->SetCaption(u"Преглед за артикал - ");

  DBAdvGrid1 = new TDataGrid(this);
  DBAdvGrid1->SetParent(this);
  DBAdvGrid1->SetBounds(Margin, GridTop, gridWidth, GridHeight);
  DBAdvGrid1->SetFixedColWidth(TDataGrid::IndicatorWidth);
  DBAdvGrid1->SetOptions(
      TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRowSelect});
  DBAdvGrid1->SetColumns(columns);
  DBAdvGrid1->SetDataSource(dsArticlesInOut);

  AdvGlowButton2 = NewFormButton(this, u"Избриши трансакција", Margin, buttonsTop, 180);
  AdvGlowButton2->OnClick = [this](TObject* sender) { AdvGlowButton2Click(sender); };
  AdvGlowButton3 = NewFormButton(this, u"ИЗЛЕЗ", Margin + gridWidth - 120, buttonsTop, 120);
  AdvGlowButton3->OnClick = [this](TObject* sender) { AdvGlowButton3Click(sender); };
}

void TfrmPreviewArticleInOut::FormActivate(TObject*) {
  // Activation runs again after every message box; the open list is not read again then.
  if (!ArticlesInOut->Active()) {
    ArticlesInOut->ParamByName(u"p_article_id")->SetAsInteger(static_cast<int32_t>(ArticleId));
    ArticlesInOut->Open();
  }
  FitRows();
}

void TfrmPreviewArticleInOut::FitRows() {
  // The grid draws each cell on one line: a row needs the line's height and 2 pixels, and gets
  // the padding besides.
  TCanvas* canvas = DBAdvGrid1->Canvas();
  canvas->Font()->Assign(DBAdvGrid1->Font());
  DBAdvGrid1->SetDefaultRowHeight(canvas->TextHeight(u"Ag") + 2 + RowPadding);
}

void TfrmPreviewArticleInOut::FormClose(TObject*, TCloseAction&) { ArticlesInOut->Close(); }

void TfrmPreviewArticleInOut::AdvGlowButton3Click(TObject*) { Close(); }

void TfrmPreviewArticleInOut::AdvGlowButton2Click(TObject*) {
  if (ArticlesInOut->FieldByName(u"type")->AsString() != u"IN") {
    MessageDlg(u"Неможе да се избрише излез! Контактирајте техничко лице !", mtWarning,
               TMsgDlgButtons{mbOK});
    return;
  }
  if (MessageDlg(u"Дали сте сигурни ?!", mtWarning, TMsgDlgButtons{mbYes, mbNo}) != mrYes) return;
  const double entered = ArticlesInOut->FieldByName(u"quantity")->AsFloat();
  const double stock = frmArticles->BeginStockWrite(ArticleId);
  try {
    frmArticles->PostStock(ArticleId, stock - entered);
    ArticlesInOut->Delete();
    frmArticles->CommitStockWrite();
  } catch (...) {
    frmArticles->AbandonStockWrite(ArticleId);
    // A delete that the rollback undid shows again.
    try {
      if (ArticlesInOut->State() == dsBrowse) ArticlesInOut->Refresh();
    } catch (...) {
    }
    throw;
  }
}
