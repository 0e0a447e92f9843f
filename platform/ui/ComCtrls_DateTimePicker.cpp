// TDateTimePicker: the value and its range, the fields a format makes, and the keys that move
// between fields, step them and type them.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cwctype>

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumberText.h"
#include "platform/ui/ComCtrls.h"
#include "platform/win/VirtualKeys.h"

namespace {
TDateTime TimeOfDay(TDateTime value) { return value - std::floor(value); }

String Padded(int value, int width) {
  String text = IntToStr(value);
  while (static_cast<int>(text.size()) < width) text.insert(text.begin(), u'0');
  return text;
}

// The picker's format letters for one written with the class library's date and time letters
// (m is the month in a date and n the minute; h counts 24 hours unless an AM/PM letter is there;
// / and : are the separators of the settings).
String PickerFormatOf(const String& format, bool date, const TFormatSettings& settings) {
  String lower = format;
  for (char16_t& ch : lower) ch = static_cast<char16_t>(ch < 128 ? std::tolower(ch) : ch);
  bool twelveHours = lower.find(u"am/pm") != String::npos || lower.find(u"a/p") != String::npos ||
                     lower.find(u"ampm") != String::npos;
  String out;
  for (size_t i = 0; i < format.size(); ++i) {
    char16_t ch = format[i];
    char16_t low = static_cast<char16_t>(ch < 128 ? std::tolower(ch) : ch);
    if (ch == u'\'' || ch == u'"') {
      size_t end = format.find(ch, i + 1);
      if (end == String::npos) end = format.size();
      out += u'\'' + format.substr(i + 1, end - i - 1) + u'\'';
      i = end;
    } else if (low == u'a' && lower.compare(i, 5, u"am/pm") == 0) {
      out += u"tt";
      i += 4;
    } else if (low == u'a' && lower.compare(i, 4, u"ampm") == 0) {
      out += u"tt";
      i += 3;
    } else if (low == u'a' && lower.compare(i, 3, u"a/p") == 0) {
      out += u't';
      i += 2;
    } else if (low == u'm') {
      out += date ? u'M' : u'm';
    } else if (low == u'n') {
      out += u'm';
    } else if (low == u'h') {
      out += twelveHours ? u'h' : u'H';
    } else if (low == u'd' || low == u'y' || low == u's') {
      out += low;
    } else if (ch == u'/') {
      out += settings.DateSeparator;
    } else if (ch == u':') {
      out += settings.TimeSeparator;
    } else if (std::isalpha(ch < 128 ? ch : 0)) {
      out += u'\'' + String(1, ch) + u'\'';  // a letter the picker would read as a field
    } else {
      out += ch;
    }
  }
  return out;
}
}  // namespace

// --- Value and range -----------------------------------------------------------------------------

TDateTime TDateTimePicker::Date() const { return WholeDay(FDateTime); }
TDateTime TDateTimePicker::Time() const { return TimeOfDay(FDateTime); }

void TDateTimePicker::SetDateTime(TDateTime value) {
  CheckRange(value);
  SYSTEMTIME st = DateTimeToSystemTime(value);
  MsgSetDateTime(st, GDT_VALID);
}

void TDateTimePicker::SetDate(TDateTime value) { SetDateTime(WholeDay(value) + Time()); }

void TDateTimePicker::SetTime(TDateTime value) { SetDateTime(Date() + TimeOfDay(value)); }

void TDateTimePicker::CheckRange(TDateTime value) const {
  if (FMinDate != 0 && WholeDay(value) < WholeDay(FMinDate))
    throw EDateTimeError(u"Date is less than minimum of " + DateToStr(FMinDate));
  if (FMaxDate != 0 && WholeDay(value) > WholeDay(FMaxDate))
    throw EDateTimeError(u"Date exceeds maximum of " + DateToStr(FMaxDate));
}

