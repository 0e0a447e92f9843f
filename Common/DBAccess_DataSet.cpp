// The dataset component: construction, the connection and the provider record set, settings that
// reach the record set as numbered properties, the SQL text and its parameters.
#include "Common/DBAccess_DataSet.h"

#include "Common/DBAccess.h"
#include "Common/DBAccess_SQL.h"
#include "Common/DBAccess_Updater.h"
#include "Common/DBAccess_Transaction.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/StrUtils.h"

TCustomDADataSet::TCustomDADataSet(TComponent* owner) : TMemDataSet(owner) {
  // Without a connection there is no record set: the connection names its class.
  SetData(nullptr);
  FCommand = CreateCommand();
  FOptions = CreateOptions();
  const TStatementTypes kept = GetUpdateStatementTypes();
  for (int i = 0; i < StatementTypeCount; ++i) {
    if (!kept.Contains(static_cast<TStatementType>(i))) continue;
    FUpdateSQL[i] = std::make_unique<TStringList>();
    FUpdateSQL[i]->OnChange = [this](TObject*) { SQLChanged(); };
  }
}

std::unique_ptr<TCustomDASQL> TCustomDADataSet::CreateCommand() {
  return std::make_unique<TCustomDASQL>(this);
}

void TCustomDADataSet::InstallCommand(std::unique_ptr<TCustomDASQL> command) {
  if (FCommand) FCommand->AttachICommand(nullptr);
  FCommand = std::move(command);
  FCommand->AttachICommand(FICommand);
}

TCustomDADataSet::~TCustomDADataSet() {
  // The base destructor no longer reaches this class's close and unprepare: they run here, and
  // a destructor cannot report their failure.
  try {
    Close();
  } catch (...) {
  }
  try {
    UnPrepare();
  } catch (...) {
  }
  TCustomDAConnection* monitored = FConnection;  // told of the end below
  if (FConnection) {
    FConnection->UnRegisterClient(this);
    FConnection->RemoveFreeNotification(this);
    FConnection = nullptr;
  }
  SetTransaction(nullptr);
  SetUpdateTransaction(nullptr);
  FreeIRecordSet();
  FCommand.reset();
  if (monitored && monitored->MonitorClass().HasMonitor())
    monitored->MonitorClass().ObjectDestroyedHook(this);
}

std::unique_ptr<TDADataSetOptions> TCustomDADataSet::CreateOptions() {
  return std::make_unique<TDADataSetOptions>(this);
}

void TCustomDADataSet::InstallOptions(std::unique_ptr<TDADataSetOptions> options) {
  FOptions = std::move(options);
  if (IRecordSet()) FOptions->PassAll();
}

TParserClass TCustomDADataSet::GetParserClass() { return &NewParser<TSQLParser>; }

TStatementTypes TCustomDADataSet::GetUpdateStatementTypes() {
  return {stInsert, stUpdate, stDelete, stLock, stRefresh};
}

// ---- The connection and the record set.

void TCustomDADataSet::SetConnection(TCustomDAConnection* value) {
  if (value == FConnection && value == EffectiveConnection()) return;
  if (FConnection) {
    Disconnect(true);
    FConnection->UnRegisterClient(this);
    FConnection->RemoveFreeNotification(this);
  }
  FConnection = value;
  if (FConnection) {
    FConnection->RegisterClient(this, [this](TObject* sender, bool connecting) {
      ConnectChange(sender, connecting);
    });
    FConnection->FreeNotification(this);
  }
  if (TLxRecordSet* rs = IRecordSet())
    rs->SetConnection(FConnection ? FConnection->IConnection() : nullptr);
  DataEvent(dePropertyChange, 0);
}

void TCustomDADataSet::Notification(TComponent* component, TOperation operation) {
  TMemDataSet::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FTransaction) FTransaction = nullptr;
  if (component == FUpdateTransaction) FUpdateTransaction = nullptr;
  if (component == FConnection) {
    // The connection is half destroyed by now: only the pointers are dropped.
    FConnection = nullptr;
    if (TLxRecordSet* rs = IRecordSet()) rs->SetConnection(nullptr);
  }
}

// ---- Transactions.

void TCustomDADataSet::SetTransaction(TDATransaction* value) {
  if (value == FTransaction) return;
  if (FTransaction && FTransaction != FUpdateTransaction)
    FTransaction->RemoveFreeNotification(this);
  FTransaction = value;
  if (FTransaction) FTransaction->FreeNotification(this);
}

void TCustomDADataSet::SetUpdateTransaction(TDATransaction* value) {
  if (value == FUpdateTransaction) return;
  if (FUpdateTransaction && FUpdateTransaction != FTransaction)
    FUpdateTransaction->RemoveFreeNotification(this);
  FUpdateTransaction = value;
  if (FUpdateTransaction) FUpdateTransaction->FreeNotification(this);
}

