// TScrollingWinControl and its scroll bars: content larger than the client area scrolls, the
// children moving by the scrolled distance.
#include <algorithm>

#include "platform/ui/Forms.h"

// --- TControlScrollBar --------------------------------------------------------------------------

TControlScrollBar::TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind)
    : FControl(control), FKind(kind) {}

int TControlScrollBar::ClientSize() {
  TRect client = FControl->ClientRect();
  return FKind == sbHorizontal ? client.Width() : client.Height();
}

bool TControlScrollBar::IsScrollBarVisible() {
  return FControl->HandleAllocated() && FVisible && FRange > ClientSize();
}

void TControlScrollBar::SetRange(int value) {
  value = std::max(value, 0);
  if (FRange == value) return;
  FRange = value;
  FControl->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool value) {
  if (FVisible == value) return;
  FVisible = value;
  FControl->UpdateScrollBars();
}

void TControlScrollBar::SetPosition(int value) {
  value = std::clamp(value, 0, std::max(0, FRange - ClientSize()));
  if (value == FPosition) return;
  int delta = FPosition - value;
  FPosition = value;
  if (FKind == sbHorizontal)
    FControl->ScrollBy(delta, 0);
  else
    FControl->ScrollBy(0, delta);
  Update();
}

void TControlScrollBar::Update() {
  if (!FControl->HandleAllocated()) return;
  SCROLLINFO info;
  info.fMask = SIF_ALL;
  info.nMin = 0;
  info.nMax = FVisible && FRange > 0 ? FRange - 1 : 0;
  info.nPage = static_cast<UINT>(std::max(ClientSize(), 0) + (FVisible ? 0 : 1));
  info.nPos = FPosition;
  SetScrollInfo(FControl->Handle(), FKind == sbHorizontal ? SB_HORZ : SB_VERT, &info, true);
}

void TControlScrollBar::ScrollMessage(TMessage& message) {
  int page = ClientSize();
  int pos = FPosition;
  switch (LOWORD(message.WParam)) {
    case SB_LINEUP: pos -= FIncrement; break;
    case SB_LINEDOWN: pos += FIncrement; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
      if (!FTracking) return;
      [[fallthrough]];
    case SB_THUMBPOSITION: {
      SCROLLINFO info;
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(FControl->Handle(), FKind == sbHorizontal ? SB_HORZ : SB_VERT, &info);
      pos = info.nTrackPos ? info.nTrackPos : HIWORD(message.WParam);
      break;
    }
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = FRange; break;
    default: return;
  }
  SetPosition(pos);
}

// --- TScrollingWinControl -----------------------------------------------------------------------

TScrollingWinControl::TScrollingWinControl(TComponent* owner) : TWinControl(owner) {
  FHorzScrollBar = std::make_unique<TControlScrollBar>(this, sbHorizontal);
  FVertScrollBar = std::make_unique<TControlScrollBar>(this, sbVertical);
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool value) {
  if (FAutoScroll == value) return;
  FAutoScroll = value;
  if (value) {
    CalcAutoRange();
  } else {
    FHorzScrollBar->FRange = 0;
    FVertScrollBar->FRange = 0;
  }
  UpdateScrollBars();
}

void TScrollingWinControl::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateScrollBars();
}

void TScrollingWinControl::AlignControls(TControl* control, TRect& rect) {
  TWinControl::AlignControls(control, rect);
  if (FAutoScroll) CalcAutoRange();
  UpdateScrollBars();
}

void TScrollingWinControl::CalcAutoRange() {
  int right = 0, bottom = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() || c->Align() != alNone) continue;
    right = std::max(right, c->Left() + c->Width() + FHorzScrollBar->FPosition);
    bottom = std::max(bottom, c->Top() + c->Height() + FVertScrollBar->FPosition);
  }
  FHorzScrollBar->FRange = right;
  FVertScrollBar->FRange = bottom;
}

void TScrollingWinControl::UpdateScrollBars() {
  if (FUpdatingScrollBars || !HandleAllocated()) return;
  FUpdatingScrollBars = true;
  try {
    // Showing one bar narrows the client area and may call for the other: two rounds settle it.
    for (int round = 0; round < 2; ++round) {
      FHorzScrollBar->Update();
      FVertScrollBar->Update();
    }
  } catch (...) {
    FUpdatingScrollBars = false;
    throw;
  }
  FUpdatingScrollBars = false;
}

void TScrollingWinControl::ScrollBy(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  bool windowShows = HandleAllocated() && IsWindowVisible(Handle());
  if (windowShows) ScrollWindow(Handle(), dx, dy, nullptr, nullptr);
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    auto* windowed = dynamic_cast<TWinControl*>(c);
    if (!windowed || !windowed->HandleAllocated()) {
      c->FLeft += dx;
      c->FTop += dy;
    } else if (!windowShows) {
      SetWindowPos(windowed->Handle(), nullptr, c->Left() + dx, c->Top() + dy, c->Width(),
                   c->Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  Invalidate();
}

void TScrollingWinControl::ScrollInView(TControl* control) {
  if (!control || !ContainsControl(control) || control == this) return;
  TPoint origin = control->ClientToScreen({0, 0});
  TPoint inHere = ScreenToClient(origin);
  TRect client = ClientRect();
  TRect r = Bounds(inHere.X, inHere.Y, control->Width(), control->Height());
  if (r.Left < 0)
    FHorzScrollBar->SetPosition(FHorzScrollBar->Position() + r.Left);
  else if (r.Right > client.Right)
    FHorzScrollBar->SetPosition(FHorzScrollBar->Position() + std::min(r.Right - client.Right, r.Left));
  if (r.Top < 0)
    FVertScrollBar->SetPosition(FVertScrollBar->Position() + r.Top);
  else if (r.Bottom > client.Bottom)
    FVertScrollBar->SetPosition(FVertScrollBar->Position() + std::min(r.Bottom - client.Bottom, r.Top));
}

void TScrollingWinControl::AutoScrollInView(TControl* control) {
  if (FAutoScroll && control && !ComponentState().Contains(csLoading)) ScrollInView(control);
}

void TScrollingWinControl::Dispatch(TMessage& message) {
  if ((message.Msg == WM_HSCROLL || message.Msg == WM_VSCROLL) && message.LParam == 0) {
    (message.Msg == WM_HSCROLL ? FHorzScrollBar : FVertScrollBar)->ScrollMessage(message);
    return;
  }
  TWinControl::Dispatch(message);
}
