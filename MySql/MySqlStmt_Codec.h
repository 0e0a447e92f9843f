// The byte formats of server-side prepared statements as pure functions: the reply to a prepare
// and the execute packet with its parameters in the binary protocol. Nothing here touches a
// session; MySqlStmt.h drives these over the wire.
//
// Values travel typed: nothing is quoted or escaped, so text arrives exactly as it was given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Common/MemData_Types.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

class TParamDesc;

// A parameter type of the execute packet: the MySQL column type in the low byte, 0x8000 for an
// unsigned value.
using TMySqlParamType = uint16_t;
using TMySqlParamTypes = std::vector<TMySqlParamType>;
constexpr TMySqlParamType kParamUnsigned = 0x8000;

namespace mysqlstmt {

// The first packet of the reply to a prepare.
struct TPrepareOk {
  uint32_t StatementId = 0;
  uint16_t FieldCount = 0;
  uint16_t ParamCount = 0;
  bool HasExtra = false;  // a value followed the counts (read only for statements with columns)
  uint64_t Extra = 0;
};
// Status byte 0, statement id, field count, parameter count. A packet too short for them, or with
// another status byte, is malformed (EMySqlException 2027).
TPrepareOk DecodePrepareOk(const uint8_t* payload, size_t length);

// The type the parameter is sent as, by its data type: TINY for 8-bit integers and Booleans, SHORT,
// LONG (unsigned for 32-bit unsigned values), LONGLONG, DOUBLE for floats, DATE, TIME, DATETIME
// (also for SQL time stamps), VAR_STRING for decimals and currency (exact as text), text and bytes.
// A data type without a binary form (a variant, an object) fails the assertion "Invalid internal
// field type $%X (%d)".
TMySqlParamType ParamTypeOf(TDataTypeCode dataType);

// Appends the binary form of a non-NULL value of the data type: integers and doubles
// little-endian, dates and times with their length byte, everything else as a length-coded byte
// string (text as UTF-8, byte arrays and blobs as their bytes, decimals as text with a point).
// A date that stands for the zero date (0001-01-01 00:00:00) goes with no bytes, as the server
// sends its zero date.
void AppendParamValue(TBytes& out, TDataTypeCode dataType, const Variant& value);

// The parameters an execution sends, in marker order.
struct TExecuteParam {
  TDataTypeCode DataType = 0;
  bool IsNull = false;
  const Variant* Value = nullptr;  // read only when not NULL
};

// The execute packet after its command byte: statement id, flags 0, iteration count 1, and, when
// there are parameters, the NULL bitmap, the new-parameters flag, the types (only when they differ
// from sentTypes) and the values of the non-NULL parameters. types receives the types of this
// execution; newTypes whether they were written.
TBytes EncodeExecute(uint32_t statementId, const std::vector<TExecuteParam>& params,
                     const TMySqlParamTypes& sentTypes, TMySqlParamTypes& types, bool& newTypes);

// The close packet after its command byte: the statement id.
TBytes EncodeClose(uint32_t statementId);

}  // namespace mysqlstmt
