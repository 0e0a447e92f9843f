// Pooled connections of the MySQL connection component against the private server: sessions
// shared in turn, pools per key, the slot limit, validation of killed sessions, lifetimes,
// unreachable servers, and the manager's end while components still hold sessions.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "MySql/MyAccess.h"
#include "MySql/MyClasses.h"
#include "MySql/MyConnectionPool.h"
#include "platform/rtl/TickCount.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

// The first column of the first row of a statement, read through the component's session.
String Scalar(TMyConnection& conn, const String& sql) {
  TMyQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(sql);
  query.Open();
  String value = query.FieldByName(u"v")->AsString();
  query.Close();
  return value;
}

String SessionId(TMyConnection& conn) { return Scalar(conn, u"SELECT CONNECTION_ID() AS v"); }

// Each test starts with no manager, the pool's waits short and validation left to the test.
class PoolServer : public ::testing::Test {
 protected:
  PoolServer() : FWaits(300, 3600000) { TMyConnectionPoolManager::FreeManager(); }
  ~PoolServer() override { TMyConnectionPoolManager::FreeManager(); }

  static void Pooled(TMyConnection& conn, int maxPoolSize = 100) {
    ApplyTestSettings(conn);
    conn.PoolingOptions()->MaxPoolSize = maxPoolSize;
    conn.SetPooling(true);
  }
  static TLxLocalConnectionPool* OnlyPool() {
    TMyConnectionPoolManager* manager = TMyConnectionPoolManager::Manager();
    EXPECT_NE(manager, nullptr);
    EXPECT_EQ(manager->PoolCount(), 1);
    return static_cast<TLxLocalConnectionPool*>(manager->Pool(0));
  }

  struct Waits {
    Waits(uint32_t slot, uint32_t period) {
      LxPoolTimings().SlotWait = slot;
      LxPoolTimings().ValidationPeriod = period;
    }
    ~Waits() {
      LxPoolTimings().SlotWait = 30000;
      LxPoolTimings().ValidationPeriod = 30000;
    }
  } FWaits;
};

TEST_F(PoolServer, ComponentsWithTheSameSettingsShareOneSessionInTurn) {
  TMyConnection first(nullptr), second(nullptr);
  Pooled(first);
  Pooled(second);
  first.SetConnected(true);
  const String id = SessionId(first);
  first.SetConnected(false);
  second.SetConnected(true);
  EXPECT_EQ(SessionId(second), id);

  first.SetConnected(true);
  EXPECT_NE(SessionId(first), id) << "a session in use was handed out again";
  EXPECT_EQ(OnlyPool()->GetConnectionCount(), 2);
}

TEST_F(PoolServer, NoThreadRunsUntilAComponentPools) {
  TMyConnection plain(nullptr);
  ApplyTestSettings(plain);
  plain.SetConnected(true);
  SessionId(plain);
  plain.SetConnected(false);
  EXPECT_EQ(TMyConnectionPoolManager::Manager(), nullptr);

  TMyConnection pooled(nullptr);
  Pooled(pooled);
  pooled.SetConnected(true);
  ASSERT_NE(TMyConnectionPoolManager::Manager(), nullptr);
  EXPECT_TRUE(TMyConnectionPoolManager::Manager()->HasValidateThread());
}

TEST_F(PoolServer, AnotherDatabaseOrUserGetsAPoolAndASessionOfItsOwn) {
  TOtherSession admin;
  admin.Exec(u"DROP USER IF EXISTS 'pool_clerk'@'127.0.0.1', 'pool_clerk'@'localhost'");
  for (const char16_t* host : {u"127.0.0.1", u"localhost"}) {
    admin.Exec(String(u"CREATE USER 'pool_clerk'@'") + host + u"' IDENTIFIED BY 'clerk'");
    admin.Exec(String(u"GRANT SELECT ON *.* TO 'pool_clerk'@'") + host + u"'");
  }
  TMyConnection base(nullptr), otherDb(nullptr), otherUser(nullptr);
  Pooled(base);
  Pooled(otherDb);
  Pooled(otherUser);
  otherDb.SetDatabase(u"information_schema");
  otherUser.SetUsername(u"pool_clerk");
  otherUser.SetPassword(u"clerk");

  base.SetConnected(true);
  const String id = SessionId(base);
  base.SetConnected(false);
  otherDb.SetConnected(true);
  otherUser.SetConnected(true);
  EXPECT_NE(SessionId(otherDb), id);
  EXPECT_NE(SessionId(otherUser), id);
  EXPECT_EQ(Scalar(otherDb, u"SELECT DATABASE() AS v"), u"information_schema");
  EXPECT_EQ(Scalar(otherUser, u"SELECT SUBSTRING_INDEX(USER(), '@', 1) AS v"), u"pool_clerk");
  EXPECT_EQ(TMyConnectionPoolManager::Manager()->PoolCount(), 3);
  otherUser.SetConnected(false);
  admin.Exec(u"DROP USER 'pool_clerk'@'127.0.0.1', 'pool_clerk'@'localhost'");
}

