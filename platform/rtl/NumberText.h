// Numbers to text and back. Integers use plain decimal digits; floating-point text follows the
// given settings' decimal and thousand separators. Bad text raises EConvertError with
// "'%s' is not a valid integer value" or "'%s' is not a valid floating point value".
#pragma once

#include <cstdint>

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

String IntToStr(int64_t v);
String UIntToStr(uint64_t v);
// Upper-case hexadecimal, at least `digits` digits. A negative 32-bit value shows its 32-bit two's
// complement ("FFFFFFFF"), a negative 64-bit value its 64-bit one.
String IntToHex(uint64_t v, int digits);
String IntToHex(int64_t v, int digits);
String IntToHex(uint32_t v, int digits);
String IntToHex(int32_t v, int digits);

// Decimal text with an optional sign, or hexadecimal after "$", "0x", "0X", "x" or "X" (which may
// fill every bit, so "$FFFFFFFF" is -1). Leading spaces are allowed, nothing may follow the digits.
int32_t StrToInt(const String& s);
int64_t StrToInt64(const String& s);
bool TryStrToInt(const String& s, int32_t& v);
bool TryStrToInt64(const String& s, int64_t& v);
int32_t StrToIntDef(const String& s, int32_t def);
int64_t StrToInt64Def(const String& s, int64_t def);

// The number at the start of a text, as the runtime's Val reads it: leading blanks, a sign,
// decimal digits and, for a float, a "." fraction and an exponent (the decimal point is always
// "."). code is 0 when the whole text was read, else the 1-based position where reading stopped.
// What was read up to there is the value; a number outside the type's range (an integer beyond
// 32 bits, a float beyond the double's range) is 0 with code at the number's first character.
void Val(const String& s, double& value, int& code);
void Val(const String& s, int32_t& value, int& code);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// ffGeneral with 15 significant digits: "1234.5", "1E20", "1.5E-7".
String FloatToStr(double v, const TFormatSettings& settings = FormatSettings());
// `precision` is the number of significant digits (1 to 18). `digits` is, for ffGeneral and
// ffExponent, the least number of exponent digits (0 to 4) and, for ffFixed, ffNumber and
// ffCurrency, the number of decimals (0 to 18). Decimal digits round half away from zero.
// NaN and the infinities read "NAN", "INF" and "-INF".
String FloatToStrF(double v, TFloatFormat format, int precision, int digits,
                   const TFormatSettings& settings = FormatSettings());
// A picture format: "0" and "#" digit places, "." the decimal separator, "," thousand grouping,
// "E+"/"E-"/"e+"/"e-" scientific notation, quoted literal text, and up to three sections
// "positive;negative;zero". An empty format gives FloatToStr's text.
String FormatFloat(const String& format, double v,
                   const TFormatSettings& settings = FormatSettings());

// Decimal text with optional blanks around it, a sign, the settings' decimal separator and an
// exponent ("-1,5E3" under a comma-decimal locale). No thousand separators.
double StrToFloat(const String& s, const TFormatSettings& settings = FormatSettings());
bool TryStrToFloat(const String& s, double& v, const TFormatSettings& settings = FormatSettings());
double StrToFloatDef(const String& s, double def,
                     const TFormatSettings& settings = FormatSettings());
