// The transaction component over a provider transaction that only records what
// it is told: the connection's own transaction, implicit uses, auto-commit,
// connect requests in disconnected mode, one transaction per connection,
// closing on destruction, and failover.
#include "Common/DBAccess_Transaction.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Common/DBAccess.h"
#include "tests/Common/FakeProviderConnection.h"

namespace {

class ELostError : public EDAError {
 public:
  ELostError() : EDAError(2013, u"Lost connection to MySQL server during query") {}
  bool IsConnectionLost() const override { return true; }
};

// What the fake provider transactions did, and how the next calls fail.
struct TLog {
  std::vector<std::string> Calls;
  bool CanRestore = false;
  int FailBegins = 0;  // how many begins raise FailWith first
  TConnLostCause FailCause = clTransStart;
  bool RollbackLost = false;
};

class TFakeTransaction : public TLxTransaction {
 public:
  explicit TFakeTransaction(TLog* log = nullptr) : FLog(log) {}
  void SetLog(TLog* log) { FLog = log; }
  void BeginTransaction() override {
    CheckInactive();
    if (FLog && FLog->FailBegins > 0) {
      --FLog->FailBegins;
      throw EFailOver(FLog->FailCause);
    }
    Note("begin");
    FActive = true;
  }
  void Commit() override {
    CheckActive();
    Note("commit");
    FActive = false;
  }
  void Rollback() override {
    CheckActive();
    if (FLog && FLog->RollbackLost) throw ELostError();
    Note("rollback");
    FActive = false;
  }
  void CommitRetaining() override {
    CheckActive();
    Note("commit retaining");
  }
  void RollbackRetaining() override {
    CheckActive();
    Note("rollback retaining");
  }
  void Savepoint(const String& name) override { Named("savepoint ", name); }
  void ReleaseSavepoint(const String& name) override { Named("release ", name); }
  void RollbackToSavepoint(const String& name) override { Named("rollback to ", name); }
  bool CanRestoreAfterFailover() const override { return FLog && FLog->CanRestore; }

 private:
  void Note(const std::string& call) {
    if (FLog) FLog->Calls.push_back(call);
  }
  void Named(const std::string& call, const String& name) {
    CheckActive();
    Note(call + std::string(name.begin(), name.end()));
  }
  TLog* FLog;
};

using TFakeConnection = TFakeProviderConnection<TFakeTransaction>;

class TTestConnection : public TCustomDAConnection {
 public:
  explicit TTestConnection(TLog* log) : TCustomDAConnection(nullptr), FLog(log) {}
  bool ProviderAutoCommit() { return IConnection()->AutoCommit(); }

 protected:
  // The provider's internal transaction reports to the connection's log.
  void CreateIConnection() override {
    auto connection = std::make_unique<TFakeConnection>();
    static_cast<TFakeTransaction*>(connection->GetInternalTransaction())->SetLog(FLog);
    SetIConnection(std::move(connection));
  }

 private:
  TLog* FLog;
};

// A transaction component with its own provider transaction of the fake class.
class TTestTransaction : public TDATransaction {
 public:
  explicit TTestTransaction(TLog* log) : TDATransaction(nullptr), FLog(log) {}

 protected:
  TLxTransactionKind GetITransactionClass() override {
    return TLxTransactionKind::Of<TFakeTransaction>();
  }
  void SetITransaction(TLxTransaction* transaction) override {
    TDATransaction::SetITransaction(transaction);
    if (transaction) static_cast<TFakeTransaction*>(transaction)->SetLog(FLog);
  }

 private:
  TLog* FLog;
};

TEST(DATransaction, TheConnectionsOwnOperationsGoThroughItsInternalTransaction) {
  TLog log;
  TTestConnection conn(&log);
  TDATransaction* own = conn.InternalTransaction();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->DefaultConnection(), &conn);
  EXPECT_TRUE(own->Shared());
  EXPECT_EQ(conn.TransactionCount(), 1);
  EXPECT_EQ(conn.EffectiveTransaction(), own);
  EXPECT_THROW(conn.Commit(), EDatabaseError) << "nothing to commit";

  conn.SetAutoCommit(false);
  conn.StartTransaction();  // connects implicitly
  EXPECT_TRUE(conn.Connected());
  EXPECT_EQ(own->ITransaction(), conn.IConnection()->GetInternalTransaction());
  EXPECT_TRUE(own->GetActive());
  EXPECT_TRUE(conn.InTransaction());
  EXPECT_TRUE(own->ExplicitlyStarted());
  EXPECT_FALSE(conn.ProviderAutoCommit());
  EXPECT_THROW(conn.StartTransaction(), Exception) << "already active";

