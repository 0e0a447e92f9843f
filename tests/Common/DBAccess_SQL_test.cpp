// The command component over a provider command that only parses and records what it was given:
// parameters that follow the SQL and keep their values, sizes and values written to the
// descriptors, values read back, connect requests around prepare and execute, the replay after
// a reconnect, procedure calls and the errors of a command without connection or name.
#include "Common/DBAccess_SQL.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Common/DBAccess.h"
#include "Common/LxAccess_Transaction.h"
#include "tests/Common/FakeProviderConnection.h"
#include "Common/MemData_Blob.h"
#include "platform/rtl/Exceptions.h"

namespace {

using TFakeConnection = TFakeProviderConnection<>;

class TTestConnection : public TCustomDAConnection {
 public:
  explicit TTestConnection(TComponent* owner = nullptr) : TCustomDAConnection(owner) {}

 protected:
  void CreateIConnection() override { SetIConnection(std::make_unique<TFakeConnection>()); }
};

// Parses with the neutral lexer; an execution records the descriptors' values by name and then
// does what the test asks: succeed, fail before it starts, fail after it started, or lose the
// connection a number of times.
class TFakeCommand : public TLxCommand {
 public:
  TParserClass GetParserClass() const override { return &NewParser<TSQLParser>; }
  bool GetPrepared() const override { return FPrepared; }
  void Prepare() override {
    if (FailPrepare) throw Exception(u"prepare failed");
    FPrepared = true;
    if (!DescribeOnPrepare) return;
    GetParam(0)->SetDataType(dtInteger);
    GetParam(0)->SetParamType(1);
  }
  void Unprepare() override { FPrepared = false; }
  void Execute(int) override {
    ++Executions;
    if (FailBeforeStart) throw Exception(u"not ready");
    Sent.clear();
    SentBound.clear();
    for (int i = 0; i < GetParamCount(); ++i) {
      Sent.push_back(GetParam(i)->GetValue());
      SentBound.push_back(GetParam(i)->GetIsBound());
    }
    if (LosesConnection > 0) {
      --LosesConnection;
      if (AfterExecute()) AfterExecute()(false);
      throw EFailOver(clExecute);
    }
    if (FailAfterStart) {
      if (AfterExecute()) AfterExecute()(false);
      throw Exception(u"syntax error");
    }
    if (AfterExecute()) AfterExecute()(true);
  }
  bool GetProp(TLxPropCode prop, Variant& value) override {
    if (prop == pcDescribeParams) {
      value = DescribeOnPrepare;
      return true;
    }
    if (prop != pcRowsAffected) return TLxCommand::GetProp(prop, value);
    value = RowsAffected;
    return true;
  }
  TCursorState GetCursorState() const override { return csInactive; }
  void SetCursorState(TCursorState) override {}
  void SetSQL(const String& value) override {
    ++SetSQLCalls;
    TLxCommand::SetSQL(value);
  }
  String CreateProcCall(const String& name, bool rebuildParams) override {
    if (rebuildParams) {
      Params().Clear();
      TParamDesc* in = AddParam();
      in->SetName(u"a");
      in->SetParamType(1);
      in->SetDataType(dtInteger);
      TParamDesc* out = AddParam();
      out->SetName(u"total");
      out->SetParamType(2);
      out->SetDataType(dtInteger);
    }
    return u"call " + name + u"(:a, :total)";
  }

  std::vector<Variant> Sent;
  std::vector<bool> SentBound;
  int Executions = 0;
  int SetSQLCalls = 0;
  int32_t RowsAffected = 0;
  int LosesConnection = 0;
  bool FailBeforeStart = false;
  bool FailAfterStart = false;
  bool FailPrepare = false;
  bool DescribeOnPrepare = false;

 private:
  bool FPrepared = false;
};

class TTestSQL : public TCustomDASQL {
 public:
  explicit TTestSQL(TComponent* owner = nullptr) : TCustomDASQL(owner) {}
  TFakeCommand* Fake() const { return static_cast<TFakeCommand*>(ICommand()); }

 protected:
  void CreateICommand() override { SetICommand(std::make_unique<TFakeCommand>()); }
};

String ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.Message();
  }
  return u"<no error>";
}

