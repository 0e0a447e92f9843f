// The settings that text conversions of numbers, money and dates follow: separators, date and time
// formats, currency layout and the names of months and days. One process-wide instance serves every
// conversion that is not given settings of its own.
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"

struct TFormatSettings {
  char16_t DecimalSeparator = u'.';
  char16_t ThousandSeparator = u',';
  char16_t DateSeparator = u'/';
  char16_t TimeSeparator = u':';
  char16_t ListSeparator = u',';
  String ShortDateFormat;
  String LongDateFormat;
  String ShortTimeFormat;
  String LongTimeFormat;
  String TimeAMString;
  String TimePMString;
  String CurrencyString;
  // Where the currency string goes: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
  uint8_t CurrencyFormat = 0;
  // The layout of a negative amount, 0 "($1)" to 15 "(1 $)" (see FloatToStrF with ffCurrency).
  uint8_t NegCurrFormat = 0;
  uint8_t CurrencyDecimals = 2;
  String ShortMonthNames[12];
  String LongMonthNames[12];
  String ShortDayNames[7];  // [0] is Sunday
  String LongDayNames[7];
  // A two-digit year is placed in the hundred years that start this many years before the
  // current one; 0 puts it in the current century.
  uint16_t TwoDigitYearCenturyWindow = 50;

  // Culture-neutral settings: '.', ',', '/', ':', "MM/dd/yyyy", "hh:nn:ss" and English names.
  static TFormatSettings Invariant();
};

// The process-wide settings. They start as the invariant ones; the program (or a test) assigns
// them before other threads convert text.
TFormatSettings& FormatSettings();
