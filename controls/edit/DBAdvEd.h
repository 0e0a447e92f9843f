// The data-aware enhanced edit: shows one field of a dataset's current record, puts the dataset
// into edit state when the user starts to change the value, and writes the value into the field
// when the link asks for it (on leaving the edit and when the dataset posts).
#pragma once

#include <memory>

#include "controls/edit/AdvEdit.h"
#include "platform/db/DataLink.h"
#include "platform/db/DataSource.h"

class TDBAdvEdit : public TAdvEdit {
 public:
  explicit TDBAdvEdit(TComponent* owner);
  ~TDBAdvEdit() override;

  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* value);
  const String& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& value);
  // The link's read-only flag (False while no data source is set).
  bool ReadOnly() const { return FDataLink->DataSource() && FDataLink->ReadOnly(); }
  void SetReadOnly(bool value) { FDataLink->SetReadOnly(value); }
  // A record that enters insert state shows an empty value ("0" for numbers).
  bool ClearOnInsert = false;
  TField* Field() const { return FDataLink->Field(); }
  TFieldDataLink* DataLink() const { return FDataLink.get(); }
  String Version() const { return u"3.1.0.2"; }

  void Dispatch(TMessage& message) override;

 protected:
  // Whether the value may change: no data source, or the link could start an edit.
  virtual bool EditCanModify();
  TAdvEditType InputType() const override;
  void Change() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void DoEnter() override;
  void ExitAfterFormatting() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void DataChange(TObject* sender);
  void UpdateData(TObject* sender);
  void ActiveChange(TObject* sender);
  void ResetMaxLength();
  // A numeric edit on a float, currency or BCD field reads, types and writes a decimal number.
  bool FloatField() const;
  bool Inserting() const;

  std::unique_ptr<TFieldDataLink> FDataLink;
  bool FEditingByKey = false;
  bool FEntered = false;
  TDataSetState FOldState = dsInactive;
};
