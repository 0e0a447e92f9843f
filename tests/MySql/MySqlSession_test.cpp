// Opening a session against the fake server: the login packets of every server vintage, the
// authentication exchanges a MariaDB server never starts, and every way the opening can fail.
#include "MySql/MySqlSession.h"

#include <algorithm>
#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "MySql/MySqlErrors.h"
#include "MySql/MySqlSession_Handshake.h"
#include "tests/support/FakePackets.h"

namespace {

using namespace std::chrono_literals;
using fake::B;
using fake::Bytes;
using fake::Cat;
using fake::GreetingOptions;

Bytes Hex(const char* hex) {
  Bytes out;
  for (const char* p = hex; p[0] && p[1]; p += 2) out.push_back(static_cast<uint8_t>(std::stoi(std::string(p, 2), nullptr, 16)));
  return out;
}

// The 4.1 token of "t3st-Pa55" over the default greeting's scramble "0123456789abcdefghij", and
// the pre-4.1 scramble of the same password over its first 8 bytes.
const Bytes kToken = Hex("dd7fe6f8fb4907bb39ea814e1070636ec643589a");
const Bytes kOldScramble = Hex("465e50515f445e45");

struct SessionFixture : ::testing::Test {
  TMySqlSession session;

  void Connect(const fake::FakeServer& server, const AnsiString& password = "t3st-Pa55",
               uint32_t flags = 0) {
    session.SetConnectTimeout(5);
    session.Connect("127.0.0.1", "tester", password, "assoc", server.Port(), "", flags);
  }

