// Server-side prepared statements against the private server: every column type read through the
// prepared record set equals what the text path reads from the same rows; parameters of every type
// arrive exactly as given; one statement runs a thousand times; a prepared record set is reopened
// on its fetch connection; a command is prepared again after its connection came back.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "Common/MemData_Blob.h"
#include "MySql/MyClasses.h"
#include "MySql/MyClasses_Error.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/support/TestDb.h"

namespace {

// A connection on the own engine, or with direct off on the client library.
std::unique_ptr<TMySQLConnection> Open(bool useUnicode = true, bool direct = true) {
  const testdb::Settings& db = testdb::Get();
  auto conn = std::make_unique<TMySQLConnection>();
  conn->SetServer(UTF8ToString(db.host));
  conn->SetProp(pcPort, static_cast<int32_t>(db.port));
  conn->SetUsername(UTF8ToString(db.user));
  conn->SetPassword(UTF8ToString(db.password));
  conn->SetProp(pcDatabase, UTF8ToString(db.database));
  conn->SetProp(pcUseUnicode, useUnicode);
  conn->SetProp(pcDirect, direct);
  conn->Connect(u"");
  conn->ExecSQL(u"SET NAMES utf8mb4");
  conn->ExecSQL(u"SET SESSION sql_mode = ''");
  return conn;
}

const char16_t* const kCreate =
    u"CREATE TABLE pr_types (id INT NOT NULL PRIMARY KEY, ti TINYINT, tb TINYINT(1), "
    u"tu TINYINT UNSIGNED, si SMALLINT, su SMALLINT UNSIGNED, mi MEDIUMINT, mu MEDIUMINT UNSIGNED, "
    u"i INT, iu INT UNSIGNED, bi BIGINT, bu BIGINT UNSIGNED, dec1 DECIMAL(10,2), "
    u"dec65 DECIMAL(65,30), fl FLOAT, db DOUBLE, b1 BIT(1), b8 BIT(8), b64 BIT(64), d DATE, "
    u"dt DATETIME, dt6 DATETIME(6), ts TIMESTAMP NULL, ts3 TIMESTAMP(3) NULL, tm TIME, y YEAR, "
    u"c CHAR(10), vc VARCHAR(50), bin BINARY(4), vb VARBINARY(8), tt TINYTEXT, tx TEXT, "
    u"mt MEDIUMTEXT, bl BLOB, lb LONGBLOB, en ENUM('a','б'), st SET('x','з')) CHARSET utf8mb4";

const char16_t* const kRows[] = {
    u"(1, 5, 1, 200, -300, 60000, -8000000, 16000000, -2000000000, 4000000000, "
    u"-9007199254740993, 18000000000000000000, 12345678.91, "
    u"12345678901234567890123456789012345.123456789012345678901234567891, 1.5, "
    u"3.14159265358979, b'1', b'00000101', b'1000000000000000000000000000000000000000000000000000000000000001', "
    u"'2024-02-29', '2007-01-02 03:04:05', '1950-06-15 23:59:58.123456', '2038-01-19 03:14:07', "
    u"'2001-09-09 01:46:40.5', '100:00:00', 2024, 'Жук', "
    u"CONCAT('Марија ', X'F09F9880', ' Петрова'), x'00FF10AB', x'000102', 'кратко', 'долг текст', "
    u"REPEAT('ш', 70000), x'DEADBEEF00', REPEAT(x'00FF01', 34134), 'б', 'x,з')",
    u"(2, -128, -1, 255, -32768, 65535, -8388608, 16777215, -2147483648, 4294967295, "
    u"-9223372036854775808, 18446744073709551615, -99999999.99, "
    u"-99999999999999999999999999999999999.999999999999999999999999999999, -3.40282e38, "
    u"-1.7976931348623157e308, b'0', b'11111111', "
    u"b'1111111111111111111111111111111111111111111111111111111111111111', '0000-00-00', "
    u"'0000-00-00 00:00:00', '9999-12-31 23:59:59.999999', '1970-01-01 00:00:01', NULL, "
    u"'-838:59:59', 1901, '', '', x'00000000', x'', '', '', '', x'', x'', 'a', '')",
    u"(3, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
    u"NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
    u"NULL, NULL, NULL, NULL, NULL, NULL, NULL)",
    u"(4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, b'0', b'0', b'0', '1000-01-01', "
    u"'1899-12-30 00:00:00', '1899-12-29 12:00:00', '2000-01-01 00:00:00', "
    u"'2000-01-01 00:00:00', '00:00:00', 0, 'a  ', ' b ', x'41', x'7F', ' ', ' ', 'x', x'00', "
    u"x'00', 'б', 'x,з')",
    u"(5, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0.01, 0.000000000000000000000000000001, 1e-10, "
    u"2.2250738585072014e-308, b'1', b'10000000', b'1', '2000-02-30', '2024-13-01 00:00:00', "
    u"'0000-01-01 10:00:00', NULL, NULL, '-00:00:01', 1999, 'ђ''\\\\', "
    u"CONCAT(REPEAT(X'F09F8E81', 40), ' mixed Ёё'), x'FF', x'FFFF', 'т', 'т', 'т', x'FF', x'FF', "
    u"'a', 'x')",
};

// Parameters: UseUnicode, NullForZeroDate, the own engine (or the client library).
class PreparedTypes : public ::testing::TestWithParam<std::tuple<bool, bool, bool>> {
 protected:
  static void SetUpTestSuite() {
    auto conn = Open();
    conn->ExecSQL(u"DROP TABLE IF EXISTS pr_types");
    conn->ExecSQL(kCreate);
    for (const char16_t* row : kRows)
      conn->ExecSQL(String(u"INSERT INTO pr_types VALUES ") + row);
  }
  static void TearDownTestSuite() { Open()->ExecSQL(u"DROP TABLE IF EXISTS pr_types"); }

