#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/rtl/Variant.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"
#include "tests/platform/rtl/VariantTestSupport.h"

namespace {

using variant_test::Describe;
using variant_test::ValueText;

// Conversion tests run under the invariant settings unless they say otherwise.
class VariantConversion : public ::testing::Test {
 protected:
  void SetUp() override { FormatSettings() = TFormatSettings::Invariant(); }
  TFormatSettingsGuard FGuard;
};

TBcd Bcd(const char* text) { return StrToBcd(S(text), TFormatSettings::Invariant()); }

// An expected result: the value as ValueText shows it, or "cast"/"overflow" for the error.
constexpr const char* cast = "cast";
constexpr const char* overflow = "overflow";

void ExpectConversion(const Variant& source, uint16_t target, const std::string& expected,
                      const std::string& row) {
  std::string context = row + " -> " + UTF8Encode(VarTypeAsText(target));
  String names = u"variant of type (" + VarTypeAsText(source.VarType()) + u") into type (" +
                 VarTypeAsText(target) + u")";
  try {
    Variant result = VarAsType(source, target);
    EXPECT_EQ(result.VarType(), target) << context;
    EXPECT_EQ(ValueText(result), expected) << context;
  } catch (const EVariantTypeCastError& e) {
    EXPECT_EQ(expected, cast) << context;
    EXPECT_EQ(e.Message(), u"Could not convert " + names) << context;
  } catch (const EVariantOverflowError& e) {
    EXPECT_EQ(expected, overflow) << context;
    EXPECT_EQ(e.Message(), u"Overflow while converting " + names) << context;
  }
}

TEST_F(VariantConversion, EverySourceToTheMainTargets) {
  int object = 0;
  const uint16_t targets[] = {varSmallint, varInteger, varInt64, varDouble,
                              varCurrency, varBoolean, varDate,  varUString};
  struct Row {
    const char* name;
    Variant source;
    const char* expected[8];
  } rows[] = {
      // name                source                      Smallint  Integer   Int64     Double    Currency  Boolean  Date      UnicodeString
      {"Empty", Variant(), {"0", "0", "0", "0", "0", "False", "0", ""}},
      {"Null", Variant::Null(), {cast, cast, cast, cast, cast, cast, cast, cast}},
      {"Smallint -5", Variant(int16_t{-5}), {"-5", "-5", "-5", "-5", "-5", "True", "-5", "-5"}},
      {"Integer 42", Variant(42), {"42", "42", "42", "42", "42", "True", "42", "42"}},
      {"Integer 40000", Variant(40000), {overflow, "40000", "40000", "40000", "40000", "True", "40000", "40000"}},
      {"Int64 5e12", Variant(int64_t{5000000000000}), {overflow, overflow, "5000000000000", "5e+12", "5000000000000", "True", "5e+12", "5000000000000"}},
      {"Int64 max", Variant(int64_t{INT64_MAX}), {overflow, overflow, "9223372036854775807", "9223372036854775808", overflow, "True", "9223372036854775808", "9223372036854775807"}},
      {"Byte 200", Variant(uint8_t{200}), {"200", "200", "200", "200", "200", "True", "200", "200"}},
      {"UInt64 max", Variant(uint64_t{UINT64_MAX}), {overflow, overflow, overflow, "18446744073709551616", overflow, "True", "18446744073709551616", "18446744073709551615"}},
      {"Single 0.1", Variant(0.1f), {"0", "0", "0", "0.10000000149011612", "0.1", "True", "0.10000000149011612", "0.1"}},
      {"Double 2.5", Variant(2.5), {"2", "2", "2", "2.5", "2.5", "True", "2.5", "2.5"}},
      {"Double 3.5", Variant(3.5), {"4", "4", "4", "3.5", "3.5", "True", "3.5", "3.5"}},
      {"Double -2.5", Variant(-2.5), {"-2", "-2", "-2", "-2.5", "-2.5", "True", "-2.5", "-2.5"}},
      {"Double 0.00005", Variant(0.00005), {"0", "0", "0", "5e-05", "0.0001", "True", "5e-05", "5E-5"}},
      {"Double 1e20", Variant(1e20), {overflow, overflow, overflow, "1e+20", overflow, "True", "1e+20", "1E20"}},
      {"Double NaN", Variant(std::numeric_limits<double>::quiet_NaN()), {overflow, overflow, overflow, "nan", overflow, "True", "nan", "NAN"}},
      {"Currency 12.3456", Variant(Currency::FromRaw(123456)), {"12", "12", "12", "12.3456", "12.3456", "True", "12.3456", "12.3456"}},
      {"Currency 2.5", Variant(Currency::FromRaw(25000)), {"2", "2", "2", "2.5", "2.5", "True", "2.5", "2.5"}},
      {"Currency -0.5", Variant(Currency::FromRaw(-5000)), {"0", "0", "0", "-0.5", "-0.5", "True", "-0.5", "-0.5"}},
      {"Currency -1.5", Variant(Currency::FromRaw(-15000)), {"-2", "-2", "-2", "-1.5", "-1.5", "True", "-1.5", "-1.5"}},
      {"Boolean True", Variant(true), {"-1", "-1", "-1", "-1", "-1", "True", "-1", "True"}},
      {"Boolean False", Variant(false), {"0", "0", "0", "0", "0", "False", "0", "False"}},
      {"Date noon", Variant::FromDate(45351.5), {overflow, "45352", "45352", "45351.5", "45351.5", "True", "45351.5", "02/29/2024 12:00:00"}},
      {"Date midnight", Variant::FromDate(45351), {overflow, "45351", "45351", "45351", "45351", "True", "45351", "02/29/2024"}},
      {"Text 123", Variant(u"123"), {"123", "123", "123", "123", "123", "True", cast, "123"}},
      {"Text 12.5", Variant(u"12.5"), {"12", "12", "12", "12.5", "12.5", "True", cast, "12.5"}},
      {"Text -1.5e3", Variant(u"-1.5e3"), {"-1500", "-1500", "-1500", "-1500", "-1500", "True", cast, "-1.5e3"}},
      {"Text 40000", Variant(u"40000"), {overflow, "40000", "40000", "40000", "40000", "True", cast, "40000"}},
      {"Text $1F", Variant(u"$1F"), {"31", "31", "31", cast, cast, cast, cast, "$1F"}},
      {"Text 0", Variant(u"0"), {"0", "0", "0", "0", "0", "False", "0", "0"}},  // a time alone
      {"Text empty", Variant(u""), {cast, cast, cast, cast, cast, cast, cast, ""}},
      {"Text abc", Variant(u"abc"), {cast, cast, cast, cast, cast, cast, cast, "abc"}},
      {"Text True", Variant(u"True"), {cast, cast, cast, cast, cast, "True", cast, "True"}},
      {"Text fALSE", Variant(u"fALSE"), {cast, cast, cast, cast, cast, "False", cast, "fALSE"}},
      {"Text date", Variant(u"02/29/2024 12:00"), {cast, cast, cast, cast, cast, cast, "45351.5", "02/29/2024 12:00"}},
      {"Cyrillic text", Variant(u"Петар"), {cast, cast, cast, cast, cast, cast, cast, "Петар"}},
      {"AnsiString 42", Variant("42"), {"42", "42", "42", "42", "42", "True", cast, "42"}},
      {"BCD 12.345", Variant(Bcd("12.345")), {"12", "12", "12", "12.345", "12.345", "True", "12.345", "12.345"}},
      {"BCD -2.5", Variant(Bcd("-2.5")), {"-2", "-2", "-2", "-2.5", "-2.5", "True", "-2.5", "-2.5"}},
      {"BCD 0.00005", Variant(Bcd("0.00005")), {"0", "0", "0", "5e-05", "0", "True", "5e-05", "0.00005"}},
      {"BCD 1e30", Variant(Bcd("1e30")), {overflow, overflow, overflow, "1e+30", overflow, "True", "1e+30", "1000000000000000000000000000000"}},
      {"Time stamp", Variant(TSQLTimeStamp{2024, 2, 29, 12, 0, 0, 0}), {cast, cast, cast, "45351.5", cast, cast, "45351.5", "02/29/2024 12:00:00"}},
      {"Object", Variant::FromObject(&object), {cast, cast, cast, cast, cast, cast, cast, cast}},
      {"Byte array", Variant(TBytes{1, 2}), {cast, cast, cast, cast, cast, cast, cast, cast}},
      {"Variant array", VarArrayOf({1}), {cast, cast, cast, cast, cast, cast, cast, cast}},
  };
  for (const auto& row : rows)
    for (size_t i = 0; i < std::size(targets); ++i)
      ExpectConversion(row.source, targets[i], row.expected[i], row.name);
}

TEST_F(VariantConversion, OtherTargets) {
  struct Case {
    const char* name;
    Variant source;
    uint16_t target;
    const char* expected;
  } cases[] = {
      {"Integer to Byte", Variant(255), varByte, "255"},
      {"Integer 256 to Byte", Variant(256), varByte, overflow},
      {"Integer -1 to Byte", Variant(-1), varByte, overflow},
      {"Integer -1 to Word", Variant(-1), varWord, overflow},
      {"Integer -1 to LongWord", Variant(-1), varLongWord, overflow},
      {"Int64 -1 to UInt64", Variant(int64_t{-1}), varUInt64, overflow},
      {"Integer -128 to ShortInt", Variant(-128), varShortInt, "-128"},
      {"Integer 128 to ShortInt", Variant(128), varShortInt, overflow},
      {"Double 65535.4 to Word", Variant(65535.4), varWord, "65535"},
      {"Double 4294967295 to LongWord", Variant(4294967295.0), varLongWord, "4294967295"},
      {"Text to UInt64", Variant(u"18446744073709551615"), varUInt64, "18446744073709551615"},
      {"Text to UInt64 beyond", Variant(u"18446744073709551616"), varUInt64, overflow},
      {"UInt64 to Int64", Variant(uint64_t{INT64_MAX}), varInt64, "9223372036854775807"},
      {"Double to Single", Variant(0.1), varSingle, "0.10000000149011612"},
      {"Double 1e39 to Single", Variant(1e39), varSingle, overflow},
      {"Text to Single", Variant(u"2.5"), varSingle, "2.5"},
      {"Single to text", Variant(1.1f), varUString, "1.1"},
      {"Integer to String", Variant(42), varString, "42"},
      {"Null to String", Variant::Null(), varString, cast},
      {"Text to OleStr", Variant(u"Ѓорѓи"), varOleStr, "Ѓорѓи"},
      {"Double to OleStr", Variant(1.5), varOleStr, "1.5"},
      {"Double to BCD", Variant(0.1), varFMTBcd, "0.1"},
      {"Int64 min to BCD", Variant(int64_t{INT64_MIN}), varFMTBcd, "-9223372036854775808"},
      {"UInt64 max to BCD", Variant(uint64_t{UINT64_MAX}), varFMTBcd, "18446744073709551615"},
      {"Currency to BCD", Variant(Currency::FromRaw(-12345)), varFMTBcd, "-1.2345"},
      {"Text to BCD", Variant(u"123456789012345678901234567890.5"), varFMTBcd, "123456789012345678901234567890.5"},
      {"Bad text to BCD", Variant(u"12,5"), varFMTBcd, cast},
      {"Boolean to BCD", Variant(true), varFMTBcd, "-1"},
      {"Empty to BCD", Variant(), varFMTBcd, "0"},
      {"Null to BCD", Variant::Null(), varFMTBcd, cast},
      {"Date to time stamp", Variant::FromDate(45351.75), varSQLTimeStamp, "2024-02-29 18:00:00.000"},
      {"Text to time stamp", Variant(u"2024-02-29 01:02:03.456"), varSQLTimeStamp, "2024-02-29 01:02:03.456"},
      {"Bad text to time stamp", Variant(u"2024-02-30"), varSQLTimeStamp, cast},
      {"Double to Date", Variant(-1.25), varDate, "-1.25"},
      {"Object to Integer", Variant::FromObject(nullptr), varInteger, cast},
      {"Integer to Object", Variant(1), varObject, cast},
      {"Integer to Dispatch", Variant(1), varDispatch, cast},
      {"Integer to Null", Variant(1), varNull, "Null"},
      {"Integer to Empty", Variant(1), varEmpty, "Empty"},
      {"Integer array to Double array", VarArrayOf({1, 2.5}), varArray | varDouble, "[1,2.5]"},
      {"Variant array to Byte array", VarArrayOf({1, u"2"}), varArray | varByte, "[1,2]"},
      {"Integer to Byte array", Variant(1), varArray | varByte, cast},
  };
  for (const auto& c : cases) ExpectConversion(c.source, c.target, c.expected, c.name);

  // An element that does not convert is named in the message.
  try {
    VarAsType(VarArrayOf({1, 256}), varArray | varByte);
    ADD_FAILURE() << "no exception";
  } catch (const EVariantOverflowError& e) {
    EXPECT_EQ(e.Message(), u"Overflow while converting variant of type (Integer) into type (Byte)");
  }
  EXPECT_THROW(VarAsType(Variant(1), 0x0555), EVariantBadVarTypeError);
  EXPECT_EQ(VarAsType(Variant(1), varVariant).VarType(), varInteger);
}

TEST_F(VariantConversion, NullAndEmptyAsText) {
  EXPECT_EQ(VarToStr(Variant::Null()), u"");
  EXPECT_EQ(VarToStr(Variant()), u"");
  EXPECT_EQ(VarToStrDef(Variant::Null(), u"(none)"), u"(none)");
  EXPECT_EQ(VarToStrDef(Variant(), u"(none)"), u"");
  EXPECT_EQ(VarToStrDef(Variant(5), u"(none)"), u"5");
  EXPECT_EQ(VarToWideStr(Variant(u"ж")), u"ж");
  try {
    Variant::Null().AsString();
    FAIL() << "no exception";
  } catch (const EVariantTypeCastError& e) {
    EXPECT_EQ(e.Message(), u"Could not convert variant of type (Null) into type (UnicodeString)");
  }
  try {
    Variant::Null().AsAnsiString();
    FAIL() << "no exception";
  } catch (const EVariantTypeCastError& e) {
    EXPECT_EQ(e.Message(), u"Could not convert variant of type (Null) into type (String)");
  }
}

TEST_F(VariantConversion, AccessorsAgreeWithVarAsType) {
  const Variant sources[] = {Variant(2.5),          Variant(u"7"),       Variant(true),
                             Variant(int64_t{-3}),  Variant(Currency(4)), Variant::FromDate(1.5),
                             Variant(IntegerToBcd(9)), Variant()};
  for (const Variant& v : sources) {
    std::string name = Describe(v);
    EXPECT_EQ(v.AsInteger(), VarAsType(v, varInteger).AsInteger()) << name;
    EXPECT_EQ(v.AsInt64(), VarAsType(v, varInt64).AsInt64()) << name;
    EXPECT_EQ(v.AsDouble(), VarAsType(v, varDouble).AsDouble()) << name;
    EXPECT_EQ(v.AsCurrency(), VarAsType(v, varCurrency).AsCurrency()) << name;
    EXPECT_EQ(v.AsBoolean(), VarAsType(v, varBoolean).AsBoolean()) << name;
    EXPECT_EQ(v.AsString(), VarAsType(v, varUString).AsString()) << name;
    EXPECT_EQ(v.AsDateTime(), VarToDateTime(v)) << name;
    EXPECT_EQ(BcdCompare(v.AsBcd(), VarToBcd(v)), 0) << name;
  }
  EXPECT_EQ(Variant(uint32_t{4000000000u}).AsLongWord(), 4000000000u);
  EXPECT_THROW(Variant(-1).AsLongWord(), EVariantOverflowError);
  EXPECT_EQ(Variant(u"18446744073709551615").AsUInt64(), UINT64_MAX);
}

TEST_F(VariantConversion, CyrillicTextSurvivesEveryTextForm) {
  const String text = u"Љубов, Ѓорѓи и Ќосе: ЖЏЅ жџѕ";
  const AnsiString utf8 = UTF8Encode(text);
  Variant wide(text);
  EXPECT_EQ(wide.AsAnsiString(), utf8);
  EXPECT_EQ(Variant(utf8).AsString(), text);
  EXPECT_EQ(VarAsType(wide, varString).AsAnsiString(), utf8);
  EXPECT_EQ(VarAsType(VarAsType(wide, varString), varUString).AsString(), text);
  EXPECT_EQ(VarAsType(wide, varOleStr).AsString(), text);
  EXPECT_EQ(VarToStr(VarAsType(wide, varOleStr)), text);
  Variant array = VarArrayOf({wide, Variant(utf8)});
  EXPECT_EQ(array[0].AsString(), text);
  EXPECT_EQ(array[1].AsString(), text);
  // Malformed 8-bit text converts without failing.
  EXPECT_EQ(Variant(AnsiString("ab\xD0")).AsString(), u"ab\xFFFD");
}

TEST_F(VariantConversion, CommaDecimalLocale) {
  FormatSettings() = MacedonianSettings();
  struct Case {
    const char* name;
    Variant source;
    uint16_t target;
    const char* expected;
  } cases[] = {
      {"Double to text", Variant(2.5), varUString, "2,5"},
      {"Currency to text", Variant(Currency::FromRaw(-12345)), varUString, "-1,2345"},
      {"BCD to text", Variant(Bcd("0.125")), varUString, "0,125"},
      {"Date to text", Variant::FromDate(45351.5), varUString, "29.02.2024 12:00:00"},
      {"Comma text to Double", Variant(u"2,5"), varDouble, "2.5"},
      {"Point text to Double", Variant(u"2.5"), varDouble, cast},
      {"Comma text to Currency", Variant(u"-1,2345"), varCurrency, "-1.2345"},
      {"Comma text to BCD", Variant(u"0,125"), varFMTBcd, "0.125"},
      {"Comma text to Integer", Variant(u"2,5"), varInteger, "2"},
      {"Local date text to Date", Variant(u"29.02.2024"), varDate, "45351"},
      {"Comma text to Boolean", Variant(u"0,0"), varBoolean, "False"},
  };
  for (const auto& c : cases) ExpectConversion(c.source, c.target, c.expected, c.name);
}

TEST_F(VariantConversion, ByteArraysHoldCopies) {
  TBytes bytes = {0, 1, 2, 0xFF};
  Variant v(bytes);
  bytes[0] = 9;
  TBytes out = v.AsBytes();
  EXPECT_EQ(out, (TBytes{0, 1, 2, 0xFF}));
  out[1] = 9;
  EXPECT_EQ(v.AsBytes(), (TBytes{0, 1, 2, 0xFF}));
  EXPECT_EQ(v.LowBound(1), 0);
  EXPECT_EQ(v.HighBound(1), 3);
  EXPECT_TRUE(Variant(TBytes{}).AsBytes().empty());
  EXPECT_EQ(Variant(TBytes{}).HighBound(1), -1);
  EXPECT_TRUE(Variant().AsBytes().empty());
  try {
    Variant(u"abc").AsBytes();
    FAIL() << "no exception";
  } catch (const EVariantTypeCastError& e) {
    EXPECT_EQ(e.Message(), u"Could not convert variant of type (UnicodeString) into type (Array Byte)");
  }
  EXPECT_THROW(VarArrayOf({1, 2}).AsBytes(), EVariantTypeCastError);
  EXPECT_THROW(Variant::Null().AsBytes(), EVariantTypeCastError);
}

}  // namespace
