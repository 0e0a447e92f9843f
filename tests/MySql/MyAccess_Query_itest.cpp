// The MySQL query and table components against the private server, with the application's own
// statements: the login query, a joined list ordered by date, a lookup, fetching all rows, in
// blocks and in disconnected mode, refresh on a timer of the virtual clock, a data link bound
// through the data source, and an open replayed after the session was killed.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "Common/Win32Timer.h"
#include "MySql/MyAccess.h"
#include "MySql/MyClasses.h"
#include "platform/db/DataLink.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/win/WinApi.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/HeadlessWindows.h"
#include "tests/support/TestDb.h"

namespace {

// The application's tables live in a database of their own, so that other tests may use the
// same names.
constexpr char16_t AppDatabase[] = u"dataset_app";

void ApplySettings(TMyConnection& conn, const String& database) {
  ApplyTestSettings(conn);
  conn.SetDatabase(database);
}

void Exec(TMyConnection& conn, const String& sql) {
  conn.SetConnected(true);
  conn.MySQLConnection()->ExecSQL(sql);
}

class QueryServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    TMyConnection admin(nullptr);
    ApplySettings(admin, UTF8ToString(testdb::Get().database));
    Exec(admin, u"DROP DATABASE IF EXISTS dataset_app");
    Exec(admin, u"CREATE DATABASE dataset_app CHARACTER SET utf8mb4");
    Exec(admin, u"USE dataset_app");
    Exec(admin,
         u"CREATE TABLE users (id INT PRIMARY KEY AUTO_INCREMENT, username VARCHAR(50), "
         u"password VARCHAR(50), name VARCHAR(100), surname VARCHAR(100))");
    Exec(admin,
         u"INSERT INTO users (username, password, name, surname) VALUES "
         u"('admin', 'тајна', 'Ана', 'Петровска'), ('marko', 'x''y', 'Марко', 'Илиевски'), "
         u"('elena', 'pass', 'Елена', 'Стојанова')");
    Exec(admin, u"CREATE TABLE clients (id INT PRIMARY KEY, full_name VARCHAR(201))");
    Exec(admin, u"INSERT INTO clients VALUES (1, 'Донатор Прв'), (2, 'Second Donor')");
    Exec(admin,
         u"CREATE TABLE payment (id INT PRIMARY KEY AUTO_INCREMENT, client_id INT, type INT, "
         u"payment_date DATETIME, amount DOUBLE)");
    Exec(admin,
         u"INSERT INTO payment (client_id, type, payment_date, amount) VALUES "
         u"(1, 1, '2024-01-05 10:00:00', 100), (2, 1, '2024-03-01 09:30:00', 250.5), "
         u"(1, 2, '2024-02-01 00:00:00', 70), (2, 1, '2023-12-24 18:00:00', 12)");
    Exec(admin, u"CREATE TABLE numbers (id INT PRIMARY KEY)");
    std::u16string values;
    for (int i = 1; i <= 100; ++i)
      values += (i > 1 ? u"," : u"") + std::u16string(u"(") + UTF8ToString(std::to_string(i)) +
                u")";
    Exec(admin, u"INSERT INTO numbers VALUES " + values);
  }

  void SetUp() override { ApplySettings(Conn, AppDatabase); }

  TMyConnection Conn{nullptr};
};

TEST_F(QueryServer, ANewQueryHasTheDefaultsFormsRelyOnAndRefusesToOpenWithoutSQL) {
  TMyQuery query(nullptr);
  EXPECT_TRUE(query.FetchAll());
  EXPECT_EQ(query.FetchRows(), 25);
  TMyDataSetOptions* options = query.Options();
  EXPECT_EQ(options->AutoRefreshInterval(), 60);
  EXPECT_TRUE(options->NullForZeroDate());
  EXPECT_TRUE(options->EnableBoolean());
  EXPECT_TRUE(options->BinaryAsString());
  EXPECT_TRUE(options->CreateConnection());
  EXPECT_TRUE(options->LongStrings());
  EXPECT_TRUE(options->FieldsOrigin());
  EXPECT_FALSE(options->AutoRefresh());
  EXPECT_EQ(query.AutoRefreshTimer(), nullptr);

  query.SetName(u"Events");
  query.SetConnection(&Conn);
  try {
    query.Open();
    ADD_FAILURE() << "a query without SQL opened";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Events: No SQL statement provided");
  }
  EXPECT_FALSE(query.Active());
  EXPECT_EQ(Conn.ConnectCount(), 0);
}

