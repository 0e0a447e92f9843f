// The smooth menu under scripted input on the virtual clock: rights safety (a disabled item is
// chosen neither by mouse nor by keys), the selection fix-up, layout and hit test, the glide,
// rotation, and the enter and leave events.
#include <cmath>

#include "platform/gdi/DrawingLog.h"
#include "platform/win/VirtualKeys.h"
#include "platform/win/WinApi.h"
#include "tests/controls/graphics/SmoothMenuTestSupport.h"

namespace {

using namespace menutest;
using Seen = std::vector<std::string>;

class SmoothMenuRights : public TSmoothMenuTest {};

TEST_F(SmoothMenuRights, ADisabledItemIsEmptySpaceToTheMouseAndTheArrowsStepOverIt) {
  AddItems(5);
  Item(2)->SetEnabled(false);
  Show();
  ClickOn(ItemPoint(2));
  ClickOn(ItemPoint(2), TMouseButtonId::Right);
  RunScript();
  EXPECT_TRUE(Events.empty()) << "no click and no change for a disabled item";
  EXPECT_EQ(Menu->SelectedItemIndex(), 0);

  ClickOn(ItemPoint(1));
  Press(VK_RIGHT);
  Press(VK_LEFT);
  Press(VK_LEFT);
  Press(VK_LEFT);
  RunScript();
  EXPECT_EQ(Events, (Seen{"enter 1", "change 0>1", "click 1", "change 1>3", "change 3>1",
                          "change 1>0", "change 0>4"}))
      << "from the disabled item onto item 1 is a move from empty space onto an item";
  EXPECT_EQ(Menu->SelectedItemIndex(), 4);
  EXPECT_EQ(Menu->HoverIndex(), 4);
  EXPECT_FLOAT_EQ(Menu->TargetPosition(), Item(4)->Center()) << "the indicator glides there";

  // Any button released over an enabled item chooses it.
  Events.clear();
  ClickOn(ItemPoint(3), TMouseButtonId::Right);
  RunScript();
  EXPECT_EQ(Events, (Seen{"change 4>3", "click 3"}));
}

TEST_F(SmoothMenuRights, WithEveryItemDisabledNothingCanBeChosenAndEnablingRestoresNoSelection) {
  AddItems(4);
  Show();
  for (int i = 0; i < 4; ++i) Item(i)->SetEnabled(false);
  EXPECT_EQ(Menu->SelectedItemIndex(), -1);
  EXPECT_EQ(Menu->HoverIndex(), -1);
  Script().Then([&] { Menu->SetFocus(); });
  for (int i = 0; i < 4; ++i) ClickOn(ItemPoint(i));
  Press(VK_SPACE);
  Press(VK_RIGHT);
  Press(VK_LEFT);
  MoveTo(Below());
  Wait(12000);
  RunScript();
  EXPECT_TRUE(Events.empty());
  EXPECT_EQ(Menu->SelectedItemIndex(), -1);
  EXPECT_EQ(Menu->HoverIndex(), -1) << "rotation finds nothing to show";

  for (int i = 0; i < 4; ++i) Item(i)->SetEnabled(true);
  EXPECT_EQ(Menu->SelectedItemIndex(), -1);
  Press(VK_SPACE);
  RunScript();
  EXPECT_TRUE(Events.empty()) << "Space clicks only a selected item";
}

TEST_F(SmoothMenuRights, DisablingTheSelectedItemHandsTheSelectionOnWrappingRound) {
  struct Case {
    const char* Name;
    int Selected;
    std::vector<int> Disabled;  // in this order
    int Expected;
  } cases[] = {
      {"the next enabled one", 2, {2}, 3},
      {"over disabled ones", 1, {2, 3, 1}, 4},
      {"the last item wraps to the first", 4, {4}, 0},
      {"enabled items only before it", 4, {0, 4}, 1},
  };
  for (const Case& c : cases) {
    Menu->Items()->Clear();
    AddItems(5);
    Menu->SetSelectedItemIndex(c.Selected);
    ASSERT_EQ(Menu->SelectedItemIndex(), c.Selected) << c.Name;
    for (int i : c.Disabled) Item(i)->SetEnabled(false);
    EXPECT_EQ(Menu->SelectedItemIndex(), c.Expected) << c.Name;
    EXPECT_EQ(Menu->HoverIndex(), c.Expected) << c.Name;
    EXPECT_FLOAT_EQ(Menu->IndicatorPosition(), Item(c.Expected)->Center()) << c.Name;
  }
  Menu->SetSelectedItemIndex(7);
  EXPECT_EQ(Menu->SelectedItemIndex(), -1) << "an index outside the items selects nothing";
}

TEST_F(SmoothMenuRights, SpaceClicksOnlyAnEnabledSelectedItemAndEnterNothing) {
  AddItems(3);
  Show();
  Menu->SetSelectedItemIndex(2);
  Script().Then([&] { Menu->SetFocus(); });
  Press(VK_SPACE);
  Press(VK_RETURN);
  RunScript();
  EXPECT_EQ(Events, (Seen{"click 2"}));
  EXPECT_EQ(Menu->Perform(WM_GETDLGCODE, 0, 0), 129);
}

TEST_F(SmoothMenuRights, AnEmptyMenuAnswersNoKey) {
  Show();
  Script().Then([&] { Menu->SetFocus(); });
  Press(VK_SPACE);
  Press(VK_RIGHT);
  Press(VK_LEFT);
  ClickOn(Screen({20, 10}));
  Wait(6000);
  RunScript();
  EXPECT_TRUE(Events.empty());
}

// --- Layout and hit test -------------------------------------------------------------------------

class SmoothMenuLayout : public TSmoothMenuTest {};

TEST_F(SmoothMenuLayout, ItemsShareTheWidthLessTheShadowWhateverTheirCaptions) {
  struct Case {
    const char* Name;
    int Width;
    TColor ShadowColor;
    int ShadowOffset;
    bool Transparent;
    float ItemWidth;  // of three items
  } cases[] = {
      {"no shadow offset", 301, 0x00808080, 0, false, 100},
      {"a shadow", 307, 0x00808080, 6, false, 100},
      {"no shadow colour", 307, clNone, 6, false, 102},
      {"transparent: no shadow", 307, 0x00808080, 6, true, 102},
  };
  AddItems(3);
  Item(1)->SetCaption(u"Многу подолг наслов на ставката");
  Item(2)->SetCaption(u"");
  for (const Case& c : cases) {
    Menu->Appearance()->Fill()->SetShadowColor(c.ShadowColor);
    Menu->Appearance()->Fill()->SetShadowOffset(c.ShadowOffset);
    Menu->SetTransparent(c.Transparent);
    Menu->SetWidth(c.Width);
    for (int i = 0; i < 3; ++i) {
      const TGPFloatRect& cell = Item(i)->ItemRect();
      EXPECT_FLOAT_EQ(cell.Width, c.ItemWidth) << c.Name << " item " << i;
      EXPECT_FLOAT_EQ(cell.X, c.ItemWidth * float(i)) << c.Name << " item " << i;
      EXPECT_FLOAT_EQ(cell.Y, 5.0f) << c.Name;
      EXPECT_FLOAT_EQ(cell.Height, Item(0)->ItemRect().Height) << "one height for all";
      EXPECT_FLOAT_EQ(Item(i)->Center(), cell.X + cell.Width / 2) << c.Name;
    }
  }
  EXPECT_GT(Item(0)->ItemRect().Height, 5.0f) << "the tallest caption";
}

TEST_F(SmoothMenuLayout, OnlyAPressInsideTheCaptionBandClicks) {
  AddItems(4);
  Show();
  const TGPFloatRect cell = Item(1)->ItemRect();
  const int x = static_cast<int>(cell.X + cell.Width / 2);
  const int top = 5, bottom = top + static_cast<int>(std::lround(cell.Height));
  struct Case {
    const char* Name;
    int Y;
    bool Clicks;
  } cases[] = {
      {"the top pixel row", 0, false},       {"just above the band", top - 1, false},
      {"the band's first row", top, true},   {"the band's last row", bottom - 1, true},
      {"just below the band", bottom, false}, {"the notes area", 80, false},
  };
  for (const Case& c : cases) {
    Events.clear();
    Menu->SetSelectedItemIndex(0);
    ClickOn(Screen({x, c.Y}));
    RunScript();
    Seen chosen;
    for (const std::string& e : Events)
      if (e.rfind("enter", 0) != 0 && e.rfind("leave", 0) != 0) chosen.push_back(e);
    EXPECT_EQ(chosen, (c.Clicks ? Seen{"change 0>1", "click 1"} : Seen{})) << c.Name;
    EXPECT_EQ(Menu->ItemAtXY(x, c.Y), c.Clicks ? 1 : -1) << c.Name;
  }
}

// --- Glide and rotation --------------------------------------------------------------------------

class SmoothMenuGlide : public TSmoothMenuTest {};

TEST_F(SmoothMenuGlide, TheIndicatorCoversAQuarterOfTheWayEachTickAtLeastAPixelAndSnaps) {
  AddItems(5);
  Show();
  ASSERT_FLOAT_EQ(Menu->IndicatorPosition(), Item(0)->Center());
  MoveTo(ItemPoint(4));
  RunScript();
  const float target = Item(4)->Center();
  ASSERT_FLOAT_EQ(Menu->TargetPosition(), target);
  EXPECT_EQ(Menu->FadeOpacity(), 0) << "the notes fade in";
  float before = Menu->IndicatorPosition();
  int ticks = 0, unitSteps = 0;
  uint8_t fade = Menu->FadeOpacity();
  while (Menu->IndicatorPosition() != target && ticks < 200) {
    Wait(10);
    RunScript();
    ++ticks;
    const float now = Menu->IndicatorPosition();
    const float remaining = target - before;
    if (remaining >= 1) {
      const float step = std::max(remaining / 4, 1.0f);
      EXPECT_FLOAT_EQ(now, before + step) << "tick " << ticks;
      EXPECT_FLOAT_EQ(Menu->NotesOffset(), remaining / 4) << "tick " << ticks;
      EXPECT_GE(Menu->FadeOpacity(), fade) << "tick " << ticks;
      unitSteps += remaining < 4 ? 1 : 0;
    } else {
      EXPECT_FLOAT_EQ(now, target) << "less than a pixel left: it snaps";
    }
    fade = Menu->FadeOpacity();
    before = now;
  }
  EXPECT_FLOAT_EQ(Menu->IndicatorPosition(), target);
  EXPECT_GT(ticks, 10);
  EXPECT_GT(unitSteps, 0) << "the last pixels go one at a time";
  EXPECT_EQ(Menu->FadeOpacity(), 255) << "the notes end opaque";
}

TEST_F(SmoothMenuGlide, AtRestTheTicksNeitherPaintNorInvalidateNorMeasure) {
  AddItems(5);
  Show();
  MoveTo(ItemPoint(3));
  MoveTo(Below());
  Wait(1000);
  RunScript();
  ASSERT_FLOAT_EQ(Menu->IndicatorPosition(), Item(3)->Center());
  TDrawingLog paints;
  TGPCallLog calls;
  SetWindowPaintLog(Menu->Handle(), &paints);
  {
    TGPCallLogScope scope(calls);
    Wait(1000);
    RunScript();
  }
  SetWindowPaintLog(Menu->Handle(), nullptr);
  EXPECT_TRUE(paints.Calls().empty()) << paints.Dump();
  EXPECT_TRUE(calls.Calls().empty()) << calls.Dump();
  TRect dirty;
  EXPECT_FALSE(GetUpdateRect(Menu->Handle(), &dirty, false));
}

TEST_F(SmoothMenuGlide, AnimationTypesOnHoverAndRotation) {
  struct Case {
    const char* Name;
    TAdvSmoothMenuAnimationType Type;
    bool Jumps;
    uint8_t FadeAfterHover;
  } cases[] = {
      {"none: jumps, notes opaque at once", atNone, true, 255},
      {"no opacity: glides, notes stay opaque", atNoOpacity, false, 255},
      {"full: glides and fades", atFull, false, 0},
  };
  AddItems(5);
  Show();
  for (const Case& c : cases) {
    Menu->SetAnimationType(c.Type);
    MoveTo(ItemPoint(c.Type == atNone ? 3 : 2));
    RunScript();
    const int hovered = Menu->HoverIndex();
    EXPECT_EQ(Menu->IndicatorPosition() == Item(hovered)->Center(), c.Jumps) << c.Name;
    EXPECT_EQ(Menu->FadeOpacity(), c.FadeAfterHover) << c.Name;
    if (c.Type == atNoOpacity) {
      Wait(30);
      RunScript();
      EXPECT_EQ(Menu->FadeOpacity(), 255) << c.Name;
      EXPECT_NE(Menu->IndicatorPosition(), Item(hovered)->Center()) << c.Name << ": gliding";
    }
    // Off the items, rotation runs again; the next step lands on the following item.
    MoveTo(Below());
    Wait(2000);
    RunScript();
    const float before = Menu->IndicatorPosition();
    Wait(5000);
    RunScript();
    const int rotated = Menu->HoverIndex();
    EXPECT_NE(rotated, hovered) << c.Name;
    if (c.Type == atNone) {
      EXPECT_FLOAT_EQ(Menu->IndicatorPosition(), Item(rotated)->Center()) << c.Name;
      EXPECT_EQ(Menu->FadeOpacity(), 255) << c.Name;
    } else {
      EXPECT_NE(Menu->IndicatorPosition(), before) << c.Name << ": on its way";
      if (c.Type == atNoOpacity) {
        EXPECT_EQ(Menu->FadeOpacity(), 255) << c.Name;
      }
    }
    Wait(2000);
    RunScript();
  }
}

class SmoothMenuRotation : public TSmoothMenuTest {
 public:
  // The hover index after each of n rotation steps.
  std::vector<int> Rotate(int n) {
    std::vector<int> seen;
    for (int i = 0; i < n; ++i) {
      Wait(5000);
      RunScript();
      seen.push_back(Menu->HoverIndex());
    }
    return seen;
  }
};

TEST_F(SmoothMenuRotation, RotationSkipsDisabledItemsAndTheSelectedOneUnlessAllowed) {
  AddItems(5);
  Show();
  Item(2)->SetEnabled(false);
  EXPECT_EQ(Rotate(5), (std::vector<int>{1, 3, 4, 1, 3}));
  Menu->SetAllowSelectedIndication(true);
  EXPECT_EQ(Rotate(4), (std::vector<int>{4, 0, 1, 3}));
  EXPECT_EQ(Menu->SelectedItemIndex(), 0) << "rotation highlights; it does not select";
  EXPECT_TRUE(Events.empty());
}

TEST_F(SmoothMenuRotation, FewerThanTwoEnabledItemsOrRotationOffKeepTheHighlight) {
  AddItems(3);
  Show();
  Menu->SetRotation(false);
  EXPECT_EQ(Rotate(2), (std::vector<int>{0, 0}));
  Menu->SetRotation(true);
  Item(1)->SetEnabled(false);
  Item(2)->SetEnabled(false);
  EXPECT_EQ(Rotate(2), (std::vector<int>{0, 0}));
}

TEST_F(SmoothMenuRotation, TheMouseOverAnItemStopsRotationAndLeavingStartsItAgain) {
  AddItems(5);
  Show();
  MoveTo(ItemPoint(3));
  RunScript();
  EXPECT_EQ(Rotate(3), (std::vector<int>{3, 3, 3}));
  MoveTo(Below());
  RunScript();
  EXPECT_EQ(Rotate(1), (std::vector<int>{4}));
  // Leaving the control straight from an item starts it too.
  MoveTo(ItemPoint(1));
  RunScript();
  EXPECT_EQ(Rotate(1), (std::vector<int>{1}));
  MoveTo(Form->ClientToScreen({600, 150}));
  RunScript();
  EXPECT_EQ(Rotate(1), (std::vector<int>{2}));
}

TEST_F(SmoothMenuRotation, NotesLeftFadedWhereTheIndicatorStandsAreShownWhole) {
  // Two items, the first selected: rotation comes back to the second, where the indicator
  // already stands, and fades its notes out; they must not stay hidden.
  AddItems(2);
  Show();
  Rotate(1);
  Wait(1000);
  RunScript();
  ASSERT_EQ(Menu->HoverIndex(), 1);
  ASSERT_FLOAT_EQ(Menu->IndicatorPosition(), Item(1)->Center());
  Rotate(1);
  ASSERT_EQ(Menu->HoverIndex(), 1);
  Wait(20);
  RunScript();
  EXPECT_EQ(Menu->FadeOpacity(), 255);
}

TEST_F(SmoothMenuRotation, EnterAndLeaveFireOnlyForMovesSeenInsideTheControl) {
  AddItems(4);
  Show();
  MoveTo(Form->ClientToScreen({600, 150}));
  MoveTo(ItemPoint(1));  // from outside straight onto an item: no enter
  MoveTo(Below());
  MoveTo(ItemPoint(2));
  MoveTo(ItemPoint(3));  // item to item: no leave, no enter
  MoveTo(Form->ClientToScreen({600, 150}));  // out of the control from an item: nothing
  MoveTo(ItemPoint(0));                      // and back in onto an item: nothing
  RunScript();
  EXPECT_EQ(Events, (Seen{"leave 1", "enter 2"}));
}

}  // namespace
