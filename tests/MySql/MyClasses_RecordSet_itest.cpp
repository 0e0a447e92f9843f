// The MySQL record set against the private server: rows opened, described and fetched block by
// block; multiple results; the separate fetch connection and breaking off a long result; the
// statement described without rows; the tables of the statement; exact decimals, compressed
// blobs and the newest time stamp.
#include "MySql/MyClasses_RecordSet.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "MySql/MyClasses.h"
#include "MySql/MyClasses_Error.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/TickCount.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

std::unique_ptr<TMySQLConnection> Connect(bool useUnicode = true) {
  return ConnectProvider(useUnicode);
}

// The first column of every record, as text (NULL as "<null>").
std::vector<String> Column(TMySQLRecordset& rs, int fieldNo = 1) {
  std::vector<String> values;
  uint8_t* buf = rs.AllocRecBuf();
  rs.SetToBegin();
  for (rs.GetNextRecord(buf); !rs.GetEOF(); rs.GetNextRecord(buf)) {
    Variant v = rs.GetFieldAsVariant(fieldNo, buf);
    values.push_back(v.IsNull() ? String(u"<null>") : v.AsString());
  }
  rs.FreeRecBuf(buf);
  return values;
}

String One(TMySQLConnection& conn, const String& sql) {
  TMySQLRecordset rs;
  rs.SetConnection(&conn);
  rs.SetProp(pcFetchAll, true);
  rs.SetSQL(sql);
  rs.Open();
  std::vector<String> values = Column(rs);
  return values.empty() ? String(u"<none>") : values[0];
}

class MyRecordSet : public ::testing::Test {
 protected:
  void SetUp() override {
    conn = Connect();
    conn->ExecSQL(u"SET SESSION sql_mode = ''");
  }

  std::unique_ptr<TMySQLRecordset> Make(const String& sql, bool fetchAll = true) {
    auto rs = std::make_unique<TMySQLRecordset>();
    rs->SetConnection(conn.get());
    rs->SetProp(pcFetchAll, fetchAll);
    rs->SetSQL(sql);
    return rs;
  }

  std::unique_ptr<TMySQLConnection> conn;
};

TEST_F(MyRecordSet, OpensASelectAndReadsItsRowsWithTypedValues) {
  conn->ExecSQL(
      u"CREATE TEMPORARY TABLE donation (id INT NOT NULL PRIMARY KEY, donor VARCHAR(40), "
      u"amount DOUBLE, given DATETIME, note TEXT) CHARSET utf8mb4");
  conn->ExecSQL(
      u"INSERT INTO donation VALUES (1, 'Марија', 100.5, '2024-03-01 10:00:00', 'first'), "
      u"(2, 'Petar', 20, NULL, NULL)");
  auto rs = Make(u"SELECT * FROM donation ORDER BY id");
  rs->Open();
  ASSERT_EQ(rs->FieldCount(), 5);
  auto* id = static_cast<TMySQLFieldDesc*>(rs->Fields()[0]);
  EXPECT_EQ(id->Name(), u"id");
  EXPECT_EQ(id->DataType(), dtInteger);
  EXPECT_TRUE(id->IsPrimaryKey());
  EXPECT_TRUE(id->Required());
  EXPECT_EQ(rs->Fields()[1]->DataType(), dtWideString);
  EXPECT_EQ(rs->Fields()[1]->Length(), 40 * 4 / 2);  // room for 40 four-byte characters
  EXPECT_EQ(rs->Fields()[4]->DataType(), dtWideMemo);
  EXPECT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(Column(*rs, 2), (std::vector<String>{u"Марија", u"Petar"}));
  EXPECT_EQ(Column(*rs, 5), (std::vector<String>{u"first", u"<null>"}));

  uint8_t* buf = rs->AllocRecBuf();
  rs->SetToBegin();
  rs->GetNextRecord(buf);
  EXPECT_EQ(rs->GetFieldAsVariant(3, buf).AsDouble(), 100.5);
  EXPECT_EQ(rs->GetFieldAsVariant(4, buf).AsDateTime(),
            EncodeDate(2024, 3, 1) + EncodeTime(10, 0, 0, 0));
  rs->FreeRecBuf(buf);
  EXPECT_EQ(rs->TablesInfo().GetCount(), 1);
  EXPECT_EQ(id->TableInfo()->TableName(), u"donation");
  rs->Close();
  // The connection is free again for the next statement.
  EXPECT_EQ(One(*conn, u"SELECT COUNT(*) FROM donation"), u"2");
}

