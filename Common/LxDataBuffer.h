// A first-in first-out byte queue kept as a list of equal chunks: the HTTP client's request body
// and the bytes it received and has not yet delivered.
#pragma once

#include <cstdint>
#include <deque>

#include "platform/rtl/Types.h"

class TDataBuffer {
 public:
  explicit TDataBuffer(int32_t chunkSize);

  // Releases every chunk and starts again with one empty chunk.
  void Clear();
  void Write(const uint8_t* data, int32_t offset, int32_t count);
  // Takes count bytes; fewer available raise the general exception "There is no enough data to
  // read" and take nothing.
  void Read(uint8_t* dest, int32_t offset, int32_t count);
  int32_t DataLength() const;
  // The offset (from the read position) of the first occurrence of the byte at or after start,
  // or -1.
  int32_t IndexOf(uint8_t value, int32_t start) const;

 private:
  // Oldest first: the front chunk is read, the back chunk written.
  std::deque<TBytes> FChunks;
  int32_t FReadPosition = 0;
  int32_t FWritePosition = 0;
  const int32_t FChunkSize;
};
