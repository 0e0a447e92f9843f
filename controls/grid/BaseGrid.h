// The base grid: the layer between the class library's string grid and the string grid component.
// It adds a properties object per cell (formatting, merge data, editor kind, attached content),
// merged cells (a rectangle shown as one, its text and spans kept in its top-left base cell), a
// display-text hook on every cell read, the hooks through which a descendant maps display columns
// to real columns (hidden columns keep their cells) and takes part in painting, its own grid-line,
// active-row and hover-row painting, and the link to the undo and redo recorder.
//
// Cell text, cell properties and merge data are addressed by real column; painting and cell
// rectangles by display column. In the base grid both are the same.
#pragma once

#include <cstdint>

#include "controls/grid/BaseGridTypes.h"
#include "platform/gdi/GraphicsObjects.h"
#include "platform/ui/Grids.h"

class TAdvGridUndoRedo;
class TBaseGrid;
class TCanvas;
class TControl;

// Adds nothing: it keeps the descendant chain's names.
class TObjStringGrid : public TStringGrid {
 public:
  using TStringGrid::TStringGrid;
};

// The formatting and merge data of one cell, created on first demand and owned by the grid.
// Subsystems stream the published part in the order declared here.
class TCellProperties : public TPersistent {
 public:
  TCellProperties(TBaseGrid* grid, int ARow, int ACol);
  // Copies the cell look and merge data; not BrushColorTo, GradientDirection, Graphic,
  // CalcKind or PaintPass.
  void Assign(TPersistent* source) override;

