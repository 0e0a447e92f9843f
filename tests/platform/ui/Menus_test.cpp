#include <gtest/gtest.h>

#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class MenusTest : public TUiTest {
 public:
  MenusTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Edit = new TEdit(Form);
    Edit->SetBounds(10, 10, 200, 24);
    Edit->SetParent(Form);
    Menu = new TPopupMenu(Form);
    Open = AddItem(u"Отвори");
    Line = AddItem(u"-");
    Disabled = AddItem(u"Избриши");
    Disabled->SetEnabled(false);
    Hidden = AddItem(u"Скриено");
    Hidden->SetVisible(false);
    Close = AddItem(u"Затвори");
    Edit->SetPopupMenu(Menu);
    Menu->OnPopup = [this](TObject*) { Note("popup"); };
    Form->Show();
  }
  TMenuItem* AddItem(const String& caption) {
    auto* item = new TMenuItem(Form);
    item->SetCaption(caption);
    item->OnClick = [this, item](TObject* sender) {
      EXPECT_EQ(sender, item);
      Note("click " + std::to_string(item->Tag()));
    };
    item->SetTag(Menu->Items()->Count() + 1);
    Menu->Items()->Add(item);
    return item;
  }
  static void RightClick(TPoint at) {
    InjectMouseMove(at);
    InjectMouseButton(TMouseButtonId::Right, true, at);
    InjectMouseButton(TMouseButtonId::Right, false, at);
  }

  TForm* Form = nullptr;
  TEdit* Edit = nullptr;
  TPopupMenu* Menu = nullptr;
  TMenuItem *Open, *Line, *Disabled, *Hidden, *Close;
};

TEST_F(MenusTest, ARightClickShowsTheMenuAndAClickedItemRunsItsOnClick) {
  TPoint at = Edit->ClientToScreen({20, 10});
  Script().Then([&] { RightClick(at); });
  Script().Then([&] {
    ASSERT_TRUE(Menu->IsShowing());
    EXPECT_EQ(Menu->PopupComponent(), Edit);
    // Only visible items are listed, top down from the click.
    TRect open = Menu->ItemScreenRect(Open);
    EXPECT_GT(open.Top, at.Y);
    EXPECT_LE(open.Top, at.Y + 4);
    EXPECT_EQ(Menu->ItemScreenRect(Hidden).Width(), 0);
    EXPECT_GT(Menu->ItemScreenRect(Close).Top, Menu->ItemScreenRect(Disabled).Top);
    ClickAt(CenterOf(Menu->ItemScreenRect(Close)));
  });
  RunScript();
  EXPECT_FALSE(Menu->IsShowing());
  EXPECT_EQ(Events, (std::vector<std::string>{"popup", "click 5"}));
}

TEST_F(MenusTest, DisabledItemsAndLinesAreNotChosenAndAPressElsewhereCloses) {
  Script().Then([&] { Menu->Popup(150, 150); });
  Script().Then([&] {
    ClickAt(CenterOf(Menu->ItemScreenRect(Disabled)));
    ClickAt(CenterOf(Menu->ItemScreenRect(Line)));
  });
  Script().Then([&] {
    EXPECT_TRUE(Menu->IsShowing());  // still open, nothing chosen
    ClickAt(Form->ClientToScreen({350, 250}));
  });
  Script().Then([&] { EXPECT_FALSE(Menu->IsShowing()); });
  // The press that closed the menu did not reach the form's controls; the edit still works.
  Script().Then([&] { Click(Edit); });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"popup"}));
  EXPECT_TRUE(Edit->Focused());
  EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(MenusTest, ItemsFormATreeWithCommandIdsAndFreeTheirChildren) {
  auto* parent = new TMenuItem(Form);
  auto* child = new TMenuItem(Form);
  auto* grandchild = new TMenuItem(nullptr);
  parent->Add(child);
  child->Add(grandchild);
  EXPECT_EQ(child->Parent(), parent);
  EXPECT_EQ(parent->FindCommand(grandchild->Command()), grandchild);
  EXPECT_NE(child->Command(), grandchild->Command());
  EXPECT_EQ(Menu->Items()->FindCommand(grandchild->Command()), nullptr);
  // Moving an item takes it out of its old parent.
  Menu->Items()->Insert(0, child);
  EXPECT_EQ(parent->Count(), 0);
  EXPECT_EQ(Menu->Items()->IndexOf(child), 0);
  // Freeing an item frees the items under it and leaves its parent's list.
  child->Free();
  EXPECT_EQ(Menu->Items()->IndexOf(child), -1);
  EXPECT_EQ(Menu->Items()->Items(0), Open);
  parent->Free();
  // Disabled items do not run their OnClick even when clicked by program.
  Disabled->Click();
  EXPECT_TRUE(Events.empty());
}

}  // namespace
