// The dataset component over a provider whose "server" is a list of integer IDs: open and fetch
// (all, in blocks, on demand), record counts, connect requests and disconnected mode, execute,
// parameters kept by name when the SQL changes, refresh that keeps the current record, settings
// and their errors, and the replay of an open interrupted by a reconnect.
#include "Common/DBAccess.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Common/DBAccess_DataSource.h"
#include "Common/LxAccess_Transaction.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

class TFakeTransaction : public TLxTransaction {
 public:
  void BeginTransaction() override { FActive = true; }
  void Commit() override { FActive = false; }
  void Rollback() override { FActive = false; }
};

// The provider connection holds the server's state: the rows a SELECT returns and a log of the
// statements that ran, with their parameter values.
class TFakeConnection : public TLxConnection {
 public:
  TLxCommandClass GetCommandClass() const override {
    return {&NewSQLInfo<TSQLInfo>, &NewParser<TSQLParser>};
  }
  TLxTransactionClass GetTransactionClass() const override {
    return [] { return std::unique_ptr<TLxTransaction>(new TFakeTransaction()); };
  }
  void Connect(const String& connectString) override {
    ++Connects;
    FConnected = true;
    TLxConnection::Connect(connectString);
  }
  void Disconnect() override {
    ++Disconnects;
    FConnected = false;
  }
  void AttachTo(TLxConnection*) override {}
  bool CheckAlive() override { return FConnected; }
  String GetServerVersion() override { return u"1"; }
  String GetServerVersionFull() override { return u"1"; }
  String GetClientVersion() override { return u"fake"; }
  bool GetProp(TLxPropCode prop, Variant& value) override {
    if (prop != pcLastInsertId) return TLxConnection::GetProp(prop, value);
    value = LastInsertId;
    return true;
  }

  std::vector<int32_t> Rows;
  std::vector<String> Log;
  int Connects = 0;
  int Disconnects = 0;
  int64_t LastInsertId = 0;
  // The next execution fails as a reconnect does: the statement is to be run again.
  bool FailOverOnce = false;
};

bool StartsWithSelect(const String& sql) { return sql.rfind(u"SELECT", 0) == 0; }

class TFakeCommand : public TLxCommand {
 public:
  TParserClass GetParserClass() const override { return &NewParser<TSQLParser>; }
  bool GetPrepared() const override { return FState >= csPrepared && FPrepared; }
  void Prepare() override {
    FPrepared = true;
    TLxCommand::Prepare();
  }
  void Unprepare() override {
    FPrepared = false;
    TLxCommand::Unprepare();
  }
  void Execute(int) override {
    auto* server = static_cast<TFakeConnection*>(GetConnection());
    if (!server || !server->GetConnected()) throw Exception(u"not connected");
    if (server->FailOverOnce) {
      server->FailOverOnce = false;
      throw EFailOver(clOpen);
    }
    String entry = NativeSQL();
    for (int i = 0; i < GetParamCount(); ++i)
      entry += u" [" + GetParam(i)->GetName() + u"=" + GetParam(i)->GetValue().AsString() + u"]";
    server->Log.push_back(entry);
    if (StartsWithSelect(NativeSQL())) {
      Snapshot = server->Rows;
      NextRow = 0;
      FState = csExecuted;
    } else {
      Affected = 3;
      server->LastInsertId = 42;
      FState = csInactive;
    }
    if (AfterExecute()) AfterExecute()(true);
  }
  TCursorState GetCursorState() const override { return FState; }
  void SetCursorState(TCursorState value) override { FState = value; }
  String CreateProcCall(const String& name, bool) override { return u"CALL " + name; }
  bool GetProp(TLxPropCode prop, Variant& value) override {
    if (prop != pcRowsAffected) return TLxCommand::GetProp(prop, value);
    value = Affected;
    return true;
  }

  std::vector<int32_t> Snapshot;
  size_t NextRow = 0;
  int32_t Affected = 0;

 private:
  TCursorState FState = csInactive;
  bool FPrepared = false;
};

