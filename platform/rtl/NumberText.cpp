// Integers to text and back, and text to floating point.
#include "platform/rtl/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "platform/rtl/Exceptions.h"

namespace {

String AsciiToString(const char* first, const char* last) { return String(first, last); }

[[noreturn]] void RaiseNotInteger(const String& s) {
  throw EConvertError(u"'" + s + u"' is not a valid integer value");
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads decimal or hexadecimal text into a magnitude and a sign. Decimal magnitudes may not pass
// `decimalLimit` (the largest magnitude of the sign read); hex ones may fill `hexLimit`.
bool ParseInteger(const String& s, uint64_t decimalPositiveLimit, uint64_t hexLimit,
                  uint64_t& magnitude, bool& negative) {
  size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  bool hex = false;
  if (i < s.size() && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i == s.size()) return false;
  uint64_t limit = hex ? hexLimit : decimalPositiveLimit + (negative ? 1 : 0);
  unsigned base = hex ? 16 : 10;
  magnitude = 0;
  for (; i < s.size(); ++i) {
    int digit = hex ? HexValue(s[i]) : (s[i] >= u'0' && s[i] <= u'9' ? s[i] - u'0' : -1);
    if (digit < 0) return false;
    if (magnitude > (limit - digit) / base) return false;
    magnitude = magnitude * base + digit;
  }
  return true;
}

// Roughly where the first significant digit of plain ASCII number text stands: positive for
// values of 1 and above, zero or negative below. Only its sign matters.
long DecimalOrder(const std::string& ascii) {
  size_t i = ascii[0] == '-' ? 1 : 0;
  long order = 0;
  bool significant = false;
  for (; i < ascii.size() && ascii[i] != '.' && ascii[i] != 'e'; ++i) {
    significant = significant || ascii[i] != '0';
    if (significant) ++order;
  }
  if (i < ascii.size() && ascii[i] == '.') {
    for (++i; i < ascii.size() && ascii[i] != 'e'; ++i) {
      if (significant) break;
      if (ascii[i] != '0')
        significant = true;
      else
        --order;
    }
    while (i < ascii.size() && ascii[i] != 'e') ++i;
  }
  if (i < ascii.size()) {
    ++i;
    bool negative = ascii[i] == '-';
    if (ascii[i] == '+' || ascii[i] == '-') ++i;
    long exponent = 0;
    for (; i < ascii.size(); ++i) exponent = std::min(exponent * 10 + (ascii[i] - '0'), 100000L);
    order += negative ? -exponent : exponent;
  }
  return order;
}

}  // namespace

String IntToStr(int64_t v) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return AsciiToString(buf, res.ptr);
}

String UIntToStr(uint64_t v) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return AsciiToString(buf, res.ptr);
}

String IntToHex(uint64_t v, int digits) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, v, 16);
  String text;
  for (const char* p = buf; p != res.ptr; ++p)
    text += static_cast<char16_t>(*p >= 'a' ? *p - 'a' + 'A' : *p);
  if (digits > static_cast<int>(text.size())) text.insert(0, digits - text.size(), u'0');
  return text;
}

String IntToHex(int64_t v, int digits) { return IntToHex(static_cast<uint64_t>(v), digits); }
String IntToHex(uint32_t v, int digits) { return IntToHex(static_cast<uint64_t>(v), digits); }
String IntToHex(int32_t v, int digits) {
  return IntToHex(static_cast<uint64_t>(static_cast<uint32_t>(v)), digits);
}

bool TryStrToInt(const String& s, int32_t& v) {
  uint64_t magnitude;
  bool negative;
  if (!ParseInteger(s, std::numeric_limits<int32_t>::max(), 0xFFFFFFFFu, magnitude, negative))
    return false;
  // Hex text may set the sign bit: "$FFFFFFFF" is -1, as a 32-bit pattern.
  uint32_t bits = static_cast<uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  v = static_cast<int32_t>(bits);
  return true;
}

bool TryStrToInt64(const String& s, int64_t& v) {
  uint64_t magnitude;
  bool negative;
  if (!ParseInteger(s, std::numeric_limits<int64_t>::max(), std::numeric_limits<uint64_t>::max(),
                    magnitude, negative))
    return false;
  v = static_cast<int64_t>(negative ? 0u - magnitude : magnitude);
  return true;
}

int32_t StrToInt(const String& s) {
  int32_t v;
  if (!TryStrToInt(s, v)) RaiseNotInteger(s);
  return v;
}

int64_t StrToInt64(const String& s) {
  int64_t v;
  if (!TryStrToInt64(s, v)) RaiseNotInteger(s);
  return v;
}

int32_t StrToIntDef(const String& s, int32_t def) {
  int32_t v;
  return TryStrToInt(s, v) ? v : def;
}

