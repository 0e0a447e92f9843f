// The data-set framework under a data-bound grid's load: counting 100,000 records with MoveBy
// (as the grid counts rows), and paging through them with a 30-row page repainted through the
// link's ActiveRecord. The peer is the same walk over a plain vector of records, each copied into
// a buffer as a cursor copies it: the cost of the records alone, without the framework.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>

#include "tests/support/ScriptedDataSet.h"

namespace {

constexpr int RecordCount = 100000;
constexpr int VisibleRows = 30;

struct TGrid {
  std::unique_ptr<TScriptedDataSet> DataSet;
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TDataLink> Link;
};

TGrid MakeGrid() {
  TGrid grid;
  grid.DataSet = std::make_unique<TScriptedDataSet>(
      nullptr, std::vector<TColumn>{{u"ID", ftInteger}, {u"NAME", ftWideString, 40},
                                    {u"AMOUNT", ftFloat}});
  grid.DataSet->LogReads = false;
  for (int i = 1; i <= RecordCount; ++i)
    grid.DataSet->AddRow({TScriptedDataSet::Cell(int32_t{i}),
                          TScriptedDataSet::WideText(u"Донација " + IntToStr(i)),
                          TScriptedDataSet::Cell(i * 1.25)});
  grid.Source = std::make_unique<TDataSource>(nullptr);
  grid.Source->SetDataSet(grid.DataSet.get());
  grid.Link = std::make_unique<TDataLink>();
  grid.Link->SetDataSource(grid.Source.get());
  grid.Link->SetBufferCount(VisibleRows + 1);
  grid.DataSet->Open();
  return grid;
}

// The peer: records in a vector, walked one by one into a record buffer.
void BM_CountVectorWalk(benchmark::State& state) {
  struct TRecord {
    int32_t Id;
    char16_t Name[41];
    double Amount;
  };
  std::vector<TRecord> records(RecordCount);
  for (int i = 0; i < RecordCount; ++i) records[i] = TRecord{i + 1, u"Донација", i * 1.25};
  TRecord buffer{};
  for (auto _ : state) {
    int count = 0;
    for (const TRecord& record : records) {
      std::memcpy(&buffer, &record, sizeof buffer);
      benchmark::DoNotOptimize(buffer);
      ++count;
    }
    benchmark::DoNotOptimize(count);
  }
  state.counters["records"] = RecordCount;
}

// What a grid does to count its rows: controls off, remember the place, walk to the end.
void BM_CountWithMoveBy(benchmark::State& state) {
  TGrid grid = MakeGrid();
  TDataSet* ds = grid.DataSet.get();
  int count = 0;
  for (auto _ : state) {
    ds->DisableControls();
    TBookmark position = ds->GetBookmark();
    ds->First();
    count = ds->MoveBy(INT32_MAX) + 1;
    ds->GotoBookmark(position);
    ds->EnableControls();
    benchmark::DoNotOptimize(count);
  }
  if (count != RecordCount) state.SkipWithError("wrong count");
  state.counters["records"] = count;
}

// One page down and a repaint of every visible row through the link's ActiveRecord. The page
// reads the records that scroll into view; the repaint reads none.
void BM_PageDownAndRepaint(benchmark::State& state) {
  TGrid grid = MakeGrid();
  TScriptedDataSet* ds = grid.DataSet.get();
  TDataLink* link = grid.Link.get();
  TField* id = ds->FieldByName(u"ID");
  TField* name = ds->FieldByName(u"NAME");
  TField* amount = ds->FieldByName(u"AMOUNT");
  int64_t mostReads = 0;
  int64_t texts = 0;
  for (auto _ : state) {
    if (ds->Eof()) ds->First();
    const int64_t before = ds->Reads;
    ds->MoveBy(VisibleRows);
    const int current = link->ActiveRecord();
    for (int row = 0; row < link->RecordCount(); ++row) {
      link->SetActiveRecord(row);
      texts += static_cast<int64_t>(id->DisplayText().size() + name->DisplayText().size() +
                                    amount->DisplayText().size());
    }
    link->SetActiveRecord(current);
    mostReads = std::max(mostReads, ds->Reads - before);
  }
  benchmark::DoNotOptimize(texts);
  if (mostReads > link->BufferCount()) state.SkipWithError("a page read more than the window");
  state.counters["most reads per page"] = static_cast<double>(mostReads);
  state.counters["buffer count"] = link->BufferCount();
}

BENCHMARK(BM_CountVectorWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountWithMoveBy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageDownAndRepaint)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's time per iteration for the closing ratio.
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) Times[run.benchmark_name()] = run.GetAdjustedRealTime();
  }
  std::map<std::string, double> Times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ours = reporter.Times.find("BM_CountWithMoveBy");
  auto peer = reporter.Times.find("BM_CountVectorWalk");
  if (ours != reporter.Times.end() && peer != reporter.Times.end() && peer->second > 0)
    std::printf("Counting with MoveBy / walking a vector: %.1f\n", ours->second / peer->second);
  benchmark::Shutdown();
  return 0;
}
