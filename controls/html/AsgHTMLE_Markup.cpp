#include "controls/html/AsgHTMLE_Markup.h"

#include <cstdint>

#include "controls/html/AsgHTMLE.h"

namespace AsgHtml {

const TNamedChar kNamedCharTable[kNamedChars] = {
    {u"&eacute;", 0xE9}, {u"&egrave;", 0xE8}, {u"&euml;", 0xEB},   {u"&ecirc;", 0xEA},
    {u"&oacute;", 0xF3}, {u"&ograve;", 0xF2}, {u"&ouml;", 0xF6},   {u"&ocirc;", 0xF4},
    {u"&iacute;", 0xED}, {u"&igrave;", 0xEC}, {u"&iuml;", 0xEF},   {u"&icirc;", 0xEE},
    {u"&uacute;", 0xFA}, {u"&ugrave;", 0xF9}, {u"&uuml;", 0xFC},   {u"&ucirc;", 0xFB},
    {u"&aacute;", 0xE1}, {u"&agrave;", 0xE0}, {u"&auml;", 0xE4},   {u"&acirc;", 0xE2},
    {u"&Eacute;", 0xC9}, {u"&Egrave;", 0xC8}, {u"&Euml;", 0xCB},   {u"&Ecirc;", 0xCA},
    {u"&Oacute;", 0xD3}, {u"&Ograve;", 0xD2}, {u"&Ouml;", 0xD6},   {u"&Ocirc;", 0xD4},
    {u"&Iacute;", 0xCD}, {u"&Igrave;", 0xCC}, {u"&Iuml;", 0xCF},   {u"&Icirc;", 0xCE},
    {u"&Uacute;", 0xDA}, {u"&Ugrave;", 0xD9}, {u"&Uuml;", 0xDC},   {u"&Ucirc;", 0xDB},
    {u"&Aacute;", 0xC1}, {u"&Agrave;", 0xC0}, {u"&Auml;", 0xC4},   {u"&Acirc;", 0xC2},
    {u"&ccedil;", 0xE7}, {u"&Ccedil;", 0xC7}, {u"&oslash;", 0xF8}, {u"&Oslash;", 0xD8},
    {u"&aring;", 0xE5},  {u"&Aring;", 0xC5},  {u"&copy;", 0xA9},   {u"&reg;", 0xAE},
    {u"&euro;", 0x20AC}, {u"&laquo;", 0xAB},  {u"&raquo;", 0xBB},  {u"&atilde;", 0xE3},
    {u"&Atilde;", 0xC3}, {u"&otilde;", 0xF5}, {u"&Otilde", 0xD5},
};

namespace {

// The entities decoded over the whole text before layout, upper-cased for matching.
struct TPrepEntity {
  TView Upper;
  TView Replacement;
};
const TPrepEntity kPrepEntities[] = {
    {u"&AMP;", u"&&"},     {u"&QUOT;", u"\""},     {u"&SECT;", u"\u00A7"},
    {u"&PERMIL;", u"\u2030"}, {u"&REG;", u"\u00AE"}, {u"&COPY;", u"\u00A9"},
    {u"&PARA;", u"\u00B6"},   {u"&TRADE;", u"\u2122"}, {u"&EURO;", u"\u20AC"},
};

bool EndsWithNoCase(const String& text, TView upper) {
  if (text.size() < upper.size()) return false;
  size_t start = text.size() - upper.size();
  for (size_t i = 0; i < upper.size(); ++i) {
    if (AsciiUpper(text[start + i]) != upper[i]) return false;
  }
  return true;
}

// Appends one character; when it completes an entity, the entity is replaced at once, so an
// entity that a replacement forms with what follows is decoded too (as repeating the pass
// until none is left would), in one pass over the text.
void PushDecoded(String& out, char16_t c) {
  out.push_back(c);
  if (c != u';') return;
  bool again = true;
  while (again) {
    again = false;
    for (const TPrepEntity& e : kPrepEntities) {
      if (EndsWithNoCase(out, e.Upper)) {
        out.resize(out.size() - e.Upper.size());
        out.append(e.Replacement);
        again = e.Replacement.back() == u';';
        break;
      }
    }
  }
}

int HexDigit(char16_t c) { return c < 65 ? c - 48 : c - 55; }

}  // namespace

char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? c - 32 : c; }

size_t FindNoCase(TView text, TView upperPart, size_t from) {
  if (upperPart.empty()) return from <= text.size() ? from : TView::npos;
  if (upperPart.size() > text.size()) return TView::npos;
  const size_t last = text.size() - upperPart.size();
  const char16_t first = upperPart[0];
  for (size_t i = from; i <= last; ++i) {
    if (AsciiUpper(text[i]) != first) continue;
    size_t k = 1;
    while (k < upperPart.size() && AsciiUpper(text[i + k]) == upperPart[k]) ++k;
    if (k == upperPart.size()) return i;
  }
  return TView::npos;
}

