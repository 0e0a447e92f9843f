#include "MySql/MyClasses_Connection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "Common/LxAccess_Transaction.h"
#include "MySql/MySqlApiClient.h"
#include "MySql/MySqlApiDirect.h"
#include "MySql/MySqlApiEmbedded.h"
#include "MySql/MyClasses_Error.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// A call table that plays a server: it records every call as a line of text and answers from
// the test's script.
class TScriptedAPI : public TMySQLAPI {
 public:
  std::vector<std::string> Calls;
  uint8_t StructVer = 0;
  std::string ServerVersion = "10.11.6-MariaDB";
  std::string SqlMode = "STRICT_TRANS_TABLES";
  std::map<std::string, std::pair<int, std::string>> FailingQueries;  // statement -> error
  std::pair<int, std::string> ConnectError{0, ""};
  std::deque<int> PingAnswers;
  int64_t InsertId = 0;

  void Initialize() override {
    FClientStructVer = StructVer;
    FClientVer = mysql_get_client_info();
    Calls.push_back("Initialize");
  }
  PMYSQL_CON mysql_init(PMYSQL_CON) override {
    Calls.push_back("init");
    return &FSession;
  }
  int mysql_options(PMYSQL_CON, uint8_t option, const void* arg) override {
    std::string value = arg ? std::to_string(option == MYOPT_PROTOCOL
                                                 ? *static_cast<const uint8_t*>(arg)
                                                 : *static_cast<const int*>(arg))
                            : "-";
    Calls.push_back("options " + std::to_string(option) + " " + value);
    return 0;
  }
  int mysql_options_str(PMYSQL_CON, uint8_t option, const char* arg) override {
    Calls.push_back("options_str " + std::to_string(option) + " " + arg);
    return 0;
  }
  int mysql_ssl_set(PMYSQL_CON, const char* key, const char* cert, const char* ca,
                    const char* capath, const char* cipher) override {
    Calls.push_back(std::string("ssl ") + key + "|" + cert + "|" + ca + "|" +
                    (capath ? capath : "nil") + "|" + cipher);
    return 0;
  }
  PMYSQL_CON mysql_real_connect(PMYSQL_CON con, const char* host, const char* user,
                                const char* passwd, const char* db, int port, const char* socket,
                                uint32_t flags) override {
    Calls.push_back(std::string("connect ") + host + " " + user + " " + passwd + " " + db + " " +
                    std::to_string(port) + " " + (socket ? socket : "nil") + " " +
                    std::to_string(flags));
    SetError(ConnectError.first, ConnectError.second);
    return ConnectError.first ? nullptr : con;
  }
  void mysql_close(PMYSQL_CON) override { Calls.push_back("close"); }
  AnsiString mysql_get_server_info(PMYSQL_CON) override { return ServerVersion; }
  int mysql_errno(PMYSQL_CON) override { return FErrno; }
  AnsiString mysql_error(PMYSQL_CON) override { return FError; }
  int64_t mysql_insert_id(PMYSQL_CON) override { return InsertId; }
  int mysql_select_db(PMYSQL_CON, const char* db) override {
    Calls.push_back(std::string("select_db ") + db);
    return 0;
  }
  int mysql_ping(PMYSQL_CON) override {
    Calls.push_back("ping");
    int answer = PingAnswers.empty() ? 0 : PingAnswers.front();
    if (!PingAnswers.empty()) PingAnswers.pop_front();
    SetError(answer, answer ? "Lost connection to MySQL server during query" : "");
    return answer;
  }
  int mysql_real_query(PMYSQL_CON, const char* query, uint32_t length) override {
    std::string sql(query, length);
    Calls.push_back("query " + sql);
    auto failure = FailingQueries.find(sql);
    if (failure != FailingQueries.end()) {
      SetError(failure->second.first, failure->second.second);
      return failure->second.first;
    }
    SetError(0, "");
    FFieldCount = sql.rfind("SELECT", 0) == 0 ? 1 : 0;
    FRowsLeft = FFieldCount;
    return 0;
  }
  int mysql_field_count(PMYSQL_CON) override { return FFieldCount; }
  PMYSQL_RES mysql_use_result(PMYSQL_CON) override { return FFieldCount ? &FResult : nullptr; }
  PMYSQL_ROW mysql_fetch_row(PMYSQL_RES) override {
    if (FRowsLeft == 0) return nullptr;
    --FRowsLeft;
    return &FRow;
  }
  bool FieldIsNull(PMYSQL_ROW, int) override { return false; }
  void GetFieldString(PMYSQL_ROW, int, AnsiString& value) override { value = SqlMode; }
  void mysql_free_result(PMYSQL_RES) override {
    Calls.push_back("free_result");
    FFieldCount = 0;
  }
  bool mysql_more_results(PMYSQL_CON) override { return false; }
  AnsiString mysql_get_client_info() override { return "7.0.0 Direct"; }

