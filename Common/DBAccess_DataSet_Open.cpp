// The dataset component at work: connect requests, prepare, open, execute, fetch, close and
// refresh, each replayed when the connection was re-established under it.
#include <cctype>
#include <memory>

#include "Common/DBAccess.h"
#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_Transaction.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// Leaves the connection's failover operation when the scope ends.
class TOperationScope {
 public:
  TOperationScope(TCustomDAConnection* connection, TConnLostCause cause, bool allowFailOver)
      : FConnection(connection) {
    if (FConnection) FConnection->EnterOperation(cause, allowFailOver);
  }
  ~TOperationScope() {
    if (FConnection) FConnection->LeaveOperation();
  }
  TOperationScope(const TOperationScope&) = delete;
  TOperationScope& operator=(const TOperationScope&) = delete;

 private:
  TCustomDAConnection* FConnection;
};

// Whether a statement reads rows, by its first word. A statement with rows is opened rather than
// executed, so that its result is read once and never left pending on the session.
bool ReadsRows(const String& sql, TParserClass parserClass) {
  std::unique_ptr<TParser> parser = parserClass(UTF8Encode(sql));
  parser->SkipComments = true;
  AnsiString word;
  TLexemeCode code;
  do {
    code = parser->GetNextToken(word);
  } while (code != lcEndOfText && word == "(");
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return word == "SELECT" || word == "SHOW" || word == "WITH" || word == "DESCRIBE" ||
         word == "DESC" || word == "EXPLAIN" || word == "VALUES" || word == "TABLE";
}

}  // namespace

// ---- Connect requests.

void TCustomDADataSet::AcquireConnection(bool implicit) {
  TCustomDAConnection* connection = EffectiveConnection();
  if (!connection) DatabaseError(SConnectionNotDefined, this);
  if (implicit)
    connection->TakeConnectRequest();
  else if (!connection->Connected())
    connection->SetConnected(true);
  CheckIRecordSet();
  CheckDataSetService();
  // Where the connection runs several transactions, the dataset reads in its own.
  connection->TakeTransactionUse(EffectiveTransaction(), implicit, this);
  // The provider connection exists only once the component connected.
  if (TLxRecordSet* rs = IRecordSet()) rs->SetConnection(connection->IConnection());
}

void TCustomDADataSet::ReleaseConnection() {
  TCustomDAConnection* connection = EffectiveConnection();
  if (!connection) return;
  connection->DropTransactionUse(EffectiveTransaction());
  connection->DropConnectRequest();
}

void TCustomDADataSet::ConnectChange(TObject* sender, bool connecting) {
  if (!connecting) {
    TCustomDAConnection* connection = EffectiveConnection();
    Disconnect(!(connection && connection->Options()->DisconnectedMode()));
    return;
  }
  if (dynamic_cast<TCustomDAConnection*>(sender)) return;
  if (TLxRecordSet* rs = IRecordSet()) {
    TCustomDAConnection* connection = EffectiveConnection();
    RTL_ASSERT(connection && connection->IConnection(), u"DBAccess");
    rs->SetConnection(connection->IConnection());
  }
}

void TCustomDADataSet::Disconnect(bool close) {
  if (close) {
    Close();
    UnPrepare();
    FieldDefs()->SetUpdated(false);
    return;
  }
  // Disconnected mode: the fetched rows stay; only the statement on the old session goes.
  if (TLxRecordSet* rs = IRecordSet()) {
    if (FCursorHoldsConnection) FCursorHoldsConnection = false;
    rs->UnprepareCommand();
  }
}

bool TCustomDADataSet::ReplayAfterFailOver() {
  TCustomDAConnection* connection = EffectiveConnection();
  if (!connection) return false;
  connection->RestoreAfterReconnect();
  return true;
}

// ---- Prepare.

void TCustomDADataSet::Prepare() {
  if (Prepared() || Active()) return;
  // The request is held while prepared and given back by UnPrepare.
  AcquireConnection(true);
  const TDASQLMonitorClass* monitor = ReportingMonitor();
  int32_t eventId = 0;
  try {
    if (monitor) monitor->PrepareHook(this, FinalSQL(), true, eventId, Params());
    WriteParams(false);
    TMemDataSet::Prepare();
  } catch (...) {
    ReleaseConnection();
    throw;
  }
  if (monitor) monitor->PrepareHook(this, FinalSQL(), false, eventId, Params());
}