  // --- Published, in stream order ---
  bool IsBaseCell() const { return FIsBaseCell; }
  void SetIsBaseCell(bool value) { FIsBaseCell = value; }
  // Base cell of a merge: merged columns (rows) minus 1; covered cell: its distance to the base
  // cell; -1 not merged.
  int CellSpanX() const { return FCellSpanX; }
  void SetCellSpanX(int value) { FCellSpanX = value; }
  int CellSpanY() const { return FCellSpanY; }
  void SetCellSpanY(int value) { FCellSpanY = value; }
  int OwnerCol() const { return FOwnerCol; }
  void SetOwnerCol(int value) { FOwnerCol = value; }
  int OwnerRow() const { return FOwnerRow; }
  void SetOwnerRow(int value) { FOwnerRow = value; }
  TAlignment Alignment() const { return FAlignment; }
  // Only stores: a caller that changes the alignment repaints the cell.
  void SetAlignment(TAlignment value) { FAlignment = value; }
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value) { FBorderColor = value; }
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value) { FBorderWidth = value; }
  TColor BrushColor() const { return FBrushColor; }
  void SetBrushColor(TColor value);
  TColor BrushColorTo() const { return FBrushColorTo; }
  void SetBrushColorTo(TColor value);
  TBrushStyle BrushStyle() const { return FBrushStyle; }
  void SetBrushStyle(TBrushStyle value) { FBrushStyle = value; }
  int CellObject() const { return FCellObject; }
  void SetCellObject(int value) { FCellObject = value; }
  TColor FontColor() const { return FFontColor; }
  void SetFontColor(TColor value) { FFontColor = value; }
  const String& FontName() const { return FFontName; }
  void SetFontName(const String& value) { FFontName = value; }
  int FontSize() const { return FFontSize; }
  void SetFontSize(int value) { FFontSize = value; }
  TFontStyles FontStyle() const { return FFontStyle; }
  void SetFontStyle(TFontStyles value) { FFontStyle = value; }
  TEditorType Editor() const { return FEditor; }
  void SetEditor(TEditorType value) { FEditor = value; }
  TCellGradientDirection GradientDirection() const { return FGradientDirection; }
  void SetGradientDirection(TCellGradientDirection value) { FGradientDirection = value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  TVAlignment VAlignment() const { return FVAlignment; }
  void SetVAlignment(TVAlignment value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  int NodeLevel() const { return FNodeLevel; }
  void SetNodeLevel(int value) { FNodeLevel = value; }

  // --- Unpublished ---
  TControl* Control() const { return FControl; }
  void SetControl(TControl* value) { FControl = value; }
  TBaseGrid* OwnerGrid() const { return FOwnerGrid; }
  // The string grid's special content object; freed with the properties when it is a
  // "TCellGraphic".
  TObject* Graphic() const { return FGraphic; }
  void SetGraphic(TObject* value) { FGraphic = value; }
  TFooterCalcKind CalcKind() const { return FCalcKind; }
  void SetCalcKind(TFooterCalcKind value) { FCalcKind = value; }
  // The paint pass in which a merged range was last painted through one of its covered cells.
  int PaintPass() const { return FPaintPass; }
  void SetPaintPass(int value) { FPaintPass = value; }

 private:
  friend class TBaseGrid;
  void Repaint();

  bool FIsBaseCell = true;
  int FCellSpanX = -1;
  int FCellSpanY = -1;
  int FOwnerCol;
  int FOwnerRow;
  TAlignment FAlignment = taLeftJustify;
  TColor FBorderColor = 0;
  int FBorderWidth = 0;
  TColor FBrushColor = clNone;
  TColor FBrushColorTo = clNone;
  TBrushStyle FBrushStyle = bsSolid;
  int FCellObject = 0;
  TColor FFontColor = clNone;
  String FFontName;
  int FFontSize = 0;
  TFontStyles FFontStyle;
  TEditorType FEditor = TEditorType::edNormal;
  TCellGradientDirection FGradientDirection = TCellGradientDirection::GradientVertical;
  bool FReadOnly = false;
  TVAlignment FVAlignment = TVAlignment::vtaTop;
  bool FWordWrap;
  int FNodeLevel = 0;
  TControl* FControl = nullptr;
  TBaseGrid* FOwnerGrid;
  TObject* FGraphic = nullptr;
  TFooterCalcKind FCalcKind = 0;
  int FPaintPass = 0;
};

// The look of a cell: the font and brush to fill, and the values that go with them.
struct TCellLook {
  TFont* Font = nullptr;
  TBrush* Brush = nullptr;
  TColor ColorTo = clNone;
  TColor ColorMirror = clNone;
  TColor ColorMirrorTo = clNone;
  TAlignment HAlign = taLeftJustify;
  TVAlignment VAlign = TVAlignment::vtaTop;
  bool WordWrap = true;
  TCellGradientDirection GradientDirection = TCellGradientDirection::GradientVertical;
};

// What a cell's colours are asked for.
struct TCellColorQuery {
  bool Printing = false;
  bool WithSelection = true;
  // The column is a display column, to be mapped to a real one.
  bool DisplayColumn = true;
};

class TBaseGrid : public TObjStringGrid {
 public:
  explicit TBaseGrid(TComponent* owner);
  ~TBaseGrid() override;

  // --- Cell text (real columns) ---
  // The text a cell shows: a merged range's base cell's, through the display hooks.
  String GetCellText(int ACol, int ARow);
  // Writes into the base cell of a merged range; a write to the hidden footer row tells
  // FooterChanged.
  void SetCellText(int ACol, int ARow, const String& value);
  // The stored string, with no merge redirection, no hooks and no repaint.
  String GetGridCell(int ACol, int ARow) const { return Cells(ACol, ARow); }
  void SetGridCell(int ACol, int ARow, const String& value) { StoreCell(ACol, ARow, value); }

  // --- Cell properties (real columns). Creating them outside the grid raises
  // EInvalidGridOperation; reads there answer "none". ---
  bool HasCellProperties(int ACol, int ARow);
  // Created on first use.
  TCellProperties* GetCellProperties(int ACol, int ARow);
  // Frees the properties of a rectangle (corners included, cut to the grid), and with them an
  // attached "TCellGraphic"; nothing while CellPropsCreated is false.
  void FreeCellProperties(const TGridRect& cells);
  TCellProperties* GetGridObject(int ACol, int ARow) const;
  // Puts an object in the slot as it is; whoever held the previous one keeps it.
  void SetGridObject(int ACol, int ARow, TCellProperties* obj);
  void FreeGridObject(int ACol, int ARow);
  void ReplaceGridObject(int ACol, int ARow, TCellProperties* obj);
  // After a descendant moved rows or columns: every cell's slot is cleared without freeing, its
  // text emptied.
  void ClearColCells(int ACol);
  void ClearRowCells(int ARow);
  void ResetCell(int ACol, int ARow);
  int GetCellObject(int ACol, int ARow);
  void SetCellObject(int ACol, int ARow, int value);
  void SetCellGraphic(int ACol, int ARow, TObject* graphic);
  TObject* GetAttachedGraphic(int ACol, int ARow);
  static TObject* CellGraphicOf(TCellProperties* props) {
    return props ? props->Graphic() : nullptr;
  }

  // --- Merged cells (real columns) ---
  TPoint BaseCell(int ACol, int ARow);
  // True with the cell itself when it is not covered; false with its base cell when it is.
  bool FindBaseCell(int ACol, int ARow, int& baseCol, int& baseRow);
  bool IsBaseCell(int ACol, int ARow);
  bool IsMergedCell(int ACol, int ARow);
  bool IsCoveredCell(int ACol, int ARow);
  bool IsColMerged(int ACol, int ARow);
  bool IsRowMerged(int ACol, int ARow);
  TPoint GetCellSpan(int ACol, int ARow);
  bool RowsInSameMerge(int row1, int row2);
  void MoveToBaseCell();

  // --- Geometry (display columns) ---
  // From the column widths and row heights, whether or not the cell is in view.
  TRect GetAbsCellRect(int ACol, int ARow);
  // The client rectangle a cell is painted in: a merged range's whole rectangle.
  TRect GetMergedCellRect(int ACol, int ARow);
  TPoint GetMergedCellSize(int ACol, int ARow);
  void RepaintCell(int ACol, int ARow);

  // --- Painting ---
  void PaintCellOnCanvas(TCanvas* canvas, int ACol, int ARow, const TRect& ARect,
                         TGridDrawState AState);
  void PaintCellCore(TCanvas* canvas, int ACol, int ARow, const TRect& ARect,
                     TGridDrawState AState, bool onGrid);

  // --- Hooks a descendant overrides, in this order ---
  virtual bool IsFixed(int ACol, int ARow);
  virtual int GetRowIndent(int ARow);
  virtual bool HasNodes();
  virtual void DrawCellContent(TCanvas* canvas, int ACol, int ARow, const TRect& ARect,
                               TGridDrawState AState);
  virtual void FooterChanged();
  virtual void GetDisplText(int ACol, int ARow, String& value);
  virtual void GetDisplWideText(int ACol, int ARow, String& value);
  virtual void GetCellDefaults(int ACol, int ARow, TCellLook& look);
  virtual void UpdateCellControl(int ACol, int ARow);
  virtual bool HasCellBorders();
  virtual bool PaintsFixedAndSelected();
  virtual void GetCellColor(int ACol, int ARow, TGridDrawState& AState, TCellColorQuery query,
                            TCellLook& look);
  virtual int RealColIndex(int ACol);
  virtual int DisplColIndex(int ACol);
  // Splits the ranges the new one overlaps first. A range of one cell merges nothing.
  virtual void MergeCells(int ACol, int ARow, int numCols, int numRows);
  // Nothing for a cell that is not merged.
  virtual void SplitCells(int ACol, int ARow);
  virtual int GetAllColCount();

  // --- Published ---
  // Lines the base grid draws inside the cells; the class library's own stay 0 wide.
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int value);
  TColor GridLineColor() const { return FGridLineColor; }
  void SetGridLineColor(TColor value);
  TColor GridFixedLineColor() const { return FGridFixedLineColor; }
  void SetGridFixedLineColor(TColor value);
  // Stored only: the class library's default drawing stays off.
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool value);
  bool ActiveRowShow() const { return FActiveRowShow; }
  void SetActiveRowShow(bool value);
  TColor ActiveRowColor() const { return FActiveRowColor; }
  void SetActiveRowColor(TColor value);
  TColor ActiveRowColorTo() const { return FActiveRowColorTo; }
  void SetActiveRowColorTo(TColor value) { FActiveRowColorTo = value; }
  TColor ActiveRowColorMirror() const { return FActiveRowColorMirror; }
  void SetActiveRowColorMirror(TColor value) { FActiveRowColorMirror = value; }
  TColor ActiveRowColorMirrorTo() const { return FActiveRowColorMirrorTo; }
  void SetActiveRowColorMirrorTo(TColor value) { FActiveRowColorMirrorTo = value; }
  bool HoverRow() const { return FHoverRow; }
  void SetHoverRow(bool value) { FHoverRow = value; }
  TColor HoverRowColor() const { return FHoverRowColor; }
  void SetHoverRowColor(TColor value) { FHoverRowColor = value; }
  TColor HoverRowColorTo() const { return FHoverRowColorTo; }
  void SetHoverRowColorTo(TColor value) { FHoverRowColorTo = value; }
  THoverRowCells HoverRowCells() const { return FHoverRowCells; }
  void SetHoverRowCells(THoverRowCells value) { FHoverRowCells = value; }
  TGetDisplTextEvent OnGetDisplText;
  TGetDisplWideTextEvent OnGetDisplWideText;
  TAdvGridUndoRedo* UndoRedo() const { return FUndoRedo; }
  // Also makes the recorder record this grid.
  void SetUndoRedo(TAdvGridUndoRedo* value);

  // --- Kept by the descendant ---
  int HoverRowIndex() const { return FHoverRowIndex; }
  void SetHoverRowIndex(int value) { FHoverRowIndex = value; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value) { FWordWrap = value; }
  bool ShowSelection() const { return FShowSelection; }
  void SetShowSelection(bool value) { FShowSelection = value; }
  // 0 plain; 1 to 3 the rounded selection looks.
  int SelectionStyle() const { return FSelectionStyle; }
  void SetSelectionStyle(int value);
  // The last row is the fixed footer row: painted blank, kept out of view by PageDown and the
  // wheel, and every write to it calls FooterChanged.
  bool HideLastRow() const { return FHideLastRow; }
  void SetHideLastRow(bool value) { FHideLastRow = value; }
  // Rows at and beyond it are read without the display hooks.
  int DisplayRowLimit() const { return FDisplayRowLimit; }
  void SetDisplayRowLimit(int value) { FDisplayRowLimit = value; }
  int PaintPass() const { return FPaintPass; }
  // Counts the live merged ranges.
  int MergeCount() const { return FMergeCount; }
  bool CellPropsCreated() const { return FCellPropsCreated; }
  void SetCellPropsCreated(bool value) { FCellPropsCreated = value; }

  bool SelectCell(int ACol, int ARow) override;
  void ChangeScale(int M, int D) override;

 protected:
  void Paint() override;
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
  void TopLeftChanged() override;
  void Notification(TComponent* component, TOperation operation) override;
  // The cells of a deleted column or row take their properties with them.
  void ColRowDeleted(bool isColumn, int index) override;
  // Every object in a slot is a TCellProperties: objects go in through SetGridObject.
  using TStringGrid::SetObjects;

 private:
  friend class TCellProperties;
  bool InGrid(int ACol, int ARow);
  void CheckInGrid(int left, int top, int right, int bottom);
  // The properties of a cell inside the grid; null when it has none.
  TCellProperties* PeekProperties(int ACol, int ARow);
  TCellProperties* CreateProperties(int ACol, int ARow);
  // The base point of a cell with properties.
  static TPoint BasePoint(const TCellProperties* props, int ACol, int ARow);
  void SplitRange(int baseCol, int baseRow, int spanX, int spanY);
  void RepaintRange(int left, int top, int right, int bottom);
  void StepIntoMerge(WORD key);
  // Painting steps.
  bool PaintMergedThroughBase(TCanvas* canvas, int ACol, int ARow, const TRect& ARect,
                              TGridDrawState AState);
  HRGN ClipUnderFixed(TCanvas* canvas, int ACol, int ARow, const TRect& r);
  void PaintCellBackground(TCanvas* canvas, int ACol, const TRect& r, bool fixed, bool selected,
                           const TCellLook& look);
  void PaintCellLines(TCanvas* canvas, int ACol, const TRect& r, bool fixed);
  void SetWithTextKept(int ACol, int ARow, const std::function<void(TCellProperties*)>& change);

  int FGridLineWidth = 1;
  TColor FGridLineColor = static_cast<TColor>(0x00C0C0C0);
  TColor FGridFixedLineColor = static_cast<TColor>(0x00808080);
  bool FDefaultDrawing = false;
  bool FActiveRowShow = false;
  TColor FActiveRowColor = clInfoBk;
  TColor FActiveRowColorTo = clNone;
  TColor FActiveRowColorMirror = clNone;
  TColor FActiveRowColorMirrorTo = clNone;
  bool FHoverRow = false;
  TColor FHoverRowColor = clInfoBk;
  TColor FHoverRowColorTo = clNone;
  THoverRowCells FHoverRowCells{THoverRowCell::hcNormal, THoverRowCell::hcSelected};
  int FHoverRowIndex = -1;
  TAdvGridUndoRedo* FUndoRedo = nullptr;
  bool FWordWrap = true;
  bool FShowSelection = true;
  int FSelectionStyle = 0;
  bool FHideLastRow = false;
  int FDisplayRowLimit = 0;
  int FPaintPass = 1;
  int FMergeCount = 0;
  bool FCellPropsCreated = false;
  bool FDestroying = false;
};