  // The statements sent, in order.
  std::vector<std::string> Queries() const {
    std::vector<std::string> q;
    for (const auto& c : Calls)
      if (c.rfind("query ", 0) == 0) q.push_back(c.substr(6));
    return q;
  }
  bool Called(const std::string& call) const {
    for (const auto& c : Calls)
      if (c == call) return true;
    return false;
  }
  size_t IndexOf(const std::string& prefix) const {
    for (size_t i = 0; i < Calls.size(); ++i)
      if (Calls[i].rfind(prefix, 0) == 0) return i;
    return Calls.size();
  }

 private:
  void SetError(int number, const std::string& text) {
    FErrno = number;
    FError = text;
  }
  int FSession = 0, FResult = 0, FRow = 0;
  int FErrno = 0;
  std::string FError;
  int FFieldCount = 0;
  int FRowsLeft = 0;
};

class MySQLConnectionTest : public ::testing::Test {
 protected:
  MySQLConnectionTest() { conn.SetAPI(&api); }
  // The options the records program sets.
  void ApplicationSettings() {
    conn.SetUsername(u"clerk");
    conn.SetPassword(u"тајна");
    conn.SetServer(u"db.local");
    conn.SetProp(pcDatabase, u"assoc");
    conn.SetProp(pcPort, int32_t(3307));
    conn.SetProp(pcUseUnicode, true);
    conn.SetProp(pcCharset, u"utf8");
    conn.SetProp(pcCompress, true);
  }
  TScriptedAPI api;
  TMySQLConnection conn;
};

TEST_F(MySQLConnectionTest, ConnectsWithTheApplicationSettings) {
  ApplicationSettings();
  conn.Connect(u"");
  EXPECT_TRUE(conn.GetConnected());
  const std::vector<std::string> expected = {
      "Initialize",
      "init",
      "options 0 15",
      "options_str 7 utf8",
      "connect db.local clerk " + UTF8Encode(u"тајна") + " assoc 3307 nil " +
          std::to_string(0x2 | 0x10000 | 0x20),
      "options 11 15",
      "options 12 15",
      "query SET NAMES utf8mb4",
  };
  EXPECT_EQ(api.Calls, expected);
  EXPECT_EQ(conn.GetServerVersion(), u"10.11.6");
  EXPECT_EQ(conn.GetServerVersionFull(), u"10.11.6-MariaDB");
  EXPECT_TRUE(conn.BackslashEscapes());
  EXPECT_TRUE(conn.IsValid());
  conn.Disconnect();
  EXPECT_EQ(api.Calls.back(), "close");
  EXPECT_FALSE(conn.GetConnected());
  EXPECT_EQ(conn.Handle(), nullptr);
}

TEST_F(MySQLConnectionTest, CharsetNamesAndServerGenerations) {
  struct {
    const char* name;
    const char* serverVersion;
    bool useUnicode;
    const char16_t* charset;
    bool toldUtf8;
    std::vector<std::string> queries;
    bool unicodeAfter;
  } cases[] = {
      {"UTF8 without unicode", "10.11.6-MariaDB", false, u"UTF8", true, {"SET NAMES UTF8"}, false},
      {"cp1251", "10.11.6-MariaDB", false, u"cp1251", false, {"SET NAMES cp1251"}, false},
      {"nothing set", "10.11.6-MariaDB", false, u"", false, {}, false},
      {"unicode on a 5.5.2 server", "5.5.2", true, u"", true, {"SET NAMES utf8"}, true},
      {"unicode on a 5.5.3 server", "5.5.3-log", true, u"", true, {"SET NAMES utf8mb4"}, true},
      {"unicode on a 4.0 server", "4.0.27", true, u"", true, {}, false},
      {"charset on a 3.23 server", "3.23.58", false, u"latin1", false, {}, false},
  };
  for (const auto& c : cases) {
    TScriptedAPI table;
    table.ServerVersion = c.serverVersion;
    TMySQLConnection connection;
    connection.SetAPI(&table);
    connection.SetProp(pcUseUnicode, c.useUnicode);
    connection.SetProp(pcCharset, String(c.charset));
    connection.Connect(u"");
    EXPECT_EQ(table.Called("options_str 7 utf8"), c.toldUtf8) << c.name;
    EXPECT_EQ(table.Queries(), c.queries) << c.name;
    EXPECT_EQ(connection.UseUnicode(), c.unicodeAfter) << c.name;
  }
}

