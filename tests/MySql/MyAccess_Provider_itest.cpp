// The provider interface of the query component against the private server: statements with "?"
// placeholders run with or without a result set, transactions on the connection, the table name
// and default order of an open query, and a reset that reads the rows again.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Common/DBAccess_Updater.h"
#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyClasses.h"
#include "platform/db/FieldDefs.h"
#include "platform/db/Fields.h"
#include "platform/db/Params.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/TestDb.h"

namespace {

String Str(int value) { return UTF8ToString(std::to_string(value)); }

class MyProvider : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    conn.ExecSQL(u"DELETE FROM payment");
    conn.ExecSQL(u"DELETE FROM clients");
    conn.ExecSQL(u"INSERT INTO clients (full_name) VALUES ('Ана')");
    clientId = One(u"SELECT MAX(id) FROM clients").AsInteger();
    query.SetConnection(&conn);
    query.SetSQLText(u"SELECT * FROM payment ORDER BY id");
  }
  Variant One(const String& sql) {
    TMyQuery reader(nullptr);
    reader.SetConnection(&conn);
    reader.SetSQLText(sql);
    reader.Open();
    return reader.Fields()->Fields(0)->Value();
  }
  // Two given parameters whose names the statement does not use.
  void GiveParams(const Variant& first, const Variant& second) {
    given.Clear();
    given.CreateParam(ftUnknown, u"first", ptUnknown)->SetValue(first);
    given.CreateParam(ftUnknown, u"second", ptUnknown)->SetValue(second);
  }

  TMyConnection conn{nullptr};
  TMyQuery query{nullptr};
  TParams given{nullptr};
  int clientId = 0;
};

TEST_F(MyProvider, QuestionMarksBecomeNumberedParametersOutsideQuotes) {
  GiveParams(clientId, 12.5);
  const int rows = query.PSExecuteStatement(
      u"INSERT INTO payment (client_id, amount, note, type) "
      u"VALUES (?, ?, 'who? /* not ? */', 1) -- and ?",
      &given);
  EXPECT_EQ(rows, 1);
  TCustomDADataSet* runner = query.DAUpdater()->UpdateComponent(stCustom);
  EXPECT_EQ(runner->SQL()->Text(),
            u"INSERT INTO payment (client_id, amount, note, type) "
            u"VALUES (:1, :2, 'who? /* not ? */', 1) -- and ?\n");
  ASSERT_EQ(runner->Params()->Count(), 2);
  EXPECT_EQ(runner->Params()->Items(0)->Name(), u"1");
  EXPECT_EQ(runner->Params()->Items(1)->Name(), u"2");
  EXPECT_EQ(runner->Params()->Items(0)->ParamType(), ptInput);
  EXPECT_EQ(runner->Params()->Items(1)->AsFloat(), 12.5);
  EXPECT_EQ(One(u"SELECT note FROM payment").AsString(), u"who? /* not ? */");
  EXPECT_EQ(One(u"SELECT amount FROM payment").AsDouble(), 12.5);
  EXPECT_EQ(One(u"SELECT client_id FROM payment").AsInteger(), clientId);

  // A second statement on the same internal component takes the new values.
  GiveParams(clientId, 0);  // no client has id 0: nothing to update
  EXPECT_EQ(query.PSExecuteStatement(u"UPDATE payment SET amount=? WHERE client_id=?", &given), 0);
  GiveParams(7, clientId);
  EXPECT_EQ(query.PSExecuteStatement(u"UPDATE payment SET amount=? WHERE client_id=?", &given), 1);
  EXPECT_EQ(One(u"SELECT amount FROM payment").AsInteger(), 7);
}

TEST_F(MyProvider, ARequestedResultSetIsANewDataSetTheCallerOwns) {
  for (int amount : {5, 15, 25})
    conn.ExecSQL(u"INSERT INTO payment (client_id, amount, type) VALUES (" + Str(clientId) +
                 u", " + Str(amount) + u", 1)");
  GiveParams(clientId, 10);
  TDataSet* result = nullptr;
  query.PSExecuteStatement(
      u"SELECT amount FROM payment WHERE client_id = ? AND amount > ? ORDER BY amount", &given,
      &result);
  ASSERT_NE(result, nullptr);
  std::unique_ptr<TDataSet> owned(result);
  ASSERT_TRUE(result->Active());
  EXPECT_EQ(result->RecordCount(), 2);
  EXPECT_EQ(result->Fields()->Fields(0)->AsInteger(), 15);
  EXPECT_NE(result, query.DAUpdater()->UpdateComponent(stCustom));
}

