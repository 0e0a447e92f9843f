// The connection component: settings, connecting and disconnecting, connect requests.
#include "Common/DBAccess.h"

#include <algorithm>

#include "Common/DBAccess_SQL.h"
#include "Common/LxAccess_Transaction.h"

void TDAConnectionOptions::SetDisconnectedMode(bool value) {
  if (value != FDisconnectedMode && FOwner) FOwner->SetConnected(false);
  FDisconnectedMode = value;
  PassProp(pcDisconnectedMode, value);
}

void TDAConnectionOptions::SetDefaultSortType(TSortType value) {
  FDefaultSortType = value;
  PassProp(pcDefaultSortType, static_cast<int32_t>(value));
}

void TDAConnectionOptions::SetEnableBCD(bool value) {
  FEnableBCD = value;
  PassProp(pcEnableBCD, value);
}

void TDAConnectionOptions::SetEnableFMTBCD(bool value) {
  FEnableFMTBCD = value;
  PassProp(pcEnableFMTBCD, value);
}

void TDAConnectionOptions::PassProp(TLxPropCode prop, const Variant& value) {
  if (FOwner && FOwner->IConnection()) FOwner->IConnection()->SetProp(prop, value);
}

void TDAConnectionOptions::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TDAConnectionOptions*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  SetKeepDesignConnected(src->FKeepDesignConnected);
  SetDisconnectedMode(src->FDisconnectedMode);
  SetLocalFailover(src->FLocalFailover);
  SetDefaultSortType(src->FDefaultSortType);
  SetEnableBCD(src->FEnableBCD);
  SetEnableFMTBCD(src->FEnableFMTBCD);
}

void TPoolingOptions::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TPoolingOptions*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  MaxPoolSize = src->MaxPoolSize;
  MinPoolSize = src->MinPoolSize;
  ConnectionLifetime = src->ConnectionLifetime;
  Validate = src->Validate;
}

TCustomDAConnection::TCustomDAConnection(TComponent* owner)
    : TCustomConnection(owner),
      FPoolingOptions(std::make_unique<TPoolingOptions>(this)) {
  SetLoginPrompt(true);
  FOptions = std::make_unique<TDAConnectionOptions>(this);
  InstallInternalTransaction(std::make_unique<TDATransaction>(nullptr));
}

TCustomDAConnection::~TCustomDAConnection() {
  try {
    SetConnected(false);
  } catch (const std::exception&) {
    // Going away: a failed disconnect must not keep the provider connection alive.
  }
  try {
    ClearRefs();
  } catch (const std::exception&) {
    // The clients are closed already; what is left is to forget this connection.
  }
  if (FConnectDialog && FConnectDialog->Connection() == this)
    FConnectDialog->SetConnection(nullptr);
  SetConnectDialog(nullptr);
  FreeCommand();
  {
    std::unique_ptr<TDATransaction> internal = std::move(FInternalTransaction);
    RemoveTransaction(internal.get());
  }
  while (!FTransactions.empty()) RemoveTransaction(FTransactions.back());
  FreeIConnection();
}

void TCustomDAConnection::InstallOptions(std::unique_ptr<TDAConnectionOptions> options) {
  FOptions = std::move(options);
}

bool TCustomDAConnection::GetConnected() {
  return FIConnection && FIConnection->GetConnected();
}

void TCustomDAConnection::RegisterClient(TObject* client, TConnectChangeEvent event) {
  std::lock_guard<std::recursive_mutex> lock(FClientsLock);
  TCustomConnection::RegisterClient(client, std::move(event));
  if (auto* command = dynamic_cast<TCustomDASQL*>(client))
    if (std::find(FCommands.begin(), FCommands.end(), command) == FCommands.end())
      FCommands.push_back(command);
}

void TCustomDAConnection::UnRegisterClient(TObject* client) {
  std::lock_guard<std::recursive_mutex> lock(FClientsLock);
  TCustomConnection::UnRegisterClient(client);
  if (auto* command = dynamic_cast<TCustomDASQL*>(client))
    FCommands.erase(std::remove(FCommands.begin(), FCommands.end(), command), FCommands.end());
}

void TCustomDAConnection::SetUsername(const String& value) {
  if (value == FUsername) return;
  SetConnected(false);
  FUsername = value;
}

void TCustomDAConnection::SetPassword(const String& value) {
  if (value == FPassword) return;
  SetConnected(false);
  FPassword = value;
}

void TCustomDAConnection::DoSetServer(const String& value) {
  if (value == FServer) return;
  SetConnected(false);
  FServer = value;
}

