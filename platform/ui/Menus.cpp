// TMenuItem, TPopupMenu and the window a popup menu shows its items in.
#include "platform/ui/Menus.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/ImgList.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StdCtrls.h"
#include "platform/win/WindowStyles.h"

namespace {

// Command ids are shared by every menu of the program, so a WM_COMMAND names one item.
UINT NextCommand() {
  static UINT next = 100;
  return next++;
}

}  // namespace

// --- TMenuItem -----------------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), FCommand(NextCommand()) {}

TMenuItem::~TMenuItem() {
  FActionLink.reset();
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
  TMenuItem* root = this;
  while (root->FParent) root = root->FParent;
  if (root->FRootOf) root->FRootOf->ItemRemoved();
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
  if (!FEnabled) return;
  // A handler of the item's own goes first; otherwise the action runs.
  if (OnClick)
    OnClick(this);
  else if (FActionLink)
    FActionLink->Execute(this);
}

TBasicAction* TMenuItem::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TMenuItem::SetAction(TBasicAction* value) {
  if (!value) {
    FActionLink.reset();
    return;
  }
  if (!FActionLink) FActionLink = std::make_unique<TMenuActionLink>(this);
  FActionLink->SetAction(value);
  value->FreeNotification(this);
  FActionLink->Refresh();
}

void TMenuItem::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && FActionLink && component == FActionLink->Action()) FActionLink.reset();
}

// --- The menu window -----------------------------------------------------------------------------

// A popup window listing the visible items of one level of a menu. The root level's window holds
// the mouse capture while the menu shows, so a press anywhere reaches it, and with the capture the
// keys come to it first; it hands both to the menu.
class TMenuWindow : public TCustomControl {
 public:
  TMenuWindow(TPopupMenu* menu, TMenuItem* parent) : TCustomControl(nullptr), FMenu(menu), FParentItem(parent) {
    SetVisible(false);
    SetColor(clMenu);
    SetParentColor(false);
  }

  TMenuItem* ParentItem() const { return FParentItem; }
  const std::vector<TMenuItem*>& Items() const { return FItems; }
  int Hot() const { return FHot; }
  TMenuItem* HotItem() const { return FHot >= 0 ? FItems[static_cast<size_t>(FHot)] : nullptr; }
  void SetHot(int hot) {
    if (hot == FHot) return;
    FHot = hot;
    Invalidate();
  }

