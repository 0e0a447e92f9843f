// The common controls the program uses: the date-time picker with the month calendar it drops,
// and the track bar.
#pragma once

#include <vector>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/Controls.h"

// --- Dates in messages ---------------------------------------------------------------------------

struct SYSTEMTIME {
  WORD wYear = 0;
  WORD wMonth = 0;
  WORD wDayOfWeek = 0;  // 0 is Sunday
  WORD wDay = 0;
  WORD wHour = 0;
  WORD wMinute = 0;
  WORD wSecond = 0;
  WORD wMilliseconds = 0;
};

SYSTEMTIME DateTimeToSystemTime(TDateTime value);
// The date and time a system time names; false for a date that does not exist.
bool TrySystemTimeToDateTime(const SYSTEMTIME& st, TDateTime& value);

// What DTM_GETSYSTEMTIME answers and DTM_SETSYSTEMTIME and DTN_DATETIMECHANGE carry.
constexpr LRESULT GDT_ERROR = -1;
constexpr LRESULT GDT_VALID = 0;
constexpr LRESULT GDT_NONE = 1;
// DTM_GETRANGE / DTM_SETRANGE and the calendar's range: which of the two limits are set.
constexpr WPARAM GDTR_MIN = 1;
constexpr WPARAM GDTR_MAX = 2;

constexpr UINT DTM_FIRST = 0x1000;
constexpr UINT DTM_GETSYSTEMTIME = DTM_FIRST + 1;
constexpr UINT DTM_SETSYSTEMTIME = DTM_FIRST + 2;
constexpr UINT DTM_GETRANGE = DTM_FIRST + 3;
constexpr UINT DTM_SETRANGE = DTM_FIRST + 4;
constexpr UINT DTM_GETMONTHCAL = DTM_FIRST + 8;
constexpr UINT DTM_CLOSEMONTHCAL = DTM_FIRST + 13;
constexpr UINT DTM_SETFORMATW = DTM_FIRST + 50;

// Notification codes of WM_NOTIFY are negative numbers carried in an unsigned code.
constexpr UINT DTN_FIRST = 0U - 740U;
constexpr UINT DTN_FIRST2 = 0U - 753U;
constexpr UINT DTN_CLOSEUP = DTN_FIRST2;
constexpr UINT DTN_DROPDOWN = DTN_FIRST2 - 1;
constexpr UINT DTN_USERSTRINGA = DTN_FIRST2 - 5;
constexpr UINT DTN_DATETIMECHANGE = DTN_FIRST2 - 6;
constexpr UINT DTN_USERSTRINGW = DTN_FIRST - 5;

struct NMDATETIMECHANGE {
  NMHDR nmhdr;
  DWORD dwFlags = 0;  // GDT_VALID, or GDT_NONE when the check box was cleared
  SYSTEMTIME st;
};

// DTN_USERSTRINGW: the text the user typed; the handler answers the date in st and GDT_VALID or
// GDT_ERROR in dwFlags.
struct NMDATETIMESTRINGW {
  NMHDR nmhdr;
  const char16_t* pszUserString = nullptr;
  SYSTEMTIME st;
  DWORD dwFlags = 0;
};

// The month calendar's window styles and messages.
constexpr DWORD MCS_WEEKNUMBERS = 0x0004;
constexpr DWORD MCS_NOTODAYCIRCLE = 0x0008;
constexpr DWORD MCS_NOTODAY = 0x0010;
constexpr UINT MCM_FIRST = 0x1000;
constexpr UINT MCM_GETCURSEL = MCM_FIRST + 1;
constexpr UINT MCM_SETCURSEL = MCM_FIRST + 2;
constexpr UINT MCM_GETMINREQRECT = MCM_FIRST + 9;
constexpr UINT MCM_SETTODAY = MCM_FIRST + 12;
constexpr UINT MCM_GETTODAY = MCM_FIRST + 13;
constexpr UINT MCM_GETRANGE = MCM_FIRST + 17;
constexpr UINT MCM_SETRANGE = MCM_FIRST + 18;

DECLARE_EXCEPTION(EDateTimeError, Exception)

// --- The month calendar --------------------------------------------------------------------------

