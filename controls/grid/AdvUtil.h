// Stateless routines shared by the grid, its editors, the drop-down editors and the edit
// controls: recognising cell texts, locale numbers, multi-line codings, the filter matcher,
// dates for series fills, names and links, and a few colour computations.
// Text positions count UTF-16 units from 1; a search that finds nothing answers 0. Locale values
// are read from FormatSettings() at the time of each call.
#pragma once

#include <cstdint>

#include "platform/gdi/Colors.h"
#include "platform/gdi/WinTypes.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Types.h"
#include "platform/ui/Grids.h"

namespace AdvUtil {

// Text kinds of DetectTextFormat.
constexpr int tfPlain = 0;
constexpr int tfMarkup = 1;
constexpr int tfRichText = 2;
constexpr int tfFormula = 3;
constexpr int tfWide = 5;

// Number kinds of ClassifyNumericText.
constexpr int nkInteger = 0;
constexpr int nkDecimal = 1;
constexpr int nkNotANumber = 2;
constexpr int nkScientific = 5;

// Character classes.
bool IsDigitChar(char16_t c);
bool IsMinusOrDigit(char16_t c);
bool IsNumberChar(char16_t c);  // digit, E, e, thousand or decimal separator
bool IsFloatChar(char16_t c);   // + - . digit E e
bool IsSignedNumberChar(char16_t c);
bool IsWordSeparator(char16_t c);  // blank ' , - .

// Numbers and text kinds.
String NormalizeNumericText(const String& text);
int ClassifyNumericText(const String& text);
String NormalizeDecimalText(const String& text);
int DetectTextFormat(const String& text, bool checkMarkup);
// A text marked "|\" whose units are all below 256 carries one UTF-16 unit in every two units
// (high, then low byte); any other text comes back unchanged.
String CellTextToWide(const String& text);
String WideToCellText(const String& wide);
int WidePos(const String& part, const String& text);

// Line-break codings.
String EncodeCellLineBreaks(const String& text);
String DecodeCellLineBreaks(const String& text, bool multiLine);
String QuoteMultiLineField(const String& text);
String RestoreLineBreaks(const String& text);
String DecodeTildeLineBreaks(const String& text);
String ConvertNewlineEscapes(const String& text);
String CarriageReturnToLineFeed(const String& text);
String SplitFirstLine(String& text, bool keepRest);
int CountLines(const String& text, bool multiLine);

// Quotes, CSV and searching.
String CollapseDoubledChar(char16_t c, const String& text);
bool FindUnpairedChar(char16_t c, const String& text, int& pos);
int CountUnpairedChar(char16_t c, const String& text);
int CountChar(char16_t c, const String& text);
bool FindCharOutsideQuotes(const String& chars, const String& text, char16_t& found, int& pos);
bool FindPos(const String& part, const String& text, int& pos);
int UpperPos(const String& upperPart, const String& text);
bool CharPos(char16_t c, const String& text, int& pos);
int CharIndex(char16_t c, const String& text);
String TakeToken(String& text, const String& delimiter);
void SplitToStrings(const String& text, const String& delimiter, TStrings& list);
void FillString(String& s, char16_t c);
// Units 0x80 to 0xFF are read as code page 866.
String OemToAnsiText(const String& text);

// Filter conditions of the grid's filter.
bool MatchFilterExpression(const String& condition, const String& text, bool caseSensitive);

// Dates. The two parsers answer 0 for malformed text and raise EConvertError for a date that
// cannot exist; years of one or two digits below 26 are 20xx, other short years 19xx.
TDateTime ParseDateMDY(const String& text);
TDateTime ParseDateDMY(const String& text);
bool IsDateText(const String& text);
// One step of a series fill: exactly one non-zero field applies, otherwise Step (days).
struct TDateStep {
  int16_t Years = 0;
  int16_t Months = 0;
  int16_t Days = 0;
  double Step = 0;
};
TDateTime IncDateBy(TDateTime date, const TDateStep& step);
bool ParseLocaleDateTime(const String& text, TDateTime& value);

// Names, URLs and references.
String ToMixedCase(const String& text);
bool IsUrlText(const String& text);
void StripUrlScheme(String& text);
bool LinkifyUrl(const String& text, const String& upperPrefix, String& result);
bool ParseRowColRef(const String& text, TPoint& point);

// Numbers and colours.
int Max(int a, int b);
int Min(int a, int b);
int LimitValue(int value, int low, int high);
bool PointInGridRect(const TGridRect& rect, int col, int row);
TColor DarkenColorHalf(TColor color);
TColor AdjustColorPercent(TColor color, int percent);
TColor InterpolateColor(TColor color1, TColor color2, int a, int b, int p);

}  // namespace AdvUtil
