#include <gtest/gtest.h>

#include <vector>

#include "Common/MemData_Storage.h"
#include "platform/rtl/Exceptions.h"

namespace {

int FreeListLength(const TBlockManager& manager) {
  int n = 0;
  for (TRecordItem* item = manager.FirstFreeItem(); item; item = item->Next) ++n;
  return n;
}

TEST(BlockManager, ItemsComeTenToABlock) {
  TBlockManager manager;
  manager.SetRecordSize(23);
  TRecordItem* first = manager.AllocItem();
  EXPECT_EQ(first->Marker, ItemMarkerUsed);
  EXPECT_EQ(first->Status, isUnmodified);
  EXPECT_EQ(first->UpdateResult, urNone);
  EXPECT_EQ(first->FilterResult, frUnknown);
  EXPECT_EQ(first->Rollback, nullptr);
  EXPECT_EQ(first->Block->ItemCount, 10);
  EXPECT_EQ(first->Block->UsedItems, 1);
  EXPECT_EQ(FreeListLength(manager), 9);
  std::vector<TRecordItem*> items{first};
  for (int i = 0; i < 9; ++i) items.push_back(manager.AllocItem());
  EXPECT_EQ(items.back()->Block, first->Block);
  TRecordItem* eleventh = manager.AllocItem();
  EXPECT_NE(eleventh->Block, first->Block);
  EXPECT_EQ(manager.FirstBlock(), eleventh->Block);  // the newest block comes first
  // Items of a block do not overlap and keep their headers aligned.
  for (size_t i = 1; i < items.size(); ++i) {
    EXPECT_GE(reinterpret_cast<uint8_t*>(items[i]) - reinterpret_cast<uint8_t*>(items[i - 1]),
              static_cast<std::ptrdiff_t>(sizeof(TRecordItem) + 23));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(items[i]) % alignof(TRecordItem), 0u);
  }
  for (TRecordItem* item : items) manager.FreeItem(item);
  manager.FreeItem(eleventh);
}

TEST(BlockManager, FreeingTheLastUsedItemFreesTheBlock) {
  TBlockManager manager;
  manager.SetRecordSize(8);
  std::vector<TRecordItem*> items;
  for (int i = 0; i < 12; ++i) items.push_back(manager.AllocItem());
  TItemBlock* older = items[0]->Block;
  EXPECT_EQ(FreeListLength(manager), 8);
  for (int i = 0; i < 9; ++i) manager.FreeItem(items[static_cast<size_t>(i)]);
  EXPECT_TRUE(manager.IsLiveBlock(older));
  EXPECT_EQ(FreeListLength(manager), 17);
  manager.FreeItem(items[9]);  // the older block's last used item
  EXPECT_FALSE(manager.IsLiveBlock(older));
  EXPECT_EQ(FreeListLength(manager), 8);  // its nine free items left the free list with it
  EXPECT_EQ(manager.FirstBlock()->Next, nullptr);
  manager.FreeItem(items[10]);
  manager.FreeItem(items[11]);
  EXPECT_EQ(manager.FirstBlock(), nullptr);
  EXPECT_EQ(manager.FirstFreeItem(), nullptr);
}

// A store that grows large takes larger blocks (never more items than a block can count), and
// every item of them still goes back: freeing all items frees all blocks.
TEST(BlockManager, ALargeStoreTakesLargerBlocks) {
  TBlockManager manager;
  manager.SetRecordSize(100);
  std::vector<TRecordItem*> items;
  for (int i = 0; i < 50000; ++i) items.push_back(manager.AllocItem());
  EXPECT_EQ(items.front()->Block->ItemCount, 10);
  const uint16_t last = items.back()->Block->ItemCount;
  EXPECT_GT(last, 10);
  EXPECT_LE(last, 1024);
  for (size_t i = 0; i < items.size(); ++i) {
    ASSERT_EQ(items[i]->Marker, ItemMarkerUsed) << i;  // no item handed out twice
    items[i]->Marker = 0;
  }
  for (TRecordItem* item : items) item->Marker = ItemMarkerUsed;
  for (TRecordItem* item : items) manager.FreeItem(item);
  EXPECT_EQ(manager.FirstBlock(), nullptr);
  EXPECT_EQ(manager.FirstFreeItem(), nullptr);
}

