// The transaction component: connections, the provider transaction, explicit
// and implicit starts and ends, savepoints, and failover.
#include "Common/DBAccess_Transaction.h"

#include <algorithm>

#include "Common/DBAccess.h"
#include "Common/DBAccess_SQL.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"

namespace {
constexpr char16_t SInactiveTransaction[] = u"Can't perform operation on inactive transaction";
constexpr char16_t SActiveTransaction[] = u"Can't perform operation on active transaction";
constexpr char16_t SConnectionNotActive[] =
    u"One of the connections in the transaction is not active";
constexpr char16_t SMultipleTransactions[] =
    u"Multiple transactions are not supported by the database";

// The component's own refusals reach the monitor, as the server's errors do through the
// connection.
[[noreturn]] void Fail(const TDATransaction& transaction, const char16_t* message) {
  Exception e(message);
  if (transaction.MonitorClass().HasMonitor()) transaction.MonitorClass().ErrorHook(e);
  throw e;
}
}  // namespace

TDATransaction::TDATransaction(TComponent* owner) : TComponent(owner) {}

TDATransaction::~TDATransaction() {
  Destroying();
  try {
    CloseTransaction(true);
  } catch (const std::exception&) {
    // Forced: nothing may keep the component from going.
  }
  ClearRefs();
  FreeITransaction();
}

TCustomDAConnection* TDATransaction::GetConnection(int index) const {
  if (index < 0 || index >= ConnectionsCount())
    throw EListError(u"List index out of bounds (" + IntToStr(index) + u")");
  return FConnections[static_cast<size_t>(index)];
}

void TDATransaction::CheckActive() {
  if (!GetActive()) Fail(*this, SInactiveTransaction);
}

void TDATransaction::CheckInactive() {
  if (GetActive()) Fail(*this, SActiveTransaction);
}

bool TDATransaction::GetInTransaction() {
  return FITransaction && FITransaction->GetInTransaction();
}

TCustomDAConnection* TDATransaction::EffectiveConnection() {
  if (FDefaultConnection) return FDefaultConnection;
  return FConnections.empty() ? nullptr : FConnections.front();
}

void TDATransaction::SetIsolationLevel(uint8_t value) {
  CheckInactive();
  if (FITransaction) FITransaction->SetProp(pcIsolationLevel, static_cast<int32_t>(value));
  FIsolationLevel = value;
}

void TDATransaction::SetReadOnly(bool value) {
  CheckInactive();
  if (FITransaction) FITransaction->SetProp(pcTransactionReadOnly, value);
  FReadOnly = value;
}

// --- the provider transaction
// -------------------------------------------------------------

TLxTransactionKind TDATransaction::GetITransactionClass() {
  AssertErrorHandler(u"Must be overrided", __FILE__, __LINE__);
}

void TDATransaction::SetITransaction(TLxTransaction* transaction) {
  if (FITransaction && FITransaction != transaction) FreeITransaction();
  FITransaction = transaction;
  if (!FITransaction) return;
  FITransaction->SetProp(pcIsolationLevel, static_cast<int32_t>(FIsolationLevel));
  FITransaction->SetProp(pcTransactionReadOnly, FReadOnly);
  FITransaction->SetOwnerComponent(this);
}

void TDATransaction::FreeITransaction() {
  if (!FShared) FOwnedITransaction.reset();
  FITransaction = nullptr;
}

void TDATransaction::CreateITransaction() {
  std::unique_ptr<TLxTransaction> transaction = GetITransactionClass().Create();
  TLxTransaction* raw = transaction.get();
  SetITransaction(raw);
  FOwnedITransaction = std::move(transaction);
}

// A shared component follows its connection's provider connection, whose
// internal transaction is of the provider's class by construction; it only has
// to be the current one.
void TDATransaction::CheckITransaction() {
  if (FShared) {
    RTL_ASSERT(FDefaultConnection && FDefaultConnection->IConnection(),
               u"No provider connection to share the transaction of");
    TLxTransaction* internal = FDefaultConnection->IConnection()->GetInternalTransaction();
    if (FITransaction != internal) SetITransaction(internal);
    return;
  }
  // An open provider transaction is never replaced: its work would be lost.
  if (FITransaction && (FITransaction->GetActive() || GetITransactionClass().Is(FITransaction)))
    return;
  FreeITransaction();
  CreateITransaction();
}