TDATransaction* TCustomDADataSet::EffectiveTransaction() {
  TCustomDAConnection* connection = EffectiveConnection();
  if (!connection) return FTransaction;
  if (connection->IsMultipleTransactionsSupported() && FTransaction) return FTransaction;
  return connection->EffectiveTransaction();
}

void TCustomDADataSet::TransactionEnded(TDATransaction* transaction) {
  // Only a dataset that has an updater can hold a lock.
  TDataSetService* service = DataSetService();
  if (auto* updater = service ? dynamic_cast<TDADataSetUpdater*>(service->Updater()) : nullptr)
    updater->TransactionEnded(transaction);
}

TDATransaction* TCustomDADataSet::EffectiveUpdateTransaction() {
  TCustomDAConnection* connection = EffectiveConnection();
  if (FUpdateTransaction && connection && connection->IsMultipleTransactionsSupported())
    return FUpdateTransaction;
  return EffectiveTransaction();
}

void TCustomDADataSet::CreateData() {
  if (EffectiveConnection()) CheckIRecordSet();
}

void TCustomDADataSet::CheckIRecordSet() {
  TCustomDAConnection* connection = EffectiveConnection();
  if (!connection) return;
  const TLxRecordSetClass recordSetClass = connection->GetIRecordSetClass();
  TLxRecordSet* rs = IRecordSet();
  if (!rs || typeid(*rs) != *recordSetClass.Type) SetData(recordSetClass.Create());
}

void TCustomDADataSet::FreeIRecordSet() {
  FICommand = nullptr;
  if (FCommand) FCommand->AttachICommand(nullptr);
  TMemDataSet::SetData(nullptr);
}

void TCustomDADataSet::SetData(std::unique_ptr<TData> value) {
  FICommand = nullptr;
  // The internal command lets go of the old record set's command before the record set goes.
  if (FCommand) FCommand->AttachICommand(nullptr);
  TMemDataSet::SetData(std::move(value));
  TLxRecordSet* rs = IRecordSet();
  if (!rs) return;
  FICommand = rs->GetCommand();
  TCustomDAConnection* connection = EffectiveConnection();
  rs->SetConnection(connection ? connection->IConnection() : nullptr);
  rs->SetComponent(this);
  PassSettings();
  rs->OnBeforeFetch = [this](bool& cancel) { DoBeforeFetch(cancel); };
  rs->OnAfterFetch = [this] { DoAfterFetch(); };
  FICommand->SetAfterExecute([this](bool result) { DoAfterExecute(result); });
  // The internal command writes the statement to its new provider command.
  if (FCommand) FCommand->AttachICommand(FICommand);
}

void TCustomDADataSet::PassSettings() {
  TLxRecordSet* rs = IRecordSet();
  if (!rs) return;
  rs->SetProp(pcUniDirectional, FUniDirectional);
  rs->SetProp(pcFetchRows, FFetchRows);
  rs->SetProp(pcFetchAll, GetFetchAll());
  rs->SetProp(pcReadOnly, FReadOnly);
  rs->SetProp(pcRefreshAfterUpdate, FRefreshOptions.Contains(roAfterUpdate));
  if (FOptions) {
    FOptions->PassAll();
    rs->SetTrimFixedChar(FOptions->TrimFixedChar());
    rs->SetTrimVarChar(FOptions->TrimVarChar());
    rs->SetSetEmptyStrToNull(FOptions->SetEmptyStrToNull());
  }
  FICommand->SetProp(pcAutoCommit, FAutoCommit);
}

bool TCustomDADataSet::PassToRecordSet(TLxPropCode prop, const Variant& value) {
  TLxRecordSet* rs = IRecordSet();
  return rs && rs->SetProp(prop, value);
}

bool TCustomDADataSet::PassToCommand(TLxPropCode prop, const Variant& value) {
  return FICommand && FICommand->SetProp(prop, value);
}

void TCustomDADataSet::OptionChanged(TDADataSetOptionEffect effect, bool value) {
  TLxRecordSet* rs = IRecordSet();
  switch (effect) {
    case oeRequiredFields:
      SetRequiredFields(value);
      if (Active()) FieldDefs()->SetUpdated(false);
      break;
    case oeNumberRange:
      SetNumberRange(value);
      break;
    case oeUnprepare:
      UnPrepare();
      break;
    case oeTrimFixedChar:
      if (rs) rs->SetTrimFixedChar(value);
      break;
    case oeTrimVarChar:
      if (rs) rs->SetTrimVarChar(value);
      break;
    case oeSetEmptyStrToNull:
      if (rs) rs->SetSetEmptyStrToNull(value);
      break;
    case oeFieldDefsOutdated:
      FieldDefs()->SetUpdated(false);
      break;
    case oeLocalMasterDetail:
      SetLocalMDFilter();
      break;
  }
}

