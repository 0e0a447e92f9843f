// Cached updates, part one: recording inserts, updates and deletes on the record items, the
// cache list, the rollback copies that keep a record's values from before its first change,
// and reverting a record to them.
#include <cstring>

#include "Common/MemData.h"
#include "Common/MemUtils.h"
#include "platform/rtl/Exceptions.h"

namespace {

// A blob field whose blob the record owns (not a sub-field, not in the calculated area).
bool IsOwnBlob(TData& data, const TFieldDesc* field) {
  return data.IsBlobFieldType(field->DataType()) && !field->HasParent() &&
         field->CalcKind() != 2;
}

}  // namespace

// ---- The cache list ----

void TMemData::AddCacheItem(TRecordItem* item) {
  if (HasCacheItem(item)) return;
  FCacheItems.push_back(item);
  try {
    FCacheIndex.emplace(item, std::prev(FCacheItems.end()));
  } catch (...) {
    FCacheItems.pop_back();
    throw;
  }
}

void TMemData::RemoveCacheItem(TRecordItem* item) {
  const auto found = FCacheIndex.find(item);
  if (found == FCacheIndex.end()) return;
  const TCacheList::iterator it = found->second;
  // A walk of ApplyUpdates in progress (a hook may revert or commit) steps past the entry.
  for (TApplyWalk* walk = FApplyWalk; walk; walk = walk->Outer) walk->Forget(it);
  FCacheIndex.erase(found);
  FCacheItems.erase(it);
}

void TMemData::ClearCacheItems() {
  for (TApplyWalk* walk = FApplyWalk; walk; walk = walk->Outer) walk->ForgetAll(FCacheItems.end());
  FCacheItems.clear();
  FCacheIndex.clear();
}

void TMemData::ReleaseRecord(TRecordItem* item) {
  FreeComplexFields(item->Data(), true);
  if (TRecordItem* rollback = item->Rollback) {
    FreeComplexFields(rollback->Data(), true);
    item->Rollback = nullptr;
    FBlockManager.FreeItem(rollback);
  }
}

// ---- Rollback copies ----

void TMemData::MakeRollback(TRecordItem* item) {
  TRecordItem* rollback = FBlockManager.AllocItem();
  FBlockManager.CopyItem(item, rollback);
  try {
    AddRefComplexFields(rollback->Data());
  } catch (...) {
    FBlockManager.FreeItem(rollback);
    throw;
  }
  item->Rollback = rollback;
}

void TMemData::SeparateRollbackBlobs(TRecordItem* item) {
  // A blob the record shares with its rollback copy and that was changed by this edit holds the
  // earlier content as its own rollback. The copy takes that content into a blob of its own, so
  // that committing the live blob does not lose it. This is done on every cached update, not
  // only the first: a blob left alone by the first update may be changed by a later one.
  TRecordItem* rollback = item->Rollback;
  for (TFieldDesc* field : FFields) {
    if (!IsOwnBlob(*this, field)) continue;
    TBlob* live = LoadPtr<TBlob>(FieldData(field, item->Data()));
    uint8_t* copySlot = FieldData(field, rollback->Data());
    if (!live || LoadPtr<TBlob>(copySlot) != live || !live->HasRollback()) continue;
    TBlob* earlier = dynamic_cast<TCompressedBlob*>(live)
                         ? new (ValuePool()) TCompressedBlob(live->IsUnicode())
                         : new (ValuePool()) TBlob(live->IsUnicode());
    earlier->SetStore(live->RollbackStore());
    live->Commit();
    StorePtr(copySlot, earlier);
    live->Free();  // the copy's reference to the live blob
  }
}

void TMemData::RestoreRollback(TRecordItem* item) {
  TRecordItem* rollback = item->Rollback;
  if (!rollback) return;
  for (TFieldDesc* field : FFields) {
    if (!IsOwnBlob(*this, field)) continue;
    TBlob* live = LoadPtr<TBlob>(FieldData(field, item->Data()));
    uint8_t* copySlot = FieldData(field, rollback->Data());
    TBlob* earlier = LoadPtr<TBlob>(copySlot);
    if (!live || !earlier || live == earlier) continue;
    // The live blob object takes the earlier content, so every buffer pointing to it sees it.
    live->Commit();
    live->SetStore(earlier->Store());
    StorePtr(copySlot, live);
    live->AddRef();
    earlier->Free();
  }
  const int direction = HasSortColumns() ? CompareRecords(rollback->Data(), item->Data()) : 0;
  FreeComplexFields(item->Data(), true);
  FBlockManager.CopyItem(rollback, item);  // the item takes over the copy's references
  item->Rollback = nullptr;
  FBlockManager.FreeItem(rollback);
  item->FilterResult = frUnknown;
  FRecordNoCache.clear();
  if (direction != 0) MoveItemToSortPosition(item, direction);
}

void TMemData::RevertItem(TRecordItem* item) {
  switch (item->Status) {
    case isAppended:
      if (!IsItemHidden(item)) --FRecordCount;
      ReleaseRecord(item);
      DeleteItem(item);
      return;
    case isUpdated:
      RestoreRollback(item);
      break;
    case isDeleted:
      ++FRecordCount;
      break;
    default:
      break;
  }
  item->Status = isUnmodified;
  item->UpdateResult = urNone;
  item->FilterResult = frUnknown;
}

// ---- Editing with cached updates ----

void TMemData::CachedInsertRecord(uint8_t* recBuf) {
  AddRecord(recBuf, isAppended);
  AddCacheItem(FCurrentItem);
  FCurrentItem->UpdateResult = urNone;
}

void TMemData::CachedUpdateRecord(uint8_t* recBuf) {
  TRecordItem* item = FCurrentItem;
  if (item->Status == isDeleted) throw Exception(u"A deleted record cannot be changed");
  if (item->Status == isUnmodified) AddCacheItem(item);
  // An insert not applied yet stays an insert: applying it sends the latest values.
  if (item->Status != isAppended || item->UpdateResult == urApplied) {
    item->Status = isUpdated;
    if (!item->Rollback) MakeRollback(item);
    SeparateRollbackBlobs(item);
    item->UpdateResult = urNone;
  }
  StoreUpdatedRecord(recBuf);
}

void TMemData::CachedDeleteRecord() {
  TRecordItem* item = FCurrentItem;
  const bool wasVisible = !IsItemHidden(item);
  bool moved = false;
  switch (item->Status) {
    case isUnmodified:
      AddCacheItem(item);
      break;
    case isUpdated: {
      // The deleted record keeps its values from before the first update; the position
      // stays where the record was.
      TRecordItem* oldNext = item->Next;
      TRecordItem* oldPrev = item->Prev;
      RestoreRollback(item);
      moved = item->Next != oldNext;
      if (oldNext)
        FCurrentItem = oldNext->Prev ? oldNext->Prev : FFirstItem;
      else
        FCurrentItem = oldPrev && oldPrev->Next ? oldPrev->Next : FLastItem;
      break;
    }
    case isAppended:
      RemoveCacheItem(item);
      ReleaseRecord(item);
      DeleteItem(item);
      if (wasVisible) {
        --FRecordCount;
        ReorderItems(FCurrentItem, 1);
      }
      return;
    default:
      return;  // already deleted
  }
  item->Status = isDeleted;
  item->UpdateResult = urNone;
  item->FilterResult = frUnknown;
  FRecordNoCache.clear();
  const bool visible = !IsItemHidden(item);
  if (wasVisible && !visible) --FRecordCount;
  if (moved)
    ReorderItems(nullptr, 2);
  else if (wasVisible != visible)
    ReorderItems(item, 1);
}