TEST(DASQLParams, FollowTheSQLAndKeepTheValuesOfSameNamedParameters) {
  TTestSQL cmd;
  cmd.SetSQLText(u"select :a from t");
  ASSERT_EQ(cmd.ParamCount(), 1);
  cmd.ParamByName(u"a")->SetAsInteger(7);
  const int writes = cmd.Fake()->SetSQLCalls;

  // The same text is no change: the provider command is not told and the value stays.
  cmd.SetSQLText(u"select :a from t");
  EXPECT_EQ(cmd.Fake()->SetSQLCalls, writes);
  EXPECT_EQ(cmd.ParamByName(u"a")->AsInteger(), 7);

  cmd.SetSQLText(u"select :a, :b from t");
  ASSERT_EQ(cmd.ParamCount(), 2);
  EXPECT_EQ(cmd.Params()->Items(0)->Name(), u"a");
  EXPECT_EQ(cmd.ParamByName(u"a")->AsInteger(), 7);
  EXPECT_TRUE(cmd.ParamByName(u"b")->IsNull());

  // A name used at two places is one parameter, sent at both.
  cmd.SetSQLText(u"select :a where x = :A or y = :b");
  ASSERT_EQ(cmd.ParamCount(), 2);
  cmd.ParamByName(u"b")->SetAsString(u"bee");
  cmd.WriteParams(true);
  TLxCommand* provider = cmd.ICommand();
  ASSERT_EQ(provider->GetParamCount(), 3);
  EXPECT_EQ(provider->GetParam(0)->GetValue().AsInteger(), 7);
  EXPECT_EQ(provider->GetParam(1)->GetValue().AsInteger(), 7);
  EXPECT_EQ(provider->GetParam(2)->GetValue().AsString(), u"bee");

  // Any text parses into a list of its own, one parameter per name.
  TDAParams parsed(nullptr);
  cmd.ParseSQLParams(u"select :p1, ':no', :p2 from t where x = :p1", &parsed);
  ASSERT_EQ(parsed.Count(), 2);
  EXPECT_EQ(parsed.Items(0)->Name(), u"p1");
  EXPECT_EQ(parsed.Items(1)->Name(), u"p2");
  EXPECT_EQ(cmd.ParamCount(), 2);

  // With ParamCheck off the parameters stay as they are.
  cmd.SetParamCheck(false);
  cmd.SetSQLText(u"select :c from t");
  EXPECT_EQ(cmd.ParamCount(), 2);
  EXPECT_NE(cmd.FindParam(u"a"), nullptr);
  EXPECT_EQ(cmd.FindParam(u"c"), nullptr);
  // Switching it on catches up with the text.
  cmd.SetParamCheck(true);
  ASSERT_EQ(cmd.ParamCount(), 1);
  EXPECT_EQ(cmd.Params()->Items(0)->Name(), u"c");
}

TEST(DASQLParams, MacrosExpandIntoTheFinalSQLAndBringTheirParameters) {
  TTestSQL cmd;
  cmd.SetSQLText(u"select * from t &cond  \r\n");
  ASSERT_EQ(cmd.Macros()->Count(), 1);
  EXPECT_EQ(cmd.FinalSQL(), u"select * from t ");
  EXPECT_EQ(cmd.ParamCount(), 0);
  cmd.MacroByName(u"cond")->SetValue(u"where id = :id");
  EXPECT_EQ(cmd.FinalSQL(), u"select * from t where id = :id");
  ASSERT_EQ(cmd.ParamCount(), 1);
  EXPECT_EQ(cmd.Params()->Items(0)->Name(), u"id");
  EXPECT_EQ(cmd.ICommand()->SQL(), u"select * from t where id = :id");

  // A data-modifying assignment leaves the macros as they were.
  cmd.SetDataModifying(true);
  cmd.SetSQLText(u"delete from t &other");
  cmd.SetDataModifying(false);
  EXPECT_NE(cmd.Macros()->FindMacro(u"cond"), nullptr);
  EXPECT_EQ(cmd.Macros()->FindMacro(u"other"), nullptr);

  EXPECT_EQ(cmd.ParamCount(), 0);

  // With keep-the-parameters the text goes to the provider command unscanned.
  cmd.SetSQLText(u"select :k");
  cmd.SetKeepParams(true);
  cmd.SetSQLText(u"update t set x = :x");
  cmd.SetKeepParams(false);
  ASSERT_EQ(cmd.ParamCount(), 1);
  EXPECT_EQ(cmd.Params()->Items(0)->Name(), u"k");
  EXPECT_EQ(cmd.ICommand()->NativeSQL(), u"update t set x = :x");
}

