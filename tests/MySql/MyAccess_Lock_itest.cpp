// Record locks against the private server: a pessimistic lock taken on Edit holds the row until
// the edit is cancelled or posted, a row another user changed is refused and leaves no lock
// behind, a lock inside a running transaction is a savepoint named after the component, and an
// optimistic lock holds the row only while the UPDATE runs.
#include <gtest/gtest.h>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyClasses.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/TestDb.h"

namespace {

const char16_t* const kRowLock =
    u"SELECT amount FROM payment_share WHERE payment_id = 1 AND line_no = 1 FOR UPDATE NOWAIT";

// Whether another session can lock the first share at this moment (it gives the lock back at
// once: its statement runs in auto-commit).
bool OtherCanLock(TOtherSession& other) {
  try {
    other.One(kRowLock);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

String ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.Message();
  }
  return u"<no error>";
}

class MyLock : public ::testing::Test {
 protected:
  void SetUp() override {
    other.Exec(u"DELETE FROM payment_share");
    other.Exec(u"INSERT INTO payment_share VALUES (1, 1, 100, 'прва'), (1, 2, 200, 'друга')");
    ApplyTestSettings(conn);
    query.SetConnection(&conn);
    query.SetSQLText(u"select * from payment_share order by payment_id, line_no");
    query.SetLockMode(lmPessimistic);
    query.Open();
  }
  void TearDown() override {
    if (query.Active() && query.State() != dsBrowse) query.Cancel();
    if (conn.Connected() && conn.InTransaction()) conn.Rollback();
  }
  TDADataSetUpdater* Updater() { return query.DAUpdater(); }

