// The combo editor: the button width's range, the coloured button by state, the flat and
// disabled colours, the focus colour of a combo made at run time, the label's thirteen places
// and the closing of the list.
#include "controls/grid/AsgCombo.h"
#include "platform/ui/ExtCtrls.h"
#include "tests/controls/grid/GridEditorTestSupport.h"

namespace {

using namespace grideditor_test;
using namespace AsgCombo;

class ComboTest : public TEditorTest {
 public:
  ComboTest() {
    Panel = Add<TPanel>(Bounds(0, 0, 480, 260));
    Panel->SetColor(clMoneyGreen);
    Combo = new TAsgComboBox(Form);
    Combo->SetBounds(162, 100, 200, 24);
    Combo->SetParent(Panel);
    for (const char16_t* item : {u"Скопје", u"Битола", u"Охрид"}) Combo->Items()->Add(item);
    Other = new TAsgComboBox(Form);
    Other->SetBounds(162, 180, 200, 24);
    Other->SetParent(Panel);
  }
  // The colour the coloured button's area is filled with.
  COLORREF ButtonFill() {
    TDrawingLog log = PaintLog(Combo);
    const int left = Combo->ClientWidth() - Combo->ButtonWidth() + 2;
    for (const TDrawingCall& call : log.Named("FillRect"))
      if (call.ArgRect().Left == left) return call.BrushColor;
    ADD_FAILURE() << log.Dump();
    return CLR_INVALID;
  }
  TPoint OverButton() { return Combo->ClientToScreen({Combo->Width() - 6, 12}); }
  TPanel* Panel;
  TAsgComboBox* Combo;
  TAsgComboBox* Other;
};

TEST_F(ComboTest, ButtonWidthsOutsideFourteenToThirtyTwoAreIgnored) {
  const int initial = Combo->ButtonWidth();
  EXPECT_EQ(initial, GetSystemMetrics(SM_CXVSCROLL) + 2);
  for (int width : {13, 33, -1}) {
    Combo->SetButtonWidth(width);
    EXPECT_EQ(Combo->ButtonWidth(), initial) << width;
  }
  for (int width : {14, 32}) {
    Combo->SetButtonWidth(width);
    EXPECT_EQ(Combo->ButtonWidth(), width);
  }
}

TEST_F(ComboTest, TheColouredButtonIsFilledByStateEvenOnVista) {
  Form->Show();
  Combo->IsVista = true;
  EXPECT_FALSE(Combo->PaintsItself()) << "without a button colour Vista paints natively";
  Combo->ButtonColor = clSkyBlue;
  Combo->ButtonColorHot = clCream;
  Combo->ButtonColorDown = clNavy;
  Combo->ButtonBorderColor = clGray;
  Combo->ButtonTextColor = clWhite;
  EXPECT_TRUE(Combo->PaintsItself());
  MoveMouse(CenterOf(Other));
  EXPECT_EQ(ButtonFill(), ColorToRGB(clSkyBlue));
  MoveMouse(OverButton());
  EXPECT_TRUE(Combo->ButtonHot());
  EXPECT_EQ(ButtonFill(), ColorToRGB(clCream));
  // Held down over the button: the pressed colour, and the arrow in the text colour.
  MouseButton(true, OverButton());
  EXPECT_EQ(ButtonFill(), ColorToRGB(clNavy));
  TDrawingLog log = PaintLog(Combo);
  ASSERT_FALSE(log.Named("Polygon").empty());
  EXPECT_EQ(log.Named("Polygon")[0].BrushColor, ColorToRGB(clWhite));
  // Released outside: the normal fill on the next paint.
  MouseButton(false, CenterOf(Other));
  Combo->SetDroppedDown(false);
  MoveMouse(CenterOf(Other));
  EXPECT_EQ(ButtonFill(), ColorToRGB(clSkyBlue));
}

TEST_F(ComboTest, TheSystemButtonIsFlatWhileEnabledAndInactiveWhileDisabled) {
  Combo->SetFlat(true);
  auto states = [&] {
    std::vector<uint32_t> flags;
    for (const TDrawingCall& call : PaintLog(Combo).Named("DrawFrameControl"))
      flags.push_back(call.Flags);
    return flags;
  };
  std::vector<uint32_t> enabled = states();
  ASSERT_FALSE(enabled.empty());
  EXPECT_TRUE(enabled.front() & DFCS_FLAT);
  Combo->SetEnabled(false);
  std::vector<uint32_t> disabled = states();
  ASSERT_FALSE(disabled.empty());
  EXPECT_TRUE(disabled.front() & DFCS_INACTIVE);
}

TEST_F(ComboTest, AFlatComboTakesItsParentsColourAndGivesItBackWhenEnabled) {
  EXPECT_TRUE(Combo->Ctl3D());
  Combo->SetFlat(true);
  EXPECT_FALSE(Combo->Ctl3D()) << "flat is the opposite of three-dimensional";
  EXPECT_EQ(Combo->Color(), clMoneyGreen);
  Combo->SetColor(clCream);
  Combo->SetEnabled(false);
  EXPECT_EQ(Combo->Color(), clMoneyGreen) << "a disabled flat combo shows its parent's colour";
  Combo->SetEnabled(true);
  EXPECT_EQ(Combo->Color(), clCream);
  EXPECT_FALSE(Combo->ParentColor());
  Combo->SetFlat(false);
  EXPECT_EQ(Combo->Color(), clWindow) << "not flat: the colour it was made with";
}

TEST_F(ComboTest, ARunTimeCombosFocusColourGivesWayToItsOwnColour) {
  Combo->FocusColor = clYellow;
  Focus(Combo);
  EXPECT_EQ(Combo->Color(), clYellow);
  Focus(Other);
  EXPECT_EQ(Combo->Color(), clWindow) << "the colour it was made with, not black";
  Combo->SetColor(clCream);
  Focus(Combo);
  EXPECT_EQ(Combo->Color(), clYellow);
  Combo->SetColor(clSkyBlue);  // while focused: shown now, but not the colour to return to
  Focus(Other);
  EXPECT_EQ(Combo->Color(), clCream);
}

TEST_F(ComboTest, BorderColoursFrameTheComboAndTheFocusBorderOnlyWhileFocused) {
  Focus(Other);
  auto frames = [&] {
    std::vector<COLORREF> colors;
    for (const TDrawingCall& call : PaintLog(Combo).Named("FrameRect"))
      if (call.ArgRect() == Combo->ClientRect()) colors.push_back(call.BrushColor);
    return colors;
  };
  EXPECT_TRUE(frames().empty());
  Combo->SetBorderColor(clRed);
  EXPECT_EQ(frames(), (std::vector<COLORREF>{ColorToRGB(clRed)}));
  Combo->FocusBorderColor = clBlue;
  EXPECT_EQ(frames(), (std::vector<COLORREF>{ColorToRGB(clRed)}));
  Focus(Combo);
  EXPECT_EQ(frames(), (std::vector<COLORREF>{ColorToRGB(clBlue)}));
}

TEST_F(ComboTest, TheLabelTakesEachOfItsThirteenPlaces) {
  Combo->SetLabelCaption(u"Град");
  TLabel* label = Combo->ComboLabel();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->Parent(), Panel);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, label->Font()->Handle());
  TSize text{};
  GetTextExtentPoint32(dc, u"Град", &text);
  DeleteDC(dc);
  const int w = text.cx, lw = label->Width(), lh = label->Height();
  struct TCase {
    TLabelPosition Position;
    int Left, Top;
  } cases[] = {
      {lpLeftTop, 162 - w - 4, 100},
      {lpLeftCenter, 162 - w - 4, 100 + (24 - lh) / 2},
      {lpLeftBottom, 162 - w - 4, 124 - lh},
      {lpTopLeft, 162, 100 - lh - 4},
      {lpBottomLeft, 162, 128},
      {lpLeftTopLeft, 158, 100},
      {lpLeftCenterLeft, 158, 100 + (24 - lh) / 2},
      {lpLeftBottomLeft, 158, 124 - lh},
      {lpTopCenter, 162 + (200 - lw) / 2, 100 - lh - 4},
      {lpBottomCenter, 162 + (200 - lw) / 2, 128},
      {lpRightTop, 366, 100},
      {lpRightCenter, 366, 100 + (24 - lh) / 2},
      {lpRighBottom, 366, 124 - lh},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Position));
    Combo->SetLabelPosition(c.Position);
    EXPECT_EQ(label->Left(), c.Left);
    EXPECT_EQ(label->Top(), c.Top);
  }
  // A combo 21 pixels high with a 13-pixel label on its right: 4 pixels below its top.
  label->SetAutoSize(false);
  label->SetHeight(13);
  Combo->SetLabelPosition(lpRightCenter);
  Combo->SetBounds(162, 100, 200, 21);
  EXPECT_EQ(label->Top(), 104);
  Combo->SetLabelMargin(10);
  EXPECT_EQ(label->Left(), 372);
  Combo->Hide();
  EXPECT_FALSE(label->Visible());
  Combo->Show();
  Combo->SetEnabled(false);
  EXPECT_FALSE(label->Enabled());
  Combo->SetEnabled(true);
  EXPECT_TRUE(label->Enabled());
  Combo->SetLabelAlwaysEnabled(true);
  Combo->SetEnabled(false);
  EXPECT_TRUE(label->Enabled());
}

