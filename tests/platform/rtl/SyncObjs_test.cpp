#include "platform/rtl/SyncObjs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(CriticalSectionTest, TwoThreadsNeverOverlap) {
  TCriticalSection section;
  long counter = 0;  // deliberately not atomic: only the section protects it
  auto work = [&] {
    for (int i = 0; i < 100000; ++i) {
      section.Enter();
      counter = counter + 1;
      section.Leave();
    }
  };
  std::thread first(work), second(work);
  first.join();
  second.join();
  EXPECT_EQ(counter, 200000);
}

TEST(CriticalSectionTest, IsRecursiveAndRefusesOtherThreadsWhileHeld) {
  TCriticalSection section;
  section.Enter();
  EXPECT_TRUE(section.TryEnter());  // the holder may enter again
  section.Leave();

  auto fromOtherThread = [&](auto call) {
    decltype(call()) result;
    std::thread([&] { result = call(); }).join();
    return result;
  };
  EXPECT_FALSE(fromOtherThread([&] { return section.TryEnter(); }));
  EXPECT_EQ(fromOtherThread([&] { return section.WaitFor(20); }), wrTimeout);
  section.Leave();  // entered twice, left twice: free now
  EXPECT_TRUE(fromOtherThread([&] {
    bool entered = section.TryEnter();
    if (entered) section.Leave();
    return entered;
  }));
  EXPECT_EQ(fromOtherThread([&] {
              TWaitResult result = section.WaitFor(INFINITE);
              section.Release();
              return result;
            }),
            wrSignaled);
}

TEST(CriticalSectionTest, LockGuardHoldsForItsScope) {
  TCriticalSection section;
  auto freeElsewhere = [&] {
    bool entered = false;
    std::thread([&] {
      entered = section.TryEnter();
      if (entered) section.Leave();
    }).join();
    return entered;
  };
  {
    TLockGuard guard(section);
    EXPECT_FALSE(freeElsewhere());
  }
  EXPECT_TRUE(freeElsewhere());
}

TEST(EventTest, TimeoutsAndResetModes) {
  TEvent manual(true, false);
  EXPECT_EQ(manual.WaitFor(0), wrTimeout);
  EXPECT_EQ(manual.WaitFor(15), wrTimeout);
  manual.SetEvent();
  EXPECT_EQ(manual.WaitFor(0), wrSignaled);
  EXPECT_EQ(manual.WaitFor(INFINITE), wrSignaled);  // a manual event stays signalled
  manual.ResetEvent();
  EXPECT_EQ(manual.WaitFor(0), wrTimeout);

  TEvent automatic(false, true);  // starts signalled
  EXPECT_EQ(automatic.WaitFor(0), wrSignaled);
  EXPECT_EQ(automatic.WaitFor(10), wrTimeout);  // the wait took the signal
  automatic.SetEvent();
  automatic.SetEvent();  // signals do not add up
  EXPECT_EQ(automatic.WaitFor(0), wrSignaled);
  EXPECT_EQ(automatic.WaitFor(0), wrTimeout);

  TSimpleEvent simple;
  EXPECT_TRUE(simple.ManualReset());
  EXPECT_EQ(simple.WaitFor(0), wrTimeout);
  TEvent named(nullptr, false, false, u"Global\\Ignored");
  EXPECT_FALSE(named.ManualReset());
}

TEST(EventTest, ManualEventReleasesEveryWaiter) {
  TEvent gate(true, false);
  std::atomic<int> through{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i)
    waiters.emplace_back([&] {
      if (gate.WaitFor(INFINITE) == wrSignaled) ++through;
    });
  gate.SetEvent();
  for (auto& waiter : waiters) waiter.join();
  EXPECT_EQ(through.load(), 3);
}

TEST(EventTest, AutomaticEventReleasesOneWaiterPerSignal) {
  TEvent gate(false, false);
  TEvent passed(false, false);
  std::atomic<int> through{0};
  auto waiter = [&] {
    EXPECT_EQ(gate.WaitFor(INFINITE), wrSignaled);
    ++through;
    passed.SetEvent();
  };
  std::thread first(waiter), second(waiter);
  gate.SetEvent();
  EXPECT_EQ(passed.WaitFor(INFINITE), wrSignaled);
  EXPECT_EQ(through.load(), 1);
  gate.SetEvent();
  first.join();
  second.join();
  EXPECT_EQ(through.load(), 2);
}

}  // namespace