  conn.Savepoint(u"a");
  conn.RollbackToSavepoint(u"a");
  conn.ReleaseSavepoint(u"a");
  conn.CommitRetaining();
  EXPECT_TRUE(conn.InTransaction()) << "a retaining commit keeps the transaction open";
  conn.RollbackRetaining();
  conn.Rollback();
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_FALSE(conn.ProviderAutoCommit()) << "the connection's own setting comes back";
  conn.SetAutoCommit(true);
  conn.StartTransaction();
  conn.Commit();
  EXPECT_TRUE(conn.ProviderAutoCommit());
  const std::vector<std::string> expected = {"begin",
                                             "savepoint a",
                                             "rollback to a",
                                             "release a",
                                             "commit retaining",
                                             "rollback retaining",
                                             "rollback",
                                             "begin",
                                             "commit"};
  EXPECT_EQ(log.Calls, expected);
  EXPECT_THROW(conn.Savepoint(u"b"), Exception) << "no savepoint outside a transaction";
}

TEST(DATransaction, ADefaultTransactionTakesOverTheConnectionsOperations) {
  TLog internalLog, log;
  TTestConnection conn(&internalLog);
  conn.SetConnected(true);
  auto tr = std::make_unique<TTestTransaction>(&log);
  tr->SetDefaultConnection(&conn);
  EXPECT_EQ(conn.TransactionCount(), 2);
  conn.SetDefaultTransaction(tr.get());
  EXPECT_EQ(conn.EffectiveTransaction(), tr.get());
  conn.StartTransaction();
  EXPECT_TRUE(tr->GetActive());
  EXPECT_FALSE(conn.InternalTransaction()->GetActive());
  conn.Commit();
  EXPECT_EQ(log.Calls, (std::vector<std::string>{"begin", "commit"}));
  EXPECT_TRUE(internalLog.Calls.empty());
  // Going away, the transaction leaves the connection's list and its default.
  tr.reset();
  EXPECT_EQ(conn.DefaultTransaction(), nullptr);
  EXPECT_EQ(conn.TransactionCount(), 1);
  conn.SetDefaultTransaction(conn.InternalTransaction());
  EXPECT_EQ(conn.DefaultTransaction(), nullptr) << "the internal one counts as none";
}

TEST(DATransaction, ImplicitUsesAreCountedAndTheLastOneCommits) {
  TLog internalLog, log;
  TTestConnection conn(&internalLog);
  conn.SetConnected(true);
  TTestTransaction tr(&log);
  tr.SetDefaultConnection(&conn);

  tr.AutoStart();
  EXPECT_TRUE(tr.GetActive());
  EXPECT_FALSE(tr.ExplicitlyStarted());
  EXPECT_FALSE(conn.ProviderAutoCommit());
  tr.AutoStart();  // a nested operation joins
  EXPECT_EQ(tr.UseCount(), 2);
  tr.AutoCommit(true);  // not the last use: the work is committed, the transaction stays
  EXPECT_TRUE(tr.GetActive());
  tr.AutoRelease();
  EXPECT_EQ(tr.UseCount(), 1);
  tr.AutoCommit(true);
  EXPECT_FALSE(tr.GetActive());
  EXPECT_EQ(tr.UseCount(), 0);
  EXPECT_TRUE(conn.ProviderAutoCommit());
  EXPECT_EQ(log.Calls, (std::vector<std::string>{"begin", "commit retaining", "commit"}));

  // A failed use commits nothing and stays pending.
  tr.AutoStart();
  tr.AutoCommit(false);
  EXPECT_TRUE(tr.GetActive());
  EXPECT_EQ(tr.PendingCount(), 1);
  tr.AutoRelease();
  EXPECT_TRUE(tr.GetActive()) << "outside disconnected mode the last release keeps it";
  tr.Rollback();
  EXPECT_EQ(tr.PendingCount(), 0);
}

TEST(DATransaction, DisconnectedModeConnectsForTheTransactionAndClosesAfterIt) {
  TLog internalLog, log;
  TTestConnection conn(&internalLog);
  conn.Options()->SetDisconnectedMode(true);
  TTestTransaction tr(&log);
  tr.SetDefaultConnection(&conn);

  tr.AutoStart();
  EXPECT_TRUE(conn.Connected());
  tr.AutoCommit(true);
  EXPECT_FALSE(tr.GetActive());
  EXPECT_FALSE(conn.Connected()) << "the last request went with the transaction";

  // A failed use in disconnected mode: the release drops the use count without
  // closing.
  tr.AutoStart();
  tr.AutoCommit(false);
  tr.AutoRelease();
  EXPECT_EQ(tr.UseCount(), 0);
  EXPECT_TRUE(tr.GetActive());
  EXPECT_TRUE(conn.Connected());
  tr.Rollback();
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(conn.ConnectCount(), 0);

  // A begin that fails gives the request back.
  log.FailBegins = 1;
  log.FailCause = clOpen;
  EXPECT_THROW(tr.StartTransaction(), EFailOver);
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(conn.ConnectCount(), 0);
}

