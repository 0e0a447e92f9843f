#include "platform/gdi/ImageCodecs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "platform/gdi/Graphics.h"
#include "platform/rtl/UnicodeText.h"

namespace {

std::string FixturePath(const std::string& name) {
  std::string here = __FILE__;
  return here.substr(0, here.find_last_of('/')) + "/fixtures/" + name;
}

TBytes ReadFixture(const std::string& name) {
  std::ifstream file(FixturePath(name), std::ios::binary);
  EXPECT_TRUE(file) << name;
  return TBytes(std::istreambuf_iterator<char>(file), {});
}

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF, kGreen = 0xFF00FF00;
constexpr uint32_t kBlack = 0xFF000000;

struct TFixture {
  const char* Name;
  TImageFormat Format;
  bool ClearCorner;  // the 4 x 4 block at (20, 0) is transparent
};

const TFixture kPatternFixtures[] = {
    {"pattern24.bmp", TImageFormat::Bmp, false},
    {"pattern32.bmp", TImageFormat::Bmp, false},
    {"pattern8_topdown.bmp", TImageFormat::Bmp, false},
    {"pattern4.bmp", TImageFormat::Bmp, false},
    {"pattern16_565.bmp", TImageFormat::Bmp, false},
    {"pattern_rgba.png", TImageFormat::Png, true},
    {"pattern_indexed.png", TImageFormat::Png, true},
    {"pattern.gif", TImageFormat::Gif, true},
    {"pattern_interlaced.gif", TImageFormat::Gif, true},
    {"png_inside.ico", TImageFormat::Ico, true},
};

TEST(ImageCodecs, EveryFormatDecodesThePatternExactly) {
  for (const TFixture& f : kPatternFixtures) {
    TBytes bytes = ReadFixture(f.Name);
    TRasterImage image;
    TImageFormat format;
    ASSERT_TRUE(DecodeImageFile(bytes.data(), bytes.size(), image, &format)) << f.Name;
    EXPECT_EQ(format, f.Format) << f.Name;
    ASSERT_EQ(image.Width, 24) << f.Name;
    ASSERT_EQ(image.Height, 16) << f.Name;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 24; ++x) {
        uint32_t expected = (x == 0 && y == 0) ? kGreen : y >= 12 ? kWhite : x < 12 ? kRed : kBlue;
        if (f.ClearCorner && x >= 20 && y < 4) {
          ASSERT_EQ(image.At(x, y) >> 24, 0u) << f.Name << " at " << x << "," << y;
        } else {
          ASSERT_EQ(image.At(x, y), expected) << f.Name << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(ImageCodecs, OneBitBmpAndJpegFixtures) {
  TBytes mono = ReadFixture("pattern1.bmp");
  TRasterImage image;
  int bits = 0;
  ASSERT_TRUE(DecodeBmpFile(mono.data(), mono.size(), image, &bits));
  EXPECT_EQ(bits, 1);
  EXPECT_EQ(image.At(5, 5), kBlack);
  EXPECT_EQ(image.At(5, 13), kWhite);

  // JPEG is lossy: colours near the pattern's, away from the edges between areas.
  auto near = [](uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16}) {
      if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 40) return false;
    }
    return true;
  };
  for (const char* name : {"pattern.jpg", "pattern_progressive.jpg"}) {
    TBytes bytes = ReadFixture(name);
    ASSERT_TRUE(DecodeJpegFile(bytes.data(), bytes.size(), image)) << name;
    EXPECT_EQ(image.Width, 24);
    EXPECT_EQ(image.Height, 16);
    EXPECT_TRUE(near(image.At(5, 5), kRed)) << name << std::hex << image.At(5, 5);
    EXPECT_TRUE(near(image.At(18, 5), kBlue)) << name;
    EXPECT_TRUE(near(image.At(10, 14), kWhite)) << name;
    EXPECT_EQ(image.At(5, 5) >> 24, 0xFFu);
  }
  TBytes grey = ReadFixture("pattern_gray.jpg");
  ASSERT_TRUE(DecodeJpegFile(grey.data(), grey.size(), image));
  uint32_t p = image.At(5, 5);
  EXPECT_EQ((p >> 16) & 0xFF, p & 0xFF);
  EXPECT_NEAR(static_cast<int>(p & 0xFF), 76, 12);  // red's luminance
}

TEST(ImageCodecs, IconsPickTheirImageAndApplyTheMask) {
  TBytes bytes = ReadFixture("icons.ico");
  TRasterImage image;
  ASSERT_TRUE(DecodeIcoFile(bytes.data(), bytes.size(), image));  // the largest: 32 x 32, 4 bits
  EXPECT_EQ(image.Width, 32);
  EXPECT_EQ(image.At(5, 20), kRed);
  EXPECT_EQ(image.At(20, 20), kBlue);
  EXPECT_EQ(image.At(28, 2) >> 24, 0u);  // cleared by the AND mask
  EXPECT_EQ(image.At(20, 2), kBlue);
  ASSERT_TRUE(DecodeIcoFile(bytes.data(), bytes.size(), image, 16));
  EXPECT_EQ(image.Width, 16);
  EXPECT_EQ(image.At(0, 0), kGreen);
  EXPECT_EQ(image.At(13, 1) >> 24, 0u);  // its own alpha
  EXPECT_EQ(image.At(5, 5), kRed);
}

TEST(ImageCodecs, GifFramesComposeByTheirDisposal) {
  TBytes bytes = ReadFixture("animation.gif");
  TRasterImage image;
  int frames = 0;
  ASSERT_TRUE(DecodeGifFile(bytes.data(), bytes.size(), 1, image, &frames));
  EXPECT_EQ(frames, 3);
  const uint32_t orange = 0xFFC86400;
  EXPECT_EQ(image.At(4, 4), orange);
  EXPECT_EQ(image.At(11, 11), orange);
  EXPECT_EQ(image.At(12, 4), kBlue);
  ASSERT_TRUE(DecodeGifFile(bytes.data(), bytes.size(), 2, image));
  EXPECT_EQ(image.At(4, 4) >> 24, 0u);  // frame 1 asked for its area to be cleared
  EXPECT_EQ(image.At(16, 8), kGreen);
  EXPECT_EQ(image.At(2, 2), kRed);
  EXPECT_FALSE(DecodeGifFile(bytes.data(), bytes.size(), 3, image));
}

TEST(ImageCodecs, WritersRoundTrip) {
  TRasterImage image;
  image.Resize(13, 7);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 13; ++x) image.At(x, y) = 0xFF000000u | (x * 19 << 16) | (y * 36 << 8) | 0x40;
  }
  image.At(12, 0) = 0;  // one clear pixel
  TRasterImage back;
  TBytes bmp = EncodeBmpFile(image, 32);
  ASSERT_TRUE(DecodeBmpFile(bmp.data(), bmp.size(), back));
  EXPECT_EQ(back.Argb, image.Argb);
  TBytes png = EncodePngFile(image);
  ASSERT_TRUE(DecodePngFile(png.data(), png.size(), back));
  EXPECT_EQ(back.Argb, image.Argb);
  TBytes ico = EncodeIcoFile({image});
  ASSERT_TRUE(DecodeIcoFile(ico.data(), ico.size(), back));
  EXPECT_EQ(back.Argb, image.Argb);
  TBytes gif = EncodeGifFile(image);
  ASSERT_TRUE(DecodeGifFile(gif.data(), gif.size(), 0, back));
  EXPECT_EQ(back.Argb, image.Argb);
  TBytes bmp24 = EncodeBmpFile(image, 24);
  ASSERT_TRUE(DecodeBmpFile(bmp24.data(), bmp24.size(), back));
  EXPECT_EQ(back.At(3, 3), image.At(3, 3));
  EXPECT_EQ(back.At(12, 0), 0xFF000000u);  // no alpha in 24 bits
  TBytes jpeg = EncodeJpegFile(image, 95, false);
  ASSERT_TRUE(DecodeJpegFile(jpeg.data(), jpeg.size(), back));
  EXPECT_EQ(back.Width, 13);
  EXPECT_EQ(back.Height, 7);
}

