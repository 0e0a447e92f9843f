// Failover: the operations in progress, the cause of a lost connection, and the decision on
// reconnecting and replaying that the provider connection asks for before it raises an error.
#include "Common/DBAccess.h"
#include "Common/LxConnectionPool.h"

#include "Common/LxAccess_Transaction.h"

int TCustomDAConnection::EnterOperation(TConnLostCause cause, bool allowFailOver) {
  if (!Options()->LocalFailover()) return -1;
  FOperations.push_back({cause, allowFailOver});
  return static_cast<int>(FOperations.size()) - 1;
}

void TCustomDAConnection::LeaveOperation() {
  if (!Options()->LocalFailover() || FOperations.empty()) return;
  FOperations.pop_back();
}

// An open transaction that cannot be restarted on a new session forbids failover: its work
// would be lost without the user knowing.
bool TCustomDAConnection::IsFailOverAllowed() {
  for (TDATransaction* transaction : FTransactions)
    if (transaction->GetActive() && !transaction->ITransaction()->CanRestoreAfterFailover())
      return false;
  return true;
}

// The session is gone: each transaction closes what it had open, remembering the uses of one
// that a new session can restart.
void TCustomDAConnection::ResetOnFatalError() {
  const TDATransactions transactions = FTransactions;
  for (TDATransaction* transaction : transactions) transaction->CloseOnConnectionLost();
}

void TCustomDAConnection::RestoreAfterReconnect() {
  const TDATransactions transactions = FTransactions;
  for (TDATransaction* transaction : transactions) transaction->RestoreAfterFailover();
}

TConnLostCause TCustomDAConnection::FindConnLostCause(TComponent* component) {
  TConnLostCause cause = clUnknown;
  bool allowed = true;
  auto* client = dynamic_cast<IDAConnectionClient*>(component);
  const bool statementWithoutRows =
      client && (client->IsCommandClient() || !client->ClientIsQuery());
  for (auto it = FOperations.rbegin(); it != FOperations.rend(); ++it) {
    if (it->Cause > cause) {
      cause = it->Cause;
      allowed = it->AllowFailOver;
    }
    // A statement without rows keeps its connect request across the reconnect.
    if ((cause == clExecute || cause == clOpen) && statementWithoutRows) ++FConnectCount;
    if (cause == clConnect) {
      if (auto* connection = dynamic_cast<TCustomDAConnection*>(component);
          connection && connection->ShouldShowPrompt())
        cause = clUnknown;
      break;
    }
  }
  if (!allowed) cause = clUnknown;
  if ((cause == clExecute || cause == clOpen || cause == clServiceQuery ||
       cause == clTransStart) &&
      !IsFailOverAllowed())
    cause = clUnknown;
  return cause;
}

bool TCustomDAConnection::ReconnectBlockedByClients(TConnLostCause cause,
                                                    TComponent* errorComponent) {
  std::lock_guard<std::recursive_mutex> lock(FClientsLock);
  for (int pass = 0; pass < 2; ++pass) {  // datasets first, then commands
    for (int i = 0; i < ClientCount(); ++i) {
      auto* client = dynamic_cast<IDAConnectionClient*>(Clients(i));
      if (!client || client->IsCommandClient() != (pass == 1)) continue;
      if (pass == 0) {
        if (client->ClientPrepared()) return true;
        const bool isErrorComponent =
            dynamic_cast<TObject*>(client) == static_cast<TObject*>(errorComponent);
        if (client->ClientActive() && !client->ClientFetchAll() && !client->ClientFetched() &&
            !(cause == clRefresh && isErrorComponent))
          return true;
      } else if (client->ClientPrepared() && !client->ClientExecuting()) {
        return true;
      }
    }
  }
  return false;
}

void TCustomDAConnection::DoError(Exception& e, bool& fail, bool& reconnect, bool& reexecute,
                                  int attempt, TConnLostCause& cause) {
  cause = clUnknown;
  if (MonitorClass().HasMonitor()) MonitorClass().ErrorHook(e);
  auto* daError = dynamic_cast<EDAError*>(&e);
  const bool fatal = daError && daError->IsConnectionLost();
  TComponent* errorComponent = daError ? daError->Component() : nullptr;
  if (fatal) {
    cause = FindConnLostCause(errorComponent);
    reconnect = (GetConnected() || (attempt > 0 && Options()->LocalFailover()) ||
                 (cause == clConnect && Options()->DisconnectedMode())) &&
                (IsFailOverAllowed() || cause == clConnectionApply);
    if (reconnect && ReconnectBlockedByClients(cause, errorComponent)) reconnect = false;
    // A server that stays away ends the attempts with the error itself, raised even when an
    // earlier attempt had planned a replay.
    if (attempt >= MaxReconnectAttempts) {
      reconnect = false;
      fail = true;
    }
  }
  if (reconnect && Options()->LocalFailover()) {
    TRetryMode retryMode = (cause == clUnknown || cause == clExecute) ? rmRaise
                                                                        : rmReconnectExecute;
    if (OnConnectionLost) OnConnectionLost(this, errorComponent, cause, retryMode);
    reconnect = retryMode != rmRaise;
    reexecute = (retryMode == rmReconnectExecute && cause != clUnknown) ||
                (cause == clConnect && retryMode != rmRaise);
    fail = !reexecute;
  }
  if (!reexecute && OnError && daError) OnError(this, *daError, fail);
  if (fatal && FIConnection) {
    FIConnection->SetIsValid(false);
    // The pool's other sessions may have lost the server too: each is tested before next use.
    if (FIConnection->Pool()) FIConnection->Pool()->Invalidate();
  }
  if (fatal && attempt == 0) ResetOnFatalError();
  if (fatal && attempt == 0 && !reconnect && !FDisconnectGuard) {
    FDisconnectGuard = true;
    try {
      SetConnected(false);
    } catch (const std::exception&) {
      // The link is gone already; the error being handled is the one that matters.
    }
    FDisconnectGuard = false;
  }
}