TDateTime TDateTimePicker::Bounded(TDateTime value) const {
  if (FMinDate != 0 && WholeDay(value) < WholeDay(FMinDate)) value = WholeDay(FMinDate) + TimeOfDay(value);
  if (FMaxDate != 0 && WholeDay(value) > WholeDay(FMaxDate)) value = WholeDay(FMaxDate) + TimeOfDay(value);
  return value;
}

void TDateTimePicker::SetMinDate(TDateTime value) {
  if (value != 0 && FMaxDate != 0 && WholeDay(value) > WholeDay(FMaxDate))
    throw EDateTimeError(u"The minimum date is after the maximum date " + DateToStr(FMaxDate));
  FMinDate = value;
  FDateTime = Bounded(FDateTime);
  Invalidate();
}

void TDateTimePicker::SetMaxDate(TDateTime value) {
  if (value != 0 && FMinDate != 0 && WholeDay(value) < WholeDay(FMinDate))
    throw EDateTimeError(u"The maximum date is before the minimum date " + DateToStr(FMinDate));
  FMaxDate = value;
  FDateTime = Bounded(FDateTime);
  Invalidate();
}

bool TDateTimePicker::MsgSetDateTime(const SYSTEMTIME& value, LRESULT flag) {
  if (flag == GDT_NONE) {
    if (!FShowCheckbox) return false;
    FChecked = false;
    Invalidate();
    return true;
  }
  TDateTime converted;
  if (flag != GDT_VALID || !TrySystemTimeToDateTime(value, converted)) return false;
  FDateTime = Bounded(converted);
  FChecked = true;
  Invalidate();
  return true;
}

void TDateTimePicker::SetChecked(bool value) {
  if (!FShowCheckbox) {
    FChecked = value;
    return;
  }
  // Through the message, so a window procedure that watches it sees the box cleared.
  SYSTEMTIME st = DateTimeToSystemTime(FDateTime);
  Perform(DTM_SETSYSTEMTIME, value ? GDT_VALID : GDT_NONE, reinterpret_cast<LPARAM>(&st));
}

void TDateTimePicker::SetShowCheckbox(bool value) {
  FShowCheckbox = value;
  if (!value) FChecked = true;
  Invalidate();
}

void TDateTimePicker::SetKind(TDateTimeKind value) {
  if (value == FKind) return;
  SetDroppedDown(false);
  FKind = value;
  ParseFormat();
  Invalidate();
}

void TDateTimePicker::SetDateMode(TDTDateMode value) {
  SetDroppedDown(false);
  FDateMode = value;
  Invalidate();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat value) {
  FDateFormat = value;
  ParseFormat();
  Invalidate();
}

void TDateTimePicker::SetFormat(const String& value) {
  FFormat = value;
  ParseFormat();
  Invalidate();
}

// --- Fields --------------------------------------------------------------------------------------

void TDateTimePicker::ParseFormat() {
  const TFormatSettings& settings = FormatSettings();
  String format = FFormat;
  if (format.empty()) {
    if (FKind == dtkTime)
      format = PickerFormatOf(settings.LongTimeFormat, false, settings);
    else
      format = PickerFormatOf(FDateFormat == dfLong ? settings.LongDateFormat : settings.ShortDateFormat,
                              true, settings);
  }
  FFields.clear();
  for (size_t i = 0; i < format.size();) {
    char16_t ch = format[i];
    if (ch == u'\'') {
      size_t end = format.find(u'\'', i + 1);
      if (end == String::npos) end = format.size();
      FFields.push_back({fkLiteral, 0, format.substr(i + 1, end - i - 1)});
      i = end + 1;
      continue;
    }
    size_t run = 1;
    while (i + run < format.size() && format[i + run] == ch) ++run;
    auto width = static_cast<int>(run);
    TFieldKind kind = fkLiteral;
    switch (ch) {
      case u'd': kind = run >= 3 ? fkWeekday : fkDay; break;
      case u'M': kind = fkMonth; break;
      case u'y': kind = fkYear; break;
      case u'h': kind = fkHour12; break;
      case u'H': kind = fkHour24; break;
      case u'm': kind = fkMinute; break;
      case u's': kind = fkSecond; break;
      case u't': kind = fkAmPm; break;
      default: break;
    }
    if (kind == fkLiteral)
      FFields.push_back({fkLiteral, 0, format.substr(i, run)});
    else
      FFields.push_back({kind, std::min(width, kind == fkYear ? 4 : kind == fkWeekday || kind == fkMonth ? 4 : 2), String()});
    i += run;
  }
  FField = -1;
  for (int index = 0; index < static_cast<int>(FFields.size()); ++index)
    if (Editable(index)) {
      FField = index;
      break;
    }
  FTypedDigits = 0;
}

