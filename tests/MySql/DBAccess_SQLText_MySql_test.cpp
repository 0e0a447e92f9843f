// The SQL text routines and macros with the MySQL dialect's lexer: its clause order (LIMIT, FOR
// UPDATE after ORDER BY), its quotes and comments.
#include <gtest/gtest.h>

#include "Common/DBAccess_Macros.h"
#include "Common/DBAccess_SQLText.h"
#include "MySql/MyParser.h"
#include "platform/rtl/UnicodeText.h"

namespace {

const TParserClass My = &NewParser<TMyParser>;

struct Case {
  const char* name;
  const char* sql;
  const char* arg;
  const char* expected;
};

TEST(SQLTextMySql, WhereRoutines) {
  const Case adds[] = {
      {"before LIMIT", "SELECT * FROM t LIMIT 10", "a = 1", "SELECT * FROM t\rWHERE a = 1  LIMIT 10"},
      {"wrapped before GROUP BY", "SELECT k FROM t WHERE b = 2 GROUP BY k", "a = 1",
       "SELECT k FROM t WHERE (b = 2) AND a = 1  GROUP BY k"},
      {"hash comment at the end", "SELECT * FROM t WHERE b = 2 # why", "a = 1",
       "SELECT * FROM t WHERE (b = 2 # why\r) AND a = 1 "},
      {"double-quoted string and backquoted name",
       "SELECT `where` FROM t WHERE s = \"ORDER BY \\\" x\" FOR UPDATE", "a = 1",
       "SELECT `where` FROM t WHERE (s = \"ORDER BY \\\" x\") AND a = 1  FOR UPDATE"},
      {"UNION is no clause here, but ends the first SELECT all the same",
       "SELECT a FROM t WHERE b = 1 UNION SELECT a FROM u", "c = 2",
       "SELECT a FROM t WHERE (b = 1) AND c = 2  UNION SELECT a FROM u"},
  };
  for (const Case& c : adds)
    EXPECT_EQ(UTF8Encode(AddWhere(S(c.sql), S(c.arg), My)), c.expected) << c.name;

  EXPECT_EQ(UTF8Encode(SetWhere(u"SELECT * FROM t WHERE b = 2 ORDER BY a LIMIT 5", u"", My)),
            "SELECT * FROM t ORDER BY a LIMIT 5");
  EXPECT_EQ(UTF8Encode(SetWhere(u"SELECT * FROM t -- all\nLIMIT 5", u"a = 1", My)),
            "SELECT * FROM t WHERE a = 1 -- all\nLIMIT 5");
  EXPECT_EQ(GetWhereClause(u"SELECT * FROM t WHERE a = 'x' LIMIT 5", My), u"a = 'x'");
}

TEST(SQLTextMySql, OrderByRoutinesStopAtLimitAndLocks) {
  const Case cases[] = {
      {"replace before LIMIT", "SELECT * FROM t ORDER BY a LIMIT 10", "b DESC",
       "SELECT * FROM t ORDER BY b DESC LIMIT 10"},
      {"remove before LIMIT", "SELECT * FROM t ORDER BY a LIMIT 10", "", "SELECT * FROM t LIMIT 10"},
      {"add before LIMIT", "SELECT * FROM t WHERE x = 1 LIMIT 10", "b",
       "SELECT * FROM t WHERE x = 1 ORDER BY b LIMIT 10"},
      {"add before FOR UPDATE", "SELECT * FROM t FOR UPDATE", "b",
       "SELECT * FROM t ORDER BY b FOR UPDATE"},
      {"ORDER BY inside a function is not the statement's",
       "SELECT GROUP_CONCAT(x ORDER BY y) FROM t", "z",
       "SELECT GROUP_CONCAT(x ORDER BY y) FROM t ORDER BY z"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(UTF8Encode(SetOrderBy(S(c.sql), S(c.arg), My)), c.expected) << c.name;

  EXPECT_EQ(GetOrderBy(u"SELECT * FROM t ORDER BY a ,  b DESC  LIMIT 5", My), u"a ,  b DESC");
  EXPECT_EQ(GetOrderBy(u"SELECT * FROM t ORDER BY a LOCK IN SHARE MODE", My), u"a");
  EXPECT_EQ(GetOrderBy(u"SELECT * FROM t LIMIT 5", My), u"");
}

TEST(SQLTextMySql, MacrosIgnoreBothKindsOfStringAndComments) {
  TMacros macros(nullptr);
  macros.SetParserClass(My);
  const String sql = u"SELECT \"&a\", '&b', `&c` FROM t # &d\n&e";
  macros.Scan(sql);
  ASSERT_EQ(macros.Count(), 1);
  EXPECT_EQ(macros.Items(0)->Name(), u"e");
  macros.Items(0)->SetValue(u"WHERE s = \"it's\"");
  String text = sql;
  macros.Expand(text);
  EXPECT_EQ(text, u"SELECT \"&a\", '&b', `&c` FROM t # &d\nWHERE s = \"it's\"");
}

}  // namespace
