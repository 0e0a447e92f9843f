// The renderer on a recording canvas: layout, anchors, pictures, embedded controls and what it
// leaves behind on the canvas.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/controls/grid/HtmlTestSupport.h"

namespace {

using namespace htmltest;
using ::PictureContainer::TPictureContainer;

const TRect kRect{0, 0, 300, 200};

int TextWidth(TCanvas& canvas, const String& text) {
  TRect r{0, 0, 0, 0};
  DrawTextEx(canvas.Handle(), text, r, DT_CALCRECT | DT_SINGLELINE, nullptr);
  return r.Width();
}

int GhHeight(TCanvas& canvas) {
  TRect r{0, 0, 0, 0};
  DrawTextEx(canvas.Handle(), u"gh", r, DT_CALCRECT | DT_SINGLELINE, nullptr);
  return r.Height();
}

class HtmlRender : public ::testing::Test {
 protected:
  TRecordingCanvas C;
  int Gh = GhHeight(C.Canvas);
};

TEST_F(HtmlRender, EmptyTextAndTrailingBlanks) {
  TRender empty(&C.Canvas, u"", kRect, MeasureOnly());
  EXPECT_EQ(empty.Result.HeightOut, Gh);
  EXPECT_EQ(empty.Result.WidthOut, 0);
  TRender word(&C.Canvas, u"word", kRect, MeasureOnly());
  TRender blanks(&C.Canvas, u"word <B></B>", kRect, MeasureOnly());
  EXPECT_EQ(word.Result.WidthOut, TextWidth(C.Canvas, u"word"));
  EXPECT_EQ(blanks.Result.WidthOut, word.Result.WidthOut) << "a trailing blank takes no width";
  TRender broken(&C.Canvas, u"word <BR>word", kRect, MeasureOnly());
  EXPECT_EQ(broken.Result.WidthOut, word.Result.WidthOut);
}

TEST_F(HtmlRender, WordWrapBreaksAtBlanksNeverInsideAWord) {
  // "xxxx ab" fits the width, "xxxx abcdef" does not: the tagged word stays whole on its line.
  const int width = TextWidth(C.Canvas, u"xxxx ab") + 4;
  TRender r(&C.Canvas, u"xxxx ab<B>cd</B>ef yy", TRect{0, 0, width, 200});
  const int top = C.Run(u"xxxx ab").ArgRect().Top;  // words in one call
  EXPECT_EQ(C.Run(u"cd").ArgRect().Top, top);
  EXPECT_EQ(C.Run(u"ef ").ArgRect().Top, top);
  EXPECT_EQ(C.Run(u"yy").ArgRect().Top, top + Gh);
  EXPECT_EQ(C.Run(u"yy").ArgRect().Left, 1);
  EXPECT_EQ(r.Result.HeightOut, 2 * Gh);
  EXPECT_EQ(r.Result.PlainTextOut, u"xxxx abcdef yy") << "a word moved down is not repeated";
}

TEST_F(HtmlRender, WithoutWordWrapOneLineWithAnEllipsis) {
  THtmlRenderOptions o;
  o.WordWrap = false;
  // The second run overflows without being wider than the rectangle on its own.
  const int width = TextWidth(C.Canvas, u"aaaa bbbb") - 4;
  TRender r(&C.Canvas, u"<B>aaaa</B> bbbb<BR>second", TRect{0, 0, width, 200}, o);
  EXPECT_EQ(C.RunTexts(), u"aaaa bbbb") << "nothing after the cut is laid out";
  for (const TDrawingCall& run : C.Runs()) EXPECT_TRUE(run.Flags & DT_END_ELLIPSIS);
  EXPECT_EQ(r.Result.HeightOut, Gh);
}

TEST_F(HtmlRender, MeasuringCountsEveryLineDrawingStopsAtTheBottom) {
  const String five = u"1<BR>2<BR>3<BR>4<BR>5";
  TRender measured(&C.Canvas, five, TRect{0, 0, 100, 2 * Gh + 2}, MeasureOnly());
  EXPECT_EQ(measured.Result.HeightOut, 5 * Gh);
  EXPECT_TRUE(C.Runs().empty());
  TRender drawn(&C.Canvas, five, TRect{0, 0, 100, 2 * Gh + 2});
  EXPECT_EQ(C.RunTexts(), u"12");
}

TEST_F(HtmlRender, SuperscriptAndSubscriptMakeTheLineTaller) {
  TRender plain(&C.Canvas, u"x2", kRect, MeasureOnly());
  TRender sup(&C.Canvas, u"x<SUP>2</SUP>", kRect, MeasureOnly());
  TRender sub(&C.Canvas, u"x<SUB>2</SUB>", kRect, MeasureOnly());
  TRender both(&C.Canvas, u"x<SUP>2</SUP><SUB>3</SUB>", kRect, MeasureOnly());
  EXPECT_EQ(sup.Result.HeightOut, plain.Result.HeightOut + Gh / 4);
  EXPECT_EQ(sub.Result.HeightOut, plain.Result.HeightOut + Gh / 4);
  EXPECT_EQ(both.Result.HeightOut, plain.Result.HeightOut + 2 * (Gh / 4));
  // The flags end with the line.
  TRender next(&C.Canvas, u"x<SUP>2<BR>y", kRect, MeasureOnly());
  EXPECT_EQ(next.Result.HeightOut, 2 * Gh + Gh / 4);
}

TEST_F(HtmlRender, RightAlignmentLastsUntilTheNextParagraphTag) {
  TRender r(&C.Canvas, u"<P ALIGN=\"RIGHT\">one</P>two<BR>three<BR>five<P ALIGN=\"LEFT\">four",
            kRect);
  for (const char16_t* word : {u"one", u"two", u"three"}) {
    EXPECT_EQ(C.Run(word).ArgRect().Left, kRect.Right - TextWidth(C.Canvas, word))
        << UTF8Encode(word);
  }
  EXPECT_EQ(C.Run(u"five").ArgRect().Left, 1) << "a tag aligns the whole line it is on";
  TRecordingCanvas centred;
  TRender c(&centred.Canvas, u"<P ALIGN=\"CENTER\" INDENT=\"10\">mid", kRect);
  const int w = TextWidth(centred.Canvas, u"mid");
  EXPECT_EQ(centred.Run(u"mid").ArgRect().Left, 1 + (kRect.Width() - 1 - w) / 2 + 10);
}

TEST_F(HtmlRender, BulletsByLevelRuleAndBackgrounds) {
  TRender r(&C.Canvas, u"<UL><LI>one<UL><LI>two</UL><LI>three</UL><HR>"
                       u"<P BGCOLOR=\"clYellow\">band</P>",
            kRect);
  std::vector<TDrawingCall> bullets;
  for (const TDrawingCall& run : C.Runs()) {
    if (run.Text == u"\u2022" || run.Text == u"o") bullets.push_back(run);
  }
  ASSERT_EQ(bullets.size(), 3u);
  EXPECT_EQ(bullets[0].Text, u"\u2022");
  EXPECT_EQ(bullets[1].Text, u"o");
  EXPECT_EQ(bullets[2].Text, u"\u2022");
  EXPECT_EQ(bullets[1].ArgRect().Left, bullets[0].ArgRect().Left + 12);
  EXPECT_EQ(C.Run(u"one").ArgRect().Left, bullets[0].ArgRect().Left + 12);
  EXPECT_EQ(C.Run(u"two").ArgRect().Left, bullets[1].ArgRect().Left + 12);
  // The rule: one pixel below its line, from the line's left to the rectangle's right.
  auto lines = C.Log.Named("Polyline");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].Args, (std::vector<int32_t>{1, lines[0].Args[1], kRect.Right,
                                                  lines[0].Args[1]}));
  // The paragraph band spans the rectangle behind its line.
  auto fills = C.Log.Named("FillRect");
  ASSERT_FALSE(fills.empty());
  const TRect band = fills.back().ArgRect();
  EXPECT_EQ(band.Left, kRect.Left);
  EXPECT_EQ(band.Right, kRect.Right);
  EXPECT_EQ(band.Top, C.Run(u"band").ArgRect().Top);
  EXPECT_EQ(fills.back().BrushColor, 0x00FFFFu);
}

