// The pool manager: its pools, their lookup by parameters, and the validation thread.
//
// Lock order: the list lock (a validation pass, FreePools), then the get lock (lookups and
// pooled gets, empty-pool removal), then a pool's own locks. The vector itself has a guard of its
// own that is never held while anything else is called.
#include "Common/LxConnectionPool.h"
#include "platform/rtl/TickCount.h"

TLxConnectionPoolManager::TLxConnectionPoolManager(TPoolMessageProc monitor)
    : FMonitor(monitor), FValidateThread(new TValidateThread(this)) {
  FValidateThread->Start();
}

TLxConnectionPoolManager::~TLxConnectionPoolManager() {
  if (FValidateThread) {
    FValidateThread->Terminate();
    FValidateThread->WaitForTimeout(LxPoolTimings().ThreadStopWait);
    FValidateThread.reset();
  }
  FreePools();
}

TLxConnection* TLxConnectionPoolManager::GetPooledConnection(
    const TLxConnectionParameters& parameters) {
  const TLxConnectionParameters& key = CheckParameters(parameters);
  TLockGuard get(FGetLock);
  TLxConnectionPool* pool = nullptr;
  for (TLxConnectionPool* candidate : Snapshot())
    if (candidate->Parameters().Equals(&key)) {
      pool = candidate;
      break;
    }
  if (!pool) {
    pool = CreateConnectionPool(key);
    std::lock_guard<std::mutex> guard(FPoolsGuard);
    FPools.push_back(pool);
  }
  // The manager's get lock stays held through the pool's wait and connect: pooled connects of
  // the process run one at a time, and a pool cannot be removed while it hands out.
  return pool->GetConnection(key.OnError);
}

void TLxConnectionPoolManager::FreePools() {
  TLockGuard list(FListLock);
  std::vector<TLxConnectionPool*> pools;
  {
    TLockGuard get(FGetLock);
    std::lock_guard<std::mutex> guard(FPoolsGuard);
    pools.swap(FPools);
  }
  for (TLxConnectionPool* pool : pools) FreePool(pool);
}

void TLxConnectionPoolManager::FreePool(TLxConnectionPool* pool) {
  auto* local = dynamic_cast<TLxLocalConnectionPool*>(pool);
  if (!local || local->Detach()) pool->Free();
}

void TLxConnectionPoolManager::ValidatePools(const TThread* thread) {
  TLockGuard list(FListLock);
  std::vector<TLxConnectionPool*> pools = Snapshot();
  for (auto it = pools.rbegin(); it != pools.rend(); ++it) {
    if (thread && thread->Terminated()) return;
    TLxConnectionPool* pool = *it;
    pool->Validate();
    bool empty;
    {
      TLockGuard get(FGetLock);
      empty = pool->GetConnectionCount() == 0;
      if (empty) Remove(pool);
    }
    if (empty) pool->Free();
  }
}

std::vector<TLxConnectionPool*> TLxConnectionPoolManager::Snapshot() {
  std::lock_guard<std::mutex> guard(FPoolsGuard);
  return FPools;
}

void TLxConnectionPoolManager::Remove(TLxConnectionPool* pool) {
  std::lock_guard<std::mutex> guard(FPoolsGuard);
  std::erase(FPools, pool);
}

int TLxConnectionPoolManager::PoolCount() {
  std::lock_guard<std::mutex> guard(FPoolsGuard);
  return static_cast<int>(FPools.size());
}

TLxConnectionPool* TLxConnectionPoolManager::Pool(int index) {
  std::lock_guard<std::mutex> guard(FPoolsGuard);
  return FPools.at(static_cast<size_t>(index));
}

TValidateThread::~TValidateThread() {
  Terminate();
  WaitFor();
}

// Waits out the period, less the time the last pass took; the event ends the thread.
void TValidateThread::Execute() {
  uint32_t spent = 0;
  while (!Terminated()) {
    const uint32_t period = LxPoolTimings().ValidationPeriod;
    if (FEvent.WaitFor(spent >= period ? 0 : period - spent) == wrSignaled) return;
    const uint32_t start = GetTickCount();
    FManager->ValidatePools(this);
    spent = GetTickInterval(start, GetTickCount());
  }
}
