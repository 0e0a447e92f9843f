// The provider-neutral connection component: credentials and options, the provider connection it
// owns, connect requests that let datasets and commands connect implicitly (and, in disconnected
// mode, close the connection again), the transaction components that include it (its own one
// among them, through which its transaction operations go), and the failover decision when the
// link to the server breaks.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <typeinfo>
#include <vector>

#include "Common/DASQLMonitor.h"
#include "Common/DBAccess_ConnectDialog.h"
#include "Common/DBAccess_Macros.h"
#include "Common/DBAccess_Options.h"
#include "Common/DBAccess_Params.h"
#include "Common/DBAccess_SQLText.h"
#include "Common/DBAccess_Transaction.h"
#include "Common/LxAccess.h"
#include "Common/LxAccess_MetaData.h"
#include "Common/MemData.h"  // TSortType
#include "platform/db/CustomConnection.h"
#include "platform/rtl/Persistent.h"

class TCustomDAConnection;
class TCustomDADataSet;
class TCustomDASQL;
class TDAMetaData;
class TLxRecordSet;
class TStrings;

// A class reference to a provider record set: its type, to tell whether an installed record set
// is of that class, and how to make one.
struct TLxRecordSetClass {
  const std::type_info* Type = nullptr;
  std::unique_ptr<TLxRecordSet> (*Create)() = nullptr;

  template <class T>
  static TLxRecordSetClass Of() {
    return {&typeid(T), []() -> std::unique_ptr<TLxRecordSet> { return std::make_unique<T>(); }};
  }
};

// What a lost connection does next: raise the error, reconnect, or reconnect and run the
// interrupted operation again.
enum TRetryMode : uint8_t { rmRaise, rmReconnect, rmReconnectExecute };

using TDAConnectionErrorEvent =
    std::function<void(TObject* sender, EDAError& e, bool& fail)>;
using TConnectionLostEvent = std::function<void(TObject* sender, TComponent* component,
                                                TConnLostCause cause, TRetryMode& retryMode)>;

// The seam to the dataset and command components: what the connection asks a registered client
// when it decides whether a lost connection may be re-established. A dataset that has rows still
// to fetch, or any prepared one, holds server state that a new session would not have; so does a
// prepared command that is not running. Clients that do not implement it never block a
// reconnect.
class IDAConnectionClient {
 public:
  virtual ~IDAConnectionClient() = default;
  virtual bool IsCommandClient() const = 0;  // a command component, else a dataset component
  virtual bool ClientPrepared() const = 0;
  virtual bool ClientActive() const { return false; }
  virtual bool ClientFetchAll() const { return true; }
  virtual bool ClientFetched() const { return true; }
  virtual bool ClientIsQuery() const { return true; }  // the statement returns rows
  virtual bool ClientExecuting() const { return false; }
};

class TDAConnectionOptions : public TPersistent {
 public:
  explicit TDAConnectionOptions(TCustomDAConnection* owner) : FOwner(owner) {}

  bool KeepDesignConnected() const { return FKeepDesignConnected; }
  void SetKeepDesignConnected(bool value) { FKeepDesignConnected = value; }
  bool DisconnectedMode() const { return FDisconnectedMode; }
  void SetDisconnectedMode(bool value);
  bool LocalFailover() const { return FLocalFailover; }
  void SetLocalFailover(bool value) { FLocalFailover = value; }
  TSortType DefaultSortType() const { return FDefaultSortType; }
  void SetDefaultSortType(TSortType value);
  bool EnableBCD() const { return FEnableBCD; }
  void SetEnableBCD(bool value);
  bool EnableFMTBCD() const { return FEnableFMTBCD; }
  void SetEnableFMTBCD(bool value);

  void Assign(TPersistent* source) override;

 protected:
  TCustomDAConnection* Owner() const { return FOwner; }
  // Passes a numbered property to the owner's provider connection when there is one.
  void PassProp(TLxPropCode prop, const Variant& value);

