// Unix-domain sockets against listeners of the test's own in a temporary folder, and the guard
// that keeps a write to a vanished peer from ending the process.
#include "platform/net/LocalSockets.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/LocalSocketFixtures.h"

#include "platform/net/SigPipeGuard.h"

namespace {

using localsock::Listener;
using localsock::TempDir;

TEST(LocalSockets, ConnectsAndCarriesBytesBothWays) {
  TempDir dir;
  const std::string path = dir.path + "/server.sock";
  Listener listener(path, 4);
  int error = 0;
  TSocketHandle client = SocketOpenLocal(error);
  ASSERT_NE(client, InvalidSocket) << error;
  ASSERT_EQ(SocketConnectLocal(client, path, 2000), 0);
  int server = listener.Accept();
  ASSERT_GE(server, 0);

  EXPECT_EQ(SocketSend(client, "ping", 4, error), 4);
  char got[8] = {};
  EXPECT_EQ(::recv(server, got, sizeof got, 0), 4);
  EXPECT_STREQ(got, "ping");
  EXPECT_EQ(::send(server, "pong", 4, 0), 4);
  EXPECT_EQ(SocketWaitReadable(client, 2000, error), 1);
  EXPECT_EQ(SocketReceive(client, got, sizeof got, error), 4);
  ::close(server);
  SocketClose(client);
}

TEST(LocalSockets, FailuresToConnectAreNamedByTheirCode) {
  TempDir dir;
  Listener bound(dir.path + "/bound.sock", 0, /*listening=*/false);
  struct Case {
    const char* name;
    std::string path;
    int expected;
  } cases[] = {
      {"no such file", dir.path + "/missing.sock", ENOENT},
      {"nothing listens", dir.path + "/bound.sock", ECONNREFUSED},
      {"path too long", dir.path + "/" + std::string(120, 'x'), ENAMETOOLONG},
      {"empty path", "", ENOENT},
  };
  for (const Case& c : cases) {
    for (int64_t limit : {0, 1000}) {
      int error = 0;
      TSocketHandle s = SocketOpenLocal(error);
      ASSERT_NE(s, InvalidSocket);
      EXPECT_EQ(SocketConnectLocal(s, c.path, limit), c.expected) << c.name << " limit " << limit;
      SocketClose(s);
    }
  }
}

TEST(LocalSockets, AServerThatStaysBusyEndsAtTheTimeOut) {
  TempDir dir;
  const std::string path = dir.path + "/busy.sock";
  // A queue of one that nobody accepts from: the first client fills it.
  Listener listener(path, 0);
  int error = 0;
  TSocketHandle first = SocketOpenLocal(error);
  ASSERT_EQ(SocketConnectLocal(first, path, 1000), 0);
  TSocketHandle second = SocketOpenLocal(error);
  EXPECT_EQ(SocketConnectLocal(second, path, 200), ETIMEDOUT);

  // Once the server takes the waiting client, the next one gets in.
  int accepted = listener.Accept();
  ASSERT_GE(accepted, 0);
  TSocketHandle third = SocketOpenLocal(error);
  EXPECT_EQ(SocketConnectLocal(third, path, 1000), 0);
  for (int fd : {first, second, third, accepted}) ::close(fd);
}

TEST(SigPipeGuard, AWriteToAVanishedPeerFailsInsteadOfEndingTheProcess) {
  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  ::close(pair[1]);
  {
    TSigPipeGuard guard;
    errno = 0;
    EXPECT_EQ(::write(pair[0], "x", 1), -1);
    EXPECT_EQ(errno, EPIPE);
  }
  sigset_t pending;
  sigemptyset(&pending);
  ASSERT_EQ(sigpending(&pending), 0);
  EXPECT_EQ(sigismember(&pending, SIGPIPE), 0) << "the guard leaves no SIGPIPE behind";
  sigset_t mask;
  ASSERT_EQ(pthread_sigmask(SIG_SETMASK, nullptr, &mask), 0);
  EXPECT_EQ(sigismember(&mask, SIGPIPE), 0) << "the old mask is back";
  ::close(pair[0]);
}

}  // namespace
