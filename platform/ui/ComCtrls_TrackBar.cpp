// TTrackBar: a thumb on a channel between Min and Max, with tick marks.
#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/RtlMath.h"
#include "platform/ui/ComCtrls.h"
#include "platform/win/VirtualKeys.h"

namespace {
constexpr int kEnds = 12;  // the channel starts and ends this far from the edges
constexpr int kThumbLength = 11;
constexpr int kThumbDepth = 20;
}  // namespace

TTrackBar::TTrackBar(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(ControlStyle() << csCaptureMouse >> csClickEvents >> csDoubleClicks);
  SetTabStop(true);
  SetBounds(Left(), Top(), 150, 45);
}

void TTrackBar::SetRange(int min, int max) {
  FMin = min;
  FMax = std::max(min, max);
  SetPosition(FPosition);
  Invalidate();
}

void TTrackBar::SetMin(int value) { SetRange(value, std::max(value, FMax)); }
void TTrackBar::SetMax(int value) { SetRange(std::min(FMin, value), value); }

void TTrackBar::SetPosition(int value) {
  value = std::clamp(value, FMin, FMax);
  if (value == FPosition) return;
  FPosition = value;
  Invalidate();
  Change();
}

void TTrackBar::SetFrequency(int value) {
  FFrequency = std::max(value, 1);
  Invalidate();
}

void TTrackBar::SetOrientation(TTrackBarOrientation value) {
  if (value == FOrientation) return;
  FOrientation = value;
  SetBounds(Left(), Top(), Height(), Width());
}

void TTrackBar::SetTickStyle(TTickStyle value) {
  FTickStyle = value;
  Invalidate();
}

void TTrackBar::SetTickMarks(TTickMark value) {
  FTickMarks = value;
  Invalidate();
}

void TTrackBar::Change() {
  if (OnChange) OnChange(this);
}

void TTrackBar::MoveByUser(int value) { SetPosition(value); }

// --- Geometry ------------------------------------------------------------------------------------

int TTrackBar::ChannelLength() {
  int extent = FOrientation == trHorizontal ? Width() : Height();
  return std::max(extent - 2 * kEnds, 1);
}

int TTrackBar::PixelOf(int position) {
  int span = FMax - FMin;
  return kEnds + (span > 0 ? MulDiv(ChannelLength(), position - FMin, span) : 0);
}

int TTrackBar::PositionAt(int pixel) {
  int span = FMax - FMin;
  int along = std::clamp(pixel - kEnds, 0, ChannelLength());
  return FMin + MulDiv(span, along, ChannelLength());
}

TRect TTrackBar::ThumbRect() {
  int center = PixelOf(FPosition);
  if (FOrientation == trHorizontal) {
    int top = std::max((Height() - kThumbDepth) / 2, 0);
    return Rect(center - kThumbLength / 2, top, center + kThumbLength / 2 + 1, top + kThumbDepth);
  }
  int left = std::max((Width() - kThumbDepth) / 2, 0);
  return Rect(left, center - kThumbLength / 2, left + kThumbDepth, center + kThumbLength / 2 + 1);
}

// --- Input ---------------------------------------------------------------------------------------

void TTrackBar::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  // Up and Left go towards Min, as on a horizontal bar that grows to the right.
  switch (key) {
    case VK_LEFT:
    case VK_UP: MoveByUser(FPosition - FLineSize); break;
    case VK_RIGHT:
    case VK_DOWN: MoveByUser(FPosition + FLineSize); break;
    case VK_PRIOR: MoveByUser(FPosition - FPageSize); break;
    case VK_NEXT: MoveByUser(FPosition + FPageSize); break;
    case VK_HOME: MoveByUser(FMin); break;
    case VK_END: MoveByUser(FMax); break;
    default: return;
  }
  key = 0;
}

void TTrackBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  if (CanFocus() && !Focused()) SetFocus();
  TRect thumb = ThumbRect();
  int along = FOrientation == trHorizontal ? x : y;
  int thumbStart = FOrientation == trHorizontal ? thumb.Left : thumb.Top;
  int thumbEnd = FOrientation == trHorizontal ? thumb.Right : thumb.Bottom;
  if (along >= thumbStart && along < thumbEnd) {
    FDragging = true;
    FDragOffset = along - PixelOf(FPosition);
  } else {
    MoveByUser(FPosition + (along < thumbStart ? -FPageSize : FPageSize));
  }
}

void TTrackBar::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (FDragging) MoveByUser(PositionAt((FOrientation == trHorizontal ? x : y) - FDragOffset));
}

void TTrackBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (button == mbLeft) FDragging = false;
}

void TTrackBar::Dispatch(TMessage& message) {
  if (message.Msg == WM_SETFOCUS || message.Msg == WM_KILLFOCUS) Invalidate();  // the focus frame
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTARROWS;
    return;
  }
  TCustomControl::Dispatch(message);
}

void TTrackBar::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(client);
  bool horizontal = FOrientation == trHorizontal;
  int middle = horizontal ? Height() / 2 : Width() / 2;
  TRect channel = horizontal ? Rect(kEnds, middle - 2, kEnds + ChannelLength(), middle + 2)
                             : Rect(middle - 2, kEnds, middle + 2, kEnds + ChannelLength());
  DrawEdge(canvas->Handle(), channel, EDGE_SUNKEN, BF_RECT);
  if (FTickStyle == tsAuto) {
    canvas->Pen()->SetColor(clWindowText);
    TRect thumb = ThumbRect();
    for (int position = FMin; position <= FMax; position += FFrequency) {
      int at = PixelOf(position);
      auto tick = [&](int from, int to) {
        if (horizontal) {
          canvas->MoveTo(at, from);
          canvas->LineTo(at, to);
        } else {
          canvas->MoveTo(from, at);
          canvas->LineTo(to, at);
        }
      };
      int nearEnd = horizontal ? thumb.Bottom : thumb.Right;
      int farEnd = horizontal ? thumb.Top : thumb.Left;
      if (FTickMarks != tmTopLeft) tick(nearEnd + 2, nearEnd + 5);
      if (FTickMarks != tmBottomRight) tick(farEnd - 5, farEnd - 2);
      if (position > FMax - FFrequency) break;  // no overflow past Max
    }
  }
  TRect thumb = ThumbRect();
  canvas->Brush()->SetColor(clBtnFace);
  canvas->FillRect(thumb);
  DrawEdge(canvas->Handle(), thumb, EDGE_RAISED, BF_RECT);
  if (Focused()) {
    TRect focus = client;
    canvas->DrawFocusRect(focus);
  }
}
