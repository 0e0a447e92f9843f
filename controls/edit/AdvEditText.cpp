// The text rules of the enhanced edit.
#include "controls/edit/AdvEditText.h"

#include <cmath>

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumberText.h"

namespace AdvEdit {

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsHexLetter(char16_t c) { return (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f'); }
char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? c - 32 : c; }
char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; }

bool IsDelimiter(char16_t c) {
  switch (c) {
    case u' ': case u'"': case u'$': case u'&': case u'\'': case u'(': case u')': case u'*':
    case u',': case u'-': case u'.': case u'/': case u':': case u'[': case u'\\': case u']':
      return true;
    default: return false;
  }
}

}  // namespace

int NumberKind(const String& s) {
  if (s.empty()) return 2;
  const char16_t thousand = FormatSettings().ThousandSeparator;
  const char16_t decimal = FormatSettings().DecimalSeparator;
  bool isInteger = true, isNumber = true, isHex = true;
  int minus = 0, decimals = 0;
  int lastThousand = -1;
  for (size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    bool digit = IsDigit(c);
    if (!digit && c != u'-') isInteger = false;
    if (!digit && c != u',' && c != u'-' && c != u'.') isNumber = false;
    if (c == thousand) {
      // A thousand separator never leads and stands at least three places after the last one.
      if (i == 0 || (lastThousand >= 0 && static_cast<int>(i) - lastThousand < 3))
        isNumber = false;
      lastThousand = static_cast<int>(i);
    }
    if (!digit && c != u'-' && !IsHexLetter(c)) isHex = false;
    if (c == u'-') ++minus;
    if (c == decimal) ++decimals;
  }
  int kind = isInteger ? 0 : isNumber ? 1 : isHex ? 5 : 2;
  if (minus > 1 || decimals > 1) kind = 2;
  return kind;
}

String StripThousandSeparators(const String& s) {
  const char16_t thousand = FormatSettings().ThousandSeparator;
  String out;
  out.reserve(s.size());
  for (char16_t c : s)
    if (c != thousand) out += c;
  return out;
}

double ParseFloatText(const String& s) {
  double value = 0;
  if (!TryStrToFloat(StripThousandSeparators(s), value) || !std::isfinite(value)) return 0;
  return value;
}

uint32_t HexToInt(const String& s) {
  uint32_t sum = 0;
  for (char16_t c : s) {
    uint32_t digit = 0;
    if (IsDigit(c)) digit = c - u'0';
    else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    sum = sum * 16 + digit;  // wraps modulo 2^32
  }
  return sum;
}

String MixedCaseText(const String& s) {
  String out = s;
  bool capitalise = true;
  const size_t n = out.size();
  size_t firstMc = String::npos;  // 0-based start of the first " Mc" found so far
  for (size_t i = 0; i < n; ++i) {
    char16_t c = out[i];
    if (IsDelimiter(c)) {
      capitalise = true;
    } else {
      out[i] = capitalise ? AsciiUpper(c) : AsciiLower(c);
      capitalise = false;
    }
    const size_t pos = i + 1;  // 1-based position of the character just written
    if (firstMc == String::npos && pos >= 3 && out.compare(pos - 3, 3, u" Mc") == 0)
      firstMc = pos - 3;
    if ((pos == 2 && out.compare(0, 2, u"Mc") == 0) || (pos == 3 && out.compare(0, 3, u"Mac") == 0))
      capitalise = true;
    // " Mc" found at 1-based p: its "c" stands at p + 2.
    if (firstMc != String::npos && pos == firstMc + 3 && pos > 2) capitalise = true;
    if (pos + 3 > n) {
      bool romanOne = pos >= 2 && out.compare(pos - 2, 2, u" I") == 0;
      bool romanTwo = pos >= 3 && out.compare(pos - 3, 3, u" II") == 0;
      if (romanOne || romanTwo) capitalise = true;
    }
  }
  return out;
}

}  // namespace AdvEdit
