#include "Common/DBAccess_Updater.h"

#include "Common/DBAccess_DataSet.h"
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
  options->SetNumberRange(false);
  options->SetTrimFixedChar(own->TrimFixedChar());
  options->SetTrimVarChar(own->TrimVarChar());
  options->SetSetEmptyStrToNull(own->SetEmptyStrToNull());
  options->FullRefresh = own->FullRefresh;
  options->SetCompressBlobMode(own->CompressBlobMode());
  options->SetFlatBuffers(true);
  if (statementType == stRefresh || statementType == stRefreshQuick ||
      statementType == stRefreshCheckDeleted)
    options->SetLongStrings(own->LongStrings());
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

void TDADataSetUpdater::PrepareUpdateStatement(const String& text, TStatementTypes statementTypes,
                                               bool generate, TDAParamsInfo*& paramsInfo) {
  paramsInfo = nullptr;
  FUpdateComponent = nullptr;
  TStatementType type = StatementTypeOf(statementTypes);
  TCustomDADataSet* component = UpdateComponent(type);
  RTL_ASSERT(component != nullptr,
             u"FUpdateQuery = nil. StatementTypes = " + IntToStr(statementTypes.ToBits()));
  FUpdateComponent = component;
  component->SetAutoCommit(IsModifying(type) && FDataSet->AutoCommit());

  String sql = text.empty() ? GetUserSQL(type) : text;
  if (!sql.empty() || !generate) {
    AssignUserSQL(*component, sql);
    return;
  }
  bool quick = type == stRefreshQuick || type == stRefreshCheckDeleted;
  // A quick refresh over a filter condition keeps the parameters its own text names.
  TDAParams* target = quick && !FDataSet->FilterSQL().empty() ? nullptr : component->Params();
  bool modifiedOnly = !FDataSet->Options()->UpdateAllFields;
  FService->Generator()->BuildUpdatingTableStatement(type, modifiedOnly, sql, -1, target);
  // A refresh that embeds the dataset's statement names its parameters, as the dataset's own do.
  TDAParams* own = FService->OwnParams();
  bool namesParams =
      type == stRefresh && ((own != nullptr && own->Count() > 0) || FService->FullRefresh());
  AssignGeneratedSQL(*component, sql, target != nullptr && !quick && !namesParams);
  paramsInfo = FService->Generator()->ParamsInfo();
}

void TDADataSetUpdater::AssignGeneratedSQL(TCustomDADataSet& component, const String& sql,
                                           bool keepParams) {
  FStatementText = sql;
  // With the generator's parameters kept, the text is not scanned: its "?" placeholders take
  // the parameters in order, one command descriptor each.
  if (component.ParamCheck() == keepParams) component.SetParamCheck(!keepParams);
  component.SetSQLText(sql);
  if (!keepParams) return;
  TLxCommand* command = component.ICommand();
  RTL_ASSERT(command != nullptr, u"The update component has no command");
  command->Params().Clear();
  for (int i = 0; i < component.Params()->Count(); ++i) command->AddParam();
}

void TDADataSetUpdater::AssignUserSQL(TCustomDADataSet& component, const String& sql) {
  FStatementText = sql;
  if (!component.ParamCheck()) component.SetParamCheck(true);
  if (Trim(component.SQL()->Text()) == Trim(sql)) return;
  component.Params()->Clear();
  component.SetSQLText(sql);
}

// ---- Running one statement.

bool TDADataSetUpdater::PerformSQL(const String& text, TStatementTypes statementTypes) {
  FDataSet->AcquireConnection(true);
  TReleaseConnection release{FDataSet};
  TDAParamsInfo* paramsInfo = nullptr;
  PrepareUpdateStatement(text, statementTypes, true, paramsInfo);
  TCustomDADataSet* component = FUpdateComponent;
  // An UPDATE of unchanged fields, or nothing to run it on.
  if (Trim(component->SQL()->Text()).empty()) return false;
  FLastSQL = FStatementText;

  SetParameterValues(paramsInfo, statementTypes);
  TDAParams* params = component->Params();
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

  TStatementType type = StatementTypeOf(statementTypes);
  try {
    ReadResult(type, statementTypes);
  } catch (...) {
    component->Close();
    throw;
  }
  component->Close();
  FDataSet->DoAfterUpdateExecute(statementTypes, params);
  return true;
}