class TFakeRecordSet : public TLxRecordSet {
 public:
  TFakeRecordSet() : TLxRecordSet(std::make_unique<TFakeCommand>()) {}
  TFakeCommand& Cmd() { return *static_cast<TFakeCommand*>(GetCommand()); }

  void DetectCommandType() override {
    TFieldDesc* field = GetFieldDescClass()();
    field->SetName(u"ID");
    field->SetDataType(dtInteger);
    field->SetSize(4);
    field->SetIsKey(true);
    Fields().Add(field);
    FCommandType = StartsWithSelect(Cmd().NativeSQL()) ? ctResultSet : ctNoResult;
  }
  void ExecCommand() override {
    TLxRecordSet::ExecCommand();
    FCommandType = StartsWithSelect(Cmd().NativeSQL()) ? ctResultSet : ctNoResult;
  }
  bool GetProp(TLxPropCode prop, Variant& value) override {
    if (prop != pcRecordCount) return TLxRecordSet::GetProp(prop, value);
    value = static_cast<int32_t>(Cmd().NextRow);
    return true;
  }
  // Going to the end reads every row that is left, as the provider does.
  void SetToEnd() override {
    FetchAll();
    TLxRecordSet::SetToEnd();
  }
  bool Fetch(bool fetchBack) override {
    if (fetchBack) return false;
    TFakeCommand& cmd = Cmd();
    if (cmd.GetCursorState() == csFetched || cmd.GetCursorState() == csInactive) return false;
    bool cancel = false;
    DoBeforeFetch(cancel);
    if (cancel) return false;
    cmd.SetCursorState(csFetching);
    ++Fetches;
    TItemBlock* block = NewFetchBlock();
    int count = 0;
    while (count < block->ItemCount && cmd.NextRow < cmd.Snapshot.size()) {
      uint8_t* data = BlockManager().BlockItem(block, count)->Data();
      InitRecord(data);
      int32_t value = cmd.Snapshot[cmd.NextRow++];
      PutField(1, data, false, &value);
      ++count;
    }
    if (cmd.NextRow >= cmd.Snapshot.size()) cmd.SetCursorState(csFetched);
    InitFetchedItems(block, count, false);
    DoAfterFetch();
    return count > 0;
  }

  int Fetches = 0;
};

class TTestConnection : public TCustomDAConnection {
 public:
  TTestConnection() : TCustomDAConnection(nullptr) {
    SetLoginPrompt(false);
    CreateIConnection();
  }
  TFakeConnection& Server() { return *static_cast<TFakeConnection*>(IConnection()); }
  TLxRecordSetClass GetIRecordSetClass() override {
    return TLxRecordSetClass::Of<TFakeRecordSet>();
  }

 protected:
  void CreateIConnection() override {
    if (!IConnection()) SetIConnection(std::make_unique<TFakeConnection>());
  }
};

class TTestDataSet : public TCustomDADataSet {
 public:
  TTestDataSet() : TCustomDADataSet(nullptr) {}
  TFakeRecordSet& RecordSet() { return *static_cast<TFakeRecordSet*>(IRecordSet()); }
};

std::vector<int32_t> Range(int from, int to) {
  std::vector<int32_t> ids;
  for (int i = from; i <= to; ++i) ids.push_back(i);
  return ids;
}

class DataSetFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Connection.Server().Rows = Range(1, 100);
    DataSet.SetConnection(&Connection);
    DataSet.SetSQLText(u"SELECT ID FROM T");
  }
  int CurrentId() { return DataSet.FieldByName(u"ID")->AsInteger(); }

  TTestConnection Connection;
  TTestDataSet DataSet;
};

TEST_F(DataSetFixture, FetchAllReadsEveryRowAtOpenAndReleasesTheConnection) {
  DataSet.SetFetchAll(true);
  DataSet.Open();
  EXPECT_EQ(DataSet.RecordSet().Fetches, 4) << "blocks of 25 rows";
  EXPECT_EQ(DataSet.RecordCount(), 100);
  EXPECT_TRUE(DataSet.Fetched());
  EXPECT_EQ(Connection.ConnectCount(), 0) << "every connect request was given back";
  DataSet.Last();
  EXPECT_EQ(CurrentId(), 100);
}

