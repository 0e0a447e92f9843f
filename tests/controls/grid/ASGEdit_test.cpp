// The edits with a button: the click and F4 with their senders, the editor switched off, the
// unit split and menu, where the text and the unit go, and the coloured face.
#include "controls/grid/ASGEdit.h"
#include "platform/ui/Clipbrd.h"
#include "tests/controls/grid/GridEditorTestSupport.h"

namespace {

using namespace grideditor_test;

class EditBtnTest : public TEditorTest {
 public:
  EditBtnTest() {
    Edit = Add<TAsgEditBtn>(Bounds(20, 20, 150, 25));
    Units = Add<TAsgUnitEditBtn>(Bounds(20, 80, 150, 25));
    Units->Units()->Add(u"m");
    Units->Units()->Add(u"cm");
    Units->Units()->Add(u"km");
    Edit->OnClickBtn = [this](TObject* sender) { Clicks.push_back(sender); };
  }
  TAsgEditBtn* Edit;
  TAsgUnitEditBtn* Units;
  std::vector<TObject*> Clicks;
};

TEST_F(EditBtnTest, ANewEditShowsZeroAndItsButtonAtTheRightEdge) {
  EXPECT_EQ(Edit->Text(), u"0");
  Form->Show();
  TRect button = Edit->Button()->BoundsRect();
  EXPECT_EQ(button.Width(), 18);
  EXPECT_GT(button.Left, Edit->Width() / 2);
  EXPECT_LE(button.Right, Edit->Width());
  EXPECT_EQ(Edit->Button()->SpeedButton()->BoundsRect(), Edit->Button()->ClientRect());
  Edit->SetButtonWidth(30);
  EXPECT_EQ(Edit->Button()->Width(), 30);
  EXPECT_EQ(Edit->Button()->SpeedButton()->Width(), 30) << "the face covers the button";
}

TEST_F(EditBtnTest, AClickPassesTheButtonAndF4TheEditUnlessCtrlOrAltIsDown) {
  Focus(Edit);
  ClickOn(CenterOf(Edit->Button()));
  PressKey(VK_F4);
  PressWith(VK_CONTROL, VK_F4);
  PressWith(VK_LMENU, VK_F4);
  PressWith(VK_RMENU, VK_F4);
  EXPECT_EQ(Clicks, (std::vector<TObject*>{Edit->Button(), Edit}));
  EXPECT_TRUE(Edit->Focused());
}

TEST_F(EditBtnTest, ASecondPressOnTheButtonOfAnUnfocusedEditFocusesIt) {
  Focus(Units);
  ClickOn(CenterOf(Edit->Button()));
  EXPECT_TRUE(Edit->Focused()) << "the button hands the focus to its edit";
  EXPECT_EQ(Clicks.size(), 1u);
}

TEST_F(EditBtnTest, WithoutTheEditorOnlyTheButtonAndF4Work) {
  Edit->EditorEnabled = false;
  Focus(Edit);
  Edit->SetSelStart(1);
  TypeKeys(u"12ab");
  EXPECT_EQ(Edit->Text(), u"0");
  Clipboard()->SetAsText(u"77");
  Edit->PasteFromClipboard();
  Edit->SelectAll();
  Edit->CutToClipboard();
  EXPECT_EQ(Edit->Text(), u"0");
  EXPECT_EQ(Clipboard()->AsText(), u"77");
  PressKey(VK_F4);
  ClickOn(CenterOf(Edit->Button()));
  EXPECT_EQ(Clicks.size(), 2u);

  Edit->EditorEnabled = true;
  Edit->SetReadOnly(true);
  Edit->PasteFromClipboard();
  EXPECT_EQ(Edit->Text(), u"0") << "a read-only edit takes no paste either";
}

// --- Units ---------------------------------------------------------------------------------------

struct TUnitCase {
  const char* Name;
  std::vector<const char16_t*> Units;
  const char16_t* Given;
  const char16_t* Text;  // what the edit shows after, starting from "x" with the unit "u"
  const char16_t* Unit;
};

class UnitSplitTest : public EditBtnTest, public ::testing::WithParamInterface<TUnitCase> {};

TEST_P(UnitSplitTest, TheLongestUnitTheTextEndsWithIsSplitOff) {
  const TUnitCase& c = GetParam();
  Units->Units()->Clear();
  for (const char16_t* unit : c.Units) Units->Units()->Add(unit);
  Units->SetText(u"x");
  Units->SetUnitID(u"u");
  Units->SetTextWithUnit(c.Given);
  EXPECT_EQ(Units->Text(), c.Text);
  EXPECT_EQ(Units->UnitID(), c.Unit);
  EXPECT_EQ(Units->GetTextWithUnit(), String(c.Text) + c.Unit);
}

const TUnitCase kUnitCases[] = {
    {"ShortUnitListedFirst", {u"m", u"cm"}, u"5cm", u"5", u"cm"},
    {"LongUnitListedFirst", {u"cm", u"m"}, u"5cm", u"5", u"cm"},
    {"ShortUnit", {u"m", u"cm"}, u"5m", u"5", u"m"},
    {"NoUnitLeavesBoth", {u"m", u"cm"}, u"12", u"x", u"u"},
    {"OnlyTheUnit", {u"m", u"cm"}, u"cm", u"", u"cm"},
    {"UnitInsideTheTextDoesNotCount", {u"kg"}, u"5kg2", u"x", u"u"},
    {"CyrillicUnit", {u"м", u"см"}, u"3,5см", u"3,5", u"см"},
};

INSTANTIATE_TEST_SUITE_P(Units, UnitSplitTest, ::testing::ValuesIn(kUnitCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(EditBtnTest, TheUnitMenuOffersTheUnitsAndReportsAChange) {
  std::vector<String> changes;
  std::vector<std::string> order;
  Units->OnUnitChanged = [&](TObject* sender, const String& unit) {
    EXPECT_EQ(sender, Units);
    changes.push_back(unit);
    order.push_back("changed");
  };
  Units->OnClickBtn = [&](TObject* sender) {
    EXPECT_EQ(sender, Units) << "the unit edit passes itself";
    order.push_back("click");
  };
  Units->SetUnitID(u"m");
  Focus(Units);
  // The menu runs its own loop; the script picks the second unit with the keyboard.
  Script().Then([this] { Click(Units->Button()); });
  Script().Then([] {
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_RETURN);
  });
  RunScript();
  EXPECT_EQ(Units->UnitID(), u"cm");
  EXPECT_EQ(changes, (std::vector<String>{u"cm"}));
  EXPECT_EQ(order, (std::vector<std::string>{"click", "changed"}));

  // The unit already chosen is no change; identifiers outside the list and edit notifications
  // change nothing.
  Units->Perform(WM_COMMAND, MAKEWPARAM(2, 0), 0);
  Units->Perform(WM_COMMAND, MAKEWPARAM(0, 0), 0);
  Units->Perform(WM_COMMAND, MAKEWPARAM(4, 0), 0);
  Units->Perform(WM_COMMAND, MAKEWPARAM(1, EN_CHANGE), 0);
  EXPECT_EQ(Units->UnitID(), u"cm");
  EXPECT_EQ(changes.size(), 1u);
  Units->Perform(WM_COMMAND, MAKEWPARAM(3, 0), 0);
  EXPECT_EQ(changes, (std::vector<String>{u"cm", u"km"}));
}

TEST_F(EditBtnTest, TheUnitIsDrawnInItsSpaceBetweenTheTextAndTheButton) {
  Form->Show();
  Units->SetUnitID(u"cm");
  TRect unit = Units->UnitRect();
  TRect button = Units->Button()->BoundsRect();
  EXPECT_EQ(button.Left - unit.Right, 2) << "the unit ends just before the button";
  EXPECT_EQ(unit.Width(), 20);
  TRect text{};
  Units->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  EXPECT_LT(text.Right, unit.Left) << "the text stops before the unit";
  EXPECT_EQ(Units->Alignment(), taRightJustify);

  TDrawingLog log = PaintLog(Units);
  bool drawn = false;
  for (const TDrawingCall& call : log.Named("DrawText"))
    if (call.Text == u"cm" && call.ArgRect() == unit) drawn = true;
  EXPECT_TRUE(drawn) << log.Dump();
}

TEST_F(EditBtnTest, TheFormattingRectangleKeepsRoomForTheButtonAndTheUnit) {
  Form->Show();
  // The system edit's client area lies 2 pixels inside the platform's edge.
  const int inner = Edit->Width() - 4;
  TRect text{};
  Edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  EXPECT_EQ(text, Rect(1 + 2, 1 + 2, inner - 18 - 5 + 2, Edit->Height() - 4 + 1 + 2));
  Units->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  EXPECT_EQ(text.Right, inner - 18 - 5 - 20 - 3 + 2);
  Units->SetUnitSpace(0);
  Units->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  EXPECT_EQ(text.Right, inner - 18 - 5 + 2);
  Edit->SetBorderStyle(bsNone);
  Edit->SetWidth(Edit->Width() + 10);
  Edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  EXPECT_EQ(text.Left, 3);
  EXPECT_EQ(text.Right, Edit->Width() - 18 - 5);
}

TEST_F(EditBtnTest, AColouredFaceIsFilledByStateAndAlwaysFlat) {
  Form->Show();
  TAsgEditButton* button = Edit->Button();
  button->ButtonColor = clMoneyGreen;
  button->ButtonColorHot = clSkyBlue;
  button->ButtonColorDown = clCream;
  Edit->SetButtonCaption(u"…");
  MoveMouse(CenterOf(Units));
  TDrawingLog log = PaintLog(button);
  // The face's fill comes last, over the window's background.
  EXPECT_EQ(Fills(log).back(), ColorToRGB(clMoneyGreen));
  EXPECT_TRUE(button->Flat());
  EXPECT_TRUE(log.Named("DrawFrameControl").empty());
  bool caption = false;
  for (const TDrawingCall& call : log.Named("DrawText")) caption |= call.Text == u"…";
  EXPECT_TRUE(caption);

  MoveMouse(CenterOf(button));
  EXPECT_EQ(Fills(PaintLog(button)).back(), ColorToRGB(clSkyBlue));
  MouseButton(true, CenterOf(button));
  EXPECT_EQ(Fills(PaintLog(button)).back(), ColorToRGB(clCream));
  MouseButton(false, CenterOf(button));

  // Without a colour the face is the system's push button.
  button->ButtonColor = clNone;
  button->SetFlat(false);
  log = PaintLog(button);
  ASSERT_EQ(log.Named("DrawFrameControl").size(), 1u);
  EXPECT_EQ(log.Named("DrawFrameControl")[0].Flags & DFCS_BUTTONPUSH, DFCS_BUTTONPUSH);
}

}  // namespace
