// TMemDataSet: record buffers and their info, reading records from the store, bookmarks, record
// numbers and positioning.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "Common/MemDS.h"

namespace {

// Offsets inside the record info.
constexpr int InfoRecNo = 0;
constexpr int InfoUpdateStatus = 4;
constexpr int InfoBookmarkFlag = 5;
constexpr int InfoRefComplexFields = 6;

TRecBookmark LoadBookmark(const uint8_t* data) {
  TRecBookmark bookmark;
  std::memcpy(&bookmark, data, sizeof bookmark);
  return bookmark;
}

// Copies a bookmark member by member: a bookmark just written member by member and copied whole
// makes the processor wait for each member's store (a read wider than the writes before it).
void StoreBookmark(uint8_t* dest, const TRecBookmark& bookmark) {
  auto put = [dest](size_t offset, const auto& member) {
    std::memcpy(dest + offset, &member, sizeof member);
  };
  put(offsetof(TRecBookmark, Generation), bookmark.Generation);
  put(offsetof(TRecBookmark, Item), bookmark.Item);
  put(offsetof(TRecBookmark, RecNo), bookmark.RecNo);
  put(offsetof(TRecBookmark, Block), bookmark.Block);
  put(offsetof(TRecBookmark, Stamp), bookmark.Stamp);
}

// The store's state after a step, read in one place.
template <typename Store>
TGetResult FinishStep(Store& store, int32_t& recNo, TItemUpdateStatus& status,
                      TRecBookmark& bookmark) {
  if (store.GetBOF()) return grBOF;
  if (store.GetEOF()) return grEOF;
  recNo = store.GetRecNo();
  status = store.GetUpdateStatus();
  store.GetBookmark(&bookmark);
  return grOK;
}

}  // namespace

// ---- Buffers.

TRecordBuffer TMemDataSet::AllocRecordBuffer() {
  // Zeroed: the objects-referenced byte starts clear and no stale bytes are ever read.
  return new uint8_t[static_cast<size_t>(FRecBufSize)]();
}

void TMemDataSet::FreeRecordBuffer(TRecordBuffer& buffer) {
  if (!buffer) return;
  FreeRefComplexFields(buffer);
  delete[] buffer;
  buffer = nullptr;
}

int TMemDataSet::GetRecordSize() { return FData ? FData->RecordSize() : 0; }

int32_t TMemDataSet::RecInfoRecNo(TRecordBuffer buffer) const {
  int32_t value;
  std::memcpy(&value, buffer + FRecInfoOfs + InfoRecNo, sizeof value);
  return value;
}

void TMemDataSet::SetRecInfoRecNo(TRecordBuffer buffer, int32_t value) const {
  std::memcpy(buffer + FRecInfoOfs + InfoRecNo, &value, sizeof value);
}

TItemUpdateStatus TMemDataSet::RecInfoUpdateStatus(TRecordBuffer buffer) const {
  return buffer[FRecInfoOfs + InfoUpdateStatus];
}

void TMemDataSet::SetRecInfoUpdateStatus(TRecordBuffer buffer, TItemUpdateStatus value) const {
  buffer[FRecInfoOfs + InfoUpdateStatus] = value;
}

void TMemDataSet::SetRefComplexFields(TRecordBuffer buffer) const {
  buffer[FRecInfoOfs + InfoRefComplexFields] = 1;
}

void TMemDataSet::FreeRefComplexFields(TRecordBuffer buffer) {
  if (!buffer || FRecBufSize == 0 || buffer[FRecInfoOfs + InfoRefComplexFields] != 1) return;
  FData->FreeComplexFields(buffer, true);
  buffer[FRecInfoOfs + InfoRefComplexFields] = 0;
}

void TMemDataSet::FreeRefBuffers() {
  FreeRefComplexFields(TempBuffer());
  if (!IsUniDirectional()) return;
  for (int i = 0; i < WindowRecordCount(); ++i) FreeRefComplexFields(Buffers(i));
}

// ---- Reading records.

