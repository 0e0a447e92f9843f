#include <gtest/gtest.h>

#include "platform/win/WinApi.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

// The raw menu calls an edit makes for its unit list: a menu built item by item, tracked at a
// point, the choice coming back as the result or as WM_COMMAND to the owner.
class MenuApiTest : public TUiTest {
 public:
  MenuApiTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Form->Show();
    Menu = CreatePopupMenu();
    InsertMenu(Menu, 0, MF_BYPOSITION | MF_STRING, 1, u"&кг");
    InsertMenu(Menu, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING, 2, u"&литар");
    AppendMenu(Menu, MF_SEPARATOR, 0, String());
    AppendMenu(Menu, MF_STRING | MF_GRAYED, 3, u"&парче");
    InsertMenu(Menu, 2, MF_BYCOMMAND, 4, u"&метар");  // before the item with id 2
    AddMessageSpy([this](HWND window, UINT message, WPARAM wParam, LPARAM) {
      if (message == WM_COMMAND && window == Form->Handle()) Commands.push_back(LOWORD(wParam));
    });
  }
  ~MenuApiTest() override {
    ClearMessageSpies();
    DestroyMenu(Menu);
  }
  // The screen centre of item `index` of the menu shown at `corner`, items being 20 high.
  static TPoint ItemCenter(TPoint corner, int index) {
    HWND window = WindowFromPoint({corner.X + 5, corner.Y + 5});
    TPoint p{30, 2 + 20 * index + 10};
    ClientToScreen(window, &p);
    return p;
  }

  TForm* Form = nullptr;
  HMENU Menu = nullptr;
  std::vector<int> Commands;
};

TEST_F(MenuApiTest, ItemsAreKeptInOrderAndBadHandlesAreRefused) {
  ASSERT_EQ(GetMenuItemCount(Menu), 5);
  std::vector<int> ids;
  for (int i = 0; i < GetMenuItemCount(Menu); ++i) ids.push_back(GetMenuItemID(Menu, i));
  EXPECT_EQ(ids, (std::vector<int>{1, 4, 2, -1, 3}));
  EXPECT_EQ(EnableMenuItem(Menu, 3, MF_ENABLED), static_cast<int>(MF_GRAYED));
  EXPECT_EQ(CheckMenuItem(Menu, 1, MF_CHECKED), 0);
  EXPECT_EQ(EnableMenuItem(Menu, 99, MF_GRAYED), -1);
  HMENU gone = CreatePopupMenu();
  EXPECT_TRUE(DestroyMenu(gone));
  EXPECT_FALSE(IsMenu(gone));
  EXPECT_FALSE(DestroyMenu(gone));
  EXPECT_FALSE(AppendMenu(gone, MF_STRING, 1, u"x"));
  EXPECT_EQ(GetMenuItemCount(gone), -1);
  EXPECT_EQ(TrackPopupMenu(gone, 0, 0, 0, 0, Form->Handle(), nullptr), 0);
}

TEST_F(MenuApiTest, TrackingReturnsOrPostsTheChosenId) {
  TPoint corner{200, 200};
  std::vector<int> results;
  // Clicked: the id comes to the owner as WM_COMMAND.
  Script().Then([&] {
    results.push_back(TrackPopupMenu(Menu, TPM_LEFTBUTTON, corner.X, corner.Y, 0, Form->Handle(), nullptr));
  });
  Script().Then([&] { ClickAt(ItemCenter(corner, 1)); });
  // A disabled item and a press elsewhere choose nothing.
  Script().Then([&] {
    EnableMenuItem(Menu, 3, MF_GRAYED);
    results.push_back(TrackPopupMenu(Menu, TPM_RETURNCMD, corner.X, corner.Y, 0, Form->Handle(), nullptr));
  });
  Script().Then([&] { ClickAt(ItemCenter(corner, 4)); });
  Script().Then([&] { ClickAt({20, 20}); });
  // Keys: arrows skip the separator, Enter chooses; an "&" letter chooses at once; Escape closes.
  Script().Then([&] {
    results.push_back(TrackPopupMenu(Menu, TPM_RETURNCMD, corner.X, corner.Y, 0, Form->Handle(), nullptr));
  });
  Script().Then([&] {
    Key(VK_UP);
    Key(VK_UP);
    Key(VK_UP);
    Key(VK_RETURN);
  });
  Script().Then([&] {
    results.push_back(TrackPopupMenu(Menu, TPM_RETURNCMD, corner.X, corner.Y, 0, Form->Handle(), nullptr));
  });
  Script().Then([&] { InjectChar(u'Л'); });
  Script().Then([&] {
    results.push_back(TrackPopupMenu(Menu, 0, corner.X, corner.Y, 0, Form->Handle(), nullptr));
  });
  Script().Then([&] { Key(VK_ESCAPE); });
  RunScript();
  EXPECT_EQ(results, (std::vector<int>{1, 0, 4, 2, 0}));
  EXPECT_EQ(Commands, (std::vector<int>{4}));
  // Each tracking took its window away again.
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_NE(GetClassName(WindowFromPoint({corner.X + 5, corner.Y + 5})), u"TrackedPopupMenu");
}

}  // namespace
