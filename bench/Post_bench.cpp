// Saving donations one by one: single-row posts through the query component (Append, the fields
// set, Post: the generated INSERT, its parameters filled from the record and run by the updater's
// internal dataset component, the new id read back and written into the record) next to the same
// INSERTs sent by MariaDB Connector/C with mysql_real_query, the peer formatting each text anew.
//
// The server's log flush dominates the wall clock, so the figure that tells the client's cost is
// the CPU time of this process (user and system, getrusage) around the timed loop. The sides
// alternate over the rounds (the first side changes every round); each round prints both sides'
// CPU (and of it the user time) and wall time per post, and the end prints the medians and the
// median ratios own/peer.
//
// Needs the test server: scripts/test-db start; eval "$(scripts/test-db env)";
// build/rel/bench/Post_bench [posts per round, default 10000] [rounds, default 5] [own|peer]
// A side named last runs alone (for a profiler); the ratios then mean nothing.
#include <mysql.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchServer.h"
#include "bench/BenchSupport.h"

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyAccess_Service.h"
#include "MySql/MyClasses_RecordSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/UnicodeText.h"

namespace {

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

long long PeerCount(MYSQL* mysql, const std::string& sql) {
  PeerExec(mysql, sql);
  MYSQL_RES* result = mysql_store_result(mysql);
  MYSQL_ROW row = result != nullptr ? mysql_fetch_row(result) : nullptr;
  long long value = row != nullptr && row[0] != nullptr ? std::atoll(row[0]) : -1;
  if (result != nullptr) mysql_free_result(result);
  return value;
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

void ClearPayments(MYSQL* mysql) {
  PeerExec(mysql, "DELETE FROM payment");
  PeerExec(mysql, "DELETE FROM clients");
  PeerExec(mysql, "INSERT INTO clients (id, full_name) VALUES (1, 'Марија Ристова')");
}

// User and system CPU seconds of this process so far.
struct CpuTimes {
  double User = 0;
  double System = 0;
};

CpuTimes CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Microseconds per post of one side's timed loop.
// Cpu is user and system time together; User tells how much of it is the client's own code.
struct Cost {
  double Cpu = 0;
  double Wall = 0;
  double User = 0;
};

template <typename Loop>
Cost Timed(int posts, Loop loop) {
  CpuTimes cpu = CpuSeconds();
  double wall = WallSeconds();
  loop();
  CpuTimes end = CpuSeconds();
  double user = end.User - cpu.User;
  double all = user + end.System - cpu.System;
  return {all * 1e6 / posts, (WallSeconds() - wall) * 1e6 / posts, user * 1e6 / posts};
}

class OwnSide {
 public:
  OwnSide() {
    const Server& s = TestServer();
    FConnection.SetServer(UTF8ToString(s.host));
    FConnection.SetPort(static_cast<int>(s.port));
    FConnection.SetUsername(UTF8ToString(s.user));
    FConnection.SetPassword(UTF8ToString(s.password));
    FConnection.SetDatabase(UTF8ToString(s.database));
    FConnection.SetLoginPrompt(false);
    FConnection.Options()->SetUseUnicode(true);
    FConnection.Options()->SetCharset(u"utf8");
    FQuery.SetConnection(&FConnection);
    FQuery.SetSQLText(u"SELECT * FROM payment WHERE id < 0");
  }

  Cost Run(int posts) {
    FQuery.Close();
    FQuery.Open();
    const TDateTime when = EncodeDate(2026, 12, 10) + EncodeTime(9, 30, 0, 0);
    Cost cost = Timed(posts, [&] {
      for (int i = 0; i < posts; ++i) {
        FQuery.Append();
        FQuery.FieldByName(u"client_id")->SetAsInteger(1);
        FQuery.FieldByName(u"payment_date")->SetAsDateTime(when);
        FQuery.FieldByName(u"amount")->SetAsFloat(100.0 + i);
        FQuery.FieldByName(u"added_by")->SetAsInteger(1);
        FQuery.FieldByName(u"added_on")->SetAsDateTime(when);
        FQuery.FieldByName(u"note")->SetAsString(u"Донација");
        FQuery.FieldByName(u"type")->SetAsInteger(1);
        FQuery.Post();
      }
    });
    if (FQuery.RecordCount() != posts) throw std::runtime_error("not every post reached the store");
    LastId = FQuery.FieldByName(u"id")->AsLargeInt();
    return cost;
  }

  int64_t LastId = 0;

 private:
  TBenchConnection FConnection{nullptr};
  TBenchQuery FQuery{nullptr};
};

Cost PeerRun(MYSQL* mysql, int posts) {
  return Timed(posts, [&] {
    for (int i = 0; i < posts; ++i) {
      std::string sql =
          "INSERT INTO payment\r\n  (client_id, payment_date, amount, added_by, added_on, note, "
          "type)\r\nVALUES\r\n  (1, '2026-12-10 09:30:00', " +
          std::to_string(100 + i) + ", 1, '2026-12-10 09:30:00', 'Донација', 1)";
      PeerExec(mysql, sql);
      if (mysql_insert_id(mysql) == 0) throw std::runtime_error("the peer got no id");
    }
  });
}

// What the own side wrote: every row, with the values set, and the last id read back.
void CheckOwnRows(MYSQL* mysql, int posts, int64_t lastId) {
  long long rows = PeerCount(
      mysql,
      "SELECT COUNT(*) FROM payment WHERE client_id = 1 AND added_by = 1 AND type = 1 AND "
      "note = 'Донација' AND payment_date = '2026-12-10 09:30:00' AND amount >= 100");
  long long maxId = PeerCount(mysql, "SELECT MAX(id) FROM payment");
  if (rows != posts || maxId != lastId)
    throw std::runtime_error("the own side's rows differ from what was posted");
}

}  // namespace

int main(int argc, char** argv) {
  int posts = argc > 1 ? std::atoi(argv[1]) : 10000;
  int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  std::string only = argc > 3 ? argv[3] : "";
  if (posts <= 0 || rounds <= 0) {
    std::fprintf(stderr, "usage: Post_bench [posts per round] [rounds]\n");
    return 2;
  }
  MYSQL* peer = PeerConnect();
  OwnSide own;
  std::vector<double> ownCpu, peerCpu, ownWall, peerWall, cpuRatio, wallRatio, ownUser, peerUser;
  for (int round = 1; round <= rounds; ++round) {
    auto runOwn = [&] {
      if (only == "peer") return Cost{1, 1, 1};
      ClearPayments(peer);
      Cost cost = own.Run(posts);
      CheckOwnRows(peer, posts, own.LastId);
      return cost;
    };
    auto runPeer = [&] {
      if (only == "own") return Cost{1, 1, 1};
      ClearPayments(peer);
      return PeerRun(peer, posts);
    };
    Cost o, p;
    if (round % 2 == 1) {
      o = runOwn();
      p = runPeer();
    } else {
      p = runPeer();
      o = runOwn();
    }
    ownCpu.push_back(o.Cpu);
    peerCpu.push_back(p.Cpu);
    ownWall.push_back(o.Wall);
    ownUser.push_back(o.User);
    peerUser.push_back(p.User);
    peerWall.push_back(p.Wall);
    cpuRatio.push_back(o.Cpu / p.Cpu);
    wallRatio.push_back(o.Wall / p.Wall);
    std::printf(
        "round %d: CPU/post own %.1f us (user %.1f)  peer %.1f us (user %.1f)  ratio %.2f | "
        "wall/post own %.1f us  peer %.1f us  ratio %.2f\n",
        round, o.Cpu, o.User, p.Cpu, p.User, o.Cpu / p.Cpu, o.Wall, p.Wall, o.Wall / p.Wall);
    std::fflush(stdout);
  }
  std::printf(
      "%d posts x %d rounds, medians: CPU/post own %.1f us (user %.1f)  peer %.1f us (user %.1f)  "
      "ratio own/peer %.2f | wall/post own %.1f us  peer %.1f us  ratio own/peer %.2f\n",
      posts, rounds, bench::Median(ownCpu), bench::Median(ownUser), bench::Median(peerCpu),
      bench::Median(peerUser), bench::Median(cpuRatio),
      bench::Median(ownWall), bench::Median(peerWall), bench::Median(wallRatio));
  mysql_close(peer);
  return 0;
}