bool TDateTimePicker::Editable(int index) const {
  if (index < 0 || index >= static_cast<int>(FFields.size())) return false;
  TFieldKind kind = FFields[static_cast<size_t>(index)].Kind;
  return kind != fkLiteral && kind != fkWeekday;
}

String TDateTimePicker::FieldText(const TField& field) const {
  const TFormatSettings& settings = FormatSettings();
  uint16_t y, mo, d, h, mi, s, ms;
  DecodeDateTime(FDateTime, y, mo, d, h, mi, s, ms);
  int padded = field.Width >= 2 ? 2 : 1;
  switch (field.Kind) {
    case fkLiteral: return field.Text;
    case fkDay: return Padded(d, padded);
    case fkWeekday: {
      int day = DayOfWeek(FDateTime) - 1;
      return field.Width == 3 ? settings.ShortDayNames[day] : settings.LongDayNames[day];
    }
    case fkMonth:
      if (field.Width == 3) return settings.ShortMonthNames[mo - 1];
      if (field.Width == 4) return settings.LongMonthNames[mo - 1];
      return Padded(mo, padded);
    case fkYear: return field.Width <= 2 ? Padded(y % 100, 2) : Padded(y, 4);
    case fkHour12: return Padded(h % 12 == 0 ? 12 : h % 12, padded);
    case fkHour24: return Padded(h, padded);
    case fkMinute: return Padded(mi, padded);
    case fkSecond: return Padded(s, padded);
    case fkAmPm: {
      String text = h < 12 ? settings.TimeAMString : settings.TimePMString;
      return field.Width == 1 ? text.substr(0, 1) : text;
    }
  }
  return String();
}

String TDateTimePicker::DisplayText() const {
  String text;
  for (const TField& field : FFields) text += FieldText(field);
  return text;
}

void TDateTimePicker::MoveField(int step) {
  FTypedDigits = 0;
  for (int index = FField + step; index >= 0 && index < static_cast<int>(FFields.size()); index += step)
    if (Editable(index)) {
      FField = index;
      break;
    }
  Invalidate();
}

void TDateTimePicker::StepField(int step) {
  if (!Editable(FField)) return;
  FTypedDigits = 0;
  uint16_t y, mo, d, h, mi, s, ms;
  DecodeDateTime(FDateTime, y, mo, d, h, mi, s, ms);
  auto wrap = [](int value, int low, int high) {
    int span = high - low + 1;
    return static_cast<uint16_t>(((value - low) % span + span) % span + low);
  };
  switch (FFields[static_cast<size_t>(FField)].Kind) {
    case fkDay: d = wrap(d + step, 1, DaysInAMonth(y, mo)); break;
    case fkMonth: mo = wrap(mo + step, 1, 12); break;
    case fkYear: y = static_cast<uint16_t>(std::clamp(y + step, 1, 9999)); break;
    case fkHour12:
    case fkHour24: h = wrap(h + step, 0, 23); break;
    case fkMinute: mi = wrap(mi + step, 0, 59); break;
    case fkSecond: s = wrap(s + step, 0, 59); break;
    case fkAmPm: h = static_cast<uint16_t>((h + 12) % 24); break;
    default: return;
  }
  d = std::min(d, DaysInAMonth(y, mo));
  ChangeByUser(EncodeDate(y, mo, d) + EncodeTime(h, mi, s, ms));
}

