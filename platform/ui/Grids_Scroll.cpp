// TCustomGrid: scrolling (by program, by keeping a cell in view and by the scroll bars), the
// current cell and the selection, and moving and deleting rows and columns.
#include <algorithm>

#include "platform/rtl/RtlMath.h"
#include "platform/ui/Grids.h"

namespace {
constexpr int kThumbMax = 127;  // the scroll bars show the position on this scale
}

// --- Scrolling ------------------------------------------------------------------------------------

int TCustomGrid::MaxTopLeft(const TGridAxis& axis, int fixedCount, int lineWidth,
                            int extent) const {
  // The first cell from which the rest, up to the last one's own pixels, fits in the room left
  // beside the fixed cells.
  long long room = extent - axis.Start(fixedCount, lineWidth);
  long long total = axis.Start(axis.Count(), lineWidth) - lineWidth;
  long long target = total - room;
  int first = fixedCount;
  if (target > axis.Start(fixedCount, lineWidth)) {
    first = axis.IndexAt(target, lineWidth);
    if (first < axis.Count() && axis.Start(first, lineWidth) < target) ++first;
  }
  return std::clamp(first, fixedCount, std::max(axis.Count() - 1, fixedCount));
}

int TCustomGrid::MaxLeftCol() {
  return MaxTopLeft(FCols, FFixedCols, LineWidthH(), ClientWidth());
}

int TCustomGrid::MaxTopRow() {
  return MaxTopLeft(FRows, FFixedRows, LineWidthV(), ClientHeight());
}

void TCustomGrid::SetLeftCol(int value) {
  MoveTopLeft(std::clamp(value, FFixedCols, MaxLeftCol()), FTopLeft.Y);
}

void TCustomGrid::SetTopRow(int value) {
  MoveTopLeft(FTopLeft.X, std::clamp(value, FFixedRows, MaxTopRow()));
}

