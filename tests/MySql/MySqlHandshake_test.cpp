// The greeting parser, the client flags and the login packet's parts, as byte tables.
#include "MySql/MySqlSession_Handshake.h"

#include <gtest/gtest.h>

#include "MySql/MySqlErrors.h"
#include "tests/support/FakePackets.h"

using namespace mysqlhandshake;

namespace {

using fake::GreetingOptions;

TMySqlGreeting Parse(const fake::Bytes& b) { return ParseGreeting(b.data(), b.size()); }

TEST(Greeting, MariaDbGreetingWithItsVersionPrefixStripped) {
  GreetingOptions o;
  o.Version = "5.5.5-10.11.6-MariaDB-0+deb12u1";
  o.ThreadId = 0x01020304;
  o.Status = 0x0002;
  o.Language = 45;
  TMySqlGreeting g = Parse(fake::Greeting(o));
  EXPECT_EQ(g.ProtocolVersion, 10);
  EXPECT_EQ(g.ServerVersion, "10.11.6-MariaDB-0+deb12u1");
  EXPECT_EQ(g.ThreadId, 0x01020304u);
  EXPECT_TRUE(g.LongScramble);
  EXPECT_EQ(fake::Bytes(g.Scramble, g.Scramble + 20), fake::B("0123456789abcdefghij"));
  EXPECT_EQ(g.Capabilities, o.Capabilities);
  EXPECT_EQ(g.Language, 45);
  EXPECT_EQ(g.Status, 2);
}

TEST(Greeting, VersionsWithoutThePrefixStayAsTheyAre) {
  EXPECT_EQ(StripVersionPrefix("8.0.36"), "8.0.36");
  EXPECT_EQ(StripVersionPrefix("5.5.5-"), "5.5.5-");
  EXPECT_EQ(StripVersionPrefix("5.5.50-log"), "5.5.50-log");
}

TEST(Greeting, OlderShapesLeaveTheMissingFieldsEmpty) {
  GreetingOptions v40;
  v40.Form = GreetingOptions::Shape::NoSecondScramble;
  v40.Capabilities = fake::kLongPassword | fake::kConnectWithDb;
  TMySqlGreeting g = Parse(fake::Greeting(v40));
  EXPECT_FALSE(g.LongScramble);
  EXPECT_EQ(g.Capabilities, v40.Capabilities);
  EXPECT_EQ(fake::Bytes(g.Scramble + 8, g.Scramble + 20), fake::Bytes(12, 0));

  GreetingOptions v323;
  v323.Form = GreetingOptions::Shape::EndsAfterScramble;
  g = Parse(fake::Greeting(v323));
  EXPECT_EQ(g.Capabilities, 0) << "no capabilities: no 4.1 features";
  EXPECT_EQ(g.Status, 0);
  EXPECT_FALSE(g.LongScramble);
}

TEST(Greeting, OtherProtocolVersionsAreRefused) {
  GreetingOptions o;
  o.Protocol = 9;
  try {
    Parse(fake::Greeting(o));
    FAIL() << "no error";
  } catch (const EMySqlException& e) {
    EXPECT_EQ(e.ErrorCode(), 2007);
    EXPECT_EQ(e.Message(), u"Protocol mismatch. Server Version = 9 Client Version = 10");
  }
}

TEST(Greeting, AGreetingCutBeforeItsScrambleIsMalformed) {
  fake::Bytes full = fake::Greeting();
  // protocol, "5.5.5-10.11.6-MariaDB" and its zero, thread id: the scramble starts at 27.
  for (size_t cut : {0u, 1u, 10u, 23u, 26u, 30u}) {
    fake::Bytes part(full.begin(), full.begin() + cut);
    try {
      Parse(part);
      ADD_FAILURE() << "cut at " << cut << ": no error";
    } catch (const EMySqlException& e) {
      EXPECT_EQ(e.ErrorCode(), 2027) << cut;
    }
  }
}

TEST(ClientFlags, WhatTheServerDoesNotOfferIsDropped) {
  const uint16_t all = 0xFFFF;
  struct Case {
    const char* name;
    uint32_t stored, given;
    bool tls;
    uint16_t server;
    uint32_t expected;
  };
  const Case cases[] = {
      {"modern server", 0, 0, false, all & ~fake::kSsl, 0x3A285 | 0x8},
      {"compression asked", 0, kClientCompress, false, all, 0x3A285 | 0x8 | 0x20},
      {"compression not offered", 0, kClientCompress, false, all & ~fake::kCompress, 0x3A28D},
      {"4.0 server", 0, 0, false, fake::kLongPassword | fake::kConnectWithDb, 0x3A08D},
      {"TLS protocol", 0, 0, true, all, 0x3A28D | 0x800},
      {"TLS not offered", 0, kClientSsl, true, all & ~fake::kSsl, 0x3A28D},
      {"stored flags kept", 0x40, 0, false, all, 0x3A2CD},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ComputeClientFlags(c.stored, c.given, c.tls, c.server), c.expected) << c.name;
}

TEST(LoginPrefix, Protocol41Form) {
  TBytes p = LoginPrefix(0x0003A28D, "utf8");
  ASSERT_EQ(p.size(), 32u);
  EXPECT_EQ(TBytes(p.begin(), p.begin() + 9), (TBytes{0x8D, 0xA2, 0x03, 0x00, 0, 0, 0, 0x40, 33}));
  EXPECT_EQ(TBytes(p.begin() + 9, p.end()), TBytes(23, 0));
  EXPECT_EQ(LoginPrefix(0x0003A28D, "UTF8")[8], 8) << "only \"utf8\" exactly announces 33";
  EXPECT_EQ(LoginPrefix(0x0003A28D, "")[8], 8);
}

TEST(LoginPrefix, OldFormHasTwoByteFlags) {
  EXPECT_EQ(LoginPrefix(0x0003A08D, "utf8"), (TBytes{0x8D, 0xA0, 0, 0, 0}));
}

TEST(PasswordField, ByWhatTheServerOffers) {
  TMySqlGreeting longScramble;
  for (int i = 0; i < 20; ++i) longScramble.Scramble[i] = static_cast<uint8_t>('0' + i);
  longScramble.LongScramble = true;
  TMySqlGreeting shortScramble = longScramble;
  shortScramble.LongScramble = false;
  const TBytes pw{'p', 'w'};
  const uint16_t secure = fake::kSecureConnection;

  EXPECT_EQ(PasswordField(secure, {}, longScramble), TBytes{0});
  EXPECT_EQ(PasswordField(0, {}, longScramble), TBytes{0});

  TBytes field = PasswordField(secure, pw, longScramble);
  ASSERT_EQ(field.size(), 21u);
  EXPECT_EQ(field[0], 20);
  EXPECT_EQ(TBytes(field.begin() + 1, field.end()), mysqlscramble::Token41(longScramble.Scramble, pw));

  EXPECT_EQ(PasswordField(secure, pw, shortScramble), (TBytes{'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 0}));

  TBytes old = PasswordField(0, pw, longScramble);
  ASSERT_EQ(old.size(), 9u);
  EXPECT_EQ(TBytes(old.begin(), old.end() - 1), mysqlscramble::ScrambleOld(longScramble.Scramble, pw));
  EXPECT_EQ(old.back(), 0);
}

TEST(AuthReply, Kinds) {
  const uint16_t secure = fake::kSecureConnection;
  TBytes ok = fake::OkPayload();
  TBytes fe{0xFE};
  TBytes x24(24, 7);
  TBytes zero24(24, 0);
  EXPECT_EQ(ClassifyAuthReply(secure, ok.data(), ok.size()), TAuthReply::Done);
  EXPECT_EQ(ClassifyAuthReply(secure, fe.data(), fe.size()), TAuthReply::OldScrambleRequest);
  EXPECT_EQ(ClassifyAuthReply(secure, x24.data(), x24.size()), TAuthReply::Exchange410);
  EXPECT_EQ(ClassifyAuthReply(secure, zero24.data(), zero24.size()), TAuthReply::Done);
  EXPECT_EQ(ClassifyAuthReply(0, fe.data(), fe.size()), TAuthReply::Done);
}

}  // namespace
