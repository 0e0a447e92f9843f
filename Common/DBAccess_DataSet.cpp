// The dataset component: construction, the connection and the provider record set, settings that
// reach the record set as numbered properties, the SQL text and its parameters.
#include "Common/DBAccess_DataSet.h"

#include "Common/DBAccess.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/StrUtils.h"

namespace {

// Finds the parameters of a text with the lexer of the dataset's dialect, without a connection:
// a command of no provider that only parses.
class TParamScanner : public TLxCommand {
 public:
  explicit TParamScanner(TParserClass parserClass) : FParserClass(parserClass) {}
  TParserClass GetParserClass() const override { return FParserClass; }
  bool GetPrepared() const override { return false; }
  void Execute(int) override {}
  TCursorState GetCursorState() const override { return csInactive; }
  void SetCursorState(TCursorState) override {}
  String CreateProcCall(const String&, bool) override { return {}; }

 private:
  TParserClass FParserClass;
};

// The text without trailing blanks and control characters.
String TrimRightControl(const String& text) {
  size_t end = text.size();
  while (end > 0 && text[end - 1] < 33) --end;
  return text.substr(0, end);
}

}  // namespace

TCustomDADataSet::TCustomDADataSet(TComponent* owner) : TMemDataSet(owner) {
  // Without a connection there is no record set: the connection names its class.
  SetData(nullptr);
  FSQL = std::make_unique<TStringList>();
  FSQL->OnChange = [this](TObject*) { SQLChanged(); };
  FParams = std::make_unique<TDAParams>(nullptr);
  FMacros = std::make_unique<TMacros>(this);
  FMacros->SetParserClass(GetParserClass());
  FOptions = CreateOptions();
  const TStatementTypes kept = GetUpdateStatementTypes();
  for (int i = 0; i < StatementTypeCount; ++i) {
    if (!kept.Contains(static_cast<TStatementType>(i))) continue;
    FUpdateSQL[i] = std::make_unique<TStringList>();
    FUpdateSQL[i]->OnChange = [this](TObject*) { ScanMacros(); };
  }
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
  if (FConnection) {
    FConnection->UnRegisterClient(this);
    FConnection->RemoveFreeNotification(this);
    FConnection = nullptr;
  }
  FreeIRecordSet();
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
  if (operation == opRemove && component == FConnection) {
    // The connection is half destroyed by now: only the pointers are dropped.
    FConnection = nullptr;
    if (TLxRecordSet* rs = IRecordSet()) rs->SetConnection(nullptr);
  }
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
  TMemDataSet::SetData(nullptr);
}

void TCustomDADataSet::SetData(std::unique_ptr<TData> value) {
  FICommand = nullptr;
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
  WriteSQL();
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
  if (value == FParamCheck) return;
  FParamCheck = value;
  PassToCommand(pcParamCheck, value);
  if (value) CreateParamsFromSQL();
}

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

void TCustomDADataSet::SQLChanged() { ResetSQL(true); }

void TCustomDADataSet::ScanMacros() {
  // The update statements may use macros too.
  String text = FSQL->Text();
  for (const auto& list : FUpdateSQL)
    if (list) text += list->Text();
  FScanningMacros = true;
  try {
    FMacros->Scan(text);
  } catch (...) {
    FScanningMacros = false;
    throw;
  }
  FScanningMacros = false;
}

void TCustomDADataSet::MacrosChanged() {
  if (FScanningMacros) return;
  ResetSQLKeepingBase();
}

void TCustomDADataSet::ResetSQLKeepingBase() {
  const bool keep = FKeepBaseSQL;
  FKeepBaseSQL = true;
  try {
    ResetSQL(false);
  } catch (...) {
    FKeepBaseSQL = keep;
    throw;
  }
  FKeepBaseSQL = keep;
}

void TCustomDADataSet::ResetSQL(bool rescanMacros) {
  // Anybody else's change makes the saved base text meaningless.
  if (!FKeepBaseSQL) FBaseSQL.clear();
  if (rescanMacros) ScanMacros();
  Close();
  UnPrepare();
  FieldDefs()->SetUpdated(false);
  if (TLxRecordSet* rs = IRecordSet()) {
    if (FICommand->GetCursorState() != csInactive) FICommand->SetCursorState(csInactive);
    rs->SetCommandType(ctUnknown);
  }
  FKeyFieldsCache.clear();
  FTableNameCache.clear();
  WriteSQL();
  if (FParamCheck) CreateParamsFromSQL();
}

void TCustomDADataSet::WriteSQL() {
  if (!FICommand) return;
  FICommand->SetSQL(FSQL->Count() > 0 ? FinalSQL() : String());
}

