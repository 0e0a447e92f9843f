// Commands and replies against the fake server: OK packets, result sets read from the wire,
// discarding unread rows, LOAD DATA LOCAL uploads (and the refusal of a file the statement did not
// name), broken replies, and closing.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "MySql/MySqlErrors.h"
#include "MySql/MySqlResultSet.h"
#include "MySql/MySqlSession.h"
#include "platform/rtl/Streams.h"
#include "tests/support/FakePackets.h"
#include "tests/support/ErrorNumber.h"

namespace {

using fake::B;
using fake::Bytes;
using fake::Cat;

constexpr uint16_t kMoreResults = 0x08;

Bytes LenStr(const std::string& s) { return Cat({fake::LengthCoded(s.size()), B(s)}); }

// A 4.1 column definition.
Bytes Column(const std::string& name, uint8_t type, uint32_t length = 11) {
  Bytes fixed{0x0C, 33, 0};
  for (int i = 0; i < 4; ++i) fixed.push_back(static_cast<uint8_t>(length >> (8 * i)));
  fixed.insert(fixed.end(), {type, 0, 0, 0, 0, 0});
  return Cat({LenStr("def"), LenStr("assoc"), LenStr("t"), LenStr("t"), LenStr(name), LenStr(name),
              fixed});
}

Bytes Eof(uint16_t warnings = 0, uint16_t status = 2) {
  return {0xFE, static_cast<uint8_t>(warnings), static_cast<uint8_t>(warnings >> 8),
          static_cast<uint8_t>(status), static_cast<uint8_t>(status >> 8)};
}

Bytes OkInfo(uint64_t affected, uint64_t insertId, uint16_t status, uint16_t warnings,
             const std::string& info) {
  return Cat({fake::OkPayload(affected, insertId, status, warnings), info.empty() ? Bytes{} : LenStr(info)});
}

// The steps of a login that the session accepts.
fake::Script Login(const fake::GreetingOptions& greeting = {}, Bytes reply = fake::OkPayload()) {
  return {fake::SendPacket(0, fake::Greeting(greeting)), fake::ReadPacket(),
          fake::SendPacket(2, std::move(reply))};
}

fake::Script Then(fake::Script script, std::initializer_list<fake::Step> more) {
  script.insert(script.end(), more.begin(), more.end());
  return script;
}

// A result of two columns (a LONG and a VARCHAR) with its header and definitions, after a query.
std::vector<fake::Step> TwoColumnHeader() {
  return {fake::ReadPacket(), fake::SendPacket(1, {0x02}),
          fake::SendPacket(2, Column("id", 3)), fake::SendPacket(3, Column("name", 253, 60)),
          fake::SendPacket(4, Eof())};
}

fake::Script LoginThen(std::vector<fake::Step> steps) {
  fake::Script s = Login();
  s.insert(s.end(), steps.begin(), steps.end());
  return s;
}

struct CommandsTest : ::testing::Test {
  TMySqlSession session;

  void Connect(const fake::FakeServer& server, uint32_t flags = 0) {
    session.SetConnectTimeout(5);
    session.Connect("127.0.0.1", "tester", "pw", "assoc", server.Port(), "", flags);
  }
  // The number and message of what the call raises.
  template <class F>
  TErrorNumber ErrorOf(F f) {
    try {
      f();
    } catch (const EMySqlException& e) {
      message = e.Message();
      return {e.ErrorCode()};
    }
    return {};
  }
  // The payloads the client sent after its login.
  static std::vector<fake::ClientPacket> Commands(const fake::FakeServer& server) {
    auto all = server.Packets();
    return std::vector<fake::ClientPacket>(all.begin() + 1, all.end());
  }
  String message;
};

// --- OK packets ----------------------------------------------------------------------------------

TEST_F(CommandsTest, AnOkPacketSetsEveryItem) {
  fake::FakeServer server(Then(Login(), {fake::ReadPacket(),
                                         fake::SendPacket(1, OkInfo(1, 42, 3, 2, "Records: 1"))}));
  Connect(server);
  session.Query("INSERT INTO t VALUES (1)");
  server.Wait();
  auto sent = Commands(server);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].Sequence, 0);
  EXPECT_EQ(sent[0].Payload, Cat({{3}, B("INSERT INTO t VALUES (1)")}));
  EXPECT_EQ(session.AffectedRows(), 1);
  EXPECT_EQ(session.InsertId(), 42u);
  EXPECT_EQ(session.ServerStatus(), 3);
  EXPECT_EQ(session.WarningCount(), 2u);
  EXPECT_EQ(session.Info(), "Records: 1");
  EXPECT_EQ(session.FieldCount(), 0);
  EXPECT_EQ(session.ResultState(), TMySqlSession::ResultIdle);
}

