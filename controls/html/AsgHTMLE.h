// The mini-HTML of cells, hints and drop-down items: the renderer that draws, measures and
// hit-tests a tagged text in a rectangle, and the operations callers use on such texts without
// drawing them (plain text, entities, embedded-control tags, highlighting, colours).
#pragma once

#include <string_view>

#include "controls/html/PictureContainer.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/ImgList.h"
#include "platform/gdi/Raster.h"
#include "platform/ui/Grids.h"

// The two dialects of the markup. The defaults are the grid's; PanelHtmlDialect() gives the
// smooth panel's, which draws through GDI+ and reads a few tags and sizes its own way.
struct THtmlDialect {
  bool Prefix = true;            // "&" marks a prefix; "&amp;" becomes "&&" to show one "&"
  bool Controls = true;          // the C tag embeds controls
  bool Rotation = true;          // the R tag turns the text
  bool BodyFill = true;          // BODY: BACKGROUND tiles, BGCOLOR fills the whole rectangle
  bool ParagraphBand = true;     // P BGCOLOR paints a band behind the line
  bool AnchorTitle = true;       // anchors take HREF and TITLE (else the first quoted value)
  bool UrlPictures = true;       // "://" sources load through the picture cache
  bool AnimatedPictures = true;  // frames of animated pictures
  bool PixelsPerInch = true;     // picture sizes follow the device's pixels per inch
  bool AspectRatio = true;       // one of WIDTH and HEIGHT completes the other
  bool AllHashMarkers = true;    // every "<#" marker is undone, else only the first
  bool BlinkBackground = true;   // blinking text in the starting background, else white
  bool FocusRect = true;         // anchor FocusLink gets a focus rectangle
  bool Ellipsis = true;          // without word wrap the cut line ends in an ellipsis
  bool OffsetTag = false;        // the OF tag
  bool BgColorTo = false;        // BGCOLORTO of BODY and P makes the background transparent
  bool ListItemTypes = false;    // LI TYPE, COLOR and NAME
  bool ImageWrap = false;        // IMG WRAP
  int LineSpacing = 0;           // pixels below every line but the last
  bool HalfScriptExtra = false;  // sub/superscript room M div 2 when below M div 4 (else >= M/4)
  bool CentredScripts = false;   // scripts shifted by half their room (else raised by all of it)
  bool SizeMargin = false;       // 2 added to WidthOut and HeightOut
  bool RaisedZigZag = false;     // error zigzag 4 and 2 above the bottom (else 1 below, 1 above)
  bool UnderlineBlanks = false;  // an underlined run before "</A" is drawn with "_" appended
  bool EmptyColorNone = false;   // an empty colour attribute is clNone (else black)
  bool BlankRunEmpty = false;    // a run of one blank has no width
};
THtmlDialect PanelHtmlDialect();

// What a call of RenderHtmlText is asked to do. The defaults paint a left-to-right text with
// word wrap, blue links and no point to test.
struct THtmlRenderOptions {
  TCustomImageList* Images = nullptr;  // source of "IDX:" pictures
  int XPos = -1;                       // the point to test, in the coordinates of the rectangle
  int YPos = -1;
  int FocusLink = -1;  // anchor (from 0) that gets the focus rectangle; -1 none
  int HoverLink = -1;  // hovered anchor, numbered from 1 as MouseLinkOut
  int ShadowOffset = 1;
  bool HitTest = false;      // the drawing pass tests instead of painting
  bool MeasureOnly = false;  // nothing is painted
  bool ScaleImages = false;  // "IDX:" and system icons stretched by ImageScale
  bool Selected = false;     // the colour changes of anchors and fonts are skipped
  bool BlinkOn = true;       // false: blinking text takes the starting background colour
  bool HoverOnlyLink = false;  // underline and hover colours for anchor HoverLink only
  bool WordWrap = true;        // false: one line, cut with an ellipsis
  bool ControlDown = false;    // the mouse is down on an embedded control
  double ImageScale = 1.0;
  TColor UrlColor = clBlue;
  TColor HoverColor = clNone;      // background of hovered anchors
  TColor HoverFontColor = clNone;  // text colour of hovered anchors
  TColor ShadowColor = clGray;
  ::PictureContainer::THTMLPictureCache* PictureCache = nullptr;  // "://" pictures
  HWND ThemeWindow = nullptr;
  TBiDiMode BiDiMode = bdLeftToRight;
  ::PictureContainer::TPictureContainer* PictureContainer = nullptr;  // pictures by name
  THtmlDialect Dialect;
};

// What a call found. ControlId is read on entry when HitTest is set (the control to find) and
// AnchorOut keeps what the caller put there unless an anchor or control is under the point.
struct THtmlRenderResult {
  String AnchorOut;       // target under the point ("ctrl" for a control)
  String PlainTextOut;    // the text without tags
  String FocusAnchorOut;  // target of anchor FocusLink
  String AnchorTitleOut;  // TITLE of the anchor under the point
  int WidthOut = 0;       // widest line
  int HeightOut = 0;      // all lines
  int LinkCountOut = 0;
  int MouseLinkOut = -1;  // anchor under the point, from 1
  TRect HoverRectOut{};   // that anchor's rectangle
  TRect ControlRectOut{};
  String ControlId;
  String ControlValueOut;
  String ControlTypeOut;
};