String PrepareHtmlText(const String& html, bool allMarkers) {
  String out;
  out.reserve(html.size() + 16);
  const bool entities = html.find(u'&') != String::npos;
  bool markerSeen = false;
  for (size_t i = 0; i < html.size(); ++i) {
    char16_t c = html[i];
    if (c == u'\n') continue;
    if (c == u'\r') {
      out.append(u"<BR>");
      continue;
    }
    if (c == u'<' && i + 1 < html.size() && html[i + 1] == u'#' && (allMarkers || !markerSeen)) {
      markerSeen = true;
      // A marker <#NAME> is shown as #NAME: its "<" and the next ">" go.
      size_t close = html.find(u'>', i);
      String marker = html.substr(i + 1, close == String::npos ? String::npos : close - i - 1);
      for (char16_t m : marker) {
        if (m == u'\n') continue;
        if (m == u'\r') {
          out.append(u"<BR>");
        } else if (entities) {
          PushDecoded(out, m);
        } else {
          out.push_back(m);
        }
      }
      if (close == String::npos) break;
      i = close;
      continue;
    }
    if (entities) {
      PushDecoded(out, c);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

void DecodeRunEntities(TView run, String& out, bool prefix) {
  size_t i = 0;
  while (i < run.size()) {
    size_t amp = run.find(u'&', i);
    if (amp == TView::npos) {
      out.append(run.substr(i));
      return;
    }
    out.append(run.substr(i, amp - i));
    TView rest = run.substr(amp);
    if (!prefix && rest.substr(0, 2) == u"&&") {
      // The "&&" of a decoded "&amp;" is one "&" when nothing processes prefixes.
      out.push_back(u'&');
      i = amp + 2;
    } else if (rest.substr(0, 6) == u"&nbsp;") {
      out.push_back(u' ');
      i = amp + 6;
    } else if (rest.substr(0, 4) == u"&lt;") {
      out.push_back(u'<');
      i = amp + 4;
    } else if (rest.substr(0, 4) == u"&gt;") {
      out.push_back(u'>');
      i = amp + 4;
    } else {
      out.push_back(u'&');
      i = amp + 1;
    }
  }
}

TTag ClassifyTag(TView tag) {
  if (tag.size() < 3 || tag[0] != u'<') return TTag::Unknown;
  const bool closing = tag[1] == u'/';
  TView name = tag.substr(closing ? 2 : 1);
  if (name.empty()) return TTag::Unknown;
  const char16_t c1 = AsciiUpper(name[0]);
  const char16_t c2 = name.size() > 1 ? AsciiUpper(name[1]) : u'\0';
  if (closing) {
    switch (c1) {
      case u'A': return TTag::EndAnchor;
      case u'O': return c2 == u'F' ? TTag::EndOffset : TTag::Unknown;
      case u'B': return c2 == u'>' ? TTag::EndBold : TTag::EndColor;
      case u'E': return TTag::EndErrorLine;
      case u'F': return TTag::EndFont;
      case u'H': return TTag::EndHighlight;
      case u'I': return TTag::EndItalic;
      case u'L': return TTag::EndListItem;
      case u'P': return TTag::EndParagraph;
      case u'R': return TTag::EndRotate;
      case u'S':
        if (c2 == u'U') return TTag::EndSubSup;
        return c2 == u'H' ? TTag::EndShadow : TTag::EndStrike;
      case u'U': return c2 == u'>' ? TTag::EndUnderline : TTag::EndList;
      case u'Z': return TTag::EndHidden;
      default: return TTag::Unknown;
    }
  }
  switch (c1) {
    case u'A': return TTag::Anchor;
    case u'B':
      if (c2 == u'>') return TTag::Bold;
      if (c2 == u'R') return TTag::Break;
      if (c2 == u'L') return TTag::Blink;
      if (c2 == u'O') return TTag::Body;
      return TTag::Unknown;
    case u'C': return TTag::Control;
    case u'E': return TTag::ErrorLine;
    case u'F': return TTag::Font;
    case u'H':
      if (c2 == u'I') return TTag::Highlight;
      return c2 == u'R' ? TTag::Rule : TTag::Unknown;
    case u'I':
      if (c2 == u'>') return TTag::Italic;
      if (c2 == u'N') return TTag::Indent;
      return c2 == u'M' ? TTag::Image : TTag::Unknown;
    case u'L': return TTag::ListItem;
    case u'O': return c2 == u'F' ? TTag::Offset : TTag::Unknown;
    case u'P': return TTag::Paragraph;
    case u'R': return TTag::Rotate;
    case u'S':
      if (c2 == u'>') return TTag::Strike;
      if (c2 == u'H') return TTag::Shadow;
      if (FindNoCase(tag, u"<SUB>") == 0) return TTag::Sub;
      if (FindNoCase(tag, u"<SUP>") == 0) return TTag::Sup;
      return TTag::Unknown;
    case u'U': return c2 == u'>' ? TTag::Underline : TTag::List;
    case u'Z': return TTag::Hidden;
    default: return TTag::Unknown;
  }
}

bool TagAttribute(TView tag, TView upperName, TView& value) {
  size_t at = FindNoCase(tag, upperName);
  if (at == TView::npos) return false;
  size_t open = tag.find(u'"', at + upperName.size());
  if (open == TView::npos) return false;
  size_t close = tag.find(u'"', open + 1);
  if (close == TView::npos) return false;
  value = tag.substr(open + 1, close - open - 1);
  return true;
}

int LooseInt(TView text) {
  size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  int base = 10;
  if (i < text.size() && text[i] == u'$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == u'0' && AsciiUpper(text[i + 1]) == u'X') {
    base = 16;
    i += 2;
  }
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    char16_t c = AsciiUpper(text[i]);
    int digit;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (base == 16 && c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else {
      break;
    }
    value = value * base + digit;
    if (value > INT32_MAX) value = INT32_MAX;
  }
  return static_cast<int>(negative ? -value : value);
}

int TagNumber(TView tag, TView upperName, int def) {
  TView value;
  if (!TagAttribute(tag, upperName, value)) return def;
  size_t i = 0;
  while (i < value.size() && value[i] == u' ') ++i;
  if (i < value.size() && value[i] == u'-') ++i;
  if (i >= value.size() || value[i] < u'0' || value[i] > u'9') return def;
  return LooseInt(value);
}

TColor ColorValue(TView value) {
  if (FindNoCase(value, u"CL") != TView::npos) {
    String name(value);
    for (char16_t& c : name) {
      if (c >= u'A' && c <= u'Z') c += 32;
    }
    return ParseColorName(name);
  }
  size_t hash = value.find(u'#');
  if (hash != TView::npos) return ParseHexColor(String(value.substr(hash)));
  return 0;
}

}  // namespace AsgHtml

int HexPairValue(std::u16string_view pair) {
  if (pair.size() < 2) return 0;
  return 16 * AsgHtml::HexDigit(AsgHtml::AsciiUpper(pair[0])) +
         AsgHtml::HexDigit(AsgHtml::AsciiUpper(pair[1]));
}

TColor ParseHexColor(const String& text) {
  std::u16string_view v(text);
  auto pair = [&](size_t at) { return at < v.size() ? v.substr(at, 2) : std::u16string_view(); };
  // Digits outside 0-9 and A-F give large values; unsigned arithmetic keeps the sum defined.
  const uint32_t value = static_cast<uint32_t>(HexPairValue(pair(1))) +
                         static_cast<uint32_t>(HexPairValue(pair(3))) * 256u +
                         static_cast<uint32_t>(HexPairValue(pair(5))) * 65536u;
  return static_cast<TColor>(value);
}

namespace {

struct TNamedColor {
  std::u16string_view Name;
  TColor Color;
};
const TNamedColor kPlainColors[] = {
    {u"clred", 0x0000FF},     {u"clblack", 0x000000}, {u"clblue", 0xFF0000},
    {u"clgreen", 0x008000},   {u"claqua", 0xFFFF00},  {u"clyellow", 0x00FFFF},
    {u"clfuchsia", 0xFF00FF}, {u"clwhite", 0xFFFFFF}, {u"cllime", 0x00FF00},
    {u"clsilver", 0xC0C0C0},  {u"clgray", 0x808080},  {u"clolive", 0x008080},
    {u"clnavy", 0x800000},    {u"clpurple", 0x800080}, {u"clteal", 0x808000},
    {u"clmaroon", 0x000080},
};
const std::u16string_view kSystemColorNames[] = {
    u"clbackground",  u"clactivecaption", u"clinactivecaption", u"clmenu",
    u"clwindow",      u"clwindowframe",   u"clmenutext",        u"clwindowtext",
    u"clcaptiontext", u"clactiveborder",  u"clinactiveborder",  u"clappworkspace",
    u"clhighlight",   u"clhighlighttext", u"clbtnface",         u"clbtnshadow",
    u"clgraytext",    u"clbtntext",       u"clinactivecaptiontext", u"clbtnhighlight",
    u"cl3ddkshadow",  u"cl3dlight",       u"clinfotext",        u"clinfobk",
};

}  // namespace

TColor ParseColorName(const String& name) {
  for (const TNamedColor& c : kPlainColors) {
    if (c.Name == name) return c.Color;
  }
  for (size_t i = 0; i < std::size(kSystemColorNames); ++i) {
    if (kSystemColorNames[i] == name) return SystemColor(static_cast<int>(i + 1));
  }
  return 0;
}
