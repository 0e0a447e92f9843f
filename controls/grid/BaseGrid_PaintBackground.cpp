// The background of a cell: a rounded selection box, or the cell colour as a plain fill, a
// gradient or a mirrored gradient.
#include <algorithm>

#include "controls/grid/AdvUtil.h"
#include "controls/grid/BaseGrid.h"
#include "platform/gdi/Canvas.h"

namespace {

// The rounded selection looks 1 to 3 with the focus, and the one look without it; the outer
// corner takes the grid's colour.
AdvUtil::TRoundedSelectionColors SelectionColors(int style, bool focused) {
  struct TSet {
    TColor From, To, MirrorFrom, MirrorTo, InnerTop, InnerBottom, Border, Corner;
  };
  static constexpr TSet kFocused[3] = {
      {0x00FDF8F1, 0x00FCEFD5, clNone, clNone, 0x00FDFBF6, 0x00FDF5E7, 0x00FDDE99, 0x00FCEDCB},
      {0x00FCEBDC, 0x00FCDBC1, clNone, clNone, 0x00FDF4EB, 0x00FDEADB, 0x00CEA27D, 0x00E0C5AE},
      {0x00D7FFFD, 0x0058D4FC, 0x0058D4FC, 0x00B3F1FC, 0x00F4FEFF, 0x00CAF8FF, 0x008DD7D3,
       0x00C3D9DF}};
  static constexpr TSet kUnfocused = {0x00F8F8F8, 0x00E5E5E5, clNone,     clNone,
                                      0x00FBFAFA, 0x00F0F0F0, 0x00D9D9D9, 0x00EFEFEF};
  const TSet& s = focused ? kFocused[style - 1] : kUnfocused;
  AdvUtil::TRoundedSelectionColors colors;
  colors.GradientFrom = s.From;
  colors.GradientTo = s.To;
  colors.MirrorFrom = s.MirrorFrom;
  colors.MirrorTo = s.MirrorTo;
  colors.InnerTop = s.InnerTop;
  colors.InnerBottom = s.InnerBottom;
  colors.Border = s.Border;
  colors.Corner = s.Corner;
  return colors;
}

}  // namespace

void TBaseGrid::PaintCellBackground(TCanvas* canvas, int ACol, const TRect& r, bool fixed,
                                    bool selected, const TCellLook& look) {
  if (selected && FSelectionStyle != 0 && FShowSelection) {
    // Which ends of the box this cell shows: a selection over several columns joins its cells.
    TGridRect sel = Selection();
    int left = std::min(sel.Left, sel.Right), right = std::max(sel.Left, sel.Right);
    int part = AdvUtil::smBothEnds;
    if (ACol == left && left < right)
      part = AdvUtil::smLeftEnd;
    else if (left < ACol && ACol == right)
      part = AdvUtil::smRightEnd;
    else if (left < ACol && ACol < right)
      part = AdvUtil::smNoEnds;
    TRect box = r;
    TGridOptions options = Options();
    if (!options.Contains(goHorzLine)) ++box.Bottom;
    if (!options.Contains(goVertLine)) ++box.Right;
    if (UseRightToLeftAlignment()) {
      ++box.Right;
      ++box.Bottom;
    }
    bool focused = Focused() || options.Contains(goDrawFocusSelected);
    if (focused && (FSelectionStyle < 1 || FSelectionStyle > 3)) return;
    AdvUtil::TRoundedSelectionColors colors = SelectionColors(FSelectionStyle, focused);
    colors.OuterCorner = Color();
    AdvUtil::DrawRoundedSelection(canvas, colors, box, part);
    return;
  }
  // The descendant paints fixed and selected backgrounds itself when it says so.
  if (PaintsFixedAndSelected() && (fixed || selected)) return;
  TColor color = canvas->Brush()->Color();
  if (look.ColorMirrorTo == clNone)
    AdvUtil::DrawGradient(canvas, color, look.ColorTo, 64, r,
                          look.GradientDirection == TCellGradientDirection::GradientHorizontal);
  else
    AdvUtil::DrawGradientWithMirror(canvas, r, color, look.ColorTo, look.ColorMirror,
                                    look.ColorMirrorTo, true, clNone, false, true);
}
