// The glow button under scripted input: Down and groups, Space and the dialog keys, drop-down
// menus from the mouse and the keyboard, the repeat click, and the fade on the virtual clock.
#include "platform/ui/Menus.h"
#include "tests/controls/graphics/GlowButtonTestSupport.h"

namespace {

using namespace glowtest;

class GlowInput : public TGlowButtonTest {
 public:
  GlowInput() {
    Menu = new TPopupMenu(Form);
    auto* item = new TMenuItem(Menu);
    item->SetCaption(u"Ставка");
    Menu->Items()->Add(item);
    Menu->OnPopup = [this](TObject*) { Note("menu"); };
  }
  static void Press(TPoint at) {
    InjectMouseMove(at);
    InjectMouseButton(TMouseButtonId::Left, true, at);
  }
  static void Release(TPoint at) {
    InjectMouseMove(at);
    InjectMouseButton(TMouseButtonId::Left, false, at);
  }
  // A script step that closes the menu showing, noting it.
  void CloseMenuStep() {
    Script().Then([this] {
      EXPECT_TRUE(Menu->IsShowing());
      Menu->CloseMenu();
    });
  }
  TPopupMenu* Menu = nullptr;
};

TEST_F(GlowInput, DownBelongsToGroupsAndAGroupKeepsOneButtonDown) {
  TAdvGlowButton* push = Add(u"a", Bounds(10, 10, 80, 30));
  push->SetDown(true);
  EXPECT_FALSE(push->Down()) << "a push button without a group";

  TAdvGlowButton* first = Add(u"b", Bounds(10, 50, 80, 30), "first");
  TAdvGlowButton* second = Add(u"c", Bounds(100, 50, 80, 30), "second");
  TAdvGlowButton* other = new TAdvGlowButton(Form);
  other->SetParent(Form);
  for (TAdvGlowButton* b : {first, second}) b->SetGroupIndex(1);
  other->SetGroupIndex(2);
  Show();
  first->SetDown(true);
  other->SetDown(true);
  EXPECT_EQ(first->ButtonState(), 4);
  first->SetDown(false);
  EXPECT_TRUE(first->Down()) << "only another button of the group releases it";

  Script().Then([&] { Click(second); });
  RunScript();
  EXPECT_TRUE(second->Down());
  EXPECT_FALSE(first->Down());
  EXPECT_TRUE(other->Down()) << "another group";
  EXPECT_EQ(Events, (std::vector<std::string>{"second"}));

  // Pressed and released outside, a grouped button keeps Down as it was and shows checked.
  for (TAdvGlowButton* b : {first, second}) {
    bool before = b->Down();
    Script().Then([&] { Press(CenterOf(b)); });
    Script().Then([&] { Release(At(Form, 400, 280)); });
    RunScript();
    EXPECT_EQ(b->Down(), before);
    EXPECT_EQ(b->ButtonState(), before ? 4 : 0);
  }
  // With AllowAllUp the down button rises by program.
  second->SetAllowAllUp(true);
  second->SetDown(false);
  EXPECT_FALSE(second->Down());
}

TEST_F(GlowInput, SpaceShowsThePressOnKeyDownClicksOnThePressAndRisesOnKeyUp) {
  TAdvGlowButton* b = Add(u"a", Bounds(10, 10, 80, 30), "click");
  b->SetTabStop(true);
  Show();
  b->SetFocus();
  Script().Then([&] { InjectKey(VK_SPACE, true); });
  Script().Then([&] {
    EXPECT_EQ(b->ButtonState(), 2);
    EXPECT_EQ(Events, (std::vector<std::string>{"click"}));
    InjectKey(VK_SPACE, false);
  });
  RunScript();
  EXPECT_EQ(b->ButtonState(), 0);
  EXPECT_EQ(Events.size(), 1u);
}

TEST_F(GlowInput, EnterAndEscapeAsDialogKeys) {
  struct Case {
    const char* Name;
    bool FocusButton;  // else the edit has the focus
    uint16_t Key;
    uint16_t Modifier;
    std::vector<std::string> Clicks;
  } cases[] = {
      {"enter: the default button", false, VK_RETURN, 0, {"default"}},
      {"enter: the focused glow button", true, VK_RETURN, 0, {"focused"}},
      {"escape: the cancel button", false, VK_ESCAPE, 0, {"cancel"}},
      {"escape with the focus on a button", true, VK_ESCAPE, 0, {"cancel"}},
      {"shift blocks", false, VK_RETURN, VK_SHIFT, {}},
      {"ctrl blocks", false, VK_ESCAPE, VK_CONTROL, {}},
      {"alt blocks", false, VK_RETURN, VK_MENU, {}},
  };
  TAdvGlowButton* def = Add(u"Потврди", Bounds(10, 10, 80, 30), "default");
  def->SetDefault(true);
  TAdvGlowButton* cancel = Add(u"Откажи", Bounds(100, 10, 80, 30), "cancel");
  cancel->SetCancel(true);
  TAdvGlowButton* focused = Add(u"Друго", Bounds(190, 10, 80, 30), "focused");
  focused->SetTabStop(true);
  auto* edit = new uitest::TTestEdit(Form);
  edit->SetParent(Form);
  edit->SetBounds(10, 60, 120, 21);
  Show();
  for (const Case& c : cases) {
    Events.clear();
    if (c.FocusButton)
      focused->SetFocus();
    else
      edit->SetFocus();
    Script().Then([&] {
      if (c.Modifier) InjectKey(c.Modifier, true);
      Key(c.Key);
      if (c.Modifier) InjectKey(c.Modifier, false);
    });
    RunScript();
    EXPECT_EQ(Events, c.Clicks) << c.Name;
  }
}

TEST_F(GlowInput, AltWithTheAcceleratorAndF4OpenTheDropDownMenu) {
  TAdvGlowButton* b = Add(u"&Open", Bounds(10, 10, 100, 30), "click");
  b->SetTabStop(true);
  b->SetDropDownMenu(Menu);
  Show();
  b->SetFocus();
  Script().Then([&] {
    InjectKey(VK_MENU, true);
    Key('O');
    InjectKey(VK_MENU, false);
  });
  CloseMenuStep();
  Script().Then([&] { Key(VK_F4); });
  CloseMenuStep();
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"menu", "menu"}));
  EXPECT_EQ(Menu->PopupComponent(), b);
  // Without a menu the accelerator clicks.
  b->SetDropDownMenu(nullptr);
  Events.clear();
  Script().Then([&] {
    InjectKey(VK_MENU, true);
    Key('O');
    InjectKey(VK_MENU, false);
  });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"click"}));
}

