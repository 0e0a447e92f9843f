// Small helpers of the whole data-access library: memory and pointers, wide texts, locale-aware
// comparisons, a class test, text wrappers, and the process-wide hooks through which the library
// compresses and decompresses buffers with zlib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/ZLib.h"

class Variant;

// Whether the system is a Windows 9x platform. It never is here; the UTF-16 comparisons still
// assert on it, as they do wherever the flag can be set.
extern bool IsWin9x;

// ---------------------------------------------------------------------------------------------
// Memory and pointers
// ---------------------------------------------------------------------------------------------

// A pointer kept in a record's bytes (blob, complex and cached-update slots), which need not be
// aligned for it.
template <typename T>
T* LoadPtr(const uint8_t* slot) {
  T* p;
  std::memcpy(&p, slot, sizeof p);
  return p;
}
template <typename T>
void StorePtr(uint8_t* slot, T* p) {
  std::memcpy(slot, &p, sizeof p);
}

// -1, 0 or 1 as the value is negative, zero or positive: comparisons answer in these.
inline int Sign(int value) { return (value > 0) - (value < 0); }
// Whether a variant holds an array of bytes.
bool IsByteArray(const Variant& value);

// Copies count bytes; the areas may overlap. A count of 0 or less copies nothing.
void CopyMemory(const void* source, void* destination, std::ptrdiff_t count);
// Copies count bytes of a text's characters (the terminating zero may be included; asking for
// more than that is an assertion).
void CopyFromString(const AnsiString& source, void* destination, std::ptrdiff_t count);
void CopyFromWideString(const String& source, void* destination, std::ptrdiff_t count);
void FillMemory(void* buffer, std::ptrdiff_t count, uint8_t value);

inline void* PtrOffset(void* pointer, std::ptrdiff_t offset) {
  return static_cast<uint8_t*>(pointer) + offset;
}
inline const void* PtrOffset(const void* pointer, std::ptrdiff_t offset) {
  return static_cast<const uint8_t*>(pointer) + offset;
}
// Pointers are 64-bit here, so a 64-bit offset needs no carry of its own.
inline void* PtrOffset64(void* pointer, int64_t offset) {
  return static_cast<uint8_t*>(pointer) + offset;
}
// a - b in bytes.
inline std::ptrdiff_t PtrDiff(const void* a, const void* b) {
  return static_cast<const uint8_t*>(a) - static_cast<const uint8_t*>(b);
}
// -1, 0 or 1 by address.
int PtrCompare(const void* a, const void* b);

// An object reference as a raw address (the record store keeps objects so) and back. Read it back
// with the same type it was stored with.
template <class T>
void* PtrFromObject(T* object) {
  return const_cast<void*>(static_cast<const void*>(object));
}
template <class T>
T* ObjectFromPtr(void* pointer) {
  return static_cast<T*>(pointer);
}

// Callers mark with these where a buffer must stay in place; memory never moves here, so they
// have no effect.
inline void* NoOpHook(void* pointer) { return pointer; }
inline void FreeHandle(void*) {}

// ---------------------------------------------------------------------------------------------
// Wide texts
// ---------------------------------------------------------------------------------------------

// Whether two texts hold the same units, by one byte comparison: the string's own equality
// compares a unit at a time, which on the hot paths (names and statement texts checked at every
// post) costs more than everything around it.
inline bool SameUnits(const String& a, const String& b) {
  return a.size() == b.size() &&
         std::memcmp(a.data(), b.data(), a.size() * sizeof(String::value_type)) == 0;
}

// Characters before the terminating zero (0 for a null pointer).
int WideStrLen(const char16_t* text);
// Copies a zero-terminated text with its terminator.
void CopyWideStr(const char16_t* source, char16_t* destination);
// Copies at most maxChars characters, stopping at a zero, then writes a terminator (so the
// destination needs maxChars + 1 characters).
void CopyWideChars(const char16_t* source, char16_t* destination, int maxChars);
// From the end of the text (length characters, or up to the terminator for -1), overwrites every
// space or zero character with a zero. Returns the zero-based index of the last character kept,
// -1 when none is.
int TrimTrailingBlanks(char* text, int length);
int TrimTrailingBlanksW(char16_t* text, int length);

// ---------------------------------------------------------------------------------------------
// Comparisons by the user's locale (string sort), results -1, 0, 1
// ---------------------------------------------------------------------------------------------
// The counted-text forms AnsiCompareStrA/AnsiCompareTextA of two string views come from
// TextCompare.h; the overloads below take a pointer and a length.

// Zero-terminated ANSI texts; a null pointer is an empty text.
int StrCompLocale(const char* a, const char* b);
int StrICompLocale(const char* a, const char* b);  // ignoring case
int AnsiCompareStrA(const char* a, int lengthA, const char* b, int lengthB);
int AnsiCompareTextA(const char* a, int lengthA, const char* b, int lengthB);
// UTF-16 texts; they fail the assertion "Unicode support on Win9x" when IsWin9x is set.
int AnsiCompareStrW(std::u16string_view a, std::u16string_view b);
int AnsiCompareTextW(std::u16string_view a, std::u16string_view b);
// The first maxLength characters (fewer when a text ends before) of two zero-terminated texts.
int WideStrLComp(const char16_t* a, const char16_t* b, int maxLength);
int WideStrLIComp(const char16_t* a, const char16_t* b, int maxLength);

