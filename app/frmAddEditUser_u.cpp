#include "app/frmAddEditUser_u.h"

#include "app/frmUsers_u.h"
#include "platform/db/Fields.h"

TfrmAddEditUser* frmAddEditUser = nullptr;

TfrmAddEditUser::TfrmAddEditUser(TComponent* owner)
    : TEditForm(owner, u"Нов/Промена Член", MemberFormWidth, MemberFormHeight) {
  PlaceMemberFields(
      {[this](const String& field, const String& caption, const TRect& bounds) {
         return NewEdit(field, caption, TDataEditLabelPosition::lpTopLeft, bounds);
       },
       [this](const String& field, const std::vector<TValueChoice>& choices, const TRect& bounds) {
         return NewValueCombo(field, choices, bounds);
       },
       [this](const String& field, const TRect& bounds) { return NewDatePicker(field, bounds); },
       [this](const String& text, const TRect& bounds) { return NewCaption(text, bounds); }});
}

String TfrmAddEditUser::FailedCheck() {
  // The row's own id is left out, so a member keeps his name; a new row has none and reads 0.
  // The server compares the names as the unique index does, without regard to letter case.
  TMyQuery* users = frmUsers->Users;
  TMyQuery* check = frmUsers->CheckUsername;
  const String userName = users->FieldByName(u"username")->AsString();
  check->Close();
  check->ParamByName(u"p_id")->SetAsInteger(users->FieldByName(u"id")->AsInteger());
  check->ParamByName(u"p_username")->SetAsString(userName);
  check->Open();
  const bool taken = check->RecordCount() > 0;
  check->Close();
  return taken ? u"Веќе постои корисничко име - " + userName + u"!" : String();
}
