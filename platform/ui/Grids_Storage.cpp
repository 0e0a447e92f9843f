// TDrawGrid (the grid's hooks as events) and TStringGrid (a string and an object per cell, kept by
// index whatever the column and row counts), with the string-list view of one column or row.
#include <algorithm>

#include "platform/ui/Grids.h"

// --- TDrawGrid ------------------------------------------------------------------------------------

void TDrawGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

bool TDrawGrid::SelectCell(int col, int row) {
  bool canSelect = true;
  if (OnSelectCell) OnSelectCell(this, col, row, canSelect);
  return canSelect;
}

void TDrawGrid::TopLeftChanged() {
  TCustomGrid::TopLeftChanged();
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

String TDrawGrid::GetEditMask(int col, int row) {
  String mask;
  if (OnGetEditMask) OnGetEditMask(this, col, row, mask);
  return mask;
}

String TDrawGrid::GetEditText(int col, int row) {
  String text;
  if (OnGetEditText) OnGetEditText(this, col, row, text);
  return text;
}

void TDrawGrid::SetEditText(int col, int row, const String& value) {
  if (OnSetEditText) OnSetEditText(this, col, row, value);
}

void TDrawGrid::ColumnMoved(int fromIndex, int toIndex) {
  if (OnColumnMoved) OnColumnMoved(this, fromIndex, toIndex);
}

void TDrawGrid::RowMoved(int fromIndex, int toIndex) {
  if (OnRowMoved) OnRowMoved(this, fromIndex, toIndex);
}

// --- TStringGrid ----------------------------------------------------------------------------------

TStringGrid::TStringGrid(TComponent* owner) : TDrawGrid(owner) {}

TStringGrid::~TStringGrid() = default;

const TStringGrid::TCell* TStringGrid::FindCell(int col, int row) const {
  if (col < 0 || row < 0 || static_cast<size_t>(row) >= FData.size()) return nullptr;
  const auto& cells = FData[static_cast<size_t>(row)];
  if (static_cast<size_t>(col) >= cells.size()) return nullptr;
  return &cells[static_cast<size_t>(col)];
}

TStringGrid::TCell& TStringGrid::CellAt(int col, int row) {
  if (col < 0 || row < 0) throw EInvalidGridOperation(u"Grid index out of range");
  if (static_cast<size_t>(row) >= FData.size()) FData.resize(static_cast<size_t>(row) + 1);
  auto& cells = FData[static_cast<size_t>(row)];
  if (static_cast<size_t>(col) >= cells.size()) cells.resize(static_cast<size_t>(col) + 1);
  return cells[static_cast<size_t>(col)];
}

void TStringGrid::InvalidateStoredCell(int col, int row) {
  if (col < ColCount() && row < RowCount()) InvalidateCell(col, row);
}

String TStringGrid::Cells(int col, int row) const {
  const TCell* cell = FindCell(col, row);
  return cell ? cell->Text : String();
}

void TStringGrid::SetCells(int col, int row, const String& value) {
  bool stored = FindCell(col, row) != nullptr;
  StoreCell(col, row, value);
  if (stored || !value.empty()) InvalidateStoredCell(col, row);
}

void TStringGrid::StoreCell(int col, int row, const String& value) {
  // Writing an empty text where nothing is stored keeps the storage as it is.
  if (value.empty() && !FindCell(col, row)) {
    if (col < 0 || row < 0) throw EInvalidGridOperation(u"Grid index out of range");
    return;
  }
  CellAt(col, row).Text = value;
}

void TStringGrid::ForEachStoredObject(
    const std::function<void(int col, int row, TObject*& object)>& visit) {
  for (size_t row = 0; row < FData.size(); ++row) {
    auto& cells = FData[row];
    for (size_t col = 0; col < cells.size(); ++col)
      if (cells[col].Object) visit(static_cast<int>(col), static_cast<int>(row), cells[col].Object);
  }
}

void TStringGrid::ForEachStoredObjectIn(
    bool isColumn, int index, const std::function<void(int col, int row, TObject*& object)>& visit) {
  if (index < 0) return;
  auto at = static_cast<size_t>(index);
  if (isColumn) {
    for (size_t row = 0; row < FData.size(); ++row)
      if (at < FData[row].size() && FData[row][at].Object)
        visit(index, static_cast<int>(row), FData[row][at].Object);
  } else if (at < FData.size()) {
    auto& cells = FData[at];
    for (size_t col = 0; col < cells.size(); ++col)
      if (cells[col].Object) visit(static_cast<int>(col), index, cells[col].Object);
  }
}

TObject* TStringGrid::Objects(int col, int row) const {
  const TCell* cell = FindCell(col, row);
  return cell ? cell->Object : nullptr;
}

void TStringGrid::SetObjects(int col, int row, TObject* value) {
  if (!value && !FindCell(col, row)) {
    if (col < 0 || row < 0) throw EInvalidGridOperation(u"Grid index out of range");
    return;
  }
  CellAt(col, row).Object = value;
}

TStringGridStrings* TStringGrid::Lines(bool isColumn, int index) {
  if (index < 0) throw EInvalidGridOperation(u"Grid index out of range");
  for (auto& line : FLines)
    if (line->IsColumn() == isColumn && line->Index() == index) return line.get();
  FLines.push_back(std::make_unique<TStringGridStrings>(this, isColumn, index));
  return FLines.back().get();
}

TStrings* TStringGrid::Cols(int index) { return Lines(true, index); }
TStrings* TStringGrid::Rows(int index) { return Lines(false, index); }

void TStringGrid::SetCols(int index, TStrings* value) {
  // Line i of the list goes to row i; rows past the list's end are emptied.
  if (index < 0) throw EInvalidGridOperation(u"Grid index out of range");
  if (value == Lines(true, index)) return;
  for (int row = 0; row < RowCount(); ++row) {
    bool inList = value && row < value->Count();
    SetCells(index, row, inList ? value->Strings(row) : String());
    SetObjects(index, row, inList ? value->Objects(row) : nullptr);
  }
}

void TStringGrid::SetRows(int index, TStrings* value) {
  if (index < 0) throw EInvalidGridOperation(u"Grid index out of range");
  if (value == Lines(false, index)) return;
  for (int col = 0; col < ColCount(); ++col) {
    bool inList = value && col < value->Count();
    SetCells(col, index, inList ? value->Strings(col) : String());
    SetObjects(col, index, inList ? value->Objects(col) : nullptr);
  }
}

void TStringGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  if (DefaultDrawing()) {
    TRect r = rect;
    Canvas()->TextRect(r, r.Left + 2, r.Top + 2, Cells(col, row));
  }
  TDrawGrid::DrawCell(col, row, rect, state);
}

