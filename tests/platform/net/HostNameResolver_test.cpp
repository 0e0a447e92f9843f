// Time-limited name resolution: a lookup that overstays is abandoned, then joined, never killed.
#include "platform/net/HostNameResolver.h"

#include <arpa/inet.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>

#include <gtest/gtest.h>

namespace {

// A lookup that blocks until the test opens the gate (or, as a safety net, five seconds pass).
struct Gate {
  std::mutex lock;
  std::condition_variable cv;
  bool open = false;
  void Open() {
    std::lock_guard<std::mutex> g(lock);
    open = true;
    cv.notify_all();
  }
  THostNameResolver::TLookup Lookup() {
    return [this](const AnsiString&, uint32_t& address) {
      std::unique_lock<std::mutex> g(lock);
      cv.wait_for(g, std::chrono::seconds(5), [this] { return open; });
      address = htonl(0x7F000002);
      return 0;
    };
  }
};

TEST(HostNameResolver, ReturnsTheLookupsAnswer) {
  auto r = THostNameResolver::Resolve("somewhere", 2000, [](const AnsiString& host, uint32_t& a) {
    a = host == "somewhere" ? htonl(0x0A000001) : 0;
    return 0;
  });
  EXPECT_FALSE(r.TimedOut);
  EXPECT_EQ(r.Error, 0);
  EXPECT_EQ(r.Address, htonl(0x0A000001));
}

TEST(HostNameResolver, PassesLookupErrorsOn) {
  auto r = THostNameResolver::Resolve("x", 2000, [](const AnsiString&, uint32_t&) { return EHOSTUNREACH; });
  EXPECT_FALSE(r.TimedOut);
  EXPECT_EQ(r.Error, EHOSTUNREACH);
  EXPECT_EQ(r.Address, NoIPv4Address);

  auto thrown = THostNameResolver::Resolve("x", 2000, [](const AnsiString&, uint32_t&) -> int {
    throw std::runtime_error("name service broke");
  });
  EXPECT_NE(thrown.Error, 0);
}

TEST(HostNameResolver, AbandonsAnOverstayingLookupAndJoinsItLater) {
  THostNameResolver::JoinAbandoned();
  auto gate = std::make_shared<Gate>();
  auto r = THostNameResolver::Resolve("slow", 50, gate->Lookup());
  EXPECT_TRUE(r.TimedOut);
  EXPECT_EQ(r.Address, NoIPv4Address);
  EXPECT_EQ(THostNameResolver::AbandonedCount(), 1u);

  gate->Open();
  THostNameResolver::JoinAbandoned();
  EXPECT_EQ(THostNameResolver::AbandonedCount(), 0u);
}

TEST(HostNameResolver, ALaterResolutionJoinsFinishedLeftovers) {
  THostNameResolver::JoinAbandoned();
  auto gate = std::make_shared<Gate>();
  EXPECT_TRUE(THostNameResolver::Resolve("slow", 20, gate->Lookup()).TimedOut);
  gate->Open();
  // Once the leftover has finished, the next count joins it.
  for (int i = 0; i < 500 && THostNameResolver::AbandonedCount() != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(THostNameResolver::AbandonedCount(), 0u);
}

TEST(HostNameResolver, ResolvesLocalhostWithTheSystemLookup) {
  auto r = THostNameResolver::Resolve("localhost", 5000);
  ASSERT_FALSE(r.TimedOut);
  EXPECT_EQ(r.Error, 0);
  EXPECT_EQ(r.Address, htonl(0x7F000001));
}

}  // namespace
