// A press on a child window's caption area moves the child with the pointer until the release.
#include <gtest/gtest.h>

#include "tests/platform/win/WinTestSupport.h"

namespace {

using wintest::TWinTest;

// A 400 x 300 parent without a frame and a 100 x 60 child at (50, 40) whose top 20 rows answer
// HTCAPTION, as a panel that can be dragged by its strip does.
class WindowMoveTest : public TWinTest {
 public:
  WindowMoveTest() {
    Form = TopLevel("F", Bounds(100, 100, 400, 300), WS_POPUP | WS_VISIBLE);
    Pane = Child("Pane", Form, Bounds(50, 40, 100, 60));
    Answer(Pane, [this](UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
      if (message == WM_EXITSIZEMOVE) {
        TRect r;
        GetWindowRect(Pane, &r);
        Ends.push_back(r.Left - 100);
      }
      if (message != WM_NCHITTEST) return false;
      TPoint p = LParamToPoint(lParam);
      ScreenToClient(Pane, &p);
      result = p.Y < 20 ? HTCAPTION : HTCLIENT;
      return true;
    });
  }
  TPoint Place() {
    TRect r;
    GetWindowRect(Pane, &r);
    TPoint p{r.Left, r.Top};
    ScreenToClient(Form, &p);
    return p;
  }
  void Drag(TPoint from, std::vector<TPoint> path) {
    Script().Then([from] {
      InjectMouseMove(from);
      InjectMouseButton(TMouseButtonId::Left, true, from);
    });
    for (TPoint p : path) Script().Then([p] { InjectMouseMove(p); });
    TPoint last = path.empty() ? from : path.back();
    Script().Then([last] { InjectMouseButton(TMouseButtonId::Left, false, last); });
    Script().RunScript();
  }

  HWND Form, Pane;
  std::vector<int> Ends;  // the child's left edge in the parent when each move ended
};

TEST_F(WindowMoveTest, TheChildFollowsThePointerAndHearsTheEndOfTheMove) {
  // Pressed at (10, 5) of the child: screen (160, 145).
  Drag({160, 145}, {{170, 150}, {200, 185}});
  EXPECT_EQ(Place(), (TPoint{90, 80}));
  EXPECT_EQ(Ends, (std::vector<int>{90}));
  EXPECT_EQ(GetCapture(), nullptr);

  // Moves after the release leave the child where it is.
  Script().Then([] { InjectMouseMove({300, 300}); });
  Script().RunScript();
  EXPECT_EQ(Place(), (TPoint{90, 80}));
}

TEST_F(WindowMoveTest, TheChildStaysInsideItsParent) {
  struct TCase {
    const char* Name;
    TPoint To;
    TPoint Place;
  } cases[] = {
      {"past the top-left corner", {0, 0}, {0, 0}},
      {"past the bottom-right corner", {900, 900}, {300, 240}},
      {"past the right edge only", {900, 145}, {300, 40}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    SetWindowPos(Pane, nullptr, 50, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Drag({160, 145}, {c.To});
    EXPECT_EQ(Place(), c.Place);
  }
}

TEST_F(WindowMoveTest, APressOnTheClientAreaMovesNothing) {
  Drag({160, 175}, {{220, 220}});
  EXPECT_EQ(Place(), (TPoint{50, 40}));
  EXPECT_TRUE(Ends.empty());
}

}  // namespace
