// Released arena chunks and value segments are kept for the next store: a kept one names no
// pool, a reused one names its new pool, the total stays bounded, and threads never share one.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "Common/MemData_Arena.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace {

uintptr_t SegmentOf(const void* p) {
  return reinterpret_cast<uintptr_t>(p) & ~(uintptr_t{TValuePool::SegmentSize} - 1);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool CheckingBuild = true;
bool Poisoned(const void* p) { return __asan_address_is_poisoned(p) != 0; }
#else
constexpr bool CheckingBuild = false;
bool Poisoned(const void*) { return false; }
#endif

// Values of a pool filling count whole segments.
std::vector<void*> FillSegments(TValuePool* pool, size_t count) {
  std::vector<void*> values;
  // A segment's head takes a few bytes: one value fewer than would fill it exactly.
  const size_t perSegment = TValuePool::SegmentSize / TValuePool::MaxPooledSize - 1;
  for (size_t i = 0; i < count * perSegment; ++i)
    values.push_back(TValuePool::Allocate(pool, TValuePool::MaxPooledSize));
  return values;
}

TEST(KeptMappings, AReleasedSegmentServesTheNextPoolAndNamesIt) {
  TKeptMappings::Drop();
  TValuePool* first = TValuePool::Create();
  const std::vector<void*> values = FillSegments(first, 2);
  const uintptr_t older = SegmentOf(values.front());
  const uintptr_t newer = SegmentOf(values.back());
  ASSERT_NE(older, newer);
  first->Detach();
  for (void* p : values) TValuePool::Deallocate(p, TValuePool::MaxPooledSize);

  EXPECT_EQ(TKeptMappings::Bytes(), 2 * TValuePool::SegmentSize);
  // Kept, the segments name no pool: a stale address is not taken for a pooled value.
  EXPECT_EQ(TValuePool::PoolOf(reinterpret_cast<void*>(older + 64)), nullptr);
  EXPECT_EQ(TValuePool::PoolOf(reinterpret_cast<void*>(newer + 64)), nullptr);
  // Touching kept memory stays a use after free for the checking build.
  if (CheckingBuild) {
    EXPECT_TRUE(Poisoned(reinterpret_cast<void*>(newer + 64)));
  }

  TValuePool* second = TValuePool::Create();
  auto* value = static_cast<uint8_t*>(TValuePool::Allocate(second, 200));
  std::memset(value, 7, 200);
  const uintptr_t reused = SegmentOf(value);
  EXPECT_TRUE(reused == older || reused == newer);
  EXPECT_EQ(TValuePool::PoolOf(value), second);
  EXPECT_EQ(TValuePool::PoolOf(reinterpret_cast<void*>(reused + 64)), second);
  const uintptr_t stillKept = reused == older ? newer : older;
  EXPECT_EQ(TValuePool::PoolOf(reinterpret_cast<void*>(stillKept + 64)), nullptr);
  EXPECT_EQ(TKeptMappings::Bytes(), TValuePool::SegmentSize);
  TValuePool::Deallocate(value, 200);
  second->Detach();
  TKeptMappings::Drop();
  EXPECT_EQ(TKeptMappings::Bytes(), 0u);
}

// An arena's mapped chunk goes to the next arena that asks for the same size, whole and
// writable; a chunk of another size is not handed out for it.
TEST(KeptMappings, AReleasedChunkServesTheNextArenaOfItsSize) {
  TKeptMappings::Drop();
  const size_t size = size_t{3} << 20;
  uint8_t* first;
  {
    TPageArena arena;
    first = static_cast<uint8_t*>(arena.Allocate(size));
  }
  const size_t kept = TKeptMappings::Bytes();
  EXPECT_GE(kept, size);
  if (CheckingBuild) {
    EXPECT_TRUE(Poisoned(first));
  }

  // A value segment is smaller than the chunk: the chunk stays kept.
  TValuePool* pool = TValuePool::Create();
  void* value = TValuePool::Allocate(pool, 8);
  EXPECT_NE(SegmentOf(value), SegmentOf(first));
  EXPECT_EQ(TKeptMappings::Bytes(), kept);

  TPageArena second;
  auto* again = static_cast<uint8_t*>(second.Allocate(size));
  EXPECT_EQ(again, first);
  std::memset(again, 3, size);
  EXPECT_EQ(again[size - 1], 3);
  EXPECT_EQ(TKeptMappings::Bytes(), 0u);
  TValuePool::Deallocate(value, 8);
  pool->Detach();
  TKeptMappings::Drop();
}

// Released beyond the limit, the rest is given back to the system.
TEST(KeptMappings, KeepsNoMoreThanItsLimit) {
  TKeptMappings::Drop();
  const size_t chunk = size_t{40} << 20;
  std::vector<std::unique_ptr<TPageArena>> arenas;
  size_t released = 0;
  while (released <= TKeptMappings::Limit + chunk) {
    arenas.push_back(std::make_unique<TPageArena>());
    arenas.back()->Allocate(chunk);
    released += arenas.back()->ReservedBytes();
  }
  arenas.clear();
  EXPECT_LE(TKeptMappings::Bytes(), TKeptMappings::Limit);
  EXPECT_GT(TKeptMappings::Bytes(), TKeptMappings::Limit - 2 * chunk);
  TKeptMappings::Drop();
  EXPECT_EQ(TKeptMappings::Bytes(), 0u);
}

// Pools on several threads take and give segments at once: each value names its own pool and
// keeps its bytes, so no segment was handed to two pools.
TEST(KeptMappings, PoolsOnSeveralThreadsNeverShareASegment) {
  TKeptMappings::Drop();
  constexpr int ThreadCount = 4;
  constexpr int Rounds = 15;
  std::vector<int> faults(ThreadCount, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < ThreadCount; ++t) {
    threads.emplace_back([t, &faults] {
      for (int round = 0; round < Rounds; ++round) {
        TValuePool* pool = TValuePool::Create();
        const std::vector<void*> values = FillSegments(pool, 1 + (round + t) % 3);
        const auto mark = static_cast<int>((t * Rounds + round) % 251);
        for (void* p : values) std::memset(p, mark, TValuePool::MaxPooledSize);
        for (void* p : values) {
          const auto* bytes = static_cast<const uint8_t*>(p);
          if (TValuePool::PoolOf(p) != pool || bytes[0] != mark ||
              bytes[TValuePool::MaxPooledSize - 1] != mark)
            ++faults[static_cast<size_t>(t)];
        }
        pool->Detach();
        for (void* p : values) TValuePool::Deallocate(p, TValuePool::MaxPooledSize);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < ThreadCount; ++t) EXPECT_EQ(faults[static_cast<size_t>(t)], 0) << t;
  EXPECT_LE(TKeptMappings::Bytes(), TKeptMappings::Limit);
  TKeptMappings::Drop();
}

}  // namespace
