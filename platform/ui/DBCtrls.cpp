#include "platform/ui/DBCtrls.h"

#include <cmath>

#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/Fields.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/VirtualKeys.h"

// ---- TDBMemo ------------------------------------------------------------------------------------

TDBMemo::TDBMemo(TComponent* owner)
    : TCustomMemo(owner), FDataLink(std::make_unique<TFieldDataLink>()) {
  FDataLink->SetControl(this);
  FDataLink->SetVisualControl(true);
  FDataLink->OnDataChange = [this](TObject*) { DataChange(); };
  FDataLink->OnUpdateData = [this](TObject*) {
    if (TField* field = FDataLink->Field()) field->SetAsString(Text());
  };
}

TDBMemo::~TDBMemo() { FDataLink->SetDataSource(nullptr); }

void TDBMemo::DataChange() {
  FShowing = true;
  TField* field = FDataLink->Field();
  const String value = field ? field->AsString() : String();
  // The same text again would move the caret away from where the user types.
  if (Text() != value) SetText(value);
  FShowing = false;
}

void TDBMemo::Change() {
  if (!FShowing) FDataLink->Modified();
  TCustomMemo::Change();
}

void TDBMemo::KeyDown(WORD& key, TShiftState shift) {
  // Deleting and pasting are edits: the dataset must take them first.
  if ((key == VK_DELETE || (key == VK_INSERT && shift.Contains(ssShift))) && !FDataLink->Edit()) {
    key = 0;
    return;
  }
  TCustomMemo::KeyDown(key, shift);
}

void TDBMemo::KeyPress(char16_t& key) {
  const bool edits = key >= 32 || key == 8 || key == 13 || key == 10 || key == 22 || key == 24;
  if (edits && !FDataLink->Edit()) {
    key = 0;
    return;
  }
  TCustomMemo::KeyPress(key);
}

void TDBMemo::DoExit() {
  FDataLink->UpdateRecord();
  TCustomMemo::DoExit();
}

// ---- TDBLookupComboBox --------------------------------------------------------------------------

class TDBLookupComboBox::TListLink : public TDataLink {
 public:
  explicit TListLink(TDBLookupComboBox* owner) : FOwner(owner) {}

 protected:
  void ActiveChanged() override { FOwner->ListChanged(); }
  void DataSetChanged() override { FOwner->ListChanged(); }
  void LayoutChanged() override { FOwner->ListChanged(); }
  // A move of the list's cursor changes no row of the list.
  void DataSetScrolled(int) override {}

 private:
  TDBLookupComboBox* FOwner;
};

TDBLookupComboBox::TDBLookupComboBox(TComponent* owner)
    : TCustomComboBox(owner),
      FDataLink(std::make_unique<TFieldDataLink>()),
      FListLink(std::make_unique<TListLink>(this)) {
  SetStyle(csDropDownList);
  FListLink->SetVisualControl(true);
  FDataLink->SetControl(this);
  FDataLink->SetVisualControl(true);
  FDataLink->OnDataChange = [this](TObject*) { DataChange(); };
}

TDBLookupComboBox::~TDBLookupComboBox() {
  FDataLink->SetDataSource(nullptr);
  FListLink->SetDataSource(nullptr);
}

TDataSource* TDBLookupComboBox::ListSource() const { return FListLink->DataSource(); }

void TDBLookupComboBox::SetListSource(TDataSource* value) {
  FListLink->SetDataSource(value);
  ListChanged();
}

void TDBLookupComboBox::SetKeyField(const String& value) {
  FKeyField = value;
  ListChanged();
}

void TDBLookupComboBox::SetListField(const String& value) {
  FListField = value;
  ListChanged();
}

