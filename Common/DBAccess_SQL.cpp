// The command component: construction, the connection and the provider command, the SQL text
// and its change handler, settings and assignment.
#include "Common/DBAccess_SQL.h"

#include "Common/DBAccess.h"
#include "Common/DBAccess_Transaction.h"
#include "platform/rtl/Exceptions.h"

namespace {

// The text without trailing blanks and control characters.
String TrimRightControl(const String& text) {
  size_t end = text.size();
  while (end > 0 && text[end - 1] < 33) --end;
  return text.substr(0, end);
}

// Sets a flag for the length of a scope, and back on the way out (also by an exception).
class TFlagScope {
 public:
  TFlagScope(bool& flag, bool value) : FFlag(flag), FOld(flag) { FFlag = value; }
  ~TFlagScope() { FFlag = FOld; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& FFlag;
  bool FOld;
};

}  // namespace

std::unique_ptr<TCustomDASQL> TCustomDAConnection::CreateSQL() {
  DatabaseError(u"Must be overrided", this);
}

TCustomDASQL::TCustomDASQL(TComponent* owner)
    : TComponent(owner), FDataSet(dynamic_cast<TCustomDADataSet*>(owner)) {
  FSQL = std::make_unique<TStringList>();
  FSQL->OnChange = [this](TObject*) { SQLChanged(); };
  FParams = std::make_unique<TDAParams>(nullptr);
  // A dataset's macros tell the dataset of their changes.
  FMacros = std::make_unique<TMacros>(FDataSet ? static_cast<TPersistent*>(FDataSet) : this);
  FMacros->SetParserClass(GetParserClass());
}

TCustomDASQL::~TCustomDASQL() {
  // A destructor cannot report a failing unprepare; the connect request goes back all the same.
  // A dataset's statement is its dataset's to unprepare.
  if (!FDataSet) {
    try {
      UnPrepare();
    } catch (...) {
    }
  }
  SetTransaction(nullptr);
  if (FConnection && !FDataSet && FConnection->MonitorClass().HasMonitor())
    FConnection->MonitorClass().ObjectDestroyedHook(this);
  if (FConnection) {
    FConnection->UnRegisterClient(this);
    FConnection->RemoveFreeNotification(this);
    FConnection = nullptr;
  }
  FSQL->OnChange = nullptr;
  FParams->Clear();
  ReleaseConvertedBlobs();
}

const TDataTypesMap& TCustomDASQL::GetDataTypesMapClass() {
  static const TDataTypesMap map;
  return map;
}

TParserClass TCustomDASQL::GetParserClass() { return &NewParser<TSQLParser>; }

// ---- The connection and the provider command.

TCustomDAConnection* TCustomDASQL::EffectiveConnection() {
  if (FConnection) return FConnection;
  return FDataSet ? FDataSet->EffectiveConnection() : nullptr;
}

void TCustomDASQL::SetTransaction(TDATransaction* value) {
  if (value == FTransaction) return;
  if (FTransaction) FTransaction->RemoveFreeNotification(this);
  FTransaction = value;
  if (FTransaction) FTransaction->FreeNotification(this);
}

TDATransaction* TCustomDASQL::EffectiveTransaction() {
  TCustomDAConnection* connection = EffectiveConnection();
  if (!connection) return nullptr;
  if (connection->IsMultipleTransactionsSupported()) {
    if (FTransaction) return FTransaction;
    if (FDataSet) {
      if (TDATransaction* own = FDataSet->EffectiveTransaction()) return own;
    }
  }
  return connection->EffectiveTransaction();
}

bool TCustomDASQL::MacroOwnerActive() const { return FDataSet && FDataSet->Active(); }

void TCustomDASQL::Disconnect() {
  if (FDataSet)
    FDataSet->Disconnect(true);
  else
    UnPrepare();
}

void TCustomDASQL::SetConnection(TCustomDAConnection* value) {
  if (value == FConnection && value == EffectiveConnection()) return;
  if (FConnection) {
    Disconnect();
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
  if (FICommand && !FDataSet)
    FICommand->SetConnection(FConnection ? FConnection->IConnection() : nullptr);
}

void TCustomDASQL::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FTransaction) FTransaction = nullptr;
  if (component == FConnection) {
    // The connection is half destroyed by now: only the pointers are dropped.
    FConnection = nullptr;
    if (FICommand && !FDataSet) FICommand->SetConnection(nullptr);
  }
}

void TCustomDASQL::ConnectChange(TObject*, bool connecting) {
  if (!connecting) {
    Disconnect();
    return;
  }
  TCustomDAConnection* connection = EffectiveConnection();
  if (FICommand && connection && !FDataSet) FICommand->SetConnection(connection->IConnection());
}

void TCustomDASQL::CheckICommand() {
  if (FDataSet) {
    FDataSet->CheckIRecordSet();
    return;
  }
  if (!FICommand) CreateICommand();
}

void TCustomDASQL::SetICommand(std::unique_ptr<TLxCommand> command) {
  AttachICommand(nullptr);
  FOwnedICommand = std::move(command);
  AttachICommand(FOwnedICommand.get());
}

