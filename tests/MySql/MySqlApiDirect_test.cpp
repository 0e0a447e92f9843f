// The own-protocol back end against the fake server: what older servers send and what the client
// writes for commands of its own.
#include "MySql/MySqlApiDirect.h"

#include <gtest/gtest.h>

#include "MySql/MySqlSession.h"
#include "tests/support/FakePackets.h"

namespace {

using fake::B;
using fake::Bytes;
using fake::Cat;

Bytes LenStr(const Bytes& s) { return Cat({fake::LengthCoded(s.size()), s}); }
Bytes LenStr(const std::string& s) { return LenStr(B(s)); }

Bytes Column41(const std::string& name, uint8_t type, uint32_t length) {
  Bytes fixed{0x0C, 33, 0};
  for (int i = 0; i < 4; ++i) fixed.push_back(static_cast<uint8_t>(length >> (8 * i)));
  fixed.insert(fixed.end(), {type, 0, 0, 0, 0, 0});
  return Cat({LenStr("def"), LenStr("assoc"), LenStr("t"), LenStr("t"), LenStr(name),
              LenStr(name), fixed});
}

// A column definition of a server before 4.1 (without LONG_FLAG: one flags byte).
Bytes Column40(const std::string& name, uint8_t type, uint32_t length) {
  Bytes len{static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
            static_cast<uint8_t>(length >> 16)};
  return Cat({LenStr("t"), LenStr(name), LenStr(len), LenStr(Bytes{type}), LenStr(Bytes{0, 0})});
}

Bytes Eof() { return {0xFE, 0, 0, 2, 0}; }

fake::GreetingOptions Server40() {
  fake::GreetingOptions v40;
  v40.Version = "4.0.27";
  v40.Form = fake::GreetingOptions::Shape::NoSecondScramble;
  v40.Capabilities = fake::kLongPassword | fake::kConnectWithDb | fake::kTransactions;
  return v40;
}

// Login, then one query answered by a VARCHAR column of reported length 20 and one row "ab".
fake::Script OneColumnQuery(const fake::GreetingOptions& greeting, Bytes column, Bytes loginOk) {
  return {fake::SendPacket(0, fake::Greeting(greeting)),
          fake::ReadPacket(),
          fake::SendPacket(2, std::move(loginOk)),
          fake::ReadPacket(),
          fake::SendPacket(1, {0x01}),
          fake::SendPacket(2, std::move(column)),
          fake::SendPacket(3, Eof()),
          fake::SendPacket(4, LenStr("ab")),
          fake::SendPacket(5, Eof()),
          fake::ReadUntilClose()};
}

struct DirectTest : ::testing::Test {
  TMySQLAPIDirect& api = MySQLAPIDirect();

