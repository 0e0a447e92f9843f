// TCustomGrid painting: only the cells that show are touched, whatever the counts. Each cell gets
// its background from the grid (default drawing) and then DrawCell; the lines go in the gaps the
// line width leaves after each cell; the focus rectangle goes last.
#include <algorithm>

#include "platform/gdi/Colors.h"
#include "platform/ui/Grids.h"

namespace {
// The last cell of an axis that shows at least in part.
int LastPartialCell(const TGridAxis& axis, const TGridAxisDrawInfo& info) {
  long long room = info.GridExtent - info.FixedBoundary + axis.Start(info.FirstGridCell, info.EffectiveLineWidth);
  int last = axis.IndexAt(room - 1, info.EffectiveLineWidth);
  return std::min(last, axis.Count() - 1);
}
}  // namespace

void TCustomGrid::Paint() {
  TCanvas* canvas = Canvas();
  TGridDrawInfo info;
  CalcDrawInfo(info);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(ClientRect());

  int lastCol = LastPartialCell(FCols, info.Horz);
  int lastRow = LastPartialCell(FRows, info.Vert);
  int fixedColEnd = std::min(FFixedCols, ColCount()) - 1;
  int fixedRowEnd = std::min(FFixedRows, RowCount()) - 1;
  PaintCells(info, 0, fixedColEnd, 0, fixedRowEnd, 0, 0);
  PaintCells(info, FTopLeft.X, lastCol, 0, fixedRowEnd, info.Horz.FixedBoundary, 0);
  PaintCells(info, 0, fixedColEnd, FTopLeft.Y, lastRow, 0, info.Vert.FixedBoundary);
  PaintCells(info, FTopLeft.X, lastCol, FTopLeft.Y, lastRow, info.Horz.FixedBoundary,
             info.Vert.FixedBoundary);
  PaintLines(info);

  // The focus rectangle: round the current cell, or round the shown part of its row.
  bool editorShows = FInplaceEdit && FInplaceEdit->Visible();
  if (FDefaultDrawing && Focused() && !editorShows) {
    if (FOptions.Contains(goRowSelect)) {
      int top, bottom;
      if (RowSpan(FCurrent.Y, top, bottom) && info.Horz.GridBoundary > info.Horz.FixedBoundary)
        canvas->DrawFocusRect(MirrorRect(Rect(info.Horz.FixedBoundary, top, info.Horz.GridBoundary, bottom)));
    } else {
      TRect r = CellRect(FCurrent.X, FCurrent.Y);
      if (!IsRectEmpty(r)) canvas->DrawFocusRect(r);
    }
  }

  // While a column or row is sized, a line shows where its edge goes.
  if (FGridState == gsColSizing || FGridState == gsRowSizing) {
    canvas->Brush()->SetColor(clBlack);
    if (FGridState == gsColSizing)
      canvas->FillRect(MirrorRect(Rect(FSizingPos, 0, FSizingPos + 1, info.Vert.GridBoundary)));
    else
      canvas->FillRect(Rect(0, FSizingPos, info.Horz.GridBoundary, FSizingPos + 1));
  }
}

void TCustomGrid::PaintCells(const TGridDrawInfo& info, int colFrom, int colTo, int rowFrom,
                             int rowTo, int xStart, int yStart) {
  if (colFrom > colTo || rowFrom > rowTo) return;
  TCanvas* canvas = Canvas();
  TGridRect selection = Selection();
  bool focused = Focused() || (FInplaceEdit && FInplaceEdit->Focused());
  int lineH = info.Horz.EffectiveLineWidth;
  int lineV = info.Vert.EffectiveLineWidth;
  int width = ClientWidth();
  int height = ClientHeight();
  int y = yStart;
  for (int row = rowFrom; row <= rowTo && y < height; ++row) {
    int rowHeight = FRows.Size(row);
    int x = xStart;
    for (int col = colFrom; col <= colTo && x < width; ++col) {
      int colWidth = FCols.Size(col);
      TRect r = MirrorRect(Rect(x, y, std::min(x + colWidth, width), std::min(y + rowHeight, height)));
      TGridDrawState state;
      bool fixed = col < FFixedCols || row < FFixedRows;
      if (fixed) {
        state << gdFixed;
      } else {
        if (focused && col == FCurrent.X && row == FCurrent.Y) state << gdFocused;
        if (selection.Contains(col, row)) state << gdSelected;
      }
      if (FDefaultDrawing) {
        bool highlight = state.Contains(gdSelected) &&
                         (!state.Contains(gdFocused) || FOptions.Contains(goDrawFocusSelected) ||
                          FOptions.Contains(goRowSelect));
        canvas->Font()->Assign(Font());
        canvas->Brush()->SetStyle(bsSolid);
        if (fixed) {
          canvas->Brush()->SetColor(FFixedColor);
        } else if (highlight) {
          canvas->Brush()->SetColor(clHighlight);
          canvas->Font()->SetColor(clHighlightText);
        } else {
          canvas->Brush()->SetColor(Color());
        }
        canvas->FillRect(r);
      }
      DrawCell(col, row, r, state);
      x += colWidth + lineH;
    }
    y += rowHeight + lineV;
  }
}

void TCustomGrid::PaintLines(const TGridDrawInfo& info) {
  TCanvas* canvas = Canvas();
  int lineH = info.Horz.EffectiveLineWidth;
  int lineV = info.Vert.EffectiveLineWidth;
  const TColor fixedLine = clWindowFrame;
  const TColor gridLine = clSilver;
  auto fill = [&](TColor color, TRect r) {
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    canvas->Brush()->SetColor(color);
    canvas->FillRect(MirrorRect(r));
  };
  int lastCol = LastPartialCell(FCols, info.Horz);
  int lastRow = LastPartialCell(FRows, info.Vert);
  int fixedV = info.Vert.FixedBoundary;
  int gridV = info.Vert.GridBoundary;
  int fixedH = info.Horz.FixedBoundary;
  int gridH = info.Horz.GridBoundary;
  auto verticalAfter = [&](int col) {
    int from, to;
    if (lineH == 0 || !ColSpan(col, from, to)) return;
    int x = from + FCols.Size(col);
    bool fixedCol = col < FFixedCols;
    if (FOptions.Contains(goFixedVertLine)) fill(fixedLine, Rect(x, 0, x + lineH, fixedCol ? gridV : fixedV));
    if (!fixedCol && FOptions.Contains(goVertLine)) fill(gridLine, Rect(x, fixedV, x + lineH, gridV));
  };
  auto horizontalAfter = [&](int row) {
    int from, to;
    if (lineV == 0 || !RowSpan(row, from, to)) return;
    int y = from + FRows.Size(row);
    bool fixedRow = row < FFixedRows;
    if (FOptions.Contains(goFixedHorzLine)) fill(fixedLine, Rect(0, y, fixedRow ? gridH : fixedH, y + lineV));
    if (!fixedRow && FOptions.Contains(goHorzLine)) fill(gridLine, Rect(fixedH, y, gridH, y + lineV));
  };
  for (int col = 0; col < std::min(FFixedCols, ColCount()); ++col) verticalAfter(col);
  for (int col = FTopLeft.X; col <= lastCol; ++col) verticalAfter(col);
  for (int row = 0; row < std::min(FFixedRows, RowCount()); ++row) horizontalAfter(row);
  for (int row = FTopLeft.Y; row <= lastRow; ++row) horizontalAfter(row);
}

void TCustomGrid::DrawCell(int, int, const TRect&, TGridDrawState) {}