// Every fixture cut short, and a few hundred with bytes changed, inserted or removed, or a size
// field made huge: no crash, no hang; a cut or a huge size is refused, and anything accepted is a
// picture of sane size. Through the picture classes the refusal is EInvalidGraphic.
TEST(ImageCodecs, TruncatedAndCorruptFilesAreRefusedSafely) {
  const char* names[] = {"pattern24.bmp", "pattern32.bmp", "pattern8_topdown.bmp", "pattern4.bmp",
                         "pattern1.bmp", "pattern16_565.bmp", "icons.ico", "png_inside.ico",
                         "pattern_rgba.png", "pattern_indexed.png", "pattern.gif", "pattern_interlaced.gif",
                         "animation.gif", "pattern.jpg", "pattern_progressive.jpg", "pattern_gray.jpg"};
  std::mt19937 random(20240611);
  int mutated = 0, accepted = 0;
  auto tryLoad = [&](const TBytes& bytes, const std::string& what) {
    TRasterImage image;
    bool ok = DecodeImageFile(bytes.data(), bytes.size(), image);
    if (ok) {
      EXPECT_TRUE(ImageSizeAcceptable(image.Width, image.Height)) << what;
      EXPECT_EQ(image.Argb.size(), static_cast<size_t>(image.Width) * image.Height) << what;
    }
    TBytesStream stream(bytes);
    TPicture picture;
    try {
      picture.LoadFromStream(&stream);
      EXPECT_TRUE(ok) << "the picture accepted what the reader refused: " << what;
    } catch (const EInvalidGraphic&) {
      EXPECT_FALSE(ok) << "the picture refused what the reader accepted: " << what;
    }
    return ok;
  };
  for (const char* name : names) {
    TBytes original = ReadFixture(name);
    ASSERT_TRUE(tryLoad(original, name)) << name;
    size_t step = std::max<size_t>(1, original.size() / 60);
    for (size_t cut = 0; cut < original.size(); cut += step) {
      TBytes shortened(original.begin(), original.begin() + cut);
      EXPECT_FALSE(tryLoad(shortened, std::string(name) + " cut at " + std::to_string(cut)));
    }
    for (int round = 0; round < 30; ++round) {
      TBytes bytes = original;
      std::uniform_int_distribution<size_t> at(0, bytes.size() - 1);
      int kind = round % 4;
      if (kind == 0) {
        for (int k = 0; k < 1 + round % 5; ++k) bytes[at(random)] = static_cast<uint8_t>(random());
      } else if (kind == 1) {
        bytes.insert(bytes.begin() + at(random), static_cast<uint8_t>(random()));
      } else if (kind == 2) {
        bytes.erase(bytes.begin() + at(random));
      } else {
        // A header field set to all ones: sizes, counts and offsets near the start.
        size_t field = at(random) % std::min<size_t>(bytes.size(), 64);
        for (size_t k = field; k < std::min(bytes.size(), field + 4); ++k) bytes[k] = 0xFF;
      }
      ++mutated;
      accepted += tryLoad(bytes, std::string(name) + " mutation " + std::to_string(round));
    }
  }
  EXPECT_GE(mutated, 400);
  EXPECT_LT(accepted, mutated);  // the corruption is seen
}

TEST(ImageCodecs, ClaimedSizesBeyondTheLimitAreRefusedBeforeDecoding) {
  TBytes png = ReadFixture("pattern_rgba.png");
  png[16] = 0x7F;  // width 0x7F000018
  TRasterImage image;
  EXPECT_FALSE(DecodePngFile(png.data(), png.size(), image));
  TBytes gif = ReadFixture("pattern.gif");
  gif[6] = gif[7] = gif[8] = gif[9] = 0xFF;  // a 65535 x 65535 screen
  EXPECT_FALSE(DecodeGifFile(gif.data(), gif.size(), 0, image));
  TBytes bmp = ReadFixture("pattern24.bmp");
  bmp[18 + 3] = 0x10;  // width 0x10000018
  EXPECT_FALSE(DecodeBmpFile(bmp.data(), bmp.size(), image));
  TBytes jpeg = ReadFixture("pattern.jpg");
  // The frame header's height and width (after FF C0, length and precision).
  for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = jpeg[i + 6] = jpeg[i + 7] = jpeg[i + 8] = 0xFF;
      break;
    }
  }
  EXPECT_FALSE(DecodeJpegFile(jpeg.data(), jpeg.size(), image));
}

}  // namespace
