// Prepared statements: the prepare reply and the execute packet as byte tables, then the statement
// against the fake server (what goes on the wire, malformed replies, the packet-size refusal, a
// session that goes away under its statements) and the own back end's statement slots.
#include "MySql/MySqlStmt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Common/LxAccess_Command.h"
#include "Common/MemData_Blob.h"
#include "MySql/MyClasses_Command.h"
#include "MySql/MyClasses_Connection.h"
#include "MySql/MySqlApiDirect.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlResultSet.h"
#include "MySql/MySqlSession.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/support/FakePackets.h"

namespace {

using fake::B;
using fake::Bytes;
using fake::Cat;
using namespace mysqlstmt;

template <class F>
int32_t ErrorOf(F f) {
  try {
    f();
  } catch (const EMySqlException& e) {
    return e.ErrorCode();
  }
  return 0;
}

Bytes Le32(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

// ---- the prepare reply ----

TEST(PrepareReply, CountsAndIdAreReadAndShortOrForeignPacketsAreMalformed) {
  const Bytes ok = {0x00, 0x2A, 0, 0, 0, 0x03, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00};
  TPrepareOk reply = DecodePrepareOk(ok.data(), ok.size());
  EXPECT_EQ(reply.StatementId, 42u);
  EXPECT_EQ(reply.FieldCount, 3);
  EXPECT_EQ(reply.ParamCount, 2);
  for (size_t cut = 0; cut < 9; ++cut)
    EXPECT_EQ(ErrorOf([&] { DecodePrepareOk(ok.data(), cut); }), 2027) << cut;
  Bytes foreign = ok;
  foreign[0] = 0x01;
  EXPECT_EQ(ErrorOf([&] { DecodePrepareOk(foreign.data(), foreign.size()); }), 2027);
}

// ---- parameter values ----

struct ValueCase {
  const char* name;
  TDataTypeCode dataType;
  Variant value;
  uint16_t type;
  Bytes bytes;
};

// A blob the test holds one reference to; Release gives it back.
struct HeldBlob {
  TBlob* blob;
  explicit HeldBlob(TBlob* b) : blob(b) {}
  ~HeldBlob() { TSharedObject::Release(blob); }
  Variant Value() const { return Variant::FromObject(static_cast<TSharedObject*>(blob)); }
};

TEST(ParamValues, EveryDataTypeHasItsTypeAndBinaryForm) {
  const std::string withNul("a'b\\c\0d\"", 8);
  const std::string cyrillic = "\xD0\x96\xD1\x83\xD0\xBA";  // Жук
  TBytes raw = {0x00, 0xFF, 0x27, 0x5C};
  TDateTime dt = 0, d = 0;
  ASSERT_TRUE(TryEncodeDate(2008, 3, 1, d));
  dt = d + EncodeTime(12, 30, 45, 250);
  HeldBlob plain(new TCompressedBlob(false));
  plain.blob->Write(0, 60, std::string(60, 'x').data());
  HeldBlob wide(new TBlob(true));
  wide.blob->SetAsWideString(String(u"Жук\u0000'\\", 6));
  const ValueCase cases[] = {
      {"tiny", dtInt8, Variant(int32_t{-1}), 1, {0xFF}},
      {"boolean", dtBoolean, Variant(true), 1, {0x01}},
      {"short", dtSmallint, Variant(int32_t{-300}), 2, {0xD4, 0xFE}},
      {"long", dtInteger, Variant(int32_t{-2}), 3, {0xFE, 0xFF, 0xFF, 0xFF}},
      {"word", dtWord, Variant(int32_t{65535}), 3, {0xFF, 0xFF, 0, 0}},
      {"unsigned long keeps its top bit", dtUInt32, Variant(uint32_t{4294967295u}), 0x8003,
       {0xFF, 0xFF, 0xFF, 0xFF}},
      {"longlong", dtLargeint, Variant(int64_t{-9223372036854775807LL - 1}), 8,
       {0, 0, 0, 0, 0, 0, 0, 0x80}},
      {"double", dtFloat, Variant(1.5), 5, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}},
      {"date", dtDate, Variant::FromDate(d), 10, {4, 0xD8, 0x07, 3, 1}},
      {"date-time with milliseconds", dtDateTime, Variant::FromDate(dt), 12,
       {11, 0xD8, 0x07, 3, 1, 12, 30, 45, 0x90, 0xD0, 0x03, 0x00}},
      {"zero date", dtDateTime, Variant::FromDate(-693593.0), 12, {0}},
      {"time past a day", dtTime, Variant::FromDate(100.0 / 24), 11,
       {12, 0, 4, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0}},
      {"negative time", dtTime, Variant::FromDate(-(12.5 / 24)), 11,
       {12, 1, 0, 0, 0, 0, 12, 30, 0, 0, 0, 0, 0}},
      {"decimal", dtBCD, Variant(Currency::FromDouble(1.5)), 253, Cat({{3}, B("1.5")})},
      {"bcd", dtFMTBCD, Variant(StrToBcd(u"-12.345")), 253, Cat({{7}, B("-12.345")})},
      {"text untouched", dtString, Variant(AnsiString(withNul)), 253, Cat({{8}, B(withNul)})},
      {"wide text as UTF-8", dtWideString, Variant(String(u"Жук")), 253, Cat({{6}, B(cyrillic)})},
      {"byte array", dtVarBytes, Variant(raw), 253, {4, 0x00, 0xFF, 0x27, 0x5C}},
      {"compressed blob read plain", dtBlob, plain.Value(), 253,
       Cat({{60}, B(std::string(60, 'x'))})},
      {"wide memo as UTF-8", dtWideMemo, wide.Value(), 253,
       Cat({{9}, B(cyrillic), Bytes{0, '\'', '\\'}})},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ParamTypeOf(c.dataType), c.type);
    TBytes out;
    AppendParamValue(out, c.dataType, c.value);
    EXPECT_EQ(Bytes(out.begin(), out.end()), c.bytes);
  }
  // A compressed blob is sent as its plain content even when it holds it compressed.
  auto* compressed = new TCompressedBlob(false);
  const std::string long_(500, 'q');
  compressed->Write(0, 500, long_.data());
  ASSERT_TRUE(compressed->SetCompressed(true));
  TBytes out;
  AppendParamValue(out, dtBlob, Variant::FromObject(static_cast<TSharedObject*>(compressed)));
  EXPECT_EQ(out.size(), 3u + 500u);
  EXPECT_EQ(std::string(out.begin() + 3, out.end()), long_);
  TSharedObject::Release(compressed);
}

