// The in-memory record store against its floor, a plain std::vector of structs holding the same
// values: appending a million records, walking them both ways and jumping to record numbers at
// random. Each benchmark times both in the same run and reports the ratios: the medians of 5
// rounds in which the side that goes first alternates.
//
// Every measure comes cold next to warm. Appending is measured cold, as a real fetch meets
// memory: each side fills in a forked child of its own, the sides alternating over 5 rounds, and
// the memory is the growth of the child's
// resident size (which sees every way the store takes memory, not only the general heap); the
// figures are medians. Warm appending runs in this process, after earlier stores were freed. A
// cold walk or jump visits a side once, in the child that has just filled it; a warm one visits
// sides filled once in this process, again and again.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Common/MemData.h"
#include "Common/MemData_DateTimeRead.h"
#include "bench/BenchSupport.h"
#include "platform/rtl/DateTime.h"

namespace {

constexpr int32_t RecordCount = 1000000;

// id INT, amount DOUBLE, title VARCHAR(100) wide, added_on DATETIME, note TEXT, with the type
// codes the MySQL record set gives them by default (a wide title held by reference, a wide memo).
class BenchStore : public TMemData {
 public:
  void DetectCommandType() override {
    bench::AddField(*this, u"id", dtInteger, 0, 4);
    bench::AddField(*this, u"amount", dtFloat, 0, 8);
    bench::AddField(*this, u"title", dtExtWideString, 100, 8);
    bench::AddField(*this, u"added_on", dtDateTime, 0, 8);
    bench::AddField(*this, u"note", dtWideMemo, 0, 8);
  }
};

struct Row {
  int32_t id;
  double amount;
  std::u16string title;
  double addedOn;
  std::u16string note;
};

const double FirstDay = EncodeDate(2024, 1, 1);

std::u16string TitleOf(int32_t id) {
  std::u16string title = u"Донација ";
  for (char c : std::to_string(id)) title += static_cast<char16_t>(c);
  return title;
}

std::u16string NoteOf(int32_t id) { return u"Белешка за запис " + TitleOf(id).substr(9); }

// The resident size of this process now.
size_t ResidentBytes() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}


double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

std::unique_ptr<BenchStore> FillStore() {
  auto store = std::make_unique<BenchStore>();
  store->InitFields();
  store->Open();
  uint8_t* buf = store->AllocRecBuf();
  const double msecsPerDay = 86400000.0;
  const double firstDayStamp = DateTimeToTimeStamp(FirstDay).Date * msecsPerDay;
  for (int32_t id = 1; id <= RecordCount; ++id) {
    store->InitRecord(buf);
    store->CreateComplexFields(buf, true);
    store->PutField(1, buf, false, &id);
    const double amount = id * 0.25;
    store->PutField(2, buf, false, &amount);
    const std::u16string title = TitleOf(id);
    const char16_t* text = title.c_str();
    store->PutField(3, buf, false, &text);
    const double stamp = firstDayStamp + (id % 1000) * msecsPerDay;
    store->PutField(4, buf, false, &stamp);
    const std::u16string note = NoteOf(id);
    store->WriteBlob(5, buf, 0, static_cast<uint32_t>(note.size() * 2), note.data(), true);
    store->AppendRecord(buf);
  }
  store->FreeRecBuf(buf);
  return store;
}

std::vector<Row> FillFloor() {
  std::vector<Row> rows;
  for (int32_t id = 1; id <= RecordCount; ++id)
    rows.push_back(Row{id, id * 0.25, TitleOf(id), FirstDay + id % 1000, NoteOf(id)});
  return rows;
}

// What a child that filled one side reports.
struct FillMeasure {
  double Seconds = 0;
  double Bytes = 0;
};

// Fills one side in a forked child: fresh memory, as a fetch meets it.
template <typename Fill>
FillMeasure FillInChild(Fill fill) {
  return bench::InChild<FillMeasure>([&] {
    FillMeasure m;
    const size_t before = ResidentBytes();
    const auto start = std::chrono::steady_clock::now();
    auto filled = fill();
    m.Seconds = Seconds(std::chrono::steady_clock::now() - start);
    m.Bytes = static_cast<double>(ResidentBytes() - before);
    benchmark::DoNotOptimize(filled);
    return m;
  });
}

