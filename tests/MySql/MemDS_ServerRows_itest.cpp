// The in-memory dataset over rows of the private server: a store that runs its query through the
// own-protocol call table when it opens, as a provider's record set does, browsed through a data
// source; field definitions from the server's columns, Cyrillic text, refresh, sorting and
// locating, and edits kept in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "Common/MemDS.h"
#include "MySql/MyClasses_RecordSetFields.h"
#include "MySql/MyClasses_RecordSetRow.h"
#include "MySql/MySqlApiDirect.h"
#include "platform/rtl/DateTime.h"
#include "tests/support/TestDb.h"

namespace {

// A store whose records are the rows of one query, read afresh at each opening.
class TQueryStore : public TMemData {
 public:
  TQueryStore(TMySQLAPI& api, PMYSQL_CON con, std::string sql)
      : FApi(api), FCon(con), FSql(std::move(sql)) {}
  TFieldDescClass GetFieldDescClass() override { return &TMySQLFieldDesc::Create; }
  void DetectCommandType() override {
    for (int i = 0; i < FApi.mysql_num_fields(FResult); ++i) {
      TMYSQL_FIELD column;
      FApi.GetFieldInfo(FResult, i, column, true);
      auto* field = static_cast<TMySQLFieldDesc*>(GetFieldDescClass()());
      FillMySQLFieldDesc(*field, column, MapFieldType(column, FOptions));
      field->SetColumnIndex(static_cast<int16_t>(i));
      Fields().Add(field);
    }
  }
  void InternalOpen() override {
    if (FApi.mysql_real_query(FCon, FSql.c_str(), static_cast<uint32_t>(FSql.size())) != 0)
      throw Exception(AnsiString(FApi.mysql_error(FCon)));
    FResult = FApi.mysql_use_result(FCon);
    try {
      InitFields();
      TMyRowConverter converter(*this, FApi);
      converter.UseUnicode = FOptions.UseUnicode;
      const bool sorted = HasSortColumns();
      ClearSortColumns();  // rows arrive in the server's order; the dataset sorts them after
      for (PMYSQL_ROW row = FApi.FetchRow(FResult); row; row = FApi.FetchRow(FResult)) {
        std::unique_ptr<uint8_t[]> record(AllocRecBuf());
        std::memset(record.get(), 0, static_cast<size_t>(RecordSize()));
        converter.ConvertTextRow(record.get(), FResult, row);
        SetToEnd();
        AddRecord(record.get());
      }
      if (sorted) ParseIndexFieldNames();
      SetToBegin();
    } catch (...) {
      FApi.mysql_free_result(FResult);
      FResult = nullptr;
      throw;
    }
    FApi.mysql_free_result(FResult);
    FResult = nullptr;
  }

  TMyFieldOptions FOptions{.UseUnicode = true};

 private:
  TMySQLAPI& FApi;
  PMYSQL_CON FCon;
  std::string FSql;
  PMYSQL_RES FResult = nullptr;
};

class ServerRows : public ::testing::Test {
 protected:
  void SetUp() override {
    const testdb::Settings& db = testdb::Get();
    api.Initialize();
    con = api.mysql_init(nullptr);
    ASSERT_EQ(api.mysql_real_connect(con, db.host.c_str(), db.user.c_str(), db.password.c_str(),
                                     db.database.c_str(), static_cast<int>(db.port), nullptr, 0),
              con)
        << api.mysql_error(con);
    Exec("SET NAMES utf8mb4");
    Exec("CREATE TEMPORARY TABLE donation (id INT NOT NULL PRIMARY KEY, donor VARCHAR(40), "
         "amount DECIMAL(10,2), given DATETIME, note TEXT) CHARSET utf8mb4");
    Exec("INSERT INTO donation VALUES "
         "(1, '\xD0\x9C\xD0\xB0\xD1\x80\xD0\xB8\xD1\x98\xD0\xB0', 100.50, '2024-03-01 10:00:00', "
         "'first'), (2, 'Petar', 20.00, '2024-03-02 11:30:00', NULL), "
         "(3, '\xD0\x90\xD0\xBD\xD0\xB0', 75.25, NULL, 'third')");
    auto store = std::make_unique<TQueryStore>(api, con, "SELECT * FROM donation ORDER BY id");
    ds.SetData(std::move(store));
    source.SetDataSet(&ds);
  }
  void TearDown() override {
    ds.Close();
    if (con) api.mysql_close(con);
  }
  void Exec(const std::string& sql) {
    ASSERT_EQ(api.mysql_real_query(con, sql.c_str(), static_cast<uint32_t>(sql.size())), 0)
        << api.mysql_error(con);
  }

