// TButton, TCheckBox and TRadioButton: push buttons and marks, drawn with the frame controls.
#include "platform/gdi/Gdi.h"
#include "platform/rtl/TextCompare.h"
#include "platform/ui/StdCtrls.h"
#include "platform/win/VirtualKeys.h"

// --- TButton ---------------------------------------------------------------------------------------

TButton::TButton(TComponent* owner) : TCustomControl(owner) {
  // No double clicks: two quick presses are two clicks.
  SetControlStyle({csCaptureMouse, csClickEvents, csSetCaption, csOpaque});
  SetTabStop(true);
  SetBounds(Left(), Top(), 75, 25);
  SetParentColor(false);
  SetColor(clBtnFace);
}

void TButton::SetDefault(bool value) {
  FDefault = value;
  Invalidate();
}

void TButton::Click() {
  if (FModalResult != mrNone)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TCustomControl::Click();
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && CanFocus() && !Focused()) SetFocus();
  TCustomControl::MouseDown(button, shift, x, y);
  Invalidate();
}

void TButton::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_SPACE) FSpacePressed = true;
}

// A release whose press went to another control (the focus moved to this button meanwhile) is
// no click.
void TButton::KeyUp(WORD& key, TShiftState shift) {
  TCustomControl::KeyUp(key, shift);
  bool pressed = FSpacePressed;
  if (key == VK_SPACE) FSpacePressed = false;
  if (key == VK_SPACE && pressed) Click();
}

void TButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGKEY: {
      WORD key = message.CharCode();
      bool plain = KeyDataToShiftState(message.KeyData()).Empty();
      // Enter clicks the default button, or the button that has the focus.
      bool enter = key == VK_RETURN && (FDefault || Focused());
      if (plain && (enter || (key == VK_ESCAPE && FCancel)) && CanFocus()) {
        Click();
        message.Result = 1;
        return;
      }
      break;
    }
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<char16_t>(message.CharCode()), Caption()) && CanFocus()) {
        Click();
        message.Result = 1;
        return;
      }
      break;
    case WM_GETDLGCODE:
      message.Result = FDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON;
      return;
    default: break;
  }
  TCustomControl::Dispatch(message);
}

void TButton::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(r);
  if (FDefault || Focused()) {
    canvas->Brush()->SetColor(clWindowFrame);
    canvas->FrameRect(r);
    InflateRect(r, -1, -1);
  }
  bool pressed = ControlState().Contains(csClicked) && MouseCapture();
  DrawEdge(canvas->Handle(), r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  canvas->Font()->Assign(Font());
  if (!Enabled()) canvas->Font()->SetColor(clGrayText);
  canvas->Brush()->SetStyle(bsClear);
  TRect text = r;
  if (pressed) OffsetRect(text, 1, 1);
  DrawText(canvas->Handle(), Caption(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (Focused()) {
    TRect focus = r;
    InflateRect(focus, -3, -3);
    canvas->DrawFocusRect(focus);
  }
}

// --- TButtonControl --------------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* owner) : TCustomControl(owner) {
  // No click events from the base: the click comes from the change of the mark, and every
  // press is a plain one (a double click toggles twice).
  SetControlStyle({csCaptureMouse, csSetCaption});
  SetTabStop(true);
  SetBounds(Left(), Top(), 113, 17);
}

void TButtonControl::SetAlignment(TAlignment value) {
  FAlignment = value;
  Invalidate();
}

void TButtonControl::MarkChanged() {
  Invalidate();
  Click();
}

void TButtonControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    FPressed = true;
    if (CanFocus() && !Focused()) SetFocus();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TButtonControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  // A release inside the control changes the mark (the click event comes from the change).
  bool inside = x >= 0 && y >= 0 && x < Width() && y < Height();
  bool pressed = FPressed;
  if (button == mbLeft) FPressed = false;
  if (button == mbLeft && inside && pressed) Toggle();
  TCustomControl::MouseUp(button, shift, x, y);
}

void TButtonControl::KeyUp(WORD& key, TShiftState shift) {
  TCustomControl::KeyUp(key, shift);
  if (key == VK_SPACE) Toggle();
}

void TButtonControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<char16_t>(message.CharCode()), Caption()) && CanFocus()) {
        SetFocus();
        Toggle();
        message.Result = 1;
        return;
      }
      break;
    case WM_GETDLGCODE: message.Result = DLGC_BUTTON; return;
    default: break;
  }
  TCustomControl::Dispatch(message);
}

void TButtonControl::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(client);
  constexpr int kMark = 13;
  int top = (client.Height() - kMark) / 2;
  bool markLeft = FAlignment == taRightJustify;
  TRect mark = markLeft ? Bounds(0, top, kMark, kMark) : Bounds(client.Right - kMark, top, kMark, kMark);
  uint32_t state = MarkState();
  if (!Enabled()) state |= DFCS_INACTIVE;
  DrawFrameControl(canvas->Handle(), mark, DFC_BUTTON, state);
  canvas->Font()->Assign(Font());
  if (!Enabled()) canvas->Font()->SetColor(clGrayText);
  canvas->Brush()->SetStyle(bsClear);
  TRect text = markLeft ? Rect(kMark + 4, 0, client.Right, client.Bottom)
                        : Rect(0, 0, client.Right - kMark - 4, client.Bottom);
  DrawText(canvas->Handle(), Caption(), text, DT_VCENTER | DT_SINGLELINE);
  if (Focused()) {
    TRect focus = text;
    DrawText(canvas->Handle(), Caption(), focus, DT_SINGLELINE | DT_CALCRECT);
    focus.Top = (client.Height() - focus.Height()) / 2;
    focus.Bottom = focus.Top + canvas->TextHeight(u"Wy");
    InflateRect(focus, 1, 1);
    canvas->DrawFocusRect(focus);
  }
}

// --- TCustomCheckBox -------------------------------------------------------------------------------

void TCustomCheckBox::SetState(TCheckBoxState value) {
  if (FState == value) return;
  FState = value;
  MarkChanged();
}

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked: SetState(cbChecked); break;
    case cbChecked: SetState(FAllowGrayed ? cbGrayed : cbUnchecked); break;
    case cbGrayed: SetState(cbUnchecked); break;
  }
}

uint32_t TCustomCheckBox::MarkState() const {
  switch (FState) {
    case cbChecked: return DFCS_BUTTONCHECK | DFCS_CHECKED;
    case cbGrayed: return DFCS_BUTTON3STATE | DFCS_CHECKED;
    default: return DFCS_BUTTONCHECK;
  }
}

// --- TRadioButton ----------------------------------------------------------------------------------

void TRadioButton::SetChecked(bool value) {
  if (FChecked == value) return;
  FChecked = value;
  if (value && Parent()) {
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
      auto* sibling = dynamic_cast<TRadioButton*>(Parent()->Controls(i));
      if (sibling && sibling != this) sibling->SetChecked(false);
    }
  }
  // Only the button that becomes checked reports the click.
  if (value)
    MarkChanged();
  else
    Invalidate();
}

uint32_t TRadioButton::MarkState() const {
  return DFCS_BUTTONRADIO | (FChecked ? DFCS_CHECKED : 0);
}