TEST_F(MySQLConnectionTest, ACharsetThatIsNoNameIsRefused) {
  conn.SetProp(pcCharset, u"utf8; DROP TABLE members");
  EXPECT_THROW(conn.Connect(u""), EDatabaseError);
  EXPECT_TRUE(api.Queries().empty());
  EXPECT_FALSE(conn.GetConnected());
  EXPECT_EQ(api.Calls.back(), "close");
}

TEST_F(MySQLConnectionTest, BackslashModeFollowsTheSessionSqlMode) {
  conn.SetProp(pcCheckBackslashes, true);
  api.SqlMode = "STRICT_TRANS_TABLES,no_backslash_escapes";
  conn.Connect(u"");
  EXPECT_EQ(api.Queries(), std::vector<std::string>{"SELECT @@session.sql_mode"});
  EXPECT_TRUE(api.Called("free_result"));
  EXPECT_FALSE(conn.BackslashEscapes());

  api.SqlMode = "ANSI_QUOTES";
  conn.SetProp(pcCheckBackslashes, false);
  EXPECT_TRUE(conn.BackslashEscapes());
  conn.SetProp(pcCheckBackslashes, true);  // re-read on the open session
  EXPECT_TRUE(conn.BackslashEscapes());
  EXPECT_EQ(api.Queries().size(), 2u);
}

TEST_F(MySQLConnectionTest, SettingTheDatabaseOnAnOpenConnection) {
  conn.SetProp(pcDatabase, u"first");
  conn.Connect(u"");
  conn.SetProp(pcDatabase, u"first");
  EXPECT_FALSE(api.Called("select_db first"));
  conn.SetProp(pcDatabase, u"друга");
  EXPECT_TRUE(api.Called("select_db " + UTF8Encode(u"друга")));
  Variant v;
  conn.GetProp(pcDatabase, v);
  EXPECT_EQ(v.AsString(), u"друга");
}

TEST_F(MySQLConnectionTest, CheckAliveSendsTwoPings) {
  EXPECT_FALSE(conn.CheckAlive());  // no session
  EXPECT_FALSE(conn.IsValid());
  conn.Connect(u"");
  EXPECT_TRUE(conn.CheckAlive());
  EXPECT_EQ(std::count(api.Calls.begin(), api.Calls.end(), "ping"), 2);
  for (std::deque<int> answers : {std::deque<int>{2013}, std::deque<int>{0, 2006}}) {
    api.PingAnswers = answers;
    EXPECT_FALSE(conn.CheckAlive());
    EXPECT_FALSE(conn.IsValid());
  }
}

TEST_F(MySQLConnectionTest, TransportsAndTheirOptions) {
  struct {
    const char* name;
    TMyProtocol protocol;
    const char16_t* server;
    std::vector<std::string> options;
    std::string host;
  } cases[] = {
      {"shared memory with a base name", mpMemory, u"box,MYSQL2",
       {"options 9 4", "options_str 10 MYSQL2"}, "box"},
      {"TCP ignores the part after the comma", mpTCP, u"box,MYSQL2", {"options 9 1"}, "box"},
      {"socket", mpSocket, u"", {"options 9 2"}, "localhost"},
      {"pipe", mpPipe, u"", {"options 9 3"}, "localhost"},
  };
  for (const auto& c : cases) {
    TScriptedAPI table;
    TMySQLConnection connection;
    connection.SetAPI(&table);
    connection.SetServer(c.server);
    connection.SetProp(pcProtocol, int32_t(c.protocol));
    connection.Connect(u"");
    std::vector<std::string> options;
    for (const auto& call : table.Calls)
      if (call.rfind("options 9", 0) == 0 || call.rfind("options_str 10", 0) == 0)
        options.push_back(call);
    EXPECT_EQ(options, c.options) << c.name;
    EXPECT_EQ(table.Calls[table.IndexOf("connect")].substr(8, c.host.size() + 1), c.host + " ")
        << c.name;
  }

  TScriptedAPI old;
  old.StructVer = 2;  // a 4.0 client: only the pipe has an option
  TMySQLConnection pipe;
  pipe.SetAPI(&old);
  pipe.SetProp(pcProtocol, int32_t(mpPipe));
  pipe.Connect(u"");
  EXPECT_TRUE(old.Called("options 2 -"));
  EXPECT_EQ(old.Calls[old.IndexOf("connect")].substr(old.Calls[old.IndexOf("connect")].rfind(' ')),
            " " + std::to_string(0x2));  // no multi-statements before 4.1
}

