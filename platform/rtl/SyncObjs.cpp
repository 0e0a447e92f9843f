#include "platform/rtl/SyncObjs.h"

#include <chrono>

TWaitResult TCriticalSection::WaitFor(uint32_t timeout) {
  if (timeout == INFINITE) {
    FMutex.lock();
    return wrSignaled;
  }
  return FMutex.try_lock_for(std::chrono::milliseconds(timeout)) ? wrSignaled : wrTimeout;
}

void TEvent::SetEvent() {
  // Notified under the lock: a waiter released here may destroy the event as soon as it returns,
  // and must not find this call still using the condition variable.
  std::lock_guard<std::mutex> lock(FMutex);
  FSignaled = true;
  if (FManualReset)
    FChanged.notify_all();
  else
    FChanged.notify_one();
}

void TEvent::ResetEvent() {
  std::lock_guard<std::mutex> lock(FMutex);
  FSignaled = false;
}

TWaitResult TEvent::WaitFor(uint32_t timeout) {
  std::unique_lock<std::mutex> lock(FMutex);
  auto signaled = [this] { return FSignaled; };
  if (timeout == INFINITE) {
    FChanged.wait(lock, signaled);
  } else if (!FChanged.wait_for(lock, std::chrono::milliseconds(timeout), signaled)) {
    return wrTimeout;
  }
  // An automatic event lets exactly one waiter through.
  if (!FManualReset) FSignaled = false;
  return wrSignaled;
}