void TCustomDAConnection::SetAutoCommit(bool value) {
  FAutoCommit = value;
  if (FIConnection) FIConnection->SetProp(pcAutoCommit, value);
}

void TCustomDAConnection::SetConvertEOL(bool value) {
  FConvertEOL = value;
  if (FIConnection) FIConnection->SetProp(pcConvertEOL, value);
}

void TCustomDAConnection::SetPooling(bool value) {
  if (value == FPooling) return;
  SetConnected(false);
  FreeIConnection();
  FPooling = value;
}

void TCustomDAConnection::SetIConnection(std::unique_ptr<TLxConnection> connection) {
  // The provider transactions must not keep the connection that is replaced.
  if (FIConnection && FIConnection != connection) DetachTransactions();
  FIConnection = std::move(connection);
  if (!FIConnection) return;
  FIConnection->SetOnError([this](Exception& e, bool& fail, bool& reconnect, bool& reexecute,
                                  int attempt, TConnLostCause& cause) {
    DoError(e, fail, reconnect, reexecute, attempt, cause);
  });
  FIConnection->SetOnReconnectError([this] { SetConnected(false); });
  FIConnection->SetOnReconnectSuccess([this] {
    if (AfterConnect) AfterConnect(this);
  });
  FIConnection->SetOwnerComponent(this);
}

void TCustomDAConnection::FreeIConnection() {
  if (!FIConnection) return;
  DetachTransactions();
  if (FIConnection->Pool()) {
    TLxConnection* pooled = FIConnection.release();
    // The pool takes the connection back; when it refuses, the connection is ours to free.
    if (!pooled->ReturnToPool()) delete pooled;
  }
  FIConnection.reset();
}

// A client that lost its connection while hearing of the disconnect has closed itself by the
// next pass, so the notice is sent again; a bounded number of times, so that a client that keeps
// failing cannot hold the component in a loop.
void TCustomDAConnection::SendDisconnectNotice() {
  for (int pass = 0;; ++pass) {
    try {
      SendConnectEvent(false);
      return;
    } catch (const EDAError& e) {
      if (!e.IsConnectionLost() || pass + 1 >= MaxDisconnectNotices) throw;
    }
  }
}

void TCustomDAConnection::SetConnected(bool value) {
  const bool loading =
      ComponentState().Contains(csReading) || ComponentState().Contains(csLoading);
  if (value == GetConnected()) return;
  if (!value) {
    FConnectCount = 0;
    FShouldShowPrompt = true;
    if (BeforeDisconnect) BeforeDisconnect(this);
    SendDisconnectNotice();
  }
  if (value && !FConnectAfterLoad) ++FConnectCount;
  if (loading) {
    if (Options()->KeepDesignConnected() || ComponentState().Contains(csDesigning))
      FConnectAfterLoad = value;
    return;
  }
  if (!value) {
    SendConnectEvent(false);
    DoDisconnect();
    if (AfterDisconnect) AfterDisconnect(this);
    return;
  }
  if (UsesLoginDialog() && LoginDialogClass()) {
    RunLoginDialog();
    return;
  }
  const int before = FConnectCount;
  try {
    PerformConnect(false);
  } catch (...) {
    FConnectCount = before - (GetConnected() ? 0 : 1);
    throw;
  }
  FConnectCount = before;
}

void TCustomDAConnection::PerformConnect(bool skipBefore) {
  if (ComponentState().Contains(csReading)) {
    FConnectAfterLoad = true;
    return;
  }
  if (GetConnected()) return;
  if (!skipBefore && BeforeConnect) BeforeConnect(this);
  DoConnect();
  ++FConnectCount;
  SendConnectEvent(true);
  if (AfterConnect) AfterConnect(this);
}

void TCustomDAConnection::DoConnect() {
  const TDASQLMonitorClass& monitor = MonitorClass();
  int32_t eventId = 0;
  const bool monitored = monitor.HasMonitor();
  if (monitored) monitor.ConnectHook(this, true, eventId);
  if (!FIConnection) CreateIConnection();
  RTL_ASSERT(FIConnection != nullptr, u"Must be overrided");
  EnterOperation(clConnect, true);
  try {
    FInternalTransaction->CheckITransaction();
    FIConnection->SetUsername(FUsername);
    FIConnection->SetPassword(FPassword);
    FIConnection->SetServer(GetServer());
    FIConnection->Connect(String());
  } catch (...) {
    LeaveOperation();
    throw;
  }
  LeaveOperation();
  if (monitored) monitor.ConnectHook(this, false, eventId);
}