TEST_F(GlowInput, ASplitDropDownOpensItsMenuInTheStripAndClicksElsewhere) {
  TAdvGlowButton* b = Add(u"Мени", Bounds(10, 10, 100, 30), "click");
  b->SetDropDownButton(true);
  b->SetDropDownMenu(Menu);
  b->OnDropDown = [this](TObject*) { Note("drop"); };
  Show();
  struct Case {
    int X;
    std::vector<std::string> Events;
  } cases[] = {
      {87, {"drop", "menu"}},  // right of Width - 14
      {86, {"click"}},
      {50, {"click"}},
  };
  for (const Case& c : cases) {
    Events.clear();
    bool menu = c.Events.size() == 2;
    Script().Then([&] { Press(At(b, c.X, 15)); });
    if (menu) {
      // The release goes to the menu, which holds the pointer.
      Script().Then([&] { Release(At(b, c.X, 15)); });
      CloseMenuStep();
    } else {
      Script().Then([&] { Release(At(b, c.X, 15)); });
    }
    RunScript();
    EXPECT_EQ(Events, c.Events) << c.X;
    EXPECT_FALSE(b->MenuShowing());
  }
  // The strip lights from 12 pixels off the edge: the main part is painted darker then.
  Solid(b->Appearance(), clWhite, clAqua, clAqua, clAqua, clAqua);
  Script().Then([&] { InjectMouseMove(At(b, 87, 15)); });
  RunScript();
  EXPECT_EQ(Painted(b, 40, 4), Rgb(clAqua)) << "over the main part";
  Script().Then([&] { InjectMouseMove(At(b, 88, 15)); });
  RunScript();
  EXPECT_EQ(Painted(b, 40, 4), Rgb(DarkerColor(clAqua, -10))) << "over the strip";
}

TEST_F(GlowInput, WithoutSplitAnUngroupedPushButtonOpensItsMenuFromAnywhereAndDoesNotClick) {
  TAdvGlowButton* b = Add(u"Мени", Bounds(10, 10, 100, 30), "click");
  b->SetDropDownButton(true);
  b->SetDropDownSplit(false);
  b->SetDropDownMenu(Menu);
  Show();
  Script().Then([&] { Press(At(b, 20, 15)); });
  Script().Then([&] { Release(At(b, 20, 15)); });
  CloseMenuStep();
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"menu"}));
  // In a group it is a button again.
  b->SetGroupIndex(1);
  Events.clear();
  Script().Then([&] { Click(b); });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"click"}));
}