TEST_F(DataSetFixture, FetchAllOffReadsBlocksAsNavigationNeedsThem) {
  DataSet.SetFetchRows(10);
  DataSet.Open();
  EXPECT_FALSE(DataSet.Fetched());
  EXPECT_EQ(DataSet.RecordCount(), 10) << "only the first block is read at open";
  EXPECT_EQ(Connection.ConnectCount(), 1) << "the open cursor holds its request";
  DataSet.MoveBy(15);
  EXPECT_EQ(CurrentId(), 16);
  EXPECT_EQ(DataSet.RecordCount(), 20);
  DataSet.Last();
  EXPECT_EQ(CurrentId(), 100);
  EXPECT_TRUE(DataSet.Fetched());
  EXPECT_EQ(Connection.ConnectCount(), 0) << "released once the last row arrived";
}

TEST_F(DataSetFixture, SwitchingFetchAllOnReadsTheRestAtOnce) {
  DataSet.Open();
  ASSERT_EQ(DataSet.RecordCount(), 25);
  DataSet.SetFetchAll(true);
  EXPECT_EQ(DataSet.RecordCount(), 100);
  EXPECT_EQ(Connection.ConnectCount(), 0);
}

TEST_F(DataSetFixture, QueryRecCountGivesTheServerCountBeforeTheRowsArrive) {
  class TCountingDataSet : public TTestDataSet {
   protected:
    int GetServerRecordCount() override { return 100; }
  } counting;
  counting.SetConnection(&Connection);
  counting.SetSQLText(u"SELECT ID FROM T");
  counting.Options()->QueryRecCount = true;
  counting.Open();
  EXPECT_EQ(counting.RecordCount(), 100);
  counting.Close();
  counting.Options()->QueryRecCount = false;
  counting.Open();
  EXPECT_EQ(counting.RecordCount(), 25);
}

TEST_F(DataSetFixture, CloseBeforeTheLastRowGivesTheRequestBack) {
  DataSet.Open();
  EXPECT_EQ(Connection.ConnectCount(), 1);
  DataSet.Close();
  EXPECT_EQ(Connection.ConnectCount(), 0);
  EXPECT_TRUE(Connection.Connected()) << "outside disconnected mode the session stays";
}

TEST_F(DataSetFixture, DisconnectedModeClosesTheSessionOnceEverythingIsFetchedAndKeepsTheRows) {
  Connection.Options()->SetDisconnectedMode(true);
  DataSet.SetFetchRows(30);
  DataSet.Open();
  EXPECT_TRUE(Connection.Connected()) << "rows still to come";
  DataSet.Last();
  EXPECT_FALSE(Connection.Connected());
  EXPECT_TRUE(DataSet.Active());
  EXPECT_EQ(DataSet.RecordCount(), 100);
  DataSet.First();
  EXPECT_EQ(CurrentId(), 1);
  // A refresh connects again for the new rows, and lets go once they are read.
  Connection.Server().Rows = Range(1, 5);
  DataSet.SetFetchAll(true);
  DataSet.Refresh();
  EXPECT_EQ(DataSet.RecordCount(), 5);
  EXPECT_FALSE(Connection.Connected());
  EXPECT_EQ(Connection.Server().Connects, 2);
}

TEST_F(DataSetFixture, FilterSettingsMadeBeforeTheFirstOpenWaitForTheRecordSetAndApplyThen) {
  // As a form sets them up: before any open, so before the dataset has a record set.
  TTestDataSet early;
  early.SetFilterOptions({foCaseInsensitive});
  early.SetFilter(u"ID > 97");
  early.SetFiltered(true);
  EXPECT_EQ(early.Filter(), u"ID > 97");
  EXPECT_TRUE(early.FilterOptions().Contains(foCaseInsensitive));
  early.SetConnection(&Connection);
  early.SetSQLText(u"SELECT ID FROM T");
  early.Open();
  EXPECT_EQ(early.RecordCount(), 3);
  EXPECT_EQ(early.FieldByName(u"ID")->AsInteger(), 98);
}

