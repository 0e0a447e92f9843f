// The default, UTF-16 and UTF-8 encodings, the process-wide instances and Utf8FromWide.
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "Common/CLRClasses.h"
#include "Common/CLRClasses_Check.h"
#include "platform/rtl/UnicodeText.h"

using clr_detail::CheckNotNegative;
using clr_detail::CheckRange;

namespace {

// charCount * perChar, refusing a negative count or one whose bytes do not fit an int.
int MaxBytes(int charCount, int perChar) {
  CheckNotNegative(charCount);
  int64_t bytes = static_cast<int64_t>(charCount) * perChar;
  if (bytes > INT_MAX) throw ArgumentException(u"Argument out of range");
  return static_cast<int>(bytes);
}

void CopyInto(const void* source, size_t size, TBytes& bytes, int byteIndex) {
  CheckRange(byteIndex, static_cast<int64_t>(size), bytes.size());
  if (size > 0) std::memcpy(bytes.data() + byteIndex, source, size);
}

// The ANSI code page is UTF-8: a valid UTF-8 text is already ANSI; anything else is decoded (bad
// sequences become U+FFFD) so the result is always well-formed.
AnsiString Utf8ToAnsi(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (IsValidUTF8(text)) return AnsiString(text);
  return StringToAnsi(UTF8ToString(text));
}

}  // namespace

// --- process-wide instances ----------------------------------------------------------------

Encoding* Encoding::GetDefault() {
  static Encoding instance;
  return &instance;
}

Encoding* Encoding::GetUnicode() {
  static UnicodeEncoding instance;
  return &instance;
}

Encoding* Encoding::GetUTF8() {
  static UTF8Encoding instance;
  return &instance;
}

Encoding* Encoding::GetEncoding(uint32_t codePage) {
  static std::mutex lock;
  static std::map<uint32_t, std::unique_ptr<CodePageEncoding>> encodings;
  std::lock_guard<std::mutex> guard(lock);
  auto& slot = encodings[codePage];
  if (!slot) slot = std::make_unique<CodePageEncoding>(codePage);
  return slot.get();
}

// --- Encoding: the ANSI text's bytes as they are --------------------------------------------

TBytes Encoding::GetBytes(std::string_view text) const { return TBytes(text.begin(), text.end()); }

int Encoding::GetBytesTo(std::string_view text, int charIndex, int byteIndex, TBytes& bytes,
                         int count) const {
  CheckRange(charIndex, count, text.size());
  CopyInto(text.data() + charIndex, static_cast<size_t>(count), bytes, byteIndex);
  return count;
}

TBytes Encoding::GetBytesWide(std::u16string_view text) const {
  return GetBytes(StringToAnsi(text));
}

int Encoding::GetBytesWideTo(std::u16string_view text, int charIndex, int byteIndex, TBytes& bytes,
                             int count) const {
  CheckRange(charIndex, count, text.size());
  AnsiString ansi = StringToAnsi(text.substr(static_cast<size_t>(charIndex), count));
  return GetBytesTo(ansi, 0, byteIndex, bytes, static_cast<int>(ansi.size()));
}

AnsiString Encoding::GetString(const TBytes& bytes) const {
  return AnsiString(bytes.begin(), bytes.end());
}

AnsiString Encoding::GetStringPart(const TBytes& bytes, int index, int count) const {
  CheckRange(index, count, bytes.size());
  if (count == 0) return AnsiString();
  return AnsiString(reinterpret_cast<const char*>(bytes.data()) + index,
                    static_cast<size_t>(count));
}

String Encoding::GetWideString(const TBytes& bytes) const { return AnsiToString(GetString(bytes)); }

String Encoding::GetWideStringPart(const TBytes& bytes, int index, int count) const {
  return AnsiToString(GetStringPart(bytes, index, count));
}

// An ANSI character of this platform is UTF-8: up to three bytes per UTF-16 code unit.
int Encoding::GetMaxByteCount(int charCount) const { return MaxBytes(charCount, 3); }

// --- UnicodeEncoding: UTF-16 little-endian ----------------------------------------------------

TBytes UnicodeEncoding::GetBytes(std::string_view text) const {
  return GetBytesWide(AnsiToString(text));
}

int UnicodeEncoding::GetBytesTo(std::string_view text, int charIndex, int byteIndex, TBytes& bytes,
                                int count) const {
  return GetBytesWideTo(AnsiToString(text), charIndex, byteIndex, bytes, count);
}

TBytes UnicodeEncoding::GetBytesWide(std::u16string_view text) const {
  TBytes bytes(text.size() * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<uint8_t>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
  }
  return bytes;
}

