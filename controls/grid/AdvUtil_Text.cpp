// Character classes, cell-text kinds, wide cell texts, line-break codings and searches.
#include <unicode/ucnv.h>

#include <memory>

#include "controls/grid/AdvUtil.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"

namespace AdvUtil {

bool IsDigitChar(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsMinusOrDigit(char16_t c) { return c == u'-' || IsDigitChar(c); }
bool IsNumberChar(char16_t c) {
  const TFormatSettings& fs = FormatSettings();
  return IsDigitChar(c) || c == u'E' || c == u'e' || c == fs.ThousandSeparator ||
         c == fs.DecimalSeparator;
}
bool IsFloatChar(char16_t c) {
  return c == u'+' || c == u'-' || c == u'.' || IsDigitChar(c) || c == u'E' || c == u'e';
}
bool IsSignedNumberChar(char16_t c) { return IsNumberChar(c) || c == u'+' || c == u'-'; }
bool IsWordSeparator(char16_t c) {
  return c == u' ' || c == u'\'' || c == u',' || c == u'-' || c == u'.';
}

String NormalizeNumericText(const String& text) {
  if (text.empty()) return String();
  const TFormatSettings& fs = FormatSettings();
  String s = Trim(text);
  bool negative = false;
  if (!s.empty() && s.front() == u'(' && s.back() == u')') negative = true;
  size_t start = 0;
  while (s.size() - start >= 2 && !IsNumberChar(s[start])) {
    if (s[start] == u'-') negative = true;
    ++start;
  }
  String result;
  for (size_t i = start; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c == fs.ThousandSeparator) continue;
    if (c == fs.DecimalSeparator) {
      result += u'.';
    } else if (IsFloatChar(c)) {
      result += c;
    } else {
      break;
    }
  }
  return negative ? u"-" + result : result;
}

int ClassifyNumericText(const String& text) {
  if (text.empty()) return nkNotANumber;
  const TFormatSettings& fs = FormatSettings();
  bool isInt = true, isDec = true, isSci = true, hasExp = false;
  int minus = 0, decimals = 0;
  size_t lastThousand = 0;
  const size_t n = text.size();
  for (size_t i = 1; i <= n; ++i) {
    char16_t c = text[i - 1];
    const bool exp = c == u'E' || c == u'e';
    if (c != u'-' && !IsDigitChar(c)) isInt = false;
    if (exp) {
      if (hasExp) isSci = false;
      hasExp = true;
      if (i == 1) isSci = false;
    }
    if (c == u'-' && i > 1) isInt = isDec = false;
    if (i == n && (c == u'+' || c == u'-' || exp)) isSci = false;
    if (!IsMinusOrDigit(c) && c != fs.ThousandSeparator && c != fs.DecimalSeparator) isDec = false;
    if (!IsSignedNumberChar(c) || c == fs.ThousandSeparator) isSci = false;
    if (c == fs.ThousandSeparator) {
      if (lastThousand > 0 && i - lastThousand < 4) isDec = false;
      lastThousand = i;
    }
    if (c == fs.DecimalSeparator) ++decimals;
    if (c == u'-') ++minus;
  }
  if (decimals > 1) return nkNotANumber;
  if (isInt) return minus > 1 ? nkNotANumber : nkInteger;
  if (isDec && !hasExp) return minus > 1 ? nkNotANumber : nkDecimal;
  if (isSci && hasExp) return minus > 2 ? nkNotANumber : nkScientific;
  return nkNotANumber;
}

String NormalizeDecimalText(const String& text) {
  const TFormatSettings& fs = FormatSettings();
  String result;
  result.reserve(text.size());
  for (char16_t c : text) {
    if (c == 0) break;  // the text ends at its first NUL
    if (c == fs.ThousandSeparator) continue;
    result += c == fs.DecimalSeparator ? u'.' : c;
  }
  return result;
}

int DetectTextFormat(const String& text, bool checkMarkup) {
  if (text.empty()) return tfPlain;
  if (text[0] == u'=') return tfFormula;
  if (text.compare(0, 2, u"|\\") == 0) {
    if (text.size() > 4 && text[3] == u'=' && text[4] == 0) return tfFormula;
    return tfWide;
  }
  if (text.compare(0, 2, u"{\\") == 0) return tfRichText;
  if (checkMarkup) {
    for (const char16_t* tag : {u"</", u"<B", u"<I", u"<C"})
      if (text.find(tag) != String::npos) return tfMarkup;
  }
  return tfPlain;
}

String CellTextToWide(const String& text) {
  if (text.compare(0, 2, u"|\\") != 0) return text;
  for (size_t i = 2; i < text.size(); ++i)
    if (text[i] > 0xFF) return text;
  String wide;
  wide.reserve((text.size() - 2) / 2);
  for (size_t i = 2; i + 1 < text.size(); i += 2)
    wide += static_cast<char16_t>((text[i] << 8) | text[i + 1]);
  return wide;
}

String WideToCellText(const String& wide) {
  String cell = u"|\\";
  cell.reserve(2 + wide.size() * 2);
  for (char16_t c : wide) {
    cell += static_cast<char16_t>(c >> 8);
    cell += static_cast<char16_t>(c & 0xFF);
  }
  return cell;
}

int WidePos(const String& part, const String& text) {
  if (part.empty() || text.empty()) return 0;
  size_t p = text.find(part);
  return p == String::npos ? 0 : static_cast<int>(p) + 1;
}

namespace {

String MapUnits(const String& text, char16_t from1, char16_t to1, char16_t from2, char16_t to2,
                char16_t from3, char16_t to3) {
  String s = text;
  for (char16_t& c : s) {
    if (c == from1) c = to1;
    else if (c == from2) c = to2;
    else if (c == from3) c = to3;
  }
  return s;
}

String ReplaceAll(const String& text, const String& what, const String& with) {
  String s;
  size_t from = 0;
  for (size_t p; (p = text.find(what, from)) != String::npos; from = p + what.size())
    s.append(text, from, p - from).append(with);
  return s.append(text, from, String::npos);
}

}  // namespace

String EncodeCellLineBreaks(const String& text) {
  if (text.find(u'\r') == String::npos) return text;
  return MapUnits(text, 13, 9, 10, 8, 0, 1);
}

String DecodeCellLineBreaks(const String& text, bool multiLine) {
  if (text.find(u'\x08') == String::npos) return text;
  String s = MapUnits(text, 9, 13, 8, 10, 1, 0);
  if (!multiLine) return SplitFirstLine(s, false);
  return s;
}

String QuoteMultiLineField(const String& text) {
  return u"\"" + ReplaceAll(text, u"\r\n", u"\x0B") + u"\"";
}

String RestoreLineBreaks(const String& text) {
  if (text.find(u'\x0B') == String::npos) return text;
  return ReplaceAll(text, u"\x0B", u"\r\n");
}

String DecodeTildeLineBreaks(const String& text) {
  String s = ReplaceAll(text, u"~", u"\r\n");
  return s == u"^" ? String() : s;
}

String ConvertNewlineEscapes(const String& text) { return ReplaceAll(text, u"\\n", u"\r"); }

String CarriageReturnToLineFeed(const String& text) {
  String s = text;
  for (char16_t& c : s)
    if (c == u'\r') c = u'\n';
  return s;
}

String SplitFirstLine(String& text, bool keepRest) {
  size_t p = text.find(u'\r');
  if (p == String::npos) {
    String line = std::move(text);
    text.clear();
    return line;
  }
  String line = text.substr(0, p);
  size_t rest = p + 1;
  if (rest < text.size() && text[rest] == u'\n') ++rest;
  if (keepRest) text.erase(0, rest);
  else text.clear();
  return line;
}

int CountLines(const String& text, bool multiLine) {
  if (!multiLine) return 1;
  int lines = 1;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == u'\r' && i + 2 < text.size()) ++lines;
  return lines;
}

