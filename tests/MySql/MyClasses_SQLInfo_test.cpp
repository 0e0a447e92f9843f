#include "MySql/MyClasses_SQLInfo.h"

#include <gtest/gtest.h>

#include "MySql/MyParser.h"

namespace {

TMySQLInfo Info() { return TMySQLInfo(&NewParser<TMyParser>); }

TEST(MySQLInfo, QuoteAndUnquoteRoundTrip) {
  TMySQLInfo info = Info();
  EXPECT_EQ(info.QuoteName(u"a`b"), u"`a``b`");
  EXPECT_EQ(info.Unquote(u"`a``b`"), u"a`b");
  EXPECT_EQ(info.QuoteName(u"\"dq\""), u"\"dq\"");
  EXPECT_EQ(info.Unquote(u"'s''q'"), u"s'q");
  EXPECT_TRUE(info.IsQuoted(u"\"x\""));
  EXPECT_FALSE(info.IsQuoted(u"`x\""));
  EXPECT_FALSE(info.IsQuoted(u"`"));
}

TEST(MySQLInfo, DottedNamesSplitOnlyBetweenQuotedParts) {
  TMySQLInfo info = Info();
  EXPECT_EQ(info.NormalizeName(u"`db`.`tbl`", false, true), u"db.tbl");
  EXPECT_EQ(info.NormalizeName(u"`a.b`", false, true), u"a.b");
  EXPECT_EQ(info.NormalizeName(u"`a.b`"), u"`a.b`");
  EXPECT_EQ(info.NormalizeName(u"Users"), u"Users");  // mixed case is kept
  String db, name;
  info.SplitDatabaseAndName(u"shop.`my proc`", db, name);
  EXPECT_EQ(db, u"shop");
  EXPECT_EQ(name, u"`my proc`");
  info.SplitDatabaseAndName(u"proc", db, name);
  EXPECT_EQ(db, u"");
  EXPECT_EQ(name, u"proc");
}

TEST(MySQLInfo, AnalysesMySqlSelects) {
  TMySQLInfo info = Info();
  TLxTablesInfo tables([](TLxTablesInfo* owner) { return std::make_unique<TMyTableInfo>(owner); });
  info.ParseTablesInfo(u"select p.*, c.name from `payment` p left join clients c on c.id = "
                       u"p.client_id where p.amount > 0 limit 10",
                       tables);
  ASSERT_EQ(tables.GetCount(), 2);
  EXPECT_EQ(tables.GetItem(0)->TableName(), u"`payment`");
  EXPECT_EQ(tables.GetItem(1)->TableName(), u"clients");
  auto* table = dynamic_cast<TMyTableInfo*>(tables.GetItem(0));
  ASSERT_NE(table, nullptr);
  table->SetTableNameFull(u"assoc.payment");
  EXPECT_EQ(table->GetTableNameFull(), u"assoc.payment");

  TColumnsInfo columns;
  info.ParseColumnsInfo(u"select `p`.`amount` as `Износ`, concat(name, ' ', surname) full_name "
                        u"from users",
                        columns);
  ASSERT_EQ(columns.Count(), 2);
  EXPECT_EQ(columns.GetItem(0).Name, u"amount");
  EXPECT_EQ(columns.GetItem(0).Table, u"p");
  EXPECT_EQ(columns.GetItem(0).Alias, u"Износ");
  EXPECT_EQ(columns.GetItem(1).Expr, u"concat(name, ' ', surname)");
  EXPECT_EQ(columns.GetItem(1).Alias, u"full_name");
}

}  // namespace
