// The smooth menu as a control: the selection and its fix-up, the glide and rotation timers, the
// mouse (hover, enter and leave, clicks), the keys and the focus.
#include <cmath>

#include "controls/graphics/AdvSmoothMenu.h"
#include "platform/rtl/RtlMath.h"
#include "platform/win/VirtualKeys.h"

namespace {

// Moves v one step towards the goal; within the tolerance it lands on the goal and answers that
// nothing moved.
bool Approach(float& v, float tolerance, float step, float goal) {
  if (goal - tolerance < v && v < goal + tolerance) {
    v = goal;
    return false;
  }
  step = std::max(step, 1.0f);
  v += v < goal ? step : -step;
  return true;
}

}  // namespace

void TAdvSmoothMenu::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_MOUSEENTER:
      TCustomControl::Dispatch(message);
      MouseEntered();
      return;
    case CM_MOUSELEAVE:
      TCustomControl::Dispatch(message);
      MouseLeft();
      return;
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
    case WM_ERASEBKGND: message.Result = 1; return;
    default: TCustomControl::Dispatch(message);
  }
}

// --- Selection -----------------------------------------------------------------------------------

// After the selected index or an item's Enabled changed: no enabled item, or an index outside
// the items, leaves nothing selected; a disabled selected item hands the selection on to the
// next enabled one, wrapping round to the first.
void TAdvSmoothMenu::FixSelection() {
  const int count = FItems->Count();
  if (EnabledCount() == 0 || FSelectedItemIndex < 0 || FSelectedItemIndex >= count) {
    FSelectedItemIndex = FHoverIndex = -1;
    return;
  }
  if (!ItemEnabled(FSelectedItemIndex)) {
    int next = FSelectedItemIndex;
    do next = (next + 1) % count;
    while (!ItemEnabled(next));
    FSelectedItemIndex = FHoverIndex = next;
  }
  FIndicatorPos = FItems->Items(FSelectedItemIndex)->Center();
}

void TAdvSmoothMenu::StepSelection(bool forward) {
  const int count = FItems->Count();
  if (EnabledCount() == 0) return;
  const int old = FSelectedItemIndex;
  int next = old;
  do {
    if (forward)
      next = next >= count - 1 ? 0 : next + 1;
    else
      next = next <= 0 ? count - 1 : next - 1;
  } while (!ItemEnabled(next));
  FSelectedItemIndex = FHoverIndex = next;
  if (OnItemChange) OnItemChange(this, old, next);
  FTargetPos = FItems->Items(next)->Center();
  Invalidate();
}

// --- Timers --------------------------------------------------------------------------------------

// Every 10 ms: the indicator covers a quarter of the way left, at least a pixel, while the notes
// slide and fade in. A tick that finds the indicator at rest paints nothing, unless the notes
// were left faded (a highlight that moved to where the indicator already stood): they are shown
// whole, once.
void TAdvSmoothMenu::GlideStep() {
  if (FAnimationType == atNone) return;
  const float d = std::fabs(FIndicatorPos - FTargetPos) / 4;
  if (Approach(FIndicatorPos, 1.0f, d, FTargetPos)) {
    FNotesOffset = d;
    if (FAnimationType == atFull) {
      float fade = FFadeOpacity;
      Approach(fade, 1.0f, std::fabs(fade - 255) / 4, 255);
      FFadeOpacity = static_cast<uint8_t>(std::clamp<int64_t>(Round(fade), 0, 255));
    }
    LayoutAndRepaint();
    return;
  }
  FIndicatorPos = FTargetPos;
  if (FFadeOpacity != 255 && FAnimationType == atFull) {
    FFadeOpacity = 255;
    Invalidate();
  }
}

// Every RotationInterval ms, the highlight moves on to the next item it may show.
void TAdvSmoothMenu::RotationStep() {
  if (!FRotation || ComponentState().Contains(csDesigning)) return;
  const int count = FItems->Count();
  if (count < 2 || EnabledCount() < 2) return;
  auto acceptable = [&](int i) {
    return ItemEnabled(i) && (FAllowSelectedIndication || i != FSelectedItemIndex);
  };
  int next = FHoverIndex + 1 >= count ? 0 : FHoverIndex + 1;
  next = std::clamp(next, 0, count - 1);
  while (!acceptable(next)) next = next + 1 >= count ? 0 : next + 1;
  FHoverIndex = next;
  FTargetPos = FItems->Items(next)->Center();
  switch (FAnimationType) {
    case atNone:
      FIndicatorPos = FTargetPos;
      FNotesOffset = 0;
      FFadeOpacity = 255;
      break;
    case atFull:
      FNotesOffset = FTargetPos - FIndicatorPos;
      FFadeOpacity = 0;
      break;
    case atNoOpacity: FNotesOffset = FTargetPos - FIndicatorPos; break;
  }
  LayoutAndRepaint();
}

// --- Mouse ---------------------------------------------------------------------------------------

void TAdvSmoothMenu::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  const int hit = ItemAtXY(x, y);
  if (hit >= 0) {
    if (hit != FHoverIndex) {
      FNotesOffset = FTargetPos - FIndicatorPos;
      if (FAnimationType != atNoOpacity) FFadeOpacity = 0;
    }
    FHoverIndex = hit;
    LayoutItems();
    FOverItem = true;
    if (FOffItem) {
      FOffItem = false;
      if (OnItemEnter) OnItemEnter(this, hit);
    }
    FRotationTimer->SetEnabled(false);
    FTargetPos = FItems->Items(hit)->Center();
    if (FAnimationType == atNone) {
      FIndicatorPos = FTargetPos;
      FFadeOpacity = 255;
      FNotesOffset = 0;
    }
    SetCursor(crHandPoint);
    Invalidate();
    return;
  }
  FOffItem = true;
  if (FOverItem) {
    FOverItem = false;
    if (OnItemLeave) OnItemLeave(this, FHoverIndex);
  }
  FNotesOffset = 0;
  FFadeOpacity = 255;
  FRotationTimer->SetEnabled(true);
  Invalidate();
  SetCursor(crArrow);
}

void TAdvSmoothMenu::MouseEntered() { Invalidate(); }

void TAdvSmoothMenu::MouseLeft() {
  FRotationTimer->SetEnabled(true);
  Invalidate();
}

// Any button released over an enabled item chooses it; a disabled item is empty space.
void TAdvSmoothMenu::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (CanFocus()) SetFocus();
  const int hit = ItemAtXY(x, y);
  if (hit < 0) return;
  const int old = FSelectedItemIndex;
  FSelectedItemIndex = hit;
  if (OnItemChange) OnItemChange(this, old, hit);
  LayoutItems();
  if (OnItemClick) OnItemClick(this, hit);
  Invalidate();
}

// --- Keys and focus ------------------------------------------------------------------------------

void TAdvSmoothMenu::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  switch (key) {
    case VK_LEFT: StepSelection(false); break;
    case VK_RIGHT: StepSelection(true); break;
    case VK_SPACE:
      if (ItemEnabled(FSelectedItemIndex) && OnItemClick) OnItemClick(this, FSelectedItemIndex);
      break;
    default: break;
  }
}

void TAdvSmoothMenu::DoEnter() {
  TCustomControl::DoEnter();
  FFocused = true;
  Invalidate();
}

void TAdvSmoothMenu::DoExit() {
  TCustomControl::DoExit();
  FFocused = false;
  Invalidate();
}
