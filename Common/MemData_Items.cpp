// Record items in blocks: allocation, the free list and copying records in and out.
#include <cstdlib>
#include <cstring>
#include <new>

#include "Common/MemData_Storage.h"
#include "platform/rtl/Exceptions.h"

void TBlockManager::SetRecordSize(int32_t size) {
  RTL_ASSERT(FFirstBlock == nullptr, u"RecordSize changed while items are allocated");
  FRecordSize = size;
  // Items stay pointer-aligned so that their headers can be read directly.
  const size_t raw = sizeof(TRecordItem) + static_cast<size_t>(size);
  FItemStride = (raw + alignof(TRecordItem) - 1) / alignof(TRecordItem) * alignof(TRecordItem);
}

TItemBlock* TBlockManager::AllocBlock(uint16_t count) {
  RTL_ASSERT(count > 0, u"AllocBlock: no items");
  auto* block = static_cast<TItemBlock*>(std::malloc(sizeof(TItemBlock) + count * FItemStride));
  if (!block) throw std::bad_alloc();
  FLiveBlocks.insert(block);
  block->ItemCount = count;
  block->UsedItems = 0;
  block->Prev = nullptr;
  block->Next = FFirstBlock;
  if (FFirstBlock) FFirstBlock->Prev = block;
  FFirstBlock = block;
  for (int i = 0; i < count; ++i) {
    TRecordItem* item = BlockItem(block, i);
    item->Block = block;
    item->Prev = item->Next = item->Rollback = nullptr;
    item->Marker = ItemMarkerFree;
  }
  return block;
}

void TBlockManager::FreeBlock(TItemBlock* block) {
  if (block->Prev)
    block->Prev->Next = block->Next;
  else
    FFirstBlock = block->Next;
  if (block->Next) block->Next->Prev = block->Prev;
  FLiveBlocks.erase(block);
  std::free(block);
}

void TBlockManager::FreeAllBlocks() {
  while (FFirstBlock) {
    TItemBlock* next = FFirstBlock->Next;
    std::free(FFirstBlock);
    FFirstBlock = next;
  }
  FFirstFreeItem = nullptr;
  FLiveBlocks.clear();
}

void TBlockManager::InitUsedItem(TRecordItem* item) {
  item->Marker = ItemMarkerUsed;
  item->Prev = item->Next = nullptr;
  item->Rollback = nullptr;
  item->Status = isUnmodified;
  item->UpdateResult = urNone;
  item->Order = 0;
  item->FilterResult = frUnknown;
  if (++FNextStamp == 0) FNextStamp = 1;
  item->Stamp = FNextStamp;
}

void TBlockManager::PushFreeItem(TRecordItem* item) {
  item->Marker = ItemMarkerFree;
  item->Prev = nullptr;
  item->Next = FFirstFreeItem;
  if (FFirstFreeItem) FFirstFreeItem->Prev = item;
  FFirstFreeItem = item;
}

void TBlockManager::TakeOffFreeList(TRecordItem* item) {
  if (item->Prev)
    item->Prev->Next = item->Next;
  else
    FFirstFreeItem = item->Next;
  if (item->Next) item->Next->Prev = item->Prev;
}

TRecordItem* TBlockManager::AllocItem() {
  if (!FFirstFreeItem) {
    TItemBlock* block = AllocBlock(FDefaultItemCount);
    // Pushed last to first, so that items are handed out in address order.
    for (int i = block->ItemCount - 1; i >= 0; --i) PushFreeItem(BlockItem(block, i));
  }
  TRecordItem* item = FFirstFreeItem;
  RTL_ASSERT(item->Marker == ItemMarkerFree, u"AllocItem: item is not free");
  TakeOffFreeList(item);
  InitUsedItem(item);
  ++item->Block->UsedItems;
  return item;
}

void TBlockManager::FreeItem(TRecordItem* item) {
  RTL_ASSERT(item->Marker == ItemMarkerUsed, u"FreeItem: item is not in use");
  TItemBlock* block = item->Block;
  if (block->UsedItems > 1) {
    PushFreeItem(item);
    --block->UsedItems;
    return;
  }
  item->Marker = ItemMarkerFree;
  for (int i = 0; i < block->ItemCount; ++i) {
    TRecordItem* other = BlockItem(block, i);
    if (other == item) continue;
    RTL_ASSERT(other->Marker == ItemMarkerFree, u"FreeItem: block still has items in use");
    TakeOffFreeList(other);
  }
  FreeBlock(block);
}

void TBlockManager::PutRecord(const uint8_t* recBuf, TRecordItem* item) const {
  std::memcpy(item->Data(), recBuf, static_cast<size_t>(FRecordSize));
}

void TBlockManager::GetRecord(TRecordItem* item, uint8_t* recBuf) const {
  std::memcpy(recBuf, item->Data(), static_cast<size_t>(FRecordSize));
}

void TBlockManager::CopyItem(TRecordItem* source, TRecordItem* dest) const {
  std::memcpy(dest->Data(), source->Data(), static_cast<size_t>(FRecordSize));
}

bool TBlockManager::IsLiveItem(const TItemBlock* block, const TRecordItem* item,
                               uint32_t stamp) const {
  if (!block || !item || !IsLiveBlock(block)) return false;
  const auto first = reinterpret_cast<uintptr_t>(block) + sizeof(TItemBlock);
  const auto at = reinterpret_cast<uintptr_t>(item);
  if (at < first) return false;
  const uintptr_t offset = at - first;
  if (offset % FItemStride != 0 || offset / FItemStride >= block->ItemCount) return false;
  return item->Marker == ItemMarkerUsed && item->Stamp == stamp;
}