TEST_F(CommandsTest, A40ServerWithTransactionsSendsNoWarningCount) {
  fake::GreetingOptions v40;
  v40.Form = fake::GreetingOptions::Shape::NoSecondScramble;
  v40.Capabilities = fake::kLongPassword | fake::kConnectWithDb | fake::kTransactions;
  fake::FakeServer server(Then(Login(v40, {0, 0, 0, 2, 0}),
                               {fake::ReadPacket(),
                                fake::SendPacket(1, Cat({{0, 1, 42, 0x01, 0x00}, LenStr("info")}))}));
  Connect(server);
  session.SetWarningCount(5);
  session.Query("UPDATE t SET a = 1");
  EXPECT_EQ(session.AffectedRows(), 1);
  EXPECT_EQ(session.InsertId(), 42u);
  EXPECT_EQ(session.ServerStatus(), 1);
  EXPECT_EQ(session.WarningCount(), 5u) << "not part of a 4.0 OK packet";
  EXPECT_EQ(session.Info(), "info");
}

// --- result sets ---------------------------------------------------------------------------------

TEST_F(CommandsTest, RowsComeFromTheWireUntilTheEofPacket) {
  auto steps = TwoColumnHeader();
  steps.insert(steps.end(),
               {fake::SendPacket(5, Cat({LenStr("1"), LenStr("Анна")})),
                fake::SendPacket(6, Cat({{0xFB}, LenStr("")})),
                fake::SendPacket(7, Eof(1, 0x22 | kMoreResults))});
  fake::FakeServer server(LoginThen(steps));
  Connect(server);
  session.Query("SELECT id, name FROM t");
  EXPECT_EQ(session.ResultState(), TMySqlSession::ResultPending);
  EXPECT_EQ(session.FieldCount(), 2);
  ASSERT_EQ(session.PendingColumns().size(), 2u);
  EXPECT_EQ(session.PendingColumns()[0].Name, "id");
  EXPECT_EQ(session.PendingColumns()[0].Type, 3);
  EXPECT_EQ(session.PendingColumns()[1].Name, "name");
  EXPECT_EQ(session.PendingColumns()[1].Length, 60u);
  EXPECT_EQ(session.WarningCount(), 0u);

  TMySqlResultSet result(&session);
  session.SetResultState(TMySqlSession::ResultReading);
  TMySqlBinds* binds = result.Binds();
  ASSERT_TRUE(result.Fetch(binds));
  auto value = [&](int i) {
    const auto& b = binds->Binds[i];
    return std::string(reinterpret_cast<const char*>(binds->Buffer + b.Offset), b.Length);
  };
  EXPECT_EQ(value(0), "1");
  EXPECT_EQ(value(1), "Анна");
  EXPECT_EQ(binds->Buffer, result.GetRowAddress());
  ASSERT_TRUE(result.Fetch(binds));
  EXPECT_TRUE(binds->Binds[0].IsNull);
  EXPECT_FALSE(binds->Binds[1].IsNull);
  EXPECT_EQ(binds->Binds[1].Length, 0);
  EXPECT_FALSE(result.Fetch(binds));
  EXPECT_EQ(result.RowCount(), 2);
  EXPECT_EQ(session.ResultState(), TMySqlSession::ResultIdle);
  EXPECT_EQ(session.WarningCount(), 1u);
  EXPECT_EQ(session.ServerStatus(), 0x22 | kMoreResults);
  server.Wait();
  // The end is remembered: nothing more is read.
  EXPECT_FALSE(result.Fetch(binds));
  EXPECT_FALSE(result.Fetch(binds));
}

