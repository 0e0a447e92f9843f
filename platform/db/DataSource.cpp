#include "platform/db/DataSource.h"

#include <algorithm>

#include "platform/db/DBConsts.h"
#include "platform/db/DataLink.h"
#include "platform/db/DataSet.h"

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  // Links outlive their source in many forms: leave each of them without one.
  while (!FDataLinks.empty()) RemoveDataLink(FDataLinks.back());
  SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* value) {
  if (value == FDataSet) return;
  if (IsLinkedTo(value)) DatabaseError(SCircularDataLink, this);
  if (FDataSet) {
    FDataSet->RemoveFreeNotification(this);
    FDataSet->RemoveDataSource(this);
  }
  if (value) {
    value->AddDataSource(this);
    value->FreeNotification(this);
  }
}

void TDataSource::SetEnabled(bool value) {
  FEnabled = value;
  UpdateState();
}

void TDataSource::Edit() {
  if (FAutoEdit && FState == dsBrowse && FDataSet) FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* dataSet) const {
  // Walk from the dataset through its master sources; reaching this source closes a circle.
  int guard = 0;
  while (dataSet && guard++ < 1000) {
    TDataSource* source = dataSet->GetDataSource();
    if (source == this) return true;
    dataSet = source ? source->DataSet() : nullptr;
  }
  return false;
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FDataSet) SetDataSet(nullptr);
}

void TDataSource::AddDataLink(TDataLink* link) {
  FDataLinks.push_back(link);
  link->FDataSource = this;
  if (FDataSet) FDataSet->UpdateBufferCount();
  link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* link) {
  link->FDataSource = nullptr;
  FDataLinks.erase(std::remove(FDataLinks.begin(), FDataLinks.end(), link), FDataLinks.end());
  link->UpdateState();
  if (FDataSet) FDataSet->UpdateBufferCount();
}

bool TDataSource::HasDataLink(const TDataLink* link) const {
  return std::find(FDataLinks.begin(), FDataLinks.end(), link) != FDataLinks.end();
}

void TDataSource::NotifyDataLinks(TDataEvent event, intptr_t info) {
  // A link may add or remove links (even itself) while it handles the event: walk a copy and
  // skip those that left meanwhile.
  const std::vector<TDataLink*> links = FDataLinks;
  for (TDataLink* link : links) {
    if (HasDataLink(link)) link->DataEvent(event, info);
  }
}

void TDataSource::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (FState == dsInactive) return;
  NotifyDataLinks(event, info);
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (OnDataChange) OnDataChange(this, reinterpret_cast<TField*>(info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (OnDataChange) OnDataChange(this, nullptr);
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData(this);
      break;
    default:
      break;
  }
}

void TDataSource::UpdateState() {
  if (FEnabled && FDataSet)
    SetState(FDataSet->State());
  else
    SetState(dsInactive);
}

void TDataSource::SetState(TDataSetState value) {
  if (FState == value) return;
  TDataSetState prior = FState;
  FState = value;
  NotifyDataLinks(deUpdateState, 0);
  if (ComponentState().Contains(csDestroying)) return;
  if (OnStateChange) OnStateChange(this);
  if (prior == dsInactive && OnDataChange) OnDataChange(this, nullptr);
}