void BM_AppendCold(benchmark::State& state) {
  std::vector<double> storeNs, floorNs, timeRatio, storeBytes, floorBytes, memoryRatio;
  for (auto _ : state) {
    for (int round = 0; round < 5; ++round) {
      FillMeasure store, floor;
      if (round % 2 == 0) {
        store = FillInChild(FillStore);
        floor = FillInChild(FillFloor);
      } else {
        floor = FillInChild(FillFloor);
        store = FillInChild(FillStore);
      }
      storeNs.push_back(store.Seconds * 1e9 / RecordCount);
      floorNs.push_back(floor.Seconds * 1e9 / RecordCount);
      timeRatio.push_back(store.Seconds / floor.Seconds);
      storeBytes.push_back(store.Bytes / RecordCount);
      floorBytes.push_back(floor.Bytes / RecordCount);
      memoryRatio.push_back(store.Bytes / floor.Bytes);
      state.SetIterationTime(store.Seconds);
    }
  }
  using bench::Median;
  state.counters["store_ns_per_record"] = Median(storeNs);
  state.counters["floor_ns_per_record"] = Median(floorNs);
  state.counters["time_ratio"] = Median(timeRatio);
  state.counters["store_bytes_per_record"] = Median(storeBytes);
  state.counters["floor_bytes_per_record"] = Median(floorBytes);
  state.counters["memory_ratio"] = Median(memoryRatio);
}

// The medians of alternating rounds: the store's and the floor's seconds and their ratio.
struct RoundsMeasure {
  double StoreSeconds = 0;
  double FloorSeconds = 0;
  double Ratio = 0;
};

constexpr int Rounds = 5;

// Runs both sides Rounds times, the side that goes first alternating, so that drift on a shared
// machine cannot favour either.
template <typename StoreSide, typename FloorSide>
RoundsMeasure Alternate(StoreSide storeSide, FloorSide floorSide) {
  std::vector<double> store, floor, ratio;
  for (int round = 0; round < Rounds; ++round) {
    double s, f;
    if (round % 2 == 0) {
      s = storeSide();
      f = floorSide();
    } else {
      f = floorSide();
      s = storeSide();
    }
    store.push_back(s);
    floor.push_back(f);
    ratio.push_back(s / f);
  }
  return {bench::Median(store), bench::Median(floor), bench::Median(ratio)};
}

void Report(benchmark::State& state, const RoundsMeasure& m) {
  state.counters["store_ns_per_record"] = m.StoreSeconds * 1e9 / RecordCount;
  state.counters["floor_ns_per_record"] = m.FloorSeconds * 1e9 / RecordCount;
  state.counters["time_ratio"] = m.Ratio;
  state.SetIterationTime(m.StoreSeconds);
}

void BM_AppendWarm(benchmark::State& state) {
  for (auto _ : state) {
    Report(state, Alternate(
                      [] {
                        const auto start = std::chrono::steady_clock::now();
                        auto store = FillStore();
                        const double seconds = Seconds(std::chrono::steady_clock::now() - start);
                        store.reset();
                        return seconds;
                      },
                      [] {
                        const auto start = std::chrono::steady_clock::now();
                        std::vector<Row> rows = FillFloor();
                        benchmark::DoNotOptimize(rows.data());
                        return Seconds(std::chrono::steady_clock::now() - start);
                      }));
  }
}

// Reads every value of a record as the dataset would for display.
double ReadStoreRecord(BenchStore& store, uint8_t* buf, char16_t* text) {
  bool blank;
  int32_t id;
  double amount, stamp;
  store.GetField(1, buf, &id, blank);
  store.GetField(2, buf, &amount, blank);
  store.GetField(3, buf, text, blank);
  store.GetField(4, buf, &stamp, blank);
  const uint32_t noteSize = store.GetBlobSize(5, buf, true);
  return id + amount + stamp + text[0] + noteSize;
}

// The same values as the store hands out: the date-time as milliseconds, converted from the day
// count the row holds by the same routine the store uses.
double ReadFloorRecord(const Row& row, char16_t* text) {
  row.title.copy(text, row.title.size());
  text[row.title.size()] = 0;
  const double stamp = memdata::MSecsOfDateTime(row.addedOn);
  return row.id + row.amount + stamp + text[0] + static_cast<double>(row.note.size() * 2);
}