TEST_F(HtmlRender, ErrorUnderlineZigZag) {
  TRender r(&C.Canvas, u"<E>abc</E>", kRect);
  auto lines = C.Log.Named("Polyline");
  ASSERT_EQ(lines.size(), 1u);
  const std::vector<int32_t>& p = lines[0].Args;
  const int bottom = C.Run(u"abc").ArgRect().Bottom;
  ASSERT_GE(p.size(), 6u);
  EXPECT_EQ(p[0], 0) << "starts at the run's X rounded down to an even number";
  for (size_t i = 0; i + 1 < p.size(); i += 2) {
    EXPECT_EQ(p[i] % 2, 0);
    EXPECT_EQ(p[i + 1], p[i] % 4 == 0 ? bottom + 1 : bottom - 1) << "x " << p[i];
  }
  EXPECT_GE(p[p.size() - 2], 1 + TextWidth(C.Canvas, u"abc") - 1);
}

TEST_F(HtmlRender, AnchorUnderThePoint) {
  const String html = u"go <A HREF=\"first\" TITLE=\"One\">one</A> or "
                      u"<A HREF=\"second\">two<BR>lines</A>";
  const int x0 = 1 + TextWidth(C.Canvas, u"go ");
  TRender onFirst(&C.Canvas, html, kRect, HitAt(x0 + 2, Gh / 2));
  EXPECT_TRUE(onFirst.Hit);
  EXPECT_EQ(onFirst.Result.AnchorOut, u"first");
  EXPECT_EQ(onFirst.Result.AnchorTitleOut, u"One");
  EXPECT_EQ(onFirst.Result.MouseLinkOut, 1);
  EXPECT_EQ(onFirst.Result.LinkCountOut, 2);
  EXPECT_EQ(onFirst.Result.HoverRectOut,
            (TRect{x0, 0, x0 + TextWidth(C.Canvas, u"one"), Gh}));

  // An anchor across a line break: its rectangle is the part on the closing line, from
  // either line.
  const TRect secondRect{1, Gh, 1 + TextWidth(C.Canvas, u"lines"), 2 * Gh};
  for (TPoint p : {TPoint{kRect.Right - 2 - 0, Gh / 2}, TPoint{3, Gh + Gh / 2}}) {
    const int twoX = 1 + TextWidth(C.Canvas, u"go one or ");
    if (p.Y < Gh) p.X = twoX + 2;
    TRender r(&C.Canvas, html, kRect, HitAt(p.X, p.Y));
    EXPECT_TRUE(r.Hit) << p.Y;
    EXPECT_EQ(r.Result.AnchorOut, u"second");
    EXPECT_EQ(r.Result.MouseLinkOut, 2);
    EXPECT_EQ(r.Result.HoverRectOut, secondRect);
  }

  // Beside the text, or below it: no anchor, and the caller's AnchorOut is left alone.
  THtmlRenderResult result;
  result.AnchorOut = u"kept";
  EXPECT_FALSE(RenderHtmlText(&C.Canvas, html, kRect, HitAt(2, Gh / 2), result));
  EXPECT_EQ(result.MouseLinkOut, -1);
  EXPECT_EQ(result.AnchorOut, u"kept");
  EXPECT_FALSE(RenderHtmlText(&C.Canvas, html, kRect, HitAt(x0 + 2, 3 * Gh), result));
  EXPECT_EQ(result.MouseLinkOut, -1);
}

