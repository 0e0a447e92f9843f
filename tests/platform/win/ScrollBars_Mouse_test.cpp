#include <gtest/gtest.h>

#include "platform/win/NonClient.h"
#include "tests/platform/win/WinTestSupport.h"

namespace {

using wintest::TWinTest;

// A pane with both bars, 200 x 150 with no border, whose owner scrolls as an application does:
// a line is 1, a page is the bar's page, the thumb's final position is taken as it comes.
class ScrollBarMouseTest : public TWinTest {
 public:
  static constexpr int Width = 200, Height = 150;

  ScrollBarMouseTest() {
    Form = TopLevel("F", Bounds(100, 100, 400, 300), WS_POPUP | WS_VISIBLE);
    Pane = Child("Pane", Form, Bounds(10, 10, Width, Height),
                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL);
    SetRange(SB_VERT, 0, 99, 10, 40);
    SetRange(SB_HORZ, 0, 99, 10, 40);
    Answer(Pane, [this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
      if (message != WM_VSCROLL && message != WM_HSCROLL) return false;
      int bar = message == WM_VSCROLL ? SB_VERT : SB_HORZ;
      int code = LOWORD(wParam);
      SCROLLINFO info;
      info.fMask = SIF_ALL;
      GetScrollInfo(Pane, bar, &info);
      std::string entry = std::string(bar == SB_VERT ? "V" : "H") + std::to_string(code);
      if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
        entry += "@" + std::to_string(HIWORD(wParam));
        TrackPositions.push_back(info.nTrackPos);
      }
      Calls.push_back(entry);
      int page = static_cast<int>(info.nPage);
      int pos = info.nPos;
      switch (code) {
        case SB_LINEUP: pos -= 1; break;
        case SB_LINEDOWN: pos += 1; break;
        case SB_PAGEUP: pos -= page; break;
        case SB_PAGEDOWN: pos += page; break;
        case SB_THUMBPOSITION: pos = HIWORD(wParam); break;
        default: break;
      }
      SetScrollPos(Pane, bar, pos, true);
      result = 0;
      return true;
    });
  }

  void SetRange(int bar, int min, int max, UINT page, int pos, UINT extra = 0) {
    SCROLLINFO info;
    info.fMask = SIF_ALL | extra;
    info.nMin = min;
    info.nMax = max;
    info.nPage = page;
    info.nPos = pos;
    SetScrollInfo(Pane, bar, &info, true);
  }
  // A point of the pane in window coordinates, on the screen.
  TPoint At(int x, int y) {
    TRect r;
    GetWindowRect(Pane, &r);
    return {r.Left + x, r.Top + y};
  }
  void Press(TPoint p) {
    Script().Then([p] {
      InjectMouseMove(p);
      InjectMouseButton(TMouseButtonId::Left, true, p);
    });
  }
  void Release(TPoint p) {
    Script().Then([p] { InjectMouseButton(TMouseButtonId::Left, false, p); });
  }
  int Count(const std::string& entry) const {
    return static_cast<int>(std::count(Calls.begin(), Calls.end(), entry));
  }

  HWND Form, Pane;
  std::vector<std::string> Calls;
  std::vector<int> TrackPositions;
};

