// Generated update statements against the private server: the columns of the application's
// list query (payment joined with clients, with aliases) as the MySQL record set describes
// them, the service's choice of updating table, key, identity and data fields, the generator's
// statement, and the MySQL command writing the values at the placeholder positions.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "Common/DBAccess_SQLText.h"
#include "MySql/MyAccess_Generator.h"
#include "MySql/MyAccess_Service.h"
#include "MySql/MyClasses.h"
#include "MySql/MyClasses_RecordSet.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "MySql/MyParser.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

std::unique_ptr<TMySQLConnection> Connect() {
  return ConnectProvider();
}

String One(TMySQLConnection& conn, const String& sql) {
  TMySQLRecordset rs;
  rs.SetConnection(&conn);
  rs.SetProp(pcFetchAll, true);
  rs.SetSQL(sql);
  rs.Open();
  uint8_t* buf = rs.AllocRecBuf();
  rs.SetToBegin();
  rs.GetNextRecord(buf);
  String value = u"<none>";
  if (!rs.GetEOF()) {
    Variant v = rs.GetFieldAsVariant(1, buf);
    value = v.IsNull() ? String(u"<null>") : v.AsString();
  }
  rs.FreeRecBuf(buf);
  return value;
}

// One record of the list query, its old and new values by field name, answering the generator
// as the dataset service does: through the service's decisions over the record set's columns.
class TListRecord : public IDASQLGeneratorHost {
 public:
  TListRecord(TMySQLRecordset& rs, const String& sql, const String& updatingTable)
      : Info(&NewParser<TMyParser>), Rs(rs), Sql(sql) {
    for (TFieldDesc* desc : rs.Fields()) Descs.push_back(desc);
    bool added = false;
    int index = FindUpdatingTable(rs.TablesInfo(), updatingTable, Info, added);
    Table = index < 0 ? nullptr : rs.TablesInfo().GetItem(index);
    Identity = MyIdentityField(Descs, Table);
  }

  TSQLInfo* SQLInfo() override { return &Info; }
  bool QuoteNames() override { return false; }
  bool FullRefresh() override { return false; }
  bool ReadOnly() override { return false; }
  bool Designing() override { return false; }
  bool CachedUpdates() override { return false; }
  bool ApplyingUpdates() override { return false; }
  bool Active() override { return true; }
  TDAParams* OwnParams() override { return nullptr; }
  TField* FieldOf(TFieldDesc*) override { return nullptr; }
  int FieldDescIndex(TFieldDesc* desc) override {
    for (size_t i = 0; i < Descs.size(); ++i)
      if (Descs[i] == desc) return static_cast<int>(i);
    return -1;
  }
  bool ValueIsNull(TFieldDesc* desc, bool useOld) override {
    return Value(desc, useOld).IsNull();
  }
  bool ValuesDiffer(TFieldDesc* desc) override {
    return !(Value(desc, true) == Value(desc, false)) ||
           Value(desc, true).IsNull() != Value(desc, false).IsNull();
  }
  String FinalSQL() override { return Sql; }
  String BaseSQL() override { return Sql; }
  String SQLAddWhere(const String& sql, const String& c) override {
    return AddWhere(sql, c, &NewParser<TMyParser>);
  }
  String SQLGetFrom(const String& sql) override { return GetFromClause(sql, &NewParser<TMyParser>); }
  String SQLGetWhere(const String& sql) override {
    return GetWhereClause(sql, &NewParser<TMyParser>);
  }
  TLxTableInfo* UpdatingTableInfo() override { return Table; }
  bool UpdatingTableAdded() override { return false; }
  int QueryTableCount() override { return Rs.TablesInfo().GetCount(); }
  TFieldDesc* IdentityField() override { return Identity; }
  TKeyAndDataFields GetKeyAndDataFields(bool allTables) override {
    return {CollectMyFields(Descs, true, allTables, Table, true),
            CollectMyFields(Descs, false, allTables, Table, true)};
  }

  Variant Value(TFieldDesc* desc, bool old) {
    auto& values = old ? Old : New;
    auto it = values.find(desc->Name());
    return it == values.end() ? Variant::Null() : it->second;
  }

