// The call table over the MySQL client library against the private server: the statements of the
// connection tests through the components on both back ends (a login refused, Cyrillic, a new
// row's generated id, transactions, a 17 MB value, a killed session and the reconnect), every
// type of the all-types table read through both and compared value by value, and the library's
// failures: a library that is not there, and one that lacks the entry points.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyClasses.h"
#include "MySql/MyClasses_RecordSet.h"
#include "MySql/MySqlApiClient.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/AllTypesTable.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/TestDb.h"

namespace {

// The first column of the first row, through a query component on the connection.
String One(TMyConnection& conn, const String& sql) {
  TMyQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(sql);
  query.Open();
  String value = query.IsEmpty() ? String(u"<none>")
                 : query.Fields()->Fields(0)->IsNull() ? String(u"<null>")
                                                      : query.Fields()->Fields(0)->AsString();
  query.Close();
  return value;
}

class BackEnds : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    conn.Options()->SetDirect(GetParam());
    conn.SetConnected(true);
    conn.ExecSQL(u"DROP TABLE IF EXISTS api_items");
    conn.ExecSQL(
        u"CREATE TABLE api_items (id INT AUTO_INCREMENT PRIMARY KEY, "
        u"name VARCHAR(40) CHARACTER SET utf8mb4, big LONGTEXT)");
  }
  void TearDown() override { conn.SetConnected(false); }
  bool Library() const { return !GetParam(); }

  TMyConnection conn{nullptr};
};

TEST_P(BackEnds, TheConnectionRunsOnTheChosenCallTable) {
  TMySQLAPI* api = conn.MySQLConnection()->API();
  EXPECT_EQ(dynamic_cast<TMySQLAPIClient*>(api) != nullptr, Library());
  // Both report the server's own version, without the replication prefix.
  EXPECT_EQ(conn.MySQLConnection()->GetServerVersionFull().substr(0, 3), u"10.");
  EXPECT_EQ(api->ClientStructVer(), Library() ? 4 : 0);
}

TEST_P(BackEnds, AWrongPasswordIsTheServersRefusal) {
  TMyConnection other(nullptr);
  ApplyTestSettings(other);
  other.Options()->SetDirect(GetParam());
  other.SetPassword(u"not-the-password");
  try {
    other.SetConnected(true);
    FAIL() << "connected with a wrong password";
  } catch (const EMyError& e) {
    EXPECT_EQ(e.ErrorCode(), 1045);
  }
  EXPECT_FALSE(other.Connected());
}

TEST_P(BackEnds, ANewRowLearnsItsIdAndCyrillicRoundTrips) {
  conn.ExecSQL(u"INSERT INTO api_items (name) VALUES ('one'), ('two')");
  TMyQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(u"SELECT id, name FROM api_items ORDER BY id");
  query.Open();
  query.Append();
  query.FieldByName(u"name")->SetAsString(u"Привет, мир 😀");
  query.Post();
  EXPECT_EQ(query.FieldByName(u"id")->AsInteger(), 3);
  EXPECT_EQ(One(conn, u"SELECT name FROM api_items WHERE id = 3"), u"Привет, мир 😀");
  EXPECT_EQ(One(conn, u"SELECT CHAR_LENGTH(name) FROM api_items WHERE id = 3"), u"13");
}

TEST_P(BackEnds, ARolledBackTransactionLeavesNothingAndACommittedOneStays) {
  conn.StartTransaction();
  conn.ExecSQL(u"INSERT INTO api_items (name) VALUES ('прв')");
  conn.Rollback();
  EXPECT_EQ(One(conn, u"SELECT COUNT(*) FROM api_items"), u"0");
  conn.StartTransaction();
  conn.ExecSQL(u"INSERT INTO api_items (name) VALUES ('втор')");
  conn.Commit();
  EXPECT_EQ(One(conn, u"SELECT name FROM api_items"), u"втор");
}

TEST_P(BackEnds, A17MegabyteValueGoesOutAndComesBack) {
  std::string value(17u << 20, 'a');
  for (size_t i = 0; i < value.size(); i += 97) value[i] = static_cast<char>('b' + i % 23);
  conn.ExecSQL(u"INSERT INTO api_items (name, big) VALUES ('big', '" + UTF8ToString(value) +
               u"')");
  String back = One(conn, u"SELECT big FROM api_items WHERE name = 'big'");
  EXPECT_EQ(back.size(), value.size());
  EXPECT_TRUE(UTF8Encode(back) == value);
  EXPECT_EQ(One(conn, u"SELECT 1"), u"1") << "the session is in step after the large packets";
}

TEST_P(BackEnds, AKilledSessionIsReestablishedAndTheOpenReplayed) {
  conn.Options()->SetLocalFailover(true);
  const String before = One(conn, u"SELECT CONNECTION_ID()");
  {
    TMyConnection killer(nullptr);
    ApplyTestSettings(killer);
    killer.SetConnected(true);
    killer.ExecSQL(u"KILL CONNECTION " + before);
  }
  int lost = 0;
  conn.OnConnectionLost = [&](TObject*, TComponent*, TConnLostCause, TRetryMode& mode) {
    ++lost;
    mode = rmReconnectExecute;
  };
  EXPECT_EQ(One(conn, u"SELECT 'Битола'"), u"Битола");
  EXPECT_EQ(lost, 1);
  EXPECT_NE(One(conn, u"SELECT CONNECTION_ID()"), before);
}

