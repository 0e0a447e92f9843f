#include "Common/DBAccess_Updater.h"

#include "Common/DBAccess_AccessUtils.h"
#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_HotCast.h"
#include "Common/DBAccess_UpdateSQL.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"

namespace {

// Gives back the connect request of a statement however it ends.
struct TReleaseConnection {
  TCustomDADataSet* DataSet;
  ~TReleaseConnection() { DataSet->ReleaseConnection(); }
};

bool IsModifying(TStatementType type) {
  return type == stInsert || type == stUpdate || type == stDelete || type == stBatchUpdate;
}

}  // namespace

TStatementType UpdateKindToStatementType(TUpdateKind updateKind) {
  switch (updateKind) {
    case ukModify:
      return stUpdate;
    case ukInsert:
      return stInsert;
    case ukDelete:
      return stDelete;
  }
  AssertErrorHandler(u"Unknown update kind", __FILE__, __LINE__);
}

TStatementType StatementTypeOf(TStatementTypes statementTypes) {
  if (statementTypes.Contains(stLock)) statementTypes >> stRefresh;
  if (statementTypes.Count() != 1) return stCustom;
  for (int i = stQuery; i <= stBatchUpdate; ++i) {
    auto type = static_cast<TStatementType>(i);
    if (statementTypes.Contains(type)) return type;
  }
  return stCustom;
}

TDADataSetUpdater::TDADataSetUpdater(TDADataSetService* service)
    : TDataSetUpdater(service),
      FDataSet(service != nullptr ? service->DADataSet() : nullptr),
      FService(service) {
  RTL_ASSERT(FService != nullptr && FDataSet != nullptr,
             u"The updater needs its dataset's service");
}

TDADataSetUpdater::~TDADataSetUpdater() = default;

TCustomDADataSet* TDADataSetUpdater::CurrentUpdateDataSet() const {
  return HotCast<TCustomDADataSet>(FUpdateComponent);
}

bool TDADataSetUpdater::ReturnsValues() { return FDataSet->Options()->ReturnParams; }

bool TDADataSetUpdater::NeedsConnection() {
  return (FDataSet->State() == dsInsert && NeedsConnectionOnInsert()) ||
         (FDataSet->State() == dsEdit && NeedsConnectionOnEdit());
}

// ---- Internal update components.

TCustomDADataSet* TDADataSetUpdater::UpdateComponent(TStatementType statementType) {
  std::unique_ptr<TCustomDADataSet>& entry = FUpdateComponents[statementType];
  TCustomDAConnection* connection = FDataSet->Connection();
  if (connection == nullptr) DatabaseError(SConnectionNotDefined, FDataSet);
  if (!entry) {
    entry = connection->CreateDataSet();
  } else if (entry->Connection() != connection) {
    entry->SetConnection(connection);
  }
  TDBAccessUtils::SetNoMonitor(entry.get(), true);  // the dataset reports what it runs
  SetUpComponent(statementType, *entry);
  return entry.get();
}

void TDADataSetUpdater::SetUpComponent(TStatementType statementType, TCustomDADataSet& component) {
  if (component.Active()) component.Close();
  // The component runs on the connection's own transaction, as the dataset's statements do.
  component.CheckIRecordSet();
  component.SetReadOnly(true);
  TDADataSetOptions* own = FDataSet->Options();
  TDADataSetOptions* options = component.Options();
  bool refresh = statementType == stRefresh || statementType == stRefreshQuick ||
                 statementType == stRefreshCheckDeleted;
  // Each setter only stores its value and hands it to the record set: when the component's
  // options already hold the dataset's and went to this very record set, setting them again
  // changes nothing. A refresh's long strings outdate the field definitions: always set.
  TLxRecordSet* rs = component.IRecordSet();
  bool passed = !refresh && rs != nullptr && FOptionsPassedTo[statementType] == rs &&
                !options->NumberRange() && options->FlatBuffers() &&
                options->TrimFixedChar() == own->TrimFixedChar() &&
                options->TrimVarChar() == own->TrimVarChar() &&
                options->SetEmptyStrToNull() == own->SetEmptyStrToNull() &&
                options->FullRefresh == own->FullRefresh &&
                options->CompressBlobMode() == own->CompressBlobMode();
  if (!passed) {
    options->SetNumberRange(false);
    options->SetTrimFixedChar(own->TrimFixedChar());
    options->SetTrimVarChar(own->TrimVarChar());
    options->SetSetEmptyStrToNull(own->SetEmptyStrToNull());
    options->FullRefresh = own->FullRefresh;
    options->SetCompressBlobMode(own->CompressBlobMode());
    options->SetFlatBuffers(true);
    if (refresh) options->SetLongStrings(own->LongStrings());
    FOptionsPassedTo[statementType] = rs;
  }
  SetUpdateComponentOptions(statementType, component);
}

