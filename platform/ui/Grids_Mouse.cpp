// TCustomGrid and the mouse: a press selects (gsSelecting), sizes a column or row at a border of
// the fixed cells (gsColSizing, gsRowSizing) or takes a column or row by its fixed cell
// (gsColMoving, gsRowMoving); moves track the state and the release ends it. While the button is
// held outside the cells a timer scrolls towards the mouse. The wheel moves the current row; the
// scroll bars move the scrolling part on their 0..127 scale.
#include <algorithm>

#include "platform/ui/Grids.h"
#include "platform/ui/Screen.h"

namespace {
constexpr UINT_PTR kScrollTimer = 1;
constexpr UINT kScrollInterval = 60;
// How near a border (in pixels, either side) the mouse sizes the cell before it.
constexpr int kSizingMargin = 3;
}  // namespace

void TCustomGrid::CalcSizingState(int x, int y, TGridState& state, int& index, int& sizingPos,
                                  int& sizingOfs, TGridDrawInfo& fixedInfo) {
  state = gsNormal;
  index = -1;
  CalcDrawInfo(fixedInfo);
  // Finds the border of a cell of `axis` within the margin of pos; true with the cell and the
  // border's position.
  auto nearBorder = [this](const TGridAxis& axis, const TGridAxisDrawInfo& info, int pos,
                           bool cols, int& cell, int& border) {
    int under = std::clamp(pos, 0, std::max(info.GridBoundary - 1, 0));
    int at = cols ? ColAt(under) : RowAt(under);
    if (at < 0) at = axis.Count();
    for (int candidate : {at - 1, at}) {
      int from, to;
      if (candidate < 0 || !(cols ? ColSpan(candidate, from, to) : RowSpan(candidate, from, to))) continue;
      int edge = from + axis.Size(candidate);
      if (pos >= edge - kSizingMargin && pos <= edge + info.EffectiveLineWidth + kSizingMargin) {
        cell = candidate;
        border = edge;
      }
    }
    return cell >= 0;
  };
  int ltrX = UseRightToLeftAlignment() ? ClientWidth() - 1 - x : x;
  int cell = -1;
  int border = 0;
  if (FOptions.Contains(goColSizing) && y >= 0 && y < fixedInfo.Vert.FixedBoundary &&
      nearBorder(FCols, fixedInfo.Horz, ltrX, true, cell, border)) {
    state = gsColSizing;
    index = cell;
    sizingPos = border;
    sizingOfs = border - ltrX;
    return;
  }
  cell = -1;
  if (FOptions.Contains(goRowSizing) && ltrX >= 0 && ltrX < fixedInfo.Horz.FixedBoundary &&
      nearBorder(FRows, fixedInfo.Vert, y, false, cell, border)) {
    state = gsRowSizing;
    index = cell;
    sizingPos = border;
    sizingOfs = border - y;
  }
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button != mbLeft) {
    TCustomControl::MouseDown(button, shift, x, y);
    return;
  }
  bool wasFocused = Focused();
  if (!wasFocused && CanFocus()) {
    // A press on the grid while the editor has the focus ends the edit rather than reopening it.
    ++FUpdating;
    SetFocus();
    --FUpdating;
  }
  FMousePos = {x, y};
  FClickEdits = false;
  TGridDrawInfo info;
  TGridState state;
  int index = -1, pos = 0, ofs = 0;
  CalcSizingState(x, y, state, index, pos, ofs, info);
  if (state != gsNormal) {
    FGridState = state;
    FSizingIndex = index;
    FSizingPos = pos;
    FSizingOfs = ofs;
    Invalidate();
  } else {
    TGridCoord cell = MouseCoord(x, y);
    if (cell.X >= 0) {
      if (cell.Y < FFixedRows && cell.X >= FFixedCols && FOptions.Contains(goColMoving)) {
        HideEditor();
        FGridState = gsColMoving;
        FMoveIndex = FMovePos = cell.X;
        StartTimer();
      } else if (cell.X < FFixedCols && cell.Y >= FFixedRows && FOptions.Contains(goRowMoving)) {
        HideEditor();
        FGridState = gsRowMoving;
        FMoveIndex = FMovePos = cell.Y;
        StartTimer();
      } else if (!IsFixedCell(cell.X, cell.Y)) {
        // A second press on the focused current cell opens its editor on release.
        FClickEdits = wasFocused && FOptions.Contains(goEditing) && cell == FCurrent &&
                      !shift.Contains(ssShift) && !shift.Contains(ssCtrl);
        bool stretch = shift.Contains(ssShift) && FOptions.Contains(goRangeSelect);
        MoveColRow(cell.X, cell.Y, !stretch, true);
        if (shift.Contains(ssDouble) && FOptions.Contains(goEditing)) {
          ShowEditor();
        } else {
          FGridState = gsSelecting;
          StartTimer();
        }
      }
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomGrid::TrackSelection(int x, int y) {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  // A point past the cells counts as the nearest cell that shows.
  int ltrX = std::clamp(UseRightToLeftAlignment() ? ClientWidth() - 1 - x : x,
                        info.Horz.FixedBoundary, std::max(info.Horz.GridBoundary - 1, 0));
  int clampedY = std::clamp(y, info.Vert.FixedBoundary, std::max(info.Vert.GridBoundary - 1, 0));
  TGridCoord cell = MouseCoord(UseRightToLeftAlignment() ? ClientWidth() - 1 - ltrX : ltrX, clampedY);
  if (cell.X < FFixedCols || cell.Y < FFixedRows) return;
  MoveColRow(cell.X, cell.Y, !FOptions.Contains(goRangeSelect), true);
}

void TCustomGrid::TrackMove(int x, int y) {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  if (FGridState == gsColMoving) {
    int ltrX = std::clamp(UseRightToLeftAlignment() ? ClientWidth() - 1 - x : x,
                          info.Horz.FixedBoundary, std::max(info.Horz.GridBoundary - 1, 0));
    int col = ColAt(ltrX);
    if (col >= FFixedCols && col != FMovePos) {
      FMovePos = col;
      Invalidate();
    }
  } else {
    int clampedY = std::clamp(y, info.Vert.FixedBoundary, std::max(info.Vert.GridBoundary - 1, 0));
    int row = RowAt(clampedY);
    if (row >= FFixedRows && row != FMovePos) {
      FMovePos = row;
      Invalidate();
    }
  }
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y) {
  FMousePos = {x, y};
  switch (FGridState) {
    case gsSelecting: TrackSelection(x, y); break;
    case gsColSizing: {
      int ltrX = UseRightToLeftAlignment() ? ClientWidth() - 1 - x : x;
      int from, to;
      int left = ColSpan(FSizingIndex, from, to) ? from : 0;
      FSizingPos = std::max(ltrX + FSizingOfs, left);
      Invalidate();
      break;
    }
    case gsRowSizing: {
      int from, to;
      int top = RowSpan(FSizingIndex, from, to) ? from : 0;
      FSizingPos = std::max(y + FSizingOfs, top);
      Invalidate();
      break;
    }
    case gsColMoving:
    case gsRowMoving: TrackMove(x, y); break;
    default: break;
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomGrid::EndSizing() {
  int from, to;
  if (FGridState == gsColSizing) {
    if (ColSpan(FSizingIndex, from, to)) SetColWidths(FSizingIndex, std::max(FSizingPos - from, 1));
  } else if (RowSpan(FSizingIndex, from, to)) {
    SetRowHeights(FSizingIndex, std::max(FSizingPos - from, 1));
  }
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    StopTimer();
    // The state lasts while the release does its work, so hooks see what ended.
    switch (FGridState) {
      case gsSelecting: {
        FGridState = gsNormal;
        if (FClickEdits && MouseCoord(x, y) == FCurrent) ShowEditor();
        break;
      }
      case gsColSizing:
      case gsRowSizing: EndSizing(); break;
      case gsColMoving:
        if (FMovePos >= 0 && FMovePos != FMoveIndex) MoveColumn(FMoveIndex, FMovePos);
        break;
      case gsRowMoving:
        if (FMovePos >= 0 && FMovePos != FMoveIndex) MoveRow(FMoveIndex, FMovePos);
        break;
      default: break;
    }
    if (FGridState != gsNormal) Invalidate();
    FGridState = gsNormal;
    FClickEdits = false;
    FMoveIndex = FMovePos = -1;
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

// --- The scrolling timer --------------------------------------------------------------------------

void TCustomGrid::StartTimer() {
  if (!HandleAllocated()) return;
  SetTimer(Handle(), kScrollTimer, kScrollInterval, nullptr);
  FTimerRunning = true;
}

void TCustomGrid::StopTimer() {
  if (!FTimerRunning) return;
  if (HandleAllocated()) KillTimer(Handle(), kScrollTimer);
  FTimerRunning = false;
}

void TCustomGrid::TimerScroll() {
  if (FGridState != gsSelecting && FGridState != gsColMoving && FGridState != gsRowMoving) {
    StopTimer();
    return;
  }
  TGridDrawInfo info;
  CalcDrawInfo(info);
  int ltrX = UseRightToLeftAlignment() ? ClientWidth() - 1 - FMousePos.X : FMousePos.X;
  int dx = 0;
  int dy = 0;
  if (FGridState != gsRowMoving) {
    if (ltrX < info.Horz.FixedBoundary) dx = -1;
    if (ltrX >= info.Horz.GridExtent) dx = 1;
  }
  if (FGridState != gsColMoving) {
    if (FMousePos.Y < info.Vert.FixedBoundary) dy = -1;
    if (FMousePos.Y >= info.Vert.GridExtent) dy = 1;
  }
  if (dx == 0 && dy == 0) return;
  if (dx) SetLeftCol(FTopLeft.X + dx);
  if (dy) SetTopRow(FTopLeft.Y + dy);
  if (FGridState == gsSelecting) {
    // The selection reaches the cells that scrolled in.
    CalcDrawInfo(info);
    TGridCoord target = FCurrent;
    if (dx < 0) target.X = FTopLeft.X;
    if (dx > 0) target.X = std::max(info.Horz.LastFullVisibleCell, FTopLeft.X);
    if (dy < 0) target.Y = FTopLeft.Y;
    if (dy > 0) target.Y = std::max(info.Vert.LastFullVisibleCell, FTopLeft.Y);
    MoveColRow(target.X, target.Y, !FOptions.Contains(goRangeSelect), true);
  } else {
    TrackMove(FMousePos.X, FMousePos.Y);
  }
}

// --- Wheel and messages ---------------------------------------------------------------------------

bool TCustomGrid::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  if (TCustomControl::DoMouseWheelDown(shift, mousePos)) return true;
  if (FCurrent.Y < RowCount() - 1) SetRow(FCurrent.Y + 1);
  return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  if (TCustomControl::DoMouseWheelUp(shift, mousePos)) return true;
  if (FCurrent.Y > FFixedRows) SetRow(FCurrent.Y - 1);
  return true;
}

void TCustomGrid::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      if (FOptions.Contains(goTabs)) message.Result |= DLGC_WANTTAB;
      return;
    case WM_HSCROLL: ScrollMessage(message, true); return;
    case WM_VSCROLL: ScrollMessage(message, false); return;
    case WM_TIMER:
      if (message.WParam == kScrollTimer) {
        TimerScroll();
        return;
      }
      break;
    case WM_CANCELMODE:
      StopTimer();
      FGridState = gsNormal;
      break;
    case WM_SETCURSOR:
      if (FGridState == gsNormal && message.LParamLo() == HTCLIENT && Screen) {
        TPoint p;
        GetCursorPos(&p);
        p = ScreenToClient(p);
        TGridDrawInfo info;
        TGridState state;
        int index, pos, ofs;
        CalcSizingState(p.X, p.Y, state, index, pos, ofs, info);
        if (state != gsNormal) {
          ::SetCursor(Screen->Cursors(state == gsColSizing ? crHSplit : crVSplit));
          message.Result = 1;
          return;
        }
      }
      break;
    default: break;
  }
  TCustomControl::Dispatch(message);
}
