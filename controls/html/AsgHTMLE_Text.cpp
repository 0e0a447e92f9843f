// The operations on markup texts that do not draw.
#include <vector>

#include "controls/html/AsgHTMLE.h"
#include "controls/html/AsgHTMLE_Markup.h"
#include "platform/rtl/TextCompare.h"

using namespace AsgHtml;

namespace {

TColor gHighlightColor = clHighlight;
TColor gHighlightTextColor = clHighlightText;

// The tag texts "<CONTROL ...>" of a markup text, in order, as [start, end) ranges.
struct TTagRange {
  size_t Start, End;
};
std::vector<TTagRange> ControlTags(const String& html) {
  std::vector<TTagRange> tags;
  size_t at = 0;
  while ((at = FindNoCase(html, u"<CONTROL ", at)) != String::npos) {
    size_t close = html.find(u'>', at);
    size_t end = close == String::npos ? html.size() : close + 1;
    tags.push_back({at, end});
    at = end;
  }
  return tags;
}

THtmlControlTag TagAt(const String& html, const TTagRange& range) {
  return ParseControlTag(html.substr(range.Start, range.End - range.Start));
}

bool FindControl(const String& html, const String& id, TTagRange& range, THtmlControlTag& tag) {
  for (const TTagRange& r : ControlTags(html)) {
    THtmlControlTag t = TagAt(html, r);
    if (t.Id == id) {
      range = r;
      tag = std::move(t);
      return true;
    }
  }
  return false;
}

// Walks the markup as visible runs and tags [from, to): a tag runs from its "<" to the first ">"
// after it. The walk stops at a "<" without a ">", and with stopAtStrayGt at a ">" standing
// before the next "<"; what is left is one visible run.
template <class Visible, class Tag>
void WalkTags(const String& html, bool stopAtStrayGt, Visible&& visible, Tag&& tag) {
  size_t i = 0;
  for (;;) {
    const size_t lt = html.find(u'<', i);
    if (lt == String::npos) break;
    if (stopAtStrayGt && html.find(u'>', i) < lt) break;
    const size_t gt = html.find(u'>', lt);
    if (gt == String::npos) break;
    visible(i, lt);
    tag(lt, gt + 1);
    i = gt + 1;
  }
  visible(i, html.size());
}

String Quoted(const String& value) { return u"\"" + value + u"\""; }

void ReplaceAll(String& text, std::u16string_view from, std::u16string_view to) {
  String out;
  size_t i = 0, at;
  while ((at = text.find(from, i)) != String::npos) {
    out.append(text, i, at - i);
    out.append(to);
    i = at + from.size();
  }
  if (i == 0) return;
  out.append(text, i);
  text = std::move(out);
}

// A character upper-cased by the full mapping when that keeps it one code unit.
char16_t UpperChar(char16_t c) {
  if (c < 128) return AsciiUpper(c);
  String upper = AnsiUpperCase(std::u16string_view(&c, 1));
  return upper.size() == 1 ? upper[0] : c;
}

String UpperEach(const String& text) {
  String out(text);
  for (char16_t& c : out) c = UpperChar(c);
  return out;
}

}  // namespace

String HtmlToPlainText(const String& html) {
  String text;
  text.reserve(html.size());
  for (size_t i = 0; i < html.size(); ++i) {
    std::u16string_view rest(html.data() + i, html.size() - i);
    if (FindNoCase(rest.substr(0, 4), u"<BR>") == 0 ||
        FindNoCase(rest.substr(0, 4), u"<HR>") == 0) {
      text.append(u"\r\n");
      i += 3;
    } else {
      text.push_back(html[i]);
    }
  }
  String out;
  out.reserve(text.size());
  WalkTags(text, false, [&](size_t from, size_t to) { out.append(text, from, to - from); },
           [](size_t, size_t) {});
  return out;
}

String StripHtmlTags(const String& html) {
  String out;
  out.reserve(html.size());
  WalkTags(html, true, [&](size_t from, size_t to) { out.append(html, from, to - from); },
           [](size_t, size_t) {});
  return out;
}

String UnescapeHtmlEntities(const String& text, bool useTable) {
  static const TNamedChar kBasic[] = {
      {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&amp;", u'&'}, {u"&quot;", u'"'}};
  String out;
  out.reserve(text.size());
  // One scan decodes each entity where it is written, so decoded text is never decoded again:
  // an escaped "&amp;lt;" comes back as "&lt;", not "<".
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'&') {
      out.push_back(text[i]);
      continue;
    }
    std::u16string_view rest(text.data() + i, text.size() - i);
    const TNamedChar* found = nullptr;
    for (const TNamedChar& e : kBasic) {
      if (rest.substr(0, std::char_traits<char16_t>::length(e.Name)) == e.Name) found = &e;
    }
    for (int k = 0; useTable && found == nullptr && k < kEscapedEntities; ++k) {
      const TNamedChar& e = kNamedCharTable[k];
      if (rest.substr(0, std::char_traits<char16_t>::length(e.Name)) == e.Name) found = &e;
    }
    if (found == nullptr) {
      out.push_back(u'&');
      continue;
    }
    out.push_back(found->Char);
    i += std::char_traits<char16_t>::length(found->Name) - 1;
  }
  return out;
}

