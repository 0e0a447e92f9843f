// The provider-neutral session: credentials and options of one database session, opening and
// closing it through the provider's overrides, and the failover decision when the link to the
// server breaks. Also the errors that cross the provider seam.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "Common/LxAccess_Command.h"
#include "Common/LxAccess_Props.h"
#include "Common/LxAccess_SQLInfo.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Variant.h"

class TComponent;
class THttpOptions;
class TLxConnection;
class TLxIOHandler;
class TLxLocalConnectionPool;
class TLxTransaction;

// Which kind of operation a lost connection interrupted; the failover logic replays it.
enum TConnLostCause : uint8_t {
  clUnknown,
  clExecute,
  clOpen,
  clRefresh,
  clApply,
  clServiceQuery,
  clTransStart,
  clConnectionApply,
  clConnect
};

// A database error: the server's (or client's) error number and the component whose operation
// failed.
class EDAError : public EDatabaseError {
 public:
  EDAError(int32_t errorCode, const String& message)
      : EDatabaseError(message), FErrorCode(errorCode) {}

  int32_t ErrorCode() const { return FErrorCode; }
  TComponent* Component() const { return FComponent; }
  void SetComponent(TComponent* component) { FComponent = component; }

  // The link to the server is gone.
  virtual bool IsConnectionLost() const { return false; }
  // A unique-key violation.
  virtual bool IsDuplicateKey() const { return false; }

 private:
  int32_t FErrorCode;
  TComponent* FComponent = nullptr;
};

// Not an error for the user: a lost connection was re-established and the interrupted operation
// may run again. Its message is empty.
class EFailOver : public Exception {
 public:
  explicit EFailOver(TConnLostCause cause) : Exception(String()), FConnLostCause(cause) {}
  TConnLostCause ConnLostCause() const { return FConnLostCause; }

 private:
  TConnLostCause FConnLostCause;
};

// The elapsed milliseconds from start to finish, right across one wrap of the tick counter.
inline uint32_t GetTickInterval(uint32_t start, uint32_t finish) { return finish - start; }

// The connection component's decision hook: called with the failing error before it is raised.
using TErrorProc = std::function<void(Exception& e, bool& fail, bool& reconnect, bool& reexecute,
                                      int retryCount, TConnLostCause& connLostCause)>;
using TReconnectProc = std::function<void()>;
// The pool's return operation, installed by the pool that made the connection.
using TPoolReturnProc = std::function<bool(TLxConnection* connection)>;
// A class reference to a provider's transaction class.
using TLxTransactionClass = std::unique_ptr<TLxTransaction> (*)();

class TLxConnection {
 public:
  TLxConnection();
  // A provider's destructor disconnects: the base cannot reach the override from here.
  virtual ~TLxConnection();
  TLxConnection(const TLxConnection&) = delete;
  TLxConnection& operator=(const TLxConnection&) = delete;

  virtual std::unique_ptr<TSQLInfo> CreateSQLInfo();
  // Joining a transaction of the system's transaction coordinator: not supported.
  virtual void Enlist(TLxTransaction* transaction);
  virtual void Unenlist(TLxTransaction* transaction);
  // The failover loop; see the source. Fail starts True and the provider raises the error only
  // when it is still True afterwards. May raise EFailOver.
  virtual void HandleError(Exception& e, bool& fail);
  virtual TLxCommandClass GetCommandClass() const = 0;
  virtual TLxTransactionClass GetTransactionClass() const = 0;
  // Overrides open the session, then call this part: connect time and is-valid.
  virtual void Connect(const String& connectString);
  virtual void Disconnect() = 0;
  // Copies server, user name, password, the BCD flags, the error callback and the IO handler.
  virtual void Assign(TLxConnection& source);
  // Shares the other connection's open session without owning it.
  virtual void AttachTo(TLxConnection* other) = 0;
  virtual void SetUsername(const String& value) { FUsername = value; }
  virtual void SetPassword(const String& value) { FPassword = value; }
  virtual void SetServer(const String& value) { FServer = value; }
  // Pings the server; sets and returns is-valid.
  virtual bool CheckAlive() = 0;
  // Hands the connection back to the pool that made it.
  virtual bool ReturnToPool();
  virtual String GetServerVersion() = 0;
  virtual String GetServerVersionFull() = 0;
  virtual String GetClientVersion() = 0;
  virtual bool GetCapabilityFlag() const { return true; }
  virtual bool SetProp(TLxPropCode prop, const Variant& value);
  virtual bool GetProp(TLxPropCode prop, Variant& value);