// Both directions over every record; the seconds of one direction.
double WalkStore(BenchStore& store, uint8_t* buf) {
  char16_t text[101];
  double sum = 0;
  const auto start = std::chrono::steady_clock::now();
  store.SetToBegin();
  for (store.GetNextRecord(buf); !store.GetEOF(); store.GetNextRecord(buf))
    sum += ReadStoreRecord(store, buf, text);
  store.SetToEnd();
  for (store.GetPriorRecord(buf); !store.GetBOF(); store.GetPriorRecord(buf))
    sum += ReadStoreRecord(store, buf, text);
  benchmark::DoNotOptimize(sum);
  return Seconds(std::chrono::steady_clock::now() - start) / 2;
}

double WalkFloor(const std::vector<Row>& rows) {
  char16_t text[101];
  double sum = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const Row& row : rows) sum += ReadFloorRecord(row, text);
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) sum += ReadFloorRecord(*it, text);
  benchmark::DoNotOptimize(sum);
  return Seconds(std::chrono::steady_clock::now() - start) / 2;
}

std::vector<int32_t> GotoTargets() {
  std::vector<int32_t> targets(RecordCount);
  std::mt19937 gen(2024);
  for (int32_t& t : targets) t = 1 + static_cast<int32_t>(gen() % RecordCount);
  return targets;
}

double GotoStore(BenchStore& store, uint8_t* buf, const std::vector<int32_t>& targets) {
  char16_t text[101];
  double sum = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int32_t recNo : targets) {
    store.SetRecNo(recNo);
    store.GetRecord(buf);
    sum += ReadStoreRecord(store, buf, text);
  }
  benchmark::DoNotOptimize(sum);
  return Seconds(std::chrono::steady_clock::now() - start);
}

double GotoFloor(const std::vector<Row>& rows, const std::vector<int32_t>& targets) {
  char16_t text[101];
  double sum = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int32_t recNo : targets) sum += ReadFloorRecord(rows[static_cast<size_t>(recNo) - 1], text);
  benchmark::DoNotOptimize(sum);
  return Seconds(std::chrono::steady_clock::now() - start);
}

// Warm: both sides filled once in this process and visited again round after round.
void BM_WalkWarm(benchmark::State& state) {
  auto store = FillStore();
  const std::vector<Row> rows = FillFloor();
  uint8_t* buf = store->AllocRecBuf();
  for (auto _ : state)
    Report(state,
           Alternate([&] { return WalkStore(*store, buf); }, [&] { return WalkFloor(rows); }));
  store->FreeRecBuf(buf);
}

void BM_RandomGotoWarm(benchmark::State& state) {
  auto store = FillStore();
  const std::vector<Row> rows = FillFloor();
  const std::vector<int32_t> targets = GotoTargets();
  uint8_t* buf = store->AllocRecBuf();
  for (auto _ : state)
    Report(state, Alternate([&] { return GotoStore(*store, buf, targets); },
                            [&] { return GotoFloor(rows, targets); }));
  store->FreeRecBuf(buf);
}

// Cold: each side filled in a forked child of its own and visited once, as a list is right after
// its fetch.
void BM_WalkCold(benchmark::State& state) {
  auto store = [] {
    return bench::InChild<double>([] {
      auto filled = FillStore();
      uint8_t* buf = filled->AllocRecBuf();
      return WalkStore(*filled, buf);
    });
  };
  auto floor = [] { return bench::InChild<double>([] { return WalkFloor(FillFloor()); }); };
  for (auto _ : state) Report(state, Alternate(store, floor));
}

void BM_RandomGotoCold(benchmark::State& state) {
  const std::vector<int32_t> targets = GotoTargets();
  auto store = [&] {
    return bench::InChild<double>([&] {
      auto filled = FillStore();
      uint8_t* buf = filled->AllocRecBuf();
      return GotoStore(*filled, buf, targets);
    });
  };
  auto floor = [&] {
    return bench::InChild<double>([&] { return GotoFloor(FillFloor(), targets); });
  };
  for (auto _ : state) Report(state, Alternate(store, floor));
}

BENCHMARK(BM_AppendCold)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_AppendWarm)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WalkCold)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WalkWarm)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RandomGotoCold)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RandomGotoWarm)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