void TDBLookupComboBox::ListChanged() {
  if (FReading) return;
  FKeys.clear();
  Items()->Clear();
  TDataSet* list = FListLink->DataSet();
  TField* key = nullptr;
  // The fields a row shows, named in ListField and separated by ";".
  std::vector<TField*> shown;
  if (FListLink->Active() && list && !FKeyField.empty()) {
    key = list->FindField(FKeyField);
    const String names = FListField.empty() ? FKeyField : FListField;
    size_t start = 0;
    while (start <= names.size()) {
      size_t end = names.find(u';', start);
      if (end == String::npos) end = names.size();
      if (TField* field = list->FindField(Trim(names.substr(start, end - start))))
        shown.push_back(field);
      start = end + 1;
    }
  }
  if (key && !shown.empty() && list->State() == dsBrowse) {
    // Walking the list moves its cursor: its other controls see nothing of it, and it comes back.
    FReading = true;
    list->DisableControls();
    try {
      const TBookmark current = list->GetBookmark();
      for (list->First(); !list->Eof(); list->Next()) {
        FKeys.push_back(key->Value());
        // The first field, then the others that hold a text, set apart by a dash.
        String text = shown[0]->DisplayText();
        for (size_t i = 1; i < shown.size(); ++i) {
          const String more = shown[i]->DisplayText();
          if (!more.empty()) text += u" \u2014 " + more;
        }
        Items()->Add(text);
      }
      if (!current.empty()) list->GotoBookmark(current);
    } catch (...) {
      list->EnableControls();
      FReading = false;
      throw;
    }
    list->EnableControls();
    FReading = false;
  }
  DataChange();
}

void TDBLookupComboBox::DataChange() {
  TField* field = FDataLink->Field();
  int index = -1;
  if (field && !field->IsNull()) {
    const Variant value = field->Value();
    for (size_t i = 0; i < FKeys.size(); ++i) {
      if (VarSameValue(FKeys[i], value)) {
        index = static_cast<int>(i);
        break;
      }
    }
  }
  SetItemIndex(index);
}

Variant TDBLookupComboBox::KeyValue() const {
  const int index = ItemIndex();
  if (index < 0 || index >= static_cast<int>(FKeys.size())) return Variant::Null();
  return FKeys[static_cast<size_t>(index)];
}

void TDBLookupComboBox::Select() {
  TField* field = FDataLink->Field();
  // The choice is taken before the dataset goes into edit, which shows the field's row again.
  const int chosen = ItemIndex();
  if (field && chosen >= 0 && chosen < static_cast<int>(FKeys.size()) && FDataLink->Edit()) {
    field->SetValue(FKeys[static_cast<size_t>(chosen)]);
  } else {
    // The dataset cannot take the choice: the field's row shows again.
    DataChange();
  }
  TCustomComboBox::Select();
}

// ---- TDBDateTimePicker --------------------------------------------------------------------------

TDBDateTimePicker::TDBDateTimePicker(TComponent* owner)
    : TDateTimePicker(owner), FDataLink(std::make_unique<TFieldDataLink>()) {
  FDataLink->SetControl(this);
  FDataLink->SetVisualControl(true);
  FDataLink->OnDataChange = [this](TObject*) { DataChange(); };
}

TDBDateTimePicker::~TDBDateTimePicker() { FDataLink->SetDataSource(nullptr); }

void TDBDateTimePicker::DataChange() {
  ::TField* field = FDataLink->Field();
  if (!field || field->IsNull()) return;
  FShowing = true;
  try {
    SetDateTime(field->AsDateTime());
  } catch (...) {
    FShowing = false;
    throw;
  }
  FShowing = false;
}

void TDBDateTimePicker::Change() {
  if (!FShowing) {
    ::TField* field = FDataLink->Field();
    // The pick is taken before the dataset goes into edit, which shows the field's value again.
    const TDateTime picked = DateTime();
    if (field && FDataLink->Edit()) {
      // The picker edits one part of the value: a date keeps the field's time of day, a time
      // keeps its date.
      const TDateTime old = field->IsNull() ? 0 : field->AsDateTime();
      TDateTime value = Kind() == dtkDate ? std::floor(picked) + (old - std::floor(old))
                                          : std::floor(old) + (picked - std::floor(picked));
      field->SetAsDateTime(value);
    } else {
      DataChange();
    }
  }
  TDateTimePicker::Change();
}