  bool GetConnected() const { return FConnected; }
  TLxTransaction* GetInternalTransaction();
  TSQLInfo* GetSQLInfo();

  const String& Username() const { return FUsername; }
  const String& Password() const { return FPassword; }
  const String& Server() const { return FServer; }
  uint32_t ConnectTime() const { return FConnectTime; }
  bool NativeConnection() const { return FNativeConnection; }
  bool AutoCommit() const { return FAutoCommit; }
  bool ConvertEOL() const { return FConvertEOL; }
  bool DisconnectedMode() const { return FDisconnectedMode; }
  bool EnableBCD() const { return FEnableBCD; }
  bool EnableFMTBCD() const { return FEnableFMTBCD; }
  uint8_t DefaultSortType() const { return FDefaultSortType; }
  bool IsValid() const { return FIsValid; }
  void SetIsValid(bool value) { FIsValid = value; }
  bool Reconnected() const { return FReconnected; }

  TComponent* OwnerComponent() const { return FOwnerComponent; }
  void SetOwnerComponent(TComponent* component) { FOwnerComponent = component; }
  TLxIOHandler* IOHandler() const { return FIOHandler; }
  void SetIOHandler(TLxIOHandler* handler) { FIOHandler = handler; }
  // The HTTP tunnel settings, owned; setting them copies the given ones in.
  THttpOptions* HttpOptions() const { return FHttpOptions.get(); }
  void SetHttpOptions(THttpOptions* options);

  TLxLocalConnectionPool* Pool() const { return FPool; }
  void SetPool(TLxLocalConnectionPool* pool, TPoolReturnProc returnProc);
  int32_t PoolVersion() const { return FPoolVersion; }
  void SetPoolVersion(int32_t value) { FPoolVersion = value; }

  const TErrorProc& OnError() const { return FOnError; }
  void SetOnError(TErrorProc proc) { FOnError = std::move(proc); }
  void SetOnReconnectError(TReconnectProc proc) { FOnReconnectError = std::move(proc); }
  void SetOnReconnectSuccess(TReconnectProc proc) { FOnReconnectSuccess = std::move(proc); }

 protected:
  bool FConnected = false;
  bool FNativeConnection = true;

 private:
  void Reconnect(bool firstPass);
  void CallReconnectError();

  TErrorProc FOnError;
  TReconnectProc FOnReconnectError;
  TReconnectProc FOnReconnectSuccess;
  uint32_t FConnectTime = 0;
  std::unique_ptr<TSQLInfo> FSQLInfo;
  std::unique_ptr<TLxTransaction> FInternalTransaction;
  String FUsername;
  String FPassword;
  String FServer;
  bool FAutoCommit = false;
  bool FConvertEOL = false;
  bool FIsValid = true;
  TLxLocalConnectionPool* FPool = nullptr;
  TPoolReturnProc FPoolReturn;
  int32_t FPoolVersion = 0;
  TComponent* FOwnerComponent = nullptr;
  bool FDisconnectedMode = false;
  bool FEnableBCD = false;
  bool FEnableFMTBCD = false;
  bool FInProcessError = false;
  bool FReconnected = false;
  uint8_t FDefaultSortType = 0;
  TLxIOHandler* FIOHandler = nullptr;
  std::unique_ptr<THttpOptions, TObjectFree> FHttpOptions;
};
