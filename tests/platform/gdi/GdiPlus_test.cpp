#include "platform/gdi/GdiPlusFlat.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/platform/gdi/GdiTestSupport.h"

namespace {

using gditest::TDcPtr;

TBytes ReadFixture(const std::string& name) {
  std::string here = __FILE__;
  std::ifstream file(here.substr(0, here.find_last_of('/')) + "/fixtures/" + name, std::ios::binary);
  return TBytes(std::istreambuf_iterator<char>(file), {});
}

int Red(ARGB c) { return (c >> 16) & 0xFF; }
int Green(ARGB c) { return (c >> 8) & 0xFF; }
int Blue(ARGB c) { return c & 0xFF; }
int Alpha(ARGB c) { return c >> 24; }

// A transparent 32-bit bitmap with a graphics drawing into it.
struct TCanvasBitmap {
  GpBitmap* Bitmap = nullptr;
  GpGraphics* Graphics = nullptr;
  TCanvasBitmap(int width, int height) {
    EXPECT_EQ(GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &Bitmap), Ok);
    EXPECT_EQ(GdipGetImageGraphicsContext(Bitmap, &Graphics), Ok);
  }
  ~TCanvasBitmap() {
    GdipDeleteGraphics(Graphics);
    GdipDisposeImage(Bitmap);
  }
  ARGB At(int x, int y) const {
    ARGB c = 0;
    EXPECT_EQ(GdipBitmapGetPixel(Bitmap, x, y, &c), Ok);
    return c;
  }
};

TEST(GdiPlus, MemoryComesOnlyWhileStarted) {
  EXPECT_EQ(GdipAlloc(16), nullptr);
  GdiplusStartupInput input;
  uintptr_t token = 0;
  ASSERT_EQ(GdiplusStartup(&token, &input, nullptr), Ok);
  void* memory = GdipAlloc(16);
  EXPECT_NE(memory, nullptr);
  GdipFree(memory);
  GdiplusShutdown(token);
  EXPECT_EQ(GdipAlloc(16), nullptr);
  input.GdiplusVersion = 2;
  EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), UnsupportedGdiplusVersion);
}