void TCustomGrid::MoveTopLeft(int left, int top) {
  if (left == FTopLeft.X && top == FTopLeft.Y) return;
  FTopLeft = {left, top};
  UpdateScrollRange();
  Invalidate();
  if (FEditorMode) UpdateEdit();
  TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {}

void TCustomGrid::ScrollInView(int col, int row) {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  int left = FTopLeft.X;
  int top = FTopLeft.Y;
  auto firstToShow = [](const TGridAxis& axis, int index, int fixedCount, int lineWidth,
                        int extent) {
    // The smallest first cell that still shows `index` whole.
    long long room = extent - axis.Start(fixedCount, lineWidth);
    long long target = axis.Start(index, lineWidth) + axis.Size(index) - room;
    int first = axis.IndexAt(std::max<long long>(target, 0), lineWidth);
    if (first < axis.Count() && axis.Start(first, lineWidth) < target) ++first;
    return std::clamp(first, fixedCount, index);
  };
  if (col >= FFixedCols && col < ColCount() && !FOptions.Contains(goRowSelect)) {
    if (col < left)
      left = col;
    else if (col > info.Horz.LastFullVisibleCell)
      left = firstToShow(FCols, col, FFixedCols, LineWidthH(), ClientWidth());
  }
  if (row >= FFixedRows && row < RowCount()) {
    if (row < top)
      top = row;
    else if (row > info.Vert.LastFullVisibleCell)
      top = firstToShow(FRows, row, FFixedRows, LineWidthV(), ClientHeight());
  }
  MoveTopLeft(std::clamp(left, FFixedCols, std::max(MaxLeftCol(), FFixedCols)),
              std::clamp(top, FFixedRows, std::max(MaxTopRow(), FFixedRows)));
}

void TCustomGrid::ClampInView() { ScrollInView(FCurrent.X, FCurrent.Y); }

void TCustomGrid::UpdateScrollRange() {
  if (!HandleAllocated()) return;
  auto update = [this](int bar, int first, int fixedCount, int maxFirst) {
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nMin = 0;
    info.nMax = kThumbMax;
    info.nPage = 0;
    info.nPos = maxFirst > fixedCount ? MulDiv(first - fixedCount, kThumbMax, maxFirst - fixedCount) : 0;
    SetScrollInfo(Handle(), bar, &info, true);
  };
  if (FScrollBars == ssVertical || FScrollBars == ssBoth)
    update(SB_VERT, FTopLeft.Y, FFixedRows, MaxTopRow());
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
    update(SB_HORZ, FTopLeft.X, FFixedCols, MaxLeftCol());
}

void TCustomGrid::ScrollMessage(TMessage& message, bool horizontal) {
  int fixedCount = horizontal ? FFixedCols : FFixedRows;
  int first = horizontal ? FTopLeft.X : FTopLeft.Y;
  int maxFirst = horizontal ? MaxLeftCol() : MaxTopRow();
  int page = std::max(horizontal ? VisibleColCount() : VisibleRowCount(), 1);
  int target = first;
  switch (message.WParamLo()) {
    case SB_LINEUP: target = first - 1; break;
    case SB_LINEDOWN: target = first + 1; break;
    case SB_PAGEUP: target = first - page; break;
    case SB_PAGEDOWN: target = first + page; break;
    case SB_THUMBTRACK:
      if (!FOptions.Contains(goThumbTracking)) return;
      [[fallthrough]];
    case SB_THUMBPOSITION: {
      int pos = std::clamp<int>(message.WParamHi(), 0, kThumbMax);
      target = fixedCount + MulDiv(pos, maxFirst - fixedCount, kThumbMax);
      break;
    }
    case SB_TOP: target = fixedCount; break;
    case SB_BOTTOM: target = maxFirst; break;
    default: return;
  }
  target = std::clamp(target, fixedCount, std::max(maxFirst, fixedCount));
  if (horizontal)
    MoveTopLeft(target, FTopLeft.Y);
  else
    MoveTopLeft(FTopLeft.X, target);
}

// --- Current cell and selection -------------------------------------------------------------------

TGridRect TCustomGrid::Selection() const {
  TGridRect r{std::min(FAnchor.X, FCurrent.X), std::min(FAnchor.Y, FCurrent.Y),
              std::max(FAnchor.X, FCurrent.X), std::max(FAnchor.Y, FCurrent.Y)};
  if (FOptions.Contains(goRowSelect)) {
    r.Left = FFixedCols;
    r.Right = ColCount() - 1;
  }
  return r;
}

void TCustomGrid::SetSelection(const TGridRect& value) {
  HideEdit();
  auto inside = [this](TGridCoord c) {
    return TGridCoord{std::clamp(c.X, FFixedCols, ColCount() - 1),
                      std::clamp(c.Y, FFixedRows, RowCount() - 1)};
  };
  TGridRect old = Selection();
  FAnchor = inside(value.TopLeft());
  FCurrent = inside(value.BottomRight());
  ClampInView();
  SelectionMoved(old);
}

void TCustomGrid::SelectionMoved(const TGridRect& old) {
  if (old == Selection()) {
    InvalidateCell(FCurrent.X, FCurrent.Y);
    return;
  }
  Invalidate();
}

void TCustomGrid::SetCol(int value) {
  if (value == FCurrent.X) return;
  FocusCell(value, FCurrent.Y, true);
}

void TCustomGrid::SetRow(int value) {
  if (value == FCurrent.Y) return;
  FocusCell(FCurrent.X, value, true);
}

void TCustomGrid::FocusCell(int col, int row, bool moveAnchor) {
  MoveColRow(col, row, moveAnchor, true);
}

bool TCustomGrid::SelectCell(int, int) { return true; }

void TCustomGrid::MoveColRow(int col, int row, bool moveAnchor, bool show) {
  col = std::clamp(col, FFixedCols, ColCount() - 1);
  row = std::clamp(row, FFixedRows, RowCount() - 1);
  TGridCoord target{col, row};
  bool anchorMoves = (moveAnchor || !FOptions.Contains(goRangeSelect)) && !(FAnchor == target);
  if (target == FCurrent && !anchorMoves) {
    if (show) ClampInView();
    return;
  }
  if (!(target == FCurrent) && !SelectCell(col, row)) return;
  TGridRect old = Selection();
  // Leaving the cell ends its edit; the editor follows only when it always shows.
  if (!(target == FCurrent)) {
    if (FOptions.Contains(goAlwaysShowEditor))
      HideEdit();
    else
      HideEditor();
  }
  FCurrent = target;
  if (moveAnchor || !FOptions.Contains(goRangeSelect)) FAnchor = FCurrent;
  if (show) ClampInView();
  SelectionMoved(old);
  if (FOptions.Contains(goAlwaysShowEditor)) {
    FEditorMode = true;
    UpdateEdit();
  }
}

// --- Rows and columns -----------------------------------------------------------------------------

namespace {
// Where an index goes when the line at `from` is taken out and put back at `to`.
int MovedIndex(int index, int from, int to) {
  if (index == from) return to;
  if (from < to && index > from && index <= to) return index - 1;
  if (from > to && index >= to && index < from) return index + 1;
  return index;
}
}  // namespace

void TCustomGrid::MoveColumn(int fromIndex, int toIndex) {
  if (fromIndex < 0 || toIndex < 0 || fromIndex >= ColCount() || toIndex >= ColCount())
    throw EInvalidGridOperation(u"Grid index out of range");
  if (fromIndex == toIndex) return;
  HideEdit();
  FCols.Move(fromIndex, toIndex);
  FCurrent.X = std::clamp(MovedIndex(FCurrent.X, fromIndex, toIndex), FFixedCols, ColCount() - 1);
  FAnchor.X = std::clamp(MovedIndex(FAnchor.X, fromIndex, toIndex), FFixedCols, ColCount() - 1);
  ColumnMoved(fromIndex, toIndex);
  GeometryChanged();
}

void TCustomGrid::MoveRow(int fromIndex, int toIndex) {
  if (fromIndex < 0 || toIndex < 0 || fromIndex >= RowCount() || toIndex >= RowCount())
    throw EInvalidGridOperation(u"Grid index out of range");
  if (fromIndex == toIndex) return;
  HideEdit();
  FRows.Move(fromIndex, toIndex);
  FCurrent.Y = std::clamp(MovedIndex(FCurrent.Y, fromIndex, toIndex), FFixedRows, RowCount() - 1);
  FAnchor.Y = std::clamp(MovedIndex(FAnchor.Y, fromIndex, toIndex), FFixedRows, RowCount() - 1);
  RowMoved(fromIndex, toIndex);
  GeometryChanged();
}

void TCustomGrid::ColumnMoved(int, int) {}
void TCustomGrid::RowMoved(int, int) {}

void TCustomGrid::DeleteColumn(int col) {
  if (col < 0 || col >= ColCount()) throw EInvalidGridOperation(u"Grid index out of range");
  int last = ColCount() - 1;
  MoveColumn(col, last);
  SetColCount(last);
  ColRowDeleted(true, last);
}

void TCustomGrid::DeleteRow(int row) {
  if (row < 0 || row >= RowCount()) throw EInvalidGridOperation(u"Grid index out of range");
  int last = RowCount() - 1;
  MoveRow(row, last);
  SetRowCount(last);
  ColRowDeleted(false, last);
}
