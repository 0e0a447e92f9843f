#include <gtest/gtest.h>

#include "tests/platform/win/WinTestSupport.h"

namespace {

using wintest::TWinTest;

class FocusTest : public TWinTest {
 public:
  FocusTest() {
    A = TopLevel("A", Bounds(100, 100, 300, 200));
    Edit = Child("Edit", A, Bounds(10, 10, 100, 20));
    Button = Child("Button", A, Bounds(10, 40, 100, 20));
    B = TopLevel("B", Bounds(150, 150, 200, 100), WS_POPUP | WS_CAPTION | WS_SYSMENU, A);
    C = TopLevel("C", Bounds(600, 100, 200, 200));
  }
  void WatchFocus() {
    Watch({WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS, WM_MOUSEACTIVATE});
  }

  HWND A, Edit, Button, B, C;
};

struct TStep {
  const char* Name;
  std::function<void(FocusTest&)> Action;
  std::vector<std::string> Expected;
};

TEST_F(FocusTest, FocusAndActivationFollowTheSystemsOrder) {
  const std::vector<TStep> steps = {
      {"showing a window activates and focuses it",
       [](FocusTest& t) { ShowWindow(t.A, SW_SHOW); },
       {"A WM_NCACTIVATE(1)", "A WM_ACTIVATE(active, 0)", "A WM_SETFOCUS(0)"}},
      {"focus moves to a child: the old window hears it first, with the new one",
       [](FocusTest& t) { SetFocus(t.Edit); },
       {"A WM_KILLFOCUS(Edit)", "Edit WM_SETFOCUS(A)"}},
      {"focus moves between siblings", [](FocusTest& t) { SetFocus(t.Button); },
       {"Edit WM_KILLFOCUS(Button)", "Button WM_SETFOCUS(Edit)"}},
      {"an owned popup activates: the owner is deactivated first",
       [](FocusTest& t) { ShowWindow(t.B, SW_SHOW); },
       {"A WM_NCACTIVATE(0)", "A WM_ACTIVATE(inactive, B)", "B WM_NCACTIVATE(1)",
        "B WM_ACTIVATE(active, A)", "Button WM_KILLFOCUS(B)", "B WM_SETFOCUS(Button)"}},
      {"hiding the active popup activates its owner",
       [](FocusTest& t) { ShowWindow(t.B, SW_HIDE); },
       {"B WM_NCACTIVATE(0)", "B WM_ACTIVATE(inactive, A)", "A WM_NCACTIVATE(1)",
        "A WM_ACTIVATE(active, B)", "B WM_KILLFOCUS(A)", "A WM_SETFOCUS(B)"}},
      {"focusing a child of an inactive window activates the window first",
       [](FocusTest& t) {
         ShowWindow(t.C, SW_SHOW);
         t.Log.clear();
         SetFocus(t.Edit);
       },
       {"C WM_NCACTIVATE(0)", "C WM_ACTIVATE(inactive, A)", "A WM_NCACTIVATE(1)",
        "A WM_ACTIVATE(active, C)", "C WM_KILLFOCUS(A)", "A WM_SETFOCUS(C)",
        "A WM_KILLFOCUS(Edit)", "Edit WM_SETFOCUS(A)"}},
      {"hiding the focused child gives the focus to its parent",
       [](FocusTest& t) { ShowWindow(t.Edit, SW_HIDE); },
       {"Edit WM_KILLFOCUS(A)", "A WM_SETFOCUS(Edit)"}},
      {"a disabled window cannot take the focus",
       [](FocusTest& t) {
         EnableWindow(t.Button, false);
         EXPECT_EQ(SetFocus(t.Button), nullptr);
       },
       {}},
      {"destroying the active window activates the next one",
       [](FocusTest& t) { DestroyWindow(t.A); },
       {"A WM_NCACTIVATE(0)", "A WM_ACTIVATE(inactive, C)", "C WM_NCACTIVATE(1)",
        "C WM_ACTIVATE(active, A)", "A WM_KILLFOCUS(C)", "C WM_SETFOCUS(A)"}},
  };
  WatchFocus();
  for (const TStep& step : steps) {
    Log.clear();
    step.Action(*this);
    EXPECT_EQ(Log, step.Expected) << step.Name;
  }
  EXPECT_EQ(GetActiveWindow(), C);
  EXPECT_EQ(GetFocus(), C);
}

TEST_F(FocusTest, GetFocusAnswersTheNewWindowWhileTheOldOneLosesIt) {
  ShowWindow(A, SW_SHOW);
  SetFocus(Edit);
  HWND focusSeen = nullptr;
  Answer(Edit, [&](UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message == WM_KILLFOCUS) focusSeen = GetFocus();
    return false;
  });
  SetFocus(Button);
  EXPECT_EQ(focusSeen, Button);
}

