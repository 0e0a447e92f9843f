// TCustomEdit's rows (the text broken into lines as shown, wrapped or not) and TEditLines, the
// memo's Lines over the edit's text.
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/StdCtrls_EditLines.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/StdCtrls.h"

namespace {

constexpr char16_t kCrLf[] = u"\r\n";


}  // namespace

String NormalizeLineBreaks(const String& text) {
  String result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t ch = text[i];
    if (ch == u'\r') {
      result += kCrLf;
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else if (ch == u'\n') {
      result += kCrLf;
    } else {
      result += ch;
    }
  }
  return result;
}

// --- Rows ----------------------------------------------------------------------------------------

const std::vector<TCustomEdit::TEditRow>& TCustomEdit::Rows() {
  // Rows wrap only once there is a window to measure in.
  bool wrap = FMultiLine && FWordWrap && HandleAllocated();
  int width = wrap ? std::max(FormattingRect().Width(), 1) : -1;
  if (FRowsValid && width == FRowsWidth) return FRows;
  FRows.clear();
  int length = static_cast<int>(FEditText.size());
  if (!FMultiLine) {
    FRows.push_back({0, length});
  } else {
    int start = 0;
    for (;;) {
      size_t lineBreak = FEditText.find(kCrLf, static_cast<size_t>(start));
      int end = lineBreak == String::npos ? length : static_cast<int>(lineBreak);
      if (wrap)
        WrapLine(start, end, width, FRows);
      else
        FRows.push_back({start, end});
      if (lineBreak == String::npos) break;
      start = end + 2;
    }
  }
  FRowsValid = true;
  FRowsWidth = width;
  return FRows;
}

// Breaks one line into rows no wider than width: after the last blank that fits, or inside a
// word that alone is wider than the row. Blanks at a break stay at the end of the row.
void TCustomEdit::WrapLine(int start, int end, int width, std::vector<TEditRow>& rows) {
  int rowStart = start;
  do {
    TEditRow whole{rowStart, end};
    if (RowWidth(whole, end) <= width) {
      rows.push_back(whole);
      return;
    }
    // The longest head that fits, one character at least.
    int low = 1, high = end - rowStart - 1;
    while (low < high) {
      int middle = (low + high + 1) / 2;
      if (RowWidth(whole, rowStart + middle) <= width)
        low = middle;
      else
        high = middle - 1;
    }
    int cut = rowStart + low;
    if (FEditText[static_cast<size_t>(cut)] != u' ') {
      int blank = cut;
      while (blank > rowStart && FEditText[static_cast<size_t>(blank - 1)] != u' ') --blank;
      if (blank > rowStart) cut = blank;
    }
    while (cut < end && FEditText[static_cast<size_t>(cut)] == u' ') ++cut;
    if (cut < end && IsLowSurrogate(FEditText[static_cast<size_t>(cut)])) ++cut;
    rows.push_back({rowStart, cut});
    rowStart = cut;
  } while (rowStart < end);
}

int TCustomEdit::RowOf(int index) {
  const std::vector<TEditRow>& rows = Rows();
  // The last row starting at or before index: a character at a wrap belongs to the next row.
  auto after = std::upper_bound(rows.begin(), rows.end(), index,
                                [](int at, const TEditRow& row) { return at < row.Start; });
  return std::max(static_cast<int>(after - rows.begin()) - 1, 0);
}

int TCustomEdit::LineFromChar(int index) {
  return RowOf(std::clamp(index, 0, static_cast<int>(FEditText.size())));
}

int TCustomEdit::LineIndex(int line) {
  const std::vector<TEditRow>& rows = Rows();
  if (line < 0) line = RowOf(FCaret);
  if (line >= static_cast<int>(rows.size())) return -1;
  return rows[static_cast<size_t>(line)].Start;
}

int TCustomEdit::LineCount() { return static_cast<int>(Rows().size()); }

int TCustomEdit::FirstVisibleLine() {
  if (FMultiLine) return FTopRow;
  if (!HandleAllocated()) return 0;
  int left = FormattingRect().Left;
  int length = static_cast<int>(FEditText.size());
  int index = 0;
  while (index < length && TextX(index) < left) index = CharAfter(index);
  return index;
}

// --- Lines ---------------------------------------------------------------------------------------

void TEditLines::Span(int index, int& start, int& end) const {
  const String& text = FEdit->FEditText;
  start = 0;
  for (int i = 0; i < index; ++i) start = static_cast<int>(text.find(kCrLf, static_cast<size_t>(start))) + 2;
  size_t lineBreak = text.find(kCrLf, static_cast<size_t>(start));
  end = lineBreak == String::npos ? static_cast<int>(text.size()) : static_cast<int>(lineBreak);
}

void TEditLines::CheckIndex(int index, int count) const {
  if (index < 0 || index >= count) Error(u"List index out of bounds (%d)", index);
}

int TEditLines::GetCount() const {
  const String& text = FEdit->FEditText;
  if (text.empty()) return 0;
  int count = 1;
  for (size_t at = text.find(kCrLf); at != String::npos; at = text.find(kCrLf, at + 2)) ++count;
  // A break at the very end starts no line.
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, kCrLf) == 0) --count;
  return count;
}

String TEditLines::Get(int index) const {
  CheckIndex(index, GetCount());
  int start = 0, end = 0;
  Span(index, start, end);
  return FEdit->FEditText.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
}

void TEditLines::SetEditText(const String& text) {
  FEdit->SetEditBuffer(text);
}

void TEditLines::Put(int index, const String& s) {
  CheckIndex(index, GetCount());
  int start = 0, end = 0;
  Span(index, start, end);
  String text = FEdit->FEditText;
  text.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), NormalizeLineBreaks(s));
  SetEditText(text);
}

void TEditLines::Insert(int index, const String& s) {
  int count = GetCount();
  if (index < 0 || index > count) Error(u"List index out of bounds (%d)", index);
  String text = FEdit->FEditText;
  String line = NormalizeLineBreaks(s) + kCrLf;
  if (index < count) {
    int start = 0, end = 0;
    Span(index, start, end);
    text.insert(static_cast<size_t>(start), line);
  } else {
    // Appending: the last line gets its break first when it has none.
    if (!text.empty() && (text.size() < 2 || text.compare(text.size() - 2, 2, kCrLf) != 0))
      text += kCrLf;
    text += line;
  }
  SetEditText(text);
}

void TEditLines::Delete(int index) {
  CheckIndex(index, GetCount());
  int start = 0, end = 0;
  Span(index, start, end);
  String text = FEdit->FEditText;
  if (end < static_cast<int>(text.size())) {
    end += 2;  // the line with its break
  } else if (start >= 2) {
    start -= 2;  // the last line without a break: the break before it goes
  }
  text.erase(static_cast<size_t>(start), static_cast<size_t>(end - start));
  SetEditText(text);
}

void TEditLines::Clear() { SetEditText(String()); }

void TEditLines::SetUpdateState(bool updating) {
  if (!updating) FEdit->LayoutChanged();
}

void TEditLines::SetTextStr(const String& text) { SetEditText(NormalizeLineBreaks(text)); }
