#include "MySql/MySqlApi.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "Common/LxAccess_Command.h"

namespace {

// A back end that reports the client version the test gives it and records what the shared
// base code hands to the library's entry points.
class TRecordingAPI : public TMySQLAPI {
 public:
  explicit TRecordingAPI(AnsiString version) : Version(std::move(version)) {}

  AnsiString mysql_get_client_info() override { return Version; }
  int mysql_options(PMYSQL_CON, uint8_t option, const void* arg) override {
    Options.push_back({option, *static_cast<const int*>(arg)});
    return 0;
  }
  uint8_t mysql_stmt_bind_param(PMYSQL_STMT, void* bind) override {
    Bound = bind;
    if (Raise) throw Exception(u"library failed");
    if (bind) std::memcpy(Copy, bind, sizeof(TMYSQL_BIND503) < 128 ? sizeof(TMYSQL_BIND503) : 128);
    return 0;
  }
  int mysql_num_fields(PMYSQL_RES) override { return 3; }
  const unsigned long* mysql_fetch_lengths(PMYSQL_RES) override { return Lengths; }
  PMYSQL_FIELD mysql_fetch_field_direct(PMYSQL_RES, int) override { return Field; }

  struct Option {
    uint8_t code;
    int value;
  };
  AnsiString Version;
  std::vector<Option> Options;
  void* Bound = nullptr;
  bool Raise = false;
  unsigned char Copy[128] = {};
  unsigned long Lengths[3] = {5, 0, 70000};
  PMYSQL_FIELD Field = nullptr;
};

TEST(MySQLAPI, ClientVersionsPickTheStructureVersion) {
  struct {
    const char* version;
    int structVer;
  } cases[] = {{"4.1.0", 3}, {"4.1.7", 4}, {"4.0.20", 2}, {"3.23.58", 1}, {"5.0.2", 4},
               {"5.1.73-community", 4}};
  for (const auto& c : cases) {
    TRecordingAPI api(c.version);
    api.Initialize();
    EXPECT_EQ(api.ClientStructVer(), c.structVer) << c.version;
    EXPECT_EQ(api.ClientVersion(), c.version);
  }
  TRecordingAPI future("6.0.0");
  try {
    future.Initialize();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Invalid client version");
  }
}

TEST(MySQLAPI, SlotsABackEndMustFillRaiseAbstractError) {
  TMySQLAPI api;
  TParamDescs params;
  PMYSQL_ROW row = nullptr;
  TLenArr lengths;
  auto expectAbstract = [](auto&& call, const char* name) {
    try {
      call();
      ADD_FAILURE() << name;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"Abstract Error") << name;
    }
  };
  expectAbstract([&] { api.mysql_stmt_execute(nullptr); }, "mysql_stmt_execute");
  expectAbstract([&] { api.mysql_real_query(nullptr, "", 0); }, "mysql_real_query");
  expectAbstract([&] { api.mysql_get_client_info(); }, "mysql_get_client_info");
  expectAbstract([&] { api.mysql_next_result(nullptr); }, "mysql_next_result");
  expectAbstract([&] { api.StmtFetchRow(nullptr, row); }, "StmtFetchRow");
  expectAbstract([&] { api.StmtExecuteParams(nullptr, params, true); }, "StmtExecuteParams");
  expectAbstract([&] { api.StmtFetchLengths(nullptr, lengths); }, "StmtFetchLengths");
  expectAbstract([&] { api.StmtGetFieldPtr(nullptr, 0); }, "StmtGetFieldPtr");
  expectAbstract([&] { api.Initialize(); }, "Initialize");
  EXPECT_TRUE(api.IsLoaded());
}

TMYSQL_BINDS SampleBinds() {
  static uint32_t length = 9;
  static uint8_t isNull = 0;
  static char buffer[16];
  TMYSQL_BINDS binds(2, TMYSQL_BIND{});
  binds[1].length = &length;
  binds[1].is_null = &isNull;
  binds[1].buffer = buffer;
  binds[1].buffer_type = 253;
  binds[1].buffer_length = 16;
  binds[1].is_unsigned = 1;
  binds[1].is_null_value = 1;
  binds[0].buffer_type = 3;
  binds[0].param_number = 7;
  return binds;
}

TEST(MySQLAPI, BindRecordsPassUnchangedBeforeClient503) {
  TRecordingAPI api("5.0.2");
  api.Initialize();
  TMYSQL_BINDS binds = SampleBinds();
  EXPECT_EQ(api.StmtBindParams(nullptr, binds), 0);
  EXPECT_EQ(api.Bound, binds.data());
}

