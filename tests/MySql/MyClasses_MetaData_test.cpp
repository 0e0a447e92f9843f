// The MySQL metadata provider against the fake server announcing a 4.0 server: tables, columns
// and indexes come from SHOW statements copied into the neutral layouts, routines and
// constraints are empty without a statement, and names go into the statements quoted.
#include "MySql/MyClasses_MetaData.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "MySql/MyAccess.h"
#include "MySql/MyClasses_Connection.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/Common/StoreRows.h"
#include "tests/support/FakePackets.h"

namespace {

using fake::B;
using fake::Bytes;
using fake::Cat;

Bytes LenStr(const std::string& s) { return Cat({fake::LengthCoded(s.size()), B(s)}); }

// A column definition as a server before 4.1 sends it.
Bytes Column40(const std::string& name) {
  const Bytes length{64, 0, 0};
  return Cat({LenStr("t"), LenStr(name), Cat({{3}, length}), Cat({{1}, Bytes{253}}),
              Cat({{2}, Bytes{0, 0}})});
}

Bytes Eof() { return {0xFE, 0, 0, 2, 0}; }

using Row = std::vector<std::optional<std::string>>;

// The reply to one query: its columns and text rows, in the 4.0 form.
std::vector<fake::Step> Result(const std::vector<std::string>& columns,
                               const std::vector<Row>& rows) {
  std::vector<fake::Step> steps{fake::ReadPacket()};
  uint8_t seq = 1;
  steps.push_back(fake::SendPacket(seq++, {static_cast<uint8_t>(columns.size())}));
  for (const std::string& c : columns) steps.push_back(fake::SendPacket(seq++, Column40(c)));
  steps.push_back(fake::SendPacket(seq++, Eof()));
  for (const Row& row : rows) {
    Bytes payload;
    for (const auto& value : row) payload = Cat({payload, value ? LenStr(*value) : Bytes{0xFB}});
    steps.push_back(fake::SendPacket(seq++, payload));
  }
  steps.push_back(fake::SendPacket(seq++, Eof()));
  return steps;
}

fake::Script OldServer(const std::vector<std::vector<fake::Step>>& replies) {
  fake::GreetingOptions v40;
  v40.Version = "4.0.27";
  v40.Form = fake::GreetingOptions::Shape::NoSecondScramble;
  v40.Capabilities = fake::kLongPassword | fake::kConnectWithDb | fake::kTransactions;
  fake::Script script{fake::SendPacket(0, fake::Greeting(v40)), fake::ReadPacket(),
                      fake::SendPacket(2, {0, 0, 0, 2, 0})};
  for (const auto& reply : replies) script.insert(script.end(), reply.begin(), reply.end());
  script.push_back(fake::ReadUntilClose());
  return script;
}


// The statements the client sent after its login, as text.
std::vector<std::string> Queries(fake::FakeServer& server) {
  std::vector<std::string> out;
  const auto packets = server.Packets();
  for (size_t i = 1; i < packets.size(); ++i)
    if (!packets[i].Payload.empty() && packets[i].Payload[0] == 3)
      out.emplace_back(packets[i].Payload.begin() + 1, packets[i].Payload.end());
  return out;
}

struct OldServerTest : ::testing::Test {
  void Connect(fake::FakeServer& server, const String& database = u"assoc") {
    conn.SetServer(u"127.0.0.1");
    conn.SetProp(pcPort, static_cast<int32_t>(server.Port()));
    conn.SetUsername(u"tester");
    conn.SetPassword(u"pw");
    conn.SetProp(pcDatabase, database);
    conn.Connect(u"");
    ASSERT_EQ(conn.ServerMajor(), 4);
  }
  TData* Ask(const char16_t* kind, std::initializer_list<const char16_t*> lines) {
    TStringList restrictions;
    for (const char16_t* line : lines) restrictions.Add(line);
    return meta.GetMetaDataFor(&conn, nullptr, kind, &restrictions);
  }

