// The record-number index: the item of each visible record by its number, kept compact so that a
// jump to a record costs one load from a small table rather than a cache miss on a pointer array
// as long as the list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Common/MemData_Storage.h"

// Records are taken in groups of 64. A group whose items lie one after another in memory at the
// item stride (as the items of one block do, in list order) is kept as the address of its first
// item; any other group (items of two blocks, a gap where an item is deleted or hidden, an item
// inserted out of place, a sorted order) keeps its item pointers in a side list. The entry's low
// bit tells the two apart: items are pointer-aligned, so an address never has it set.
class TRecNoIndex {
 public:
  static constexpr unsigned GroupShift = 6;
  static constexpr size_t GroupSize = size_t{1} << GroupShift;

  // Starts a new index of items itemStride bytes apart (the memory of an earlier one is kept).
  void Start(size_t itemStride) {
    clear();
    FStride = itemStride;
  }
  // Adds the item of the next record number.
  void Add(TRecordItem* item) {
    FPending[FPendingCount++] = item;
    if (FPendingCount == GroupSize) FlushGroup();
  }
  // Takes in the last, partial group.
  void Finish() {
    if (FPendingCount > 0) FlushGroup();
  }

  void clear() {
    FGroups.clear();
    FSide.clear();
    FCount = 0;
    FPendingCount = 0;
  }
  bool empty() const { return FCount == 0; }
  size_t size() const { return FCount; }
  // How many groups keep their pointers in the side list: a list of large blocks keeps few.
  size_t SideGroupCount() const { return (FSide.size() + GroupSize - 1) / GroupSize; }

  // The item at a zero-based index below size().
  TRecordItem* operator[](size_t index) const {
    const uintptr_t entry = FGroups[index >> GroupShift];
    const size_t slot = index & (GroupSize - 1);
    if (entry & SideTag) return FSide[(entry >> 1) + slot];
    return reinterpret_cast<TRecordItem*>(entry + slot * FStride);
  }

 private:
  static constexpr uintptr_t SideTag = 1;
  static_assert(alignof(TRecordItem) > SideTag, "item addresses must leave the tag bit clear");

  void FlushGroup() {
    const auto first = reinterpret_cast<uintptr_t>(FPending[0]);
    bool strided = true;
    for (size_t i = 1; i < FPendingCount && strided; ++i)
      strided = reinterpret_cast<uintptr_t>(FPending[i]) == first + i * FStride;
    if (strided) {
      FGroups.push_back(first);
    } else {
      FGroups.push_back(static_cast<uintptr_t>(FSide.size()) << 1 | SideTag);
      FSide.insert(FSide.end(), FPending.begin(), FPending.begin() + FPendingCount);
    }
    FCount += FPendingCount;
    FPendingCount = 0;
  }

  std::vector<uintptr_t> FGroups;
  std::vector<TRecordItem*> FSide;
  size_t FStride = 0;
  size_t FCount = 0;
  std::array<TRecordItem*, GroupSize> FPending{};
  size_t FPendingCount = 0;
};
