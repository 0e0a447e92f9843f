// The MySQL command component against the private server: statements with parameters, the last
// insert id and affected rows, stored procedure and function calls with values read back,
// Cyrillic text and memo line ends, the replay after the session was killed, and the implicit
// connect requests of disconnected mode.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Common/DBAccess_SQL.h"
#include "MySql/MyAccess.h"
#include "MySql/MyAccess_Command.h"
#include "MySql/MyClasses.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

// The first column of the first row, read on the component's own session.
std::string One(TMyConnection& conn, const std::string& sql) {
  TMySQLConnection* my = conn.MySQLConnection();
  TMySQLAPI* api = my->API();
  my->CheckResultFalse(
      api->mysql_real_query(my->Handle(), sql.data(), static_cast<uint32_t>(sql.size())), &conn);
  PMYSQL_RES result = api->mysql_use_result(my->Handle());
  if (!result) my->CheckErrno(&conn);
  std::string value = "<none>";
  while (PMYSQL_ROW row = api->FetchRow(result)) {
    if (value != "<none>") continue;
    AnsiString s;
    api->GetFieldString(row, 0, s);
    value = s;
  }
  api->mysql_free_result(result);
  return value;
}

String ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.Message();
  }
  return u"<no error>";
}

class MyCommandServer : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    other.Exec(u"DROP TABLE IF EXISTS cmd_sql_items");
    other.Exec(
        u"CREATE TABLE cmd_sql_items (id INT AUTO_INCREMENT PRIMARY KEY, "
        u"name VARCHAR(100) CHARACTER SET utf8mb4, note TEXT CHARACTER SET utf8mb4)");
    command = conn.CreateSQL();
    cmd = static_cast<TMyCommand*>(command.get());
  }
  void TearDown() override {
    command.reset();
    other.Exec(u"DROP TABLE IF EXISTS cmd_sql_items");
  }
  String Count() { return other.One(u"SELECT COUNT(*) FROM cmd_sql_items"); }

  TMyConnection conn{nullptr};
  TOtherSession other;
  std::unique_ptr<TCustomDASQL> command;
  TMyCommand* cmd = nullptr;
};

TEST_F(MyCommandServer, InsertsReportTheirIdAndAFailedOneKeepsThePreviousId) {
  ASSERT_NE(dynamic_cast<TMyCommand*>(command.get()), nullptr);
  EXPECT_EQ(cmd->Connection(), &conn);
  EXPECT_TRUE(cmd->AutoCommit());
  // Set before the provider command exists, the time-out reaches it when it is made.
  EXPECT_EQ(cmd->ICommand(), nullptr);
  cmd->SetCommandTimeout(30);
  std::vector<bool> results;
  cmd->AfterExecute = [&](TObject*, bool result) { results.push_back(result); };
  cmd->SetSQLText(u"INSERT INTO cmd_sql_items (name) VALUES (:name)");
  ASSERT_EQ(cmd->ParamCount(), 1);
  EXPECT_EQ(cmd->MyICommand()->CommandTimeout(), 30);

  cmd->ParamByName(u"name")->SetAsString(u"first");
  cmd->Execute();
  const int64_t first = cmd->LastInsertId();
  EXPECT_GT(first, 0);
  EXPECT_EQ(cmd->RowsAffected(), 1);
  cmd->ParamByName(u"name")->SetAsString(u"second");
  cmd->Execute();
  const int64_t second = cmd->LastInsertId();
  EXPECT_GT(second, first);
  EXPECT_EQ(other.One(u"SELECT id FROM cmd_sql_items WHERE name = 'second'"),
            IntToStr(second));

  // A duplicate key fails: the id stays the one of the last insert that worked.
  cmd->SetSQLText(u"INSERT INTO cmd_sql_items (id, name) VALUES (:id, :name)");
  cmd->ParamByName(u"id")->SetAsInteger(static_cast<int32_t>(first));
  cmd->ParamByName(u"name")->SetAsString(u"again");
  EXPECT_NE(ErrorOf([&] { cmd->Execute(); }), u"<no error>");
  EXPECT_EQ(cmd->LastInsertId(), second);
  EXPECT_EQ(results, (std::vector<bool>{true, true, false}));

  cmd->SetSQLText(u"UPDATE cmd_sql_items SET note = :note WHERE id >= :low");
  cmd->ParamByName(u"note")->SetAsString(u"seen");
  cmd->ParamByName(u"low")->SetAsInteger(static_cast<int32_t>(first));
  cmd->Execute();
  EXPECT_EQ(cmd->RowsAffected(), 2);
  EXPECT_EQ(Count(), u"2");
  EXPECT_EQ(conn.ConnectCount(), 0);
}