void TDateTimePicker::TypeDigit(int digit) {
  if (!Editable(FField)) return;
  TFieldKind kind = FFields[static_cast<size_t>(FField)].Kind;
  int most = 0;
  int digits = 2;
  switch (kind) {
    case fkDay: most = 31; break;
    case fkMonth: most = 12; break;
    case fkYear: most = 9999; digits = 4; break;
    case fkHour12: most = 12; break;
    case fkHour24: most = 23; break;
    case fkMinute:
    case fkSecond: most = 59; break;
    default: return;
  }
  // A digit that would make the field too large starts it again.
  int value = FTypedDigits > 0 ? FTypedValue * 10 + digit : digit;
  if (value > most) {
    value = digit;
    FTypedDigits = 0;
  }
  FTypedValue = value;
  ++FTypedDigits;
  bool complete = FTypedDigits >= digits || value * 10 > most;
  if (complete) FTypedDigits = 0;

  uint16_t y, mo, d, h, mi, s, ms;
  DecodeDateTime(FDateTime, y, mo, d, h, mi, s, ms);
  switch (kind) {
    case fkDay:
      if (value == 0) return;  // wait for the second digit
      d = static_cast<uint16_t>(std::min<int>(value, DaysInAMonth(y, mo)));
      break;
    case fkMonth:
      if (value == 0) return;
      mo = static_cast<uint16_t>(value);
      break;
    case fkYear:
      // Two digits name a year of this century or the last; four name it whole.
      if (complete && value > 0)
        y = static_cast<uint16_t>(value);
      else if (FTypedDigits == 2 && value < 100)
        y = static_cast<uint16_t>(value < 50 ? 2000 + value : 1900 + value);
      else
        return;
      break;
    case fkHour12: h = static_cast<uint16_t>((h >= 12 ? 12 : 0) + value % 12); break;
    case fkHour24: h = static_cast<uint16_t>(value); break;
    case fkMinute: mi = static_cast<uint16_t>(value); break;
    case fkSecond: s = static_cast<uint16_t>(value); break;
    default: return;
  }
  d = std::min(d, DaysInAMonth(y, mo));
  ChangeByUser(EncodeDate(y, mo, d) + EncodeTime(h, mi, s, ms));
}

void TDateTimePicker::ChangeByUser(TDateTime value) {
  // Editing a field of a cleared picker gives it its value again.
  bool checkedNow = FShowCheckbox && !FChecked;
  if (checkedNow) FChecked = true;
  value = Bounded(value);
  Invalidate();
  if (value == FDateTime && !checkedNow) return;
  FDateTime = value;
  NotifyChange();
}

void TDateTimePicker::CheckByUser(bool value) {
  if (!FShowCheckbox || value == FChecked) return;
  FChecked = value;
  Invalidate();
  NotifyChange();
}

// --- Keys ----------------------------------------------------------------------------------------

