// Bytes and text put into binary columns (BLOB, BINARY, VARBINARY short and long) through a
// field's Value and its text, posted by an edit and by an append, as the server then holds them.
// Read as bytes or as text, a binary column takes a byte array as it is and a text as its UTF-8
// bytes, as a parameter sends it; nothing is cut to fit a byte a character.
#include <gtest/gtest.h>

#include <functional>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

struct TAssignment {
  const char* Name;
  std::function<void(TField*)> Set;
  bool WithBytes;  // a byte array, which a binary column read as text does not take
};

const TAssignment kAssignments[] = {
    {"BytesVariant", [](TField* f) { f->SetValue(Variant(TBytes{0x41, 0x00, 0xFF, 0x42})); },
     true},
    {"AsBytes", [](TField* f) { f->SetAsBytes(TBytes{0x41, 0x00, 0xFF, 0x42}); }, true},
    {"TextVariant", [](TField* f) { f->SetValue(Variant(String(u"жa"))); }, false},
    {"AsString", [](TField* f) { f->SetAsString(u"жa"); }, false},
    {"AnsiTextVariant", [](TField* f) { f->SetValue(Variant(AnsiString("\xD0\xB6" "a"))); },
     false},
};

const char16_t* const kColumns[] = {u"b", u"bin", u"vb", u"vl"};

// The server's hex of what each assignment leaves; BINARY(4) pads with zero bytes.
String ExpectedHex(const TAssignment& assignment, const String& column) {
  const String hex = assignment.WithBytes ? u"4100FF42" : u"D0B661";
  return column == u"bin" && !assignment.WithBytes ? hex + u"00" : hex;
}

class MyBinaryValues : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    conn.ExecSQL(u"DROP TABLE IF EXISTS binary_values");
    conn.ExecSQL(
        u"CREATE TABLE binary_values (id INT PRIMARY KEY, b BLOB, bin BINARY(4), "
        u"vb VARBINARY(10), vl VARBINARY(300))");
    conn.ExecSQL(u"INSERT INTO binary_values VALUES (1, X'01', X'01020304', X'0A', X'0B')");
    query.SetConnection(&conn);
    query.Options()->SetBinaryAsString(GetParam());
    query.SetSQLText(u"SELECT * FROM binary_values ORDER BY id");
    query.Open();
  }
  void TearDown() override {
    query.Close();
    conn.ExecSQL(u"DROP TABLE IF EXISTS binary_values");
  }

  String Hex(const String& column, int id) {
    return check.One(u"SELECT HEX(" + column + u") FROM binary_values WHERE id = " +
                     IntToStr(id));
  }

  TOtherSession check;
  TMyConnection conn{nullptr};
  TInspectedQuery query{nullptr};
};

TEST_P(MyBinaryValues, BytesAndTextReachTheColumnWhole) {
  const bool asText = GetParam();
  int nextId = 10;
  for (const char16_t* column : kColumns) {
    for (const TAssignment& a : kAssignments) {
      // A binary column read as text is a string field: a byte array has no text form there.
      if (asText && a.WithBytes && String(column) != u"b") continue;
      SCOPED_TRACE(UTF8Encode(column) + " " + a.Name);
      query.First();
      query.Edit();
      a.Set(query.FieldByName(column));
      query.Post();
      EXPECT_EQ(Hex(column, 1), ExpectedHex(a, column));

      const int id = nextId++;
      query.Append();
      query.FieldByName(u"id")->SetAsInteger(id);
      a.Set(query.FieldByName(column));
      query.Post();
      EXPECT_EQ(Hex(column, id), ExpectedHex(a, column));
    }
  }
}

// Text whose characters each fit a byte stays one byte a character, as the field's own text form
// gives the bytes back: a value read as text and written back is unchanged.
TEST_P(MyBinaryValues, TextReadFromBytesWritesTheSameBytes) {
  if (GetParam()) GTEST_SKIP() << "read as text, the column holds no byte form of its own";
  conn.ExecSQL(u"UPDATE binary_values SET vb = X'FF0041', bin = X'80FE0001' WHERE id = 1");
  query.Refresh();
  query.Edit();
  for (const char16_t* column : {u"vb", u"bin"}) {
    TField* field = query.FieldByName(column);
    field->SetAsString(field->AsString());
  }
  query.FieldByName(u"vl")->SetAsString(String(u"\u00E9\u0001"));
  query.Post();
  EXPECT_EQ(Hex(u"vb", 1), u"FF0041");
  EXPECT_EQ(Hex(u"bin", 1), u"80FE0001");
  EXPECT_EQ(Hex(u"vl", 1), u"E901");
}

