// A pool of open connections: the ring of idle ones, handing out, taking back and validation.
//
// Lock order: the pool's get lock, then its taken lock, then its ring lock; the version lock is
// taken alone. Connections are tested and freed outside the ring and taken locks, so a slow
// server never holds up a return.
#include <algorithm>

#include "Common/LxConnectionPool.h"
#include "platform/rtl/TickCount.h"

TLxConnectionPool::TLxConnectionPool(TLxConnectionPoolManager* manager,
                                     const TLxConnectionParameters& parameters)
    : FParameters(parameters.Create()),
      FManager(manager),
      FMonitor(manager ? manager->Monitor() : nullptr) {
  FParameters->Assign(const_cast<TLxConnectionParameters*>(&parameters));
  FParameters->OnError = nullptr;
  Report(u"Connection pool created", true, false);
}

TLxConnectionPool::~TLxConnectionPool() { Report(u"Connection pool destroyed", false, false); }

int TLxConnectionPool::GetConnectionCount() { return FTakenCount; }

void TLxConnectionPool::PutConnection(TLxConnection* connection) { ReturnConnection(connection); }

void TLxConnectionPool::Report(const char16_t* message, bool withCount, bool withParameters) {
  if (FMonitor) FMonitor(this, message, withCount, withParameters);
}

TLxLocalConnectionPool::TLxLocalConnectionPool(TLxConnectionPoolManager* manager,
                                               const TLxConnectionParameters& parameters)
    : TLxConnectionPool(manager, parameters),
      // A ring needs one entry even when the pool may hold none.
      FSize(std::max(Parameters().MaxPoolSize, 1)),
      FConnections(static_cast<size_t>(FSize), nullptr),
      FVersions(static_cast<size_t>(FSize), 0) {}

TLxLocalConnectionPool::~TLxLocalConnectionPool() { Clear(); }

bool TLxLocalConnectionPool::TakeFromRing(TLxConnection*& connection, int32_t& version,
                                          bool countAsTaken) {
  if (countAsTaken) {
    FGetLock.Acquire();
    FTakenLock.Acquire();
  }
  bool taken = false;
  {
    TLockGuard ring(FPoolLock);
    const bool full = countAsTaken && FTakenCount >= Parameters().MaxPoolSize;
    if (!full && FPooledCount > 0) {
      connection = FConnections[FHead];
      version = FVersions[FHead];
      FConnections[FHead] = nullptr;
      FHead = (FHead + 1) % FSize;
      --FPooledCount;
      taken = true;
      if (countAsTaken && ++FTakenCount >= Parameters().MaxPoolSize) FBusy.ResetEvent();
    }
  }
  if (countAsTaken) {
    FTakenLock.Release();
    FGetLock.Release();
  }
  return taken;
}

bool TLxLocalConnectionPool::ReleaseSlot() {
  TLockGuard taken(FTakenLock);
  --FTakenCount;
  FBusy.SetEvent();
  return FDetached && FTakenCount == 0;
}

void TLxLocalConnectionPool::PutIntoRing(TLxConnection* connection, int32_t version) {
  TLockGuard ring(FPoolLock);
  FConnections[FTail] = connection;
  FVersions[FTail] = version;
  FTail = (FTail + 1) % FSize;
  ++FPooledCount;
}

void TLxLocalConnectionPool::DestroyConnection(TLxConnection* connection, bool keepTaken) {
  try {
    delete connection;
  } catch (...) {
    // A session that cannot say goodbye is gone all the same.
  }
  Report(u"Connection destroyed in pool", false, true);
  if (!keepTaken) ReleaseSlot();
}

bool TLxLocalConnectionPool::TestConnection(TLxConnection* connection) {
  bool alive = false;
  try {
    alive = connection->CheckAlive();
  } catch (...) {
    connection->SetIsValid(false);
  }
  connection->SetPoolVersion(FInvalidateVersion);
  return alive;
}

bool TLxLocalConnectionPool::IsLive(TLxConnection* connection) const {
  const int32_t lifetime = Parameters().ConnectionLifetime;
  return lifetime <= 0 ||
         GetTickInterval(connection->ConnectTime(), GetTickCount()) <=
             static_cast<uint32_t>(lifetime);
}

TLxConnection* TLxLocalConnectionPool::GetConnection(const TErrorProc& onError) {
  ReserveSlot();
  TLxConnection* connection = TakeReusable();
  if (!connection) connection = NewConnection(onError);
  HandOut(connection);
  return connection;
}

// Waits for a free slot and takes it. The wait counts the time spent getting the lock.
void TLxLocalConnectionPool::ReserveSlot() {
  const uint32_t start = GetTickCount();
  TLockGuard get(FGetLock);
  const uint32_t spent = GetTickInterval(start, GetTickCount());
  const uint32_t limit = LxPoolTimings().SlotWait;
  if (FBusy.WaitFor(spent >= limit ? 0 : limit - spent) != wrSignaled)
    throw Exception(SMaxConnectionsReached);
  TLockGuard taken(FTakenLock);
  if (FTakenCount >= Parameters().MaxPoolSize) throw Exception(SMaxConnectionsReached);
  if (++FTakenCount >= Parameters().MaxPoolSize) FBusy.ResetEvent();
}