// Both bars at position 40 of 0..99, page 10. Vertical: x 183..199, arrows y 0..16 and
// 116..132, track 17..115 with the thumb at 57..65. Horizontal: y 133..149, arrows x 0..16 and
// 166..182, the thumb at 77..90.
TEST_F(ScrollBarMouseTest, AClickOnEachPartSendsItsRequestThenTheEnd) {
  struct TCase {
    const char* Name;
    int X, Y;
    LRESULT Hit;
    const char* Request;
    int Pos;  // after the owner handled it
  } cases[] = {
      {"up arrow", 191, 5, HTVSCROLL, "V0", 39},
      {"down arrow", 191, 128, HTVSCROLL, "V1", 41},
      {"track above the thumb", 191, 20, HTVSCROLL, "V2", 30},
      {"track below the thumb", 191, 110, HTVSCROLL, "V3", 50},
      {"left arrow", 5, 141, HTHSCROLL, "H0", 39},
      {"right arrow", 178, 141, HTHSCROLL, "H1", 41},
      {"track left of the thumb", 20, 141, HTHSCROLL, "H2", 30},
      {"track right of the thumb", 160, 141, HTHSCROLL, "H3", 50},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    SetRange(SB_VERT, 0, 99, 10, 40);
    SetRange(SB_HORZ, 0, 99, 10, 40);
    Calls.clear();
    TPoint p = At(c.X, c.Y);
    EXPECT_EQ(SendMessage(Pane, WM_NCHITTEST, 0, PointToLParam(p)), c.Hit);
    Press(p);
    Release(p);
    Script().RunScript();
    std::string end = std::string(c.Request).substr(0, 1) + std::to_string(SB_ENDSCROLL);
    EXPECT_EQ(Calls, (std::vector<std::string>{c.Request, end}));
    EXPECT_EQ(GetScrollPos(Pane, c.Hit == HTVSCROLL ? SB_VERT : SB_HORZ), c.Pos);
    EXPECT_EQ(GetCapture(), nullptr);
  }
}

TEST_F(ScrollBarMouseTest, AHeldArrowRepeatsAfterTheDelayThenAtTheRateOnTheClock) {
  struct TCase {
    const char* Name;
    uint64_t Held;
    int Lines;
  } cases[] = {
      {"released at once", 0, 1},
      {"released just before the delay", ScrollRepeatDelay - 1, 1},
      {"held to the delay", ScrollRepeatDelay, 2},
      {"held three intervals more", ScrollRepeatDelay + 3 * ScrollRepeatInterval, 5},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    SetRange(SB_VERT, 0, 99, 10, 40);
    Calls.clear();
    TPoint arrow = At(191, 128);
    Press(arrow);
    if (c.Held) Script().AdvanceBy(c.Held);
    Release(arrow);
    Script().RunScript();
    EXPECT_EQ(Count("V1"), c.Lines);
    EXPECT_EQ(Calls.back(), "V8");
    EXPECT_EQ(GetScrollPos(Pane, SB_VERT), 40 + c.Lines);
  }
}

TEST_F(ScrollBarMouseTest, TheHeldArrowShowsPressedAndStopsRepeatingWhenThePointerLeavesIt) {
  TPoint arrow = At(191, 5);
  std::vector<int> pressed;
  auto note = [&] { pressed.push_back(PressedScrollBarPart(Pane, SB_VERT)); };
  Press(arrow);
  Script().Then([&] {
    note();
    EXPECT_EQ(GetCapture(), Pane);
  });
  Script().AdvanceBy(ScrollRepeatDelay);  // one repeat
  Script().Then([&] { InjectMouseMove(At(191, 60)); });
  Script().Then(note);
  Script().AdvanceBy(10 * ScrollRepeatInterval);  // off the arrow: nothing
  Script().Then([&] { InjectMouseMove(arrow); });
  Script().Then(note);
  Script().AdvanceBy(ScrollRepeatInterval);  // back on it: repeats again
  Release(arrow);
  Script().RunScript();
  note();
  EXPECT_EQ(pressed, (std::vector<int>{SB_LINEUP, -1, SB_LINEUP, -1}));
  EXPECT_EQ(Count("V0"), 3);
  EXPECT_EQ(GetScrollPos(Pane, SB_VERT), 37);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ScrollBarMouseTest, AHeldTrackPagesUntilTheThumbReachesThePointer) {
  // The thumb's top is at 17 + pos; it covers y 100 from position 75 on.
  TPoint track = At(191, 100);
  Press(track);
  Script().Then([&] { EXPECT_EQ(PressedScrollBarPart(Pane, SB_VERT), SB_PAGEDOWN); });
  Script().AdvanceBy(2000);
  Release(track);
  Script().RunScript();
  EXPECT_EQ(Count("V3"), 4);
  EXPECT_EQ(GetScrollPos(Pane, SB_VERT), 80);
  EXPECT_EQ(Calls.back(), "V8");
}

