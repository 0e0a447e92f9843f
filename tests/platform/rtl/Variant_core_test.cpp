#include <gtest/gtest.h>

#include "platform/rtl/Variant.h"
#include "tests/platform/rtl/VariantTestSupport.h"

namespace {

using variant_test::Describe;

TEST(Variant, EachCppTypeGivesItsTypeCode) {
  int object = 0;
  TBcd bcd = IntegerToBcd(5);
  TSQLTimeStamp ts = {2024, 2, 29, 1, 2, 3, 4};
  struct Case {
    Variant v;
    uint16_t type;
    const char* described;
  } cases[] = {
      {Variant(), varEmpty, "Empty Empty"},
      {Variant::Null(), varNull, "Null Null"},
      {Variant(int8_t{-8}), varShortInt, "ShortInt -8"},
      {Variant(int16_t{-16}), varSmallint, "Smallint -16"},
      {Variant(-32), varInteger, "Integer -32"},
      {Variant(int64_t{-64}), varInt64, "Int64 -64"},
      {Variant(uint8_t{8}), varByte, "Byte 8"},
      {Variant(uint16_t{16}), varWord, "Word 16"},
      {Variant(32u), varLongWord, "LongWord 32"},
      {Variant(uint64_t{18446744073709551615u}), varUInt64, "UInt64 18446744073709551615"},
      {Variant(0.5f), varSingle, "Single 0.5"},
      {Variant(0.1), varDouble, "Double 0.1"},
      {Variant(true), varBoolean, "Boolean True"},
      {Variant(Currency::FromRaw(12345)), varCurrency, "Currency 1.2345"},
      {Variant::FromDate(45351.5), varDate, "Date 45351.5"},
      {Variant(String(u"Здраво")), varUString, "UnicodeString Здраво"},
      {Variant(u"text"), varUString, "UnicodeString text"},
      {Variant::FromOleStr(u"Ќ"), varOleStr, "OleStr Ќ"},
      {Variant(u'Ж'), varUString, "UnicodeString Ж"},
      {Variant(AnsiString("Свет")), varString, "String Свет"},
      {Variant("plain"), varString, "String plain"},
      {Variant(TBytes{1, 2, 255}), varArray | varByte, "Array Byte [1,2,255]"},
      {Variant(bcd), varFMTBcd, "FMTBcdVariantType 5"},
      {Variant(ts), varSQLTimeStamp, "SQLTimeStampVariantType 2024-02-29 01:02:03.004"},
      {Variant::FromObject(&object), varObject, "Object ?"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.v.VarType(), c.type) << c.described;
    EXPECT_EQ(VarType(c.v), c.type) << c.described;
    EXPECT_EQ(Describe(c.v), c.described);
  }
  EXPECT_EQ(Variant::FromObject(&object).AsObject(), &object);
  EXPECT_EQ(Variant().AsObject(), nullptr);
  EXPECT_EQ(Variant(static_cast<const char16_t*>(nullptr)).AsString(), u"");
  EXPECT_EQ(Variant(static_cast<const char*>(nullptr)).AsAnsiString(), "");
}

TEST(Variant, TypeNames) {
  struct Case {
    uint16_t type;
    const char16_t* name;
  } cases[] = {
      {varEmpty, u"Empty"},        {varNull, u"Null"},          {varSmallint, u"Smallint"},
      {varInteger, u"Integer"},    {varSingle, u"Single"},      {varDouble, u"Double"},
      {varCurrency, u"Currency"},  {varDate, u"Date"},          {varOleStr, u"OleStr"},
      {varDispatch, u"Dispatch"},  {varError, u"Error"},        {varBoolean, u"Boolean"},
      {varVariant, u"Variant"},    {varUnknown, u"Unknown"},    {varShortInt, u"ShortInt"},
      {varByte, u"Byte"},          {varWord, u"Word"},          {varLongWord, u"LongWord"},
      {varInt64, u"Int64"},        {varUInt64, u"UInt64"},      {varString, u"String"},
      {varUString, u"UnicodeString"},
      {varFMTBcd, u"FMTBcdVariantType"},
      {varSQLTimeStamp, u"SQLTimeStampVariantType"},
      {varObject, u"Object"},
      {varArray | varVariant, u"Array Variant"},
      {varArray | varByte, u"Array Byte"},
      {0x0F, u"$000F"},
      {0x0555, u"$0555"},
  };
  for (const auto& c : cases) EXPECT_EQ(VarTypeAsText(c.type), c.name) << c.type;
}

TEST(Variant, TypePredicates) {
  struct Case {
    Variant v;
    bool str, ordinal, floating, numeric, array, empty, null;
  } cases[] = {
      {Variant(), false, false, false, false, false, true, false},
      {Variant::Null(), false, false, false, false, false, false, true},
      {Variant(1), false, true, false, true, false, false, false},
      {Variant(uint64_t{1}), false, true, false, true, false, false, false},
      {Variant(true), false, true, false, true, false, false, false},
      {Variant(1.5), false, false, true, true, false, false, false},
      {Variant(1.5f), false, false, true, true, false, false, false},
      {Variant(Currency(1)), false, false, true, true, false, false, false},
      {Variant(IntegerToBcd(1)), false, false, true, true, false, false, false},
      {Variant::FromDate(1), false, false, false, false, false, false, false},
      {Variant(u"1"), true, false, false, false, false, false, false},
      {Variant("1"), true, false, false, false, false, false, false},
      {VarAsType(Variant(u"1"), varOleStr), true, false, false, false, false, false, false},
      {Variant(TBytes{1}), false, false, false, false, true, false, false},
      {VarArrayOf({1, 2}), false, false, false, false, true, false, false},
  };
  for (const auto& c : cases) {
    std::string name = Describe(c.v);
    EXPECT_EQ(VarIsStr(c.v), c.str) << name;
    EXPECT_EQ(VarIsOrdinal(c.v), c.ordinal) << name;
    EXPECT_EQ(VarIsFloat(c.v), c.floating) << name;
    EXPECT_EQ(VarIsNumeric(c.v), c.numeric) << name;
    EXPECT_EQ(VarIsArray(c.v), c.array) << name;
    EXPECT_EQ(c.v.IsArray(), c.array) << name;
    EXPECT_EQ(VarIsEmpty(c.v), c.empty) << name;
    EXPECT_EQ(VarIsClear(c.v), c.empty) << name;
    EXPECT_EQ(VarIsNull(c.v), c.null) << name;
    EXPECT_EQ(c.v.IsNull(), c.null) << name;
  }
  EXPECT_TRUE(VarIsFMTBcd(Variant(IntegerToBcd(1))));
  EXPECT_TRUE(VarIsSQLTimeStamp(VarSQLTimeStampCreate(45351.5)));
  EXPECT_TRUE(VarIsType(Variant(int16_t{1}), varSmallint));
}

TEST(Variant, CopiesAreIndependentValues) {
  Variant a(String(u"Петар"));
  Variant b = a;
  a = Variant(7);
  EXPECT_EQ(b.AsString(), u"Петар");
  EXPECT_EQ(a.AsInteger(), 7);
  VarClear(b);
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_TRUE(Unassigned().IsEmpty());
}

}  // namespace
