#include "app/frmAddEditClient_u.h"

TfrmAddEditClient* frmAddEditClient = nullptr;

namespace {
using Pos = TDataEditLabelPosition;
// Two columns of fields, a row every 54 pixels below the first.
constexpr int Left = 20, Right = 290, Width = 250, Height = 24, First = 34, Step = 54;
TRect Cell(int column, int row) {
  const int left = column == 0 ? Left : Right;
  const int top = First + row * Step;
  return {left, top, left + Width, top + Height};
}
}  // namespace

TfrmAddEditClient::TfrmAddEditClient(TComponent* owner)
    : TEditForm(owner, u"Нов/Промена Лице", 560, First + 5 * Step + 58) {
  DBAdvEdit1 = NewEdit(u"full_name", u"Назив", Pos::lpTopLeft, Cell(0, 0));
  const TRect status = Cell(1, 0);
  Label1 = NewCaption(u"Статус", {status.Left, status.Top - 20, status.Right, status.Top - 2});
  AdvDBComboBox1 =
      NewValueCombo(u"active", {{u"Active", u"1"}, {u"Not Active", u"2"}}, status);
  DBAdvEdit2 = NewEdit(u"address", u"Адреса", Pos::lpTopLeft, Cell(0, 1));
  DBAdvEdit3 = NewEdit(u"city", u"Град", Pos::lpTopLeft, Cell(1, 1));
  DBAdvEdit5 = NewEdit(u"email", u"Email", Pos::lpTopLeft, Cell(0, 2));
  DBAdvEdit6 = NewEdit(u"phone", u"Телефон", Pos::lpTopLeft, Cell(1, 2));
  DBAdvEdit7 = NewEdit(u"unique_private_no", u"ЕМБГ/ЕДБ", Pos::lpTopLeft, Cell(0, 3));
  DBAdvEdit4 = NewEdit(u"bank_name", u"Назив на банка", Pos::lpTopLeft, Cell(1, 3));
  DBAdvEdit8 = NewEdit(u"bank_account_no", u"Број на сметка", Pos::lpTopLeft, Cell(0, 4));
  DBAdvEdit9 =
      NewEdit(u"bank_account_name", u"Назив на сопств. на сметка", Pos::lpTopLeft, Cell(1, 4));
}
