#include <gtest/gtest.h>

#include "MemData_TestStore.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

using namespace memdata_test;

namespace {

class FieldVariants : public ::testing::Test {
 protected:
  FieldVariants()
      : store({{u"S", dtString, 6},            // 1
               {u"I8", dtInt8},                // 2
               {u"I16", dtSmallint},           // 3
               {u"I32", dtInteger},            // 4
               {u"F", dtFloat, 0, 0, false, 2},// 5
               {u"DT", dtDateTime},            // 6
               {u"W", dtWord},                 // 7
               {u"B", dtBoolean},              // 8
               {u"I64", dtLargeint},           // 9
               {u"BLOB", dtBlob},              // 10
               {u"MEMO", dtMemo},              // 11
               {u"V", dtVariant},              // 12
               {u"ES", dtExtString, 40},       // 13
               {u"BY", dtBytes, 3},            // 14
               {u"VB", dtVarBytes, 4},         // 15
               {u"EVB", dtExtVarBytes, 10},    // 16
               {u"U32", dtUInt32},             // 17
               {u"WS", dtWideString, 5},       // 18
               {u"EWS", dtExtWideString, 40},  // 19
               {u"BCD", dtBCD},                // 20
               {u"FB", dtFMTBCD},              // 21
               {u"WM", dtWideMemo},            // 22
               {u"TS", dtSQLTimeStamp},        // 23
               {u"ARR", dtArray}}),            // 24
        buf((store.InitFields(), store)) {}

  Variant RoundTrip(int fieldNo, const Variant& in) {
    store.PutFieldAsVariant(fieldNo, buf, in);
    EXPECT_FALSE(store.GetNull(fieldNo, buf)) << fieldNo;
    return store.GetFieldAsVariant(fieldNo, buf);
  }

