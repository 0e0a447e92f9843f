// The packet layer over a memory transport: framing, splitting and joining at 16 MB, compressed
// frames, sequence numbers, and every way a server's bytes can be wrong.
#include "MySql/MySqlNet.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include "MySql/MySqlErrors.h"
#include "tests/support/MemoryVio.h"
#include "tests/support/FakePackets.h"
#include "tests/support/ErrorNumber.h"

namespace {

using fake::Bytes;
using fake::Cat;
constexpr int32_t kMax = 0xFFFFFF;

struct NetFixture : ::testing::Test {
  TMySqlNet net;
  TMemoryVio* vio = nullptr;

  void Incoming(Bytes bytes, int32_t chunkLimit = 1 << 30) {
    auto v = std::make_unique<TMemoryVio>(std::move(bytes));
    v->ChunkLimit = chunkLimit;
    vio = v.get();
    net.SetVio(std::move(v));
  }

  // The number of the error a call raises, or 0.
  template <typename F>
  TErrorNumber ErrorOf(F call, String* message = nullptr) {
    try {
      call();
    } catch (const EMySqlException& e) {
      if (message) *message = e.Message();
      return {e.ErrorCode()};
    }
    return {};
  }
};

// Splits a plain packet stream into (sequence, payload) pairs.
std::vector<std::pair<uint8_t, Bytes>> Packets(const Bytes& stream) {
  std::vector<std::pair<uint8_t, Bytes>> out;
  size_t p = 0;
  while (p + 4 <= stream.size()) {
    size_t n = stream[p] | (stream[p + 1] << 8) | (stream[p + 2] << 16);
    out.push_back({stream[p + 3], Bytes(stream.begin() + p + 4, stream.begin() + p + 4 + n)});
    p += 4 + n;
  }
  EXPECT_EQ(p, stream.size()) << "the stream ends inside a packet";
  return out;
}

struct Frame {
  uint32_t length, uncompressed;
  uint8_t sequence;
  Bytes data;  // inflated
};

// Splits a compressed stream into frames and inflates them.
std::vector<Frame> Frames(const Bytes& stream) {
  std::vector<Frame> out;
  size_t p = 0;
  while (p + 7 <= stream.size()) {
    Frame f;
    f.length = stream[p] | (stream[p + 1] << 8) | (stream[p + 2] << 16);
    f.sequence = stream[p + 3];
    f.uncompressed = stream[p + 4] | (stream[p + 5] << 8) | (stream[p + 6] << 16);
    Bytes body(stream.begin() + p + 7, stream.begin() + p + 7 + f.length);
    if (f.uncompressed == 0) {
      f.data = body;
    } else {
      f.data.resize(f.uncompressed);
      uLongf size = f.uncompressed;
      EXPECT_EQ(uncompress(f.data.data(), &size, body.data(), body.size()), Z_OK);
      EXPECT_EQ(size, f.uncompressed);
    }
    out.push_back(f);
    p += 7 + f.length;
  }
  EXPECT_EQ(p, stream.size()) << "the stream ends inside a frame";
  return out;
}

Bytes Joined(const std::vector<Frame>& frames) {
  Bytes all;
  for (const auto& f : frames) all.insert(all.end(), f.data.begin(), f.data.end());
  return all;
}

Bytes Pattern(size_t n) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
  return b;
}

// --- writing ---------------------------------------------------------------------------------

TEST_F(NetFixture, APacketGoesOutWithItsLengthAndSequence) {
  Incoming({});
  net.NewCommand();
  net.WriteByte(3);
  net.WriteString("SELECT 1");
  net.Send();
  net.WriteUInt16(0x0201);
  net.WriteUInt24(0x050403);
  net.WriteUInt32(0x09080706);
  net.WriteUInt64(0x1110000000000000ull);
  net.Send();
  auto packets = Packets(vio->Written);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0].first, 0);
  EXPECT_EQ(packets[0].second, fake::Cat({{3}, fake::B("SELECT 1"), {0}}));
  EXPECT_EQ(packets[1].first, 1);
  EXPECT_EQ(packets[1].second, (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 0, 0, 0, 0x10, 0x11}));
  net.Send();
  EXPECT_EQ(Packets(vio->Written).size(), 2u) << "an empty buffer sends nothing";
}

