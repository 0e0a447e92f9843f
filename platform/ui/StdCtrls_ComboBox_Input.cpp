// TCustomComboBox: keys, letters, the mouse, and the child edit with its completion of typed
// text.
#include <algorithm>

#include "platform/rtl/TextCompare.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrls_ComboBoxParts.h"
#include "platform/win/VirtualKeys.h"

namespace {
// Typed letters add up to one search while they come quicker than this (milliseconds).
constexpr uint64_t kSearchPause = 1000;
}  // namespace

// --- TComboEdit ----------------------------------------------------------------------------------

TComboEdit::TComboEdit(TCustomComboBox* combo) : TEdit(nullptr), FCombo(combo) {
  SetTabStop(false);
}

void TComboEdit::Change() {
  TEdit::Change();
  if (!FCombo->FSettingText) FCombo->EditChanged(FTyping);
}

void TComboEdit::KeyDown(WORD& key, TShiftState shift) {
  // Tab moves on from the combo box as a whole: from the edit, Shift+Tab would find the combo
  // box itself, which hands the focus straight back.
  if (key == VK_TAB && !shift.Contains(ssCtrl)) {
    if (TCustomForm* form = GetParentForm(FCombo)) form->SelectNext(FCombo, !shift.Contains(ssShift), true);
    key = 0;
    return;
  }
  FCombo->KeyDown(key, shift);
  if (key) TEdit::KeyDown(key, shift);
}

void TComboEdit::KeyPress(char16_t& key) {
  FCombo->KeyPress(key);
  if (!key) return;
  FTyping = key >= 32;
  TEdit::KeyPress(key);
  FTyping = false;
}

void TComboEdit::KeyUp(WORD& key, TShiftState shift) {
  FCombo->KeyUp(key, shift);
  if (key) TEdit::KeyUp(key, shift);
}

void TComboEdit::Dispatch(TMessage& message) {
  if (message.Msg == CM_WANTSPECIALKEY) {
    WORD key = message.CharCode();
    bool dropKey = FCombo->DroppedDown() && (key == VK_RETURN || key == VK_ESCAPE);
    bool tab = key == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
    if (dropKey || tab) {
      message.Result = 1;
      return;
    }
  }
  TEdit::Dispatch(message);
}

// --- The edit's text -----------------------------------------------------------------------------

void TCustomComboBox::EditChanged(bool typed) {
  if (typed && FAutoComplete) CompleteTypedText();
  // The choice follows the text: the item it names, or none.
  String text = FEdit->Text();
  int index = FItems->Count() > 0 ? IndexOfText(text, true, -1) : -1;
  if (index >= 0 && FItems->Strings(index) != text) index = -1;
  FItemIndex = index;
  if (FList) FList->SetItemIndex(index);
  Notify(CBN_EDITCHANGE);
}

void TCustomComboBox::CompleteTypedText() {
  // Only typing at the end completes: an edit in the middle of the text is the user's own.
  String typed = FEdit->Text();
  if (typed.empty() || FEdit->SelLength() != 0 || FEdit->SelStart() != static_cast<int>(typed.size()))
    return;
  int found = FItems->Count() > 0 ? IndexOfText(typed, false, -1) : -1;
  if (found < 0) return;
  String item = FItems->Strings(found);
  if (FEdit->MaxLength() > 0 && static_cast<int>(item.size()) > FEdit->MaxLength()) return;
  // The item's spelling replaces what was typed, and the completed part stays selected so the
  // next letter types over it.
  SetEditText(item);
  FEdit->SetSelStart(static_cast<int>(typed.size()));
  FEdit->SetSelLength(static_cast<int>(item.size() - typed.size()));
  if (DroppedDown()) FList->Hover(found);
}

// --- Keys ----------------------------------------------------------------------------------------

void TCustomComboBox::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  bool dropped = DroppedDown();
  FSearch.clear();
  switch (key) {
    case VK_F4:
      if (FStyle == csSimple) return;
      SetDroppedDown(!dropped);
      break;
    case VK_UP:
    case VK_DOWN:
      if (shift.Contains(ssAlt)) {
        if (FStyle == csSimple) return;
        SetDroppedDown(!dropped);
        break;
      }
      if (dropped)
        HoverItem(FList->ItemIndex() + (key == VK_UP ? -1 : 1));
      else
        SelectByUser(FItemIndex < 0 ? 0 : FItemIndex + (key == VK_UP ? -1 : 1));
      break;
    case VK_PRIOR:
    case VK_NEXT: {
      int page = std::max(FDropDownCount - 1, 1) * (key == VK_PRIOR ? -1 : 1);
      if (dropped)
        HoverItem(FList->ItemIndex() + page);
      else
        SelectByUser(std::max(FItemIndex, 0) + page);
      break;
    }
    case VK_HOME:
    case VK_END:
      // In an edit they move the caret.
      if (dropped)
        HoverItem(key == VK_HOME ? 0 : FItems->Count() - 1);
      else if (!FEdit)
        SelectByUser(key == VK_HOME ? 0 : FItems->Count() - 1);
      else
        return;
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
  if (FEdit || key < 32 || FItems->Count() == 0) return;
  SearchByLetters(key);
  key = 0;
}

void TCustomComboBox::SearchByLetters(char16_t key) {
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
  int after = repeated || FSearch.size() == 1 ? current : std::max(current, 0) - 1;
  int index = IndexOfText(wanted, false, after);
  if (index < 0) return;
  if (DroppedDown())
    FList->Hover(index);
  else
    SelectByUser(index);
}

void TCustomComboBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && FStyle != csSimple) {
    if (CanFocus() && !HasFocus()) SetFocus();
    SetDroppedDown(!DroppedDown());
  }
  TCustomControl::MouseDown(button, shift, x, y);
}
