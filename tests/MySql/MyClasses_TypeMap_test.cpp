#include "MySql/MyClasses_TypeMap.h"

#include <gtest/gtest.h>

#include "Common/LxAccess_Command.h"
#include "Common/MemData_Blob.h"

namespace {

struct Options {
  bool fmtBcd = false, bcd = false, unicode = false, binaryAsString = false, optimizedBigInt = false,
       boolean = false, isUnsigned = false, isBinary = false;
  uint32_t charsetNr = 33;
  uint32_t length = 11;
};

TDataTypeCode Map(uint32_t type, Options o = {}, bool* fixedOut = nullptr) {
  bool fixed = true;
  TDataTypeCode code = 0xFFFF;
  EXPECT_TRUE(MySQLTypeToDataType(type, o.length, 0, fixed, code, o.charsetNr, o.fmtBcd, o.bcd,
                                  o.unicode, o.binaryAsString, o.optimizedBigInt, o.boolean,
                                  o.isUnsigned, o.isBinary));
  if (fixedOut) *fixedOut = fixed;
  return code;
}

TEST(MySQLTypeMap, ColumnTypesToDataTypes) {
  Options fmt{.fmtBcd = true, .bcd = true};
  Options bcd{.bcd = true};
  Options tinyBool{.boolean = true, .length = 1};
  Options unsignedCol{.isUnsigned = true};
  Options binary{.isBinary = true, .charsetNr = 63};
  Options binaryAsText{.binaryAsString = true, .isBinary = true, .charsetNr = 63};
  Options binaryCollation{.isBinary = true, .charsetNr = 33};  // utf8_bin text
  Options smallBig{.optimizedBigInt = true, .length = 11};
  Options wideBig{.optimizedBigInt = true, .length = 20};
  Options unicode{.unicode = true};
  struct {
    const char* name;
    uint32_t type;
    Options options;
    TDataTypeCode code;
  } cases[] = {
      {"DECIMAL as float", 0, {}, dtFloat},
      {"NEWDECIMAL as FmtBCD", 246, fmt, dtFMTBCD},
      {"NEWDECIMAL as BCD", 246, bcd, dtBCD},
      {"TINYINT(1) as Boolean", 1, tinyBool, dtBoolean},
      {"TINYINT(1) without the option", 1, Options{.length = 1}, dtInt8},
      {"TINYINT UNSIGNED", 1, unsignedCol, dtWord},
      {"SMALLINT", 2, {}, dtSmallint},
      {"SMALLINT UNSIGNED", 2, unsignedCol, dtWord},
      {"INT", 3, {}, dtInteger},
      {"INT UNSIGNED", 3, unsignedCol, dtUInt32},
      {"FLOAT", 4, {}, dtFloat},
      {"DOUBLE", 5, {}, dtFloat},
      {"NULL", 6, {}, dtString},
      {"TIMESTAMP", 7, {}, dtDateTime},
      {"DATETIME", 12, {}, dtDateTime},
      {"BIGINT(11) optimized", 8, smallBig, dtInteger},
      {"BIGINT(20) optimized", 8, wideBig, dtLargeint},
      {"BIGINT", 8, {}, dtLargeint},
      {"BIT", 16, {}, dtLargeint},
      {"MEDIUMINT", 9, {}, dtInteger},
      {"DATE", 10, {}, dtDate},
      {"NEWDATE", 14, {}, dtDate},
      {"TIME", 11, {}, dtTime},
      {"YEAR", 13, {}, dtWord},
      {"VARCHAR", 253, {}, dtString},
      {"VARBINARY", 253, binary, dtVarBytes},
      {"VARBINARY as string", 253, binaryAsText, dtString},
      {"VARCHAR with binary collation", 253, binaryCollation, dtString},
      {"VARCHAR unicode", 15, unicode, dtWideString},
      {"ENUM", 247, {}, dtString},
      {"SET unicode", 248, unicode, dtWideString},
      {"BINARY", 254, binary, dtBytes},
      {"CHAR", 254, {}, dtString},
      {"BLOB", 252, Options{.isBinary = true}, dtBlob},
      {"TEXT", 252, {}, dtMemo},
      {"LONGTEXT unicode", 251, unicode, dtWideMemo},
      {"GEOMETRY", 255, Options{.isBinary = true}, dtBlob},
  };
  for (const auto& c : cases) EXPECT_EQ(Map(c.type, c.options), c.code) << c.name;

  bool fixed = false;
  Map(254, {}, &fixed);
  EXPECT_TRUE(fixed);
  Map(253, {}, &fixed);
  EXPECT_FALSE(fixed);
}

TEST(MySQLTypeMap, UnknownTypesFailTheirAssertion) {
  bool fixed;
  TDataTypeCode code;
  try {
    MySQLTypeToDataType(245, 0, 0, fixed, code, 0, false, false, false, false, false, false, false,
                        false);
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message().rfind(u"Unknown MySQL datatype (245)", 0), 0u);
  }
  EXPECT_THROW(MySQLTypeToDataType(17, 0, 0, fixed, code, 0, false, false, false, false, false,
                                   false, false, false),
               EAssertionFailed);
}

TEST(MySQLTypeMap, VarLengthTypes) {
  for (TDataTypeCode t = 0; t <= dtCursor; ++t) {
    bool expected = t == 6 || t == 7 || t == 8 || t == 13 || t == 14 || t == 20 || t == 22 ||
                    t == 23 || t == 25 || t == 26 || t == 27 || t == 28 || t == 30;
    EXPECT_EQ(IsVarLengthDataType(t), expected) << t;
  }
}

TEST(MySQLTypeMap, BindBufferSizes) {
  TFieldDesc field;
  field.SetLength(10);
  field.SetScale(2);
  struct {
    TDataTypeCode type;
    uint32_t mysqlType;
    int32_t growth;
  } cases[] = {
      {dtFloat, 5, 21},     {dtFMTBCD, 246, 21},  {dtDate, 10, 40},
      {dtTime, 11, 40},     {dtBlob, 249, 259},   {dtMemo, 252, 65518},
      {dtWideMemo, 251, 65518}, {dtVarBytes, 253, 16}, {dtWideString, 253, 37},
  };
  for (const auto& c : cases) {
    field.SetDataType(c.type);
    int32_t size = 100;
    GetBindBufferSize(size, field, c.mysqlType);
    EXPECT_EQ(size, 100 + c.growth) << c.type;
  }
  int32_t size = 0;
  field.SetDataType(dtInteger);
  EXPECT_THROW(GetBindBufferSize(size, field, 3), EAssertionFailed);
  field.SetDataType(dtBlob);
  EXPECT_THROW(GetBindBufferSize(size, field, 15), EAssertionFailed);  // below TINY_BLOB
}

TEST(MySQLTypeMap, BlobParametersAndQualifiedNames) {
  TParamDesc p;
  for (TDataTypeCode t : {dtBlob, dtMemo, dtWideMemo}) {
    p.SetDataType(t);
    EXPECT_TRUE(IsBlobParamType(p));
  }
  p.SetDataType(dtString);
  EXPECT_FALSE(IsBlobParamType(p));

  EXPECT_EQ(MySQLQualifiedName(u"", u"t", u"shop"), u"t");
  EXPECT_EQ(MySQLQualifiedName(u"shop", u"t", u"shop"), u"t");
  EXPECT_EQ(MySQLQualifiedName(u"Shop", u"t", u"shop"), u"Shop.t");
  EXPECT_EQ(MySQLQualifiedName(u"my db", u"a`b", u"shop"), u"`my db`.`a``b`");
}

}  // namespace
