// The MySQL connection through the call table and the own protocol engine, against the private
// server: rows of a SELECT, the server's errors as EMyError (a killed session, a duplicate key),
// the application's settings with Macedonian text, CheckAlive, and the literal writer end to end
// on both backslash modes.
#include <mysql.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Common/CLRClasses.h"
#include "MySql/MyClasses.h"
#include "MySql/MySqlApiDirect.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/TestDb.h"

namespace {

using Row = std::vector<std::optional<std::string>>;

void OpenWithApplicationSettings(TMySQLConnection& conn, bool compress = false) {
  ApplyProviderSettings(conn);
  conn.SetProp(pcCharset, u"utf8");
  conn.SetProp(pcCompress, compress);
  conn.Connect(u"");
}

// A statement's rows through the connection's call table, each column as bytes or NULL.
std::vector<Row> Rows(TMySQLConnection& conn, const std::string& sql) {
  TMySQLAPI* api = conn.API();
  conn.CheckResultFalse(api->mysql_real_query(conn.Handle(), sql.data(),
                                              static_cast<uint32_t>(sql.size())),
                        nullptr);
  std::vector<Row> rows;
  PMYSQL_RES result = api->mysql_use_result(conn.Handle());
  if (!result) {
    conn.CheckErrno(nullptr);
    return rows;
  }
  int columns = api->mysql_num_fields(result);
  while (PMYSQL_ROW row = api->FetchRow(result)) {
    Row values;
    for (int i = 0; i < columns; ++i) {
      if (api->FieldIsNull(row, i)) {
        values.push_back(std::nullopt);
        continue;
      }
      AnsiString s;
      api->GetFieldString(row, i, s);
      values.emplace_back(s);
    }
    rows.push_back(std::move(values));
  }
  int error = api->mysql_errno(conn.Handle());
  api->mysql_free_result(result);
  if (error) conn.RaiseError(nullptr);
  return rows;
}

std::string One(TMySQLConnection& conn, const std::string& sql) {
  auto rows = Rows(conn, sql);
  EXPECT_EQ(rows.size(), 1u) << sql;
  return rows.empty() || !rows[0][0] ? std::string("<null>") : *rows[0][0];
}

std::string Literal(TMySQLConnection& conn, TDataTypeCode type, const Variant& value) {
  AnsiStringBuilder sb(16);
  MySQLValueToSQL(sb, type, value, UTF8Encode(conn.Charset()), conn.ServerMajor(),
                  conn.BackslashEscapes(), false, conn.UseUnicode(), false);
  return sb.ToString();
}

TEST(MySQLConnectionServer, SelectThroughTheOwnBackEndReturnsTheServersRows) {
  TMySQLConnection conn;
  OpenWithApplicationSettings(conn);
  EXPECT_EQ(conn.API(), &MySQLAPIDirect());
  auto rows = Rows(conn,
                   "SELECT 1 AS n, 'abc' AS t, NULL AS z UNION ALL "
                   "SELECT 2, 'Скопје', '' UNION ALL SELECT 3, REPEAT('x', 300), 'end'");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (Row{"1", "abc", std::nullopt}));
  EXPECT_EQ(rows[1], (Row{"2", "Скопје", ""}));
  EXPECT_EQ(rows[2], (Row{"3", std::string(300, 'x'), "end"}));

  // The same statement through the reference client gives the same rows.
  const testdb::Settings& db = testdb::Get();
  MYSQL* peer = mysql_init(nullptr);
  ASSERT_NE(mysql_real_connect(peer, db.host.c_str(), db.user.c_str(), db.password.c_str(),
                               db.database.c_str(), db.port, nullptr, 0),
            nullptr);
  mysql_set_character_set(peer, "utf8mb4");
  const char* sql = "SELECT id, name FROM (SELECT 7 AS id, 'Битола' AS name) AS t";
  ASSERT_EQ(mysql_query(peer, sql), 0);
  MYSQL_RES* res = mysql_store_result(peer);
  MYSQL_ROW prow = mysql_fetch_row(res);
  EXPECT_EQ(Rows(conn, sql), (std::vector<Row>{{prow[0], prow[1]}}));
  mysql_free_result(res);
  mysql_close(peer);
}