// A value with no byte form is refused before the record changes; a blob takes any value's text.
TEST_P(MyBinaryValues, ValuesWithoutAByteFormAreRefused) {
  query.Edit();
  query.FieldByName(u"b")->SetValue(Variant(int32_t(5)));
  if (!GetParam()) {
    for (const char16_t* column : {u"bin", u"vb", u"vl"}) {
      try {
        query.FieldByName(column)->SetValue(Variant(int32_t(5)));
        ADD_FAILURE() << UTF8Encode(column) << " took an integer";
      } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  u"Invalid variant type or size for field '" + String(column) + u"'");
      }
    }
    // Eleven UTF-8 bytes do not fit VARBINARY(10): refused, not cut.
    EXPECT_THROW(query.FieldByName(u"vb")->SetAsString(u"жжжжжa"), Exception);
  }
  query.Post();
  EXPECT_EQ(Hex(u"b", 1), u"35");
  EXPECT_EQ(Hex(u"vb", 1), u"0A");
}

INSTANTIATE_TEST_SUITE_P(BinaryAsString, MyBinaryValues, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "On" : "Off";
                         });

}  // namespace

namespace {

// A table keyed by a binary column read as bytes: a key of one byte is one value, not a list of
// one value per key field, so a search and a refresh find the record by it.
TEST(MyBinaryKey, AOneByteKeyFindsItsRecord) {
  TMyConnection conn{nullptr};
  ApplyTestSettings(conn);
  conn.ExecSQL(u"DROP TABLE IF EXISTS binary_key");
  conn.ExecSQL(u"CREATE TABLE binary_key (k VARBINARY(8) PRIMARY KEY, n INT)");
  conn.ExecSQL(u"INSERT INTO binary_key VALUES (X'01', 1), (X'0203', 2), (X'04', 3)");
  {
    TMyQuery query(nullptr);
    query.SetConnection(&conn);
    query.Options()->SetBinaryAsString(false);
    query.SetSQLText(u"SELECT * FROM binary_key ORDER BY n");
    query.Open();
    for (const TBytes& key : {TBytes{0x04}, TBytes{0x02, 0x03}, TBytes{0x01}}) {
      ASSERT_TRUE(query.Locate(u"k", Variant(key), {}));
      EXPECT_EQ(query.FieldByName(u"k")->AsBytes(), key);
    }
    // Standing on the record keyed X'01', a refresh comes back to it by its key.
    query.Refresh();
    EXPECT_EQ(query.FieldByName(u"n")->AsInteger(), 1);
    query.Close();
  }
  conn.ExecSQL(u"DROP TABLE IF EXISTS binary_key");
}

}  // namespace

namespace {

// With every field read as text, a row read back after a post or by a record refresh comes in
// the same form, binary columns included, and is copied into the record.
TEST(MyBinaryAsFieldText, ARowReadBackAfterAPostIsCopiedAsText) {
  TMyConnection conn{nullptr};
  ApplyTestSettings(conn);
  conn.ExecSQL(u"DROP TABLE IF EXISTS binary_text");
  conn.ExecSQL(u"CREATE TABLE binary_text (id INT PRIMARY KEY, vb VARBINARY(20), n INT)");
  conn.ExecSQL(u"INSERT INTO binary_text VALUES (1, X'6162', 1)");
  {
    TMyQuery query(nullptr);
    query.SetConnection(&conn);
    query.Options()->SetFieldsAsString(true);
    query.Options()->SetBinaryAsString(false);
    query.SetRefreshOptions(TRefreshOptions{roAfterInsert, roAfterUpdate});
    query.SetSQLText(u"SELECT * FROM binary_text ORDER BY id");
    query.Open();

    query.Append();
    query.FieldByName(u"id")->SetAsInteger(2);
    query.FieldByName(u"vb")->SetAsString(u"xy");
    query.Post();
    EXPECT_EQ(query.State(), dsBrowse);
    EXPECT_EQ(query.FieldByName(u"vb")->AsString(), u"xy");

    query.First();
    query.Edit();
    query.FieldByName(u"n")->SetAsString(u"5");
    query.Post();
    conn.ExecSQL(u"UPDATE binary_text SET vb = X'7A' WHERE id = 1");
    query.RefreshRecord();
    EXPECT_EQ(query.FieldByName(u"vb")->AsString(), u"z");
    EXPECT_EQ(query.FieldByName(u"n")->AsString(), u"5");
    query.Close();
  }
  conn.ExecSQL(u"DROP TABLE IF EXISTS binary_text");
}

}  // namespace
