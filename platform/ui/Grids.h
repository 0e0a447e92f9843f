// The grid controls of the class library: TCustomGrid (rows and columns of cells, fixed rows and
// columns at the top and left, a current cell and a selection, scrolling, sizing and moving by the
// mouse, keyboard navigation and an in-place editor), TDrawGrid (cells painted by an event) and
// TStringGrid (a string and an object slot per cell).
//
// Geometry lives in two TGridAxis objects, one per direction. An axis maps an index to a pixel
// offset and back: in constant time while every size is the default, and through a Fenwick tree of
// the sizes once any size differs, so that even a grid of a million rows never scans its rows to
// find the one under the mouse or to paint the visible ones.
//
// Coordinates: the fixed rows and columns stay at the top and left; the scrolling part starts at
// TopRow and LeftCol. With BiDiMode bdRightToLeft the columns run from the right edge leftwards:
// every rectangle the grid hands out and every point it takes is mirrored at the client width.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Controls.h"
#include "platform/ui/StdCtrls.h"

DECLARE_EXCEPTION(EInvalidGridOperation, Exception)

struct TGridCoord {
  int X = 0;
  int Y = 0;
  bool operator==(const TGridCoord&) const = default;
};

// A range of cells, both corners included.
struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  TGridCoord TopLeft() const { return {Left, Top}; }
  TGridCoord BottomRight() const { return {Right, Bottom}; }
  bool Contains(int col, int row) const {
    return col >= Left && col <= Right && row >= Top && row <= Bottom;
  }
  bool operator==(const TGridRect&) const = default;
};

enum TGridOption {
  goFixedVertLine,
  goFixedHorzLine,
  goVertLine,
  goHorzLine,
  goRangeSelect,
  goDrawFocusSelected,
  goRowSizing,
  goColSizing,
  goRowMoving,
  goColMoving,
  goEditing,
  goTabs,
  goRowSelect,
  goAlwaysShowEditor,
  goThumbTracking
};
using TGridOptions = TSet<TGridOption, 16>;

// What the mouse is doing to the grid between a press and its release.
enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem, 8>;

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// One direction of the grid's geometry: the sizes of its columns (or rows) and the offsets they
// make. Every cell takes its size plus the line width after it.
class TGridAxis {
 public:
  int Count() const { return FCount; }
  void SetCount(int value);
  int DefaultSize() const { return FDefaultSize; }
  // Sets the default and forgets every size set one by one.
  void SetDefaultSize(int value);
  int Size(int index) const;
  void SetSize(int index, int value);
  // Whether every size is the default (offsets are then computed, not summed).
  bool Uniform() const { return FSizes.empty(); }
  // The offset of a cell's start from the start of cell 0, with line widths.
  long long Start(int index, int lineWidth) const;
  // The cell whose extent (size and the line after it) holds an offset; Count() past the end,
  // -1 before the start.
  int IndexAt(long long offset, int lineWidth) const;
  // Moves one size from one place to another, the sizes between shifting by one.
  void Move(int from, int to);

 private:
  long long SizeSum(int count) const;
  void Materialize();
  void Rebuild();
  void TreeAdd(int index, long long delta);

  int FCount = 0;
  int FDefaultSize = 0;
  std::vector<int> FSizes;        // empty while every size is the default
  std::vector<long long> FTree;   // Fenwick tree over FSizes, 1-based
};

// Where the fixed and the scrolling cells of one direction fall in the client area (left to right
// coordinates: the right-to-left mirroring is applied afterwards).
struct TGridAxisDrawInfo {
  int EffectiveLineWidth = 0;
  int FixedBoundary = 0;         // where the scrolling cells start
  int GridBoundary = 0;          // where the last cell ends, at most the client extent
  int GridExtent = 0;            // the client width or height
  int LastFullVisibleCell = 0;   // the last scrolling cell shown whole
  int FullVisBoundary = 0;       // where that cell's extent ends
  int FixedCellCount = 0;
  int FirstGridCell = 0;         // LeftCol or TopRow
  int GridCellCount = 0;         // ColCount or RowCount
};

struct TGridDrawInfo {
  TGridAxisDrawInfo Horz;
  TGridAxisDrawInfo Vert;
};

class TCustomGrid;

