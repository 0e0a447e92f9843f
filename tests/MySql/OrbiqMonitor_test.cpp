// The MySQL SQL monitor without a server: which component hears the hooks, the texts it gives
// OnSQL, and the parameter text.
#include "MySql/OrbiqMonitor.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Common/DBAccess_Params.h"
#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyAccess_Utils.h"
#include "MySql/MyClasses_Command.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

struct Heard {
  TObject* sender;
  String text;
  TDATraceFlag flag;
};

// A MySQL monitor that records what OnSQL hears; the socket output is off.
struct RecordingMonitor {
  RecordingMonitor() : monitor(std::make_unique<TCustomMySQLMonitor>(nullptr)) {
    monitor->SetOptions({moDialog, moCustom});
    TDATraceFlags flags = monitor->TraceFlags();
    monitor->SetTraceFlags(flags.Include(tfObjDestroy).Include(tfPool));
    monitor->OnSQL = [this](TObject* sender, const String& text, TDATraceFlag flag) {
      heard.push_back({sender, text, flag});
    };
  }
  std::unique_ptr<TCustomMySQLMonitor> monitor;
  std::vector<Heard> heard;
};

void AddParam(TDAParams& params, const String& name, TFieldType type, TParamType kind,
              const Variant& value) {
  TParam* p = params.CreateParam(type, name, kind);
  p->SetValue(value);
}

TEST(MySQLMonitor, WithoutAMonitorComponentNothingIsActive) {
  ASSERT_EQ(TCustomMySQLMonitor::GetActiveMonitor(), nullptr);
  EXPECT_FALSE(MySQLMonitorClass().HasMonitor());
  EXPECT_FALSE(DASQLMonitorClass().HasMonitor());
  TMyConnection conn(nullptr);
  EXPECT_EQ(&conn.MonitorClass(), &MySQLMonitorClass());
}

TEST(MySQLMonitor, TheFirstComponentIsTheActiveOneUntilItGoes) {
  auto first = std::make_unique<TCustomMySQLMonitor>(nullptr);
  EXPECT_TRUE(first->Active()) << "a monitor without owner activates at once";
  int secondHeard = 0;
  {
    TCustomMySQLMonitor second(nullptr);
    second.OnSQL = [&](TObject*, const String&, TDATraceFlag) { ++secondHeard; };
    EXPECT_EQ(TCustomMySQLMonitor::GetActiveMonitor(), first.get());
    // Also while the first one is inactive, the second one hears nothing.
    first->SetActive(false);
    TMyConnection conn(nullptr);
    int32_t id = 0;
    MySQLMonitorClass().ConnectHook(&conn, true, id);
  }
  EXPECT_EQ(secondHeard, 0);
  EXPECT_EQ(TCustomMySQLMonitor::GetActiveMonitor(), first.get());
  first.reset();
  EXPECT_EQ(TCustomMySQLMonitor::GetActiveMonitor(), nullptr);
}

TEST(MySQLMonitor, ParameterText) {
  RecordingMonitor r;
  TDAParams params;
  AddParam(params, u"a", ftString, ptInput, Variant(String(u"abc")));
  AddParam(params, u"n", ftInteger, ptOutput, Variant());
  AddParam(params, u"i", ftInteger, ptInputOutput, Variant(42));
  AddParam(params, u"r", ftInteger, ptResult, Variant(7));
  TMsgSQLParams items;
  EXPECT_EQ(r.monitor->ParamsText(&params, &items),
            u":a(String[3],IN)='abc' \r\n:n(Integer,OUT)=<NULL> \r\n"
            u":i(Integer,IN/OUT)=42 \r\n:r(Integer,RESULT)=7");
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].Name, u"a");
  EXPECT_EQ(items[0].DataType, u"String[3]");
  EXPECT_EQ(items[0].ParamType, u"IN");
  EXPECT_EQ(items[0].Value, u"'abc'");
  EXPECT_EQ(r.monitor->ParamsText(nullptr, nullptr), u"");
}

// A value that gives no text leaves out the "=".
class BlankValueMonitor : public TCustomMySQLMonitor {
 public:
  using TCustomMySQLMonitor::TCustomMySQLMonitor;
  String GetParamValue(TDAParam*) override { return {}; }
};

TEST(MySQLMonitor, ParameterWithoutValueTextHasNoEquals) {
  BlankValueMonitor monitor(nullptr);
  TDAParams params;
  AddParam(params, u"x", ftInteger, ptUnknown, Variant(1));
  EXPECT_EQ(monitor.ParamsText(&params, nullptr), u":x(Integer)");
}

