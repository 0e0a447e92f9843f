// Merged cells under the merge checker, and the keys that walk over them.
#include "tests/controls/grid/BaseGridTestSupport.h"

#include <array>

#include "platform/win/VirtualKeys.h"

using namespace basegridtest;

namespace {

TEST_F(TBaseGridTest, MergeAndSplitARange) {
  Grid->MergeCells(1, 1, 3, 2);
  CheckMerges(Grid);
  TCellProperties* base = Grid->GetCellProperties(1, 1);
  EXPECT_TRUE(base->IsBaseCell());
  EXPECT_EQ(base->CellSpanX(), 2);
  EXPECT_EQ(base->CellSpanY(), 1);
  TCellProperties* corner = Grid->GetCellProperties(3, 2);
  EXPECT_FALSE(corner->IsBaseCell());
  EXPECT_EQ(corner->CellSpanX(), 2);
  EXPECT_EQ(corner->CellSpanY(), 1);
  EXPECT_EQ(Grid->BaseCell(3, 2), (TPoint{1, 1}));
  int merged = 0, covered = 0;
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 3; ++c) {
      merged += Grid->IsMergedCell(c, r);
      covered += Grid->IsCoveredCell(c, r);
      EXPECT_TRUE(Grid->IsColMerged(c, r));
      EXPECT_TRUE(Grid->IsRowMerged(c, r));
    }
  EXPECT_EQ(merged, 6);
  EXPECT_EQ(covered, 5);
  EXPECT_FALSE(Grid->IsMergedCell(4, 1));
  EXPECT_EQ(Grid->GetCellSpan(2, 2), (TPoint{2, 1}));
  EXPECT_EQ(Grid->MergeCount(), 1);

  Grid->SplitCells(2, 2);
  CheckMerges(Grid);
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 3; ++c) {
      TCellProperties* p = Grid->GetCellProperties(c, r);
      EXPECT_TRUE(p->IsBaseCell());
      EXPECT_EQ(p->CellSpanX(), -1);
      EXPECT_EQ(p->CellSpanY(), -1);
    }
  EXPECT_EQ(Grid->MergeCount(), 0);
  Grid->SplitCells(2, 2);
  Grid->SplitCells(6, 6);
  EXPECT_EQ(Grid->MergeCount(), 0) << "splitting an unmerged cell changes nothing";
  EXPECT_FALSE(Grid->HasCellProperties(6, 6));
}