String CollapseDoubledChar(char16_t c, const String& text) {
  return ReplaceAll(text, String(2, c), String(1, c));
}

bool FindUnpairedChar(char16_t c, const String& text, int& pos) {
  pos = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != c) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < text.size() && text[j] == c) ++j;
    if (j == text.size() || (j - i) % 2 == 1) {
      pos = static_cast<int>(j);  // the run's last character, counted from 1
      return true;
    }
    i = j;
  }
  return false;
}

int CountUnpairedChar(char16_t c, const String& text) {
  int count = 0;
  size_t from = 0;
  int pos;
  while (from < text.size() && FindUnpairedChar(c, text.substr(from), pos)) {
    ++count;
    from += pos;
  }
  return count;
}

int CountChar(char16_t c, const String& text) {
  int count = 0;
  for (char16_t x : text) count += x == c;
  return count;
}

bool FindCharOutsideQuotes(const String& chars, const String& text, char16_t& found, int& pos) {
  bool inQuotes = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'"') inQuotes = !inQuotes;
    else if (!inQuotes && chars.find(text[i]) != String::npos) {
      found = text[i];
      pos = static_cast<int>(i) + 1;
      return true;
    }
  }
  found = 0;
  pos = -1;
  return false;
}

bool FindPos(const String& part, const String& text, int& pos) {
  size_t p = part.empty() ? String::npos : text.find(part);
  pos = p == String::npos ? 0 : static_cast<int>(p) + 1;
  return pos > 0;
}

int UpperPos(const String& upperPart, const String& text) {
  int pos;
  FindPos(upperPart, AnsiUpperCase(text), pos);
  return pos;
}

bool CharPos(char16_t c, const String& text, int& pos) {
  pos = CharIndex(c, text);
  return pos > 0;
}

int CharIndex(char16_t c, const String& text) {
  size_t p = text.find(c);
  return p == String::npos ? 0 : static_cast<int>(p) + 1;
}

String TakeToken(String& text, const String& delimiter) {
  size_t p = delimiter.empty() ? String::npos : text.find(delimiter);
  if (p == String::npos) return String();
  String token = text.substr(0, p);
  text.erase(0, p + delimiter.size());  // the whole delimiter goes
  return token;
}

void SplitToStrings(const String& text, const String& delimiter, TStrings& list) {
  String rest = text;
  while (!delimiter.empty() && rest.find(delimiter) != String::npos)
    list.Add(TakeToken(rest, delimiter));
  list.Add(rest);
}

void FillString(String& s, char16_t c) {
  for (char16_t& x : s) x = c;
}

String OemToAnsiText(const String& text) {
  struct Closer {
    void operator()(UConverter* c) const { ucnv_close(c); }
  };
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, Closer> cp866(ucnv_open("ibm-866", &status));
  if (U_FAILURE(status)) return text;
  String s = text;
  for (char16_t& c : s) {
    if (c < 0x80 || c > 0xFF) continue;
    const char byte = static_cast<char>(c);
    UChar out[2];
    status = U_ZERO_ERROR;
    int32_t n = ucnv_toUChars(cp866.get(), out, 2, &byte, 1, &status);
    if (U_SUCCESS(status) && n == 1) c = out[0];
  }
  return s;
}

}  // namespace AdvUtil
