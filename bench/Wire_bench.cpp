// Throughput of the packet layer on loopback, plain and compressed, next to MariaDB Connector/C
// fetching the same rows from the same server in the same run, measured in wall-clock time. Each iteration fetches one row
// holding a value of 4 MB (SELECT REPEAT(...)); the ratio own/peer is printed at the end.
//
// Needs the test server: scripts/test-db start; eval "$(scripts/test-db env)"; build/rel/bench/Wire_bench
#include <mysql.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/BenchServer.h"

#include "MySql/MySqlErrors.h"
#include "MySql/MySqlSession.h"
#include "MySql/MySqlSession_Handshake.h"

namespace {

constexpr int64_t kValueBytes = 4 << 20;

using bench::Server;
using bench::TestServer;

std::string Sql() { return "SELECT REPEAT('x', " + std::to_string(kValueBytes) + ")"; }

// --- own engine: the query and its text result read with the packet layer alone ---------------

int64_t FetchOwn(TMySqlSession& session, const std::string& sql) {
  TMySqlNet& net = session.Net();
  net.NewCommand();
  net.WriteByte(3);
  net.WriteBytes(reinterpret_cast<const uint8_t*>(sql.data()), 0, static_cast<int32_t>(sql.size()));
  net.Send();
  net.Receive();
  int64_t columns = net.ReadLengthCoded();
  for (int64_t i = 0; i < columns; ++i) net.Receive();
  net.Receive();
  int64_t bytes = 0;
  for (;;) {
    net.Receive();
    if (net.Buffer()[0] == 0xFE && net.Length() < 9) break;
    int64_t n = net.ReadLengthCoded();
    benchmark::DoNotOptimize(net.Buffer()[net.Position() + n - 1]);
    bytes += n;
  }
  return bytes;
}

void Own(benchmark::State& state, bool compress) {
  const Server& s = TestServer();
  TMySqlSession session;
  session.SetConnectTimeout(30);
  session.Connect(s.host, s.user, s.password, s.database, static_cast<int32_t>(s.port), "",
                  compress ? mysqlhandshake::kClientCompress : 0);
  const std::string sql = Sql();
  for (auto _ : state) {
    if (FetchOwn(session, sql) != kValueBytes) state.SkipWithError("short value");
  }
  state.SetBytesProcessed(state.iterations() * kValueBytes);
}

// --- the peer --------------------------------------------------------------------------------

void Peer(benchmark::State& state, bool compress) {
  const Server& s = TestServer();
  MYSQL* mysql = mysql_init(nullptr);
  if (compress) mysql_options(mysql, MYSQL_OPT_COMPRESS, nullptr);
  if (!mysql_real_connect(mysql, s.host.c_str(), s.user.c_str(), s.password.c_str(),
                          s.database.c_str(), s.port, nullptr, 0)) {
    state.SkipWithError(mysql_error(mysql));
    mysql_close(mysql);
    return;
  }
  const std::string sql = Sql();
  for (auto _ : state) {
    mysql_real_query(mysql, sql.data(), sql.size());
    MYSQL_RES* result = mysql_use_result(mysql);
    int64_t bytes = 0;
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
      unsigned long* lengths = mysql_fetch_lengths(result);
      benchmark::DoNotOptimize(row[0][lengths[0] - 1]);
      bytes += static_cast<int64_t>(lengths[0]);
    }
    mysql_free_result(result);
    if (bytes != kValueBytes) state.SkipWithError("short value");
  }
  state.SetBytesProcessed(state.iterations() * kValueBytes);
  mysql_close(mysql);
}

void BM_Own_Plain(benchmark::State& state) { Own(state, false); }
void BM_Peer_Plain(benchmark::State& state) { Peer(state, false); }
void BM_Own_Compressed(benchmark::State& state) { Own(state, true); }
void BM_Peer_Compressed(benchmark::State& state) { Peer(state, true); }

BENCHMARK(BM_Own_Plain)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Peer_Plain)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Own_Compressed)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Peer_Compressed)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// Keeps every run's throughput so the ratios can be printed after the table.
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      auto it = run.counters.find("bytes_per_second");
      // Keyed by the plain function name ("BM_Own_Plain"), without the run's options.
      std::string name = run.benchmark_name();
      if (it != run.counters.end()) Throughput[name.substr(0, name.find('/'))] = it->second.value;
    }
  }
  std::map<std::string, double> Throughput;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* mode : {"Plain", "Compressed"}) {
    auto own = reporter.Throughput.find(std::string("BM_Own_") + mode);
    auto peer = reporter.Throughput.find(std::string("BM_Peer_") + mode);
    if (own == reporter.Throughput.end() || peer == reporter.Throughput.end() || peer->second <= 0)
      continue;
    std::printf("%-10s own %8.1f MB/s  peer %8.1f MB/s  ratio own/peer %.2f\n", mode,
                own->second / 1e6, peer->second / 1e6, own->second / peer->second);
  }
  benchmark::Shutdown();
  return 0;
}
