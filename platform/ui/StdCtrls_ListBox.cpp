// TCustomListBox: a scrolling list of lines with one selected item.
#include <algorithm>
#include <numeric>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/TextCompare.h"
#include "platform/ui/StdCtrls.h"
#include "platform/win/VirtualKeys.h"

namespace {
constexpr int kBorder = 2;
// Typed letters add up to one search while they come quicker than this (milliseconds).
constexpr uint64_t kSearchPause = 1000;
}  // namespace

// --- TListControlStrings -------------------------------------------------------------------------

uint32_t TListControlStrings::Data(int index) const {
  return index >= 0 && index < static_cast<int>(FData.size()) ? FData[index] : 0;
}

void TListControlStrings::SetData(int index, uint32_t value) {
  if (index < 0 || index >= Count()) return;
  FData.resize(Count());
  FData[index] = value;
}

void TListControlStrings::InsertItem(int index, const String& s, TObject* object) {
  FData.resize(Count());
  FData.insert(FData.begin() + index, 0);
  TStringList::InsertItem(index, s, object);
}

void TListControlStrings::Clear() {
  FData.clear();
  TStringList::Clear();
}

void TListControlStrings::Delete(int index) {
  // The base checks the index (and raises) before anything changes.
  TStringList::Delete(index);
  if (index < static_cast<int>(FData.size())) FData.erase(FData.begin() + index);
}

void TListControlStrings::Exchange(int index1, int index2) {
  TStringList::Exchange(index1, index2);
  FData.resize(Count());
  std::swap(FData[index1], FData[index2]);
}

void TListControlStrings::Move(int curIndex, int newIndex) {
  TStringList::Move(curIndex, newIndex);
  if (curIndex == newIndex) return;
  FData.resize(Count());
  uint32_t moved = FData[curIndex];
  FData.erase(FData.begin() + curIndex);
  FData.insert(FData.begin() + newIndex, moved);
}

void TListControlStrings::CustomSort(const TStringListSortCompare& compare) {
  if (Sorted() || Count() < 2) {
    TStringList::CustomSort(compare);
    return;
  }
  // The strings are put in order by a stable sort with this comparer: the same order, worked
  // out here first, takes the data along.
  std::vector<int> order(static_cast<size_t>(Count()));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(this, a, b) < 0; });
  std::vector<uint32_t> data;
  data.reserve(order.size());
  for (int index : order) data.push_back(Data(index));
  TStringList::CustomSort(compare);
  FData = std::move(data);
}

// --- TCustomListBox ------------------------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* owner)
    : TCustomControl(owner), FItems(std::make_unique<TListControlStrings>()) {
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
  InvalidateHeights();
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
  InvalidateHeights();
  Invalidate();
}

void TCustomListBox::SetTopIndex(int value) {
  // The last top index is the one that shows the last item at the bottom.
  int count = FItems->Count();
  int last = count > 0 ? count - 1 : 0;
  int room = ClientItemsHeight();
  for (int used = 0; last > 0 && used + HeightOf(last) + HeightOf(last - 1) <= room; --last)
    used += HeightOf(last);
  value = std::clamp(value, 0, last);
  if (value == FTopIndex) return;
  FTopIndex = value;
  Invalidate();
}

void TCustomListBox::SetStyle(TListBoxStyle value) {
  FStyle = value;
  InvalidateHeights();
  Invalidate();
}

void TCustomListBox::MeasureItem(int index, int& height) {
  if (OnMeasureItem) OnMeasureItem(this, index, height);
}

int TCustomListBox::HeightOf(int index) const {
  if (FStyle != lbOwnerDrawVariable) return FItemHeight;
  if (static_cast<int>(FHeights.size()) != FItems->Count()) {
    FHeights.assign(FItems->Count(), FItemHeight);
    auto* self = const_cast<TCustomListBox*>(this);
    for (int i = 0; i < FItems->Count(); ++i) {
      self->MeasureItem(i, FHeights[i]);
      FHeights[i] = std::max(FHeights[i], 1);  // an item of no height could never be chosen
    }
  }
  return index >= 0 && index < static_cast<int>(FHeights.size()) ? FHeights[index] : FItemHeight;
}

int TCustomListBox::ClientItemsHeight() const {
  return std::max(0, const_cast<TCustomListBox*>(this)->ClientHeight() - 2 * kBorder);
}

int TCustomListBox::VisibleCount() {
  int room = ClientItemsHeight();
  if (FStyle != lbOwnerDrawVariable) return room / FItemHeight;
  int count = 0;
  for (int i = FTopIndex, used = 0; i < FItems->Count(); ++i, ++count) {
    used += HeightOf(i);
    if (used > room) break;
  }
  return count;
}

TRect TCustomListBox::ItemRect(int index) const {
  int top = kBorder;
  if (index >= FTopIndex)
    for (int i = FTopIndex; i < index; ++i) top += HeightOf(i);
  else
    for (int i = index; i < FTopIndex; ++i) top -= HeightOf(i);
  return Rect(kBorder, top, Width() - kBorder, top + HeightOf(index));
}

int TCustomListBox::ItemAtPos(TPoint pos, bool existing) const {
  if (pos.Y < kBorder) return existing ? -1 : FTopIndex;
  int top = kBorder;
  for (int i = FTopIndex; i < FItems->Count(); ++i) {
    top += HeightOf(i);
    if (pos.Y < top) return i;
  }
  return existing ? -1 : FItems->Count();
}

void TCustomListBox::MakeVisible(int index) {
  if (index < FTopIndex) {
    SetTopIndex(index);
    return;
  }
  // Scroll down until the item's bottom is inside the client area.
  int room = kBorder + ClientItemsHeight();
  while (FTopIndex < index && ItemRect(index).Bottom > room) {
    int before = FTopIndex;
    SetTopIndex(FTopIndex + 1);
    if (FTopIndex == before) break;
  }
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
  while (end < FItems->Count() && ItemRect(end).Top < client.Bottom - kBorder) ++end;
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
    DrawItem(i, r, state);
    if (state.Contains(odFocused)) canvas->DrawFocusRect(r);
  }
}

void TCustomListBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
  if (FStyle != lbStandard && OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
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

void TCustomListBox::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  int count = FItems->Count();
  if (key < 32 || count == 0) return;
  // Letters typed in quick succession look for an item that starts with all of them; a repeated
  // single letter steps through the items that start with it.
  uint64_t now = WindowClockNow();
  if (now - FSearchTime > kSearchPause) FSearch.clear();
  FSearchTime = now;
  FSearch += key;
  String wanted = AnsiUpperCase(FSearch);
  bool repeated = FSearch.size() > 1 && wanted.find_first_not_of(wanted[0]) == String::npos;
  if (repeated) wanted.resize(1);
  int start = repeated || FSearch.size() == 1 ? FItemIndex + 1 : std::max(FItemIndex, 0);
  for (int step = 0; step < count; ++step) {
    int index = (start + step) % count;
    if (AnsiUpperCase(FItems->Strings(index)).rfind(wanted, 0) == 0) {
      SelectByUser(index);
      break;
    }
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
  // The selected item shows the focus.
  if (message.Msg == WM_SETFOCUS || message.Msg == WM_KILLFOCUS) Invalidate();
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    return;
  }
  TCustomControl::Dispatch(message);
}
