// Reading, editing and writing back the lines of an INI file.
#include "platform/ui/IniFiles_Text.h"

#include "platform/rtl/Format.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"

namespace {

bool IsBlank(char16_t c) { return c <= u' '; }

bool IsQuote(char16_t c) { return c == u'"' || c == u'\''; }

bool HasLineBreak(const String& s) { return s.find_first_of(u"\r\n") != String::npos; }

// A value in matching quotes reads without them, as the system's INI reader does.
String Unquoted(const String& value) {
  if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

std::vector<String> SplitLines(const String& text) {
  std::vector<String> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

bool IsSectionHeader(const String& trimmed) {
  return trimmed.size() >= 2 && trimmed.front() == u'[' && trimmed.back() == u']';
}

}  // namespace

void TIniText::SetCaseSensitive(bool value) {
  if (value == FCaseSensitive) return;
  FCaseSensitive = value;
  for (TSection& section : FSections) {
    section.Key = Fold(section.Name);
    for (TLine& line : section.Lines)
      if (line.Kind == TLine::lkEntry) line.Key = Fold(line.Name);
  }
}

void TIniText::Clear() {
  FPreamble.clear();
  FSections.clear();
}

String TIniText::Fold(const String& name) const {
  return FCaseSensitive ? name : AnsiUpperCase(name);
}

TIniText::TLine TIniText::ParseLine(const String& text) const {
  TLine line;
  line.Text = text;
  String trimmed = Trim(text);
  size_t equals = trimmed.find(u'=');
  if (trimmed.empty()) {
    line.Kind = TLine::lkBlank;
  } else if (trimmed.front() == u';') {
    line.Kind = TLine::lkComment;
  } else if (equals != String::npos) {
    line.Kind = TLine::lkEntry;
    line.Name = TrimRight(trimmed.substr(0, equals));
    line.Key = Fold(line.Name);
    line.Value = Unquoted(TrimLeft(trimmed.substr(equals + 1)));
  }
  return line;
}

void TIniText::Parse(const String& text) {
  Clear();
  for (const String& raw : SplitLines(text)) {
    String trimmed = Trim(raw);
    if (IsSectionHeader(trimmed)) {
      TSection section;
      section.Name = Trim(trimmed.substr(1, trimmed.size() - 2));
      section.Key = Fold(section.Name);
      section.Lines.push_back(TLine{TLine::lkOther, raw, {}, {}, {}});
      FSections.push_back(std::move(section));
    } else if (FSections.empty()) {
      FPreamble.push_back(ParseLine(raw));
    } else {
      FSections.back().Lines.push_back(ParseLine(raw));
    }
  }
}

std::vector<String> TIniText::Lines() const {
  std::vector<String> lines;
  for (const TLine& line : FPreamble) lines.push_back(line.Text);
  for (const TSection& section : FSections)
    for (const TLine& line : section.Lines) lines.push_back(line.Text);
  return lines;
}

String TIniText::Text() const {
  String text;
  for (const String& line : Lines()) {
    text += line;
    text += u'\n';
  }
  return text;
}

TIniText::TSection* TIniText::FindSection(const String& key) {
  for (TSection& section : FSections)
    if (section.Key == key) return &section;
  return nullptr;
}

const TIniText::TSection* TIniText::FindSection(const String& key) const {
  for (const TSection& section : FSections)
    if (section.Key == key) return &section;
  return nullptr;
}

bool TIniText::SectionExists(const String& section) const {
  return FindSection(Fold(section)) != nullptr;
}

bool TIniText::ReadValue(const String& section, const String& name, String& value) const {
  const TSection* found = FindSection(Fold(section));
  if (!found) return false;
  const String key = Fold(name);
  for (const TLine& line : found->Lines) {
    if (line.Kind == TLine::lkEntry && line.Key == key) {
      value = line.Value;
      return true;
    }
  }
  return false;
}

String TIniText::EntryLine(const String& name, const String& value) {
  // Quotes keep blanks at the ends, and a value that is itself quoted, from being lost on reading.
  bool quote = !value.empty() &&
               (IsBlank(value.front()) || IsBlank(value.back()) ||
                (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()));
  return name + u"=" + (quote ? u"\"" + value + u"\"" : value);
}

void TIniText::WriteValue(const String& section, const String& name, const String& value) {
  const String key = Fold(name);
  TSection* found = FindSection(Fold(section));
  if (found) {
    for (TLine& line : found->Lines) {
      if (line.Kind == TLine::lkEntry && line.Key == key) {
        line.Text = EntryLine(line.Name, value);
        line.Value = value;
        return;
      }
    }
    // A new entry goes after the section's last non-blank line, before the gap to the next one.
    size_t at = found->Lines.size();
    while (at > 1 && found->Lines[at - 1].Kind == TLine::lkBlank) --at;
    found->Lines.insert(found->Lines.begin() + static_cast<ptrdiff_t>(at),
                        TLine{TLine::lkEntry, EntryLine(name, value), name, key, value});
    return;
  }
  // A blank line separates the new section from what comes before it.
  std::vector<TLine>& before = FSections.empty() ? FPreamble : FSections.back().Lines;
  if (!before.empty() && before.back().Kind != TLine::lkBlank)
    before.push_back(TLine{TLine::lkBlank, String(), {}, {}, {}});
  TSection added;
  added.Name = section;
  added.Key = Fold(section);
  added.Lines.push_back(TLine{TLine::lkOther, u"[" + section + u"]", {}, {}, {}});
  added.Lines.push_back(TLine{TLine::lkEntry, EntryLine(name, value), name, key, value});
  FSections.push_back(std::move(added));
}

bool TIniText::DeleteValue(const String& section, const String& name) {
  TSection* found = FindSection(Fold(section));
  if (!found) return false;
  const String key = Fold(name);
  for (auto it = found->Lines.begin(); it != found->Lines.end(); ++it) {
    if (it->Kind == TLine::lkEntry && it->Key == key) {
      found->Lines.erase(it);
      return true;
    }
  }
  return false;
}

void TIniText::EraseSection(const String& section) {
  const String key = Fold(section);
  std::erase_if(FSections, [&](const TSection& s) { return s.Key == key; });
}

std::vector<String> TIniText::SectionNames() const {
  std::vector<String> names;
  std::vector<const String*> seen;
  for (const TSection& section : FSections) {
    bool duplicate = false;
    for (const String* key : seen) duplicate = duplicate || *key == section.Key;
    if (duplicate) continue;
    seen.push_back(&section.Key);
    names.push_back(section.Name);
  }
  return names;
}

std::vector<String> TIniText::EntryNames(const String& section) const {
  std::vector<String> names;
  const TSection* found = FindSection(Fold(section));
  if (!found) return names;
  std::vector<const String*> seen;
  for (const TLine& line : found->Lines) {
    if (line.Kind != TLine::lkEntry) continue;
    bool duplicate = false;
    for (const String* key : seen) duplicate = duplicate || *key == line.Key;
    if (duplicate) continue;
    seen.push_back(&line.Key);
    names.push_back(line.Name);
  }
  return names;
}

String TIniText::HexText(const TBytes& bytes) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  String text;
  text.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

TBytes TIniText::HexBytes(const String& text) {
  auto digit = [](char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
  };
  TBytes bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    int high = digit(text[i]);
    int low = digit(text[i + 1]);
    if (high < 0 || low < 0) break;
    bytes.push_back(static_cast<uint8_t>(high << 4 | low));
  }
  return bytes;
}

String TIniText::SectionProblem(const String& section) {
  if (HasLineBreak(section) ||
      (!section.empty() && (IsBlank(section.front()) || IsBlank(section.back()))))
    return Format(
        u"The section name '%s' cannot be stored in an INI file: it holds a line break "
        u"or blanks at an end",
        {section});
  return String();
}

String TIniText::NameProblem(const String& name) {
  bool bad = HasLineBreak(name) || name.find(u'=') != String::npos ||
             (!name.empty() && (IsBlank(name.front()) || IsBlank(name.back()) ||
                                name.front() == u';' || name.front() == u'['));
  if (bad)
    return Format(
        u"The name '%s' cannot be stored in an INI file: it holds \"=\", a line break "
        u"or blanks at an end, or starts with \";\" or \"[\"",
        {name});
  return String();
}

String TIniText::ValueProblem(const String& value) {
  if (HasLineBreak(value))
    return Format(u"The value '%s' cannot be stored in an INI file: it holds a line break",
                  {value});
  return String();
}
