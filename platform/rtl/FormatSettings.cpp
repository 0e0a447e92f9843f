#include "platform/rtl/FormatSettings.h"

TFormatSettings TFormatSettings::Invariant() {
  static const char16_t* const kShortMonths[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                                   u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  static const char16_t* const kLongMonths[12] = {
      u"January", u"February", u"March",     u"April",   u"May",      u"June",
      u"July",    u"August",   u"September", u"October", u"November", u"December"};
  static const char16_t* const kShortDays[7] = {u"Sun", u"Mon", u"Tue", u"Wed",
                                                u"Thu", u"Fri", u"Sat"};
  static const char16_t* const kLongDays[7] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                               u"Thursday", u"Friday", u"Saturday"};
  TFormatSettings s;
  s.DecimalSeparator = u'.';
  s.ThousandSeparator = u',';
  s.DateSeparator = u'/';
  s.TimeSeparator = u':';
  s.ListSeparator = u',';
  s.ShortDateFormat = u"MM/dd/yyyy";
  s.LongDateFormat = u"dddd, dd MMMM yyyy";
  s.ShortTimeFormat = u"hh:nn";
  s.LongTimeFormat = u"hh:nn:ss";
  s.TimeAMString = u"AM";
  s.TimePMString = u"PM";
  s.CurrencyString = u"\u00A4";  // the generic currency sign
  s.CurrencyFormat = 0;
  s.NegCurrFormat = 0;
  s.CurrencyDecimals = 2;
  for (int i = 0; i < 12; ++i) {
    s.ShortMonthNames[i] = kShortMonths[i];
    s.LongMonthNames[i] = kLongMonths[i];
  }
  for (int i = 0; i < 7; ++i) {
    s.ShortDayNames[i] = kShortDays[i];
    s.LongDayNames[i] = kLongDays[i];
  }
  s.TwoDigitYearCenturyWindow = 50;
  return s;
}

TFormatSettings& FormatSettings() {
  static TFormatSettings settings = TFormatSettings::Invariant();
  return settings;
}
