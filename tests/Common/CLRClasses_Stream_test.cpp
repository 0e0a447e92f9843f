#include <gtest/gtest.h>

#include <cstring>

#include "Common/CLRClasses.h"

namespace {

TBytes B(std::initializer_list<int> values) {
  TBytes bytes;
  for (int v : values) bytes.push_back(static_cast<uint8_t>(v));
  return bytes;
}

// --- string builders ---------------------------------------------------------------------------

TEST(AnsiStringBuilder, GrowsByWhatIsNeededPlusHalfTheCapacity) {
  AnsiStringBuilder sb(4);
  sb.Append("abc");
  EXPECT_EQ(sb.Capacity(), 4);
  sb.Append("defg");  // 1 free, 4 needed: 4 + 3 + 4 / 2
  EXPECT_EQ(sb.Capacity(), 9);
  sb.AppendChar('h');
  sb.AppendChar('i');
  EXPECT_EQ(sb.Capacity(), 9);
  sb.AppendChar('j');  // full: 9 + 9 / 2 + 1
  EXPECT_EQ(sb.Capacity(), 14);
  EXPECT_EQ(sb.ToString(), "abcdefghij");
  EXPECT_EQ(sb.Length(), 10);

  AnsiStringBuilder empty(0);
  empty.AppendChar('x');  // a builder of capacity 0 still takes a character
  EXPECT_EQ(empty.Capacity(), 1);
  EXPECT_EQ(empty.ToString(), "x");
}

TEST(AnsiStringBuilder, PartsAndLength) {
  AnsiStringBuilder sb(2);
  sb.AppendPart("0123456789", 3, 4);
  EXPECT_EQ(sb.ToString(), "3456");
  EXPECT_EQ(sb.Capacity(), 5);  // 4 + 0 + 2 / 2
  sb.SetLength(2);              // grows as an Append of 2 would: 1 free, so 2 + 4 + 5 / 2
  EXPECT_EQ(sb.ToString(), "34");
  EXPECT_EQ(sb.Capacity(), 8);
  sb.SetLength(9);  // 6 free, 9 needed: 9 + 2 + 8 / 2
  EXPECT_EQ(sb.Capacity(), 15);
  EXPECT_EQ(sb.ToString(), std::string("34\0\0\0\0\0\0\0", 9));  // no stale "56" shows through
  sb.Append("Ж");
  EXPECT_EQ(sb.Length(), 11);
  EXPECT_THROW(sb.AppendPart("abc", 2, 2), ArgumentException);
  EXPECT_THROW(sb.AppendPart("abc", -1, 1), ArgumentException);
  EXPECT_THROW(sb.SetLength(-1), ArgumentException);
  EXPECT_EQ(sb.Length(), 11);
}

TEST(WideStringBuilder, CreateFromAppendAndGrowth) {
  WideStringBuilder sb(u"Здраво", 4);  // 6 needed on capacity 4: 6 + 0 + 2
  EXPECT_EQ(sb.Capacity(), 8);
  sb.Append(u", свет");
  EXPECT_EQ(sb.ToString(), u"Здраво, свет");
  EXPECT_EQ(sb.Capacity(), 16);  // 2 free, 6 needed: 6 + 6 + 8 / 2
}

TEST(WideStringBuilder, ReplaceEveryOccurrence) {
  struct Case {
    const char* name;
    String text, oldValue, newValue, expected;
  } cases[] = {
      {"same length", u"a.b.c", u".", u",", u"a,b,c"},
      {"longer, containing the old text", u"a.b.c", u".", u"..", u"a..b..c"},
      {"shorter", u"a<>b<><>", u"<>", u"", u"ab"},
      {"at both ends", u"xaxbx", u"x", u"yy", u"yyayybyy"},
      {"none found", u"abc", u"z", u"q", u"abc"},
      {"empty old changes nothing", u"abc", u"", u"q", u"abc"},
      {"adjacent occurrences", u"aaaa", u"aa", u"b", u"bb"},
      {"Cyrillic", u"ж-ж", u"ж", u"Ж", u"Ж-Ж"},
  };
  for (const auto& c : cases) {
    WideStringBuilder sb(c.text, static_cast<int>(c.text.size()));
    sb.Replace(c.oldValue, c.newValue);
    EXPECT_EQ(sb.ToString(), c.expected) << c.name;
    EXPECT_EQ(sb.Length(), static_cast<int>(c.expected.size())) << c.name;
  }
}

// --- Buffer and MemoryStream -------------------------------------------------------------------

TEST(Buffer, BlockCopyCopiesAndChecksBothArrays) {
  TBytes source = B({1, 2, 3, 4, 5});
  TBytes destination(4);
  Buffer::BlockCopy(source, 1, destination, 2, 2);
  EXPECT_EQ(destination, B({0, 0, 2, 3}));
  Buffer::BlockCopy(source, 0, source, 1, 4);  // overlapping areas
  EXPECT_EQ(source, B({1, 1, 2, 3, 4}));
  EXPECT_THROW(Buffer::BlockCopy(source, 4, destination, 0, 2), ArgumentException);
  EXPECT_THROW(Buffer::BlockCopy(source, 0, destination, 3, 2), ArgumentException);
  uint8_t raw[3] = {0, 0, 0};
  Buffer::BlockCopy(source.data(), 2, raw, 1, 2);
  EXPECT_EQ(raw[1], 2);
  EXPECT_EQ(raw[2], 3);
}

TEST(MemoryStream, CapacityGrowsToTheLargerOfTheNeedAndHalfAgain) {
  struct Case {
    int64_t length, capacity;
  } cases[] = {{10, 100}, {100, 100}, {101, 150}, {120, 150}, {151, 151}, {160, 160}};
  for (const auto& c : cases) {
    MemoryStream stream(100);
    stream.SetLength(c.length);
    EXPECT_EQ(stream.Capacity(), c.capacity) << c.length;
    EXPECT_EQ(stream.Length(), c.length);
  }
  MemoryStream stream(100);
  stream.SetLength(10);
  stream.SetLength(160);
  EXPECT_EQ(stream.Capacity(), 160);
  MemoryStream empty(0);
  empty.WriteByte(7);
  EXPECT_EQ(empty.Capacity(), 1);
}

TEST(MemoryStream, ReadStopsAtTheLength) {
  MemoryStream stream(100);
  for (int i = 0; i < 100; ++i) stream.WriteByte(static_cast<uint8_t>(i));
  stream.SetPosition(95);
  uint8_t buffer[24];
  std::memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(stream.Read(buffer, 2, 20), 5);
  EXPECT_EQ(buffer[1], 0xEE);
  EXPECT_EQ(buffer[2], 95);
  EXPECT_EQ(buffer[6], 99);
  EXPECT_EQ(buffer[7], 0xEE);
  EXPECT_EQ(stream.Position(), 100);
  EXPECT_EQ(stream.Read(buffer, 0, 20), 0);
  EXPECT_THROW(stream.ReadByte(), ArgumentException);

  TBytes bytes(4);
  stream.SetPosition(10);
  EXPECT_EQ(stream.ReadBytes(bytes, 1, 3), 3);
  EXPECT_EQ(bytes, B({0, 10, 11, 12}));
  EXPECT_EQ(stream.ReadByte(), 13);
  EXPECT_THROW(stream.ReadBytes(bytes, 2, 3), ArgumentException);  // no room in the array
  EXPECT_EQ(stream.Position(), 14);
}

TEST(MemoryStream, WritesExtendTheLengthAndPositionsBeyondIt) {
  MemoryStream stream(4);
  stream.WriteBuffer(B({1, 2, 3, 4, 5, 6}), 1, 4);
  EXPECT_EQ(stream.Length(), 4);
  stream.SetPosition(2);
  stream.Write("\x09\x08\x07", 0, 3);  // overwrites two and extends by one
  EXPECT_EQ(stream.Length(), 5);
  EXPECT_EQ(stream.Position(), 5);
  stream.SetPosition(8);  // beyond the end: the gap reads as zeros
  EXPECT_EQ(stream.Length(), 8);
  TBytes all(8);
  stream.SetPosition(0);
  EXPECT_EQ(stream.ReadBytes(all, 0, 8), 8);
  EXPECT_EQ(all, B({2, 3, 9, 8, 7, 0, 0, 0}));
  EXPECT_EQ(stream.GetBuffer()[2], 9);  // the storage itself

  // Shrinking and growing again does not bring old bytes back.
  stream.SetLength(1);
  stream.SetLength(3);
  stream.SetPosition(0);
  TBytes three(3);
  stream.ReadBytes(three, 0, 3);
  EXPECT_EQ(three, B({2, 0, 0}));
  EXPECT_THROW(stream.SetPosition(-1), ArgumentException);
  EXPECT_THROW(stream.WriteBuffer(three, 2, 2), ArgumentException);
}

TEST(MemoryStream, CloseReleasesTheStorage) {
  MemoryStream stream(64);
  stream.WriteByte(1);
  stream.Close();
  EXPECT_EQ(stream.Capacity(), 0);
  EXPECT_EQ(stream.Length(), 0);
  EXPECT_EQ(stream.Position(), 0);
  uint8_t b;
  EXPECT_EQ(stream.Read(&b, 0, 1), 0);
  stream.WriteByte(2);  // still usable
  EXPECT_EQ(stream.Length(), 1);
}

// --- BitConverter and Marshal ------------------------------------------------------------------

TEST(BitConverter, LittleEndianValues) {
  EXPECT_EQ(BitConverter::GetBytesInt64(0x0102030405060708LL), B({8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(BitConverter::GetBytesInt64(-2), B({0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  const TBytes bytes = B({0xAA, 0x34, 0x12, 0xFF, 0xFF, 0x80, 0, 0, 0, 0});
  EXPECT_EQ(BitConverter::ToInt16(bytes, 1), 0x1234);
  EXPECT_EQ(BitConverter::ToInt16(bytes, 3), -1);
  EXPECT_EQ(BitConverter::ToInt32(bytes, 1), static_cast<int32_t>(0xFFFF1234));
  EXPECT_EQ(BitConverter::ToUInt32(bytes, 3), 0x0080FFFFu);
  EXPECT_EQ(BitConverter::ToInt64(bytes, 2), 0x000000000080FFFF12LL);
  EXPECT_EQ(BitConverter::ToInt64(BitConverter::GetBytesInt64(INT64_MIN), 0), INT64_MIN);
  EXPECT_THROW(BitConverter::ToInt32(bytes, 7), ArgumentException);
  EXPECT_THROW(BitConverter::ToInt16(bytes, -1), ArgumentException);
  EXPECT_EQ(BitConverter::DoubleToInt64Bits(1.0), 0x3FF0000000000000LL);
  EXPECT_EQ(BitConverter::Int64BitsToDouble(0x4000000000000000LL), 2.0);
  EXPECT_EQ(BitConverter::Int64BitsToDouble(BitConverter::DoubleToInt64Bits(-0.1)), -0.1);
}

TEST(Marshal, ReadsAndWritesAtAnAddressPlusOffset) {
  uint8_t block[32] = {};
  Marshal::WriteByte(block, 1, 0xAB);
  Marshal::WriteInt16Ofs(block, 3, -2);  // unaligned on purpose
  Marshal::WriteInt32Ofs(block, 5, 0x11223344);
  Marshal::WriteInt64Ofs(block, 9, 0x0102030405060708LL);
  Marshal::WriteIntPtrOfs(block, 17, block);
  EXPECT_EQ(block[1], 0xAB);
  EXPECT_EQ(block[3], 0xFE);
  EXPECT_EQ(block[4], 0xFF);
  EXPECT_EQ(block[5], 0x44);  // little-endian
  EXPECT_EQ(block[8], 0x11);
  EXPECT_EQ(block[9], 0x08);
  EXPECT_EQ(Marshal::ReadByte(block, 1), 0xAB);
  EXPECT_EQ(Marshal::ReadInt16(block, 3), -2);
  EXPECT_EQ(Marshal::ReadInt32(block, 5), 0x11223344);
  EXPECT_EQ(Marshal::ReadInt64(block, 9), 0x0102030405060708LL);
  EXPECT_EQ(Marshal::ReadIntPtr(block, 17), static_cast<void*>(block));

  Marshal::WriteByteAt(block + 30, 9);
  Marshal::WriteInt16(block + 28, 0x0102);
  Marshal::WriteInt32(block + 24, -1);
  EXPECT_EQ(Marshal::ReadByte(block + 30), 9);
  EXPECT_EQ(Marshal::ReadInt16(block, 28), 0x0102);
  EXPECT_EQ(Marshal::ReadInt32(block, 24), -1);
  Marshal::WriteInt64(block, -5);
  Marshal::WriteIntPtr(block + 8, nullptr);
  EXPECT_EQ(Marshal::ReadInt64(block), -5);
  EXPECT_EQ(Marshal::ReadIntPtr(block, 8), nullptr);
  EXPECT_EQ(Marshal::GetAddress(static_cast<void*>(block)), static_cast<void*>(block));
}

TEST(Marshal, TextsAtAnAddress) {
  const char ansi[] = "abc\0def";
  EXPECT_EQ(Marshal::PtrToStringAnsi(ansi, 0), "abc");  // up to the first zero
  EXPECT_EQ(Marshal::PtrToStringAnsi(ansi, -1), "abc");
  EXPECT_EQ(Marshal::PtrToStringAnsi(ansi, 5), std::string("abc\0d", 5));
  EXPECT_EQ(Marshal::PtrToStringAnsi(nullptr, 3), "");
  const char16_t wide[] = u"Жx\0y";
  EXPECT_EQ(Marshal::PtrToStringUni(wide, 0), u"Жx");
  EXPECT_EQ(Marshal::PtrToStringUni(wide, 1), u"Ж");
  AnsiString text = "hello";
  EXPECT_EQ(Marshal::PtrToStringAnsi(Marshal::StringToPtr(text)), "hello");
  String wideText = u"свет";
  EXPECT_EQ(Marshal::PtrToStringUni(Marshal::WideStringToPtr(wideText)), u"свет");
}

TEST(Marshal, BlocksAndArrayCopies) {
  void* block = Marshal::AllocHGlobal(8);
  ASSERT_NE(block, nullptr);
  Marshal::CopyFromArray(B({1, 2, 3, 4}), block, 3, 2);
  Marshal::WriteInt16(block, 0x0A0B);
  block = Marshal::ReAllocHGlobal(block, 4096);  // keeps the content
  TBytes out(6, 0xEE);
  Marshal::CopyToArray(block, 1, 4, out);
  EXPECT_EQ(out, B({0x0A, 1, 2, 3, 0xEE, 0xEE}));
  Marshal::CopyToArray(nullptr, 0, 0, out);  // count 0 copies nothing
  EXPECT_THROW(Marshal::CopyToArray(block, 0, 7, out), ArgumentException);
  EXPECT_THROW(Marshal::CopyFromArray(out, block, 7, 0), ArgumentException);
  Marshal::FreeHGlobal(block);
  EXPECT_EQ(Marshal::AllocHGlobal(0), nullptr);
  EXPECT_THROW(Marshal::AllocHGlobal(-1), ArgumentException);
}

TEST(ArgumentErrors, CarryTheirMessage) {
  EXPECT_EQ(ArgumentException().Message(), u"");
  EXPECT_EQ(ArgumentException(u"bad index").Message(), u"bad index");
  EXPECT_EQ(NotSupportedException().Message(), u"");
  EXPECT_THROW(throw NotSupportedException(), Exception);
}

}  // namespace
