// TCustomGrid: counts, sizes, looks, and the mapping between cells and client coordinates.
#include <algorithm>

#include "platform/gdi/Colors.h"
#include "platform/rtl/RtlMath.h"
#include "platform/ui/Grids.h"

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