TEST(GdiPlus, LinearGradientsSampledAlongTheirAxis) {
  TCanvasBitmap canvas(101, 61);
  GpRectF rect{0, 0, 101, 61};
  GpLineGradient* horizontal = nullptr;
  ASSERT_EQ(GdipCreateLineBrushFromRect(&rect, 0xFFFF0000, 0xFF0000FF, LinearGradientModeHorizontal, WrapModeTile,
                                        &horizontal), Ok);
  GdipFillRectangle(canvas.Graphics, reinterpret_cast<GpBrush*>(horizontal), 0, 0, 101, 61);
  EXPECT_GT(Red(canvas.At(0, 30)), 240);
  EXPECT_GT(Blue(canvas.At(100, 30)), 240);
  EXPECT_NEAR(Red(canvas.At(50, 30)), 128, 8);
  EXPECT_NEAR(Blue(canvas.At(50, 30)), 128, 8);
  for (int x = 1; x < 101; ++x) {
    ASSERT_LE(Red(canvas.At(x, 30)), Red(canvas.At(x - 1, 30))) << x;
    ASSERT_GE(Blue(canvas.At(x, 30)), Blue(canvas.At(x - 1, 30))) << x;
  }
  EXPECT_EQ(canvas.At(50, 0), canvas.At(50, 60));  // the same down a column

  // Forward diagonal on a wide rectangle: the corners take the two colours, the other two corners
  // the same middle colour.
  GpLineGradient* diagonal = nullptr;
  ASSERT_EQ(GdipCreateLineBrushFromRect(&rect, 0xFF000000, 0xFF00FF00, LinearGradientModeForwardDiagonal, WrapModeTile,
                                        &diagonal), Ok);
  GdipFillRectangle(canvas.Graphics, reinterpret_cast<GpBrush*>(diagonal), 0, 0, 101, 61);
  EXPECT_LT(Green(canvas.At(0, 0)), 20);
  EXPECT_GT(Green(canvas.At(100, 60)), 235);
  EXPECT_NEAR(Green(canvas.At(100, 0)), Green(canvas.At(0, 60)), 6);
  EXPECT_NEAR(Green(canvas.At(100, 0)), 128, 12);

  // A preset blend puts its middle colour in the middle; gamma correction brightens the halfway mix.
  GpLineGradient* blend = nullptr;
  ASSERT_EQ(GdipCreateLineBrushFromRect(&rect, 0, 0, LinearGradientModeVertical, WrapModeTile, &blend), Ok);
  ARGB colors[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  REAL positions[] = {0, 0.5f, 1};
  ASSERT_EQ(GdipSetLinePresetBlend(blend, colors, positions, 3), Ok);
  EXPECT_EQ(GdipSetLinePresetBlend(blend, colors, positions, 0), InvalidParameter);
  GdipFillRectangle(canvas.Graphics, reinterpret_cast<GpBrush*>(blend), 0, 0, 101, 61);
  EXPECT_GT(Green(canvas.At(50, 30)), 240);
  EXPECT_GT(Red(canvas.At(50, 0)), 240);
  EXPECT_GT(Blue(canvas.At(50, 60)), 240);
  GpLineGradient* gamma = nullptr;
  ASSERT_EQ(GdipCreateLineBrushFromRect(&rect, 0xFFFFFFFF, 0xFF000000, LinearGradientModeHorizontal, WrapModeTile,
                                        &gamma), Ok);
  GdipSetLineGammaCorrection(gamma, true);
  GdipFillRectangle(canvas.Graphics, reinterpret_cast<GpBrush*>(gamma), 0, 0, 101, 61);
  EXPECT_GT(Red(canvas.At(50, 30)), 170);
  for (GpLineGradient* b : {horizontal, diagonal, blend, gamma}) GdipDeleteBrush(reinterpret_cast<GpBrush*>(b));
}

TEST(GdiPlus, PathGradientsRunFromTheCentreToTheEdge) {
  TCanvasBitmap canvas(81, 81);
  GpPath* path = nullptr;
  GdipCreatePath(FillModeAlternate, &path);
  GdipAddPathEllipse(path, 0, 0, 80, 80);
  int32_t points = 0;
  GdipGetPointCount(path, &points);
  EXPECT_EQ(points, 13);  // four Bézier quarters
  GpPathGradient* brush = nullptr;
  ASSERT_EQ(GdipCreatePathGradientFromPath(path, &brush), Ok);
  GdipSetPathGradientCenterColor(brush, 0xFFFFFFFF);
  ARGB surround[] = {0xFF0000FF};
  int32_t count = 1;
  EXPECT_EQ(GdipSetPathGradientSurroundColorsWithCount(brush, surround, &count), Ok);
  EXPECT_EQ(count, 1);
  GpPointF centre{40, 40};
  GdipSetPathGradientCenterPoint(brush, &centre);
  GdipSetSmoothingMode(canvas.Graphics, SmoothingModeAntiAlias);
  GdipFillPath(canvas.Graphics, reinterpret_cast<GpBrush*>(brush), path);
  ARGB middle = canvas.At(40, 40), edge = canvas.At(40, 3), between = canvas.At(40, 20);
  EXPECT_GT(Red(middle), 235);
  EXPECT_LT(Red(edge), 40);
  EXPECT_GT(Blue(edge), 200);
  EXPECT_GT(Red(between), Red(edge));
  EXPECT_LT(Red(between), Red(middle));
  EXPECT_EQ(Alpha(canvas.At(1, 1)), 0);  // outside the ellipse nothing is painted

  // More colours than points is refused and the count stays.
  GpPath* tiny = nullptr;
  GdipCreatePath(FillModeAlternate, &tiny);
  GdipAddPathLine(tiny, 0, 0, 10, 0);
  GpPathGradient* small = nullptr;
  ASSERT_EQ(GdipCreatePathGradientFromPath(tiny, &small), Ok);
  ARGB three[] = {1, 2, 3};
  int32_t wanted = 3;
  EXPECT_EQ(GdipSetPathGradientSurroundColorsWithCount(small, three, &wanted), InvalidParameter);
  EXPECT_EQ(wanted, 3);
  EXPECT_EQ(GdipSetPathGradientPresetBlend(small, three, nullptr, 3), InvalidParameter);
  GdipDeleteBrush(reinterpret_cast<GpBrush*>(small));
  GdipDeleteBrush(reinterpret_cast<GpBrush*>(brush));
  GdipDeletePath(tiny);
  GdipDeletePath(path);
}

TEST(GdiPlus, RoundedRectanglePathFromArcs) {
  TCanvasBitmap canvas(60, 40);
  GpPath* path = nullptr;
  GdipCreatePath(FillModeAlternate, &path);
  // The smooth controls' rounded rectangle: four quarter arcs and a closed figure.
  GdipAddPathArc(path, 0, 0, 20, 20, 180, 90);
  GdipAddPathArc(path, 39, 0, 20, 20, 270, 90);
  GdipAddPathArc(path, 39, 19, 20, 20, 0, 90);
  GdipAddPathArc(path, 0, 19, 20, 20, 90, 90);
  GdipClosePathFigure(path);
  int32_t points = 0;
  GdipGetPointCount(path, &points);
  EXPECT_EQ(points, 16);
  GpSolidFill* brush = nullptr;
  GdipCreateSolidFill(0xFF204080, &brush);
  GdipFillPath(canvas.Graphics, brush, path);
  EXPECT_EQ(canvas.At(30, 20), 0xFF204080u);
  EXPECT_EQ(canvas.At(1, 20), 0xFF204080u);
  EXPECT_EQ(canvas.At(30, 1), 0xFF204080u);
  EXPECT_EQ(Alpha(canvas.At(1, 1)), 0);   // the cut corners
  EXPECT_EQ(Alpha(canvas.At(58, 38)), 0);
  GpPen* pen = nullptr;
  GdipCreatePen1(0xFFFF0000, 1, UnitWorld, &pen);
  GdipDrawPath(canvas.Graphics, pen, path);
  EXPECT_EQ(canvas.At(30, 0), 0xFFFF0000u);
  GdipDeletePen(pen);
  GdipDeleteBrush(brush);
  GdipDeletePath(path);
}

TEST(GdiPlus, HatchesAndTextures) {
  TCanvasBitmap canvas(16, 16);
  GpHatch* hatch = nullptr;
  ASSERT_EQ(GdipCreateHatchBrush(HatchStyleHorizontal, 0xFF000000, 0xFFFFFFFF, &hatch), Ok);
  GdipFillRectangle(canvas.Graphics, reinterpret_cast<GpBrush*>(hatch), -1, -1, 18, 18);
  for (int y = 0; y < 16; ++y) EXPECT_EQ(canvas.At(5, y), y % 8 == 0 ? 0xFF000000u : 0xFFFFFFFFu) << y;
  GdipDeleteBrush(reinterpret_cast<GpBrush*>(hatch));
  EXPECT_EQ(GdipCreateHatchBrush(HatchStyleTotal, 0, 0, &hatch), InvalidParameter);
  // Every style marks some of its 64 pixels and leaves some; the density styles grow.
  for (int style = HatchStyleMin; style <= HatchStyleMax; ++style) {
    int covered = 0;
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) covered += GpHatchCovers(style, x, y);
    }
    EXPECT_GT(covered, 0) << style;
    EXPECT_LT(covered, 64) << style;
  }
  auto density = [](int style) {
    int n = 0;
    for (int i = 0; i < 64; ++i) n += GpHatchCovers(style, i % 8, i / 8);
    return n;
  };
  for (int style = HatchStyle05Percent; style < HatchStyle90Percent; ++style) {
    EXPECT_LT(density(style), density(style + 1)) << style;
  }

  GpBitmap* tile = nullptr;
  uint32_t pixels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  ASSERT_EQ(GdipCreateBitmapFromScan0(2, 2, 8, PixelFormat32bppARGB, reinterpret_cast<uint8_t*>(pixels), &tile), Ok);
  GpTexture* texture = nullptr;
  ASSERT_EQ(GdipCreateTexture(tile, WrapModeTile, &texture), Ok);
  GdipDisposeImage(tile);  // the texture keeps its own copy
  GdipFillRectangle(canvas.Graphics, reinterpret_cast<GpBrush*>(texture), -0.5f, -0.5f, 16, 16);
  EXPECT_EQ(canvas.At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(canvas.At(1, 0), 0xFF00FF00u);
  EXPECT_EQ(canvas.At(2, 1), 0xFF0000FFu);
  EXPECT_EQ(canvas.At(5, 5), 0xFFFFFFFFu);
  GdipDeleteBrush(reinterpret_cast<GpBrush*>(texture));
}

