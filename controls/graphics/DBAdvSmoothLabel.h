// The data-aware smooth label: its caption shows the display text of one field of the current
// record and follows the record; it never edits the field.
#pragma once

#include <memory>

#include "controls/graphics/AdvSmoothLabel.h"
#include "platform/db/DataLink.h"
#include "platform/db/DataSource.h"

class TDBAdvSmoothLabel : public TAdvSmoothLabel {
 public:
  explicit TDBAdvSmoothLabel(TComponent* owner);
  ~TDBAdvSmoothLabel() override;

  String DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& value) { FDataLink->SetFieldName(value); }
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* value);
  TFieldDataLink* DataLink() const { return FDataLink.get(); }

  void Dispatch(TMessage& message) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // The field's display text; '' without a field.
  String FieldText() const;
  void DataChange(TObject* sender);
  void UpdateData(TObject* sender);

  std::unique_ptr<TFieldDataLink> FDataLink;
};
