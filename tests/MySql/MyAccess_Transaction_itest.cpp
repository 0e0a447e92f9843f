// The MySQL transaction component against the private server, with a second
// session looking on: explicit and implicit transactions, savepoints, the
// connection's operations through its default transaction, auto-commit while a
// transaction runs, and a transaction whose session is killed.
#include <gtest/gtest.h>

#include <string>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_Transaction.h"
#include "MySql/MyClasses.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

class MyTransaction : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    conn.SetConnected(true);
    conn.ExecSQL(u"CREATE TABLE IF NOT EXISTS trans_ledger (n INT) ENGINE=InnoDB");
    conn.ExecSQL(u"DELETE FROM trans_ledger");
  }

  String Count() { return other.One(u"SELECT COUNT(*) FROM trans_ledger"); }
  bool ProviderAutoCommit() { return conn.IConnection()->AutoCommit(); }

  TMyConnection conn{nullptr};
  TOtherSession other;
};

TEST_F(MyTransaction, ExplicitStartCommitAndRollbackAsAnotherSessionSeesThem) {
  std::unique_ptr<TDATransaction> tr = conn.CreateTransaction();
  ASSERT_NE(dynamic_cast<TMyTransaction*>(tr.get()), nullptr);
  EXPECT_EQ(tr->DefaultConnection(), &conn);
  int starts = 0, commits = 0, rollbacks = 0;
  tr->OnStart = [&](TObject*) { ++starts; };
  tr->OnCommit = [&](TObject*) { ++commits; };
  tr->OnRollback = [&](TObject*) { ++rollbacks; };

  tr->StartTransaction();
  ASSERT_NE(dynamic_cast<TMySQLTransaction*>(tr->ITransaction()), nullptr);
  EXPECT_TRUE(conn.InTransaction());
  conn.ExecSQL(u"INSERT INTO trans_ledger VALUES (1)");
  EXPECT_EQ(Count(), u"0") << "not visible before the commit";
  tr->Commit();
  EXPECT_EQ(Count(), u"1");

  tr->StartTransaction();
  conn.ExecSQL(u"INSERT INTO trans_ledger VALUES (2)");
  tr->Rollback();
  EXPECT_EQ(Count(), u"1");
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_EQ(starts, 2);
  EXPECT_EQ(commits, 1);
  EXPECT_EQ(rollbacks, 1);

  // The connection runs one transaction at a time.
  conn.StartTransaction();
  EXPECT_THROW(tr->StartTransaction(), Exception);
  conn.Rollback();
}

TEST_F(MyTransaction, ImplicitUsesAreCountedAndTheLastOneCommits) {
  std::unique_ptr<TDATransaction> tr = conn.CreateTransaction();
  tr->AutoStart();
  conn.ExecSQL(u"INSERT INTO trans_ledger VALUES (1)");
  tr->AutoStart();
  conn.ExecSQL(u"INSERT INTO trans_ledger VALUES (2)");
  tr->AutoRelease();
  EXPECT_EQ(tr->UseCount(), 1);
  EXPECT_EQ(Count(), u"0");
  tr->AutoCommit(true);
  EXPECT_FALSE(tr->GetActive());
  EXPECT_EQ(Count(), u"2");

  // A failed use commits nothing; the transaction stays for its owner to end.
  tr->AutoStart();
  conn.ExecSQL(u"INSERT INTO trans_ledger VALUES (3)");
  tr->AutoCommit(false);
  EXPECT_TRUE(tr->GetActive());
  EXPECT_EQ(tr->PendingCount(), 1);
  tr->Rollback();
  EXPECT_EQ(Count(), u"2");
}