String TStringGrid::GetEditText(int col, int row) {
  String text = Cells(col, row);
  if (OnGetEditText) OnGetEditText(this, col, row, text);
  return text;
}

void TStringGrid::SetEditText(int col, int row, const String& value) {
  SetCells(col, row, value);
  TDrawGrid::SetEditText(col, row, value);
}

void TStringGrid::ColumnMoved(int fromIndex, int toIndex) {
  // Every stored row moves its cells; columns past the end of a row are empty there.
  int last = std::max(fromIndex, toIndex);
  for (auto& cells : FData) {
    if (cells.empty() || static_cast<size_t>(std::min(fromIndex, toIndex)) >= cells.size()) continue;
    if (static_cast<size_t>(last) >= cells.size()) cells.resize(static_cast<size_t>(last) + 1);
    auto first = cells.begin();
    if (fromIndex < toIndex)
      std::rotate(first + fromIndex, first + fromIndex + 1, first + toIndex + 1);
    else
      std::rotate(first + toIndex, first + fromIndex, first + fromIndex + 1);
  }
  TDrawGrid::ColumnMoved(fromIndex, toIndex);
}

void TStringGrid::RowMoved(int fromIndex, int toIndex) {
  int last = std::max(fromIndex, toIndex);
  if (static_cast<size_t>(std::min(fromIndex, toIndex)) < FData.size()) {
    if (static_cast<size_t>(last) >= FData.size()) FData.resize(static_cast<size_t>(last) + 1);
    auto first = FData.begin();
    if (fromIndex < toIndex)
      std::rotate(first + fromIndex, first + fromIndex + 1, first + toIndex + 1);
    else
      std::rotate(first + toIndex, first + fromIndex, first + fromIndex + 1);
  }
  TDrawGrid::RowMoved(fromIndex, toIndex);
}

void TStringGrid::SizeChanged(int oldColCount, int oldRowCount) {
  // The cells stay: a column or row that comes back shows what it held.
  TDrawGrid::SizeChanged(oldColCount, oldRowCount);
}

void TStringGrid::ColRowDeleted(bool isColumn, int index) {
  if (isColumn) {
    for (auto& cells : FData)
      if (static_cast<size_t>(index) < cells.size()) cells[static_cast<size_t>(index)] = TCell{};
  } else if (static_cast<size_t>(index) < FData.size()) {
    FData[static_cast<size_t>(index)].clear();
  }
}

// --- TStringGridStrings ---------------------------------------------------------------------------

void TStringGridStrings::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount()) throw EInvalidGridOperation(u"Grid index out of range");
}

int TStringGridStrings::GetCount() const {
  return FIsColumn ? FGrid->RowCount() : FGrid->ColCount();
}

String TStringGridStrings::Get(int index) const {
  CheckIndex(index);
  return FIsColumn ? FGrid->Cells(FIndex, index) : FGrid->Cells(index, FIndex);
}

void TStringGridStrings::Put(int index, const String& s) {
  CheckIndex(index);
  if (FIsColumn)
    FGrid->SetCells(FIndex, index, s);
  else
    FGrid->SetCells(index, FIndex, s);
}

TObject* TStringGridStrings::GetObject(int index) const {
  CheckIndex(index);
  return FIsColumn ? FGrid->Objects(FIndex, index) : FGrid->Objects(index, FIndex);
}

void TStringGridStrings::PutObject(int index, TObject* object) {
  CheckIndex(index);
  if (FIsColumn)
    FGrid->SetObjects(FIndex, index, object);
  else
    FGrid->SetObjects(index, FIndex, object);
}

void TStringGridStrings::Clear() {
  for (int i = 0; i < GetCount(); ++i) {
    Put(i, String());
    PutObject(i, nullptr);
  }
}

// A column or row is as long as the grid: removing or inserting lines is refused.
void TStringGridStrings::Delete(int) {
  throw EInvalidGridOperation(u"Grid index out of range");
}

void TStringGridStrings::Insert(int, const String&) {
  throw EInvalidGridOperation(u"Grid index out of range");
}

int TStringGridStrings::Add(const String& s) { return AddObject(s, nullptr); }

int TStringGridStrings::AddObject(const String& s, TObject* object) {
  // Adding writes the first empty cell of the line, the way a list view of cells grows.
  for (int i = 0; i < GetCount(); ++i) {
    if (Get(i).empty() && !GetObject(i)) {
      Put(i, s);
      PutObject(i, object);
      return i;
    }
  }
  throw EInvalidGridOperation(u"Grid index out of range");
}
