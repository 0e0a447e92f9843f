// The engine through the HTTP tunnel against the private server: the test tunnel server plays the
// script beside the database and relays to it, directly and through a forward proxy with basic
// authentication. The statements of the connection tests (queries, inserts with their ids, a
// 17 MB value both ways, Cyrillic), the errors of a misbehaving script as the engine reports
// them, and the connection component's HttpOptions.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Common/LxVioHttp.h"
#include "MySql/MyAccess.h"
#include "MySql/MyClasses.h"
#include "MySql/MyClasses_Error.h"
#include "MySql/MySqlErrors.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/MySql/SessionQueries.h"
#include "tests/support/HttpProxyServer.h"
#include "tests/support/HttpTunnelServer.h"
#include "tests/support/ProcessResources.h"
#include "tests/support/TestDb.h"

namespace {

using httptest::Fault;
using httptest::ProxyServer;
using httptest::TunnelServer;
using sessiontest::One;

// "pu:pp" in Base64, written out here so the client's encoder is checked too.
constexpr const char* kProxyCredentials = "Basic cHU6cHA=";

std::unique_ptr<THttpOptions, TObjectFree> Options(const TunnelServer& tunnel) {
  std::unique_ptr<THttpOptions, TObjectFree> options(new THttpOptions());
  options->SetUrl(UTF8ToString(tunnel.Url()));
  return options;
}

std::unique_ptr<TMySqlSession> OpenThrough(THttpOptions& options, int timeout = 30) {
  const testdb::Settings& db = testdb::Get();
  auto session = std::make_unique<TMySqlSession>();
  session->SetConnectTimeout(timeout);
  session->SetCharacterSet("utf8");
  session->SetHttpOptions(&options);
  session->Connect(db.host, db.user, db.password, db.database, static_cast<int32_t>(db.port), "",
                   0);
  return session;
}

std::string Error(const EMySqlException& e) {
  return std::to_string(e.ErrorCode()) + " " + UTF8Encode(e.Message());
}

// The statements of the connection tests, on a session through the tunnel.
void RunTheConnectionStatements(TMySqlSession& s) {
  EXPECT_EQ(One(s, "SELECT DATABASE()"), testdb::Get().database);
  s.Query(
      "CREATE TEMPORARY TABLE tunnel_items (id INT AUTO_INCREMENT PRIMARY KEY, "
      "name VARCHAR(40) CHARACTER SET utf8mb4, big LONGTEXT)");
  s.Query("INSERT INTO tunnel_items (name) VALUES ('one'), ('two'), ('three')");
  EXPECT_EQ(s.AffectedRows(), 3);
  EXPECT_EQ(s.InsertId(), 1u);
  s.Query("INSERT INTO tunnel_items (name) VALUES ('Привет, мир')");
  EXPECT_EQ(s.InsertId(), 4u);
  EXPECT_EQ(One(s, "SELECT name FROM tunnel_items WHERE id = 4"), "Привет, мир");
  EXPECT_EQ(One(s, "SELECT CHAR_LENGTH(name) FROM tunnel_items WHERE id = 4"), "11");
  sessiontest::Result rows =
      sessiontest::RunQuery(s, "SELECT id, name FROM tunnel_items ORDER BY id");
  ASSERT_EQ(rows.rows.size(), 4u);
  EXPECT_EQ(*rows.rows[2][1], "three");

  // 17 MB out as a statement and back as a row: packets of more than 16 MB, many requests.
  const std::string value = sessiontest::Letters(17u << 20);
  s.Query("UPDATE tunnel_items SET big = '" + value + "' WHERE id = 2");
  EXPECT_EQ(s.AffectedRows(), 1);
  std::string echoed = One(s, "SELECT big FROM tunnel_items WHERE id = 2");
  EXPECT_EQ(echoed.size(), value.size());
  EXPECT_TRUE(echoed == value);
  EXPECT_EQ(One(s, "SELECT 1"), "1") << "the session is in step after the large packets";
}

TEST(HttpTunnelSession, RunsTheConnectionStatementsThroughTheTunnel) {
  const testdb::Settings& db = testdb::Get();
  TunnelServer tunnel;
  auto options = Options(tunnel);
  auto s = OpenThrough(*options);
  EXPECT_EQ(s->HostInfo(), db.host + " via HTTP");
  ASSERT_NE(dynamic_cast<TLxVioHttp*>(s->Net().Vio()), nullptr);
  RunTheConnectionStatements(*s);
  EXPECT_GT(tunnel.Count('w'), 8) << "17 MB go out in pieces of at most 2 MB";
  s->Close();
  EXPECT_EQ(tunnel.Count('x'), 1);
  EXPECT_EQ(tunnel.OpenTunnels(), 0u);
}

TEST(HttpTunnelSession, ThroughAProxyWithItsCredentialsAndRefusedWithout) {
  TunnelServer tunnel;
  ProxyServer proxy;
  proxy.RequireAuthorization(kProxyCredentials);
  auto options = Options(tunnel);
  options->ProxyOptions()->SetHostname(u"127.0.0.1");
  options->ProxyOptions()->SetPort(proxy.Port());
  options->ProxyOptions()->SetUsername(u"pu");
  options->ProxyOptions()->SetPassword(u"pp");
  {
    auto s = OpenThrough(*options);
    RunTheConnectionStatements(*s);
    s->Close();
  }
  EXPECT_EQ(proxy.Refused(), 0);
  for (const auto& request : tunnel.Requests())
    EXPECT_EQ(request.Via, "1.0 test-proxy") << request.Target;
  const auto lines = proxy.RequestLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].rfind("GET " + tunnel.Url() + "/?a=c&s=", 0), 0u) << lines[0];

  // Without the proxy's credentials every request meets 407: the tunnel cannot be set up.
  const int before = tunnel.Count('c') + tunnel.Count('t');
  options->ProxyOptions()->SetPassword(u"");
  try {
    OpenThrough(*options, 1);
    ADD_FAILURE() << "connected without the proxy's credentials";
  } catch (const EMySqlException& e) {
    EXPECT_EQ(Error(e), "2003 Can't connect to MySQL server on '" + testdb::Get().host +
                            "' (10061)\r\nCannot establish HTTP connection");
  }
  EXPECT_GT(proxy.Refused(), 0);
  EXPECT_EQ(tunnel.Count('c') + tunnel.Count('t'), before) << "nothing got past the proxy";
}