// ---- Settings.

void TCustomDADataSet::SetFetchRows(int value) {
  if (value == FFetchRows) return;
  CheckInactive();
  if (value < 1 || value > 10000) DatabaseError(SFetchRowsRange);
  FFetchRows = value;
  PassToRecordSet(pcFetchRows, value);
}

void TCustomDADataSet::SetFetchAllValue(bool value) {
  FFetchAll = value;
  if (value) FUniDirectional = false;
  TLxRecordSet* rs = IRecordSet();
  if (!rs) return;
  rs->SetProp(pcUniDirectional, FUniDirectional);
  rs->SetProp(pcFetchAll, value);
  if (value && Active()) {
    rs->FetchAll();
    Resync(TResyncMode());
  }
}

void TCustomDADataSet::SetUniDirectional(bool value) {
  if (value == FUniDirectional) return;
  CheckInactive();
  FUniDirectional = value;
  if (value) FFetchAll = false;
  PassToRecordSet(pcUniDirectional, value);
  if (value) PassToRecordSet(pcFetchAll, false);
}

void TCustomDADataSet::SetReadOnly(bool value) {
  if (value != FReadOnly) PassToRecordSet(pcReadOnly, value);
  FReadOnly = value;
}

void TCustomDADataSet::SetAutoCommit(bool value) {
  FAutoCommit = value;
  PassToCommand(pcAutoCommit, value);
}

void TCustomDADataSet::SetRefreshOptions(TRefreshOptions value) {
  FRefreshOptions = value;
  PassToRecordSet(pcRefreshAfterUpdate, value.Contains(roAfterUpdate));
}

void TCustomDADataSet::SetKeyFields(const String& value) {
  if (value == FKeyFields) return;
  FKeyFields = value;
  FKeyFieldsCache.clear();
}

void TCustomDADataSet::SetUpdatingTable(const String& value) {
  if (value == FUpdatingTable) return;
  FUpdatingTable = value;
  if (Active()) DataSetService()->InitUpdatingInfo();
}

void TCustomDADataSet::SetParamCheck(bool value) {
  if (value == FCommand->ParamCheck()) return;
  FCommand->SetParamCheck(value);
}

// ---- The statement, kept by the internal command.

TStrings* TCustomDADataSet::SQL() const { return FCommand->SQL(); }
void TCustomDADataSet::SetSQLText(const String& text) { FCommand->SQL()->SetText(text); }
TDAParams* TCustomDADataSet::Params() const { return FCommand->Params(); }
bool TCustomDADataSet::ParamCheck() const { return FCommand->ParamCheck(); }
TDAParam* TCustomDADataSet::ParamByName(const String& name) const {
  return FCommand->ParamByName(name);
}
TDAParam* TCustomDADataSet::FindParam(const String& name) const {
  return FCommand->FindParam(name);
}
TMacros* TCustomDADataSet::Macros() const { return FCommand->Macros(); }
TMacro* TCustomDADataSet::MacroByName(const String& name) const {
  return FCommand->MacroByName(name);
}
String TCustomDADataSet::MacroOwnerSQLText() const { return FCommand->SQL()->Text(); }

// ---- The SQL text.

TStrings* TCustomDADataSet::UpdateSQL(TStatementType type) const {
  return FUpdateSQL[type].get();
}

void TCustomDADataSet::SetUpdateSQL(TStatementType type, TStrings* value) {
  TStringList* list = FUpdateSQL[type].get();
  if (!list) return;
  list->BeginUpdate();
  try {
    list->Assign(value);
  } catch (...) {
    list->EndUpdate();
    throw;
  }
  list->EndUpdate();
}

void TCustomDADataSet::SQLChanged() {
  // The update statements may use macros too.
  String text = FCommand->SQL()->Text();
  for (const auto& list : FUpdateSQL)
    if (list) text += list->Text();
  FCommand->ScanMacrosOf(text);
}

void TCustomDADataSet::ScanMacros() { SQLChanged(); }

void TCustomDADataSet::MacrosChanged() {
  if (!FCommand->ScanningMacros()) ResetSQLKeepingBase();
}

void TCustomDADataSet::ResetSQLKeepingBase() {
  const bool keep = FKeepBaseSQL;
  FKeepBaseSQL = true;
  try {
    FCommand->SQLTextChanged();
  } catch (...) {
    FKeepBaseSQL = keep;
    throw;
  }
  FKeepBaseSQL = keep;
}

