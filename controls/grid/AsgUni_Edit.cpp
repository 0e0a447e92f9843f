// The Unicode edit, memo and edit with a button.
#include "controls/grid/AsgCtl3D.h"
#include "controls/grid/AsgEditLayout.h"
#include "controls/grid/AsgUni.h"
#include "platform/win/VirtualKeys.h"

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

TAsgUniEditBtn::TAsgUniEditBtn(TComponent* owner) : TCustomUNIEdit(owner) {
  FButton = new TAsgEditButton(this);
  FButton->SetBounds(0, 0, 18, 18);
  FButton->SetParent(this);
  FButton->SetFocusControl(this);
  FButton->OnClick = [this](TObject* sender) { ClickButton(sender); };
  TControlStyle style = ControlStyle();
  style >> csSetCaption;
  SetControlStyle(style);
}

TAsgUniEditBtn::~TAsgUniEditBtn() { FButton = nullptr; }

void TAsgUniEditBtn::ClickButton(TObject* sender) {
  if (OnClickBtn) OnClickBtn(sender);
}

void TAsgUniEditBtn::SetButtonWidth(int value) {
  FButtonWidth = value;
  FButton->SetWidth(value);
  Layout();
}

void TAsgUniEditBtn::SetRightAlign(bool value) {
  if (FRightAlign == value) return;
  FRightAlign = value;
  RecreateWnd();
}

void TAsgUniEditBtn::SetIsWinXP(bool value) {
  FIsWinXP = value;
  FButton->SpeedButton()->SetIsWinXP(value);
}

void TAsgUniEditBtn::SetCtl3D(bool value) {
  AsgCtl3D::Change(this, FCtl3D, value);
  Layout();
}

void TAsgUniEditBtn::KeyDown(WORD& key, TShiftState shift) {
  const WORD pressed = key;
  TCustomUNIEdit::KeyDown(key, shift);
  if (pressed == VK_F4) ClickButton(this);
}

void TAsgUniEditBtn::DoEnter() {
  if (AutoSelect() && !ControlState().Contains(csLButtonDown)) SelectAll();
  TCustomUNIEdit::DoEnter();
}

void TAsgUniEditBtn::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_CHAR:
      if (!EditorEnabled) return;
      break;
    case WM_PASTE:
    case WM_CUT:
      if (!EditorEnabled || ReadOnly()) return;
      break;
    default: break;
  }
  TCustomUNIEdit::Dispatch(message);
}

void TAsgUniEditBtn::CreateParams(TCreateParams& params) {
  TCustomUNIEdit::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN;
  if (FRightAlign) params.Style |= ES_RIGHT;
}

void TAsgUniEditBtn::CreateWnd() {
  TCustomUNIEdit::CreateWnd();
  Layout();
}

void TAsgUniEditBtn::Resize() {
  TCustomUNIEdit::Resize();
  if (FButton && Height() < AsgEditLayout::MinHeight(this))
    SetHeight(AsgEditLayout::MinHeight(this));
  else
    Layout();
}

void TAsgUniEditBtn::Layout() {
  if (!FButton || !HandleAllocated()) return;
  AsgEditLayout::PlaceButton(this, FButton, FCtl3D);
  const int margin = BorderStyle() == bsNone ? 2 : 1;
  AsgEditLayout::SetFormattingRect(
      this, margin, margin, AsgEditLayout::InnerWidth(this) - FButton->Width() - FUnitSpace - 3,
      AsgEditLayout::InnerHeight(this) + 1);
}

}  // namespace AsgUni