TEST_F(MyTransaction, ASavepointIsRolledBackTo) {
  conn.StartTransaction();
  conn.ExecSQL(u"INSERT INTO trans_ledger VALUES (1)");
  conn.Savepoint(u"before_second");
  conn.ExecSQL(u"INSERT INTO trans_ledger VALUES (2)");
  conn.RollbackToSavepoint(u"before_second");
  EXPECT_TRUE(conn.InTransaction());
  conn.ReleaseSavepoint(u"before_second");
  conn.Commit();
  EXPECT_EQ(other.One(u"SELECT GROUP_CONCAT(n) FROM trans_ledger"), u"1");
  // MySQL has no retaining commit: refused, and the transaction is untouched.
  conn.StartTransaction();
  EXPECT_THROW(conn.CommitRetaining(), Exception);
  EXPECT_TRUE(conn.InTransaction());
  conn.Rollback();
}

TEST_F(MyTransaction, TheConnectionWorksThroughItsDefaultTransaction) {
  std::unique_ptr<TDATransaction> tr = conn.CreateTransaction();
  conn.SetDefaultTransaction(tr.get());
  conn.SetIsolationLevel(ilSerializable);
  EXPECT_EQ(tr->IsolationLevel(), ilSerializable);
  EXPECT_EQ(conn.InternalTransaction()->IsolationLevel(), ilReadCommitted);
  conn.StartTransaction();
  EXPECT_TRUE(tr->GetActive());
  EXPECT_FALSE(conn.InternalTransaction()->GetActive());
  EXPECT_EQ(conn.MySQLConnection()->GetInternalTransaction()->GetActive(), false);
  EXPECT_THROW(conn.SetIsolationLevel(ilReadCommitted), Exception) << "not while it runs";
  conn.ExecSQL(u"INSERT INTO trans_ledger VALUES (1)");
  conn.Commit();
  EXPECT_EQ(Count(), u"1");
  tr.reset();
  EXPECT_EQ(conn.EffectiveTransaction(), conn.InternalTransaction());
}

TEST_F(MyTransaction, AutoCommitIsOffWhileATransactionRunsAndRestoredAfter) {
  for (bool own : {true, false}) {
    conn.SetAutoCommit(own);
    conn.StartTransaction();
    EXPECT_FALSE(ProviderAutoCommit()) << own;
    conn.Commit();
    EXPECT_EQ(ProviderAutoCommit(), own);
    conn.StartTransaction();
    EXPECT_FALSE(ProviderAutoCommit()) << own;
    EXPECT_THROW(conn.ExecSQL(u"INSERT INTO no_such_table VALUES (1)"), Exception);
    conn.Rollback();
    EXPECT_EQ(ProviderAutoCommit(), own);
  }
}

// MySQL cannot carry a transaction to a new session: after the kill the
// transaction is over, its work gone, and the connection gives up instead of
// replaying on a new session.
TEST_F(MyTransaction, ATransactionOverAKilledSessionEndsWithoutFailover) {
  conn.Options()->SetLocalFailover(true);
  int lost = 0;
  conn.OnConnectionLost = [&](TObject*, TComponent*, TConnLostCause, TRetryMode&) { ++lost; };
  conn.StartTransaction();
  conn.ExecSQL(u"INSERT INTO trans_ledger VALUES (1)");
  EXPECT_FALSE(conn.IsFailOverAllowed());
  TMyQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(u"SELECT CONNECTION_ID() AS id");
  query.Open();
  const String id = query.FieldByName(u"id")->AsString();
  query.Close();
  other.Exec(u"KILL CONNECTION " + id);

  query.SetSQLText(u"SELECT COUNT(*) AS c FROM trans_ledger");
  EXPECT_THROW(query.Open(), Exception);
  EXPECT_EQ(lost, 0) << "no reconnect is offered";
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_EQ(conn.InternalTransaction()->UseCount(), 0);
  EXPECT_EQ(conn.InternalTransaction()->SavedUseCount(), 0);
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(Count(), u"0") << "the killed session's work is gone";

  // A new transaction runs on a new session with auto-commit back.
  conn.StartTransaction();
  EXPECT_NE(conn.MySQLConnection()->GetInternalTransaction(), nullptr);
  conn.ExecSQL(u"INSERT INTO trans_ledger VALUES (2)");
  conn.Commit();
  EXPECT_TRUE(ProviderAutoCommit());
  EXPECT_EQ(Count(), u"1");
}

}  // namespace
