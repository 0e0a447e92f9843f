// The MySQL command against the private server: parameter values of every mapped type written as
// literals and read back, stored procedures with IN, OUT and INOUT parameters and two result sets,
// a stored function, a hostile routine name, the error of a failing later statement, and a
// running statement broken from a second thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "MySql/MyClasses.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

using Row = std::vector<std::optional<std::string>>;

std::unique_ptr<TMySQLConnection> Open() {
  return ConnectProvider();
}

// Reads and frees a result handle, each column as text or NULL.
std::vector<Row> ReadAll(TMySQLConnection& conn, PMYSQL_RES result) {
  TMySQLAPI* api = conn.API();
  std::vector<Row> rows;
  int columns = api->mysql_num_fields(result);
  while (PMYSQL_ROW row = api->FetchRow(result)) {
    Row values;
    for (int i = 0; i < columns; ++i) {
      if (api->FieldIsNull(row, i)) {
        values.emplace_back(std::nullopt);
        continue;
      }
      AnsiString s;
      api->GetFieldString(row, i, s);
      values.emplace_back(s);
    }
    rows.push_back(std::move(values));
  }
  api->mysql_free_result(result);
  return rows;
}

std::optional<std::string> One(TMySQLConnection& conn, const std::string& sql) {
  TMySQLAPI* api = conn.API();
  conn.CheckResultFalse(
      api->mysql_real_query(conn.Handle(), sql.data(), static_cast<uint32_t>(sql.size())),
      nullptr);
  PMYSQL_RES result = api->mysql_use_result(conn.Handle());
  if (!result) return std::nullopt;
  auto rows = ReadAll(conn, result);
  return rows.empty() ? std::nullopt : rows[0][0];
}

class MySQLCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    conn = Open();
    conn->ExecSQL(u"SET SESSION sql_mode = ''");  // zero dates are written as they are
    cmd.SetConnection(conn.get());
  }
  // The rows of the result the command kept for its reader.
  std::vector<Row> Pending() {
    EXPECT_EQ(cmd.GetCursorState(), csExecuted);
    PMYSQL_RES result = cmd.TakeResult();
    cmd.SetCursorState(csInactive);
    if (!result) return {};
    return ReadAll(*conn, result);
  }

  std::unique_ptr<TMySQLConnection> conn;
  TMySQLCommand cmd;
};

TEST_F(MySQLCommand, ParameterValuesComeBackEqual) {
  struct Case {
    const char* column;
    TDataTypeCode type;
    Variant value;
    std::optional<std::string> expected;  // as the server prints it
  };
  TBytes bytes = {0, 1, '\'', '\\', '"', 0xFF};
  std::vector<Case> cases = {
      {"INT", dtInteger, Variant(int32_t(INT32_MIN)), "-2147483648"},
      {"INT", dtInteger, Variant(int32_t(INT32_MAX)), "2147483647"},
      {"BIGINT", dtLargeint, Variant(int64_t(INT64_MIN)), "-9223372036854775808"},
      {"BIGINT", dtLargeint, Variant(int64_t(INT64_MAX)), "9223372036854775807"},
      {"SMALLINT", dtSmallint, Variant(int16_t(-32768)), "-32768"},
      {"DOUBLE", dtFloat, Variant(0.1), "0.1"},
      {"DOUBLE", dtFloat, Variant(-1.5e300), "-1.5e300"},
      {"DECIMAL(19,4)", dtCurrency, Variant(Currency::FromRaw(-9223372036854775807LL)),
       "-922337203685477.5807"},
      {"DECIMAL(19,4)", dtCurrency, Variant(Currency::FromRaw(123456789)), "12345.6789"},
      {"DATE", dtDate, Variant::FromDate(EncodeDate(1850, 3, 1)), "1850-03-01"},
      // Before day zero the time of day counts away from zero, as the date does.
      {"DATETIME", dtDateTime,
       Variant::FromDate(EncodeDate(1601, 12, 31) - EncodeTime(23, 59, 58, 0)),
       "1601-12-31 23:59:58"},
      {"DATETIME", dtDateTime, Variant::FromDate(MyZeroDate), "0000-00-00 00:00:00"},
      {"TIME", dtTime, Variant::FromDate(EncodeTime(13, 5, 7, 0)), "13:05:07"},
      {"VARCHAR(40)", dtWideString, Variant(String(u"Здраво, свету! Ђ'\\")),
       "Здраво, свету! Ђ'\\"},
      {"TEXT", dtWideMemo, Variant(String(u"Шѓ\n\"х\"")), "Шѓ\n\"х\""},
      {"VARBINARY(10)", dtVarBytes, Variant(bytes), std::string("\0\1'\\\"\xFF", 6)},
      {"INT", dtInteger, Variant::Null(), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.column) + " " + c.expected.value_or("NULL"));
    conn->ExecSQL(u"DROP TABLE IF EXISTS cmd_values");
    conn->ExecSQL(u"CREATE TABLE cmd_values (v " + UTF8ToString(c.column) +
                  u" NULL) CHARACTER SET utf8mb4");
    cmd.SetSQL(u"INSERT INTO cmd_values (v) VALUES (:v)");
    ASSERT_EQ(cmd.GetParamCount(), 1);
    cmd.GetParam(0)->SetDataType(c.type);
    cmd.GetParam(0)->SetValue(c.value);
    cmd.Execute();
    EXPECT_EQ(cmd.RowsAffected(), 1);
    EXPECT_EQ(cmd.GetCursorState(), csInactive);
    EXPECT_EQ(One(*conn, "SELECT v FROM cmd_values"), c.expected);
  }
  conn->ExecSQL(u"DROP TABLE cmd_values");
}

