#include "Common/DBAccess_SQLText.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

struct Case {
  const char* name;
  const char* sql;
  const char* arg;
  const char* expected;
};

AnsiString AddWhereA(const char* sql, const char* cond, bool skipComments = false) {
  return UTF8Encode(AddWhere(S(sql), S(cond), nullptr, skipComments));
}

TEST(SQLText, AddWhereWrapsOrAddsTheCondition) {
  const Case cases[] = {
      {"no clause at all", "SELECT * FROM t", "a = 1", "SELECT * FROM t\rWHERE a = 1 "},
      {"trailing blanks are trimmed", "  SELECT * FROM t \r\n", "a = 1",
       "SELECT * FROM t\rWHERE a = 1 "},
      {"in front of ORDER BY", "SELECT * FROM t ORDER BY x", "a = 1",
       "SELECT * FROM t\rWHERE a = 1  ORDER BY x"},
      {"old condition wrapped before ORDER BY", "SELECT * FROM t WHERE b = 2 ORDER BY x",
       "a = 1", "SELECT * FROM t WHERE (b = 2) AND a = 1  ORDER BY x"},
      {"old condition wrapped at the end", "SELECT * FROM t WHERE b = 2 OR c = 3", "a = 1",
       "SELECT * FROM t WHERE (b = 2 OR c = 3) AND a = 1 "},
      {"before the final semicolon", "SELECT * FROM t WHERE b = 2;", "a = 1",
       "SELECT * FROM t WHERE (b = 2) AND a = 1 ;"},
      {"before the final semicolon without WHERE", "SELECT * FROM t;", "a = 1",
       "SELECT * FROM t\rWHERE a = 1 ;"},
      {"WHERE of a subquery is not the statement's",
       "SELECT * FROM t WHERE id IN (SELECT id FROM u WHERE c = 1)", "a = 1",
       "SELECT * FROM t WHERE (id IN (SELECT id FROM u WHERE c = 1)) AND a = 1 "},
      {"subquery in FROM", "SELECT * FROM (SELECT * FROM u WHERE c = 1) x GROUP BY k", "a = 1",
       "SELECT * FROM (SELECT * FROM u WHERE c = 1) x\rWHERE a = 1  GROUP BY k"},
      {"a macro named where is no WHERE", "SELECT * FROM t &where", "a = 1",
       "SELECT * FROM t &where\rWHERE a = 1 "},
      {"keywords inside a string are text", "SELECT * FROM t WHERE s = 'x ORDER BY y'", "a = 1",
       "SELECT * FROM t WHERE (s = 'x ORDER BY y') AND a = 1 "},
      {"first SELECT of a UNION", "SELECT a FROM t WHERE b = 1 UNION SELECT a FROM u", "c = 2",
       "SELECT a FROM t WHERE (b = 1) AND c = 2  UNION SELECT a FROM u"},
      {"main SELECT after WITH", "WITH x AS (SELECT * FROM t WHERE b = 1) SELECT * FROM x",
       "a = 1", "WITH x AS (SELECT * FROM t WHERE b = 1) SELECT * FROM x\rWHERE a = 1 "},
      {"a parenthesised SELECT ends at its bracket", "(SELECT a FROM t) UNION (SELECT a FROM u)",
       "a = 1", "(SELECT a FROM t\rWHERE a = 1 ) UNION (SELECT a FROM u)"},
      {"no blank after WHERE", "SELECT * FROM t WHERE/* c */b = 2", "a = 1",
       "SELECT * FROM t WHERE(/* c */b = 2) AND a = 1 "},
      {"no SELECT", "UPDATE t SET a = 1", "b = 2", "UPDATE t SET a = 1"},
      {"blank condition", "SELECT * FROM t", "  ", "SELECT * FROM t"},
  };
  for (const Case& c : cases) EXPECT_EQ(AddWhereA(c.sql, c.arg), c.expected) << c.name;
}

TEST(SQLText, AddWhereKeepsCommentsIntact) {
  // A line comment in front of the next clause must not swallow the closing bracket.
  const char* sql = "SELECT * FROM t WHERE b = 2 -- note\r\nORDER BY x";
  EXPECT_EQ(AddWhereA(sql, "a = 1"), "SELECT * FROM t WHERE (b = 2 -- note\r) AND a = 1 \r\nORDER BY x");
  EXPECT_EQ(AddWhereA(sql, "a = 1", true),
            "SELECT * FROM t WHERE (b = 2) AND a = 1  -- note\r\nORDER BY x");
  // A comment the lexer skipped at the end stays behind the addition.
  EXPECT_EQ(AddWhereA("SELECT * FROM t -- all rows", "a = 1", true),
            "SELECT * FROM t\rWHERE a = 1  -- all rows");
  EXPECT_EQ(AddWhereA("SELECT * FROM t WHERE b = 2 -- last", "a = 1"),
            "SELECT * FROM t WHERE (b = 2 -- last\r) AND a = 1 ");
}