TEST_F(HtmlRender, FocusAndHoverLooks) {
  const String html = u"<A HREF=\"a\">one</A> <A HREF=\"b\">two</A>";
  THtmlRenderOptions o;
  o.FocusLink = 0;
  o.HoverLink = 2;
  o.HoverOnlyLink = true;
  o.HoverColor = clYellow;
  o.HoverFontColor = clRed;
  o.UrlColor = clGreen;
  TRender r(&C.Canvas, html, kRect, o);
  EXPECT_EQ(r.Result.FocusAnchorOut, u"a");
  auto focus = C.Log.Named("DrawFocusRect");
  ASSERT_EQ(focus.size(), 1u);
  EXPECT_EQ(focus[0].ArgRect(), (TRect{0, 0, 1 + TextWidth(C.Canvas, u"one") + 1, Gh}));
  const TDrawingCall one = C.Run(u"one"), two = C.Run(u"two");
  EXPECT_EQ(one.TextColor, ColorToRGB(clGreen));
  EXPECT_FALSE(one.FontUnderline);
  EXPECT_EQ(one.BkMode, TRANSPARENT);
  EXPECT_EQ(two.TextColor, ColorToRGB(clRed));
  EXPECT_TRUE(two.FontUnderline);
  EXPECT_EQ(two.BkMode, OPAQUE);
  EXPECT_EQ(two.BkColor, ColorToRGB(clYellow));
  EXPECT_EQ(C.Run(u" ").TextColor, 0u);

  // Anchors count from 1 for hovering, from 0 for the focus.
  TRecordingCanvas first;
  o.HoverLink = 1;
  TRender h(&first.Canvas, html, kRect, o);
  EXPECT_TRUE(first.Run(u"one").FontUnderline);
  EXPECT_FALSE(first.Run(u"two").FontUnderline);
  EXPECT_EQ(first.Log.Named("DrawFocusRect").size(), 1u);

  // Without HoverOnlyLink every anchor is underlined; selected text keeps its colour.
  TRecordingCanvas all;
  THtmlRenderOptions every;
  every.Selected = true;
  TRender s(&all.Canvas, html, kRect, every);
  EXPECT_TRUE(all.Run(u"one").FontUnderline);
  EXPECT_TRUE(all.Run(u"two").FontUnderline);
  EXPECT_EQ(all.Run(u"one").TextColor, 0u);
}

