// The expander button panel: the flow layout of its buttons, its height fitting, presses and
// releases, the keyboard's table, badges and the degenerate grids.
#include "platform/rtl/NumberText.h"
#include "tests/controls/graphics/SmoothPanelTestSupport.h"

namespace {

using smoothtest::TSmoothPanelTest;

class ButtonPanel : public TSmoothPanelTest {
 public:
  // A panel 342 wide: no border and no shadow make the inside's right edge 339.
  TAdvSmoothExpanderButtonPanel* Panel(int buttons, int height = 200) {
    auto* panel = Add<TAdvSmoothExpanderButtonPanel>(Bounds(10, 10, 342, height));
    for (int i = 0; i < buttons; ++i)
      panel->Buttons()->Add()->SetCaption(u"Копче " + IntToStr(i));
    panel->OnButtonClick = [this](TObject*, int i) { Note("click " + std::to_string(i)); };
    panel->OnButtonClicked = [this](TObject*, int i) { Note("clicked " + std::to_string(i)); };
    return panel;
  }
  static TPoint CellCenter(TAdvSmoothExpanderButtonPanel* panel, int i) {
    TRect cell = panel->ButtonCells().at(static_cast<size_t>(i));
    return At(panel, cell.Left + cell.Width() / 2, cell.Top + cell.Height() / 2);
  }
};

TEST_F(ButtonPanel, ButtonsFlowInRowsAndWrapWhenTheNextCellPassesTheInside) {
  TAdvSmoothExpanderButtonPanel* panel = Panel(6);
  std::vector<TRect> cells = panel->ButtonCells();
  std::vector<int> xs, ys;
  for (const TRect& c : cells) xs.push_back(c.Left), ys.push_back(c.Top);
  EXPECT_EQ(xs, (std::vector<int>{5, 80, 155, 230, 5, 80}));
  EXPECT_EQ(ys, (std::vector<int>{35, 35, 35, 35, 65, 65}));
  EXPECT_EQ(panel->ColumnsPerRow(), 4);
  EXPECT_EQ(panel->ButtonAtXY(80, 35), 1) << "left and top edges are inside";
  EXPECT_EQ(panel->ButtonAtXY(155, 64), 2);
  EXPECT_EQ(panel->ButtonAtXY(155, 65), -1) << "a row's bottom edge is outside";
  EXPECT_EQ(panel->ButtonAtXY(5, 10), -1);
  // A panel narrower than one cell puts even the first button in row 1.
  panel->SetWidth(60);
  EXPECT_EQ(panel->ButtonCells().at(0).Top, 65);
}

TEST_F(ButtonPanel, TheHeightGrowsToFitTheButtons) {
  // Two rows of 30 below the margin of 35, and 5 more.
  TAdvSmoothExpanderButtonPanel* panel = Panel(0, 40);
  for (int i = 0; i < 6; ++i) panel->Buttons()->Add();
  EXPECT_EQ(panel->Height(), 100);
  panel->Buttons()->Delete(5);
  panel->Buttons()->Delete(4);
  EXPECT_EQ(panel->Height(), 100) << "DecreaseHeight is off";
  panel->AutoSize()->SetDecreaseHeight(true);
  EXPECT_EQ(panel->Height(), 70);
  // An empty panel asks for the margin alone, and grows a shorter one, also collapsed.
  TAdvSmoothExpanderButtonPanel* empty = Panel(0, 150);
  EXPECT_EQ(empty->Height(), 150);
  empty->SetMinimumPanelHeight(20);
  empty->SetExpanded(false);
  Script().AdvanceBy(2000);
  RunScript();
  EXPECT_EQ(empty->Height(), 20);
  empty->UpdateButtons();
  EXPECT_EQ(empty->Height(), 35);
}

TEST_F(ButtonPanel, RowsAndColumnsTakeMinusOneOrACountAndDeriveTheCells) {
  TAdvSmoothExpanderButtonPanel* panel = Panel(3, 142);  // inside bottom 139
  panel->SetRows(0);
  EXPECT_EQ(panel->Rows(), -1);
  panel->SetRows(-2);
  EXPECT_EQ(panel->Rows(), -1);
  panel->SetRows(3);
  EXPECT_EQ(panel->CellHeight(), 34);
  for (int i = 0; i < 6; ++i) panel->Buttons()->Add();
  EXPECT_EQ(panel->Height(), 142) << "with rows set the height is not fitted";
  panel->SetColumns(3);
  EXPECT_EQ(panel->CellWidth(), 109);  // (339 - 10) div 3
}

TEST_F(ButtonPanel, PressAndReleaseFireWithTheButtonsIndex) {
  TAdvSmoothExpanderButtonPanel* panel = Panel(3);
  panel->Buttons()->Items(1)->SetEnabled(false);
  Show();
  // A disabled button fires nothing and does not take the focus.
  Script().Then([=] { Click(panel), ClickAt(CellCenter(panel, 1)); });
  RunScript();
  EXPECT_EQ(panel->FocusedIndex(), 0);
  EXPECT_TRUE(Events.empty());
  Script().Then([=] { ClickAt(CellCenter(panel, 2)); });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"click 2", "clicked 2"}));
  EXPECT_EQ(panel->FocusedIndex(), 2);
  EXPECT_FALSE(panel->Buttons()->Items(2)->Down());
  // Released over an enabled button, the press elsewhere still counts as its click.
  Events.clear();
  Script().Then([=] { Press(At(panel, 300, 150)); });
  Script().Then([=] { Release(CellCenter(panel, 0)); });
  RunScript();
  EXPECT_EQ(Events, std::vector<std::string>{"clicked 0"});
}