  std::unique_ptr<TMySQLRecordset> OpenSet(TMySQLConnection& conn, bool prepared) {
    auto rs = std::make_unique<TMySQLRecordset>();
    rs->SetConnection(&conn);
    rs->SetProp(pcFetchAll, true);
    rs->SetProp(pcBinaryAsString, false);
    rs->SetProp(pcNullForZeroDate, std::get<1>(GetParam()));
    rs->SetSQL(u"SELECT * FROM pr_types ORDER BY id");
    if (prepared) rs->Prepare();
    rs->Open();
    return rs;
  }
};

// Both paths, field by field: the same NULLs and the same values.
TEST_P(PreparedTypes, EveryColumnReadsAsTheTextPathReadsIt) {
  auto conn = Open(std::get<0>(GetParam()), std::get<2>(GetParam()));
  auto text = OpenSet(*conn, false);
  auto binary = OpenSet(*conn, true);
  ASSERT_TRUE(binary->MyCommand()->GetPrepared());
  ASSERT_EQ(binary->FieldCount(), text->FieldCount());
  for (int i = 0; i < text->FieldCount(); ++i) {
    SCOPED_TRACE(UTF8Encode(text->Fields()[i]->Name()));
    EXPECT_EQ(binary->Fields()[i]->DataType(), text->Fields()[i]->DataType());
    EXPECT_EQ(binary->Fields()[i]->Size(), text->Fields()[i]->Size());
  }
  ASSERT_EQ(binary->RecordCount(), static_cast<int>(std::size(kRows)));
  uint8_t* a = text->AllocRecBuf();
  uint8_t* b = binary->AllocRecBuf();
  text->SetToBegin();
  binary->SetToBegin();
  for (size_t r = 0; r < std::size(kRows); ++r) {
    text->GetNextRecord(a);
    binary->GetNextRecord(b);
    for (int i = 0; i < text->FieldCount(); ++i) {
      auto* field = static_cast<TMySQLFieldDesc*>(text->Fields()[i]);
      const int no = i + 1;
      SCOPED_TRACE("row " + std::to_string(r + 1) + ", column " + UTF8Encode(field->Name()));
      ASSERT_EQ(binary->GetNull(no, b), text->GetNull(no, a));
      if (text->GetNull(no, a)) continue;
      const TDataTypeCode dt = field->DataType();
      if (dt == dtBlob || dt == dtMemo || dt == dtWideMemo) {
        EXPECT_EQ(binary->GetBlob(no, b)->GetAsBytes(), text->GetBlob(no, a)->GetAsBytes());
        continue;
      }
      const Variant x = text->GetFieldAsVariant(no, a);
      const Variant y = binary->GetFieldAsVariant(no, b);
      if (dt == dtFloat && field->MySQLType() == 4) {
        // FLOAT comes as the server's six-digit text in one path and as the single itself in
        // the other.
        EXPECT_NEAR(y.AsDouble(), x.AsDouble(), std::fabs(x.AsDouble()) * 1e-6);
      } else if (dt == dtFloat) {
        EXPECT_EQ(y.AsDouble(), x.AsDouble());
      } else if (dt == dtDate || dt == dtTime || dt == dtDateTime) {
        EXPECT_NEAR(y.AsDateTime(), x.AsDateTime(), 1e-9);
      } else if (dt == dtBytes || dt == dtVarBytes || dt == dtExtVarBytes) {
        EXPECT_EQ(y.AsBytes(), x.AsBytes());
      } else if (dt == dtLargeint || dt == dtUInt32 || dt == dtInteger) {
        EXPECT_EQ(y.AsInt64(), x.AsInt64());
      } else {
        EXPECT_EQ(y.AsString(), x.AsString());
      }
    }
  }
  text->FreeRecBuf(a);
  binary->FreeRecBuf(b);
}

INSTANTIATE_TEST_SUITE_P(Settings, PreparedTypes,
                         ::testing::Values(std::tuple{true, true, true},
                                           std::tuple{true, false, true},
                                           std::tuple{false, true, true},
                                           std::tuple{true, true, false},
                                           std::tuple{false, false, false}),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) ? "Unicode" : "Ansi") +
                                  (std::get<1>(info.param) ? "ZeroDateNull" : "ZeroDateKept") +
                                  (std::get<2>(info.param) ? "" : "ClientLibrary");
                         });

