// Master/detail of the dataset component through parameters or an added WHERE condition: the
// master's values bound to the parameters, the detail queried again when the master moves, and a
// posted detail record that no longer belongs to the master leaving the store.
#include <algorithm>
#include <vector>

#include "Common/DBAccess.h"
#include "Common/MemUtils.h"
#include "platform/db/FieldDefs.h"
#include "platform/rtl/Exceptions.h"

namespace {

constexpr char16_t SMasterDetailCachedUpdates[] = u"Can not use Master/Detail with CachedUpdates";

// The master and detail fields of the link, pairwise; a pair with a missing field is left out.
std::vector<std::pair<TField*, TField*>> LinkedFieldPairs(TDataSet* master, TDataSet* detail,
                                                          const String& masterFields,
                                                          const String& detailFields) {
  std::vector<std::pair<TField*, TField*>> pairs;
  const std::vector<String> masterNames = SplitFieldNames(masterFields);
  const std::vector<String> detailNames = SplitFieldNames(detailFields);
  for (size_t i = 0; i < std::min(masterNames.size(), detailNames.size()); ++i) {
    TField* masterField = master->FindField(masterNames[i]);
    TField* detailField = detail->FindField(detailNames[i]);
    if (masterField && detailField) pairs.emplace_back(masterField, detailField);
  }
  return pairs;
}

}  // namespace

// ---- Binding the master's values.

bool TCustomDADataSet::IsLocalMasterDetail() { return FOptions && FOptions->LocalMasterDetail(); }

bool TCustomDADataSet::BindToMaster() { return SetMasterParams(Params()); }

bool TCustomDADataSet::SetMasterParams(TDAParams* params) {
  if (IsLocalMasterDetail()) return TMemDataSet::BindToMaster();
  if (!IsMasterActive()) return false;
  TDataSet* master = MasterSource()->DataSet();
  auto* daMaster = dynamic_cast<TCustomDADataSet*>(master);
  bool changed = false;
  for (int i = 0; i < params->Count(); ++i) {
    TDAParam* param = params->Items(i);
    TField* field = master->FindField(param->Name());
    if (!field) continue;
    if (TDAParam::IsBlobDataType(field->DataType())) {
      // The parameter shares the master record's blob rather than copying it.
      param->SetDataType(field->DataType());
      TSharedObject* object = nullptr;
      if (daMaster) {
        TFieldDesc* desc = daMaster->GetFieldDesc(field);
        TRecordBuffer buffer = daMaster->ActiveBuffer();
        if (desc && buffer) object = daMaster->Data()->GetBlobObject(desc->FieldNo(), buffer);
      }
      if (SetParamObject(param, object)) changed = true;
    } else {
      const Variant value = field->Value();
      const bool same = VarEqual(param->Value(), value) ||
                        (param->Value().IsEmpty() && (value.IsNull() || value.IsEmpty()));
      if (!Active() || !same) {
        param->Assign(field);
        changed = true;
      }
    }
    param->SetParamType(ptInput);
  }
  return changed;
}

void TCustomDADataSet::GetDetailLinkFields(std::vector<TField*>& masterFields,
                                           std::vector<TField*>& detailFields) {
  TDataSource* source = MasterSource();
  if (!source || !source->DataSet() || Params()->Count() == 0) {
    TMemDataSet::GetDetailLinkFields(masterFields, detailFields);
    return;
  }
  masterFields.clear();
  detailFields.clear();
  for (int i = 0; i < Params()->Count(); ++i) {
    const String& name = Params()->Items(i)->Name();
    TField* masterField = source->DataSet()->FindField(name);
    TField* detailField = FindField(name);
    // Only whole pairs: a reader walks both lists side by side.
    if (!masterField || !detailField) continue;
    masterFields.push_back(masterField);
    detailFields.push_back(detailField);
  }
}

// ---- The link condition of a detail queried on the server.

