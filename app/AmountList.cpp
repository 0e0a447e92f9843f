#include "app/AmountList.h"

#include "platform/db/Fields.h"
#include "platform/rtl/Format.h"

namespace {
constexpr int FooterHeight = 22;
}

TAmountListForm::TAmountListForm(TComponent* owner, const TListFormPlan& plan)
    : TListForm(owner, plan), FAmountField(plan.Columns.back().FieldName) {
  Users = NewQuery(u"select * from clients order by full_name");
  dsUsers = new TMyDataSource(this);
  dsUsers->SetDataSet(Users);
  AddLookup(Users);

  // The footer takes a line under the grid; the buttons move down by as much.
  SetClientHeight(ClientHeight() + FooterHeight);
  for (TActionButton* button : {AdvGlowButton1, AdvGlowButton2, AdvGlowButton3})
    button->SetTop(button->Top() + FooterHeight);
  const TRect grid = DBAdvGrid1->BoundsRect();
  const int amountWidth = plan.Columns.back().Width;
  lblFooter = new TCaptionLabel(this);
  lblFooter->SetParent(this);
  lblFooter->SetAutoSize(false);
  lblFooter->SetAlignment(taRightJustify);
  lblFooter->Font()->SetStyle(TFontStyles{fsBold});
  lblFooter->SetBounds(grid.Right - amountWidth - 4, grid.Bottom + 4, amountWidth,
                       FooterHeight - 6);

  // The sum follows a new or changed row as soon as its edit form returns.
  AdvGlowButton1->OnClick = [this](TObject* sender) {
    AdvGlowButton1Click(sender);
    FooterSum();
  };
  AdvGlowButton2->OnClick = [this](TObject* sender) {
    AdvGlowButton2Click(sender);
    FooterSum();
  };
}

void TAmountListForm::FooterSum() {
  TMyQuery* list = ListQuery();
  if (!list->Active() || list->State() != dsBrowse) return;
  TField* amount = list->FieldByName(FAmountField);
  double sum = 0;
  list->DisableControls();
  try {
    const TBookmark current = list->GetBookmark();
    for (list->First(); !list->Eof(); list->Next()) sum += amount->AsFloat();
    if (!current.empty()) list->GotoBookmark(current);
  } catch (...) {
    list->EnableControls();
    throw;
  }
  list->EnableControls();
  lblFooter->SetCaption(Format(u"%.2f", {sum}));
}
