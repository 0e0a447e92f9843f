#include "platform/rtl/FloatDigits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace rtl_detail {

namespace {

// Adds one to the last digit, carrying to the left; true when the carry runs off the front
// (all nines), in which case the digits are left as zeros.
bool IncrementDigits(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  return true;
}

// Keeps `count` digits, rounding the first dropped one half away from zero.
void RoundDigits(TDecimalDigits& d, int count) {
  if (count < 0) {
    d.Digits.clear();
    return;
  }
  if (static_cast<size_t>(count) >= d.Digits.size()) return;
  bool roundUp = d.Digits[count] >= '5';
  d.Digits.resize(count);
  if (!roundUp) return;
  if (d.Digits.empty() || IncrementDigits(d.Digits)) {
    d.Digits = "1";
    ++d.Exponent;
  }
}

}  // namespace

TDecimalDigits DecimalDigits(long double v, int precision, int decimals) {
  TDecimalDigits d;
  if (std::isnan(v)) {
    d.Special = TDecimalDigits::dsNaN;
    return d;
  }
  d.Negative = std::signbit(v);
  if (std::isinf(v)) {
    d.Special = TDecimalDigits::dsInfinite;
    return d;
  }
  if (v == 0) {
    d.Negative = false;
    return d;
  }
  // "d.ddddddddddddddddde+XX": the binary value correctly rounded to 18 significant digits,
  // without regard to the C locale.
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific,
                           kMaxFloatDigits - 1);
  std::string text(buf, res.ptr);
  size_t e = text.find('e');
  for (size_t i = 0; i < e; ++i)
    if (text[i] != '.') d.Digits += text[i];
  d.Exponent = std::atoi(text.c_str() + e + 1) + 1;

  int keep = std::clamp(precision, 1, kMaxFloatDigits);
  if (decimals < kAnyDecimals) keep = std::min(keep, d.Exponent + decimals);
  RoundDigits(d, keep);
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  if (d.Digits.empty()) {
    d.Exponent = 0;
    d.Negative = false;
  }
  return d;
}

void AppendGroupedDigits(String& out, const std::string& digits, char16_t separator) {
  size_t n = digits.size();
  for (size_t i = 0; i < n; ++i) {
    out += static_cast<char16_t>(digits[i]);
    size_t rest = n - 1 - i;
    if (separator != 0 && rest > 0 && rest % 3 == 0) out += separator;
  }
}

String SpecialText(const TDecimalDigits& d) {
  if (d.Special == TDecimalDigits::dsNaN) return u"NAN";
  return d.Negative ? u"-INF" : u"INF";
}

}  // namespace rtl_detail
