// Datasets and commands in their transaction component against the private server: posts and
// executions end with the transaction they ran in, a row lock ends with its transaction, and an
// open list keeps its rows and its record when a transaction ends.
#include <gtest/gtest.h>

#include <memory>

#include "Common/DBAccess_AccessUtils.h"
#include "Common/DBAccess_SQL.h"
#include "MySql/MyAccess.h"
#include "MySql/MyAccess_Transaction.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

class MyDataSetTransaction : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    other.Exec(u"DROP TABLE IF EXISTS tx_members");
    other.Exec(
        u"CREATE TABLE tx_members (id INT AUTO_INCREMENT PRIMARY KEY, "
        u"name VARCHAR(40) CHARACTER SET utf8mb4) ENGINE=InnoDB");
    query.SetConnection(&conn);
    query.SetSQLText(u"SELECT id, name FROM tx_members ORDER BY id");
  }
  void TearDown() override {
    query.Close();
    other.Exec(u"DROP TABLE IF EXISTS tx_members");
  }
  String Count() { return other.One(u"SELECT COUNT(*) FROM tx_members"); }
  void Append(const String& name) {
    query.Append();
    query.FieldByName(u"name")->SetAsString(name);
    query.Post();
  }

  TMyConnection conn{nullptr};
  TOtherSession other;
  TMyQuery query{nullptr};
};

TEST_F(MyDataSetTransaction, ADataSetAndACommandCommitAndRollBackWithTheirTransaction) {
  TMyTransaction tr(nullptr);
  tr.SetDefaultConnection(&conn);
  conn.SetDefaultTransaction(&tr);
  query.SetTransaction(&tr);
  std::unique_ptr<TCustomDASQL> command = conn.CreateSQL();
  command->SetTransaction(&tr);
  command->SetSQLText(u"INSERT INTO tx_members (name) VALUES (:name)");
  EXPECT_EQ(query.EffectiveTransaction(), &tr);
  EXPECT_EQ(query.EffectiveUpdateTransaction(), &tr);
  EXPECT_EQ(command->EffectiveTransaction(), &tr);
  EXPECT_EQ(TDBAccessUtils::GetTransactionConnection(&tr, 0), &conn);
  query.Open();

  tr.StartTransaction();
  Append(u"Ана");
  command->ParamByName(u"name")->SetAsString(u"Борис");
  command->Execute();
  EXPECT_EQ(Count(), u"0") << "nothing is visible before the commit";
  tr.Rollback();
  EXPECT_EQ(Count(), u"0");

  tr.StartTransaction();
  Append(u"Вера");
  command->Execute();
  tr.Commit();
  EXPECT_EQ(Count(), u"2");
  EXPECT_FALSE(conn.InternalTransaction()->GetActive()) << "the connection's own stayed idle";
}

TEST_F(MyDataSetTransaction, TwoPostsInAnExplicitTransactionRolledBackLeaveNeitherRow) {
  query.Open();
  conn.StartTransaction();
  Append(u"first");
  Append(u"second");
  conn.Rollback();
  EXPECT_EQ(Count(), u"0");
  // Without a transaction each post commits at once.
  Append(u"third");
  EXPECT_EQ(Count(), u"1");
}

TEST_F(MyDataSetTransaction, AListOpenAcrossCommitAndRollbackKeepsItsRowsAndRecord) {
  other.Exec(u"INSERT INTO tx_members (name) VALUES ('a'), ('b'), ('c')");
  query.Open();
  query.Next();
  ASSERT_EQ(query.FieldByName(u"name")->AsString(), u"b");
  conn.StartTransaction();
  conn.Commit();
  conn.StartTransaction();
  conn.Rollback();
  EXPECT_TRUE(query.Active());
  EXPECT_EQ(query.RecordCount(), 3);
  EXPECT_EQ(query.FieldByName(u"name")->AsString(), u"b");
}

TEST_F(MyDataSetTransaction, ARowLockEndsWithTheTransactionItWasTakenIn) {
  other.Exec(u"INSERT INTO tx_members (name) VALUES ('a')");
  query.SetLockMode(lmPessimistic);
  query.Open();
  conn.StartTransaction();
  query.Edit();
  ASSERT_TRUE(query.DAUpdater()->LockActive());
  conn.Commit();
  // The server let go of the row and of the lock's savepoint: so does the dataset.
  EXPECT_FALSE(query.DAUpdater()->LockActive());
  query.FieldByName(u"name")->SetAsString(u"z");
  query.Post();
  EXPECT_EQ(other.One(u"SELECT name FROM tx_members"), u"z");
}

}  // namespace
