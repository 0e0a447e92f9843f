// Cached shares of a donation applied against the private server: inserts and edits reach the
// table together, a refused one takes the others back with it and leaves every change pending
// for the next try, the caller's own transaction is left to the caller, and which datasets take
// edits at all.
#include <gtest/gtest.h>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyClasses.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/TestDb.h"

namespace {

// A second session that looks at the table from outside the dataset's transaction.
class TOutside {
 public:
  TOutside() { ApplyTestSettings(FConn); }
  void Exec(const String& sql) {
    FConn.SetConnected(true);
    FConn.MySQLConnection()->ExecSQL(sql);
  }
  String One(const String& sql) {
    TMyQuery query(nullptr);
    query.SetConnection(&FConn);
    query.SetSQLText(sql);
    query.Open();
    String value = query.IsEmpty() ? String(u"<none>") : query.Fields()->Fields(0)->AsString();
    query.Close();
    return value;
  }

 private:
  TMyConnection FConn{nullptr};
};

// The shares of one donation: a table whose key the dataset gives, so that the store's new rows
// need nothing back from the server.
class MyApply : public ::testing::Test {
 protected:
  void SetUp() override {
    outside.Exec(u"DELETE FROM payment_share");
    outside.Exec(u"INSERT INTO payment_share VALUES (1, 1, 100, 'прва')");
    ApplyTestSettings(conn);
    query.SetConnection(&conn);
    query.SetSQLText(u"select * from payment_share order by payment_id, line_no");
    query.SetCachedUpdates(true);
    query.Open();
  }

  // One edit of the stored share and two new ones; the second takes the given line number.
  void CacheChanges(int secondLine) {
    query.First();
    query.Edit();
    query.FieldByName(u"amount")->SetAsFloat(150);
    query.Post();
    for (int line : {2, secondLine}) {
      query.Append();
      query.FieldByName(u"payment_id")->SetAsInteger(1);
      query.FieldByName(u"line_no")->SetAsInteger(line);
      query.FieldByName(u"amount")->SetAsFloat(20);
      query.Post();
    }
  }

  String Count() { return outside.One(u"SELECT COUNT(*) FROM payment_share"); }
  String StoredAmount() {
    return outside.One(u"SELECT amount FROM payment_share WHERE line_no = 1");
  }