// ---------------------------------------------------------------------------------------------
// Dates
// ---------------------------------------------------------------------------------------------
// TryEncodeDate (false for year 0 or above 9999, a month outside 1 to 12, day 0 or beyond the
// month's length, leap years counted), TryEncodeTime (hour up to 23, minute and second up to 59,
// millisecond up to 999) and TimeStampToDateTime come from DateTime.h, whose rules are these.

// Both parts; the time fraction is added to a non-negative date and subtracted from a negative
// one (a negative date-time still has its time of day as the fraction). False when either part
// is invalid.
bool TryEncodeDateTime(uint16_t year, uint16_t month, uint16_t day, uint16_t hour,
                       uint16_t minute, uint16_t second, uint16_t millisecond, TDateTime& value);
// Raises EConvertError "'%d.%d' is not a valid timestamp" (day, milliseconds) for negative
// milliseconds or a day number below 1.
void ValidateTimeStamp(const TTimeStamp& timeStamp);

// ---------------------------------------------------------------------------------------------
// Variants
// ---------------------------------------------------------------------------------------------

// Equality as the record store and the components test it:
// 1. a wide string against a wide or 8-bit string: equal when their UTF-16 texts are identical;
// 2. two Nulls are equal, a Null and anything else are not;
// 3. an empty text equals only another empty text;
// 4. when neither is a byte array, the Variant equality decides (it may raise for values that do
//    not convert, as it does everywhere);
// 5. a byte array equals only a byte array of the same length and bytes; against any other value
//    (which holds no array) it is not equal.
bool VarEqual(const Variant& a, const Variant& b);
// The value as text; Null gives an empty text.
String VarToString(const Variant& value);

// ---------------------------------------------------------------------------------------------
// Class test and text wrappers
// ---------------------------------------------------------------------------------------------

// Whether the object is a C or derives from it. (Class identities do not differ between modules
// here, so the plain is-a test serves.) False for a null object.
template <class C, class T>
bool IsClassCompat(const T* object) {
  return dynamic_cast<const C*>(object) != nullptr;
}

// The locale's full case mapping and caseless comparison.
String LowerCaseStr(std::u16string_view text);
String UpperCaseStr(std::u16string_view text);
int CompareTextStr(std::u16string_view a, std::u16string_view b);
// The text between quote characters, each inner quote doubled.
String QuoteStr(std::u16string_view text, char16_t quote = u'"');
// A text enclosed in a pair of single or double quotes loses them and its doubled inner quotes
// become single; any other text comes back unchanged.
String DequoteStr(std::u16string_view text);
// Format with the process's format settings.
String FormatStr(const String& format, std::initializer_list<TVarRec> args);

namespace MemUtils {
// Equal by the locale, ignoring case. (The platform's own SameText folds only A-Z.)
bool SameText(std::u16string_view a, std::u16string_view b);
}  // namespace MemUtils

// ---------------------------------------------------------------------------------------------
// Compression hooks
// ---------------------------------------------------------------------------------------------

// Compresses (or decompresses) sourceSize bytes at source into destination, which has room for
// destinationSize bytes on entry and holds that many produced bytes on return; returns the zlib
// status. Raise the zlib error classes on failure.
using TCompressProc = int (*)(void* destination, uint32_t& destinationSize, const void* source,
                              uint32_t sourceSize);
using TUncompressProc = TCompressProc;

// Process-wide hooks, installed with ZCompress and ZUncompress; any code may replace them.
extern TCompressProc CompressProc;
extern TUncompressProc UncompressProc;

// Raises "Compressor function is not linked" or "Uncompressor function is not linked" (Exception)
// when a hook is missing.
void CheckCompressorLinked();
// Call the hooks; a missing hook fails the assertion with the same texts.
int DoCompress(void* destination, uint32_t& destinationSize, const void* source,
               uint32_t sourceSize);
int DoUncompress(void* destination, uint32_t& destinationSize, const void* source,
                 uint32_t sourceSize);
// Deflate expands no byte of its stream into more than 1032: a size claimed beside a stream is
// believed only up to that many times the stream's length.
constexpr int64_t MaxInflateRatio = 1032;

// One-call zlib streams at the default level. A destination too small for the whole result raises
// EZlibError "ZLib error: target buffer may be too small"; a zlib failure raises
// ECompressionError or EDecompressionError "Error". Nothing is written past destinationSize.
int ZCompress(void* destination, uint32_t& destinationSize, const void* source,
              uint32_t sourceSize);
int ZUncompress(void* destination, uint32_t& destinationSize, const void* source,
                uint32_t sourceSize);
