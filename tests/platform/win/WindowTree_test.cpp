#include <gtest/gtest.h>

#include "platform/win/NonClient.h"
#include "tests/platform/win/WinTestSupport.h"

namespace {

using wintest::TWinTest;
using WindowTreeTest = TWinTest;

TEST_F(WindowTreeTest, CreationSendsItsMessagesInOrder) {
  Watch({WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW,
         WM_PARENTNOTIFY});
  HWND parent = TopLevel("P", Bounds(0, 0, 300, 300), WS_POPUP);
  Names[reinterpret_cast<HWND>(0)] = "0";
  std::vector<std::string> parentLog = Log;
  Log.clear();
  // The child's messages carry a name only once CreateWindowEx returns: "?" until then.
  HWND child = Child("C", parent, Bounds(5, 5, 50, 50));
  EXPECT_EQ(parentLog, (std::vector<std::string>{"? WM_NCCREATE", "? WM_NCCALCSIZE",
                                                 "? WM_CREATE", "? WM_SIZE", "? WM_MOVE"}));
  EXPECT_EQ(Log, (std::vector<std::string>{"? WM_NCCREATE", "? WM_NCCALCSIZE", "? WM_CREATE",
                                           "? WM_SIZE", "? WM_MOVE", "P WM_PARENTNOTIFY",
                                           "? WM_SHOWWINDOW"}));
  EXPECT_TRUE(GetWindowLongPtr(child, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(IsWindowVisible(child));  // a hidden parent hides its children
  ShowWindow(parent, SW_SHOW);
  EXPECT_TRUE(IsWindowVisible(child));
}

TEST_F(WindowTreeTest, ARefusedCreationLeavesNoWindow) {
  HWND refused = nullptr;
  auto refuse = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_CREATE) return -1;
    return DefWindowProc(window, message, wParam, lParam);
  };
  WNDCLASS windowClass;
  windowClass.lpfnWndProc = refuse;
  windowClass.lpszClassName = u"Refusing";
  ASSERT_NE(RegisterClass(windowClass), 0);
  EXPECT_EQ(RegisterClass(windowClass), 0);  // one class per name
  refused = CreateWindowEx(0, u"refusing", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           HInstance, nullptr);
  EXPECT_EQ(refused, nullptr);
  EXPECT_EQ(CreateWindowEx(0, u"NoSuchClass", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           HInstance, nullptr),
            nullptr);
  EXPECT_TRUE(UnregisterClass(u"Refusing", HInstance));
}

TEST_F(WindowTreeTest, ClientAreasAndCoordinatesFollowTheFrame) {
  HWND form = TopLevel("F", Bounds(100, 50, 400, 300), WS_POPUP | WS_CAPTION | WS_SYSMENU);
  TRect client;
  GetClientRect(form, &client);
  int frame = GetSystemMetrics(SM_CXFIXEDFRAME);
  int caption = GetSystemMetrics(SM_CYCAPTION);
  EXPECT_EQ(client, Rect(0, 0, 400 - 2 * frame, 300 - 2 * frame - caption));
  HWND panel = Child("P", form, Bounds(20, 30, 200, 100), WS_CHILD | WS_VISIBLE,
                     WS_EX_CLIENTEDGE);
  HWND button = Child("B", panel, Bounds(5, 6, 50, 20));
  TPoint p{1, 2};
  ClientToScreen(button, &p);
  EXPECT_EQ(p, Point(100 + frame + 20 + 2 + 5 + 1, 50 + frame + caption + 30 + 2 + 6 + 2));
  ScreenToClient(button, &p);
  EXPECT_EQ(p, Point(1, 2));
  TPoint mapped[1] = {{0, 0}};
  MapWindowPoints(button, form, mapped, 1);
  EXPECT_EQ(mapped[0], Point(20 + 2 + 5, 30 + 2 + 6));
  TRect buttonRect;
  GetWindowRect(button, &buttonRect);
  EXPECT_EQ(buttonRect.Width(), 50);

  // Showing scroll bars takes their room from the client area.
  ShowScrollBar(panel, SB_VERT, true);
  GetClientRect(panel, &client);
  EXPECT_EQ(client, Rect(0, 0, 200 - 4 - GetSystemMetrics(SM_CXVSCROLL), 100 - 4));
}

TEST_F(WindowTreeTest, WindowFromPointFindsTheDeepestVisibleEnabledWindow) {
  HWND back = TopLevel("Back", Bounds(0, 0, 500, 500), WS_POPUP | WS_VISIBLE);
  HWND front = TopLevel("Front", Bounds(100, 100, 200, 200), WS_POPUP | WS_VISIBLE);
  HWND child = Child("Child", front, Bounds(10, 10, 50, 50));
  HWND hidden = Child("Hidden", front, Bounds(100, 10, 50, 50), WS_CHILD);
  HWND disabled = Child("Disabled", front, Bounds(10, 100, 50, 50),
                        WS_CHILD | WS_VISIBLE | WS_DISABLED);
  struct TCase {
    TPoint At;
    HWND Expected;
  } cases[] = {
      {{115, 115}, child},  {{205, 115}, front}, {{115, 205}, front},
      {{50, 50}, back},     {{600, 600}, nullptr},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(WindowFromPoint(c.At), c.Expected) << c.At.X << "," << c.At.Y;
  (void)hidden;
  (void)disabled;
  EXPECT_EQ(ChildWindowFromPoint(front, {15, 15}), child);
  EXPECT_EQ(ChildWindowFromPoint(front, {15, 105}), front);
}

TEST_F(WindowTreeTest, ChildrenStackInCreationOrderAndTopLevelWindowsByActivation) {
  HWND parent = TopLevel("P", Bounds(0, 0, 300, 300), WS_POPUP);
  HWND first = Child("1", parent, Bounds(0, 0, 10, 10));
  HWND second = Child("2", parent, Bounds(0, 0, 10, 10));
  EXPECT_EQ(GetWindow(parent, GW_CHILD), first);
  EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), second);
  SetWindowPos(second, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(parent, GW_CHILD), second);

