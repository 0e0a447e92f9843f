// TCustomListBox: a scrolling list of lines with one selected item.
#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/ui/StdCtrls.h"
#include "platform/win/VirtualKeys.h"

namespace {
constexpr int kBorder = 2;
}

TCustomListBox::TCustomListBox(TComponent* owner)
    : TCustomControl(owner), FItems(std::make_unique<TStringList>()) {
  // OnClick reports a choice, not every press of the button.
  SetControlStyle(ControlStyle() << csCaptureMouse << csDoubleClicks >> csClickEvents);
  SetTabStop(true);
  SetBounds(Left(), Top(), 121, 97);
  SetParentColor(false);
  SetColor(clWindow);
  FItems->OnChange = [this](TObject* sender) { ItemsChanged(sender); };
}

TCustomListBox::~TCustomListBox() { FItems->OnChange = nullptr; }

void TCustomListBox::ItemsChanged(TObject*) {
  // A selection past the end goes; the top stays where it can.
  if (FItemIndex >= FItems->Count()) FItemIndex = -1;
  SetTopIndex(FTopIndex);
  Invalidate();
}

void TCustomListBox::SetItemIndex(int value) {
  if (value < -1 || value >= FItems->Count()) value = -1;
  if (value == FItemIndex) return;
  FItemIndex = value;
  if (value >= 0) MakeVisible(value);
  Invalidate();
}

void TCustomListBox::SetItemHeight(int value) {
  FItemHeight = std::max(value, 1);
  Invalidate();
}

void TCustomListBox::SetTopIndex(int value) {
  int last = std::max(0, FItems->Count() - std::max(VisibleCount(), 1));
  value = std::clamp(value, 0, last);
  if (value == FTopIndex) return;
  FTopIndex = value;
  Invalidate();
}

void TCustomListBox::SetStyle(TListBoxStyle value) {
  FStyle = value;
  Invalidate();
}

int TCustomListBox::VisibleCount() {
  return std::max(0, (ClientHeight() - 2 * kBorder) / FItemHeight);
}

TRect TCustomListBox::ItemRect(int index) const {
  int top = kBorder + (index - FTopIndex) * FItemHeight;
  return Rect(kBorder, top, Width() - kBorder, top + FItemHeight);
}

int TCustomListBox::ItemAtPos(TPoint pos, bool existing) const {
  if (pos.Y < kBorder) return existing ? -1 : FTopIndex;
  int index = FTopIndex + (pos.Y - kBorder) / FItemHeight;
  if (index < FItems->Count()) return index;
  return existing ? -1 : FItems->Count();
}

void TCustomListBox::MakeVisible(int index) {
  if (index < FTopIndex) SetTopIndex(index);
  int visible = std::max(VisibleCount(), 1);
  if (index >= FTopIndex + visible) SetTopIndex(index - visible + 1);
}

void TCustomListBox::SelectByUser(int index) {
  if (FItems->Count() == 0) return;
  index = std::clamp(index, 0, FItems->Count() - 1);
  if (index == FItemIndex) return;
  SetItemIndex(index);
  Click();
}

// --- Painting ------------------------------------------------------------------------------------

void TCustomListBox::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(client);
  DrawEdge(canvas->Handle(), client, EDGE_SUNKEN, BF_RECT);
  int end = std::min(FItems->Count(), FTopIndex + VisibleCount() + 1);
  for (int i = FTopIndex; i < end; ++i) {
    TOwnerDrawState state;
    if (i == FItemIndex) state << odSelected;
    if (i == FItemIndex && Focused()) state << odFocused;
    if (!Enabled()) state << odDisabled;
    TRect r = ItemRect(i);
    r.Bottom = std::min(r.Bottom, client.Bottom - kBorder);
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(state.Contains(odSelected) ? clHighlight : Color());
    canvas->Font()->SetColor(state.Contains(odSelected) ? clHighlightText : Font()->Color());
    if (FStyle != lbStandard && OnDrawItem)
      OnDrawItem(this, i, r, state);
    else
      DrawItem(i, r, state);
    if (state.Contains(odFocused)) canvas->DrawFocusRect(r);
  }
}

void TCustomListBox::DrawItem(int index, TRect rect, TOwnerDrawState) {
  Canvas()->FillRect(rect);
  Canvas()->TextRect(rect, rect.Left + 2, rect.Top, FItems->Strings(index));
}

// --- Input ---------------------------------------------------------------------------------------

void TCustomListBox::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  int page = std::max(VisibleCount() - 1, 1);
  int current = FItemIndex;
  switch (key) {
    case VK_UP: SelectByUser(current < 0 ? 0 : current - 1); break;
    case VK_DOWN: SelectByUser(current + 1); break;
    case VK_HOME: SelectByUser(0); break;
    case VK_END: SelectByUser(FItems->Count() - 1); break;
    case VK_PRIOR: SelectByUser(current - page); break;
    case VK_NEXT: SelectByUser(current + page); break;
    default: return;
  }
  key = 0;
}

void TCustomListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    int index = ItemAtPos({x, y}, true);
    if (index >= 0) SelectByUser(index);
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomListBox::MouseMove(TShiftState shift, int x, int y) {
  // Dragging with the button down moves the selection, scrolling past the edges.
  if (shift.Contains(ssLeft) && MouseCapture() && FItems->Count() > 0) {
    if (y < 0)
      SelectByUser(FTopIndex - 1);
    else if (y >= ClientHeight())
      SelectByUser(FTopIndex + VisibleCount());
    else
      SelectByUser(std::min(ItemAtPos({x, y}, false), FItems->Count() - 1));
  }
  TCustomControl::MouseMove(shift, x, y);
}

bool TCustomListBox::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (TCustomControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  SetTopIndex(FTopIndex - wheelDelta / 120 * 3);
  return true;
}

void TCustomListBox::Dispatch(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    return;
  }
  TCustomControl::Dispatch(message);
}
