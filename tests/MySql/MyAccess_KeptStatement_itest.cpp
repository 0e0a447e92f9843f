// A generated INSERT or UPDATE is kept and used again for the next record of the same shape; any
// change of what the text is made of must give way to a fresh text, or the kept one would write
// the wrong columns. Each case posts once, changes one input, posts again and looks at the rows
// from another session.
#include <gtest/gtest.h>

#include <functional>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

struct TGiveWayCase {
  const char* Name;
  // Posts the first change, changes an input, posts the second change.
  std::function<void(TInspectedQuery& query)> Run;
  const char16_t* CheckSQL;  // read from another session afterwards
  const char16_t* Expected;
};

void Insert(TInspectedQuery& query, const Variant& a, const Variant& b) {
  query.Append();
  if (!a.IsNull()) query.FieldByName(u"a")->SetValue(a);
  if (!b.IsNull()) query.FieldByName(u"b")->SetValue(b);
  query.Post();
}

void EditRow(TInspectedQuery& query, int id, const char16_t* field, const Variant& value) {
  ASSERT_TRUE(query.Locate(u"id", Variant(id), {}));
  query.Edit();
  query.FieldByName(field)->SetValue(value);
  query.Post();
}

// Appends a record with a and, unless left out, the memo m.
void InsertMemo(TInspectedQuery& query, int a, const char16_t* memo) {
  query.Append();
  query.FieldByName(u"a")->SetAsInteger(a);
  if (memo != nullptr) query.FieldByName(u"m")->SetAsString(memo);
  query.Post();
}

void Reopen(TInspectedQuery& query, const char16_t* sql) {
  query.Close();
  query.SetSQLText(sql);
  query.Open();
}

const TGiveWayCase kCases[] = {
    {"SameShapeWritesEachRecordsValues",
     [](TInspectedQuery& q) {
       for (int i = 1; i <= 3; ++i)
         Insert(q, Variant(i * 10), Variant(UTF8ToString("v" + std::to_string(i))));
     },
     u"SELECT GROUP_CONCAT(a, b ORDER BY id) FROM kept_rows WHERE id > 2", u"10v1,20v2,30v3"},
    {"InsertLeavingAFieldNullTakesTheColumnDefault",
     [](TInspectedQuery& q) {
       Insert(q, Variant(1), Variant(u"x"));
       Insert(q, Variant::Null(), Variant(u"y"));
     },
     u"SELECT CONCAT(IFNULL(a, 'null'), b) FROM kept_rows WHERE b = 'y'", u"7y"},
    {"InsertSettingAFieldLeftNullBefore",
     [](TInspectedQuery& q) {
       Insert(q, Variant::Null(), Variant(u"x"));
       Insert(q, Variant(5), Variant(u"y"));
     },
     u"SELECT GROUP_CONCAT(a, b ORDER BY id) FROM kept_rows WHERE id > 2", u"7x,5y"},
    {"UpdateOfAnotherField",
     [](TInspectedQuery& q) {
       EditRow(q, 1, u"a", Variant(5));
       EditRow(q, 1, u"b", Variant(u"z"));
     },
     u"SELECT CONCAT(a, b) FROM kept_rows WHERE id = 1", u"5z"},
    {"UpdateAllFieldsSwitchedOn",
     [](TInspectedQuery& q) {
       EditRow(q, 1, u"a", Variant(5));
       TOtherSession().Exec(u"UPDATE kept_rows SET b = 'other' WHERE id = 1");
       q.Options()->UpdateAllFields = true;
       // Every field goes: the record's b overwrites the other session's.
       EditRow(q, 1, u"a", Variant(6));
     },
     u"SELECT CONCAT(a, b) FROM kept_rows WHERE id = 1", u"6one"},
    {"KeyFieldsChanged",
     [](TInspectedQuery& q) {
       q.Options()->StrictUpdate = false;
       EditRow(q, 1, u"a", Variant(5));
       q.SetKeyFields(u"grp");
       // Both rows of the group answer to the new key.
       EditRow(q, 1, u"a", Variant(6));
     },
     u"SELECT GROUP_CONCAT(a ORDER BY id) FROM kept_rows", u"6,6"},
    {"FieldsReorderedByANewStatement",
     [](TInspectedQuery& q) {
       Insert(q, Variant(1), Variant(u"p"));
       Reopen(q, u"SELECT id, b, a FROM kept_rows");
       Insert(q, Variant(2), Variant(u"q"));
     },
     u"SELECT GROUP_CONCAT(a, b ORDER BY id) FROM kept_rows WHERE id > 2", u"1p,2q"},
    {"FewerFieldsAfterReopening",
     [](TInspectedQuery& q) {
       Insert(q, Variant(1), Variant(u"p"));
       Reopen(q, u"SELECT id, b FROM kept_rows");
       q.Append();
       q.FieldByName(u"b")->SetAsString(u"q");
       q.Post();
     },
     u"SELECT GROUP_CONCAT(a, b ORDER BY id) FROM kept_rows WHERE id > 2", u"1p,7q"},
    {"AnotherTableOfTheSameShape",
     [](TInspectedQuery& q) {
       Insert(q, Variant(1), Variant(u"p"));
       Reopen(q, u"SELECT id, grp, a, b FROM kept_other");
       Insert(q, Variant(2), Variant(u"q"));
     },
     u"SELECT CONCAT((SELECT COUNT(*) FROM kept_rows), '/', "
     u"(SELECT GROUP_CONCAT(a, b) FROM kept_other))",
     u"3/2q"},
    // Whether a memo is null is the record's answer: text, none, then text again.
    {"MemoLeftNullBetweenMemosWithText",
     [](TInspectedQuery& q) {
       Reopen(q, u"SELECT id, a, m FROM kept_rows");
       InsertMemo(q, 1, u"x");
       InsertMemo(q, 2, nullptr);
       InsertMemo(q, 3, u"y");
       InsertMemo(q, 4, nullptr);
     },
     u"SELECT GROUP_CONCAT(a, ':', IFNULL(m, 'null') ORDER BY id) FROM kept_rows WHERE id > 2",
     u"1:x,2:null,3:y,4:null"},
    {"MemoClearedAfterAMemoWithText",
     [](TInspectedQuery& q) {
       Reopen(q, u"SELECT id, a, m FROM kept_rows");
       InsertMemo(q, 1, u"x");
       q.Append();
       q.FieldByName(u"a")->SetAsInteger(2);
       q.FieldByName(u"m")->SetAsString(u"gone");
       q.FieldByName(u"m")->Clear();
       q.Post();
     },
     u"SELECT GROUP_CONCAT(a, ':', IFNULL(m, 'null') ORDER BY id) FROM kept_rows WHERE id > 2",
     u"1:x,2:null"},
};