TEST_F(DataSetFixture, WithoutAConnectionOpenAndExecuteFailClearly) {
  TTestDataSet orphan;
  orphan.SetSQLText(u"SELECT ID FROM T");
  try {
    orphan.Open();
    FAIL() << "opened without a connection";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), String(SConnectionNotDefined));
  }
  EXPECT_THROW(orphan.Execute(), EDatabaseError);
  EXPECT_FALSE(orphan.Active());
}

TEST_F(DataSetFixture, ExecuteRunsAStatementWithoutRowsAndOpensASelect) {
  DataSet.SetSQLText(u"UPDATE T SET X = 1");
  int afterExecute = 0;
  DataSet.AfterExecute = [&](TObject* sender, bool result) {
    EXPECT_EQ(sender, &DataSet);
    EXPECT_TRUE(result);
    ++afterExecute;
  };
  DataSet.Execute();
  EXPECT_FALSE(DataSet.Active());
  EXPECT_EQ(afterExecute, 1);
  EXPECT_EQ(DataSet.RowsAffected(), 3);
  EXPECT_EQ(DataSet.LastInsertId(), 42);
  EXPECT_EQ(Connection.ConnectCount(), 0);

  DataSet.SetSQLText(u"SELECT ID FROM T");
  DataSet.Execute();
  EXPECT_TRUE(DataSet.Active());
  EXPECT_EQ(DataSet.RowsAffected(), -1);
  EXPECT_EQ(Connection.Server().Log.size(), 2u) << "the SELECT ran once";
}

TEST_F(DataSetFixture, ExecuteFromInsideItsOwnExecutionRaisesInsteadOfDoingNothing) {
  DataSet.SetSQLText(u"DELETE FROM T");
  bool raised = false;
  DataSet.AfterExecute = [&](TObject*, bool) {
    try {
      DataSet.Execute();
    } catch (const EDatabaseError& e) {
      raised = e.Message().find(SStatementExecuting) != String::npos;
    }
  };
  DataSet.Execute();
  EXPECT_TRUE(raised);
  EXPECT_EQ(Connection.Server().Log.size(), 1u);
  EXPECT_EQ(Connection.ConnectCount(), 0);
}

TEST_F(DataSetFixture, ParametersAreRebuiltFromTheSQLKeepingValuesByName) {
  DataSet.SetSQLText(u"SELECT ID FROM T WHERE A = :a AND B = :b AND C = ':x' AND A2 = :a");
  ASSERT_EQ(DataSet.Params()->Count(), 2) << "a repeated name is one parameter; quoted text none";
  DataSet.ParamByName(u"a")->SetAsWideString(u"Привет");
  DataSet.ParamByName(u"b")->SetAsInteger(7);
  DataSet.SetSQLText(u"SELECT ID FROM T WHERE B = :b AND D = :d");
  ASSERT_EQ(DataSet.Params()->Count(), 2);
  EXPECT_EQ(DataSet.Params()->Items(0)->Name(), u"b");
  EXPECT_EQ(DataSet.ParamByName(u"b")->AsInteger(), 7);
  EXPECT_TRUE(DataSet.ParamByName(u"d")->IsNull());
  EXPECT_EQ(DataSet.FindParam(u"a"), nullptr);

  DataSet.SetSQLText(u"SELECT ID FROM T WHERE A = :a AND A2 = :a");
  DataSet.ParamByName(u"a")->SetAsWideString(u"Привет");
  DataSet.Open();
  ASSERT_EQ(Connection.Server().Log.size(), 1u);
  EXPECT_EQ(Connection.Server().Log[0],
            u"SELECT ID FROM T WHERE A = ? AND A2 = ? [a=Привет] [a=Привет]");
}

