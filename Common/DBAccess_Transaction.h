// The transaction component: a list of connection components over one provider
// transaction. It counts the implicit uses of datasets and commands so that a
// transaction started for one operation ends after it, keeps auto-commit off on
// its connections while it runs, and carries its use count across a reconnect
// of its connection.
#pragma once

#include <cstdint>
#include <memory>
#include <typeinfo>
#include <vector>

#include "Common/DASQLMonitor.h"
#include "Common/LxAccess_Transaction.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Object.h"

class TCustomDAConnection;

// What closing an active transaction does with its work.
enum TCRTransactionAction : uint8_t { taCommit, taRollback };

// A class reference to a provider transaction: whether an object is of that
// class (or derived from it), and how to make one.
struct TLxTransactionKind {
  bool (*Is)(const TLxTransaction*) = nullptr;
  std::unique_ptr<TLxTransaction> (*Create)() = nullptr;

  template <class T>
  static TLxTransactionKind Of() {
    return {[](const TLxTransaction* t) { return dynamic_cast<const T*>(t) != nullptr; },
            []() -> std::unique_ptr<TLxTransaction> { return std::make_unique<T>(); }};
  }
};

class TDATransaction : public TComponent {
 public:
  explicit TDATransaction(TComponent* owner);
  ~TDATransaction() override;

  TCustomDAConnection* DefaultConnection() const { return FDefaultConnection; }
  void SetDefaultConnection(TCustomDAConnection* connection);
  int ConnectionsCount() const { return static_cast<int>(FConnections.size()); }
  TCustomDAConnection* GetConnection(int index) const;
  void AddConnection(TCustomDAConnection* connection) { DoAddConnection(connection); }
  void RemoveConnection(TCustomDAConnection* connection) { DoRemoveConnection(connection); }

  TCRTransactionAction DefaultCloseAction() const { return FDefaultCloseAction; }
  void SetDefaultCloseAction(TCRTransactionAction value) { FDefaultCloseAction = value; }
  // 0 read committed, 1 read uncommitted, 2 repeatable read, 3 serializable.
  uint8_t IsolationLevel() const { return FIsolationLevel; }
  void SetIsolationLevel(uint8_t value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);

  bool GetActive() { return GetInTransaction(); }
  void CheckActive();
  void CheckInactive();
  TLxTransaction* ITransaction() const { return FITransaction; }
  int UseCount() const { return FUseCount; }
  int PendingCount() const { return FPendingCount; }
  bool ExplicitlyStarted() const { return FExplicitlyStarted; }

  void StartTransaction() { DoStartTransaction(); }
  void Commit() { DoCommit(); }
  void Rollback() { DoRollback(); }
  void CommitRetaining() { DoCommitRetaining(); }
  void RollbackRetaining() { DoRollbackRetaining(); }
  void Savepoint(const String& name) { DoSavepoint(name); }
  void ReleaseSavepoint(const String& name) { DoReleaseSavepoint(name); }
  void RollbackToSavepoint(const String& name) { DoRollbackToSavepoint(name); }

  // What datasets and commands call around an operation that runs inside the
  // transaction: before it, after it (with whether it succeeded) and at its
  // end.
  virtual void AutoStart();
  virtual void AutoCommit(bool succeeded);
  virtual void AutoRelease();
  // Ends an active transaction with the default close action. With force,
  // errors are swallowed and the provider transaction is marked inactive.
  virtual void CloseTransaction(bool force);
  virtual bool GetInTransaction();
  virtual TCustomDAConnection* EffectiveConnection();

  // Failover: before the connection reconnects, and after it succeeded.
  void CloseOnConnectionLost();
  void RestoreAfterFailover();
  int SavedUseCount() const { return FSavedUseCount; }

  // Called by a connection component for its own transaction: the provider
  // transaction is the default connection's internal one, which this component
  // never frees.
  void SetShared(bool value) { FShared = value; }
  bool Shared() const { return FShared; }
  // Makes sure the provider transaction is there and of the right class.
  void CheckITransaction();
  // Drops the provider transaction (freeing it unless shared).
  void FreeITransaction();

  // Connection bookkeeping that does not call back into the connection
  // component.
  int AddConnectionInternal(TCustomDAConnection* connection);
  void RemoveConnectionInternal(TCustomDAConnection* connection);

  TNotifyEvent OnStart;
  TNotifyEvent OnCommit;
  TNotifyEvent OnRollback;

  virtual void DoStartTransaction();
  virtual void DoCommit();
  virtual void DoRollback();
  virtual void DoCommitRetaining();
  virtual void DoRollbackRetaining();
  virtual void DoSavepoint(const String& name);
  virtual void DoReleaseSavepoint(const String& name);
  virtual void DoRollbackToSavepoint(const String& name);
  // The SQL monitor class that hears of this transaction's steps.
  virtual const TDASQLMonitorClass& MonitorClass() const { return DASQLMonitorClass(); }

 protected:
  using TSavepointHook = void (TDASQLMonitorClass::*)(TDATransaction*, const String&, bool,
                                                      int32_t&) const;
  // A savepoint step of the provider transaction between the monitor's two notices.
  void RunSavepointStep(const String& name, TSavepointHook hook,
                        void (TLxTransaction::*step)(const String&));
  // The provider transaction class; a provider's descendant answers it.
  virtual TLxTransactionKind GetITransactionClass();
  virtual void SetITransaction(TLxTransaction* transaction);
  virtual bool CanAutoCommit() { return true; }
  virtual void DoAddConnection(TCustomDAConnection* connection);
  virtual void DoRemoveConnection(TCustomDAConnection* connection);
  void Notification(TComponent* component, TOperation operation) override;

  void CreateITransaction();
  void PrepareTransaction(bool savepointMode);
  void UnprepareTransaction();
  // The datasets and commands of the connections let go of this component, then the
  // connections are removed.
  void ClearRefs();
  // The transaction is about to end: the datasets that use it on a connection that runs one
  // transaction at a time hear of it. They stay open with their rows.
  void NotifyTransactionEnd();

 private:
  void EndTransaction(bool commit);

  TCustomDAConnection* FDefaultConnection = nullptr;
  int FUseCount = 0;
  int FPendingCount = 0;
  bool FExplicitlyStarted = false;
  bool FDisconnectedModeTransaction = false;
  int FSavedUseCount = 0;
  bool FSavedExplicitlyStarted = false;
  bool FPrepared = false;
  TCRTransactionAction FDefaultCloseAction = taRollback;
  uint8_t FIsolationLevel = 0;
  bool FReadOnly = false;
  TLxTransaction* FITransaction = nullptr;
  std::unique_ptr<TLxTransaction> FOwnedITransaction;
  bool FShared = false;
  std::vector<TCustomDAConnection*> FConnections;
};

using TDATransactions = std::vector<TDATransaction*>;
