#include <gtest/gtest.h>

#include <random>
#include <string>

#include "controls/graphics/AdvGDIP.h"
#include "tests/controls/graphics/GraphicsTestSupport.h"

namespace {

using gdiptest::ReadFixture;

TImageHeaderSize Read(const TBytes& bytes, const String& extension) {
  return ReadImageHeaderSize(bytes.data(), bytes.size(), extension);
}

TBytes Png(uint32_t width, uint32_t height) {
  TBytes png = ReadFixture("pattern_rgba.png");
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
    png[20 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
  }
  return png;
}

// Headers that promise too much or would lead the scan astray give 0 x 0.
TEST(ImageHeaderSize, OutsideBytesThatDoNotAddUpGiveNothing) {
  struct {
    const char* Name;
    TBytes Bytes;
    const char16_t* Extension;
    int Width, Height;
  } cases[] = {
      {"png full 32-bit width", Png(0x00010018, 16), u"png", 0, 0},
      {"png side 32768", Png(32768, 2), u"png", 32768, 2},
      {"png side 32769", Png(2, 32769), u"png", 0, 0},
      {"png bad signature", TBytes(30, 0), u"png", 0, 0},
      {"jpeg segment length 0", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x00, 0xFF, 0xC0}, u"jpg", 0, 0},
      {"jpeg segment length 1", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01, 0xFF, 0xC0}, u"jpg", 0, 0},
      {"jpeg fill bytes and stand-alone markers",
       {0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xD0, 0xFF, 0x01, 0xFF, 0xC1, 0, 11, 8, 0, 7, 0, 9},
       u"jpeg",
       9,
       7},
      {"jpeg frame cut short", {0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8, 0, 7, 0}, u"jpg", 0, 0},
      {"jpeg segment past the end", {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xF0, 0xFF, 0xC0}, u"jpg", 0, 0},
      {"jpeg not a marker", {0xFF, 0xD8, 0x00, 0xC0}, u"jpg", 0, 0},
      {"bmp too short", {'B', 'M', 0, 0}, u"bmp", 0, 0},
      {"tiff directory past the end", {'I', 'I', 42, 0, 0xF0, 0, 0, 0}, u"tif", 0, 0},
      {"tiff entry count past the end", {'M', 'M', 0, 42, 0, 0, 0, 8, 0x10, 0}, u"tif", 0, 0},
      {"tiff wrong magic", {'I', 'I', 43, 0, 8, 0, 0, 0, 0, 0}, u"tif", 0, 0},
      {"gif without separator",
       {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x21},
       u"gif",
       0,
       0},
      {"gif colour table past the end",
       {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x87, 0, 0},
       u"gif",
       0,
       0},
      {"unknown extension", ReadFixture("pattern24.bmp"), u"dib", 0, 0},
      {"no bytes", {}, u"png", 0, 0},
  };
  for (const auto& c : cases) {
    TImageHeaderSize size = Read(c.Bytes, c.Extension);
    EXPECT_EQ(size.Width, c.Width) << c.Name;
    EXPECT_EQ(size.Height, c.Height) << c.Name;
  }
  EXPECT_EQ(ReadImageHeaderSize(nullptr, 100, u"png").Width, 0);
}

// Every fixture cut short at many places, and a few hundred with bytes changed, inserted, removed
// or set to all ones, through the reader of every extension: no crash, no endless scan, no read
// out of bounds (AddressSanitizer watches), and any answer a size decoding would accept.
TEST(ImageHeaderSize, TruncatedAndMutatedFilesAreReadSafely) {
  const char* names[] = {
      "pattern24.bmp", "pattern8_topdown.bmp", "pattern_rgba.png",        "pattern.gif",
      "animation.gif", "pattern.jpg",          "pattern_progressive.jpg", "pattern_gray.jpg"};
  const char16_t* extensions[] = {u"jpg", u"png", u"bmp", u"tif", u"gif"};
  std::mt19937 random(20240612);
  auto tryAll = [&](const TBytes& bytes) {
    // A copy of exactly the bytes, so a read past them is a read past an allocation.
    for (const char16_t* ext : extensions) {
      std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() + 1]);
      std::copy(bytes.begin(), bytes.end(), exact.get());
      TImageHeaderSize size = ReadImageHeaderSize(exact.get(), bytes.size(), ext);
      EXPECT_LE(size.Width, 32768);
      EXPECT_LE(size.Height, 32768);
    }
  };
  for (const char* name : names) {
    TBytes original = ReadFixture(name);
    ASSERT_FALSE(original.empty()) << name;
    for (size_t cut = 0; cut < original.size(); cut += std::max<size_t>(1, original.size() / 40)) {
      tryAll(TBytes(original.begin(), original.begin() + cut));
    }
    for (int round = 0; round < 40; ++round) {
      TBytes bytes = original;
      std::uniform_int_distribution<size_t> at(0, bytes.size() - 1);
      switch (round % 4) {
        case 0:
          for (int k = 0; k < 1 + round % 5; ++k)
            bytes[at(random)] = static_cast<uint8_t>(random());
          break;
        case 1: bytes.insert(bytes.begin() + at(random), static_cast<uint8_t>(random())); break;
        case 2: bytes.erase(bytes.begin() + at(random)); break;
        default: {
          size_t field = at(random) % std::min<size_t>(bytes.size(), 64);
          for (size_t k = field; k < std::min(bytes.size(), field + 4); ++k) bytes[k] = 0xFF;
        }
      }
      tryAll(bytes);
    }
  }
  // A JPEG of nothing but fill bytes, and a TIFF whose directory is its own header.
  TBytes fill(4096, 0xFF);
  fill[1] = 0xD8;
  tryAll(fill);
  tryAll({'I', 'I', 42, 0, 0, 0, 0, 0});
}

}  // namespace
