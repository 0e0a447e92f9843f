#include <gtest/gtest.h>

#include "controls/grid/AdvUtil.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/ProgramResources.h"
#include "tests/controls/grid/DrawTestSupport.h"

namespace {

using namespace AdvUtil;
using drawtest::TRecordingCanvas;

constexpr TColor kFrom = 0x00204060;  // BGR 20 40 60
constexpr TColor kTo = 0x00A0C0E0;

// --- Gradients ------------------------------------------------------------------------------

TEST(DrawGradient, AMissingColourFillsWithTheOtherAndNoColourPaintsNothing) {
  struct Case {
    const char* name;
    TColor from, to;
    int fills;  // FillRect calls
    TColor fill;
  } cases[] = {
      {"second none", kFrom, clNone, 1, kFrom},
      {"first none", clNone, kTo, 1, kTo},
      {"both none", clNone, clNone, 0, 0},
  };
  for (const Case& c : cases) {
    TRecordingCanvas rc;
    DrawGradient(&rc.Canvas, c.from, c.to, 16, {10, 10, 60, 30}, true);
    auto fills = rc.Named("FillRect");
    ASSERT_EQ(static_cast<int>(fills.size()), c.fills) << c.name << "\n" << rc.Log.Dump();
    EXPECT_TRUE(rc.Named("Rectangle").empty()) << c.name;
    if (c.fills == 0) continue;
    EXPECT_EQ(fills[0].ArgRect(), (TRect{10, 10, 60, 30})) << c.name;
    EXPECT_EQ(fills[0].BrushColor, static_cast<COLORREF>(c.fill)) << c.name;
  }
}

TEST(DrawGradient, ANarrowRectangleGetsOneBandPerPixelFromColourToColour) {
  for (bool horizontal : {true, false}) {
    TRecordingCanvas rc;
    // 11 pixels along the gradient: 10 steps, though 64 bands were asked for.
    TRect r = horizontal ? TRect{10, 5, 21, 25} : TRect{10, 5, 40, 16};
    DrawGradient(&rc.Canvas, kFrom, kTo, 64, r, horizontal);
    auto bands = rc.Named("Rectangle");
    ASSERT_EQ(bands.size(), 11u) << rc.Log.Dump();
    for (size_t i = 0; i < bands.size(); ++i) {
      TRect b = bands[i].ArgRect();
      int start = horizontal ? b.Left - r.Left : b.Top - r.Top;
      EXPECT_EQ(start, static_cast<int>(i)) << horizontal;
      EXPECT_LE(horizontal ? b.Right : b.Bottom, horizontal ? r.Right : r.Bottom);
      EXPECT_EQ(bands[i].PenColor, bands[i].BrushColor);
    }
    EXPECT_EQ(bands.front().BrushColor, static_cast<COLORREF>(kFrom));
    EXPECT_EQ(bands.back().BrushColor, static_cast<COLORREF>(kTo));
    // Every channel steps by (to - from) / 10: red 0x60 -> 0xE0 in steps of 12.8.
    EXPECT_EQ(GetRValue(bands[5].BrushColor), 0x60 + 64);
    // The last band reaches the far edge in its own colour.
    COLORREF last = horizontal ? rc.Pixel(20, 10) : rc.Pixel(20, 15);
    EXPECT_EQ(last, static_cast<COLORREF>(kTo));
  }
}

TEST(DrawGradient, BandsSpreadEvenlyAndAnEmptyOrReversedRectangleIsHandled) {
  TRecordingCanvas rc;
  DrawGradient(&rc.Canvas, clBlack, clWhite, 4, {0, 0, 101, 10}, true);
  auto bands = rc.Named("Rectangle");
  ASSERT_EQ(bands.size(), 5u);
  const int starts[] = {0, 25, 50, 75, 100};
  const int grey[] = {0, 64, 128, 191, 255};  // round(i * 255 / 4), halves to even
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(bands[i].Args[0], starts[i]);
    EXPECT_EQ(GetRValue(bands[i].BrushColor), grey[i]) << i;
  }

  TRecordingCanvas flat;
  DrawGradient(&flat.Canvas, clBlack, clWhite, 4, {0, 7, 50, 7}, false);
  EXPECT_TRUE(flat.Log.Calls().empty());