TEST_F(QueryServer, LoginQueryFindsTheUserByTwoWideStringParameters) {
  TMyQuery login(nullptr);
  login.SetConnection(&Conn);
  login.SetSQLText(u"select * from users where username = :p_username and password = :p_password");
  ASSERT_EQ(login.Params()->Count(), 2);
  login.ParamByName(u"p_username")->SetDataType(ftWideString);
  login.ParamByName(u"p_password")->SetDataType(ftWideString);

  struct Case {
    const char16_t* username;
    const char16_t* password;
    int found;
  };
  for (const Case& c : {Case{u"admin", u"тајна", 1}, Case{u"admin", u"wrong", 0},
                        Case{u"marko", u"x'y", 1}, Case{u"' or '1'='1", u"' or '1'='1", 0}}) {
    login.Close();
    login.ParamByName(u"p_username")->SetAsWideString(c.username);
    login.ParamByName(u"p_password")->SetAsWideString(c.password);
    login.Open();
    EXPECT_EQ(login.RecordCount(), c.found) << UTF8Encode(c.username);
  }
  login.Close();
  login.ParamByName(u"p_username")->SetAsWideString(u"admin");
  login.ParamByName(u"p_password")->SetAsWideString(u"тајна");
  login.Open();
  EXPECT_EQ(login.FieldByName(u"name")->AsString(), u"Ана");
  EXPECT_EQ(login.FieldByName(u"surname")->AsString(), u"Петровска");
}

TEST_F(QueryServer, JoinedListComesOrderedByDateDescending) {
  TMyQuery payments(nullptr);
  payments.SetConnection(&Conn);
  payments.SetSQLText(
      u"select p.*, c.full_name from payment p,clients c where p.client_id = c.id and p.type = 1 "
      u"order by payment_date desc");
  payments.Open();
  std::vector<std::u16string> names;
  std::vector<double> amounts;
  for (payments.First(); !payments.Eof(); payments.Next()) {
    names.push_back(payments.FieldByName(u"full_name")->AsString());
    amounts.push_back(payments.FieldByName(u"amount")->AsFloat());
  }
  EXPECT_EQ(amounts, (std::vector<double>{250.5, 100, 12}));
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Second Donor", u"Донатор Прв", u"Second Donor"}));
}

TEST_F(QueryServer, LookupQueryWithAnIntegerParameter) {
  TMyQuery check(nullptr);
  check.SetConnection(&Conn);
  check.SetSQLText(u"select id from users where username = :p_username and id <> :p_id");
  check.ParamByName(u"p_username")->SetDataType(ftString);
  check.ParamByName(u"p_id")->SetDataType(ftInteger);
  check.ParamByName(u"p_id")->SetAsInteger(0);
  check.ParamByName(u"p_username")->SetAsString(u"elena");
  check.Open();
  EXPECT_EQ(check.RecordCount(), 1);
  const int elena = check.FieldByName(u"id")->AsInteger();
  check.Close();
  check.ParamByName(u"p_id")->SetAsInteger(elena);  // the user's own record does not count
  check.Open();
  EXPECT_TRUE(check.IsEmpty());
}

