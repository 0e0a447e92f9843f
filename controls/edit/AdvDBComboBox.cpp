// TAdvDBComboBox: the flat combo box bound to a field, showing the item of the field's stored
// value and writing back the stored value of the item chosen.
#include "controls/edit/AdvDBComboBox.h"

#include <algorithm>
#include <numeric>

#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/TextCompare.h"
#include "platform/ui/Application.h"
#include "platform/win/VirtualKeys.h"

namespace {

constexpr char16_t kCtrlV = 22, kCtrlX = 24;
// A selected item of an owner-drawn list, as the system of this program draws it.
constexpr TColor kSelectedItem = 0xFF9933;  // red 33, green 99, blue FF

bool IsPrintable(char16_t ch) { return ch >= 32 && ch != 127; }

}  // namespace

// --- The items and their stored values -------------------------------------------------------

void TAdvDBComboBoxStrings::InsertItem(int index, const String& s, TObject* object) {
  // An item added at the end takes a stored value given ahead of it; one inserted among the
  // others gets an empty slot of its own, so the stored values of the others stay with them.
  if (index < Count() || static_cast<int>(FStored.size()) <= index)
    FStored.insert(FStored.begin() + std::min<size_t>(index, FStored.size()), String());
  TListControlStrings::InsertItem(index, s, object);
}

void TAdvDBComboBoxStrings::Clear() {
  FStored.clear();
  TListControlStrings::Clear();
}

void TAdvDBComboBoxStrings::Delete(int index) {
  TListControlStrings::Delete(index);
  if (index < static_cast<int>(FStored.size())) FStored.erase(FStored.begin() + index);
}

void TAdvDBComboBoxStrings::Exchange(int index1, int index2) {
  TListControlStrings::Exchange(index1, index2);
  if (FStored.size() < static_cast<size_t>(Count())) FStored.resize(Count());
  std::swap(FStored[index1], FStored[index2]);
}

void TAdvDBComboBoxStrings::Move(int curIndex, int newIndex) {
  TListControlStrings::Move(curIndex, newIndex);
  if (curIndex == newIndex) return;
  if (FStored.size() < static_cast<size_t>(Count())) FStored.resize(Count());
  String moved = FStored[curIndex];
  FStored.erase(FStored.begin() + curIndex);
  FStored.insert(FStored.begin() + newIndex, moved);
}

void TAdvDBComboBoxStrings::CustomSort(const TStringListSortCompare& compare) {
  if (Count() < 2) {
    TListControlStrings::CustomSort(compare);
    return;
  }
  // The same stable order the strings take, worked out first, takes the stored values along.
  std::vector<int> order(static_cast<size_t>(Count()));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return compare(this, a, b) < 0; });
  if (FStored.size() < static_cast<size_t>(Count())) FStored.resize(Count());
  std::vector<String> stored;
  stored.reserve(FStored.size());
  for (int index : order) stored.push_back(FStored[index]);
  for (size_t i = order.size(); i < FStored.size(); ++i) stored.push_back(FStored[i]);
  TListControlStrings::CustomSort(compare);
  FStored = std::move(stored);
}

void TAdvDBComboBoxStrings::Assign(TPersistent* source) {
  TListControlStrings::Assign(source);
  if (auto* other = dynamic_cast<TAdvDBComboBoxStrings*>(source)) FStored = other->FStored;
}

void TAdvDBComboBoxStrings::AddStored(const String& value) {
  size_t next = FStored.size();
  while (next > 0 && FStored[next - 1].empty()) --next;
  if (next < FStored.size())
    FStored[next] = value;
  else
    FStored.push_back(value);
}

void TAdvDBComboBoxStrings::SetStored(int index, const String& value) {
  if (index < 0) return;
  if (FStored.size() <= static_cast<size_t>(index)) FStored.resize(index + 1);
  FStored[index] = value;
}

String TAdvDBComboBoxStrings::StoredOfItem(int index) const {
  if (index >= 0 && index < static_cast<int>(FStored.size()) && !FStored[index].empty())
    return FStored[index];
  return Strings(index);
}

int TAdvDBComboBoxStrings::IndexOfStored(const String& value) const {
  for (int i = 0; i < Count(); ++i)
    if (AnsiCompareText(StoredOfItem(i), value) == 0) return i;
  return -1;
}

// --- The combo box -------------------------------------------------------------------------------

