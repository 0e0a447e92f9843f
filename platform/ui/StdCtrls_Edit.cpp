// TCustomEdit: the text, the selection, undo, the clipboard and the window style.
#include <algorithm>

#include "platform/rtl/UnicodeText.h"
#include "platform/rtl/TextCompare.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrls_EditLines.h"

TCustomEdit::TCustomEdit(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(ControlStyle() << csCaptureMouse << csClickEvents << csDoubleClicks << csSetCaption);
  SetTabStop(true);
  SetBounds(Left(), Top(), 121, 21);
  SetColor(clWindow);
  SetParentColor(false);
  SetCursor(crIBeam);
}

TCustomEdit::~TCustomEdit() = default;

// --- Selection -----------------------------------------------------------------------------------

void TCustomEdit::SetSel(int start, int end) {
  int length = static_cast<int>(FEditText.size());
  // As the edit messages have it: a negative start takes the selection away, -1 as end means
  // the end of the text.
  if (start < 0) {
    end = start = FCaret;
  } else if (end < 0) {
    end = length;
  }
  start = std::clamp(start, 0, length);
  end = std::clamp(end, 0, length);
  // A selection never splits a character made of two UTF-16 units, nor a line break.
  auto inside = [&](int at) {
    if (at <= 0 || at >= length) return false;
    char16_t ch = FEditText[static_cast<size_t>(at)];
    return IsLowSurrogate(ch) || (ch == u'\n' && FEditText[static_cast<size_t>(at - 1)] == u'\r');
  };
  // Each end moves outwards; a caret without a selection moves before the character.
  int anchor = start, caret = end;
  if (inside(anchor)) start = anchor <= caret ? anchor - 1 : anchor + 1;
  if (inside(caret)) end = caret > anchor ? caret + 1 : caret - 1;
  FSelAnchor = start;
  FCaret = end;
  FTypingRun = false;
  ScrollToCaret();
  UpdateCaret();
  UpdateScrollBars();
  Invalidate();
}

void TCustomEdit::SetSelStart(int value) { SetSel(std::max(value, 0), std::max(value, 0)); }

void TCustomEdit::SetSelLength(int value) {
  int start = SelStart();
  SetSel(start, start + std::max(value, 0));
}

String TCustomEdit::SelText() const {
  return FEditText.substr(static_cast<size_t>(SelStart()), static_cast<size_t>(SelLength()));
}

void TCustomEdit::SetSelText(const String& value) { ReplaceSelection(value, true, false); }

void TCustomEdit::SelectAll() { SetSel(0, -1); }

void TCustomEdit::ClearSelection() {
  if (!FReadOnly && SelLength() > 0) ReplaceSelection(String(), true, false);
}

// --- Changing the text ---------------------------------------------------------------------------

String TCustomEdit::ApplyCharCase(String text) const {
  if (FCharCase == ecUpperCase) return AnsiUpperCase(text);
  if (FCharCase == ecLowerCase) return AnsiLowerCase(text);
  return text;
}

// A single-line edit keeps the text up to the first line break; a multi-line one keeps every
// line break as CR LF, whichever form it came in.
String TCustomEdit::NormalizeInput(String text) const {
  if (!FMultiLine) {
    size_t lineBreak = text.find_first_of(u"\r\n");
    if (lineBreak != String::npos) text.resize(lineBreak);
  } else if (text.find_first_of(u"\r\n") != String::npos) {
    text = NormalizeLineBreaks(text);
  }
  return ApplyCharCase(std::move(text));
}

void TCustomEdit::ReplaceSelection(String text, bool canUndo, bool typing) {
  text = NormalizeInput(std::move(text));
  int start = SelStart();
  int selLength = SelLength();
  if (FMaxLength > 0) {
    int room = FMaxLength - (static_cast<int>(FEditText.size()) - selLength);
    if (room < static_cast<int>(text.size())) {
      room = std::max(room, 0);
      if (room > 0 && IsLowSurrogate(text[static_cast<size_t>(room)])) --room;
      // Never half a line break.
      if (room > 0 && text[static_cast<size_t>(room)] == u'\n' &&
          text[static_cast<size_t>(room - 1)] == u'\r')
        --room;
      text.resize(static_cast<size_t>(room));
    }
  }
  if (text.empty() && selLength == 0) return;
  String changed = FEditText;
  changed.replace(static_cast<size_t>(start), static_cast<size_t>(selLength), text);
  int caret = start + static_cast<int>(text.size());
  CommitChange(std::move(changed), caret, caret, canUndo, typing);
}

