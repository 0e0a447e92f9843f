// The MySQL table component against the private server: the statement the generator builds,
// reading through HANDLER by an index and through SELECT, the index definitions the server
// lists, the options that rebuild the statement, and assignment.
#include <gtest/gtest.h>

#include <vector>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "platform/db/FieldDefs.h"
#include "platform/rtl/Exceptions.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

class MyTable : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    other.Exec(u"DROP TABLE IF EXISTS tbl_dues");
    other.Exec(
        u"CREATE TABLE tbl_dues (id INT PRIMARY KEY, member INT NOT NULL, year INT NOT NULL, "
        u"amount INT, UNIQUE KEY member_year (member, year), KEY by_amount (amount)) "
        u"ENGINE=InnoDB");
    other.Exec(
        u"INSERT INTO tbl_dues VALUES (1, 10, 2023, 30), (2, 10, 2024, 35), (3, 11, 2024, 20), "
        u"(4, 12, 2022, 40)");
    table.SetConnection(&conn);
    table.SetTableName(u"tbl_dues");
  }
  void TearDown() override {
    table.Close();
    other.Exec(u"DROP TABLE IF EXISTS tbl_dues");
  }
  std::vector<int> Ids() {
    std::vector<int> ids;
    for (table.First(); !table.Eof(); table.Next())
      ids.push_back(table.FieldByName(u"id")->AsInteger());
    return ids;
  }

  TMyConnection conn{nullptr};
  TOtherSession other;
  TMyTable table{nullptr};
};

TEST_F(MyTable, HandlerReadsByAnIndexGiveTheRowsASelectInThatOrderGives) {
  table.SetOrderFields(u"amount");
  table.Open();
  const std::vector<int> selected = Ids();
  ASSERT_EQ(selected, (std::vector<int>{3, 1, 2, 4}));
  table.Close();

  table.Options()->SetUseHandler(true);
  table.Options()->SetHandlerIndex(u"by_amount");
  table.Open();
  EXPECT_NE(table.SQL()->Text().find(u"HANDLER tbl_dues READ by_amount FIRST"), String::npos)
      << UTF8Encode(table.SQL()->Text());
  EXPECT_EQ(Ids(), selected);
  table.Close();

  // A key comparison reads from that key on; the limit applies as for a SELECT.
  table.Options()->SetHandlerIndex(u"by_amount >= (30)");
  table.SetLimit(2);
  table.Open();
  EXPECT_EQ(Ids(), (std::vector<int>{1, 2}));
  EXPECT_THROW(table.Options()->SetUseHandler(false), EDatabaseError) << "the table is open";
}

TEST_F(MyTable, IndexDefinitionsComeFromTheServerWithTheirColumnsAndUniqueness) {
  conn.SetConnected(true);
  TIndexDefs* defs = table.IndexDefs();
  ASSERT_EQ(defs->Count(), 3);
  TIndexDef* pair = defs->Find(u"member_year");
  EXPECT_EQ(pair->Fields(), u"member;year");
  EXPECT_TRUE(pair->Options().Contains(ixUnique));
  EXPECT_FALSE(defs->Find(u"by_amount")->Options().Contains(ixUnique));
  EXPECT_TRUE(defs->Find(u"PRIMARY")->Options().Contains(ixUnique));

  // Another table: the definitions are read again, the old ones gone.
  other.Exec(u"DROP TABLE IF EXISTS tbl_other");
  other.Exec(u"CREATE TABLE tbl_other (k INT, KEY only_k (k))");
  table.SetTableName(u"`tbl_other`");
  EXPECT_EQ(table.TableName(), u"tbl_other") << "stored without quotes";
  EXPECT_EQ(table.IndexDefs()->Count(), 1);
  other.Exec(u"DROP TABLE IF EXISTS tbl_other");
}

TEST_F(MyTable, TheStatementFollowsItsSettingsAndAssignmentCopiesThem) {
  table.SetOrderFields(u"year DESC");
  table.SetLimit(2);
  table.SetOffset(1);
  table.Open();
  EXPECT_EQ(table.SQL()->Text(), u"SELECT * FROM tbl_dues ORDER BY year DESC LIMIT 1, 2\n");
  EXPECT_EQ(table.RecordCount(), 2);

  TMyTable copy(nullptr);
  copy.Options()->SetUseHandler(true);
  TMyTableOptions options(nullptr);
  options.Assign(copy.Options());
  EXPECT_TRUE(options.UseHandler()) << "table options copy the HANDLER switch";
  copy.Options()->SetUseHandler(false);
  table.Close();
  copy.Assign(&table);
  EXPECT_EQ(copy.TableName(), u"tbl_dues");
  EXPECT_EQ(copy.OrderFields(), u"year DESC");
  copy.Open();
  EXPECT_EQ(copy.FieldByName(u"year")->AsInteger(), 2024);

  TMyTable none(nullptr);
  none.SetConnection(&conn);
  try {
    none.Open();
    FAIL() << "opened without a table name";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"TableName must be defined");
  }
}

}  // namespace