TEST_F(NetFixture, LengthCodedWrites) {
  Incoming({});
  net.NewCommand();
  for (uint64_t v : {250ull, 251ull, 65536ull, 16777216ull}) net.WriteLengthCoded(v);
  net.Send();
  EXPECT_EQ(Packets(vio->Written)[0].second,
            (Bytes{250, 252, 0xFB, 0x00, 253, 0x00, 0x00, 0x01, 254, 0, 0, 0, 1, 0, 0, 0, 0}));
}

struct LargeCase {
  const char* name;
  size_t prefix;  // bytes written before WriteLarge
  size_t size;    // bytes given to WriteLarge
  std::vector<size_t> packets;
};

const LargeCase kLargeCases[] = {
    {"exactly one full packet", 0, kMax, {kMax, 0}},
    {"one byte more", 0, kMax + 1u, {kMax, 1}},
    {"one byte less", 0, kMax - 1u, {kMax - 1u}},
    {"prefix fills the packet", 1, kMax - 1u, {kMax, 0}},
    {"two full packets", 5, 2u * kMax - 5u, {kMax, kMax, 0}},
    {"small", 1, 100, {101}},
};

TEST_F(NetFixture, WriteLargeSplitsAtTheMaximumPacketSize) {
  for (const auto& c : kLargeCases) {
    Incoming({});
    Bytes data = Pattern(c.prefix + c.size);
    net.NewCommand();
    net.WriteBytes(data.data(), 0, static_cast<int32_t>(c.prefix));
    net.WriteLarge(data.data(), static_cast<int32_t>(c.prefix), static_cast<int32_t>(c.size));
    net.Send();
    auto packets = Packets(vio->Written);
    ASSERT_EQ(packets.size(), c.packets.size()) << c.name;
    Bytes joined;
    for (size_t i = 0; i < packets.size(); ++i) {
      EXPECT_EQ(packets[i].first, i) << c.name;
      EXPECT_EQ(packets[i].second.size(), c.packets[i]) << c.name << " packet " << i;
      joined.insert(joined.end(), packets[i].second.begin(), packets[i].second.end());
    }
    EXPECT_TRUE(joined == data) << c.name;
  }
}

TEST_F(NetFixture, SendSplitsABufferBuiltPastOnePacket) {
  Incoming({});
  Bytes data = Pattern(kMax + 10u);
  net.NewCommand();
  net.WriteBytes(data);
  net.Send();
  auto packets = Packets(vio->Written);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0].second.size(), size_t(kMax));
  EXPECT_EQ(packets[1].second.size(), 10u);
  EXPECT_EQ(packets[1].first, 1);
}

TEST_F(NetFixture, CompressedSmallPayloadsGoRawAndLargerOnesDeflated) {
  Incoming({});
  net.SetCompress(true);
  net.NewCommand();
  net.WriteBytes(Bytes(300, 'a'));
  net.Send();
  net.WriteBytes(Bytes(10, 'b'));
  net.Send();
  auto frames = Frames(vio->Written);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].uncompressed, 304u) << "payload plus its plain header";
  EXPECT_LT(frames[0].length, 304u);
  EXPECT_EQ(frames[0].sequence, 0);
  EXPECT_EQ(frames[1].uncompressed, 0u);
  EXPECT_EQ(frames[1].length, 14u);
  EXPECT_EQ(frames[1].sequence, 1);
  auto packets = Packets(Joined(frames));
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0].second, Bytes(300, 'a'));
  EXPECT_EQ(packets[1].second, Bytes(10, 'b'));
}

TEST_F(NetFixture, IncompressibleDataIsSentRaw) {
  Incoming({});
  net.SetCompress(true);
  net.NewCommand();
  Bytes noise(4000);
  uint32_t x = 12345;
  for (auto& b : noise) b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 24);
  net.WriteBytes(noise);
  net.Send();
  auto frames = Frames(vio->Written);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].uncompressed, 0u);
  EXPECT_EQ(Packets(frames[0].data)[0].second, noise);
}