TEST_F(QueryServer, FetchAllInBlocksAndOnDemand) {
  TMyQuery numbers(nullptr);
  numbers.SetConnection(&Conn);
  numbers.SetSQLText(u"select id from numbers order by id");
  numbers.Open();
  EXPECT_EQ(numbers.RecordCount(), 100);
  EXPECT_TRUE(numbers.Fetched());
  EXPECT_EQ(Conn.ConnectCount(), 0) << "an implicit connect only";
  numbers.Close();

  numbers.SetFetchAll(false);
  numbers.SetFetchRows(10);
  numbers.Open();
  EXPECT_EQ(numbers.RecordCount(), 10);
  EXPECT_FALSE(numbers.Fetched());
  numbers.MoveBy(14);
  EXPECT_EQ(numbers.FieldByName(u"id")->AsInteger(), 15);
  numbers.SetFetchAll(true);
  EXPECT_EQ(numbers.RecordCount(), 100);
  EXPECT_EQ(numbers.FieldByName(u"id")->AsInteger(), 15);
  numbers.Close();
  EXPECT_EQ(Conn.ConnectCount(), 0);
}

TEST_F(QueryServer, DisconnectedModeClosesTheSessionAfterTheLastRowAndKeepsTheRows) {
  Conn.Options()->SetDisconnectedMode(true);
  int connects = 0;
  int disconnects = 0;
  Conn.AfterConnect = [&](TObject*) { ++connects; };
  Conn.AfterDisconnect = [&](TObject*) { ++disconnects; };
  TMyQuery numbers(nullptr);
  numbers.SetConnection(&Conn);
  numbers.SetSQLText(u"select id from numbers order by id");
  numbers.SetFetchAll(false);
  numbers.SetFetchRows(30);
  numbers.Open();
  EXPECT_TRUE(Conn.Connected()) << "rows are still to come";
  numbers.Last();
  EXPECT_FALSE(Conn.Connected());
  EXPECT_EQ(numbers.RecordCount(), 100);
  numbers.First();
  EXPECT_EQ(numbers.FieldByName(u"id")->AsInteger(), 1);
  EXPECT_EQ(connects, 1);
  EXPECT_EQ(disconnects, 1);

  TMyQuery touch(nullptr);
  touch.SetConnection(&Conn);
  touch.SetSQLText(u"update numbers set id = id where id = 1");
  touch.Execute();
  EXPECT_FALSE(Conn.Connected()) << "a statement gives its request back at once";
  EXPECT_EQ(connects, 2);
}

TEST_F(QueryServer, DisconnectedModeKeepsTheSessionWhileATransactionIsOpen) {
  Conn.ExecSQL(u"create table if not exists ledger (n int) engine=InnoDB");
  Conn.ExecSQL(u"delete from ledger");
  Conn.SetConnected(false);
  Conn.Options()->SetDisconnectedMode(true);
  Conn.SetIsolationLevel(ilSerializable);
  Conn.StartTransaction();
  EXPECT_TRUE(Conn.InTransaction());
  TMyQuery insert(nullptr);
  insert.SetConnection(&Conn);
  insert.SetSQLText(u"insert into ledger values (:n)");
  insert.ParamByName(u"n")->SetAsInteger(5);
  insert.Execute();
  TMyQuery sum(nullptr);
  sum.SetConnection(&Conn);
  sum.SetSQLText(u"select count(*) as c from ledger");
  sum.Open();
  EXPECT_EQ(sum.FieldByName(u"c")->AsInteger(), 1);
  EXPECT_TRUE(Conn.Connected()) << "the open transaction keeps its session";
  Conn.Rollback();
  EXPECT_FALSE(Conn.InTransaction());
  EXPECT_FALSE(Conn.Connected()) << "the last request went with the transaction";
  sum.Close();
  sum.Open();
  EXPECT_EQ(sum.FieldByName(u"c")->AsInteger(), 0) << "the insert was rolled back";
  EXPECT_FALSE(Conn.Connected());
  EXPECT_THROW(Conn.Commit(), EDatabaseError) << "nothing to commit";
}

