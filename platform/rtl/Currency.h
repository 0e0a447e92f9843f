// Currency: a fixed-point number with four decimals, held as the value times 10,000 in a 64-bit
// integer, so sums of money never pick up binary rounding errors. Every rounding is half to even
// at the fourth decimal, as the toolchain's floating-point unit rounds; a result beyond the range
// raises EOverflow and a division by zero EZeroDivide.
#pragma once

#include <compare>
#include <cstdint>

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

class Currency {
 public:
  // The scale: one unit of Raw() is 1/10,000.
  static constexpr int64_t Scale = 10000;

  constexpr Currency() = default;
  // A whole amount; raises EOverflow beyond +-922,337,203,685,477.
  Currency(int64_t whole);  // NOLINT: implicit, as integers mix with currency in arithmetic
  static constexpr Currency FromRaw(int64_t scaled) {
    Currency c;
    c.FRaw = scaled;
    return c;
  }
  // Rounds half to even at the fourth decimal; raises EOverflow for NaN, infinities and values
  // beyond the range.
  static Currency FromDouble(double v);
  static constexpr Currency MinValue() { return FromRaw(INT64_MIN); }
  static constexpr Currency MaxValue() { return FromRaw(INT64_MAX); }

  constexpr int64_t Raw() const { return FRaw; }
  double ToDouble() const;
  long double ToExtended() const;

  Currency operator-() const;
  Currency& operator+=(Currency b);
  Currency& operator-=(Currency b);
  // Products and quotients are computed exactly and rounded half to even at the fourth decimal.
  Currency& operator*=(Currency b);
  Currency& operator/=(Currency b);

  friend Currency operator+(Currency a, Currency b) { return a += b; }
  friend Currency operator-(Currency a, Currency b) { return a -= b; }
  friend Currency operator*(Currency a, Currency b) { return a *= b; }
  friend Currency operator/(Currency a, Currency b) { return a /= b; }
  friend constexpr bool operator==(Currency a, Currency b) = default;
  friend constexpr std::strong_ordering operator<=>(Currency a, Currency b) = default;

 private:
  int64_t FRaw = 0;
};

// Converts a double to currency without raising: false for NaN, infinities and values beyond the
// range (the result is then unchanged).
bool TryFloatToCurr(double value, Currency& result);

// The value with the settings' decimal separator, without thousand separators or trailing zeros:
// "1234.5", "-0.0001", "0".
String CurrToStr(Currency v, const TFormatSettings& settings = FormatSettings());
// Decimal text with optional blanks around it, a sign, the settings' decimal separator and an
// exponent, rounded half to even at the fourth decimal. Bad text, or a value beyond the range,
// raises EConvertError "'%s' is not a valid floating point value".
Currency StrToCurr(const String& s, const TFormatSettings& settings = FormatSettings());
bool TryStrToCurr(const String& s, Currency& v, const TFormatSettings& settings = FormatSettings());