TEST_F(CommandsTest, ACommandWhileRowsAreUnreadIsOutOfSyncAndSendsNothing) {
  auto steps = TwoColumnHeader();
  steps.insert(steps.end(), {fake::SendPacket(5, Cat({LenStr("1"), LenStr("a")})),
                             fake::SendPacket(6, Eof()), fake::ReadPacket(),
                             fake::SendPacket(1, fake::OkPayload())});
  fake::FakeServer server(LoginThen(steps));
  Connect(server);
  session.Query("SELECT id, name FROM t");
  EXPECT_EQ(ErrorOf([&] { session.Query("SELECT 2"); }), CR_COMMANDS_OUT_OF_SYNC);
  EXPECT_EQ(message, u"Commands out of sync;  You can't run this command now");
  EXPECT_EQ(ErrorOf([&] { session.Ping(); }), CR_COMMANDS_OUT_OF_SYNC);
  session.FlushResult();
  EXPECT_EQ(session.ResultState(), TMySqlSession::ResultIdle);
  session.Ping();
  server.Wait();
  auto sent = Commands(server);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].Payload, Bytes{14}) << "only the ping went out after the query";
}

TEST_F(CommandsTest, FlushingSkipsABigRowAndKeepsTheEofStatus) {
  // One row of 16777215 + 3 bytes: a full packet and a continuation that looks like an EOF packet.
  const size_t valueLength = 16777215 + 3 - 4;
  Bytes row = Cat({{0xFD, static_cast<uint8_t>(valueLength), static_cast<uint8_t>(valueLength >> 8),
                    static_cast<uint8_t>(valueLength >> 16)},
                   Bytes(valueLength - 3, 'x'), {0xFE, 0x00, 0x00}});
  Bytes first(row.begin(), row.begin() + 16777215), rest(row.begin() + 16777215, row.end());
  fake::FakeServer server(LoginThen(
      {fake::ReadPacket(), fake::SendPacket(1, {0x01}), fake::SendPacket(2, Column("big", 251)),
       fake::SendPacket(3, Eof()), fake::SendPacket(4, first), fake::SendPacket(5, rest),
       fake::SendPacket(6, Eof(0, 2 | kMoreResults)), fake::SendPacket(7, OkInfo(3, 0, 2, 0, ""))}));
  Connect(server);
  session.Query("SELECT big FROM t; DELETE FROM t");
  session.FlushResult();
  EXPECT_EQ(session.ServerStatus(), 2 | kMoreResults);
  // The next result of the query follows.
  session.ReadResult();
  EXPECT_EQ(session.AffectedRows(), 3);
  server.Wait();
  EXPECT_EQ(server.Failure(), "");
}

TEST_F(CommandsTest, AnErrorInsteadOfARowIsTheServersError) {
  auto steps = TwoColumnHeader();
  steps.insert(steps.end(), {fake::SendPacket(5, Cat({LenStr("1"), LenStr("a")})),
                             fake::SendPacket(6, fake::ErrPayload(1317, "70100", "Query execution was interrupted"))});
  fake::FakeServer server(LoginThen(steps));
  Connect(server);
  session.Query("SELECT id, name FROM t");
  session.SetResultState(TMySqlSession::ResultReading);
  TMySqlResultSet result(&session);
  TMySqlBinds* binds = result.Binds();
  EXPECT_TRUE(result.Fetch(binds));
  EXPECT_EQ(ErrorOf([&] { result.Fetch(binds); }), 1317);
  EXPECT_EQ(message, u"\r\n#70100Query execution was interrupted");
  EXPECT_EQ(session.ResultState(), TMySqlSession::ResultReading);
}

