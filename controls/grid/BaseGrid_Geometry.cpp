// Cell rectangles of the base grid (display columns), selecting, scrolling and scaling.
#include <algorithm>

#include "controls/grid/BaseGrid.h"
#include "platform/rtl/RtlMath.h"
#include "platform/win/WinApi.h"

TRect TBaseGrid::GetAbsCellRect(int ACol, int ARow) {
  // The class library's lines are 0 wide: the cells touch and the sums are the offsets.
  long long left = ColSizeSum(ACol), top = RowSizeSum(ARow);
  if (ACol >= FixedCols()) left += ColSizeSum(FixedCols()) - ColSizeSum(LeftCol());
  if (ARow >= FixedRows()) top += RowSizeSum(FixedRows()) - RowSizeSum(TopRow());
  int x = static_cast<int>(left), y = static_cast<int>(top);
  TRect r = Rect(x, y, x + ColWidths(ACol), y + RowHeights(ARow));
  if (UseRightToLeftAlignment()) {
    int width = ClientWidth();
    r = Rect(width - r.Right, r.Top, width - r.Left, r.Bottom);
  }
  return r;
}

TRect TBaseGrid::GetMergedCellRect(int ACol, int ARow) {
  int real = RealColIndex(ACol);
  TCellProperties* props = PeekProperties(real, ARow);
  if (props && (props->CellSpanX() != -1 || props->CellSpanY() != -1)) {
    TPoint base = BasePoint(props, real, ARow);
    TPoint span = GetCellSpan(real, ARow);
    int d = DisplColIndex(base.X);
    TRect r1 = GetAbsCellRect(d, base.Y);
    // A zero-width column at an edge of the range still shows one pixel.
    if (r1.Right == r1.Left) ++r1.Right;
    TRect r2 = GetAbsCellRect(DisplColIndex(base.X + span.X), base.Y + span.Y);
    if (r2.Right == r2.Left) --r2.Left;
    return Rect(std::min(r1.Left, r2.Left), std::min(r1.Top, r2.Top),
                std::max(r1.Right, r2.Right), std::max(r1.Bottom, r2.Bottom));
  }
  if (props && props->Control()) return GetAbsCellRect(ACol, ARow);
  TRect r = CellRect(ACol, ARow);
  // A cell out of view has no class-library rectangle: take where it would be.
  if (r.Right <= r.Left || r.Bottom <= r.Top) return GetAbsCellRect(ACol, ARow);
  r.Right = r.Left + ColWidths(ACol);
  r.Bottom = r.Top + RowHeights(ARow);
  return r;
}

TPoint TBaseGrid::GetMergedCellSize(int ACol, int ARow) {
  TPoint base = BaseCell(ACol, ARow);
  TPoint span = GetCellSpan(ACol, ARow);
  TRect r1 = GetAbsCellRect(base.X, base.Y);
  TRect r2 = GetAbsCellRect(base.X + span.X, base.Y + span.Y);
  return {std::max(r1.Right, r2.Right) - std::min(r1.Left, r2.Left),
          std::max(r1.Bottom, r2.Bottom) - std::min(r1.Top, r2.Top)};
}

void TBaseGrid::RepaintCell(int ACol, int ARow) {
  if (!HandleAllocated()) return;
  TRect r = GetMergedCellRect(ACol, ARow);
  // A cell out of view owes no paint: writing many cells stays cheap.
  TRect client = ClientRect(), shown;
  if (!IntersectRect(shown, r, client)) return;
  ::InvalidateRect(Handle(), &shown, true);
}

bool TBaseGrid::SelectCell(int ACol, int ARow) {
  if (BiDiMode() == bdRightToLeft) {
    bool result = TObjStringGrid::SelectCell(ACol, ARow);
    Invalidate();
    return result;
  }
  RepaintCell(Col(), Row());
  bool result = TObjStringGrid::SelectCell(ACol, ARow);
  RepaintCell(ACol, ARow);
  return result;
}

void TBaseGrid::TopLeftChanged() {
  TObjStringGrid::TopLeftChanged();
  // Merged cells of the fixed parts reach into the scrolled part: they are painted again.
  if (FixedCols() > 0) {
    int last = std::min(TopRow() + VisibleRowCount(), RowCount() - 1);
    for (int row = TopRow(); row <= last; ++row)
      for (int col = 0; col < FixedCols(); ++col)
        if (IsMergedCell(RealColIndex(col), row)) RepaintCell(col, row);
  }
  if (FixedRows() > 0) {
    int last = std::min(LeftCol() + VisibleColCount(), ColCount() - 1);
    for (int col = LeftCol(); col <= last; ++col)
      for (int row = 0; row < FixedRows(); ++row)
        if (IsMergedCell(RealColIndex(col), row)) RepaintCell(col, row);
  }
}

void TBaseGrid::ChangeScale(int M, int D) {
  TObjStringGrid::ChangeScale(M, D);
  if (!ComponentState().Contains(csDesigning) && M != D && D != 0)
    SetDefaultRowHeight(MulDiv(DefaultRowHeight(), M, D));
}
