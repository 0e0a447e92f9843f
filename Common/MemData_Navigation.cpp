// Navigation of the in-memory record list: both ends, next and prior, record numbers and
// bookmarks.
#include <cstdlib>
#include <cstring>

#include "Common/MemData.h"
#include "platform/rtl/Exceptions.h"

void TMemData::SetToBegin() {
  FCurrentItem = nullptr;
  FBof = true;
  FEof = FFirstItem == nullptr;
}

void TMemData::SetToEnd() {
  FCurrentItem = nullptr;
  FEof = true;
  FBof = FFirstItem == nullptr;
}

TRecordItem* TMemData::NextVisible(TRecordItem* item) {
  while (item && IsItemHidden(item)) item = item->Next;
  return item;
}

TRecordItem* TMemData::PriorVisible(TRecordItem* item) {
  while (item && IsItemHidden(item)) item = item->Prev;
  return item;
}

void TMemData::GetNextRecord(uint8_t* recBuf) {
  if (GetEOF()) return;
  TRecordItem* item;
  if (GetBOF()) {
    FBof = false;
    item = FFirstItem;
  } else {
    item = FCurrentItem ? FCurrentItem->Next : FFirstItem;
  }
  item = NextVisible(item);
  FCurrentItem = item;
  if (!item) {
    FEof = true;
    return;
  }
  if (recBuf) FBlockManager.GetRecord(item, recBuf);
}

void TMemData::GetPriorRecord(uint8_t* recBuf) {
  if (GetBOF()) return;
  TRecordItem* item;
  if (GetEOF()) {
    FEof = false;
    item = FLastItem;
  } else {
    item = FCurrentItem ? FCurrentItem->Prev : FLastItem;
  }
  item = PriorVisible(item);
  FCurrentItem = item;
  if (!item) {
    FBof = true;
    return;
  }
  if (recBuf) FBlockManager.GetRecord(item, recBuf);
}

namespace {

// A record's bytes in 16-byte pieces, the last piece overlapping the one before it: a record is
// a few such pieces, and a call of the library's copy per record costs about as much as the copy.
void CopyRecordBytes(uint8_t* dest, const uint8_t* source, size_t size) {
  if (size < 16) {
    std::memcpy(dest, source, size);
    return;
  }
  for (size_t at = 0; at + 16 <= size; at += 16) std::memcpy(dest + at, source + at, 16);
  std::memcpy(dest + size - 16, source + size - 16, 16);
}

}  // namespace

void TMemData::ReadNextHeldRecords(uint8_t* const* recBufs, TRecordItem** items, int count,
                                   int& read) {
  TRecordItem* item = FCurrentItem;
  if (!item) return;
  TDeferredValues* deferred = FBlockManager.DeferredValues();
  const size_t size = static_cast<size_t>(FBlockManager.RecordSize());
  int done = read;
  try {
    while (done < count) {
      item = NextVisible(item->Next);  // a filter may raise
      if (!item) break;
      FCurrentItem = item;
      // As TBlockManager::GetRecord reads a record out.
      if (deferred) deferred->MakeDeferredValues(item->Data());
      CopyRecordBytes(recBufs[done], item->Data(), size);
      items[done] = item;
      ++done;
    }
  } catch (...) {
    read = done;
    throw;
  }
  read = done;
}

void TMemData::GetRecord(uint8_t* recBuf) {
  if (GetEOF() || GetBOF() || !FCurrentItem) return;
  if (IsItemHidden(FCurrentItem)) {
    GetNextRecord(recBuf);
    return;
  }
  FBlockManager.GetRecord(FCurrentItem, recBuf);
}

void TMemData::SetRecNo(int32_t recNo) {
  // A built index answers every number it holds; SetRecNoUnindexed takes the other cases.
  const size_t index = static_cast<uint32_t>(recNo) - 1u;
  if (index < FRecordNoCache.size()) {
    FCurrentItem = FRecordNoCache[index];
    FBof = FEof = false;
    return;
  }
  SetRecNoUnindexed(recNo);
}

// Out of line, so that the indexed jump above saves no registers for it.
[[gnu::noinline]] void TMemData::SetRecNoUnindexed(int32_t recNo) {
  if (!FFirstItem || recNo < 1) return;
  if (FRecordNoCache.empty()) {
    // Walk from the nearest of the first record, the last visible one and the current one.
    TRecordItem* start = FFirstItem;
    int64_t distance = recNo;
    bool forward = true;
    auto consider = [&](TRecordItem* item) {
      if (!item || IsItemHidden(item)) return;
      const int64_t d = std::llabs(static_cast<int64_t>(RecNoOf(item)) - recNo);
      if (d < distance) {
        distance = d;
        start = item;
        forward = RecNoOf(item) <= recNo;
      }
    };
    consider(PriorVisible(FLastItem));
    consider(FCurrentItem ? FCurrentItem : FFirstItem);
    // A long jump builds the record-number index instead: it costs one pass over the list and
    // makes every later jump direct until the list changes.
    if (distance > 64 && distance * 4 >= FRecordCount && recNo <= FRecordCount) {
      BuildRecordNoCache();
    } else {
      TRecordItem* item = start;
      while (item) {
        if (!IsItemHidden(item)) {
          const int32_t n = RecNoOf(item);
          if (n == recNo) {
            FCurrentItem = item;
            FBof = FEof = false;
            return;
          }
          if (forward ? n > recNo : n < recNo) return;
        }
        if (forward) {
          if (!item->Next && !Fetch(false)) return;
          item = item->Next;
        } else {
          item = item->Prev;
        }
      }
      return;
    }
  }
  if (static_cast<size_t>(recNo) <= FRecordNoCache.size()) {
    FCurrentItem = FRecordNoCache[static_cast<size_t>(recNo) - 1];
    FBof = FEof = false;
  }
}

bool TMemData::ItemIsLive(const TRecBookmark* bookmark) const {
  return bookmark->Generation == FStoreGeneration &&
         FBlockManager.IsLiveItem(bookmark->Block, bookmark->Item, bookmark->Stamp);
}

void TMemData::SetToBookmark(TRecBookmark* bookmark) {
  if (ItemIsLive(bookmark)) {
    FCurrentItem = bookmark->Item;
    FBof = FEof = false;
    return;
  }
  TData::SetToBookmark(bookmark);
}

bool TMemData::BookmarkValid(TRecBookmark* bookmark) {
  if (!bookmark) return false;
  const bool live = ItemIsLive(bookmark);
  bool valid = bookmark->RecNo != -1 && bookmark->RecNo <= FRecordCount;
  if (!valid && live) valid = bookmark->Item->Order <= FRecordCount;
  if (valid && live && HasFilter()) valid = !IsItemHidden(bookmark->Item);
  return valid;
}

int TMemData::CompareBookmarks(TRecBookmark* bookmark1, TRecBookmark* bookmark2) {
  if (bookmark1 && bookmark2 && ItemIsLive(bookmark1) && ItemIsLive(bookmark2)) {
    if (bookmark1->Item == bookmark2->Item) return 0;
    return bookmark1->Item->Order < bookmark2->Item->Order ? -1 : 1;
  }
  return TData::CompareBookmarks(bookmark1, bookmark2);
}
