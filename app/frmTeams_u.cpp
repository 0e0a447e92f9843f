#include "app/frmTeams_u.h"

#include "app/frmAddEditTeam_u.h"
#include "app/frmTeamMembers_u.h"
#include "platform/db/Fields.h"
#include "platform/ui/Dialogs.h"

TfrmTeams* frmTeams = nullptr;

namespace {

// A grid that can fit its rows to their content does so; the grid that draws every record in one
// line of a fixed height has nothing to fit.
template <class TGrid>
void FitRowsOf(TGrid* grid) {
  if constexpr (requires { grid->AutoSizeRows(false, 4); }) grid->AutoSizeRows(false, 4);
}

}  // namespace

TfrmTeams::TfrmTeams(TComponent* owner)
    : TListForm(owner, {u"Тимови",
                        u"Листа на тимови",
                        u"Нов тим",
                        u"Промени инфо за тим",
                        u"Одберете тим за промена!",
                        {{u"title", u"Назив на тим", 365, taLeftJustify},
                         {u"description", u"Опис", 270, taLeftJustify},
                         {u"status", u"Статус", 88, taLeftJustify}}}) {
  Teams = NewQuery(u"select * from team order by title");
  dsTeams = new TMyDataSource(this);
  SetList(Teams, dsTeams);
  const TListPopup popup =
      AddMembersPopup(this, u"Десен клик на тимот за менаџирање на одговорни членови",
                      [this](TObject* sender) { N1Click(sender); });
  Label2 = popup.Hint;
  PopupMenu1 = popup.Menu;
  N1 = popup.Item;
  AdvGlowButton1->OnClick = [this](TObject* sender) { AdvGlowButton1Click(sender); };
  AdvGlowButton2->OnClick = [this](TObject* sender) { AdvGlowButton2Click(sender); };
}

TEditForm* TfrmTeams::EditForm() const { return frmAddEditTeam; }

void TfrmTeams::SetPresets(TDataSet* row) { row->FieldByName(u"status")->SetAsString(u"Active"); }

void TfrmTeams::FitRows() { FitRowsOf(DBAdvGrid1); }

void TfrmTeams::AdvGlowButton1Click(TObject* sender) {
  TListForm::AdvGlowButton1Click(sender);
  FitRows();
}

void TfrmTeams::AdvGlowButton2Click(TObject* sender) {
  TListForm::AdvGlowButton2Click(sender);
  FitRows();
}

void TfrmTeams::N1Click(TObject*) {
  const int id = Teams->FieldByName(u"id")->AsInteger();
  if (id < 1) {
    MessageDlg(u"Одберете тим!", mtWarning, TMsgDlgButtons{mbOK});
    return;
  }
  frmTeamMembers->TeamId = id;
  frmTeamMembers->Label4->SetCaption(u"ТИМ ЗА : " + Teams->FieldByName(u"title")->AsString());
  frmTeamMembers->ShowModal();
  FitRows();
}