TEST_F(ComboTest, TheFocusedLabelGoesBoldWhenAsked) {
  Combo->SetLabelCaption(u"Град");
  Combo->FocusLabel = true;
  Focus(Combo);
  EXPECT_TRUE(Combo->ComboLabel()->Font()->Style().Contains(fsBold));
  Focus(Other);
  EXPECT_FALSE(Combo->ComboLabel()->Font()->Style().Contains(fsBold));
}

TEST_F(ComboTest, ClosingTheListRaisesDropUp) {
  std::vector<std::string> events;
  Combo->OnCloseUp = [&](TObject*) { events.push_back("close up"); };
  Combo->OnDropUp = [&](TObject* sender) {
    EXPECT_EQ(sender, Combo);
    events.push_back("drop up");
  };
  Focus(Combo);
  PressWith(VK_MENU, VK_DOWN);
  EXPECT_TRUE(Combo->DroppedDown());
  EXPECT_TRUE(events.empty());
  PressKey(VK_DOWN);
  PressKey(VK_RETURN);
  EXPECT_FALSE(Combo->DroppedDown());
  EXPECT_EQ(events, (std::vector<std::string>{"close up", "drop up"}));
  EXPECT_EQ(Combo->Text(), u"Скопје");
  Combo->SetDropWidth(300);
  EXPECT_EQ(Combo->DroppedWidth(), 300);
}

}  // namespace
