// The TCP transport against the fake server: connecting by address and by name, time-outs, and
// failures reported as the transport reports them.
#include "Common/LxVioTcp.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/FakeServer.h"

namespace {

using namespace std::chrono_literals;

// Counts the lookups a transport makes and where they ran.
struct LookupProbe {
  std::atomic<int> calls{0};
  std::thread::id thread;
  THostNameResolver::TLookup Lookup() {
    return [this](const AnsiString& host, uint32_t& address) {
      ++calls;
      thread = std::this_thread::get_id();
      return LookupHostIPv4(host, address);
    };
  }
};

int64_t ReceiveTimeoutMs(TSocketHandle s) {
  timeval tv{};
  socklen_t len = sizeof tv;
  getsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &tv, &len);
  return tv.tv_sec * 1000 + tv.tv_usec / 1000;
}

int64_t SendTimeoutMs(TSocketHandle s) {
  timeval tv{};
  socklen_t len = sizeof tv;
  getsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &tv, &len);
  return tv.tv_sec * 1000 + tv.tv_usec / 1000;
}

TEST(LxVioTcp, ADottedAddressNeedsNoLookup) {
  fake::FakeServer server({fake::SendBytes(fake::B("hi")), fake::ReadBytes(3)});
  LookupProbe probe;
  TLxVioTcp vio("127.0.0.1", server.Port());
  vio.SetHostLookup(probe.Lookup());
  vio.Connect();
  EXPECT_TRUE(vio.IsConnected());
  EXPECT_EQ(probe.calls, 0);
  uint8_t buf[2];
  EXPECT_EQ(vio.Read(buf, 0, 2), 2);
  EXPECT_EQ(vio.Write(reinterpret_cast<const uint8_t*>("abc"), 0, 3), 3);
  server.Wait();
  EXPECT_EQ(server.Received(), fake::B("abc"));
}

TEST(LxVioTcp, AHostNameResolvesOnAWorkerThreadUnlessTheTimeOutIsZero) {
  fake::FakeServer server(std::vector<fake::Script>{{}, {}});
  LookupProbe probe;
  TLxVioTcp vio("localhost", server.Port());
  vio.SetHostLookup(probe.Lookup());
  vio.Connect();
  EXPECT_EQ(probe.calls, 1);
  EXPECT_NE(probe.thread, std::this_thread::get_id());
  vio.Close();

  vio.SetTimeout(0);
  vio.Connect();
  EXPECT_EQ(probe.calls, 2);
  EXPECT_EQ(probe.thread, std::this_thread::get_id());
}

TEST(LxVioTcp, AnEmptyHostMeansLocalhost) {
  fake::FakeServer server(fake::Script{});
  LookupProbe probe;
  TLxVioTcp vio("", server.Port());
  vio.SetHostLookup(probe.Lookup());
  vio.Connect();
  EXPECT_EQ(probe.calls, 1);
  EXPECT_TRUE(vio.IsConnected());
}

TEST(LxVioTcp, ALookupThatOverstaysTheTimeOutFailsWithUnknownHost) {
  struct Gate {
    std::mutex m;
    std::condition_variable cv;
    bool open = false;
  };
  auto gate = std::make_shared<Gate>();
  TLxVioTcp vio("slow.example", 3306);
  vio.SetTimeout(1);
  vio.SetHostLookup([gate](const AnsiString&, uint32_t& address) {
    std::unique_lock<std::mutex> g(gate->m);
    gate->cv.wait_for(g, 10s, [&] { return gate->open; });
    address = 0x0100007F;
    return 0;
  });
  try {
    vio.Connect();
    FAIL() << "no error";
  } catch (const SocketException& e) {
    EXPECT_EQ(e.ErrorCode(), 2005);
  }
  EXPECT_EQ(vio.LastError(), u"Connection timed out");
  EXPECT_FALSE(vio.IsConnected());
  {
    std::lock_guard<std::mutex> g(gate->m);
    gate->open = true;
  }
  gate->cv.notify_all();
  THostNameResolver::JoinAbandoned();
}

TEST(LxVioTcp, AnUnknownHostFailsWithTheLookupsError) {
  TLxVioTcp vio("no-such-host.invalid", 3306);
  vio.SetHostLookup([](const AnsiString&, uint32_t&) { return EHOSTUNREACH; });
  try {
    vio.Connect();
    FAIL() << "no error";
  } catch (const SocketException& e) {
    EXPECT_EQ(e.ErrorCode(), 2005);
    EXPECT_EQ(e.Message(), u"Socket error 113");
  }
  EXPECT_EQ(vio.LastError(), u"Socket error on connect. WSAGetLastError return 113($71)");
}

TEST(LxVioTcp, ARefusedConnectIsError2003AndTheTransportCanConnectAgain) {
  uint16_t port;
  { fake::FakeServer gone(fake::Script{}); port = gone.Port(); }
  TLxVioTcp vio("127.0.0.1", port);
  try {
    vio.Connect();
    FAIL() << "no error";
  } catch (const SocketException& e) {
    EXPECT_EQ(e.ErrorCode(), 2003);
    EXPECT_EQ(e.Message(), u"Socket error 111");
  }
  EXPECT_EQ(vio.LastError(), u"Socket error on connect. WSAGetLastError return 111($6F)");
  EXPECT_FALSE(vio.IsConnected());
}

TEST(LxVioTcp, TimeOutsApplyToTheOpenSocket) {
  fake::FakeServer server(std::vector<fake::Script>{{fake::Stall(5s)}, {}});
  TLxVioTcp vio("127.0.0.1", server.Port());
  vio.SetTimeout(2);  // kept while closed
  vio.Connect();
  EXPECT_EQ(ReceiveTimeoutMs(vio.GetSocket()), 2000);
  EXPECT_EQ(SendTimeoutMs(vio.GetSocket()), 0) << "a send time-out of 0 sets nothing";
  vio.SetTimeout(1);
  EXPECT_EQ(ReceiveTimeoutMs(vio.GetSocket()), 1000);
  vio.SetSendTimeout(3);
  EXPECT_EQ(SendTimeoutMs(vio.GetSocket()), 3000);

  // The receive time-out ends a read from a silent server: the read comes back short.
  uint8_t buf[4];
  EXPECT_EQ(vio.Read(buf, 0, 4), 0);
  EXPECT_EQ(vio.LastError(), u"Socket error on read. WSAGetLastError return 11($B)");
}

TEST(LxVioTcp, ClosedTransportsMoveNothing) {
  TLxVioTcp vio("127.0.0.1", 1);
  uint8_t b[4] = {};
  EXPECT_EQ(vio.Write(b, 0, 4), 0);
  vio.Close();
  vio.Close();
  EXPECT_FALSE(vio.IsConnected());
}

TEST(LxVioTcp, WaitForDataAndThePeersClose) {
  fake::FakeServer server({fake::Stall(200ms), fake::SendBytes({1, 2}), fake::Close()});
  TLxVioTcp vio("127.0.0.1", server.Port());
  vio.Connect();
  EXPECT_FALSE(vio.WaitForData(0));
  EXPECT_TRUE(vio.WaitForData(5));
  uint8_t buf[8];
  EXPECT_EQ(vio.Read(buf, 0, 2), 2);
  server.Wait();
  EXPECT_EQ(vio.ReadChunk(buf, 0, 8), 0);
  EXPECT_EQ(vio.LastError(), u"") << "an orderly close is no socket error";
  vio.Close();
  EXPECT_THROW(vio.WaitForData(1), SocketException);
}

}  // namespace