class MyKeptStatement : public ::testing::TestWithParam<TGiveWayCase> {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    for (const char16_t* table : {u"kept_rows", u"kept_other"}) {
      conn.ExecSQL(String(u"DROP TABLE IF EXISTS ") + table);
      conn.ExecSQL(String(u"CREATE TABLE ") + table +
                   u" (id INT AUTO_INCREMENT PRIMARY KEY, grp INT, a INT DEFAULT 7, "
                   u"b VARCHAR(20) DEFAULT 'd', m TEXT)");
    }
    conn.ExecSQL(u"INSERT INTO kept_rows VALUES (1, 1, 1, 'one', NULL), (2, 1, 2, 'two', NULL)");
    query.SetConnection(&conn);
    query.SetSQLText(u"SELECT id, grp, a, b FROM kept_rows ORDER BY id");
    query.Open();
  }
  void TearDown() override {
    query.Close();
    conn.ExecSQL(u"DROP TABLE IF EXISTS kept_rows");
    conn.ExecSQL(u"DROP TABLE IF EXISTS kept_other");
  }

  TMyConnection conn{nullptr};
  TInspectedQuery query{nullptr};
};

TEST_P(MyKeptStatement, AChangedInputGivesWayToAFreshText) {
  const TGiveWayCase& c = GetParam();
  c.Run(query);
  EXPECT_EQ(TOtherSession().One(c.CheckSQL), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MyKeptStatement, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TGiveWayCase>& info) {
                           return std::string(info.param.Name);
                         });

// Options that change how the text is written, not what it writes: the next statement follows.
struct TTextOptionCase {
  const char* Name;
  std::function<void(TInspectedQuery& query)> Change;
  const char16_t* Expected;
};

const TTextOptionCase kTextCases[] = {
    {"QuoteNames", [](TInspectedQuery& q) { q.Options()->SetQuoteNames(true); },
     u"UPDATE `kept_rows`\r\nSET\r\n  `a` = ?\r\nWHERE\r\n  `id` = ?"},
    {"CheckRowVersion", [](TInspectedQuery& q) { q.Options()->SetCheckRowVersion(true); },
     u"UPDATE kept_rows\r\nSET\r\n  a = ?\r\nWHERE\r\n  id = ? AND a = ?"},
};

class MyKeptStatementText : public ::testing::TestWithParam<TTextOptionCase> {};

