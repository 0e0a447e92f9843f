// TMemDataSet: inserting, editing, posting, cancelling and deleting through the store, and the
// store's change hooks handed to the updater. The store calls a hook before it changes its
// records, so an updater that fails leaves the store as it was and the dataset in its edit state.
#include <cstring>

#include "Common/DBAccess_HotCast.h"
#include "Common/MemDS.h"

namespace {

// A default expression written as a quoted text stands for the text.
String UnquoteDefault(const String& expression) {
  if (expression.size() < 2 || expression.front() != u'\'' || expression.back() != u'\'')
    return expression;
  String text;
  for (size_t i = 1; i + 1 < expression.size(); ++i) {
    text += expression[i];
    if (expression[i] == u'\'' && i + 2 < expression.size() && expression[i + 1] == u'\'') ++i;
  }
  return text;
}

}  // namespace

// ---- The updater's share of an edit.

TDataSetUpdater* TMemDataSet::Updater() {
  return FDataSetService ? FDataSetService->Updater() : nullptr;
}

template <class Call>
void TMemDataSet::KeepModified(Call call) {
  // The updater may read and write fields of the record; the user's edit stays "modified".
  const bool modified = Modified();
  try {
    call();
  } catch (...) {
    SetModified(modified);
    throw;
  }
  SetModified(modified);
}

void TMemDataSet::DoPerformAppend() {
  if (TDataSetUpdater* updater = Updater()) KeepModified([updater] { updater->PerformAppend(); });
}

void TMemDataSet::DoPerformDelete() {
  if (TDataSetUpdater* updater = Updater()) KeepModified([updater] { updater->PerformDelete(); });
}

void TMemDataSet::DoPerformUpdate() {
  if (TDataSetUpdater* updater = Updater()) KeepModified([updater] { updater->PerformUpdate(); });
}

void TMemDataSet::PerformPost() {
  if (State() == dsEdit)
    DoPerformUpdate();
  else
    DoPerformAppend();
}

// ---- Insert and edit.

void TMemDataSet::InternalInsert() { FInserting = true; }

void TMemDataSet::InternalEdit() {
  FreeRefComplexFields(ActiveBuffer());
  // The stored record gets copies of its variant and heap values; the buffer edits the originals.
  FData->EditRecord(ActiveBuffer());
  FEditing = true;
}

void TMemDataSet::ApplyDefaultValues() {
  FFillingDefaults = true;
  try {
    for (TField* field : *Fields()) {
      if (!field->DefaultExpression().empty())
        field->SetAsString(UnquoteDefault(field->DefaultExpression()));
    }
  } catch (...) {
    FFillingDefaults = false;
    throw;
  }
  FFillingDefaults = false;
}

void TMemDataSet::DoOnNewRecord() {
  try {
    ApplyDefaultValues();
    TDataSet::DoOnNewRecord();
  } catch (...) {
    InternalCancel();
    throw;
  }
  CopyMasterValues();
}

// ---- Post.

void TMemDataSet::InternalPost() {
  TDataSet::InternalPost();
  TRecordBuffer buffer = ActiveBuffer();
  for (TField* field : *Fields()) {
    auto* blobField = HotCast<TBlobField>(field);
    if (!blobField || field->FieldNo() <= 0) continue;
    TFieldDesc* desc = GetFieldDesc(field);
    if (!desc || !FData->IsBlobFieldType(desc->DataType())) continue;
    TBlob* blob = FData->GetBlobObject(desc->FieldNo(), buffer);
    if (blob && blob->HasRollback()) blobField->SetModified(true);
  }
  if (State() == dsEdit)
    FData->PostRecord(buffer);
  else
    FData->InsertRecord(buffer);
  FInserting = false;
  FEditing = false;
  ResetBlobsModified();
}

void TMemDataSet::ResetBlobsModified() {
  for (TField* field : *Fields())
    if (auto* blobField = HotCast<TBlobField>(field)) blobField->SetModified(false);
}

void TMemDataSet::InternalAddRecord(TRecordBuffer buffer, bool append) {
  if (append)
    FData->AppendRecord(buffer);
  else
    FData->InsertRecord(buffer);
}

// ---- Delete.

void TMemDataSet::InternalDelete() {
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
  FData->DeleteRecord();
  FInserting = false;
  FEditing = false;
}

// ---- Cancel.

void TMemDataSet::Cancel() {
  if ((State() != dsEdit && State() != dsInsert) || !FData->HasComplexFields()) {
    TDataSet::Cancel();
    return;
  }
  // The values the cancelled buffer points to stay alive until the window is read again: links
  // may still show the record while the platform cancels.
  TRecordBuffer keeper = AllocRecordBuffer();
  std::memcpy(keeper, ActiveBuffer(), static_cast<size_t>(FRecBufSize));
  FData->AddRefComplexFields(keeper);
  SetRefComplexFields(keeper);
  try {
    TDataSet::Cancel();
  } catch (...) {
    FreeRecordBuffer(keeper);
    throw;
  }
  FreeRecordBuffer(keeper);
}

void TMemDataSet::InternalCancel() {
  TRecordBuffer buffer = ActiveBuffer();
  if (buffer && FData->HasComplexFields()) {
    if (FEditing)
      FData->RevertBlobs(buffer);
    else if (FInserting)
      FData->FreeComplexFields(buffer, true);
  }
  FInserting = false;
  FEditing = false;
  ResetBlobsModified();
}
