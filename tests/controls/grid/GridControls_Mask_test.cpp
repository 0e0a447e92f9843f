// The focus glow's alpha mask and its blur, the blur checked against a plain one that blurs every
// line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "controls/grid/GridControls.h"
#include "platform/gdi/Canvas.h"

namespace {

std::unique_ptr<TBitmap> Bitmap24(int w, int h) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(w, h);
  return bmp;
}

void SetPixel24(TBitmap* bmp, int x, int y, uint8_t b, uint8_t g, uint8_t r) {
  auto* p = static_cast<uint8_t*>(bmp->ScanLine(y)) + x * 3;
  p[0] = b;
  p[1] = g;
  p[2] = r;
}

std::vector<uint8_t> Pixels(TBitmap* bmp, int bytesPerPixel) {
  std::vector<uint8_t> all;
  for (int y = 0; y < bmp->Height(); ++y) {
    auto* row = static_cast<uint8_t*>(bmp->ScanLine(y));
    all.insert(all.end(), row, row + bmp->Width() * bytesPerPixel);
  }
  return all;
}

// The blur written plainly: the same kernel, every row and every column blurred.
std::vector<uint8_t> PlainBlur(std::vector<uint8_t> px, int w, int h, double radius) {
  double wk[21], sum = 0;
  for (int k = -10; k <= 10; ++k) sum += wk[k + 10] = std::exp(-(k / radius) * (k / radius) / 2);
  for (double& v : wk) v /= sum;
  int n = 10;
  double tails = 0;
  while (tails < 1.0 / 510 && n > 1) tails += 2 * wk[10 + n--];
  sum = 0;
  for (int k = -n; k <= n; ++k) sum += wk[k + 10];
  auto blur = [&](auto get, auto set, int len) {
    std::vector<double> out(static_cast<size_t>(len) * 3);
    for (int i = 0; i < len; ++i)
      for (int c = 0; c < 3; ++c) {
        double s = 0;
        for (int k = -n; k <= n; ++k) s += wk[k + 10] / sum * get(std::clamp(i - k, 0, len - 1), c);
        out[static_cast<size_t>(i) * 3 + c] = std::clamp(s + 1e-9, 0.0, 255.0);
      }
    for (int i = 0; i < len; ++i)
      for (int c = 0; c < 3; ++c)
        set(i, c, static_cast<uint8_t>(out[static_cast<size_t>(i) * 3 + c]));
  };
  auto at = [&](int x, int y, int c) -> uint8_t& {
    return px[(static_cast<size_t>(y) * w + x) * 3 + c];
  };
  for (int y = 0; y < h; ++y)
    blur([&](int i, int c) { return at(i, y, c); },
         [&](int i, int c, uint8_t v) { at(i, y, c) = v; }, w);
  for (int x = 0; x < w; ++x)
    blur([&](int i, int c) { return at(x, i, c); },
         [&](int i, int c, uint8_t v) { at(x, i, c) = v; }, h);
  return px;
}

TEST(GaussianBlur, MatchesThePlainBlurOnAnyPicture) {
  struct Case {
    const char* Name;
    int W, H;
    double Radius;
    bool Ring;
  } cases[] = {
      {"ring 100 x 30", 100, 30, 3.0, true},
      {"ring 70 x 60", 70, 60, 3.0, true},
      {"noise 64 x 48", 64, 48, 3.0, false},
      {"noise, wide kernel", 50, 45, 7.5, false},
      {"noise, narrow kernel", 40, 44, 0.6, false},
  };
  for (const Case& c : cases) {
    auto bmp = Bitmap24(c.W, c.H);
    if (c.Ring) {
      MakeBlurredRoundRect(bmp.get(), c.W, c.H, 4, 5, 0);
    } else {
      // Inner rows that look alike but are not: a band copy there would be wrong.
      uint32_t seed = 7;
      for (int y = 0; y < c.H; ++y)
        for (int x = 0; x < c.W; ++x) {
          seed = seed * 1103515245u + 12345u;
          bool spot = (seed >> 16) % 97 == 0;
          uint8_t v = spot ? 255 : static_cast<uint8_t>(x * 3);
          SetPixel24(bmp.get(), x, y, v, static_cast<uint8_t>(y * 4), 40);
        }
    }
    std::vector<uint8_t> expected = PlainBlur(Pixels(bmp.get(), 3), c.W, c.H, c.Radius);
    GaussianBlur(bmp.get(), c.Radius);
    EXPECT_TRUE(Pixels(bmp.get(), 3) == expected) << c.Name;
  }
}

