#include "platform/db/DataLink.h"

#include <algorithm>

#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  FDataSourceFixed = false;
  if (FDataSource) FDataSource->RemoveDataLink(this);
}

void TDataLink::SetDataSource(TDataSource* value) {
  if (value == FDataSource) return;
  if (FDataSourceFixed) DatabaseError(SDataSourceChange, value);
  if (FDataSource) FDataSource->RemoveDataLink(this);
  if (value) value->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool value) {
  if (FReadOnly == value) return;
  FReadOnly = value;
  UpdateState();
}

void TDataLink::SetBufferCount(int value) {
  if (value < 1) value = 1;
  if (FBufferCount == value) return;
  FBufferCount = value;
  if (FActive) {
    DataSet()->UpdateBufferCount();
    UpdateRange();
  }
}

int TDataLink::ClampFirst(int first) const {
  // Keep the current record inside the link's window and, where the dataset's window allows,
  // fill the link's window with records.
  const TDataSet* ds = DataSet();
  int active = ds->FActiveRecord;
  int lowest = std::max(0, active - FBufferCount + 1);
  int highest = std::min(active, std::max(0, ds->FRecordCount - FBufferCount));
  return std::clamp(first, lowest, std::max(lowest, highest));
}

int TDataLink::FirstRecord() const {
  if (!FActive || FDataSource->State() == dsSetKey) return 0;
  return ClampFirst(FFirstRecord);
}

void TDataLink::UpdateRange() { FFirstRecord = ClampFirst(FFirstRecord); }

int TDataLink::ActiveRecord() const {
  if (!FActive || FDataSource->State() == dsSetKey) return 0;
  return DataSet()->FActiveRecord - FirstRecord();
}

void TDataLink::SetActiveRecord(int value) {
  if (!FActive || FDataSource->State() == dsSetKey) return;
  TDataSet* ds = DataSet();
  int slot = FirstRecord() + value;
  if (slot < 0 || slot >= std::max(ds->FBufferCount, 1))
    DatabaseErrorFmt(SRecordIndexError, {value}, ds);
  ds->SetActiveRecord(slot);
}

int TDataLink::RecordCount() const {
  if (!FActive) return 0;
  return std::clamp(DataSet()->FRecordCount - FirstRecord(), 0, FBufferCount);
}

bool TDataLink::Edit() {
  if (!FReadOnly && FDataSource) FDataSource->Edit();
  return FEditing;
}

void TDataLink::UpdateRecord() {
  FUpdating = true;
  try {
    UpdateData();
  } catch (...) {
    FUpdating = false;
    throw;
  }
  FUpdating = false;
}

bool TDataLink::Bof() const { return DataSet() ? DataSet()->Bof() : true; }
bool TDataLink::Eof() const { return DataSet() ? DataSet()->Eof() : true; }
int TDataLink::MoveBy(int distance) { return DataSet()->MoveBy(distance); }

void TDataLink::DataSetScrolled(int) { DataSetChanged(); }

void TDataLink::FocusControl(TField*&) {}

void TDataLink::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!FActive) return;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!FUpdating) RecordChanged(reinterpret_cast<TField*>(info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
      // The dataset moved this link's first slot along with the buffers it shifted; what is
      // left is how far the link's window must slide to keep the current record in view.
      int distance = 0;
      if (FDataSource->State() != dsSetKey) {
        int first = ClampFirst(FFirstRecord);
        distance = first - FFirstRecord;
        FFirstRecord = first;
      }
      if (event == deDataSetChange)
        DataSetChanged();
      else if (event == deDataSetScroll)
        DataSetScrolled(distance);
      else
        LayoutChanged();
      break;
    }
    case deUpdateRecord:
      UpdateRecord();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl:
      FocusControl(*reinterpret_cast<TField**>(info));
      break;
    default:
      break;
  }
}

void TDataLink::UpdateState() {
  SetActive(FDataSource && FDataSource->State() != dsInactive);
  SetEditing(FDataSource && dsEditModes.Contains(FDataSource->State()) && !FReadOnly);
}

void TDataLink::SetActive(bool value) {
  if (FActive == value) return;
  FActive = value;
  if (value)
    UpdateRange();
  else
    FFirstRecord = 0;
  ActiveChanged();
}

void TDataLink::SetEditing(bool value) {
  if (FEditing == value) return;
  FEditing = value;
  EditingChanged();
}