// The editor the grid shows over the current cell: an edit box whose text, mask and limit come
// from the grid. Up, Down, the page keys, Escape and Tab are the grid's; Enter goes to the grid's
// key press, which ends the edit.
class TInplaceEdit : public TCustomEdit {
 public:
  explicit TInplaceEdit(TComponent* owner);
  TCustomGrid* Grid() const { return FGrid; }
  const String& EditMask() const { return FEditMask; }
  void SetEditMask(const String& value) { FEditMask = value; }
  // Loads text, mask and limit from the grid for its current cell.
  virtual void UpdateContents();
  // Moves the editor over a rectangle of the grid's client area and shows it.
  void Move(const TRect& loc);
  void Dispatch(TMessage& message) override;

 protected:
  // The editor took a new place.
  virtual void BoundsChanged() {}
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void DoExit() override;

 private:
  friend class TCustomGrid;
  // Hands a key to the grid's own key handling, as if the grid had it.
  void SendToGrid(WORD& key, TShiftState shift);

  TCustomGrid* FGrid = nullptr;
  String FEditMask;
};

class TCustomGrid : public TCustomControl {
 public:
  explicit TCustomGrid(TComponent* owner);
  ~TCustomGrid() override;

  // --- Size ---
  int ColCount() const { return FCols.Count(); }
  void SetColCount(int value);
  int RowCount() const { return FRows.Count(); }
  void SetRowCount(int value);
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int value);
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int value);
  int DefaultColWidth() const { return FCols.DefaultSize(); }
  void SetDefaultColWidth(int value);
  int DefaultRowHeight() const { return FRows.DefaultSize(); }
  void SetDefaultRowHeight(int value);
  int ColWidths(int index) const;
  void SetColWidths(int index, int value);
  int RowHeights(int index) const;
  void SetRowHeights(int index, int value);
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int value);
  // The sum of the column widths (and lines) and of the row heights.
  int GridWidth() const;
  int GridHeight() const;

  // --- Looks ---
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor value);
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool value);
  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle value);
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode value);
  bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }

  // --- Current cell, selection and scrolling ---
  int Col() const { return FCurrent.X; }
  void SetCol(int value);
  int Row() const { return FCurrent.Y; }
  void SetRow(int value);
  TGridRect Selection() const;
  TGridRect GetSelection() const { return Selection(); }
  void SetSelection(const TGridRect& value);
  int LeftCol() const { return FTopLeft.X; }
  void SetLeftCol(int value);
  int TopRow() const { return FTopLeft.Y; }
  void SetTopRow(int value);
  // How many scrolling columns and rows the client area shows whole.
  int VisibleColCount();
  int VisibleRowCount();
  TGridState GridState() const { return FGridState; }

  // --- Geometry ---
  // The client rectangle of a cell on screen, cut to the grid's area; empty when not shown.
  TRect CellRect(int col, int row);
  // The cell at a client point; (-1, -1) outside the cells.
  TGridCoord MouseCoord(int x, int y);
  void MouseToCell(int x, int y, int& col, int& row);
  void CalcDrawInfo(TGridDrawInfo& info);

  // --- Editing ---
  bool EditorMode() const { return FEditorMode; }
  void SetEditorMode(bool value);
  TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }

  // --- Rows and columns ---
  void MoveColumn(int fromIndex, int toIndex);
  void MoveRow(int fromIndex, int toIndex);
  void DeleteColumn(int col);
  void DeleteRow(int row);

  // The class library scales a control by M/D when its form's font or resolution changes.
  virtual void ChangeScale(int M, int D);

  void Dispatch(TMessage& message) override;

 protected:
  friend class TInplaceEdit;

  // --- Hooks for descendants ---
  virtual void DrawCell(int col, int row, const TRect& rect, TGridDrawState state);
  virtual bool SelectCell(int col, int row);
  virtual void TopLeftChanged();
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  virtual void SizeChanged(int oldColCount, int oldRowCount);
  virtual void ColumnMoved(int fromIndex, int toIndex);
  virtual void RowMoved(int fromIndex, int toIndex);
  // A deleted column or row ended past the count: its cells go with it.
  virtual void ColRowDeleted(bool /*isColumn*/, int /*index*/) {}
  virtual void CalcSizingState(int x, int y, TGridState& state, int& index, int& sizingPos,
                               int& sizingOfs, TGridDrawInfo& fixedInfo);
  // Editing: which editor, whether it may show, what it edits and where its text goes.
  virtual TInplaceEdit* CreateEditor();
  virtual bool CanEditShow();
  virtual bool CanEditModify();
  virtual bool CanEditAcceptKey(char16_t key);
  virtual String GetEditText(int col, int row);
  virtual void SetEditText(int col, int row, const String& value);
  virtual String GetEditMask(int col, int row);
  virtual int GetEditLimit();
  void ShowEditor();
  void ShowEditorChar(char16_t ch);
  void HideEditor();
  // Writes the editor's text into its cell (SetEditText).
  void UpdateText();

  // --- Overrides ---
  void Paint() override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
  void DoEnter() override;
  void Resize() override;

  // --- Helpers for descendants ---
  void InvalidateCell(int col, int row);
  void InvalidateRow(int row);
  void InvalidateCol(int col);
  void InvalidateGrid() { Invalidate(); }
  // Moves the current cell; the anchor follows unless the selection is being stretched.
  void FocusCell(int col, int row, bool moveAnchor);
  void MoveColRow(int col, int row, bool moveAnchor, bool show);
  // Scrolls so that a cell shows.
  void ScrollInView(int col, int row);
  bool IsFixedCell(int col, int row) const { return col < FFixedCols || row < FFixedRows; }
  // The sum of the sizes of the columns (rows) before an index, without the lines between them.
  long long ColSizeSum(int index) const { return FCols.Start(index, 0); }
  long long RowSizeSum(int index) const { return FRows.Start(index, 0); }

 private:
  // Geometry in left-to-right client coordinates.
  int LineWidthH() const;
  int LineWidthV() const;
  void CalcAxis(const TGridAxis& axis, int fixedCount, int first, int lineWidth, int extent,
                TGridAxisDrawInfo& info) const;
  // The left-to-right span of a column or row on screen; false when it does not show.
  bool ColSpan(int col, int& from, int& to);
  bool RowSpan(int row, int& from, int& to);
  // The column at a left-to-right client x, the row at a client y; -1 past the cells.
  int ColAt(int ltrX);
  int RowAt(int y);
  int MirrorX(int x) { return UseRightToLeftAlignment() ? ClientWidth() - x : x; }
  TRect MirrorRect(TRect r);
  // The largest LeftCol and TopRow that still fill the client area.
  int MaxLeftCol();
  int MaxTopRow();
  int MaxTopLeft(const TGridAxis& axis, int fixedCount, int lineWidth, int extent) const;
  // Sizes, counts or the client area changed: keep the scrolling start valid and repaint.
  void GeometryChanged();
  void MoveTopLeft(int left, int top);
  void ClampInView();
  void UpdateScrollRange();
  void ScrollMessage(TMessage& message, bool horizontal);
  void SelectionMoved(const TGridRect& old);
  void SizeCountsChanged(int oldCols, int oldRows);

  // Keys and mouse.
  void MoveByKey(WORD key, TShiftState shift);
  void StartTimer();
  void StopTimer();
  void TimerScroll();
  void TrackSelection(int x, int y);
  void TrackMove(int x, int y);
  void EndSizing();
  void PaintCells(const TGridDrawInfo& info, int colFrom, int colTo, int rowFrom, int rowTo,
                  int xStart, int yStart);
  void PaintLines(const TGridDrawInfo& info);

  // Editor.
  void UpdateEdit();
  void HideEdit();

  TGridAxis FCols;
  TGridAxis FRows;
  int FFixedCols = 1;
  int FFixedRows = 1;
  int FGridLineWidth = 1;
  TColor FFixedColor = clBtnFace;
  bool FDefaultDrawing = true;
  TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  TScrollStyle FScrollBars = ssBoth;
  TBiDiMode FBiDiMode = bdLeftToRight;
  TGridCoord FCurrent{1, 1};
  TGridCoord FAnchor{1, 1};
  TGridCoord FTopLeft{1, 1};
  TGridState FGridState = gsNormal;
  // Sizing: which column or row, where its far edge is dragged to, and how far from the edge
  // the press was.
  int FSizingIndex = -1;
  int FSizingPos = 0;
  int FSizingOfs = 0;
  // Moving: the column or row taken and where it would land.
  int FMoveIndex = -1;
  int FMovePos = -1;
  // The last mouse point of a press in progress, for the timer that scrolls past the edges.
  TPoint FMousePos;
  bool FTimerRunning = false;
  // A press on the current cell opens the editor on release.
  bool FClickEdits = false;
  bool FEditorMode = false;
  TInplaceEdit* FInplaceEdit = nullptr;
  int FInplaceCol = -1;
  int FInplaceRow = -1;
  // The cell's text when the editor opened, put back by Escape.
  String FEditStartText;
  int FUpdating = 0;
};

