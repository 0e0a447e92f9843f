#include "app/MembersForm.h"

#include "app/frmMain_u.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/ui/Dialogs.h"

namespace {

constexpr int Margin = 12;
constexpr int GridHeight = 360;
constexpr int MiddleWidth = 110;
constexpr int ButtonHeight = 34;
constexpr int HeadingHeight = 44;

const std::vector<TDataGridColumn> UserColumns{
    {u"name", u"Име", 140, taLeftJustify},
    {u"surname", u"Презиме", 140, taLeftJustify},
    {u"username", u"Корисничко име", 120, taLeftJustify}};

// A grid as wide as its columns, with a line after each and a border around.
int GridWidth() {
  int width = TDataGrid::IndicatorWidth + 1 + 4;
  for (const TDataGridColumn& column : UserColumns) width += column.Width + 1;
  return width;
}

TCaptionLabel* NewLabel(TForm* form, const String& caption, int left, int top, int width) {
  auto* label = new TCaptionLabel(form);
  label->SetParent(form);
  label->SetAutoSize(false);
  label->SetBounds(left, top, width, 20);
  label->SetCaption(caption);
  return label;
}

TDataGrid* NewGrid(TForm* form, TDataSource* source, int left, int top) {
  auto* grid = new TDataGrid(form);
  grid->SetParent(form);
  grid->SetBounds(left, top, GridWidth(), GridHeight);
  grid->SetFixedColWidth(TDataGrid::IndicatorWidth);
  grid->SetOptions(
      TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRowSelect});
  grid->SetColumns(UserColumns);
  grid->SetDataSource(source);
  return grid;
}

TActionButton* NewButton(TForm* form, const String& caption, int left, int top, int width) {
  auto* button = new TActionButton(form);
  button->SetParent(form);
  button->SetCaption(caption);
  button->SetBounds(left, top, width, ButtonHeight);
  return button;
}

}  // namespace

String ContainingPattern(const String& text) {
  String pattern = u"%";
  for (char16_t ch : text) {
    if (ch == u'\\' || ch == u'%' || ch == u'_') pattern += u'\\';
    pattern += ch;
  }
  return pattern + u"%";
}

void SearchMembers(TMyTable* users, const String& text) {
  // The filter on an open table would reopen it at once, before the parameter holds the new
  // text; so the table closes first and opens again once the parameter is set.
  const bool wasOpen = users->Active();
  users->Close();
  users->SetFilterSQL(MemberSearchFilter);
  // A table that has not opened yet has no statement, and so no parameter, until it builds one.
  users->CheckSQL();
  TDAParam* search = users->ParamByName(u"p_search");
  search->SetDataType(ftWideString);
  search->SetAsString(ContainingPattern(text));
  if (wasOpen) users->Open();
}