TEST(BlockManager, MarkersGuardAgainstDoubleFree) {
  TBlockManager manager;
  manager.SetRecordSize(4);
  TRecordItem* a = manager.AllocItem();
  TRecordItem* b = manager.AllocItem();
  manager.FreeItem(a);
  EXPECT_EQ(a->Marker, ItemMarkerFree);
  EXPECT_THROW(manager.FreeItem(a), EAssertionFailed);
  manager.FreeItem(b);
}

TEST(BlockManager, ReusedItemGetsANewStamp) {
  TBlockManager manager;
  manager.SetRecordSize(4);
  TRecordItem* keep = manager.AllocItem();
  TRecordItem* a = manager.AllocItem();
  const uint32_t stamp = a->Stamp;
  manager.FreeItem(a);
  TRecordItem* again = manager.AllocItem();
  EXPECT_EQ(again, a);
  EXPECT_NE(again->Stamp, stamp);
  manager.FreeItem(again);
  manager.FreeItem(keep);
}

TEST(BlockManager, RecordsCopyInAndOut) {
  TBlockManager manager;
  manager.SetRecordSize(5);
  TRecordItem* a = manager.AllocItem();
  TRecordItem* b = manager.AllocItem();
  const uint8_t in[5] = {1, 2, 3, 4, 5};
  manager.PutRecord(in, a);
  manager.CopyItem(a, b);
  uint8_t out[6] = {9, 9, 9, 9, 9, 9};
  manager.GetRecord(b, out);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{1, 2, 3, 4, 5, 9}));
  EXPECT_EQ(TBlockManager::GetItemData(a)[4], 5);
  manager.FreeAllBlocks();
}

TEST(BlockManager, RecordsNeverReachTheirNeighbours) {
  // Records of every size against the ends of their items: a full record leaves its own header
  // and the next item's header as they were.
  for (int32_t size : {1, 3, 4, 5, 41, 55, 97}) {
    TBlockManager manager;
    manager.SetRecordSize(size);
    TRecordItem* first = manager.AllocItem();
    TRecordItem* second = manager.AllocItem();
    ASSERT_EQ(second->Block, first->Block);
    const uint32_t stamp = second->Stamp;
    std::vector<uint8_t> full(static_cast<size_t>(size), 0xAB);
    manager.PutRecord(full.data(), first);
    manager.PutRecord(full.data(), second);
    for (TRecordItem* item : {first, second}) {
      EXPECT_EQ(item->Block, first->Block) << size;
      EXPECT_EQ(item->Marker, ItemMarkerUsed) << size;
      EXPECT_EQ(item->FilterResult, frUnknown) << size;
      EXPECT_EQ(item->UpdateResult, urNone) << size;
      EXPECT_EQ(item->Rollback, nullptr) << size;
    }
    EXPECT_EQ(second->Stamp, stamp);
    std::vector<uint8_t> back(static_cast<size_t>(size));
    manager.GetRecord(first, back.data());
    EXPECT_EQ(back, full) << size;
    manager.FreeItem(first);
    manager.FreeItem(second);
  }
}

TEST(BlockSet, AgreesWithAReferenceSetThroughInsertsAndErases) {
  TBlockSet set;
  std::vector<uint64_t> storage(4096);
  auto addressOf = [&](size_t i) {
    return reinterpret_cast<const TItemBlock*>(&storage[i * 2]);  // 16-byte steps
  };
  std::vector<bool> reference(2048, false);
  uint32_t seed = 1;
  for (int step = 0; step < 100000; ++step) {
    seed = seed * 1103515245u + 12345u;
    const size_t i = (seed >> 8) % 2048;
    if ((seed >> 4) % 3 == 0) {
      set.Erase(addressOf(i));
      reference[i] = false;
    } else {
      set.Insert(addressOf(i));
      reference[i] = true;
    }
    if (step % 997 == 0) {
      for (size_t j = 0; j < 2048; ++j) {
        ASSERT_EQ(set.Contains(addressOf(j)), reference[j]) << j;
      }
    }
  }
  EXPECT_FALSE(set.Contains(nullptr));
  set.Clear();
  EXPECT_FALSE(set.Contains(addressOf(0)));
}

}  // namespace
