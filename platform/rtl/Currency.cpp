#include "platform/rtl/Currency.h"

#include <cfenv>
#include <cmath>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FMTBcd.h"

namespace {

using Int128 = __int128;

[[noreturn]] void RaiseCurrencyOverflow() { throw EOverflow(u"Floating point overflow"); }

Currency FromWide(Int128 raw) {
  if (raw > INT64_MAX || raw < INT64_MIN) RaiseCurrencyOverflow();
  return Currency::FromRaw(static_cast<int64_t>(raw));
}

// The quotient of n / d rounded half to even (d != 0).
Int128 DivideHalfEven(Int128 n, Int128 d) {
  Int128 q = n / d;
  Int128 r = n % d;
  if (r == 0) return q;
  Int128 twice = (r < 0 ? -r : r) * 2;
  Int128 absD = d < 0 ? -d : d;
  bool negative = (n < 0) != (d < 0);
  if (twice > absD || (twice == absD && (q % 2 != 0))) q += negative ? -1 : 1;
  return q;
}

}  // namespace

Currency::Currency(int64_t whole) {
  *this = FromWide(static_cast<Int128>(whole) * Scale);
}

bool TryFloatToCurr(double value, Currency& result) {
  if (!std::isfinite(value)) return false;
  // The product is formed in extended precision, as the toolchain does, so 1.00005 (just above
  // the half in binary) rounds up while an exact half rounds to even.
  long double scaled = static_cast<long double>(value) * Currency::Scale;
  // 2^63 is exactly representable; anything at or above it does not fit.
  constexpr long double limit = 9223372036854775808.0L;
  long double rounded = std::nearbyint(scaled);  // the default mode rounds half to even
  if (rounded >= limit || rounded < -limit) return false;
  result = Currency::FromRaw(static_cast<int64_t>(rounded));
  return true;
}

Currency Currency::FromDouble(double v) {
  Currency c;
  if (!TryFloatToCurr(v, c)) RaiseCurrencyOverflow();
  return c;
}

double Currency::ToDouble() const {
  // Below 2^53 both operands are exact, so the one division rounds correctly: 0.1 in currency
  // gives the same double as the text "0.1".
  constexpr int64_t exactLimit = int64_t{1} << 53;
  if (FRaw > -exactLimit && FRaw < exactLimit) return static_cast<double>(FRaw) / Scale;
  return static_cast<double>(ToExtended());
}

long double Currency::ToExtended() const { return static_cast<long double>(FRaw) / Scale; }

Currency Currency::operator-() const { return FromWide(-static_cast<Int128>(FRaw)); }

Currency& Currency::operator+=(Currency b) {
  *this = FromWide(static_cast<Int128>(FRaw) + b.FRaw);
  return *this;
}

Currency& Currency::operator-=(Currency b) {
  *this = FromWide(static_cast<Int128>(FRaw) - b.FRaw);
  return *this;
}

Currency& Currency::operator*=(Currency b) {
  *this = FromWide(DivideHalfEven(static_cast<Int128>(FRaw) * b.FRaw, Scale));
  return *this;
}

Currency& Currency::operator/=(Currency b) {
  if (b.FRaw == 0) throw EZeroDivide(u"Floating point division by zero");
  *this = FromWide(DivideHalfEven(static_cast<Int128>(FRaw) * Scale, b.FRaw));
  return *this;
}

String CurrToStr(Currency v, const TFormatSettings& settings) {
  int64_t raw = v.Raw();
  uint64_t magnitude = raw < 0 ? 0 - static_cast<uint64_t>(raw) : static_cast<uint64_t>(raw);
  std::string whole = std::to_string(magnitude / Currency::Scale);
  std::string fraction = std::to_string(magnitude % Currency::Scale + Currency::Scale).substr(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  String text;
  if (raw < 0) text += u'-';
  text.append(whole.begin(), whole.end());
  if (!fraction.empty()) {
    text += settings.DecimalSeparator;
    text.append(fraction.begin(), fraction.end());
  }
  return text;
}

bool TryStrToCurr(const String& s, Currency& v, const TFormatSettings& settings) {
  // The decimal record reads the text exactly, so no binary rounding comes between the digits
  // and the fourth decimal.
  TBcd bcd;
  return TryStrToBcd(s, bcd, settings) && BCDToCurr(bcd, v);
}

Currency StrToCurr(const String& s, const TFormatSettings& settings) {
  Currency v;
  if (!TryStrToCurr(s, v, settings))
    throw EConvertError(u"'" + s + u"' is not a valid floating point value");
  return v;
}
