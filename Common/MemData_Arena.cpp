// The store's page arena and value pool.
#include "Common/MemData_Arena.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
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

// ---- Kept mappings ----

namespace {

// The kept mappings, newest last: the newest were touched last and are the likeliest to be still
// present and cached. Guarded by KeptLock; a store takes or gives one only per megabyte or more,
// so the lock is never contended for long.
struct TKeptEntry {
  void* At;
  size_t Bytes;
};
constexpr size_t MaxKept = TKeptMappings::Limit / TKeptMappings::Unit;
std::mutex KeptLock;
TKeptEntry Kept[MaxKept];
size_t KeptCount = 0;
size_t KeptTotal = 0;

}  // namespace

void* TKeptMappings::Take(size_t bytes, size_t alignment) {
  void* at = nullptr;
  {
    std::lock_guard<std::mutex> guard(KeptLock);
    for (size_t i = KeptCount; i-- > 0;) {
      if (Kept[i].Bytes != bytes || reinterpret_cast<uintptr_t>(Kept[i].At) % alignment) continue;
      at = Kept[i].At;
      std::memmove(&Kept[i], &Kept[i + 1], (KeptCount - i - 1) * sizeof(TKeptEntry));
      --KeptCount;
      KeptTotal -= bytes;
      break;
    }
  }
  if (!at) return nullptr;
  POOL_UNPOISON(at, bytes);
#ifndef NDEBUG
  // Fresh mappings read as zeros and kept ones do not: the checking build hands out garbage, so
  // that code relying on zeros fails its tests instead of failing only after a store was freed.
  std::memset(at, 0xA5, bytes);
#endif
  return at;
}

void TKeptMappings::Give(void* at, size_t bytes) {
  RTL_ASSERT(bytes % Unit == 0, u"A kept mapping of a size that is not a whole unit");
  // The system may take the pages back while they are kept; until then they stay present.
  madvise(at, bytes, MADV_FREE);
  // Touching kept memory is a use after free, as it was when the mapping went away.
  POOL_POISON(at, bytes);
  {
    std::lock_guard<std::mutex> guard(KeptLock);
    if (KeptTotal + bytes <= Limit && KeptCount < MaxKept) {
      Kept[KeptCount++] = TKeptEntry{at, bytes};
      KeptTotal += bytes;
      return;
    }
  }
  POOL_UNPOISON(at, bytes);
  munmap(at, bytes);
}

size_t TKeptMappings::Bytes() {
  std::lock_guard<std::mutex> guard(KeptLock);
  return KeptTotal;
}

void TKeptMappings::Drop() {
  for (;;) {
    TKeptEntry entry;
    {
      std::lock_guard<std::mutex> guard(KeptLock);
      if (KeptCount == 0) return;
      entry = Kept[--KeptCount];
      KeptTotal -= entry.Bytes;
    }
    POOL_UNPOISON(entry.At, entry.Bytes);
    munmap(entry.At, entry.Bytes);
  }
}

// ---- Page arena ----

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
  bool kept = false;
  if (mapped) {
    bytes = (bytes + MapThreshold - 1) / MapThreshold * MapThreshold;
    memory = TKeptMappings::Take(bytes, alignof(Chunk));
    kept = memory != nullptr;
    if (!kept) {
      memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (memory == MAP_FAILED) memory = nullptr;
    }
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
  if (mapped && !kept)
    Populate(need);
  else
    FReady = FEnd;  // heap memory, or a kept mapping whose pages are present
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
      TKeptMappings::Give(FLast, FLast->Bytes);
    else
      std::free(FLast);
    FLast = prev;
  }
  FNext = FReady = FEnd = nullptr;
  FReserved = 0;
}

// ---- Value pool ----

namespace {

// Which pool each segment of the address space belongs to: a two-level map, its root in static
// memory and its leaves made on first use and kept for the process's life. Only the pool that
// owns a segment writes its entry, before any value of the segment exists, so a reader that holds
// a value sees the entry.
class TSegmentMap {
 public:
  static TValuePool* Find(const void* p) {
    const auto address = reinterpret_cast<uintptr_t>(p);
    if (address >> AddressBits) return nullptr;
    Leaf* leaf = Root[address >> (SegmentBits + LeafBits)].load(std::memory_order_acquire);
    if (!leaf) return nullptr;
    return leaf->Pools[(address >> SegmentBits) & LeafMask].load(std::memory_order_relaxed);
  }

  static void Set(const void* segment, TValuePool* pool) {
    const auto address = reinterpret_cast<uintptr_t>(segment);
    RTL_ASSERT((address >> AddressBits) == 0, u"A value segment beyond the mapped addresses");
    std::atomic<Leaf*>& slot = Root[address >> (SegmentBits + LeafBits)];
    Leaf* leaf = slot.load(std::memory_order_acquire);
    if (!leaf) {
      auto* fresh = static_cast<Leaf*>(std::calloc(1, sizeof(Leaf)));
      if (!fresh) throw std::bad_alloc();
      if (slot.compare_exchange_strong(leaf, fresh, std::memory_order_acq_rel))
        leaf = fresh;
      else
        std::free(fresh);  // another thread made it first; leaf now holds theirs
    }
    leaf->Pools[(address >> SegmentBits) & LeafMask].store(pool, std::memory_order_relaxed);
  }

 private:
  static constexpr unsigned AddressBits = 48;
  static constexpr unsigned SegmentBits = 20;
  static constexpr unsigned LeafBits = 14;
  static constexpr uintptr_t LeafMask = (uintptr_t{1} << LeafBits) - 1;
  static_assert(size_t{1} << SegmentBits == TValuePool::SegmentSize);