void TCustomDASQL::AttachICommand(TLxCommand* command) {
  FICommand = command;
  if (!FICommand) return;
  // A dataset's record set gives its command the connection, the auto-commit and the
  // after-execute callback of the dataset.
  if (!FDataSet) {
    FICommand->SetConnection(FConnection ? FConnection->IConnection() : nullptr);
    FICommand->SetProp(pcAutoCommit, FAutoCommit);
    FICommand->SetAfterExecute([this](bool result) {
      ++FAfterExecuteCount;
      DoAfterExecute(result);
    });
    TComponent* owner = Owner();
    const bool ownerIsComponent = dynamic_cast<TCustomDAConnection*>(owner) != nullptr;
    FICommand->SetOwnerComponent(ownerIsComponent ? owner : this);
  }
  FICommand->SetProp(pcParamCheck, ParamCheckEffective());
  FICommand->SetProp(pcStoredProc, !FStoredProcName.empty());
  WriteSQL();
}

// ---- The SQL text.

void TCustomDASQL::SetSQL(TStrings* value) {
  if (FSQL->Text() == value->Text()) return;
  FSQL->BeginUpdate();
  try {
    FSQL->Assign(value);
  } catch (...) {
    FSQL->EndUpdate();
    throw;
  }
  FSQL->EndUpdate();
}

void TCustomDASQL::SetSQLText(const String& text) {
  TStringList lines;
  lines.SetText(text);
  SetSQL(&lines);
}

void TCustomDASQL::SQLChanged() {
  if (FDataSet)
    FDataSet->CommandSQLChanged(FProcCallMark);
  else
    UnPrepare();
  if (!FDataModifying) ScanMacros();
  if (!FProcCallMark) ProcessSQL();
  SetStoredProcName(String());
}

void TCustomDASQL::SQLTextChanged() {
  // The text stays; only what it expands to changed.
  TFlagScope noRescan(FDataModifying, true);
  SQLChanged();
}

void TCustomDASQL::MacrosChanged() {
  if (FScanningMacros) return;
  SQLTextChanged();
}

void TCustomDASQL::ScanMacros() {
  // A dataset's macros may stand in its update statement texts too.
  if (FDataSet)
    FDataSet->ScanMacros();
  else
    ScanMacrosOf(FSQL->Text());
}

void TCustomDASQL::ScanMacrosOf(const String& text) {
  TFlagScope scanning(FScanningMacros, true);
  FMacros->Scan(text);
}

void TCustomDASQL::ProcessSQL() {
  TLxCommand* before = FICommand;
  CheckICommand();
  // A new provider command took the text when it was installed.
  if (FICommand && FICommand == before) WriteSQL();
  if (!ParamCheckEffective() || FKeepParams) return;
  TDAParams old(nullptr);
  old.Assign(FParams.get());
  if (FICommand) {
    CreateParams();
  } else {
    // No provider yet (no connection): the parameters come from the text all the same, so that
    // a form can fill them before it connects.
    ParseSQLParams(SQLForICommand(), FParams.get());
  }
  FParams->AssignValues(&old);
}

String TCustomDASQL::SQLForICommand() {
  if (FSQL->Count() == 0) return String();
  return FDataSet ? FDataSet->FinalSQL() : FinalSQL();
}

void TCustomDASQL::WriteSQL() {
  if (!FICommand) return;
  const String text = SQLForICommand();
  if (!FKeepParams) {
    FICommand->SetSQL(text);
    return;
  }
  FICommand->SetProp(pcDisableParamScan, true);
  try {
    FICommand->SetSQL(text);
  } catch (...) {
    FICommand->SetProp(pcDisableParamScan, false);
    throw;
  }
  FICommand->SetProp(pcDisableParamScan, false);
}

String TCustomDASQL::FinalSQL() {
  String sql = TrimRightControl(FSQL->Text());
  if (FMacros->Count() > 0) FMacros->Expand(sql);
  return sql;
}

// ---- Settings.

bool TCustomDASQL::ParamCheckEffective() const {
  return FParamCheck || ComponentState().Contains(csDesigning);
}

void TCustomDASQL::SetParamCheck(bool value) {
  FParamCheck = value;
  if (FICommand) FICommand->SetProp(pcParamCheck, ParamCheckEffective());
  if (ParamCheckEffective()) ProcessSQL();
}

void TCustomDASQL::SetAutoCommit(bool value) {
  FAutoCommit = value;
  if (FICommand) FICommand->SetProp(pcAutoCommit, value);
}

void TCustomDASQL::SetStoredProcName(const String& value) {
  FStoredProcName = value;
  if (FICommand) FICommand->SetProp(pcStoredProc, !value.empty());
}

void TCustomDASQL::AssignTo(TPersistent* dest) {
  auto* target = dynamic_cast<TCustomDASQL*>(dest);
  if (!target) {
    TComponent::AssignTo(dest);
    return;
  }
  target->SetConnection(FConnection);
  target->SetParamCheck(FParamCheck);
  target->SetSQLText(FSQL->Text());
  target->Macros()->Assign(FMacros.get());
  target->Params()->Assign(FParams.get());
  target->SetDebug(FDebug);
  target->SetAutoCommit(FAutoCommit);
  // Through the setter: the provider command must know it runs a procedure call.
  target->SetStoredProcName(FStoredProcName);
  target->FStoredProcIsQuery = FStoredProcIsQuery;
}
