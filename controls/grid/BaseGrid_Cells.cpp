// The base grid's construction, cell text and cell properties.
#include <algorithm>
#include <functional>
#include <memory>

#include "controls/grid/AdvUtil.h"
#include "controls/grid/BaseGrid.h"
#include "controls/grid/GridUndoRedo.h"

// --- TCellProperties -----------------------------------------------------------------------------

TCellProperties::TCellProperties(TBaseGrid* grid, int ARow, int ACol)
    : FOwnerCol(ACol), FOwnerRow(ARow), FWordWrap(grid->WordWrap()), FOwnerGrid(grid) {
  grid->FCellPropsCreated = true;
}

void TCellProperties::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCellProperties*>(source);
  if (!other) return TPersistent::Assign(source);
  FIsBaseCell = other->FIsBaseCell;
  FCellSpanX = other->FCellSpanX;
  FCellSpanY = other->FCellSpanY;
  FOwnerRow = other->FOwnerRow;
  FOwnerCol = other->FOwnerCol;
  FCellObject = other->FCellObject;
  FAlignment = other->FAlignment;
  FBorderColor = other->FBorderColor;
  FBorderWidth = other->FBorderWidth;
  FBrushColor = other->FBrushColor;
  FBrushStyle = other->FBrushStyle;
  FFontColor = other->FFontColor;
  FFontStyle = other->FFontStyle;
  FFontName = other->FFontName;
  FFontSize = other->FFontSize;
  FReadOnly = other->FReadOnly;
  FEditor = other->FEditor;
  FVAlignment = other->FVAlignment;
  FWordWrap = other->FWordWrap;
  FNodeLevel = other->FNodeLevel;
  FControl = other->FControl;
}

void TCellProperties::Repaint() {
  if (FOwnerGrid) FOwnerGrid->RepaintCell(FOwnerGrid->DisplColIndex(FOwnerCol), FOwnerRow);
}

void TCellProperties::SetBrushColor(TColor value) {
  FBrushColor = value;
  Repaint();
}

void TCellProperties::SetBrushColorTo(TColor value) {
  FBrushColorTo = value;
  Repaint();
}

void TCellProperties::SetVAlignment(TVAlignment value) {
  FVAlignment = value;
  Repaint();
}

void TCellProperties::SetWordWrap(bool value) {
  FWordWrap = value;
  Repaint();
}

// --- Construction --------------------------------------------------------------------------------

TBaseGrid::TBaseGrid(TComponent* owner) : TObjStringGrid(owner) {
  SetGridLineWidth(1);
  SetDefaultDrawing(false);
}

namespace {

// Frees a slot's properties and the special content they own.
void FreeSlot(int, int, TObject*& object) {
  auto* props = static_cast<TCellProperties*>(object);
  object = nullptr;
  if (TObject* graphic = props->Graphic(); graphic && graphic->ClassNameIs(u"TCellGraphic"))
    delete graphic;
  delete props;
}

}  // namespace

TBaseGrid::~TBaseGrid() {
  // Every stored properties object goes, hidden columns and rows past the counts included. No
  // virtual is called here: the descendant is already gone.
  FDestroying = true;
  ForEachStoredObject(FreeSlot);
  if (FUndoRedo) FUndoRedo->SetGrid(nullptr);
}

void TBaseGrid::ColRowDeleted(bool isColumn, int index) {
  ForEachStoredObjectIn(isColumn, index, FreeSlot);
  TObjStringGrid::ColRowDeleted(isColumn, index);
}

void TBaseGrid::SetUndoRedo(TAdvGridUndoRedo* value) {
  if (FUndoRedo == value) return;
  if (FUndoRedo) {
    if (FUndoRedo->Grid() == this) FUndoRedo->SetGrid(nullptr);
    RemoveFreeNotification(FUndoRedo);
  }
  FUndoRedo = value;
  if (FUndoRedo) {
    FreeNotification(FUndoRedo);
    FUndoRedo->SetGrid(this);
  }
}

void TBaseGrid::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == FUndoRedo) FUndoRedo = nullptr;
  TObjStringGrid::Notification(component, operation);
}

// --- Published settings --------------------------------------------------------------------------

void TBaseGrid::SetGridLineWidth(int value) {
  FGridLineWidth = value;
  TObjStringGrid::SetGridLineWidth(0);
  Invalidate();
}

void TBaseGrid::SetGridLineColor(TColor value) {
  FGridLineColor = value;
  Invalidate();
}

void TBaseGrid::SetGridFixedLineColor(TColor value) {
  FGridFixedLineColor = value;
  Invalidate();
}