// ---- Statement texts.

String TDADataSetUpdater::GetUserSQL(TStatementType statementType) {
  TStrings* list = FDataSet->UpdateSQL(statementType);
  String text = list == nullptr ? String() : Trim(list->Text());
  if (text.empty()) return text;
  if (FDataSet->Macros()->Count() > 0) FDataSet->Macros()->Expand(text);
  if (statementType == stRefresh && UpperCase(text.substr(0, 5)) == u"WHERE")
    return FDataSet->SQLAddWhere(FDataSet->FinalSQL(), Trim(text.substr(5)));
  if (statementType == stLock && UpperCase(text.substr(0, 3)) == u"FOR")
    return GetUserSQL(stRefresh) + u"\r" + text;
  return text;
}

TComponent* TDADataSetUpdater::UpdateObjectComponent(TStatementType statementType) const {
  TCustomDAUpdateSQL* updateObject = FDataSet->UpdateObject();
  return updateObject != nullptr ? updateObject->Object(statementType) : nullptr;
}

String TDADataSetUpdater::UpdateObjectSQL(TStatementType statementType) const {
  TCustomDAUpdateSQL* updateObject = FDataSet->UpdateObject();
  TStrings* list = updateObject != nullptr ? updateObject->SQL(statementType) : nullptr;
  return list != nullptr ? Trim(list->Text()) : String();
}

bool TDADataSetUpdater::HasUserStatement(TStatementType statementType) {
  return UpdateObjectComponent(statementType) != nullptr ||
         !UpdateObjectSQL(statementType).empty() || !GetUserSQL(statementType).empty();
}

void TDADataSetUpdater::PrepareUpdateStatement(const String& text, TStatementTypes statementTypes,
                                               bool generate, TDAParamsInfo*& paramsInfo) {
  paramsInfo = nullptr;
  FUpdateComponent = nullptr;
  FStatementReused = false;
  TStatementType type = StatementTypeOf(statementTypes);
  // The update object's component runs with its own text and parameters.
  if (TComponent* object = UpdateObjectComponent(type)) {
    auto* dataSet = dynamic_cast<TCustomDADataSet*>(object);
    bool table = dataSet != nullptr && dataSet->IsTableComponent();
    if (!table && Trim(TDBAccessUtils::GetSQL(object)->Text()).empty())
      DatabaseError(SUpdateObjectSQLEmpty, FDataSet);
    FUpdateComponent = object;
    FStatementText = TDBAccessUtils::GetSQL(object)->Text();
    return;
  }
  TCustomDADataSet* component = UpdateComponent(type);
  RTL_ASSERT(component != nullptr,
             u"FUpdateQuery = nil. StatementTypes = " + IntToStr(statementTypes.ToBits()));
  FUpdateComponent = component;
  TDBAccessUtils::SetAutoCommit(component, IsModifying(type) && FDataSet->AutoCommit());

  bool batching = Batching(type);
  String sql = type == stBatchUpdate ? GetBatchSQL(FBatchSQL) : text;
  if (sql.empty()) sql = UpdateObjectSQL(type);
  if (sql.empty()) sql = GetUserSQL(type);
  if (!sql.empty() || !generate) {
    if (batching) sql = AddToBatch(sql, false);
    AssignUserSQL(*component, sql);
    return;
  }
  bool quick = type == stRefreshQuick || type == stRefreshCheckDeleted;
  bool modifiedOnly = !FDataSet->Options()->UpdateAllFields;
  if (batching) {
    // A batched statement names its parameters after its place in the batch (P_n_): the
    // parameters of the whole batch are then told apart by name.
    FService->Generator()->BuildUpdatingTableStatement(type, modifiedOnly, sql, FBatchCount,
                                                       nullptr);
    AddToBatch(sql, true);
    AssignUserSQL(*component, sql);
    return;
  }
  if (UseKeptStatement(type, modifiedOnly, *component, paramsInfo)) return;
  // A quick refresh over a filter condition keeps the parameters its own text names.
  TDAParams* target = quick && !FDataSet->FilterSQL().empty() ? nullptr : component->Params();
  FService->Generator()->BuildUpdatingTableStatement(type, modifiedOnly, sql, -1, target);
  // A refresh that embeds the dataset's statement names its parameters, as the dataset's own do.
  TDAParams* own = FService->OwnParams();
  bool namesParams =
      type == stRefresh && ((own != nullptr && own->Count() > 0) || FService->FullRefresh());
  AssignGeneratedSQL(*component, sql, target != nullptr && !quick && !namesParams,
                     type == stInsert || type == stUpdate || type == stDelete);
  paramsInfo = FService->Generator()->ParamsInfo();
  KeepStatement(type, *component, paramsInfo);
}