TEST_F(NetFixture, CompressedWriteLargeKeepsTheSameStream) {
  for (size_t size : {size_t(kMax), size_t(kMax) + 1000}) {
    Incoming({});
    net.SetCompress(true);
    Bytes data = Pattern(size);
    net.NewCommand();
    net.WriteByte(3);
    net.WriteLarge(data.data(), 0, static_cast<int32_t>(data.size()));
    net.Send();
    auto frames = Frames(vio->Written);
    for (size_t i = 0; i < frames.size(); ++i) {
      EXPECT_EQ(frames[i].sequence, i);
      EXPECT_LE(frames[i].data.size(), size_t(kMax));
    }
    auto packets = Packets(Joined(frames));
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].second.size(), size_t(kMax));
    Bytes joined = packets[0].second;
    joined.insert(joined.end(), packets[1].second.begin(), packets[1].second.end());
    EXPECT_TRUE(joined == fake::Cat({{3}, data}));
    EXPECT_EQ(net.PacketNumber(), frames.size()) << "plain numbers follow the frames";
  }
}

// --- reading ---------------------------------------------------------------------------------

TEST_F(NetFixture, ReceivesPacketsInPiecesAndReadsTheirFields) {
  Bytes payload = fake::Cat({{0x01, 0x02, 0x03}, fake::LengthCoded(70000), fake::B("abc"), {0},
                             fake::B("tail")});
  Incoming(fake::Packet(0, payload), 3);
  net.NewCommand();
  net.Receive();
  EXPECT_EQ(net.Length(), static_cast<int32_t>(payload.size()));
  EXPECT_EQ(net.ReadByte(), 1);
  EXPECT_EQ(net.ReadUInt16(), 0x0302);
  EXPECT_EQ(net.ReadLengthCoded(), 70000);
  EXPECT_EQ(net.ReadString(), "abc");
  TBytes rest(10);
  EXPECT_EQ(net.ReadBytes(rest, 0, 10), 4);
  EXPECT_EQ(net.ReadString(), "");
  EXPECT_EQ(ErrorOf([&] { net.ReadByte(); }), CR_MALFORMED_PACKET);
  EXPECT_EQ(net.PacketNumber(), 1);
}

TEST_F(NetFixture, JoinsAFullPacketAndItsEmptyFollower) {
  Bytes data = Pattern(kMax);
  Incoming(fake::Cat({fake::Packet(1, data), fake::Packet(2, {}), fake::Packet(3, {7})}));
  net.NewCommand();
  net.WriteByte(1);
  net.Send();
  net.Receive();
  ASSERT_EQ(net.Length(), kMax);
  EXPECT_TRUE(Bytes(net.Buffer(), net.Buffer() + kMax) == data);
  net.Receive();
  EXPECT_EQ(net.Length(), 1);
}

TEST_F(NetFixture, JoinsAPacketRunWithATail) {
  Bytes data = Pattern(kMax + 5u);
  Bytes head(data.begin(), data.begin() + kMax), tail(data.begin() + kMax, data.end());
  Incoming(fake::Cat({fake::Packet(0, head), fake::Packet(1, tail)}));
  net.NewCommand();
  net.Receive();
  ASSERT_EQ(net.Length(), kMax + 5);
  EXPECT_TRUE(Bytes(net.Buffer(), net.Buffer() + net.Length()) == data);
}

TEST_F(NetFixture, ASequenceNumberOutOfOrderIsError1156) {
  Incoming(fake::Packet(2, {0}));
  net.NewCommand();
  net.WriteByte(1);
  net.Send();
  String message;
  EXPECT_EQ(ErrorOf([&] { net.Receive(); }, &message), ER_PACKETS_OUT_OF_ORDER);
  EXPECT_EQ(message, u"\r\nReceiveHeader: Net packets out of order: received[2], expected[1]");
}

TEST_F(NetFixture, AnErrorPacketRaisesTheServersError) {
  Incoming(fake::Packet(0, fake::Cat({{0xFF, 0x7A, 0x04}, fake::B("#42S02Table 'a.b' doesn't exist")})));
  net.NewCommand();
  String message;
  EXPECT_EQ(ErrorOf([&] { net.Receive(); }, &message), 1146);
  EXPECT_EQ(message, u"\r\n#42S02Table 'a.b' doesn't exist");
}

