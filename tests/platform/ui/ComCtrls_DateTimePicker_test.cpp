#include <gtest/gtest.h>

#include "platform/rtl/FormatSettings.h"
#include "platform/ui/ComCtrls.h"
#include "platform/win/WindowStyles.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class DateTimePickerTest : public TUiTest {
 public:
  DateTimePickerTest() : Saved(FormatSettings()) {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Picker = new TDateTimePicker(Form);
    Picker->SetBounds(10, 10, 160, 23);
    Picker->SetParent(Form);
    Picker->SetFormat(u"dd.MM.yyyy");
    Picker->SetDateTime(EncodeDate(2024, 1, 31) + EncodeTime(10, 30, 0, 0));
    Picker->OnChange = [this](TObject*) { Note("change " + UTF8Encode(Picker->DisplayText())); };
    Picker->OnDropDown = [this](TObject*) { Note("drop"); };
    Picker->OnCloseUp = [this](TObject*) { Note("close"); };
    Form->SetWindowProc([this](TMessage& m) {
      if (m.Msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(m.LParam);
        if (header->code == DTN_DATETIMECHANGE)
          Flags.push_back(reinterpret_cast<NMDATETIMECHANGE*>(m.LParam)->dwFlags);
      }
      Form->WndProc(m);
    });
    Form->Show();
  }
  ~DateTimePickerTest() override {
    TForm* form = Form;
    Form->SetWindowProc([form](TMessage& m) { form->WndProc(m); });
    FormatSettings() = Saved;
  }
  void Focus() {
    Script().Then([&] { Picker->SetFocus(); });
    RunScript();
  }
  TMonthCalendar* Calendar() {
    // The calendar the picker shows is the window DTM_GETMONTHCAL names.
    auto window = reinterpret_cast<HWND>(Picker->Perform(DTM_GETMONTHCAL));
    auto* calendar = dynamic_cast<TMonthCalendar*>(TWinControl::FindControl(window));
    EXPECT_EQ(calendar, Picker->MonthCalendar());
    return calendar;
  }
  TFormatSettings Saved;
  TForm* Form = nullptr;
  TDateTimePicker* Picker = nullptr;
  std::vector<DWORD> Flags;
};

TEST_F(DateTimePickerTest, KeysChooseAFieldStepItAndTypeIt) {
  Focus();
  struct TStep {
    std::function<void()> Keys;
    String Shown;
  } steps[] = {
      {[] { Key(VK_UP); }, u"01.01.2024"},                  // the day wraps inside its month
      {[] { Key(VK_DOWN); }, u"31.01.2024"},
      {[] { Key(VK_RIGHT); Key(VK_UP); }, u"29.02.2024"},   // a shorter month takes its last day
      {[] { Key(VK_RIGHT); Key(VK_DOWN); }, u"28.02.2023"},
      {[] { Key(VK_RIGHT); Key(VK_UP); }, u"28.02.2024"},   // past the last field: still the year
      {[] { Key(VK_HOME); Type(u"15"); }, u"15.02.2024"},
      {[] { Type(u"4"); }, u"04.02.2024"},                  // a full field starts again
      {[] { Type(u"39"); }, u"09.02.2024"},                 // 39 is no day: the 9 starts again
      {[] { Key(VK_RIGHT); Type(u"12"); }, u"09.12.2024"},
      {[] { Key(VK_RIGHT); Type(u"1999"); }, u"09.12.1999"},
      {[] { Type(u"07"); }, u"09.12.2007"},                 // two digits name this century's year
  };
  for (const TStep& step : steps) {
    Script().Then(step.Keys);
    RunScript();
    EXPECT_EQ(Picker->DisplayText(), step.Shown);
  }
  // The time of day is kept through all of it, and each change was announced as a valid value.
  EXPECT_DOUBLE_EQ(Picker->Time(), EncodeTime(10, 30, 0, 0));
  ASSERT_FALSE(Events.empty());
  EXPECT_EQ(Events.back(), "change 09.12.2007");
  EXPECT_EQ(Flags.size(), Events.size());
  for (DWORD flag : Flags) EXPECT_EQ(flag, static_cast<DWORD>(GDT_VALID));
}

