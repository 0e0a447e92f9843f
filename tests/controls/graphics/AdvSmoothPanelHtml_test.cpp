// The smooth panel's reading of the mini-HTML, drawn through GDI+: its own edge cases, each of
// the switches where it differs from the grid's reading, and texts that must end.
#include <functional>

#include "controls/graphics/AdvSmoothPanelHtml.h"
#include "controls/html/AsgHTMLE_Markup.h"
#include "platform/rtl/Streams.h"
#include "platform/win/Shell.h"
#include "tests/controls/graphics/SmoothTestSupport.h"

namespace {

// One call of the renderer on a bitmap, watched by the GDI+ call log.
struct TRender {
  gdiptest::TSurface Surface{400, 300};
  TFont Font;
  THtmlRenderOptions Options = PanelHtmlOptions(nullptr, clBlue, clGray, 5);
  TGDIPPictureContainer* Pictures = nullptr;
  TGPCallLog Log;
  THtmlRenderResult Result;
  bool Hit = false;

  TRender() {
    Font.SetName(u"Tahoma");
    Font.SetSize(10);
  }
  TRender& Run(const String& html, TRect rect = TRect{0, 0, 400, 300}) {
    Log.Clear();
    Result = THtmlRenderResult{};
    TGPCallLogScope scope(Log);
    Hit = RenderHtmlTextPanel(&Surface.Graphics, &Font, html, rect, Options, Pictures, Result);
    return *this;
  }
  // The same without the log (a huge text would fill it with its measurements).
  TRender& RunUnwatched(const String& html, TRect rect) {
    Result = THtmlRenderResult{};
    Hit = RenderHtmlTextPanel(&Surface.Graphics, &Font, html, rect, Options, Pictures, Result);
    return *this;
  }
  std::vector<TGPCall> Texts() const { return Log.Named("GdipDrawString"); }
  String Drawn() const {
    String all;
    for (const TGPCall& c : Texts()) all += c.Text;
    return all;
  }
  const TGPCall* Text(const String& text) const {
    for (const TGPCall& c : Log.Calls()) {
      if (c.Name == "GdipDrawString" && c.Text == text) return &c;
    }
    return nullptr;
  }
  // Rectangle fills in the colour (background behind runs, bullets).
  int Fills(TColor color) const {
    int n = 0;
    for (const TGPCall& c : Log.Named("GdipFillRectangle")) {
      n += !c.Brush.Colors.empty() && c.Brush.Colors[0] == ColorToARGB(color);
    }
    return n;
  }
  // The size the panel's text output gives a run in the font.
  TSize Measure(const String& text) {
    TRect r{0, 0, 0, 0};
    Surface.Graphics.DrawText(text, static_cast<int>(text.size()), r, &Font, DT_CALCRECT);
    return TSize{r.Width(), r.Height()};
  }
};

ARGB Ink(const TGPCall* call) {
  return call != nullptr && !call->Brush.Colors.empty() ? call->Brush.Colors[0] : 0;
}

TEST(PanelHtml, TheEdgeCasesOfThePanelsReading) {
  struct TCase {
    const char* Name;
    std::function<void(TRender&)> Check;
  } cases[] = {
      {"&amp; between two words draws one ampersand",
       [](TRender& r) {
         EXPECT_EQ(r.Run(u"a &amp; b").Drawn(), u"a & b");
         EXPECT_EQ(r.Result.PlainTextOut, u"a & b");
       }},
      {"&permil; draws the per-mille sign alone",
       [](TRender& r) { EXPECT_EQ(r.Run(u"&permil;").Drawn(), u"\u2030"); }},
      {"cl3ddkshadow is the system colour 21",
       [](TRender& r) {
         EXPECT_EQ(AsgHtml::ColorValue(u"cl3ddkshadow"), static_cast<TColor>(0xFF000015));
         r.Run(u"<FONT COLOR=\"cl3ddkshadow\">x</FONT>");
         EXPECT_EQ(Ink(r.Text(u"x")), ColorToARGB(static_cast<TColor>(0xFF000015)));
       }},
      {"a one-line anchor's hover rectangle starts after the text before it",
       [](TRender& r) {
         const int before = r.Measure(u"ab ").cx, link = r.Measure(u"link").cx;
         r.Options.HitTest = true;
         r.Options.XPos = 10 + 1 + before + link / 2;
         r.Options.YPos = 25;
         r.Run(u"ab <A href=\"go\">link</A> cd", TRect{10, 20, 400, 300});
         EXPECT_TRUE(r.Hit);
         EXPECT_EQ(r.Result.AnchorOut, u"go");
         EXPECT_EQ(r.Result.MouseLinkOut, 1);
         EXPECT_EQ(r.Result.HoverRectOut.Left, 10 + 1 + before);
         EXPECT_EQ(r.Result.HoverRectOut.Top, 20);
         EXPECT_TRUE(r.Texts().empty()) << "a hit test paints nothing";
       }},
      {"Selected: after a hovered anchor the text keeps its colour from before",
       [](TRender& r) {
         r.Font.SetColor(clGreen);
         r.Options.Selected = true;
         r.Options.HoverLink = 1;
         r.Options.HoverFontColor = clRed;
         r.Run(u"<A href=\"go\">in</A> out");
         EXPECT_EQ(Ink(r.Text(u"in")), ColorToARGB(clRed));
         EXPECT_EQ(Ink(r.Text(u" out")), ColorToARGB(clGreen));
       }},
      {"a word wider than the rectangle keeps its own line, whole",
       [](TRender& r) {
         r.Run(u"Најдолгиотзборнасвет до", TRect{0, 0, 40, 300});
         const TGPCall* word = r.Text(u"Најдолгиотзборнасвет ");
         const TGPCall* next = r.Text(u"до");
         ASSERT_NE(word, nullptr) << r.Log.Dump();
         ASSERT_NE(next, nullptr) << r.Log.Dump();
         EXPECT_GT(next->Args[1], word->Args[1]);
       }},
      {"FONT SIZE 3 is 12 points, SIZE 20 is 20 points",
       [](TRender& r) {
         r.Run(u"<FONT SIZE=\"3\">a</FONT><FONT SIZE=\"20\">b</FONT>");
         ASSERT_NE(r.Text(u"a"), nullptr);
         ASSERT_NE(r.Text(u"b"), nullptr);
         EXPECT_EQ(r.Text(u"a")->FontSize, 12);
         EXPECT_EQ(r.Text(u"b")->FontSize, 20);
       }},
      {"LI TYPE SQUARE without COLOR draws a white square",
       [](TRender& r) {
         r.Run(u"<UL><LI TYPE=\"SQUARE\">item</UL>");
         std::vector<TGPCall> fills = r.Log.Named("GdipFillRectangle");
         ASSERT_EQ(fills.size(), 1u) << r.Log.Dump();
         EXPECT_EQ(fills[0].Brush.Colors[0], ColorToARGB(clWhite));
         EXPECT_EQ(fills[0].Args[2], 8);
         EXPECT_EQ(fills[0].Args[3], 8);
       }},
      {"P with only BGCOLOR changes no colour; its /P makes the background transparent",
       [](TRender& r) {
         r.Run(u"<FONT BGCOLOR=\"clyellow\">a<P BGCOLOR=\"clred\">b</P>c</FONT>");
         EXPECT_EQ(r.Fills(clRed), 0);
         EXPECT_EQ(r.Fills(clYellow), 2) << "behind a and b, not c";
         EXPECT_EQ(r.Drawn(), u"abc");
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TRender r;
    c.Check(r);
  }
}

// Each switch where the panel reads the markup unlike the grid: the same text rendered with the
// switch on (the panel) and off (the grid's way).
TEST(PanelHtml, EachSwitchAgainstTheGridsWay) {
  struct TCase {
    const char* Name;
    bool THtmlDialect::*Switch;
    std::function<void(TRender& on, TRender& off)> Check;
  } cases[] = {
      {"script room is M div 2 when below M div 4", &THtmlDialect::HalfScriptExtra,
       [](TRender& on, TRender& off) {
         const int m = on.Measure(u"y").cy;
         on.Options.MeasureOnly = off.Options.MeasureOnly = true;
         on.Run(u"x<SUB>y</SUB>");
         off.Run(u"x<SUB>y</SUB>");
         EXPECT_EQ(on.Result.HeightOut - off.Result.HeightOut, m / 2 - m / 4);
       }},
      {"scripts move by half their room, top and bottom", &THtmlDialect::CentredScripts,
       [](TRender& on, TRender& off) {
         const int extra = on.Measure(u"y").cy / 2;
         on.Run(u"x<SUP>y</SUP>", TRect{0, 40, 400, 300});
         off.Run(u"x<SUP>y</SUP>", TRect{0, 40, 400, 300});
         ASSERT_NE(on.Text(u"y"), nullptr);
         ASSERT_NE(off.Text(u"y"), nullptr);
         EXPECT_EQ(off.Text(u"y")->Args[1], 40);
         EXPECT_EQ(on.Text(u"y")->Args[1], 40 - extra / 2);
         EXPECT_EQ(on.Text(u"x")->Args[1], 40);
       }},
      {"the size outputs have 2 added", &THtmlDialect::SizeMargin,
       [](TRender& on, TRender& off) {
         on.Options.MeasureOnly = off.Options.MeasureOnly = true;
         on.Run(u"Текст");
         off.Run(u"Текст");
         EXPECT_EQ(on.Result.WidthOut, off.Result.WidthOut + 2);
         EXPECT_EQ(on.Result.HeightOut, off.Result.HeightOut + 2);
         EXPECT_GT(off.Result.WidthOut, 0);
       }},
      {"the error zigzag runs 4 and 2 pixels above the bottom", &THtmlDialect::RaisedZigZag,
       [](TRender& on, TRender& off) {
         on.Run(u"<E>грешка</E>");
         off.Run(u"<E>грешка</E>");
         auto ys = [](const TRender& r) {
           std::pair<float, float> lowHigh{1e9f, -1e9f};
           for (const TGPCall& c : r.Log.Named("GdipDrawLine")) {
             for (float y : {c.Args[1], c.Args[3]}) {
               lowHigh.first = std::min(lowHigh.first, y);
               lowHigh.second = std::max(lowHigh.second, y);
             }
           }
           return lowHigh;
         };
         ASSERT_FALSE(on.Log.Named("GdipDrawLine").empty());
         const int bottom = std::max(on.Measure(u"грешка").cy, on.Measure(u"gh").cy);
         EXPECT_EQ(ys(on), std::make_pair(float(bottom - 4), float(bottom - 2)));
         EXPECT_EQ(ys(off), std::make_pair(float(bottom - 1), float(bottom + 1)));
       }},
      {"an anchor's underline goes on across a blank", &THtmlDialect::UnderlineBlanks,
       [](TRender& on, TRender& off) {
         on.Run(u"<A href=\"go\">еден два три</A>");
         off.Run(u"<A href=\"go\">еден два три</A>");
         EXPECT_NE(on.Text(u"еден _"), nullptr) << on.Log.Dump();
         EXPECT_EQ(on.Text(u"еден "), nullptr);
         EXPECT_EQ(off.Drawn(), u"еден два три");
       }},
      {"an empty colour is none, not black", &THtmlDialect::EmptyColorNone,
       [](TRender& on, TRender& off) {
         on.Run(u"<FONT BGCOLOR=\"\">a</FONT>");
         off.Run(u"<FONT BGCOLOR=\"\">a</FONT>");
         EXPECT_EQ(on.Fills(clBlack), 0);
         EXPECT_EQ(off.Fills(clBlack), 1);
       }},
      {"a run of one blank has no width", &THtmlDialect::BlankRunEmpty,
       [](TRender& on, TRender& off) {
         on.Options.MeasureOnly = off.Options.MeasureOnly = true;
         on.Run(u"a<FONT> </FONT>b");
         off.Run(u"a<FONT> </FONT>b");
         EXPECT_EQ(off.Result.WidthOut - on.Result.WidthOut, on.Measure(u" ").cx);
         EXPECT_NE(on.Measure(u" ").cx, 0);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TRender on, off;
    ASSERT_TRUE(on.Options.Dialect.*c.Switch);
    off.Options.Dialect.*c.Switch = false;
    c.Check(on, off);
  }
}

// The departures from the grid's reading that do not need a picture or a control to show.
TEST(PanelHtml, TheDeparturesFromTheGridsReading) {
  TRender panel;
  // The anchor's target is the first quoted value of its tag, whatever the attribute.
  panel.Options.HitTest = true;
  panel.Options.XPos = 5;
  panel.Options.YPos = 5;
  panel.Run(u"<A name=\"first\" href=\"second\">link</A>");
  EXPECT_EQ(panel.Result.AnchorOut, u"first");
  panel.Options.HitTest = false;
  // Only the first "<#" marker is undone; the second stays a tag and is dropped.
  EXPECT_EQ(panel.Run(u"<#one> <#two>").Drawn(), u"#one ");
  // No embedded controls and no turned text: the tags are read and do nothing.
  EXPECT_EQ(panel.Run(u"a<CONTROL TYPE=\"EDIT\" WIDTH=\"50\" ID=\"e\">b").Drawn(), u"ab");
  EXPECT_TRUE(panel.Log.Named("GdipFillRectangle").empty());
  // BODY BGCOLOR only sets the text background; BGCOLORTO makes it transparent.
  panel.Run(u"<BODY BGCOLOR=\"clred\">a");
  ASSERT_EQ(panel.Fills(clRed), 1) << "the run's background, not the whole rectangle";
  EXPECT_LT(panel.Log.Named("GdipFillRectangle")[0].Args[2], 100);
  panel.Run(u"<BODY BGCOLOR=\"clred\" BGCOLORTO=\"clblue\">a");
  EXPECT_TRUE(panel.Log.Named("GdipFillRectangle").empty());
  // OF moves the rest of the line, and the next line, to its offset.
  panel.Run(u"a<OF x=\"100\">b<BR>c</OF><BR>d");
  EXPECT_EQ(panel.Text(u"b")->Args[0], 101);
  EXPECT_EQ(panel.Text(u"c")->Args[0], 101);
  EXPECT_EQ(panel.Text(u"d")->Args[0], 1);
  // Blinking text is white while the phase is off.
  panel.Run(u"<BLINK>x</BLINK>");
  EXPECT_EQ(Ink(panel.Text(u"x")), ColorToARGB(clWhite));
  // Lines are 2 pixels apart.
  TRender grid;
  grid.Options.Dialect.LineSpacing = 0;
  panel.Options.MeasureOnly = grid.Options.MeasureOnly = true;
  panel.Run(u"a<BR>b<BR>c");
  grid.Run(u"a<BR>b<BR>c");
  EXPECT_EQ(panel.Result.HeightOut - grid.Result.HeightOut, 2 * 2);
}

TEST(PanelHtml, SystemIconsComeFromTheSystemImageList) {
  TRender r;
  r.Options.MeasureOnly = true;
  const int text = r.Run(u"x").Result.WidthOut;
  const int small = r.Run(u"x<IMG SRC=\"SSYS:0\">").Result.WidthOut - text;
  const int large = r.Run(u"x<IMG SRC=\"LSYS:0\">").Result.WidthOut - text;
  EXPECT_EQ(small, SystemImage(0, false).Width);
  EXPECT_EQ(large, SystemImage(0, true).Width);
  EXPECT_GT(large, small);
  EXPECT_EQ(r.Run(u"x<IMG SRC=\"SSYS:9999\">").Result.WidthOut, text) << "no such icon";
  // Drawn through a device context of the graphics, at the run's top-left.
  r.Options.MeasureOnly = false;
  r.Run(u"<IMG SRC=\"SSYS:0\">");
  EXPECT_GT(r.Surface.CountOther(0xFFFFFFFF), 0);
}

// Named pictures come from the panel's GDI+ container, at their own size unless both WIDTH and
// HEIGHT are given; sources with "://" are not loaded.
TEST(PanelHtml, NamedPicturesComeFromTheGdiPlusContainer) {
  TGDIPPictureContainer container(nullptr);
  auto* item = container.Items()->Add();
  item->SetName(u"Лого");
  TBytesStream png(gdiptest::ReadFixture("pattern_rgba.png"));
  item->Picture()->LoadFromStream(&png);
  const int own = item->Picture()->Width();
  ASSERT_GT(own, 12);

  TRender r;
  r.Pictures = &container;
  r.Options.MeasureOnly = true;
  const int text = r.Run(u"x").Result.WidthOut;
  struct TCase {
    const char16_t* Html;
    int Width;
  } cases[] = {
      {u"x<IMG SRC=\"лого\">", own},
      {u"x<IMG SRC=\"Лого\" WIDTH=\"10\">", own},  // no completion from one size
      {u"x<IMG SRC=\"Лого\" WIDTH=\"10\" HEIGHT=\"12\">", 10},
      {u"x<IMG SRC=\"Друго\">", 0},
      {u"x<IMG SRC=\"http://host/logo.png\">", 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.Html));
    EXPECT_EQ(r.Run(c.Html).Result.WidthOut - text, c.Width);
  }
  r.Options.MeasureOnly = false;
  r.Run(u"<IMG SRC=\"Лого\" WIDTH=\"10\" HEIGHT=\"12\">");
  EXPECT_GT(r.Surface.CountOther(0xFFFFFFFF), 0);
  EXPECT_EQ(r.Surface.At(20, 5), 0xFFFFFFFFu) << "stretched to 10 x 12";
  // A picture bullet wider than the indent moves the text on by the difference.
  r.Run(u"<UL><LI TYPE=\"IMAGE\" NAME=\"Лого\">а</UL>");
  ASSERT_NE(r.Text(u"а"), nullptr);
  EXPECT_EQ(r.Text(u"а")->Args[0], 1 + own);
}

TEST(PanelHtml, AnUnfinishedTagAndAHugeTextEnd) {
  TRender r;
  EXPECT_EQ(r.Run(u"abc <B unfinished").Drawn(), u"abc ");
  EXPECT_EQ(r.Run(u"abc<").Drawn(), u"abc");
  EXPECT_EQ(r.Run(u"<").Drawn(), u"");

  // A megabyte of words, an open anchor and an unfinished tag at the end.
  String huge = u"<A href=\"x\"><U>";
  while (huge.size() < 1000000) huge += u"збор word &amp; ";
  huge += u"<A href=\"never";
  r.Options.MeasureOnly = true;
  r.RunUnwatched(huge, TRect{0, 0, 400, 10000});
  EXPECT_GT(r.Result.HeightOut, 10000) << "measuring goes to the end";
  r.Options.MeasureOnly = false;
  r.Run(huge);
  const std::vector<TGPCall> texts = r.Texts();
  ASSERT_FALSE(texts.empty());
  EXPECT_LT(texts.back().Args[1], 300) << "drawing stops at the rectangle's bottom";
}

}  // namespace
