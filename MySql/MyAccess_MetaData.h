// The MySQL form of the metadata component: its connection is a MySQL connection component.
#pragma once

#include "Common/DBAccess_MetaData.h"

class TCustomMyConnection;

class TMyMetaData : public TDAMetaData {
 public:
  explicit TMyMetaData(TComponent* owner) : TDAMetaData(owner) {}

  TCustomMyConnection* Connection() const;
  void SetConnection(TCustomMyConnection* value);
};