TEST(HttpTunnelSession, AMisbehavingScriptLosesTheConnectionWithItsReasonAndLeavesNothing) {
  struct Case {
    const char* name;
    char action;
    Fault fault;
    std::string detail;
  } cases[] = {
      {"ER: on read", 'r', Fault::ScriptError, TunnelServer::ScriptErrorText},
      {"ER: on write", 'w', Fault::ScriptError, TunnelServer::ScriptErrorText},
      {"a truncated reply", 'r', Fault::Truncate,
       "The HTTP response ended before the length it announced"},
      {"a redirect loop", 'w', Fault::Redirect, "Too many HTTP redirects (more than 10)"},
      {"a stall past the time-out", 'r', Fault::Stall, "Socket error on read"},
  };
  for (const Case& c : cases) {
    const testsupport::ProcessResources before;
    {
      TunnelServer tunnel;
      auto options = Options(tunnel);
      auto s = OpenThrough(*options);
      s->SetCommandTimeout(1);
      tunnel.AddFault(c.action, 0, c.fault);
      try {
        s->Query("SELECT 1");
        ADD_FAILURE() << c.name << ": no error";
      } catch (const EMySqlException& e) {
        EXPECT_EQ(
            Error(e).rfind("2013 Lost connection to MySQL server during query\r\n" + c.detail, 0),
            0u)
            << c.name << ": " << Error(e);
      }
      s.reset();
      tunnel.Stop();
    }
    EXPECT_EQ(THttpConnectThread::AbandonedCount(), 0u) << c.name;
    const testsupport::ProcessResources after;
    EXPECT_EQ(after.Files, before.Files) << c.name;
    EXPECT_EQ(after.Threads, before.Threads) << c.name;
  }
}

TEST(HttpTunnelComponent, TheConnectionComponentTakesItsHttpOptionsAtEveryConnect) {
  const testdb::Settings& db = testdb::Get();
  TunnelServer tunnel;
  TMyConnection conn(nullptr);
  ApplyTestSettings(conn);
  conn.SetConnectionTimeout(1);
  conn.Options()->SetProtocol(mpHttp);
  // First at an address where no script answers: the connect fails with the tunnel's reason.
  conn.HttpOptions()->SetUrl(UTF8ToString(tunnel.Url() + "/../nowhere"));
  tunnel.AddFault('t', 0, Fault::ScriptError);
  try {
    conn.SetConnected(true);
    ADD_FAILURE() << "no error";
  } catch (const EMyError& e) {
    EXPECT_EQ(e.ErrorCode(), 2003);
    EXPECT_NE(e.Message().find(u"Cannot establish HTTP connection"), String::npos);
  }
  // Mended on the component, the options reach the provider connection that already exists.
  httptest::TunnelServer working;
  conn.HttpOptions()->SetUrl(UTF8ToString(working.Url()));
  conn.SetConnectionTimeout(30);
  conn.SetConnected(true);
  TMySQLConnection* my = conn.MySQLConnection();
  EXPECT_EQ(my->API()->mysql_get_host_info(my->Handle()), db.host + " via HTTP");
  EXPECT_EQ(my->HttpOptions()->Url(), UTF8ToString(working.Url()));
  EXPECT_GT(working.Count('r'), 0);

  // A copy of the component asks for the same tunnel.
  TMyConnection copy(nullptr);
  copy.AssignConnect(&conn);
  EXPECT_TRUE(copy.HttpOptions()->Equals(conn.HttpOptions()));
  copy.Options()->SetProtocol(mpHttp);
  copy.SetConnected(true);
  EXPECT_EQ(working.OpenTunnels(), 2u);
  copy.SetConnected(false);
  conn.SetConnected(false);
  EXPECT_EQ(working.OpenTunnels(), 0u);
}

}  // namespace
