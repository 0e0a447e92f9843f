#include <gtest/gtest.h>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/ImgList.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "tests/support/UiTestSupport.h"

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
    Close = AddItem(u"За&твори");
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


TEST_F(MenusTest, KeysMoveChooseAndCloseAndNeverReachTheFocusedControl) {
  Script().Then([&] { Click(Edit); });
  Script().Then([&] { Menu->Popup(150, 150); });
  Script().Then([&] {
    Key(VK_DOWN);  // the first item
    Key(VK_DOWN);  // over the line to the disabled item
    Key(VK_DOWN);  // the hidden item is not there: the last one
  });
  Script().Then([&] {
    EXPECT_EQ(Menu->HotItem(), Close);
    Key(VK_DOWN);  // round to the top
    Key(VK_UP);
  });
  Script().Then([&] {
    EXPECT_EQ(Menu->HotItem(), Close);
    Key(VK_UP);
  });
  Script().Then([&] {
    EXPECT_EQ(Menu->HotItem(), Disabled);
    Key(VK_RETURN);  // a disabled item is lit but not chosen
  });
  Script().Then([&] {
    EXPECT_TRUE(Menu->IsShowing());
    Key(VK_ESCAPE);
  });
  Script().Then([&] {
    EXPECT_FALSE(Menu->IsShowing());
    // Its "&" letter (Cyrillic here) chooses an item at once.
    Menu->Popup(150, 150);
  });
  Script().Then([&] { Type(u"Т"); });
  Script().Then([&] {
    EXPECT_FALSE(Menu->IsShowing());
    Menu->Popup(150, 150);
  });
  Script().Then([&] {
    Key(VK_DOWN);
    Key(VK_RETURN);
  });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"popup", "popup", "click 5", "popup", "click 1"}));
  // None of the keys the menu took went on to the edit.
  EXPECT_EQ(Edit->Text(), u"");
  EXPECT_TRUE(Edit->Focused());
}

TEST_F(MenusTest, SubmenusOpenByPointerAndKeysAndChooseTheirItems) {
  auto* more = new TMenuItem(Form);
  more->SetCaption(u"Повеќе");
  Menu->Items()->Insert(1, more);
  TMenuItem* first = AddItem(u"Прво");
  TMenuItem* second = AddItem(u"Второ");
  more->Add(first);
  more->Add(second);
  first->SetTag(10);
  second->SetTag(20);
  Script().Then([&] { Menu->Popup(150, 150); });
  Script().Then([&] { InjectMouseMove(CenterOf(Menu->ItemScreenRect(more))); });
  Script().Then([&] {
    ASSERT_TRUE(Menu->IsSubmenuOpen(more));
    TRect parent = Menu->ItemScreenRect(more);
    TRect child = Menu->ItemScreenRect(second);
    EXPECT_GE(child.Left, parent.Right - 4);  // beside its item
    // Pointing at another item of the first level closes the submenu.
    InjectMouseMove(CenterOf(Menu->ItemScreenRect(Open)));
  });
  Script().Then([&] {
    EXPECT_FALSE(Menu->IsSubmenuOpen(more));
    InjectMouseMove(CenterOf(Menu->ItemScreenRect(more)));
  });
  Script().Then([&] { ClickAt(CenterOf(Menu->ItemScreenRect(second))); });
  Script().Then([&] {
    EXPECT_FALSE(Menu->IsShowing());
    // By keys: Right opens and lights the first item, Left closes only the submenu.
    Menu->Popup(150, 150);
  });
  Script().Then([&] {
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_RIGHT);
  });
  Script().Then([&] {
    EXPECT_TRUE(Menu->IsSubmenuOpen(more));
    EXPECT_EQ(Menu->HotItem(), first);
    Key(VK_LEFT);
  });
  Script().Then([&] {
    EXPECT_FALSE(Menu->IsSubmenuOpen(more));
    EXPECT_TRUE(Menu->IsShowing());
    EXPECT_EQ(Menu->HotItem(), more);
    Key(VK_RETURN);  // Enter on a submenu item opens it as well
  });
  Script().Then([&] {
    Key(VK_DOWN);
    Key(VK_RETURN);
  });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"popup", "click 20", "popup", "click 20"}));
  EXPECT_FALSE(Menu->IsShowing());
}

