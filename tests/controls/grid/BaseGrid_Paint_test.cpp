// The base grid's painting, seen through the drawing calls of its window.
#include "tests/controls/grid/BaseGridTestSupport.h"

#include <algorithm>
#include <map>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/DrawingLog.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/WinApi.h"

using namespace basegridtest;

namespace {

class BaseGridPaintTest : public TBaseGridTest {
 public:
  // Paints the whole grid once and keeps what was drawn.
  void PaintAll() {
    Log.Clear();
    Grid->Contents.clear();
    Grid->ContentRects.clear();
    SetWindowPaintLog(Grid->Handle(), &Log);
    Grid->Invalidate();
    Grid->Update();
    SetWindowPaintLog(Grid->Handle(), nullptr);
  }
  int ContentsOf(int c, int r) const {
    std::string key = std::to_string(c) + "," + std::to_string(r);
    return static_cast<int>(std::count(Grid->Contents.begin(), Grid->Contents.end(), key));
  }
  // The fill that covers exactly this rectangle.
  const TDrawingCall* FillOf(const TRect& r) const {
    for (const TDrawingCall& call : Log.Calls())
      if (call.Name == "FillRect" && call.ArgRect() == r) return &call;
    return nullptr;
  }
  TDrawingLog Log;
};

TEST_F(BaseGridPaintTest, AMergedRangeIsPaintedAtMostTwicePerPass) {
  Grid->MergeCells(2, 2, 3, 3);
  int pass = Grid->PaintPass();
  PaintAll();
  EXPECT_EQ(Grid->PaintPass(), pass + 1);
  EXPECT_EQ(ContentsOf(2, 2), 2) << "by its base cell and by its first covered cell";
  for (int r = 2; r <= 4; ++r)
    for (int c = 2; c <= 4; ++c)
      if (c != 2 || r != 2) {
        EXPECT_EQ(ContentsOf(c, r), 0) << c << "," << r;
      }
  ASSERT_FALSE(Grid->ContentRects.empty());
  // The content of the range fills the whole rectangle, less the lines.
  EXPECT_NE(FillOf(Rect(100, 40, 250, 100)), nullptr) << Log.Dump();
  PaintAll();
  EXPECT_EQ(ContentsOf(2, 2), 2) << "the next pass paints it again";
}

TEST_F(BaseGridPaintTest, TheHiddenFooterRowIsAPlainRectangle) {
  Grid->SetHideLastRow(true);
  Grid->SetTopRow(5);
  PaintAll();
  for (int c = 0; c < 8; ++c) EXPECT_EQ(ContentsOf(c, 11), 0);
  TRect footer = Grid->CellRect(1, 11);
  ASSERT_FALSE(footer.Right <= footer.Left);
  bool found = false;
  for (const TDrawingCall& call : Log.Named("Rectangle"))
    if (call.ArgRect() == footer) {
      found = true;
      EXPECT_EQ(call.BrushColor, ColorToRGB(Grid->Color()));
      EXPECT_EQ(call.PenColor, ColorToRGB(Grid->Color()));
    }
  EXPECT_TRUE(found) << Log.Dump();
  for (const TDrawingCall& call : Log.Named("LineTo"))
    EXPECT_FALSE(call.Args[1] > footer.Top && call.Args[1] < footer.Bottom &&
                 call.Args[3] > footer.Top && call.Args[3] < footer.Bottom)
        << "no line inside the footer";
}

TEST_F(BaseGridPaintTest, OnlyCellsReachingUnderTheFixedAreaAreClipped) {
  Grid->MergeCells(1, 3, 3, 2);
  Grid->SetLeftCol(2);  // the range's base column scrolls under the fixed column
  PaintAll();
  bool rangeClipped = false;
  for (const TDrawingCall& call : Log.Named("FillRect")) {
    TRect r = call.ArgRect();
    if (r == Rect(0, 60, 150, 100)) {
      rangeClipped = true;
      EXPECT_TRUE(call.Clipped);
      EXPECT_GE(call.ClipBox.Left, 50) << "cut at the fixed column's edge";
    } else if (r.Right <= 50) {
      EXPECT_FALSE(call.Clipped) << "a fixed cell is never clipped";
    } else if (r.Left >= 50 && r.Top >= 20) {
      EXPECT_FALSE(call.Clipped) << "nor a cell in the scrolled part";
    }
  }
  EXPECT_TRUE(rangeClipped) << Log.Dump();
}

TEST_F(BaseGridPaintTest, GridLinesInsideTheCells) {
  Grid->SetGridLineWidth(3);
  Grid->SetGridLineColor(clTeal);
  Grid->SetGridFixedLineColor(clMaroon);
  EXPECT_EQ(Grid->TObjStringGrid::GridLineWidth(), 0) << "the class library's lines stay off";
  PaintAll();
  // Normal cell (2,2) at (100,40)-(150,60): lines offset by (3 + 1) div 2 = 2.
  auto hasLine = [&](int x1, int y1, int x2, int y2, TColor color) {
    for (const TDrawingCall& call : Log.Named("LineTo"))
      if (call.Args == std::vector<int32_t>{x1, y1, x2, y2} && call.PenColor == ColorToRGB(color))
        return true;
    return false;
  };
  EXPECT_TRUE(hasLine(99, 58, 149, 58, clTeal)) << Log.Dump();
  EXPECT_TRUE(hasLine(148, 58, 148, 38, clTeal));
  // Fixed cell (2,0) at (100,0)-(150,20): one pixel in.
  EXPECT_TRUE(hasLine(100, 19, 150, 19, clMaroon));
  EXPECT_TRUE(hasLine(149, 19, 149, -1, clMaroon));
  // Content: a normal cell shrinks by the line width, a fixed cell loses 1 right and 2 below.
  for (size_t i = 0; i < Grid->Contents.size(); ++i) {
    if (Grid->Contents[i] == "2,2") {
      EXPECT_EQ(Grid->ContentRects[i], Rect(103, 43, 147, 57));
    }
    if (Grid->Contents[i] == "2,0") {
      EXPECT_EQ(Grid->ContentRects[i], Rect(100, 0, 149, 18));
    }
  }
}

TEST_F(BaseGridPaintTest, ActiveAndHoverRowColours) {
  Grid->SetColor(clWhite);
  Grid->SetActiveRowShow(true);
  Grid->SetActiveRowColor(clYellow);
  Grid->SetCol(2);
  Grid->SetRow(3);
  Grid->SetHoverRow(true);
  Grid->SetHoverRowColor(clLime);
  Grid->SetHoverRowIndex(5);
  PaintAll();
  auto fill = [&](int c, int r) -> COLORREF {
    const TDrawingCall* call = FillOf(Grid->CellRect(c, r));
    return call ? call->BrushColor : CLR_INVALID;
  };
  EXPECT_EQ(fill(1, 3), ColorToRGB(clYellow)) << "a scrollable cell of the current row";
  EXPECT_EQ(fill(4, 3), ColorToRGB(clYellow));
  EXPECT_EQ(fill(2, 3), ColorToRGB(clHighlight)) << "the current cell keeps its selected look";
  EXPECT_EQ(fill(0, 3), ColorToRGB(Grid->FixedColor())) << "the fixed cell is not in the row";
  EXPECT_EQ(fill(3, 5), ColorToRGB(clLime));
  EXPECT_EQ(fill(3, 4), ColorToRGB(clWhite));

  Grid->SetShowSelection(false);
  PaintAll();
  EXPECT_EQ(fill(2, 3), ColorToRGB(clYellow)) << "without the selection look";

  // A selected cell of the hover row takes the hover colour only while hcSelected is in the set.
  Grid->SetShowSelection(true);
  Grid->SetActiveRowShow(false);
  Grid->SetHoverRowIndex(3);
  PaintAll();
  EXPECT_EQ(fill(2, 3), ColorToRGB(clLime));
  EXPECT_NE(fill(0, 3), ColorToRGB(clLime)) << "fixed cells only with hcFixed";
  Grid->SetHoverRowCells(THoverRowCells{THoverRowCell::hcNormal, THoverRowCell::hcFixed});
  PaintAll();
  EXPECT_EQ(fill(2, 3), ColorToRGB(clHighlight));
  EXPECT_EQ(fill(0, 3), ColorToRGB(clLime));
  EXPECT_EQ(fill(4, 3), ColorToRGB(clLime));
}

TEST_F(BaseGridPaintTest, RoundedSelectionEndsFollowTheSelectedColumns) {
  Grid->SetColor(clWhite);
  Grid->SetSelectionStyle(1);
  Grid->SetOptions(Grid->Options() + TGridOptions{goRangeSelect, goDrawFocusSelected});
  TColor border = 0x00FDDE99;
  // Where the box of each cell has an outer corner (the grid's colour) and where it runs on.
  struct Case {
    const char* Name;
    TGridRect Selection;
    int Col;
    bool LeftCorner, RightCorner;
  } cases[] = {
      {"single cell", {3, 3, 3, 3}, 3, true, true},
      {"left end", {2, 3, 5, 3}, 2, true, false},
      {"middle", {2, 3, 5, 3}, 3, false, false},
      {"middle too", {2, 3, 5, 3}, 4, false, false},
      {"right end", {2, 3, 5, 3}, 5, false, true},
  };
  for (const Case& c : cases) {
    Grid->SetSelection(c.Selection);
    TBitmap bitmap(50, 20);
    bitmap.Canvas()->Brush()->SetColor(clBlack);
    bitmap.Canvas()->FillRect(Rect(0, 0, 50, 20));
    Grid->PaintCellOnCanvas(bitmap.Canvas(), c.Col, 3, Rect(0, 0, 50, 20),
                            TGridDrawState{gdSelected});
    TColor left = bitmap.Canvas()->Pixels(0, 0);
    TColor right = bitmap.Canvas()->Pixels(48, 0);
    EXPECT_EQ(left == clWhite, c.LeftCorner) << c.Name << ": " << left;
    EXPECT_EQ(right == clWhite, c.RightCorner) << c.Name << ": " << right;
    if (!c.LeftCorner) {
      EXPECT_EQ(left, border) << c.Name;
    }
  }
}

TEST_F(BaseGridPaintTest, ACellPaintedElsewhereTakesTheActiveRowColoursAndNoText) {
  Grid->SetActiveRowColor(clFuchsia);
  TBitmap bitmap(60, 30);
  TDrawingLog log;
  SetDrawingLog(bitmap.Canvas()->Handle(), &log);
  Grid->PaintCellOnCanvas(bitmap.Canvas(), 2, 2, Rect(0, 0, 50, 20), TGridDrawState{gdSelected});
  SetDrawingLog(bitmap.Canvas()->Handle(), nullptr);
  EXPECT_TRUE(Grid->Contents.empty());
  EXPECT_TRUE(log.Named("DrawText").empty());
  std::vector<TDrawingCall> fills = log.Named("FillRect");
  ASSERT_FALSE(fills.empty()) << log.Dump();
  EXPECT_EQ(fills[0].ArgRect(), Rect(0, 0, 50, 20));
  EXPECT_EQ(fills[0].BrushColor, ColorToRGB(clFuchsia));
  EXPECT_EQ(bitmap.Canvas()->Pixels(25, 10), clFuchsia) << "nothing of it is cut away";
}

}  // namespace
