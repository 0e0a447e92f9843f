#include <gtest/gtest.h>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/NumberText.h"
#include "platform/ui/StdCtrls.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class ListBoxTest : public TUiTest {
 public:
  ListBoxTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    List = new TListBox(Form);
    List->SetBounds(10, 10, 150, 4 + 5 * 16);  // five whole items
    List->SetParent(Form);
    for (int i = 0; i < 12; ++i) List->Items()->Add(u"Член " + IntToStr(i));
    List->OnClick = [this](TObject*) { Note("click " + std::to_string(List->ItemIndex())); };
    Form->Show();
  }
  TPoint AtItem(int index) { return List->ClientToScreen(CenterOf(List->ItemRect(index))); }
  TForm* Form = nullptr;
  TListBox* List = nullptr;
};

TEST_F(ListBoxTest, TheMouseAndTheKeysPickItemsAndReportEachChoice) {
  Script().Then([&] { ClickAt(AtItem(2)); });
  Script().Then([&] {
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_UP);
    Key(VK_END);
    Key(VK_END);  // no change: no click
    Key(VK_HOME);
    Key(VK_UP);   // at the top already
    Key(VK_NEXT);
  });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"click 2", "click 3", "click 4", "click 3",
                                              "click 11", "click 0", "click 4"}));
  EXPECT_EQ(List->ItemIndex(), 4);
  // Setting ItemIndex by program reports nothing; a value out of range clears the selection.
  Events.clear();
  List->SetItemIndex(7);
  EXPECT_EQ(List->ItemIndex(), 7);
  List->SetItemIndex(12);
  EXPECT_EQ(List->ItemIndex(), -1);
  EXPECT_TRUE(Events.empty());
}

TEST_F(ListBoxTest, TheSelectionIsKeptInViewAndTheWheelScrolls) {
  Script().Then([&] { ClickAt(AtItem(0)); });
  Script().Then([&] { Key(VK_END); });
  RunScript();
  EXPECT_EQ(List->TopIndex(), 7);  // items 7..11 show
  EXPECT_EQ(List->ItemAtPos(List->ScreenToClient(AtItem(11)), true), 11);
  Script().Then([&] { InjectMouseWheel(120, AtItem(9)); });
  RunScript();
  EXPECT_EQ(List->TopIndex(), 4);
  Script().Then([&] { InjectMouseWheel(-10 * 120, AtItem(9)); });
  RunScript();
  EXPECT_EQ(List->TopIndex(), 7);  // never past the last page
  // Removing items takes away a selection that no longer exists and pulls the top back.
  List->Items()->Clear();
  List->Items()->Add(u"само едно");
  EXPECT_EQ(List->ItemIndex(), -1);
  EXPECT_EQ(List->TopIndex(), 0);
  EXPECT_EQ(List->ItemAtPos({20, 60}, true), -1);
}

TEST_F(ListBoxTest, TypingTheFirstLettersFindsAnItem) {
  List->Items()->Clear();
  for (const char16_t* name : {u"Ана", u"Борис", u"Бојана", u"Весна", u"Ана Марија"})
    List->Items()->Add(name);
  struct TCase {
    String Typed;
    int Expected;
  } cases[] = {
      {u"б", 1},    // case ignored
      {u"б", 2},    // one letter searches from the next item
      {u"во", 3},   // В finds Весна; nothing starts with Во, so it stays there
      {u"ана ", 4}, // all the letters together: only Ана Марија has the space
      {u"ааа", 0},  // a repeated letter steps on: Ана, Ана Марија, Ана
  };
  Script().Then([&] { List->SetFocus(); });
  RunScript();
  List->SetItemIndex(0);
  for (const TCase& c : cases) {
    Script().AdvanceBy(2000);  // a pause starts a new search
    Script().Then([&] { Type(c.Typed); });
    RunScript();
    EXPECT_EQ(List->ItemIndex(), c.Expected) << UTF8Encode(c.Typed);
  }
}

TEST_F(ListBoxTest, OwnerDrawnItemsArePaintedByTheHandlerWithTheirState) {
  List->SetStyle(lbOwnerDrawFixed);
  std::vector<std::pair<int, bool>> drawn;
  List->OnDrawItem = [&](TWinControl*, int index, TRect rect, TOwnerDrawState state) {
    drawn.push_back({index, state.Contains(odSelected)});
    List->Canvas()->Brush()->SetColor(index % 2 ? clRed : clLime);
    List->Canvas()->FillRect(rect);
  };
  List->SetItemIndex(1);
  List->Repaint();
  ASSERT_GE(drawn.size(), 5u);
  EXPECT_EQ(drawn[0], (std::pair<int, bool>{0, false}));
  EXPECT_EQ(drawn[1], (std::pair<int, bool>{1, true}));
  HDC dc = GetDC(List->Handle());
  TPoint first = CenterOf(List->ItemRect(0)), second = CenterOf(List->ItemRect(1));
  EXPECT_EQ(GetPixel(dc, first.X, first.Y), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(dc, second.X, second.Y), RGB(255, 0, 0));
  ReleaseDC(List->Handle(), dc);

  // The standard style shows the selected item in the highlight colour.
  List->SetStyle(lbStandard);
  List->Repaint();
  dc = GetDC(List->Handle());
  EXPECT_EQ(GetPixel(dc, List->ItemRect(1).Right - 3, second.Y), ColorToRGB(clHighlight));
  EXPECT_EQ(GetPixel(dc, List->ItemRect(0).Right - 3, first.Y), ColorToRGB(clWindow));
  ReleaseDC(List->Handle(), dc);
}

}  // namespace
