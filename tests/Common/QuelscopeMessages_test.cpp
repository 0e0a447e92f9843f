#include "Common/QuelscopeMessages.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

// A packer whose transport is a byte list; each flush is kept apart.
class CapturePacker : public TSocketMessagePacker {
 public:
  using TSocketMessagePacker::Flush;
  std::vector<Bytes> Sends;
  Bytes All() const {
    Bytes all;
    for (const Bytes& b : Sends) all.insert(all.end(), b.begin(), b.end());
    return all;
  }

 protected:
  int32_t Transmit(const uint8_t* data, int32_t count) override {
    Sends.emplace_back(data, data + count);
    return count;
  }
};

// The expected frame, written out by hand: big-endian Int32, strings as length and bytes.
struct Expect {
  Bytes b;
  Expect& I32(uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
    return *this;
  }
  Expect& Str(const std::string& utf8) {
    I32(static_cast<uint32_t>(utf8.size()));
    b.insert(b.end(), utf8.begin(), utf8.end());
    return *this;
  }
};

TEST(QuelscopePacker, Int32AndStringGoldenBytes) {
  struct Case {
    const char* name;
    void (*write)(TSocketMessagePacker&);
    Bytes expected;
  };
  const Case cases[] = {
      {"1000", [](TSocketMessagePacker& p) { p.WriteInt32(1000); }, {0x00, 0x00, 0x03, 0xE8}},
      {"-2", [](TSocketMessagePacker& p) { p.WriteInt32(-2); }, {0xFF, 0xFF, 0xFF, 0xFE}},
      {"O with diaeresis", [](TSocketMessagePacker& p) { p.WriteString(u"\u00D6"); },
       {0x00, 0x00, 0x00, 0x02, 0xC3, 0x96}},
      {"empty text", [](TSocketMessagePacker& p) { p.WriteString(u""); }, {0, 0, 0, 0}},
      {"byte", [](TSocketMessagePacker& p) { p.WriteByte(0x7F); }, {0x7F}},
  };
  for (const Case& c : cases) {
    CapturePacker packer;
    c.write(packer);
    packer.Flush();
    EXPECT_EQ(packer.All(), c.expected) << c.name;
  }
}

TEST(QuelscopePacker, StartupFrame) {
  TStartupMessage m;
  m.ProcessId = 0x1234;
  m.Description = u"Orbiq monitoring is started";
  m.ExeName = u"/opt/\u00D6/app";
  CapturePacker packer;
  packer.Send(m);
  const Bytes expected = {0x00, 0x00, 0x00, 0x02,                    // message type
                          0x00, 0x00, 0x12, 0x34,                    // process id
                          0x00, 0x00, 0x00, 0x00,                    // event type
                          0x00, 0x00, 0x00, 0x1B, 'O', 'r', 'b', 'i', 'q', ' ', 'm', 'o', 'n',
                          'i', 't', 'o', 'r', 'i', 'n', 'g', ' ', 'i', 's', ' ', 's', 't', 'a',
                          'r', 't', 'e', 'd',
                          0x00, 0x00, 0x00, 0x0B, '/', 'o', 'p', 't', '/', 0xC3, 0x96, '/', 'a',
                          'p', 'p'};
  EXPECT_EQ(packer.All(), expected);
  EXPECT_EQ(packer.Sends.size(), 1u) << "one frame is one send";
}

TEST(QuelscopePacker, EventStartAndEndOfAParameterisedQuery) {
  const TMsgSQLParams params = {{u"id", u"Integer", u"IN", u"7"},
                                {u"name", u"String[3]", u"IN", u"'\u00D6zi'"}};
  TEventStartMessage start;
  start.ProcessId = 99;
  start.EventType = 10;
  start.Description = u"SQL Execute: select * from t where id = :id";
  start.EventId = 5;
  start.StartTime = 1000;
  start.ObjectId = 0x0A0B0C0D;
  start.ObjectName = u"Cmd";
  start.ObjectType = 3;
  start.ObjectTypeName = u"TMyCommand";
  start.ParentId = 0x01020304;
  start.ParentName = u"Conn";
  start.ParentType = 1;
  start.ParentTypeName = u"TMyConnection";
  start.SQL = u"select * from t where id = :id";
  start.Params = params;
  start.CallStack = {u"main"};
  TEventEndMessage end;
  end.ProcessId = 99;
  end.EventType = 10;
  end.Description = start.Description;
  end.EventId = 5;
  end.EndTime = -1;
  end.Failed = true;
  end.ErrorText = u"gone";
  end.Params = params;
  end.RowsAffected = 2;

  CapturePacker packer;
  packer.Send(start);
  packer.Send(end);
  Expect e;
  auto paramsBytes = [&e] {
    e.I32(2).Str("id").Str("Integer").Str("IN").Str("7");
    e.Str("name").Str("String[3]").Str("IN").Str("'\xC3\x96zi'");
  };
  e.I32(4).I32(99).I32(10).Str("SQL Execute: select * from t where id = :id");
  e.I32(5).I32(1000).I32(0x0A0B0C0D).Str("Cmd").I32(3).Str("TMyCommand");
  e.I32(0x01020304).Str("Conn").I32(1).Str("TMyConnection");
  e.Str("select * from t where id = :id");
  paramsBytes();
  e.I32(1).Str("main");
  e.I32(5).I32(99).I32(10).Str("SQL Execute: select * from t where id = :id");
  e.I32(5).I32(0xFFFFFFFF).I32(1).Str("gone");
  paramsBytes();
  e.I32(2);
  EXPECT_EQ(packer.All(), e.b);
}

TEST(QuelscopePacker, LongTextsGrowTheBufferThenGoInSeveralSends) {
  TEventMessage m;
  m.EventType = 1;
  m.Description = String(40000, u'x');
  CapturePacker packer;
  packer.Send(m);
  EXPECT_EQ(packer.BufferCapacity(), TSocketMessagePacker::MaxBufferSize);
  ASSERT_GE(packer.Sends.size(), 2u);
  for (const Bytes& b : packer.Sends) EXPECT_LE(b.size(), 32768u);
  const Bytes all = packer.All();
  ASSERT_EQ(all.size(), 4u + 4 + 4 + 4 + 40000);
  EXPECT_EQ(Bytes(all.begin() + 12, all.begin() + 16), (Bytes{0x00, 0x00, 0x9C, 0x40}));
  EXPECT_EQ(all.back(), 'x');
}

// A text that finds no room left in the full buffer goes out in the next send, its length in
// the one before, and arrives whole.
TEST(QuelscopePacker, TextLargerThanTheRoomLeftIsSplit) {
  CapturePacker packer;
  packer.WriteString(String(32760, u'a'));  // grows the buffer to its limit
  packer.WriteString(u"bcdefghijk");
  packer.Flush();
  const Bytes all = packer.All();
  ASSERT_EQ(all.size(), 4u + 32760 + 4 + 10);
  EXPECT_EQ(std::string(all.end() - 10, all.end()), "bcdefghijk");
  EXPECT_EQ(packer.Sends.size(), 2u);
}

}  // namespace
