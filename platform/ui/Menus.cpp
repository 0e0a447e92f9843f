// TMenuItem, TPopupMenu and the window a popup menu shows its items in.
#include "platform/ui/Menus.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/win/WindowStyles.h"

namespace {

constexpr int kItemHeight = 20;
constexpr int kLineHeight = 8;
constexpr int kTextIndent = 22;  // room for the check mark or image on the left

// Command ids are shared by every menu of the program, so a WM_COMMAND names one item.
UINT NextCommand() {
  static UINT next = 100;
  return next++;
}

}  // namespace

// --- TMenuItem -----------------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), FCommand(NextCommand()) {}

TMenuItem::~TMenuItem() {
  if (FParent) FParent->Remove(this);
  Clear();
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item || item == this) return;
  if (item->FParent) item->FParent->Remove(item);
  index = std::clamp(index, 0, Count());
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  item->FParent = nullptr;
}

int TMenuItem::IndexOf(TMenuItem* item) const {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TMenuItem::Clear() {
  while (!FItems.empty()) FItems.back()->Free();  // each one takes itself out of the list
}

TMenuItem* TMenuItem::FindCommand(UINT command) {
  if (FCommand == command) return this;
  for (TMenuItem* item : FItems)
    if (TMenuItem* found = item->FindCommand(command)) return found;
  return nullptr;
}

void TMenuItem::Click() {
  if (FEnabled && OnClick) OnClick(this);
}

// --- The menu window -----------------------------------------------------------------------------

// A popup window listing the visible items of a menu. It holds the mouse capture while it shows,
// so a press anywhere else reaches it and closes it.
class TMenuWindow : public TCustomControl {
 public:
  TMenuWindow(TPopupMenu* menu) : TCustomControl(nullptr), FMenu(menu) {
    SetVisible(false);
    SetColor(clMenu);
    SetParentColor(false);
  }

  void ShowAt(int x, int y) {
    FItems.clear();
    TMenuItem* root = FMenu->Items();
    for (int i = 0; i < root->Count(); ++i)
      if (root->Items(i)->Visible()) FItems.push_back(root->Items(i));
    FHot = -1;
    Canvas()->Font()->Assign(Font());
    int width = 80, height = 4;
    for (TMenuItem* item : FItems) {
      width = std::max(width, kTextIndent + Canvas()->TextWidth(item->Caption()) + 24);
      height += item->IsLine() ? kLineHeight : kItemHeight;
    }
    SetBounds(x, y, width, height);
    SetWindowPos(Handle(), HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    FShown = true;
    Invalidate();
    SetCaptureControl(this);
  }

  void Close() {
    if (GetCaptureControl() == this) SetCaptureControl(nullptr);
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
    FShown = false;
  }
  bool Shown() const { return FShown; }

  // The client rectangle of an item shown (empty when not shown).
  TRect ItemRect(TMenuItem* item) const {
    int top = 2;
    for (TMenuItem* shown : FItems) {
      int height = shown->IsLine() ? kLineHeight : kItemHeight;
      if (shown == item) return Rect(2, top, FWidthCache - 2, top + height);
      top += height;
    }
    return {};
  }

 protected:
  void CreateParams(TCreateParams& params) override {
    TCustomControl::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    params.WndParent = nullptr;
  }

  void Resize() override {
    FWidthCache = Width();
    TCustomControl::Resize();
  }

  int ItemAt(int x, int y) const {
    if (x < 0 || x >= Width()) return -1;
    for (size_t i = 0; i < FItems.size(); ++i)
      if (PtInRect(ItemRect(FItems[i]), TPoint{x, y})) return static_cast<int>(i);
    return -1;
  }

  void MouseMove(TShiftState shift, int x, int y) override {
    int hot = ItemAt(x, y);
    if (hot != FHot) {
      FHot = hot;
      Invalidate();
    }
    TCustomControl::MouseMove(shift, x, y);
  }

  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
    TCustomControl::MouseDown(button, shift, x, y);
    // A press outside the menu closes it; the press itself is not passed on.
    if (!PtInRect(ClientRect(), TPoint{x, y})) FMenu->CloseMenu();
  }

  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
    TCustomControl::MouseUp(button, shift, x, y);
    int index = ItemAt(x, y);
    if (index < 0) {
      if (FShown && GetCaptureControl() != this) SetCaptureControl(this);
      return;
    }
    TMenuItem* item = FItems[static_cast<size_t>(index)];
    if (item->IsLine() || !item->Enabled()) {
      // The menu stays open and keeps watching the mouse after a release that chose nothing.
      if (FShown && GetCaptureControl() != this) SetCaptureControl(this);
      return;
    }
    FMenu->Choose(item);
  }

  void Dispatch(TMessage& message) override {
    if (message.Msg == WM_CANCELMODE) {
      FMenu->CloseMenu();
      return;
    }
    TCustomControl::Dispatch(message);
  }

  void Paint() override {
    TCanvas* canvas = Canvas();
    TRect client = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clMenu);
    canvas->FillRect(client);
    canvas->Font()->Assign(Font());
    for (size_t i = 0; i < FItems.size(); ++i) {
      TMenuItem* item = FItems[i];
      TRect r = ItemRect(item);
      if (item->IsLine()) {
        TRect line = Rect(r.Left + 2, r.Top + r.Height() / 2 - 1, r.Right - 2, r.Top + r.Height() / 2 + 1);
        DrawEdge(canvas->Handle(), line, EDGE_ETCHED, BF_TOP);
        continue;
      }
      bool hot = static_cast<int>(i) == FHot && item->Enabled();
      canvas->Brush()->SetColor(hot ? clHighlight : clMenu);
      canvas->FillRect(r);
      if (item->Checked()) {
        TRect mark = Rect(r.Left + 2, r.Top + 2, r.Left + kTextIndent - 4, r.Bottom - 2);
        DrawFrameControl(canvas->Handle(), mark, DFC_MENU, DFCS_MENUCHECK);
      }
      canvas->Font()->SetColor(!item->Enabled() ? clGrayText : hot ? clHighlightText : clMenuText);
      canvas->Brush()->SetStyle(bsClear);
      TRect text = Rect(r.Left + kTextIndent, r.Top, r.Right, r.Bottom);
      DrawText(canvas->Handle(), item->Caption(), text, DT_VCENTER | DT_SINGLELINE);
      canvas->Brush()->SetStyle(bsSolid);
    }
  }

 private:
  TPopupMenu* FMenu;
  std::vector<TMenuItem*> FItems;
  int FHot = -1;
  int FWidthCache = 0;
  bool FShown = false;
};

// --- TPopupMenu ----------------------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* owner)
    : TComponent(owner), FItems(std::make_unique<TMenuItem>(nullptr)) {}

TPopupMenu::~TPopupMenu() {
  if (FWindow) FWindow->Close();
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  if (!FWindow) FWindow = std::make_unique<TMenuWindow>(this);
  FWindow->ShowAt(x, y);
}

void TPopupMenu::PopupFor(TControl* control, int x, int y) {
  SetPopupComponent(control);
  Popup(x, y);
}

void TPopupMenu::CloseMenu() {
  if (FWindow) FWindow->Close();
}

bool TPopupMenu::IsShowing() const { return FWindow && FWindow->Shown(); }

TRect TPopupMenu::ItemScreenRect(TMenuItem* item) const {
  if (!IsShowing()) return {};
  TRect r = FWindow->ItemRect(item);
  if (r.Width() <= 0) return {};
  TPoint origin = FWindow->ClientToScreen({0, 0});
  OffsetRect(r, origin.X, origin.Y);
  return r;
}

void TPopupMenu::Choose(TMenuItem* item) {
  CloseMenu();
  item->Click();
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FPopupComponent) FPopupComponent = nullptr;
  if (component == FImages) FImages = nullptr;
}
