#include "Common/QuelscopeClient.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/MonitorListener.h"

namespace {

using monitortest::Frame;
using monitortest::MonitorListener;

TMonitorEvent Event(int32_t type, const String& sql) {
  TMonitorEvent e;
  e.EventType = type;
  e.Description = u"SQL Execute: " + sql;
  e.SQL = sql;
  e.Params = {{u"id", u"Integer", u"IN", u"1"}};
  return e;
}

void Configure(TQuelscope& client, uint16_t port, int32_t reconnect = 5000) {
  client.Configure(u"Orbiq", u"127.0.0.1", port, reconnect, 1000);
}

std::vector<int32_t> Types(const std::vector<Frame>& frames) {
  std::vector<int32_t> types;
  for (const Frame& f : frames) types.push_back(f.Type);
  return types;
}

TEST(QuelscopeClient, NoThreadBeforeTheFirstMessage) {
  TQuelscope client;
  Configure(client, 1);
  EXPECT_FALSE(client.ThreadStarted());
  client.Start();
  EXPECT_TRUE(client.ThreadStarted());
}

TEST(QuelscopeClient, FramesArriveInOrderWithKeepAlivesBetween) {
  MonitorListener listener;
  TQuelscope client;
  Configure(client, listener.Port());
  client.Start();
  TMonitorEvent e = Event(10, u"select 1");
  client.EventStart(e);
  EXPECT_EQ(e.EventId, 1) << "the event id is written back";
  client.EventEnd(e);
  TMonitorEvent second = Event(10, u"select 2");
  client.EventStart(second);
  client.Finish();
  ASSERT_TRUE(listener.WaitFrames(9));
  const std::vector<Frame> frames = listener.Frames();
  EXPECT_EQ(Types(frames), (std::vector<int32_t>{2, 6, 4, 6, 5, 6, 4, 6, 1}));
  EXPECT_EQ(frames[0].Strings.at(0), "Orbiq monitoring is started");
  EXPECT_EQ(frames[2].Ints.at(2), 1) << "event id of the first start";
  EXPECT_EQ(frames[2].Strings.back(), "1") << "the parameter's value";
  EXPECT_EQ(frames[4].Ints.at(2), 1) << "the end carries the start's id";
  EXPECT_EQ(frames[6].Ints.at(2), 2);
  EXPECT_EQ(frames[8].Strings.at(0), "Orbiq monitoring is finished");
  EXPECT_EQ(listener.Accepted(), 1);
}

// An end without an id belongs to the last started event (an error report sends such ends).
TEST(QuelscopeClient, EndWithoutIdCarriesTheLastEventId) {
  MonitorListener listener;
  TQuelscope client;
  Configure(client, listener.Port());
  TMonitorEvent a = Event(10, u"a");
  TMonitorEvent b = Event(10, u"b");
  client.EventStart(a);
  client.EventStart(b);
  TMonitorEvent error;
  error.EventType = 16;
  error.Failed = true;
  error.ErrorText = u"boom";
  client.EventEnd(error);
  ASSERT_TRUE(listener.WaitFrames(6));
  const std::vector<Frame> frames = listener.Frames();
  EXPECT_EQ(Types(frames), (std::vector<int32_t>{2, 4, 6, 4, 6, 5}))
      << "a new connection begins with the start-up message";
  EXPECT_EQ(frames[5].Ints.at(2), b.EventId);
  EXPECT_EQ(frames[5].Ints.at(4), 1) << "failed";
  EXPECT_EQ(frames[5].Strings.at(1), "boom");
}

TEST(QuelscopeClient, FinishIsNeverTheReasonForAConnect) {
  MonitorListener listener;
  TQuelscope client;
  Configure(client, listener.Port());
  client.Finish();
  TMonitorEvent e = Event(8, u"x");
  client.EventStart(e);
  ASSERT_TRUE(listener.WaitFrames(2));
  EXPECT_EQ(Types(listener.Frames()), (std::vector<int32_t>{2, 4}));
}

TEST(QuelscopeClient, ReconnectsAfterTheListenerCameBack) {
  auto listener = std::make_unique<MonitorListener>();
  const uint16_t port = listener->Port();
  TQuelscope client;
  Configure(client, port, 200);
  client.Start();
  ASSERT_TRUE(listener->WaitFrames(1));
  listener.reset();
  // Sent into the closed connection or refused: lost, and nothing reaches the caller.
  for (int i = 0; i < 3; ++i) {
    TMonitorEvent lost = Event(10, u"lost");
    client.EventStart(lost);
  }
  listener = std::make_unique<MonitorListener>(port);
  // Reports keep coming; within the reconnect interval one of them opens a new connection.
  bool arrived = false;
  for (int i = 0; i < 200 && !arrived; ++i) {
    TMonitorEvent e = Event(10, u"again");
    client.EventStart(e);
    arrived = listener->WaitFrames(2, std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(arrived);
  const std::vector<Frame> frames = listener->Frames();
  EXPECT_EQ(frames[0].Type, 2) << "the new connection begins with the start-up message";
  EXPECT_EQ(frames[1].Type, 4);
  EXPECT_EQ(frames[1].Strings.back(), "1");
}

// A packer whose first send waits until the test lets it go, so that the ring fills up.
class GatedPacker : public TSocketMessagePacker {
 public:
  explicit GatedPacker(std::mutex& lock, std::condition_variable& cv, bool& open)
      : FLock(lock), FCv(cv), FOpen(open) {}

 protected:
  int32_t Transmit(const uint8_t* data, int32_t count) override {
    {
      std::unique_lock<std::mutex> l(FLock);
      FCv.wait(l, [this] { return FOpen; });
    }
    return TSocketMessagePacker::Transmit(data, count);
  }

 private:
  std::mutex& FLock;
  std::condition_variable& FCv;
  bool& FOpen;
};

class GatedClient : public TQuelscope {
 public:
  ~GatedClient() override { Release(); }
  void Release() {
    {
      std::lock_guard<std::mutex> l(Lock);
      Open = true;
    }
    Cv.notify_all();
  }
  std::mutex Lock;
  std::condition_variable Cv;
  bool Open = false;

 protected:
  std::unique_ptr<TSocketMessagePacker> CreatePacker() override {
    return std::make_unique<GatedPacker>(Lock, Cv, Open);
  }
};

TEST(QuelscopeClient, FullRingDropsWithoutBlocking) {
  MonitorListener listener;
  GatedClient client;
  Configure(client, listener.Port());
  client.Start();  // the send thread takes it and waits at the gate, its slot still held
  for (int i = 0; i < 1100; ++i) {
    TMonitorEvent e = Event(10, u"q");
    client.EventStart(e);
  }
  EXPECT_EQ(client.WaitingCount(), TQuelscope::RingSize - 1);
  client.Release();
  // The start-up message and the 999 events that found a slot, each after a keep-alive.
  ASSERT_TRUE(listener.WaitFrames(1 + 2 * 999));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const std::vector<Frame> frames = listener.Frames();
  ASSERT_EQ(frames.size(), 1u + 2 * 999);
  EXPECT_EQ(frames.back().Ints.at(2), 999) << "the events after the 999th were dropped";
}

// A monitor program that does not answer must not hold up the program's end: the client goes
// and leaves its send thread to finish the connect alone.
TEST(QuelscopeClient, DestructionDoesNotWaitForAConnectInProgress) {
  monitortest::StalledListener stalled;
  ASSERT_TRUE(stalled.Stalled());
  const int fillersWaiting = stalled.PendingConnects();
  auto client = std::make_unique<TQuelscope>();
  Configure(*client, stalled.Port());
  client->Start();
  for (int i = 0; i < 1000 && !client->Connecting(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_TRUE(client->Connecting());
  TMonitorEvent e = Event(10, u"waits");
  client->EventStart(e);
  EXPECT_EQ(client->WaitingCount(), 2) << "the start-up message is being connected for";
  ASSERT_EQ(stalled.PendingConnects(), fillersWaiting + 1);
  client.reset();
  // Had the destruction waited, the connect would have ended and its socket be closed.
  EXPECT_EQ(stalled.PendingConnects(), fillersWaiting + 1);

  // The next client of the process works as ever.
  MonitorListener listener;
  TQuelscope next;
  Configure(next, listener.Port());
  next.Start();
  ASSERT_TRUE(listener.WaitFrames(1));
  EXPECT_EQ(listener.Frames()[0].Type, 2);
}

}  // namespace
