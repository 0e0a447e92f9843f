// The session's TLS switch against the fake server: the TLS request, a server that offers no TLS,
// and a handshake that breaks off. Logins that complete over TLS are in MySqlTransports_itest.
#include <string>

#include <gtest/gtest.h>

#include "MySql/MySqlErrors.h"
#include "MySql/MySqlSession.h"
#include "MySql/MySqlSession_Handshake.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/support/FakePackets.h"

namespace {

using fake::Bytes;

// Connects with protocol mpSSL; returns the error (number 0 when none) with its message.
std::pair<int32_t, std::string> ConnectTls(const fake::FakeServer& server) {
  TMySqlSession session;
  session.SetProtocol(mpSSL);
  session.SetConnectTimeout(5);
  try {
    session.Connect("127.0.0.1", "tester", "t3st-Pa55", "assoc", server.Port(), "", 0);
  } catch (const EMySqlException& e) {
    return {e.ErrorCode(), UTF8Encode(e.Message())};
  }
  return {0, ""};
}

TEST(SessionTls, AServerWithoutTlsGetsNoLoginInPlainText) {
  fake::FakeServer server({fake::SendPacket(0, fake::Greeting()), fake::ReadUntilClose()});
  auto [number, message] = ConnectTls(server);
  EXPECT_EQ(number, 2026);
  EXPECT_EQ(message, "SSL connection error\r\nThe server does not offer TLS");
  server.Wait();
  EXPECT_TRUE(server.Received().empty()) << "not a byte of the login went out";
}

TEST(SessionTls, TheTlsRequestIsTheLoginPrefixAndTheHandshakeFollows) {
  fake::GreetingOptions offer;
  offer.Capabilities |= fake::kSsl;
  // The TLS request, the record header of the client's hello, then the server is gone.
  fake::FakeServer server(
      {fake::SendPacket(0, fake::Greeting(offer)), fake::ReadPacket(), fake::ReadBytes(5),
       fake::Close()});
  auto [number, message] = ConnectTls(server);
  EXPECT_EQ(number, 2026);
  EXPECT_EQ(message.rfind("SSL connection error\r\nSSL_do_handshake = ", 0), 0u) << message;
  server.Wait();

  const std::vector<fake::ClientPacket> packets = server.Packets();
  ASSERT_EQ(packets.size(), 1u);
  const fake::ClientPacket& request = packets[0];
  EXPECT_EQ(request.Sequence, 1);
  Bytes prefix(32, 0);
  const uint32_t flags = 0x3A28D | mysqlhandshake::kClientSsl;
  for (int i = 0; i < 4; ++i) prefix[i] = static_cast<uint8_t>(flags >> (8 * i));
  prefix[7] = 0x40;
  prefix[8] = 8;
  EXPECT_EQ(request.Payload, prefix) << "flags with SSL, packet size, character set, zeros";
  const Bytes received = server.Received();
  ASSERT_EQ(received.size(), 4 + 32 + 5u);
  EXPECT_EQ(received[36], 0x16) << "a TLS handshake record follows the request";
}

}  // namespace
