#include "Common/LxAccess_Connection.h"

#include "Common/LxAccess_Transaction.h"
#include "Common/LxVio.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/TickCount.h"

TLxConnection::TLxConnection() : FHttpOptions(new THttpOptions()) {}

TLxConnection::~TLxConnection() {
  if (FInternalTransaction) FInternalTransaction->DetachConnection(this);
}

std::unique_ptr<TSQLInfo> TLxConnection::CreateSQLInfo() {
  TLxCommandClass commandClass = GetCommandClass();
  RTL_ASSERT(commandClass.SQLInfoClass != nullptr, u"No SQL information class");
  return commandClass.SQLInfoClass(commandClass.ParserClass);
}

void TLxConnection::Enlist(TLxTransaction*) {
  throw Exception(u"MS DTC transactions not supported");
}

void TLxConnection::Unenlist(TLxTransaction*) {
  throw Exception(u"MS DTC transactions not supported");
}

// The callback decides: it may ask to reconnect, and after a successful reconnect to run the
// interrupted operation again (EFailOver). A reconnect that fails is tried again as long as the
// callback keeps Reconnect set (it starts set from the second pass on).
void TLxConnection::HandleError(Exception& e, bool& fail) {
  int retryCount = 0;
  TConnLostCause cause = clUnknown;
  for (;;) {
    // An error inside a reconnect attempt or a callback is not handled again.
    if (FInProcessError) return;
    bool reconnect = retryCount > 0;
    bool reexecute = false;
    if (FOnError) {
      FInProcessError = true;
      try {
        FOnError(e, fail, reconnect, reexecute, retryCount, cause);
      } catch (...) {
        FInProcessError = false;
        throw;
      }
      FInProcessError = false;
    }
    if (reconnect) {
      Reconnect(retryCount == 0);
      if (FReconnected && reexecute) throw EFailOver(cause);
      ++retryCount;
    }
    if (!reconnect && retryCount > 0 && !FReconnected) CallReconnectError();
    if (!reconnect || FReconnected) return;
  }
}

void TLxConnection::Reconnect(bool firstPass) {
  FReconnected = false;
  FInProcessError = true;
  if (firstPass) {
    try {
      Disconnect();
    } catch (const std::exception&) {
    }
  }
  try {
    Connect(String());
    if (FOnReconnectSuccess) FOnReconnectSuccess();
    FReconnected = true;
  } catch (const std::exception&) {
  }
  FInProcessError = false;
}

// The component's disconnect logic runs only for a connected connection, so the flag is forced on
// for the call.
void TLxConnection::CallReconnectError() {
  if (!FOnReconnectError) return;
  FInProcessError = true;
  FConnected = true;
  try {
    FOnReconnectError();
  } catch (const std::exception&) {
  }
  FConnected = false;
  FInProcessError = false;
}

void TLxConnection::Connect(const String&) {
  FConnectTime = GetTickCount();
  FIsValid = true;
}

void TLxConnection::Assign(TLxConnection& source) {
  FServer = source.FServer;
  FUsername = source.FUsername;
  FPassword = source.FPassword;
  FEnableBCD = source.FEnableBCD;
  FEnableFMTBCD = source.FEnableFMTBCD;
  FOnError = source.FOnError;
  FIOHandler = source.FIOHandler;
}

bool TLxConnection::ReturnToPool() {
  RTL_ASSERT(FPool != nullptr, u"The connection has no pool");
  FOnError = nullptr;
  FOwnerComponent = nullptr;
  // The pool may pool this connection (clearing the hook) or free it while the hook runs: the
  // hook runs from a copy, and nothing of this object is touched after it.
  TPoolReturnProc giveBack = FPoolReturn;
  return giveBack ? giveBack(this) : false;
}

void TLxConnection::SetHttpOptions(THttpOptions* options) { FHttpOptions->Assign(options); }

void TLxConnection::SetPool(TLxLocalConnectionPool* pool, TPoolReturnProc returnProc) {
  FPool = pool;
  FPoolReturn = std::move(returnProc);
}

TLxTransaction* TLxConnection::GetInternalTransaction() {
  // Made on first use rather than in the constructor, where the provider's class is not known yet.
  if (!FInternalTransaction) {
    TLxTransactionClass transactionClass = GetTransactionClass();
    RTL_ASSERT(transactionClass != nullptr, u"No transaction class");
    FInternalTransaction = transactionClass();
    FInternalTransaction->AttachConnection(this);
  }
  return FInternalTransaction.get();
}

TSQLInfo* TLxConnection::GetSQLInfo() {
  if (!FSQLInfo) FSQLInfo = CreateSQLInfo();
  return FSQLInfo.get();
}

bool TLxConnection::SetProp(TLxPropCode prop, const Variant& value) {
  switch (prop) {
    case pcAutoCommit:
      FAutoCommit = value.AsBoolean();
      return true;
    case pcConvertEOL:
      FConvertEOL = value.AsBoolean();
      return true;
    case pcDisconnectedMode:
      FDisconnectedMode = value.AsBoolean();
      return true;
    case pcDatabase:
    case pcPort:
      return true;  // a provider that has them handles them
    case pcEnableBCD:
      FEnableBCD = value.AsBoolean();
      return true;
    case pcEnableFMTBCD:
      FEnableFMTBCD = value.AsBoolean();
      return true;
    case pcDefaultSortType:
      FDefaultSortType = static_cast<uint8_t>(value.AsInteger());
      return true;
    default:
      RTL_ASSERT(false, IntToStr(prop));
      return false;
  }
}

bool TLxConnection::GetProp(TLxPropCode prop, Variant& value) {
  switch (prop) {
    case pcUsername:
      value = FUsername;
      return true;
    case pcDefaultParamSize:
      value = int32_t(0);
      return true;
    case pcLastInsertId:
      value = int64_t(0);
      return true;
    default:
      RTL_ASSERT(false, IntToStr(prop));
      return false;
  }
}