TGetResult TMemDataSet::GetRecord(TRecordBuffer buffer, TGetMode getMode, bool) {
  FreeRefComplexFields(buffer);
  switch (getMode) {
    case gmCurrent:
      FData->GetRecord(buffer);
      break;
    case gmNext:
      FData->GetNextRecord(buffer);
      break;
    case gmPrior:
      FData->GetPriorRecord(buffer);
      break;
  }
  int32_t recNo = 0;
  TItemUpdateStatus status = isUnmodified;
  TRecBookmark bookmark{};
  // An in-memory store answers through direct calls (its state queries are final).
  const TGetResult result = FMemData ? FinishStep(*FMemData, recNo, status, bookmark)
                                     : FinishStep(*FData, recNo, status, bookmark);
  if (result != grOK) return result;
  SetRecInfoRecNo(buffer, recNo);
  SetRecInfoUpdateStatus(buffer, status);
  buffer[FRecInfoOfs + InfoBookmarkFlag] = bfCurrent;
  buffer[FRecInfoOfs + InfoRefComplexFields] = 0;
  if (IsUniDirectional()) {
    // The store may free the record once the cursor moves on: the buffer keeps its own
    // references to what the record shares.
    SetRefComplexFields(buffer);
    FData->AddRefComplexFields(buffer);
  }
  // Most datasets have no calculated fields: a record read costs them no call at all.
  if (CalcFieldsPerRead()) GetCalcFields(buffer);
  StoreBookmark(buffer + FBookmarkOfs, bookmark);
  return grOK;
}

void TMemDataSet::ReadNextRecords(TRecordBuffer* buffers, int count, int& read) {
  // Calculated fields are computed as each record is read and a uni-directional buffer takes its
  // own references: those, and stores that are not the in-memory list, take single steps. So a
  // buffer read here never holds references of its own to let go first (only a uni-directional
  // window's do).
  if (!FMemData || IsUniDirectional() || CalcFieldsPerRead()) return;
  constexpr int BlockSize = 32;
  TRecordItem* items[BlockSize];
  while (read < count) {
    const int wanted = std::min(count - read, BlockSize);
    TRecordBuffer* block = buffers + read;
    int done = 0;
    try {
      FMemData->ReadNextHeldRecords(block, items, wanted, done);
    } catch (...) {
      KeepReadItems(block, items, done);
      read += done;
      throw;
    }
    KeepReadItems(block, items, done);
    read += done;
    if (done < wanted) return;
  }
}

void TMemDataSet::KeepReadItems(TRecordBuffer* buffers, TRecordItem* const* items,
                                int count) const {
  const int at = FBookmarkOfs + static_cast<int>(offsetof(TRecBookmark, Item));
  for (int i = 0; i < count; ++i) std::memcpy(buffers[i] + at, &items[i], sizeof items[i]);
}

void TMemDataSet::FinishRecordRead(TRecordBuffer buffer) {
  TRecordItem* item;
  std::memcpy(&item, buffer + FBookmarkOfs + offsetof(TRecBookmark, Item), sizeof item);
  SetReadRecordInfo(buffer, item);
}

void TMemDataSet::SetReadRecordInfo(TRecordBuffer buffer, TRecordItem* item) const {
  TRecBookmark bookmark;
  FMemData->BookmarkOf(item, &bookmark);
  // The offsets read once: a byte written through the buffer could alias them otherwise.
  uint8_t* info = buffer + FRecInfoOfs;
  uint8_t* mark = buffer + FBookmarkOfs;
  std::memcpy(info + InfoRecNo, &bookmark.RecNo, sizeof bookmark.RecNo);
  info[InfoUpdateStatus] = item->Status;
  info[InfoBookmarkFlag] = bfCurrent;
  info[InfoRefComplexFields] = 0;
  StoreBookmark(mark, bookmark);
}

void TMemDataSet::InternalInitRecord(TRecordBuffer buffer) {
  if (buffer == ActiveBuffer() && State() == dsEdit && FEditing) {
    // Clearing the fields of an edited record: its values stay owned where they are, only null.
    for (int i = 1; i <= FData->FieldCount(); ++i) FData->SetNull(i, buffer, true);
    return;
  }
  if (buffer == ActiveBuffer() && State() == dsInsert && FInserting)
    FData->FreeComplexFields(buffer, true);  // the new record's own values
  FreeRefComplexFields(buffer);
  FData->InitRecord(buffer);
  if (FData->HasComplexFields()) FData->CreateComplexFields(buffer, true);
}