// --- connections
// --------------------------------------------------------------------------

int TDATransaction::AddConnectionInternal(TCustomDAConnection* connection) {
  if (GetActive()) CloseTransaction(false);
  auto it = std::find(FConnections.begin(), FConnections.end(), connection);
  if (it != FConnections.end()) return static_cast<int>(it - FConnections.begin());
  FConnections.push_back(connection);
  return ConnectionsCount() - 1;
}

void TDATransaction::RemoveConnectionInternal(TCustomDAConnection* connection) {
  auto it = std::find(FConnections.begin(), FConnections.end(), connection);
  if (it == FConnections.end()) return;
  if (GetActive()) CloseTransaction(false);
  if (connection == FDefaultConnection) {
    RemoveFreeNotification(connection);
    FDefaultConnection = nullptr;
  }
  FConnections.erase(std::find(FConnections.begin(), FConnections.end(), connection));
  if (!FShared && FITransaction && connection->IConnection())
    FITransaction->DetachConnection(connection->IConnection());
}

void TDATransaction::DoAddConnection(TCustomDAConnection* connection) {
  AddConnectionInternal(connection);
  connection->AddTransaction(this);
}

void TDATransaction::DoRemoveConnection(TCustomDAConnection* connection) {
  RemoveConnectionInternal(connection);
  connection->RemoveTransaction(this);
}

void TDATransaction::SetDefaultConnection(TCustomDAConnection* connection) {
  if (connection == FDefaultConnection) return;
  if (TCustomDAConnection* old = FDefaultConnection) {
    RemoveFreeNotification(old);
    FDefaultConnection = nullptr;
    DoRemoveConnection(old);
  }
  if (connection) {
    DoAddConnection(connection);
    FreeNotification(connection);
  }
  FDefaultConnection = connection;
}

void TDATransaction::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FDefaultConnection) FDefaultConnection = nullptr;
}

void TDATransaction::ClearRefs() {
  for (TCustomDAConnection* connection : FConnections) {
    for (int i = 0; i < connection->ClientCount(); ++i) {
      TObject* client = connection->Clients(i);
      if (auto* dataSet = dynamic_cast<TCustomDADataSet*>(client)) {
        if (dataSet->Transaction() == this) dataSet->SetTransaction(nullptr);
        if (dataSet->UpdateTransaction() == this) dataSet->SetUpdateTransaction(nullptr);
      } else if (auto* command = dynamic_cast<TCustomDASQL*>(client)) {
        if (command->Transaction() == this) command->SetTransaction(nullptr);
      }
    }
  }
  while (!FConnections.empty()) DoRemoveConnection(FConnections.back());
}

void TDATransaction::NotifyTransactionEnd() {
  for (TCustomDAConnection* connection : FConnections) {
    if (connection->IsMultipleTransactionsSupported()) continue;
    for (int i = 0; i < connection->ClientCount(); ++i) {
      auto* dataSet = dynamic_cast<TCustomDADataSet*>(connection->Clients(i));
      if (!dataSet) continue;
      if (dataSet->EffectiveTransaction() == this ||
          dataSet->EffectiveUpdateTransaction() == this)
        dataSet->TransactionEnded(this);
    }
  }
}

// --- preparing and unpreparing the connections
// --------------------------------------------

// Every start takes a connect request on each connection, connecting the ones
// that are not (in disconnected mode that is the point of the request;
// otherwise it is what starting a transaction on the connection component has
// always done), and the end gives it back. So the requests balance whichever
// mode a connection is in.
void TDATransaction::PrepareTransaction(bool savepointMode) {
  if (savepointMode) {
    for (TCustomDAConnection* connection : FConnections)
      if (!connection->Connected()) Fail(*this, SConnectionNotActive);
  } else {
    for (size_t i = 0; i < FConnections.size(); ++i) {
      try {
        FConnections[i]->TakeConnectRequest();
        if (!FConnections[i]->Connected()) Fail(*this, SConnectionNotActive);
      } catch (...) {
        for (size_t j = 0; j <= i; ++j) FConnections[j]->DropConnectRequest();
        throw;
      }
    }
  }
  CheckITransaction();
  FDisconnectedModeTransaction = !FConnections.empty();
  for (TCustomDAConnection* connection : FConnections) {
    FITransaction->AttachConnection(connection->IConnection());
    FDisconnectedModeTransaction =
        FDisconnectedModeTransaction && connection->Options()->DisconnectedMode();
  }
  FPrepared = !savepointMode;
}