// A session the last user moved to another database comes back to the pool's own.
TEST_F(PoolServer, ASessionSwitchedToAnotherDatabaseIsSwitchedBackForTheNextUser) {
  TMyConnection first(nullptr), second(nullptr);
  Pooled(first);
  Pooled(second);
  first.SetConnected(true);
  const String id = SessionId(first);
  first.SetDatabase(u"information_schema");
  EXPECT_EQ(Scalar(first, u"SELECT DATABASE() AS v"), u"information_schema");
  first.SetConnected(false);

  second.SetConnected(true);
  EXPECT_EQ(SessionId(second), id);
  EXPECT_EQ(Scalar(second, u"SELECT DATABASE() AS v"), UTF8ToString(testdb::Get().database));
}

TEST_F(PoolServer, AThirdOpenOfAPoolOfTwoWaitsAndFailsOrGetsTheSessionGivenBack) {
  TMyConnection a(nullptr), b(nullptr), c(nullptr);
  Pooled(a, 2);
  Pooled(b, 2);
  Pooled(c, 2);
  a.SetConnected(true);
  b.SetConnected(true);
  try {
    c.SetConnected(true);
    FAIL() << "a third session was opened";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Maximum connections reached in pool");
  }
  EXPECT_FALSE(c.Connected());

  LxPoolTimings().SlotWait = 60000;  // only the return can end this wait
  const String idOfA = SessionId(a);
  std::thread opener([&] { c.SetConnected(true); });
  a.SetConnected(false);
  opener.join();
  EXPECT_TRUE(c.Connected());
  EXPECT_EQ(SessionId(c), idOfA);
}

TEST_F(PoolServer, AKilledIdleSessionIsFoundByValidationAndReplaced) {
  TMyConnection conn(nullptr);
  Pooled(conn);
  conn.SetConnected(true);
  const String id = SessionId(conn);
  conn.SetConnected(false);
  TOtherSession().Exec(u"KILL CONNECTION " + id);

  TMyConnectionPoolManager* manager = TMyConnectionPoolManager::Manager();
  manager->ValidatePools(nullptr);  // used since the last pass: kept without asking the server
  manager->ValidatePools(nullptr);  // idle for a pass: tested, found dead
  EXPECT_EQ(manager->PoolCount(), 0) << "the dead session stayed pooled";

  conn.SetConnected(true);
  const String replacement = SessionId(conn);
  EXPECT_NE(replacement, id);
}

TEST_F(PoolServer, ASessionPastItsLifetimeIsClosedWhenGivenBack) {
  TMyConnection conn(nullptr);
  Pooled(conn);
  conn.PoolingOptions()->ConnectionLifetime = 50;
  conn.SetConnected(true);
  const String id = SessionId(conn);
  Sleep(100);
  conn.SetConnected(false);
  EXPECT_EQ(OnlyPool()->GetConnectionCount(), 0);
  conn.SetConnected(true);
  EXPECT_NE(SessionId(conn), id);
}

TEST_F(PoolServer, AnUnreachableServerLeavesNothingPooledAndDoesNotUseUpThePool) {
  TMyConnection conn(nullptr);
  Pooled(conn, 1);
  conn.SetPort(1);  // nothing listens there
  for (int attempt = 0; attempt < 3; ++attempt) {
    try {
      conn.SetConnected(true);
      FAIL() << "connected to a closed port";
    } catch (const EDAError& e) {
      EXPECT_EQ(e.ErrorCode(), 2003) << "attempt " << attempt << ": " << e.what();
    }
  }
  EXPECT_EQ(OnlyPool()->GetConnectionCount(), 0);

  conn.SetPort(static_cast<int>(testdb::Get().port));
  conn.SetConnected(true);
  EXPECT_EQ(TMyConnectionPoolManager::Manager()->PoolCount(), 2);
}

TEST_F(PoolServer, ARecordSetsOwnFetchSessionComesFromThePoolAndGoesBack) {
  TMyConnection conn(nullptr);
  Pooled(conn);
  conn.SetConnected(true);
  TMyQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetFetchAll(false);
  query.SetSQLText(u"SELECT CONNECTION_ID() AS v UNION ALL SELECT 0");
  query.Open();
  const String fetchId = query.FieldByName(u"v")->AsString();
  query.Close();
  EXPECT_NE(fetchId, SessionId(conn));
  conn.SetConnected(false);
  EXPECT_EQ(OnlyPool()->PooledCount(), 2);
}

// The program's end frees the manager whichever components are still open: pooled sessions
// close at once, a session in use when its component lets it go.
TEST_F(PoolServer, SessionsInUseCloseCleanlyAfterTheManagerIsGone) {
  auto conn = std::make_unique<TMyConnection>(nullptr);
  Pooled(*conn);
  conn->SetConnected(true);
  const String id = SessionId(*conn);
  TMyConnectionPoolManager::FreeManager();
  EXPECT_EQ(SessionId(*conn), id);
  conn.reset();

  TOtherSession watcher;
  String open = u"1";
  for (int i = 0; i < 5000 && open != u"0"; ++i) {
    open = watcher.One(u"SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = " + id);
    if (open != u"0") Sleep(1);
  }
  EXPECT_EQ(open, u"0") << "the session was left open on the server";
}

}  // namespace
