#include <gtest/gtest.h>

#include "platform/gdi/DrawingLog.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Region.h"
#include "tests/platform/gdi/GdiTestSupport.h"

namespace {

using namespace gditest;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

TEST(GdiDraw, FillRectAndFrameRectCoverExactlyTheirPixels) {
  TDcPtr dc(CreateImageDC(20, 20));
  TObject<HBRUSH> red(CreateSolidBrush(kRed));
  FillRect(dc.get(), {2, 3, 8, 10}, red);
  TSnapshot shot = Snapshot(dc.get());
  EXPECT_EQ(CountColor(shot, {0, 0, 20, 20}, kRed), 6 * 7);
  EXPECT_EQ(CountColor(shot, {2, 3, 8, 10}, kRed), 6 * 7);

  TDcPtr frame(CreateImageDC(20, 20));
  FrameRect(frame.get(), {2, 2, 12, 8}, red);
  shot = Snapshot(frame.get());
  EXPECT_EQ(CountColor(shot, {0, 0, 20, 20}, kRed), 2 * 10 + 2 * 4);
  EXPECT_EQ(shot.At(11, 7), kRed);
  EXPECT_EQ(shot.At(5, 5), kWhite);
  // A system colour index plus one stands for its brush.
  FillRect(frame.get(), {0, 0, 1, 1}, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1)));
  EXPECT_EQ(GetPixel(frame.get(), 0, 0), GetSysColor(COLOR_BTNFACE));
}

TEST(GdiDraw, RectangleOutlineAndInterior) {
  TDcPtr dc(CreateImageDC(20, 20));
  TObject<HBRUSH> red(CreateSolidBrush(kRed));
  SelectObject(dc.get(), red);
  Rectangle(dc.get(), 2, 2, 10, 8);
  TSnapshot shot = Snapshot(dc.get());
  // Outline on the first and last rows and columns, brush inside, nothing beyond.
  EXPECT_EQ(CountColor(shot, {0, 0, 20, 20}, kBlack), 2 * 8 + 2 * 4);
  EXPECT_EQ(CountColor(shot, {3, 3, 9, 7}, kRed), 6 * 4);
  EXPECT_EQ(shot.At(9, 7), kBlack);
  EXPECT_EQ(shot.At(10, 8), kWhite);
  // Without a pen the fill stops one pixel short at the right and bottom.
  TDcPtr bare(CreateImageDC(20, 20));
  SelectObject(bare.get(), red);
  SelectObject(bare.get(), GetStockObject(NULL_PEN));
  Rectangle(bare.get(), 2, 2, 10, 8);
  EXPECT_EQ(CountColor(Snapshot(bare.get()), {0, 0, 20, 20}, kRed), 7 * 5);
}

TEST(GdiDraw, RoundedRectanglesSampledAtCornersEdgesAndCentre) {
  TDcPtr dc(CreateImageDC(60, 40));
  TObject<HBRUSH> red(CreateSolidBrush(kRed));
  TObject<HPEN> blue(CreatePen(PS_SOLID, 1, kBlue));
  SelectObject(dc.get(), red);
  SelectObject(dc.get(), blue);
  RoundRect(dc.get(), 5, 5, 55, 35, 16, 16);
  TSnapshot shot = Snapshot(dc.get());
  EXPECT_EQ(shot.At(5, 5), kWhite);    // the corner is cut away
  EXPECT_EQ(shot.At(54, 34), kWhite);
  EXPECT_EQ(shot.At(30, 5), kBlue);    // edges between the corners
  EXPECT_EQ(shot.At(5, 20), kBlue);
  EXPECT_EQ(shot.At(54, 20), kBlue);
  EXPECT_EQ(shot.At(30, 34), kBlue);
  EXPECT_EQ(shot.At(30, 20), kRed);
  EXPECT_EQ(shot.At(8, 8), kRed);      // inside the rounded corner
  EXPECT_EQ(shot.At(55, 20), kWhite);
  // The shape is symmetric about both axes.
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) ASSERT_EQ(shot.At(x, y), shot.At(59 - x, y)) << x << "," << y;
  }
  // A round-rectangle region filled shows the same cut corners.
  TDcPtr rgnDc(CreateImageDC(60, 40));
  TObject<HRGN> rgn(CreateRoundRectRgn(5, 5, 55, 35, 16, 16));
  FillRgn(rgnDc.get(), rgn, red);
  TSnapshot filled = Snapshot(rgnDc.get());
  EXPECT_EQ(filled.At(5, 5), kWhite);
  EXPECT_EQ(filled.At(30, 5), kRed);
  EXPECT_EQ(filled.At(8, 8), kRed);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) {
      ASSERT_EQ(filled.At(x, y) == kRed, PtInRegion(rgn, x, y)) << x << "," << y;
      ASSERT_EQ(shot.At(x, y) != kWhite, PtInRegion(rgn, x, y)) << "drawn at " << x << "," << y;
    }
  }
}