TEST(MySQLMonitor, OnSQLHearsTheTextsOfEachKindOfEvent) {
  RecordingMonitor r;
  TMyConnection conn(nullptr);
  conn.SetUsername(u"ann");
  conn.SetServer(u"db1");
  TMyTransaction transaction(nullptr);
  TDAParams params;
  AddParam(params, u"a", ftString, ptInput, Variant(String(u"abc")));
  const TDASQLMonitorClass& mc = MySQLMonitorClass();
  int32_t id = 0;

  mc.PrepareHook(&conn, u"select :a \r\n\t", true, id, &params);
  mc.PrepareHook(&conn, u"select :a", false, id, &params);
  mc.ExecuteHook(&conn, u"select :a", true, id, u"", &params);
  mc.ExecuteHook(&conn, u"select 1", true, id, u"", nullptr);
  mc.ConnectHook(&conn, true, id);
  mc.DisconnectHook(&conn, true, id);
  mc.StartHook(&conn, true, id);
  mc.CommitHook(&transaction, true, id);
  mc.CommitHook(&transaction, false, id);
  mc.SavepointHook(&transaction, u"sp1", true, id);
  mc.SavepointHook(&transaction, u"sp1", false, id);
  mc.ErrorHook(Exception(u"Table 'x' doesn't exist"));

  struct Want {
    TObject* sender;
    String text;
    TDATraceFlag flag;
  };
  const std::vector<Want> want = {
      {&conn, u"Prepare: select :a\r\n:a(String[3],IN)='abc'", tfQPrepare},
      {&conn, u"select :a\r\n:a(String[3],IN)='abc'", tfQExecute},
      {&conn, u"select 1", tfQExecute},
      {&conn, u"Connect: ann@db1", tfConnect},
      {&conn, u"Disconnect: ann@db1", tfConnect},
      {&conn, u"Start: ann@db1", tfTransact},
      {&transaction, u"Commit: ", tfTransact},
      {&transaction, u"Savepoint sp1 ", tfTransact},
      {&transaction, u"Savepoint sp1 ", tfTransact},
      {nullptr, u"Error: Table 'x' doesn't exist", tfError},
  };
  ASSERT_EQ(r.heard.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(r.heard[i].sender, want[i].sender) << i;
    EXPECT_EQ(r.heard[i].text, want[i].text) << i;
    EXPECT_EQ(r.heard[i].flag, want[i].flag) << i;
  }
}

TEST(MySQLMonitor, HandledOptionAddsTheObjectInfo) {
  RecordingMonitor r;
  r.monitor->SetOptions({moHandled});
  TMyConnection conn(nullptr);
  conn.SetName(u"Conn1");
  int32_t id = 0;
  MySQLMonitorClass().ConnectHook(&conn, true, id);
  ASSERT_EQ(r.heard.size(), 1u);
  const String text = r.heard[0].text;
  EXPECT_EQ(text.rfind(u"Connect: @ [Conn1$", 0), 0u) << UTF8Encode(text);
  EXPECT_EQ(text.substr(text.size() - 2), u"] ");
  EXPECT_EQ(text.size(), String(u"Connect: @ [Conn1$").size() + 8 + 2);
}

TEST(MySQLMonitor, TraceFlagsChooseWhatIsReported) {
  RecordingMonitor r;
  r.monitor->SetTraceFlags({tfConnect});
  TMyConnection conn(nullptr);
  int32_t id = 0;
  MySQLMonitorClass().ExecuteHook(&conn, u"select 1", true, id, u"", nullptr);
  MySQLMonitorClass().ConnectHook(&conn, true, id);
  MySQLMonitorClass().ErrorHook(Exception(u"e"));
  ASSERT_EQ(r.heard.size(), 1u);
  EXPECT_EQ(r.heard[0].flag, tfConnect);
}

TEST(MySQLMonitor, ObjectDestroyedNamesTheObject) {
  RecordingMonitor r;
  TMyConnection conn(nullptr);
  conn.SetName(u"Main");
  MySQLMonitorClass().ObjectDestroyedHook(&conn);
  TDAParams unnamed;
  MySQLMonitorClass().ObjectDestroyedHook(&unnamed);
  ASSERT_EQ(r.heard.size(), 2u);
  EXPECT_EQ(r.heard[0].text, u"Object destroyed: Main");
  const String other = r.heard[1].text;
  EXPECT_EQ(other.rfind(u"Object destroyed: TDAParams ($", 0), 0u) << UTF8Encode(other);
  EXPECT_EQ(other.back(), u')');
}

// The debug dialog hears prepare and execute when no monitor is active; the monitor's own
// formatting is not reached.
TEST(MySQLMonitor, WithoutAMonitorOnlyTheDebugDialogHearsPrepareAndExecute) {
  static std::vector<String> words;
  words.clear();
  SetDebugDialogHook([](const TDASQLMonitorClass&, TComponent*, const String&, const String& word,
                        TDAParams*) { words.push_back(word); });
  TMyConnection conn(nullptr);
  int32_t id = 0;
  MySQLMonitorClass().PrepareHook(&conn, u"select 1", true, id, nullptr);
  MySQLMonitorClass().PrepareHook(&conn, u"select 1", false, id, nullptr);
  MySQLMonitorClass().ExecuteHook(&conn, u"select 1", true, id, u"", nullptr);
  MySQLMonitorClass().ExecuteHook(&conn, u"select 1", true, id, u"Refresh", nullptr);
  MySQLMonitorClass().ConnectHook(&conn, true, id);
  SetDebugDialogHook(nullptr);
  EXPECT_EQ(words, (std::vector<String>{u"Prepare", u"Execute", u"Refresh"}));
}

// The description of an updater statement names the kinds of the statement.
TEST(MySQLMonitor, StatementKindsText) {
  struct Case {
    TStatementTypes types;
    String text;
  };
  const std::vector<Case> cases = {
      {{stInsert}, u"Insert"},
      {{stLock, stRefresh}, u"Lock,Refresh"},
      {{stRefreshCheckDeleted, stBatchUpdate}, u"RefreshCheckDeleted,BatchUpdate"},
      {{}, u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TMonitoredExecution::StatementTypesText(c.types), c.text) << UTF8Encode(c.text);
}

// A MySQL dataset's command is its record set's; a component that is no MySQL dataset or
// command has none to show the sent text of.
TEST(MySQLMonitor, MySQLCommandOfAComponent) {
  TMyConnection conn(nullptr);
  TMyQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(u"SELECT 1");
  ASSERT_NE(query.IRecordSet(), nullptr);
  TLxCommand* recordSetCommand = TMyAccessUtils::GetMySQLCommand(&query);
  EXPECT_NE(recordSetCommand, nullptr);
  EXPECT_EQ(recordSetCommand, query.IRecordSet()->GetCommand());
  EXPECT_THROW(TMyAccessUtils::GetMySQLCommand(&conn), EAssertionFailed);
}

}  // namespace