  TRecordingCanvas reversed;
  DrawGradient(&reversed.Canvas, clBlack, clWhite, 4, {0, 30, 20, 10}, false);
  auto rb = reversed.Named("Rectangle");
  ASSERT_FALSE(rb.empty());
  EXPECT_EQ(rb.front().Args[1], 10);
  EXPECT_EQ(rb.back().Args[3], 30);
}

TEST(DrawGradientWithMirror, HalvesSolidFillAndBorders) {
  // Mirror halves, top to bottom.
  TRecordingCanvas rc;
  DrawGradientWithMirror(&rc.Canvas, {0, 0, 40, 40}, clRed, clMaroon, clBlue, clNavy, true,
                         clNone, false, true);
  EXPECT_EQ(rc.Pixel(20, 0), static_cast<COLORREF>(clRed));
  EXPECT_EQ(rc.Pixel(20, 20), static_cast<COLORREF>(clBlue));
  EXPECT_EQ(rc.Pixel(20, 39), static_cast<COLORREF>(clNavy));

  // Solid, one pixel taller, and a frame.
  TRecordingCanvas solid;
  DrawGradientWithMirror(&solid.Canvas, {0, 0, 40, 20}, clLime, clNone, clNone, clNone, true,
                         clBlack, false, true);
  auto fills = solid.Named("FillRect");
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].ArgRect(), (TRect{0, 0, 40, 21}));
  ASSERT_EQ(solid.Named("FrameRect").size(), 1u);
  EXPECT_EQ(solid.Named("FrameRect")[0].BrushColor, static_cast<COLORREF>(clBlack));

  // Sides only, no fill.
  TRecordingCanvas sides;
  DrawGradientWithMirror(&sides.Canvas, {5, 5, 45, 25}, clLime, clNone, clNone, clNone, true,
                         clBlack, true, false);
  auto lines = sides.Named("LineTo");
  ASSERT_EQ(lines.size(), 2u) << sides.Log.Dump();
  EXPECT_EQ(lines[0].Args, (std::vector<int32_t>{5, 5, 5, 25}));
  EXPECT_EQ(lines[1].Args, (std::vector<int32_t>{44, 5, 44, 25}));
  EXPECT_TRUE(sides.Named("FillRect").empty());
}

// --- The rounded selection ------------------------------------------------------------------

TRoundedSelectionColors SelectionColors() {
  TRoundedSelectionColors c;
  c.GradientFrom = 0x00F0E0D0;
  c.InnerTop = 0x00000011;
  c.InnerBottom = 0x00000022;
  c.Border = 0x00000033;
  c.Corner = 0x00000044;
  c.OuterCorner = 0x00000055;
  return c;
}

TEST(DrawRoundedSelection, SideModesRoundTheirEndsAndLetTheOthersJoin) {
  const TRoundedSelectionColors c = SelectionColors();
  const COLORREF body = c.GradientFrom, border = c.Border, outer = c.OuterCorner,
                 corner = c.Corner, white = 0xFFFFFF;
  // The box (10, 10)-(60, 30): its bottom line is y 28, its right column x 58.
  struct Case {
    int mode;
    COLORREF topLeft, bottomLeft, leftSide, topRight, bottomRight, rightSide, nextToTopLeft;
  } cases[] = {
      {smBothEnds, outer, outer, border, outer, outer, border, corner},
      {smLeftEnd, outer, outer, border, border, border, body, corner},
      {smRightEnd, border, border, body, outer, outer, border, border},
      {smNoEnds, border, border, body, border, border, body, border},
      // Past the named modes: no ends drawn, but the lines keep their insets.
      {4, white, white, white, white, white, white, white},
  };
  for (const Case& k : cases) {
    TRecordingCanvas rc;
    DrawRoundedSelection(&rc.Canvas, c, {10, 10, 60, 30}, k.mode);
    EXPECT_EQ(rc.Pixel(10, 10), k.topLeft) << k.mode;
    EXPECT_EQ(rc.Pixel(10, 28), k.bottomLeft) << k.mode;
    EXPECT_EQ(rc.Pixel(10, 18), k.leftSide) << k.mode;
    EXPECT_EQ(rc.Pixel(58, 10), k.topRight) << k.mode;
    EXPECT_EQ(rc.Pixel(58, 28), k.bottomRight) << k.mode;
    EXPECT_EQ(rc.Pixel(58, 18), k.rightSide) << k.mode;
    EXPECT_EQ(rc.Pixel(11, 10), k.nextToTopLeft) << k.mode;
    // Inner lines and the body.
    EXPECT_EQ(rc.Pixel(30, 11), static_cast<COLORREF>(c.InnerTop)) << k.mode;
    EXPECT_EQ(rc.Pixel(30, 27), static_cast<COLORREF>(c.InnerBottom)) << k.mode;
    EXPECT_EQ(rc.Pixel(30, 18), body) << k.mode;
    EXPECT_EQ(rc.Pixel(30, 10), border) << k.mode;
    // Nothing below the box or right of it.
    EXPECT_EQ(rc.Pixel(30, 29), white) << k.mode;
    EXPECT_EQ(rc.Pixel(59, 18), white) << k.mode;
  }
}

