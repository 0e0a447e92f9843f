// The list of the association's teams by title; its grid's popup opens the members of the chosen
// team. A team's description may run to several lines, so the rows are fitted to their text.
#pragma once

#include "app/FormPattern.h"
#include "app/ListPopup.h"

class TfrmTeams : public TListForm {
 public:
  explicit TfrmTeams(TComponent* owner);

  TMyQuery* Teams;
  TMyDataSource* dsTeams;
  TCaptionLabel* Label2;
  TPopupMenu* PopupMenu1;
  TMenuItem* N1;

  // New and change as every list has them, then the rows are fitted again.
  void AdvGlowButton1Click(TObject* sender);
  void AdvGlowButton2Click(TObject* sender);
  // "Одговорни членови": the members of the current team, under its title.
  void N1Click(TObject* sender);
  // Each row as high as its text needs, plus 4 pixels.
  void FitRows();

 protected:
  TEditForm* EditForm() const override;
  // A new team is active.
  void SetPresets(TDataSet* row) override;
  void Activated() override { FitRows(); }
};

extern TfrmTeams* frmTeams;
