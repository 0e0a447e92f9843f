// The raw popup menus: a list of items behind an HMENU, and TrackPopupMenu, which shows them in a
// popup window of its own and runs a loop of its own until the menu closes, taking the pointer
// (by the capture) and the keys while it runs.
#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include "platform/rtl/TextCompare.h"
#include "platform/win/WinApi.h"

struct TMenuTag {
  struct TItem {
    UINT Flags = 0;
    UINT_PTR Id = 0;
    String Text;
  };
  std::vector<TItem> Items;
};

namespace {

constexpr int kItemHeight = 20;
constexpr int kSeparatorHeight = 8;
constexpr int kTextIndent = 22;

// The menus alive, so a stale or made-up handle is refused rather than followed.
std::set<HMENU>& LiveMenus() {
  static std::set<HMENU> menus;
  return menus;
}

TMenuTag::TItem* FindItem(HMENU menu, UINT item, UINT flags) {
  if (!IsMenu(menu)) return nullptr;
  if (flags & MF_BYPOSITION) return item < menu->Items.size() ? &menu->Items[item] : nullptr;
  for (auto& entry : menu->Items)
    if (entry.Id == item && !(entry.Flags & MF_SEPARATOR)) return &entry;
  return nullptr;
}

bool Selectable(const TMenuTag::TItem& item) { return !(item.Flags & MF_SEPARATOR); }
bool Choosable(const TMenuTag::TItem& item) {
  return Selectable(item) && !(item.Flags & (MF_GRAYED | MF_DISABLED));
}

// What the menu window shows: the items, the lit one and the font.
struct TTracking {
  HMENU Menu = nullptr;
  int Hot = -1;
  HFONT Font = nullptr;
  int Width = 0;

  TRect ItemRect(int index) const {
    int top = 2;
    for (int i = 0; i < static_cast<int>(Menu->Items.size()); ++i) {
      int height = Selectable(Menu->Items[static_cast<size_t>(i)]) ? kItemHeight : kSeparatorHeight;
      if (i == index) return {2, top, Width - 2, top + height};
      top += height;
    }
    return {};
  }
  int ItemAt(TPoint client) const {
    for (int i = 0; i < static_cast<int>(Menu->Items.size()); ++i)
      if (PtInRect(ItemRect(i), client)) return i;
    return -1;
  }
  int Next(int step) const {
    int count = static_cast<int>(Menu->Items.size());
    int index = Hot;
    for (int tries = 0; tries < count; ++tries) {
      index = index < 0 ? (step > 0 ? 0 : count - 1) : (index + step + count) % count;
      if (Selectable(Menu->Items[static_cast<size_t>(index)])) return index;
    }
    return -1;
  }
};

void PaintMenu(HWND window, TTracking* tracking) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  TRect client;
  GetClientRect(window, &client);
  HBRUSH menuBrush = GetSysColorBrush(COLOR_MENU);
  FillRect(dc, client, menuBrush);
  HGDIOBJ oldFont = SelectObject(dc, tracking->Font);
  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < static_cast<int>(tracking->Menu->Items.size()); ++i) {
    const TMenuTag::TItem& item = tracking->Menu->Items[static_cast<size_t>(i)];
    TRect r = tracking->ItemRect(i);
    if (!Selectable(item)) {
      TRect line{r.Left + 2, r.Top + r.Height() / 2 - 1, r.Right - 2, r.Top + r.Height() / 2 + 1};
      DrawEdge(dc, line, EDGE_ETCHED, BF_TOP);
      continue;
    }
    bool hot = i == tracking->Hot;
    if (hot) FillRect(dc, r, GetSysColorBrush(COLOR_HIGHLIGHT));
    if (item.Flags & MF_CHECKED) {
      TRect mark{r.Left + 2, r.Top + 2, r.Left + kTextIndent - 4, r.Bottom - 2};
      DrawFrameControl(dc, mark, DFC_MENU, DFCS_MENUCHECK);
    }
    bool enabled = !(item.Flags & (MF_GRAYED | MF_DISABLED));
    SetTextColor(dc, GetSysColor(!enabled ? COLOR_GRAYTEXT : hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    TRect text{r.Left + kTextIndent, r.Top, r.Right, r.Bottom};
    DrawText(dc, item.Text, text, DT_VCENTER | DT_SINGLELINE);
  }
  SelectObject(dc, oldFont);
  EndPaint(window, &paint);
}

LRESULT MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* tracking = static_cast<TTracking*>(GetProp(window, u"MenuTracking"));
  if (message == WM_PAINT && tracking && IsMenu(tracking->Menu)) {
    PaintMenu(window, tracking);
    return 0;
  }
  if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return DefWindowProc(window, message, wParam, lParam);
}