TEST_F(NetFixture, ShortStreamsAreALostConnection) {
  const Bytes cases[] = {
      {},                                             // closed before anything came
      {0x05, 0x00},                                   // closed inside the header
      fake::Cat({fake::Header(100, 0), Bytes(50)}),   // closed inside the payload
      fake::Cat({fake::Packet(0, Pattern(kMax))}),    // closed before the continuation
  };
  for (const auto& stream : cases) {
    Incoming(stream);
    net.NewCommand();
    String message;
    EXPECT_EQ(ErrorOf([&] { net.Receive(); }, &message), CR_LOST_CONNECTION) << stream.size();
    EXPECT_EQ(message, u"Lost connection to MySQL server during query\r\nconnection closed by the test");
  }
}

TEST_F(NetFixture, APacketRunPastMaxAllowedPacketIsRefusedBeforeItIsRead) {
  Incoming(fake::Cat({fake::Header(kMax, 0), Bytes(100000)}));
  net.SetMaxAllowedPacket(1 << 20);
  net.NewCommand();
  EXPECT_EQ(ErrorOf([&] { net.Receive(); }), CR_PACKET_TOO_LARGE);
  EXPECT_LE(vio->ReadPosition, size_t(TLxVio::ReadAheadSize)) << "the payload was never read";
}

TEST_F(NetFixture, ReceivesCompressedFramesThatSplitPackets) {
  Bytes stream = fake::Cat({fake::Packet(1, Pattern(3000)), fake::Packet(2, fake::B("second"))});
  Bytes first(stream.begin(), stream.begin() + 1000), second(stream.begin() + 1000, stream.end());
  Incoming(fake::Cat({fake::Frame(1, first, true), fake::Frame(2, second, false)}), 7);
  net.SetCompress(true);
  net.NewCommand();
  net.WriteByte(1);
  net.Send();
  net.Receive();
  EXPECT_TRUE(Bytes(net.Buffer(), net.Buffer() + net.Length()) == Pattern(3000));
  net.Receive();
  EXPECT_EQ(Bytes(net.Buffer(), net.Buffer() + net.Length()), fake::B("second"));
}

TEST_F(NetFixture, ReceivesACompressedFullPacketRun) {
  Bytes data = Pattern(kMax + 3u);
  Bytes stream = fake::Cat({fake::Packet(1, Bytes(data.begin(), data.begin() + kMax)),
                            fake::Packet(2, Bytes(data.begin() + kMax, data.end()))});
  // Frames carry at most 16 MB of inflated bytes each.
  Bytes a(stream.begin(), stream.begin() + kMax), b(stream.begin() + kMax, stream.end());
  Incoming(fake::Cat({fake::Frame(1, a, true), fake::Frame(2, b, true)}));
  net.SetCompress(true);
  net.NewCommand();
  net.WriteByte(1);
  net.Send();
  net.Receive();
  ASSERT_EQ(net.Length(), kMax + 3);
  EXPECT_TRUE(Bytes(net.Buffer(), net.Buffer() + net.Length()) == data);
}

// Rows, then the server's error when the statement is interrupted: the error packet arrives in
// the same frame as the last row's tail and ends in the next frame, which comes raw.
TEST_F(NetFixture, AnErrorPacketAfterCompressedRowsRaisesTheServersError) {
  Bytes error = fake::ErrPayload(1317, "70100", "Query execution was interrupted");
  Bytes stream = fake::Cat({fake::Packet(1, Pattern(5000)), fake::Packet(2, fake::B("short row")),
                            fake::Packet(3, error)});
  const size_t cut = stream.size() - 10;
  Bytes first(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut));
  Bytes second(stream.begin() + static_cast<std::ptrdiff_t>(cut), stream.end());
  Incoming(fake::Cat({fake::Frame(1, first, true), fake::Frame(2, second, false)}), 1000);
  net.SetCompress(true);
  net.NewCommand();
  net.WriteByte(3);
  net.Send();
  net.Receive();
  EXPECT_TRUE(Bytes(net.Buffer(), net.Buffer() + net.Length()) == Pattern(5000));
  net.Receive();
  EXPECT_EQ(Bytes(net.Buffer(), net.Buffer() + net.Length()), fake::B("short row"));
  String message;
  EXPECT_EQ(ErrorOf([&] { net.Receive(); }, &message), 1317);
  EXPECT_EQ(message, u"\r\n#70100Query execution was interrupted");
  EXPECT_EQ(vio->ReadPosition, vio->Incoming.size()) << "every frame was read, nothing more asked";
}

