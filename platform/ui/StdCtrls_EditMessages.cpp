// TCustomEdit: the window and edit messages, all reaching the same state as the methods.
#include <algorithm>

#include "platform/ui/StdCtrls.h"

namespace {

LRESULT PackPoint(TPoint point) {
  return static_cast<LRESULT>((point.X & 0xFFFF) | ((point.Y & 0xFFFF) << 16));
}

}  // namespace

// The window text and the keys the edit wants from the dialog.
bool TCustomEdit::DispatchText(TMessage& message) {
  switch (message.Msg) {
    case WM_GETTEXT: {
      auto* out = reinterpret_cast<char16_t*>(message.LParam);
      message.Result = 0;
      if (!out || message.WParam == 0) return true;
      size_t count = std::min<size_t>(FEditText.size(), message.WParam - 1);
      std::copy_n(FEditText.data(), count, out);
      out[count] = u'\0';
      message.Result = static_cast<LRESULT>(count);
      return true;
    }
    case WM_GETTEXTLENGTH: message.Result = static_cast<LRESULT>(FEditText.size()); return true;
    case WM_SETTEXT: {
      auto* text = reinterpret_cast<const char16_t*>(message.LParam);
      SetTextInternal(text ? String(text) : String());
      message.Result = 1;
      return true;
    }
    case WM_GETDLGCODE:
      // A multi-line edit takes Enter and Esc too; a memo narrows that down (WantReturns).
      message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
      if (FMultiLine) message.Result |= DLGC_WANTALLKEYS;
      return true;
    default: return false;
  }
}

// The clipboard and the one step of undo.
bool TCustomEdit::DispatchClipboardAndUndo(TMessage& message) {
  switch (message.Msg) {
    case WM_CUT: DoCut(); return true;
    case WM_COPY: DoCopy(); return true;
    case WM_PASTE: DoPaste(); return true;
    case WM_CLEAR: ClearSelection(); return true;
    case WM_UNDO:
    case EM_UNDO:
      message.Result = FHasUndo ? 1 : 0;
      DoUndo();
      return true;
    case EM_CANUNDO: message.Result = FHasUndo ? 1 : 0; return true;
    case EM_EMPTYUNDOBUFFER: FHasUndo = false; return true;
    default: return false;
  }
}

// The selection, the modified flag and the input limits.
bool TCustomEdit::DispatchSelectionAndState(TMessage& message) {
  switch (message.Msg) {
    case EM_GETSEL: {
      auto start = static_cast<DWORD>(SelStart());
      auto end = static_cast<DWORD>(SelStart() + SelLength());
      if (message.WParam) *reinterpret_cast<DWORD*>(message.WParam) = start;
      if (message.LParam) *reinterpret_cast<DWORD*>(message.LParam) = end;
      message.Result = static_cast<LRESULT>(std::min<DWORD>(start, 0xFFFF) |
                                            (std::min<DWORD>(end, 0xFFFF) << 16));
      return true;
    }
    case EM_SETSEL:
      SetSel(static_cast<int>(static_cast<intptr_t>(message.WParam)),
             static_cast<int>(message.LParam));
      return true;
    case EM_REPLACESEL: {
      auto* text = reinterpret_cast<const char16_t*>(message.LParam);
      ReplaceSelection(text ? String(text) : String(), message.WParam != 0, false);
      return true;
    }
    case EM_GETMODIFY: message.Result = FModified ? 1 : 0; return true;
    case EM_SETMODIFY: FModified = message.WParam != 0; return true;
    case EM_LIMITTEXT: SetMaxLength(static_cast<int>(message.WParam)); return true;
    case EM_SETREADONLY:
      SetReadOnly(message.WParam != 0);
      message.Result = 1;
      return true;
    case EM_SETPASSWORDCHAR: SetPasswordChar(static_cast<char16_t>(message.WParam)); return true;
    case EM_GETPASSWORDCHAR: message.Result = FPasswordChar; return true;
    default: return false;
  }
}