TEST_P(MyKeptStatementText, AnOptionSwitchedOnRewritesTheNextStatement) {
  TMyConnection conn(nullptr);
  ApplyTestSettings(conn);
  conn.ExecSQL(u"DROP TABLE IF EXISTS kept_rows");
  conn.ExecSQL(u"CREATE TABLE kept_rows (id INT PRIMARY KEY, a INT)");
  conn.ExecSQL(u"INSERT INTO kept_rows VALUES (1, 1)");
  TInspectedQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(u"SELECT id, a FROM kept_rows");
  query.Open();
  query.Edit();
  query.FieldByName(u"a")->SetAsInteger(2);
  query.Post();
  EXPECT_EQ(query.LastSQL(), u"UPDATE kept_rows\r\nSET\r\n  a = ?\r\nWHERE\r\n  id = ?");
  GetParam().Change(query);
  query.Edit();
  query.FieldByName(u"a")->SetAsInteger(3);
  query.Post();
  EXPECT_EQ(query.LastSQL(), GetParam().Expected);
  EXPECT_EQ(TOtherSession().One(u"SELECT a FROM kept_rows"), u"3");
  query.Close();
  conn.ExecSQL(u"DROP TABLE kept_rows");
}

INSTANTIATE_TEST_SUITE_P(Options, MyKeptStatementText, ::testing::ValuesIn(kTextCases),
                         [](const ::testing::TestParamInfo<TTextOptionCase>& info) {
                           return std::string(info.param.Name);
                         });

// The internal component's options are handed on once and kept: a dataset option changed
// between two posts must still reach the component and its record set.
struct TComponentOptionCase {
  const char* Name;
  std::function<void(TDADataSetOptions& options)> Change;
};

const TComponentOptionCase kComponentOptionCases[] = {
    {"TrimFixedChar", [](TDADataSetOptions& o) { o.SetTrimFixedChar(!o.TrimFixedChar()); }},
    {"TrimVarChar", [](TDADataSetOptions& o) { o.SetTrimVarChar(!o.TrimVarChar()); }},
    {"SetEmptyStrToNull",
     [](TDADataSetOptions& o) { o.SetSetEmptyStrToNull(!o.SetEmptyStrToNull()); }},
    {"FullRefresh", [](TDADataSetOptions& o) { o.FullRefresh = !o.FullRefresh; }},
};

class MyKeptComponentOptions : public ::testing::TestWithParam<TComponentOptionCase> {};

TEST_P(MyKeptComponentOptions, AnOptionChangedBetweenPostsReachesTheInternalComponent) {
  TMyConnection conn(nullptr);
  ApplyTestSettings(conn);
  conn.ExecSQL(u"DROP TABLE IF EXISTS kept_rows");
  conn.ExecSQL(u"CREATE TABLE kept_rows (id INT AUTO_INCREMENT PRIMARY KEY, a INT)");
  TInspectedQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(u"SELECT id, a FROM kept_rows");
  query.Open();
  auto post = [&query](int a) {
    query.Append();
    query.FieldByName(u"a")->SetAsInteger(a);
    query.Post();
  };
  post(1);
  post(2);  // the options were handed on before: this post keeps them
  GetParam().Change(*query.Options());
  post(3);
  TCustomDADataSet* component = query.UpdateDataSet();
  ASSERT_NE(component, nullptr);
  TDADataSetOptions* own = query.Options();
  TDADataSetOptions* theirs = component->Options();
  EXPECT_EQ(theirs->TrimFixedChar(), own->TrimFixedChar());
  EXPECT_EQ(theirs->TrimVarChar(), own->TrimVarChar());
  EXPECT_EQ(theirs->SetEmptyStrToNull(), own->SetEmptyStrToNull());
  EXPECT_EQ(theirs->FullRefresh, own->FullRefresh);
  TLxRecordSet* rs = component->IRecordSet();
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->TrimFixedChar(), own->TrimFixedChar());
  EXPECT_EQ(rs->TrimVarChar(), own->TrimVarChar());
  EXPECT_EQ(rs->SetEmptyStrToNull(), own->SetEmptyStrToNull());
  EXPECT_EQ(TOtherSession().One(u"SELECT GROUP_CONCAT(a ORDER BY id) FROM kept_rows"), u"1,2,3");
  query.Close();
  conn.ExecSQL(u"DROP TABLE kept_rows");
}

INSTANTIATE_TEST_SUITE_P(Options, MyKeptComponentOptions,
                         ::testing::ValuesIn(kComponentOptionCases),
                         [](const ::testing::TestParamInfo<TComponentOptionCase>& info) {
                           return std::string(info.param.Name);
                         });

}  // namespace
