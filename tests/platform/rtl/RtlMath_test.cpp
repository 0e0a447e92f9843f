#include "platform/rtl/RtlMath.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/rtl/Exceptions.h"

namespace {

TEST(RtlMath, RoundHalvesToEven) {
  struct Case {
    double value;
    int64_t expected;
  } cases[] = {
      {0.5, 0},
      {1.5, 2},
      {2.5, 2},
      {3.5, 4},
      {-0.5, 0},
      {-1.5, -2},
      {-2.5, -2},
      {3.7, 4},
      {-3.7, -4},
      {0.49999999999999994, 0},
      {2.5000000000000004, 3},
      {0, 0},
      {-0.0, 0},
      {4503599627370497.0, 4503599627370497},  // 2^52 + 1
      {1e18, 1000000000000000000},
      {-9223372036854775808.0, std::numeric_limits<int64_t>::min()},
  };
  for (const auto& c : cases) EXPECT_EQ(Round(c.value), c.expected) << c.value;
}

TEST(RtlMath, RoundAndTruncRejectWhatNoIntegerHolds) {
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity(), 9223372036854775808.0, -1e19};
  for (double v : bad) {
    try {
      Round(v);
      ADD_FAILURE() << "no exception for " << v;
    } catch (const ERangeError& e) {
      EXPECT_EQ(e.Message(), u"Range check error");
    }
    EXPECT_THROW(Trunc(v), ERangeError) << v;
  }
}

TEST(RtlMath, TruncFracInt) {
  EXPECT_EQ(Trunc(2.7), 2);
  EXPECT_EQ(Trunc(-2.7), -2);
  EXPECT_DOUBLE_EQ(Frac(2.75), 0.75);
  EXPECT_DOUBLE_EQ(Frac(-2.75), -0.75);
  EXPECT_DOUBLE_EQ(Int(-2.75), -2);
  EXPECT_DOUBLE_EQ(Int(1e300), 1e300);
}

TEST(RtlMath, MulDivRoundsHalvesAwayFromZero) {
  struct Case {
    int32_t a, b, c, expected;
  } cases[] = {
      {10, 3, 4, 8},
      {-10, 3, 4, -8},
      {10, 3, -4, -8},
      {-10, -3, 4, 8},  // 7.5
      {5, 1, 2, 3},
      {-5, 1, 2, -3},
      {7, 1, 3, 2},
      {8, 1, 3, 3},
      {0, 5, 3, 0},
      {64, 980, 127, 494},  // 493.86
      {1, 1, 0, -1},        // division by zero
      {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(), 1, -1},
      {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(),
       std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()},
      {std::numeric_limits<int32_t>::min(), 1, -1, -1},  // 2^31 does not fit
      {std::numeric_limits<int32_t>::min(), 2, 2, std::numeric_limits<int32_t>::min()},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
}

}  // namespace
