// The base grid's cell access against the plain string grid's, on 100,000 cells (100 columns by
// 1,000 rows) in one run: reading and writing every cell's text with no properties, with
// properties on every cell, and with 10 % of the cells in merged ranges, and reading every
// cell's properties. The peer is Cells/SetCells of the same grid. The goal: a plain grid within
// 1.5x of the peer.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "controls/grid/BaseGrid.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/UiSession.h"

namespace {

constexpr int kCols = 100;
constexpr int kRows = 1000;

enum TLayout { lyPlain, lyAllProperties, lyTenPercentMerged };

struct TBenchGrid {
  explicit TBenchGrid(TLayout layout) {
    Application->CreateForm(Form);
    Form->SetBounds(0, 0, 820, 640);
    Grid = new TBaseGrid(Form);
    Grid->SetParent(Form);
    Grid->SetBounds(0, 0, 800, 600);
    Grid->SetColCount(kCols);
    Grid->SetRowCount(kRows);
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c)
        Grid->SetGridCell(c, r, UTF8ToString("Членарина " + std::to_string(r * kCols + c)));
    if (layout == lyAllProperties)
      for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) Grid->GetCellProperties(c, r);
    if (layout == lyTenPercentMerged)
      // One 2 x 1 range in every tenth pair of cells of a row: 10 % of the cells merged.
      for (int r = 0; r < kRows; ++r)
        for (int c = 1; c + 1 < kCols; c += 20) Grid->MergeCells(c, r, 2, 1);
    Form->Show();
  }
  THeadlessUiSession Session;
  TForm* Form = nullptr;
  TBaseGrid* Grid = nullptr;
};

void ReadAll(benchmark::State& state, bool peer) {
  TBenchGrid bench(static_cast<TLayout>(state.range(0)));
  TBaseGrid* grid = bench.Grid;
  size_t total = 0;
  for (auto _ : state)
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c)
        total += peer ? grid->Cells(c, r).size() : grid->GetCellText(c, r).size();
  benchmark::DoNotOptimize(total);
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}

void WriteAll(benchmark::State& state, bool peer) {
  TBenchGrid bench(static_cast<TLayout>(state.range(0)));
  TBaseGrid* grid = bench.Grid;
  std::vector<String> texts = {u"Донација 1", u"Трошок 22"};
  int pass = 0;
  for (auto _ : state) {
    const String& text = texts[static_cast<size_t>(pass++ & 1)];
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) {
        if (peer)
          grid->SetCells(c, r, text);
        else
          grid->SetCellText(c, r, text);
      }
  }
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}

void BM_Cells(benchmark::State& state) { ReadAll(state, true); }
void BM_GetCellText(benchmark::State& state) { ReadAll(state, false); }
void BM_SetCells(benchmark::State& state) { WriteAll(state, true); }
void BM_SetCellText(benchmark::State& state) { WriteAll(state, false); }

void BM_GetCellProperties(benchmark::State& state) {
  TBenchGrid bench(lyAllProperties);
  TBaseGrid* grid = bench.Grid;
  intptr_t total = 0;
  for (auto _ : state)
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) total += grid->GetCellProperties(c, r)->CellSpanX();
  benchmark::DoNotOptimize(total);
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}

#define LAYOUTS ArgName("layout")->Arg(lyPlain)->Arg(lyAllProperties)->Arg(lyTenPercentMerged)
BENCHMARK(BM_Cells)->LAYOUTS->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetCellText)->LAYOUTS->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetCells)->LAYOUTS->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetCellText)->LAYOUTS->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetCellProperties)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
