// The list of the association's news, the latest first, with the name of who confirmed each last.
#pragma once

#include "app/FormPattern.h"

class TfrmNews : public TListForm {
 public:
  explicit TfrmNews(TComponent* owner);

  TMyQuery* News;
  TMyDataSource* dsNews;

 protected:
  TEditForm* EditForm() const override;
  // A new item is active; news carry no date.
  void SetPresets(TDataSet* row) override;
};

extern TfrmNews* frmNews;
