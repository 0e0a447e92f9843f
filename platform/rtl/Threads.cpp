#include "platform/rtl/Threads.h"

#include <pthread.h>

#include <chrono>

TThreadID GetCurrentThreadId() { return static_cast<TThreadID>(pthread_self()); }

TThread::~TThread() {
  if (!FThread.joinable()) return;
  if (FThread.get_id() == std::this_thread::get_id()) {
    // Deleted by its own Execute: nobody is left to join it.
    FThread.detach();
    return;
  }
  Terminate();
  FThread.join();
}

void TThread::BeforeDestruction() {
  {
    std::lock_guard<std::mutex> lock(FLock);
    // Nothing to stop; or the thread frees itself, from its own thread, after Execute.
    if (!FStarted || FFinished || FFreeOnTerminate) return;
    if (FThread.get_id() == std::this_thread::get_id()) return;
  }
  Terminate();
  WaitFor();
}

void TThread::Start() {
  std::lock_guard<std::mutex> lock(FLock);
  if (FStarted) throw EThread(u"Cannot call Start on a running or suspended thread");
  FStarted = true;
  // The new thread takes FLock first thing, so it runs only once FThread is stored.
  FThread = std::thread(&TThread::Run, this);
  FThreadID = static_cast<TThreadID>(FThread.native_handle());
}

void TThread::Run(TThread* thread) {
  { std::lock_guard<std::mutex> wait(thread->FLock); }
  // Kept under the lock: OnTerminate and other threads may read it while this one runs.
  auto keep = [thread](std::exception_ptr error) {
    std::lock_guard<std::mutex> lock(thread->FLock);
    if (!thread->FFatalException) thread->FFatalException = error;
  };
  try {
    if (!thread->Terminated()) thread->Execute();
  } catch (...) {
    keep(std::current_exception());
  }
  try {
    thread->DoTerminate();
  } catch (...) {
    keep(std::current_exception());
  }
  bool freeIt;
  {
    std::lock_guard<std::mutex> lock(thread->FLock);
    thread->FFinished = true;
    freeIt = thread->FFreeOnTerminate;
    if (freeIt) thread->FThread.detach();
    thread->FStateChanged.notify_all();
  }
  if (freeIt) thread->Free();
}

void TThread::Terminate() {
  FTerminated = true;
  TerminatedSet();
}

int32_t TThread::WaitFor() {
  std::unique_lock<std::mutex> lock(FLock);
  if (!FStarted) return FReturnValue;
  if (FThread.joinable() && FThread.get_id() == std::this_thread::get_id())
    throw EThread(u"A thread cannot wait for itself");
  if (FFreeOnTerminate) throw EThread(u"Cannot wait for a thread that frees itself on termination");
  FStateChanged.wait(lock, [this] { return FFinished; });
  // Past FFinished the thread touches nothing of the object, so joining under the lock is safe.
  if (FThread.joinable()) FThread.join();
  return FReturnValue;
}

TWaitResult TThread::WaitForTimeout(uint32_t timeout) {
  if (timeout == INFINITE) {
    WaitFor();
    return wrSignaled;
  }
  std::unique_lock<std::mutex> lock(FLock);
  if (!FStarted) return wrSignaled;
  if (FThread.joinable() && FThread.get_id() == std::this_thread::get_id())
    throw EThread(u"A thread cannot wait for itself");
  if (FFreeOnTerminate) throw EThread(u"Cannot wait for a thread that frees itself on termination");
  if (!FStateChanged.wait_for(lock, std::chrono::milliseconds(timeout),
                              [this] { return FFinished; }))
    return wrTimeout;
  if (FThread.joinable()) FThread.join();
  return wrSignaled;
}

bool TThread::Started() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FStarted;
}

bool TThread::Finished() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FFinished;
}

bool TThread::FreeOnTerminate() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FFreeOnTerminate;
}

void TThread::SetFreeOnTerminate(bool value) {
  std::lock_guard<std::mutex> lock(FLock);
  FFreeOnTerminate = value;
}

TThreadID TThread::ThreadID() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FThreadID;
}

std::exception_ptr TThread::FatalException() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FFatalException;
}

void TThread::DoTerminate() {
  if (OnTerminate) OnTerminate(this);
}
