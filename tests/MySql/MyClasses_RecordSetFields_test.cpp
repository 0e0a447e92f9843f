#include "MySql/MyClasses_RecordSetFields.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/rtl/Exceptions.h"

namespace {

TMYSQL_FIELD Column(uint32_t type, uint32_t length, uint32_t flags = 0, uint32_t charset = 33,
                    const char* table = "t") {
  TMYSQL_FIELD c;
  c.Name = "c";
  c.OrgName = "c_org";
  c.Table = table;
  c.Type = type;
  c.Length = length;
  c.Flags = flags;
  c.CharsetNr = charset;
  return c;
}

struct Case {
  const char* what;
  TMYSQL_FIELD column;
  TMyFieldOptions options;
  TDataTypeCode dataType;
  uint16_t length;  // of the descriptor; 0 where it is not set
  int32_t size;     // bytes in the record
};

TMyFieldOptions With(void (*change)(TMyFieldOptions&)) {
  TMyFieldOptions o;
  change(o);
  return o;
}

TEST(MyRecordSetFields, ColumnsMapToTypesAndLayouts) {
  const TMyFieldOptions plain;
  const TMyFieldOptions unicode = With([](TMyFieldOptions& o) { o.UseUnicode = true; });
  const TMyFieldOptions noBoolean = With([](TMyFieldOptions& o) { o.EnableBoolean = false; });
  const TMyFieldOptions optimized = With([](TMyFieldOptions& o) { o.OptimizedBigInt = true; });
  const TMyFieldOptions shortStrings = With([](TMyFieldOptions& o) { o.LongStrings = false; });
  const TMyFieldOptions noFlat = With([](TMyFieldOptions& o) { o.FlatBuffers = false; });
  const TMyFieldOptions asString = With([](TMyFieldOptions& o) { o.FieldsAsString = true; });
  const TMyFieldOptions bytes = With([](TMyFieldOptions& o) { o.BinaryAsString = false; });
  const std::vector<Case> cases = {
      {"TINYINT(1) is Boolean", Column(1, 1), plain, dtBoolean, 1, 2},
      {"TINYINT(1) without EnableBoolean", Column(1, 1), noBoolean, dtInt8, 1, 2},
      {"TINYINT(1) UNSIGNED without EnableBoolean", Column(1, 1, MyUnsignedFlag), noBoolean,
       dtWord, 1, 2},
      {"INT UNSIGNED", Column(3, 10, MyUnsignedFlag), plain, dtUInt32, 10, 4},
      {"BIGINT(11) optimized", Column(8, 11), optimized, dtInteger, 11, 4},
      {"BIGINT(20) optimized", Column(8, 20), optimized, dtLargeint, 20, 8},
      {"BIT(64)", Column(16, 64), plain, dtLargeint, 64, 8},
      {"utf8 VARCHAR(10) Unicode", Column(253, 30), unicode, dtWideString, 10, 22},
      {"utf8 VARCHAR(10) single-byte", Column(253, 30), plain, dtString, 30, 31},
      {"group concatenation", Column(253, 65535, 0, 33, ""), plain, dtMemo, 0, 4},
      {"VARCHAR(300) without LongStrings", Column(253, 300), shortStrings, dtMemo, 0, 4},
      {"VARCHAR(40) without FlatBuffers", Column(253, 40), noFlat, dtExtString, 40, 4},
      {"empty computed string", Column(253, 0, 0, 33, ""), plain, dtExtString, 65530, 4},
      {"CHAR(4) BINARY as bytes", Column(254, 4, MyBinaryFlag, 63), bytes, dtBytes, 4, 5},
      {"VARBINARY(8) as bytes", Column(253, 8, MyBinaryFlag, 63), bytes, dtVarBytes, 8, 10},
      {"VARBINARY(40) without FlatBuffers", Column(253, 40, MyBinaryFlag, 63),
       With([](TMyFieldOptions& o) { o.BinaryAsString = false; o.FlatBuffers = false; }),
       dtExtVarBytes, 40, 4},
      {"VARBINARY(8) as string with Unicode", Column(253, 8, MyBinaryFlag, 63), unicode, dtString,
       8, 9},
      {"TEXT Unicode", Column(252, 65535), unicode, dtWideMemo, 0, 4},
      {"BLOB", Column(252, 65535, MyBinaryFlag, 63), plain, dtBlob, 0, 4},
      {"DATETIME(6)", Column(12, 26), plain, dtDateTime, 26, 8},
      {"TIME", Column(11, 10), plain, dtTime, 10, 8},
      {"DOUBLE as text", Column(5, 22), asString, dtString, 22, 23},
      {"BLOB stays a blob as text", Column(252, 65535, MyBinaryFlag, 63), asString, dtBlob, 0, 4},
      {"DECIMAL(10,2) FMTBCD", Column(246, 12),
       With([](TMyFieldOptions& o) { o.EnableFMTBCD = true; }), dtFMTBCD, 12, 34},
  };
  for (const Case& c : cases) {
    const TMyFieldMapping m = MapFieldType(c.column, c.options);
    TMySQLFieldDesc field;
    FillMySQLFieldDesc(field, c.column, m);
    EXPECT_EQ(field.DataType(), c.dataType) << c.what;
    EXPECT_EQ(field.Length(), c.length) << c.what;
    EXPECT_EQ(field.Size(), c.size) << c.what;
  }
}

TEST(MyRecordSetFields, FlagsAndNames) {
  TMYSQL_FIELD id = Column(3, 11, MyNotNullFlag | MyPriKeyFlag | MyAutoIncrementFlag);
  TMySQLFieldDesc field;
  FillMySQLFieldDesc(field, id, MapFieldType(id, {}));
  EXPECT_EQ(field.Name(), u"c");
  EXPECT_EQ(field.SourceName(), u"c_org");
  EXPECT_TRUE(field.IsKey());
  EXPECT_TRUE(field.IsPrimaryKey());
  EXPECT_TRUE(field.IsAutoIncrement());
  EXPECT_FALSE(field.Required()) << "an auto-increment column may be left empty";

  TMYSQL_FIELD name = Column(253, 30, MyNotNullFlag | MyMultipleKeyFlag);
  name.Name = "\xD0\x98\xD0\xBC\xD1\x8F";  // Cyrillic
  TMySQLFieldDesc nameField;
  FillMySQLFieldDesc(nameField, name, MapFieldType(name, {}));
  EXPECT_EQ(nameField.Name(), u"\u0418\u043C\u044F");
  EXPECT_TRUE(nameField.Required());
  EXPECT_TRUE(nameField.IsKey());
  EXPECT_FALSE(nameField.IsPrimaryKey());

  TMYSQL_FIELD stamp = Column(7, 19, MyNotNullFlag | MyTimestampFlag);
  TMySQLFieldDesc stampField;
  FillMySQLFieldDesc(stampField, stamp, MapFieldType(stamp, {}));
  EXPECT_FALSE(stampField.Required()) << "the server fills a TIMESTAMP";
  EXPECT_TRUE(stampField.IsAutoUpdateTimestamp());
  EXPECT_EQ(stampField.MySQLType(), 7u);

  TMYSQL_FIELD null = Column(6, 0);
  TMySQLFieldDesc nullField;
  FillMySQLFieldDesc(nullField, null, MapFieldType(null, {}));
  EXPECT_TRUE(nullField.ReadOnly());

  EXPECT_THROW(MapFieldType(Column(100, 4), {}), EAssertionFailed);
}

}  // namespace
