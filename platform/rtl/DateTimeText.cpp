// Dates and times to text: FormatDateTime and the standard layouts built on it.
#include <string>

#include "platform/rtl/DateTime.h"

namespace {

char16_t UpAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? c - 32 : c; }

// Whether `text` starts at `pos` with the ASCII `word`, ignoring case.
bool StartsWithText(const String& text, size_t pos, std::u16string_view word) {
  if (pos + word.size() > text.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (UpAscii(text[pos + i]) != UpAscii(word[i])) return false;
  return true;
}

// Writes one value by a format; the parts are decoded once.
class TDateTimeWriter {
 public:
  TDateTimeWriter(TDateTime dt, const TFormatSettings& settings) : FSettings(settings) {
    DecodeDateTime(dt, FYear, FMonth, FDay, FHour, FMinute, FSecond, FMSec);
    FDayOfWeek = DayOfWeek(dt);
  }

  String Result() const { return FOut; }

  // Named layouts inside a format (c, ddddd, t ...) expand at most two levels deep, so a format
  // that names itself cannot loop.
  void Append(const String& format, int depth) {
    if (depth >= 3) return;
    char16_t lastLetter = 0;
    size_t n = format.size();
    size_t i = 0;
    while (i < n) {
      char16_t c = format[i];
      char16_t token = UpAscii(c);
      if (token >= u'A' && token <= u'Z') {
        if (token == u'M' && lastLetter == u'H') token = u'N';  // minutes right after hours
        lastLetter = token;
      }
      size_t count = 1;
      if (token >= u'A' && token <= u'Z' && token != u'A' && token != u'C')
        while (i + count < n && UpAscii(format[i + count]) == UpAscii(c)) ++count;
      switch (token) {
        case u'Y':
          if (count <= 2)
            AppendNumber(FYear % 100, 2);
          else
            AppendNumber(FYear, 4);
          break;
        case u'M':
          if (count <= 2)
            AppendNumber(FMonth, static_cast<int>(count));
          else
            AppendName(count == 3 ? FSettings.ShortMonthNames : FSettings.LongMonthNames, FMonth,
                       12);
          break;
        case u'D':
          if (count <= 2)
            AppendNumber(FDay, static_cast<int>(count));
          else if (count <= 4)
            AppendName(count == 3 ? FSettings.ShortDayNames : FSettings.LongDayNames, FDayOfWeek,
                       7);
          else
            Append(count == 5 ? FSettings.ShortDateFormat : FSettings.LongDateFormat, depth + 1);
          break;
        case u'H':
          AppendNumber(UsesTwelveHourClock(format, i + count) ? TwelveHour() : FHour,
                       count >= 2 ? 2 : 1);
          break;
        case u'N':
          AppendNumber(FMinute, count >= 2 ? 2 : 1);
          break;
        case u'S':
          AppendNumber(FSecond, count >= 2 ? 2 : 1);
          break;
        case u'Z':
          AppendNumber(FMSec, count >= 3 ? 3 : 1);
          break;
        case u'T':
          Append(count == 1 ? FSettings.ShortTimeFormat : FSettings.LongTimeFormat, depth + 1);
          break;
        case u'C':
          Append(FSettings.ShortDateFormat, depth + 1);
          if (FHour != 0 || FMinute != 0 || FSecond != 0 || FMSec != 0) {
            FOut += u' ';
            Append(FSettings.LongTimeFormat, depth + 1);
          }
          break;
        case u'A':
          count = AppendAmPm(format, i);
          break;
        case u'/':
          FOut += FSettings.DateSeparator;
          break;
        case u':':
          FOut += FSettings.TimeSeparator;
          break;
        case u'\'':
        case u'"': {
          size_t close = format.find(c, i + 1);
          if (close == String::npos) close = n;
          FOut.append(format, i + 1, close - i - 1);
          count = close + 1 - i;
          if (close == n) count = n - i;
          break;
        }
        default:
          FOut.append(format, i, count);
          break;
      }
      i += count;
    }
  }

 private:
  void AppendNumber(int value, int minDigits) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < minDigits)
      digits.insert(0, minDigits - digits.size(), '0');
    FOut.append(digits.begin(), digits.end());
  }

  // A month or day name; nothing for a date before the calendar (decoded as 0).
  void AppendName(const String* names, int index, int size) {
    if (index >= 1 && index <= size) FOut += names[index - 1];
  }

  int TwelveHour() const {
    if (FHour == 0) return 12;
    return FHour > 12 ? FHour - 12 : FHour;
  }

  // Whether an am/pm marker follows before the next hour letter (quoted text skipped).
  static bool UsesTwelveHourClock(const String& format, size_t pos) {
    for (size_t i = pos; i < format.size(); ++i) {
      char16_t c = format[i];
      if (c == u'h' || c == u'H') return false;
      if (c == u'\'' || c == u'"') {
        size_t close = format.find(c, i + 1);
        if (close == String::npos) return false;
        i = close;
      } else if (StartsWithText(format, i, u"am/pm") || StartsWithText(format, i, u"a/p") ||
                 StartsWithText(format, i, u"ampm")) {
        return true;
      }
    }
    return false;
  }

  // am/pm and a/p copy the letters of the format as written; ampm uses the settings' texts.
  // Returns the number of format characters used.
  size_t AppendAmPm(const String& format, size_t i) {
    bool pm = FHour >= 12;
    if (StartsWithText(format, i, u"am/pm")) {
      FOut.append(format, pm ? i + 3 : i, 2);
      return 5;
    }
    if (StartsWithText(format, i, u"a/p")) {
      FOut += format[pm ? i + 2 : i];
      return 3;
    }
    if (StartsWithText(format, i, u"ampm")) {
      FOut += pm ? FSettings.TimePMString : FSettings.TimeAMString;
      return 4;
    }
    FOut += format[i];
    return 1;
  }

  const TFormatSettings& FSettings;
  uint16_t FYear, FMonth, FDay, FHour, FMinute, FSecond, FMSec;
  int FDayOfWeek;
  String FOut;
};

}  // namespace

String FormatDateTime(const String& format, TDateTime dt, const TFormatSettings& settings) {
  TDateTimeWriter writer(dt, settings);
  writer.Append(format.empty() ? String(u"c") : format, 0);
  return writer.Result();
}

String DateToStr(TDateTime dt, const TFormatSettings& settings) {
  return FormatDateTime(u"ddddd", dt, settings);
}

String TimeToStr(TDateTime dt, const TFormatSettings& settings) {
  return FormatDateTime(u"tt", dt, settings);
}

String DateTimeToStr(TDateTime dt, const TFormatSettings& settings) {
  return FormatDateTime(u"c", dt, settings);
}
