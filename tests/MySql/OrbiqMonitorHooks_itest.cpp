// What the SQL monitor hears, against the private server, from the statements a dataset runs
// through its updater and service (posting, refresh, the server row count, default values),
// from the statement text each MySQL command sends, from destroyed components, from the
// transaction component's refusals and from the connection pool.
#include "MySql/OrbiqMonitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "Common/DBAccess_SQL.h"
#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyAccess_Transaction.h"
#include "MySql/MyConnectionPool.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/MonitorListener.h"

namespace {

struct Heard {
  TObject* sender;
  String text;
  TDATraceFlag flag;
};

std::vector<String>& DialogWords() {
  static std::vector<String> words;
  return words;
}

class MonitorHooks : public ::testing::Test {
 protected:
  void SetUp() override {
    other.Exec(u"DROP TABLE IF EXISTS monitor_probe");
    other.Exec(
        u"CREATE TABLE monitor_probe (id INT NOT NULL AUTO_INCREMENT PRIMARY KEY, "
        u"name VARCHAR(20)) CHARACTER SET utf8mb4");
    other.Exec(u"INSERT INTO monitor_probe (name) VALUES ('Ann'), ('Bob')");
    ApplyTestSettings(conn);
    conn.SetName(u"Conn");
    query = std::make_unique<TMyQuery>(nullptr);
    query->SetName(u"Donors");
    query->SetConnection(&conn);
    query->SetSQLText(u"SELECT id, name FROM monitor_probe ORDER BY id");
    // The dialog output hears each execution's description ("Insert", "Refresh" ...).
    DialogWords().clear();
    SetDebugDialogHook([](const TDASQLMonitorClass&, TComponent*, const String&,
                          const String& word, TDAParams*) { DialogWords().push_back(word); });
    monitor = std::make_unique<TCustomMySQLMonitor>(nullptr);
    monitor->SetOptions({moDialog});
    monitor->SetTraceFlags(monitor->TraceFlags().Include(tfObjDestroy));
    monitor->OnSQL = [this](TObject* sender, const String& text, TDATraceFlag flag) {
      heard.push_back({sender, text, flag});
    };
  }
  void TearDown() override {
    monitor.reset();
    SetDebugDialogHook(nullptr);
    query.reset();
    other.Exec(u"DROP TABLE IF EXISTS monitor_probe");
  }

  // What was heard from here on, by flag.
  std::vector<String> Texts(TDATraceFlag flag, size_t from = 0) const {
    std::vector<String> texts;
    for (size_t i = from; i < heard.size(); ++i)
      if (heard[i].flag == flag) texts.push_back(heard[i].text);
    return texts;
  }