TMembersForm::TMembersForm(TComponent* owner, const TMembersFormPlan& plan)
    : TForm(owner), FPlan(plan), FOwnerParam(u"p_" + plan.OwnerColumn) {
  SetCaption(u"Одговорни членови");
  SetBorderStyle(bsSingle);
  SetPosition(poDesktopCenter);
  OnActivate = [this](TObject* sender) { FormActivate(sender); };
  OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };

  const int gridWidth = GridWidth();
  const int middleLeft = Margin + gridWidth + 10;
  const int rightLeft = middleLeft + MiddleWidth + 10;
  const int clientWidth = rightLeft + gridWidth + Margin;
  SetClientWidth(clientWidth);

  int top = Margin;
  if (plan.Heading) {
    Label4 = NewLabel(this, u"ТИМ ЗА : ", Margin, top, clientWidth - 2 * Margin);
    Label4->SetHeight(HeadingHeight - 8);
    Label4->SetAlignment(taCenter);
    Label4->SetWordWrap(true);
    Label4->Font()->SetSize(11);
    Label4->Font()->SetStyle(TFontStyles{fsBold});
    top += HeadingHeight;
  }

  // The search row, over the left grid.
  Label3 = NewLabel(this, u"Име / Презиме", Margin, top + 3, 110);
  Edit1 = new TEdit(this);
  Edit1->SetParent(this);
  Edit1->SetBounds(Margin + 114, top, gridWidth - 114, 24);
  Edit1->OnChange = [this](TObject* sender) { Edit1Change(sender); };
  top += 34;

  Label1 = NewLabel(this, u"Сите членови ( Админ и Регуларни )", Margin, top, gridWidth);
  Label2 = NewLabel(this, plan.AssignedTitle, rightLeft, top, gridWidth);
  top += 24;

  Users = new TMyTable(this);
  Users->SetConnection(frmMain->myConnection);
  Users->SetTableName(u"users");
  Users->SetOrderFields(u"name, surname");
  Users->SetFilterSQL(AssignableUsersFilter);
  Users->SetFilterOptions(TFilterOptions{foCaseInsensitive});
  Users->Options()->SetAutoRefresh(true);
  dsUsers = new TMyDataSource(this);
  dsUsers->SetDataSet(Users);

  Assigned = new TMyQuery(this);
  Assigned->SetConnection(frmMain->myConnection);
  Assigned->SetSQLText(u"select tm.*,u.name, u.surname, u.username from " + plan.Table +
                       u" tm, users u\nwhere tm.user_id = u.id and tm." + plan.OwnerColumn +
                       u" = :" + FOwnerParam + u" order by u.name,u.surname");
  Assigned->ParamByName(FOwnerParam)->SetAsInteger(0);
  Assigned->Options()->SetAutoRefresh(true);
  dsAssigned = new TMyDataSource(this);
  dsAssigned->SetDataSet(Assigned);

  CheckDuplicate = new TMyQuery(this);
  CheckDuplicate->SetConnection(frmMain->myConnection);
  CheckDuplicate->SetSQLText(u"select id from " + plan.Table + u" where " + plan.OwnerColumn +
                             u" = :" + FOwnerParam + u" and user_id = :p_user_id");
  CheckDuplicate->ParamByName(FOwnerParam)->SetAsInteger(0);
  CheckDuplicate->ParamByName(u"p_user_id")->SetAsInteger(0);

  DBAdvGrid1 = NewGrid(this, dsUsers, Margin, top);
  DBAdvGrid2 = NewGrid(this, dsAssigned, rightLeft, top);

  const int middle = top + GridHeight / 2;
  AdvGlowButton1 = NewButton(this, u"Додај >>", middleLeft, middle - ButtonHeight - 6, MiddleWidth);
  AdvGlowButton1->OnClick = [this](TObject* sender) { AdvGlowButton1Click(sender); };
  AdvGlowButton2 = NewButton(this, u" << Одстрани", middleLeft, middle + 6, MiddleWidth);
  AdvGlowButton2->OnClick = [this](TObject* sender) { AdvGlowButton2Click(sender); };
  top += GridHeight + Margin;
  AdvGlowButton3 = NewButton(this, u"ИЗЛЕЗ", clientWidth - Margin - 120, top, 120);
  AdvGlowButton3->OnClick = [this](TObject* sender) { AdvGlowButton3Click(sender); };
  SetClientHeight(top + ButtonHeight + Margin);
}

void TMembersForm::FormActivate(TObject*) {
  // Emptying a text that was there is a change, and searches again with the empty text.
  Edit1->SetText(u"");
  Users->Open();
  Assigned->ParamByName(FOwnerParam)->SetAsInteger(OwnerId);
  Assigned->Open();
  const bool administrator = frmMain->UserType == 1;
  AdvGlowButton1->SetEnabled(administrator);
  AdvGlowButton2->SetEnabled(administrator);
}

void TMembersForm::FormClose(TObject*, TCloseAction&) {
  Users->Close();
  Assigned->Close();
}

void TMembersForm::Edit1Change(TObject*) { SearchMembers(Users, Edit1->Text()); }

void TMembersForm::AdvGlowButton1Click(TObject*) {
  const int userId = Users->FieldByName(u"id")->AsInteger();
  if (userId <= 0) {
    MessageDlg(u"Одберете член!", mtWarning, TMsgDlgButtons{mbOK});
    return;
  }
  // The check is asked afresh each time, and closed however the add ends.
  CheckDuplicate->Close();
  CheckDuplicate->ParamByName(FOwnerParam)->SetAsInteger(OwnerId);
  CheckDuplicate->ParamByName(u"p_user_id")->SetAsInteger(userId);
  CheckDuplicate->Open();
  const bool duplicate = CheckDuplicate->RecordCount() > 0;
  CheckDuplicate->Close();
  if (duplicate) {
    MessageDlg(u"Членот е веќе додаден!", mtWarning, TMsgDlgButtons{mbOK});
    return;
  }
  Assigned->Append();
  Assigned->FieldByName(u"user_id")->SetAsInteger(userId);
  Assigned->FieldByName(FPlan.OwnerColumn)->SetAsInteger(OwnerId);
  try {
    Assigned->Post();
  } catch (...) {
    // The list stays as it was; a row left inserting would be posted by the next add.
    Assigned->Cancel();
    throw;
  }
  Assigned->Refresh();
}

void TMembersForm::AdvGlowButton2Click(TObject*) {
  if (Assigned->FieldByName(u"id")->AsInteger() <= 0) {
    MessageDlg(u"Одберете член!", mtWarning, TMsgDlgButtons{mbOK});
    return;
  }
  Assigned->Delete();
}

void TMembersForm::AdvGlowButton3Click(TObject*) { Close(); }
