// Saving a new donation end to end against the private server: the list query over payment and
// clients, Append and Post sending one INSERT into payment only, the new id written into the
// record, a refused row leaving the store unchanged and the query in insert state, UPDATE with
// a strict row count, DELETE, and a change that no table can take.
#include <gtest/gtest.h>

#include <memory>

#include "Common/DBAccess_Updater.h"
#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyAccess_Service.h"
#include "MySql/MyClasses.h"
#include "MySql/MyClasses_RecordSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/TestDb.h"

namespace {

const char16_t ListQuery[] =
    u"select p.*, c.full_name from payment p, clients c where p.client_id = c.id "
    u"and p.type = :p_type order by payment_date desc";

class MyPosting : public ::testing::Test {
 protected:
  void SetUp() override {
    check.Exec(u"DELETE FROM payment");
    check.Exec(u"DELETE FROM clients");
    check.Exec(u"INSERT INTO clients (full_name) VALUES ('Марија Ристова')");
    clientId = std::stoi(UTF8Encode(check.One(u"SELECT MAX(id) FROM clients")));
    ApplyTestSettings(conn);
    query.SetConnection(&conn);
    query.SetSQLText(ListQuery);
    query.ParamByName(u"p_type")->SetAsInteger(1);
    query.Open();
  }

  void FillDonation(int client) {
    query.FieldByName(u"client_id")->SetAsInteger(client);
    query.FieldByName(u"amount")->SetAsFloat(1500.5);
    query.FieldByName(u"payment_date")->SetAsDateTime(EncodeDate(2026, 12, 10));
    query.FieldByName(u"note")->SetAsString(u"Донација за зимска облека");
    query.FieldByName(u"type")->SetAsInteger(1);
    query.FieldByName(u"added_by")->SetAsInteger(1);
    query.FieldByName(u"added_on")->SetAsDateTime(EncodeDate(2026, 12, 10) +
                                                  EncodeTime(9, 30, 0, 0));
  }

  TOtherSession check;
  TMyConnection conn{nullptr};
  TInspectedQuery query{nullptr};
  int clientId = 0;
};

TEST_F(MyPosting, NewDonationIsInsertedIntoPaymentOnlyWithItsNewId) {
  query.Append();
  FillDonation(clientId);
  query.Post();

  EXPECT_EQ(query.LastSQL(),
            u"INSERT INTO payment\r\n"
            u"  (client_id, payment_date, amount, added_by, added_on, note, type)\r\n"
            u"VALUES\r\n"
            u"  (?, ?, ?, ?, ?, ?, ?)");
  String serverId = check.One(u"SELECT MAX(id) FROM payment");
  EXPECT_EQ(query.FieldByName(u"id")->AsString(), serverId);
  EXPECT_EQ(check.One(u"SELECT COUNT(*) FROM payment"), u"1");
  EXPECT_EQ(check.One(u"SELECT COUNT(*) FROM clients"), u"1");
  EXPECT_EQ(check.One(u"SELECT note FROM payment"), u"Донација за зимска облека");

  query.Refresh();
  ASSERT_EQ(query.RecordCount(), 1);
  EXPECT_EQ(query.FieldByName(u"full_name")->AsString(), u"Марија Ристова");
  EXPECT_EQ(query.FieldByName(u"id")->AsString(), serverId);
}

TEST_F(MyPosting, RefusedRowLeavesTheStoreUnchangedAndTheQueryInInsertState) {
  query.Append();
  FillDonation(0);  // no donor: the table's rule refuses it
  EXPECT_THROW(query.Post(), EDAError);
  EXPECT_EQ(query.State(), dsInsert);
  EXPECT_EQ(query.FieldByName(u"note")->AsString(), u"Донација за зимска облека");
  EXPECT_EQ(check.One(u"SELECT COUNT(*) FROM payment"), u"0");

  query.FieldByName(u"client_id")->SetAsInteger(clientId);
  query.Post();
  EXPECT_EQ(query.State(), dsBrowse);
  EXPECT_EQ(query.RecordCount(), 1);
  EXPECT_EQ(check.One(u"SELECT COUNT(*) FROM payment"), u"1");
}

// The session dies while the user fills the form: the post raises, nothing reaches the table or
// the store, the values stay for the user, and posting again on a new session saves the row once.
TEST_F(MyPosting, PostOnAKilledSessionRaisesAndASecondPostSavesTheRowOnce) {
  TMyQuery idQuery(nullptr);
  idQuery.SetConnection(&conn);
  idQuery.SetSQLText(u"SELECT CONNECTION_ID()");
  idQuery.Open();
  String sessionId = idQuery.Fields()->Fields(0)->AsString();
  idQuery.Close();

  query.Append();
  FillDonation(clientId);
  check.Exec(u"KILL CONNECTION " + sessionId);
  EXPECT_ANY_THROW(query.Post());
  EXPECT_EQ(query.State(), dsInsert);
  EXPECT_EQ(query.FieldByName(u"note")->AsString(), u"Донација за зимска облека");
  EXPECT_EQ(check.One(u"SELECT COUNT(*) FROM payment"), u"0");

  query.Post();
  EXPECT_EQ(query.State(), dsBrowse);
  EXPECT_EQ(query.RecordCount(), 1);
  EXPECT_EQ(check.One(u"SELECT COUNT(*) FROM payment"), u"1");
  EXPECT_EQ(query.FieldByName(u"id")->AsString(), check.One(u"SELECT MAX(id) FROM payment"));
}

TEST_F(MyPosting, UpdateIsStrictAndDeleteRemovesTheRow) {
  query.Append();
  FillDonation(clientId);
  query.Post();
  String id = query.FieldByName(u"id")->AsString();

  query.Edit();
  query.FieldByName(u"amount")->SetAsFloat(99.75);
  query.Post();
  EXPECT_EQ(query.LastSQL(), u"UPDATE payment\r\nSET\r\n  amount = ?\r\nWHERE\r\n  id = ?");
  EXPECT_EQ(check.One(u"SELECT amount FROM payment WHERE id = " + id), u"99.75");

  // An edit that changes nothing sends nothing.
  query.Edit();
  query.Post();
  EXPECT_EQ(query.LastSQL(), u"UPDATE payment\r\nSET\r\n  amount = ?\r\nWHERE\r\n  id = ?");

  // Another user removed the row: the UPDATE finds nothing and says so.
  check.Exec(u"DELETE FROM payment WHERE id = " + id);
  query.Edit();
  query.FieldByName(u"amount")->SetAsFloat(1);
  try {
    query.Post();
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find(u"Update failed. Found 0 records"), String::npos);
  }
  EXPECT_EQ(query.State(), dsEdit);
  query.Cancel();

