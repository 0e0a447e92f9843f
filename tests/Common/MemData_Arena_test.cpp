#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Common/MemData_Arena.h"
#include "Common/MemData_Storage.h"
#include "tests/Common/MemData_TestStore.h"

namespace {

using memdata_test::AppendRow;
using memdata_test::Column;
using memdata_test::RecBuf;
using memdata_test::TestStore;

// Every piece carved keeps its own bytes, across small chunks, grown chunks and a piece larger
// than any chunk the arena would choose by itself.
TEST(PageArena, PiecesAreAlignedAndNeverOverlap) {
  TPageArena arena;
  const std::vector<size_t> sizes{1,     7,    8,     24,   1000, 16 * 1024, 3,
                                  70000, 5000, 3u << 20, 9,   100,  40 * 1024 * 1024};
  std::vector<std::pair<uint8_t*, size_t>> pieces;
  for (int round = 0; round < 40; ++round) {
    for (size_t i = 0; i < sizes.size(); ++i) {
      const size_t size = round == 0 ? sizes[i] : sizes[i] % 4096 + 1;
      auto* p = static_cast<uint8_t*>(arena.Allocate(size));
      ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % TPageArena::Alignment, 0u);
      std::memset(p, static_cast<int>(pieces.size() % 251), size);
      pieces.emplace_back(p, size);
    }
  }
  for (size_t n = 0; n < pieces.size(); ++n) {
    const auto [p, size] = pieces[n];
    const auto fill = static_cast<uint8_t>(n % 251);
    ASSERT_EQ(p[0], fill) << n;
    ASSERT_EQ(p[size - 1], fill) << n;
  }
  EXPECT_GE(arena.ReservedBytes(), size_t{40} * 1024 * 1024);
  arena.Release();
  EXPECT_TRUE(arena.Empty());
  EXPECT_EQ(arena.ReservedBytes(), 0u);
  // A released arena starts again.
  auto* again = static_cast<uint8_t*>(arena.Allocate(32));
  std::memset(again, 1, 32);
  EXPECT_FALSE(arena.Empty());
}

TEST(ValuePool, CountsItsValuesAndFallsBackToTheHeapForLargeOnes) {
  TValuePool* pool = TValuePool::Create();
  void* small = TValuePool::Allocate(pool, 40);
  void* large = TValuePool::Allocate(pool, TValuePool::MaxPooledSize + 1);
  void* plain = TValuePool::Allocate(nullptr, 40);
  EXPECT_EQ(TValuePool::PoolOf(small), pool);
  EXPECT_EQ(TValuePool::PoolOf(large), nullptr);
  EXPECT_EQ(TValuePool::PoolOf(plain), nullptr);
  EXPECT_EQ(pool->LiveCount(), 1u);
  TValuePool::Deallocate(large, TValuePool::MaxPooledSize + 1);
  TValuePool::Deallocate(plain, 40);
  // Detached with a value still out: the pool lasts until that value comes back.
  pool->Detach();
  std::memset(small, 7, 40);
  TValuePool::Deallocate(small, 40);
}

// Blob values are shared by reference: one may be held after its store has gone, and must still
// read what was written.
TEST(ValuePool, ABlobOutlivesTheStoreThatMadeIt) {
  TBlob* kept = nullptr;
  const std::u16string text = u"Белешка која остаје";
  {
    TestStore store({{u"id", dtInteger}, {u"note", dtWideMemo}});
    store.InitFields();
    store.Open();
    RecBuf buf(store);
    int32_t id = 1;
    store.PutField(1, buf, false, &id);
    store.WriteBlob(2, buf, 0, static_cast<uint32_t>(text.size() * 2), text.data(), true);
    store.AppendRecord(buf);
    buf.Handed();
    RecBuf read(store, false);
    store.SetToBegin();
    store.GetNextRecord(read);
    kept = store.GetBlob(2, read);
    ASSERT_NE(kept, nullptr);
    EXPECT_NE(TValuePool::PoolOf(kept), nullptr);  // made in the store's pool
    kept->AddRef();
    store.Close();
  }
  std::u16string back(text.size(), u' ');
  EXPECT_EQ(kept->Read(0, 0, back.data()), text.size() * 2);
  EXPECT_EQ(back, text);
  // Changing it after the store is gone takes new pieces from the same pool.
  kept->Write(kept->GetSize(), 4, u"!!");
  EXPECT_EQ(kept->GetSize(), text.size() * 2 + 4);
  kept->Free();
}

TEST(ValuePool, ReopeningAStoreKeepsEveryValueReadable) {
  TestStore store({{u"id", dtInteger}, {u"note", dtMemo}});
  for (int pass = 0; pass < 3; ++pass) {
    store.InitFields();
    store.Open();
    for (int i = 0; i < 500; ++i)
      AppendRow(store, {Variant(i), Variant(AnsiString(300, static_cast<char>('a' + i % 26)))});
    RecBuf read(store, false);
    store.SetToBegin();
    int n = 0;
    for (store.GetNextRecord(read); !store.GetEOF(); store.GetNextRecord(read), ++n)
      ASSERT_EQ(store.GetBlobSize(2, read), 300u);
    EXPECT_EQ(n, 500);
    store.Close();
  }
}

// A block freed and handed out again for the same item count must not let an old bookmark take
// the new occupant for its record.
TEST(BlockManager, AReusedBlockDoesNotReviveOldItems) {
  TBlockManager manager;
  manager.SetRecordSize(16);
  TItemBlock* block = manager.AllocBlock(25);
  TRecordItem* item = manager.BlockItem(block, 3);
  manager.InitUsedItem(item);
  const uint32_t stamp = item->Stamp;
  EXPECT_TRUE(manager.IsLiveItem(block, item, stamp));
  manager.FreeBlock(block);
  EXPECT_FALSE(manager.IsLiveItem(block, item, stamp));
  TItemBlock* again = manager.AllocBlock(25);
  EXPECT_EQ(again->ItemCount, 25);
  EXPECT_EQ(again->UsedItems, 0);
  EXPECT_EQ(again, block);  // the freed block came back
  EXPECT_FALSE(manager.IsLiveItem(block, item, stamp));
  manager.FreeAllBlocks();
  EXPECT_FALSE(manager.IsLiveBlock(again));
}

}  // namespace