  // Connects and returns the error's number (0 when none), keeping its message.
  int32_t ConnectError(const fake::FakeServer& server, const AnsiString& password = "t3st-Pa55") {
    try {
      Connect(server, password);
    } catch (const EMySqlException& e) {
      message = e.Message();
      return e.ErrorCode();
    }
    return 0;
  }
  String message;
};

Bytes Login41(uint32_t flags, const Bytes& passwordField) {
  Bytes prefix(32, 0);
  for (int i = 0; i < 4; ++i) prefix[i] = static_cast<uint8_t>(flags >> (8 * i));
  prefix[7] = 0x40;  // maximum packet size 0x40000000
  prefix[8] = 8;
  return Cat({prefix, B("tester"), {0}, passwordField, B("assoc"), {0}});
}

TEST_F(SessionFixture, LogsInToA41Server) {
  fake::FakeServer server({fake::SendPacket(0, fake::Greeting()), fake::ReadPacket(),
                           fake::SendPacket(2, fake::OkPayload())});
  Connect(server);
  server.Wait();
  ASSERT_EQ(server.Packets().size(), 1u);
  EXPECT_EQ(server.Packets()[0].Sequence, 1);
  EXPECT_EQ(server.Packets()[0].Payload, Login41(0x3A28D, Cat({{20}, kToken})));
  EXPECT_EQ(session.ServerVersion(), "10.11.6-MariaDB");
  EXPECT_EQ(session.ThreadId(), 7u);
  EXPECT_EQ(session.HostInfo(), "127.0.0.1 via TCP/IP");
  EXPECT_TRUE(session.SpeaksProtocol41());
  EXPECT_FALSE(session.Net().Compress());
  EXPECT_EQ(session.Database(), "assoc");
}

TEST_F(SessionFixture, AnEmptyPasswordIsOneZeroByte) {
  fake::FakeServer server({fake::SendPacket(0, fake::Greeting()), fake::ReadPacket(),
                           fake::SendPacket(2, fake::OkPayload())});
  Connect(server, "");
  server.Wait();
  EXPECT_EQ(server.Packets()[0].Payload, Login41(0x3A28D, {0}));
}

TEST_F(SessionFixture, CompressionStartsWithTheFirstCommand) {
  fake::FakeServer server({fake::SendPacket(0, fake::Greeting()), fake::ReadPacket(),
                           fake::SendPacket(2, fake::OkPayload()), fake::ReadBytes(7 + 5)});
  Connect(server, "t3st-Pa55", mysqlhandshake::kClientCompress);
  EXPECT_TRUE(session.Net().Compress());
  session.Net().NewCommand();
  session.Net().WriteByte(14);  // a ping
  session.Net().Send();
  server.Wait();
  ASSERT_EQ(server.StepsDone().size(), 4u) << server.Failure();
  EXPECT_EQ(server.Packets()[0].Payload, Login41(0x3A2AD, Cat({{20}, kToken})));
  Bytes sent = server.Received();
  EXPECT_EQ(Bytes(sent.end() - 12, sent.end()), fake::Frame(0, fake::Packet(0, {14}), false));
}

TEST_F(SessionFixture, TheOldScrambleRequestGetsThePre41Scramble) {
  for (const char* password : {"t3st-Pa55", ""}) {
    fake::FakeServer server({fake::SendPacket(0, fake::Greeting()), fake::ReadPacket(),
                             fake::SendPacket(2, {0xFE}), fake::ReadPacket(),
                             fake::SendPacket(4, fake::OkPayload())});
    TMySqlSession fresh;
    fresh.Connect("127.0.0.1", "tester", password, "assoc", server.Port(), "", 0);
    server.Wait();
    ASSERT_EQ(server.Packets().size(), 2u) << server.Failure();
    EXPECT_EQ(server.Packets()[1].Sequence, 3);
    Bytes expected = *password ? Cat({kOldScramble, {0}}) : Bytes{0};
    EXPECT_EQ(server.Packets()[1].Payload, expected) << password;
  }
}

TEST_F(SessionFixture, A40ServerGetsTheOldLoginPacket) {
  GreetingOptions v40;
  v40.Form = GreetingOptions::Shape::NoSecondScramble;
  v40.Capabilities = fake::kLongPassword | fake::kConnectWithDb | fake::kTransactions;
  v40.Version = "4.0.27";
  fake::FakeServer server({fake::SendPacket(0, fake::Greeting(v40)), fake::ReadPacket(),
                           fake::SendPacket(2, {0, 0, 0, 2, 0})});
  Connect(server);
  server.Wait();
  ASSERT_EQ(server.Packets().size(), 1u);
  EXPECT_EQ(server.Packets()[0].Payload,
            Cat({{0x8D, 0xA0, 0, 0, 0}, B("tester"), {0}, kOldScramble, {0}, B("assoc"), {0}}));
  EXPECT_FALSE(session.SpeaksProtocol41());
  EXPECT_EQ(session.ServerVersion(), "4.0.27");
}

TEST_F(SessionFixture, A323GreetingEndsAfterTheScramble) {
  GreetingOptions v323;
  v323.Form = GreetingOptions::Shape::EndsAfterScramble;
  v323.Version = "3.23.58";
  fake::FakeServer server({fake::SendPacket(0, fake::Greeting(v323)), fake::ReadPacket(),
                           fake::SendPacket(2, {0, 0, 0})});
  Connect(server);
  server.Wait();
  ASSERT_EQ(server.Packets().size(), 1u);
  // No capabilities: no database in the login, no 4.1 anything.
  EXPECT_EQ(server.Packets()[0].Payload,
            Cat({{0x8D, 0xA0, 0, 0, 0}, B("tester"), {0}, kOldScramble, {0}}));
  EXPECT_EQ(session.ServerCapabilities(), 0);
}

TEST_F(SessionFixture, The410ExchangeAnswersTheServersNewScramble) {
  GreetingOptions v410;
  v410.Form = GreetingOptions::Shape::NoSecondScramble;
  Bytes challenge{1, 2, 3, 4};
  for (int i = 100; i < 120; ++i) challenge.push_back(static_cast<uint8_t>(i));
  Bytes star = challenge;
  star[0] = '*';
  struct Case {
    Bytes reply;
    Bytes answer;
    Bytes scramble;  // what the session keeps as its scramble afterwards
  };
  const Case cases[] = {
      {challenge, Hex("df49d5672cce9e9c694777c6c0f7b1743c749b2b"),
       Hex("84e3b483e577a1a36fc552cdac0f826f429214f3")},
      {star, Hex("5d514542564e505b00"), Bytes(star.begin() + 4, star.end())},
  };
  for (const auto& c : cases) {
    fake::FakeServer server({fake::SendPacket(0, fake::Greeting(v410)), fake::ReadPacket(),
                             fake::SendPacket(2, c.reply), fake::ReadPacket(),
                             fake::SendPacket(4, fake::OkPayload())});
    TMySqlSession fresh;
    fresh.Connect("127.0.0.1", "tester", "pass word", "assoc", server.Port(), "", 0);
    server.Wait();
    ASSERT_EQ(server.Packets().size(), 2u) << server.Failure();
    EXPECT_EQ(server.Packets()[0].Payload,
              Login41(0x3A28D, Cat({B("xxxxxxxx"), {0}})));
    EXPECT_EQ(server.Packets()[1].Payload, c.answer);
    EXPECT_EQ(Bytes(fresh.Scramble(), fresh.Scramble() + 20), c.scramble);
  }
}

// --- failures --------------------------------------------------------------------------------

TEST_F(SessionFixture, AnotherProtocolVersionIsError2007) {
  GreetingOptions o;
  o.Protocol = 9;
  fake::FakeServer server({fake::SendPacket(0, fake::Greeting(o)), fake::ReadUntilClose()});
  EXPECT_EQ(ConnectError(server), 2007);
  EXPECT_EQ(message, u"Protocol mismatch. Server Version = 9 Client Version = 10");
}

TEST_F(SessionFixture, AGreetingOutOfSequenceIsError1156) {
  fake::FakeServer server({fake::SendPacket(1, fake::Greeting())});
  EXPECT_EQ(ConnectError(server), 1156);
  EXPECT_EQ(message, u"\r\nReceiveHeader: Net packets out of order: received[1], expected[0]");
}

TEST_F(SessionFixture, ALoginReplyOutOfSequenceIsError1156) {
  fake::FakeServer server({fake::SendPacket(0, fake::Greeting()), fake::ReadPacket(),
                           fake::SendPacket(3, fake::OkPayload())});
  EXPECT_EQ(ConnectError(server), 1156);
  EXPECT_EQ(message, u"\r\nReceiveHeader: Net packets out of order: received[3], expected[2]");
}

TEST_F(SessionFixture, ConnectionsLostOnTheWayAreError2013) {
  Bytes greeting = fake::Greeting();
  const fake::Script scripts[] = {
      {fake::Close()},
      {fake::SendBytes({0x4A, 0x00})},
      {fake::SendBytes(Cat({fake::Header(static_cast<uint32_t>(greeting.size()), 0),
                            Bytes(greeting.begin(), greeting.begin() + 20)}))},
      {fake::SendPacket(0, greeting), fake::ReadPacket()},
      {fake::SendPacket(0, greeting), fake::ReadPacket(), fake::SendBytes(Cat({fake::Header(7, 2), {0, 0}}))},
  };
  for (const auto& script : scripts) {
    fake::FakeServer server(script);
    EXPECT_EQ(ConnectError(server), 2013) << server.StepsDone().size();
    EXPECT_EQ(message.rfind(u"Lost connection to MySQL server during query", 0), 0u);
  }
}

TEST_F(SessionFixture, ASilentServerEndsAtTheConnectTimeOut) {
  fake::FakeServer server({fake::Stall(30s)});
  session.SetConnectTimeout(1);
  try {
    session.Connect("127.0.0.1", "tester", "x", "", server.Port(), "", 0);
    FAIL() << "no error";
  } catch (const EMySqlException& e) {
    EXPECT_EQ(e.ErrorCode(), 2013);
    EXPECT_EQ(e.Message(), u"Lost connection to MySQL server during query\r\n"
                           u"Socket error on read. WSAGetLastError return 11($B)");
  }
}

// A server that drips its greeting keeps every single read well inside the time-out; the connect
// as a whole must still end when its time-out has passed. A time-out of 0 waits as long as it
// takes.
TEST_F(SessionFixture, TheConnectTimeOutBoundsTheWholeConnect) {
  const Bytes greeting = fake::Packet(0, fake::Greeting());
  auto dripped = [&greeting] {
    return fake::Script{
        fake::Custom("drip the greeting",
                     [&greeting](fake::Connection& c) {
                       for (size_t at = 0; at < greeting.size(); at += 24) {
                         size_t end = std::min(greeting.size(), at + 24);
                         if (!c.Send(Bytes(greeting.begin() + static_cast<ptrdiff_t>(at),
                                           greeting.begin() + static_cast<ptrdiff_t>(end))))
                           return false;
                         if (end < greeting.size()) c.Sleep(700ms);
                       }
                       return true;
                     }),
        fake::ReadPacket(), fake::SendPacket(2, fake::OkPayload())};
  };

  fake::FakeServer slow(dripped());
  TMySqlSession bounded;
  bounded.SetConnectTimeout(1);
  try {
    bounded.Connect("127.0.0.1", "tester", "t3st-Pa55", "assoc", slow.Port(), "", 0);
    FAIL() << "the connect outlived its time-out";
  } catch (const EMySqlException& e) {
    EXPECT_EQ(e.ErrorCode(), 2013);
  }

  fake::FakeServer patient(dripped());
  TMySqlSession unbounded;
  unbounded.SetConnectTimeout(0);
  unbounded.Connect("127.0.0.1", "tester", "t3st-Pa55", "assoc", patient.Port(), "", 0);
  patient.Wait();
  EXPECT_EQ(unbounded.ServerVersion(), "10.11.6-MariaDB");
}

TEST_F(SessionFixture, ServerErrorsInGreetingAndLoginPassThrough) {
  fake::FakeServer refused({fake::SendPacket(0, fake::ErrPayload(1130, "HY000", "Host 'x' is not allowed"))});
  EXPECT_EQ(ConnectError(refused), 1130);
  EXPECT_EQ(message, u"\r\n#HY000Host 'x' is not allowed");

  fake::FakeServer denied({fake::SendPacket(0, fake::Greeting()), fake::ReadPacket(),
                           fake::SendPacket(2, fake::ErrPayload(1045, "28000", "Access denied"))});
  TMySqlSession fresh;
  try {
    fresh.Connect("127.0.0.1", "tester", "bad", "assoc", denied.Port(), "", 0);
    FAIL() << "no error";
  } catch (const EMySqlException& e) {
    EXPECT_EQ(e.ErrorCode(), 1045);
    EXPECT_EQ(e.Message(), u"\r\n#28000Access denied");
  }
}

TEST_F(SessionFixture, ARefusedConnectIsError2003) {
  uint16_t port;
  { fake::FakeServer gone(fake::Script{}); port = gone.Port(); }
  try {
    session.Connect("127.0.0.1", "tester", "x", "", port, "", 0);
    FAIL() << "no error";
  } catch (const EMySqlException& e) {
    EXPECT_EQ(e.ErrorCode(), 2003);
    EXPECT_EQ(e.Message(), u"Can't connect to MySQL server on '127.0.0.1' (10061)\r\n"
                           u"Socket error on connect. WSAGetLastError return 111($6F)");
  }
}

TEST_F(SessionFixture, AProtocolWithoutATransportIsError2046) {
  session.SetProtocol(mpMemory);
  try {
    session.Connect("127.0.0.1", "tester", "x", "", 3306, "", 0);
    FAIL() << "no error";
  } catch (const EMySqlException& e) {
    EXPECT_EQ(e.ErrorCode(), 2046);
    EXPECT_EQ(e.Message(), u"Wrong or unknown protocol");
  }
}

// --- an application's own transport ----------------------------------------------------------

class ERefused : public Exception {
 public:
  using Exception::Exception;
};

// Plays the server's bytes from memory and records the client's, as an application's tunnel would.
class TTestIOHandler : public TLxIOHandler {
 public:
  using TLxIOHandler::TLxIOHandler;
  Bytes incoming;
  size_t position = 0;
  Bytes written;
  int32_t timeout = -1;
  int tlsStarts = 0;
  bool refuse = false;