  TMySQLConnection conn;
  TMySQLMetaData meta;
};

TEST_F(OldServerTest, TablesColumnsAndIndexesFromShowStatements) {
  fake::FakeServer server(OldServer({
      Result({"Tables_in_old db"}, {{"a"}, {"It's"}}),
      Result({"Field", "Type", "Null", "Key", "Default", "Extra"},
             {{"id", "int(11)", "", "PRI", std::nullopt, "auto_increment"},
              {"name", "varchar(20)", "YES", "", "x", ""},
              {"note", "text", "YES", "", std::nullopt, ""}}),
      Result({"Table", "Non_unique", "Key_name", "Seq_in_index", "Column_name", "Collation"},
             {{"it's", "0", "PRIMARY", "1", "id", "A"},
              {"it's", "1", "by_name", "1", "name", "A"},
              {"it's", "1", "by_name", "2", "note", std::nullopt}}),
      Result({"Table", "Non_unique", "Key_name", "Seq_in_index", "Column_name", "Collation"},
             {{"it's", "0", "PRIMARY", "1", "id", "A"},
              {"it's", "1", "by_name", "1", "name", "D"},
              {"it's", "1", "by_name", "2", "note", std::nullopt}}),
      Result({"Database"}, {{"assoc"}, {"old db"}}),
  }));
  Connect(server);

  EXPECT_EQ(StoreRows(Ask(u"tables", {u"TABLE_SCHEMA=`old db`", u"TABLE_NAME=it's"})),
            (std::vector<std::string>{"<null>|old db|It's|<null>"}))
      << "the name restriction compares without case";
  EXPECT_EQ(StoreRows(Ask(u"columns", {u"TABLE_NAME=`it's`", u"COLUMN_NAME=NAME"})),
            (std::vector<std::string>{
                "<null>|assoc|it's|name|2|varchar(20)|<null>|<null>|<null>|1|x"}));
  EXPECT_EQ(StoreRows(Ask(u"indexes", {u"TABLE_NAME=it's", u"TABLE_SCHEMA=old db"})),
            (std::vector<std::string>{"<null>|old db|it's|<null>|old db|PRIMARY|1",
                                      "<null>|old db|it's|<null>|old db|by_name|0"}));
  EXPECT_EQ(StoreRows(Ask(u"indexcolumns", {u"TABLE_NAME=it's"})),
            (std::vector<std::string>{
                "<null>|assoc|it's|<null>|assoc|PRIMARY|id|1|ASC",
                "<null>|assoc|it's|<null>|assoc|by_name|name|1|DESC",
                "<null>|assoc|it's|<null>|assoc|by_name|note|2|"}));
  EXPECT_EQ(StoreRows(Ask(u"databases", {})), (std::vector<std::string>{"assoc", "old db"}));

  // Without the views of later servers there are no routines and no constraints, and nothing
  // is asked for them.
  for (const char16_t* kind : {u"procedures", u"procedureparameters", u"constraints"})
    EXPECT_EQ(StoreRows(Ask(kind, {u"PROCEDURE_NAME=p", u"TABLE_NAME=t"})),
              std::vector<std::string>{})
        << UTF8Encode(kind);
  try {
    Ask(u"columns", {u"TABLE_SCHEMA=assoc"});
    ADD_FAILURE() << "columns without a table";
  } catch (const Exception& e) {
    EXPECT_EQ(UTF8Encode(e.Message()), "TABLE_NAME restriction must be set");
  }
  conn.Disconnect();
  server.Wait();
  EXPECT_EQ(Queries(server),
            (std::vector<std::string>{"SHOW TABLES FROM `old db`", "SHOW COLUMNS FROM `it's`",
                                      "SHOW INDEX FROM `it's` FROM `old db`",
                                      "SHOW INDEX FROM `it's`", "SHOW DATABASES"}));
}

TEST_F(OldServerTest, WithoutADatabaseThereAreNoTablesToShow) {
  fake::FakeServer server(OldServer({}));
  Connect(server, u"");
  EXPECT_EQ(StoreRows(Ask(u"tables", {u"TABLE_SCHEMA=assoc"})), std::vector<std::string>{});
  conn.Disconnect();
  server.Wait();
  EXPECT_EQ(Queries(server), std::vector<std::string>{});
}

TEST(OldServerConnection, ListsNoStoredRoutinesAndLeavesAsItFound) {
  fake::FakeServer server(OldServer({}));
  TMyConnection conn(nullptr);
  conn.SetServer(u"127.0.0.1");
  conn.SetPort(server.Port());
  conn.SetUsername(u"tester");
  conn.SetPassword(u"pw");
  conn.SetDatabase(u"assoc");
  conn.SetLoginPrompt(false);
  TStringList list;
  list.Add(u"stale");
  conn.GetStoredProcNames(&list);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(conn.Database(), u"assoc");
  server.Wait();
  EXPECT_EQ(Queries(server), std::vector<std::string>{});
  // The login asked for no database: the list's connect is made without one.
  const auto packets = server.Packets();
  ASSERT_FALSE(packets.empty());
  const std::string login(packets[0].Payload.begin(), packets[0].Payload.end());
  EXPECT_EQ(login.find("assoc"), std::string::npos);
}

}  // namespace
