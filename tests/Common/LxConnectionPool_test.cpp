// The connection pool without a server: reuse, the key, the slot limit and its wait, failed
// connects, invalidation and clearing, lifetimes, validation passes and the manager's end.
#include "Common/LxConnectionPool.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "Common/LxVio.h"
#include "platform/rtl/TickCount.h"
#include "tests/Common/FakeConnectionPool.h"

namespace {

// A manager whose validation thread never wakes by itself: passes run when a test asks.
class PoolTest : public ::testing::Test {
 protected:
  PoolTest() : FWaits(50, 3600000) {}

  TLxConnectionParameters& Params() { return FParams; }
  TFakePoolManager& Manager() {
    if (!FManager) FManager = std::make_unique<TFakePoolManager>(FServer);
    return *FManager;
  }
  TLxConnection* Get() { return Manager().GetPooledConnection(FParams); }
  TLxLocalConnectionPool* Pool() {
    return static_cast<TLxLocalConnectionPool*>(Manager().Pool(0));
  }

  TShortPoolWaits FWaits;
  TFakeServer FServer;
  TLxConnectionParameters FParams;
  std::unique_ptr<TFakePoolManager> FManager;
};

TEST_F(PoolTest, AReturnedConnectionIsHandedOutAgainWithoutANewLogin) {
  TLxConnection* first = Get();
  EXPECT_EQ(first->Pool(), Pool());
  EXPECT_TRUE(first->ReturnToPool());
  EXPECT_EQ(first->Pool(), nullptr);
  EXPECT_EQ(Pool()->PooledCount(), 1);

  TLxConnection* again = Get();
  EXPECT_EQ(again, first);
  EXPECT_EQ(static_cast<TPooledFakeConnection*>(again)->ConnectCalls, 1);
  EXPECT_EQ(FServer.Made, 1);
  EXPECT_EQ(Pool()->PooledCount(), 0);
  EXPECT_EQ(Pool()->GetConnectionCount(), 1);
  again->ReturnToPool();
}

// Which differences separate pools: the error event and the letter case of the user name and
// server do not.
TEST_F(PoolTest, ParametersThatDifferMakeAPoolOfTheirOwn) {
  struct Case {
    const char* name;
    std::function<void(TLxConnectionParameters&)> change;
    bool samePool;
  };
  const Case cases[] = {
      {"user name case", [](auto& p) { p.Username = u"ADMIN"; }, true},
      {"server case", [](auto& p) { p.Server = u"DB.Example"; }, true},
      {"error event", [](auto& p) { p.OnError = [](auto&, auto&, auto&, auto&, int, auto&) {}; },
       true},
      {"password case", [](auto& p) { p.Password = u"Secret"; }, false},
      {"other user", [](auto& p) { p.Username = u"guest"; }, false},
      {"max pool size", [](auto& p) { p.MaxPoolSize = 5; }, false},
      {"min pool size", [](auto& p) { p.MinPoolSize = 1; }, false},
      {"lifetime", [](auto& p) { p.ConnectionLifetime = 1000; }, false},
      {"validate", [](auto& p) { p.Validate = true; }, false},
      {"tunnel url", [](auto& p) { p.HttpOptions()->SetUrl(u"http://tunnel/"); }, false},
  };
  TLxConnectionParameters base;
  base.Username = u"admin";
  base.Server = u"db.example";
  base.Password = u"secret";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TLxConnectionParameters other;
    other.Assign(&base);
    c.change(other);
    EXPECT_EQ(base.Equals(&other), c.samePool);
    EXPECT_EQ(other.Equals(&base), c.samePool);
  }
  EXPECT_FALSE(base.Equals(nullptr));
}

TEST_F(PoolTest, TheDescriptionNamesTheConnectionAndThePoolSettings) {
  FParams.Username = u"admin";
  FParams.Server = u"db";
  FParams.MaxPoolSize = 7;
  FParams.Validate = true;
  EXPECT_EQ(FParams.AsString(),
            u"Username=admin\rServer=db\rMinPoolSize=0\rMaxPoolSize=7\rConnectionLifeTime=0\r"
            u"Validate=True\r");
}