 private:
  bool FKeepDesignConnected = true;
  bool FDisconnectedMode = false;
  bool FLocalFailover = false;
  TSortType FDefaultSortType = stCaseSensitive;
  bool FEnableBCD = false;
  bool FEnableFMTBCD = false;
  TCustomDAConnection* FOwner;
};

class TPoolingOptions : public TPersistent {
 public:
  explicit TPoolingOptions(TCustomDAConnection* owner) : FOwner(owner) {}
  int MaxPoolSize = 100;
  int MinPoolSize = 0;
  int ConnectionLifetime = 0;
  bool Validate = false;
  void Assign(TPersistent* source) override;

 private:
  TCustomDAConnection* FOwner;
};

class TCustomDAConnection : public TCustomConnection {
 public:
  // How many reconnect attempts one error may make before the failure is final. A server that
  // stays down would otherwise keep the failover loop going for ever.
  static constexpr int MaxReconnectAttempts = 3;
  // How many times the disconnect notice is sent again after a client lost its connection while
  // hearing it.
  static constexpr int MaxDisconnectNotices = 5;

  explicit TCustomDAConnection(TComponent* owner);
  ~TCustomDAConnection() override;

  void SetConnected(bool value) override;
  void RegisterClient(TObject* client, TConnectChangeEvent event = nullptr) override;
  void UnRegisterClient(TObject* client) override;

  const String& Username() const { return FUsername; }
  void SetUsername(const String& value);
  const String& Password() const { return FPassword; }
  void SetPassword(const String& value);
  const String& Server() const { return FServer; }
  void SetServer(const String& value) { DoSetServer(value); }
  bool AutoCommit() const { return FAutoCommit; }
  void SetAutoCommit(bool value);
  bool ConvertEOL() const { return FConvertEOL; }
  void SetConvertEOL(bool value);
  bool Pooling() const { return FPooling; }
  void SetPooling(bool value);
  TDAConnectionOptions* Options() const { return FOptions.get(); }
  TPoolingOptions* PoolingOptions() const { return FPoolingOptions.get(); }
  int ConnectCount() const { return FConnectCount; }
  bool ShouldShowPrompt() const { return FShouldShowPrompt; }
  TLxConnection* IConnection() const { return FIConnection.get(); }

  TDAConnectionErrorEvent OnError;
  TConnectionLostEvent OnConnectionLost;

  // Implicit connections of datasets and commands.
  virtual void TakeConnectRequest();
  virtual void DropConnectRequest();

  // Failover bookkeeping of the operations in progress.
  virtual int EnterOperation(TConnLostCause cause, bool allowFailOver);
  virtual void LeaveOperation();
  virtual bool IsFailOverAllowed();
  virtual TConnLostCause FindConnLostCause(TComponent* component);
  virtual void DoError(Exception& e, bool& fail, bool& reconnect, bool& reexecute, int attempt,
                       TConnLostCause& cause);
  // Every transaction restarts what it had open before the connection was lost, and closes it
  // (without the server) when the loss is found.
  virtual void RestoreAfterReconnect();
  virtual void ResetOnFatalError();

  // The transaction components that include this connection; the internal one is always there.
  int TransactionCount() const { return static_cast<int>(FTransactions.size()); }
  TDATransaction* Transactions(int index) const { return FTransactions.at(index); }
  // The connection's own transaction component, made at construction: it shares the provider
  // connection's internal transaction.
  TDATransaction* InternalTransaction() const { return FInternalTransaction.get(); }
  TDATransaction* DefaultTransaction() const { return FDefaultTransaction; }
  // The internal transaction given here counts as none.
  void SetDefaultTransaction(TDATransaction* transaction);
  // The default transaction, else the internal one.
  virtual TDATransaction* EffectiveTransaction();
  virtual void AddTransaction(TDATransaction* transaction);
  virtual void RemoveTransaction(TDATransaction* transaction);
  // A connection of this kind runs one transaction at a time.
  virtual bool IsMultipleTransactionsSupported() { return false; }
  // A new transaction component without owner whose default connection is this one.
  virtual std::unique_ptr<TDATransaction> CreateTransaction();

