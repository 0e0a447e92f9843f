// Byte tables for the codec: length-coded integers, the bounds-checked reader, error packets.
#include "MySql/MySqlNetCodec.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Common/CLRClasses.h"
#include "MySql/MySqlErrors.h"

using namespace mysqlcodec;

namespace {

using Bytes = std::vector<uint8_t>;

TEST(LengthCoded, EncodesInTheShortestForm) {
  struct Case {
    uint64_t value;
    Bytes bytes;
  };
  const Case cases[] = {
      {0, {0x00}},
      {250, {0xFA}},
      {251, {0xFC, 0xFB, 0x00}},
      {65535, {0xFC, 0xFF, 0xFF}},
      {65536, {0xFD, 0x00, 0x00, 0x01}},
      {16777215, {0xFD, 0xFF, 0xFF, 0xFF}},
      {16777216, {0xFE, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00}},
      {0x0102030405060708ull, {0xFE, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}},
  };
  for (const auto& c : cases) {
    uint8_t out[9];
    size_t n = EncodeLengthCoded(c.value, out);
    EXPECT_EQ(Bytes(out, out + n), c.bytes) << c.value;
    TMySqlReader r(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(static_cast<uint64_t>(r.ReadLengthCoded()), c.value);
    EXPECT_TRUE(r.AtEnd());
  }
}

TEST(LengthCoded, NullAndInvalidMarkers) {
  Bytes null{0xFB, 0x07};
  TMySqlReader r(null.data(), null.size());
  EXPECT_EQ(r.ReadLengthCoded(), kLengthCodedNull);
  EXPECT_EQ(r.ReadByte(), 7);

  Bytes invalid{0xFF};
  TMySqlReader bad(invalid.data(), invalid.size());
  EXPECT_THROW(bad.ReadLengthCoded(), ArgumentException);
}

// Every read that would pass the end is a malformed packet, and leaves the position alone.
TEST(Reader, TruncatedFieldsAreMalformed) {
  struct Case {
    const char* name;
    Bytes bytes;
    void (*read)(TMySqlReader&);
  };
  const Case cases[] = {
      {"byte of nothing", {}, [](TMySqlReader& r) { r.ReadByte(); }},
      {"uint16 of 1", {1}, [](TMySqlReader& r) { r.ReadUInt16(); }},
      {"uint24 of 2", {1, 2}, [](TMySqlReader& r) { r.ReadUInt24(); }},
      {"uint32 of 3", {1, 2, 3}, [](TMySqlReader& r) { r.ReadUInt32(); }},
      {"length-coded 252 of 1", {0xFC, 1}, [](TMySqlReader& r) { r.ReadLengthCoded(); }},
      {"length-coded 253 of 2", {0xFD, 1, 2}, [](TMySqlReader& r) { r.ReadLengthCoded(); }},
      {"bytes past the end", {1, 2, 3}, [](TMySqlReader& r) {
         uint8_t out[4];
         r.ReadBytes(out, 4);
       }},
  };
  for (const auto& c : cases) {
    TMySqlReader r(c.bytes.data(), c.bytes.size());
    try {
      c.read(r);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const EMySqlException& e) {
      EXPECT_EQ(e.ErrorCode(), 2027) << c.name;
      EXPECT_EQ(e.Message(), u"Malformed packet");
    }
    EXPECT_EQ(r.Position(), 0u) << c.name;
  }
}

// Values of a row located in place: where the bytes start and how many, at the edges of the
// one-byte form and of the payload.
TEST(Reader, LocatesLengthCodedValuesInPlace) {
  Bytes v250(251, 'x');
  v250[0] = 250;
  Bytes v251(254, 'y');
  v251[0] = 0xFC;
  v251[1] = 251;
  v251[2] = 0;
  struct Case {
    const char* name;
    Bytes bytes;
    bool found;
    size_t start, length, position;
  };
  const Case cases[] = {
      {"empty value", {0x00, 0x41}, true, 1, 0, 1},
      {"one-byte length up to the end", {0x02, 'a', 'b'}, true, 1, 2, 3},
      {"one-byte length before more", {0x01, 'a', 0x00}, true, 1, 1, 2},
      {"longest one-byte length", v250, true, 1, 250, 251},
      {"two-byte length", v251, true, 3, 251, 254},
      {"NULL", {0xFB, 0x01}, false, 0, 0, 1},
  };
  for (const auto& c : cases) {
    TMySqlReader r(c.bytes.data(), c.bytes.size());
    size_t start = 99, length = 99;
    EXPECT_EQ(r.LocateLengthCoded(start, length), c.found) << c.name;
    EXPECT_EQ(start, c.start) << c.name;
    EXPECT_EQ(length, c.length) << c.name;
    EXPECT_EQ(r.Position(), c.position) << c.name;
  }

  // A length past the end is malformed, whatever its form, and the reader stays put.
  const Bytes shortValues[] = {{}, {0x03, 'a', 'b'}, {0xFA}, {0xFC, 0x02, 0x00, 'a'}, {0xFE, 1, 2}};
  for (const auto& bytes : shortValues) {
    TMySqlReader r(bytes.data(), bytes.size());
    size_t start, length;
    try {
      r.LocateLengthCoded(start, length);
      ADD_FAILURE() << bytes.size() << " bytes: no error";
    } catch (const EMySqlException& e) {
      EXPECT_EQ(e.ErrorCode(), 2027) << bytes.size() << " bytes";
    }
    EXPECT_EQ(r.Position(), 0u);
  }
}

TEST(Reader, ShortEightByteValuesAreArgumentErrors) {
  Bytes seven{1, 2, 3, 4, 5, 6, 7};
  TMySqlReader r(seven.data(), seven.size());
  EXPECT_THROW(r.ReadUInt64(), ArgumentException);
  Bytes coded{0xFE, 1, 2, 3};
  TMySqlReader c(coded.data(), coded.size());
  EXPECT_THROW(c.ReadLengthCoded(), ArgumentException);
}

TEST(Reader, IntegersAreLittleEndian) {
  Bytes b{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D,
          0x0E, 0x0F, 0x10, 0x11, 0x12};
  TMySqlReader r(b.data(), b.size());
  EXPECT_EQ(r.ReadByte(), 0x01);
  EXPECT_EQ(r.ReadUInt16(), 0x0302);
  EXPECT_EQ(r.ReadUInt24(), 0x060504u);
  EXPECT_EQ(r.ReadUInt32(), 0x0A090807u);
  EXPECT_EQ(r.ReadUInt64(), 0x1211100F0E0D0C0Bull);
}

TEST(Reader, ZeroTerminatedTexts) {
  Bytes b{'a', 'b', 0, 'c', 'd'};
  TMySqlReader r(b.data(), b.size());
  EXPECT_EQ(r.ReadZString(), "ab");
  EXPECT_EQ(r.ReadZString(), "cd") << "the end of the packet ends a text without its zero";
  EXPECT_EQ(r.ReadZString(), "");
  EXPECT_TRUE(r.AtEnd());
}

TEST(Reader, LenientReadsStopAtTheEnd) {
  Bytes b{1, 2, 3};
  TMySqlReader r(b.data(), b.size());
  uint8_t out[8] = {};
  EXPECT_EQ(r.ReadBytesUpTo(out, 8), 3u);
  r.SkipUpTo(100);
  EXPECT_EQ(r.Position(), 3u);
}

TEST(ErrorPacket, DecodesNumberAndTextWithItsState) {
  std::string text = "#42S02Table 'assoc.x' doesn't exist";
  Bytes b{0xFF, 0x7A, 0x04};
  b.insert(b.end(), text.begin(), text.end());
  TServerError e = DecodeErrorPacket(b.data(), b.size());
  EXPECT_EQ(e.Number, 1146);
  EXPECT_EQ(e.Message, text);

  Bytes cut{0xFF, 0x7A};
  EXPECT_THROW(DecodeErrorPacket(cut.data(), cut.size()), EMySqlException);
}

TEST(Headers, RoundTrip) {
  uint8_t h[7];
  EncodeFrameHeader(h, 0xABCDEF, 9, 0x123456);
  EXPECT_EQ(Bytes(h, h + 7), (Bytes{0xEF, 0xCD, 0xAB, 9, 0x56, 0x34, 0x12}));
  TFrameHeader f = DecodeFrameHeader(h);
  EXPECT_EQ(f.Length, 0xABCDEFu);
  EXPECT_EQ(f.Sequence, 9);
  EXPECT_EQ(f.Uncompressed, 0x123456u);
}

}  // namespace