// One month as a grid of days (weeks start on Monday), with the month's name between arrows that
// turn the months, and today's date below. Arrows, PageUp/PageDown and a click move the date;
// MinDate/MaxDate (0: none) bound it. The window styles MCS_WEEKNUMBERS, MCS_NOTODAY and
// MCS_NOTODAYCIRCLE are read from its window whenever it lays itself out, so a caller may change
// them through the window.
class TMonthCalendar : public TCustomControl {
 public:
  explicit TMonthCalendar(TComponent* owner);
  TDateTime Date() const { return FDate; }
  void SetDate(TDateTime value);
  TDateTime MinDate() const { return FMinDate; }
  void SetMinDate(TDateTime value);
  TDateTime MaxDate() const { return FMaxDate; }
  void SetMaxDate(TDateTime value);
  // Today's date as the calendar marks it (the system's by default).
  TDateTime Today() const { return FToday; }
  void SetToday(TDateTime value);
  bool WeekNumbers() const { return HasStyle(MCS_WEEKNUMBERS); }
  void SetWeekNumbers(bool value) { SetStyleBit(MCS_WEEKNUMBERS, value); }
  bool ShowToday() const { return !HasStyle(MCS_NOTODAY); }
  void SetShowToday(bool value) { SetStyleBit(MCS_NOTODAY, !value); }
  bool ShowTodayCircle() const { return !HasStyle(MCS_NOTODAYCIRCLE); }
  void SetShowTodayCircle(bool value) { SetStyleBit(MCS_NOTODAYCIRCLE, !value); }
  // The month shown (its first day).
  TDateTime ShownMonth() const { return FShownMonth; }
  // The smallest size that shows a whole month.
  TRect MinReqRect();
  // Where things are, in client coordinates: a day of the shown month, the arrows, today's line.
  TRect DayRect(TDateTime day);
  TRect PrevButtonRect();
  TRect NextButtonRect();
  TRect TodayRect();
  // The day at a client point (0 when none).
  TDateTime DayAtPos(TPoint point);

  // The user moved the date; OnSelect when the user chose it with a click, Enter or the today line.
  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  bool HasStyle(DWORD bit) const;
  void SetStyleBit(DWORD bit, bool on);
  TDateTime Clamp(TDateTime day) const;
  void MoveByUser(TDateTime day);
  void ShowMonthOf(TDateTime day);
  void TurnMonths(int months);
  int CellWidth() const { return 24; }
  int CellHeight() const { return 17; }
  int GridLeft() const;
  TDateTime FirstCell() const;

  TDateTime FDate = 0;
  TDateTime FShownMonth = 0;
  TDateTime FMinDate = 0;
  TDateTime FMaxDate = 0;
  TDateTime FToday = 0;
  DWORD FStyle = 0;  // the MCS_* bits while there is no window
};

// --- The date-time picker ------------------------------------------------------------------------

enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateMode { dmComboBox, dmUpDown };
enum TDTDateFormat { dfShort, dfLong };
using TDTParseInputEvent = std::function<void(TObject* sender, const String& userString,
                                              TDateTime& dateAndTime, bool& allowChange)>;

class TPickerCalendar;

// A date or a time shown as fields (day, month, year; hours, minutes, seconds) by Format, or by
// the short date or long time format when Format is empty. Left and Right choose a field; Up and
// Down step it; digits type it. A date drops a month calendar (F4, Alt+Down, a click on the button)
// or, in dmUpDown mode, shows arrows that step the field. MinDate and MaxDate (0: none) bound the
// date: the user cannot leave the range and the program is refused (EDateTimeError) outside it.
// With ShowCheckbox a check box in front says whether there is a value at all (Checked). With
// ParseInput, F2 lets the user type the value as free text; Enter hands it to the parent in
// DTN_USERSTRINGW, and the picker itself reads it with OnUserInput (or as a date and time of the
// settings when there is no handler).
// Changes are announced to the parent in WM_NOTIFY (DTN_*), and OnChange, OnDropDown and
// OnCloseUp fire when they come back.
class TDateTimePicker : public TCustomControl {
 public:
  explicit TDateTimePicker(TComponent* owner);
  ~TDateTimePicker() override;

  TDateTime DateTime() const { return FDateTime; }
  void SetDateTime(TDateTime value);
  // The date part (the time of day kept) and the time part (the date kept).
  TDateTime Date() const;
  void SetDate(TDateTime value);
  TDateTime Time() const;
  void SetTime(TDateTime value);
  TDateTimeKind Kind() const { return FKind; }
  void SetKind(TDateTimeKind value);
  TDTDateMode DateMode() const { return FDateMode; }
  void SetDateMode(TDTDateMode value);
  TDTDateFormat DateFormat() const { return FDateFormat; }
  void SetDateFormat(TDTDateFormat value);
  // The fields: d, dd (day), ddd, dddd (weekday, shown only), M, MM, MMM, MMMM (month), yy, yyyy
  // (year), h, hh (12-hour), H, HH (24-hour), m, mm (minutes), s, ss (seconds), t, tt (AM/PM);
  // text in single quotes and other characters show as they are.
  const String& Format() const { return FFormat; }
  void SetFormat(const String& value);
  TDateTime MinDate() const { return FMinDate; }
  void SetMinDate(TDateTime value);
  TDateTime MaxDate() const { return FMaxDate; }
  void SetMaxDate(TDateTime value);
  bool ShowCheckbox() const { return FShowCheckbox; }
  void SetShowCheckbox(bool value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool value);
  bool ParseInput() const { return FParseInput; }
  void SetParseInput(bool value) { FParseInput = value; }
  // Whether the user is typing free text (ParseInput), and the text so far.
  bool EditingText() const { return FEditingText; }
  const String& UserText() const { return FUserText; }
  bool DroppedDown() const;
  void SetDroppedDown(bool value);
  // The dropped calendar (nullptr while closed).
  TMonthCalendar* MonthCalendar() const;
  // The text as shown, and the field the keys work on (-1: none).
  String DisplayText() const;
  int CurrentField() const { return FField; }
  // The client rectangles of the check box and the drop-down or up-down button.
  TRect CheckboxRect();
  TRect ButtonRect();

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDTParseInputEvent OnUserInput;
  void Dispatch(TMessage& message) override;