TEST_F(MyCommandServer, ProcedureAndFunctionCallsReadTheirValuesBack) {
  other.Exec(u"DROP PROCEDURE IF EXISTS cmd_sql_sum");
  other.Exec(
      u"CREATE PROCEDURE cmd_sql_sum(IN a INT, INOUT b BIGINT, OUT c VARCHAR(20)) "
      u"BEGIN SET b = b + a; SET c = CONCAT('Ж', a); END");
  other.Exec(u"DROP FUNCTION IF EXISTS cmd_sql_inc");
  other.Exec(u"CREATE FUNCTION cmd_sql_inc(x INT) RETURNS INT DETERMINISTIC RETURN x + 1");

  cmd->CreateProcCall(u"cmd_sql_sum", true, false);
  EXPECT_EQ(cmd->StoredProcName(), u"cmd_sql_sum");
  ASSERT_EQ(cmd->ParamCount(), 3);
  EXPECT_EQ(cmd->ParamByName(u"a")->ParamType(), ptInput);
  EXPECT_EQ(cmd->ParamByName(u"b")->ParamType(), ptInputOutput);
  EXPECT_EQ(cmd->ParamByName(u"c")->ParamType(), ptOutput);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    cmd->ParamByName(u"a")->SetAsInteger(5 + round);
    cmd->ParamByName(u"b")->SetAsInteger(10);
    cmd->Execute();
    EXPECT_EQ(cmd->ParamByName(u"b")->AsInteger(), 15 + round);
    EXPECT_EQ(cmd->ParamByName(u"c")->AsString(), round == 0 ? u"Ж5" : u"Ж6");
  }

  cmd->CreateProcCall(u"cmd_sql_inc", true, false);
  TDAParam* result = cmd->FindResultParam();
  ASSERT_NE(result, nullptr);
  cmd->ParamByName(u"x")->SetAsInteger(41);
  cmd->Execute();
  EXPECT_EQ(result->AsInteger(), 42);

  // The session is ready for the next statement.
  cmd->SetSQLText(u"INSERT INTO cmd_sql_items (name) VALUES ('after')");
  cmd->Execute();
  EXPECT_EQ(Count(), u"1");
  other.Exec(u"DROP PROCEDURE IF EXISTS cmd_sql_sum");
  other.Exec(u"DROP FUNCTION IF EXISTS cmd_sql_inc");
}

TEST_F(MyCommandServer, CyrillicTextAndMemoLineEndsReachTheServer) {
  conn.SetConvertEOL(true);
  cmd->SetSQLText(u"INSERT INTO cmd_sql_items (name, note) VALUES (:name, :note)");
  cmd->ParamByName(u"name")->SetAsString(u"Битола – Ђорђе");
  TDAParam* note = cmd->ParamByName(u"note");
  note->SetAsMemo(u"први ред\r\nдруги ред\r\n");
  cmd->Execute();
  EXPECT_EQ(other.One(u"SELECT name FROM cmd_sql_items"), u"Битола – Ђорђе");
  EXPECT_EQ(other.One(u"SELECT note FROM cmd_sql_items"), u"први ред\nдруги ред\n");
  EXPECT_EQ(note->AsString(), u"први ред\r\nдруги ред\r\n");

  conn.SetConvertEOL(false);
  cmd->Execute();
  EXPECT_EQ(other.One(u"SELECT COUNT(*) FROM cmd_sql_items WHERE note LIKE '%\\r\\n%'"), u"1");
}