  TOtherSession other;
  TMyConnection conn{nullptr};
  std::unique_ptr<TMyQuery> query;
  std::unique_ptr<TCustomMySQLMonitor> monitor;
  std::vector<Heard> heard;
};

bool StartsWith(const String& text, const String& head) { return text.rfind(head, 0) == 0; }
bool EndsWith(const String& text, const String& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Each step the dataset takes on its own behalf is reported once, for the dataset, with its
// description for the dialog, the statement and parameters for OnSQL, and, where the statement
// goes through the dataset's own or its updater's command, the text that command sent.
TEST_F(MonitorHooks, DataSetStepsAreReportedWithTheirDescriptions) {
  struct Step {
    const char* name;
    std::function<void()> run;
    String word;       // the description the dialog hears
    String sqlHead;    // how the reported statement begins
    String paramText;  // how the report ends: the parameter text
    String sentPart;   // a piece of the text the command sent; empty when none is reported
  };
  query->Open();
  const std::vector<Step> steps = {
      {"insert",
       [&] {
         query->Append();
         query->FieldByName(u"name")->SetAsString(u"Cleo");
         query->Post();
       },
       u"Insert", u"INSERT INTO monitor_probe", u":name(WideString[4],IN)='Cleo'", u"('Cleo')"},
      {"update",
       [&] {
         query->Edit();
         query->FieldByName(u"name")->SetAsString(u"Dora");
         query->Post();
       },
       u"Update", u"UPDATE monitor_probe",
       u":name(WideString[4],IN)='Dora' \r\n:Old_id(Integer,IN)=3", u"name = 'Dora'"},
      {"delete", [&] { query->Delete(); }, u"Delete", u"DELETE FROM monitor_probe",
       u":Old_id(Integer,IN)=3", u"id = 3"},
      {"refresh", [&] { query->Refresh(); }, u"Refresh",
       u"SELECT id, name FROM monitor_probe ORDER BY id", u"ORDER BY id",
       u"SELECT id, name FROM monitor_probe ORDER BY id"},
      {"server row count",
       [&] {
         query->Close();
         query->SetFetchAll(false);
         query->Options()->QueryRecCount = true;
         query->Open();
       },
       u"Get RecCount", u"SELECT COUNT(*) FROM monitor_probe", u"monitor_probe", u""},
      {"default values",
       [&] {
         query->Close();
         query->SetFetchAll(true);
         query->Options()->QueryRecCount = false;
         query->Open();
         query->FieldByName(u"name")->SetDefaultExpression(u"CONCAT('a', 'b')");
         heard.clear();
         DialogWords().clear();
         query->Append();
         query->Cancel();
       },
       u"Select default values", u"SELECT CONCAT('a', 'b')", u"CONCAT('a', 'b')", u""},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    heard.clear();
    DialogWords().clear();
    step.run();
    const std::vector<String>& words = DialogWords();
    ASSERT_EQ(std::count(words.begin(), words.end(), step.word), 1);
    // The execution with that description; an open reports its own execute besides.
    const auto it = std::find_if(heard.begin(), heard.end(), [&](const Heard& h) {
      return h.flag == tfQExecute && StartsWith(h.text, step.sqlHead);
    });
    ASSERT_NE(it, heard.end());
    EXPECT_EQ(it->sender, query.get());
    EXPECT_TRUE(EndsWith(it->text, step.paramText)) << UTF8Encode(it->text);
    const std::vector<String> sent = Texts(tfMisc);
    if (step.sentPart.empty()) continue;
    const bool found = std::any_of(sent.begin(), sent.end(), [&](const String& t) {
      return t.find(step.sentPart) != String::npos && t.find(u'?') == String::npos;
    });
    EXPECT_TRUE(found) << "the statement text the command sent, values written in";
  }
  const TCustomDADataSet* reported = query.get();
  for (const Heard& h : heard) EXPECT_EQ(h.sender, reported) << UTF8Encode(h.text);
}

// The updater's internal components never report themselves: only the dataset does, once. A
// statement of the caller's own that one of them runs is reported as its execution.
TEST_F(MonitorHooks, InternalComponentsAreNotReportedTwice) {
  query->Open();
  heard.clear();
  query->Append();
  query->FieldByName(u"name")->SetAsString(u"Eve");
  query->Post();
  std::vector<String> executes = Texts(tfQExecute);
  ASSERT_EQ(executes.size(), 1u);
  EXPECT_TRUE(StartsWith(executes[0], u"INSERT INTO monitor_probe"));
  EXPECT_EQ(Texts(tfMisc).size(), 1u);

  TParams given(nullptr);
  given.CreateParam(ftUnknown, u"first", ptUnknown)->SetValue(Variant(String(u"Ida")));
  given.CreateParam(ftUnknown, u"second", ptUnknown)->SetValue(Variant(1));
  heard.clear();
  EXPECT_EQ(query->PSExecuteStatement(u"UPDATE monitor_probe SET name=? WHERE id=?", &given), 1);
  executes = Texts(tfQExecute);
  ASSERT_EQ(executes.size(), 1u);
  EXPECT_TRUE(StartsWith(executes[0], u"UPDATE monitor_probe SET name=:1 WHERE id=:2\r\n"))
      << UTF8Encode(executes[0]);

  // The same internal component is kept from reporting again when the updater takes it.
  heard.clear();
  query->Close();
  query->SetFetchAll(false);
  query->Options()->QueryRecCount = true;
  query->Open();
  EXPECT_EQ(std::count(DialogWords().begin(), DialogWords().end(), String(u"Get RecCount")), 1);
  EXPECT_EQ(Texts(tfQExecute).size(), 2u) << "the count and the open";
}

// With no monitor and Debug off nothing reaches even the dialog; Debug on reports the
// dataset's own steps without a monitor.
TEST_F(MonitorHooks, WithoutAMonitorOnlyDebugReports) {
  monitor.reset();
  query->Open();
  query->Append();
  query->FieldByName(u"name")->SetAsString(u"Finn");
  query->Post();
  query->Refresh();
  EXPECT_TRUE(DialogWords().empty());
  query->SetDebug(true);
  query->Edit();
  query->FieldByName(u"name")->SetAsString(u"Gus");
  query->Post();
  query->Refresh();
  EXPECT_EQ(DialogWords(), (std::vector<String>{u"Update", u"Refresh"}));
}

TEST_F(MonitorHooks, CommandTextWithValuesWrittenIn) {
  conn.SetConnected(true);
  std::unique_ptr<TCustomDASQL> command = conn.CreateSQL();
  command->SetName(u"Cmd");
  command->SetSQLText(u"SELECT :a, :b");
  command->ParamByName(u"a")->SetAsString(u"it's");
  command->ParamByName(u"b")->SetAsInteger(7);
  heard.clear();
  command->Execute();
  ASSERT_EQ(Texts(tfMisc), (std::vector<String>{u"SELECT 'it\\'s', 7"}));
  const auto misc = std::find_if(heard.begin(), heard.end(),
                                 [](const Heard& h) { return h.flag == tfMisc; });
  EXPECT_EQ(misc->sender, command.get());
  EXPECT_EQ(Texts(tfQExecute).size(), 1u) << "the execute report comes first, then the text";
  EXPECT_EQ(heard.front().flag, tfQExecute);

  // A failed execution reports the text it sent but never ends; after it, with tfMisc off,
  // the command's text is no longer reported.
  command->SetSQLText(u"SELECT :a FROM no_such_table_here");
  command->ParamByName(u"a")->SetAsInteger(1);
  heard.clear();
  EXPECT_THROW(command->Execute(), Exception);
  EXPECT_EQ(Texts(tfMisc), (std::vector<String>{u"SELECT 1 FROM no_such_table_here"}));
  monitor->SetTraceFlags(monitor->TraceFlags().Exclude(tfMisc));
  command->SetSQLText(u"SELECT :a");
  command->ParamByName(u"a")->SetAsInteger(2);
  heard.clear();
  command->Execute();
  EXPECT_TRUE(Texts(tfMisc).empty());
  EXPECT_EQ(Texts(tfQExecute), (std::vector<String>{u"SELECT :a\r\n:a(Integer)=2"}));
}

TEST_F(MonitorHooks, DestroyedComponentsAreNamed) {
  {
    TMyConnection local(nullptr);
    ApplyTestSettings(local);
    local.SetName(u"Local");
    local.SetConnected(true);
    auto transaction = std::make_unique<TMyTransaction>(nullptr);
    transaction->SetName(u"Tx");
    transaction->SetDefaultConnection(&local);
    std::unique_ptr<TCustomDASQL> command = local.CreateSQL();
    command->SetName(u"Cmd");
    auto dataSet = std::make_unique<TMyQuery>(nullptr);
    dataSet->SetName(u"List");
    dataSet->SetConnection(&local);
    dataSet->SetSQLText(u"SELECT 1 AS one");
    dataSet->Open();
    transaction->StartTransaction();
    heard.clear();
    command.reset();
    dataSet.reset();
    transaction.reset();
  }
  std::vector<String> texts;
  for (const Heard& h : heard)
    if (h.flag == tfObjDestroy || h.flag == tfConnect || h.flag == tfTransact)
      texts.push_back(h.text);
  const String who = conn.Username() + u"@" + conn.Server();
  EXPECT_EQ(texts, (std::vector<String>{u"Object destroyed: Cmd", u"Object destroyed: List",
                                        u"Rollback: ", u"Object destroyed: Tx",
                                        u"Disconnect: " + who, u"Object destroyed: Local"}))
      << "an active transaction is rolled back first; the connection's own one is not reported";
}

TEST_F(MonitorHooks, TransactionRefusalsAreReportedAsErrors) {
  struct Case {
    const char* name;
    std::function<void(TMyTransaction&)> run;
    String message;
  };
  TMyConnection second(nullptr);
  ApplyTestSettings(second);
  const std::vector<Case> cases = {
      {"commit retaining while inactive", [](TMyTransaction& t) { t.CommitRetaining(); },
       u"Can't perform operation on inactive transaction"},
      {"second transaction on the connection",
       [&](TMyTransaction& t) {
         conn.StartTransaction();
         try {
           t.StartTransaction();
         } catch (...) {
           conn.Rollback();
           throw;
         }
       },
       u"Multiple transactions are not supported by the database"},
      {"connection not connected", [&](TMyTransaction& t) {
         t.AddConnection(&second);
         t.Savepoint(u"sp");
       },
       u"One of the connections in the transaction is not active"},
  };
  conn.SetConnected(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMyTransaction transaction(nullptr);
    transaction.SetDefaultConnection(&conn);
    heard.clear();
    EXPECT_THROW(c.run(transaction), Exception);
    const std::vector<String> errors = Texts(tfError);
    ASSERT_EQ(errors, (std::vector<String>{u"Error: " + c.message}));
  }
}

// The pool's events reach OnSQL with their texts, and the monitor program with the pool's
// description where the event names a connection of the pool.
TEST_F(MonitorHooks, PoolEventsCarryTheirTexts) {
  TMyConnectionPoolManager::FreeManager();
  monitortest::MonitorListener listener;
  monitor->SetActive(false);
  monitor->SetOptions({moQuelscope});
  monitor->SetTraceFlags({tfPool});
  monitor->QuelscopeOptions()->Host = u"127.0.0.1";
  monitor->QuelscopeOptions()->Port = listener.Port();
  monitor->QuelscopeOptions()->ReconnectTimeout = 0;
  monitor->SetActive(true);
  // The pools are gone by the end: what sent each report is looked at when it comes.
  std::vector<bool> fromPool;
  monitor->OnSQL = [&](TObject* sender, const String& text, TDATraceFlag flag) {
    heard.push_back({sender, text, flag});
    fromPool.push_back(dynamic_cast<TLxConnectionPool*>(sender) != nullptr);
  };
  {
    TMyConnection pooled(nullptr);
    ApplyTestSettings(pooled);
    pooled.PoolingOptions()->MaxPoolSize = 7;
    pooled.SetPooling(true);
    pooled.SetConnected(true);
    pooled.SetConnected(false);
  }
  TMyConnectionPoolManager::FreeManager();
  const std::vector<String> want = {
      u"Connection pool created. Pool has 0 connection(s)", u"Connection created in pool",
      u"Connection taken from pool",  u"Connection returned to pool",
      u"Connection destroyed in pool", u"Connection pool destroyed"};
  EXPECT_EQ(Texts(tfPool), want);
  EXPECT_EQ(fromPool, std::vector<bool>(want.size(), true));

  // A start and an end frame for each event.
  auto starts = [](const std::vector<monitortest::Frame>& frames) {
    std::vector<monitortest::Frame> found;
    for (const auto& f : frames)
      if (f.Type == 4 && f.Ints.at(1) == 15) found.push_back(f);
    return found;
  };
  ASSERT_TRUE(listener.WaitUntil([&](const auto& frames) { return starts(frames).size() >= 6; }));
  const std::vector<monitortest::Frame> events = starts(listener.Frames());
  ASSERT_EQ(events.size(), 6u);
  const std::string description =
      UTF8Encode(u"Username=" + conn.Username() + u"\rServer=" + conn.Server() + u"\rPort=" +
                 IntToStr(conn.Port()) + u"\rDatabase=" + conn.Database() +
                 u"\rMinPoolSize=0\rMaxPoolSize=7\rConnectionLifeTime=0\rValidate=False\r");
  const std::vector<std::string> sqls = {"", "", description, description, description, ""};
  for (size_t i = 0; i < events.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(events[i].Strings.at(0), UTF8Encode(want[i]));
    EXPECT_EQ(events[i].Strings.at(5), sqls[i]) << "the pool's description, where named";
    EXPECT_EQ(events[i].Ints.at(5), 5) << "a pool";
    EXPECT_EQ(events[i].Ints.at(7), 5) << "its parent, the pool manager";
  }
}

}  // namespace