TEST_F(MyRecordSet, FetchesOnDemandInBlocksOfFetchRows) {
  auto rs = Make(u"SELECT seq FROM seq_1_to_60", false);
  rs->SetProp(pcCreateConnection, false);
  rs->SetProp(pcFetchRows, 25);
  rs->Open();  // the first block comes with the open
  EXPECT_EQ(rs->RecordCount(), 25);
  EXPECT_TRUE(rs->Fetch(false));
  EXPECT_EQ(rs->RecordCount(), 50);
  EXPECT_TRUE(rs->Fetch(false));
  EXPECT_EQ(rs->RecordCount(), 60);
  EXPECT_FALSE(rs->Fetch(false));
  EXPECT_EQ(rs->RecordCount(), 60);
  std::vector<String> values = Column(*rs);
  ASSERT_EQ(values.size(), 60u);
  EXPECT_EQ(values.front(), u"1");
  EXPECT_EQ(values.back(), u"60");
  EXPECT_TRUE(rs->IsCursorIdle());
}

TEST_F(MyRecordSet, AStatementWithoutRowsCannotBeFetched) {
  conn->ExecSQL(u"CREATE TEMPORARY TABLE t (a INT)");
  auto rs = Make(u"INSERT INTO t VALUES (1)");
  try {
    rs->Open();
    FAIL() << "an INSERT opened as rows";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Query must return exactly result set - use Execute");
  }
  EXPECT_EQ(One(*conn, u"SELECT COUNT(*) FROM t"), u"1");
}

TEST_F(MyRecordSet, AServerErrorRaisesAndTheConnectionStaysUsable) {
  auto rs = Make(u"SELECT * FROM no_such_table");
  try {
    rs->Open();
    FAIL() << "no error";
  } catch (const EMyError& e) {
    EXPECT_EQ(e.ErrorCode(), 1146);
  }
  EXPECT_FALSE(rs->Active());
  EXPECT_EQ(One(*conn, u"SELECT 7"), u"7");
}

TEST_F(MyRecordSet, ResultsOfABatchOpenOneAfterTheOther) {
  for (bool ownConnection : {true, false}) {
    SCOPED_TRACE(ownConnection ? "fetch connection" : "main connection");
    auto rs = Make(u"SELECT 1 AS a; SELECT 'two' AS b, 3 AS c", false);
    rs->SetProp(pcCreateConnection, ownConnection);
    rs->Open();
    EXPECT_EQ(Column(*rs), std::vector<String>{u"1"});
    rs->Close();
    Variant more;
    rs->GetProp(pcMoreResults, more);
    ASSERT_TRUE(more.AsBoolean());
    rs->SetProp(pcOpenNext, true);
    rs->Open();
    rs->SetProp(pcOpenNext, false);
    ASSERT_EQ(rs->FieldCount(), 2);
    EXPECT_EQ(rs->Fields()[0]->Name(), u"b");
    EXPECT_EQ(Column(*rs), std::vector<String>{u"two"});
    rs->Close();
    rs->GetProp(pcMoreResults, more);
    EXPECT_FALSE(more.AsBoolean());
    // Asking for a next result that is not there opens nothing and runs nothing again.
    rs->SetProp(pcOpenNext, true);
    EXPECT_THROW(rs->Open(), EDatabaseError);
    rs->SetProp(pcOpenNext, false);
    EXPECT_EQ(One(*conn, u"SELECT 5"), u"5");
  }
}

TEST_F(MyRecordSet, AResultLeftPendingIsGivenUpWhenTheStatementRunsAgain) {
  auto rs = Make(u"SELECT 1; SELECT 2", false);
  rs->SetProp(pcCreateConnection, false);
  rs->Open();
  rs->Close();  // the second result waits for an OpenNext that does not come
  rs->Open();
  EXPECT_EQ(Column(*rs), std::vector<String>{u"1"});
  rs->Close();
  rs.reset();
  EXPECT_EQ(One(*conn, u"SELECT 6"), u"6");
}

TEST_F(MyRecordSet, FetchingAllGivesUpTheRestOfABatchOnClose) {
  auto rs = Make(u"SELECT 1; SELECT 2; SELECT 3");
  rs->Open();
  EXPECT_EQ(Column(*rs), std::vector<String>{u"1"});
  rs->Close();
  EXPECT_EQ(One(*conn, u"SELECT 4"), u"4");
}

