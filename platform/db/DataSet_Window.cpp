// TDataSet: the window of record buffers, navigation and bookmarks.
//
// Slots 0 .. FRecordCount - 1 hold consecutive records; the slot at FRecordCount is where the
// next record is read before it joins the window. Moving past either end of a full window moves
// the ring's start, so a record keeps its buffer while it stays in view and no buffer is copied.
#include <algorithm>

#include "platform/db/DBConsts.h"
#include "platform/db/DataLink.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"

TRecordBuffer TDataSet::ActiveBuffer() const {
  return FBuffers.empty() ? nullptr : Buffers(FActiveRecord);
}

TRecordBuffer TDataSet::TempBuffer() const {
  return FBuffers.empty() ? nullptr : Buffers(FRecordCount);
}

void TDataSet::AdvanceRing() { FFirstBuffer = RingIndex(1); }

void TDataSet::RetreatRing() {
  FFirstBuffer = FFirstBuffer > 0 ? FFirstBuffer - 1 : static_cast<int>(FBuffers.size()) - 1;
}

void TDataSet::UnwindRing() {
  std::rotate(FBuffers.begin(), FBuffers.begin() + FFirstBuffer, FBuffers.end());
  FFirstBuffer = 0;
}

void TDataSet::SetActiveRecord(int index) { FActiveRecord = index; }

void TDataSet::ClearBuffers() {
  FRecordCount = 0;
  FActiveRecord = 0;
  FCurrentRecord = -1;
  FBof = true;
  FEof = true;
}

void TDataSet::ActivateBuffers() {
  FRecordCount = 1;
  FActiveRecord = 0;
  FCurrentRecord = 0;
  FBof = false;
  FEof = false;
}

void TDataSet::SetCurrentRecord(int index) {
  if (FCurrentRecord == index) return;
  if (!FUniDirectional) {
    TRecordBuffer buffer = Buffers(index);
    switch (GetBookmarkFlag(buffer)) {
      case bfCurrent:
      case bfInserted:
        InternalSetToRecord(buffer);
        break;
      case bfBOF:
        InternalFirst();
        break;
      case bfEOF:
        InternalLast();
        break;
    }
  }
  FCurrentRecord = index;
}

void TDataSet::UpdateCursorPos() {
  if (FRecordCount > 0) SetCurrentRecord(FActiveRecord);
}

bool TDataSet::GetNextRecord() {
  // A walk leaves the cursor on the last slot: the common step makes no call to put it there.
  if (FRecordCount > 0 && FCurrentRecord != FRecordCount - 1) SetCurrentRecord(FRecordCount - 1);
  if (GetRecord(Slot(FRecordCount), gmNext, true) != grOK) {
    CursorPosChanged();
    return false;
  }
  if (FRecordCount == 0) {
    ActivateBuffers();
  } else if (FRecordCount < FBufferCount) {
    ++FRecordCount;
  } else {
    // The first record leaves the window; its buffer becomes the reading buffer.
    AdvanceRing();
  }
  FCurrentRecord = FRecordCount - 1;
  return true;
}

bool TDataSet::GetPriorRecord() {
  CheckBiDirectional();
  if (FRecordCount > 0 && FCurrentRecord != 0) SetCurrentRecord(0);
  if (GetRecord(Slot(FRecordCount), gmPrior, true) != grOK) {
    CursorPosChanged();
    return false;
  }
  if (FRecordCount == 0) {
    ActivateBuffers();
  } else {
    // The new record goes in front; in a full window the last record leaves it. In a window
    // that is not full, the spare buffer before the start changes places with the new record.
    const int last = static_cast<int>(FBuffers.size()) - 1;
    if (FRecordCount < last) std::swap(Slot(FRecordCount), Slot(last));
    RetreatRing();
    if (FRecordCount < FBufferCount) ++FRecordCount;
  }
  FCurrentRecord = 0;
  return true;
}

void TDataSet::ReadAheadInFullWindow(int limit, int& read) {
  if (FCurrentRecord != FRecordCount - 1) SetCurrentRecord(FRecordCount - 1);
  try {
    ReadBlocksIntoRing(limit, read);
  } catch (...) {
    FinishBlockReads(read);
    throw;
  }
  FinishBlockReads(read);
}