TEST(ParamValues, DecimalsGoWithAPointWhateverTheLocale) {
  TFormatSettings saved = FormatSettings();
  FormatSettings().DecimalSeparator = u',';
  TBytes out;
  AppendParamValue(out, dtBCD, Variant(Currency::FromDouble(1.5)));
  FormatSettings() = saved;
  EXPECT_EQ(std::string(out.begin() + 1, out.end()), "1.5");
}

TEST(ParamValues, ADataTypeWithoutABinaryFormIsAnInternalFault) {
  EXPECT_THROW(ParamTypeOf(dtVariant), EAssertionFailed);
  TBytes out;
  EXPECT_THROW(AppendParamValue(out, dtVariant, Variant(1)), EAssertionFailed);
}

// ---- the execute packet ----

TEST(ExecutePacket, BitmapFlagTypesAndValuesFollowTheParameters) {
  const Variant one(int32_t{1}), text(AnsiString("ab"));
  std::vector<TExecuteParam> params = {
      {dtInteger, false, &one}, {dtString, false, &text}, {dtInteger, true, nullptr}};
  TMySqlParamTypes sent, types;
  bool newTypes = false;
  TBytes packet = EncodeExecute(7, params, sent, types, newTypes);
  const Bytes first = Cat({Le32(7), {0}, Le32(1), {0x04, 1, 3, 0, 253, 0, 3, 0},
                           Le32(1), {2, 'a', 'b'}});
  EXPECT_EQ(Bytes(packet.begin(), packet.end()), first);
  EXPECT_TRUE(newTypes);
  ASSERT_EQ(types, (TMySqlParamTypes{3, 253, 3}));

  // The same types again: the flag is 0 and no types are written.
  sent = types;
  packet = EncodeExecute(7, params, sent, types, newTypes);
  EXPECT_FALSE(newTypes);
  EXPECT_EQ(Bytes(packet.begin(), packet.end()),
            Cat({Le32(7), {0}, Le32(1), {0x04, 0}, Le32(1), {2, 'a', 'b'}}));

  // A parameter that changes type sends the types again.
  const Variant big(int64_t{5});
  params[0] = {dtLargeint, false, &big};
  packet = EncodeExecute(7, params, sent, types, newTypes);
  EXPECT_TRUE(newTypes);
  EXPECT_EQ(types, (TMySqlParamTypes{8, 253, 3}));

  // Without parameters only the head goes.
  packet = EncodeExecute(9, {}, sent, types, newTypes);
  EXPECT_EQ(Bytes(packet.begin(), packet.end()), Cat({Le32(9), {0}, Le32(1)}));
}

