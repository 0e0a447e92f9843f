// TMemDataSet as a detail: the link to the master's data source, the master's values bound for
// the store's master/detail filter, the delayed refresh, and the property writers.
#include <algorithm>
#include <cstring>

#include "Common/MemDS.h"
#include "Common/Win32Timer.h"
#include "platform/rtl/Format.h"

namespace {

constexpr char16_t SMasterNotMemDataSet[] = u"Master dataset must be inherited from TMemDataSet";

bool EditingOrInserting(TDataSet* dataSet) {
  return dataSet->State() == dsEdit || dataSet->State() == dsInsert;
}

}  // namespace

// ---- The link.

void TDADetailDataLink::ActiveChanged() {
  if (FDetail->Active() && !FDetail->ComponentState().Contains(csDestroying) && Active())
    FDetail->MasterChanged();
}

void TDADetailDataLink::RecordChanged(TField* field) {
  // A master record being inserted does not refresh its detail field by field.
  if ((!field || field->DataSet() == DataSet()) && FDetail->Active() &&
      (!field || (!EditingOrInserting(FDetail) && DataSet()->State() != dsInsert)))
    FDetail->MasterChanged();
}

void TDADetailDataLink::CheckBrowseMode() {
  if (FDetail->Active() && (DataSet()->State() != dsInsert || !EditingOrInserting(FDetail)))
    FDetail->CheckBrowseMode();
}

TDataSet* TDADetailDataLink::GetDetailDataSet() { return FDetail; }

// ---- Binding the master's values.

bool TMemDataSet::HasMasterDetail() {
  return MasterSource() && !FMasterFields.empty() && !FDetailFields.empty();
}

bool TMemDataSet::IsMasterActive() {
  TDataSource* source = MasterSource();
  return source && source->DataSet() && source->DataSet()->Active();
}

bool TMemDataSet::IsLocalMasterDetail() { return HasMasterDetail(); }

bool TMemDataSet::BindToMaster() {
  FLocalMDLinks.clear();
  if (!HasMasterDetail() || !IsMasterActive()) return true;
  auto* master = dynamic_cast<TMemDataSet*>(MasterSource()->DataSet());
  if (!master) throw Exception(SMasterNotMemDataSet);
  const std::vector<String> masterNames = SplitFieldNames(FMasterFields);
  const std::vector<String> detailNames = SplitFieldNames(FDetailFields);
  const size_t pairs = std::min(masterNames.size(), detailNames.size());
  for (size_t i = 0; i < pairs; ++i) {
    TField* masterField = master->FindField(masterNames[i]);
    TField* detailField = FindField(detailNames[i]);
    if (!masterField || !detailField) continue;
    TFieldDesc* detailDesc = FData->FindField(detailField->FieldName());
    if (!detailDesc) throw Exception(Format(SFieldNotFoundGeneral, {detailField->FieldName()}));
    if (!master->GetFieldDesc(masterField))
      throw Exception(Format(SFieldNotFoundGeneral, {masterField->FieldName()}));
    // The value is taken in the detail column's comparable form, so that a master column of
    // another type (an integer for a 64-bit detail key) compares by value.
    TLocalMDLink link;
    link.FieldNo = detailDesc->FieldNo();
    const Variant value = masterField->Value();
    link.IsNull = value.IsNull() || value.IsEmpty();
    if (!link.IsNull) {
      if (detailDesc->DataType() == dtVariant) {
        link.VariantValue.reset(new TVariantObject(),
                                [](TVariantObject* object) { object->Free(); });
        link.VariantValue->SetValue(value);
        TVariantObject* object = link.VariantValue.get();
        link.Value.resize(sizeof object);
        std::memcpy(link.Value.data(), &object, sizeof object);
        link.ValueType = dtVariant;
      } else {
        GetKeyValueBuffer(value, link.Value, true, detailDesc, link.ValueType);
      }
    }
    FLocalMDLinks.push_back(std::move(link));
  }
  return true;
}

bool TMemDataSet::MasterDetailFilter(uint8_t* recBuf) {
  TDataSource* source = MasterSource();
  if (source && source->DataSet() && source->DataSet()->Active() && source->DataSet()->IsEmpty())
    return false;
  auto* memData = static_cast<TMemData*>(FData.get());
  for (const TLocalMDLink& link : FLocalMDLinks) {
    const bool fieldNull = FData->GetNull(link.FieldNo, recBuf);
    if (link.IsNull || fieldNull) {
      if (link.IsNull != fieldNull) return false;
      continue;
    }
    TFieldDesc* desc = FData->Fields()[link.FieldNo - 1];
    if (memData->CompareFieldValue(link.Value.data(), link.ValueType, 0, recBuf, desc) != 0)
      return false;
  }
  return true;
}

void TMemDataSet::SetLocalMDFilter() {
  if (!FData) return;
  if (IsLocalMasterDetail() && dynamic_cast<TMemData*>(FData.get()))
    FData->SetFilterMDFunc([this](uint8_t* recBuf) { return MasterDetailFilter(recBuf); });
  else
    FData->SetFilterMDFunc(nullptr);
}