TEST_F(ButtonPanel, KeysMoveTheFocusWithinTheButtonsAndSpacePresses) {
  TAdvSmoothExpanderButtonPanel* panel = Panel(10);  // four to a row
  panel->SetTabStop(true);
  Show();
  panel->SetFocus();
  ASSERT_TRUE(panel->HasFocus());
  struct TCase {
    int From;
    uint16_t Key;
    int To;
  } cases[] = {
      {3, VK_RIGHT, 4}, {3, VK_LEFT, 2},  {0, VK_LEFT, 0},   {6, VK_DOWN, 6},
      {5, VK_DOWN, 9},  {5, VK_UP, 1},    {2, VK_UP, 2},     {3, VK_HOME, 0},
      {3, VK_END, 9},   {7, VK_NEXT, 7},  {4, VK_NEXT, 9},   {6, VK_PRIOR, 1},
      {4, VK_PRIOR, 4}, {4, VK_TAB, 4},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.From) + " key " + std::to_string(c.Key));
    Script().Then([=] { ClickAt(CellCenter(panel, c.From)); });
    RunScript();
    ASSERT_EQ(panel->FocusedIndex(), c.From);
    Events.clear();
    Script().Then([=] { Key(c.Key); });
    RunScript();
    EXPECT_EQ(panel->FocusedIndex(), c.To);
    EXPECT_TRUE(Events.empty());
  }
  Script().Then([] { InjectKey(VK_SPACE, true); });
  Script().Then([=] {
    EXPECT_TRUE(panel->Buttons()->Items(4)->Down());
    InjectKey(VK_SPACE, false);
  });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"click 4", "clicked 4"}));
  EXPECT_FALSE(panel->Buttons()->Items(4)->Down());
  // A focus left beyond the buttons after deletions makes Space do nothing.
  Script().Then([=] { Key(VK_END); });
  RunScript();
  while (panel->Buttons()->Count() > 3) panel->Buttons()->Delete(panel->Buttons()->Count() - 1);
  Events.clear();
  Script().Then([] { Key(VK_SPACE); });
  RunScript();
  EXPECT_TRUE(Events.empty());
}

TEST_F(ButtonPanel, DegenerateCellsNeitherDivideByZeroNorMoveTheFocus) {
  for (auto setup : {std::function<void(TAdvSmoothExpanderButtonPanel*)>(
                         [](TAdvSmoothExpanderButtonPanel* p) { p->SetButtonWidth(0); }),
                     std::function<void(TAdvSmoothExpanderButtonPanel*)>(
                         [](TAdvSmoothExpanderButtonPanel* p) { p->SetColumns(50); }),
                     std::function<void(TAdvSmoothExpanderButtonPanel*)>(
                         [](TAdvSmoothExpanderButtonPanel* p) { p->SetColumns(500); })}) {
    TAdvSmoothExpanderButtonPanel* panel = Panel(4);
    panel->SetTabStop(true);
    setup(panel);
    Painted(panel);
    panel->SetFocus();
    Script().Then([] { Key(VK_DOWN); });
    Script().Then([] { Key(VK_UP); });
    RunScript();
    // No row below or above the first is within the four buttons.
    EXPECT_EQ(panel->FocusedIndex(), 0);
    EXPECT_EQ(panel->ButtonCells().size(), 4u);
    delete panel;
  }
}

TEST_F(ButtonPanel, ABadgeSitsOnTheCellsTopRightCornerMovedByItsOffsets) {
  TAdvSmoothExpanderButtonPanel* panel = Panel(2);
  panel->Buttons()->Items(0)->SetStatusCaption(u"3");
  panel->ButtonStatus()->SetVisible(true);
  std::vector<int> restyled;
  panel->OnDrawStatus = [&](TObject*, TGDIPFill* fill, TFont*, int index) {
    restyled.push_back(index);
    fill->SetColor(clLime);
  };
  auto badgeText = [&] {
    for (const TGPCall& call : Painted(panel).Named("GdipDrawString"))
      if (call.Text == u"3") return call;
    ADD_FAILURE() << "no badge";
    return TGPCall{};
  };
  TGPCall plain = badgeText();
  EXPECT_EQ(restyled, std::vector<int>{0}) << "a button without a badge caption has none";
  EXPECT_NE(panel->ButtonStatus()->Appearance()->Fill()->Color(), clLime)
      << "the restyling lasts for one badge";
  panel->ButtonStatus()->SetOffsetLeft(4);
  panel->ButtonStatus()->SetOffsetTop(2);
  TGPCall moved = badgeText();
  EXPECT_FLOAT_EQ(moved.Args[0], plain.Args[0] + 4);
  EXPECT_FLOAT_EQ(moved.Args[1], plain.Args[1] + 2);
  // The badge ends at the cell's right edge before the offset.
  int w = panel->ButtonStatus()->Appearance()->GetWidth();
  EXPECT_LE(plain.Args[0], 5 + 75 - w + w);
  EXPECT_GE(plain.Args[0], 5 + 75 - w);
  EXPECT_EQ(panel->Version(), u"1.2.0.0");
}

TEST_F(ButtonPanel, StylesColourTheButtonsExceptTheKeptOnes) {
  TAdvSmoothExpanderButtonPanel* panel = Panel(2);
  panel->SetComponentStyle(2);
  EXPECT_EQ(panel->Buttons()->Items(1)->Color(), 0x00447A63);
  panel->SetComponentStyle(8);
  EXPECT_EQ(panel->Buttons()->Items(1)->Color(), 0x00447A63);
  panel->SetComponentStyle(18);
  EXPECT_EQ(panel->Buttons()->Items(1)->Color(), 0x00447A63);
  EXPECT_TRUE(panel->SquareExpander());
  panel->SetComponentStyle(12);
  EXPECT_EQ(panel->Buttons()->Items(0)->Color(), clBtnFace);
}

}  // namespace
