// Rounding the way the toolchain rounds: Round to the nearest integer with halves to the even
// one, Trunc toward zero, MulDiv with halves away from zero.
#pragma once

#include <cstdint>

// ERangeError "Range check error" when the value is NaN, infinite or beyond the 64-bit range.
int64_t Round(double v);
int64_t Trunc(double v);
// The fraction and the integer part, both with the sign of v.
double Frac(double v);
double Int(double v);
// a * b / c computed in 64 bits and rounded half away from zero; -1 when c is 0 or the result
// does not fit 32 bits.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);
