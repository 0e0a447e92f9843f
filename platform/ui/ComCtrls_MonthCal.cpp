// TMonthCalendar: one month of days, its arrows and today's line; the date moved by keys and
// clicks, bounded by a range.
#include <algorithm>
#include <cmath>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumberText.h"
#include "platform/ui/ComCtrls.h"
#include "platform/win/VirtualKeys.h"
#include "platform/win/WindowStyles.h"

namespace {
constexpr int kMargin = 4;
constexpr int kTitleHeight = 22;
constexpr int kWeeks = 6;


TDateTime FirstOfMonth(TDateTime day) {
  uint16_t y, m, d;
  DecodeDate(day, y, m, d);
  return EncodeDate(y, m, 1);
}

// The same day some months later, on the month's last day when the month is shorter.
TDateTime AddMonths(TDateTime day, int months) {
  uint16_t y, m, d;
  DecodeDate(day, y, m, d);
  int total = y * 12 + (m - 1) + months;
  int year = std::clamp(total / 12, 1, 9999);
  auto month = static_cast<uint16_t>(total % 12 + 1);
  auto year16 = static_cast<uint16_t>(year);
  return EncodeDate(year16, month, std::min(d, DaysInAMonth(year16, month)));
}

// ISO week number: the week with the year's first Thursday is week 1.
int WeekNumber(TDateTime monday) {
  TDateTime thursday = monday + 3;
  uint16_t y, m, d;
  DecodeDate(thursday, y, m, d);
  return static_cast<int>((thursday - EncodeDate(y, 1, 1)) / 7) + 1;
}
}  // namespace

SYSTEMTIME DateTimeToSystemTime(TDateTime value) {
  SYSTEMTIME st;
  uint16_t y, mo, d, h, mi, s, ms;
  DecodeDateTime(value, y, mo, d, h, mi, s, ms);
  st.wYear = y;
  st.wMonth = mo;
  st.wDay = d;
  st.wDayOfWeek = static_cast<WORD>(DayOfWeek(value) - 1);
  st.wHour = h;
  st.wMinute = mi;
  st.wSecond = s;
  st.wMilliseconds = ms;
  return st;
}

bool TrySystemTimeToDateTime(const SYSTEMTIME& st, TDateTime& value) {
  TDateTime date;
  TDateTime time;
  if (!TryEncodeDate(st.wYear, st.wMonth, st.wDay, date)) return false;
  if (!TryEncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, time)) return false;
  value = date >= 0 ? date + time : date - time;
  return true;
}

TMonthCalendar::TMonthCalendar(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(ControlStyle() << csOpaque >> csClickEvents);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  FToday = WholeDay(::Date());
  FDate = FToday;
  FShownMonth = FirstOfMonth(FDate);
  TRect size = MinReqRect();
  SetBounds(Left(), Top(), size.Width(), size.Height());
}

void TMonthCalendar::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style |= FStyle;
}

bool TMonthCalendar::HasStyle(DWORD bit) const {
  auto* self = const_cast<TMonthCalendar*>(this);
  if (self->HandleAllocated())
    return (static_cast<DWORD>(GetWindowLongPtr(self->Handle(), GWL_STYLE)) & bit) != 0;
  return (FStyle & bit) != 0;
}

void TMonthCalendar::SetStyleBit(DWORD bit, bool on) {
  FStyle = on ? (FStyle | bit) : (FStyle & ~bit);
  if (HandleAllocated()) {
    auto style = static_cast<DWORD>(GetWindowLongPtr(Handle(), GWL_STYLE));
    SetWindowLongPtr(Handle(), GWL_STYLE, static_cast<LONG_PTR>(on ? (style | bit) : (style & ~bit)));
  }
  Invalidate();
}

TDateTime TMonthCalendar::Clamp(TDateTime day) const {
  day = WholeDay(day);
  if (FMinDate != 0 && day < WholeDay(FMinDate)) day = WholeDay(FMinDate);
  if (FMaxDate != 0 && day > WholeDay(FMaxDate)) day = WholeDay(FMaxDate);
  return day;
}

void TMonthCalendar::SetDate(TDateTime value) {
  FDate = Clamp(value);
  ShowMonthOf(FDate);
  Invalidate();
}

void TMonthCalendar::SetMinDate(TDateTime value) {
  FMinDate = value;
  SetDate(FDate);
}

void TMonthCalendar::SetMaxDate(TDateTime value) {
  FMaxDate = value;
  SetDate(FDate);
}

void TMonthCalendar::SetToday(TDateTime value) {
  FToday = WholeDay(value);
  Invalidate();
}

void TMonthCalendar::ShowMonthOf(TDateTime day) { FShownMonth = FirstOfMonth(day); }

