// The MySQL connection component's statements against the private server: a stored procedure
// with IN, OUT and INOUT parameters, the cached updates of two datasets applied together or not
// at all, a port change, and assignment.
#include <gtest/gtest.h>

#include <memory>

#include "Common/DBAccess_SQL.h"
#include "MySql/MyAccess.h"
#include "platform/rtl/Exceptions.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

class MyConnectionStatements : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    other.Exec(u"DROP TABLE IF EXISTS cs_members");
    other.Exec(u"DROP TABLE IF EXISTS cs_fees");
    other.Exec(
        u"CREATE TABLE cs_members (id INT PRIMARY KEY, name VARCHAR(20) CHARACTER SET utf8mb4) "
        u"ENGINE=InnoDB");
    other.Exec(u"CREATE TABLE cs_fees (id INT PRIMARY KEY, amount INT) ENGINE=InnoDB");
    other.Exec(u"INSERT INTO cs_members VALUES (1, 'a')");
    other.Exec(u"INSERT INTO cs_fees VALUES (1, 10), (2, 20)");
  }
  void TearDown() override {
    other.Exec(u"DROP TABLE IF EXISTS cs_members");
    other.Exec(u"DROP TABLE IF EXISTS cs_fees");
    other.Exec(u"DROP PROCEDURE IF EXISTS cs_split");
  }
  void OpenCached(TMyQuery& query, const String& sql) {
    query.SetConnection(&conn);
    query.SetSQLText(sql);
    query.SetCachedUpdates(true);
    query.Open();
  }

  TMyConnection conn{nullptr};
  TOtherSession other;
};

TEST_F(MyConnectionStatements, ExecProcPassesInAndInOutValuesAndReadsOutAndInOutBack) {
  other.Exec(
      u"CREATE PROCEDURE cs_split(IN a INT, OUT doubled INT, INOUT total INT) "
      u"BEGIN SET doubled = a * 2; SET total = total + a; END");
  conn.ExecProc(u"cs_split", {Variant(3), Variant::Null(), Variant(10)});
  TCustomDASQL* command = conn.CheckCommand();
  EXPECT_EQ(command->ParamByName(u"doubled")->AsInteger(), 6);
  EXPECT_EQ(command->ParamByName(u"total")->AsInteger(), 13);
  conn.ExecProcEx(u"cs_split", {Variant(String(u"a")), Variant(5), Variant(String(u"total")),
                                Variant(1)});
  EXPECT_EQ(command->ParamByName(u"doubled")->AsInteger(), 10);
  EXPECT_EQ(command->ParamByName(u"total")->AsInteger(), 6);
}

TEST_F(MyConnectionStatements, TwoDataSetsApplyTogetherOrNotAtAll) {
  TMyQuery members(nullptr), fees(nullptr);
  OpenCached(members, u"SELECT * FROM cs_members");
  OpenCached(fees, u"SELECT * FROM cs_fees ORDER BY id");
  members.Edit();
  members.FieldByName(u"name")->SetAsString(u"Ана");
  members.Post();
  fees.Last();
  fees.Edit();
  fees.FieldByName(u"id")->SetAsInteger(1);  // the key is taken: the server refuses it
  fees.Post();
  EXPECT_THROW(conn.ApplyUpdates({&members, &fees}), EDAError);
  EXPECT_EQ(other.One(u"SELECT name FROM cs_members"), u"a") << "the first was undone";
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_TRUE(members.UpdatesPending());
  EXPECT_TRUE(fees.UpdatesPending());

  fees.Edit();
  fees.FieldByName(u"id")->SetAsInteger(3);
  fees.Post();
  conn.ApplyUpdates({&members, &fees});
  EXPECT_EQ(other.One(u"SELECT name FROM cs_members"), u"Ана");
  EXPECT_EQ(other.One(u"SELECT GROUP_CONCAT(id ORDER BY id) FROM cs_fees"), u"1,3");
  EXPECT_FALSE(members.UpdatesPending());
  EXPECT_FALSE(fees.UpdatesPending());

  TMyConnection second(nullptr);
  second.SetName(u"Second");
  conn.SetName(u"Main");
  TMyQuery foreign(nullptr);
  foreign.SetName(u"Foreign");
  foreign.SetConnection(&second);
  try {
    conn.ApplyUpdates({&members, &foreign});
    FAIL() << "applied a dataset of another connection";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Cannot update, Foreign is not owned by Main");
  }
}

TEST_F(MyConnectionStatements, APortChangeDisconnectsAndAssignmentCopiesTheSettings) {
  conn.SetConnected(true);
  conn.SetPort(conn.Port());
  EXPECT_TRUE(conn.Connected()) << "the same port keeps the session";
  const int port = conn.Port();
  conn.SetPort(port + 1);
  EXPECT_FALSE(conn.Connected());
  conn.SetPort(port);

  conn.SetConnectionTimeout(7);
  conn.SetIsolationLevel(ilSerializable);
  conn.SetConnected(false);
  conn.SSLOptions()->SetCACert(u"/tmp/ca.pem");
  conn.HttpOptions()->SetUrl(u"http://tunnel.example/script.php");
  TMyConnection copy(nullptr);
  copy.Assign(&conn);
  EXPECT_EQ(copy.Port(), port);
  EXPECT_EQ(copy.Server(), conn.Server());
  EXPECT_EQ(copy.Database(), conn.Database());
  EXPECT_EQ(copy.ConnectionTimeout(), 7);
  EXPECT_EQ(copy.IsolationLevel(), ilSerializable);
  EXPECT_EQ(copy.Options()->Charset(), conn.Options()->Charset());
  EXPECT_EQ(copy.SSLOptions()->CACert(), u"/tmp/ca.pem");
  EXPECT_EQ(copy.HttpOptions()->Url(), u"http://tunnel.example/script.php");
  copy.SSLOptions()->SetCACert(u"");
  copy.HttpOptions()->SetUrl(u"");
  copy.SetConnected(true);
  EXPECT_TRUE(copy.Connected());
}

}  // namespace