// Lengths that point past their packet, and column counts that do not match, are 2027: nothing is
// read past a packet and nothing is sized by a claimed count.
TEST_F(CommandsTest, MalformedRepliesAreError2027) {
  Bytes longName = Column("id", 3);
  longName[4] = 0x7F;  // the database name claims 127 bytes
  const std::vector<fake::Step> cases[] = {
      {fake::ReadPacket(), fake::SendPacket(1, {0x01}), fake::SendPacket(2, longName),
       fake::SendPacket(3, Eof())},
      {fake::ReadPacket(), fake::SendPacket(1, {0x03}), fake::SendPacket(2, Column("a", 3)),
       fake::SendPacket(3, Column("b", 3)), fake::SendPacket(4, Eof())},
      {fake::ReadPacket(), fake::SendPacket(1, {0xFD, 0xFF, 0xFF, 0xFF}),
       fake::SendPacket(2, Column("a", 3)), fake::SendPacket(3, Eof())},
      {fake::ReadPacket(), fake::SendPacket(1, {})},
      {fake::ReadPacket(), fake::SendPacket(1, {0x00, 0x01})},
  };
  for (const auto& steps : cases) {
    fake::FakeServer server(LoginThen(steps));
    TMySqlSession fresh;
    fresh.Connect("127.0.0.1", "tester", "pw", "assoc", server.Port(), "", 0);
    EXPECT_EQ(ErrorOf([&] { fresh.Query("SELECT a"); }), CR_MALFORMED_PACKET) << steps.size();
    EXPECT_EQ(message, u"Malformed packet");
    EXPECT_EQ(fresh.ResultState(), TMySqlSession::ResultIdle);
  }

  // A row whose value runs past its packet.
  auto steps = TwoColumnHeader();
  steps.push_back(fake::SendPacket(5, Cat({LenStr("1"), {0x09}, B("abc")})));
  steps.push_back(fake::SendPacket(6, Cat({LenStr("2"), LenStr("b")})));
  fake::FakeServer server(LoginThen(steps));
  Connect(server);
  session.Query("SELECT id, name FROM t");
  TMySqlResultSet result(&session);
  TMySqlBinds* binds = result.Binds();
  EXPECT_EQ(ErrorOf([&] { result.Fetch(binds); }), CR_MALFORMED_PACKET);
  binds = nullptr;
  EXPECT_EQ(ErrorOf([&] { result.Fetch(binds); }), CR_NULL_POINTER) << "text rows need binds";
}

// --- other commands and closing ------------------------------------------------------------------

TEST_F(CommandsTest, SelectDbPingAndCloseOnce) {
  fake::FakeServer server(Then(Login(), {fake::ReadPacket(), fake::SendPacket(1, fake::OkPayload()),
                                         fake::ReadPacket(), fake::SendPacket(1, fake::OkPayload()),
                                         fake::ReadPacket(), fake::ReadUntilClose()}));
  Connect(server);
  session.SelectDb("archive");
  EXPECT_EQ(session.Database(), "archive");
  session.Ping();
  session.Close();
  EXPECT_TRUE(session.Closed());
  session.Close();
  session.Ping();  // a closed session sends nothing
  server.Wait();
  auto sent = Commands(server);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].Payload, Cat({{2}, B("archive")}));
  EXPECT_EQ(sent[1].Payload, Bytes{14});
  EXPECT_EQ(sent[2].Payload, Bytes{1});
  EXPECT_EQ(server.Failure(), "");
}

