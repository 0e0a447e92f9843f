// Painting of the base grid: every cell through one core, which fills the background (plain,
// gradient, mirrored gradient, hover row, active row or a rounded selection), draws the grid's own
// lines inside the cell and then the content through the descendant. A merged range is painted as
// one rectangle, at most twice per paint pass.
#include "controls/grid/BaseGrid.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/WinApi.h"

void TBaseGrid::Paint() {
  TObjStringGrid::Paint();
  ++FPaintPass;
}

void TBaseGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  PaintCellCore(Canvas(), ACol, ARow, ARect, AState, true);
}

void TBaseGrid::PaintCellOnCanvas(TCanvas* canvas, int ACol, int ARow, const TRect& ARect,
                                  TGridDrawState AState) {
  PaintCellCore(canvas, ACol, ARow, ARect, AState, false);
}

void TBaseGrid::DrawCellContent(TCanvas* canvas, int ACol, int ARow, const TRect& ARect,
                                TGridDrawState) {
  TRect r = ARect;
  canvas->TextRect(r, GetCellText(RealColIndex(ACol), ARow),
                   TTextFormat{tfSingleLine, tfVerticalCenter, tfCenter});
}

bool TBaseGrid::PaintMergedThroughBase(TCanvas* canvas, int ACol, int ARow, const TRect& ARect,
                                       TGridDrawState AState) {
  int real = RealColIndex(ACol);
  TCellProperties* props = PeekProperties(real, ARow);
  if (!props) return false;
  TPoint base = BasePoint(props, real, ARow);
  if (base.X == real && base.Y == ARow) return false;
  // The first covered cell reached in a pass paints the whole range once more; the others only
  // compare the pass.
  TCellProperties* baseProps = PeekProperties(base.X, base.Y);
  if (baseProps && baseProps->PaintPass() != FPaintPass) {
    baseProps->SetPaintPass(FPaintPass);
    PaintCellCore(canvas, DisplColIndex(base.X), base.Y, ARect, AState, true);
  }
  return true;
}

HRGN TBaseGrid::ClipUnderFixed(TCanvas* canvas, int ACol, int ARow, const TRect& r) {
  int fixedWidth = ACol >= FixedCols() ? static_cast<int>(ColSizeSum(FixedCols())) : 0;
  int fixedHeight = ARow >= FixedRows() ? static_cast<int>(RowSizeSum(FixedRows())) : 0;
  bool underCols = ACol >= FixedCols() && FixedCols() > 0 && r.Left < fixedWidth;
  bool underRows = ARow >= FixedRows() && FixedRows() > 0 && r.Top < fixedHeight;
  if (!underCols && !underRows) return nullptr;
  HRGN clip = CreateRectRgn(fixedWidth, fixedHeight, Width(), Height());
  SelectClipRgn(canvas->Handle(), clip);
  return clip;
}