// ---- parameters ----

// The first column of the first row as the server prints it, through the text path.
std::optional<std::string> One(TMySQLConnection& conn, const std::string& sql) {
  TMySQLAPI* api = conn.API();
  conn.CheckResultFalse(
      api->mysql_real_query(conn.Handle(), sql.data(), static_cast<uint32_t>(sql.size())),
      nullptr);
  PMYSQL_RES result = api->mysql_use_result(conn.Handle());
  if (!result) return std::nullopt;
  std::optional<std::string> value;
  bool first = true;
  while (PMYSQL_ROW row = api->FetchRow(result)) {
    if (first && !api->FieldIsNull(row, 0)) {
      // By its length: a value may hold zero bytes.
      TLenArr lengths;
      api->FetchLengths(result, lengths);
      const auto* bytes = static_cast<const char*>(api->GetFieldPtr(result, row, 0));
      value = std::string(bytes, lengths[0]);
    }
    first = false;
  }
  api->mysql_free_result(result);
  return value;
}

// On the own engine, or (false) on the client library.
class PreparedCommand : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    conn = Open(true, GetParam());
    cmd.SetConnection(conn.get());
  }
  std::unique_ptr<TMySQLConnection> conn;
  TMySQLCommand cmd;
};

TEST_P(PreparedCommand, ParameterValuesOfEveryTypeArriveExactly) {
  struct Case {
    const char* column;
    TDataTypeCode type;
    Variant value;
    std::optional<std::string> expected;
  };
  TBytes bytes = {0, 1, '\'', '\\', '"', 0xFF, 0x1A, '\n'};
  static const char kHostile[] = "it's \\ \"quoted\"\0 \xD0\x96\xD1\x83\xD0\xBA \xF0\x9F\x98\x80";
  const std::string hostile(kHostile, sizeof kHostile - 1);
  const std::vector<Case> cases = {
      {"TINYINT", dtInt8, Variant(int32_t{-128}), "-128"},
      {"TINYINT(1)", dtBoolean, Variant(true), "1"},
      {"SMALLINT", dtSmallint, Variant(int16_t(-32768)), "-32768"},
      {"SMALLINT UNSIGNED", dtWord, Variant(int32_t{65535}), "65535"},
      {"INT", dtInteger, Variant(int32_t(INT32_MIN)), "-2147483648"},
      {"INT UNSIGNED", dtUInt32, Variant(uint32_t{4294967295u}), "4294967295"},
      {"BIGINT", dtLargeint, Variant(int64_t(INT64_MIN)), "-9223372036854775808"},
      {"DOUBLE", dtFloat, Variant(0.1), "0.1"},
      {"DOUBLE", dtFloat, Variant(-1.5e300), "-1.5e300"},
      {"DECIMAL(19,4)", dtCurrency, Variant(Currency::FromRaw(-9223372036854775807LL)),
       "-922337203685477.5807"},
      {"DECIMAL(19,4)", dtBCD, Variant(Currency::FromRaw(123456789)), "12345.6789"},
      {"DATE", dtDate, Variant::FromDate(EncodeDate(1850, 3, 1)), "1850-03-01"},
      {"DATETIME(3)", dtDateTime,
       Variant::FromDate(EncodeDate(2008, 3, 1) + EncodeTime(12, 30, 45, 250)),
       "2008-03-01 12:30:45.250"},
      {"DATETIME", dtDateTime, Variant::FromDate(MyZeroDate), "0000-00-00 00:00:00"},
      {"TIME", dtTime, Variant::FromDate(100.0 / 24 + EncodeTime(0, 0, 1, 0)), "100:00:01"},
      {"TIME", dtTime, Variant::FromDate(-(12.5 / 24)), "-12:30:00"},
      {"VARCHAR(60)", dtWideString, Variant(UTF8ToString(hostile)), hostile},
      {"TEXT", dtMemo, Variant(AnsiString(hostile)), hostile},
      {"VARBINARY(10)", dtVarBytes, Variant(bytes), std::string("\0\1'\\\"\xFF\x1A\n", 8)},
      {"INT", dtInteger, Variant::Null(), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.column) + " " + c.expected.value_or("NULL"));
    conn->ExecSQL(u"DROP TABLE IF EXISTS pr_values");
    conn->ExecSQL(u"CREATE TABLE pr_values (v " + UTF8ToString(c.column) +
                  u" NULL) CHARACTER SET utf8mb4");
    cmd.SetSQL(u"INSERT INTO pr_values (v) VALUES (:v)");
    ASSERT_EQ(cmd.GetParamCount(), 1);
    cmd.GetParam(0)->SetDataType(c.type);
    cmd.GetParam(0)->SetValue(c.value);
    cmd.Prepare();
    ASSERT_TRUE(cmd.GetPrepared());
    cmd.Execute();
    EXPECT_EQ(cmd.RowsAffected(), 1);
    EXPECT_EQ(cmd.GetCursorState(), csInactive);
    cmd.Unprepare();
    EXPECT_EQ(One(*conn, "SELECT v FROM pr_values"), c.expected);
  }
  conn->ExecSQL(u"DROP TABLE pr_values");
}

