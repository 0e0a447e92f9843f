// The edit mask language: parsing a mask, fitting values into it and checking them.
#include <unicode/uchar.h>

#include <algorithm>

#include "platform/rtl/FormatSettings.h"
#include "platform/ui/Mask.h"

namespace {

bool IsDigit(char16_t ch) { return ch >= u'0' && ch <= u'9'; }

}  // namespace

TEditMaskFormat::TEditMaskFormat(const String& editMask) {
  // The mask ends at the first ";" that no "\" escapes; the fields after it are optional.
  size_t end = 0;
  for (bool escaped = false; end < editMask.size(); ++end) {
    if (escaped)
      escaped = false;
    else if (editMask[end] == u'\\')
      escaped = true;
    else if (editMask[end] == u';')
      break;
  }
  if (end < editMask.size()) {
    String rest = editMask.substr(end + 1);
    size_t separator = rest.find(u';');
    if (!rest.empty() && rest[0] == u'0') FSaveLiterals = false;
    if (separator != String::npos && separator + 1 < rest.size()) FBlank = rest[separator + 1];
  }

  TCase currentCase = caNone;
  for (size_t i = 0; i < end; ++i) {
    char16_t ch = editMask[i];
    char16_t next = i + 1 < end ? editMask[i + 1] : 0;
    TPosition position;
    switch (ch) {
      case u'!': FLeadingBlanks = true; continue;
      case u'>':
      case u'<':
        // "<>" (or "><") switches case conversion off.
        if (next == (ch == u'>' ? u'<' : u'>')) {
          currentCase = caNone;
          ++i;
        } else {
          currentCase = ch == u'>' ? caUpper : caLower;
        }
        continue;
      case u'\\':
        if (i + 1 >= end) continue;
        position.Literal = editMask[++i];
        break;
      case u'L': position.Class = mkLetter, position.Required = true; break;
      case u'l': position.Class = mkLetter; break;
      case u'A': position.Class = mkAlphaNumeric, position.Required = true; break;
      case u'a': position.Class = mkAlphaNumeric; break;
      case u'C': position.Class = mkAny, position.Required = true; break;
      case u'c': position.Class = mkAny; break;
      case u'0': position.Class = mkDigit, position.Required = true; break;
      case u'9': position.Class = mkDigit; break;
      case u'#': position.Class = mkDigitOrSign; break;
      case u':': position.Literal = FormatSettings().TimeSeparator; break;
      case u'/': position.Literal = FormatSettings().DateSeparator; break;
      case u'_': position.Literal = u' '; break;
      default: position.Literal = ch; break;
    }
    position.Case = currentCase;
    FPositions.push_back(position);
  }
}

bool TEditMaskFormat::Accepts(int index, char16_t& ch) const {
  if (!IsInput(index)) return false;
  const TPosition& position = Position(index);
  if (position.Case == caUpper) ch = static_cast<char16_t>(u_toupper(ch));
  if (position.Case == caLower) ch = static_cast<char16_t>(u_tolower(ch));
  switch (position.Class) {
    case mkLetter: return u_isalpha(ch) != 0;
    case mkAlphaNumeric: return u_isalpha(ch) != 0 || IsDigit(ch);
    case mkDigit: return IsDigit(ch);
    case mkDigitOrSign: return IsDigit(ch) || ch == u'+' || ch == u'-';
    case mkAny: return ch >= 32 && ch != 0x7F;
    case mkLiteral: return false;
  }
  return false;
}

int TEditMaskFormat::NextInput(int from) const {
  for (int i = std::max(from, 0); i < Length(); ++i)
    if (IsInput(i)) return i;
  return -1;
}

int TEditMaskFormat::PreviousInput(int before) const {
  for (int i = std::min(before, Length()) - 1; i >= 0; --i)
    if (IsInput(i)) return i;
  return -1;
}

String TEditMaskFormat::EmptyEditText() const {
  String text;
  for (const TPosition& position : FPositions)
    text += position.Class == mkLiteral ? position.Literal : FBlank;
  return text;
}

void TEditMaskFormat::Place(String& editText, int index, char16_t ch) const {
  if (!IsInput(index)) return;
  if (ch != u' ' && ch != FBlank) Accepts(index, ch);  // for its case; an unfit character set by
                                                       // the program is kept, not lost
  editText[static_cast<size_t>(index)] = ch == u' ' ? FBlank : ch;
}