TEST_F(DateTimePickerTest, TheRangeBoundsTheUserAndRefusesTheProgram) {
  Picker->SetDateTime(EncodeDate(2023, 2, 15));
  Picker->SetMinDate(EncodeDate(2023, 2, 10));
  Picker->SetMaxDate(EncodeDate(2023, 2, 20));
  Focus();
  Script().Then([&] { Type(u"25"); });  // past the last day allowed
  RunScript();
  EXPECT_EQ(Picker->DisplayText(), u"20.02.2023");
  Script().Then([&] { Key(VK_UP); });  // no further
  Script().Then([&] {
    Key(VK_RIGHT);
    Key(VK_DOWN);  // January is before the first day allowed
  });
  RunScript();
  EXPECT_EQ(Picker->DisplayText(), u"10.02.2023");
  EXPECT_THROW(Picker->SetDate(EncodeDate(2023, 2, 21)), EDateTimeError);
  EXPECT_THROW(Picker->SetDate(EncodeDate(2023, 2, 9)), EDateTimeError);
  EXPECT_THROW(Picker->SetMinDate(EncodeDate(2023, 3, 1)), EDateTimeError);
  EXPECT_EQ(Picker->Date(), EncodeDate(2023, 2, 10));
  // The calendar shows the same range.
  Script().Then([&] { Key(VK_F4); });
  Script().Then([&] {
    ASSERT_NE(Calendar(), nullptr);
    // A click on a day past the range chooses nothing.
    ClickAt(Calendar()->ClientToScreen(CenterOf(Calendar()->DayRect(EncodeDate(2023, 2, 25)))));
  });
  Script().Then([&] {
    ASSERT_NE(Calendar(), nullptr);
    EXPECT_EQ(Picker->Date(), EncodeDate(2023, 2, 10));
    EXPECT_EQ(Calendar()->MinDate(), EncodeDate(2023, 2, 10));
    Key(VK_HOME);  // the first of the month is before the range too
    Key(VK_RETURN);
  });
  RunScript();
  EXPECT_FALSE(Picker->DroppedDown());
  EXPECT_EQ(Picker->Date(), EncodeDate(2023, 2, 10));
}

TEST_F(DateTimePickerTest, TheDroppedCalendarChoosesADayByMouseOrKeys) {
  Focus();
  Script().Then([&] { ClickAt(Picker->ClientToScreen(CenterOf(Picker->ButtonRect()))); });
  Script().Then([&] {
    TMonthCalendar* calendar = Calendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_TRUE(Picker->DroppedDown());
    EXPECT_TRUE(Picker->Focused());  // the focus stays in the picker
    EXPECT_EQ(calendar->ShownMonth(), EncodeDate(2024, 1, 1));
    // The next month, then its 14th.
    ClickAt(calendar->ClientToScreen(CenterOf(calendar->NextButtonRect())));
  });
  Script().Then([&] {
    TMonthCalendar* calendar = Calendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->ShownMonth(), EncodeDate(2024, 2, 1));
    ClickAt(calendar->ClientToScreen(CenterOf(calendar->DayRect(EncodeDate(2024, 2, 14)))));
  });
  RunScript();
  EXPECT_FALSE(Picker->DroppedDown());
  EXPECT_EQ(Picker->Perform(DTM_GETMONTHCAL), 0);
  EXPECT_EQ(Picker->DisplayText(), u"14.02.2024");
  EXPECT_DOUBLE_EQ(Picker->Time(), EncodeTime(10, 30, 0, 0));
  EXPECT_EQ(Events, (std::vector<std::string>{"drop", "change 14.02.2024", "close"}));

  // Keys: a week on, a day back, Enter takes it; Escape and a press outside take nothing.
  Events.clear();
  Script().Then([&] {
    Key(VK_DOWN, false);
    InjectKey(VK_MENU, true);
    Key(VK_DOWN);
    InjectKey(VK_MENU, false);
  });
  Script().Then([&] {
    ASSERT_TRUE(Picker->DroppedDown());
    Key(VK_DOWN);
    Key(VK_LEFT);
    Key(VK_RETURN);
  });
  Script().Then([&] {
    Key(VK_F4);
    Key(VK_DOWN);
    Key(VK_ESCAPE);
  });
  Script().Then([&] { Key(VK_F4); });
  Script().Then([&] { ClickAt(Form->ClientToScreen({350, 250})); });
  RunScript();
  EXPECT_FALSE(Picker->DroppedDown());
  EXPECT_EQ(Picker->DisplayText(), u"19.02.2024");
  EXPECT_EQ(Events, (std::vector<std::string>{"change 13.02.2024", "drop", "change 19.02.2024", "close",
                                              "drop", "close", "drop", "close"}));
}

