// Record items in blocks: allocation, the free list and copying records in and out.
#include <algorithm>
#include <cstring>
#include <new>

#include "Common/MemData_Storage.h"
#include "platform/rtl/Exceptions.h"

void TBlockManager::SetRecordSize(int32_t size) {
  RTL_ASSERT(FFirstBlock == nullptr, u"RecordSize changed while items are allocated");
  FRecordSize = size;
  // Items stay pointer-aligned so that their headers can be read directly.
  const size_t raw = TRecordItem::HeaderSize + static_cast<size_t>(size);
  FItemStride = (raw + alignof(TRecordItem) - 1) / alignof(TRecordItem) * alignof(TRecordItem);
}

TItemBlock* TBlockManager::TakeSpareBlock(uint16_t count) {
  for (auto& [itemCount, head] : FSpareBlocks) {
    if (itemCount != count || !head) continue;
    TItemBlock* block = head;
    head = block->Next;
    return block;
  }
  return nullptr;
}

TItemBlock* TBlockManager::AllocBlock(uint16_t count) {
  RTL_ASSERT(count > 0, u"AllocBlock: no items");
  TItemBlock* block = TakeSpareBlock(count);
  if (!block)
    block = static_cast<TItemBlock*>(FArena.Allocate(sizeof(TItemBlock) + count * FItemStride));
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
  FLiveBlocks.Insert(block);
  return block;
}

void TBlockManager::FreeBlock(TItemBlock* block) {
  if (block->Prev)
    block->Prev->Next = block->Next;
  else
    FFirstBlock = block->Next;
  if (block->Next) block->Next->Prev = block->Prev;
  FLiveBlocks.Erase(block);
  // Its items are marked free, so that a bookmark into the block never takes one for live.
  for (int i = 0; i < block->ItemCount; ++i) BlockItem(block, i)->Marker = ItemMarkerFree;
  for (auto& [itemCount, head] : FSpareBlocks) {
    if (itemCount != block->ItemCount) continue;
    block->Next = head;
    head = block;
    return;
  }
  block->Next = nullptr;
  FSpareBlocks.emplace_back(block->ItemCount, block);
}

void TBlockManager::FreeAllBlocks() {
  FFirstBlock = nullptr;
  FFirstFreeItem = nullptr;
  FSpareBlocks.clear();
  FLiveBlocks.Clear();
  FArena.Release();
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

namespace {

// Blocks of AllocItem grow once the store holds this much: a small store keeps small blocks.
constexpr size_t GrowFromBytes = 1024 * 1024;
// The most items a block of AllocItem takes: at 100-byte records about 100 KB.
constexpr size_t MaxGrownItemCount = 1024;

}  // namespace

TRecordItem* TBlockManager::AllocItem() {
  if (!FFirstFreeItem) {
    // The blocks of a small store take the default count; once it holds a megabyte, a block
    // takes an eighth of what it holds, so that a large store has few block headers and
    // live-block entries while a deleted record still frees its block within a small
    // neighbourhood.
    const size_t reserved = FArena.ReservedBytes();
    const size_t grown = reserved >= GrowFromBytes ? reserved / FItemStride / 8 : 0;
    const auto count = static_cast<uint16_t>(
        std::clamp<size_t>(grown, FDefaultItemCount, MaxGrownItemCount));
    TItemBlock* block = AllocBlock(count);
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

void TBlockManager::CopyItem(TRecordItem* source, TRecordItem* dest) const {
  if (FDeferred) FDeferred->MakeDeferredValues(source->Data());
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

size_t TBlockSet::SlotOf(const TItemBlock* block) const {
  // Blocks are at least 16-byte aligned: the low bits say nothing.
  uint64_t h = reinterpret_cast<uintptr_t>(block) >> 4;
  h *= 0x9E3779B97F4A7C15ull;
  return static_cast<size_t>(h >> 32) & (FSlots.size() - 1);
}

bool TBlockSet::Contains(const TItemBlock* block) const {
  if (FSlots.empty() || !block) return false;
  for (size_t i = SlotOf(block);; i = (i + 1) & (FSlots.size() - 1)) {
    if (FSlots[i] == block) return true;
    if (!FSlots[i]) return false;
  }
}

void TBlockSet::Grow() {
  std::vector<const TItemBlock*> old(FSlots.empty() ? 16 : FSlots.size() * 2, nullptr);
  old.swap(FSlots);
  FCount = 0;
  for (const TItemBlock* block : old)
    if (block) Insert(block);
}

void TBlockSet::Insert(const TItemBlock* block) {
  if ((FCount + 1) * 2 > FSlots.size()) Grow();
  size_t i = SlotOf(block);
  while (FSlots[i] && FSlots[i] != block) i = (i + 1) & (FSlots.size() - 1);
  if (!FSlots[i]) ++FCount;
  FSlots[i] = block;
}

void TBlockSet::Erase(const TItemBlock* block) {
  if (FSlots.empty()) return;
  const size_t mask = FSlots.size() - 1;
  size_t i = SlotOf(block);
  while (FSlots[i] != block) {
    if (!FSlots[i]) return;
    i = (i + 1) & mask;
  }
  // Backward-shift deletion: entries after the hole move up when their home slot allows it.
  for (size_t j = (i + 1) & mask; FSlots[j]; j = (j + 1) & mask) {
    const size_t home = SlotOf(FSlots[j]);
    if (((j - home) & mask) >= ((j - i) & mask)) {
      FSlots[i] = FSlots[j];
      i = j;
    }
  }
  FSlots[i] = nullptr;
  --FCount;
}