TEST(SQLText, SetWhereReplacesAddsAndRemoves) {
  const Case cases[] = {
      {"replace before ORDER BY", "SELECT * FROM t WHERE b = 2 ORDER BY x", "a = 1",
       "SELECT * FROM t WHERE a = 1 ORDER BY x"},
      {"remove before ORDER BY", "SELECT * FROM t WHERE b = 2 ORDER BY x", "",
       "SELECT * FROM t ORDER BY x"},
      {"remove at the end", "SELECT * FROM t WHERE b = 2 ", "", "SELECT * FROM t "},
      {"add on one line", "SELECT * FROM t", "a = 1", "SELECT * FROM t WHERE a = 1"},
      {"add on its own line", "SELECT *\r\nFROM t\r\nORDER BY x", "a = 1",
       "SELECT *\r\nFROM t\r WHERE a = 1\r\nORDER BY x"},
      {"remove with a subquery", "SELECT * FROM t WHERE id IN (SELECT id FROM u WHERE c = 1) ORDER BY x",
       "", "SELECT * FROM t ORDER BY x"},
      {"replace before a semicolon", "SELECT * FROM t WHERE b = 2;", "a = 1",
       "SELECT * FROM t WHERE a = 1;"},
      {"add before a semicolon", "SELECT * FROM t;", "a = 1", "SELECT * FROM t WHERE a = 1;"},
      {"replace in the first SELECT of a UNION",
       "SELECT a FROM t WHERE b = 1 UNION SELECT a FROM u WHERE b = 2", "c = 3",
       "SELECT a FROM t WHERE c = 3 UNION SELECT a FROM u WHERE b = 2"},
      {"string with WHERE inside", "SELECT * FROM t WHERE s = 'a WHERE b' GROUP BY s", "",
       "SELECT * FROM t GROUP BY s"},
      {"no SELECT", "DELETE FROM t WHERE a = 1", "", "DELETE FROM t WHERE a = 1"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(UTF8Encode(SetWhere(S(c.sql), S(c.arg))), c.expected) << c.name;
  EXPECT_EQ(UTF8Encode(DeleteWhere(u"SELECT * FROM t /* all */ WHERE b = 2 ORDER BY x")),
            "SELECT * FROM t ORDER BY x");
}

TEST(SQLText, GetClauseReadsFromAndWhere) {
  const String sql =
      u"SELECT p.*, c.full_name FROM payment p, clients c WHERE p.client_id = c.id AND "
      u"p.type = :p_type ORDER BY payment_date DESC";
  EXPECT_EQ(GetFromClause(sql), u"payment p, clients c");
  EXPECT_EQ(GetWhereClause(sql), u"p.client_id = c.id AND p.type = :p_type");

  const String nested = u"SELECT * FROM (SELECT a FROM u WHERE b = 1) x WHERE x.a > 0 GROUP BY a";
  EXPECT_EQ(GetFromClause(nested), u"(SELECT a FROM u WHERE b = 1) x");
  EXPECT_EQ(GetWhereClause(nested), u"x.a > 0");

  EXPECT_EQ(GetWhereClause(u"SELECT * FROM t ORDER BY a"), u"");
  EXPECT_EQ(GetFromClause(u"SELECT a FROM t UNION SELECT a FROM u"), u"t");
  EXPECT_EQ(GetFromClause(u"DELETE FROM t"), u"");
  // Comments are part of the clause unless the lexer skips them.
  EXPECT_EQ(GetWhereClause(u"SELECT * FROM t WHERE a = 1 /* x */ ORDER BY a"), u"a = 1 /* x */");
  EXPECT_EQ(GetWhereClause(u"SELECT * FROM t WHERE a = 1 /* x */ ORDER BY a", nullptr, true),
            u"a = 1");
}

TEST(SQLText, SetOrderByAndGetOrderBy) {
  const Case cases[] = {
      {"replace, semicolons become commas", "SELECT * FROM t ORDER BY a", "b;c DESC",
       "SELECT * FROM t ORDER BY b,c DESC"},
      {"add", "SELECT * FROM t WHERE a = 1", "b", "SELECT * FROM t WHERE a = 1 ORDER BY b"},
      {"add on its own line", "SELECT *\r\nFROM t", "b", "SELECT *\r\nFROM t\r ORDER BY b"},
      {"remove", "SELECT * FROM t ORDER BY a DESC ", "", "SELECT * FROM t "},
      {"order of the whole UNION", "SELECT a FROM t UNION SELECT a FROM u ORDER BY a", "a DESC",
       "SELECT a FROM t UNION SELECT a FROM u ORDER BY a DESC"},
      {"ORDER BY of a subquery is not the statement's",
       "SELECT * FROM (SELECT a FROM u ORDER BY a) x", "b",
       "SELECT * FROM (SELECT a FROM u ORDER BY a) x ORDER BY b"},
      {"before a semicolon", "SELECT * FROM t;", "b", "SELECT * FROM t ORDER BY b;"},
      {"no SELECT", "UPDATE t SET a = 1", "b", "UPDATE t SET a = 1"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(UTF8Encode(SetOrderBy(S(c.sql), S(c.arg))), c.expected) << c.name;

  EXPECT_EQ(GetOrderBy(u"SELECT * FROM t ORDER BY a, b DESC "), u"a, b DESC");
  EXPECT_EQ(GetOrderBy(u"SELECT * FROM t WHERE s = 'ORDER BY x'"), u"");
  EXPECT_EQ(GetOrderBy(u"SELECT * FROM (SELECT a FROM u ORDER BY a) x"), u"");
  EXPECT_EQ(GetOrderBy(u"UPDATE t SET a = 1"), u"");
}

TEST(SQLText, NonAsciiTextKeepsItsCharacters) {
  // Positions are found in the 8-bit text; the result must come back as the same characters.
  EXPECT_EQ(AddWhere(u"SELECT * FROM t WHERE note = 'Привет' ORDER BY x", u"имя = 'Ж'"),
            u"SELECT * FROM t WHERE (note = 'Привет') AND имя = 'Ж'  ORDER BY x");
  EXPECT_EQ(GetOrderBy(u"SELECT * FROM t ORDER BY фамилия"), u"фамилия");
}

}  // namespace
