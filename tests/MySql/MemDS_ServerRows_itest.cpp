// The in-memory dataset over a MySQL record set of the private server, browsed through a data
// source and a data link as a control would: field definitions from the server's columns,
// Cyrillic text, record numbers and bookmarks, refresh, rows fetched on demand as the dataset
// moves, sorting and locating, and edits kept in memory.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Common/MemDS.h"
#include "MySql/MyClasses.h"
#include "platform/db/DataLink.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

// A link that keeps what it was told, as a grid would be told it.
class TRecordingLink : public TDataLink {
 public:
  std::vector<std::string> Log;

 protected:
  void ActiveChanged() override { Log.push_back(Active() ? "active" : "inactive"); }
  void DataSetChanged() override { Log.push_back("changed"); }
  void DataSetScrolled(int distance) override {
    Log.push_back("scrolled " + std::to_string(distance));
  }
};

class ServerRows : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyProviderSettings(conn);
    conn.Connect(u"");
    conn.ExecSQL(
        u"CREATE TEMPORARY TABLE donation (id INT NOT NULL PRIMARY KEY, donor VARCHAR(40), "
        u"amount DECIMAL(10,2), given DATETIME, note TEXT) CHARSET utf8mb4");
    conn.ExecSQL(
        u"INSERT INTO donation VALUES (1, 'Марија', 100.50, '2024-03-01 10:00:00', 'first'), "
        u"(2, 'Petar', 20.00, '2024-03-02 11:30:00', NULL), (3, 'Ана', 75.25, NULL, 'third')");
    source.SetDataSet(&ds);
    link.SetDataSource(&source);
  }
  void TearDown() override { ds.Close(); }

  // The dataset's store becomes a record set of the connection; the temporary table is seen
  // only by this session, so the rows are read over it rather than over a fetch connection.
  TMySQLRecordset* Use(const String& sql, bool fetchAll = true) {
    auto rs = std::make_unique<TMySQLRecordset>();
    rs->SetConnection(&conn);
    rs->SetProp(pcFetchAll, fetchAll);
    rs->SetProp(pcCreateConnection, false);
    rs->SetSQL(sql);
    TMySQLRecordset* raw = rs.get();
    ds.SetData(std::move(rs));
    return raw;
  }

  TMySQLConnection conn;
  TMemDataSet ds{nullptr};
  TDataSource source{nullptr};
  TRecordingLink link;
};

TEST_F(ServerRows, TheServersColumnsBecomeFieldsWithTheirValues) {
  Use(u"SELECT * FROM donation ORDER BY id");
  ds.Open();
  EXPECT_TRUE(link.Active());
  ASSERT_EQ(ds.FieldCount(), 5);
  EXPECT_EQ(ds.FieldByName(u"id")->DataType(), ftInteger);
  EXPECT_EQ(ds.FieldByName(u"donor")->DataType(), ftWideString);
  EXPECT_EQ(ds.FieldByName(u"given")->DataType(), ftDateTime);
  EXPECT_TRUE(ds.FieldByName(u"note")->IsBlob());
  EXPECT_TRUE(ds.FieldByName(u"id")->Required());
  EXPECT_EQ(ds.RecordCount(), 3);
  EXPECT_EQ(ds.RecNo(), 1);
  EXPECT_EQ(ds.FieldByName(u"donor")->AsString(), u"Марија");
  EXPECT_EQ(ds.FieldByName(u"amount")->AsFloat(), 100.5);
  EXPECT_EQ(ds.FieldByName(u"given")->AsDateTime(),
            EncodeDate(2024, 3, 1) + EncodeTime(10, 0, 0, 0));
  EXPECT_EQ(ds.FieldByName(u"note")->AsString(), u"first");
  ds.Next();
  EXPECT_TRUE(ds.FieldByName(u"note")->IsNull());
  ds.Last();
  EXPECT_EQ(ds.RecNo(), 3);
  EXPECT_TRUE(ds.FieldByName(u"given")->IsNull());
  EXPECT_EQ(ds.FieldByName(u"donor")->AsString(), u"Ана");
  EXPECT_EQ(link.Log.front(), "active");
  ds.Close();
  EXPECT_EQ(link.Log.back(), "inactive");
}

TEST_F(ServerRows, BookmarksAndRecordNumbersFindTheSameServerRow) {
  Use(u"SELECT id, donor FROM donation ORDER BY id");
  ds.Open();
  ds.Next();
  const TBookmark second = ds.GetBookmark();
  ds.Last();
  ds.GotoBookmark(second);
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_EQ(ds.FieldByName(u"donor")->AsString(), u"Petar");
  ds.SetRecNo(3);
  EXPECT_EQ(ds.FieldByName(u"id")->AsInteger(), 3);
}

TEST_F(ServerRows, RowsAreFetchedAsTheDatasetMovesOn) {
  TMySQLRecordset* rs = Use(u"SELECT seq FROM seq_1_to_1000", false);
  rs->SetProp(pcFetchRows, 25);
  ds.Open();
  EXPECT_LT(rs->RecordCount(), 1000) << "more than the first blocks came with the open";
  link.Log.clear();
  ds.Next();
  EXPECT_EQ(link.Log, std::vector<std::string>{"scrolled 1"});
  ds.Last();
  EXPECT_EQ(ds.RecNo(), 1000);
  EXPECT_EQ(ds.RecordCount(), 1000);
  EXPECT_EQ(ds.FieldByName(u"seq")->AsInteger(), 1000);
  ds.First();
  EXPECT_EQ(ds.FieldByName(u"seq")->AsInteger(), 1);
}

TEST_F(ServerRows, RefreshRunsTheQueryAgain) {
  Use(u"SELECT * FROM donation ORDER BY id");
  ds.Open();
  conn.ExecSQL(u"INSERT INTO donation VALUES (4, 'Goce', 5.00, NULL, NULL)");
  EXPECT_EQ(ds.RecordCount(), 3);
  ds.Refresh();
  EXPECT_EQ(ds.RecordCount(), 4);
  ds.Last();
  EXPECT_EQ(ds.FieldByName(u"donor")->AsString(), u"Goce");
}

TEST_F(ServerRows, SortingAndLocatingWorkOnTheFetchedRows) {
  Use(u"SELECT * FROM donation ORDER BY id");
  ds.SetIndexFieldNames(u"donor");
  ds.Open();
  EXPECT_EQ(ds.FieldByName(u"donor")->AsString(), u"Petar") << "Latin before Cyrillic";
  EXPECT_TRUE(ds.Locate(u"donor", Variant(u"Марија"), {}));
  EXPECT_EQ(ds.FieldByName(u"id")->AsInteger(), 1);
  EXPECT_EQ(ds.Lookup(u"id", Variant(3), u"donor").AsString(), u"Ана");
  EXPECT_EQ(ds.FieldByName(u"id")->AsInteger(), 1);
}

TEST_F(ServerRows, EditsOfABareDatasetStayInMemory) {
  Use(u"SELECT * FROM donation ORDER BY id");
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
