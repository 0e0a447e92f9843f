// Commands and replies against the private MariaDB server: what OK packets report, multi-statement
// and multi-result replies, commands while rows are unread, and LOAD DATA LOCAL uploads.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "MySql/MySqlErrors.h"
#include "MySql/MySqlSession_Handshake.h"
#include "platform/rtl/Streams.h"
#include "tests/MySql/SessionQueries.h"

namespace {

using namespace sessiontest;
using mysqlhandshake::kServerMoreResultsExists;
using mysqlhandshake::kServerStatusInTrans;

constexpr uint32_t kClientFoundRows = 0x2;

// --- OK packets ----------------------------------------------------------------------------------

TEST(SessionCommands, OkPacketsReportRowsIdsStatusWarningsAndInfo) {
  auto s = Open();
  s->Query("CREATE TEMPORARY TABLE ok_items (id INT AUTO_INCREMENT PRIMARY KEY, v INT)");
  EXPECT_EQ(s->FieldCount(), 0);

  s->Query("INSERT INTO ok_items (v) VALUES (10), (20), (30)");
  EXPECT_EQ(s->AffectedRows(), 3);
  EXPECT_EQ(s->InsertId(), 1u) << "the first id of a multi-row insert";
  EXPECT_EQ(s->Info(), "Records: 3  Duplicates: 0  Warnings: 0");
  s->Query("INSERT INTO ok_items (v) VALUES (40)");
  EXPECT_EQ(s->InsertId(), 4u);
  EXPECT_EQ(s->Info(), "");

  // Without FOUND_ROWS a row set to the value it has is not affected.
  s->Query("UPDATE ok_items SET v = 10 WHERE id <= 2");
  EXPECT_EQ(s->AffectedRows(), 1);
  EXPECT_EQ(s->Info(), "Rows matched: 2  Changed: 1  Warnings: 0");

  s->Query("BEGIN");
  EXPECT_TRUE(s->ServerStatus() & kServerStatusInTrans);
  s->Query("DELETE FROM ok_items WHERE id = 4");
  EXPECT_EQ(s->AffectedRows(), 1);
  EXPECT_TRUE(s->ServerStatus() & kServerStatusInTrans);
  s->Query("COMMIT");
  EXPECT_FALSE(s->ServerStatus() & kServerStatusInTrans);

  s->Query("DROP TABLE IF EXISTS no_such_table_here");
  EXPECT_EQ(s->WarningCount(), 1u);
  s->Query("DO 1");
  EXPECT_EQ(s->WarningCount(), 0u);
}

TEST(SessionCommands, WithFoundRowsMatchedRowsCount) {
  auto s = Open(kClientFoundRows);
  s->Query("CREATE TEMPORARY TABLE found (id INT, v INT)");
  s->Query("INSERT INTO found VALUES (1, 10), (2, 20)");
  s->Query("UPDATE found SET v = 10");
  EXPECT_EQ(s->AffectedRows(), 2) << "rows matched, not rows changed";
}

TEST(SessionCommands, SelectDbAndPing) {
  auto s = Open();
  s->SelectDb("mysql");
  EXPECT_EQ(s->Database(), "mysql");
  EXPECT_EQ(One(*s, "SELECT DATABASE()"), "mysql");
  s->Ping();
  EXPECT_EQ(One(*s, "SELECT 1"), "1");
  s->Close();
  s->Close();
  EXPECT_TRUE(s->Closed());
}

// --- several results -----------------------------------------------------------------------------

TEST(SessionCommands, AMultiStatementQueryGivesItsResultsInTurn) {
  auto s = Open();
  s->Query("CREATE TEMPORARY TABLE multi (v INT)");
  Result first = RunQuery(*s, "SELECT 1 AS a; SELECT 'x' AS b, 'y' AS c; INSERT INTO multi VALUES (1), (2)");
  ASSERT_EQ(first.rows.size(), 1u);
  EXPECT_EQ(first.columns[0].Name, "a");
  ASSERT_TRUE(s->ServerStatus() & kServerMoreResultsExists);

  s->ReadResult();
  Result second = ReadRows(*s);
  ASSERT_EQ(second.columns.size(), 2u);
  EXPECT_EQ(second.rows[0][1].value_or(""), "y");
  ASSERT_TRUE(s->ServerStatus() & kServerMoreResultsExists);

  s->ReadResult();
  EXPECT_EQ(s->FieldCount(), 0);
  EXPECT_EQ(s->AffectedRows(), 2);
  EXPECT_FALSE(s->ServerStatus() & kServerMoreResultsExists);
  EXPECT_EQ(One(*s, "SELECT COUNT(*) FROM multi"), "2");
}

TEST(SessionCommands, AnErrorEndsAMultiStatementQuery) {
  auto s = Open();
  RunQuery(*s, "SELECT 1; SELECT * FROM no_such_table_here; SELECT 3");
  ASSERT_TRUE(s->ServerStatus() & kServerMoreResultsExists);
  try {
    s->ReadResult();
    FAIL() << "no error";
  } catch (const EMySqlException& e) {
    EXPECT_EQ(e.ErrorCode(), 1146);
  }
  EXPECT_EQ(One(*s, "SELECT 4"), "4") << "the third statement never ran";
}

TEST(SessionCommands, AProcedureGivesSeveralResultsAndAnOk) {
  auto s = Open();
  s->Query("DROP PROCEDURE IF EXISTS session_two_results");
  s->Query("CREATE PROCEDURE session_two_results() BEGIN SELECT 1 AS a; SELECT 2 AS b, 3 AS c; END");
  Result a = RunQuery(*s, "CALL session_two_results()");
  EXPECT_EQ(a.rows[0][0].value_or(""), "1");
  ASSERT_TRUE(s->ServerStatus() & kServerMoreResultsExists);
  s->ReadResult();
  Result b = ReadRows(*s);
  EXPECT_EQ(b.rows[0][1].value_or(""), "3");
  ASSERT_TRUE(s->ServerStatus() & kServerMoreResultsExists);
  s->ReadResult();  // the CALL's own status
  EXPECT_EQ(s->FieldCount(), 0);
  EXPECT_FALSE(s->ServerStatus() & kServerMoreResultsExists);
  s->Query("DROP PROCEDURE session_two_results");
}

class SessionBothWays : public ::testing::TestWithParam<bool> {
 protected:
  std::unique_ptr<TMySqlSession> Session() {
    return Open(GetParam() ? mysqlhandshake::kClientCompress : 0);
  }
};

TEST_P(SessionBothWays, ACommandWhileRowsAreUnreadIsOutOfSync) {
  auto s = Session();
  // Rows of 20 MB in all, one of them over 16 MB: discarding them never holds a row whole.
  s->Query("SELECT REPEAT('x', 17000000) UNION ALL SELECT REPEAT('y', 3000000); SELECT 'next'");
  EXPECT_EQ(s->ResultState(), TMySqlSession::ResultPending);
  try {
    s->Query("SELECT 2");
    FAIL() << "no error";
  } catch (const EMySqlException& e) {
    EXPECT_EQ(e.ErrorCode(), 2014);
    EXPECT_EQ(e.Message(), u"Commands out of sync;  You can't run this command now");
  }
  s->FlushResult();
  EXPECT_EQ(s->ResultState(), TMySqlSession::ResultIdle);
  ASSERT_TRUE(s->ServerStatus() & kServerMoreResultsExists) << "kept from the discarded EOF";
  s->ReadResult();
  EXPECT_EQ(ReadRows(*s).rows[0][0].value_or(""), "next");
  EXPECT_EQ(One(*s, "SELECT 2"), "2");
}

// --- LOAD DATA LOCAL -----------------------------------------------------------------------------

// Lines of 20 bytes: an 8-digit number, a comma, ten letters and a line feed.
std::string Lines(size_t count) {
  std::string out;
  out.reserve(count * 20);
  char line[64];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(line, sizeof line, "%08zu,%c%c%c%c%c%c%c%c%c%c\n", i, 'a' + int(i % 26),
                  'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'a' + int(i / 26 % 26));
    out += line;
  }
  return out;
}

struct LoadFile {
  std::string path = Path();
  static std::string Path() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name)
      if (c == '/') c = '_';
    // The process id keeps test runs of other checkouts on this machine off the same file.
    return ::testing::TempDir() + "session_load_" + std::to_string(getpid()) + "_" + name +
           ".txt";
  }
  explicit LoadFile(const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }
  ~LoadFile() { std::remove(path.c_str()); }
};

