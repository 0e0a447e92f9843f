// TMemDataSet: the local filter (the filter text and OnFilterRecord, which the store applies to
// its records), the find operations, and the store's sort order.
#include "Common/MemDS.h"
#include "platform/rtl/StrUtils.h"

// ---- Installing the filter in the store.

// A dataset whose store comes with its record set (a provider's dataset before its first open) has
// none yet: the settings stay with the dataset, and the store takes them when the dataset opens.
void TMemDataSet::ActivateFilters() {
  if (!FData) return;
  DeactivateFilters();
  if (OnFilterRecord())
    FData->SetFilterFunc([this](uint8_t* recBuf) { return RecordFilter(recBuf); });
  if (!Trim(Filter()).empty()) FData->SetFilterText(Filter());
  FData->SetFilterCaseInsensitive(FilterOptions().Contains(foCaseInsensitive));
  FData->SetFilterNoPartialCompare(FilterOptions().Contains(foNoPartialCompare));
}

void TMemDataSet::DeactivateFilters() {
  if (!FData) return;
  FData->SetFilterFunc(nullptr);
  FData->SetFilterText(String());
}

bool TMemDataSet::RecordFilter(uint8_t* recBuf) {
  const TDataSetState saved = SetTempState(dsFilter);
  TRecordBuffer previous = FFilterBuffer;
  FFilterBuffer = recBuf;
  bool accept = true;
  try {
    if (OnFilterRecord()) OnFilterRecord()(this, accept);
  } catch (...) {
    // A failing handler is reported; the record stays or goes by what it decided so far.
    try {
      InternalHandleException();
    } catch (...) {
      FFilterBuffer = previous;
      RestoreState(saved);
      throw;
    }
  }
  FFilterBuffer = previous;
  RestoreState(saved);
  return accept;
}

void TMemDataSet::Refilter() {
  FData->FilterUpdated();
  Resync(TResyncMode());
  First();
}

// ---- The platform's filter properties.

void TMemDataSet::SetFiltered(bool value) {
  if (Active()) {
    CheckBrowseMode();
    UpdateCursorPos();
  }
  if (Filtered() == value) return;
  if (value)
    ActivateFilters();
  else
    DeactivateFilters();
  // The store re-filters before the platform moves to the first record.
  if (Active()) FData->FilterUpdated();
  TDataSet::SetFiltered(value);
}

void TMemDataSet::SetFilterText(const String& value) { SetFilterData(value, FilterOptions()); }

void TMemDataSet::SetFilterOptions(TFilterOptions value) { SetFilterData(Filter(), value); }

void TMemDataSet::SetFilterData(const String& text, TFilterOptions options) {
  if (Active()) {
    CheckBrowseMode();
    UpdateCursorPos();
  }
  if (text == Filter() && options == FilterOptions()) return;
  if (!FData) {
    TDataSet::SetFilterOptions(options);
    TDataSet::SetFilterText(text);
    return;
  }
  FData->SetFilterCaseInsensitive(options.Contains(foCaseInsensitive));
  FData->SetFilterNoPartialCompare(options.Contains(foNoPartialCompare));
  if (Filtered() && !Trim(text).empty()) {
    try {
      FData->SetFilterText(text);
    } catch (...) {
      // A text that does not parse leaves the previous filter working.
      FData->SetFilterText(String());
      if (!Trim(Filter()).empty()) FData->SetFilterText(Filter());
      FData->SetFilterCaseInsensitive(FilterOptions().Contains(foCaseInsensitive));
      FData->SetFilterNoPartialCompare(FilterOptions().Contains(foNoPartialCompare));
      throw;
    }
  } else {
    FData->SetFilterText(String());
  }
  if (Active() && Filtered()) FData->FilterUpdated();
  TDataSet::SetFilterOptions(options);
  TDataSet::SetFilterText(text);
}

void TMemDataSet::SetOnFilterRecord(const TFilterRecordEvent& value) {
  if (Active()) {
    CheckBrowseMode();
    UpdateCursorPos();
  }
  if (Filtered() && value)
    FData->SetFilterFunc([this](uint8_t* recBuf) { return RecordFilter(recBuf); });
  else
    FData->SetFilterFunc(nullptr);
  // The store asks the handler, which the platform's setter stores: re-filter after it.
  TDataSet::SetOnFilterRecord(value);
  if (Active() && Filtered()) Refilter();
}

// ---- Find.

bool TMemDataSet::FindRecord(bool restart, bool goForward) {
  CheckBrowseMode();
  DoBeforeScroll();
  SetFound(false);
  UpdateCursorPos();
  CursorPosChanged();
  auto* memData = dynamic_cast<TMemData*>(FData.get());
  // Find honours the filter text and OnFilterRecord also while Filtered is off.
  const bool temporary = !Filtered();
  auto removeTemporary = [&] {
    if (!temporary) return;
    DeactivateFilters();
    if (memData) memData->ResetFilterResults();
  };
  if (temporary) {
    ActivateFilters();
    if (memData) memData->ResetFilterResults();
  }
  try {
    if (goForward) {
      if (restart) FData->SetToBegin();
      FData->GetNextRecord(nullptr);
    } else {
      if (restart) FData->SetToEnd();
      FData->GetPriorRecord(nullptr);
    }
  } catch (...) {
    removeTemporary();
    throw;
  }
  removeTemporary();
  if (!FData->GetBOF() && !FData->GetEOF()) {
    Resync({rmExact, rmCenter});
    SetFound(true);
  }
  if (Found()) DoAfterScroll();
  return Found();
}

// ---- Sort order.

void TMemDataSet::SetIndexFieldNames(const String& value) {
  const bool open = Active();
  if (open) {
    CheckBrowseMode();
    UpdateCursorPos();
  }
  auto* memData = dynamic_cast<TMemData*>(FData.get());
  if (memData) {
    try {
      memData->SetIndexFieldNames(value);
    } catch (...) {
      // A specification that does not parse leaves the previous order in force.
      memData->SetIndexFieldNames(FIndexFieldNames);
      throw;
    }
  }
  FIndexFieldNames = value;
  if (open && memData && memData->HasSortColumns()) Resync(TResyncMode());
}
