// Posting a change to a row of a table with blob-like columns (BLOB, LONGBLOB, TEXT, BINARY,
// VARBINARY): an untouched blob stays out of the UPDATE, a changed one goes in, and binary columns
// read as bytes compare byte for byte, with BinaryAsString on and off.
#include <gtest/gtest.h>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

TBytes Bytes(std::initializer_list<uint8_t> bytes) { return TBytes(bytes); }

class MyBlobColumns : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    conn.ExecSQL(u"DROP TABLE IF EXISTS blob_columns");
    conn.ExecSQL(
        u"CREATE TABLE blob_columns (id INT PRIMARY KEY, n INT, b BLOB, lb LONGBLOB, t TEXT, "
        u"bin BINARY(4), vb VARBINARY(10))");
    conn.ExecSQL(
        u"INSERT INTO blob_columns VALUES (1, 1, X'00FF5C27', X'0102', 'текст', X'00010203', "
        u"X'FF00'), (2, 2, NULL, NULL, NULL, NULL, NULL)");
    query.SetConnection(&conn);
    query.Options()->SetBinaryAsString(GetParam());
    query.SetSQLText(u"SELECT * FROM blob_columns ORDER BY id");
    query.Open();
  }
  void TearDown() override {
    query.Close();
    conn.ExecSQL(u"DROP TABLE IF EXISTS blob_columns");
  }

  TOtherSession check;
  TMyConnection conn{nullptr};
  TInspectedQuery query{nullptr};
};

TEST_P(MyBlobColumns, AnUntouchedBlobStaysOutOfTheUpdate) {
  for (int row = 0; row < 2; ++row) {  // with values and with NULLs in every blob-like column
    SCOPED_TRACE(row);
    query.Edit();
    query.FieldByName(u"n")->SetAsInteger(7 + row);
    query.Post();
    EXPECT_EQ(query.State(), dsBrowse);
    EXPECT_EQ(query.LastSQL(), u"UPDATE blob_columns\r\nSET\r\n  n = ?\r\nWHERE\r\n  id = ?");
    query.Next();
  }
  EXPECT_EQ(check.One(u"SELECT GROUP_CONCAT(n ORDER BY id) FROM blob_columns"), u"7,8");
  EXPECT_EQ(check.One(u"SELECT HEX(CONCAT(b, lb, bin, vb)) FROM blob_columns WHERE id = 1"),
            u"00FF5C27010200010203FF00");
  EXPECT_EQ(check.One(u"SELECT t FROM blob_columns WHERE id = 1"), u"текст");
}

TEST_P(MyBlobColumns, ChangedBlobAndBinaryValuesAreWritten) {
  query.Edit();
  query.FieldByName(u"b")->SetAsBytes(Bytes({0x27, 0x5C, 0x00, 0x22}));
  query.FieldByName(u"t")->SetAsString(u"нов текст");
  query.Post();
  EXPECT_EQ(query.LastSQL(), u"UPDATE blob_columns\r\nSET\r\n  b = ?, t = ?\r\nWHERE\r\n  id = ?");

  query.Edit();
  TField* vb = query.FieldByName(u"vb");
  if (GetParam())
    vb->SetAsString(u"ab");
  else
    vb->SetAsBytes(Bytes({0xFF, 0x01}));
  query.FieldByName(u"lb")->SetAsBytes(Bytes({0x03}));
  query.Post();
  EXPECT_EQ(query.LastSQL(),
            u"UPDATE blob_columns\r\nSET\r\n  lb = ?, vb = ?\r\nWHERE\r\n  id = ?");

  // Writing a field back to the value it had changes nothing.
  query.Edit();
  TField* bin = query.FieldByName(u"bin");
  bin->SetValue(bin->Value());
  query.FieldByName(u"n")->SetAsInteger(9);
  query.Post();
  EXPECT_EQ(query.LastSQL(), u"UPDATE blob_columns\r\nSET\r\n  n = ?\r\nWHERE\r\n  id = ?");

  EXPECT_EQ(check.One(u"SELECT HEX(b) FROM blob_columns WHERE id = 1"), u"275C0022");
  EXPECT_EQ(check.One(u"SELECT t FROM blob_columns WHERE id = 1"), u"нов текст");
  EXPECT_EQ(check.One(u"SELECT HEX(lb) FROM blob_columns WHERE id = 1"), u"03");
  EXPECT_EQ(check.One(u"SELECT HEX(vb) FROM blob_columns WHERE id = 1"),
            GetParam() ? u"6162" : u"FF01");
  EXPECT_EQ(check.One(u"SELECT HEX(bin) FROM blob_columns WHERE id = 1"), u"00010203");
}

// A lock re-reads the row and compares it with the record in hand: binary values compare as
// bytes, and a row changed meanwhile is still told apart.
TEST_P(MyBlobColumns, ALockComparesBinaryValuesByTheirBytes) {
  query.SetLockMode(lmPessimistic);
  query.Edit();
  query.FieldByName(u"n")->SetAsInteger(3);
  query.Post();
  EXPECT_EQ(check.One(u"SELECT n FROM blob_columns WHERE id = 1"), u"3");

  check.Exec(u"UPDATE blob_columns SET vb = 'zz' WHERE id = 1");
  try {
    query.Edit();
    ADD_FAILURE() << "the changed row was locked";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Record was changed by another user");
  }
}

// Applied from the cache, a record's blob is changed when its new value is another blob object.
TEST_P(MyBlobColumns, CachedChangesTellATouchedBlobFromAnUntouchedOne) {
  query.Close();
  query.SetCachedUpdates(true);
  query.Open();
  query.Edit();
  query.FieldByName(u"n")->SetAsInteger(5);
  query.Post();
  query.ApplyUpdates();
  query.CommitUpdates();
  EXPECT_EQ(query.LastSQL(), u"UPDATE blob_columns\r\nSET\r\n  n = ?\r\nWHERE\r\n  id = ?");

  query.Edit();
  query.FieldByName(u"lb")->SetAsBytes(Bytes({0x5C, 0x00}));
  query.Post();
  query.ApplyUpdates();
  query.CommitUpdates();
  EXPECT_EQ(query.LastSQL(), u"UPDATE blob_columns\r\nSET\r\n  lb = ?\r\nWHERE\r\n  id = ?");
  EXPECT_EQ(
      check.One(u"SELECT CONCAT(n, ':', HEX(lb), ':', HEX(b)) FROM blob_columns WHERE id = 1"),
      u"5:5C00:00FF5C27");
}

INSTANTIATE_TEST_SUITE_P(BinaryAsString, MyBlobColumns, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "On" : "Off";
                         });

}  // namespace