TEST(MySQLConnectionServer, CallTableEdgesOfTheOwnBackEnd) {
  TMySQLConnection conn;
  OpenWithApplicationSettings(conn);
  TMySQLAPI* api = conn.API();
  PMYSQL_CON con = conn.Handle();
  conn.ExecSQL(u"CREATE TEMPORARY TABLE edges (id INT PRIMARY KEY, name VARCHAR(20))");

  std::string update = "UPDATE edges SET name = 'x' WHERE id = 1";
  EXPECT_EQ(api->mysql_real_query(con, update.data(), static_cast<uint32_t>(update.size())), 0);
  EXPECT_EQ(api->mysql_field_count(con), 0);
  EXPECT_EQ(api->mysql_use_result(con), nullptr);
  EXPECT_EQ(api->mysql_errno(con), 0);

  std::string insert = "INSERT INTO edges VALUES (1, 'a'), (2, 'b')";
  EXPECT_EQ(api->mysql_real_query(con, insert.data(), static_cast<uint32_t>(insert.size())), 0);
  EXPECT_EQ(api->mysql_affected_rows(con), 2);

  std::string select = "SELECT id, name FROM edges ORDER BY id";
  EXPECT_EQ(api->mysql_real_query(con, select.data(), static_cast<uint32_t>(select.size())), 0);
  EXPECT_EQ(api->mysql_field_count(con), 2);
  PMYSQL_RES result = api->mysql_use_result(con);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(api->mysql_use_result(con), nullptr);  // the rows are claimed already
  EXPECT_EQ(api->mysql_errno(con), 0);

  TMYSQL_FIELD field;
  api->GetFieldInfo(result, 1, field, true);
  EXPECT_EQ(field.Name, "name");
  EXPECT_EQ(field.Table, "edges");
  EXPECT_EQ(field.Type, 253u);
  EXPECT_EQ(field.Length, 80u);  // 20 characters of four bytes, as the server reports them

  // Another result may not start while rows are unread.
  EXPECT_EQ(api->mysql_next_result(con), 2014);
  EXPECT_EQ(api->mysql_error(con),
            "Commands out of sync;  You can't run this command now\r\nmysql.status = 2");

  ASSERT_NE(api->FetchRow(result), nullptr);
  PMYSQL_ROW row = api->FetchRow(result);
  ASSERT_NE(row, nullptr);
  TLenArr lengths;
  api->FetchLengths(result, lengths);
  EXPECT_EQ(lengths, (TLenArr{1, 1}));
  char text[4] = {'?', '?', '?', '?'};
  api->CopyFieldTerminated(row, 1, text, 1);
  EXPECT_EQ(std::string(text, 2), std::string("b\0", 2));
  EXPECT_EQ(api->FetchRow(result), nullptr);
  EXPECT_EQ(api->mysql_errno(con), 0);
  EXPECT_EQ(api->FetchRow(result), nullptr);
  api->mysql_free_result(result);
  EXPECT_EQ(api->mysql_next_result(con), -1);
  EXPECT_EQ(One(conn, "SELECT COUNT(*) FROM edges"), "2");  // the session is in step
}

TEST(MySQLConnectionServer, ErrorsCarryTheServersNumberAndText) {
  TMySQLConnection conn;
  OpenWithApplicationSettings(conn);
  conn.ExecSQL(u"CREATE TEMPORARY TABLE members (id INT PRIMARY KEY, name VARCHAR(40))");
  conn.ExecSQL(u"INSERT INTO members VALUES (1, 'Ана')");
  try {
    conn.ExecSQL(u"INSERT INTO members VALUES (1, 'Марко')");
    FAIL();
  } catch (const EMyError& e) {
    EXPECT_EQ(e.ErrorCode(), 1062);
    EXPECT_TRUE(e.IsDuplicateKey());
    EXPECT_FALSE(e.IsConnectionLost());
    // The engine's form of a server error: a line break, the SQL state, the server's text.
    EXPECT_EQ(e.Message(), u"\r\n#23000Duplicate entry '1' for key 'PRIMARY'");
  }
  try {
    conn.ExecSQL(u"SELECT *\nFROM members\nWHERE id = = 1");
    FAIL();
  } catch (const EMyError& e) {
    EXPECT_EQ(e.ErrorCode(), 1064);
    EXPECT_EQ(e.LineNumber(), 3);
  }
  EXPECT_EQ(One(conn, "SELECT name FROM members"), "Ана");  // still usable
}

TEST(MySQLConnectionServer, AKilledSessionIsALostConnectionAndCheckAliveSeesIt) {
  TMySQLConnection victim, killer;
  OpenWithApplicationSettings(victim);
  OpenWithApplicationSettings(killer);
  EXPECT_TRUE(victim.CheckAlive());
  std::string id = One(victim, "SELECT CONNECTION_ID()");
  killer.ExecSQL(u"KILL CONNECTION " + UTF8ToString(id));
  try {
    victim.ExecSQL(u"SELECT 1");
    FAIL();
  } catch (const EMyError& e) {
    EXPECT_TRUE(e.IsConnectionLost()) << e.ErrorCode() << " " << e.what();
  }
  EXPECT_FALSE(victim.CheckAlive());
  EXPECT_FALSE(victim.IsValid());
  victim.Disconnect();
  victim.Connect(u"");  // a new session after the lost one
  EXPECT_TRUE(victim.CheckAlive());
}