// ---- against the fake server ----

Bytes LenStr(const std::string& s) { return Cat({fake::LengthCoded(s.size()), B(s)}); }

Bytes Column(const std::string& name, uint8_t type) {
  Bytes fixed{0x0C, 33, 0, 11, 0, 0, 0, type, 0, 0, 0, 0, 0};
  return Cat({LenStr("def"), LenStr("assoc"), LenStr("t"), LenStr("t"), LenStr(name),
              LenStr(name), fixed});
}

Bytes ParamDef() { return Cat({LenStr("def"), LenStr(""), LenStr(""), LenStr("?"), LenStr("")}); }

Bytes Eof() { return {0xFE, 0, 0, 2, 0}; }

Bytes PrepareOk(uint32_t id, uint16_t fields, uint16_t params) {
  return Cat({{0}, Le32(id), {static_cast<uint8_t>(fields), 0, static_cast<uint8_t>(params), 0},
              {0, 0, 0}});
}

fake::Script Login(std::vector<fake::Step> more) {
  fake::Script s = {fake::SendPacket(0, fake::Greeting()), fake::ReadPacket(),
                    fake::SendPacket(2, fake::OkPayload())};
  s.insert(s.end(), more.begin(), more.end());
  s.push_back(fake::ReadUntilClose());
  return s;
}

struct StmtTest : ::testing::Test {
  TMySqlSession session;
  void Connect(fake::FakeServer& server) {
    server.SetReadLimit(std::chrono::milliseconds(2000));
    session.SetConnectTimeout(5);
    session.Connect("127.0.0.1", "tester", "pw", "assoc", server.Port(), "", 0);
  }
  void Prepare(TMySqlStmt& stmt, const std::string& sql) {
    stmt.Prepare(reinterpret_cast<const uint8_t*>(sql.data()), static_cast<int32_t>(sql.size()));
  }
};