// The transactions are closed while the session is still there; the session goes also when
// closing them failed.
void TCustomDAConnection::DoDisconnect() {
  FDisconnecting = true;
  try {
    try {
      CloseTransactions();
    } catch (...) {
      if (GetConnected()) DisconnectIConnection();
      throw;
    }
    if (GetConnected()) DisconnectIConnection();
  } catch (const EDAError& e) {
    FDisconnecting = false;
    if (!(e.IsConnectionLost() && ComponentState().Contains(csDestroying))) throw;
    return;
  } catch (...) {
    FDisconnecting = false;
    throw;
  }
  FDisconnecting = false;
}

void TCustomDAConnection::DisconnectIConnection() {
  const TDASQLMonitorClass& monitor = MonitorClass();
  int32_t eventId = 0;
  const bool monitored = monitor.HasMonitor();
  if (monitored) monitor.DisconnectHook(this, true, eventId);
  if (FIConnection->Pool() && FIConnection->IsValid())
    FreeIConnection();
  else
    FIConnection->Disconnect();
  if (monitored) monitor.DisconnectHook(this, false, eventId);
}

void TCustomDAConnection::Loaded() {
  TCustomConnection::Loaded();
  const bool connect = FConnectAfterLoad;
  try {
    if (connect) SetConnected(true);
  } catch (...) {
    FConnectAfterLoad = false;
    throw;
  }
  FConnectAfterLoad = false;
}

bool TCustomDAConnection::IsConnectedStored() {
  return GetConnected() && !Options()->DisconnectedMode();
}

void TCustomDAConnection::TakeConnectRequest() {
  const int before = FConnectCount;
  const bool savedPrompt = LoginPrompt();
  SetLoginPrompt(savedPrompt && FShouldShowPrompt);
  try {
    SetConnected(true);
    FConnectCount = before + 1;
  } catch (const EFailOver&) {
    FConnectCount = before + 1;
  } catch (...) {
    FConnectCount = before + (GetConnected() ? 1 : 0);
    SetLoginPrompt(savedPrompt);
    FShouldShowPrompt = !GetConnected();
    throw;
  }
  SetLoginPrompt(savedPrompt);
  FShouldShowPrompt = !GetConnected();
}

void TCustomDAConnection::DropConnectRequest() {
  if (FConnectCount > 0) --FConnectCount;
  // A transaction that ends while the connection closes gives its request back here too.
  if (FConnectCount == 0 && Options()->DisconnectedMode() && !GetInTransaction() &&
      !FDisconnecting)
    SetConnected(false);
  FShouldShowPrompt = false;
}

// --- transactions -------------------------------------------------------------------------

namespace {
constexpr char16_t SInactiveTransaction[] = u"Can't perform operation on inactive transaction";
}  // namespace

void TCustomDAConnection::InstallInternalTransaction(std::unique_ptr<TDATransaction> transaction) {
  if (FInternalTransaction) {
    std::unique_ptr<TDATransaction> old = std::move(FInternalTransaction);
    RemoveTransaction(old.get());
  }
  FInternalTransaction = std::move(transaction);
  FInternalTransaction->SetShared(true);
  FInternalTransaction->SetDefaultConnection(this);
}

void TCustomDAConnection::AddTransaction(TDATransaction* transaction) {
  if (std::find(FTransactions.begin(), FTransactions.end(), transaction) == FTransactions.end())
    FTransactions.push_back(transaction);
  transaction->AddConnectionInternal(this);
}

void TCustomDAConnection::RemoveTransaction(TDATransaction* transaction) {
  transaction->RemoveConnectionInternal(this);
  auto it = std::find(FTransactions.begin(), FTransactions.end(), transaction);
  if (it != FTransactions.end()) FTransactions.erase(it);
  if (transaction == FDefaultTransaction) {
    RemoveFreeNotification(transaction);
    FDefaultTransaction = nullptr;
  }
}

void TCustomDAConnection::SetDefaultTransaction(TDATransaction* transaction) {
  if (transaction == FInternalTransaction.get()) transaction = nullptr;
  if (transaction == FDefaultTransaction) return;
  if (TDATransaction* old = FDefaultTransaction) {
    RemoveFreeNotification(old);
    FDefaultTransaction = nullptr;
    RemoveTransaction(old);
  }
  if (transaction) {
    AddTransaction(transaction);
    FreeNotification(transaction);
  }
  FDefaultTransaction = transaction;
}