// A posted row takes the key the server gave it, as the session that ran the INSERT told it, also
// where that session ends with the statement.
TEST_F(QueryServer, AppendedRowsTakeTheirServerKeysFromTheSessionThatRanTheInsert) {
  Conn.ExecSQL(u"create table if not exists keyed (id int primary key auto_increment, n int)");
  for (bool disconnected : {false, true}) {
    SCOPED_TRACE(disconnected ? "disconnected mode" : "connected");
    Conn.ExecSQL(u"delete from keyed");
    Conn.ExecSQL(u"alter table keyed auto_increment = 40");
    if (disconnected) {
      Conn.SetConnected(false);
      Conn.Options()->SetDisconnectedMode(true);
    }
    TMyQuery rows(nullptr);
    rows.SetConnection(&Conn);
    rows.SetSQLText(u"select id, n from keyed");
    rows.Open();
    int keys[2] = {};
    for (int& key : keys) {
      rows.Append();
      rows.FieldByName(u"n")->SetAsInteger(7);
      rows.Post();
      key = rows.FieldByName(u"id")->AsInteger();
    }
    EXPECT_GE(keys[0], 40);
    EXPECT_EQ(keys[1], keys[0] + 1) << "each row its own key, not the one before";
    TMyQuery check(nullptr);
    check.SetConnection(&Conn);
    check.SetSQLText(u"select count(*) as c from keyed where id in (:a, :b) and n = 7");
    check.ParamByName(u"a")->SetAsInteger(keys[0]);
    check.ParamByName(u"b")->SetAsInteger(keys[1]);
    check.Open();
    EXPECT_EQ(check.FieldByName(u"c")->AsInteger(), 2) << "the keys are the server's";
  }
}

TEST_F(QueryServer, ExecuteOpensASelectAndLeavesTheSessionReadyAfterAProcedureWithRows) {
  TMyQuery query(nullptr);
  query.SetConnection(&Conn);
  query.SetSQLText(u"select id from numbers where id <= 3");
  query.Execute();
  EXPECT_TRUE(query.Active());
  EXPECT_EQ(query.RecordCount(), 3);

  Conn.ExecSQL(u"drop procedure if exists three_rows");
  Conn.ExecSQL(u"create procedure three_rows() select id from numbers where id <= 3");
  query.Close();
  query.SetSQLText(u"call three_rows()");
  query.Execute();  // a statement that names no rows but returns some
  EXPECT_FALSE(query.Active());
  TMyQuery next(nullptr);
  next.SetConnection(&Conn);
  next.SetSQLText(u"select count(*) as c from numbers");
  next.Open();
  EXPECT_EQ(next.FieldByName(u"c")->AsInteger(), 100) << "the session took the next statement";
  EXPECT_EQ(Conn.ConnectCount(), 0);
}

// The data link sees what the platform's data source passes on, in its order.
class TRecordingLink : public TDataLink {
 public:
  std::vector<std::string> Log;

 protected:
  void ActiveChanged() override { Log.push_back(Active() ? "active" : "inactive"); }
  void DataSetChanged() override { Log.push_back("changed"); }
  void DataSetScrolled(int distance) override {
    Log.push_back("scrolled " + std::to_string(distance));
  }
};

TEST_F(QueryServer, ADataLinkBoundThroughTheDataSourceSeesOpenScrollRefreshAndClose) {
  TMyQuery users(nullptr);
  users.SetConnection(&Conn);
  users.SetSQLText(u"select * from users order by id,name,surname");
  TMyDataSource source(nullptr);
  source.SetDataSet(&users);
  TRecordingLink link;
  link.SetDataSource(&source);
  users.Open();
  users.Next();
  users.Refresh();
  EXPECT_EQ(users.FieldByName(u"username")->AsString(), u"marko") << "refresh kept the record";
  users.Close();
  EXPECT_EQ(link.Log, (std::vector<std::string>{"active", "changed", "scrolled 1", "changed",
                                                "inactive"}));
}

TEST_F(QueryServer, AnOpenInterruptedByAKilledSessionIsReplayedOnANewOne) {
  Conn.Options()->SetLocalFailover(true);
  std::vector<TConnLostCause> causes;
  Conn.OnConnectionLost = [&](TObject*, TComponent*, TConnLostCause cause, TRetryMode&) {
    causes.push_back(cause);
  };
  TMyQuery id(nullptr);
  id.SetConnection(&Conn);
  id.SetSQLText(u"select connection_id() as cid");
  id.Open();
  const String before = id.FieldByName(u"cid")->AsString();
  id.Close();
  Conn.SetConnected(true);  // the session stays between statements
  {
    TMyConnection killer(nullptr);
    ApplySettings(killer, AppDatabase);
    Exec(killer, u"KILL CONNECTION " + before);
  }
  TMyQuery payments(nullptr);
  payments.SetConnection(&Conn);
  payments.SetSQLText(u"select * from payment order by id");
  payments.Open();
  EXPECT_EQ(payments.RecordCount(), 4);
  EXPECT_EQ(causes, std::vector<TConnLostCause>{clOpen});
  id.Open();
  EXPECT_NE(id.FieldByName(u"cid")->AsString(), before);
}

