#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/gdi/Colors.h"
#include "tests/platform/ui/GridTestSupport.h"

namespace {

using gridtest::TGridTest;

class GridGeometryTest : public TGridTest {};

TEST_F(GridGeometryTest, CellRectAndMouseCoordMirrorEachOtherInBothReadingOrders) {
  Grid->SetColWidths(2, 80);
  Grid->SetColWidths(3, 0);  // a hidden column
  Grid->SetRowHeights(4, 35);
  struct TCase {
    int Col;
    int Row;
    TRect LeftToRight;
  } cases[] = {
      {0, 0, Rect(0, 0, 50, 20)},
      {1, 0, Rect(51, 0, 101, 20)},
      {2, 3, Rect(102, 63, 182, 83)},
      {4, 4, Rect(184, 84, 234, 119)},
      {5, 5, Rect(235, 120, 285, 140)},
      {6, 8, Rect(286, 183, 300, 200)},  // cut at the client edges
  };
  for (TBiDiMode mode : {bdLeftToRight, bdRightToLeft}) {
    Grid->SetBiDiMode(mode);
    for (const TCase& c : cases) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " cell " << c.Col << "," << c.Row);
      TRect expected = c.LeftToRight;
      if (mode == bdRightToLeft) expected = Rect(300 - expected.Right, expected.Top, 300 - expected.Left, expected.Bottom);
      TRect r = Grid->CellRect(c.Col, c.Row);
      EXPECT_EQ(r, expected);
      // Every corner pixel of the rectangle maps back to the cell.
      for (TPoint p : {TPoint{r.Left, r.Top}, TPoint{r.Right - 1, r.Bottom - 1}}) {
        EXPECT_EQ(Grid->MouseCoord(p.X, p.Y), (TGridCoord{c.Col, c.Row})) << p.X << "," << p.Y;
      }
    }
    EXPECT_TRUE(IsRectEmpty(Grid->CellRect(3, 1)));  // zero width
    EXPECT_EQ(Grid->CellRect(9, 1), TRect{});      // past the client area
  }
}

TEST_F(GridGeometryTest, ScrolledOutCellsHaveNoRectangleAndFixedCellsStay) {
  Grid->SetLeftCol(3);
  Grid->SetTopRow(5);
  EXPECT_EQ(Grid->CellRect(2, 1), TRect{});
  EXPECT_EQ(Grid->CellRect(0, 0), Rect(0, 0, 50, 20));
  EXPECT_EQ(Grid->CellRect(3, 5), Rect(51, 21, 101, 41));
  EXPECT_EQ(Grid->CellRect(0, 5), Rect(0, 21, 50, 41));
  EXPECT_EQ(Grid->MouseCoord(60, 30), (TGridCoord{3, 5}));
  EXPECT_EQ(Grid->MouseCoord(60, 5), (TGridCoord{3, 0}));
  EXPECT_EQ(Grid->MouseCoord(-1, 5), (TGridCoord{-1, -1}));

  // A client area bigger than the grid has no cells past the last ones.
  Grid->SetColCount(3);
  Grid->SetRowCount(3);
  EXPECT_EQ(Grid->LeftCol(), 1);
  EXPECT_EQ(Grid->TopRow(), 1);
  EXPECT_EQ(Grid->MouseCoord(200, 30), (TGridCoord{-1, -1}));
  EXPECT_EQ(Grid->MouseCoord(60, 100), (TGridCoord{-1, -1}));
  EXPECT_EQ(Grid->VisibleColCount(), 2);
  EXPECT_EQ(Grid->VisibleRowCount(), 2);
}

TEST_F(GridGeometryTest, ChangeScaleScalesTheWidthsAndTheExplicitHeights) {
  Grid->SetColWidths(2, 60);
  Grid->SetRowHeights(3, 30);
  Grid->ChangeScale(3, 2);
  EXPECT_EQ(Grid->DefaultColWidth(), 75);
  EXPECT_EQ(Grid->ColWidths(2), 90);
  EXPECT_EQ(Grid->ColWidths(1), 75);
  EXPECT_EQ(Grid->RowHeights(3), 45);
  EXPECT_EQ(Grid->DefaultRowHeight(), 20);  // the default height is the descendant's to scale
}

