// The HTTP tunnel transport against the test tunnel server, with a scripted stand-in for the
// database server behind it: the requests and their addresses, a read reply longer than the read,
// writes in pieces, every misbehaviour of the script (each leaving no thread or socket behind),
// and the keep-alive on the headless back end's virtual clock.
#include "Common/LxVioHttp.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>

#include "platform/rtl/UnicodeText.h"
#include "platform/ui/Application.h"
#include "platform/ui/UiSession.h"
#include "platform/win/WinApi.h"
#include "tests/support/FakeServer.h"
#include "tests/support/HttpTunnelServer.h"
#include "tests/support/ProcessResources.h"

namespace {

using httptest::Fault;
using httptest::TunnelServer;

// A database stand-in that accepts every connection and says nothing until its client goes.
class SilentServer {
 public:
  uint16_t Port() const { return FListener.Port(); }

 private:
  httptest::Listener FListener{[this](int socket) {
    httptest::WaitReadable(socket, std::chrono::seconds(30),
                           [this] { return FListener.Stopping(); });
  }};
};

using Resources = testsupport::ProcessResources;

std::unique_ptr<TLxVioHttp> Tunnel(const TunnelServer& server, uint16_t mysqlPort, int timeout,
                                   const std::string& user = "", const std::string& password = "") {
  THttpOptions options;
  options.SetUrl(UTF8ToString(server.Url()));
  options.SetUsername(UTF8ToString(user));
  options.SetPassword(UTF8ToString(password));
  auto vio = std::make_unique<TLxVioHttp>(options, mysqlPort, "127.0.0.1");
  vio->SetTimeout(timeout);
  return vio;
}

std::string Text(const TLxVio& vio) { return UTF8Encode(vio.LastError()); }

TEST(HttpTunnel, KeepAliveIntervalFollowsTheAnnouncedPeriodAndTheTimeOut) {
  struct Case {
    int period, timeout;
    uint32_t ms;
  } cases[] = {{60, 15, 45000}, {20, 15, 10000}, {31, 15, 16000}, {30, 15, 15000},
               {60, 0, 53000},  {9, -1, 4000},   {0, 15, 0},      {-4, 15, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(TLxVioHttp::KeepAliveFor(c.period, c.timeout), c.ms) << c.period << " " << c.timeout;
}

TEST(HttpTunnel, RequestsGoToTheScriptWithCredentialsAndAReadKeepsWhatItDidNotTake) {
  const std::string bytes = "abcdefghijklmnopqrstuvwxy";  // 25
  fake::FakeServer mysql({fake::SendBytes(fake::B(bytes)), fake::ReadUntilClose()});
  TunnelServer server;
  server.RequireAuthorization("Basic dTpw");
  auto vio = Tunnel(server, mysql.Port(), 15, "u", "p");
  EXPECT_TRUE(vio->Closed());
  vio->Connect();
  EXPECT_FALSE(vio->Closed());
  EXPECT_EQ(vio->TunnelNumber(), 5u);
  EXPECT_EQ(vio->KeepAliveInterval(), 45000u);
  EXPECT_EQ(vio->ActionUrl('r'), server.Url() + "/?a=r&port=5");

  uint8_t got[30] = {};
  EXPECT_EQ(vio->ReadChunk(got, 0, 10), 10);
  EXPECT_EQ(vio->ReadChunk(got, 10, 10), 10) << "the look-ahead byte and nine more";
  EXPECT_EQ(vio->ReadChunk(got, 20, 10), 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(got), 25), bytes);
  EXPECT_EQ(server.Count('r'), 1) << "one reply served the three reads";

  vio->Close();
  vio->Close();
  EXPECT_TRUE(vio->Closed());
  EXPECT_EQ(server.Count('x'), 1);
  EXPECT_EQ(server.OpenTunnels(), 0u);

  const auto log = server.Requests();
  ASSERT_GE(log.size(), 4u);
  const std::string query = "s=127.0.0.1&p=" + std::to_string(mysql.Port()) + "&id=";
  std::smatch connect;
  ASSERT_TRUE(std::regex_match(
      log[0].Target, connect,
      std::regex("/tunnel\\.php/\\?a=c&" + query + "([0-9]{1,6}_[0-9]{1,6})&port=0")))
      << log[0].Target;
  bool tested = false;
  for (const auto& request : log) {
    EXPECT_EQ(request.Authorization, "Basic dTpw") << request.Target;
    if (request.Action == 't') {
      EXPECT_EQ(request.Target, "/tunnel.php/?a=t&" + query + connect[1].str() + "&port=0");
      tested = true;
    }
    if (request.Action == 'x') {
      EXPECT_EQ(request.Target, "/tunnel.php/?a=x&port=5");
    }
  }
  EXPECT_TRUE(tested);
}

TEST(HttpTunnel, AWriteIsPostedInPiecesOfTwoMegabytes) {
  const size_t total = 5u << 20;
  std::string data(total, '\0');
  for (size_t i = 0; i < total; ++i) data[i] = static_cast<char>(i * 7 + i / 4096);
  fake::FakeServer mysql({fake::ReadBytes(total), fake::ReadUntilClose()});
  TunnelServer server;
  auto vio = Tunnel(server, mysql.Port(), 15);
  vio->Connect();
  EXPECT_EQ(
      vio->Write(reinterpret_cast<const uint8_t*>(data.data()), 0, static_cast<int32_t>(total)),
      static_cast<int32_t>(total));
  std::vector<size_t> pieces;
  for (const auto& request : server.Requests())
    if (request.Action == 'w') {
      EXPECT_EQ(request.Method, "POST");
      pieces.push_back(request.BodyLength);
    }
  EXPECT_EQ(pieces, (std::vector<size_t>{2097152, 2097152, 1048576}));
  vio.reset();
  mysql.Wait();
  fake::Bytes received = mysql.Received();
  EXPECT_TRUE(std::string(received.begin(), received.end()) == data);
}

TEST(HttpTunnel, EveryMisbehaviourOfTheScriptGivesItsErrorAndLeavesNothingBehind) {
  struct Case {
    const char* name;
    char action;
    Fault fault;
    int timeout;
    std::string error;  // a prefix of LastError
    bool closesTheTunnel;
  } cases[] = {
      {"ER: on read", 'r', Fault::ScriptError, 5, TunnelServer::ScriptErrorText, true},
      {"ER: on write", 'w', Fault::ScriptError, 5, TunnelServer::ScriptErrorText, true},
      {"an unknown reply", 'r', Fault::UnknownReply, 5, "HTTP Script unknown error: XX!garbage",
       true},
      {"no HTTP", 'r', Fault::NotHttp, 5, "Unknown protocol", false},
      {"a truncated reply", 'r', Fault::Truncate, 5,
       "The HTTP response ended before the length it announced", false},
      {"a redirect loop", 'r', Fault::Redirect, 5, "Too many HTTP redirects (more than 10)", false},
      {"a dropped request", 'w', Fault::Drop, 5, "There is no enough data to read", false},
      {"a stall past the time-out", 'r', Fault::Stall, 1, "Socket error on read", false},
      {"ER: on connect", 't', Fault::ScriptError, 1, "Cannot establish HTTP connection", true},
      {"a stall on connect", 't', Fault::Stall, 1, "Cannot establish HTTP connection", true},
  };
  for (const Case& c : cases) {
    const Resources before;
    {
      SilentServer mysql;
      TunnelServer server;
      server.AddFault(c.action, 0, c.fault);
      auto vio = Tunnel(server, mysql.Port(), c.timeout);
      if (c.action == 't') {
        try {
          vio->Connect();
          ADD_FAILURE() << c.name << ": connected";
        } catch (const HttpException& e) {
          EXPECT_EQ(UTF8Encode(e.Message()), c.error) << c.name;
        }
      } else {
        vio->Connect();
        uint8_t buffer[64] = {};
        const int32_t moved =
            c.action == 'r' ? vio->ReadChunk(buffer, 0, 64) : vio->WriteChunk(buffer, 0, 64);
        EXPECT_EQ(moved, 0) << c.name;
      }
      EXPECT_EQ(Text(*vio).rfind(c.error, 0), 0u) << c.name << ": " << Text(*vio);
      EXPECT_EQ(Text(*vio).find("127.0.0.1:"), std::string::npos) << c.name;
      EXPECT_EQ(vio->Closed(), c.closesTheTunnel) << c.name;
      if (c.fault == Fault::Redirect) {
        EXPECT_EQ(server.Count('r'), 11) << c.name;
      }
      vio.reset();
      server.Stop();
      EXPECT_EQ(server.OpenTunnels(), 0u);
    }
    EXPECT_EQ(THttpConnectThread::AbandonedCount(), 0u) << c.name;
    const Resources after;
    EXPECT_EQ(after.Files, before.Files) << c.name;
    EXPECT_EQ(after.Threads, before.Threads) << c.name;
  }
}

// --- the keep-alive ---------------------------------------------------------------------------

class KeepAlive : public ::testing::Test {
 protected:
  void Advance(uint64_t ms) {
    Session.Headless().AdvanceBy(ms);
    for (;;) {
      Application->ProcessMessages();
      if (Session.Headless().StepsLeft() == 0) return;
      WaitMessage();
    }
  }

  THeadlessUiSession Session;
  fake::FakeServer Mysql{{fake::SendBytes(fake::B("four")), fake::ReadUntilClose()}};
  TunnelServer Server{60};
};

TEST_F(KeepAlive, RunsOnItsIntervalNeverDuringARequestAndNotAfterClose) {
  auto vio = Tunnel(Server, Mysql.Port(), 15);
  vio->Connect();
  ASSERT_NE(vio->KeepAliveTimer(), nullptr);
  EXPECT_EQ(vio->KeepAliveTimer()->Interval(), 45000u);
  Advance(44999);
  EXPECT_EQ(Server.Count('l'), 0);
  Advance(1);
  EXPECT_EQ(Server.Count('l'), 1);

  // A read held by the script on another thread: the keep-alive's turn passes without a request.
  Server.AddFault('r', 1, Fault::Hold);
  int32_t read = -1;
  uint8_t buffer[4];
  std::thread reader([&] { read = vio->ReadChunk(buffer, 0, 4); });
  ASSERT_TRUE(Server.WaitFor('r', 1, std::chrono::seconds(10)));
  Advance(45000);
  EXPECT_EQ(Server.Count('l'), 1);
  Server.Release();
  reader.join();
  EXPECT_EQ(read, 4);
  Advance(45000);
  EXPECT_EQ(Server.Count('l'), 2) << "the turns go on after the read";
  const auto events = Server.Events();
  auto readStart = std::find(events.begin(), events.end(), "r+");
  auto readEnd = std::find(events.begin(), events.end(), "r-");
  ASSERT_LT(readStart, readEnd);
  EXPECT_EQ(std::find(readStart, readEnd, "l+"), readEnd);

  vio->Close();
  EXPECT_EQ(vio->KeepAliveTimer(), nullptr);
  Advance(200000);
  EXPECT_EQ(Server.Count('l'), 2);
}

TEST_F(KeepAlive, AFailedKeepAliveIsRaisedByTheNextRequestBeforeItIsSent) {
  auto vio = Tunnel(Server, Mysql.Port(), 15);
  vio->Connect();
  Server.AddFault('l', 1, Fault::Drop);
  Advance(45000);
  EXPECT_EQ(Server.Count('l'), 1);
  Advance(200000);
  EXPECT_EQ(Server.Count('l'), 1) << "the timer stays off after a failure";
  uint8_t buffer[4];
  EXPECT_EQ(vio->ReadChunk(buffer, 0, 4), 0);
  EXPECT_EQ(Text(*vio), "There is no enough data to read");
  EXPECT_EQ(Server.Count('r'), 0);
  EXPECT_EQ(vio->ReadChunk(buffer, 0, 4), 4) << "raised once, the failure is gone";
}

}  // namespace