TEST_F(QueryServer, FilterSQLReopensWithTheConditionAndAFailingOneIsTakenBack) {
  TMyQuery payments(nullptr);
  payments.SetConnection(&Conn);
  payments.SetSQLText(u"select * from payment /* all types */ order by id");
  payments.Open();
  ASSERT_EQ(payments.RecordCount(), 4);
  payments.SetFilterSQL(u"  type = 2  ");
  EXPECT_EQ(payments.FilterSQL(), u"type = 2");
  EXPECT_TRUE(payments.Active());
  EXPECT_EQ(payments.RecordCount(), 1);
  const String final = payments.FinalSQL();
  EXPECT_NE(final.find(u"/* all types */"), String::npos) << "the comment stays";
  EXPECT_LT(final.find(u"WHERE type = 2"), final.find(u"order by id"));

  EXPECT_THROW(payments.SetFilterSQL(u"no_such_column = 1"), EMyError);
  EXPECT_EQ(payments.FilterSQL(), u"type = 2");
  payments.Open();
  EXPECT_EQ(payments.RecordCount(), 1);
  payments.SetFilterSQL(u"");
  EXPECT_EQ(payments.RecordCount(), 4);
  // A condition with a parameter of its own, kept across further changes of the filter.
  payments.Close();
  payments.SetFilterSQL(u"client_id = :p_client");
  ASSERT_NE(payments.FindParam(u"p_client"), nullptr);
  payments.ParamByName(u"p_client")->SetAsInteger(2);
  payments.Open();
  EXPECT_EQ(payments.RecordCount(), 2);
  payments.SetFilterSQL(u"client_id = :p_client and type = 1");
  EXPECT_EQ(payments.RecordCount(), 2);
  EXPECT_EQ(payments.ParamByName(u"p_client")->AsInteger(), 2);
  EXPECT_EQ(Conn.ConnectCount(), 0);
}

TEST_F(QueryServer, AddWhereKeepsTheTextBeforeItsFirstChange) {
  TMyQuery users(nullptr);
  users.SetConnection(&Conn);
  const String original = u"select * from users order by id";
  users.SetSQLText(original);
  users.AddWhere(u"id > 1");
  users.AddWhere(u"username <> 'elena'");
  EXPECT_EQ(users.BaseSQL(), original + u"\n");
  users.Open();
  EXPECT_EQ(users.RecordCount(), 1);
  EXPECT_EQ(users.FieldByName(u"username")->AsString(), u"marko");
  users.SetSQLText(u"select * from users");  // a change from outside forgets the base
  EXPECT_EQ(users.BaseSQL(), u"select * from users\n");
}

TEST_F(QueryServer, MacrosAreExpandedWithValuesThatHoldQuotes) {
  TMyQuery users(nullptr);
  users.SetConnection(&Conn);
  users.SetSQLText(u"select username from users &cond order by &order");
  ASSERT_EQ(users.Macros()->Count(), 2);
  users.MacroByName(u"cond")->SetValue(u"where password = 'x''y' or name = 'Ана'");
  users.MacroByName(u"order")->SetValue(u"username desc");
  users.Open();
  std::vector<std::u16string> names;
  for (users.First(); !users.Eof(); users.Next())
    names.push_back(users.FieldByName(u"username")->AsString());
  EXPECT_EQ(names, (std::vector<std::u16string>{u"marko", u"admin"}));
  // A new value for a macro the text uses rebuilds the open statement.
  users.MacroByName(u"cond")->SetValue(u"where username = :p_username");
  EXPECT_FALSE(users.Active());
  ASSERT_NE(users.FindParam(u"p_username"), nullptr) << "parameters follow the expanded text";
  users.ParamByName(u"p_username")->SetAsString(u"elena");
  users.Open();
  EXPECT_EQ(users.RecordCount(), 1);
}

