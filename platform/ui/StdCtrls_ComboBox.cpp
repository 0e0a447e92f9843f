// TCustomComboBox: the items, the choice, the styles and their child windows, the messages and
// the notifications.
#include <algorithm>

#include "platform/rtl/TextCompare.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrls_ComboBoxParts.h"
#include "platform/win/VirtualKeys.h"
#include "platform/win/WindowStyles.h"

namespace {
constexpr int kListBorder = 2;
}  // namespace

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TCustomComboBox(owner, std::make_unique<TListControlStrings>()) {}

TCustomComboBox::TCustomComboBox(TComponent* owner, std::unique_ptr<TListControlStrings> items)
    : TCustomControl(owner), FItems(std::move(items)) {
  SetControlStyle(ControlStyle() << csCaptureMouse >> csClickEvents);
  SetTabStop(true);
  SetBounds(Left(), Top(), 145, 23);
  SetParentColor(false);
  SetColor(clWindow);
  FItems->OnChange = [this](TObject* sender) { ItemsChanged(sender); };
  FStyle = csDropDownList;
  SetStyle(csDropDown);
}

TCustomComboBox::~TCustomComboBox() {
  FItems->OnChange = nullptr;
  if (FList) FList->Close();
  // The edit calls back into the combo box: it goes while the combo box is still whole.
  delete FEdit;
  FEdit = nullptr;
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
  if (value == FStyle) return;
  SetDroppedDown(false);
  String text = Text();
  FStyle = value;
  if (HasEdit() && !FEdit) {
    FEdit = new TComboEdit(this);
    FEdit->SetCharCase(FCharCase);
    FEdit->SetParent(this);
  } else if (!HasEdit() && FEdit) {
    TComboEdit* edit = FEdit;
    FEdit = nullptr;
    delete edit;
  }
  // The simple style shows its list under the edit all the time; the others drop a popup.
  FList.reset();
  if (FStyle == csSimple) {
    FList = std::make_unique<TComboDropList>(this, false);
    FList->SetParent(this);
    FList->TakeItems();
    FList->SetItemIndex(FItemIndex);
  }
  // The edit takes the focus in the combo box's place, so only it stops the Tab key.
  if (FEdit) FEdit->SetTabStop(false);
  LayoutChildren();
  if (FEdit) SetEditText(FItemIndex >= 0 ? FItems->Strings(FItemIndex) : text);
  Invalidate();
}

void TCustomComboBox::SetBounds(int left, int top, int width, int height) {
  TCustomControl::SetBounds(left, top, width, height);
  LayoutChildren();
}

void TCustomComboBox::LayoutChildren() {
  if (FStyle == csSimple) {
    int editHeight = std::min(Height(), FItemHeight + 8);
    if (FEdit) FEdit->SetBounds(0, 0, Width(), editHeight);
    if (FList) FList->SetBounds(0, editHeight, Width(), std::max(Height() - editHeight, 0));
  } else if (FEdit) {
    TRect area = TextArea();
    FEdit->SetBorderStyle(bsNone);
    FEdit->SetBounds(area.Left + 1, area.Top, std::max(area.Width() - 1, 0), area.Height());
  }
}

TRect TCustomComboBox::TextArea() {
  return Rect(3, 3, std::max(Width() - kComboButtonWidth - 3, 3), std::max(Height() - 3, 3));
}

TCustomEdit* TCustomComboBox::EditControl() const { return FEdit; }

bool TCustomComboBox::HasFocus() { return Focused() || (FEdit && FEdit->Focused()); }

void TCustomComboBox::SetFocus() {
  if (FEdit && FEdit->CanFocus())
    FEdit->SetFocus();
  else
    TCustomControl::SetFocus();
}

// --- Items and the choice ------------------------------------------------------------------------

void TCustomComboBox::ItemsChanged(TObject*) {
  if (FItemIndex >= FItems->Count()) FItemIndex = -1;
  if (FList && FList->Shown()) {
    FList->TakeItems();
    FList->SetItemIndex(FItemIndex);
  }
  Invalidate();
}

void TCustomComboBox::SetItemIndex(int value) {
  if (value < -1 || value >= FItems->Count()) value = -1;
  if (value == FItemIndex) return;
  FItemIndex = value;
  String text = value >= 0 ? FItems->Strings(value) : String();
  if (FEdit) {
    SetEditText(text);
  } else {
    FSettingText = true;
    TMessage set{WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), 0};
    TCustomControl::Dispatch(set);
    FSettingText = false;
  }
  if (FList) FList->SetItemIndex(value);
  Invalidate();
}