std::string LoadSql(const std::string& path) {
  return "LOAD DATA LOCAL INFILE '" + path +
         "' INTO TABLE loaded FIELDS TERMINATED BY ',' LINES TERMINATED BY '\\n'";
}

struct Loaded {
  int64_t affected;
  std::string info;
  std::string count, sum, letters;
};

Loaded Load(TMySqlSession& s, const std::string& path) {
  s.Query("CREATE TEMPORARY TABLE IF NOT EXISTS loaded (n INT, s CHAR(10))");
  s.Query("TRUNCATE TABLE loaded");
  s.Query(LoadSql(path));
  Loaded out{s.AffectedRows(), s.Info(), "", "", ""};
  Result r = RunQuery(s, "SELECT COUNT(*), COALESCE(SUM(n), 0), COALESCE(SUM(ASCII(s)), 0) FROM loaded");
  out.count = r.rows[0][0].value_or("");
  out.sum = r.rows[0][1].value_or("");
  out.letters = r.rows[0][2].value_or("");
  return out;
}

TEST_P(SessionBothWays, LoadDataLocalUploadsFilesOfEverySize) {
  auto s = Session();
  {
    LoadFile empty("");
    Loaded l = Load(*s, empty.path);
    EXPECT_EQ(l.affected, 0);
    EXPECT_EQ(l.count, "0");
  }
  {
    LoadFile small(Lines(1000));  // 20,000 bytes
    Loaded l = Load(*s, small.path);
    EXPECT_EQ(l.affected, 1000);
    EXPECT_EQ(l.info, "Records: 1000  Deleted: 0  Skipped: 0  Warnings: 0");
    EXPECT_EQ(l.sum, std::to_string(999 * 1000 / 2));
  }
  {
    const size_t n = 1048576;  // 20 MB
    std::string content = Lines(n);
    ASSERT_EQ(content.size(), 20u << 20);
    uint64_t letters = 0;
    for (size_t i = 0; i < n; ++i) letters += 'a' + i % 26;
    LoadFile big(content);
    Loaded l = Load(*s, big.path);
    EXPECT_EQ(l.affected, static_cast<int64_t>(n));
    EXPECT_EQ(l.count, std::to_string(n));
    EXPECT_EQ(l.sum, std::to_string(uint64_t(n) * (n - 1) / 2));
    EXPECT_EQ(l.letters, std::to_string(letters));
  }
}

TEST_P(SessionBothWays, AMissingFileIsAFileErrorAndTheSessionGoesOn) {
  auto s = Session();
  s->Query("CREATE TEMPORARY TABLE loaded (n INT, s CHAR(10))");
  const std::string path = ::testing::TempDir() + "session_no_such_file.txt";
  std::remove(path.c_str());
  try {
    s->Query(LoadSql(path));
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message().rfind(u"Cannot open file \"", 0), 0u);
  }
  EXPECT_EQ(s->AffectedRows(), 0);
  EXPECT_EQ(s->ResultState(), TMySqlSession::ResultIdle);
  EXPECT_EQ(One(*s, "SELECT COUNT(*) FROM loaded"), "0");
}

INSTANTIATE_TEST_SUITE_P(Compression, SessionBothWays, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Compressed" : "Plain"; });

}  // namespace
