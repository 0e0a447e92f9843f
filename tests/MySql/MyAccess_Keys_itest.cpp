// The fields that name a record, against the private server: refresh and the local filter keep
// the cursor on the same donation, the provider's key list of the payment query, the current
// key and values, and default values filled as a new record starts, selected from the server
// only when they are more than literals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyClasses.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/TestDb.h"

namespace {

String Text(int64_t value) { return UTF8ToString(std::to_string(value)); }

class MyKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    Exec(u"DELETE FROM payment");
    Exec(u"DELETE FROM clients");
    Exec(u"INSERT INTO clients (full_name) VALUES ('Марија Ристова')");
    clientId = std::stoi(UTF8Encode(One(u"SELECT MAX(id) FROM clients")));
    // Amounts 10..50, types alternating 1 and 2.
    for (int i = 1; i <= 5; ++i)
      Exec(u"INSERT INTO payment (client_id, amount, type) VALUES (" + Text(clientId) + u", " +
           Text(i * 10) + u", " + Text(i % 2 == 1 ? 1 : 2) + u")");
    query.SetConnection(&conn);
    query.SetSQLText(
        u"select p.*, c.full_name from payment p, clients c where p.client_id = c.id "
        u"order by p.amount");
  }

  void Exec(const String& sql) {
    conn.SetConnected(true);
    conn.MySQLConnection()->ExecSQL(sql);
  }
  String One(const String& sql) {
    TMyQuery q(nullptr);
    q.SetConnection(&conn);
    q.SetSQLText(sql);
    q.Open();
    return q.IsEmpty() ? String(u"<none>") : q.Fields()->Fields(0)->AsString();
  }
  double Amount() { return query.FieldByName(u"amount")->AsFloat(); }
  // The session's SELECT count, which a SHOW statement does not change.
  int Selects() {
    return std::stoi(UTF8Encode(
        ShowValue(u"SHOW SESSION STATUS LIKE 'Com_select'")));
  }
  String ShowValue(const String& sql) {
    TMyQuery q(nullptr);
    q.SetConnection(&conn);
    q.SetSQLText(sql);
    q.Open();
    return q.Fields()->Fields(1)->AsString();
  }

  TMyConnection conn{nullptr};
  TMyQuery query{nullptr};
  int clientId = 0;
};

TEST_F(MyKeys, RefreshKeepsTheSameDonationElseGoesToTheFirst) {
  query.Open();
  ASSERT_TRUE(query.Locate(u"amount", 30, TLocateOptions()));
  const String id = query.FieldByName(u"id")->AsString();
  int afterScroll = 0;
  query.AfterScroll = [&](TDataSet*) { ++afterScroll; };

  // A new donation sorts before it: the record moves down a row and is found by its key.
  Exec(u"INSERT INTO payment (client_id, amount, type) VALUES (" + Text(clientId) + u", 5, 1)");
  Exec(u"UPDATE payment SET note = 'changed' WHERE id = " + id);
  query.Refresh();
  EXPECT_EQ(query.FieldByName(u"id")->AsString(), id);
  EXPECT_EQ(query.FieldByName(u"note")->AsString(), u"changed");
  EXPECT_EQ(query.RecNo(), 4);
  EXPECT_EQ(afterScroll, 1);

  Exec(u"DELETE FROM payment WHERE id = " + id);
  query.Refresh();
  EXPECT_EQ(Amount(), 5) << "the row went away on the server: the first one";
  EXPECT_EQ(query.RecordCount(), 5);
}

TEST_F(MyKeys, RefreshWithoutAKeyFindsTheRecordByItsValues) {
  Exec(u"DROP TABLE IF EXISTS share_note");
  Exec(u"CREATE TABLE share_note (line INT, text VARCHAR(20), body TEXT)");
  Exec(u"INSERT INTO share_note VALUES (1, 'a', 'x'), (2, 'b', 'y'), (3, 'c', 'z')");
  TMyQuery notes(nullptr);
  notes.SetConnection(&conn);
  notes.SetSQLText(u"select * from share_note order by line");
  notes.Open();
  notes.Last();

  TFieldDescArray fields;
  Variant values;
  notes.GetCurrentKeysAndValues(fields, values);
  ASSERT_EQ(fields.size(), 2u) << "every column but the text blob";
  EXPECT_EQ(fields[0]->Name(), u"line");
  EXPECT_EQ(fields[1]->Name(), u"text");
  ASSERT_TRUE(values.IsArray());
  EXPECT_EQ(values[0].AsInteger(), 3);
  EXPECT_EQ(values[1].AsString(), u"c");

  Exec(u"INSERT INTO share_note VALUES (0, 'first', 'w')");
  notes.Refresh();
  EXPECT_EQ(notes.FieldByName(u"line")->AsInteger(), 3);
  EXPECT_EQ(notes.RecNo(), 4);
}

TEST_F(MyKeys, CurrentKeyOfOneAndOfTwoColumns) {
  query.SetSQLText(u"select * from payment order by amount");
  query.Open();
  query.Last();
  TFieldDescArray fields;
  Variant values;
  query.GetCurrentKeysAndValues(fields, values);
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0]->Name(), u"id");
  EXPECT_FALSE(values.IsArray());
  EXPECT_EQ(values.AsString(), query.FieldByName(u"id")->AsString());

  Exec(u"DELETE FROM payment_share");
  Exec(u"INSERT INTO payment_share VALUES (7, 2, 10, 'x')");
  TMyQuery shares(nullptr);
  shares.SetConnection(&conn);
  shares.SetSQLText(u"select note, line_no, payment_id from payment_share");
  shares.Open();
  shares.GetCurrentKeysAndValues(fields, values);
  ASSERT_EQ(fields.size(), 2u);
  ASSERT_TRUE(values.IsArray());
  EXPECT_EQ(fields[0]->Name(), u"line_no");
  EXPECT_EQ(values[0].AsInteger(), 2);
  EXPECT_EQ(values[1].AsInteger(), 7);

  Exec(u"DELETE FROM payment_share");
  shares.Refresh();
  shares.GetCurrentKeysAndValues(fields, values);
  EXPECT_TRUE(values[0].IsEmpty() && values[1].IsEmpty()) << "no current record";
}