void TCustomComboBox::SelectByUser(int index) {
  if (FItems->Count() == 0) return;
  index = std::clamp(index, 0, FItems->Count() - 1);
  if (index == FItemIndex) return;
  SetItemIndex(index);
  if (FEdit) FEdit->SelectAll();
  Notify(CBN_SELCHANGE);
}

void TCustomComboBox::SetItemHeight(int value) {
  FItemHeight = std::max(value, 1);
  if (FList) FList->SetItemHeight(FItemHeight);
  LayoutChildren();
  Invalidate();
}

int TCustomComboBox::IndexOfText(const String& text, bool exact, int after) const {
  String wanted = AnsiUpperCase(text);
  int count = FItems->Count();
  for (int step = 0; step < count; ++step) {
    int index = (after + 1 + step) % count;
    String item = AnsiUpperCase(FItems->Strings(index));
    if (exact ? item == wanted : item.rfind(wanted, 0) == 0) return index;
  }
  return -1;
}

void TCustomComboBox::Clear() {
  FItems->Clear();
  FItemIndex = -1;
  if (FEdit) SetEditText(String());
  else SetItemIndex(-1);
  Invalidate();
}

// --- The edit ------------------------------------------------------------------------------------

void TCustomComboBox::SetEditText(const String& text) {
  if (!FEdit) return;
  FSettingText = true;
  FEdit->SetText(text);
  FSettingText = false;
}

int TCustomComboBox::MaxLength() const { return FEdit ? FEdit->MaxLength() : 0; }
void TCustomComboBox::SetMaxLength(int value) {
  if (FEdit) FEdit->SetMaxLength(value);
}
void TCustomComboBox::SetCharCase(TEditCharCase value) {
  FCharCase = value;
  if (FEdit) FEdit->SetCharCase(value);
}
int TCustomComboBox::SelStart() const { return FEdit ? FEdit->SelStart() : 0; }
void TCustomComboBox::SetSelStart(int value) {
  if (FEdit) FEdit->SetSelStart(value);
}
int TCustomComboBox::SelLength() const { return FEdit ? FEdit->SelLength() : 0; }
void TCustomComboBox::SetSelLength(int value) {
  if (FEdit) FEdit->SetSelLength(value);
}
String TCustomComboBox::SelText() const { return FEdit ? FEdit->SelText() : String(); }
void TCustomComboBox::SelectAll() {
  if (FEdit) FEdit->SelectAll();
}

// --- Notifications -------------------------------------------------------------------------------

void TCustomComboBox::Notify(WORD code) {
  if (HandleAllocated() && Parent() && Parent()->HandleAllocated()) {
    auto id = static_cast<WORD>(GetWindowLongPtr(Handle(), GWL_ID));
    SendMessage(Parent()->Handle(), WM_COMMAND, MAKEWPARAM(id, code),
                reinterpret_cast<LPARAM>(Handle()));
  } else {
    Perform(CN_COMMAND, MAKEWPARAM(0, code), 0);
  }
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect) OnSelect(this);
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

// --- Messages ------------------------------------------------------------------------------------

