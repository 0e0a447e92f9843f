// TCustomGrid: counts, sizes, the current cell and the selection, scrolling, and the mapping
// between cells and client coordinates.
#include <algorithm>

#include "platform/gdi/Colors.h"
#include "platform/rtl/RtlMath.h"
#include "platform/ui/Grids.h"

namespace {
constexpr int kThumbMax = 127;  // the scroll bars show the position on this scale
}

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(ControlStyle() << csCaptureMouse << csOpaque << csDoubleClicks);
  FCols.SetDefaultSize(64);
  FRows.SetDefaultSize(24);
  FCols.SetCount(5);
  FRows.SetCount(5);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  SetBounds(Left(), Top(), 320, 120);
}

TCustomGrid::~TCustomGrid() {
  // The editor outlives this part of the grid while the owner frees it: it must not call back.
  if (FInplaceEdit) FInplaceEdit->FGrid = nullptr;
  StopTimer();
}

// --- Counts and sizes -----------------------------------------------------------------------------

void TCustomGrid::SizeCountsChanged(int oldCols, int oldRows) {
  auto clampCoord = [this](TGridCoord& c) {
    c.X = std::clamp(c.X, FFixedCols, ColCount() - 1);
    c.Y = std::clamp(c.Y, FFixedRows, RowCount() - 1);
  };
  clampCoord(FCurrent);
  clampCoord(FAnchor);
  clampCoord(FTopLeft);
  SizeChanged(oldCols, oldRows);
  GeometryChanged();
}

void TCustomGrid::SetColCount(int value) {
  value = std::max(value, 1);
  if (value == ColCount()) return;
  if (value <= FFixedCols) FFixedCols = value - 1;
  int old = ColCount();
  FCols.SetCount(value);
  SizeCountsChanged(old, RowCount());
}

void TCustomGrid::SetRowCount(int value) {
  value = std::max(value, 1);
  if (value == RowCount()) return;
  if (value <= FFixedRows) FFixedRows = value - 1;
  int old = RowCount();
  FRows.SetCount(value);
  SizeCountsChanged(ColCount(), old);
}

void TCustomGrid::SetFixedCols(int value) {
  if (value < 0) throw EInvalidGridOperation(u"Grid index out of range");
  if (value >= ColCount())
    throw EInvalidGridOperation(u"Fixed column count must be less than column count");
  FFixedCols = value;
  // The current cell, the anchor and the scrolling start go to the first cell that scrolls.
  FCurrent.X = FAnchor.X = FTopLeft.X = value;
  HideEdit();
  UpdateScrollRange();
  Invalidate();
}

void TCustomGrid::SetFixedRows(int value) {
  if (value < 0) throw EInvalidGridOperation(u"Grid index out of range");
  if (value >= RowCount())
    throw EInvalidGridOperation(u"Fixed row count must be less than row count");
  FFixedRows = value;
  FCurrent.Y = FAnchor.Y = FTopLeft.Y = value;
  HideEdit();
  UpdateScrollRange();
  Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int value) {
  FCols.SetDefaultSize(value);
  ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int value) {
  FRows.SetDefaultSize(value);
  RowHeightsChanged();
}

int TCustomGrid::ColWidths(int index) const { return FCols.Size(index); }

void TCustomGrid::SetColWidths(int index, int value) {
  if (index < 0 || index >= ColCount()) throw EInvalidGridOperation(u"Grid index out of range");
  if (FCols.Size(index) == std::max(value, 0)) return;
  FCols.SetSize(index, value);
  ColWidthsChanged();
}

int TCustomGrid::RowHeights(int index) const { return FRows.Size(index); }

void TCustomGrid::SetRowHeights(int index, int value) {
  if (index < 0 || index >= RowCount()) throw EInvalidGridOperation(u"Grid index out of range");
  if (FRows.Size(index) == std::max(value, 0)) return;
  FRows.SetSize(index, value);
  RowHeightsChanged();
}

void TCustomGrid::SetGridLineWidth(int value) {
  value = std::max(value, 0);
  if (value == FGridLineWidth) return;
  FGridLineWidth = value;
  GeometryChanged();
}

int TCustomGrid::GridWidth() const {
  return static_cast<int>(std::min<long long>(FCols.Start(ColCount(), LineWidthH()), 0x7FFFFFFF));
}

int TCustomGrid::GridHeight() const {
  return static_cast<int>(std::min<long long>(FRows.Start(RowCount(), LineWidthV()), 0x7FFFFFFF));
}

