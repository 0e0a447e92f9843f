// The packet layer and the login against the private MariaDB server: every password kind, compression,
// and packets at and past the 16 MB boundary in both directions.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "MySql/MySqlErrors.h"
#include "MySql/MySqlSession.h"
#include "MySql/MySqlSession_Handshake.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/SessionQueries.h"
#include "tests/support/TestDb.h"

namespace {

using Row = std::vector<std::optional<std::string>>;
constexpr int32_t kMax = 0xFFFFFF;

// Sends a query and reads its text result with nothing but the packet layer: OK packets give no
// rows; a result set gives its rows, each column as text or NULL.
std::vector<Row> Query(TMySqlSession& session, const std::string& sql) {
  TMySqlNet& net = session.Net();
  net.NewCommand();
  net.WriteByte(3);  // a query
  net.WriteLarge(reinterpret_cast<const uint8_t*>(sql.data()), 0, static_cast<int32_t>(sql.size()));
  net.Send();
  net.Receive();
  if (net.Buffer()[0] == 0) return {};
  int64_t columns = net.ReadLengthCoded();
  for (int64_t i = 0; i < columns; ++i) net.Receive();
  net.Receive();  // the end of the column list
  std::vector<Row> rows;
  for (;;) {
    net.Receive();
    if (net.Buffer()[0] == 0xFE && net.Length() < 9) break;
    Row row;
    for (int64_t i = 0; i < columns; ++i) {
      int64_t n = net.ReadLengthCoded();
      if (n < 0) {
        row.push_back(std::nullopt);
        continue;
      }
      TBytes value(static_cast<size_t>(n));
      EXPECT_EQ(net.ReadBytes(value, 0, static_cast<int32_t>(n)), n);
      row.emplace_back(std::string(value.begin(), value.end()));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string One(TMySqlSession& session, const std::string& sql) {
  auto rows = Query(session, sql);
  EXPECT_EQ(rows.size(), 1u) << sql;
  return rows.empty() || !rows[0][0] ? std::string() : *rows[0][0];
}

using sessiontest::Letters;

struct WireTest : ::testing::Test {
  const testdb::Settings& db = testdb::Get();

  std::unique_ptr<TMySqlSession> Open(const std::string& user, const std::string& password,
                                      uint32_t flags = 0) {
    auto session = std::make_unique<TMySqlSession>();
    session->SetConnectTimeout(30);
    session->Connect(db.host, user, password, db.database, static_cast<int32_t>(db.port), "", flags);
    return session;
  }
  std::unique_ptr<TMySqlSession> OpenTester(uint32_t flags = 0) {
    return Open(db.user, db.password, flags);
  }
};

TEST_F(WireTest, NativePasswordLogin) {
  auto s = OpenTester();
  EXPECT_EQ(s->ServerVersion().rfind("10.11.", 0), 0u) << s->ServerVersion();
  EXPECT_TRUE(s->SpeaksProtocol41());
  EXPECT_NE(s->ThreadId(), 0u);
  EXPECT_EQ(One(*s, "SELECT CURRENT_USER()"), db.user + "@" + db.host);
  EXPECT_EQ(One(*s, "SELECT DATABASE()"), db.database);
  EXPECT_EQ(One(*s, "SELECT CONNECTION_ID()"), std::to_string(s->ThreadId()));
}

TEST_F(WireTest, WrongPasswordIsError1045WithStateAndText) {
  try {
    Open(db.user, "not-the-password");
    FAIL() << "no error";
  } catch (const EMySqlException& e) {
    EXPECT_EQ(e.ErrorCode(), 1045);
    EXPECT_EQ(e.Message(), String(u"\r\n#28000Access denied for user '") + S(db.user) + u"'@'" +
                               S(db.host) + u"' (using password: YES)");
  }
}

TEST_F(WireTest, EmptyPasswordLogin) {
  auto admin = OpenTester();
  Query(*admin, "DROP USER IF EXISTS 'wire_empty'@'" + db.host + "'");
  Query(*admin, "CREATE USER 'wire_empty'@'" + db.host + "' IDENTIFIED VIA mysql_native_password");
  Query(*admin, "GRANT SELECT ON " + db.database + ".* TO 'wire_empty'@'" + db.host + "'");
  auto s = Open("wire_empty", "");
  EXPECT_EQ(One(*s, "SELECT CURRENT_USER()"), "wire_empty@" + db.host);
  Query(*admin, "DROP USER 'wire_empty'@'" + db.host + "'");
}

TEST_F(WireTest, OldPasswordLoginWhenTheServerAllowsIt) {
  // A 4.1 server asks for the pre-4.1 scramble (a lone 0xFE) when the user has an old-style
  // password and secure_auth is off.
  auto admin = OpenTester();
  std::string user = "'wire_old'@'" + db.host + "'";
  Query(*admin, "SET GLOBAL secure_auth = 0");
  Query(*admin, "DROP USER IF EXISTS " + user);
  Query(*admin, "CREATE USER " + user + " IDENTIFIED VIA mysql_old_password USING '" +
                    One(*admin, "SELECT OLD_PASSWORD('old pass')") + "'");
  Query(*admin, "GRANT SELECT ON " + db.database + ".* TO " + user);
  std::string current;
  try {
    auto s = Open("wire_old", "old pass");
    current = One(*s, "SELECT CURRENT_USER()");
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
  Query(*admin, "DROP USER " + user);
  Query(*admin, "SET GLOBAL secure_auth = 1");
  EXPECT_EQ(current, "wire_old@" + db.host);
}

TEST_F(WireTest, CompressionIsOnWhenAsked) {
  auto s = OpenTester(mysqlhandshake::kClientCompress);
  EXPECT_TRUE(s->Net().Compress());
  auto rows = Query(*s, "SHOW SESSION STATUS LIKE 'Compression'");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][1].value_or(""), "ON");
  std::string abs;
  for (int i = 0; i < 1000; ++i) abs += "ab";
  EXPECT_EQ(One(*s, "SELECT REPEAT('ab', 1000)"), abs);

  auto plain = OpenTester();
  EXPECT_FALSE(plain->Net().Compress());
  EXPECT_EQ(Query(*plain, "SHOW SESSION STATUS LIKE 'Compression'")[0][1].value_or(""), "OFF");
}

class WireBothWays : public WireTest, public ::testing::WithParamInterface<bool> {
 protected:
  std::unique_ptr<TMySqlSession> Session() {
    return OpenTester(GetParam() ? mysqlhandshake::kClientCompress : 0);
  }
};

TEST_P(WireBothWays, A17MegabyteValueGoesThereAndBack) {
  auto s = Session();
  const std::string value = Letters(17u << 20);
  std::string echoed = One(*s, "SELECT '" + value + "'");
  EXPECT_EQ(echoed.size(), value.size());
  EXPECT_TRUE(echoed == value);
  EXPECT_EQ(One(*s, "SELECT 1"), "1") << "the session is in step after the large packets";
}

TEST_P(WireBothWays, AQueryOfExactly16MBSplitsIntoAFullAndAnEmptyPacket) {
  auto s = Session();
  const std::string head = "SELECT LENGTH('", tail = "')";
  // The command byte and the text fill exactly one packet.
  const size_t n = kMax - 1 - head.size() - tail.size();
  std::string sql = head + Letters(n) + tail;
  ASSERT_EQ(sql.size() + 1, size_t(kMax));
  EXPECT_EQ(One(*s, sql), std::to_string(n));
}

TEST_P(WireBothWays, ARowOfExactly16MBIsJoinedFromAFullAndAnEmptyPacket) {
  auto s = Session();
  // A value of 16777211 bytes takes a 4-byte length prefix: the row is exactly 16777215 bytes.
  const size_t n = kMax - 4;
  std::string value = One(*s, "SELECT REPEAT('xyz', " + std::to_string(n / 3) + ")");
  ASSERT_EQ(value.size(), n / 3 * 3);
  std::string full = One(*s, "SELECT CONCAT(REPEAT('xyz', " + std::to_string(n / 3) + "), 'ab')");
  ASSERT_EQ(full.size(), n);
  EXPECT_EQ(full.substr(n - 5), "xyzab");
  EXPECT_EQ(One(*s, "SELECT 2"), "2");
}

// A long result cut short from another session: the rows read so far and the error that ended
// them (0 when the result ran to its end).
struct CutResult {
  int64_t rows = 0;
  int32_t error = 0;
};

CutResult ReadUntilCut(TMySqlSession& s, TMySqlSession& killer, const std::string& kill) {
  const std::string id = One(s, "SELECT CONNECTION_ID()");
  TMySqlNet& net = s.Net();
  const std::string sql = "SELECT seq, REPEAT('r', 200) FROM seq_1_to_100000000";
  net.NewCommand();
  net.WriteByte(3);
  net.WriteBytes(reinterpret_cast<const uint8_t*>(sql.data()), 0, static_cast<int32_t>(sql.size()));
  net.Send();
  net.Receive();
  const int64_t columns = net.ReadLengthCoded();
  for (int64_t i = 0; i <= columns; ++i) net.Receive();  // the columns and the end of their list
  CutResult cut;
  try {
    for (;;) {
      net.Receive();
      if (net.Buffer()[0] == 0xFE && net.Length() < 9) break;
      if (++cut.rows == 1000) Query(killer, kill + " " + id);
    }
  } catch (const EMySqlException& e) {
    cut.error = e.ErrorCode();
  }
  return cut;
}

TEST_P(WireBothWays, AKilledQueryEndsItsRowsWithTheServersErrorAndTheSessionGoesOn) {
  auto s = Session();
  auto killer = OpenTester();
  CutResult cut = ReadUntilCut(*s, *killer, "KILL QUERY");
  EXPECT_EQ(cut.error, 1317) << "after " << cut.rows << " rows";
  EXPECT_GE(cut.rows, 1000);
  EXPECT_LT(cut.rows, 100000000);
  EXPECT_EQ(One(*s, "SELECT 3"), "3") << "the stream is in step after the error";
}

TEST_P(WireBothWays, AKilledConnectionWhileRowsArriveIsALostConnection) {
  auto s = Session();
  auto killer = OpenTester();
  CutResult cut = ReadUntilCut(*s, *killer, "KILL CONNECTION");
  EXPECT_EQ(cut.error, CR_LOST_CONNECTION) << "after " << cut.rows << " rows";
  EXPECT_LT(cut.rows, 100000000);
}

INSTANTIATE_TEST_SUITE_P(Compression, WireBothWays, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Compressed" : "Plain"; });

}  // namespace
