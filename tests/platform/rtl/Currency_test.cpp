#include "platform/rtl/Currency.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/rtl/Exceptions.h"

namespace {

TEST(Currency, HoldsTheValueTimesTenThousand) {
  EXPECT_EQ(Currency().Raw(), 0);
  EXPECT_EQ(Currency(12).Raw(), 120000);
  EXPECT_EQ(Currency(-3).Raw(), -30000);
  EXPECT_EQ(Currency::FromRaw(12345).ToDouble(), 1.2345);
  EXPECT_EQ(Currency(922337203685477).Raw(), 9223372036854770000);
  EXPECT_THROW(Currency(922337203685478), EOverflow);
  EXPECT_THROW(Currency(INT64_MIN), EOverflow);
}

TEST(Currency, FromDoubleRoundsHalfToEvenAtTheFourthDecimal) {
  struct Case {
    double value;
    int64_t raw;
  } cases[] = {
      {0, 0},
      {1.5, 15000},
      {-1.5, -15000},
      {0.1, 1000},  // 0.1 is not exact in binary but rounds back to 1000 units
      {12.34565, 123456},  // just below the half in binary
      {0.00005, 1},        // just above the half in binary
      {0.03125, 312},       // exactly 312.5 units: to even
      {0.09375, 938},       // exactly 937.5 units: to even
      {-0.03125, -312},
      {-0.09375, -938},
      {0.00004, 0},
      {-0.00004, 0},
      {922337203685477.0, 9223372036854770000},
      {-922337203685477.0, -9223372036854770000},
  };
  for (const auto& c : cases) EXPECT_EQ(Currency::FromDouble(c.value).Raw(), c.raw) << c.value;
}

TEST(Currency, FromDoubleRejectsWhatDoesNotFit) {
  const double bad[] = {1e15, -1e15, 922337203685477.6, std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN()};
  for (double v : bad) {
    EXPECT_THROW(Currency::FromDouble(v), EOverflow) << v;
    Currency c = Currency(7);
    EXPECT_FALSE(TryFloatToCurr(v, c)) << v;
    EXPECT_EQ(c, Currency(7)) << "unchanged on failure";
  }
}

TEST(Currency, ArithmeticRoundsHalfToEven) {
  auto C = [](int64_t raw) { return Currency::FromRaw(raw); };
  struct Case {
    const char* name;
    Currency result;
    int64_t raw;
  } cases[] = {
      {"sum", C(10001) + C(20002), 30003},
      {"difference", C(10001) - C(20002), -10001},
      {"negation", -C(12345), -12345},
      {"whole times fraction", Currency(3) * C(3333), 9999},
      {"product half down to even", C(5) * C(5000), 2},    // 0.0005 * 0.5 = 0.00025
      {"product half up to even", C(15) * C(5000), 8},     // 0.0015 * 0.5 = 0.00075
      {"negative product half", C(-5) * C(5000), -2},
      {"product above half", C(7) * C(7000), 5},           // 0.0007 * 0.7 = 0.00049
      {"one third", Currency(1) / Currency(3), 3333},
      {"two thirds", Currency(2) / Currency(3), 6667},
      {"quotient half to even", C(1) / Currency(2), 0},    // 0.00005 -> 0
      {"quotient half up to even", C(3) / Currency(2), 2}, // 0.00015 -> 0.0002
      {"negative quotient", Currency(-2) / Currency(3), -6667},
      {"large exact product", Currency(30000000) * Currency(30000000), 9000000000000000000},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result.Raw(), c.raw) << c.name;
}

TEST(Currency, ArithmeticOverflowAndDivisionByZeroRaise) {
  EXPECT_THROW(Currency::MaxValue() + Currency::FromRaw(1), EOverflow);
  EXPECT_THROW(Currency::MinValue() - Currency::FromRaw(1), EOverflow);
  EXPECT_THROW(-Currency::MinValue(), EOverflow);
  EXPECT_THROW(Currency(100000000) * Currency(100000000), EOverflow);
  EXPECT_THROW(Currency(1) / Currency(), EZeroDivide);
  Currency c = Currency(5);
  EXPECT_THROW(c /= Currency(), EZeroDivide);
  EXPECT_EQ(c, Currency(5));
}

TEST(Currency, ComparesByValue) {
  EXPECT_LT(Currency::FromRaw(-1), Currency());
  EXPECT_EQ(Currency(2), Currency::FromRaw(20000));
  EXPECT_GT(Currency::FromRaw(10001), Currency(1));
  EXPECT_NE(Currency(1), Currency(-1));
}

TEST(Currency, ToDoubleIsTheNearestDouble) {
  EXPECT_EQ(Currency::FromRaw(1).ToDouble(), 0.0001);
  EXPECT_EQ(Currency::FromRaw(-123456789).ToDouble(), -12345.6789);
  EXPECT_EQ(Currency::MaxValue().ToDouble(), 922337203685477.5807);
}

}  // namespace
