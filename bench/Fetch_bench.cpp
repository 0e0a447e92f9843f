// Fetching a 1,000,000-row table (INT key, INT, DOUBLE, BIGINT, VARCHAR(100) Cyrillic, DATETIME,
// TEXT with a third NULL) into the record store through the MySQL record set, next to MariaDB
// Connector/C's mysql_store_result plus converting each field to its typed value, in the same run,
// over each transport: plain TCP, compressed TCP, TLS (the server's certificate verified by both
// sides) and the server's Unix socket. Each fetch runs in a forked child, so that the child's peak
// resident size (ru_maxrss) is the peak memory of that side alone; rows per second and peak memory
// of both sides and their ratios are printed after the table. The sides alternate in rounds
// (FETCH_BENCH_ROUNDS, 5 by default) and every figure is the median over the rounds. The same rows
// are also read through a prepared statement (binary rows, plain TCP), next to the reference
// client's statement interface.
//
// Needs the test server: scripts/test-db start; eval "$(scripts/test-db env)";
// build/rel/bench/Fetch_bench. One side alone, for /usr/bin/time -v:
// FETCH_BENCH_ONE=peer FETCH_BENCH_TRANSPORT=compressed
// /usr/bin/time -v build/rel/bench/Fetch_bench
#include <mysql.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/BenchServer.h"
#include "bench/BenchSupport.h"

#include "MySql/MyClasses.h"
#include "platform/rtl/UnicodeText.h"

