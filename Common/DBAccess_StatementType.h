#pragma once

#include <cstdint>

#include "platform/rtl/Sets.h"

// The kinds of statement the updater runs; a set is a bit set with bit n for value n.
enum TStatementType : uint8_t {
  stQuery,
  stInsert,
  stUpdate,
  stDelete,
  stLock,
  stRefresh,
  stCustom,
  stRefreshQuick,
  stRefreshCheckDeleted,
  stBatchUpdate
};
using TStatementTypes = TSet<TStatementType, 16>;