TAdvDBComboBox::TAdvDBComboBox(TComponent* owner)
    : TAdvCustomCombo(owner, std::make_unique<TAdvDBComboBoxStrings>()),
      FDataLink(std::make_unique<TFieldDataLink>()) {
  SetControlStyle(ControlStyle() << csReplicatable);
  FDataLink->SetControl(this);
  FDataLink->OnDataChange = [this](TObject* sender) { DataChange(sender); };
  FDataLink->OnUpdateData = [this](TObject* sender) { UpdateData(sender); };
  FDataLink->OnEditingChange = [this](TObject* sender) { EditingChange(sender); };
  FDataLink->OnActiveChange = [this](TObject* sender) { ActiveChange(sender); };
}

TAdvDBComboBox::~TAdvDBComboBox() {
  FDataLink->OnDataChange = nullptr;
  FDataLink->OnUpdateData = nullptr;
  FDataLink->OnEditingChange = nullptr;
  FDataLink->OnActiveChange = nullptr;
  FDataLink->SetDataSource(nullptr);
}

TAdvDBComboBoxStrings* TAdvDBComboBox::ComboItems() const {
  return static_cast<TAdvDBComboBoxStrings*>(Items());
}

void TAdvDBComboBox::SetItems(TStrings* value) {
  Items()->Assign(value);
  DataChange(this);
}

void TAdvDBComboBox::SetDataSource(TDataSource* value) {
  if (FDataLink->DataSourceFixed() && ComponentState().Contains(csLoading)) return;
  if (DataSource()) DataSource()->RemoveFreeNotification(this);
  FDataLink->SetDataSource(value);
  if (value) value->FreeNotification(this);
}

void TAdvDBComboBox::SetLabelField(const String& value) {
  FLabelField = value;
  UpdateLabelField();
}

void TAdvDBComboBox::SetImages(TCustomImageList* value) {
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = value;
  if (value) value->FreeNotification(this);
  Invalidate();
}

void TAdvDBComboBox::SetShowImages(bool value) {
  FShowImages = value;
  if (value && Style() != csOwnerDrawVariable)
    TCustomComboBox::SetStyle(csOwnerDrawFixed);
  else if (!value && Style() == csOwnerDrawFixed)
    TCustomComboBox::SetStyle(csDropDown);
  Invalidate();
}

void TAdvDBComboBox::SetStyle(TComboBoxStyle value) {
  if (value == csSimple && FDataLink->DataSourceFixed())
    DatabaseError(u"Control cannot be used in a DBCtrlGrid");
  if (FShowImages && value != csOwnerDrawFixed && value != csOwnerDrawVariable)
    throw Exception(
        u"Style must be csOwnerDrawFixed or csOwnerDrawVariable when ShowImages = True");
  TCustomComboBox::SetStyle(value);
  SetEditReadOnly();
}

void TAdvDBComboBox::Notification(TComponent* component, TOperation operation) {
  TAdvCustomCombo::Notification(component, operation);
  if (operation != opRemove) return;
  if (FDataLink && component == DataSource()) SetDataSource(nullptr);
  if (component == FImages) FImages = nullptr;
}

String TAdvDBComboBox::DisplayOfStored(const String& value) const {
  int index = ComboItems()->IndexOfStored(value);
  return index >= 0 ? Items()->Strings(index) : value;
}

String TAdvDBComboBox::GetComboText() {
  if (Style() == csDropDown || Style() == csSimple) return EditControl()->Text();
  return ItemIndex() >= 0 ? Items()->Strings(ItemIndex()) : String();
}

void TAdvDBComboBox::SetComboText(const String& text) {
  if (text == GetComboText()) return;
  if (Style() != csDropDown) {
    int found = -1;
    for (int i = 0; !text.empty() && i < Items()->Count(); ++i)
      if (AnsiCompareText(Items()->Strings(i), text) == 0) {
        found = i;
        break;
      }
    SetItemIndex(found);
    Invalidate();
    if (found >= 0) return;
  }
  if (Style() == csDropDown || Style() == csSimple) EditControl()->SetText(text);
}

void TAdvDBComboBox::UpdateLabelField() {
  TDataSet* dataSet = FDataLink->DataSet();
  if (!dataSet || !dataSet->Active()) {
    if (!FLabelField.empty()) SetLabelCaption(String());
    return;
  }
  if (!FLabelField.empty()) SetLabelCaption(dataSet->FieldByName(FLabelField)->Text());
}

void TAdvDBComboBox::SetEditReadOnly() {
  if ((Style() == csDropDown || Style() == csSimple) && EditControl())
    EditControl()->SetReadOnly(!FDataLink->Editing());
}

// --- The link's events ---------------------------------------------------------------------------

