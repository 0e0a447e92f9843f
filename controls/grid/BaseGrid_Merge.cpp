// Merged cells: a rectangle of cells shown as one. Every cell of the range has properties; the
// top-left base cell holds the spans (columns and rows minus 1), every covered cell its distance
// to the base cell.
#include <algorithm>

#include "controls/grid/BaseGrid.h"

TPoint TBaseGrid::BasePoint(const TCellProperties* props, int ACol, int ARow) {
  if (!props->IsBaseCell() && props->CellSpanX() != -1 && props->CellSpanY() != -1)
    return {ACol - props->CellSpanX(), ARow - props->CellSpanY()};
  return {ACol, ARow};
}

TPoint TBaseGrid::BaseCell(int ACol, int ARow) {
  TCellProperties* props = PeekProperties(ACol, ARow);
  return props ? BasePoint(props, ACol, ARow) : TPoint{ACol, ARow};
}

bool TBaseGrid::FindBaseCell(int ACol, int ARow, int& baseCol, int& baseRow) {
  TPoint base = BaseCell(ACol, ARow);
  baseCol = base.X;
  baseRow = base.Y;
  return base.X == ACol && base.Y == ARow;
}

bool TBaseGrid::IsBaseCell(int ACol, int ARow) {
  TCellProperties* props = PeekProperties(ACol, ARow);
  return !props || props->IsBaseCell();
}

bool TBaseGrid::IsMergedCell(int ACol, int ARow) {
  TCellProperties* props = PeekProperties(ACol, ARow);
  return props && (props->CellSpanX() > 0 || props->CellSpanY() > 0);
}

bool TBaseGrid::IsCoveredCell(int ACol, int ARow) {
  return IsMergedCell(ACol, ARow) && !IsBaseCell(ACol, ARow);
}

TPoint TBaseGrid::GetCellSpan(int ACol, int ARow) {
  TCellProperties* props = PeekProperties(ACol, ARow);
  if (!props || props->CellSpanX() == -1 || props->CellSpanY() == -1) return {0, 0};
  TPoint base = BasePoint(props, ACol, ARow);
  TCellProperties* baseProps = PeekProperties(base.X, base.Y);
  if (!baseProps) return {0, 0};
  return {baseProps->CellSpanX(), baseProps->CellSpanY()};
}

bool TBaseGrid::IsColMerged(int ACol, int ARow) {
  return PeekProperties(ACol, ARow) && GetCellSpan(ACol, ARow).X > 0;
}

bool TBaseGrid::IsRowMerged(int ACol, int ARow) {
  return PeekProperties(ACol, ARow) && GetCellSpan(ACol, ARow).Y > 0;
}

bool TBaseGrid::RowsInSameMerge(int row1, int row2) {
  bool found = false;
  for (int col = 0; col < ColCount(); ++col) {
    if (GetCellSpan(col, row1).Y <= 0 || GetCellSpan(col, row2).Y <= 0) continue;
    if (BaseCell(col, row1).Y != BaseCell(col, row2).Y) return false;
    found = true;
  }
  return found;
}

void TBaseGrid::MoveToBaseCell() {
  int real = RealColIndex(Col());
  TCellProperties* props = PeekProperties(real, Row());
  if (!props) return;
  TPoint base = BasePoint(props, real, Row());
  // A range reaching into the fixed cells is entered at its first scrollable cell.
  base.Y = std::max(base.Y, FixedRows());
  int col = std::max(DisplColIndex(base.X), FixedCols());
  if (col != Col()) SetCol(col);
  if (base.Y != Row()) SetRow(base.Y);
}

void TBaseGrid::RepaintRange(int left, int top, int right, int bottom) {
  for (int row = top; row <= bottom; ++row)
    for (int col = left; col <= right; ++col) RepaintCell(DisplColIndex(col), row);
}

void TBaseGrid::SplitRange(int baseCol, int baseRow, int spanX, int spanY) {
  for (int row = baseRow; row <= baseRow + spanY; ++row)
    for (int col = baseCol; col <= baseCol + spanX; ++col)
      if (TCellProperties* props = PeekProperties(col, row)) {
        props->SetIsBaseCell(true);
        props->SetCellSpanX(-1);
        props->SetCellSpanY(-1);
      }
  RepaintRange(baseCol, baseRow, baseCol + spanX, baseRow + spanY);
  --FMergeCount;
}

void TBaseGrid::MergeCells(int ACol, int ARow, int numCols, int numRows) {
  int right = ACol + numCols - 1, bottom = ARow + numRows - 1;
  CheckInGrid(ACol, ARow, right, bottom);
  // A range the new one overlaps is split whole first, so no cell ends in two ranges.
  for (int row = ARow; row <= bottom; ++row)
    for (int col = ACol; col <= right; ++col)
      if (IsMergedCell(col, row)) SplitCells(col, row);
  if (numCols == 1 && numRows == 1) return;
  ++FMergeCount;
  for (int row = ARow; row <= bottom; ++row)
    for (int col = ACol; col <= right; ++col) {
      TCellProperties* props = GetCellProperties(col, row);
      bool base = col == ACol && row == ARow;
      props->SetIsBaseCell(base);
      props->SetCellSpanX(base ? numCols - 1 : col - ACol);
      props->SetCellSpanY(base ? numRows - 1 : row - ARow);
    }
  RepaintRange(ACol, ARow, right, bottom);
}

void TBaseGrid::SplitCells(int ACol, int ARow) {
  CheckInGrid(ACol, ARow, ACol, ARow);
  if (!IsMergedCell(ACol, ARow)) return;
  TPoint base = BaseCell(ACol, ARow);
  TPoint span = GetCellSpan(ACol, ARow);
  SplitRange(base.X, base.Y, span.X, span.Y);
}