// One parameter, two columns (LONG, DATE); one execute with two rows, the second with a NULL.
TEST_F(StmtTest, PreparesExecutesAndReadsBinaryRows) {
  fake::FakeServer server(Login({
      fake::ReadPacket(), fake::SendPacket(1, PrepareOk(5, 2, 1)), fake::SendPacket(2, ParamDef()),
      fake::SendPacket(3, Eof()), fake::SendPacket(4, Column("id", 3)),
      fake::SendPacket(5, Column("d", 10)), fake::SendPacket(6, Eof()),
      fake::ReadPacket(), fake::SendPacket(1, {0x02}), fake::SendPacket(2, Column("id", 3)),
      fake::SendPacket(3, Column("d", 10)), fake::SendPacket(4, Eof()),
      fake::SendPacket(5, Cat({{0x00, 0x00}, Le32(7), {4, 0xE8, 0x07, 2, 29}})),
      fake::SendPacket(6, Cat({{0x00, 0x08}, Le32(8)})),
      fake::SendPacket(7, Eof()),
  }));
  Connect(server);
  TMySqlStmt stmt(&session);
  Prepare(stmt, "SELECT id, d FROM t WHERE id > ?");
  EXPECT_TRUE(stmt.Prepared());
  EXPECT_EQ(stmt.StatementId(), 5u);
  EXPECT_EQ(stmt.ParamCount(), 1);
  EXPECT_EQ(stmt.FieldCount(), 2);
  ASSERT_EQ(stmt.Columns().size(), 2u);
  EXPECT_EQ(stmt.Columns()[1].Name, "d");
  EXPECT_FALSE(stmt.RowsPending());

  TParamDescs params;
  TParamDesc* p = params.Add(std::make_unique<TParamDesc>());
  p->SetDataType(dtInteger);
  p->SetValue(Variant(int32_t{6}));
  stmt.Execute(params, true);
  ASSERT_TRUE(stmt.RowsPending());
  EXPECT_EQ(ErrorOf([&] { session.Query("SELECT 1"); }), 2014);  // rows wait on the wire

  stmt.BindResults(std::make_unique<TMySqlBinds>(2));
  TMySqlBinds* row = nullptr;
  ASSERT_TRUE(stmt.ResultSet()->Fetch(row));
  EXPECT_EQ(row->Binds[0].Length, 4);
  EXPECT_EQ(row->Binds[1].Length, 4);
  EXPECT_FALSE(row->Binds[1].IsNull);
  ASSERT_TRUE(stmt.ResultSet()->Fetch(row));
  EXPECT_TRUE(row->Binds[1].IsNull);
  EXPECT_FALSE(stmt.ResultSet()->Fetch(row));
  EXPECT_EQ(session.ResultState(), TMySqlSession::ResultIdle);
  stmt.CloseStatement();
  session.Close();
  server.Wait();
  const auto packets = server.Packets();
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(packets[1].Payload, Cat({{22}, B("SELECT id, d FROM t WHERE id > ?")}));
  EXPECT_EQ(packets[2].Payload,
            Cat({{23}, Le32(5), {0}, Le32(1), {0x00, 1, 3, 0}, Le32(6)}));
  // Then the close of the statement (no reply) and the quit.
  const Bytes tail = Cat({{5, 0, 0, 0, 25}, Le32(5), {1, 0, 0, 0, 1}});
  const Bytes received = server.Received();
  ASSERT_GE(received.size(), tail.size());
  EXPECT_EQ(Bytes(received.end() - static_cast<ptrdiff_t>(tail.size()), received.end()), tail);
}

