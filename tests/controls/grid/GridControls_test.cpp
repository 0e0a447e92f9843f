// The search panel's button and check box, and the arrow popups, driven by injected input.
#include <gtest/gtest.h>

#include "controls/grid/GridControls.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Messages.h"
#include "platform/win/VirtualKeys.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowStyles.h"
#include "tests/support/UiTestSupport.h"

namespace {

class GridControlsTest : public uitest::TUiTest {
 public:
  GridControlsTest() {
    Application->CreateForm(Form);
    Form->SetBounds(30, 30, 400, 300);
    Form->Show();
  }
  TAdvGridButton* MakeButton(int left, int top, int group = 0) {
    auto* b = new TAdvGridButton(Form);
    b->SetParent(Form);
    b->SetBounds(left, top, 60, 24);
    b->SetGroupIndex(group);
    b->OnClick = [this, b](TObject*) { Clicks.push_back(b); };
    return b;
  }
  TPoint Inside(TControl* c) { return CenterOf(c); }
  TPoint Outside(TControl* c) { return c->ClientToScreen({c->Width() + 40, c->Height() + 40}); }
  void PressAt(TPoint p) {
    InjectMouseMove(p);
    InjectMouseButton(TMouseButtonId::Left, true, p);
    Application->ProcessMessages();
  }
  void ReleaseAt(TPoint p) {
    InjectMouseMove(p);
    InjectMouseButton(TMouseButtonId::Left, false, p);
    Application->ProcessMessages();
  }
  void ClickOn(TControl* c) {
    ClickAt(Inside(c));
    Application->ProcessMessages();
  }
  TForm* Form = nullptr;
  std::vector<TAdvGridButton*> Clicks;
};

TEST_F(GridControlsTest, ButtonPressInsideAndOutside) {
  TAdvGridButton* b = MakeButton(10, 10);
  EXPECT_EQ(b->Width(), 60);
  TAdvGridButton fresh(nullptr);
  EXPECT_EQ(fresh.Width(), 22);
  EXPECT_EQ(fresh.Height(), 23);
  EXPECT_TRUE(fresh.Flat());
  EXPECT_EQ(fresh.Spacing(), 4);
  EXPECT_EQ(fresh.ColorHot(), static_cast<TColor>(0x00CAC7C7));

  PressAt(Inside(b));
  EXPECT_EQ(b->State(), bsDown);
  InjectMouseMove(Outside(b));
  Application->ProcessMessages();
  EXPECT_EQ(b->State(), bsUp) << "dragged out";
  ReleaseAt(Outside(b));
  EXPECT_TRUE(Clicks.empty());
  PressAt(Inside(b));
  ReleaseAt(Inside(b));
  EXPECT_EQ(Clicks.size(), 1u);
  EXPECT_EQ(b->State(), bsUp);
  EXPECT_FALSE(b->Down()) << "a plain button cannot stay down";
  b->SetDown(true);
  EXPECT_FALSE(b->Down());
}

TEST_F(GridControlsTest, CheckStyleTogglesOnEveryClickInside) {
  for (int group : {0, 1}) {
    TAdvGridButton* b = MakeButton(10, 10 + group * 40, group);
    b->SetStyle(TAdvGridButtonStyle::tasCheck);
    ClickOn(b);
    EXPECT_TRUE(b->Down()) << group;
    ClickOn(b);
    EXPECT_FALSE(b->Down()) << "group " << group << ": regardless of the group";
    PressAt(Inside(b));
    ReleaseAt(Outside(b));
    EXPECT_FALSE(b->Down()) << "released outside";
  }
}

TEST_F(GridControlsTest, AGroupKeepsOneButtonDown) {
  TAdvGridButton* a = MakeButton(10, 10, 1);
  TAdvGridButton* b = MakeButton(80, 10, 1);
  TAdvGridButton* c = MakeButton(150, 10, 1);
  TAdvGridButton* other = MakeButton(220, 10, 2);
  other->SetDown(true);
  ClickOn(a);
  EXPECT_TRUE(a->Down());
  EXPECT_EQ(a->State(), bsExclusive);
  ClickOn(b);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down()) << "pressing one raises the other";
  ClickOn(b);
  EXPECT_TRUE(b->Down()) << "the down one stays down without AllowAllUp";
  EXPECT_TRUE(other->Down()) << "another group is left alone";
  EXPECT_FALSE(c->Down());
  c->SetAllowAllUp(true);
  EXPECT_TRUE(a->AllowAllUp()) << "the group takes the setting";
  ClickOn(b);
  EXPECT_FALSE(b->Down()) << "with AllowAllUp the last one rises";
  EXPECT_EQ(Clicks.size(), 4u);

