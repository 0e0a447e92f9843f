// The MySQL connection component against the private server: the application's settings,
// connect and disconnect events, implicit connect requests in disconnected mode, and failover
// after the session is killed from a second connection.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "MySql/MyAccess.h"
#include "MySql/MyClasses.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/TestDb.h"

namespace {

// The first column of the first row, read through the provider's call table; errors go through
// the provider's failover with the component named.
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
    if (api->FieldIsNull(row, 0)) {
      value = "<null>";
      continue;
    }
    AnsiString s;
    api->GetFieldString(row, 0, s);
    value = s;
  }
  api->mysql_free_result(result);
  return value;
}

void Kill(const std::string& id) {
  TMyConnection killer(nullptr);
  ApplyTestSettings(killer);
  killer.SetConnected(true);
  killer.MySQLConnection()->ExecSQL(u"KILL CONNECTION " + UTF8ToString(id));
}

TEST(MyConnectionServer, ConnectsWithTheApplicationSettingsAndRunsTheEventsInOrder) {
  TMyConnection conn(nullptr);
  EXPECT_EQ(conn.Port(), 3306);
  EXPECT_EQ(conn.ConnectionTimeout(), 15);
  EXPECT_TRUE(conn.Options()->Direct());
  EXPECT_TRUE(conn.LoginPrompt());
  EXPECT_EQ(conn.GetClientVersion(), u"7.0.0 Direct");
  ApplyTestSettings(conn);
  std::vector<std::string> log;
  conn.BeforeConnect = [&](TObject*) { log.push_back("BeforeConnect"); };
  conn.AfterConnect = [&](TObject*) { log.push_back("AfterConnect"); };
  conn.BeforeDisconnect = [&](TObject*) { log.push_back("BeforeDisconnect"); };
  conn.AfterDisconnect = [&](TObject*) { log.push_back("AfterDisconnect"); };

  conn.SetConnected(true);
  ASSERT_TRUE(conn.Connected());
  TMySQLConnection* my = conn.MySQLConnection();
  EXPECT_TRUE(my->UseUnicode());
  EXPECT_EQ(my->Charset(), u"utf8");
  EXPECT_EQ(One(conn, "SELECT DATABASE()"), testdb::Get().database);
  EXPECT_EQ(One(conn, "SELECT 'Скопје'"), "Скопје");
  conn.SetConnected(false);
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(log, (std::vector<std::string>{"BeforeConnect", "AfterConnect", "BeforeDisconnect",
                                           "AfterDisconnect"}));
}

TEST(MyConnectionServer, OptionsWithTheChangeCheckAreRefusedOnAnOpenConnection) {
  TMyConnection conn(nullptr);
  ApplyTestSettings(conn);
  conn.SetConnected(true);
  EXPECT_THROW(conn.Options()->SetCharset(u"UTF8"), EDatabaseError);  // case counts
  EXPECT_EQ(conn.Options()->Charset(), u"utf8");
  EXPECT_THROW(conn.Options()->SetCompress(true), EDatabaseError);
  EXPECT_FALSE(conn.Options()->Compress());
  conn.Options()->SetCharset(u"utf8");  // unchanged: allowed
  conn.Options()->SetCheckBackslashes(true);  // no check
  EXPECT_TRUE(conn.MySQLConnection()->CheckBackslashes());
  conn.SetConnected(false);
  conn.Options()->SetCompress(true);  // reaches the existing provider while closed
  EXPECT_TRUE(conn.MySQLConnection()->Compress());
  conn.SetConnected(true);
  EXPECT_EQ(One(conn, "SELECT 1"), "1");
}

