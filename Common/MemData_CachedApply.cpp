// Cached updates, part two: applying the recorded changes through the dataset's hook, committing
// the applied ones, cancelling, reverting one record, and the queries about pending changes.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Common/MemData.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

bool KindApplies(TItemUpdateStatus status, uint8_t kinds) {
  switch (status) {
    case isUpdated: return (kinds & 1) != 0;
    case isAppended: return (kinds & 2) != 0;
    case isDeleted: return (kinds & 4) != 0;
    default: return true;  // an unknown status reaches the assertion of the apply step
  }
}

}  // namespace

// ---- Queries ----

bool TMemData::HasUnappliedUpdates() {
  for (TRecordItem* item : FCacheItems)
    if (item->UpdateResult != urApplied) return true;
  return false;
}

bool TMemData::GetUpdatesPending() {
  // Inserted records do not count.
  for (TRecordItem* item : FCacheItems)
    if ((item->Status == isUpdated || item->Status == isDeleted) &&
        item->UpdateResult != urApplied)
      return true;
  return false;
}

uint8_t TMemData::GetUpdateResult() { return FCurrentItem ? FCurrentItem->UpdateResult : urNone; }

void TMemData::SetCacheBuffers(uint8_t* newValues, uint8_t* oldValues) {
  FNewValueBuffer = newValues;
  FOldValueBuffer = oldValues;
}

void TMemData::GetOldRecord(uint8_t* recBuf) {
  if (GetEOF() || GetBOF() || !FCurrentItem) return;
  if (IsItemHidden(FCurrentItem)) {
    GetNextRecord(nullptr);
    if (!FCurrentItem) return;
  }
  TRecordItem* source = FCurrentItem->Rollback ? FCurrentItem->Rollback : FCurrentItem;
  FBlockManager.GetRecord(source, recBuf);
}

// ---- Applying ----

TRecordItem* TMemData::FindLastToApply(uint8_t kinds) const {
  for (auto it = FCacheItems.rbegin(); it != FCacheItems.rend(); ++it)
    if ((*it)->UpdateResult != urApplied && KindApplies((*it)->Status, kinds)) return *it;
  return nullptr;
}

bool TMemData::WriteBackApplied(TRecordItem* item, uint8_t* newValues) {
  // Nothing when the hook closed the store or took the record off the cache list.
  if (!FActive || FApplyWalk->CurrentRemoved) return false;
  // The hook may have changed values (a generated key) in the buffer, releasing what the item
  // pointed to: the buffer is written back before the item is read again.
  FBlockManager.PutRecord(newValues, item);
  item->FilterResult = frUnknown;
  FRecordNoCache.clear();
  if (!HasSortColumns()) return false;
  int direction = 0;
  if (item->Prev && CompareRecords(item->Prev->Data(), item->Data()) > 0)
    direction = -1;
  else if (item->Next && CompareRecords(item->Next->Data(), item->Data()) < 0)
    direction = 1;
  if (direction == 0) return false;
  MoveItemToSortPosition(item, direction);
  return true;
}

bool TMemData::ApplyOne(TRecordItem* item, uint8_t kinds, bool lastItem, uint8_t& action,
                        uint8_t* newValues, uint8_t* oldValues) {
  uint8_t kind;
  switch (item->Status) {
    case isUpdated: kind = ukModify; break;
    case isAppended: kind = ukInsert; break;
    case isDeleted: kind = ukDelete; break;
    default:
      RTL_ASSERT(false, u"Invalid update status " + S(std::to_string(item->Status)));
      return false;
  }
  if (!KindApplies(item->Status, kinds)) return false;
  const size_t size = static_cast<size_t>(FRecordSize);
  std::memcpy(newValues, item->Data(), size);
  TRecordItem* old = kind == ukModify && item->Rollback ? item->Rollback : item;
  std::memcpy(oldValues, old->Data(), size);
  if (kind == ukDelete) {
    DoApplyRecord(kind, action, lastItem);
    return false;
  }
  try {
    DoApplyRecord(kind, action, lastItem);
  } catch (...) {
    try {
      if (WriteBackApplied(item, newValues)) ReorderItems(nullptr, 2);
    } catch (...) {
      // The hook's error is the one to report.
    }
    throw;
  }
  return WriteBackApplied(item, newValues);
}

void TMemData::RecordApplyResult(TApplyWalk& walk, uint8_t action) {
  // A deferred action waits for the action that ends its run; that one counts for the whole run.
  if (action != urDeferred && walk.RunOpen)
    for (auto it = walk.RunStart; it != walk.Current; ++it)
      if ((*it)->UpdateResult == urDeferred) (*it)->UpdateResult = action;
  (*walk.Current)->UpdateResult = action;
  if (action == urRetry) {
    if (walk.RunOpen) walk.Current = walk.RunStart;
    walk.RunOpen = false;
    return;
  }
  if (action == urDeferred) {
    if (!walk.RunOpen) {
      walk.RunOpen = true;
      walk.RunStart = walk.Current;
    }
  } else {
    walk.RunOpen = false;
  }
  ++walk.Current;
}

