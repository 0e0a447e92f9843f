// Memory of the record store taken in large pieces: item blocks, string-heap blocks and blob
// objects are carved from chunks that grow with the store, so that filling a store with a
// million rows touches a few large mappings instead of a million small heap allocations. Chunks
// of 2 MB and more are mapped on their own, and their pages are made present 64 KB at a time
// just ahead of use: one call instead of 16 page faults, and little made present that a store
// never uses. (Huge pages were tried twice, the second time on 2 MB-aligned chunks: on a
// busy machine a million-row fetch took twice the processor time and 5 MB more memory.) Part of
// unit MemData.
#pragma once

#include <cstddef>
#include <cstdint>

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
// objects and blob pieces. Each carries an 8-byte header naming the pool it came from (nil for
// one taken from the general heap), so that freeing needs only the address and the size. A pool
// outlives its store while any of its values is still held: the store detaches it, and the last
// value freed frees the pool. A pool belongs to one thread at a time, like its store. Its
// alignment leaves four low bits of its address free for a value's tag.
class alignas(16) TValuePool {
 public:
  // Values above this size come from the general heap.
  static constexpr size_t MaxPooledSize = 4096;

  static TValuePool* Create() { return new TValuePool(); }
  // The store lets go of the pool; it is freed now or with its last value.
  void Detach();

  // size bytes, 8-aligned, from the pool (nil pool: from the general heap).
  static void* Allocate(TValuePool* pool, size_t size);
  // Gives back what Allocate returned for that size; nil is ignored.
  static void Deallocate(void* p, size_t size);
  // The pool a value came from, nil for the general heap.
  static TValuePool* PoolOf(const void* p);
  // Gives back the tail of a value that Allocate just returned for size bytes, so that it holds
  // keep bytes; false when it cannot (the value then keeps its size).
  static bool ShrinkLatest(void* p, size_t size, size_t keep);

  // A value made of parts that die one by one (a blob carved with its store and first piece):
  // its header carries, in the low bits that a pool's 16-byte aligned address leaves free, which
  // parts still live and how the value is laid out. The value goes back with Deallocate once the
  // bits are cleared.
  static constexpr unsigned TagBits = 15;
  static void SetTag(void* p, unsigned tag);
  static unsigned Tag(const void* p);
  // The values held now (for checks and tests).
  size_t LiveCount() const { return FLive; }

 private:
  struct Header {
    uintptr_t Word;  // the pool's address (nil for the general heap) with the live parts
    TValuePool* Pool() const { return reinterpret_cast<TValuePool*>(Word & ~uintptr_t{TagBits}); }
  };
  static constexpr size_t HeaderSize = sizeof(Header);
  static constexpr size_t Granule = 8;
  static constexpr size_t ClassCount = MaxPooledSize / Granule;

  TValuePool() = default;
  ~TValuePool() = default;
  void* Take(size_t size);
  void Give(uint8_t* block, size_t size);
  static Header* HeaderOf(const void* p) {
    return reinterpret_cast<Header*>(const_cast<uint8_t*>(static_cast<const uint8_t*>(p)) -
                                     HeaderSize);
  }

  TPageArena FArena;
  uint8_t* FFree[ClassCount + 1] = {};
  size_t FLive = 0;
  bool FDetached = false;
};
