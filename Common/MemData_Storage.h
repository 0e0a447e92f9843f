// Where the in-memory store keeps its records and by-reference values: record items in blocks
// (TBlockManager) and a pool of small texts and byte values (TStringHeap). Part of unit MemData.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "Common/MemData_Arena.h"

// The status of a record item under cached updates.
using TItemUpdateStatus = uint8_t;
constexpr TItemUpdateStatus isUnmodified = 0;
constexpr TItemUpdateStatus isUpdated = 1;
constexpr TItemUpdateStatus isAppended = 2;
constexpr TItemUpdateStatus isDeleted = 3;

// Results of applying a cached change: the platform's update actions 0..4, then none and deferred.
constexpr uint8_t urFail = 0;
constexpr uint8_t urAbort = 1;
constexpr uint8_t urSkip = 2;
constexpr uint8_t urRetry = 3;
constexpr uint8_t urApplied = 4;
constexpr uint8_t urNone = 5;
constexpr uint8_t urDeferred = 6;

constexpr uint8_t ItemMarkerUsed = 0xEE;
constexpr uint8_t ItemMarkerFree = 0xDD;

// FilterResult of an item.
constexpr uint8_t frUnknown = 0;
constexpr uint8_t frVisible = 1;
constexpr uint8_t frHidden = 2;

struct TItemBlock;

// The addresses of the blocks a manager has allocated: an open-addressing hash set, so that
// registering a block costs no allocation of its own.
class TBlockSet {
 public:
  bool Contains(const TItemBlock* block) const;
  void Insert(const TItemBlock* block);
  void Erase(const TItemBlock* block);
  void Clear() {
    FSlots.clear();
    FCount = 0;
  }

 private:
  size_t SlotOf(const TItemBlock* block) const;
  void Grow();

  std::vector<const TItemBlock*> FSlots;  // nil marks an empty slot; size is a power of two
  size_t FCount = 0;
};

// A record item: this header, then the record's RecordSize bytes. The record starts right after
// the last header byte, in what would be the header's tail padding (the record's values are read
// byte-wise, never as aligned words): items are laid out by the block manager and never copied as
// whole structs.
struct TRecordItem {
  TItemBlock* Block;
  TRecordItem* Prev;
  TRecordItem* Next;
  TRecordItem* Rollback;  // the record before its first cached change, or nil
  int32_t Order;          // number among the visible items before RecNoOffset; 0 when hidden
  // A number given to the item each time it is taken into use; a bookmark keeps it so that an
  // item reused for another record is not taken for the bookmark's record.
  uint32_t Stamp;
  TItemUpdateStatus Status;
  uint8_t UpdateResult;
  uint8_t Marker;        // ItemMarkerUsed or ItemMarkerFree
  uint8_t FilterResult;  // frUnknown, frVisible, frHidden

  static constexpr size_t HeaderSize = 44;  // up to and with FilterResult
  uint8_t* Data() { return reinterpret_cast<uint8_t*>(this) + HeaderSize; }
};
static_assert(offsetof(TRecordItem, FilterResult) + 1 == TRecordItem::HeaderSize);

// A block of items: this header, then ItemCount items back to back.
struct TItemBlock {
  uint16_t ItemCount;
  uint16_t UsedItems;
  TItemBlock* Prev;  // the next newer block
  TItemBlock* Next;  // the next older block
};

// Makes the values a stored record was left without (the blob of a NULL value of a fetched row)
// when the record is first read out or copied, so that every buffer that holds the record shares
// them as it would have shared values made with the record.
class TDeferredValues {
 public:
  virtual void MakeDeferredValues(uint8_t* record) = 0;

 protected:
  ~TDeferredValues() = default;
};

// Allocates record items ten to a block and keeps the free ones on a list. Blocks are carved from
// the manager's arena; a freed block waits for the next block of its item count, and the memory
// goes back with FreeAllBlocks.
class TBlockManager {
 public:
  TBlockManager() = default;
  ~TBlockManager() { FreeAllBlocks(); }
  TBlockManager(const TBlockManager&) = delete;
  TBlockManager& operator=(const TBlockManager&) = delete;

  int32_t RecordSize() const { return FRecordSize; }
  // Only while no block is allocated: items of a block share one size.
  void SetRecordSize(int32_t size);
  uint16_t DefaultItemCount() const { return FDefaultItemCount; }
  TItemBlock* FirstBlock() const { return FFirstBlock; }
  TRecordItem* FirstFreeItem() const { return FFirstFreeItem; }