void TCustomGrid::GeometryChanged() {
  FTopLeft.X = std::clamp(FTopLeft.X, FFixedCols, std::max(MaxLeftCol(), FFixedCols));
  FTopLeft.Y = std::clamp(FTopLeft.Y, FFixedRows, std::max(MaxTopRow(), FFixedRows));
  UpdateScrollRange();
  if (FEditorMode) UpdateEdit();
  Invalidate();
}

void TCustomGrid::ColWidthsChanged() { GeometryChanged(); }
void TCustomGrid::RowHeightsChanged() { GeometryChanged(); }

void TCustomGrid::SizeChanged(int, int) {}

void TCustomGrid::ChangeScale(int M, int D) {
  if (M == D || D == 0) return;
  // Widths follow the scale; heights set one by one too. The default height is the descendant's
  // to scale, as it may tie it to its font.
  std::vector<int> widths;
  bool uniformCols = FCols.Uniform();
  if (!uniformCols)
    for (int i = 0; i < ColCount(); ++i) widths.push_back(MulDiv(FCols.Size(i), M, D));
  FCols.SetDefaultSize(MulDiv(FCols.DefaultSize(), M, D));
  for (size_t i = 0; i < widths.size(); ++i) FCols.SetSize(static_cast<int>(i), widths[i]);
  if (!FRows.Uniform())
    for (int i = 0; i < RowCount(); ++i)
      if (FRows.Size(i) != FRows.DefaultSize()) FRows.SetSize(i, MulDiv(FRows.Size(i), M, D));
  ColWidthsChanged();
  RowHeightsChanged();
}

// --- Looks ----------------------------------------------------------------------------------------

void TCustomGrid::SetFixedColor(TColor value) {
  FFixedColor = value;
  Invalidate();
}

void TCustomGrid::SetDefaultDrawing(bool value) {
  FDefaultDrawing = value;
  Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions value) {
  if (value == FOptions) return;
  // Row selection and an editor do not go together.
  if (value.Contains(goRowSelect)) value >> goAlwaysShowEditor;
  FOptions = value;
  if (!FOptions.Contains(goEditing)) HideEditor();
  if (FOptions.Contains(goAlwaysShowEditor)) FEditorMode = true;
  // The line options change the geometry; the editor may have to show or go.
  GeometryChanged();
}

void TCustomGrid::SetScrollBars(TScrollStyle value) {
  if (value == FScrollBars) return;
  FScrollBars = value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomGrid::SetBiDiMode(TBiDiMode value) {
  if (value == FBiDiMode) return;
  FBiDiMode = value;
  if (FEditorMode) UpdateEdit();
  Invalidate();
}

void TCustomGrid::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) params.Style |= WS_HSCROLL;
}

void TCustomGrid::CreateWnd() {
  TCustomControl::CreateWnd();
  UpdateScrollRange();
}

void TCustomGrid::Resize() {
  GeometryChanged();
  TCustomControl::Resize();
}

// --- Draw info ------------------------------------------------------------------------------------

int TCustomGrid::LineWidthH() const {
  return FOptions.Contains(goVertLine) || FOptions.Contains(goFixedVertLine) ? FGridLineWidth : 0;
}

int TCustomGrid::LineWidthV() const {
  return FOptions.Contains(goHorzLine) || FOptions.Contains(goFixedHorzLine) ? FGridLineWidth : 0;
}

void TCustomGrid::CalcAxis(const TGridAxis& axis, int fixedCount, int first, int lineWidth,
                           int extent, TGridAxisDrawInfo& info) const {
  info.EffectiveLineWidth = lineWidth;
  info.FixedCellCount = fixedCount;
  info.FirstGridCell = first;
  info.GridCellCount = axis.Count();
  info.GridExtent = extent;
  long long fixedBoundary = axis.Start(fixedCount, lineWidth);
  info.FixedBoundary = static_cast<int>(std::min<long long>(fixedBoundary, extent));
  long long firstStart = axis.Start(first, lineWidth);
  long long gridEnd = fixedBoundary + axis.Start(axis.Count(), lineWidth) - firstStart;
  info.GridBoundary = static_cast<int>(std::min<long long>(gridEnd, extent));
  // The last cell whose own pixels (its line aside) end inside the client area.
  long long room = extent - fixedBoundary + firstStart;
  int last = axis.IndexAt(room, lineWidth) - 1;
  int next = last + 1;
  if (next < axis.Count() && axis.Start(next, lineWidth) + axis.Size(next) <= room) last = next;
  last = std::clamp(last, first - 1, axis.Count() - 1);
  info.LastFullVisibleCell = last;
  info.FullVisBoundary =
      static_cast<int>(std::min<long long>(fixedBoundary + axis.Start(last + 1, lineWidth) - firstStart, extent));
}

