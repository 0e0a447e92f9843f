// The SQL monitor against the private server: the components call its hooks around what they do,
// nothing is reported (or formatted) without an active monitor, and the events reach a listening
// monitor program.
#include "MySql/OrbiqMonitor.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Common/DBAccess_SQL.h"
#include "MySql/MyAccess.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/MonitorListener.h"

namespace {

struct Heard {
  TObject* sender;
  String text;
};

class MonitorServer : public ::testing::Test {
 protected:
  void SetUp() override { ApplyTestSettings(conn); }

  std::unique_ptr<TCustomMySQLMonitor> Monitor(TMonitorOptions options) {
    auto monitor = std::make_unique<TCustomMySQLMonitor>(nullptr);
    monitor->SetOptions(options);
    monitor->OnSQL = [this](TObject* sender, const String& text, TDATraceFlag) {
      heard.push_back({sender, text});
    };
    return monitor;
  }
  std::vector<String> Texts() const {
    std::vector<String> texts;
    for (const Heard& h : heard) texts.push_back(h.text);
    return texts;
  }

  TMyConnection conn{nullptr};
  std::vector<Heard> heard;
};

TEST_F(MonitorServer, ConnectionCommandAndTransactionReportTheirSteps) {
  auto monitor = Monitor({moCustom});
  conn.SetConnected(true);
  std::unique_ptr<TCustomDASQL> command = conn.CreateSQL();
  command->SetSQLText(u"SELECT :a");
  command->ParamByName(u"a")->SetAsString(u"abc");
  command->Prepare();
  command->Execute();
  conn.StartTransaction();
  conn.Commit();
  EXPECT_THROW(conn.ExecSQL(u"SELECT * FROM no_such_table_here", {Variant(1)}), Exception);
  command.reset();
  conn.SetConnected(false);

  const String who = conn.Username() + u"@" + conn.Server();
  const std::vector<String> texts = Texts();
  ASSERT_GE(texts.size(), 8u) << UTF8Encode(texts.empty() ? String() : texts.back());
  EXPECT_EQ(texts[0], u"Connect: " + who);
  EXPECT_EQ(texts[1], u"Prepare: SELECT :a\r\n:a(String[3])='abc'");
  EXPECT_EQ(texts[2], u"SELECT :a\r\n:a(String[3])='abc'");
  EXPECT_EQ(texts[3], u"Start: ");
  EXPECT_EQ(texts[4], u"Commit: ");
  // The failing statement goes through the connection's own command, then the error.
  bool error = false;
  for (const String& t : texts)
    error = error || (t.rfind(u"Error: ", 0) == 0 && t.find(u"no_such_table_here") != String::npos);
  EXPECT_TRUE(error);
  EXPECT_EQ(texts.back(), u"Disconnect: " + who);
}

TEST_F(MonitorServer, DataSetReportsPrepareOpenAndUnprepare) {
  auto monitor = Monitor({moCustom});
  std::unique_ptr<TCustomDADataSet> query = conn.CreateDataSet();
  query->SetSQLText(u"SELECT 1 AS one");
  query->Prepare();
  query->Open();
  query->Close();
  query->UnPrepare();
  query->SetNoMonitor(true);
  query->Open();
  query->Close();
  const std::vector<String> texts = Texts();
  ASSERT_GE(texts.size(), 4u);
  EXPECT_EQ(texts[texts.size() - 3], u"Prepare: SELECT 1 AS one");
  EXPECT_EQ(texts[texts.size() - 2], u"SELECT 1 AS one");
  EXPECT_EQ(texts.back(), u"Unprepare: SELECT 1 AS one") << "nothing after NoMonitor";
  EXPECT_EQ(heard.back().sender, query.get());
}

TEST_F(MonitorServer, NoMonitorNoReportUnlessDebug) {
  static int dialogs;
  dialogs = 0;
  SetDebugDialogHook(
      [](const TDASQLMonitorClass&, TComponent*, const String&, const String&, TDAParams*) {
        ++dialogs;
      });
  std::unique_ptr<TCustomDASQL> command = conn.CreateSQL();
  command->SetSQLText(u"SELECT 1");
  command->Execute();
  EXPECT_EQ(dialogs, 0) << "without a monitor and Debug the hooks are not called";
  command->SetDebug(true);
  command->Execute();
  EXPECT_EQ(dialogs, 1);
  command->SetNoMonitor(true);
  command->Execute();
  EXPECT_EQ(dialogs, 1) << "an unmonitored command never reports";
  SetDebugDialogHook(nullptr);
}

TEST_F(MonitorServer, EventsReachTheMonitorProgram) {
  monitortest::MonitorListener listener;
  auto monitor = std::make_unique<TCustomMySQLMonitor>(nullptr);
  monitor->SetActive(false);
  monitor->QuelscopeOptions()->Host = u"127.0.0.1";
  monitor->QuelscopeOptions()->Port = listener.Port();
  monitor->QuelscopeOptions()->ReconnectTimeout = 0;
  monitor->SetActive(true);
  conn.SetConnected(true);
  std::unique_ptr<TCustomDASQL> command = conn.CreateSQL();
  command->SetName(u"Cmd");
  command->SetSQLText(u"SELECT :a");
  command->ParamByName(u"a")->SetAsInteger(5);
  command->Execute();
  auto eventsOf = [](const std::vector<monitortest::Frame>& frames) {
    std::vector<monitortest::Frame> events;
    for (const auto& f : frames)
      if (f.Type == 4 || f.Type == 5) events.push_back(f);
    return events;
  };
  // connect start and end, execute start and end
  ASSERT_TRUE(listener.WaitUntil([&](const auto& frames) { return eventsOf(frames).size() >= 4; }));
  const std::vector<monitortest::Frame> frames = listener.Frames();
  const std::vector<monitortest::Frame> events = eventsOf(frames);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(frames[0].Type, 2);
  EXPECT_EQ(frames[0].Strings.at(0), "Orbiq monitoring is started");
  const auto& start = events[2];
  const auto& end = events[3];
  EXPECT_EQ(start.Ints.at(1), 10) << "execute";
  EXPECT_EQ(start.Strings.at(1), "Cmd");
  EXPECT_EQ(start.Ints.at(5), 3) << "a command";
  EXPECT_EQ(start.Strings.at(2), "TMyCommand");
  EXPECT_EQ(start.Ints.at(7), 1) << "its parent is a connection";
  EXPECT_EQ(start.Strings.at(5), "SELECT :a");
  EXPECT_EQ(std::vector<std::string>(start.Strings.begin() + 6, start.Strings.begin() + 10),
            (std::vector<std::string>{"a", "Integer", "", "5"}));
  EXPECT_EQ(end.Type, 5);
  EXPECT_EQ(end.Ints.at(2), start.Ints.at(2)) << "the end carries the start's event id";
  monitor.reset();  // queues the finish message
  ASSERT_TRUE(listener.WaitUntil([&](const auto& now) {
    return now.size() > frames.size() && now.back().Type == 1;
  }));
}

}  // namespace
