// The in-memory dataset (TMemDataSet over the record store TMemData, neither of them derived
// from) under a data-bound grid's load: counting 100,000 records with MoveBy (as the grid counts
// rows), and paging through them with a 30-row page repainted through the link's ActiveRecord.
// The peer of the count is the same walk over a plain vector of records, each copied into a
// buffer as a cursor copies it: the cost of the records alone, without the framework. The count
// and its peer alternate over 5 rounds, and the ratio printed is the median of the rounds'.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "Common/MemDS.h"
#include "bench/BenchSupport.h"
#include "platform/rtl/SysUtils.h"

namespace {

constexpr int Records = 100000;
constexpr int VisibleRows = 30;
constexpr int Rounds = 5;

struct TGrid {
  std::unique_ptr<TMemDataSet> DataSet;
  TMemData* Store = nullptr;  // owned by the dataset
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TDataLink> Link;
};

// ID, NAME (40 wide characters) and AMOUNT in a plain store, filled while the store is open and
// before the dataset opens on it, as a provider's record set is filled when its dataset opens.
TGrid MakeGrid() {
  TGrid grid;
  auto store = std::make_unique<TMemData>();
  grid.Store = store.get();
  store->SetRebuildFieldsOnInit(false);
  bench::AddField(*store, u"ID", dtInteger, 0, 4);
  bench::AddField(*store, u"NAME", dtWideString, 40, 82);
  bench::AddField(*store, u"AMOUNT", dtFloat, 0, 8);
  store->InitFields();
  store->Open();
  uint8_t* buffer = store->AllocRecBuf();
  for (int32_t i = 1; i <= Records; ++i) {
    store->InitRecord(buffer);
    store->PutField(1, buffer, false, &i);
    const String name = u"Донација " + IntToStr(i);
    const char16_t* text = name.c_str();
    store->PutField(2, buffer, false, &text);
    const double amount = i * 1.25;
    store->PutField(3, buffer, false, &amount);
    store->AppendRecord(buffer);
  }
  store->FreeRecBuf(buffer);
  store->SetToBegin();

  grid.DataSet = std::make_unique<TMemDataSet>(nullptr);
  grid.DataSet->SetData(std::move(store));
  grid.Source = std::make_unique<TDataSource>(nullptr);
  grid.Source->SetDataSet(grid.DataSet.get());
  grid.Link = std::make_unique<TDataLink>();
  grid.Link->SetDataSource(grid.Source.get());
  grid.Link->SetBufferCount(VisibleRows + 1);
  grid.DataSet->Open();
  return grid;
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// What a grid does to count its rows: controls off, remember the place, walk to the end.
int CountWithMoveBy(TDataSet* ds) {
  ds->DisableControls();
  TBookmark position = ds->GetBookmark();
  ds->First();
  const int count = ds->MoveBy(INT32_MAX) + 1;
  ds->GotoBookmark(position);
  ds->EnableControls();
  return count;
}

struct TRecord {
  int32_t Id;
  char16_t Name[41];
  double Amount;
};

// The peer: records in a vector, walked one by one into a record buffer.
int CountVector(const std::vector<TRecord>& records) {
  TRecord buffer{};
  int count = 0;
  for (const TRecord& record : records) {
    std::memcpy(&buffer, &record, sizeof buffer);
    benchmark::DoNotOptimize(buffer);
    ++count;
  }
  return count;
}

void BM_CountWithMoveByAgainstVector(benchmark::State& state) {
  TGrid grid = MakeGrid();
  std::vector<TRecord> records(Records);
  for (int i = 0; i < Records; ++i) records[i] = TRecord{i + 1, u"Донација", i * 1.25};
  // Each side repeats its count within a round, for a time well above the clock's grain.
  constexpr int Repeats = 20;
  std::vector<double> ours, peer, ratio;
  int count = 0;
  auto runOurs = [&] {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < Repeats; ++i) count = CountWithMoveBy(grid.DataSet.get());
    return Seconds(start) / Repeats;
  };
  auto runPeer = [&] {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < Repeats; ++i) benchmark::DoNotOptimize(CountVector(records));
    return Seconds(start) / Repeats;
  };
  for (auto _ : state) {
    for (int round = 0; round < Rounds; ++round) {
      double o, p;
      if (round % 2 == 0) {
        o = runOurs();
        p = runPeer();
      } else {
        p = runPeer();
        o = runOurs();
      }
      ours.push_back(o);
      peer.push_back(p);
      ratio.push_back(o / p);
    }
    state.SetIterationTime(bench::Median(ours));
  }
  if (count != Records) state.SkipWithError("wrong count");
  state.counters["ours_ms"] = bench::Median(ours) * 1e3;
  state.counters["vector_ms"] = bench::Median(peer) * 1e3;
  state.counters["ratio"] = bench::Median(ratio);
  std::printf("Counting with MoveBy / walking a vector: %.1f (median of %d alternating rounds)\n",
              bench::Median(ratio), Rounds);
}

// One page down and a repaint of every visible row through the link's ActiveRecord.
void BM_PageDownAndRepaint(benchmark::State& state) {
  TGrid grid = MakeGrid();
  TMemDataSet* ds = grid.DataSet.get();
  TDataLink* link = grid.Link.get();
  TField* id = ds->FieldByName(u"ID");
  TField* name = ds->FieldByName(u"NAME");
  TField* amount = ds->FieldByName(u"AMOUNT");
  int64_t texts = 0;
  for (auto _ : state) {
    if (ds->Eof()) ds->First();
    ds->MoveBy(VisibleRows);
    const int current = link->ActiveRecord();
    for (int row = 0; row < link->RecordCount(); ++row) {
      link->SetActiveRecord(row);
      texts += static_cast<int64_t>(id->DisplayText().size() + name->DisplayText().size() +
                                    amount->DisplayText().size());
    }
    link->SetActiveRecord(current);
  }
  benchmark::DoNotOptimize(texts);
  state.counters["buffer count"] = link->BufferCount();
}

BENCHMARK(BM_CountWithMoveByAgainstVector)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_PageDownAndRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
