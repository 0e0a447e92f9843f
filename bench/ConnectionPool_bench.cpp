// Opening a connection component, running one statement and closing it: with a fresh login each
// time, and with Pooling on so that the server session is reused, in the same run. The ratio of
// the two is printed after the table.
//
// Needs the test server: scripts/test-db start; eval "$(scripts/test-db env)";
// build/rel/bench/ConnectionPool_bench
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/BenchServer.h"

#include "MySql/MyAccess.h"
#include "MySql/MyConnectionPool.h"
#include "platform/rtl/UnicodeText.h"

namespace {

void OpenQueryClose(benchmark::State& state, bool pooling) {
  const bench::Server& server = bench::TestServer();
  TMyConnection conn(nullptr);
  conn.SetServer(UTF8ToString(server.host));
  conn.SetPort(static_cast<int>(server.port));
  conn.SetUsername(UTF8ToString(server.user));
  conn.SetPassword(UTF8ToString(server.password));
  conn.SetDatabase(UTF8ToString(server.database));
  conn.SetLoginPrompt(false);
  conn.Options()->SetUseUnicode(true);
  conn.Options()->SetCharset(u"utf8");
  conn.SetPooling(pooling);
  for (auto _ : state) {
    conn.SetConnected(true);
    conn.ExecSQL(u"SELECT 1");
    conn.SetConnected(false);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_FreshLogin(benchmark::State& state) { OpenQueryClose(state, false); }
void BM_Pooled(benchmark::State& state) { OpenQueryClose(state, true); }

BENCHMARK(BM_FreshLogin)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Pooled)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();

// Keeps each run's rate so the ratio can be printed after the table.
class TRateReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      auto it = run.counters.find("items_per_second");
      std::string name = run.benchmark_name();
      if (it != run.counters.end()) Rate[name.substr(0, name.find('/'))] = it->second.value;
    }
  }
  std::map<std::string, double> Rate;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TRateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto fresh = reporter.Rate.find("BM_FreshLogin");
  auto pooled = reporter.Rate.find("BM_Pooled");
  if (fresh != reporter.Rate.end() && pooled != reporter.Rate.end() && fresh->second > 0)
    std::printf("open+query+close per second: fresh login %.0f, pooled %.0f, pooled/fresh %.1f\n",
                fresh->second, pooled->second, pooled->second / fresh->second);
  TMyConnectionPoolManager::FreeManager();
  benchmark::Shutdown();
  return 0;
}
