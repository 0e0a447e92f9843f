// The record store's view of MySQL columns: which data-type code a column surfaces as, how much
// room one value needs in a binary row buffer, and database-qualified names.
#pragma once

#include <cstdint>

#include "Common/MemData_Types.h"
#include "platform/rtl/Types.h"

class TParamDesc;

// The data-type code of a MySQL column. Fixed is set for STRING (254) columns only. An unknown
// MySQL type fails an assertion.
bool MySQLTypeToDataType(uint32_t mysqlType, uint32_t length, uint32_t decimals, bool& fixed,
                         TDataTypeCode& dataType, uint32_t charsetNr, bool enableFmtBCD,
                         bool enableBCD, bool useUnicode, bool binaryAsString,
                         bool optimizedBigInt, bool enableBoolean, bool isUnsigned,
                         bool isBinary);

// Types whose values the record store keeps with a length of their own.
bool IsVarLengthDataType(TDataTypeCode dataType);

// Grows size by the room one value of the field needs in a binary row buffer; the field's MySQL
// column type decides it for blobs. Any other type fails an assertion.
void GetBindBufferSize(int32_t& size, const TFieldDesc& field, uint32_t mysqlType);

bool IsBlobParamType(const TParamDesc& param);

// The name, quoted if it needs quoting, after the database unless that is empty or the current
// one.
String MySQLQualifiedName(const String& database, const String& name,
                          const String& currentDatabase);
