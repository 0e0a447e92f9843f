#include "Common/DBAccess_DataSource.h"

void TLxDataSource::AssignTo(TPersistent* dest) {
  auto* target = dynamic_cast<TDataSource*>(dest);
  if (!target) {
    TDataSource::AssignTo(dest);
    return;
  }
  target->SetDataSet(DataSet());
  target->SetAutoEdit(AutoEdit());
  target->SetEnabled(Enabled());
}
