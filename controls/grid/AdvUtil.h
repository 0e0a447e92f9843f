// Stateless routines shared by the grid, its editors, the drop-down editors and the edit
// controls: recognising cell texts, locale numbers, multi-line codings, the filter matcher,
// dates for series fills, names and links, a few colour computations, and the canvas routines
// with which the grid paints special cells and cell parts.
// Text positions count UTF-16 units from 1; a search that finds nothing answers 0. Locale values
// are read from FormatSettings() at the time of each call.
#pragma once

#include <cstdint>

#include "controls/graphics/AdvStyleIF.h"
#include "platform/gdi/Colors.h"
#include "platform/gdi/WinTypes.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Types.h"
#include "platform/ui/Grids.h"

struct BLENDFUNCTION;
class TBitmap;
class TCanvas;
class TFont;
class TWinControl;

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

// --- Drawing ------------------------------------------------------------------------------------
// Every routine paints on the canvas passed in and leaves its colours set there; none raises.
// clNone means "no colour" where a routine says so.

// Bands of colour stepping from one colour to the other (at most one band per pixel).
void DrawGradient(TCanvas* canvas, TColor fromColor, TColor toColor, int bands, TRect rect,
                  bool horizontal);
void FillRectColor(TCanvas* canvas, const TRect& rect, TColor color);
// A gradient fill, split into a first and a mirrored second half when mirrorColor is set, and a
// frame (or only its two sides) in borderColor unless that is clNone.
void DrawGradientWithMirror(TCanvas* canvas, const TRect& rect, TColor color, TColor colorTo,
                            TColor mirrorColor, TColor mirrorColorTo, bool vertical,
                            TColor borderColor, bool sidesOnly, bool fill);

// The colours of the rounded selection box.
struct TRoundedSelectionColors {
  TColor GradientFrom = clNone;
  TColor GradientTo = clNone;  // clNone: a solid body in GradientFrom
  TColor MirrorFrom = clNone;  // set: the lower half gets its own gradient
  TColor MirrorTo = clNone;
  TColor InnerTop = clNone;
  TColor InnerBottom = clNone;
  TColor Border = clNone;
  TColor Corner = clNone;
  TColor OuterCorner = clNone;
};
// Which ends of a selection box are rounded; an end not drawn runs to the rectangle's edge so
// the boxes of neighbouring cells join.
constexpr int smBothEnds = 0;
constexpr int smLeftEnd = 1;
constexpr int smRightEnd = 2;
constexpr int smNoEnds = 3;
void DrawRoundedSelection(TCanvas* canvas, const TRoundedSelectionColors& colors,
                          const TRect& rect, int sideMode);

// In-cell buttons. Kinds: themed, classic, flat, or in the grid's colour tones (Normal for the
// normal state, Hot, Down for pressed, Disabled). Without a theme the themed kind draws classic.
constexpr int btkThemed = 0;
constexpr int btkClassic = 1;
constexpr int btkFlat = 2;
constexpr int btkTones = 3;
constexpr int btsNormal = 0;
constexpr int btsHot = 1;
constexpr int btsPressed = 2;
constexpr int btsDisabled = 3;
void DrawComboButton(TCanvas* canvas, HWND window, const TRect& rect, int kind, int state,
                     const TColorTones& tones);
void DrawCellButton(TCanvas* canvas, HWND window, const TRect& rect, int kind, int state,
                    const TColorTones& tones, const String& caption);
void DrawSpinButtons(TCanvas* canvas, HWND window, const TRect& rect, int kind, int state,
                     const TColorTones& tones);
// A small filled triangle pointing down, its top edge centred on (x, y).
void DrawDropArrow(TCanvas* canvas, int x, int y, TColor color);

// The classic progress bar with its text. Without a format the value is a percentage; with one
// the share of value between minimum and maximum (an empty bar when they are equal), and the text
// is the value formatted ("n%" when the format does not suit a number).
void DrawProgress(TCanvas* canvas, TRect rect, TColor barColor, TColor filledTextColor,
                  TColor backColor, TColor backTextColor, double value, int marginX, int marginY,
                  double minimum, double maximum, const String& format, TColor borderColor,
                  bool upsideDown);
// The settings of the styled progress bar, filled by the grid from its progress appearance.
struct TProgressSettings {
  TColor Level0Color = 0x00FF00;
  TColor Level0ColorTo = 0xE1FFE1;
  TColor Level1Color = 0x00FFFF;
  TColor Level1ColorTo = 0xCAFFFF;
  TColor Level2Color = 0x53A9FF;
  TColor Level2ColorTo = 0xA8D3FF;
  TColor Level3Color = 0x0000FF;
  TColor Level3ColorTo = 0xCACAFF;
  int Level1Perc = 70;
  int Level2Perc = 90;
  TColor BorderColor = clBlack;
  bool ShowBorder = false;
  bool Stacked = false;
  bool ShowPercentage = true;
  TFont* Font = nullptr;  // nullptr: the canvas's font
  TColor CompleteFontColor = clBlue;
  bool CompletionSmooth = true;
  bool ShowGradient = true;
  int Steps = 11;
  TColor UnCompleteFontColor = clWindowText;
  TColor UnCompleteColor = clWindow;  // the background
  bool Vertical = false;
};
void DrawStyledProgress(TCanvas* canvas, const TRect& rect, int percentage,
                        const TProgressSettings& settings);
// A pie of the percentage, clockwise from the top, filled in fillColor.
void DrawProgressPie(TCanvas* canvas, const TRect& rect, TColor fillColor, int percentage,
                     bool seedAbove);
// A bar from the centre: right for a positive value, left for a negative one, full at range.
void DrawRangeIndicator(TCanvas* canvas, const TRect& rect, int value, int range,
                        bool showNumber, TColor negativeColor, TColor positiveColor);

// Cell shapes 0 to 18 (rectangle, circle, triangles, diamond, lines, rounded rectangles, star,
// arrows, half star); any other number draws nothing.
constexpr int shpLast = 18;
void DrawCellShape(TCanvas* canvas, int x, int y, int width, int height, int shape,
                   TColor brushColor, TColor penColor);
// A red zig-zag under the characters start .. start + length - 1 (from 0) of a single-line text
// laid out as an edit on parent would show it in rect, offset lines lower.
void DrawErrorUnderline(TWinControl* parent, TCanvas* canvas, const String& text,
                        const TRect& rect, int offset, int start, int length);
// The bitmap at the rectangle's top-left, at its own size, the pixels of the colour of its
// top-left pixel painted in backColor.
void DrawTransparentBitmap(TCanvas* canvas, TBitmap* bitmap, TColor backColor, const TRect& rect);
// The same for a bitmap resource of the program; an unknown name draws nothing.
void DrawResourceBitmap(TCanvas* canvas, TColor backColor, const TRect& rect, const String& name);

// The layered-window calls with their arguments; each answers the call's own result.
bool CallUpdateLayeredWindow(HWND window, HDC dst, const TPoint* dstPos, const TSize* size,
                             HDC src, const TPoint* srcPos, COLORREF key,
                             const BLENDFUNCTION* blend, DWORD flags);
bool CallSetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags);

}  // namespace AdvUtil
