// The combo box's edit, simple and owner-draw styles, its notifications and its messages.
#include <gtest/gtest.h>

#include "platform/ui/StdCtrls.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class ComboStylesTest : public TUiTest {
 public:
  ComboStylesTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Combo = new TComboBox(Form);
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
  ~ComboStylesTest() override {
    // The recording handler must not outlive the fixture it writes to.
    TForm* form = Form;
    Form->SetWindowProc([form](TMessage& m) { form->WndProc(m); });
  }
  // Records the combo box's notifications as the parent receives them, by their codes.
  void RecordCommands() {
    Form->SetWindowProc([this](TMessage& m) {
      if (m.Msg == WM_COMMAND && m.LParam == reinterpret_cast<LPARAM>(Combo->Handle()))
        Codes.push_back(m.WParamHi());
      Form->WndProc(m);
    });
  }
  TPoint AtListItem(int index) {
    TCustomListBox* list = Combo->DropList();
    return list->ClientToScreen(CenterOf(list->ItemRect(index)));
  }
  void Focus() {
    Script().Then([&] { Combo->SetFocus(); });
    RunScript();
  }
  TForm* Form = nullptr;
  TComboBox* Combo = nullptr;
  std::vector<WORD> Codes;
};

TEST_F(ComboStylesTest, TypedTextIsCompletedFromTheItemsAndTheRestStaysSelected) {
  ASSERT_EQ(Combo->Style(), csDropDown);
  Focus();
  ASSERT_TRUE(Combo->HasFocus());
  Script().Then([&] { Type(u"ве"); });
  RunScript();
  EXPECT_EQ(Combo->Text(), u"Велес");
  EXPECT_EQ(Combo->SelStart(), 2);
  EXPECT_EQ(Combo->SelLength(), 3);
  EXPECT_EQ(Combo->ItemIndex(), 2);
  EXPECT_EQ(Events, (std::vector<std::string>{"change 2", "change 2"}));

  // The next letter types over the completion; no item starts so, so nothing is added.
  Events.clear();
  Script().Then([&] { Type(u"х"); });
  RunScript();
  EXPECT_EQ(Combo->Text(), u"Вех");
  EXPECT_EQ(Combo->ItemIndex(), -1);
  EXPECT_EQ(Events, (std::vector<std::string>{"change -1"}));

  // Deleting never completes, or the user could not delete the completion.
  Script().Then([&] {
    Key(VK_BACK);
    Key(VK_BACK);
  });
  RunScript();
  EXPECT_EQ(Combo->Text(), u"В");

  // Typing in the middle of the text is the user's own.
  Script().Then([&] {
    Key(VK_HOME);
    Type(u"С");
  });
  RunScript();
  EXPECT_EQ(Combo->Text(), u"СВ");

  // Without AutoComplete the typed text stays as typed.
  Combo->SetAutoComplete(false);
  Combo->SetText(String());
  Script().Then([&] { Type(u"ох"); });
  RunScript();
  EXPECT_EQ(Combo->Text(), u"ох");
  EXPECT_EQ(Combo->ItemIndex(), -1);
}

TEST_F(ComboStylesTest, AnEditableComboBoxChoosesByArrowsAndFromTheDroppedList) {
  RecordCommands();
  Focus();
  Script().Then([&] {
    Key(VK_DOWN);
    Key(VK_DOWN);
  });
  RunScript();
  EXPECT_EQ(Combo->Text(), u"Берово");
  EXPECT_EQ(Combo->SelLength(), 6);  // the chosen text is selected, to type over
  Script().Then([&] { ClickAt(Combo->ClientToScreen({Combo->Width() - 5, 10})); });
  Script().Then([&] {
    ASSERT_TRUE(Combo->DroppedDown());
    EXPECT_TRUE(Combo->EditControl()->Focused());  // the focus stays in the edit
    ClickAt(AtListItem(4));
  });
  RunScript();
  EXPECT_FALSE(Combo->DroppedDown());
  EXPECT_EQ(Combo->Text(), u"Скопје");
  EXPECT_EQ(Combo->ItemIndex(), 4);
  EXPECT_EQ(Events, (std::vector<std::string>{"change 0", "select", "change 1", "select", "drop",
                                              "change 4", "select", "close"}));
  // Each event came back from the parent as a notification.
  EXPECT_EQ(Codes, (std::vector<WORD>{CBN_SELCHANGE, CBN_SELCHANGE, CBN_DROPDOWN, CBN_SELCHANGE,
                                      CBN_CLOSEUP}));
  Codes.clear();
  Script().Then([&] { Type(u"о"); });
  RunScript();
  EXPECT_EQ(Codes, (std::vector<WORD>{CBN_EDITCHANGE}));
}