TEST_F(MyRecordSet, RowlessStatementsBeforeTheRowsArePassedOver) {
  auto rs = Make(u"SET @x = 41; SELECT @x + 1");
  rs->Open();
  EXPECT_EQ(Column(*rs), std::vector<String>{u"42"});
}

// ---- reading on demand and breaking off ----

constexpr const char16_t* kLongSelect = u"SELECT seq, REPEAT('x', 100) AS pad FROM seq_1_to_2000000";

bool ThreadAlive(TMySQLConnection& conn, int threadId) {
  return One(conn, u"SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = " +
                       UTF8ToString(std::to_string(threadId))) != u"0";
}

TEST_F(MyRecordSet, OnDemandRowsComeOverAConnectionOfTheirOwnThatIsKilledWhenAbandoned) {
  auto rs = Make(kLongSelect, false);
  rs->Open();
  EXPECT_EQ(rs->RecordCount(), 25);
  TMySQLConnection* fetch = rs->MyCommand()->MyConnection();
  ASSERT_NE(fetch, conn.get());
  EXPECT_EQ(rs->SavedConnection(), conn.get());
  EXPECT_TRUE(fetch->FetchConnection());
  EXPECT_TRUE(rs->KillAllowed());
  const int fetchThread = fetch->API()->mysql_thread_id(fetch->Handle());
  // The main connection runs other statements while the rows wait.
  EXPECT_EQ(One(*conn, u"SELECT 11"), u"11");
  EXPECT_TRUE(ThreadAlive(*conn, fetchThread));

  rs->Close();
  EXPECT_EQ(rs->MyCommand()->MyConnection(), conn.get());
  EXPECT_EQ(rs->SavedConnection(), nullptr);
  EXPECT_EQ(One(*conn, u"SELECT 12"), u"12");
  // The server ends the killed session on its own schedule; it must be gone within a while.
  bool alive = true;
  for (int i = 0; i < 100 && alive; ++i) {
    alive = ThreadAlive(*conn, fetchThread);
    if (alive) Sleep(100);
  }
  EXPECT_FALSE(alive);
  // The record set opens again as before.
  rs->SetSQL(u"SELECT seq FROM seq_1_to_3");
  rs->Open();
  EXPECT_EQ(Column(*rs), (std::vector<String>{u"1", u"2", u"3"}));
}

TEST_F(MyRecordSet, ABreakOnTheMainConnectionStopsTheStatementAndKeepsTheSession) {
  conn->ExecSQL(u"SET @kept = 'session'");
  conn->ExecSQL(u"CREATE TEMPORARY TABLE mine (a INT)");
  auto rs = Make(kLongSelect, false);
  rs->SetProp(pcCreateConnection, false);
  rs->SetProp(pcFetchRows, 100);
  rs->Open();
  EXPECT_TRUE(rs->Fetch(false));
  EXPECT_EQ(rs->RecordCount(), 200);
  rs->BreakFetch();
  EXPECT_FALSE(rs->Fetch(false));
  EXPECT_EQ(rs->RecordCount(), 200);
  rs->Close();
  EXPECT_EQ(One(*conn, u"SELECT @kept"), u"session");
  EXPECT_EQ(One(*conn, u"SELECT COUNT(*) FROM mine"), u"0");
  EXPECT_EQ(One(*conn, u"SELECT COUNT(*) FROM seq_1_to_10"), u"10");
}

TEST_F(MyRecordSet, AllRowsReadOnDemandHandTheFetchConnectionBack) {
  bool handedOut = false;
  bool handedBack = false;
  TMySQLConnection pooled;
  pooled.Assign(*conn);
  conn->SetOnGetFetchConnection([&] {
    handedOut = true;
    return &pooled;
  });
  conn->SetOnReleaseFetchConnection([&](TMySQLConnection* back) {
    EXPECT_EQ(back, &pooled);
    EXPECT_TRUE(back->IsValid());
    handedBack = true;
  });
  auto rs = Make(u"SELECT seq FROM seq_1_to_60", false);
  rs->Open();
  EXPECT_TRUE(handedOut);
  EXPECT_FALSE(handedBack);
  rs->FetchAll();
  EXPECT_EQ(rs->RecordCount(), 60);
  EXPECT_TRUE(handedBack);
  EXPECT_EQ(rs->MyCommand()->MyConnection(), conn.get());
  rs->Close();
  pooled.Disconnect();
}

// ---- fields described before the statement runs ----