TEST(MyConnectionServer, ImplicitRequestsInDisconnectedMode) {
  TMyConnection conn(nullptr);
  ApplyTestSettings(conn);
  conn.Options()->SetDisconnectedMode(true);
  int connects = 0, disconnects = 0;
  conn.AfterConnect = [&](TObject*) { ++connects; };
  conn.AfterDisconnect = [&](TObject*) { ++disconnects; };

  conn.TakeConnectRequest();  // a dataset opens
  conn.TakeConnectRequest();  // a command runs
  EXPECT_EQ(connects, 1);
  EXPECT_EQ(One(conn, "SELECT 2"), "2");
  conn.DropConnectRequest();
  EXPECT_TRUE(conn.Connected());
  conn.DropConnectRequest();
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(disconnects, 1);

  // Released requests do not keep the connection: the next user connects again.
  conn.TakeConnectRequest();
  EXPECT_EQ(connects, 2);
  conn.DropConnectRequest();
  EXPECT_FALSE(conn.Connected());
}

TEST(MyConnectionServer, KilledSessionIsReestablishedAndTheOpenReplayed) {
  TMyConnection conn(nullptr);
  ApplyTestSettings(conn);
  conn.Options()->SetLocalFailover(true);
  conn.SetConnected(true);
  std::vector<TConnLostCause> causes;
  conn.OnConnectionLost = [&](TObject*, TComponent* component, TConnLostCause cause,
                              TRetryMode& mode) {
    causes.push_back(cause);
    EXPECT_EQ(component, &conn);
    EXPECT_EQ(mode, rmReconnectExecute);
  };
  int errors = 0;
  conn.OnError = [&](TObject*, EDAError&, bool&) { ++errors; };
  const std::string before = One(conn, "SELECT CONNECTION_ID()");
  Kill(before);

  // An open, as a dataset runs it: replayed after EFailOver.
  std::string readBack;
  int passes = 0;
  for (;;) {
    ++passes;
    conn.EnterOperation(clOpen, true);
    try {
      readBack = One(conn, "SELECT 'Битола'");
      conn.LeaveOperation();
      break;
    } catch (const EFailOver& e) {
      conn.LeaveOperation();
      EXPECT_EQ(e.ConnLostCause(), clOpen);
      ASSERT_LT(passes, 3);
      conn.RestoreAfterReconnect();
    }
  }
  EXPECT_EQ(passes, 2);
  EXPECT_EQ(readBack, "Битола");
  EXPECT_EQ(causes, std::vector<TConnLostCause>{clOpen});
  EXPECT_EQ(errors, 0);
  EXPECT_TRUE(conn.Connected());
  EXPECT_NE(One(conn, "SELECT CONNECTION_ID()"), before);
}

