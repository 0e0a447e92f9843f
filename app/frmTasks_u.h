// The list of the association's tasks, the latest created first, with the name of who confirmed
// each last; its grid's popup opens the members responsible for the chosen task.
#pragma once

#include "app/FormPattern.h"
#include "app/ListPopup.h"

class TfrmTasks : public TListForm {
 public:
  explicit TfrmTasks(TComponent* owner);

  TMyQuery* Tasks;
  TMyDataSource* dsTasks;
  TCaptionLabel* Label2;
  TPopupMenu* PopupMenu1;
  TMenuItem* N1;

  // "Одговорни членови": the members of the current task.
  void N1Click(TObject* sender);

 protected:
  TEditForm* EditForm() const override;
  // A new task is active and shows its creation time in the list at once.
  void SetPresets(TDataSet* row) override;
};

extern TfrmTasks* frmTasks;