TEST_F(PoolTest, AFullPoolFailsAGetAfterTheWaitAndAReturnLetsAWaitingGetProceed) {
  FParams.MaxPoolSize = 2;
  TLxConnection* a = Get();
  TLxConnection* b = Get();
  try {
    Get();
    FAIL() << "a third connection was handed out";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), SMaxConnectionsReached);
  }
  EXPECT_EQ(FServer.Made, 2);

  LxPoolTimings().SlotWait = 60000;  // long enough that only the return can end the wait
  TLxConnection* third = nullptr;
  std::thread waiter([&] { third = Get(); });
  b->ReturnToPool();
  waiter.join();
  EXPECT_EQ(third, b);
  EXPECT_EQ(FServer.Made, 2);
  a->ReturnToPool();
  third->ReturnToPool();
}

TEST_F(PoolTest, AFailedConnectGivesItsSlotBack) {
  FParams.MaxPoolSize = 1;
  FServer.Down = true;
  for (int attempt = 0; attempt < 3; ++attempt) {
    try {
      Get();
      FAIL() << "connected to a server that is down";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"connect refused") << "attempt " << attempt;
    }
  }
  EXPECT_EQ(Pool()->GetConnectionCount(), 0);
  EXPECT_EQ(FServer.Live, 0);

  FServer.Down = false;
  TLxConnection* connection = Get();
  EXPECT_TRUE(connection->GetConnected());
  connection->ReturnToPool();
}

TEST_F(PoolTest, InvalidateTestsPooledConnectionsAndADeadOneIsReplaced) {
  TLxConnection* first = Get();
  first->ReturnToPool();
  TLxConnection* again = Get();
  EXPECT_EQ(FServer.Pings, 0) << "a valid pool hands out without asking the server";
  again->ReturnToPool();

  Pool()->Invalidate();
  static_cast<TPooledFakeConnection*>(first)->Dead = true;
  TLxConnection* replacement = Get();
  EXPECT_EQ(FServer.Pings, 1);
  EXPECT_FALSE(static_cast<TPooledFakeConnection*>(replacement)->Dead.load());
  EXPECT_EQ(FServer.Made, 2);
  EXPECT_EQ(FServer.Live, 1);
  replacement->ReturnToPool();
}

TEST_F(PoolTest, ValidateOnTestsEveryConnectionBeforeItIsHandedOut) {
  FParams.Validate = true;
  Get()->ReturnToPool();
  Get()->ReturnToPool();
  Get()->ReturnToPool();
  EXPECT_EQ(FServer.Pings, 2);
  EXPECT_EQ(FServer.Made, 1);
}

TEST_F(PoolTest, ClearDeferredClosesConnectionsInUseWhenTheyComeBack) {
  TLxConnection* pooled = Get();
  TLxConnection* inUse = Get();
  pooled->ReturnToPool();
  Pool()->ClearDeferred();

  inUse->ReturnToPool();
  EXPECT_EQ(FServer.Live, 1) << "the connection in use was pooled after the clear";
  TLxConnection* next = Get();
  EXPECT_EQ(FServer.Made, 3) << "the connection pooled before the clear was handed out";
  next->ReturnToPool();
  EXPECT_EQ(Pool()->PooledCount(), 1);
}

TEST_F(PoolTest, AnInvalidOrClosedConnectionIsNotPooled) {
  TLxConnection* broken = Get();
  TLxConnection* closed = Get();
  broken->SetIsValid(false);
  closed->Disconnect();
  broken->ReturnToPool();
  closed->ReturnToPool();
  EXPECT_EQ(FServer.Live, 0);
  EXPECT_EQ(Pool()->GetConnectionCount(), 0);
}

// A clock the test moves, behind the connect stamps and the pool's age checks.
struct FakeClock {
  static inline uint64_t Now = 1000000;
  static uint64_t Read() { return Now; }
  static void Sleep(uint32_t ms) { Now += ms; }
  FakeClock() { SetTickSource(&Read, &Sleep); }
  ~FakeClock() { SetTickSource(nullptr, nullptr); }
};

