// Buffer block copies and MemoryStream, the growable in-memory byte stream.
#include <algorithm>
#include <cstring>

#include "Common/CLRClasses.h"
#include "Common/CLRClasses_Check.h"

using clr_detail::CheckNotNegative;
using clr_detail::CheckRange;

// --- Buffer ------------------------------------------------------------------------------------

void Buffer::BlockCopy(const TBytes& source, int sourceOffset, TBytes& destination,
                       int destinationOffset, int count) {
  CheckRange(sourceOffset, count, source.size());
  CheckRange(destinationOffset, count, destination.size());
  if (count > 0)
    std::memmove(destination.data() + destinationOffset, source.data() + sourceOffset,
                 static_cast<size_t>(count));
}

void Buffer::BlockCopy(const void* source, int sourceOffset, void* destination,
                       int destinationOffset, int count) {
  CheckNotNegative(count);
  if (count == 0) return;
  if (source == nullptr || destination == nullptr) throw ArgumentException(u"Argument is nil");
  std::memmove(static_cast<uint8_t*>(destination) + destinationOffset,
               static_cast<const uint8_t*>(source) + sourceOffset, static_cast<size_t>(count));
}

// --- MemoryStream ------------------------------------------------------------------------------

MemoryStream::MemoryStream(int64_t capacity) {
  CheckNotNegative(capacity);
  FData.resize(static_cast<size_t>(capacity));
}

void MemoryStream::Close() {
  TBytes().swap(FData);
  FLength = 0;
  FPosition = 0;
}

void MemoryStream::Reserve(int64_t n) {
  int64_t capacity = Capacity();
  if (n <= capacity) return;
  FData.resize(static_cast<size_t>(std::max(n, capacity + capacity / 2)));
}

void MemoryStream::SetLength(int64_t n) {
  CheckNotNegative(n);
  Reserve(n);
  // Bytes that a longer length uncovers read as zeros, not as what earlier content left there.
  if (n > FLength) std::fill(FData.begin() + FLength, FData.begin() + n, uint8_t{0});
  FLength = n;
}

void MemoryStream::SetPosition(int64_t p) {
  CheckNotNegative(p);
  if (p > FLength) SetLength(p);
  FPosition = p;
}

int MemoryStream::Read(void* buffer, int offset, int count) {
  CheckNotNegative(offset);
  CheckNotNegative(count);
  int64_t available = std::max<int64_t>(FLength - FPosition, 0);
  int n = static_cast<int>(std::min<int64_t>(available, count));
  if (n == 0) return 0;
  if (buffer == nullptr) throw ArgumentException(u"Argument is nil");
  std::memcpy(static_cast<uint8_t*>(buffer) + offset, FData.data() + FPosition,
              static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int MemoryStream::ReadBytes(TBytes& bytes, int offset, int count) {
  CheckRange(offset, count, bytes.size());
  return Read(bytes.data(), offset, count);
}

uint8_t MemoryStream::ReadByte() {
  if (FPosition >= FLength) throw ArgumentException(u"Stream read error");
  return FData[static_cast<size_t>(FPosition++)];
}

void MemoryStream::Write(const void* buffer, int offset, int count) {
  CheckNotNegative(offset);
  CheckNotNegative(count);
  if (count == 0) return;
  if (buffer == nullptr) throw ArgumentException(u"Argument is nil");
  int64_t end = FPosition + count;
  if (end > FLength) SetLength(end);
  std::memmove(FData.data() + FPosition, static_cast<const uint8_t*>(buffer) + offset,
               static_cast<size_t>(count));
  FPosition = end;
}

void MemoryStream::WriteBuffer(const TBytes& bytes, int offset, int count) {
  CheckRange(offset, count, bytes.size());
  Write(bytes.data(), offset, count);
}

void MemoryStream::WriteByte(uint8_t value) {
  if (FPosition >= FLength) SetLength(FPosition + 1);
  FData[static_cast<size_t>(FPosition++)] = value;
}
