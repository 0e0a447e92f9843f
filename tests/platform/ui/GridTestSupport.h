// A fixture for grid tests: a string grid on a shown form, with the grid's hooks logged, and
// helpers that aim synthetic input at cells.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/Grids.h"
#include "platform/win/VirtualKeys.h"
#include "tests/support/UiTestSupport.h"

namespace gridtest {

// A string grid that logs the hooks descendants override and can veto sizing and selecting.
class TLoggingGrid : public TStringGrid {
 public:
  explicit TLoggingGrid(TComponent* owner) : TStringGrid(owner) {}
  std::vector<std::string> Log;
  std::vector<TGridCoord> Drawn;
  std::vector<TGridDrawState> DrawnStates;
  bool RefuseSizing = false;
  int RefuseRow = -1;
  bool ReadOnly = false;
  TGridState StateSeenByMove = gsNormal;

  using TCustomGrid::FocusCell;
  using TCustomControl::Canvas;
  using TCustomGrid::ScrollInView;
  void CalcSizingStateForTest(int x, int y, TGridState& state, int& index, int& pos, int& ofs,
                              TGridDrawInfo& info) {
    CalcSizingState(x, y, state, index, pos, ofs, info);
  }
  void PaintNow() {
    Drawn.clear();
    DrawnStates.clear();
    Paint();
  }

 protected:
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override {
    Drawn.push_back({col, row});
    DrawnStates.push_back(state);
    TStringGrid::DrawCell(col, row, rect, state);
  }
  bool SelectCell(int col, int row) override {
    Log.push_back("select " + std::to_string(col) + "," + std::to_string(row));
    if (row == RefuseRow) return false;
    return TStringGrid::SelectCell(col, row);
  }
  void TopLeftChanged() override {
    Log.push_back("topleft " + std::to_string(LeftCol()) + "," + std::to_string(TopRow()));
    TStringGrid::TopLeftChanged();
  }
  void ColWidthsChanged() override {
    Log.push_back("widths");
    TStringGrid::ColWidthsChanged();
  }
  void RowHeightsChanged() override {
    Log.push_back("heights");
    TStringGrid::RowHeightsChanged();
  }
  void ColumnMoved(int fromIndex, int toIndex) override {
    Log.push_back("colmoved " + std::to_string(fromIndex) + ">" + std::to_string(toIndex) +
                  (GridState() == gsNormal ? " normal" : " moving"));
    TStringGrid::ColumnMoved(fromIndex, toIndex);
  }
  void RowMoved(int fromIndex, int toIndex) override {
    Log.push_back("rowmoved " + std::to_string(fromIndex) + ">" + std::to_string(toIndex));
    TStringGrid::RowMoved(fromIndex, toIndex);
  }
  void CalcSizingState(int x, int y, TGridState& state, int& index, int& sizingPos,
                       int& sizingOfs, TGridDrawInfo& fixedInfo) override {
    TStringGrid::CalcSizingState(x, y, state, index, sizingPos, sizingOfs, fixedInfo);
    if (RefuseSizing) state = gsNormal;
  }
  bool CanEditModify() override { return !ReadOnly; }
  void MouseMove(TShiftState shift, int x, int y) override {
    StateSeenByMove = GridState();
    TStringGrid::MouseMove(shift, x, y);
  }
};

class TGridTest : public uitest::TUiTest {
 public:
  TGridTest() {
    Application->CreateForm(Form);
    Form->SetBounds(50, 50, 600, 400);
    Grid = new TLoggingGrid(Form);
    Grid->SetParent(Form);
    Grid->SetScrollBars(ssNone);
    // 10 columns of 50 and 20 rows of 20 (each with a 1-pixel line) in a 300 x 200 client area:
    // after the fixed column and row, columns 1..4 and rows 1..8 show whole.
    Grid->SetBounds(10, 10, 300, 200);
    Grid->SetColCount(10);
    Grid->SetRowCount(20);
    Grid->SetDefaultColWidth(50);
    Grid->SetDefaultRowHeight(20);
    for (int c = 0; c < 10; ++c)
      for (int r = 0; r < 20; ++r) Grid->SetCells(c, r, u"к" + ToString(c) + u":" + ToString(r));
    Form->Show();
    Grid->SetFocus();
    Grid->Log.clear();
  }
  static String ToString(int n) {
    std::string s = std::to_string(n);
    return String(s.begin(), s.end());
  }
  // The screen point a few pixels inside a cell's top-left corner.
  TPoint AtCell(int col, int row, int dx = 5, int dy = 5) {
    TRect r = Grid->CellRect(col, row);
    int x = Grid->UseRightToLeftAlignment() ? r.Right - 1 - dx : r.Left + dx;
    return Grid->ClientToScreen({x, r.Top + dy});
  }
  TPoint AtClient(int x, int y) { return Grid->ClientToScreen({x, y}); }
  static void Press(TPoint p) {
    InjectMouseMove(p);
    InjectMouseButton(TMouseButtonId::Left, true, p);
  }
  static void Release(TPoint p) { InjectMouseButton(TMouseButtonId::Left, false, p); }
  static void WithKey(uint16_t modifier, uint16_t key) {
    InjectKey(modifier, true);
    Key(key);
    InjectKey(modifier, false);
  }
  void Run(std::function<void()> steps) {
    Script().Then(std::move(steps));
    RunScript();
  }
  TGridCoord Current() const { return {Grid->Col(), Grid->Row()}; }

  TForm* Form = nullptr;
  TLoggingGrid* Grid = nullptr;
};

}  // namespace gridtest
