// The grid's in-place editor: TInplaceEdit, and the grid's side of editing (showing the editor
// over the current cell, loading it, writing its text back, hiding it).
#include "platform/ui/Grids.h"
#include "platform/win/VirtualKeys.h"

// --- TInplaceEdit ---------------------------------------------------------------------------------

TInplaceEdit::TInplaceEdit(TComponent* owner) : TCustomEdit(owner) {
  FGrid = dynamic_cast<TCustomGrid*>(owner);
  SetVisible(false);
  SetTabStop(false);
  SetBorderStyle(bsNone);
  SetParentColor(false);
}

void TInplaceEdit::UpdateContents() {
  if (!FGrid) return;
  int col = FGrid->Col();
  int row = FGrid->Row();
  SetEditMask(FGrid->GetEditMask(col, row));
  SetText(FGrid->GetEditText(col, row));
  SetMaxLength(FGrid->GetEditLimit());
  SetModified(false);
  ClearUndo();
}

void TInplaceEdit::Move(const TRect& loc) {
  SetBounds(loc.Left, loc.Top, loc.Width(), loc.Height());
  SetVisible(true);
  BoundsChanged();
  Invalidate();
}

void TInplaceEdit::SendToGrid(WORD& key, TShiftState shift) {
  if (FGrid) FGrid->KeyDown(key, shift);
}

void TInplaceEdit::KeyDown(WORD& key, TShiftState shift) {
  switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
    case VK_TAB:
      SendToGrid(key, shift);
      key = 0;
      return;
    case VK_DELETE:
      // The grid may refuse changes to the cell; Shift+Delete cuts, which changes it too.
      if (FGrid && !FGrid->CanEditModify()) {
        key = 0;
        return;
      }
      break;
    case VK_INSERT:
      if (shift.Contains(ssShift) && FGrid && !FGrid->CanEditModify()) {
        key = 0;
        return;
      }
      break;
    default: break;
  }
  TCustomEdit::KeyDown(key, shift);
}

void TInplaceEdit::KeyPress(char16_t& key) {
  switch (key) {
    case u'\r':
      if (FGrid) FGrid->KeyPress(key);
      key = 0;
      return;
    case u'\t':
    case 0x1B:
      // Tab and Escape did their work as keys.
      key = 0;
      return;
    case u'\b':
    case 0x16:  // Ctrl+V
    case 0x18:  // Ctrl+X
    case 0x1A:  // Ctrl+Z
      if (FGrid && !FGrid->CanEditModify()) {
        key = 0;
        return;
      }
      break;
    default:
      if (FGrid && key >= 32 && (!FGrid->CanEditModify() || !FGrid->CanEditAcceptKey(key))) {
        key = 0;
        return;
      }
      break;
  }
  TCustomEdit::KeyPress(key);
}

void TInplaceEdit::DoExit() {
  // Whatever takes the focus, the typed text is kept in the cell.
  if (FGrid) FGrid->UpdateText();
  TCustomEdit::DoExit();
}

void TInplaceEdit::Dispatch(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    // Enter and Escape end or undo the edit; the dialog must not take them.
    message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS;
    if (FGrid && FGrid->Options().Contains(goTabs)) message.Result |= DLGC_WANTTAB;
    return;
  }
  TCustomEdit::Dispatch(message);
}

// --- The grid's editing ---------------------------------------------------------------------------

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

bool TCustomGrid::CanEditShow() {
  if (!FOptions.Contains(goEditing) || FOptions.Contains(goRowSelect) || !FEditorMode) return false;
  if (!HandleAllocated()) return false;
  if (FOptions.Contains(goAlwaysShowEditor)) return true;
  return Focused() || (FInplaceEdit && FInplaceEdit->Focused());
}

bool TCustomGrid::CanEditModify() { return true; }
bool TCustomGrid::CanEditAcceptKey(char16_t) { return true; }
String TCustomGrid::GetEditText(int, int) { return String(); }
void TCustomGrid::SetEditText(int, int, const String&) {}
String TCustomGrid::GetEditMask(int, int) { return String(); }
int TCustomGrid::GetEditLimit() { return 0; }

void TCustomGrid::SetEditorMode(bool value) {
  if (value) {
    ShowEditor();
    if (FInplaceEdit && FInplaceEdit->Visible()) FInplaceEdit->SelectAll();
  } else {
    HideEditor();
  }
}

void TCustomGrid::ShowEditor() {
  FEditorMode = true;
  UpdateEdit();
}

void TCustomGrid::ShowEditorChar(char16_t ch) {
  ShowEditor();
  if (!FInplaceEdit || !FInplaceEdit->Visible()) return;
  // The character replaces the cell's text, as typing over a selection does.
  FInplaceEdit->SelectAll();
  FInplaceEdit->Perform(WM_CHAR, ch, 0);
}

void TCustomGrid::HideEditor() {
  FEditorMode = false;
  HideEdit();
}

void TCustomGrid::UpdateText() {
  if (FInplaceCol < 0 || FInplaceRow < 0 || !FInplaceEdit || !FInplaceEdit->Modified()) return;
  FInplaceEdit->SetModified(false);
  SetEditText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

void TCustomGrid::UpdateEdit() {
  if (!CanEditShow()) {
    HideEdit();
    return;
  }
  if (!FInplaceEdit) {
    FInplaceEdit = CreateEditor();
    FInplaceEdit->FGrid = this;
    FInplaceEdit->SetParent(this);
  }
  bool grabFocus = Focused();
  if (FInplaceCol != FCurrent.X || FInplaceRow != FCurrent.Y) {
    UpdateText();
    FInplaceCol = FCurrent.X;
    FInplaceRow = FCurrent.Y;
    FInplaceEdit->UpdateContents();
    FEditStartText = FInplaceEdit->Text();
  }
  TRect r = CellRect(FCurrent.X, FCurrent.Y);
  if (IsRectEmpty(r)) {
    // Scrolled out of view: the edit goes on, unseen, until its cell shows again.
    ++FUpdating;
    if (FInplaceEdit->Focused()) SetFocus();
    FInplaceEdit->SetVisible(false);
    --FUpdating;
    return;
  }
  FInplaceEdit->Move(r);
  if (grabFocus && FInplaceEdit->CanFocus()) FInplaceEdit->SetFocus();
  InvalidateCell(FCurrent.X, FCurrent.Y);
}

void TCustomGrid::HideEdit() {
  if (!FInplaceEdit || FInplaceCol < 0) return;
  UpdateText();
  FInplaceCol = -1;
  FInplaceRow = -1;
  ++FUpdating;  // the grid taking the focus back must not reopen the editor
  if (FInplaceEdit->Focused() && CanFocus()) SetFocus();
  FInplaceEdit->SetVisible(false);
  --FUpdating;
  Invalidate();
}

void TCustomGrid::DoEnter() {
  TCustomControl::DoEnter();
  // Coming back to a grid that was editing puts the focus in the editor again.
  if (FEditorMode && FUpdating == 0) UpdateEdit();
}
