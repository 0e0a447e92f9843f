// Dates: the fixed-order parsers of the sort, the locale parser of the filter and the steps of
// a series fill.
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "controls/grid/AdvUtil.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"

namespace AdvUtil {
namespace {

// A run of digits as a number; -1 when empty or not all digits. Large values stay large but
// bounded, so they fail the range checks instead of wrapping.
int ReadDigits(const String& s) {
  if (s.empty()) return -1;
  int v = 0;
  for (char16_t c : s) {
    if (!IsDigitChar(c)) return -1;
    v = std::min(v * 10 + (c - u'0'), 100000);
  }
  return v;
}

int FullYear(const String& written, int year) {
  if (written.size() >= 3) return year;
  return year < 26 ? year + 2000 : year + 1900;
}

uint16_t Clip(int v) { return static_cast<uint16_t>(std::min(v, 65535)); }

// Three numbers separated by "/", "." or "-", in the order month-day-year or day-month-year.
TDateTime ParseFixedDate(const String& text, bool monthFirst) {
  char16_t sep = text.find(u'/') != String::npos   ? u'/'
                 : text.find(u'.') != String::npos ? u'.'
                                                   : u'-';
  size_t p1 = text.find(sep);
  if (p1 == String::npos) return 0;
  size_t p2 = text.find(sep, p1 + 1);
  if (p2 == String::npos) return 0;
  String a = text.substr(0, p1), b = text.substr(p1 + 1, p2 - p1 - 1), y = text.substr(p2 + 1);
  int first = ReadDigits(a), second = ReadDigits(b), year = ReadDigits(y);
  if (first < 0 || second < 0 || year < 0) return 0;
  int month = monthFirst ? first : second, day = monthFirst ? second : first;
  return EncodeDate(Clip(FullYear(y, year)), Clip(month), Clip(day));
}

TDateTime WithTimeOf(TDateTime date, TDateTime source) {
  double time = std::fabs(source - std::trunc(source));
  return date >= 0 ? date + time : date - time;
}

bool ReadTime(const String& text, char16_t sep, TDateTime& time) {
  size_t p1 = text.find(sep);
  if (p1 == String::npos) return false;
  size_t p2 = text.find(sep, p1 + 1);
  int hour = ReadDigits(text.substr(0, p1));
  int minutes = ReadDigits(text.substr(p1 + 1, p2 == String::npos ? String::npos : p2 - p1 - 1));
  int seconds = p2 == String::npos ? 0 : ReadDigits(text.substr(p2 + 1));
  if (hour < 0 || hour > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 60)
    return false;
  return TryEncodeTime(Clip(hour), Clip(minutes), Clip(seconds), 0, time);
}

}  // namespace

TDateTime ParseDateMDY(const String& text) { return ParseFixedDate(text, true); }
TDateTime ParseDateDMY(const String& text) { return ParseFixedDate(text, false); }

bool IsDateText(const String& text) {
  const char16_t sep = FormatSettings().DateSeparator;
  size_t p = text.find(sep);
  return p != String::npos && p >= 1 && text.find(sep, p + 1) != String::npos;
}

TDateTime IncDateBy(TDateTime date, const TDateStep& step) {
  const int fields = (step.Years != 0) + (step.Months != 0) + (step.Days != 0);
  if (fields != 1) return date + step.Step;
  if (step.Days != 0) return date + step.Days;
  uint16_t y, m, d;
  DecodeDate(date, y, m, d);
  if (y == 0) return date;
  const long months = y * 12L + (m - 1) + step.Years * 12L + step.Months;
  const long ny = months / 12, nm = months % 12 + 1;
  if (months < 12 || ny > 9999) return date;  // beyond the calendar: the date stays
  const uint16_t nd = std::min<uint16_t>(d, DaysInAMonth(Clip(ny), Clip(nm)));
  return WithTimeOf(EncodeDate(Clip(ny), Clip(nm), nd), date);
}

bool ParseLocaleDateTime(const String& text, TDateTime& value) {
  const TFormatSettings& fs = FormatSettings();
  const String format = UpperCase(fs.ShortDateFormat);
  std::array<std::pair<size_t, char16_t>, 3> order = {
      {{format.find(u'D'), u'D'}, {format.find(u'M'), u'M'}, {format.find(u'Y'), u'Y'}}};
  for (const auto& part : order)
    if (part.first == String::npos) return false;
  std::sort(order.begin(), order.end());

  size_t p1 = text.find(fs.DateSeparator);
  if (p1 == String::npos) return false;
  size_t p2 = text.find(fs.DateSeparator, p1 + 1);
  if (p2 == String::npos) return false;
  String parts[3] = {Trim(text.substr(0, p1)), Trim(text.substr(p1 + 1, p2 - p1 - 1)),
                     Trim(text.substr(p2 + 1))};
  String timeText;
  size_t blank = parts[2].find(u' ');
  if (blank != String::npos) {
    timeText = Trim(parts[2].substr(blank + 1));
    parts[2].erase(blank);
  }
  int day = -1, month = -1, year = -1;
  for (int i = 0; i < 3; ++i) {
    int v = ReadDigits(parts[i]);
    if (v < 0) return false;
    if (order[i].second == u'D') day = v;
    else if (order[i].second == u'M') month = v;
    else year = FullYear(parts[i], v);
  }
  if (day > 31 || month > 12) return false;
  TDateTime date, time = 0;
  if (!TryEncodeDate(Clip(year), Clip(month), Clip(day), date)) return false;
  if (blank != String::npos && !ReadTime(timeText, fs.TimeSeparator, time)) return false;
  value = date >= 0 ? date + time : date - time;
  return true;
}

}  // namespace AdvUtil