void TMonthCalendar::TurnMonths(int months) {
  FShownMonth = AddMonths(FShownMonth, months);
  Invalidate();
}

void TMonthCalendar::MoveByUser(TDateTime day) {
  day = Clamp(day);
  ShowMonthOf(day);
  Invalidate();
  if (day == FDate) return;
  FDate = day;
  if (OnChange) OnChange(this);
}

// --- Layout --------------------------------------------------------------------------------------

int TMonthCalendar::GridLeft() const {
  return kMargin + (HasStyle(MCS_WEEKNUMBERS) ? CellWidth() : 0);
}

TDateTime TMonthCalendar::FirstCell() const {
  int mondayBased = (DayOfWeek(FShownMonth) + 5) % 7;  // DayOfWeek: 1 is Sunday
  return FShownMonth - mondayBased;
}

TRect TMonthCalendar::MinReqRect() {
  int width = GridLeft() + 7 * CellWidth() + kMargin;
  int height = kTitleHeight + (kWeeks + 1) * CellHeight() + kMargin;
  if (!HasStyle(MCS_NOTODAY)) height += CellHeight() + 2;
  return Rect(0, 0, width, height);
}

TRect TMonthCalendar::DayRect(TDateTime day) {
  auto cell = static_cast<int>(WholeDay(day) - FirstCell());
  if (cell < 0 || cell >= kWeeks * 7) return Rect(0, 0, 0, 0);
  int left = GridLeft() + (cell % 7) * CellWidth();
  int top = kTitleHeight + CellHeight() * (1 + cell / 7);
  return Rect(left, top, left + CellWidth(), top + CellHeight());
}

TRect TMonthCalendar::PrevButtonRect() { return Rect(kMargin, 3, kMargin + 16, 19); }

TRect TMonthCalendar::NextButtonRect() {
  int right = MinReqRect().Width() - kMargin;
  return Rect(right - 16, 3, right, 19);
}

TRect TMonthCalendar::TodayRect() {
  if (HasStyle(MCS_NOTODAY)) return Rect(0, 0, 0, 0);
  int top = kTitleHeight + (kWeeks + 1) * CellHeight() + 2;
  return Rect(kMargin, top, MinReqRect().Width() - kMargin, top + CellHeight());
}

TDateTime TMonthCalendar::DayAtPos(TPoint point) {
  int gridTop = kTitleHeight + CellHeight();
  int column = (point.X - GridLeft()) / CellWidth();
  int row = (point.Y - gridTop) / CellHeight();
  if (point.X < GridLeft() || point.Y < gridTop || column >= 7 || row >= kWeeks) return 0;
  return FirstCell() + row * 7 + column;
}

// --- Input ---------------------------------------------------------------------------------------

void TMonthCalendar::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  switch (key) {
    case VK_LEFT: MoveByUser(FDate - 1); break;
    case VK_RIGHT: MoveByUser(FDate + 1); break;
    case VK_UP: MoveByUser(FDate - 7); break;
    case VK_DOWN: MoveByUser(FDate + 7); break;
    case VK_PRIOR: MoveByUser(AddMonths(FDate, shift.Contains(ssCtrl) ? -12 : -1)); break;
    case VK_NEXT: MoveByUser(AddMonths(FDate, shift.Contains(ssCtrl) ? 12 : 1)); break;
    case VK_HOME: MoveByUser(FirstOfMonth(FDate)); break;
    case VK_END: MoveByUser(AddMonths(FirstOfMonth(FDate), 1) - 1); break;
    case VK_RETURN:
      if (OnSelect) OnSelect(this);
      break;
    default: return;
  }
  key = 0;
}

void TMonthCalendar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  TPoint p{x, y};
  if (PtInRect(PrevButtonRect(), p)) {
    TurnMonths(-1);
  } else if (PtInRect(NextButtonRect(), p)) {
    TurnMonths(1);
  } else if (PtInRect(TodayRect(), p)) {
    MoveByUser(FToday);
    if (FDate == FToday && OnSelect) OnSelect(this);
  } else if (TDateTime day = DayAtPos(p); day != 0) {
    // A day outside the range is not chosen: the date only moves towards it.
    MoveByUser(day);
    if (FDate == WholeDay(day) && OnSelect) OnSelect(this);
  }
}

