// TBcd: the 34-byte binary-coded decimal that decimal columns are held in, exact to 64 digits.
//
// Layout: Precision is the number of digits held; SignSpecialPlaces holds the sign in bit 0x80
// and the number of decimal places (digits after the point) in its low 6 bits; Fraction holds the
// digits as packed nibbles, most significant first (the high nibble of Fraction[0] is the first
// digit). A record with Precision 0 is zero.
//
// Rounding: where a decimal result loses digits (NormalizeBcd, CurrToBCD, too many digits in a
// text) it rounds half away from zero, as decimal arithmetic does; where the result is an integer
// or a currency (BcdToInt64, BCDToCurr) it rounds half to even, as every other conversion to
// those types does.
#pragma once

#include <cstdint>

#include "platform/rtl/Currency.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

struct TBcd {
  uint8_t Precision;
  uint8_t SignSpecialPlaces;
  uint8_t Fraction[32];
};
static_assert(sizeof(TBcd) == 34, "TBcd is stored in record buffers as 34 bytes");

constexpr int MaxFMTBcdDigits = 64;
constexpr int MaxFMTBcdPlaces = 63;  // the places field has 6 bits
constexpr uint8_t BcdSignBit = 0x80;
constexpr uint8_t BcdPlacesMask = 0x3F;

// Zero with no digits.
constexpr TBcd NullBcd = {0, 0, {}};

// "BCD overflow" and "%s is not a valid BCD value".
DECLARE_EXCEPTION(EBcdException, Exception)
DECLARE_EXCEPTION(EBcdOverflowException, EBcdException)

double BcdToDouble(const TBcd& bcd);
// The double's 15 significant digits, as the double prints. NaN and infinities raise
// EBcdException.
TBcd DoubleToBcd(double value);
TBcd IntegerToBcd(int32_t value);
TBcd Int64ToBcd(int64_t value);
// Rounds half to even unless truncate is set; EBcdOverflowException beyond the 64-bit range.
int64_t BcdToInt64(const TBcd& bcd, bool truncate = false);

// The currency with `decimals` places in `precision` digits, the format as NormalizeBcd takes
// it; false when it does not fit or the format is impossible.
bool CurrToBCD(Currency c, TBcd& bcd, int precision = 32, int decimals = 4);
// False when the value is beyond the currency range (c is then unchanged).
bool BCDToCurr(const TBcd& bcd, Currency& c);

// -1, 0 or 1 by value; zero equals negative zero and trailing zeros do not matter.
int BcdCompare(const TBcd& a, const TBcd& b);
// The number of digits before the decimal point, leading zeros not counted (0 for 0.5).
int BcdPrecision(const TBcd& bcd);
// The number of decimal places.
int BcdScale(const TBcd& bcd);
bool IsBcdNegative(const TBcd& bcd);
// The value rounded to `places` decimals and laid out with exactly `precision` digits and
// `places` places; false when its integer part needs more than precision - places digits or the
// format is impossible (precision below 1, places outside 0..min(precision, 63)). A precision
// above 64 (a server's DECIMAL(65)) is taken as 64, the most the record holds.
bool NormalizeBcd(const TBcd& in, TBcd& out, int precision, int places);

// The value with the settings' decimal separator, without leading zeros or trailing decimal
// zeros: "12.5", "-0.001", "0".
String BcdToStr(const TBcd& bcd, const TFormatSettings& settings = FormatSettings());
// Decimal text with optional blanks around it, a sign, the settings' decimal separator and an
// exponent. StrToBcd raises EBcdException "%s is not a valid BCD value" for bad text and
// EBcdOverflowException "BCD overflow" for more than 64 integer digits.
TBcd StrToBcd(const String& s, const TFormatSettings& settings = FormatSettings());
bool TryStrToBcd(const String& s, TBcd& bcd, const TFormatSettings& settings = FormatSettings());