void TCustomGrid::CalcDrawInfo(TGridDrawInfo& info) {
  CalcAxis(FCols, FFixedCols, FTopLeft.X, LineWidthH(), ClientWidth(), info.Horz);
  CalcAxis(FRows, FFixedRows, FTopLeft.Y, LineWidthV(), ClientHeight(), info.Vert);
}

int TCustomGrid::VisibleColCount() {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return std::max(info.Horz.LastFullVisibleCell - FTopLeft.X + 1, 0);
}

int TCustomGrid::VisibleRowCount() {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return std::max(info.Vert.LastFullVisibleCell - FTopLeft.Y + 1, 0);
}

// --- Cells and points -----------------------------------------------------------------------------

namespace {
// The span of a cell along one axis in left-to-right client coordinates.
bool AxisSpan(const TGridAxis& axis, int index, int fixedCount, int first, int lineWidth,
              int extent, int& from, int& to) {
  if (index < 0 || index >= axis.Count()) return false;
  long long start;
  if (index < fixedCount) {
    start = axis.Start(index, lineWidth);
  } else if (index >= first) {
    start = axis.Start(fixedCount, lineWidth) + axis.Start(index, lineWidth) - axis.Start(first, lineWidth);
  } else {
    return false;
  }
  if (start >= extent) return false;
  from = static_cast<int>(start);
  to = static_cast<int>(std::min<long long>(start + axis.Size(index), extent));
  return true;
}

int AxisIndexAt(const TGridAxis& axis, int pos, int fixedCount, int first, int lineWidth,
                int extent) {
  if (pos < 0 || pos >= extent) return -1;
  long long fixedBoundary = axis.Start(fixedCount, lineWidth);
  int index;
  if (pos < fixedBoundary)
    index = axis.IndexAt(pos, lineWidth);
  else
    index = axis.IndexAt(pos - fixedBoundary + axis.Start(first, lineWidth), lineWidth);
  return index >= axis.Count() ? -1 : index;
}
}  // namespace

bool TCustomGrid::ColSpan(int col, int& from, int& to) {
  return AxisSpan(FCols, col, FFixedCols, FTopLeft.X, LineWidthH(), ClientWidth(), from, to);
}

bool TCustomGrid::RowSpan(int row, int& from, int& to) {
  return AxisSpan(FRows, row, FFixedRows, FTopLeft.Y, LineWidthV(), ClientHeight(), from, to);
}

int TCustomGrid::ColAt(int ltrX) {
  return AxisIndexAt(FCols, ltrX, FFixedCols, FTopLeft.X, LineWidthH(), ClientWidth());
}

int TCustomGrid::RowAt(int y) {
  return AxisIndexAt(FRows, y, FFixedRows, FTopLeft.Y, LineWidthV(), ClientHeight());
}

TRect TCustomGrid::MirrorRect(TRect r) {
  if (!UseRightToLeftAlignment()) return r;
  int width = ClientWidth();
  return Rect(width - r.Right, r.Top, width - r.Left, r.Bottom);
}

TRect TCustomGrid::CellRect(int col, int row) {
  int left, right, top, bottom;
  if (!ColSpan(col, left, right) || !RowSpan(row, top, bottom)) return TRect{};
  return MirrorRect(Rect(left, top, right, bottom));
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) {
  if (UseRightToLeftAlignment()) x = ClientWidth() - 1 - x;
  int col = ColAt(x);
  int row = RowAt(y);
  if (col < 0 || row < 0) return {-1, -1};
  return {col, row};
}

void TCustomGrid::MouseToCell(int x, int y, int& col, int& row) {
  TGridCoord cell = MouseCoord(x, y);
  col = cell.X;
  row = cell.Y;
}

void TCustomGrid::InvalidateCell(int col, int row) {
  if (!HandleAllocated()) return;
  TRect r = CellRect(col, row);
  if (!IsRectEmpty(r)) ::InvalidateRect(Handle(), &r, false);
}

void TCustomGrid::InvalidateRow(int row) {
  if (!HandleAllocated()) return;
  int top, bottom;
  if (!RowSpan(row, top, bottom)) return;
  TRect r = Rect(0, top, ClientWidth(), bottom);
  ::InvalidateRect(Handle(), &r, false);
}

void TCustomGrid::InvalidateCol(int col) {
  if (!HandleAllocated()) return;
  int left, right;
  if (!ColSpan(col, left, right)) return;
  TRect r = MirrorRect(Rect(left, 0, right, ClientHeight()));
  ::InvalidateRect(Handle(), &r, false);
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