// The oldest pooled connection, unless it was cleared or fails the test it is due; such a one is
// destroyed and its slot kept for a new connection.
TLxConnection* TLxLocalConnectionPool::TakeReusable() {
  TLxConnection* connection = nullptr;
  int32_t ringVersion = 0;
  if (!TakeFromRing(connection, ringVersion, false)) return nullptr;
  const int32_t version = connection->PoolVersion();
  const bool mustTest = Parameters().Validate || version < FInvalidateVersion;
  if (version < FClearVersion || (mustTest && !TestConnection(connection))) {
    DestroyConnection(connection, true);
    return nullptr;
  }
  return connection;
}

// A connection that cannot be made gives its slot back: otherwise every failed connect would
// shrink the pool until it refused everyone.
TLxConnection* TLxLocalConnectionPool::NewConnection(const TErrorProc& onError) {
  TLxConnection* connection = nullptr;
  try {
    connection = CreateNewConnection(onError);
  } catch (...) {
    ReleaseSlot();
    throw;
  }
  Report(u"Connection created in pool", false, false);
  return connection;
}

void TLxLocalConnectionPool::HandOut(TLxConnection* connection) {
  connection->SetPool(this, [this](TLxConnection* returned) {
    PutConnection(returned);
    return true;
  });
  connection->SetPoolVersion(FInvalidateVersion);
  Report(u"Connection taken from pool", false, true);
}

void TLxLocalConnectionPool::ReturnConnection(TLxConnection* connection) {
  RTL_ASSERT(connection->Pool() == this, u"The connection does not belong to this pool");
  bool detached;
  {
    TLockGuard taken(FTakenLock);
    detached = FDetached;
  }
  const int32_t version = connection->PoolVersion();
  const bool keep = !detached && connection->GetConnected() && IsLive(connection) &&
                    connection->IsValid() && version >= FClearVersion &&
                    (version >= FInvalidateVersion || TestConnection(connection));
  connection->SetPool(nullptr, nullptr);
  if (keep) {
    int32_t ringVersion;
    {
      TLockGuard versions(FVersionLock);
      ringVersion = ++FVersion;
    }
    PutIntoRing(connection, ringVersion);
    Report(u"Connection returned to pool", false, true);
  } else {
    DestroyConnection(connection, true);
  }
  // The last connection back in a pool that left its manager takes the pool with it.
  if (ReleaseSlot()) delete this;
}

int TLxLocalConnectionPool::GetConnectionCount() {
  TLockGuard taken(FTakenLock);
  TLockGuard ring(FPoolLock);
  return FTakenCount + FPooledCount;
}

int TLxLocalConnectionPool::PooledCount() {
  TLockGuard ring(FPoolLock);
  return FPooledCount;
}

void TLxLocalConnectionPool::Invalidate() { ++FInvalidateVersion; }

void TLxLocalConnectionPool::ClearDeferred() {
  ++FInvalidateVersion;
  ++FClearVersion;
}

void TLxLocalConnectionPool::Clear() {
  TLxConnection* connection = nullptr;
  int32_t version = 0;
  while (TakeFromRing(connection, version, false)) DestroyConnection(connection, true);
}

bool TLxLocalConnectionPool::Detach() {
  Clear();
  TLockGuard taken(FTakenLock);
  FDetached = true;
  return FTakenCount == 0;
}

int TLxLocalConnectionPool::DropOldest(int count) {
  int dropped = 0;
  TLxConnection* connection = nullptr;
  int32_t version = 0;
  while (dropped < count && TakeFromRing(connection, version, true)) {
    DestroyConnection(connection, false);
    ++dropped;
  }
  return dropped;
}

// One validation pass. A connection stays when it was used within the last eight passes, is
// within its lifetime and not cleared, and either was used since the last pass (and not
// invalidated) or answers the server. Surplus idle connections above MinPoolSize go gradually,
// oldest first, an eighth of the last pass's surplus at a time.
void TLxLocalConnectionPool::Validate() {
  int32_t usedSinceLast, usedWithinEight;
  {
    TLockGuard versions(FVersionLock);
    usedSinceLast = FVersionHistory[0];
    usedWithinEight = FVersionHistory[7];
    std::copy_backward(FVersionHistory, FVersionHistory + 7, FVersionHistory + 8);
    FVersionHistory[0] = FVersion;
  }
  const int drop = (FSurplus + 6) / 8;
  int walk;
  {
    TLockGuard ring(FPoolLock);
    FSurplus = FPooledCount - Parameters().MinPoolSize - drop;
    walk = FPooledCount;
  }
  int destroyed = 0;
  for (int i = 0; i < walk; ++i) {
    TLxConnection* connection = nullptr;
    int32_t ringVersion = 0;
    if (!TakeFromRing(connection, ringVersion, true)) break;
    const int32_t version = connection->PoolVersion();
    const bool keep =
        ringVersion > usedWithinEight && IsLive(connection) && version >= FClearVersion &&
        ((ringVersion > usedSinceLast && version >= FInvalidateVersion) ||
         TestConnection(connection));
    if (keep) {
      PutIntoRing(connection, ringVersion);
      ReleaseSlot();
    } else {
      DestroyConnection(connection, false);
      ++destroyed;
    }
  }
  if (destroyed < drop) DropOldest(drop - destroyed);
}
