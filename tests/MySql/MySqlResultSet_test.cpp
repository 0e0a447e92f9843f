// Byte tables for the result formats: text and binary rows, EOF packets, column definitions of both
// vintages, the replies to a query, and the file names a statement gives to LOAD DATA LOCAL.
#include "MySql/MySqlResultSet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/CLRClasses.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlResultSet_Rows.h"
#include "MySql/MySqlSession_LocalFile.h"
#include "MySql/MySqlSession_Replies.h"
#include "tests/support/ErrorNumber.h"

using namespace mysqlrows;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes LenStr(const std::string& s) { return Cat({{static_cast<uint8_t>(s.size())}, Text(s)}); }

// The error number a call raises, 0 when none.
template <class F>
TErrorNumber ErrorOf(F f) {
  try {
    f();
  } catch (const EMySqlException& e) {
    return {e.ErrorCode()};
  }
  return {};
}

struct Located {
  bool null;
  int32_t offset, length;
};

std::vector<Located> Locate(const Bytes& row, size_t columns) {
  TMySqlBinds binds(static_cast<int32_t>(columns));
  LocateTextRow(row.data(), row.size(), binds);
  std::vector<Located> out;
  for (const auto& b : binds.Binds) out.push_back({b.IsNull, b.Offset, b.Length});
  return out;
}

bool operator==(const Located& a, const Located& b) {
  return a.null == b.null && a.offset == b.offset && a.length == b.length;
}
std::ostream& operator<<(std::ostream& os, const Located& l) {
  return os << (l.null ? "NULL" : "") << "(" << l.offset << "," << l.length << ")";
}

// --- text rows -----------------------------------------------------------------------------------

TEST(TextRow, LocatesValuesNullsAndEmptyValues) {
  Bytes row = Cat({{0x03}, Text("abc"), {0xFB, 0x00}});
  EXPECT_EQ(Locate(row, 3), (std::vector<Located>{{false, 1, 3}, {true, 0, 0}, {false, 6, 0}}));
}

