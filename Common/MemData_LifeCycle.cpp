// The record store's life cycle (prepare, open, close), its hooks and the base behaviour of
// bookmarks and positioning.
#include <string>

#include "Common/MemData.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

TData::TData() = default;

TData::~TData() {
  ClearHooks();
  try {
    Close();
  } catch (...) {
    // A destructor cannot report a failing provider close; the records are freed regardless.
  }
  FFields.Clear();
  DetachValuePool();
}

void TData::ClearHooks() {
  OnAppend = nullptr;
  OnDelete = nullptr;
  OnUpdate = nullptr;
  OnApplyRecord = nullptr;
  OnRevertRecord = nullptr;
  OnAfterApplyUpdates = nullptr;
  OnCancelUpdates = nullptr;
  OnFieldsChanged = nullptr;
  OnAddCalcFieldDescs = nullptr;
  OnGetCalcFields = nullptr;
}

void TData::InitData() {
  FBof = true;
  FEof = true;
  FRecordCount = 0;
  FRecNoOffset = 0;
}

String TData::GetArrayFieldName(int index) {
  String name(1, u'[');
  name += S(std::to_string(index));
  name += u']';
  return name;
}

void TData::DoAppend(uint8_t* recBuf) {
  if (OnAppend) OnAppend(recBuf);
}

void TData::DoDelete() {
  if (OnDelete) OnDelete();
}

void TData::DoUpdate(uint8_t* recBuf) {
  if (OnUpdate) OnUpdate(recBuf);
}

void TData::DoRevertRecord() {
  if (OnRevertRecord) OnRevertRecord();
}

void TData::DoAfterApplyUpdates() {
  if (OnAfterApplyUpdates) OnAfterApplyUpdates();
}

void TData::DoCancelUpdates() {
  if (OnCancelUpdates) OnCancelUpdates();
}

void TData::DoApplyRecord(uint8_t kind, uint8_t& action, bool lastItem) {
  if (OnApplyRecord) OnApplyRecord(kind, action, lastItem);
}

void TData::SetFilterText(const String& text) {
  if (text == FFilterText) return;
  if (FActive) ParseFilter(text);
  FFilterText = text;
}

void TData::Open() {
  if (FActive) return;
  InitData();
  try {
    InternalOpen();
    try {
      ParseFilter(FFilterText);
    } catch (...) {
      InternalClose();
      throw;
    }
  } catch (...) {
    FreeData();
    FreeFilter();
    throw;
  }
  FActive = true;
}

void TData::Close() {
  // The store ends inactive with its records freed even when the provider's close fails.
  struct Finish {
    TData& data;
    ~Finish() noexcept(false) {
      data.FActive = false;
      data.FreeData();
      if (data.FRebuildFieldsOnInit && !data.FPrepared) data.ClearFields();
      data.FreeFilter();
    }
  } finish{*this};
  if (FActive) InternalClose();
}

void TData::Prepare() {
  InternalPrepare();
  FPrepared = true;
}

void TData::UnPrepare() {
  if (!FPrepared) return;
  FPrepared = false;
  if (FRebuildFieldsOnInit) ClearFields();
  InternalUnPrepare();
}

void TData::Reopen() {
  Close();
  Open();
}

void TData::SetCachedUpdates(bool value) {
  if (value == FCachedUpdates) return;
  if (!value) {
    CancelUpdates();
    FCachedUpdates = false;
    return;
  }
  FCachedUpdates = true;
  // Unmodified, modified and inserted records visible; deleted ones hidden.
  FFilterItemTypes = 7;
}

void TData::SetToBegin() {
  FBof = true;
  FEof = false;
}

void TData::SetToEnd() {
  FEof = true;
  FBof = false;
}

void TData::GetBookmark(TRecBookmark* bookmark) { bookmark->RecNo = GetRecNo(); }

void TData::SetToBookmark(TRecBookmark* bookmark) {
  if (bookmark->RecNo != -1) SetRecNo(bookmark->RecNo);
}

bool TData::BookmarkValid(TRecBookmark* bookmark) {
  return bookmark != nullptr && bookmark->RecNo != -1;
}

int TData::CompareBookmarks(TRecBookmark* bookmark1, TRecBookmark* bookmark2) {
  if (!bookmark1 && !bookmark2) return 0;
  if (!bookmark2) return -1;
  if (!bookmark1) return 1;
  if (bookmark1->RecNo < bookmark2->RecNo) return -1;
  return bookmark1->RecNo > bookmark2->RecNo ? 1 : 0;
}
