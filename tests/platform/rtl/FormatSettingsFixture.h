// Settings the conversion tests run under: a comma-decimal, dot-thousands Macedonian-like locale,
// and a guard that puts the process-wide settings back after a test changes them.
#pragma once

#include "platform/rtl/FormatSettings.h"

inline TFormatSettings MacedonianSettings() {
  static const char16_t* const kShortMonths[12] = {u"јан", u"фев", u"мар", u"апр", u"мај", u"јун",
                                                   u"јул", u"авг", u"сеп", u"окт", u"ное", u"дек"};
  static const char16_t* const kLongMonths[12] = {
      u"јануари", u"февруари", u"март",      u"април",    u"мај",     u"јуни",
      u"јули",    u"август",   u"септември", u"октомври", u"ноември", u"декември"};
  static const char16_t* const kShortDays[7] = {u"нед", u"пон", u"вто", u"сре",
                                                u"чет", u"пет", u"саб"};
  static const char16_t* const kLongDays[7] = {u"недела",   u"понеделник", u"вторник", u"среда",
                                               u"четврток", u"петок",      u"сабота"};
  TFormatSettings s = TFormatSettings::Invariant();
  s.DecimalSeparator = u',';
  s.ThousandSeparator = u'.';
  s.DateSeparator = u'.';
  s.TimeSeparator = u':';
  s.ListSeparator = u';';
  s.ShortDateFormat = u"dd.MM.yyyy";
  s.LongDateFormat = u"dddd, d MMMM yyyy";
  s.ShortTimeFormat = u"HH:mm";
  s.LongTimeFormat = u"HH:mm:ss";
  s.TimeAMString = u"претпл.";
  s.TimePMString = u"попл.";
  s.CurrencyString = u"ден.";
  s.CurrencyFormat = 3;  // "1 $"
  s.NegCurrFormat = 8;   // "-1 $"
  s.CurrencyDecimals = 2;
  for (int i = 0; i < 12; ++i) {
    s.ShortMonthNames[i] = kShortMonths[i];
    s.LongMonthNames[i] = kLongMonths[i];
  }
  for (int i = 0; i < 7; ++i) {
    s.ShortDayNames[i] = kShortDays[i];
    s.LongDayNames[i] = kLongDays[i];
  }
  return s;
}

// Restores the process-wide settings when the test that changed them ends.
class TFormatSettingsGuard {
 public:
  TFormatSettingsGuard() : FSaved(FormatSettings()) {}
  ~TFormatSettingsGuard() { FormatSettings() = FSaved; }
  TFormatSettingsGuard(const TFormatSettingsGuard&) = delete;
  TFormatSettingsGuard& operator=(const TFormatSettingsGuard&) = delete;

 private:
  TFormatSettings FSaved;
};