TEST(MySQLAPI, BindRecordsAreCopiedIntoTheLongerLayoutFrom503) {
  for (const char* version : {"5.0.3", "5.1.0"}) {
    TRecordingAPI api(version);
    api.Initialize();
    TMYSQL_BINDS binds = SampleBinds();
    ASSERT_EQ(api.StmtBindParams(nullptr, binds), 0);
    ASSERT_NE(api.Bound, static_cast<void*>(binds.data())) << version;
    TMYSQL_BIND503 first;
    std::memcpy(&first, api.Copy, sizeof first);
    EXPECT_EQ(first.buffer_type, 3u);
    EXPECT_EQ(first.param_number, 7u);
    EXPECT_EQ(first.error, nullptr);
    EXPECT_EQ(first.error_value, 0);
    // The second record follows the first at the longer stride.
    TMYSQL_BIND503 second;
    std::memcpy(&second, static_cast<TMYSQL_BIND503*>(api.Bound) + 1, sizeof second);
    EXPECT_EQ(second.length, binds[1].length);
    EXPECT_EQ(second.is_null, binds[1].is_null);
    EXPECT_EQ(second.buffer, binds[1].buffer);
    EXPECT_EQ(second.buffer_type, 253u);
    EXPECT_EQ(second.buffer_length, 16u);
    EXPECT_EQ(second.is_unsigned, 1);
    EXPECT_EQ(second.is_null_value, 1);
  }
}

TEST(MySQLAPI, ScratchBindsAreReleasedWhenTheLibraryCallRaises) {
  TRecordingAPI api("5.1.0");
  api.Initialize();
  TMYSQL_BINDS binds = SampleBinds();
  api.Raise = true;
  EXPECT_THROW(api.StmtBindParams(nullptr, binds), Exception);
  api.Raise = false;
  TMYSQL_BINDS one(1, TMYSQL_BIND{});
  one[0].buffer_type = 5;
  ASSERT_EQ(api.StmtBindParams(nullptr, one), 0);
  TMYSQL_BIND503 copied;
  std::memcpy(&copied, api.Copy, sizeof copied);
  EXPECT_EQ(copied.buffer_type, 5u);
}

// The records keep their field order and widths; only pointer slots follow the machine.
TEST(MySQLAPI, BindRecordLayoutRules) {
  constexpr size_t P = sizeof(void*);
  EXPECT_EQ(offsetof(TMYSQL_BIND, buffer_type), 3 * P);
  EXPECT_EQ(offsetof(TMYSQL_BIND, buffer_length), 3 * P + 4);
  EXPECT_EQ(offsetof(TMYSQL_BIND, row_ptr), 4 * P);
  EXPECT_EQ(offsetof(TMYSQL_BIND, is_unsigned), offsetof(TMYSQL_BIND, pack_length) + 4);
  EXPECT_EQ(offsetof(TMYSQL_BIND, padding), offsetof(TMYSQL_BIND, is_unsigned) + 3);
  EXPECT_EQ(offsetof(TMYSQL_BIND503, buffer_type), 4 * P);
  EXPECT_EQ(offsetof(TMYSQL_BIND503, error_value), offsetof(TMYSQL_BIND503, pack_length) + 4);
  EXPECT_EQ(offsetof(TMYSQL_BIND503, is_null_value), offsetof(TMYSQL_BIND503, error_value) + 3);
  if (P == 4) {
    EXPECT_EQ(sizeof(TMYSQL_BIND), 56u);
    EXPECT_EQ(sizeof(TMYSQL_BIND503), 60u);
  }
}

TEST(MySQLAPI, TimeoutsOnlyWhereTheClientHasThem) {
  TRecordingAPI modern("5.0.2");
  modern.Initialize();
  modern.SetTimeouts(nullptr, 0);
  ASSERT_EQ(modern.Options.size(), 2u);
  EXPECT_EQ(modern.Options[0].code, MYOPT_READ_TIMEOUT);
  EXPECT_EQ(modern.Options[0].value, 31536000);
  EXPECT_EQ(modern.Options[1].code, MYOPT_WRITE_TIMEOUT);
  EXPECT_EQ(modern.Options[1].value, 31536000);
  modern.SetTimeouts(nullptr, 30);
  EXPECT_EQ(modern.Options[2].value, 30);

  TRecordingAPI old("4.0.20");
  old.Initialize();
  old.SetTimeouts(nullptr, 30);
  EXPECT_TRUE(old.Options.empty());
}

