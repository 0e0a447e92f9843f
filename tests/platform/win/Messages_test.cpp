#include <gtest/gtest.h>

#include <thread>

#include "tests/platform/win/WinTestSupport.h"

namespace {

using wintest::TWinTest;
using MessagesTest = TWinTest;

TEST_F(MessagesTest, APostedMessageArrivesAfterTheHandlerThatPostedIt) {
  HWND window = TopLevel("A", Bounds(10, 10, 200, 100), WS_POPUP);
  std::vector<std::string> order;
  Answer(window, [&](UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message == WM_USER + 1) {
      order.push_back("handler starts");
      PostMessage(window, WM_USER + 2);
      // Even a send in the middle of the handler does not let the posted message in.
      SendMessage(window, WM_USER + 3);
      order.push_back("handler ends");
      return true;
    }
    if (message == WM_USER + 2) order.push_back("posted message");
    if (message == WM_USER + 3) order.push_back("sent message");
    return false;
  });
  PostMessage(window, WM_USER + 1);
  Script().RunScript();
  EXPECT_EQ(order, (std::vector<std::string>{"handler starts", "sent message", "handler ends",
                                             "posted message"}));
}

TEST_F(MessagesTest, SendMessageIsSynchronousAndReentrant) {
  HWND window = TopLevel("A", Bounds(0, 0, 100, 100), WS_POPUP);
  Answer(window, [&](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_USER) return false;
    // Counts down by sending itself the message again.
    result = wParam == 0 ? 0 : 1 + SendMessage(window, WM_USER, wParam - 1);
    return true;
  });
  EXPECT_EQ(SendMessage(window, WM_USER, 5), 5);
  EXPECT_EQ(SendMessage(reinterpret_cast<HWND>(0x1234), WM_USER, 5), 0);
}

TEST_F(MessagesTest, PostedMessagesKeepTheirOrderAndFiltersPickByWindowAndRange) {
  HWND a = TopLevel("A", Bounds(0, 0, 100, 100), WS_POPUP);
  HWND b = TopLevel("B", Bounds(0, 0, 100, 100), WS_POPUP);
  PostMessage(a, WM_USER + 1);
  PostMessage(b, WM_USER + 2);
  PostMessage(a, WM_USER + 3);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2u);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 3u);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1u);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1u);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PostMessage(reinterpret_cast<HWND>(0x1234), WM_USER));
}

TEST_F(MessagesTest, QuitComesAfterThePostedMessages) {
  HWND window = TopLevel("A", Bounds(0, 0, 100, 100), WS_POPUP);
  PostMessage(window, WM_USER);
  PostQuitMessage(3);
  MSG msg;
  ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  EXPECT_FALSE(GetMessage(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(MessagesTest, RegisteredMessagesAreNumberedByNameIgnoringCase) {
  UINT first = RegisterWindowMessage(u"Drag.Notify");
  UINT second = RegisterWindowMessage(u"OtherMessage");
  EXPECT_GE(first, 0xC000u);
  EXPECT_NE(first, second);
  EXPECT_EQ(RegisterWindowMessage(u"drag.notify"), first);
  EXPECT_EQ(RegisterWindowMessage(u""), 0u);
}

// A subclass procedure that answers WM_USER itself and passes the rest to the procedure it
// replaced, as components subclass windows.
WNDPROC GOldProc = nullptr;
LRESULT SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) return 42;
  return CallWindowProc(GOldProc, window, message, wParam, lParam);
}

TEST_F(MessagesTest, AWindowProcedureCanBeSubclassedAndRestored) {
  HWND window = TopLevel("A", Bounds(0, 0, 100, 100), WS_POPUP);
  Answer(window, [](UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != WM_USER + 1) return false;
    result = 7;
    return true;
  });
  GOldProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtr(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
  EXPECT_EQ(GOldProc, wintest::TestWindowProc);
  EXPECT_EQ(SendMessage(window, WM_USER), 42);
  EXPECT_EQ(SendMessage(window, WM_USER + 1), 7);  // reaches the original procedure
  SetWindowLongPtr(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(GOldProc));
  EXPECT_EQ(SendMessage(window, WM_USER), 0);
}

TEST_F(MessagesTest, WindowTextGoesThroughTheTextMessages) {
  HWND window = TopLevel("A", Bounds(0, 0, 100, 100), WS_POPUP);
  EXPECT_EQ(GetWindowText(window), u"A");
  EXPECT_TRUE(SetWindowText(window, u"Главен прозорец"));
  EXPECT_EQ(GetWindowText(window), u"Главен прозорец");
  EXPECT_EQ(GetWindowTextLength(window), 15);
  // A window that answers the text messages itself decides what its text is.
  Answer(window, [](UINT message, WPARAM size, LPARAM buffer, LRESULT& result) {
    if (message == WM_GETTEXTLENGTH) return result = 2, true;
    if (message != WM_GETTEXT) return false;
    auto* out = reinterpret_cast<char16_t*>(buffer);
    if (size >= 3) out[0] = u'o', out[1] = u'k', out[2] = 0, result = 2;
    return true;
  });
  EXPECT_EQ(GetWindowText(window), u"ok");
}

TEST_F(MessagesTest, AWaitingLoopWithNothingScriptedRaisesInsteadOfHanging) {
  MSG msg;
  EXPECT_THROW(GetMessage(&msg, nullptr, 0, 0), EScriptEnded);
}

TEST_F(MessagesTest, ScriptStepsRunWhenTheLoopWaits) {
  HWND window = TopLevel("A", Bounds(0, 0, 100, 100), WS_POPUP);
  std::vector<int> seen;
  Answer(window, [&](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
    if (message == WM_USER) seen.push_back(static_cast<int>(wParam));
    return false;
  });
  Script().Then([&] { PostMessage(window, WM_USER, 1); });
  Script().Then([&] {
    PostMessage(window, WM_USER, 2);
    PostMessage(window, WM_USER, 3);
  });
  PostMessage(window, WM_USER, 0);
  Script().RunScript();
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Script().StepsLeft(), 0u);
}

}  // namespace

namespace {

TEST_F(MessagesTest, AnotherThreadMayPostToTheLoop) {
  HWND window = TopLevel("A", Bounds(0, 0, 100, 100), WS_POPUP);
  std::vector<WPARAM> seen;
  Answer(window, [&](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
    if (message == WM_USER) seen.push_back(wParam);
    return false;
  });
  std::thread worker([window] {
    for (WPARAM i = 1; i <= 3; ++i) PostMessage(window, WM_USER, i);
  });
  worker.join();
  Script().RunScript();
  EXPECT_EQ(seen, (std::vector<WPARAM>{1, 2, 3}));
}

}  // namespace
