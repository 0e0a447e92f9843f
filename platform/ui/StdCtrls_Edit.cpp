// TCustomEdit: the text, the selection, undo, the clipboard and the edit messages.
#include <algorithm>

#include "platform/rtl/TextCompare.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/StdCtrls.h"

namespace {

bool IsLowSurrogate(char16_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

}  // namespace

TCustomEdit::TCustomEdit(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(ControlStyle() << csCaptureMouse << csClickEvents << csDoubleClicks << csSetCaption);
  SetTabStop(true);
  SetBounds(Left(), Top(), 121, 21);
  SetColor(clWindow);
  SetParentColor(false);
  SetCursor(crIBeam);
}

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
  // A selection never splits a character made of two UTF-16 units.
  if (start < length && start > 0 && IsLowSurrogate(FEditText[static_cast<size_t>(start)])) --start;
  if (end < length && end > 0 && IsLowSurrogate(FEditText[static_cast<size_t>(end)])) ++end;
  FSelAnchor = start;
  FCaret = end;
  FTypingRun = false;
  ScrollToCaret();
  UpdateCaret();
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

void TCustomEdit::ReplaceSelection(String text, bool canUndo, bool typing) {
  // The text stops at the first line break in a single-line edit.
  size_t lineBreak = text.find_first_of(u"\r\n");
  if (lineBreak != String::npos) text.resize(lineBreak);
  text = ApplyCharCase(std::move(text));
  int start = SelStart();
  int selLength = SelLength();
  if (FMaxLength > 0) {
    int room = FMaxLength - (static_cast<int>(FEditText.size()) - selLength);
    if (room < static_cast<int>(text.size())) {
      room = std::max(room, 0);
      if (room > 0 && IsLowSurrogate(text[static_cast<size_t>(room)])) --room;
      text.resize(static_cast<size_t>(room));
    }
  }
  if (text.empty() && selLength == 0) return;
  // Typing one character after another is undone as one step.
  if (canUndo && !(typing && FTypingRun)) {
    FUndoText = FEditText;
    FUndoSelStart = start;
    FUndoSelEnd = start + selLength;
    FHasUndo = true;
  }
  if (!canUndo) FHasUndo = false;
  FEditText.replace(static_cast<size_t>(start), static_cast<size_t>(selLength), text);
  FSelAnchor = FCaret = start + static_cast<int>(text.size());
  FTypingRun = typing;
  FModified = true;
  ScrollToCaret();
  UpdateCaret();
  Invalidate();
  Change();
}

void TCustomEdit::SetTextInternal(const String& text) {
  String value = text;
  size_t lineBreak = value.find_first_of(u"\r\n");
  if (lineBreak != String::npos) value.resize(lineBreak);
  value = ApplyCharCase(std::move(value));
  // Setting the text takes the undo step and the modified flag away, as in every edit box.
  FHasUndo = false;
  FModified = false;
  FTypingRun = false;
  bool changed = value != FEditText;
  FEditText = std::move(value);
  FSelAnchor = FCaret = 0;
  FScroll = 0;
  UpdateCaret();
  Invalidate();
  if (changed) Change();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

// --- Clipboard and undo --------------------------------------------------------------------------

void TCustomEdit::CopyToClipboard() {
  // A password is never handed out.
  if (FPasswordChar != 0 || SelLength() == 0) return;
  Clipboard()->SetAsText(SelText());
}

void TCustomEdit::CutToClipboard() {
  if (FReadOnly || FPasswordChar != 0) return;
  CopyToClipboard();
  ClearSelection();
}

void TCustomEdit::PasteFromClipboard() {
  if (FReadOnly) return;
  String text = Clipboard()->AsText();
  if (!text.empty()) ReplaceSelection(text, true, false);
}

void TCustomEdit::Undo() {
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
  SetSel(selStart, selEnd);
  Change();
}

// --- Properties ----------------------------------------------------------------------------------

void TCustomEdit::SetMaxLength(int value) { FMaxLength = std::max(value, 0); }

void TCustomEdit::SetPasswordChar(char16_t value) {
  if (FPasswordChar == value) return;
  FPasswordChar = value;
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
  Invalidate();
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  if (FCharCase == value) return;
  FCharCase = value;
  if (value != ecNormal) SetTextInternal(FEditText);
}

String TCustomEdit::DisplayText() const {
  if (FPasswordChar == 0) return FEditText;
  return String(FEditText.size(), FPasswordChar);
}

// --- Messages ------------------------------------------------------------------------------------

void TCustomEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETTEXT: {
      auto* out = reinterpret_cast<char16_t*>(message.LParam);
      message.Result = 0;
      if (!out || message.WParam == 0) return;
      size_t count = std::min<size_t>(FEditText.size(), message.WParam - 1);
      std::copy_n(FEditText.data(), count, out);
      out[count] = u'\0';
      message.Result = static_cast<LRESULT>(count);
      return;
    }
    case WM_GETTEXTLENGTH: message.Result = static_cast<LRESULT>(FEditText.size()); return;
    case WM_SETTEXT: {
      auto* text = reinterpret_cast<const char16_t*>(message.LParam);
      SetTextInternal(text ? String(text) : String());
      message.Result = 1;
      return;
    }
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
      return;
    case WM_CUT: CutToClipboard(); return;
    case WM_COPY: CopyToClipboard(); return;
    case WM_PASTE: PasteFromClipboard(); return;
    case WM_CLEAR: ClearSelection(); return;
    case WM_UNDO:
    case EM_UNDO:
      message.Result = FHasUndo ? 1 : 0;
      Undo();
      return;
    case EM_CANUNDO: message.Result = FHasUndo ? 1 : 0; return;
    case EM_EMPTYUNDOBUFFER: FHasUndo = false; return;
    case EM_GETSEL: {
      auto start = static_cast<DWORD>(SelStart());
      auto end = static_cast<DWORD>(SelStart() + SelLength());
      if (message.WParam) *reinterpret_cast<DWORD*>(message.WParam) = start;
      if (message.LParam) *reinterpret_cast<DWORD*>(message.LParam) = end;
      message.Result = static_cast<LRESULT>(std::min<DWORD>(start, 0xFFFF) |
                                            (std::min<DWORD>(end, 0xFFFF) << 16));
      return;
    }
    case EM_SETSEL:
      SetSel(static_cast<int>(static_cast<intptr_t>(message.WParam)),
             static_cast<int>(message.LParam));
      return;
    case EM_REPLACESEL: {
      auto* text = reinterpret_cast<const char16_t*>(message.LParam);
      ReplaceSelection(text ? String(text) : String(), message.WParam != 0, false);
      return;
    }
    case EM_GETMODIFY: message.Result = FModified ? 1 : 0; return;
    case EM_SETMODIFY: FModified = message.WParam != 0; return;
    case EM_LIMITTEXT: SetMaxLength(static_cast<int>(message.WParam)); return;
    case EM_SETREADONLY:
      SetReadOnly(message.WParam != 0);
      message.Result = 1;
      return;
    case EM_SETPASSWORDCHAR: SetPasswordChar(static_cast<char16_t>(message.WParam)); return;
    case EM_GETPASSWORDCHAR: message.Result = FPasswordChar; return;
    case EM_GETRECT:
      if (message.LParam) *reinterpret_cast<TRect*>(message.LParam) = FormattingRect();
      return;
    case EM_SETRECT:
    case EM_SETRECTNP:
      if (message.LParam) {
        FFormatRect = *reinterpret_cast<const TRect*>(message.LParam);
        FFormatRectSet = true;
      } else {
        FFormatRectSet = false;
      }
      if (message.Msg == EM_SETRECT) Invalidate();
      return;
    case EM_SCROLLCARET: ScrollToCaret(); return;
    case EM_CHARFROMPOS: {
      TPoint point{static_cast<int16_t>(message.LParam & 0xFFFF),
                   static_cast<int16_t>((message.LParam >> 16) & 0xFFFF)};
      message.Result = CharFromPos(point) & 0xFFFF;
      return;
    }
    case EM_POSFROMCHAR: {
      TPoint point = PosFromChar(static_cast<int>(message.WParam));
      message.Result = static_cast<LRESULT>((point.X & 0xFFFF) | ((point.Y & 0xFFFF) << 16));
      return;
    }
    case EM_SHOWBALLOONTIP: {
      auto* tip = reinterpret_cast<const TEditBalloonTip*>(message.LParam);
      if (!tip) return;
      FBalloonTitle = tip->pszTitle ? String(tip->pszTitle) : String();
      FBalloonText = tip->pszText ? String(tip->pszText) : String();
      message.Result = 1;
      return;
    }
    case EM_HIDEBALLOONTIP:
      FBalloonTitle.clear();
      FBalloonText.clear();
      message.Result = 1;
      return;
    default: TCustomControl::Dispatch(message); return;
  }
}
