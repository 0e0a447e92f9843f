// What the smooth menu paints, from the GDI+ call log: the order of the steps, a disabled item's
// look, where the notes and the picture go, what the splitter height moves, and (from pixels) the
// parent showing through a transparent menu.
#include "platform/rtl/Streams.h"
#include "tests/controls/graphics/GraphicsTestSupport.h"
#include "tests/controls/graphics/SmoothMenuTestSupport.h"

namespace {

using namespace menutest;

class SmoothMenuPaint : public TSmoothMenuTest {
 public:
  // The calls of one full paint of the menu.
  TGPCallLog PaintNow() {
    Show();
    TGPCallLog log;
    {
      TGPCallLogScope scope(log);
      Menu->Repaint();
    }
    return log;
  }
  void GivePicture(int index) {
    TBytesStream stream(gdiptest::ReadFixture("pattern_rgba.png"));
    Item(index)->Picture()->LoadFromStream(&stream);
  }
  static bool IsLine(const TGPCall& c) {
    return c.Name == "GdipDrawLine" && c.Pen.Width > 0.09f && c.Pen.Width < 0.11f;
  }
  // The paint's steps as words: what comes before the line is the background; after it each
  // call that draws is named by what it draws.
  std::vector<std::string> Steps(const TGPCallLog& log) {
    std::vector<std::string> steps;
    bool lineSeen = false;
    for (const TGPCall& c : log.Calls()) {
      std::string step;
      if (IsLine(c)) {
        step = "line";
        lineSeen = true;
      } else if (!lineSeen) {
        if (c.Name.rfind("GdipFill", 0) == 0) step = "background";
      } else if (c.Name == "GdipFillRectangle" && c.Brush.Kind == TGPBrushKind::PathGradient) {
        step = "glow";
      } else if (c.Name == "GdipFillRectangle" &&
                 c.Brush.Kind == TGPBrushKind::LinearGradient) {
        step = "splitter";
      } else if (c.Name == "GdipDrawString") {
        for (int i = 0; i < Menu->Items()->Count(); ++i) {
          if (c.Text == Item(i)->Caption()) step = "caption " + std::to_string(i);
          if (c.Text == Item(i)->Notes()) step = "notes " + std::to_string(i);
        }
      } else if (c.Name == "GdipDrawImageRect") {
        step = "picture";
      } else if (c.Name == "GdipFillPath" && c.Brush.Kind == TGPBrushKind::Solid) {
        step = "indicator";
      } else if (c.Name == "GdipDrawPath" && c.Pen.DashStyle == DashStyleDot) {
        step = "focus";
      }
      // One word for a step of several calls (the two halves of a splitter, the fill's parts).
      if (!step.empty() && (steps.empty() || steps.back() != step)) steps.push_back(step);
    }
    return steps;
  }
  static std::vector<TGPCall> Strings(const TGPCallLog& log, const String& text) {
    std::vector<TGPCall> found;
    for (const TGPCall& c : log.Named("GdipDrawString"))
      if (c.Text == text) found.push_back(c);
    return found;
  }
};

TEST_F(SmoothMenuPaint, BackgroundLineItemsIndicatorAndFocusInThatOrder) {
  AddItems(3);
  GivePicture(0);
  Item(1)->SetEnabled(false);
  Show();
  Menu->SetFocus();
  ASSERT_TRUE(Menu->HasFocusState());
  TGPCallLog log = PaintNow();
  using S = std::vector<std::string>;
  EXPECT_EQ(Steps(log), (S{"background", "line",                                    //
                           "glow", "caption 0", "picture", "notes 0", "splitter",   //
                           "caption 1", "splitter",                                 //
                           "glow", "caption 2",                                     //
                           "indicator", "focus"}))
      << log.Dump();

  // The disabled caption is grey, drawn from a copy: the stored font keeps its colour.
  std::vector<TGPCall> disabled = Strings(log, Item(1)->Caption());
  ASSERT_EQ(disabled.size(), 1u);
  ASSERT_EQ(disabled[0].Brush.Colors.size(), 1u);
  EXPECT_EQ(disabled[0].Brush.Colors[0], 0xFF808080u);
  EXPECT_NE(Menu->ItemAppearance()->Font()->Color(), TColor(0x00808080));

  // Not a tab stop, no focus rectangle; transparent, no background.
  Menu->SetTransparent(true);
  Menu->SetTabStop(false);
  std::vector<std::string> steps = Steps(PaintNow());
  EXPECT_EQ(std::count(steps.begin(), steps.end(), "focus"), 0);
  EXPECT_EQ(std::count(steps.begin(), steps.end(), "background"), 0);
}

TEST_F(SmoothMenuPaint, GlowsFollowTheItemStateAndNeedAColourAndAnOpacity) {
  AddItems(3);
  TAdvSmoothMenuItemAppearance* a = Menu->ItemAppearance();
  a->SetGlowColor(0x00112233);
  a->SetGlowOpacity(50);
  a->SetGlowColorSelected(0x00445566);
  a->SetGlowOpacitySelected(60);
  a->SetGlowColorHover(0x00778899);
  a->SetGlowOpacityHover(70);
  Menu->SetSelectedItemIndex(1);
  // Hover index 0 (the start), selected 1, item 2 normal.
  auto centres = [&] {
    std::vector<ARGB> found;
    for (const TGPCall& c : PaintNow().Named("GdipFillRectangle"))
      if (c.Brush.Kind == TGPBrushKind::PathGradient) found.push_back(c.Brush.CenterColor);
    return found;
  };
  EXPECT_EQ(centres(), (std::vector<ARGB>{0x46998877, 0x3C665544, 0x32332211}));
  a->SetGlowOpacity(0);
  a->SetGlowColorHover(clNone);
  EXPECT_EQ(centres(), (std::vector<ARGB>{0x3C665544}));
  a->SetGlowShape(gsDiamond);
  std::vector<TGPCall> glows;
  for (const TGPCall& c : PaintNow().Named("GdipFillRectangle"))
    if (c.Brush.Kind == TGPBrushKind::PathGradient) glows.push_back(c);
  ASSERT_EQ(glows.size(), 1u);
  EXPECT_EQ(glows[0].Brush.CenterPoint.X, Item(1)->Center());
  EXPECT_EQ(glows[0].Brush.SurroundColors, (std::vector<ARGB>{0x00FFFFFF}));
}

TEST_F(SmoothMenuPaint, NotesStartThePictureWidthFurtherRightWhereverThePictureIs) {
  Show();
  const int SH = Menu->ItemAppearance()->Splitter()->Height();
  struct Case {
    const char* Name;
    bool Picture;
    TFillPicturePosition Position;
    float PictureX;  // where the picture is drawn
  } cases[] = {
      {"no picture", false, ppTopLeft, -1},
      {"picture top left", true, ppTopLeft, 0},
      {"picture top right", true, ppTopRight, 501 - 24},
      {"picture centred", true, ppTopCenter, (501 - 24) / 2},
      {"picture tiled: not drawn", true, ppTiled, -1},
  };
  for (const Case& c : cases) {
    Menu->Items()->Clear();
    AddItems(2);
    if (c.Picture) {
      GivePicture(0);
      ASSERT_EQ(Item(0)->Picture()->Width(), 24);
    }
    Item(0)->SetPicturePosition(c.Position);
    TGPCallLog log = PaintNow();
    std::vector<TGPCall> notes = Strings(log, Item(0)->Notes());
    ASSERT_EQ(notes.size(), 1u) << c.Name;
    const float pw = c.Picture ? 24.0f : 0.0f;
    EXPECT_FLOAT_EQ(notes[0].Args[0], 2 + pw) << c.Name;
    EXPECT_FLOAT_EQ(notes[0].Args[1], float(SH + 4)) << c.Name;
    std::vector<TGPCall> pictures = log.Named("GdipDrawImageRect");
    if (c.PictureX < 0) {
      EXPECT_TRUE(pictures.empty()) << c.Name;
    } else {
      ASSERT_EQ(pictures.size(), 1u) << c.Name;
      EXPECT_EQ(pictures[0].Args, (std::vector<float>{c.PictureX, float(SH + 4), 24, 16}))
          << c.Name;
    }
  }
  EXPECT_TRUE(Strings(PaintNow(), Item(1)->Notes()).empty()) << "only the highlighted item's";
}

TEST_F(SmoothMenuPaint, TheSplitterHeightPlacesTheLineTheIndicatorAndTheNotes) {
  AddItems(3);
  for (int SH : {28, 40, 12}) {
    Menu->ItemAppearance()->Splitter()->SetHeight(SH);
    TGPCallLog log = PaintNow();
    std::vector<TGPCall> lines;
    for (const TGPCall& c : log.Calls())
      if (IsLine(c)) lines.push_back(c);
    ASSERT_EQ(lines.size(), 1u) << SH;
    EXPECT_EQ(lines[0].Args, (std::vector<float>{0, float(SH + 2), 501, float(SH + 2)})) << SH;
    std::vector<TGPCall> paths = log.Named("GdipFillPath");
    ASSERT_FALSE(paths.empty());
    const TGPCall& indicator = paths.back();
    EXPECT_FLOAT_EQ(indicator.PathBounds.Y + indicator.PathBounds.Height, float(SH + 2)) << SH;
    EXPECT_FLOAT_EQ(indicator.PathBounds.Height, 6) << SH;
    EXPECT_FLOAT_EQ(indicator.PathBounds.X + indicator.PathBounds.Width / 2,
                    Menu->IndicatorPosition())
        << SH;
    std::vector<TGPCall> notes = Strings(log, Item(0)->Notes());
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_FLOAT_EQ(notes[0].Args[1], float(SH + 4)) << SH;
    // The splitter is SH tall, centred on the caption band, at the cell's right edge.
    std::vector<TGPCall> halves;
    for (const TGPCall& c : log.Named("GdipFillRectangle"))
      if (c.Brush.Kind == TGPBrushKind::LinearGradient && c.Args[2] == 1) halves.push_back(c);
    ASSERT_EQ(halves.size(), 4u) << "two splitters of two halves";
    const TGPFloatRect& cell = Item(0)->ItemRect();
    const float mid = cell.Y + cell.Height / 2;
    EXPECT_EQ(halves[0].Args, (std::vector<float>{cell.Width, mid - SH / 2.0f, 1, SH / 2.0f}));
    EXPECT_EQ(halves[1].Args, (std::vector<float>{cell.Width, mid, 1, SH / 2.0f}));
  }
}

TEST_F(SmoothMenuPaint, ATransparentMenuShowsItsParentWhereItDrawsNothing) {
  AddItems(3);
  const int x = Menu->Width() - 3, y = Menu->Height() - 3;
  EXPECT_NE(Painted(x, y), ColorToRGB(clFuchsia)) << "the fill covers the parent";
  Menu->SetTransparent(true);
  EXPECT_EQ(Painted(x, y), ColorToRGB(clFuchsia));
  Form->SetColor(clLime);
  EXPECT_EQ(Painted(x, y), ColorToRGB(clLime));
}

}  // namespace
