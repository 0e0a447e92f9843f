// TLabel: text painted on the parent, with word wrap and an accelerator for its focus control.
#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/ui/StdCtrls.h"

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(ControlStyle() << csSetCaption << csReplicatable);
  SetBounds(Left(), Top(), 65, 17);
  AdjustBounds();
}

void TLabel::SetAlignment(TAlignment value) {
  FAlignment = value;
  Invalidate();
}

void TLabel::SetWordWrap(bool value) {
  FWordWrap = value;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetAutoSize(bool value) {
  FAutoSize = value;
  AdjustBounds();
}

// Measures the caption on a context of its own, so a label sizes itself before it has a parent.
void TLabel::AdjustBounds() {
  if (!FAutoSize || ComponentState().Contains(csLoading)) return;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  String caption = Caption();
  // An empty caption keeps the height of a line, as the label shows one.
  if (caption.empty() || (FShowAccelChar && caption == u"&")) caption = u" ";
  TRect r{0, 0, FWordWrap ? std::max(Width(), 1) : 0, 0};
  DrawText(dc, caption, r, TextFlags() | DT_CALCRECT);
  SelectObject(dc, old);
  DeleteDC(dc);
  int width = FWordWrap ? Width() : r.Width();
  // A right-aligned label keeps its right edge, a centred one its middle.
  int left = Left();
  if (!FWordWrap && FAlignment == taRightJustify) left += Width() - width;
  if (!FWordWrap && FAlignment == taCenter) left += (Width() - width) / 2;
  SetBounds(left, Top(), width, r.Height());
}

void TLabel::SetTransparent(bool value) {
  FTransparent = value;
  Invalidate();
}

void TLabel::SetShowAccelChar(bool value) {
  FShowAccelChar = value;
  Invalidate();
}

void TLabel::SetFocusControl(TWinControl* value) {
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = value;
  if (value) value->FreeNotification(this);
}

void TLabel::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component == FFocusControl) FFocusControl = nullptr;
}

uint32_t TLabel::TextFlags() const {
  uint32_t flags = FWordWrap ? DT_WORDBREAK : DT_SINGLELINE;
  if (FAlignment == taCenter) flags |= DT_CENTER;
  if (FAlignment == taRightJustify) flags |= DT_RIGHT;
  if (!FShowAccelChar) flags |= DT_NOPREFIX;
  return flags;
}

void TLabel::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  if (!FTransparent) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(r);
  }
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->Assign(Font());
  if (!Enabled()) canvas->Font()->SetColor(clGrayText);
  SetBkMode(canvas->Handle(), TRANSPARENT);
  DrawText(canvas->Handle(), Caption(), r, TextFlags());
}

void TLabel::Dispatch(TMessage& message) {
  if (message.Msg == CM_DIALOGCHAR && FShowAccelChar && FFocusControl && Enabled() &&
      IsAccel(static_cast<char16_t>(message.CharCode()), Caption()) && FFocusControl->CanFocus()) {
    FFocusControl->SetFocus();
    message.Result = 1;
    return;
  }
  TGraphicControl::Dispatch(message);
  // A new caption shows at once; without this the old text stayed until something else repainted.
  if (message.Msg == CM_TEXTCHANGED || message.Msg == CM_FONTCHANGED) {
    AdjustBounds();
    Invalidate();
  }
}
