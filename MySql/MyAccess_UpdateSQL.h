// The MySQL update object: its component slots take MySQL dataset components and MySQL command
// components.
#pragma once

#include "Common/DBAccess_UpdateSQL.h"

class TMyUpdateSQL : public TCustomDAUpdateSQL {
 public:
  using TCustomDAUpdateSQL::TCustomDAUpdateSQL;

  TDAComponentClass DataSetClass() const override;
  TDAComponentClass SQLClass() const override;
};
