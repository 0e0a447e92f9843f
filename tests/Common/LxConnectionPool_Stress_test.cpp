// Eight threads take and give back connections of one small pool while the validation thread
// runs on a short period and connections are invalidated, cleared and broken underneath them.
// Run in the ThreadSanitizer build too (-DTSAN=ON).
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "Common/LxConnectionPool.h"
#include "tests/Common/FakeConnectionPool.h"

namespace {

TEST(PoolStress, EightThreadsNeverShareAConnectionAndTheCountsAddUp) {
  TShortPoolWaits waits(60000, 1);
  TFakeServer server;
  TLxConnectionParameters params;
  params.MaxPoolSize = 3;
  std::atomic<int> shared{0};
  std::atomic<int> failures{0};
  {
    TFakePoolManager manager(server);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
      threads.emplace_back([&, t] {
        for (int i = 0; i < 400; ++i) {
          try {
            auto* c = static_cast<TPooledFakeConnection*>(manager.GetPooledConnection(params));
            if (c->InUse.exchange(true)) ++shared;
            if (!c->GetConnected()) ++failures;
            const int step = (t * 400 + i) % 97;
            if (step == 13) c->SetIsValid(false);
            if (step == 29) c->Pool()->Invalidate();
            if (step == 41) c->Pool()->ClearDeferred();
            if (step == 53) c->Dead = true;
            c->InUse = false;
            c->ReturnToPool();
          } catch (const std::exception&) {
            ++failures;
          }
        }
      });
    }
    for (std::thread& thread : threads) thread.join();

    EXPECT_EQ(shared, 0);
    EXPECT_EQ(failures, 0);
    // No slot was lost: the whole capacity can be held at once, and then nothing else is open.
    LxPoolTimings().SlotWait = 5000;
    std::vector<TLxConnection*> all;
    for (int i = 0; i < 3; ++i) EXPECT_NO_THROW(all.push_back(manager.GetPooledConnection(params)));
    EXPECT_EQ(server.Live, 3);
    for (TLxConnection* c : all) c->ReturnToPool();
  }
  EXPECT_EQ(server.Live, 0);
}

}  // namespace
