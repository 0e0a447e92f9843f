// TCustomMaskEdit: typing, deleting and pasting through an edit mask, and validation.
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Mask.h"
#include "platform/win/VirtualKeys.h"

namespace {

constexpr char16_t kCtrlA = 1, kCtrlC = 3, kCtrlV = 22, kCtrlX = 24, kCtrlZ = 26;

}  // namespace

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

// --- Mask, edit text and text --------------------------------------------------------------------

void TCustomMaskEdit::SetEditMask(const String& value) {
  if (value == FEditMask) return;
  // The value goes over to the new mask.
  String text = Text();
  FEditMask = value;
  FMask = TEditMaskFormat(value);
  SetEditBuffer(IsMasked() ? FMask.EditTextFromText(text) : text);
  FOldValue = EditBuffer();
  Invalidate();
}

void TCustomMaskEdit::SetEditText(const String& value) {
  TControl::SetText(IsMasked() ? FMask.EditTextFromEditText(value) : value);
}

String TCustomMaskEdit::Text() {
  return IsMasked() ? FMask.TextFromEditText(EditBuffer()) : TControl::Text();
}

void TCustomMaskEdit::SetText(const String& value) {
  TControl::SetText(IsMasked() ? FMask.EditTextFromText(value) : value);
}

// --- Validation ----------------------------------------------------------------------------------

bool TCustomMaskEdit::Validate(const String& value, int& pos) const {
  return FMask.Validate(value, pos);
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked() || !Modified() || ComponentState().Contains(csDestroying)) return;
  int pos = 0;
  if (Validate(EditBuffer(), pos)) return;
  // The focus comes back to the edit, with the caret where the value falls short.
  if (!Focused() && CanFocus()) {
    FReEntering = true;
    try {
      SetFocus();
    } catch (...) {
      FReEntering = false;
      throw;
    }
    FReEntering = false;
  }
  SetSel(pos, pos);
  ValidateError();
}

void TCustomMaskEdit::ValidateError() {
  MessageBeep(0);
  throw EDBEditError(
      u"Invalid input value: the value is incomplete. Complete it, or press Esc to abandon the "
      u"change");
}

void TCustomMaskEdit::Reset() {
  if (!IsMasked()) return;
  SetEditBuffer(FOldValue);
  SetModified(false);
  SelectAll();
}

// --- Focus ---------------------------------------------------------------------------------------

void TCustomMaskEdit::DoEnter() {
  bool reEntering = FReEntering;
  TCustomEdit::DoEnter();
  // Coming back after a failed validation keeps the value to go back to.
  if (!reEntering) FOldValue = EditBuffer();
}

void TCustomMaskEdit::DoExit() {
  ValidateEdit();
  TCustomEdit::DoExit();
}

// --- Editing -------------------------------------------------------------------------------------

void TCustomMaskEdit::Refuse() { MessageBeep(0); }

String TCustomMaskEdit::BlankSelection() const {
  String text = EditBuffer();
  int end = SelStart() + SelLength();
  for (int i = SelStart(); i < end && i < FMask.Length(); ++i)
    if (FMask.IsInput(i)) text[static_cast<size_t>(i)] = FMask.Blank();
  return text;
}

void TCustomMaskEdit::TypeCharacter(char16_t ch) {
  String text = BlankSelection();
  int start = SelStart();
  int position = FMask.NextInput(start);
  char16_t fitted = ch;
  if (position >= 0 && FMask.Accepts(position, fitted)) {
    text[static_cast<size_t>(position)] = fitted;
    int next = FMask.NextInput(position + 1);
    int caret = next < 0 ? position + 1 : next;
    ChangeByUser(text, caret, caret, true);
    return;
  }
  // A separator typed before its field is full moves on to the next field.
  int literal = start;
  while (literal < FMask.Length() && FMask.IsInput(literal)) ++literal;
  for (; literal < FMask.Length() && !FMask.IsInput(literal); ++literal) {
    if (FMask.Position(literal).Literal != ch) continue;
    int next = FMask.NextInput(literal + 1);
    int caret = next < 0 ? literal + 1 : next;
    if (text != EditBuffer())
      ChangeByUser(text, caret, caret, true);
    else
      SetSel(caret, caret);
    return;
  }
  Refuse();
}

void TCustomMaskEdit::DeleteBackward() {
  int position = SelLength() > 0 ? -1 : FMask.PreviousInput(CaretPos());
  if (SelLength() == 0 && position < 0) return;
  String text = BlankSelection();
  int caret = SelStart();
  if (position >= 0) {
    text[static_cast<size_t>(position)] = FMask.Blank();
    caret = position;
  }
  if (text != EditBuffer())
    ChangeByUser(text, caret, caret, false);
  else
    SetSel(caret, caret);
}