namespace {

constexpr long kTableRows = 1000000;

// FETCH_BENCH_ROWS fetches fewer rows, for a profiler run.
long Rows() {
  static const long rows = [] {
    const char* text = std::getenv("FETCH_BENCH_ROWS");
    return text ? std::atol(text) : kTableRows;
  }();
  return rows;
}

const char* Select() {
  static const std::string sql =
      "SELECT id, i, d, b, v, dt, t FROM bench_fetch" +
      (Rows() < kTableRows ? " LIMIT " + std::to_string(Rows()) : std::string());
  return sql.c_str();
}

using bench::Server;
using bench::TestServer;

enum class Transport { Plain, Compressed, Tls, Socket };

MYSQL* PeerConnect(Transport transport = Transport::Plain) {
  const Server& s = TestServer();
  MYSQL* mysql = mysql_init(nullptr);
  mysql_options(mysql, MYSQL_SET_CHARSET_NAME, "utf8mb4");
  const char* host = s.host.c_str();
  const char* socket = nullptr;
  if (transport == Transport::Tls) {
    mysql_ssl_set(mysql, nullptr, nullptr, s.sslCa.c_str(), nullptr, nullptr);
    my_bool verify = 1;
    mysql_options(mysql, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &verify);
  } else if (transport == Transport::Socket) {
    host = "localhost";
    socket = s.socket.c_str();
  }
  if (!mysql_real_connect(mysql, host, s.user.c_str(), s.password.c_str(), s.database.c_str(),
                          s.port, socket,
                          transport == Transport::Compressed ? CLIENT_COMPRESS : 0))
    throw std::runtime_error(mysql_error(mysql));
  return mysql;
}

void PeerExec(MYSQL* mysql, const char* sql) {
  if (mysql_query(mysql, sql) != 0) throw std::runtime_error(mysql_error(mysql));
  if (MYSQL_RES* res = mysql_store_result(mysql)) mysql_free_result(res);
}

// The table is made once and kept between runs.
void EnsureTable() {
  MYSQL* mysql = PeerConnect();
  bool ready = false;
  if (mysql_query(mysql, "SELECT COUNT(*) FROM bench_fetch") == 0) {
    MYSQL_RES* res = mysql_store_result(mysql);
    MYSQL_ROW row = res ? mysql_fetch_row(res) : nullptr;
    ready = row && row[0] && std::atol(row[0]) == kTableRows;
    if (res) mysql_free_result(res);
  }
  if (!ready) {
    PeerExec(mysql, "DROP TABLE IF EXISTS bench_fetch");
    PeerExec(mysql,
             "CREATE TABLE bench_fetch (id INT NOT NULL PRIMARY KEY, i INT, d DOUBLE, b BIGINT, "
             "v VARCHAR(100), dt DATETIME, t TEXT) CHARSET utf8mb4");
    PeerExec(mysql,
             "INSERT INTO bench_fetch SELECT seq, (seq * 7) % 100000, seq / 3.0, seq * 1000003, "
             "CONCAT('\xD0\x94\xD0\xBE\xD0\xBD\xD0\xB0\xD1\x86\xD0\xB8\xD1\x98\xD0\xB0 ', seq, "
             "' \xD0\xBE\xD0\xB4 \xD0\x9C\xD0\xB0\xD1\x80\xD0\xB8\xD1\x98\xD0\xB0'), "
             "'2020-01-01' + INTERVAL seq SECOND, IF(seq % 3 = 0, NULL, "
             "REPEAT(CONCAT('\xD0\xB1\xD0\xB5\xD0\xBB\xD0\xB5\xD1\x88\xD0\xBA\xD0\xB0 ', seq, ' '), 3)) "
             "FROM seq_1_to_1000000");
  }
  mysql_close(mysql);
}

// What a child reports back.
struct Measure {
  double Seconds = 0;
  double CpuSeconds = 0;  // the client's own processor time (user and system) for the fetch
  long PeakKB = 0;
  long Rows = 0;
  char Error[200] = {0};
};

double CpuNow() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// --- own engine: the record set fills its store with every row ------------------------------

Measure FetchOwnWith(Transport transport, bool prepared) {
  Measure m;
  const Server& s = TestServer();
  TMySQLConnection conn;
  conn.SetServer(UTF8ToString(s.host));
  conn.SetProp(pcPort, static_cast<int32_t>(s.port));
  conn.SetUsername(UTF8ToString(s.user));
  conn.SetPassword(UTF8ToString(s.password));
  conn.SetProp(pcDatabase, UTF8ToString(s.database));
  conn.SetProp(pcUseUnicode, true);
  conn.SetProp(pcCompress, transport == Transport::Compressed);
  if (transport == Transport::Tls) {
    conn.SetProp(pcProtocol, static_cast<int32_t>(mpSSL));
    conn.SetProp(pcSSLCACert, UTF8ToString(s.sslCa));
  } else if (transport == Transport::Socket) {
    conn.SetProp(pcProtocol, static_cast<int32_t>(mpPipe));
    conn.SetServer(UTF8ToString("localhost," + s.socket));
  }
  conn.Connect(u"");
  TMySQLRecordset rs;
  rs.SetConnection(&conn);
  // As the dataset component sets up its record set: every row at once, strings out of the record.
  rs.SetProp(pcFetchAll, true);
  rs.SetProp(pcFlatBuffers, false);
  rs.SetSQL(UTF8ToString(Select()));
  const double start = Now();
  const double cpuStart = CpuNow();
  if (prepared) rs.Prepare();
  rs.Open();
  m.CpuSeconds = CpuNow() - cpuStart;
  m.Seconds = Now() - start;
  m.Rows = rs.RecordCount();
  return m;
}

Measure FetchOwn(Transport transport) { return FetchOwnWith(transport, false); }

// --- the reference client: the whole result stored, then each field made its typed value ------

// UTF-8 into UTF-16, as the record set holds text.
void DecodeText(const char* p, unsigned long n, std::u16string& out) {
  out.clear();
  const auto* s = reinterpret_cast<const unsigned char*>(p);
  for (unsigned long i = 0; i < n;) {
    const unsigned char c = s[i];
    if (c < 0x80) {
      out.push_back(c);
      i += 1;
    } else if (c < 0xE0) {
      out.push_back(static_cast<char16_t>(((c & 0x1F) << 6) | (s[i + 1] & 0x3F)));
      i += 2;
    } else {
      out.push_back(static_cast<char16_t>(((c & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) |
                                          (s[i + 2] & 0x3F)));
      i += 3;
    }
  }
}

int Digits(const char* p, int n) {
  int v = 0;
  for (int i = 0; i < n; ++i) v = v * 10 + (p[i] - '0');
  return v;
}

// A civil date and time as days since 1899-12-30 with the time as the fraction.
double DateTimeOfParts(int y, int m, int d, int h, int mi, int sec) {
  // Days from the civil date (proleptic Gregorian), then moved to the 1899-12-30 epoch.
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long days = era * 146097L + doe - 719468L + 25569L;
  return static_cast<double>(days) + (h * 3600 + mi * 60 + sec) / 86400.0;
}

// "YYYY-MM-DD HH:MM:SS" as days since 1899-12-30 with the time as the fraction.
double DateTimeValue(const char* p) {
  return DateTimeOfParts(Digits(p, 4), Digits(p + 5, 2), Digits(p + 8, 2), Digits(p + 11, 2),
                         Digits(p + 14, 2), Digits(p + 17, 2));
}

Measure FetchPeer(Transport transport) {
  Measure m;
  MYSQL* mysql = PeerConnect(transport);
  const double start = Now();
  const double cpuStart = CpuNow();
  if (mysql_query(mysql, Select()) != 0) throw std::runtime_error(mysql_error(mysql));
  MYSQL_RES* res = mysql_store_result(mysql);
  if (!res) throw std::runtime_error(mysql_error(mysql));
  std::u16string v, t;
  double sum = 0;
  while (MYSQL_ROW row = mysql_fetch_row(res)) {
    unsigned long* len = mysql_fetch_lengths(res);
    const long id = std::strtol(row[0], nullptr, 10);
    const long i = row[1] ? std::strtol(row[1], nullptr, 10) : 0;
    const double d = row[2] ? std::strtod(row[2], nullptr) : 0;
    const long long b = row[3] ? std::strtoll(row[3], nullptr, 10) : 0;
    if (row[4]) DecodeText(row[4], len[4], v);
    const double dt = row[5] ? DateTimeValue(row[5]) : 0;
    if (row[6]) DecodeText(row[6], len[6], t);
    sum += static_cast<double>(id + i + b % 7) + d + dt + static_cast<double>(v.size() + t.size());
    ++m.Rows;
  }
  m.CpuSeconds = CpuNow() - cpuStart;
  m.Seconds = Now() - start;
  benchmark::DoNotOptimize(sum);
  mysql_free_result(res);
  mysql_close(mysql);
  return m;
}

// --- prepared statements: the same rows in the binary protocol ------------------------------

Measure FetchOwnPrepared(Transport transport) { return FetchOwnWith(transport, true); }

// The reference client's statement interface: typed binds, the whole result stored, text decoded
// and the date-time made a value as above.
Measure FetchPeerStmt(Transport transport) {
  Measure m;
  MYSQL* mysql = PeerConnect(transport);
  const double start = Now();
  const double cpuStart = CpuNow();
  MYSQL_STMT* stmt = mysql_stmt_init(mysql);
  const std::string sql = Select();
  if (mysql_stmt_prepare(stmt, sql.c_str(), sql.size()) != 0 || mysql_stmt_execute(stmt) != 0)
    throw std::runtime_error(mysql_stmt_error(stmt));
  int id = 0, i = 0;
  double d = 0;
  long long b = 0;
  MYSQL_TIME dt{};
  static char v[512], t[65536];
  unsigned long len[7] = {};
  my_bool isNull[7] = {};
  MYSQL_BIND binds[7];
  std::memset(binds, 0, sizeof binds);
  auto bind = [&](int n, enum_field_types type, void* buffer, unsigned long size) {
    binds[n].buffer_type = type;
    binds[n].buffer = buffer;
    binds[n].buffer_length = size;
    binds[n].length = &len[n];
    binds[n].is_null = &isNull[n];
  };
  bind(0, MYSQL_TYPE_LONG, &id, 4);
  bind(1, MYSQL_TYPE_LONG, &i, 4);
  bind(2, MYSQL_TYPE_DOUBLE, &d, 8);
  bind(3, MYSQL_TYPE_LONGLONG, &b, 8);
  bind(4, MYSQL_TYPE_STRING, v, sizeof v);
  bind(5, MYSQL_TYPE_DATETIME, &dt, sizeof dt);
  bind(6, MYSQL_TYPE_STRING, t, sizeof t);
  if (mysql_stmt_bind_result(stmt, binds) != 0 || mysql_stmt_store_result(stmt) != 0)
    throw std::runtime_error(mysql_stmt_error(stmt));
  std::u16string vt, tt;
  double sum = 0;
  while (mysql_stmt_fetch(stmt) == 0) {
    if (!isNull[4]) DecodeText(v, len[4], vt);
    if (!isNull[6]) DecodeText(t, len[6], tt);
    const double when =
        isNull[5] ? 0
                  : DateTimeOfParts(static_cast<int>(dt.year), static_cast<int>(dt.month),
                                    static_cast<int>(dt.day), static_cast<int>(dt.hour),
                                    static_cast<int>(dt.minute), static_cast<int>(dt.second));
    sum += static_cast<double>(id + i + b % 7) + d + when +
           static_cast<double>(vt.size() + tt.size());
    ++m.Rows;
  }
  m.CpuSeconds = CpuNow() - cpuStart;
  m.Seconds = Now() - start;
  benchmark::DoNotOptimize(sum);
  mysql_stmt_close(stmt);
  mysql_close(mysql);
  return m;
}

// Runs one fetch in a child process and reads back its time, rows and peak resident size.
Measure InChild(Measure (*fetch)(Transport), Transport transport) {
  const Measure m = bench::InChild<Measure>([&] {
    Measure child;
    try {
      child = fetch(transport);
    } catch (const std::exception& e) {
      std::snprintf(child.Error, sizeof child.Error, "%s", e.what());
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    child.PeakKB = usage.ru_maxrss;
    return child;
  });
  if (m.Error[0]) throw std::runtime_error(m.Error);
  if (m.Rows != Rows())
    throw std::runtime_error("the child fetched " + std::to_string(m.Rows) + " rows");
  return m;
}

// FETCH_BENCH_ROUNDS sets the rounds of each pair (5 by default).
int Rounds() {
  const char* text = std::getenv("FETCH_BENCH_ROUNDS");
  return text ? std::max(1, std::atoi(text)) : 5;
}

// The medians of one pair over its rounds.
struct PairResult {
  double OwnRate = 0, PeerRate = 0, OwnCpuRate = 0, PeerCpuRate = 0, OwnPeakMB = 0, PeerPeakMB = 0;
  // Medians of the per-round ratios own/peer.
  double RateRatio = 0, CpuRatio = 0, PeakRatio = 0;
};

std::map<std::string, PairResult>& Results() {
  static std::map<std::string, PairResult> results;
  return results;
}

// Both sides in alternating rounds (own first in even rounds, the peer first in odd ones), so that
// drift of a shared machine favours neither; every figure is the median over the rounds.
void RunPair(benchmark::State& state, const char* name, Measure (*own)(Transport),
             Measure (*peer)(Transport), Transport transport) {
  std::vector<double> ownRate, peerRate, ownCpu, peerCpu, ownPeak, peerPeak, rate, cpu, peak;
  for (auto _ : state) {
    for (int round = 0; round < Rounds(); ++round) {
      Measure o, p;
      if (round % 2 == 0) {
        o = InChild(own, transport);
        p = InChild(peer, transport);
      } else {
        p = InChild(peer, transport);
        o = InChild(own, transport);
      }
      ownRate.push_back(static_cast<double>(o.Rows) / o.Seconds);
      peerRate.push_back(static_cast<double>(p.Rows) / p.Seconds);
      ownCpu.push_back(static_cast<double>(o.Rows) / o.CpuSeconds);
      peerCpu.push_back(static_cast<double>(p.Rows) / p.CpuSeconds);
      ownPeak.push_back(o.PeakKB / 1024.0);
      peerPeak.push_back(p.PeakKB / 1024.0);
      rate.push_back(ownRate.back() / peerRate.back());
      cpu.push_back(ownCpu.back() / peerCpu.back());
      peak.push_back(ownPeak.back() / peerPeak.back());
      state.SetIterationTime(o.Seconds);
    }
  }
  using bench::Median;
  PairResult r{Median(ownRate), Median(peerRate), Median(ownCpu),
               Median(peerCpu), Median(ownPeak),  Median(peerPeak),
               Median(rate),    Median(cpu),      Median(peak)};
  state.counters["own_rows_per_s"] = r.OwnRate;
  state.counters["peer_rows_per_s"] = r.PeerRate;
  state.counters["rate_ratio"] = r.RateRatio;
  // Rows per second of the client's own processor time: steadier than the wall clock on a
  // loaded machine.
  state.counters["cpu_rate_ratio"] = r.CpuRatio;
  state.counters["peak_ratio"] = r.PeakRatio;
  Results()[name] = r;
}

#define FETCH_BENCH_PAIR(mode)                                                                \
  void BM_##mode(benchmark::State& state) {                                                   \
    RunPair(state, #mode, FetchOwn, FetchPeer, Transport::mode);                              \
  }                                                                                           \
  BENCHMARK(BM_##mode)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

FETCH_BENCH_PAIR(Plain)
FETCH_BENCH_PAIR(Compressed)
FETCH_BENCH_PAIR(Tls)
FETCH_BENCH_PAIR(Socket)

void BM_Prepared(benchmark::State& state) {
  RunPair(state, "Prepared", FetchOwnPrepared, FetchPeerStmt, Transport::Plain);
}
BENCHMARK(BM_Prepared)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

}  // namespace

// FETCH_BENCH_ONE=own|peer with FETCH_BENCH_TRANSPORT=plain|compressed|tls|socket runs that one
// fetch in this process and prints its figures, so that an outside tool (/usr/bin/time -v) can
// measure the side alone.
int RunOne(const std::string& side) {
  const char* text = std::getenv("FETCH_BENCH_TRANSPORT");
  const std::string name = text ? text : "plain";
  const std::map<std::string, Transport> transports = {{"plain", Transport::Plain},
                                                       {"compressed", Transport::Compressed},
                                                       {"tls", Transport::Tls},
                                                       {"socket", Transport::Socket}};
  if (!transports.count(name) || (side != "own" && side != "peer")) {
    std::fprintf(stderr, "FETCH_BENCH_ONE is own or peer; FETCH_BENCH_TRANSPORT one of plain, "
                         "compressed, tls, socket\n");
    return 2;
  }
  const Transport transport = transports.at(name);
  const Measure m = side == "own" ? FetchOwn(transport) : FetchPeer(transport);
  std::printf("%s %s: %ld rows in %.3f s, client cpu %.3f s\n", side.c_str(), name.c_str(),
              m.Rows, m.Seconds, m.CpuSeconds);
  return m.Rows == Rows() ? 0 : 1;
}

int main(int argc, char** argv) {
  if (const char* one = std::getenv("FETCH_BENCH_ONE")) {
    EnsureTable();
    return RunOne(one);
  }
  benchmark::Initialize(&argc, argv);
  EnsureTable();
  benchmark::RunSpecifiedBenchmarks();
  std::printf("medians of %d alternating rounds (the prepared pair: the peer's statement "
              "interface)\n", Rounds());
  for (const auto& [mode, r] : Results())
    std::printf(
        "%-10s own %9.0f rows/s %7.1f MB peak   peer %9.0f rows/s %7.1f MB peak   "
        "rate own/peer %.2f   memory own/peer %.2f   client cpu rate own/peer %.2f\n",
        mode.c_str(), r.OwnRate, r.OwnPeakMB, r.PeerRate, r.PeerPeakMB, r.RateRatio, r.PeakRatio,
        r.CpuRatio);
  benchmark::Shutdown();
  return 0;
}
