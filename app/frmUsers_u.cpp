#include "app/frmUsers_u.h"

#include "app/frmAddEditUser_u.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/ui/Dialogs.h"

TfrmUsers* frmUsers = nullptr;

TfrmUsers::TfrmUsers(TComponent* owner)
    : TListForm(owner, {u"Членови",
                        u"Листа на членови",
                        u"Нов член",
                        u"Промени член",
                        u"Одберете корисник за промена!",
                        {{u"id", u"Број", 70, taRightJustify},
                         {u"name", u"Име", 130, taLeftJustify},
                         {u"surname", u"Презиме", 130, taLeftJustify},
                         {u"username", u"Корисничко име", 120, taLeftJustify},
                         {u"phone", u"Телефон", 130, taLeftJustify},
                         {u"email", u"Email", 140, taLeftJustify},
                         {u"member_from", u"Датум на членство", 130, taLeftJustify}}}) {
  Users = NewQuery(u"select * from users order by id,name,surname");
  dsUsers = new TMyDataSource(this);
  SetList(Users, dsUsers);
  CheckUsername = NewQuery(u"select id from users where username = :p_username and id <> :p_id",
                           false);
  CheckUsername->ParamByName(u"p_username")->SetDataType(ftWideString);
  CheckUsername->ParamByName(u"p_id")->SetAsInteger(0);
  AdvGlowButton2->OnClick = [this](TObject* sender) { AdvGlowButton2Click(sender); };
}

TEditForm* TfrmUsers::EditForm() const { return frmAddEditUser; }

void TfrmUsers::SetPresets(TDataSet* row) {
  const TDateTime now = Date() + Time();
  row->FieldByName(u"date_of_birth")->SetAsDateTime(now);
  row->FieldByName(u"member_from")->SetAsDateTime(now);
  row->FieldByName(u"created_on")->SetAsDateTime(now);
  row->FieldByName(u"active")->SetAsInteger(1);
  row->FieldByName(u"user_type")->SetAsInteger(2);
}

void TfrmUsers::AdvGlowButton2Click(TObject* sender) {
  // The demonstration user stays as it is; the comparison is exact, letter case included.
  if (Users->FieldByName(u"id")->AsInteger() >= 1 &&
      Users->FieldByName(u"username")->AsString() == u"demo") {
    MessageDlg(u"Забранета промена на информации за корисникот demo !", mtWarning,
               TMsgDlgButtons{mbOK});
    return;
  }
  TListForm::AdvGlowButton2Click(sender);
}