TEST_F(ComboStylesTest, TheSimpleStyleShowsItsListUnderTheEdit) {
  Combo->SetStyle(csSimple);
  Combo->SetBounds(10, 10, 150, 120);
  Focus();
  TCustomListBox* list = Combo->DropList();
  ASSERT_NE(list, nullptr);
  EXPECT_FALSE(Combo->DroppedDown());
  EXPECT_GE(list->Top(), Combo->EditControl()->Top() + Combo->EditControl()->Height());
  Script().Then([&] { ClickAt(list->ClientToScreen(CenterOf(list->ItemRect(3)))); });
  Script().Then([&] { Key(VK_DOWN); });
  Script().Then([&] { Key(VK_F4); });  // nothing to drop
  RunScript();
  EXPECT_EQ(Combo->Text(), u"Скопје");
  EXPECT_EQ(list->ItemIndex(), 4);
  EXPECT_TRUE(Combo->EditControl()->Focused());
  EXPECT_EQ(Events, (std::vector<std::string>{"change 3", "select", "change 4", "select"}));
}

TEST_F(ComboStylesTest, OwnerDrawnItemsArePaintedByTheHandlerWithTheirRectsAndStates) {
  struct TDrawn {
    TWinControl* Control;
    int Index;
    TRect Rect;
    TOwnerDrawState State;
  };
  std::vector<TDrawn> drawn;
  Combo->SetStyle(csOwnerDrawFixed);
  Combo->SetItemHeight(18);
  Combo->OnDrawItem = [&](TWinControl* control, int index, TRect rect, TOwnerDrawState state) {
    drawn.push_back({control, index, rect, state});
    // The handler draws on the combo box's canvas, wherever the item is.
    static_cast<TComboBox*>(control)->Canvas()->FillRect(rect);
  };
  Combo->SetItemIndex(2);
  Focus();
  Script().Then([&] { Combo->Repaint(); });
  RunScript();
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back().Control, Combo);
  EXPECT_EQ(drawn.back().Index, 2);
  EXPECT_TRUE(drawn.back().State.Contains(odComboBoxEdit));
  EXPECT_TRUE(drawn.back().State.Contains(odFocused));
  EXPECT_TRUE(drawn.back().Rect.Right <= Combo->Width() - 17);  // left of the button

  drawn.clear();
  Script().Then([&] {
    Key(VK_F4);
    Key(VK_DOWN);
  });
  Script().Then([&] { Combo->DropList()->Repaint(); });
  RunScript();
  TCustomListBox* list = Combo->DropList();
  ASSERT_NE(list, nullptr);
  int listItems = 0;
  for (const TDrawn& d : drawn) {
    EXPECT_EQ(d.Control, Combo);
    if (d.State.Contains(odComboBoxEdit)) continue;  // the box, repainted as it dropped
    ++listItems;
    EXPECT_EQ(d.Rect, list->ItemRect(d.Index)) << d.Index;
    EXPECT_EQ(d.Rect.Height(), 18);
    EXPECT_EQ(d.State.Contains(odSelected), d.Index == 3) << d.Index;
  }
  EXPECT_GE(listItems, 6);
}

TEST_F(ComboStylesTest, VariableItemsAreMeasuredAndHitByTheirOwnHeights) {
  Combo->SetStyle(csOwnerDrawVariable);
  Combo->OnMeasureItem = [](TWinControl*, int index, int& height) { height = 14 + index * 4; };
  Combo->OnDrawItem = [](TWinControl*, int, TRect, TOwnerDrawState) {};
  Focus();
  Script().Then([&] { Key(VK_F4); });
  RunScript();
  TCustomListBox* list = Combo->DropList();
  ASSERT_NE(list, nullptr);
  int top = list->ItemRect(0).Top;
  for (int i = 0; i < 6; ++i) {
    TRect r = list->ItemRect(i);
    EXPECT_EQ(r.Top, top) << i;
    EXPECT_EQ(r.Height(), 14 + i * 4) << i;
    top = r.Bottom;
  }
  // Six items of 14..34 pixels: the list is as tall as they are, with its frame.
  EXPECT_EQ(list->ClientHeight(), 14 + 18 + 22 + 26 + 30 + 34 + 4);
  TPoint nearBottomOfFour = list->ClientToScreen({20, list->ItemRect(4).Bottom - 2});
  EXPECT_EQ(list->ItemAtPos(list->ScreenToClient(nearBottomOfFour), true), 4);
  Script().Then([&] { ClickAt(nearBottomOfFour); });
  RunScript();
  EXPECT_EQ(Combo->ItemIndex(), 4);
}

