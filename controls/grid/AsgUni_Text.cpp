// Wide text of controls, the surrogate pair guard and zero-terminated wide buffers.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "controls/grid/AsgUni.h"
#include "platform/rtl/TextCompare.h"

namespace AsgUni {

namespace {

bool IsHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
bool IsLowSurrogate(char16_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

// A buffer's block starts with its size in bytes, before the text.
constexpr size_t kHeader = 4;

}  // namespace

String GetWideWindowText(TControl* control) { return control->Text(); }

void SetWideWindowText(TControl* control, const String& value) { control->SetText(value); }

bool TSurrogatePairGuard::DropsSecondHalf(char16_t ch) {
  const bool drop = FDropNext && IsLowSurrogate(ch);
  FDropNext = false;
  return drop;
}

void TSurrogatePairGuard::Handled(char16_t typed, bool taken) {
  FDropNext = IsHighSurrogate(typed) && !taken;
}

void TWideBufferFree::operator()(char16_t* buffer) const {
  if (buffer) std::free(reinterpret_cast<char*>(buffer) - kHeader);
}

int WideCharCount(const char16_t* s) {
  int count = 0;
  if (s)
    while (s[count]) ++count;
  return count;
}

char16_t* MoveWideChars(char16_t* dest, const char16_t* source, int count) {
  if (count > 0) std::memmove(dest, source, static_cast<size_t>(count) * sizeof(char16_t));
  return dest;
}

TWideBuffer AllocWideBuffer(int size) {
  const uint32_t bytes =
      static_cast<uint32_t>(std::max(size, 0) * sizeof(char16_t) + kHeader);
  char* block = static_cast<char*>(std::calloc(1, bytes));
  if (!block) throw std::bad_alloc();
  std::memcpy(block, &bytes, sizeof bytes);
  return TWideBuffer(reinterpret_cast<char16_t*>(block + kHeader));
}

TWideBuffer DupWideBuffer(const char16_t* s) {
  if (!s) return TWideBuffer();
  const int length = WideCharCount(s);
  TWideBuffer copy = AllocWideBuffer(length + 1);
  MoveWideChars(copy.get(), s, length + 1);
  return copy;
}

int LocaleAnsiCodePage(const std::string&) { return 65001; }

int CompareWideTextWide(const String& s1, const String& s2, const std::string& language) {
  return language.empty() ? AnsiCompareText(s1, s2) : AnsiCompareTextIn(s1, s2, language);
}

}  // namespace AsgUni