const TDASQLMonitorClass* TCustomDADataSet::ReportingMonitor() {
  TCustomDAConnection* connection = EffectiveConnection();
  if (FNoMonitor || !connection) return nullptr;
  const TDASQLMonitorClass& monitor = connection->MonitorClass();
  return FDebug || monitor.HasMonitor() ? &monitor : nullptr;
}

void TCustomDADataSet::UnPrepare() {
  const bool wasPrepared = Prepared();
  const TDASQLMonitorClass* monitor = wasPrepared ? ReportingMonitor() : nullptr;
  int32_t eventId = 0;
  if (monitor) monitor->UnprepareHook(this, FinalSQL(), true, eventId, Params());
  try {
    TMemDataSet::UnPrepare();
  } catch (...) {
    if (wasPrepared) ReleaseConnection();
    throw;
  }
  if (wasPrepared) ReleaseConnection();
  if (TLxRecordSet* rs = IRecordSet()) rs->TablesInfo().Clear();
  if (monitor) monitor->UnprepareHook(this, FinalSQL(), false, eventId, Params());
}

// ---- Open and close.

void TCustomDADataSet::OpenCursor(bool infoQuery) {
  TCustomDAConnection* connection = EffectiveConnection();
  TOperationScope operation(connection, clOpen,
                            connection ? connection->IsFailOverAllowed() : false);
  FKeyFieldsCache.clear();
  AcquireConnection(true);
  if (infoQuery) {
    try {
      WriteParams(false);
      TMemDataSet::OpenCursor(true);
    } catch (...) {
      ReleaseConnection();
      throw;
    }
    ReleaseConnection();
    return;
  }
  // The cursor's request lasts until every row is fetched or the dataset closes.
  if (FCursorHoldsConnection) ReleaseConnection();
  FCursorHoldsConnection = true;
  for (;;) {
    try {
      BeforeOpenCursor(false);
      // A detail queried on the server runs with its master's current values.
      if (!IsLocalMasterDetail()) SetMasterParams(Params());
      FServerRecordCount =
          (!GetFetchAll() && FOptions->QueryRecCount) ? GetServerRecordCount() : 0;
      WriteParams(true);
      TMemDataSet::OpenCursor(false);
    } catch (const EFailOver&) {
      if (ReplayAfterFailOver()) continue;
      throw;
    }
    break;
  }
  Variant isSelectParams;
  Variant rows;
  if (FICommand && FICommand->GetProp(pcIsSelectParams, isSelectParams) &&
      isSelectParams.AsBoolean() && FICommand->GetProp(pcRowsAffected, rows))
    FRowsAffected = rows.AsInteger();
  else
    FRowsAffected = -1;
  AfterOpenCursor(false);
}

void TCustomDADataSet::InternalOpen() {
  if (FOptions->AutoPrepare()) Prepare();
  const TDASQLMonitorClass* monitor = ReportingMonitor();
  int32_t eventId = 0;
  if (monitor) monitor->ExecuteHook(this, FinalSQL(), true, eventId, String(), Params());
  AcquireConnection(true);
  try {
    TMemDataSet::InternalOpen();
  } catch (...) {
    ReleaseConnection();
    throw;
  }
  ReleaseConnection();
  if (monitor) monitor->ExecuteHook(this, FinalSQL(), false, eventId, String(), Params());
  TDataSet::SetUniDirectional(FUniDirectional);
}

void TCustomDADataSet::CloseCursor() {
  const bool release = FCursorHoldsConnection;
  FCursorHoldsConnection = false;
  try {
    TMemDataSet::CloseCursor();
  } catch (...) {
    if (release) ReleaseConnection();
    throw;
  }
  FieldDefs()->SetUpdated(false);
  if (release) ReleaseConnection();
}

void TCustomDADataSet::InternalClose() {
  try {
    TMemDataSet::InternalClose();
  } catch (const EDAError& e) {
    // The session is gone already; there is nothing left to close on it.
    if (!e.IsConnectionLost()) throw;
  }
  TLxRecordSet* rs = IRecordSet();
  if (rs && !Prepared()) rs->TablesInfo().Clear();
}

// ---- Fetching.

