// The own-protocol back end of the call table against the private server: logins and the errors
// the table reports for them, and a MySQL connection opened through it.
#include "MySql/MySqlApiDirect.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

#include "MySql/MyClasses_Connection.h"
#include "MySql/MyClasses_Error.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/support/TestDb.h"

namespace {

// A loopback port with nothing listening on it.
int ClosedPort() {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(s);
  return ntohs(addr.sin_port);
}

TEST(MySQLAPIDirect, LoginAndItsErrorsThroughTheTable) {
  const testdb::Settings& db = testdb::Get();
  TMySQLAPIDirect& api = MySQLAPIDirect();
  api.Initialize();
  EXPECT_EQ(api.ClientStructVer(), 0);
  EXPECT_EQ(api.ClientVersion(), "7.0.0 Direct");

  PMYSQL_CON con = api.mysql_init(nullptr);
  int timeout = 10;
  EXPECT_EQ(api.mysql_options(con, MYOPT_CONNECT_TIMEOUT, &timeout), 0);
  EXPECT_EQ(api.mysql_real_connect(con, db.host.c_str(), db.user.c_str(), db.password.c_str(),
                                   db.database.c_str(), static_cast<int>(db.port), nullptr,
                                   MYCLIENT_FOUND_ROWS | MYCLIENT_MULTI_STATEMENTS),
            con);
  EXPECT_EQ(api.mysql_errno(con), 0);
  EXPECT_EQ(api.mysql_get_server_info(con).rfind("10.11.", 0), 0u) << api.mysql_get_server_info(con);
  EXPECT_GT(api.mysql_thread_id(con), 0);
  EXPECT_NE(api.mysql_get_host_info(con).find("TCP/IP"), AnsiString::npos);
  api.mysql_close(con);

  con = api.mysql_init(nullptr);
  EXPECT_EQ(api.mysql_real_connect(con, db.host.c_str(), db.user.c_str(), "wrong",
                                   db.database.c_str(), static_cast<int>(db.port), nullptr, 0),
            nullptr);
  EXPECT_EQ(api.mysql_errno(con), 1045);
  EXPECT_NE(api.mysql_error(con).find("Access denied"), AnsiString::npos) << api.mysql_error(con);
  api.mysql_close(con);

  con = api.mysql_init(nullptr);
  EXPECT_EQ(api.mysql_real_connect(con, "127.0.0.1", "x", "", "", ClosedPort(), nullptr, 0),
            nullptr);
  EXPECT_EQ(api.mysql_errno(con), 2003);
  api.mysql_close(con);
  api.mysql_close(nullptr);  // nothing to close
}

TEST(MySQLAPIDirect, AConnectionReportsAFailedLoginAsEMyError) {
  const testdb::Settings& db = testdb::Get();
  TMySQLConnection conn;
  conn.SetServer(UTF8ToString(db.host));
  conn.SetProp(pcPort, static_cast<int32_t>(db.port));
  conn.SetUsername(UTF8ToString(db.user));
  conn.SetPassword(u"not the password");
  try {
    conn.Connect(u"");
    FAIL();
  } catch (const EMyError& e) {
    EXPECT_EQ(e.ErrorCode(), 1045);
    EXPECT_FALSE(e.IsConnectionLost());
  }
  EXPECT_FALSE(conn.GetConnected());

  conn.SetServer(u"127.0.0.1");
  conn.SetProp(pcPort, ClosedPort());
  try {
    conn.Connect(u"");
    FAIL();
  } catch (const EMyError& e) {
    EXPECT_EQ(e.ErrorCode(), 2003);
    EXPECT_TRUE(e.IsConnectionLost());
  }
}

}  // namespace
