#include <gtest/gtest.h>

#include "platform/rtl/NumberText.h"
#include "platform/ui/CheckLst.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class CheckListTest : public TUiTest {
 public:
  CheckListTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    List = new TCheckListBox(Form);
    List->SetBounds(10, 10, 180, 4 + 6 * 16);
    List->SetParent(Form);
    for (const char16_t* fee : {u"Членарина", u"Донација", u"Семинар", u"Патни трошоци"})
      List->Items()->Add(fee);
    List->OnClickCheck = [this](TObject*) { Note("check"); };
    List->OnClick = [this](TObject*) { Note("click " + std::to_string(List->ItemIndex())); };
    Form->Show();
  }
  TPoint AtBox(int index) { return List->ClientToScreen(CenterOf(List->CheckRect(index))); }
  TPoint AtText(int index) {
    TRect r = List->ItemRect(index);
    return List->ClientToScreen({r.Right - 20, (r.Top + r.Bottom) / 2});
  }
  TForm* Form = nullptr;
  TCheckListBox* List = nullptr;
};

TEST_F(CheckListTest, AClickOnTheBoxOrSpaceTogglesTheMarkAndAClickOnTheTextOnlySelects) {
  Script().Then([&] { ClickAt(AtText(1)); });  // selects, leaves the mark
  Script().Then([&] { ClickAt(AtBox(2)); });   // selects and checks
  Script().Then([&] { Key(VK_SPACE); });       // unchecks the selected one
  Script().Then([&] {
    Key(VK_UP);
    Key(VK_SPACE);
  });
  RunScript();
  EXPECT_FALSE(List->Checked(0));
  EXPECT_TRUE(List->Checked(1));
  EXPECT_FALSE(List->Checked(2));
  EXPECT_EQ(Events, (std::vector<std::string>{"click 1", "click 2", "check", "check", "click 1",
                                              "check"}));
}

TEST_F(CheckListTest, GrayedIsAThirdStateOnlyWhenAllowedAndDisabledItemsKeepTheirMarks) {
  struct TCase {
    bool AllowGrayed;
    std::vector<TCheckBoxState> Cycle;
  } cases[] = {
      {false, {cbChecked, cbUnchecked, cbChecked}},
      {true, {cbGrayed, cbChecked, cbUnchecked}},
  };
  for (const TCase& c : cases) {
    List->SetAllowGrayed(c.AllowGrayed);
    List->SetState(0, cbUnchecked);
    for (TCheckBoxState expected : c.Cycle) {
      Script().Then([&] { ClickAt(AtBox(0)); });
      RunScript();
      EXPECT_EQ(List->State(0), expected) << c.AllowGrayed;
    }
  }
  Events.clear();
  List->SetItemEnabled(3, false);
  List->SetChecked(3, true);  // the program may still set it
  Script().Then([&] { ClickAt(AtBox(3)); });
  Script().Then([&] { Key(VK_SPACE); });
  RunScript();
  EXPECT_TRUE(List->Checked(3));
  EXPECT_EQ(Events, (std::vector<std::string>{"click 3"}));
}

TEST_F(CheckListTest, MarksTravelWithTheirItems) {
  List->SetChecked(1, true);
  List->SetState(2, cbGrayed);
  List->SetItemEnabled(2, false);
  List->Items()->Insert(0, u"Нов ред");
  EXPECT_TRUE(List->Checked(2));
  EXPECT_EQ(List->State(3), cbGrayed);
  EXPECT_FALSE(List->ItemEnabled(3));
  EXPECT_EQ(List->State(0), cbUnchecked);
  EXPECT_TRUE(List->ItemEnabled(0));
  List->Items()->Exchange(2, 4);
  EXPECT_TRUE(List->Checked(4));
  List->Items()->Move(4, 0);
  EXPECT_TRUE(List->Checked(0));
  List->Items()->Delete(0);
  for (int i = 0; i < List->Count(); ++i)
    EXPECT_EQ(List->Checked(i), false) << i;
  // Sorting takes the marks along: Нов, Патни, Семинар (grayed, disabled), Членарина.
  List->SetSorted(true);
  EXPECT_EQ(List->Items()->Strings(2), u"Семинар");
  EXPECT_EQ(List->State(2), cbGrayed);
  EXPECT_FALSE(List->ItemEnabled(2));
  EXPECT_TRUE(List->ItemEnabled(3));
  List->CheckAll(cbChecked, true, false);
  EXPECT_EQ(List->State(2), cbGrayed);  // disabled, left alone
  EXPECT_TRUE(List->Checked(0));
  EXPECT_TRUE(List->Checked(3));
}

TEST_F(CheckListTest, OwnerDrawnItemsAreDrawnRightOfTheBoxWithTheirMark) {
  List->SetStyle(lbOwnerDrawFixed);
  List->SetChecked(1, true);
  std::vector<std::pair<int, TRect>> drawn;
  std::vector<bool> checked;
  List->OnDrawItem = [&](TWinControl*, int index, TRect rect, TOwnerDrawState state) {
    drawn.push_back({index, rect});
    checked.push_back(state.Contains(odChecked));
  };
  Script().Then([&] { List->Repaint(); });
  RunScript();
  ASSERT_GE(drawn.size(), 4u);
  for (size_t i = 0; i < drawn.size(); ++i) {
    auto [index, rect] = drawn[i];
    EXPECT_GE(rect.Left, List->CheckRect(index).Right) << index;
    EXPECT_EQ(rect.Right, List->ItemRect(index).Right);
    EXPECT_EQ(checked[i], index == 1) << index;
  }
}

}  // namespace