TEST(DrawRoundedSelection, TheBodyIsAGradientOrTwoMirroredHalves) {
  TRoundedSelectionColors c = SelectionColors();
  c.GradientFrom = clWhite;
  c.GradientTo = clBlack;
  TRecordingCanvas plain;
  DrawRoundedSelection(&plain.Canvas, c, {0, 0, 40, 40}, smBothEnds);
  // One gradient over the body (y 2 to 36): white at its top, black at its bottom.
  EXPECT_EQ(plain.Pixel(20, 2), 0xFFFFFFu);
  EXPECT_EQ(plain.Pixel(20, 36), 0u);

  c.MirrorFrom = clRed;
  c.MirrorTo = clBlue;
  TRecordingCanvas mirrored;
  DrawRoundedSelection(&mirrored.Canvas, c, {0, 0, 40, 40}, smBothEnds);
  EXPECT_EQ(mirrored.Pixel(20, 2), 0xFFFFFFu);
  EXPECT_EQ(mirrored.Pixel(20, 19), static_cast<COLORREF>(clRed));
  EXPECT_EQ(mirrored.Pixel(20, 36), static_cast<COLORREF>(clBlue));
}

// --- Bitmaps --------------------------------------------------------------------------------

TEST(DrawTransparentBitmap, PixelsOfTheTopLeftColourTakeTheBackground) {
  TBitmap bitmap(4, 4);
  bitmap.Canvas()->Brush()->SetColor(clRed);
  bitmap.Canvas()->FillRect({0, 0, 4, 4});
  bitmap.Canvas()->SetPixels(2, 1, clBlue);
  bitmap.Canvas()->SetPixels(3, 3, clLime);

  HDC dc = CreateImageDC(20, 20);
  TCanvas canvas;
  canvas.SetHandle(dc);
  DrawTransparentBitmap(&canvas, &bitmap, clYellow, {5, 6, 50, 50});
  EXPECT_EQ(GetPixel(dc, 5, 6), static_cast<COLORREF>(clYellow));
  EXPECT_EQ(GetPixel(dc, 7, 7), static_cast<COLORREF>(clBlue));
  EXPECT_EQ(GetPixel(dc, 8, 9), static_cast<COLORREF>(clLime));
  EXPECT_EQ(GetPixel(dc, 6, 9), static_cast<COLORREF>(clYellow));
  EXPECT_EQ(GetPixel(dc, 9, 6), 0xFFFFFFu) << "nothing beyond the bitmap's own size";
  // The caller's bitmap keeps its pixels.
  EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clRed);
  canvas.SetHandle(nullptr);
  DeleteDC(dc);
}

TEST(DrawResourceBitmap, DrawsANamedResourceAndSkipsAnUnknownName) {
  TRasterImage image;
  ASSERT_TRUE(FindResourceImage(u"ASGFILT", image));
  TRecordingCanvas rc;
  DrawResourceBitmap(&rc.Canvas, clFuchsia, {3, 4, 40, 40}, u"asgfilt");
  EXPECT_FALSE(rc.Log.Calls().empty());
  // The glyph's corner is its background colour, so it shows the colour given.
  EXPECT_EQ(rc.Pixel(3, 4), static_cast<COLORREF>(clFuchsia));

  TRecordingCanvas unknown;
  DrawResourceBitmap(&unknown.Canvas, clFuchsia, {3, 4, 40, 40}, u"NO SUCH GLYPH");
  EXPECT_TRUE(unknown.Log.Calls().empty());
}

}  // namespace