TEST(DATransaction, ASecondTransactionOnTheConnectionIsRefused) {
  TLog internalLog, log;
  TTestConnection conn(&internalLog);
  conn.SetConnected(true);
  TTestTransaction tr(&log);
  tr.SetDefaultConnection(&conn);
  conn.StartTransaction();
  try {
    tr.StartTransaction();
    FAIL() << "a second transaction started";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Multiple transactions are not supported by the database");
  }
  EXPECT_FALSE(tr.GetActive());
  EXPECT_TRUE(conn.ProviderAutoCommit() == false) << "the running one keeps auto-commit off";
  conn.Rollback();
  tr.SetIsolationLevel(3);
  tr.StartTransaction();
  EXPECT_EQ(tr.ITransaction()->IsolationLevel(), 3) << "the provider gets the level";
  EXPECT_THROW(tr.SetIsolationLevel(2), Exception) << "not while active";
  EXPECT_EQ(tr.ITransaction()->IsolationLevel(), 3);
  tr.Commit();
}

TEST(DATransaction, DestroyingAnActiveTransactionRollsBackAndToleratesALostConnection) {
  TLog internalLog, log;
  TTestConnection conn(&internalLog);
  conn.SetConnected(true);
  {
    TTestTransaction tr(&log);
    tr.SetDefaultConnection(&conn);
    tr.StartTransaction();
  }
  EXPECT_EQ(log.Calls, (std::vector<std::string>{"begin", "rollback"}));
  EXPECT_EQ(conn.TransactionCount(), 1);
  EXPECT_TRUE(conn.ProviderAutoCommit());

  log.Calls.clear();
  log.RollbackLost = true;
  {
    TTestTransaction tr(&log);
    tr.SetDefaultConnection(&conn);
    tr.StartTransaction();
    EXPECT_THROW(tr.CloseTransaction(false), ELostError) << "without force the error goes on";
    EXPECT_NO_THROW(tr.CloseTransaction(true));
    EXPECT_FALSE(tr.GetActive());
  }
  EXPECT_EQ(conn.TransactionCount(), 1);
}

TEST(DATransaction, FailoverKeepsTheUsesOfARestorableTransaction) {
  struct Case {
    const char* name;
    bool canRestore;
    int savedUses;
    bool activeAfter;
  };
  const Case cases[] = {{"restorable", true, 2, true}, {"not restorable", false, 0, false}};
  for (const Case& tc : cases) {
    TLog internalLog, log;
    log.CanRestore = tc.canRestore;
    TTestConnection conn(&internalLog);
    conn.SetConnected(true);
    TTestTransaction tr(&log);
    tr.SetDefaultConnection(&conn);
    tr.StartTransaction();
    tr.AutoStart();
    EXPECT_EQ(conn.IsFailOverAllowed(), tc.canRestore) << tc.name;

    conn.ResetOnFatalError();  // the session is lost
    EXPECT_FALSE(tr.GetActive()) << tc.name;
    EXPECT_EQ(tr.SavedUseCount(), tc.savedUses) << tc.name;
    EXPECT_TRUE(conn.ProviderAutoCommit()) << tc.name;
    conn.RestoreAfterReconnect();
    EXPECT_EQ(tr.GetActive(), tc.activeAfter) << tc.name;
    EXPECT_EQ(tr.UseCount(), tc.savedUses) << tc.name;
    EXPECT_EQ(conn.ProviderAutoCommit(), !tc.activeAfter) << tc.name;
    if (tr.GetActive()) tr.Commit();
  }
}

TEST(DATransaction, ABeginCutByALostConnectionIsRetriedOnlyForItsOwnCause) {
  struct Case {
    const char* name;
    TConnLostCause cause;
    bool started;
  };
  const Case cases[] = {{"start replayed", clTransStart, true},
                        {"another cause propagates", clOpen, false}};
  for (const Case& tc : cases) {
    TLog internalLog, log;
    TTestConnection conn(&internalLog);
    conn.SetConnected(true);
    TTestTransaction tr(&log);
    tr.SetDefaultConnection(&conn);
    log.FailBegins = 1;
    log.FailCause = tc.cause;
    if (tc.started) {
      EXPECT_NO_THROW(tr.StartTransaction()) << tc.name;
    } else {
      EXPECT_THROW(tr.StartTransaction(), EFailOver) << tc.name;
    }
    EXPECT_EQ(tr.GetActive(), tc.started) << tc.name;
    EXPECT_EQ(conn.ProviderAutoCommit(), !tc.started) << tc.name;
    EXPECT_EQ(conn.ConnectCount(), tc.started ? 2 : 1) << tc.name;
    if (tc.started) tr.Commit();
    EXPECT_EQ(conn.ConnectCount(), 1) << tc.name;
  }
}

}  // namespace