void TDATransaction::UnprepareTransaction() {
  if (!FPrepared) return;
  FPrepared = false;
  FUseCount = 0;
  FPendingCount = 0;
  FExplicitlyStarted = false;
  for (TCustomDAConnection* connection : FConnections)
    if (!connection->IsMultipleTransactionsSupported()) connection->RestoreProviderAutoCommit();
  // A copy: a disconnect in disconnected mode may not change the list, but stay
  // safe.
  const std::vector<TCustomDAConnection*> connections = FConnections;
  for (TCustomDAConnection* connection : connections) connection->DropConnectRequest();
}

// --- explicit operations
// ------------------------------------------------------------------

void TDATransaction::DoStartTransaction() {
  CheckInactive();
  for (TCustomDAConnection* connection : FConnections)
    if (!connection->IsMultipleTransactionsSupported() && connection->InTransaction())
      Fail(*this, SMultipleTransactions);
  PrepareTransaction(false);
  const TDASQLMonitorClass& monitor = MonitorClass();
  const bool monitored = monitor.HasMonitor();
  int32_t eventId = 0;
  if (monitored) monitor.StartHook(this, true, eventId);
  TCustomDAConnection* single = FConnections.size() == 1 ? FConnections.front() : nullptr;
  if (single) single->EnterOperation(clTransStart, single->IsFailOverAllowed());
  try {
    for (;;) {
      try {
        FITransaction->BeginTransaction();
        break;
      } catch (const EFailOver& e) {
        if (e.ConnLostCause() != clTransStart || !single) throw;
        // The lost session took the requests and the attachment with it (the
        // connection closed its transactions before reconnecting): prepare the
        // new one again.
        single->RestoreAfterReconnect();
        if (!FPrepared) {
          PrepareTransaction(false);
        } else {
          CheckITransaction();
          FITransaction->AttachConnection(single->IConnection());
        }
      }
    }
  } catch (...) {
    if (single) single->LeaveOperation();
    if (!GetActive()) UnprepareTransaction();
    throw;
  }
  if (single) single->LeaveOperation();
  for (TCustomDAConnection* connection : FConnections)
    if (!connection->IsMultipleTransactionsSupported()) connection->DisableProviderAutoCommit();
  FUseCount = 1;
  FExplicitlyStarted = true;
  if (monitored) monitor.StartHook(this, false, eventId);
  if (OnStart) OnStart(this);
}

// A failed end still ends the transaction when the provider says it is over:
// the requests and the auto-commit setting are given back before the error goes
// on.
void TDATransaction::EndTransaction(bool commit) {
  if (!FPrepared) PrepareTransaction(false);
  const TDASQLMonitorClass& monitor = MonitorClass();
  const bool monitored = monitor.HasMonitor();
  int32_t eventId = 0;
  if (monitored) (commit ? monitor.CommitHook(this, true, eventId)
                         : monitor.RollbackHook(this, true, eventId));
  NotifyTransactionEnd();
  try {
    if (commit)
      FITransaction->Commit();
    else
      FITransaction->Rollback();
  } catch (...) {
    if (!GetInTransaction()) UnprepareTransaction();
    throw;
  }
  if (monitored) (commit ? monitor.CommitHook(this, false, eventId)
                         : monitor.RollbackHook(this, false, eventId));
  if (!GetInTransaction()) UnprepareTransaction();
  if (commit && OnCommit) OnCommit(this);
  if (!commit && OnRollback) OnRollback(this);
}

void TDATransaction::DoCommit() { EndTransaction(true); }
void TDATransaction::DoRollback() { EndTransaction(false); }

void TDATransaction::DoCommitRetaining() {
  CheckActive();
  const TDASQLMonitorClass& monitor = MonitorClass();
  const bool monitored = monitor.HasMonitor();
  int32_t eventId = 0;
  if (monitored) monitor.CommitRetainingHook(this, true, eventId);
  FITransaction->CommitRetaining();
  FPendingCount = 0;
  if (monitored) monitor.CommitRetainingHook(this, false, eventId);
}

