// The markup language itself, kept apart from layout and drawing: how a text is prepared, how a
// tag is recognised, how attributes, colours and entities are read. Everything works on views of
// the prepared text so the renderer's hot path does not allocate per tag.
#pragma once

#include <string_view>

#include "platform/gdi/Colors.h"
#include "platform/rtl/Types.h"

namespace AsgHtml {

using TView = std::u16string_view;

// The named characters of the escape operations: the first kEscapedEntities take part, the
// rest are carried and unused.
struct TNamedChar {
  const char16_t* Name;
  char16_t Char;
};
constexpr int kNamedChars = 55;
constexpr int kEscapedEntities = 51;
extern const TNamedChar kNamedCharTable[kNamedChars];

// Entities, "<#" markers and line breaks handled as the renderer needs before layout; "&amp;"
// becomes "&&". allMarkers undoes every "<#" marker, else only the first.
String PrepareHtmlText(const String& html, bool allMarkers = true);
// Appends a run with "&nbsp;", "&lt;" and "&gt;" decoded; without prefix processing a "&&" is
// written as the one "&" it shows.
void DecodeRunEntities(TView run, String& out, bool prefix = true);

enum class TTag {
  Unknown,
  Anchor, Bold, Break, Blink, Body, Control, ErrorLine, Font, Highlight, Rule, Italic, Indent,
  Image, ListItem, Paragraph, Rotate, Strike, Shadow, Sub, Sup, Underline, List, Hidden,
  EndAnchor, EndBold, EndColor, EndErrorLine, EndFont, EndHighlight, EndItalic, EndListItem,
  EndParagraph, EndRotate, EndSubSup, EndShadow, EndStrike, EndUnderline, EndList, EndHidden,
  Offset, EndOffset
};
// The tag that text (beginning with "<") opens or closes, by its leading letters.
TTag ClassifyTag(TView tag);

char16_t AsciiUpper(char16_t c);
// Position of an upper-case ASCII part in text without regard to case, or npos.
size_t FindNoCase(TView text, TView upperPart, size_t from = 0);
// The text between the first two double quotes after the attribute name; false when the name
// or the quotes are missing.
bool TagAttribute(TView tag, TView upperName, TView& value);
// The value of an attribute written as a number ("30", "-2"); def when absent or no number.
int TagNumber(TView tag, TView upperName, int def);
// A colour attribute: "#RRGGBB" or a colour name.
TColor ColorValue(TView value);
// The integer at the start of the view (blanks, sign, "$" or "0x" allowed); 0 when none.
int LooseInt(TView text);

}  // namespace AsgHtml
