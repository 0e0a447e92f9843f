// String literals follow the session's backslash mode as it is at the moment they are sent: with
// NO_BACKSLASH_ESCAPES in sql_mode a backslash is an ordinary character, otherwise an escape.
// Hostile texts reach the table byte for byte through a posted record and through a parameter, in
// both modes and after switching on a live connection, and none of them turns into SQL.
#include <gtest/gtest.h>

#include <string>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

String Hex(const String& text) {
  static const char digits[] = "0123456789ABCDEF";
  String hex;
  for (unsigned char c : UTF8Encode(text)) {
    hex += static_cast<char16_t>(digits[c >> 4]);
    hex += static_cast<char16_t>(digits[c & 15]);
  }
  return hex;
}

const String kHostile[] = {
    u"O'Brien \"quoted\"",
    u"back\\' slash before a quote",
    u"C:\\temp\\",
    String(u"nul\0inside", 10),
    u"line\r\nbreak",
    u"\\r\\n written out",
    u"Ђорђе Петровић ѓ ќ",
    u"' OR 1=1 -- ",
    u"\\",
    u"''",
};

class MyBackslashMode : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    conn.ExecSQL(u"DROP TABLE IF EXISTS backslash_mode");
    conn.ExecSQL(
        u"CREATE TABLE backslash_mode (id INT AUTO_INCREMENT PRIMARY KEY, mode VARCHAR(40), "
        u"s VARCHAR(100)) CHARSET utf8mb4");
  }
  void TearDown() override { conn.ExecSQL(u"DROP TABLE IF EXISTS backslash_mode"); }

  // Posts every hostile text in a new record and inserts it by a parameter, then finds each one
  // by a parameter.
  void RoundTrip(const String& mode) {
    TMyQuery table(nullptr);
    table.SetConnection(&conn);
    table.SetSQLText(u"SELECT * FROM backslash_mode");
    table.Open();
    for (const String& value : kHostile) {
      // A string field holds zero-terminated text: a NUL goes through parameters only.
      if (value.find(u'\0') != String::npos) continue;
      table.Append();
      table.FieldByName(u"mode")->SetAsString(mode);
      table.FieldByName(u"s")->SetAsString(value);
      table.Post();
      String id = table.FieldByName(u"id")->AsString();
      EXPECT_EQ(check.One(u"SELECT HEX(s) FROM backslash_mode WHERE id = " + id), Hex(value))
          << UTF8Encode(value);
    }
    TMyQuery insert(nullptr);
    insert.SetConnection(&conn);
    insert.SetSQLText(u"INSERT INTO backslash_mode (mode, s) VALUES (:mode, :s)");
    for (const String& value : kHostile) {
      insert.ParamByName(u"mode")->SetAsString(u"by parameter " + mode);
      insert.ParamByName(u"s")->SetAsString(value);
      insert.Execute();
      EXPECT_EQ(check.One(u"SELECT HEX(s) FROM backslash_mode ORDER BY id DESC LIMIT 1"),
                Hex(value))
          << UTF8Encode(value);
    }
    TMyQuery find(nullptr);
    find.SetConnection(&conn);
    find.SetSQLText(u"SELECT id FROM backslash_mode WHERE mode = :mode AND s = :s");
    for (const String& value : kHostile) {
      find.ParamByName(u"mode")->SetAsString(u"by parameter " + mode);
      find.ParamByName(u"s")->SetAsString(value);
      find.Open();
      EXPECT_EQ(find.RecordCount(), 1) << UTF8Encode(value);
      find.Close();
    }
  }

  TOtherSession check;
  TMyConnection conn{nullptr};
};

TEST_F(MyBackslashMode, HostileTextsRoundTripInBothModesAndAcrossASwitch) {
  conn.SetConnected(true);
  RoundTrip(u"escapes");
  conn.ExecSQL(u"SET SESSION sql_mode = CONCAT(@@sql_mode, ',NO_BACKSLASH_ESCAPES')");
  RoundTrip(u"no escapes");
  conn.ExecSQL(u"SET SESSION sql_mode = REPLACE(@@sql_mode, 'NO_BACKSLASH_ESCAPES', '')");
  RoundTrip(u"escapes again");
  EXPECT_EQ(check.One(u"SELECT COUNT(*) FROM backslash_mode"),
            IntToStr(3 * (2 * static_cast<int64_t>(std::size(kHostile)) - 1)));

  // The injection text as a parameter is a value: it matches its own rows, never every row.
  conn.ExecSQL(u"SET SESSION sql_mode = CONCAT(@@sql_mode, ',NO_BACKSLASH_ESCAPES')");
  TMyQuery find(nullptr);
  find.SetConnection(&conn);
  find.SetSQLText(u"SELECT id FROM backslash_mode WHERE s = :s AND mode = 'none such'");
  find.ParamByName(u"s")->SetAsString(u"x\\' OR 1=1 -- ");
  find.Open();
  EXPECT_EQ(find.RecordCount(), 0);
}

}  // namespace