String TCustomDADataSet::MasterDetailCondition() {
  const std::vector<String> masterNames = SplitFieldNames(MasterFields());
  const std::vector<String> detailNames = SplitFieldNames(DetailFields());
  const bool quote = FOptions->QuoteNames();
  String condition;
  for (size_t i = 0; i < std::min(masterNames.size(), detailNames.size()); ++i) {
    if (!condition.empty()) condition += u" and ";
    // The parameter is quoted only when its name needs it: the parameters are found in the text
    // before the connection tells the dialect's quotes, and a quoted name would not match.
    condition += NormalizeName(detailNames[i], quote) + u" = :" +
                 NormalizeName(masterNames[i], false);
  }
  return condition;
}

// ---- Following the master.

void TCustomDADataSet::MasterDetailChanged() {
  if (IsLocalMasterDetail()) {
    // Before the first connection there is no store to filter yet.
    if (Data()) TMemDataSet::MasterDetailChanged();
    return;
  }
  // The link condition is part of the statement: it is built again, also for a closed dataset,
  // so that the next open runs it; the text the component rewrote stays the base.
  const bool wasActive = Active();
  ResetSQLKeepingBase();
  if (wasActive) Open();
}

void TCustomDADataSet::RefreshDetail() {
  TMemDataSet::RefreshDetail();
  if (IsLocalMasterDetail() || !Active()) return;
  DoBeforeRefresh();
  TCustomDAConnection* connection = EffectiveConnection();
  if (connection) connection->EnterOperation(clRefresh, connection->IsFailOverAllowed());
  DisableControls();
  try {
    AcquireConnection(true);
    // The new cursor takes over the old one's request.
    if (FCursorHoldsConnection) ReleaseConnection();
    FCursorHoldsConnection = true;
    for (;;) {
      try {
        DoBeforeExecute();
        WriteParams(true);
        CheckBrowseMode();
        UpdateCursorPos();
        DoBeforeScroll();
        try {
          // A request of its own for the reread, as for a refresh.
          AcquireConnection(true);
          try {
            RefreshData();
          } catch (...) {
            ReleaseConnection();
            throw;
          }
          ReleaseConnection();
          auto* memData = dynamic_cast<TMemData*>(Data());
          if (Active() && memData && memData->HasSortColumns()) memData->SortItems();
        } catch (...) {
          Resync(TResyncMode());
          if (Active()) DoAfterScroll();
          throw;
        }
        Resync(TResyncMode());
        DoAfterScroll();
        break;
      } catch (const EFailOver&) {
        if (ReplayAfterFailOver()) continue;
        throw;
      }
    }
    FServerRecordCount = (!GetFetchAll() && FOptions->QueryRecCount) ? GetServerRecordCount() : 0;
    FRowsAffected = -1;
  } catch (...) {
    EnableControls();
    if (connection) connection->LeaveOperation();
    DoAfterRefresh();
    throw;
  }
  EnableControls();
  if (connection) connection->LeaveOperation();
  DoAfterRefresh();
}

// ---- A posted detail record and its master.

bool TCustomDADataSet::DetailLinkDiffers(TField* masterField, TField* detailField) {
  const Variant masterValue = masterField->Value();
  const Variant detailValue = detailField->Value();
  TLxRecordSet* rs = IRecordSet();
  if (!rs || !rs->GetCapabilityFlag()) {
    // Text keys compare as the server's usual collations do: without regard to case.
    if (masterValue.VarType() == varString && detailValue.VarType() == varString) {
      const AnsiString a = masterValue.AsAnsiString();
      const AnsiString b = detailValue.AsAnsiString();
      return AnsiCompareTextA(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size())) != 0;
    }
    if (masterValue.VarType() == varUString && detailValue.VarType() == varUString)
      return AnsiCompareTextW(masterValue.AsString(), detailValue.AsString()) != 0;
  }
  return !VarEqual(masterValue, detailValue);
}

void TCustomDADataSet::CheckDetailLinkAfterPost() {
  if (!HasMasterDetail() || IsLocalMasterDetail() || !IsMasterActive()) return;
  for (const auto& [masterField, detailField] :
       LinkedFieldPairs(MasterSource()->DataSet(), this, MasterFields(), DetailFields())) {
    if (!DetailLinkDiffers(masterField, detailField)) continue;
    RTL_ASSERT(!CachedUpdates(), SMasterDetailCachedUpdates);
    // The record belongs to another master row now: the detail no longer shows it.
    if (auto* memData = dynamic_cast<TMemData*>(Data())) memData->RemoveRecord();
    return;
  }
}