void TMemDataSet::InitRecord(TRecordBuffer buffer) {
  TDataSet::InitRecord(buffer);
  SetRecInfoRecNo(buffer, 0);
  SetRecInfoUpdateStatus(buffer, isAppended);
  buffer[FRecInfoOfs + InfoBookmarkFlag] = bfInserted;
  if (FOldRecBuf) FData->InitRecord(FOldRecBuf);
}

void TMemDataSet::ClearCalcFields(TRecordBuffer buffer) {
  for (TFieldDesc* desc : FData->Fields())
    if (desc->CalcKind() != 0) FData->SetNull(desc->FieldNo(), buffer, true);
}

// ---- Bookmarks.

void TMemDataSet::GetBookmarkData(TRecordBuffer buffer, uint8_t* data) {
  std::memcpy(data, buffer + FBookmarkOfs, sizeof(TRecBookmark));
}

void TMemDataSet::SetBookmarkData(TRecordBuffer buffer, const uint8_t* data) {
  std::memcpy(buffer + FBookmarkOfs, data, sizeof(TRecBookmark));
}

TBookmarkFlag TMemDataSet::GetBookmarkFlag(TRecordBuffer buffer) {
  return static_cast<TBookmarkFlag>(buffer[FRecInfoOfs + InfoBookmarkFlag]);
}

void TMemDataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) {
  buffer[FRecInfoOfs + InfoBookmarkFlag] = static_cast<uint8_t>(value);
}

void TMemDataSet::InternalGotoBookmark(const uint8_t* bookmark) {
  TRecBookmark value = LoadBookmark(bookmark);
  FData->SetToBookmark(&value);
}

void TMemDataSet::InternalSetToRecord(TRecordBuffer buffer) {
  TRecBookmark value = LoadBookmark(buffer + FBookmarkOfs);
  FData->SetToBookmark(&value);
  if (FData->NeedsRecordReread()) FData->GetRecord(buffer);
}

bool TMemDataSet::BookmarkValid(const TBookmark& bookmark) {
  if (!FData || bookmark.size() != sizeof(TRecBookmark)) return false;
  TRecBookmark value = LoadBookmark(bookmark.data());
  return FData->BookmarkValid(&value);
}

int TMemDataSet::CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2) {
  if (bookmark1.empty() || bookmark2.empty())
    return TDataSet::CompareBookmarks(bookmark1, bookmark2);
  if (!FData || bookmark1.size() != sizeof(TRecBookmark) ||
      bookmark2.size() != sizeof(TRecBookmark))
    return 0;
  TRecBookmark first = LoadBookmark(bookmark1.data());
  TRecBookmark second = LoadBookmark(bookmark2.data());
  return FData->CompareBookmarks(&first, &second);
}

// ---- Positioning.

void TMemDataSet::InternalFirst() { FData->SetToBegin(); }

void TMemDataSet::InternalLast() { FData->SetToEnd(); }

int TMemDataSet::GetRecordCount() { return IsCursorOpen() ? FData->GetRecordCount() : 0; }

int TMemDataSet::GetRecNo() {
  // A record under the filter's test is the store's record alone, without the dataset's info.
  if (State() == dsFilter) return 0;
  TRecordBuffer buffer = GetActiveRecBuf();
  return buffer ? RecInfoRecNo(buffer) : 0;
}

void TMemDataSet::SetRecNo(int value) {
  CheckBrowseMode();
  DoBeforeScroll();
  // A number the store does not have leaves the cursor on the current record.
  UpdateCursorPos();
  FData->SetRecNo(value);
  Resync({rmCenter});
  DoAfterScroll();
}

void TMemDataSet::SetBlockReadSize(int value) {
  if (value == BlockReadSize()) return;
  if (value > 0 || value < -1) UpdateCursorPos();
  TDataSet::SetBlockReadSize(value);
}

void TMemDataSet::InternalRefresh() {
  FreeRefBuffers();
  RefreshData();
}
