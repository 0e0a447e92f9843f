// How the MySQL record set describes a result column as a field of its record store: the data
// type, size and record layout chosen from the column and the dataset options, and the field
// descriptor that keeps the column's MySQL facts.
#pragma once

#include <cstdint>

#include "Common/LxAccess_RecordSet.h"
#include "MySql/MySqlApi.h"

// Column flag bits of TMYSQL_FIELD::Flags.
constexpr uint32_t MyNotNullFlag = 1;
constexpr uint32_t MyPriKeyFlag = 2;
constexpr uint32_t MyUniqueKeyFlag = 4;
constexpr uint32_t MyMultipleKeyFlag = 8;
constexpr uint32_t MyUnsignedFlag = 32;
constexpr uint32_t MyBinaryFlag = 128;
constexpr uint32_t MyAutoIncrementFlag = 512;
constexpr uint32_t MyTimestampFlag = 1024;
constexpr uint32_t MyPartKeyFlag = 16384;

class TMySQLFieldDesc : public TLxFieldDesc {
 public:
  static TFieldDesc* Create() { return new TMySQLFieldDesc(); }

  uint32_t MySQLType() const { return FMySQLType; }
  void SetMySQLType(uint32_t v) { FMySQLType = v; }
  bool IsUnsigned() const { return FIsUnsigned; }
  void SetIsUnsigned(bool v) { FIsUnsigned = v; }
  bool IsPrimaryKey() const { return FIsPrimaryKey; }
  void SetIsPrimaryKey(bool v) { FIsPrimaryKey = v; }
  bool IsBinary() const { return FIsBinary; }
  void SetIsBinary(bool v) { FIsBinary = v; }
  bool IsAutoUpdateTimestamp() const { return FIsAutoUpdateTimestamp; }
  void SetIsAutoUpdateTimestamp(bool v) { FIsAutoUpdateTimestamp = v; }

 private:
  uint32_t FMySQLType = 0;
  bool FIsUnsigned = false;
  bool FIsPrimaryKey = false;
  bool FIsBinary = false;
  bool FIsAutoUpdateTimestamp = false;
};

// The options of the record set and its connection that decide a column's field type.
struct TMyFieldOptions {
  bool FieldsAsString = false;
  bool EnableBoolean = true;
  bool BinaryAsString = true;
  bool UseUnicode = false;
  bool OptimizedBigInt = false;
  bool EnableBCD = false;
  bool EnableFMTBCD = false;
  bool LongStrings = true;
  bool FlatBuffers = true;
  bool IsDescribe = false;  // an EXPLAIN or DESCRIBE on a server before 5
  bool IsShow = false;      // a SHOW statement: its sizes are not divided for Unicode
};

struct TMyFieldMapping {
  TDataTypeCode DataType = dtUnknown;
  bool Fixed = false;
  uint32_t Size = 0;
};

// The field type of a column. An unknown MySQL type fails an assertion.
TMyFieldMapping MapFieldType(const TMYSQL_FIELD& column, const TMyFieldOptions& options);

// Fills a descriptor from the column and its mapping: names, MySQL facts, flags, and the record
// layout (Length, Size, Scale). The table is left to the caller.
void FillMySQLFieldDesc(TMySQLFieldDesc& field, const TMYSQL_FIELD& column,
                        const TMyFieldMapping& mapping);