TEST(TextRow, LengthPrefixesOfOneThreeFourAndNineBytes) {
  struct Case {
    const char* name;
    size_t length;
    Bytes prefix;
  };
  const Case cases[] = {
      {"1 byte", 250, {0xFA}},
      {"3 bytes", 251, {0xFC, 0xFB, 0x00}},
      {"3 bytes, top", 65535, {0xFC, 0xFF, 0xFF}},
      {"4 bytes", 65536, {0xFD, 0x00, 0x00, 0x01}},
      {"9 bytes", 16777216, {0xFE, 0x00, 0x00, 0x00, 0x01, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    Bytes row = Cat({c.prefix, Bytes(c.length, 'x'), {0x01, 'z'}});
    auto got = Locate(row, 2);
    const int32_t start = static_cast<int32_t>(c.prefix.size());
    EXPECT_EQ(got[0], (Located{false, start, static_cast<int32_t>(c.length)})) << c.name;
    EXPECT_EQ(got[1], (Located{false, start + static_cast<int32_t>(c.length) + 1, 1})) << c.name;
  }
}

TEST(TextRow, LengthsPastTheEndAreMalformed) {
  struct Case {
    const char* name;
    Bytes row;
    size_t columns;
  };
  const Case cases[] = {
      {"value one byte short", Cat({{0x04}, Text("abc")}), 1},
      {"2-byte length cut off", {0xFC, 0x01}, 1},
      {"3-byte length cut off", {0xFD, 0x01, 0x00}, 1},
      {"8-byte length cut off", {0xFE, 0x01, 0x00, 0x00, 0x00}, 1},
      {"8-byte length of 2^63", Cat({{0xFE, 0, 0, 0, 0, 0, 0, 0, 0x80}, Text("abc")}), 1},
      {"8-byte length of all ones", Cat({{0xFE}, Bytes(8, 0xFF), Text("abc")}), 1},
      {"low 4 bytes fit, high do not", Cat({{0xFE, 1, 0, 0, 0, 1, 0, 0, 0}, Text("a")}), 1},
      {"fewer values than columns", Cat({LenStr("a"), LenStr("b")}), 3},
      {"empty row", {}, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorOf([&] { Locate(c.row, c.columns); }), CR_MALFORMED_PACKET) << c.name;
  }
  Bytes invalid{0xFF, 0x00};
  EXPECT_THROW(Locate(invalid, 1), ArgumentException);
}

// --- binary rows ---------------------------------------------------------------------------------

TMySqlFieldInfos Columns(std::initializer_list<TMySqlFieldType> types) {
  TMySqlFieldInfos out;
  for (auto t : types) {
    TMySqlFieldInfo f;
    f.Type = t;
    out.push_back(f);
  }
  return out;
}

TEST(BinaryRow, TheNullBitmapSkipsTwoBits) {
  auto columns = Columns({3, 3});
  Bytes row = {0x00, 0x08, 0x2A, 0x00, 0x00, 0x00};
  TMySqlBinds binds(2);
  LocateBinaryRow(row.data(), row.size(), columns, binds);
  EXPECT_FALSE(binds.Binds[0].IsNull);
  EXPECT_EQ(binds.Binds[0].Offset, 2);
  EXPECT_EQ(binds.Binds[0].Length, 4);
  EXPECT_TRUE(binds.Binds[1].IsNull);
  EXPECT_EQ(binds.Binds[1].Type, 3);
  EXPECT_EQ(BinaryNullBitmapSize(2), 1u);
  EXPECT_EQ(BinaryNullBitmapSize(7), 2u);
}

TEST(BinaryRow, FixedSizesByTypeAndLengthCodedTheRest) {
  // TINY, SHORT, YEAR, LONG, FLOAT, INT24, DOUBLE, LONGLONG, DATETIME (length byte 7), VARCHAR.
  auto columns = Columns({1, 2, 13, 3, 4, 9, 5, 8, 12, 253});
  Bytes row = Cat({{0x00, 0x00, 0x00},  // header, 2 bitmap bytes for 10 columns, none NULL
                   Bytes(1, 1), Bytes(2, 2), Bytes(2, 3), Bytes(4, 4), Bytes(4, 5), Bytes(4, 6),
                   Bytes(8, 7), Bytes(8, 8), {7}, Bytes(7, 9), LenStr("hello")});
  TMySqlBinds binds(10);
  LocateBinaryRow(row.data(), row.size(), columns, binds);
  const int32_t offsets[] = {3, 4, 6, 8, 12, 16, 20, 28, 37, 45};
  const int32_t lengths[] = {1, 2, 2, 4, 4, 4, 8, 8, 7, 5};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(binds.Binds[i].Offset, offsets[i]) << i;
    EXPECT_EQ(binds.Binds[i].Length, lengths[i]) << i;
    EXPECT_EQ(binds.Binds[i].Type, columns[i].Type) << i;
  }
}

TEST(BinaryRow, ShortRowsAreMalformed) {
  auto columns = Columns({8, 253});
  const Bytes rows[] = {
      {},
      {0x00},                                   // no bitmap
      {0x00, 0x00, 1, 2, 3},                    // LONGLONG cut off
      Cat({{0x00, 0x00}, Bytes(8, 1), {0x05}, Text("abc")}),  // string past the end
  };
  for (const auto& row : rows) {
    TMySqlBinds binds(2);
    EXPECT_EQ(ErrorOf([&] { LocateBinaryRow(row.data(), row.size(), columns, binds); }),
              CR_MALFORMED_PACKET)
        << row.size();
  }
}

// --- EOF packets ---------------------------------------------------------------------------------

TEST(EofPacket, CarriesWarningsAndStatusWhenLong) {
  Bytes old{0xFE};
  EXPECT_TRUE(IsEofPacket(old.data(), old.size()));
  EXPECT_FALSE(DecodeEofPacket(old.data(), old.size()).HasStatus);
  Bytes v41{0xFE, 0x03, 0x00, 0x0A, 0x00};
  TEofInfo eof = DecodeEofPacket(v41.data(), v41.size());
  EXPECT_TRUE(eof.HasStatus);
  EXPECT_EQ(eof.WarningCount, 3);
  EXPECT_EQ(eof.ServerStatus, 0x0A);
  Bytes cut{0xFE, 0x03, 0x00};
  EXPECT_EQ(ErrorOf([&] { DecodeEofPacket(cut.data(), cut.size()); }), CR_MALFORMED_PACKET);
  // A row that starts with an 8-byte length is never an EOF packet.
  Bytes row = Cat({{0xFE}, Bytes(8, 0)});
  EXPECT_FALSE(IsEofPacket(row.data(), row.size()));
  EXPECT_FALSE(IsEofPacket(row.data(), 0));
}

// --- column definitions --------------------------------------------------------------------------

Bytes Fixed(uint16_t charset, uint32_t length, uint8_t type, uint16_t flags, uint8_t decimals) {
  Bytes f{0x0C};
  for (int i = 0; i < 2; ++i) f.push_back(static_cast<uint8_t>(charset >> (8 * i)));
  for (int i = 0; i < 4; ++i) f.push_back(static_cast<uint8_t>(length >> (8 * i)));
  f.push_back(type);
  for (int i = 0; i < 2; ++i) f.push_back(static_cast<uint8_t>(flags >> (8 * i)));
  f.push_back(decimals);
  f.push_back(0);
  f.push_back(0);
  return f;
}

TEST(ColumnDefinition, The41FormFillsEveryField) {
  Bytes packet = Cat({LenStr("def"), LenStr("assoc"), LenStr("m"), LenStr("members"),
                      LenStr("total"), LenStr("amount"), Fixed(63, 12, 246, 0x0001, 2)});
  TMySqlFieldInfo f = DecodeColumn41(packet.data(), packet.size());
  EXPECT_EQ(f.Database, "assoc");
  EXPECT_EQ(f.Table, "m");
  EXPECT_EQ(f.OrgTable, "members");
  EXPECT_EQ(f.Name, "total");
  EXPECT_EQ(f.OrgName, "amount");
  EXPECT_EQ(f.CharsetNr, 63u);
  EXPECT_EQ(f.Length, 12u);
  EXPECT_EQ(f.Type, 246);
  EXPECT_EQ(f.Flags, 0x0001u);  // NEWDECIMAL (246) is not among the numeric types
  EXPECT_EQ(f.Decimals, 2u);
  EXPECT_EQ(f.MaxLength, 0u);

  Bytes longtext = Cat({LenStr("def"), LenStr("d"), LenStr("t"), LenStr("t"), LenStr("c"),
                        LenStr("c"), Fixed(33, 0xFFFFFFFF, 252, 0x10, 0)});
  EXPECT_EQ(DecodeColumn41(longtext.data(), longtext.size()).Length, 4294967295u);

  Bytes integer = Cat({LenStr("def"), LenStr("d"), LenStr("t"), LenStr("t"), LenStr("n"),
                       LenStr("n"), Fixed(63, 11, 3, 0x1003, 0)});
  EXPECT_EQ(DecodeColumn41(integer.data(), integer.size()).Flags, 0x1003u | kNumFlag);
}

TEST(ColumnDefinition, The40FormReadsFlagsByLongFlag) {
  Bytes withLong = Cat({LenStr("members"), LenStr("id"), {3, 11, 0, 0}, {1, 3}, {3, 0x03, 0x10, 0}});
  TMySqlFieldInfo f = DecodeColumn40(withLong.data(), withLong.size(), true);
  EXPECT_EQ(f.Name, "id");
  EXPECT_EQ(f.Table, "members");
  EXPECT_EQ(f.OrgTable, "members");
  EXPECT_EQ(f.OrgName, "");
  EXPECT_EQ(f.Database, "");
  EXPECT_EQ(f.CharsetNr, 0u);
  EXPECT_EQ(f.Length, 11u);
  EXPECT_EQ(f.Type, 3);
  EXPECT_EQ(f.Flags, 0x1003u | kNumFlag);
  EXPECT_EQ(f.Decimals, 0u);

  Bytes shortFlags = Cat({LenStr("members"), LenStr("fee"), {3, 10, 0, 0}, {1, 5}, {2, 0x01, 2}});
  f = DecodeColumn40(shortFlags.data(), shortFlags.size(), false);
  EXPECT_EQ(f.Flags, 0x01u | kNumFlag);
  EXPECT_EQ(f.Decimals, 2u);
}

TEST(ColumnDefinition, ShortOrBrokenDefinitionsAreMalformed) {
  Bytes names = Cat({LenStr("def"), LenStr("d"), LenStr("t"), LenStr("t"), LenStr("c"), LenStr("c")});
  Bytes fixed = Fixed(33, 10, 253, 0, 0);
  const Bytes broken41[] = {
      names,                                                       // no fixed part
      Cat({names, {0xFB}}),                                        // a NULL fixed part
      Cat({names, {0x08}, Bytes(fixed.begin() + 1, fixed.begin() + 9)}),  // fixed part of 8 bytes
      Cat({names, {0x0C}, Bytes(fixed.begin() + 1, fixed.begin() + 6)}),  // claims 12, has 5
      Cat({LenStr("def"), {0x40}, Text("d")}),                     // a name past the end
  };
  for (const auto& p : broken41)
    EXPECT_EQ(ErrorOf([&] { DecodeColumn41(p.data(), p.size()); }), CR_MALFORMED_PACKET)
        << p.size();
  Bytes broken40 = Cat({LenStr("t"), LenStr("c"), {2, 11, 0}, {1, 3}, {2, 0, 0}});
  EXPECT_EQ(ErrorOf([&] { DecodeColumn40(broken40.data(), broken40.size(), true); }),
            CR_MALFORMED_PACKET);
}

// --- replies -------------------------------------------------------------------------------------

using namespace mysqlreplies;

TEST(Reply, KindsByTheFirstValue) {
  Bytes ok{0x00, 0, 0}, local = Cat({{0xFB}, Text("/tmp/a")}), header{0x03};
  EXPECT_EQ(ClassifyReply(ok.data(), ok.size()), TReplyKind::Ok);
  EXPECT_EQ(ClassifyReply(local.data(), local.size()), TReplyKind::LocalFile);
  EXPECT_EQ(DecodeLocalFileRequest(local.data(), local.size()), "/tmp/a");
  EXPECT_EQ(ClassifyReply(header.data(), header.size()), TReplyKind::ResultHeader);
  EXPECT_EQ(ErrorOf([] { ClassifyReply(nullptr, 0); }), CR_MALFORMED_PACKET);
}

TEST(Reply, OkPacketFieldsByWhatTheSessionSpeaks) {
  // The message is a length-coded string (a server's OK packet is never read to its end as text).
  Bytes ok = Cat({{0x00, 0x01, 0x2A, 0x03, 0x00, 0x02, 0x00}, LenStr("Rows matched: 1")});
  TOkPacket v41 = DecodeOkPacket(ok.data(), ok.size(), true, true);
  EXPECT_EQ(v41.AffectedRows, 1u);
  EXPECT_EQ(v41.InsertId, 42u);
  EXPECT_EQ(v41.ServerStatus, 3);
  EXPECT_EQ(v41.WarningCount, 2);
  EXPECT_EQ(v41.Info, "Rows matched: 1");

  // A 4.0 server with TRANSACTIONS: status, no warning count; the rest is info.
  Bytes ok40 = Cat({{0x00, 0x01, 0x2A, 0x03, 0x00}, LenStr("info")});
  TOkPacket v40 = DecodeOkPacket(ok40.data(), ok40.size(), true, false);
  EXPECT_EQ(v40.ServerStatus, 3);
  EXPECT_FALSE(v40.HasWarnings);
  EXPECT_EQ(v40.Info, "info");

  // 64-bit counts.
  Bytes big{0x00, 0xFE, 1, 2, 3, 4, 5, 6, 7, 8, 0xFD, 1, 2, 3, 0, 0, 0, 0};
  TOkPacket b = DecodeOkPacket(big.data(), big.size(), true, true);
  EXPECT_EQ(b.AffectedRows, 0x0807060504030201ull);
  EXPECT_EQ(b.InsertId, 0x030201u);

  // No message at all is an empty one.
  Bytes bare{0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00};
  EXPECT_EQ(DecodeOkPacket(bare.data(), bare.size(), true, true).Info, "");

  const Bytes cut[] = {{0x00}, {0x00, 0x01}, {0x00, 0x01, 0x02, 0x03}, {0x00, 0xFE, 1, 2},
                       Cat({{0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x09}, Text("short")})};
  for (const auto& c : cut)
    EXPECT_EQ(ErrorOf([&] { DecodeOkPacket(c.data(), c.size(), true, true); }), CR_MALFORMED_PACKET)
        << c.size();
}

TEST(Reply, ResultHeaderCountAndExtra) {
  Bytes plain{0x05}, extra{0x05, 0xFC, 0x10, 0x27};
  EXPECT_EQ(DecodeResultHeader(plain.data(), plain.size()).FieldCount, 5);
  EXPECT_EQ(DecodeResultHeader(plain.data(), plain.size()).Extra, 0u);
  EXPECT_EQ(DecodeResultHeader(extra.data(), extra.size()).Extra, 10000u);
  const Bytes bad[] = {
      {0xFE, 0, 0, 0, 0, 0x01, 0, 0, 0},  // 2^32 columns
      {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
      {0xFE, 0x01},
  };
  for (const auto& b : bad)
    EXPECT_EQ(ErrorOf([&] { DecodeResultHeader(b.data(), b.size()); }), CR_MALFORMED_PACKET)
        << b.size();
}

// --- LOAD DATA LOCAL file names ------------------------------------------------------------------

using mysqllocalfile::LocalFileNames;

std::vector<std::string> Names(const std::string& sql) {
  std::vector<std::string> out;
  for (const auto& n : LocalFileNames(sql)) out.push_back(n.Unescaped + "|" + n.AsWritten);
  return out;
}

TEST(LocalFileNames, OnlyWhatALocalInfileClauseNames) {
  struct Case {
    const char* sql;
    std::vector<std::string> names;  // unescaped|as written
  };
  const Case cases[] = {
      {"LOAD DATA LOCAL INFILE '/tmp/a.csv' INTO TABLE t", {"/tmp/a.csv|/tmp/a.csv"}},
      {"load data low_priority local infile \"b.txt\" into table t", {"b.txt|b.txt"}},
      {"LOAD XML LOCAL INFILE 'm.xml' INTO TABLE t ROWS IDENTIFIED BY '<m>'", {"m.xml|m.xml"}},
      {"LOAD DATA LOCAL /* the file */ INFILE -- next line\n '/x' INTO TABLE t", {"/x|/x"}},
      {"LOAD DATA LOCAL INFILE 'C:\\\\data\\\\it''s.csv' INTO TABLE t",
       {"C:\\data\\it's.csv|C:\\\\data\\\\it's.csv"}},
      {"LOAD DATA LOCAL INFILE 'tab\\there' INTO TABLE t", {"tab\there|tab\\there"}},
      {"LOAD DATA LOCAL INFILE 'a' INTO TABLE t; LOAD DATA LOCAL INFILE 'b' INTO TABLE u",
       {"a|a", "b|b"}},
      // The server reads these itself, or they are no clause at all.
      {"LOAD DATA INFILE '/etc/passwd' INTO TABLE t", {}},
      {"SELECT 'LOAD DATA LOCAL INFILE ''/etc/passwd'''", {}},
      {"SELECT 1 /* LOCAL INFILE '/etc/passwd' */", {}},
      {"SELECT `LOCAL` `INFILE` '/etc/passwd'", {}},
      {"SELECT * FROM t INTO OUTFILE '/tmp/out'", {}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Names(c.sql), c.names) << c.sql;
}

// The word is looked for by skipping over the text: text around it that repeats its letters, at
// every offset, must not make the search step past it.
TEST(LocalFileNames, TheWordIsFoundWhateverSurroundsIt) {
  const std::string pads[] = {"", "i", "in", "inf", "infi", "infil", "iinfil", "nfile",
                              "INFIL infi", "ffff", "eeeeee", "lllllll", "xinfilx", "infilE"};
  const std::string words[] = {"INFILE", "infile", "InFiLe", "iNfIlE"};
  for (const std::string& pad : pads)
    for (const std::string& word : words)
      for (int spaces = 0; spaces < 7; ++spaces) {
        const std::string gap(static_cast<size_t>(spaces), ' ');
        const std::string before = "/*" + pad + "*/" + gap + "LOAD DATA LOCAL " + word + " 'f'";
        const std::string inside = "LOAD DATA LOCAL" + gap + "/*" + pad + "*/" + word + "'f'";
        EXPECT_EQ(Names(before), std::vector<std::string>{"f|f"}) << before;
        EXPECT_EQ(Names(inside), std::vector<std::string>{"f|f"}) << inside;
      }
}

}  // namespace
