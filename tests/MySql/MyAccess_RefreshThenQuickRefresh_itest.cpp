// A full refresh of an unprepared query describes its columns anew; a quick refresh after it
// still finds the TIMESTAMP column among the new descriptors and reads the rows changed since.
#include <gtest/gtest.h>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "platform/db/Fields.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

TEST(MyRefreshThenQuickRefresh, TheQuickRefreshFindsTheNewTimestampColumn) {
  TOtherSession other;
  other.Exec(u"DROP TABLE IF EXISTS refresh_then_quick");
  other.Exec(
      u"CREATE TABLE refresh_then_quick (id INT PRIMARY KEY, n INT, changed TIMESTAMP NOT NULL "
      u"DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP)");
  other.Exec(u"INSERT INTO refresh_then_quick (id, n) VALUES (1, 10)");
  {
    TMyConnection conn{nullptr};
    ApplyTestSettings(conn);
    TMyQuery query(nullptr);
    query.SetConnection(&conn);
    query.SetSQLText(u"SELECT * FROM refresh_then_quick ORDER BY id");
    query.Open();
    query.RefreshQuick(false);
    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE(round);
      query.Refresh();
      other.Exec(u"INSERT INTO refresh_then_quick (id, n) VALUES (" +
                 String(round == 0 ? u"2, 20)" : u"3, 30)"));
      query.RefreshQuick(false);
      EXPECT_EQ(query.RecordCount(), round + 2);
      query.Last();
      EXPECT_EQ(query.FieldByName(u"n")->AsInteger(), (round + 2) * 10);
    }
  }
  other.Exec(u"DROP TABLE IF EXISTS refresh_then_quick");
}

}  // namespace
