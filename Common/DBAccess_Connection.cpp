// The connection component: settings, connecting and disconnecting, connect requests.
#include "Common/DBAccess.h"

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
}

TCustomDAConnection::~TCustomDAConnection() {
  try {
    SetConnected(false);
  } catch (const std::exception&) {
    // Going away: a failed disconnect must not keep the provider connection alive.
  }
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
}

void TCustomDAConnection::UnRegisterClient(TObject* client) {
  std::lock_guard<std::recursive_mutex> lock(FClientsLock);
  TCustomConnection::UnRegisterClient(client);
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
  // No login dialog is installed in this system: the component connects at once.
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
  if (!FIConnection) CreateIConnection();
  RTL_ASSERT(FIConnection != nullptr, u"Must be overrided");
  EnterOperation(clConnect, true);
  try {
    FIConnection->GetInternalTransaction();
    FIConnection->SetUsername(FUsername);
    FIConnection->SetPassword(FPassword);
    FIConnection->SetServer(GetServer());
    FIConnection->Connect(String());
  } catch (...) {
    LeaveOperation();
    throw;
  }
  LeaveOperation();
}

void TCustomDAConnection::DoDisconnect() {
  if (!GetConnected()) return;
  try {
    if (FIConnection->Pool() && FIConnection->IsValid()) {
      FreeIConnection();
    } else {
      FIConnection->Disconnect();
    }
  } catch (const EDAError& e) {
    if (!(e.IsConnectionLost() && ComponentState().Contains(csDestroying))) throw;
  }
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
  if (FConnectCount == 0 && Options()->DisconnectedMode() && !GetInTransaction())
    SetConnected(false);
  FShouldShowPrompt = false;
}

void TCustomDAConnection::StartTransaction() {
  TakeConnectRequest();
  try {
    TLxTransaction* transaction = FIConnection->GetInternalTransaction();
    transaction->CheckInactive();
    ApplyTransactionSettings(transaction);
    DisableProviderAutoCommit();
    try {
      transaction->BeginTransaction();
    } catch (...) {
      RestoreProviderAutoCommit();
      throw;
    }
  } catch (...) {
    DropConnectRequest();
    throw;
  }
}

// Ending the transaction gives back the request its start took, also when the server refused
// the end: the transaction is over either way.
void TCustomDAConnection::Commit() {
  TLxTransaction* transaction = FIConnection ? FIConnection->GetInternalTransaction() : nullptr;
  if (!transaction || !transaction->GetInTransaction())
    throw EDatabaseError(u"Can't perform operation on inactive transaction");
  try {
    transaction->Commit();
  } catch (...) {
    transaction->ResetActive();
    RestoreProviderAutoCommit();
    DropConnectRequest();
    throw;
  }
  RestoreProviderAutoCommit();
  DropConnectRequest();
}

void TCustomDAConnection::Rollback() {
  TLxTransaction* transaction = FIConnection ? FIConnection->GetInternalTransaction() : nullptr;
  if (!transaction || !transaction->GetInTransaction())
    throw EDatabaseError(u"Can't perform operation on inactive transaction");
  try {
    transaction->Rollback();
  } catch (...) {
    transaction->ResetActive();
    RestoreProviderAutoCommit();
    DropConnectRequest();
    throw;
  }
  RestoreProviderAutoCommit();
  DropConnectRequest();
}

bool TCustomDAConnection::InTransaction() {
  if (!FIConnection) return false;
  TLxTransaction* transaction = FIConnection->GetInternalTransaction();
  return transaction && transaction->GetInTransaction();
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
