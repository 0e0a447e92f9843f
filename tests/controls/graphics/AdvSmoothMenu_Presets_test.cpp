// The smooth menu's style presets and colour tones: what each sets, what it leaves, and what the
// menu then paints.
#include "tests/controls/graphics/SmoothMenuTestSupport.h"

namespace {

using namespace menutest;

// Every colour a preset or the tones may set, in one comparable record.
struct TMenuColors {
  TColor Border, Color, ColorTo, Mirror, MirrorTo, Indicator, Line;
  TColor Glow, GlowHover, GlowSelected;
  uint8_t GlowOpacity, GlowOpacityHover, GlowOpacitySelected;
  TColor Font, HoverFont, SelectedFont, NotesFont;
  TAdvGradientType MirrorType;
  friend bool operator==(const TMenuColors&, const TMenuColors&) = default;
};

TMenuColors ColorsOf(TAdvSmoothMenu* menu) {
  TGDIPFill* f = menu->Appearance()->Fill();
  TAdvSmoothMenuItemAppearance* a = menu->ItemAppearance();
  return {f->BorderColor(),          f->Color(),
          f->ColorTo(),              f->ColorMirror(),
          f->ColorMirrorTo(),        menu->Appearance()->IndicatorColor(),
          menu->Appearance()->LineColor(),
          a->GlowColor(),            a->GlowColorHover(),
          a->GlowColorSelected(),    a->GlowOpacity(),
          a->GlowOpacityHover(),     a->GlowOpacitySelected(),
          a->Font()->Color(),        a->HoverFont()->Color(),
          a->SelectedFont()->Color(), a->NotesFont()->Color(),
          f->GradientMirrorType()};
}

class SmoothMenuPresets : public TSmoothMenuTest {};

TEST_F(SmoothMenuPresets, PresetFourGivesTheColoursTheMainWindowStoresForItsMenu) {
  Menu->SetComponentStyle(4);
  const TMenuColors expected{0x00E3B28D, 0x00FAF1E9, 0x00EDD8C7, 0x00EDD8C7, 0x00FFF2E7,
                             0x00FFFFFF, 0x00FFFFFF, 0x00FFD2AF, 0x006CCAFD, 0x004C9FFD,
                             150,        210,        200,        0x00000000, 0x00000000,
                             0x00FFFFFF, 0x00723708, gtVertical};
  EXPECT_TRUE(ColorsOf(Menu) == expected);
}

TEST_F(SmoothMenuPresets, PresetEightAndValuesPastNineteenChangeNothing) {
  Menu->SetComponentStyle(13);
  Menu->Appearance()->Fill()->SetGradientMirrorType(gtRadial);
  const TMenuColors before = ColorsOf(Menu);
  for (TStylePreset style : {8, 20, 255}) {
    Menu->SetComponentStyle(style);
    EXPECT_TRUE(ColorsOf(Menu) == before) << int(style);
  }
}

TEST_F(SmoothMenuPresets, EachPresetSetsItsRowAndOnlyTwelveKeepsTheMirrorGradient) {
  struct Case {
    TStylePreset Style;
    TColor Border, Color, Mirror, Indicator, GlowSelected, SelectedFont, NotesFont;
    TAdvGradientType MirrorType;  // the fill's was gtRadial
  } cases[] = {
      {0, 0x00E3B28D, 0x00FDEADA, 0x00FADAC4, 0, 0x004C9FFD, 0x00FFFFFF, 0, gtVertical},
      {5, 0, 0x00CFC6C1, 0x00C5BBB4, 0, 0x004C9FFD, 0x00FFFFFF, 0x00433C37, gtVertical},
      {6, 0, clBtnFace, clBtnFace, 0, clInactiveCaption, 0, 0, gtVertical},
      {9, 0x0074706F, 0x00F6F1EE, 0x00E7DCD5, 0x00FFFFFF, 0x004C9FFD, 0x00FFFFFF, 0x00723708,
       gtVertical},
      {12, 0x00808080, clBtnFace, clNone, 0, clHighlight, 0x00FFFFFF, 0, gtRadial},
      {15, 0x006D6D6D, 0x00BFBFBF, clNone, 0x00D7D7D6, 0x0045E1FE, 0, 0, gtVertical},
      {19, 0x00ABABAB, 0x00FFFFFF, clNone, 0x00ABABAB, 0x00F7E0C9, 0, 0, gtVertical},
  };
  for (const Case& c : cases) {
    Menu->Appearance()->Fill()->SetGradientMirrorType(gtRadial);
    Menu->ItemAppearance()->SetGlowOpacity(99);
    Menu->SetComponentStyle(c.Style);
    TMenuColors m = ColorsOf(Menu);
    const int s = c.Style;
    EXPECT_EQ(m.Border, c.Border) << s;
    EXPECT_EQ(m.Color, c.Color) << s << ": system colours stay symbolic";
    EXPECT_EQ(m.Mirror, c.Mirror) << s;
    EXPECT_EQ(m.Indicator, c.Indicator) << s;
    EXPECT_EQ(m.Line, c.Indicator) << s << ": the line goes with the indicator";
    EXPECT_EQ(m.GlowSelected, c.GlowSelected) << s;
    EXPECT_EQ(m.SelectedFont, c.SelectedFont) << s;
    EXPECT_EQ(m.NotesFont, c.NotesFont) << s;
    EXPECT_EQ(m.MirrorType, c.MirrorType) << s;
    EXPECT_EQ(m.GlowOpacity, 99) << s << ": only preset 4 sets opacities";
  }
}

TEST_F(SmoothMenuPresets, ColourTonesGiveAFlatBodyNoGlowsAndOneTextColour) {
  AddItems(3);
  Menu->SetComponentStyle(4);
  TColorTones tones{};
  tones.Normal = {0x00336699, 0x00112233, 0x00445566};
  tones.Hot = {0x00FF0000, 0x00FF0000, 0x00FF0000};
  Menu->SetColorTones(tones);
  TMenuColors m = ColorsOf(Menu);
  EXPECT_EQ(m.Border, TColor(0x00112233));
  for (TColor c : {m.Color, m.ColorTo, m.Mirror, m.MirrorTo}) EXPECT_EQ(c, TColor(0x00336699));
  for (TColor c : {m.Glow, m.GlowHover, m.GlowSelected}) EXPECT_EQ(c, clNone);
  for (TColor c : {m.Indicator, m.Line, m.Font, m.HoverFont, m.SelectedFont, m.NotesFont})
    EXPECT_EQ(c, TColor(0x00445566));

  Show();
  TGPCallLog log;
  {
    TGPCallLogScope scope(log);
    Menu->Repaint();
  }
  for (const TGPCall& c : log.Named("GdipFillRectangle"))
    EXPECT_NE(c.Brush.Kind, TGPBrushKind::PathGradient) << "no glow is painted";
  int texts = 0;
  for (const TGPCall& c : log.Named("GdipDrawString")) {
    ASSERT_EQ(c.Brush.Colors.size(), 1u);
    EXPECT_EQ(c.Brush.Colors[0] & 0x00FFFFFF, 0x00665544u) << UTF8Encode(c.Text);
    ++texts;
  }
  EXPECT_EQ(texts, 4) << "three captions and the highlighted item's notes";
}

}  // namespace