TEST_F(MySQLCommand, ResultIsKeptForItsReaderOnlyWhenAskedFor) {
  std::vector<String> sent;
  cmd.SetOnExecute([&](const String& text) { sent.push_back(text); });
  cmd.SetSQL(u"SELECT :a AS a, '?' AS b");
  cmd.GetParam(0)->SetDataType(dtWideString);
  cmd.GetParam(0)->SetValue(Variant(String(u"Љ")));
  cmd.Execute();  // the rows are read and dropped
  EXPECT_EQ(cmd.GetCursorState(), csInactive);
  cmd.SetRequestResultSet(true);
  cmd.Execute();
  EXPECT_EQ(Pending(), (std::vector<Row>{{"Љ", "?"}}));
  EXPECT_EQ(sent, (std::vector<String>{u"SELECT 'Љ' AS a, '?' AS b", u"SELECT 'Љ' AS a, '?' AS b"}));
  // The connection is ready for the next statement.
  EXPECT_EQ(One(*conn, "SELECT 7"), "7");
}

TEST_F(MySQLCommand, ExecuteWhileTheResultIsPendingIsRefused) {
  cmd.SetRequestResultSet(true);
  cmd.SetSQL(u"SELECT 1 UNION SELECT 2");
  cmd.Execute();
  EXPECT_EQ(cmd.GetCursorState(), csExecuted);
  EXPECT_THROW(cmd.Execute(), Exception);
  ASSERT_NE(cmd.ResultHandle(), nullptr);
  EXPECT_EQ(Pending(), (std::vector<Row>{{"1"}, {"2"}}));
  cmd.Execute();  // after the reader is done it runs again
  cmd.ReleaseResult();
  EXPECT_EQ(cmd.GetCursorState(), csInactive);
  EXPECT_EQ(One(*conn, "SELECT 8"), "8");
}