String TEditMaskFormat::EditTextFromEditText(const String& text) const {
  String result = EmptyEditText();
  for (int i = 0; i < Length() && i < static_cast<int>(text.size()); ++i)
    Place(result, i, text[static_cast<size_t>(i)]);
  return result;
}

// Characters without literals go into the input positions in order; with "!", a short value
// fills the last positions.
String TEditMaskFormat::FillInputs(const String& characters) const {
  std::vector<int> inputs;
  for (int i = 0; i < Length(); ++i)
    if (IsInput(i)) inputs.push_back(i);
  String chars = characters.substr(0, std::min(characters.size(), inputs.size()));
  String result = EmptyEditText();
  size_t offset = FLeadingBlanks ? inputs.size() - chars.size() : 0;
  for (size_t n = 0; n < chars.size(); ++n) Place(result, inputs[offset + n], chars[n]);
  return result;
}

// A value with its literals: the literals divide it into fields, each going into the run of
// input positions between the mask's literals (with "!", at the run's end).
String TEditMaskFormat::FillFields(const String& text) const {
  String padded = EmptyEditText();
  size_t j = 0;
  int i = 0;
  while (i < Length()) {
    if (!IsInput(i)) {
      if (j < text.size() && text[j] == Position(i).Literal) ++j;
      ++i;
      continue;
    }
    int runEnd = i;
    while (runEnd < Length() && IsInput(runEnd)) ++runEnd;
    size_t from = j;
    while (j < text.size() && !(runEnd < Length() && text[j] == Position(runEnd).Literal)) ++j;
    String field = text.substr(from, j - from);
    auto room = static_cast<size_t>(runEnd - i);
    if (field.size() > room) field.resize(room);
    size_t offset = FLeadingBlanks ? room - field.size() : 0;
    for (size_t n = 0; n < field.size(); ++n) Place(padded, i + static_cast<int>(offset + n), field[n]);
    i = runEnd;
  }
  return padded;
}

String TEditMaskFormat::EditTextFromText(const String& text) const {
  if (text.empty()) return EmptyEditText();
  // A value that already has the mask's shape is taken as it stands.
  bool shaped = static_cast<int>(text.size()) == Length();
  bool hasLiteral = false;
  for (int i = 0; i < Length(); ++i) {
    if (IsInput(i)) continue;
    char16_t literal = Position(i).Literal;
    if (shaped && text[static_cast<size_t>(i)] != literal) shaped = false;
    if (text.find(literal) != String::npos) hasLiteral = true;
  }
  if (shaped) return EditTextFromEditText(text);
  if (FSaveLiterals && hasLiteral) return FillFields(text);
  return FillInputs(text);
}

String TEditMaskFormat::TextFromEditText(const String& editText) const {
  String text;
  for (int i = 0; i < Length(); ++i) {
    if (!IsInput(i)) {
      if (FSaveLiterals) text += Position(i).Literal;
      continue;
    }
    char16_t ch = i < static_cast<int>(editText.size()) ? editText[static_cast<size_t>(i)] : FBlank;
    text += ch == FBlank ? u' ' : ch;
  }
  return text;
}

bool TEditMaskFormat::Validate(const String& editText, int& faultPosition) const {
  bool typed = false;
  faultPosition = -1;
  for (int i = 0; i < Length(); ++i) {
    if (!IsInput(i)) continue;
    char16_t ch = i < static_cast<int>(editText.size()) ? editText[static_cast<size_t>(i)] : FBlank;
    bool blank = ch == FBlank || ch == u' ';
    char16_t fitted = ch;
    if (!blank) typed = true;
    bool fault = blank ? Position(i).Required : !Accepts(i, fitted);
    if (fault && faultPosition < 0) faultPosition = i;
  }
  return !typed || faultPosition < 0;
}

// --- Helpers -------------------------------------------------------------------------------------

bool MaskGetMaskSave(const String& editMask) { return TEditMaskFormat(editMask).SaveLiterals(); }

char16_t MaskGetMaskBlank(const String& editMask) { return TEditMaskFormat(editMask).Blank(); }

String FormatMaskText(const String& editMask, const String& value) {
  TEditMaskFormat mask(editMask);
  return mask.Empty() ? value : mask.EditTextFromText(value);
}
