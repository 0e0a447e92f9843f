// A base grid on a shown form for tests, with its hooks logged, and a checker of the merge
// encoding that every merge test runs after each operation.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/grid/BaseGrid.h"
#include "tests/support/UiTestSupport.h"

namespace basegridtest {

class TTestBaseGrid : public TBaseGrid {
 public:
  explicit TTestBaseGrid(TComponent* owner) : TBaseGrid(owner) {}
  int FooterWrites = 0;
  // Columns kept past ColCount, as a descendant that hides columns has.
  int HiddenCols = 0;
  std::vector<std::string> Contents;  // "col,row" of every DrawCellContent
  std::vector<TRect> ContentRects;

  void FooterChanged() override { ++FooterWrites; }
  int GetAllColCount() override { return ColCount() + HiddenCols; }
  void DrawCellContent(TCanvas* canvas, int ACol, int ARow, const TRect& ARect,
                       TGridDrawState AState) override {
    Contents.push_back(std::to_string(ACol) + "," + std::to_string(ARow));
    ContentRects.push_back(ARect);
    TBaseGrid::DrawCellContent(canvas, ACol, ARow, ARect, AState);
  }
  using TBaseGrid::KeyDown;
  using TBaseGrid::Paint;
  using TCustomControl::Canvas;
};

class TBaseGridTest : public uitest::TUiTest {
 public:
  TBaseGridTest() {
    Application->CreateForm(Form);
    Form->SetBounds(40, 40, 520, 320);
    Grid = new TTestBaseGrid(Form);
    Grid->SetParent(Form);
    Grid->SetScrollBars(ssNone);
    // 8 columns of 50 and 12 rows of 20 in a 300 x 200 client area.
    Grid->SetBounds(10, 10, 300, 200);
    Grid->SetColCount(8);
    Grid->SetRowCount(12);
    Grid->SetDefaultColWidth(50);
    Grid->SetDefaultRowHeight(20);
    for (int c = 0; c < 8; ++c)
      for (int r = 0; r < 12; ++r) Grid->SetGridCell(c, r, Text(c, r));
    Form->Show();
    Grid->SetFocus();
  }
  static String Text(int c, int r) {
    return ::UTF8ToString("ћ" + std::to_string(c) + ":" + std::to_string(r));
  }
  void Press(WORD key) {
    WORD k = key;
    Grid->KeyDown(k, TShiftState());
  }

  // The merge encoding holds: covered cells point at a base cell whose range holds them, spans
  // agree, and MergeCount counts the live ranges.
  static void CheckMerges(TBaseGrid* grid) {
    int ranges = 0;
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->GetAllColCount(); ++c) {
        if (!grid->HasCellProperties(c, r)) continue;
        TCellProperties* p = grid->GetCellProperties(c, r);
        SCOPED_TRACE("cell " + std::to_string(c) + "," + std::to_string(r));
        if (p->IsBaseCell()) {
          if (p->CellSpanX() == -1 && p->CellSpanY() == -1) continue;
          ASSERT_GE(p->CellSpanX(), 0);
          ASSERT_GE(p->CellSpanY(), 0);
          ++ranges;
          for (int y = r; y <= r + p->CellSpanY(); ++y)
            for (int x = c; x <= c + p->CellSpanX(); ++x) {
              if (x == c && y == r) continue;
              ASSERT_TRUE(grid->HasCellProperties(x, y)) << x << "," << y;
              TCellProperties* q = grid->GetCellProperties(x, y);
              EXPECT_FALSE(q->IsBaseCell()) << x << "," << y;
              EXPECT_EQ(q->CellSpanX(), x - c) << x << "," << y;
              EXPECT_EQ(q->CellSpanY(), y - r) << x << "," << y;
            }
        } else {
          TPoint base = grid->BaseCell(c, r);
          ASSERT_TRUE(grid->HasCellProperties(base.X, base.Y));
          TCellProperties* b = grid->GetCellProperties(base.X, base.Y);
          EXPECT_TRUE(b->IsBaseCell());
          EXPECT_LE(c, base.X + b->CellSpanX());
          EXPECT_LE(r, base.Y + b->CellSpanY());
        }
      }
    EXPECT_EQ(grid->MergeCount(), ranges);
  }

  TForm* Form = nullptr;
  TTestBaseGrid* Grid = nullptr;
};

}  // namespace basegridtest