  void ShowAt(int x, int y, TPopupAlignment alignment = paLeft) {
    FItems.clear();
    for (int i = 0; i < FParentItem->Count(); ++i)
      if (FParentItem->Items(i)->Visible()) FItems.push_back(FParentItem->Items(i));
    FHot = -1;
    Canvas()->Font()->Assign(Font());
    int width = 80, height = 4;
    for (TMenuItem* item : FItems) {
      int text = Canvas()->TextWidth(CaptionText(item)) + 4;
      if (!RightText(item).empty()) text += 24 + Canvas()->TextWidth(RightText(item));
      width = std::max(width, TextIndent() + text + 24);
      height += item->IsLine() ? kLineHeight : ItemHeight();
    }
    if (alignment == paRight) x -= width;
    if (alignment == paCenter) x -= width / 2;
    // Kept on the screen: a menu that would run off the right or the bottom edge moves back.
    TRect desktop = Screen ? Screen->DesktopRect() : TRect{0, 0, 1920, 1080};
    if (x + width > desktop.Right) x = std::max(desktop.Left, desktop.Right - width);
    if (y + height > desktop.Bottom) y = std::max(desktop.Top, desktop.Bottom - height);
    SetBounds(x, y, width, height);
    SetWindowPos(Handle(), HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    FShown = true;
    Invalidate();
  }

  void Close() {
    if (GetCaptureControl() == this) SetCaptureControl(nullptr);
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
    FShown = false;
    FHot = -1;
    FItems.clear();
  }
  bool Shown() const { return FShown; }

  // The client rectangle of an item shown (empty when not shown).
  TRect ItemRect(TMenuItem* item) const {
    int top = 2;
    for (TMenuItem* shown : FItems) {
      int height = shown->IsLine() ? kLineHeight : ItemHeight();
      if (shown == item) return Rect(2, top, FWidthCache - 2, top + height);
      top += height;
    }
    return {};
  }

  int ItemAtScreen(TPoint screen) {
    TPoint p = ScreenToClient(screen);
    if (p.X < 0 || p.X >= Width()) return -1;
    for (size_t i = 0; i < FItems.size(); ++i)
      if (PtInRect(ItemRect(FItems[i]), p)) return static_cast<int>(i);
    return -1;
  }

  bool ContainsScreen(TPoint screen) { return FShown && PtInRect(BoundsRect(), screen); }

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

  void Dispatch(TMessage& message) override {
    switch (message.Msg) {
      case WM_CANCELMODE: FMenu->CloseMenu(); return;
      case WM_COMMAND: FMenu->Command(static_cast<UINT>(message.WParam)); return;
      case WM_MOUSEMOVE:
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_LBUTTONUP:
      case WM_RBUTTONUP: {
        TPoint screen = ClientToScreen(message.Pos());
        TCustomControl::Dispatch(message);
        FMenu->MenuMouse(message.Msg, screen);
        return;
      }
      case CN_KEYDOWN:
      case CN_SYSKEYDOWN:
        if (FMenu->IsShowing()) {
          // Every key belongs to the menu while it shows; characters come back as CN_CHAR.
          if (!FMenu->MenuKey(static_cast<WORD>(message.WParam))) {
            MSG msg{};
            msg.hwnd = Handle();
            msg.message = message.Msg - CN_BASE;
            msg.wParam = message.WParam;
            msg.lParam = message.LParam;
            TranslateMessage(&msg);
          }
          message.Result = 1;
          return;
        }
        break;
      case CN_CHAR:
      case CN_SYSCHAR:
      case CN_KEYUP:
        if (FMenu->IsShowing()) {
          if (message.Msg != CN_KEYUP) FMenu->MenuChar(static_cast<char16_t>(message.WParam));
          message.Result = 1;
          return;
        }
        break;
      case WM_CHAR:
        if (FMenu->IsShowing()) FMenu->MenuChar(static_cast<char16_t>(message.WParam));
        return;
      default: break;
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
    auto* images = dynamic_cast<TCustomImageList*>(FMenu->Images());
    for (size_t i = 0; i < FItems.size(); ++i) {
      TMenuItem* item = FItems[i];
      TRect r = ItemRect(item);
      if (item->IsLine()) {
        TRect line = Rect(r.Left + 2, r.Top + r.Height() / 2 - 1, r.Right - 2, r.Top + r.Height() / 2 + 1);
        DrawEdge(canvas->Handle(), line, EDGE_ETCHED, BF_TOP);
        continue;
      }
      bool hot = static_cast<int>(i) == FHot;
      canvas->Brush()->SetColor(hot ? clHighlight : clMenu);
      canvas->FillRect(r);
      bool drawn = false;
      if (images && item->ImageIndex() >= 0 && item->ImageIndex() < images->Count()) {
        images->Draw(canvas, r.Left + 2, r.Top + (r.Height() - images->Height()) / 2, item->ImageIndex(),
                     item->Enabled());
        drawn = true;
      }
      if (item->Checked() && !drawn) {
        TRect mark = Rect(r.Left + 2, r.Top + 2, r.Left + 18, r.Bottom - 2);
        DrawFrameControl(canvas->Handle(), mark, DFC_MENU, DFCS_MENUCHECK);
      } else if (item->Checked()) {
        TRect frame = Rect(r.Left + 1, r.Top + 1, r.Left + images->Width() + 3, r.Bottom - 1);
        DrawEdge(canvas->Handle(), frame, BDR_SUNKENOUTER, BF_RECT);
      }
      canvas->Font()->SetColor(!item->Enabled() ? clGrayText : hot ? clHighlightText : clMenuText);
      canvas->Brush()->SetStyle(bsClear);
      TRect text = Rect(r.Left + TextIndent(), r.Top, r.Right - 16, r.Bottom);
      DrawText(canvas->Handle(), CaptionText(item), text, DT_VCENTER | DT_SINGLELINE);
      if (!RightText(item).empty())
        DrawText(canvas->Handle(), RightText(item), text, DT_VCENTER | DT_SINGLELINE | DT_RIGHT | DT_NOPREFIX);
      if (item->Count() > 0) {
        TRect arrow = Rect(r.Right - 16, r.Top + 2, r.Right - 2, r.Bottom - 2);
        DrawFrameControl(canvas->Handle(), arrow, DFC_MENU, DFCS_MENUARROW);
      }
      canvas->Brush()->SetStyle(bsSolid);
    }
  }

 private:
  static constexpr int kLineHeight = 8;
  int ImageSize() const {
    auto* images = dynamic_cast<TCustomImageList*>(FMenu->Images());
    return images ? std::max(images->Height(), 16) : 16;
  }
  int ItemHeight() const { return std::max(20, ImageSize() + 4); }
  // A caption "Undo<tab>Ctrl+Z" shows its second part on the right, where short cuts go.
  static String CaptionText(TMenuItem* item) {
    const String& caption = item->Caption();
    return caption.substr(0, caption.find(u'\t'));
  }
  static String RightText(TMenuItem* item) {
    const String& caption = item->Caption();
    size_t tab = caption.find(u'\t');
    if (tab != String::npos) return caption.substr(tab + 1);
    return item->ShortCut() != scNone ? ShortCutToText(item->ShortCut()) : String();
  }
  // Room on the left for the check mark or the image.
  int TextIndent() const { return ImageSize() + 6; }

  TPopupMenu* FMenu;
  TMenuItem* FParentItem;
  std::vector<TMenuItem*> FItems;
  int FHot = -1;
  int FWidthCache = 0;
  bool FShown = false;
};

// --- TPopupMenu ----------------------------------------------------------------------------------

namespace {

bool Selectable(TMenuItem* item) { return !item->IsLine(); }

// The next item to light going down (step 1) or up (-1) from `from`, wrapping around.
int NextSelectable(const std::vector<TMenuItem*>& items, int from, int step) {
  int count = static_cast<int>(items.size());
  if (count == 0) return -1;
  int index = from;
  for (int tries = 0; tries < count; ++tries) {
    index = index < 0 ? (step > 0 ? 0 : count - 1) : (index + step + count) % count;
    if (Selectable(items[static_cast<size_t>(index)])) return index;
  }
  return -1;
}

// Asks the actions of the items to update themselves before they are shown.
void UpdateItemActions(TMenuItem* parent) {
  for (int i = 0; i < parent->Count(); ++i)
    if (TBasicAction* action = parent->Items(i)->Action()) action->Update();
}

}  // namespace

TPopupMenu::TPopupMenu(TComponent* owner)
    : TComponent(owner), FItems(std::make_unique<TMenuItem>(nullptr)) {
  FItems->FRootOf = this;
}

TPopupMenu::~TPopupMenu() {
  FItems->FRootOf = nullptr;
  CloseMenu();
}

void TPopupMenu::ItemRemoved() {
  if (IsShowing()) CloseMenu();
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  UpdateItemActions(FItems.get());
  CloseMenu();
  FClosed.clear();
  if (FLevels.empty()) FLevels.push_back(std::make_unique<TMenuWindow>(this, FItems.get()));
  FLevels[0]->ShowAt(x, y, FAlignment);
  SetCaptureControl(FLevels[0].get());
}

void TPopupMenu::SetPopupComponent(TComponent* value) {
  if (FPopupComponent && FPopupComponent != FImages) FPopupComponent->RemoveFreeNotification(this);
  FPopupComponent = value;
  if (FPopupComponent) FPopupComponent->FreeNotification(this);
}

void TPopupMenu::SetImages(TComponent* value) {
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = value;
  if (FImages) FImages->FreeNotification(this);
  for (auto& level : FLevels) level->Invalidate();
}

void TPopupMenu::PopupFor(TControl* control, int x, int y) {
  SetPopupComponent(control);
  Popup(x, y);
}

void TPopupMenu::CloseMenu() {
  if (!FLevels.empty()) CloseLevelsAbove(0);
  if (!FLevels.empty()) FLevels[0]->Close();
}

bool TPopupMenu::IsShowing() const { return !FLevels.empty() && FLevels[0]->Shown(); }

TRect TPopupMenu::ItemScreenRect(TMenuItem* item) const {
  for (const auto& level : FLevels) {
    if (!level->Shown()) continue;
    TRect r = level->ItemRect(item);
    if (r.Width() <= 0) continue;
    TPoint origin = level->ClientToScreen({0, 0});
    OffsetRect(r, origin.X, origin.Y);
    return r;
  }
  return {};
}

TMenuItem* TPopupMenu::HotItem() const {
  if (!IsShowing()) return nullptr;
  for (auto it = FLevels.rbegin(); it != FLevels.rend(); ++it)
    if ((*it)->Shown() && (*it)->HotItem()) return (*it)->HotItem();
  return nullptr;
}

bool TPopupMenu::IsSubmenuOpen(TMenuItem* item) const {
  for (size_t i = 1; i < FLevels.size(); ++i)
    if (FLevels[i]->Shown() && FLevels[i]->ParentItem() == item) return true;
  return false;
}

void TPopupMenu::CloseLevelsAbove(size_t level) {
  while (FLevels.size() > level + 1) {
    FLevels.back()->Close();
    FClosed.push_back(std::move(FLevels.back()));
    FLevels.pop_back();
  }
}

void TPopupMenu::OpenSubmenu(size_t level, bool selectFirst) {
  TMenuItem* item = FLevels[level]->HotItem();
  if (!item || item->Count() == 0 || !item->Enabled()) return;
  if (FLevels.size() > level + 1 && FLevels[level + 1]->ParentItem() == item) {
    if (selectFirst) FLevels[level + 1]->SetHot(NextSelectable(FLevels[level + 1]->Items(), -1, 1));
    return;
  }
  CloseLevelsAbove(level);
  UpdateItemActions(item);
  TRect r = ItemScreenRect(item);
  auto window = std::make_unique<TMenuWindow>(this, item);
  window->ShowAt(r.Right, r.Top - 2);
  if (selectFirst) window->SetHot(NextSelectable(window->Items(), -1, 1));
  FLevels.push_back(std::move(window));
}

int TPopupMenu::LevelAt(TPoint screen) const {
  for (int i = static_cast<int>(FLevels.size()) - 1; i >= 0; --i)
    if (FLevels[static_cast<size_t>(i)]->ContainsScreen(screen)) return i;
  return -1;
}

void TPopupMenu::MenuMouse(UINT message, TPoint screen) {
  if (!IsShowing()) return;
  int level = LevelAt(screen);
  switch (message) {
    case WM_MOUSEMOVE: {
      if (level < 0) return;
      TMenuWindow* window = FLevels[static_cast<size_t>(level)].get();
      int hot = window->ItemAtScreen(screen);
      if (hot < 0) return;
      window->SetHot(hot);
      // Pointing at an item with a submenu opens it; pointing at another closes what is open.
      if (window->HotItem()->Count() > 0)
        OpenSubmenu(static_cast<size_t>(level), false);
      else
        CloseLevelsAbove(static_cast<size_t>(level));
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      // A press outside the menu closes it; the press itself is not passed on.
      if (level < 0) CloseMenu();
      return;
    default: {
      TMenuItem* item = nullptr;
      if (level >= 0) {
        TMenuWindow* window = FLevels[static_cast<size_t>(level)].get();
        int index = window->ItemAtScreen(screen);
        if (index >= 0) {
          window->SetHot(index);
          item = window->HotItem();
          if (item->Count() > 0) {
            OpenSubmenu(static_cast<size_t>(level), false);
            item = nullptr;
          }
        }
      }
      if (item && !item->IsLine() && item->Enabled()) {
        Choose(item);
        return;
      }
      // The menu stays open and keeps watching the mouse after a release that chose nothing.
      if (IsShowing() && GetCaptureControl() != FLevels[0].get()) SetCaptureControl(FLevels[0].get());
      return;
    }
  }
}

bool TPopupMenu::MenuKey(WORD key) {
  size_t level = FLevels.size() - 1;
  TMenuWindow* window = FLevels[level].get();
  switch (key) {
    case VK_DOWN:
    case VK_UP: window->SetHot(NextSelectable(window->Items(), window->Hot(), key == VK_DOWN ? 1 : -1)); return true;
    case VK_RIGHT: OpenSubmenu(level, true); return true;
    case VK_LEFT:
      if (level > 0) CloseLevelsAbove(level - 1);
      return true;
    case VK_ESCAPE:
      if (level > 0)
        CloseLevelsAbove(level - 1);
      else
        CloseMenu();
      return true;
    case VK_RETURN: {
      TMenuItem* item = window->HotItem();
      if (!item) return true;
      if (item->Count() > 0)
        OpenSubmenu(level, true);
      else if (item->Enabled())
        Choose(item);
      return true;
    }
    default: return false;
  }
}

bool TPopupMenu::MenuChar(char16_t ch) {
  if (!IsShowing()) return false;
  size_t level = FLevels.size() - 1;
  TMenuWindow* window = FLevels[level].get();
  const std::vector<TMenuItem*>& items = window->Items();
  for (size_t i = 0; i < items.size(); ++i) {
    TMenuItem* item = items[i];
    if (item->IsLine() || !IsAccel(ch, item->Caption())) continue;
    window->SetHot(static_cast<int>(i));
    if (item->Count() > 0)
      OpenSubmenu(level, true);
    else if (item->Enabled())
      Choose(item);
    return true;
  }
  return false;
}

// The click comes after the menu has closed, by a WM_COMMAND with the item's id: a handler may
// then free the menu or its items, and an item freed before is simply not found.
void TPopupMenu::Choose(TMenuItem* item) {
  CloseMenu();
  PostMessage(FLevels[0]->Handle(), WM_COMMAND, item->Command(), 0);
}

void TPopupMenu::Command(UINT command) {
  if (TMenuItem* item = FItems->FindCommand(command)) item->Click();
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FPopupComponent) FPopupComponent = nullptr;
  if (component == FImages) FImages = nullptr;
}