TEST_F(CommandsTest, AServerErrorReplyLeavesTheSessionUsable) {
  fake::FakeServer server(Then(Login(), {fake::ReadPacket(),
                                         fake::SendPacket(1, fake::ErrPayload(1146, "42S02", "Table 'assoc.x' doesn't exist")),
                                         fake::ReadPacket(), fake::SendPacket(1, fake::OkPayload())}));
  Connect(server);
  EXPECT_EQ(ErrorOf([&] { session.Query("SELECT * FROM x"); }), 1146);
  session.Ping();
  server.Wait();
  EXPECT_EQ(server.Failure(), "");
}

// --- LOAD DATA LOCAL -----------------------------------------------------------------------------

struct LocalFileTest : CommandsTest {
  // The process id keeps test runs of other checkouts on this machine off the same file.
  std::string path = ::testing::TempDir() + "session_local_" + std::to_string(getpid()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".csv";
  void TearDown() override { std::remove(path.c_str()); }

  std::string Write(size_t size) {
    std::string content(size, 0);
    for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>('a' + (i * 7) % 26);
    std::ofstream(path, std::ios::binary) << content;
    return content;
  }
  std::string Load() const {
    return "LOAD DATA LOCAL INFILE '" + path + "' INTO TABLE t";
  }
};

TEST_F(LocalFileTest, A20000ByteFileGoesInChunksOf8192) {
  std::string content = Write(20000);
  fake::FakeServer server(Then(Login(), {fake::ReadPacket(),
                                         fake::SendPacket(1, Cat({{0xFB}, B(path)})),
                                         fake::ReadPacket(), fake::ReadPacket(), fake::ReadPacket(),
                                         fake::ReadPacket(),
                                         fake::SendPacket(6, OkInfo(2000, 0, 2, 0, "Records: 2000"))}));
  Connect(server);
  session.Query(Load());
  server.Wait();
  EXPECT_EQ(session.AffectedRows(), 2000);
  EXPECT_EQ(session.Info(), "Records: 2000");
  auto sent = Commands(server);
  ASSERT_EQ(sent.size(), 5u) << server.Failure();
  const size_t sizes[] = {8192, 8192, 3616, 0};
  std::string uploaded;
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(sent[i + 1].Payload.size(), sizes[i]) << i;
    EXPECT_EQ(sent[i + 1].Sequence, i + 2) << i;
    uploaded.append(sent[i + 1].Payload.begin(), sent[i + 1].Payload.end());
  }
  EXPECT_TRUE(uploaded == content);
}

TEST_F(LocalFileTest, AnEmptyFileIsTheEmptyPacketAlone) {
  Write(0);
  fake::FakeServer server(Then(Login(), {fake::ReadPacket(),
                                         fake::SendPacket(1, Cat({{0xFB}, B(path)})),
                                         fake::ReadPacket(), fake::SendPacket(3, fake::OkPayload())}));
  Connect(server);
  session.Query(Load());
  server.Wait();
  auto sent = Commands(server);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].Payload, Bytes{});
  EXPECT_EQ(sent[1].Sequence, 2);
}

TEST_F(LocalFileTest, AMissingFileRaisesAfterTheServersReply) {
  fake::FakeServer server(Then(Login(), {fake::ReadPacket(),
                                         fake::SendPacket(1, Cat({{0xFB}, B(path)})),
                                         fake::ReadPacket(),
                                         fake::SendPacket(3, OkInfo(0, 0, 2 | kMoreResults, 0, "")),
                                         fake::ReadPacket(), fake::SendPacket(1, fake::OkPayload())}));
  Connect(server);
  try {
    session.Query(Load());
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_NE(e.Message().find(u"Cannot open file"), String::npos);
  }
  // The reply was read and kept.
  EXPECT_EQ(session.ServerStatus(), 2 | kMoreResults);
  session.Ping();
  server.Wait();
  auto sent = Commands(server);
  ASSERT_EQ(sent.size(), 3u) << server.Failure();
  EXPECT_EQ(sent[1].Payload, Bytes{});
}