  // A double click is told only on a button held down; on one that is up it is two presses.
  int doubles = 0;
  a->OnDblClick = [&](TObject*) { ++doubles; };
  ClickOn(a);
  ClickOn(a);  // within the double-click time
  EXPECT_EQ(doubles, 1);
  EXPECT_FALSE(a->Down());
  TAdvGridButton* plain = MakeButton(10, 60);
  plain->OnDblClick = [&](TObject*) { ++doubles; };
  Clicks.clear();
  ClickOn(plain);
  ClickOn(plain);
  EXPECT_EQ(doubles, 1) << "a plain button is never down";
  EXPECT_EQ(Clicks.size(), 2u) << "both presses click";
}

TEST_F(GridControlsTest, AnActionDrivesCaptionCheckedStateAndGroup) {
  auto* actions = new TActionList(Form);
  auto* action = new TAction(Form);
  action->SetActionList(actions);
  action->SetCaption(u"&Highlight");
  action->SetGroupIndex(3);
  TAdvGridButton* b = MakeButton(10, 10);
  b->SetAllowAllUp(true);
  b->SetAction(action);
  EXPECT_EQ(b->Caption(), u"&Highlight");
  EXPECT_EQ(b->GroupIndex(), 3);
  action->SetChecked(true);
  EXPECT_TRUE(b->Down());
  action->SetChecked(false);
  EXPECT_FALSE(b->Down());
  action->SetCaption(u"Find");
  EXPECT_EQ(b->Caption(), u"Find");
}

TEST_F(GridControlsTest, DropDownPartIsTheRightmostTwelvePixels) {
  TAdvGridButton* b = MakeButton(10, 10);
  b->SetDropDownButton(true);
  int dropDowns = 0;
  b->OnDropDown = [&](TObject*) { ++dropDowns; };
  struct Case {
    int X;
    bool DropDown;
  } cases[] = {{59, true}, {48, true}, {47, false}, {5, false}};
  for (const Case& c : cases) {
    dropDowns = 0;
    Clicks.clear();
    TPoint p = b->ClientToScreen({c.X, 12});
    PressAt(p);
    ReleaseAt(p);
    EXPECT_EQ(dropDowns, c.DropDown ? 1 : 0) << c.X;
    EXPECT_EQ(Clicks.size(), c.DropDown ? 0u : 1u) << c.X;
  }
}

TEST_F(GridControlsTest, GlyphAndCaptionLayout) {
  struct Case {
    const char* Name;
    TButtonLayout Layout;
    int Margin, Spacing;
    TSize Glyph, Caption;
    TPoint GlyphAt, CaptionAt;
  } cases[] = {
      // W 100, H 30.
      {"left, centred", blGlyphLeft, -1, 4, {16, 16}, {40, 14}, {20, 7}, {40, 8}},
      {"left, both free", blGlyphLeft, -1, -1, {16, 16}, {40, 14}, {14, 7}, {44, 8}},
      {"left, margin given", blGlyphLeft, 5, -1, {16, 16}, {40, 14}, {5, 7}, {40, 8}},
      {"right, margin given", blGlyphRight, 5, 4, {16, 16}, {40, 14}, {79, 7}, {35, 8}},
      {"top, centred", blGlyphTop, -1, 2, {16, 16}, {40, 10}, {42, 1}, {30, 19}},
      {"no caption: no spacing", blGlyphLeft, -1, 4, {16, 16}, {0, 0}, {42, 7}, {58, 15}},
  };
  for (const Case& c : cases) {
    TGlyphLayout l =
        LayoutGlyphAndCaption(c.Layout, c.Margin, c.Spacing, 100, 30, c.Glyph, c.Caption);
    EXPECT_EQ(l.Glyph, c.GlyphAt) << c.Name;
    EXPECT_EQ(l.Caption, c.CaptionAt) << c.Name;
  }
}

