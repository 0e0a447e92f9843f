#include <gtest/gtest.h>

#include "platform/ui/ActnList.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class ActionsTest : public TUiTest {
 public:
  ActionsTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    List = new TActionList(Form);
    Save = new TAction(Form);
    Save->SetActionList(List);
    Save->SetCaption(u"Зачувај");
    Save->SetHint(u"Зачувај го записот");
    Save->SetShortCut(ShortCut('S', TShiftState{ssCtrl}));
    Save->OnExecute = [this](TObject* sender) {
      EXPECT_EQ(sender, Save);
      Note("save");
    };
    Esc = new TAction(Form);
    Esc->SetActionList(List);
    Esc->SetCaption(u"Esc");
    Esc->SetShortCut(VK_ESCAPE);
    Esc->OnExecute = [this](TObject*) { Note("esc"); };
    Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 200, 24);
    Menu = new TPopupMenu(Form);
    Item = new TMenuItem(Form);
    Menu->Items()->Add(Item);
    Form->Show();
  }
  TForm* Form = nullptr;
  TActionList* List = nullptr;
  TAction* Save = nullptr;
  TAction* Esc = nullptr;
  TEdit* Edit = nullptr;
  TPopupMenu* Menu = nullptr;
  TMenuItem* Item = nullptr;
};

TEST_F(ActionsTest, ChangesAndUpdatesReachLinkedItemsAndAClickRunsTheAction) {
  Item->SetAction(Save);
  EXPECT_EQ(Item->Caption(), u"Зачувај");
  EXPECT_EQ(Item->Hint(), u"Зачувај го записот");
  EXPECT_EQ(Item->ShortCut(), ShortCut('S', TShiftState{ssCtrl}));
  Save->SetChecked(true);
  Save->SetImageIndex(3);
  EXPECT_TRUE(Item->Checked());
  EXPECT_EQ(Item->ImageIndex(), 3);
  // The action decides its state when the menu opens; the item shows it before it is drawn.
  bool allowed = false;
  Save->OnUpdate = [&](TObject*) { Save->SetEnabled(allowed); };
  Script().Then([&] { Menu->Popup(150, 150); });
  Script().Then([&] {
    EXPECT_FALSE(Item->Enabled());
    ClickAt(CenterOf(Menu->ItemScreenRect(Item)));  // disabled: nothing runs
  });
  Script().Then([&] {
    Menu->CloseMenu();
    allowed = true;
    Menu->Popup(150, 150);
  });
  Script().Then([&] {
    EXPECT_TRUE(Item->Enabled());
    ClickAt(CenterOf(Menu->ItemScreenRect(Item)));
  });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"save"}));
  EXPECT_EQ(Save->ActionComponent(), nullptr);  // only set while it runs
}

TEST_F(ActionsTest, ShortCutsRunEnabledActionsOfTheFormsLists) {
  Script().Then([&] {
    Click(Edit);
    Key(VK_ESCAPE);
    InjectKey(VK_CONTROL, true);
    Key('S');
    InjectKey(VK_CONTROL, false);
  });
  Script().Then([&] {
    Save->SetEnabled(false);
    InjectKey(VK_CONTROL, true);
    Key('S');
    InjectKey(VK_CONTROL, false);
    List->SetState(asSuspended);
    Key(VK_ESCAPE);
  });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"esc", "save"}));
  // The list's OnExecute may take an action over.
  List->SetState(asNormal);
  List->OnExecute = [&](TBasicAction* action, bool& handled) {
    Note("list");
    handled = action == Esc;
  };
  Esc->Execute();
  EXPECT_EQ(Events.back(), "list");
}

TEST_F(ActionsTest, ControlsFollowTheirActionAndLinksSurviveEitherSideGoing) {
  auto* button = new TButton(Form);
  button->SetParent(Form);
  button->SetBounds(10, 50, 100, 25);
  button->SetAction(Save);
  EXPECT_EQ(button->Caption(), u"Зачувај");
  EXPECT_EQ(button->Hint(), u"Зачувај го записот");
  Save->SetEnabled(false);
  EXPECT_FALSE(button->Enabled());
  Save->SetEnabled(true);
  Save->SetCaption(u"Сними");
  EXPECT_EQ(button->Caption(), u"Сними");
  Script().Then([&] { Click(button); });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"save"}));

  // AutoCheck toggles; checking one action of a group unchecks the others.
  Save->SetAutoCheck(true);
  Save->SetGroupIndex(1);
  Esc->SetGroupIndex(1);
  Save->Execute();
  EXPECT_TRUE(Save->Checked());
  Esc->SetChecked(true);
  EXPECT_FALSE(Save->Checked());

  // An item that goes leaves the action; an action that goes leaves its clients working.
  Item->SetAction(Save);
  Item->Free();
  Save->SetCaption(u"пак");
  auto* other = new TMenuItem(Form);
  other->SetAction(Esc);
  Esc->Free();
  EXPECT_EQ(other->Action(), nullptr);
  other->SetCaption(u"сам");
  other->Click();
  Save->Free();
  EXPECT_EQ(button->Action(), nullptr);
  button->Click();  // nothing to run, nothing breaks
  EXPECT_EQ(List->ActionCount(), 0);
}

}  // namespace
