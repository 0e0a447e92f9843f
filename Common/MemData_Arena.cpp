// The store's page arena and value pool.
#include "Common/MemData_Arena.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/rtl/Exceptions.h"

struct TPageArena::Chunk {
  Chunk* Prev;
  size_t Bytes;  // the whole chunk, this header included
  bool Mapped;   // a mapping of its own; else from the general heap
};

namespace {

constexpr size_t ChunkHeader = (sizeof(void*) * 3 + TPageArena::Alignment - 1) /
                               TPageArena::Alignment * TPageArena::Alignment;

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels refuse it and fault page by page
#endif

}  // namespace

void TPageArena::MakeRoom(size_t size) {
  if (static_cast<size_t>(FEnd - FNext) < size)
    NewChunk(size);
  else
    Populate(size);
}

void TPageArena::Populate(size_t need) {
  uint8_t* target = std::min(FEnd, FNext + need + PopulateStep);
  // Whole pages only: the advice works on page boundaries.
  const auto from = reinterpret_cast<uintptr_t>(FReady) & ~static_cast<uintptr_t>(4095);
  const auto to = reinterpret_cast<uintptr_t>(target);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
  FReady = target;
}

void TPageArena::NewChunk(size_t need) {
  size_t bytes = std::clamp(FReserved, FirstChunk, MaxChunk);
  bytes = std::max(bytes, need + ChunkHeader);
  const bool mapped = bytes >= MapThreshold;
  void* memory;
  if (mapped) {
    bytes = (bytes + MapThreshold - 1) / MapThreshold * MapThreshold;
    memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) memory = nullptr;
  } else {
    memory = std::malloc(bytes);
  }
  if (!memory) throw std::bad_alloc();
  auto* chunk = static_cast<Chunk*>(memory);
  chunk->Prev = FLast;
  chunk->Bytes = bytes;
  chunk->Mapped = mapped;
  FLast = chunk;
  FReserved += bytes;
  FNext = static_cast<uint8_t*>(memory) + ChunkHeader;
  FEnd = static_cast<uint8_t*>(memory) + bytes;
  FReady = FNext;
  if (mapped)
    Populate(need);
  else
    FReady = FEnd;
}

void TPageArena::Release() {
  while (FLast) {
    Chunk* prev = FLast->Prev;
    if (FLast->Mapped)
      munmap(FLast, FLast->Bytes);
    else
      std::free(FLast);
    FLast = prev;
  }
  FNext = FReady = FEnd = nullptr;
  FReserved = 0;
}

// ---- Value pool ----

void TValuePool::Detach() {
  FDetached = true;
  if (FLive == 0) delete this;
}

TValuePool* TValuePool::PoolOf(const void* p) { return HeaderOf(p)->Pool; }

void* TValuePool::Allocate(TValuePool* pool, size_t size) {
  if (pool && size <= MaxPooledSize) return pool->Take(size);
  auto* header = static_cast<Header*>(std::malloc(HeaderSize + size));
  if (!header) throw std::bad_alloc();
  header->Pool = nullptr;
  return header + 1;
}

void TValuePool::Deallocate(void* p, size_t size) {
  if (!p) return;
  Header* header = HeaderOf(p);
  if (!header->Pool) {
    std::free(header);
    return;
  }
  RTL_ASSERT(size <= MaxPooledSize, u"A pooled value given back with another size");
  header->Pool->Give(reinterpret_cast<uint8_t*>(header), size);
}

void* TValuePool::Take(size_t size) {
  const size_t sizeClass = std::max<size_t>(1, (size + Granule - 1) / Granule);
  uint8_t* block = FFree[sizeClass];
  if (block) {
    std::memcpy(&FFree[sizeClass], block + HeaderSize, sizeof(uint8_t*));
  } else {
    block = static_cast<uint8_t*>(FArena.Allocate(HeaderSize + sizeClass * Granule));
  }
  reinterpret_cast<Header*>(block)->Pool = this;
  ++FLive;
  return block + HeaderSize;
}

void TValuePool::Give(uint8_t* block, size_t size) {
  RTL_ASSERT(FLive > 0, u"A value given back to a pool that holds none");
  const size_t sizeClass = std::max<size_t>(1, (size + Granule - 1) / Granule);
  std::memcpy(block + HeaderSize, &FFree[sizeClass], sizeof(uint8_t*));
  FFree[sizeClass] = block;
  if (--FLive == 0 && FDetached) delete this;
}
