// Locators of a row's column values: where each value starts in the row's bytes and how long it
// is, so values are reached without copying them. The row bytes belong to the result set.
#pragma once

#include <cstdint>
#include <vector>

#include "MySql/MyCall.h"

class TMySqlBind {
 public:
  bool IsNull = false;
  int32_t Offset = 0;  // where the value starts in the row buffer; 0 = no value
  int32_t Length = 0;  // the value's length in bytes
  TMySqlFieldType Type = 0;  // filled for binary rows only
};

class TMySqlBinds {
 public:
  // count binds, all zero.
  explicit TMySqlBinds(int32_t count) : Binds(static_cast<size_t>(count > 0 ? count : 0)) {}

  std::vector<TMySqlBind> Binds;
  const uint8_t* Buffer = nullptr;  // the current row's bytes, which the offsets refer to
};