void TCustomEdit::ChangeByUser(const String& text, int selStart, int selEnd, bool typing) {
  CommitChange(text, selStart, selEnd, true, typing);
}

void TCustomEdit::CommitChange(String text, int anchor, int caret, bool canUndo, bool typing) {
  // Typing one character after another is undone as one step.
  if (canUndo && !(typing && FTypingRun)) {
    FUndoText = FEditText;
    FUndoSelStart = SelStart();
    FUndoSelEnd = SelStart() + SelLength();
    FHasUndo = true;
  }
  if (!canUndo) FHasUndo = false;
  FEditText = std::move(text);
  int length = static_cast<int>(FEditText.size());
  FSelAnchor = std::clamp(anchor, 0, length);
  FCaret = std::clamp(caret, 0, length);
  FTypingRun = typing;
  FModified = true;
  FDesiredX = -1;
  InvalidateRows();
  ScrollToCaret();
  UpdateCaret();
  UpdateScrollBars();
  Invalidate();
  Change();
}

void TCustomEdit::SetEditBuffer(const String& text) {
  FHasUndo = false;
  FTypingRun = false;
  if (text == FEditText) return;
  FEditText = text;
  int length = static_cast<int>(FEditText.size());
  FSelAnchor = std::min(FSelAnchor, length);
  FCaret = std::min(FCaret, length);
  InvalidateRows();
  // Many lines changed in one update are laid out once, when the update ends.
  if (!FLines || FLines->UpdateCount() == 0) LayoutChanged();
  Change();
}

void TCustomEdit::LayoutChanged() {
  ScrollToCaret();
  UpdateCaret();
  UpdateScrollBars();
  Invalidate();
}

void TCustomEdit::SetTextInternal(const String& text) {
  String value = NormalizeInput(text);
  // Setting the text takes the undo step and the modified flag away, as in every edit box.
  FHasUndo = false;
  FModified = false;
  FTypingRun = false;
  bool changed = value != FEditText;
  FEditText = std::move(value);
  FSelAnchor = FCaret = 0;
  FScroll = 0;
  FTopRow = 0;
  InvalidateRows();
  UpdateCaret();
  UpdateScrollBars();
  Invalidate();
  if (changed) Change();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

TStrings* TCustomEdit::EditLines() {
  if (!FLines) FLines = std::make_unique<TEditLines>(this);
  return FLines.get();
}

// --- Clipboard and undo --------------------------------------------------------------------------

void TCustomEdit::CutToClipboard() { Perform(WM_CUT); }
void TCustomEdit::CopyToClipboard() { Perform(WM_COPY); }
void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE); }
void TCustomEdit::Undo() { Perform(WM_UNDO); }

void TCustomEdit::DoCopy() {
  // A password is never handed out.
  if ((FPasswordChar != 0 && !FMultiLine) || SelLength() == 0) return;
  Clipboard()->SetAsText(SelText());
}

void TCustomEdit::DoCut() {
  if (FReadOnly || (FPasswordChar != 0 && !FMultiLine)) return;
  DoCopy();
  ClearSelection();
}

void TCustomEdit::DoPaste() {
  if (FReadOnly) return;
  String text = Clipboard()->AsText();
  if (!text.empty()) ReplaceSelection(text, true, false);
}

void TCustomEdit::DoUndo() {
  if (!FHasUndo || FReadOnly) return;
  // Undo swaps the text with the one before the last change, so a second Undo redoes it.
  String previous = FUndoText;
  int selStart = FUndoSelStart;
  int selEnd = FUndoSelEnd;
  FUndoText = FEditText;
  FUndoSelStart = SelStart();
  FUndoSelEnd = SelStart() + SelLength();
  FEditText = std::move(previous);
  FModified = true;
  FTypingRun = false;
  InvalidateRows();
  SetSel(selStart, selEnd);
  UpdateScrollBars();
  Change();
}