void TCustomDADataSet::DoBeforeFetch(bool& cancel) {
  if (BeforeFetch) BeforeFetch(this, cancel);
  if (cancel) FFetchCanceled = true;
}

void TCustomDADataSet::DoAfterFetch() {
  const bool allFetched = FICommand && FICommand->GetCursorState() == csFetched;
  if (!GetFetchAll() || allFetched) {
    if (AfterFetch) AfterFetch(this);
  }
  TLxRecordSet* rs = IRecordSet();
  if (rs && rs->IsCursorIdle() && FCursorHoldsConnection) {
    FCursorHoldsConnection = false;
    ReleaseConnection();
  }
}

void TCustomDADataSet::DoAfterScroll() {
  if (FFetchCanceled) {
    // A cancelled fetch left the window short of rows: show what the store holds now.
    FFetchCanceled = false;
    Resync(TResyncMode());
  }
  TMemDataSet::DoAfterScroll();
}

bool TCustomDADataSet::Fetched() {
  if (!FICommand) return false;
  const TCursorState state = FICommand->GetCursorState();
  return state >= csFetched || (Active() && state == csInactive);
}

int TCustomDADataSet::GetRecordCount() {
  TLxRecordSet* rs = IRecordSet();
  if (Active() && rs && !Fetched() && FOptions->QueryRecCount && FServerRecordCount != 0) {
    Variant counted;
    if (rs->GetProp(pcRecordCount, counted))
      return FServerRecordCount - counted.AsInteger() + TMemDataSet::GetRecordCount();
  }
  return TMemDataSet::GetRecordCount();
}

void TCustomDADataSet::BreakExec() {
  if (FICommand) FICommand->BreakExec();
  if (TLxRecordSet* rs = IRecordSet()) rs->BreakFetch();
}

// ---- Execute.

bool TCustomDADataSet::IsQuery() {
  TLxRecordSet* rs = IRecordSet();
  if (!rs) return false;
  if (rs->HasResultSet()) return true;
  // Inside the execution's own callback the kind may not be known yet; a result that waits to
  // be read says it.
  return FInAfterExecute && FICommand && FICommand->GetCursorState() == csExecuted;
}

void TCustomDADataSet::ExecCommand() { IRecordSet()->ExecCommand(); }

void TCustomDADataSet::DoBeforeExecute() {
  if (BeforeExecute) BeforeExecute(this);
}

void TCustomDADataSet::DoAfterExecute(bool result) {
  FInAfterExecute = result;
  struct TReset {
    bool& flag;
    ~TReset() { flag = false; }
  } reset{FInAfterExecute};
  const bool query = IsQuery();
  if (result) {
    ReadParams();
    Variant rows;
    if (FICommand->GetProp(pcRowsAffected, rows)) FRowsAffected = rows.AsInteger();
    if (!query) {
      TCustomDAConnection* connection = EffectiveConnection();
      Variant id;
      if (connection && connection->IConnection() &&
          connection->IConnection()->GetProp(pcLastInsertId, id))
        FLastInsertId = id.AsInt64();
    }
  }
  // A statement without rows ends its transaction's use as the two AutoCommit settings say.
  TCustomDAConnection* connection = EffectiveConnection();
  if (!query && connection)
    connection->AutoCommitTransactionUse(EffectiveTransaction(),
                                         result && connection->AutoCommit() && FAutoCommit);
  // An execution that ends here gives back the request Execute took; a result set keeps it for
  // its rows.
  if ((!result || !query) && FExecuting) ReleaseConnection();
  if (AfterExecute) AfterExecute(this, result);
}