  // Runs the statement as the updater does: one parameter per placeholder, filled from the
  // record through the generator's parameter information, at the positions of the final text.
  int Run(TMySQLConnection& conn, TCustomMySQLGenerator& gen, const String& text,
          const TDAParams& params) {
    TMySQLCommand cmd;
    cmd.SetConnection(&conn);
    cmd.SetSQL(text);
    std::vector<int> positions = PlaceholderPositions(text);
    EXPECT_EQ(static_cast<int>(positions.size()), params.Count());
    for (int i = 0; i < params.Count(); ++i) {
      String name = params.Items(i)->Name();
      bool old = gen.ParamsInfo()->Items(i)->Old();
      String field = old ? name.substr(4) : name;
      TFieldDesc* desc = Rs.Fields().FindField(field);
      TParamDesc* param = cmd.AddParam();
      param->SetDataType(desc->DataType());
      param->SetValue(Value(desc, old));
      cmd.SetProp(pcParamPosition, positions[static_cast<size_t>(i)]);
    }
    cmd.Execute();
    return cmd.RowsAffected();
  }

  TMySQLInfo Info;
  TMySQLRecordset& Rs;
  String Sql;
  std::vector<TFieldDesc*> Descs;
  TLxTableInfo* Table = nullptr;
  TFieldDesc* Identity = nullptr;
  std::map<String, Variant> Old, New;
};

class MyUpdateStatements : public ::testing::Test {
 protected:
  void SetUp() override {
    conn = Connect();
    conn->ExecSQL(u"DELETE FROM payment");
    conn->ExecSQL(u"DELETE FROM payment_share");
    conn->ExecSQL(u"DELETE FROM clients");
    conn->ExecSQL(u"INSERT INTO clients (full_name) VALUES ('Петар Петровски')");
    clientId = One(*conn, u"SELECT MAX(id) FROM clients");
  }

  std::unique_ptr<TMySQLRecordset> Open(const String& sql) {
    auto rs = std::make_unique<TMySQLRecordset>();
    rs->SetConnection(conn.get());
    rs->SetProp(pcFetchAll, true);
    rs->SetSQL(sql);
    rs->Open();
    return rs;
  }

  std::unique_ptr<TMySQLConnection> conn;
  String clientId;
};

const char16_t ListQuery[] =
    u"select p.*, c.full_name from payment p, clients c where p.client_id = c.id "
    u"and p.type = 1 order by payment_date desc";

TEST_F(MyUpdateStatements, NewDonationGoesIntoPaymentOnlyAndGetsItsId) {
  auto rs = Open(ListQuery);
  TListRecord rec(*rs, ListQuery, u"");
  ASSERT_NE(rec.Table, nullptr);
  EXPECT_EQ(rec.Table->TableName(), u"payment");
  ASSERT_NE(rec.Identity, nullptr);
  EXPECT_EQ(rec.Identity->Name(), u"id");

  rec.New = {{u"client_id", Variant(int32_t(std::stoi(UTF8Encode(clientId))))},
             {u"amount", Variant(1500.5)},
             {u"payment_date", Variant::FromDate(EncodeDate(2026, 12, 10))},
             {u"note", Variant(String(u"Донација за зимата, 'благодарам'"))},
             {u"type", Variant(int16_t(1))},
             {u"added_by", Variant(int32_t(1))},
             {u"added_on", Variant::FromDate(EncodeDate(2026, 12, 10) + EncodeTime(9, 30, 0, 0))},
             {u"full_name", Variant(String(u"Петар Петровски"))}};
  TCustomMySQLGenerator gen(&rec);
  TDAParams params;
  String text;
  gen.BuildUpdatingTableStatement(stInsert, true, text, -1, &params);
  EXPECT_EQ(text,
            u"INSERT INTO payment\r\n"
            u"  (client_id, payment_date, amount, added_by, added_on, note, type)\r\n"
            u"VALUES\r\n"
            u"  (?, ?, ?, ?, ?, ?, ?)");

  EXPECT_EQ(rec.Run(*conn, gen, text, params), 1);
  Variant id;
  conn->GetProp(pcLastInsertId, id);
  EXPECT_GT(id.AsInt64(), 0);
  EXPECT_EQ(One(*conn, u"SELECT note FROM payment WHERE id = " + id.AsString()),
            u"Донација за зимата, 'благодарам'");
  EXPECT_EQ(One(*conn, u"SELECT COUNT(*) FROM clients"), u"1");

  // A row the server refuses (no donor) raises and leaves the table as it was.
  rec.New[u"client_id"] = Variant(int32_t(0));
  gen.BuildUpdatingTableStatement(stInsert, true, text, -1, &params);
  EXPECT_THROW(rec.Run(*conn, gen, text, params), EDAError);
  EXPECT_EQ(One(*conn, u"SELECT COUNT(*) FROM payment"), u"1");
}