// The field structures' member lists reproduce the byte offsets of the 32-bit clients.
TEST(MySQLAPI, FieldLayoutsOfThe32BitClients) {
  struct {
    uint8_t ver;
    TMySqlFieldLayout expected;
  } cases[] = {
      {1, {0, -1, 4, -1, 24, 12, 16, -1, 28, 4}},
      {2, {0, -1, 4, 8, 28, 36, 20, -1, 32, 4}},
      {3, {0, 4, 8, 12, 56, 68, 24, 64, 60, 4}},
      {4, {0, 4, 8, 12, 64, 76, 28, 72, 68, 4}},
  };
  for (const auto& c : cases) {
    TMySqlFieldLayout l = MySqlFieldLayout(c.ver, 4, 4);
    const TMySqlFieldLayout& e = c.expected;
    EXPECT_EQ(l.Name, e.Name) << int(c.ver);
    EXPECT_EQ(l.OrgName, e.OrgName) << int(c.ver);
    EXPECT_EQ(l.Table, e.Table) << int(c.ver);
    EXPECT_EQ(l.OrgTable, e.OrgTable) << int(c.ver);
    EXPECT_EQ(l.Flags, e.Flags) << int(c.ver);
    EXPECT_EQ(l.Type, e.Type) << int(c.ver);
    EXPECT_EQ(l.Length, e.Length) << int(c.ver);
    EXPECT_EQ(l.CharsetNr, e.CharsetNr) << int(c.ver);
    EXPECT_EQ(l.Decimals, e.Decimals) << int(c.ver);
  }
  EXPECT_THROW(MySqlFieldLayout(5, 4, 4), Exception);
}

// A field structure of a 4.1.1-and-later client as this machine's compiler lays it out.
struct TClientField41 {
  const char *name, *org_name, *table, *org_table, *db, *catalog, *def;
  unsigned long length, max_length;
  unsigned int name_length, org_name_length, table_length, org_table_length, db_length,
      catalog_length, def_length;
  unsigned int flags, decimals, charsetnr;
  int type;
};

TEST(MySQLAPI, FieldInfoFromALibraryStructure) {
  TRecordingAPI api("5.0.96");
  api.Initialize();
  TClientField41 raw{"alias", "", "t", "orders", "db", "def", nullptr, 16777215, 0,
                     0,       0,  0,   0,        0,    0,     0,       0x1001,   2,
                     33,      253};
  api.Field = &raw;
  TMYSQL_FIELD f;
  api.GetFieldInfo(nullptr, 0, f, true);
  EXPECT_EQ(f.Name, "alias");
  EXPECT_EQ(f.OrgName, "alias");  // empty underlying name
  EXPECT_EQ(f.Table, "t");
  EXPECT_EQ(f.OrgTable, "orders");
  EXPECT_EQ(f.Flags, 0x1001u);
  EXPECT_EQ(f.Decimals, 2u);
  EXPECT_EQ(f.CharsetNr, 33u);
  EXPECT_EQ(f.Type, 253u);
  EXPECT_EQ(f.Length, 65535u);  // MEDIUMTEXT

  raw.org_name = "name";
  raw.length = 4294967295ul;
  api.GetFieldInfo(nullptr, 0, f, true);
  EXPECT_EQ(f.OrgName, "name");
  EXPECT_EQ(f.Length, 65535u);  // LONGTEXT
  EXPECT_EQ(ClampFieldLength(65535), 65535u);
  EXPECT_EQ(ClampFieldLength(20), 20u);
}

TEST(MySQLAPI, ColumnsOfALibraryRow) {
  TRecordingAPI api("5.0.96");
  char first[] = "hello";
  char* columns[3] = {first, nullptr, first + 5};
  PMYSQL_ROW row = columns;
  EXPECT_FALSE(api.FieldIsNull(row, 0));
  EXPECT_TRUE(api.FieldIsNull(row, 1));
  EXPECT_EQ(api.GetFieldPtr(nullptr, row, 1), nullptr);
  AnsiString s;
  api.GetFieldString(row, 0, s);
  EXPECT_EQ(s, "hello");
  api.GetFieldString(row, 1, s);
  EXPECT_EQ(s, "");

  char dest[8];
  std::memset(dest, 'x', sizeof dest);
  api.CopyFieldTerminatedAt(row, 0, dest, 1, 3);
  EXPECT_EQ(std::string(dest, 6), std::string("xhel\0x", 6));
  api.CopyFieldAt(row, 0, dest, 0, 2);
  EXPECT_EQ(std::string(dest, 2), "he");
  int offset = -1;
  EXPECT_EQ(api.GetFieldBuffer(row, 0, offset), first);
  EXPECT_EQ(offset, 0);

  TLenArr lengths;
  api.FetchLengths(nullptr, lengths);
  EXPECT_EQ(lengths, (TLenArr{5, 0, 70000}));
}

}  // namespace
