#include "controls/graphics/AdvGDIP.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/gdi/GdiConst.h"
#include "platform/gdi/SysColors.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/controls/graphics/GraphicsTestSupport.h"

namespace {

using gdiptest::TSurface;

TEST(AdvGDIPColors, ClassLibraryColoursBecomeArgb) {
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  ARGB faceArgb = 0xFF000000 | (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
  struct {
    const char* Name;
    ARGB Got, Want;
  } cases[] = {
      {"alpha over red", MakeColorAlpha(128, clRed), 0x80FF0000},
      {"blue", ColorToARGB(clBlue), 0xFF0000FF},
      {"arguments modulo 256", MakeARGB(1, 2, 3, 300), 0x0102032C},
      {"negative alpha modulo 256", MakeARGB(-1, 0, 0, 0), 0xFF000000},
      {"system colour resolved", ColorToARGB(clBtnFace), faceArgb},
      {"system colour with alpha", MakeColorAlpha(64, clBtnFace),
       (faceArgb & 0x00FFFFFF) | 0x40000000},
      {"clNone taken as it stands", ColorToARGB(clNone), 0xFFFFFFFF},
      {"mixed channels", ColorToARGB(static_cast<TColor>(0x123456)), 0xFF563412},
      {"opaque rgb", MakeRGBColor(1, 2, 3), 0xFF010203},
  };
  for (const auto& c : cases) EXPECT_EQ(c.Got, c.Want) << c.Name;
  EXPECT_EQ(GetRed(0x80563412), 0x56);
  EXPECT_EQ(GetGreen(0x80563412), 0x34);
  EXPECT_EQ(GetBlue(0x80563412), 0x12);
}

// A failed call never throws: it is recorded as the wrapper's last status and returned.
TEST(AdvGDIPStatus, FailuresAreRecordedNotThrown) {
  TGPCallLog log;
  TGPCallLogScope scope(log);

  // Surround colours: more colours than the path has points, and a path without points.
  TGPGraphicsPath line;
  line.AddLine(0, 0, 10, 10);
  TGPPathGradientBrush onLine(&line);
  ARGB colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  int count = 3;
  EXPECT_EQ(onLine.SetSurroundColors(colours, count), InvalidParameter);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(onLine.GetLastStatus(), InvalidParameter);
  TGPGraphicsPath empty;
  TGPPathGradientBrush onEmpty(&empty);
  count = 1;
  EXPECT_EQ(onEmpty.SetSurroundColors(colours, count), InvalidParameter);
  EXPECT_EQ(onEmpty.SetSurroundColors(nullptr, count), InvalidParameter);
  // The ones that fit are taken and the count says how many were used.
  TGPGraphicsPath box;
  box.AddRectangle(MakeRectF(0, 0, 10, 10));
  TGPPathGradientBrush onBox(&box);
  count = 2;
  EXPECT_EQ(onBox.SetSurroundColors(colours, count), Ok);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(onBox.GetLastStatus(), Ok);

  // A blend of no colours is refused before the flat API is asked.
  TGPLinearGradientBrush linear(MakeRectF(0, 0, 10, 10), 0xFF000000, 0xFFFFFFFF,
                                LinearGradientModeVertical);
  float positions[2] = {0, 1};
  log.Clear();
  EXPECT_EQ(linear.SetInterpolationColors(colours, positions, 0), InvalidParameter);
  EXPECT_EQ(onBox.SetInterpolationColors(colours, positions, -1), InvalidParameter);
  EXPECT_TRUE(log.Calls().empty()) << log.Dump();
  EXPECT_EQ(linear.GetLastStatus(), InvalidParameter);
  EXPECT_EQ(linear.SetInterpolationColors(colours, positions, 2), Ok);
  ASSERT_EQ(log.Named("GdipSetLinePresetBlend").size(), 1u);
  EXPECT_EQ(log.Calls().back().Brush.BlendColors, std::vector<ARGB>(colours, colours + 2));
  // A status once failed stays the last status until another failure replaces it.
  EXPECT_EQ(linear.GetLastStatus(), InvalidParameter);

  // A graphics over no image has no handle: every call answers for a null object.
  TGPGraphics failed(static_cast<TGPImage*>(nullptr));
  EXPECT_EQ(failed.NativeHandle(), nullptr);
  EXPECT_EQ(failed.GetSmoothingMode(), -1);
  TGPSolidBrush brush(0xFF000000);
  EXPECT_EQ(failed.FillRectangle(&brush, 0, 0, 5, 5), InvalidParameter);
  EXPECT_EQ(failed.GetLastStatus(), InvalidParameter);

  // An image that does not decode: no handle, sizes 0, format undefined.
  const uint8_t junk[] = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
  IStream* stream = CreateMemoryStream(junk, sizeof junk);
  TGPImage image(stream);
  stream->Release();
  EXPECT_EQ(image.NativeHandle(), nullptr);
  EXPECT_NE(image.GetLastStatus(), Ok);
  EXPECT_EQ(image.GetWidth(), 0u);
  EXPECT_EQ(image.GetHeight(), 0u);
  EXPECT_EQ(image.GetFormat(), TGPImageFormat::ifUndefined);
  // A null pen and path pass null handles rather than crash.
  TSurface surface(4, 4);
  EXPECT_EQ(surface.Graphics.DrawPath(nullptr, nullptr), InvalidParameter);
}

TEST(AdvGDIPStartup, AWrapperStartsGdiplusWhenNoneIsRunning) {
  { TGPSolidBrush first(0xFF000000); }
  AdvGDIPTesting::ShutdownGdiplus();
  EXPECT_EQ(GdipAlloc(8), nullptr) << "the seam should leave GDI+ stopped";
  TSurface surface(8, 8, 0xFF0000FF);
  ASSERT_NE(surface.Graphics.NativeHandle(), nullptr);
  void* memory = GdipAlloc(8);
  EXPECT_NE(memory, nullptr);
  GdipFree(memory);
  TGPSolidBrush red(0xFFFF0000);
  EXPECT_EQ(surface.Graphics.FillRectangle(&red, 0, 0, 8, 8), Ok);
  EXPECT_EQ(surface.At(4, 4), 0xFFFF0000u);
}

TEST(AdvGDIPImage, FormatsFollowTheDecodedData) {
  struct {
    const char* Fixture;
    TGPImageFormat Format;
    int Depth;
  } cases[] = {
      {"pattern24.bmp", TGPImageFormat::ifBMP, 0}, {"pattern_rgba.png", TGPImageFormat::ifPNG, 32},
      {"pattern.jpg", TGPImageFormat::ifJPEG, 0},  {"pattern.gif", TGPImageFormat::ifGIF, 0},
      {"icons.ico", TGPImageFormat::ifIcon, 0},
  };
  for (const auto& c : cases) {
    TBytes bytes = gdiptest::ReadFixture(c.Fixture);
    TDecodedImage decoded(bytes);
    ASSERT_TRUE(decoded.Valid()) << c.Fixture;
    EXPECT_EQ(decoded.Image().GetFormat(), c.Format) << c.Fixture;
    if (c.Depth != 0) {
      EXPECT_EQ(decoded.Image().GetPixelDepth(), c.Depth) << c.Fixture;
    }
  }
  TDecodedImage png(gdiptest::ReadFixture("pattern_rgba.png"));
  EXPECT_TRUE(png.Image().HasAlpha());
  EXPECT_FALSE(png.Image().IsIndexed());
  EXPECT_EQ(png.Image().GetWidth(), 24u);
  EXPECT_EQ(png.Image().GetHeight(), 16u);
  ARGB corner = 0;
  EXPECT_EQ(png.NewBitmap()->GetPixel(0, 0, corner), Ok);
  EXPECT_EQ(corner, 0xFF00FF00u);  // the pattern's green pixel
}

// The log sees each call with the state that decides what it paints.
TEST(AdvGDIPCallLog, CallsCarryBrushPenPathClipAndModes) {
  TSurface surface(60, 40);
  TGPCallLog outer, inner;
  TGPCallLogScope outerScope(outer);
  TGPGraphics& g = surface.Graphics;
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  g.SetTextRenderingHint(TextRenderingHintAntiAlias);
  TGPRegion clip(MakeRectF(5, 5, 40, 20));
  g.SetClip(&clip);
  TGPGraphicsPath path;
  path.AddEllipse(10, 8, 30, 16);
  TGPPathGradientBrush radial(&path);
  radial.SetCenterColor(0xFFFFFFFF);
  ARGB surround = 0xFF336699;
  int count = 1;
  radial.SetSurroundColors(&surround, count);
  {
    TGPCallLogScope innerScope(inner);
    g.FillPath(&radial, &path);
  }
  TGPPen pen(0x80112233, 2);
  pen.SetDashStyle(DashStyleDot);
  g.DrawPath(&pen, &path);
  g.ResetClip();
  TGPLinearGradientBrush angled(MakeRectF(0, 0, 60, 40), 0xFF000000, 0xFFFFFFFF, 45);
  g.FillRectangle(&angled, 1, 2, 3, 4);

  ASSERT_EQ(inner.Calls().size(), 1u) << inner.Dump();
  const TGPCall& fill = inner.Calls()[0];
  EXPECT_EQ(fill.Name, "GdipFillPath");
  EXPECT_EQ(fill.Brush.Kind, TGPBrushKind::PathGradient);
  EXPECT_EQ(fill.Brush.CenterColor, 0xFFFFFFFFu);
  EXPECT_EQ(fill.Brush.SurroundColors, std::vector<ARGB>{0xFF336699});
  EXPECT_GT(fill.PathPoints, 4);
  EXPECT_NEAR(fill.PathBounds.X, 10, 0.01);
  EXPECT_NEAR(fill.PathBounds.Width, 30, 0.01);
  EXPECT_NEAR(fill.PathBounds.Height, 16, 0.01);
  EXPECT_TRUE(fill.Clipped);
  EXPECT_EQ(fill.ClipBounds.X, 5);
  EXPECT_EQ(fill.ClipBounds.Width, 40);
  EXPECT_EQ(fill.SmoothingMode, SmoothingModeAntiAlias);
  EXPECT_EQ(fill.TextHint, TextRenderingHintAntiAlias);
  EXPECT_TRUE(outer.Named("GdipFillPath").empty()) << "only the innermost log hears a call";

  std::vector<TGPCall> draws = outer.Named("GdipDrawPath");
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_TRUE(draws[0].Pen.Present);
  EXPECT_EQ(draws[0].Pen.Color, 0x80112233u);
  EXPECT_EQ(draws[0].Pen.Width, 2);
  EXPECT_EQ(draws[0].Pen.DashStyle, DashStyleDot);
  std::vector<TGPCall> rects = outer.Named("GdipFillRectangle");
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_FALSE(rects[0].Clipped);
  EXPECT_EQ(rects[0].Args, (std::vector<float>{1, 2, 3, 4}));
  EXPECT_EQ(rects[0].Brush.Kind, TGPBrushKind::LinearGradient);
  EXPECT_TRUE(rects[0].Brush.HasAngle);
  EXPECT_EQ(rects[0].Brush.Angle, 45);
  EXPECT_EQ(rects[0].Brush.Colors, (std::vector<ARGB>{0xFF000000, 0xFFFFFFFF}));
  // The clip kept what it bounds: nothing outside it was painted by the radial fill.
  EXPECT_EQ(surface.At(12, 4), 0xFFFFFFFFu);
}

// --- Text --------------------------------------------------------------------------------------

TEST(AdvGDIPText, MakeFontKeepsStyleAndSizeAndFallsBackToArial) {
  struct {
    const char16_t* Name;
    TFontStyles Styles;
    int Size;
    const char16_t* Family;
    int Style;
  } cases[] = {
      {u"Verdana", {}, 9, u"Verdana", FontStyleRegular},
      {u"No Such Face 123", {fsBold, fsItalic}, 14, u"Arial", FontStyleBold | FontStyleItalic},
      {u"Nonexistent Typeface",
       {fsUnderline, fsStrikeOut},
       8,
       u"Arial",
       FontStyleUnderline | FontStyleStrikeout},
      {u"Segoe UI", {fsBold}, 11, u"Segoe UI", FontStyleBold},
  };
  TSurface surface(4, 4);
  for (const auto& c : cases) {
    TFont font;
    font.SetName(c.Name);
    font.SetStyle(c.Styles);
    font.SetSize(c.Size);
    std::unique_ptr<TGPFont, TObjectFree> made(surface.Graphics.MakeFont(&font));
    ASSERT_NE(made->NativeHandle(), nullptr) << UTF8Encode(c.Name);
    EXPECT_EQ(made->NativeHandle()->Family, String(c.Family)) << UTF8Encode(c.Name);
    EXPECT_EQ(made->NativeHandle()->Style, c.Style) << UTF8Encode(c.Name);
    EXPECT_EQ(made->NativeHandle()->Size, c.Size) << UTF8Encode(c.Name);
    EXPECT_EQ(made->NativeHandle()->Unit, UnitPoint);
  }
}

// The bounding box GDI+ gives for the text in DrawText's measuring layout.
TGPFloatRect Measure(TGPGraphics& g, TFont& font, const String& text, const TRect& r) {
  std::unique_ptr<TGPFont, TObjectFree> made(g.MakeFont(&font));
  TGPFloatRect bounds;
  g.MeasureString(text, -1, made.get(),
                  MakeRectF(r.Left, r.Top, r.Right - r.Left + 1000, r.Bottom - r.Top), bounds);
  return bounds;
}

TEST(AdvGDIPText, DrawTextMeasuresWithTheMarginOfItsSize) {
  TSurface surface(200, 60);
  struct {
    int Size;
    float Margin;
  } cases[] = {{8, 2}, {14, 6}, {20, 10}};
  for (const auto& c : cases) {
    TFont font;
    font.SetName(u"Tahoma");
    font.SetSize(c.Size);
    TRect r{10, 5, 50, 25};
    TGPFloatRect bounds = Measure(surface.Graphics, font, u"Members", r);
    int height = surface.Graphics.DrawText(u"Members", -1, r, &font, DT_CALCRECT);
    EXPECT_EQ(r.Left, 10);
    EXPECT_EQ(r.Right, 10 + Round(bounds.Width - c.Margin)) << c.Size;
    EXPECT_EQ(r.Bottom, 5 + Round(bounds.Height)) << c.Size;
    EXPECT_EQ(height, r.Bottom - r.Top);
  }
  EXPECT_EQ(surface.CountOther(0xFFFFFFFF), 0) << "measuring draws nothing";
}

TEST(AdvGDIPText, DrawTextMeasuresATrailingBlankAsTheLetterI) {
  TSurface surface(200, 60);
  TFont font;
  font.SetSize(12);
  auto width = [&](const String& text) {
    TRect r{0, 0, 0, 0};
    surface.Graphics.DrawText(text, -1, r, &font, DT_CALCRECT);
    return r.Right;
  };
  EXPECT_EQ(width(u"Tasks "), width(u"Tasksi"));
  EXPECT_NE(width(u"Tasks "), width(u"Tasks"));
  // A lone blank is measured as it is.
  TRect lone{0, 0, 0, 0};
  surface.Graphics.DrawText(u" ", -1, lone, &font, DT_CALCRECT);
  int margin = 2 + 3;  // size 12: 2 + Round(4 / 1.5)
  EXPECT_EQ(lone.Right, Round(Measure(surface.Graphics, font, u" ", TRect{}).Width - margin));
}

TEST(AdvGDIPText, DrawTextFillsItsBackgroundThenDrawsTheText) {
  TSurface surface(200, 60);
  TFont font;
  font.SetSize(10);
  font.SetColor(clBlack);
  TGPCallLog log;
  TGPCallLogScope scope(log);
  TRect r{10, 10, 100, 40};
  int height = surface.Graphics.DrawText(u"Ивана", -1, r, &font, 0, clRed);
  EXPECT_GT(height, 5);
  EXPECT_EQ(log.Names(),
            (std::vector<std::string>{"GdipMeasureString", "GdipFillRectangle", "GdipDrawString"}));
  const TGPCall& fill = log.Calls()[1];
  EXPECT_EQ(fill.Brush.Colors, std::vector<ARGB>{0xFFFF0000});
  EXPECT_EQ(fill.Args[0], 11);  // one pixel in from the left
  EXPECT_EQ(fill.Args[1], 10);
  EXPECT_EQ(log.Calls()[2].Text, u"Ивана");
  EXPECT_EQ(log.Calls()[2].Brush.Colors, std::vector<ARGB>{0xFF000000});
  // The background is red where no glyph covers it; the column left of it stays white.
  EXPECT_EQ(surface.At(r.Right - 1, r.Bottom - 1), 0xFFFF0000u);
  EXPECT_EQ(surface.At(10, r.Bottom - 1), 0xFFFFFFFFu);
  int ink = 0;
  for (int y = r.Top; y < r.Bottom; ++y) {
    for (int x = r.Left; x < r.Right; ++x)
      ink += surface.At(x, y) != 0xFFFF0000 && surface.At(x, y) != 0xFFFFFFFF;
  }
  EXPECT_GT(ink, 20) << "the text was drawn over the background";
}

// Text reaches the drawing unchanged: the ANSI code page is UTF-8, so Cyrillic, characters outside
// every 8-bit page and combining marks survive both string forms.
TEST(AdvGDIPText, WideAndAnsiFormsDrawWhatTheFlatCallDraws) {
  const String text = u"Жена 😀 e\u0301";
  TFont font;
  font.SetSize(14);
  TSurface direct(160, 40), wide(160, 40), ansi(160, 40), origin(160, 40);
  std::unique_ptr<TGPFont, TObjectFree> made(direct.Graphics.MakeFont(&font));
  TGPSolidBrush black(0xFF000000);
  GpRectF layout{2, 2, 150, 30};
  ASSERT_EQ(GdipDrawString(direct.Graphics.NativeHandle(), text.c_str(), -1, made->NativeHandle(),
                           &layout, nullptr, black.NativeHandle()),
            Ok);
  EXPECT_GT(direct.CountOther(0xFFFFFFFF), 50);
  EXPECT_EQ(wide.Graphics.DrawWideString(text, 3, made.get(), layout, nullptr, &black), Ok);
  EXPECT_EQ(ansi.Graphics.DrawString(UTF8Encode(text), 1, made.get(), layout, nullptr, &black), Ok);
  EXPECT_EQ(origin.Graphics.DrawWideString(text, 0, made.get(), MakePointF(2, 2), &black), Ok);
  EXPECT_TRUE(wide.SamePixels(direct)) << "the length argument is not consulted";
  EXPECT_TRUE(ansi.SamePixels(direct));
  TSurface originDirect(160, 40);
  GpRectF at{2, 2, 0, 0};
  GdipDrawString(originDirect.Graphics.NativeHandle(), text.c_str(), -1, made->NativeHandle(), &at,
                 nullptr, black.NativeHandle());
  EXPECT_TRUE(origin.SamePixels(originDirect));
}

TEST(AdvGDIPText, TextHeightIsTheRoundedMeasuredHeight) {
  TSurface surface(4, 4);
  TFont font;
  font.SetSize(16);
  int one = surface.Graphics.TextHeight(u"Ред", &font);
  EXPECT_EQ(one, Round(Measure(surface.Graphics, font, u"Ред", TRect{0, 0, 9000, 10000}).Height));
  EXPECT_GT(surface.Graphics.TextHeight(u"Ред\nдва", &font), one + one / 2);
}

}  // namespace