TEST_F(HtmlRender, EmbeddedControlsTakeTheirRoom) {
  struct {
    const char16_t* Type;
    int RoomWidth, RoomHeight;
    uint32_t FrameControl;  // type << 16 | state, 0 for none
  } cases[] = {
      {u"EDIT", 50, -1, 0},
      {u"MASK", 50, -1, 0},
      {u"PASSWORD", 50, -1, 0},
      {u"COMBO", 50, 25, (DFC_SCROLL << 16) | DFCS_SCROLLCOMBOBOX},
      {u"CHECK", 16, 16, (DFC_BUTTON << 16) | DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED},
      {u"RADIO", 16, 16, (DFC_BUTTON << 16) | DFCS_BUTTONRADIO | DFCS_FLAT | DFCS_CHECKED},
      {u"BUTTON", 50, 25, (DFC_BUTTON << 16) | DFCS_BUTTONPUSH},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(UTF8Encode(t.Type));
    const String html = u"ab<CONTROL TYPE=\"" + String(t.Type) +
                        u"\" ID=\"c1\" VALUE=\"TRUE\" WIDTH=\"50\">";
    const int height = t.RoomHeight < 0 ? Gh + 10 : t.RoomHeight;
    THtmlRenderOptions find = HitAt(-100, -100);
    THtmlRenderResult result;
    result.ControlId = u"c1";
    EXPECT_TRUE(RenderHtmlText(&C.Canvas, html, kRect, find, result));
    const int x = 1 + TextWidth(C.Canvas, u"ab");
    EXPECT_EQ(result.ControlRectOut, (TRect{x, 0, x + t.RoomWidth, height}));
    EXPECT_EQ(result.AnchorOut, u"ctrl");
    EXPECT_EQ(result.ControlTypeOut, String(t.Type));
    EXPECT_EQ(result.ControlValueOut, u"TRUE");

    TRecordingCanvas c;
    TRender drawn(&c.Canvas, html, kRect);
    EXPECT_EQ(drawn.Result.WidthOut, x - 1 + t.RoomWidth);
    auto frames = c.Log.Named("DrawFrameControl");
    if (t.FrameControl == 0) {
      EXPECT_TRUE(frames.empty());
      EXPECT_EQ(c.Log.Named("FrameRect").size(), 1u);
      EXPECT_EQ(c.Run(String(t.Type) == u"PASSWORD" ? u"****" : u"TRUE").TextColor, 0u);
    } else {
      ASSERT_EQ(frames.size(), 1u);
      EXPECT_EQ(frames[0].Flags, t.FrameControl);
    }
  }
}

