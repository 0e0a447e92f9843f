// Statement batches against the private server: cached changes applied with
// UpdateBatchSize above 1 go to the server a batch at a time, the statements of
// a batch joined by line breaks and each ending with ";", their parameters
// renamed after their place in the batch; a batch the server refuses leaves
// every change pending.
#include <gtest/gtest.h>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyClasses.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/TestDb.h"

namespace {

// How often a text occurs in another.
int Occurrences(const String &text, const String &part) {
  int count = 0;
  for (size_t at = text.find(part); at != String::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

struct TSentBatch {
  String SQL;
  std::vector<String> ParamNames;
  std::vector<String> ParamValues;
};

class MyBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    other.Exec(u"DELETE FROM payment_share");
    other.Exec(u"INSERT INTO payment_share VALUES (9, 1, 10, 'стара')");
    ApplyTestSettings(conn);
    query.SetConnection(&conn);
    query.SetSQLText(u"select * from payment_share order by payment_id, line_no");
    query.SetCachedUpdates(true);
    query.Options()->UpdateBatchSize = 2;
    query.Open();
    query.BeforeUpdateExecute = [this](TDataSet *, TStatementTypes types, TDAParams *params) {
      ++executions;
      if (!types.Contains(stBatchUpdate)) return;
      TSentBatch batch{query.LastSQL(), {}, {}};
      for (int i = 0; i < params->Count(); ++i) {
        batch.ParamNames.push_back(params->Items(i)->Name());
        batch.ParamValues.push_back(params->Items(i)->AsString());
      }
      batches.push_back(batch);
    };
  }

  void InsertShares(std::initializer_list<int> lines) {
    for (int line : lines) {
      query.Append();
      query.FieldByName(u"payment_id")->SetAsInteger(1);
      query.FieldByName(u"line_no")->SetAsInteger(line);
      query.FieldByName(u"amount")->SetAsFloat(line * 100);
      query.FieldByName(u"note")->SetAsString(u"удео " + IntToStr(line));
      query.Post();
    }
  }

  TOtherSession other;
  TMyConnection conn{nullptr};
  TInspectedQuery query{nullptr};
  std::vector<TSentBatch> batches;
  int executions = 0;
};

TEST_F(MyBatch, ThreeInsertsWithBatchSizeTwoGoAsTwoBatches) {
  InsertShares({1, 2, 3});
  query.ApplyUpdates();
  ASSERT_EQ(batches.size(), 2u);
  EXPECT_EQ(executions, 2) << "no statement ran on its own";

  const String &first = batches[0].SQL;
  EXPECT_EQ(Occurrences(first, u"INSERT INTO"), 2) << UTF8Encode(first);
  EXPECT_EQ(Occurrences(first, u";\r\nINSERT INTO"), 1) << UTF8Encode(first);
  EXPECT_EQ(first.back(), u';');
  EXPECT_NE(first.find(u":P_0_payment_id"), String::npos) << UTF8Encode(first);
  EXPECT_NE(first.find(u":P_1_line_no"), String::npos) << UTF8Encode(first);
  EXPECT_EQ(first.find(u"?"), String::npos) << UTF8Encode(first);
  // Each parameter carries the value of its own statement's record.
  const std::vector<String> &names = batches[0].ParamNames;
  auto valueOf = [&](const String &name) {
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) return batches[0].ParamValues[i];
    return String(u"<missing>");
  };
  EXPECT_EQ(valueOf(u"P_0_line_no"), u"1");
  EXPECT_EQ(valueOf(u"P_1_line_no"), u"2");
  EXPECT_EQ(valueOf(u"P_1_note"), u"удео 2");

  const String &second = batches[1].SQL;
  EXPECT_EQ(Occurrences(second, u"INSERT INTO"), 1) << UTF8Encode(second);
  EXPECT_EQ(second.back(), u';');
  EXPECT_NE(second.find(u":P_0_line_no"), String::npos) << UTF8Encode(second);

  EXPECT_FALSE(query.UpdatesPending());
  EXPECT_EQ(other.One(u"SELECT COUNT(*) FROM payment_share WHERE payment_id = 1"), u"3");
  EXPECT_EQ(other.One(u"SELECT note FROM payment_share WHERE payment_id = 1 "
                      u"AND line_no = 3"),
            u"удео 3");
}

