// The in-memory record store against its floor, a plain std::vector of structs holding the same
// values: appending a million records, walking them both ways and jumping to record numbers at
// random. Each benchmark times both in the same run and reports the ratios.
//
// Appending is measured cold, as a real fetch meets memory: each side fills in a forked child of
// its own, the sides alternating over 5 rounds, and the memory is the growth of the child's
// resident size (which sees every way the store takes memory, not only the general heap); the
// figures are medians. Warm appending (in this process, after earlier stores were freed), walking
// and jumping run in this process.
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

void ReportRatio(benchmark::State& state, double storeSeconds, double floorSeconds) {
  state.counters["store_ns_per_record"] = storeSeconds * 1e9 / RecordCount;
  state.counters["floor_ns_per_record"] = floorSeconds * 1e9 / RecordCount;
  state.counters["time_ratio"] = storeSeconds / floorSeconds;
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

void BM_AppendWarm(benchmark::State& state) {
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    auto store = FillStore();
    const double storeSeconds = Seconds(std::chrono::steady_clock::now() - start);
    store.reset();

    start = std::chrono::steady_clock::now();
    std::vector<Row> rows = FillFloor();
    const double floorSeconds = Seconds(std::chrono::steady_clock::now() - start);
    benchmark::DoNotOptimize(rows.data());

    state.SetIterationTime(storeSeconds);
    ReportRatio(state, storeSeconds, floorSeconds);
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

double ReadFloorRecord(const Row& row, char16_t* text) {
  row.title.copy(text, row.title.size());
  text[row.title.size()] = 0;
  return row.id + row.amount + row.addedOn + text[0] + static_cast<double>(row.note.size() * 2);
}

void BM_WalkForwardBackward(benchmark::State& state) {
  auto store = FillStore();
  const std::vector<Row> rows = FillFloor();
  uint8_t* buf = store->AllocRecBuf();
  char16_t text[101];
  for (auto _ : state) {
    double sum = 0;
    auto start = std::chrono::steady_clock::now();
    store->SetToBegin();
    for (store->GetNextRecord(buf); !store->GetEOF(); store->GetNextRecord(buf))
      sum += ReadStoreRecord(*store, buf, text);
    store->SetToEnd();
    for (store->GetPriorRecord(buf); !store->GetBOF(); store->GetPriorRecord(buf))
      sum += ReadStoreRecord(*store, buf, text);
    const double storeSeconds = Seconds(std::chrono::steady_clock::now() - start) / 2;
    benchmark::DoNotOptimize(sum);

    start = std::chrono::steady_clock::now();
    for (const Row& row : rows) sum += ReadFloorRecord(row, text);
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) sum += ReadFloorRecord(*it, text);
    const double floorSeconds = Seconds(std::chrono::steady_clock::now() - start) / 2;
    benchmark::DoNotOptimize(sum);

    state.SetIterationTime(storeSeconds);
    ReportRatio(state, storeSeconds, floorSeconds);
  }
  store->FreeRecBuf(buf);
}

void BM_RandomGoto(benchmark::State& state) {
  auto store = FillStore();
  const std::vector<Row> rows = FillFloor();
  uint8_t* buf = store->AllocRecBuf();
  char16_t text[101];
  std::vector<int32_t> targets(RecordCount);
  std::mt19937 gen(2024);
  for (int32_t& t : targets) t = 1 + static_cast<int32_t>(gen() % RecordCount);
  for (auto _ : state) {
    double sum = 0;
    auto start = std::chrono::steady_clock::now();
    for (int32_t recNo : targets) {
      store->SetRecNo(recNo);
      store->GetRecord(buf);
      sum += ReadStoreRecord(*store, buf, text);
    }
    const double storeSeconds = Seconds(std::chrono::steady_clock::now() - start);
    benchmark::DoNotOptimize(sum);

    start = std::chrono::steady_clock::now();
    for (int32_t recNo : targets) sum += ReadFloorRecord(rows[static_cast<size_t>(recNo) - 1], text);
    const double floorSeconds = Seconds(std::chrono::steady_clock::now() - start);
    benchmark::DoNotOptimize(sum);

    state.SetIterationTime(storeSeconds);
    ReportRatio(state, storeSeconds, floorSeconds);
  }
  store->FreeRecBuf(buf);
}

BENCHMARK(BM_AppendCold)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_AppendWarm)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WalkForwardBackward)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RandomGoto)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
