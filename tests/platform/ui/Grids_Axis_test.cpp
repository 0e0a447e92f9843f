#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/ui/Grids.h"

namespace {

// Offsets summed one by one, to check the axis's sums and searches against.
struct TNaiveAxis {
  std::vector<int> Sizes;
  long long Start(int index, int line) const {
    long long s = 0;
    for (int i = 0; i < index && i < static_cast<int>(Sizes.size()); ++i) s += Sizes[i] + line;
    return s;
  }
  int IndexAt(long long offset, int line) const {
    if (offset < 0) return -1;
    long long s = 0;
    for (int i = 0; i < static_cast<int>(Sizes.size()); ++i) {
      s += Sizes[i] + line;
      if (offset < s) return i;
    }
    return static_cast<int>(Sizes.size());
  }
};

TEST(GridAxis, UniformSizesAreComputedAndMappedBothWays) {
  TGridAxis axis;
  axis.SetDefaultSize(24);
  axis.SetCount(1000000);
  EXPECT_TRUE(axis.Uniform());
  EXPECT_EQ(axis.Start(999000, 1), 999000LL * 25);
  EXPECT_EQ(axis.IndexAt(999000LL * 25, 1), 999000);
  EXPECT_EQ(axis.IndexAt(999000LL * 25 - 1, 1), 998999);  // the line belongs to the cell before
  EXPECT_EQ(axis.IndexAt(25LL * 1000000, 1), 1000000);    // past the end
  EXPECT_EQ(axis.IndexAt(-1, 1), -1);
}

TEST(GridAxis, MixedSizesAgreeWithSummingOneByOne) {
  std::mt19937 random(7);
  for (int line : {0, 1, 3}) {
    SCOPED_TRACE(line);
    TGridAxis axis;
    TNaiveAxis naive;
    axis.SetDefaultSize(20);
    axis.SetCount(300);
    naive.Sizes.assign(300, 20);
    // Zero-width cells are among them: they are never the cell at an offset.
    for (int i = 0; i < 120; ++i) {
      int index = static_cast<int>(random() % 300);
      int size = static_cast<int>(random() % 4 == 0 ? 0 : random() % 60);
      axis.SetSize(index, size);
      naive.Sizes[static_cast<size_t>(index)] = size;
    }
    ASSERT_FALSE(axis.Uniform());
    long long total = naive.Start(300, line);
    for (long long offset = -1; offset <= total + 2; ++offset) {
      ASSERT_EQ(axis.IndexAt(offset, line), naive.IndexAt(offset, line)) << "offset " << offset;
    }
    for (int i = 0; i <= 300; ++i) ASSERT_EQ(axis.Start(i, line), naive.Start(i, line)) << i;

    // Moving a size and growing the count keep the sums right.
    axis.Move(10, 250);
    int moved = naive.Sizes[10];
    naive.Sizes.erase(naive.Sizes.begin() + 10);
    naive.Sizes.insert(naive.Sizes.begin() + 250, moved);
    axis.Move(299, 0);
    moved = naive.Sizes[299];
    naive.Sizes.pop_back();
    naive.Sizes.insert(naive.Sizes.begin(), moved);
    axis.SetCount(310);
    naive.Sizes.resize(310, 20);
    for (int i = 0; i <= 310; ++i) ASSERT_EQ(axis.Start(i, line), naive.Start(i, line)) << i;
    for (long long offset = 0; offset <= naive.Start(310, line); offset += 7)
      ASSERT_EQ(axis.IndexAt(offset, line), naive.IndexAt(offset, line)) << "offset " << offset;
  }
}

TEST(GridAxis, ANewDefaultForgetsSizesAndOutOfRangeSizesAreTheDefault) {
  TGridAxis axis;
  axis.SetDefaultSize(10);
  axis.SetCount(5);
  axis.SetSize(2, 30);
  axis.SetSize(7, 99);   // past the count: ignored
  axis.SetSize(1, -5);   // negative: none
  EXPECT_EQ(axis.Size(2), 30);
  EXPECT_EQ(axis.Size(1), 0);
  EXPECT_EQ(axis.Size(7), 10);
  EXPECT_EQ(axis.Start(5, 0), 10 + 0 + 30 + 10 + 10);
  axis.SetDefaultSize(12);
  EXPECT_TRUE(axis.Uniform());
  EXPECT_EQ(axis.Size(2), 12);
  // Shrinking and growing the count brings back the default for new cells only.
  axis.SetSize(4, 40);
  axis.SetCount(3);
  axis.SetCount(6);
  EXPECT_EQ(axis.Size(4), 12);
}

}  // namespace
