// The provider-neutral transaction: its connections, isolation level and read-only flag, the
// active flag, and the operations a provider implements.
#pragma once

#include <cstdint>
#include <vector>

#include "Common/LxAccess_Props.h"
#include "platform/rtl/Variant.h"

class TComponent;
class TLxConnection;

// The connections of a transaction; it does not own them.
class TLxConnections {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises "List index out of bounds (%d)" outside 0..count-1.
  TLxConnection* GetItem(int index) const;
  int IndexOf(const TLxConnection* connection) const;
  void Add(TLxConnection* connection) { FItems.push_back(connection); }
  void Remove(const TLxConnection* connection);

 private:
  std::vector<TLxConnection*> FItems;
};

class TLxTransaction {
 public:
  TLxTransaction() = default;
  virtual ~TLxTransaction() = default;
  TLxTransaction(const TLxTransaction&) = delete;
  TLxTransaction& operator=(const TLxTransaction&) = delete;

  // False when the connection is in the list already.
  virtual bool AttachConnection(TLxConnection* connection);
  // False when the connection is not in the list.
  virtual bool DetachConnection(TLxConnection* connection);
  virtual bool SetProp(TLxPropCode prop, const Variant& value);
  virtual bool GetProp(TLxPropCode prop, Variant& value);
  virtual bool GetInTransaction() const { return FActive; }
  virtual bool GetActive() const { return GetInTransaction(); }
  // Mirrors the other transaction's state; taking over an active one gives up ownership of it.
  virtual void AttachTo(TLxTransaction* other);
  // A provider implements these three; the base fails an assertion.
  virtual void BeginTransaction();
  virtual void Commit();
  virtual void Rollback();
  // The base raises "Operation is not supported by the database".
  virtual void CommitRetaining();
  virtual void RollbackRetaining();
  virtual void Savepoint(const String& name);
  virtual void ReleaseSavepoint(const String& name);
  virtual void RollbackToSavepoint(const String& name);
  // Inactive without telling the server: after a failed end of the transaction.
  virtual void ResetActive() { FActive = false; }
  // An active transaction does not survive a reconnect.
  virtual bool CanRestoreAfterFailover() const { return false; }

  // Raise "Can't perform operation on inactive transaction" / "... on active transaction".
  void CheckActive() const;
  void CheckInactive() const;

  TComponent* OwnerComponent() const { return FOwnerComponent; }
  void SetOwnerComponent(TComponent* component) { FOwnerComponent = component; }
  const TLxConnections& Connections() const { return FConnections; }
  // 0 read committed, 1 read uncommitted, 2 repeatable read, 3 serializable.
  uint8_t IsolationLevel() const { return FIsolationLevel; }
  bool ReadOnly() const { return FReadOnly; }
  bool NativeTransaction() const { return FNativeTransaction; }

 protected:
  bool FActive = false;
  bool FNativeTransaction = true;  // this object began the transaction

 private:
  TComponent* FOwnerComponent = nullptr;
  TLxConnections FConnections;
  uint8_t FIsolationLevel = 0;
  bool FReadOnly = false;
};