void TCustomMaskEdit::DeleteForward() {
  String text = BlankSelection();
  int caret = SelStart();
  if (SelLength() == 0) {
    int position = FMask.NextInput(caret);
    if (position < 0) return;
    text[static_cast<size_t>(position)] = FMask.Blank();
  }
  if (text != EditBuffer()) ChangeByUser(text, caret, caret, false);
}

// Pasting types the text into the positions from the selection on: its literals step over the
// mask's, a space leaves a position blank, and what no position is left for is dropped. A
// character that no position takes refuses the whole paste, so nothing is half pasted.
void TCustomMaskEdit::PasteText(const String& pasted) {
  if (ReadOnly()) return;
  String text = BlankSelection();
  int current = SelStart();
  for (char16_t ch : pasted) {
    if (ch == u'\r' || ch == u'\n') break;
    if (current < FMask.Length() && !FMask.IsInput(current) &&
        (ch == FMask.Position(current).Literal || ch == u' ')) {
      ++current;
      continue;
    }
    int position = FMask.NextInput(current);
    if (position < 0) break;
    char16_t fitted = ch;
    if (ch == u' ' || ch == FMask.Blank()) {
      text[static_cast<size_t>(position)] = FMask.Blank();
    } else if (FMask.Accepts(position, fitted)) {
      text[static_cast<size_t>(position)] = fitted;
    } else {
      // A literal given early ends the field.
      int literal = position;
      while (literal < FMask.Length() && FMask.IsInput(literal)) ++literal;
      if (literal < FMask.Length() && FMask.Position(literal).Literal == ch) {
        current = literal + 1;
        continue;
      }
      Refuse();
      return;
    }
    current = position + 1;
  }
  int next = FMask.NextInput(current);
  int caret = next < 0 ? std::min(current, FMask.Length()) : next;
  if (text != EditBuffer())
    ChangeByUser(text, caret, caret, false);
  else
    SetSel(caret, caret);
}

// --- Keys and messages ---------------------------------------------------------------------------

void TCustomMaskEdit::KeyDown(WORD& key, TShiftState shift) {
  bool own = IsMasked() && (key == VK_ESCAPE || (key == VK_DELETE && !shift.Contains(ssShift)));
  if (!own) {
    TCustomEdit::KeyDown(key, shift);
    return;
  }
  TCustomControl::KeyDown(key, shift);
  if (key == VK_ESCAPE) {
    if (!Modified()) return;
    Reset();
  } else if (key == VK_DELETE) {
    if (!ReadOnly()) DeleteForward();
  } else {
    return;
  }
  key = 0;
}

void TCustomMaskEdit::KeyPress(char16_t& key) {
  bool clipboardKey = key == kCtrlA || key == kCtrlC || key == kCtrlV || key == kCtrlX || key == kCtrlZ;
  if (!IsMasked() || clipboardKey) {
    // The clipboard keys send the messages the mask takes over below.
    TCustomEdit::KeyPress(key);
    return;
  }
  TCustomControl::KeyPress(key);
  if (key == u'\b') {
    if (!ReadOnly()) DeleteBackward();
  } else if (key >= 32 && key != 0x7F) {
    if (!ReadOnly()) TypeCharacter(key);
  } else {
    return;
  }
  key = 0;
}

void TCustomMaskEdit::Dispatch(TMessage& message) {
  if (!IsMasked()) {
    TCustomEdit::Dispatch(message);
    return;
  }
  switch (message.Msg) {
    case WM_SETTEXT: {
      // The window's text is the edit text: literals in place whatever was given.
      auto* given = reinterpret_cast<const char16_t*>(message.LParam);
      String text = FMask.EditTextFromEditText(given ? String(given) : String());
      message.LParam = reinterpret_cast<LPARAM>(text.c_str());
      TCustomEdit::Dispatch(message);
      FOldValue = EditBuffer();
      return;
    }
    case WM_PASTE: PasteText(Clipboard()->AsText()); return;
    case EM_REPLACESEL: {
      auto* given = reinterpret_cast<const char16_t*>(message.LParam);
      PasteText(given ? String(given) : String());
      return;
    }
    case WM_CUT:
    case WM_CLEAR:
      if (ReadOnly() || SelLength() == 0) return;
      if (message.Msg == WM_CUT) CopyToClipboard();
      ChangeByUser(BlankSelection(), SelStart(), SelStart(), false);
      return;
    case CM_WANTSPECIALKEY:
      // Esc abandons the user's changes instead of closing the dialog.
      if (message.CharCode() == VK_ESCAPE && Modified()) {
        message.Result = 1;
        return;
      }
      break;
    default: break;
  }
  TCustomEdit::Dispatch(message);
}