void TDADataSetUpdater::AssignGeneratedSQL(TCustomDADataSet& component, const String& sql,
                                           bool keepParams, bool dataModifying) {
  DropKeptStatements(&component);
  FStatementText = sql;
  // With the generator's parameters kept, the text is not scanned: its "?" placeholders take
  // the parameters in order, one command descriptor each.
  TDBAccessUtils::SetSQLText(&component, sql, dataModifying, keepParams);
  if (!keepParams) return;
  TLxCommand* command = component.ICommand();
  RTL_ASSERT(command != nullptr, u"The update component has no command");
  command->Params().Clear();
  for (int i = 0; i < component.Params()->Count(); ++i) command->AddParam();
}

void TDADataSetUpdater::AssignUserSQL(TCustomDADataSet& component, const String& sql) {
  DropKeptStatements(&component);
  FStatementText = sql;
  if (!component.ParamCheck()) component.SetParamCheck(true);
  if (Trim(component.SQL()->Text()) == Trim(sql)) return;
  component.Params()->Clear();
  component.SetSQLText(sql);
}

// ---- Running one statement.

bool TDADataSetUpdater::PerformSQL(const String& text, TStatementTypes statementTypes) {
  try {
    return RunStatement(text, statementTypes);
  } catch (...) {
    // What a failing statement left on its component is not known to be whole.
    DropKeptStatement(StatementTypeOf(statementTypes));
    throw;
  }
}

bool TDADataSetUpdater::RunStatement(const String& text, TStatementTypes statementTypes) {
  FDataSet->AcquireConnection(true);
  TReleaseConnection release{FDataSet};
  TStatementType type = StatementTypeOf(statementTypes);
  TDAParamsInfo* paramsInfo = nullptr;
  PrepareUpdateStatement(text, statementTypes, true, paramsInfo);
  TComponent* component = FUpdateComponent;
  // An UPDATE of unchanged fields, or nothing to run it on. A kept statement has its text.
  if (!FStatementReused && Trim(TDBAccessUtils::GetSQL(component)->Text()).empty()) return false;
  FLastSQL = FStatementText;

  TDAParams* params = TDBAccessUtils::GetParams(component);
  if (type == stBatchUpdate) {
    AssignBatchParams();
  } else {
    FInBatch = Batching(type);
    try {
      SetParameterValues(paramsInfo, statementTypes);
    } catch (...) {
      FInBatch = false;
      throw;
    }
    bool batched = FInBatch;
    FInBatch = false;
    // The statement waits in the batch; the flush runs it with the others.
    if (batched) {
      AddBatchParams();
      return true;
    }
  }
  // A parameter the handler changes makes the list bind by name.
  params->BindMode = 2;
  try {
    FDataSet->DoBeforeUpdateExecute(statementTypes, params);
    if (FDataSet->HasBeforeUpdateExecute()) {
      for (int i = 0; i < params->Count(); ++i)
        if (params->Items(i)->DataType() == ftUnknown)
          DatabaseErrorFmt(u"Unknown data type of parameter %s", {params->Items(i)->Name()},
                           FDataSet);
    }
    ExecuteUpdateStatement(statementTypes);
  } catch (...) {
    params->BindMode = 0;
    throw;
  }
  params->BindMode = 0;

  TCustomDADataSet* dataSet = CurrentUpdateDataSet();
  try {
    ReadResult(type, statementTypes);
  } catch (...) {
    if (dataSet != nullptr) dataSet->Close();
    throw;
  }
  if (dataSet != nullptr) dataSet->Close();
  FDataSet->DoAfterUpdateExecute(statementTypes, params);
  return true;
}

