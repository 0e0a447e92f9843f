// The fields a dataset shows decide which columns a generated INSERT and UPDATE write, whatever
// order the fields stand in and whichever columns have none. Each case declares its fields, posts
// two new records (the second through the kept statement) and edits the first, then reads the
// rows from another session: a column without a field takes its DEFAULT and keeps its value.
#include <gtest/gtest.h>

#include <vector>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "platform/db/Fields.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

struct TFieldOrderCase {
  const char* Name;
  std::vector<const char16_t*> Declared;  // none: the fields made from the columns
  const char16_t* Expected;                // a:b:c of the new rows, in id order
};

const TFieldOrderCase kCases[] = {
    {"FieldsFromTheColumns", {}, u"5:x:50,2:y:20"},
    {"FieldsInTheColumnsOrder", {u"id", u"a", u"b", u"c"}, u"5:x:50,2:y:20"},
    {"FieldsInReverseOrder", {u"c", u"b", u"a", u"id"}, u"5:x:50,2:y:20"},
    {"FieldsShuffled", {u"b", u"id", u"c", u"a"}, u"5:x:50,2:y:20"},
    {"AColumnWithoutAField", {u"c", u"a", u"id"}, u"5:d:50,2:d:20"},
    {"TheFirstDataColumnWithoutAField", {u"id", u"c", u"b"}, u"7:x:50,7:y:20"},
};

class MyPostFieldOrder : public ::testing::TestWithParam<TFieldOrderCase> {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    conn.ExecSQL(u"DROP TABLE IF EXISTS post_order");
    conn.ExecSQL(
        u"CREATE TABLE post_order (id INT AUTO_INCREMENT PRIMARY KEY, a INT DEFAULT 7, "
        u"b VARCHAR(20) DEFAULT 'd', c INT DEFAULT 9)");
  }
  void TearDown() override { conn.ExecSQL(u"DROP TABLE IF EXISTS post_order"); }

  TMyConnection conn{nullptr};
};

void SetIfShown(TMyQuery& query, const char16_t* name, const Variant& value) {
  if (TField* field = query.FindField(name)) field->SetValue(value);
}

TEST_P(MyPostFieldOrder, WritesTheShownColumnsInAnyOrder) {
  const TFieldOrderCase& c = GetParam();
  TMyQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(u"SELECT id, a, b, c FROM post_order");
  for (const std::u16string_view name : c.Declared) {
    TField* field = nullptr;
    if (name == u"b")
      field = new TWideStringField(&query);
    else
      field = new TIntegerField(&query);
    field->SetFieldName(String(name));
    if (name == u"b") field->SetSize(20);
    field->SetDataSet(&query);
  }
  query.Open();
  const char16_t* texts[] = {u"x", u"y"};
  for (int i = 0; i < 2; ++i) {
    query.Append();
    SetIfShown(query, u"a", Variant(i + 1));
    SetIfShown(query, u"b", Variant(String(texts[i])));
    SetIfShown(query, u"c", Variant((i + 1) * 10));
    query.Post();
  }
  // The first record's UPDATE names the shown columns too.
  query.First();
  query.Edit();
  SetIfShown(query, u"a", Variant(5));
  SetIfShown(query, u"c", Variant(50));
  query.Post();
  query.Close();
  EXPECT_EQ(TOtherSession().One(
                u"SELECT GROUP_CONCAT(a, ':', b, ':', c ORDER BY id) FROM post_order"),
            c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MyPostFieldOrder, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TFieldOrderCase>& info) {
                           return std::string(info.param.Name);
                         });

}  // namespace
