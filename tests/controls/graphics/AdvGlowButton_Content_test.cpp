// The glow button's content: the content size per layout on both text paths, where a
// captionless glyph goes, notes, line breaks, hidden accelerators, colour-keyed pictures and the
// grey of a disabled caption and arrow.
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Streams.h"
#include "tests/controls/graphics/GlowButtonTestSupport.h"

namespace {

using namespace glowtest;

class GlowContent : public TGlowButtonTest {
 public:
  GlowContent() : Images(16, 16) {
    TBitmap glyph(16, 16);
    glyph.Canvas()->Brush()->SetColor(clBlue);
    glyph.Canvas()->FillRect(Rect(0, 0, 16, 16));
    Images.Add(&glyph, nullptr);
  }
  // The content size DrawGlowButton measures for the button's look.
  static TSize Measure(TAdvGlowButton* b, TButtonLayout layout, TAntiAlias antiAlias,
                       TCustomImageList* images) {
    TGlowDrawParams p;
    p.Caption = b->Caption();
    p.Font = b->Font();
    p.Images = images;
    p.ImageIndex = images ? 0 : -1;
    p.Layout = layout;
    p.AntiAlias = antiAlias;
    p.MeasureOnly = true;
    b->HandleNeeded();
    TControlCanvas canvas;
    canvas.SetControl(b);
    return DrawGlowButton(b, &canvas, Rect(0, 0, 100, 4096), p);
  }
  TCustomImageList Images;
};

TEST_F(GlowContent, ContentSizePerLayoutOnBothTextPaths) {
  TAdvGlowButton* b = Add(u"Зачувај", Bounds(10, 10, 100, 41));
  b->Font()->SetName(u"DejaVu Sans");
  b->Font()->SetSize(10);
  const int sp = 2, g = 16;
  // The caption's own size on each path, measured as each path measures it.
  TControlCanvas canvas;
  canvas.SetControl(b);
  canvas.Font()->Assign(b->Font());
  TGPGraphics graphics(canvas.Handle());
  TGPFontFamily family(u"DejaVu Sans");
  TGPFont font(&family, 10);
  TGPStringFormat format;
  format.SetAlignment(StringAlignmentCenter);
  format.SetLineAlignment(StringAlignmentCenter);
  TGPFloatRect bounds{};
  graphics.MeasureString(u"Зачувај", -1, &font, MakeRectF(0, 0, 4096, 4096), &format, bounds);
  const int gpW = int(Round(bounds.Width)), gpH = int(Round(bounds.Height));
  TRect calc = Rect(0, 0, 100, 4096);
  const int gdiH = DrawText(canvas.Handle(), u"Зачувај", calc, DT_CALCRECT | DT_WORDBREAK);
  const int gdiW = calc.Width();
  ASSERT_GT(gpW, 20);
  ASSERT_GT(gdiW, 20);
  struct Case {
    TButtonLayout Layout;
    TAntiAlias AntiAlias;
    int Width, Height;
  } cases[] = {
      // Glyph beside the caption: it grows by the spacing.
      {blGlyphLeft, aaClearType, gpW + g + sp + sp, std::max(gpH + sp, g + sp)},
      {blGlyphRight, aaAntiAlias, gpW + g + sp + sp, std::max(gpH + sp, g + sp)},
      {blGlyphLeft, aaNone, gdiW + g + sp + sp, std::max(gdiH + sp, g + sp)},
      {blGlyphRightAdjusted, aaNone, gdiW + g + sp + sp, std::max(gdiH + sp, g + sp)},
      {blGlyphLeftAdjusted, aaNone, gdiW + g + sp + sp, std::max(gdiH + sp, g + sp)},
      // Glyph above: only the top layouts grow the glyph's height; GDI adds the spacing.
      {blGlyphTop, aaClearType, std::max(gpW + sp, g + sp), gpH + g + sp},
      {blGlyphBottom, aaClearType, std::max(gpW + sp, g + sp), gpH + g},
      {blGlyphTopAdjusted, aaNone, std::max(gdiW + sp, g + sp), gdiH + g + sp + sp},
      {blGlyphBottomAdjusted, aaNone, std::max(gdiW + sp, g + sp), gdiH + g + sp},
  };
  for (const Case& c : cases) {
    TSize size = Measure(b, c.Layout, c.AntiAlias, &Images);
    EXPECT_EQ(size.cx, c.Width) << c.Layout << " " << c.AntiAlias;
    EXPECT_EQ(size.cy, c.Height) << c.Layout << " " << c.AntiAlias;
  }
  // A face that is no screen font goes to GDI text even with anti-aliasing asked for.
  b->Font()->SetName(u"No Such Face 123");
  TSize missing = Measure(b, blGlyphTop, aaClearType, &Images);
  EXPECT_EQ(missing.cy - g - sp, Measure(b, blGlyphTop, aaNone, &Images).cy - g - sp);
}

TEST_F(GlowContent, ACaptionlessGlyphIsCentredLessEightOnTheDropDownSide) {
  TAdvGlowButton* b = Add(u"", Bounds(10, 10, 100, 41));
  Solid(b->Appearance(), clLime, clLime, clLime, clLime, clLime);
  b->SetImages(&Images);
  b->SetImageIndex(0);
  auto glyphBox = [&] {
    Painted(b, 0, 0);
    TRect box{1000, 1000, -1, -1};
    HDC dc = GetDC(b->Handle());
    for (int y = 0; y < b->Height(); ++y)
      for (int x = 0; x < b->Width(); ++x)
        if (GetPixel(dc, x, y) == Rgb(clBlue)) {
          box.Left = std::min(box.Left, x);
          box.Top = std::min(box.Top, y);
          box.Right = std::max(box.Right, x + 1);
          box.Bottom = std::max(box.Bottom, y + 1);
        }
    ReleaseDC(b->Handle(), dc);
    return box;
  };
  EXPECT_EQ(glyphBox(), Rect(42, 12, 58, 28));
  b->SetDropDownButton(true);
  EXPECT_EQ(glyphBox(), Rect(38, 12, 54, 28)) << "centred in 92 of the 100 pixels";
  b->SetDropDownPosition(dpBottom);
  EXPECT_EQ(glyphBox(), Rect(42, 8, 58, 24)) << "centred in 33 of the 41 pixels";
}

TEST_F(GlowContent, NotesGoUnderALeftAlignedCaptionInTheirOwnFont) {
  TAdvGlowButton* b = Add(u"Наслов", Bounds(10, 10, 200, 60));
  b->SetLayout(blGlyphTop);
  b->Notes()->Add(u"белешка");
  b->NotesFont()->SetColor(clNavy);
  Show();
  TGPCallLog log;
  {
    TGPCallLogScope scope(log);
    b->Repaint();
  }
  std::vector<TGPCall> drawn = log.Named("GdipDrawString");
  ASSERT_EQ(drawn.size(), 2u) << log.Dump();
  EXPECT_EQ(drawn[0].Text, u"Наслов");
  EXPECT_EQ(drawn[1].Text, u"белешка");
  EXPECT_EQ(drawn[1].FontFamily, u"Tahoma");
  EXPECT_EQ(drawn[1].FontSize, 8);
  EXPECT_EQ(drawn[1].Brush.Colors, std::vector<ARGB>{0xFF000080});
  EXPECT_GT(drawn[1].Args[1], drawn[0].Args[1] + 5) << "below the caption";
  // The caption starts at the left, as the glyph-left-adjusted layout puts it.
  int ink = Count(b, Rect(2, 4, 30, 56), [](COLORREF c) { return (c & 0xFF) < 0x60; });
  EXPECT_GT(ink, 5);
}

TEST_F(GlowContent, BackslashNBreaksTheLineOrBecomesABlankInASmallSizeState) {
  TAdvGlowButton* b = Add(u"Прв\\nвтор", Bounds(10, 10, 200, 60));
  Show();
  auto caption = [&] {
    TGPCallLog log;
    {
      TGPCallLogScope scope(log);
      b->Repaint();
    }
    std::vector<TGPCall> drawn = log.Named("GdipDrawString");
    return drawn.empty() ? String(u"<none>") : drawn[0].Text;
  };
  EXPECT_EQ(caption(), u"Прв\r\nвтор");
  b->SetCaption(u"Прв\\Nвтор");
  EXPECT_EQ(caption(), u"Прв\r\nвтор") << "either case";
  // Two lines are twice as high as one.
  TSize two = Measure(b, blGlyphLeft, aaClearType, nullptr);
  b->SetCaption(u"Прв");
  TSize one = Measure(b, blGlyphLeft, aaClearType, nullptr);
  EXPECT_GE(two.cy - 2, 2 * (one.cy - 2) - 2);
  b->SetCaption(u"Прв\\nвтор");
  b->SetAutoSize(true);
  b->SetMaxButtonSizeState(bsLabel);
  EXPECT_EQ(caption(), u"Прв втор");
}

TEST_F(GlowContent, AcceleratorsHideOnBothPathsWhileTheWindowHidesKeyboardCues) {
  TAdvGlowButton* marked = Add(u"&Q", Bounds(10, 10, 80, 30));
  TAdvGlowButton* plain = Add(u"Q", Bounds(10, 50, 80, 30));
  Show();
  for (TAntiAlias antiAlias : {aaClearType, aaNone}) {
    SCOPED_TRACE(antiAlias);
    marked->SetAntiAlias(antiAlias);
    plain->SetAntiAlias(antiAlias);
    SendMessage(Form->Handle(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    marked->Repaint();
    plain->Repaint();
    EXPECT_NE(Pixels(marked, Rect(0, 0, 80, 30)), Pixels(plain, Rect(0, 0, 80, 30)))
        << "the underline shows";
    SendMessage(Form->Handle(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEACCEL), 0);
    marked->Repaint();
    plain->Repaint();
    EXPECT_EQ(Pixels(marked, Rect(0, 0, 80, 30)), Pixels(plain, Rect(0, 0, 80, 30)));
  }
}

TEST_F(GlowContent, ABmpIsColourKeyedOnItsBottomLeftPixelAndAPngIsNot) {
  // The fixtures are 24 x 16: red and blue halves over a white band of four rows.
  struct Case {
    const char* File;
    COLORREF Band;
  } cases[] = {{"pattern24.bmp", Rgb(clLime)}, {"pattern_rgba.png", Rgb(clWhite)}};
  for (const Case& c : cases) {
    TAdvGlowButton* b = Add(u"", Bounds(10, 10, 100, 40));
    Solid(b->Appearance(), clLime, clLime, clLime, clLime, clLime);
    TBytesStream stream(gdiptest::ReadFixture(c.File));
    b->Picture()->LoadFromStream(&stream);
    ASSERT_FALSE(b->Picture()->Empty()) << c.File;
    // Centred: (100 - 24) / 2, (40 - 16) / 2.
    EXPECT_EQ(Painted(b, 38 + 2, 12 + 2), Rgb(clRed)) << c.File;
    EXPECT_EQ(Pixel(b, 38 + 2, 12 + 14), c.Band) << c.File;
  }
}

TEST_F(GlowContent, ADisabledButtonDrawsCaptionAndArrowGrey) {
  TAdvGlowButton* b = Add(u"Мени", Bounds(10, 10, 120, 41));
  Solid(b->Appearance(), clWhite, clWhite, clWhite, clWhite, clWhite);
  b->SetDropDownButton(true);
  TRect strip = Rect(107, 2, 119, 39);  // inside the outline
  auto inkOf = [&](COLORREF ink) {
    return Count(b, strip, [&](COLORREF c) { return c == ink; });
  };
  Painted(b, 0, 0);
  EXPECT_EQ(inkOf(0), 9) << "five, three and the tip";
  b->SetEnabled(false);
  TGPCallLog log;
  {
    TGPCallLogScope scope(log);
    b->Repaint();
  }
  ASSERT_EQ(log.Named("GdipDrawString").size(), 1u);
  EXPECT_EQ(log.Named("GdipDrawString")[0].Brush.Colors, std::vector<ARGB>{0xFF808080});
  EXPECT_EQ(inkOf(0), 0);
  EXPECT_EQ(inkOf(RGB(128, 128, 128)), 9);
  // On the GDI path too.
  b->SetAntiAlias(aaNone);
  b->Repaint();
  EXPECT_GT(Count(b, Rect(0, 0, 106, 41), [](COLORREF c) { return c == RGB(128, 128, 128); }), 5);
  EXPECT_EQ(Count(b, Rect(0, 0, 106, 41), [](COLORREF c) { return c == 0; }), 0);
}

}  // namespace
