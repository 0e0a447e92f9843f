// How DrawText lays text out in a rectangle, apart from drawing, so the rules can be checked with
// any measure:
// - "&" marks the next character as the access key (underlined unless DT_HIDEPREFIX) and "&&"
//   stands for "&", unless DT_NOPREFIX;
// - without DT_SINGLELINE, CR, LF and CR LF end lines; with DT_WORDBREAK lines also break at
//   spaces where the next word would pass the right edge (the spaces at the break are dropped), and
//   a word wider than the rectangle is broken between characters only with DT_EDITCONTROL;
// - DT_EXPANDTABS moves tabs to the next multiple of the tab length (8 average character widths);
// - DT_END_ELLIPSIS, DT_WORD_ELLIPSIS and DT_PATH_ELLIPSIS shorten a line wider than the
//   rectangle with "...": at its end, at a word end, or in its middle keeping the part after the
//   last backslash; with DT_WORDBREAK and DT_END_ELLIPSIS the last line that fits the rectangle's
//   height takes the rest of the text and its ellipsis;
// - DT_EDITCONTROL drops a last line that would be only partly visible (keeping the first line);
// - lines are aligned left, centred (DT_CENTER) or right (DT_RIGHT); the block is placed at the
//   top, or with DT_SINGLELINE centred (DT_VCENTER) or at the bottom (DT_BOTTOM).
#pragma once

#include <string_view>
#include <vector>

#include "platform/gdi/WinTypes.h"
#include "platform/rtl/Types.h"

class TTextMeasure {
 public:
  virtual ~TTextMeasure() = default;
  // Width of one line of text without tabs.
  virtual int Width(std::u16string_view text) = 0;
  virtual int LineHeight() = 0;  // with or without the external leading, as the format asks
  virtual int AveCharWidth() = 0;
};

struct TTextRun {
  int X = 0;  // from the line's left edge
  String Text;
};

struct TTextLine {
  std::vector<TTextRun> Runs;  // more than one only where tabs were expanded
  int Width = 0;
  int X = 0;  // left edge, after alignment
  int Y = 0;  // top
  // The underlined access key: the run and the position in it, or -1.
  int UnderlineRun = -1;
  int UnderlinePos = -1;
};

struct TTextBlock {
  std::vector<TTextLine> Lines;
  int Width = 0;   // the widest line
  int Height = 0;  // lines times the line height
  TRect Bounds;    // the rectangle DT_CALCRECT returns
  int Result = 0;  // DrawText's return value
};

struct TTextLayoutFormat {
  uint32_t Flags = 0;
  int TabLength = 8;  // in average character widths
};

// Lays text out in rect. The lines' positions are absolute.
TTextBlock LayoutText(std::u16string_view text, const TRect& rect, const TTextLayoutFormat& format,
                      TTextMeasure& measure);
