// TWinControl: laying out aligned children (top, bottom, left, right, then client) and keeping
// anchored children at their distances from the edges they are anchored to.
#include <algorithm>

#include "platform/ui/Controls.h"

void TWinControl::DisableAlign() { ++FAlignLevel; }

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0 && ControlState().Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* control) {
  if (!FHandle || ComponentState().Contains(csDestroying)) return;
  if (FAlignLevel != 0) {
    SetControlState(ControlState() << csAlignmentNeeded);
    return;
  }
  DisableAlign();
  try {
    TRect rect = ClientRect();
    AlignControls(control, rect);
  } catch (...) {
    SetControlState(ControlState() >> csAlignmentNeeded);
    --FAlignLevel;
    throw;
  }
  SetControlState(ControlState() >> csAlignmentNeeded);
  --FAlignLevel;
}

void TWinControl::AdjustClientRect(TRect&) {}

namespace {

// The order aligned controls of one kind are stacked in: the one nearest its edge first; the
// control being moved wins a tie with the others.
bool Before(TAlign align, TControl* a, TControl* b, TControl* moving) {
  auto key = [align](TControl* c) {
    switch (align) {
      case alTop: return c->Top();
      case alBottom: return -(c->Top() + c->Height());
      case alLeft: return c->Left();
      case alRight: return -(c->Left() + c->Width());
      default: return 0;
    }
  };
  if (key(a) != key(b)) return key(a) < key(b);
  return a == moving && b != moving;
}

}  // namespace

void TWinControl::AlignControls(TControl* moving, TRect& rect) {
  AdjustClientRect(rect);
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> aligned;
    for (TControl* c : FControls)
      if (c->Align() == align && c->Visible()) aligned.push_back(c);
    std::stable_sort(aligned.begin(), aligned.end(),
                     [&](TControl* a, TControl* b) { return Before(align, a, b, moving); });
    for (TControl* c : aligned) {
      int width = c->Width(), height = c->Height();
      TRect target;
      switch (align) {
        case alTop:
          target = {rect.Left, rect.Top, rect.Right, rect.Top + height};
          rect.Top += height;
          break;
        case alBottom:
          target = {rect.Left, rect.Bottom - height, rect.Right, rect.Bottom};
          rect.Bottom -= height;
          break;
        case alLeft:
          target = {rect.Left, rect.Top, rect.Left + width, rect.Bottom};
          rect.Left += width;
          break;
        case alRight:
          target = {rect.Right - width, rect.Top, rect.Right, rect.Bottom};
          rect.Right -= width;
          break;
        default: target = rect; break;
      }
      target.Right = std::max(target.Right, target.Left);
      target.Bottom = std::max(target.Bottom, target.Top);
      c->FControlState << csAligning;
      c->SetBounds(target.Left, target.Top, target.Width(), target.Height());
      c->FControlState >> csAligning;
    }
  }
  for (TControl* c : std::vector<TControl*>(FControls))
    if (c->Align() == alNone && ContainsControl(c)) DoAnchors(c);
}

void TWinControl::DoAnchors(TControl* control) {
  TAnchors anchors = control->Anchors();
  if (anchors == TAnchors{akLeft, akTop} || !control->FAnchorRulesValid) return;
  TRect client = ClientRect();
  int dx = client.Width() - control->FAnchorParentSize.cx;
  int dy = client.Height() - control->FAnchorParentSize.cy;
  TRect b = control->FAnchorBounds;
  int left = b.Left, top = b.Top, width = b.Width(), height = b.Height();
  if (anchors.Contains(akRight)) {
    if (anchors.Contains(akLeft))
      width += dx;
    else
      left += dx;
  } else if (!anchors.Contains(akLeft)) {
    left += dx / 2;
  }
  if (anchors.Contains(akBottom)) {
    if (anchors.Contains(akTop))
      height += dy;
    else
      top += dy;
  } else if (!anchors.Contains(akTop)) {
    top += dy / 2;
  }
  // The rules stay those taken at the last deliberate placement, so repeated resizing never
  // drifts.
  control->FControlState << csAligning;
  control->SetBounds(left, top, std::max(width, 0), std::max(height, 0));
  control->FControlState >> csAligning;
}
