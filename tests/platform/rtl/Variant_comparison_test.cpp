#include <gtest/gtest.h>

#include <limits>

#include "platform/rtl/TextCompare.h"
#include "platform/rtl/Variant.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"
#include "tests/platform/rtl/VariantTestSupport.h"

namespace {

using variant_test::Describe;

class VariantComparison : public ::testing::Test {
 protected:
  void SetUp() override {
    FormatSettings() = TFormatSettings::Invariant();
    SetCollationLocale("mk_MK");
  }
  TFormatSettingsGuard FGuard;
};

TBcd Bcd(const char* text) { return StrToBcd(S(text), TFormatSettings::Invariant()); }

enum Expect { Less, Equal, Greater, Unordered, InvalidOp, CastError };

const char* Name(Expect e) {
  static const char* const names[] = {"Less", "Equal", "Greater", "Unordered", "InvalidOp",
                                      "CastError"};
  return names[e];
}

// What the six operators and VarCompareValue say about a and b, or the error they raise.
Expect Observe(const Variant& a, const Variant& b) {
  try {
    bool eq = a == b, ne = a != b;
    TVariantRelationship rel = VarCompareValue(a, b);
    EXPECT_NE(eq, ne);
    EXPECT_EQ(VarSameValue(a, b), eq);
    if (eq) {
      EXPECT_EQ(rel, vrEqual);
      EXPECT_TRUE(a <= b && a >= b && !(a < b) && !(a > b));
      return Equal;
    }
    if (rel == vrNotEqual) return Unordered;
    bool lt = a < b, le = a <= b, gt = a > b, ge = a >= b;
    EXPECT_EQ(lt, le);
    EXPECT_EQ(gt, ge);
    EXPECT_NE(lt, gt);
    EXPECT_EQ(rel, lt ? vrLessThan : vrGreaterThan);
    return lt ? Less : Greater;
  } catch (const EVariantInvalidOpError& e) {
    EXPECT_EQ(e.Message(), u"Invalid variant operation");
    return InvalidOp;
  } catch (const EVariantTypeCastError&) {
    return CastError;
  }
}

Expect Reversed(Expect e) { return e == Less ? Greater : (e == Greater ? Less : e); }

TEST_F(VariantComparison, ValuesOfEveryKind) {
  int first = 0, second = 0;
  struct Case {
    Variant a, b;
    Expect expected;
  } cases[] = {
      // Numbers compare by value across types, exactly where both are exact.
      {Variant(1), Variant(1.0), Equal},
      {Variant(1), Variant(1.5), Less},
      {Variant(int16_t{-3}), Variant(uint8_t{0}), Less},
      {Variant(uint8_t{255}), Variant(int8_t{-1}), Greater},
      {Variant(uint64_t{UINT64_MAX}), Variant(int64_t{-1}), Greater},
      {Variant(int64_t{9007199254740993}), Variant(9007199254740992.0), Greater},
      {Variant(int64_t{INT64_MAX}), Variant(int64_t{INT64_MAX - 1}), Greater},
      {Variant(Currency::FromRaw(15000)), Variant(1.5), Equal},
      {Variant(Currency::FromRaw(1000)), Variant(0.1), Equal},
      {Variant(Currency::FromRaw(3000)), Variant(0.1 + 0.2), Less},  // 0.30000000000000004
      {Variant(Currency::FromRaw(1000)), Variant(0.1f), Less},
      {Variant(Currency::FromRaw(INT64_MAX)), Variant(1e15), Less},
      {Variant(Currency::FromRaw(1)), Variant(0), Greater},
      {Variant(Currency(2)), Variant(2), Equal},
      {Variant(Currency::FromRaw(-1)), Variant(false), Less},
      {Variant(0.5f), Variant(0.5), Equal},
      {Variant(0.1f), Variant(0.1), Greater},  // a single is not rounded to look equal
      {Variant::FromDate(45351.5), Variant(45351.5), Equal},
      {Variant(std::numeric_limits<double>::quiet_NaN()), Variant(1.0), Unordered},
      // Booleans: False before True among themselves, True is -1 against numbers.
      {Variant(false), Variant(true), Less},
      {Variant(true), Variant(-1), Equal},
      {Variant(true), Variant(1), Less},
      {Variant(false), Variant(0.0), Equal},
      // Texts against texts compare as texts, in the locale's order and with case.
      {Variant(u"abc"), Variant(u"abd"), Less},
      {Variant(u"10"), Variant(u"9"), Less},
      {Variant(u"a"), Variant(u"A"), Less},
      {Variant(u"ж"), Variant(u"Ж"), Less},
      {Variant(u"Ана"), Variant(u"Борис"), Less},
      {Variant(u"Ѓорѓи"), Variant(u"Горан"), Greater},  // ѓ sorts after г in Macedonian
      {Variant(u"Бојан"), Variant(AnsiString("Бојан")), Equal},
      {Variant(u"x"), VarAsType(Variant(u"x"), varOleStr), Equal},
      // A text against a number is converted to a number.
      {Variant(u"10"), Variant(10), Equal},
      {Variant(u"10"), Variant(9), Greater},
      {Variant(u"1.0"), Variant(1), Equal},
      {Variant(u"9007199254740993"), Variant(int64_t{9007199254740992}), Greater},
      {Variant(u"0.5"), Variant(Currency::FromRaw(5000)), Equal},
      {Variant(u"0.1"), Variant(Currency::FromRaw(1000)), Equal},
      {Variant(u"0.7"), Variant(0.7), Equal},
      {Variant(u"abc"), Variant(1), CastError},
      {Variant(u""), Variant(0), CastError},
      // ... against a Boolean to a Boolean, against a date to a date.
      {Variant(u"True"), Variant(true), Equal},
      {Variant(u"0"), Variant(false), Equal},
      {Variant(u"yes"), Variant(true), CastError},
      {Variant(u"02/29/2024"), Variant::FromDate(45351), Equal},
      {Variant(u"02/28/2024"), Variant::FromDate(45351), Less},
      // Decimals and time stamps convert the other side to their own kind.
      {Variant(Bcd("12.345")), Variant(12.345), Equal},
      {Variant(Bcd("12.345")), Variant(Currency::FromRaw(123450)), Equal},
      {Variant(Bcd("0.10")), Variant(u"0.1"), Equal},
      {Variant(Bcd("-1")), Variant(0), Less},
      {Variant(Bcd("99999999999999999999.5")), Variant(Bcd("99999999999999999999.4")), Greater},
      {Variant(TSQLTimeStamp{2024, 2, 29, 12, 0, 0, 0}), Variant::FromDate(45351.5), Equal},
      {Variant(TSQLTimeStamp{2024, 2, 29, 12, 0, 0, 0}),
       Variant(TSQLTimeStamp{2024, 2, 29, 12, 0, 0, 1}), Less},
      {Variant(TSQLTimeStamp{2024, 2, 29, 12, 0, 0, 0}), Variant(u"2024-02-29 12:00"), Equal},
      // Object references differ from other objects and from every other value.
      {Variant::FromObject(&first), Variant::FromObject(&second), Unordered},
      {Variant::FromObject(&first), Variant(1), Unordered},
      // Arrays cannot be compared at all.
      {VarArrayOf({1}), VarArrayOf({1}), InvalidOp},
      {Variant(TBytes{1}), Variant(1), InvalidOp},
  };
  for (const auto& c : cases) {
    std::string name = Describe(c.a) + " vs " + Describe(c.b);
    EXPECT_STREQ(Name(Observe(c.a, c.b)), Name(c.expected)) << name;
    EXPECT_STREQ(Name(Observe(c.b, c.a)), Name(Reversed(c.expected))) << "reversed: " << name;
  }
}

TEST_F(VariantComparison, ObjectsAreEqualByIdentityAndHaveNoOrder) {
  int first = 0, second = 0;
  Variant a = Variant::FromObject(&first), b = Variant::FromObject(&second);
  EXPECT_TRUE(a == Variant::FromObject(&first));
  EXPECT_EQ(VarCompareValue(a, Variant::FromObject(&first)), vrEqual);
  EXPECT_FALSE(a == b);
  EXPECT_TRUE(a != b);
  EXPECT_EQ(VarCompareValue(a, b), vrNotEqual);
  EXPECT_THROW((void)(a < b), EVariantInvalidOpError);
  EXPECT_THROW((void)(a <= a), EVariantInvalidOpError);
  EXPECT_THROW((void)(a > Variant(1)), EVariantInvalidOpError);
}

TEST_F(VariantComparison, NullAndEmpty) {
  const Variant null = Variant::Null(), empty;
  struct Case {
    const char* name;
    Variant a, b;
    bool eq, lt, gt;
    TVariantRelationship rel;
  } cases[] = {
      {"Null, Null", null, null, true, false, false, vrEqual},
      {"Null, 0", null, Variant(0), false, true, false, vrNotEqual},
      {"0, Null", Variant(0), null, false, false, true, vrNotEqual},
      {"Null, text", null, Variant(u""), false, true, false, vrNotEqual},
      {"Null, Empty", null, empty, false, true, false, vrNotEqual},
      {"Empty, Empty", empty, empty, true, false, false, vrEqual},
      {"Empty, 0", empty, Variant(0), true, false, false, vrNotEqual},
      {"Empty, 1", empty, Variant(1), false, true, false, vrNotEqual},
      {"Empty, -0.5", empty, Variant(-0.5), false, false, true, vrNotEqual},
      {"Empty, empty text", empty, Variant(u""), true, false, false, vrNotEqual},
      {"Empty, text", empty, Variant(u"a"), false, true, false, vrNotEqual},
      {"Empty, False", empty, Variant(false), true, false, false, vrNotEqual},
      {"Empty, decimal 0", empty, Variant(IntegerToBcd(0)), true, false, false, vrNotEqual},
      {"1, Empty", Variant(1), empty, false, false, true, vrNotEqual},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.a == c.b, c.eq) << c.name;
    EXPECT_EQ(c.a != c.b, !c.eq) << c.name;
    EXPECT_EQ(c.a < c.b, c.lt) << c.name;
    EXPECT_EQ(c.a > c.b, c.gt) << c.name;
    EXPECT_EQ(c.a <= c.b, c.lt || c.eq) << c.name;
    EXPECT_EQ(c.a >= c.b, c.gt || c.eq) << c.name;
    EXPECT_EQ(VarCompareValue(c.a, c.b), c.rel) << c.name;
    EXPECT_EQ(VarSameValue(c.a, c.b), c.rel == vrEqual) << c.name;
  }
}

TEST_F(VariantComparison, TextAgainstNumberFollowsTheLocale) {
  FormatSettings() = MacedonianSettings();
  EXPECT_TRUE(Variant(u"2,5") == Variant(2.5));
  EXPECT_THROW((void)(Variant(u"2.5") == Variant(2.5)), EVariantTypeCastError);
  EXPECT_TRUE(Variant(u"29.02.2024") == Variant::FromDate(45351));
}

}  // namespace