TEST_F(MenusTest, ItemsShowTheirImagesFromTheMenusImageList) {
  TImageList images(Form);
  TBitmap red;
  red.SetSize(16, 16);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(Rect(0, 0, 16, 16));
  images.Add(&red, nullptr);
  Menu->SetImages(&images);
  Open->SetImageIndex(0);
  Close->SetImageIndex(5);  // out of range: no image, no crash
  Script().Then([&] { Menu->Popup(150, 150); });
  Script().Then([&] {
    TRect open = Menu->ItemScreenRect(Open);
    TRect close = Menu->ItemScreenRect(Close);
    HWND window = WindowFromPoint(CenterOf(open));
    ASSERT_NE(window, nullptr);
    UpdateWindow(window);
    HDC dc = GetDC(window);
    TPoint o = {open.Left + 6, open.Top + open.Height() / 2};
    TPoint c = {close.Left + 6, close.Top + close.Height() / 2};
    ScreenToClient(window, &o);
    ScreenToClient(window, &c);
    EXPECT_EQ(GetPixel(dc, o.X, o.Y), ColorToRGB(clRed));
    EXPECT_NE(GetPixel(dc, c.X, c.Y), ColorToRGB(clRed));
    ReleaseDC(window, dc);
    Menu->CloseMenu();
  });
  RunScript();
  Menu->SetImages(static_cast<TComponent*>(nullptr));
}

TEST_F(MenusTest, AClickHandlerMayFreeTheMenuItCameFrom) {
  auto* menu = new TPopupMenu(Form);
  auto* item = new TMenuItem(menu);
  item->SetCaption(u"Затвори го менито");
  auto* more = new TMenuItem(menu);
  more->SetCaption(u"Подмени");
  auto* inner = new TMenuItem(menu);
  inner->SetCaption(u"Внатре");
  more->Add(inner);
  menu->Items()->Add(item);
  menu->Items()->Add(more);
  item->OnClick = [&, menu](TObject*) {
    Note("freed");
    menu->Free();
  };
  inner->OnClick = [&](TObject*) { Note("inner"); };
  Script().Then([&, menu] { menu->Popup(150, 150); });
  Script().Then([&, menu] {
    // The submenu's item is freed before its click arrives: nothing runs.
    InjectMouseMove(CenterOf(menu->ItemScreenRect(more)));
  });
  Script().Then([&, menu] {
    ClickAt(CenterOf(menu->ItemScreenRect(inner)));
    inner->Free();
  });
  Script().Then([&, menu] { menu->Popup(150, 150); });
  Script().Then([&, menu] { ClickAt(CenterOf(menu->ItemScreenRect(item))); });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"freed"}));
}

TEST(MenuShortCuts, TextAndShortCutsConvertBothWays) {
  struct Case {
    TShortCut Key;
    const char16_t* Text;
  };
  const Case cases[] = {
      {ShortCut('S', TShiftState{ssCtrl}), u"Ctrl+S"},
      {ShortCut(VK_DELETE, TShiftState{ssShift}), u"Shift+Del"},
      {ShortCut(VK_F5, TShiftState{ssCtrl, ssAlt}), u"Ctrl+Alt+F5"},
      {VK_ESCAPE, u"Esc"},
      {'7', u"7"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortCutToText(c.Key), String(c.Text));
    EXPECT_EQ(TextToShortCut(c.Text), c.Key) << UTF8Encode(c.Text);
  }
  EXPECT_EQ(TextToShortCut(u"ctrl+s"), ShortCut('S', TShiftState{ssCtrl}));
  EXPECT_EQ(ShortCutToText(scNone), u"");
  EXPECT_EQ(TextToShortCut(u"Ctrl+"), scNone);
  EXPECT_EQ(TextToShortCut(u"Ctrl+Нешто"), scNone);
}

}  // namespace
