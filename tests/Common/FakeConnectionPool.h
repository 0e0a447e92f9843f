// A connection pool over sessions that are flags, for the pool's tests without a server: a
// "server" that can be down, connections that can die, and counts of what was made, pinged and
// freed. The pool's waits are shortened for the test's lifetime.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Common/LxConnectionPool.h"
#include "tests/Common/FakeProviderConnection.h"

// What the pooled connections share: whether they can connect, and how many exist.
struct TFakeServer {
  std::atomic<bool> Down{false};
  std::atomic<int> Made{0};
  std::atomic<int> Live{0};
  std::atomic<int> Pings{0};
};

class TPooledFakeConnection : public TFakeProviderConnection<> {
 public:
  explicit TPooledFakeConnection(TFakeServer& server) : FServer(server) { ++FServer.Live; }
  ~TPooledFakeConnection() override { --FServer.Live; }

  void Connect(const String& connectString) override {
    ServerDown = FServer.Down;
    TFakeProviderConnection<>::Connect(connectString);
  }
  // The session answers until the server forgets it.
  bool CheckAlive() override {
    ++FServer.Pings;
    const bool alive = GetConnected() && !Dead;
    SetIsValid(alive);
    return alive;
  }

  // The server dropped this session: it still looks connected until asked.
  std::atomic<bool> Dead{false};
  // Set by whoever holds the connection, to show that no two hold it at once.
  std::atomic<bool> InUse{false};

 private:
  TFakeServer& FServer;
};

class TFakePool : public TLxLocalConnectionPool {
 public:
  TFakePool(TLxConnectionPoolManager* manager, const TLxConnectionParameters& parameters,
            TFakeServer& server)
      : TLxLocalConnectionPool(manager, parameters), FServer(server) {}

 protected:
  TLxConnection* CreateNewConnection(const TErrorProc& onError) override {
    auto connection = std::make_unique<TPooledFakeConnection>(FServer);
    connection->SetOnError(onError);
    connection->Connect(String());
    ++FServer.Made;
    return connection.release();
  }

 private:
  TFakeServer& FServer;
};

// Pool events as the monitor would receive them, for the manager under test.
struct TPoolEventLog {
  static std::vector<std::string>& Events() {
    static std::vector<std::string> events;
    return events;
  }
  static std::mutex& Lock() {
    static std::mutex lock;
    return lock;
  }
  static void Record(TObject*, const String& message, bool, bool) {
    std::lock_guard<std::mutex> guard(Lock());
    Events().push_back(std::string(message.begin(), message.end()));
  }
};

class TFakePoolManager : public TLxConnectionPoolManager {
 public:
  explicit TFakePoolManager(TFakeServer& server, TPoolMessageProc monitor = nullptr)
      : TLxConnectionPoolManager(monitor), FServer(server) {}

 protected:
  TLxConnectionPool* CreateConnectionPool(const TLxConnectionParameters& parameters) override {
    return new TFakePool(this, parameters, FServer);
  }

 private:
  TFakeServer& FServer;
};

// Shortens the pool's waits while it lives, and puts the defaults back.
class TShortPoolWaits {
 public:
  TShortPoolWaits(uint32_t slotWait, uint32_t validationPeriod) {
    TLxPoolTimings& t = LxPoolTimings();
    FSlotWait = t.SlotWait;
    FPeriod = t.ValidationPeriod;
    t.SlotWait = slotWait;
    t.ValidationPeriod = validationPeriod;
  }
  ~TShortPoolWaits() {
    LxPoolTimings().SlotWait = FSlotWait;
    LxPoolTimings().ValidationPeriod = FPeriod;
  }

 private:
  uint32_t FSlotWait;
  uint32_t FPeriod;
};