void TBaseGrid::SetDefaultDrawing(bool value) {
  FDefaultDrawing = value;
  TObjStringGrid::SetDefaultDrawing(false);
}

void TBaseGrid::SetActiveRowShow(bool value) {
  FActiveRowShow = value;
  Invalidate();
}

void TBaseGrid::SetActiveRowColor(TColor value) {
  FActiveRowColor = value;
  Invalidate();
}

void TBaseGrid::SetSelectionStyle(int value) {
  if (FSelectionStyle == value) return;
  FSelectionStyle = value;
  Invalidate();
}

// --- Base hooks ----------------------------------------------------------------------------------

bool TBaseGrid::IsFixed(int, int) { return false; }
int TBaseGrid::GetRowIndent(int) { return 0; }
bool TBaseGrid::HasNodes() { return false; }
void TBaseGrid::FooterChanged() {}
void TBaseGrid::UpdateCellControl(int, int) {}
bool TBaseGrid::HasCellBorders() { return false; }
bool TBaseGrid::PaintsFixedAndSelected() { return false; }
void TBaseGrid::GetCellColor(int, int, TGridDrawState&, TCellColorQuery, TCellLook&) {}
int TBaseGrid::RealColIndex(int ACol) { return ACol; }
int TBaseGrid::DisplColIndex(int ACol) { return ACol; }
int TBaseGrid::GetAllColCount() { return ColCount(); }

void TBaseGrid::GetDisplText(int ACol, int ARow, String& value) {
  if (OnGetDisplText) OnGetDisplText(this, ACol, ARow, value);
}

void TBaseGrid::GetDisplWideText(int ACol, int ARow, String& value) {
  if (OnGetDisplWideText) OnGetDisplWideText(this, ACol, ARow, value);
}

void TBaseGrid::GetCellDefaults(int, int, TCellLook& look) {
  if (look.Font) look.Font->Assign(Font());
  if (look.Brush) look.Brush->SetColor(Color());
  look.ColorTo = look.ColorMirror = look.ColorMirrorTo = clNone;
  look.HAlign = taLeftJustify;
  look.VAlign = TVAlignment::vtaTop;
  look.WordWrap = FWordWrap;
  look.GradientDirection = TCellGradientDirection::GradientVertical;
}

// --- Cell text -----------------------------------------------------------------------------------

String TBaseGrid::GetCellText(int ACol, int ARow) {
  int col = ACol, row = ARow;
  if (TCellProperties* props = PeekProperties(ACol, ARow)) {
    TPoint base = BasePoint(props, ACol, ARow);
    col = base.X;
    row = base.Y;
  }
  const TCell* cell = FindCell(col, row);
  String text = cell ? cell->Text : String();
  if (row < FDisplayRowLimit) {
    GetDisplText(col, row, text);
    if (OnGetDisplWideText) {
      // The hook sees the decoded text; what it answers is plain UTF-16.
      text = AdvUtil::CellTextToWide(text);
      GetDisplWideText(col, row, text);
    }
  }
  return text;
}

void TBaseGrid::SetCellText(int ACol, int ARow, const String& value) {
  TCellProperties* props = PeekProperties(ACol, ARow);
  // A cell with properties but in no range and with no control is written as a plain one.
  if (props && props->CellSpanX() == -1 && props->CellSpanY() == -1 && !props->Control())
    props = nullptr;
  if (props) {
    TPoint base = BasePoint(props, ACol, ARow);
    StoreCell(base.X, base.Y, value);
    if (Parent()) RepaintCell(DisplColIndex(ACol), ARow);
  } else {
    SetCells(ACol, ARow, value);
  }
  if (FHideLastRow && ARow == RowCount() - 1) FooterChanged();
}

// --- Cell properties -----------------------------------------------------------------------------

bool TBaseGrid::InGrid(int ACol, int ARow) {
  return ACol >= 0 && ARow >= 0 && ARow < RowCount() && ACol < GetAllColCount();
}

void TBaseGrid::CheckInGrid(int left, int top, int right, int bottom) {
  if (left > right || top > bottom || !InGrid(left, top) || !InGrid(right, bottom))
    throw EInvalidGridOperation(u"Grid index out of range");
}

TCellProperties* TBaseGrid::PeekProperties(int ACol, int ARow) {
  if (!InGrid(ACol, ARow)) return nullptr;
  const TCell* cell = FindCell(ACol, ARow);
  return cell ? static_cast<TCellProperties*>(cell->Object) : nullptr;
}

bool TBaseGrid::HasCellProperties(int ACol, int ARow) { return PeekProperties(ACol, ARow); }