  // A new block of count items (not on the free list); it becomes FirstBlock.
  TItemBlock* AllocBlock(uint16_t count);
  void FreeBlock(TItemBlock* block);
  void FreeAllBlocks();
  // Item i of a block.
  TRecordItem* BlockItem(TItemBlock* block, int index) const {
    return reinterpret_cast<TRecordItem*>(reinterpret_cast<uint8_t*>(block) + sizeof(TItemBlock) +
                                          static_cast<size_t>(index) * FItemStride);
  }
  // Marks an item of a block as in use as AllocItem does (for stores that fill blocks
  // themselves); the caller counts it in the block's UsedItems.
  void InitUsedItem(TRecordItem* item);
  // Puts an unused item of a block on the free list.
  void PushFreeItem(TRecordItem* item);

  TRecordItem* AllocItem();
  void FreeItem(TRecordItem* item);

  static uint8_t* GetItemData(TRecordItem* item) { return item->Data(); }
  void PutRecord(const uint8_t* recBuf, TRecordItem* item) const;
  // Both make the source's deferred values first. GetRecord is inline: a jump to a record reads
  // it with no call.
  void GetRecord(TRecordItem* item, uint8_t* recBuf) const {
    if (FDeferred) FDeferred->MakeDeferredValues(item->Data());
    std::memcpy(recBuf, item->Data(), static_cast<size_t>(FRecordSize));
  }
  void CopyItem(TRecordItem* source, TRecordItem* dest) const;
  // Who makes deferred values (nil: no record leaves any).
  void SetDeferredValues(TDeferredValues* maker) { FDeferred = maker; }
  TDeferredValues* DeferredValues() const { return FDeferred; }

  // Whether a block of this manager is allocated at that address now. Lets a bookmark be checked
  // without touching memory that may have been freed.
  bool IsLiveBlock(const TItemBlock* block) const { return FLiveBlocks.Contains(block); }
  // Whether item is an item in use of that live block and still carries the stamp; reads only
  // memory of a live block.
  bool IsLiveItem(const TItemBlock* block, const TRecordItem* item, uint32_t stamp) const;

 private:
  void TakeOffFreeList(TRecordItem* item);
  TItemBlock* TakeSpareBlock(uint16_t count);

  TPageArena FArena;
  // Freed blocks by item count, each a list through the blocks' Next.
  std::vector<std::pair<uint16_t, TItemBlock*>> FSpareBlocks;
  TRecordItem* FFirstFreeItem = nullptr;
  TItemBlock* FFirstBlock = nullptr;
  int32_t FRecordSize = 0;
  size_t FItemStride = sizeof(TRecordItem);
  uint16_t FDefaultItemCount = 10;
  uint32_t FNextStamp = 1;
  TBlockSet FLiveBlocks;
  TDeferredValues* FDeferred = nullptr;
};

// A pool of small buffers for texts and byte values held by reference. Each buffer carries a
// size word and a reference word (100 + holders); buffers of up to 2,000 bytes come in 8-byte
// size classes from 16 KB blocks (carved from the heap's arena) and are reused through free lists.
class TStringHeap {
 public:
  static constexpr int SmallClassCount = 250;
  static constexpr int BlockDataSize = 16380;
  static constexpr uint16_t RefFree = 100;

  TStringHeap() = default;
  ~TStringHeap();
  TStringHeap(const TStringHeap&) = delete;
  TStringHeap& operator=(const TStringHeap&) = delete;

  // A buffer of at least size usable bytes with one holder; nil below 1.
  uint8_t* NewBuf(int32_t size);
  // A heap copy of a zero-terminated text with its terminator (nil for nil). With trim, trailing
  // blanks are left out; len -1 means up to the terminator.
  char* AllocStr(const char* text, bool trim = false, int32_t len = -1);
  char16_t* AllocWideStr(const char16_t* text, bool trim = false, int32_t len = -1);
  // Drops one holder; the last one returns the buffer to its free list.
  void DisposeBuf(void* buf);
  void AddRefStr(void* buf);
  // Frees every block and every large buffer at once.
  void Clear();

  bool Empty() const { return FEmpty; }
  bool LargeAllocated() const { return FLargeAllocated; }
  // The usable size and reference word of a buffer (for checks and tests).
  static int32_t BufSize(const void* buf);
  static uint16_t BufRefWord(const void* buf);

 private:
  static constexpr int HeaderSize = 6;  // 32-bit size word, 16-bit reference word
  struct Block;
  struct LargeHeader;

  uint8_t* CarveSmall(int sizeClass);
  void PushFree(uint8_t* buf, int sizeClass);
  void NewBlock();

  TPageArena FArena;
  uint8_t* FSmallTab[SmallClassCount + 1] = {};
  Block* FCurrentBlock = nullptr;
  int32_t FFree = 0;
  LargeHeader* FLargeList = nullptr;
  bool FEmpty = true;
  bool FLargeAllocated = false;
};
