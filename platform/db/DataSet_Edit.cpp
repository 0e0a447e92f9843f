// TDataSet: editing, inserting, posting, cancelling, deleting and refreshing.
#include <algorithm>

#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  switch (FState) {
    case dsEdit:
    case dsInsert:
      UpdateRecord();
      if (FModified)
        Post();
      else
        Cancel();
      break;
    case dsSetKey:
      Post();
      break;
    default:
      break;
  }
}

void TDataSet::UpdateRecord() {
  if (!dsWriteModes.Contains(FState)) DatabaseError(SNotEditing, this);
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::CheckOperation(const std::function<void()>& operation,
                              const TDataSetErrorEvent& onError) {
  for (;;) {
    try {
      operation();
      return;
    } catch (EDatabaseError& e) {
      TDataAction action = daFail;
      if (onError) onError(this, e, action);
      if (action == daFail) throw;
      if (action == daAbort) Abort();
    }
  }
}

void TDataSet::Edit() {
  if (FState == dsEdit || FState == dsInsert) return;
  if (FRecordCount == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeEdit();
  UpdateCursorPos();
  CheckOperation([this] { InternalEdit(); }, OnEditError);
  GetCalcFields(ActiveBuffer());
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  DoAfterEdit();
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeInsert();
}

void TDataSet::EndInsertAppend() {
  SetState(dsInsert);
  try {
    DoOnNewRecord();
  } catch (...) {
    UpdateCursorPos();
    SetState(dsBrowse);
    Resync(TResyncMode());
    throw;
  }
  FModified = false;
  DataEvent(deDataSetChange, 0);
  DoAfterInsert();
}

void TDataSet::Insert() {
  BeginInsertAppend();
  const TBookmark current = GetBookmark();
  // The new record takes the current record's slot; the records from there on move one slot
  // on, and in a full window the last one leaves it.
  for (int slot = FRecordCount; slot > FActiveRecord; --slot)
    std::swap(Slot(slot), Slot(slot - 1));
  if (FCurrentRecord >= FActiveRecord) ++FCurrentRecord;
  TRecordBuffer buffer = ActiveBuffer();
  InitRecord(buffer);
  if (FRecordCount == 0)
    SetBookmarkFlag(buffer, bfBOF);
  else if (!current.empty())
    SetBookmarkData(buffer, current.data());
  if (FRecordCount < FBufferCount) ++FRecordCount;
  if (FCurrentRecord >= FRecordCount) FCurrentRecord = -1;
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::Append() {
  BeginInsertAppend();
  ClearBuffers();
  TRecordBuffer buffer = Slot(0);
  InitRecord(buffer);
  SetBookmarkFlag(buffer, bfEOF);
  FRecordCount = 1;
  FBof = false;
  // The records before the end fill the window above the new record; Eof stays set.
  GetPriorRecords();
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::Post() {
  UpdateRecord();
  if (FState != dsEdit && FState != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  DoBeforePost();
  UpdateCursorPos();
  // A failing post leaves the state, the record and the modified flag as they were.
  CheckOperation([this] { InternalPost(); }, OnPostError);
  SetState(dsBrowse);
  Resync(TResyncMode());
  DoAfterPost();
}

void TDataSet::Cancel() {
  if (FState != dsEdit && FState != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  DoBeforeCancel();
  UpdateCursorPos();
  auto finish = [this] {
    SetState(dsBrowse);
    Resync(TResyncMode());
  };
  try {
    InternalCancel();
  } catch (...) {
    finish();
    throw;
  }
  finish();
  DoAfterCancel();
}

void TDataSet::Delete() {
  CheckActive();
  if (FState == dsInsert || FState == dsSetKey) {
    Cancel();
    return;
  }
  if (FRecordCount == 0) DatabaseError(SDataSetEmpty, this);
  DataEvent(deCheckBrowseMode, 0);
  DoBeforeDelete();
  DoBeforeScroll();
  UpdateCursorPos();
  CheckOperation([this] { InternalDelete(); }, OnDeleteError);
  SetState(dsBrowse);
  Resync(TResyncMode());
  DoAfterDelete();
  DoAfterScroll();
}

void TDataSet::Refresh() {
  DoBeforeRefresh();
  CheckBrowseMode();
  UpdateCursorPos();
  try {
    InternalRefresh();
  } catch (...) {
    Resync(TResyncMode());
    throw;
  }
  Resync(TResyncMode());
  DoAfterRefresh();
}

void TDataSet::InitRecord(TRecordBuffer buffer) {
  InternalInitRecord(buffer);
  ClearCalcFields(buffer);
  SetBookmarkFlag(buffer, bfInserted);
}

void TDataSet::ClearCalcFields(TRecordBuffer) {}

void TDataSet::InternalPost() { CheckRequiredFields(); }

void TDataSet::CheckRequiredFields() {
  for (TField* field : *FFields) {
    if (field->Required() && !field->ReadOnly() && field->FieldKind() == fkData &&
        field->IsNull()) {
      field->FocusControl();
      DatabaseErrorFmt(SFieldRequired, {field->DisplayName()});
    }
  }
}

void TDataSet::ClearFields() {
  if (!dsEditModes.Contains(FState)) DatabaseError(SNotEditing, this);
  DataEvent(deCheckBrowseMode, 0);
  InternalInitRecord(ActiveBuffer());
  if (FState != dsSetKey) GetCalcFields(ActiveBuffer());
  DataEvent(deRecordChange, 0);
}

void TDataSet::SetFields(std::initializer_list<Variant> values) {
  DisableControls();
  try {
    int index = 0;
    for (const Variant& value : values) FFields->Fields(index++)->AssignValue(value);
  } catch (...) {
    EnableControls();
    throw;
  }
  EnableControls();
}

void TDataSet::DoInsertAppend(bool append, std::initializer_list<Variant> values) {
  if (append)
    Append();
  else
    Insert();
  try {
    SetFields(values);
    Post();
  } catch (...) {
    // The record goes in whole or not at all.
    Cancel();
    throw;
  }
}

void TDataSet::AppendRecord(std::initializer_list<Variant> values) { DoInsertAppend(true, values); }

void TDataSet::InsertRecord(std::initializer_list<Variant> values) {
  DoInsertAppend(false, values);
}