TEST(GaussianBlur, PlainColoursStayAndOtherFormatsAreRefused) {
  for (uint8_t v : {uint8_t(0), uint8_t(255)}) {
    auto bmp = Bitmap24(30, 30);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x) SetPixel24(bmp.get(), x, y, v, v, v);
    GaussianBlur(bmp.get(), 3.0);
    for (uint8_t p : Pixels(bmp.get(), 3)) ASSERT_EQ(p, v) << "a sum of 255 stays 255";
  }
  TBitmap bmp32(10, 10);
  bmp32.SetPixelFormat(pf32bit);
  try {
    GaussianBlur(&bmp32, 3.0);
    ADD_FAILURE() << "a 32-bit bitmap was blurred";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), u"Blur only works for 24-bit bitmaps");
  }
}

TEST(GaussianBlur, TheGlowRingIsSoftAndSymmetric) {
  auto bmp = Bitmap24(1, 1);
  MakeBlurredRoundRect(bmp.get(), 59, 29, kGlowPenWidth, kGlowCorner, kGlowRadius);
  ASSERT_EQ(bmp->Width(), 59);
  auto red = [&](int x, int y) {
    return static_cast<int>(static_cast<uint8_t*>(bmp->ScanLine(y))[x * 3 + 2]);
  };
  EXPECT_LT(red(0, 0), 40) << "the corner outside the ring stays dark";
  EXPECT_GT(red(29, 4), 100) << "the ring itself is bright";
  EXPECT_LT(red(29, 14), red(29, 4) / 2) << "the inside is darker than the ring";
  EXPECT_GT(red(29, 1), 0) << "the edge is soft";
  EXPECT_LT(red(29, 1), red(29, 4));
}

TEST(AlphaMask, PremultipliedFromAMaskAndAnImage) {
  auto image = Bitmap24(3, 2);
  auto mask = Bitmap24(2, 2);  // smaller than the image
  SetPixel24(image.get(), 0, 0, 200, 100, 50);
  SetPixel24(image.get(), 1, 0, 255, 255, 255);
  SetPixel24(image.get(), 2, 0, 255, 255, 255);
  SetPixel24(mask.get(), 0, 0, 0, 0, 128);  // alpha is the mask's red
  SetPixel24(mask.get(), 1, 0, 255, 255, 0);
  TGridAlphaMask alpha;
  EXPECT_EQ(alpha.Opacity(), 255);
  alpha.LoadFromBitmaps(mask.get(), image.get());
  ASSERT_EQ(alpha.Width(), 3);
  ASSERT_EQ(alpha.PixelFormat(), pf32bit);
  auto* row = static_cast<uint8_t*>(alpha.ScanLine(0));
  // 200 * 128 / 255 = 100.39, 100 * 128 / 255 = 50.2, 50 * 128 / 255 = 25.1
  EXPECT_EQ((std::vector<int>{row[0], row[1], row[2], row[3]}),
            (std::vector<int>{100, 50, 25, 128}));
  EXPECT_EQ((std::vector<int>{row[4], row[5], row[6], row[7]}), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(row[11], 0) << "outside the smaller mask";

  TGridAlphaMask copy;
  alpha.SetOpacity(230);
  copy.Assign(&alpha);
  EXPECT_EQ(copy.Opacity(), 230);
  EXPECT_EQ(Pixels(&copy, 4), Pixels(&alpha, 4));

  TGridAlphaMask untouched;
  TBitmap notTrueColour(4, 4);
  notTrueColour.SetPixelFormat(pf32bit);
  untouched.LoadFromBitmaps(mask.get(), &notTrueColour);
  EXPECT_EQ(untouched.Width(), 0) << "only a 24-bit image is taken";
}

}  // namespace
