// The list of the association's events, newest event date first, with the name of who confirmed
// each last.
#pragma once

#include "app/FormPattern.h"

class TfrmEvents : public TListForm {
 public:
  explicit TfrmEvents(TComponent* owner);

  TMyQuery* Events;
  TMyDataSource* dsEvents;

 protected:
  TEditForm* EditForm() const override;
  // A new event takes place now and is active.
  void SetPresets(TDataSet* row) override;
};

extern TfrmEvents* frmEvents;
