// The packet layer's growable byte buffer: a length and a position over storage that only grows
// (by half again at least) and is not cleared when the length changes. Packets are read into the
// same storage over and over, so a changed length must cost nothing: bytes a longer length
// uncovers hold whatever was there, and every reader stays within what was written or received.
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/rtl/Types.h"

class TNetBuffer {
 public:
  explicit TNetBuffer(int64_t capacity) : FData(static_cast<size_t>(capacity)) {}

  int64_t Length() const { return FLength; }
  void SetLength(int64_t n) {
    Reserve(n);
    FLength = n;
    if (FPosition > n) FPosition = n;
  }
  int64_t Position() const { return FPosition; }
  void SetPosition(int64_t p) {
    if (p > FLength) SetLength(p);
    FPosition = p;
  }
  int64_t Capacity() const { return static_cast<int64_t>(FData.size()); }
  // The storage (its size is the capacity): valid until the next growth.
  TBytes& GetBuffer() { return FData; }

  // Up to count bytes from the position into buffer + offset; returns the count copied.
  int32_t Read(void* buffer, int32_t offset, int32_t count) {
    int64_t n = FLength - FPosition < count ? FLength - FPosition : count;
    if (n <= 0) return 0;
    std::memcpy(static_cast<uint8_t*>(buffer) + offset, FData.data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return static_cast<int32_t>(n);
  }
  void Write(const void* buffer, int32_t offset, int32_t count) {
    if (count <= 0) return;
    Reserve(FPosition + count);
    std::memcpy(FData.data() + FPosition, static_cast<const uint8_t*>(buffer) + offset, static_cast<size_t>(count));
    FPosition += count;
    if (FPosition > FLength) FLength = FPosition;
  }
  void WriteByte(uint8_t value) { Write(&value, 0, 1); }

 private:
  void Reserve(int64_t n) {
    int64_t capacity = Capacity();
    if (n <= capacity) return;
    FData.resize(static_cast<size_t>(n > capacity + capacity / 2 ? n : capacity + capacity / 2));
  }

  TBytes FData;
  int64_t FLength = 0;
  int64_t FPosition = 0;
};