void TCustomDADataSet::CommandSQLChanged(bool procCallMark) {
  // Anybody else's change makes the saved base text meaningless.
  if (!FKeepBaseSQL) FBaseSQL.clear();
  Close();
  UnPrepare();
  FieldDefs()->SetUpdated(false);
  if (TLxRecordSet* rs = IRecordSet(); rs && !procCallMark) {
    if (FICommand->GetCursorState() != csInactive) FICommand->SetCursorState(csInactive);
    rs->SetCommandType(ctUnknown);
  }
  FKeyFieldsCache.clear();
  FTableNameCache.clear();
}

String TCustomDADataSet::FinalSQL() {
  String sql = FCommand->FinalSQL();
  if (!FFilterSQL.empty()) sql = SQLAddWhere(sql, FFilterSQL);
  // A detail linked by field pairs and queried on the server selects the master's rows itself.
  if (HasMasterDetail() && !IsLocalMasterDetail()) {
    const String condition = MasterDetailCondition();
    if (!condition.empty()) sql = SQLAddWhere(sql, condition);
  }
  return sql;
}

String TCustomDADataSet::BaseSQL() const {
  String sql = FBaseSQL.empty() ? SQL()->Text() : FBaseSQL;
  if (Macros()->Count() > 0) Macros()->Expand(sql);
  return sql;
}

void TCustomDADataSet::AddWhere(const String& condition) {
  CheckSQL();
  SetSQLKeepingBase(SQLAddWhere(Trim(SQL()->Text()), condition));
}

void TCustomDADataSet::SetSQLKeepingBase(const String& text) {
  if (Trim(SQL()->Text()) == text) return;
  if (FBaseSQL.empty()) FBaseSQL = SQL()->Text();
  FKeepBaseSQL = true;
  try {
    SQL()->SetText(text);
  } catch (...) {
    FKeepBaseSQL = false;
    throw;
  }
  FKeepBaseSQL = false;
}

String TCustomDADataSet::GetOrderBy() {
  CheckSQL();
  return SQLGetOrderBy(Trim(SQL()->Text()));
}

String TCustomDADataSet::SQLGetFrom(const String&) { return {}; }
String TCustomDADataSet::SQLAddWhere(const String&, const String&) { return {}; }
String TCustomDADataSet::SQLDeleteWhere(const String&) { return {}; }
String TCustomDADataSet::SQLGetWhere(const String&) { return {}; }
String TCustomDADataSet::SQLSetOrderBy(const String&, const String&) { return {}; }
String TCustomDADataSet::SQLGetOrderBy(const String&) { return {}; }

void TCustomDADataSet::SetFilterSQL(const String& value) {
  if (value == FFilterSQL) return;
  const String old = FFilterSQL;
  const bool wasActive = Active();
  FFilterSQL = Trim(value);
  if (!ComponentState().Contains(csReading)) {
    Close();
    UnPrepare();
  }
  // The condition may bring parameters of its own.
  FCommand->ProcessSQL();
  if (!wasActive) return;
  try {
    Open();
  } catch (...) {
    // The user's condition made the statement fail: the dataset keeps the one that worked.
    FFilterSQL = old;
    FCommand->ProcessSQL();
    throw;
  }
}

// ---- Parameters, through the internal command.

void TCustomDADataSet::WriteParams(bool withValues) {
  if (FICommand) FCommand->WriteParams(withValues);
}

void TCustomDADataSet::ReadParams() {
  if (FICommand) FCommand->ReadParams();
}

// ---- Field information.

TDataTypeCode TCustomDADataSet::GetDataType(const String& fieldName) {
  TLxRecordSet* rs = IRecordSet();
  TFieldDesc* desc = rs ? rs->FindField(fieldName) : nullptr;
  if (!desc) throw Exception(Format(SFieldNotFoundFmt, {fieldName}));
  return desc->DataType();
}

TFieldDesc* TCustomDADataSet::GetFieldDescByNo(int fieldNo) {
  TLxRecordSet* rs = IRecordSet();
  if (!rs || fieldNo < 1 || fieldNo > rs->Fields().Count()) return nullptr;
  return rs->Fields()[fieldNo - 1];
}

void TCustomDADataSet::Resync(TResyncMode mode) {
  if (Active()) TMemDataSet::Resync(mode);
}

// ---- What the connection asks during failover.

bool TCustomDADataSet::ClientPrepared() const { return Prepared(); }

bool TCustomDADataSet::ClientFetched() const {
  return const_cast<TCustomDADataSet*>(this)->Fetched();
}

bool TCustomDADataSet::ClientIsQuery() const {
  TLxRecordSet* rs = IRecordSet();
  return !rs || rs->CommandType() != ctNoResult;
}