TEST_F(FocusTest, AClickOnAnInactiveWindowAsksAndActivatesBeforeTheButtonMessage) {
  ShowWindow(A, SW_SHOW);
  ShowWindow(C, SW_SHOW);
  Watch({WM_MOUSEACTIVATE, WM_ACTIVATE, WM_SETCURSOR, WM_LBUTTONDOWN, WM_LBUTTONUP});
  TRect edit;
  GetWindowRect(Edit, &edit);
  TPoint at{edit.Left + 5, edit.Top + 5};
  Script().Then([&] {
    InjectMouseButton(TMouseButtonId::Left, true, at);
    InjectMouseButton(TMouseButtonId::Left, false, at);
  });
  Script().RunScript();
  EXPECT_EQ(Log, (std::vector<std::string>{
                     "Edit WM_MOUSEACTIVATE", "A WM_MOUSEACTIVATE", "C WM_ACTIVATE(inactive, A)",
                     "A WM_ACTIVATE(click, C)", "Edit WM_SETCURSOR", "A WM_SETCURSOR",
                     "Edit WM_LBUTTONDOWN", "Edit WM_SETCURSOR", "A WM_SETCURSOR",
                     "Edit WM_LBUTTONUP"}));
  EXPECT_EQ(GetActiveWindow(), A);
}

TEST_F(FocusTest, ANoActivateAnswerKeepsTheActiveWindowAndCanEatTheClick) {
  ShowWindow(A, SW_SHOW);
  ShowWindow(C, SW_SHOW);
  Answer(A, [](UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != WM_MOUSEACTIVATE) return false;
    result = MA_NOACTIVATEANDEAT;
    return true;
  });
  Watch({WM_LBUTTONDOWN});
  TRect rect;
  GetWindowRect(A, &rect);
  Script().Then([&] { InjectMouseButton(TMouseButtonId::Left, true, {rect.Left + 50, rect.Top + 100}); });
  Script().RunScript();
  EXPECT_EQ(GetActiveWindow(), C);
  EXPECT_TRUE(Log.empty());
}

TEST_F(FocusTest, CaptureRoutesThePointerAndTheLoserHearsOfIt) {
  ShowWindow(A, SW_SHOW);
  ShowWindow(C, SW_SHOW);
  Watch({WM_MOUSEMOVE, WM_CAPTURECHANGED});
  EXPECT_EQ(SetCapture(Edit), nullptr);
  Script().Then([] { InjectMouseMove({650, 150}); });  // over C
  Script().RunScript();
  EXPECT_EQ(SetCapture(Button), Edit);
  ReleaseCapture();
  EXPECT_EQ(Log, (std::vector<std::string>{"Edit WM_MOUSEMOVE", "Edit WM_CAPTURECHANGED",
                                           "Button WM_CAPTURECHANGED"}));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(FocusTest, DisablingTheFocusedWindowTakesTheFocusAway) {
  ShowWindow(A, SW_SHOW);
  SetFocus(Edit);
  EnableWindow(Edit, false);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_FALSE(IsWindowEnabled(Edit));
  EXPECT_TRUE(EnableWindow(Edit, true));  // answers: it was disabled
  EXPECT_TRUE(IsWindowEnabled(Edit));
}

}  // namespace
