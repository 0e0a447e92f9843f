// Data-aware controls: each shows one field of its data source's current record and, while the
// dataset edits (or can be put into edit), writes the user's change back into that field.
//   TDBMemo              a multi-line text field;
//   TDBLookupComboBox    a reference to a row of another dataset: shows the ListField of the row
//                        of ListSource whose KeyField equals the field (several fields, named
//                        with ";" between them, show side by side), and a choice writes the
//                        chosen row's key;
//   TDBDateTimePicker    a date or time field in the date picker.
#pragma once

#include <vector>

#include "platform/db/DataLink.h"
#include "platform/rtl/Variant.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"

class TDataSource;

class TDBMemo : public TCustomMemo {
 public:
  explicit TDBMemo(TComponent* owner);
  ~TDBMemo() override;
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* value) { FDataLink->SetDataSource(value); }
  const String& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& value) { FDataLink->SetFieldName(value); }
  TField* Field() const { return FDataLink->Field(); }

 protected:
  void Change() override;
  void KeyPress(char16_t& key) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void DoExit() override;

 private:
  void DataChange();
  std::unique_ptr<TFieldDataLink> FDataLink;
  bool FShowing = false;  // the field's value is being shown, not typed
};

class TDBLookupComboBox : public TCustomComboBox {
 public:
  explicit TDBLookupComboBox(TComponent* owner);
  ~TDBLookupComboBox() override;
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* value) { FDataLink->SetDataSource(value); }
  const String& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& value) { FDataLink->SetFieldName(value); }
  TField* Field() const { return FDataLink->Field(); }
  TDataSource* ListSource() const;
  void SetListSource(TDataSource* value);
  const String& KeyField() const { return FKeyField; }
  void SetKeyField(const String& value);
  const String& ListField() const { return FListField; }
  void SetListField(const String& value);
  // The key of the row shown; Null when the field matches no row.
  Variant KeyValue() const;

 protected:
  void Select() override;

 private:
  class TListLink;
  // Reads the list's rows (their keys and shown texts) again.
  void ListChanged();
  // Shows the row whose key is the field's value.
  void DataChange();

  std::unique_ptr<TFieldDataLink> FDataLink;
  std::unique_ptr<TListLink> FListLink;
  String FKeyField;
  String FListField;
  std::vector<Variant> FKeys;
  bool FReading = false;
};

class TDBDateTimePicker : public TDateTimePicker {
 public:
  explicit TDBDateTimePicker(TComponent* owner);
  ~TDBDateTimePicker() override;
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* value) { FDataLink->SetDataSource(value); }
  const String& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& value) { FDataLink->SetFieldName(value); }
  ::TField* Field() const { return FDataLink->Field(); }

 protected:
  void Change() override;

 private:
  void DataChange();
  std::unique_ptr<TFieldDataLink> FDataLink;
  bool FShowing = false;
};