TEST_F(QueryServer, ATableBuildsItsSelectFromNameOrderLimitAndOffset) {
  TMyTable table(nullptr);
  table.SetConnection(&Conn);
  try {
    table.Open();
    ADD_FAILURE() << "opened without a table name";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"TableName must be defined");
  }
  table.SetTableName(u"`payment`");
  EXPECT_EQ(table.TableName(), u"payment");
  table.SetOrderFields(u"amount desc");
  table.SetLimit(2);
  table.SetOffset(1);
  table.Open();
  EXPECT_EQ(table.SQL()->Text(), u"SELECT * FROM payment ORDER BY amount desc LIMIT 1, 2\n");
  std::vector<double> amounts;
  for (table.First(); !table.Eof(); table.Next())
    amounts.push_back(table.FieldByName(u"amount")->AsFloat());
  EXPECT_EQ(amounts, (std::vector<double>{100, 70}));
  table.SetLimit(2);  // the same value still closes the table and drops its statement
  EXPECT_FALSE(table.Active());
  EXPECT_EQ(table.SQL()->Count(), 0);
}

TEST_F(QueryServer, ExecSQLRunsDirectlyOrWithParameters) {
  Conn.ExecSQL(u"create temporary table notes (id int, txt varchar(50))");
  Conn.ExecSQL(u"insert into notes values (:id, :txt)", {1, String(u"Охрид")});
  Conn.ExecSQL(u"insert into notes values (:id, :txt)", {2});  // a missing value is NULL
  TMyQuery notes(nullptr);
  notes.SetConnection(&Conn);
  notes.SetSQLText(u"select id, txt from notes order by id");
  notes.Open();
  ASSERT_EQ(notes.RecordCount(), 2);
  EXPECT_EQ(notes.FieldByName(u"txt")->AsString(), u"Охрид");
  notes.Next();
  EXPECT_TRUE(notes.FieldByName(u"txt")->IsNull());
  EXPECT_THROW(Conn.ExecSQL(u"insert into no_such_table values (1)"), EMyError);
  EXPECT_TRUE(Conn.Connected());
  EXPECT_EQ(Conn.ConnectCount(), 0) << "every call gave its request back, also the failing one";
}

TEST_F(QueryServer, AStatementOnAKilledSessionIsRunAgainWhenTheRetryModeAllowsIt) {
  Conn.Options()->SetLocalFailover(true);
  Conn.SetConnected(true);
  std::vector<TConnLostCause> causes;
  Conn.OnConnectionLost = [&](TObject*, TComponent*, TConnLostCause cause, TRetryMode& mode) {
    causes.push_back(cause);
    EXPECT_EQ(mode, rmRaise) << "a statement is not run again unless the program says so";
    mode = rmReconnectExecute;
  };
  Conn.ExecSQL(u"create table if not exists counters (n int)");
  Conn.ExecSQL(u"delete from counters");
  TMyQuery id(nullptr);
  id.SetConnection(&Conn);
  id.SetSQLText(u"select connection_id() as cid");
  id.Open();
  const String before = id.FieldByName(u"cid")->AsString();
  id.Close();
  {
    TMyConnection killer(nullptr);
    ApplySettings(killer, AppDatabase);
    Exec(killer, u"KILL CONNECTION " + before);
  }
  TMyQuery insert(nullptr);
  insert.SetConnection(&Conn);
  insert.SetSQLText(u"insert into counters values (1)");
  insert.Execute();
  EXPECT_EQ(causes, std::vector<TConnLostCause>{clExecute});
  EXPECT_EQ(insert.RowsAffected(), 1);
  id.Open();
  EXPECT_NE(id.FieldByName(u"cid")->AsString(), before);
  TMyQuery count(nullptr);
  count.SetConnection(&Conn);
  count.SetSQLText(u"select count(*) as c from counters");
  count.Open();
  EXPECT_EQ(count.FieldByName(u"c")->AsInteger(), 1) << "run once on the new session";
}

