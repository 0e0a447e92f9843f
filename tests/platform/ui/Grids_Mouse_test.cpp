#include <gtest/gtest.h>

#include "tests/platform/ui/GridTestSupport.h"

namespace {

using gridtest::TGridTest;

// In the fixture every cell takes 50 x 20 pixels and a 1-pixel line: column c starts at 51 c and
// its border (the line after it) is at 51 c + 50; row r starts at 21 r, its border at 21 r + 20.
constexpr int ColBorder(int col) { return 51 * col + 50; }
constexpr int RowBorder(int row) { return 21 * row + 20; }

class GridMouseTest : public TGridTest {
 public:
  // The border after a column as it lies now (left to right).
  int BorderOf(int col) { return Grid->CellRect(col, 0).Right; }
};

TEST_F(GridMouseTest, ClickDragAndShiftClickSelect) {
  Run([&] { ClickAt(AtCell(2, 3)); });
  EXPECT_EQ(Current(), (TGridCoord{2, 3}));
  EXPECT_EQ(Grid->Selection(), (TGridRect{2, 3, 2, 3}));

  // Dragging selects the range from the press; the grid is selecting while the button is down.
  Run([&] {
    Press(AtCell(2, 3));
    InjectMouseMove(AtCell(4, 5));
  });
  EXPECT_EQ(Grid->GridState(), gsSelecting);
  EXPECT_EQ(Grid->StateSeenByMove, gsSelecting);
  Run([&] { Release(AtCell(4, 5)); });
  EXPECT_EQ(Grid->GridState(), gsNormal);
  EXPECT_EQ(Grid->Selection(), (TGridRect{2, 3, 4, 5}));
  EXPECT_EQ(Current(), (TGridCoord{4, 5}));

  // Shift+click stretches from the anchor; a click on a fixed cell changes nothing.
  Run([&] {
    InjectKey(VK_SHIFT, true);
    ClickAt(AtCell(1, 1));
    InjectKey(VK_SHIFT, false);
  });
  EXPECT_EQ(Grid->Selection(), (TGridRect{1, 1, 2, 3}));
  Run([&] { ClickAt(AtCell(0, 6)); ClickAt(AtCell(3, 0)); });
  EXPECT_EQ(Grid->Selection(), (TGridRect{1, 1, 2, 3}));

  // Without goRangeSelect a drag only moves the current cell.
  Grid->SetOptions(Grid->Options() >> goRangeSelect);
  Run([&] {
    Press(AtCell(2, 2));
    InjectMouseMove(AtCell(3, 4));
    Release(AtCell(3, 4));
  });
  EXPECT_EQ(Grid->Selection(), (TGridRect{3, 4, 3, 4}));
}

TEST_F(GridMouseTest, HoldingTheButtonBelowTheGridScrollsOnTheTimer) {
  Run([&] {
    Press(AtCell(2, 2));
    InjectMouseMove(AtClient(120, 260));  // below the client area
  });
  ASSERT_EQ(Grid->GridState(), gsSelecting);
  int rowBefore = Grid->Row();
  Script().AdvanceBy(600);
  RunScript();
  EXPECT_GT(Grid->TopRow(), 1);
  EXPECT_GT(Grid->Row(), rowBefore);
  EXPECT_EQ(Grid->Row(), Grid->TopRow() + Grid->VisibleRowCount() - 1);
  EXPECT_EQ(Grid->Selection().Top, 2);  // the anchor stayed
  int topWhileHeld = Grid->TopRow();
  Run([&] { Release(AtClient(120, 260)); });
  Script().AdvanceBy(600);
  RunScript();
  EXPECT_EQ(Grid->TopRow(), topWhileHeld);  // the timer stopped with the release
}

TEST_F(GridMouseTest, ColumnAndRowSizingRunsThroughTheSizingStatesAndHooks) {
  Grid->SetOptions(Grid->Options() << goColSizing << goRowSizing);
  TGridState state;
  int index = -1, pos = 0, ofs = 0;
  TGridDrawInfo info;
  // CalcSizingState finds the border near the mouse in the fixed row (or column) only.
  Grid->CalcSizingStateForTest(ColBorder(2) + 1, 10, state, index, pos, ofs, info);
  EXPECT_EQ(state, gsColSizing);
  EXPECT_EQ(index, 2);
  Grid->CalcSizingStateForTest(ColBorder(2) + 1, 50, state, index, pos, ofs, info);
  EXPECT_EQ(state, gsNormal);
  Grid->CalcSizingStateForTest(10, RowBorder(3) - 2, state, index, pos, ofs, info);
  EXPECT_EQ(state, gsRowSizing);
  EXPECT_EQ(index, 3);

  Grid->Log.clear();
  Run([&] {
    Press(AtClient(ColBorder(2), 10));
    InjectMouseMove(AtClient(ColBorder(2) + 20, 12));
  });
  EXPECT_EQ(Grid->StateSeenByMove, gsColSizing);
  EXPECT_EQ(Grid->ColWidths(2), 50);  // the width changes on release
  Run([&] { Release(AtClient(ColBorder(2) + 20, 12)); });
  EXPECT_EQ(Grid->GridState(), gsNormal);
  EXPECT_EQ(Grid->ColWidths(2), 70);
  EXPECT_EQ(Grid->Log, std::vector<std::string>{"widths"});

  Grid->Log.clear();
  Run([&] {
    Press(AtClient(10, RowBorder(3)));
    InjectMouseMove(AtClient(12, RowBorder(3) - 10));
    Release(AtClient(12, RowBorder(3) - 10));
  });
  EXPECT_EQ(Grid->StateSeenByMove, gsRowSizing);
  EXPECT_EQ(Grid->RowHeights(3), 10);
  EXPECT_EQ(Grid->Log, std::vector<std::string>{"heights"});

  // Right to left, the border is on the cell's left and dragging it leftwards widens the column.
  int border = BorderOf(4);
  Grid->SetBiDiMode(bdRightToLeft);
  Run([&] {
    Press(AtClient(299 - border, 10));
    InjectMouseMove(AtClient(299 - border - 15, 10));
    Release(AtClient(299 - border - 15, 10));
  });
  EXPECT_EQ(Grid->ColWidths(4), 65);
  Grid->SetBiDiMode(bdLeftToRight);

  // A descendant that clears the state in CalcSizingState stops the sizing.
  Grid->RefuseSizing = true;
  border = BorderOf(3);
  Run([&] {
    Press(AtClient(border, 10));
    InjectMouseMove(AtClient(border + 30, 10));
    Release(AtClient(border + 30, 10));
  });
  EXPECT_EQ(Grid->ColWidths(3), 50);

  // Without the options the borders do nothing.
  Grid->RefuseSizing = false;
  Grid->SetOptions(Grid->Options() >> goColSizing);
  border = BorderOf(1);
  Run([&] {
    Press(AtClient(border, 10));
    InjectMouseMove(AtClient(border + 30, 10));
    Release(AtClient(border + 30, 10));
  });
  EXPECT_EQ(Grid->ColWidths(1), 50);
}

TEST_F(GridMouseTest, MovingAColumnOrARowByItsFixedCellMovesItsCells) {
  Grid->SetOptions(Grid->Options() << goColMoving << goRowMoving);
  Grid->SetColWidths(2, 40);
  Grid->FocusCell(2, 5, true);
  Grid->Log.clear();
  Run([&] {
    Press(AtCell(2, 0));
    InjectMouseMove(AtCell(3, 0));
    InjectMouseMove(AtCell(4, 0, 30));
  });
  EXPECT_EQ(Grid->StateSeenByMove, gsColMoving);
  Run([&] { Release(AtCell(4, 0, 30)); });
  EXPECT_EQ(Grid->GridState(), gsNormal);
  EXPECT_EQ(Grid->Log, (std::vector<std::string>{"colmoved 2>4 moving"}));
  EXPECT_EQ(Grid->Cells(4, 7), u"к2:7");
  EXPECT_EQ(Grid->Cells(2, 7), u"к3:7");
  EXPECT_EQ(Grid->Cells(3, 0), u"к4:0");
  EXPECT_EQ(Grid->ColWidths(4), 40);  // the width went with the column
  EXPECT_EQ(Grid->ColWidths(2), 50);
  EXPECT_EQ(Grid->Col(), 4);          // and so did the current cell

  Grid->Log.clear();
  Run([&] {
    Press(AtCell(0, 6));
    InjectMouseMove(AtCell(0, 2));
    Release(AtCell(0, 2));
  });
  EXPECT_EQ(Grid->StateSeenByMove, gsRowMoving);
  EXPECT_EQ(Grid->Log, (std::vector<std::string>{"rowmoved 6>2"}));
  EXPECT_EQ(Grid->Cells(1, 2), u"к1:6");
  EXPECT_EQ(Grid->Cells(1, 3), u"к1:2");
  EXPECT_EQ(Grid->Cells(1, 6), u"к1:5");
  EXPECT_EQ(Grid->Row(), 6);  // the current row 5 slid down by one

  // A press and release on the same fixed cell moves nothing.
  Grid->Log.clear();
  Run([&] { ClickAt(AtCell(3, 0)); });
  EXPECT_TRUE(Grid->Log.empty());
}

TEST_F(GridMouseTest, TheWheelMovesTheRowAndScrollMessagesUseTheThumbScale) {
  Grid->FocusCell(3, 5, true);
  Run([&] { InjectMouseWheel(-WHEEL_DELTA, AtCell(3, 5)); });
  EXPECT_EQ(Grid->Row(), 6);
  Run([&] { InjectMouseWheel(2 * WHEEL_DELTA, AtCell(3, 5)); });
  EXPECT_EQ(Grid->Row(), 4);

  // A vertical bar narrows the client area and leaves the rows as they were.
  Grid->SetScrollBars(ssVertical);
  const int maxTop = 12;  // rows 12..19 fill the area left below the fixed row
  Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 127), 0);
  int lastTop = Grid->TopRow();
  EXPECT_EQ(GetScrollPos(Grid->Handle(), SB_VERT), 127);
  EXPECT_EQ(Grid->Row(), 4);  // scrolling leaves the current cell
  struct TScrollCase {
    int Code;
    int Pos;
    int ExpectedTop;
  } cases[] = {
      {SB_THUMBPOSITION, 0, 1},
      {SB_LINEDOWN, 0, 2},
      {SB_PAGEDOWN, 0, 10},
      {SB_PAGEDOWN, 0, maxTop},
      {SB_LINEUP, 0, maxTop - 1},
      {SB_THUMBPOSITION, 64, 1 + 6},  // 64 of 127 of the 11 rows that can scroll
      {SB_THUMBTRACK, 0, 1 + 6},      // tracking is off
      {SB_TOP, 0, 1},
      {SB_BOTTOM, 0, maxTop},
  };
  EXPECT_EQ(lastTop, maxTop);
  for (const TScrollCase& c : cases) {
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(static_cast<uint32_t>(c.Code), static_cast<uint32_t>(c.Pos)), 0);
    EXPECT_EQ(Grid->TopRow(), c.ExpectedTop) << "code " << c.Code << " pos " << c.Pos;
  }
  Grid->SetOptions(Grid->Options() << goThumbTracking);
  Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), 0);
  EXPECT_EQ(Grid->TopRow(), 1);
  Grid->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 127), 0);
  EXPECT_EQ(Grid->LeftCol(), 6);
}

}  // namespace
