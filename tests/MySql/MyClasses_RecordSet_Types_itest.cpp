// Every column type of the server opened through the MySQL record set and compared, column by
// column and row by row, with what the reference client (MariaDB Connector/C) reads from the same
// rows: the descriptors against its column records, the values against its texts converted
// independently here. Runs with UseUnicode on and off and NullForZeroDate on and off.
#include <mysql.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "MySql/MyClasses.h"
#include "MySql/MyClasses_RecordSetConvert.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/AllTypesTable.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/TestDb.h"

namespace {

// Data types this schema maps to, by column, with and without UseUnicode.
struct ExpectedType {
  const char* column;
  TDataTypeCode ansi;
  TDataTypeCode unicode;
};
const ExpectedType kTypes[] = {
    {"id", dtInteger, dtInteger},     {"ti", dtInt8, dtInt8},
    {"tb", dtBoolean, dtBoolean},     {"tu", dtWord, dtWord},
    {"tbu", dtBoolean, dtBoolean},    {"si", dtSmallint, dtSmallint},
    {"su", dtWord, dtWord},           {"mi", dtInteger, dtInteger},
    {"mu", dtInteger, dtInteger},     {"i", dtInteger, dtInteger},
    {"iu", dtUInt32, dtUInt32},       {"bi", dtLargeint, dtLargeint},
    {"bu", dtLargeint, dtLargeint},   {"dec1", dtFloat, dtFloat},
    {"fl", dtFloat, dtFloat},         {"db", dtFloat, dtFloat},
    {"b1", dtLargeint, dtLargeint},   {"b8", dtLargeint, dtLargeint},
    {"b64", dtLargeint, dtLargeint},  {"d", dtDate, dtDate},
    {"dt", dtDateTime, dtDateTime},   {"dt6", dtDateTime, dtDateTime},
    {"ts", dtDateTime, dtDateTime},   {"ts3", dtDateTime, dtDateTime},
    {"tm", dtTime, dtTime},           {"y", dtWord, dtWord},
    {"c", dtString, dtWideString},    {"vc", dtString, dtWideString},
    {"bin", dtBytes, dtBytes},        {"vb", dtVarBytes, dtVarBytes},
    {"tt", dtMemo, dtWideMemo},       {"tx", dtMemo, dtWideMemo},
    {"mt", dtMemo, dtWideMemo},       {"bl", dtBlob, dtBlob},
    {"lb", dtBlob, dtBlob},           {"en", dtString, dtWideString},
    {"st", dtString, dtWideString},
};

struct OracleColumn {
  MYSQL_FIELD field;
  std::string name, orgName, orgTable;
};
struct OracleResult {
  std::vector<OracleColumn> columns;
  std::vector<std::vector<std::optional<std::string>>> rows;
};

MYSQL* OracleConnect() {
  const testdb::Settings& db = testdb::Get();
  MYSQL* mysql = mysql_init(nullptr);
  mysql_options(mysql, MYSQL_SET_CHARSET_NAME, "utf8mb4");
  if (!mysql_real_connect(mysql, db.host.c_str(), db.user.c_str(), db.password.c_str(),
                          db.database.c_str(), db.port, nullptr, 0)) {
    ADD_FAILURE() << mysql_error(mysql);
    mysql_close(mysql);
    return nullptr;
  }
  return mysql;
}

void OracleExec(MYSQL* mysql, const std::string& sql) {
  ASSERT_EQ(mysql_query(mysql, sql.c_str()), 0) << mysql_error(mysql) << " in " << sql;
}

OracleResult OracleRead(MYSQL* mysql, const std::string& sql) {
  OracleResult out;
  EXPECT_EQ(mysql_query(mysql, sql.c_str()), 0) << mysql_error(mysql);
  MYSQL_RES* res = mysql_store_result(mysql);
  if (!res) return out;
  const unsigned n = mysql_num_fields(res);
  MYSQL_FIELD* fields = mysql_fetch_fields(res);
  for (unsigned i = 0; i < n; ++i)
    out.columns.push_back({fields[i], fields[i].name, fields[i].org_name, fields[i].org_table});
  while (MYSQL_ROW row = mysql_fetch_row(res)) {
    unsigned long* lengths = mysql_fetch_lengths(res);
    std::vector<std::optional<std::string>> values;
    for (unsigned i = 0; i < n; ++i) {
      if (row[i] == nullptr)
        values.emplace_back(std::nullopt);
      else
        values.emplace_back(std::string(row[i], lengths[i]));
    }
    out.rows.push_back(std::move(values));
  }
  mysql_free_result(res);
  return out;
}

uint64_t BigEndian(const std::string& bytes) {
  uint64_t v = 0;
  for (unsigned char c : bytes) v = (v << 8) | c;
  return v;
}

TBytes Bytes(const std::string& s) { return TBytes(s.begin(), s.end()); }

// The date-time value of the client's text, or nothing for a zero or impossible date.
std::optional<double> DateTimeOf(unsigned type, const std::string& text) {
  if (type == MYSQL_TYPE_TIME) {
    const bool negative = !text.empty() && text[0] == '-';
    unsigned h = 0, m = 0, s = 0;
    std::sscanf(text.c_str() + (negative ? 1 : 0), "%u:%u:%u", &h, &m, &s);
    const double v = h / 24.0 + (m * 60.0 + s) / 86400.0;
    return negative ? -v : v;
  }
  unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char fraction[8] = {0};
  const int got = std::sscanf(text.c_str(), "%u-%u-%u %u:%u:%u.%6[0-9]", &y, &mo, &d, &h, &mi, &s,
                              fraction);
  TDateTime date = 0;
  if (got < 3 || !TryEncodeDate(static_cast<uint16_t>(y), static_cast<uint16_t>(mo),
                                static_cast<uint16_t>(d), date))
    return std::nullopt;
  const unsigned ms = fraction[0] ? static_cast<unsigned>(std::atoi((std::string(fraction) + "00").substr(0, 3).c_str())) : 0;
  const double time = (h * 3600.0 + mi * 60.0 + s) / 86400.0 + ms / 86400000.0;
  return date < 0 ? date - time : date + time;
}

struct Settings {
  bool useUnicode;
  bool nullForZeroDate;
};

class RecordSetTypes : public ::testing::TestWithParam<Settings> {
 protected:
  static void SetUpTestSuite() {
    MYSQL* mysql = OracleConnect();
    ASSERT_NE(mysql, nullptr);
    OracleExec(mysql, "SET SESSION sql_mode = ''");
    OracleExec(mysql, "DROP TABLE IF EXISTS rs_all_types");
    OracleExec(mysql, kCreate);
    for (const char* row : kRows) OracleExec(mysql, std::string("INSERT INTO rs_all_types VALUES ") + row);
    mysql_close(mysql);
  }
  static void TearDownTestSuite() {
    if (MYSQL* mysql = OracleConnect()) {
      mysql_query(mysql, "DROP TABLE IF EXISTS rs_all_types");
      mysql_close(mysql);
    }
  }
};

TEST_P(RecordSetTypes, EveryColumnOfEveryRowAsTheReferenceClientReadsIt) {
  const Settings run = GetParam();
  const std::string sql = "SELECT * FROM rs_all_types ORDER BY id";

  MYSQL* mysql = OracleConnect();
  ASSERT_NE(mysql, nullptr);
  const OracleResult oracle = OracleRead(mysql, sql);
  mysql_close(mysql);
  ASSERT_EQ(oracle.rows.size(), std::size(kRows));

  TMySQLConnection conn;
  ApplyProviderSettings(conn, run.useUnicode);
  conn.Connect(u"");
  conn.ExecSQL(u"SET NAMES utf8mb4");
  TMySQLRecordset rs;
  rs.SetConnection(&conn);
  rs.SetProp(pcFetchAll, true);
  rs.SetProp(pcBinaryAsString, false);
  rs.SetProp(pcNullForZeroDate, run.nullForZeroDate);
  rs.SetSQL(UTF8ToString(sql));
  rs.Open();

  // ---- descriptors ----
  ASSERT_EQ(static_cast<size_t>(rs.FieldCount()), oracle.columns.size());
  ASSERT_EQ(std::size(kTypes), oracle.columns.size());
  for (size_t i = 0; i < oracle.columns.size(); ++i) {
    const OracleColumn& col = oracle.columns[i];
    auto* field = static_cast<TMySQLFieldDesc*>(rs.Fields()[static_cast<int>(i)]);
    SCOPED_TRACE(col.name);
    EXPECT_EQ(col.name, kTypes[i].column);
    EXPECT_EQ(UTF8Encode(field->Name()), col.name);
    EXPECT_EQ(UTF8Encode(field->SourceName()), col.orgName);
    EXPECT_EQ(field->MySQLType(), static_cast<uint32_t>(col.field.type));
    EXPECT_EQ(field->DataType(), run.useUnicode ? kTypes[i].unicode : kTypes[i].ansi);
    EXPECT_EQ(field->IsUnsigned(), (col.field.flags & UNSIGNED_FLAG) != 0);
    EXPECT_EQ(field->IsPrimaryKey(), (col.field.flags & PRI_KEY_FLAG) != 0);
    EXPECT_EQ(field->IsBinary(), (col.field.flags & BINARY_FLAG) != 0);
    EXPECT_EQ(field->Required(), (col.field.flags & NOT_NULL_FLAG) != 0 &&
                                     (col.field.flags & AUTO_INCREMENT_FLAG) == 0 &&
                                     col.field.type != MYSQL_TYPE_TIMESTAMP);
    ASSERT_NE(field->TableInfo(), nullptr);
    EXPECT_EQ(UTF8Encode(field->TableInfo()->TableName()), col.orgTable);
    const TDataTypeCode dt = field->DataType();
    // Character columns count UTF-16 units with Unicode (one for every two bytes of utf8mb4),
    // bytes without.
    const bool counted = dt == dtWideString || dt == dtString || dt == dtBytes || dt == dtVarBytes;
    if (counted) {
      ASSERT_TRUE(col.field.charsetnr == 63 || col.field.charsetnr == 45) << col.field.charsetnr;
      const unsigned long expected =
          run.useUnicode && col.field.charsetnr != 63 ? col.field.length / 2 : col.field.length;
      EXPECT_EQ(field->Length(), expected);
    }
    if (dt == dtFloat) {
      EXPECT_EQ(field->Scale(), col.field.decimals);
    }
  }

  // ---- values ----
  uint8_t* buf = rs.AllocRecBuf();
  rs.SetToBegin();
  for (size_t r = 0; r < oracle.rows.size(); ++r) {
    rs.GetNextRecord(buf);
    ASSERT_FALSE(rs.GetEOF());
    for (size_t i = 0; i < oracle.columns.size(); ++i) {
      const OracleColumn& col = oracle.columns[i];
      const int fieldNo = static_cast<int>(i + 1);
      TFieldDesc* field = rs.Fields()[static_cast<int>(i)];
      SCOPED_TRACE("row " + std::to_string(r + 1) + ", column " + col.name);
      const std::optional<std::string>& value = oracle.rows[r][i];
      if (!value) {
        EXPECT_TRUE(rs.GetNull(fieldNo, buf));
        continue;
      }
      const TDataTypeCode dt = field->DataType();
      if (dt == dtDate || dt == dtTime || dt == dtDateTime) {
        const std::optional<double> expected = DateTimeOf(col.field.type, *value);
        if (!expected) {
          if (run.nullForZeroDate) {
            EXPECT_TRUE(rs.GetNull(fieldNo, buf));
          } else {
            ASSERT_FALSE(rs.GetNull(fieldNo, buf));
            EXPECT_EQ(rs.GetFieldAsVariant(fieldNo, buf).AsDateTime(), MyZeroDateValue);
          }
          continue;
        }
        ASSERT_FALSE(rs.GetNull(fieldNo, buf)) << *value;
        EXPECT_NEAR(rs.GetFieldAsVariant(fieldNo, buf).AsDateTime(), *expected, 1e-9) << *value;
        continue;
      }
      if (dt == dtBlob) {
        EXPECT_EQ(rs.GetBlob(fieldNo, buf)->GetAsBytes(), Bytes(*value));
        continue;
      }
      if (dt == dtMemo) {
        EXPECT_EQ(rs.GetBlob(fieldNo, buf)->GetAsAnsiString(), *value);
        continue;
      }
      ASSERT_FALSE(rs.GetNull(fieldNo, buf)) << *value;
      const Variant v = rs.GetFieldAsVariant(fieldNo, buf);
      const bool bit = col.field.type == MYSQL_TYPE_BIT;
      switch (dt) {
        case dtInt8:
        case dtSmallint:
        case dtInteger:
        case dtLargeint:
          if (bit)
            EXPECT_EQ(static_cast<uint64_t>(v.AsInt64()), BigEndian(*value));
          else if (col.field.flags & UNSIGNED_FLAG)
            EXPECT_EQ(static_cast<uint64_t>(v.AsInt64()), std::strtoull(value->c_str(), nullptr, 10));
          else
            EXPECT_EQ(v.AsInt64(), std::strtoll(value->c_str(), nullptr, 10));
          break;
        case dtWord:
        case dtUInt32:
          EXPECT_EQ(v.AsUInt64(), std::strtoull(value->c_str(), nullptr, 10));
          break;
        case dtBoolean:
          EXPECT_EQ(v.AsBoolean(), std::strtoll(value->c_str(), nullptr, 10) != 0);
          break;
        case dtFloat:
          EXPECT_EQ(v.AsDouble(), std::strtod(value->c_str(), nullptr)) << *value;
          break;
        case dtString:
        case dtExtString:
          EXPECT_EQ(v.AsAnsiString(), *value);
          break;
        case dtWideString:
        case dtExtWideString:
        case dtWideMemo:
          EXPECT_EQ(v.AsString(), UTF8ToString(*value));
          break;
        case dtBytes:
        case dtVarBytes:
        case dtExtVarBytes:
          EXPECT_EQ(v.AsBytes(), Bytes(*value));
          break;
        default:
          ADD_FAILURE() << "no comparison for data type " << dt;
      }
    }
  }
  rs.GetNextRecord(buf);
  EXPECT_TRUE(rs.GetEOF());
  rs.FreeRecBuf(buf);
}

INSTANTIATE_TEST_SUITE_P(Settings, RecordSetTypes,
                         ::testing::Values(Settings{true, true}, Settings{true, false}, Settings{false, true},
                                           Settings{false, false}),
                         [](const ::testing::TestParamInfo<Settings>& info) {
                           return std::string(info.param.useUnicode ? "Unicode" : "Ansi") +
                                  (info.param.nullForZeroDate ? "ZeroDateNull" : "ZeroDateKept");
                         });

// The mapping switches that the table above runs with their defaults.
TEST(RecordSetTypeOptions, TinyIntOneAndBitFollowEnableBooleanAndOptimizedBigInt) {
  TMySQLConnection conn;
  ApplyProviderSettings(conn, false);
  conn.SetProp(pcOptimizedBigInt, true);
  conn.Connect(u"");
  TMySQLRecordset rs;
  rs.SetConnection(&conn);
  rs.SetProp(pcFetchAll, true);
  rs.SetProp(pcEnableBoolean, false);
  conn.ExecSQL(u"CREATE TEMPORARY TABLE flags (tb TINYINT(1), tbu TINYINT(1) UNSIGNED, "
               u"b8 BIT(8), b64 BIT(64), big11 BIGINT(11), big20 BIGINT(20))");
  conn.ExecSQL(u"INSERT INTO flags VALUES (-1, 200, b'00000101', "
               u"b'0000000100000000000000000000000000000000000000000000000000000000', 7, 8)");
  rs.SetSQL(u"SELECT * FROM flags");
  rs.Open();
  EXPECT_EQ(rs.Fields()[0]->DataType(), dtInt8);
  EXPECT_EQ(rs.Fields()[1]->DataType(), dtWord);
  EXPECT_EQ(rs.Fields()[2]->DataType(), dtInteger);   // BIT(8) is narrow enough for 32 bits
  EXPECT_EQ(rs.Fields()[3]->DataType(), dtLargeint);  // BIT(64) is not
  EXPECT_EQ(rs.Fields()[4]->DataType(), dtInteger);
  EXPECT_EQ(rs.Fields()[5]->DataType(), dtLargeint);
  uint8_t* buf = rs.AllocRecBuf();
  rs.SetToBegin();
  rs.GetNextRecord(buf);
  EXPECT_EQ(rs.GetFieldAsVariant(1, buf).AsInteger(), -1);
  EXPECT_EQ(rs.GetFieldAsVariant(2, buf).AsInteger(), 200);
  EXPECT_EQ(rs.GetFieldAsVariant(3, buf).AsInteger(), 5);
  EXPECT_EQ(rs.GetFieldAsVariant(4, buf).AsInt64(), int64_t{1} << 56);
  rs.FreeRecBuf(buf);
}

}  // namespace
