// A transport over memory for packet-layer tests and fuzz targets: reads come from the bytes the
// server "sent" (in receives of at most ChunkLimit bytes, to exercise the joining of pieces), and
// writes are recorded. When the bytes run out a receive fails as a closed connection does.
#pragma once

#include <algorithm>
#include <cstring>
#include <vector>

#include "Common/LxVio.h"

class TMemoryVio : public TLxVio {
 public:
  explicit TMemoryVio(std::vector<uint8_t> incoming = {}) : Incoming(std::move(incoming)) {
    TLxVio::Connect();
  }

  std::vector<uint8_t> Incoming;
  size_t ReadPosition = 0;
  std::vector<uint8_t> Written;
  int32_t ChunkLimit = 1 << 30;
  bool Closed = false;
  bool Pause = true;  // the fuzz targets skip the pause after a failed receive

  int32_t GetTimeout() override { return 0; }
  void SetTimeout(int32_t) override {}
  void Close() override { Closed = true; }
  int32_t ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) override {
    size_t left = Incoming.size() - ReadPosition;
    size_t n = std::min({left, static_cast<size_t>(count), static_cast<size_t>(ChunkLimit)});
    if (n == 0) {
      FLastError = u"connection closed by the test";
      return 0;
    }
    std::memcpy(buffer + offset, Incoming.data() + ReadPosition, n);
    ReadPosition += n;
    return static_cast<int32_t>(n);
  }
  void PauseAfterFailure() override {
    if (Pause) TLxVio::PauseAfterFailure();
  }
  int32_t WriteChunk(const uint8_t* buffer, int32_t offset, int32_t count) override {
    Written.insert(Written.end(), buffer + offset, buffer + offset + count);
    return count;
  }
};
