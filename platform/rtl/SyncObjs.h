// Synchronisation objects: critical sections, events and a scoped lock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/rtl/Object.h"

// A wait that never times out.
inline constexpr uint32_t INFINITE = 0xFFFFFFFF;

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError, wrIOCompletion };

class TSynchroObject : public TObject {
 public:
  virtual void Acquire() = 0;
  virtual void Release() = 0;
  // Waits up to timeout milliseconds (INFINITE: for ever).
  virtual TWaitResult WaitFor(uint32_t timeout) = 0;
};

// Recursive, as the system's critical section is: the thread that holds it may enter again and
// leaves as many times as it entered.
class TCriticalSection : public TSynchroObject {
 public:
  void Acquire() override { FMutex.lock(); }
  void Release() override { FMutex.unlock(); }
  void Enter() { Acquire(); }
  void Leave() { Release(); }
  // Enters when the section is free or already held by this thread; never waits.
  bool TryEnter() { return FMutex.try_lock(); }
  // Enters within the time: wrSignaled (now held) or wrTimeout.
  TWaitResult WaitFor(uint32_t timeout) override;

 private:
  std::recursive_timed_mutex FMutex;
};

// An event: manual reset stays signalled until ResetEvent and releases every waiter; automatic
// reset releases one waiter and resets itself. Named events are not shared between processes
// here: a name is accepted and ignored.
class TEvent : public TSynchroObject {
 public:
  explicit TEvent(bool manualReset = true, bool initialState = false)
      : FManualReset(manualReset), FSignaled(initialState) {}
  TEvent(void* eventAttributes, bool manualReset, bool initialState, const String& name)
      : TEvent(manualReset, initialState) {
    (void)eventAttributes;
    (void)name;
  }

  void SetEvent();
  void ResetEvent();
  // wrSignaled when the event is (or becomes) signalled within the time, else wrTimeout.
  TWaitResult WaitFor(uint32_t timeout = INFINITE) override;
  void Acquire() override { WaitFor(INFINITE); }
  void Release() override { SetEvent(); }
  bool ManualReset() const { return FManualReset; }

 private:
  std::mutex FMutex;
  std::condition_variable FChanged;
  const bool FManualReset;
  bool FSignaled;
};

// A manual-reset event, initially not signalled.
class TSimpleEvent : public TEvent {
 public:
  TSimpleEvent() : TEvent(true, false) {}
};

// Holds a synchronisation object for a scope: acquires it on construction, releases it on exit.
class TLockGuard {
 public:
  explicit TLockGuard(TSynchroObject& lock) : FLock(lock) { FLock.Acquire(); }
  ~TLockGuard() { FLock.Release(); }
  TLockGuard(const TLockGuard&) = delete;
  TLockGuard& operator=(const TLockGuard&) = delete;

 private:
  TSynchroObject& FLock;
};
