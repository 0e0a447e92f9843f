#include "app/ListPopup.h"

TListPopup AddMembersPopup(TListForm* list, const String& hint, TNotifyEvent onClick) {
  TListPopup popup;
  // The title is short; the hint takes the rest of the row, over the grid's right part.
  const TRect grid = list->DBAdvGrid1->BoundsRect();
  const int top = list->Label1->Top();
  constexpr int titleWidth = 220;
  popup.Hint = new TCaptionLabel(list);
  popup.Hint->SetParent(list);
  popup.Hint->SetAutoSize(false);
  popup.Hint->SetAlignment(taRightJustify);
  popup.Hint->SetBounds(grid.Left + titleWidth, top + 6, grid.Width() - titleWidth, 20);
  popup.Hint->SetCaption(hint);

  popup.Menu = new TPopupMenu(list);
  popup.Item = new TMenuItem(list);
  popup.Item->SetCaption(u"Одговорни членови");
  popup.Item->OnClick = std::move(onClick);
  popup.Menu->Items()->Add(popup.Item);
  list->DBAdvGrid1->SetPopupMenu(popup.Menu);
  return popup;
}