TEST_F(GridGeometryTest, PaintingDrawsOnlyTheCellsThatShowWithTheirStates) {
  Grid->SetOptions(Grid->Options() << goRangeSelect);
  Grid->FocusCell(2, 2, true);
  Grid->FocusCell(3, 3, false);
  Grid->PaintNow();
  std::set<std::pair<int, int>> drawn;
  for (size_t i = 0; i < Grid->Drawn.size(); ++i) {
    TGridCoord c = Grid->Drawn[i];
    EXPECT_TRUE(drawn.insert({c.X, c.Y}).second) << "drawn twice: " << c.X << "," << c.Y;
    TGridDrawState state = Grid->DrawnStates[i];
    bool fixed = c.X == 0 || c.Y == 0;
    EXPECT_EQ(state.Contains(gdFixed), fixed);
    EXPECT_EQ(state.Contains(gdSelected), !fixed && c.X >= 2 && c.X <= 3 && c.Y >= 2 && c.Y <= 3);
    EXPECT_EQ(state.Contains(gdFocused), c.X == 3 && c.Y == 3);
  }
  // Columns 0..5 (the 5th in part) and rows 0..9 (the 9th in part) show.
  EXPECT_EQ(drawn.size(), 6u * 10u);
  EXPECT_TRUE(drawn.count({5, 9}));
  EXPECT_FALSE(drawn.count({6, 0}));

  // A million rows scrolled to the end still paint only what shows.
  Grid->SetRowCount(1000000);
  Grid->SetTopRow(999000);
  Grid->PaintNow();
  int fixedRow = 0, nearTop = 0;
  for (TGridCoord c : Grid->Drawn) {
    if (c.Y == 0) ++fixedRow;
    else if (c.Y >= 999000 && c.Y <= 999009) ++nearTop;
    else ADD_FAILURE() << "row " << c.Y << " painted";
  }
  EXPECT_EQ(fixedRow, 6);
  EXPECT_EQ(nearTop, 6 * 9);
}

TEST_F(GridGeometryTest, ScrollInViewBringsAFarCellToTheEdgeItIsNear) {
  Grid->SetColWidths(5, 120);
  Grid->ScrollInView(8, 15);
  EXPECT_EQ(Grid->TopRow(), 8);    // rows 8..15 show, the 15th at the bottom
  EXPECT_EQ(Grid->LeftCol(), 6);   // columns 6..8 are the most that fit
  Grid->ScrollInView(5, 3);
  EXPECT_EQ(Grid->TopRow(), 3);
  EXPECT_EQ(Grid->LeftCol(), 5);
  EXPECT_EQ(Grid->Log, (std::vector<std::string>{"widths", "topleft 6,8", "topleft 5,3"}));
}

}  // namespace

namespace {

TEST_F(GridGeometryTest, LinesFollowTheOptionsAndSelectedCellsAreHighlighted) {
  Grid->SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect});
  Grid->FocusCell(2, 2, true);
  Grid->FocusCell(3, 2, false);
  auto pixel = [this](int x, int y) {
    Grid->PaintNow();
    return static_cast<COLORREF>(Grid->Canvas()->Pixels(x, y));
  };
  const COLORREF window = ColorToRGB(clWindow);
  const COLORREF highlight = ColorToRGB(clHighlight);
  EXPECT_EQ(pixel(50, 30), ColorToRGB(clWindowFrame));  // the fixed column's line
  EXPECT_EQ(pixel(60, 20), ColorToRGB(clWindowFrame));  // the fixed row's line
  EXPECT_EQ(pixel(101, 80), ColorToRGB(clSilver));      // a line between scrolling cells
  EXPECT_EQ(pixel(46, 18), ColorToRGB(Grid->FixedColor()));  // clear of the text
  EXPECT_EQ(pixel(148, 60), highlight);                 // (2, 2): selected, not the current cell, clear of the text
  EXPECT_EQ(pixel(199, 60), window);                    // (3, 2): the focused cell is not filled
  EXPECT_EQ(pixel(97, 102), window);
  Grid->SetOptions(Grid->Options() << goDrawFocusSelected);
  EXPECT_EQ(pixel(199, 60), highlight);
  Grid->SetOptions(Grid->Options() >> goVertLine);
  EXPECT_EQ(pixel(101, 80), window);
  EXPECT_EQ(pixel(50, 30), ColorToRGB(clWindowFrame));
}

}  // namespace