TEST_F(DateTimePickerTest, TheCalendarCanBeRestyledAndSizedFromTheDropDownNotification) {
  // As a caller does: in the drop-down handler, take the calendar's window, add styles, and size
  // it to its minimum.
  TRect before;
  TRect after;
  Picker->OnDropDown = [&](TObject*) {
    auto calendar = reinterpret_cast<HWND>(Picker->Perform(DTM_GETMONTHCAL));
    ASSERT_NE(calendar, nullptr);
    SendMessage(calendar, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&before));
    LONG_PTR style = GetWindowLongPtr(calendar, GWL_STYLE);
    SetWindowLongPtr(calendar, GWL_STYLE, style | MCS_WEEKNUMBERS | MCS_NOTODAY);
    SendMessage(calendar, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&after));
    SetWindowPos(calendar, nullptr, 0, 0, after.Width() + 2, after.Height() + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  Focus();
  Script().Then([&] { Key(VK_F4); });
  RunScript();
  ASSERT_NE(Calendar(), nullptr);
  EXPECT_GT(after.Width(), before.Width());    // room for the week numbers
  EXPECT_LT(after.Height(), before.Height());  // no today line
  EXPECT_TRUE(Calendar()->WeekNumbers());
  EXPECT_FALSE(Calendar()->ShowToday());
  EXPECT_EQ(Calendar()->Width(), after.Width() + 2);
  // Days are still hit where they are drawn, right of the week numbers.
  TDateTime day = EncodeDate(2024, 1, 8);
  EXPECT_EQ(Calendar()->DayAtPos(CenterOf(Calendar()->DayRect(day))), day);
}

TEST_F(DateTimePickerTest, TheCheckBoxClearsAndRestoresTheValue) {
  Picker->SetShowCheckbox(true);
  std::vector<WPARAM> setMessages;
  Picker->SetWindowProc([&](TMessage& m) {
    if (m.Msg == DTM_SETSYSTEMTIME) setMessages.push_back(m.WParam);
    Picker->WndProc(m);
  });
  Focus();
  Script().Then([&] { ClickAt(Picker->ClientToScreen(CenterOf(Picker->CheckboxRect()))); });
  RunScript();
  SYSTEMTIME st;
  EXPECT_FALSE(Picker->Checked());
  EXPECT_EQ(Picker->Perform(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)), GDT_NONE);
  Script().Then([&] { Key(VK_SPACE); });
  RunScript();
  EXPECT_TRUE(Picker->Checked());
  EXPECT_EQ(Picker->Perform(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)), GDT_VALID);
  EXPECT_EQ(st.wDay, 31);
  // Typing into a cleared picker gives it a value again.
  Script().Then([&] { Key(VK_SPACE); });
  Script().Then([&] { Type(u"5"); });
  RunScript();
  EXPECT_TRUE(Picker->Checked());
  EXPECT_EQ(Picker->DisplayText(), u"05.01.2024");
  EXPECT_EQ(Flags, (std::vector<DWORD>{GDT_NONE, GDT_VALID, GDT_NONE, GDT_VALID}));
  // The program clears it through the message, so a window procedure sees it.
  Picker->SetChecked(false);
  EXPECT_FALSE(Picker->Checked());
  EXPECT_EQ(setMessages, (std::vector<WPARAM>{static_cast<WPARAM>(GDT_NONE)}));
  TDateTimePicker* picker = Picker;
  Picker->SetWindowProc([picker](TMessage& m) { picker->WndProc(m); });
}

TEST_F(DateTimePickerTest, ATimePickerStepsItsFieldsWithKeysAndItsArrows) {
  Picker->SetKind(dtkTime);
  Picker->SetFormat(u"HH:mm:ss");
  Picker->SetTime(EncodeTime(23, 59, 5, 0));
  Focus();
  Script().Then([&] { Key(VK_UP); });                      // 23 wraps to 0, the date stays
  Script().Then([&] { Key(VK_RIGHT); Type(u"07"); });
  Script().Then([&] { ClickAt(Picker->ClientToScreen({Picker->ButtonRect().Left + 4, 5})); });
  Script().Then([&] { Key(VK_F4); });                      // a time drops nothing
  RunScript();
  EXPECT_EQ(Picker->DisplayText(), u"00:08:05");
  EXPECT_FALSE(Picker->DroppedDown());
  EXPECT_EQ(Picker->Date(), EncodeDate(2024, 1, 31));
}

