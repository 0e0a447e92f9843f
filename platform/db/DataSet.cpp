// TDataSet: life cycle, states, events and the data sources it notifies.
#include "platform/db/DataSet.h"

#include <algorithm>

#include "platform/db/DBConsts.h"
#include "platform/db/DataLink.h"
#include "platform/db/DataSource.h"
#include "platform/db/FieldDefs.h"
#include "platform/db/Fields.h"
#include "platform/db/FieldsObject.h"

TDataSet::TDataSet(TComponent* owner)
    : TComponent(owner),
      FFields(std::make_unique<TFields>(this)),
      FFieldDefs(std::make_unique<TFieldDefs>(this)),
      FFieldDefList(std::make_unique<TFieldDefList>(this)),
      FFieldList(std::make_unique<TFieldList>(this)),
      FIndexDefs(std::make_unique<TIndexDefs>(this)) {
  FFields->OnChange = [this] {
    FFieldList->Invalidate();
    DataEvent(deFieldListChange, 0);
  };
}

TDataSet::~TDataSet() {
  // A descendant closes in its own destructor or through Free(): here its virtual functions are
  // gone, so only the links can still be told.
  if (FState != dsInactive) {
    FState = dsInactive;
    for (TDataSource* source : std::vector<TDataSource*>(FDataSources)) source->UpdateState();
  }
  SetDataSetField(nullptr);
  while (!FNestedDataSets.empty()) FNestedDataSets.back()->SetDataSetField(nullptr);
  while (!FDataSources.empty()) FDataSources.back()->SetDataSet(nullptr);
  DestroyFields();
}

void TDataSet::BeforeDestruction() {
  TComponent::BeforeDestruction();
  Close();
}

void TDataSet::SetActive(bool value) {
  if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading)) {
    FStreamedActive = value;
    return;
  }
  if (Active() == value) return;
  const bool destroying = ComponentState().Contains(csDestroying);
  if (value) {
    DoBeforeOpen();
    try {
      OpenCursor(false);
      SetState(dsBrowse);
    } catch (...) {
      SetState(dsInactive);
      CloseCursor();
      throw;
    }
    DoAfterOpen();
    if (!IsEmpty()) DoAfterScroll();
  } else {
    if (!destroying) DoBeforeClose();
    SetState(dsInactive);
    CloseCursor();
    if (!destroying) DoAfterClose();
  }
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (FStreamedActive) {
    FStreamedActive = false;
    SetActive(true);
  }
}

void TDataSet::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  for (TField* field : *FFields) {
    if (field->FLookupDataSet == component) field->FLookupDataSet = nullptr;
  }
}

void TDataSet::OpenCursor(bool infoQuery) {
  if (infoQuery)
    InternalInitFieldDefs();
  else if (FState != dsOpening)
    DoInternalOpen();
}

void TDataSet::DoInternalOpen() {
  FDefaultFields = FFields->Count() == 0;
  InternalOpen();
  // The window is filled and positioned on the first record before anyone hears of the opening.
  AllocateBuffers();
  FBof = true;
}

void TDataSet::CloseCursor() {
  FBlockReadSize = 0;
  FreeBuffers();
  if (IsCursorOpen()) InternalClose();
  FBof = true;
  FEof = true;
}

void TDataSet::AllocateBuffers() {
  FFirstBuffer = 0;
  FBufferCount = 0;
  FRecordCount = 0;
  FActiveRecord = 0;
  FCurrentRecord = -1;
  SetBufferCount(LinkBufferCount());
}

void TDataSet::FreeBuffers() {
  for (TRecordBuffer& buffer : FBuffers) {
    if (buffer) FreeRecordBuffer(buffer);
  }
  FBuffers.clear();
  FFirstBuffer = 0;
  FCalcBuffer = nullptr;
  FBufferCount = 0;
  FRecordCount = 0;
  FActiveRecord = 0;
  FCurrentRecord = -1;
}

// ---- States.

void TDataSet::SetState(TDataSetState value) {
  if (FState == value) return;
  FState = value;
  FModified = false;
  DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState value) {
  TDataSetState previous = FState;
  FState = value;
  ++FDisableCount;
  return previous;
}

void TDataSet::RestoreState(TDataSetState value) {
  FState = value;
  --FDisableCount;
}

void TDataSet::CheckActive() {
  if (FState == dsInactive) DatabaseError(SDataSetClosed, this);
}

void TDataSet::CheckInactive() {
  if (!Active()) return;
  if (ComponentState().Contains(csDesigning) && ComponentState().Contains(csUpdating)) {
    Close();
    return;
  }
  DatabaseError(SDataSetOpen, this);
}

void TDataSet::CheckBiDirectional() {
  if (FUniDirectional) DatabaseError(SDataSetUnidirectional, this);
}

