// The smooth panel: its cached image, the caption's geometry as the GDI+ call log sees it, the
// placement rule, the presets, moving by the top strip and what it copies.
#include "platform/rtl/Streams.h"
#include "tests/controls/graphics/SmoothPanelTestSupport.h"

namespace {

using namespace AdvSmoothPanel;
using smoothtest::TSmoothPanelTest;

class SmoothPanel : public TSmoothPanelTest {};

TEST_F(SmoothPanel, TheCacheIsRebuiltOnlyAfterAChange) {
  TAdvSmoothPanel* panel = Add(Bounds(10, 10, 256, 128));
  panel->Caption()->SetText(u"Панел");
  Show();
  panel->Caption()->SetColorStart(clRed);
  TGPCallLog twice;
  {
    TGPCallLogScope scope(twice);
    panel->Repaint();
    panel->Repaint();
  }
  EXPECT_EQ(TextCalls(twice, u"Панел"), 1) << "one rebuild for one change";
  EXPECT_EQ(twice.Named("GdipDrawImageI").size(), 2u) << "each paint copies the cache";

  // WM_SIZE draws nothing itself: it leaves the window to be painted.
  TRect pending;
  EXPECT_FALSE(GetUpdateRect(panel->Handle(), &pending, false));
  TGPCallLog duringSize;
  {
    TGPCallLogScope scope(duringSize);
    panel->Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(256, 128));
  }
  EXPECT_TRUE(duringSize.Calls().empty());
  EXPECT_TRUE(GetUpdateRect(panel->Handle(), &pending, false));
  // A new size is a change.
  panel->SetWidth(300);
  EXPECT_EQ(TextCalls(Painted(panel), u"Панел"), 1);
}

TEST_F(SmoothPanel, APanelOfOnePixelDrawsNothingButStillRaisesOnDraw) {
  TAdvSmoothPanel* panel = Add(Bounds(10, 10, 1, 50));
  int draws = 0;
  panel->OnDraw = [&](TObject*, TCanvas* canvas, TRect) {
    EXPECT_NE(canvas, nullptr);
    ++draws;
  };
  TGPCallLog log = Painted(panel);
  EXPECT_TRUE(log.Named("GdipDrawImageI").empty());
  EXPECT_EQ(draws, 1);
}

