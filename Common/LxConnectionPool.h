// Connection pools: open provider connections kept for reuse, keyed by the settings that made
// them. A connection component with pooling on takes its session from a pool instead of logging
// in, and gives it back instead of disconnecting. One manager per provider holds the pools and
// runs a validation thread that retires idle, old and dead connections and drops empty pools.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "Common/LxAccess_Connection.h"
#include "Common/LxAccess_Props.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/SyncObjs.h"
#include "platform/rtl/Threads.h"

class TLxConnectionPoolManager;
class TValidateThread;

inline constexpr char16_t SMaxConnectionsReached[] = u"Maximum connections reached in pool";

// The pool's waits, kept in one place: the program runs with these defaults, tests shorten them
// so that a wait for a slot or a validation period takes milliseconds. Elapsed time is measured
// with the platform's tick count (GetTickCount), the clock connections stamp their connect time
// with.
struct TLxPoolTimings {
  // How long a get waits for a free slot before it fails.
  std::atomic<uint32_t> SlotWait{30000};
  // The time between two validation passes.
  std::atomic<uint32_t> ValidationPeriod{30000};
  // How long freeing a manager waits for its validation thread.
  std::atomic<uint32_t> ThreadStopWait{5000};
};
TLxPoolTimings& LxPoolTimings();

// Where pool events are reported: the SQL monitor's pool hook (object, message, with the count of
// pooled connections, with the pool's settings). Null reports nothing.
using TPoolMessageProc = void (*)(TObject* source, const String& message, bool withCount,
                                  bool withParameters);

// The key of a pool: the settings of the connections in it.
class TLxConnectionParameters : public TPersistent {
 public:
  TLxConnectionParameters();
  ~TLxConnectionParameters() override;

  // An empty set of parameters of this one's class.
  virtual std::unique_ptr<TLxConnectionParameters> Create() const;
  // Whether both describe the same pool. The error event is not part of the key.
  virtual bool Equals(const TLxConnectionParameters* other) const;
  // Stores a numbered setting; the base knows none (an internal assertion).
  virtual bool SetProp(TLxPropCode prop, const Variant& value);
  // "Username=..\rServer=..\r"
  virtual String ConnectionInfo() const;
  // "MinPoolSize=..\rMaxPoolSize=..\rConnectionLifeTime=..\rValidate=True|False\r"
  virtual String PoolSettingsText() const;
  // The pool's description in monitor events.
  virtual String AsString() const;

  THttpOptions* HttpOptions() const { return FHttpOptions.get(); }

  int32_t MinPoolSize = 0;
  int32_t MaxPoolSize = 100;
  String Username;
  String Server;
  String Password;
  // Milliseconds a connection may live; 0 is for ever.
  int32_t ConnectionLifetime = 0;
  // Test every pooled connection with the server before handing it out.
  bool Validate = false;
  TLxIOHandler* IOHandler = nullptr;  // not owned; compared by identity
  // Given to a connection the pool makes, for its connect. Not kept by the pool: the pool
  // outlives the component whose handler it is.
  TErrorProc OnError;

 protected:
  // Copies every field, the error event included.
  void AssignTo(TPersistent* dest) override;
  // Whether the HTTP settings reach the server, so that they separate pools.
  virtual bool UsesHttpOptions() const { return true; }

 private:
  std::unique_ptr<THttpOptions, TObjectFree> FHttpOptions;
};

class TLxConnectionPool : public TObject {
 public:
  TLxConnectionPool(TLxConnectionPoolManager* manager, const TLxConnectionParameters& parameters);
  ~TLxConnectionPool() override;

  // Retires idle, old and dead connections; run by the validation thread.
  virtual void Validate() {}
  // Destroys every pooled connection.
  virtual void Clear() {}
  // Every connection now in use or pooled is closed when it next passes through the pool.
  virtual void ClearDeferred() {}
  // Taken plus pooled.
  virtual int GetConnectionCount();
  // A connection for the caller: a pooled one or a new one. The error handler is given to a
  // connection made for this call.
  virtual TLxConnection* GetConnection(const TErrorProc& onError) = 0;
  // Every connection is tested with the server before its next use or return.
  virtual void Invalidate() {}
  // Takes back a connection this pool handed out: pools or destroys it.
  void PutConnection(TLxConnection* connection);

  const TLxConnectionParameters& Parameters() const { return *FParameters; }
  TLxConnectionPoolManager* Manager() const { return FManager; }

 protected:
  virtual void ReturnConnection(TLxConnection* connection) = 0;
  void Report(const char16_t* message, bool withCount, bool withParameters);

  int FTakenCount = 0;

 private:
  std::unique_ptr<TLxConnectionParameters> FParameters;
  TLxConnectionPoolManager* FManager;
  TPoolMessageProc FMonitor;
};

