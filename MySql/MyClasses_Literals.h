// How a parameter value becomes an SQL literal in the statement text the MySQL provider sends:
// NULL, numbers with a point, dates and times in the server's formats, and strings, byte arrays
// and blobs quoted and escaped for the server's backslash mode.
#pragma once

#include <cstdint>

#include "Common/MemData_Types.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

class AnsiStringBuilder;

// 0001-01-01 00:00:00, which MySQL's zero date stands for.
constexpr TDateTime MyZeroDate = -693593.0;

// Appends the literal of the value. Backslash escapes: whether the server takes a backslash in a
// string literal as an escape (it does unless the session's sql_mode has NO_BACKSLASH_ESCAPES).
// Compress blobs: blob values go in their compressed form. Use unicode: text goes as UTF-8.
void MySQLValueToSQL(AnsiStringBuilder& sb, TDataTypeCode dataType, const Variant& value,
                     const AnsiString& charsetName, int serverMajor, bool backslashEscapes,
                     bool compressBlobs, bool useUnicode, bool isNull);

// The same appended to a text, the form the command writes its statement in.
void AppendMySQLLiteral(AnsiString& out, TDataTypeCode dataType, const Variant& value,
                        const AnsiString& charsetName, bool backslashEscapes, bool compressBlobs,
                        bool isNull);

// The literal with backslash escapes off and no character set.
AnsiString MySQLValueToText(TDataTypeCode dataType, const Variant& value, bool isNull,
                            int serverMajor, bool compressBlobs, bool useUnicode);

// The quoted, escaped literal of bytes.
AnsiString MySQLQuoteBytes(std::string_view bytes, bool backslashEscapes);
