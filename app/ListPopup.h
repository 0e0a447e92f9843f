// What the tasks and teams lists add to the list form: a hint beside the title, and a popup menu
// on the grid whose one item opens the members of the chosen row.
#pragma once

#include "app/FormPattern.h"
#include "platform/ui/Menus.h"

struct TListPopup {
  TCaptionLabel* Hint;  // Label2 of the list
  TPopupMenu* Menu;     // PopupMenu1
  TMenuItem* Item;      // N1, "Одговорни членови", always enabled
};

// Places the hint at the right of the title row and sets the menu on the list's grid; the item
// runs onClick.
TListPopup AddMembersPopup(TListForm* list, const String& hint, TNotifyEvent onClick);