void TDADataSetUpdater::ExecuteUpdateStatement(TStatementTypes statementTypes) {
  TMonitoredExecution report(FDataSet, FUpdateComponent, statementTypes);
  TDBAccessUtils::Execute(FUpdateComponent);
  report.Done();
}

void TDADataSetUpdater::ReadResult(TStatementType statementType, TStatementTypes statementTypes) {
  TCustomDADataSet* component = CurrentUpdateDataSet();
  bool strict = FDataSet->Options()->StrictUpdate;
  // A command component returns no rows: only its affected-row count is read.
  if (component == nullptr) {
    int affected = TDBAccessUtils::GetRowsAffected(FUpdateComponent);
    if (strict && statementType != stBatchUpdate && (affected == 0 || affected > 1))
      DatabaseErrorFmt(u"Update failed. Found %d records", {affected}, FDataSet);
    return;
  }
  if (statementType == stRefreshCheckDeleted) {
    ReadRefreshCheckDeleted();
    return;
  }
  if (statementType == stRefreshQuick) {
    ReadRefreshQuick(statementTypes);
    return;
  }
  if ((statementType == stLock || statementType == stRefresh) && component->IsQuery()) {
    int count = component->RecordCount();
    if (strict && count != 1)
      DatabaseErrorFmt(u"Refresh failed. Found %d records", {count}, FDataSet);
    // A lock re-reads the row to compare it with the record, unless the edit re-reads anyway.
    if (statementType == stRefresh || !FDataSet->RefreshOptions().Contains(roBeforeEdit))
      CopyRowToRecord(statementTypes);
    return;
  }
  int affected = component->RowsAffected();
  // A batch changes as many rows as it holds statements: one row is no rule for it.
  if (strict && statementType != stBatchUpdate && (affected == 0 || affected > 1))
    DatabaseErrorFmt(u"Update failed. Found %d records", {affected}, FDataSet);
  // No provider here answers through output parameters: a row is all there is to copy.
  if ((ReturnsValues() || statementTypes.Contains(stRefresh)) && ReturnsValuesAsRow() &&
      component->IsQuery())
    CopyRowToRecord(statementTypes);
}

// ---- Posting.

void TDADataSetUpdater::CheckUpdatingTable(TStatementType statementType) {
  FService->InitUpdatingInfo();
  if (FService->UpdatingTableInfo() == nullptr && !HasUserStatement(statementType))
    DatabaseError(u"The change cannot be saved: the statement has no table to update", FDataSet);
}

bool TDADataSetUpdater::ApplyDeltaRecord(TUpdateKind updateKind, TDataSet* delta) {
  TStatementTypes statementTypes{UpdateKindToStatementType(updateKind)};
  // Only a statement the user wrote applies a delta record: none is generated for it.
  if (!HasUserStatement(UpdateKindToStatementType(updateKind))) return false;
  FDataSet->AcquireConnection(true);
  TReleaseConnection release{FDataSet};
  TDAParamsInfo* paramsInfo = nullptr;
  PrepareUpdateStatement(String(), statementTypes, false, paramsInfo);
  TComponent* component = FUpdateComponent;
  if (Trim(TDBAccessUtils::GetSQL(component)->Text()).empty()) return false;
  FLastSQL = FStatementText;

  TDAParams* params = TDBAccessUtils::GetParams(component);
  for (int i = 0; i < params->Count(); ++i) {
    TDAParam* param = params->Items(i);
    const String& name = param->Name();
    bool old = name.size() > 4 && AnsiSameText(name.substr(0, 4), u"OLD_");
    TField* field = delta->FindField(old ? name.substr(4) : name);
    if (field == nullptr) continue;  // a parameter of the user's own, left as it is
    Variant value = old ? field->OldValue() : field->NewValue();
    if (!old && value.IsEmpty()) value = field->OldValue();
    param->AssignFieldValue(field, value);
  }
  TCustomDADataSet* dataSet = CurrentUpdateDataSet();
  try {
    ExecuteUpdateStatement(statementTypes);
  } catch (...) {
    if (dataSet != nullptr) dataSet->Close();
    throw;
  }
  if (dataSet != nullptr) dataSet->Close();
  return true;
}