TEST(DASQLParams, SizesComeFromTheValueOnlyForInputTextsWithoutSize) {
  struct Case {
    const char* name;
    TFieldType type;
    TParamType direction;
    int32_t size;
    Variant value;
    int32_t expected;
  };
  const std::vector<Case> cases = {
      {"input text", ftString, ptInput, 0, Variant(u"abc"), 3},
      {"input wide text", ftWideString, ptInput, 0, Variant(u"Битола"), 6},
      {"empty input text", ftString, ptInput, 0, Variant(u""), 0},
      {"text with a size", ftString, ptInput, 10, Variant(u"abc"), 10},
      {"output text", ftString, ptOutput, 0, Variant(u"abc"), 0},
      {"unknown direction", ftString, ptUnknown, 0, Variant(u"abc"), 0},
      {"bytes", ftVarBytes, ptInput, 0, Variant(TBytes{1, 2, 3, 4}), 4},
      {"integer", ftInteger, ptInput, 0, Variant(int32_t{12345}), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTestSQL cmd;
    cmd.SetSQLText(u"insert into t values (:p)");
    TDAParam* p = cmd.ParamByName(u"p");
    p->SetDataType(c.type);
    p->SetParamType(c.direction);
    p->SetDAParamSize(c.size);
    p->SetAsVariant(c.value);
    cmd.WriteParams(false);
    ASSERT_EQ(cmd.ICommand()->GetParamCount(), 1);
    EXPECT_EQ(cmd.ICommand()->GetParam(0)->GetSize(), c.expected);
    EXPECT_TRUE(cmd.ICommand()->GetParam(0)->GetValue().IsEmpty());
  }
}

// Whether descriptor names repeat is kept between writes: a descriptor renamed in place, or one
// that comes or goes, must be seen at the next write.
TEST(DASQLParams, RepeatedNamesFollowRenamedDescriptors) {
  TTestSQL cmd;
  cmd.SetSQLText(u"select :a, :b from t");
  cmd.ParamByName(u"a")->SetAsInteger(7);
  cmd.ParamByName(u"b")->SetAsString(u"bee");
  cmd.WriteParams(true);
  TLxCommand* provider = cmd.ICommand();
  ASSERT_EQ(provider->GetParamCount(), 2);
  EXPECT_EQ(provider->GetParam(1)->GetValue().AsString(), u"bee");

  // Both places now name "a": the one parameter feeds both.
  provider->GetParam(1)->SetName(u"A");
  cmd.WriteParams(true);
  EXPECT_EQ(provider->GetParam(0)->GetValue().AsInteger(), 7);
  EXPECT_EQ(provider->GetParam(1)->GetValue().AsInteger(), 7);

  // Named apart again, they pair by position once more.
  provider->GetParam(1)->SetName(u"b");
  cmd.ParamByName(u"b")->SetAsString(u"bee again");
  cmd.WriteParams(true);
  EXPECT_EQ(provider->GetParam(1)->GetValue().AsString(), u"bee again");
}

TEST(DASQLParams, ValuesWrittenToTheDescriptors) {
  TTestConnection conn;
  conn.SetConvertEOL(true);
  TTestSQL cmd;
  cmd.SetConnection(&conn);
  cmd.SetSQLText(u"call p(:d, :bytes, :memo, :out)");
  TDAParam* d = cmd.ParamByName(u"d");
  d->SetDataType(ftDate);
  d->SetAsVariant(Variant::FromDate(45000.75));
  TDAParam* bytes = cmd.ParamByName(u"bytes");
  bytes->SetDataType(ftVarBytes);
  bytes->SetAsVariant(Variant(u"AB"));
  TDAParam* memo = cmd.ParamByName(u"memo");
  memo->SetAsMemo(u"one\r\ntwo\r\n");
  TDAParam* out = cmd.ParamByName(u"out");
  out->SetDataType(ftInteger);
  out->SetParamType(ptOutput);
  out->SetAsInteger(99);

  cmd.WriteParams(true);
  TLxCommand* provider = cmd.ICommand();
  EXPECT_EQ(provider->GetParam(0)->GetValue().AsDateTime(), 45000.0);
  EXPECT_EQ(provider->GetParam(1)->GetValue().AsBytes(), (TBytes{'A', 'B'}));
  // The server gets bare line feeds; the caller's memo keeps its own.
  auto* sent = static_cast<TBlob*>(provider->GetParam(2)->GetObject());
  ASSERT_NE(sent, nullptr);
  EXPECT_EQ(sent->GetAsWideString(), u"one\ntwo\n");
  EXPECT_EQ(memo->GetAsString(), u"one\r\ntwo\r\n");
  EXPECT_TRUE(provider->GetParam(3)->GetValue().IsEmpty());

  conn.SetConvertEOL(false);
  cmd.WriteParams(true);
  sent = static_cast<TBlob*>(provider->GetParam(2)->GetObject());
  EXPECT_EQ(sent->GetAsWideString(), u"one\r\ntwo\r\n");
}

TEST(DASQLParams, OutputValuesAreReadBackAndInputsKept) {
  TTestConnection conn;
  conn.SetConvertEOL(true);
  TTestSQL cmd;
  cmd.SetConnection(&conn);
  cmd.SetSQLText(u"call p(:in, :out, :memo)");
  cmd.ParamByName(u"in")->SetParamType(ptInput);
  cmd.ParamByName(u"in")->SetAsInteger(1);
  cmd.ParamByName(u"out")->SetParamType(ptOutput);
  TDAParam* memo = cmd.ParamByName(u"memo");
  memo->SetParamType(ptInputOutput);
  memo->SetAsMemo(u"x");
  cmd.WriteParams(true);
  TLxCommand* provider = cmd.ICommand();
  provider->GetParam(0)->SetValue(Variant(int32_t{100}));
  provider->GetParam(1)->SetValue(Variant(int32_t{42}));
  // The provider wrote into the parameter's own blob.
  memo->AsMemoRef()->SetAsWideString(u"a\nb");

  cmd.ReadParams();
  EXPECT_EQ(cmd.ParamByName(u"in")->AsInteger(), 1);
  EXPECT_EQ(cmd.ParamByName(u"out")->AsInteger(), 42);
  EXPECT_EQ(memo->GetAsString(), u"a\r\nb");
}

TEST(DASQLRun, ConnectRequestsAreGivenBackAfterEveryExecution) {
  TTestConnection conn;
  conn.Options()->SetDisconnectedMode(true);
  TTestSQL cmd;
  cmd.SetConnection(&conn);
  cmd.SetSQLText(u"update t set x = :x");
  cmd.ParamByName(u"x")->SetAsInteger(5);
  std::vector<std::string> log;
  cmd.BeforeExecute = [&](TObject* sender) {
    EXPECT_EQ(sender, &cmd);
    log.push_back("before");
  };
  cmd.AfterExecute = [&](TObject*, bool result) {
    log.push_back(result ? "after ok" : "after failed");
  };

  cmd.Fake()->RowsAffected = 4;
  cmd.Execute();
  EXPECT_EQ(cmd.Fake()->Sent.at(0).AsInteger(), 5);
  EXPECT_EQ(cmd.RowsAffected(), 4);
  EXPECT_EQ(conn.ConnectCount(), 0);
  EXPECT_FALSE(conn.Connected());

  cmd.Fake()->FailAfterStart = true;
  EXPECT_EQ(ErrorOf([&] { cmd.Execute(); }), u"syntax error");
  EXPECT_EQ(conn.ConnectCount(), 0);
  cmd.Fake()->FailAfterStart = false;

  // A command that fails before it reports anything still gives its request back.
  cmd.Fake()->FailBeforeStart = true;
  EXPECT_EQ(ErrorOf([&] { cmd.Execute(); }), u"not ready");
  EXPECT_EQ(conn.ConnectCount(), 0);
  EXPECT_FALSE(conn.Connected());
  cmd.Fake()->FailBeforeStart = false;

  EXPECT_EQ(log, (std::vector<std::string>{"before", "after ok", "before", "after failed",
                                           "before"}));
}

TEST(DASQLRun, PrepareHoldsARequestUntilUnprepareOrAChangeOfText) {
  TTestConnection conn;
  conn.Options()->SetDisconnectedMode(true);
  TTestSQL cmd;
  cmd.SetConnection(&conn);
  cmd.SetSQLText(u"update t set x = 1");

  cmd.Fake()->FailPrepare = true;
  EXPECT_EQ(ErrorOf([&] { cmd.Prepare(); }), u"prepare failed");
  EXPECT_FALSE(cmd.Prepared());
  EXPECT_EQ(conn.ConnectCount(), 0);
  cmd.Fake()->FailPrepare = false;

  cmd.Prepare();
  EXPECT_TRUE(cmd.Prepared());
  EXPECT_EQ(conn.ConnectCount(), 1);
  cmd.Execute();
  EXPECT_EQ(conn.ConnectCount(), 1);
  EXPECT_TRUE(conn.Connected());
  cmd.SetSQLText(u"update t set x = 2");
  EXPECT_FALSE(cmd.Prepared());
  EXPECT_EQ(conn.ConnectCount(), 0);
  EXPECT_FALSE(conn.Connected());

  // A provider that describes the parameters on prepare gives their types; values stay.
  cmd.SetSQLText(u"update t set x = :x");
  cmd.ParamByName(u"x")->SetAsInteger(5);
  cmd.Fake()->DescribeOnPrepare = true;
  cmd.Prepare();
  ASSERT_EQ(cmd.ParamCount(), 1);
  EXPECT_EQ(cmd.ParamByName(u"x")->DataType(), ftInteger);
  EXPECT_EQ(cmd.ParamByName(u"x")->ParamType(), ptInput);
  EXPECT_EQ(cmd.ParamByName(u"x")->AsInteger(), 5);
  cmd.UnPrepare();
  EXPECT_EQ(conn.ConnectCount(), 0);

  // Closing the connection unprepares the command.
  conn.Options()->SetDisconnectedMode(false);
  cmd.Prepare();
  conn.SetConnected(false);
  EXPECT_FALSE(cmd.Prepared());
}

TEST(DASQLRun, ALostConnectionRunsTheExecutionAgain) {
  TTestConnection conn;
  TTestSQL cmd;
  cmd.SetConnection(&conn);
  cmd.SetSQLText(u"update t set x = :x");
  cmd.ParamByName(u"x")->SetAsInteger(3);
  cmd.CheckICommand();
  cmd.Fake()->LosesConnection = 2;
  cmd.Execute();
  EXPECT_EQ(cmd.Fake()->Executions, 3);
  EXPECT_EQ(cmd.Fake()->Sent.at(0).AsInteger(), 3);
  EXPECT_TRUE(conn.Connected());
}

TEST(DASQLRun, ProcedureCallsKeepTheirNameAndParameters) {
  TTestConnection conn;
  TTestSQL cmd;
  cmd.SetConnection(&conn);
  EXPECT_EQ(ErrorOf([&] { cmd.CreateProcCall(u"", true, false); }),
            u"StoredProcName must be defined");

  cmd.CreateProcCall(u"sum_up", true, false);
  EXPECT_EQ(cmd.StoredProcName(), u"sum_up");
  EXPECT_EQ(cmd.SQL()->Text(), u"call sum_up(:a, :total)\n");
  ASSERT_EQ(cmd.ParamCount(), 2);
  EXPECT_EQ(cmd.ParamByName(u"a")->ParamType(), ptInput);
  EXPECT_EQ(cmd.ParamByName(u"total")->ParamType(), ptOutput);
  EXPECT_EQ(cmd.ParamByName(u"total")->DataType(), ftInteger);
  EXPECT_EQ(cmd.FindResultParam(), nullptr);
  EXPECT_EQ(conn.ConnectCount(), 0);

  // Without description the call is built from the parameters as they stand, which survive.
  cmd.ParamByName(u"a")->SetAsInteger(12);
  cmd.CreateProcCall(u"other", false, true);
  EXPECT_EQ(cmd.StoredProcName(), u"other");
  EXPECT_TRUE(cmd.StoredProcIsQuery());
  ASSERT_EQ(cmd.ParamCount(), 2);
  EXPECT_EQ(cmd.ParamByName(u"a")->AsInteger(), 12);
  EXPECT_EQ(cmd.ParamByName(u"total")->ParamType(), ptOutput);
  EXPECT_EQ(cmd.ICommand()->GetParam(1)->GetParamType(), 2);

  // Another text is no longer the procedure's call.
  cmd.SetSQLText(u"select 1");
  EXPECT_EQ(cmd.StoredProcName(), u"");
}

TEST(DASQLErrors, WithoutConnectionOrProvider) {
  TTestSQL cmd;
  EXPECT_EQ(cmd.RowsAffected(), 0);
  cmd.SetSQLText(u"update t set x = 1");
  EXPECT_EQ(ErrorOf([&] { cmd.Execute(); }), u"Connection is not defined");
  EXPECT_EQ(ErrorOf([&] { cmd.Prepare(); }), u"Connection is not defined");
  TTestConnection conn;
  EXPECT_EQ(ErrorOf([&] { conn.CreateSQL(); }), u"Must be overrided");
}

TEST(DASQLAssign, CopiesTheStatementAndItsSettings) {
  TTestConnection conn;
  TTestSQL source;
  source.SetConnection(&conn);
  source.SetSQLText(u"select :a &m");
  source.ParamByName(u"a")->SetAsString(u"value");
  source.MacroByName(u"m")->SetValue(u"from t");
  source.SetDebug(true);
  source.SetAutoCommit(true);
  TTestSQL target;
  target.Assign(&source);
  EXPECT_EQ(target.Connection(), &conn);
  EXPECT_EQ(target.SQL()->Text(), source.SQL()->Text());
  EXPECT_EQ(target.ParamByName(u"a")->AsString(), u"value");
  EXPECT_EQ(target.MacroByName(u"m")->Value(), u"from t");
  EXPECT_EQ(target.FinalSQL(), u"select :a from t");
  EXPECT_TRUE(target.Debug());
  EXPECT_TRUE(target.AutoCommit());
}

// A provider transaction that counts what it is told.
struct TTransactionLog {
  int Begins = 0;
  int Commits = 0;
};
TTransactionLog GTransactionLog;

class TCountingTransaction : public TLxTransaction {
 public:
  void BeginTransaction() override {
    ++GTransactionLog.Begins;
    FActive = true;
  }
  void Commit() override {
    ++GTransactionLog.Commits;
    FActive = false;
  }
  void Rollback() override { FActive = false; }
};

// A connection of a kind that runs several transactions at once: a command reads and writes in
// its transaction, which it starts when it needs it and commits as AutoCommit says.
class TSeveralTransactionsConnection : public TCustomDAConnection {
 public:
  TSeveralTransactionsConnection() : TCustomDAConnection(nullptr) {}
  bool IsMultipleTransactionsSupported() override { return true; }

 protected:
  void CreateIConnection() override {
    SetIConnection(std::make_unique<TFakeProviderConnection<TCountingTransaction>>());
  }
};

TEST(DASQLTransactions, OnAConnectionWithSeveralTransactionsTheCommandCommitsAsAutoCommitSays) {
  GTransactionLog = {};
  TSeveralTransactionsConnection conn;
  TTestSQL cmd;
  cmd.SetConnection(&conn);
  EXPECT_EQ(cmd.EffectiveTransaction(), conn.InternalTransaction());
  cmd.SetSQLText(u"update t set x = 1");
  cmd.SetAutoCommit(true);
  cmd.Execute();
  EXPECT_EQ(GTransactionLog.Begins, 1);
  EXPECT_EQ(GTransactionLog.Commits, 1);
  EXPECT_FALSE(conn.InTransaction());
  EXPECT_EQ(conn.InternalTransaction()->UseCount(), 0);

  // Without AutoCommit the work stays in the open transaction for the caller to end.
  cmd.SetAutoCommit(false);
  cmd.Execute();
  EXPECT_EQ(GTransactionLog.Begins, 2);
  EXPECT_EQ(GTransactionLog.Commits, 1);
  EXPECT_TRUE(conn.InTransaction());
  EXPECT_EQ(conn.InternalTransaction()->PendingCount(), 1);
  conn.Commit();
  EXPECT_EQ(GTransactionLog.Commits, 2);

  // A failed execution commits nothing.
  cmd.SetAutoCommit(true);
  cmd.Fake()->FailAfterStart = true;
  EXPECT_THROW(cmd.Execute(), Exception);
  EXPECT_EQ(GTransactionLog.Commits, 2);
  EXPECT_EQ(conn.InternalTransaction()->PendingCount(), 1);
}

// A connection whose internal command is the test command.
class TStatementConnection : public TTestConnection {
 public:
  std::unique_ptr<TCustomDASQL> CreateSQL() override {
    auto command = std::make_unique<TTestSQL>();
    command->SetConnection(this);
    return command;
  }
  TFakeCommand* Fake() { return static_cast<TTestSQL*>(CheckCommand())->Fake(); }
};

TEST(DAConnectionStatements, ExecSQLBindsValuesByPositionAndIgnoresExtraOnes) {
  TStatementConnection conn;
  conn.ExecSQL(u"update t set a = :a, b = :b", {Variant(1), Variant(2), Variant(3)});
  ASSERT_EQ(conn.Fake()->Sent.size(), 2u);
  EXPECT_EQ(conn.Fake()->Sent[1].AsInteger(), 2);
  // Fewer values: the statement's parameters are new ones, and those without a value stay
  // unassigned (they are not set to Null).
  EXPECT_TRUE(conn.ExecSQL(u"update t set a = :a, b = :b", {Variant(5)}).IsNull());
  EXPECT_EQ(conn.Fake()->Sent[0].AsInteger(), 5);
  EXPECT_TRUE(conn.Fake()->Sent[1].IsEmpty());
  EXPECT_EQ(conn.CommandCount(), 1) << "the internal command is a client of the connection";
}

TEST(DAConnectionStatements, ExecSQLExTakesNamedPairsAndRefusesIncompleteOnes) {
  TStatementConnection conn;
  conn.ExecSQLEx(u"update t set a = :a, b = :b", {Variant(String(u"b")), Variant(9)});
  EXPECT_EQ(conn.Fake()->Sent[1].AsInteger(), 9);
  const int executions = conn.Fake()->Executions;
  const String invalid =
      u"Invalid Params array. Valid format: <Name1>,<Value1>[,<Name2>,<Value2>[...]]";
  struct TCase {
    const char* what;
    std::vector<Variant> pairs;
  };
  const TCase refused[] = {
      {"odd count", {Variant(String(u"a")), Variant(1), Variant(String(u"b"))}},
      {"name not a text", {Variant(1), Variant(2)}},
  };
  for (const TCase& c : refused)
    EXPECT_EQ(ErrorOf([&] { conn.ExecSQLEx(u"update t set a = :a", c.pairs); }), invalid)
        << c.what;
  EXPECT_EQ(conn.Fake()->Executions, executions) << "nothing ran";
  conn.ExecSQLEx(u"update t set a = 1", {Variant::Null()});
  EXPECT_EQ(conn.Fake()->Executions, executions + 1) << "a single Null stands for no pairs";
  EXPECT_THROW(conn.ExecSQLEx(u"update t set a = :a", {Variant(String(u"zz")), Variant(1)}),
               Exception);
}

TEST(DAConnectionStatements, ExecProcSendsOnlyTheGivenInputs) {
  TStatementConnection conn;
  conn.SetConnected(true);
  conn.ExecProc(u"p", {});
  ASSERT_EQ(conn.Fake()->SentBound.size(), 2u);
  EXPECT_FALSE(conn.Fake()->SentBound[0]) << "an input without a value is not sent";
  conn.ExecProc(u"p", {Variant(4)});
  EXPECT_TRUE(conn.Fake()->SentBound[0]);
  EXPECT_EQ(conn.Fake()->Sent[0].AsInteger(), 4);
  conn.ExecProcEx(u"p", {Variant(String(u"a")), Variant(6)});
  EXPECT_TRUE(conn.Fake()->SentBound[0]);
  EXPECT_EQ(conn.Fake()->Sent[0].AsInteger(), 6);
  EXPECT_EQ(ErrorOf([&] { conn.ExecProc(u"", {}); }), u"StoredProcName must be defined");
}

}  // namespace