TEST_F(MySQLConnectionTest, TlsFilesGoWithForwardSlashes) {
  conn.SetProp(pcProtocol, int32_t(mpSSL));
  conn.SetProp(pcSSLKey, u"C:\\certs\\client-key.pem");
  conn.SetProp(pcSSLCert, u"certs\\client.pem");
  conn.SetProp(pcSSLCACert, u"/etc/ca.pem");
  conn.SetProp(pcSSLCipherList, u"AES256-SHA");
  conn.Connect(u"");
  EXPECT_TRUE(api.Called("ssl C:/certs/client-key.pem|certs/client.pem|/etc/ca.pem|nil|AES256-SHA"));
  EXPECT_EQ(conn.SSLKey(), u"C:/certs/client-key.pem");
}

TEST_F(MySQLConnectionTest, WrongProtocols) {
  for (int protocol : {int(mpHttp), 7}) {
    TScriptedAPI table;
    TMySQLConnection connection;
    connection.SetAPI(&table);
    connection.SetProp(pcProtocol, int32_t(protocol));
    try {
      connection.Connect(u"");
      ADD_FAILURE() << protocol;
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Message(), u"Wrong protocol");
    }
    EXPECT_FALSE(connection.GetConnected());
    EXPECT_EQ(table.Calls.back(), "close");
  }
}

TEST_F(MySQLConnectionTest, AFailedConnectRaisesTheServersErrorAndReleasesTheHandle) {
  api.ConnectError = {1045, "Access denied for user 'clerk'@'localhost' (using password: YES)"};
  TComponent* owner = reinterpret_cast<TComponent*>(&api);
  conn.SetOwnerComponent(owner);
  try {
    conn.Connect(u"");
    FAIL();
  } catch (const EMyError& e) {
    EXPECT_EQ(e.ErrorCode(), 1045);
    EXPECT_EQ(e.Message(), u"Access denied for user 'clerk'@'localhost' (using password: YES)");
    EXPECT_EQ(e.Component(), owner);
  }
  EXPECT_FALSE(conn.GetConnected());
  EXPECT_EQ(conn.Handle(), nullptr);
  EXPECT_EQ(api.Calls.back(), "close");
}

TEST_F(MySQLConnectionTest, ErrorsPassThroughTheFailoverLogic) {
  conn.Connect(u"");
  api.FailingQueries["SET NAMES koi8r"] = {2013, "Lost connection to MySQL server during query"};

  // The callback takes the error over: the caller sees only the silent abort.
  std::vector<int> seen;
  conn.SetOnError([&](Exception& e, bool& fail, bool&, bool&, int, TConnLostCause&) {
    seen.push_back(dynamic_cast<EMyError&>(e).ErrorCode());
    fail = false;
  });
  EXPECT_THROW(conn.ExecSQL(u"SET NAMES koi8r"), EAbort);
  EXPECT_EQ(seen, std::vector<int>{2013});

  // Reconnect and run again: EFailOver after a new session.
  conn.SetOnError([](Exception&, bool& fail, bool& reconnect, bool& reexecute, int,
                     TConnLostCause& cause) {
    fail = true;
    reconnect = true;
    reexecute = true;
    cause = clExecute;
  });
  size_t before = api.Calls.size();
  try {
    conn.ExecSQL(u"SET NAMES koi8r");
    FAIL();
  } catch (const EFailOver& e) {
    EXPECT_EQ(e.ConnLostCause(), clExecute);
  }
  std::vector<std::string> after(api.Calls.begin() + static_cast<long>(before), api.Calls.end());
  ASSERT_GE(after.size(), 5u);
  EXPECT_EQ(after[2], "query SET NAMES koi8r");
  EXPECT_EQ(after[3], "close");
  EXPECT_EQ(after[4], "Initialize");
  EXPECT_TRUE(conn.GetConnected());

  // No callback: the error itself.
  conn.SetOnError(nullptr);
  try {
    conn.ExecSQL(u"SET NAMES koi8r");
    FAIL();
  } catch (const EMyError& e) {
    EXPECT_TRUE(e.IsConnectionLost());
  }
}

TEST_F(MySQLConnectionTest, AFetchConnectionAsksOnceAndNeverReconnects) {
  conn.Connect(u"");
  conn.SetFetchConnection(true);
  api.FailingQueries["DO 1"] = {2006, "MySQL server has gone away"};
  std::vector<int> retries;
  conn.SetOnError([&](Exception&, bool& fail, bool& reconnect, bool& reexecute, int retry,
                      TConnLostCause&) {
    retries.push_back(retry);
    fail = true;
    reconnect = true;
    reexecute = true;
  });
  EXPECT_THROW(conn.ExecSQL(u"DO 1"), EMyError);
  EXPECT_EQ(retries, std::vector<int>{0});
  EXPECT_EQ(std::count(api.Calls.begin(), api.Calls.end(), "init"), 1);
}

