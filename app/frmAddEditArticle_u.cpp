#include "app/frmAddEditArticle_u.h"

TfrmAddEditArticle* frmAddEditArticle = nullptr;

TfrmAddEditArticle::TfrmAddEditArticle(TComponent* owner)
    : TEditForm(owner, u"Нов/Промена Артикал", 520, 420, AddedStamps) {
  using Pos = TDataEditLabelPosition;
  DBAdvEdit1 = NewEdit(u"title", u"Краток опис", Pos::lpTopCenter, {20, 32, 500, 56});
  DBAdvEdit2 = NewEdit(u"code", u"Кратка шифра", Pos::lpTopLeft, {20, 94, 220, 118});
  Label1 = NewCaption(u"Статус", {300, 72, 500, 92});
  AdvDBComboBox1 = NewValueCombo(u"status", {{u"Active", u"Active"}, {u"Closed", u"Closed"}},
                                 {300, 94, 500, 118});
  Label2 = NewCaption(u"Опис на артикал", {20, 134, 500, 154});
  DBAdvMemo1 = NewMemo(u"description", {20, 156, 500, 354});
}
