// TMemDataSet: cached updates. The store keeps the changes on its records; the dataset switches
// the mode and lends the store two buffers while it applies or commits them, in which the fields
// (and the updater) read the new and the old values of each record.
#include "Common/MemDS.h"

namespace {

constexpr char16_t SNotCachedUpdate[] = u"Not in cached update mode";
constexpr char16_t SUpdateFailed[] = u"Update failed";

// The store's kinds to apply: 1 modified, 2 inserted, 4 deleted.
uint8_t StoreKinds(TUpdateRecordTypes kinds) {
  uint8_t bits = 0;
  if (kinds.Contains(usModified)) bits |= 1;
  if (kinds.Contains(usInserted)) bits |= 2;
  if (kinds.Contains(usDeleted)) bits |= 4;
  return bits;
}

}  // namespace

void TMemDataSet::SetCachedUpdates(bool value) {
  if (value == FCachedUpdates) return;
  CheckInactive();
  FCachedUpdates = value;
  if (FData) FData->SetCachedUpdates(value);
}

void TMemDataSet::CheckCachedUpdates() {
  if (!FCachedUpdates) DatabaseError(SNotCachedUpdate, this);
}

TUpdateStatus TMemDataSet::UpdateStatus() {
  if (!FCachedUpdates || IsEmpty()) return usUnmodified;
  TRecordBuffer buffer = State() == dsCalcFields ? CalcBuffer() : ActiveBuffer();
  return static_cast<TUpdateStatus>(RecInfoUpdateStatus(buffer));
}

template <class Call>
void TMemDataSet::WithCacheBuffers(Call call) {
  FNewCacheRecBuf = AllocRecordBuffer();
  FOldCacheRecBuf = AllocRecordBuffer();
  FInCacheProcessing = true;
  auto finish = [this] {
    FInCacheProcessing = false;
    FData->SetCacheBuffers(nullptr, nullptr);
    FreeRecordBuffer(FNewCacheRecBuf);
    FreeRecordBuffer(FOldCacheRecBuf);
  };
  try {
    FData->SetCacheBuffers(FNewCacheRecBuf, FOldCacheRecBuf);
    call();
  } catch (...) {
    finish();
    Resync(TResyncMode());
    throw;
  }
  finish();
  Resync(TResyncMode());
}

void TMemDataSet::ApplyUpdates() { ApplyUpdatesKinds({usModified, usInserted, usDeleted}); }

void TMemDataSet::ApplyUpdatesKinds(TUpdateRecordTypes kinds) {
  CheckActive();
  FreeRefBuffers();
  if (State() != dsBrowse) Post();
  CheckCachedUpdates();
  UpdateCursorPos();
  WithCacheBuffers([this, kinds] { FData->ApplyUpdates(StoreKinds(kinds)); });
}

void TMemDataSet::CommitUpdates() {
  CheckActive();
  CheckCachedUpdates();
  FreeRefBuffers();
  UpdateCursorPos();
  WithCacheBuffers([this] { FData->CommitUpdates(); });
}

void TMemDataSet::CancelUpdates() {
  CheckActive();
  if (State() != dsBrowse) Cancel();
  CheckCachedUpdates();
  FreeRefBuffers();
  UpdateCursorPos();
  FData->CancelUpdates();
  Resync(TResyncMode());
}

void TMemDataSet::RevertRecord() {
  CheckActive();
  FreeRefComplexFields(ActiveBuffer());
  if (State() == dsEdit || State() == dsInsert || State() == dsSetKey) Cancel();
  CheckCachedUpdates();
  UpdateCursorPos();
  FData->RevertRecord();
  Resync(TResyncMode());
}

bool TMemDataSet::UpdatesPending() { return FData && FData->GetUpdatesPending(); }

uint8_t TMemDataSet::GetUpdateResult() {
  UpdateCursorPos();
  return FData->GetUpdateResult();
}

// ---- Hooks of the store while it applies and reverts.

void TMemDataSet::DoApplyRecord(uint8_t kind, uint8_t& action, bool lastItem) {
  const bool modified = Modified();
  const auto updateKind = static_cast<TUpdateKind>(kind);
  action = uaFail;
  try {
    try {
      if (OnUpdateRecord) {
        TUpdateAction handled = uaFail;
        OnUpdateRecord(this, updateKind, handled);
        if (handled == uaAbort) Abort();
        if (handled == uaFail) throw EDatabaseError(SUpdateFailed);
        action = static_cast<uint8_t>(handled);
      } else {
        action = static_cast<uint8_t>(uaApplied);
        if (TDataSetUpdater* updater = Updater()) {
          switch (updateKind) {
            case ukModify: updater->PerformUpdate(); break;
            case ukInsert: updater->PerformAppend(); break;
            case ukDelete: updater->PerformDelete(); break;
          }
          if (updater->BatchAllowed()) {
            // The change waits in the batch until the last record or a full batch sends it.
            if (!lastItem && !updater->BatchFull()) {
              action = urDeferred;
            } else {
              // A refused batch applied none of its changes, this one's included.
              action = uaFail;
              updater->FlushBatch();
              action = static_cast<uint8_t>(uaApplied);
            }
          }
        }
      }
    } catch (EDatabaseError& e) {
      if (!OnUpdateError) throw;
      TUpdateAction handled = uaFail;
      OnUpdateError(this, e, updateKind, handled);
      if (handled == uaFail) throw;
      if (handled == uaAbort) Abort();
      action = static_cast<uint8_t>(handled);
    }
  } catch (...) {
    SetModified(modified);
    throw;
  }
  SetModified(modified);
}

void TMemDataSet::DoRevertRecord() {
  if (TDataSetUpdater* updater = Updater()) updater->RecordReverted();
}

void TMemDataSet::DoAfterApplyUpdates() {
  if (TDataSetUpdater* updater = Updater()) updater->UpdatesApplied();
}

void TMemDataSet::DoCancelUpdates() {
  if (TDataSetUpdater* updater = Updater()) updater->UpdatesCanceled();
}
