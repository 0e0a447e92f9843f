// Popup menus: TMenuItem (a caption with a click, in a tree) and TPopupMenu, which shows its
// items in a small window of its own at a screen point and runs the chosen item's OnClick. An item
// with items of its own opens them as a submenu beside it. While a menu shows it holds the mouse
// and the keyboard: arrows move between items and in and out of submenus, Enter chooses, Escape
// closes a level, and an item's "&" letter chooses it.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/Controls.h"

class TPopupMenu;
class TMenuWindow;
class TBasicAction;
class TMenuActionLink;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const String& Caption() const { return FCaption; }
  void SetCaption(const String& value) { FCaption = value; }
  // A caption "-" makes a separator line, which is never clicked.
  bool IsLine() const { return FCaption == u"-"; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { FVisible = value; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool value) { FChecked = value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value) { FImageIndex = value; }
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut value) { FShortCut = value; }
  const String& Hint() const { return FHint; }
  void SetHint(const String& value) { FHint = value; }
  // The action whose properties the item shows and whose Execute a click runs (nullptr: none).
  TBasicAction* Action() const;
  void SetAction(TBasicAction* value);
  // The id a WM_COMMAND for this item carries; unique among the items alive.
  UINT Command() const { return FCommand; }

  // --- The tree: an item owns the items added to it ---
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int index) const { return FItems.at(static_cast<size_t>(index)); }
  TMenuItem* Parent() const { return FParent; }
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  int IndexOf(TMenuItem* item) const;
  // Frees every item under this one.
  void Clear();
  // The item with a command id in this tree (nullptr when none).
  TMenuItem* FindCommand(UINT command);

  // Runs OnClick (or the linked action) when the item is enabled.
  virtual void Click();
  TNotifyEvent OnClick;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TMenuActionLink;
  friend class TPopupMenu;
  // The menu whose root this item is (nullptr for other items).
  TPopupMenu* FRootOf = nullptr;
  String FCaption;
  bool FEnabled = true;
  bool FVisible = true;
  bool FChecked = false;
  int FImageIndex = -1;
  UINT FCommand = 0;
  TShortCut FShortCut = scNone;
  String FHint;
  TMenuItem* FParent = nullptr;
  std::vector<TMenuItem*> FItems;
  std::unique_ptr<TMenuActionLink> FActionLink;
};

// Where a popup menu stands against the point it is shown at: its left edge, its right edge or
// its middle there.
enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TComponent, public IPopupMenu {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  TMenuItem* Items() const { return FItems.get(); }
  bool AutoPopup() const override { return FAutoPopup; }
  void SetAutoPopup(bool value) { FAutoPopup = value; }
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment value) { FAlignment = value; }
  // The control the menu was last shown for (right-clicked), nullptr when shown directly.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* value);
  // The image list the items' ImageIndex refer to (kept for the items; drawn by the owner).
  TComponent* Images() const { return FImages; }
  void SetImages(TComponent* value);

  // Shows the menu with its top edge at a screen point, placed across it by Alignment; returns
  // at once. OnPopup runs
  // first (it may change the items); the menu closes on a click on an item or anywhere else.
  virtual void Popup(int x, int y);
  void PopupFor(TControl* control, int x, int y) override;
  // Closes the menu without choosing.
  void CloseMenu();
  bool IsShowing() const;
  // Where a visible item is on the screen while its menu or submenu shows (empty otherwise).
  TRect ItemScreenRect(TMenuItem* item) const;
  // The item the keyboard or the pointer has lit in the innermost open level (nullptr: none).
  TMenuItem* HotItem() const;
  // Whether the item's submenu is open.
  bool IsSubmenuOpen(TMenuItem* item) const;

  TNotifyEvent OnPopup;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TMenuWindow;
  friend class TMenuItem;
  void Choose(TMenuItem* item);
  void Command(UINT command);
  // An item left the tree: a menu that shows it closes, so no window lists a freed item.
  void ItemRemoved();
  // Input while the menu shows; the root window holds the capture and passes everything here.
  void MenuMouse(UINT message, TPoint screen);
  bool MenuKey(WORD key);
  bool MenuChar(char16_t ch);
  // Opens the submenu of the lit item of a level; closes the levels above `level`.
  void OpenSubmenu(size_t level, bool selectFirst);
  void CloseLevelsAbove(size_t level);
  // The innermost level whose window holds a screen point (-1: none).
  int LevelAt(TPoint screen) const;

  std::unique_ptr<TMenuItem> FItems;
  std::vector<std::unique_ptr<TMenuWindow>> FLevels;
  // Submenu windows closed while the menu runs: a window may be closed from inside one of its
  // own messages, so it is freed only when the menu next pops up (or goes).
  std::vector<std::unique_ptr<TMenuWindow>> FClosed;
  bool FAutoPopup = true;
  TPopupAlignment FAlignment = paLeft;
  TComponent* FPopupComponent = nullptr;
  TComponent* FImages = nullptr;
};

// The text of a short cut as menus show it ("Ctrl+S", "Shift+Del", "Esc"); empty for none.
String ShortCutToText(TShortCut shortCut);
// The short cut a text names (scNone when it names none).
TShortCut TextToShortCut(const String& text);