TEST(GdiDraw, EllipseIsSymmetricAndFilled) {
  TDcPtr dc(CreateImageDC(41, 31));
  TObject<HBRUSH> red(CreateSolidBrush(kRed));
  SelectObject(dc.get(), red);
  Ellipse(dc.get(), 0, 0, 41, 31);
  TSnapshot shot = Snapshot(dc.get());
  EXPECT_EQ(shot.At(20, 15), kRed);
  EXPECT_EQ(shot.At(0, 0), kWhite);
  EXPECT_EQ(shot.At(20, 0), kBlack);
  EXPECT_EQ(shot.At(0, 15), kBlack);
  for (int y = 0; y < 31; ++y) {
    for (int x = 0; x < 41; ++x) ASSERT_EQ(shot.At(x, y), shot.At(40 - x, 30 - y)) << x << "," << y;
  }
}

TEST(GdiDraw, LinesLeaveOutTheirLastPixelAndDashesAlternate) {
  TDcPtr dc(CreateImageDC(40, 10));
  MoveToEx(dc.get(), 0, 2, nullptr);
  LineTo(dc.get(), 30, 2);
  TSnapshot shot = Snapshot(dc.get());
  EXPECT_EQ(CountColor(shot, {0, 2, 40, 3}, kBlack), 30);
  EXPECT_EQ(shot.At(30, 2), kWhite);
  TPoint pos;
  GetCurrentPositionEx(dc.get(), &pos);
  EXPECT_EQ(pos, (TPoint{30, 2}));

  // A dotted pen: runs of three on, three off; the gaps take the background colour when opaque.
  TObject<HPEN> dotted(CreatePen(PS_DOT, 1, kRed));
  SelectObject(dc.get(), dotted);
  SetBkColor(dc.get(), kBlue);
  MoveToEx(dc.get(), 0, 5, nullptr);
  LineTo(dc.get(), 12, 5);
  SetBkMode(dc.get(), TRANSPARENT);
  MoveToEx(dc.get(), 0, 7, nullptr);
  LineTo(dc.get(), 12, 7);
  shot = Snapshot(dc.get());
  COLORREF opaque[] = {kRed, kRed, kRed, kBlue, kBlue, kBlue, kRed, kRed, kRed, kBlue, kBlue, kBlue};
  COLORREF clear[] = {kRed, kRed, kRed, kWhite, kWhite, kWhite, kRed, kRed, kRed, kWhite, kWhite, kWhite};
  for (int x = 0; x < 12; ++x) {
    EXPECT_EQ(shot.At(x, 5), opaque[x]) << x;
    EXPECT_EQ(shot.At(x, 7), clear[x]) << x;
  }
}