TEST_F(PoolTest, AConnectionPastItsLifetimeIsClosedWhenItComesBack) {
  FakeClock clock;
  FParams.ConnectionLifetime = 1000;
  TLxConnection* young = Get();
  TLxConnection* old = Get();
  FakeClock::Now += 500;
  young->ReturnToPool();
  FakeClock::Now += 1500;
  old->ReturnToPool();
  EXPECT_EQ(FServer.Live, 1);
  EXPECT_EQ(Pool()->PooledCount(), 1);
}

TEST_F(PoolTest, ValidationClosesIdleConnectionsPassByPassAndTheManagerDropsTheEmptyPool) {
  std::vector<TLxConnection*> taken;
  for (int i = 0; i < 10; ++i) taken.push_back(Get());
  for (TLxConnection* c : taken) c->ReturnToPool();

  std::vector<int> pooled;
  for (int pass = 0; pass < 12 && Manager().PoolCount() > 0; ++pass) {
    pooled.push_back(Pool()->PooledCount());
    Manager().ValidatePools(nullptr);
  }
  EXPECT_EQ(Manager().PoolCount(), 0);
  EXPECT_EQ(FServer.Live, 0);
  ASSERT_GE(pooled.size(), 3u);
  EXPECT_EQ(pooled[0], 10);
  EXPECT_EQ(pooled[1], 10) << "the first pass sees them all used since the last";
  EXPECT_LT(pooled[2], 10) << "the surplus is not worked off";
  for (size_t i = 1; i < pooled.size(); ++i) EXPECT_LE(pooled[i], pooled[i - 1]);
  EXPECT_GT(pooled.size(), 3u) << "idle connections went all at once";
}

TEST_F(PoolTest, ValidationFindsADeadIdleConnectionAndKeepsLiveOnes) {
  TLxConnection* a = Get();
  TLxConnection* b = Get();
  a->ReturnToPool();
  b->ReturnToPool();
  Manager().ValidatePools(nullptr);  // both used since the last pass: kept untested
  EXPECT_EQ(FServer.Pings, 0);

  static_cast<TPooledFakeConnection*>(a)->Dead = true;
  Manager().ValidatePools(nullptr);
  EXPECT_EQ(FServer.Pings, 2);
  EXPECT_EQ(Pool()->PooledCount(), 1);
  EXPECT_EQ(Get(), b);
  b->ReturnToPool();
}

TEST_F(PoolTest, TheValidationThreadRunsOnItsPeriod) {
  LxPoolTimings().ValidationPeriod = 1;
  Manager();
  Get()->ReturnToPool();
  // Eight idle passes retire the connection and the empty pool goes; bounded so a broken thread
  // fails instead of hanging.
  for (int i = 0; i < 20000 && Manager().PoolCount() > 0; ++i) Sleep(1);
  EXPECT_EQ(Manager().PoolCount(), 0);
  EXPECT_EQ(FServer.Live, 0);
}

// The manager may end before the components that hold its connections (or after): pooled
// connections close at once, ones in use when they are given back, to a pool that still exists.
TEST_F(PoolTest, ConnectionsInUseOutliveTheManagerAndCloseWhenGivenBack) {
  TLxConnection* inUse = Get();
  TLxConnection* other = Get();
  other->ReturnToPool();
  FManager.reset();
  EXPECT_EQ(FServer.Live, 1);
  EXPECT_TRUE(inUse->GetConnected());

  inUse->Pool()->Invalidate();  // the pool is still there for a failover's call
  EXPECT_TRUE(inUse->ReturnToPool());
  EXPECT_EQ(FServer.Live, 0);
}

TEST_F(PoolTest, PoolEventsReachTheMonitorHook) {
  TPoolEventLog::Events().clear();
  FManager = std::make_unique<TFakePoolManager>(FServer, &TPoolEventLog::Record);
  TLxConnection* c = Get();
  c->ReturnToPool();
  Get()->SetIsValid(false);
  c->ReturnToPool();
  FManager.reset();
  const std::vector<std::string> expected = {
      "Connection pool created",      "Connection created in pool",
      "Connection taken from pool",   "Connection returned to pool",
      "Connection taken from pool",   "Connection destroyed in pool",
      "Connection pool destroyed"};
  EXPECT_EQ(TPoolEventLog::Events(), expected);
}

}  // namespace
