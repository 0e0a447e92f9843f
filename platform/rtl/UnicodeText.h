// Conversions between UTF-16 String and 8-bit text. The ANSI code page is UTF-8 here, so the ANSI
// conversions are the UTF-8 ones. Invalid input never fails: a malformed UTF-8 sequence or a lone
// surrogate becomes U+FFFD.
#pragma once

#include <string_view>

#include "platform/rtl/Types.h"

String UTF8ToString(std::string_view utf8);
AnsiString UTF8Encode(std::u16string_view text);

inline String AnsiToString(std::string_view ansi) { return UTF8ToString(ansi); }
inline AnsiString StringToAnsi(std::u16string_view text) { return UTF8Encode(text); }

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsValidUTF8(std::string_view utf8);

// Shorthand for tests and messages: u8 literals and plain literals to String.
inline String S(std::string_view utf8) { return UTF8ToString(utf8); }

// The second unit of a surrogate pair: a caret or a cut never stops before one.
inline bool IsLowSurrogate(char16_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }
