// The in-memory record list: items, record numbers, editing and freeing all records.
#include <atomic>
#include <cstring>

#include "Common/MemData.h"
#include "platform/rtl/Exceptions.h"

namespace {

// Incremented by every InitData of any in-memory store; a bookmark of an older generation never
// trusts its item.
std::atomic<uint32_t> StoreGenerationCounter{1};

}  // namespace

TMemData::TMemData() { InitData(); }

TMemData::~TMemData() {
  ClearHooks();
  try {
    Close();
  } catch (...) {
    // The provider's close failed; Close freed the records all the same.
  }
}

bool TMemData::Fetch(bool) { return false; }

void TMemData::InitData() {
  // Records still held (stored before an Open) are released, never orphaned.
  if (FFirstItem || FBlockManager.FirstBlock()) {
    ReleaseAllRecords();
    FStringHeap.Clear();
    FBlockManager.FreeAllBlocks();
    DetachValuePool();
  }
  TData::InitData();
  ClearCacheItems();
  FFirstItem = FLastItem = FCurrentItem = nullptr;
  FRecordNoCache.clear();
  FStoreGeneration = ++StoreGenerationCounter;
}

void TMemData::ReleaseAllRecords() {
  bool hasObjects = false;
  for (TFieldDesc* field : FFields) {
    const TDataTypeCode code = field->DataType();
    if (IsBlobFieldType(code) || code == dtVariant) hasObjects = true;
  }
  // Clearing the heap first frees every heap value at once; the loop below then skips them.
  FStringHeap.Clear();
  if (!hasObjects) return;
  for (TRecordItem* item = FFirstItem; item; item = item->Next) {
    FreeComplexFields(item->Data(), true);
    if (item->Rollback) FreeComplexFields(item->Rollback->Data(), true);
  }
}

// InitData releases every record (and rollback copy) before it starts the list afresh.
void TMemData::FreeData() { InitData(); }

void TMemData::Reopen() {
  TData::Reopen();
  FRecordNoCache.clear();
  if (!FFilterText.empty()) FilterUpdated();
  if (HasSortColumns()) SortItems();
}

void TMemData::InitFields() {
  TData::InitFields();
  FBlockManager.SetRecordSize(FRecordSize);
  ParseIndexFieldNames();
  // The parsed filter names the descriptors of the new layout again.
  if (FActive && !HasFilterExpression()) ParseFilter(FFilterText);
}

void TMemData::ClearFields() {
  // Sort columns and the parsed filter point to the descriptors about to be freed.
  ClearSortColumns();
  FreeFilter();
  TData::ClearFields();
}

// ---- Items ----

TRecordItem* TMemData::AppendItem() {
  TRecordItem* item = FBlockManager.AllocItem();
  item->Prev = FLastItem;
  item->Order = FLastItem ? FLastItem->Order + 1 : 1;
  if (FLastItem)
    FLastItem->Next = item;
  else
    FFirstItem = item;
  FLastItem = item;
  return item;
}

TRecordItem* TMemData::InsertItem() {
  if (GetEOF()) return AppendItem();
  if (GetBOF()) FCurrentItem = FFirstItem;
  if (!FCurrentItem) return AppendItem();
  TRecordItem* item = FBlockManager.AllocItem();
  item->Next = FCurrentItem;
  item->Prev = FCurrentItem->Prev;
  if (item->Prev)
    item->Prev->Next = item;
  else
    FFirstItem = item;
  FCurrentItem->Prev = item;
  return item;
}

void TMemData::DeleteItem(TRecordItem* item) {
  FRecordNoCache.clear();
  if (item == FCurrentItem) FCurrentItem = item->Next ? item->Next : item->Prev;
  if (item->Prev)
    item->Prev->Next = item->Next;
  else
    FFirstItem = item->Next;
  if (item->Next)
    item->Next->Prev = item->Prev;
  else
    FLastItem = item->Prev;
  if (!FFirstItem) {
    FCurrentItem = nullptr;
    FBof = FEof = true;
  }
  FBlockManager.FreeItem(item);
}

void TMemData::AddRecord(uint8_t* recBuf, TItemUpdateStatus status) {
  TRecordItem* item = InsertItem();
  item->Status = status;
  FCurrentItem = item;
  FBof = FEof = false;
  FRecordNoCache.clear();
  FBlockManager.PutRecord(recBuf, item);
  for (TFieldDesc* field : FFields) {
    if (!IsBlobFieldType(field->DataType()) || field->HasParent() || field->CalcKind() == 2)
      continue;
    TBlob* blob;
    std::memcpy(&blob, FieldData(field, recBuf), sizeof blob);
    if (blob) blob->Commit();
  }
  // Compared with the record it was inserted before; at the end it can only move back.
  if (HasSortColumns())
    MoveToSortPosition(item->Next ? CompareRecords(recBuf, item->Next->Data()) : -1);
  if (IsItemHidden(item)) {
    // A record the filter rejects takes no number and leaves the others' numbers alone.
    item->Order = 0;
    return;
  }
  ++FRecordCount;
  ReorderItems(item, 0);
}

void TMemData::RemoveRecord() {
  TRecordItem* item = FCurrentItem;
  const bool wasVisible = !IsItemHidden(item);
  ReleaseRecord(item);
  DeleteItem(item);
  // A hidden record had no number: the others keep theirs.
  if (!wasVisible) return;
  --FRecordCount;
  ReorderItems(FCurrentItem, 1);
}

void TMemData::InsertRecord(uint8_t* recBuf) {
  if (Caching()) {
    CachedInsertRecord(recBuf);
    return;
  }
  if (!FCachedUpdates) DoAppend(recBuf);
  AddRecord(recBuf);
}

void TMemData::AppendRecord(uint8_t* recBuf) {
  SetToEnd();
  InsertRecord(recBuf);
}

void TMemData::UpdateRecord(uint8_t* recBuf) {
  RTL_ASSERT(FCurrentItem != nullptr, u"UpdateRecord without a current record");
  if (Caching()) {
    CachedUpdateRecord(recBuf);
    return;
  }
  if (!FCachedUpdates) DoUpdate(recBuf);
  StoreUpdatedRecord(recBuf);
}

void TMemData::StoreUpdatedRecord(uint8_t* recBuf) {
  TRecordItem* item = FCurrentItem;
  const bool wasVisible = !IsItemHidden(item);
  const int direction = HasSortColumns() ? CompareRecords(recBuf, item->Data()) : 0;
  PutRecord(recBuf);
  if (HasSortColumns()) {
    MoveToSortPosition(direction);
    ReorderItems(nullptr, 2);
    return;
  }
  const bool visible = !IsItemHidden(item);
  if (wasVisible && !visible) {
    // The record no longer passes the filter: it leaves the numbering like a deleted one.
    --FRecordCount;
    ReorderItems(item, 1);
  } else if (!wasVisible && visible) {
    ++FRecordCount;
    ReorderItems(item, 0);
  }
}

void TMemData::DeleteRecord() {
  RTL_ASSERT(FCurrentItem != nullptr, u"DeleteRecord without a current record");
  if (FCurrentItem == FLastItem) Fetch(false);
  if (Caching()) {
    CachedDeleteRecord();
    return;
  }
  if (FCachedUpdates && HasCacheItem(FCurrentItem)) {
    // A local delete first drops the record's pending change; an inserted record goes with it.
    TRecordItem* item = FCurrentItem;
    const bool inserted = item->Status == isAppended;
    RemoveCacheItem(item);
    RevertItem(item);
    if (!inserted) {
      FCurrentItem = item;
      RemoveRecord();
    }
    ReorderItems(nullptr, 2);
    return;
  }
  if (!FCachedUpdates) DoDelete();
  RemoveRecord();
}

void TMemData::PutRecord(uint8_t* recBuf) {
  RTL_ASSERT(FCurrentItem != nullptr, u"PutRecord without a current record");
  FRecordNoCache.clear();
  FCurrentItem->FilterResult = frUnknown;
  FBlockManager.PutRecord(recBuf, FCurrentItem);
}

// ---- Record numbers ----

bool TMemData::DecideItemHidden(TRecordItem* item) {
  if (!item) return true;
  bool hidden = false;
  if (FCachedUpdates && (item->Status > 7 || !(FFilterItemTypes & (1u << item->Status)))) {
    hidden = true;
  } else if (HasFilter()) {
    uint8_t* rec = item->Data();
    if (FCalcRecordSize > 0 && OnGetCalcFields) {
      FCalcScratch.resize(static_cast<size_t>(FRecordSize + FCalcRecordSize));
      std::memcpy(FCalcScratch.data(), rec, static_cast<size_t>(FRecordSize));
      rec = FCalcScratch.data();
      OnGetCalcFields(rec, nullptr);
    }
    hidden = (FFilterFunc && !FFilterFunc(rec)) || (FFilterMDFunc && !FFilterMDFunc(rec)) ||
             !FilterExpressionAccepts(rec);
  }
  item->FilterResult = hidden ? frHidden : frVisible;
  return hidden;
}

void TMemData::ResetFilterResults() {
  FRecordNoCache.clear();
  for (TRecordItem* item = FFirstItem; item; item = item->Next) item->FilterResult = frUnknown;
}

void TMemData::RenumberForward(TRecordItem* item) {
  TRecordItem* before = item->Prev;
  while (before && IsItemHidden(before)) before = before->Prev;
  int32_t n = 1;
  if (before)
    n = before->Order + 1;
  else
    FRecNoOffset = 0;
  for (TRecordItem* it = item; it; it = it->Next) it->Order = IsItemHidden(it) ? 0 : n++;
}

void TMemData::RenumberBackward(TRecordItem* item, int offsetChange) {
  TRecordItem* after = item->Next;
  while (after && IsItemHidden(after)) after = after->Next;
  int32_t n;
  if (after) {
    n = after->Order - 1;
    FRecNoOffset += offsetChange;
  } else {
    n = FRecordCount;
    FRecNoOffset = 0;
  }
  for (TRecordItem* it = item; it; it = it->Prev) it->Order = IsItemHidden(it) ? 0 : n--;
}

void TMemData::ReorderItems(TRecordItem* item, int mode) {
  FRecordNoCache.clear();
  if (mode == 2) {
    FRecNoOffset = 0;
    int32_t n = 0;
    for (TRecordItem* it = FFirstItem; it; it = it->Next) it->Order = IsItemHidden(it) ? 0 : ++n;
    FRecordCount = n;
    return;
  }
  if (!item) return;
  if (!item->Prev && !item->Next) {
    item->Order = IsItemHidden(item) ? 0 : 1;
    FRecNoOffset = 0;
    return;
  }
  // Only the shorter side of the list is renumbered: the side after the item when the item sits
  // in the second half by record number, else the side before it, with RecNoOffset shifting the
  // numbers of everything after.
  const TRecordItem* neighbour = item->Next ? item->Next : item->Prev;
  if (neighbour->Order + FRecNoOffset > FRecordCount / 2)
    RenumberForward(item);
  else
    RenumberBackward(item, mode == 0 ? 1 : -1);
}

void TMemData::RenumberFrom(TRecordItem* item, bool noCount, bool backward) {
  FRecordNoCache.clear();
  if (!item) return;
  if (backward) {
    int32_t n = item->Order;
    for (TRecordItem* it = item; it; it = it->Prev) it->Order = IsItemHidden(it) ? 0 : n--;
    return;
  }
  TRecordItem* before = item->Prev;
  while (before && IsItemHidden(before)) before = before->Prev;
  int32_t n = before ? before->Order + 1 : 1;
  for (TRecordItem* it = item; it; it = it->Next) {
    if (IsItemHidden(it)) {
      it->Order = 0;
      continue;
    }
    it->Order = n++;
    if (!noCount) ++FRecordCount;
  }
}

void TMemData::CalcStoredFields(TRecordItem* first, TRecordItem* last) {
  if (!OnGetCalcFields || FCalcDataSize >= 1) return;
  if (!first) first = FFirstItem;
  if (!last) last = FLastItem;
  for (TRecordItem* it = first; it; it = it->Next) {
    OnGetCalcFields(it->Data(), nullptr);
    if (it == last) break;
  }
}

void TMemData::BuildRecordNoCache() {
  if (!FRecordNoCache.empty() || !FFirstItem) return;
  // Every block's items share one stride; the index keeps a run of them as its first address.
  TItemBlock* block = FFirstItem->Block;
  FRecordNoCache.Start(reinterpret_cast<uintptr_t>(FBlockManager.BlockItem(block, 1)) -
                       reinterpret_cast<uintptr_t>(FBlockManager.BlockItem(block, 0)));
  // Items whose visibility is not known yet are decided now, so that the cache holds every
  // visible item. A filter that raises leaves no half-built index behind.
  try {
    for (TRecordItem* it = FFirstItem; it; it = it->Next)
      if (!IsItemHidden(it)) FRecordNoCache.Add(it);
  } catch (...) {
    FRecordNoCache.clear();
    throw;
  }
  FRecordNoCache.Finish();
}