TEST_F(QueryServer, AStatementOnAKilledSessionRaisesByDefaultAndTheNextOneConnectsAgain) {
  Conn.Options()->SetLocalFailover(true);
  Conn.SetConnected(true);
  std::vector<int> errors;
  Conn.OnError = [&](TObject*, EDAError& e, bool&) { errors.push_back(e.ErrorCode()); };
  TMyQuery id(nullptr);
  id.SetConnection(&Conn);
  id.SetSQLText(u"select connection_id() as cid");
  id.Open();
  const String before = id.FieldByName(u"cid")->AsString();
  id.Close();
  {
    TMyConnection killer(nullptr);
    ApplySettings(killer, AppDatabase);
    Exec(killer, u"KILL CONNECTION " + before);
  }
  TMyQuery touch(nullptr);
  touch.SetConnection(&Conn);
  touch.SetSQLText(u"delete from numbers where id = 0");
  EXPECT_THROW(touch.Execute(), EMyError);
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_EQ(Conn.ConnectCount(), 0);
  touch.Execute();  // an implicit connect makes a new session
  EXPECT_EQ(touch.RowsAffected(), 0);
  id.Open();
  EXPECT_NE(id.FieldByName(u"cid")->AsString(), before);
}

TEST_F(QueryServer, SettingsReachTheRecordSetWhenItIsMadeAndWhileItExists) {
  TMyQuery numbers(nullptr);
  numbers.SetConnection(&Conn);
  numbers.SetSQLText(u"select id from numbers");
  // Before the record set exists.
  numbers.SetFetchAll(false);
  numbers.SetFetchRows(7);
  numbers.SetCommandTimeout(9);
  numbers.Options()->SetNullForZeroDate(false);
  numbers.Options()->SetFieldsAsString(true);
  numbers.Options()->SetLongStrings(false);
  numbers.Options()->SetQuoteNames(true);
  numbers.Open();
  auto* rs = dynamic_cast<TMySQLRecordset*>(numbers.IRecordSet());
  ASSERT_NE(rs, nullptr);
  EXPECT_FALSE(rs->FetchAllFlag());
  EXPECT_EQ(rs->FetchRows(), 7);
  EXPECT_EQ(rs->MyCommand()->CommandTimeout(), 9);
  EXPECT_FALSE(rs->NullForZeroDate());
  EXPECT_TRUE(rs->FieldsAsString());
  EXPECT_FALSE(rs->LongStrings());
  EXPECT_TRUE(rs->MyCommand()->QuoteNames());
  EXPECT_EQ(numbers.RecordCount(), 7);
  // While it exists: a closed dataset passes each change at once; an open one refuses those
  // that change the record layout.
  EXPECT_THROW(numbers.Options()->SetEnableBoolean(false), EDatabaseError);
  EXPECT_TRUE(rs->EnableBoolean());
  numbers.Close();
  numbers.Options()->SetEnableBoolean(false);
  numbers.Options()->SetNullForZeroDate(true);
  numbers.SetCommandTimeout(3);
  EXPECT_FALSE(rs->EnableBoolean());
  EXPECT_TRUE(rs->NullForZeroDate());
  EXPECT_EQ(rs->MyCommand()->CommandTimeout(), 3);
}