void TMemData::ApplyUpdates(uint8_t kinds) {
  if (!FCachedUpdates) return;
  TRecordItem* remembered = FCurrentItem;
  const TItemBlock* rememberedBlock = remembered ? remembered->Block : nullptr;
  const uint32_t rememberedStamp = remembered ? remembered->Stamp : 0;
  std::vector<uint8_t> ownNew, ownOld;
  uint8_t* newValues = FNewValueBuffer;
  uint8_t* oldValues = FOldValueBuffer;
  if (!newValues) {
    ownNew.resize(static_cast<size_t>(FRecordSize));
    newValues = ownNew.data();
  }
  if (!oldValues) {
    ownOld.resize(static_cast<size_t>(FRecordSize));
    oldValues = ownOld.data();
  }

  TApplyWalk walk;
  walk.Current = FCacheItems.begin();
  walk.RunStart = FCacheItems.end();
  walk.Outer = FApplyWalk;
  FApplyWalk = &walk;
  struct Leave {
    TMemData& data;
    TApplyWalk& walk;
    ~Leave() { data.FApplyWalk = walk.Outer; }
  } leave{*this, walk};

  bool moved = false;
  while (walk.Current != FCacheItems.end()) {
    TRecordItem* item = *walk.Current;
    if (item->UpdateResult == urApplied) {
      ++walk.Current;
      continue;
    }
    if (!walk.LastKnown) {
      // The last entry the hook will see in this pass: there a batching hook sends its batch.
      walk.LastToApply = FindLastToApply(kinds);
      walk.LastKnown = true;
    }
    walk.CurrentRemoved = false;
    FCurrentItem = item;
    FBof = FEof = false;
    uint8_t action = urFail;
    try {
      if (ApplyOne(item, kinds, item == walk.LastToApply, action, newValues, oldValues))
        moved = true;
    } catch (...) {
      // The failing record stays current with the action the hook had set.
      if (FActive) {
        if (!walk.CurrentRemoved) RecordApplyResult(walk, action);
        if (moved) ReorderItems(nullptr, 2);
      }
      throw;
    }
    if (!FActive) return;  // the hook closed the store
    if (walk.CurrentRemoved) continue;  // the walk already stands on the entry that followed
    RecordApplyResult(walk, action);
  }
  if (remembered && FBlockManager.IsLiveItem(rememberedBlock, remembered, rememberedStamp))
    FCurrentItem = remembered;
  if (moved) ReorderItems(nullptr, 2);
  DoAfterApplyUpdates();
}

// ---- Commit, cancel, restore, revert ----

void TMemData::CommitUpdates() {
  if (HasUnappliedUpdates()) ApplyUpdates(7);
  bool changed = false;
  for (auto it = FCacheItems.begin(); it != FCacheItems.end();) {
    TRecordItem* item = *it++;
    if (item->UpdateResult != urApplied) continue;
    RemoveCacheItem(item);
    changed = true;
    if (TRecordItem* rollback = item->Rollback) {
      FreeComplexFields(rollback->Data(), true);
      item->Rollback = nullptr;
      FBlockManager.FreeItem(rollback);
    }
    if (item->Status == isDeleted) {
      ReleaseRecord(item);
      DeleteItem(item);
    } else {
      item->Status = isUnmodified;
      item->UpdateResult = urNone;
      item->FilterResult = frUnknown;
    }
  }
  if (changed) ReorderItems(nullptr, 2);
}

void TMemData::CancelUpdates() {
  if (FCacheItems.empty()) return;
  DoCancelUpdates();
  while (!FCacheItems.empty()) {
    TRecordItem* item = FCacheItems.front();
    RemoveCacheItem(item);
    RevertItem(item);
  }
  ReorderItems(nullptr, 2);
}

void TMemData::RestoreUpdates() {
  if (!FCachedUpdates) return;
  for (TRecordItem* item : FCacheItems) item->UpdateResult = urNone;
}

std::vector<const void*> TMemData::AppliedUpdates() {
  std::vector<const void*> applied;
  for (TRecordItem* item : FCacheItems)
    if (item->UpdateResult == urApplied) applied.push_back(item);
  return applied;
}

void TMemData::RestoreUpdatesExcept(const std::vector<const void*>& applied) {
  if (!FCachedUpdates) return;
  for (TRecordItem* item : FCacheItems)
    if (std::find(applied.begin(), applied.end(), item) == applied.end())
      item->UpdateResult = urNone;
}

void TMemData::RevertRecord() {
  TRecordItem* item = FCurrentItem;
  if (!item || !HasCacheItem(item)) return;
  RemoveCacheItem(item);
  RevertItem(item);
  ReorderItems(nullptr, 2);
  DoRevertRecord();
}