using TDrawCellEvent =
    std::function<void(TObject* sender, int col, int row, TRect rect, TGridDrawState state)>;
using TSelectCellEvent = std::function<void(TObject* sender, int col, int row, bool& canSelect)>;
using TGetEditEvent = std::function<void(TObject* sender, int col, int row, String& value)>;
using TSetEditEvent = std::function<void(TObject* sender, int col, int row, const String& value)>;
using TMovedEvent = std::function<void(TObject* sender, int fromIndex, int toIndex)>;

// A grid whose cells the program paints (OnDrawCell) and whose editing it answers by events.
class TDrawGrid : public TCustomGrid {
 public:
  explicit TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}

  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;
  TNotifyEvent OnTopLeftChanged;
  TGetEditEvent OnGetEditMask;
  TGetEditEvent OnGetEditText;
  TSetEditEvent OnSetEditText;
  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;

 protected:
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
  bool SelectCell(int col, int row) override;
  void TopLeftChanged() override;
  String GetEditMask(int col, int row) override;
  String GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const String& value) override;
  void ColumnMoved(int fromIndex, int toIndex) override;
  void RowMoved(int fromIndex, int toIndex) override;
};

class TStringGrid;

// A column or a row of a string grid seen as a string list: reads and writes go to the cells.
class TStringGridStrings : public TStrings {
 public:
  TStringGridStrings(TStringGrid* grid, bool isColumn, int index)
      : FGrid(grid), FIsColumn(isColumn), FIndex(index) {}
  bool IsColumn() const { return FIsColumn; }
  int Index() const { return FIndex; }
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const String& s) override;
  int Add(const String& s) override;
  int AddObject(const String& s, TObject* object) override;

 protected:
  String Get(int index) const override;
  int GetCount() const override;
  TObject* GetObject(int index) const override;
  void Put(int index, const String& s) override;
  void PutObject(int index, TObject* object) override;

 private:
  void CheckIndex(int index) const;
  TStringGrid* FGrid;
  bool FIsColumn;
  int FIndex;
};