void TCustomDADataSet::Execute() {
  TCustomDAConnection* connection = EffectiveConnection();
  TOperationScope operation(connection, clExecute, true);
  Variant executing;
  if (FExecuting || (FICommand && FICommand->GetProp(pcExecuting, executing) &&
                     executing.AsBoolean()))
    DatabaseError(SStatementExecuting, this);
  AcquireConnection(true);
  if (Active()) Close();
  TLxRecordSet* rs = IRecordSet();
  for (;;) {
    try {
      if (FOptions->AutoPrepare()) Prepare();
      if (IsQuery() || (rs->CommandType() == ctUnknown &&
                        ReadsRows(FICommand->SQL(), FICommand->GetParserClass()))) {
        Open();
        ReleaseConnection();
        return;
      }
      DoBeforeExecute();
      WriteParams(true);
      const TDASQLMonitorClass* monitor = ReportingMonitor();
      int32_t eventId = 0;
      if (monitor) monitor->ExecuteHook(this, FinalSQL(), true, eventId, String(), Params());
      FExecuting = true;
      try {
        ExecCommand();
      } catch (...) {
        FExecuting = false;
        throw;
      }
      FExecuting = false;
      if (monitor) monitor->ExecuteHook(this, FinalSQL(), false, eventId, String(), Params());
      if (FICommand->GetCursorState() == csExecuted) {
        // Rows came back from a statement that names none (a procedure call): they are given
        // up with every result that follows them, so that the session is ready for the next
        // statement.
        rs->InternalClose();
        // The execution kept its request for rows that nobody will read.
        ReleaseConnection();
      }
      return;
    } catch (const EFailOver& e) {
      if (e.ConnLostCause() == clExecute && ReplayAfterFailOver()) continue;
      throw;
    }
  }
}

// ---- Refresh.

void TCustomDADataSet::InternalRefresh() {
  TCustomDAConnection* connection = EffectiveConnection();
  TOperationScope operation(connection, clRefresh,
                            connection ? connection->IsFailOverAllowed() : false);
  TRecordKey key;
  bool firstPass = true;
  FScrollAfterRefresh = false;
  for (;;) {
    try {
      AcquireConnection(true);
      // The new cursor takes over the old one's request.
      if (FCursorHoldsConnection) ReleaseConnection();
      FCursorHoldsConnection = true;
      if (firstPass) {
        firstPass = false;
        key = CurrentRecordKey();
      }
      FServerRecordCount =
          (!GetFetchAll() && FOptions->QueryRecCount) ? GetServerRecordCount() : 0;
      TMonitoredExecution report(this, this, u"Refresh");
      DoBeforeExecute();
      WriteParams(true);
      // A second request for the reread itself: in disconnected mode the session closes after
      // the reread, not in the middle of it when the last row arrives.
      AcquireConnection(true);
      try {
        TMemDataSet::InternalRefresh();
      } catch (...) {
        ReleaseConnection();
        throw;
      }
      ReleaseConnection();
      report.Done();
      FRowsAffected = -1;
      ApplyRefreshKeepingRecord(key);
      return;
    } catch (const EFailOver&) {
      if (ReplayAfterFailOver()) continue;
      throw;
    }
  }
}

void TCustomDADataSet::RefreshData() {
  TLxRecordSet* rs = IRecordSet();
  const int recordSize = rs->RecordSize();
  try {
    TMemDataSet::RefreshData();
  } catch (const EFailOver&) {
    throw;
  } catch (...) {
    Close();
    throw;
  }
  if (rs->RecordSize() != recordSize) {
    Close();
    Open();
  }
}

// ---- Describing and cursors.

void TCustomDADataSet::OpenForDescribe(TDescribeState& state, bool force) {
  state.Active = Active();
  state.Debug = FDebug;
  state.FetchAll = GetFetchAll();
  state.FetchRows = FFetchRows;
  if (!force && Active()) return;
  FDebug = false;
  SetFetchAllValue(false);
  Close();
  SetFetchRows(1);
  try {
    Execute();
  } catch (...) {
    // The caller learns of the failure by the missing fields; the settings come back.
    RestoreAfterDescribe(state, true);
  }
}

void TCustomDADataSet::RestoreAfterDescribe(const TDescribeState& state, bool reopen) {
  FDebug = state.Debug;
  SetFetchAllValue(state.FetchAll);
  if (!reopen) return;
  if (FFetchRows != state.FetchRows) {
    Close();
    SetFetchRows(state.FetchRows);
  }
  SetActive(state.Active);
}

void* TCustomDADataSet::GetCursor() { return FICommand ? FICommand->GetCursor() : nullptr; }

void TCustomDADataSet::SetCursor(void* cursor) {
  if (cursor == GetCursor()) return;
  CheckConnection();
  Close();
  UnPrepare();
  FieldDefs()->SetUpdated(false);
  CheckIRecordSet();
  FICommand->SetCursor(cursor);
  IRecordSet()->SetCommandType(ctCursor);
}