TEST_F(SmoothPanel, ThePlacementRuleMeasuresExtentsFromZero) {
  struct TCase {
    TAdvSmoothPanelLocation Location;
    TPoint Expected;
  } cases[] = {
      // Frame (10, 6, 200, 100), item 40 x 20.
      {plTopLeft, {10, 6}},        {plTopCenter, {80, 6}},        {plTopRight, {160, 6}},
      {plCenterLeft, {10, 40}},    {plCenterCenter, {80, 40}},    {plCenterRight, {160, 40}},
      {plBottomLeft, {10, 80}},    {plBottomCenter, {80, 80}},    {plBottomRight, {160, 80}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(PlaceInFrame(c.Location, MakeRectF(10, 6, 200, 100), 40, 20), c.Expected)
        << c.Location;
  // An item wider than the frame: the centre and the right edge keep the frame's x.
  EXPECT_EQ(PlaceInFrame(plTopRight, MakeRectF(10, 6, 30, 100), 40, 20).X, 10);
  EXPECT_EQ(PlaceInFrame(plTopCenter, MakeRectF(10, 6, 30, 100), 40, 20).X, 5);
}

TEST_F(SmoothPanel, ABottomCaptionHasItsLineAboveAndItsStripStillAtTheTop) {
  TAdvSmoothPanel* panel = Add(Bounds(10, 10, 256, 128));
  panel->Caption()->SetText(u"Долу");
  panel->Caption()->SetLocation(plBottomCenter);
  panel->Caption()->SetBackgroundColor(clYellow);
  panel->Caption()->SetBackgroundColorTo(clYellow);
  TGPCallLog log = Painted(panel);
  std::vector<TGPCall> texts = log.Named("GdipDrawString");
  std::vector<TGPCall> lines = log.Named("GdipDrawLine");
  ASSERT_EQ(texts.size(), 1u);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_FLOAT_EQ(lines[0].Args[1], texts[0].Args[1] - 2) << "two pixels above the text";
  EXPECT_EQ(lines[0].Pen.Color, 0xFF1C72B0u);
  bool stripAtTop = false;
  for (const TGPCall& call : log.Calls())
    if (!call.Brush.Colors.empty() && call.Brush.Colors[0] == 0xFFFFFF00u)
      stripAtTop = stripAtTop || (call.Name == "GdipFillRectangle" && call.Args[1] == 0) ||
                   (call.Name == "GdipFillPath" && call.PathBounds.Y == 0);
  EXPECT_TRUE(stripAtTop) << log.Dump();
  EXPECT_GT(texts[0].Args[1], 60) << "the text itself is at the bottom";
}

TEST_F(SmoothPanel, AFillPictureInATopCornerMovesOnlyATopCaption) {
  TAdvSmoothPanel* panel = Add(Bounds(10, 10, 256, 128));
  TBytesStream stream(gdiptest::ReadFixture("pattern_rgba.png"));
  panel->Fill()->Picture()->LoadFromStream(&stream);
  int pw = panel->Fill()->Picture()->Width();
  ASSERT_GT(pw, 0);
  panel->Fill()->SetPicturePosition(ppTopLeft);
  panel->Caption()->SetText(u"Слика");
  struct TCase {
    TAdvSmoothPanelLocation Location;
    bool Moved;
  } cases[] = {{plTopLeft, true}, {plCenterLeft, false}};
  // A borderless body bleeds one pixel past the edges: its frame starts at -1.
  for (const TCase& c : cases) {
    panel->Caption()->SetLocation(c.Location);
    std::vector<TGPCall> texts = Painted(panel).Named("GdipDrawString");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Args[0], c.Moved ? pw - 1 : -1) << c.Location;
  }
}

TEST_F(SmoothPanel, GradientKindsWithoutABrushDrawNoCaptionTextButKeepTheLine) {
  TAdvSmoothPanel* panel = Add(Bounds(10, 10, 256, 128));
  panel->Caption()->SetText(u"Без четка");
  for (TAdvGradientType type : {gtRadial, gtAngle, gtPath, gtNone, gtTexture}) {
    panel->Caption()->SetGradientType(type);
    TGPCallLog log = Painted(panel);
    EXPECT_TRUE(log.Named("GdipDrawString").empty()) << type;
    EXPECT_EQ(log.Named("GdipDrawLine").size(), 1u) << type;
  }
  panel->Caption()->SetGradientType(gtSolid);
  panel->Caption()->SetLine(false);
  TGPCallLog log = Painted(panel);
  EXPECT_EQ(log.Named("GdipDrawString").size(), 1u);
  EXPECT_TRUE(log.Named("GdipDrawLine").empty());
}

TEST_F(SmoothPanel, PresetsAndTonesRestyleTheFillAndTheCaption) {
  TAdvSmoothPanel* panel = Add(Bounds(10, 10, 256, 128));
  panel->Caption()->SetBackgroundColor(clYellow);
  panel->SetComponentStyle(8);
  EXPECT_EQ(panel->Caption()->BackgroundColor(), clYellow) << "8 keeps the strip";
  EXPECT_EQ(panel->Fill()->Rounding(), 10);
  panel->SetComponentStyle(4);
  EXPECT_EQ(panel->Caption()->BackgroundColor(), clNone);
  EXPECT_EQ(panel->Fill()->Color(), 0x00FAF1E9);
  EXPECT_EQ(panel->Fill()->ColorMirrorTo(), 0x00FFF2E7);
  EXPECT_EQ(panel->Fill()->GradientMirrorType(), gtVertical);
  EXPECT_EQ(panel->Caption()->LineColor(), 0x00B0721C);
  panel->SetComponentStyle(17);
  EXPECT_EQ(panel->Fill()->Rounding(), 0);
  EXPECT_EQ(panel->Fill()->ShadowOffset(), 0);
  EXPECT_EQ(panel->Fill()->Glow(), gmRadial);
  EXPECT_EQ(panel->Fill()->BorderColor(), 0x00D4D4D4);

  TColorTones tones{};
  tones.Normal = {0x00111111, 0x00222222, 0x00333333};
  tones.Down = {0x00444444, 0x00555555, 0x00666666};
  panel->SetColorTones(tones);
  EXPECT_EQ(panel->Caption()->BackgroundColor(), 0x00444444);
  EXPECT_EQ(panel->Caption()->ColorEnd(), 0x00666666);
  EXPECT_EQ(panel->Caption()->LineColor(), 0x00222222);
  EXPECT_EQ(panel->Caption()->HTMLFont()->Color(), 0x00333333);
  EXPECT_EQ(panel->Fill()->ColorMirror(), 0x00111111);
  EXPECT_EQ(panel->Fill()->ShadowColor(), clNone);
  EXPECT_EQ(panel->Caption()->Font()->Name(), GetDefaultFontName());
}

TEST_F(SmoothPanel, AssignGivesEachPanelItsOwnCaption) {
  TAdvSmoothPanel* source = Add(Bounds(10, 10, 200, 100));
  source->Caption()->SetText(u"Извор");
  source->Caption()->SetLineColor(clRed);
  source->SetTransparent(false);
  TAdvSmoothPanel* target = Add(Bounds(220, 10, 200, 100));
  target->Assign(source);
  EXPECT_EQ(target->Caption()->Text(), u"Извор");
  EXPECT_FALSE(target->Transparent());
  EXPECT_EQ(target->Caption()->LineColor(), 0x00B0721C) << "the line colour is not copied";
  source->Caption()->SetText(u"Друго");
  EXPECT_EQ(target->Caption()->Text(), u"Извор");
  target->SetVersion(u"9.9.9.9");
  EXPECT_EQ(target->Version(), u"1.3.0.0");
}

TEST_F(SmoothPanel, RemovingThePictureContainerForgetsIt) {
  TAdvSmoothPanel* panel = Add(Bounds(10, 10, 200, 100));
  auto* container = new TGDIPPictureContainer(Form);
  panel->SetPictureContainer(container);
  delete container;
  EXPECT_EQ(panel->PictureContainer(), nullptr);
}

TEST_F(SmoothPanel, WithCanMoveTheTopTwentyRowsDragThePanel) {
  TAdvSmoothPanel* panel = Add(Bounds(40, 40, 200, 100));
  int ends = 0;
  panel->OnEndMoveSize = [&](TObject*) { ++ends; };
  Show();
  auto hit = [&](int y) {
    return panel->Perform(WM_NCHITTEST, 0, PointToLParam(At(panel, 50, y)));
  };
  EXPECT_EQ(hit(5), HTCLIENT) << "without CanMove";
  panel->SetCanMove(true);
  EXPECT_EQ(hit(0), HTCAPTION);
  EXPECT_EQ(hit(19), HTCAPTION);
  EXPECT_EQ(hit(20), HTCLIENT);
  EXPECT_EQ(panel->Perform(WM_NCHITTEST, 0, PointToLParam(At(panel, 0, 5))), HTCLIENT)
      << "the left edge itself is not the strip";

  struct TCase {
    int Y;
    TPoint Place;
    int Ends;
  } cases[] = {{19, {70, 60}, 1}, {20, {40, 40}, 0}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Y);
    panel->SetBounds(40, 40, 200, 100);
    ends = 0;
    TPoint from = At(panel, 50, c.Y), to{from.X + 30, from.Y + 20};
    Script().Then([=] { Press(from); });
    Script().Then([=] { InjectMouseMove(to); });
    Script().Then([=] { Release(to); });
    RunScript();
    EXPECT_EQ((TPoint{panel->Left(), panel->Top()}), c.Place);
    EXPECT_EQ(ends, c.Ends);
  }
}

}  // namespace