// The session is killed while the query's statement runs on the server: the open is run again
// on a new session and the rows arrive whole. The statement sleeps as long as the pauses table
// says, which the killer sets to nothing first, so that only the interrupted run waits.
TEST_F(QueryServer, ASessionKilledWhileTheQueryOpensIsReplaced) {
  Conn.ExecSQL(u"create table if not exists pauses (p int)");
  Conn.ExecSQL(u"delete from pauses");
  Conn.ExecSQL(u"insert into pauses values (20)");
  Conn.Options()->SetLocalFailover(true);
  std::vector<TConnLostCause> causes;
  Conn.OnConnectionLost = [&](TObject*, TComponent*, TConnLostCause cause, TRetryMode&) {
    causes.push_back(cause);
  };
  TMyQuery id(nullptr);
  id.SetConnection(&Conn);
  id.SetSQLText(u"select connection_id() as cid");
  id.Open();
  const String session = id.FieldByName(u"cid")->AsString();
  id.Close();
  std::thread killer([session] {
    TMyConnection watcher(nullptr);
    ApplySettings(watcher, AppDatabase);
    TMyQuery running(nullptr);
    running.SetConnection(&watcher);
    running.SetSQLText(u"select count(*) as n from information_schema.processlist where id = " +
                       session + u" and info like '%sleep((select p%'");
    for (int i = 0; i < 500; ++i) {
      running.Open();
      const bool found = running.FieldByName(u"n")->AsInteger() > 0;
      running.Close();
      if (found) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Exec(watcher, u"update pauses set p = 0");
    Exec(watcher, u"KILL CONNECTION " + session);
  });
  TMyQuery slow(nullptr);
  slow.SetConnection(&Conn);
  slow.SetSQLText(u"select id from numbers where sleep((select p from pauses)) = 0 order by id");
  try {
    slow.Open();
  } catch (...) {
    killer.join();
    throw;
  }
  killer.join();
  EXPECT_EQ(causes, std::vector<TConnLostCause>{clOpen});
  EXPECT_EQ(slow.RecordCount(), 100);
  slow.Last();
  EXPECT_EQ(slow.FieldByName(u"id")->AsInteger(), 100);
  id.Open();
  EXPECT_NE(id.FieldByName(u"cid")->AsString(), session);
}

class AutoRefreshServer : public QueryServer {
 protected:
  THeadlessBackEnd& Script() { return Session.Script(); }
  // Lets the virtual clock run and handles the timer messages it causes.
  void Wait(uint64_t milliseconds) {
    Script().AdvanceBy(milliseconds);
    Session.RunScript();
  }

  THeadlessWindows Session;
};

TEST_F(AutoRefreshServer, RefreshesEverySixtySecondsWhileBrowsing) {
  TMyQuery users(nullptr);
  users.SetConnection(&Conn);
  users.SetSQLText(u"select * from users order by id,name,surname");
  users.Options()->SetAutoRefresh(true);
  ASSERT_NE(users.AutoRefreshTimer(), nullptr);
  EXPECT_EQ(users.AutoRefreshTimer()->Interval(), 60000u);
  users.Open();
  int refreshes = 0;
  users.AfterRefresh = [&](TDataSet*) { ++refreshes; };
  Wait(59000);
  EXPECT_EQ(refreshes, 0);
  Wait(1000);
  EXPECT_EQ(refreshes, 1);

  users.Edit();  // a tick during an edit leaves the record alone
  Wait(60000);
  EXPECT_EQ(refreshes, 1);
  users.Cancel();
  Wait(60000);
  EXPECT_EQ(refreshes, 2);
}

TEST_F(AutoRefreshServer, ARefreshThatFailsSwitchesAutoRefreshOff) {
  {
    TMyConnection admin(nullptr);
    ApplySettings(admin, AppDatabase);
    Exec(admin, u"CREATE TABLE doomed (id INT)");
  }
  TMyQuery doomed(nullptr);
  doomed.SetConnection(&Conn);
  doomed.SetSQLText(u"select * from doomed");
  doomed.Options()->SetAutoRefresh(true);
  doomed.Open();
  const std::vector<String>& reported = Session.Reported;
  {
    TMyConnection admin(nullptr);
    ApplySettings(admin, AppDatabase);
    Exec(admin, u"DROP TABLE doomed");
  }
  Wait(60000);
  EXPECT_FALSE(doomed.Options()->AutoRefresh());
  EXPECT_FALSE(doomed.AutoRefreshTimer()->Enabled());
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_NE(reported[0].find(u"doomed"), String::npos);
  Wait(120000);
  EXPECT_EQ(reported.size(), 1u) << "no further attempts";
}

}  // namespace