TEST_F(ComboStylesTest, TheComboMessagesWorkOnTheItemsAndTheEdit) {
  auto send = [&](UINT msg, WPARAM w, const char16_t* text) {
    return Combo->Perform(msg, w, reinterpret_cast<LPARAM>(text));
  };
  EXPECT_EQ(send(CB_ADDSTRING, 0, u"Куманово"), 6);
  EXPECT_EQ(send(CB_INSERTSTRING, 1, u"Гевгелија"), 1);
  EXPECT_EQ(send(CB_INSERTSTRING, 99, u"x"), CB_ERR);
  EXPECT_EQ(Combo->Perform(CB_GETCOUNT), 8);
  // The exact search ignores case; a prefix is not a match.
  EXPECT_EQ(send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), u"ВЕЛЕС"), 3);
  EXPECT_EQ(send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), u"Вел"), CB_ERR);
  EXPECT_EQ(send(CB_FINDSTRING, static_cast<WPARAM>(-1), u"вел"), 3);
  EXPECT_EQ(Combo->Perform(CB_GETLBTEXTLEN, 1), 9);
  char16_t buffer[10] = {};
  EXPECT_EQ(Combo->Perform(CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(buffer)), 9);
  EXPECT_EQ(String(buffer), u"Гевгелија");
  EXPECT_EQ(Combo->Perform(CB_GETLBTEXTLEN, 8), CB_ERR);
  EXPECT_EQ(Combo->Perform(CB_GETLBTEXT, 8, reinterpret_cast<LPARAM>(buffer)), CB_ERR);

  EXPECT_EQ(Combo->Perform(CB_SETCURSEL, 3), 3);
  EXPECT_EQ(Combo->Text(), u"Велес");
  Combo->Perform(CB_SETEDITSEL, 0, MAKELPARAM(1, 3));
  EXPECT_EQ(Combo->SelText(), u"ел");
  Combo->Perform(CB_SETEDITSEL, 0, MAKELPARAM(2, 0xFFFF));
  EXPECT_EQ(Combo->SelText(), u"лес");

  // The selection field's height sets the box's; an item's height the list's.
  Combo->Perform(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), 20);
  EXPECT_EQ(Combo->Height(), 26);
  Combo->Perform(CB_SETITEMHEIGHT, 0, 19);
  EXPECT_EQ(Combo->ItemHeight(), 19);
  EXPECT_EQ(Combo->Perform(CB_SETDROPPEDWIDTH, 260), 260);
  Combo->SetDroppedDown(true);
  ASSERT_NE(Combo->DropList(), nullptr);
  EXPECT_EQ(Combo->DropList()->Width(), 260);
  EXPECT_EQ(Combo->DropList()->ItemHeight(), 19);
  Combo->SetDroppedDown(false);

  // An item's data is its object; emptying the list by message clears the text too.
  TObject marker;
  Combo->Items()->SetObjects(2, &marker);
  Combo->Items()->Delete(0);
  EXPECT_EQ(Combo->Perform(CB_GETITEMDATA, 1), reinterpret_cast<LRESULT>(&marker));
  Combo->Perform(CB_SETITEMDATA, 0, reinterpret_cast<LPARAM>(&marker));
  EXPECT_EQ(Combo->Items()->Objects(0), &marker);
  EXPECT_EQ(Combo->Perform(CB_RESETCONTENT), CB_OKAY);
  EXPECT_EQ(Combo->Items()->Count(), 0);
  EXPECT_EQ(Combo->Text(), u"");
  EXPECT_EQ(Combo->ItemIndex(), -1);
}

TEST_F(ComboStylesTest, TabAndShiftTabPassThroughAnEditableComboBoxAsOneStop) {
  auto* before = new uitest::TTestEdit(Form);
  before->SetParent(Form);
  before->SetTabOrder(0);
  auto* after = new uitest::TTestEdit(Form);
  after->SetTop(100);
  after->SetParent(Form);
  TWinControl* edit = Combo->EditControl();
  std::vector<TWinControl*> focused;
  Script().Then([&] { before->SetFocus(); });
  for (bool back : {false, false, true, true}) {
    Script().Then([&, back] { Key(VK_TAB, back); });
    Script().Then([&] { focused.push_back(Screen->ActiveControl()); });
  }
  RunScript();
  EXPECT_EQ(focused, (std::vector<TWinControl*>{edit, after, edit, before}));
}

}  // namespace
