// AnsiStringBuilder and WideStringBuilder: texts built in growable character arrays.
#include <algorithm>

#include "Common/CLRClasses.h"
#include "Common/CLRClasses_Check.h"

using clr_detail::CheckNotNegative;
using clr_detail::CheckRange;

namespace {

// A text length as the builders count it; a text too long for an int is refused.
int LengthOf(size_t size) {
  if (size > static_cast<size_t>(INT32_MAX / 2)) throw ArgumentException(u"Argument out of range");
  return static_cast<int>(size);
}

// The capacity after appending appendLength characters to length of capacity: unchanged while
// they fit, else what is needed plus half the old capacity.
int GrownCapacity(int capacity, int length, int appendLength) {
  if (capacity - length >= appendLength) return capacity;
  return appendLength + length + capacity / 2;
}

}  // namespace

// --- AnsiStringBuilder -------------------------------------------------------------------------

AnsiStringBuilder::AnsiStringBuilder(int capacity) {
  CheckNotNegative(capacity);
  FString.assign(static_cast<size_t>(capacity), '\0');
}

void AnsiStringBuilder::GrowFor(int appendLength) {
  int capacity = GrownCapacity(Capacity(), FActualLength, appendLength);
  if (capacity != Capacity()) FString.resize(static_cast<size_t>(capacity), '\0');
}

void AnsiStringBuilder::Append(std::string_view value) {
  int length = LengthOf(value.size());
  if (length == 0) return;
  GrowFor(length);
  std::copy(value.begin(), value.end(), FString.begin() + FActualLength);
  FActualLength += length;
}

void AnsiStringBuilder::AppendPart(std::string_view value, int offset, int count) {
  CheckRange(offset, count, value.size());
  Append(value.substr(static_cast<size_t>(offset), static_cast<size_t>(count)));
}

void AnsiStringBuilder::AppendChar(char value) {
  if (FActualLength == Capacity())
    FString.resize(static_cast<size_t>(FActualLength + Capacity() / 2 + 1), '\0');
  FString[static_cast<size_t>(FActualLength++)] = value;
}

void AnsiStringBuilder::SetLength(int n) {
  CheckNotNegative(n);
  GrowFor(n);
  // Characters uncovered by the new length read as zeros, not as what an earlier text left.
  if (n > FActualLength) std::fill(FString.begin() + FActualLength, FString.begin() + n, '\0');
  FActualLength = n;
}

// --- WideStringBuilder -------------------------------------------------------------------------

WideStringBuilder::WideStringBuilder(int capacity) {
  CheckNotNegative(capacity);
  FString.assign(static_cast<size_t>(capacity), u'\0');
}

WideStringBuilder::WideStringBuilder(std::u16string_view value, int capacity)
    : WideStringBuilder(capacity) {
  Append(value);
}

void WideStringBuilder::GrowFor(int appendLength) {
  int capacity = GrownCapacity(Capacity(), FActualLength, appendLength);
  if (capacity != Capacity()) FString.resize(static_cast<size_t>(capacity), u'\0');
}

void WideStringBuilder::Append(std::u16string_view value) {
  int length = LengthOf(value.size());
  if (length == 0) return;
  GrowFor(length);
  std::copy(value.begin(), value.end(), FString.begin() + FActualLength);
  FActualLength += length;
}

void WideStringBuilder::Replace(std::u16string_view oldValue, std::u16string_view newValue) {
  if (oldValue.empty()) return;
  const int oldLength = LengthOf(oldValue.size());
  const int newLength = LengthOf(newValue.size());
  size_t from = 0;
  for (;;) {
    std::u16string_view text(FString.data(), static_cast<size_t>(FActualLength));
    size_t found = text.find(oldValue, from);
    if (found == std::u16string_view::npos) return;
    if (newLength > oldLength) GrowFor(newLength - oldLength);
    // Move the tail behind the occurrence to where the new text ends, then put the new text in.
    auto tailStart = FString.begin() + static_cast<std::ptrdiff_t>(found) + oldLength;
    auto tailEnd = FString.begin() + FActualLength;
    auto newTailStart = FString.begin() + static_cast<std::ptrdiff_t>(found) + newLength;
    if (newLength > oldLength)
      std::copy_backward(tailStart, tailEnd, tailEnd + (newLength - oldLength));
    else
      std::copy(tailStart, tailEnd, newTailStart);
    std::copy(newValue.begin(), newValue.end(),
              FString.begin() + static_cast<std::ptrdiff_t>(found));
    FActualLength += newLength - oldLength;
    from = found + static_cast<size_t>(newLength);
  }
}