TEST_F(HtmlRender, ControlHitByPointAndIgnoredWithoutAWidth) {
  const String html = u"<CONTROL TYPE=\"BUTTON\" ID=\"go\" VALUE=\"Go\" WIDTH=\"60\">";
  THtmlRenderResult result;
  EXPECT_TRUE(RenderHtmlText(&C.Canvas, html, kRect, HitAt(20, 10), result));
  EXPECT_EQ(result.ControlId, u"go");
  EXPECT_EQ(result.ControlValueOut, u"Go");
  THtmlRenderResult beside;
  EXPECT_FALSE(RenderHtmlText(&C.Canvas, html, kRect, HitAt(100, 10), beside));
  EXPECT_EQ(beside.ControlId, u"");

  // The pressed look while the mouse is down on it.
  THtmlRenderOptions down;
  down.XPos = 20;
  down.YPos = 10;
  down.ControlDown = true;
  TRender pressed(&C.Canvas, html, kRect, down);
  auto frames = C.Log.Named("DrawFrameControl");
  ASSERT_FALSE(frames.empty());
  EXPECT_TRUE(frames.back().Flags & DFCS_PUSHED);

  for (const char16_t* bad : {u"<CONTROL TYPE=\"EDIT\" ID=\"e\">x",
                              u"<CONTROL TYPE=\"EDIT\" ID=\"e\" WIDTH=\"wide\">x"}) {
    TRender r(&C.Canvas, bad, kRect, MeasureOnly());
    EXPECT_EQ(r.Result.WidthOut, TextWidth(C.Canvas, u"x")) << UTF8Encode(bad);
    THtmlRenderResult byId;
    byId.ControlId = u"e";
    EXPECT_FALSE(RenderHtmlText(&C.Canvas, bad, kRect, HitAt(-5, -5), byId));
  }
}

TEST_F(HtmlRender, PicturesFromTheContainer) {
  TPictureContainer box(nullptr);
  AddPicture(box, u"Logo", 20, 10);
  AddPicture(box, u"Hover", 30, 12);
  struct {
    const char16_t* Html;
    int Width, Height;
  } cases[] = {
      {u"<IMG SRC=\"logo\">", 20, 10},
      {u"<IMG SRC=\"LOGO\" WIDTH=\"40\">", 40, 20},  // the aspect is kept
      {u"<IMG SRC=\"logo\" HEIGHT=\"5\">", 10, 5},
      {u"<IMG SRC=\"logo\" WIDTH=\"7\" HEIGHT=\"30\">", 7, 30},
      {u"<IMG SRC=\"logo\" WIDTH=\"-3\">", 20, 10},  // below 0 counts as absent
      {u"<IMG SRC=\"missing\">", 0, 0},
      {u"<IMG SRC=\"IDX:3\">", 0, 0},  // no image list
  };
  THtmlRenderOptions o;
  o.PictureContainer = &box;
  for (const auto& t : cases) {
    TRecordingCanvas c;
    TRender r(&c.Canvas, t.Html, kRect, o);
    EXPECT_EQ(r.Result.WidthOut, t.Width) << UTF8Encode(t.Html);
    EXPECT_EQ(r.Result.HeightOut, std::max(t.Height, Gh)) << UTF8Encode(t.Html);
    auto images = c.Log.Named("DrawImage");
    if (t.Width == 0) {
      EXPECT_TRUE(images.empty());
    } else {
      ASSERT_EQ(images.size(), 1u);
      EXPECT_EQ(images[0].ArgRect(), (TRect{1, 0, 1 + t.Width, t.Height}));
    }
  }

  // A body background is tiled over the whole rectangle, clipped to it.
  TRecordingCanvas tiled;
  TRender body(&tiled.Canvas, u"<BODY BACKGROUND=\"logo\">x", TRect{0, 0, 50, 25}, o);
  auto tiles = tiled.Log.Named("DrawImage");
  ASSERT_EQ(tiles.size(), 9u);
  EXPECT_EQ(tiles.back().ArgRect(), (TRect{40, 20, 60, 30}));
  EXPECT_EQ(tiles.back().ClipBox, (TRect{0, 0, 50, 25}));

  // Inside an anchor: hit by the point, and drawn with its ALT picture while hovered.
  const String linked = u"<A HREF=\"home\"><IMG SRC=\"logo\" ALT=\"hover\"></A>";
  o.HitTest = true;
  o.XPos = 5;
  o.YPos = 5;
  TRender hit(&C.Canvas, linked, kRect, o);
  EXPECT_TRUE(hit.Hit);
  EXPECT_EQ(hit.Result.AnchorOut, u"home");
  o.HitTest = false;
  TRender hovered(&C.Canvas, linked, kRect, o);
  auto images = C.Log.Named("DrawImage");
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].Args[6], 30) << "the hover picture is drawn";
  TRecordingCanvas away;
  o.XPos = 200;
  TRender normal(&away.Canvas, linked, kRect, o);
  ASSERT_EQ(away.Log.Named("DrawImage").size(), 1u);
  EXPECT_EQ(away.Log.Named("DrawImage")[0].Args[6], 20);
}

