#include "app/MemberFields.h"

namespace {

const std::vector<TValueChoice> MemberStatuses{
    {u"Active", u"1"}, {u"Not Active", u"2"}, {u"Close", u"3"}};
const std::vector<TValueChoice> UserTypes{
    {u"Администратор", u"1"}, {u"Регуларен корисник", u"2"}, {u"Член", u"3"}};

}  // namespace

void TMemberFields::PlaceMemberFields(const TMemberFieldMakers& make) {
  // Two columns of fields, each with its caption above it.
  constexpr int left = 20, right = 290, width = 250, row = 56;
  auto at = [](int x, int r) { return TRect{x, 32 + r * row, x + width, 56 + r * row}; };
  auto captionAt = [](int x, int r) { return TRect{x, 12 + r * row, x + width, 30 + r * row}; };

  DBAdvEdit1 = make.Edit(u"name", u"Име", at(left, 0));
  DBAdvEdit2 = make.Edit(u"surname", u"Презиме", at(right, 0));
  DBAdvEdit3 = make.Edit(u"username", u"Корисничко име", at(left, 1));
  DBAdvEdit4 = make.Edit(u"password", u"Лозинка", at(right, 1));
  DBAdvEdit4->SetPasswordChar(u'*');
  DBAdvEdit5 = make.Edit(u"email", u"Email", at(left, 2));
  DBAdvEdit6 = make.Edit(u"phone", u"Телефон", at(right, 2));
  DBAdvEdit7 = make.Edit(u"address", u"Адреса", at(left, 3));
  Label1 = make.Caption(u"Статус", captionAt(right, 3));
  AdvDBComboBox1 = make.Combo(u"active", MemberStatuses, at(right, 3));
  Label2 = make.Caption(u"Датум на членство", captionAt(left, 4));
  AdvDBDateTimePicker1 = make.Date(u"member_from", at(left, 4));
  Label3 = make.Caption(u"Датум на раѓање", captionAt(right, 4));
  AdvDBDateTimePicker2 = make.Date(u"date_of_birth", at(right, 4));
  Label4 = make.Caption(u"Тип на корисник", captionAt(left, 5));
  AdvDBComboBox2 = make.Combo(u"user_type", UserTypes, at(left, 5));
  AdvDBComboBox2->SetEnabled(false);
}
