#include <gtest/gtest.h>

#include "tests/platform/win/WinTestSupport.h"

namespace {

using wintest::TWinTest;

struct TSeen {
  UINT Message;
  WPARAM WParam;
  LPARAM LParam;
};

class InputTest : public TWinTest {
 public:
  InputTest() {
    Form = TopLevel("F", Bounds(100, 100, 300, 200), WS_POPUP | WS_VISIBLE);
    Field = Child("Field", Form, Bounds(10, 10, 100, 20));
    SetFocus(Field);
    Answer(Field, [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) {
      if ((message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
          (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_MOUSELEAVE)
        Seen.push_back({message, wParam, lParam});
      return false;
    });
  }
  void Keys(std::vector<std::pair<uint16_t, bool>> keys) {
    Script().Then([keys] {
      for (auto [key, down] : keys) InjectKey(key, down);
    });
    Script().RunScript();
  }
  std::vector<TSeen> Of(UINT message) const {
    std::vector<TSeen> out;
    for (const TSeen& s : Seen)
      if (s.Message == message) out.push_back(s);
    return out;
  }

  HWND Form, Field;
  std::vector<TSeen> Seen;
};

TEST_F(InputTest, KeyMessagesCarryTheSystemsKeyData) {
  struct TCase {
    const char* Name;
    std::vector<std::pair<uint16_t, bool>> Keys;
    UINT Message;
    uint16_t Key;
    LPARAM Data;
  } cases[] = {
      {"letter down", {{'A', true}}, WM_KEYDOWN, 'A', 0x001E0001},
      {"letter up", {{'A', false}}, WM_KEYUP, 'A', static_cast<LPARAM>(0xC01E0001u)},
      {"extended arrow", {{VK_LEFT, true}, {VK_LEFT, false}}, WM_KEYDOWN, VK_LEFT, 0x014B0001},
      {"auto-repeat", {{'B', true}, {'B', true}, {'B', false}}, WM_KEYDOWN, 'B', 0x40300001},
      {"keypad decimal has bit 22", {{VK_DECIMAL, true}, {VK_DECIMAL, false}}, WM_KEYDOWN,
       VK_DECIMAL, 0x00530001},
      {"with Alt a system key", {{VK_MENU, true}, {'X', true}, {'X', false}, {VK_MENU, false}},
       WM_SYSKEYDOWN, 'X', 0x202D0001},
  };
  for (const TCase& c : cases) {
    Seen.clear();
    Keys(c.Keys);
    std::vector<TSeen> of = Of(c.Message);
    auto it = std::find_if(of.rbegin(), of.rend(), [&](const TSeen& s) { return s.WParam == c.Key; });
    ASSERT_NE(it, of.rend()) << c.Name;
    EXPECT_EQ(it->LParam, c.Data) << c.Name;
  }
  // The keypad's decimal key is told from the period key by bit 22 of the key data.
  Seen.clear();
  Keys({{VK_OEM_PERIOD, true}, {VK_OEM_PERIOD, false}, {VK_DECIMAL, true}, {VK_DECIMAL, false}});
  ASSERT_EQ(Of(WM_KEYDOWN).size(), 2u);
  EXPECT_EQ(Of(WM_KEYDOWN)[0].LParam & 0x400000, 0);
  EXPECT_NE(Of(WM_KEYDOWN)[1].LParam & 0x400000, 0);
}

TEST_F(InputTest, TranslateMessageTypesCharactersByTheLayout) {
  struct TCase {
    const char* Name;
    std::vector<std::pair<uint16_t, bool>> Keys;
    char16_t Expected;
  } cases[] = {
      {"plain letter", {{'Q', true}, {'Q', false}}, u'q'},
      {"shifted letter", {{VK_SHIFT, true}, {'Q', true}, {'Q', false}, {VK_SHIFT, false}}, u'Q'},
      {"shifted digit", {{VK_SHIFT, true}, {'1', true}, {'1', false}, {VK_SHIFT, false}}, u'!'},
      {"enter", {{VK_RETURN, true}, {VK_RETURN, false}}, u'\r'},
      {"escape", {{VK_ESCAPE, true}, {VK_ESCAPE, false}}, 27},
      {"control letter", {{VK_CONTROL, true}, {'C', true}, {'C', false}, {VK_CONTROL, false}}, 3},
      {"keypad decimal", {{VK_DECIMAL, true}, {VK_DECIMAL, false}}, u'.'},
  };
  for (const TCase& c : cases) {
    Seen.clear();
    Keys(c.Keys);
    std::vector<TSeen> chars = Of(WM_CHAR);
    ASSERT_EQ(chars.size(), 1u) << c.Name;
    EXPECT_EQ(chars[0].WParam, static_cast<WPARAM>(c.Expected)) << c.Name;
  }
  Seen.clear();
  Script().Then([] {
    for (char16_t ch : String(u"Ѓош")) InjectChar(ch);
  });
  Script().RunScript();
  ASSERT_EQ(Of(WM_CHAR).size(), 3u);
  EXPECT_EQ(Of(WM_CHAR)[0].WParam, static_cast<WPARAM>(u'Ѓ'));
}

TEST_F(InputTest, GetKeyStateFollowsTheMessagesAndGetAsyncKeyStateTheKeyboard) {
  int16_t stateInHandler = 0;
  Answer(Field, [&](UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message == WM_KEYDOWN) stateInHandler = GetKeyState(VK_SHIFT);
    return false;
  });
  Script().Then([] {
    InjectKey(VK_SHIFT, true);
    InjectKey('A', true);
    // Injected but not yet retrieved: the keyboard is down already, the messages not.
    EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    EXPECT_LT(GetAsyncKeyState(VK_LSHIFT), 0);
  });
  Script().RunScript();
  EXPECT_LT(stateInHandler, 0);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  Keys({{VK_SHIFT, false}, {VK_CAPITAL, true}, {VK_CAPITAL, false}});
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 1);  // the toggle
}

TEST_F(InputTest, DoubleClicksNeedTheClassStyleTimeAndPlace) {
  TRect rect;
  GetWindowRect(Field, &rect);
  TPoint at{rect.Left + 5, rect.Top + 5};
  auto click = [&](TPoint p) {
    InjectMouseButton(TMouseButtonId::Left, true, p);
    InjectMouseButton(TMouseButtonId::Left, false, p);
  };
  Script().Then([&] { click(at); click(at); });
  Script().Then([&] { click(at); });  // a third click is a plain one again
  Script().AdvanceBy(600);
  Script().Then([&] { click(at); });  // too late for a double click
  Script().Then([&] { click({at.X + 10, at.Y}); });  // too far
  Script().RunScript();
  std::vector<UINT> downs;
  for (const TSeen& s : Seen)
    if (s.Message == WM_LBUTTONDOWN || s.Message == WM_LBUTTONDBLCLK) downs.push_back(s.Message);
  EXPECT_EQ(downs, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN,
                                      WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
  auto down = Of(WM_LBUTTONDOWN)[0];
  EXPECT_EQ(LParamToPoint(down.LParam), Point(5, 5));  // client coordinates
  EXPECT_EQ(down.WParam, MK_LBUTTON);
}

TEST_F(InputTest, ADisabledWindowRefusesTheClickWithABeep) {
  EnableWindow(Form, false);
  TRect rect;
  GetWindowRect(Field, &rect);
  Script().Then([&] {
    InjectMouseButton(TMouseButtonId::Left, true, {rect.Left + 5, rect.Top + 5});
    InjectMouseButton(TMouseButtonId::Left, false, {rect.Left + 5, rect.Top + 5});
  });
  Script().RunScript();
  EXPECT_TRUE(Of(WM_LBUTTONDOWN).empty());
  EXPECT_EQ(BeepCount(), 1);
  EXPECT_EQ(Script().Beeps(), 1);
}

TEST_F(InputTest, TheWheelGoesToTheFocusWindowWithScreenCoordinates) {
  Script().Then([] { InjectMouseWheel(-WHEEL_DELTA, {700, 700}); });
  Script().RunScript();
  ASSERT_EQ(Of(WM_MOUSEWHEEL).size(), 1u);
  TMessage m{WM_MOUSEWHEEL, Of(WM_MOUSEWHEEL)[0].WParam, Of(WM_MOUSEWHEEL)[0].LParam, 0};
  EXPECT_EQ(m.WheelDelta(), -WHEEL_DELTA);
  EXPECT_EQ(m.Pos(), Point(700, 700));
}

TEST_F(InputTest, TrackingReportsWhenThePointerLeaves) {
  TRect rect;
  GetWindowRect(Field, &rect);
  Script().Then([&] { InjectMouseMove({rect.Left + 2, rect.Top + 2}); });
  Script().Then([&] {
    TRACKMOUSEEVENT track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = Field;
    EXPECT_TRUE(TrackMouseEvent(&track));
    InjectMouseMove({rect.Left + 2, rect.Bottom + 20});  // onto the form
  });
  Script().RunScript();
  EXPECT_EQ(Of(WM_MOUSELEAVE).size(), 1u);
  EXPECT_EQ(Of(WM_MOUSEMOVE).size(), 1u);
}

}  // namespace
