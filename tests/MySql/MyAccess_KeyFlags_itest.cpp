// A list query that the server sorts through a temporary table (a join ordered by a column
// without an index, over tables with rows) describes its columns without their key and
// AUTO_INCREMENT flags. The dataset must still find the row it edits by its key alone and learn
// the id the server generates for a new one.
#include <gtest/gtest.h>

#include "Common/DBAccess_Updater.h"
#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

class MyKeyFlags : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    conn.ExecSQL(u"DELETE FROM payment");
    conn.ExecSQL(u"DELETE FROM clients");
    conn.ExecSQL(u"INSERT INTO clients (full_name) VALUES ('Ана'), ('Петар')");
    conn.ExecSQL(
        u"INSERT INTO payment (client_id, amount, type, payment_date) "
        u"SELECT id, 100, 1, '2026-01-01' FROM clients");
    query.SetConnection(&conn);
    query.SetSQLText(
        u"select p.*, c.full_name from payment p, clients c where p.client_id = c.id "
        u"and p.type = 1 order by payment_date desc");
    query.Open();
  }

  int64_t ServerValue(const String& sql) {
    TMyQuery check(nullptr);
    check.SetConnection(&conn);
    check.SetSQLText(sql);
    check.Open();
    return check.Fields()->Fields(0)->AsLargeInt();
  }

  TMyConnection conn{nullptr};
  TInspectedQuery query{nullptr};
};

TEST_F(MyKeyFlags, EditedRowIsFoundByItsKeyAlone) {
  ASSERT_EQ(query.RecordCount(), 2);
  query.Edit();
  query.FieldByName(u"amount")->SetAsFloat(250);
  query.Post();
  EXPECT_EQ(query.LastSQL(), u"UPDATE payment\r\nSET\r\n  amount = ?\r\nWHERE\r\n  id = ?");
  EXPECT_EQ(ServerValue(u"SELECT COUNT(*) FROM payment WHERE amount = 250"), 1);
}

TEST_F(MyKeyFlags, NewRowLearnsItsGeneratedId) {
  int64_t clientId = ServerValue(u"SELECT MIN(id) FROM clients");
  query.Append();
  query.FieldByName(u"client_id")->SetAsLargeInt(clientId);
  query.FieldByName(u"amount")->SetAsFloat(75);
  query.FieldByName(u"type")->SetAsInteger(1);
  query.Post();
  EXPECT_EQ(query.FieldByName(u"id")->AsLargeInt(), ServerValue(u"SELECT MAX(id) FROM payment"));
  EXPECT_EQ(query.LastSQL(),
            u"INSERT INTO payment\r\n  (client_id, amount, type)\r\nVALUES\r\n  (?, ?, ?)");
}

// Every opening describes the columns anew, and the new description may sit where the old one
// was: the flags are read again each time, also after a lost session closed the query.
TEST_F(MyKeyFlags, AReopenedQueryLearnsItsFlagsAgain) {
  conn.Options()->SetLocalFailover(true);
  TOtherSession other;
  int64_t clientId = ServerValue(u"SELECT MIN(id) FROM clients");
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE(round);
    if (round % 2 == 1) {
      String session = IntToStr(ServerValue(u"SELECT CONNECTION_ID()"));
      other.Exec(u"KILL CONNECTION " + session);
      query.Edit();
      query.FieldByName(u"amount")->SetAsFloat(1);
      EXPECT_THROW(query.Post(), Exception);
      EXPECT_FALSE(query.Active());
    }
    query.Close();
    query.Open();
    query.Append();
    query.FieldByName(u"client_id")->SetAsLargeInt(clientId);
    query.FieldByName(u"amount")->SetAsFloat(10 + round);
    query.FieldByName(u"type")->SetAsInteger(1);
    query.Post();
    EXPECT_EQ(query.FieldByName(u"id")->AsLargeInt(),
              ServerValue(u"SELECT MAX(id) FROM payment"));
  }
  EXPECT_EQ(ServerValue(u"SELECT COUNT(*) FROM payment"), 2 + 8);
}

}  // namespace