void TDATransaction::DoRollbackRetaining() {
  CheckActive();
  const TDASQLMonitorClass& monitor = MonitorClass();
  const bool monitored = monitor.HasMonitor();
  int32_t eventId = 0;
  if (monitored) monitor.RollbackRetainingHook(this, true, eventId);
  FITransaction->RollbackRetaining();
  FPendingCount = 0;
  if (monitored) monitor.RollbackRetainingHook(this, false, eventId);
}

void TDATransaction::RunSavepointStep(const String& name, TSavepointHook hook,
                                      void (TLxTransaction::*step)(const String&)) {
  if (!FPrepared) PrepareTransaction(true);
  const TDASQLMonitorClass& monitor = MonitorClass();
  const bool monitored = monitor.HasMonitor();
  int32_t eventId = 0;
  if (monitored) (monitor.*hook)(this, name, true, eventId);
  (FITransaction->*step)(name);
  if (monitored) (monitor.*hook)(this, name, false, eventId);
}

void TDATransaction::DoSavepoint(const String& name) {
  RunSavepointStep(name, &TDASQLMonitorClass::SavepointHook, &TLxTransaction::Savepoint);
}

void TDATransaction::DoReleaseSavepoint(const String& name) {
  RunSavepointStep(name, &TDASQLMonitorClass::ReleaseSavepointHook,
                   &TLxTransaction::ReleaseSavepoint);
}

void TDATransaction::DoRollbackToSavepoint(const String& name) {
  RunSavepointStep(name, &TDASQLMonitorClass::RollbackToSavepointHook,
                   &TLxTransaction::RollbackToSavepoint);
}

void TDATransaction::CloseTransaction(bool force) {
  if (!GetActive()) return;
  try {
    if (FDefaultCloseAction == taCommit)
      DoCommit();
    else
      DoRollback();
  } catch (const EDAError& e) {
    if (ComponentState().Contains(csDestroying) && e.IsConnectionLost()) return;
    if (!force) throw;
    if (FITransaction) FITransaction->ResetActive();
  } catch (const std::exception&) {
    if (!force) throw;
  }
}

// --- implicit uses
// ------------------------------------------------------------------------

void TDATransaction::AutoStart() {
  const int old = FUseCount;
  ++FUseCount;
  if (old == 0 && !GetActive()) {
    try {
      DoStartTransaction();
    } catch (...) {
      FUseCount = old;
      throw;
    }
    FExplicitlyStarted = false;
  }
  FUseCount = old + 1;
}

void TDATransaction::AutoCommit(bool succeeded) {
  if (!succeeded || (FExplicitlyStarted && !CanAutoCommit())) {
    ++FPendingCount;
    return;
  }
  if (FUseCount == 1)
    DoCommit();
  else
    DoCommitRetaining();
}

void TDATransaction::AutoRelease() {
  if (FUseCount > 1) {
    --FUseCount;
    return;
  }
  if (FUseCount == 1 && FDisconnectedModeTransaction) {
    if (FPendingCount > 0)
      FUseCount = 0;
    else
      CloseTransaction(false);
  }
}

// --- failover
// -----------------------------------------------------------------------------

void TDATransaction::CloseOnConnectionLost() {
  if (GetActive()) {
    FSavedUseCount = FITransaction->CanRestoreAfterFailover() ? FUseCount : 0;
    FSavedExplicitlyStarted = FExplicitlyStarted;
    try {
      if (FDefaultCloseAction == taCommit)
        FITransaction->Commit();
      else
        FITransaction->Rollback();
    } catch (const std::exception&) {
      FITransaction->ResetActive();
    }
  } else {
    FSavedUseCount = 0;
  }
  FUseCount = 0;
  FPendingCount = 0;
  FExplicitlyStarted = false;
  UnprepareTransaction();
}

// Closing the lost transaction gave back its connect requests and auto-commit
// setting; the restarted one takes them again.
void TDATransaction::RestoreAfterFailover() {
  if (FSavedUseCount <= 0) return;
  if (!FPrepared) PrepareTransaction(false);
  if (!GetActive()) FITransaction->BeginTransaction();
  for (TCustomDAConnection* connection : FConnections)
    if (!connection->IsMultipleTransactionsSupported()) connection->DisableProviderAutoCommit();
  FUseCount = FSavedUseCount;
  FExplicitlyStarted = FSavedExplicitlyStarted;
}
