// The quick refresh against the private server: on a table whose TIMESTAMP column the server
// sets on every change, it re-reads the rows changed there, adds the new ones and, asked to,
// drops the records whose rows were deleted, without sending anything back; it needs key fields
// and a TIMESTAMP column.
#include <gtest/gtest.h>

#include "Common/Win32Timer.h"
#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyClasses.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/HeadlessWindows.h"
#include "tests/support/TestDb.h"

namespace {

String ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.Message();
  }
  return u"<no error>";
}

class MyQuickRefresh : public ::testing::Test {
 protected:
  void SetUp() override {
    other.Exec(
        u"CREATE TABLE IF NOT EXISTS quick_refresh_note (id INT NOT NULL PRIMARY KEY, "
        u"note VARCHAR(50), changed TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP "
        u"ON UPDATE CURRENT_TIMESTAMP) CHARACTER SET utf8mb4");
    other.Exec(u"DELETE FROM quick_refresh_note");
    other.Exec(
        u"INSERT INTO quick_refresh_note (id, note) VALUES (1, 'један'), (2, 'два'), "
        u"(3, 'три')");
    ApplyTestSettings(conn);
    query.SetConnection(&conn);
    query.SetSQLText(u"select * from quick_refresh_note order by id");
    query.Open();
  }

  // The notes of the records in dataset order, "id:note" joined by blanks.
  String Contents() {
    String text;
    query.DisableControls();
    for (query.First(); !query.Eof(); query.Next()) {
      if (!text.empty()) text += u" ";
      text += query.FieldByName(u"id")->AsString() + u":" + query.FieldByName(u"note")->AsString();
    }
    query.EnableControls();
    return text;
  }

  // Another user's changes: one row deleted, one changed, one added.
  void ChangeOnServer() {
    other.Exec(u"DELETE FROM quick_refresh_note WHERE id = 2");
    other.Exec(u"UPDATE quick_refresh_note SET note = 'три+' WHERE id = 3");
    other.Exec(u"INSERT INTO quick_refresh_note (id, note) VALUES (4, 'четири')");
  }

  TOtherSession other;
  TMyConnection conn{nullptr};
  TInspectedQuery query{nullptr};
};

TEST_F(MyQuickRefresh, RemovesDeletedRowsAddsNewOnesAndUpdatesChangedOnes) {
  query.Locate(u"id", Variant(int32_t{3}), TLocateOptions());
  ChangeOnServer();
  int refreshes = 0;
  query.AfterRefresh = [&](TDataSet*) { ++refreshes; };
  query.RefreshQuick(true);
  EXPECT_EQ(Contents(), u"1:један 3:три+ 4:четири");
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(query.RecordCount(), 3);
  // The rows stay on the server as the other user left them: nothing was sent back.
  EXPECT_EQ(other.One(u"SELECT COUNT(*) FROM quick_refresh_note"), u"3");
  EXPECT_EQ(other.One(u"SELECT note FROM quick_refresh_note WHERE id = 4"), u"четири");
}

TEST_F(MyQuickRefresh, KeepsTheCurrentRecordAndAsksOnlyForRowsChangedSinceTheLastLook) {
  query.Locate(u"id", Variant(int32_t{3}), TLocateOptions());
  query.RefreshQuick(false);
  EXPECT_EQ(query.FieldByName(u"id")->AsInteger(), 3);
  // The condition names the newest TIMESTAMP value read.
  EXPECT_NE(query.LastSQL().find(u"changed >= '"), String::npos) << UTF8Encode(query.LastSQL());
  EXPECT_EQ(query.LastSQL().find(u"'0000"), String::npos) << UTF8Encode(query.LastSQL());

  ChangeOnServer();
  query.RefreshQuick(false);
  // Without the check of deleted rows the deleted one stays.
  EXPECT_EQ(Contents(), u"1:један 2:два 3:три+ 4:четири");
}

TEST_F(MyQuickRefresh, NeedsKeyFieldsAndATimestampColumn) {
  struct Case {
    const char* name;
    const char16_t* sql;
    const char16_t* error;
  } cases[] = {
      {"no key column selected", u"select note, changed from quick_refresh_note",
       u"Unique keyfields required"},
      {"no TIMESTAMP column", u"select * from payment_share", u"Timestamp field required"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    query.Close();
    query.SetSQLText(c.sql);
    query.Open();
    EXPECT_EQ(ErrorOf([&] { query.RefreshQuick(true); }), c.error);
    // The dataset is left as it was, browsing and with controls enabled.
    EXPECT_EQ(query.State(), dsBrowse);
    EXPECT_FALSE(query.ControlsDisabled());
  }
}

TEST_F(MyQuickRefresh, TheAutoRefreshOfATableWithATimestampColumnIsAQuickOne) {
  // The timer needs a window session; its dataset goes before the session does.
  THeadlessWindows session;
  TInspectedQuery notes(nullptr);
  notes.SetConnection(&conn);
  notes.SetSQLText(u"select * from quick_refresh_note order by id");
  notes.Open();
  ChangeOnServer();
  int refreshes = 0;
  notes.AfterRefresh = [&](TDataSet*) { ++refreshes; };
  notes.Options()->SetAutoRefresh(true);
  ASSERT_NE(notes.AutoRefreshTimer(), nullptr);
  notes.AutoRefreshTimer()->OnTimer()(notes.AutoRefreshTimer());
  notes.Options()->SetAutoRefresh(false);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(notes.RecordCount(), 3);
  EXPECT_TRUE(notes.Locate(u"id", Variant(int32_t{4}), TLocateOptions()));
  EXPECT_FALSE(notes.Locate(u"id", Variant(int32_t{2}), TLocateOptions()));
  // A quick refresh leaves the statement as it is; a full one would have run it again.
  EXPECT_NE(notes.LastSQL().find(u"changed >= "), String::npos) << UTF8Encode(notes.LastSQL());
}

}  // namespace