TEST_F(GlowInput, RepeatClicksFrom400MsEvery100WhileHeldOverTheButton) {
  TAdvGlowButton* b = Add(u"+", Bounds(10, 10, 80, 30), "click");
  b->SetRepeatClick(true);
  Show();
  Script().Then([&] { Press(CenterOf(b)); });
  Script().AdvanceBy(399);
  Script().Then([&] { EXPECT_TRUE(Events.empty()); });
  Script().AdvanceBy(1);
  Script().Then([&] { EXPECT_EQ(Events.size(), 1u) << "at 400"; });
  Script().AdvanceBy(200);
  Script().Then([&] {
    EXPECT_EQ(Events.size(), 3u) << "at 500 and 600";
    InjectMouseMove(At(Form, 400, 280));
  });
  Script().AdvanceBy(300);
  Script().Then([&] {
    EXPECT_EQ(Events.size(), 3u) << "not while the pointer is off the button";
    InjectMouseMove(CenterOf(b));
  });
  Script().AdvanceBy(100);
  Script().Then([&] {
    EXPECT_EQ(Events.size(), 4u) << "back over it";
    Release(CenterOf(b));
  });
  Script().AdvanceBy(500);
  RunScript();
  EXPECT_EQ(Events.size(), 5u) << "one click on the release, then no more";

  // A click that fails stops the repeat.
  int clicks = 0;
  std::vector<String> errors;
  Application->OnException = [&](TObject*, const Exception& e) { errors.push_back(e.Message()); };
  b->OnClick = [&](TObject*) {
    ++clicks;
    throw Exception(u"неуспех");
  };
  Script().Then([&] { Press(CenterOf(b)); });
  Script().AdvanceBy(1000);
  Script().Then([&] { Release(At(Form, 400, 280)); });
  RunScript();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(errors, std::vector<String>{u"неуспех"});
}

TEST_F(GlowInput, AHoverFadesInFiveRepaintsAndColourTonesStopEveryFade) {
  TAdvGlowButton* b = Add(u"a", Bounds(10, 10, 80, 30));
  int paints = 0;
  b->OnDrawButton = [&](TObject*, TCanvas*, TGlowButtonState, TRect) { ++paints; };
  Show();
  RunScript();
  Script().Then([&] { InjectMouseMove(CenterOf(b)); });
  RunScript();
  ASSERT_TRUE(b->Fading());
  for (int tick = 1; tick <= 6; ++tick) {
    int before = paints;
    Script().AdvanceBy(20);
    RunScript();
    if (tick <= 5) {
      EXPECT_EQ(paints, before + 1) << tick;
      EXPECT_EQ(b->HotFade(), 20 * tick);
      EXPECT_TRUE(b->Fading());
    } else {
      EXPECT_EQ(paints, before) << "the sixth tick ends the fade";
      EXPECT_EQ(b->HotFade(), 100);
      EXPECT_FALSE(b->Fading());
    }
  }
  Script().Then([&] { InjectMouseMove(At(Form, 400, 280)); });
  Script().AdvanceBy(200);
  RunScript();
  EXPECT_FALSE(b->Fading());
  EXPECT_EQ(b->HotFade(), 0);

  // Colour tones on one button: no glow button fades any more, one made later neither.
  TColorTones tones{};
  tones.Normal = {clWhite, clGray, clBlack};
  tones.Hot = {clYellow, clGray, clBlack};
  tones.Down = {clOlive, clGray, clBlack};
  tones.Disabled = {clSilver, clGray, clGray};
  Add(u"b", Bounds(100, 10, 80, 30))->SetColorTones(tones);
  TAdvGlowButton* later = Add(u"c", Bounds(200, 10, 80, 30));
  int laterPaints = 0;
  later->OnDrawButton = [&](TObject*, TCanvas*, TGlowButtonState, TRect) { ++laterPaints; };
  RunScript();
  for (TAdvGlowButton* button : {b, later}) {
    int before = button == b ? paints : laterPaints;
    Script().Then([&] { InjectMouseMove(CenterOf(button)); });
    Script().AdvanceBy(200);
    RunScript();
    EXPECT_TRUE(button->Hot());
    EXPECT_FALSE(button->Fading());
    EXPECT_EQ((button == b ? paints : laterPaints) - before, 1);
  }
}

}  // namespace
