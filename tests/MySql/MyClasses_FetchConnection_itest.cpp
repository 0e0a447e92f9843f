// A record set that reads its rows on a session of its own must end that session, never the
// connection component's: the dataset points the record set back at the component's session
// between the results of one statement.
#include <gtest/gtest.h>

#include "MySql/MyAccess.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

String SessionId(TMyConnection& conn) {
  TMyQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(u"SELECT CONNECTION_ID() AS v");
  query.Open();
  return query.FieldByName(u"v")->AsString();
}

TEST(FetchSession, WalkingTheResultsOfAStatementKeepsTheComponentsSession) {
  for (bool pooling : {false, true}) {
    SCOPED_TRACE(pooling ? "pooled" : "not pooled");
    TMyConnection conn(nullptr);
    ApplyTestSettings(conn);
    conn.SetPooling(pooling);
    conn.SetConnected(true);
    const String id = SessionId(conn);

    TMyQuery query(nullptr);
    query.SetConnection(&conn);
    query.SetFetchAll(false);
    query.SetSQLText(u"SELECT 1 AS a; SELECT 2 AS b");
    query.Open();
    EXPECT_TRUE(query.OpenNext());
    EXPECT_EQ(query.FieldByName(u"b")->AsInteger(), 2);
    EXPECT_FALSE(query.OpenNext());

    EXPECT_TRUE(conn.MySQLConnection()->GetConnected());
    EXPECT_EQ(SessionId(conn), id);
  }
}

}  // namespace
