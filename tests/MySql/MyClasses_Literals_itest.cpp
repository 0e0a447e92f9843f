// The literal writer against the real server, on both backslash modes: hostile values written as
// literals come back unchanged, and no value can end its literal early. The reference client
// carries the statements, so the check is of the literals alone.
#include <mysql.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/CLRClasses.h"
#include "MySql/MyClasses_Literals.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/support/TestDb.h"

namespace {

const std::vector<std::string>& HostileValues() {
  static const std::vector<std::string> values = {
      "'",
      "\\",
      "\\'",
      "''",
      "\\\\'",
      "x' OR '1'='1",
      "x\\' , 'injected') -- ",
      std::string("nul\0' inside", 12),
      std::string("\0", 1),
      "%_ wildcards %%__ \\% \\_",
      "Македонија: ѓ ќ љ њ џ ѕ Ѓ Ќ",
      "emoji 😀 and 𝄞",
      "\"double\" `back`",
      "\r\n\x1a\t\b",
      "trailing backslash \\",
  };
  return values;
}

class LiteralRoundTrip : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    const auto& db = testdb::Get();
    ASSERT_NE(mysql_real_connect(mysql, db.host.c_str(), db.user.c_str(), db.password.c_str(),
                                 db.database.c_str(), db.port, nullptr, 0),
              nullptr)
        << mysql_error(mysql);
    Exec("SET NAMES utf8mb4");
    Exec(GetParam() ? "SET SESSION sql_mode = 'STRICT_TRANS_TABLES'"
                    : "SET SESSION sql_mode = 'STRICT_TRANS_TABLES,NO_BACKSLASH_ESCAPES'");
    Exec("CREATE TEMPORARY TABLE lit (id INT PRIMARY KEY, txt TEXT CHARACTER SET utf8mb4, "
         "bin VARBINARY(200), other VARCHAR(20))");
  }
  void TearDown() override { mysql_close(mysql); }

  void Exec(const std::string& sql) {
    ASSERT_EQ(mysql_real_query(mysql, sql.data(), sql.size()), 0) << mysql_error(mysql) << "\n"
                                                                   << sql;
  }
  std::string Literal(TDataTypeCode type, const Variant& value) {
    AnsiStringBuilder sb(16);
    MySQLValueToSQL(sb, type, value, "utf8mb4", 10, GetParam(), false, true, false);
    return sb.ToString();
  }

  MYSQL* mysql = mysql_init(nullptr);
};

TEST_P(LiteralRoundTrip, HostileValuesComeBackUnchanged) {
  const auto& values = HostileValues();
  for (size_t i = 0; i < values.size(); ++i) {
    const std::string& v = values[i];
    // Two literals in one statement, then a constant: a literal that ended early would shift
    // the others and the row would not come back as written.
    std::string sql = "INSERT INTO lit VALUES (" + std::to_string(i) + ", " +
                      Literal(dtWideMemo, Variant(UTF8ToString(v))) + ", " +
                      Literal(dtVarBytes, Variant(TBytes(v.begin(), v.end()))) + ", 'sentinel')";
    Exec(sql);
  }
  Exec("SELECT id, txt, bin, other FROM lit ORDER BY id");
  MYSQL_RES* result = mysql_store_result(mysql);
  ASSERT_NE(result, nullptr);
  ASSERT_EQ(mysql_num_rows(result), values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    MYSQL_ROW row = mysql_fetch_row(result);
    unsigned long* lengths = mysql_fetch_lengths(result);
    const std::string& v = values[i];
    // Text holds no NUL the way the client writes UTF-16 text: compare what the wide form keeps.
    std::string text = UTF8Encode(UTF8ToString(v));
    EXPECT_EQ(std::string(row[1], lengths[1]), text) << "value " << i;
    EXPECT_EQ(std::string(row[2], lengths[2]), v) << "value " << i;
    EXPECT_STREQ(row[3], "sentinel") << "value " << i;
  }
  mysql_free_result(result);
}

TEST_P(LiteralRoundTrip, LiteralsInWhereClausesMatchOnlyTheirValue) {
  Exec("INSERT INTO lit VALUES (1, 'a', NULL, 'x'), (2, 'b', NULL, 'y')");
  for (const std::string& v : HostileValues()) {
    std::string sql = "SELECT COUNT(*) FROM lit WHERE other = " +
                      Literal(dtString, Variant(AnsiString(v)));
    Exec(sql);
    MYSQL_RES* result = mysql_store_result(mysql);
    ASSERT_NE(result, nullptr);
    MYSQL_ROW row = mysql_fetch_row(result);
    EXPECT_STREQ(row[0], "0") << sql;
    mysql_free_result(result);
  }
}

INSTANTIATE_TEST_SUITE_P(BackslashModes, LiteralRoundTrip, ::testing::Values(true, false),
                         [](const auto& info) {
                           return info.param ? "BackslashEscapes" : "NoBackslashEscapes";
                         });

}  // namespace
