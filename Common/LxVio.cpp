#include "Common/LxVio.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/rtl/Exceptions.h"

namespace {

constexpr auto kRetryPause = std::chrono::milliseconds(10);
constexpr int kWriteAttempts = 3;

}  // namespace

void TLxVio::Connect() {
  FReadAhead.assign(ReadAheadSize, 0);
  FBuffered = 0;
  FReadPosition = 0;
}

int32_t TLxVio::TakeBuffered(uint8_t* buffer, int32_t offset, int32_t count) {
  int32_t n = FBuffered - FReadPosition;
  if (n > count) n = count;
  if (n <= 0) return 0;
  std::memcpy(buffer + offset, FReadAhead.data() + FReadPosition, static_cast<size_t>(n));
  FReadPosition += n;
  if (FReadPosition == FBuffered) FReadPosition = FBuffered = 0;
  return n;
}

int32_t TLxVio::Read(uint8_t* buffer, int32_t offset, int32_t count) {
  int32_t result = TakeBuffered(buffer, offset, count);
  offset += result;
  count -= result;
  if (count <= 0) return result;
  RTL_ASSERT(FReadPosition == 0 && FBuffered == 0, u"Read-ahead buffer is not empty");

  if (count < DirectReadSize && !FReadAhead.empty()) {
    if (!ReceiveInTime()) return result;
    int32_t got = ReadChunk(FReadAhead.data(), 0, ReadAheadSize);
    if (got <= 0) {
      // The receive failed or the peer closed: one pause, as after any failed receive, and no
      // second receive that could wait out the time-out again.
      PauseAfterFailure();
      return result;
    }
    FBuffered = got;
    int32_t n = TakeBuffered(buffer, offset, count);
    offset += n;
    count -= n;
    result += n;
  }
  while (count > 0) {
    if (!ReceiveInTime()) break;
    int32_t got = ReadChunk(buffer, offset, count);
    if (got <= 0) {
      PauseAfterFailure();
      break;
    }
    offset += got;
    count -= got;
    result += got;
  }
  return result;
}

int32_t TLxVio::Write(const uint8_t* buffer, int32_t offset, int32_t count) {
  int32_t total = 0;
  int failures = 0;
  while (count > 0) {
    int32_t sent = WriteChunk(buffer, offset, count);
    if (sent > 0) {
      offset += sent;
      count -= sent;
      total += sent;
      continue;
    }
    if (++failures >= kWriteAttempts) break;
    PauseAfterFailure();
  }
  return total;
}

int64_t TLxVio::DeadlineLeftMs() const {
  if (!FDeadline) return -1;
  auto left = std::chrono::ceil<std::chrono::milliseconds>(*FDeadline -
                                                           std::chrono::steady_clock::now());
  return left.count() > 0 ? left.count() : 0;
}

bool TLxVio::ReceiveInTime() {
  const int64_t left = DeadlineLeftMs();
  if (left < 0) return true;
  if (left > 0 && WaitReadable(left)) return true;
  ReadTimedOut();
  return false;
}

bool TLxVio::WaitReadable(int64_t) { return true; }

void TLxVio::ReadTimedOut() { FLastError = u"Connection timed out"; }

void TLxVio::PauseAfterFailure() { std::this_thread::sleep_for(kRetryPause); }

bool TLxVio::WaitForData(int32_t) {
  RTL_ASSERT(false, u"WaitForData is not supported by this transport");
  return false;
}