TEST_F(GridControlsTest, DisabledGlyphAndShade) {
  struct Case {
    TColor Pixel;
    int Grey;
  } greys[] = {{clWhite, 223}, {clBlack, 96}, {RGB(30, 60, 90), 126}, {RGB(1, 1, 2), 96}};
  for (const Case& c : greys) EXPECT_EQ(DisabledGlyphGrey(c.Pixel), c.Grey) << c.Pixel;

  TBitmap glyph(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) glyph.Canvas()->SetPixels(x, y, clFuchsia);  // transparent
  glyph.Canvas()->SetPixels(1, 1, clNavy);
  glyph.Canvas()->SetPixels(2, 2, clWhite);
  glyph.Canvas()->SetPixels(2, 1, clFuchsia);  // the transparent colour inside: a hole
  TAdvGridButton* b = MakeButton(10, 10);
  b->SetGlyph(&glyph);
  EXPECT_EQ(b->GlyphDisabled()->Canvas()->Pixels(2, 2), RGB(223, 223, 223));
  TBitmap* shade = b->GlyphShade();
  ASSERT_EQ(shade->Width(), 4);
  EXPECT_EQ(shade->Canvas()->Pixels(1, 1), static_cast<TColor>(0x00808080));
  EXPECT_EQ(shade->Canvas()->Pixels(2, 2), static_cast<TColor>(0x00808080));
  EXPECT_EQ(shade->Canvas()->Pixels(2, 1), clFuchsia) << "the hole stays transparent";
  EXPECT_EQ(shade->Canvas()->Pixels(0, 3), clFuchsia);
}

TEST_F(GridControlsTest, ThemePresetWithoutATheme) {
  EXPECT_FALSE(ThemesUsable());
  EXPECT_EQ(TAdvGridButton::ThemePreset(), 1);
  TAdvGridButton* b = MakeButton(10, 10);
  b->SetFlat(false);
  b->SetRounded(true);
  b->SetBorderColor(clRed);
  b->SetAutoThemeAdapt(true);
  EXPECT_EQ(b->ColorHot(), static_cast<TColor>(0x00EED2C1));
  EXPECT_EQ(b->ColorChecked(), static_cast<TColor>(0x00E8E6E1));
  EXPECT_EQ(b->BorderHotColor(), static_cast<TColor>(0x00C56A31));
  EXPECT_EQ(b->BorderDownColor(), b->BorderHotColor());
  EXPECT_EQ(b->BorderColor(), clNone);
  EXPECT_TRUE(b->Flat());
  EXPECT_FALSE(b->Rounded());
}

class CheckBoxTest : public GridControlsTest {
 public:
  CheckBoxTest() {
    Box = new TAdvCheckBox(Form);
    Box->SetParent(Form);
    Box->SetBounds(20, 20, 120, 22);
    Box->SetCaption(u"&Match case");
    Box->OnClick = [this](TObject*) { ++BoxClicks; };
    Other = new TEdit(Form);
    Other->SetParent(Form);
    Other->SetBounds(20, 80, 100, 22);
    Other->SetFocus();
    Application->ProcessMessages();
  }
  TAdvCheckBox* Box = nullptr;
  TEdit* Other = nullptr;
  int BoxClicks = 0;
};