TEST(GdiPlus, FontsAndText) {
  GpFontFamily* family = reinterpret_cast<GpFontFamily*>(1);
  EXPECT_EQ(GdipCreateFontFamilyFromName(u"No Such Family", nullptr, &family), FontFamilyNotFound);
  EXPECT_EQ(family, nullptr);
  ASSERT_EQ(GdipCreateFontFamilyFromName(u"Tahoma", nullptr, &family), Ok);
  GpFont* font = nullptr;
  ASSERT_EQ(GdipCreateFont(family, 9, FontStyleBold, UnitPoint, &font), Ok);
  EXPECT_EQ(GdipCreateFont(family, 0, 0, UnitPoint, &font), InvalidParameter);
  TCanvasBitmap canvas(200, 60);
  const char16_t* text = u"Зачувај промени";
  GpRectF big{0, 0, 10000, 10000}, box;
  int32_t fitted = 0, lines = 0;
  ASSERT_EQ(GdipMeasureString(canvas.Graphics, text, -1, font, &big, nullptr, &box, &fitted, &lines), Ok);
  EXPECT_EQ(fitted, 15);
  EXPECT_EQ(lines, 1);
  EXPECT_GT(box.Width, 60);
  EXPECT_GT(box.Height, 10);
  EXPECT_LT(box.Height, 25);
  // Padding of a sixth of an em on each side: 12 pixels to the em at 9 points.
  TDcPtr dc(CreateImageDC(1, 1));
  HFONT gdiFont = CreateFont(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
  SelectObject(dc.get(), gdiFont);
  TSize size;
  GetTextExtentPoint32(dc.get(), std::u16string_view(text), &size);
  EXPECT_NEAR(box.Width, size.cx + 4, 4);
  DeleteObject(gdiFont);
  // Narrower than the text: it wraps between the words; told not to, it does not.
  GpRectF narrow{0, 0, box.Width - 10, 100};
  GdipMeasureString(canvas.Graphics, text, -1, font, &narrow, nullptr, &box, nullptr, &lines);
  EXPECT_EQ(lines, 2);
  GpStringFormat* format = nullptr;
  GdipCreateStringFormat(StringFormatFlagsNoWrap, 0, &format);
  GdipMeasureString(canvas.Graphics, text, -1, font, &narrow, format, &box, nullptr, &lines);
  EXPECT_EQ(lines, 1);
  GdipSetStringFormatFlags(format, 0);

  // Centred in both directions, the ink is about the layout's middle.
  GdipSetStringFormatAlign(format, StringAlignmentCenter);
  GdipSetStringFormatLineAlign(format, StringAlignmentCenter);
  GpSolidFill* black = nullptr;
  GdipCreateSolidFill(0xFF000000, &black);
  GpRectF layout{0, 0, 200, 60};
  ASSERT_EQ(GdipDrawString(canvas.Graphics, u"Да", -1, font, &layout, format, black), Ok);
  int left = 200, right = 0, top = 60, bottom = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 200; ++x) {
      if (Alpha(canvas.At(x, y)) < 128) continue;
      left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  EXPECT_NEAR((left + right) / 2.0, 100, 3);
  EXPECT_NEAR((top + bottom) / 2.0, 30, 4);
  EXPECT_EQ(GdipSetStringFormatAlign(format, static_cast<GpStringAlignment>(7)), InvalidParameter);
  GdipDeleteStringFormat(format);
  GdipDeleteBrush(black);
  GdipDeleteFont(font);
  GdipDeleteFontFamily(family);
}

// A text laid out again in the box its measure gave stays on one line, at every size: the box is
// never narrower than the text (a caption drawn in its own measured rectangle must not wrap).
TEST(GdiPlus, TheMeasuredBoxHoldsTheText) {
  GpFontFamily* family = nullptr;
  ASSERT_EQ(GdipCreateFontFamilyFromName(u"Tahoma", nullptr, &family), Ok);
  TCanvasBitmap canvas(10, 10);
  for (float size : {6.0f, 7.0f, 7.5f, 8.0f, 9.0f, 10.0f, 11.0f, 13.0f}) {
    GpFont* font = nullptr;
    ASSERT_EQ(GdipCreateFont(family, size, 0, UnitPoint, &font), Ok);
    for (const char16_t* text : {u"Настани", u"Новости", u"Задачи", u"Магацин", u"Членови",
                                 u"Тимови", u"Донации-IN", u"Донации-OUT", u"Трошоци",
                                 u"Извештаи", u"Излез", u"Item 1", u"Wij"}) {
      GpRectF big{0, 0, 10000, 10000}, box, again;
      GdipMeasureString(canvas.Graphics, text, -1, font, &big, nullptr, &box, nullptr, nullptr);
      int32_t lines = 0;
      GdipMeasureString(canvas.Graphics, text, -1, font, &box, nullptr, &again, nullptr, &lines);
      EXPECT_EQ(lines, 1) << size << " pt, " << UTF8Encode(text);
      EXPECT_FLOAT_EQ(again.Width, box.Width) << size << " pt, " << UTF8Encode(text);
    }
    GdipDeleteFont(font);
  }
  GdipDeleteFontFamily(family);
}

TEST(GdiPlus, ImagesFromStreams) {
  struct Case {
    const char* file;
    GUID format;
    GpPixelFormat pixels;
  } cases[] = {
      {"pattern_rgba.png", ImageFormatPNG, PixelFormat32bppARGB},
      {"pattern_indexed.png", ImageFormatPNG, PixelFormat8bppIndexed},
      {"pattern.jpg", ImageFormatJPEG, PixelFormat24bppRGB},
      {"pattern.gif", ImageFormatGIF, PixelFormat8bppIndexed},
      {"pattern24.bmp", ImageFormatBMP, PixelFormat24bppRGB},
      {"pattern4.bmp", ImageFormatBMP, PixelFormat4bppIndexed},
      {"png_inside.ico", ImageFormatIcon, PixelFormat32bppARGB},
  };
  for (const Case& c : cases) {
    TBytes bytes = ReadFixture(c.file);
    IStream* stream = CreateMemoryStream(bytes.data(), bytes.size());
    GpImage* image = nullptr;
    ASSERT_EQ(GdipLoadImageFromStream(stream, &image), Ok) << c.file;
    stream->Release();
    uint32_t width = 0, height = 0;
    GdipGetImageWidth(image, &width);
    GdipGetImageHeight(image, &height);
    EXPECT_EQ(width, 24u) << c.file;
    EXPECT_EQ(height, 16u) << c.file;
    GUID format;
    GdipGetImageRawFormat(image, &format);
    EXPECT_EQ(format, c.format) << c.file;
    GpPixelFormat pixels = 0;
    GdipGetImagePixelFormat(image, &pixels);
    EXPECT_EQ(pixels, c.pixels) << c.file;
    GdipDisposeImage(image);
  }
  // Pixels of a bitmap read back straight.
  TBytes png = ReadFixture("pattern_rgba.png");
  IStream* stream = CreateMemoryStream(png.data(), png.size());
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromStream(stream, &bitmap), Ok);
  stream->Release();
  ARGB c = 0;
  GdipBitmapGetPixel(bitmap, 0, 0, &c);
  EXPECT_EQ(c, 0xFF00FF00u);
  GdipBitmapGetPixel(bitmap, 21, 1, &c);
  EXPECT_EQ(Alpha(c), 0);
  EXPECT_EQ(GdipBitmapGetPixel(bitmap, 24, 0, &c), InvalidParameter);
  GdipDisposeImage(bitmap);
  // Damaged or foreign data is a status, not an image.
  png.resize(png.size() / 2);
  stream = CreateMemoryStream(png.data(), png.size());
  GpImage* image = reinterpret_cast<GpImage*>(1);
  EXPECT_EQ(GdipLoadImageFromStream(stream, &image), UnknownImageFormat);
  EXPECT_EQ(image, nullptr);
  stream->Release();
  EXPECT_EQ(GdipLoadImageFromStream(nullptr, &image), InvalidParameter);
}

