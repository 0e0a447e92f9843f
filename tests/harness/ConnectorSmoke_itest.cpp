// Proves the test harness before our own engine exists: the reference client library reaches the
// private server over TCP, over the Unix socket and over TLS.
#include <mysql.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/support/TestDb.h"

namespace {

struct Handle {
  MYSQL* mysql = mysql_init(nullptr);
  ~Handle() { mysql_close(mysql); }
};

std::string QueryOne(MYSQL* mysql, const char* sql) {
  EXPECT_EQ(mysql_query(mysql, sql), 0) << mysql_error(mysql);
  MYSQL_RES* result = mysql_store_result(mysql);
  EXPECT_NE(result, nullptr) << mysql_error(mysql);
  if (result == nullptr) return {};
  MYSQL_ROW row = mysql_fetch_row(result);
  std::string value = row && row[0] ? row[0] : "";
  mysql_free_result(result);
  return value;
}

TEST(TestServer, AnswersVersionOverTcp) {
  const auto& db = testdb::Get();
  Handle h;
  ASSERT_NE(mysql_real_connect(h.mysql, db.host.c_str(), db.user.c_str(), db.password.c_str(),
                               db.database.c_str(), db.port, nullptr, 0),
            nullptr)
      << mysql_error(h.mysql);
  std::string version = QueryOne(h.mysql, "SELECT VERSION()");
  EXPECT_NE(version.find("MariaDB"), std::string::npos) << version;
  EXPECT_EQ(QueryOne(h.mysql, "SELECT DATABASE()"), db.database);
}

TEST(TestServer, AnswersOverUnixSocket) {
  const auto& db = testdb::Get();
  Handle h;
  ASSERT_NE(mysql_real_connect(h.mysql, "localhost", db.user.c_str(), db.password.c_str(),
                               db.database.c_str(), 0, db.socket.c_str(), 0),
            nullptr)
      << mysql_error(h.mysql);
  EXPECT_EQ(QueryOne(h.mysql, "SELECT 1 + 1"), "2");
}

TEST(TestServer, AcceptsTlsWithItsCertificates) {
  const auto& db = testdb::Get();
  Handle h;
  mysql_optionsv(h.mysql, MYSQL_OPT_SSL_CA, db.ssl_ca.c_str());
  mysql_optionsv(h.mysql, MYSQL_OPT_SSL_CERT, db.ssl_cert.c_str());
  mysql_optionsv(h.mysql, MYSQL_OPT_SSL_KEY, db.ssl_key.c_str());
  my_bool verify = 1;
  mysql_optionsv(h.mysql, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &verify);
  ASSERT_NE(mysql_real_connect(h.mysql, db.host.c_str(), db.user.c_str(), db.password.c_str(),
                               db.database.c_str(), db.port, nullptr, 0),
            nullptr)
      << mysql_error(h.mysql);
  EXPECT_NE(mysql_get_ssl_cipher(h.mysql), nullptr);
  EXPECT_NE(QueryOne(h.mysql, "SHOW SESSION STATUS LIKE 'Ssl_version'"), "");
}

TEST(TestServer, AllowsLocalInfileAndLargePackets) {
  const auto& db = testdb::Get();
  Handle h;
  ASSERT_NE(mysql_real_connect(h.mysql, db.host.c_str(), db.user.c_str(), db.password.c_str(),
                               db.database.c_str(), db.port, nullptr, 0),
            nullptr)
      << mysql_error(h.mysql);
  EXPECT_EQ(QueryOne(h.mysql, "SELECT @@local_infile"), "1");
  EXPECT_EQ(QueryOne(h.mysql, "SELECT @@max_allowed_packet"), "67108864");
}

}  // namespace