TEST(MyRecordSetLimitZero, TheTextThatDescribesWithoutRows) {
  struct Case {
    const char16_t* sql;
    const char16_t* expected;
  } cases[] = {
      {u"SELECT * FROM t", u"SELECT * FROM t LIMIT 0"},
      {u"SELECT * FROM t;", u"SELECT * FROM t LIMIT 0 ;"},
      {u"SELECT * FROM t FOR UPDATE", u"SELECT * FROM t LIMIT 0 FOR UPDATE"},
      {u"SELECT * FROM t LOCK IN SHARE MODE", u"SELECT * FROM t LIMIT 0 LOCK IN SHARE MODE"},
      {u"SELECT * FROM t LIMIT 10", u"SELECT * FROM t LIMIT 0"},
      {u"SELECT * FROM t LIMIT 5, 10", u"SELECT * FROM t LIMIT 0, 10"},
      {u"SELECT * FROM t LIMIT ?", u"SELECT * FROM t LIMIT ?"},
      {u"SELECT 'LIMIT 3' FROM t", u"SELECT 'LIMIT 3' FROM t LIMIT 0"},
      {u"SELECT a /* for */ FROM t", u"SELECT a /* for */ FROM t LIMIT 0"},
      {u"SET @a = 1; SELECT @a", u"SET @a = 1; SELECT @a"},
      {u"DO 1; SELECT 2", u"DO 1; SELECT 2"},
      {u"SHOW TABLES", u"SHOW TABLES"},
      {u"UPDATE t SET a = 1", u"UPDATE t SET a = 1"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TMySQLRecordset::LimitZeroSQL(c.sql), c.expected) << UTF8Encode(c.sql);
}

TEST_F(MyRecordSet, FieldsAreDescribedWithoutRunningTheStatementForRows) {
  conn->ExecSQL(u"CREATE TEMPORARY TABLE src (a INT, b VARCHAR(5))");
  conn->ExecSQL(u"INSERT INTO src VALUES (1, 'x'), (2, 'y')");
  auto rs = Make(u"SELECT a, b FROM src LIMIT 1");
  rs->InitFields();
  ASSERT_EQ(rs->FieldCount(), 2);
  EXPECT_EQ(rs->Fields()[0]->DataType(), dtInteger);
  EXPECT_EQ(rs->Fields()[1]->Name(), u"b");
  EXPECT_EQ(rs->MyCommand()->GetCursorState(), csInactive);
  EXPECT_EQ(rs->MyCommand()->SQL(), u"SELECT a, b FROM src LIMIT 1");
  // The session is free: nothing of the describing statement is left unread.
  EXPECT_EQ(One(*conn, u"SELECT COUNT(*) FROM src"), u"2");
  rs->Open();
  EXPECT_EQ(Column(*rs), std::vector<String>{u"1"});
}

TEST_F(MyRecordSet, ParametersKeepTheirValuesWhenFieldsAreDescribed) {
  auto rs = Make(u"SELECT :v + 1 AS n");
  ASSERT_EQ(rs->MyCommand()->GetParamCount(), 1);
  rs->MyCommand()->GetParam(0)->SetDataType(dtInteger);
  rs->MyCommand()->GetParam(0)->SetValue(Variant(41));
  rs->InitFields();
  EXPECT_EQ(rs->Fields()[0]->Name(), u"n");
  rs->Open();
  EXPECT_EQ(Column(*rs), std::vector<String>{u"42"});
}

// ---- tables of the statement ----

TEST_F(MyRecordSet, TablesAndAliasesOfTheStatement) {
  conn->ExecSQL(u"CREATE TEMPORARY TABLE person (id INT PRIMARY KEY, name VARCHAR(20))");
  conn->ExecSQL(u"CREATE TEMPORARY TABLE gift (id INT PRIMARY KEY, person_id INT)");
  auto rs = Make(u"SELECT p.name, g.id FROM person p, gift AS g WHERE g.person_id = p.id");
  rs->Open();
  ASSERT_EQ(rs->TablesInfo().GetCount(), 2);
  TLxTableInfo* person = static_cast<TLxFieldDesc*>(rs->Fields()[0])->TableInfo();
  TLxTableInfo* gift = static_cast<TLxFieldDesc*>(rs->Fields()[1])->TableInfo();
  ASSERT_NE(person, nullptr);
  ASSERT_NE(gift, nullptr);
  EXPECT_EQ(person->TableName(), u"person");
  EXPECT_EQ(person->TableAlias(), u"p");
  EXPECT_EQ(gift->TableName(), u"gift");
  EXPECT_EQ(gift->TableAlias(), u"g");
  EXPECT_FALSE(person->IsView());
  EXPECT_EQ(person->GetTableNameFull(), u"person");
}

TEST_F(MyRecordSet, AViewsColumnsBelongToTheViewAsTheServerNamesIt) {
  // This server names the view itself as the underlying table of a view's columns, so the view
  // is read like a table of that name and its column names are the view's.
  conn->ExecSQL(u"DROP VIEW IF EXISTS rs_person_view");
  conn->ExecSQL(u"DROP TABLE IF EXISTS rs_person");
  conn->ExecSQL(u"CREATE TABLE rs_person (id INT PRIMARY KEY, name VARCHAR(20))");
  conn->ExecSQL(u"CREATE VIEW rs_person_view AS SELECT id AS pid, name FROM rs_person");
  auto rs = Make(u"SELECT v.pid, v.name FROM rs_person_view v");
  rs->Open();
  auto* pid = static_cast<TLxFieldDesc*>(rs->Fields()[0]);
  ASSERT_NE(pid->TableInfo(), nullptr);
  EXPECT_EQ(pid->TableInfo()->TableName(), u"rs_person_view");
  EXPECT_EQ(pid->TableInfo()->TableAlias(), u"v");
  EXPECT_EQ(pid->SourceName(), u"pid");
  EXPECT_EQ(rs->TablesInfo().GetCount(), 1);
  rs->Close();
  conn->ExecSQL(u"DROP VIEW rs_person_view");
  conn->ExecSQL(u"DROP TABLE rs_person");
}

TEST_F(MyRecordSet, TheNewestTimeStampOfATableIsKeptWhileRowsAreRead) {
  conn->ExecSQL(u"CREATE TEMPORARY TABLE stamped (id INT, changed TIMESTAMP NULL)");
  conn->ExecSQL(u"INSERT INTO stamped VALUES (1, '2024-01-05 10:00:00'), "
                u"(2, '2024-06-01 08:30:00'), (3, '2023-12-31 23:59:59'), (4, NULL)");
  auto rs = Make(u"SELECT id, changed FROM stamped");
  rs->Open();
  auto* table = dynamic_cast<TMyTableInfo*>(
      static_cast<TLxFieldDesc*>(rs->Fields()[1])->TableInfo());
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->TimestampField(), rs->Fields()[1]);
  EXPECT_EQ(table->MaxTimestamp(), EncodeDate(2024, 6, 1) + EncodeTime(8, 30, 0, 0));
  rs->Close();
  EXPECT_EQ(table->MaxTimestamp(), 0.0);
}