TEST_F(MyProvider, TransactionsFollowTheAutoCommitSettings) {
  EXPECT_FALSE(query.PSInTransaction());
  query.PSStartTransaction();
  EXPECT_TRUE(query.PSInTransaction());
  GiveParams(clientId, 1);
  query.PSExecuteStatement(u"INSERT INTO payment (client_id, amount, type) VALUES (?, ?, 1)",
                           &given);
  query.PSEndTransaction(false);
  EXPECT_FALSE(query.PSInTransaction());
  EXPECT_EQ(One(u"SELECT COUNT(*) FROM payment").AsInteger(), 0);

  query.PSStartTransaction();
  query.PSExecuteStatement(u"INSERT INTO payment (client_id, amount, type) VALUES (?, ?, 1)",
                           &given);
  query.PSEndTransaction(true);
  EXPECT_EQ(One(u"SELECT COUNT(*) FROM payment").AsInteger(), 1);

  // A dataset that does not commit by itself leaves the transaction to its user.
  query.SetAutoCommit(false);
  query.PSStartTransaction();
  EXPECT_FALSE(query.PSInTransaction());
}

TEST_F(MyProvider, TableNameOfAnOpenQueryIsItsUpdatingTable) {
  query.SetSQLText(
      u"SELECT p.id, p.amount, c.full_name FROM payment p JOIN clients c ON c.id = p.client_id");
  EXPECT_EQ(query.PSGetTableName(), u"");  // closed: two tables name none
  query.SetUpdatingTable(u"c");
  EXPECT_EQ(query.PSGetTableName(), u"c");
  query.Open();
  EXPECT_EQ(query.PSGetTableName(), u"clients");
  query.SetUpdatingTable(u"");
  EXPECT_EQ(query.PSGetTableName(), u"payment");

  TMyTable table(nullptr);
  table.SetConnection(&conn);
  table.SetTableName(u"clients");
  EXPECT_EQ(table.PSGetTableName(), u"clients");
}

TEST_F(MyProvider, DefaultOrderComesFromTheOrderBy) {
  struct Case {
    const char16_t* orderBy;
    const char16_t* fields;
    const char16_t* descFields;
  };
  const Case cases[] = {
      {u"amount desc, 2", u"amount;client_id", u"amount"},
      {u"`note` DESC, id", u"note;id", u"note"},
      {u"p.type, 1 DESC", u"type;id", u"id"},
  };
  for (const Case& c : cases) {
    query.SetSQLText(u"SELECT id, client_id, amount, note, type FROM payment p ORDER BY " +
                     String(c.orderBy));
    query.Open();
    std::unique_ptr<TIndexDef> order = query.PSGetDefaultOrder();
    ASSERT_NE(order, nullptr) << UTF8Encode(c.orderBy);
    EXPECT_EQ(order->Fields(), c.fields) << UTF8Encode(c.orderBy);
    EXPECT_EQ(order->DescFields(), c.descFields) << UTF8Encode(c.orderBy);
  }
}

TEST_F(MyProvider, ResetReadsTheRowsAgain) {
  query.Open();
  EXPECT_EQ(query.RecordCount(), 0);
  conn.ExecSQL(u"INSERT INTO payment (client_id, amount, type) VALUES (" + Str(clientId) +
               u", 3, 1)");
  query.PSReset();
  EXPECT_TRUE(query.Active());
  EXPECT_EQ(query.RecordCount(), 1);
  EXPECT_TRUE(query.PSIsSQLBased());
}

}  // namespace

namespace {

// A provider's delta record goes through the statement the dataset's user wrote: the "OLD_"
// parameter finds the row by the key it had, the others take the new values.
TEST_F(MyProvider, ADeltaRecordRunsTheUsersStatement) {
  conn.ExecSQL(u"INSERT INTO payment (client_id, amount, type) VALUES (" + Str(clientId) +
               u", 10, 1)");
  TMyQuery delta(nullptr);
  delta.SetConnection(&conn);
  delta.SetSQLText(u"SELECT * FROM payment");
  delta.Open();
  delta.Edit();
  delta.FieldByName(u"amount")->SetAsFloat(35);

  EXPECT_FALSE(query.PSUpdateRecord(ukModify, &delta));  // no statement of its own: the caller's
  TStringList text;
  text.SetText(u"UPDATE payment SET amount = :amount WHERE id = :OLD_id");
  query.SetUpdateSQL(stUpdate, &text);
  EXPECT_TRUE(query.PSUpdateRecord(ukModify, &delta));
  EXPECT_EQ(One(u"SELECT amount FROM payment").AsInteger(), 35);
  delta.Cancel();
}

}  // namespace
