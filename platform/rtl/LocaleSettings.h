// The user's own conventions: FormatSettings filled from the locale's date and time (LC_TIME) and
// number (LC_NUMERIC) categories, so that dates and amounts read as the user is used to.
#pragma once

#include <string>

#include "platform/rtl/FormatSettings.h"

// The settings of a locale: "" names the user's (from LC_ALL, LC_TIME / LC_NUMERIC, LANG). What
// the locale does not tell (currency, long date layout, list separator) stays as in the invariant
// settings; so does everything when the locale is unknown.
TFormatSettings LocaleFormatSettings(const std::string& localeName = "");

// A date or time layout of the C library ("%d.%m.%Y", "%I:%M:%S %p") in our format language.
// The first separator between fields is returned in *separator and written as '/' (dates) or ':'
// (times), so that the settings' separator takes its place; other text is quoted.
String LayoutFromStrftime(const std::string& layout, bool isDate, char16_t* separator);
