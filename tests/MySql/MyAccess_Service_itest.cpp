// What the MySQL dataset service makes of real tables: the row-version conditions of an UPDATE,
// AUTO_INCREMENT fields, number ranges, the server's row count, the switch to the next result
// and the column defaults.
#include <gtest/gtest.h>

#include "Common/DBAccess_Updater.h"
#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyAccess_Service.h"
#include "MySql/MyClasses_RecordSetFields.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/UnicodeText.h"

#include <functional>
#include "tests/MySql/MyTestConnection.h"

namespace {

class TServiceQuery : public TMyQuery {
 public:
  using TMyQuery::TMyQuery;
  TCustomMyDataSetService* Service() {
    return dynamic_cast<TCustomMyDataSetService*>(DataSetService());
  }
  const String& LastSQL() {
    return static_cast<TDADataSetUpdater*>(DataSetService()->Updater())->LastSQL();
  }
  String CountSQL() {
    auto* updater = static_cast<TDADataSetUpdater*>(DataSetService()->Updater());
    return updater->UpdateComponent(stCustom)->SQL()->Text();
  }
};

class MyService : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    conn.ExecSQL(u"SET SESSION sql_mode = ''");
    conn.ExecSQL(u"DROP TABLE IF EXISTS svc_rows");
    conn.ExecSQL(
        u"CREATE TABLE svc_rows (id INT AUTO_INCREMENT PRIMARY KEY, name VARCHAR(20), "
        u"ts TIMESTAMP NULL DEFAULT NULL ON UPDATE CURRENT_TIMESTAMP, note TEXT)");
    conn.ExecSQL(
        u"INSERT INTO svc_rows (name, ts, note) VALUES ('a', '2020-01-01 10:00:00', 'x'), "
        u"('b', NULL, 'y'), ('b', NULL, 'z')");
    query.SetConnection(&conn);
  }
  void TearDown() override {
    query.Close();
    conn.ExecSQL(u"DROP TABLE IF EXISTS svc_rows");
  }

  void ExpectError(const std::function<void()>& action, const char16_t* message) {
    try {
      action();
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), message);
    }
  }

  TMyConnection conn{nullptr};
  TServiceQuery query{nullptr};
};

TEST_F(MyService, RowVersionComparesTheTimestampOrEveryValue) {
  query.SetSQLText(u"SELECT * FROM svc_rows ORDER BY id");
  query.Options()->SetCheckRowVersion(true);
  query.Open();
  ASSERT_NE(query.Service()->TimestampField(), nullptr);
  EXPECT_EQ(query.Service()->TimestampField()->Name(), u"ts");

  query.Edit();
  query.FieldByName(u"name")->SetAsString(u"a2");
  query.Post();
  EXPECT_EQ(query.LastSQL(),
            u"UPDATE svc_rows\r\nSET\r\n  name = ?\r\nWHERE\r\n  id = ? AND ts = ?");

  // Without a TIMESTAMP value the key and every non-blob value stand for the row.
  query.Next();
  query.Edit();
  query.FieldByName(u"name")->SetAsString(u"b2");
  query.Post();
  EXPECT_EQ(query.LastSQL(),
            u"UPDATE svc_rows\r\nSET\r\n  name = ?\r\nWHERE\r\n"
            u"  id = ? AND name = ? AND ts IS NULL");

  TMyQuery check(nullptr);
  check.SetConnection(&conn);
  check.SetSQLText(u"SELECT GROUP_CONCAT(name ORDER BY id) FROM svc_rows");
  check.Open();
  EXPECT_EQ(check.Fields()->Fields(0)->AsString(), u"a2,b2,b");

  // Off again: the key alone.
  query.Options()->SetCheckRowVersion(false);
  query.Edit();
  query.FieldByName(u"name")->SetAsString(u"b3");
  query.Post();
  EXPECT_EQ(query.LastSQL(), u"UPDATE svc_rows\r\nSET\r\n  name = ?\r\nWHERE\r\n  id = ?");
}

TEST_F(MyService, AutoIncrementFieldIsFilledByTheServer) {
  query.SetSQLText(u"SELECT * FROM svc_rows");
  query.Options()->SetFieldsReadOnly = true;
  query.Open();
  TField* id = query.FieldByName(u"id");
  EXPECT_TRUE(id->ReadOnly());
  EXPECT_EQ(id->AutoGenerateValue(), arAutoInc);
  EXPECT_EQ(query.FieldByName(u"name")->AutoGenerateValue(), arNone);
  EXPECT_FALSE(query.FieldByName(u"name")->ReadOnly());
  EXPECT_EQ(id->Origin(), u"svc_rows.id");
  query.Close();

  query.Service()->SetProp(pcAutoIncReadOnly, false);
  query.Open();
  EXPECT_FALSE(query.FieldByName(u"id")->ReadOnly());
  EXPECT_EQ(query.FieldByName(u"id")->AutoGenerateValue(), arAutoInc);
}