  TestStore store;
  RecBuf buf;
};

TEST_F(FieldVariants, VariantFormPerTypeCode) {
  struct Case {
    int fieldNo;
    Variant in;
    uint16_t type;
    Variant out;
  } cases[] = {
      {1, Variant("abc"), varString, Variant("abc")},
      {1, Variant(u"Жабата"), varString, Variant("Жаб")},  // 5 bytes: whole characters only
      {2, Variant(int32_t(-7)), varShortInt, Variant(int8_t(-7))},
      {3, Variant(int16_t(-300)), varSmallint, Variant(int16_t(-300))},
      {4, Variant(int32_t(123456)), varInteger, Variant(int32_t(123456))},
      {4, Variant(u"12"), varInteger, Variant(int32_t(12))},  // text parsed as an integer
      {5, Variant(int32_t(7)), varDouble, Variant(7.0)},
      {5, Variant(2.345), varDouble, Variant(2.35)},  // rounded to the scale
      {7, Variant(uint16_t(65000)), varWord, Variant(uint16_t(65000))},
      {8, Variant(true), varBoolean, Variant(true)},
      {9, Variant(int64_t(1) << 40), varInt64, Variant(int64_t(1) << 40)},
      {11, Variant("memo text"), varString, Variant("memo text")},
      {12, Variant(u"анything"), varUString, Variant(u"анything")},
      {13, Variant(u"Ѓорѓи"), varString, Variant("Ѓорѓи")},
      {14, Variant(TBytes{1, 2, 3}), varArray | varByte, Variant(TBytes{1, 2, 3})},
      {15, Variant(TBytes{9, 8}), varArray | varByte, Variant(TBytes{9, 8})},
      {16, Variant(TBytes{5, 6, 7, 8, 9}), varArray | varByte, Variant(TBytes{5, 6, 7, 8, 9})},
      {17, Variant(uint32_t(0xF0000000u)), varLongWord, Variant(uint32_t(0xF0000000u))},
      {18, Variant(u"Здраво свете"), varUString, Variant(u"Здрав")},  // cut to Length
      {19, Variant(u"Ќерка на Љубица"), varUString, Variant(u"Ќерка на Љубица")},
      {20, Variant(Currency::FromRaw(123456)), varCurrency, Variant(Currency::FromRaw(123456))},
      {22, Variant(u"широк текст"), varUString, Variant(u"широк текст")},
  };
  for (const Case& c : cases) {
    const Variant out = RoundTrip(c.fieldNo, c.in);
    EXPECT_EQ(out.VarType(), c.type) << c.fieldNo;
    if (out.IsArray())  // arrays compare by their bytes
      EXPECT_EQ(out.AsBytes(), c.out.AsBytes()) << c.fieldNo;
    else
      EXPECT_TRUE(out == c.out) << c.fieldNo << ": " << UTF8Encode(VarToStr(out));
  }
}

TEST_F(FieldVariants, DatesBcdAndTimeStamps) {
  const TDateTime when = EncodeDate(2024, 5, 17) + EncodeTime(8, 30, 0, 0);
  const Variant date = RoundTrip(6, Variant::FromDate(when));
  EXPECT_EQ(date.VarType(), varDate);
  EXPECT_DOUBLE_EQ(date.AsDateTime(), when);
  const TBcd bcd = StrToBcd(u"12345.678");
  const Variant b = RoundTrip(21, Variant(bcd));
  EXPECT_EQ(b.VarType(), varFMTBcd);
  EXPECT_EQ(BcdCompare(b.AsBcd(), bcd), 0);
  const TSQLTimeStamp ts{2024, 5, 17, 8, 30, 15, 250};
  const Variant t = RoundTrip(23, Variant(ts));
  EXPECT_EQ(t.VarType(), varSQLTimeStamp);
  EXPECT_EQ(t.AsSQLTimeStamp().Fractions, 250u);
  EXPECT_EQ(t.AsSQLTimeStamp().Year, 2024);
}

TEST_F(FieldVariants, ShortIntegerReadsItsFirstByteOnly) {
  store.Fields()[1]->SetSize(2);
  store.PutFieldAsVariant(2, buf, Variant(int32_t(0x1FF)));
  EXPECT_EQ(store.GetFieldAsVariant(2, buf).AsInteger(), -1);  // the low byte 0xFF, signed
}

TEST_F(FieldVariants, RefusedConversions) {
  struct Case {
    int fieldNo;
    Variant in;
  } cases[] = {
      {3, Variant(u"12")},            // small integers take integer types only
      {7, Variant(1.5)},              // so do words
      {8, Variant(int32_t(1))},       // booleans take booleans only
      {9, Variant(int32_t(5))},       // 64-bit fields take 64-bit integers only
      {17, Variant(int32_t(5))},      // long words take long words only
      {4, Variant(true)},
      {4, Variant(u"12.5")},          // not an integer text
      {3, Variant(int32_t(70000))},   // out of the type's range
      {24, Variant(int32_t(1))},      // no storage rules for arrays
  };
  for (const Case& c : cases) {
    EXPECT_THROW(store.PutFieldAsVariant(c.fieldNo, buf, c.in), EConvertError) << c.fieldNo;
    EXPECT_TRUE(store.GetNull(c.fieldNo, buf)) << c.fieldNo;
  }
  try {
    store.PutFieldAsVariant(3, buf, Variant(u"12"));
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Cannot convert type");
  }
  store.GetBlob(10, buf)->SetAsAnsiString("x");
  try {
    store.GetFieldAsVariant(10, buf);  // a binary blob has no Variant form
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Cannot convert type 13");
  }
}

TEST_F(FieldVariants, BytesOfTheWrongShapeAreAssertions) {
  EXPECT_THROW(store.PutFieldAsVariant(14, buf, Variant(u"abc")), EAssertionFailed);
  EXPECT_THROW(store.PutFieldAsVariant(14, buf, Variant(TBytes{1, 2})), EAssertionFailed);
  EXPECT_THROW(store.PutFieldAsVariant(15, buf, Variant(TBytes{1, 2, 3, 4, 5})),
               EAssertionFailed);
  store.PutFieldAsVariant(15, buf, Variant(TBytes{}));
  EXPECT_EQ(store.GetFieldAsVariant(15, buf).AsBytes(), TBytes{});
}

TEST_F(FieldVariants, NullAndUnassignedSetNull) {
  store.PutFieldAsVariant(4, buf, Variant(int32_t(1)));
  store.PutFieldAsVariant(4, buf, Variant::Null());
  EXPECT_TRUE(store.GetNull(4, buf));
  EXPECT_TRUE(store.GetFieldAsVariant(4, buf).IsNull());
  store.PutFieldAsVariant(4, buf, Variant(int32_t(1)));
  store.PutFieldAsVariant(4, buf, Variant());
  EXPECT_TRUE(store.GetNull(4, buf));
}

TEST_F(FieldVariants, TextsTrimByOption) {
  store.PutFieldAsVariant(1, buf, Variant("ab   "));
  EXPECT_TRUE(store.GetFieldAsVariant(1, buf) == Variant("ab   "));
  store.SetTrimVarChar(true);
  EXPECT_TRUE(store.GetFieldAsVariant(1, buf) == Variant("ab"));
  store.PutFieldAsVariant(18, buf, Variant(u"жа  "));
  EXPECT_TRUE(store.GetFieldAsVariant(18, buf) == Variant(u"жа"));
}

TEST_F(FieldVariants, VariantFieldExternalFormAndSharing) {
  const Variant v(u"вредност");
  store.PutField(12, buf, false, &v);
  Variant out;
  bool blank;
  store.GetField(12, buf, &out, blank);
  EXPECT_FALSE(blank);
  EXPECT_TRUE(out == v);
  // A copy of the record shares the object; AddRef keeps it alive for both.
  uint8_t* copy = store.AllocRecBuf();
  std::memcpy(copy, buf.get(), static_cast<size_t>(store.RecordSize()));
  store.AddRefComplexFields(copy);
  store.FreeComplexFields(copy, true);
  EXPECT_TRUE(store.GetFieldAsVariant(12, buf) == v);
  store.FreeRecBuf(copy);
}

TEST(ComplexValues, CopyGivesTheDestinationItsOwnValues) {
  TestStore store({{u"V", dtVariant}, {u"T", dtExtWideString, 20}, {u"B", dtExtVarBytes, 8}});
  store.InitFields();
  RecBuf a(store), b(store);
  store.PutFieldAsVariant(1, a, Variant(int32_t(5)));
  store.PutFieldAsVariant(2, a, Variant(u"текст"));
  store.PutFieldAsVariant(3, a, Variant(TBytes{1, 2}));
  store.PutFieldAsVariant(1, b, Variant(int32_t(0)));
  std::memcpy(b.get() + store.DataSize(), a.get() + store.DataSize(), 3);  // null bytes
  store.CopyComplexFields(a, b, false);
  store.PutFieldAsVariant(2, a, Variant(u"друго"));
  EXPECT_TRUE(store.GetFieldAsVariant(1, b) == Variant(int32_t(5)));
  EXPECT_TRUE(store.GetFieldAsVariant(2, b) == Variant(u"текст"));
  EXPECT_EQ(store.GetFieldAsVariant(3, b).AsBytes(), (TBytes{1, 2}));
  EXPECT_THROW(store.CopyComplexFields(a, b, true), EAssertionFailed);
}

TEST(ComplexValues, ComparableValues) {
  TestStore store({{u"ES", dtExtString, 20},
                   {u"BY", dtBytes, 3},
                   {u"BCD", dtBCD},
                   {u"D", dtDate},
                   {u"M", dtWideMemo},
                   {u"EW", dtExtWideString, 20}});
  store.InitFields();
  RecBuf buf(store);
  store.PutFieldAsVariant(1, buf, Variant("текст"));
  store.PutFieldAsVariant(2, buf, Variant(TBytes{7, 8, 9}));
  store.PutFieldAsVariant(3, buf, Variant(Currency::FromRaw(25000)));
  store.PutFieldAsVariant(4, buf, Variant::FromDate(45000.0));
  store.PutFieldAsVariant(5, buf, Variant(u"белешка"));
  bool inPlace, isNull;
  TDataTypeCode type;
  const void* v = store.GetComparableValue(buf, store.Fields()[0], inPlace, isNull, type);
  EXPECT_TRUE(inPlace);
  EXPECT_EQ(type, dtString);
  EXPECT_STREQ(static_cast<const char*>(v), "текст");
  v = store.GetComparableValue(buf, store.Fields()[1], inPlace, isNull, type);
  EXPECT_FALSE(inPlace);
  const auto* bytes = static_cast<const uint8_t*>(v);
  EXPECT_EQ(bytes[0], 3);
  EXPECT_EQ(bytes[4], 9);
  TData::FreeComparableValue(v);
  v = store.GetComparableValue(buf, store.Fields()[2], inPlace, isNull, type);
  EXPECT_EQ(*static_cast<const double*>(v), 2.5);
  TData::FreeComparableValue(v);
  v = store.GetComparableValue(buf, store.Fields()[3], inPlace, isNull, type);
  EXPECT_TRUE(inPlace);
  double date;  // values in place keep the record's alignment: read them by copying
  std::memcpy(&date, v, sizeof date);
  EXPECT_EQ(date, 45000.0);
  v = store.GetComparableValue(buf, store.Fields()[4], inPlace, isNull, type);
  EXPECT_EQ(type, dtString);
  EXPECT_STREQ(static_cast<const char*>(v), "белешка");
  TData::FreeComparableValue(v);
  v = store.GetComparableValue(buf, store.Fields()[5], inPlace, isNull, type);
  EXPECT_TRUE(isNull);
  EXPECT_EQ(type, dtWideString);
  EXPECT_EQ(*static_cast<const char16_t*>(v), 0);
}

TEST(ComplexValues, AddRefOfAMissingObjectIsAnAssertion) {
  TestStore store({{u"NOTE", dtMemo}});
  store.InitFields();
  uint8_t* buf = store.AllocRecBuf();
  store.InitRecord(buf);
  store.CreateComplexFields(buf, false);  // no blob created
  try {
    store.AddRefComplexFields(buf);
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message().rfind(u"Shared object for NOTE=nil", 0), 0u);
  }
  try {
    store.GetBlob(1, buf);
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message().rfind(u"Object for field NOTE(1) = nil", 0), 0u);
  }
  store.FreeRecBuf(buf);
}

}  // namespace