TEST(MySQLConnectionServer, MacedonianTextWithTheApplicationSettings) {
  TMySQLConnection conn;
  OpenWithApplicationSettings(conn);
  EXPECT_TRUE(conn.UseUnicode());
  EXPECT_EQ(One(conn, "SELECT @@character_set_client"), "utf8mb4");
  conn.ExecSQL(u"CREATE TEMPORARY TABLE donors (id INT PRIMARY KEY, "
               u"name VARCHAR(100) CHARACTER SET utf8mb4)");
  const String names[] = {u"Ѓорѓи Ќосевски", u"Љубица Њаговска", u"Џемаил Ѕвездановски",
                          u"Здружение „Македонско срце“"};
  for (int i = 0; i < 4; ++i)
    conn.ExecSQL(u"INSERT INTO donors VALUES (" + IntToStr(i) + u", " +
                 UTF8ToString(Literal(conn, dtWideString, Variant(names[i]))) + u")");
  auto rows = Rows(conn, "SELECT name, CHAR_LENGTH(name) FROM donors ORDER BY id");
  ASSERT_EQ(rows.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(UTF8ToString(*rows[i][0]), names[i]);
    EXPECT_EQ(*rows[i][1], std::to_string(names[i].size()));  // characters, not bytes
  }
  EXPECT_EQ(One(conn, "SELECT COUNT(*) FROM donors WHERE name LIKE 'Ѓ%'"), "1");
}

TEST(MySQLConnectionServer, CompressedSessionWithTheApplicationSettings) {
  TMySQLConnection conn;
  OpenWithApplicationSettings(conn, true);
  auto status = Rows(conn, "SHOW SESSION STATUS LIKE 'Compression'");
  ASSERT_EQ(status.size(), 1u);
  EXPECT_EQ(*status[0][1], "ON");
  const String text = u"Прилепска Ѕвезда " + String(3000, u'ж');
  auto rows = Rows(conn, "SELECT " + Literal(conn, dtWideString, Variant(text)));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(UTF8ToString(*rows[0][0]), text);
}

class LiteralsThroughTheEngine : public ::testing::TestWithParam<bool> {};

TEST_P(LiteralsThroughTheEngine, HostileValuesComeBack) {
  const bool noBackslashEscapes = GetParam();
  TMySQLConnection conn;
  OpenWithApplicationSettings(conn);
  conn.ExecSQL(noBackslashEscapes ? u"SET SESSION sql_mode = 'NO_BACKSLASH_ESCAPES'"
                                  : u"SET SESSION sql_mode = ''");
  conn.SetProp(pcCheckBackslashes, true);  // reads the session's mode
  EXPECT_EQ(conn.BackslashEscapes(), !noBackslashEscapes);
  conn.ExecSQL(u"CREATE TEMPORARY TABLE lit (id INT PRIMARY KEY, "
               u"txt TEXT CHARACTER SET utf8mb4, bin VARBINARY(100), tail VARCHAR(10))");
  const std::vector<std::string> values = {
      "'", "\\", "\\'", "''", "x' OR '1'='1", "x\\', 'y') -- ", std::string("a\0'b", 4),
      "%_ \\% \\_", "Охрид ѓ ќ", "4-byte 😀 𝄞", "\r\n\x1a\"`", "end \\"};
  for (size_t i = 0; i < values.size(); ++i) {
    const std::string& v = values[i];
    conn.ExecSQL(u"INSERT INTO lit VALUES (" + IntToStr(int(i)) + u", " +
                 UTF8ToString(Literal(conn, dtWideMemo, Variant(UTF8ToString(v)))) + u", " +
                 UTF8ToString(Literal(conn, dtVarBytes, Variant(TBytes(v.begin(), v.end())))) +
                 u", 'tail')");
  }
  auto rows = Rows(conn, "SELECT txt, bin, tail FROM lit ORDER BY id");
  ASSERT_EQ(rows.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(*rows[i][0], values[i]) << i;
    EXPECT_EQ(*rows[i][1], values[i]) << i;
    EXPECT_EQ(*rows[i][2], "tail") << i;
  }
}

INSTANTIATE_TEST_SUITE_P(BackslashModes, LiteralsThroughTheEngine, ::testing::Values(false, true),
                         [](const auto& info) {
                           return info.param ? "NoBackslashEscapes" : "BackslashEscapes";
                         });

}  // namespace
