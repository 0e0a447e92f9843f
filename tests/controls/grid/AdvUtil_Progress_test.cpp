#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "controls/grid/AdvUtil.h"
#include "tests/controls/grid/DrawTestSupport.h"

namespace {

using namespace AdvUtil;
using drawtest::TRecordingCanvas;

// --- The classic bar ------------------------------------------------------------------------

constexpr TColor kBar = 0x00A05000, kBarText = 0x00FFFFFE, kBack = 0x00F0F0F0,
                 kBackText = 0x00000010, kBorder = 0x00808081;

struct TBarCall {
  TRect Filled, Rest;
  String Text;
};

// Draws the bar in (10, 10)-(110, 30) with margins 0 and reads back its two text runs.
TBarCall DrawBar(TRecordingCanvas& rc, double value, double minimum, double maximum,
                 const String& format) {
  DrawProgress(&rc.Canvas, {10, 10, 110, 30}, kBar, kBarText, kBack, kBackText, value, 0, 0,
               minimum, maximum, format, kBorder, false);
  auto runs = rc.Named("ExtTextOut");
  EXPECT_EQ(runs.size(), 2u) << rc.Log.Dump();
  if (runs.size() != 2) return {};
  auto rectOf = [](const TDrawingCall& c) {
    return TRect{c.Args[2], c.Args[3], c.Args[4], c.Args[5]};
  };
  EXPECT_EQ(runs[0].Text, runs[1].Text);
  EXPECT_EQ(runs[0].BrushColor, static_cast<COLORREF>(kBar));
  EXPECT_EQ(runs[0].TextColor, static_cast<COLORREF>(kBarText));
  EXPECT_EQ(runs[1].BrushColor, static_cast<COLORREF>(kBack));
  EXPECT_EQ(runs[1].TextColor, static_cast<COLORREF>(kBackText));
  return {rectOf(runs[0]), rectOf(runs[1]), runs[0].Text};
}

TEST(DrawProgress, TheShareAndTheTextForFormatsAndBounds) {
  struct Case {
    const char* name;
    double value, minimum, maximum;
    const char16_t* format;
    int split;  // where the filled part ends
    const char16_t* text;
  } cases[] = {
      {"a percentage", 42.4, 0, 0, u"", 52, u"42%"},
      {"beyond 100 fills the bar", 150, 0, 0, u"", 110, u"150%"},
      {"below 0 leaves it empty", -5, 0, 0, u"", 10, u"-5%"},
      {"an integer format", 100, 0, 200, u"%d", 60, u"100"},
      {"an integer format rounds", 99.6, 0, 200, u"%d шт.", 60, u"100 шт."},
      {"a real format", 12.5, 10, 20, u"%.2f", 35, u"12.50"},
      {"equal bounds leave the bar empty", 7, 5, 5, u"%d", 10, u"7"},
      {"a format for text shows the share", 30, 0, 60, u"%s", 60, u"50%"},
      {"a format with two values shows the share", 30, 0, 60, u"%d of %d", 60, u"50%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TRecordingCanvas rc;
    TBarCall bar = DrawBar(rc, c.value, c.minimum, c.maximum, c.format);
    EXPECT_EQ(bar.Text, String(c.text));
    EXPECT_EQ(bar.Filled, (TRect{10, 10, c.split, 30}));
    EXPECT_EQ(bar.Rest, (TRect{c.split, 10, 110, 30}));
  }
}

TEST(DrawProgress, TextCentredAndTwoFramesAroundTheMargins) {
  TRecordingCanvas rc;
  rc.Canvas.Brush()->SetColor(clAqua);
  const TSize extent = rc.Canvas.TextExtent(u"50%");
  DrawProgress(&rc.Canvas, {10, 10, 110, 40}, kBar, kBarText, kBack, kBackText, 50, 3, 4, 0, 0,
               String(), kBorder, false);
  auto runs = rc.Named("ExtTextOut");
  ASSERT_EQ(runs.size(), 2u);
  // Inside the margins: (13, 14)-(107, 36).
  EXPECT_EQ(runs[0].Args[0], 13 + (94 - extent.cx) / 2);
  EXPECT_EQ(runs[0].Args[1], 14 + (22 - extent.cy) / 2);
  EXPECT_EQ(runs[0].Args[4], 13 + 47);
  auto frames = rc.Named("FrameRect");
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].ArgRect(), (TRect{12, 13, 108, 37}));
  EXPECT_EQ(frames[0].BrushColor, static_cast<COLORREF>(kBorder));
  EXPECT_EQ(frames[1].ArgRect(), (TRect{11, 12, 109, 38}));
  EXPECT_EQ(frames[1].BrushColor, static_cast<COLORREF>(clAqua)) << "the brush as it came";