LRESULT TCustomComboBox::ComboMessage(TMessage& message) {
  auto index = static_cast<int>(static_cast<intptr_t>(message.WParam));
  auto text = reinterpret_cast<const char16_t*>(message.LParam);
  bool valid = index >= 0 && index < FItems->Count();
  switch (message.Msg) {
    case CB_ADDSTRING: return FItems->Add(text ? String(text) : String());
    case CB_INSERTSTRING:
      if (index == -1) index = FItems->Count();
      if (index < 0 || index > FItems->Count()) return CB_ERR;
      FItems->Insert(index, text ? String(text) : String());
      return index;
    case CB_DELETESTRING:
      if (!valid) return CB_ERR;
      FItems->Delete(index);
      return FItems->Count();
    case CB_RESETCONTENT: Clear(); return CB_OKAY;
    case CB_GETCOUNT: return FItems->Count();
    case CB_GETCURSEL: return FItemIndex;
    case CB_SETCURSEL: SetItemIndex(index); return valid ? FItemIndex : CB_ERR;
    case CB_GETLBTEXTLEN: return valid ? static_cast<LRESULT>(FItems->Strings(index).size()) : CB_ERR;
    case CB_GETLBTEXT: {
      if (!valid || !message.LParam) return CB_ERR;
      // The caller's buffer holds the length CB_GETLBTEXTLEN answered, and the terminator.
      String item = FItems->Strings(index);
      auto* out = reinterpret_cast<char16_t*>(message.LParam);
      std::copy(item.begin(), item.end(), out);
      out[item.size()] = 0;
      return static_cast<LRESULT>(item.size());
    }
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
    case CB_SELECTSTRING: {
      if (!text || FItems->Count() == 0) return CB_ERR;
      int start = index < -1 || index >= FItems->Count() ? -1 : index;
      int found = IndexOfText(text, message.Msg == CB_FINDSTRINGEXACT, start);
      if (message.Msg == CB_SELECTSTRING && found >= 0) SetItemIndex(found);
      return found >= 0 ? found : CB_ERR;
    }
    // An item's data is its object, as Items.Objects shows it.
    case CB_GETITEMDATA: return valid ? reinterpret_cast<LRESULT>(FItems->Objects(index)) : CB_ERR;
    case CB_SETITEMDATA:
      if (!valid) return CB_ERR;
      FItems->SetObjects(index, reinterpret_cast<TObject*>(message.LParam));
      return CB_OKAY;
    case CB_SHOWDROPDOWN: SetDroppedDown(message.WParam != 0); return 1;
    case CB_GETDROPPEDSTATE: return DroppedDown() ? 1 : 0;
    case CB_SETDROPPEDWIDTH: SetDroppedWidth(index); return std::max(FDroppedWidth, Width());
    case CB_GETDROPPEDWIDTH: return std::max(FDroppedWidth, Width());
    case CB_SETITEMHEIGHT: {
      auto height = static_cast<int>(message.LParam);
      if (height <= 0) return CB_ERR;
      // Index -1 is the selection field: the box grows around it.
      if (index == -1 && FStyle != csSimple)
        SetHeight(height + 6);
      else
        SetItemHeight(height);
      return CB_OKAY;
    }
    case CB_GETITEMHEIGHT: return index == -1 && FStyle != csSimple ? Height() - 6 : FItemHeight;
    case CB_LIMITTEXT: SetMaxLength(index); return 1;
    case CB_GETEDITSEL: {
      if (!FEdit) return CB_ERR;
      int start = FEdit->SelStart();
      int end = start + FEdit->SelLength();
      if (message.WParam) *reinterpret_cast<DWORD*>(message.WParam) = static_cast<DWORD>(start);
      if (message.LParam) *reinterpret_cast<DWORD*>(message.LParam) = static_cast<DWORD>(end);
      return MAKELONG(start, end);
    }
    case CB_SETEDITSEL: {
      if (!FEdit) return CB_ERR;
      // -1 as the start removes the selection; -1 as the end runs to the end of the text.
      auto start = static_cast<int16_t>(message.LParamLo());
      auto end = static_cast<int16_t>(message.LParamHi());
      int length = static_cast<int>(FEdit->Text().size());
      if (start < 0) {
        FEdit->SetSelLength(0);
        return 1;
      }
      FEdit->SetSelStart(start);
      FEdit->SetSelLength((end < 0 ? length : end) - start);
      return 1;
    }
    default: return CB_ERR;
  }
}

void TCustomComboBox::Dispatch(TMessage& message) {
  if (message.Msg >= CB_GETEDITSEL && message.Msg <= CB_SETDROPPEDWIDTH) {
    message.Result = ComboMessage(message);
    return;
  }
  switch (message.Msg) {
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
      if (FEdit) {
        message.Result = FEdit->Perform(message.Msg, message.WParam, message.LParam);
        return;
      }
      break;
    case WM_SETTEXT:
      if (FEdit) {
        auto text = reinterpret_cast<const char16_t*>(message.LParam);
        SetEditText(text ? String(text) : String());
        message.Result = 1;
        return;
      }
      if (!FSettingText) {
        // The list styles show only items: a text is chosen by finding its item.
        auto text = reinterpret_cast<const char16_t*>(message.LParam);
        int found = text && FItems->Count() > 0 ? IndexOfText(text, true, -1) : -1;
        SetItemIndex(found);
        message.Result = found >= 0 ? 1 : 0;
        return;
      }
      break;
    case WM_KILLFOCUS: Invalidate(); break;  // the list styles show the focus in the box
    case WM_SETFOCUS:
      Invalidate();
      TCustomControl::Dispatch(message);
      // The edit styles keep the focus in their edit.
      if (FEdit && FEdit->CanFocus()) FEdit->SetFocus();
      return;
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
    case CN_COMMAND:
      switch (message.WParamHi()) {
        case CBN_SELCHANGE:
          Click();
          Change();
          Select();
          return;
        case CBN_EDITCHANGE: Change(); return;
        case CBN_DROPDOWN: DropDown(); return;
        case CBN_CLOSEUP: CloseUp(); return;
        default: return;
      }
    default: break;
  }
  TCustomControl::Dispatch(message);
}
