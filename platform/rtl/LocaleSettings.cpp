#include "platform/rtl/LocaleSettings.h"

#include <langinfo.h>
#include <locale.h>

#include "platform/rtl/UnicodeText.h"

namespace {

// The C library's composite conversions, spelled out.
std::string Expanded(const std::string& layout) {
  std::string out;
  for (size_t i = 0; i < layout.size(); ++i) {
    if (layout[i] != '%' || i + 1 >= layout.size()) {
      out += layout[i];
      continue;
    }
    char c = layout[++i];
    // Flags and widths of the GNU extensions ("%-d", "%0e") change only the padding.
    while ((c == '-' || c == '_' || c == '0' || c == '^' || c == '#') && i + 1 < layout.size())
      c = layout[++i];
    if (c == 'E' || c == 'O') {
      if (i + 1 >= layout.size()) break;
      c = layout[++i];
    }
    switch (c) {
      case 'D': out += "%m/%d/%y"; break;
      case 'F': out += "%Y-%m-%d"; break;
      case 'T': out += "%H:%M:%S"; break;
      case 'R': out += "%H:%M"; break;
      case 'r': out += "%I:%M:%S %p"; break;
      default:
        out += '%';
        out += c;
    }
  }
  return out;
}

}  // namespace

String LayoutFromStrftime(const std::string& layout, bool isDate, char16_t* separator) {
  const std::string text = Expanded(layout);
  String out;
  String literal;
  char16_t sep = 0;
  bool fieldSeen = false;
  auto flushLiteral = [&] {
    if (literal.empty()) return;
    // A single separator between two fields is the settings' separator.
    if (fieldSeen && literal.size() == 1 && (sep == 0 || literal[0] == sep) &&
        !(literal[0] >= u'0' && literal[0] <= u'9') && literal[0] != u' ') {
      sep = literal[0];
      out += isDate ? u'/' : u':';
    } else {
      out += u'"';
      out += literal;
      out += u'"';
    }
    literal.clear();
  };
  auto field = [&](const char16_t* code) {
    flushLiteral();
    out += code;
    fieldSeen = true;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%' || i + 1 >= text.size()) {
      // Literal text, which may be UTF-8 of several bytes.
      size_t end = i + 1;
      while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
      literal += UTF8ToString(text.substr(i, end - i));
      i = end - 1;
      continue;
    }
    char c = text[++i];
    switch (c) {
      case 'd': field(u"dd"); break;
      case 'e': field(u"d"); break;
      case 'm': field(u"mm"); break;
      case 'y': field(u"yy"); break;
      case 'Y': case 'G': field(u"yyyy"); break;
      case 'b': case 'h': field(u"mmm"); break;
      case 'B': field(u"mmmm"); break;
      case 'a': field(u"ddd"); break;
      case 'A': field(u"dddd"); break;
      case 'H': case 'I': field(u"hh"); break;
      case 'k': case 'l': field(u"h"); break;
      case 'M': field(u"nn"); break;
      case 'S': field(u"ss"); break;
      case 'p': case 'P': field(u"ampm"); break;
      case 'n': case 't': literal += u' '; break;
      case '%': literal += u'%'; break;
      default: break;  // time zones, week numbers and the like have no counterpart
    }
  }
  if (!literal.empty()) {
    out += u'"';
    out += literal;
    out += u'"';
  }
  if (separator) *separator = sep;
  return out;
}

TFormatSettings LocaleFormatSettings(const std::string& localeName) {
  TFormatSettings s = TFormatSettings::Invariant();
  locale_t loc = newlocale(LC_TIME_MASK | LC_NUMERIC_MASK, localeName.c_str(), nullptr);
  if (!loc) return s;
  auto info = [loc](nl_item item) { return UTF8ToString(nl_langinfo_l(item, loc)); };

  const String decimal = info(RADIXCHAR);
  if (!decimal.empty()) s.DecimalSeparator = decimal[0];
  const String thousands = info(THOUSEP);
  if (!thousands.empty()) s.ThousandSeparator = thousands[0];
  else if (s.ThousandSeparator == s.DecimalSeparator) s.ThousandSeparator = u'.';
  // A list of numbers cannot use the decimal comma.
  if (s.DecimalSeparator == u',') s.ListSeparator = u';';

  char16_t sep = 0;
  s.ShortDateFormat = LayoutFromStrftime(nl_langinfo_l(D_FMT, loc), true, &sep);
  if (sep) s.DateSeparator = sep;
  sep = 0;
  s.LongTimeFormat = LayoutFromStrftime(nl_langinfo_l(T_FMT, loc), false, &sep);
  if (sep) s.TimeSeparator = sep;
  // The short time is the long one without its seconds.
  s.ShortTimeFormat = s.LongTimeFormat;
  for (const char16_t* seconds : {u":ss", u"ss"}) {
    const size_t at = s.ShortTimeFormat.find(seconds);
    if (at != String::npos) {
      s.ShortTimeFormat.erase(at, std::char_traits<char16_t>::length(seconds));
      break;
    }
  }
  s.TimeAMString = info(AM_STR);
  s.TimePMString = info(PM_STR);
  for (int i = 0; i < 12; ++i) {
    s.ShortMonthNames[i] = info(ABMON_1 + i);
    s.LongMonthNames[i] = info(MON_1 + i);
  }
  for (int i = 0; i < 7; ++i) {
    s.ShortDayNames[i] = info(ABDAY_1 + i);
    s.LongDayNames[i] = info(DAY_1 + i);
  }
  freelocale(loc);
  return s;
}
