#include <gtest/gtest.h>

#include "platform/ui/StdCtrls.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class ComboBoxTest : public TUiTest {
 public:
  ComboBoxTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Combo = new TComboBox(Form);
    Combo->SetStyle(csDropDownList);
    Combo->SetBounds(10, 10, 150, 23);
    Combo->SetParent(Form);
    for (const char16_t* city : {u"Битола", u"Берово", u"Велес", u"Охрид", u"Скопје", u"Струга"})
      Combo->Items()->Add(city);
    Combo->OnChange = [this](TObject*) { Note("change " + std::to_string(Combo->ItemIndex())); };
    Combo->OnSelect = [this](TObject*) { Note("select"); };
    Combo->OnDropDown = [this](TObject*) { Note("drop"); };
    Combo->OnCloseUp = [this](TObject*) { Note("close"); };
    Form->Show();
  }
  TPoint AtListItem(int index) {
    TCustomListBox* list = Combo->DropList();
    return list->ClientToScreen(CenterOf(list->ItemRect(index)));
  }
  TForm* Form = nullptr;
  TComboBox* Combo = nullptr;
};

TEST_F(ComboBoxTest, TheArrowKeysPickTheNextAndPreviousItem) {
  Combo->SetItemIndex(1);
  EXPECT_EQ(Combo->Text(), u"Берово");
  EXPECT_TRUE(Events.empty());  // a choice by program is not reported
  Script().Then([&] { Combo->SetFocus(); });
  Script().Then([&] {
    Key(VK_DOWN);
    Key(VK_UP);
    Key(VK_UP);
    Key(VK_UP);  // at the first already: nothing
    Key(VK_END);
  });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"change 2", "select", "change 1", "select",
                                              "change 0", "select", "change 5", "select"}));
  EXPECT_EQ(Combo->Text(), u"Струга");
  EXPECT_EQ(Combo->Perform(CB_GETCURSEL), 5);
}

TEST_F(ComboBoxTest, TypingTheFirstLettersFindsAnItem) {
  struct TCase {
    String Typed;
    int Expected;
  } cases[] = {
      {u"о", 3},    // Охрид, case ignored
      {u"ст", 5},   // Струга, both letters
      {u"б", 0},    // Битола
      {u"б", 1},    // one letter searches from the next item: Берово
      {u"ббб", 0},  // a repeated letter steps on: Битола, Берово, Битола
      {u"ве", 2},   // Велес
  };
  Script().Then([&] { Combo->SetFocus(); });
  RunScript();
  for (const TCase& c : cases) {
    Script().AdvanceBy(2000);  // a pause starts a new search
    Script().Then([&] { Type(c.Typed); });
    RunScript();
    EXPECT_EQ(Combo->ItemIndex(), c.Expected) << UTF8Encode(c.Typed);
  }
}

TEST_F(ComboBoxTest, TheDroppedListChoosesByClickOrKeysAndClosesWithout) {
  Script().Then([&] { Click(Combo); });
  Script().Then([&] {
    ASSERT_TRUE(Combo->DroppedDown());
    EXPECT_EQ(Combo->Perform(CB_GETDROPPEDSTATE), 1);
    EXPECT_EQ(Combo->DropList()->Items()->Count(), 6);
    EXPECT_GE(Combo->DropList()->ClientToScreen({0, 0}).Y, Combo->ClientToScreen({0, Combo->Height()}).Y);
    ClickAt(AtListItem(3));
  });
  RunScript();
  EXPECT_FALSE(Combo->DroppedDown());
  EXPECT_EQ(Combo->Text(), u"Охрид");
  EXPECT_EQ(Events, (std::vector<std::string>{"drop", "change 3", "select", "close"}));

  // F4 drops it, Down moves in the list only, Enter takes the item (not the form's default
  // button, which is nearer the bottom of the z-order).
  auto* ok = new TButton(Form);
  ok->SetBounds(10, 200, 75, 25);
  ok->SetDefault(true);
  ok->SetParent(Form);
  ok->SendToBack();
  ok->OnClick = [this](TObject*) { Note("ok"); };
  Events.clear();
  Script().Then([&] {
    Key(VK_F4);
    Key(VK_DOWN);
  });
  Script().Then([&] {
    EXPECT_EQ(Combo->ItemIndex(), 3);  // not chosen yet
    Key(VK_RETURN);
  });
  RunScript();
  EXPECT_EQ(Combo->ItemIndex(), 4);
  EXPECT_EQ(Events, (std::vector<std::string>{"drop", "change 4", "select", "close"}));

  // Escape, or a press outside, closes it without a choice.
  Events.clear();
  Script().Then([&] {
    Key(VK_F4);
    Key(VK_HOME);
    Key(VK_ESCAPE);
  });
  Script().Then([&] { Combo->Perform(CB_SHOWDROPDOWN, 1); });
  Script().Then([&] { ClickAt(Form->ClientToScreen({350, 250})); });
  RunScript();
  EXPECT_FALSE(Combo->DroppedDown());
  EXPECT_EQ(Combo->ItemIndex(), 4);
  EXPECT_EQ(Events, (std::vector<std::string>{"drop", "close", "drop", "close"}));
}

TEST_F(ComboBoxTest, TheBoxShowsTheFocusAsItComesAndGoes) {
  auto* other = new uitest::TTestEdit(Form);
  other->SetTop(100);
  other->SetParent(Form);
  Combo->SetItemIndex(0);
  auto boxColour = [&] {
    // A point of the text area right of the item's text.
    HDC dc = GetDC(Combo->Handle());
    COLORREF colour = GetPixel(dc, Combo->Width() - 24, Combo->Height() / 2);
    ReleaseDC(Combo->Handle(), dc);
    return colour;
  };
  std::vector<COLORREF> seen;
  Script().Then([&] { Combo->SetFocus(); });
  Script().Then([&] { seen.push_back(boxColour()); });
  Script().Then([&] { other->SetFocus(); });
  Script().Then([&] { seen.push_back(boxColour()); });
  RunScript();
  EXPECT_EQ(seen, (std::vector<COLORREF>{ColorToRGB(clHighlight), ColorToRGB(clWindow)}));
}

}  // namespace