TEST_F(MyCommandServer, ASessionKilledBetweenTwoExecutionsIsReplayedWhenTheHandlerAsks) {
  conn.Options()->SetLocalFailover(true);
  conn.SetConnected(true);
  // The user's own connect is one request; the command's come and go around it.
  const int held = conn.ConnectCount();
  std::vector<TConnLostCause> causes;
  TRetryMode answer = rmReconnectExecute;
  conn.OnConnectionLost = [&](TObject*, TComponent* component, TConnLostCause cause,
                              TRetryMode& mode) {
    causes.push_back(cause);
    EXPECT_EQ(component, cmd);
    // An insert is not safe to run twice: the connection only replays it when told to.
    EXPECT_EQ(mode, rmRaise);
    mode = answer;
  };
  cmd->SetSQLText(u"INSERT INTO cmd_sql_items (name) VALUES (:name)");
  cmd->ParamByName(u"name")->SetAsString(u"before");
  cmd->Execute();
  std::string session = One(conn, "SELECT CONNECTION_ID()");
  other.Exec(u"KILL CONNECTION " + UTF8ToString(session));

  cmd->ParamByName(u"name")->SetAsString(u"after");
  cmd->Execute();
  EXPECT_EQ(causes, std::vector<TConnLostCause>{clExecute});
  EXPECT_EQ(Count(), u"2");
  EXPECT_EQ(other.One(u"SELECT COUNT(*) FROM cmd_sql_items WHERE name = 'after'"), u"1");
  EXPECT_EQ(other.One(u"SELECT id FROM cmd_sql_items WHERE name = 'after'"),
            IntToStr(cmd->LastInsertId()));
  EXPECT_NE(One(conn, "SELECT CONNECTION_ID()"), session);
  EXPECT_EQ(conn.ConnectCount(), held);

  // Left to its default the handler raises: nothing is inserted, the component disconnects and
  // no request stays behind.
  answer = rmRaise;
  session = One(conn, "SELECT CONNECTION_ID()");
  other.Exec(u"KILL CONNECTION " + UTF8ToString(session));
  cmd->ParamByName(u"name")->SetAsString(u"lost");
  EXPECT_NE(ErrorOf([&] { cmd->Execute(); }), u"<no error>");
  EXPECT_EQ(Count(), u"2");
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(conn.ConnectCount(), 0);
  cmd->Execute();
  EXPECT_EQ(Count(), u"3");
  EXPECT_EQ(conn.ConnectCount(), 0);
}

TEST_F(MyCommandServer, ImplicitConnectRequestsEndWithTheExecution) {
  conn.Options()->SetDisconnectedMode(true);
  cmd->SetSQLText(u"INSERT INTO cmd_sql_items (name) VALUES (:name)");
  cmd->ParamByName(u"name")->SetAsString(u"one");
  EXPECT_FALSE(conn.Connected());
  cmd->Execute();
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(conn.ConnectCount(), 0);

  // A failing statement gives its request back too.
  cmd->SetSQLText(u"INSERT INTO cmd_sql_missing (name) VALUES (:name)");
  EXPECT_NE(ErrorOf([&] { cmd->Execute(); }), u"<no error>");
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(conn.ConnectCount(), 0);

  cmd->SetSQLText(u"INSERT INTO cmd_sql_items (name) VALUES (:name)");
  cmd->ParamByName(u"name")->SetAsString(u"two");
  cmd->Execute();
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(Count(), u"2");
}

}  // namespace