// Lines, characters and positions.
bool TCustomEdit::DispatchLines(TMessage& message) {
  switch (message.Msg) {
    case EM_CHARFROMPOS: {
      TPoint point{static_cast<int16_t>(message.LParam & 0xFFFF),
                   static_cast<int16_t>((message.LParam >> 16) & 0xFFFF)};
      int index = CharFromPos(point);
      message.Result =
          static_cast<LRESULT>((index & 0xFFFF) | ((LineFromChar(index) & 0xFFFF) << 16));
      return true;
    }
    case EM_POSFROMCHAR:
      message.Result = PackPoint(PosFromChar(static_cast<int>(message.WParam)));
      return true;
    case EM_GETLINECOUNT: message.Result = LineCount(); return true;
    case EM_LINEINDEX: {
      auto line = static_cast<int>(static_cast<intptr_t>(message.WParam));
      message.Result = LineIndex(line < 0 ? LineFromChar(FCaret) : line);
      return true;
    }
    case EM_LINEFROMCHAR: {
      auto index = static_cast<int>(static_cast<intptr_t>(message.WParam));
      message.Result = LineFromChar(index < 0 ? SelStart() : index);
      return true;
    }
    case EM_LINELENGTH: {
      auto index = static_cast<int>(static_cast<intptr_t>(message.WParam));
      const std::vector<TEditRow>& rows = Rows();
      if (index < 0) {
        // The characters on the selection's rows that are not selected.
        int selEnd = SelStart() + SelLength();
        const TEditRow& first = rows[static_cast<size_t>(RowOf(SelStart()))];
        const TEditRow& last = rows[static_cast<size_t>(RowOf(selEnd))];
        message.Result = (SelStart() - first.Start) + std::max(last.End - selEnd, 0);
      } else {
        const TEditRow& row = rows[static_cast<size_t>(RowOf(index))];
        message.Result = row.End - row.Start;
      }
      return true;
    }
    case EM_GETLINE: {
      auto line = static_cast<int>(message.WParam);
      auto* buffer = reinterpret_cast<char16_t*>(message.LParam);
      message.Result = 0;
      const std::vector<TEditRow>& rows = Rows();
      if (!buffer || line < 0 || line >= static_cast<int>(rows.size())) return true;
      // The buffer's first unit holds its size; the line is copied without a terminating zero.
      size_t room = static_cast<uint16_t>(buffer[0]);
      const TEditRow& row = rows[static_cast<size_t>(line)];
      size_t count = std::min<size_t>(room, static_cast<size_t>(row.End - row.Start));
      std::copy_n(FEditText.data() + row.Start, count, buffer);
      message.Result = static_cast<LRESULT>(count);
      return true;
    }
    default: return false;
  }
}

// The formatting rectangle and scrolling.
bool TCustomEdit::DispatchView(TMessage& message) {
  switch (message.Msg) {
    case EM_GETRECT:
      if (message.LParam) *reinterpret_cast<TRect*>(message.LParam) = FormattingRect();
      return true;
    case EM_SETRECT:
    case EM_SETRECTNP:
      if (message.LParam) {
        FFormatRect = *reinterpret_cast<const TRect*>(message.LParam);
        FFormatRectSet = true;
      } else {
        FFormatRectSet = false;
      }
      InvalidateRows();
      if (message.Msg == EM_SETRECT) Invalidate();
      return true;
    case EM_SCROLLCARET:
      ScrollToCaret();
      UpdateCaret();
      UpdateScrollBars();
      Invalidate();
      message.Result = 1;
      return true;
    case EM_GETFIRSTVISIBLELINE: message.Result = FirstVisibleLine(); return true;
    case EM_LINESCROLL:
      if (!FMultiLine) return true;
      LineScroll(static_cast<int>(static_cast<intptr_t>(message.WParam)),
                 static_cast<int>(message.LParam));
      message.Result = 1;
      return true;
    case WM_VSCROLL:
    case WM_HSCROLL: ScrollMessage(message); return true;
    default: return false;
  }
}

// The balloon tip over the edit.
bool TCustomEdit::DispatchBalloonTip(TMessage& message) {
  switch (message.Msg) {
    case EM_SHOWBALLOONTIP: {
      auto* tip = reinterpret_cast<const TEditBalloonTip*>(message.LParam);
      if (!tip) return true;
      FBalloonTitle = tip->pszTitle ? String(tip->pszTitle) : String();
      FBalloonText = tip->pszText ? String(tip->pszText) : String();
      message.Result = 1;
      return true;
    }
    case EM_HIDEBALLOONTIP:
      FBalloonTitle.clear();
      FBalloonText.clear();
      message.Result = 1;
      return true;
    default: return false;
  }
}
void TCustomEdit::Dispatch(TMessage& message) {
  if (DispatchText(message) || DispatchClipboardAndUndo(message) ||
      DispatchSelectionAndState(message) || DispatchLines(message) || DispatchView(message) ||
      DispatchBalloonTip(message))
    return;
  if (message.Msg == CM_FONTCHANGED) InvalidateRows();
  TCustomControl::Dispatch(message);
}

// --- The memo ------------------------------------------------------------------------------------

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner) {
  SetBounds(Left(), Top(), 185, 89);
  SetMultiLine(true);
  SetWantReturns(true);
  SetWordWrap(true);
}

void TCustomMemo::Dispatch(TMessage& message) {
  TCustomEdit::Dispatch(message);
  if (message.Msg != WM_GETDLGCODE) return;
  if (WantTabs())
    message.Result |= DLGC_WANTTAB;
  else
    message.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
  if (!WantReturns()) message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
}
