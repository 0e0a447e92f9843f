// An engine error number as a test sees it: compares with a number or a name from the engine's
// error table, and a failed expectation prints it as "CR_MALFORMED_PACKET (2027)" instead of a
// bare number. 0 means no error was raised.
#pragma once

#include <cstdint>
#include <ostream>

#include "MySql/MySqlErrors.h"

struct TErrorNumber {
  int32_t Value = 0;

  friend bool operator==(TErrorNumber a, int32_t b) { return a.Value == b; }
  friend void PrintTo(TErrorNumber number, std::ostream* out) {
    *out << (number.Value == 0 ? std::string("no error") : DescribeError(number.Value));
  }
};
