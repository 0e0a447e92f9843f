#include "platform/gdi/Region.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/gdi/GdiConst.h"

namespace {

using TOp = TRegionData::TOp;

// The bands are sorted, disjoint and maximal; spans within a band are sorted and do not touch.
void ExpectCanonical(const TRegionData& region) {
  const auto& bands = region.Bands();
  for (size_t i = 0; i < bands.size(); ++i) {
    const auto& band = bands[i];
    ASSERT_LT(band.Top, band.Bottom);
    ASSERT_FALSE(band.Spans.empty());
    for (size_t k = 0; k < band.Spans.size(); ++k) {
      ASSERT_LT(band.Spans[k].Left, band.Spans[k].Right);
      if (k > 0) {
        ASSERT_LT(band.Spans[k - 1].Right, band.Spans[k].Left);
      }
    }
    if (i > 0) {
      ASSERT_LE(bands[i - 1].Bottom, band.Top);
      // bands that could merge must have been merged
      ASSERT_FALSE(bands[i - 1].Bottom == band.Top && bands[i - 1].Spans == band.Spans)
          << "bands that could merge at " << band.Top;
    }
  }
}

bool Expected(TOp op, bool a, bool b) {
  switch (op) {
    case TOp::And: return a && b;
    case TOp::Or: return a || b;
    case TOp::Xor: return a != b;
    case TOp::Diff: return a && !b;
  }
  return false;
}

TEST(Region, CombinationsAgreeWithPixelMembership) {
  std::mt19937 random(12);
  std::uniform_int_distribution<int> coord(0, 40);
  auto randomRegion = [&] {
    TRegionData r;
    for (int i = 0; i < 3; ++i) {
      int a = coord(random), b = coord(random), c = coord(random), d = coord(random);
      TRect rect{std::min(a, b), std::min(c, d), std::max(a, b), std::max(c, d)};
      r = TRegionData::Combine(r, TRegionData::FromRect(rect), TOp::Or);
    }
    return r;
  };
  for (int round = 0; round < 60; ++round) {
    TRegionData a = randomRegion(), b = randomRegion();
    for (TOp op : {TOp::And, TOp::Or, TOp::Xor, TOp::Diff}) {
      TRegionData c = TRegionData::Combine(a, b, op);
      ExpectCanonical(c);
      for (int y = -1; y < 42; ++y) {
        for (int x = -1; x < 42; ++x) {
          ASSERT_EQ(c.Contains({x, y}), Expected(op, a.Contains({x, y}), b.Contains({x, y})))
              << "round " << round << " op " << static_cast<int>(op) << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(Region, ComplexityBoundsAndOffset) {
  TRegionData empty;
  EXPECT_EQ(empty.Complexity(), NULLREGION);
  EXPECT_EQ(TRegionData::FromRect({5, 5, 5, 9}).Complexity(), NULLREGION);
  TRegionData rect = TRegionData::FromRect({2, 3, 10, 7});
  EXPECT_EQ(rect.Complexity(), SIMPLEREGION);
  TRegionData two = TRegionData::Combine(rect, TRegionData::FromRect({20, 3, 25, 4}), TOp::Or);
  EXPECT_EQ(two.Complexity(), COMPLEXREGION);
  EXPECT_EQ(two.Bounds(), (TRect{2, 3, 25, 7}));
  two.Offset(-2, 10);
  EXPECT_EQ(two.Bounds(), (TRect{0, 13, 23, 17}));
  EXPECT_TRUE(two.Contains({0, 13}));
  EXPECT_FALSE(two.Contains({23, 13}));
  EXPECT_TRUE(two.IntersectsRect({22, 13, 30, 14}));
  EXPECT_FALSE(two.IntersectsRect({9, 14, 18, 17}));
  // Two touching rectangles of one height merge into one.
  TRegionData joined = TRegionData::Combine(TRegionData::FromRect({0, 0, 5, 5}),
                                            TRegionData::FromRect({5, 0, 9, 5}), TOp::Or);
  EXPECT_EQ(joined.Complexity(), SIMPLEREGION);
}

TEST(Region, RoundRectangleCutsItsCorners) {
  TRegionData r = TRegionData::FromRoundRect({0, 0, 40, 20}, 10, 10);
  ExpectCanonical(r);
  EXPECT_EQ(r.Bounds(), (TRect{0, 0, 40, 20}));
  EXPECT_FALSE(r.Contains({0, 0}));
  EXPECT_FALSE(r.Contains({39, 19}));
  EXPECT_TRUE(r.Contains({5, 0}));    // the top edge between the corners
  EXPECT_TRUE(r.Contains({0, 10}));   // the left edge between the corners
  EXPECT_TRUE(r.Contains({20, 10}));
  // The corners are mirror images.
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 40; ++x) {
      ASSERT_EQ(r.Contains({x, y}), r.Contains({39 - x, y})) << x << "," << y;
      ASSERT_EQ(r.Contains({x, y}), r.Contains({x, 19 - y})) << x << "," << y;
    }
  }
  EXPECT_EQ(TRegionData::FromRoundRect({0, 0, 10, 10}, 0, 0), TRegionData::FromRect({0, 0, 10, 10}));
}

TEST(Region, PolygonFillRules) {
  // A five-pointed star drawn in one stroke: its centre is inside by winding, outside by parity.
  TPoint star[] = {{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}};
  TRegionData winding = TRegionData::FromPolygon(star, 5, WINDING);
  TRegionData alternate = TRegionData::FromPolygon(star, 5, ALTERNATE);
  ExpectCanonical(winding);
  ExpectCanonical(alternate);
  EXPECT_TRUE(winding.Contains({20, 22}));
  EXPECT_FALSE(alternate.Contains({20, 22}));
  EXPECT_TRUE(alternate.Contains({20, 5}));  // a point of the star
  EXPECT_FALSE(winding.Contains({2, 36}));
  // A triangle covers the pixels whose centres lie inside it.
  TPoint triangle[] = {{0, 0}, {10, 0}, {0, 10}};
  TRegionData t = TRegionData::FromPolygon(triangle, 3, ALTERNATE);
  EXPECT_TRUE(t.Contains({0, 0}));
  EXPECT_TRUE(t.Contains({8, 0}));
  EXPECT_FALSE(t.Contains({9, 1}));
  EXPECT_FALSE(t.Contains({5, 5}));
  EXPECT_TRUE(t.Contains({4, 4}));
  EXPECT_TRUE(TRegionData::FromPolygon(triangle, 2, ALTERNATE).IsEmpty());
}

}  // namespace
