// The glow button's looks: the colour routines, the appearance and its presets and tones, and
// what a frame paints for a state (caption colour and face, the disabled set, the halves' "no
// colour" rules, corners, the group outline and the automatic size).
#include "tests/controls/graphics/GlowButtonTestSupport.h"

namespace {

using namespace glowtest;

TEST(GlowColours, DarkerAndBlendWorkPerChannelWithHalvesToEven) {
  struct Case {
    const char* Name;
    TColor Got, Expected;
  } cases[] = {
      // 0x80 * 0.9 = 115.2; 0xFF * 0.9 = 229.5 goes to the even 230; a 0 channel gives 0.
      {"darker by 10", DarkerColor(0x00FF8000, -10), 0x00E67300},
      // A positive percent keeps non-zero channels and lifts zero ones to the percent.
      {"positive", DarkerColor(0x00000010, 20), 0x00141410},
      {"system colour resolved", DarkerColor(clWhite, -10), 0x00E6E6E6},
      // The appearance's down defaults are its hot defaults less 10 % on red and green.
      {"down from hot", DarkerColorRGB(0x00F5F0E1, -10, -10, 0), 0x00F5D8CA},
      {"down to from hot to", DarkerColorRGB(0x00F9D2B2, -10, -10, 0), 0x00F9BDA0},
      {"disabled from normal", DarkerColor(0x00C0C0C0, -5), 0x00B6B6B6},
      {"blend full", BlendColor(clRed, clBlue, 100), clRed},
      {"blend none", BlendColor(clRed, clBlue, 0), clBlue},
      {"blend from no colour", BlendColor(clNone, clBlue, 50), clBlue},
      {"blend to no colour", BlendColor(clRed, clNone, 50), clRed},
      {"blend half", BlendColor(0x000000FF, 0x00FF0000, 50), 0x00800080},
      {"blend 30", BlendColor(clWhite, clBlack, 30), 0x004C4C4C},
  };
  for (const Case& c : cases) EXPECT_EQ(c.Got, c.Expected) << c.Name;
}

class GlowLook : public TGlowButtonTest {};

TEST_F(GlowLook, PresetsWriteTheirSetsAndFlagsOnly) {
  struct Case {
    int Preset;
    std::function<void(TAdvGlowButton*, const TGlowButtonAppearance& before)> Check;
  } cases[] = {
      {8,
       [](TAdvGlowButton* b, const TGlowButtonAppearance& before) {
         const TGlowButtonAppearance& a = *b->Appearance();
         EXPECT_EQ(a.Color(), before.Color());
         EXPECT_EQ(a.ColorHot(), before.ColorHot());
         EXPECT_EQ(a.BorderColorChecked(), before.BorderColorChecked());
         EXPECT_EQ(a.GradientHot(), before.GradientHot());
         EXPECT_EQ(a.TextColorChecked(), clBlack);
         EXPECT_FALSE(b->Rounded());
         EXPECT_FALSE(a.TransparentHover());
       }},
      {12,
       [](TAdvGlowButton* b, const TGlowButtonAppearance& before) {
         const TGlowButtonAppearance& a = *b->Appearance();
         EXPECT_EQ(a.Color(), clBtnFace);
         EXPECT_EQ(a.ColorMirrorTo(), clBtnFace);
         EXPECT_EQ(a.ColorDown(), clHighlight);
         EXPECT_EQ(a.BorderColorHot(), clGray);
         EXPECT_EQ(a.BorderColor(), before.BorderColor()) << "no border for the normal set";
         EXPECT_EQ(a.Gradient(), before.Gradient()) << "no gradient at all";
         EXPECT_EQ(a.GradientHot(), before.GradientHot());
         EXPECT_EQ(a.GradientMirrorChecked(), before.GradientMirrorChecked());
         EXPECT_TRUE(b->Rounded());
       }},
      {14,
       [](TAdvGlowButton* b, const TGlowButtonAppearance&) {
         const TGlowButtonAppearance& a = *b->Appearance();
         EXPECT_TRUE(a.TransparentHover());
         EXPECT_EQ(a.ColorHot(), 0x008AE3FD);
         EXPECT_EQ(a.GradientHot(), ggVertical);
         EXPECT_EQ(a.GradientDisabled(), ggRadial) << "no preset writes the disabled gradients";
       }},
      {2,
       [](TAdvGlowButton* b, const TGlowButtonAppearance& before) {
         const TGlowButtonAppearance& a = *b->Appearance();
         EXPECT_EQ(a.BorderColorChecked(), before.BorderColorChecked());
         EXPECT_EQ(a.ColorChecked(), 0x00B5DBFB);
         EXPECT_EQ(a.ColorDisabled(), before.ColorDisabled());
       }},
      {25,
       [](TAdvGlowButton* b, const TGlowButtonAppearance& before) {
         EXPECT_EQ(b->Appearance()->Color(), before.Color());
         EXPECT_TRUE(b->Rounded()) << "only 8 and 16 to 19 are square";
         EXPECT_EQ(b->AppliedPreset(), 25);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Preset);
    TAdvGlowButton* b = Add(u"x", Bounds(10, 10, 100, 41));
    b->Appearance()->SetTransparentHover(true);
    b->Appearance()->SetBorderColor(clRed);
    b->Appearance()->SetGradientHot(ggDiagonalForward);
    b->Appearance()->SetTextColorChecked(clYellow);
    TGlowButtonAppearance before;
    before.Assign(b->Appearance());
    b->SetComponentStyle(static_cast<TStylePreset>(c.Preset));
    c.Check(b, before);
  }
  // The flat presets are square, solid in every set, and checked text is white.
  for (int preset = 16; preset <= 19; ++preset) {
    SCOPED_TRACE(preset);
    TAdvGlowButton* b = Add(u"x", Bounds(10, 10, 100, 41));
    b->SetComponentStyle(static_cast<TStylePreset>(preset));
    const TGlowButtonAppearance& a = *b->Appearance();
    EXPECT_FALSE(b->Rounded());
    for (TColor end : {a.ColorTo(), a.ColorMirrorTo(), a.ColorHotTo(), a.ColorMirrorHotTo(),
                       a.ColorDownTo(), a.ColorMirrorDownTo(), a.ColorCheckedTo(),
                       a.ColorMirrorCheckedTo(), a.ColorDisabledTo(), a.ColorMirrorDisabledTo()})
      EXPECT_EQ(end, clNone);
    EXPECT_EQ(a.TextColorChecked(), clWhite);
    EXPECT_EQ(a.BorderColorDisabled(), preset == 16 ? 0x00DEDEDE : 0x00ACACAC);
  }
}

TEST_F(GlowLook, AssignCopiesTheTransparentHoverFlagAndRefusesOtherSources) {
  TGlowButtonAppearance source, target;
  source.SetColorHot(clRed);
  source.SetGradientMirrorDown(ggDiagonalBackward);
  source.SetTransparentHover(true);
  target.Assign(&source);
  EXPECT_EQ(target.ColorHot(), clRed);
  EXPECT_EQ(target.GradientMirrorDown(), ggDiagonalBackward);
  EXPECT_TRUE(target.TransparentHover());
  TFont font;
  EXPECT_ANY_THROW(target.Assign(&font));
}

TEST_F(GlowLook, ASetterGivenItsCurrentValueDoesNotRepaint) {
  TAdvGlowButton* b = Add(u"x", Bounds(10, 10, 100, 41));
  int paints = 0;
  b->OnDrawButton = [&](TObject*, TCanvas*, TGlowButtonState, TRect) { ++paints; };
  Show();
  RunScript();
  struct Case {
    const char* Name;
    std::function<void()> Same, Other;
  } cases[] = {
      {"appearance colour", [&] { b->Appearance()->SetColorHot(b->Appearance()->ColorHot()); },
       [&] { b->Appearance()->SetColorHot(clRed); }},
      {"gradient", [&] { b->Appearance()->SetGradient(b->Appearance()->Gradient()); },
       [&] { b->Appearance()->SetGradient(ggRadial); }},
      {"rounded", [&] { b->SetRounded(b->Rounded()); }, [&] { b->SetRounded(false); }},
      {"spacing", [&] { b->SetSpacing(b->Spacing()); }, [&] { b->SetSpacing(5); }},
  };
  for (const Case& c : cases) {
    int before = paints;
    c.Same();
    RunScript();
    EXPECT_EQ(paints, before) << c.Name;
    c.Other();
    RunScript();
    EXPECT_EQ(paints, before + 1) << c.Name;
  }
}

TEST_F(GlowLook, HoverPaintsTheCaptionInTheHotTextColourAndTheSystemFace) {
  TAdvGlowButton* b = Add(u"Зачувај", Bounds(10, 10, 120, 41));
  b->Font()->SetColor(clRed);
  b->Font()->SetName(u"Courier New");
  Show();
  auto caption = [&] {
    TGPCallLog log;
    {
      TGPCallLogScope scope(log);
      b->Repaint();
    }
    std::vector<TGPCall> drawn = log.Named("GdipDrawString");
    EXPECT_EQ(drawn.size(), 1u) << log.Dump();
    return drawn.empty() ? TGPCall{} : drawn[0];
  };
  TGPCall normal = caption();
  EXPECT_EQ(normal.Text, u"Зачувај");
  EXPECT_EQ(normal.FontFamily, u"Segoe UI") << "the system face, whatever Font names";
  EXPECT_EQ(normal.Brush.Colors, std::vector<ARGB>{0xFFFF0000});

  Script().Then([&] { InjectMouseMove(CenterOf(b)); });
  RunScript();
  ASSERT_TRUE(b->Hot());
  TGPCall hot = caption();
  EXPECT_EQ(hot.Brush.Colors, std::vector<ARGB>{0xFF000000}) << "TextColorHot";
  EXPECT_EQ(hot.FontFamily, u"Segoe UI");

  b->Appearance()->SetSystemFont(false);
  EXPECT_EQ(caption().FontFamily, u"Courier New");
}

TEST_F(GlowLook, DisabledLooksFollowShowDisabled) {
  TAdvGlowButton* b = Add(u"", Bounds(10, 10, 100, 41));
  Solid(b->Appearance(), clLime, clAqua, clBlue, clNavy, clYellow);
  EXPECT_EQ(Painted(b, 50, 8), Rgb(clLime));
  b->SetEnabled(false);
  EXPECT_EQ(Painted(b, 50, 8), Rgb(clYellow));
  EXPECT_EQ(b->ButtonState(), 1);
  b->SetShowDisabled(false);
  EXPECT_EQ(Painted(b, 50, 8), Rgb(clLime)) << "the normal set";
  b->SetEnabled(true);
  EXPECT_EQ(Painted(b, 50, 8), Rgb(clLime));
  EXPECT_EQ(b->ButtonState(), 0);
}

TEST_F(GlowLook, NoColourInAHalfMakesItSolidAndAMissingMirrorStartTakesTheColour) {
  struct Case {
    const char* Name;
    TColor Color, ColorTo, Mirror, MirrorTo;
    TColor Upper, Lower;  // at the top and the bottom of each half
  } cases[] = {
      {"end missing", clRed, clNone, clBlue, clNone, clRed, clBlue},
      {"start missing", clNone, clRed, clNone, clBlue, clRed, clBlue},
      {"mirror start missing", clGreen, clGreen, clNone, clNone, clGreen, clGreen},
  };
  TAdvGlowButton* b = Add(u"", Bounds(10, 10, 100, 40));
  for (const Case& c : cases) {
    TGlowButtonAppearance* a = b->Appearance();
    a->SetColor(c.Color);
    a->SetColorTo(c.ColorTo);
    a->SetColorMirror(c.Mirror);
    a->SetColorMirrorTo(c.MirrorTo);
    EXPECT_EQ(Painted(b, 50, 3), Rgb(c.Upper)) << c.Name;
    EXPECT_EQ(Pixel(b, 50, 17), Rgb(c.Upper)) << c.Name;
    EXPECT_EQ(Pixel(b, 50, 22), Rgb(c.Lower)) << c.Name;
    EXPECT_EQ(Pixel(b, 50, 36), Rgb(c.Lower)) << c.Name;
  }
}

TEST_F(GlowLook, CornersGoBackToTheParentOnlyWhenRoundedAndNotInTheMiddle) {
  TAdvGlowButton* b = Add(u"", Bounds(10, 10, 100, 40));
  Solid(b->Appearance(), clLime, clAqua, clBlue, clNavy, clYellow);
  b->Appearance()->SetBorderColor(clBlack);
  const COLORREF parent = Rgb(clFuchsia);
  struct Case {
    const char* Name;
    TButtonPosition Position;
    bool Rounded;
    bool Left, Right;  // whether those corners show the parent
  } cases[] = {
      {"standalone", bpStandalone, true, true, true},
      {"square", bpStandalone, false, false, false},
      {"left", bpLeft, true, true, false},
      {"right", bpRight, true, false, true},
      {"middle", bpMiddle, true, false, false},
  };
  for (const Case& c : cases) {
    b->SetPosition(c.Position);
    b->SetRounded(c.Rounded);
    Painted(b, 0, 0);
    EXPECT_EQ(Pixel(b, 0, 0) == parent, c.Left) << c.Name;
    EXPECT_EQ(Pixel(b, 0, 39) == parent, c.Left) << c.Name;
    EXPECT_EQ(Pixel(b, 99, 0) == parent, c.Right) << c.Name;
    EXPECT_EQ(Pixel(b, 99, 39) == parent, c.Right) << c.Name;
    EXPECT_NE(Pixel(b, 1, 1), parent) << c.Name << ": only single pixels go back";
  }
}

TEST_F(GlowLook, AMiddleButtonsLeftEdgeIsALightInsetLineUnlessHotOrDown) {
  TAdvGlowButton* b = Add(u"", Bounds(10, 10, 100, 40));
  Solid(b->Appearance(), clLime, clLime, clLime, clLime, clLime);
  b->Appearance()->SetBorderColor(clBlack);
  b->SetPosition(bpMiddle);
  const COLORREF light = RGB(0xE6, 0xE6, 0xE6);
  Painted(b, 0, 0);
  EXPECT_EQ(Pixel(b, 0, 1), Rgb(clLime)) << "inset by 2 from the top";
  EXPECT_NE(Pixel(b, 0, 2), Rgb(clLime)) << "the line's end";
  EXPECT_EQ(Pixel(b, 0, 3), light);
  EXPECT_EQ(Pixel(b, 0, 20), light);
  EXPECT_EQ(Pixel(b, 0, 36), light);
  EXPECT_EQ(Pixel(b, 0, 38), Rgb(clLime));
  EXPECT_EQ(Pixel(b, 50, 0), Rgb(clBlack)) << "top edge";
  EXPECT_EQ(Pixel(b, 50, 39), Rgb(clBlack)) << "bottom edge";
  EXPECT_EQ(Pixel(b, 99, 20), Rgb(clBlack)) << "right edge: black darkened stays black";
  Script().Then([&] { InjectMouseMove(CenterOf(b)); });
  RunScript();
  b->Repaint();
  EXPECT_EQ(Pixel(b, 0, 1), Rgb(clBlack)) << "hot: a full darker line";
}

TEST_F(GlowLook, AutoSizeAddsSpacingMarginsAndTheDropDownStrip) {
  TCustomImageList images(16, 16);
  TBitmap glyph(16, 16);
  glyph.Canvas()->Brush()->SetColor(clBlue);
  glyph.Canvas()->FillRect(Rect(0, 0, 16, 16));
  images.Add(&glyph, nullptr);
  TAdvGlowButton* b = Add(u"", Bounds(10, 10, 100, 41));
  b->SetImages(&images);
  b->SetImageIndex(0);
  Show();
  struct Case {
    const char* Name;
    std::function<void()> Change;
    int Width, Height;
  } cases[] = {
      // 3 x 2 + 16 + 2 x 1 + 2 wide; 2 x 2 + 16 + 2 x 1 high.
      {"captionless glyph", [&] { b->SetAutoSize(true); }, 26, 22},
      {"drop-down on the right", [&] { b->SetDropDownButton(true); }, 40, 22},
      {"drop-down below", [&] { b->SetDropDownPosition(dpBottom); }, 26, 36},
      // The layout only repaints; the next change that measures takes it into account.
      {"glyph on top: no spacing in the height",
       [&] {
         b->SetLayout(blGlyphTop);
         b->SetMarginHorz(5);
       },
       34, 32},
  };
  for (const Case& c : cases) {
    c.Change();
    RunScript();
    EXPECT_EQ(b->Width(), c.Width) << c.Name;
    EXPECT_EQ(b->Height(), c.Height) << c.Name;
  }
  // A caption widens the button; a longer one more.
  b->SetDropDownButton(false);
  b->SetLayout(blGlyphLeft);
  b->SetCaption(u"Ок");
  RunScript();
  int shortWidth = b->Width();
  EXPECT_GT(shortWidth, 34);
  b->SetCaption(u"Откажи барање");
  RunScript();
  EXPECT_GT(b->Width(), shortWidth + 40);
}

}  // namespace
