// Text rows of the private server converted into records through the own-protocol call table:
// the field descriptions, the values as the store reads them back, nulls and zero dates.
#include "MySql/MyClasses_RecordSetRow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "MySql/MyClasses_RecordSetFields.h"
#include "MySql/MySqlApiDirect.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/support/TestDb.h"

namespace {

// A store whose fields are the columns of one result.
class ResultStore : public TMemData {
 public:
  ResultStore(TMySQLAPI& api, PMYSQL_RES result, TMyFieldOptions options)
      : FApi(api), FResult(result), FOptions(options) {}
  TFieldDescClass GetFieldDescClass() override { return &TMySQLFieldDesc::Create; }
  void DetectCommandType() override {
    for (int i = 0; i < FApi.mysql_num_fields(FResult); ++i) {
      TMYSQL_FIELD column;
      FApi.GetFieldInfo(FResult, i, column, true);
      auto* field = static_cast<TMySQLFieldDesc*>(GetFieldDescClass()());
      FillMySQLFieldDesc(*field, column, MapFieldType(column, FOptions));
      field->SetColumnIndex(static_cast<int16_t>(i));
      Fields().Add(field);
    }
  }

 private:
  TMySQLAPI& FApi;
  PMYSQL_RES FResult;
  TMyFieldOptions FOptions;
};

class MyRecordSetRow : public ::testing::Test {
 protected:
  void SetUp() override {
    const testdb::Settings& db = testdb::Get();
    api.Initialize();
    con = api.mysql_init(nullptr);
    ASSERT_EQ(api.mysql_real_connect(con, db.host.c_str(), db.user.c_str(), db.password.c_str(),
                                     db.database.c_str(), static_cast<int>(db.port), nullptr, 0),
              con)
        << api.mysql_error(con);
    Exec("SET NAMES utf8mb4");
    Exec("SET SESSION sql_mode = ''");
    Exec("CREATE TEMPORARY TABLE rs_types (id INT NOT NULL PRIMARY KEY, flag TINYINT(1), "
         "u INT UNSIGNED, big BIGINT, bits BIT(8), d DOUBLE, dt DATETIME(3), ts TIMESTAMP(6) NULL, "
         "tm TIME, dz DATE, name VARCHAR(20), memo TEXT, vb VARBINARY(8)) CHARSET utf8mb4");
    Exec("INSERT INTO rs_types VALUES (1, 1, 4294967295, -9007199254740993, b'00000101', 1.5e3, "
         "'2007-01-02 03:04:05.678', '2007-01-02 03:04:05.123456', '-12:30:00', '2024-02-29', "
         "'\xD0\x96\xD1\x83\xD0\xBA', 'long \xD0\xB6 text', x'00FF10'),"
         "(2, 0, 0, 0, b'0', 0, '0000-00-00 00:00:00', NULL, '00:00:00', '0000-00-00', '', '', ''),"
         "(3, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
  }
  void TearDown() override {
    if (con) api.mysql_close(con);
  }
  void Exec(const std::string& sql) {
    ASSERT_EQ(api.mysql_real_query(con, sql.c_str(), static_cast<uint32_t>(sql.size())), 0)
        << api.mysql_error(con);
  }

  // Runs the query, converts every row and hands each record to check (row number from 0).
  template <class Check>
  void ForEachRow(const TMyFieldOptions& options, bool nullForZeroDate, Check check) {
    Exec("SELECT * FROM rs_types ORDER BY id");
    PMYSQL_RES result = api.mysql_use_result(con);
    ASSERT_NE(result, nullptr);
    ResultStore store(api, result, options);
    store.InitFields();
    TMyRowConverter converter(store, api);
    converter.UseUnicode = options.UseUnicode;
    converter.NullForZeroDate = nullForZeroDate;
    int n = 0;
    for (PMYSQL_ROW row = api.FetchRow(result); row; row = api.FetchRow(result), ++n) {
      uint8_t* rec = store.AllocRecBuf();
      std::memset(rec, 0, static_cast<size_t>(store.RecordSize()));
      converter.ConvertTextRow(rec, result, row);
      check(store, rec, n);
      store.FreeComplexFields(rec, true);
      store.FreeRecBuf(rec);
    }
    EXPECT_EQ(n, 3);
    api.mysql_free_result(result);
  }

  TMySQLAPIDirect& api = MySQLAPIDirect();
  PMYSQL_CON con = nullptr;
};

Variant Value(TData& store, uint8_t* rec, const char16_t* name) {
  return store.GetFieldAsVariant(store.FieldByName(name)->FieldNo(), rec);
}

TEST_F(MyRecordSetRow, ValuesReadBackAsTheServerSentThem) {
  for (bool unicode : {false, true}) {
    TMyFieldOptions options;
    options.UseUnicode = unicode;
    ForEachRow(options, true, [&](TData& store, uint8_t* rec, int n) {
      SCOPED_TRACE(unicode ? "Unicode" : "single-byte");
      EXPECT_EQ(store.FieldByName(u"flag")->DataType(), dtBoolean);
      EXPECT_EQ(store.FieldByName(u"name")->DataType(), unicode ? dtWideString : dtString);
      EXPECT_TRUE(static_cast<TMySQLFieldDesc*>(store.FieldByName(u"id"))->IsPrimaryKey());
      if (n == 0) {
        EXPECT_EQ(Value(store, rec, u"id").AsInteger(), 1);
        EXPECT_TRUE(Value(store, rec, u"flag").AsBoolean());
        EXPECT_EQ(Value(store, rec, u"u").AsInt64(), 4294967295LL);
        EXPECT_EQ(Value(store, rec, u"big").AsInt64(), -9007199254740993LL);
        EXPECT_EQ(Value(store, rec, u"bits").AsInt64(), 5);
        EXPECT_EQ(Value(store, rec, u"d").AsDouble(), 1500.0);
        EXPECT_NEAR(Value(store, rec, u"dt").AsDouble(),
                    EncodeDate(2007, 1, 2) + EncodeTime(3, 4, 5, 678), 1e-9);
        EXPECT_NEAR(Value(store, rec, u"ts").AsDouble(),
                    EncodeDate(2007, 1, 2) + EncodeTime(3, 4, 5, 123), 1e-9);
        EXPECT_NEAR(Value(store, rec, u"tm").AsDouble(), -(12 / 24.0 + 30 * 60 / 86400.0), 1e-9);
        EXPECT_EQ(Value(store, rec, u"dz").AsDouble(), EncodeDate(2024, 2, 29));
        EXPECT_EQ(Value(store, rec, u"name").AsString(), u"\u0416\u0443\u043A") << "Cyrillic intact";
        EXPECT_EQ(Value(store, rec, u"memo").AsString(), u"long \u0436 text");
        EXPECT_EQ(store.FieldByName(u"vb")->DataType(), dtString) << "BinaryAsString by default";
      } else if (n == 1) {
        EXPECT_FALSE(Value(store, rec, u"flag").AsBoolean());
        EXPECT_TRUE(Value(store, rec, u"dt").IsNull()) << "zero date with NullForZeroDate";
        EXPECT_TRUE(Value(store, rec, u"dz").IsNull());
        EXPECT_EQ(Value(store, rec, u"tm").AsDouble(), 0.0) << "midnight is a time, not NULL";
        EXPECT_EQ(Value(store, rec, u"name").AsString(), u"");
        EXPECT_FALSE(Value(store, rec, u"name").IsNull());
      } else {
        for (const char* name : {"flag", "u", "big", "bits", "d", "dt", "ts", "tm", "dz", "name",
                                 "memo", "vb"})
          EXPECT_TRUE(Value(store, rec, S(name).c_str()).IsNull()) << name;
      }
    });
  }
}

TEST_F(MyRecordSetRow, ZeroDatesWithoutNullForZeroDateAreTheFirstDay) {
  ForEachRow(TMyFieldOptions{}, false, [&](TData& store, uint8_t* rec, int n) {
    if (n != 1) return;
    EXPECT_EQ(Value(store, rec, u"dz").AsDouble(), EncodeDate(1, 1, 1));
    EXPECT_EQ(Value(store, rec, u"dt").AsDouble(), EncodeDate(1, 1, 1));
  });
}

// TEXT values of every length around the one-block form a fetched value takes (a UTF-16 unit per
// UTF-8 byte must fit one piece), in every text and compression mode: each reads back as sent,
// grows past its first piece, and a change to it rolls back.
TEST_F(MyRecordSetRow, TextValuesOfEveryLengthReadBackChangeAndRollBack) {
  const std::string cyrillic = "\xD0\xB1\xD0\xB5\xD0\xBB\xD0\xB5\xD1\x88\xD0\xBA\xD0\xB0 12";
  const std::string astral = "a\xF0\x9F\x98\x80z";  // a character outside the 16-bit plane
  const uint32_t carveLimit = TLxBlobData::DefaultPieceCapacity / 2;  // in UTF-8 bytes
  const std::vector<std::string> texts = {"",
                                          "x",
                                          cyrillic,
                                          astral,
                                          std::string(carveLimit, 'a'),
                                          std::string(carveLimit + 1, 'b'),
                                          std::string(100000, 'c')};
  Exec("CREATE TEMPORARY TABLE rs_texts (id INT NOT NULL PRIMARY KEY, t LONGTEXT) "
       "CHARSET utf8mb4");
  for (size_t i = 0; i < texts.size(); ++i)
    Exec("INSERT INTO rs_texts VALUES (" + std::to_string(i) + ", '" + texts[i] + "')");
  Exec("INSERT INTO rs_texts VALUES (" + std::to_string(texts.size()) + ", NULL)");

  for (bool unicode : {false, true}) {
    for (uint8_t compressMode : {0, 1, 2}) {
      SCOPED_TRACE(std::string(unicode ? "Unicode" : "single-byte") + ", compress mode " +
                   std::to_string(compressMode));
      Exec("SELECT id, t FROM rs_texts ORDER BY id");
      PMYSQL_RES result = api.mysql_use_result(con);
      ASSERT_NE(result, nullptr);
      TMyFieldOptions options;
      options.UseUnicode = unicode;
      ResultStore store(api, result, options);
      store.InitFields();
      TMyRowConverter converter(store, api);
      converter.UseUnicode = unicode;
      converter.CompressBlobMode = compressMode;
      size_t n = 0;
      for (PMYSQL_ROW row = api.FetchRow(result); row; row = api.FetchRow(result), ++n) {
        uint8_t* rec = store.AllocRecBuf();
        std::memset(rec, 0, static_cast<size_t>(store.RecordSize()));
        converter.ConvertTextRow(rec, result, row);
        TBlob* blob = store.GetBlob(2, rec);
        if (n == texts.size()) {
          EXPECT_TRUE(store.GetNull(2, rec));
          EXPECT_TRUE(blob->IsEmpty());
        } else {
          SCOPED_TRACE("text of " + std::to_string(texts[n].size()) + " bytes");
          const String expected = UTF8ToString(texts[n]);
          EXPECT_FALSE(store.GetNull(2, rec));
          EXPECT_EQ(blob->IsUnicode(), unicode);
          EXPECT_EQ(blob->GetAsWideString(), expected);
          // Grown past its first piece with a rollback copy kept, then rolled back.
          const std::string tail(70000, 'z');
          blob->Write(blob->GetSize(), static_cast<uint32_t>(tail.size()), tail.data());
          EXPECT_EQ(blob->GetSize(), (unicode ? expected.size() * 2 : texts[n].size()) +
                                         tail.size());
          blob->Cancel();
          EXPECT_EQ(blob->GetAsWideString(), expected);
        }
        store.FreeComplexFields(rec, true);
        store.FreeRecBuf(rec);
      }
      EXPECT_EQ(n, texts.size() + 1);
      api.mysql_free_result(result);
    }
  }
}

}  // namespace
