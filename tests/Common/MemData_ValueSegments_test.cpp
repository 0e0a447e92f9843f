// Values without a header: the pool of any address comes from the segment map, and a blob's
// rollback store is held outside the blob.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Common/MemData_Blob.h"

namespace {

// Values spread over several segments each name their pool from any of their bytes; the heap's
// values name none; and once the pool is gone its segments name it no longer, so that memory
// mapped there later is never taken for a pooled value.
TEST(ValueSegments, EveryByteOfAValueNamesItsPoolUntilThePoolIsGone) {
  TValuePool* pool = TValuePool::Create();
  TValuePool* other = TValuePool::Create();
  std::vector<std::pair<uint8_t*, size_t>> values;
  size_t total = 0;
  for (size_t i = 0; total < 3 * TValuePool::SegmentSize; ++i) {
    const size_t size = 8 + (i * 37) % (TValuePool::MaxPooledSize - 8);
    auto* p = static_cast<uint8_t*>(TValuePool::Allocate(pool, size));
    std::memset(p, static_cast<int>(i % 251), size);
    values.emplace_back(p, size);
    total += size;
  }
  void* elsewhere = TValuePool::Allocate(other, 40);
  void* plain = TValuePool::Allocate(nullptr, 40);
  for (size_t i = 0; i < values.size(); ++i) {
    const auto [p, size] = values[i];
    ASSERT_EQ(TValuePool::PoolOf(p), pool) << i;
    ASSERT_EQ(TValuePool::PoolOf(p + size - 1), pool) << i;
    ASSERT_EQ(p[size - 1], static_cast<uint8_t>(i % 251)) << i;  // no neighbour wrote over it
  }
  EXPECT_EQ(TValuePool::PoolOf(elsewhere), other);
  EXPECT_EQ(TValuePool::PoolOf(plain), nullptr);
  EXPECT_EQ(pool->LiveCount(), values.size());

  const uintptr_t first = reinterpret_cast<uintptr_t>(values.front().first);
  const uintptr_t last = reinterpret_cast<uintptr_t>(values.back().first);
  pool->Detach();
  for (const auto& [p, size] : values) TValuePool::Deallocate(p, size);
  // The addresses are only looked up, never read.
  EXPECT_EQ(TValuePool::PoolOf(reinterpret_cast<void*>(first)), nullptr);
  EXPECT_EQ(TValuePool::PoolOf(reinterpret_cast<void*>(last)), nullptr);
  EXPECT_EQ(TValuePool::PoolOf(elsewhere), other);
  TValuePool::Deallocate(elsewhere, 40);
  TValuePool::Deallocate(plain, 40);
  other->Detach();
}

// A value given back is handed out again for the same size class, and the latest value of the
// pool gives back its tail in place.
TEST(ValueSegments, FreedValuesAreReusedAndTheLatestShrinks) {
  TValuePool* pool = TValuePool::Create();
  void* a = TValuePool::Allocate(pool, 100);
  TValuePool::Deallocate(a, 100);
  void* b = TValuePool::Allocate(pool, 97);  // same 8-byte class
  EXPECT_EQ(b, a);
  EXPECT_TRUE(TValuePool::ShrinkLatest(b, 97, 20));
  void* c = TValuePool::Allocate(pool, 8);
  EXPECT_EQ(static_cast<uint8_t*>(c), static_cast<uint8_t*>(b) + 24);
  EXPECT_FALSE(TValuePool::ShrinkLatest(b, 24, 8));  // no longer the latest
  TValuePool::Deallocate(b, 20);
  TValuePool::Deallocate(c, 8);
  EXPECT_EQ(pool->LiveCount(), 0u);
  pool->Detach();
}

std::string Text(TBlob& blob) {
  std::string text(blob.GetSize(), '\0');
  blob.Read(0, 0, text.data());
  return text;
}

// Many blobs hold rollbacks at once; each keeps its own through showing, cancel and commit, and
// one freed while it holds a rollback gives that store back (the leak checker sees it).
TEST(ValueSegments, RollbacksOfManyBlobsStayApart) {
  TValuePool* pool = TValuePool::Create();
  std::vector<TBlob*> blobs;
  for (int i = 0; i < 50; ++i) {
    auto* blob = new (pool) TBlob();
    blob->SetAsString("before " + std::to_string(i));
    blob->EnableRollback();
    blob->SetAsString("after " + std::to_string(i));
    blobs.push_back(blob);
  }
  for (int i = 0; i < 50; ++i) {
    TBlob& blob = *blobs[static_cast<size_t>(i)];
    ASSERT_TRUE(blob.HasRollback()) << i;
    blob.SetReadRollback(true);
    EXPECT_EQ(Text(blob), "before " + std::to_string(i));
    blob.SetReadRollback(false);
    EXPECT_EQ(Text(blob), "after " + std::to_string(i));
  }
  for (int i = 0; i < 50; i += 3) blobs[static_cast<size_t>(i)]->Cancel();
  for (int i = 1; i < 50; i += 3) blobs[static_cast<size_t>(i)]->Commit();
  for (int i = 0; i < 50; ++i) {
    TBlob& blob = *blobs[static_cast<size_t>(i)];
    const bool cancelled = i % 3 == 0;
    EXPECT_EQ(Text(blob), (cancelled ? "before " : "after ") + std::to_string(i)) << i;
    EXPECT_EQ(blob.HasRollback(), i % 3 == 2) << i;
  }
  for (TBlob* blob : blobs) blob->Free();
  EXPECT_EQ(pool->LiveCount(), 0u);
  pool->Detach();
}

}  // namespace
