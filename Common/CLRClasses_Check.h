// Range checks shared by the utility classes' source files (not part of the unit's interface).
#pragma once

#include <cstddef>
#include <cstdint>

#include "Common/CLRClasses.h"

namespace clr_detail {

// Raises ArgumentException unless [index, index + count) lies inside [0, size).
inline void CheckRange(int64_t index, int64_t count, size_t size) {
  if (index < 0 || count < 0 || index > static_cast<int64_t>(size) ||
      count > static_cast<int64_t>(size) - index)
    throw ArgumentException(u"Argument out of range");
}

inline void CheckNotNegative(int64_t value) {
  if (value < 0) throw ArgumentException(u"Argument out of range");
}

}  // namespace clr_detail
