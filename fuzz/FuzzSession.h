// What the fuzz targets that drive a logged-in session share: a transport that serves the input's
// server payloads one packet at a time, and a greeting of the 4.1 or the older form.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Common/LxVio.h"

namespace fuzzsession {

using Bytes = std::vector<uint8_t>;

// Serves the input's payloads one packet at a time, numbered after the last packet the client
// wrote; the client's packets are parsed only for their sequence numbers.
class TFramingVio : public TLxVio {
 public:
  TFramingVio(std::vector<Bytes> payloads) : FPayloads(std::move(payloads)) { TLxVio::Connect(); }

  int32_t GetTimeout() override { return 0; }
  void SetTimeout(int32_t) override {}
  void Close() override {}
  int32_t ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) override {
    if (FServed >= FFramed.size()) {
      if (FNextPayload >= FPayloads.size()) {
        FLastError = u"the input ended";
        return 0;
      }
      const Bytes& p = FPayloads[FNextPayload++];
      FFramed = {static_cast<uint8_t>(p.size()), static_cast<uint8_t>(p.size() >> 8),
                 static_cast<uint8_t>(p.size() >> 16), FNext++};
      FFramed.insert(FFramed.end(), p.begin(), p.end());
      FServed = 0;
    }
    size_t n = std::min(FFramed.size() - FServed, static_cast<size_t>(count));
    std::copy_n(FFramed.begin() + static_cast<ptrdiff_t>(FServed), n, buffer + offset);
    FServed += n;
    return static_cast<int32_t>(n);
  }
  int32_t WriteChunk(const uint8_t* buffer, int32_t offset, int32_t count) override {
    for (int32_t i = 0; i < count;) {
      if (FSkip > 0) {
        size_t n = std::min(FSkip, static_cast<size_t>(count - i));
        FSkip -= n;
        i += static_cast<int32_t>(n);
        continue;
      }
      FHeader.push_back(buffer[offset + i++]);
      if (FHeader.size() == 4) {
        FSkip = FHeader[0] | (FHeader[1] << 8) | (FHeader[2] << 16);
        FNext = static_cast<uint8_t>(FHeader[3] + 1);
        FHeader.clear();
      }
    }
    return count;
  }

 protected:
  void PauseAfterFailure() override {}

 private:
  std::vector<Bytes> FPayloads;
  size_t FNextPayload = 0;
  Bytes FFramed;
  size_t FServed = 0;
  uint8_t FNext = 0;
  Bytes FHeader;
  size_t FSkip = 0;
};

inline Bytes Greeting(bool v41) {
  Bytes g{10};
  for (char c : std::string("10.11.6-MariaDB")) g.push_back(static_cast<uint8_t>(c));
  g.insert(g.end(), {0, 7, 0, 0, 0});
  g.insert(g.end(), 8, 'x');
  g.push_back(0);
  // LONG_FLAG, CONNECT_WITH_DB, TRANSACTIONS, SECURE_CONNECTION; PROTOCOL_41 for the 4.1 form.
  uint16_t caps = 0x0004 | 0x0008 | 0x2000 | 0x8000 | (v41 ? 0x0200 : 0);
  g.insert(g.end(), {static_cast<uint8_t>(caps), static_cast<uint8_t>(caps >> 8), 8, 2, 0});
  g.insert(g.end(), 13, 0);
  g.insert(g.end(), 12, 'y');
  g.push_back(0);
  return g;
}

}  // namespace fuzzsession