TEST_F(HtmlRender, PictureAlignmentAndAnimatedPictures) {
  TPictureContainer box(nullptr);
  AddPicture(box, u"tall", 10, 40);
  THtmlRenderOptions o;
  o.PictureContainer = &box;
  struct {
    const char16_t* Html;
    int Bottom;
  } cases[] = {
      {u"<IMG SRC=\"tall\">x", 40},
      {u"<IMG SRC=\"tall\" ALIGN=\"TOP\">x", Gh},
      {u"<IMG SRC=\"tall\" ALIGN=\"MIDDLE\">x", 40 - (40 - Gh) / 2},
  };
  for (const auto& t : cases) {
    TRecordingCanvas c;
    TRender r(&c.Canvas, t.Html, kRect, o);
    EXPECT_EQ(c.Run(u"x").ArgRect().Bottom, t.Bottom) << UTF8Encode(t.Html);
    EXPECT_EQ(c.Log.Named("DrawImage")[0].ArgRect().Top, 0) << "pictures hang from the top";
  }

  // A GIF of several frames, from a file through the picture cache: its frame area is cleared
  // in the starting background first.
  const std::string path = ::testing::TempDir() + "/two-frames.gif";
  const TBytes gif = TwoFrameGif();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(gif.data()), static_cast<std::streamsize>(gif.size()));
  ::PictureContainer::THTMLPictureCache cache;
  o.PictureCache = &cache;
  const String html = u"<IMG SRC=\"file://" + UTF8ToString(path) + u"\">";
  C.Canvas.Brush()->SetColor(clAqua);
  TRender r(&C.Canvas, html, kRect, o);
  ASSERT_EQ(cache.Count(), 1);
  EXPECT_EQ(cache.GetPicture(0)->ID(), u"file://" + UTF8ToString(path));
  auto fills = C.Log.Named("FillRect");
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].ArgRect(), (TRect{1, 0, 2, 1}));
  EXPECT_EQ(fills[0].BrushColor, ColorToRGB(clAqua));
  EXPECT_EQ(C.Log.Named("DrawImage").size(), 1u);
  TRender again(&C.Canvas, html, kRect, o);
  EXPECT_EQ(cache.Count(), 1) << "found in the cache the second time";
}

TEST_F(HtmlRender, PicturesFromImageListsAndTheSystem) {
  TCustomImageList images(16, 16);
  TBitmap bitmap(16, 16);
  images.Add(&bitmap, nullptr);
  THtmlRenderOptions o;
  o.Images = &images;
  TRender one(&C.Canvas, u"<IMG SRC=\"IDX:0\"><IMG SRC=\"idx:1\">", kRect, o);
  EXPECT_EQ(one.Result.WidthOut, 16) << "an index past the list takes no room";
  o.ScaleImages = true;
  o.ImageScale = 2;
  TRender scaled(&C.Canvas, u"<IMG SRC=\"IDX:0\">", kRect, o);
  EXPECT_EQ(scaled.Result.WidthOut, 32);
  EXPECT_EQ(scaled.Result.HeightOut, 32);

  TRender icons(&C.Canvas, u"<IMG SRC=\"SSYS:notes.txt\"><IMG SRC=\"LSYS:/\">", kRect,
                MeasureOnly());
  EXPECT_EQ(icons.Result.WidthOut, 16 + 32);
  TRender past(&C.Canvas, u"<IMG SRC=\"SSYS:999\">", kRect, MeasureOnly());
  EXPECT_EQ(past.Result.WidthOut, 0);
  TRecordingCanvas unnamed;
  TRender file(&unnamed.Canvas, u"<IMG SRC=\"SSYS:\">", kRect);  // no name: the file icon
  EXPECT_EQ(file.Result.WidthOut, 16);
  EXPECT_EQ(unnamed.Log.Named("DrawImage").size(), 1u);
  EXPECT_EQ(SystemImageIndex(u"/tmp", true), 1);
  EXPECT_NE(SystemImageIndex(u"a.PNG", false), SystemImageIndex(u"a.zip", false));
  EXPECT_EQ(SystemImageIndex(u"a.unknown", false), 0);
}