// --- Properties ----------------------------------------------------------------------------------

void TCustomEdit::SetMaxLength(int value) { FMaxLength = std::max(value, 0); }

void TCustomEdit::SetPasswordChar(char16_t value) {
  if (FPasswordChar == value) return;
  FPasswordChar = value;
  InvalidateRows();
  Invalidate();
}

void TCustomEdit::SetReadOnly(bool value) { FReadOnly = value; }

void TCustomEdit::SetAlignment(TAlignment value) {
  if (FAlignment == value) return;
  FAlignment = value;
  FScroll = 0;
  Invalidate();
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
  if (FBorderStyle == value) return;
  FBorderStyle = value;
  InvalidateRows();
  Invalidate();
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  if (FCharCase == value) return;
  FCharCase = value;
  if (value != ecNormal) SetTextInternal(FEditText);
}

void TCustomEdit::SetMultiLine(bool value) {
  if (FMultiLine == value) return;
  FMultiLine = value;
  if (!value) SetTextInternal(FEditText);  // back to one line
  InvalidateRows();
  Invalidate();
}

void TCustomEdit::SetWordWrap(bool value) {
  if (FWordWrap == value) return;
  FWordWrap = value;
  FScroll = 0;
  InvalidateRows();
  ScrollToCaret();
  UpdateCaret();
  UpdateScrollBars();
  Invalidate();
}

void TCustomEdit::SetScrollBars(TScrollStyle value) {
  if (FScrollBars == value) return;
  FScrollBars = value;
  if (HandleAllocated()) {
    bool vertical = value == ssVertical || value == ssBoth;
    bool horizontal = value == ssHorizontal || value == ssBoth;
    ShowScrollBar(Handle(), SB_VERT, vertical);
    ShowScrollBar(Handle(), SB_HORZ, horizontal);
  }
  InvalidateRows();
  UpdateScrollBars();
  Invalidate();
}

void TCustomEdit::SetWantReturns(bool value) { FWantReturns = value; }

// --- The window style ----------------------------------------------------------------------------

void TCustomEdit::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style |= ES_AUTOVSCROLL | ES_AUTOHSCROLL;
  if (FAlignment == taRightJustify) params.Style |= ES_RIGHT;
  if (FAlignment == taCenter) params.Style |= ES_CENTER;
  if (FReadOnly) params.Style |= ES_READONLY;
  if (FCharCase == ecUpperCase) params.Style |= ES_UPPERCASE;
  if (FCharCase == ecLowerCase) params.Style |= ES_LOWERCASE;
  if (!FMultiLine) {
    if (FPasswordChar != 0) params.Style |= ES_PASSWORD;
    return;
  }
  params.Style |= ES_MULTILINE;
  if (FWantReturns) params.Style |= ES_WANTRETURN;
  if (FWordWrap) params.Style &= ~ES_AUTOHSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) params.Style |= WS_HSCROLL;
}

void TCustomEdit::CreateWnd() {
  TCustomControl::CreateWnd();
  ApplyWindowStyle(static_cast<DWORD>(GetWindowLongPtr(Handle(), GWL_STYLE)));
}

// The window's style, as CreateParams and a descendant's additions made it, decides how the edit
// behaves from now on.
void TCustomEdit::ApplyWindowStyle(DWORD style) {
  FMultiLine = (style & ES_MULTILINE) != 0;
  if (FMultiLine) {
    FWordWrap = (style & ES_AUTOHSCROLL) == 0;
    FWantReturns = (style & ES_WANTRETURN) != 0;
    bool vertical = (style & WS_VSCROLL) != 0;
    bool horizontal = (style & WS_HSCROLL) != 0;
    FScrollBars = vertical ? (horizontal ? ssBoth : ssVertical) : (horizontal ? ssHorizontal : ssNone);
  }
  if (style & ES_RIGHT)
    FAlignment = taRightJustify;
  else if (style & ES_CENTER)
    FAlignment = taCenter;
  else
    FAlignment = taLeftJustify;
  if ((style & ES_PASSWORD) && FPasswordChar == 0) FPasswordChar = u'*';
  if (style & ES_READONLY) FReadOnly = true;
  InvalidateRows();
  UpdateScrollBars();
}
