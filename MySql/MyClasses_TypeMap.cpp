#include "MySql/MyClasses_TypeMap.h"

#include "Common/LxAccess_Command.h"
#include "Common/MemData_Blob.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"

namespace {

constexpr uint32_t BinaryCharsetNr = 63;

// MySQL column types, as the server numbers them.
enum : uint32_t {
  MY_DECIMAL = 0, MY_TINY = 1, MY_SHORT = 2, MY_LONG = 3, MY_FLOAT = 4, MY_DOUBLE = 5,
  MY_NULL = 6, MY_TIMESTAMP = 7, MY_LONGLONG = 8, MY_INT24 = 9, MY_DATE = 10, MY_TIME = 11,
  MY_DATETIME = 12, MY_YEAR = 13, MY_NEWDATE = 14, MY_VARCHAR = 15, MY_BIT = 16,
  MY_NEWDECIMAL = 246, MY_ENUM = 247, MY_SET = 248, MY_TINY_BLOB = 249, MY_MEDIUM_BLOB = 250,
  MY_LONG_BLOB = 251, MY_BLOB = 252, MY_VAR_STRING = 253, MY_STRING = 254, MY_GEOMETRY = 255
};

}  // namespace

bool MySQLTypeToDataType(uint32_t mysqlType, uint32_t length, uint32_t /*decimals*/, bool& fixed,
                         TDataTypeCode& dataType, uint32_t charsetNr, bool enableFmtBCD,
                         bool enableBCD, bool useUnicode, bool binaryAsString,
                         bool optimizedBigInt, bool enableBoolean, bool isUnsigned,
                         bool isBinary) {
  fixed = false;
  const bool binaryBytes = isBinary && charsetNr == BinaryCharsetNr && !binaryAsString;
  switch (mysqlType) {
    case MY_DECIMAL:
    case MY_NEWDECIMAL:
      dataType = enableFmtBCD ? dtFMTBCD : enableBCD ? dtBCD : dtFloat;
      break;
    case MY_TINY:
      dataType = (length == 1 && enableBoolean) ? dtBoolean : isUnsigned ? dtWord : dtInt8;
      break;
    case MY_SHORT: dataType = isUnsigned ? dtWord : dtSmallint; break;
    case MY_LONG: dataType = isUnsigned ? dtUInt32 : dtInteger; break;
    case MY_FLOAT:
    case MY_DOUBLE: dataType = dtFloat; break;
    case MY_NULL: dataType = dtString; break;
    case MY_TIMESTAMP:
    case MY_DATETIME: dataType = dtDateTime; break;
    case MY_LONGLONG:
    case MY_BIT: dataType = (optimizedBigInt && length < 12) ? dtInteger : dtLargeint; break;
    case MY_INT24: dataType = dtInteger; break;
    case MY_DATE:
    case MY_NEWDATE: dataType = dtDate; break;
    case MY_TIME: dataType = dtTime; break;
    case MY_YEAR: dataType = dtWord; break;
    case MY_VARCHAR:
    case MY_VAR_STRING: dataType = binaryBytes ? dtVarBytes : dtString; break;
    case MY_ENUM:
    case MY_SET: dataType = dtString; break;
    case MY_STRING:
      dataType = binaryBytes ? dtBytes : dtString;
      fixed = true;
      break;
    case MY_TINY_BLOB:
    case MY_MEDIUM_BLOB:
    case MY_LONG_BLOB:
    case MY_BLOB:
    case MY_GEOMETRY: dataType = isBinary ? dtBlob : dtMemo; break;
    default:
      RTL_ASSERT(false, u"Unknown MySQL datatype (" + IntToStr(mysqlType) + u")");
      return false;
  }
  if (useUnicode) {
    if (dataType == dtString) dataType = dtWideString;
    else if (dataType == dtMemo) dataType = dtWideMemo;
  }
  return true;
}

bool IsVarLengthDataType(TDataTypeCode dataType) {
  switch (dataType) {
    case dtDate: case dtTime: case dtDateTime: case dtBlob: case dtMemo: case dtExtString:
    case dtVarBytes: case dtExtVarBytes: case dtWideString: case dtExtWideString: case dtBCD:
    case dtFMTBCD: case dtWideMemo:
      return true;
    default:
      return false;
  }
}

void GetBindBufferSize(int32_t& size, const TFieldDesc& field, uint32_t mysqlType) {
  int32_t growth = 0;
  switch (field.DataType()) {
    case dtFloat:
    case dtBCD:
    case dtFMTBCD:
      growth = field.Length() + field.Scale() + 9;
      break;
    case dtDate:
    case dtTime:
    case dtDateTime:
      growth = 40;
      break;
    case dtBlob:
    case dtMemo:
    case dtWideMemo:
      if (mysqlType == MY_TINY_BLOB)
        growth = 259;
      else if (mysqlType >= MY_MEDIUM_BLOB)
        growth = static_cast<int32_t>(TLxBlobData::DefaultPieceCapacity) + 4;
      break;
    case dtExtString:
    case dtVarBytes:
    case dtExtVarBytes:
      growth = field.Length() + 6;
      break;
    case dtWideString:
    case dtExtWideString:
      growth = 3 * field.Length() + 7;
      break;
    default:
      break;
  }
  RTL_ASSERT(growth > 4, IntToStr(field.FieldNo()) + u" " + IntToStr(field.DataType()));
  size += growth;
}

bool IsBlobParamType(const TParamDesc& param) {
  TDataTypeCode t = param.GetDataType();
  return t == dtBlob || t == dtMemo || t == dtWideMemo;
}

String MySQLQualifiedName(const String& database, const String& name,
                          const String& currentDatabase) {
  // A dialect object without a lexer: only its quoting rules are used.
  static const TMySQLInfo info(nullptr);
  if (database.empty() || database == currentDatabase) return info.QuoteIfNeeded(name);
  return info.QuoteIfNeeded(database) + u"." + info.QuoteIfNeeded(name);
}
