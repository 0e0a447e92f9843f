// The text rules of the enhanced edit, free of any window: how a text classifies as a number,
// how it reads as one, and how a name is written in mixed case. Separators are the process's
// locale ones, read at the moment of use.
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"

namespace AdvEdit {

// 0 an integer (digits and "-"), 1 a number (digits, ",", "-", "."), 5 hexadecimal digits,
// 2 anything else, and 2 as well for more than one "-" or more than one decimal separator.
int NumberKind(const String& s);
String StripThousandSeparators(const String& s);
// The text without thousand separators read with the locale's decimal separator; 0 for a text
// that does not read as a finite number.
double ParseFloatText(const String& s);
// The hexadecimal digits summed from the right, modulo 2^32; other characters count as 0.
uint32_t HexToInt(const String& s);
// Capitals after blanks and punctuation, "Mc"/"Mac" prefixes and a trailing " I"/" II".
String MixedCaseText(const String& s);

}  // namespace AdvEdit
