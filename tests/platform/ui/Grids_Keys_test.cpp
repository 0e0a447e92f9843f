#include <gtest/gtest.h>

#include "tests/platform/ui/GridTestSupport.h"

namespace {

using gridtest::TGridTest;

enum TMod { None, Shift, Ctrl };

struct TKeyCase {
  const char* Name;
  bool RowSelect;
  TGridCoord Start;
  uint16_t Key;
  TMod Mod;
  TGridCoord Expected;
  int ExpectedLeftCol;  // -1: not checked
};

class GridKeysTest : public TGridTest {
 public:
  void RunCases(const std::vector<TKeyCase>& cases, TGridOptions base) {
    for (const TKeyCase& c : cases) {
      SCOPED_TRACE(c.Name);
      TGridOptions options = base;
      if (c.RowSelect) options << goRowSelect;
      Grid->SetOptions(options);
      Grid->SetLeftCol(1);
      Grid->SetTopRow(1);
      Grid->FocusCell(c.Start.X, c.Start.Y, true);
      ASSERT_EQ(Current(), c.Start);
      Run([&] {
        if (c.Mod == Shift) InjectKey(VK_SHIFT, true);
        if (c.Mod == Ctrl) InjectKey(VK_CONTROL, true);
        Key(c.Key);
        if (c.Mod == Shift) InjectKey(VK_SHIFT, false);
        if (c.Mod == Ctrl) InjectKey(VK_CONTROL, false);
      });
      EXPECT_EQ(Grid->Col(), c.Expected.X);
      EXPECT_EQ(Grid->Row(), c.Expected.Y);
      if (c.ExpectedLeftCol >= 0) {
        EXPECT_EQ(Grid->LeftCol(), c.ExpectedLeftCol);
      }
      // The current cell always shows whole after a key.
      EXPECT_GE(Grid->Row(), Grid->TopRow());
      EXPECT_LT(Grid->Row(), Grid->TopRow() + Grid->VisibleRowCount());
    }
  }
};

TEST_F(GridKeysTest, EveryNavigationKeyWithAndWithoutRowSelection) {
  ASSERT_EQ(Grid->VisibleColCount(), 4);
  ASSERT_EQ(Grid->VisibleRowCount(), 8);
  TGridOptions base{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goTabs};
  RunCases(
      {
          {"up", false, {3, 5}, VK_UP, None, {3, 4}, -1},
          {"up stops below the fixed row", false, {3, 1}, VK_UP, None, {3, 1}, -1},
          {"down", false, {3, 5}, VK_DOWN, None, {3, 6}, -1},
          {"down stops at the last row", false, {3, 19}, VK_DOWN, None, {3, 19}, -1},
          {"left", false, {3, 5}, VK_LEFT, None, {2, 5}, -1},
          {"left stops beside the fixed column", false, {1, 5}, VK_LEFT, None, {1, 5}, -1},
          {"right", false, {3, 5}, VK_RIGHT, None, {4, 5}, -1},
          {"right stops at the last column", false, {9, 5}, VK_RIGHT, None, {9, 5}, -1},
          {"page down moves a page", false, {3, 1}, VK_NEXT, None, {3, 9}, -1},
          {"page down stops at the last row", false, {3, 15}, VK_NEXT, None, {3, 19}, -1},
          {"page up moves a page", false, {3, 12}, VK_PRIOR, None, {3, 4}, -1},
          {"page up stops at the first row", false, {3, 3}, VK_PRIOR, None, {3, 1}, -1},
          {"ctrl page up goes to the top row shown", false, {3, 12}, VK_PRIOR, Ctrl, {3, 5}, -1},
          {"ctrl page down goes to the bottom row shown", false, {3, 2}, VK_NEXT, Ctrl, {3, 8}, -1},
          {"home goes to the first column", false, {5, 5}, VK_HOME, None, {1, 5}, -1},
          {"end goes to the last column", false, {5, 5}, VK_END, None, {9, 5}, -1},
          {"ctrl home goes to the first cell", false, {5, 5}, VK_HOME, Ctrl, {1, 1}, -1},
          {"ctrl end goes to the last cell", false, {5, 5}, VK_END, Ctrl, {9, 19}, -1},
          {"tab goes right", false, {3, 5}, VK_TAB, None, {4, 5}, -1},
          {"tab wraps to the next row", false, {9, 5}, VK_TAB, None, {1, 6}, -1},
          {"tab stays at the last cell", false, {9, 19}, VK_TAB, None, {9, 19}, -1},
          {"shift tab wraps to the row before", false, {1, 6}, VK_TAB, Shift, {9, 5}, -1},
          {"shift tab stays at the first cell", false, {1, 1}, VK_TAB, Shift, {1, 1}, -1},
          {"row select: up", true, {1, 5}, VK_UP, None, {1, 4}, -1},
          {"row select: down stops at the end", true, {1, 19}, VK_DOWN, None, {1, 19}, -1},
          {"row select: right scrolls the columns", true, {1, 5}, VK_RIGHT, None, {1, 5}, 2},
          {"row select: left stops at the first column", true, {1, 5}, VK_LEFT, None, {1, 5}, 1},
          {"row select: home goes to the first row", true, {1, 7}, VK_HOME, None, {1, 1}, -1},
          {"row select: end goes to the last row", true, {1, 7}, VK_END, None, {1, 19}, -1},
          {"row select: page down", true, {1, 1}, VK_NEXT, None, {1, 9}, -1},
          {"row select: tab goes down a row", true, {1, 5}, VK_TAB, None, {1, 6}, -1},
      },
      base);
}

TEST_F(GridKeysTest, ShiftStretchesTheSelectionOnlyWithRangeSelect) {
  Grid->SetOptions(Grid->Options() << goRangeSelect);
  Grid->FocusCell(2, 2, true);
  Run([] {
    Key(VK_RIGHT, true);
    Key(VK_DOWN, true);
    Key(VK_DOWN, true);
  });
  EXPECT_EQ(Grid->Selection(), (TGridRect{2, 2, 3, 4}));
  EXPECT_EQ(Current(), (TGridCoord{3, 4}));
  // A plain arrow collapses the selection to the new current cell.
  Run([] { Key(VK_LEFT); });
  EXPECT_EQ(Grid->Selection(), (TGridRect{2, 4, 2, 4}));

  Grid->SetOptions(Grid->Options() >> goRangeSelect);
  Run([] { Key(VK_RIGHT, true); });
  EXPECT_EQ(Grid->Selection(), (TGridRect{3, 4, 3, 4}));

  // With row selection the selection spans the scrolling columns of the rows.
  Grid->SetOptions(Grid->Options() << goRowSelect << goRangeSelect);
  Run([] { Key(VK_DOWN, true); });
  EXPECT_EQ(Grid->Selection(), (TGridRect{1, 4, 9, 5}));
}

TEST_F(GridKeysTest, TabLeavesTheGridWithoutGoTabsAndRightToLeftSwapsTheArrows) {
  Grid->FocusCell(3, 3, true);
  Run([] { Key(VK_TAB); });
  EXPECT_EQ(Current(), (TGridCoord{3, 3}));

  Grid->SetBiDiMode(bdRightToLeft);
  Run([] { Key(VK_LEFT); });
  EXPECT_EQ(Current(), (TGridCoord{4, 3}));
  Run([] { Key(VK_RIGHT); Key(VK_RIGHT); });
  EXPECT_EQ(Current(), (TGridCoord{2, 3}));
}

TEST_F(GridKeysTest, SelectCellCanRefuseAMoveAndScrollingReportsTopLeft) {
  Grid->RefuseRow = 4;
  Grid->FocusCell(2, 3, true);
  Grid->Log.clear();
  Run([] { Key(VK_DOWN); });
  EXPECT_EQ(Current(), (TGridCoord{2, 3}));
  EXPECT_EQ(Grid->Log, (std::vector<std::string>{"select 2,4"}));

  Grid->RefuseRow = -1;
  Grid->Log.clear();
  Run([] { Key(VK_END, false); });
  Run([] { WithKey(VK_CONTROL, VK_END); });
  EXPECT_EQ(Current(), (TGridCoord{9, 19}));
  // Columns 6..9 and rows 12..19 show: the scrolling part moved once for each key.
  EXPECT_EQ(Grid->LeftCol(), 6);
  EXPECT_EQ(Grid->TopRow(), 12);
  EXPECT_EQ(Grid->Log, (std::vector<std::string>{"select 9,3", "topleft 6,1", "select 9,19",
                                                 "topleft 6,12"}));
}

}  // namespace
