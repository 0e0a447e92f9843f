// The Unicode edit, memo and edit with a button.
#include "controls/grid/AsgEditLayout.h"
#include "controls/grid/AsgUni.h"

namespace AsgUni {

// --- The edit ------------------------------------------------------------------------------------

TCustomUNIEdit::TCustomUNIEdit(TComponent* owner) : TCustomEdit(owner) {}

void TCustomUNIEdit::Dispatch(TMessage& message) {
  if (message.Msg != WM_CHAR) {
    TCustomEdit::Dispatch(message);
    return;
  }
  const auto typed = static_cast<char16_t>(message.WParam);
  if (FPairGuard.DropsSecondHalf(typed)) return;
  TCustomEdit::Dispatch(message);
  // Whether the unit went in as typed: it stands just before the caret.
  const String& text = EditBuffer();
  const int caret = CaretPos();
  FPairGuard.Handled(typed, caret > 0 && caret <= static_cast<int>(text.size()) &&
                                text[static_cast<size_t>(caret - 1)] == typed);
}

// --- The memo ------------------------------------------------------------------------------------

TAsgUniCustomMemo::TAsgUniCustomMemo(TComponent* owner) : TCustomUNIEdit(owner) {
  SetMultiLine(true);
}

void TAsgUniCustomMemo::SetScrollBars(TScrollStyle value) {
  if (value == ScrollBars()) return;
  TCustomEdit::SetScrollBars(value);
  if (HandleAllocated()) RecreateWnd();
}

void TAsgUniCustomMemo::SetWordWrap(bool value) {
  if (value == WordWrap()) return;
  TCustomEdit::SetWordWrap(value);
  if (HandleAllocated()) RecreateWnd();
}

void TAsgUniCustomMemo::Dispatch(TMessage& message) {
  TCustomUNIEdit::Dispatch(message);
  if (message.Msg != WM_GETDLGCODE) return;
  if (WantTabs())
    message.Result |= DLGC_WANTTAB;
  else
    message.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
  if (!WantReturns()) message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
}

TAsgUniMemo::TAsgUniMemo(TComponent* owner) : TAsgUniCustomMemo(owner) {
  SetBounds(Left(), Top(), 200, 100);
}

// --- The edit with a button ----------------------------------------------------------------------

void TAsgUniEditBtn::SetEditRect() {
  const int margin = BorderStyle() == bsNone ? 2 : 1;
  AsgEditLayout::SetFormattingRect(
      this, margin, margin, AsgEditLayout::InnerWidth(this) - Button()->Width() - FUnitSpace - 3,
      AsgEditLayout::InnerHeight(this) + 1);
}

}  // namespace AsgUni