  // Forwarded to the effective transaction. Starting connects implicitly and holds that request
  // until the commit or rollback, so that disconnected mode never closes a session with a
  // transaction open; auto-commit is off meanwhile.
  virtual void StartTransaction();
  virtual void Commit();
  virtual void Rollback();
  virtual void CommitRetaining();
  virtual void RollbackRetaining();
  virtual void Savepoint(const String& name);
  virtual void ReleaseSavepoint(const String& name);
  virtual void RollbackToSavepoint(const String& name);

  // True while any transaction of the connection is open.
  virtual bool InTransaction();
  bool GetInTransaction() { return InTransaction(); }

  // Where this connection runs several transactions at once, a dataset or command runs each
  // operation in its transaction: taken before it (implicitly, else started when idle; none is
  // "Transaction not assigned" for the user, after an implicit connect request is given back),
  // told after a statement without rows whether to commit, and released at the end. Otherwise
  // they do nothing.
  void TakeTransactionUse(TDATransaction* transaction, bool implicit, TComponent* user);
  void AutoCommitTransactionUse(TDATransaction* transaction, bool commit);
  void DropTransactionUse(TDATransaction* transaction);

  // Sets the provider's auto-commit off while a transaction runs, and back afterwards.
  void DisableProviderAutoCommit();
  void RestoreProviderAutoCommit();

  virtual void AssignConnect(TCustomDAConnection* source);
  bool IsConnectedStored();

  // The provider's record set class, which the datasets on this connection make. A provider's
  // descendant must answer it.
  virtual TLxRecordSetClass GetIRecordSetClass();
  // A dataset component of this provider, on this connection: the updater's internal components
  // and the result sets of the provider interface. The caller owns it.
  virtual std::unique_ptr<TCustomDADataSet> CreateDataSet(TComponent* owner = nullptr);
  // A command component of this provider, without owner, on this connection. A provider's
  // descendant must answer it.
  virtual std::unique_ptr<TCustomDASQL> CreateSQL();

  // The provider's metadata class, which the metadata components on this connection make. A
  // provider's descendant must answer it.
  virtual TLxMetaDataClass GetIMetaDataClass();
  // A metadata component of this provider, without owner, on this connection.
  virtual std::unique_ptr<TDAMetaData> CreateMetaData();

  // ---- Catalog lists, read through a temporary metadata component.
  // The tables of the current schema (qualified by their schema when it is another one), or
  // with allTables every table, qualified by its schema and catalog; names quoted when needed.
  virtual void GetTableNames(TStrings* list, bool allTables = false);
  virtual void GetDatabaseNames(TStrings* list);
  // The stored procedures and functions, as GetTableNames names tables.
  virtual void GetStoredProcNames(TStrings* list, bool allProcs = false);
  // The schema that unqualified names belong to; empty when the provider does not say.
  virtual String GetCurrentSchema() { return {}; }

  // ---- The login dialog.
  TCustomConnectDialog* ConnectDialog() const { return FConnectDialog; }
  // The dialog's connection becomes this component; each is told when the other goes.
  void SetConnectDialog(TCustomConnectDialog* value);
  // The SQL monitor class whose hooks this connection and its components report to.
  virtual const TDASQLMonitorClass& MonitorClass() const { return DASQLMonitorClass(); }
  // The dialog class a login shows; none (no dialog) unless a dialog can be shown.
  virtual TConnectDialogClass LoginDialogClass();