TPoint PointOf(const MSG& msg) { return {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)}; }

const String kMenuClass = u"TrackedPopupMenu";

// The window, the capture and the font of one tracking, given back however the loop ends.
struct TMenuWindowGuard {
  HWND Window = nullptr;
  HFONT Font = nullptr;
  ~TMenuWindowGuard() {
    if (Window && GetCapture() == Window) ReleaseCapture();
    if (Window && IsWindow(Window)) {
      RemoveProp(Window, u"MenuTracking");
      DestroyWindow(Window);
    }
    if (Font) DeleteObject(Font);
  }
};

}  // namespace

HMENU CreatePopupMenu() {
  auto* menu = new TMenuTag;
  LiveMenus().insert(menu);
  return menu;
}

bool DestroyMenu(HMENU menu) {
  if (!LiveMenus().erase(menu)) return false;
  delete menu;
  return true;
}

bool IsMenu(HMENU menu) { return menu && LiveMenus().count(menu) > 0; }

bool AppendMenu(HMENU menu, UINT flags, UINT_PTR id, const String& text) {
  return InsertMenu(menu, static_cast<UINT>(-1), flags | MF_BYPOSITION, id, text);
}

bool InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, const String& text) {
  if (!IsMenu(menu)) return false;
  TMenuTag::TItem item{flags & ~MF_BYPOSITION, id, text};
  auto& items = menu->Items;
  size_t index = items.size();
  if (flags & MF_BYPOSITION) {
    index = std::min<size_t>(position, items.size());
  } else {
    auto it = std::find_if(items.begin(), items.end(), [&](const TMenuTag::TItem& i) { return i.Id == position; });
    if (it == items.end()) return false;
    index = static_cast<size_t>(it - items.begin());
  }
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(index), item);
  return true;
}

int GetMenuItemCount(HMENU menu) { return IsMenu(menu) ? static_cast<int>(menu->Items.size()) : -1; }

int GetMenuItemID(HMENU menu, int position) {
  if (!IsMenu(menu) || position < 0 || position >= static_cast<int>(menu->Items.size())) return -1;
  const auto& item = menu->Items[static_cast<size_t>(position)];
  return Selectable(item) ? static_cast<int>(item.Id) : -1;
}

