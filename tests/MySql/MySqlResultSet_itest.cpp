// Text rows and column definitions of every column type against the private MariaDB server, held
// against what the reference client library reads from the same table.
#include <mysql.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/MySql/SessionQueries.h"

namespace {

using namespace sessiontest;

constexpr uint32_t kNotNull = 0x1, kPriKey = 0x2, kBlob = 0x10, kUnsigned = 0x20, kBinary = 0x80,
                   kEnum = 0x100, kAutoIncrement = 0x200, kSet = 0x800;

const char* const kCreate =
    "CREATE TABLE session_types ("
    " id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,"
    " c_bool TINYINT(1), c_tiny_u TINYINT UNSIGNED, c_small_u SMALLINT UNSIGNED,"
    " c_medium_u MEDIUMINT UNSIGNED, c_int_u INT UNSIGNED, c_big BIGINT, c_big_u BIGINT UNSIGNED,"
    " c_dec DECIMAL(65,30), c_float FLOAT, c_double DOUBLE,"
    " c_date DATE, c_time TIME, c_datetime DATETIME(6), c_ts TIMESTAMP NULL DEFAULT NULL,"
    " c_year YEAR, c_text VARCHAR(40) CHARACTER SET utf8mb4, c_binary BINARY(4),"
    " c_blob BLOB, c_mediumtext MEDIUMTEXT CHARACTER SET utf8mb4, c_longblob LONGBLOB,"
    " c_enum ENUM('red','green'), c_set SET('a','b','c'), c_bit BIT(10))";

struct Expected {
  const char* name;
  uint8_t type;
  uint32_t flags;  // these must be set
  uint32_t decimals;
  bool numeric;
};

// The type codes and flags a 10.11 server gives the columns.
const Expected kColumns[] = {
    {"id", 3, kNotNull | kPriKey | kAutoIncrement, 0, true},
    {"c_bool", 1, 0, 0, true},
    {"c_tiny_u", 1, kUnsigned, 0, true},
    {"c_small_u", 2, kUnsigned, 0, true},
    {"c_medium_u", 9, kUnsigned, 0, true},
    {"c_int_u", 3, kUnsigned, 0, true},
    {"c_big", 8, 0, 0, true},
    {"c_big_u", 8, kUnsigned, 0, true},
    {"c_dec", 246, 0, 30, false},
    {"c_float", 4, 0, 31, true},
    {"c_double", 5, 0, 31, true},
    {"c_date", 10, 0, 0, false},
    {"c_time", 11, 0, 0, false},
    {"c_datetime", 12, 0, 6, false},
    {"c_ts", 7, 0, 0, false},
    {"c_year", 13, kUnsigned, 0, true},
    {"c_text", 253, 0, 0, false},
    {"c_binary", 254, kBinary, 0, false},
    {"c_blob", 252, kBlob | kBinary, 0, false},
    {"c_mediumtext", 252, kBlob, 0, false},
    {"c_longblob", 252, kBlob | kBinary, 0, false},
    {"c_enum", 254, kEnum, 0, false},
    {"c_set", 254, kSet, 0, false},
    {"c_bit", 16, kUnsigned, 0, false},
};

struct ResultSetTest : ::testing::Test {
  static void SetUpTestSuite() {
    auto s = Open();
    s->Query("DROP TABLE IF EXISTS session_types");
    s->Query(kCreate);
    s->Query("SET NAMES utf8mb4");
    s->Query(
        "INSERT INTO session_types VALUES (NULL, 1, 255, 65535, 16777215, 4294967295,"
        " -9223372036854775808, 18446744073709551615,"
        " '12345678901234567890123456789012345.123456789012345678901234567890',"
        " 1.5, -2.25e-300, '2024-02-29', '-838:59:59', '2024-12-31 23:59:59.123456',"
        " '2030-06-15 12:00:00', 2155, 'Привет, мир', 0x00FF0A41,"
        " REPEAT('b', 300), REPEAT('Ж', 35000), REPEAT('L', 16777216), 'green', 'a,c', b'1000000001')");
    s->Query("INSERT INTO session_types (id) VALUES (NULL)");
  }
  static void TearDownTestSuite() { Open()->Query("DROP TABLE IF EXISTS session_types"); }
};

TEST_F(ResultSetTest, EveryColumnTypeReadsAsTextWithItsDefinition) {
  auto s = Open();
  s->Query("SET NAMES utf8mb4");
  Result r = RunQuery(*s, "SELECT * FROM session_types ORDER BY id");
  ASSERT_EQ(r.columns.size(), std::size(kColumns));
  for (size_t i = 0; i < r.columns.size(); ++i) {
    const TMySqlFieldInfo& f = r.columns[i];
    const Expected& e = kColumns[i];
    EXPECT_EQ(f.Name, e.name);
    EXPECT_EQ(f.OrgName, e.name);
    EXPECT_EQ(f.Table, "session_types");
    EXPECT_EQ(f.OrgTable, "session_types");
    EXPECT_EQ(f.Database, testdb::Get().database);
    EXPECT_EQ(f.Type, e.type) << e.name;
    EXPECT_EQ(f.Flags & e.flags, e.flags) << e.name;
    EXPECT_EQ(f.Decimals, e.decimals) << e.name;
    EXPECT_EQ((f.Flags & kNumFlag) != 0, e.numeric) << e.name;
  }
  auto column = [&](const char* name) {
    for (size_t i = 0; i < r.columns.size(); ++i)
      if (r.columns[i].Name == name) return i;
    ADD_FAILURE() << name;
    return size_t(0);
  };
  EXPECT_EQ(r.columns[column("c_dec")].Length, 67u);
  EXPECT_EQ(r.columns[column("c_text")].Length, 160u) << "40 characters of 4 bytes";
  EXPECT_EQ(r.columns[column("c_text")].CharsetNr, 45u);
  EXPECT_EQ(r.columns[column("c_binary")].CharsetNr, 63u);
  EXPECT_EQ(r.columns[column("c_longblob")].Length, 4294967295u);
  EXPECT_EQ(r.columns[column("c_datetime")].Length, 26u);

  ASSERT_EQ(r.rows.size(), 2u);
  const Row& v = r.rows[0];
  auto text = [&](const char* name) { return v[column(name)].value_or("<NULL>"); };
  EXPECT_EQ(text("c_bool"), "1");
  EXPECT_EQ(text("c_tiny_u"), "255");
  EXPECT_EQ(text("c_medium_u"), "16777215");
  EXPECT_EQ(text("c_int_u"), "4294967295");
  EXPECT_EQ(text("c_big"), "-9223372036854775808");
  EXPECT_EQ(text("c_big_u"), "18446744073709551615");
  EXPECT_EQ(text("c_dec"), "12345678901234567890123456789012345.123456789012345678901234567890");
  EXPECT_EQ(text("c_float"), "1.5");
  EXPECT_EQ(text("c_double"), "-2.25e-300");
  EXPECT_EQ(text("c_date"), "2024-02-29");
  EXPECT_EQ(text("c_time"), "-838:59:59");
  EXPECT_EQ(text("c_datetime"), "2024-12-31 23:59:59.123456");
  EXPECT_EQ(text("c_ts"), "2030-06-15 12:00:00");
  EXPECT_EQ(text("c_year"), "2155");
  EXPECT_EQ(text("c_text"), "Привет, мир");
  EXPECT_EQ(text("c_binary"), std::string("\x00\xFF\x0A\x41", 4));
  EXPECT_EQ(text("c_blob"), std::string(300, 'b'));
  std::string zhe;
  for (int i = 0; i < 35000; ++i) zhe += "Ж";
  EXPECT_TRUE(text("c_mediumtext") == zhe);
  EXPECT_EQ(text("c_longblob").size(), 16777216u);
  EXPECT_EQ(text("c_enum"), "green");
  EXPECT_EQ(text("c_set"), "a,c");
  EXPECT_EQ(text("c_bit"), std::string("\x02\x01", 2));

  // Length prefixes: 1 byte up to 250, 3 bytes for the BLOB of 300, 4 for the 70,000 bytes of
  // MEDIUMTEXT, 9 for the LONGBLOB of 16 MB.
  EXPECT_EQ(r.prefixes[0][column("c_text")], 1);
  EXPECT_EQ(r.prefixes[0][column("c_blob")], 3);
  EXPECT_EQ(r.prefixes[0][column("c_mediumtext")], 4);
  EXPECT_EQ(r.prefixes[0][column("c_longblob")], 9);

  // The second row: an id and NULL everywhere else.
  EXPECT_EQ(r.rows[1][0].value_or(""), "2");
  for (size_t i = 1; i < r.rows[1].size(); ++i) {
    EXPECT_FALSE(r.rows[1][i].has_value()) << r.columns[i].Name;
    EXPECT_EQ(r.prefixes[1][i], 1);
  }
}

// The reference client reads the same definitions and values.
TEST_F(ResultSetTest, TheReferenceClientReadsTheSame) {
  const testdb::Settings& db = testdb::Get();
  MYSQL* mysql = mysql_init(nullptr);
  ASSERT_NE(mysql_real_connect(mysql, db.host.c_str(), db.user.c_str(), db.password.c_str(),
                               db.database.c_str(), db.port, nullptr, 0),
            nullptr)
      << mysql_error(mysql);
  const char* sql = "SELECT *, c_int_u + 1 AS expr, NULL AS nothing FROM session_types t ORDER BY id";
  ASSERT_EQ(mysql_query(mysql, "SET NAMES utf8mb4"), 0);
  ASSERT_EQ(mysql_query(mysql, sql), 0) << mysql_error(mysql);
  MYSQL_RES* theirs = mysql_store_result(mysql);
  ASSERT_NE(theirs, nullptr);

  auto s = Open();
  s->Query("SET NAMES utf8mb4");
  Result ours = RunQuery(*s, sql);

  ASSERT_EQ(ours.columns.size(), mysql_num_fields(theirs));
  MYSQL_FIELD* fields = mysql_fetch_fields(theirs);
  for (size_t i = 0; i < ours.columns.size(); ++i) {
    const TMySqlFieldInfo& f = ours.columns[i];
    const MYSQL_FIELD& t = fields[i];
    SCOPED_TRACE(t.name);
    EXPECT_EQ(f.Name, t.name);
    EXPECT_EQ(f.OrgName, t.org_name);
    EXPECT_EQ(f.Table, t.table);
    EXPECT_EQ(f.OrgTable, t.org_table);
    EXPECT_EQ(f.Database, t.db);
    EXPECT_EQ(f.Length, t.length);
    EXPECT_EQ(f.Decimals, t.decimals);
    EXPECT_EQ(f.CharsetNr, t.charsetnr);
    EXPECT_EQ(f.Type, static_cast<uint8_t>(t.type));
    // The numeric flag is each client's own addition (they disagree on DECIMAL): compare the rest.
    EXPECT_EQ(f.Flags & ~kNumFlag, t.flags & ~kNumFlag);
  }
  ASSERT_EQ(ours.rows.size(), mysql_num_rows(theirs));
  for (const Row& row : ours.rows) {
    MYSQL_ROW values = mysql_fetch_row(theirs);
    unsigned long* lengths = mysql_fetch_lengths(theirs);
    for (size_t i = 0; i < row.size(); ++i) {
      ASSERT_EQ(row[i].has_value(), values[i] != nullptr) << fields[i].name;
      if (row[i]) {
        EXPECT_TRUE(*row[i] == std::string(values[i], lengths[i])) << fields[i].name;
      }
    }
  }
  mysql_free_result(theirs);
  mysql_close(mysql);
}

}  // namespace