String EscapeHtmlChars(const String& text, bool useTable) {
  String out;
  out.reserve(text.size() + 8);
  for (char16_t c : text) {
    switch (c) {
      case u'&': out.append(u"&amp;"); continue;
      case u'"': out.append(u"&quot;"); continue;
      case u'<': out.append(u"&lt;"); continue;
      case u'>': out.append(u"&gt;"); continue;
      default: break;
    }
    const TNamedChar* named = nullptr;
    for (int k = 0; useTable && named == nullptr && k < kEscapedEntities; ++k) {
      if (kNamedCharTable[k].Char == c) named = &kNamedCharTable[k];
    }
    if (named != nullptr) {
      out.append(named->Name);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

THtmlControlTag ParseControlTag(const String& tag) {
  THtmlControlTag t;
  auto read = [&](std::u16string_view name, String& out) {
    TView value;
    if (TagAttribute(tag, name, value)) out = String(value);
  };
  read(u"TYPE=", t.Type);
  read(u"ID=", t.Id);
  read(u"VALUE=", t.Value);
  read(u"WIDTH=", t.Width);
  read(u"HEIGHT=", t.Height);
  read(u"PROP=", t.Prop);
  read(u"MAXLEN=", t.MaxLen);
  t.Type = UpperCase(t.Type);
  t.Value = UnescapeHtmlEntities(t.Value, true);
  t.Prop = UnescapeHtmlEntities(t.Prop, true);
  return t;
}

bool HasHtmlControl(const String& html) { return html.find(u"<CONTROL") != String::npos; }

String NextHtmlControl(const String& html, const String& id) {
  bool passed = id.empty();
  for (const TTagRange& r : ControlTags(html)) {
    THtmlControlTag t = TagAt(html, r);
    if (!passed) {
      passed = t.Id == id;
      continue;
    }
    if (t.Type != u"BUTTON" && t.Type != u"CHECK" && t.Type != u"RADIO") return t.Id;
  }
  return String();
}

String GetHtmlControlInfo(const String& html, const String& id) {
  TTagRange r{};
  THtmlControlTag t;
  return FindControl(html, id, r, t) ? t.Prop : String();
}

int GetHtmlControlMaxLen(const String& html, const String& id) {
  TTagRange r{};
  THtmlControlTag t;
  if (!FindControl(html, id, r, t)) return 0;
  int value = 0;
  for (char16_t c : t.MaxLen) {
    if (c < u'0' || c > u'9' || value > 100000000) break;
    value = value * 10 + (c - u'0');
  }
  return value;
}

bool SetHtmlControlValue(String& html, const String& id, const String& value) {
  TTagRange r{};
  THtmlControlTag t;
  if (!FindControl(html, id, r, t)) return false;
  String tag = u"<CONTROL ID=" + Quoted(t.Id) + u" VALUE=" + Quoted(EscapeHtmlChars(value, true)) +
               u" WIDTH=" + Quoted(t.Width) + u" TYPE=" + Quoted(t.Type);
  if (!t.Prop.empty()) tag += u" PROP=" + Quoted(EscapeHtmlChars(t.Prop, true));
  if (!t.MaxLen.empty()) tag += u" MAXLEN=" + Quoted(t.MaxLen);
  tag += u">";
  html = html.substr(0, r.Start) + tag + html.substr(r.End);
  return true;
}

String ResetHtmlRadioButtons(const String& html) {
  String out = html;
  std::vector<String> radios;
  for (const TTagRange& r : ControlTags(html)) {
    THtmlControlTag t = TagAt(html, r);
    if (t.Type == u"RADIO") radios.push_back(t.Id);
  }
  for (const String& id : radios) SetHtmlControlValue(out, id, u"FALSE");
  return out;
}

int HtmlCharPos(const String& html, int n) {
  int passed = 0;
  bool inTag = false;
  for (size_t i = 0; i < html.size(); ++i) {
    if (html[i] == u'<') inTag = true;
    if (!inTag) {
      if (passed == n - 1) return static_cast<int>(i) + 1;
      ++passed;
    } else if (passed == n - 1 && html[i] == u'<') {
      return static_cast<int>(i) + 1;
    }
    if (html[i] == u'>') inTag = false;
  }
  return passed == n - 1 ? static_cast<int>(html.size()) + 1 : 0;
}

int FindTextFrom(const String& search, const String& text, int skip, bool caseSensitive,
                 int& position) {
  position = 0;
  if (skip < 0 || static_cast<size_t>(skip) > text.size() || search.empty()) return 0;
  size_t at;
  if (caseSensitive) {
    at = text.find(search, skip);
  } else {
    at = UpperEach(text).find(UpperEach(search), skip);
  }
  if (at == String::npos) return 0;
  position = static_cast<int>(at) + 1;
  return position;
}

String HighlightHtmlText(const String& html, const String& search, const String& tag,
                         bool caseSensitive) {
  if (search.empty()) return html;
  String markup = html;
  String visible = StripHtmlTags(html);
  String wanted = search;
  if (html.find(search) != String::npos &&
      visible.find_first_of(u"<>") != String::npos) {
    auto escape = [](String s) {
      ReplaceAll(s, u"<", u"&lt;");
      ReplaceAll(s, u">", u"&gt;");
      return s;
    };
    visible = escape(visible);
    markup = visible;
    wanted = escape(wanted);
  }
  // The visible ranges [begin, end) to mark, adjacent ones included.
  std::vector<std::pair<size_t, size_t>> marks;
  const String haystack = caseSensitive ? visible : UpperEach(visible);
  const String needle = caseSensitive ? wanted : UpperEach(wanted);
  for (size_t at = haystack.find(needle); at != String::npos;
       at = haystack.find(needle, at + needle.size())) {
    marks.emplace_back(at, at + needle.size());
  }
  if (marks.empty()) return markup;
  const String open = u"<" + tag + u">", close = u"</" + tag + u">";
  String out;
  out.reserve(markup.size() + marks.size() * (open.size() + close.size()));
  size_t seen = 0, mark = 0;
  bool opened = false;
  // The opening tag goes right before the first marked character (after any tags there), the
  // closing one right after the last, so neighbouring marks never cross.
  auto visibleRun = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
      if (!opened && mark < marks.size() && seen == marks[mark].first) {
        out += open;
        opened = true;
      }
      out.push_back(markup[i]);
      ++seen;
      if (opened && seen == marks[mark].second) {
        out += close;
        opened = false;
        ++mark;
      }
    }
  };
  // The same walk as StripHtmlTags, so "visible" means the same here.
  WalkTags(markup, true, visibleRun,
           [&](size_t from, size_t to) { out.append(markup, from, to - from); });
  if (opened) out += close;
  return out;
}

String UnHighlightHtmlText(const String& html, const String& tag) {
  String out = html;
  const String upper = UpperCase(tag);
  for (const String& t : {u"<" + upper + u">", u"</" + upper + u">"}) {
    for (size_t at = FindNoCase(out, t); at != String::npos; at = FindNoCase(out, t, at)) {
      out.erase(at, t.size());
    }
  }
  ReplaceAll(out, u"&lt;", u"<");
  ReplaceAll(out, u"&gt;", u">");
  return out;
}

void SetHtmlHighlightColors(TColor color, TColor textColor) {
  gHighlightColor = color;
  gHighlightTextColor = textColor;
}
TColor HtmlHighlightColor() { return gHighlightColor; }
TColor HtmlHighlightTextColor() { return gHighlightTextColor; }

int PosNoCase(const String& part, const String& text) {
  size_t at = FindNoCase(text, UpperCase(part));
  return at == String::npos ? 0 : static_cast<int>(at) + 1;
}

int UpperTextPos(const String& upperPart, const String& text, int& position) {
  size_t at = FindNoCase(text, upperPart);
  position = at == String::npos ? 0 : static_cast<int>(at) + 1;
  return position;
}

bool ReplaceFirstNoCase(const String& oldPart, const String& newPart, String& text) {
  int at = PosNoCase(oldPart, text);
  if (at == 0) return false;
  text.replace(at - 1, oldPart.size(), newPart);
  return true;
}

int StrToIntLoose(const String& text) { return LooseInt(text); }

String UnwrapHashMarkers(const String& text) {
  String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'<' && i + 1 < text.size() && text[i + 1] == u'#') {
      size_t close = text.find(u'>', i);
      if (close == String::npos) {
        out.append(text, i + 1);
        break;
      }
      out.append(text, i + 1, close - i - 1);
      i = close;
      continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

String LineBreaksToBr(const String& text, bool brForCr) {
  String out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c == u'\n') continue;
    if (c == u'\r') {
      if (brForCr) out.append(u"<BR>");
      continue;
    }
    out.push_back(c);
  }
  return out;
}

String MaskPassword(const String& text) { return String(text.size(), u'*'); }
