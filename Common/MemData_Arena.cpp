// The store's page arena and value pool.
#include "Common/MemData_Arena.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/rtl/Exceptions.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
// A value given back to its pool is poisoned, so that the sanitizer build still reports a use
// after free of a blob as it did when blobs came from the general heap.
#define POOL_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define POOL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define POOL_POISON(p, n) ((void)(p), (void)(n))
#define POOL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

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

bool TPageArena::ShrinkLatest(void* p, size_t size, size_t keep) {
  size = (size + Alignment - 1) & ~(Alignment - 1);
  keep = (keep + Alignment - 1) & ~(Alignment - 1);
  auto* at = static_cast<uint8_t*>(p);
  if (at + size != FNext || keep > size) return false;
  FNext = at + keep;
  return true;
}

void TPageArena::Release() {
  while (FLast) {
    Chunk* prev = FLast->Prev;
    // Values the pool poisoned go back clean: the next owner of the memory may be anyone.
    POOL_UNPOISON(FLast, FLast->Bytes);
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

TValuePool* TValuePool::PoolOf(const void* p) { return HeaderOf(p)->Pool(); }

void TValuePool::SetTag(void* p, unsigned tag) {
  RTL_ASSERT(tag <= TagBits, u"A value tag wider than its header can hold");
  Header* header = HeaderOf(p);
  header->Word = (header->Word & ~uintptr_t{TagBits}) | tag;
}

unsigned TValuePool::Tag(const void* p) {
  return static_cast<unsigned>(HeaderOf(p)->Word & TagBits);
}

bool TValuePool::ShrinkLatest(void* p, size_t size, size_t keep) {
  TValuePool* pool = PoolOf(p);
  if (!pool || size > MaxPooledSize) return false;
  const size_t fromClass = std::max<size_t>(1, (size + Granule - 1) / Granule);
  const size_t toClass = std::max<size_t>(1, (keep + Granule - 1) / Granule);
  if (toClass == fromClass) return true;
  return pool->FArena.ShrinkLatest(HeaderOf(p), HeaderSize + fromClass * Granule,
                                   HeaderSize + toClass * Granule);
}

void* TValuePool::Allocate(TValuePool* pool, size_t size) {
  if (pool && size <= MaxPooledSize) return pool->Take(size);
  auto* header = static_cast<Header*>(std::malloc(HeaderSize + size));
  if (!header) throw std::bad_alloc();
  header->Word = 0;
  return header + 1;
}

void TValuePool::Deallocate(void* p, size_t size) {
  if (!p) return;
  Header* header = HeaderOf(p);
  RTL_ASSERT((header->Word & TagBits) == 0, u"A value given back while a part of it lives");
  if (!header->Pool()) {
    std::free(header);
    return;
  }
  RTL_ASSERT(size <= MaxPooledSize, u"A pooled value given back with another size");
  header->Pool()->Give(reinterpret_cast<uint8_t*>(header), size);
}

void* TValuePool::Take(size_t size) {
  const size_t sizeClass = std::max<size_t>(1, (size + Granule - 1) / Granule);
  uint8_t* block = FFree[sizeClass];
  if (block) {
    POOL_UNPOISON(block + HeaderSize, sizeClass * Granule);
    std::memcpy(&FFree[sizeClass], block + HeaderSize, sizeof(uint8_t*));
  } else {
    block = static_cast<uint8_t*>(FArena.Allocate(HeaderSize + sizeClass * Granule));
  }
  reinterpret_cast<Header*>(block)->Word = reinterpret_cast<uintptr_t>(this);
  ++FLive;
  return block + HeaderSize;
}

void TValuePool::Give(uint8_t* block, size_t size) {
  RTL_ASSERT(FLive > 0, u"A value given back to a pool that holds none");
  const size_t sizeClass = std::max<size_t>(1, (size + Granule - 1) / Granule);
  std::memcpy(block + HeaderSize, &FFree[sizeClass], sizeof(uint8_t*));
  POOL_POISON(block + HeaderSize, sizeClass * Granule);
  FFree[sizeClass] = block;
  if (--FLive == 0 && FDetached) delete this;
}
