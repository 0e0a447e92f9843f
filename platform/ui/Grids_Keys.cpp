// TCustomGrid keyboard navigation: the arrows, the page keys, Home and End (with Ctrl for the
// whole grid), Tab when the grid keeps it, F2 and Enter for the editor, and a typed character
// that opens the editor with itself.
#include <algorithm>

#include "platform/ui/Grids.h"
#include "platform/win/VirtualKeys.h"

void TCustomGrid::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == 0) return;
  switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
      MoveByKey(key, shift);
      break;
    case VK_TAB:
      if (!FOptions.Contains(goTabs) || shift.Contains(ssAlt)) return;
      MoveByKey(key, shift);
      break;
    case VK_F2:
      if (!FOptions.Contains(goEditing)) return;
      SetEditorMode(true);
      break;
    case VK_ESCAPE:
      // Escape gives the cell back the text it had when the edit began.
      if (!FInplaceEdit || !FInplaceEdit->Visible()) return;
      FInplaceEdit->SetText(FEditStartText);
      FInplaceEdit->SetModified(false);
      if (FOptions.Contains(goAlwaysShowEditor))
        FInplaceEdit->SelectAll();
      else
        HideEditor();
      break;
    default: return;
  }
  key = 0;
}

void TCustomGrid::MoveByKey(WORD key, TShiftState shift) {
  bool rowSelect = FOptions.Contains(goRowSelect);
  bool ctrl = shift.Contains(ssCtrl);
  // Shift with the arrows, page keys, Home and End stretches the selection from its anchor.
  bool stretch = shift.Contains(ssShift) && FOptions.Contains(goRangeSelect) && key != VK_TAB;
  if (UseRightToLeftAlignment()) {
    if (key == VK_LEFT)
      key = VK_RIGHT;
    else if (key == VK_RIGHT)
      key = VK_LEFT;
  }
  TGridDrawInfo info;
  CalcDrawInfo(info);
  int pageRows = std::max(info.Vert.LastFullVisibleCell - FTopLeft.Y + 1, 1);
  TGridCoord target = FCurrent;
  int newTop = FTopLeft.Y;
  switch (key) {
    case VK_UP: --target.Y; break;
    case VK_DOWN: ++target.Y; break;
    case VK_LEFT:
      // A selected row does not move sideways: the columns scroll instead.
      if (rowSelect) {
        SetLeftCol(FTopLeft.X - 1);
        return;
      }
      --target.X;
      break;
    case VK_RIGHT:
      if (rowSelect) {
        SetLeftCol(FTopLeft.X + 1);
        return;
      }
      ++target.X;
      break;
    case VK_PRIOR:
      if (ctrl) {
        target.Y = FTopLeft.Y;
      } else {
        target.Y -= pageRows;
        newTop -= pageRows;
      }
      break;
    case VK_NEXT:
      if (ctrl) {
        target.Y = std::max(info.Vert.LastFullVisibleCell, FTopLeft.Y);
      } else {
        target.Y += pageRows;
        newTop += pageRows;
      }
      break;
    case VK_HOME:
      if (rowSelect || ctrl) target.Y = FFixedRows;
      if (!rowSelect) target.X = FFixedCols;
      break;
    case VK_END:
      if (rowSelect || ctrl) target.Y = RowCount() - 1;
      if (!rowSelect) target.X = ColCount() - 1;
      break;
    case VK_TAB: {
      bool back = shift.Contains(ssShift);
      if (rowSelect) {
        target.Y += back ? -1 : 1;
        break;
      }
      // Tab runs along the row and on to the next one; at either end of the grid it stays.
      target.X += back ? -1 : 1;
      if (target.X >= ColCount()) {
        if (target.Y + 1 >= RowCount()) return;
        target = {FFixedCols, target.Y + 1};
      } else if (target.X < FFixedCols) {
        if (target.Y - 1 < FFixedRows) return;
        target = {ColCount() - 1, target.Y - 1};
      }
      break;
    }
    default: return;
  }
  target.X = std::clamp(target.X, FFixedCols, ColCount() - 1);
  target.Y = std::clamp(target.Y, FFixedRows, RowCount() - 1);
  if (newTop != FTopLeft.Y) SetTopRow(newTop);
  MoveColRow(target.X, target.Y, !stretch, true);
}

void TCustomGrid::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  if (key == 0) return;
  if (key == u'\r') {
    if (FOptions.Contains(goAlwaysShowEditor)) {
      // The editor stays; Enter keeps what was typed.
      UpdateText();
      if (FInplaceEdit && FInplaceEdit->Visible()) FInplaceEdit->SelectAll();
    } else {
      SetEditorMode(!FEditorMode);
    }
    key = 0;
    return;
  }
  // Every printable character, Cyrillic included, starts an edit with itself.
  if (key >= 32 && key != 0x7F && FOptions.Contains(goEditing) && CanEditAcceptKey(key)) {
    ShowEditorChar(key);
    key = 0;
  }
}
