// The in-memory dataset (TMemDataSet over the record store) under a data-bound grid's load:
// counting 100,000 records with MoveBy (as the grid counts rows), and paging through them with a
// 30-row page repainted through the link's ActiveRecord. The peer is the same walk over a plain
// vector of records, each copied into a buffer as a cursor copies it: the cost of the records
// alone, without the framework.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "Common/MemDS.h"
#include "bench/BenchSupport.h"
#include "platform/rtl/SysUtils.h"

namespace {

constexpr int Records = 100000;
constexpr int VisibleRows = 30;

// ID, NAME (40 wide characters) and AMOUNT, filled when the dataset opens as a provider's record
// set fills its store; it counts the records read into buffers.
class TBenchStore : public TMemData {
 public:
  int64_t Reads = 0;

  void DetectCommandType() override {
    bench::AddField(*this, u"ID", dtInteger, 0, 4);
    bench::AddField(*this, u"NAME", dtWideString, 40, 82);
    bench::AddField(*this, u"AMOUNT", dtFloat, 0, 8);
  }
  void InternalOpen() override {
    InitFields();
    uint8_t* buffer = AllocRecBuf();
    for (int32_t i = 1; i <= Records; ++i) {
      InitRecord(buffer);
      PutField(1, buffer, false, &i);
      const String name = u"Донација " + IntToStr(i);
      const char16_t* text = name.c_str();
      PutField(2, buffer, false, &text);
      const double amount = i * 1.25;
      PutField(3, buffer, false, &amount);
      AppendRecord(buffer);
    }
    FreeRecBuf(buffer);
    SetToBegin();
  }
  void GetRecord(uint8_t* recBuf) override {
    ++Reads;
    TMemData::GetRecord(recBuf);
  }
  void GetNextRecord(uint8_t* recBuf) override {
    ++Reads;
    TMemData::GetNextRecord(recBuf);
  }
  void GetPriorRecord(uint8_t* recBuf) override {
    ++Reads;
    TMemData::GetPriorRecord(recBuf);
  }
};

struct TGrid {
  std::unique_ptr<TMemDataSet> DataSet;
  TBenchStore* Store = nullptr;  // owned by the dataset
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TDataLink> Link;
};

TGrid MakeGrid() {
  TGrid grid;
  grid.DataSet = std::make_unique<TMemDataSet>(nullptr);
  auto store = std::make_unique<TBenchStore>();
  grid.Store = store.get();
  grid.DataSet->SetData(std::move(store));
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
  std::vector<TRecord> records(Records);
  for (int i = 0; i < Records; ++i) records[i] = TRecord{i + 1, u"Донација", i * 1.25};
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
  state.counters["records"] = Records;
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
  if (count != Records) state.SkipWithError("wrong count");
  state.counters["records"] = count;
}

// One page down and a repaint of every visible row through the link's ActiveRecord. The page
// reads the records that scroll into view; the repaint reads none.
void BM_PageDownAndRepaint(benchmark::State& state) {
  TGrid grid = MakeGrid();
  TMemDataSet* ds = grid.DataSet.get();
  TBenchStore* store = grid.Store;
  TDataLink* link = grid.Link.get();
  TField* id = ds->FieldByName(u"ID");
  TField* name = ds->FieldByName(u"NAME");
  TField* amount = ds->FieldByName(u"AMOUNT");
  int64_t mostReads = 0;
  int64_t texts = 0;
  for (auto _ : state) {
    if (ds->Eof()) ds->First();
    const int64_t before = store->Reads;
    ds->MoveBy(VisibleRows);
    const int current = link->ActiveRecord();
    for (int row = 0; row < link->RecordCount(); ++row) {
      link->SetActiveRecord(row);
      texts += static_cast<int64_t>(id->DisplayText().size() + name->DisplayText().size() +
                                    amount->DisplayText().size());
    }
    link->SetActiveRecord(current);
    mostReads = std::max(mostReads, store->Reads - before);
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