TEST_F(HtmlRender, TheCanvasComesBackAsItWas) {
  C.Canvas.Pen()->SetColor(clMaroon);
  C.Canvas.Pen()->SetWidth(3);
  C.Canvas.Brush()->SetColor(clAqua);
  C.Canvas.Font()->SetName(u"Courier New");
  C.Canvas.Font()->SetSize(11);
  C.Canvas.Font()->SetColor(clPurple);
  C.Canvas.Font()->SetStyle(TFontStyles() << fsItalic);
  const String html =
      u"<BODY BGCOLOR=\"clLime\"><B><U><S>x</S></U></B><FONT FACE=\"Arial\" SIZE=\"5\" "
      u"COLOR=\"clRed\" BGCOLOR=\"clBlue\">y<HR><P BGCOLOR=\"clYellow\"><E>z</E><SHAD>s"
      u"<A HREF=\"x\">a<HI>h<R a=\"45\">r<Z>";
  for (bool measure : {false, true}) {
    THtmlRenderOptions o;
    o.MeasureOnly = measure;
    TRender r(&C.Canvas, html, kRect, o);
    EXPECT_EQ(C.Canvas.Pen()->Color(), clMaroon);
    EXPECT_EQ(C.Canvas.Pen()->Width(), 3);
    EXPECT_EQ(C.Canvas.Brush()->Color(), clAqua);
    EXPECT_EQ(C.Canvas.Brush()->Style(), bsSolid);
    EXPECT_EQ(C.Canvas.Font()->Name(), u"Courier New");
    EXPECT_EQ(C.Canvas.Font()->Size(), 11);
    EXPECT_EQ(C.Canvas.Font()->Color(), clPurple);
    EXPECT_EQ(C.Canvas.Font()->Style(), TFontStyles() << fsItalic);
    EXPECT_EQ(C.Canvas.Font()->Orientation(), 0);
  }
}

TEST_F(HtmlRender, BadInputEndsQuietly) {
  String big;
  while (big.size() < 1024 * 1024) big += u"word <B>bold</B> &amp; more &lt;x&gt; text ";
  String nested;
  for (int i = 0; i < 500; ++i) nested += u"<UL><LI>item";
  const String cases[] = {
      u"text <",
      u"text &",
      u"<",
      u"<B",
      u"<>",
      u"&amp",
      big,
      nested,
      u"<FONT SIZE=\"99999999\">big</FONT>",
      u"<IMG SRC=\"x\" WIDTH=\"99999999\">",
      u"<CONTROL TYPE=\"EDIT\" ID=\"e\" WIDTH=\"99999999\" HEIGHT=\"99999999\">",
      u"<IND x=\"99999999\">far",
      u"<P INDENT=\"-99999999\">back",
      u"<R a=\"99999999\">turned",
  };
  for (const String& html : cases) {
    SCOPED_TRACE(UTF8Encode(html.substr(0, 40)));
    TRender measured(&C.Canvas, html, kRect, MeasureOnly());
    EXPECT_GE(measured.Result.HeightOut, Gh);
    EXPECT_LE(measured.Result.WidthOut, 40000);
    TRender drawn(&C.Canvas, html, kRect);
    TRender hit(&C.Canvas, html, kRect, HitAt(10, 5));
    C.Log.Clear();
  }
  TRender cut(&C.Canvas, u"text <B", kRect, MeasureOnly());
  EXPECT_EQ(cut.Result.PlainTextOut, u"text ");
}

}  // namespace
