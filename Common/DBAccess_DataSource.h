// The data source of the data-access library: the platform's data source under the library's
// own name, which also copies its settings to another data source.
#pragma once

#include "platform/db/DataSource.h"

class TLxDataSource : public TDataSource {
 public:
  explicit TLxDataSource(TComponent* owner) : TDataSource(owner) {}

 protected:
  // To another data source: its dataset, AutoEdit and Enabled; its events stay its own.
  void AssignTo(TPersistent* dest) override;
};