int64_t StrToInt64Def(const String& s, int64_t def) {
  int64_t v;
  return TryStrToInt64(s, v) ? v : def;
}

bool TryStrToFloat(const String& s, double& v, const TFormatSettings& settings) {
  // Copied to plain ASCII ("-12.5e3") for the locale-independent parser.
  std::string ascii;
  size_t i = 0, n = s.size();
  auto isDigit = [&](size_t k) { return k < n && s[k] >= u'0' && s[k] <= u'9'; };
  while (i < n && s[i] == u' ') ++i;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) {
    if (s[i] == u'-') ascii += '-';
    ++i;
  }
  size_t mantissaDigits = 0;
  for (; isDigit(i); ++i, ++mantissaDigits) ascii += static_cast<char>(s[i]);
  if (i < n && s[i] == settings.DecimalSeparator) {
    ascii += '.';
    for (++i; isDigit(i); ++i, ++mantissaDigits) ascii += static_cast<char>(s[i]);
  }
  if (mantissaDigits == 0) return false;
  if (i < n && (s[i] == u'e' || s[i] == u'E')) {
    ascii += 'e';
    ++i;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) ascii += static_cast<char>(s[i++]);
    if (!isDigit(i)) return false;
    for (; isDigit(i); ++i) ascii += static_cast<char>(s[i]);
  }
  while (i < n && s[i] == u' ') ++i;
  if (i != n) return false;

  double result = 0;
  const char* first = ascii.data();
  const char* last = first + ascii.size();
  auto res = std::from_chars(first, last, result);
  if (res.ec == std::errc::result_out_of_range) {
    // Too small to represent is zero; too large is not a value at all.
    if (DecimalOrder(ascii) > 0) return false;
    result = ascii[0] == '-' ? -0.0 : 0.0;
  } else if (res.ec != std::errc() || res.ptr != last) {
    return false;
  }
  v = result;
  return true;
}

double StrToFloat(const String& s, const TFormatSettings& settings) {
  double v;
  if (!TryStrToFloat(s, v, settings))
    throw EConvertError(u"'" + s + u"' is not a valid floating point value");
  return v;
}

double StrToFloatDef(const String& s, double def, const TFormatSettings& settings) {
  double v;
  return TryStrToFloat(s, v, settings) ? v : def;
}

// --- Val -----------------------------------------------------------------------------------------

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Blanks, then an optional sign: the index of the first character after them.
size_t SkipBlanksAndSign(const String& s, size_t& numberStart) {
  size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  numberStart = i;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ++i;
  return i;
}

int StopCode(const String& s, size_t stop) {
  return stop >= s.size() ? 0 : static_cast<int>(stop) + 1;
}

}  // namespace

void Val(const String& s, double& value, int& code) {
  value = 0;
  size_t start = 0;
  size_t i = SkipBlanksAndSign(s, start);
  size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == u'.') {
    size_t after = i + 1;
    size_t fraction = 0;
    while (after < s.size() && IsDigit(s[after])) ++after, ++fraction;
    if (digits + fraction > 0) i = after, digits += fraction;
  }
  if (digits == 0) {
    code = static_cast<int>(i) + 1;
    return;
  }
  if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
    size_t after = i + 1;
    if (after < s.size() && (s[after] == u'+' || s[after] == u'-')) ++after;
    size_t exponent = after;
    while (exponent < s.size() && IsDigit(s[exponent])) ++exponent;
    if (exponent > after) i = exponent;
  }
  std::string ascii;
  for (size_t k = start; k < i; ++k) ascii += static_cast<char>(s[k]);
  if (!ascii.empty() && ascii[0] == '+') ascii.erase(0, 1);
  double read = 0;
  auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), read);
  if (result.ec != std::errc() || !std::isfinite(read)) {
    code = static_cast<int>(start) + 1;
    return;
  }
  value = read;
  code = StopCode(s, i);
}

void Val(const String& s, int32_t& value, int& code) {
  value = 0;
  size_t start = 0;
  size_t i = SkipBlanksAndSign(s, start);
  bool negative = start < s.size() && s[start] == u'-';
  int64_t read = 0;
  size_t first = i;
  while (i < s.size() && IsDigit(s[i])) {
    read = read * 10 + (s[i] - u'0');
    if (read > int64_t{std::numeric_limits<int32_t>::max()} + 1) {
      code = static_cast<int>(start) + 1;
      return;
    }
    ++i;
  }
  if (negative) read = -read;
  if (read > std::numeric_limits<int32_t>::max()) {
    code = static_cast<int>(start) + 1;
    return;
  }
  if (i == first) {
    code = static_cast<int>(i) + 1;
    return;
  }
  value = static_cast<int32_t>(read);
  code = StopCode(s, i);
}