TEST(GdiPlus, BitmapsFromMemoryAndColourKeys) {
  uint32_t pixels[6] = {0xFFFF00FF, 0xFF102030, 0x80FF0000, 0xFFFF00FF, 0x00000000, 0xFF00FF00};
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromScan0(3, 2, 12, PixelFormat32bppARGB, reinterpret_cast<uint8_t*>(pixels), &bitmap), Ok);
  ARGB c = 0;
  GdipBitmapGetPixel(bitmap, 1, 0, &c);
  EXPECT_EQ(c, 0xFF102030u);
  GdipBitmapGetPixel(bitmap, 2, 0, &c);
  EXPECT_EQ(Alpha(c), 0x80);
  EXPECT_EQ(Red(c), 0xFF);
  EXPECT_EQ(GdipCreateBitmapFromScan0(3, 2, 4, PixelFormat32bppARGB, reinterpret_cast<uint8_t*>(pixels), &bitmap),
            InvalidParameter);  // a stride shorter than a row

  // Drawn through a colour key of magenta, the magenta pixels are left out.
  TCanvasBitmap canvas(3, 2);
  GdipGraphicsClear(canvas.Graphics, 0xFFFFFFFF);
  GpImageAttributes* attributes = nullptr;
  GdipCreateImageAttributes(&attributes);
  GdipSetImageAttributesColorKeys(attributes, ColorAdjustTypeDefault, true, 0xFFFF00FF, 0xFFFF00FF);
  ASSERT_EQ(GdipDrawImageRectRect(canvas.Graphics, bitmap, 0, 0, 3, 2, 0, 0, 3, 2, UnitPixel, attributes, nullptr,
                                  nullptr), Ok);
  EXPECT_EQ(canvas.At(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(canvas.At(1, 0), 0xFF102030u);
  EXPECT_EQ(canvas.At(0, 1), 0xFFFFFFFFu);
  EXPECT_EQ(canvas.At(2, 1), 0xFF00FF00u);
  GdipDisposeImageAttributes(attributes);
  GdipDisposeImage(bitmap);
}

TEST(GdiPlus, GraphicsOnADeviceContextKeepItsOriginAndClip) {
  TDcPtr dc(CreateImageDC(40, 40));
  SetViewportOrgEx(dc.get(), 10, 10, nullptr);
  IntersectClipRect(dc.get(), 0, 0, 20, 20);
  GpGraphics* g = nullptr;
  ASSERT_EQ(GdipCreateFromHDC(dc.get(), &g), Ok);
  GpSolidFill* red = nullptr;
  GdipCreateSolidFill(0xFFFF0000, &red);
  GdipFillRectangle(g, red, -0.5f, -0.5f, 100, 100);
  gditest::TSnapshot shot = gditest::Snapshot(dc.get());
  EXPECT_EQ(gditest::CountColor(shot, {0, 0, 40, 40}, RGB(255, 0, 0)), 400);
  EXPECT_EQ(shot.At(10, 10), RGB(255, 0, 0));
  EXPECT_EQ(shot.At(30, 30), RGB(255, 255, 255));
  // A clip region of the graphics' own narrows it further, and resets.
  GpRectF inner{2, 2, 4, 4};
  GpRegion* region = nullptr;
  GdipCreateRegionRect(&inner, &region);
  GdipSetClipRegion(g, region, CombineModeReplace);
  GpSolidFill* blue = nullptr;
  GdipCreateSolidFill(0xFF0000FF, &blue);
  GdipFillRectangle(g, blue, -0.5f, -0.5f, 100, 100);
  shot = gditest::Snapshot(dc.get());
  EXPECT_EQ(gditest::CountColor(shot, {0, 0, 40, 40}, RGB(0, 0, 255)), 16);
  EXPECT_EQ(shot.At(12, 12), RGB(0, 0, 255));
  GdipResetClip(g);
  HDC same = nullptr;
  EXPECT_EQ(GdipGetDC(g, &same), Ok);
  EXPECT_EQ(same, dc.get());
  EXPECT_EQ(GdipReleaseDC(g, same), Ok);
  GdipDeleteRegion(region);
  GdipDeleteBrush(red);
  GdipDeleteBrush(blue);
  GdipDeleteGraphics(g);
}

TEST(GdiPlus, NullArgumentsGiveStatusesNotCrashes) {
  EXPECT_EQ(GdipCreateFromHDC(nullptr, nullptr), InvalidParameter);
  EXPECT_EQ(GdipGraphicsClear(nullptr, 0), InvalidParameter);
  EXPECT_EQ(GdipFillPath(nullptr, nullptr, nullptr), InvalidParameter);
  EXPECT_EQ(GdipDrawLine(nullptr, nullptr, 0, 0, 1, 1), InvalidParameter);
  EXPECT_EQ(GdipDeleteBrush(nullptr), InvalidParameter);
  EXPECT_EQ(GdipDisposeImage(nullptr), InvalidParameter);
  GpSmoothingMode mode;
  EXPECT_EQ(GdipGetSmoothingMode(nullptr, &mode), InvalidParameter);
  GpImage* none = nullptr;
  GpGraphics* graphics = nullptr;
  EXPECT_EQ(GdipGetImageGraphicsContext(none, &graphics), InvalidParameter);
  TBytes gif = ReadFixture("pattern.gif");
  IStream* stream = CreateMemoryStream(gif.data(), gif.size());
  GpImage* indexed = nullptr;
  ASSERT_EQ(GdipLoadImageFromStream(stream, &indexed), Ok);
  stream->Release();
  EXPECT_EQ(GdipGetImageGraphicsContext(indexed, &graphics), OutOfMemory);
  GdipDisposeImage(indexed);
  GpPath* path = nullptr;
  GdipCreatePath(FillModeWinding, &path);
  EXPECT_EQ(GdipAddPathArc(path, 0, 0, 0, 10, 0, 90), InvalidParameter);
  EXPECT_EQ(GdipAddPathLine(path, 0, 0, std::numeric_limits<REAL>::infinity(), 1), InvalidParameter);
  GdipDeletePath(path);
}

TEST(GdiPlus, ImageGraphicsAndItsDeviceContext) {
  TCanvasBitmap canvas(10, 10);
  GdipGraphicsClear(canvas.Graphics, 0xFF000080);
  EXPECT_EQ(canvas.At(5, 5), 0xFF000080u);
  HDC dc = nullptr;
  ASSERT_EQ(GdipGetDC(canvas.Graphics, &dc), Ok);
  HDC again = nullptr;
  EXPECT_EQ(GdipGetDC(canvas.Graphics, &again), ObjectBusy);
  HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
  FillRect(dc, {0, 0, 5, 10}, yellow);
  DeleteObject(yellow);
  EXPECT_EQ(GdipReleaseDC(canvas.Graphics, dc), Ok);
  EXPECT_EQ(canvas.At(2, 2), 0xFFFFFF00u);
  EXPECT_EQ(canvas.At(7, 2), 0xFF000080u);
  GpSmoothingMode mode;
  GdipSetSmoothingMode(canvas.Graphics, SmoothingModeAntiAlias);
  GdipGetSmoothingMode(canvas.Graphics, &mode);
  EXPECT_EQ(mode, SmoothingModeAntiAlias);
}

}  // namespace