TEST_F(MyUpdateStatements, UpdateAndDeleteByOldKey) {
  conn->ExecSQL(u"INSERT INTO payment (client_id, amount, type) VALUES (" + clientId +
                u", 10, 1)");
  String id = One(*conn, u"SELECT MAX(id) FROM payment");
  auto rs = Open(ListQuery);
  TListRecord rec(*rs, ListQuery, u"p");
  Variant key(int64_t(std::stoll(UTF8Encode(id))));
  rec.Old = {{u"id", key}, {u"amount", Variant(10.0)}};
  rec.New = {{u"id", key}, {u"amount", Variant(12.25)}};
  TCustomMySQLGenerator gen(&rec);
  TDAParams params;
  String text;
  gen.BuildUpdatingTableStatement(stUpdate, true, text, -1, &params);
  EXPECT_EQ(text, u"UPDATE payment\r\nSET\r\n  amount = ?\r\nWHERE\r\n  id = ?");
  EXPECT_EQ(rec.Run(*conn, gen, text, params), 1);
  EXPECT_EQ(One(*conn, u"SELECT amount FROM payment WHERE id = " + id), u"12.25");

  // The row is gone: the same UPDATE finds nothing, which a strict update reports.
  conn->ExecSQL(u"DELETE FROM payment WHERE id = " + id);
  EXPECT_EQ(rec.Run(*conn, gen, text, params), 0);

  gen.BuildUpdatingTableStatement(stDelete, true, text, -1, &params);
  EXPECT_EQ(text, u"DELETE FROM payment\r\nWHERE\r\n  id = ?");
  EXPECT_EQ(params.Items(0)->Name(), u"Old_id");
}

TEST_F(MyUpdateStatements, CompositeKeyRowIsFoundByBothColumns) {
  conn->ExecSQL(u"INSERT INTO payment_share VALUES (7, 1, 5, 'a'), (7, 2, 6, 'b')");
  const String sql = u"SELECT * FROM payment_share ORDER BY line_no";
  auto rs = Open(sql);
  TListRecord rec(*rs, sql, u"");
  EXPECT_EQ(rec.Identity, nullptr);
  rec.Old = {{u"payment_id", Variant(int64_t(7))}, {u"line_no", Variant(int32_t(2))},
             {u"note", Variant(String(u"b"))}};
  rec.New = rec.Old;
  rec.New[u"note"] = Variant(String(u"Ѓ?"));
  TCustomMySQLGenerator gen(&rec);
  TDAParams params;
  String text;
  gen.BuildUpdatingTableStatement(stUpdate, true, text, -1, &params);
  EXPECT_EQ(text,
            u"UPDATE payment_share\r\nSET\r\n  note = ?\r\nWHERE\r\n  payment_id = ? AND line_no = ?");
  EXPECT_EQ(rec.Run(*conn, gen, text, params), 1);
  EXPECT_EQ(One(*conn, u"SELECT note FROM payment_share WHERE line_no = 2"), u"Ѓ?");
  EXPECT_EQ(One(*conn, u"SELECT note FROM payment_share WHERE line_no = 1"), u"a");

  gen.BuildUpdatingTableStatement(stDelete, true, text, -1, &params);
  EXPECT_EQ(text, u"DELETE FROM payment_share\r\nWHERE\r\n  payment_id = ? AND line_no = ?");
  EXPECT_EQ(rec.Run(*conn, gen, text, params), 1);
  EXPECT_EQ(One(*conn, u"SELECT COUNT(*) FROM payment_share"), u"1");
}

}  // namespace
