#include "platform/ui/DBGrids.h"

#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/Fields.h"
#include "platform/win/VirtualKeys.h"

class TDBGrid::TGridDataLink : public TDataLink {
 public:
  explicit TGridDataLink(TDBGrid* grid) : FGrid(grid) { SetVisualControl(true); }

 protected:
  void ActiveChanged() override { FGrid->LayoutChanged(); }
  void LayoutChanged() override { FGrid->LayoutChanged(); }
  void DataSetChanged() override { FGrid->DataChanged(); }
  void DataSetScrolled(int) override { FGrid->DataChanged(); }
  void RecordChanged(TField*) override { FGrid->Invalidate(); }

 private:
  TDBGrid* FGrid;
};

TDBGrid::TDBGrid(TComponent* owner)
    : TCustomGrid(owner), FDataLink(std::make_unique<TGridDataLink>(this)) {
  SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRowSelect});
  SetScrollBars(ssHorizontal);
  SetColCount(2);
  SetRowCount(2);
  SetFixedCols(1);
  SetFixedRows(1);
  SetColWidths(0, IndicatorWidth);
}

TDBGrid::~TDBGrid() { FDataLink->SetDataSource(nullptr); }

TDataSource* TDBGrid::DataSource() const { return FDataLink->DataSource(); }

void TDBGrid::SetDataSource(TDataSource* value) {
  FDataLink->SetDataSource(value);
  LayoutChanged();
}

void TDBGrid::SetColumns(std::vector<TDBGridColumn> columns) {
  FColumns = std::move(columns);
  LayoutChanged();
}

TField* TDBGrid::ColumnField(int column) const {
  if (column < 0 || column >= static_cast<int>(FFields.size())) return nullptr;
  return FFields[static_cast<size_t>(column)];
}

void TDBGrid::SetFixedColWidth(int value) {
  FFixedColWidth = std::max(0, value);
  SetColWidths(0, FFixedColWidth);
}

void TDBGrid::LayoutChanged() {
  FFields.assign(FColumns.size(), nullptr);
  TDataSet* data = FDataLink->DataSet();
  if (FDataLink->Active() && data) {
    for (size_t i = 0; i < FColumns.size(); ++i)
      FFields[i] = data->FindField(FColumns[i].FieldName);
  }
  SetColCount(1 + std::max<int>(1, static_cast<int>(FColumns.size())));
  SetColWidths(0, FFixedColWidth);
  for (size_t i = 0; i < FColumns.size(); ++i)
    SetColWidths(static_cast<int>(i) + 1, FColumns[i].Width);
  UpdateBufferCount();
  DataChanged();
}

void TDBGrid::UpdateBufferCount() {
  // As many records as whole rows fit below the titles, at least one.
  const int rowHeight = DefaultRowHeight() + GridLineWidth();
  const int rows = std::max(1, (ClientHeight() - rowHeight) / std::max(1, rowHeight));
  FDataLink->SetBufferCount(rows);
}

void TDBGrid::DataChanged() {
  const int records = FDataLink->Active() ? FDataLink->RecordCount() : 0;
  FSyncing = true;
  SetRowCount(1 + std::max(1, records));
  if (records > 0) SetRow(1 + FDataLink->ActiveRecord());
  FSyncing = false;
  Invalidate();
}

void TDBGrid::Resize() {
  TCustomGrid::Resize();
  UpdateBufferCount();
  DataChanged();
}

String TDBGrid::CellText(int column, int record) {
  TField* field = ColumnField(column);
  if (!field || !FDataLink->Active() || record < 0 || record >= FDataLink->RecordCount())
    return String();
  const int current = FDataLink->ActiveRecord();
  FDataLink->SetActiveRecord(record);
  String text;
  try {
    text = field->IsBlob() ? field->AsString() : field->DisplayText();
  } catch (...) {
    FDataLink->SetActiveRecord(current);
    throw;
  }
  FDataLink->SetActiveRecord(current);
  if (field->IsBlob()) {
    // A memo shows on one line: each line break becomes a blank.
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') text.erase(i + 1, 1);
      if (text[i] == u'\r' || text[i] == u'\n') text[i] = u' ';
    }
  }
  return text;
}

void TDBGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  TCanvas* canvas = Canvas();
  TRect r = rect;
  if (col == 0) {
    // The indicator: a small triangle at the current record.
    if (row > 0 && FDataLink->Active() && FDataLink->RecordCount() > 0 &&
        row - 1 == FDataLink->ActiveRecord()) {
      const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
      canvas->Brush()->SetColor(clWindowText);
      canvas->Pen()->SetColor(clWindowText);
      canvas->Polygon({{cx - 3, cy - 5}, {cx + 3, cy}, {cx - 3, cy + 5}});
    }
    TCustomGrid::DrawCell(col, row, rect, state);
    return;
  }
  const int column = col - 1;
  if (column >= static_cast<int>(FColumns.size())) return;
  const TDBGridColumn& shown = FColumns[static_cast<size_t>(column)];
  const String text = row == 0 ? shown.Title : CellText(column, row - 1);
  const int width = canvas->TextWidth(text);
  int x = r.Left + 2;
  if (row > 0 && shown.Alignment == taRightJustify) x = r.Right - 3 - width;
  if (row > 0 && shown.Alignment == taCenter) x = r.Left + (r.Width() - width) / 2;
  canvas->TextRect(r, x, r.Top + 2, text);
  TCustomGrid::DrawCell(col, row, rect, state);
}

bool TDBGrid::SelectCell(int col, int row) {
  if (FSyncing || !FDataLink->Active() || row < 1) return TCustomGrid::SelectCell(col, row);
  // A row chosen with the mouse or the keys makes its record the current one.
  const int distance = (row - 1) - FDataLink->ActiveRecord();
  if (distance != 0) FDataLink->MoveBy(distance);
  return TCustomGrid::SelectCell(col, row);
}

void TDBGrid::KeyDown(WORD& key, TShiftState shift) {
  if (!FDataLink->Active()) {
    TCustomGrid::KeyDown(key, shift);
    return;
  }
  TDataSet* data = FDataLink->DataSet();
  const int page = FDataLink->BufferCount();
  switch (key) {
    case VK_DOWN: FDataLink->MoveBy(1); break;
    case VK_UP: FDataLink->MoveBy(-1); break;
    case VK_NEXT: FDataLink->MoveBy(page); break;
    case VK_PRIOR: FDataLink->MoveBy(-page); break;
    case VK_HOME:
      if (!shift.Contains(ssCtrl)) return TCustomGrid::KeyDown(key, shift);
      data->First();
      break;
    case VK_END:
      if (!shift.Contains(ssCtrl)) return TCustomGrid::KeyDown(key, shift);
      data->Last();
      break;
    default:
      TCustomGrid::KeyDown(key, shift);
      return;
  }
  key = 0;
}

bool TDBGrid::DoMouseWheelDown(TShiftState, TPoint) {
  if (FDataLink->Active()) FDataLink->MoveBy(1);
  return true;
}

bool TDBGrid::DoMouseWheelUp(TShiftState, TPoint) {
  if (FDataLink->Active()) FDataLink->MoveBy(-1);
  return true;
}