// ---- Following the master.

void TMemDataSet::MasterChanged() {
  FreeRefBuffers();
  TDataSource* source = MasterSource();
  if (!source || !source->DataSet() || !source->DataSet()->Active() ||
      source->DataSet()->State() == dsSetKey || !BindToMaster())
    return;
  if (FDetailRefreshTimer && FDetailRefreshTimer->Interval() != 0) {
    // Each change starts the delay afresh: a burst of scrolls ends in one refresh.
    FDetailRefreshTimer->SetEnabled(false);
    FDetailRefreshTimer->SetEnabled(true);
  } else {
    RefreshDetail();
  }
}

void TMemDataSet::RefreshDetail() {
  if (FDetailRefreshTimer) FDetailRefreshTimer->SetEnabled(false);
  if (Active() && IsLocalMasterDetail()) Refilter();
}

void TMemDataSet::MasterDetailChanged() {
  // New pairs or another master: the bound values follow before the records are filtered again.
  if (Active()) {
    if (IsLocalMasterDetail() && IsMasterActive())
      BindToMaster();
    else
      FLocalMDLinks.clear();
  }
  FData->FilterUpdated();
  if (Active()) Resync(TResyncMode());
}

void TMemDataSet::SetDetailDelay(int milliseconds) {
  FDetailDelay = std::max(milliseconds, 0);
  if (!FDetailRefreshTimer) {
    FDetailRefreshTimer = std::make_unique<TWin32Timer>(nullptr);
    FDetailRefreshTimer->SetEnabled(false);
    FDetailRefreshTimer->SetOnTimer([this](TObject*) { RefreshDetail(); });
  }
  FDetailRefreshTimer->SetInterval(static_cast<uint32_t>(FDetailDelay));
}

// ---- Property writers.

void TMemDataSet::SetMasterSource(TDataSource* value) {
  if (value == MasterSource()) return;
  // The new master, or a master of it, must not be this dataset.
  int guard = 0;
  for (TDataSource* source = value; source && guard++ < 1000;) {
    TDataSet* dataSet = source->DataSet();
    if (!dataSet) break;
    if (dataSet == this) DatabaseError(SCircularDataLink, this);
    source = dataSet->DataSource();
  }
  const bool was = HasMasterDetail();
  FDataLink->SetDataSource(value);
  SetLocalMDFilter();
  if (was || HasMasterDetail()) MasterDetailChanged();
}

void TMemDataSet::SetMasterFields(const String& value) {
  if (value == FMasterFields) return;
  const bool was = HasMasterDetail();
  FMasterFields = value;
  SetLocalMDFilter();
  if (was || HasMasterDetail()) MasterDetailChanged();
}

void TMemDataSet::SetDetailFields(const String& value) {
  if (value == FDetailFields) return;
  const bool was = HasMasterDetail();
  FDetailFields = value;
  SetLocalMDFilter();
  if (was || HasMasterDetail()) MasterDetailChanged();
}

TDataSource* TMemDataSet::GetDataSource() { return FDataLink ? FDataLink->DataSource() : nullptr; }

void TMemDataSet::GetDetailLinkFields(std::vector<TField*>& masterFields,
                                      std::vector<TField*>& detailFields) {
  masterFields.clear();
  detailFields.clear();
  TDataSource* source = MasterSource();
  if (!source || !source->DataSet() || FMasterFields.empty() || FDetailFields.empty() ||
      !source->DataSet()->Active())
    return;
  const std::vector<String> masterNames = SplitFieldNames(FMasterFields);
  const std::vector<String> detailNames = SplitFieldNames(FDetailFields);
  for (size_t i = 0; i < std::min(masterNames.size(), detailNames.size()); ++i) {
    TField* masterField = source->DataSet()->FindField(masterNames[i]);
    if (!masterField) continue;
    masterFields.push_back(masterField);
    if (TField* detailField = FindField(detailNames[i])) detailFields.push_back(detailField);
  }
}

void TMemDataSet::CopyMasterValues() {
  TDataSource* source = MasterSource();
  if (!source || !source->DataSet() || !source->DataSet()->Active() || FMasterFields.empty() ||
      FDetailFields.empty())
    return;
  const std::vector<String> masterNames = SplitFieldNames(FMasterFields);
  const std::vector<String> detailNames = SplitFieldNames(FDetailFields);
  for (size_t i = 0; i < std::min(masterNames.size(), detailNames.size()); ++i) {
    TField* masterField = source->DataSet()->FindField(masterNames[i]);
    TField* detailField = FindField(detailNames[i]);
    if (!masterField || !detailField || detailField->ReadOnly()) continue;
    if (masterField->IsNull())
      detailField->Clear();
    else if (detailField->DataType() == ftLargeint)
      detailField->SetAsLargeInt(masterField->AsLargeInt());
    else
      detailField->Assign(masterField);
  }
}