  TOtherSession other;
  TMyConnection conn{nullptr};
  TInspectedQuery query{nullptr};
};

TEST_F(MyLock, AnEditHoldsTheRowUntilCancelAndPostReleaseIt) {
  ASSERT_TRUE(OtherCanLock(other));
  query.Edit();
  EXPECT_FALSE(OtherCanLock(other)) << "the edit holds the row";
  EXPECT_TRUE(conn.InTransaction());
  EXPECT_EQ(Updater()->LockState(), 1);
  query.Cancel();
  EXPECT_TRUE(OtherCanLock(other)) << "a cancel releases it";
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_EQ(Updater()->LockState(), 0);

  query.Edit();
  EXPECT_FALSE(OtherCanLock(other));
  query.FieldByName(u"amount")->SetAsFloat(150);
  query.Post();
  EXPECT_TRUE(OtherCanLock(other)) << "a post releases it";
  EXPECT_FALSE(conn.InTransaction());
  // The transaction the lock started was committed with the change.
  EXPECT_EQ(other.One(u"SELECT amount FROM payment_share WHERE line_no = 1"), u"150");
}

TEST_F(MyLock, ADeleteLocksTheRowFirstAndCommitsWithIt) {
  std::vector<bool> heldDuringDelete;
  query.BeforeUpdateExecute = [&](TDataSet*, TStatementTypes types, TDAParams*) {
    if (types.Contains(stDelete)) heldDuringDelete.push_back(!OtherCanLock(other));
  };
  query.Delete();
  ASSERT_EQ(heldDuringDelete.size(), 1u);
  EXPECT_TRUE(heldDuringDelete[0]);
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_EQ(other.One(u"SELECT COUNT(*) FROM payment_share"), u"1");
}

TEST_F(MyLock, ARowChangedByAnotherUserIsRefusedAndLeavesNoLock) {
  other.Exec(u"UPDATE payment_share SET amount = 999 WHERE line_no = 1");
  EXPECT_EQ(ErrorOf([&] { query.Edit(); }), u"Record was changed by another user");
  EXPECT_EQ(query.State(), dsBrowse);
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_EQ(Updater()->LockState(), 0);
  EXPECT_FALSE(Updater()->LockActive());
  EXPECT_TRUE(OtherCanLock(other));
  // After a refresh the record matches the server again and the lock is granted.
  query.RefreshRecord();
  query.Edit();
  EXPECT_FALSE(OtherCanLock(other));
  query.Cancel();
}

TEST_F(MyLock, InsideARunningTransactionTheLockIsASavepointNamedAfterTheComponent) {
  query.SetName(u"PaymentListQueryForTheMainWindow");
  EXPECT_EQ(Updater()->LockSavepointName(false), u"LOCK_PaymentListQueryForTheMai");
  EXPECT_EQ(Updater()->LockSavepointName(true), u"LOCK_CU_PaymentListQueryForThe");

  conn.StartTransaction();
  conn.MySQLConnection()->ExecSQL(
      u"UPDATE payment_share SET note = 'пре' WHERE payment_id = 1 AND line_no = 2");
  query.Edit();
  EXPECT_FALSE(OtherCanLock(other));
  // The savepoint exists under that name: rolling back to it works.
  EXPECT_NO_THROW(
      conn.MySQLConnection()->ExecSQL(u"ROLLBACK TO SAVEPOINT LOCK_PaymentListQueryForTheMai"));
  query.Cancel();
  // The cancel undid the lock only: the transaction and its earlier change go on.
  EXPECT_TRUE(conn.InTransaction());
  conn.Commit();
  EXPECT_EQ(other.One(u"SELECT note FROM payment_share WHERE line_no = 2"), u"пре");
}

TEST_F(MyLock, AnOptimisticLockHoldsTheRowOnlyWhileTheUpdateRuns) {
  query.Close();
  query.SetLockMode(lmOptimistic);
  query.Open();
  std::vector<bool> heldDuringUpdate;
  query.BeforeUpdateExecute = [&](TDataSet*, TStatementTypes types, TDAParams*) {
    if (types.Contains(stUpdate)) heldDuringUpdate.push_back(!OtherCanLock(other));
  };
  query.Edit();
  EXPECT_TRUE(OtherCanLock(other)) << "the edit itself takes no lock";
  query.FieldByName(u"amount")->SetAsFloat(120);
  query.Post();
  ASSERT_EQ(heldDuringUpdate.size(), 1u);
  EXPECT_TRUE(heldDuringUpdate[0]) << "the row was locked when the UPDATE ran";
  EXPECT_TRUE(OtherCanLock(other));
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_EQ(other.One(u"SELECT amount FROM payment_share WHERE line_no = 1"), u"120");

  // Another user's change made during the edit is found by the lock, before any UPDATE.
  query.Edit();
  other.Exec(u"UPDATE payment_share SET amount = 777 WHERE line_no = 1");
  query.FieldByName(u"amount")->SetAsFloat(130);
  EXPECT_EQ(ErrorOf([&] { query.Post(); }), u"Record was changed by another user");
  EXPECT_EQ(heldDuringUpdate.size(), 1u) << "no UPDATE ran";
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_TRUE(OtherCanLock(other));
  EXPECT_EQ(other.One(u"SELECT amount FROM payment_share WHERE line_no = 1"), u"777");
  query.Cancel();
}

TEST_F(MyLock, TheRecordLockCallTakesTheLockTypeAndRefusesWhatItCannotLock) {
  query.Lock();  // a write lock
  EXPECT_FALSE(OtherCanLock(other));
  Updater()->UnlockRecord();
  EXPECT_TRUE(OtherCanLock(other));

  query.Lock(1);  // a read lock: another reader may share it, a writer may not
  EXPECT_EQ(other.One(u"SELECT amount FROM payment_share WHERE line_no = 1 LOCK IN SHARE MODE"),
            u"100");
  EXPECT_FALSE(OtherCanLock(other));
  Updater()->UnlockRecord();

  struct Case {
    const char* name;
    const char16_t* sql;
    bool fetchAll;
    const char16_t* error;
  } cases[] = {
      {"all rows not fetched", u"select * from payment_share", false,
       u"Lock is not compatible with FetchAll = False"},
      {"no record", u"select * from payment_share where line_no = 0", true,
       u"There is no active record to lock"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    query.Close();
    query.SetSQLText(c.sql);
    query.SetFetchAll(c.fetchAll);
    query.Open();
    EXPECT_EQ(ErrorOf([&] { query.Lock(); }), c.error);
    EXPECT_FALSE(conn.InTransaction());
  }
}

TEST_F(MyLock, UnderCachedUpdatesTheLockHoldsUntilTheChangesAreAppliedOrUndone) {
  query.Close();
  query.SetCachedUpdates(true);
  query.Open();
  query.Edit();
  EXPECT_FALSE(OtherCanLock(other));
  EXPECT_EQ(Updater()->LockState(), 2);
  query.Cancel();
  EXPECT_TRUE(OtherCanLock(other)) << "a cancel undoes the lock";
  EXPECT_FALSE(conn.InTransaction());

  query.Edit();
  query.FieldByName(u"amount")->SetAsFloat(175);
  query.Post();
  EXPECT_FALSE(OtherCanLock(other)) << "the posted change is only cached: the row stays held";
  query.ApplyUpdates();
  // The applied change is saved with the transaction the lock started, and the row is free.
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_EQ(Updater()->LockState(), 0);
  EXPECT_TRUE(OtherCanLock(other));
  EXPECT_EQ(other.One(u"SELECT amount FROM payment_share WHERE line_no = 1"), u"175");

  query.Edit();
  query.FieldByName(u"amount")->SetAsFloat(180);
  query.Post();
  query.CancelUpdates();
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_TRUE(OtherCanLock(other)) << "undoing the cached changes ends the lock";
  EXPECT_EQ(other.One(u"SELECT amount FROM payment_share WHERE line_no = 1"), u"175");
}

}  // namespace
