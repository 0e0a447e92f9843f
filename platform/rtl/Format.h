// Format: printf-like formatting with the toolchain's specifiers.
//
//   "%" [index ":"] ["-"] [width] ["." precision] type
//
// Types: d (decimal; the precision pads digits with zeros), u (unsigned), x (upper-case hex),
// e (scientific, precision = significant digits, default 15), f (fixed, precision = decimals,
// default 2), g (general, default 15 digits), n (fixed with thousand separators, default 2
// decimals), m (money, default CurrencyDecimals), p (pointer), s (text; the precision truncates).
// "*" takes a width or precision from the next argument, "%%" is a percent sign. Width pads with
// blanks on the left, or on the right after "-". Floats use the settings' separators. A bad
// specifier or an argument of the wrong kind raises EConvertError
// "Format '%s' invalid or incompatible with argument"; too few arguments raise
// "No argument for format '%s'".
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

// One argument of Format. It refers to text it is given rather than copying it, so it lives no
// longer than the expression that makes it (as a braced argument list does).
class TVarRec {
 public:
  enum TKind {
    vkInt,
    vkUInt,
    vkFloat,
    vkBool,
    vkChar,
    vkString,
    vkWideChars,
    vkAnsiString,
    vkAnsiChars,
    vkPointer
  };

  TVarRec(int32_t v) : FKind(vkInt), FInt(v), FIs64(false) {}
  TVarRec(uint32_t v) : FKind(vkUInt), FUInt(v), FIs64(false) {}
  TVarRec(int64_t v) : FKind(vkInt), FInt(v), FIs64(true) {}
  TVarRec(uint64_t v) : FKind(vkUInt), FUInt(v), FIs64(true) {}
  TVarRec(long long v) : TVarRec(static_cast<int64_t>(v)) {}
  TVarRec(unsigned long long v) : TVarRec(static_cast<uint64_t>(v)) {}
  TVarRec(double v) : FKind(vkFloat), FFloat(v) {}
  TVarRec(long double v) : FKind(vkFloat), FFloat(v) {}
  TVarRec(bool v) : FKind(vkBool), FInt(v) {}
  TVarRec(char16_t v) : FKind(vkChar), FInt(v) {}
  // An 8-bit character is a UTF-8 code unit: ASCII stays, a lone byte above it cannot stand for
  // a character and becomes U+FFFD.
  TVarRec(char v) : FKind(vkChar), FInt(static_cast<unsigned char>(v) < 0x80 ? v : 0xFFFD) {}
  TVarRec(const String& v) : FKind(vkString), FString(&v) {}
  TVarRec(const char16_t* v) : FKind(vkWideChars), FWideChars(v) {}
  TVarRec(const AnsiString& v) : FKind(vkAnsiString), FAnsiString(&v) {}
  TVarRec(const char* v) : FKind(vkAnsiChars), FAnsiChars(v) {}
  TVarRec(const void* v) : FKind(vkPointer), FPointer(v) {}

  TKind Kind() const { return FKind; }
  bool Is64() const { return FIs64; }  // for integers: given as a 64-bit value
  int64_t AsInt() const { return FInt; }
  uint64_t AsUInt() const { return FUInt; }
  long double AsFloat() const { return FFloat; }
  const String& AsString() const { return *FString; }
  const char16_t* AsWideChars() const { return FWideChars; }
  const AnsiString& AsAnsiString() const { return *FAnsiString; }
  const char* AsAnsiChars() const { return FAnsiChars; }
  const void* AsPointer() const { return FPointer; }

 private:
  TKind FKind;
  union {
    int64_t FInt;
    uint64_t FUInt;
    long double FFloat;
    const String* FString;
    const char16_t* FWideChars;
    const AnsiString* FAnsiString;
    const char* FAnsiChars;
    const void* FPointer;
  };
  bool FIs64 = true;
};

String Format(const String& format, std::initializer_list<TVarRec> args,
              const TFormatSettings& settings = FormatSettings());
// The same over an argument array built at run time.
String Format(const String& format, const TVarRec* args, size_t count,
              const TFormatSettings& settings = FormatSettings());
