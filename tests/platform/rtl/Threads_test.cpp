#include "platform/rtl/Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>

#include "platform/rtl/TickCount.h"

namespace {

// Runs the work given to it.
class TWorker : public TThread {
 public:
  explicit TWorker(std::function<void(TWorker*)> work) : FWork(std::move(work)) {}
  ~TWorker() override {
    // Stopped here, while FWork still exists.
    Terminate();
    WaitFor();
  }
  using TThread::SetReturnValue;

 protected:
  void Execute() override { FWork(this); }

 private:
  std::function<void(TWorker*)> FWork;
};

TEST(ThreadTest, RunsExecuteOnItsOwnThreadAndReturnsItsValue) {
  TThreadID seenInside = 0;
  TWorker worker([&](TWorker* self) {
    seenInside = GetCurrentThreadId();
    self->SetReturnValue(42);
  });
  EXPECT_TRUE(worker.Suspended());
  worker.Start();
  EXPECT_EQ(worker.WaitFor(), 42);
  EXPECT_EQ(worker.WaitFor(), 42);  // a second wait returns at once
  EXPECT_TRUE(worker.Finished());
  EXPECT_EQ(seenInside, worker.ThreadID());
  EXPECT_NE(seenInside, GetCurrentThreadId());
  EXPECT_FALSE(worker.FatalException());
  try {
    worker.Start();
    ADD_FAILURE() << "no error";
  } catch (const EThread& e) {
    EXPECT_EQ(e.Message(), u"Cannot call Start on a running or suspended thread");
  }
}

TEST(ThreadTest, AnExceptionEscapingExecuteIsKept) {
  TWorker failing([](TWorker*) { throw EConvertError(u"bad value"); });
  bool terminated = false;
  failing.OnTerminate = [&](TObject* sender) {
    EXPECT_EQ(sender, &failing);
    EXPECT_TRUE(failing.FatalException());  // already there for the handler
    terminated = true;
  };
  failing.Start();
  failing.WaitFor();
  EXPECT_TRUE(terminated);
  ASSERT_TRUE(failing.FatalException());
  try {
    std::rethrow_exception(failing.FatalException());
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"bad value");
  }

  TWorker foreign([](TWorker*) { throw std::runtime_error("not ours"); });
  foreign.Start();
  foreign.WaitFor();
  EXPECT_THROW(std::rethrow_exception(foreign.FatalException()), std::runtime_error);
}

// Waits for Terminate, which wakes it through TerminatedSet.
class TWaiter : public TThread {
 public:
  explicit TWaiter(TEvent& wake) : FWake(wake) {}

 protected:
  void Execute() override {
    while (!Terminated()) FWake.WaitFor(INFINITE);
  }
  void TerminatedSet() override { FWake.SetEvent(); }

 private:
  TEvent& FWake;  // outside the object, so the base destructor may still stop the thread
};

TEST(ThreadTest, TerminateAndTimedWait) {
  TEvent wake(true, false);
  TWaiter waiter(wake);
  waiter.Start();
  EXPECT_EQ(waiter.WaitForTimeout(0), wrTimeout);
  EXPECT_EQ(waiter.WaitForTimeout(20), wrTimeout);
  EXPECT_FALSE(waiter.Finished());
  waiter.Terminate();
  EXPECT_TRUE(waiter.Terminated());
  EXPECT_EQ(waiter.WaitForTimeout(INFINITE), wrSignaled);
  EXPECT_TRUE(waiter.Finished());
}

TEST(ThreadTest, FreeingARunningThreadStopsIt) {
  // Shared with the freeing thread, which may outlive the test when Free hangs.
  struct TShared {
    TEvent Wake{true, false};
    TEvent Freed{true, false};
  };
  auto shared = std::make_shared<TShared>();
  auto* waiter = new TWaiter(shared->Wake);
  waiter->Start();
  // Free terminates (waking Execute through TerminatedSet) and waits before the destructors run.
  std::thread freeing([shared, waiter] {
    waiter->Free();
    shared->Freed.SetEvent();
  });
  const bool stopped = shared->Freed.WaitFor(10000) == wrSignaled;
  if (stopped)
    freeing.join();
  else
    freeing.detach();
  EXPECT_TRUE(stopped) << "Free did not stop the running thread within 10 s";
}

TEST(ThreadTest, AThreadNeverStartedNeverRuns) {
  bool ran = false;
  {
    TWorker idle([&](TWorker*) { ran = true; });
    EXPECT_EQ(idle.WaitFor(), 0);
    EXPECT_EQ(idle.WaitForTimeout(0), wrSignaled);
    EXPECT_FALSE(idle.Started());
  }
  EXPECT_FALSE(ran);
}

TEST(ThreadTest, AThreadCannotWaitForItself) {
  String message;
  TWorker self([&](TWorker* me) {
    try {
      me->WaitFor();
    } catch (const EThread& e) {
      message = e.Message();
    }
  });
  self.Start();
  self.WaitFor();
  EXPECT_EQ(message, u"A thread cannot wait for itself");
}

// Signals the test from its destructor, which runs on its own thread.
class TSelfFreeing : public TThread {
 public:
  explicit TSelfFreeing(TEvent& gone) : FGone(gone) {}
  ~TSelfFreeing() override { FGone.SetEvent(); }

 protected:
  void Execute() override {}

 private:
  TEvent& FGone;
};

TEST(ThreadTest, FreeOnTerminateDeletesTheObject) {
  TEvent gone(true, false);
  auto* thread = new TSelfFreeing(gone);
  thread->SetFreeOnTerminate(true);
  thread->Start();
  EXPECT_EQ(gone.WaitFor(INFINITE), wrSignaled);  // LeakSanitizer checks the rest
}

TEST(TickCountTest, NeverRunsBackwards) {
  uint64_t before = GetTickCount64();
  uint32_t before32 = GetTickCount();
  Sleep(2);
  EXPECT_GE(GetTickCount64(), before);
  EXPECT_LT(static_cast<uint32_t>(GetTickCount() - before32), 0x80000000u);  // wrap-safe order
}

}  // namespace
