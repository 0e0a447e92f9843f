// Small text helpers: trimming, quoting and replacing.
#pragma once

#include "platform/rtl/Types.h"

// Remove control characters and spaces (every code unit up to ' ') from both ends, the start or
// the end.
String Trim(const String& s);
String TrimLeft(const String& s);
String TrimRight(const String& s);

// The text between single quotes with inner quotes doubled: O'Brien -> 'O''Brien'.
String QuotedStr(const String& s);
String AnsiQuotedStr(const String& s, char16_t quote);
// The reverse: the text of a leading quoted part with doubled quotes made single. A text that does
// not start with the quote, or is not closed by it, comes back unchanged.
String AnsiDequotedStr(const String& s, char16_t quote);

enum TReplaceFlag { rfReplaceAll = 1, rfIgnoreCase = 2 };
// Replaces the first (or every, with rfReplaceAll) occurrence of `from`. rfIgnoreCase matches
// with Unicode case folding, so Cyrillic letters match whatever their case. An empty `from`
// changes nothing.
String StringReplace(const String& s, const String& from, const String& to, int flags);

String StringOfChar(char16_t c, int count);  // empty for a count of 0 or less
