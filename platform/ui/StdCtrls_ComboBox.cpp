// TCustomComboBox: a box showing the chosen item and a list that drops below it.
#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/TextCompare.h"
#include "platform/ui/StdCtrls.h"
#include "platform/win/VirtualKeys.h"
#include "platform/win/WindowStyles.h"

namespace {
constexpr int kButtonWidth = 17;
// Typed letters add up to one search while they come quicker than this (milliseconds).
constexpr uint64_t kSearchPause = 1000;
}  // namespace

// The dropped list: a popup window holding the mouse capture; a release on an item chooses it,
// a press outside closes it.
class TComboDropList : public TCustomListBox {
 public:
  explicit TComboDropList(TCustomComboBox* combo) : TCustomListBox(nullptr), FCombo(combo) {
    SetVisible(false);
    SetTabStop(false);
  }
  bool Shown() const { return FShown; }

  void ShowBelow(const TRect& screen) {
    SetBounds(screen.Left, screen.Top, screen.Width(), screen.Height());
    SetWindowPos(Handle(), HWND_TOPMOST, screen.Left, screen.Top, screen.Width(), screen.Height(),
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    FShown = true;
    Invalidate();
    SetCaptureControl(this);
  }
  void Close() {
    if (!FShown) return;
    FShown = false;
    if (GetCaptureControl() == this) SetCaptureControl(nullptr);
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
  }
  void Hover(int index) { SetItemIndex(index); }

 protected:
  void CreateParams(TCreateParams& params) override {
    TCustomListBox::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    params.WndParent = nullptr;
  }
  void MouseDown(TMouseButton, TShiftState, int x, int y) override {
    // The focus stays in the combo box; a press outside the list closes it unchosen.
    if (!PtInRect(ClientRect(), TPoint{x, y})) FCombo->ListClosed(-1);
  }
  void MouseMove(TShiftState, int x, int y) override {
    if (PtInRect(ClientRect(), TPoint{x, y})) {
      int index = ItemAtPos({x, y}, true);
      if (index >= 0) Hover(index);
    }
  }
  void MouseUp(TMouseButton button, TShiftState, int x, int y) override {
    if (button != mbLeft || !FShown) return;
    int index = PtInRect(ClientRect(), TPoint{x, y}) ? ItemAtPos({x, y}, true) : -1;
    if (index >= 0)
      FCombo->ListClosed(index);
    else if (GetCaptureControl() != this)
      SetCaptureControl(this);  // still open: keep watching the mouse
  }

 private:
  TCustomComboBox* FCombo;
  bool FShown = false;
};

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TCustomControl(owner), FItems(std::make_unique<TStringList>()) {
  SetControlStyle(ControlStyle() << csCaptureMouse >> csClickEvents);
  SetTabStop(true);
  SetBounds(Left(), Top(), 145, 23);
  SetParentColor(false);
  SetColor(clWindow);
  FItems->OnChange = [this](TObject* sender) { ItemsChanged(sender); };
}

TCustomComboBox::~TCustomComboBox() {
  FItems->OnChange = nullptr;
  if (FList) FList->Close();
}

void TCustomComboBox::ItemsChanged(TObject*) {
  if (FItemIndex >= FItems->Count()) FItemIndex = -1;
  Invalidate();
}

void TCustomComboBox::SetItemIndex(int value) {
  if (value < -1 || value >= FItems->Count()) value = -1;
  if (value == FItemIndex) return;
  FItemIndex = value;
  SetText(value >= 0 ? FItems->Strings(value) : String());
  Invalidate();
}

void TCustomComboBox::SelectByUser(int index) {
  if (FItems->Count() == 0) return;
  index = std::clamp(index, 0, FItems->Count() - 1);
  if (index == FItemIndex) return;
  SetItemIndex(index);
  if (OnChange) OnChange(this);
  if (OnSelect) OnSelect(this);
}

TCustomListBox* TCustomComboBox::DropList() const {
  return FList && FList->Shown() ? FList.get() : nullptr;
}

bool TCustomComboBox::DroppedDown() const { return DropList() != nullptr; }

void TCustomComboBox::SetDroppedDown(bool value) {
  if (value == DroppedDown()) return;
  if (!value) {
    ListClosed(-1);
    return;
  }
  if (OnDropDown) OnDropDown(this);
  if (!FList) FList = std::make_unique<TComboDropList>(this);
  FList->Font()->Assign(Font());
  FList->OnDrawItem = OnDrawItem;
  FList->SetStyle(FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable ? lbOwnerDrawFixed
                                                                              : lbStandard);
  FList->Items()->Assign(FItems.get());
  int rows = std::clamp(FItems->Count(), 1, FDropDownCount);
  TPoint origin = ClientToScreen({0, Height()});
  int width = std::max(FDroppedWidth, Width());
  FList->ShowBelow(Bounds(origin.X, origin.Y, width, rows * FList->ItemHeight() + 6));
  FList->SetItemIndex(FItemIndex);
  Invalidate();
}

void TCustomComboBox::ListClosed(int chosen) {
  if (!FList || !FList->Shown()) return;
  FList->Close();
  if (chosen >= 0) SelectByUser(chosen);
  Invalidate();
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::DoExit() {
  SetDroppedDown(false);
  TCustomControl::DoExit();
}

// --- Input ---------------------------------------------------------------------------------------

void TCustomComboBox::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  bool dropped = DroppedDown();
  FSearch.clear();
  switch (key) {
    case VK_F4: SetDroppedDown(!dropped); break;
    case VK_UP:
    case VK_DOWN:
      if (shift.Contains(ssAlt)) {
        SetDroppedDown(!dropped);
        break;
      }
      if (dropped) {
        int current = FList->ItemIndex();
        FList->Hover(std::clamp(current + (key == VK_UP ? -1 : 1), 0, FItems->Count() - 1));
      } else {
        SelectByUser(FItemIndex < 0 ? 0 : FItemIndex + (key == VK_UP ? -1 : 1));
      }
      break;
    case VK_HOME:
    case VK_END:
      if (dropped)
        FList->Hover(key == VK_HOME ? 0 : FItems->Count() - 1);
      else
        SelectByUser(key == VK_HOME ? 0 : FItems->Count() - 1);
      break;
    case VK_RETURN:
      if (!dropped) return;
      ListClosed(FList->ItemIndex());
      break;
    case VK_ESCAPE:
      if (!dropped) return;
      ListClosed(-1);
      break;
    default: return;
  }
  key = 0;
}

void TCustomComboBox::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  if (key < 32 || FItems->Count() == 0) return;
  // Letters typed in quick succession search for an item that starts with all of them; a
  // repeated single letter steps through the items that start with it.
  uint64_t now = WindowClockNow();
  if (now - FSearchTime > kSearchPause) FSearch.clear();
  FSearchTime = now;
  FSearch += key;
  String wanted = AnsiUpperCase(FSearch);
  bool repeated = FSearch.size() > 1 && wanted.find_first_not_of(wanted[0]) == String::npos;
  if (repeated) wanted.resize(1);
  int current = DroppedDown() ? FList->ItemIndex() : FItemIndex;
  int start = repeated || FSearch.size() == 1 ? current + 1 : std::max(current, 0);
  int count = FItems->Count();
  for (int step = 0; step < count; ++step) {
    int index = (start + step) % count;
    if (AnsiUpperCase(FItems->Strings(index)).rfind(wanted, 0) == 0) {
      if (DroppedDown())
        FList->Hover(index);
      else
        SelectByUser(index);
      break;
    }
  }
  key = 0;
}

void TCustomComboBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    SetDroppedDown(!DroppedDown());
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomComboBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      // While dropped, Enter and Escape are the list's, before any default or cancel button.
      message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (DroppedDown() ? DLGC_WANTALLKEYS : 0);
      return;
    case CM_DIALOGKEY:
      // While the list is dropped, Enter and Escape belong to it, not to the form's buttons.
      if (DroppedDown() && (message.CharCode() == VK_RETURN || message.CharCode() == VK_ESCAPE)) {
        WORD key = message.CharCode();
        KeyDown(key, {});
        message.Result = 1;
        return;
      }
      break;
    case CB_GETCOUNT: message.Result = FItems->Count(); return;
    case CB_GETCURSEL: message.Result = FItemIndex; return;
    case CB_SETCURSEL:
      SetItemIndex(static_cast<int>(static_cast<intptr_t>(message.WParam)));
      message.Result = FItemIndex;
      return;
    case CB_SHOWDROPDOWN:
      SetDroppedDown(message.WParam != 0);
      message.Result = 1;
      return;
    case CB_GETDROPPEDSTATE: message.Result = DroppedDown() ? 1 : 0; return;
    case CB_SETDROPPEDWIDTH:
      SetDroppedWidth(static_cast<int>(message.WParam));
      message.Result = std::max(FDroppedWidth, Width());
      return;
    case CB_GETDROPPEDWIDTH: message.Result = std::max(FDroppedWidth, Width()); return;
    default: break;
  }
  TCustomControl::Dispatch(message);
}

void TCustomComboBox::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
  canvas->FillRect(client);
  DrawEdge(canvas->Handle(), client, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  TRect button = Rect(client.Right - kButtonWidth, client.Top, client.Right, client.Bottom);
  DrawFrameControl(canvas->Handle(), button, DFC_SCROLL,
                   DFCS_SCROLLCOMBOBOX | (DroppedDown() ? DFCS_PUSHED : 0));
  TRect text = Rect(client.Left + 1, client.Top + 1, client.Right - kButtonWidth - 1, client.Bottom - 1);
  bool focused = Focused() && !DroppedDown();
  canvas->Brush()->SetColor(focused ? clHighlight : Color());
  canvas->FillRect(text);
  canvas->Font()->Assign(Font());
  if (focused) canvas->Font()->SetColor(clHighlightText);
  if (!Enabled()) canvas->Font()->SetColor(clGrayText);
  if (FItemIndex < 0) return;
  TOwnerDrawState state;
  if (focused) state << odSelected << odFocused;
  if ((FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) && OnDrawItem)
    OnDrawItem(this, FItemIndex, text, state);
  else
    canvas->TextRect(text, text.Left + 2, text.Top + 1, FItems->Strings(FItemIndex));
}
