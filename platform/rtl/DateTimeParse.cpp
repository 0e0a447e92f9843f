// Text to dates and times: StrToDate, StrToTime, StrToDateTime and their Try forms.
#include <ctime>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextCompare.h"

namespace {

enum TDateOrder { doMDY, doDMY, doYMD };

// The order of day, month and year in a date format, by which of them comes first.
TDateOrder DateOrderOf(const String& format) {
  for (size_t i = 0; i < format.size(); ++i) {
    char16_t c = format[i];
    if (c == u'\'' || c == u'"') {
      size_t close = format.find(c, i + 1);
      if (close == String::npos) break;
      i = close;
      continue;
    }
    switch (c) {
      case u'y':
      case u'Y':
        return doYMD;
      case u'm':
      case u'M':
        return doMDY;
      case u'd':
      case u'D':
        return doDMY;
      default:
        break;
    }
  }
  return doMDY;
}

int CurrentYear() {
  time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

// Reads a text from left to right; blanks may stand between the parts.
class TDateTimeScanner {
 public:
  TDateTimeScanner(const String& text, const TFormatSettings& settings)
      : FText(text), FSettings(settings) {}

  void Restart() { FPos = 0; }

  bool AtEnd() {
    SkipBlanks();
    return FPos == FText.size();
  }

  bool ScanDate(TDateTime& date) {
    int n1, n2, n3, digits1, digits2, digits3;
    if (!ScanNumber(n1, digits1) || !ScanChar(FSettings.DateSeparator) || !ScanNumber(n2, digits2))
      return false;
    int year, month, day, yearDigits;
    TDateOrder order = DateOrderOf(FSettings.ShortDateFormat);
    if (ScanChar(FSettings.DateSeparator)) {
      if (!ScanNumber(n3, digits3)) return false;
      switch (order) {
        case doMDY:
          month = n1, day = n2, year = n3, yearDigits = digits3;
          break;
        case doDMY:
          day = n1, month = n2, year = n3, yearDigits = digits3;
          break;
        default:
          year = n1, yearDigits = digits1, month = n2, day = n3;
          break;
      }
      ScanChar(FSettings.DateSeparator);  // "31.12.2024." closes with the separator
    } else {
      year = CurrentYear();
      yearDigits = 4;
      if (order == doDMY)
        day = n1, month = n2;
      else
        month = n1, day = n2;
    }
    if (yearDigits <= 2) year = WidenTwoDigitYear(year);
    if (year > 9999 || month > 12 || day > 31) return false;
    return TryEncodeDate(static_cast<uint16_t>(year), static_cast<uint16_t>(month),
                         static_cast<uint16_t>(day), date);
  }

  bool ScanTime(TDateTime& time) {
    int baseHour = ScanAmPm();
    int hour, minute = 0, second = 0, msec = 0, digits;
    if (!ScanNumber(hour, digits)) return false;
    if (ScanChar(FSettings.TimeSeparator)) {
      if (!ScanNumber(minute, digits)) return false;
      if (ScanChar(FSettings.TimeSeparator)) {
        if (!ScanNumber(second, digits)) return false;
        if (ScanChar(FSettings.DecimalSeparator) && !ScanNumber(msec, digits)) return false;
      }
    }
    if (baseHour < 0) baseHour = ScanAmPm();
    if (baseHour >= 0) {
      if (hour == 0 || hour > 12) return false;
      hour = hour % 12 + baseHour;
    }
    if (hour > 23 || minute > 59 || second > 59 || msec > 999) return false;
    return TryEncodeTime(static_cast<uint16_t>(hour), static_cast<uint16_t>(minute),
                         static_cast<uint16_t>(second), static_cast<uint16_t>(msec), time);
  }

 private:
  void SkipBlanks() {
    while (FPos < FText.size() && FText[FPos] == u' ') ++FPos;
  }

  bool ScanChar(char16_t c) {
    SkipBlanks();
    if (FPos < FText.size() && FText[FPos] == c) {
      ++FPos;
      return true;
    }
    return false;
  }

  // Digits as a number (held below a million, which no part of a date reaches) and their count.
  bool ScanNumber(int& value, int& digits) {
    SkipBlanks();
    value = 0;
    digits = 0;
    while (FPos < FText.size() && FText[FPos] >= u'0' && FText[FPos] <= u'9') {
      if (value < 1000000) value = value * 10 + (FText[FPos] - u'0');
      ++digits;
      ++FPos;
    }
    return digits > 0;
  }

  bool ScanWord(const String& word) {
    SkipBlanks();
    if (word.empty() || FPos + word.size() > FText.size()) return false;
    if (!AnsiSameText(std::u16string_view(FText).substr(FPos, word.size()), word)) return false;
    FPos += word.size();
    return true;
  }

  // 0 after an AM marker, 12 after a PM marker, -1 when there is none.
  int ScanAmPm() {
    if (ScanWord(FSettings.TimeAMString) || ScanWord(u"AM")) return 0;
    if (ScanWord(FSettings.TimePMString) || ScanWord(u"PM")) return 12;
    return -1;
  }

  // Places a year of one or two digits in the hundred years that start TwoDigitYearCenturyWindow
  // years before the current one (in the current century when the window is 0).
  int WidenTwoDigitYear(int year) const {
    int window = FSettings.TwoDigitYearCenturyWindow;
    int base = CurrentYear() - window;
    year += base / 100 * 100;
    if (window > 0 && year < base) year += 100;
    return year;
  }

  const String& FText;
  const TFormatSettings& FSettings;
  size_t FPos = 0;
};

TDateTime Combine(TDateTime date, TDateTime time) { return date >= 0 ? date + time : date - time; }

}  // namespace

bool TryStrToDate(const String& s, TDateTime& v, const TFormatSettings& settings) {
  TDateTimeScanner scanner(s, settings);
  TDateTime date;
  if (!scanner.ScanDate(date) || !scanner.AtEnd()) return false;
  v = date;
  return true;
}

bool TryStrToTime(const String& s, TDateTime& v, const TFormatSettings& settings) {
  TDateTimeScanner scanner(s, settings);
  TDateTime time;
  if (!scanner.ScanTime(time) || !scanner.AtEnd()) return false;
  v = time;
  return true;
}

bool TryStrToDateTime(const String& s, TDateTime& v, const TFormatSettings& settings) {
  TDateTimeScanner scanner(s, settings);
  TDateTime date = 0, time = 0;
  if (scanner.ScanDate(date)) {
    if (!scanner.AtEnd() && (!scanner.ScanTime(time) || !scanner.AtEnd())) return false;
    v = Combine(date, time);
    return true;
  }
  scanner.Restart();
  if (!scanner.ScanTime(time) || !scanner.AtEnd()) return false;
  v = time;
  return true;
}

TDateTime StrToDate(const String& s, const TFormatSettings& settings) {
  TDateTime v;
  if (!TryStrToDate(s, v, settings)) throw EConvertError(u"'" + s + u"' is not a valid date");
  return v;
}

TDateTime StrToTime(const String& s, const TFormatSettings& settings) {
  TDateTime v;
  if (!TryStrToTime(s, v, settings)) throw EConvertError(u"'" + s + u"' is not a valid time");
  return v;
}

TDateTime StrToDateTime(const String& s, const TFormatSettings& settings) {
  TDateTime v;
  if (!TryStrToDateTime(s, v, settings))
    throw EConvertError(u"'" + s + u"' is not a valid date and time");
  return v;
}