bool TDADataSetUpdater::PerformAppend() {
  CheckUpdatingTable(stInsert);
  if (!PerformSQL(String(), TStatementTypes{stInsert})) {
    if (FDataSet->Options()->StrictUpdate)
      DatabaseErrorFmt(u"Update failed. Found %d records", {0}, FDataSet);
    return false;
  }
  // A batched INSERT has not run yet: there is no key to read.
  if (Batching(stInsert)) return true;
  WriteIdentityValue();
  if (TCustomDADataSet* component = CurrentUpdateDataSet())
    FDataSet->SetLastInsertId(component->LastInsertId());
  if (FDataSet->RefreshOptions().Contains(roAfterInsert) && RefreshAfterInsertAllowed())
    RefreshRecordInUpdate();
  return true;
}

void TDADataSetUpdater::WriteIdentityValue() {
  Variant id;
  TFieldDesc* identity = FService->IdentityField();
  if (identity == nullptr || !GetIdentityFieldValue(id)) return;
  // Written before the store links the record in, so the new row carries its key at once.
  TField* field = FService->FieldOf(identity);
  // While cached updates are applied the dataset browses and the record being applied lives in
  // the store's apply buffer, which the store writes back after this hook.
  if (field == nullptr || FDataSet->State() != dsInsert) {
    FDataSet->Data()->PutFieldAsVariant(identity->FieldNo(), FDataSet->GetActiveRecBuf(), id);
    return;
  }
  bool readOnly = field->ReadOnly();
  field->SetReadOnly(false);
  try {
    field->SetValue(id);
  } catch (...) {
    field->SetReadOnly(readOnly);
    throw;
  }
  field->SetReadOnly(readOnly);
}

bool TDADataSetUpdater::PerformUpdate() {
  CheckUpdatingTable(stUpdate);
  FDataSet->AcquireConnection(true);
  TReleaseConnection release{FDataSet};
  bool optimistic = FDataSet->LockMode() == lmOptimistic;
  bool cached = FDataSet->CachedUpdates();
  if (optimistic) LockBeforeChange();
  try {
    bool result = PerformSQL(String(), TStatementTypes{stUpdate});
    if (result && FDataSet->RefreshOptions().Contains(roAfterUpdate) && !Batching(stUpdate))
      RefreshRecordInUpdate();
    EndLockAfterChange(result);
    return result;
  } catch (...) {
    if (optimistic) UndoLock(cached);
    throw;
  }
}

bool TDADataSetUpdater::PerformDelete() {
  CheckUpdatingTable(stDelete);
  if (FDataSet->LockMode() != lmOptimistic) {
    bool result = PerformSQL(String(), TStatementTypes{stDelete});
    EndLockAfterChange(result);
    return result;
  }
  FDataSet->AcquireConnection(true);
  TReleaseConnection release{FDataSet};
  bool cached = FDataSet->CachedUpdates();
  LockBeforeChange();
  try {
    bool result = PerformSQL(String(), TStatementTypes{stDelete});
    EndLockAfterChange(result);
    return result;
  } catch (...) {
    UndoLock(cached);
    throw;
  }
}

void TDADataSetUpdater::LockBeforeChange() {
  // A change still cached in the store is compared with nothing on the server yet.
  if (FDataSet->CachedUpdates() && FDataSet->UpdateStatus() != usUnmodified) return;
  LockUndoingOnFailure();
}

// ---- Re-reading the record.

void TDADataSetUpdater::RefreshRecord() {
  // A cached change that is not on the server would be overwritten by the row: it goes first.
  if (FDataSet->CachedUpdates() && !FInRefreshInUpdate && FDataSet->UpdateStatus() == usModified)
    FDataSet->RevertRecord();
  PerformSQL(String(), TStatementTypes{stRefresh});
}

void TDADataSetUpdater::RefreshRecordInUpdate() {
  FInRefreshInUpdate = true;
  try {
    RefreshRecord();
  } catch (...) {
    FInRefreshInUpdate = false;
    throw;
  }
  FInRefreshInUpdate = false;
}
