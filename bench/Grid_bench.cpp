// Painting a string grid of 1,000,000 rows: one full paint of the client area with the grid
// scrolled to its first row and to row 999,000, with every row of the default height (offsets
// computed) and with row heights set one by one (offsets from prefix sums), with and without cell
// texts. The paint touches only the rows that show, so both positions should cost the same.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/rtl/UnicodeText.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/UiSession.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kCols = 8;

class TBenchGrid : public TStringGrid {
 public:
  explicit TBenchGrid(TComponent* owner) : TStringGrid(owner) {}
  void PaintOnce() { Paint(); }
  int CellCount = 0;
  int Texts = 0;
 protected:
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override {
    ++CellCount;
    if (!this->Cells(col, row).empty()) ++Texts;
    TStringGrid::DrawCell(col, row, rect, state);
  }
};

// Texts of the same length at both positions, so that only the grid's own work can differ.
void FillRows(TStringGrid* grid, int from, int count) {
  for (int row = from; row < from + count && row < kRows; ++row) {
    std::string number = std::to_string(row);
    number.insert(0, 7 - number.size(), '0');
    for (int col = 0; col < kCols; ++col)
      grid->SetCells(col, row, UTF8ToString("Членарина " + number + "/" + std::to_string(col)));
  }
}

void BM_PaintMillionRowGrid(benchmark::State& state) {
  const int top = static_cast<int>(state.range(0));
  const bool mixedHeights = state.range(1) != 0;
  const bool withText = state.range(2) != 0;
  THeadlessUiSession session;
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetBounds(0, 0, 820, 640);
  auto* grid = new TBenchGrid(form);
  grid->SetParent(form);
  grid->SetBounds(0, 0, 800, 600);
  grid->SetColCount(kCols);
  grid->SetRowCount(kRows);
  grid->SetDefaultColWidth(95);
  grid->SetDefaultRowHeight(20);
  if (mixedHeights)
    for (int row = 1; row < kRows; row += 97) grid->SetRowHeights(row, 26);
  if (withText) {
    FillRows(grid, 0, 40);
    FillRows(grid, 999000, 40);
  }
  form->Show();
  // The current cell (with its highlight and focus rectangle) shows at both positions.
  grid->SetRow(top);
  grid->SetTopRow(top);
  if (grid->TopRow() != top) state.SkipWithError("the grid did not scroll to the row");
  for (auto _ : state) grid->PaintOnce();
  state.counters["top_row"] = top;
  state.counters["cells"] = grid->CellCount / static_cast<double>(state.iterations());
  state.counters["texts"] = grid->Texts / static_cast<double>(state.iterations());
}

BENCHMARK(BM_PaintMillionRowGrid)
    ->ArgsProduct({{1, 999000}, {0, 1}, {0, 1}})
    ->ArgNames({"top", "mixed", "text"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
