#include "app/frmLogin_u.h"

#include "app/frmMain_u.h"
#include "platform/ui/Dialogs.h"

TfrmLogin* frmLogin = nullptr;

namespace {
constexpr WORD EnterKey = 13;
constexpr TShortCut EscKey = 27;

bool Missing(const String& text) { return text.empty() || text == u" "; }
}  // namespace

TfrmLogin::TfrmLogin(TComponent* owner) : TForm(owner) {
  SetCaption(u"Најава");
  SetBorderStyle(bsSingle);
  SetPosition(poDesktopCenter);
  SetClientWidth(380);
  SetClientHeight(210);

  DBAdvSmoothLabel1 = new TDataCaptionLabel(this);
  DBAdvSmoothLabel1->SetParent(this);
  DBAdvSmoothLabel1->SetBounds(0, 14, 380, 32);
  DBAdvSmoothLabel1->Caption()->Font()->SetSize(16);
  DBAdvSmoothLabel1->Caption()->Font()->SetStyle(TFontStyles{fsBold});
  DBAdvSmoothLabel1->Caption()->SetText(u"НАЈАВА");

  AdvEdit1 = new TCaptionedEdit(this);
  AdvEdit1->SetParent(this);
  AdvEdit1->SetBounds(140, 64, 200, 24);
  AdvEdit1->SetLabelCaption(u"Корисничко име ");
  AdvEdit1->SetLabelPosition(AdvEdit::TLabelPosition::lpLeftCenter);
  AdvEdit1->OnKeyDown = [this](TObject* sender, WORD& key, TShiftState shift) {
    AdvEdit1KeyDown(sender, key, shift);
  };

  AdvEdit2 = new TCaptionedEdit(this);
  AdvEdit2->SetParent(this);
  AdvEdit2->SetBounds(140, 100, 200, 24);
  AdvEdit2->SetEditType(TAdvEditType::etPassword);
  AdvEdit2->SetPasswordChar(u'*');
  AdvEdit2->SetCanUndo(false);
  AdvEdit2->SetLabelCaption(u"Лозинка ");
  AdvEdit2->SetLabelPosition(AdvEdit::TLabelPosition::lpLeftCenter);
  AdvEdit2->OnKeyDown = [this](TObject* sender, WORD& key, TShiftState shift) {
    AdvEdit2KeyDown(sender, key, shift);
  };

  AdvGlowButton1 = new TActionButton(this);
  AdvGlowButton1->SetParent(this);
  AdvGlowButton1->SetCaption(u"ПОТВРДИ");
  AdvGlowButton1->SetBounds(140, 150, 96, 32);
  AdvGlowButton1->OnClick = [this](TObject* sender) { AdvGlowButton1Click(sender); };

  AdvGlowButton2 = new TActionButton(this);
  AdvGlowButton2->SetParent(this);
  AdvGlowButton2->SetCaption(u"ИЗЛЕЗ");
  AdvGlowButton2->SetBounds(244, 150, 96, 32);
  AdvGlowButton2->OnClick = [this](TObject* sender) { AdvGlowButton2Click(sender); };

  ActionList1 = new TActionList(this);
  Esc = new TAction(this);
  Esc->SetActionList(ActionList1);
  Esc->SetCaption(u"Esc");
  Esc->SetShortCut(EscKey);
  Esc->OnExecute = [this](TObject* sender) { EscExecute(sender); };
}

void TfrmLogin::AdvGlowButton1Click(TObject*) {
  const String userName = AdvEdit1->Text();
  const String password = AdvEdit2->Text();
  if (Missing(userName) || Missing(password)) {
    ShowMessage(u"Сите полиња се задолжителни!");
    return;
  }
  TMyQuery* login = frmMain->Login;
  login->Close();
  login->ParamByName(u"p_username")->SetAsString(userName);
  login->ParamByName(u"p_password")->SetAsString(password);
  login->Open();
  if (login->RecordCount() < 1) {
    ShowMessage(u"Неуспешен обид. Обидете се повторно!");
    AdvEdit1->SetFocus();
    login->Close();
    return;
  }
  frmMain->LoggedAt = Date() + Time();
  frmMain->UserId = login->FieldByName(u"id")->AsInteger();
  frmMain->UserType = login->FieldByName(u"user_type")->AsInteger();
  frmMain->UserFullName =
      login->FieldByName(u"name")->AsString() + u" " + login->FieldByName(u"surname")->AsString();
  frmMain->UserName = login->FieldByName(u"username")->AsString();
  login->Close();
  Close();
}

void TfrmLogin::AdvGlowButton2Click(TObject*) {
  frmMain->UserId = 0;
  Close();
}

void TfrmLogin::EscExecute(TObject*) { Close(); }

void TfrmLogin::AdvEdit1KeyDown(TObject*, WORD& key, TShiftState) {
  if (key == EnterKey) AdvEdit2->SetFocus();
}

void TfrmLogin::AdvEdit2KeyDown(TObject*, WORD& key, TShiftState) {
  if (key == EnterKey) AdvGlowButton1->SetFocus();
}
