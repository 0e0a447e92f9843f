// Memory of the record store taken in large pieces: item blocks, string-heap blocks and blob
// objects are carved from chunks that grow with the store, so that filling a store with a
// million rows touches a few large mappings instead of a million small heap allocations. Chunks
// of 2 MB and more are mapped on their own, and their pages are made present 64 KB at a time
// just ahead of use: one call instead of 16 page faults, and little made present that a store
// never uses; released, they are kept for the next arena (TKeptMappings). (Huge pages were tried
// twice, the second time on 2 MB-aligned chunks: on a busy machine a million-row fetch took
// twice the processor time and 5 MB more memory.) Part of unit MemData.
#pragma once

#include <cstddef>
#include <cstdint>

// Mapped memory that a released arena or pool gives back, kept for the next one instead of
// being unmapped at once: a list that is closed and another filled (a refresh, the next fetch)
// then writes to pages already present, as a general heap reuses what it freed, instead of
// having every page cleared by the system again. At most Limit bytes are kept, process-wide
// (stores live on several threads, and the memory a store frees is the next store's whatever its
// thread); kept pages are offered to the system (MADV_FREE), which takes them back under memory
// pressure without swapping, so a process that closed its last large list costs the machine
// nothing it needs.
class TKeptMappings {
 public:
  // A million rows of a list with a title and a note take about 260 MB; with half of that kept,
  // refilling such a store saved a third of what keeping all of it saves.
  static constexpr size_t Limit = size_t{256} << 20;
  // The smallest mapping kept; anything given is a multiple of it.
  static constexpr size_t Unit = size_t{1} << 20;

  // A kept mapping of exactly bytes whose address is a multiple of alignment, or nil. Its
  // content is undefined.
  static void* Take(size_t bytes, size_t alignment);
  // Keeps a mapping of bytes (a multiple of Unit), or unmaps it when Limit would be exceeded.
  static void Give(void* at, size_t bytes);
  // The bytes kept now (for checks and tests).
  static size_t Bytes();
  // Unmaps everything kept (for tests, and for a process about to need its memory elsewhere).
  static void Drop();
};

// A bump allocator over a chain of chunks; everything goes back at once with Release.
class TPageArena {
 public:
  // Carved pieces are aligned to this.
  static constexpr size_t Alignment = 8;
  // The first chunk; each further one doubles the arena up to MaxChunk.
  static constexpr size_t FirstChunk = 16 * 1024;
  static constexpr size_t MaxChunk = 32 * 1024 * 1024;
  // Chunks of this size or more are mapped on their own.
  static constexpr size_t MapThreshold = 2 * 1024 * 1024;
  // How far ahead of use the pages of a mapped chunk are made present.
  static constexpr size_t PopulateStep = 64 * 1024;

  TPageArena() = default;
  ~TPageArena() { Release(); }
  TPageArena(const TPageArena&) = delete;
  TPageArena& operator=(const TPageArena&) = delete;

  // size bytes, aligned to Alignment, valid until Release; raises std::bad_alloc when the system
  // has no memory.
  void* Allocate(size_t size) {
    size = (size + Alignment - 1) & ~(Alignment - 1);
    if (static_cast<size_t>(FReady - FNext) < size) MakeRoom(size);
    void* p = FNext;
    FNext += size;
    return p;
  }
  // Gives back the tail of the latest piece, which held size bytes, keeping its first keep bytes;
  // false (and nothing changes) when the piece is not the latest.
  bool ShrinkLatest(void* p, size_t size, size_t keep);
  // Frees every chunk.
  void Release();
  // The bytes of all chunks together (for checks and tests).
  size_t ReservedBytes() const { return FReserved; }
  bool Empty() const { return FLast == nullptr; }

 private:
  struct Chunk;
  void MakeRoom(size_t size);
  void NewChunk(size_t need);
  void Populate(size_t need);

  Chunk* FLast = nullptr;
  uint8_t* FNext = nullptr;
  uint8_t* FReady = nullptr;  // the end of what is carved without a further step
  uint8_t* FEnd = nullptr;
  size_t FReserved = 0;
};

// Small values that are freed one by one but are made by the thousand while a store fills: blob
// objects and blob pieces. They carry no header: a pool carves them from segments of
// SegmentSize bytes aligned to their size, and a process-wide map from segment to pool names the
// pool of any address, so that freeing needs only the address and the size. Values the general
// heap holds (nil pool, or larger than MaxPooledSize) are in no segment. A pool outlives its
// store while any of its values is still held: the store detaches it, and the last value freed
// frees the pool. A pool belongs to one thread at a time, like its store.
class TValuePool {
 public:
  // Values above this size come from the general heap.
  static constexpr size_t MaxPooledSize = 4096;
  static constexpr size_t SegmentSize = size_t{1} << 20;

  static TValuePool* Create() { return new TValuePool(); }
  // The store lets go of the pool; it is freed now or with its last value.
  void Detach();

  // size bytes, 8-aligned, from the pool (nil pool: from the general heap).
  static void* Allocate(TValuePool* pool, size_t size);
  // Gives back what Allocate returned for that size; nil is ignored.
  static void Deallocate(void* p, size_t size);
  // The pool whose segment holds the address (any byte of a value), nil for the general heap.
  static TValuePool* PoolOf(const void* p);
  // Gives back the tail of a value that Allocate just returned for size bytes, so that it holds
  // keep bytes; false when it cannot (the value then keeps its size).
  static bool ShrinkLatest(void* p, size_t size, size_t keep);

  // The values held now (for checks and tests).
  size_t LiveCount() const { return FLive; }

 private:
  struct Segment;
  static constexpr size_t Granule = 8;
  static constexpr size_t ClassCount = MaxPooledSize / Granule;

  TValuePool() = default;
  ~TValuePool();
  void* Take(size_t size);
  void Give(uint8_t* block, size_t size);
  uint8_t* Carve(size_t bytes);
  void NewSegment();
  void StartSegment(uint8_t* start);
  void Populate(size_t need);

  Segment* FLast = nullptr;
  uint8_t* FNext = nullptr;
  uint8_t* FReady = nullptr;  // the end of what is made present
  uint8_t* FEnd = nullptr;
  size_t FCarved = 0;  // bytes carved over all segments
  uint8_t* FFree[ClassCount + 1] = {};
  size_t FLive = 0;
  bool FDetached = false;
};
