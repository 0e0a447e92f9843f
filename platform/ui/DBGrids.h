// A read-only grid over a data source: a title row, a narrow indicator column that marks the
// current record, and a column for each of its Columns (field, title, width, alignment). The
// grid shows the records of its link's window, one per row: it follows the dataset's cursor, and
// a click, the arrow and page keys or the wheel move the cursor. Memo fields show their text on
// one line. The whole row of the current record is selected.
#pragma once

#include <memory>
#include <vector>

#include "platform/db/DataLink.h"
#include "platform/ui/Grids.h"

class TDataSource;
class TField;
class TDBGrid;

struct TDBGridColumn {
  String FieldName;
  String Title;
  int Width = 64;
  TAlignment Alignment = taLeftJustify;
};

class TDBGrid : public TCustomGrid {
 public:
  static constexpr int IndicatorWidth = 20;

  explicit TDBGrid(TComponent* owner);
  ~TDBGrid() override;
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* value);
  const std::vector<TDBGridColumn>& Columns() const { return FColumns; }
  void SetColumns(std::vector<TDBGridColumn> columns);
  // The field a column shows (nullptr while inactive or for an unknown name).
  TField* ColumnField(int column) const;
  // The width of the indicator column.
  int FixedColWidth() const { return FFixedColWidth; }
  void SetFixedColWidth(int value);
  // The text of a data cell as drawn (column from 0, record from 0 within the link's window).
  String CellText(int column, int record);

 protected:
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
  bool SelectCell(int col, int row) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
  void Resize() override;

 private:
  class TGridDataLink;
  friend class TGridDataLink;
  // The columns' fields are bound again and the grid laid out.
  void LayoutChanged();
  // The rows follow the link's window and the current row its current record.
  void DataChanged();
  void UpdateBufferCount();

  std::unique_ptr<TGridDataLink> FDataLink;
  std::vector<TDBGridColumn> FColumns;
  std::vector<TField*> FFields;
  int FFixedColWidth = IndicatorWidth;
  bool FSyncing = false;
};
