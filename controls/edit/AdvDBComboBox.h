// The data-aware combo box with stored values: each item has a value kept in the field (item
// "Not Active" stored as "2"); the field's value selects the item whose stored value it is, and
// choosing an item writes that item's stored value.
#pragma once

#include <memory>
#include <vector>

#include "controls/edit/AdvCombo.h"
#include "platform/db/DataLink.h"
#include "platform/db/DataSource.h"
#include "platform/gdi/ImgList.h"

// The items with a stored value beside each; an item without one stores its own text. The stored
// values follow their items through every insertion, deletion, exchange, move and sort.
class TAdvDBComboBoxStrings : public TListControlStrings {
 public:
  void Clear() override;
  void Delete(int index) override;
  void Exchange(int index1, int index2) override;
  void Move(int curIndex, int newIndex) override;
  void CustomSort(const TStringListSortCompare& compare) override;
  void Assign(TPersistent* source) override;
  // Gives the next item without a stored value this one (items added later take the values
  // given before them in order).
  void AddStored(const String& value);
  void SetStored(int index, const String& value);
  // The value item i stores: its stored value, or its text when it has none.
  String StoredOfItem(int index) const;
  // The first item whose stored value this is, ignoring case; -1 when none.
  int IndexOfStored(const String& value) const;
  int StoredCount() const { return static_cast<int>(FStored.size()); }

 protected:
  void InsertItem(int index, const String& s, TObject* object) override;

 private:
  std::vector<String> FStored;
};

class TAdvDBComboBox : public TAdvCustomCombo {
 public:
  explicit TAdvDBComboBox(TComponent* owner);
  ~TAdvDBComboBox() override;

  TAdvDBComboBoxStrings* ComboItems() const;
  void SetItems(TStrings* value);
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* value);
  const String& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& value) { FDataLink->SetFieldName(value); }
  bool ReadOnly() const { return FDataLink->ReadOnly(); }
  void SetReadOnly(bool value) { FDataLink->SetReadOnly(value); }
  const String& LabelField() const { return FLabelField; }
  void SetLabelField(const String& value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* value);
  bool ShowImages() const { return FShowImages; }
  void SetShowImages(bool value);
  // Raises for csSimple on a fixed data source and for a plain style while images are shown.
  void SetStyle(TComboBoxStyle value);
  TField* Field() const { return FDataLink->Field(); }
  TFieldDataLink* DataLink() const { return FDataLink.get(); }
  String Version() const override { return u"1.0.1.1"; }
  uint32_t GetVersionNr() const override { return 0x01000101; }

  // The item text of a stored value, or the value itself when no item stores it.
  String DisplayOfStored(const String& value) const;
  String GetComboText();
  void SetComboText(const String& text);

  void Dispatch(TMessage& message) override;

 protected:
  void Change() override;
  void Click() override;
  void DropDown() override;
  void CloseUp() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void DoExit() override;
  void DrawItem(int index, TRect rect, TOwnerDrawState state) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void DataChange(TObject* sender);
  void UpdateData(TObject* sender);
  void EditingChange(TObject* sender);
  void ActiveChange(TObject* sender);
  void UpdateLabelField();
  void SetEditReadOnly();

  std::unique_ptr<TFieldDataLink> FDataLink;
  String FLabelField;
  TCustomImageList* FImages = nullptr;
  bool FShowImages = false;
};