  // ---- Statements through the connection's internal command component, made on first use.
  TCustomDASQL* CheckCommand();
  // Runs a statement; the values go to its parameters by position (extra ones are ignored,
  // parameters without one keep theirs). The result parameter's value, else Null.
  virtual Variant ExecSQL(const String& text, const std::vector<Variant>& values = {});
  // The same with name/value pairs; a single Null stands for none. The result parameter's
  // value, else Unassigned.
  virtual Variant ExecSQLEx(const String& text, const std::vector<Variant>& pairs);
  // Calls a stored procedure described by the server: the values go to its parameters in order
  // (the result parameter skipped); input parameters left without a value are not sent.
  virtual Variant ExecProc(const String& name, const std::vector<Variant>& values);
  // The same with name/value pairs: only the named input parameters are sent.
  virtual Variant ExecProcEx(const String& name, const std::vector<Variant>& pairs);
  // Applies the cached updates of every dataset on this connection, or of the ones given, in
  // their update transactions: all of them or, when one is refused, none, and then every
  // dataset keeps its changes pending.
  virtual void ApplyUpdates();
  virtual void ApplyUpdates(const std::vector<TCustomDADataSet*>& dataSets);
  // The command components registered as clients.
  int CommandCount() const { return static_cast<int>(FCommands.size()); }
  TCustomDASQL* Commands(int index) const { return FCommands.at(index); }
  void AssignTo(TPersistent* dest) override;

 protected:
  bool GetConnected() override;
  void DoConnect() override;
  void DoDisconnect() override;
  void Loaded() override;
  void Notification(TComponent* component, ::TOperation operation) override;
  // Every transaction is closed by its default close action, errors tolerated; then the
  // provider transactions let go of the provider connection.
  virtual void CloseTransactions();
  void DetachTransactions();
  // The datasets and commands let go of this connection.
  virtual void ClearRefs();
  // Frees the internal command; a descendant calls it while it is still whole.
  void FreeCommand();
  // A provider's descendant replaces the neutral internal transaction with its own class in its
  // constructor.
  void InstallInternalTransaction(std::unique_ptr<TDATransaction> transaction);

  virtual void DoSetServer(const String& value);
  virtual String GetServer() { return FServer; }
  virtual bool UsesLoginDialog() { return LoginPrompt(); }
  // A provider's descendant installs its provider connection here (SetIConnection).
  virtual void CreateIConnection() {}
  void SetIConnection(std::unique_ptr<TLxConnection> connection);
  void FreeIConnection();
  // A provider's descendant replaces the neutral options with its own class in its constructor.
  void InstallOptions(std::unique_ptr<TDAConnectionOptions> options);
  void PerformConnect(bool skipBefore);
  // The dialog connects when the user confirms the login.
  friend class TCustomConnectDialog;
  // The login step of connecting: the assigned dialog, or a temporary one of LoginDialogClass,
  // connects when the user confirms; a cancelled login raises.
  void RunLoginDialog();

 private:
  struct TOperation {
    TConnLostCause Cause;
    bool AllowFailOver;
  };
  void SendDisconnectNotice();
  void DisconnectIConnection();
  bool ReconnectBlockedByClients(TConnLostCause cause, TComponent* errorComponent);

  String FUsername;
  String FPassword;
  String FServer;
  bool FAutoCommit = true;
  bool FConvertEOL = false;
  bool FPooling = false;
  bool FDisconnectGuard = false;
  bool FDisconnecting = false;
  bool FConnectAfterLoad = false;
  bool FShouldShowPrompt = true;
  int FConnectCount = 0;
  TDATransactions FTransactions;
  TDATransaction* FDefaultTransaction = nullptr;
  std::unique_ptr<TDATransaction> FInternalTransaction;
  std::unique_ptr<TDAConnectionOptions> FOptions;
  std::unique_ptr<TPoolingOptions> FPoolingOptions;
  std::unique_ptr<TLxConnection> FIConnection;
  std::vector<TOperation> FOperations;
  std::recursive_mutex FClientsLock;
  std::vector<TCustomDASQL*> FCommands;
  std::unique_ptr<TCustomDASQL> FCommand;
  TCustomConnectDialog* FConnectDialog = nullptr;
};

// The dataset component belongs to the same unit.
#include "Common/DBAccess_DataSet.h"  // IWYU pragma: export