TEST_P(PreparedCommand, OneStatementRunsAThousandTimesWithChangingValuesAndTypes) {
  conn->ExecSQL(u"DROP TABLE IF EXISTS pr_many");
  conn->ExecSQL(u"CREATE TABLE pr_many (n BIGINT, s VARCHAR(40)) CHARACTER SET utf8mb4");
  cmd.SetSQL(u"INSERT INTO pr_many VALUES (:n, :s)");
  cmd.Prepare();
  int64_t sum = 0;
  for (int i = 0; i < 1000; ++i) {
    // The number changes its type now and then, and the text becomes NULL: the server must be
    // told the new types, never decode a value with the old ones.
    TParamDesc* n = cmd.GetParam(0);
    TParamDesc* s = cmd.GetParam(1);
    if (i % 3 == 0) {
      n->SetDataType(dtLargeint);
      n->SetValue(Variant(int64_t{5000000000} + i));
      sum += 5000000000LL + i;
    } else if (i % 3 == 1) {
      n->SetDataType(dtInteger);
      n->SetValue(Variant(int32_t{-i}));
      sum -= i;
    } else {
      n->SetDataType(dtString);
      n->SetValue(Variant(AnsiString(std::to_string(i))));
      sum += i;
    }
    s->SetDataType(dtWideString);
    if (i % 7 == 0)
      s->SetValue(Variant::Null());
    else
      s->SetValue(Variant(String(u"ред ") + UTF8ToString(std::to_string(i))));
    cmd.Execute();
    ASSERT_EQ(cmd.RowsAffected(), 1) << i;
  }
  EXPECT_EQ(One(*conn, "SELECT COUNT(*) FROM pr_many"), "1000");
  EXPECT_EQ(One(*conn, "SELECT SUM(n) FROM pr_many"), std::to_string(sum));
  EXPECT_EQ(One(*conn, "SELECT COUNT(*) FROM pr_many WHERE s IS NULL"), "143");
  EXPECT_EQ(One(*conn, "SELECT s FROM pr_many WHERE n = 998"), "ред 998");
  conn->ExecSQL(u"DROP TABLE pr_many");
}