TEST_F(MyBatch, EditsAndDeletesOfUserStatementsAreRenamedForTheirPlaceInTheBatch) {
  query.SQLUpdate()->SetText(
      u"UPDATE payment_share SET amount = :amount WHERE "
      u"payment_id = :OLD_payment_id "
      u"AND line_no = :OLD_line_no");
  InsertShares({1});
  ASSERT_TRUE(query.Locate(u"payment_id", Variant(int32_t{9}), TLocateOptions()));
  query.Edit();
  query.FieldByName(u"amount")->SetAsFloat(15);
  query.Post();
  query.ApplyUpdates();
  ASSERT_EQ(batches.size(), 1u);
  const String &sql = batches[0].SQL;
  // The UPDATE takes the number of its place, whichever of the two it is.
  const bool renamed =
      sql.find(u"amount = :P_0_amount WHERE payment_id = :P_0_OLD_payment_id") != String::npos ||
      sql.find(u"amount = :P_1_amount WHERE payment_id = :P_1_OLD_payment_id") != String::npos;
  EXPECT_TRUE(renamed) << UTF8Encode(sql);
  EXPECT_EQ(Occurrences(sql, u";\r\n"), 1) << UTF8Encode(sql);
  EXPECT_EQ(other.One(u"SELECT amount FROM payment_share WHERE payment_id = 9"), u"15");
  EXPECT_EQ(other.One(u"SELECT amount FROM payment_share WHERE payment_id = 1"), u"100");
}

TEST_F(MyBatch, ARefusedBatchLeavesEveryChangePending) {
  InsertShares({1, 2, 3});
  ASSERT_TRUE(query.Locate(u"payment_id", Variant(int32_t{9}), TLocateOptions()));
  query.Edit();
  query.FieldByName(u"amount")->SetAsFloat(15);
  query.Post();
  // The third share's key is taken on the server: its batch is refused.
  other.Exec(u"INSERT INTO payment_share VALUES (1, 3, 1, 'туђа')");
  EXPECT_THROW(query.ApplyUpdates(), Exception);
  EXPECT_TRUE(query.UpdatesPending());
  EXPECT_FALSE(conn.InTransaction());
  // What the batches sent went back with the transaction.
  EXPECT_EQ(other.One(u"SELECT COUNT(*) FROM payment_share WHERE payment_id = 1"), u"1");
  EXPECT_EQ(other.One(u"SELECT amount FROM payment_share WHERE payment_id = 9"), u"10");
  // The batch is emptied: the next try starts a new one and, once the way is
  // clear, sends every change again.
  EXPECT_EQ(query.DAUpdater()->BatchCount(), 0);
  EXPECT_TRUE(query.DAUpdater()->BatchSQL().empty());
  other.Exec(u"DELETE FROM payment_share WHERE payment_id = 1");
  batches.clear();
  query.ApplyUpdates();
  EXPECT_EQ(batches.size(), 2u);
  EXPECT_FALSE(query.UpdatesPending());
  EXPECT_EQ(other.One(u"SELECT COUNT(*) FROM payment_share WHERE payment_id = 1"), u"3");
  EXPECT_EQ(other.One(u"SELECT amount FROM payment_share WHERE payment_id = 9"), u"15");
}

TEST_F(MyBatch, InTheCallersTransactionARefusedBatchIsNotCountedAsApplied) {
  InsertShares({1, 2, 3});
  conn.StartTransaction();
  conn.MySQLConnection()->ExecSQL(u"INSERT INTO payment_share VALUES (1, 3, 1, 'туђа')");
  EXPECT_THROW(query.ApplyUpdates(), Exception);
  // The caller clears the way inside the same transaction and applies again:
  // the refused share must be sent again, the first batch (already in the
  // transaction) not.
  conn.MySQLConnection()->ExecSQL(
      u"DELETE FROM payment_share WHERE payment_id = 1 AND line_no = 3");
  batches.clear();
  query.ApplyUpdates();
  conn.Commit();
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(Occurrences(batches[0].SQL, u"INSERT INTO"), 1) << UTF8Encode(batches[0].SQL);
  EXPECT_EQ(other.One(u"SELECT COUNT(*) FROM payment_share WHERE payment_id = 1"), u"3");
  EXPECT_EQ(other.One(u"SELECT note FROM payment_share WHERE payment_id = 1 "
                      u"AND line_no = 3"),
            u"удео 3");
}

}  // namespace