TEST_F(MySQLCommand, ASecondStatementThatFailsReportsItsError) {
  conn->ExecSQL(u"DROP TABLE IF EXISTS cmd_multi");
  conn->ExecSQL(u"CREATE TABLE cmd_multi (id INT)");
  std::vector<bool> outcomes;
  cmd.SetAfterExecute([&](bool succeeded) { outcomes.push_back(succeeded); });
  cmd.SetSQL(u"INSERT INTO cmd_multi VALUES (1), (2)");
  cmd.Execute();
  Variant rows;
  cmd.GetProp(pcRowsAffected, rows);
  EXPECT_EQ(rows.AsInteger(), 2);
  cmd.SetSQL(u"INSERT INTO cmd_multi VALUES (1); INSERT INTO cmd_no_such_table VALUES (1)");
  try {
    cmd.Execute();
    ADD_FAILURE() << "the failing statement passed";
  } catch (const EMyError& e) {
    EXPECT_EQ(e.ErrorCode(), 1146);
    EXPECT_NE(e.Message().find(u"cmd_no_such_table"), String::npos);
  }
  EXPECT_EQ(cmd.GetCursorState(), csInactive);
  EXPECT_EQ(outcomes, (std::vector<bool>{true, false}));
  EXPECT_EQ(One(*conn, "SELECT COUNT(*) FROM cmd_multi"), "3");
  conn->ExecSQL(u"DROP TABLE cmd_multi");
}

class MySQLRoutine : public MySQLCommand {
 protected:
  void SetUp() override {
    MySQLCommand::SetUp();
    conn->ExecSQL(u"DROP PROCEDURE IF EXISTS cmd_io");
    conn->ExecSQL(
        u"CREATE PROCEDURE cmd_io(IN a INT, INOUT b BIGINT, OUT c VARCHAR(20), "
        u"OUT d DECIMAL(10,2)) BEGIN SET b = b + a; SET c = CONCAT('Ж', a); SET d = a / 4; END");
    conn->ExecSQL(u"DROP PROCEDURE IF EXISTS cmd_two");
    conn->ExecSQL(u"CREATE PROCEDURE cmd_two() BEGIN SELECT 1 AS x; SELECT 'two' AS y; END");
    conn->ExecSQL(u"DROP FUNCTION IF EXISTS cmd_inc");
    conn->ExecSQL(u"CREATE FUNCTION cmd_inc(x INT) RETURNS INT DETERMINISTIC RETURN x + 1");
  }
  void TearDown() override {
    conn->ExecSQL(u"DROP PROCEDURE IF EXISTS cmd_io");
    conn->ExecSQL(u"DROP PROCEDURE IF EXISTS cmd_two");
    conn->ExecSQL(u"DROP FUNCTION IF EXISTS cmd_inc");
  }
};

TEST_F(MySQLRoutine, InOutAndInOutParametersGoInAndComeBack) {
  cmd.SetProp(pcStoredProc, true);
  String user = cmd.CreateProcCall(u"cmd_io", true);
  EXPECT_EQ(user,
            u"SET @b = :b; CALL `cmd_io`(:a, @b, @c, @d); SELECT CAST(@b AS SIGNED) AS '@b', "
            u"@c AS '@c', CAST(@d AS DECIMAL(10,2)) AS '@d'");
  EXPECT_EQ(cmd.TextToSend(),
            u"SET @b = ?; CALL `cmd_io`(?, @b, @c, @d); SELECT CAST(@b AS SIGNED) AS '@b', "
            u"@c AS '@c', CAST(@d AS DECIMAL(10,2)) AS '@d'");
  ASSERT_EQ(cmd.GetParamCount(), 4);
  EXPECT_EQ(cmd.GetParam(0)->GetDataType(), dtInteger);
  EXPECT_EQ(cmd.GetParam(1)->GetDataType(), dtLargeint);
  EXPECT_EQ(cmd.GetParam(2)->GetDataType(), dtWideString);  // the connection uses unicode
  EXPECT_EQ(cmd.GetParam(2)->GetSize(), 20);
  EXPECT_EQ(cmd.GetParam(3)->GetParamType(), 2);
  cmd.GetParam(0)->SetValue(Variant(int32_t(5)));
  cmd.GetParam(1)->SetValue(Variant(int64_t(10)));
  cmd.SetRequestResultSet(true);
  cmd.Execute();
  EXPECT_EQ(Pending(), (std::vector<Row>{{"15", "Ж5", "1.25"}}));
  EXPECT_EQ(One(*conn, "SELECT 9"), "9");
}

