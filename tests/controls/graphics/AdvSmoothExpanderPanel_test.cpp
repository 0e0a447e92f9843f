// The expander panel on the virtual clock: the animation's heights and events, what starts it,
// the expander button's place and hit test, and the square button of the flat styles.
#include "tests/controls/graphics/SmoothPanelTestSupport.h"

namespace {

using namespace AdvSmoothPanel;
using smoothtest::TSmoothPanelTest;

class ExpanderPanel : public TSmoothPanelTest {
 public:
  TAdvSmoothExpanderPanel* Panel(int height = 153) {
    auto* panel = Add<TAdvSmoothExpanderPanel>(Bounds(10, 10, 276, height));
    panel->OnResize = [this, panel](TObject*) { Heights.push_back(panel->Height()); };
    for (auto [event, name] :
         {std::pair{&panel->OnStartExpandPanel, "start expand"},
          {&panel->OnEndExpandPanel, "end expand"},
          {&panel->OnStartCollapsePanel, "start collapse"},
          {&panel->OnEndCollapsePanel, "end collapse"},
          {&panel->OnExpandPanel, "expand panel"}})
      *event = [this, name = std::string(name)](TObject*) { Note(name); };
    return panel;
  }
  // Lets the clock run long enough for any animation to end.
  void RunClock(uint64_t ms = 1000) {
    Script().AdvanceBy(ms);
    RunScript();
  }
  std::vector<int> Heights;
};

TEST_F(ExpanderPanel, ACollapseTakesAQuarterOfTheRestEachTickAtLeastOnePixel) {
  TAdvSmoothExpanderPanel* panel = Panel(153);
  Show();
  Heights.clear();
  EXPECT_EQ(panel->OldHeight(), 153) << "a panel resized in code records its expanded height";
  panel->SetExpanded(false);
  EXPECT_TRUE(Heights.empty()) << "nothing moves before the first tick";
  Script().AdvanceBy(10);
  RunScript();
  EXPECT_EQ(Heights, std::vector<int>{123});
  RunClock();
  EXPECT_EQ(Heights, (std::vector<int>{123, 100, 83, 70, 60, 53, 48, 44, 41, 39, 37, 36, 35, 34,
                                        33, 32}));
  EXPECT_EQ(Events, (std::vector<std::string>{"start collapse", "expand panel", "end collapse"}));
  EXPECT_FALSE(panel->Animating());
  EXPECT_EQ(panel->OldHeight(), 153) << "the animation does not record its heights";

  Events.clear();
  panel->Expand();
  RunClock();
  EXPECT_EQ(panel->Height(), 153);
  EXPECT_EQ(Events, (std::vector<std::string>{"start expand", "expand panel", "end expand"}));
}

TEST_F(ExpanderPanel, ExpandOnAnExpandedPanelDoesNothing) {
  TAdvSmoothExpanderPanel* panel = Panel();
  Show();
  panel->Expand();
  EXPECT_FALSE(panel->Animating());
  RunClock();
  EXPECT_TRUE(Events.empty());
}

TEST_F(ExpanderPanel, SettingExpandedToItsOwnValueStillRunsAndEnds) {
  TAdvSmoothExpanderPanel* panel = Panel();
  Show();
  Heights.clear();
  panel->SetExpanded(true);
  EXPECT_TRUE(panel->Animating());
  RunClock();
  EXPECT_EQ(Events, (std::vector<std::string>{"start expand", "expand panel", "end expand"}));
  EXPECT_TRUE(Heights.empty()) << "the height already was the target";
}

TEST_F(ExpanderPanel, F4TogglesAFocusedPanel) {
  TAdvSmoothExpanderPanel* panel = Panel();
  panel->SetTabStop(true);
  Show();
  panel->SetFocus();
  Script().Then([] { Key(VK_F4); });
  RunScript();
  EXPECT_FALSE(panel->Expanded());
  EXPECT_FALSE(panel->Caption()->Line()) << "a collapsed panel shows no line";
  RunClock();
  EXPECT_EQ(panel->Height(), 32);
  Script().Then([] { Key(VK_F4); });
  RunClock();
  EXPECT_TRUE(panel->Expanded());
  EXPECT_EQ(panel->Height(), 153);
}

TEST_F(ExpanderPanel, TheExpanderSitsInTheInsideCornerAndItsEdgesAreHits) {
  TAdvSmoothExpanderPanel* panel = Panel(153);
  // Client 276 x 153, no border, no shadow: inside (2, 2) to (273, 150).
  TGPFloatRect r = panel->ExpanderRect();
  EXPECT_EQ(r.X, 257);
  EXPECT_EQ(r.Y, 2);
  EXPECT_EQ(r.Width, 16);
  struct TCase {
    int X, Y;
    bool Hit;
  } cases[] = {{257, 2, true},  {273, 18, true},  {274, 10, false},
               {265, 19, false}, {256, 10, false}, {265, 10, true}};
  for (const TCase& c : cases) EXPECT_EQ(panel->OnExpander(c.X, c.Y), c.Hit) << c.X << "," << c.Y;

  // A click on the far edge pixel toggles the panel.
  Show();
  Script().Then([=] { ClickAt(At(panel, 273, 18)); });
  RunScript();
  EXPECT_FALSE(panel->Expanded());
}

TEST_F(ExpanderPanel, ARefusedHeightStopsTheAnimationSilently) {
  TAdvSmoothExpanderPanel* panel = Panel();
  Show();
  panel->SetAlign(alLeft);
  int height = panel->Height();
  panel->SetExpanded(false);
  RunClock();
  EXPECT_FALSE(panel->Animating());
  EXPECT_EQ(panel->Height(), height);
  EXPECT_EQ(Events, std::vector<std::string>{"start collapse"});
}

TEST_F(ExpanderPanel, TheFlatStylesDrawASquareExpander) {
  TAdvSmoothExpanderPanel* panel = Panel();
  // The expander's body is the last path filled before its chevrons.
  auto expanderPathPoints = [&] {
    TGPCallLog log = Painted(panel);
    int points = -1;
    for (const TGPCall& call : log.Calls()) {
      if (call.Name == "GdipFillPath") points = call.PathPoints;
      if (call.Name == "GdipDrawLine") break;
    }
    return points;
  };
  panel->SetComponentStyle(0);
  EXPECT_FALSE(panel->SquareExpander());
  EXPECT_EQ(panel->ExpanderColor(), panel->Fill()->Color());
  EXPECT_EQ(panel->ExpanderHoverColor(), 0x00AAD9FF);
  int rounded = expanderPathPoints();
  for (TStylePreset style : {16, 17, 18, 19}) {
    panel->SetComponentStyle(style);
    EXPECT_TRUE(panel->SquareExpander()) << int(style);
    EXPECT_EQ(panel->ExpanderBorderColor(), 0x00C0C0C0);
    EXPECT_LT(expanderPathPoints(), rounded) << int(style);
  }
  EXPECT_EQ(panel->ExpanderColor(), 0x00E5E5E5);
}

TEST_F(ExpanderPanel, TheChevronsPointUpWhenExpandedAndDownWhenCollapsed) {
  TAdvSmoothExpanderPanel* panel = Panel();
  auto firstChevron = [&] { return Painted(panel).Named("GdipDrawLine").at(0); };
  // Expanded: from the middle of the top quarter down to the left.
  TGPCall up = firstChevron();
  panel->SetExpanded(false);
  TGPCall down = firstChevron();
  EXPECT_LT(up.Args[1], up.Args[3]);
  EXPECT_GT(down.Args[1], down.Args[3]);
  EXPECT_EQ(panel->Version(), u"1.0.4.1");
}

}  // namespace