  // Upside down the text height counts negative; without a border only the outer frame.
  TRecordingCanvas turned;
  DrawProgress(&turned.Canvas, {10, 10, 110, 40}, kBar, kBarText, kBack, kBackText, 50, 3, 4, 0,
               0, String(), clNone, true);
  ASSERT_EQ(turned.Named("ExtTextOut").size(), 2u);
  EXPECT_EQ(turned.Named("ExtTextOut")[0].Args[1], 14 + (22 + extent.cy) / 2);
  EXPECT_EQ(turned.Named("FrameRect").size(), 1u);
}

TEST(DrawProgress, NonFiniteValuesPaintWithoutRaising) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double value : {nan, inf, -inf, 1e300}) {
    TRecordingCanvas rc;
    EXPECT_NO_THROW(DrawBar(rc, value, 0, 100, u"%d"));
    TRecordingCanvas plain;
    EXPECT_NO_THROW(DrawBar(plain, value, 0, 0, u""));
  }
}

// --- The styled bar -------------------------------------------------------------------------

TProgressSettings Plain() {
  TProgressSettings s;
  s.ShowGradient = false;
  s.ShowPercentage = false;
  s.UnCompleteColor = clWhite;
  return s;
}

// The fills after the background's, as rectangles.
std::vector<TRect> Parts(const TRecordingCanvas& rc, std::vector<COLORREF>* colours = nullptr) {
  auto fills = rc.Named("FillRect");
  std::vector<TRect> parts;
  for (size_t i = 1; i < fills.size(); ++i) {
    parts.push_back(fills[i].ArgRect());
    if (colours) colours->push_back(fills[i].BrushColor);
  }
  return parts;
}

TEST(DrawStyledProgress, BlocksOfSevenWithGapsAndAShorterLastOne) {
  // A bar of (0, 0)-(102, 20): 100 pixels long, blocks 2 pixels in.
  struct Case {
    int percentage;
    std::vector<TRect> blocks;
    TColor colour;
  } cases[] = {
      {50,
       {{2, 2, 9, 18}, {11, 2, 18, 18}, {20, 2, 27, 18}, {29, 2, 36, 18}, {38, 2, 45, 18},
        {47, 2, 52, 18}},
       0x00FF00},
      {5, {{2, 2, 7, 18}}, 0x00FF00},  // shorter than 10: one block of its length
      {1, {}, 0x00FF00},               // 1 pixel: no block
      {12, {{2, 2, 9, 18}, {11, 2, 14, 18}}, 0x00FF00},
      {75, {}, 0x00FFFF},  // the second level's colour (only checked on the first block)
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.percentage);
    TProgressSettings s = Plain();
    s.CompletionSmooth = false;
    TRecordingCanvas rc;
    DrawStyledProgress(&rc.Canvas, {0, 0, 102, 20}, c.percentage, s);
    std::vector<COLORREF> colours;
    std::vector<TRect> parts = Parts(rc, &colours);
    if (c.percentage == 75) {
      ASSERT_FALSE(parts.empty());
      EXPECT_EQ(colours[0], static_cast<COLORREF>(c.colour));
      continue;
    }
    EXPECT_EQ(parts, c.blocks) << rc.Log.Dump();
    for (COLORREF colour : colours) EXPECT_EQ(colour, static_cast<COLORREF>(c.colour));
  }
}

