#include "platform/rtl/SqlTimSt.h"

#include <cmath>
#include <string_view>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"

namespace {

[[noreturn]] void RaiseInvalid() { throw EConvertError(u"Invalid SQL date/time values"); }

template <typename T>
int Compare(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

// Reads exactly `count` digits at `pos`.
bool ReadDigits(std::u16string_view s, size_t& pos, size_t count, unsigned& value) {
  if (pos + count > s.size()) return false;
  value = 0;
  for (size_t i = 0; i < count; ++i) {
    char16_t c = s[pos + i];
    if (c < u'0' || c > u'9') return false;
    value = value * 10 + (c - u'0');
  }
  pos += count;
  return true;
}

bool Expect(std::u16string_view s, size_t& pos, char16_t c) {
  if (pos >= s.size() || s[pos] != c) return false;
  ++pos;
  return true;
}

// "yyyy-mm-dd[( |T)hh:nn[:ss[.f...]]]", the fraction read to the millisecond and rounded.
bool TryParseSqlForm(std::u16string_view s, TSQLTimeStamp& ts) {
  while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == u' ') s.remove_suffix(1);
  TSQLTimeStamp r = NullSQLTimeStamp;
  size_t pos = 0;
  unsigned y, m, d;
  if (!ReadDigits(s, pos, 4, y) || !Expect(s, pos, u'-') || !ReadDigits(s, pos, 2, m) ||
      !Expect(s, pos, u'-') || !ReadDigits(s, pos, 2, d))
    return false;
  r.Year = static_cast<int16_t>(y);
  r.Month = static_cast<uint16_t>(m);
  r.Day = static_cast<uint16_t>(d);
  if (pos < s.size()) {
    if (s[pos] != u' ' && s[pos] != u'T') return false;
    ++pos;
    unsigned h, n, sec = 0;
    if (!ReadDigits(s, pos, 2, h) || !Expect(s, pos, u':') || !ReadDigits(s, pos, 2, n))
      return false;
    if (pos < s.size()) {
      if (!Expect(s, pos, u':') || !ReadDigits(s, pos, 2, sec)) return false;
    }
    unsigned ms = 0;
    if (pos < s.size()) {
      if (!Expect(s, pos, u'.') || pos == s.size()) return false;
      // Milliseconds from the first three digits, the fourth rounding; the rest only checked.
      unsigned scale = 100;
      for (size_t i = 0; pos < s.size(); ++pos, ++i) {
        char16_t c = s[pos];
        if (c < u'0' || c > u'9') return false;
        if (i < 3) {
          ms += (c - u'0') * scale;
          scale /= 10;
        } else if (i == 3 && c >= u'5') {
          ++ms;
        }
      }
      // 59.9995 seconds would carry into the next minute; keep the last millisecond instead.
      if (ms > 999) ms = 999;
    }
    r.Hour = static_cast<uint16_t>(h);
    r.Minute = static_cast<uint16_t>(n);
    r.Second = static_cast<uint16_t>(sec);
    r.Fractions = ms;
  }
  if (IsSQLTimeStampBlank(r) || !IsValidSQLTimeStamp(r)) return false;
  ts = r;
  return true;
}

}  // namespace

bool IsSQLTimeStampBlank(const TSQLTimeStamp& ts) {
  return ts.Year == 0 && ts.Month == 0 && ts.Day == 0 && ts.Hour == 0 && ts.Minute == 0 &&
         ts.Second == 0 && ts.Fractions == 0;
}

bool IsValidSQLTimeStamp(const TSQLTimeStamp& ts) {
  if (IsSQLTimeStampBlank(ts)) return true;
  if (ts.Year < 1 || ts.Year > 9999 || ts.Month < 1 || ts.Month > 12) return false;
  if (ts.Day < 1 || ts.Day > DaysInAMonth(static_cast<uint16_t>(ts.Year), ts.Month)) return false;
  return ts.Hour <= 23 && ts.Minute <= 59 && ts.Second <= 59 && ts.Fractions <= 999;
}

void CheckSqlTimeStamp(const TSQLTimeStamp& ts) {
  if (!IsValidSQLTimeStamp(ts)) RaiseInvalid();
}

int CompareSQLTimeStamp(const TSQLTimeStamp& a, const TSQLTimeStamp& b) {
  if (int c = Compare(a.Year, b.Year)) return c;
  if (int c = Compare(a.Month, b.Month)) return c;
  if (int c = Compare(a.Day, b.Day)) return c;
  if (int c = Compare(a.Hour, b.Hour)) return c;
  if (int c = Compare(a.Minute, b.Minute)) return c;
  if (int c = Compare(a.Second, b.Second)) return c;
  return Compare(a.Fractions, b.Fractions);
}

TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime dt) {
  // The last millisecond of 9999-12-31 still rounds into the calendar.
  if (!std::isfinite(dt) || dt < MinDateTime || dt >= MaxDateTime + 1e-8) RaiseInvalid();
  uint16_t y, m, d, h, n, s, ms;
  DecodeDateTime(dt, y, m, d, h, n, s, ms);
  TSQLTimeStamp ts = {static_cast<int16_t>(y), m, d, h, n, s, ms};
  if (IsSQLTimeStampBlank(ts) || !IsValidSQLTimeStamp(ts)) RaiseInvalid();
  return ts;
}

TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& ts) {
  if (IsSQLTimeStampBlank(ts)) return 0;
  CheckSqlTimeStamp(ts);
  TDateTime date = EncodeDate(static_cast<uint16_t>(ts.Year), ts.Month, ts.Day);
  TDateTime time = EncodeTime(ts.Hour, ts.Minute, ts.Second, static_cast<uint16_t>(ts.Fractions));
  // Before 1899-12-30 the time of day is the fraction of a negative number.
  return date >= 0 ? date + time : date - time;
}

String SQLTimeStampToStr(const String& format, const TSQLTimeStamp& ts,
                         const TFormatSettings& settings) {
  return FormatDateTime(format, SQLTimeStampToDateTime(ts), settings);
}

bool TryStrToSQLTimeStamp(const String& s, TSQLTimeStamp& ts, const TFormatSettings& settings) {
  if (TryParseSqlForm(s, ts)) return true;
  TDateTime dt;
  if (!TryStrToDateTime(s, dt, settings)) return false;
  if (!std::isfinite(dt) || dt < MinDateTime || dt >= MaxDateTime + 1e-8) return false;
  TSQLTimeStamp parsed = DateTimeToSQLTimeStamp(dt);
  ts = parsed;
  return true;
}

TSQLTimeStamp StrToSQLTimeStamp(const String& s, const TFormatSettings& settings) {
  TSQLTimeStamp ts;
  if (!TryStrToSQLTimeStamp(s, ts, settings))
    throw EConvertError(u"Could not parse SQL TimeStamp string");
  return ts;
}
