// The decimal digits of a floating-point value, rounded the way the toolchain's text conversions
// round: the exact binary value to 18 significant digits, then half away from zero to the digits
// asked for. Shared by FloatToStrF, FormatFloat and Format; not part of the public interface.
#pragma once

#include <string>

#include "platform/rtl/NumberText.h"
#include "platform/rtl/Types.h"

namespace rtl_detail {

struct TDecimalDigits {
  enum TSpecial { dsFinite, dsNaN, dsInfinite };
  TSpecial Special = dsFinite;
  bool Negative = false;  // false for zero and for values rounded to zero
  // The value is 0.D1D2D3... x 10^Exponent; 0 for zero.
  int Exponent = 0;
  // ASCII digits without trailing zeros; empty for zero.
  std::string Digits;

  bool IsZero() const { return Special == dsFinite && Digits.empty(); }
};

// No limit on the decimals of DecimalDigits.
constexpr int kAnyDecimals = 9999;
constexpr int kMaxFloatDigits = 18;

// At most `precision` (1 to 18) significant digits and at most `decimals` digits after the point.
TDecimalDigits DecimalDigits(long double v, int precision, int decimals);

// Digits as UTF-16, with the separator between each group of three counted from the right
// (none when the separator is the zero character).
void AppendGroupedDigits(String& out, const std::string& digits, char16_t separator);

// "NAN", "INF" or "-INF" for the special values.
String SpecialText(const TDecimalDigits& d);

// FloatToStrF over the wider type, so Format keeps the 18 digits of a long double.
String FloatToText(long double v, TFloatFormat format, int precision, int digits,
                   const TFormatSettings& settings);

}  // namespace rtl_detail
