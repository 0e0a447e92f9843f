#include "platform/rtl/RtlMath.h"

#include <cmath>
#include <limits>

#include "platform/rtl/Exceptions.h"

namespace {

// Whether v converts to a 64-bit integer: finite and in [-2^63, 2^63).
void CheckInt64Range(double v) {
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  if (!(v >= -kLimit && v < kLimit)) throw ERangeError(u"Range check error");
}

}  // namespace

int64_t Round(double v) {
  CheckInt64Range(v);
  double whole = std::floor(v);
  double rest = v - whole;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
  CheckInt64Range(whole);
  return static_cast<int64_t>(whole);
}

int64_t Trunc(double v) {
  CheckInt64Range(v);
  return static_cast<int64_t>(std::trunc(v));
}

double Frac(double v) { return v - std::trunc(v); }

double Int(double v) { return std::trunc(v); }

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  int64_t product = static_cast<int64_t>(a) * b;
  int64_t quotient = product / c;
  int64_t remainder = product % c;
  // Halves go away from zero: compare twice the remainder with the divisor, in magnitudes.
  if (2 * std::abs(remainder) >= std::abs(static_cast<int64_t>(c)))
    quotient += ((product < 0) != (c < 0)) ? -1 : 1;
  if (quotient < std::numeric_limits<int32_t>::min() ||
      quotient > std::numeric_limits<int32_t>::max())
    return -1;
  return static_cast<int32_t>(quotient);
}
