// Whether a value is null decides the text of a generated statement: a condition on an old value
// that was null reads "IS NULL", and an insert leaves a null field to the column default. A kept
// statement may serve the next record only when the record answers these questions as before,
// for each kind of column. Each case posts records that answer differently, in turn, and looks at
// the rows from another session.
#include <gtest/gtest.h>

#include <functional>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

struct TNullCase {
  const char* Name;
  std::function<void(TInspectedQuery& query)> Run;
  const char16_t* CheckSQL;  // read from another session afterwards
  const char16_t* Expected;
};

void EditRow(TInspectedQuery& query, int id, const char16_t* field, const Variant& value) {
  ASSERT_TRUE(query.Locate(u"id", Variant(id), {}));
  query.Edit();
  query.FieldByName(field)->SetValue(value);
  query.Post();
}

void DeleteRow(TInspectedQuery& query, int id) {
  ASSERT_TRUE(query.Locate(u"id", Variant(id), {}));
  query.Delete();
}

// Appends a record that sets only the named field (or none); every other field stays null.
void InsertSetting(TInspectedQuery& query, int tag, const char16_t* field, const Variant& value) {
  query.Append();
  query.FieldByName(u"grp")->SetAsInteger(tag);
  if (field != nullptr) query.FieldByName(field)->SetValue(value);
  query.Post();
}

// The rows keyed by grp: the key of row 1 is null, of row 2 and 3 not.
void KeyByGroup(TInspectedQuery& query) {
  query.Options()->StrictUpdate = false;
  query.SetKeyFields(u"grp");
}

const char16_t* const kEachColumnSQL =
    u"SELECT GROUP_CONCAT(grp, ':', IFNULL(s, '-'), '/', IFNULL(n, '-'), '/', IFNULL(f, '-'), "
    u"'/', IFNULL(d, '-') ORDER BY grp) FROM kept_nulls WHERE grp >= 10";

const TNullCase kCases[] = {
    {"UpdateByAKeyThatWasNullThenByOneThatWasNot",
     [](TInspectedQuery& q) {
       KeyByGroup(q);
       EditRow(q, 1, u"a", Variant(10));
       EditRow(q, 2, u"a", Variant(20));
       EditRow(q, 1, u"a", Variant(11));
     },
     u"SELECT GROUP_CONCAT(IFNULL(a, 'null') ORDER BY id) FROM kept_nulls", u"11,20,3"},
    {"UpdateByAKeyThatWasNotNullThenByOneThatWas",
     [](TInspectedQuery& q) {
       KeyByGroup(q);
       EditRow(q, 3, u"a", Variant(30));
       EditRow(q, 1, u"a", Variant(10));
     },
     u"SELECT GROUP_CONCAT(IFNULL(a, 'null') ORDER BY id) FROM kept_nulls", u"10,2,30"},
    {"DeleteByKeysNullAndNot",
     [](TInspectedQuery& q) {
       KeyByGroup(q);
       DeleteRow(q, 2);
       DeleteRow(q, 1);
       DeleteRow(q, 3);
     },
     u"SELECT COUNT(*) FROM kept_nulls", u"0"},
    // Each kind of column in turn holds the one value set; the others take their defaults.
    {"InsertsSettingEachKindOfColumnInTurn",
     [](TInspectedQuery& q) {
       InsertSetting(q, 10, nullptr, Variant::Null());
       InsertSetting(q, 11, u"s", Variant(u"x"));
       InsertSetting(q, 12, u"n", Variant(2.5));
       InsertSetting(q, 13, u"f", Variant(0.25));
       InsertSetting(q, 14, u"d", Variant::FromDate(EncodeDate(2020, 2, 3)));
       InsertSetting(q, 15, nullptr, Variant::Null());
     },
     kEachColumnSQL,
     u"10:ds/1.50/-/-,11:x/1.50/-/-,12:ds/2.50/-/-,13:ds/1.50/0.25/-,14:ds/1.50/-/2020-02-03,"
     u"15:ds/1.50/-/-"},
};

class MyKeptStatementNulls : public ::testing::TestWithParam<TNullCase> {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    conn.ExecSQL(u"DROP TABLE IF EXISTS kept_nulls");
    conn.ExecSQL(
        u"CREATE TABLE kept_nulls (id INT AUTO_INCREMENT PRIMARY KEY, grp INT, a INT, "
        u"s VARCHAR(10) DEFAULT 'ds', n DECIMAL(6,2) DEFAULT 1.5, f DOUBLE, d DATE)");
    conn.ExecSQL(u"INSERT INTO kept_nulls (id, grp, a) VALUES (1, NULL, 1), (2, 5, 2), (3, 6, 3)");
    query.SetConnection(&conn);
    query.SetSQLText(u"SELECT id, grp, a, s, n, f, d FROM kept_nulls ORDER BY id");
    query.Open();
  }
  void TearDown() override {
    query.Close();
    conn.ExecSQL(u"DROP TABLE IF EXISTS kept_nulls");
  }

  TMyConnection conn{nullptr};
  TInspectedQuery query{nullptr};
};

TEST_P(MyKeptStatementNulls, EachRecordIsWrittenAsItsOwnNullsSay) {
  const TNullCase& c = GetParam();
  c.Run(query);
  EXPECT_EQ(TOtherSession().One(c.CheckSQL), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MyKeptStatementNulls, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
