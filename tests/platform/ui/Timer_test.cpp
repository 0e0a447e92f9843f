#include "platform/ui/Timer.h"

#include <gtest/gtest.h>

#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class TimerTest : public TUiTest {
 public:
  TimerTest() {
    Application->SetTitle(u"Records");
    Application->CreateForm(MainForm);
    Application->CreateForm(Dialog);
    Timer = new TTimer(MainForm);
    Timer->SetInterval(90000);
    MainForm->Show();
  }
  static uint64_t Elapsed() { return WindowClockNow() - THeadlessBackEnd::StartTime; }

  TForm* MainForm = nullptr;
  TForm* Dialog = nullptr;
  TTimer* Timer = nullptr;
};

TEST_F(TimerTest, AKeepAliveTimerFiresAtNinetySecondsExactlyAndInsideAModalLoop) {
  struct TTick {
    uint64_t At;
    int ModalLevel;
    bool operator==(const TTick&) const = default;
  };
  std::vector<TTick> ticks;
  Timer->SetOnTimer([&](TObject* sender) {
    EXPECT_EQ(sender, Timer);
    ticks.push_back({Elapsed(), Application->ModalLevel()});
  });
  Script().AdvanceBy(89999);
  RunScript();
  EXPECT_TRUE(ticks.empty());
  Script().AdvanceBy(1);
  RunScript();
  // The next tick comes while a modal form waits for its answer.
  Script().AdvanceBy(90000);
  Script().Then([&] { Dialog->SetModalResult(mrOk); });
  Dialog->ShowModal();
  EXPECT_EQ(ticks, (std::vector<TTick>{{90000, 0}, {180000, 1}}));
}

TEST_F(TimerTest, DisablingStopsTheTimerAndChangingTheIntervalRestartsIt) {
  std::vector<uint64_t> ticks;
  Timer->SetOnTimer([&](TObject*) { ticks.push_back(Elapsed()); });
  Script().AdvanceBy(50000);
  Script().Then([&] { Timer->SetInterval(60000); });  // restarts at 50 s
  Script().AdvanceBy(60000);
  Script().Then([&] { Timer->SetEnabled(false); });
  Script().AdvanceBy(200000);
  Script().Then([&] { Timer->SetEnabled(true); });  // counts from 310 s
  Script().AdvanceBy(60000);
  RunScript();
  EXPECT_EQ(ticks, (std::vector<uint64_t>{110000, 370000}));
  // Without a handler there is nothing to run, so no system timer either.
  TTimer idle(nullptr);
  EXPECT_TRUE(idle.Enabled());
  EXPECT_EQ(idle.Interval(), 1000u);
}

TEST_F(TimerTest, AnErrorInTheTimerIsShownOnceAndTheTimerKeepsRunning) {
  int calls = 0;
  Timer->SetOnTimer([&](TObject*) {
    if (++calls == 1) throw EDatabaseError(u"Lost connection to MySQL server during query");
  });
  Script().AdvanceBy(90000);
  AnswerDialog(mrOk);
  Script().AdvanceBy(90000);
  RunScript();
  EXPECT_EQ(calls, 2);
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Message, u"Lost connection to MySQL server during query.");
  EXPECT_EQ(Dialogs[0].Caption, u"Records");
  EXPECT_EQ(Dialogs[0].Type, mtError);
  EXPECT_TRUE(Timer->Enabled());
}

TEST_F(TimerTest, AnAbortInAHandlerIsSilent) {
  int calls = 0;
  Timer->SetOnTimer([&](TObject*) {
    ++calls;
    Abort();
  });
  Script().AdvanceBy(180000);
  RunScript();
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(Dialogs.empty());
}

}  // namespace
