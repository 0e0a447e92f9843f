// The fetching side of the record set: taking a block of freshly read rows into the record list,
// and forward navigation that fetches more rows when the kept ones are used up.
#include <algorithm>

#include "Common/LxAccess_RecordSet.h"

namespace {

constexpr int32_t MaxFetchAllBlock = 1024;

}  // namespace

TItemBlock* TLxRecordSet::NewFetchBlock() {
  if (FUniDirectional && FFirstItem) {
    // Only the newest block is kept: the rows read so far give their values back first.
    if (FHasComplexFields)
      for (TRecordItem* item = FFirstItem; item; item = item->Next)
        FreeComplexFields(item->Data(), true);
    FBlockManager.FreeAllBlocks();
    FFirstItem = FLastItem = FCurrentItem = nullptr;
    FRecordNoCache.clear();
  }
  // A block's item count is 16-bit; a FetchRows outside 1..65535 is held to that range.
  int32_t rows = std::clamp<int32_t>(FFetchRows, 1, 65535);
  // Taking every row at once, the blocks grow with the rows read so far (an eighth of them, up
  // to MaxFetchAllBlock): a large result then lives in a thousand blocks rather than tens of
  // thousands, each with its header and its entry among the live blocks, and the last block's
  // unused items (made ready with the block) stay a small part of the whole.
  if (FFetchAll && !FUniDirectional)
    rows = std::max(rows, std::min(FRecordCount / 8, MaxFetchAllBlock));
  return FBlockManager.AllocBlock(static_cast<uint16_t>(rows));
}

void TLxRecordSet::InitFetchedItems(TItemBlock* block, int count, bool backwards) {
  FRecordNoCache.clear();
  TRecordItem* firstNew = nullptr;
  TRecordItem* lastNew = nullptr;
  if (backwards) {
    for (int i = count - 1; i >= 0; --i) {
      TRecordItem* item = FBlockManager.BlockItem(block, i);
      FBlockManager.InitUsedItem(item);
      item->Next = FFirstItem;
      item->Order = FFirstItem ? FFirstItem->Order - 1 : FRecordCount;
      if (FFirstItem)
        FFirstItem->Prev = item;
      else
        FLastItem = item;
      FFirstItem = item;
    }
  } else {
    for (int i = 0; i < count; ++i) {
      TRecordItem* item = FBlockManager.BlockItem(block, i);
      FBlockManager.InitUsedItem(item);
      item->Prev = FLastItem;
      item->Order = FLastItem ? FLastItem->Order + 1 : 1;
      if (FLastItem)
        FLastItem->Next = item;
      else
        FFirstItem = item;
      FLastItem = item;
    }
  }
  if (count > 0) {
    firstNew = FBlockManager.BlockItem(block, 0);
    lastNew = FBlockManager.BlockItem(block, count - 1);
    FFirstItem->Prev = nullptr;
    FLastItem->Next = nullptr;
    CalcStoredFields(firstNew, lastNew);
  }

  ProcessFetchedBlock(block, count, backwards);

  if (count < block->ItemCount && !backwards) FFetchEnded = true;
  if (count == 0) {
    // An empty block would only sit on the free list; it goes at once.
    FBlockManager.FreeBlock(block);
    return;
  }
  for (int i = count; i < block->ItemCount; ++i) {
    TRecordItem* item = FBlockManager.BlockItem(block, i);
    item->UpdateResult = urNone;
    FBlockManager.PushFreeItem(item);
  }
  block->UsedItems = static_cast<uint16_t>(count);
}

void TLxRecordSet::ProcessFetchedBlock(TItemBlock* block, int count, bool backwards) {
  if (count == 0) return;
  if (HasFilter() && !FFetchAll) {
    if (backwards)
      RenumberFrom(FBlockManager.BlockItem(block, count - 1), true, true);
    else
      RenumberFrom(FBlockManager.BlockItem(block, 0), FFetchEnded, false);
  } else if (!backwards && !FFetchEnded) {
    FRecordCount += count;
  }
}

TRecordItem* TLxRecordSet::FetchNextCandidate() {
  TRecordItem* formerLast = FLastItem;
  if (!Fetch(false)) return nullptr;
  if (FUniDirectional || GetCanFetchBack()) {
    if (FFirstItem) FFirstItem->Prev = nullptr;
    if (FLastItem) FLastItem->Next = nullptr;
  }
  // With UniDirectional the former rows are gone and the new block is the whole list.
  if (FUniDirectional || !formerLast) return FFirstItem;
  return formerLast->Next;
}

void TLxRecordSet::GetNextRecord(uint8_t* recBuf) {
  if (GetEOF()) return;
  TRecordItem* candidate;
  if (!FFirstItem) {
    candidate = FetchNextCandidate();
  } else if (GetBOF() || !FCurrentItem) {
    candidate = FFirstItem;
  } else {
    candidate = FCurrentItem->Next;
  }
  while (true) {
    if (!candidate) {
      candidate = FetchNextCandidate();
      if (!candidate) {
        FCurrentItem = nullptr;
        FEof = true;
        return;
      }
    }
    if (!IsItemHidden(candidate)) break;
    candidate = candidate->Next;
  }
  FCurrentItem = candidate;
  FBof = false;
  FEof = false;
  if (recBuf) FBlockManager.GetRecord(candidate, recBuf);
}

void TLxRecordSet::GetPriorRecord(uint8_t* recBuf) {
  if (FUniDirectional) {
    // Nothing before the kept block can be reached.
    FBof = true;
    FCurrentItem = nullptr;
    return;
  }
  TMemData::GetPriorRecord(recBuf);
}