TEST_F(MyService, NumberRangesOfTheColumnTypes) {
  conn.ExecSQL(u"DROP TABLE IF EXISTS svc_num");
  conn.ExecSQL(
      u"CREATE TABLE svc_num (id INT PRIMARY KEY, t TINYINT UNSIGNED, s SMALLINT, "
      u"d DECIMAL(5,2))");
  conn.ExecSQL(u"INSERT INTO svc_num VALUES (1, 1, 1, 1)");
  query.SetSQLText(u"SELECT * FROM svc_num");
  query.Options()->SetNumberRange(true);
  query.Open();
  query.Edit();
  TField* t = query.FieldByName(u"t");
  TField* s = query.FieldByName(u"s");
  TField* d = query.FieldByName(u"d");
  t->SetAsInteger(255);
  EXPECT_ANY_THROW(t->SetAsInteger(256));
  EXPECT_ANY_THROW(t->SetAsInteger(-1));
  s->SetAsInteger(-32768);
  EXPECT_ANY_THROW(s->SetAsInteger(-32769));
  EXPECT_ANY_THROW(s->SetAsInteger(32768));
  d->SetAsFloat(-999.99);
  EXPECT_ANY_THROW(d->SetAsFloat(1000));
  EXPECT_ANY_THROW(d->SetAsFloat(-1000));
  query.Post();
  query.Close();

  // Without the option the field takes what the column may refuse.
  query.Options()->SetNumberRange(false);
  query.Open();
  query.Edit();
  EXPECT_NO_THROW(query.FieldByName(u"t")->SetAsInteger(256));
  query.Cancel();
  query.Close();
  conn.ExecSQL(u"DROP TABLE svc_num");
}

TEST_F(MyService, ServerCountsTheRowsOfAnOnDemandDataset) {
  struct {
    const char16_t* sql;
    const char16_t* count;
    int rows;
  } cases[] = {
      {u"SELECT id, name FROM svc_rows WHERE id > 0 ORDER BY id",
       u"SELECT COUNT(*) FROM svc_rows WHERE id > 0 ", 3},
      {u"SELECT DISTINCT name FROM svc_rows", u"SELECT COUNT( DISTINCT name ) FROM svc_rows", 2},
      {u"SELECT DISTINCT name FROM svc_rows LIMIT 1",
       u"SELECT COUNT(*) FROM (SELECT  DISTINCT name FROM svc_rows LIMIT 1) q", 1},
  };
  for (const auto& c : cases) {
    query.SetFetchAll(false);
    query.SetFetchRows(1);
    query.Options()->QueryRecCount = true;
    query.SetSQLText(c.sql);
    query.Open();
    EXPECT_EQ(Trim(query.CountSQL()), Trim(c.count)) << StringToAnsi(c.sql);
    EXPECT_EQ(query.RecordCount(), c.rows) << StringToAnsi(c.sql);
    EXPECT_FALSE(query.Service()->IsCountingRecords());
    query.Close();
  }
}

TEST_F(MyService, OpenNextWalksTheResultsOfTheStatement) {
  query.SetSQLText(u"SELECT 1 AS a; SELECT 'two' AS b, 3 AS c");
  query.SetFetchAll(true);
  query.Open();
  ExpectError([&] { query.OpenNext(); }, u"OpenNext is not compatible with FetchAll = True");
  query.Close();

  query.SetFetchAll(false);
  query.Open();
  EXPECT_EQ(query.FieldByName(u"a")->AsInteger(), 1);
  EXPECT_TRUE(query.OpenNext());
  EXPECT_EQ(query.FindField(u"a"), nullptr);
  EXPECT_EQ(query.FieldByName(u"b")->AsString(), u"two");
  EXPECT_EQ(query.FieldByName(u"c")->AsInteger(), 3);
  EXPECT_FALSE(query.OpenNext());
  EXPECT_FALSE(query.Active());

  // A closed dataset simply opens.
  EXPECT_TRUE(query.OpenNext());
  EXPECT_EQ(query.FieldByName(u"a")->AsInteger(), 1);
}

TEST_F(MyService, DefaultExpressionsFromTheColumnCatalogue) {
  conn.ExecSQL(u"DROP TABLE IF EXISTS svc_def");
  conn.ExecSQL(
      u"CREATE TABLE svc_def (id INT PRIMARY KEY, s VARCHAR(20) DEFAULT 'it''s', "
      u"n INT DEFAULT 5, ts TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP, "
      u"dt DATETIME DEFAULT '0000-00-00 00:00:00', d DATE DEFAULT '2001-02-03', "
      u"nothing VARCHAR(5) DEFAULT NULL)");
  query.SetSQLText(u"SELECT * FROM svc_def");
  query.Options()->SetDefaultValues(true);
  query.Open();
  EXPECT_EQ(query.FieldByName(u"s")->DefaultExpression(), u"'it''s'");
  EXPECT_EQ(query.FieldByName(u"n")->DefaultExpression(), u"'5'");
  EXPECT_EQ(query.FieldByName(u"ts")->DefaultExpression(), u"CURRENT_TIMESTAMP");
  EXPECT_EQ(query.FieldByName(u"dt")->DefaultExpression(), u"");
  EXPECT_EQ(query.FieldByName(u"d")->DefaultExpression(), u"'2001-02-03'");
  EXPECT_EQ(query.FieldByName(u"nothing")->DefaultExpression(), u"");
  query.Close();
  conn.ExecSQL(u"DROP TABLE svc_def");
}

}  // namespace