  PMYSQL_CON Open(const fake::FakeServer& server) {
    PMYSQL_CON con = api.mysql_init(nullptr);
    int timeout = 5;
    api.mysql_options(con, MYOPT_CONNECT_TIMEOUT, &timeout);
    EXPECT_EQ(api.mysql_real_connect(con, "127.0.0.1", "tester", "pw", "assoc", server.Port(),
                                     nullptr, MYCLIENT_FOUND_ROWS),
              con)
        << api.mysql_error(con);
    return con;
  }
  uint32_t VarcharLength(const fake::FakeServer& server, bool utf8) {
    PMYSQL_CON con = Open(server);
    const std::string sql = "SELECT name FROM t";
    EXPECT_EQ(api.mysql_real_query(con, sql.data(), static_cast<uint32_t>(sql.size())), 0)
        << api.mysql_error(con);
    PMYSQL_RES result = api.mysql_use_result(con);
    EXPECT_NE(result, nullptr);
    TMYSQL_FIELD field;
    api.GetFieldInfo(result, 0, field, utf8);
    EXPECT_EQ(field.Name, "name");
    EXPECT_EQ(field.OrgName, "name");
    EXPECT_EQ(field.Type, 253u);

    PMYSQL_ROW row = api.mysql_fetch_row(result);
    AnsiString value;
    if (row) api.GetFieldString(row, 0, value);
    EXPECT_EQ(value, "ab");
    EXPECT_EQ(api.mysql_fetch_row(result), nullptr);
    EXPECT_EQ(api.mysql_errno(con), 0);
    EXPECT_EQ(static_cast<TMySqlSession*>(con)->ResultState(), TMySqlSession::ResultIdle);
    api.mysql_free_result(result);
    api.mysql_close(con);
    return field.Length;
  }
};

TEST_F(DirectTest, TextLengthsOfPre41ServersAreTripledInUtf8Mode) {
  {
    fake::FakeServer server(OneColumnQuery(Server40(), Column40("name", 253, 20), {0, 0, 0, 2, 0}));
    EXPECT_EQ(VarcharLength(server, true), 60u);
  }
  {
    fake::FakeServer server(OneColumnQuery(Server40(), Column40("name", 253, 20), {0, 0, 0, 2, 0}));
    EXPECT_EQ(VarcharLength(server, false), 20u);
  }
  {
    fake::FakeServer server(OneColumnQuery({}, Column41("name", 253, 20), fake::OkPayload()));
    EXPECT_EQ(VarcharLength(server, true), 20u);
  }
}

TEST_F(DirectTest, KillPingAndCloseOnTheWire) {
  fake::FakeServer server({fake::SendPacket(0, fake::Greeting()), fake::ReadPacket(),
                           fake::SendPacket(2, fake::OkPayload()), fake::ReadPacket(),
                           fake::SendPacket(1, fake::OkPayload()), fake::ReadPacket(),
                           fake::SendPacket(1, fake::ErrPayload(1094, "HY000",
                                                                "Unknown thread id: 258")),
                           fake::ReadPacket(), fake::SendPacket(1, fake::OkPayload()),
                           fake::ReadPacket(), fake::ReadUntilClose()});
  PMYSQL_CON con = Open(server);
  EXPECT_EQ(api.mysql_ping(con), 0);
  EXPECT_EQ(api.mysql_kill(con, 0x01020304), 1094);
  // The engine's text of a server error: a line break, the SQL state, the server's message.
  EXPECT_EQ(api.mysql_error(con), "\r\n#HY000Unknown thread id: 258");
  EXPECT_EQ(api.mysql_ping(con), 0) << "an error slot is cleared by the next call";
  api.mysql_close(con);
  server.Wait();
  auto packets = server.Packets();
  ASSERT_EQ(packets.size(), 5u);
  EXPECT_EQ(packets[1].Payload, Bytes{14});
  EXPECT_EQ(packets[2].Payload, (Bytes{12, 0x04, 0x03, 0x02, 0x01}));
  EXPECT_EQ(packets[3].Payload, Bytes{14});
  EXPECT_EQ(packets[4].Payload, Bytes{1}) << "quit";
}

TEST_F(DirectTest, WhatTheOwnEngineDoesNotOffer) {
  EXPECT_EQ(api.mysql_get_client_info(), "7.0.0 Direct");
  EXPECT_THROW(api.mysql_fetch_field_direct(nullptr, 0), EAssertionFailed);
  EXPECT_THROW(api.mysql_fetch_lengths(nullptr), EAssertionFailed);
  EXPECT_THROW(api.mysql_server_end(), EAssertionFailed);
  EXPECT_THROW(api.mysql_errno(nullptr), EAssertionFailed);
  PMYSQL_CON con = api.mysql_init(nullptr);
  EXPECT_THROW(api.mysql_character_set_name(con), Exception);
  EXPECT_THROW(api.mysql_stmt_execute(nullptr), Exception);  // "Abstract Error"
  api.mysql_close(con);  // never connected: nothing to tell a server
}

}  // namespace