INSTANTIATE_TEST_SUITE_P(Direct, BackEnds, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "OwnEngine" : "ClientLibrary";
                         });

// ---- every type, read through both back ends --------------------------------------------------

struct TReadRows {
  std::vector<std::string> Columns;  // name and data type
  std::vector<std::vector<std::string>> Rows;
};

TReadRows ReadAllTypes(bool direct, bool useUnicode) {
  TMySQLConnection conn;
  ApplyProviderSettings(conn, useUnicode);
  conn.SetProp(pcDirect, direct);
  conn.Connect(u"");
  conn.ExecSQL(u"SET NAMES utf8mb4");
  TMySQLRecordset rs;
  rs.SetConnection(&conn);
  rs.SetProp(pcFetchAll, true);
  rs.SetSQL(u"SELECT * FROM rs_all_types ORDER BY id");
  rs.Open();
  TReadRows read;
  for (int i = 0; i < rs.FieldCount(); ++i) {
    TFieldDesc* field = rs.Fields()[i];
    read.Columns.push_back(UTF8Encode(field->Name()) + ":" + std::to_string(field->DataType()) +
                           ":" + std::to_string(field->Size()));
  }
  uint8_t* buf = rs.AllocRecBuf();
  rs.SetToBegin();
  for (;;) {
    rs.GetNextRecord(buf);
    if (rs.GetEOF()) break;
    std::vector<std::string> row;
    for (int i = 1; i <= rs.FieldCount(); ++i) {
      if (rs.GetNull(i, buf)) {
        row.push_back("<null>");
      } else if (rs.IsBlobFieldType(rs.Fields()[i - 1]->DataType())) {
        TBytes bytes = rs.GetBlob(i, buf)->GetAsBytes();
        row.emplace_back(bytes.begin(), bytes.end());
      } else {
        row.push_back(UTF8Encode(rs.GetFieldAsVariant(i, buf).AsString()));
      }
    }
    read.Rows.push_back(row);
  }
  rs.FreeRecBuf(buf);
  rs.Close();
  conn.Disconnect();
  return read;
}

TEST(ClientLibraryTypes, EveryColumnOfEveryRowReadsAsTheOwnEngineReadsIt) {
  {
    TMySQLConnection setup;
    ApplyProviderSettings(setup);
    setup.Connect(u"");
    setup.ExecSQL(u"SET SESSION sql_mode = ''");  // the zero and impossible dates go in as written
    setup.ExecSQL(u"DROP TABLE IF EXISTS rs_all_types");
    setup.ExecSQL(UTF8ToString(kCreate));
    for (const char* row : kRows)
      setup.ExecSQL(u"INSERT INTO rs_all_types VALUES " + UTF8ToString(row));
  }
  for (bool useUnicode : {true, false}) {
    SCOPED_TRACE(useUnicode ? "UseUnicode" : "ANSI");
    TReadRows own = ReadAllTypes(true, useUnicode);
    TReadRows library = ReadAllTypes(false, useUnicode);
    ASSERT_EQ(own.Rows.size(), std::size(kRows));
    EXPECT_EQ(library.Columns, own.Columns);
    ASSERT_EQ(library.Rows.size(), own.Rows.size());
    for (size_t r = 0; r < own.Rows.size(); ++r)
      for (size_t c = 0; c < own.Columns.size(); ++c)
        EXPECT_EQ(library.Rows[r][c], own.Rows[r][c]) << "row " << r + 1 << ", " << own.Columns[c];
  }
}

// ---- the library's failures --------------------------------------------------------------------

TEST(ClientLibraryLoad, ALibraryThatIsNotThereIsTheLoadErrorWithItsCode) {
  TMySQLAPIClient api("libno-such-client.so.9");
  try {
    api.Initialize();
    FAIL() << "a missing library loaded";
  } catch (const EOSError& e) {
    const std::string message = UTF8Encode(e.Message());
    EXPECT_EQ(message.rfind("MySQL client library couldn't be loaded. Please place "
                            "libno-such-client.so.9 file to system folder",
                            0),
              0u)
        << message;
    EXPECT_EQ(e.ErrorCode(), ENOENT);
  }
  EXPECT_FALSE(api.IsLoaded());
}

TEST(ClientLibraryLoad, AnEntryPointTheLibraryLacksFailsOnlyWhenCalled) {
  // A library that loads but is no client library: it exports none of the entry points.
  TMySQLAPIClient api("libz.so.1");
  api.Load();
  ASSERT_TRUE(api.IsLoaded());
  try {
    api.mysql_init(nullptr);
    FAIL() << "an entry point that is not there was called";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              u"MySQL API function is not linked. You should update MySQL client library "
              u"(libz.so.1).");
  }
  EXPECT_THROW(api.Initialize(), Exception) << "the version cannot be asked either";
  api.Unload();
  EXPECT_FALSE(api.IsLoaded());
}

}  // namespace
