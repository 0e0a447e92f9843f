#include <gtest/gtest.h>

#include "platform/ui/ComCtrls.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class MonthCalendarTest : public TUiTest {
 public:
  MonthCalendarTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Calendar = new TMonthCalendar(Form);
    Calendar->SetParent(Form);
    Calendar->SetToday(EncodeDate(2024, 1, 15));
    Calendar->SetDate(EncodeDate(2024, 1, 31));
    Calendar->OnChange = [this](TObject*) { Note(UTF8Encode(DateToStr(Calendar->Date()))); };
    Form->Show();
  }
  TForm* Form = nullptr;
  TMonthCalendar* Calendar = nullptr;
};

TEST_F(MonthCalendarTest, KeysMoveByDaysWeeksMonthsAndYears) {
  Script().Then([&] { Calendar->SetFocus(); });
  RunScript();
  struct TStep {
    WORD Key;
    bool Ctrl;
    TDateTime Expected;
  } steps[] = {
      {VK_NEXT, false, EncodeDate(2024, 2, 29)},  // a shorter month takes its last day
      {VK_NEXT, true, EncodeDate(2025, 2, 28)},
      {VK_HOME, false, EncodeDate(2025, 2, 1)},
      {VK_LEFT, false, EncodeDate(2025, 1, 31)},
      {VK_DOWN, false, EncodeDate(2025, 2, 7)},
      {VK_END, false, EncodeDate(2025, 2, 28)},
  };
  for (const TStep& step : steps) {
    Script().Then([&] {
      if (step.Ctrl) InjectKey(VK_CONTROL, true);
      Key(step.Key);
      if (step.Ctrl) InjectKey(VK_CONTROL, false);
    });
    RunScript();
    EXPECT_EQ(Calendar->Date(), step.Expected);
    // The month shown follows the date.
    uint16_t y, m, d;
    DecodeDate(step.Expected, y, m, d);
    EXPECT_EQ(Calendar->ShownMonth(), EncodeDate(y, m, 1));
  }
  EXPECT_EQ(Events.size(), 6u);
}

TEST_F(MonthCalendarTest, TheMessagesSetAndReadTheDateTodayAndTheRange) {
  SYSTEMTIME st = DateTimeToSystemTime(EncodeDate(2024, 5, 9));
  EXPECT_EQ(Calendar->Perform(MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st)), 1);
  EXPECT_EQ(Calendar->Date(), EncodeDate(2024, 5, 9));
  EXPECT_EQ(Calendar->ShownMonth(), EncodeDate(2024, 5, 1));
  SYSTEMTIME bad{};
  bad.wYear = 2024;
  bad.wMonth = 2;
  bad.wDay = 30;
  EXPECT_EQ(Calendar->Perform(MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&bad)), 0);
  EXPECT_EQ(Calendar->Date(), EncodeDate(2024, 5, 9));

  // A range that leaves the date outside moves the date inside.
  SYSTEMTIME range[2] = {DateTimeToSystemTime(EncodeDate(2024, 6, 1)),
                         DateTimeToSystemTime(EncodeDate(2024, 6, 30))};
  Calendar->Perform(MCM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
  SYSTEMTIME read;
  EXPECT_EQ(Calendar->Perform(MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&read)), 1);
  EXPECT_EQ(read.wMonth, 6);
  EXPECT_EQ(read.wDay, 1);
  EXPECT_EQ(read.wDayOfWeek, 6);  // a Saturday
  SYSTEMTIME limits[2];
  EXPECT_EQ(Calendar->Perform(MCM_GETRANGE, 0, reinterpret_cast<LPARAM>(limits)),
            static_cast<LRESULT>(GDTR_MIN | GDTR_MAX));
  EXPECT_EQ(limits[1].wDay, 30);

  // A click on the today line chooses today, bounded by the range.
  bool chosen = false;
  Calendar->OnSelect = [&](TObject*) { chosen = true; };
  Script().Then([&] { ClickAt(Calendar->ClientToScreen(CenterOf(Calendar->TodayRect()))); });
  RunScript();
  EXPECT_EQ(Calendar->Date(), EncodeDate(2024, 6, 1));
  EXPECT_FALSE(chosen);  // today is outside the range
  Calendar->Perform(MCM_SETRANGE, 0, 0);
  Script().Then([&] { ClickAt(Calendar->ClientToScreen(CenterOf(Calendar->TodayRect()))); });
  RunScript();
  EXPECT_EQ(Calendar->Date(), EncodeDate(2024, 1, 15));
  EXPECT_TRUE(chosen);
}

}  // namespace
