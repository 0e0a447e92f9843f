// TCheckListBox: marks kept beside the items, drawn in front of them, moved by click and Space.
#include "platform/ui/CheckLst.h"

#include "platform/gdi/Gdi.h"

namespace {
constexpr int kCheckWidth = 16;  // the room of the box, left of the text
constexpr int kBoxSize = 13;
constexpr uint32_t kStateMask = 0x3;
constexpr uint32_t kDisabledBit = 0x4;  // stored inverted, so a new item is enabled
}  // namespace

TCheckListBox::TCheckListBox(TComponent* owner) : TCustomListBox(owner) {}

TCheckBoxState TCheckListBox::State(int index) const {
  return static_cast<TCheckBoxState>(ItemStrings()->Data(index) & kStateMask);
}

void TCheckListBox::SetState(int index, TCheckBoxState value) {
  if (index < 0 || index >= Count()) return;
  uint32_t data = ItemStrings()->Data(index);
  ItemStrings()->SetData(index, (data & ~kStateMask) | static_cast<uint32_t>(value));
  Invalidate();
}

bool TCheckListBox::ItemEnabled(int index) const {
  return (ItemStrings()->Data(index) & kDisabledBit) == 0;
}

void TCheckListBox::SetItemEnabled(int index, bool value) {
  if (index < 0 || index >= Count()) return;
  uint32_t data = ItemStrings()->Data(index);
  ItemStrings()->SetData(index, value ? (data & ~kDisabledBit) : (data | kDisabledBit));
  Invalidate();
}

void TCheckListBox::SetFlat(bool value) {
  FFlat = value;
  Invalidate();
}

void TCheckListBox::CheckAll(TCheckBoxState state, bool allowGrayed, bool includeDisabled) {
  for (int i = 0; i < Count(); ++i) {
    if (!includeDisabled && !ItemEnabled(i)) continue;
    if (!allowGrayed && State(i) == cbGrayed) continue;
    SetState(i, state);
  }
}

TRect TCheckListBox::CheckRect(int index) const {
  TRect item = ItemRect(index);
  int top = item.Top + (item.Height() - kBoxSize) / 2;
  int left = item.Left + (kCheckWidth - kBoxSize) / 2;
  return Rect(left, top, left + kBoxSize, top + kBoxSize);
}

void TCheckListBox::ToggleClickCheck(int index) {
  if (index < 0 || index >= Count() || !ItemEnabled(index) || !Enabled()) return;
  TCheckBoxState next = cbUnchecked;
  switch (State(index)) {
    case cbUnchecked: next = FAllowGrayed ? cbGrayed : cbChecked; break;
    case cbGrayed: next = cbChecked; break;
    case cbChecked: next = cbUnchecked; break;
  }
  SetState(index, next);
  ClickCheck();
}

void TCheckListBox::ClickCheck() {
  if (OnClickCheck) OnClickCheck(this);
}

void TCheckListBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
  TCanvas* canvas = Canvas();
  // The box stands on the list's colour even in a selected row.
  TColor rowColor = canvas->Brush()->Color();
  TRect boxArea = Rect(rect.Left, rect.Top, rect.Left + kCheckWidth, rect.Bottom);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(boxArea);
  uint32_t flags = DFCS_BUTTONCHECK | (FFlat ? DFCS_FLAT : 0);
  TCheckBoxState mark = State(index);
  if (mark == cbChecked) flags |= DFCS_CHECKED;
  if (mark == cbGrayed) flags = (flags & ~DFCS_BUTTONCHECK) | DFCS_BUTTON3STATE | DFCS_CHECKED;
  if (!ItemEnabled(index) || !Enabled()) flags |= DFCS_INACTIVE;
  TRect box = CheckRect(index);
  box.Top = rect.Top + (rect.Height() - kBoxSize) / 2;  // the painted row may be clipped
  box.Bottom = box.Top + kBoxSize;
  DrawFrameControl(canvas->Handle(), box, DFC_BUTTON, flags);
  canvas->Brush()->SetColor(rowColor);
  if (mark == cbChecked) state << odChecked;
  if (mark == cbGrayed) state << odGrayed;
  if (!ItemEnabled(index)) {
    state << odDisabled;
    canvas->Font()->SetColor(clGrayText);
  }
  rect.Left += kCheckWidth;
  TCustomListBox::DrawItem(index, rect, state);
}

void TCheckListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomListBox::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  int index = ItemAtPos({x, y}, true);
  if (index < 0) return;
  TRect item = ItemRect(index);
  if (x >= item.Left && x < item.Left + kCheckWidth) ToggleClickCheck(index);
}

void TCheckListBox::KeyPress(char16_t& key) {
  // Space is the mark's before the list looks for an item that starts with it.
  if (key == u' ') {
    TWinControl::KeyPress(key);
    if (key != u' ') return;
    ToggleClickCheck(ItemIndex());
    key = 0;
    return;
  }
  TCustomListBox::KeyPress(key);
}