// ---- exact decimals and compressed blobs ----

TEST_F(MyRecordSet, DecimalsAsCurrencyAndAsBcdWhateverTheLocaleSeparator) {
  TFormatSettings saved = FormatSettings();
  FormatSettings().DecimalSeparator = u',';
  FormatSettings().ThousandSeparator = u'.';
  struct RestoreLocale {
    TFormatSettings saved;
    ~RestoreLocale() { FormatSettings() = saved; }
  } restore{saved};

  conn->SetProp(pcEnableBCD, true);
  auto rs = Make(u"SELECT CAST(12.50 AS DECIMAL(10,2)) AS a, CAST(-0.0001 AS DECIMAL(10,4)) AS b");
  rs->Open();
  ASSERT_EQ(rs->Fields()[0]->DataType(), dtBCD);
  uint8_t* buf = rs->AllocRecBuf();
  rs->SetToBegin();
  rs->GetNextRecord(buf);
  EXPECT_EQ(rs->GetFieldAsVariant(1, buf).AsCurrency(), Currency::FromRaw(125000));
  EXPECT_EQ(rs->GetFieldAsVariant(2, buf).AsCurrency(), Currency::FromRaw(-1));
  rs->FreeRecBuf(buf);
  rs->Close();

  conn->SetProp(pcEnableBCD, false);
  conn->SetProp(pcEnableFMTBCD, true);
  auto big = Make(u"SELECT CAST('12345678901234567890.123456' AS DECIMAL(30,6)) AS v");
  big->Open();
  ASSERT_EQ(big->Fields()[0]->DataType(), dtFMTBCD);
  buf = big->AllocRecBuf();
  big->SetToBegin();
  big->GetNextRecord(buf);
  TFormatSettings point = FormatSettings();
  point.DecimalSeparator = u'.';
  EXPECT_EQ(BcdToStr(big->GetFieldAsVariant(1, buf).AsBcd(), point), u"12345678901234567890.123456");
  big->FreeRecBuf(buf);
}

