#include <gtest/gtest.h>

#include "platform/rtl/TickCount.h"
#include "tests/platform/win/WinTestSupport.h"

namespace {

using wintest::TWinTest;
using TimersTest = TWinTest;

class TTickRecorder {
 public:
  void Attach(TWinTest& test, HWND window, std::function<void(UINT_PTR)> onTick = nullptr) {
    test.Answer(window, [this, onTick](UINT message, WPARAM id, LPARAM, LRESULT&) {
      if (message != WM_TIMER) return false;
      Ticks.push_back({id, WindowClockNow() - THeadlessBackEnd::StartTime});
      if (onTick) onTick(id);
      return true;
    });
  }
  struct TTick {
    UINT_PTR Id;
    uint64_t At;  // milliseconds since the session started
    bool operator==(const TTick&) const = default;
  };
  std::vector<TTick> Ticks;
};

TEST_F(TimersTest, ANinetySecondTimerFiresAtNinetySecondsExactly) {
  HWND window = TopLevel("A", Bounds(0, 0, 100, 100), WS_POPUP);
  TTickRecorder recorder;
  recorder.Attach(*this, window);
  ASSERT_EQ(SetTimer(window, 1, 90000, nullptr), 1u);
  Script().AdvanceBy(89999);
  Script().RunScript();
  EXPECT_TRUE(recorder.Ticks.empty());
  Script().AdvanceBy(1 + 90000 * 2);
  Script().RunScript();
  EXPECT_EQ(recorder.Ticks, (std::vector<TTickRecorder::TTick>{
                                {1, 90000}, {1, 180000}, {1, 270000}}));
}

TEST_F(TimersTest, TimersInterleaveByTheirDueTimes) {
  HWND window = TopLevel("A", Bounds(0, 0, 100, 100), WS_POPUP);
  TTickRecorder recorder;
  recorder.Attach(*this, window);
  SetTimer(window, 7, 250, nullptr);
  SetTimer(window, 8, 100, nullptr);
  Script().AdvanceBy(300);
  Script().RunScript();
  EXPECT_EQ(recorder.Ticks, (std::vector<TTickRecorder::TTick>{
                                {8, 100}, {8, 200}, {7, 250}, {8, 300}}));
}

TEST_F(TimersTest, KillingStopsATimerAndSettingItAgainRestartsTheCount) {
  HWND window = TopLevel("A", Bounds(0, 0, 100, 100), WS_POPUP);
  TTickRecorder recorder;
  recorder.Attach(*this, window);
  SetTimer(window, 1, 1000, nullptr);
  Script().AdvanceBy(600);
  Script().Then([&] { SetTimer(window, 1, 1000, nullptr); });  // restart at 600
  Script().AdvanceBy(1500);
  Script().Then([&] { EXPECT_TRUE(KillTimer(window, 1)); });
  Script().AdvanceBy(5000);
  Script().RunScript();
  EXPECT_EQ(recorder.Ticks, (std::vector<TTickRecorder::TTick>{{1, 1600}}));
  EXPECT_FALSE(KillTimer(window, 1));
}

TEST_F(TimersTest, ASlowHandlerDoesNotPileUpTicks) {
  HWND window = TopLevel("A", Bounds(0, 0, 100, 100), WS_POPUP);
  TTickRecorder recorder;
  // The first tick's handler takes "long": it waits for WM_USER while 350 ms pass.
  bool first = true;
  recorder.Attach(*this, window, [&](UINT_PTR) {
    if (!first) return;
    first = false;
    MSG msg;
    GetMessage(&msg, window, WM_USER, WM_USER);
  });
  SetTimer(window, 1, 100, nullptr);
  Script().AdvanceBy(100);
  Script().AdvanceBy(350);
  Script().Then([&] { PostMessage(window, WM_USER); });
  Script().RunScript();
  // One tick at 100; while its handler waited the clock ran to 450 and one tick, not three, was
  // owed then.
  EXPECT_EQ(recorder.Ticks, (std::vector<TTickRecorder::TTick>{{1, 100}, {1, 450}}));
}

TEST_F(TimersTest, IntervalsBelowTheMinimumAreRaisedAndTimersDieWithTheirWindow) {
  HWND window = TopLevel("A", Bounds(0, 0, 100, 100), WS_POPUP);
  TTickRecorder recorder;
  recorder.Attach(*this, window);
  SetTimer(window, 1, 0, nullptr);
  Script().AdvanceBy(25);
  Script().RunScript();
  EXPECT_EQ(recorder.Ticks, (std::vector<TTickRecorder::TTick>{{1, 10}, {1, 20}}));
  DestroyWindow(window);
  EXPECT_FALSE(KillTimer(window, 1));
  EXPECT_EQ(SetTimer(window, 2, 100, nullptr), 0u);
}

std::vector<uint64_t> GCallbackTimes;
void TimerCallback(HWND, UINT message, UINT_PTR, DWORD) {
  if (message == WM_TIMER) GCallbackTimes.push_back(WindowClockNow() - THeadlessBackEnd::StartTime);
}

TEST_F(TimersTest, ATimerWithoutAWindowCallsItsProcedure) {
  GCallbackTimes.clear();
  UINT_PTR id = SetTimer(nullptr, 0, 500, TimerCallback);
  EXPECT_NE(id, 0u);
  EXPECT_NE(SetTimer(nullptr, 0, 500, TimerCallback), id);
  EXPECT_TRUE(KillTimer(nullptr, id + 1));
  Script().AdvanceBy(1000);
  Script().RunScript();
  EXPECT_EQ(GCallbackTimes, (std::vector<uint64_t>{500, 1000}));
}

}  // namespace

namespace {

TEST_F(TimersTest, TickCountAndSleepRunOnTheVirtualClock) {
  HWND window = TopLevel("A", Bounds(0, 0, 100, 100), WS_POPUP);
  TTickRecorder recorder;
  recorder.Attach(*this, window);
  EXPECT_EQ(GetTickCount64(), WindowClockNow());
  SetTimer(window, 1, 1000, nullptr);
  uint32_t before = GetTickCount();
  Sleep(2500);  // the GUI thread sleeps: time passes, no message is handled meanwhile
  EXPECT_EQ(GetTickCount() - before, 2500u);
  EXPECT_TRUE(recorder.Ticks.empty());
  Script().AdvanceBy(100);
  Script().RunScript();
  // A timer that fell due during the sleep fires once, late, and the clock never went back.
  ASSERT_FALSE(recorder.Ticks.empty());
  EXPECT_EQ(recorder.Ticks.front().At, 2500u);
  EXPECT_EQ(WindowClockNow() - THeadlessBackEnd::StartTime, 2600u);
}

}  // namespace