  struct Leaf {
    std::atomic<TValuePool*> Pools[size_t{1} << LeafBits];
  };
  static std::atomic<Leaf*> Root[size_t{1} << (AddressBits - SegmentBits - LeafBits)];
};

std::atomic<TSegmentMap::Leaf*>
    TSegmentMap::Root[size_t{1} << (AddressBits - SegmentBits - LeafBits)] = {};

// A segment's pages are made present no further ahead than the pool has used memory, so that a
// small store's pool keeps few pages.
constexpr size_t SegmentPopulateStep = TPageArena::PopulateStep;

}  // namespace

// The head of a segment: the segments of a pool in a list.
struct TValuePool::Segment {
  Segment* Prev;
};

TValuePool::~TValuePool() {
  while (FLast) {
    Segment* prev = FLast->Prev;
    // Named by no pool while kept; the next pool to take it names itself.
    TSegmentMap::Set(FLast, nullptr);
    POOL_UNPOISON(FLast, SegmentSize);
    TKeptMappings::Give(FLast, SegmentSize);
    FLast = prev;
  }
}

void TValuePool::Detach() {
  FDetached = true;
  if (FLive == 0) delete this;
}

TValuePool* TValuePool::PoolOf(const void* p) { return TSegmentMap::Find(p); }

void TValuePool::NewSegment() {
  if (void* kept = TKeptMappings::Take(SegmentSize, SegmentSize)) {
    StartSegment(static_cast<uint8_t*>(kept));
    FReady = FEnd;  // present already
    return;
  }
  // Twice the size mapped, then trimmed to one aligned segment.
  const size_t span = 2 * SegmentSize;
  void* mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  auto* raw = static_cast<uint8_t*>(mapped);
  const auto at = reinterpret_cast<uintptr_t>(raw);
  auto* start = reinterpret_cast<uint8_t*>((at + SegmentSize - 1) & ~(SegmentSize - 1));
  if (start > raw) munmap(raw, static_cast<size_t>(start - raw));
  if (raw + span > start + SegmentSize)
    munmap(start + SegmentSize, static_cast<size_t>(raw + span - (start + SegmentSize)));
  // Huge pages would make a small pool's first touch cost 2 MB.
  madvise(start, SegmentSize, MADV_NOHUGEPAGE);
  StartSegment(start);
}

void TValuePool::StartSegment(uint8_t* start) {
  auto* segment = reinterpret_cast<Segment*>(start);
  segment->Prev = FLast;
  FLast = segment;
  TSegmentMap::Set(segment, this);
  FNext = start + ((sizeof(Segment) + Granule - 1) / Granule * Granule);
  FReady = FNext;
  FEnd = start + SegmentSize;
}

void TValuePool::Populate(size_t need) {
  const size_t ahead = std::min(SegmentPopulateStep, FCarved);
  uint8_t* target = std::min(FEnd, FNext + need + ahead);
  const auto from = reinterpret_cast<uintptr_t>(FReady) & ~static_cast<uintptr_t>(4095);
  const auto to = reinterpret_cast<uintptr_t>(target);
  if (to > from && ahead > 0)
    madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
  FReady = target;
}

uint8_t* TValuePool::Carve(size_t bytes) {
  if (static_cast<size_t>(FEnd - FNext) < bytes) NewSegment();
  if (static_cast<size_t>(FReady - FNext) < bytes) Populate(bytes);
  uint8_t* block = FNext;
  FNext += bytes;
  FCarved += bytes;
  return block;
}

bool TValuePool::ShrinkLatest(void* p, size_t size, size_t keep) {
  TValuePool* pool = PoolOf(p);
  if (!pool || size > MaxPooledSize) return false;
  const size_t fromClass = std::max<size_t>(1, (size + Granule - 1) / Granule);
  const size_t toClass = std::max<size_t>(1, (keep + Granule - 1) / Granule);
  if (toClass == fromClass) return true;
  auto* at = static_cast<uint8_t*>(p);
  if (toClass > fromClass || at + fromClass * Granule != pool->FNext) return false;
  pool->FNext = at + toClass * Granule;
  pool->FCarved -= (fromClass - toClass) * Granule;
  return true;
}

void* TValuePool::Allocate(TValuePool* pool, size_t size) {
  if (pool && size <= MaxPooledSize) return pool->Take(size);
  void* p = std::malloc(std::max<size_t>(size, 1));
  if (!p) throw std::bad_alloc();
  return p;
}

void TValuePool::Deallocate(void* p, size_t size) {
  if (!p) return;
  TValuePool* pool = PoolOf(p);
  if (!pool) {
    std::free(p);
    return;
  }
  RTL_ASSERT(size <= MaxPooledSize, u"A pooled value given back with another size");
  pool->Give(static_cast<uint8_t*>(p), size);
}

void* TValuePool::Take(size_t size) {
  const size_t sizeClass = std::max<size_t>(1, (size + Granule - 1) / Granule);
  uint8_t* block = FFree[sizeClass];
  if (block) {
    POOL_UNPOISON(block, sizeClass * Granule);
    std::memcpy(&FFree[sizeClass], block, sizeof(uint8_t*));
  } else {
    block = Carve(sizeClass * Granule);
  }
  ++FLive;
  return block;
}

void TValuePool::Give(uint8_t* block, size_t size) {
  RTL_ASSERT(FLive > 0, u"A value given back to a pool that holds none");
  const size_t sizeClass = std::max<size_t>(1, (size + Granule - 1) / Granule);
  std::memcpy(block, &FFree[sizeClass], sizeof(uint8_t*));
  POOL_POISON(block, sizeClass * Granule);
  FFree[sizeClass] = block;
  if (--FLive == 0 && FDetached) delete this;
}
