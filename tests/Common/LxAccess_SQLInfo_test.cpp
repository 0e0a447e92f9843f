#include "Common/LxAccess_SQLInfo.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

TSQLInfo SqlInfo() { return TSQLInfo(&NewParser<TSQLParser>); }

struct UpperCaseInfo : TSQLInfo {
  UpperCaseInfo() : TSQLInfo(&NewParser<TSQLParser>) {}
  int IdentCase() const override { return icUpper; }
};

TEST(SQLInfo, QuotingRulesByIdentifierCase) {
  TSQLInfo info = SqlInfo();
  struct Case {
    String name;
    bool needed;
  } cases[] = {{u"", false},      {u"abc", false},  {u"Ab_1$", false}, {u"1abc", true},
               {u"_abc", true},   {u"a b", true},   {u"a-b", true},    {u"ime", false},
               {u"име", true}};
  for (const auto& c : cases)
    EXPECT_EQ(info.QuotesNeeded(c.name), c.needed) << UTF8Encode(c.name);

  UpperCaseInfo upper;
  EXPECT_TRUE(upper.QuotesNeeded(u"abc"));
  EXPECT_FALSE(upper.QuotesNeeded(u"ABC_1"));
  EXPECT_TRUE(upper.QuotesNeeded(u"9X"));

  EXPECT_EQ(info.QuoteName(u"a b"), u"\"a b\"");
  EXPECT_EQ(info.QuoteName(u"\"q\""), u"\"q\"");
  EXPECT_EQ(info.Unquote(u"\"q\""), u"q");
  EXPECT_EQ(info.Unquote(u"\""), u"\"");
  EXPECT_EQ(info.QuoteIfNeeded(u"plain"), u"plain");
}

TEST(SQLInfo, NormalizeNameSplitsDottedNames) {
  TSQLInfo info = SqlInfo();
  EXPECT_EQ(info.NormalizeName(u"db.tbl"), u"db.tbl");
  EXPECT_EQ(info.NormalizeName(u"db.my tbl"), u"db.\"my tbl\"");
  EXPECT_EQ(info.NormalizeName(u"\"a.b\".c"), u"\"a.b\".c");
  EXPECT_EQ(info.NormalizeName(u"\"x\".\"y\"", false, true), u"x.y");
  EXPECT_EQ(info.NormalizeName(u"x", true), u"\"x\"");
  UpperCaseInfo upper;
  EXPECT_EQ(upper.NormalizeName(u"emp.name"), u"EMP.NAME");
  EXPECT_EQ(upper.NormalizeName(u"\"emp\""), u"\"emp\"");
}

TEST(SQLInfo, SplitObjectNameKeepsQuotes) {
  TSQLInfo info = SqlInfo();
  TExtTableInfo parts;
  info.SplitObjectName(u"cat.\"my.schema\".tbl", parts);
  EXPECT_EQ(parts.Name, u"tbl");
  EXPECT_EQ(parts.Schema, u"\"my.schema\"");
  EXPECT_EQ(parts.Catalog, u"cat");
  info.SplitObjectName(u"a.b.c.d", parts);
  EXPECT_EQ(parts.Name, u"d");
  EXPECT_EQ(parts.Catalog, u"b");
  info.SplitObjectName(u"t", parts);
  EXPECT_EQ(parts.Name, u"t");
  EXPECT_EQ(parts.Schema, u"");
}

TEST(SQLInfo, FromListYieldsTablesAndAliases) {
  TSQLInfo info = SqlInfo();
  TLxTablesInfo tables;
  info.ParseTablesInfo(
      u"SELECT a.x, (SELECT 1 FROM z) FROM emp a LEFT OUTER JOIN dept AS d ON (a.d = d.id) "
      u"JOIN (SELECT * FROM q) sub ON sub.k = a.k WHERE a.x > 1 ORDER BY 1",
      tables);
  ASSERT_EQ(tables.GetCount(), 2);
  EXPECT_EQ(tables.GetItem(0)->TableName(), u"emp");
  EXPECT_EQ(tables.GetItem(0)->TableAlias(), u"a");
  EXPECT_EQ(tables.GetItem(1)->TableName(), u"dept");
  EXPECT_EQ(tables.GetItem(1)->TableAlias(), u"d");
  EXPECT_EQ(tables.IndexByName(u"DEPT"), 1);
  EXPECT_EQ(tables.IndexByAlias(u"A"), 0);
  EXPECT_EQ(tables.IndexByName(u"nothing"), -1);

  info.ParseTablesInfo(u"select * from s.t1, (t2 inner join t3 on t2.a=t3.a), f(1)", tables);
  ASSERT_EQ(tables.GetCount(), 3);
  EXPECT_EQ(tables.GetItem(0)->TableName(), u"s.t1");
  EXPECT_EQ(tables.GetItem(1)->TableName(), u"t2");
  EXPECT_EQ(tables.GetItem(2)->TableName(), u"t3");

  info.ParseTablesInfo(u"update t set x = 1", tables);
  EXPECT_EQ(tables.GetCount(), 0);
}

TEST(SQLInfo, LookupsDuringAnUpdateFollowCaseSensitivity) {
  SetCollationLocale("");
  TLxTablesInfo tables;
  tables.Add()->SetTableName(u"Orders");
  tables.BeginUpdate();
  EXPECT_EQ(tables.IndexByName(u"orders"), 0);
  tables.SetCaseSensitive(true);
  EXPECT_EQ(tables.IndexByName(u"orders"), -1);
  EXPECT_EQ(tables.IndexByName(u"Orders"), 0);
  tables.EndUpdate();
  EXPECT_EQ(tables.IndexByName(u"orders"), 0);  // the index always ignores case
  try {
    tables.GetItem(3);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (3)");
  }
}

TEST(SQLInfo, SelectListItems) {
  TSQLInfo info = SqlInfo();
  TColumnsInfo columns;
  info.ParseColumnsInfo(u"SELECT DISTINCT e.name AS n, count(*) cnt, *, NULL, a + b total, 5 "
                        u"FROM emp e",
                        columns);
  ASSERT_EQ(columns.Count(), 6);
  EXPECT_EQ(columns.GetItem(0).Name, u"name");
  EXPECT_EQ(columns.GetItem(0).Table, u"e");
  EXPECT_EQ(columns.GetItem(0).Alias, u"n");
  EXPECT_EQ(columns.GetItem(0).Expr, u"");
  EXPECT_EQ(columns.GetItem(0).TableIndex, -1);
  EXPECT_EQ(columns.GetItem(1).Expr, u"count(*)");
  EXPECT_EQ(columns.GetItem(1).Alias, u"cnt");
  EXPECT_EQ(columns.GetItem(1).Name, u"");
  EXPECT_EQ(columns.GetItem(2).Name, u"*");
  EXPECT_EQ(columns.GetItem(3).Expr, u"NULL");
  EXPECT_EQ(columns.GetItem(4).Expr, u"a + b");
  EXPECT_EQ(columns.GetItem(4).Alias, u"total");
  EXPECT_EQ(columns.GetItem(5).Expr, u"5");
}

TEST(SQLInfo, AnalysisWithoutLexerClassIsAnInternalError) {
  TSQLInfo info(nullptr);
  TLxTablesInfo tables;
  EXPECT_THROW(info.ParseTablesInfo(u"select 1", tables), EAssertionFailed);
}

}  // namespace
