// The dataset component's posting steps: each wraps the in-memory step with what the updater
// prepares as the dataset enters insert, edit or delete, and with the connect request the
// updater may hold until the change is posted or cancelled. The parameters the updater fills
// from the record are written here too, since only the dataset knows its buffers.
#include "Common/DBAccess.h"
#include "Common/DBAccess_Updater.h"
#include "platform/db/Fields.h"

TDADataSetUpdater* TCustomDADataSet::DAUpdater() {
  return static_cast<TDADataSetUpdater*>(DataSetService()->Updater());
}

void TCustomDADataSet::DoBeforeUpdateExecute(TStatementTypes statementTypes, TDAParams* params) {
  if (BeforeUpdateExecute) BeforeUpdateExecute(this, statementTypes, params);
}

void TCustomDADataSet::DoAfterUpdateExecute(TStatementTypes statementTypes, TDAParams* params) {
  if (AfterUpdateExecute) AfterUpdateExecute(this, statementTypes, params);
}

void TCustomDADataSet::InternalInsert() {
  TDADataSetUpdater* updater = DAUpdater();
  bool needsConnection = updater->NeedsConnectionOnInsert();
  if (needsConnection) AcquireConnection(true);
  try {
    updater->PrepareInsert();
    TMemDataSet::InternalInsert();
  } catch (...) {
    if (needsConnection) ReleaseConnection();
    throw;
  }
}

void TCustomDADataSet::InternalEdit() {
  TDADataSetUpdater* updater = DAUpdater();
  bool needsConnection = updater->NeedsConnectionOnEdit();
  if (needsConnection) AcquireConnection(true);
  try {
    updater->PrepareEdit();
    TMemDataSet::InternalEdit();
  } catch (...) {
    if (needsConnection) ReleaseConnection();
    throw;
  }
}

void TCustomDADataSet::InternalDelete() {
  DAUpdater()->PrepareDelete();
  TMemDataSet::InternalDelete();
}

void TCustomDADataSet::InternalCancel() {
  TDADataSetUpdater* updater = DAUpdater();
  // Asked before the state changes: the request was taken for this insert or edit.
  bool needsConnection = updater->NeedsConnection();
  try {
    try {
      updater->CancelEdit();
    } catch (...) {
      TMemDataSet::InternalCancel();
      throw;
    }
    TMemDataSet::InternalCancel();
  } catch (...) {
    if (needsConnection) ReleaseConnection();
    throw;
  }
  if (needsConnection) ReleaseConnection();
}

void TCustomDADataSet::InternalPost() {
  TDADataSetUpdater* updater = DAUpdater();
  bool needsConnection = updater->NeedsConnection();
  try {
    TMemDataSet::InternalPost();
    CheckDetailLinkAfterPost();
  } catch (...) {
    if (needsConnection) ReleaseConnection();
    throw;
  }
  if (needsConnection) ReleaseConnection();
}

// ---- Parameters from fields.

bool TCustomDADataSet::SetParamObject(TDAParam* param, TSharedObject* object) {
  bool changed = param->ParamObject() != object || object == nullptr;
  if (object != nullptr) {
    param->SetParamObject(object);
  } else {
    auto* blob = new TBlob();
    param->SetParamObject(blob);
    TSharedObject::Release(blob);  // the parameter holds the one reference
  }
  return changed;
}

void TCustomDADataSet::CopyFieldToParam(TDAParam* param, TField* field, bool old) {
  TFieldDesc* desc = GetFieldDesc(field);
  if (TDAParam::IsBlobDataType(field->DataType()) && desc != nullptr &&
      Data()->IsBlobFieldType(desc->DataType())) {
    param->SetDataType(field->DataType());
    SetParamObject(param, GetBlob(field));
  } else {
    param->SetDataType(field->DataType());
    param->SetValue(old ? field->OldValue() : field->Value());
  }
  if (desc != nullptr) {
    param->SetSubDataType(static_cast<int16_t>(desc->SubDataType()));
    param->SetDAParamSize(desc->Length());
  }
}

void TCustomDADataSet::CopyFieldDescToParam(TDAParam* param, TFieldDesc* fieldDesc, bool old) {
  param->SetDataType(GetFieldType(fieldDesc->DataType()));
  TRecordBuffer buffer = GetActiveRecBuf();
  if (Data()->IsBlobFieldType(fieldDesc->DataType())) {
    SetParamObject(param, buffer != nullptr ? GetBlobOfDesc(fieldDesc) : nullptr);
  } else {
    // A descriptor without a field object has no old-value view of its own: the record store
    // keeps the value from before the edit in the stored record, which the field layer reads.
    Variant value = Variant::Null();
    if (buffer != nullptr) {
      TField* field = nullptr;
      for (TField* f : *Fields())
        if (f->FieldNo() == fieldDesc->FieldNo()) field = f;
      value = old && field != nullptr ? field->OldValue()
                                      : Data()->GetFieldAsVariant(fieldDesc->FieldNo(), buffer);
    }
    if (value.IsNull())
      param->Clear();
    else
      param->SetValue(value);
  }
  param->SetSubDataType(static_cast<int16_t>(fieldDesc->SubDataType()));
  param->SetDAParamSize(fieldDesc->Length());
}
