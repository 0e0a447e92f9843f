// Memory, pointer and wide-text helpers, locale comparisons and text wrappers.
#include "Common/MemUtils.h"

#include <cstring>

#include "platform/rtl/Exceptions.h"

bool IsWin9x = false;

namespace {

void CheckUnicodeSupported() { RTL_ASSERT(!IsWin9x, u"Unicode support on Win9x"); }

// The first maxLength characters of a zero-terminated text, fewer when it ends before.
std::u16string_view Prefix(const char16_t* text, int maxLength) {
  if (text == nullptr || maxLength <= 0) return {};
  size_t length = 0;
  while (length < static_cast<size_t>(maxLength) && text[length] != 0) ++length;
  return std::u16string_view(text, length);
}

std::string_view Counted(const char* text, int length) {
  if (text == nullptr || length <= 0) return {};
  return std::string_view(text, static_cast<size_t>(length));
}

std::string_view Terminated(const char* text) {
  return text ? std::string_view(text) : std::string_view();
}

template <class Char>
int TrimBlanks(Char* text, int length) {
  if (text == nullptr) return -1;
  if (length < 0) {
    length = 0;
    while (text[length] != 0) ++length;
  }
  int last = length - 1;
  while (last >= 0 && (text[last] == Char(' ') || text[last] == Char(0))) text[last--] = Char(0);
  return last;
}

}  // namespace

// --- memory and pointers -----------------------------------------------------------------------

void CopyMemory(const void* source, void* destination, std::ptrdiff_t count) {
  if (count > 0) std::memmove(destination, source, static_cast<size_t>(count));
}

void CopyFromString(const AnsiString& source, void* destination, std::ptrdiff_t count) {
  RTL_ASSERT(count <= static_cast<std::ptrdiff_t>(source.size() + 1), u"Count > string size");
  CopyMemory(source.c_str(), destination, count);
}

void CopyFromWideString(const String& source, void* destination, std::ptrdiff_t count) {
  RTL_ASSERT(count <= static_cast<std::ptrdiff_t>((source.size() + 1) * sizeof(char16_t)),
             u"Count > string size");
  CopyMemory(source.c_str(), destination, count);
}

void FillMemory(void* buffer, std::ptrdiff_t count, uint8_t value) {
  if (count > 0) std::memset(buffer, value, static_cast<size_t>(count));
}

int PtrCompare(const void* a, const void* b) {
  std::uintptr_t x = reinterpret_cast<std::uintptr_t>(a);
  std::uintptr_t y = reinterpret_cast<std::uintptr_t>(b);
  return (x > y) - (x < y);
}

// --- wide texts ----------------------------------------------------------------------------------

int WideStrLen(const char16_t* text) {
  if (text == nullptr) return 0;
  int length = 0;
  while (text[length] != 0) ++length;
  return length;
}

void CopyWideStr(const char16_t* source, char16_t* destination) {
  int length = WideStrLen(source);
  std::memmove(destination, source != nullptr ? source : u"", (length + 1) * sizeof(char16_t));
}

void CopyWideChars(const char16_t* source, char16_t* destination, int maxChars) {
  std::u16string_view text = Prefix(source, maxChars);
  std::memmove(destination, text.data(), text.size() * sizeof(char16_t));
  destination[text.size()] = 0;
}

int TrimTrailingBlanks(char* text, int length) { return TrimBlanks(text, length); }

int TrimTrailingBlanksW(char16_t* text, int length) { return TrimBlanks(text, length); }

// --- comparisons -------------------------------------------------------------------------------

int StrCompLocale(const char* a, const char* b) {
  return Sign(AnsiCompareStrA(Terminated(a), Terminated(b)));
}

int StrICompLocale(const char* a, const char* b) {
  return Sign(AnsiCompareTextA(Terminated(a), Terminated(b)));
}

int AnsiCompareStrA(const char* a, int lengthA, const char* b, int lengthB) {
  return Sign(AnsiCompareStrA(Counted(a, lengthA), Counted(b, lengthB)));
}

int AnsiCompareTextA(const char* a, int lengthA, const char* b, int lengthB) {
  return Sign(AnsiCompareTextA(Counted(a, lengthA), Counted(b, lengthB)));
}

int AnsiCompareStrW(std::u16string_view a, std::u16string_view b) {
  CheckUnicodeSupported();
  return Sign(AnsiCompareStr(a, b));
}

int AnsiCompareTextW(std::u16string_view a, std::u16string_view b) {
  CheckUnicodeSupported();
  return Sign(AnsiCompareText(a, b));
}

int WideStrLComp(const char16_t* a, const char16_t* b, int maxLength) {
  CheckUnicodeSupported();
  return Sign(AnsiCompareStr(Prefix(a, maxLength), Prefix(b, maxLength)));
}

int WideStrLIComp(const char16_t* a, const char16_t* b, int maxLength) {
  CheckUnicodeSupported();
  return Sign(AnsiCompareText(Prefix(a, maxLength), Prefix(b, maxLength)));
}

// --- text wrappers -------------------------------------------------------------------------------

String LowerCaseStr(std::u16string_view text) { return AnsiLowerCase(text); }

String UpperCaseStr(std::u16string_view text) { return AnsiUpperCase(text); }

int CompareTextStr(std::u16string_view a, std::u16string_view b) { return AnsiCompareText(a, b); }

bool MemUtils::SameText(std::u16string_view a, std::u16string_view b) { return AnsiSameText(a, b); }

String QuoteStr(std::u16string_view text, char16_t quote) {
  String result;
  result.reserve(text.size() + 2);
  result += quote;
  for (char16_t c : text) {
    if (c == quote) result += quote;
    result += c;
  }
  result += quote;
  return result;
}

String FormatStr(const String& format, std::initializer_list<TVarRec> args) {
  return Format(format, args);
}

String DequoteStr(std::u16string_view text) {
  if (text.size() < 2) return String(text);
  char16_t quote = text.front();
  if ((quote != u'\'' && quote != u'"') || text.back() != quote) return String(text);
  String result;
  std::u16string_view inner = text.substr(1, text.size() - 2);
  for (size_t i = 0; i < inner.size(); ++i) {
    result += inner[i];
    if (inner[i] == quote && i + 1 < inner.size() && inner[i + 1] == quote) ++i;
  }
  return result;
}