TEST_F(DataSetFixture, RefreshKeepsTheCurrentRecordWhileItExistsElseGoesToTheFirst) {
  DataSet.SetFetchAll(true);
  DataSet.Open();
  ASSERT_TRUE(DataSet.Locate(u"ID", 50, TLocateOptions()));
  Connection.Server().Rows = Range(40, 60);  // rows before and after it went away
  DataSet.Refresh();
  EXPECT_EQ(DataSet.RecordCount(), 21);
  EXPECT_EQ(CurrentId(), 50);

  std::vector<int32_t> without50 = Range(40, 49);
  without50.push_back(51);
  Connection.Server().Rows = without50;
  DataSet.Refresh();
  EXPECT_EQ(CurrentId(), 40);
  EXPECT_EQ(Connection.ConnectCount(), 0);
}

TEST_F(DataSetFixture, AnOpenInterruptedByAReconnectRunsAgain) {
  Connection.Server().FailOverOnce = true;
  DataSet.SetFetchAll(true);
  DataSet.Open();
  EXPECT_TRUE(DataSet.Active());
  EXPECT_EQ(DataSet.RecordCount(), 100);
  EXPECT_EQ(Connection.Server().Log.size(), 1u);
  EXPECT_EQ(Connection.ConnectCount(), 0);
}

TEST_F(DataSetFixture, FetchSettingsAndTheirErrors) {
  for (int bad : {0, 10001}) EXPECT_THROW(DataSet.SetFetchRows(bad), EDatabaseError) << bad;
  DataSet.SetFetchRows(10000);
  DataSet.SetUniDirectional(true);
  EXPECT_FALSE(DataSet.FetchAll());
  DataSet.SetFetchAll(true);
  EXPECT_FALSE(DataSet.UniDirectional());
  DataSet.SetUniDirectional(true);
  DataSet.Open();
  EXPECT_NO_THROW(DataSet.SetFetchRows(10000)) << "an unchanged value on an open dataset";
  EXPECT_THROW(DataSet.SetFetchRows(5), EDatabaseError);
  EXPECT_THROW(DataSet.SetUniDirectional(false), EDatabaseError);
}

TEST_F(DataSetFixture, OpeningForTheDescriptionReadsOneRowAndPutsTheSettingsBack) {
  DataSet.SetFetchAll(true);
  DataSet.SetDebug(true);
  TCustomDADataSet::TDescribeState state;
  DataSet.OpenForDescribe(state, false);
  EXPECT_TRUE(DataSet.Active());
  EXPECT_NE(DataSet.FindField(u"ID"), nullptr);
  EXPECT_EQ(DataSet.RecordSet().Fetches, 1);
  EXPECT_FALSE(DataSet.FetchAll());
  EXPECT_FALSE(DataSet.Debug());
  DataSet.RestoreAfterDescribe(state, true);
  EXPECT_FALSE(DataSet.Active()) << "it was closed before";
  EXPECT_EQ(DataSet.FetchRows(), 25);
  EXPECT_TRUE(DataSet.FetchAll());
  EXPECT_TRUE(DataSet.Debug());
  EXPECT_EQ(Connection.ConnectCount(), 0);

  // A statement that cannot run (no connection) leaves the settings as they were.
  TTestDataSet orphan;
  orphan.SetSQLText(u"SELECT ID FROM T");
  orphan.SetFetchAll(true);
  orphan.OpenForDescribe(state, false);
  EXPECT_FALSE(orphan.Active());
  EXPECT_TRUE(orphan.FetchAll());
  EXPECT_EQ(orphan.FetchRows(), 25);
}

TEST_F(DataSetFixture, ACursorTheProviderCannotTakeIsRefusedAndTheDataSetStaysClosed) {
  DataSet.Open();
  EXPECT_EQ(DataSet.GetCursor(), nullptr);
  DataSet.SetCursor(nullptr);
  EXPECT_TRUE(DataSet.Active()) << "the same cursor changes nothing";
  int cursor = 0;
  EXPECT_THROW(DataSet.SetCursor(&cursor), Exception);
  EXPECT_FALSE(DataSet.Active());
  EXPECT_FALSE(DataSet.Prepared());
}

