// Text comparison and case mapping with the toolchain's split: the plain functions are ordinal and
// fold only A-Z; the Ansi* functions follow the user's locale (collation and full Unicode case
// mapping, so Cyrillic compares and folds correctly). Results of the Compare functions are <0, 0, >0.
#pragma once

#include <string>
#include <string_view>

#include "platform/rtl/Types.h"

// Ordinal, by UTF-16 code unit.
int CompareStr(std::u16string_view a, std::u16string_view b);
// Ordinal with A-Z folded to a-z, nothing else folded.
int CompareText(std::u16string_view a, std::u16string_view b);
bool SameStr(std::u16string_view a, std::u16string_view b);
bool SameText(std::u16string_view a, std::u16string_view b);
String UpperCase(std::u16string_view s);  // A-Z only
String LowerCase(std::u16string_view s);  // A-Z only

// Locale collation ("string sort": punctuation and spaces are significant).
int AnsiCompareStr(std::u16string_view a, std::u16string_view b);
// Locale collation ignoring case.
int AnsiCompareText(std::u16string_view a, std::u16string_view b);
bool AnsiSameStr(std::u16string_view a, std::u16string_view b);
bool AnsiSameText(std::u16string_view a, std::u16string_view b);
// Locale collation ignoring case, in a named locale (an ICU locale name; empty for the root).
int AnsiCompareTextIn(std::u16string_view a, std::u16string_view b, const std::string& locale);
// Full Unicode case mapping.
String AnsiUpperCase(std::u16string_view s);
String AnsiLowerCase(std::u16string_view s);

// 8-bit (UTF-8) forms of the locale functions.
int AnsiCompareStrA(std::string_view a, std::string_view b);
int AnsiCompareTextA(std::string_view a, std::string_view b);
AnsiString AnsiUpperCaseA(std::string_view s);
AnsiString AnsiLowerCaseA(std::string_view s);

// The locale the Ansi* functions collate by (an ICU locale name such as "mk_MK"; empty for the
// root collation). Starts as the process's locale from the environment, with C/POSIX meaning root.
// Tests set it; call it before other threads compare.
void SetCollationLocale(const char* name);

// Whether ch is the accelerator of a caption or menu text: the character after a single "&"
// ("&&" is a plain ampersand), case ignored.
bool IsAccel(char16_t ch, const String& caption);
