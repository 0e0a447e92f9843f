// The transport over an application's IO handler, and the HTTP tunnel's option objects.
#include <gtest/gtest.h>

#include "Common/LxVio.h"

namespace {

// Records what the transport asks of it; Read hands out "abcdef".
class TRecordingHandler : public TLxIOHandler {
 public:
  using TLxIOHandler::TLxIOHandler;
  int32_t timeoutSet = -1;
  int disconnects = 0;
  TLxConnectionHandle Connect(const AnsiString& host, int32_t port, const AnsiString&,
                              const AnsiString&, const AnsiString& caFile) override {
    connectedTo = host + ":" + std::to_string(port) + ":" + caFile;
    return 77;
  }
  void Disconnect(TLxConnectionHandle h) override { disconnects += h == 77; }
  int32_t Read(TLxConnectionHandle, uint8_t* buffer, int32_t offset, int32_t count) override {
    const char* data = "abcdef";
    int32_t n = count < 6 ? count : 6;
    std::copy(data, data + n, buffer + offset);
    return n;
  }
  void SetTimeout(TLxConnectionHandle, int32_t seconds) override { timeoutSet = seconds; }
  int32_t GetTimeout(TLxConnectionHandle) override { return timeoutSet; }
  AnsiString connectedTo;
};

// Supplies only Connect: everything else is the defaults.
class TBareHandler : public TLxIOHandler {
 public:
  using TLxIOHandler::TLxIOHandler;
  TLxConnectionHandle Connect(const AnsiString&, int32_t, const AnsiString&, const AnsiString&,
                              const AnsiString&) override {
    return 1;
  }
};

TEST(LxVioHandler, KeepsTheTimeOutUntilConnectedThenAsksTheHandler) {
  TRecordingHandler handler(nullptr);
  TLxVioHandler vio("db", 3306, &handler, "key", "cert", "ca");
  vio.SetTimeout(9);
  EXPECT_EQ(vio.GetTimeout(), 9);
  EXPECT_EQ(handler.timeoutSet, -1);
  vio.Connect();
  EXPECT_EQ(handler.connectedTo, "db:3306:ca");
  EXPECT_EQ(handler.timeoutSet, 9);
  vio.SetTimeout(4);
  EXPECT_EQ(handler.timeoutSet, 4);
  uint8_t b[3];
  EXPECT_EQ(vio.Read(b, 0, 3), 3);
  EXPECT_EQ(std::string(b, b + 3), "abc");
  vio.Close();
  EXPECT_EQ(handler.disconnects, 1);
  EXPECT_EQ(vio.Read(b, 0, 3), 0) << "closed: nothing is read";
  EXPECT_EQ(vio.Write(b, 0, 3), 0);
  EXPECT_FALSE(vio.WaitForData(1));
}

TEST(LxVioHandler, MisuseFailsItsAssertions) {
  EXPECT_THROW(TLxVioHandler("db", 1, nullptr, "", "", ""), EAssertionFailed);

  TBareHandler bare(nullptr);
  TLxVioHandler vio("db", 1, &bare, "", "", "");
  vio.Connect();
  uint8_t b[4] = {};
  try {
    vio.Write(b, 0, 4);
    FAIL() << "no assertion";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(std::u16string(e.Message()).rfind(u"Not overriden in an inherited class (", 0), 0u);
  }
  EXPECT_THROW(vio.WriteChunk(b, 0, 4), EAssertionFailed);
  EXPECT_THROW(vio.Close(), EAssertionFailed);
}

TEST(HttpOptions, EqualityCoversTheProxy) {
  THttpOptions a, b;
  a.SetUrl(u"https://example.org/tunnel.php");
  a.ProxyOptions()->SetHostname(u"proxy");
  a.ProxyOptions()->SetPort(3128);
  b.Assign(&a);
  EXPECT_TRUE(a.Equals(&b));
  EXPECT_FALSE(a.Equals(nullptr));
  b.ProxyOptions()->SetPort(8080);
  EXPECT_FALSE(a.Equals(&b)) << "only the proxy port differs";
  b.ProxyOptions()->SetPort(3128);
  b.SetPassword(u"Secret");
  EXPECT_FALSE(a.Equals(&b));
}

TEST(HttpOptions, SettingTheProxyCopiesIt) {
  THttpOptions options;
  TProxyOptions proxy;
  proxy.SetUsername(u"me");
  options.SetProxyOptions(&proxy);
  EXPECT_NE(options.ProxyOptions(), &proxy);
  EXPECT_EQ(options.ProxyOptions()->Username(), u"me");
  EXPECT_THROW(options.Assign(&proxy), EConvertError);
}

}  // namespace
