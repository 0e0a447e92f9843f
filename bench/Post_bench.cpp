// Saving donations one by one: 10,000 single-row posts through the query component (Append, the
// fields set, Post: the generated INSERT, its parameters filled from the record and run by the
// updater's internal dataset component, the new id read back and written into the record) next to the same 10,000 INSERTs sent by MariaDB Connector/C
// with mysql_real_query, in one run, wall-clock time. The ratio own/peer is printed at the end.
//
// Needs the test server: scripts/test-db start; eval "$(scripts/test-db env)"; build/rel/bench/Post_bench
#include <mysql.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/BenchServer.h"

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyAccess_Service.h"
#include "MySql/MyClasses_RecordSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/UnicodeText.h"

namespace {

constexpr int kPosts = 10000;

using bench::Server;
using bench::TestServer;

MYSQL* PeerConnect() {
  const Server& s = TestServer();
  MYSQL* mysql = mysql_init(nullptr);
  if (!mysql_real_connect(mysql, s.host.c_str(), s.user.c_str(), s.password.c_str(),
                          s.database.c_str(), s.port, nullptr, 0))
    throw std::runtime_error(mysql_error(mysql));
  mysql_set_character_set(mysql, "utf8");
  return mysql;
}

void PeerExec(MYSQL* mysql, const std::string& sql) {
  if (mysql_real_query(mysql, sql.data(), sql.size()) != 0)
    throw std::runtime_error(mysql_error(mysql));
}

// The connection and query as the application has them, with the MySQL record set and service.
class TBenchConnection : public TMyConnection {
 public:
  using TMyConnection::TMyConnection;
  TLxRecordSetClass GetIRecordSetClass() override {
    return TLxRecordSetClass::Of<TMySQLRecordset>();
  }
};

class TBenchQuery : public TMyQuery {
 public:
  using TMyQuery::TMyQuery;
  TDataSetServiceClass GetDataSetServiceClass() override {
    return TDataSetServiceClass::Of<TMyDataSetService>();
  }
};

void ClearPayments() {
  MYSQL* mysql = PeerConnect();
  PeerExec(mysql, "DELETE FROM payment");
  PeerExec(mysql, "DELETE FROM clients");
  PeerExec(mysql, "INSERT INTO clients (id, full_name) VALUES (1, 'Марија Ристова')");
  mysql_close(mysql);
}

void BM_Own_Posts(benchmark::State& state) {
  const Server& s = TestServer();
  ClearPayments();
  TBenchConnection conn(nullptr);
  conn.SetServer(UTF8ToString(s.host));
  conn.SetPort(static_cast<int>(s.port));
  conn.SetUsername(UTF8ToString(s.user));
  conn.SetPassword(UTF8ToString(s.password));
  conn.SetDatabase(UTF8ToString(s.database));
  conn.SetLoginPrompt(false);
  conn.Options()->SetUseUnicode(true);
  conn.Options()->SetCharset(u"utf8");
  TBenchQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(u"SELECT * FROM payment WHERE id < 0");
  query.Open();
  const TDateTime when = EncodeDate(2026, 12, 10) + EncodeTime(9, 30, 0, 0);
  for (auto _ : state) {
    for (int i = 0; i < kPosts; ++i) {
      query.Append();
      query.FieldByName(u"client_id")->SetAsInteger(1);
      query.FieldByName(u"payment_date")->SetAsDateTime(when);
      query.FieldByName(u"amount")->SetAsFloat(100.0 + i);
      query.FieldByName(u"added_by")->SetAsInteger(1);
      query.FieldByName(u"added_on")->SetAsDateTime(when);
      query.FieldByName(u"note")->SetAsString(u"Донација");
      query.FieldByName(u"type")->SetAsInteger(1);
      query.Post();
    }
  }
  if (query.RecordCount() != kPosts * static_cast<int>(state.iterations()))
    state.SkipWithError("not every post reached the store");
  state.counters["posts"] = kPosts;
}

void BM_Peer_Inserts(benchmark::State& state) {
  ClearPayments();
  MYSQL* mysql = PeerConnect();
  for (auto _ : state) {
    for (int i = 0; i < kPosts; ++i) {
      std::string sql =
          "INSERT INTO payment\r\n  (client_id, payment_date, amount, added_by, added_on, note, "
          "type)\r\nVALUES\r\n  (1, '2026-12-10 09:30:00', " +
          std::to_string(100 + i) + ", 1, '2026-12-10 09:30:00', 'Донација', 1)";
      PeerExec(mysql, sql);
      benchmark::DoNotOptimize(mysql_insert_id(mysql));
    }
  }
  mysql_close(mysql);
  state.counters["posts"] = kPosts;
}

BENCHMARK(BM_Own_Posts)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Peer_Inserts)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// Keeps every run's time so the ratio can be printed after the table.
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      std::string name = run.benchmark_name();
      Seconds[name.substr(0, name.find('/'))] = run.GetAdjustedRealTime();
    }
  }
  std::map<std::string, double> Seconds;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto own = reporter.Seconds.find("BM_Own_Posts");
  auto peer = reporter.Seconds.find("BM_Peer_Inserts");
  if (own != reporter.Seconds.end() && peer != reporter.Seconds.end() && peer->second > 0)
    std::printf("%d posts: own %.0f ms  peer %.0f ms  ratio own/peer %.2f\n", kPosts, own->second,
                peer->second, own->second / peer->second);
  benchmark::Shutdown();
  return 0;
}