TEST(DrawStyledProgress, LevelsSmoothBarsStackingAndVerticalGrowth) {
  // Not stacked, smooth: one bar one pixel in, in the colour of the percentage's level.
  struct Level {
    int percentage;
    TColor colour;
    int right;
  } levels[] = {{69, 0x00FF00, 70}, {70, 0x00FFFF, 71}, {90, 0x53A9FF, 91}, {100, 0x0000FF, 101},
                {150, 0x0000FF, 101}};
  for (const Level& l : levels) {
    TRecordingCanvas rc;
    DrawStyledProgress(&rc.Canvas, {0, 0, 102, 20}, l.percentage, Plain());
    std::vector<COLORREF> colours;
    std::vector<TRect> parts = Parts(rc, &colours);
    ASSERT_EQ(parts.size(), 1u) << l.percentage;
    EXPECT_EQ(parts[0], (TRect{1, 1, l.right, 19})) << l.percentage;
    EXPECT_EQ(colours[0], static_cast<COLORREF>(l.colour)) << l.percentage;
  }

  // Stacked at 95: Level0 to 70, Level1 to 90, Level3 to 95.
  TProgressSettings stacked = Plain();
  stacked.Stacked = true;
  TRecordingCanvas rc;
  DrawStyledProgress(&rc.Canvas, {0, 0, 102, 20}, 95, stacked);
  std::vector<COLORREF> colours;
  EXPECT_EQ(Parts(rc, &colours),
            (std::vector<TRect>{{1, 1, 71, 19}, {71, 1, 91, 19}, {91, 1, 96, 19}}));
  EXPECT_EQ(colours, (std::vector<COLORREF>{0x00FF00, 0x00FFFF, 0x0000FF}));
  // At 100 the last part reaches the end.
  TRecordingCanvas full;
  DrawStyledProgress(&full.Canvas, {0, 0, 102, 20}, 100, stacked);
  EXPECT_EQ(Parts(full).back(), (TRect{91, 1, 101, 19}));

  // Vertical bars grow from the bottom.
  TProgressSettings vertical = Plain();
  vertical.Vertical = true;
  TRecordingCanvas up;
  DrawStyledProgress(&up.Canvas, {0, 0, 20, 102}, 25, vertical);
  EXPECT_EQ(Parts(up), (std::vector<TRect>{{1, 76, 19, 101}}));
}

TEST(DrawStyledProgress, GradientHalvesPercentageTextAndOutline) {
  TProgressSettings s;
  s.UnCompleteColor = clWhite;
  s.ShowBorder = true;
  s.BorderColor = 0x00000007;
  TRecordingCanvas rc;
  DrawStyledProgress(&rc.Canvas, {0, 0, 102, 22}, 40, s);
  // Across the thickness: ColorTo at the bar's top and bottom edges, Color in the middle.
  EXPECT_EQ(rc.Pixel(20, 1), static_cast<COLORREF>(s.Level0ColorTo));
  EXPECT_EQ(rc.Pixel(20, 11), static_cast<COLORREF>(s.Level0Color));
  EXPECT_EQ(rc.Pixel(20, 20), static_cast<COLORREF>(s.Level0ColorTo));
  EXPECT_EQ(rc.Pixel(95, 11), 0xFFFFFFu) << "beyond the bar the background";
  auto text = rc.Named("ExtTextOut");
  ASSERT_EQ(text.size(), 1u);
  EXPECT_EQ(text[0].Text, u"40%");
  EXPECT_EQ(text[0].TextColor, static_cast<COLORREF>(s.CompleteFontColor));
  auto outline = rc.Named("Rectangle");
  ASSERT_FALSE(outline.empty());
  EXPECT_EQ(outline.back().ArgRect(), (TRect{0, 0, 102, 22}));
  EXPECT_EQ(outline.back().PenColor, 7u);
  EXPECT_EQ(outline.back().BrushColor, CLR_INVALID) << "a clear brush";

  // A vertical bar turns its text, but leaves the canvas's font as it found it.
  s.Vertical = true;
  TRecordingCanvas up;
  DrawStyledProgress(&up.Canvas, {0, 0, 22, 102}, 40, s);
  ASSERT_EQ(up.Named("ExtTextOut").size(), 1u);
  EXPECT_EQ(up.Canvas.Font()->Orientation(), 0);
}

// --- Range indicator ------------------------------------------------------------------------