String TCustomDADataSet::FinalSQL() {
  String sql = TrimRightControl(FSQL->Text());
  if (FMacros->Count() > 0) FMacros->Expand(sql);
  if (!FFilterSQL.empty()) sql = SQLAddWhere(sql, FFilterSQL);
  // A detail linked by field pairs and queried on the server selects the master's rows itself.
  if (HasMasterDetail() && !IsLocalMasterDetail()) {
    const String condition = MasterDetailCondition();
    if (!condition.empty()) sql = SQLAddWhere(sql, condition);
  }
  return sql;
}

String TCustomDADataSet::BaseSQL() const {
  String sql = FBaseSQL.empty() ? FSQL->Text() : FBaseSQL;
  if (FMacros->Count() > 0) FMacros->Expand(sql);
  return sql;
}

void TCustomDADataSet::AddWhere(const String& condition) {
  CheckSQL();
  SetSQLKeepingBase(SQLAddWhere(Trim(FSQL->Text()), condition));
}

void TCustomDADataSet::SetSQLKeepingBase(const String& text) {
  if (Trim(FSQL->Text()) == text) return;
  if (FBaseSQL.empty()) FBaseSQL = FSQL->Text();
  FKeepBaseSQL = true;
  try {
    FSQL->SetText(text);
  } catch (...) {
    FKeepBaseSQL = false;
    throw;
  }
  FKeepBaseSQL = false;
}

String TCustomDADataSet::GetOrderBy() {
  CheckSQL();
  return SQLGetOrderBy(Trim(FSQL->Text()));
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
  WriteSQL();
  if (FParamCheck) CreateParamsFromSQL();
  if (!wasActive) return;
  try {
    Open();
  } catch (...) {
    // The user's condition made the statement fail: the dataset keeps the one that worked.
    FFilterSQL = old;
    WriteSQL();
    if (FParamCheck) CreateParamsFromSQL();
    throw;
  }
}

// ---- Parameters.

void TCustomDADataSet::CreateParamsFromSQL() {
  TParamScanner scanner(FICommand ? FICommand->GetParserClass() : GetParserClass());
  TParamDescs descs;
  // The statement as it will run: parameters may come from macros and the filter condition.
  scanner.ParseSQL(FSQL->Count() > 0 ? FinalSQL() : String(), &descs);
  // The old values go to the parameters of the same name in the new list.
  TDAParams old(nullptr);
  old.Assign(FParams.get());
  FParams->BeginUpdate();
  try {
    FParams->Clear();
    for (int i = 0; i < descs.Count(); ++i) {
      const String& name = descs.GetItem(i)->GetName();
      // A name used twice is one parameter, bound at every place it appears.
      if (FParams->FindParam(name)) continue;
      TDAParam* param = FParams->CreateParam(ftUnknown, name, ptUnknown);
      if (TDAParam* previous = old.FindParam(name)) param->Assign(previous);
    }
  } catch (...) {
    FParams->EndUpdate();
    throw;
  }
  FParams->EndUpdate();
}

void TCustomDADataSet::WriteParams(bool withValues) {
  if (!FICommand) return;
  const TDataTypesMap& map = GetDataTypesMapClass();
  TParamDescs& descs = FICommand->Params();
  // The command's descriptors come from the text, one per place; each takes the value of the
  // parameter of its name.
  for (int i = 0; i < descs.Count(); ++i) {
    TParamDesc* desc = descs.GetItem(i);
    // A nameless descriptor (a generated statement's "?") takes the parameter at its place.
    TDAParam* param = nullptr;
    if (!desc->GetName().empty())
      param = FParams->FindParam(desc->GetName());
    else if (i < FParams->Count())
      param = FParams->Items(i);
    if (!param) continue;
    desc->SetDataType(map.GetDataType(param->DataType()));
    desc->SetSubDataType(static_cast<uint16_t>(param->SubDataType()));
    desc->SetNational(param->National());
    desc->SetParamType(static_cast<uint8_t>(param->ParamType()));
    desc->SetIsBound(param->Bound());
    desc->SetSize(param->DAParamSize());
    if (!withValues) continue;
    desc->SetConvertEOL(FConnection && FConnection->ConvertEOL());
    if (param->IsSharedObject()) {
      desc->SetObject(param->ParamObject());
      desc->SetNull(param->IsNull());
      continue;
    }
    if (param->ParamType() == ptOutput || param->ParamType() == ptResult) continue;
    desc->SetValue(Variant());
    desc->SetValue(param->GetAsVariant());
  }
}

void TCustomDADataSet::ReadParams() {
  if (!FICommand) return;
  Variant canRead;
  if (!FICommand->GetProp(pcCanReadParams, canRead) || !canRead.AsBoolean()) return;
  // By name: a parameter used twice has two descriptors, so positions do not match.
  for (int i = 0; i < FParams->Count(); ++i) {
    TDAParam* param = FParams->Items(i);
    if (param->ParamType() == ptInput || param->IsSharedObject()) continue;
    if (TParamDesc* desc = FICommand->FindParam(param->Name()))
      param->SetAsVariant(desc->GetValue());
  }
  FICommand->SetProp(pcCanReadParams, false);
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
