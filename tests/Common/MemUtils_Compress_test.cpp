#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>
#include <random>
#include <typeinfo>

#include "Common/MemUtils.h"
#include "platform/rtl/UnicodeText.h"

namespace {

TBytes Repetitive(size_t size) {
  TBytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>("donation;"[i % 9]);
  return bytes;
}

TBytes Random(size_t size) {
  std::mt19937 generator(42);
  TBytes bytes(size);
  for (auto& b : bytes) b = static_cast<uint8_t>(generator());
  return bytes;
}

TBytes Compressed(const TBytes& plain) {
  TBytes out(plain.size() + plain.size() / 5 + 64);
  uint32_t size = static_cast<uint32_t>(out.size());
  EXPECT_EQ(DoCompress(out.data(), size, plain.data(), static_cast<uint32_t>(plain.size())), Z_OK);
  out.resize(size);
  return out;
}

// A heap block of exactly the given size, so that AddressSanitizer sees any write past it.
std::unique_ptr<uint8_t[]> ExactBlock(size_t size) { return std::make_unique<uint8_t[]>(size); }

template <class E, class F>
void ExpectError(F&& f, const char16_t* message) {
  try {
    f();
    ADD_FAILURE() << "no error";
  } catch (const E& e) {
    EXPECT_EQ(typeid(e), typeid(E));
    EXPECT_EQ(e.Message(), message) << e.what();
  }
}

TEST(CompressorHooks, InstalledAtStartWithTheZlibProcedures) {
  EXPECT_EQ(CompressProc, &ZCompress);
  EXPECT_EQ(UncompressProc, &ZUncompress);
  EXPECT_NO_THROW(CheckCompressorLinked());
}

TEST(CompressorHooks, RoundTripsThroughTheHooks) {
  for (const TBytes& plain : {Repetitive(100000), Random(5000), Repetitive(1), TBytes()}) {
    TBytes packed = Compressed(plain);
    auto out = ExactBlock(plain.size() + 1);
    uint32_t size = static_cast<uint32_t>(plain.size());
    EXPECT_EQ(DoUncompress(out.get(), size, packed.data(), static_cast<uint32_t>(packed.size())),
              Z_OK);
    ASSERT_EQ(size, plain.size());
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), out.get()));
  }
  EXPECT_LT(Compressed(Repetitive(100000)).size(), 1000u);
}

TEST(CompressorHooks, WritesTheZlibStreamOfTheDefaultLevel) {
  const TBytes plain = Repetitive(20000);
  TBytes expected(compressBound(plain.size()));
  uLongf expectedSize = expected.size();
  ASSERT_EQ(compress(expected.data(), &expectedSize, plain.data(), plain.size()), Z_OK);
  expected.resize(expectedSize);
  EXPECT_EQ(Compressed(plain), expected);
}

TEST(CompressorHooks, TooSmallDestinationForCompress) {
  const TBytes plain = Random(1000);
  for (uint32_t room : {500u, 1u, 0u}) {
    auto out = ExactBlock(room);
    uint32_t size = room;
    ExpectError<EZlibError>(
        [&] { ZCompress(out.get(), size, plain.data(), static_cast<uint32_t>(plain.size())); },
        u"ZLib error: target buffer may be too small");
  }
  uint32_t size = 0;
  ExpectError<EZlibError>([&] { ZCompress(nullptr, size, plain.data(), 10); },
                          u"ZLib error: target buffer may be too small");
}

TEST(CompressorHooks, TooSmallDestinationForUncompress) {
  const TBytes plain = Repetitive(1000);
  const TBytes packed = Compressed(plain);
  for (uint32_t room : {999u, 10u, 0u}) {
    auto out = ExactBlock(room);
    uint32_t size = room;
    ExpectError<EZlibError>(
        [&] { ZUncompress(out.get(), size, packed.data(), static_cast<uint32_t>(packed.size())); },
        u"ZLib error: target buffer may be too small");
  }
  // Exactly enough room is enough.
  auto out = ExactBlock(1000);
  uint32_t size = 1000;
  ZUncompress(out.get(), size, packed.data(), static_cast<uint32_t>(packed.size()));
  EXPECT_EQ(size, 1000u);
}

TEST(CompressorHooks, CorruptInputRaisesTheDecompressionError) {
  const TBytes packed = Compressed(Repetitive(1000));
  TBytes badHeader = packed;
  badHeader[0] = 0x00;
  TBytes badChecksum = packed;
  badChecksum.back() ^= 0xFF;
  TBytes truncated(packed.begin(), packed.end() - 6);
  const TBytes garbage = Random(300);
  struct Case {
    const char* name;
    const TBytes& input;
  } cases[] = {{"bad header", badHeader},
               {"bad checksum", badChecksum},
               {"truncated", truncated},
               {"garbage", garbage}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto out = ExactBlock(2000);
    uint32_t size = 2000;
    ExpectError<EDecompressionError>(
        [&] {
          ZUncompress(out.get(), size, c.input.data(), static_cast<uint32_t>(c.input.size()));
        },
        u"Error");
  }
}

// Takes the hooks out for one test and puts them back whatever happens.
class MissingHooks : public ::testing::Test {
 protected:
  void TearDown() override {
    CompressProc = FSavedCompress;
    UncompressProc = FSavedUncompress;
  }
  TCompressProc FSavedCompress = CompressProc;
  TUncompressProc FSavedUncompress = UncompressProc;
};

TEST_F(MissingHooks, CheckRaisesAndCallsAssert) {
  uint8_t buffer[16];
  uint32_t size = sizeof buffer;
  CompressProc = nullptr;
  ExpectError<Exception>([] { CheckCompressorLinked(); }, u"Compressor function is not linked");
  try {
    DoCompress(buffer, size, "abc", 3);
    ADD_FAILURE() << "no assertion";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(
        e.Message().rfind(u"Compressor function is not linked (MemUtils_Compress.cpp, line ", 0),
        0u)
        << e.what();
  }

  CompressProc = FSavedCompress;
  UncompressProc = nullptr;
  ExpectError<Exception>([] { CheckCompressorLinked(); }, u"Uncompressor function is not linked");
  EXPECT_THROW(DoUncompress(buffer, size, "abc", 3), EAssertionFailed);
}

int FakeCompressCalls = 0;

int FakeCompress(void* destination, uint32_t& destinationSize, const void*, uint32_t sourceSize) {
  ++FakeCompressCalls;
  static_cast<uint8_t*>(destination)[0] = 0x5A;
  destinationSize = sourceSize / 2;
  return Z_OK;
}

TEST_F(MissingHooks, AReplacedHookIsTheOneCalled) {
  CompressProc = FakeCompress;
  uint8_t buffer[4] = {};
  uint32_t size = sizeof buffer;
  EXPECT_EQ(DoCompress(buffer, size, "abcdef", 6), Z_OK);
  EXPECT_EQ(FakeCompressCalls, 1);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(buffer[0], 0x5A);
}

TEST(ZlibErrors, StatusChecks) {
  EXPECT_EQ(CCheck(Z_OK), Z_OK);
  EXPECT_EQ(DCheck(Z_STREAM_END), Z_STREAM_END);
  ExpectError<ECompressionError>([] { CCheck(Z_MEM_ERROR); }, u"Error");
  ExpectError<EDecompressionError>([] { DCheck(Z_DATA_ERROR); }, u"Error");
  EXPECT_THROW(DCheck(Z_DATA_ERROR), EZlibError);  // both derive from the zlib error
}

}  // namespace