// Range 0..199 with a page of 50 on the vertical track of 99 pixels: the thumb is
// 99 * 50 / 200 = 24 pixels long and has 75 pixels to travel for 150 positions, so each pixel
// the pointer moves is two positions.
TEST_F(ScrollBarMouseTest, DraggingTheThumbTracksPositionsInProportionThenSetsTheLast) {
  SetRange(SB_VERT, 0, 199, 50, 0);
  TPoint grab = At(191, 17 + 3);
  Press(grab);
  Script().Then([&] {
    EXPECT_EQ(GetCapture(), Pane);
    EXPECT_EQ(PressedScrollBarPart(Pane, SB_VERT), SB_THUMBTRACK);
    InjectMouseMove(At(191, 20 + 30));
  });
  Script().Then([&] { InjectMouseMove(At(191, 20 + 61)); });
  Script().Then([&] { InjectMouseMove(At(191, 500)); });    // past the end
  Script().Then([&] { InjectMouseMove(At(150, 20 + 10)); }); // off the bar, along it
  Release(At(150, 20 + 10));
  Script().RunScript();
  EXPECT_EQ(Calls, (std::vector<std::string>{"V5@60", "V5@122", "V5@150", "V5@20", "V4@20",
                                             "V8"}));
  EXPECT_EQ(TrackPositions, (std::vector<int>{60, 122, 150, 20, 20}));
  EXPECT_EQ(GetScrollPos(Pane, SB_VERT), 20);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(PressedScrollBarPart(Pane, SB_VERT), -1);
}

TEST_F(ScrollBarMouseTest, ABarThatCannotScrollIgnoresTheMouse) {
  struct TCase {
    const char* Name;
    std::function<void()> Disable;
  } cases[] = {
      {"disabled", [&] { EnableScrollBar(Pane, SB_VERT, ESB_DISABLE_BOTH); }},
      // Left enabled, so only the range keeps the mouse out.
      {"nothing to scroll",
       [&] {
         SetRange(SB_VERT, 0, 9, 10, 0, SIF_DISABLENOSCROLL);
         EnableScrollBar(Pane, SB_VERT, ESB_ENABLE_BOTH);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    SetRange(SB_VERT, 0, 99, 10, 40);
    EnableScrollBar(Pane, SB_VERT, ESB_ENABLE_BOTH);
    c.Disable();
    ASSERT_TRUE(GetWindowLongPtr(Pane, GWL_STYLE) & WS_VSCROLL);
    int before = GetScrollPos(Pane, SB_VERT);
    Calls.clear();
    for (TPoint p : {At(191, 128), At(191, 110), At(191, 60)}) {
      Press(p);
      Script().AdvanceBy(ScrollRepeatDelay + ScrollRepeatInterval);
      Release(p);
    }
    Script().RunScript();
    EXPECT_TRUE(Calls.empty());
    EXPECT_EQ(GetScrollPos(Pane, SB_VERT), before);
    EXPECT_EQ(GetCapture(), nullptr);
  }
}

TEST_F(ScrollBarMouseTest, AWindowDestroyedByItsOwnScrollRequestEndsTheHoldSafely) {
  Answer(Pane, [this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_VSCROLL) return false;
    Calls.push_back("V" + std::to_string(LOWORD(wParam)));
    DestroyWindow(Pane);
    result = 0;
    return true;
  });
  TPoint arrow = At(191, 128);
  Press(arrow);
  Script().AdvanceBy(ScrollRepeatDelay + 2 * ScrollRepeatInterval);
  Release(arrow);
  Script().RunScript();
  EXPECT_EQ(Calls, (std::vector<std::string>{"V1"}));
  EXPECT_FALSE(IsWindow(Pane));
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
