// A query that reads its rows on demand loses the session its rows come from while it fetches.
// The error handling may close the query inside its own fetch; the fetch must survive that: the
// error reaches the caller, and the query can be opened again afterwards.
#include <gtest/gtest.h>

#include <functional>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyClasses.h"
#include "MySql/MyClasses_Command.h"
#include "MySql/MyClasses_RecordSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

// Enough rows, wide enough, that most of them are still on the server when the session dies.
const char16_t kManyRows[] = u"SELECT seq AS n, REPEAT('x', 1000) AS pad FROM seq_1_to_30000";

struct Move {
  const char* name;
  std::function<void(TMyQuery&)> run;
};

TEST(MyFetchLost, ALostFetchSessionRaisesAndLeavesTheQueryUsable) {
  const Move moves[] = {
      {"Next", [](TMyQuery& q) {
         while (!q.Eof()) q.Next();
       }},
      {"Last", [](TMyQuery& q) { q.Last(); }},
      {"MoveBy", [](TMyQuery& q) {
         while (!q.Eof()) q.MoveBy(40);
       }},
  };
  TOtherSession other;
  for (bool failover : {false, true}) {
    for (const Move& move : moves) {
      SCOPED_TRACE(std::string(move.name) + (failover ? " with failover" : ""));
      TMyConnection conn(nullptr);
      ApplyTestSettings(conn);
      conn.Options()->SetLocalFailover(failover);
      TMyQuery query(nullptr);
      query.SetConnection(&conn);
      query.SetFetchAll(false);
      query.SetFetchRows(10);
      query.SetSQLText(kManyRows);
      query.Open();
      ASSERT_EQ(query.FieldByName(u"n")->AsInteger(), 1);

      auto* rs = dynamic_cast<TMySQLRecordset*>(query.IRecordSet());
      ASSERT_NE(rs, nullptr);
      TMySQLConnection* fetch = rs->MyCommand()->MyConnection();
      ASSERT_NE(fetch, nullptr);
      ASSERT_NE(rs->SavedConnection(), nullptr) << "the rows come from a fetch session";
      other.Exec(u"KILL CONNECTION " +
                 IntToStr(fetch->API()->mysql_thread_id(fetch->Handle())));

      EXPECT_THROW(move.run(query), Exception);

      query.Close();
      query.SetFetchAll(true);
      query.SetSQLText(u"SELECT seq AS n FROM seq_1_to_3");
      query.Open();
      query.Last();
      EXPECT_EQ(query.FieldByName(u"n")->AsInteger(), 3);
    }
  }
}

}  // namespace
