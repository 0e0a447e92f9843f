// TCustomPanel: bevels drawn with edges, a caption, and room for its children inside the frame.
#include "platform/ui/ExtCtrls.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(ControlStyle() << csAcceptsControls << csCaptureMouse << csClickEvents
                                 << csSetCaption << csOpaque << csDoubleClicks);
  SetBounds(Left(), Top(), 185, 41);
  SetParentColor(false);
  SetColor(clBtnFace);
}

int TCustomPanel::FrameWidth() const {
  int width = FBorderWidth;
  if (FBevelOuter != bvNone) width += FBevelWidth;
  if (FBevelInner != bvNone) width += FBevelWidth;
  return width;
}

void TCustomPanel::FrameChanged() {
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
  FBevelInner = value;
  FrameChanged();
}

void TCustomPanel::SetBevelOuter(TBevelCut value) {
  FBevelOuter = value;
  FrameChanged();
}

void TCustomPanel::SetBevelWidth(int value) {
  FBevelWidth = std::max(value, 1);
  FrameChanged();
}

void TCustomPanel::SetBorderWidth(int value) {
  FBorderWidth = std::max(value, 0);
  FrameChanged();
}

void TCustomPanel::SetAlignment(TAlignment value) {
  FAlignment = value;
  Invalidate();
}

void TCustomPanel::AdjustClientRect(TRect& rect) {
  TCustomControl::AdjustClientRect(rect);
  InflateRect(rect, -FrameWidth(), -FrameWidth());
}

void TCustomPanel::Dispatch(TMessage& message) {
  // A new caption repaints it.
  if (message.Msg == CM_TEXTCHANGED) Invalidate();
  TCustomControl::Dispatch(message);
}

void TCustomPanel::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(r);
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    for (int i = 0; i < FBevelWidth; ++i) {
      if (cut == bvLowered) DrawEdge(canvas->Handle(), r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
      if (cut == bvRaised) DrawEdge(canvas->Handle(), r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
      if (cut == bvSpace) InflateRect(r, -1, -1);
    }
  };
  bevel(FBevelOuter);
  InflateRect(r, -FBorderWidth, -FBorderWidth);
  bevel(FBevelInner);
  String caption = Caption();
  if (caption.empty()) return;
  canvas->Font()->Assign(Font());
  if (!Enabled()) canvas->Font()->SetColor(clGrayText);
  canvas->Brush()->SetStyle(bsClear);
  uint32_t flags = DT_VCENTER | DT_SINGLELINE;
  if (FAlignment == taCenter) flags |= DT_CENTER;
  if (FAlignment == taRightJustify) flags |= DT_RIGHT;
  DrawText(canvas->Handle(), caption, r, flags);
}