TEST_F(LocalFileTest, AFileTheStatementDidNotNameIsRefused) {
  Write(100);
  struct Case {
    const char* name;
    std::string sql;
    std::string requested;
    Bytes reply;
  };
  const Case cases[] = {
      {"another file", Load(), "/etc/passwd", fake::OkPayload()},
      {"a query with no file", "SELECT 1", path, fake::OkPayload()},
      {"a file the server reads itself", "LOAD DATA INFILE '" + path + "' INTO TABLE t", path,
       fake::OkPayload()},
      {"the server's error reply", Load(), "/etc/shadow",
       fake::ErrPayload(1062, "23000", "Duplicate entry")},
  };
  for (const auto& c : cases) {
    fake::FakeServer server(Then(Login(), {fake::ReadPacket(),
                                           fake::SendPacket(1, Cat({{0xFB}, B(c.requested)})),
                                           fake::ReadPacket(), fake::SendPacket(3, c.reply),
                                           fake::ReadPacket(), fake::SendPacket(1, fake::OkPayload())}));
    TMySqlSession fresh;
    fresh.Connect("127.0.0.1", "tester", "pw", "assoc", server.Port(), "", 0);
    EXPECT_EQ(ErrorOf([&] { fresh.Query(c.sql); }), CR_UNKNOWN_ERROR) << c.name;
    EXPECT_EQ(message, u"Unknown MySQL error\r\nThe server asked for the local file '" +
                           String(c.requested.begin(), c.requested.end()) +
                           u"', which the statement did not name: it was not sent")
        << c.name;
    fresh.Ping();  // still in step
    server.Wait();
    auto sent = Commands(server);
    ASSERT_EQ(sent.size(), 3u) << c.name << ": " << server.Failure();
    EXPECT_EQ(sent[1].Payload, Bytes{}) << c.name << ": nothing of any file";
    EXPECT_EQ(sent[2].Payload, Bytes{14}) << c.name;
  }
}

TEST_F(LocalFileTest, ANameCountsForItsOwnQueryOnly) {
  Write(10);
  fake::FakeServer server(Then(Login(), {fake::ReadPacket(), fake::SendPacket(1, fake::OkPayload()),
                                         fake::ReadPacket(),
                                         fake::SendPacket(1, Cat({{0xFB}, B(path)})),
                                         fake::ReadPacket(), fake::SendPacket(3, fake::OkPayload())}));
  Connect(server);
  session.Query(Load());  // the server did not ask for the file then
  EXPECT_EQ(ErrorOf([&] { session.Query("SELECT 1"); }), CR_UNKNOWN_ERROR);
  server.Wait();
  auto sent = Commands(server);
  ASSERT_EQ(sent.size(), 3u) << server.Failure();
  EXPECT_EQ(sent[2].Payload, Bytes{});
}

TEST_F(LocalFileTest, TheNamedFileGoesOnceOnly) {
  Write(10);
  fake::FakeServer server(Then(Login(), {fake::ReadPacket(),
                                         fake::SendPacket(1, Cat({{0xFB}, B(path)})),
                                         fake::ReadPacket(), fake::ReadPacket(),
                                         fake::SendPacket(4, Cat({{0xFB}, B(path)})),
                                         fake::ReadPacket(), fake::SendPacket(6, fake::OkPayload())}));
  Connect(server);
  EXPECT_EQ(ErrorOf([&] { session.Query(Load()); }), CR_UNKNOWN_ERROR);
  server.Wait();
  auto sent = Commands(server);
  ASSERT_EQ(sent.size(), 4u) << server.Failure();
  EXPECT_EQ(sent[1].Payload.size(), 10u);
  EXPECT_EQ(sent[3].Payload, Bytes{});
}

}  // namespace
