// The command component at work: connect requests, prepare, execute with the replay after a
// reconnect, and the stored procedure call written into the SQL.
#include "Common/DBAccess.h"
#include "Common/DBAccess_SQL.h"
#include "Common/DBAccess_Transaction.h"
#include "platform/rtl/Exceptions.h"

// ---- Connect requests.

void TCustomDASQL::AcquireConnection(bool implicit) {
  TCustomDAConnection* connection = EffectiveConnection();
  if (!connection) DatabaseError(SConnectionNotDefined, this);
  // Checked before the request is taken, which a failed assertion would otherwise keep.
  CheckICommand();
  RTL_ASSERT(FICommand != nullptr, u"DBAccess: no provider command");
  if (implicit)
    connection->TakeConnectRequest();
  else if (!connection->Connected())
    connection->SetConnected(true);
  CheckICommand();
  connection->TakeTransactionUse(EffectiveTransaction(), implicit, this);
  // The provider connection exists only once the component connected.
  if (FICommand && !FDataSet) FICommand->SetConnection(connection->IConnection());
}

void TCustomDASQL::ReleaseConnection() {
  TCustomDAConnection* connection = EffectiveConnection();
  if (!connection) return;
  connection->DropTransactionUse(EffectiveTransaction());
  connection->DropConnectRequest();
}

// ---- Prepare.

bool TCustomDASQL::Prepared() const { return FICommand && FICommand->GetPrepared(); }

void TCustomDASQL::SetPrepared(bool value) {
  if (value)
    Prepare();
  else
    UnPrepare();
}

// A dataset's own command is reported by the dataset.
const TDASQLMonitorClass* TCustomDASQL::ReportingMonitor() {
  if (FNoMonitor || FDataSet) return nullptr;
  TCustomDAConnection* connection = EffectiveConnection();
  if (!connection) return nullptr;
  const TDASQLMonitorClass& monitor = connection->MonitorClass();
  return FDebug || monitor.HasMonitor() ? &monitor : nullptr;
}

void TCustomDASQL::Prepare() {
  if (Prepared()) return;
  // The request is held while prepared and given back by UnPrepare; a prepare that fails gives
  // it back at once, as nothing will unprepare it.
  AcquireConnection(true);
  const TDASQLMonitorClass* monitor = ReportingMonitor();
  int32_t eventId = 0;
  try {
    if (monitor) monitor->PrepareHook(this, FinalSQL(), true, eventId, Params());
    InternalPrepare();
  } catch (...) {
    ReleaseConnection();
    throw;
  }
  if (monitor) monitor->PrepareHook(this, FinalSQL(), false, eventId, Params());
  Variant describe;
  if (FICommand->GetProp(pcDescribeParams, describe) && describe.AsBoolean())
    CreateParamsFromICommand();
}

void TCustomDASQL::InternalPrepare() {
  WriteParams(false);
  FICommand->Prepare();
}

void TCustomDASQL::UnPrepare() {
  if (!Prepared()) return;
  try {
    InternalUnPrepare();
  } catch (...) {
    ReleaseConnection();
    throw;
  }
  ReleaseConnection();
}

void TCustomDASQL::InternalUnPrepare() { FICommand->Unprepare(); }

// ---- Execute.

bool TCustomDASQL::ClientExecuting() const { return FICommand && FICommand->Executing(); }

void TCustomDASQL::Execute(int iterations) {
  Variant executing;
  // Running again from inside its own execution would report nothing; the caller hears so.
  if (FICommand && FICommand->GetProp(pcExecuting, executing) && executing.AsBoolean())
    DatabaseError(SStatementExecuting, this);
  AcquireConnection(true);
  // The provider command gives the request back when it reports the end of the execution; one
  // that fails before it starts does not, and the request goes back here.
  const int reportsBefore = FAfterExecuteCount;
  try {
    DoBeforeExecute();
    WriteParams(true);
    const TDASQLMonitorClass* monitor = ReportingMonitor();
    int32_t eventId = 0;
    if (monitor) monitor->ExecuteHook(this, FinalSQL(), true, eventId, String(), Params());
    InternalExecute(iterations);
    if (monitor) monitor->ExecuteHook(this, FinalSQL(), false, eventId, String(), Params());
  } catch (...) {
    if (FAfterExecuteCount == reportsBefore) ReleaseConnection();
    throw;
  }
}

void TCustomDASQL::InternalExecute(int iterations) {
  TCustomDAConnection* connection = EffectiveConnection();
  if (connection) connection->EnterOperation(clExecute, true);
  try {
    for (;;) {
      try {
        FICommand->Execute(iterations);
        break;
      } catch (const EFailOver& e) {
        if (!connection || e.ConnLostCause() != clExecute) throw;
        connection->RestoreAfterReconnect();
        // The session was made anew: the provider command runs on its connection again.
        if (!FDataSet) FICommand->SetConnection(connection->IConnection());
      }
    }
  } catch (...) {
    if (connection) connection->LeaveOperation();
    throw;
  }
  if (connection) connection->LeaveOperation();
}

void TCustomDASQL::DoBeforeExecute() {
  if (BeforeExecute) BeforeExecute(this);
}

void TCustomDASQL::DoAfterExecute(bool result) {
  TCustomDAConnection* connection = EffectiveConnection();
  if (result) {
    ReadParams();
    Variant id;
    if (connection && connection->IConnection() &&
        connection->IConnection()->GetProp(pcLastInsertId, id))
      FLastInsertId = id.AsInt64();
  }
  if (connection)
    connection->AutoCommitTransactionUse(EffectiveTransaction(),
                                         result && connection->AutoCommit() && FAutoCommit);
  ReleaseConnection();
  if (AfterExecute) AfterExecute(this, result);
}

int TCustomDASQL::RowsAffected() const {
  Variant rows;
  if (!FICommand || !FICommand->GetProp(pcRowsAffected, rows)) return 0;
  return rows.AsInteger();
}

// ---- Stored procedure calls.

void TCustomDASQL::CreateProcCall(const String& name, bool needDescription, bool isQuery) {
  InternalCreateProcCall(name, needDescription, isQuery);
}

void TCustomDASQL::InternalCreateProcCall(const String& name, bool needDescription,
                                          bool isQuery) {
  if (name.empty()) DatabaseError(SStoredProcNameNotDefined, this);
  AcquireConnection(true);
  try {
    String call;
    if (needDescription) {
      call = FICommand->CreateProcCall(name, true);
      CreateParams();
    } else {
      WriteParams(false);
      call = FICommand->CreateProcCall(name, false);
    }
    // The parameters stay as they are: they describe the call.
    const bool mark = FProcCallMark;
    FProcCallMark = true;
    try {
      SetSQLText(call);
    } catch (...) {
      FProcCallMark = mark;
      throw;
    }
    FProcCallMark = mark;
    FStoredProcIsQuery = isQuery;
    SetStoredProcName(name);
  } catch (...) {
    ReleaseConnection();
    throw;
  }
  ReleaseConnection();
}