// Draws, measures or hit-tests a markup text in the rectangle. The canvas comes back with the
// pen, brush colour and font it had. True when the point is on an anchor's text, a picture in an
// anchor or an embedded control (or HitTest found the control named by ControlId).
bool RenderHtmlText(TCanvas* canvas, const String& html, const TRect& rect,
                    const THtmlRenderOptions& options, THtmlRenderResult& result);

// --- Conversions --------------------------------------------------------------------------------

// "<BR>" and "<HR>" become CR LF, every other tag is removed; entities stay as written.
String HtmlToPlainText(const String& html);
// Every complete tag removed, up to the first "<" without a ">" or a ">" before the next "<".
String StripHtmlTags(const String& html);
// "&lt;", "&gt;", "&amp;", "&quot;" decoded; with useTable also the named characters.
String UnescapeHtmlEntities(const String& text, bool useTable);
// The reverse: "&", the double quote, "<", ">" and (with useTable) the named characters.
String EscapeHtmlChars(const String& text, bool useTable);

// --- Embedded-control tags ----------------------------------------------------------------------

struct THtmlControlTag {
  String Type, Id, Value, Width, Height, Prop, MaxLen;
};
// The attributes of one control tag's text; TYPE upper-cased, VALUE and PROP unescaped.
THtmlControlTag ParseControlTag(const String& tag);
bool HasHtmlControl(const String& html);
// The ID of the next editable control after the one with the identifier (the first for "").
String NextHtmlControl(const String& html, const String& id);
String GetHtmlControlInfo(const String& html, const String& id);
int GetHtmlControlMaxLen(const String& html, const String& id);
// Rewrites that control's tag with the value; false (text unchanged) when there is none.
bool SetHtmlControlValue(String& html, const String& id, const String& value);
String ResetHtmlRadioButtons(const String& html);

// --- Highlighting -------------------------------------------------------------------------------

// Every occurrence of the search text in the visible text wrapped in <tag>...</tag>.
String HighlightHtmlText(const String& html, const String& search, const String& tag,
                         bool caseSensitive);
String UnHighlightHtmlText(const String& html, const String& tag);
// The colours of the HI tag; the grid sets them from its highlight colour properties.
void SetHtmlHighlightColors(TColor color, TColor textColor);
TColor HtmlHighlightColor();
TColor HtmlHighlightTextColor();
// The position (from 1) in the markup of the n-th visible character; see the text operations.
int HtmlCharPos(const String& html, int n);
// The search text in the text without its first skip characters: skip + position, or 0.
int FindTextFrom(const String& search, const String& text, int skip, bool caseSensitive,
                 int& position);

// --- Colours ------------------------------------------------------------------------------------

// The markup's colour names ("clred", "cl3ddkshadow", ...); 0 for an unknown name.
TColor ParseColorName(const String& name);
// "#RRGGBB" as $00BBGGRR.
TColor ParseHexColor(const String& text);
int HexPairValue(std::u16string_view pair);

// --- Text operations ----------------------------------------------------------------------------

// Position (from 1) of part in text, both upper-cased (ASCII letters); 0 when absent.
int PosNoCase(const String& part, const String& text);
// Position of an upper-case part in the upper-cased text, also through position.
int UpperTextPos(const String& upperPart, const String& text, int& position);
bool ReplaceFirstNoCase(const String& oldPart, const String& newPart, String& text);
// The integer at the start of the text: blanks skipped, a sign, "$" or "0x" hexadecimal.
int StrToIntLoose(const String& text);
// "<#NAME>" becomes "#NAME".
String UnwrapHashMarkers(const String& text);
// Line feeds and carriage returns dropped; with brForCr each carriage return becomes "<BR>".
String LineBreaksToBr(const String& text, bool brForCr);
String MaskPassword(const String& text);

// --- Drawing operations -------------------------------------------------------------------------

// Selects the canvas font turned by angle degrees; returns the font it replaced, which
// RestoreRotatedFont selects back (deleting the turned one).
HFONT SelectRotatedFont(TCanvas* canvas, int angle);
void RestoreRotatedFont(TCanvas* canvas, HFONT previous);
// The text flags mirrored for a right-to-left caller, on a Middle-East system locale only.
uint32_t ApplyBiDiFlags(uint32_t flags, TBiDiMode mode);
// The same rule with the locale given, so both answers can be checked.
uint32_t ApplyBiDiFlagsFor(uint32_t flags, TBiDiMode mode, bool middleEastLocale);
// A system icon for a name (an index, a folder, a file type) at (x, y); size receives the icon
// size. With draw false only the size is found; with stretch the icon is scaled by scale.
// The system icon DrawSystemIcon draws for a name, or null.
const TRasterImage* FindSystemIcon(const String& name, bool large);
void DrawSystemIcon(TCanvas* canvas, int x, int y, const String& name, bool large, bool draw,
                    bool stretch, double scale, TSize& size);
void StretchBitmapTo(TCanvas* canvas, const TRect& rect, TBitmap* bitmap);
bool IsDirectory(const String& path);