TDATransaction* TCustomDAConnection::EffectiveTransaction() {
  return FDefaultTransaction ? FDefaultTransaction : FInternalTransaction.get();
}

std::unique_ptr<TDATransaction> TCustomDAConnection::CreateTransaction() {
  auto transaction = std::make_unique<TDATransaction>(nullptr);
  transaction->SetDefaultConnection(this);
  return transaction;
}

void TCustomDAConnection::Notification(TComponent* component, ::TOperation operation) {
  TCustomConnection::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FDefaultTransaction)
    SetDefaultTransaction(nullptr);
  if (operation == opRemove && component != nullptr && component == FConnectDialog)
    FConnectDialog = nullptr;
}

void TCustomDAConnection::CloseTransactions() {
  const TDATransactions transactions = FTransactions;
  for (TDATransaction* transaction : transactions) transaction->CloseTransaction(true);
  DetachTransactions();
}

void TCustomDAConnection::DetachTransactions() {
  for (TDATransaction* transaction : FTransactions) {
    if (!transaction->ITransaction()) continue;
    if (transaction == FInternalTransaction.get())
      transaction->FreeITransaction();
    else if (FIConnection)
      transaction->ITransaction()->DetachConnection(FIConnection.get());
  }
}

void TCustomDAConnection::StartTransaction() { EffectiveTransaction()->DoStartTransaction(); }

// Ending a transaction that is not open is the caller's mistake, reported as a database error
// before any connect request is taken.
void TCustomDAConnection::Commit() {
  TDATransaction* transaction = EffectiveTransaction();
  if (!transaction->GetActive()) throw EDatabaseError(SInactiveTransaction);
  transaction->DoCommit();
}

void TCustomDAConnection::Rollback() {
  TDATransaction* transaction = EffectiveTransaction();
  if (!transaction->GetActive()) throw EDatabaseError(SInactiveTransaction);
  transaction->DoRollback();
}

void TCustomDAConnection::CommitRetaining() { EffectiveTransaction()->DoCommitRetaining(); }
void TCustomDAConnection::RollbackRetaining() { EffectiveTransaction()->DoRollbackRetaining(); }

void TCustomDAConnection::Savepoint(const String& name) {
  EffectiveTransaction()->DoSavepoint(name);
}

void TCustomDAConnection::ReleaseSavepoint(const String& name) {
  EffectiveTransaction()->DoReleaseSavepoint(name);
}

void TCustomDAConnection::RollbackToSavepoint(const String& name) {
  EffectiveTransaction()->DoRollbackToSavepoint(name);
}

bool TCustomDAConnection::InTransaction() {
  for (TDATransaction* transaction : FTransactions)
    if (transaction->GetActive()) return true;
  return false;
}

void TCustomDAConnection::TakeTransactionUse(TDATransaction* transaction, bool implicit,
                                             TComponent* user) {
  if (!IsMultipleTransactionsSupported()) return;
  if (!transaction) {
    if (implicit) DropConnectRequest();
    DatabaseError(STransactionNotAssigned, user);
  }
  if (implicit)
    transaction->AutoStart();
  else if (!transaction->GetActive())
    transaction->StartTransaction();
}

void TCustomDAConnection::AutoCommitTransactionUse(TDATransaction* transaction, bool commit) {
  if (IsMultipleTransactionsSupported() && transaction) transaction->AutoCommit(commit);
}

void TCustomDAConnection::DropTransactionUse(TDATransaction* transaction) {
  if (IsMultipleTransactionsSupported() && transaction) transaction->AutoRelease();
}

void TCustomDAConnection::DisableProviderAutoCommit() {
  if (FIConnection) FIConnection->SetProp(pcAutoCommit, false);
}

void TCustomDAConnection::RestoreProviderAutoCommit() {
  if (FIConnection) FIConnection->SetProp(pcAutoCommit, FAutoCommit);
}

void TCustomDAConnection::AssignConnect(TCustomDAConnection* source) {
  if (!source) return;
  SetUsername(source->FUsername);
  SetPassword(source->FPassword);
  SetServer(source->FServer);
}

TLxRecordSetClass TCustomDAConnection::GetIRecordSetClass() {
  RTL_ASSERT(false, u"Must be overrided");
  return {};
}

std::unique_ptr<TCustomDADataSet> TCustomDAConnection::CreateDataSet(TComponent*) {
  AssertErrorHandler(u"Must be overrided", __FILE__, __LINE__);
}
