// TCustomComboBox: its list (dropped or simple), dropping and closing it, and painting items.
#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrls_ComboBoxParts.h"
#include "platform/win/WindowStyles.h"

namespace {
// The popup's border and the list's own edge, top and bottom together.
constexpr int kListFrame = 6;
}  // namespace

// --- TComboDropList ------------------------------------------------------------------------------

TComboDropList::TComboDropList(TCustomComboBox* combo, bool popup)
    : TCustomListBox(nullptr), FCombo(combo), FPopup(popup) {
  if (FPopup) SetVisible(false);
  SetTabStop(false);
}

void TComboDropList::TakeItems() {
  Font()->Assign(FCombo->Font());
  SetItemHeight(FCombo->ItemHeight());
  TListBoxStyle style = lbStandard;
  if (FCombo->Style() == csOwnerDrawFixed) style = lbOwnerDrawFixed;
  if (FCombo->Style() == csOwnerDrawVariable) style = lbOwnerDrawVariable;
  SetStyle(style);
  Items()->Assign(FCombo->Items());
}

void TComboDropList::ShowBelow(const TRect& screen) {
  SetBounds(screen.Left, screen.Top, screen.Width(), screen.Height());
  SetWindowPos(Handle(), HWND_TOPMOST, screen.Left, screen.Top, screen.Width(), screen.Height(),
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  FShown = true;
  Invalidate();
  SetCaptureControl(this);
}

void TComboDropList::Close() {
  if (!FPopup || !FShown) return;
  FShown = false;
  if (GetCaptureControl() == this) SetCaptureControl(nullptr);
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

void TComboDropList::CreateParams(TCreateParams& params) {
  TCustomListBox::CreateParams(params);
  if (!FPopup) return;
  params.Style = WS_POPUP | WS_BORDER;
  params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  params.WndParent = nullptr;
}

void TComboDropList::DrawItem(int index, TRect rect, TOwnerDrawState state) {
  // The combo box paints its items, so its own OnDrawItem sees its own canvas.
  FCombo->DrawOnCanvas(Canvas(), index, rect, state);
}

void TComboDropList::MeasureItem(int index, int& height) { FCombo->MeasureItem(index, height); }

void TComboDropList::MouseDown(TMouseButton button, TShiftState, int x, int y) {
  if (!FPopup) {
    if (button != mbLeft) return;
    FCombo->SetFocus();
    int index = ItemAtPos({x, y}, true);
    if (index >= 0) FCombo->SelectByUser(index);
    return;
  }
  // A press outside the list closes it unchosen.
  if (!PtInRect(ClientRect(), TPoint{x, y})) FCombo->ListClosed(-1);
}

void TComboDropList::MouseMove(TShiftState, int x, int y) {
  if (!FPopup) return;
  if (PtInRect(ClientRect(), TPoint{x, y})) {
    int index = ItemAtPos({x, y}, true);
    if (index >= 0) Hover(index);
  }
}

void TComboDropList::MouseUp(TMouseButton button, TShiftState, int x, int y) {
  if (!FPopup || button != mbLeft || !FShown) return;
  int index = PtInRect(ClientRect(), TPoint{x, y}) ? ItemAtPos({x, y}, true) : -1;
  if (index >= 0)
    FCombo->ListClosed(index);
  else if (GetCaptureControl() != this)
    SetCaptureControl(this);  // still open: keep watching the mouse
}

// --- Dropping and closing ------------------------------------------------------------------------

TCustomListBox* TCustomComboBox::DropList() const {
  return FList && FList->Shown() ? FList.get() : nullptr;
}

bool TCustomComboBox::DroppedDown() const {
  return FStyle != csSimple && FList && FList->Shown();
}

void TCustomComboBox::SetDroppedDown(bool value) {
  if (FStyle == csSimple || value == DroppedDown()) return;
  if (!value) {
    ListClosed(-1);
    return;
  }
  // The handler of the notification may still fill the items.
  Notify(CBN_DROPDOWN);
  if (!FList) FList = std::make_unique<TComboDropList>(this, true);
  FList->TakeItems();
  int count = FItems->Count();
  int rows = std::clamp(count, 1, FDropDownCount);
  int height = 0;
  for (int i = 0; i < rows; ++i) {
    int item = FItemHeight;
    if (FStyle == csOwnerDrawVariable && i < count) MeasureItem(i, item);
    height += std::max(item, 1);
  }
  TPoint origin = ClientToScreen({0, Height()});
  int width = std::max(FDroppedWidth, Width());
  FList->ShowBelow(Bounds(origin.X, origin.Y, width, height + kListFrame));
  FList->SetItemIndex(FItemIndex);
  Invalidate();
}

void TCustomComboBox::ListClosed(int chosen) {
  if (FStyle == csSimple || !FList || !FList->Shown()) return;
  FList->Close();
  if (chosen >= 0) SelectByUser(chosen);
  Invalidate();
  Notify(CBN_CLOSEUP);
}

void TCustomComboBox::HoverItem(int index) {
  if (FItems->Count() == 0) return;
  FList->Hover(std::clamp(index, 0, FItems->Count() - 1));
}

void TCustomComboBox::DoExit() {
  SetDroppedDown(false);
  TCustomControl::DoExit();
}

// --- Painting ------------------------------------------------------------------------------------

void TCustomComboBox::MeasureItem(int index, int& height) {
  if (OnMeasureItem) OnMeasureItem(this, index, height);
}

void TCustomComboBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
  if (IsOwnerDraw() && OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  Canvas()->FillRect(rect);
  if (index >= 0 && index < FItems->Count())
    Canvas()->TextRect(rect, rect.Left + 2, rect.Top + 1, FItems->Strings(index));
}

void TCustomComboBox::DrawOnCanvas(TCanvas* canvas, int index, TRect rect, TOwnerDrawState state) {
  TCanvas* own = Canvas();
  HDC dc = canvas->Handle();
  bool borrowed = canvas != own;
  if (borrowed) {
    static_cast<TControlCanvas*>(own)->FreeHandle();
    own->SetHandle(dc);
  }
  bool selected = state.Contains(odSelected);
  own->Font()->Assign(Font());
  own->Font()->SetColor(!Enabled() ? clGrayText : selected ? clHighlightText : Font()->Color());
  own->Brush()->SetStyle(bsSolid);
  own->Brush()->SetColor(selected ? clHighlight : Color());
  DrawItem(index, rect, state);
  if (borrowed) {
    own->SetHandle(nullptr);
    // The context's objects changed under the lender: it selects its own again.
    canvas->SetHandle(nullptr);
    canvas->SetHandle(dc);
  }
}

void TCustomComboBox::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
  canvas->FillRect(client);
  if (FStyle == csSimple) return;  // the edit and the list cover it
  DrawEdge(canvas->Handle(), client, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  TRect button = Rect(client.Right - kComboButtonWidth, client.Top, client.Right, client.Bottom);
  DrawFrameControl(canvas->Handle(), button, DFC_SCROLL,
                   DFCS_SCROLLCOMBOBOX | (DroppedDown() ? DFCS_PUSHED : 0) |
                       (Enabled() ? 0 : DFCS_INACTIVE));
  if (FEdit) return;  // the edit shows the text
  TRect text = TextArea();
  bool focused = Focused() && !DroppedDown();
  TOwnerDrawState state;
  state << odComboBoxEdit;
  if (focused) state << odSelected << odFocused;
  if (!Enabled()) state << odDisabled;
  if (FItemIndex < 0) {
    canvas->Brush()->SetColor(focused ? clHighlight : Color());
    canvas->FillRect(text);
  } else {
    DrawOnCanvas(canvas, FItemIndex, text, state);
  }
  if (focused) {
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->DrawFocusRect(text);
  }
}