  TMySQLAPIDirect& api = MySQLAPIDirect();
  PMYSQL_CON con = nullptr;
  TMemDataSet ds{nullptr};
  TDataSource source{nullptr};
};

TEST_F(ServerRows, TheServersColumnsBecomeFieldsWithTheirValues) {
  ds.Open();
  ASSERT_EQ(ds.FieldCount(), 5);
  EXPECT_EQ(ds.FieldByName(u"id")->DataType(), ftInteger);
  EXPECT_EQ(ds.FieldByName(u"donor")->DataType(), ftWideString);
  EXPECT_EQ(ds.FieldByName(u"given")->DataType(), ftDateTime);
  EXPECT_TRUE(ds.FieldByName(u"id")->Required());
  EXPECT_EQ(ds.RecordCount(), 3);
  EXPECT_EQ(ds.FieldByName(u"donor")->AsString(), u"Марија");
  EXPECT_EQ(ds.FieldByName(u"amount")->AsFloat(), 100.5);
  EXPECT_EQ(ds.FieldByName(u"given")->AsDateTime(),
            EncodeDate(2024, 3, 1) + EncodeTime(10, 0, 0, 0));
  EXPECT_EQ(ds.FieldByName(u"note")->AsString(), u"first");
  ds.Last();
  EXPECT_EQ(ds.RecNo(), 3);
  EXPECT_TRUE(ds.FieldByName(u"given")->IsNull());
  EXPECT_EQ(ds.FieldByName(u"donor")->AsString(), u"Ана");
}

TEST_F(ServerRows, RefreshRunsTheQueryAgain) {
  ds.Open();
  Exec("INSERT INTO donation VALUES (4, 'Goce', 5.00, NULL, NULL)");
  EXPECT_EQ(ds.RecordCount(), 3);
  ds.Refresh();
  EXPECT_EQ(ds.RecordCount(), 4);
  ds.Last();
  EXPECT_EQ(ds.FieldByName(u"donor")->AsString(), u"Goce");
}

TEST_F(ServerRows, SortingAndLocatingWorkOnTheFetchedRows) {
  ds.SetIndexFieldNames(u"donor");
  ds.Open();
  EXPECT_EQ(ds.FieldByName(u"donor")->AsString(), u"Petar") << "Latin before Cyrillic";
  EXPECT_TRUE(ds.Locate(u"donor", Variant(u"Марија"), {}));
  EXPECT_EQ(ds.FieldByName(u"id")->AsInteger(), 1);
  EXPECT_EQ(ds.Lookup(u"id", Variant(3), u"donor").AsString(), u"Ана");
  EXPECT_EQ(ds.FieldByName(u"id")->AsInteger(), 1);
}

TEST_F(ServerRows, EditsOfABareDatasetStayInMemory) {
  ds.Open();
  ds.Edit();
  ds.FieldByName(u"donor")->SetAsString(u"Марија Петрова");
  ds.FieldByName(u"note")->SetAsString(u"изменета");
  ds.Post();
  EXPECT_EQ(ds.FieldByName(u"donor")->AsString(), u"Марија Петрова");
  EXPECT_EQ(ds.FieldByName(u"note")->AsString(), u"изменета");
  // The server's row is as it was: the base updater sends nothing.
  ds.Refresh();
  EXPECT_EQ(ds.FieldByName(u"donor")->AsString(), u"Марија");
}

}  // namespace