TEST(DrawRangeIndicator, ABarFromTheCentreClampedToTheRange) {
  struct Case {
    const char* name;
    int value, range;
    std::vector<TRect> bars;
    TColor colour;
    const char16_t* text;
  } cases[] = {
      // (0, 0)-(44, 20) shrunk by 2: a half width of 20 from x 22.
      {"beyond the range", 25, 10, {{22, 2, 42, 18}}, clGreen, u"10"},
      {"negative", -3, 10, {{16, 2, 22, 18}}, clRed, u"-3"},
      {"below the range", -99, 10, {{2, 2, 22, 18}}, clRed, u"-10"},
      {"zero", 0, 10, {}, clGreen, u"0"},
      {"no range", 5, 0, {}, clGreen, u"5"},
      {"a negative range", 5, -4, {}, clGreen, u"5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TRecordingCanvas rc;
    DrawRangeIndicator(&rc.Canvas, {0, 0, 44, 20}, c.value, c.range, true, clRed, clGreen);
    auto fills = rc.Named("FillRect");
    std::vector<TRect> bars;
    for (const TDrawingCall& f : fills) bars.push_back(f.ArgRect());
    EXPECT_EQ(bars, c.bars);
    if (!fills.empty()) {
      EXPECT_EQ(fills[0].BrushColor, static_cast<COLORREF>(c.colour));
    }
    auto text = rc.Named("ExtTextOut");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].Text, String(c.text));
    EXPECT_EQ(text[0].Flags & ETO_OPAQUE, 0u) << "a clear background";
  }
  TRecordingCanvas silent;
  DrawRangeIndicator(&silent.Canvas, {0, 0, 44, 20}, 3, 10, false, clRed, clGreen);
  EXPECT_TRUE(silent.Named("ExtTextOut").empty());
}

// --- The pie, on pixels ---------------------------------------------------------------------

class PieTest : public ::testing::Test {
 public:
  PieTest() : Dc(CreateImageDC(60, 60)) { Canvas.SetHandle(Dc); }
  ~PieTest() override {
    Canvas.SetHandle(nullptr);
    DeleteDC(Dc);
  }
  // Pixels of the pie in (0, 0)-(41, 41), centre (20, 20), in each quarter.
  COLORREF At(int dx, int dy) { return GetPixel(Dc, 20 + dx, 20 + dy); }
  HDC Dc;
  TCanvas Canvas;
};

TEST_F(PieTest, TheSliceClockwiseFromTheTopIsFilled) {
  struct Case {
    int percentage;
    bool topRight, bottomRight, bottomLeft, topLeft;
  } cases[] = {
      {25, true, false, false, false},
      {50, true, true, false, false},
      {75, true, true, true, false},
      {100, true, true, true, true},
      {0, false, false, false, false},
      // A slice too thin to hold the seed must not flood the rest of the disc.
      {1, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.percentage);
    FillRectColor(&Canvas, {0, 0, 60, 60}, clWhite);
    DrawProgressPie(&Canvas, {0, 0, 41, 41}, clBlue, c.percentage, false);
    auto is = [](bool filled) { return filled ? COLORREF(clBlue) : COLORREF(0xFFFFFF); };
    EXPECT_EQ(At(8, -8), is(c.topRight));
    EXPECT_EQ(At(8, 8), is(c.bottomRight));
    EXPECT_EQ(At(-8, 8), is(c.bottomLeft));
    EXPECT_EQ(At(-8, -8), is(c.topLeft));
    EXPECT_EQ(GetPixel(Dc, 1, 1), 0xFFFFFFu) << "outside the ellipse";
    EXPECT_EQ(GetPixel(Dc, 50, 50), 0xFFFFFFu);
    EXPECT_EQ(GetPixel(Dc, 20, 0), static_cast<COLORREF>(clGray)) << "the grey outline";
  }
  // On a small pie 1 % ends on the top radius itself: nothing lies inside the slice.
  FillRectColor(&Canvas, {0, 0, 60, 60}, clWhite);
  DrawProgressPie(&Canvas, {0, 0, 15, 15}, clBlue, 1, false);
  EXPECT_EQ(GetPixel(Dc, 10, 7), 0xFFFFFFu);
  EXPECT_EQ(GetPixel(Dc, 4, 7), 0xFFFFFFu);
}

TEST_F(PieTest, TheSeedFlagNeverFloodsOutsideThePie) {
  FillRectColor(&Canvas, {0, 0, 60, 60}, clWhite);
  DrawProgressPie(&Canvas, {0, 0, 41, 41}, clBlue, 30, true);
  EXPECT_EQ(At(8, -8), static_cast<COLORREF>(clBlue));
  EXPECT_EQ(At(-8, -8), 0xFFFFFFu);
  EXPECT_EQ(GetPixel(Dc, 1, 1), 0xFFFFFFu);
  EXPECT_EQ(GetPixel(Dc, 55, 5), 0xFFFFFFu);
}

}  // namespace
