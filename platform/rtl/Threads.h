// Threads: a descendant puts its work in Execute; Start runs it on a new thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/SyncObjs.h"

DECLARE_EXCEPTION(EThread, Exception)

using TThreadID = uintptr_t;
// The calling thread's ID, comparable with TThread::ThreadID().
TThreadID GetCurrentThreadId();

// A thread is made suspended and runs when Start is called. (C++ cannot run the virtual Execute
// before the most-derived constructor has finished, so the toolchain's "create running" is
// Start() as the last statement of the most-derived constructor, or a Start() by the creator.)
//
// An exception escaping Execute never ends the process: it is kept in FatalException.
// OnTerminate fires on the thread itself, after Execute.
//
// Free() stops a running thread (Terminate, then wait) before any destructor runs, so Execute and
// TerminatedSet still find the whole object. A plain delete of a running thread would tear the
// object down under its running Execute: a descendant that may be deleted so calls Terminate()
// and WaitFor() in its own destructor. (The base destructor still stops the thread, as a last
// guard.)
class TThread : public TObject {
 public:
  TThread() = default;
  ~TThread() override;

  // Raises EThread "Cannot call Start on a running or suspended thread" when started before.
  void Start();
  // Asks Execute to stop: it sets Terminated, which Execute checks.
  void Terminate();
  bool Terminated() const { return FTerminated.load(); }
  // Waits for the thread to finish and returns ReturnValue (at once when it was never started).
  // A thread cannot wait for itself (EThread), nor for a thread that frees itself on termination.
  int32_t WaitFor();
  // Waits at most the milliseconds: wrSignaled when the thread has finished (or was never
  // started), wrTimeout when it is still running.
  TWaitResult WaitForTimeout(uint32_t timeout);

  bool Started() const;
  bool Suspended() const { return !Started(); }
  bool Finished() const;
  // A thread that frees itself deletes its object when it finishes; nobody may touch it then.
  bool FreeOnTerminate() const;
  void SetFreeOnTerminate(bool value);
  TThreadID ThreadID() const;
  int32_t ReturnValue() const { return FReturnValue; }
  // The exception that escaped Execute (or OnTerminate); empty when none.
  std::exception_ptr FatalException() const;

  TNotifyEvent OnTerminate;

  void BeforeDestruction() override;

 protected:
  virtual void Execute() = 0;
  // Fires OnTerminate; runs on the thread after Execute.
  virtual void DoTerminate();
  // Called by Terminate after Terminated is set (to wake an Execute that is waiting).
  virtual void TerminatedSet() {}
  void SetReturnValue(int32_t value) { FReturnValue = value; }

 private:
  static void Run(TThread* thread);

  std::thread FThread;
  mutable std::mutex FLock;
  std::condition_variable FStateChanged;
  std::atomic<bool> FTerminated{false};
  bool FStarted = false;
  bool FFinished = false;
  bool FFreeOnTerminate = false;
  TThreadID FThreadID = 0;
  int32_t FReturnValue = 0;
  std::exception_ptr FFatalException;
};
