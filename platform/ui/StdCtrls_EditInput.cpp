// TCustomEdit: the focus, keys and the mouse.
#include <algorithm>

#include "platform/rtl/UnicodeText.h"
#include "platform/ui/StdCtrls.h"
#include "platform/win/VirtualKeys.h"

namespace {

bool IsWordChar(char16_t ch) { return ch != u' ' && ch != u'\t' && ch != u'\r' && ch != u'\n'; }

// The control characters Ctrl+letter types.
constexpr char16_t kCtrlA = 1, kCtrlC = 3, kCtrlV = 22, kCtrlX = 24, kCtrlZ = 26;

}  // namespace

// --- Moving by characters and words --------------------------------------------------------------

int TCustomEdit::CharBefore(int index) const {
  if (index <= 0) return 0;
  if (index >= 2 && FEditText[static_cast<size_t>(index - 1)] == u'\n' &&
      FEditText[static_cast<size_t>(index - 2)] == u'\r')
    return index - 2;
  --index;
  if (index > 0 && IsLowSurrogate(FEditText[static_cast<size_t>(index)])) --index;
  return index;
}

int TCustomEdit::CharAfter(int index) const {
  int length = static_cast<int>(FEditText.size());
  if (index >= length) return length;
  if (index + 1 < length && FEditText[static_cast<size_t>(index)] == u'\r' &&
      FEditText[static_cast<size_t>(index + 1)] == u'\n')
    return index + 2;
  ++index;
  if (index < length && IsLowSurrogate(FEditText[static_cast<size_t>(index)])) ++index;
  return index;
}

int TCustomEdit::WordStartBefore(int index) const {
  while (index > 0 && !IsWordChar(FEditText[static_cast<size_t>(index - 1)])) --index;
  while (index > 0 && IsWordChar(FEditText[static_cast<size_t>(index - 1)])) --index;
  return index;
}

int TCustomEdit::WordEndAfter(int index) const {
  int length = static_cast<int>(FEditText.size());
  while (index < length && IsWordChar(FEditText[static_cast<size_t>(index)])) ++index;
  while (index < length && !IsWordChar(FEditText[static_cast<size_t>(index)])) ++index;
  return index;
}

// --- Focus ---------------------------------------------------------------------------------------

void TCustomEdit::DoEnter() {
  PrepareCanvas();
  CreateCaret(Handle(), nullptr, 1, Canvas()->TextHeight(u"Wy"));
  FCaretCreated = true;
  // A multi-line edit keeps its caret where it was; a line of text is taken whole.
  if (FAutoSelect && !FMultiLine) SelectAll();
  UpdateCaret();
  ShowCaret(Handle());
  Invalidate();
  TCustomControl::DoEnter();
}

void TCustomEdit::DoExit() {
  if (FCaretCreated) {
    DestroyCaret();
    FCaretCreated = false;
  }
  FSelecting = false;
  Invalidate();
  TCustomControl::DoExit();
}

// --- Keys ----------------------------------------------------------------------------------------

void TCustomEdit::MoveCaret(int position, bool extend) {
  SetSel(extend ? FSelAnchor : position, position);
}

// Up, Down and the page keys keep to the column the caret had when the vertical run began.
void TCustomEdit::MoveVertically(int rows, bool extend) {
  int x = FDesiredX >= 0 ? FDesiredX : TextX(FCaret);
  int row = std::clamp(RowOf(FCaret) + rows, 0, LineCount() - 1);
  int y = FormattingRect().Top + (row - FTopRow) * LineHeight();
  MoveCaret(CharFromPos({x, y}), extend);
  FDesiredX = x;
}