TCellProperties* TBaseGrid::CreateProperties(int ACol, int ARow) {
  auto* props = new TCellProperties(this, ARow, ACol);
  TStringGrid::SetObjects(ACol, ARow, props);
  TFont font;
  TBrush brush;
  TCellLook look;
  look.Font = &font;
  look.Brush = &brush;
  look.WordWrap = FWordWrap;
  GetCellDefaults(ACol, ARow, look);
  props->SetCalcKind(0);
  props->FAlignment = look.HAlign;
  props->FVAlignment = look.VAlign;
  props->FWordWrap = look.WordWrap;
  props->FFontName = font.Name();
  props->FFontSize = font.Size();
  props->FFontStyle = font.Style();
  props->FFontColor = font.Color();
  props->FBrushColor = brush.Color();
  props->FBrushColorTo = look.ColorTo;
  props->FGradientDirection = look.GradientDirection;
  return props;
}

TCellProperties* TBaseGrid::GetCellProperties(int ACol, int ARow) {
  if (TCellProperties* props = PeekProperties(ACol, ARow)) return props;
  CheckInGrid(ACol, ARow, ACol, ARow);
  return CreateProperties(ACol, ARow);
}

void TBaseGrid::FreeCellProperties(const TGridRect& cells) {
  if (!FCellPropsCreated) return;
  int left = std::max(cells.Left, 0), top = std::max(cells.Top, 0);
  int right = std::min(cells.Right, GetAllColCount() - 1);
  int bottom = std::min(cells.Bottom, RowCount() - 1);
  for (int row = top; row <= bottom; ++row)
    for (int col = left; col <= right; ++col) {
      TObject* props = PeekProperties(col, row);
      if (!props) continue;
      TStringGrid::SetObjects(col, row, nullptr);
      FreeSlot(col, row, props);
    }
}

TCellProperties* TBaseGrid::GetGridObject(int ACol, int ARow) const {
  return static_cast<TCellProperties*>(Objects(ACol, ARow));
}

void TBaseGrid::SetGridObject(int ACol, int ARow, TCellProperties* obj) {
  TStringGrid::SetObjects(ACol, ARow, obj);
}

void TBaseGrid::FreeGridObject(int ACol, int ARow) { ReplaceGridObject(ACol, ARow, nullptr); }

void TBaseGrid::ReplaceGridObject(int ACol, int ARow, TCellProperties* obj) {
  TCellProperties* old = GetGridObject(ACol, ARow);
  if (old == obj) return;
  TStringGrid::SetObjects(ACol, ARow, obj);
  delete old;
}

void TBaseGrid::ClearColCells(int ACol) {
  if (ACol < 0 || ACol >= GetAllColCount()) throw EInvalidGridOperation(u"Grid index out of range");
  for (int row = 0; row < RowCount(); ++row) {
    TStringGrid::SetObjects(ACol, row, nullptr);
    SetCellText(ACol, row, String());
  }
}

void TBaseGrid::ClearRowCells(int ARow) {
  if (ARow < 0 || ARow >= RowCount()) throw EInvalidGridOperation(u"Grid index out of range");
  for (int col = 0; col < ColCount(); ++col) {
    TStringGrid::SetObjects(col, ARow, nullptr);
    SetCellText(col, ARow, String());
  }
}

void TBaseGrid::ResetCell(int ACol, int ARow) {
  SetCellText(ACol, ARow, String());
  TStringGrid::SetObjects(ACol, ARow, nullptr);
}

int TBaseGrid::GetCellObject(int ACol, int ARow) {
  TCellProperties* props = PeekProperties(ACol, ARow);
  return props ? props->CellObject() : 0;
}

void TBaseGrid::SetWithTextKept(int ACol, int ARow,
                                const std::function<void(TCellProperties*)>& change) {
  // An empty cell holds a blank while its properties are made, and is emptied again after.
  CheckInGrid(ACol, ARow, ACol, ARow);
  bool empty = GetCellText(ACol, ARow).empty();
  if (empty) SetCellText(ACol, ARow, u" ");
  change(GetCellProperties(ACol, ARow));
  if (empty) SetCellText(ACol, ARow, String());
}

void TBaseGrid::SetCellObject(int ACol, int ARow, int value) {
  SetWithTextKept(ACol, ARow, [value](TCellProperties* props) { props->SetCellObject(value); });
}

void TBaseGrid::SetCellGraphic(int ACol, int ARow, TObject* graphic) {
  if (FDestroying) return;
  SetWithTextKept(ACol, ARow, [graphic](TCellProperties* props) { props->SetGraphic(graphic); });
}

TObject* TBaseGrid::GetAttachedGraphic(int ACol, int ARow) {
  return CellGraphicOf(PeekProperties(ACol, ARow));
}
