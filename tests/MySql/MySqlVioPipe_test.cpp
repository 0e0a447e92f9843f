// The local transport (the server's Unix socket) against socket files of the test's own, and the
// errors a session opened over it reports.
#include "MySql/MySqlVioPipe.h"

#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "MySql/MySqlErrors.h"
#include "MySql/MySqlSession.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/support/LocalSocketFixtures.h"

namespace {

using localsock::Listener;
using localsock::TempDir;

TEST(MySqlVioPipe, OnlyThisMachineIsALocalHost) {
  char own[256] = {};
  ASSERT_EQ(gethostname(own, sizeof own - 1), 0);
  for (const char* host : {"", ".", "localhost", "LocalHost", "LOCALHOST", "127.0.0.1",
                           "127.1.2.3", "::1"})
    EXPECT_TRUE(TMySqlVioPipe::IsLocalHost(host)) << host;
  EXPECT_TRUE(TMySqlVioPipe::IsLocalHost(own));
  for (const char* host : {"db.example", "10.0.0.1", "128.0.0.1", "localhost.example", "local"})
    EXPECT_FALSE(TMySqlVioPipe::IsLocalHost(host)) << host;
}

TEST(MySqlVioPipe, LargeWritesGoOutInPiecesAndArriveWhole) {
  TempDir dir;
  const std::string path = dir.path + "/server.sock";
  Listener listener(path, 4);
  TMySqlVioPipe vio("localhost", path, 3306);
  vio.SetTimeout(5);
  vio.Connect();
  int server = listener.Accept();
  ASSERT_GE(server, 0);

  std::vector<uint8_t> sent(100000);
  for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<uint8_t>(i * 7 + i / 251);
  std::vector<uint8_t> received;
  std::thread reader([&] {
    uint8_t chunk[8192];
    ssize_t n;
    while (received.size() < 1 + sent.size() &&
           (n = ::recv(server, chunk, sizeof chunk, 0)) > 0)
      received.insert(received.end(), chunk, chunk + n);
  });
  EXPECT_EQ(vio.WriteChunk(sent.data(), 0, 1), 1);
  EXPECT_EQ(vio.Write(sent.data(), 0, static_cast<int32_t>(sent.size())), 100000);
  reader.join();
  ASSERT_EQ(received.size(), 1 + sent.size());
  EXPECT_TRUE(std::equal(sent.begin(), sent.end(), received.begin() + 1));

  // One piece never exceeds 65535 bytes, whatever is asked.
  std::thread drain([&] {
    uint8_t chunk[8192];
    size_t total = 0;
    ssize_t n;
    while (total < 65535 && (n = ::recv(server, chunk, sizeof chunk, 0)) > 0) total += n;
  });
  EXPECT_EQ(vio.WriteChunk(sent.data(), 0, 100000), 65535);
  drain.join();

  // The peer's bytes come back through the read-ahead buffer; its close reads as 0.
  ASSERT_EQ(::send(server, "abc", 3, 0), 3);
  EXPECT_TRUE(vio.WaitForData(5));
  uint8_t got[3] = {};
  EXPECT_EQ(vio.Read(got, 0, 3), 3);
  EXPECT_EQ(std::string(got, got + 3), "abc");
  ::close(server);
  EXPECT_EQ(vio.Read(got, 0, 3), 0);
  vio.Close();
  EXPECT_FALSE(vio.IsConnected());
}

TEST(MySqlVioPipe, ASilentServerEndsAReadAtTheTimeOut) {
  TempDir dir;
  const std::string path = dir.path + "/server.sock";
  Listener listener(path, 4);
  TMySqlVioPipe vio("", path, 0);
  vio.SetTimeout(1);
  vio.Connect();
  uint8_t got[4];
  EXPECT_EQ(vio.ReadChunk(got, 0, 4), 0);
  EXPECT_EQ(vio.LastError(), u"Resource temporarily unavailable");
}

TEST(MySqlVioPipe, AnEmptyPipeNameIsTheStandardSocket) {
  TMySqlVioPipe vio("localhost", "", 3306);
  vio.SetTimeout(1);
  try {
    vio.Connect();
  } catch (const EMySqlException&) {
    // No server on this machine: the message names the path tried.
  }
  EXPECT_EQ(vio.PipeName(), "/run/mysqld/mysqld.sock");
}

// A session whose local socket cannot be opened reports the pipe's own error, not "can't connect".
TEST(MySqlVioPipe, ASessionReportsThePipeErrors) {
  TempDir dir;
  Listener bound(dir.path + "/bound.sock", 0, /*listening=*/false);
  Listener busy(dir.path + "/busy.sock", 0);
  TMySqlVioPipe filler("localhost", dir.path + "/busy.sock", 0);
  filler.SetTimeout(1);
  filler.Connect();  // fills the queue nobody accepts from

  struct Case {
    const char* host;
    std::string path;
    int32_t number;
    std::string reason;
  } cases[] = {
      {"db.example", dir.path + "/bound.sock", 2017,
       "a named pipe on another host cannot be reached from here: the local socket serves this "
       "machine only"},
      {"localhost", dir.path + "/missing.sock", 2017, "No such file or directory"},
      {"localhost", dir.path + "/bound.sock", 2017, "Connection refused"},
      {"LocalHost", dir.path + "/busy.sock", 2016, "Connection timed out"},
  };
  for (const Case& c : cases) {
    TMySqlSession session;
    session.SetProtocol(mpPipe);
    session.SetConnectTimeout(1);
    try {
      session.Connect(c.host, "tester", "x", "", 0, c.path, 0);
      ADD_FAILURE() << c.path << ": no error";
    } catch (const EMySqlException& e) {
      const std::string verb = c.number == 2016 ? "wait for" : "open";
      EXPECT_EQ(e.ErrorCode(), c.number) << c.path;
      EXPECT_EQ(e.Message(), UTF8ToString("Can't " + verb + " named pipe to host: " + c.host +
                                          "  pipe: " + c.path + " (" + c.reason + ")"));
    }
  }
}

}  // namespace
