#include "Common/LxDataBuffer.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/Exceptions.h"

TDataBuffer::TDataBuffer(int32_t chunkSize) : FChunkSize(chunkSize > 0 ? chunkSize : 1) { Clear(); }

void TDataBuffer::Clear() {
  FChunks.clear();
  FChunks.emplace_back(static_cast<size_t>(FChunkSize));
  FReadPosition = 0;
  FWritePosition = 0;
}

int32_t TDataBuffer::DataLength() const {
  return static_cast<int32_t>(FChunks.size() - 1) * FChunkSize + FWritePosition - FReadPosition;
}

void TDataBuffer::Write(const uint8_t* data, int32_t offset, int32_t count) {
  while (count > 0) {
    if (FWritePosition == FChunkSize) {
      FChunks.emplace_back(static_cast<size_t>(FChunkSize));
      FWritePosition = 0;
    }
    const int32_t n = std::min(count, FChunkSize - FWritePosition);
    std::memcpy(FChunks.back().data() + FWritePosition, data + offset, static_cast<size_t>(n));
    FWritePosition += n;
    offset += n;
    count -= n;
  }
}

void TDataBuffer::Read(uint8_t* dest, int32_t offset, int32_t count) {
  if (count < 0 || count > DataLength()) throw Exception(u"There is no enough data to read");
  while (count > 0) {
    const int32_t end = FChunks.size() == 1 ? FWritePosition : FChunkSize;
    const int32_t n = std::min(count, end - FReadPosition);
    std::memcpy(dest + offset, FChunks.front().data() + FReadPosition, static_cast<size_t>(n));
    FReadPosition += n;
    offset += n;
    count -= n;
    if (FReadPosition == FChunkSize && FChunks.size() > 1) {
      FChunks.pop_front();
      FReadPosition = 0;
    }
  }
  // An emptied queue starts its only chunk again, so a long stream never grows the list.
  if (FChunks.size() == 1 && FReadPosition == FWritePosition) FReadPosition = FWritePosition = 0;
}

int32_t TDataBuffer::IndexOf(uint8_t value, int32_t start) const {
  int32_t position = 0;
  for (size_t i = 0; i < FChunks.size(); ++i) {
    const int32_t from = i == 0 ? FReadPosition : 0;
    const int32_t to = i + 1 == FChunks.size() ? FWritePosition : FChunkSize;
    const int32_t skip = std::max(0, start - position);
    if (from + skip < to) {
      const uint8_t* begin = FChunks[i].data();
      const void* hit =
          std::memchr(begin + from + skip, value, static_cast<size_t>(to - from - skip));
      if (hit)
        return position + static_cast<int32_t>(static_cast<const uint8_t*>(hit) - begin - from);
    }
    position += to - from;
  }
  return -1;
}