void TMonthCalendar::Dispatch(TMessage& message) {
  auto* st = reinterpret_cast<SYSTEMTIME*>(message.LParam);
  switch (message.Msg) {
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS; return;
    case MCM_GETCURSEL:
      if (st) *st = DateTimeToSystemTime(FDate);
      message.Result = st ? 1 : 0;
      return;
    case MCM_SETCURSEL: {
      TDateTime value;
      message.Result = st && TrySystemTimeToDateTime(*st, value) ? 1 : 0;
      if (message.Result) SetDate(value);
      return;
    }
    case MCM_GETTODAY:
      if (st) *st = DateTimeToSystemTime(FToday);
      message.Result = st ? 1 : 0;
      return;
    case MCM_SETTODAY: {
      TDateTime value;
      if (st && TrySystemTimeToDateTime(*st, value)) SetToday(value);
      message.Result = 0;
      return;
    }
    case MCM_GETMINREQRECT:
      if (auto* rect = reinterpret_cast<TRect*>(message.LParam)) *rect = MinReqRect();
      message.Result = message.LParam ? 1 : 0;
      return;
    case MCM_GETRANGE: {
      WPARAM flags = 0;
      if (st && FMinDate != 0) {
        st[0] = DateTimeToSystemTime(FMinDate);
        flags |= GDTR_MIN;
      }
      if (st && FMaxDate != 0) {
        st[1] = DateTimeToSystemTime(FMaxDate);
        flags |= GDTR_MAX;
      }
      message.Result = static_cast<LRESULT>(flags);
      return;
    }
    case MCM_SETRANGE: {
      TDateTime low = 0;
      TDateTime high = 0;
      if (st && (message.WParam & GDTR_MIN) && !TrySystemTimeToDateTime(st[0], low)) low = 0;
      if (st && (message.WParam & GDTR_MAX) && !TrySystemTimeToDateTime(st[1], high)) high = 0;
      FMinDate = low;
      FMaxDate = high;
      SetDate(FDate);
      message.Result = 1;
      return;
    }
    default: break;
  }
  TCustomControl::Dispatch(message);
}

// --- Painting ------------------------------------------------------------------------------------

void TMonthCalendar::Paint() {
  TCanvas* canvas = Canvas();
  const TFormatSettings& settings = FormatSettings();
  TRect client = ClientRect();
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(client);
  canvas->Font()->Assign(Font());
  // Text goes through the canvas, so its colour and clear background reach the context.
  auto centred = [canvas](const TRect& r, const String& text, TColor color) {
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(color);
    TSize size = canvas->TextExtent(text);
    canvas->TextOut(r.Left + (r.Width() - size.cx) / 2, r.Top + (r.Height() - size.cy) / 2, text);
  };

  // The title: the arrows and the month's name.
  TRect title = Rect(0, 0, client.Right, kTitleHeight);
  canvas->Brush()->SetColor(clBtnFace);
  canvas->FillRect(title);
  TRect prev = PrevButtonRect();
  TRect next = NextButtonRect();
  DrawFrameControl(canvas->Handle(), prev, DFC_SCROLL, DFCS_SCROLLLEFT | DFCS_FLAT);
  DrawFrameControl(canvas->Handle(), next, DFC_SCROLL, DFCS_SCROLLRIGHT | DFCS_FLAT);
  uint16_t year, month, day;
  DecodeDate(FShownMonth, year, month, day);
  centred(title, settings.LongMonthNames[month - 1] + u" " + IntToStr(year), Font()->Color());

  // The names of the days, Monday first, two letters each to fit their column.
  for (int column = 0; column < 7; ++column) {
    int left = GridLeft() + column * CellWidth();
    TRect r = Rect(left, kTitleHeight, left + CellWidth(), kTitleHeight + CellHeight());
    centred(r, settings.ShortDayNames[(column + 1) % 7].substr(0, 2), Font()->Color());
  }

  TDateTime first = FirstCell();
  for (int cell = 0; cell < kWeeks * 7; ++cell) {
    TDateTime date = first + cell;
    TRect r = DayRect(date);
    if (cell % 7 == 0 && HasStyle(MCS_WEEKNUMBERS))
      centred(Rect(kMargin, r.Top, GridLeft(), r.Bottom), IntToStr(WeekNumber(date)), clGrayText);
    DecodeDate(date, year, month, day);
    bool inMonth = FirstOfMonth(date) == FShownMonth;
    bool inRange = Clamp(date) == date;
    TColor color = inMonth && inRange ? Font()->Color() : clGrayText;
    if (date == FDate) {
      canvas->Brush()->SetColor(clHighlight);
      canvas->Brush()->SetStyle(bsSolid);
      canvas->FillRect(r);
      color = clHighlightText;
    }
    centred(r, IntToStr(day), color);
    if (date == FToday && !HasStyle(MCS_NOTODAYCIRCLE)) {
      canvas->Brush()->SetColor(clRed);
      canvas->Brush()->SetStyle(bsSolid);
      canvas->FrameRect(r);
    }
  }

  if (!HasStyle(MCS_NOTODAY)) {
    TRect today = TodayRect();
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(Font()->Color());
    canvas->TextOut(today.Left + 2, today.Top + (today.Height() - canvas->TextHeight(u"0")) / 2,
                    DateToStr(FToday));
  }
}
