// The read-ahead and retry rules of the transport base, over a transport whose receives and sends
// are scripted.
#include "Common/LxVio.h"
#include "platform/rtl/Exceptions.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Each receive hands out the next scripted chunk (cut to what was asked); an exhausted script
// receives 0. Each send moves what the next scripted result says.
class ScriptedVio : public TLxVio {
 public:
  std::deque<std::vector<uint8_t>> receives;
  std::deque<int32_t> sends;
  std::vector<int32_t> receiveAsks;  // count asked by each ReadChunk
  std::vector<bool> receiveIntoReadAhead;
  int sendCalls = 0;

  int32_t GetTimeout() override { return 0; }
  void SetTimeout(int32_t) override {}
  void Close() override {}
  int32_t ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) override {
    receiveAsks.push_back(count);
    receiveIntoReadAhead.push_back(count == ReadAheadSize);
    if (receives.empty()) {
      FLastError = u"closed";
      return 0;
    }
    auto& chunk = receives.front();
    int32_t n = std::min<int32_t>(count, static_cast<int32_t>(chunk.size()));
    std::memcpy(buffer + offset, chunk.data(), static_cast<size_t>(n));
    chunk.erase(chunk.begin(), chunk.begin() + n);
    if (chunk.empty()) receives.pop_front();
    return n;
  }
  int32_t WriteChunk(const uint8_t*, int32_t, int32_t count) override {
    ++sendCalls;
    if (sends.empty()) return count;
    int32_t n = std::min(count, sends.front());
    sends.pop_front();
    return n;
  }
};

std::vector<uint8_t> Seq(size_t n, uint8_t start = 0) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(start + i);
  return v;
}

TEST(LxVioRead, SmallReadsAreServedFromOneReceive) {
  ScriptedVio vio;
  vio.Connect();
  vio.receives.push_back(Seq(100));
  uint8_t out[10] = {};
  EXPECT_EQ(vio.Read(out, 0, 5), 5);
  ASSERT_EQ(vio.receiveAsks.size(), 1u);
  EXPECT_EQ(vio.receiveAsks[0], TLxVio::ReadAheadSize);
  EXPECT_EQ(vio.Read(out, 5, 5), 5);
  EXPECT_EQ(vio.receiveAsks.size(), 1u) << "the second read comes from the buffer";
  EXPECT_EQ(std::vector<uint8_t>(out, out + 10), Seq(10));
}

TEST(LxVioRead, LargeReadsBypassTheBuffer) {
  ScriptedVio vio;
  vio.Connect();
  vio.receives.push_back(Seq(4096));
  std::vector<uint8_t> out(4096);
  EXPECT_EQ(vio.Read(out.data(), 0, 4096), 4096);
  ASSERT_EQ(vio.receiveAsks.size(), 1u);
  EXPECT_EQ(vio.receiveAsks[0], 4096);
  EXPECT_EQ(out, Seq(4096));
}

TEST(LxVioRead, BufferedBytesComeFirstThenTheRestIsReceivedDirectly) {
  ScriptedVio vio;
  vio.Connect();
  vio.receives.push_back(Seq(10));
  vio.receives.push_back(Seq(3000, 10));
  uint8_t head[4];
  ASSERT_EQ(vio.Read(head, 0, 4), 4);
  std::vector<uint8_t> out(3006);
  EXPECT_EQ(vio.Read(out.data(), 0, 3006), 3006);
  EXPECT_EQ(out, Seq(3006, 4));
}

TEST(LxVioRead, ASmallReadShortOfTheBufferReceivesTheRestDirectly) {
  ScriptedVio vio;
  vio.Connect();
  vio.receives.push_back(Seq(2));
  vio.receives.push_back(Seq(2, 2));
  uint8_t out[4];
  EXPECT_EQ(vio.Read(out, 0, 4), 4);
  ASSERT_EQ(vio.receiveAsks.size(), 2u);
  EXPECT_EQ(vio.receiveAsks[1], 2);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 4), Seq(4));
}

TEST(LxVioRead, AFailedReceiveReturnsWhatCameSoFar) {
  ScriptedVio vio;
  vio.Connect();
  vio.receives.push_back(Seq(3000));
  std::vector<uint8_t> out(5000);
  EXPECT_EQ(vio.Read(out.data(), 0, 5000), 3000);
  EXPECT_EQ(vio.LastError(), u"closed");

  // A small read whose one receive fails does not receive again.
  ScriptedVio empty;
  empty.Connect();
  uint8_t b[4];
  EXPECT_EQ(empty.Read(b, 0, 4), 0);
  EXPECT_EQ(empty.receiveAsks.size(), 1u);
}

TEST(LxVioWrite, GivesUpAtTheThirdSendThatMovesNothing) {
  ScriptedVio vio;
  vio.sends = {0, 0, 100, 0};
  uint8_t data[200] = {};
  EXPECT_EQ(vio.Write(data, 0, 200), 100);
  EXPECT_EQ(vio.sendCalls, 4);
}

TEST(LxVioWrite, PartialSendsAreContinued) {
  ScriptedVio vio;
  vio.sends = {70, 0, 70, 60};
  uint8_t data[200] = {};
  EXPECT_EQ(vio.Write(data, 0, 200), 200);
}

TEST(LxVio, WaitForDataIsNotSupportedByTheBase) {
  ScriptedVio vio;
  EXPECT_THROW(vio.WaitForData(1), EAssertionFailed);
}

}  // namespace