  TOutside outside;
  TMyConnection conn{nullptr};
  TMyQuery query{nullptr};
};

TEST_F(MyApply, CachedInsertsAndEditsReachTheTableTogether) {
  CacheChanges(3);
  EXPECT_EQ(Count(), u"1") << "cached changes stay in memory until applied";

  query.ApplyUpdates();
  EXPECT_FALSE(conn.InTransaction()) << "the transaction the apply started is committed";
  EXPECT_EQ(Count(), u"3");
  EXPECT_EQ(StoredAmount(), u"150");
  query.CommitUpdates();
  EXPECT_FALSE(query.UpdatesPending());
  EXPECT_EQ(query.UpdateStatus(), usUnmodified);
}

TEST_F(MyApply, ARefusedChangeRollsTheOthersBackAndLeavesEveryChangePending) {
  CacheChanges(1);  // the line number of the stored share: the server refuses it

  EXPECT_THROW(query.ApplyUpdates(), EDAError);
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_EQ(Count(), u"1") << "the insert before the refused one went back with it";
  EXPECT_EQ(StoredAmount(), u"100") << "so did the edit";
  EXPECT_TRUE(query.UpdatesPending());

  // The failing record is current: mend it and apply again. Every change goes exactly once.
  query.Edit();
  query.FieldByName(u"line_no")->SetAsInteger(3);
  query.Post();
  query.ApplyUpdates();
  query.CommitUpdates();
  EXPECT_EQ(Count(), u"3");
  EXPECT_EQ(StoredAmount(), u"150");
  EXPECT_EQ(outside.One(u"SELECT COUNT(*) FROM payment_share WHERE amount = 20"), u"2");
  EXPECT_FALSE(query.UpdatesPending());
}

// A change an earlier apply already committed is not sent again when a later apply fails and
// its own changes count as pending again.
TEST_F(MyApply, ChangesOfAnEarlierApplyAreNotSentAgainAfterALaterFailure) {
  auto appendLine = [this](int line) {
    query.Append();
    query.FieldByName(u"payment_id")->SetAsInteger(1);
    query.FieldByName(u"line_no")->SetAsInteger(line);
    query.FieldByName(u"amount")->SetAsFloat(5);
    query.Post();
  };
  appendLine(2);
  query.ApplyUpdates();  // committed, but the store keeps the change until CommitUpdates
  appendLine(2);         // the same key again: refused
  EXPECT_THROW(query.ApplyUpdates(), EDAError);
  query.Last();
  query.Edit();
  query.FieldByName(u"line_no")->SetAsInteger(3);
  query.Post();
  query.ApplyUpdates();
  query.CommitUpdates();
  EXPECT_EQ(Count(), u"3");
}

TEST_F(MyApply, TheCallersTransactionIsLeftToTheCaller) {
  CacheChanges(1);
  conn.StartTransaction();
  EXPECT_THROW(query.ApplyUpdates(), EDAError);
  EXPECT_TRUE(conn.InTransaction()) << "only the caller ends its transaction";
  conn.Rollback();
  query.RestoreUpdates();

  query.Edit();
  query.FieldByName(u"line_no")->SetAsInteger(3);
  query.Post();
  conn.StartTransaction();
  query.ApplyUpdates();
  EXPECT_EQ(Count(), u"1") << "nothing is visible before the caller commits";
  conn.Commit();
  query.CommitUpdates();
  EXPECT_EQ(Count(), u"3");
  EXPECT_EQ(StoredAmount(), u"150");
}

TEST_F(MyApply, OutsideCachedUpdatesNothingIsPostedBeforeTheError) {
  query.Close();
  query.SetCachedUpdates(false);
  query.Open();
  query.Edit();
  query.FieldByName(u"amount")->SetAsFloat(999);
  try {
    query.ApplyUpdates();
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Not in cached update mode");
  }
  EXPECT_EQ(query.State(), dsEdit);
  EXPECT_EQ(StoredAmount(), u"100");
  EXPECT_FALSE(conn.InTransaction());
  query.Cancel();
}

TEST_F(MyApply, WhichDatasetsTakeEdits) {
  struct Case {
    const char* name;
    bool readOnly;
    bool uniDirectional;
    bool open;
    bool canModify;
  };
  const Case cases[] = {
      {"an open query over a table", false, false, true, true},
      {"a read-only query", true, false, true, false},
      {"a uni-directional query", false, true, true, false},
      {"a closed query", false, false, false, false},
  };
  for (const Case& c : cases) {
    TMyQuery q(nullptr);
    q.SetConnection(&conn);
    q.SetSQLText(u"select * from payment_share");
    q.SetReadOnly(c.readOnly);
    q.SetUniDirectional(c.uniDirectional);
    if (c.open) q.Open();
    EXPECT_EQ(q.CanModify(), c.canModify) << c.name;
    if (c.open && !c.canModify) {
      try {
        q.Edit();
        ADD_FAILURE() << c.name << ": edit allowed";
      } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), u"Cannot modify a read-only dataset") << c.name;
      }
    }
  }
}

}  // namespace

// Cached new donations get the ids the server generates when they are applied, and keep them.
TEST(MyApplyIdentity, AppliedNewRowsLearnTheirGeneratedIds) {
  TOutside outside;
  outside.Exec(u"DELETE FROM payment");
  outside.Exec(u"DELETE FROM clients");
  outside.Exec(u"INSERT INTO clients (full_name) VALUES ('Ана')");
  String client = outside.One(u"SELECT MAX(id) FROM clients");
  TMyConnection conn(nullptr);
  ApplyTestSettings(conn);
  TMyQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(u"select * from payment order by id");
  query.SetCachedUpdates(true);
  query.Open();
  for (double amount : {10.0, 20.0}) {
    query.Append();
    query.FieldByName(u"client_id")->SetAsString(client);
    query.FieldByName(u"amount")->SetAsFloat(amount);
    query.Post();
  }
  query.ApplyUpdates();
  query.CommitUpdates();

  query.First();
  EXPECT_EQ(query.FieldByName(u"id")->AsString(),
            outside.One(u"SELECT id FROM payment WHERE amount = 10"));
  query.Next();
  EXPECT_EQ(query.FieldByName(u"id")->AsString(),
            outside.One(u"SELECT id FROM payment WHERE amount = 20"));
  EXPECT_EQ(outside.One(u"SELECT COUNT(*) FROM payment"), u"2");
}
