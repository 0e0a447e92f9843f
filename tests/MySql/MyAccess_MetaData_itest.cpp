// The metadata component and the connection's catalog lists against the private server, on two
// databases of their own: a table with a composite primary key, a unique and a plain index, a
// view, a procedure and a function with IN, OUT and INOUT parameters, and objects named with
// Cyrillic letters, a quote and a backslash.
#include "MySql/MyAccess_MetaData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MySql/MyAccess.h"
#include "platform/db/DB.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

void CreateSchema() {
  TOtherSession admin;
  for (const char16_t* sql : {
           u"DROP DATABASE IF EXISTS md_main",
           u"DROP DATABASE IF EXISTS md_other",
           u"CREATE DATABASE md_main CHARACTER SET utf8mb4",
           u"CREATE DATABASE md_other CHARACTER SET utf8mb4",
           u"CREATE TABLE md_main.lines (order_id INT NOT NULL, line_no INT NOT NULL, "
           u"sku VARCHAR(20) NOT NULL, qty INT DEFAULT 1, note TEXT, "
           u"PRIMARY KEY (order_id, line_no), UNIQUE KEY uq_sku (sku, order_id), "
           u"KEY idx_qty (qty DESC))",
           u"CREATE VIEW md_main.line_view AS SELECT order_id, qty FROM md_main.lines",
           u"CREATE TABLE md_main.`заказы` (`номер` INT PRIMARY KEY, `имя` VARCHAR(30))",
           u"CREATE TABLE md_main.`it's` (id INT PRIMARY KEY, `a``b` INT)",
           u"CREATE TABLE md_other.lines (id INT PRIMARY KEY)",
           u"CREATE PROCEDURE md_main.add_line(IN p_order INT, OUT p_count INT, "
           u"INOUT p_total DECIMAL(10,2)) BEGIN SET p_count = 1; END",
           u"CREATE FUNCTION md_main.line_total(p_order INT) RETURNS DECIMAL(12,2) "
           u"DETERMINISTIC RETURN 0",
           u"CREATE PROCEDURE md_main.`пересчёт`(IN `сумма` VARCHAR(10)) BEGIN END",
           u"CREATE PROCEDURE md_main.`it's\\proc`(IN a INT) BEGIN END",
           u"CREATE PROCEDURE md_other.other_proc(OUT x INT) BEGIN SET x = 2; END",
       })
    admin.Exec(sql);
}

// Each row of the open dataset as its columns joined by "|"; only the columns named.
std::vector<std::string> Rows(TDataSet& data, std::initializer_list<const char16_t*> columns) {
  std::vector<std::string> rows;
  for (data.First(); !data.Eof(); data.Next()) {
    std::string row;
    for (const char16_t* column : columns) {
      TField* field = data.FieldByName(column);
      if (!row.empty()) row += "|";
      row += field->IsNull() ? "<null>" : UTF8Encode(field->AsString());
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> Lines(TStrings& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(UTF8Encode(list.Strings(i)));
  return out;
}

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return UTF8Encode(e.Message());
  }
  return "<no error>";
}

class MetaDataServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CreateSchema(); }
  static void TearDownTestSuite() {
    TOtherSession admin;
    admin.Exec(u"DROP DATABASE IF EXISTS md_main");
    admin.Exec(u"DROP DATABASE IF EXISTS md_other");
  }
  void SetUp() override {
    ApplyTestSettings(conn);
    conn.SetDatabase(u"md_main");
    meta.SetConnection(&conn);
  }
  // Opens the kind with the restriction lines.
  std::vector<std::string> Ask(const char16_t* kind, std::initializer_list<const char16_t*> lines,
                               std::initializer_list<const char16_t*> columns) {
    meta.Close();
    meta.SetMetaDataKind(kind);
    meta.Restrictions()->Clear();
    for (const char16_t* line : lines) meta.Restrictions()->Add(line);
    meta.Open();
    return Rows(meta, columns);
  }

  String SessionId() {
    TMyQuery query(nullptr);
    query.SetConnection(&conn);
    query.SetSQLText(u"SELECT CONNECTION_ID()");
    query.Open();
    return query.Fields()->Fields(0)->AsString();
  }

  TMyConnection conn{nullptr};
  TMyMetaData meta{nullptr};
};

