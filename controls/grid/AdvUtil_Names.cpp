// Name capitalisation, URLs and links, and R1C1 references.
#include "controls/grid/AdvUtil.h"
#include "platform/rtl/TextCompare.h"

namespace AdvUtil {
namespace {

// One unit's case mapping; a unit whose mapping is longer (as German sharp s) stays.
char16_t MapCase(char16_t c, bool upper) {
  String one(1, c);
  String m = upper ? AnsiUpperCase(one) : AnsiLowerCase(one);
  return m.size() == 1 ? m[0] : c;
}

bool IsLetter(char16_t c) { return MapCase(c, true) != MapCase(c, false); }

bool IsUrlChar(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || IsDigitChar(c)) return true;
  return String(u"%()-./:@\\_{}").find(c) != String::npos;
}

String EscapeAngles(const String& s) {
  String out;
  for (char16_t c : s) {
    if (c == u'<') out += u"&lt;";
    else if (c == u'>') out += u"&gt;";
    else out += c;
  }
  return out;
}

}  // namespace

String ToMixedCase(const String& text) {
  const String upper = AnsiUpperCase(text);
  size_t mcAfter[2] = {String::npos, String::npos};
  if (upper.compare(0, 2, u"MC") == 0) mcAfter[0] = 2;
  size_t mc = upper.find(u" MC");
  if (mc != String::npos && mc + 1 > 2) mcAfter[1] = mc + 3;

  String out = text;
  bool wordStart = true;
  for (size_t i = 0; i < out.size(); ++i) {
    if (i == mcAfter[0] || i == mcAfter[1]) wordStart = true;
    char16_t c = out[i];
    if (IsWordSeparator(c)) {
      wordStart = true;
      continue;
    }
    if (IsLetter(c)) out[i] = MapCase(c, wordStart);
    wordStart = false;
  }
  // A regnal number at the end stays in capitals: Henry III.
  for (const char16_t* roman : {u" III", u" II", u" I"}) {
    String r(roman);
    if (upper.size() >= r.size() && upper.compare(upper.size() - r.size(), r.size(), r) == 0) {
      out.replace(out.size() - r.size(), r.size(), r);
      break;
    }
  }
  return out;
}

bool IsUrlText(const String& text) {
  return text.find(u"://") != String::npos || text.find(u"mailto:") != String::npos;
}

void StripUrlScheme(String& text) {
  size_t p = text.find(u"://");
  if (p != String::npos) {
    text.erase(0, p + 3);
    return;
  }
  p = text.find(u"mailto:");
  if (p != String::npos) text.erase(0, p + 7);
}

bool LinkifyUrl(const String& text, const String& upperPrefix, String& result) {
  size_t p = upperPrefix.empty() ? String::npos : AnsiUpperCase(text).find(upperPrefix);
  if (p == String::npos) return false;
  size_t e = p + upperPrefix.size();
  while (e < text.size() && IsUrlChar(text[e])) ++e;
  const String url = text.substr(p, e - p);
  result = EscapeAngles(text.substr(0, p)) + u"<a href=\"" + url + u"\">" + url + u"</a>" +
           EscapeAngles(text.substr(e));
  return true;
}

bool ParseRowColRef(const String& text, TPoint& point) {
  const String s = UpperCase(text);
  if (s.size() <= 3 || s[0] != u'R') return false;
  size_t c = s.find(u'C', 1);
  if (c == String::npos || c == 1 || c + 1 >= s.size()) return false;
  int row = 0, col = 0;
  for (size_t i = 1; i < s.size(); ++i) {
    if (i == c) continue;
    if (!IsDigitChar(s[i])) return false;
    int& v = i < c ? row : col;
    if (v > 100000000) return false;
    v = v * 10 + (s[i] - u'0');
  }
  point.X = col;
  point.Y = row;
  return true;
}

}  // namespace AdvUtil
