// The MySQL dataset updater: runs the update statements through a MySQL command on the
// dataset's connection, tells it where the placeholders of a generated text stand, and reads the
// key the server generated for an AUTO_INCREMENT column.
#pragma once

#include "Common/DBAccess_Updater.h"

class TCustomMyDataSetUpdater : public TDADataSetUpdater {
 public:
  using TDADataSetUpdater::TDADataSetUpdater;

 protected:
  std::unique_ptr<TLxCommand> CreateUpdateCommand() override;
  void SetParamPositions(TLxCommand& command, const String& sql) override;
  int RowsAffected(TLxCommand& command) override;
  bool GetIdentityFieldValue(Variant& value) override;
};
