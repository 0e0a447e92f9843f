// TStrings as one text: lines, delimited text and files.
#include <algorithm>
#include <initializer_list>

#include "platform/rtl/Streams.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/UnicodeText.h"

namespace {

String QuotedStr(const String& s, char16_t quote) {
  String result(1, quote);
  for (char16_t c : s) {
    result += c;
    if (c == quote) result += quote;
  }
  result += quote;
  return result;
}

// Reads the quoted string whose opening quote is at text[i]: doubled quotes stand for one, and a
// missing closing quote ends it at the end of the text. Leaves i after the closing quote.
String ExtractQuoted(const String& text, size_t& i, char16_t quote) {
  String result;
  ++i;
  while (i < text.size()) {
    char16_t c = text[i++];
    if (c != quote) {
      result += c;
    } else if (i < text.size() && text[i] == quote) {
      result += quote;
      ++i;
    } else {
      break;
    }
  }
  return result;
}

bool IsBlank(char16_t c) { return c >= 1 && c <= u' '; }

String DecodeText(const TBytes& bytes) {
  auto startsWith = [&](std::initializer_list<uint8_t> mark) {
    return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
  };
  auto utf16 = [&](bool bigEndian) {
    String text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      unsigned first = bytes[i], second = bytes[i + 1];
      text += static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return text;
  };
  std::string_view data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (startsWith({0xEF, 0xBB, 0xBF})) return UTF8ToString(data.substr(3));
  if (startsWith({0xFF, 0xFE})) return utf16(false);
  if (startsWith({0xFE, 0xFF})) return utf16(true);
  return UTF8ToString(data);
}

}  // namespace

String TStrings::GetTextStr() const {
  String result;
  for (int i = 0; i < GetCount(); ++i) {
    result += Get(i);
    result += FLineBreak;
  }
  return result;
}

void TStrings::SetTextStr(const String& text) {
  WithinUpdate([&] {
    Clear();
    size_t i = 0;
    if (FLineBreak != u"\n" && !FLineBreak.empty()) {
      // A line break of the caller's choice splits only where it occurs.
      while (i < text.size()) {
        size_t at = std::min(text.find(FLineBreak, i), text.size());
        Add(text.substr(i, at - i));
        i = at + FLineBreak.size();
      }
      return;
    }
    while (i < text.size()) {
      size_t start = i;
      while (i < text.size() && text[i] != u'\r' && text[i] != u'\n') ++i;
      Add(text.substr(start, i - start));
      if (i == text.size()) break;
      bool carriageReturn = text[i++] == u'\r';
      if (carriageReturn && i < text.size() && text[i] == u'\n') ++i;
    }
  });
}

String TStrings::JoinDelimited(char16_t delimiter, char16_t quote, bool strict) const {
  int count = GetCount();
  if (count == 1 && Get(0).empty()) return String(2, quote);
  String result;
  for (int i = 0; i < count; ++i) {
    String s = Get(i);
    bool quoted = std::any_of(s.begin(), s.end(), [&](char16_t c) {
      return c == quote || c == delimiter || (!strict && c <= u' ');
    });
    if (i > 0) result += delimiter;
    result += quoted ? QuotedStr(s, quote) : s;
  }
  return result;
}

void TStrings::SplitDelimited(const String& text, char16_t delimiter, char16_t quote, bool strict) {
  WithinUpdate([&] {
    Clear();
    size_t i = 0;
    auto skipBlanks = [&] {
      if (!strict)
        while (i < text.size() && IsBlank(text[i])) ++i;
    };
    skipBlanks();
    while (i < text.size()) {
      if (text[i] == quote) {
        Add(ExtractQuoted(text, i, quote));
      } else {
        size_t start = i;
        while (i < text.size() && text[i] != delimiter && (strict || text[i] > u' ')) ++i;
        Add(text.substr(start, i - start));
      }
      skipBlanks();
      if (i < text.size() && text[i] == delimiter) {
        // A delimiter at the very end stands before one more, empty, string.
        if (i + 1 == text.size()) Add(String());
        ++i;
        skipBlanks();
      }
    }
  });
}

String TStrings::CommaText() const { return JoinDelimited(u',', u'"', false); }

void TStrings::SetCommaText(const String& text) { SplitDelimited(text, u',', u'"', false); }

String TStrings::DelimitedText() const {
  return JoinDelimited(FDelimiter, FQuoteChar, FStrictDelimiter);
}

void TStrings::SetDelimitedText(const String& text) {
  SplitDelimited(text, FDelimiter, FQuoteChar, FStrictDelimiter);
}

void TStrings::LoadFromStream(TStream* stream) {
  int64_t size = stream->Size() - stream->Position();
  TBytes bytes(static_cast<size_t>(std::max<int64_t>(size, 0)));
  if (!bytes.empty()) stream->ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  SetTextStr(DecodeText(bytes));
}

void TStrings::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TStrings::SaveToStream(TStream* stream) const {
  AnsiString bytes = UTF8Encode(GetTextStr());
  if (!bytes.empty()) stream->WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

void TStrings::SaveToFile(const String& fileName) const {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}
