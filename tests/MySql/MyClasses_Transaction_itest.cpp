// The MySQL transaction against the private server: each isolation level as the session sees it,
// commit and rollback of a written row, savepoints, a second session waiting on a locked row, and
// the errors raised before anything is sent.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <chrono>

#include "MySql/MyClasses.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

std::unique_ptr<TMySQLConnection> Open() {
  return ConnectProvider();
}

// The first column of the first row, or nullopt when there is no row or it is NULL.
std::optional<std::string> One(TMySQLConnection& conn, const std::string& sql) {
  TMySQLAPI* api = conn.API();
  conn.CheckResultFalse(
      api->mysql_real_query(conn.Handle(), sql.data(), static_cast<uint32_t>(sql.size())),
      nullptr);
  PMYSQL_RES result = api->mysql_use_result(conn.Handle());
  if (!result) return std::nullopt;
  std::optional<std::string> value;
  while (PMYSQL_ROW row = api->FetchRow(result)) {
    if (!value && !api->FieldIsNull(row, 0)) {
      AnsiString s;
      api->GetFieldString(row, 0, s);
      value = s;
    }
  }
  api->mysql_free_result(result);
  return value;
}

class MySQLTransaction : public ::testing::Test {
 protected:
  void SetUp() override {
    conn = Open();
    conn->ExecSQL(u"DROP TABLE IF EXISTS tx_rows");
    conn->ExecSQL(u"CREATE TABLE tx_rows (id INT PRIMARY KEY, name VARCHAR(20)) ENGINE=InnoDB");
    tx.AttachConnection(conn.get());
  }
  void TearDown() override {
    if (tx.GetActive()) tx.Rollback();
    conn->ExecSQL(u"DROP TABLE IF EXISTS tx_rows");
  }
  std::string Count() { return One(*conn, "SELECT COUNT(*) FROM tx_rows").value_or("?"); }

  std::unique_ptr<TMySQLConnection> conn;
  TMySQLTransaction tx;
};

TEST_F(MySQLTransaction, TheConnectionHandsOutTheMySQLTransaction) {
  std::unique_ptr<TLxTransaction> made = conn->GetTransactionClass()();
  EXPECT_NE(dynamic_cast<TMySQLTransaction*>(made.get()), nullptr);
}

TEST_F(MySQLTransaction, EachIsolationLevelReachesTheServer) {
  struct Case {
    uint8_t level;
    const char* name;
  } cases[] = {{0, "READ COMMITTED"},
               {1, "READ UNCOMMITTED"},
               {2, "REPEATABLE READ"},
               {3, "SERIALIZABLE"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tx.SetProp(pcIsolationLevel, static_cast<int32_t>(c.level));
    tx.BeginTransaction();
    EXPECT_TRUE(tx.GetActive());
    // Writing a row makes the transaction show in the server's table of open transactions. The
    // server serves that table from a cache that it renews only when it was last read more than
    // 0.1 s ago, hence the pause.
    conn->ExecSQL(u"INSERT INTO tx_rows VALUES (1, 'a')");
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_EQ(One(*conn,
                  "SELECT trx_isolation_level FROM information_schema.INNODB_TRX "
                  "WHERE trx_mysql_thread_id = CONNECTION_ID()"),
              std::optional<std::string>(c.name));
    tx.Rollback();
    EXPECT_FALSE(tx.GetActive());
  }
  EXPECT_EQ(Count(), "0");
}

TEST_F(MySQLTransaction, CommitKeepsAndRollbackDropsTheRow) {
  tx.BeginTransaction();
  conn->ExecSQL(u"INSERT INTO tx_rows VALUES (1, 'kept')");
  tx.Commit();
  tx.BeginTransaction();
  conn->ExecSQL(u"INSERT INTO tx_rows VALUES (2, 'dropped')");
  EXPECT_EQ(Count(), "2");
  tx.Rollback();
  EXPECT_EQ(Count(), "1");
  EXPECT_EQ(One(*conn, "SELECT name FROM tx_rows WHERE id = 1"), "kept");
}

TEST_F(MySQLTransaction, SavepointsUndoOnlyWhatFollows) {
  tx.BeginTransaction();
  conn->ExecSQL(u"INSERT INTO tx_rows VALUES (1, 'before')");
  tx.Savepoint(u"sp1");
  conn->ExecSQL(u"INSERT INTO tx_rows VALUES (2, 'after')");
  tx.RollbackToSavepoint(u"sp1");
  EXPECT_EQ(Count(), "1");
  tx.Savepoint(u"sp2");
  tx.ReleaseSavepoint(u"sp2");
  // A released savepoint is gone: the server says so.
  EXPECT_THROW(tx.RollbackToSavepoint(u"sp2"), EMyError);
  EXPECT_TRUE(tx.GetActive());
  tx.Commit();
  EXPECT_EQ(Count(), "1");
}

TEST_F(MySQLTransaction, ASecondSessionWaitsOnTheLockedRowAndGivesUp) {
  conn->ExecSQL(u"INSERT INTO tx_rows VALUES (1, 'locked')");
  tx.BeginTransaction();
  conn->ExecSQL(u"UPDATE tx_rows SET name = 'mine' WHERE id = 1");
  auto other = Open();
  other->ExecSQL(u"SET SESSION innodb_lock_wait_timeout = 2");
  try {
    other->ExecSQL(u"UPDATE tx_rows SET name = 'theirs' WHERE id = 1");
    ADD_FAILURE() << "the locked row was written";
  } catch (const EMyError& e) {
    EXPECT_EQ(e.ErrorCode(), 1205);  // lock wait timeout exceeded
  }
  tx.Commit();
  EXPECT_EQ(One(*other, "SELECT name FROM tx_rows WHERE id = 1"), "mine");
}

TEST_F(MySQLTransaction, MisuseFailsBeforeAnythingIsSent) {
  EXPECT_THROW(tx.Savepoint(u"x"), Exception);  // inactive
  try {
    tx.Commit();
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Can't perform operation on inactive transaction");
  }
  TMySQLTransaction empty;
  empty.SetProp(pcTransactionReadOnly, true);
  try {
    empty.BeginTransaction();
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Readonly transactions are not supported by the database");
  }
  empty.SetProp(pcTransactionReadOnly, false);
  try {
    empty.BeginTransaction();
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"There are no connections in the transaction");
  }
  TMySQLConnection closed;
  empty.AttachConnection(&closed);
  try {
    empty.BeginTransaction();
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"One of the connections in the transaction is not active");
  }
  tx.SetProp(pcIsolationLevel, 9);
  EXPECT_THROW(tx.BeginTransaction(), Exception);
  EXPECT_FALSE(tx.GetActive());
}

TEST_F(MySQLTransaction, AnAttachedTransactionLeavesTheEndToItsOwner) {
  tx.BeginTransaction();
  conn->ExecSQL(u"INSERT INTO tx_rows VALUES (1, 'a')");
  TMySQLTransaction follower;
  follower.AttachConnection(conn.get());
  follower.AttachTo(&tx);
  follower.Commit();  // sends nothing
  EXPECT_FALSE(follower.GetActive());
  tx.Rollback();
  EXPECT_EQ(Count(), "0");
}

}  // namespace