  HWND a = TopLevel("A", Bounds(0, 0, 10, 10), WS_POPUP | WS_VISIBLE);
  HWND topmost = TopLevel("T", Bounds(0, 0, 10, 10), WS_POPUP | WS_VISIBLE, nullptr,
                          WS_EX_TOPMOST);
  HWND b = TopLevel("B", Bounds(0, 0, 10, 10), WS_POPUP | WS_VISIBLE);
  HWND owned = TopLevel("O", Bounds(0, 0, 10, 10), WS_POPUP | WS_VISIBLE, a);
  EXPECT_EQ(GetTopWindow(nullptr), topmost);  // a topmost window stays above the rest
  SetActiveWindow(a);
  // Activating a window raises it with the windows it owns above it.
  EXPECT_EQ(GetWindow(topmost, GW_HWNDNEXT), owned);
  EXPECT_EQ(GetWindow(owned, GW_HWNDNEXT), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
  EXPECT_EQ(GetWindow(owned, GW_OWNER), a);
  EXPECT_EQ(GetParent(owned), a);  // a popup's "parent" is its owner
  EXPECT_EQ(GetParent(first), parent);
  EXPECT_EQ(GetAncestor(first, GA_ROOT), parent);
}

TEST_F(WindowTreeTest, DestroyingSendsDestroyDownwardsAndFreesChildrenFirst) {
  HWND owner = TopLevel("Owner", Bounds(0, 0, 300, 300), WS_POPUP);
  HWND child = Child("Child", owner, Bounds(0, 0, 10, 10));
  HWND grandChild = Child("Grand", child, Bounds(0, 0, 5, 5));
  HWND owned = TopLevel("Owned", Bounds(0, 0, 10, 10), WS_POPUP, owner);
  Watch({WM_DESTROY, WM_NCDESTROY});
  EXPECT_TRUE(DestroyWindow(owner));
  EXPECT_EQ(Log, (std::vector<std::string>{"Owned WM_DESTROY", "Owned WM_NCDESTROY",
                                           "Owner WM_DESTROY", "Child WM_DESTROY",
                                           "Grand WM_DESTROY", "Grand WM_NCDESTROY",
                                           "Child WM_NCDESTROY", "Owner WM_NCDESTROY"}));
  for (HWND gone : {owner, child, grandChild, owned}) EXPECT_FALSE(IsWindow(gone));
  // A handle is never reused, so a stale one stays "no window".
  HWND next = TopLevel("Next", Bounds(0, 0, 10, 10), WS_POPUP);
  for (HWND gone : {owner, child, grandChild, owned}) EXPECT_NE(next, gone);
  EXPECT_FALSE(DestroyWindow(owner));
}

TEST_F(WindowTreeTest, DestroyingAWindowInsideItsOwnHandlerIsSafe) {
  HWND window = TopLevel("W", Bounds(0, 0, 100, 100), WS_POPUP | WS_VISIBLE);
  Answer(window, [&](UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message == WM_USER) {
      DestroyWindow(window);
      PostMessage(window, WM_USER + 1);  // refused: no window
      return true;
    }
    return false;
  });
  PostMessage(window, WM_USER);
  PostMessage(window, WM_USER + 2);  // dropped with the window
  Script().RunScript();
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowTreeTest, MovingAndSizingReportThroughWindowPosChanged) {
  HWND parent = TopLevel("P", Bounds(0, 0, 300, 300), WS_POPUP | WS_VISIBLE);
  HWND child = Child("C", parent, Bounds(10, 10, 50, 50));
  std::vector<std::string> seen;
  Answer(child, [&](UINT message, WPARAM, LPARAM lParam, LRESULT&) {
    if (message == WM_SIZE) seen.push_back("size " + std::to_string(LOWORD(lParam)) + "x" +
                                           std::to_string(HIWORD(lParam)));
    if (message == WM_MOVE) seen.push_back("move " + std::to_string(LOWORD(lParam)) + "," +
                                           std::to_string(HIWORD(lParam)));
    return false;
  });
  MoveWindow(child, 20, 30, 50, 50, true);
  SetWindowPos(child, nullptr, 0, 0, 70, 80, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowPos(child, nullptr, 0, 0, 70, 80, SWP_NOMOVE | SWP_NOZORDER);  // nothing changes
  EXPECT_EQ(seen, (std::vector<std::string>{"move 20,30", "size 70x80"}));
}

TEST_F(WindowTreeTest, SetParentMovesAWindowBetweenParents) {
  HWND a = TopLevel("A", Bounds(0, 0, 300, 300), WS_POPUP | WS_VISIBLE);
  HWND b = TopLevel("B", Bounds(400, 0, 300, 300), WS_POPUP | WS_VISIBLE);
  HWND child = Child("C", a, Bounds(10, 10, 50, 50));
  EXPECT_EQ(SetParent(child, b), a);
  EXPECT_TRUE(IsChild(b, child));
  EXPECT_FALSE(IsChild(a, child));
  EXPECT_EQ(WindowFromPoint({415, 15}), child);
  EXPECT_EQ(SetParent(b, child), nullptr);  // a window cannot go inside its own subtree
  EXPECT_TRUE(IsWindow(b));
}

TEST_F(WindowTreeTest, TheCloseBoxSendsCloseAndTheDefaultCloseDestroys) {
  HWND form = TopLevel("F", Bounds(100, 100, 300, 200), WS_POPUP | WS_CAPTION | WS_SYSMENU);
  ShowWindow(form, SW_SHOW);
  TRect box = GetCloseBoxRect(form);
  ASSERT_FALSE(IsRectEmpty(box));
  TPoint at{(box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2};
  EXPECT_EQ(SendMessage(form, WM_NCHITTEST, 0, PointToLParam(at)), HTCLOSE);
  Watch({WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY});
  Script().Then([&] {
    InjectMouseButton(TMouseButtonId::Left, true, at);
    InjectMouseButton(TMouseButtonId::Left, false, at);
  });
  Script().RunScript();
  EXPECT_EQ(Log, (std::vector<std::string>{"F WM_NCLBUTTONDOWN", "F WM_NCLBUTTONUP",
                                           "F WM_SYSCOMMAND", "F WM_CLOSE", "F WM_DESTROY"}));
  EXPECT_FALSE(IsWindow(form));
}

TEST_F(WindowTreeTest, MonitorsAndTheWorkAreaAreConfigurable) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
  TRect work;
  ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work, Rect(0, 0, 1920, 1040));
  SetMonitors({{{0, 0, 1280, 1024}, {0, 0, 1280, 994}}, {{1280, 0, 2560, 1024}, {1280, 0, 2560, 1024}}});
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
  EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 2560);
  MONITORINFO info;
  ASSERT_TRUE(GetMonitorInfo(MonitorFromPoint({3000, 10}, MONITOR_DEFAULTTONEAREST), &info));
  EXPECT_EQ(info.rcMonitor.Left, 1280);
  EXPECT_EQ(info.dwFlags, 0u);
  EXPECT_EQ(MonitorFromPoint({3000, 10}, MONITOR_DEFAULTTONULL), nullptr);
  ASSERT_TRUE(GetMonitorInfo(MonitorFromRect(Rect(1200, 0, 1400, 100), MONITOR_DEFAULTTONULL), &info));
  EXPECT_EQ(info.rcMonitor.Left, 1280);  // the one with the larger share
  ASSERT_TRUE(GetMonitorInfo(MonitorByIndex(0), &info));
  EXPECT_EQ(info.rcWork, Rect(0, 0, 1280, 994));
  EXPECT_EQ(info.dwFlags, MONITORINFOF_PRIMARY);
}

}  // namespace