TEST_F(DateTimePickerTest, InUpDownModeADateIsSteppedByItsArrowsAndDropsNothing) {
  Picker->SetDateMode(dmUpDown);
  Focus();
  TRect button = Picker->ButtonRect();
  Script().Then([&] { ClickAt(Picker->ClientToScreen({button.Left + 4, button.Top + 2})); });
  Script().Then([&] { ClickAt(Picker->ClientToScreen({button.Left + 4, button.Bottom - 2})); });
  Script().Then([&] { ClickAt(Picker->ClientToScreen({button.Left + 4, button.Bottom - 2})); });
  Script().Then([&] { Key(VK_F4); });
  RunScript();
  EXPECT_FALSE(Picker->DroppedDown());
  EXPECT_EQ(Picker->DisplayText(), u"30.01.2024");
  EXPECT_EQ(Events, (std::vector<std::string>{"change 01.01.2024", "change 31.01.2024",
                                              "change 30.01.2024"}));
}

TEST_F(DateTimePickerTest, WithoutAFormatTheSettingsGiveTheFields) {
  FormatSettings().ShortDateFormat = u"d/m/yyyy";
  FormatSettings().DateSeparator = u'.';
  FormatSettings().LongTimeFormat = u"h:nn AMPM";
  FormatSettings().TimeAMString = u"AM";
  FormatSettings().TimePMString = u"PM";
  Picker->SetFormat(String());
  Picker->SetDateTime(EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 0, 0));
  EXPECT_EQ(Picker->DisplayText(), u"5.3.2024");
  Picker->SetKind(dtkTime);
  EXPECT_EQ(Picker->DisplayText(), u"2:07 PM");
  Focus();
  Script().Then([&] {
    Key(VK_END);
    Type(u"a");
  });
  RunScript();
  EXPECT_EQ(Picker->DisplayText(), u"2:07 AM");
}

TEST_F(DateTimePickerTest, WithParseInputTheUserTypesTheValueAsText) {
  FormatSettings().ShortDateFormat = u"dd/mm/yyyy";
  FormatSettings().DateSeparator = u'.';
  Picker->SetParseInput(true);
  Focus();
  auto retype = [](const String& text) {
    Key(VK_F2);
    for (int i = 0; i < 12; ++i) Key(VK_BACK);
    Type(text);
  };
  // Without a handler a text that reads as a date is taken; one that does not changes nothing.
  Script().Then([&] { retype(u"05.03.2024"); });
  Script().Then([&] {
    EXPECT_TRUE(Picker->EditingText());
    EXPECT_EQ(Picker->UserText(), u"05.03.2024");
    Key(VK_RETURN);
  });
  Script().Then([&] {
    retype(u"не е датум");
    Key(VK_RETURN);
  });
  RunScript();
  EXPECT_FALSE(Picker->EditingText());
  EXPECT_EQ(Picker->DisplayText(), u"05.03.2024");
  EXPECT_EQ(Events, (std::vector<std::string>{"change 05.03.2024"}));

  // A handler reads the text its own way, and may refuse it.
  std::vector<String> seen;
  Picker->OnUserInput = [&](TObject*, const String& text, TDateTime& value, bool& allow) {
    seen.push_back(text);
    allow = text == u"утре";
    if (allow) value = EncodeDate(2024, 3, 6);
  };
  Script().Then([&] {
    retype(u"утре");
    Key(VK_RETURN);
  });
  Script().Then([&] {
    retype(u"01.01.2020");
    Key(VK_RETURN);
  });
  Script().Then([&] {
    retype(u"утре");
    Key(VK_ESCAPE);  // given up: nothing is asked
  });
  RunScript();
  EXPECT_EQ(seen, (std::vector<String>{u"утре", u"01.01.2020"}));
  EXPECT_EQ(Picker->DisplayText(), u"06.03.2024");
}

}  // namespace
