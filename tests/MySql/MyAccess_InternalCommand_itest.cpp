// A dataset writes its parameters through its internal command component: given the same values,
// a query and a command send the same bytes (a date cut to its day, a memo's line ends under the
// line-end option, a text for a binary column), and persistent fields declared on a query over a
// join open and post.
#include <gtest/gtest.h>

#include <memory>

#include "Common/DBAccess_SQL.h"
#include "MySql/MyAccess.h"
#include "MySql/MyAccess_Command.h"
#include "platform/db/Fields.h"
#include "platform/db/FieldsDateTime.h"
#include "platform/db/FieldsNumeric.h"
#include "platform/db/FieldsText.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

const char16_t kInsert[] =
    u"INSERT INTO param_bytes (src, d, dt, m, b) VALUES (:src, :d, :dt, :m, :b)";

// Gives the parameters of either component the same values and types.
void FillParams(TDAParams* params, const String& source) {
  params->ParamByName(u"src")->SetAsString(source);
  const TDateTime when = EncodeDate(2024, 5, 17) + EncodeTime(14, 30, 0, 0);
  params->ParamByName(u"d")->SetAsDate(when);
  params->ParamByName(u"dt")->SetAsDate(when);
  params->ParamByName(u"m")->SetAsMemo(u"first\r\nsecond\r\n");
  TDAParam* bytes = params->ParamByName(u"b");
  bytes->SetDataType(ftVarBytes);
  bytes->SetAsVariant(Variant(String(u"Привет")));
}

class MyInternalCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    conn.SetConvertEOL(true);
    other.Exec(u"DROP TABLE IF EXISTS param_bytes");
    other.Exec(
        u"CREATE TABLE param_bytes (src VARCHAR(10) PRIMARY KEY, d DATE, dt DATETIME, "
        u"m TEXT CHARACTER SET utf8mb4, b VARBINARY(100))");
  }
  void TearDown() override { other.Exec(u"DROP TABLE IF EXISTS param_bytes"); }

  String Hex(const String& column, const String& source) {
    return other.One(u"SELECT HEX(" + column + u") FROM param_bytes WHERE src = '" + source +
                     u"'");
  }

  TMyConnection conn{nullptr};
  TOtherSession other;
};

TEST_F(MyInternalCommand, AQueryAndACommandWithTheSameValuesWriteTheSameBytes) {
  TMyQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(kInsert);
  ASSERT_NE(dynamic_cast<TMyCommand*>(query.InternalCommand()), nullptr);
  EXPECT_EQ(query.Params(), query.InternalCommand()->Params()) << "one parameter list";
  FillParams(query.Params(), u"query");
  query.Execute();

  std::unique_ptr<TCustomDASQL> command = conn.CreateSQL();
  command->SetSQLText(kInsert);
  FillParams(command->Params(), u"command");
  command->Execute();

  for (const char16_t* column : {u"d", u"dt", u"m", u"b"})
    EXPECT_EQ(Hex(column, u"query"), Hex(column, u"command")) << UTF8Encode(column);
  // What both sent: the day alone, bare line feeds, the text's UTF-8 bytes.
  EXPECT_EQ(other.One(u"SELECT CAST(dt AS CHAR) FROM param_bytes WHERE src = 'query'"),
            u"2024-05-17 00:00:00");
  EXPECT_EQ(Hex(u"m", u"query"), u"66697273740A7365636F6E640A");
  EXPECT_EQ(Hex(u"b", u"query"), u"D09FD180D0B8D0B2D0B5D182");
  // The caller's memo keeps its own line ends.
  EXPECT_EQ(query.ParamByName(u"m")->AsString(), u"first\r\nsecond\r\n");
}

TEST_F(MyInternalCommand, ParametersAreThereBeforeTheConnectionAndKeepTheirValuesAfterIt) {
  TMyQuery query(nullptr);
  query.SetSQLText(u"SELECT * FROM param_bytes WHERE src = :src AND d > :d");
  ASSERT_EQ(query.Params()->Count(), 2);
  query.ParamByName(u"src")->SetAsString(u"x");
  query.SetConnection(&conn);
  ASSERT_EQ(query.Params()->Count(), 2);
  EXPECT_EQ(query.ParamByName(u"src")->AsString(), u"x");
}

}  // namespace

namespace {

class MyPersistentFields : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    other.Exec(u"DROP TABLE IF EXISTS pf_member");
    other.Exec(u"DROP TABLE IF EXISTS pf_group");
    other.Exec(
        u"CREATE TABLE pf_group (id INT PRIMARY KEY, title VARCHAR(40) CHARACTER SET utf8mb4)");
    other.Exec(
        u"CREATE TABLE pf_member (id BIGINT AUTO_INCREMENT PRIMARY KEY, group_id INT, "
        u"name VARCHAR(40) CHARACTER SET utf8mb4, note TEXT CHARACTER SET utf8mb4, "
        u"joined DATETIME, fee DOUBLE)");
    other.Exec(u"INSERT INTO pf_group VALUES (1, 'Хор')");
    other.Exec(
        u"INSERT INTO pf_member (group_id, name, note, joined, fee) "
        u"VALUES (1, 'Ана', 'прва', '2024-05-17 10:00:00', 12.5)");
  }
  void TearDown() override {
    other.Exec(u"DROP TABLE IF EXISTS pf_member");
    other.Exec(u"DROP TABLE IF EXISTS pf_group");
  }
  template <class T>
  T* Declare(TMyQuery& query, const char16_t* name) {
    auto* field = new T(&query);
    field->SetFieldName(name);
    field->SetDataSet(&query);
    return field;
  }

  TMyConnection conn{nullptr};
  TOtherSession other;
};

TEST_F(MyPersistentFields, FieldsDeclaredOnAJoinOpenWithTheirTypesAndPost) {
  TMyQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(
      u"SELECT m.id, m.name, m.note, m.joined, m.fee, g.title FROM pf_member m "
      u"LEFT JOIN pf_group g ON g.id = m.group_id ORDER BY m.id");
  query.SetUpdatingTable(u"pf_member");
  auto* id = Declare<TLargeintField>(query, u"id");
  id->SetAutoGenerateValue(arAutoInc);
  Declare<TWideStringField>(query, u"name");
  Declare<TMemoField>(query, u"note");
  Declare<TDateTimeField>(query, u"joined");
  auto* fee = Declare<TFloatField>(query, u"fee");
  fee->SetDisplayFormat(u"0.00");
  Declare<TWideStringField>(query, u"title");
  query.Open();
  EXPECT_EQ(query.FieldByName(u"title")->AsString(), u"Хор");
  EXPECT_EQ(fee->DisplayText(), u"12.50");

  query.Append();
  query.FieldByName(u"name")->SetAsString(u"Борис");
  query.FieldByName(u"note")->SetAsString(u"друга");
  query.FieldByName(u"joined")->SetAsDateTime(EncodeDate(2025, 1, 2));
  fee->SetAsFloat(7.25);
  query.Post();
  EXPECT_GT(id->AsLargeInt(), 1) << "the new id came back";
  EXPECT_EQ(other.One(u"SELECT CONCAT(name, '/', note, '/', fee) FROM pf_member WHERE id = 2"),
            u"Борис/друга/7.25");
}

}  // namespace