// A pool of connections of this process, kept in a ring in the order they were returned.
class TLxLocalConnectionPool : public TLxConnectionPool {
 public:
  TLxLocalConnectionPool(TLxConnectionPoolManager* manager,
                         const TLxConnectionParameters& parameters);
  ~TLxLocalConnectionPool() override;

  void Validate() override;
  void Clear() override;
  void ClearDeferred() override;
  int GetConnectionCount() override;
  TLxConnection* GetConnection(const TErrorProc& onError) override;
  void Invalidate() override;

  // Connections kept idle in the ring.
  int PooledCount();
  // Leaves the manager: the pooled connections are destroyed, and the connections still in use
  // are destroyed when they come back. True when none is in use and the pool can go now;
  // otherwise the pool frees itself when the last one comes back.
  bool Detach();

 protected:
  // A new connected connection made from the pool's parameters; raises when it cannot connect.
  virtual TLxConnection* CreateNewConnection(const TErrorProc& onError) = 0;
  void ReturnConnection(TLxConnection* connection) override;

 private:
  bool TakeFromRing(TLxConnection*& connection, int32_t& version, bool countAsTaken);
  void PutIntoRing(TLxConnection* connection, int32_t version);
  // Gives a slot back; true when that was the last slot of a detached pool, which must go now.
  bool ReleaseSlot();
  // Frees the connection; the slot goes too unless it is kept for a replacement.
  void DestroyConnection(TLxConnection* connection, bool keepTaken);
  // True when the connection answers the server; it takes the current invalidate version.
  bool TestConnection(TLxConnection* connection);
  bool IsLive(TLxConnection* connection) const;
  void ReserveSlot();
  TLxConnection* TakeReusable();
  TLxConnection* NewConnection(const TErrorProc& onError);
  void HandOut(TLxConnection* connection);
  int DropOldest(int count);

  const int FSize;
  std::vector<TLxConnection*> FConnections;
  std::vector<int32_t> FVersions;
  int FHead = 0;
  int FTail = 0;
  int FPooledCount = 0;
  int32_t FVersion = 0;
  int32_t FVersionHistory[8] = {};
  int FSurplus = 0;
  std::atomic<int32_t> FInvalidateVersion{0};
  std::atomic<int32_t> FClearVersion{0};
  bool FDetached = false;
  // Signalled while fewer than the pool's size are taken; changed under the taken lock.
  TEvent FBusy{true, true};
  TCriticalSection FPoolLock;
  TCriticalSection FTakenLock;
  TCriticalSection FVersionLock;
  TCriticalSection FGetLock;
};

// Holds one provider's pools and their validation thread.
class TLxConnectionPoolManager : public TObject {
 public:
  // Starts the validation thread.
  explicit TLxConnectionPoolManager(TPoolMessageProc monitor);
  // Stops the thread, then frees the pools (see FreePools).
  ~TLxConnectionPoolManager() override;

  // A connection from the pool of these parameters, made when there is none.
  TLxConnection* GetPooledConnection(const TLxConnectionParameters& parameters);
  virtual const TLxConnectionParameters& CheckParameters(
      const TLxConnectionParameters& parameters) {
    return parameters;
  }
  // Takes every pool out of the manager. A pool goes at once with its idle connections; one
  // whose connections are still in use goes when the last comes back.
  void FreePools();
  // One validation pass over the pools, last to first; empty pools are removed. Stops early
  // when the thread is asked to end.
  void ValidatePools(const TThread* thread);

  int PoolCount();
  // A pool of the list; valid until the next validation pass or FreePools.
  TLxConnectionPool* Pool(int index);
  TPoolMessageProc Monitor() const { return FMonitor; }
  bool HasValidateThread() const { return FValidateThread != nullptr; }

 protected:
  virtual TLxConnectionPool* CreateConnectionPool(const TLxConnectionParameters& parameters) = 0;

 private:
  std::vector<TLxConnectionPool*> Snapshot();
  void Remove(TLxConnectionPool* pool);
  static void FreePool(TLxConnectionPool* pool);

  const TPoolMessageProc FMonitor;
  std::vector<TLxConnectionPool*> FPools;
  // Guards the vector alone, for the instant of a read or a change; the list lock serialises a
  // validation pass with FreePools, the get lock the lookups and creations of pools.
  std::mutex FPoolsGuard;
  TCriticalSection FGetLock;
  TCriticalSection FListLock;
  std::unique_ptr<TValidateThread, TObjectFree> FValidateThread;
};

// Wakes every validation period and validates its manager's pools.
class TValidateThread : public TThread {
 public:
  explicit TValidateThread(TLxConnectionPoolManager* manager) : FManager(manager) {}
  ~TValidateThread() override;

 protected:
  void Execute() override;
  void TerminatedSet() override { FEvent.SetEvent(); }

 private:
  TLxConnectionPoolManager* FManager;
  TEvent FEvent{true, false};
};
