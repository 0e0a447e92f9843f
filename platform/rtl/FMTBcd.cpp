#include "platform/rtl/FMTBcd.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <system_error>

#include "platform/rtl/UnicodeText.h"

namespace {

// A decimal being worked on: the digits as ASCII, the last `places` of them after the point.
struct Decimal {
  bool negative = false;
  std::string digits;
  int places = 0;

  int IntegerDigits() const { return static_cast<int>(digits.size()) - places; }
  bool IsZero() const { return digits.find_first_not_of('0') == std::string::npos; }
};

enum class Rounding { HalfAwayFromZero, HalfToEven, Truncate };

[[noreturn]] void RaiseBcdOverflow() { throw EBcdOverflowException(u"BCD overflow"); }

Decimal Unpack(const TBcd& bcd) {
  Decimal d;
  int precision = bcd.Precision;
  if (precision > MaxFMTBcdDigits) throw EBcdException(u"Invalid BCD precision");
  d.negative = (bcd.SignSpecialPlaces & BcdSignBit) != 0;
  d.places = bcd.SignSpecialPlaces & BcdPlacesMask;
  for (int i = 0; i < precision; ++i) {
    uint8_t byte = bcd.Fraction[i / 2];
    int nibble = (i % 2 == 0) ? byte >> 4 : byte & 0x0F;
    if (nibble > 9) throw EBcdException(u"Invalid BCD digit");
    d.digits.push_back(static_cast<char>('0' + nibble));
  }
  // More places than digits means leading zeros after the point.
  if (d.places > precision) d.digits.insert(0, d.places - precision, '0');
  return d;
}

void StripIntegerZeros(Decimal& d) {
  size_t zeros = 0;
  while (static_cast<int>(zeros) < d.IntegerDigits() && d.digits[zeros] == '0') ++zeros;
  d.digits.erase(0, zeros);
  if (d.digits.empty()) d.digits = "0";
}

// Adds one unit in the last place to the magnitude.
void IncrementLast(Decimal& d) {
  for (size_t i = d.digits.size(); i-- > 0;) {
    if (d.digits[i] != '9') {
      ++d.digits[i];
      return;
    }
    d.digits[i] = '0';
  }
  d.digits.insert(d.digits.begin(), '1');
}

// Sets the number of places, appending zeros or rounding off digits.
void Rescale(Decimal& d, int places, Rounding mode) {
  if (places >= d.places) {
    d.digits.append(places - d.places, '0');
    d.places = places;
    return;
  }
  size_t keep = d.digits.size() - (d.places - places);
  std::string dropped = d.digits.substr(keep);
  d.digits.erase(keep);
  d.places = places;
  if (d.digits.empty()) d.digits = "0";
  bool up = false;
  if (mode == Rounding::HalfAwayFromZero) {
    up = dropped[0] >= '5';
  } else if (mode == Rounding::HalfToEven) {
    bool beyondHalf = dropped.find_first_not_of('0', 1) != std::string::npos;
    bool lastOdd = (d.digits.back() - '0') % 2 != 0;
    up = dropped[0] > '5' || (dropped[0] == '5' && (beyondHalf || lastOdd));
  }
  if (up) IncrementLast(d);
}

void Write(const Decimal& d, TBcd& bcd) {
  std::memset(&bcd, 0, sizeof bcd);
  bcd.Precision = static_cast<uint8_t>(d.digits.size());
  bcd.SignSpecialPlaces = static_cast<uint8_t>(d.places);
  if (d.negative && !d.IsZero()) bcd.SignSpecialPlaces |= BcdSignBit;
  for (size_t i = 0; i < d.digits.size(); ++i) {
    uint8_t nibble = static_cast<uint8_t>(d.digits[i] - '0');
    bcd.Fraction[i / 2] |= (i % 2 == 0) ? nibble << 4 : nibble;
  }
}

// Stores the value in its shortest form (no leading zeros), rounding off places that do not fit;
// false when the integer part needs more than 64 digits.
bool Pack(Decimal d, TBcd& bcd) {
  if (d.places > MaxFMTBcdPlaces) Rescale(d, MaxFMTBcdPlaces, Rounding::HalfAwayFromZero);
  StripIntegerZeros(d);
  // Round off places until the digits fit; a carry may add an integer digit and call for one
  // more pass.
  while (static_cast<int>(d.digits.size()) > MaxFMTBcdDigits && d.places > 0) {
    Rescale(d, std::max(0, MaxFMTBcdDigits - d.IntegerDigits()), Rounding::HalfAwayFromZero);
    StripIntegerZeros(d);
  }
  if (static_cast<int>(d.digits.size()) > MaxFMTBcdDigits) return false;
  Write(d, bcd);
  return true;
}

Decimal FromInteger(bool negative, uint64_t magnitude, int places) {
  Decimal d;
  d.negative = negative;
  d.digits = std::to_string(magnitude);
  if (static_cast<int>(d.digits.size()) < places + 1)
    d.digits.insert(0, places + 1 - d.digits.size(), '0');
  d.places = places;
  return d;
}

TBcd PackOrRaise(const Decimal& d) {
  TBcd bcd;
  if (!Pack(d, bcd)) RaiseBcdOverflow();
  return bcd;
}

// -1, 0, 1 by magnitude.
int CompareMagnitude(Decimal a, Decimal b) {
  // Without any integer zeros, equal magnitudes have equal digits once the places agree.
  for (Decimal* d : {&a, &b}) {
    StripIntegerZeros(*d);
    if (d->IntegerDigits() == 1 && d->digits[0] == '0') d->digits.erase(0, 1);
  }
  int places = std::max(a.places, b.places);
  Rescale(a, places, Rounding::Truncate);
  Rescale(b, places, Rounding::Truncate);
  if (a.digits.size() != b.digits.size()) return a.digits.size() < b.digits.size() ? -1 : 1;
  int c = a.digits.compare(b.digits);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

enum class ParseResult { Ok, Invalid, Overflow };

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

ParseResult Parse(std::u16string_view text, char16_t separator, TBcd& bcd) {
  size_t i = 0, n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  while (n > i && IsBlank(text[n - 1])) --n;
  Decimal d;
  if (i < n && (text[i] == u'-' || text[i] == u'+')) d.negative = text[i++] == u'-';
  bool anyDigit = false;
  for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i, anyDigit = true)
    d.digits.push_back(static_cast<char>(text[i]));
  if (i < n && text[i] == separator) {
    for (++i; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i, anyDigit = true) {
      d.digits.push_back(static_cast<char>(text[i]));
      ++d.places;
    }
  }
  if (!anyDigit) return ParseResult::Invalid;
  if (i < n && (text[i] == u'e' || text[i] == u'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) negativeExponent = text[i++] == u'-';
    if (i == n) return ParseResult::Invalid;
    long exponent = 0;
    for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i)
      exponent = std::min(exponent * 10 + (text[i] - u'0'), 100000L);
    if (negativeExponent) exponent = -exponent;
    // Moving the point. A value far below the last place that fits is zero.
    long places = d.places - exponent;
    long digits = static_cast<long>(d.digits.size());
    if (places < 0) {
      d.digits.append(static_cast<size_t>(-places), '0');
      places = 0;
    } else if (places - digits > MaxFMTBcdPlaces) {
      d.digits = "0";
      places = 0;
    } else if (places > digits) {
      d.digits.insert(0, static_cast<size_t>(places - digits), '0');
    }
    d.places = static_cast<int>(places);
  }
  if (i != n) return ParseResult::Invalid;
  return Pack(d, bcd) ? ParseResult::Ok : ParseResult::Overflow;
}

String FormatBcd(const TBcd& bcd, char16_t decimalSeparator) {
  Decimal d = Unpack(bcd);
  StripIntegerZeros(d);
  while (d.places > 0 && d.digits.back() == '0') {
    d.digits.pop_back();
    --d.places;
  }
  String text;
  if (d.negative && !d.IsZero()) text += u'-';
  int integerDigits = d.IntegerDigits();
  if (integerDigits == 0) text += u'0';
  for (int i = 0; i < static_cast<int>(d.digits.size()); ++i) {
    if (i == integerDigits) text += decimalSeparator;
    text += static_cast<char16_t>(d.digits[i]);
  }
  return text;
}
}  // namespace