void TDataSet::ReadBlocksIntoRing(int limit, int& read) {
  const int size = static_cast<int>(FBuffers.size());
  while (read < limit) {
    // The reading slot and the ones after it, as far as the ring's end: each record read takes
    // the buffer of the first record, which leaves the window (the window is full).
    const int start = RingIndex(FRecordCount);
    const int count = std::min(limit - read, size - start);
    int block = 0;
    try {
      ReadNextRecords(&FBuffers[static_cast<size_t>(start)], count, block);
    } catch (...) {
      FFirstBuffer = RingIndex(block);
      read += block;
      throw;
    }
    FFirstBuffer = RingIndex(block);
    read += block;
    if (block < count) return;
  }
}

void TDataSet::FinishBlockReads(int read) {
  // The last record read is in the window's last slot, the ones before it in the slots before;
  // a record read one place before the window's first is in the reading slot.
  const int fresh = std::min(read, static_cast<int>(FBuffers.size()));
  for (int back = 1; back <= fresh; ++back)
    FinishRecordRead(Slot(back <= FRecordCount ? FRecordCount - back : FRecordCount));
}

int TDataSet::GetNextRecords() {
  int count = 0;
  while (FRecordCount < FBufferCount && GetNextRecord()) ++count;
  return count;
}

int TDataSet::GetPriorRecords() {
  if (FUniDirectional) return 0;
  int count = 0;
  // Each record put in front moves the current record one slot on.
  while (FRecordCount > 0 && FRecordCount < FBufferCount && GetPriorRecord()) {
    ++count;
    ++FActiveRecord;
  }
  return count;
}

void TDataSet::ShiftLinkWindows(int delta) {
  if (delta == 0) return;
  for (TDataSource* source : FDataSources) {
    for (TDataLink* link : source->FDataLinks) link->FFirstRecord += delta;
  }
}

int TDataSet::LinkBufferCount() const {
  int count = 1;
  if (!FUniDirectional) {
    for (TDataSource* source : FDataSources) {
      for (TDataLink* link : source->FDataLinks) count = std::max(count, link->BufferCount());
    }
  }
  return count;
}

void TDataSet::UpdateBufferCount() {
  if (!FBuffers.empty()) SetBufferCount(LinkBufferCount());
}

void TDataSet::SetBufferCount(int value) {
  if (value < 1) value = 1;
  if (FBufferCount == value && static_cast<int>(FBuffers.size()) == value + 1) return;
  UnwindRing();
  if (value < FBufferCount && FRecordCount > value) {
    // Keep the current record: drop records before it only as far as needed.
    int dropped = std::max(0, FActiveRecord - value + 1);
    if (dropped > 0) {
      std::rotate(FBuffers.begin(), FBuffers.begin() + dropped,
                  FBuffers.begin() + FRecordCount);
      FActiveRecord -= dropped;
      FCurrentRecord = FCurrentRecord >= dropped ? FCurrentRecord - dropped : -1;
      ShiftLinkWindows(-dropped);
    }
    FRecordCount = std::min(FRecordCount - dropped, value);
    if (FCurrentRecord >= FRecordCount) FCurrentRecord = -1;
  }
  const size_t size = static_cast<size_t>(value) + 1;
  while (FBuffers.size() > size) {
    FreeRecordBuffer(FBuffers.back());
    FBuffers.pop_back();
  }
  while (FBuffers.size() < size) FBuffers.push_back(AllocRecordBuffer());
  FBufferCount = value;
  // Fill a grown window after and then before the current record.
  GetNextRecords();
  ShiftLinkWindows(GetPriorRecords());
}