TEST_F(StmtTest, MalformedPrepareRepliesAreRefusedWith2027) {
  struct Case {
    const char* name;
    std::vector<fake::Step> reply;
  };
  const Case cases[] = {
      {"reply cut short", {fake::SendPacket(1, {0x00, 0x01, 0x00})}},
      {"fewer parameter definitions than counted",
       {fake::SendPacket(1, PrepareOk(1, 0, 2)), fake::SendPacket(2, ParamDef()),
        fake::SendPacket(3, Eof())}},
      {"fewer columns than counted",
       {fake::SendPacket(1, PrepareOk(1, 3, 0)), fake::SendPacket(2, Column("a", 3)),
        fake::SendPacket(3, Eof())}},
      {"column definition cut inside its fixed part",
       {fake::SendPacket(1, PrepareOk(1, 1, 0)),
        fake::SendPacket(2, Cat({LenStr("def"), LenStr("s"), LenStr("t"), LenStr("t"),
                                 LenStr("a"), LenStr("a"), {0x0C, 33}})),
        fake::SendPacket(3, Eof())}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<fake::Step> steps = {fake::ReadPacket()};
    steps.insert(steps.end(), c.reply.begin(), c.reply.end());
    fake::FakeServer server(Login(steps));
    TMySqlSession s;
    s.SetConnectTimeout(5);
    s.Connect("127.0.0.1", "tester", "pw", "assoc", server.Port(), "", 0);
    TMySqlStmt stmt(&s);
    const std::string sql = "SELECT 1";
    EXPECT_EQ(ErrorOf([&] {
                stmt.Prepare(reinterpret_cast<const uint8_t*>(sql.data()), 8);
              }),
              2027);
    EXPECT_FALSE(stmt.Prepared());
  }
}

TEST_F(StmtTest, ABinaryDateOfAnImpossibleLengthIsMalformed) {
  fake::FakeServer server(Login({
      fake::ReadPacket(), fake::SendPacket(1, PrepareOk(2, 1, 0)),
      fake::SendPacket(2, Column("d", 12)), fake::SendPacket(3, Eof()),
      fake::ReadPacket(), fake::SendPacket(1, {0x01}), fake::SendPacket(2, Column("d", 12)),
      fake::SendPacket(3, Eof()), fake::SendPacket(4, {0x00, 0x00, 5, 1, 2, 3, 4, 5}),
      fake::SendPacket(5, Eof()),
  }));
  Connect(server);
  TMySqlStmt stmt(&session);
  Prepare(stmt, "SELECT d FROM t");
  TParamDescs none;
  stmt.Execute(none, true);
  stmt.BindResults(std::make_unique<TMySqlBinds>(1));
  TMySqlBinds* row = nullptr;
  EXPECT_EQ(ErrorOf([&] { stmt.ResultSet()->Fetch(row); }), 2027);
}

TEST_F(StmtTest, AnExecuteTooLargeForTheServerIsRefusedBeforeAnythingIsSent) {
  fake::FakeServer server(Login({
      fake::ReadPacket(), fake::SendPacket(1, PrepareOk(3, 0, 1)), fake::SendPacket(2, ParamDef()),
      fake::SendPacket(3, Eof()),
      fake::ReadPacket(), fake::SendPacket(1, fake::OkPayload(1)),
  }));
  Connect(server);
  session.SetServerMaxPacket(2000);
  TMySqlStmt stmt(&session);
  Prepare(stmt, "INSERT INTO t VALUES (?)");
  TParamDescs params;
  TParamDesc* p = params.Add(std::make_unique<TParamDesc>());
  p->SetDataType(dtString);
  p->SetValue(Variant(AnsiString(3000, 'x')));
  EXPECT_EQ(ErrorOf([&] { stmt.Execute(params, true); }), 2020);
  // The statement stays usable, and its types were not taken as sent.
  EXPECT_TRUE(stmt.SentTypes().empty());
  p->SetValue(Variant(AnsiString(1500, 'y')));
  stmt.Execute(params, true);
  EXPECT_EQ(stmt.AffectedRows(), 1);
  session.Close();
  server.Wait();
  const auto packets = server.Packets();
  ASSERT_EQ(packets.size(), 3u);  // login, prepare, the one execute
  EXPECT_EQ(packets[2].Payload[0], 23);
  EXPECT_EQ(packets[2].Payload.size(), 1u + 4 + 1 + 4 + 1 + 1 + 2 + 3 + 1500);
}

TEST_F(StmtTest, ParametersThatDoNotMatchTheMarkersAreRefused) {
  fake::FakeServer server(Login({
      fake::ReadPacket(), fake::SendPacket(1, PrepareOk(3, 0, 2)), fake::SendPacket(2, ParamDef()),
      fake::SendPacket(3, ParamDef()), fake::SendPacket(4, Eof()),
  }));
  Connect(server);
  TMySqlStmt stmt(&session);
  Prepare(stmt, "INSERT INTO t VALUES (?, ?)");
  TParamDescs params;
  params.Add(std::make_unique<TParamDesc>())->SetValue(Variant(int32_t{1}));
  EXPECT_EQ(ErrorOf([&] { stmt.Execute(params, true); }), 2030);
  // A leading function result does not count.
  TParamDescs withResult;
  withResult.Add(std::make_unique<TParamDesc>())->SetParamType(4);
  withResult.Add(std::make_unique<TParamDesc>())->SetValue(Variant(int32_t{1}));
  EXPECT_EQ(ErrorOf([&] { stmt.Execute(withResult, true); }), 2030);
}

TEST(StmtSession, AStatementOutlivingItsSessionFailsInsteadOfTouchingIt) {
  // The session goes first, as a connection closed while its commands stay prepared.
  auto* gone = new TMySqlSession();
  TMySqlStmt orphan(gone);
  TMySqlStmt other(gone);
  delete gone;
  EXPECT_EQ(orphan.Session(), nullptr);
  EXPECT_EQ(other.Session(), nullptr);
  TParamDescs none;
  EXPECT_EQ(ErrorOf([&] { orphan.Execute(none, true); }), 2013);
  const uint8_t sql[] = "DO 1";
  EXPECT_EQ(ErrorOf([&] { orphan.Prepare(sql, 4); }), 2013);
  orphan.CloseStatement();  // nothing to send, nothing to fail
}

// ---- the back end's slots ----

TEST(DirectStmtSlots, ErrorsStayOnTheStatement) {
  TMySQLAPIDirect& api = MySQLAPIDirect();
  TMySqlSession session;
  PMYSQL_STMT stmt = api.mysql_stmt_init(&session);
  TMYSQL_BINDS none;
  // Binding before prepare: the low byte of 2029.
  EXPECT_EQ(api.StmtBindResults(stmt, none), static_cast<uint8_t>(2029 & 0xFF));
  EXPECT_EQ(api.mysql_stmt_errno(stmt), 2029);
  EXPECT_EQ(api.mysql_stmt_error(stmt), "Statement not prepared");
  PMYSQL_ROW row = reinterpret_cast<PMYSQL_ROW>(1);
  EXPECT_EQ(api.StmtFetchRow(stmt, row), MYSTMT_NO_DATA);
  EXPECT_EQ(row, nullptr);
  EXPECT_EQ(api.mysql_stmt_errno(stmt), 0);
  EXPECT_EQ(api.mysql_stmt_result_metadata(stmt), nullptr);
  EXPECT_EQ(api.mysql_stmt_close(stmt), 0);
}

TEST(DirectStmtSlots, AServerThatRefusesPrepareLeavesItsErrorOnTheStatement) {
  fake::FakeServer server(Login({
      fake::ReadPacket(), fake::SendPacket(1, fake::ErrPayload(1047, "08S01", "Unknown command")),
  }));
  TMySQLAPIDirect& api = MySQLAPIDirect();
  TMySqlSession session;
  session.SetConnectTimeout(5);
  session.Connect("127.0.0.1", "tester", "pw", "assoc", server.Port(), "", 0);
  PMYSQL_STMT stmt = api.mysql_stmt_init(&session);
  EXPECT_EQ(api.mysql_stmt_prepare(stmt, "DO 1", 4), 1047);
  EXPECT_EQ(api.mysql_stmt_errno(stmt), 1047);
  EXPECT_NE(api.mysql_stmt_error(stmt).find("Unknown command"), std::string::npos);
  EXPECT_EQ(api.mysql_stmt_param_count(stmt), 0);
  api.mysql_stmt_close(stmt);
}

// A server before 4.1 has no prepared statements: the command says so and sends nothing.
TEST(PreparedOnOldServers, TheCommandRefusesWithTheServerVersionMessage) {
  fake::GreetingOptions v40;
  v40.Version = "4.0.27";
  v40.Form = fake::GreetingOptions::Shape::NoSecondScramble;
  v40.Capabilities = fake::kLongPassword | fake::kConnectWithDb | fake::kTransactions;
  fake::FakeServer server({fake::SendPacket(0, fake::Greeting(v40)), fake::ReadPacket(),
                           fake::SendPacket(2, {0, 0, 0, 2, 0}), fake::ReadUntilClose()});
  TMySQLConnection conn;
  conn.SetServer(u"127.0.0.1");
  conn.SetProp(pcPort, static_cast<int32_t>(server.Port()));
  conn.SetUsername(u"tester");
  conn.SetPassword(u"pw");
  conn.Connect(u"");
  TMySQLCommand cmd;
  cmd.SetConnection(&conn);
  cmd.SetSQL(u"SELECT 1");
  try {
    cmd.Prepare();
    ADD_FAILURE() << "prepared on a 4.0 server";
  } catch (const EDAError& e) {
    EXPECT_EQ(e.Message(), u"Prepare/UnPrepare is not supported by this MySQL server version");
  }
  EXPECT_FALSE(cmd.GetPrepared());
  conn.Disconnect();
  server.Wait();
  EXPECT_EQ(server.Packets().size(), 1u);  // the login only; the quit is read to the close
  const Bytes received = server.Received();
  EXPECT_EQ(received.back(), 1) << "the quit";
}

}  // namespace