String BcdToStr(const TBcd& bcd, const TFormatSettings& settings) {
  return FormatBcd(bcd, settings.DecimalSeparator);
}

TBcd StrToBcd(const String& s, const TFormatSettings& settings) {
  TBcd bcd;
  switch (Parse(s, settings.DecimalSeparator, bcd)) {
    case ParseResult::Ok: return bcd;
    case ParseResult::Overflow: RaiseBcdOverflow();
    case ParseResult::Invalid: break;
  }
  throw EBcdException(s + u" is not a valid BCD value");
}

bool TryStrToBcd(const String& s, TBcd& bcd, const TFormatSettings& settings) {
  TBcd parsed;
  if (Parse(s, settings.DecimalSeparator, parsed) != ParseResult::Ok) return false;
  bcd = parsed;
  return true;
}

double BcdToDouble(const TBcd& bcd) {
  std::string text = UTF8Encode(FormatBcd(bcd, u'.'));
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

TBcd DoubleToBcd(double value) {
  if (!std::isfinite(value)) {
    String shown = std::isnan(value) ? u"NAN" : (value > 0 ? u"INF" : u"-INF");
    throw EBcdException(shown + u" is not a valid BCD value");
  }
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  String text(buffer, result.ptr);
  TBcd bcd;
  if (Parse(text, u'.', bcd) != ParseResult::Ok) RaiseBcdOverflow();
  return bcd;
}

TBcd Int64ToBcd(int64_t value) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  return PackOrRaise(FromInteger(value < 0, magnitude, 0));
}

