// Engine errors and their messages, and the shared call records.
#include "MySql/MySqlErrors.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "MySql/MyCall.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/UnicodeText.h"

namespace {

TEST(ClientErrorText, CoversExactly2000To2047) {
  EXPECT_STREQ(GetClientErrorText(2000), "Unknown MySQL error");
  EXPECT_STREQ(GetClientErrorText(2013), "Lost connection to MySQL server during query");
  EXPECT_STREQ(GetClientErrorText(2027), "Malformed packet");
  EXPECT_STREQ(GetClientErrorText(2047), "Invalid connection handle");
  EXPECT_STREQ(GetClientErrorText(1999), "");
  EXPECT_STREQ(GetClientErrorText(2048), "");
  EXPECT_STREQ(GetClientErrorText(1146), "");
}

// Every client number has one name of its own, and a diagnostic shows the name with the number.
TEST(ClientErrorName, EachNumberIsNamedOnce) {
  std::set<std::string> names;
  for (int32_t number = 2000; number <= 2047; ++number) {
    const std::string name = GetClientErrorName(number);
    EXPECT_EQ(name.rfind("CR_", 0), 0u) << number;
    EXPECT_TRUE(names.insert(name).second) << name << " names two numbers";
  }
  EXPECT_EQ(GetClientErrorName(CR_MALFORMED_PACKET), std::string("CR_MALFORMED_PACKET"));
  EXPECT_EQ(CR_MALFORMED_PACKET, 2027);
  EXPECT_EQ(CR_LOST_CONNECTION, 2013);
  EXPECT_STREQ(GetClientErrorName(1999), "");
  EXPECT_STREQ(GetClientErrorName(2048), "");
  EXPECT_EQ(DescribeError(2027), "CR_MALFORMED_PACKET (2027)");
  EXPECT_EQ(DescribeError(ER_PACKETS_OUT_OF_ORDER), "ER_PACKETS_OUT_OF_ORDER (1156)");
  EXPECT_EQ(DescribeError(1146), "(1146)");  // a server's number has no name of ours
}

TEST(EMySqlException, CreateKeepsTheTextUnformatted) {
  EMySqlException e(2014);
  EXPECT_EQ(e.Message(), u"Commands out of sync;  You can't run this command now");
  EXPECT_EQ(e.ErrorCode(), 2014);
  EXPECT_EQ(EMySqlException(2003).Message(), u"Can't connect to MySQL server on '%s' (%d)");
}

TEST(EMySqlException, DetailFollowsALineBreak) {
  auto server = EMySqlException::CreateMsg(1146, u"#42S02Table 'x.y' doesn't exist");
  EXPECT_EQ(server.Message(), u"\r\n#42S02Table 'x.y' doesn't exist");
  EXPECT_EQ(server.ErrorCode(), 1146);

  EXPECT_EQ(EMySqlException::CreateMsg(2013, u"").Message(),
            u"Lost connection to MySQL server during query");
  EXPECT_EQ(EMySqlException::CreateMsg(2013, u"Socket error on read.").Message(),
            u"Lost connection to MySQL server during query\r\nSocket error on read.");
}

TEST(EMySqlException, CreateFmtFillsThePlaceholders) {
  AnsiString host = "db.example";
  auto e = EMySqlException::CreateFmt(2003, u"Connection timed out", {host, 10061});
  EXPECT_EQ(e.Message(),
            u"Can't connect to MySQL server on 'db.example' (10061)\r\nConnection timed out");
  EXPECT_EQ(EMySqlException::CreateFmt(2007, u"", {9, 10}).Message(),
            u"Protocol mismatch. Server Version = 9 Client Version = 10");
}

struct NumericCase {
  TMySqlFieldType type;
  uint32_t length;
  bool numeric;
};

TEST(MyCall, NumericColumns) {
  const NumericCase cases[] = {
      {0, 10, true},  {1, 4, true},   {3, 11, true},   {5, 22, true},  {6, 0, true},
      {8, 20, true},  {9, 9, true},   {7, 19, false},  {7, 14, true},  {7, 8, true},
      {13, 4, true},  {10, 10, false}, {12, 19, false}, {15, 10, false}, {253, 10, false},
  };
  for (const auto& c : cases) {
    TMySqlFieldInfo info;
    bool numeric = InitFieldInfo("c", "c", "t", info, c.type, 33, 0x1, 0, 0, c.length, "", "db", "t");
    EXPECT_EQ(numeric, c.numeric) << "type " << int(c.type) << " length " << c.length;
    EXPECT_EQ((info.Flags & kNumFlag) != 0, c.numeric);
    EXPECT_EQ(info.Flags & 0x1, 0x1u);
  }
}

TEST(MyCall, ParseVersion) {
  int32_t major = 0, minor = 0, release = 0;
  ParseVersion("5.0.45-community-nt", major, minor, release);
  EXPECT_EQ(major, 5);
  EXPECT_EQ(minor, 0);
  EXPECT_EQ(release, 45);
  ParseVersion("4.1.22", major, minor, release);
  EXPECT_EQ(major, 4);
  EXPECT_EQ(minor, 1);
  EXPECT_EQ(release, 22);
  ParseVersion("10.11.6-MariaDB", major, minor, release);
  EXPECT_EQ(major, 10);
  EXPECT_EQ(minor, 11);
  EXPECT_EQ(release, 6);
  EXPECT_THROW(ParseVersion("x.1.2", major, minor, release), EConvertError);
  EXPECT_THROW(ParseVersion("5", major, minor, release), EConvertError);
}

TEST(MyCall, DateTimeToMySqlTime) {
  TMYSQL_TIME t;
  DateTimeToMySqlTime(t, EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 7, 250));
  EXPECT_EQ(t.year, 2024u);
  EXPECT_EQ(t.month, 2u);
  EXPECT_EQ(t.day, 29u);
  EXPECT_EQ(t.hour, 13u);
  EXPECT_EQ(t.minute, 45u);
  EXPECT_EQ(t.second, 7u);
  EXPECT_EQ(t.second_part, 250000u);
  EXPECT_EQ(t.neg, 0);
  EXPECT_EQ(t.time_type, 1u);
}

}  // namespace
