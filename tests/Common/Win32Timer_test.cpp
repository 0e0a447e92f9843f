// The window timer on the headless back end: when a system timer runs, exact ticks on the virtual
// clock, restarts, the shared window class, and errors of a handler.
#include "Common/Win32Timer.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/win/WinApi.h"
#include "tests/support/HeadlessWindows.h"

namespace {

class TimerFixture : public ::testing::Test {
 protected:
  THeadlessBackEnd& Script() { return Session.Script(); }
  void RunScript() { Session.RunScript(); }
  static uint64_t Elapsed() { return WindowClockNow() - THeadlessBackEnd::StartTime; }
  // Whether the timer's window has a system timer (killing one that runs says so).
  static bool HasSystemTimer(TWin32Timer& timer) {
    const bool had = KillTimer(timer.WindowHandle(), 1);
    if (had) SetTimer(timer.WindowHandle(), 1, timer.Interval(), nullptr);
    return had;
  }

  THeadlessWindows Session;
};

TEST_F(TimerFixture, ATimerRunsOnlyWithAnIntervalAHandlerAndEnabled) {
  TWin32Timer timer(nullptr);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_FALSE(HasSystemTimer(timer)) << "no handler yet";
  std::vector<uint64_t> ticks;
  timer.SetOnTimer([&](TObject* sender) {
    EXPECT_EQ(sender, &timer);
    ticks.push_back(Elapsed());
  });
  EXPECT_TRUE(HasSystemTimer(timer));
  timer.SetInterval(0);
  EXPECT_FALSE(HasSystemTimer(timer));
  timer.SetInterval(250);
  timer.SetEnabled(false);
  EXPECT_FALSE(HasSystemTimer(timer));
  timer.SetEnabled(true);
  Script().AdvanceBy(1000);
  RunScript();
  EXPECT_EQ(ticks, (std::vector<uint64_t>{250, 500, 750, 1000}));
  timer.SetOnTimer(nullptr);
  EXPECT_FALSE(HasSystemTimer(timer));
}

TEST_F(TimerFixture, AssigningTheHandlerRestartsTheCountAndAnEqualEnabledDoesNot) {
  TWin32Timer timer(nullptr);
  std::vector<uint64_t> ticks;
  auto record = [&](TObject*) { ticks.push_back(Elapsed()); };
  timer.SetOnTimer(record);
  Script().AdvanceBy(600);
  Script().Then([&] { timer.SetEnabled(true); });  // unchanged: the count goes on
  Script().AdvanceBy(600);                          // tick at 1000
  Script().Then([&] { timer.SetOnTimer(record); });  // restarts at 1200
  Script().AdvanceBy(1500);
  RunScript();
  EXPECT_EQ(ticks, (std::vector<uint64_t>{1000, 2200}));
}

TEST_F(TimerFixture, TimersShareTheWindowClassAndHaveTheirOwnWindows) {
  TWin32Timer first(nullptr), second(nullptr);
  ASSERT_NE(first.WindowHandle(), nullptr);
  ASSERT_NE(second.WindowHandle(), nullptr);
  EXPECT_NE(first.WindowHandle(), second.WindowHandle());
  EXPECT_EQ(GetClassName(first.WindowHandle()), u"TZenAlerterWindow");
  EXPECT_EQ(GetClassName(second.WindowHandle()), u"TZenAlerterWindow");
  EXPECT_EQ(GetWindowLongPtr(first.WindowHandle(), GWL_USERDATA),
            reinterpret_cast<LONG_PTR>(&first));
  EXPECT_FALSE(IsWindowVisible(first.WindowHandle()));
  // Each window's timer ticks its own timer.
  int firstTicks = 0, secondTicks = 0;
  first.SetInterval(100);
  first.SetOnTimer([&](TObject*) { ++firstTicks; });
  second.SetInterval(300);
  second.SetOnTimer([&](TObject*) { ++secondTicks; });
  Script().AdvanceBy(600);
  RunScript();
  EXPECT_EQ(firstTicks, 6);
  EXPECT_EQ(secondTicks, 2);
  // A timer takes its window with it.
  HWND goneWindow = nullptr;
  {
    TWin32Timer gone(nullptr);
    goneWindow = gone.WindowHandle();
    EXPECT_TRUE(IsWindow(goneWindow));
  }
  EXPECT_FALSE(IsWindow(goneWindow));
}

TEST_F(TimerFixture, AClassOfThatNameWithAnotherProcedureIsReplaced) {
  WNDCLASS other;
  other.lpfnWndProc = &DefWindowProc;
  other.hInstance = HInstance;
  other.lpszClassName = TWin32Timer::WindowClassName;
  ASSERT_NE(RegisterClass(other), 0);
  TWin32Timer timer(nullptr);
  int ticks = 0;
  timer.SetOnTimer([&](TObject*) { ++ticks; });
  Script().AdvanceBy(2000);
  RunScript();
  EXPECT_EQ(ticks, 2);
}

TEST_F(TimerFixture, AHandlerThatRaisesIsReportedAndTheTimerGoesOn) {
  TWin32Timer timer(nullptr);
  int ticks = 0;
  timer.SetOnTimer([&](TObject*) {
    if (++ticks == 2) throw Exception(u"refresh failed");
  });
  Script().AdvanceBy(4000);
  RunScript();
  EXPECT_EQ(ticks, 4);
  EXPECT_EQ(Session.Reported, (std::vector<String>{u"refresh failed"}));
  EXPECT_EQ(Session.ReportedBy, (std::vector<TObject*>{&timer}));
}

TEST(Win32Timer, WithoutAWindowSessionNoTimerCanRun) {
  TWin32Timer timer(nullptr);
  EXPECT_EQ(timer.WindowHandle(), nullptr);
  timer.SetEnabled(false);
  timer.SetOnTimer([](TObject*) {});
  EXPECT_THROW(timer.SetEnabled(true), EOutOfResources);
}

}  // namespace