TEST_F(DataSetFixture, AUniDirectionalDataSetWalksForwardOnly) {
  DataSet.SetUniDirectional(true);
  DataSet.SetFetchRows(10);
  DataSet.Open();
  EXPECT_TRUE(DataSet.IsUniDirectional());
  std::vector<int32_t> seen;
  for (; !DataSet.Eof(); DataSet.Next()) seen.push_back(CurrentId());
  EXPECT_EQ(seen, Range(1, 100));
  EXPECT_THROW(DataSet.Last(), EDatabaseError);
  EXPECT_EQ(Connection.ConnectCount(), 0);
}

TEST_F(DataSetFixture, ChangingTheSQLClosesTheDataSet) {
  DataSet.Open();
  DataSet.SQL()->Add(u"WHERE ID > 5");
  EXPECT_FALSE(DataSet.Active());
  EXPECT_EQ(Connection.ConnectCount(), 0);
}

TEST_F(DataSetFixture, UpdateStatementTextsShareTheMacrosButLeaveTheDataSetOpen) {
  DataSet.Open();
  TStringList insert;
  insert.SetText(u"INSERT INTO &target (ID) VALUES (:ID)");
  DataSet.SetUpdateSQL(stInsert, &insert);
  EXPECT_TRUE(DataSet.Active());
  EXPECT_EQ(DataSet.UpdateSQL(stInsert)->Text(), insert.Text());
  ASSERT_NE(DataSet.Macros()->FindMacro(u"target"), nullptr);
  EXPECT_EQ(DataSet.UpdateSQL(stCustom), nullptr) << "only the kinds a dataset keeps";
  DataSet.SetUpdateSQL(stCustom, &insert);  // ignored, never a crash
}

TEST_F(DataSetFixture, FetchEventsAndACancelledFetch) {
  int before = 0;
  int after = 0;
  DataSet.SetFetchRows(40);
  DataSet.BeforeFetch = [&](TCustomDADataSet* sender, bool& cancel) {
    EXPECT_EQ(sender, &DataSet);
    cancel = ++before == 2;  // the second block is refused
  };
  DataSet.AfterFetch = [&](TCustomDADataSet*) { ++after; };
  DataSet.Open();
  DataSet.Last();
  EXPECT_EQ(DataSet.RecordCount(), 40) << "nothing beyond the refused block";
  EXPECT_EQ(after, 1);
  EXPECT_FALSE(DataSet.Fetched());
  DataSet.Close();
  EXPECT_EQ(Connection.ConnectCount(), 0);
}

TEST_F(DataSetFixture, DestroyingTheConnectionLeavesTheDataSetClosedAndDetached) {
  auto connection = std::make_unique<TTestConnection>();
  TTestDataSet dataSet;
  dataSet.SetConnection(connection.get());
  dataSet.SetSQLText(u"SELECT ID FROM T");
  connection->Server().Rows = Range(1, 3);
  dataSet.Open();
  connection.reset();
  EXPECT_FALSE(dataSet.Active());
  EXPECT_EQ(dataSet.Connection(), nullptr);
  EXPECT_THROW(dataSet.Open(), EDatabaseError);
}

TEST(LxDataSource, AssigningCopiesTheDataSetAndSwitchesButNotTheEvents) {
  TTestDataSet dataSet;
  TLxDataSource from(nullptr);
  TLxDataSource to(nullptr);
  from.SetDataSet(&dataSet);
  from.SetAutoEdit(false);
  from.SetEnabled(false);
  bool heard = false;
  to.OnStateChange = [&](TObject*) { heard = true; };
  to.Assign(&from);
  EXPECT_EQ(to.DataSet(), &dataSet);
  EXPECT_FALSE(to.AutoEdit());
  EXPECT_FALSE(to.Enabled());
  ASSERT_TRUE(to.OnStateChange) << "the destination keeps its own handler";
  EXPECT_FALSE(from.OnStateChange);
  // Anything but a data source is refused with the platform's assignment error.
  EXPECT_THROW(dataSet.Assign(&from), EConvertError);
}

}  // namespace
