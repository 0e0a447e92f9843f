// TRichDocument: the text, a format a character and a format a paragraph, kept in step.
#include <algorithm>

#include "platform/ui/RichEdit.h"

namespace {

// Line breaks in any of the three usual forms become one paragraph mark.
String NormalizeBreaks(const String& text) {
  String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t ch = text[i];
    if (ch == u'\r') {
      out += u'\r';
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else if (ch == u'\n') {
      out += u'\r';
    } else {
      out += ch;
    }
  }
  return out;
}

}  // namespace

int TRichDocument::ParagraphOf(int position) const {
  position = std::clamp(position, 0, Length());
  return static_cast<int>(std::count(FText.begin(), FText.begin() + position, u'\r'));
}

int TRichDocument::ParagraphStart(int paragraph) const {
  int start = 0;
  for (int p = 0; p < paragraph; ++p) {
    size_t mark = FText.find(u'\r', static_cast<size_t>(start));
    if (mark == String::npos) return Length();
    start = static_cast<int>(mark) + 1;
  }
  return start;
}

int TRichDocument::ParagraphEnd(int paragraph) const {
  size_t mark = FText.find(u'\r', static_cast<size_t>(ParagraphStart(paragraph)));
  return mark == String::npos ? Length() : static_cast<int>(mark);
}

String TRichDocument::ParagraphText(int paragraph) const {
  int start = ParagraphStart(paragraph);
  return FText.substr(static_cast<size_t>(start), static_cast<size_t>(ParagraphEnd(paragraph) - start));
}

const TRichCharFormat& TRichDocument::CharFormat(int position) const {
  if (FCharFormats.empty()) return FFormats.front();
  position = std::clamp(position, 0, Length() - 1);
  return FFormats[static_cast<size_t>(FCharFormats[static_cast<size_t>(position)])];
}

int TRichDocument::FormatIndex(const TRichCharFormat& format) {
  auto it = std::find(FFormats.begin(), FFormats.end(), format);
  if (it != FFormats.end()) return static_cast<int>(it - FFormats.begin());
  FFormats.push_back(format);
  return static_cast<int>(FFormats.size()) - 1;
}

void TRichDocument::Clear() {
  FText.clear();
  FCharFormats.clear();
  FFormats.assign(1, TRichCharFormat());
  FParas.assign(1, TRichParaFormat());
}

void TRichDocument::Insert(int position, const String& text, const TRichCharFormat& format) {
  String clean = NormalizeBreaks(text);
  if (clean.empty()) return;
  position = std::clamp(position, 0, Length());
  // Appending (what the RTF reader does) needs no count of the marks before the position.
  int paragraph = position == Length() ? ParagraphCount() - 1 : ParagraphOf(position);
  int index = FormatIndex(format);
  FText.insert(static_cast<size_t>(position), clean);
  FCharFormats.insert(FCharFormats.begin() + position, clean.size(), index);
  auto marks = static_cast<size_t>(std::count(clean.begin(), clean.end(), u'\r'));
  TRichParaFormat split = FParas[static_cast<size_t>(paragraph)];
  FParas.insert(FParas.begin() + paragraph + 1, marks, split);
}

void TRichDocument::Delete(int position, int count) {
  position = std::clamp(position, 0, Length());
  count = std::clamp(count, 0, Length() - position);
  if (count == 0) return;
  int paragraph = ParagraphOf(position);
  auto first = FText.begin() + position;
  auto marks = std::count(first, first + count, u'\r');
  FText.erase(static_cast<size_t>(position), static_cast<size_t>(count));
  FCharFormats.erase(FCharFormats.begin() + position, FCharFormats.begin() + position + count);
  FParas.erase(FParas.begin() + paragraph + 1, FParas.begin() + paragraph + 1 + marks);
}

void TRichDocument::ChangeCharFormat(int start, int count,
                                     const std::function<void(TRichCharFormat&)>& change) {
  start = std::clamp(start, 0, Length());
  int end = std::clamp(start + count, start, Length());
  for (int i = start; i < end; ++i) {
    TRichCharFormat format = FFormats[static_cast<size_t>(FCharFormats[static_cast<size_t>(i)])];
    change(format);
    FCharFormats[static_cast<size_t>(i)] = FormatIndex(format);
  }
}

void TRichDocument::ChangeParaFormat(int start, int count,
                                     const std::function<void(TRichParaFormat&)>& change) {
  int first = ParagraphOf(start);
  int last = ParagraphOf(start + std::max(count, 0));
  for (int p = first; p <= last && p < ParagraphCount(); ++p) change(FParas[static_cast<size_t>(p)]);
}

void TRichDocument::SetParaFormat(int paragraph, const TRichParaFormat& format) {
  if (paragraph >= 0 && paragraph < ParagraphCount()) FParas[static_cast<size_t>(paragraph)] = format;
}

String TRichDocument::PlainText() const {
  String out;
  out.reserve(FText.size() + FParas.size());
  for (char16_t ch : FText) {
    if (ch == u'\r')
      out += u"\r\n";
    else
      out += ch;
  }
  return out;
}

TRichDocument TRichDocument::FromPlainText(const String& text, const TRichCharFormat& format) {
  TRichDocument document;
  document.FFormats.front() = format;
  document.Insert(0, text, format);
  return document;
}