TEST_F(CheckBoxTest, MouseSpaceAndAccelerator) {
  TAdvCheckBox fresh(nullptr);
  EXPECT_EQ(fresh.Width(), 98);
  EXPECT_EQ(fresh.Caption(), u"TAdvCheckBox");
  EXPECT_FALSE(fresh.ControlStyle().Contains(csClickEvents));

  ClickOn(Box);
  EXPECT_TRUE(Box->Checked());
  EXPECT_TRUE(Box->Focused());
  EXPECT_EQ(BoxClicks, 1);
  PressAt(Inside(Box));
  EXPECT_TRUE(Box->IsDown());
  InjectMouseMove(Outside(Box));
  Application->ProcessMessages();
  EXPECT_FALSE(Box->IsDown());
  ReleaseAt(Outside(Box));
  EXPECT_TRUE(Box->Checked()) << "released outside";
  EXPECT_EQ(BoxClicks, 1);

  Key(VK_SPACE);
  Application->ProcessMessages();
  EXPECT_FALSE(Box->Checked());
  EXPECT_EQ(BoxClicks, 2);

  Other->SetFocus();
  InjectKey(VK_MENU, true);
  Key(u'M');
  InjectKey(VK_MENU, false);
  Application->ProcessMessages();
  EXPECT_TRUE(Box->Checked()) << "the accelerator toggles";
  EXPECT_TRUE(Box->Focused());
  EXPECT_EQ(BoxClicks, 3);
}

TEST_F(CheckBoxTest, ReadOnlyKeepsItsStateButStillClicks) {
  Box->SetReadOnly(true);
  ClickOn(Box);
  Key(VK_SPACE);
  Application->ProcessMessages();
  EXPECT_FALSE(Box->Checked());
  EXPECT_EQ(BoxClicks, 2);
  Box->SetState(cbGrayed);
  EXPECT_FALSE(Box->Checked());
}

TEST_F(CheckBoxTest, BoxPlaceByAlignment) {
  struct Case {
    TLeftRight Align;
    TTextLayout Vert;
    TRect Box;
  } cases[] = {{taLeftJustify, tlTop, Rect(0, 4, 13, 17)},
               {taRightJustify, tlTop, Rect(107, 4, 120, 17)},
               {taLeftJustify, tlCenter, Rect(0, 5, 13, 18)},
               {taLeftJustify, tlBottom, Rect(0, 5, 13, 18)}};
  for (const Case& c : cases) {
    Box->SetAlignment(c.Align);
    Box->SetButtonVertAlign(c.Vert);
    EXPECT_EQ(Box->BoxRect(), c.Box) << c.Align << " " << c.Vert;
  }
}

TEST_F(GridControlsTest, AnArrowTakesTheMouseOnlyInsideItsShape) {
  auto* arrow = new TArrowWindow(Form, 1);
  arrow->SetParent(Form);
  arrow->SetBounds(200, 150, 11, 11);
  HWND active = GetActiveWindow();
  arrow->Show();
  Application->ProcessMessages();
  EXPECT_EQ(GetActiveWindow(), active) << "an arrow never takes the activation";
  EXPECT_EQ(GetWindowLongPtr(arrow->Handle(), GWL_STYLE) & ~WS_VISIBLE, WS_POPUP);
  EXPECT_EQ(arrow->Color(), clLime);
  TPoint origin = arrow->ClientToScreen({0, 0});
  struct Case {
    TPoint At;
    bool Arrow;
  } cases[] = {{{5, 2}, true}, {{5, 6}, true}, {{1, 1}, false}, {{9, 8}, false}, {{0, 0}, false}};
  for (const Case& c : cases) {
    HWND hit = WindowFromPoint({origin.X + c.At.X, origin.Y + c.At.Y});
    EXPECT_EQ(hit == arrow->Handle(), c.Arrow) << c.At.X << "," << c.At.Y;
  }
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(arrow->Handle(), shape), RGN_ERROR);
  DeleteObject(shape);
}

}  // namespace
