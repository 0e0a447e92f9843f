// The socket layer against loopback listeners of the test's own.
#include "platform/net/Sockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

namespace {

const uint32_t kLoopback = htonl(INADDR_LOOPBACK);

// A loopback listener on an ephemeral port.
struct Listener {
  explicit Listener(int backlog = 4) {
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = kLoopback;
    socklen_t len = sizeof a;
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    EXPECT_EQ(::listen(fd, backlog), 0);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
  }
  ~Listener() { ::close(fd); }
  int Accept() { return ::accept(fd, nullptr, nullptr); }
  int fd;
  uint16_t port;
};

// A connected client socket and the server's end of it.
struct Pair {
  Pair() {
    int error = 0;
    client = SocketOpenTcp(error);
    EXPECT_NE(client, InvalidSocket);
    EXPECT_EQ(SocketConnect(client, kLoopback, listener.port, 2000), 0);
    server = listener.Accept();
  }
  ~Pair() {
    if (client != InvalidSocket) SocketClose(client);
    if (server >= 0) ::close(server);
  }
  Listener listener;
  TSocketHandle client = InvalidSocket;
  int server = -1;
};

TEST(Sockets, ParsesDottedAddressesOnly) {
  EXPECT_EQ(ParseIPv4Address("127.0.0.1"), kLoopback);
  EXPECT_EQ(ParseIPv4Address("localhost"), NoIPv4Address);
  EXPECT_EQ(ParseIPv4Address(""), NoIPv4Address);
  EXPECT_EQ(ParseIPv4Address("300.1.1.1"), NoIPv4Address);
}

TEST(Sockets, LooksUpLocalhost) {
  uint32_t address = 0;
  ASSERT_EQ(LookupHostIPv4("localhost", address), 0);
  EXPECT_EQ(address, kLoopback);
  EXPECT_NE(LookupHostIPv4("no-such-host.invalid", address), 0);
}

TEST(Sockets, SendsAndReceivesBothWays) {
  Pair p;
  int error = 0;
  const char hello[] = "hello";
  ASSERT_EQ(SocketSend(p.client, hello, 5, error), 5);
  char got[16] = {};
  ASSERT_EQ(::recv(p.server, got, sizeof got, 0), 5);
  EXPECT_STREQ(got, "hello");

  ASSERT_EQ(::send(p.server, "abc", 3, 0), 3);
  EXPECT_EQ(SocketWaitReadable(p.client, 2000, error), 1);
  char back[8] = {};
  EXPECT_EQ(SocketReceive(p.client, back, sizeof back, error), 3);
  EXPECT_STREQ(back, "abc");
}

TEST(Sockets, ReceiveAfterPeerCloseGivesZero) {
  Pair p;
  ::close(p.server);
  p.server = -1;
  int error = 0;
  char b[4];
  EXPECT_EQ(SocketWaitReadable(p.client, 2000, error), 1);
  EXPECT_EQ(SocketReceive(p.client, b, sizeof b, error), 0);
}

TEST(Sockets, ReceiveTimeOutEndsASilentWait) {
  Pair p;
  ASSERT_EQ(SocketSetReceiveTimeout(p.client, 100), 0);
  int error = 0;
  char b[4];
  EXPECT_EQ(SocketReceive(p.client, b, sizeof b, error), -1);
  EXPECT_TRUE(error == EAGAIN || error == EWOULDBLOCK) << error;
}

TEST(Sockets, WaitReadableTimesOutWithoutData) {
  Pair p;
  int error = 0;
  EXPECT_EQ(SocketWaitReadable(p.client, 50, error), 0);
}

TEST(Sockets, SendToAClosedPeerFailsWithoutASignal) {
  Pair p;
  ::close(p.server);
  p.server = -1;
  std::vector<char> data(1 << 20, 'x');
  int error = 0;
  ptrdiff_t n = 0;
  // The first sends may still be accepted by the kernel; the peer's reset ends them.
  for (int i = 0; i < 50 && n >= 0; ++i) n = SocketSend(p.client, data.data(), data.size(), error);
  EXPECT_EQ(n, -1);
  EXPECT_TRUE(error == EPIPE || error == ECONNRESET) << error;
}

TEST(Sockets, ConnectToAClosedPortIsRefused) {
  uint16_t port;
  {
    Listener l;
    port = l.port;
  }
  int error = 0;
  TSocketHandle s = SocketOpenTcp(error);
  ASSERT_NE(s, InvalidSocket);
  EXPECT_EQ(SocketConnect(s, kLoopback, port, 2000), ECONNREFUSED);
  EXPECT_EQ(SocketConnect(s, kLoopback, port, 0) != 0, true);
  SocketClose(s);
}

TEST(Sockets, ConnectGivesUpAfterItsTimeOut) {
  // A listener that never accepts and whose queue is full drops further connection requests, so a
  // connect would wait for the system's own limit (minutes) without a time-out of ours.
  Listener l(0);
  std::vector<TSocketHandle> fillers;
  int result = 0;
  for (int i = 0; i < 8 && result == 0; ++i) {
    int error = 0;
    TSocketHandle s = SocketOpenTcp(error);
    ASSERT_NE(s, InvalidSocket);
    fillers.push_back(s);
    result = SocketConnect(s, kLoopback, l.port, 200);
  }
  EXPECT_EQ(result, ETIMEDOUT);
  for (auto s : fillers) SocketClose(s);
}

TEST(Sockets, OptionsApplyToAnOpenSocket) {
  Pair p;
  EXPECT_EQ(SocketSetNoDelay(p.client, true), 0);
  EXPECT_EQ(SocketSetKeepAlive(p.client, true), 0);
  EXPECT_EQ(SocketSetSendTimeout(p.client, 1500), 0);
  int on = 0;
  socklen_t len = sizeof on;
  ::getsockopt(p.client, SOL_SOCKET, SO_KEEPALIVE, &on, &len);
  EXPECT_EQ(on, 1);
  timeval tv{};
  len = sizeof tv;
  ::getsockopt(p.client, SOL_SOCKET, SO_SNDTIMEO, &tv, &len);
  EXPECT_EQ(tv.tv_sec, 1);
  EXPECT_EQ(tv.tv_usec, 500000);
  EXPECT_NE(SocketSetNoDelay(-1, true), 0);
}

}  // namespace