int UnicodeEncoding::GetBytesWideTo(std::u16string_view text, int charIndex, int byteIndex,
                                    TBytes& bytes, int count) const {
  CheckRange(charIndex, count, text.size());
  int byteCount = MaxBytes(count, 2);
  CheckRange(byteIndex, byteCount, bytes.size());
  for (int i = 0; i < count; ++i) {
    char16_t c = text[static_cast<size_t>(charIndex + i)];
    bytes[static_cast<size_t>(byteIndex + 2 * i)] = static_cast<uint8_t>(c & 0xFF);
    bytes[static_cast<size_t>(byteIndex + 2 * i + 1)] = static_cast<uint8_t>(c >> 8);
  }
  return byteCount;
}

AnsiString UnicodeEncoding::GetString(const TBytes& bytes) const {
  return StringToAnsi(GetWideString(bytes));
}

AnsiString UnicodeEncoding::GetStringPart(const TBytes& bytes, int index, int count) const {
  return StringToAnsi(GetWideStringPart(bytes, index, count));
}

String UnicodeEncoding::GetWideString(const TBytes& bytes) const {
  return GetWideStringPart(bytes, 0, static_cast<int>(bytes.size()));
}

// count bytes make count / 2 characters; an odd last byte has no character.
String UnicodeEncoding::GetWideStringPart(const TBytes& bytes, int index, int count) const {
  CheckRange(index, count, bytes.size());
  String text(static_cast<size_t>(count / 2), u'\0');
  const uint8_t* p = bytes.data() + index;
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
  return text;
}

int UnicodeEncoding::GetMaxByteCount(int charCount) const { return MaxBytes(charCount, 2); }

// --- UTF8Encoding ------------------------------------------------------------------------------

// The ANSI code page is UTF-8, so the text's bytes are already its UTF-8 form.
TBytes UTF8Encoding::GetBytes(std::string_view text) const {
  return TBytes(text.begin(), text.end());
}

int UTF8Encoding::GetBytesTo(std::string_view, int, int, TBytes&, int) const {
  RTL_ASSERT(false, u"not implemented");
  return 0;
}

TBytes UTF8Encoding::GetBytesWide(std::u16string_view text) const {
  return GetBytes(UTF8Encode(text));
}

int UTF8Encoding::GetBytesWideTo(std::u16string_view, int, int, TBytes&, int) const {
  RTL_ASSERT(false, u"not implemented");
  return 0;
}

AnsiString UTF8Encoding::GetString(const TBytes& bytes) const {
  return Utf8ToAnsi(bytes.data(), bytes.size());
}

AnsiString UTF8Encoding::GetStringPart(const TBytes& bytes, int index, int count) const {
  CheckRange(index, count, bytes.size());
  return Utf8ToAnsi(bytes.data() + index, static_cast<size_t>(count));
}

String UTF8Encoding::GetWideString(const TBytes& bytes) const {
  return UTF8ToString(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

String UTF8Encoding::GetWideStringPart(const TBytes& bytes, int index, int count) const {
  CheckRange(index, count, bytes.size());
  return UTF8ToString(std::string_view(reinterpret_cast<const char*>(bytes.data()) + index, count));
}

int UTF8Encoding::GetMaxByteCount(int charCount) const { return MaxBytes(charCount, 3); }

// --- Utf8FromWide -------------------------------------------------------------------------------

int Utf8FromWide(char* destination, int size, const char16_t* text, int charCount) {
  size_t length = 0;
  if (text != nullptr) {
    if (charCount < 0) {
      while (text[length] != 0) ++length;
    } else {
      length = static_cast<size_t>(charCount);
    }
  }
  AnsiString utf8 = UTF8Encode(std::u16string_view(text != nullptr ? text : u"", length));
  if (destination == nullptr) return static_cast<int>(utf8.size());
  if (size <= 0) return 0;

  size_t room = static_cast<size_t>(size);
  if (utf8.size() < room) {
    std::memcpy(destination, utf8.data(), utf8.size());
    destination[utf8.size()] = 0;
    return static_cast<int>(utf8.size()) + 1;
  }
  if (utf8.size() == room && utf8.back() == 0) {
    std::memcpy(destination, utf8.data(), room);
    return size;
  }
  // No room for a terminator: keep the whole characters that fit before it. Stepping back over
  // continuation bytes never cuts a multi-byte sequence.
  size_t keep = room - 1;
  while (keep > 0 && (static_cast<unsigned char>(utf8[keep]) & 0xC0) == 0x80) --keep;
  std::memcpy(destination, utf8.data(), keep);
  destination[keep] = 0;
  return static_cast<int>(keep) + 1;
}