using Strings = std::vector<std::string>;

TEST_F(MetaDataServer, TablesByEveryRestriction) {
  struct Case {
    const char* name;
    std::initializer_list<const char16_t*> lines;
    Strings rows;
  };
  const Case cases[] = {
      {"schema",
       {u"TABLE_SCHEMA=md_main"},
       {"md_main|it's|BASE TABLE", "md_main|lines|BASE TABLE", "md_main|line_view|VIEW",
        "md_main|заказы|BASE TABLE"}},
      {"local scope beats the schema", {u"SCOPE=local", u"TABLE_SCHEMA=md_other"},
       {"md_main|it's|BASE TABLE", "md_main|lines|BASE TABLE", "md_main|line_view|VIEW",
        "md_main|заказы|BASE TABLE"}},
      {"name in every database", {u"TABLE_NAME=lines"},
       {"md_main|lines|BASE TABLE", "md_other|lines|BASE TABLE"}},
      {"quoted schema", {u"TABLE_SCHEMA=`md_other`"}, {"md_other|lines|BASE TABLE"}},
      {"type list", {u"TABLE_SCHEMA=md_main", u"TABLE_TYPE= view , VIEW"},
       {"md_main|line_view|VIEW"}},
      {"name with a quote", {u"TABLE_NAME=it's"}, {"md_main|it's|BASE TABLE"}},
      {"Cyrillic name", {u"TABLE_NAME= заказы "}, {"md_main|заказы|BASE TABLE"}},
      {"nothing", {u"TABLE_SCHEMA=md_main", u"TABLE_NAME=missing"}, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Ask(u"Tables", c.lines, {u"TABLE_SCHEMA", u"TABLE_NAME", u"TABLE_TYPE"}), c.rows)
        << c.name;
  EXPECT_TRUE(meta.FieldByName(u"TABLE_CATALOG") != nullptr);
}

TEST_F(MetaDataServer, ColumnsWithPositionsTypesNullsAndDefaults) {
  EXPECT_EQ(Ask(u"columns", {u"TABLE_SCHEMA=md_main", u"TABLE_NAME=lines"},
                {u"COLUMN_NAME", u"POSITION", u"DATA_TYPE", u"DATA_LENGTH", u"NULLABLE",
                 u"DEFAULT_VALUE"}),
            (Strings{"order_id|1|int|<null>|0|<null>", "line_no|2|int|<null>|0|<null>",
                     "sku|3|varchar|20|0|<null>", "qty|4|int|<null>|1|1",
                     "note|5|text|65535|1|NULL"}));
  EXPECT_EQ(Ask(u"columns", {u"TABLE_NAME=`it's`", u"COLUMN_NAME=a`b"},
                {u"TABLE_NAME", u"COLUMN_NAME", u"POSITION"}),
            (Strings{"it's|a`b|2"}));
  EXPECT_EQ(Ask(u"columns", {u"TABLE_NAME=заказы"}, {u"COLUMN_NAME", u"DATA_TYPE"}),
            (Strings{"номер|int", "имя|varchar"}));
}

TEST_F(MetaDataServer, ProceduresAndFunctions) {
  EXPECT_EQ(Ask(u"procedures", {u"PROCEDURE_SCHEMA=md_main"},
                {u"PROCEDURE_NAME", u"PROCEDURE_TYPE"}),
            (Strings{"add_line|PROCEDURE", "it's\\proc|PROCEDURE", "line_total|FUNCTION",
                     "пересчёт|PROCEDURE"}));
  EXPECT_EQ(Ask(u"procedures", {u"PROCEDURE_TYPE=function", u"PROCEDURE_SCHEMA=md_main"},
                {u"PROCEDURE_NAME"}),
            (Strings{"line_total"}));
  EXPECT_EQ(Ask(u"procedures", {u"PROCEDURE_NAME=it's\\proc"},
                {u"PROCEDURE_SCHEMA", u"PROCEDURE_NAME"}),
            (Strings{"md_main|it's\\proc"}));
  EXPECT_EQ(Ask(u"procedures", {u"SCOPE=LOCAL", u"PROCEDURE_NAME=other_proc"},
                {u"PROCEDURE_NAME"}),
            (Strings{}));
  // Where a backslash is no escape the literal is written without one.
  conn.ExecSQL(u"SET SESSION sql_mode = CONCAT(@@sql_mode, ',NO_BACKSLASH_ESCAPES')");
  EXPECT_EQ(Ask(u"procedures", {u"PROCEDURE_NAME=it's\\proc"}, {u"PROCEDURE_NAME"}),
            (Strings{"it's\\proc"}));
  ASSERT_FALSE(conn.MySQLConnection()->BackslashEscapes()) << "the mode holds on this session";
  EXPECT_EQ(Ask(u"procedureparameters", {u"PROCEDURE_NAME=it's\\proc"}, {u"PARAMETER_NAME"}),
            (Strings{"a"}));
}

TEST_F(MetaDataServer, ProcedureParametersInOrderWithTheirDirections) {
  const std::initializer_list<const char16_t*> columns = {
      u"PROCEDURE_SCHEMA", u"PROCEDURE_NAME", u"PARAMETER_NAME", u"POSITION", u"DIRECTION",
      u"DATA_TYPE", u"DATA_LENGTH"};
  EXPECT_EQ(Ask(u"ProcedureParameters", {u"PROCEDURE_NAME=add_line"}, columns),
            (Strings{"md_main|add_line|p_order|1|IN|INT|<null>",
                     "md_main|add_line|p_count|2|OUT|INT|<null>",
                     "md_main|add_line|p_total|3|IN/OUT|DECIMAL(10,2)|<null>"}));
  EXPECT_EQ(Ask(u"procedureparameters", {u"PROCEDURE_NAME=`line_total`"}, columns),
            (Strings{"md_main|line_total|Result|0|OUT|DECIMAL(12,2)|<null>",
                     "md_main|line_total|p_order|1|IN|INT|<null>"}));
  EXPECT_EQ(Ask(u"procedureparameters", {u"PROCEDURE_NAME=пересчёт"}, columns),
            (Strings{"md_main|пересчёт|сумма|1|IN|VARCHAR|10"}));
  EXPECT_EQ(Ask(u"procedureparameters", {u"PROCEDURE_NAME=it's\\proc"}, columns),
            (Strings{"md_main|it's\\proc|a|1|IN|INT|<null>"}));
  // The schema restriction chooses the database the routine is looked up in.
  EXPECT_EQ(Ask(u"procedureparameters",
                {u"PROCEDURE_SCHEMA=md_other", u"PROCEDURE_NAME=other_proc"}, columns),
            (Strings{"md_other|other_proc|x|1|OUT|INT|<null>"}));
  EXPECT_EQ(Ask(u"procedureparameters", {u"PROCEDURE_NAME=md_other.other_proc"}, columns),
            (Strings{"md_other|other_proc|x|1|OUT|INT|<null>"}));
  EXPECT_EQ(Ask(u"procedureparameters", {u"PROCEDURE_NAME=no_such_routine"}, columns),
            (Strings{}));
  EXPECT_EQ(ErrorOf([&] { Ask(u"procedureparameters", {}, columns); }),
            "PROCEDURE_NAME restriction must be set");
}

TEST_F(MetaDataServer, IndexesAndTheirColumns) {
  EXPECT_EQ(Ask(u"indexes", {u"TABLE_NAME=lines"},
                {u"TABLE_SCHEMA", u"TABLE_NAME", u"INDEX_SCHEMA", u"INDEX_NAME", u"UNIQUE"}),
            (Strings{"md_main|lines|md_main|PRIMARY|1", "md_main|lines|md_main|uq_sku|1",
                     "md_main|lines|md_main|idx_qty|0"}));
  EXPECT_EQ(Ask(u"indexes", {u"TABLE_NAME=lines", u"INDEX_NAME=UQ_SKU"}, {u"INDEX_NAME"}),
            (Strings{"uq_sku"}));
  EXPECT_EQ(Ask(u"indexes", {u"TABLE_SCHEMA=md_other", u"TABLE_NAME=lines"},
                {u"TABLE_SCHEMA", u"INDEX_NAME"}),
            (Strings{"md_other|PRIMARY"}));
  EXPECT_EQ(Ask(u"IndexColumns", {u"TABLE_NAME=lines"},
                {u"INDEX_NAME", u"COLUMN_NAME", u"COLUMN_POSITION", u"SORT_ORDER"}),
            (Strings{"PRIMARY|order_id|1|ASC", "PRIMARY|line_no|2|ASC", "uq_sku|sku|1|ASC",
                     "uq_sku|order_id|2|ASC", "idx_qty|qty|1|DESC"}));
  EXPECT_EQ(Ask(u"indexcolumns", {u"TABLE_NAME=заказы"}, {u"INDEX_NAME", u"COLUMN_NAME"}),
            (Strings{"PRIMARY|номер"}));
  EXPECT_EQ(Ask(u"indexcolumns", {u"TABLE_NAME=it's"}, {u"TABLE_NAME", u"COLUMN_NAME"}),
            (Strings{"it's|id"}));
  EXPECT_EQ(ErrorOf([&] { Ask(u"indexes", {u"TABLE_SCHEMA=md_main"}, {}); }),
            "TABLE_NAME restriction must be set");
  EXPECT_NE(ErrorOf([&] { Ask(u"indexes", {u"TABLE_NAME=missing"}, {}); }), "<no error>");
}

TEST_F(MetaDataServer, ConstraintsAndDatabases) {
  EXPECT_EQ(Ask(u"constraints", {u"TABLE_SCHEMA=md_main", u"TABLE_NAME=lines"},
                {u"TABLE_NAME", u"CONSTRAINT_NAME", u"CONSTRAINT_TYPE"}),
            (Strings{"lines|PRIMARY|PRIMARY KEY", "lines|uq_sku|UNIQUE"}));
  EXPECT_EQ(Ask(u"constraints", {u"TABLE_SCHEMA=md_main", u"CONSTRAINT_TYPE=unique"},
                {u"CONSTRAINT_NAME"}),
            (Strings{"uq_sku"}));
  // Its seventh column is named as the server's statement names it.
  EXPECT_NE(meta.FindField(u"INDEX_OWNER"), nullptr);

  Strings databases = Ask(u"Databases", {}, {u"DATABASE_NAME"});
  EXPECT_NE(std::find(databases.begin(), databases.end(), "information_schema"), databases.end());
  Strings ours;
  for (const std::string& name : databases)
    if (name.rfind("md_", 0) == 0) ours.push_back(name);
  EXPECT_EQ(ours, (Strings{"md_main", "md_other"}));
}

TEST_F(MetaDataServer, CatalogListsMatchTheServer) {
  TStringList list;
  // In the server's order; names that need it in backquotes.
  conn.GetTableNames(&list);
  EXPECT_EQ(Lines(list), (Strings{"`it's`", "lines", "line_view", "`заказы`"}));

  conn.GetTableNames(&list, true);
  Strings all = Lines(list);
  for (const char* name : {"md_main.lines", "md_other.lines", "md_main.`it's`"})
    EXPECT_NE(std::find(all.begin(), all.end(), name), all.end()) << name;
  for (const std::string& name : all) EXPECT_NE(name.find('.'), std::string::npos) << name;

  conn.GetDatabaseNames(&list);
  Strings databases = Lines(list);
  EXPECT_NE(std::find(databases.begin(), databases.end(), "md_other"), databases.end());

  // An unconnected component connects for the list and disconnects again.
  conn.SetConnected(false);
  conn.GetStoredProcNames(&list);
  EXPECT_EQ(Lines(list), (Strings{"add_line", "it's\\proc", "line_total", "пересчёт"}));
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(conn.Database(), u"md_main");

  conn.GetStoredProcNames(&list, true);
  Strings procs = Lines(list);
  for (const char* name : {"md_main.add_line", "md_other.other_proc", "md_main.`it's\\proc`"})
    EXPECT_NE(std::find(procs.begin(), procs.end(), name), procs.end()) << name;

  // A connected component keeps its session and its database.
  conn.SetConnected(true);
  conn.GetStoredProcNames(&list);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_TRUE(conn.Connected());
  EXPECT_EQ(conn.Database(), u"md_main");
}

TEST_F(MetaDataServer, ChangingTheQuestionClosesTheDataset) {
  Ask(u"tables", {u"TABLE_SCHEMA=md_main"}, {});
  meta.SetMetaDataKind(u"tables");
  EXPECT_TRUE(meta.Active()) << "the same kind keeps it open";
  meta.SetMetaDataKind(u"columns");
  EXPECT_FALSE(meta.Active());

  Ask(u"indexes", {u"TABLE_NAME=lines"}, {});
  EXPECT_TRUE(meta.Active());
  meta.Restrictions()->Add(u"INDEX_NAME=PRIMARY");
  EXPECT_FALSE(meta.Active());
  meta.Open();
  EXPECT_EQ(Rows(meta, {u"INDEX_NAME"}), Strings{"PRIMARY"});

  TMyConnection other(nullptr);
  ApplyTestSettings(other);
  meta.SetConnection(&other);
  EXPECT_FALSE(meta.Active());
}

TEST_F(MetaDataServer, DisconnectingKeepsRowsOnlyInDisconnectedMode) {
  conn.Options()->SetDisconnectedMode(true);
  conn.SetConnected(true);
  EXPECT_EQ(Ask(u"tables", {u"TABLE_NAME=lines"}, {u"TABLE_SCHEMA"}),
            (Strings{"md_main", "md_other"}));
  conn.SetConnected(false);
  ASSERT_TRUE(meta.Active());
  EXPECT_EQ(Rows(meta, {u"TABLE_SCHEMA"}), (Strings{"md_main", "md_other"}));
  // Asking again connects for the question only.
  EXPECT_EQ(Ask(u"indexes", {u"TABLE_NAME=lines", u"INDEX_NAME=primary"}, {u"INDEX_NAME"}),
            (Strings{"PRIMARY"}));
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(Ask(u"tables", {u"TABLE_NAME=lines"}, {u"TABLE_SCHEMA"}),
            (Strings{"md_main", "md_other"}));
  EXPECT_FALSE(conn.Connected());

  conn.Options()->SetDisconnectedMode(false);
  conn.SetConnected(true);
  conn.SetConnected(false);
  EXPECT_FALSE(meta.Active());
}

TEST_F(MetaDataServer, ASessionKilledBetweenTwoOpensIsReplayed) {
  conn.Options()->SetLocalFailover(true);
  conn.SetConnected(true);
  const int held = conn.ConnectCount();
  std::vector<TConnLostCause> causes;
  conn.OnConnectionLost = [&](TObject*, TComponent*, TConnLostCause cause, TRetryMode& mode) {
    causes.push_back(cause);
    mode = rmReconnectExecute;
  };
  EXPECT_EQ(Ask(u"tables", {u"TABLE_NAME=lines"}, {u"TABLE_SCHEMA"}),
            (Strings{"md_main", "md_other"}));
  const String session = SessionId();
  meta.Close();
  TOtherSession other;
  other.Exec(u"KILL CONNECTION " + session);

  meta.Open();
  EXPECT_EQ(Rows(meta, {u"TABLE_SCHEMA"}), (Strings{"md_main", "md_other"}));
  EXPECT_EQ(causes, std::vector<TConnLostCause>{clOpen});
  EXPECT_NE(SessionId(), session);
  EXPECT_EQ(conn.ConnectCount(), held);
}

TEST_F(MetaDataServer, OpeningWithoutConnectionFails) {
  TMyMetaData lonely(nullptr);
  lonely.SetMetaDataKind(u"tables");
  EXPECT_EQ(ErrorOf([&] { lonely.Open(); }), "Connection is not defined");
  EXPECT_EQ(ErrorOf([&] { Ask(u"datatypes", {}, {}); }), "Unsupported metadata kind");
  EXPECT_EQ(ErrorOf([&] { Ask(u"users", {}, {}); }), "Unsupported metadata kind");
}

}  // namespace