  TLxConnectionHandle Connect(const AnsiString&, int32_t, const AnsiString&, const AnsiString&,
                              const AnsiString&) override {
    if (refuse) throw ERefused(u"the tunnel is down");
    return 42;
  }
  void Disconnect(TLxConnectionHandle) override {}
  int32_t Read(TLxConnectionHandle, uint8_t* buffer, int32_t offset, int32_t count) override {
    int32_t n = static_cast<int32_t>(std::min<size_t>(count, incoming.size() - position));
    std::copy_n(incoming.begin() + position, n, buffer + offset);
    position += n;
    return n;
  }
  int32_t Write(TLxConnectionHandle, const uint8_t* buffer, int32_t offset, int32_t count) override {
    written.insert(written.end(), buffer + offset, buffer + offset + count);
    return count;
  }
  void SetTimeout(TLxConnectionHandle, int32_t seconds) override { timeout = seconds; }
  int32_t GetTimeout(TLxConnectionHandle) override { return timeout; }
  void StartTLS(TLxConnectionHandle, int32_t mode) override { tlsStarts += mode; }
};

TEST_F(SessionFixture, AnIOHandlerCarriesTheSession) {
  TTestIOHandler handler(nullptr);
  TMySqlSession session;  // closed before the handler goes
  GreetingOptions o;
  o.Capabilities |= fake::kSsl;
  handler.incoming = Cat({fake::Packet(0, fake::Greeting(o)), fake::Packet(3, fake::OkPayload())});
  session.SetIOHandler(&handler);
  session.SetConnectTimeout(7);
  session.Connect("db.example", "tester", "t3st-Pa55", "assoc", 3306, "", mysqlhandshake::kClientSsl);
  EXPECT_EQ(session.HostInfo(), "db.example via TTestIOHandler");
  EXPECT_EQ(handler.timeout, 7);
  EXPECT_EQ(handler.tlsStarts, 1);
  // The TLS request (the prefix alone, sequence 1), then the login with sequence 2.
  const uint32_t flags = 0x3A28D | 0x800;
  Bytes login = Login41(flags, Cat({{20}, kToken}));
  EXPECT_EQ(handler.written, Cat({fake::Packet(1, Bytes(login.begin(), login.begin() + 32)),
                                  fake::Packet(2, login)}));
}

TEST_F(SessionFixture, AnIOHandlersErrorsPassThroughUnchanged) {
  TTestIOHandler handler(nullptr);
  TMySqlSession session;
  handler.refuse = true;
  session.SetIOHandler(&handler);
  EXPECT_THROW(session.Connect("db.example", "tester", "x", "", 3306, "", 0), ERefused);
}

}  // namespace
