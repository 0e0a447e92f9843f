// Keys and the wheel inside merged ranges and with the hidden footer row.
#include <algorithm>

#include "controls/grid/BaseGrid.h"
#include "platform/win/VirtualKeys.h"

void TBaseGrid::StepIntoMerge(WORD key) {
  int real = RealColIndex(Col());
  TCellProperties* props = PeekProperties(real, Row());
  if (!props) return;
  TPoint base = BasePoint(props, real, Row());
  TPoint span = GetCellSpan(real, Row());
  int baseCol = DisplColIndex(base.X);
  switch (key) {
    case VK_RIGHT: {
      // Onto the range's last column, so that the one-column step leaves it.
      int e = DisplColIndex(base.X + span.X);
      if (e >= Col() && Col() < ColCount() - 1 && baseCol < ColCount() - 1 && e < ColCount())
        SetCol(e);
      break;
    }
    case VK_DOWN: {
      int e = base.Y + span.Y;
      if (e >= Row() && Row() < RowCount() - 1 && base.Y < RowCount() - 1) SetRow(e);
      break;
    }
    case VK_LEFT:
      // Onto the range's first column (never into the fixed ones), so that the step leaves it.
      if (Col() > baseCol) SetCol(std::max(baseCol, FixedCols()));
      break;
    case VK_UP:
      if (Row() > base.Y) SetRow(std::max(base.Y, FixedRows()));
      break;
    default:
      break;
  }
}

void TBaseGrid::KeyDown(WORD& key, TShiftState shift) {
  if (key == VK_NEXT && FHideLastRow && RowCount() > 1 &&
      VisibleRowCount() + TopRow() - FixedRows() == RowCount() - 1)
    SetRow(RowCount() - 2);
  if (key == VK_RIGHT || key == VK_DOWN || key == VK_LEFT || key == VK_UP) StepIntoMerge(key);
  WORD pressed = key;
  TObjStringGrid::KeyDown(key, shift);
  // The page step is cut at the last page: the hidden footer row never becomes current.
  if (pressed == VK_NEXT && FHideLastRow && RowCount() - 2 >= FixedRows() &&
      Row() == RowCount() - 1)
    SetRow(RowCount() - 2);
  MoveToBaseCell();
}

bool TBaseGrid::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  bool result = TObjStringGrid::DoMouseWheelDown(shift, mousePos);
  if (FHideLastRow && Row() < RowCount() - 1 && Row() - TopRow() > VisibleRowCount())
    SetTopRow(TopRow() + 1);
  MoveToBaseCell();
  return result;
}

bool TBaseGrid::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  bool result = TObjStringGrid::DoMouseWheelUp(shift, mousePos);
  MoveToBaseCell();
  return result;
}
