#include "app/frmModifyOwnData_u.h"

#include "app/frmMain_u.h"

TfrmModifyOwnData* frmModifyOwnData = nullptr;

namespace {

constexpr int ButtonWidth = 120;
constexpr int ButtonHeight = 34;

}  // namespace

TfrmModifyOwnData::TfrmModifyOwnData(TComponent* owner) : TForm(owner) {
  SetCaption(u"Промена на лични податоци");
  SetBorderStyle(bsSingle);
  SetPosition(poDesktopCenter);
  SetClientWidth(MemberFormWidth);
  SetClientHeight(MemberFormHeight);
  OnActivate = [this](TObject* sender) { FormActivate(sender); };

  Users = new TMyQuery(this);
  Users->SetConnection(frmMain->myConnection);
  Users->SetSQLText(u"select * from users where id = :p_id");
  Users->ParamByName(u"p_id")->SetAsInteger(0);
  Users->Options()->SetAutoRefresh(true);
  dsUsers = new TMyDataSource(this);
  dsUsers->SetDataSet(Users);

  // The controls are bound to the form's own query.
  auto place = [this](auto* control, const String& field, const TRect& bounds) {
    control->SetParent(this);
    control->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    control->SetDataField(field);
    control->SetDataSource(dsUsers);
    return control;
  };
  PlaceMemberFields(
      {[this, place](const String& field, const String& caption, const TRect& bounds) {
         auto* edit = place(new TDataEdit(this), field, bounds);
         edit->SetLabelCaption(caption);
         edit->SetLabelPosition(TDataEditLabelPosition::lpTopLeft);
         return edit;
       },
       [this, place](const String& field, const std::vector<TValueChoice>& choices,
                     const TRect& bounds) {
         auto* combo = place(new TDataValueCombo(this), field, bounds);
         combo->SetStyle(csDropDownList);
         TAdvDBComboBoxStrings* items = combo->ComboItems();
         for (const TValueChoice& choice : choices) {
           items->Add(choice.Word);
           items->SetStored(items->Count() - 1, choice.Stored);
         }
         return combo;
       },
       [this, place](const String& field, const TRect& bounds) {
         auto* picker = place(new TDataDatePicker(this), field, bounds);
         picker->SetKind(dtkDate);
         return picker;
       },
       [this](const String& text, const TRect& bounds) {
         auto* label = new TCaptionLabel(this);
         label->SetParent(this);
         label->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
         label->SetCaption(text);
         return label;
       }});
  // What the user may not change about himself.
  DBAdvEdit3->SetReadOnly(true);
  AdvDBComboBox1->SetEnabled(false);
  AdvDBComboBox1->SetTabStop(false);
  AdvDBDateTimePicker1->SetEnabled(false);
  AdvDBDateTimePicker1->SetTabStop(false);

  const int top = MemberFormHeight - 12 - ButtonHeight;
  const int left = (MemberFormWidth - 2 * ButtonWidth - 12) / 2;
  AdvGlowButton1 = new TActionButton(this);
  AdvGlowButton1->SetParent(this);
  AdvGlowButton1->SetCaption(u"ПОТВРДИ");
  AdvGlowButton1->SetBounds(left, top, ButtonWidth, ButtonHeight);
  AdvGlowButton1->SetEnabled(false);
  AdvGlowButton2 = new TActionButton(this);
  AdvGlowButton2->SetParent(this);
  AdvGlowButton2->SetCaption(u"ОТКАЖИ");
  AdvGlowButton2->SetBounds(left + ButtonWidth + 12, top, ButtonWidth, ButtonHeight);
  AdvGlowButton2->OnClick = [this](TObject* sender) { AdvGlowButton2Click(sender); };
}

void TfrmModifyOwnData::FormActivate(TObject*) {
  if (DBAdvEdit1->CanFocus()) DBAdvEdit1->SetFocus();
}

void TfrmModifyOwnData::AdvGlowButton2Click(TObject*) {
  Users->Cancel();
  Close();
}