TEST_F(MySQLConnectionTest, AttachToSharesTheSessionWithoutOwningIt) {
  ApplicationSettings();
  conn.Connect(u"");
  TMySQLConnection second;
  second.AttachTo(&conn);
  EXPECT_TRUE(second.GetConnected());
  EXPECT_EQ(second.Handle(), conn.Handle());
  EXPECT_FALSE(second.NativeConnection());
  EXPECT_EQ(second.API(), &api);
  EXPECT_EQ(second.Database(), u"assoc");
  EXPECT_EQ(second.Port(), 3307);
  EXPECT_TRUE(second.UseUnicode());
  second.Disconnect();
  EXPECT_NE(api.Calls.back(), "close");  // the session is the first connection's
  second.AttachTo(&second);
  EXPECT_FALSE(second.GetConnected());
}

TEST_F(MySQLConnectionTest, NumberedProperties) {
  api.InsertId = 12345678901;
  Variant v;
  EXPECT_TRUE(conn.GetProp(pcLastInsertId, v));
  EXPECT_EQ(v.AsInt64(), 0);  // no session yet
  conn.Connect(u"");
  EXPECT_TRUE(conn.GetProp(pcLastInsertId, v));
  EXPECT_EQ(v.AsInt64(), 12345678901);
  conn.SetProp(pcConnectionTimeout, int32_t(30));
  conn.SetProp(pcOptimizedBigInt, true);
  conn.SetProp(pcNullForDayZero, true);
  EXPECT_TRUE(conn.GetProp(pcConnectionTimeout, v));
  EXPECT_EQ(v.AsInteger(), 30);
  EXPECT_TRUE(conn.OptimizedBigInt());
  EXPECT_TRUE(conn.NullForDayZero());
  EXPECT_TRUE(conn.GetProp(pcUsername, v));  // the neutral codes still answer
  EXPECT_THROW(conn.SetProp(9999, true), EAssertionFailed);
  EXPECT_EQ(conn.GetClientVersion(), u"7.0.0 Direct");
}

TEST_F(MySQLConnectionTest, DefaultsAndBackEndChoice) {
  TMySQLConnection fresh;
  EXPECT_EQ(fresh.ConnectionTimeout(), 15);
  EXPECT_TRUE(fresh.Direct());
  EXPECT_FALSE(fresh.CheckBackslashes());
  EXPECT_TRUE(fresh.BackslashEscapes());
  EXPECT_EQ(fresh.Protocol(), mpDefault);
  EXPECT_NE(fresh.API(), nullptr);
  EXPECT_EQ(fresh.GetClientVersion(), u"7.0.0 Direct");
  fresh.SetProp(pcDirect, false);
  EXPECT_EQ(fresh.API(), &MySQLAPIClient());
  fresh.SetProp(pcDirect, true);
  EXPECT_EQ(fresh.API(), &MySQLAPIDirect());
  fresh.SetProp(pcEmbedded, true);  // the embedded server wins over the own engine
  EXPECT_EQ(fresh.API(), &MySQLAPIEmbedded());
  fresh.SetProp(pcDirect, false);
  EXPECT_EQ(fresh.API(), &MySQLAPIEmbedded());
  fresh.SetProp(pcEmbedded, false);
  EXPECT_EQ(fresh.API(), &MySQLAPIClient());
  fresh.SetProp(pcDirect, true);
  EXPECT_EQ(fresh.API(), &MySQLAPIDirect());
  EXPECT_EQ(fresh.GetSQLInfo()->LeftQuote(), u'`');
}

TEST_F(MySQLConnectionTest, EmbeddedServerParameterLines) {
  conn.SetEmbParams(u"  --datadir=\\data\\db\n--basedir=/opt/mysql\n--tmpdir=\n--skip-grant  ");
  TStringList* lines = conn.EmbParams();
  ASSERT_EQ(lines->Count(), 4);
  EXPECT_EQ(lines->Values(u"--datadir"), u"data/db");
  EXPECT_EQ(lines->Values(u"--basedir"), u"/opt/mysql");
  EXPECT_EQ(lines->Strings(2), u"--tmpdir=");
  EXPECT_EQ(lines->Strings(3), u"--skip-grant");
}

}  // namespace