void TAdvDBComboBox::DataChange(TObject*) {
  TField* field = Field();
  if (!FDataLink->DataSet() || !field) return;
  if (Style() == csSimple || !DroppedDown()) SetComboText(DisplayOfStored(field->Text()));
  UpdateLabelField();
}

void TAdvDBComboBox::UpdateData(TObject*) {
  TField* field = Field();
  if (!field || !FDataLink->Editing() || ItemIndex() < 0) return;
  field->SetText(ComboItems()->StoredOfItem(ItemIndex()));
}

void TAdvDBComboBox::EditingChange(TObject*) { SetEditReadOnly(); }

void TAdvDBComboBox::ActiveChange(TObject*) {
  TDataSet* dataSet = FDataLink->DataSet();
  if (dataSet && dataSet->Active()) return;
  if (EditControl()) EditControl()->SetText(String());
  SetItemIndex(-1);
}

// --- Choosing ------------------------------------------------------------------------------------

void TAdvDBComboBox::Change() {
  FDataLink->Edit();
  TAdvCustomCombo::Change();
  FDataLink->Modified();
}

void TAdvDBComboBox::Click() {
  FDataLink->Edit();
  TAdvCustomCombo::Click();
  FDataLink->Modified();
}

void TAdvDBComboBox::KeyDown(WORD& key, TShiftState shift) {
  // The keys that choose another item do nothing while the field cannot change.
  if ((key == VK_UP || key == VK_DOWN) && DataSource() && !FDataLink->Edit()) {
    key = 0;
    return;
  }
  TAdvCustomCombo::KeyDown(key, shift);
  if ((key == VK_BACK || (key >= 32 && key <= 255)) && DataSource()) FDataLink->Edit();
}

void TAdvDBComboBox::KeyPress(char16_t& key) {
  if (DataSource() && !FDataLink->Edit() && !DataSource()->AutoEdit()) {
    key = 0;
    return;
  }
  if (key == VK_ESCAPE) {
    FDataLink->Reset();
    SelectAll();
    key = 0;
    return;
  }
  TAdvCustomCombo::KeyPress(key);
  if (key == u'\b' || key == kCtrlV || key == kCtrlX || IsPrintable(key)) FDataLink->Edit();
}

void TAdvDBComboBox::DropDown() {
  FDataLink->Edit();
  TAdvCustomCombo::DropDown();
}

void TAdvDBComboBox::CloseUp() {
  TAdvCustomCombo::CloseUp();
  // Closed without a choice while nothing is being edited: the field's value shows again.
  if (!FDataLink->Editing()) DataChange(this);
}

void TAdvDBComboBox::DoExit() {
  try {
    FDataLink->UpdateRecord();
  } catch (const Exception&) {
    SelectAll();
    if (CanFocus()) SetFocus();
    Application->HandleException(this);
    return;
  }
  TAdvCustomCombo::DoExit();
}

void TAdvDBComboBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_GETDATALINK: message.Result = reinterpret_cast<LRESULT>(FDataLink.get()); return;
    case CN_COMMAND:
      if (message.WParamHi() == CBN_SELCHANGE && DataSource() && !FDataLink->Edit()) {
        // A choice the field cannot take: the list closes and the field's value shows again.
        if (Style() != csSimple) SetDroppedDown(false);
        DataChange(this);
        return;
      }
      break;
    case WM_CREATE:
      TAdvCustomCombo::Dispatch(message);
      SetEditReadOnly();
      return;
    default: break;
  }
  TAdvCustomCombo::Dispatch(message);
}

// --- Drawing items -------------------------------------------------------------------------------

void TAdvDBComboBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
  if (!IsOwnerDraw()) {
    TAdvCustomCombo::DrawItem(index, rect, state);
    return;
  }
  TCanvas* canvas = Canvas();
  if (state.Contains(odSelected) && !state.Contains(odComboBoxEdit)) {
    canvas->Brush()->SetColor(kSelectedItem);
    canvas->Font()->SetColor(clWhite);
  }
  canvas->Brush()->SetStyle(bsSolid);
  if (index < 0) {
    canvas->FillRect(rect);
    return;
  }
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  canvas->FillRect(rect);
  String text = Items()->Strings(index);
  if (FShowImages && FImages) {
    // An item whose text is no image number draws no image.
    int32_t image = 0;
    if (TryStrToInt(text, image)) FImages->Draw(canvas, rect.Left + 2, rect.Top + 1, image);
  } else {
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextOut(rect.Left + 2, rect.Top, text);
  }
  if (state.Contains(odFocused)) canvas->DrawFocusRect(rect);
}