TEST_F(MyRecordSet, BlobsOfACompressingCommandAreHeldCompressed) {
  const String text(5000, u'z');
  auto rs = Make(u"SELECT REPEAT('z', 5000) AS big, CAST(NULL AS BINARY) AS none");
  rs->SetProp(pcCompressBlobMode, static_cast<int32_t>(cbClient));
  rs->SetProp(pcLongStrings, false);
  rs->Open();
  ASSERT_TRUE(rs->IsBlobFieldType(rs->Fields()[0]->DataType()));
  uint8_t* buf = rs->AllocRecBuf();
  rs->SetToBegin();
  rs->GetNextRecord(buf);
  auto* blob = dynamic_cast<TCompressedBlob*>(rs->GetBlob(1, buf));
  ASSERT_NE(blob, nullptr);
  EXPECT_TRUE(blob->GetCompressed());
  EXPECT_EQ(rs->GetFieldAsVariant(1, buf).AsString(), text);
  rs->FreeRecBuf(buf);
}

// A column the server keeps compressed holds bytes from outside: a header that states more than
// its stream can inflate to, or one cut short, is read as the bytes it is.
TEST_F(MyRecordSet, ServerCompressedColumnsBelieveNoImplausibleHeader) {
  const std::string guid = "398C9DF158554938A65287CEE0C6DA7E";
  const std::string tails[] = {"FFFFFFFF789C010203040506", "FFFF", "FFFFFFFF", ""};
  conn->ExecSQL(u"CREATE TEMPORARY TABLE packed (id INT, b BLOB)");
  for (size_t i = 0; i < std::size(tails); ++i)
    conn->ExecSQL(u"INSERT INTO packed VALUES (" + IntToStr(static_cast<int64_t>(i)) +
                  u", UNHEX('" + UTF8ToString(guid + tails[i]) + u"'))");
  auto rs = Make(u"SELECT b FROM packed ORDER BY id");
  rs->SetProp(pcCompressBlobMode, static_cast<int32_t>(cbServer));
  rs->Open();
  ASSERT_TRUE(rs->IsBlobFieldType(rs->Fields()[0]->DataType()));
  std::vector<std::string> read;
  uint8_t* buf = rs->AllocRecBuf();
  rs->SetToBegin();
  for (rs->GetNextRecord(buf); !rs->GetEOF(); rs->GetNextRecord(buf)) {
    auto* blob = dynamic_cast<TCompressedBlob*>(rs->GetBlob(1, buf));
    if (blob == nullptr) break;
    EXPECT_FALSE(blob->GetCompressed());
    std::string hex;
    for (uint8_t b : blob->GetAsBytes()) {
      static const char digits[] = "0123456789ABCDEF";
      hex += digits[b >> 4];
      hex += digits[b & 15];
    }
    EXPECT_EQ(blob->GetSize(), hex.size() / 2);
    read.push_back(hex);
  }
  rs->FreeRecBuf(buf);
  ASSERT_EQ(read.size(), std::size(tails));
  for (size_t i = 0; i < std::size(tails); ++i) EXPECT_EQ(read[i], guid + tails[i]);
}

// ---- a conversion failure part-way ----

TEST_F(MyRecordSet, AMalformedValueStopsTheFetchButKeepsTheRowsBeforeIt) {
  conn->ExecSQL(u"CREATE TEMPORARY TABLE latin (id INT, t VARCHAR(10)) CHARSET latin1");
  conn->ExecSQL(u"INSERT INTO latin VALUES (1, 'a'), (2, 'b'), (3, 'caf\u00e9'), (4, 'd')");
  // Without conversion of results the latin1 byte arrives as it is stored: no UTF-8.
  conn->ExecSQL(u"SET character_set_results = NULL");
  auto rs = Make(u"SELECT id, t FROM latin ORDER BY id", false);
  rs->SetProp(pcCreateConnection, false);
  EXPECT_THROW(rs->Open(), Exception);
  conn->ExecSQL(u"SET NAMES utf8mb4");
  EXPECT_EQ(One(*conn, u"SELECT COUNT(*) FROM latin"), u"4");

  conn->ExecSQL(u"SET character_set_results = NULL");
  auto later = Make(u"SELECT id, t FROM latin ORDER BY id", false);
  later->SetProp(pcCreateConnection, false);
  later->SetProp(pcFetchRows, 2);
  later->Open();
  EXPECT_THROW(later->FetchAll(), Exception);
  EXPECT_EQ(Column(*later), (std::vector<String>{u"1", u"2"}));
}

}  // namespace