TEST_P(PreparedCommand, IsPreparedAgainAfterItsConnectionCameBack) {
  conn->ExecSQL(u"DROP TABLE IF EXISTS pr_again");
  conn->ExecSQL(u"CREATE TABLE pr_again (n INT)");
  cmd.SetSQL(u"INSERT INTO pr_again VALUES (:n)");
  cmd.GetParam(0)->SetDataType(dtInteger);
  cmd.GetParam(0)->SetValue(Variant(int32_t{1}));
  cmd.Prepare();
  cmd.Execute();
  conn->Disconnect();
  conn->Connect(u"");
  // The statement went with the old session: running it fails as a lost connection does,
  // without touching what is gone.
  try {
    cmd.Execute();
    ADD_FAILURE() << "the statement of the closed session ran";
  } catch (const EMyError& e) {
    EXPECT_EQ(e.ErrorCode(), 2013);
  }
  cmd.Unprepare();
  cmd.Prepare();
  cmd.GetParam(0)->SetValue(Variant(int32_t{2}));
  cmd.Execute();
  EXPECT_EQ(cmd.RowsAffected(), 1);
  EXPECT_EQ(One(*conn, "SELECT GROUP_CONCAT(n ORDER BY n) FROM pr_again"), "1,2");
  conn->ExecSQL(u"DROP TABLE pr_again");
}

// A prepared record set read on demand keeps its fetch connection, and with it its statement,
// between openings; its rows come block by block.
INSTANTIATE_TEST_SUITE_P(BackEnds, PreparedCommand, ::testing::Values(true, false),
                         [](const auto& info) {
                           return std::string(info.param ? "OwnEngine" : "ClientLibrary");
                         });

TEST(PreparedRecordSet, ReopensWithNewParameterValuesOnItsFetchConnection) {
  auto conn = Open();
  conn->ExecSQL(u"DROP TABLE IF EXISTS pr_open");
  conn->ExecSQL(u"CREATE TABLE pr_open (n INT, s VARCHAR(10)) CHARACTER SET utf8mb4");
  conn->ExecSQL(u"INSERT INTO pr_open SELECT seq, CONCAT('р', seq) FROM seq_1_to_60");
  TMySQLRecordset rs;
  rs.SetConnection(conn.get());
  rs.SetProp(pcFetchAll, false);
  rs.SetSQL(u"SELECT n, s FROM pr_open WHERE n > :low ORDER BY n");
  rs.MyCommand()->GetParam(0)->SetDataType(dtInteger);
  for (int low : {0, 50, 0}) {
    rs.MyCommand()->GetParam(0)->SetValue(Variant(int32_t{low}));
    if (!rs.Prepared()) rs.Prepare();
    rs.Open();
    rs.FetchAll();
    EXPECT_EQ(rs.RecordCount(), 60 - low);
    uint8_t* buf = rs.AllocRecBuf();
    rs.SetToBegin();
    rs.GetNextRecord(buf);
    EXPECT_EQ(rs.GetFieldAsVariant(1, buf).AsInteger(), low + 1);
    EXPECT_EQ(rs.GetFieldAsVariant(2, buf).AsString(), u"р" + IntToStr(low + 1));
    rs.FreeRecBuf(buf);
    // The main connection stays free while the statement's rows are on the other one.
    EXPECT_EQ(One(*conn, "SELECT 7"), "7");
    rs.Close();
  }
  rs.UnPrepare();
  conn->ExecSQL(u"DROP TABLE pr_open");
}

}  // namespace