TEST_F(MyKeys, ProviderKeyFieldsOfThePaymentQuery) {
  query.SetSQLText(u"select * from payment where type = :type order by amount");
  query.ParamByName(u"type")->SetAsInteger(1);
  EXPECT_EQ(query.PSGetKeyFields(), u"id") << "a closed query is described for its key";
  EXPECT_FALSE(query.Active());

  query.Open();
  EXPECT_EQ(query.PSGetKeyFields(), u"id");

  TMyQuery shares(nullptr);
  shares.SetConnection(&conn);
  shares.SetSQLText(u"select * from payment_share");
  shares.Open();
  EXPECT_EQ(shares.PSGetKeyFields(), u"payment_id;line_no");

  // The given key fields win; a new open forgets what was worked out before.
  query.Close();
  query.SetKeyFields(u"client_id;amount");
  EXPECT_EQ(query.PSGetKeyFields(), u"client_id;amount");
  query.Open();
  query.FieldByName(u"type")->SetProviderFlags({pfInUpdate, pfInWhere, pfInKey});
  EXPECT_EQ(query.PSGetKeyFields(), u"type") << "fields flagged as key come first";
}

TEST_F(MyKeys, SwitchingTheFilterKeepsTheCurrentDonation) {
  query.Open();
  query.SetFilterText(u"type = 1");
  ASSERT_TRUE(query.Locate(u"amount", 30, TLocateOptions()));
  query.SetFiltered(true);
  EXPECT_EQ(Amount(), 30) << "it stays visible under the filter";
  EXPECT_EQ(query.RecordCount(), 3);
  query.Next();
  EXPECT_EQ(Amount(), 50);
  query.SetFiltered(false);
  EXPECT_EQ(Amount(), 50) << "and is still current without it";

  ASSERT_TRUE(query.Locate(u"amount", 40, TLocateOptions()));
  query.SetFiltered(true);
  EXPECT_EQ(Amount(), 10) << "a record the filter hides gives way to the first one";
}

TEST_F(MyKeys, LiteralDefaultsAreStoredWithoutAQuery) {
  query.Open();
  struct Case {
    const char16_t* field;
    const char16_t* expression;
    const char16_t* value;
  };
  const Case cases[] = {
      {u"amount", u"(0)", u"0"},
      {u"type", u" ((2)) /* usual kind */", u"2"},
      {u"note", u"'donation'", u"donation"},
      {u"client_id", u"(( 7 ))", u"7"},
  };
  for (const Case& c : cases) query.FieldByName(c.field)->SetDefaultExpression(c.expression);
  // A read-only field takes its default too.
  query.FieldByName(u"added_by")->SetReadOnly(true);
  query.FieldByName(u"added_by")->SetDefaultExpression(u"3");
  const int before = Selects();
  query.Append();
  EXPECT_EQ(Selects(), before);
  for (const Case& c : cases)
    EXPECT_EQ(query.FieldByName(c.field)->AsString(), c.value) << UTF8Encode(c.expression);
  EXPECT_EQ(query.FieldByName(u"added_by")->AsInteger(), 3);
  query.Cancel();
}

TEST_F(MyKeys, ALiteralNumberTakesTheLocalesDecimalSeparator) {
  query.Open();
  TFormatSettings& settings = FormatSettings();
  const char16_t saved = settings.DecimalSeparator;
  settings.DecimalSeparator = u',';
  query.FieldByName(u"amount")->SetDefaultExpression(u"(12.5)");
  query.FieldByName(u"note")->SetDefaultExpression(u"0.5");
  query.Append();
  const double amount = Amount();
  const String note = query.FieldByName(u"note")->AsString();
  query.Cancel();
  settings.DecimalSeparator = saved;
  EXPECT_EQ(amount, 12.5);
  EXPECT_EQ(note, u"0,5");
}

TEST_F(MyKeys, ServerDefaultsAreFetchedByOneSelect) {
  query.Open();
  query.FieldByName(u"amount")->SetDefaultExpression(u"(0)");
  query.FieldByName(u"added_on")->SetDefaultExpression(u"CURRENT_TIMESTAMP");
  query.FieldByName(u"payment_date")->SetDefaultExpression(u"DATE('2026-12-10')");
  query.FieldByName(u"type")->SetDefaultExpression(u"-1");
  query.FieldByName(u"note")->SetDefaultExpression(u"'it''s'");
  query.FieldByName(u"added_by")->SetDefaultExpression(u"LENGTH(':b')");
  const int before = Selects();
  const int requests = conn.ConnectCount();
  query.Append();
  EXPECT_EQ(Selects(), before + 1);
  EXPECT_EQ(conn.ConnectCount(), requests) << "the select gives its connect request back";
  EXPECT_EQ(Amount(), 0);
  EXPECT_FALSE(query.FieldByName(u"added_on")->IsNull());
  EXPECT_EQ(query.FieldByName(u"payment_date")->AsDateTime(), EncodeDate(2026, 12, 10));
  EXPECT_EQ(query.FieldByName(u"type")->AsInteger(), -1);
  EXPECT_EQ(query.FieldByName(u"note")->AsString(), u"it's");
  EXPECT_EQ(query.FieldByName(u"added_by")->AsInteger(), 2);
  query.Cancel();
}

}  // namespace