TEST(GdiDraw, XorDrawingTwiceRestoresTheImage) {
  TDcPtr dc(CreateImageDC(80, 60));
  TObject<HBRUSH> red(CreateSolidBrush(kRed));
  TObject<HBRUSH> green(CreateSolidBrush(RGB(0, 160, 40)));
  FillRect(dc.get(), {0, 0, 40, 60}, red);
  FillRect(dc.get(), {40, 20, 80, 40}, green);
  TextOut(dc.get(), 5, 5, u"Ж");
  TSnapshot before = Snapshot(dc.get());

  TObject<HPEN> thin(CreatePen(PS_SOLID, 1, RGB(0x12, 0x34, 0x56)));
  TObject<HPEN> dashed(CreatePen(PS_DASH, 1, kBlue));
  TObject<HPEN> wide(CreatePen(PS_SOLID, 5, RGB(200, 100, 50)));
  auto paint = [&] {
    SetROP2(dc.get(), R2_XORPEN);
    SelectObject(dc.get(), thin);
    MoveToEx(dc.get(), 0, 0, nullptr);
    LineTo(dc.get(), 79, 59);
    MoveToEx(dc.get(), 10, 50, nullptr);
    LineTo(dc.get(), 70, 3);
    SelectObject(dc.get(), dashed);
    MoveToEx(dc.get(), 0, 30, nullptr);
    LineTo(dc.get(), 80, 30);
    SelectObject(dc.get(), wide);
    MoveToEx(dc.get(), 20, 10, nullptr);
    LineTo(dc.get(), 60, 50);
    SelectObject(dc.get(), GetStockObject(NULL_BRUSH));
    SelectObject(dc.get(), thin);
    Rectangle(dc.get(), 15, 15, 65, 45);
    DrawFocusRect(dc.get(), {3, 3, 77, 57});
  };
  paint();
  TSnapshot once = Snapshot(dc.get());
  EXPECT_NE(once, before);
  // Red XOR the pen colour where the thin line starts; its last pixel is left out.
  EXPECT_EQ(once.At(0, 0), RGB(0xFF ^ 0x12, 0x34, 0x56));
  EXPECT_EQ(once.At(79, 59), before.At(79, 59));
  paint();
  EXPECT_EQ(Snapshot(dc.get()), before);
}

TEST(GdiDraw, NotModeInvertsAndInvertRectTwiceRestores) {
  TDcPtr dc(CreateImageDC(10, 10));
  SetROP2(dc.get(), R2_NOT);
  MoveToEx(dc.get(), 0, 1, nullptr);
  LineTo(dc.get(), 10, 1);
  EXPECT_EQ(GetPixel(dc.get(), 4, 1), kBlack);
  TObject<HBRUSH> red(CreateSolidBrush(kRed));
  FillRect(dc.get(), {0, 5, 10, 10}, red);  // fills ignore the pen's raster operation
  EXPECT_EQ(GetPixel(dc.get(), 4, 6), kRed);
  InvertRect(dc.get(), {0, 0, 10, 10});
  EXPECT_EQ(GetPixel(dc.get(), 4, 6), RGB(0, 255, 255));
  EXPECT_EQ(GetPixel(dc.get(), 4, 1), kWhite);
  InvertRect(dc.get(), {0, 0, 10, 10});
  EXPECT_EQ(GetPixel(dc.get(), 4, 6), kRed);
}

TEST(GdiDraw, ClippingByRegionsKeepsPaintInsideThem) {
  TObject<HRGN> ellipse(CreateEllipticRgn(10, 10, 70, 50));
  TObject<HRGN> bar(CreateRectRgn(0, 25, 80, 35));
  TObject<HRGN> hole(CreateRectRgn(35, 0, 45, 60));
  struct Case {
    const char* name;
    int mode;
  } cases[] = {{"or", RGN_OR}, {"and", RGN_AND}, {"xor", RGN_XOR}, {"diff", RGN_DIFF}};
  TObject<HBRUSH> red(CreateSolidBrush(kRed));
  for (const Case& c : cases) {
    TObject<HRGN> clip(CreateRectRgn(0, 0, 0, 0));
    CombineRgn(clip, ellipse, bar, c.mode);
    CombineRgn(clip, clip, hole, RGN_DIFF);
    TDcPtr dc(CreateImageDC(80, 60));
    SelectClipRgn(dc.get(), clip);
    FillRect(dc.get(), {0, 0, 80, 60}, red);
    SelectObject(dc.get(), red);
    Ellipse(dc.get(), -10, -10, 90, 70);
    TSnapshot shot = Snapshot(dc.get());
    int painted = 0;
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 80; ++x) {
        bool inside = PtInRegion(clip, x, y);
        painted += inside;
        ASSERT_EQ(shot.At(x, y) != kWhite, inside) << c.name << " at " << x << "," << y;
      }
    }
    EXPECT_GT(painted, 0) << c.name;
  }
}