void TDADataSetUpdater::ExecuteUpdateStatement(TStatementTypes) { FUpdateComponent->Execute(); }

void TDADataSetUpdater::ReadResult(TStatementType statementType, TStatementTypes statementTypes) {
  TCustomDADataSet* component = FUpdateComponent;
  bool strict = FDataSet->Options()->StrictUpdate;
  if ((statementType == stLock || statementType == stRefresh) && component->IsQuery()) {
    int count = component->RecordCount();
    if (strict && count != 1)
      DatabaseErrorFmt(u"Refresh failed. Found %d records", {count}, FDataSet);
    // A lock's row is compared with the record, not copied; this updater takes no locks.
    if (statementType == stRefresh) CopyRowToRecord(statementTypes);
    return;
  }
  int affected = component->RowsAffected();
  if (strict && (affected == 0 || affected > 1))
    DatabaseErrorFmt(u"Update failed. Found %d records", {affected}, FDataSet);
  // No provider here answers through output parameters: a row is all there is to copy.
  if ((ReturnsValues() || statementTypes.Contains(stRefresh)) && ReturnsValuesAsRow() &&
      component->IsQuery())
    CopyRowToRecord(statementTypes);
}

// ---- Posting.

void TDADataSetUpdater::CheckUpdatingTable(TStatementType statementType) {
  FService->InitUpdatingInfo();
  if (FService->UpdatingTableInfo() == nullptr && GetUserSQL(statementType).empty())
    DatabaseError(u"The change cannot be saved: the statement has no table to update", FDataSet);
}

bool TDADataSetUpdater::ApplyDeltaRecord(TUpdateKind updateKind, TDataSet* delta) {
  TStatementTypes statementTypes{UpdateKindToStatementType(updateKind)};
  if (GetUserSQL(UpdateKindToStatementType(updateKind)).empty()) return false;
  FDataSet->AcquireConnection(true);
  TReleaseConnection release{FDataSet};
  TDAParamsInfo* paramsInfo = nullptr;
  PrepareUpdateStatement(String(), statementTypes, false, paramsInfo);
  TCustomDADataSet* component = FUpdateComponent;
  if (Trim(component->SQL()->Text()).empty()) return false;
  FLastSQL = FStatementText;

  TDAParams* params = component->Params();
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
  try {
    ExecuteUpdateStatement(statementTypes);
  } catch (...) {
    component->Close();
    throw;
  }
  component->Close();
  return true;
}

bool TDADataSetUpdater::PerformAppend() {
  CheckUpdatingTable(stInsert);
  if (!PerformSQL(String(), TStatementTypes{stInsert})) {
    if (FDataSet->Options()->StrictUpdate)
      DatabaseErrorFmt(u"Update failed. Found %d records", {0}, FDataSet);
    return false;
  }
  WriteIdentityValue();
  FDataSet->SetLastInsertId(FUpdateComponent->LastInsertId());
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
  bool result = PerformSQL(String(), TStatementTypes{stUpdate});
  if (result && FDataSet->RefreshOptions().Contains(roAfterUpdate)) RefreshRecordInUpdate();
  return result;
}

bool TDADataSetUpdater::PerformDelete() {
  CheckUpdatingTable(stDelete);
  return PerformSQL(String(), TStatementTypes{stDelete});
}

// ---- Re-reading the record.

void TDADataSetUpdater::PrepareEdit() {
  if (!FDataSet->RefreshOptions().Contains(roBeforeEdit)) return;
  // A cached insert that is not applied yet has no row on the server to read.
  if (FDataSet->CachedUpdates() && FDataSet->UpdateStatus() == usInserted) return;
  RefreshRecord();
}

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
