// How the MySQL record set turns one column value of a row into the record store's form: integers
// and floats from text or binary rows, BIT values, dates and times, and UTF-8 text into UTF-16.
// Pure functions over the value's bytes, so that the fetch loop stays a plain walk over columns.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Common/MemData_Types.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/Types.h"

// The date-time value that stands for a zero date when it is not read as NULL: 0001-01-01.
constexpr TDateTime MyZeroDateValue = -693593.0;

// Stores an integer with the record size of its data type: 16 bits for 2, 3, 9 and 10 (Boolean as
// -1 or 0), 32 bits for 4 and 24, 64 bits for 11. Any other type fails an assertion.
void StoreIntValue(TDataTypeCode dataType, int64_t value, void* dest);

// An optional "-" followed by decimal digits; reading ends at the first other character.
void ReadTextInt(const char* text, size_t length, TDataTypeCode dataType, void* dest);
// A little-endian value of 1, 2, 4 or 8 bytes, sign-extended for the signed types.
void ReadBinaryInt(const uint8_t* data, size_t length, TDataTypeCode dataType, void* dest);
// A BIT value: up to 8 bytes read as one big-endian unsigned number.
void ReadBit(const uint8_t* data, size_t length, TDataTypeCode dataType, void* dest);
// A binary FLOAT (4 bytes) or DOUBLE (8 bytes).
double ReadBinaryFloat(const uint8_t* data, size_t length);
// A float in text form: sign, digits with at most one point, optional exponent. Raises
// EConvertError "'%s' is not a valid floating point value" (or "... integer value" for a bad
// exponent).
double ParseFloatText(const char* text, size_t length);

// A date or time of a text row (also a NEWDATE of a binary row). MySQL type 7 TIMESTAMP, 10 DATE,
// 11 TIME, 12 DATETIME, 14 NEWDATE; fieldLength is the column's display length, which decides the
// layout of a TIMESTAMP. False for a zero or invalid date. A TIME without a ":" among its first
// five characters raises EDatabaseError "Wrong time format. Field %s, value %s".
bool ParseDateTimeText(uint32_t mysqlType, uint32_t fieldLength, const char* text, size_t length,
                       const String& fieldName, TDateTime& value);
// A date or time of the own-protocol binary row, by its byte length. A TIME of no bytes is the
// time 00:00:00.
bool ReadBinaryDateTime(uint32_t mysqlType, const uint8_t* data, size_t length, TDateTime& value);

// Decodes count bytes of UTF-8 into UTF-16 units, at most capacityBytes of them (in bytes). With
// terminate a zero unit follows (replacing the last unit when the destination is full). Returns the
// bytes written, the terminator included. A 4-byte sequence becomes a surrogate pair. Malformed
// input raises Exception "malformed trail byte or out of range char", "malformed trail byte" or
// "incomplete multibyte char".
size_t DecodeUtf8(char16_t* dest, size_t capacityBytes, bool terminate, const uint8_t* source,
                  size_t count);

// An exact decimal text (a DECIMAL column's value, always with "." whatever the locale) as a
// currency value in units of 1/10 000, rounded half to even at the fourth decimal. Raises
// EConvertError "'%s' is not a valid floating point value" for bad text.
int64_t ReadCurrencyText(const char* text, size_t length);
// The same text as a BCD record with the column's precision and scale.
TBcd ReadFmtBcdText(const char* text, size_t length, int precision, int scale);
