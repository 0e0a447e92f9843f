// The markup language: what each tag does to the plain text, the sizes and the drawn runs;
// colours and entities.
#include <gtest/gtest.h>

#include <functional>

#include "tests/controls/grid/HtmlTestSupport.h"

namespace {

using namespace htmltest;

const TRect kRect{0, 0, 300, 200};

int PixelHeightOfPoints(int points) {
  TFont font;
  font.SetSize(points);
  return font.Height();
}

TEST(HtmlMarkup, PlainTextOfEveryKindOfText) {
  struct {
    const char16_t* Html;
    const char16_t* Plain;
  } cases[] = {
      {u"a<B>b</B>c", u"abc"},
      {u"a<BR>b", u"a\rb"},
      {u"a\rb", u"a\rb"},             // a carriage return always breaks
      {u"a\nb", u"ab"},               // a line feed alone never does
      {u"<Z>hid</Z>den", u"hidden"},  // hidden text still counts as text
      {u"x &lt;b&gt; y&nbsp;z", u"x <b> y z"},
      {u"<#ID> and <#NAME>", u"#ID and #NAME"},
      {u"&eacute;", u"&eacute;"},  // only the listed entities are decoded
      {u"&euro;&TRADE;&permil;&sect;&para;&copy;&reg;&quot;", u"\u20AC\u2122\u2030\u00A7\u00B6"
                                                               u"\u00A9\u00AE\""},
      {u"&amp;", u"&&"},     // drawn with prefix processing: one ampersand
      {u"&amp;amp;", u"&&&"},  // decoded until none is left
      {u"abc<", u"abc"},     // a "<" without ">" drops the rest
      {u"abc<B cd", u"abc"},
      {u"ab<Q>cd", u"abcd"},  // an unknown tag is consumed
      {u"<A HREF=\"x\">link</A> text", u"link text"},
      {u"", u""},
  };
  TRecordingCanvas c;
  for (const auto& t : cases) {
    TRender r(&c.Canvas, t.Html, kRect, MeasureOnly());
    EXPECT_EQ(r.Result.PlainTextOut, String(t.Plain)) << UTF8Encode(t.Html);
  }
}

// What each tag does to the drawn runs: the run of "x" (or "y" after the closing tag) as
// drawn on the recording canvas.
TEST(HtmlMarkup, EveryTagChangesTheDrawnRuns) {
  using TCheck = std::function<void(const TRecordingCanvas&)>;
  const COLORREF black = 0, red = 0x0000FF, blue = 0xFF0000;
  struct {
    const char16_t* Html;
    TCheck Check;
  } cases[] = {
      {u"<B>x</B>y", [](auto& c) {
         EXPECT_EQ(c.Run(u"x").FontWeight, 700);
         EXPECT_EQ(c.Run(u"y").FontWeight, 400);
       }},
      {u"<I>x</I>y", [](auto& c) {
         EXPECT_TRUE(c.Run(u"x").FontItalic);
         EXPECT_FALSE(c.Run(u"y").FontItalic);
       }},
      {u"<I>x</IMG>y", [](auto& c) { EXPECT_FALSE(c.Run(u"y").FontItalic); }},
      {u"<U>x</U>y", [](auto& c) {
         EXPECT_TRUE(c.Run(u"x").FontUnderline);
         EXPECT_FALSE(c.Run(u"y").FontUnderline);
       }},
      {u"<S>x</S>y", [](auto& c) {
         EXPECT_TRUE(c.Run(u"x").FontStrikeOut);
         EXPECT_FALSE(c.Run(u"y").FontStrikeOut);
       }},
      {u"<FONT FACE=\"Courier New\">x</FONT>y", [](auto& c) {
         EXPECT_EQ(c.Run(u"x").FontName, u"Courier New");
         EXPECT_EQ(c.Run(u"y").FontName, u"Tahoma");
       }},
      {u"<FONT COLOR=\"#ff0000\">x</FONT>y", [&](auto& c) {
         EXPECT_EQ(c.Run(u"x").TextColor, red);
         EXPECT_EQ(c.Run(u"y").TextColor, black);
       }},
      {u"<FONT color=\"clBlue\">x", [&](auto& c) { EXPECT_EQ(c.Run(u"x").TextColor, blue); }},
      {u"<FONT BGCOLOR=\"clYellow\">x</FONT>y", [](auto& c) {
         EXPECT_EQ(c.Run(u"x").BkMode, OPAQUE);
         EXPECT_EQ(c.Run(u"x").BkColor, 0x00FFFFu);
         EXPECT_EQ(c.Run(u"y").BkMode, TRANSPARENT);
       }},
      {u"<FONT SIZE=\"3\">x</FONT>y", [](auto& c) {
         EXPECT_EQ(c.Run(u"x").FontHeight, PixelHeightOfPoints(12));
         EXPECT_EQ(c.Run(u"y").FontHeight, PixelHeightOfPoints(8));
       }},
      {u"<FONT SIZE=\"20\">x", [](auto& c) {
         EXPECT_EQ(c.Run(u"x").FontHeight, PixelHeightOfPoints(20));
       }},
      {u"<HI>x</HI>y", [](auto& c) {
         EXPECT_EQ(c.Run(u"x").BkColor, ColorToRGB(clHighlight));
         EXPECT_EQ(c.Run(u"x").TextColor, ColorToRGB(clHighlightText));
         EXPECT_EQ(c.Run(u"y").BkMode, TRANSPARENT);
       }},
      {u"<SHAD>x</SHAD>", [](auto& c) {
         auto runs = c.Runs();
         ASSERT_EQ(runs.size(), 2u);
         EXPECT_EQ(runs[0].TextColor, ColorToRGB(clGray));  // the shadow first, offset
         EXPECT_EQ(runs[0].ArgRect().Left, runs[1].ArgRect().Left + 1);
         EXPECT_EQ(runs[0].ArgRect().Bottom, runs[1].ArgRect().Bottom + 1);
       }},
      {u"a<SUB>x</SUB>", [](auto& c) {
         EXPECT_GT(c.Run(u"x").ArgRect().Bottom, c.Run(u"a").ArgRect().Bottom);
       }},
      {u"a<SUP>x</SUP>", [](auto& c) {
         EXPECT_LT(c.Run(u"x").ArgRect().Bottom, c.Run(u"a").ArgRect().Bottom);
       }},
      {u"<R a=\"90\">x</R>y", [](auto& c) {
         EXPECT_EQ(c.Run(u"x").FontEscapement, 900);
         EXPECT_EQ(c.Run(u"y").FontEscapement, 0);
       }},
      {u"<Z>x</Z>y", [](auto& c) { EXPECT_EQ(c.RunTexts(), u"y"); }},
      {u"<E>x</E>y", [&](auto& c) {
         auto lines = c.Log.Named("Polyline");
         ASSERT_EQ(lines.size(), 1u) << "one zig-zag, under x only";
         EXPECT_EQ(lines[0].PenColor, red);
       }},
      {u"<A HREF=\"t\">x</A>y", [&](auto& c) {
         EXPECT_EQ(c.Run(u"x").TextColor, blue);
         EXPECT_TRUE(c.Run(u"x").FontUnderline);
         EXPECT_EQ(c.Run(u"y").TextColor, black);
         EXPECT_FALSE(c.Run(u"y").FontUnderline);
       }},
      {u"<BODY BGCOLOR=\"#00FF00\">x", [](auto& c) {
         auto fills = c.Log.Named("FillRect");
         ASSERT_EQ(fills.size(), 1u);
         EXPECT_EQ(fills[0].ArgRect(), kRect);
         EXPECT_EQ(fills[0].BrushColor, 0x00FF00u);
       }},
      {u"<P ALIGN=\"RIGHT\">x", [](auto& c) {
         TDrawingCall x = c.Run(u"x");
         EXPECT_GT(x.ArgRect().Left, 250);
       }},
      {u"x<HR>y", [](auto& c) {
         auto lines = c.Log.Named("Polyline");
         ASSERT_EQ(lines.size(), 1u);
         EXPECT_EQ(lines[0].PenColor, 0u);
         EXPECT_EQ(lines[0].Args[2], kRect.Right);
         EXPECT_GT(c.Run(u"y").ArgRect().Top, c.Run(u"x").ArgRect().Top);
       }},
      {u"<IND x=\"40\">y", [](auto& c) { EXPECT_EQ(c.Run(u"y").ArgRect().Left, 40); }},
      {u"<Q>x<BLA>", [](auto& c) { EXPECT_EQ(c.RunTexts(), u"x"); }},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(UTF8Encode(t.Html));
    TRecordingCanvas c;
    TRender r(&c.Canvas, t.Html, kRect);
    t.Check(c);
  }
}

TEST(HtmlMarkup, BlinkingTextTakesTheStartingBackgroundWhileOff) {
  THtmlRenderOptions off;
  off.BlinkOn = false;
  TRecordingCanvas c;
  c.Canvas.Brush()->SetColor(clAqua);
  TRender r(&c.Canvas, u"<BLINK>x</BLINK>y", kRect, off);
  EXPECT_EQ(c.Run(u"x").TextColor, ColorToRGB(clAqua));
  EXPECT_EQ(c.Run(u"y").TextColor, 0u);
  TRecordingCanvas on;
  TRender shown(&on.Canvas, u"<BLINK>x</BLINK>y", kRect);
  EXPECT_EQ(on.Run(u"x").TextColor, 0u);
}

TEST(HtmlMarkup, AmpersandsDrawWithPrefixProcessing) {
  TRecordingCanvas c;
  TRender r(&c.Canvas, u"a&amp;b &x &eacute;", kRect);
  EXPECT_EQ(c.RunTexts(), u"a&&b &x &eacute;");
  for (const TDrawingCall& run : c.Runs()) EXPECT_EQ(run.Flags & DT_NOPREFIX, 0u);
  // Drawn with prefix processing, "&&" is one ampersand and "&x" an underlined x: the run of
  // "a&&b" is as wide as "a&b" measured without it.
  HDC dc = c.Canvas.Handle();
  TRect with{0, 0, 0, 0}, plain{0, 0, 0, 0};
  DrawTextEx(dc, u"a&&b", with, DT_CALCRECT | DT_SINGLELINE, nullptr);
  DrawTextEx(dc, u"a&b", plain, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX, nullptr);
  EXPECT_EQ(with.Width(), plain.Width());
}

TEST(HtmlMarkup, SizesFollowFontsAndLineBreaks) {
  TRecordingCanvas c;
  TRender small(&c.Canvas, u"text", kRect, MeasureOnly());
  TRender big(&c.Canvas, u"<FONT SIZE=\"5\">text</FONT>", kRect, MeasureOnly());
  EXPECT_GT(big.Result.WidthOut, small.Result.WidthOut);
  EXPECT_GT(big.Result.HeightOut, small.Result.HeightOut);
  TRender twoLines(&c.Canvas, u"text<BR>text", kRect, MeasureOnly());
  EXPECT_EQ(twoLines.Result.HeightOut, 2 * small.Result.HeightOut);
  EXPECT_EQ(twoLines.Result.WidthOut, small.Result.WidthOut);
  TRender lineFeed(&c.Canvas, u"text\ntext", kRect, MeasureOnly());
  EXPECT_EQ(lineFeed.Result.HeightOut, small.Result.HeightOut);
  TRender hidden(&c.Canvas, u"text<Z> hidden words</Z>", kRect, MeasureOnly());
  EXPECT_EQ(hidden.Result.WidthOut, small.Result.WidthOut) << "hidden text takes no room";
}

TEST(HtmlMarkup, Colours) {
  struct {
    const char16_t* Value;
    TColor Color;
  } cases[] = {
      {u"#FF0000", 0x0000FF}, {u"#ff0000", 0x0000FF},   {u"#00FF00", 0x00FF00},
      {u"#0000ff", 0xFF0000}, {u"#123456", 0x563412},   {u"clred", 0x0000FF},
      {u"clmaroon", 0x000080}, {u"cl3ddkshadow", static_cast<TColor>(0xFF000015)},
      {u"clbackground", static_cast<TColor>(0xFF000001)},
      {u"clinfobk", static_cast<TColor>(0xFF000018)}, {u"clnosuch", 0}, {u"clblack", 0},
  };
  for (const auto& t : cases) {
    String v(t.Value);
    TColor got = v[0] == u'#' ? ParseHexColor(v) : ParseColorName(v);
    EXPECT_EQ(got, t.Color) << UTF8Encode(v);
  }
  EXPECT_EQ(HexPairValue(u"7"), 0);
  EXPECT_EQ(HexPairValue(u"fF"), 255);
  // In the markup, names are read without regard to case.
  TRecordingCanvas c;
  TRender r(&c.Canvas, u"<FONT COLOR=\"cl3DDkShadow\">x</FONT><FONT COLOR=\"ClGreen\">y", kRect);
  EXPECT_EQ(c.Run(u"x").TextColor, ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(c.Run(u"y").TextColor, 0x008000u);
}

}  // namespace
