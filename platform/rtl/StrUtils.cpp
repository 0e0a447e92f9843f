#include "platform/rtl/StrUtils.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace {

bool IsBlank(char16_t c) { return c <= u' '; }

// Each code point folded by simple case folding, kept as it is when folding would change its
// length in code units, so positions in the folded text are positions in the original.
String FoldForSearch(const String& s) {
  String folded(s);
  for (size_t i = 0; i < s.size();) {
    UChar32 c;
    size_t start = i;
    U16_NEXT(s.data(), i, s.size(), c);
    UChar32 f = u_foldCase(c, U_FOLD_CASE_DEFAULT);
    if (U16_LENGTH(f) != static_cast<int>(i - start)) continue;
    size_t k = start;
    U16_APPEND_UNSAFE(folded.data(), k, f);
  }
  return folded;
}

}  // namespace

String Trim(const String& s) {
  size_t first = 0, last = s.size();
  while (first < last && IsBlank(s[first])) ++first;
  while (last > first && IsBlank(s[last - 1])) --last;
  return s.substr(first, last - first);
}

String TrimLeft(const String& s) {
  size_t first = 0;
  while (first < s.size() && IsBlank(s[first])) ++first;
  return s.substr(first);
}

String TrimRight(const String& s) {
  size_t last = s.size();
  while (last > 0 && IsBlank(s[last - 1])) --last;
  return s.substr(0, last);
}

String QuotedStr(const String& s) { return AnsiQuotedStr(s, u'\''); }

String AnsiQuotedStr(const String& s, char16_t quote) {
  String result(1, quote);
  for (char16_t c : s) {
    result += c;
    if (c == quote) result += quote;
  }
  result += quote;
  return result;
}

String AnsiDequotedStr(const String& s, char16_t quote) {
  if (s.empty() || s[0] != quote) return s;
  String result;
  size_t i = 1;
  while (i < s.size()) {
    if (s[i] == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        result += quote;
        i += 2;
        continue;
      }
      ++i;
      break;
    }
    result += s[i++];
  }
  // A text that does not end with the quote is returned as it is when nothing was found inside
  // the quotes or the quoted part ran to its end (it was never closed).
  bool atEnd = i == s.size();
  if ((result.empty() || atEnd) && s.back() != quote) return s;
  return result;
}

String StringReplace(const String& s, const String& from, const String& to, int flags) {
  if (from.empty()) return s;
  bool ignoreCase = (flags & rfIgnoreCase) != 0;
  String text = ignoreCase ? FoldForSearch(s) : String();
  String pattern = ignoreCase ? FoldForSearch(from) : String();
  const String& searchIn = ignoreCase ? text : s;
  const String& searchFor = ignoreCase ? pattern : from;
  String result;
  size_t pos = 0;
  while (pos <= s.size()) {
    size_t found = searchIn.find(searchFor, pos);
    if (found == String::npos) break;
    result.append(s, pos, found - pos);
    result += to;
    pos = found + from.size();
    if ((flags & rfReplaceAll) == 0) break;
  }
  if (pos < s.size()) result.append(s, pos, String::npos);
  return result;
}

String StringOfChar(char16_t c, int count) { return count > 0 ? String(count, c) : String(); }