TEST_F(MySQLRoutine, AStoredFunctionIsCalledBySelect) {
  String user = cmd.CreateProcCall(u"cmd_inc", true);
  EXPECT_EQ(user, u"SELECT `cmd_inc`(:x)");
  ASSERT_EQ(cmd.GetParamCount(), 2);
  EXPECT_EQ(cmd.GetParam(0)->GetParamType(), 4);
  cmd.GetParam(1)->SetValue(Variant(int32_t(41)));
  cmd.SetRequestResultSet(true);
  cmd.Execute();
  EXPECT_EQ(Pending(), (std::vector<Row>{{"42"}}));
}

TEST_F(MySQLRoutine, TwoResultSetsAreReadInTurn) {
  cmd.CreateProcCall(u"cmd_two", true);
  EXPECT_EQ(cmd.GetParamCount(), 0);
  cmd.Execute();  // without a reader both results are dropped
  EXPECT_EQ(One(*conn, "SELECT 3"), "3");

  cmd.SetRequestResultSet(true);
  cmd.Execute();
  EXPECT_EQ(Pending(), (std::vector<Row>{{"1"}}));
  TMySQLAPI* api = conn->API();
  ASSERT_EQ(api->mysql_next_result(conn->Handle()), 0);
  PMYSQL_RES second = api->mysql_use_result(conn->Handle());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(ReadAll(*conn, second), (std::vector<Row>{{"two"}}));
  while (api->mysql_next_result(conn->Handle()) == 0) {
    if (PMYSQL_RES r = api->mysql_use_result(conn->Handle())) api->mysql_free_result(r);
  }
  EXPECT_EQ(One(*conn, "SELECT 4"), "4");
}

TEST_F(MySQLRoutine, AHostileRoutineNameCannotChangeTheStatement) {
  conn->ExecSQL(u"DROP TABLE IF EXISTS cmd_victim");
  conn->ExecSQL(u"CREATE TABLE cmd_victim (id INT)");
  for (const char16_t* name : {u"x`(); DROP TABLE cmd_victim; -- ",
                               u"x') OR ('1' = '1", u"x\\'; DROP TABLE cmd_victim; #"}) {
    SCOPED_TRACE(UTF8Encode(name));
    cmd.CreateProcCall(name, true);  // the metadata queries find nothing
    EXPECT_EQ(cmd.GetParamCount(), 0);
    try {
      cmd.Execute();
      ADD_FAILURE() << "a routine of that name ran";
    } catch (const EMyError& e) {
      // No such procedure, or a name MySQL does not take (trailing blank): either way the text
      // stayed one call of one routine.
      EXPECT_TRUE(e.ErrorCode() == 1305 || e.ErrorCode() == 1458) << e.ErrorCode();
    }
  }
  EXPECT_EQ(One(*conn, "SELECT COUNT(*) FROM cmd_victim"), "0");
  conn->ExecSQL(u"DROP TABLE cmd_victim");
}

TEST(MySQLCommandBreak, ASleepIsBrokenFromAnotherThread) {
  auto conn = Open();
  TMySQLCommand cmd;
  cmd.SetConnection(conn.get());
  cmd.SetSQL(u"SELECT SLEEP(10)");
  std::atomic<bool> done{false};
  auto watcher = Open();
  std::thread breaker([&] {
    // Waits until the server runs the statement, then breaks it.
    while (!done) {
      if (One(*watcher,
              "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE INFO = 'SELECT SLEEP(10)'") ==
          "1") {
        cmd.BreakExec();
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  auto start = std::chrono::steady_clock::now();
  bool aborted = false;
  try {
    cmd.Execute();
  } catch (const EAbort&) {
    aborted = true;
  } catch (...) {
    done = true;
    breaker.join();
    throw;
  }
  done = true;
  breaker.join();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start)
                .count();
  RecordProperty("broken_after_ms", std::to_string(ms));
  std::printf("SELECT SLEEP(10) broken after %lld ms\n", static_cast<long long>(ms));
  EXPECT_TRUE(aborted) << "the statement was not broken";
  EXPECT_FALSE(cmd.Executing());
  EXPECT_EQ(cmd.GetCursorState(), csInactive);
}

}  // namespace
