// TFieldDataLink: one field of the current record bound to a control.
#include "platform/db/DataLink.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"

void TFieldDataLink::SetFieldName(const String& value) {
  if (FFieldName == value) return;
  FFieldName = value;
  UpdateField();
}

bool TFieldDataLink::CanModify() const {
  return !ReadOnly() && FField && FField->CanModify();
}

bool TFieldDataLink::Edit() {
  if (CanModify()) TDataLink::Edit();
  return FEditing;
}

void TFieldDataLink::UpdateField() {
  TField* field = nullptr;
  if (Active() && !FFieldName.empty()) field = DataSet()->FindField(FFieldName);
  SetField(field);
}

void TFieldDataLink::SetField(TField* value) {
  if (FField == value) return;
  FField = value;
  EditingChanged();
  RecordChanged(nullptr);
}

void TFieldDataLink::SetEditingValue(bool value) {
  if (FEditing == value) return;
  FEditing = value;
  FModified = false;
  if (OnEditingChange) OnEditingChange(this);
}

void TFieldDataLink::ActiveChanged() {
  UpdateField();
  if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLink::EditingChanged() { SetEditingValue(TDataLink::Editing() && CanModify()); }

void TFieldDataLink::FocusControl(TField*& field) {
  if (field && field == FField && OnFocusControl && OnFocusControl(this)) field = nullptr;
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* field) {
  if (field && field != FField) return;
  if (OnDataChange) OnDataChange(this);
  FModified = false;
}

void TFieldDataLink::UpdateData() {
  if (!FModified) return;
  if (FField && OnUpdateData) OnUpdateData(this);
  FModified = false;
}