void TDataSet::CheckCanModify() {
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
}

void TDataSet::SetSparseArrays(bool value) {
  CheckInactive();
  FSparseArrays = value;
}

void TDataSet::SetObjectView(bool value) {
  CheckInactive();
  FObjectView = value;
}

void TDataSet::SetBlockReadSize(int value) {
  if (value > 0) {
    CheckActive();
    CheckBrowseMode();
    FBlockReadSize = value;
    SetState(dsBlockRead);
  } else {
    FBlockReadSize = 0;
    if (FState == dsBlockRead) {
      SetState(dsBrowse);
      // The links were silent while the records streamed past: show them where the cursor is.
      Resync(TResyncMode());
    }
  }
}

// ---- Controls and events.

void TDataSet::DisableControls() {
  if (FDisableCount == 0) {
    FDisableState = FState;
    FEnableEvent = deDataSetChange;
  }
  ++FDisableCount;
}

void TDataSet::EnableControls() {
  if (FDisableCount == 0) return;
  if (--FDisableCount != 0) return;
  if (FDisableState != FState) DataEvent(deUpdateState, 0);
  if (FDisableState != dsInactive && FState != dsInactive) DataEvent(FEnableEvent, 0);
}

void TDataSet::DataEvent(TDataEvent event, intptr_t info) {
  switch (event) {
    case deFieldChange: {
      TField* field = reinterpret_cast<TField*>(info);
      if (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc) SetModified(true);
      field->Change();
      if (FCalcFieldsSize > 0 || FInternalCalcFields) UpdateCalcFields();
      break;
    }
    case deFieldListChange:
      FFieldList->Invalidate();
      break;
    case dePropertyChange:
      FFieldDefs->SetUpdated(false);
      FFieldDefList->Invalidate();
      break;
    default:
      break;
  }
  if (!ControlsDisabled() && FState != dsBlockRead) {
    // Most datasets posted through code have nobody to tell: the copy of the lists waits.
    if (!FDataSources.empty() || !FNestedDataSets.empty()) NotifyDataSources(event, info);
  } else if ((event == deUpdateState && FState == dsInactive) || event == deLayoutChange) {
    FEnableEvent = deLayoutChange;
  }
}

void TDataSet::NotifyDataSources(TDataEvent event, intptr_t info) {
  // A source may leave (or a nested dataset go) while an earlier one handles the event.
  const std::vector<TDataSource*> sources = FDataSources;
  for (TDataSource* source : sources) {
    if (std::find(FDataSources.begin(), FDataSources.end(), source) != FDataSources.end())
      source->DataEvent(event, info);
  }
  if (event == deDataSetChange || event == deDataSetScroll || event == deLayoutChange) {
    for (TDataSet* nested : std::vector<TDataSet*>(FNestedDataSets)) {
      if (nested->Active()) nested->DataEvent(deParentScroll, 0);
    }
  }
}

void TDataSet::AddDataSource(TDataSource* dataSource) {
  FDataSources.push_back(dataSource);
  dataSource->FDataSet = this;
  UpdateBufferCount();
  dataSource->DataEvent(deUpdateState, 0);
}

void TDataSet::RemoveDataSource(TDataSource* dataSource) {
  dataSource->FDataSet = nullptr;
  FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), dataSource),
                     FDataSources.end());
  dataSource->DataEvent(deUpdateState, 0);
  UpdateBufferCount();
}

bool TDataSet::IsLinkedTo(TDataSource* dataSource) {
  return dataSource && dataSource->IsLinkedTo(this);
}

void TDataSet::GetDetailLinkFields(std::vector<TField*>& masterFields,
                                   std::vector<TField*>& detailFields) {
  masterFields.clear();
  detailFields.clear();
}

void TDataSet::AssignTo(TPersistent* dest) { TComponent::AssignTo(dest); }

// ---- Filter properties: the base stores them; a descendant applies them to its records.

void TDataSet::SetFiltered(bool value) {
  if (Active()) {
    CheckBrowseMode();
    if (FFiltered != value) {
      FFiltered = value;
      First();
    }
  } else {
    FFiltered = value;
  }
}

void TDataSet::SetFilterText(const String& value) {
  if (Active() && FFiltered) {
    CheckBrowseMode();
    FFilterText = value;
    First();
  } else {
    FFilterText = value;
  }
}

void TDataSet::SetFilterOptions(TFilterOptions value) {
  if (Active()) CheckBrowseMode();
  FFilterOptions = value;
}

void TDataSet::SetOnFilterRecord(const TFilterRecordEvent& value) {
  if (Active()) CheckBrowseMode();
  FOnFilterRecord = value;
  if (Active() && FFiltered) First();
}