// ---- Navigation.

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  auto finish = [this] {
    FBof = true;
    DataEvent(deDataSetChange, 0);
    DoAfterScroll();
  };
  try {
    InternalFirst();
    GetNextRecord();
    GetNextRecords();
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TDataSet::Last() {
  CheckBiDirectional();
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  auto finish = [this] {
    FEof = true;
    DataEvent(deDataSetChange, 0);
    DoAfterScroll();
  };
  try {
    InternalLast();
    GetPriorRecord();
    GetPriorRecords();
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TDataSet::Next() {
  if (FBlockReadSize > 0)
    BlockReadNext();
  else
    MoveBy(1);
}

void TDataSet::Prior() { MoveBy(-1); }

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  int moved = 0;
  DoBeforeScroll();
  if (!((distance > 0 && !FEof) || (distance < 0 && !FBof))) return 0;
  FBof = false;
  FEof = false;
  const int oldRecordCount = FRecordCount;
  // How many slots the buffers moved under the links (negative when records left at the top).
  // The links' windows follow once, when the walk is over: no link is told of a move or asked
  // to repaint before then.
  int scrolled = 0;
  auto finish = [&] {
    ShiftLinkWindows(scrolled);
    if (FRecordCount != oldRecordCount)
      DataEvent(deDataSetChange, 0);
    else
      DataEvent(deDataSetScroll, scrolled);
    DoAfterScroll();
  };
  try {
    while (distance > 0) {
      if (FActiveRecord < FRecordCount - 1) {
        ++FActiveRecord;
      } else {
        const bool full = FRecordCount >= FBufferCount;
        if (full && FReadsInBlocks) {
          int read = 0;
          try {
            ReadAheadInFullWindow(distance, read);
          } catch (...) {
            scrolled -= read;
            moved += read;
            throw;
          }
          scrolled -= read;
          moved += read;
          distance -= read;
          if (read > 0) continue;
        }
        if (!GetNextRecord()) {
          FEof = true;
          break;
        }
        if (full) {
          --scrolled;
        } else {
          FActiveRecord = FRecordCount - 1;
        }
      }
      --distance;
      ++moved;
    }
    while (distance < 0) {
      if (FActiveRecord > 0) {
        --FActiveRecord;
      } else {
        if (!GetPriorRecord()) {
          FBof = true;
          break;
        }
        // Every record moved one slot on; the new one is the current record in slot 0.
        ++scrolled;
      }
      ++distance;
      --moved;
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return moved;
}

void TDataSet::Resync(TResyncMode mode) {
  if (FUniDirectional || FBuffers.empty()) return;
  TRecordBuffer reading = Slot(FRecordCount);
  if (mode.Contains(rmExact)) {
    CursorPosChanged();
    if (GetRecord(reading, gmCurrent, true) != grOK) DatabaseError(SRecordNotFound, this);
  } else if (GetRecord(reading, gmCurrent, false) != grOK &&
             GetRecord(reading, gmNext, false) != grOK &&
             GetRecord(reading, gmPrior, false) != grOK) {
    ClearBuffers();
    DataEvent(deDataSetChange, 0);
    return;
  }
  int before = mode.Contains(rmCenter) ? (FBufferCount - 1) / 2 : FActiveRecord;
  std::swap(Slot(0), Slot(FRecordCount));
  ActivateBuffers();
  try {
    while (before > 0 && GetPriorRecord()) {
      --before;
      ++FActiveRecord;
    }
    GetNextRecords();
    GetPriorRecords();
  } catch (...) {
    DataEvent(deDataSetChange, 0);
    throw;
  }
  DataEvent(deDataSetChange, 0);
}

// ---- Bookmarks.

TBookmark TDataSet::GetBookmark() {
  TBookmark bookmark;
  if ((FState == dsBrowse || FState == dsEdit || FState == dsInsert) && FRecordCount > 0 &&
      GetBookmarkFlag(ActiveBuffer()) == bfCurrent) {
    bookmark.resize(FBookmarkSize);
    GetBookmarkData(ActiveBuffer(), bookmark.data());
  }
  return bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  if (bookmark.empty()) return;
  if (static_cast<int>(bookmark.size()) != FBookmarkSize) DatabaseError(SRecordNotFound, this);
  CheckBrowseMode();
  DoBeforeScroll();
  InternalGotoBookmark(bookmark.data());
  Resync({rmExact, rmCenter});
  DoAfterScroll();
}

bool TDataSet::BookmarkValid(const TBookmark&) { return false; }

int TDataSet::CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2) {
  if (bookmark1.empty() || bookmark2.empty()) {
    if (bookmark1.empty() == bookmark2.empty()) return 0;
    return bookmark1.empty() ? -1 : 1;
  }
  return 0;
}

bool TDataSet::GetCurrentRecord(TRecordBuffer) { return false; }

// ---- Finding: a descendant searches; the base finds nothing.

bool TDataSet::FindRecord(bool, bool) {
  FFound = false;
  return false;
}

bool TDataSet::FindFirst() { return FindRecord(true, true); }
bool TDataSet::FindLast() { return FindRecord(true, false); }
bool TDataSet::FindNext() { return FindRecord(false, true); }
bool TDataSet::FindPrior() { return FindRecord(false, false); }