// The session is killed while its statement runs on the server: the open is replayed on a new
// session and returns the statement's row.
TEST(MyConnectionServer, SessionKilledWhileAStatementRunsIsReplayed) {
  TMyConnection conn(nullptr);
  ApplyTestSettings(conn);
  conn.Options()->SetLocalFailover(true);
  conn.SetConnected(true);
  std::vector<TConnLostCause> causes;
  conn.OnConnectionLost = [&](TObject*, TComponent*, TConnLostCause cause, TRetryMode&) {
    causes.push_back(cause);
  };
  const std::string id = One(conn, "SELECT CONNECTION_ID()");
  std::thread killer([id] {
    TMyConnection watcher(nullptr);
    ApplyTestSettings(watcher);
    watcher.SetConnected(true);
    // Waits until the statement is running, then kills its session.
    const std::string running = "SELECT COUNT(*) FROM information_schema.processlist WHERE id = " +
                                id + " AND info LIKE 'SELECT SLEEP%'";
    for (int i = 0; i < 500 && One(watcher, running) == "0"; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    watcher.MySQLConnection()->ExecSQL(u"KILL CONNECTION " + UTF8ToString(id));
  });
  std::string readBack;
  int passes = 0;
  for (;;) {
    ++passes;
    conn.EnterOperation(clOpen, true);
    try {
      readBack = One(conn, passes == 1 ? "SELECT SLEEP(20), 'first'" : "SELECT 'replayed'");
      conn.LeaveOperation();
      break;
    } catch (const EFailOver& e) {
      conn.LeaveOperation();
      EXPECT_EQ(e.ConnLostCause(), clOpen);
      if (passes >= 3) break;
      conn.RestoreAfterReconnect();
    }
  }
  killer.join();
  EXPECT_EQ(passes, 2);
  EXPECT_EQ(readBack, "replayed");
  EXPECT_EQ(causes, std::vector<TConnLostCause>{clOpen});
  EXPECT_NE(One(conn, "SELECT CONNECTION_ID()"), id);
}

TEST(MyConnectionServer, KilledSessionDuringExecuteRaisesAndDisconnects) {
  TMyConnection conn(nullptr);
  ApplyTestSettings(conn);
  conn.Options()->SetLocalFailover(true);
  conn.SetConnected(true);
  std::vector<TConnLostCause> causes;
  conn.OnConnectionLost = [&](TObject*, TComponent*, TConnLostCause cause, TRetryMode& mode) {
    causes.push_back(cause);
    EXPECT_EQ(mode, rmRaise);
  };
  std::vector<int> errors;
  conn.OnError = [&](TObject*, EDAError& e, bool&) { errors.push_back(e.ErrorCode()); };
  Kill(One(conn, "SELECT CONNECTION_ID()"));
  conn.EnterOperation(clExecute, true);
  try {
    conn.MySQLConnection()->ExecSQL(u"DO 1");
    ADD_FAILURE() << "the statement ran on a killed session";
  } catch (const EMyError& e) {
    EXPECT_TRUE(e.IsConnectionLost()) << e.ErrorCode();
  }
  conn.LeaveOperation();
  EXPECT_EQ(causes, std::vector<TConnLostCause>{clExecute});
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_FALSE(conn.Connected());
  conn.SetConnected(true);  // the user connects again
  EXPECT_EQ(One(conn, "SELECT 3"), "3");
}

TEST(MyConnectionServer, WithoutLocalFailoverAConnectedComponentReconnectsAndRaises) {
  TMyConnection conn(nullptr);
  ApplyTestSettings(conn);
  conn.SetConnected(true);
  int errors = 0;
  conn.OnError = [&](TObject*, EDAError&, bool&) { ++errors; };
  const std::string before = One(conn, "SELECT CONNECTION_ID()");
  Kill(before);
  EXPECT_THROW(One(conn, "SELECT 1"), EMyError);
  EXPECT_EQ(errors, 1);
  EXPECT_TRUE(conn.Connected());
  EXPECT_NE(One(conn, "SELECT CONNECTION_ID()"), before);
}

TEST(MyConnectionServer, ServerThatStaysDownEndsInTheErrorAfterBoundedRetries) {
  TMyConnection conn(nullptr);
  ApplyTestSettings(conn);
  conn.Options()->SetLocalFailover(true);
  conn.SetConnected(true);
  int lost = 0, errors = 0, reconnects = 0;
  conn.OnConnectionLost = [&](TObject*, TComponent*, TConnLostCause, TRetryMode&) { ++lost; };
  conn.OnError = [&](TObject*, EDAError&, bool&) { ++errors; };
  conn.AfterConnect = [&](TObject*) { ++reconnects; };
  Kill(One(conn, "SELECT CONNECTION_ID()"));
  // The reconnects go to a port where nothing listens: the server is gone for good.
  conn.IConnection()->SetProp(pcPort, static_cast<int32_t>(1));
  conn.EnterOperation(clOpen, true);
  try {
    One(conn, "SELECT 1");
    ADD_FAILURE() << "no error from a server that is down";
  } catch (const EMyError& e) {
    EXPECT_TRUE(e.IsConnectionLost()) << e.ErrorCode();
  } catch (const EFailOver&) {
    ADD_FAILURE() << "replay asked of a server that is down";
  }
  conn.LeaveOperation();
  EXPECT_EQ(lost, TCustomDAConnection::MaxReconnectAttempts);
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(reconnects, 0);
  EXPECT_FALSE(conn.Connected());
}

}  // namespace