TEST(GdiDraw, ClipRectanglesIntersectAndExcludeAndRestore) {
  TDcPtr dc(CreateImageDC(40, 40));
  TObject<HBRUSH> red(CreateSolidBrush(kRed));
  int saved = SaveDC(dc.get());
  EXPECT_EQ(IntersectClipRect(dc.get(), 5, 5, 35, 35), SIMPLEREGION);
  EXPECT_EQ(ExcludeClipRect(dc.get(), 15, 15, 25, 25), COMPLEXREGION);
  TRect box;
  EXPECT_EQ(GetClipBox(dc.get(), &box), COMPLEXREGION);
  EXPECT_EQ(box, (TRect{5, 5, 35, 35}));
  FillRect(dc.get(), {0, 0, 40, 40}, red);
  TSnapshot shot = Snapshot(dc.get());
  EXPECT_EQ(CountColor(shot, {0, 0, 40, 40}, kRed), 30 * 30 - 10 * 10);
  EXPECT_EQ(shot.At(20, 20), kWhite);
  RestoreDC(dc.get(), saved);
  EXPECT_EQ(GetClipBox(dc.get(), &box), SIMPLEREGION);
  EXPECT_EQ(box, (TRect{0, 0, 40, 40}));
  FillRect(dc.get(), {0, 0, 40, 40}, red);
  EXPECT_EQ(CountColor(Snapshot(dc.get()), {0, 0, 40, 40}, kRed), 1600);
}