TBcd IntegerToBcd(int32_t value) { return Int64ToBcd(value); }

int64_t BcdToInt64(const TBcd& bcd, bool truncate) {
  Decimal d = Unpack(bcd);
  Rescale(d, 0, truncate ? Rounding::Truncate : Rounding::HalfToEven);
  StripIntegerZeros(d);
  uint64_t limit = d.negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  uint64_t magnitude = 0;
  for (char c : d.digits) {
    uint64_t digit = static_cast<uint64_t>(c - '0');
    if (magnitude > (limit - digit) / 10) RaiseBcdOverflow();
    magnitude = magnitude * 10 + digit;
  }
  return d.negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

bool NormalizeBcd(const TBcd& in, TBcd& out, int precision, int places) {
  precision = std::min(precision, MaxFMTBcdDigits);
  if (precision < 1 || places < 0 || places > precision || places > MaxFMTBcdPlaces) return false;
  Decimal d = Unpack(in);
  Rescale(d, places, Rounding::HalfAwayFromZero);
  StripIntegerZeros(d);
  if (d.IntegerDigits() > precision - places) return false;
  d.digits.insert(0, precision - d.digits.size(), '0');
  Write(d, out);
  return true;
}

bool CurrToBCD(Currency c, TBcd& bcd, int precision, int decimals) {
  int64_t raw = c.Raw();
  uint64_t magnitude = raw < 0 ? 0 - static_cast<uint64_t>(raw) : static_cast<uint64_t>(raw);
  TBcd exact;
  Write(FromInteger(raw < 0, magnitude, 4), exact);
  return NormalizeBcd(exact, bcd, precision, decimals);
}

bool BCDToCurr(const TBcd& bcd, Currency& c) {
  Decimal d = Unpack(bcd);
  Rescale(d, 4, Rounding::HalfToEven);
  StripIntegerZeros(d);
  if (d.digits.size() > 19) return false;
  __int128 raw = 0;
  for (char ch : d.digits) raw = raw * 10 + (ch - '0');
  if (d.negative) raw = -raw;
  if (raw > INT64_MAX || raw < INT64_MIN) return false;
  c = Currency::FromRaw(static_cast<int64_t>(raw));
  return true;
}

int BcdCompare(const TBcd& a, const TBcd& b) {
  Decimal da = Unpack(a), db = Unpack(b);
  bool negA = da.negative && !da.IsZero();
  bool negB = db.negative && !db.IsZero();
  if (negA != negB) return negA ? -1 : 1;
  int magnitude = CompareMagnitude(da, db);
  return negA ? -magnitude : magnitude;
}

int BcdPrecision(const TBcd& bcd) {
  Decimal d = Unpack(bcd);
  StripIntegerZeros(d);
  int digits = d.IntegerDigits();
  return (digits == 1 && d.digits[0] == '0') ? 0 : digits;
}

int BcdScale(const TBcd& bcd) { return bcd.SignSpecialPlaces & BcdPlacesMask; }

bool IsBcdNegative(const TBcd& bcd) {
  Decimal d = Unpack(bcd);
  return d.negative && !d.IsZero();
}