// A grid of strings, each cell with an object slot the grid does not own. The cells are kept by
// index whatever the counts: a column or row past ColCount or RowCount keeps its cells, so a
// grid that shrinks and grows again shows them again, and cells may be written past the counts.
class TStringGrid : public TDrawGrid {
 public:
  explicit TStringGrid(TComponent* owner);
  ~TStringGrid() override;

  String Cells(int col, int row) const;
  void SetCells(int col, int row, const String& value);
  TObject* Objects(int col, int row) const;
  void SetObjects(int col, int row, TObject* value);
  // The cells of a column or row as a string list (its count is RowCount or ColCount).
  TStrings* Cols(int index);
  void SetCols(int index, TStrings* value);
  TStrings* Rows(int index);
  void SetRows(int index, TStrings* value);

 protected:
  struct TCell {
    String Text;
    TObject* Object = nullptr;
  };
  // The stored cell, read without copying; null when nothing is stored there.
  const TCell* FindCell(int col, int row) const;
  // Stores a cell's text without repainting it.
  void StoreCell(int col, int row, const String& value);
  // Visits every stored cell holding an object, at any index, past the counts too.
  void ForEachStoredObject(const std::function<void(int col, int row, TObject*& object)>& visit);
  // The same for the cells of one column or row.
  void ForEachStoredObjectIn(bool isColumn, int index,
                             const std::function<void(int col, int row, TObject*& object)>& visit);

  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
  String GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const String& value) override;
  void ColumnMoved(int fromIndex, int toIndex) override;
  void RowMoved(int fromIndex, int toIndex) override;
  void SizeChanged(int oldColCount, int oldRowCount) override;
  void ColRowDeleted(bool isColumn, int index) override;

 private:
  friend class TStringGridStrings;
  TCell& CellAt(int col, int row);
  void InvalidateStoredCell(int col, int row);
  TStringGridStrings* Lines(bool isColumn, int index);

  // Rows of cells, each as long as its last written column; both grow on demand only.
  std::vector<std::vector<TCell>> FData;
  std::vector<std::unique_ptr<TStringGridStrings>> FLines;
};