void TCustomEdit::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  bool extend = shift.Contains(ssShift);
  bool word = shift.Contains(ssCtrl);
  bool vertical = FMultiLine && (key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT);
  if (!vertical) FDesiredX = -1;
  switch (key) {
    case VK_LEFT:
      // Without Shift, a selection collapses to its left end.
      if (!extend && !word && SelLength() > 0)
        MoveCaret(SelStart(), false);
      else
        MoveCaret(word ? WordStartBefore(FCaret) : CharBefore(FCaret), extend);
      break;
    case VK_RIGHT:
      if (!extend && !word && SelLength() > 0)
        MoveCaret(SelStart() + SelLength(), false);
      else
        MoveCaret(word ? WordEndAfter(FCaret) : CharAfter(FCaret), extend);
      break;
    case VK_UP:
    case VK_DOWN:
      if (!FMultiLine) return;
      MoveVertically(key == VK_UP ? -1 : 1, extend);
      break;
    case VK_PRIOR:
    case VK_NEXT: {
      if (!FMultiLine) return;
      // A page moves the view and the caret alike, so the caret keeps its place on screen.
      int page = key == VK_PRIOR ? -VisibleRows() : VisibleRows();
      int x = FDesiredX >= 0 ? FDesiredX : TextX(FCaret);
      SetTopRow(FTopRow + page);
      FDesiredX = x;
      MoveVertically(page, extend);
      break;
    }
    case VK_HOME:
      if (FMultiLine && !word)
        MoveCaret(Rows()[static_cast<size_t>(RowOf(FCaret))].Start, extend);
      else
        MoveCaret(0, extend);
      break;
    case VK_END:
      if (FMultiLine && !word) {
        const TEditRow& row = Rows()[static_cast<size_t>(RowOf(FCaret))];
        int end = row.End;
        // The end of a wrapped row: before the blank the row broke at.
        if (end < static_cast<int>(FEditText.size()) && FEditText[static_cast<size_t>(end)] != u'\r' &&
            end > row.Start)
          --end;
        MoveCaret(end, extend);
      } else {
        MoveCaret(static_cast<int>(FEditText.size()), extend);
      }
      break;
    case VK_DELETE:
      if (extend) {
        CutToClipboard();
      } else if (!FReadOnly) {
        if (SelLength() == 0) FSelAnchor = CharAfter(FCaret);
        ClearSelection();
      }
      break;
    case VK_INSERT:
      if (word) CopyToClipboard();
      if (extend) PasteFromClipboard();
      break;
    default: return;
  }
  key = 0;
}

void TCustomEdit::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  switch (key) {
    case 0: return;
    case u'\b':
      if (!FReadOnly) {
        if (SelLength() == 0) FSelAnchor = CharBefore(FCaret);
        ClearSelection();
      }
      break;
    case u'\r':
      // Enter starts a new line only where returns are wanted; elsewhere it is the dialog's.
      if (!FMultiLine || !FWantReturns) return;
      if (!FReadOnly) ReplaceSelection(u"\r\n", true, true);
      break;
    case u'\t':
      if (!FMultiLine || !FWantTabs) return;
      if (!FReadOnly) ReplaceSelection(u"\t", true, true);
      break;
    case kCtrlA: SelectAll(); break;
    case kCtrlC: CopyToClipboard(); break;
    case kCtrlV: PasteFromClipboard(); break;
    case kCtrlX: CutToClipboard(); break;
    case kCtrlZ: Undo(); break;
    default:
      // Every printable character goes in; other control characters are dropped.
      if (key < 32 || key == 0x7F) return;
      if (!FReadOnly) ReplaceSelection(String(1, key), true, true);
      break;
  }
  key = 0;
}

// --- Mouse ---------------------------------------------------------------------------------------

void TCustomEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (!Focused() && CanFocus()) SetFocus();
    FDesiredX = -1;
    int position = CharFromPos({x, y});
    if (shift.Contains(ssDouble)) {
      SetSel(WordStartBefore(CharAfter(position)), WordEndAfter(position));
    } else {
      MoveCaret(position, shift.Contains(ssShift));
      FSelecting = true;
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomEdit::MouseMove(TShiftState shift, int x, int y) {
  // Dragging above or below a multi-line edit selects on and scrolls the text with it.
  if (FSelecting && shift.Contains(ssLeft)) MoveCaret(CharFromPos({x, y}), true);
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) FSelecting = false;
  TCustomControl::MouseUp(button, shift, x, y);
}