  check.Exec(u"INSERT INTO payment (id, client_id, amount, type) VALUES (" + id + u", " +
             UTF8ToString(std::to_string(clientId)) + u", 5, 1)");
  query.Delete();
  EXPECT_EQ(query.LastSQL(), u"DELETE FROM payment\r\nWHERE\r\n  id = ?");
  EXPECT_EQ(check.One(u"SELECT COUNT(*) FROM payment"), u"0");
  EXPECT_EQ(query.RecordCount(), 0);
}

TEST_F(MyPosting, UserStatementsTakeOldValuesAndKeepQuestionMarksInText) {
  // A "?" in a string or a comment of the user's statement is text, not a placeholder.
  query.Close();
  query.SQLInsert()->SetText(
      u"INSERT INTO payment (client_id, amount, note, type) /* who? */\r\n"
      u"VALUES (:client_id, :amount, CONCAT(:note, ' ?'), :TYPE)");
  query.SQLUpdate()->SetText(u"UPDATE payment SET id = :id, amount = :amount WHERE id = :old_ID");
  query.SQLDelete()->SetText(u"DELETE FROM payment WHERE id = :1");  // field number 1: id
  query.Open();
  query.Append();
  FillDonation(clientId);
  query.Post();
  EXPECT_EQ(check.One(u"SELECT note FROM payment"), u"Донација за зимска облека ?");
  String id = query.FieldByName(u"id")->AsString();
  EXPECT_EQ(id, check.One(u"SELECT MAX(id) FROM payment"));

  // The key itself changes: the row is found by the value it had before the edit.
  query.Edit();
  query.FieldByName(u"id")->SetAsLargeInt(std::stoll(UTF8Encode(id)) + 100);
  query.FieldByName(u"amount")->SetAsFloat(7);
  query.Post();
  EXPECT_EQ(check.One(u"SELECT amount FROM payment WHERE id = " + id), u"<none>");
  EXPECT_EQ(check.One(u"SELECT amount FROM payment WHERE id = " +
                      UTF8ToString(std::to_string(std::stoll(UTF8Encode(id)) + 100))),
            u"7");
  query.Delete();
  EXPECT_EQ(check.One(u"SELECT COUNT(*) FROM payment"), u"0");
}

TEST_F(MyPosting, ChangeWithoutAnUpdatingTableIsRefused) {
  query.Close();
  query.SetSQLText(u"SELECT 1 + 1 AS two");
  query.Options()->SetFieldsReadOnly = false;
  query.Open();
  query.Edit();
  query.FieldByName(u"two")->SetAsInteger(3);
  EXPECT_THROW(query.Post(), EDatabaseError);
  EXPECT_EQ(query.State(), dsEdit);
  query.Cancel();
  EXPECT_EQ(query.FieldByName(u"two")->AsInteger(), 2);

  // A statement of the user's own for another kind of change does not carry this one.
  query.Close();
  query.SQLInsert()->SetText(u"INSERT INTO payment (client_id) VALUES (:two)");
  query.Open();
  query.Edit();
  query.FieldByName(u"two")->SetAsInteger(3);
  EXPECT_THROW(query.Post(), EDatabaseError);
  query.Cancel();
}

}  // namespace
