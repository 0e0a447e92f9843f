// TScrollBar: a position moved by arrows, the track, the thumb, keys and scroll requests.
#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/RtlMath.h"
#include "platform/ui/StdCtrls.h"
#include "platform/win/VirtualKeys.h"

namespace {
constexpr int kMinThumb = 8;
}

TScrollBar::TScrollBar(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(ControlStyle() << csCaptureMouse >> csClickEvents >> csDoubleClicks);
  SetTabStop(true);
  SetBounds(Left(), Top(), 121, GetSystemMetrics(SM_CYHSCROLL));
  SetParentColor(false);
  SetColor(clScrollBar);
}

void TScrollBar::SetKind(TScrollBarKind value) {
  if (value == FKind) return;
  FKind = value;
  // The bar turns over: its length and thickness trade places.
  SetBounds(Left(), Top(), Height(), Width());
}

int TScrollBar::LastPosition() const {
  return FPageSize > 0 ? std::max(FMin, FMax - FPageSize + 1) : FMax;
}

void TScrollBar::SetParams(int position, int min, int max) {
  if (max < min) throw EInvalidOperation(u"Scroll bar property out of range");
  FMin = min;
  FMax = max;
  FPageSize = std::min(FPageSize, max - min + 1);
  position = std::clamp(position, FMin, LastPosition());
  bool changed = position != FPosition;
  FPosition = position;
  Invalidate();
  if (changed) Change();
}

void TScrollBar::SetPageSize(int value) {
  FPageSize = std::clamp(value, 0, FMax - FMin + 1);
  SetParams(FPosition, FMin, FMax);
}

void TScrollBar::Change() {
  if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode scrollCode, int& scrollPos) {
  if (OnScroll) OnScroll(this, scrollCode, scrollPos);
}

void TScrollBar::DoScroll(TScrollCode code) {
  int target = FPosition;
  switch (code) {
    case scLineUp: target -= FSmallChange; break;
    case scLineDown: target += FSmallChange; break;
    case scPageUp: target -= FLargeChange; break;
    case scPageDown: target += FLargeChange; break;
    case scTop: target = FMin; break;
    case scBottom: target = LastPosition(); break;
    case scPosition:
    case scTrack: target = FTrackPosition; break;
    case scEndScroll: break;
  }
  target = std::clamp(target, FMin, LastPosition());
  Scroll(code, target);
  SetPosition(target);
}

// --- Geometry ------------------------------------------------------------------------------------

TRect TScrollBar::ArrowRect(bool first) {
  int size = std::min(Thickness(), Extent() / 2);
  if (FKind == sbHorizontal)
    return first ? Rect(0, 0, size, Height()) : Rect(Width() - size, 0, Width(), Height());
  return first ? Rect(0, 0, Width(), size) : Rect(0, Height() - size, Width(), Height());
}

int TScrollBar::TrackPixels() { return std::max(Extent() - 2 * std::min(Thickness(), Extent() / 2), 0); }

int TScrollBar::ThumbPixels() {
  int track = TrackPixels();
  int range = FMax - FMin + 1;
  if (FPageSize <= 0 || range <= 0) return std::min(Thickness(), track);
  return std::clamp(MulDiv(track, FPageSize, range), std::min(kMinThumb, track), track);
}

TRect TScrollBar::ThumbRect() {
  int start = ArrowRect(true).Width();
  if (FKind == sbVertical) start = ArrowRect(true).Height();
  int free = TrackPixels() - ThumbPixels();
  int span = LastPosition() - FMin;
  int offset = span > 0 ? MulDiv(free, FPosition - FMin, span) : 0;
  int from = start + offset;
  int to = from + ThumbPixels();
  return FKind == sbHorizontal ? Rect(from, 0, to, Height()) : Rect(0, from, Width(), to);
}

// --- Input ---------------------------------------------------------------------------------------

void TScrollBar::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  switch (key) {
    case VK_LEFT:
    case VK_UP: DoScroll(scLineUp); break;
    case VK_RIGHT:
    case VK_DOWN: DoScroll(scLineDown); break;
    case VK_PRIOR: DoScroll(scPageUp); break;
    case VK_NEXT: DoScroll(scPageDown); break;
    case VK_HOME: DoScroll(scTop); break;
    case VK_END: DoScroll(scBottom); break;
    default: return;
  }
  key = 0;
}

void TScrollBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  if (TabStop() && CanFocus() && !Focused()) SetFocus();
  TPoint p{x, y};
  TRect thumb = ThumbRect();
  int at = Along(x, y);
  if (PtInRect(ArrowRect(true), p)) {
    DoScroll(scLineUp);
  } else if (PtInRect(ArrowRect(false), p)) {
    DoScroll(scLineDown);
  } else if (PtInRect(thumb, p)) {
    FDragging = true;
    FDragOffset = at - Along(thumb.Left, thumb.Top);
  } else {
    DoScroll(at < Along(thumb.Left, thumb.Top) ? scPageUp : scPageDown);
  }
}

void TScrollBar::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (!FDragging) return;
  int start = FKind == sbHorizontal ? ArrowRect(true).Width() : ArrowRect(true).Height();
  int free = TrackPixels() - ThumbPixels();
  int span = LastPosition() - FMin;
  int offset = std::clamp(Along(x, y) - FDragOffset - start, 0, std::max(free, 0));
  FTrackPosition = FMin + (free > 0 ? MulDiv(span, offset, free) : 0);
  DoScroll(scTrack);
}

void TScrollBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (button != mbLeft) return;
  if (FDragging) {
    FDragging = false;
    FTrackPosition = FPosition;
    DoScroll(scPosition);
  }
  DoScroll(scEndScroll);
}

void TScrollBar::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS; return;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case CN_HSCROLL:
    case CN_VSCROLL: {
      // A request handed on by a parent: the same as the user's.
      int code = message.WParamLo();
      if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK)
        FTrackPosition = static_cast<int16_t>(message.WParamHi());
      if (code >= SB_LINEUP && code <= SB_ENDSCROLL) DoScroll(static_cast<TScrollCode>(code));
      message.Result = 0;
      return;
    }
    default: break;
  }
  TCustomControl::Dispatch(message);
}

void TScrollBar::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(client);
  bool horizontal = FKind == sbHorizontal;
  uint32_t inactive = Enabled() ? 0 : DFCS_INACTIVE;
  TRect first = ArrowRect(true);
  TRect last = ArrowRect(false);
  DrawFrameControl(canvas->Handle(), first, DFC_SCROLL, (horizontal ? DFCS_SCROLLLEFT : DFCS_SCROLLUP) | inactive);
  DrawFrameControl(canvas->Handle(), last, DFC_SCROLL, (horizontal ? DFCS_SCROLLRIGHT : DFCS_SCROLLDOWN) | inactive);
  if (!Enabled()) return;
  TRect thumb = ThumbRect();
  canvas->Brush()->SetColor(clBtnFace);
  canvas->FillRect(thumb);
  DrawEdge(canvas->Handle(), thumb, EDGE_RAISED, BF_RECT);
}