// Paints a scene of shapes, text and clipping through the origins a parent uses to paint a child.
void PaintScene(HDC dc) {
  TObject<HBRUSH> red(CreateSolidBrush(kRed));
  TObject<HBRUSH> hatch(CreateHatchBrush(HS_DIAGCROSS, kBlue));
  TObject<HPEN> pen(CreatePen(PS_DASHDOT, 1, RGB(0, 128, 0)));
  TObject<HFONT> font(CreateFont(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma"));
  FillRect(dc, {0, 0, 100, 70}, GetSysColorBrush(COLOR_BTNFACE));
  SelectObject(dc, red);
  SelectObject(dc, pen);
  RoundRect(dc, 4, 4, 60, 40, 10, 10);
  SelectObject(dc, hatch);
  Ellipse(dc, 50, 20, 96, 66);
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(20, 20, 120));
  TRect r{6, 42, 94, 68};
  DrawText(dc, u"Здраво свет, ова е текст", r, DT_WORDBREAK | DT_CENTER);
  IntersectClipRect(dc, 0, 0, 50, 30);
  TextOut(dc, 10, 10, u"Клип");
}

TEST(GdiDraw, DoubleBufferingEqualsDirectPainting) {
  TDcPtr direct(CreateImageDC(100, 70));
  PaintScene(direct.get());

  TDcPtr screen(CreateImageDC(100, 70));
  TDcPtr memory(CreateCompatibleDC(screen.get()));
  TObject<HBITMAP> buffer(CreateCompatibleBitmap(screen.get(), 100, 70));
  HGDIOBJ old = SelectObject(memory.get(), buffer);
  PaintScene(memory.get());
  BitBlt(screen.get(), 0, 0, 100, 70, memory.get(), 0, 0, SRCCOPY);
  SelectObject(memory.get(), old);
  EXPECT_EQ(Snapshot(screen.get()), Snapshot(direct.get()));

  // A child's context on its part of a shared surface paints what a parent does through the
  // viewport origin (brushes aligned to the child's origin).
  TDcPtr shared(CreateImageDC(140, 100));
  TDcPtr child(CreateSurfaceDC(GetDCSurface(shared.get()), {30, 20}, {0, 0, 100, 70}));
  PaintScene(child.get());
  TDcPtr shifted(CreateImageDC(140, 100));
  SetViewportOrgEx(shifted.get(), 30, 20, nullptr);
  SetBrushOrgEx(shifted.get(), 30, 20, nullptr);
  IntersectClipRect(shifted.get(), 0, 0, 100, 70);
  PaintScene(shifted.get());
  TSnapshot a = Snapshot(shared.get()), b = Snapshot(shifted.get());
  EXPECT_EQ(a, b);
  EXPECT_EQ(a.At(29, 19), kWhite);  // nothing outside the child
  EXPECT_EQ(a.At(30, 20), GetSysColor(COLOR_BTNFACE));
}

TEST(GdiDraw, AWindowsVisibleRegionBoundsEveryClipAndSurvivesRestore) {
  TDcPtr screen(CreateImageDC(60, 40));
  // A child window at (10, 10), 40 x 20, partly covered by a sibling on its right half.
  TDcPtr child(CreateSurfaceDC(GetDCSurface(screen.get()), {10, 10}, {0, 0, 40, 20}));
  SetDCVisibleRegion(child.get(), TRegionData::FromRect({0, 0, 20, 20}));
  TObject<HBRUSH> red(CreateSolidBrush(kRed));
  TObject<HBRUSH> blue(CreateSolidBrush(kBlue));
  int saved = SaveDC(child.get());
  IntersectClipRect(child.get(), 5, 5, 100, 100);
  FillRect(child.get(), {0, 0, 100, 100}, red);
  TSnapshot shot = Snapshot(screen.get());
  EXPECT_EQ(CountColor(shot, {0, 0, 60, 40}, kRed), 15 * 15);
  RestoreDC(child.get(), saved);
  FillRect(child.get(), {0, 0, 100, 100}, blue);
  shot = Snapshot(screen.get());
  EXPECT_EQ(CountColor(shot, {0, 0, 60, 40}, kBlue), 20 * 20);
  EXPECT_EQ(shot.At(30, 15), kWhite);  // under the sibling
  SelectClipRgn(child.get(), nullptr);  // removing the clip does not uncover the sibling's part
  FillRect(child.get(), {0, 0, 100, 100}, red);
  EXPECT_EQ(CountColor(Snapshot(screen.get()), {0, 0, 60, 40}, kRed), 20 * 20);
  TRect box;
  GetClipBox(child.get(), &box);
  EXPECT_EQ(box, (TRect{0, 0, 20, 20}));
}

TEST(GdiDraw, BitBltRasterOperationsAndStretching) {
  TDcPtr dest(CreateImageDC(8, 8));
  TDcPtr src(CreateCompatibleDC(dest.get()));
  TObject<HBITMAP> bitmap(CreateCompatibleBitmap(dest.get(), 4, 4));
  SelectObject(src.get(), bitmap);
  TObject<HBRUSH> red(CreateSolidBrush(kRed));
  TObject<HBRUSH> cyan(CreateSolidBrush(RGB(0, 255, 255)));
  FillRect(src.get(), {0, 0, 4, 4}, red);
  FillRect(src.get(), {2, 0, 4, 4}, cyan);
  FillRect(dest.get(), {0, 0, 8, 8}, cyan);
  struct Case {
    uint32_t rop;
    COLORREF left, right;  // results over the red and the cyan source halves
  } cases[] = {
      {SRCCOPY, kRed, RGB(0, 255, 255)},  {SRCPAINT, kWhite, RGB(0, 255, 255)},
      {SRCAND, kBlack, RGB(0, 255, 255)}, {SRCINVERT, kWhite, kBlack},
      {NOTSRCCOPY, RGB(0, 255, 255), kRed}, {DSTINVERT, kRed, kRed},
      {BLACKNESS, kBlack, kBlack},        {WHITENESS, kWhite, kWhite},
  };
  for (const Case& c : cases) {
    FillRect(dest.get(), {0, 0, 8, 8}, cyan);
    BitBlt(dest.get(), 2, 2, 4, 4, src.get(), 0, 0, c.rop);
    EXPECT_EQ(GetPixel(dest.get(), 2, 2), c.left) << std::hex << c.rop;
    EXPECT_EQ(GetPixel(dest.get(), 5, 5), c.right) << std::hex << c.rop;
    EXPECT_EQ(GetPixel(dest.get(), 1, 1), RGB(0, 255, 255)) << std::hex << c.rop;
  }
  // Stretching doubles each source pixel; a negative width mirrors.
  TDcPtr big(CreateImageDC(8, 8));
  StretchBlt(big.get(), 0, 0, 8, 8, src.get(), 0, 0, 4, 4, SRCCOPY);
  EXPECT_EQ(GetPixel(big.get(), 3, 7), kRed);
  EXPECT_EQ(GetPixel(big.get(), 4, 0), RGB(0, 255, 255));
  StretchBlt(big.get(), 8, 0, -8, 8, src.get(), 0, 0, 4, 4, SRCCOPY);
  EXPECT_EQ(GetPixel(big.get(), 0, 0), RGB(0, 255, 255));
  EXPECT_EQ(GetPixel(big.get(), 7, 0), kRed);
  // Transparent copies leave the keyed colour out.
  TDcPtr keyed(CreateImageDC(4, 4));
  TransparentBlt(keyed.get(), 0, 0, 4, 4, src.get(), 0, 0, 4, 4, RGB(0, 255, 255));
  EXPECT_EQ(GetPixel(keyed.get(), 0, 0), kRed);
  EXPECT_EQ(GetPixel(keyed.get(), 3, 3), kWhite);
}

TEST(GdiDraw, MonochromeConversionsFollowTheColours) {
  TDcPtr colour(CreateImageDC(4, 1));
  TObject<HBRUSH> red(CreateSolidBrush(kRed));
  FillRect(colour.get(), {0, 0, 2, 1}, red);
  // Colour to monochrome: the source's background colour becomes white, all else black.
  TDcPtr mono(CreateCompatibleDC(nullptr));
  TObject<HBITMAP> mask(CreateBitmap(4, 1, 1, 1, nullptr));
  SelectObject(mono.get(), mask);
  SetBkColor(colour.get(), kRed);
  BitBlt(mono.get(), 0, 0, 4, 1, colour.get(), 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(mono.get(), 0, 0), kWhite);
  EXPECT_EQ(GetPixel(mono.get(), 3, 0), kBlack);
  // Monochrome to colour: white takes the destination's background colour, black its text colour.
  TDcPtr out(CreateImageDC(4, 1));
  SetBkColor(out.get(), kBlue);
  SetTextColor(out.get(), RGB(0, 200, 0));
  BitBlt(out.get(), 0, 0, 4, 1, mono.get(), 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(out.get(), 0, 0), kBlue);
  EXPECT_EQ(GetPixel(out.get(), 3, 0), RGB(0, 200, 0));
}

TEST(GdiDraw, HatchedBrushesAndFloodFill) {
  TDcPtr dc(CreateImageDC(16, 16));
  TObject<HBRUSH> hatch(CreateHatchBrush(HS_CROSS, kBlue));
  SetBkMode(dc.get(), TRANSPARENT);
  FillRect(dc.get(), {0, 0, 16, 16}, hatch);
  TSnapshot shot = Snapshot(dc.get());
  EXPECT_EQ(CountColor(shot, {0, 0, 16, 16}, kBlue), 4 * (8 + 8 - 1));
  EXPECT_EQ(CountColor(shot, {0, 0, 16, 16}, kWhite), 256 - 4 * 15);

  TDcPtr fill(CreateImageDC(20, 20));
  SelectObject(fill.get(), GetStockObject(NULL_BRUSH));
  Rectangle(fill.get(), 2, 2, 12, 12);
  TObject<HBRUSH> red(CreateSolidBrush(kRed));
  SelectObject(fill.get(), red);
  EXPECT_TRUE(ExtFloodFill(fill.get(), 5, 5, kBlack, FLOODFILLBORDER));
  shot = Snapshot(fill.get());
  EXPECT_EQ(CountColor(shot, {0, 0, 20, 20}, kRed), 8 * 8);
  EXPECT_EQ(shot.At(15, 15), kWhite);
  EXPECT_TRUE(ExtFloodFill(fill.get(), 15, 15, kWhite, FLOODFILLSURFACE));
  EXPECT_EQ(CountColor(Snapshot(fill.get()), {0, 0, 20, 20}, kWhite), 0);
}

TEST(GdiDraw, EdgesAndFrameControlsUseTheSystemColours) {
  TDcPtr dc(CreateImageDC(30, 30));
  TRect r{0, 0, 20, 20};
  DrawEdge(dc.get(), r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
  EXPECT_EQ(r, (TRect{2, 2, 18, 18}));
  EXPECT_EQ(GetPixel(dc.get(), 5, 0), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(GetPixel(dc.get(), 5, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(GetPixel(dc.get(), 5, 19), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(GetPixel(dc.get(), 18, 5), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(GetPixel(dc.get(), 10, 10), GetSysColor(COLOR_BTNFACE));
  TRect sunken{0, 0, 10, 10};
  DrawEdge(dc.get(), sunken, BDR_SUNKENOUTER, BF_TOPLEFT | BF_ADJUST);
  EXPECT_EQ(sunken, (TRect{1, 1, 10, 10}));
  EXPECT_EQ(GetPixel(dc.get(), 0, 5), GetSysColor(COLOR_BTNSHADOW));

  TDcPtr fc(CreateImageDC(40, 20));
  TRect button{0, 0, 20, 20};
  DrawFrameControl(fc.get(), button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
  TSnapshot shot = Snapshot(fc.get());
  EXPECT_GT(CountColor(shot, {4, 4, 16, 16}, GetSysColor(COLOR_BTNTEXT)), 6);  // the arrow
  TRect inactive{20, 0, 40, 20};
  DrawFrameControl(fc.get(), inactive, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_INACTIVE);
  shot = Snapshot(fc.get());
  EXPECT_EQ(CountColor(shot, {24, 4, 36, 16}, GetSysColor(COLOR_BTNTEXT)), 0);
  EXPECT_GT(CountColor(shot, {24, 4, 36, 16}, GetSysColor(COLOR_BTNSHADOW)), 6);

  TDcPtr box(CreateImageDC(13, 13));
  TRect check{0, 0, 13, 13};
  DrawFrameControl(box.get(), check, DFC_BUTTON, DFCS_BUTTONCHECK);
  int unchecked = CountColor(Snapshot(box.get()), {2, 2, 11, 11}, GetSysColor(COLOR_WINDOW));
  DrawFrameControl(box.get(), check, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  EXPECT_LT(CountColor(Snapshot(box.get()), {2, 2, 11, 11}, GetSysColor(COLOR_WINDOW)), unchecked - 8);
}

TEST(GdiDraw, RecordingContextKeepsCallsInOrderWithClipState) {
  TDrawingLog log;
  TDcPtr dc(CreateRecordingDC(50, 50, &log));
  TObject<HBRUSH> red(CreateSolidBrush(kRed));
  FillRect(dc.get(), {0, 0, 50, 50}, red);
  IntersectClipRect(dc.get(), 10, 10, 30, 30);
  SetTextColor(dc.get(), kBlue);
  TRect r{10, 10, 30, 30};
  DrawText(dc.get(), u"Ред", r, DT_SINGLELINE | DT_VCENTER);
  MoveToEx(dc.get(), 0, 0, nullptr);
  LineTo(dc.get(), 5, 5);
  std::vector<std::string> expected{"FillRect", "IntersectClipRect", "DrawText", "LineTo"};
  EXPECT_EQ(log.Names(), expected) << log.Dump();
  const TDrawingCall& text = log.Calls()[2];
  EXPECT_EQ(text.Text, u"Ред");
  EXPECT_EQ(text.TextColor, kBlue);
  EXPECT_EQ(text.Flags, DT_SINGLELINE | DT_VCENTER);
  EXPECT_TRUE(text.Clipped);
  EXPECT_EQ(text.ClipBox, (TRect{10, 10, 30, 30}));
  EXPECT_FALSE(log.Calls()[0].Clipped);
  EXPECT_EQ(log.Calls()[0].ArgRect(), (TRect{0, 0, 50, 50}));
  // The raster behind the log is painted as well; outside the clip nothing is visible.
  EXPECT_EQ(GetPixel(dc.get(), 1, 1), CLR_INVALID);
  SelectClipRgn(dc.get(), nullptr);
  EXPECT_EQ(GetPixel(dc.get(), 1, 1), kRed);
}

TEST(GdiDraw, DeletingSelectedObjectsIsSafe) {
  TDcPtr dc(CreateImageDC(10, 10));
  HBRUSH brush = CreateSolidBrush(kRed);
  SelectObject(dc.get(), brush);
  EXPECT_TRUE(DeleteObject(brush));
  Rectangle(dc.get(), 0, 0, 10, 10);  // the context still holds the brush
  EXPECT_EQ(GetPixel(dc.get(), 5, 5), kRed);
  SelectObject(dc.get(), GetStockObject(WHITE_BRUSH));  // now it goes
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
  EXPECT_FALSE(DeleteObject(nullptr));
  LOGBRUSH info;
  EXPECT_EQ(GetObject(GetStockObject(BLACK_BRUSH), sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.lbColor, kBlack);
}

}  // namespace