int EnableMenuItem(HMENU menu, UINT item, UINT flags) {
  TMenuTag::TItem* entry = FindItem(menu, item, flags);
  if (!entry) return -1;
  int old = static_cast<int>(entry->Flags & (MF_GRAYED | MF_DISABLED));
  entry->Flags = (entry->Flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  return old;
}

int CheckMenuItem(HMENU menu, UINT item, UINT flags) {
  TMenuTag::TItem* entry = FindItem(menu, item, flags);
  if (!entry) return -1;
  int old = static_cast<int>(entry->Flags & MF_CHECKED);
  entry->Flags = (entry->Flags & ~MF_CHECKED) | (flags & MF_CHECKED);
  return old;
}

int TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const TRect*) {
  if (!IsMenu(menu) || menu->Items.empty()) return 0;
  WNDCLASS windowClass;
  if (!GetClassInfo(HInstance, kMenuClass, &windowClass)) {
    windowClass.style = CS_SAVEBITS;
    windowClass.lpfnWndProc = MenuWindowProc;
    windowClass.hInstance = HInstance;
    windowClass.lpszClassName = kMenuClass;
    RegisterClass(windowClass);
  }

  TMenuWindowGuard guard;
  TTracking tracking;
  tracking.Menu = menu;
  guard.Font = CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
  tracking.Font = guard.Font;
  // The size: the widest caption and the items' heights.
  HDC measure = CreateImageDC(1, 1);
  SelectObject(measure, guard.Font);
  int width = 80, height = 4;
  for (const auto& item : menu->Items) {
    TSize size;
    GetTextExtentPoint32(measure, item.Text, &size);
    width = std::max(width, kTextIndent + size.cx + 24);
    height += Selectable(item) ? kItemHeight : kSeparatorHeight;
  }
  DeleteDC(measure);
  tracking.Width = width;
  guard.Window = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kMenuClass, String(),
                                WS_POPUP | WS_BORDER, x, y, width, height, owner, nullptr, HInstance, nullptr);
  if (!guard.Window) return 0;
  HWND window = guard.Window;
  SetProp(window, u"MenuTracking", &tracking);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  SetCapture(window);

  UINT chooseUp = (flags & TPM_RIGHTBUTTON) ? WM_RBUTTONUP : WM_LBUTTONUP;
  int chosen = -1;
  bool open = true;
  auto setHot = [&](int hot) {
    if (hot == tracking.Hot) return;
    tracking.Hot = hot;
    InvalidateRect(window, nullptr, true);
  };
  auto choose = [&](int index) {
    if (index < 0) return;
    const auto& item = menu->Items[static_cast<size_t>(index)];
    if (!Choosable(item)) return;
    chosen = static_cast<int>(item.Id);
    open = false;
  };
  while (open) {
    MSG msg;
    if (!GetMessage(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
      break;
    }
    bool ours = msg.hwnd == window;
    switch (msg.message) {
      case WM_MOUSEMOVE:
        if (ours) setHot(tracking.ItemAt(PointOf(msg)));
        continue;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN: {
        TRect client;
        GetClientRect(window, &client);
        if (!ours || !PtInRect(client, PointOf(msg))) open = false;  // a press elsewhere closes
        continue;
      }
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
        if (ours && (msg.message == chooseUp || msg.message == WM_LBUTTONUP)) choose(tracking.ItemAt(PointOf(msg)));
        if (open && GetCapture() != window) SetCapture(window);
        continue;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        switch (msg.wParam) {
          case VK_ESCAPE: open = false; break;
          case VK_UP: setHot(tracking.Next(-1)); break;
          case VK_DOWN: setHot(tracking.Next(1)); break;
          case VK_RETURN: choose(tracking.Hot); break;
          default: TranslateMessage(&msg); break;
        }
        continue;
      case WM_CHAR:
      case WM_SYSCHAR:
        for (size_t i = 0; i < menu->Items.size(); ++i)
          if (Selectable(menu->Items[i]) &&
              IsAccel(static_cast<char16_t>(msg.wParam), menu->Items[i].Text)) {
            setHot(static_cast<int>(i));
            choose(static_cast<int>(i));
            break;
          }
        continue;
      case WM_KEYUP:
      case WM_SYSKEYUP: continue;
      default: break;
    }
    TranslateMessage(&msg);
    DispatchMessage(&msg);
    // Taken away (another window took the capture, the owner or the menu went): the menu closes
    // unchosen.
    if (!IsWindow(window) || GetCapture() != window || (owner && !IsWindow(owner)) || !IsMenu(menu)) open = false;
  }

  if (chosen < 0) return 0;
  if (flags & TPM_RETURNCMD) return chosen;
  if (!(flags & TPM_NONOTIFY) && owner) PostMessage(owner, WM_COMMAND, MAKEWPARAM(static_cast<uint32_t>(chosen), 0), 0);
  return 1;
}