void TDateTimePicker::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (FEditingText) {
    if (UserTextKeyDown(key)) key = 0;
    return;
  }
  if (key == VK_F2 && FParseInput && !DroppedDown()) {
    BeginUserText();
    key = 0;
    return;
  }
  if (DroppedDown()) {
    switch (key) {
      case VK_RETURN: CalendarChose(MonthCalendar()->Date(), true); break;
      case VK_ESCAPE:
      case VK_F4: SetDroppedDown(false); break;
      case VK_UP:
      case VK_DOWN:
        if (shift.Contains(ssAlt)) {
          SetDroppedDown(false);
          break;
        }
        [[fallthrough]];
      default: {
        // The calendar moves its own date while it shows.
        WORD forwarded = key;
        MonthCalendar()->Perform(WM_KEYDOWN, forwarded, 0);
        break;
      }
    }
    key = 0;
    return;
  }
  bool canDrop = FKind == dtkDate && FDateMode == dmComboBox;
  switch (key) {
    case VK_LEFT: MoveField(-1); break;
    case VK_RIGHT: MoveField(1); break;
    case VK_HOME: FField = -1; MoveField(1); break;
    case VK_END: FField = static_cast<int>(FFields.size()); MoveField(-1); break;
    case VK_UP:
    case VK_DOWN:
      if (shift.Contains(ssAlt)) {
        if (canDrop) SetDroppedDown(true);
        break;
      }
      StepField(key == VK_UP ? 1 : -1);
      break;
    case VK_PRIOR: StepField(1); break;
    case VK_NEXT: StepField(-1); break;
    case VK_F4:
      if (canDrop) SetDroppedDown(true);
      break;
    default: return;
  }
  key = 0;
}

void TDateTimePicker::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  if (FEditingText) {
    if (key >= 32) FUserText += key;
    Invalidate();
    key = 0;
    return;
  }
  if (key == u' ' && FShowCheckbox) {
    CheckByUser(!FChecked);
  } else if (key >= u'0' && key <= u'9') {
    if (!DroppedDown()) TypeDigit(key - u'0');
  } else if (Editable(FField) && FFields[static_cast<size_t>(FField)].Kind == fkAmPm) {
    // The first letter of the AM or PM text chooses it.
    const TFormatSettings& settings = FormatSettings();
    uint16_t h, mi, s, ms;
    DecodeTime(FDateTime, h, mi, s, ms);
    auto starts = [key](const String& text) {
      return !text.empty() && std::towupper(text[0]) == std::towupper(key);
    };
    if (starts(settings.TimeAMString) && h >= 12) StepField(1);
    else if (starts(settings.TimePMString) && h < 12) StepField(1);
  } else {
    return;
  }
  key = 0;
}

// --- Free text -----------------------------------------------------------------------------------

void TDateTimePicker::BeginUserText() {
  FEditingText = true;
  FUserText = DisplayText();
  Invalidate();
}

bool TDateTimePicker::UserTextKeyDown(WORD key) {
  switch (key) {
    case VK_RETURN: EndUserText(true); return true;
    case VK_ESCAPE: EndUserText(false); return true;
    case VK_BACK:
      // One character back (a pair of UTF-16 units for a character outside the basic plane).
      if (!FUserText.empty()) {
        FUserText.pop_back();
        if (!FUserText.empty() && FUserText.back() >= 0xD800 && FUserText.back() <= 0xDBFF)
          FUserText.pop_back();
      }
      Invalidate();
      return true;
    default: return false;
  }
}

void TDateTimePicker::EndUserText(bool commit) {
  if (!FEditingText) return;
  FEditingText = false;
  Invalidate();
  if (!commit) return;
  String text = FUserText;
  NMDATETIMESTRINGW request;
  request.nmhdr.code = DTN_USERSTRINGW;
  request.pszUserString = text.c_str();
  request.st = DateTimeToSystemTime(FDateTime);
  request.dwFlags = static_cast<DWORD>(GDT_ERROR);
  Notify(request.nmhdr);
  TDateTime value;
  // A text that names no date leaves the value as it was.
  if (request.dwFlags == static_cast<DWORD>(GDT_VALID) && TrySystemTimeToDateTime(request.st, value))
    ChangeByUser(value);
}

void TDateTimePicker::UserStringNotified(NMDATETIMESTRINGW& request) {
  String text = request.pszUserString ? String(request.pszUserString) : String();
  TDateTime value = 0;
  bool valid = TryStrToDateTime(text, value);
  if (OnUserInput) OnUserInput(this, text, value, valid);
  request.dwFlags = static_cast<DWORD>(valid ? GDT_VALID : GDT_ERROR);
  if (valid) request.st = DateTimeToSystemTime(value);
}