TEST_F(NetFixture, BrokenCompressedFrames) {
  struct Case {
    const char* name;
    Bytes stream;
    int32_t error;
    const char16_t* message;
  };
  Bytes packet = fake::Packet(1, Pattern(200));
  Bytes good = fake::Frame(1, packet, true);
  Bytes garbage = good;
  for (size_t i = 7; i < garbage.size(); ++i) garbage[i] ^= 0x5A;
  Bytes claimsMore = good;
  claimsMore[4] = static_cast<uint8_t>(claimsMore[4] + 1);  // U one larger than the data inflates to
  Bytes claimsLess = good;
  claimsLess[4] = static_cast<uint8_t>(claimsLess[4] - 1);
  const Case cases[] = {
      {"wrong sequence", fake::Frame(5, packet, false), 1156,
       u"\r\nReceiveCompHeader: Net packets out of order: received[5], expected[1]"},
      {"garbage", garbage, 1157, u""},
      {"inflates to less", claimsMore, 1157, u""},
      {"inflates to more", claimsLess, 1157, u""},
      {"cut frame", Bytes(good.begin(), good.end() - 3), 2013, nullptr},
      {"claims more than deflate can give", Cat({{10, 0, 0, 1, 0xFF, 0xFF, 0xFF}, Bytes(10)}), 1157,
       u""},
  };
  for (const auto& c : cases) {
    Incoming(c.stream);
    net.SetCompress(true);
    net.NewCommand();
    net.WriteByte(1);
    net.Send();
    String message;
    EXPECT_EQ(ErrorOf([&] { net.Receive(); }, &message), c.error) << c.name;
    if (c.message) {
      EXPECT_EQ(message, c.message) << c.name;
    }
  }
}

TEST_F(NetFixture, ReceiveBuffer) {
  Incoming(fake::Cat({fake::Packet(0, fake::B("row")),
                      fake::Packet(1, fake::ErrPayload(1317, "70100", "Query execution was interrupted"))}));
  net.NewCommand();
  TBytes row;
  net.ReceiveBuffer(row);
  EXPECT_EQ(row, fake::B("row"));
  String message;
  EXPECT_EQ(ErrorOf([&] { net.ReceiveBuffer(row); }, &message), 1317);
  EXPECT_EQ(message, u"\r\n#70100Query execution was interrupted");

  Incoming(fake::Cat({fake::Header(kMax, 0), Bytes(16)}));
  net.NewCommand();
  try {
    net.ReceiveBuffer(row);
    FAIL() << "no error";
  } catch (const ArgumentException& e) {
    EXPECT_EQ(e.Message(), u"Cannot retrieve huge data in FetchAll mode");
  }

  Incoming(fake::Packet(0, {}));
  net.NewCommand();
  EXPECT_THROW(net.ReceiveBuffer(row), EAssertionFailed);
}

TEST_F(NetFixture, SkipPacketReadsInPieces) {
  Incoming(fake::Cat({fake::Packet(0, Pattern(1000)), fake::Packet(1, {}),
                      fake::Packet(2, fake::ErrPayload(1064, "42000", "syntax"))}));
  net.NewCommand();
  TBytes scratch;
  EXPECT_EQ(net.SkipPacket(scratch, 64, true), 1000);
  EXPECT_EQ(scratch[0], Pattern(1000)[960]) << "the last piece replaces the first";
  EXPECT_EQ(net.SkipPacket(scratch, 64, true), 0);
  EXPECT_EQ(scratch[0], 0) << "an empty packet has no first byte";
  EXPECT_EQ(ErrorOf([&] { net.SkipPacket(scratch, 64, true); }), 1064);
  EXPECT_EQ(vio->ReadPosition, vio->Incoming.size());
}

TEST_F(NetFixture, CloseDropsTheTransport) {
  Incoming({});
  net.Close();
  EXPECT_EQ(net.Vio(), nullptr);
  uint8_t b = 0;
  EXPECT_EQ(ErrorOf([&] { net.WriteExact(&b, 0, 1); }), CR_LOST_CONNECTION);
}

}  // namespace