 protected:
  virtual void Change();
  virtual void DropDown();
  virtual void CloseUp();
  // DTM_SETSYSTEMTIME's work: a value (GDT_VALID) or no value (GDT_NONE); false when refused.
  virtual bool MsgSetDateTime(const SYSTEMTIME& value, LRESULT flag);
  // Sends a DTN_* notification to the parent (or straight back to the picker without one).
  LRESULT Notify(NMHDR& header);
  void Paint() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoExit() override;

 private:
  friend class TPickerCalendar;
  enum TFieldKind { fkLiteral, fkDay, fkWeekday, fkMonth, fkYear, fkHour12, fkHour24, fkMinute,
                    fkSecond, fkAmPm };
  struct TField {
    TFieldKind Kind = fkLiteral;
    int Width = 0;  // how many letters named it
    String Text;    // a literal's text
  };
  void ParseFormat();
  String FieldText(const TField& field) const;
  bool Editable(int index) const;
  void MoveField(int step);
  void StepField(int step);
  void TypeDigit(int digit);
  // Applies a value the user made: bounded by the range, announced when it changed.
  void ChangeByUser(TDateTime value);
  void CheckByUser(bool value);
  void NotifyChange();
  TDateTime Bounded(TDateTime value) const;
  void CheckRange(TDateTime value) const;
  void CalendarChose(TDateTime day, bool close);
  void BeginUserText();
  void EndUserText(bool commit);
  void UserStringNotified(NMDATETIMESTRINGW& request);
  bool UserTextKeyDown(WORD key);
  int FieldAtX(int x);
  TRect TextRect();

  TDateTime FDateTime = 0;
  TDateTimeKind FKind = dtkDate;
  TDTDateMode FDateMode = dmComboBox;
  TDTDateFormat FDateFormat = dfShort;
  String FFormat;
  TDateTime FMinDate = 0;
  TDateTime FMaxDate = 0;
  bool FShowCheckbox = false;
  bool FChecked = true;
  bool FParseInput = false;
  bool FEditingText = false;
  String FUserText;
  std::vector<TField> FFields;
  int FField = -1;
  int FTypedDigits = 0;  // digits typed into the current field so far
  int FTypedValue = 0;
  std::unique_ptr<TPickerCalendar> FCalendar;
};

// --- The track bar -------------------------------------------------------------------------------

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTickStyle { tsNone, tsAuto, tsManual };

// A slider: Position between Min and Max, moved by the arrows (LineSize), PageUp/PageDown
// (PageSize), Home/End, a click beside the thumb (a page) and dragging the thumb. A change of
// Position fires OnChange.
class TTrackBar : public TCustomControl {
 public:
  explicit TTrackBar(TComponent* owner);
  int Min() const { return FMin; }
  void SetMin(int value);
  int Max() const { return FMax; }
  void SetMax(int value);
  void SetRange(int min, int max);
  int Position() const { return FPosition; }
  void SetPosition(int value);
  int Frequency() const { return FFrequency; }
  void SetFrequency(int value);
  int LineSize() const { return FLineSize; }
  void SetLineSize(int value) { FLineSize = std::max(value, 1); }
  int PageSize() const { return FPageSize; }
  void SetPageSize(int value) { FPageSize = std::max(value, 1); }
  TTrackBarOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TTrackBarOrientation value);
  TTickStyle TickStyle() const { return FTickStyle; }
  void SetTickStyle(TTickStyle value);
  TTickMark TickMarks() const { return FTickMarks; }
  void SetTickMarks(TTickMark value);
  // The thumb's client rectangle.
  TRect ThumbRect();

  TNotifyEvent OnChange;
  void Dispatch(TMessage& message) override;

 protected:
  virtual void Change();
  void Paint() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  void MoveByUser(int value);
  int ChannelLength();
  int PositionAt(int pixel);
  int PixelOf(int position);

  int FMin = 0;
  int FMax = 10;
  int FPosition = 0;
  int FFrequency = 1;
  int FLineSize = 1;
  int FPageSize = 2;
  TTrackBarOrientation FOrientation = trHorizontal;
  TTickStyle FTickStyle = tsAuto;
  TTickMark FTickMarks = tmBottomRight;
  bool FDragging = false;
  int FDragOffset = 0;
};