TEST_F(TBaseGridTest, MergingOverRangesSplitsThemFirst) {
  struct Case {
    const char* Name;
    std::vector<std::array<int, 4>> Merges;
    int Ranges;
  } cases[] = {
      {"overlapping corner", {{1, 1, 2, 2}, {2, 2, 2, 2}}, 1},
      {"inside an older range", {{1, 1, 4, 4}, {2, 2, 1, 2}}, 1},
      {"covering two ranges", {{1, 1, 2, 1}, {4, 1, 2, 1}, {1, 1, 5, 3}}, 1},
      {"beside each other", {{1, 1, 2, 2}, {3, 1, 2, 2}}, 2},
      {"a single cell merges nothing", {{1, 1, 2, 2}, {2, 2, 1, 1}}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    // A fresh grid for each case keeps the counts apart.
    delete Grid;
    Grid = new TTestBaseGrid(Form);
    Grid->SetParent(Form);
    Grid->SetColCount(8);
    Grid->SetRowCount(12);
    for (const auto& m : c.Merges) {
      Grid->MergeCells(m[0], m[1], m[2], m[3]);
      CheckMerges(Grid);
    }
    EXPECT_EQ(Grid->MergeCount(), c.Ranges);
  }
}

TEST_F(TBaseGridTest, TextOfARangeLivesInItsBaseCell) {
  Grid->SetDisplayRowLimit(12);
  std::vector<std::pair<int, int>> asked;
  Grid->OnGetDisplText = [&](TObject*, int c, int r, String&) { asked.push_back({c, r}); };
  Grid->MergeCells(2, 3, 2, 3);
  EXPECT_EQ(Grid->GetCellText(3, 5), Text(2, 3));
  EXPECT_EQ(asked.back(), std::make_pair(2, 3)) << "the hooks get the base cell";
  Grid->SetCellText(3, 4, u"Скопје");
  EXPECT_EQ(Grid->GetGridCell(2, 3), u"Скопје");
  EXPECT_EQ(Grid->GetGridCell(3, 4), Text(3, 4)) << "the covered cell's own text stays";
  EXPECT_EQ(Grid->GetCellText(2, 5), u"Скопје");
  EXPECT_TRUE(Grid->RowsInSameMerge(3, 5));
  EXPECT_FALSE(Grid->RowsInSameMerge(3, 6));
  EXPECT_FALSE(Grid->RowsInSameMerge(7, 8));
}

TEST_F(TBaseGridTest, MergedRectanglesInClientCoordinates) {
  Grid->MergeCells(1, 1, 2, 3);
  EXPECT_EQ(Grid->GetMergedCellRect(2, 2), Rect(50, 20, 150, 80));
  EXPECT_EQ(Grid->GetMergedCellSize(2, 3), (TPoint{100, 60}));
  EXPECT_EQ(Grid->GetMergedCellRect(5, 5), Rect(250, 100, 300, 120));
  Grid->SetLeftCol(2);
  Grid->SetTopRow(2);
  // The base column scrolled under the fixed one: the rectangle starts left of the fixed edge.
  EXPECT_EQ(Grid->GetMergedCellRect(2, 2), Rect(0, 0, 100, 60));
  EXPECT_EQ(Grid->GetAbsCellRect(0, 5), Rect(0, 80, 50, 100)) << "fixed columns do not scroll";
  // A zero-width column at the edge of a range still shows a pixel.
  Grid->SetLeftCol(1);
  Grid->SetTopRow(1);
  Grid->SetColWidths(4, 0);
  Grid->MergeCells(4, 6, 2, 1);
  EXPECT_EQ(Grid->GetMergedCellRect(4, 6), Rect(200, 120, 250, 140));
  Grid->SetColWidths(5, 0);
  EXPECT_EQ(Grid->GetMergedCellRect(4, 6), Rect(199, 120, 201, 140));
}

TEST_F(TBaseGridTest, ArrowsLeaveARangeInTheirDirection) {
  Grid->MergeCells(2, 2, 3, 2);  // columns 2..4, rows 2..3
  struct Case {
    const char* Name;
    TGridCoord From;
    WORD Key;
    TGridCoord To;
  } cases[] = {
      {"right from the base", {2, 2}, VK_RIGHT, {5, 2}},
      {"down from the base", {2, 2}, VK_DOWN, {2, 4}},
      {"left from the base", {2, 2}, VK_LEFT, {1, 2}},
      {"up from the base", {2, 2}, VK_UP, {2, 1}},
      {"right onto the range", {1, 3}, VK_RIGHT, {2, 2}},
      {"up onto the range", {3, 4}, VK_UP, {2, 2}},
  };
  for (const Case& c : cases) {
    Grid->SetCol(c.From.X);
    Grid->SetRow(c.From.Y);
    Press(c.Key);
    EXPECT_EQ((TGridCoord{Grid->Col(), Grid->Row()}), c.To) << c.Name;
    CheckMerges(Grid);
  }
}

TEST_F(TBaseGridTest, ARangeReachingIntoTheFixedCellsIsEnteredAtItsFirstScrollableCell) {
  Grid->MergeCells(0, 0, 3, 3);
  Grid->SetCol(2);
  Grid->SetRow(2);
  Press(VK_LEFT);
  EXPECT_EQ((TGridCoord{Grid->Col(), Grid->Row()}), (TGridCoord{1, 1}));
  Press(VK_UP);
  EXPECT_EQ((TGridCoord{Grid->Col(), Grid->Row()}), (TGridCoord{1, 1}));
  Press(VK_RIGHT);
  EXPECT_EQ((TGridCoord{Grid->Col(), Grid->Row()}), (TGridCoord{3, 1}));
  Press(VK_LEFT);
  EXPECT_EQ((TGridCoord{Grid->Col(), Grid->Row()}), (TGridCoord{1, 1}));
}

TEST_F(TBaseGridTest, PageDownNeverLandsOnTheHiddenFooter) {
  Grid->SetHideLastRow(true);
  for (int from : {3, 6, 9, 10}) {
    Grid->SetTopRow(1);
    Grid->SetRow(from);
    for (int presses = 0; presses < 3; ++presses) {
      Press(VK_NEXT);
      EXPECT_LT(Grid->Row(), Grid->RowCount() - 1) << "from " << from;
    }
    EXPECT_EQ(Grid->Row(), Grid->RowCount() - 2) << "from " << from;
  }
  // A range on the last page: the step ends in its base cell.
  Grid->MergeCells(1, 8, 2, 3);
  CheckMerges(Grid);
  Grid->SetTopRow(1);
  Grid->SetCol(2);
  Grid->SetRow(5);
  Press(VK_NEXT);
  Press(VK_NEXT);
  EXPECT_EQ((TGridCoord{Grid->Col(), Grid->Row()}), (TGridCoord{1, 8}));
  Press(VK_DOWN);
  EXPECT_EQ((TGridCoord{Grid->Col(), Grid->Row()}), (TGridCoord{1, 11}));
  Grid->SetHideLastRow(false);
  Grid->SetRow(2);
  Grid->MoveToBaseCell();
  Grid->SetCol(2);
  Grid->SetRow(9);
  Grid->MoveToBaseCell();
  EXPECT_EQ((TGridCoord{Grid->Col(), Grid->Row()}), (TGridCoord{1, 8}));
}

}  // namespace