void TBaseGrid::PaintCellCore(TCanvas* canvas, int ACol, int ARow, const TRect& ARect,
                              TGridDrawState AState, bool onGrid) {
  // 1. The hidden footer row is blank.
  if (FHideLastRow && ARow == RowCount() - 1) {
    canvas->Brush()->SetColor(Color());
    canvas->Pen()->SetColor(Color());
    canvas->Rectangle(ARect);
    return;
  }
  // 2. A covered cell hands the range to its base cell.
  if (PaintMergedThroughBase(canvas, ACol, ARow, ARect, AState)) return;
  // 3-4. State and rectangle.
  bool fixed = false;
  if (onGrid && IsFixed(ACol, ARow)) {
    AState.Include(gdFixed);
    AState.Exclude(gdSelected);
  }
  fixed = AState.Contains(gdFixed);
  TRect r = onGrid ? GetMergedCellRect(ACol, ARow) : ARect;
  // 5. Cells scrolled under the fixed rows or columns are cut at their edge. A cell painted on
  // another canvas has its own coordinates there, and nothing to cut.
  HRGN clip = onGrid ? ClipUnderFixed(canvas, ACol, ARow, r) : nullptr;
  // 6. The descendant's colours.
  canvas->Pen()->SetWidth(1);
  canvas->Font()->Assign(Font());
  TCellLook look;
  look.Font = canvas->Font();
  look.Brush = canvas->Brush();
  look.WordWrap = FWordWrap;
  // The base look, which the descendant's colours replace; without it a cell would take the
  // brush the previous cell left behind.
  canvas->Brush()->SetColor(fixed                                                ? FixedColor()
                            : AState.Contains(gdSelected) && FShowSelection ? clHighlight
                                                                             : Color());
  // A rounded selection is light: its text keeps the font's colour.
  if (AState.Contains(gdSelected) && !fixed && FShowSelection && FSelectionStyle == 0)
    canvas->Font()->SetColor(clHighlightText);
  TCellColorQuery query;
  GetCellColor(ACol, ARow, AState, query, look);
  fixed = AState.Contains(gdFixed);
  bool selected = AState.Contains(gdSelected);
  canvas->Pen()->SetColor(canvas->Brush()->Color());
  // 7. Hover row.
  bool leftOut = (selected && !FHoverRowCells.Contains(THoverRowCell::hcSelected)) ||
                 (fixed && !FHoverRowCells.Contains(THoverRowCell::hcFixed));
  if (ARow == FHoverRowIndex && FHoverRow && !leftOut) {
    canvas->Brush()->SetColor(FHoverRowColor);
    look.ColorTo = FHoverRowColorTo;
    look.ColorMirror = look.ColorMirrorTo = clNone;
    look.GradientDirection = TCellGradientDirection::GradientVertical;
  }
  // 8. Active row.
  if ((FActiveRowShow && ARow == Row() && ACol >= FixedCols() &&
       (ACol != Col() || !FShowSelection)) ||
      (!onGrid && selected)) {
    canvas->Brush()->SetColor(FActiveRowColor);
    look.ColorTo = FActiveRowColorTo;
    look.ColorMirror = FActiveRowColorMirror;
    look.ColorMirrorTo = FActiveRowColorMirrorTo;
    canvas->Pen()->SetColor(canvas->Brush()->Color());
  }
  // 9. Background.
  PaintCellBackground(canvas, ACol, r, fixed, selected, look);
  // 10. The grid's own lines, inside the cell.
  PaintCellLines(canvas, ACol, r, fixed);
  // 11-12. Content.
  if (onGrid) {
    TRect content = r;
    if (fixed) {
      content.Right -= 1;
      content.Bottom -= 2;
    } else {
      content = Rect(r.Left + FGridLineWidth, r.Top + FGridLineWidth, r.Right - FGridLineWidth,
                     r.Bottom - FGridLineWidth);
    }
    DrawCellContent(canvas, ACol, ARow, content, AState);
  }
  // 13.
  if (clip) {
    SelectClipRgn(canvas->Handle(), nullptr);
    DeleteObject(clip);
  }
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Pen()->SetStyle(psSolid);
}

void TBaseGrid::PaintCellLines(TCanvas* canvas, int ACol, const TRect& r, bool fixed) {
  int o;
  if (fixed) {
    canvas->Pen()->SetColor(FGridFixedLineColor);
    canvas->Pen()->SetWidth(1);
    o = 1;
  } else {
    if (FGridLineWidth > 0) canvas->Pen()->SetColor(FGridLineColor);
    canvas->Pen()->SetWidth(FGridLineWidth);
    o = (FGridLineWidth + 1) / 2;
  }
  TGridOptions options = Options();
  if (!(RealColIndex(ACol) == 0 && HasNodes()) &&
      ((options.Contains(goHorzLine) && !fixed) || (options.Contains(goFixedHorzLine) && fixed))) {
    canvas->MoveTo(r.Left - o + 1, r.Bottom - o);
    canvas->LineTo(r.Right - o + 1, r.Bottom - o);
  }
  if ((options.Contains(goVertLine) && !fixed) || (options.Contains(goFixedVertLine) && fixed)) {
    int x = r.Right - o + (UseRightToLeftAlignment() ? 1 : 0);
    canvas->MoveTo(x, r.Bottom - o);
    canvas->LineTo(x, r.Top - o);
  }
}
